// Tooltips of the toolbar buttons: what the button does and, while it is
// disabled, why. The text follows the button's state whoever changes it.
#pragma once

#include <QString>

class QAbstractButton;

void PoseBulle(QAbstractButton* bouton, const QString& texte, const QString& raisonDesactive);
