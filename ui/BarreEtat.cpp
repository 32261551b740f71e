#include "ui/BarreEtat.h"

#include <QHBoxLayout>
#include <QLabel>

#include "disks/ActiviteLecteurs.h"
#include "disks/Lecteurs.h"

namespace {

// Indexed by TAspectVoyant: no disk, a disk at rest (dim), reading, writing.
const char* const Styles[] = {
    "QLabel { background: transparent; color: #8a8a8a; border: 1px solid #b0b0b0; border-radius: 2px; padding: 0 2px; }",
    "QLabel { background: #2e5e36; color: #d8e8d8; border: 1px solid #2e5e36; border-radius: 2px; padding: 0 2px; }",
    "QLabel { background: #38e050; color: black; border: 1px solid #38e050; border-radius: 2px; padding: 0 2px; }",
    "QLabel { background: #f03828; color: white; border: 1px solid #f03828; border-radius: 2px; padding: 0 2px; }",
};

QLabel* Champ(QWidget* parent, QHBoxLayout* l, const QString& bulle) {
    auto* c = new QLabel(parent);
    c->setToolTip(bulle);
    l->addWidget(c);
    return c;
}

} // namespace

TBarreEtat::TBarreEtat(TActiviteLecteurs& activite, QWidget* parent) : QWidget(parent), FActivite(activite) {
    setStyleSheet(QStringLiteral("TBarreEtat QLabel { font-size: 11px; }"));
    auto* l = new QHBoxLayout(this);
    l->setContentsMargins(6, 1, 6, 1);
    l->setSpacing(8);
    LabelModele = Champ(this, l, QStringLiteral("Mod\u00e8le de machine \u00e9mul\u00e9"));
    LabelEtat = Champ(this, l, QStringLiteral("\u00c9tat du processeur : RUN en marche, STOP arr\u00eat\u00e9, HLT arr\u00eat\u00e9 par HLT"));
    LabelVitesse = Champ(this, l, QStringLiteral("Vitesse d'ex\u00e9cution"));
    LabelVitesse->hide();
    for (int slot = 1; slot <= 6; ++slot) {
        const int numero = LecteurDuSlot(slot);
        QLabel* c = Champ(this, l,
                          QStringLiteral("Lecteur %1 : vert vif en lecture, rouge en \u00e9criture ou formatage, "
                                         "vert sombre quand il contient un disque, sans lumi\u00e8re quand il est vide")
                              .arg(numero));
        c->setText(QString::number(numero));
        c->setAlignment(Qt::AlignCenter);
        c->setStyleSheet(QLatin1String(Styles[0]));
        FStyles[size_t(slot - 1)] = Styles[0];
        if (slot == 1) l->insertSpacing(l->count() - 1, 6);
        LabelLecteurs[size_t(slot - 1)] = c;
    }
    LabelSession = Champ(this, l, QString());
    LabelSession->hide();
    LabelMessage = Champ(this, l, QString());
    LabelMessage->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l->setStretchFactor(LabelMessage, 1);
    FMinuterie.setSingleShot(true);
    connect(&FMinuterie, &QTimer::timeout, this, &TBarreEtat::MajLumieres);
    // Activity comes inside an instruction: the lights change at the next pump.
    FActivite.SurActivite = [this] {
        if (!FMinuterie.isActive() || FMinuterie.remainingTime() > 0) FMinuterie.start(0);
    };
}

void TBarreEtat::AfficheModele(const std::string& libelle) { LabelModele->setText(QString::fromStdString(libelle)); }

void TBarreEtat::AfficheEtatCPU(TEtatCPU etat) {
    static const char* const Noms[] = {"RUN", "STOP", "HLT"};
    LabelEtat->setText(QLatin1String(Noms[etat <= CPUHalt ? etat : 0]));
}

void TBarreEtat::AfficheVitesse(const std::string& texte) {
    LabelVitesse->setText(QString::fromStdString(texte));
    LabelVitesse->setVisible(!texte.empty());
}

void TBarreEtat::AfficheMessage(const std::string& texte) {
    LabelMessage->setText(QString::fromStdString(texte));
    LabelMessage->setToolTip(LabelMessage->text());
}

bool TBarreEtat::LumiereAllumee(int slot) const {
    const TAspectVoyant a = FVoyants.Aspect(slot);
    return a == TAspectVoyant::Lecture || a == TAspectVoyant::Ecriture;
}

void TBarreEtat::MajLumieres() {
    const uint32_t maintenant = Horloge ? Horloge->TickCount() : 0;
    FVoyants.Maj(FActivite, DisqueDans, maintenant);
    for (int slot = 1; slot <= 6; ++slot) {
        const char* style = Styles[size_t(FVoyants.Aspect(slot))];
        if (FStyles[size_t(slot - 1)] != style) LabelLecteurs[size_t(slot - 1)]->setStyleSheet(QLatin1String(style));
        FStyles[size_t(slot - 1)] = style;
    }
    if (const uint32_t reste = FVoyants.AvantRepos(maintenant)) FMinuterie.start(int(reste));
}

void TBarreEtat::AfficheSession(TVoyantSession s) {
    switch (s) {
    case TVoyantSession::Aucune: LabelSession->hide(); return;
    case TVoyantSession::Enregistrement:
        LabelSession->setText(QStringLiteral("\u25CF REC"));
        LabelSession->setStyleSheet(QStringLiteral("QLabel { color: #e02020; font-weight: bold; }"));
        LabelSession->setToolTip(QStringLiteral("Enregistrement d'une session en cours"));
        break;
    case TVoyantSession::Relecture:
        LabelSession->setText(QStringLiteral("\u25B6 RELECTURE"));
        LabelSession->setStyleSheet(QStringLiteral("QLabel { color: #2060d0; font-weight: bold; }"));
        LabelSession->setToolTip(QStringLiteral("Relecture d'une session : la frappe est celle de la session"));
        break;
    }
    LabelSession->show();
}

