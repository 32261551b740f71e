// zorv disk: the disk manager's tools on image files, from the shell.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/PrepareMachine.h"
#include "cli/Commandes.h"
#include "core/Fichiers.h"
#include "disks/ExportImport.h"
#include "disks/Lecteurs.h"
#include "disks/Secteurs.h"
#include "disks/SystemeFichiers.h"
#include "disks/VerifDisque.h"

namespace fs = std::filesystem;

namespace {

const char* const Aide =
    "usage : zorv disk ACTION IMAGE [...]\n"
    "Les outils du gestionnaire de disques sur un fichier image.\n"
    "  new IMAGE [--size 800K|400K|1.2M]  crée une image vierge pleine taille (800K par défaut) ;\n"
    "                                     refuse un fichier existant\n"
    "  format IMAGE                       crée un système de fichiers vide\n"
    "  ls IMAGE                           légende puis lignes du catalogue\n"
    "  export IMAGE DOSSIER               écrit chaque fichier du disque dans DOSSIER\n"
    "                                     (créé s'il n'existe pas ; rien n'est jamais écrasé)\n"
    "  import IMAGE DOSSIER [--format]    ajoute au disque les fichiers de DOSSIER\n"
    "                                     (--format : formate le disque d'abord)\n"
    "  check IMAGE                        vérifie catalogue, répertoires et chaînes\n"
    "La géométrie suit la taille de l'image : 409 600, 788 480 ou 1 261 568 octets.\n"
    "Chaque message du gestionnaire est écrit sur une ligne, le bilan en dernier.\n"
    "Statut : 0 succès, 1 opération refusée ou disque endommagé, 2 arguments invalides.\n";

int Refus(const std::string& message) {
    std::fprintf(stderr, "zorv disk : %s\n", message.c_str());
    return 2;
}

int Echec(const std::string& message) {
    std::printf("%s\n", message.c_str());
    return 1;
}

// Answers the disk manager's questions from the command line: the folder
// given, Yes to every question; every box becomes a line.
class TDialogueCli : public IDialogue {
public:
    explicit TDialogueCli(FILE* sortie, std::optional<std::string> dossier = {})
        : FSortie(sortie), FDossier(std::move(dossier)) {}
    void Message(const std::string& texte) override {
        Ligne(texte);
        ++Messages;
    }
    void Information(const std::string& texte) override { Ligne(texte); }
    bool Question(const std::string&) override { return true; }
    std::optional<std::string> ChoisitDossier(const std::string&, const std::string&) override {
        return FDossier;
    }
    int Messages = 0;

private:
    void Ligne(std::string texte) {
        for (char& c : texte)
            if (c == '\n') c = ' ';
        std::fprintf(FSortie, "%s\n", texte.c_str());
    }
    FILE* FSortie;
    std::optional<std::string> FDossier;
};

// An image in the drive its size calls for.
struct TImage {
    std::unique_ptr<TLecteurs> Lecteurs;
    int Slot = 0;
    std::unique_ptr<TSecteursLecteur> Secteurs;
};

// Returns -1 when the image is in its drive, else the exit status.
int Ouvre(const std::string& chemin, bool ecriture, TImage& img) {
    std::error_code ec;
    if (!fs::is_regular_file(chemin, ec)) return Refus("image absente « " + chemin + " »");
    const auto taille = int64_t(fs::file_size(chemin, ec));
    if (ec || !TailleImageValide(taille)) return Refus(MessageTailleImage(chemin, SeparateurMilliers()));
    img.Lecteurs = std::make_unique<TLecteurs>(taille == 409600 ? 1 : 0);
    img.Slot = taille == 1261568 ? 3 : 1;
    const std::string m = img.Lecteurs->ChargeImage(LecteurDuSlot(img.Slot), chemin, SeparateurMilliers(), !ecriture);
    if (!m.empty()) return Refus(m);
    img.Secteurs = std::make_unique<TSecteursLecteur>(*img.Lecteurs, img.Slot);
    return -1;
}

struct TArguments {
    std::vector<std::string> Positions;
    std::optional<std::string> Taille;
    bool Formate = false;
    bool Aide = false;
};

// Reads the arguments after the action; returns -1 when they are good.
int LitArguments(int argc, char** argv, const std::string& action, TArguments& a) {
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            a.Aide = true;
        } else if (arg == "--size" && action == "new") {
            if (i + 1 >= argc) return Refus("--size demande 800K, 400K ou 1.2M");
            a.Taille = argv[++i];
        } else if (arg == "--format" && action == "import") {
            a.Formate = true;
        } else if (!arg.empty() && arg[0] == '-') {
            return Refus("option inconnue « " + arg + " » (zorv disk --help)");
        } else {
            a.Positions.push_back(arg);
        }
    }
    const size_t attendus = action == "export" || action == "import" ? 2 : 1;
    if (!a.Aide && a.Positions.size() != attendus)
        return Refus(attendus == 2 ? "zorv disk " + action + " demande IMAGE et DOSSIER"
                                   : "zorv disk " + action + " demande une IMAGE");
    return -1;
}

int Nouvelle(const TArguments& a) {
    int64_t taille = 788480;
    if (a.Taille) {
        const std::string& t = *a.Taille;
        if (t == "800K" || t == "800k")
            taille = 788480;
        else if (t == "400K" || t == "400k")
            taille = 409600;
        else if (t == "1.2M" || t == "1.2m")
            taille = 1261568;
        else
            return Refus("--size demande 800K, 400K ou 1.2M, pas « " + t + " »");
    }
    const std::vector<uint8_t> zeros(size_t(taille), 0);
    bool existe = false;
    std::string erreur;
    if (EcritFichierNouveau(a.Positions[0], zeros.data(), zeros.size(), existe, erreur)) return 0;
    return Echec(existe ? "Le fichier : " + a.Positions[0] + " Existe d\u00e9j\u00e0" : erreur);
}

int Formate(ISecteurs& disque) {
    TDialogueCli dlg(stdout);
    TSystemeFichiers sf(disque, dlg);
    if (disque.Etat() == 2) return Echec("Disque prot\u00e9g\u00e9 en \u00e9criture");
    return sf.FormatInconditionnel() ? 0 : Echec("Disque prot\u00e9g\u00e9 en \u00e9criture");
}

int Liste(ISecteurs& disque) {
    TDialogueCli dlg(stderr); // damage reports go apart from the listing
    TSystemeFichiers sf(disque, dlg);
    const TCatalogueAffiche c = sf.AfficheCatalogue();
    std::printf("%s\n", c.Legende.c_str());
    for (const std::string& l : c.Lignes) std::printf("%s\n", l.c_str());
    return dlg.Messages ? 1 : 0;
}

int Exporte(ISecteurs& disque, const std::string& dossier) {
    std::error_code ec;
    if (!fs::is_directory(dossier, ec) && !fs::create_directories(dossier, ec))
        return Refus("dossier impossible \u00e0 cr\u00e9er « " + dossier + " »");
    TDialogueCli dlg(stdout, dossier);
    TExportImport ei;
    ei.Exporte(disque, dlg);
    return dlg.Messages ? 1 : 0;
}

int Importe(ISecteurs& disque, const std::string& dossier, bool formate) {
    std::error_code ec;
    if (!fs::is_directory(dossier, ec)) return Refus("dossier absent « " + dossier + " »");
    TDialogueCli dlg(stdout, dossier);
    TExportImport ei;
    if (formate)
        ei.FormateEtImporte(disque, dlg);
    else
        ei.Importe(disque, dlg);
    return dlg.Messages ? 1 : 0;
}

int Verifie(ISecteurs& disque) {
    const TVerification v = VerifieDisque(disque);
    if (!v.Formate) return Echec("Le disque n'est pas format\u00e9");
    for (const std::string& d : v.Defauts) std::printf("%s\n", d.c_str());
    if (!v.Defauts.empty()) return 1;
    std::printf("Disque sain : %d fichier(s), %d r\u00e9pertoire(s)\n", v.Fichiers, v.Repertoires);
    return 0;
}

} // namespace

int CommandeDisk(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(Aide, stderr);
        return 2;
    }
    const std::string action = argv[1];
    if (action == "--help" || action == "-h") {
        std::fputs(Aide, stdout);
        return 0;
    }
    static const char* const Actions[] = {"new", "format", "ls", "export", "import", "check"};
    bool connue = false;
    for (const char* a : Actions) connue = connue || action == a;
    if (!connue) return Refus("action inconnue « " + action + " » (zorv disk --help)");
    TArguments a;
    if (int s = LitArguments(argc, argv, action, a); s >= 0) return s;
    if (a.Aide) {
        std::fputs(Aide, stdout);
        return 0;
    }
    if (action == "new") return Nouvelle(a);
    const bool ecriture = action == "format" || action == "import";
    TImage img;
    if (int s = Ouvre(a.Positions[0], ecriture, img); s >= 0) return s;
    try {
        if (action == "format") return Formate(*img.Secteurs);
        if (action == "ls") return Liste(*img.Secteurs);
        if (action == "export") return Exporte(*img.Secteurs, a.Positions[1]);
        if (action == "import") return Importe(*img.Secteurs, a.Positions[1], a.Formate);
        return Verifie(*img.Secteurs);
    } catch (const TErreurES& e) {
        return Echec(e.what());
    }
}
