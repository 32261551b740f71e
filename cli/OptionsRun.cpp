#include "cli/OptionsRun.h"

#include <cstring>

#include "config/Modeles.h"

const char* const AideRun =
    "usage : zorv run [options]\n"
    "Fait tourner la machine sans fenêtre, sur une horloge virtuelle.\n"
    "Adresses et valeurs en hexadécimal (1234, 0x1234 ou 1234H), compteurs en décimal.\n"
    "  --model NOM             modèle (T7E, T7, T9-64, … T9-04 ; défaut T7E)\n"
    "  --rom FICHIER           ROM de boot (4096 octets au plus)\n"
    "  --chargen FICHIER       générateur de caractères (4096 octets au plus)\n"
    "  --prom FICHIER          PROM de décodage des banques (4096 octets au plus)\n"
    "  --load ADR=FICHIER      charge un fichier en RAM de la banque 0 (répétable)\n"
    "  --pc ADR                compteur ordinal de départ\n"
    "  --selmem VALEUR         commutateur mémoire (0, 1, 80 ou 81)\n"
    "  --keys TEXTE            frappe au clavier (\\r \\n \\t \\\\ \\xHH)\n"
    "  --kbd-mode MODE         mode clavier : BASIC, TTX, APL ou 0, 1, 2\n"
    "  --max-instructions N    arrêt après N instructions\n"
    "  --until-halt            arrêt sur HLT\n"
    "  --until-pc ADR          arrêt quand le processeur atteint ADR\n"
    "  --ns-per-instruction N  durée virtuelle fixe d'une instruction (sinon, ses\n"
    "                          états T à la fréquence d'horloge)\n"
    "  --horloge KHZ           fréquence d'horloge du processeur (défaut 3000)\n"
    "  --vitesse reelle|max    au rythme de la vraie machine, ou au plus vite (défaut)\n"
    "  --printer FICHIER       caractères envoyés à l'imprimante\n"
    "  --bdos FICHIER          programme console chargé en 0100H, toute la mémoire en RAM\n"
    "                          (appels 2 et 9 en 0005H ; fin en 0000H)\n"
    "  --screen-text           affiche l'écran en texte à la fin\n"
    "  --disk N=IMAGE[:ro]     image disquette dans le lecteur N (1, 2, 9 à 12) ;\n"
    "                          « :ro » la protège en écriture (répétable)\n"
    "  --screenshot FICHIER    enregistre l'écran en PNG à la fin (ou --screen-png)\n"
    "  --text-colour N         couleur du texte : 0 vert, 1 ambre, 2 blanc\n"
    "  --planes N              plans graphiques affichés, 1 à 4\n"
    "  --scheme N              couleurs graphiques : 0 couleurs, 1 vert, 2 ambre, 3 gris\n"
    "  --regs                  affiche les registres à la fin\n"
    "  --stats                 instructions, états T, temps virtuel et réel, MIPS\n"
    "Code de sortie : 0 fin normale, 2 arguments incorrects, 3 nombre maximal\n"
    "d'instructions atteint avant la condition d'arrêt, 4 processeur arrêté par HLT\n"
    "avant la condition d'arrêt, 1 capture PNG impossible à écrire.\n";

namespace {

bool LitNombre(const std::string& s, int base, uint64_t max, uint64_t& v) {
    std::string t = s;
    if (base == 16) {
        if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) t = t.substr(2);
        else if (t.size() > 1 && (t.back() == 'h' || t.back() == 'H')) t.pop_back();
    }
    if (t.empty() || t.size() > 20) return false;
    v = 0;
    for (char c : t) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        if (uint64_t(d) > max || v > (max - uint64_t(d)) / uint64_t(base)) return false;
        v = v * uint64_t(base) + uint64_t(d);
    }
    return true;
}

int LitMode(const std::string& s) {
    if (s == "BASIC" || s == "basic" || s == "0") return 0;
    if (s == "TTX" || s == "ttx" || s == "1") return 1;
    if (s == "APL" || s == "apl" || s == "2") return 2;
    return -2;
}

} // namespace

std::string AnalyseOptionsRun(int argc, char** argv, TOptionsRun& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string opt = argv[i];
        auto valeur = [&](std::string& v) -> bool {
            if (i + 1 >= argc) return false;
            v = argv[++i];
            return true;
        };
        std::string v;
        uint64_t n = 0;
        if (opt == "--help" || opt == "-h") { o.Aide = true; continue; }
        if (opt == "--until-halt") { o.JusquAHalte = true; continue; }
        if (opt == "--screen-text") { o.TexteEcran = true; continue; }
        if (opt == "--regs") { o.Registres = true; continue; }
        if (opt == "--stats") { o.Stats = true; continue; }
        const bool avecValeur = opt == "--model" || opt == "--rom" || opt == "--prom" || opt == "--load" ||
                                opt == "--pc" || opt == "--selmem" || opt == "--keys" || opt == "--kbd-mode" ||
                                opt == "--max-instructions" || opt == "--until-pc" ||
                                opt == "--ns-per-instruction" || opt == "--printer" || opt == "--bdos" ||
                                opt == "--chargen" || opt == "--screen-png" ||
                                opt == "--screenshot" || opt == "--disk" || opt == "--text-colour" ||
                                opt == "--planes" || opt == "--scheme" || opt == "--vitesse" ||
                                opt == "--horloge";
        if (!avecValeur) return "option inconnue « " + opt + " »";
        if (!valeur(v)) return "l'option " + opt + " attend une valeur";
        if (opt == "--model") {
            o.Modele = IndiceModele(v);
            if (o.Modele < 0) return "modèle inconnu « " + v + " »";
        } else if (opt == "--rom") {
            o.Rom = v;
        } else if (opt == "--prom") {
            o.Prom = v;
        } else if (opt == "--chargen") {
            o.GenCar = v;
        } else if (opt == "--disk") {
            o.Disques.push_back(v);
        } else if (opt == "--text-colour") {
            if (!LitNombre(v, 10, 2, n)) return "--text-colour attend 0, 1 ou 2 : « " + v + " »";
            o.CouleurTexte = int(n);
        } else if (opt == "--planes") {
            if (!LitNombre(v, 10, 4, n) || n == 0) return "--planes attend un nombre de 1 à 4 : « " + v + " »";
            o.Plans = int(n);
        } else if (opt == "--scheme") {
            if (!LitNombre(v, 10, 3, n)) return "--scheme attend 0, 1, 2 ou 3 : « " + v + " »";
            o.Schema = int(n);
        } else if (opt == "--screen-png" || opt == "--screenshot") {
            o.EcranPng = v;
        } else if (opt == "--bdos") {
            o.Bdos = v;
        } else if (opt == "--printer") {
            o.Imprimante = v;
        } else if (opt == "--load") {
            const size_t eg = v.find('=');
            if (eg == std::string::npos || eg + 1 >= v.size() || !LitNombre(v.substr(0, eg), 16, 0xFFFF, n))
                return "--load attend ADR=FICHIER, ADR en hexadécimal : « " + v + " »";
            o.Charges.emplace_back(uint16_t(n), v.substr(eg + 1));
        } else if (opt == "--pc" || opt == "--until-pc") {
            if (!LitNombre(v, 16, 0xFFFF, n)) return opt + " attend une adresse hexadécimale : « " + v + " »";
            (opt == "--pc" ? o.PC : o.JusquAPC) = uint16_t(n);
        } else if (opt == "--selmem") {
            if (!LitNombre(v, 16, 0xFF, n) || (n != 0 && n != 1 && n != 0x80 && n != 0x81))
                return "--selmem attend 0, 1, 80 ou 81 : « " + v + " »";
            o.SelMem = uint8_t(n);
        } else if (opt == "--keys") {
            o.Touches = v;
        } else if (opt == "--kbd-mode") {
            const int mode = LitMode(v);
            if (mode < 0) return "mode clavier inconnu « " + v + " » (BASIC, TTX ou APL)";
            o.ModeClavier = mode;
        } else if (opt == "--max-instructions") {
            if (!LitNombre(v, 10, UINT64_MAX, n) || n == 0) return "--max-instructions attend un nombre positif : « " + v + " »";
            o.MaxInstructions = n;
        } else if (opt == "--vitesse") {
            if (v != "reelle" && v != "réelle" && v != "max") return "--vitesse attend reelle ou max : « " + v + " »";
            o.VitesseReelle = v != "max";
        } else if (opt == "--horloge") {
            if (!LitNombre(v, 10, 1'000'000, n) || n == 0)
                return "--horloge attend une fréquence en kHz, de 1 à 1000000 : « " + v + " »";
            o.HorlogeKHz = uint32_t(n);
        } else if (opt == "--ns-per-instruction") {
            if (!LitNombre(v, 10, 1'000'000'000, n)) return "--ns-per-instruction attend un nombre : « " + v + " »";
            o.NsParInstruction = n;
        }
    }
    if (o.Bdos && o.Modele != 0) return "--bdos fait tourner le modèle T7E ; --model ne s'y combine pas";
    if (o.Bdos && (!o.Rom.empty() || !o.Prom.empty() || o.SelMem)) return "--bdos ne s'utilise pas avec --rom, --prom ou --selmem";
    return {};
}
