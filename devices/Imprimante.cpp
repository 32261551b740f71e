#include "devices/Imprimante.h"

#include "core/Machine.h"
#include "devices/JeuCaracteres.h"

namespace {

constexpr uint8_t CodeGraphique = 0xC0;       // starts (or restarts at scale 2) a graphics line
constexpr int OctetsLigneGraphique = 512;     // counted bytes of a graphics line
constexpr char16_t StyleNormal = 0x92, StyleGras = 0x94;
constexpr int LargeurBandeGraphique = 1024, HauteurBandeGraphique = 28; // at scale 1

// The first `n` characters of a UTF-8 text.
std::string DebutTexte(const std::string& s, int n) {
    size_t i = 0;
    for (int k = 0; k < n && i < s.size(); ++k) i = CaractereUtf8Suivant(s, i);
    return s.substr(0, i);
}

} // namespace

int MargePixels(int ppp, int mm) { return int(ppp / 25.4 * mm); }

void TImprimante::Dessine(int x, int y, const std::string& texte) {
    if (FDocumentOuvert) S.DessineTexte(x, y, texte);
}

void TImprimante::DebutImpression() {
    if (M.ImprEnCours) return;
    // A surface that cannot open its document still makes an open job: the
    // job draws nothing, and the failure is reported once, not per byte.
    FDocumentOuvert = S.DebutDocument();
    M.ImprEnCours = true;
    M.NumPageImpr = 1;
    M.ImprPppX = S.PixelsParPouceX();
    M.ImprPppY = S.PixelsParPouceY();
    M.MargeDPix = M.MargeGPix = MargePixels(M.ImprPppX, 5);
    M.MargeHPix = M.MargeBPix = MargePixels(M.ImprPppY, 10);
    M.TaillePoliceImpr = M.PointsImpr;
    S.ChoisitTaillePolice(M.PointsImpr);
    if (M.Hote) {
        if (M.TimeOutImpr != -1)
            M.Hote->DemarreTimer(tmImpr, uint32_t(M.TimeOutImpr) * 1000);
        else
            M.Hote->ArreteTimer(tmImpr);
    }
    M.HautLignePix = S.HauteurTexte("jM");
    M.LargLignePix = S.LargeurPage() - M.MargeDPix - M.MargeGPix;
    M.LarCar = S.LargeurTexte("W");
    // A surface without metrics must not stop the machine on a division.
    M.NbCarLigne = M.LarCar > 0 ? M.LargLignePix / M.LarCar : 1;
    if (M.NbCarLigne < 1) M.NbCarLigne = 1;
    M.ImprYCt = M.MargeHPix;
    M.CptCar = 0;
    ImprimeEnTete();
    ImprimeNumPage();
}

void TImprimante::LigneSuivante() {
    M.CptCar = 0;
    M.ImprYCt += M.HautLignePix;
    if (M.ImprYCt + M.HautLignePix > S.HauteurPage() - M.MargeBPix) {
        if (FDocumentOuvert) S.NouvellePage();
        M.ImprYCt = M.MargeHPix;
        ++M.NumPageImpr;
        ImprimeEnTete();
        ImprimeNumPage();
    }
}

void TImprimante::ImprimeEnTete() {
    if (!M.ImprEnTete) return;
    S.ChoisitStyle(FGras, true);
    Dessine(M.MargeGPix, M.MargeHPix / 2, DebutTexte(M.EnTeteImpr, M.NbCarLigne));
    S.ChoisitStyle(FGras, false);
}

void TImprimante::ImprimeNumPage() {
    if (!M.ImprNoPage) return;
    const std::string s = std::to_string(M.NumPageImpr);
    Dessine(M.LargLignePix / 2 + M.MargeGPix - S.LargeurTexte(s), S.HauteurPage() - M.MargeBPix / 2, s);
}

void TImprimante::ImprimeCaractere() {
    const uint8_t c = M.CarImpr;
    if (c == 0) return;
    DebutImpression();
    if (M.Hote && M.Hote->TimerActif(tmImpr)) M.Hote->DemarreTimer(tmImpr, uint32_t(M.TimeOutImpr) * 1000);
    if (M.ImprHexadec)
        ImprimeHexadecimal(c);
    else if (M.ImpGraph)
        RecoitGraphique(c);
    else
        RecoitTexte(c);
}

// Two digits and a blank per byte, whatever the byte.
void TImprimante::ImprimeHexadecimal(uint8_t c) {
    static constexpr char Chiffres[] = "0123456789ABCDEF";
    Dessine(M.LarCar * M.CptCar + M.MargeGPix, M.ImprYCt, std::string(1, Chiffres[c >> 4]));
    Dessine(M.LarCar * (M.CptCar + 1) + M.MargeGPix, M.ImprYCt, std::string(1, Chiffres[c & 0x0F]));
    M.CptCar += 3;
    if (M.CptCar + 3 > M.NbCarLigne || c == 0x0D) LigneSuivante();
}

void TImprimante::CommenceLigneGraphique(int echelle) {
    M.ImpGraph = true;
    M.EchGCopy = echelle;
    M.XGraph = 0;
    M.CptGCopy = OctetsLigneGraphique;
    M.FinLigGraph = false;
    M.GCopyBmp.fill(0xFF);
}

// Of the 512 counted bytes (0x80 and up) every other one, from the first,
// is a column: bit 0 the top dot, bit 6 the bottom one.
void TImprimante::RecoitGraphique(uint8_t c) {
    if (M.CptGCopy > 0) {
        if (c < 0x80) return;
        if (M.CptGCopy % 2 == 0 && M.XGraph < LargeurGCopy) {
            for (int n = 0; n < HauteurGCopy; ++n) {
                if (!(c & (1 << n))) continue;
                uint8_t* point = &M.GCopyBmp[(size_t(n) * LargeurGCopy + size_t(M.XGraph)) * 3];
                point[0] = point[1] = point[2] = 0;
            }
            ++M.XGraph;
        }
        --M.CptGCopy;
        return;
    }
    if (c == CodeGraphique)
        CommenceLigneGraphique(2);
    else if (c == 0x0A)
        M.FinLigGraph = true;
    else if (c == 0x0D && M.FinLigGraph)
        ImprimeLigneGraphique();
}

void TImprimante::ImprimeLigneGraphique() {
    M.FinLigGraph = false;
    const int largeur = LargeurBandeGraphique * M.EchGCopy, hauteur = HauteurBandeGraphique * M.EchGCopy;
    if (FDocumentOuvert)
        S.DessineBitmap(M.MargeGPix, M.ImprYCt, largeur, hauteur, M.GCopyBmp.data(), LargeurGCopy, HauteurGCopy);
    M.ImprYCt += hauteur;
    M.ImpGraph = false;
}

void TImprimante::RecoitTexte(uint8_t c) {
    if (c == CodeGraphique)
        CommenceLigneGraphique(1);
    else if (c == 0x0D || c == 0x0A)
        ImprimeLigne();
    else
        M.BufImp += char16_t(TraduitZorvCourier(c));
}

// The line is drawn only at its end; an empty line neither draws nor
// advances, so CR LF moves down one line.
void TImprimante::ImprimeLigne() {
    M.LarCar = S.LargeurTexte("W");
    M.CptCar = 0;
    const std::u16string ligne = std::move(M.BufImp);
    M.BufImp.clear();
    for (size_t i = 0; i < ligne.size(); ++i) {
        const char16_t c = ligne[i];
        if (c == StyleNormal || c == StyleGras) {
            FGras = c == StyleGras;
            S.ChoisitStyle(FGras, false);
        } else {
            Dessine(M.LarCar * M.CptCar + M.MargeGPix, M.ImprYCt, EnUtf8(c));
            ++M.CptCar;
        }
        if (M.CptCar >= M.NbCarLigne || i + 1 == ligne.size()) LigneSuivante();
    }
}

void TImprimante::FinDuTravail() {
    if (M.Hote) M.Hote->ArreteTimer(tmImpr);
    if (!M.ImprEnCours) return;
    if (FDocumentOuvert) S.FinDocument();
    FDocumentOuvert = false;
    M.ImprEnCours = false;
}

void TImprimante::FinProgramme() {
    if (!M.BufImp.empty() && !M.ImprHexadec) {
        DebutImpression();
        ImprimeLigne();
    }
    FinDuTravail();
}
