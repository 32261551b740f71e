#include "disks/GestionDisques.h"

#include <algorithm>

#include "config/FichierIni.h"
#include "config/Parametres.h"
#include "core/Fichiers.h"
#include "core/Texte.h"
#include "disks/Secteurs.h"

const std::array<const char*, NbCommandesDsq> LibellesCommandesDsq{
    "Ins\u00e9rer un disque",
    "\u00c9jecter le disque",
    "Ins\u00e9rer un disque vierge",
    "Prot\u00e9ger en \u00e9criture",
    "Exporter le disque",
    "Formater le disque",
    "Importer un r\u00e9pertoire",
    "Formater puis importer le r\u00e9pertoire",
};

const TDemandeFichier DemandeInsertion{"Nom du fichier disque \u00e0 ins\u00e9rer",
                                       "Images disque|*.img|Tous les fichiers|*.*", "img"};
const TDemandeFichier DemandeVierge{"Nom du fichier image disque \u00e0 cr\u00e9er",
                                    "Fichier image disque|*.img|Tous les fichiers|*.*", "img"};

const TDemandeFichier DemandeNouvelle{"Nom de la nouvelle image disque",
                                      "Fichier image disque|*.img|Tous les fichiers|*.*", "img"};
const TDemandeFichier DemandeImportFichier{"Fichier de l'h\u00f4te \u00e0 importer", "Tous les fichiers|*.*", ""};
const TDemandeFichier DemandeExportFichier{"Fichier de l'h\u00f4te \u00e0 \u00e9crire", "Tous les fichiers|*.*", ""};

const std::array<TTailleImage, 3> TaillesImage{{{409600, "400 Ko"}, {788480, "800 Ko"}, {1261568, "1.2 Mo"}}};

std::string LibelleTailleImage(const TTailleImage& t) {
    return std::string(t.Legende) + " (" + NombreFr(t.Octets) + " octets)";
}

std::array<bool, NbCommandesDsq> EtatsMenuDsq(bool ligneChoisie, uint8_t etatDisque) {
    std::array<bool, NbCommandesDsq> a{};
    if (!ligneChoisie) return a;
    const bool disque = etatDisque != 0, ecriture = etatDisque == 1;
    a[cdInsere] = a[cdVierge] = true;
    a[cdEjecte] = a[cdProtect] = a[cdExportDsq] = disque;
    a[cdFormater] = a[cdImportDir] = a[cdFmtImport] = ecriture;
    return a;
}

std::string FiltreQt(const std::string& filtre) {
    std::vector<std::string> morceaux;
    size_t debut = 0;
    for (size_t p; (p = filtre.find('|', debut)) != std::string::npos; debut = p + 1)
        morceaux.push_back(filtre.substr(debut, p - debut));
    morceaux.push_back(filtre.substr(debut));
    std::string r;
    for (size_t i = 0; i + 1 < morceaux.size(); i += 2) {
        // "*.*" means every file on the original host; "*" says so here.
        const std::string motif = morceaux[i + 1] == "*.*" ? "*" : morceaux[i + 1];
        if (!r.empty()) r += ";;";
        r += morceaux[i] + " (" + motif + ")";
    }
    return r;
}

// ---------------------------------------------------------------- recent images

std::vector<std::string> AjouteImageRecente(std::vector<std::string> liste, const std::string& chemin) {
    if (chemin.empty()) return liste;
    liste.erase(std::remove(liste.begin(), liste.end(), chemin), liste.end());
    liste.insert(liste.begin(), chemin);
    if (liste.size() > size_t(NbImagesRecentes)) liste.resize(size_t(NbImagesRecentes));
    return liste;
}

namespace {

std::string CleRecente(int n) { return "Image" + std::to_string(n); }

} // namespace

std::vector<std::string> LitImagesRecentes(const std::string& cheminIni) {
    TFichierIni ini;
    ini.Charge(cheminIni);
    std::vector<std::string> liste;
    for (int n = NbImagesRecentes; n >= 1; --n) // the oldest first: each goes in front
        liste = AjouteImageRecente(std::move(liste), ini.LitTexte(SectionImagesRecentes, CleRecente(n), ""));
    return liste;
}

bool EcritImagesRecentes(const std::string& cheminIni, const std::vector<std::string>& liste, std::string& erreur) {
    TFichierIni ini;
    ini.Charge(cheminIni);
    for (int n = 1; n <= NbImagesRecentes; ++n)
        ini.EcritTexte(SectionImagesRecentes, CleRecente(n), size_t(n) <= liste.size() ? liste[size_t(n - 1)] : "");
    return EcritFichierAtomique(cheminIni, ini.Texte(), erreur);
}

// ---------------------------------------------------------------- the manager

TLigneDsq TGestionDisques::LigneLecteur(int ligne) const {
    const int slot = ligne + 1;
    if (!TLecteurs::EstSlot(slot)) return {};
    const Param_Disque& d = Lecteurs.Disques[size_t(slot)];
    return {std::to_string(LecteurDuSlot(slot)), Lecteurs.LegendeTaille(slot),
            d.NomFichier.empty() ? PasDeFichier : NomSansDossier(d.NomFichier), d.Protege ? "Oui" : "Non"};
}

namespace {

// The boxes of a view being rebuilt, held back until it is known whether
// they were shown already.
class TDialogueRetenu : public IDialogue {
public:
    explicit TDialogueRetenu(IDialogue& d) : D(d) {}
    void Message(const std::string& texte) override { Messages.push_back(texte); }
    void Information(const std::string& texte) override { D.Information(texte); }
    bool Question(const std::string& texte) override { return D.Question(texte); }
    std::optional<std::string> ChoisitDossier(const std::string& titre, const std::string& depart) override {
        return D.ChoisitDossier(titre, depart);
    }
    std::vector<std::string> Messages;

private:
    IDialogue& D;
};

} // namespace

const TCatalogueAffiche& TGestionDisques::RafraichitCatalogue(IDialogue& dialogue) {
    const int slot = Slot();
    TSecteursLecteur secteurs(Lecteurs, slot);
    TDialogueRetenu retenu(dialogue);
    TSystemeFichiers fs(secteurs, retenu);
    Catalogue = slot ? fs.AfficheCatalogue() : TCatalogueAffiche{};
    if (!slot) return Catalogue;
    std::string rapports;
    if (!retenu.Messages.empty()) {
        rapports = Lecteurs.Disques[size_t(slot)].NomFichier;
        for (const std::string& m : retenu.Messages) rapports += '\n' + m;
    }
    if (rapports != FDommagesMontres[size_t(slot)])
        for (const std::string& m : retenu.Messages) dialogue.Message(m);
    FDommagesMontres[size_t(slot)] = rapports;
    return Catalogue;
}

bool TGestionDisques::LigneExportable(int ligne) const {
    return Etat() != 0 && ligne >= 0 && size_t(ligne) < Catalogue.Entrees.size() &&
           ExportableSeul(Catalogue.Entrees[size_t(ligne)]);
}

bool TGestionDisques::NoteRecente(const std::string& chemin, std::string& erreur) {
    Recentes = AjouteImageRecente(std::move(Recentes), chemin);
    return CheminRecentes.empty() || EcritImagesRecentes(CheminRecentes, Recentes, erreur);
}

std::string TGestionDisques::Insere(int slot, const std::string& chemin, const std::string& separateur,
                                    std::string& erreurRecentes) {
    if (!TLecteurs::EstSlot(slot)) return {};
    std::string message = Lecteurs.InsereDisque(slot, chemin, separateur);
    if (message.empty()) NoteRecente(chemin, erreurRecentes);
    return message;
}

void TGestionDisques::InsereVierge(const std::string& chemin, std::string& erreurRecentes) {
    if (!Slot()) return;
    Lecteurs.InsereVierge(Slot(), chemin);
    NoteRecente(chemin, erreurRecentes);
}

std::string TGestionDisques::BasculeProtection() {
    const Param_Disque& d = Lecteurs.Disques[size_t(Slot())];
    if (Etat() == 0) return {};
    if (d.Fichier.LectureSeule())
        return "Le fichier " + NomSansDossier(d.NomFichier) +
               " est ouvert en lecture seule : le disque reste prot\u00e9g\u00e9 en \u00e9criture.";
    const bool avant = d.Protege;
    if (Lecteurs.BasculeProtection(Slot()) == avant) return Lecteurs.RefusVerrou(Slot());
    return {};
}

bool TGestionDisques::Formate(IDialogue& dialogue) {
    if (Etat() != 1 || !dialogue.Question("Voulez-vous vraiment formater ce disque ?")) return false;
    bool fait = false;
    ModifieImage(Lecteurs, Slot(), [&](ISecteurs& secteurs) {
        TSystemeFichiers fs(secteurs, dialogue);
        fait = fs.FormatInconditionnel();
    });
    return fait;
}

void TGestionDisques::Exporte(IDialogue& dialogue) {
    if (!Slot()) return;
    TSecteursLecteur secteurs(Lecteurs, Slot());
    ExportImport.Exporte(secteurs, dialogue);
}

void TGestionDisques::Importe(IDialogue& dialogue) {
    if (!Slot()) return;
    TDialogueDiffere differe(dialogue); // the summary once the image is written
    ModifieImage(Lecteurs, Slot(), [&](ISecteurs& secteurs) { ExportImport.Importe(secteurs, differe); });
    differe.Libere();
}

void TGestionDisques::FormateEtImporte(IDialogue& dialogue) {
    if (!Slot()) return;
    TDialogueDiffere differe(dialogue);
    ModifieImage(Lecteurs, Slot(),
                 [&](ISecteurs& secteurs) { ExportImport.FormateEtImporte(secteurs, differe); });
    differe.Libere();
}

void TGestionDisques::ExporteFichier(IDialogue& dialogue, int ligne) {
    if (!LigneExportable(ligne)) return;
    TSecteursLecteur secteurs(Lecteurs, Slot());
    ExportImport.ExporteFichier(secteurs, dialogue, Catalogue.Entrees[size_t(ligne)]);
}

void TGestionDisques::ImporteFichier(IDialogue& dialogue, const std::string& chemin, const TFichierAImporter& f) {
    if (!Slot()) return;
    ExportImport.RepImport = DossierDe(chemin);
    TDialogueDiffere differe(dialogue);
    ModifieImage(Lecteurs, Slot(), [&](ISecteurs& secteurs) { ImporteFichierSeul(secteurs, differe, chemin, f); });
    differe.Libere();
}

void TGestionDisques::ExporteFichierSous(IDialogue& dialogue, int ligne, const std::string& chemin) {
    if (!LigneExportable(ligne)) return;
    ExportImport.RepExport = DossierDe(chemin);
    TSecteursLecteur secteurs(Lecteurs, Slot());
    ::ExporteFichierSous(secteurs, dialogue, Catalogue.Entrees[size_t(ligne)], chemin);
}

std::string TGestionDisques::CheminExportPropose(int ligne) const {
    if (!LigneExportable(ligne)) return {};
    // The folder of the last export, else the image's own.
    const std::string& rep = ExportImport.RepExport;
    const std::string dossier = rep.empty() ? DossierDe(Lecteurs.Disques[size_t(Slot())].NomFichier) : rep;
    return (dossier.empty() ? std::string() : AvecSeparateur(dossier)) + NomHoteFichier(Catalogue.Entrees[size_t(ligne)]);
}

std::string TGestionDisques::CreeImage(const std::string& chemin, int64_t taille, bool insere,
                                       std::string& erreurRecentes) {
    if (!TailleImageValide(taille)) return MessageTailleImage(chemin, SeparateurMilliersFr);
    const std::vector<uint8_t> zeros(size_t(taille), 0);
    bool existe = false;
    std::string erreur;
    if (!EcritFichierNouveau(chemin, zeros.data(), zeros.size(), existe, erreur))
        return existe ? "Le fichier : " + chemin + " Existe d\u00e9j\u00e0" : erreur;
    if (!insere || !TailleAcceptee(taille)) return {};
    return Insere(Slot(), chemin, SeparateurMilliersFr, erreurRecentes);
}

int64_t TGestionDisques::TailleProposee() const {
    return Slot() ? Lecteurs.Taille_Disque[size_t(Slot())] : TaillesImage[1].Octets;
}

bool TGestionDisques::EnregistreImages(const TMachine& m, TParametres& p) const {
    for (const auto& [lecteur, chemin] : Lecteurs.Affectation()) p.ChargeImages[size_t(lecteur)] = chemin;
    return EcrireParametres(m, p);
}
