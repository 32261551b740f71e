#include "debugger/OutilsMemoire.h"

#include <algorithm>

#include "core/Fichiers.h"
#include "core/Nombres.h"
#include "core/Texte.h"
#include "devices/JeuCaracteres.h"

namespace {

// A write of the processor's view that the ROM refuses (with its box).
bool RomRefuse(const TMachine& m, uint16_t adresse) { return adresse < 0x1000 && !(m.SelMem & 0x80); }

// Writes through the view; in the processor's view the ROM's box is shown
// for the first refused byte only.
class TEcrivain {
public:
    TEcrivain(TMachine& m, TAccesMemoire acces) : M(m), FAcces(acces) {}
    void Ecrit(uint16_t adresse, uint8_t octet) {
        if (FAcces.Vue == TVueMemoire::CPU && RomRefuse(M, adresse)) {
            if (FRomSignalee) return;
            FRomSignalee = true;
        }
        EcritAcces(M, adresse, FAcces, octet);
    }

private:
    TMachine& M;
    TAccesMemoire FAcces;
    bool FRomSignalee = false;
};

// The code point at s[i] and the index after it; a stray byte gives U+FFFD.
char32_t LitUtf8(std::string_view s, size_t& i) {
    const auto o = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char tete = o(i);
    const size_t suite = tete >= 0xF0 ? 3 : tete >= 0xE0 ? 2 : tete >= 0xC0 ? 1 : 0;
    if (tete < 0x80) {
        ++i;
        return tete;
    }
    if (suite == 0 || i + suite >= s.size()) {
        ++i;
        return 0xFFFD;
    }
    char32_t c = tete & (0x3F >> suite);
    for (size_t k = 1; k <= suite; ++k) {
        if ((o(i + k) & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        c = (c << 6) | (o(i + k) & 0x3F);
    }
    i += suite + 1;
    return c;
}

} // namespace

uint8_t LitAcces(const TMachine& m, uint16_t adresse, TAccesMemoire acces) {
    switch (acces.Vue) {
    case TVueMemoire::CPU: return m.ReadMem(adresse, acces.BanqueCPU & 1);
    case TVueMemoire::Banque0: return m.ReadBank(adresse, 0);
    case TVueMemoire::Banque1: return m.ReadBank(adresse, 1);
    }
    return 0xFF;
}

void EcritAcces(TMachine& m, uint16_t adresse, TAccesMemoire acces, uint8_t octet) {
    switch (acces.Vue) {
    case TVueMemoire::CPU: m.WriteMem(adresse, acces.BanqueCPU & 1, octet); break;
    case TVueMemoire::Banque0: m.WriteBank(adresse, 0, octet); break;
    case TVueMemoire::Banque1: m.WriteBank(adresse, 1, octet); break;
    }
}

std::optional<TVueMemoire> VueNommee(std::string_view nom) {
    if (EgalSansCasse(nom, "cpu")) return TVueMemoire::CPU;
    if (EgalSansCasse(nom, "logiciel")) return TVueMemoire::Banque0;
    if (EgalSansCasse(nom, "data")) return TVueMemoire::Banque1;
    return std::nullopt;
}

const char* NomVue(TVueMemoire vue) {
    switch (vue) {
    case TVueMemoire::CPU: return "cpu";
    case TVueMemoire::Banque0: return "logiciel";
    case TVueMemoire::Banque1: return "data";
    }
    return "?";
}

TBilanMemoire Remplit(TMachine& m, int32_t debut, int32_t fin, uint8_t valeur, TAccesMemoire acces) {
    const TModificationHote modification(m); // one change for a session being recorded
    TBilanMemoire b;
    debut = std::clamp(debut, 0, 0xFFFF);
    fin = std::clamp(fin, -1, 0xFFFF);
    TEcrivain e(m, acces);
    for (int32_t a = debut; a <= fin; ++a) e.Ecrit(uint16_t(a), valeur);
    b.Nombre = std::max(0, fin - debut + 1);
    b.Message = NombreFr(b.Nombre) + " octets remplis";
    return b;
}

TBilanMemoire Copie(TMachine& m, int32_t debut, int32_t fin, int32_t dest, TAccesMemoire source,
                    TAccesMemoire destination) {
    const TModificationHote modification(m);
    TBilanMemoire b;
    debut = std::clamp(debut, 0, 0xFFFF);
    fin = std::clamp(fin, -1, 0xFFFF);
    dest = std::clamp(dest, 0, 0xFFFF);
    const int32_t nombre = std::max(0, fin - debut + 1);
    // The last byte written must still be an address: FF00..FFFF takes 256.
    if (nombre > 0 && dest + nombre - 1 > 0xFFFF) {
        b.Refuse = true;
        b.Message = "D\u00e9bordement de la zone de destination";
        return b;
    }
    const bool memesOctets = dest == debut && source.Vue == destination.Vue &&
                             (source.Vue != TVueMemoire::CPU || source.BanqueCPU == destination.BanqueCPU);
    if (!memesOctets) {
        // The whole source is read first: an overlapping destination gets
        // the source as it was.
        std::vector<uint8_t> tampon(static_cast<size_t>(nombre));
        for (int32_t i = 0; i < nombre; ++i) tampon[size_t(i)] = LitAcces(m, uint16_t(debut + i), source);
        TEcrivain e(m, destination);
        for (int32_t i = 0; i < nombre; ++i) e.Ecrit(uint16_t(dest + i), tampon[size_t(i)]);
        b.Nombre = nombre;
    }
    b.Message = NombreFr(b.Nombre) + " octets copi\u00e9s";
    return b;
}

std::optional<uint8_t> CodeZorv(char32_t c) {
    for (uint16_t code = 0; code < 0x80; ++code)
        if (TraduitZorvCourier(code) == c) return uint8_t(code);
    return std::nullopt;
}

TMotif LitMotif(std::string_view texte) {
    TMotif r;
    const std::string t = SansBlancs(texte);
    if (t.empty()) {
        r.Erreur = "motif vide";
        return r;
    }
    if (t[0] == '"') {
        if (t.size() < 3 || t.back() != '"') {
            r.Erreur = "texte entre guillemets attendu : \"texte\"";
            return r;
        }
        const std::string_view corps = std::string_view(t).substr(1, t.size() - 2);
        for (size_t i = 0; i < corps.size();) {
            const size_t avant = i;
            const char32_t c = LitUtf8(corps, i);
            const auto code = CodeZorv(c);
            if (!code) {
                r.Octets.clear();
                r.Erreur = "caract\u00e8re absent du jeu de la machine : " +
                           TexteVisible(corps.substr(avant, i - avant));
                return r;
            }
            r.Octets.push_back(*code);
        }
        return r;
    }
    std::string mot;
    auto ferme = [&]() {
        if (mot.empty()) return true;
        if (mot.size() > 2 && mot.size() % 2) return false;
        for (size_t k = 0; k < mot.size(); k += 2) {
            const auto v = LitHexa(mot.substr(k, 2), 0xFF);
            if (!v) return false;
            r.Octets.push_back(uint8_t(*v));
        }
        mot.clear();
        return true;
    };
    for (char c : t) {
        const bool separateur = EstBlanc(c) || c == ',';
        if (!separateur && ValeurHexa(c) < 0) {
            r.Octets.clear();
            r.Erreur = "octets hexad\u00e9cimaux ou \"texte\" attendus";
            return r;
        }
        if (separateur ? !ferme() : (mot += c, false)) {
            r.Octets.clear();
            r.Erreur = "octets hexad\u00e9cimaux de deux chiffres attendus";
            return r;
        }
    }
    if (!ferme()) {
        r.Octets.clear();
        r.Erreur = "octets hexad\u00e9cimaux de deux chiffres attendus";
    }
    return r;
}

std::optional<int32_t> Cherche(const TMachine& m, int32_t debut, int32_t fin, int32_t depuis,
                               const std::vector<uint8_t>& motif, TAccesMemoire acces) {
    if (motif.empty()) return std::nullopt;
    const int32_t n = int32_t(motif.size());
    fin = std::min(fin, 0xFFFF);
    for (int32_t a = std::max({debut, depuis, 0}); a + n - 1 <= fin; ++a) {
        int32_t k = 0;
        while (k < n && LitAcces(m, uint16_t(a + k), acces) == motif[size_t(k)]) ++k;
        if (k == n) return a;
    }
    return std::nullopt;
}

TBilanMemoire ChargeFichier(TMachine& m, const std::string& chemin, int32_t adresse, TAccesMemoire acces) {
    const TModificationHote modification(m);
    TBilanMemoire r;
    r.Refuse = true;
    std::vector<uint8_t> octets;
    // One byte more than the memory holds tells a file that cannot fit.
    const TLectureFichier lu = LitFichierEntier(chemin, octets, 0x10000);
    if (lu == TLectureFichier::TropGros) {
        r.Message = "Le fichier " + chemin + " d\u00e9passe 64 Ko : il ne tient pas en m\u00e9moire";
        return r;
    }
    if (lu != TLectureFichier::Ok) {
        r.Message = MessageLecture(lu, chemin);
        return r;
    }
    if (octets.empty()) {
        r.Message = "Le fichier " + chemin + " est vide";
        return r;
    }
    const int64_t fin = int64_t(adresse) + int64_t(octets.size()) - 1;
    if (adresse < 0 || fin > 0xFFFF) {
        r.Message = "Le fichier " + chemin + " (" + NombreFr(int64_t(octets.size())) +
                    Format(" octets) d\u00e9passerait FFFFH depuis %.4XH", unsigned(adresse));
        return r;
    }
    for (size_t i = 0; i < octets.size(); ++i) EcritAcces(m, uint16_t(adresse + int32_t(i)), acces, octets[i]);
    r.Refuse = false;
    r.Nombre = int64_t(octets.size());
    r.Message = NombreFr(int64_t(octets.size())) +
                Format(" octets charg\u00e9s de %.4XH \u00e0 %.4XH", unsigned(adresse), unsigned(fin));
    return r;
}

TBilanMemoire SauveZone(const TMachine& m, const std::string& chemin, int32_t debut, int32_t fin,
                        TAccesMemoire acces) {
    TBilanMemoire r;
    r.Refuse = true;
    if (debut < 0 || fin > 0xFFFF || fin < debut) {
        r.Message = Format("Zone invalide : %.4XH \u00e0 %.4XH", unsigned(debut & 0xFFFF), unsigned(fin & 0xFFFF));
        return r;
    }
    std::vector<uint8_t> octets;
    for (int32_t a = debut; a <= fin; ++a) octets.push_back(LitAcces(m, uint16_t(a), acces));
    std::string erreur;
    if (!EcritFichierAtomique(chemin, octets, erreur)) {
        r.Message = erreur;
        return r;
    }
    r.Refuse = false;
    r.Nombre = int64_t(octets.size());
    r.Message = NombreFr(int64_t(octets.size())) +
                Format(" octets de %.4XH \u00e0 %.4XH enregistr\u00e9s dans %s", unsigned(debut), unsigned(fin), chemin.c_str());
    return r;
}
