// The screen as logic: glyph tables from the character generator image,
// colour choice, and the picture drawn into the machine's 1024 × 576 bitmap.
#pragma once

#include <cstddef>
#include <cstdint>

struct TMachine;

// Builds Fonte80, Fonte128, Fonte80APL and Fonte128APL from a character
// generator image of `taille` bytes (16-byte records; at most 4096 bytes).
void ConstruitFontes(TMachine& m, const uint8_t* image, size_t taille);

// CouleurTexte, CouleurFond and CoulGraph from IndCoulTxt, IndCoulGrph and
// PlansGraph.
void ChoisitCouleurs(TMachine& m);

// Draws the whole screen (text over graphics over background) into BmpEcran.
void DessineEcran(TMachine& m);
