#include "disks/ExportImport.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <vector>

#include "core/Fichiers.h"
#include "core/Nombres.h"
#include "core/Texte.h"

namespace fs = std::filesystem;

namespace {

constexpr int32_t DonneesChaine = 253; // data bytes of a chained sector

bool AEchapper(uint8_t c) { return c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == '%'; }

std::vector<std::string> Trie(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

// Sub-folders and regular files directly in `dossier`, each sorted by name.
void ListeDossier(const std::string& dossier, std::vector<std::string>& dossiers,
                  std::vector<std::string>& fichiers) {
    std::error_code ec;
    for (fs::directory_iterator it(dossier, ec), fin; !ec && it != fin; it.increment(ec)) {
        std::error_code e2;
        if (it->is_directory(e2))
            dossiers.push_back(it->path().filename().string());
        else if (it->is_regular_file(e2))
            fichiers.push_back(it->path().filename().string());
    }
    dossiers = Trie(std::move(dossiers));
    fichiers = Trie(std::move(fichiers));
}

// Something is at `chemin`, a dangling link included.
bool NomPris(const std::string& chemin) {
    std::error_code ec;
    return fs::symlink_status(chemin, ec).type() != fs::file_type::not_found && !ec;
}

int64_t Plafond(int64_t a, int64_t b) { return (a + b - 1) / b; }

// The export of one walk.
class TExport {
public:
    TExport(TExportImport& ei, TSystemeFichiers& fs, IDialogue& dlg) : FEi(ei), FFs(fs), FDlg(dlg) {}

    bool Rappel(const TAppelCatal& a) {
        if (a.Genre != geSuiteNom) Vide();
        switch (a.Genre) {
        case geTtx: FTtx = {true, NomSansEspaces(a.Nom), a.C1, a.C2, a.Debut}; break;
        case geSuiteNom:
            if (FTtx.Present) Chaine(NomSansEspaces(FTtx.Nom + a.Nom), {}, FTtx.C1, FTtx.C2, FTtx.C3);
            FTtx = {};
            break;
        case geChainee: Chaine(NomSansEspaces(a.Nom), {}, a.C1, a.C2, a.Debut); break;
        case geDansRep: Chaine(NomSansEspaces(a.Nom), a.Repertoire, a.C1, a.C2, a.Debut); break;
        case geContigue: Contigu(NomSansEspaces(a.Nom), a.C1, a.C2, a.Debut); break;
        case geRepertoire: CreeSousDossier(a.Nom); break;
        default: break;
        }
        return false;
    }

    // One file of the catalogue view, named and placed as the whole export
    // would: a file of a directory goes into the directory's sub-folder,
    // made when missing.
    void ExporteUn(const TEntreeListee& e) {
        if (e.Genre == geContigue && e.Repertoire.empty()) {
            Contigu(e.NomExport, e.C1, e.C2, e.Debut);
            return;
        }
        if (!e.Repertoire.empty()) {
            const std::string chemin = FEi.RepExport + SousDossier(e.Repertoire);
            std::error_code ec;
            if (!fs::is_directory(fs::symlink_status(chemin, ec)) && (!fs::create_directory(chemin, ec) || ec)) {
                FDlg.Message("Impossible de cr\u00e9er le sous-r\u00e9pertoire : " + chemin);
                return;
            }
        }
        Chaine(e.NomExport, e.Repertoire, e.C1, e.C2, e.Debut);
    }

private:
    struct TDebutTtx {
        bool Present = false;
        std::string Nom;
        int32_t C1 = 0, C2 = 0, C3 = 0;
    };

    // A first part of a long name that no continuation followed: a chained
    // file under its own 6 characters.
    void Vide() {
        if (FTtx.Present) Chaine(FTtx.Nom, {}, FTtx.C1, FTtx.C2, FTtx.C3);
        FTtx = {};
    }

    std::string SousDossier(const std::string& rep) const {
        const std::string n = NomHoteSur(NomSansEspaces(rep));
        return n.empty() ? "%20" : n;
    }

    void CreeSousDossier(const std::string& rep) {
        const std::string chemin = FEi.RepExport + SousDossier(rep);
        std::error_code ec;
        if (!fs::create_directory(chemin, ec) || ec)
            FDlg.Message("Impossible de cr\u00e9er le sous-r\u00e9pertoire : " + chemin);
    }

    std::string Chemin(const std::string& nom, const std::string& rep, int32_t c1, int32_t c2) const {
        const std::string base = Format("%s_%.5u_%.5u", NomHoteSur(nom).c_str(), unsigned(c1), unsigned(c2));
        return FEi.RepExport + (rep.empty() ? base : SousDossier(rep) + "/" + base);
    }

    void Chaine(const std::string& nom, const std::string& rep, int32_t c1, int32_t c2, int32_t debut) {
        std::vector<uint8_t> donnees;
        const std::string qui = rep.empty() ? nom : NomSansEspaces(rep) + "/" + nom;
        FFs.SuitChaine(debut, qui, [&](int32_t, const uint8_t* t) {
            donnees.insert(donnees.end(), t + 2, t + 2 + DonneesChaine);
        });
        Ecrit(Chemin(nom, rep, c1, c2), rep, donnees);
    }

    void Contigu(const std::string& nom, int32_t c1, int32_t c2, int32_t debut) {
        const int64_t nombre = Plafond(int64_t(c1) * c2, TailleSecteur);
        std::vector<uint8_t> donnees; // at most the whole disk, whatever the entry says
        donnees.reserve(size_t(std::clamp<int64_t>(nombre, 0, FFs.Secteurs().NbSecteurs())) * TailleSecteur);
        FFs.SuitContigu(
            debut, nombre, nom,
            [&](int32_t, const uint8_t* t) { donnees.insert(donnees.end(), t, t + TailleSecteur); });
        Ecrit(Chemin(nom, {}, c1, c2), {}, donnees);
    }

    void Ecrit(const std::string& chemin, const std::string& rep, const std::vector<uint8_t>& donnees) {
        if (NomPris(chemin)) {
            FDlg.Message("Le fichier : " + chemin + " Existe d\u00e9j\u00e0");
            return;
        }
        if (!rep.empty()) { // a link in the folder would lead the file elsewhere
            std::error_code ec;
            if (fs::symlink_status(FEi.RepExport + SousDossier(rep), ec).type() == fs::file_type::symlink) {
                FDlg.Message("Impossible de cr\u00e9er le fichier : " + chemin +
                             " (le sous-r\u00e9pertoire est un lien)");
                return;
            }
        }
        bool existe = false;
        std::string erreur;
        if (EcritFichierNouveau(chemin, donnees.data(), donnees.size(), existe, erreur)) {
            ++FEi.NbExport;
            return;
        }
        FDlg.Message(existe ? "Le fichier : " + chemin + " Existe d\u00e9j\u00e0" : erreur);
    }

    TExportImport& FEi;
    TSystemeFichiers& FFs;
    IDialogue& FDlg;
    TDebutTtx FTtx;
};

} // namespace

std::string NomHoteSur(const std::string& octets) {
    std::string r;
    for (char c : octets)
        if (AEchapper(uint8_t(c)))
            r += Format("%%%02X", unsigned(uint8_t(c)));
        else
            r += c;
    if (r == "." || r == "..") {
        std::string points;
        for (size_t i = 0; i < r.size(); ++i) points += "%2E";
        r = points;
    }
    return OctetsEnTexte(r);
}

std::string DecodeEchappements(const std::string& texte) {
    std::string r;
    for (size_t i = 0; i < texte.size(); ++i) {
        const int h = i + 2 < texte.size() && texte[i] == '%' ? ValeurHexa(texte[i + 1]) : -1;
        const int l = h >= 0 ? ValeurHexa(texte[i + 2]) : -1;
        if (l >= 0) {
            r += OctetsEnTexte(std::string(1, char(h * 16 + l)));
            i += 2;
        } else {
            r += texte[i];
        }
    }
    return r;
}

TNomHote DecodeNomHote(const std::string& texte) {
    TNomHote r;
    std::string reste = texte, nom;
    const size_t p = reste.find('_');
    if (p != std::string::npos) {
        nom = reste.substr(0, p);
        reste.erase(0, p + 1);
    }
    const size_t q = reste.find('_');
    if (q != std::string::npos) {
        const auto c1 = LitDecimal(reste.substr(0, q), 0xFFFF);
        if (!c1) return r;
        r.C1 = int32_t(*c1);
        reste.erase(0, q + 1);
    }
    const auto c2 = LitDecimal(reste, 0xFFFF);
    if (!c2 || r.C1 < 0) return r; // exactly one "_" leaves C1 unknown: refused
    r.C2 = int32_t(*c2);
    r.Nom = NomCadre(DecodeEchappements(nom), r.C1 == 256 && r.C2 == 0 ? 15 : 6);
    r.Valide = true;
    return r;
}

// ---------------------------------------------------------------- export

void TExportImport::Exporte(ISecteurs& disque, IDialogue& dialogue) {
    NbExport = 0;
    if (disque.Etat() == 0) return;
    TSecteursTampon secteurs(disque);
    TSystemeFichiers fs(secteurs, dialogue);
    if (!fs.DisqueFormate()) { // its "catalogue" would be whatever the sectors hold
        dialogue.Message("Le disque n'est pas format\u00e9");
        return;
    }
    const auto dossier = dialogue.ChoisitDossier("S\u00e9lectionnez le dossier de destination", RepExport);
    if (!dossier) return;
    RepExport = AvecSeparateur(*dossier);
    TExport e(*this, fs, dialogue);
    fs.ParcourtCatalogue([&](const TAppelCatal& a) { return e.Rappel(a); });
    dialogue.Information("Fichier(s) export\u00e9(s) : " + std::to_string(NbExport));
}

bool ExportableSeul(const TEntreeListee& e) {
    return e.Genre == geChainee || e.Genre == geContigue || e.Genre == geTtx || e.Genre == geDansRep;
}

void TExportImport::ExporteFichier(ISecteurs& disque, IDialogue& dialogue, const TEntreeListee& entree) {
    NbExport = 0;
    if (disque.Etat() == 0 || !ExportableSeul(entree)) return;
    TSecteursTampon secteurs(disque);
    TSystemeFichiers fs(secteurs, dialogue);
    if (!fs.DisqueFormate()) {
        dialogue.Message("Le disque n'est pas format\u00e9");
        return;
    }
    const auto dossier = dialogue.ChoisitDossier("S\u00e9lectionnez le dossier de destination", RepExport);
    if (!dossier) return;
    RepExport = AvecSeparateur(*dossier);
    TExport e(*this, fs, dialogue);
    e.ExporteUn(entree);
    dialogue.Information("Fichier(s) export\u00e9(s) : " + std::to_string(NbExport));
}

// ---------------------------------------------------------------- import

bool TExportImport::ImporteFichier(TSystemeFichiers& fs, IDialogue& dialogue, const std::string& chemin,
                                   const std::string& repertoire, const std::string& nom, int32_t c1,
                                   int32_t c2) {
    NomRepZorv = repertoire;
    NomFicZorv = nom;
    C1FicZorv = c1;
    C2FicZorv = c2;
    ISecteurs& disque = fs.Secteurs();
    const int32_t n = disque.NbSecteurs();
    std::vector<uint8_t> octets;
    const TLectureFichier lu = LitFichierEntier(chemin, octets, uint64_t(n) * TailleSecteur);
    if (lu != TLectureFichier::Ok && lu != TLectureFichier::TropGros) {
        dialogue.Message("Impossible de lire le fichier " + chemin);
        return false;
    }
    // Files of a directory are always chained: that is how they are read back.
    const bool contigu = c1 != 0 && c2 != 0 && repertoire.empty();
    const int64_t longueur =
        lu == TLectureFichier::TropGros ? int64_t(n) * TailleSecteur : int64_t(octets.size());
    const int64_t besoin =
        contigu ? std::max(Plafond(int64_t(c1) * c2, TailleSecteur), Plafond(longueur, TailleSecteur))
                : std::max<int64_t>(1, Plafond(longueur, DonneesChaine));
    // Room is tested before the entry is written, so that a refused file
    // leaves no entry behind; a directory may need one more sector for a link.
    if (int64_t(fs.PremierSecteurLibre()) + besoin + (repertoire.empty() ? 0 : 1) >= n) {
        dialogue.Message("Pas assez de place pour importer " + chemin);
        return false;
    }
    bool ajoute = false;
    fs.ParcourtCatalogue([&](const TAppelCatal& a) {
        if (repertoire.empty() && a.Genre == geFinCatal)
            ajoute = fs.AjouteEntreeCatal(nom, a.Secteur, a.Position, c1, c2);
        else if (!repertoire.empty() && a.Genre == geFinRep && a.Repertoire == repertoire)
            ajoute = fs.AjouteEntreeRep(nom, a.Secteur, a.Position, c1, c2);
        return ajoute;
    });
    if (!ajoute) {
        dialogue.Message("Impossible de cr\u00e9er le fichier " + NomAffichable(repertoire) + " " +
                         NomAffichable(nom));
        return false;
    }
    const int32_t libre = fs.PremierSecteurLibre();
    const size_t pas = contigu ? TailleSecteur : DonneesChaine;
    std::vector<uint8_t> secteurs(size_t(besoin) * TailleSecteur, 0);
    for (int64_t i = 0; i < besoin; ++i) {
        uint8_t* t = secteurs.data() + size_t(i) * TailleSecteur;
        const size_t debut = size_t(i) * pas;
        const size_t k = debut < octets.size() ? std::min(pas, octets.size() - debut) : 0;
        const int32_t suivant = libre + int32_t(i) + 1;
        if (k > 0) std::memcpy(contigu ? t : t + 2, octets.data() + debut, k);
        if (!contigu) {
            t[0] = i + 1 == besoin ? 0xFE : uint8_t(suivant >> 8);
            t[1] = uint8_t(suivant);
        }
    }
    disque.EcritPlage(libre, int32_t(besoin), secteurs.data());
    fs.EcritSecteurLibre(libre + int32_t(besoin));
    return true;
}

bool TExportImport::ImporteUn(TSystemeFichiers& fs, IDialogue& dialogue, const std::string& chemin,
                              const std::string& repertoire) {
    const std::string base = fs::path(chemin).stem().string();
    TNomHote h = DecodeNomHote(base);
    if (!h.Valide) {
        dialogue.Message("Nom de fichier trop long ou nom invalide : " + base);
        return false;
    }
    if (!repertoire.empty()) h.Nom.resize(6); // names are not continued inside directories
    if (!fs.FichierExiste(repertoire, h.Nom) &&
        ImporteFichier(fs, dialogue, chemin, repertoire, h.Nom, h.C1, h.C2))
        ++NbImport;
    return true;
}

bool TExportImport::ImporteRepertoire(TSystemeFichiers& fs, IDialogue& dialogue) {
    RepImport = AvecSeparateur(RepImport);
    std::vector<std::string> dossiers, fichiers;
    ListeDossier(RepImport, dossiers, fichiers);
    for (const std::string& d : dossiers) {
        const std::string nom = DecodeEchappements(d);
        if (TexteEnOctets(nom).size() > 6) {
            dialogue.Message("Nom de r\u00e9pertoire trop long : " + d);
            continue;
        }
        const std::string rep = NomCadre(nom, 6);
        if (!fs.RepertoireExiste(rep)) fs.CreeRepertoire(rep);
        std::vector<std::string> sous, contenus;
        ListeDossier(RepImport + d, sous, contenus);
        for (const std::string& f : contenus)
            if (!ImporteUn(fs, dialogue, RepImport + d + "/" + f, rep)) return false;
    }
    for (const std::string& f : fichiers)
        if (!ImporteUn(fs, dialogue, RepImport + f, {})) return false;
    dialogue.Information("Fichier(s) import\u00e9(s) : " + std::to_string(NbImport));
    return true;
}

void TExportImport::Importe(ISecteurs& disque, IDialogue& dialogue) {
    NbImport = 0;
    if (disque.Etat() != 1) {
        if (disque.Etat() == 2) dialogue.Message("Disque prot\u00e9g\u00e9 en \u00e9criture");
        MemoireFmt = false;
        return;
    }
    TSecteursTampon secteurs(disque);
    TSystemeFichiers fs(secteurs, dialogue);
    if (!fs.DisqueFormate() && !MemoireFmt) {
        dialogue.Message("Le disque n'est pas format\u00e9");
        return;
    }
    const auto dossier = dialogue.ChoisitDossier(
        "S\u00e9lectionnez le dossier contenant les fichiers \u00e0 importer", RepImport);
    const bool formate = MemoireFmt;
    MemoireFmt = false;
    if (!dossier) return;
    if (formate) fs.FormatInconditionnel();
    RepImport = *dossier;
    if (fs.SecteurLibreValide()) ImporteRepertoire(fs, dialogue);
}

void TExportImport::FormateEtImporte(ISecteurs& secteurs, IDialogue& dialogue) {
    if (!dialogue.Question("Voulez-vous vraiment formater le disque\npuis importer un r\u00e9pertoire ?"))
        return;
    MemoireFmt = true;
    Importe(secteurs, dialogue);
}
