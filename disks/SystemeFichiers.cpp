#include "disks/SystemeFichiers.h"

#include <algorithm>
#include <cstring>

#include "core/Texte.h"
#include "devices/JeuCaracteres.h"

namespace {

constexpr uint8_t MarqueFin = 0xFF;
constexpr uint8_t MarqueSuite = 0xFE; // rest of this catalogue sector empty; last sector of a chain
constexpr uint8_t MarqueLien = 0xFB;  // directory list continues in another sector
constexpr uint8_t MarqueNom = 0xFD;
constexpr int32_t TailleEntree = 12;

int32_t Mot(const uint8_t* p) { return int32_t(p[0]) | int32_t(p[1]) << 8; }

void PoseMot(uint8_t* p, int32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

// The 12 bytes at `p`, classified in the order of the file system.
TAppelCatal LitEntree(const uint8_t* p) {
    TAppelCatal e;
    if (p[0] == MarqueNom && p[1] == MarqueNom && p[2] == MarqueNom) {
        e.Genre = geSuiteNom;
        e.Nom.assign(reinterpret_cast<const char*>(p + 3), 9);
        return e;
    }
    e.Nom.assign(reinterpret_cast<const char*>(p), 6);
    e.C1 = Mot(p + 6);
    e.C2 = Mot(p + 8);
    e.Debut = Mot(p + 10);
    if (p[0] == MarqueNom)
        e.Genre = geIgnoree;
    else if (e.C1 == 0 && e.C2 == 0)
        e.Genre = geRepertoire;
    else if (e.C1 != 0 && e.C2 != 0)
        e.Genre = geContigue;
    else if (e.C1 == 256 && e.C2 == 0)
        e.Genre = geTtx;
    else
        e.Genre = geChainee;
    return e;
}

void PoseEntree(uint8_t* p, const std::string& nom6, int32_t c1, int32_t c2, int32_t debut) {
    std::memcpy(p, nom6.data(), 6);
    PoseMot(p + 6, c1);
    PoseMot(p + 8, c2);
    PoseMot(p + 10, debut);
}

std::string Cadre(const std::string& nom, size_t n) {
    std::string r = nom.substr(0, n);
    r.resize(n, ' ');
    return r;
}

std::string Endommage(const std::string& quoi) { return "Disque endommag\u00e9 : " + quoi; }

std::string NomRep(const std::string& octets) { return NomAffichable(NomSansEspaces(octets)); }

// The pending first part of a long name, while walking.
struct TDebutTtx {
    bool Present = false;
    std::string Nom;
    int32_t C1 = 0, C2 = 0, C3 = 0;
};

std::string LigneFichier(const std::string& nom, const std::string& blancs, int32_t c1, int32_t c2,
                         int32_t debut) {
    return NomAffichable(nom) + blancs + Format("%.5d  %.5d  %.5d ", c1, c2, debut);
}

} // namespace

// ---------------------------------------------------------------- names

std::string OctetsEnTexte(std::string_view octets) {
    std::string r;
    for (unsigned char c : octets) {
        if (c < 0x80) {
            r += char(c);
        } else {
            r += char(0xC0 | (c >> 6));
            r += char(0x80 | (c & 0x3F));
        }
    }
    return r;
}

std::string NomAffichable(std::string_view octets) {
    std::string r;
    for (const char c : octets) {
        const uint8_t b = uint8_t(c);
        if (b >= 0x20 && b < 0x7F) {
            r += c;
            continue;
        }
        // Below 0x20 and at 0x7F the machine draws frame pieces, accented
        // letters and a shaded block. From 0xA0 the character of the same
        // code, as the export names host files (one column: the listing
        // stays aligned). The machine's line controls and 0x80 to 0x9F
        // (control codes on a terminal) have no character of their own.
        const char32_t vu = b < 0x80 ? TraduitZorvCourier(b) : b;
        if (vu >= 0xA0)
            r += EnUtf8(vu);
        else
            r += Format("\\x%02X", unsigned(b));
    }
    return r;
}

std::string TexteEnOctets(std::string_view texte) {
    std::string r;
    for (size_t i = 0; i < texte.size();) {
        const uint8_t c = uint8_t(texte[i]);
        size_t n = c >= 0xF0 && c < 0xF8 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        if (c >= 0xF8) n = 1;
        uint32_t code = n == 1 ? c : c & (0x7F >> n);
        bool ok = n > 1 ? i + n <= texte.size() : true;
        for (size_t k = 1; ok && k < n; ++k) {
            const uint8_t s = uint8_t(texte[i + k]);
            ok = (s & 0xC0) == 0x80;
            code = code << 6 | (s & 0x3F);
        }
        if (!ok) {
            n = 1;
            code = c;
        }
        r += char(uint8_t(code));
        i += n;
    }
    return r;
}

std::string NomCadre(std::string_view nom, size_t longueur) {
    return Cadre(TexteEnOctets(EnMajuscules(nom)), longueur);
}

std::string NomSansEspaces(std::string_view octets) {
    size_t debut = 0, fin = octets.size();
    while (debut < fin && uint8_t(octets[debut]) <= 0x20) ++debut;
    while (fin > debut && uint8_t(octets[fin - 1]) <= 0x20) --fin;
    return std::string(octets.substr(debut, fin - debut));
}

// ---------------------------------------------------------------- header

void TSystemeFichiers::LitEntete(uint8_t* tampon) { FSecteurs.Lit(1, tampon); }

bool TSystemeFichiers::DisqueFormate() {
    if (!Present()) return false;
    uint8_t t[TailleSecteur];
    LitEntete(t);
    return (t[0] & 0x3F) == 0x0A;
}

int32_t TSystemeFichiers::NumeroDuDisque() {
    if (!Present()) return -1;
    uint8_t t[TailleSecteur];
    LitEntete(t);
    return Mot(t + 1);
}

int32_t TSystemeFichiers::PremierSecteurLibre() {
    if (!Present()) return -1;
    uint8_t t[TailleSecteur];
    LitEntete(t);
    return Mot(t + 3);
}

void TSystemeFichiers::EcritSecteurLibre(int32_t libre) {
    uint8_t t[TailleSecteur];
    LitEntete(t);
    PoseMot(t + 3, libre);
    FSecteurs.Ecrit(1, t);
}

bool TSystemeFichiers::SecteurLibreValide() {
    const int32_t libre = PremierSecteurLibre();
    if (libre >= FSecteurs.NbSecteursCatal() && libre <= FSecteurs.NbSecteurs()) return true;
    SignaleDommage(Endommage(Format("le secteur libre de l'en-t\u00eate (%d) n'est pas entre le secteur %d "
                                    "et le secteur %d",
                                    libre, FSecteurs.NbSecteursCatal(), FSecteurs.NbSecteurs())));
    return false;
}

void TSystemeFichiers::SignaleDommage(const std::string& texte) {
    if (!FDommagesVus.insert(texte).second) return;
    FDommages.push_back(texte);
    FDialogue.Message(texte);
}

// ---------------------------------------------------------------- walker

void TSystemeFichiers::LitObserve(int32_t secteur, uint8_t* tampon, const std::string& repertoire) {
    FSecteurs.Lit(secteur, tampon);
    if (ObservateurSecteur) ObservateurSecteur(secteur, repertoire);
}

bool TSystemeFichiers::ParcourtCatalogue(const TRappelCatal& rappel) {
    if (!Present()) return false;
    bool stop = false;
    auto appelle = [&](const TAppelCatal& a) {
        if (!stop) stop = rappel(a);
    };
    const int32_t dernier = std::min(FSecteurs.NbSecteursCatal(), FSecteurs.NbSecteurs());
    std::vector<bool> vus; // sectors of directory lists, over the whole walk
    uint8_t t[TailleSecteur];
    int32_t secteur = 1, position = 5;
    LitObserve(secteur, t, {});
    for (;;) {
        const uint8_t b = t[position];
        if (b == MarqueFin) break;
        if (b == MarqueSuite) {
            if (secteur >= dernier) {
                SignaleDommage(Endommage(Format("le catalogue continue apr\u00e8s le secteur %d, "
                                                "son dernier secteur",
                                                secteur)));
                return stop;
            }
            ++secteur;
            position = 0;
            LitObserve(secteur, t, {});
            continue;
        }
        if (position + TailleEntree > TailleSecteur) {
            SignaleDommage(Endommage(Format("secteur %d du catalogue, position %d : entr\u00e9e coup\u00e9e "
                                            "par la fin du secteur",
                                            secteur, position)));
            return stop;
        }
        TAppelCatal e = LitEntree(t + position);
        e.Secteur = secteur;
        e.Position = position;
        appelle(e);
        if (e.Genre == geRepertoire) ParcourtRepertoire(e, vus, appelle);
        position += TailleEntree;
    }
    TAppelCatal fin;
    fin.Genre = geFinCatal;
    fin.Secteur = secteur;
    fin.Position = position;
    appelle(fin);
    return stop;
}

void TSystemeFichiers::ParcourtRepertoire(const TAppelCatal& entree, std::vector<bool>& vus,
                                          const std::function<void(const TAppelCatal&)>& appelle) {
    const int32_t n = FSecteurs.NbSecteurs();
    const std::string& rep = entree.Nom;
    if (vus.empty()) vus.assign(size_t(n) + 1, false);
    int32_t secteur = entree.Debut;
    if (secteur < 1 || secteur > n) {
        SignaleDommage(Endommage(Format("le r\u00e9pertoire %s commence au secteur %d, hors du disque",
                                        NomRep(rep).c_str(), secteur)));
        return;
    }
    if (vus[size_t(secteur)]) {
        SignaleDommage(Endommage(Format("le r\u00e9pertoire %s commence au secteur %d, d\u00e9j\u00e0 lu "
                                        "pour un autre r\u00e9pertoire",
                                        NomRep(rep).c_str(), secteur)));
        return;
    }
    uint8_t t[TailleSecteur];
    vus[size_t(secteur)] = true;
    LitObserve(secteur, t, rep);
    int32_t position = 0;
    for (;;) {
        const uint8_t b = t[position];
        if (b == MarqueFin) break;
        if (b == MarqueLien && position + 2 < TailleSecteur) {
            const int32_t suivant = int32_t(t[position + 1]) << 8 | t[position + 2];
            const char* faute = suivant < 1 || suivant > n ? "hors du disque"
                                : vus[size_t(suivant)]     ? "d\u00e9j\u00e0 lu"
                                                           : nullptr;
            if (faute) {
                SignaleDommage(Endommage(Format("le r\u00e9pertoire %s est li\u00e9 au secteur %d, %s "
                                                "(lien du secteur %d)",
                                                NomRep(rep).c_str(), suivant, faute, secteur)));
                return;
            }
            secteur = suivant;
            vus[size_t(secteur)] = true;
            LitObserve(secteur, t, rep);
            position = 0;
            continue;
        }
        if (position + TailleEntree > TailleSecteur) {
            SignaleDommage(Endommage(Format("secteur %d du r\u00e9pertoire %s, position %d : entr\u00e9e "
                                            "coup\u00e9e par la fin du secteur",
                                            secteur, NomRep(rep).c_str(), position)));
            return;
        }
        TAppelCatal e = LitEntree(t + position);
        e.Genre = geDansRep;
        e.Secteur = secteur;
        e.Position = position;
        e.Repertoire = rep;
        appelle(e);
        position += TailleEntree;
    }
    TAppelCatal fin;
    fin.Genre = geFinRep;
    fin.Secteur = secteur;
    fin.Position = position;
    fin.Repertoire = rep;
    appelle(fin);
}

// ---------------------------------------------------------------- files

bool TSystemeFichiers::SuitChaine(int32_t debut, const std::string& nom, const TVisiteurSecteur& visiteur) {
    const int32_t n = FSecteurs.NbSecteurs();
    if (debut < 1 || debut > n) {
        SignaleDommage(Endommage(Format("le fichier %s commence au secteur %d, hors du disque",
                                        NomAffichable(nom).c_str(), debut)));
        return false;
    }
    std::vector<bool> vus(size_t(n) + 1, false);
    uint8_t t[TailleSecteur];
    for (int32_t s = debut;;) {
        vus[size_t(s)] = true;
        FSecteurs.Lit(s, t);
        visiteur(s, t);
        if (t[0] == MarqueSuite) return true;
        const int32_t suivant = int32_t(t[0]) << 8 | t[1];
        const char* faute = suivant < 1 || suivant > n ? "hors du disque"
                            : vus[size_t(suivant)]     ? "d\u00e9j\u00e0 lu dans ce fichier"
                                                       : nullptr;
        if (faute) {
            SignaleDommage(
                Endommage(Format("le fichier %s est li\u00e9 au secteur %d, %s (lien du secteur %d)",
                                 NomAffichable(nom).c_str(), suivant, faute, s)));
            return false;
        }
        s = suivant;
    }
}

bool TSystemeFichiers::SuitContigu(int32_t debut, int64_t nombre, const std::string& nom,
                                   const TVisiteurSecteur& visiteur) {
    const int32_t n = FSecteurs.NbSecteurs();
    const int64_t fin = int64_t(debut) + nombre - 1;
    const bool dedans = debut >= 1 && fin <= n;
    if (!dedans)
        SignaleDommage(
            Endommage(Format("le fichier %s (secteurs %d \u00e0 %lld) sort du disque de %d secteurs",
                             NomAffichable(nom).c_str(), debut, (long long)fin, n)));
    uint8_t t[TailleSecteur];
    for (int64_t s = std::max<int64_t>(debut, 1); s <= std::min<int64_t>(fin, n); ++s) {
        FSecteurs.Lit(int32_t(s), t);
        visiteur(int32_t(s), t);
    }
    return dedans;
}

// ---------------------------------------------------------------- entries

int32_t TSystemeFichiers::DebutDonnees() {
    int32_t debut = PremierSecteurLibre();
    ParcourtCatalogue([&](const TAppelCatal& a) {
        switch (a.Genre) {
        case geChainee:
        case geContigue:
        case geTtx:
        case geRepertoire:
        case geDansRep:
            if (a.Debut >= 1) debut = std::min(debut, a.Debut);
            break;
        default: break;
        }
        return false;
    });
    return debut;
}

bool TSystemeFichiers::SecteurCatalLibre(int32_t secteur) {
    // Data grows up from the first allocated sector; the catalogue may not
    // run into it, nor into the sector the next allocation takes.
    return secteur <= FSecteurs.NbSecteursCatal() && secteur < DebutDonnees();
}

bool TSystemeFichiers::AjouteEntreeCatal(const std::string& nom, int32_t secteur, int32_t position,
                                         int32_t c1, int32_t c2) {
    FRefus = reAucun;
    const bool long15 = nom.size() == 15;
    const int32_t libre = PremierSecteurLibre();
    const bool repertoire = c1 == 0 && c2 == 0;
    // A directory needs its empty entry list at the free sector: test before
    // anything is written, so that no entry ever points outside the disk.
    if (repertoire && libre >= FSecteurs.NbSecteurs()) {
        FRefus = reDisquePlein;
        return false;
    }
    const bool suite = position > (long15 ? 231 : 243);
    if (suite && !SecteurCatalLibre(secteur + 1)) {
        FRefus = reCatalPlein;
        return false;
    }
    // The entry (and its continuation) followed by the end mark.
    uint8_t entree[2 * TailleEntree + 1] = {};
    PoseEntree(entree, Cadre(nom, 6), c1, c2, libre);
    int32_t longueur = TailleEntree;
    if (long15) {
        entree[12] = entree[13] = entree[14] = MarqueNom;
        std::memcpy(entree + 15, nom.data() + 6, 9);
        longueur += TailleEntree;
    }
    entree[longueur] = MarqueFin;
    if (repertoire) { // its list first: the entry never points at a stale sector
        uint8_t liste[TailleSecteur] = {MarqueFin};
        FSecteurs.Ecrit(libre, liste);
        EcritSecteurLibre(libre + 1);
    }
    uint8_t t[TailleSecteur] = {};
    if (suite) {
        // The new sector is written before the mark that leads to it.
        std::memcpy(t, entree, size_t(longueur) + 1);
        FSecteurs.Ecrit(secteur + 1, t);
        FSecteurs.Lit(secteur, t);
        t[position] = MarqueSuite;
    } else {
        FSecteurs.Lit(secteur, t); // after the header's update, when it is this sector
        std::memcpy(t + position, entree, size_t(longueur) + 1);
    }
    FSecteurs.Ecrit(secteur, t);
    return true;
}

bool TSystemeFichiers::AjouteEntreeRep(const std::string& nom, int32_t secteur, int32_t position, int32_t c1,
                                       int32_t c2) {
    int32_t libre = PremierSecteurLibre();
    uint8_t t[TailleSecteur];
    if (position > 240) {
        if (libre < 1 || libre >= FSecteurs.NbSecteurs()) {
            FDialogue.Message("Le catalogue est plein");
            return false;
        }
        std::memset(t, 0, sizeof t);
        FSecteurs.Ecrit(libre, t);
        EcritSecteurLibre(libre + 1);
        FSecteurs.Lit(secteur, t);
        t[position] = MarqueLien;
        t[position + 1] = uint8_t(libre >> 8);
        t[position + 2] = uint8_t(libre);
        FSecteurs.Ecrit(secteur, t);
        secteur = libre;
        ++libre;
        position = 0;
    }
    FSecteurs.Lit(secteur, t);
    PoseEntree(t + position, Cadre(nom, 6), c1, c2, libre);
    t[position + TailleEntree] = MarqueFin;
    FSecteurs.Ecrit(secteur, t);
    return true;
}

bool TSystemeFichiers::CreeRepertoire(const std::string& nom) {
    bool cree = false;
    ParcourtCatalogue([&](const TAppelCatal& a) {
        if (a.Genre != geFinCatal) return false;
        cree = AjouteEntreeCatal(nom, a.Secteur, a.Position, 0, 0);
        if (!cree) FDialogue.Message("Cr\u00e9ation impossible du r\u00e9pertoire " + NomAffichable(nom));
        return cree;
    });
    return cree;
}

bool TSystemeFichiers::FichierExiste(const std::string& repertoire, const std::string& nom) {
    bool trouve = false;
    std::string debutLong; // first 6 characters of a long name awaiting its continuation
    ParcourtCatalogue([&](const TAppelCatal& a) {
        switch (a.Genre) {
        case geChainee:
        case geContigue:
        case geRepertoire:
        case geDansRep: trouve = a.Repertoire == repertoire && a.Nom == nom; break;
        case geSuiteNom: // a long name: its two parts together
            trouve = !debutLong.empty() && repertoire.empty() && debutLong + a.Nom == nom;
            break;
        default: break;
        }
        debutLong = a.Genre == geTtx ? a.Nom : std::string();
        return trouve;
    });
    return trouve;
}

bool TSystemeFichiers::RepertoireExiste(const std::string& nom) {
    bool trouve = false;
    ParcourtCatalogue([&](const TAppelCatal& a) {
        // The directory's own entry counts too: a directory whose list is
        // damaged still exists and must not be created twice.
        trouve = a.Repertoire == nom || (a.Genre == geRepertoire && a.Nom == nom);
        return trouve;
    });
    return trouve;
}

bool TSystemeFichiers::FormatInconditionnel() {
    if (FSecteurs.Etat() != 1) return false;
    FSecteurs.Efface();
    const int32_t catal = FSecteurs.NbSecteursCatal();
    uint8_t t[TailleSecteur] = {0x0A, 0x00, 0x00, uint8_t(catal), uint8_t(catal >> 8), MarqueFin};
    return FSecteurs.Ecrit(1, t);
}

// ---------------------------------------------------------------- listing

TCatalogueAffiche TSystemeFichiers::AfficheCatalogue() {
    TCatalogueAffiche r;
    if (!Present()) return r;
    r.Disque = true;
    if (!DisqueFormate()) {
        r.Legende = "  Disque non format\u00e9";
        return r;
    }
    r.Formate = true;
    r.Legende = Format(" Disque : %.5d      Secteur libre : %.5d", NumeroDuDisque(), PremierSecteurLibre());
    // What the import accepts: a file ends before the disk's last sector; a
    // next free sector outside the data area takes nothing.
    const int32_t libre = PremierSecteurLibre(), n = FSecteurs.NbSecteurs();
    r.SecteursLibres = libre >= FSecteurs.NbSecteursCatal() && libre < n ? n - 1 - libre : 0;
    TDebutTtx ttx;
    const std::string douze(12, ' ');
    auto ajoute = [&](std::string ligne, TGenreEntree genre, const std::string& nom, std::string nomExport,
                      const std::string& rep, int32_t c1, int32_t c2, int32_t debut) {
        r.Lignes.push_back(std::move(ligne));
        r.Entrees.push_back({genre, nom, std::move(nomExport), rep, c1, c2, debut});
    };
    auto vide = [&] { // a first part that no continuation followed is listed alone
        if (ttx.Present)
            ajoute(LigneFichier(ttx.Nom, douze, ttx.C1, ttx.C2, ttx.C3), geTtx, ttx.Nom, NomSansEspaces(ttx.Nom),
                   {}, ttx.C1, ttx.C2, ttx.C3);
        ttx = {};
    };
    ParcourtCatalogue([&](const TAppelCatal& a) {
        switch (a.Genre) {
        case geChainee:
        case geContigue:
            vide();
            ajoute(LigneFichier(a.Nom, douze, a.C1, a.C2, a.Debut), a.Genre, a.Nom, NomSansEspaces(a.Nom), {}, a.C1,
                   a.C2, a.Debut);
            break;
        case geTtx:
            vide();
            ttx = {true, a.Nom, a.C1, a.C2, a.Debut};
            break;
        case geSuiteNom:
            // The export trims the first part on its own, then the whole name.
            if (ttx.Present)
                ajoute(LigneFichier(ttx.Nom + a.Nom, "   ", ttx.C1, ttx.C2, ttx.C3), geTtx, ttx.Nom + a.Nom,
                       NomSansEspaces(NomSansEspaces(ttx.Nom) + a.Nom), {}, ttx.C1, ttx.C2, ttx.C3);
            ttx = {};
            break;
        case geRepertoire:
            vide();
            ajoute(NomAffichable(a.Nom) + Format("   ...................... %.5d", a.Debut), geRepertoire, a.Nom,
                   NomSansEspaces(a.Nom), {}, 0, 0, a.Debut);
            break;
        case geDansRep:
            ajoute("  " + LigneFichier(a.Nom, std::string(10, ' '), a.C1, a.C2, a.Debut), geDansRep, a.Nom,
                   NomSansEspaces(a.Nom), a.Repertoire, a.C1, a.C2, a.Debut);
            break;
        case geFinCatal: vide(); break;
        default: break;
        }
        return false;
    });
    return r;
}

std::string TextePlaceLibre(const TCatalogueAffiche& c) {
    if (!c.Formate) return {};
    return "Place libre : " + NombreFr(int64_t(c.SecteursLibres) * TailleSecteur / 1024) + " Ko";
}
