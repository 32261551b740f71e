#include "disks/FichierSeul.h"

#include <algorithm>

#include "core/Fichiers.h"
#include "core/Texte.h"
#include "disks/ExportImport.h"

namespace {

constexpr int64_t C1C2Max = 0xFFFF;
constexpr uint8_t PremiereMarque = 0xFD; // 0xFD skipped entry, 0xFE next sector, 0xFF end

struct TParties {
    std::string Repertoire, Nom; // host text, blanks removed at both ends
    bool TropDeNiveaux = false;
};

TParties Parties(const std::string& texte) {
    const size_t barre = texte.find('/');
    if (barre == std::string::npos) return {{}, SansBlancs(texte)};
    const std::string reste = texte.substr(barre + 1);
    return {SansBlancs(texte.substr(0, barre)), SansBlancs(reste), reste.find('/') != std::string::npos};
}

bool LongAutorise(const TFichierAImporter& f, const TParties& p) {
    return f.C1 == 256 && f.C2 == 0 && p.Repertoire.empty();
}

// Why one part of a name cannot go onto the disk; empty when it can.
// `nom`: the file's name (which may be long), else its directory's.
std::string RefusPartie(const std::string& texte, size_t longueur, bool nom) {
    const char* quoi = nom ? "Nom sur le disque" : "Nom de r\u00e9pertoire";
    if (texte.empty()) return std::string(quoi) + " vide";
    if (!CaracteresStockables(texte))
        return std::string(quoi) + " \u00ab " + texte + " \u00bb : un caract\u00e8re ne s'\u00e9crit pas sur le disque";
    const std::string octets = TexteEnOctets(EnMajuscules(texte));
    for (const char c : octets)
        if (uint8_t(c) < 0x20 || uint8_t(c) == 0x7F)
            return std::string(quoi) + " \u00ab " + TexteVisible(texte) + " \u00bb : caract\u00e8re de contr\u00f4le";
    if (uint8_t(octets[0]) >= PremiereMarque)
        return std::string(quoi) + " \u00ab " + texte +
               " \u00bb : ne peut pas commencer par \u00fd, \u00fe ou \u00ff, que le catalogue lit comme ses marques";
    if (octets.size() > longueur)
        return std::string(quoi) + " trop long : \u00ab " + texte + " \u00bb (" + std::to_string(longueur) +
               " caract\u00e8res au plus" + (nom && longueur == 6 ? ", 15 pour un texte : C1 = 256 et C2 = 0" : "") + ")";
    return {};
}

std::string NomVu(const TNomSurDisque& n) {
    const std::string nom = NomAffichable(NomSansEspaces(n.Nom));
    return n.Repertoire.empty() ? nom : NomAffichable(NomSansEspaces(n.Repertoire)) + "/" + nom;
}

// The name typed by the user names these disk bytes: as host text, or as
// the catalogue view shows them.
bool MemeNom(const std::string& octets, const std::string& tape) {
    const std::string brut = NomSansEspaces(octets);
    return EgalSansCasse(brut, NomSansEspaces(TexteEnOctets(tape))) || EgalSansCasse(NomAffichable(brut), tape);
}

// The sectors that differ between `avant` and `apres`, written to `disque`.
void EcritDifferences(ISecteurs& disque, const std::vector<uint8_t>& avant, const std::vector<uint8_t>& apres) {
    for (size_t s = 0; s * TailleSecteur < apres.size(); ++s) {
        const size_t o = s * TailleSecteur;
        if (!std::equal(apres.begin() + long(o), apres.begin() + long(o + TailleSecteur), avant.begin() + long(o)))
            disque.Ecrit(int32_t(s) + 1, apres.data() + o);
    }
}

bool ImporteDans(TImageMemoire& copie, IDialogue& dialogue, const std::string& chemin, const TNomSurDisque& n,
                 const TFichierAImporter& f, const std::vector<uint8_t>& octets, bool tropGros) {
    TSystemeFichiers fs(copie, dialogue);
    if (!fs.DisqueFormate()) {
        dialogue.Message("Le disque n'est pas format\u00e9");
        return false;
    }
    if (!fs.SecteurLibreValide()) return false;
    if (fs.FichierExiste(n.Repertoire, n.Nom)) {
        dialogue.Message("Le fichier " + NomVu(n) + " est d\u00e9j\u00e0 sur le disque : rien n'est import\u00e9");
        return false;
    }
    if (!n.Repertoire.empty() && !fs.RepertoireExiste(n.Repertoire) && !fs.CreeRepertoire(n.Repertoire))
        return false;
    TExportImport ei;
    if (!ei.ImporteOctets(fs, dialogue, chemin, octets, tropGros, n.Repertoire, n.Nom, int32_t(f.C1),
                          int32_t(f.C2)))
        return false;
    const TCatalogueAffiche c = fs.AfficheCatalogue();
    dialogue.Information("Fichier import\u00e9 : " + NomVu(n) + " (C1 " + std::to_string(f.C1) + ", C2 " +
                         std::to_string(f.C2) + ") ; place libre : " +
                         NombreFr(int64_t(c.SecteursLibres) * TailleSecteur / 1024) + " Ko");
    return true;
}

} // namespace

TFichierAImporter ValeursImport(const std::string& cheminHote) {
    const std::string fichier = NomSansDossier(cheminHote);
    const size_t point = fichier.find_last_of('.');
    const std::string base = point == std::string::npos || point == 0 ? fichier : fichier.substr(0, point);
    const TNomHote h = DecodeNomHote(base);
    std::string nom = EnMajuscules(SansBlancs(h.Valide ? DecodeEchappements(base.substr(0, base.find('_'))) : base));
    const size_t longueur = h.Valide && h.C1 == 256 && h.C2 == 0 ? 15 : 6;
    // Cut as the disk would cut it; a name the disk cannot store is offered
    // whole, for the check to say why.
    if (CaracteresStockables(nom)) nom = OctetsEnTexte(TexteEnOctets(nom).substr(0, longueur));
    if (!h.Valide) return {SansBlancs(nom), 1, 0};
    return {SansBlancs(nom), h.C1, h.C2};
}

std::string RefusImport(const TFichierAImporter& f) {
    const TParties p = Parties(f.Nom);
    if (p.TropDeNiveaux) return "Un seul \u00ab / \u00bb : le disque n'a qu'un niveau de r\u00e9pertoires (REP/NOM)";
    if (f.C1 < 0 || f.C1 > C1C2Max || f.C2 < 0 || f.C2 > C1C2Max)
        return "C1 et C2 vont de 0 \u00e0 " + NombreFr(C1C2Max);
    if (f.C1 == 0 && f.C2 == 0) return "C1 et C2 valent 0 : le disque prendrait le fichier pour un r\u00e9pertoire";
    if (f.Nom.find('/') != std::string::npos)
        if (std::string r = RefusPartie(p.Repertoire, 6, false); !r.empty()) return r;
    return RefusPartie(p.Nom, LongAutorise(f, p) ? 15 : 6, true);
}

std::string DescriptionImport(const TFichierAImporter& f, int64_t taille) {
    if (!RefusImport(f).empty()) return {};
    const auto secteurs = [](int64_t n) { return NombreFr(n) + (n > 1 ? " secteurs" : " secteur"); };
    const int64_t chaine = std::max<int64_t>(1, (std::max<int64_t>(taille, 0) + 252) / 253);
    if (!Parties(f.Nom).Repertoire.empty()) return "fichier cha\u00een\u00e9 du r\u00e9pertoire, " + secteurs(chaine);
    if (f.C1 != 0 && f.C2 != 0)
        return "fichier contigu de " + secteurs((f.C1 * f.C2 + TailleSecteur - 1) / TailleSecteur) +
               " (C1 \u00d7 C2 = " + NombreFr(f.C1 * f.C2) + " octets)";
    if (f.C1 == 256 && f.C2 == 0) return "texte au nom long, cha\u00een\u00e9, " + secteurs(chaine);
    return "fichier cha\u00een\u00e9, " + secteurs(chaine);
}

TNomSurDisque NomSurDisque(const TFichierAImporter& f) {
    const TParties p = Parties(f.Nom);
    return {p.Repertoire.empty() ? std::string() : NomCadre(p.Repertoire, 6),
            NomCadre(p.Nom, LongAutorise(f, p) ? 15 : 6)};
}

bool ImporteFichierSeul(ISecteurs& disque, IDialogue& dialogue, const std::string& chemin,
                        const TFichierAImporter& f) {
    if (disque.Etat() == 0) return false;
    if (disque.Etat() == 2) {
        dialogue.Message("Disque prot\u00e9g\u00e9 en \u00e9criture");
        return false;
    }
    if (const std::string r = RefusImport(f); !r.empty()) {
        dialogue.Message(r);
        return false;
    }
    std::vector<uint8_t> octets;
    const TLectureFichier lu = LitFichierEntier(chemin, octets, uint64_t(disque.NbSecteurs()) * TailleSecteur);
    if (lu != TLectureFichier::Ok && lu != TLectureFichier::TropGros) {
        dialogue.Message(MessageLecture(lu, chemin));
        return false;
    }
    // Worked on a copy: what a refusal half did (a directory made for the
    // file) never reaches the disk.
    std::vector<uint8_t> avant(size_t(disque.NbSecteurs()) * TailleSecteur);
    disque.LitPlage(1, disque.NbSecteurs(), avant.data());
    TImageMemoire copie(avant, disque.NbSecteursCatal());
    if (!ImporteDans(copie, dialogue, chemin, NomSurDisque(f), f, octets, lu == TLectureFichier::TropGros))
        return false;
    EcritDifferences(disque, avant, copie.Octets);
    return true;
}

const TEntreeListee* TrouveFichier(const TCatalogueAffiche& c, const std::string& nom) {
    const TParties p = Parties(nom);
    if (p.TropDeNiveaux || p.Nom.empty()) return nullptr;
    for (const TEntreeListee& e : c.Entrees) {
        if (!ExportableSeul(e)) continue;
        const bool memeRep = p.Repertoire.empty() ? e.Repertoire.empty()
                                                  : !e.Repertoire.empty() && MemeNom(e.Repertoire, p.Repertoire);
        if (memeRep && MemeNom(e.Nom, p.Nom)) return &e;
    }
    return nullptr;
}

std::string NomHoteFichier(const TEntreeListee& e) { return NomHoteExport(e.NomExport, e.C1, e.C2); }

bool ExporteFichierSous(ISecteurs& disque, IDialogue& dialogue, const TEntreeListee& e,
                        const std::string& chemin) {
    if (disque.Etat() == 0 || !ExportableSeul(e)) return false;
    TSecteursTampon secteurs(disque);
    TSystemeFichiers fs(secteurs, dialogue);
    if (!fs.DisqueFormate()) {
        dialogue.Message("Le disque n'est pas format\u00e9");
        return false;
    }
    const std::vector<uint8_t> octets = e.Genre == geContigue && e.Repertoire.empty()
                                            ? OctetsContigu(fs, e.Debut, e.C1, e.C2, e.NomExport)
                                            : OctetsChaine(fs, e.Debut, e.Repertoire, e.NomExport);
    std::string erreur;
    const std::string cible = CibleEcriture(chemin, erreur);
    if (cible.empty() || !EcritFichierAtomique(cible, octets, erreur)) {
        dialogue.Message(erreur);
        return false;
    }
    dialogue.Information("Fichier export\u00e9 : " + chemin + " (" + NombreFr(int64_t(octets.size())) + " octets)");
    return true;
}
