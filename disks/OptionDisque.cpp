#include "disks/OptionDisque.h"

bool AnalyseOptionDisque(const std::string& texte, TOptionDisque& option, std::string& erreur) {
    const size_t egal = texte.find('=');
    const std::string numero = texte.substr(0, egal);
    int lecteur = 0;
    bool chiffres = !numero.empty() && numero.size() <= 2;
    for (char c : numero) {
        chiffres = chiffres && c >= '0' && c <= '9';
        lecteur = lecteur * 10 + (c - '0');
    }
    if (egal == std::string::npos || !chiffres || SlotDuLecteur(lecteur) == 0) {
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
    // A file opened for reading only is write-protected by the drive table.
    return lecteurs.ChargeImage(option.Lecteur, option.Chemin, separateur, option.LectureSeule);
}
