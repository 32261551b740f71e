// The console's memory commands: the dump of the memory window, the editor's
// write, the fill and copy dialogs and the search, on the same logic.
#include <algorithm>

#include "core/Nombres.h"
#include "core/Texte.h"
#include "debugger/Console.h"
#include "debugger/Debogueur.h"
#include "debugger/HexEdit.h"
#include "debugger/OutilsMemoire.h"

namespace {

// Takes a final view name off the arguments ("cpu", "logiciel", "data");
// the processor's view when there is none.
TVueMemoire VueFinale(TArgumentsConsole& a, size_t minimum) {
    if (a.size() > minimum) {
        if (const auto v = VueNommee(a.back())) {
            a.pop_back();
            return *v;
        }
    }
    return TVueMemoire::CPU;
}

// The same, a bank number standing for its bank as well: the memory blocks
// name their bank ("0", "1") as the monitors of the time did.
TVueMemoire VueOuBanque(TArgumentsConsole& a, size_t minimum) {
    if (a.size() > minimum && (a.back() == "0" || a.back() == "1")) {
        const bool data = a.back() == "1";
        a.pop_back();
        return data ? TVueMemoire::Banque1 : TVueMemoire::Banque0;
    }
    return VueFinale(a, minimum);
}

std::optional<int32_t> Adresse(const std::string& mot) {
    const auto v = LitHexa(mot, 0xFFFF);
    if (!v) return std::nullopt;
    return int32_t(*v);
}

} // namespace

bool TConsoleDebogueur::CmdMem(const TArgumentsConsole& arguments) {
    TArgumentsConsole a = arguments;
    const TVueMemoire vue = VueFinale(a, 1);
    if (a.empty() || a.size() > 2) return Malforme();
    const auto debut = Adresse(a[0]);
    if (!debut) return Malforme();
    const auto fin = a.size() == 2 ? Adresse(a[1]) : std::optional<int32_t>(std::min(*debut + 127, 0xFFFF));
    if (!fin || *fin < *debut) return Malforme();
    for (int32_t ligne = *debut; ligne <= *fin; ligne += 8) {
        std::vector<uint8_t> octets;
        for (int32_t adr = ligne; adr <= std::min(ligne + 7, *fin); ++adr)
            octets.push_back(LitAcces(M, uint16_t(adr), {vue, 0}));
        Ecrit(LigneDump(uint16_t(ligne), octets, TraduitDump));
    }
    return true;
}

bool TConsoleDebogueur::CmdEcris(const TArgumentsConsole& arguments) {
    TArgumentsConsole a = arguments;
    const TVueMemoire vue = VueFinale(a, 2);
    if (a.size() < 2) return Malforme();
    const auto adr = Adresse(a[0]);
    if (!adr) return Malforme();
    std::vector<uint8_t> octets;
    for (size_t i = 1; i < a.size(); ++i) {
        const auto o = LitHexa(a[i], 0xFF);
        if (!o) return Malforme();
        octets.push_back(uint8_t(*o));
    }
    if (*adr + int32_t(octets.size()) - 1 > 0xFFFF) return Erreur("ecris : les octets d\u00e9passeraient FFFFH");
    // The editor's path: the write through the view, then every memory
    // window repaints.
    for (size_t i = 0; i < octets.size(); ++i) EcritAcces(M, uint16_t(*adr + int32_t(i)), {vue, 0}, octets[i]);
    D.MajFenDonnees();
    D.MajFenPile();
    Ecrit("ecris : " + NombreFr(int64_t(octets.size())) +
          Format(" octet%s \u00e9crit%s en %.4XH (%s)", octets.size() > 1 ? "s" : "", octets.size() > 1 ? "s" : "",
                 unsigned(*adr), NomVue(vue)));
    return true;
}

bool TConsoleDebogueur::CmdRemplit(const TArgumentsConsole& arguments) {
    TArgumentsConsole a = arguments;
    const TVueMemoire vue = VueFinale(a, 3);
    if (a.size() != 3) return Malforme();
    const auto debut = Adresse(a[0]), fin = Adresse(a[1]);
    const auto valeur = LitHexa(a[2], 0xFF);
    if (!debut || !fin || !valeur) return Malforme();
    const TBilanMemoire b = Remplit(M, *debut, *fin, uint8_t(*valeur), {vue, 0});
    D.MajFenetres();
    Ecrit(b.Message);
    return true;
}

bool TConsoleDebogueur::CmdCopie(const TArgumentsConsole& a) {
    if (a.size() != 3 && a.size() != 5) return Malforme();
    const auto debut = Adresse(a[0]), fin = Adresse(a[1]), dest = Adresse(a[2]);
    if (!debut || !fin || !dest) return Malforme();
    TVueMemoire source = TVueMemoire::CPU, destination = TVueMemoire::CPU;
    if (a.size() == 5) {
        const auto s = VueNommee(a[3]), d = VueNommee(a[4]);
        if (!s || !d) return Malforme();
        source = *s;
        destination = *d;
    }
    // The copy dialog's processor view reads and writes bank 1.
    const TBilanMemoire b = Copie(M, *debut, *fin, *dest, {source, 1}, {destination, 1});
    if (b.Refuse) return Erreur(b.Message);
    D.MajFenetres();
    Ecrit(b.Message);
    return true;
}

bool TConsoleDebogueur::CmdCherche(const TArgumentsConsole& arguments) {
    TArgumentsConsole a = arguments;
    // A final view name, unless it closes a quoted text ("a data").
    TVueMemoire vue = TVueMemoire::CPU;
    if (a.size() > 3 && !a.back().empty() && a.back().back() != '"') vue = VueFinale(a, 3);
    if (a.size() < 3) return Malforme();
    const auto debut = Adresse(a[0]), fin = Adresse(a[1]);
    if (!debut || !fin || *fin < *debut) return Malforme();
    std::string texte = a[2];
    for (size_t i = 3; i < a.size(); ++i) texte += " " + a[i];
    const TMotif motif = LitMotif(texte);
    if (!motif.Erreur.empty()) return Erreur("cherche : " + motif.Erreur);
    size_t trouves = 0;
    for (auto adr = Cherche(M, *debut, *fin, *debut, motif.Octets, {vue, 0}); adr;
         adr = Cherche(M, *debut, *fin, *adr + 1, motif.Octets, {vue, 0})) {
        Ecrit(Format("%.4XH", unsigned(*adr)));
        ++trouves;
    }
    if (trouves == 0)
        Ecrit(Format("cherche : s\u00e9quence absente de %.4XH \u00e0 %.4XH", unsigned(*debut), unsigned(*fin)));
    return true;
}

bool TConsoleDebogueur::CmdChargeMem(const TArgumentsConsole& arguments) {
    TArgumentsConsole a = arguments;
    const TVueMemoire vue = VueOuBanque(a, 2);
    if (a.size() != 2) return Malforme();
    const auto adr = Adresse(a[1]);
    if (!adr) return Malforme();
    const TBilanMemoire b = ChargeFichier(M, a[0], *adr, {vue, 0});
    if (b.Refuse) return Erreur("charge-mem : " + b.Message);
    D.MajFenDonnees();
    D.MajFenPile();
    Ecrit("charge-mem : " + b.Message + " (" + NomVue(vue) + ")");
    return true;
}

bool TConsoleDebogueur::CmdSauveMem(const TArgumentsConsole& arguments) {
    TArgumentsConsole a = arguments;
    const TVueMemoire vue = VueOuBanque(a, 3);
    if (a.size() != 3) return Malforme();
    const auto debut = Adresse(a[1]), fin = Adresse(a[2]);
    if (!debut || !fin || *fin < *debut) return Malforme();
    const TBilanMemoire b = SauveZone(M, a[0], *debut, *fin, {vue, 0});
    if (b.Refuse) return Erreur("sauve-mem : " + b.Message);
    Ecrit("sauve-mem : " + b.Message + " (" + NomVue(vue) + ")");
    return true;
}
