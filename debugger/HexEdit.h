// The hex editor control's model (THexEdit without its widget): the range of
// addresses, the first line shown, the cursor and its nibble, edit mode, what
// each key does and the text of each painted line. It knows nothing of the
// emulated memory: its owner supplies and stores the bytes through the
// events, so the memory window decides which view and bank apply.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Geometry of the painted control, in pixels and characters.
namespace GeomHex {
constexpr int Marge = 5;           // text from x = 5, first line at y = 5
constexpr int Interligne = 16;     // lines 16 pixels apart
constexpr int LargeurDefaut = 305, HauteurDefaut = 206;
constexpr int LargeurBarre = 20;   // the vertical scroll bar at the right edge
constexpr int LargeurHexa = 30;    // "AAAA  " + 8 × "HH ", padded
} // namespace GeomHex

// Keys the control acts on (key-down); the others do nothing.
enum class TToucheHex : uint8_t { Bas, Haut, Droite, Gauche, PagePrec, PageSuiv, Debut, Fin };

// One dump line as the control paints it: the address in four digits, two
// blanks, each byte as two digits and a blank, padded with blanks to 30
// characters, one blank, then the character column (UTF-8).
std::string LigneDump(uint16_t adresse, const std::vector<uint8_t>& octets,
                      const std::function<char32_t(uint8_t)>& traduit);
// The memory window's translation: codes of 0x80 and above become ".", the
// others the machine's character (TraduitZorvCourier).
char32_t TraduitDump(uint8_t code);

// How a byte is drawn besides its digits: in red when it changed since the
// last stop, on the colour of its coverage bits (AccesExecute, AccesLu,
// AccesEcrit) when they are shown.
struct TAspectOctet {
    bool Change = false;
    uint8_t Acces = 0;
    bool operator==(const TAspectOctet&) const = default;
};

class THexEditModele {
public:
    using TOnGetData = std::function<uint8_t(int32_t adresse)>;
    using TOnSetData = std::function<void(int32_t adresse, uint8_t data)>;
    using TOnTraduit = std::function<char32_t(uint8_t data)>;
    using TNotification = std::function<void()>;

    TOnGetData OnGetData;
    TOnSetData OnSetData;
    TOnTraduit OnTraduit;
    TNotification OnChange; // a byte was edited
    TNotification OnEdit;   // edit mode was entered
    std::function<TAspectOctet(int32_t adresse)> OnAspect; // none: every byte plain

    // --- Range and geometry ----------------------------------------------------
    // Adresses := start × 65,536 + end; an end below the start is raised to it.
    // Unsigned: from start 8000H on the packed value passes 2^31.
    void SetAdresses(uint32_t valeur);
    int32_t AdrDebut() const { return FAdrDebut; }
    int32_t AdrFin() const { return FAdrFin; }
    int32_t OffsetAdr() const { return FOffsetAdr; }
    int32_t OffsetCur() const { return FOffsetCur; }
    int32_t Poids() const { return FPoids; }
    bool EditMode() const { return FEditMode; }
    bool VisiCur() const { return FVisiCur; }
    // The control's height (visible lines = height div 16) and enabled state.
    void SetHauteur(int hauteur);
    int NbLignesVisibles() const { return FNbLignes; }
    int Page() const { return FNbLignes * 8; }
    void SetActif(bool actif);
    bool Actif() const { return FActif; }

    // --- Scroll bar -------------------------------------------------------------
    bool ScrollActif() const;
    int ScrollMax() const;
    int ScrollPosition() const { return FOffsetAdr / 8; }
    // The scroll bar moved to `position`.
    void Defile(int position);
    // A wheel turn: delta > 0 away from the user (up). Only when the scroll
    // bar and the control are enabled.
    void Molette(int delta);

    // --- Painting -----------------------------------------------------------------
    // The visible lines, top first, as LigneDump writes them.
    std::vector<std::string> Lignes() const;
    // The aspects of the visible bytes, from the top line's first byte on,
    // as many as Lignes shows.
    std::vector<TAspectOctet> Aspects() const;
    // The address of the byte under (x, y) pixels, in its hexadecimal
    // digits or its character, with w the width of "0"; -1 elsewhere.
    int32_t AdresseA(int x, int y, int w) const;
    // The digit under the cursor and its place in characters (column from the
    // left margin, line from the top).
    char ChiffreCurseur() const;
    int ColonneCurseur() const { return FPoids + 3 * (FOffsetCur % 8) + 6; }
    int LigneCurseur() const { return FOffsetCur / 8; }
    // A blink tick: flips the phase (edit mode only).
    void Clignote();

    // --- Mouse and keys --------------------------------------------------------------
    // A click at (x, y) pixels with w the width of "0": in edit mode moves the
    // cursor there.
    void Clic(int x, int y, int w);
    // A double click: the cursor there, edit mode, OnEdit.
    void DoubleClic(int x, int y, int w);
    // A key-down; false when it was not acted on (browse mode, disabled, or
    // a key outside the table).
    bool Touche(TToucheHex t);
    // A typed character: Escape leaves edit mode, a hex digit overwrites the
    // nibble under the cursor and advances; false when swallowed unused.
    bool Caractere(char c);
    // Leaves edit mode (Escape).
    void QuitteEdition();
    // Brings `adresse` into view (its line on top when it was not visible)
    // with the cursor on its high nibble, in edit mode (OnEdit).
    void Montre(int32_t adresse);

private:
    int32_t FAdrDebut = 0;
    int32_t FAdrFin = 0;
    int32_t FOffsetAdr = 0;
    int32_t FOffsetCur = 0;
    bool FEditMode = false;
    int32_t FPoids = 0;
    bool FVisiCur = false;
    bool FActif = true;
    int FNbLignes = GeomHex::HauteurDefaut / GeomHex::Interligne;

    uint8_t Octet(int32_t adresse) const;
    int32_t AdrCurseur() const { return FAdrDebut + FOffsetAdr + FOffsetCur; }
    int32_t Etendue() const { return FAdrFin - FAdrDebut; }
    void BorneCurseur();  // a cursor beyond the range goes to its last byte
    void CurseurAuDernier();
    void PlaceCurseur(int x, int y, int w);
    void ToucheBas();
    void ToucheHaut();
    void ToucheDroite();
    void ToucheGauche();
    void TouchePageSuiv();
};
