#include "cli/OptionsRun.h"
#include "cli/TraceRun.h"

#include "cli/Options.h"
#include "config/Modeles.h"
#include "core/Nombres.h"
#include "core/Texte.h"

namespace {

const char* const Fin =
    "Sans --rom, --chargen ni --prom, les images sont celles de la fenêtre : celles que\n"
    "nomme EmulZorv.ini à côté du programme, sinon QBM71K.bin, G-CAR-T9.bin et\n"
    "T318-C.bin de ce dossier ; installé, celles de share/emulzorv et les réglages de\n"
    "~/.config/EmulZorv. Le modèle par défaut est aussi celui d'EmulZorv.ini.\n"
    "Les touches de --keys attendent que le logiciel de la machine ait annoncé son mode\n"
    "clavier ou lu le clavier une première fois.\n"
    "--replay part de l'état, des disques et de l'horloge de la session ; les options\n"
    "qui préparent la machine ne s'y combinent pas.\n"
    "Code de sortie : 0 fin normale, 2 arguments incorrects, 3 nombre maximal\n"
    "d'instructions atteint avant la condition d'arrêt, 4 processeur arrêté par HLT\n"
    "avant la condition d'arrêt, 1 capture PNG, sortie imprimante ou session\n"
    "impossible à écrire ou session illisible, 5 fin de relecture différente de\n"
    "l'attendu, 6 relecture désynchronisée.\n";

TTraiteOption Modele(TOptionsRun& o) {
    return [&o](const std::string& v) -> std::string {
        o.Modele = IndiceModele(v);
        o.ModeleDonne = true;
        return o.Modele < 0 ? "modèle inconnu « " + v + " » (T7E, T7, T9-64 … T9-04)" : "";
    };
}

TTraiteOption Charge(TOptionsRun& o) {
    return [&o](const std::string& v) -> std::string {
        const size_t eg = v.find('=');
        const auto adr = eg == std::string::npos ? std::nullopt : LitHexa(std::string_view(v).substr(0, eg), 0xFFFF);
        if (!adr || eg + 1 >= v.size()) return "attendu ADR=FICHIER, ADR " + FormeHexa(0xFFFF) + " : « " + v + " »";
        o.Charges.emplace_back(uint16_t(*adr), v.substr(eg + 1));
        return {};
    };
}

TTraiteOption SelMem(TOptionsRun& o) {
    return [&o](const std::string& v) -> std::string {
        const auto n = LitHexa(v, 0xFF);
        if (!n || (*n != 0 && *n != 1 && *n != 0x80 && *n != 0x81))
            return "attendu 0, 1, 80 ou 81 (hexadécimal) : « " + v + " »";
        o.SelMem = uint32_t(*n);
        return {};
    };
}

TTraiteOption ModeClavier(TOptionsRun& o) {
    return [&o](const std::string& v) -> std::string {
        const char* const noms[] = {"BASIC", "TTX", "APL"};
        for (int i = 0; i < 3; ++i)
            if (EgalSansCasse(v, noms[i]) || v == std::to_string(i)) {
                o.ModeClavier = i;
                return {};
            }
        return "mode clavier inconnu « " + v + " » (BASIC, TTX ou APL)";
    };
}

TTraiteOption Ajoute(std::vector<std::string>& liste) {
    return [&liste](const std::string& v) -> std::string {
        liste.push_back(v);
        return {};
    };
}

TTraiteOption Texte(std::optional<std::string>& dest) {
    return [&dest](const std::string& v) -> std::string {
        dest = v;
        return {};
    };
}

} // namespace

int RefusSession(const TOptions& t, const TOptionsRun& o) {
    const bool attentes = !o.AttenteEcran.empty() || !o.AttenteTexte.empty() || !o.AttenteImprimante.empty() ||
                          !o.AttentesDisques.empty();
    if (o.SessionEntree.empty()) {
        if (attentes) return t.Refus("les options --expect-… ne servent qu'avec --replay");
        return -1;
    }
    if (!o.SessionSortie.empty()) return t.Refus("--record et --replay ne se combinent pas");
    const std::pair<bool, const char*> preparations[] = {
        {o.ModeleDonne, "--model"},         {!o.Rom.empty(), "--rom"},           {!o.GenCar.empty(), "--chargen"},
        {!o.Prom.empty(), "--prom"},        {o.SansRom, "--no-rom"},             {o.Graine.has_value(), "--seed"},
        {!o.Charges.empty(), "--load"},     {o.PC.has_value(), "--pc"},          {o.SelMem.has_value(), "--selmem"},
        {o.Bdos.has_value(), "--bdos"},     {!o.Disques.empty(), "--disk"},      {!o.EtatEntree.empty(), "--state-in"},
        {o.Touches.has_value(), "--keys"},  {o.ModeClavier.has_value(), "--kbd-mode"},
        {o.JusquAHalte, "--until-halt"},    {o.JusquAPC.has_value(), "--until-pc"},
        {o.NsParInstruction.has_value(), "--ns-per-instruction"},
    };
    for (const auto& [donnee, nom] : preparations)
        if (donnee) return t.Refus(std::string(nom) + " ne se combine pas avec --replay : la session donne la machine");
    return -1;
}

TOptions TableOptionsRun(TOptionsRun& o) {
    return TableOptionsRun(o, "run", "usage : zorv run [options]\n",
                           "Fait tourner la machine sans fenêtre, sur une horloge virtuelle.\n");
}

TOptions TableOptionsRun(TOptionsRun& o, const std::string& commande, const std::string& usage,
                         const std::string& description) {
    TOptions t(commande, usage, description);
    // Machine and images.
    t.Option({"--model"}, "NOM", "modèle (T7E, T7, T9-64, … T9-04)", Modele(o))
        .Option({"--rom"}, "FICHIER", "ROM de boot (4096 octets au plus)", Chemin(o.Rom))
        .Option({"--chargen"}, "FICHIER", "générateur de caractères (4096 octets au plus)", Chemin(o.GenCar))
        .Option({"--prom"}, "FICHIER", "PROM de décodage des banques (4096 octets au plus)", Chemin(o.Prom))
        .Drapeau({"--no-rom"}, "aucune image : ni ROM, ni générateur, ni PROM", o.SansRom)
        .Option({"--seed"}, "N", "registres de mise sous tension reproductibles (décimal ;\nsans elle ils sont aléatoires)",
                Decimal(o.Graine, 0, UINT32_MAX))
        .Option({"--load"}, "ADR=FICHIER", "charge un fichier en RAM de la banque 0 (répétable)", Charge(o))
        .Option({"--pc"}, "ADR", "compteur ordinal de départ", Hexa(o.PC, 0xFFFF))
        .Option({"--selmem"}, "OCTET", "commutateur mémoire (0, 1, 80 ou 81)", SelMem(o))
        .Option({"--bdos"}, "FICHIER", "programme console chargé en 0100H, toute la mémoire en RAM\n"
                                       "(appels 2 et 9 en 0005H ; fin en 0000H)", Chemin(o.Bdos))
        .Option({"--disk"}, "N=IMAGE[:ro]", "image disquette dans le lecteur N (1, 2, 9 à 12) ;\n"
                                            "« :ro » la protège en écriture (répétable)", Ajoute(o.Disques))
        .Option({"--state-in"}, "FICHIER", "part d'un état enregistré (modèle, mémoire, registres,\nlecteurs) au lieu de la mise sous tension",
                Chemin(o.EtatEntree))
        .Drapeau({"--state-force"}, "remet les images disquettes changées depuis l'enregistrement\nde l'état", o.EtatForce)
        .Option({"--record"}, "FICHIER", "enregistre la session (état de départ, disques, frappe et\névénements) pour la rejouer", Chemin(o.SessionSortie))
        .Option({"--replay"}, "FICHIER", "rejoue une session enregistrée jusqu'à sa fin", Chemin(o.SessionEntree));
    // Keyboard and printer.
    t.Option({"--keys"}, "TEXTE", "frappe au clavier (\\r \\n \\t \\\\ \\xHH)", Texte(o.Touches))
        .Drapeau({"--keys-now"}, "les touches entrent dès le départ, sans attendre le logiciel", o.TouchesImmediates)
        .Option({"--kbd-mode"}, "MODE", "mode clavier : BASIC, TTX, APL ou 0, 1, 2", ModeClavier(o))
        .Option({"--printer"}, "FICHIER",
                "ce qu'imprime la machine : pages PDF pour un nom en .pdf, texte UTF-8 sinon", Chemin(o.Imprimante))
        .Option({"--printer-raw"}, "FICHIER", "octets envoyés à l'imprimante, tels quels", Chemin(o.ImprimanteBrute));
    // End of the run.
    t.Option({"--max-instructions"}, "N", "arrêt après N instructions (décimal)",
             Decimal(o.MaxInstructions, 1, UINT64_MAX))
        .Drapeau({"--until-halt"}, "arrêt sur HLT", o.JusquAHalte)
        .Option({"--until-pc"}, "ADR", "arrêt quand le processeur atteint ADR", Hexa(o.JusquAPC, 0xFFFF))
        .Option({"--ns-per-instruction"}, "N",
                "durée virtuelle fixe d'une instruction (décimal ; sinon, ses\nétats T à la fréquence d'horloge)",
                Decimal(o.NsParInstruction, 0, 1'000'000'000))
        .Option({"--horloge"}, "KHZ", "fréquence d'horloge du processeur (décimal, 1 à 1000000, défaut 3000)",
                [&o](const std::string& v) -> std::string {
                    const auto n = LitDecimal(v, 1'000'000);
                    if (!n || *n == 0) return "attendu une fréquence en kHz, " + FormeDecimal(1, 1'000'000, false);
                    o.HorlogeKHz = uint32_t(*n);
                    return {};
                })
        .Option({"--vitesse"}, "reelle|max", "au rythme de la vraie machine, ou au plus vite (défaut)",
                [&o](const std::string& v) -> std::string {
                    if (v != "reelle" && v != "r\u00e9elle" && v != "max") return "attendu reelle ou max : « " + v + " »";
                    o.VitesseReelle = v != "max";
                    return {};
                });
    // What is shown at the end.
    t.Drapeau({"--screen-text"}, "affiche l'écran en texte à la fin", o.TexteEcran)
        .Option({"--state-out"}, "FICHIER", "enregistre l'état de la machine à la fin", Chemin(o.EtatSortie))
        .Option({"--screenshot", "--screen-png"}, "FICHIER", "enregistre l'écran en PNG à la fin", Chemin(o.EcranPng))
        .Option({"--text-colour"}, "N", "couleur du texte : 0 vert, 1 ambre, 2 blanc", Entier(o.CouleurTexte, 0, 2))
        .Option({"--planes"}, "N", "plans graphiques affichés, 1 à 4", Entier(o.Plans, 1, 4))
        .Option({"--scheme"}, "N", "couleurs graphiques : 0 couleurs, 1 vert, 2 ambre, 3 gris", Entier(o.Schema, 0, 3))
        .Drapeau({"--regs"}, "affiche les registres à la fin", o.Registres)
        .Drapeau({"--stats"}, "instructions, états T, temps virtuel et réel, MIPS", o.Stats)
        .Option({"--trace"}, "FICHIER", "écrit chaque instruction exécutée, ses registres et ses états T\n(boucles repliées)",
                Chemin(o.Trace))
        .Option({"--trace-range"}, "DEBUT-FIN", "ne trace que les instructions de DEBUT à FIN",
                [&o](const std::string& v) { return LitIntervalleTrace(v, o.TraceDebut, o.TraceFin); })
        .Drapeau({"--trace-all"}, "trace chaque instruction, sans replier les boucles", o.TraceTout);
    // What a replay must end with.
    t.Option({"--expect-screen"}, "PNG", "l'écran final doit être cette image (sinon l'image des\npixels différents est écrite à côté)", Chemin(o.AttenteEcran))
        .Option({"--expect-text"}, "FICHIER", "le texte final de l'écran doit être celui-ci", Chemin(o.AttenteTexte))
        .Option({"--expect-printer"}, "FICHIER", "le texte imprimé doit être celui-ci", Chemin(o.AttenteImprimante))
        .Option({"--expect-disk"}, "N=IMAGE", "l'image du lecteur N doit finir octet pour octet comme\nIMAGE (répétable)", Ajoute(o.AttentesDisques));
    t.Fin(std::string(ConventionNombres) + ::Fin);
    return t;
}

int AnalyseOptionsRun(int argc, char** argv, TOptionsRun& o) {
    const TOptions t = TableOptionsRun(o);
    const int statut = t.Analyse(argc, argv);
    if (statut >= 0) return statut;
    if (o.Bdos && o.Modele != 0) return t.Refus("--bdos fait tourner le modèle T7E ; --model ne s'y combine pas");
    if (o.Bdos && (!o.Rom.empty() || !o.Prom.empty() || o.SelMem))
        return t.Refus("--bdos ne s'utilise pas avec --rom, --prom ou --selmem");
    if (o.Trace.empty() && (o.TraceTout || o.TraceDebut != 0 || o.TraceFin != 0xFFFF))
        return t.Refus("--trace-range et --trace-all vont avec --trace FICHIER");
    if (o.SansRom && (!o.Rom.empty() || !o.Prom.empty() || !o.GenCar.empty()))
        return t.Refus("--no-rom ne s'utilise pas avec --rom, --chargen ou --prom");
    return RefusSession(t, o);
}
