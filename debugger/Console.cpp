#include "debugger/Console.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "config/Poste.h"
#include "core/Nombres.h"
#include "core/Texte.h"
#include "debugger/Debogueur.h"
#include "debugger/PointsArret.h"
#include "debugger/SaisieRegistre.h"

const std::vector<TCommandeConsole>& TConsoleDebogueur::Table() {
    static const std::vector<TCommandeConsole> table = {
        {"reg", "[R=VALEUR]", "registres et drapeaux ; R=VALEUR change un registre (hexadécimal)",
         &TConsoleDebogueur::CmdReg},
        {"pas", "[N]", "exécute N instructions pas à pas (1 par défaut)", &TConsoleDebogueur::CmdPas},
        {"passe", "", "pas à pas en passant par-dessus un CALL", &TConsoleDebogueur::CmdPasse},
        {"jusqua", "ADR", "lance jusqu'à l'adresse ADR", &TConsoleDebogueur::CmdJusqua},
        {"lance", "[N]", "lance jusqu'à un arrêt ou N instructions (100000000 par défaut)",
         &TConsoleDebogueur::CmdLance},
        {"raz", "", "remise à zéro, processeur arrêté en 0000H", &TConsoleDebogueur::CmdRaz},
        {"int", "", "demande d'interruption (bouton INT)", &TConsoleDebogueur::CmdInt},
        {"sort", "", "lance jusqu'au retour de la routine en cours", &TConsoleDebogueur::CmdSort},
        {"recule", "[N]", "revient N instructions en arrière (1 par défaut), mémoire et disques compris",
         &TConsoleDebogueur::CmdRecule},
        {"recule-passe", "", "revient d'une instruction en passant par-dessus un CALL ou un RST",
         &TConsoleDebogueur::CmdReculePasse},
        {"recule-jusqua", "", "revient au dernier point d'arrêt ou de surveillance atteint, ou au début de l'historique",
         &TConsoleDebogueur::CmdReculeJusqua},
        {"retour", "", "ce que l'historique couvre : instructions, durée, mémoire", &TConsoleDebogueur::CmdHistoire},
        {"pause", "", "arrête le processeur lancé", &TConsoleDebogueur::CmdPause},
        {"etat", "[t]", "état du processeur : RUN, STOP ou HLT ; t : les états T en plus",
         &TConsoleDebogueur::CmdEtat},
        {"pa", "[ADR [si COND]]", "pose un point d'arrêt en ADR, avec une condition ; seul : la liste",
         &TConsoleDebogueur::CmdPa},
        {"pa-", "ADR", "retire le point d'arrêt de ADR", &TConsoleDebogueur::CmdPaMoins},
        {"dasm", "[DEBUT [FIN]]", "désassemble de DEBUT à FIN (PC à PC+511 par défaut)",
         &TConsoleDebogueur::CmdDasm},
        {"mem", "DEBUT [FIN] [VUE]", "affiche la mémoire comme la fenêtre de données (VUE : cpu, logiciel, data)",
         &TConsoleDebogueur::CmdMem},
        {"ecris", "ADR OCTET... [VUE]", "écrit des octets à partir de ADR, comme l'éditeur hexadécimal",
         &TConsoleDebogueur::CmdEcris},
        {"remplit", "DEBUT FIN VALEUR [VUE]", "remplit la mémoire de DEBUT à FIN avec VALEUR",
         &TConsoleDebogueur::CmdRemplit},
        {"copie", "DEBUT FIN DEST [VS VD]", "copie DEBUT..FIN en DEST (vues source et destination)",
         &TConsoleDebogueur::CmdCopie},
        {"cherche", "DEBUT FIN MOTIF [VUE]", "adresses des octets (3E 01) ou du \"texte\" entre DEBUT et FIN",
         &TConsoleDebogueur::CmdCherche},
        {"charge-mem", "FICHIER ADR [VUE]", "charge un fichier de l'hôte en mémoire à partir de ADR (VUE : cpu, logiciel ou 0, data ou 1)",
         &TConsoleDebogueur::CmdChargeMem},
        {"sauve-mem", "FICHIER DEBUT FIN [VUE]", "enregistre la mémoire de DEBUT à FIN dans un fichier de l'hôte",
         &TConsoleDebogueur::CmdSauveMem},
        {"sauve-etat", "FICHIER", "enregistre l'état complet de la machine (mémoire, registres, périphériques, lecteurs)",
         &TConsoleDebogueur::CmdSauveEtat},
        {"charge-etat", "FICHIER", "reprend la machine dans l'état enregistré (refusé si une image de disquette a changé)",
         &TConsoleDebogueur::CmdChargeEtat},
        {"sym", "[NOM ADR]", "ajoute un symbole ; sym charge FICHIER, sym tri nom|adresse, sym efface ; seul : la liste",
         &TConsoleDebogueur::CmdSym},
        {"source", "[ADR]", "fichier et ligne du source qui a assemblé ADR (PC par défaut), d'après la carte chargée",
         &TConsoleDebogueur::CmdSource},
        {"surv", "[DEBUT [FIN] [l|e|le] [cpu|logiciel|data]]",
         "arrêt sur lecture (l) ou écriture (e) de DEBUT à FIN ; seul : la liste", &TConsoleDebogueur::CmdSurv},
        {"surv-", "[DEBUT]", "retire les points de surveillance de DEBUT (tous sans DEBUT)",
         &TConsoleDebogueur::CmdSurvMoins},
        {"var", "[ADR TYPE [logiciel|data]]",
         "ajoute une variable (TYPE : octet, car, ptr, 32, 64, flottant) ; seul, liste les variables",
         &TConsoleDebogueur::CmdVar},
        {"var-", "N", "retire la variable de la ligne N (1 pour la première)", &TConsoleDebogueur::CmdVarMoins},
        {"pile", "", "contenu de la pile du CPU depuis SP (255 lignes au plus)", &TConsoleDebogueur::CmdPile},
        {"conv", "FLOTTANT", "octets hexadécimaux d'une valeur flottante (double précision)",
         &TConsoleDebogueur::CmdConv},
        {"conv-hex", "\"HEXA\"", "valeur flottante de 8 octets hexadécimaux (le premier est le plus fort)",
         &TConsoleDebogueur::CmdConvHex},
        {"code", "DEBUT [FIN] [cpu|logiciel|data]", "fenêtre de code : désassemble de DEBUT à FIN dans la banque choisie",
         &TConsoleDebogueur::CmdCode},
        {"trace", "[FICHIER [DEBUT FIN] [banque] [tout]]",
         "écrit chaque instruction exécutée (registres, états T) dans FICHIER, boucles repliées sauf avec tout ; "
         "trace arret ferme le fichier",
         &TConsoleDebogueur::CmdTrace},
        {"historique", "[N]", "les N dernières instructions exécutées avec leurs registres (20 par défaut, 100000 au plus)",
         &TConsoleDebogueur::CmdHistorique},
        {"profil", "[[routines] [N] | ACTION]",
         "profileur : les N adresses les plus coûteuses, ou par routine (appels, états T exclusifs et inclusifs) ; "
         "ACTION : marche, arret, raz, csv FICHIER",
         &TConsoleDebogueur::CmdProfil},
        {"couverture", "[ACTION | lcov FICHIER [banque]]",
         "octets exécutés, lus, écrits ; lcov : fichier de couverture par ligne de la carte des sources ; "
         "ACTION : marche, arret, raz",
         &TConsoleDebogueur::CmdCouverture},
        {"qui", "ADR [banque]", "la dernière instruction qui a écrit l'octet ADR, et quand (n° d'instruction)",
         &TConsoleDebogueur::CmdQui},
        {"aide", "", "liste des commandes", &TConsoleDebogueur::CmdAide},
    };
    return table;
}

TConsoleDebogueur::TConsoleDebogueur(TPosteVirtuel& poste)
    : FPoste(poste), FHoteVirtuel(&poste.HoteVirtuel), FHorloge(&poste.HoteVirtuel), D(poste.Debogueur()),
      M(poste.Machine()) {
    D.Suivi.AjouteClient();
    FPoste.SurDemandeLancement = [this] { FCourseDemandee = true; };
    if (M.EtatCPU != CPUStop) {
        M.ChangeEtatCPU(CPUStop);
        M.SignaleEtatDuCPU(CPUStop);
    }
    Pompe();
}

TConsoleDebogueur::TConsoleDebogueur(TPoste& poste, THorlogeMachine* horloge)
    : FPoste(poste), FHorloge(horloge), D(poste.Debogueur()), M(poste.Machine()) {
    // Beside the window the debugger's user is the window while it shows
    // (TCPUForm), not this pane, which lives as long as the main window.
    // The run message still starts the main window's loop, with the budget
    // of the command that asked for it.
    FPoste.SurDemandeLancement = [this] { LanceDepuisLaFenetre(); };
    FDemandeCourseAvant = D.DemandeCourse;
    D.DemandeCourse = [this] {
        FCourseDemandee = true;
        if (FDemandeCourseAvant) FDemandeCourseAvant();
    };
    FPoste.AjouteObservateur(this);
}

TConsoleDebogueur::~TConsoleDebogueur() {
    if (!PresDeLaFenetre()) D.Suivi.RetireClient();
    FPoste.SurDemandeLancement = nullptr;
    if (PresDeLaFenetre()) {
        D.DemandeCourse = FDemandeCourseAvant;
        FPoste.RetireObservateur(this);
    }
}

void TConsoleDebogueur::Pompe() {
    if (FHoteVirtuel) FHoteVirtuel->Pompe(); // beside the window, its message loop delivers
}

void TConsoleDebogueur::LanceDepuisLaFenetre() {
    const uint64_t budget = std::exchange(FBudgetFenetre, UINT64_MAX);
    if (std::exchange(FAvaleLancement, false)) return; // raz keeps the processor stopped
    FPoste.LanceBoucle(budget);
}

void TConsoleDebogueur::Arret(const TRapportArret& rapport) {
    if (!FAttendArret || rapport.Cause == TCauseArret::DejaEnCours) return;
    FAttendArret = false;
    if (SurSortieDifferee) SurSortieDifferee(TexteRapport(rapport));
}

bool TConsoleDebogueur::PermiseEnCourse(const TCommandeConsole& c) {
    for (const char* nom : {"etat", "aide", "pause", "raz", "reg"})
        if (std::string_view(c.Nom) == nom) return true;
    return false;
}

bool TConsoleDebogueur::Execute(const std::string& ligne, std::vector<std::string>& sortie) {
    FSortie = &sortie;
    TArgumentsConsole mots;
    for (size_t i = 0; i < ligne.size();) {
        while (i < ligne.size() && EstBlanc(ligne[i])) ++i;
        const size_t debut = i;
        while (i < ligne.size() && !EstBlanc(ligne[i])) ++i;
        if (i > debut) mots.emplace_back(ligne, debut, i - debut);
    }
    if (!mots.empty() && (mots[0][0] == '#' || mots[0][0] == ';')) return true;
    return ExecuteMots(std::move(mots), sortie);
}

bool TConsoleDebogueur::ExecuteMots(TArgumentsConsole mots, std::vector<std::string>& sortie) {
    FSortie = &sortie;
    if (mots.empty() || mots[0].empty()) return true;
    FCommande = nullptr;
    for (const TCommandeConsole& c : Table())
        if (EgalSansCasse(mots[0], c.Nom)) FCommande = &c;
    if (!FCommande) return Erreur("commande inconnue « " + mots[0] + " » (aide donne la liste)");
    mots.erase(mots.begin());
    if ((M.EtatCPU == CPURun || M.BoucleActive || FAttendArret) && !PermiseEnCourse(*FCommande))
        return Erreur(std::string(FCommande->Nom) + " : impossible, le processeur tourne (pause l'arrête)");
    FCourseDemandee = false;
    const bool ok = (this->*(FCommande->Gestionnaire))(mots);
    Pompe();
    return ok;
}

// A refusal quotes the line's own bytes: a NUL or a control byte among them
// is written \xHH, so that the whole of it shows on a terminal.
bool TConsoleDebogueur::Erreur(const std::string& message) {
    Ecrit(TexteVisible(message));
    return false;
}

bool TConsoleDebogueur::Malforme() {
    std::string attendu = FCommande->Nom;
    if (*FCommande->Parametres) attendu += std::string(" ") + FCommande->Parametres;
    return Erreur(std::string(FCommande->Nom) + " : paramètres incorrects (" + attendu + ")");
}

bool TConsoleDebogueur::Refuse(int refus) {
    if (TRefus(refus) == TRefus::Aucun) return true;
    return Erreur(std::string(FCommande->Nom) + " : impossible, " + TexteRefus(TRefus(refus), M.EtatCPU));
}

void TConsoleDebogueur::Court(uint64_t budget) {
    Pompe(); // the run message of the command
    if (!FCourseDemandee) return;
    FCourseDemandee = false;
    if (PresDeLaFenetre()) {
        // The message loop runs it; its report comes with the stop.
        FBudgetFenetre = budget;
        FAttendArret = true;
        return;
    }
    M.DemandeArret = FInterruption;
    const TRapportArret r = M.LanceEmulation(budget);
    M.DemandeArret = nullptr;
    FCourseDemandee = false; // asked again while it ran: already honoured
    // A Ctrl+C that came as the run stopped on its own is spent with it.
    if (PrendInterruption() && r.Cause == TCauseArret::Pause)
        Ecrit(TexteRapportArret(CauseInterruption, r.Adresse));
    else
        Ecrit(TexteRapport(r));
}

bool TConsoleDebogueur::PrendInterruption() {
    if (!FInterruption || !*FInterruption) return false;
    *FInterruption = 0;
    return true;
}

bool TConsoleDebogueur::LitBudget(const TArgumentsConsole& a, uint64_t& budget) {
    if (a.size() > 1) return false;
    if (a.empty()) return true;
    const auto n = LitDecimal(a[0], UINT64_MAX, true);
    if (!n || *n == 0) return false;
    budget = *n;
    return true;
}

bool TConsoleDebogueur::CmdReg(const TArgumentsConsole& a) {
    if (a.size() > 1) return Malforme();
    if (a.size() == 1) {
        const size_t eg = a[0].find('=');
        if (eg == std::string::npos) return Malforme();
        const auto r = RegistreNomme(std::string_view(a[0]).substr(0, eg));
        const std::string valeur = a[0].substr(eg + 1);
        if (!r || valeur.empty() || ValeurHexa(valeur[0]) < 0) return Malforme();
        if (ValeurRegistre(valeur, false) >= (LargeurRegistre(*r) == 2 ? 0x10000u : 0x100u))
            return Erreur("reg : valeur trop grande pour " + std::string(NomRegistre(*r)) + " : " + valeur);
        const TRefus refus = D.PeutExecuter();
        if (refus != TRefus::Aucun) return Refuse(int(refus));
        const bool decimal = D.Decimal;
        D.Decimal = false; // the console's values are hexadecimal
        D.ChangeTexteRegistre(*r, valeur);
        D.Decimal = decimal;
    }
    Ecrit(LigneRegistresDrapeaux(LitRegistres(M)));
    return true;
}

bool TConsoleDebogueur::CmdPas(const TArgumentsConsole& a) {
    uint64_t n = 1;
    if (!LitBudget(a, n)) return Malforme();
    uint64_t faits = 0;
    while (faits < n) {
        if (PrendInterruption()) {
            Ecrit(TexteRapportArret(CauseInterruption, M.RegPC));
            return true;
        }
        const TRefus refus = D.Pas();
        if (refus != TRefus::Aucun) {
            if (faits == 0) return Refuse(int(refus));
            break;
        }
        ++faits;
    }
    const bool halte = M.EtatCPU == CPUHalt;
    Ecrit(TexteRapportArret({halte ? TCauseArret::Halte : TCauseArret::Budget, M.RegPC, faits}));
    return true;
}

bool TConsoleDebogueur::CmdPasse(const TArgumentsConsole& a) {
    if (!a.empty()) return Malforme();
    const uint64_t avant = M.NbInstructions;
    const TRefus refus = D.PasseAuDessus();
    if (refus != TRefus::Aucun) return Refuse(int(refus));
    Pompe();
    if (FCourseDemandee) {
        Court(BudgetParDefaut);
        return true;
    }
    const bool halte = M.EtatCPU == CPUHalt;
    Ecrit(TexteRapportArret({halte ? TCauseArret::Halte : TCauseArret::Budget, M.RegPC, M.NbInstructions - avant}));
    return true;
}

bool TConsoleDebogueur::CmdJusqua(const TArgumentsConsole& a) {
    if (a.size() != 1) return Malforme();
    const auto adr = LitHexa(a[0], 0xFFFF);
    if (!adr) return Malforme();
    const TRefus refus = D.JusquA(uint16_t(*adr));
    if (refus != TRefus::Aucun) return Refuse(int(refus));
    Court(BudgetParDefaut);
    return true;
}

bool TConsoleDebogueur::CmdLance(const TArgumentsConsole& a) {
    uint64_t budget = BudgetParDefaut;
    if (!LitBudget(a, budget)) return Malforme();
    const TRefus refus = D.Lance();
    if (refus != TRefus::Aucun) return Refuse(int(refus));
    Court(budget);
    return true;
}

bool TConsoleDebogueur::CmdRaz(const TArgumentsConsole& a) {
    if (!a.empty()) return Malforme();
    // The reset posts the run message unless the processor runs.
    if (PresDeLaFenetre() && M.EtatCPU != CPURun) FAvaleLancement = true;
    FAttendArret = false;
    D.Raz();
    Pompe();
    // The window's reset starts the machine; the console keeps it stopped
    // on the first instruction, to be run by lance.
    FCourseDemandee = false;
    M.ChangeEtatCPU(CPUStop);
    M.SignaleEtatDuCPU(CPUStop);
    Ecrit(Format("raz : processeur arrêté en %.4XH", unsigned(M.RegPC)));
    return true;
}

bool TConsoleDebogueur::CmdInt(const TArgumentsConsole& a) {
    if (!a.empty()) return Malforme();
    D.Int();
    Ecrit("int : demande d'interruption en attente");
    return true;
}

bool TConsoleDebogueur::CmdEtat(const TArgumentsConsole& a) {
    if (a.size() > 1 || (a.size() == 1 && !EgalSansCasse(a[0], "t"))) return Malforme();
    Ecrit(M.EtatCPU == CPURun ? "RUN" : M.EtatCPU == CPUStop ? "STOP" : "HLT");
    if (!a.empty()) Ecrit(D.TexteEtatsT());
    return true;
}

bool TConsoleDebogueur::CmdSort(const TArgumentsConsole& a) {
    if (!a.empty()) return Malforme();
    const TRefus refus = D.Sort();
    if (refus != TRefus::Aucun) return Refuse(int(refus));
    Court(BudgetParDefaut);
    return true;
}

bool TConsoleDebogueur::CmdPause(const TArgumentsConsole& a) {
    if (!a.empty()) return Malforme();
    const TRefus refus = D.Pause();
    if (refus != TRefus::Aucun) return Refuse(int(refus));
    Ecrit(Format("pause : processeur arrêté en %.4XH", unsigned(M.RegPC)));
    return true;
}

bool TConsoleDebogueur::CmdPa(const TArgumentsConsole& a) {
    if (a.size() != 1) return CmdPaEtendu(a);
    const auto adr = LitHexa(a[0], UINT64_MAX);
    if (!adr) return Malforme();
    const uint16_t p = *adr > 0xFFFF ? 0xFFFF : uint16_t(*adr);
    const bool ajoute = AjoutePtArret(M.TblPtArret, *adr);
    if (ajoute) D.ReDasmDebug();
    Ecrit(Format(ajoute ? "pa : point d'arrêt en %.4XH" : "pa : point d'arrêt déjà en %.4XH", unsigned(p)));
    return true;
}

bool TConsoleDebogueur::CmdPaMoins(const TArgumentsConsole& a) {
    if (a.size() != 1) return Malforme();
    const auto adr = LitHexa(a[0], 0xFFFF);
    if (!adr) return Malforme();
    const bool retire = RetirePtArret(M.TblPtArret, uint16_t(*adr));
    if (retire) D.ReDasmDebug();
    Ecrit(Format(retire ? "pa- : point d'arrêt retiré de %.4XH" : "pa- : pas de point d'arrêt en %.4XH",
                 unsigned(*adr)));
    return true;
}

bool TConsoleDebogueur::CmdDasm(const TArgumentsConsole& a) {
    if (a.size() > 2) return Malforme();
    int32_t debut = M.RegPC;
    if (!a.empty()) {
        const auto d = LitHexa(a[0], 0xFFFF);
        if (!d) return Malforme();
        debut = int32_t(*d);
    }
    int32_t fin = std::min(debut + 511, 0xFFFF);
    if (a.size() == 2) {
        const auto f = LitHexa(a[1], UINT64_MAX);
        if (!f || int64_t(*f) < debut) return Malforme();
        fin = *f > 0xFFFF ? 0xFFFF : int32_t(*f);
    }
    D.ListeDasm(debut, fin);
    for (const TLigneListing& l : D.Lignes()) Ecrit(l.Texte);
    return true;
}

bool TConsoleDebogueur::CmdAide(const TArgumentsConsole& a) {
    if (!a.empty()) return Malforme();
    int nom = 0, parametres = 0; // the widest of each column, then two blanks
    for (const TCommandeConsole& c : Table()) {
        nom = std::max(nom, int(NbCaracteres(c.Nom)) + 2);
        parametres = std::max(parametres, int(NbCaracteres(c.Parametres)) + 2);
    }
    for (const TCommandeConsole& c : Table()) Ecrit(Format("%-*s%-*s%s", nom, c.Nom, parametres, c.Parametres, c.Aide));
    return true;
}
