// Small pieces shared by the debugger's windows.
#pragma once

#include <QString>

class QLabel;
class QWidget;

// A label at (x, y), as wide and high as its text.
QLabel* Etiquette(QWidget* parent, const QString& texte, int x, int y);
