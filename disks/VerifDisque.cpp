#include "disks/VerifDisque.h"

#include <algorithm>
#include <set>
#include <utility>

#include "core/Texte.h"
#include "disks/SystemeFichiers.h"

namespace {

class TDialogueMuet : public IDialogue {
public:
    void Message(const std::string&) override {}
    void Information(const std::string&) override {}
    bool Question(const std::string&) override { return false; }
    std::optional<std::string> ChoisitDossier(const std::string&, const std::string&) override { return {}; }
};

// Who uses each sector; each clash is reported once per pair of users.
class TOccupation {
public:
    TOccupation(TSystemeFichiers& fs, int32_t nbSecteurs, int32_t libre)
        : FFs(fs), FProprio(size_t(nbSecteurs) + 1, -1), FLibre(libre) {
        FNoms.push_back("le catalogue");
    }

    int Nouveau(const std::string& nom) {
        FNoms.push_back(nom);
        return int(FNoms.size()) - 1;
    }

    void Marque(int32_t secteur, int qui) {
        if (secteur < 1 || secteur >= int32_t(FProprio.size())) return;
        int& p = FProprio[size_t(secteur)];
        if (qui != 0 && secteur >= FLibre && FAuDela.insert(qui).second)
            FFs.SignaleDommage(
                Format("Disque endommag\u00e9 : %s occupe le secteur %d, au-del\u00e0 du secteur "
                       "libre %d",
                       FNoms[size_t(qui)].c_str(), secteur, FLibre));
        if (p < 0) {
            p = qui;
        } else if (p != qui && FPaires.insert({p, qui}).second) {
            FFs.SignaleDommage(Format("Disque endommag\u00e9 : %s et %s se partagent le secteur %d",
                                      FNoms[size_t(p)].c_str(), FNoms[size_t(qui)].c_str(), secteur));
        }
    }

    // Sectors from `debut` up to the next free sector that nobody reached,
    // as "65, 70 à 72".
    std::string Orphelins(int32_t debut) const {
        std::string r;
        const int32_t fin = std::min<int32_t>(FLibre, int32_t(FProprio.size()));
        for (int32_t s = std::max(debut, 1); s < fin; ++s) {
            if (FProprio[size_t(s)] >= 0) continue;
            int32_t t = s;
            while (t + 1 < fin && FProprio[size_t(t + 1)] < 0) ++t;
            r += (r.empty() ? "" : ", ") + std::to_string(s) + (t > s ? " \u00e0 " + std::to_string(t) : "");
            s = t;
        }
        return r;
    }

private:
    TSystemeFichiers& FFs;
    std::vector<int> FProprio;
    std::vector<std::string> FNoms;
    std::set<std::pair<int, int>> FPaires;
    std::set<int> FAuDela;
    int32_t FLibre;
};

// Names stay disk bytes until a message shows them, once: the walker's own
// reports (SuitChaine, SuitContigu) translate them themselves.
std::string Nom(const std::string& octets) { return NomAffichable(NomSansEspaces(octets)); }

} // namespace

TVerification VerifieDisque(ISecteurs& disque) {
    TVerification r;
    TSecteursTampon secteurs(disque);
    TDialogueMuet muet;
    TSystemeFichiers fs(secteurs, muet);
    if (!fs.DisqueFormate()) return r;
    r.Formate = true;
    fs.SecteurLibreValide();
    TOccupation occ(fs, secteurs.NbSecteurs(), fs.PremierSecteurLibre());
    std::string repCourant;
    int quiRep = 0;
    fs.ObservateurSecteur = [&](int32_t s, const std::string& rep) {
        if (!rep.empty() && rep != repCourant) {
            repCourant = rep;
            quiRep = occ.Nouveau("le r\u00e9pertoire " + Nom(rep));
        }
        occ.Marque(s, rep.empty() ? 0 : quiRep);
    };
    auto chaine = [&](const std::string& nom, int32_t debut) { // trimmed disk bytes
        ++r.Fichiers;
        const int qui = occ.Nouveau("le fichier " + NomAffichable(nom));
        fs.SuitChaine(debut, nom, [&](int32_t s, const uint8_t*) { occ.Marque(s, qui); });
    };
    struct {
        bool Present = false;
        std::string Nom;
        int32_t Debut = 0;
    } ttx;
    fs.ParcourtCatalogue([&](const TAppelCatal& a) {
        if (a.Genre != geSuiteNom && ttx.Present) chaine(NomSansEspaces(ttx.Nom), ttx.Debut);
        if (a.Genre != geSuiteNom) ttx.Present = false;
        switch (a.Genre) {
        case geTtx: ttx = {true, a.Nom, a.Debut}; break;
        case geSuiteNom:
            if (ttx.Present)
                chaine(NomSansEspaces(ttx.Nom + a.Nom), ttx.Debut);
            else
                fs.SignaleDommage(
                    Format("Disque endommag\u00e9 : secteur %d, position %d : suite d'un nom long "
                           "sans son d\u00e9but",
                           a.Secteur, a.Position));
            ttx.Present = false;
            break;
        case geChainee: chaine(NomSansEspaces(a.Nom), a.Debut); break;
        case geDansRep: chaine(NomSansEspaces(a.Repertoire) + "/" + NomSansEspaces(a.Nom), a.Debut); break;
        case geContigue: {
            ++r.Fichiers;
            const int qui = occ.Nouveau("le fichier " + Nom(a.Nom));
            const int64_t n = (int64_t(a.C1) * a.C2 + TailleSecteur - 1) / TailleSecteur;
            fs.SuitContigu(a.Debut, n, NomSansEspaces(a.Nom), [&](int32_t s, const uint8_t*) { occ.Marque(s, qui); });
            break;
        }
        case geRepertoire: ++r.Repertoires; break;
        default: break;
        }
        return false;
    });
    fs.ObservateurSecteur = nullptr; // the walk below only looks for the first data sector
    // Data is allocated upwards from the first data sector: every sector
    // below the next free one belongs to an entry.
    if (const std::string o = occ.Orphelins(std::max(fs.DebutDonnees(), secteurs.NbSecteursCatal())); !o.empty())
        fs.SignaleDommage("Disque endommag\u00e9 : secteurs orphelins, qu'aucune entr\u00e9e n'atteint : " + o);
    r.Defauts = fs.Dommages();
    return r;
}
