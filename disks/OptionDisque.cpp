#include "disks/OptionDisque.h"

#include "core/Fichiers.h"
#include "core/Nombres.h"

bool AnalyseOptionDisque(const std::string& texte, TOptionDisque& option, std::string& erreur) {
    const size_t egal = texte.find('=');
    const auto numero = LitDecimal(std::string_view(texte).substr(0, egal), 99);
    const int lecteur = numero ? int(*numero) : 0;
    if (egal == std::string::npos || !numero || SlotDuLecteur(lecteur) == 0) {
        erreur = "--disk " + texte +
                 " : attendu N=IMAGE[:ro] avec N parmi 1, 2, 9, 10, 11 et 12";
        return false;
    }
    std::string chemin = texte.substr(egal + 1);
    const bool ro = chemin.size() >= 3 && chemin.compare(chemin.size() - 3, 3, ":ro") == 0;
    if (ro) chemin.resize(chemin.size() - 3);
    if (chemin.empty()) {
        erreur = "--disk " + texte + " : nom de fichier image manquant";
        return false;
    }
    option = {lecteur, chemin, ro};
    return true;
}

std::string InsereOptionDisque(TLecteurs& lecteurs, const TOptionDisque& option,
                               const std::string& separateur) {
    // What lies at the path is told first; only a file has a size to test.
    if (const TLectureFichier g = GenreFichier(option.Chemin); g != TLectureFichier::Ok)
        return "--disk " + std::to_string(option.Lecteur) + " : " + MessageLecture(g, option.Chemin);
    // A file opened for reading only is write-protected by the drive table.
    return lecteurs.ChargeImage(option.Lecteur, option.Chemin, separateur, option.LectureSeule);
}
