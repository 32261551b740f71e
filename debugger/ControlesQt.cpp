#include "debugger/ControlesQt.h"

#include <QLabel>

QLabel* Etiquette(QWidget* parent, const QString& texte, int x, int y) {
    auto* l = new QLabel(texte, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}
