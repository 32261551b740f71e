#include "debugger/HexEditQt.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <qdrawutil.h>

#include "debugger/SuiviQt.h"
#include "debugger/VuesSuivi.h"

namespace {

constexpr int LargeurDefilement = 18; // the scroll bar at the right edge

QFont FonteHex() {
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setPixelSize(12);
    return f;
}

std::optional<TToucheHex> ToucheDe(int cle) {
    switch (cle) {
    case Qt::Key_Down: return TToucheHex::Bas;
    case Qt::Key_Up: return TToucheHex::Haut;
    case Qt::Key_Right: return TToucheHex::Droite;
    case Qt::Key_Left: return TToucheHex::Gauche;
    case Qt::Key_PageUp: return TToucheHex::PagePrec;
    case Qt::Key_PageDown: return TToucheHex::PageSuiv;
    case Qt::Key_Home: return TToucheHex::Debut;
    case Qt::Key_End: return TToucheHex::Fin;
    default: return std::nullopt;
    }
}

} // namespace

THexEdit::THexEdit(QWidget* parent, THexEditModele* modele)
    : QWidget(parent), FPropre(modele ? nullptr : std::make_unique<THexEditModele>()),
      FModele(modele ? modele : FPropre.get()), FScrollBar(new QScrollBar(Qt::Vertical, this)),
      FTimer(new QTimer(this)) {
    setFont(FonteHex());
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    FScrollBar->setMinimum(0);
    FScrollBar->setSingleStep(1);
    FTimer->setInterval(200);
    connect(FTimer, &QTimer::timeout, this, [this] { Clignote(); });
    connect(FScrollBar, &QScrollBar::valueChanged, this, [this](int p) {
        if (FSynchro) return;
        FModele->Defile(p);
        update();
    });
    resize(GeomHex::LargeurDefaut, GeomHex::HauteurDefaut);
    Synchronise();
}

THexEdit::~THexEdit() = default;

int THexEdit::LargeurChiffre() const { return fontMetrics().horizontalAdvance(QLatin1Char('0')); }

void THexEdit::SetAdresses(uint32_t valeur) {
    FModele->SetAdresses(valeur);
    Synchronise();
}

void THexEdit::Synchronise() {
    FSynchro = true;
    FModele->SetActif(isEnabled());
    FScrollBar->setEnabled(FModele->ScrollActif());
    FScrollBar->setMaximum(FModele->ScrollMax());
    FScrollBar->setPageStep(FModele->NbLignesVisibles());
    FScrollBar->setValue(FModele->ScrollPosition());
    FSynchro = false;
    if (FModele->EditMode() && isEnabled()) {
        if (!FTimer->isActive()) FTimer->start();
    } else {
        FTimer->stop();
    }
    update();
}

void THexEdit::Clignote() {
    if (!FModele->EditMode()) {
        FTimer->stop();
        update();
        return;
    }
    FModele->Clignote();
    update();
}

// --- Painting ------------------------------------------------------------------------

void THexEdit::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int l = width() - LargeurDefilement;
    p.fillRect(QRect(0, 0, l, height()), Qt::white);
    qDrawShadePanel(&p, QRect(0, 0, l, height()), palette(), true, 2);
    p.setClipRect(QRect(2, 2, l - 4, height() - 4));
    p.setFont(font());
    const QColor encre = isEnabled() ? QColor(Qt::black) : palette().color(QPalette::Disabled, QPalette::WindowText);
    p.setPen(encre);
    const QFontMetrics fm = fontMetrics();
    const auto lignes = FModele->Lignes();
    const auto aspects = FModele->Aspects();
    const int w = LargeurChiffre();
    // Byte i of the page: its two digits' place.
    auto place = [&](size_t i) {
        return QRect(GeomHex::Marge + w * (6 + 3 * int(i % 8)), GeomHex::Marge + GeomHex::Interligne * int(i / 8),
                     2 * w, fm.height());
    };
    for (size_t i = 0; i < aspects.size(); ++i)
        if (const auto c = CouleurCouverture(aspects[i].Acces)) p.fillRect(place(i), CouleurQt(*c));
    for (size_t i = 0; i < lignes.size(); ++i) {
        const int y = GeomHex::Marge + GeomHex::Interligne * int(i);
        p.drawText(GeomHex::Marge, y + fm.ascent(), QString::fromStdString(lignes[i]));
    }
    if (isEnabled()) {
        p.setPen(CouleurChangeQt());
        for (size_t i = 0; i < aspects.size() && i / 8 < lignes.size(); ++i) {
            if (!aspects[i].Change) continue;
            const QRect r = place(i);
            const auto c = CouleurCouverture(aspects[i].Acces);
            p.fillRect(r, c ? CouleurQt(*c) : QColor(Qt::white));
            p.drawText(r.x(), r.y() + fm.ascent(), QString::fromStdString(lignes[i / 8].substr(6 + 3 * (i % 8), 2)));
        }
    }
    if (!FModele->EditMode()) return;
    const QRect r(GeomHex::Marge + w * FModele->ColonneCurseur(),
                  GeomHex::Marge + GeomHex::Interligne * FModele->LigneCurseur(), w, fm.height());
    const bool visible = FModele->VisiCur();
    p.fillRect(r, visible ? Qt::black : Qt::white);
    p.setPen(visible ? Qt::white : Qt::black);
    p.drawText(r.x(), r.y() + fm.ascent(), QString(QLatin1Char(FModele->ChiffreCurseur())));
}

// --- Mouse, wheel, keys ------------------------------------------------------------------

void THexEdit::mousePressEvent(QMouseEvent* e) {
    setFocus();
    const QPoint pt = e->position().toPoint();
    FModele->Clic(pt.x(), pt.y(), LargeurChiffre());
    Synchronise();
}

void THexEdit::mouseDoubleClickEvent(QMouseEvent* e) {
    if (!isEnabled()) return;
    const QPoint pt = e->position().toPoint();
    FModele->DoubleClic(pt.x(), pt.y(), LargeurChiffre());
    setFocus();
    Synchronise();
}

void THexEdit::keyPressEvent(QKeyEvent* e) {
    // Every key is swallowed: the arrows and pages never move the focus.
    if (const auto t = ToucheDe(e->key())) {
        FModele->Touche(*t);
    } else if (e->key() == Qt::Key_Escape) {
        FModele->Caractere(0x1B);
    } else if (e->text().size() == 1 && e->text().at(0).unicode() < 0x80) {
        FModele->Caractere(char(e->text().at(0).unicode()));
    } else if (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab) {
        QWidget::keyPressEvent(e);
        return;
    }
    Synchronise();
}

void THexEdit::wheelEvent(QWheelEvent* e) {
    FModele->Molette(e->angleDelta().y());
    Synchronise();
    e->accept();
}

void THexEdit::resizeEvent(QResizeEvent*) {
    FScrollBar->setGeometry(width() - LargeurDefilement, 0, LargeurDefilement, height());
    FModele->SetHauteur(height());
    Synchronise();
}

void THexEdit::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::EnabledChange) Synchronise();
}
