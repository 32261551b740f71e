#include "ui/FiltreClavier.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QWidget>

namespace {

char16_t SeparateurDate() {
    const QString format = QLocale::system().dateFormat(QLocale::ShortFormat);
    for (const QChar c : format)
        if (!c.isLetter()) return char16_t(c.unicode());
    return u'/';
}

} // namespace

TFiltreClavier::TFiltreClavier(TInspection porte, QObject* parent) : QObject(parent), FPorte(porte) {}

TContexteClavier TFiltreClavier::Contexte() const {
    TContexteClavier ctx;
    ctx.ModeClavier = FPorte.ModeClavier();
    ctx.Date = FPorte.HeureLocale();
    ctx.SeparateurDate = SeparateurDate();
    ctx.CaptureClav = FRetenue || FPorte.CaptureClavier();
    return ctx;
}

bool TFiltreClavier::Traduit(const TMessageClavier& msg) {
    const TTraduction t = TraduitMessageClavier(msg, Contexte());
    if (!FRetenue) {
        FPorte.PousseEntrees(t);
    } else if (t.Consomme && SurRetenue) {
        SurRetenue(msg);
    }
    return t.Consomme;
}

bool TFiltreClavier::Retient(QObject* cible, QKeyEvent* e) {
    FRetenue = true;
    const bool consomme = ToucheEnfoncee(cible, e);
    FRetenue = false;
    return consomme;
}

bool TFiltreClavier::Caracteres(const std::u16string& texte, bool shift, bool ctrl) {
    bool consomme = false;
    for (const char16_t c : texte) {
        TMessageClavier msg;
        msg.Type = TTypeMessageClavier::Caractere;
        msg.Code = c;
        msg.Shift = shift;
        msg.Ctrl = ctrl;
        consomme = Traduit(msg) || consomme;
    }
    return consomme;
}

// An input method's composed text: a character no rule takes that was made of
// a dead key and a key it does not combine with, as the host keyboard of the
// machine's era would have typed it (^ then 1 gives "^1").
std::u16string TFiltreClavier::AvecReplis(const std::u16string& texte) const {
    std::u16string r;
    const TContexteClavier ctx = Contexte();
    for (const char16_t c : texte) {
        TMessageClavier msg;
        msg.Type = TTypeMessageClavier::Caractere;
        msg.Code = c;
        const std::u16string repli = RepliComposition(c);
        r += !repli.empty() && !TraduitMessageClavier(msg, ctx).Consomme ? repli : std::u16string(1, c);
    }
    return r;
}

// Text of a key after a dead key: its first character composed with the
// accent. Empty text (a modifier key) leaves the dead key waiting.
std::u16string TFiltreClavier::Compose(const std::u16string& texte) {
    if (FAccent == TAccent::Aucun || texte.empty()) return texte;
    const TAccent accent = FAccent;
    FAccent = TAccent::Aucun;
    return ComposeApresCleMorte(accent, texte[0]) + texte.substr(1);
}

bool TFiltreClavier::ToucheEnfoncee(QObject* cible, QKeyEvent* e) {
    const Qt::KeyboardModifiers mod = e->modifiers();
    // Alt without Ctrl makes a system key: the main window's own handler.
    if ((mod & Qt::AltModifier) && !(mod & Qt::ControlModifier)) return false;
    const bool shift = mod & Qt::ShiftModifier, ctrl = mod & Qt::ControlModifier;
    if (const TAccent accent = AccentDeCleMorte(e->key()); accent != TAccent::Aucun) {
        // A second dead key: the first one combines with nothing.
        if (FAccent != TAccent::Aucun) Caracteres(std::u16string(1, CaractereAccent(FAccent)), shift, ctrl);
        FAccent = accent;
        return true;
    }
    TMessageClavier msg;
    msg.Type = TTypeMessageClavier::ToucheEnfoncee;
    msg.Code = VkDepuisCleQt(e->key());
    msg.Shift = shift;
    msg.Ctrl = ctrl;
    if (msg.Code != 0 && Traduit(msg)) return true;
    const std::u16string brut = e->text().toStdU16String();
    const std::u16string texte = Compose(brut);
    if (!texte.empty() && Caracteres(texte, shift, ctrl)) return true;
    if (texte == brut) return false;
    // Not translated: the widget gets the composed text instead.
    QKeyEvent compose(QEvent::KeyPress, e->key(), mod, QString::fromStdU16String(texte), e->isAutoRepeat());
    FDernier = &compose;
    QCoreApplication::sendEvent(cible, &compose);
    FDernier = nullptr;
    return true;
}

bool TFiltreClavier::eventFilter(QObject* cible, QEvent* e) {
    const QEvent::Type type = e->type();
    if (type != QEvent::KeyPress && type != QEvent::InputMethod) {
        FDernier = nullptr;
        return QObject::eventFilter(cible, e);
    }
    // Each key event is seen once addressed to the window and then once per
    // widget it is offered to (the focused one, then its parents): only the
    // first widget translates it.
    if (!cible->isWidgetType() || e == FDernier) return false;
    FDernier = e;
    // A message box or dialog shown modally keeps its own keys.
    if (QApplication::activeModalWidget()) return false;
    // So does another window of the program (the debugger's, with its
    // command line and its function keys): the machine takes the keys of
    // the window it belongs to.
    if (const auto* principale = qobject_cast<QWidget*>(parent());
        principale && static_cast<QWidget*>(cible)->window() != principale->window())
        return false;
    bool consomme = false;
    if (type == QEvent::KeyPress) {
        consomme = ToucheEnfoncee(cible, static_cast<QKeyEvent*>(e));
    } else {
        const QString commit = static_cast<QInputMethodEvent*>(e)->commitString();
        consomme = !commit.isEmpty() && Caracteres(AvecReplis(commit.toStdU16String()), false, false);
    }
    if (SurTraduction) SurTraduction();
    return consomme;
}
