// The disk option of the command-line tool: "N=IMAGE[:ro]" puts the image
// IMAGE in drive number N (1, 2, 9, 10, 11 or 12); ":ro" opens it for
// reading only and write-protects it.
#pragma once

#include <string>

#include "disks/Lecteurs.h"

struct TOptionDisque {
    int Lecteur = 0;           // drive number
    std::string Chemin;        // image path
    bool LectureSeule = false; // ":ro"
};

// False with a one-line French message in `erreur` when the text is malformed.
bool AnalyseOptionDisque(const std::string& texte, TOptionDisque& option, std::string& erreur);

// Inserts the image as the start-up load does; returns the error text, empty
// on success.
std::string InsereOptionDisque(TLecteurs& lecteurs, const TOptionDisque& option,
                               const std::string& separateur);
