#include "config/Parametres.h"

#include <algorithm>
#include <filesystem>

#include "config/FichierIni.h"
#include "config/Modeles.h"
#include "core/Fichiers.h"
#include "core/Machine.h"

namespace {

constexpr const char* GenCarDefaut = "G-CAR-T9.bin";
constexpr const char* RomBootDefaut = "QBM71K.bin";
constexpr const char* Rom128KDefaut = "T318-C.bin";

bool Existe(const std::string& chemin) {
    std::error_code ec;
    return std::filesystem::is_regular_file(std::filesystem::path(chemin), ec);
}

void ValeursParDefaut(TMachine& m, TParametres& p) {
    p.GenCarZorv = GenCarDefaut;
    p.RomBootZorv = RomBootDefaut;
    p.ROM128KZorv = Rom128KDefaut;
    p.Imprimante = ImprimanteDefaut;
    m.TimeOutImpr = -1;
    m.PointsImpr = 9;
    m.ImprNoPage = m.ImprEnTete = m.ImprHexadec = false;
    m.EnTeteImpr.clear();
    m.IndCoulTxt = 0;
    m.IndCoulGrph = 0;
    m.PlansGraph = 4;
    m.ModClavParam = 0;
    m.NumPoste = 255;
    p.TypeDsq12 = 0;
    m.ChoisitModele(0);
    m.AncienneMach = m.Machine;
    for (std::string& d : p.ChargeImages) d.clear();
    p.VitesseReelle = false;
    p.HorlogeKHz = HorlogeDefautKHz;
}

std::string CleImage(int lecteur) {
    std::string cle(1, 'D');
    cle += std::to_string(lecteur);
    return cle;
}

int32_t DansIntervalle(int32_t v, int32_t min, int32_t max, int32_t sinon) {
    return v < min || v > max ? sinon : v;
}

void LitFichier(const TFichierIni& ini, TMachine& m, TParametres& p) {
    // A name that is not in the list selects the first model.
    const int32_t modele = std::max(0, IndiceModele(ini.LitTexte("Machine", "Machine", "T7E")));
    m.ChoisitModele(modele);
    m.AncienneMach = m.Machine;
    p.GenCarZorv = ini.LitTexte("Fonte", "Fonte", p.GenCarZorv);
    p.RomBootZorv = ini.LitTexte("Boot", "Boot", p.RomBootZorv);
    p.ROM128KZorv = ini.LitTexte("AccesRAM", "AccesRAM", p.ROM128KZorv);
    p.Imprimante = ini.LitTexte("Impression", "Imprimante", p.Imprimante);
    // Jobs end by hand (-1) or after n >= 1 seconds; 0 and below -1 mean by hand.
    const int32_t attente = ini.LitEntier("Impression", "Attente", m.TimeOutImpr);
    m.TimeOutImpr = attente >= 1 ? attente : -1;
    m.PointsImpr = DansIntervalle(ini.LitEntier("Impression", "Points", m.PointsImpr), 7, 12, 9);
    m.ImprNoPage = ini.LitEntier("Impression", "NoPage", 0) == 1;
    m.ImprEnTete = ini.LitEntier("Impression", "ImprEnTete", 0) == 1;
    m.ImprHexadec = ini.LitEntier("Impression", "ImprHexa", 0) == 1;
    m.EnTeteImpr = ini.LitTexte("Impression", "EnTete", m.EnTeteImpr);
    m.IndCoulTxt = DansIntervalle(ini.LitEntier("Affichage", "Texte", m.IndCoulTxt), 0, 2, 0);
    m.PlansGraph = uint8_t(DansIntervalle(ini.LitEntier("Affichage", "PlansGraph", m.PlansGraph), 1, 4, 4));
    m.IndCoulGrph = DansIntervalle(ini.LitEntier("Affichage", "Graphique", m.IndCoulGrph), 0, 3, 0);
    m.ModClavParam = DansIntervalle(ini.LitEntier("Clavier", "Clavier", m.ModClavParam), 0, 2, 0);
    m.NumPoste = uint8_t(ini.LitEntier("Switches", "Switches", m.NumPoste) & 0xFF);
    p.TypeDsq12 = DansIntervalle(ini.LitEntier("Disquettes", "Disques1et2", p.TypeDsq12), 0, 1, 0);
    for (int d : LecteursEnregistres)
        p.ChargeImages[size_t(d)] = ini.LitTexte("Images", CleImage(d), p.ChargeImages[size_t(d)]);
    p.VitesseReelle = ini.LitEntier("Vitesse", "Reelle", 0) == 1;
    p.HistoriqueMo = uint32_t(DansIntervalle(ini.LitEntier("Debogueur", "Historique", 64), 0, 4096, 64));
    p.HorlogeKHz = uint32_t(DansIntervalle(ini.LitEntier("Vitesse", "HorlogeKHz", int32_t(p.HorlogeKHz)), 1,
                                           int32_t(HorlogeMaxKHz), int32_t(HorlogeDefautKHz)));
}

// A name written with either separator has a folder part.
bool AUnDossier(const std::string& chemin) { return chemin.find_first_of("/\\") != std::string::npos; }

std::string NomImageSeul(const std::string& chemin) {
    const size_t p = chemin.find_last_of("/\\");
    return p == std::string::npos ? chemin : chemin.substr(p + 1);
}

void CompleteDossier(std::string& nom, const std::string& progDir) {
    if (!AUnDossier(nom)) nom = progDir + nom;
}

} // namespace

std::string CheminParametres(const TParametres& p) {
    return (p.DossierParametres.empty() ? p.ProgDir : p.DossierParametres) + NomFichierParametres;
}

bool LitParametresSansEcrire(TMachine& m, TParametres& p) {
    ValeursParDefaut(m, p);
    const std::string chemin = CheminParametres(p);
    const bool existe = Existe(chemin);
    if (existe) {
        TFichierIni ini;
        ini.Charge(chemin);
        LitFichier(ini, m, p);
    }
    CompleteDossier(p.GenCarZorv, p.ProgDir);
    CompleteDossier(p.RomBootZorv, p.ProgDir);
    CompleteDossier(p.ROM128KZorv, p.ProgDir);
    return existe;
}

void LitParametres(TMachine& m, TParametres& p) {
    if (!LitParametresSansEcrire(m, p)) EcrireParametres(m, p); // the first start writes the defaults
    for (int d : LecteursEnregistres) {
        std::string& image = p.ChargeImages[size_t(d)];
        if (image.empty() || Existe(image)) continue;
        // A folder, a device or a FIFO is named for what it is, path and all.
        const TLectureFichier genre = GenreFichier(image);
        if (m.Hote)
            m.Hote->MessageErreur(genre == TLectureFichier::Absent
                                      ? "Param\u00e8tres : le fichier image " + NomImageSeul(image) + " n'existe pas"
                                      : "Param\u00e8tres : l'image " + MessageLecture(genre, image));
        image.clear();
    }
}

bool EcrireParametres(const TMachine& m, const TParametres& p) {
    const std::string chemin = CheminParametres(p);
    if (!p.DossierParametres.empty()) {
        std::error_code ec; // a failure shows below, when the file cannot be written
        std::filesystem::create_directories(p.DossierParametres, ec);
    }
    TFichierIni ini;
    ini.Charge(chemin);
    const size_t modele = size_t(m.Machine);
    ini.EcritTexte("Machine", "Machine", modele < m.Machines.size() ? m.Machines[modele] : "T7E");
    ini.EcritTexte("Impression", "Imprimante", p.Imprimante.empty() ? std::string(ImprimanteDefaut) : p.Imprimante);
    ini.EcritEntier("Impression", "Attente", m.TimeOutImpr);
    ini.EcritEntier("Impression", "Points", m.PointsImpr);
    ini.EcritEntier("Impression", "NoPage", m.ImprNoPage ? 1 : 0);
    ini.EcritEntier("Impression", "ImprEnTete", m.ImprEnTete ? 1 : 0);
    ini.EcritTexte("Impression", "EnTete", m.EnTeteImpr);
    ini.EcritEntier("Impression", "ImprHexa", m.ImprHexadec ? 1 : 0);
    ini.EcritEntier("Affichage", "Texte", m.IndCoulTxt);
    ini.EcritEntier("Affichage", "PlansGraph", m.PlansGraph);
    ini.EcritEntier("Affichage", "Graphique", m.IndCoulGrph);
    ini.EcritEntier("Clavier", "Clavier", m.ModClavParam);
    ini.EcritEntier("Switches", "Switches", m.NumPoste);
    ini.EcritEntier("Disquettes", "Disques1et2", p.TypeDsq12);
    for (int d : LecteursEnregistres) ini.EcritTexte("Images", CleImage(d), p.ChargeImages[size_t(d)]);
    ini.EcritEntier("Vitesse", "Reelle", p.VitesseReelle ? 1 : 0);
    ini.EcritEntier("Vitesse", "HorlogeKHz", int32_t(p.HorlogeKHz));
    if (ini.Enregistre(chemin)) return true;
    if (m.Hote) m.Hote->MessageErreur("Impossible d'\u00e9crire le fichier " + chemin);
    return false;
}
