#include "debugger/DispositionQt.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

constexpr int EcartAncre = 40; // the default place, from the CPU window's corner

TRect Zone(const QWidget* w) {
    const QScreen* ecran = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!ecran) return {};
    const QRect z = ecran->availableGeometry();
    return {z.x(), z.y(), z.width(), z.height()};
}

} // namespace

TDispositionFenetres::TDispositionFenetres(QWidget* ancre) : QObject(ancre), FAncre(ancre) {}

TRect TDispositionFenetres::Geometrie(const QWidget* w) { return {w->x(), w->y(), w->width(), w->height()}; }

void TDispositionFenetres::Suit(QWidget* w, TGenreFenetre genre) {
    FGenres[w] = genre;
    w->installEventFilter(this);
    connect(w, &QObject::destroyed, this, [this](QObject* o) {
        FGenres.erase(o);
        FPlacees.erase(o);
    });
}

int TDispositionFenetres::Rang(const QWidget* w, TGenreFenetre genre) const {
    int rang = 0;
    for (const auto& [o, g] : FGenres)
        if (o != w && g == genre && static_cast<QWidget*>(o)->isVisible()) ++rang;
    return rang;
}

void TDispositionFenetres::Place(QWidget* w, TGenreFenetre genre) {
    const std::string chemin = Chemin ? Chemin() : std::string();
    const std::optional<TRect> garde = chemin.empty() ? std::nullopt : LitDisposition(chemin, genre);
    TRect base = Geometrie(w);
    if (garde) {
        base = *garde;
    } else if (w != FAncre) {
        base.X = FAncre->x() + EcartAncre;
        base.Y = FAncre->y() + EcartAncre;
    }
    const TRect zone = Zone(w);
    if (zone.L <= 0 || zone.H <= 0) return;
    const TRect r = PlaceFenetre(base, Rang(w, genre), zone);
    w->resize(r.L, r.H); // never below the window's smallest size
    w->move(r.X, r.Y);
}

void TDispositionFenetres::Enregistre(const QWidget* w, TGenreFenetre genre) {
    const std::string chemin = Chemin ? Chemin() : std::string();
    if (chemin.empty() || w->isMinimized() || w->isMaximized() || w->isFullScreen()) return;
    std::string erreur;
    EcritDisposition(chemin, genre, Geometrie(w), erreur); // a settings file that cannot be written keeps nothing
}

void TDispositionFenetres::EnregistreOuvertes() {
    for (const auto& [o, g] : FGenres)
        if (static_cast<QWidget*>(o)->isVisible()) Enregistre(static_cast<QWidget*>(o), g);
}

bool TDispositionFenetres::eventFilter(QObject* objet, QEvent* e) {
    const auto g = FGenres.find(objet);
    if (g == FGenres.end() || (e->type() != QEvent::Show && e->type() != QEvent::Hide) || e->spontaneous())
        return false;
    auto* w = static_cast<QWidget*>(objet);
    if (e->type() == QEvent::Show && FPlacees.insert(objet).second) Place(w, g->second);
    else if (e->type() == QEvent::Hide) Enregistre(w, g->second);
    return false;
}
