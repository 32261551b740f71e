#include "debugger/SuiviQt.h"

#include <QLabel>

#include "debugger/VuesSuivi.h"

namespace {

QString Case(TCouleurRGB c, const QString& texte) {
    return QStringLiteral("<span style=\"background-color:%1\">&nbsp;%2&nbsp;</span>")
        .arg(CouleurQt(c).name(), texte);
}

} // namespace

QLabel* LegendeCouverture(QWidget* parent, bool changes) {
    QString t = QStringLiteral("Couverture : ") + Case(CouleurExecute, QStringLiteral("ex\u00e9cut\u00e9")) +
                QStringLiteral(" ") + Case(CouleurLu, QStringLiteral("lu")) + QStringLiteral(" ") +
                Case(CouleurEcrit, QStringLiteral("\u00e9crit"));
    if (changes)
        t += QStringLiteral(" &nbsp;<span style=\"color:%1\">chang\u00e9</span>").arg(CouleurChangeQt().name());
    auto* l = new QLabel(t, parent);
    l->setTextFormat(Qt::RichText);
    l->setToolTip(QStringLiteral("Les octets \u00e9crits, sinon lus, sinon ex\u00e9cut\u00e9s depuis la mise en "
                                 "marche de la couverture"));
    l->hide();
    return l;
}
