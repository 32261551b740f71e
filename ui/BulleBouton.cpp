#include "ui/BulleBouton.h"

#include <QAbstractButton>
#include <QEvent>

namespace {

class TBulle : public QObject {
public:
    TBulle(QAbstractButton* b, QString texte, QString raison)
        : QObject(b), FBouton(b), FTexte(std::move(texte)), FRaison(std::move(raison)) {
        b->installEventFilter(this);
        Maj();
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::EnabledChange) Maj();
        return QObject::eventFilter(o, e);
    }

private:
    QAbstractButton* FBouton;
    QString FTexte, FRaison;
    void Maj() {
        FBouton->setToolTip(FBouton->isEnabled() || FRaison.isEmpty() ? FTexte
                                                                      : FTexte + QStringLiteral(" \u2014 ") + FRaison);
    }
};

} // namespace

void PoseBulle(QAbstractButton* bouton, const QString& texte, const QString& raisonDesactive) {
    new TBulle(bouton, texte, raisonDesactive);
}
