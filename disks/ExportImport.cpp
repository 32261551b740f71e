#include "disks/ExportImport.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <vector>

#include "core/DossierHote.h"
#include "core/Fichiers.h"
#include "core/Nombres.h"
#include "core/Texte.h"
#include "disks/FichierImage.h"

namespace {

constexpr int32_t DonneesChaine = 253; // data bytes of a chained sector

bool AEchapper(uint8_t c) { return c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == '%'; }

// Temporaries of the export: ".NAME_C1_C2.XXXXXX".
bool NomExporte(const std::string& base) { return DecodeNomHote(base).Valide; }

int64_t Plafond(int64_t a, int64_t b) { return (a + b - 1) / b; }

// The export of one walk. Every file is created relative to the folder
// descriptors opened at the start, never through a link: a sub-folder swapped
// for a link meanwhile cannot lead a file (or a temporary) elsewhere.
class TExport {
public:
    TExport(TExportImport& ei, TSystemeFichiers& fs, IDialogue& dlg)
        : FEi(ei), FFs(fs), FDlg(dlg), FRacine(TDossierHote::Ouvre(ei.RepExport)) {
        FRacine.NettoieTemporaires(NomExporte);
    }

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
        case geRepertoire: SousDossier(a.Nom); break;
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
        if (!e.Repertoire.empty() && !SousDossier(e.Repertoire)) return;
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

    static std::string NomSousDossier(const std::string& rep) {
        const std::string n = NomHoteSur(NomSansEspaces(rep));
        return n.empty() ? "%20" : n;
    }

    // The host folder of a disk directory, made when missing; a folder
    // already there is used, anything else (a link, a file) is refused.
    const TDossierHote* SousDossier(const std::string& rep) {
        auto it = FSous.find(rep);
        if (it == FSous.end()) {
            it = FSous.emplace(rep, FRacine.Sous(NomSousDossier(rep), true)).first;
            const TDossierHote& d = it->second;
            if (d.Ouvert())
                d.NettoieTemporaires(NomExporte);
            else
                FDlg.Message("Impossible de cr\u00e9er le sous-r\u00e9pertoire : " + FEi.RepExport +
                             NomSousDossier(rep) + Raison(d.Erreur()));
        }
        return it->second.Ouvert() ? &it->second : nullptr;
    }

    static std::string Raison(int err) {
        if (err == ELOOP) return " (c'est un lien symbolique, jamais suivi)";
        if (err == ENOTDIR || err == EEXIST) return " (le nom est pris par un fichier)";
        return " (" + RaisonHoteFr(err) + ")";
    }

    void Chaine(const std::string& nom, const std::string& rep, int32_t c1, int32_t c2, int32_t debut) {
        Ecrit(NomHoteExport(nom, c1, c2), rep, OctetsChaine(FFs, debut, rep, nom));
    }

    void Contigu(const std::string& nom, int32_t c1, int32_t c2, int32_t debut) {
        Ecrit(NomHoteExport(nom, c1, c2), {}, OctetsContigu(FFs, debut, c1, c2, nom));
    }

    void Ecrit(const std::string& base, const std::string& rep, const std::vector<uint8_t>& donnees) {
        const std::string chemin = FEi.RepExport + (rep.empty() ? base : NomSousDossier(rep) + "/" + base);
        const TDossierHote* dossier = rep.empty() ? &FRacine : SousDossier(rep);
        if (!dossier || !dossier->Ouvert()) {
            FDlg.Message("Impossible de cr\u00e9er le fichier : " + chemin +
                         (dossier ? Raison(dossier->Erreur()) : std::string(" (pas de sous-r\u00e9pertoire)")));
            return;
        }
        bool existe = false;
        int err = 0;
        if (dossier->CreeFichier(base, donnees.data(), donnees.size(), existe, err)) {
            ++FEi.NbExport;
            return;
        }
        FDlg.Message(existe ? "Le fichier : " + chemin + " Existe d\u00e9j\u00e0"
                            : "Impossible de cr\u00e9er le fichier : " + chemin + " (" + RaisonHoteFr(err) + ")");
    }

    TExportImport& FEi;
    TSystemeFichiers& FFs;
    IDialogue& FDlg;
    TDebutTtx FTtx;
    TDossierHote FRacine;
    std::map<std::string, TDossierHote> FSous;
};

} // namespace

std::string NomHoteExport(const std::string& nom, int32_t c1, int32_t c2) {
    return Format("%s_%.5u_%.5u", NomHoteSur(nom).c_str(), unsigned(c1), unsigned(c2));
}

std::vector<uint8_t> OctetsChaine(TSystemeFichiers& fs, int32_t debut, const std::string& repertoire,
                                  const std::string& nom) {
    std::vector<uint8_t> donnees;
    const std::string qui = repertoire.empty() ? nom : NomSansEspaces(repertoire) + "/" + nom;
    fs.SuitChaine(debut, qui, [&](int32_t, const uint8_t* t) {
        donnees.insert(donnees.end(), t + 2, t + 2 + DonneesChaine);
    });
    return donnees;
}

std::vector<uint8_t> OctetsContigu(TSystemeFichiers& fs, int32_t debut, int32_t c1, int32_t c2,
                                   const std::string& nom) {
    const int64_t nombre = Plafond(int64_t(c1) * c2, TailleSecteur);
    std::vector<uint8_t> donnees; // at most the whole disk, whatever the entry says
    donnees.reserve(size_t(std::clamp<int64_t>(nombre, 0, fs.Secteurs().NbSecteurs())) * TailleSecteur);
    fs.SuitContigu(debut, nombre, nom,
                   [&](int32_t, const uint8_t* t) { donnees.insert(donnees.end(), t, t + TailleSecteur); });
    return donnees;
}

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

std::string FormeNomHote() {
    return "Forme attendue : NOM_C1_C2 ou NOM_C1_C2.EXT, C1 et C2 en d\u00e9cimal de 0 \u00e0 " +
           NombreFr(int64_t(0xFFFF)) + " (par exemple PROG_00012_00000.TXT)";
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

bool CaracteresStockables(std::string_view texte) {
    for (size_t i = 0; i < texte.size();) {
        const uint8_t c = uint8_t(texte[i]);
        const size_t n = c >= 0xF0 && c < 0xF8 ? 4 : c >= 0xE0 && c < 0xF0 ? 3 : c >= 0xC0 && c < 0xE0 ? 2 : 1;
        uint32_t code = n == 1 ? c : c & (0x7F >> n);
        bool ok = i + n <= texte.size();
        for (size_t k = 1; ok && k < n; ++k) {
            ok = (uint8_t(texte[i + k]) & 0xC0) == 0x80;
            code = code << 6 | (uint8_t(texte[i + k]) & 0x3F);
        }
        if (ok && code > 0xFF) return false;
        i += ok ? n : 1;
    }
    return true;
}

namespace {

std::string Ignore(const std::string& chemin, const std::string& raison) {
    return "Fichier ignor\u00e9 : " + chemin + " (" + raison + ")";
}

// Why a host entry that is no plain file is not read.
std::string RaisonGenre(TGenreHote g) {
    switch (g) {
    case TGenreHote::Lien: return "lien symbolique, jamais suivi";
    case TGenreHote::Special: return "pas un fichier ordinaire : tube, p\u00e9riph\u00e9rique ou socket";
    case TGenreHote::Dossier:
        return "dossier dans un sous-dossier : le disque n'a qu'un niveau de r\u00e9pertoires";
    default: return "a disparu pendant l'import";
    }
}

} // namespace

bool TExportImport::ImporteFichier(TSystemeFichiers& fs, IDialogue& dialogue, const std::string& chemin,
                                   const std::string& repertoire, const std::string& nom, int32_t c1,
                                   int32_t c2) {
    // Read beside its folder, never through a link.
    const TDossierHote dossier = TDossierHote::Ouvre(DossierDe(chemin).empty() ? "." : DossierDe(chemin));
    std::vector<uint8_t> octets;
    int err = 0;
    const TLectureFichier lu =
        dossier.Lit(NomSansDossier(chemin), octets, uint64_t(fs.Secteurs().NbSecteurs()) * TailleSecteur, err);
    if (lu != TLectureFichier::Ok && lu != TLectureFichier::TropGros) {
        dialogue.Message("Impossible de lire le fichier " + chemin +
                         (err ? " (" + RaisonHoteFr(err) + ")" : std::string()));
        return false;
    }
    return ImporteOctets(fs, dialogue, chemin, octets, lu == TLectureFichier::TropGros, repertoire, nom, c1, c2);
}

bool TExportImport::ImporteOctets(TSystemeFichiers& fs, IDialogue& dialogue, const std::string& chemin,
                                  const std::vector<uint8_t>& octets, bool tropGros,
                                  const std::string& repertoire, const std::string& nom, int32_t c1,
                                  int32_t c2) {
    NomRepZorv = repertoire;
    NomFicZorv = nom;
    C1FicZorv = c1;
    C2FicZorv = c2;
    ISecteurs& disque = fs.Secteurs();
    const int32_t n = disque.NbSecteurs();
    // Files of a directory are always chained: that is how they are read back.
    const bool contigu = c1 != 0 && c2 != 0 && repertoire.empty();
    const int64_t longueur = tropGros ? int64_t(n) * TailleSecteur : int64_t(octets.size());
    const int64_t reserve = Plafond(int64_t(c1) * c2, TailleSecteur);
    // A contiguous file is read back as its C1 × C2 bytes: sectors written
    // past them would be reached by no entry.
    if (contigu && !tropGros && Plafond(longueur, TailleSecteur) > reserve) {
        dialogue.Message(Ignore(chemin, Format("%lld octets, plus que les %d \u00d7 %d de son nom",
                                               (long long)longueur, c1, c2)));
        return false;
    }
    const int64_t besoin = contigu ? reserve : std::max<int64_t>(1, Plafond(longueur, DonneesChaine));
    // Room is tested before the entry is written, so that a refused file
    // leaves no entry behind; a directory may need one more sector for a link.
    if (int64_t(fs.PremierSecteurLibre()) + besoin + (repertoire.empty() ? 0 : 1) >= n) {
        dialogue.Message("Pas assez de place pour importer " + chemin);
        return false;
    }
    bool ajoute = false;
    bool plein = false;
    fs.ParcourtCatalogue([&](const TAppelCatal& a) {
        if (repertoire.empty() && a.Genre == geFinCatal) {
            ajoute = fs.AjouteEntreeCatal(nom, a.Secteur, a.Position, c1, c2);
            plein = fs.DernierRefus() == reCatalPlein;
        } else if (!repertoire.empty() && a.Genre == geFinRep && a.Repertoire == repertoire) {
            ajoute = fs.AjouteEntreeRep(nom, a.Secteur, a.Position, c1, c2);
        }
        return ajoute;
    });
    if (!ajoute) {
        dialogue.Message(plein ? "Le catalogue est plein : " + chemin + " n'est pas import\u00e9"
                               : "Impossible de cr\u00e9er le fichier " + NomAffichable(repertoire) + " " +
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

// One entry of a host folder. False when an invalid name ends the import.
bool TExportImport::ImporteUn(TSystemeFichiers& fs, IDialogue& dialogue, const TDossierHote& dossier,
                              const TElementHote& e, const std::string& repertoire) {
    const std::string chemin = dossier.Chemin() + e.Nom;
    if (e.Genre == TGenreHote::Dossier) { // said for itself: none of what it holds goes onto the disk
        FIgnores.push_back("Dossier ignor\u00e9 : " + chemin + "/ (" + RaisonGenre(e.Genre) +
                           " ; rien de ce qu'il contient n'est import\u00e9)");
        return true;
    }
    if (e.Genre != TGenreHote::Fichier) {
        FIgnores.push_back(Ignore(chemin, RaisonGenre(e.Genre)));
        return true;
    }
    const size_t point = e.Nom.find_last_of('.');
    const std::string base = point == std::string::npos || point == 0 ? e.Nom : e.Nom.substr(0, point);
    TNomHote h = DecodeNomHote(base);
    if (!h.Valide) {
        dialogue.Messages(FIgnores);
        FIgnores.clear();
        dialogue.Messages({"Nom de fichier trop long ou nom invalide : " + chemin, FormeNomHote()});
        return false;
    }
    if (!CaracteresStockables(EnMajuscules(DecodeEchappements(base.substr(0, base.find('_')))))) {
        FIgnores.push_back(Ignore(chemin, "un caract\u00e8re du nom ne s'\u00e9crit pas sur le disque"));
        return true;
    }
    if (repertoire.empty() && h.C1 == 0 && h.C2 == 0) {
        FIgnores.push_back(Ignore(chemin, "C1 et C2 valent 0 : le disque le prendrait pour un r\u00e9pertoire"));
        return true;
    }
    if (!repertoire.empty()) h.Nom.resize(6); // names are not continued inside directories
    const std::string cle = repertoire + '/' + h.Nom;
    if (const auto pris = FNomsImportes.find(cle); pris != FNomsImportes.end()) {
        FIgnores.push_back(Ignore(chemin, "m\u00eame nom sur le disque que " + pris->second));
        return true;
    }
    if (fs.FichierExiste(repertoire, h.Nom)) return true; // already on the disk: skipped, not counted
    std::vector<uint8_t> octets;
    int err = 0;
    const TLectureFichier lu = dossier.Lit(e.Nom, octets, uint64_t(fs.Secteurs().NbSecteurs()) * TailleSecteur, err);
    // Swapped since the listing (for a link, a FIFO, a folder) or gone: said
    // for what it is now.
    if (lu == TLectureFichier::PasOrdinaire || lu == TLectureFichier::Dossier || lu == TLectureFichier::Absent) {
        FIgnores.push_back(Ignore(chemin, RaisonGenre(dossier.Genre(e.Nom))));
        return true;
    }
    if (lu == TLectureFichier::Illisible) {
        FIgnores.push_back(Ignore(chemin, "illisible : " + RaisonHoteFr(err)));
        return true;
    }
    FNomsImportes.emplace(cle, chemin);
    if (ImporteOctets(fs, dialogue, chemin, octets, lu == TLectureFichier::TropGros, repertoire, h.Nom, h.C1, h.C2))
        ++NbImport;
    return true;
}

bool TExportImport::ImporteRepertoire(TSystemeFichiers& fs, IDialogue& dialogue) {
    RepImport = AvecSeparateur(RepImport);
    FIgnores.clear();
    FNomsImportes.clear();
    const TDossierHote racine = TDossierHote::Ouvre(RepImport);
    if (!racine.Ouvert()) {
        dialogue.Message("Impossible de lire le dossier " + RepImport + " (" + RaisonHoteFr(racine.Erreur()) + ")");
        return false;
    }
    const std::vector<TElementHote> elements = racine.Liste();
    for (const TElementHote& d : elements) {
        if (d.Genre != TGenreHote::Dossier) continue;
        const std::string nom = DecodeEchappements(d.Nom);
        if (TexteEnOctets(nom).size() > 6) {
            dialogue.Message("Nom de r\u00e9pertoire trop long : " + d.Nom);
            continue;
        }
        if (!CaracteresStockables(EnMajuscules(nom))) {
            FIgnores.push_back(Ignore(racine.Chemin() + d.Nom + "/",
                                      "un caract\u00e8re du nom ne s'\u00e9crit pas sur le disque"));
            continue;
        }
        const TDossierHote sous = racine.Sous(d.Nom, false);
        if (!sous.Ouvert()) { // swapped for a link, or gone, since the listing
            FIgnores.push_back(Ignore(racine.Chemin() + d.Nom + "/",
                                      sous.Erreur() == ELOOP ? RaisonGenre(TGenreHote::Lien)
                                                             : "illisible : " + RaisonHoteFr(sous.Erreur())));
            continue;
        }
        const std::string rep = NomCadre(nom, 6);
        if (!fs.RepertoireExiste(rep)) fs.CreeRepertoire(rep);
        for (const TElementHote& f : sous.Liste())
            if (!ImporteUn(fs, dialogue, sous, f, rep)) return false;
    }
    for (const TElementHote& f : elements)
        if (f.Genre != TGenreHote::Dossier && !ImporteUn(fs, dialogue, racine, f, {})) return false;
    dialogue.Messages(FIgnores);
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
