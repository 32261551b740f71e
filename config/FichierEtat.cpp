#include "config/FichierEtat.h"

#include <cstring>
#include <zstd.h>

#include "core/Machine.h"
#include "core/SerieEtat.h"
#include "core/Texte.h"
#include "devices/Png.h"

namespace {

constexpr char Magie[9] = "ZORVETAT";
constexpr size_t TailleEntete = 4 + 2 + 1 + 4 + 4 + 4;
// No chunk of any version holds more than this once unpacked (RAM is 128 KB).
constexpr uint32_t LongueurMaxMorceau = 1u << 20;
constexpr int NiveauZstd = 1;

void Entier(std::vector<uint8_t>& o, uint64_t v, size_t n) {
    for (size_t i = 0; i < n; ++i) o.push_back(uint8_t(v >> (8 * i)));
}
uint64_t LitEntier(const uint8_t* p, size_t n) {
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) v |= uint64_t(p[i]) << (8 * i);
    return v;
}

} // namespace

void CodeMorceau(std::vector<uint8_t>& o, const char* id, uint16_t version, const std::vector<uint8_t>& brut) {
    std::vector<uint8_t> paquet(ZSTD_compressBound(brut.size()));
    size_t n = ZSTD_compress(paquet.data(), paquet.size(), brut.data(), brut.size(), NiveauZstd);
    uint8_t compression = 1;
    if (ZSTD_isError(n) || n >= brut.size()) {
        paquet = brut;
        n = brut.size();
        compression = 0;
    }
    o.insert(o.end(), id, id + 4);
    Entier(o, version, 2);
    o.push_back(compression);
    Entier(o, n, 4);
    Entier(o, brut.size(), 4);
    Entier(o, Crc32(brut.data(), brut.size()), 4);
    o.insert(o.end(), paquet.begin(), paquet.begin() + std::ptrdiff_t(n));
}

namespace {

void AjouteMorceau(std::vector<uint8_t>& o, const char* id, uint16_t version, const std::vector<uint8_t>& brut) {
    CodeMorceau(o, id, version, brut);
}

template <class R> void AjouteEnregistrement(std::vector<uint8_t>& o, const R& r) {
    AjouteMorceau(o, R::Id, R::Version, OctetsEnregistrement(r));
}

std::string NomMorceau(const std::string& id) {
    std::string t = id;
    while (!t.empty() && t.back() == ' ') t.pop_back();
    for (char& c : t)
        if (uint8_t(c) < 0x20 || uint8_t(c) >= 0x7F) c = '?';
    return "« " + t + " »";
}

bool Deballe(const uint8_t* p, uint8_t compression, uint32_t stockee, uint32_t longueur, TMorceauEtat& m,
             std::string& erreur) {
    // The lengths are checked against what the bytes themselves say before
    // anything is allocated: a damaged header of a few bytes must not make
    // the reader clear hundreds of megabytes.
    if (compression == 0) {
        if (stockee != longueur) {
            erreur = "Le bloc " + NomMorceau(m.Id) + " a une longueur incohérente";
            return false;
        }
        m.Octets.assign(p, p + longueur);
        return true;
    }
    if (compression != 1) {
        erreur = Format("Le bloc %s est compressé d'une manière inconnue (%u)", NomMorceau(m.Id).c_str(),
                        unsigned(compression));
        return false;
    }
    const std::string endommage = "Le bloc " + NomMorceau(m.Id) + " est endommagé (décompression impossible)";
    if (ZSTD_getFrameContentSize(p, stockee) != longueur) {
        erreur = endommage;
        return false;
    }
    m.Octets.assign(longueur, 0);
    const size_t n = ZSTD_decompress(m.Octets.data(), longueur, p, stockee);
    if (ZSTD_isError(n) || n != longueur) {
        erreur = endommage;
        return false;
    }
    return true;
}

std::string MessageVersionRecente(const std::string& id, unsigned lue, unsigned connue) {
    return Format("Le bloc %s de cet état est en version %u, plus récente que la version %u que lit ce "
                  "programme : l'état a été enregistré par une version plus récente d'EmulZorv",
                  NomMorceau(id).c_str(), lue, connue);
}

// Version 1 of every record is read by its field list. When a record gets a
// version 2, its version 1 reader is kept here beside the current one.
template <class R> bool LitEnregistrement(const TMorceauEtat& m, R& r, std::string& erreur) {
    if (m.Version > R::Version) {
        erreur = MessageVersionRecente(m.Id, m.Version, R::Version);
        return false;
    }
    if (m.Version != R::Version) {
        erreur = Format("Le bloc %s est dans une version inconnue (%u)", NomMorceau(m.Id).c_str(), unsigned(m.Version));
        return false;
    }
    TLecteurEtat l(m.Octets.data(), m.Octets.size());
    l.Enregistrement(r);
    if (l.Erreur || !l.Fini()) {
        erreur = "Le bloc " + NomMorceau(m.Id) + " n'a pas la longueur de sa version";
        return false;
    }
    return true;
}

bool LitVignette(const TMorceauEtat& m, TVignetteEtat& v, std::string& erreur) {
    if (m.Version > TVignetteEtat::Version) {
        erreur = MessageVersionRecente(m.Id, m.Version, TVignetteEtat::Version);
        return false;
    }
    v.Png = m.Octets;
    return true;
}

using TLecteurMorceau = bool (*)(const TMorceauEtat&, TEtatComplet&, std::string&);
struct TEntreeMorceau {
    const char* Id;
    TLecteurMorceau Lit;
};

template <class R, R TEtatComplet::*Champ> bool LitChamp(const TMorceauEtat& m, TEtatComplet& e, std::string& err) {
    return LitEnregistrement(m, e.*Champ, err);
}

// Every chunk a state holds, in the order they are written.
const TEntreeMorceau Morceaux[] = {
    {TInfoEtat::Id, LitChamp<TInfoEtat, &TEtatComplet::Info>},
    {TVignetteEtat::Id, [](const TMorceauEtat& m, TEtatComplet& e, std::string& err) { return LitVignette(m, e.Vignette, err); }},
    {TDisquesEtat::Id, LitChamp<TDisquesEtat, &TEtatComplet::Disques>},
    {TImagesRom::Id, LitChamp<TImagesRom, &TEtatComplet::Roms>},
    {TEtatProcesseur::Id, LitChamp<TEtatProcesseur, &TEtatComplet::Processeur>},
    {TEtatMemoire::Id, LitChamp<TEtatMemoire, &TEtatComplet::Memoire>},
    {TEtatEcran::Id, LitChamp<TEtatEcran, &TEtatComplet::Ecran>},
    {TEtatClavier::Id, LitChamp<TEtatClavier, &TEtatComplet::Clavier>},
    {TEtatImprimante::Id, LitChamp<TEtatImprimante, &TEtatComplet::Imprimante>},
    {TEtatControleurDsq::Id, LitChamp<TEtatControleurDsq, &TEtatComplet::Dsq>},
    {TEtatArith::Id, LitChamp<TEtatArith, &TEtatComplet::Arith>},
    {TEtatDisqueDur::Id, LitChamp<TEtatDisqueDur, &TEtatComplet::DisqueDur>},
    {TEtatPorts::Id, LitChamp<TEtatPorts, &TEtatComplet::Ports>},
    {TEtatHorloge::Id, LitChamp<TEtatHorloge, &TEtatComplet::Horloge>},
};
constexpr char IdFin[5] = "FIN ";

} // namespace

std::vector<uint8_t> CodeEtat(const TEtatComplet& e) {
    std::vector<uint8_t> o(Magie, Magie + 8);
    Entier(o, VersionFormatEtat, 2);
    AjouteEnregistrement(o, e.Info);
    AjouteMorceau(o, TVignetteEtat::Id, TVignetteEtat::Version, e.Vignette.Png);
    AjouteEnregistrement(o, e.Disques);
    AjouteEnregistrement(o, e.Roms);
    AjouteEnregistrement(o, e.Processeur);
    AjouteEnregistrement(o, e.Memoire);
    AjouteEnregistrement(o, e.Ecran);
    AjouteEnregistrement(o, e.Clavier);
    AjouteEnregistrement(o, e.Imprimante);
    AjouteEnregistrement(o, e.Dsq);
    AjouteEnregistrement(o, e.Arith);
    AjouteEnregistrement(o, e.DisqueDur);
    AjouteEnregistrement(o, e.Ports);
    AjouteEnregistrement(o, e.Horloge);
    AjouteMorceau(o, IdFin, 1, {});
    return o;
}

bool LitMorceaux(const uint8_t* p, size_t n, uint16_t& versionFormat, std::vector<TMorceauEtat>& morceaux,
                 std::string& erreur) {
    static const TFormatMorceaux format{
        Magie, VersionFormatEtat, LongueurMaxMorceau,
        "Ce fichier n'est pas un état de machine enregistré par EmulZorv",
        "Cet état est au format %u, plus récent que le format %u que lit ce programme : il a été "
        "enregistré par une version plus récente d'EmulZorv",
        "Cet état est dans un format inconnu (0)",
        "L'état est tronqué : sa fin manque",
        " est trop grand pour un état",
        "L'état est tronqué dans le bloc ",
        "Des octets suivent la fin de l'état"};
    return LitMorceaux(format, p, n, versionFormat, morceaux, erreur);
}

bool LitMorceaux(const TFormatMorceaux& f, const uint8_t* p, size_t n, uint16_t& versionFormat,
                 std::vector<TMorceauEtat>& morceaux, std::string& erreur) {
    morceaux.clear();
    if (n < 10 || std::memcmp(p, f.Magie, 8) != 0) {
        erreur = f.Etranger;
        return false;
    }
    versionFormat = uint16_t(LitEntier(p + 8, 2));
    if (versionFormat > f.VersionMax) {
        erreur = Format(f.Recent, unsigned(versionFormat), unsigned(f.VersionMax));
        return false;
    }
    if (versionFormat == 0) {
        erreur = f.Inconnu;
        return false;
    }
    size_t pos = 10;
    for (;;) {
        if (n - pos < TailleEntete) {
            erreur = f.FinManque;
            return false;
        }
        TMorceauEtat m;
        m.Id.assign(reinterpret_cast<const char*>(p + pos), 4);
        m.Version = uint16_t(LitEntier(p + pos + 4, 2));
        m.Compression = p[pos + 6];
        m.LongueurStockee = uint32_t(LitEntier(p + pos + 7, 4));
        m.Longueur = uint32_t(LitEntier(p + pos + 11, 4));
        const uint32_t crc = uint32_t(LitEntier(p + pos + 15, 4));
        pos += TailleEntete;
        if (m.Longueur > f.LongueurMax || m.LongueurStockee > f.LongueurMax) {
            erreur = "Le bloc " + NomMorceau(m.Id) + f.TropGrand;
            return false;
        }
        if (m.LongueurStockee > n - pos) {
            erreur = f.Tronque + NomMorceau(m.Id);
            return false;
        }
        if (!Deballe(p + pos, m.Compression, m.LongueurStockee, m.Longueur, m, erreur)) return false;
        if (Crc32(m.Octets.data(), m.Octets.size()) != crc) {
            erreur = "Le bloc " + NomMorceau(m.Id) + " est endommagé (CRC incorrect)";
            return false;
        }
        pos += m.LongueurStockee;
        const bool fin = m.Id == IdFin;
        morceaux.push_back(std::move(m));
        if (fin) break;
    }
    if (pos != n) {
        erreur = f.Suite;
        return false;
    }
    return true;
}

bool DecodeEtat(const uint8_t* p, size_t n, TEtatComplet& e, std::string& erreur) {
    std::vector<TMorceauEtat> morceaux;
    if (!LitMorceaux(p, n, e.VersionFormat, morceaux, erreur)) return false;
    std::array<bool, std::size(Morceaux)> vus{};
    for (const TMorceauEtat& m : morceaux) {
        if (m.Id == IdFin) continue;
        size_t i = 0;
        while (i < std::size(Morceaux) && m.Id != Morceaux[i].Id) ++i;
        if (i == std::size(Morceaux)) {
            erreur = "L'état contient un bloc inconnu " + NomMorceau(m.Id);
            return false;
        }
        if (vus[i]) {
            erreur = "Le bloc " + NomMorceau(m.Id) + " figure deux fois dans l'état";
            return false;
        }
        vus[i] = true;
        if (!Morceaux[i].Lit(m, e, erreur)) return false;
    }
    for (size_t i = 0; i < std::size(Morceaux); ++i)
        if (!vus[i]) {
            erreur = "Il manque à l'état le bloc " + NomMorceau(Morceaux[i].Id);
            return false;
        }
    erreur = ControleEtat(e);
    return erreur.empty();
}

namespace {
bool Dans(int64_t v, int64_t min, int64_t max) { return v >= min && v <= max; }
} // namespace

std::string ControleEtat(const TEtatComplet& e) {
    const auto& m = e.Memoire;
    if (!Dans(m.Machine, 0, 16) || !Dans(m.AncienneMach, 0, 16) || m.MaxAdrRam != TMachine::MaxAdrRamModele(m.Machine))
        return Format("Le modèle de machine de l'état (%d) est inconnu", int(m.Machine));
    if (e.Info.Modele != m.Machine) return "Le modèle annoncé par l'état ne correspond pas à sa mémoire";
    if (e.Processeur.EtatCPU > CPUHalt) return "L'état du processeur est inconnu";
    const auto& d = e.Dsq;
    if (d.EtatCtrlDsq >= NbEtatsCtrlDsq || d.EtatApresEmi >= NbEtatsCtrlDsq)
        return "L'état du contrôleur de disquettes est inconnu";
    if (!Dans(d.LgrBufMsgZor, 0, 256) || !Dans(d.IndBufMsgZor, 0, 256) || !Dans(d.LgrDataZorv, 0, 256) ||
        !Dans(d.IndDataZorv, 0, 256) || !Dans(d.IndEntete, 0, 7) || !Dans(d.IndMsgCtrl, 0, 257) ||
        !Dans(d.LgrMsgCtrl, 0, 257))
        return "Les compteurs du contrôleur de disquettes sortent de ses tampons";
    const auto& w = e.DisqueDur;
    if (w.EtatCtrlWin >= NbEtatsWinch || !Dans(w.IndCmdWinch, 0, 6) || !Dans(w.IndDataWinch, 0, 256) ||
        !Dans(w.CptDataWinch, 0, 256))
        return "L'état du contrôleur de disque dur est incohérent";
    const auto& c = e.Clavier;
    if (!Dans(c.NbCarClav, 0, 12) || !Dans(c.ModClavParam, 0, 2) || !Dans(c.ModeClavier, -1, 2))
        return "L'état du clavier est incohérent";
    const auto& i = e.Imprimante;
    if (!Dans(i.XGraph, 0, LargeurGCopy) || !Dans(i.CptGCopy, 0, 1 << 16) || !Dans(i.EchGCopy, 1, 16) ||
        i.BufImp.size() > 4096)
        return "L'état de l'imprimante est incohérent";
    if (!Dans(e.Ports.IndDateHeure, 0, 12)) return "L'état de l'horloge est incohérent";
    if (e.Arith.IndTos9512 > 15) return "L'état du processeur arithmétique est incohérent";
    if (e.Ecran.FonteSelect > 1) return "L'état de l'écran est incohérent";
    return {};
}
