// What the program's modal windows share: a fixed frame of a given client
// size, and a place centred on the window that opens them.
#pragma once

class QDialog;

// Client area of `largeur` × `hauteur`, not resizable, no help button.
void FixeCadre(QDialog& d, int largeur, int hauteur);

// Centred on the parent window (on the screen when there is none).
void CentreSurParent(QDialog& d);
