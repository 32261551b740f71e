// Pieces the windows of the execution tools share: a colour of the logic as
// a QColor, and the legend of the coverage colours.
#pragma once

#include <QColor>

#include "debugger/Debogueur.h"

class QLabel;
class QWidget;

inline QColor CouleurQt(TCouleurRGB c) { return QColor(c.R, c.G, c.B); }
// The ink of what changed since the last stop (registers, stack rows, bytes).
inline QColor CouleurChangeQt() { return QColor(0xD0, 0x00, 0x00); }

// "exécuté", "lu", "écrit" each on its colour; `changes` adds the red of
// the bytes changed since the last stop.
QLabel* LegendeCouverture(QWidget* parent, bool changes);
