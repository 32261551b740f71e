// Watch variables, without any widget: the descriptors, the rows of the
// "Variables" window (TVarForm) with their captions and contents, and the
// contents that changed since the processor last moved. The watch window,
// `zorv debug` and the tests work on the same list, held by the debugger.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Messages.h"
#include "debugger/Symboles.h"

struct TMachine;
class TDebogueur;

// Result types of a watch, in the order of the dialog's list.
enum TTypeVariable : uint8_t {
    tvOctet, tvCaractere, tvPointeur, tvValeur32, tvValeur64, tvFlottant
};
constexpr int NbTypesVariable = 6;

// "Octet", "Caractère ASCII" … by type; "Type inconnu" outside the six.
const char* NomTypeVariable(unsigned type);
// "Banque logiciel" (0) or "Banque data" (1).
const char* NomBanqueVariable(unsigned banque);

// A watch descriptor: address + bank × 65,536 + type × 1,048,576.
struct TDescripteurVar {
    uint16_t Adresse = 0;
    uint8_t Banque = 0; // 0 program bank, 1 data bank
    uint8_t Type = 0;   // 0..5; another value is shown as unknown
    uint32_t Valeur() const { return uint32_t(Adresse) + uint32_t(Banque) * 0x10000u + uint32_t(Type) * 0x100000u; }
    // Bits 16..19 give the bank: any non-zero value is the data bank (as the
    // modify dialog reads it), so memory is never read outside the two banks.
    static TDescripteurVar De(uint32_t valeur);
    bool operator==(const TDescripteurVar&) const = default;
};

// "NOM (2000H)" when a symbol has the address (first match), else "2000H".
std::string LegendeVariable(uint16_t adresse, const TListeSymboles& symboles);

// The content text of a watch, from memory as the processor sees it in the
// watch's bank (ReadMem). Addresses that would read past FFFF give the
// placeholders "XXXXH", "XX XX XX XX", eight "XX" or "Pas un nombre".
std::string ContenuVariable(const TMachine& m, const TDescripteurVar& d);

// A double in fixed point with 14 decimals and "." as decimal point
// ("%.14f" in the C locale); infinities and not-a-number give "Infini",
// "-Infini" and "NaN".
std::string TexteFlottant(double v);

struct TLigneVariable {
    uint32_t Descripteur = 0;
    std::string Legende, Banque, Type, Contenu;
    // The content shown before the processor last moved, to colour a change.
    std::optional<std::string> Precedent;
    bool Change() const { return Precedent && !Contenu.empty() && *Precedent != Contenu; }
};

// What the dialog shows for a descriptor ("Modifier la variable").
struct TChampsVariable {
    std::string Adresse; // four upper-case hexadecimal digits
    bool Donnees = false;
    int Type = 0;
};
TChampsVariable ChampsVariable(uint32_t descripteur);

class TVariables {
public:
    const std::vector<TLigneVariable>& Lignes() const { return FLignes; }
    // The row selected in the window, -1 none.
    int Selection() const { return FSelection; }
    void Choisit(int ligne);
    // The menu's "Modifier" and "Supprimer la variable" are usable.
    bool LigneChoisie() const { return FSelection >= 0; }

    // FModif: the next descriptor replaces the selected row.
    bool Modif() const { return FModif; }
    // "Nouvelle variable": FModif false. "Modifier la variable": FModif true;
    // the fields to show, none when no row is selected.
    void Nouvelle() { FModif = false; }
    std::optional<TChampsVariable> Modifie();

    // AjoutVariable: appends a row, or replaces the selected row in place
    // when FModif is set (appends when no row is selected); the caption is
    // fixed here. Returns the row's index.
    int AjoutVariable(uint32_t descripteur, const TListeSymboles& symboles);
    // MajVariables: every content recomputed. When the processor has run
    // since the last recompute, the contents then shown become the previous
    // values that a change is measured against.
    void MajVariables(const TMachine& m);
    void SupprimeLigne(int ligne);
    void SupprimeSelection() { SupprimeLigne(FSelection); }
    void SupprimeTout();

private:
    std::vector<TLigneVariable> FLignes;
    int FSelection = -1;
    bool FModif = false;
    std::optional<uint64_t> FInstructions; // NbInstructions at the last recompute
};

// The watch window's end of the notifications: subscribes to the message
// dispatcher as the debugger's FenVar and handles 0x40A (AjoutVariable, then
// 0x40B posted to itself) and 0x40B (MajVariables, then SurMaj).
class TFenetreVariables {
public:
    explicit TFenetreVariables(TDebogueur& d);
    ~TFenetreVariables();
    TFenetreVariables(const TFenetreVariables&) = delete;
    TFenetreVariables& operator=(const TFenetreVariables&) = delete;

    TIdFenetre Fenetre() const { return FFenetre; }
    TVariables& Variables();
    // The dialog's "OK": posts 0x40A with the descriptor to this window.
    void PosteDescripteur(uint32_t descripteur);
    std::function<void()> SurMaj; // the window repaints its list

private:
    TDebogueur& D;
    TIdFenetre FFenetre = 0;
    void RecoitMessage(const TMessage& message);
};
