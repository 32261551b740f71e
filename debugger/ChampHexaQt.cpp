#include "debugger/ChampHexaQt.h"

#include <QKeyEvent>
#include <QLineEdit>

#include "debugger/DialoguesMemoire.h"

namespace {

class TFiltreHexa : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* objet, QEvent* e) override {
        if (e->type() != QEvent::KeyPress) return QObject::eventFilter(objet, e);
        auto* k = static_cast<QKeyEvent*>(e);
        const QString t = k->text();
        // Keys without a character (arrows, Enter, Tab, Delete) act as usual.
        if (t.size() != 1 || t.at(0).unicode() < 0x20 || t.at(0).unicode() == 0x7F) return false;
        const char16_t c = t.at(0).unicode();
        const char touche = c < 0x80 ? FiltreToucheHexa(char(c)) : 0;
        if (touche != 0) static_cast<QLineEdit*>(objet)->insert(QString(QLatin1Char(touche)));
        return true;
    }
};

} // namespace

QLineEdit* CreeChampHexa(QWidget* parent, int longueur) {
    auto* e = new QLineEdit(parent);
    e->setMaxLength(longueur);
    e->installEventFilter(new TFiltreHexa(e));
    return e;
}
