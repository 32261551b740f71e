// An address or value field of the copy and fill dialogs: at most `longueur`
// characters, hexadecimal digits and backspace only, a–f typed as A–F
// (FiltreToucheHexa).
#pragma once

class QLineEdit;
class QWidget;

QLineEdit* CreeChampHexa(QWidget* parent, int longueur);
