#include "debugger/HexEdit.h"

#include <algorithm>

#include "core/Texte.h"
#include "devices/JeuCaracteres.h"

std::string LigneDump(uint16_t adresse, const std::vector<uint8_t>& octets,
                      const std::function<char32_t(uint8_t)>& traduit) {
    std::string hexa = Format("%.4X  ", unsigned(adresse));
    std::string car;
    for (uint8_t o : octets) {
        hexa += Format("%.2X ", unsigned(o));
        const uint8_t code = o >= 0x80 ? uint8_t('.') : o;
        car += EnUtf8(traduit ? traduit(code) : char32_t(code));
    }
    hexa.resize(std::max<size_t>(hexa.size(), GeomHex::LargeurHexa), ' ');
    return hexa + " " + car;
}

// The control characters among the translations are shown as their control
// pictures (C0) or the replacement character (C1), one cell each, so the
// character column stays aligned.
char32_t TraduitDump(uint8_t code) {
    const char32_t c = TraduitZorvCourier(code >= 0x80 ? uint8_t('.') : code);
    if (c < 0x20) return 0x2400 + c;
    if (c >= 0x7F && c < 0xA0) return 0xFFFD;
    return c;
}

// --- Range and geometry ----------------------------------------------------------

void THexEditModele::SetAdresses(uint32_t valeur) {
    const int32_t debut = int32_t(valeur >> 16);
    const int32_t fin = std::max(int32_t(valeur & 0xFFFF), debut);
    // The same range again (the window is activated) keeps the position; a
    // new range is shown from its first line.
    if (debut != FAdrDebut || fin != FAdrFin) {
        FOffsetAdr = FOffsetCur = FPoids = 0;
    }
    FAdrDebut = debut;
    FAdrFin = fin;
    BorneCurseur();
}

void THexEditModele::SetHauteur(int hauteur) {
    FNbLignes = std::max(1, hauteur / GeomHex::Interligne);
    FOffsetAdr = std::min(FOffsetAdr, ScrollMax() * 8);
    FOffsetCur = std::min(FOffsetCur, Page() - 1);
    BorneCurseur();
}

void THexEditModele::SetActif(bool actif) { FActif = actif; }

uint8_t THexEditModele::Octet(int32_t adresse) const { return OnGetData ? OnGetData(adresse) : 0; }

void THexEditModele::CurseurAuDernier() {
    FOffsetCur = std::max(0, FAdrFin - FAdrDebut - FOffsetAdr);
    FPoids = 0;
}

void THexEditModele::BorneCurseur() {
    if (AdrCurseur() > FAdrFin) CurseurAuDernier();
}

// --- Scroll bar -------------------------------------------------------------------

bool THexEditModele::ScrollActif() const { return FActif && Etendue() / 8 >= FNbLignes; }

int THexEditModele::ScrollMax() const { return Etendue() / 8 >= FNbLignes ? Etendue() / 8 - FNbLignes + 1 : 0; }

void THexEditModele::Defile(int position) {
    position = std::clamp(position, 0, ScrollMax());
    FOffsetAdr = position * 8;
    BorneCurseur();
}

void THexEditModele::Molette(int delta) {
    if (!ScrollActif() || delta == 0) return;
    Defile(ScrollPosition() + (delta > 0 ? -1 : 1));
}

// --- Painting ------------------------------------------------------------------------

std::vector<std::string> THexEditModele::Lignes() const {
    std::vector<std::string> lignes;
    int32_t adresse = FAdrDebut + FOffsetAdr;
    for (int l = 0; l < FNbLignes && adresse <= FAdrFin; ++l) {
        const uint16_t debut = uint16_t(adresse);
        std::vector<uint8_t> octets;
        for (int i = 0; i < 8 && adresse <= FAdrFin; ++i, ++adresse) octets.push_back(Octet(adresse));
        lignes.push_back(LigneDump(debut, octets, OnTraduit));
    }
    return lignes;
}

std::vector<TAspectOctet> THexEditModele::Aspects() const {
    std::vector<TAspectOctet> aspects;
    const int32_t debut = FAdrDebut + FOffsetAdr;
    const int32_t fin = std::min(FAdrFin, debut + Page() - 1);
    for (int32_t a = debut; a <= fin; ++a) aspects.push_back(OnAspect ? OnAspect(a) : TAspectOctet{});
    return aspects;
}

int32_t THexEditModele::AdresseA(int x, int y, int w) const {
    w = std::max(1, w);
    const int ligne = (y - GeomHex::Marge) / GeomHex::Interligne;
    if (y < GeomHex::Marge || ligne >= FNbLignes) return -1;
    const int dx = x - GeomHex::Marge;
    const int debutTexte = (GeomHex::LargeurHexa + 1) * w; // the character column
    int colonne = -1;
    if (dx >= 6 * w && dx < 30 * w && (dx - 6 * w) % (3 * w) < 2 * w) colonne = (dx - 6 * w) / (3 * w);
    else if (dx >= debutTexte && dx < debutTexte + 8 * w) colonne = (dx - debutTexte) / w;
    if (colonne < 0) return -1;
    const int32_t a = FAdrDebut + FOffsetAdr + 8 * ligne + colonne;
    return a <= FAdrFin ? a : -1;
}

char THexEditModele::ChiffreCurseur() const {
    const uint8_t o = OnGetData ? OnGetData(AdrCurseur()) : 0x55;
    return "0123456789ABCDEF"[FPoids == 0 ? o >> 4 : o & 0x0F];
}

void THexEditModele::Clignote() {
    if (FEditMode) FVisiCur = !FVisiCur;
}

// --- Mouse ----------------------------------------------------------------------------

void THexEditModele::PlaceCurseur(int x, int y, int w) {
    w = std::max(1, w);
    // Clicks left of the first byte or in the character column take the
    // nearest byte of the line; below the last line, the last line.
    const int colonne = std::clamp((x - 6 * w - GeomHex::Marge) / (3 * w), 0, 7);
    const int ligne = std::clamp((y - GeomHex::Marge) / GeomHex::Interligne, 0, FNbLignes - 1);
    FOffsetCur = colonne + 8 * ligne;
    FPoids = 0;
    BorneCurseur();
}

void THexEditModele::Clic(int x, int y, int w) {
    if (FEditMode && FActif) PlaceCurseur(x, y, w);
}

void THexEditModele::DoubleClic(int x, int y, int w) {
    if (!FActif) return;
    PlaceCurseur(x, y, w);
    FEditMode = true;
    FVisiCur = true;
    if (OnEdit) OnEdit();
}

void THexEditModele::QuitteEdition() {
    FEditMode = false;
    FVisiCur = false;
}

void THexEditModele::Montre(int32_t adresse) {
    if (!FActif || adresse < FAdrDebut || adresse > FAdrFin) return;
    const int32_t offset = adresse - FAdrDebut;
    if (offset < FOffsetAdr || offset >= FOffsetAdr + Page())
        FOffsetAdr = std::min(offset / 8, ScrollMax()) * 8;
    FOffsetCur = offset - FOffsetAdr;
    FPoids = 0;
    FEditMode = true;
    FVisiCur = true;
    if (OnEdit) OnEdit();
}

// --- Keys --------------------------------------------------------------------------------

void THexEditModele::ToucheBas() {
    if (FOffsetCur / 8 < FNbLignes - 1) {
        FOffsetCur += 8;
    } else if (FAdrDebut + FOffsetAdr + (FOffsetCur / 8) * 8 + 7 < FAdrFin) {
        FOffsetAdr += 8;
        FPoids = 0;
    }
    BorneCurseur();
}

void THexEditModele::ToucheHaut() {
    if (FOffsetCur > 7) {
        FOffsetCur -= 8;
    } else if (FOffsetAdr > 0) {
        FOffsetAdr -= 8;
        FPoids = 0;
    }
}

void THexEditModele::ToucheDroite() {
    if (AdrCurseur() > FAdrFin || (AdrCurseur() == FAdrFin && FPoids == 1)) return;
    if (FOffsetCur != Page() - 1 || FPoids == 0) {
        if (FPoids == 1) ++FOffsetCur;
        FPoids ^= 1;
    } else {
        FOffsetAdr += 8;
        FOffsetCur -= 7;
        FPoids = 0;
    }
}

void THexEditModele::ToucheGauche() {
    if (FOffsetAdr + FOffsetCur == 0 && FPoids == 0) return;
    if (FOffsetCur != 0 || FPoids == 1) {
        if (FPoids == 0) --FOffsetCur;
        FPoids ^= 1;
    } else {
        FOffsetAdr -= 8;
        FOffsetCur += 7;
        FPoids = 1;
    }
}

void THexEditModele::TouchePageSuiv() {
    const int32_t avant = FOffsetAdr;
    if (Etendue() / 8 + 1 > FNbLignes) FOffsetAdr = std::min((Etendue() / 8) * 8 - Page() + 8, FOffsetAdr + Page());
    if (FOffsetAdr == avant) CurseurAuDernier();
    FPoids = 0;
    BorneCurseur();
}

bool THexEditModele::Touche(TToucheHex t) {
    if (!FEditMode || !FActif) return false;
    FVisiCur = false;
    switch (t) {
    case TToucheHex::Bas: ToucheBas(); break;
    case TToucheHex::Haut: ToucheHaut(); break;
    case TToucheHex::Droite: ToucheDroite(); break;
    case TToucheHex::Gauche: ToucheGauche(); break;
    case TToucheHex::PagePrec: {
        const int32_t avant = FOffsetAdr;
        FOffsetAdr = std::max(0, FOffsetAdr - Page());
        if (FOffsetAdr == avant) FOffsetCur = 0;
        FPoids = 0;
        break;
    }
    case TToucheHex::PageSuiv: TouchePageSuiv(); break;
    case TToucheHex::Debut:
        FOffsetCur -= FOffsetCur % 8;
        FPoids = 0;
        break;
    case TToucheHex::Fin:
        FOffsetCur += 7 - FOffsetCur % 8;
        FPoids = 0;
        BorneCurseur(); // the last line may be short
        break;
    }
    FVisiCur = true;
    return true;
}

bool THexEditModele::Caractere(char c) {
    if (!FEditMode || !FActif) return false;
    if (c == 0x1B) {
        QuitteEdition();
        return true;
    }
    int chiffre = -1;
    if (c >= '0' && c <= '9') chiffre = c - '0';
    else if (c >= 'A' && c <= 'F') chiffre = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') chiffre = c - 'a' + 10;
    if (chiffre < 0) return false;
    const int32_t adresse = AdrCurseur();
    const uint8_t ancien = OnGetData ? OnGetData(adresse) : 0x55;
    const uint8_t nouveau = FPoids == 0 ? uint8_t(chiffre * 16 + (ancien & 0x0F)) : uint8_t(chiffre + (ancien & 0xF0));
    if (OnSetData) OnSetData(adresse, nouveau);
    if (OnChange) OnChange();
    Touche(TToucheHex::Droite); // queued to the control: runs after the handler
    return true;
}
