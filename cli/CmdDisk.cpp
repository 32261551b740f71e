// zorv disk: the disk manager's tools on image files, from the shell.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/PrepareMachine.h"
#include "cli/Commandes.h"
#include "cli/Options.h"
#include "core/Fichiers.h"
#include "core/Texte.h"
#include "disks/ExportImport.h"
#include "disks/FichierSeul.h"
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
    "  put IMAGE FICHIER [--nom NOM] [--c1 N] [--c2 N]\n"
    "                                     ajoute au disque un fichier de l'hôte (NOM, C1\n"
    "                                     et C2 lus dans un nom NOM_C1_C2 par défaut)\n"
    "  get IMAGE NOM [DOSSIER]            écrit le fichier NOM (ou REP/NOM) du disque dans\n"
    "                                     DOSSIER (. par défaut) sous NOM_C1_C2\n"
    "zorv disk ACTION --help donne l'aide d'une action.\n";

// The end of every help text, the general one's and each action's.
const char* const FinAide =
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
    if (const TLectureFichier g = GenreFichier(chemin); g != TLectureFichier::Ok) return Refus(MessageLecture(g, chemin));
    const auto taille = int64_t(fs::file_size(chemin, ec));
    if (ec || !TailleImageValide(taille)) return Refus(MessageTailleImage(chemin, SeparateurMilliers()));
    img.Lecteurs = std::make_unique<TLecteurs>(taille == 409600 ? 1 : 0);
    img.Slot = taille == 1261568 ? 3 : 1;
    const std::string m = img.Lecteurs->ChargeImage(LecteurDuSlot(img.Slot), chemin, SeparateurMilliers(), !ecriture);
    // The path and its size were good: the image is in use elsewhere.
    if (!m.empty()) {
        std::fprintf(stderr, "zorv disk : %s\n", m.c_str());
        return 1;
    }
    img.Secteurs = std::make_unique<TSecteursLecteur>(*img.Lecteurs, img.Slot);
    return -1;
}

struct TArguments {
    std::vector<std::string> Positions;
    int64_t Taille = 788480; // --size, 800K by default
    bool Formate = false;
    std::optional<std::string> Nom;    // put --nom
    std::optional<uint64_t> C1, C2;    // put --c1, --c2
};

// How many names follow the action: at least, at most.
std::pair<size_t, size_t> NbPositions(const std::string& action) {
    if (action == "export" || action == "import" || action == "put") return {2, 2};
    if (action == "get") return {2, 3};
    return {1, 1};
}

const char* PositionsAttendues(const std::string& action) {
    if (action == "put") return "IMAGE et FICHIER attendus";
    if (action == "get") return "IMAGE et NOM attendus";
    return NbPositions(action).first == 2 ? "IMAGE et DOSSIER attendus" : "IMAGE attendue";
}

std::string Description(const std::string& action) {
    if (action == "new") return "Crée une image vierge pleine taille ; refuse un fichier existant.\n";
    if (action == "format") return "Crée un système de fichiers vide sur l'image.\n";
    if (action == "ls") return "Affiche la légende puis les lignes du catalogue.\n";
    if (action == "export")
        return "Écrit chaque fichier du disque dans DOSSIER (créé s'il n'existe pas ;\n"
               "rien n'est jamais écrasé).\n";
    if (action == "import") return "Ajoute au disque les fichiers de DOSSIER.\n";
    if (action == "put")
        return "Ajoute au disque le fichier FICHIER de l'hôte, sous NOM (REP/NOM dans un répertoire,\n"
               "créé s'il manque) avec C1 et C2. Sans option, ils sont lus dans un nom NOM_C1_C2 ;\n"
               "un autre nom donne un fichier chaîné (C1 1, C2 0). Un nom déjà sur le disque est refusé.\n";
    if (action == "get")
        return "Écrit le fichier NOM (REP/NOM pour un fichier de répertoire, dans le sous-dossier REP)\n"
               "dans DOSSIER, créé s'il n'existe pas, sous le nom NOM_C1_C2 de l'export ;\n"
               "rien n'est jamais écrasé.\n";
    return "Vérifie catalogue, répertoires et chaînes ; statut 1 si le disque est endommagé.\n";
}

// The option table of one action: its own usage line and options; --help,
// -h and --version come with the table.
TOptions TableAction(const std::string& action, TArguments& a) {
    const size_t maxi = NbPositions(action).second;
    std::string usage = "usage : zorv disk " + action + " IMAGE";
    if (action == "export" || action == "import") usage += " DOSSIER";
    if (action == "new") usage += " [--size 800K|400K|1.2M]";
    if (action == "import") usage += " [--format]";
    if (action == "put") usage += " FICHIER [--nom NOM] [--c1 N] [--c2 N]";
    if (action == "get") usage += " NOM [DOSSIER]";
    TOptions t("disk " + action, usage + "\n", Description(action));
    if (action == "new")
        t.Option({"--size"}, "TAILLE", "800K (défaut), 400K ou 1.2M", [&a](const std::string& v) -> std::string {
            if (v == "800K" || v == "800k")
                a.Taille = 788480;
            else if (v == "400K" || v == "400k")
                a.Taille = 409600;
            else if (v == "1.2M" || v == "1.2m")
                a.Taille = 1261568;
            else
                return "attendu 800K, 400K ou 1.2M, pas « " + v + " »";
            return {};
        });
    if (action == "import") t.Drapeau({"--format"}, "formate le disque avant d'importer", a.Formate);
    if (action == "put") {
        t.Option({"--nom"}, "NOM", "nom sur le disque, REP/NOM dans un répertoire", Chemin(a.Nom));
        t.Option({"--c1"}, "N", "C1 de l'entrée, décimal de 0 à 65535", Decimal(a.C1, 0, 0xFFFF));
        t.Option({"--c2"}, "N", "C2 de l'entrée, décimal de 0 à 65535\n"
                                "(C1 = 256 et C2 = 0 : texte au nom de 15 caractères)",
                 Decimal(a.C2, 0, 0xFFFF));
    }
    t.Arguments([&a, maxi](const std::string& v) -> std::string {
        if (a.Positions.size() >= maxi) return "argument en trop « " + v + " »";
        a.Positions.push_back(v);
        return {};
    });
    t.Fin(FinAide);
    return t;
}

// Reads the arguments after the action; returns -1 when they are good.
int LitArguments(int argc, char** argv, const std::string& action, TArguments& a) {
    const TOptions t = TableAction(action, a);
    // The table reads from its second argument: the action stands first.
    if (const int s = t.Analyse(argc - 1, argv + 1); s >= 0) return s;
    if (a.Positions.size() < NbPositions(action).first)
        return t.Refus(std::string(PositionsAttendues(action)) + " (zorv disk " + action + " --help)");
    return -1;
}

int Nouvelle(const TArguments& a) {
    const std::vector<uint8_t> zeros(size_t(a.Taille), 0);
    bool existe = false;
    std::string erreur;
    if (EcritFichierNouveau(a.Positions[0], zeros.data(), zeros.size(), existe, erreur)) return 0;
    return Echec(existe ? "Le fichier : " + a.Positions[0] + " Existe d\u00e9j\u00e0" : erreur);
}

// The image changes as a whole: as it was, or as the action left it.
int Formate(TImage& img) {
    TDialogueCli dlg(stdout);
    if (img.Secteurs->Etat() == 2) return Echec("Disque prot\u00e9g\u00e9 en \u00e9criture");
    bool fait = false;
    ModifieImage(*img.Lecteurs, img.Slot, [&](ISecteurs& disque) {
        TSystemeFichiers sf(disque, dlg);
        fait = sf.FormatInconditionnel();
    });
    return fait ? 0 : Echec("Disque prot\u00e9g\u00e9 en \u00e9criture");
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

int Importe(TImage& img, const std::string& dossier, bool formate) {
    std::error_code ec;
    if (!fs::is_directory(dossier, ec)) return Refus("dossier absent « " + dossier + " »");
    TDialogueCli dlg(stdout, dossier);
    TDialogueDiffere differe(dlg); // the summary once the image is written
    TExportImport ei;
    ModifieImage(*img.Lecteurs, img.Slot, [&](ISecteurs& disque) {
        if (formate)
            ei.FormateEtImporte(disque, differe);
        else
            ei.Importe(disque, differe);
    });
    differe.Libere();
    return dlg.Messages ? 1 : 0;
}

// The name, C1 and C2 of `put`: the options, else what the host name says.
// Returns -1 when they are good, else the exit status.
int ValeursPut(const TArguments& a, TFichierAImporter& f) {
    const std::string& fichier = a.Positions[1];
    if (const TLectureFichier g = GenreFichier(fichier); g != TLectureFichier::Ok) return Refus(MessageLecture(g, fichier));
    f = ValeursImport(fichier);
    if (a.Nom) f.Nom = *a.Nom;
    if (a.C1) f.C1 = int64_t(*a.C1);
    if (a.C2) f.C2 = int64_t(*a.C2);
    if (const std::string r = RefusImport(f); !r.empty()) return Refus(r + " (--nom, --c1, --c2)");
    return -1;
}

int Depose(TImage& img, const std::string& fichier, const TFichierAImporter& f) {
    TDialogueCli dlg(stdout);
    TDialogueDiffere differe(dlg); // the summary once the image is written
    ModifieImage(*img.Lecteurs, img.Slot,
                 [&](ISecteurs& disque) { ImporteFichierSeul(disque, differe, fichier, f); });
    differe.Libere();
    return dlg.Messages ? 1 : 0;
}

int Retire(ISecteurs& disque, const std::string& nom, const std::string& dossier) {
    TDialogueCli dlg(stdout, dossier);
    TSystemeFichiers sf(disque, dlg);
    const TCatalogueAffiche c = sf.AfficheCatalogue();
    if (!c.Formate) return Echec("Le disque n'est pas format\u00e9");
    const TEntreeListee* e = TrouveFichier(c, nom);
    if (!e) return Echec("Le fichier " + TexteVisible(nom) + " n'est pas sur le disque (zorv disk ls donne la liste)");
    std::error_code ec;
    if (!fs::is_directory(dossier, ec) && !fs::create_directories(dossier, ec))
        return Refus("dossier impossible \u00e0 cr\u00e9er « " + dossier + " »");
    TExportImport ei;
    ei.ExporteFichier(disque, dlg, *e);
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

const std::vector<std::string>& ActionsDisque() {
    static const std::vector<std::string> actions = {"new", "format", "ls", "export", "import", "check", "put", "get"};
    return actions;
}

int CommandeDisk(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(Aide, stderr);
        std::fputs(FinAide, stderr);
        return 2;
    }
    const std::string action = argv[1];
    if (action == "--help" || action == "-h") {
        std::fputs(Aide, stdout);
        std::fputs(FinAide, stdout);
        return 0;
    }
    if (action == "--version") {
        std::printf("zorv %s\n", VersionZorv);
        return 0;
    }
    bool connue = false;
    for (const std::string& a : ActionsDisque()) connue = connue || action == a;
    if (!connue) return Refus("action inconnue « " + action + " » (zorv disk --help)");
    TArguments a;
    if (int s = LitArguments(argc, argv, action, a); s >= 0) return s;
    if (action == "new") return Nouvelle(a);
    TFichierAImporter depot;
    if (action == "put")
        if (const int s = ValeursPut(a, depot); s >= 0) return s;
    const bool ecriture = action == "format" || action == "import" || action == "put";
    TImage img;
    if (int s = Ouvre(a.Positions[0], ecriture, img); s >= 0) return s;
    try {
        if (action == "format") return Formate(img);
        if (action == "ls") return Liste(*img.Secteurs);
        if (action == "export") return Exporte(*img.Secteurs, a.Positions[1]);
        if (action == "import") return Importe(img, a.Positions[1], a.Formate);
        if (action == "put") return Depose(img, a.Positions[1], depot);
        if (action == "get") return Retire(*img.Secteurs, a.Positions[1], a.Positions.size() > 2 ? a.Positions[2] : ".");
        return Verifie(*img.Secteurs);
    } catch (const TErreurES& e) {
        return Echec(e.what());
    }
}
