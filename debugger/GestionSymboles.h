// The symbol dialogs without their windows: the add dialog's filters and
// rule, the sorts of the list, the rows shown, the loading of a symbol list
// file; and the rows of the breakpoint list. The console's "sym" and "pa"
// commands use the same functions.
#pragma once

#include "debugger/CarteSource.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Machine.h"
#include "debugger/Symboles.h"

class TSondesDebogueur;

// --- Add dialog -------------------------------------------------------------------
constexpr size_t LongueurMaxNomSymbole = 40;
// Name entry: backspace, '.', digits, letters (turned to upper case) and
// '_' pass; 0 when the key is dropped.
char FiltreToucheNomSymbole(char touche);
// Address entry (at most 4 characters): backspace and hexadecimal digits,
// upper-cased.
char FiltreToucheAdresseSymbole(char touche);

enum class TAjoutSymbole { Ajoute, NomVide, ExisteDeja };
// The "OK" of the add dialog: an empty address counts as 0, the address
// is the text read as hexadecimal (its leading digits); an empty name adds
// nothing; a name already present (whatever its case) adds nothing.
TAjoutSymbole AjouteSymbole(TListeSymboles& liste, const std::string& nom, const std::string& adresseHexa);
// "Le symbole " + nom + " Existe déjà".
std::string MessageSymboleExiste(const std::string& nom);

// --- List -------------------------------------------------------------------------
// Negative when a comes before b.
using TCompareNoms = std::function<int(const std::string& a, const std::string& b)>;
// Letters compared without regard to case, then byte order.
int CompareNomsSansCasse(const std::string& a, const std::string& b);
// Sorts the list itself (stable: equal keys keep their order).
void TrieSymbolesParNom(TListeSymboles& liste, const TCompareNoms& compare = CompareNomsSansCasse);
void TrieSymbolesParAdresse(TListeSymboles& liste);
// The address column: at least four upper-case hexadecimal digits and "H".
std::string TexteAdresseSymbole(int32_t adresse);
// "NOM XXXXH", as the console lists it.
std::string LigneSymbole(const TSymbole& s);

// "Charger une liste": the pairs of the file appended; nothing when the file
// does not exist (or is not a readable file). A line map (.zdbg) gives its
// labels, and itself to `carte` when one is given; a damaged map is refused
// with its reason in `erreur`.
std::optional<int> ChargeFichierSymboles(const std::string& chemin, TListeSymboles& liste,
                                         TCarteSource* carte = nullptr, std::string* erreur = nullptr);
// A .zdbg file, by its name.
bool EstCarteSource(const std::string& chemin);
// count + " symboles ajoutés".
std::string MessageSymbolesAjoutes(int nombre);

// --- Breakpoint list ----------------------------------------------------------------
struct TLignePtArret {
    uint16_t Adresse = 0;
    std::string Texte;     // "XXXXH"
    std::string Symbole;   // first symbol at that address, or ""
    std::string Condition; // or ""
};
// Every address with bit 0 set, ascending.
std::vector<TLignePtArret> LignesPtArret(const TTblPtArret& table, const TListeSymboles& symboles,
                                         const TSondesDebogueur& sondes);
TLignePtArret LignePtArret(uint16_t adresse, const TListeSymboles& symboles, const TSondesDebogueur& sondes);
// "2000H DEBUT si A = 3" (symbol and condition when there are).
std::string TexteLignePtArret(const TLignePtArret& l);
