#include "ui/FenetreModale.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>

void FixeCadre(QDialog& d, int largeur, int hauteur) {
    d.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                     Qt::MSWindowsFixedSizeDialogHint);
    d.setFixedSize(largeur, hauteur);
    d.setModal(true);
    d.setSizeGripEnabled(false);
}

void CentreSurParent(QDialog& d) {
    QRect cadre;
    if (const QWidget* parent = d.parentWidget())
        cadre = parent->window()->geometry();
    else if (const QScreen* ecran = QGuiApplication::primaryScreen())
        cadre = ecran->availableGeometry();
    if (cadre.isValid()) d.move(cadre.center() - QPoint(d.width() / 2, d.height() / 2));
}
