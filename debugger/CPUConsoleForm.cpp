// The CPU window's console pane, its function keys and the listing's context
// menu, the colours of what changed, and its layout when resized.
#include <algorithm>

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QToolButton>

#include "debugger/CPUForm.h"
#include "config/Parametres.h"
#include "config/Poste.h"
#include "debugger/Console.h"
#include "debugger/DispositionQt.h"

namespace {

constexpr int Largeur = 680, Hauteur = 470;
constexpr int HautSortie = 110, HauteurTotale = Hauteur + 20 + HautSortie + 4 + 22 + 10;
constexpr int LignesAuDessusDuPC = 3;
const QColor CouleurChange(0xD0, 0x00, 0x00);

QFont FonteConsole() {
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setPixelSize(11);
    return f;
}

void Encre(QWidget* w, const QColor& c, std::initializer_list<QPalette::ColorRole> roles) {
    QPalette p = w->palette();
    for (QPalette::ColorRole r : roles) {
        p.setColor(QPalette::Active, r, c);
        p.setColor(QPalette::Inactive, r, c);
    }
    w->setPalette(p);
}

} // namespace

void TCPUForm::CreeConsole() {
    LabelEtatsT = new QLabel(this);
    MemoConsole = new QPlainTextEdit(this);
    MemoConsole->setReadOnly(true);
    MemoConsole->setFont(FonteConsole());
    MemoConsole->setMaximumBlockCount(2000);
    MemoConsole->setFocusPolicy(Qt::ClickFocus);
    EditConsole = new QLineEdit(this);
    EditConsole->setFont(FonteConsole());
    EditConsole->setToolTip(QStringLiteral(
        "Commandes de la console (aide donne la liste) ; \u2191 \u2193 : lignes pr\u00e9c\u00e9dentes, Tab : compl\u00e8te"));
    EditConsole->setEnabled(false); // until a console is connected
    EditConsole->installEventFilter(this);
    PlaceControles();
}

void TCPUForm::BrancheConsole(TPoste& poste, THorlogeMachine* horloge) {
    FConsole = std::make_unique<TConsoleDebogueur>(poste, horloge);
    FConsole->SurSortieDifferee = [this](const std::string& ligne) { EcritConsole(QString::fromStdString(ligne)); };
    FPoste = &poste;
    Disposition->Chemin = [this] { return CheminParametres(FPoste->Parametres); };
    EditConsole->setEnabled(true);
    EditConsole->setPlaceholderText(QStringLiteral("debug>"));
}

void TCPUForm::EcritConsole(const QString& ligne) {
    MemoConsole->appendPlainText(ligne);
    MemoConsole->ensureCursorVisible();
}

void TCPUForm::ExecuteConsole(const QString& ligne) {
    if (!FConsole) return;
    const std::string texte = ligne.toStdString();
    FHistorique.Ajoute(texte);
    EditConsole->clear();
    EcritConsole(QStringLiteral("debug> ") + ligne);
    std::vector<std::string> sortie;
    FConsole->Execute(texte, sortie);
    for (const std::string& l : sortie) EcritConsole(QString::fromStdString(l));
    AfficheSuivi(); // "couverture marche" typed puts the colours on
}

bool TCPUForm::ToucheConsole(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        ExecuteConsole(EditConsole->text());
        return true;
    case Qt::Key_Up:
        if (const auto l = FHistorique.Precedente(EditConsole->text().toStdString()))
            EditConsole->setText(QString::fromStdString(*l));
        return true;
    case Qt::Key_Down:
        if (const auto l = FHistorique.Suivante()) EditConsole->setText(QString::fromStdString(*l));
        return true;
    case Qt::Key_Tab: {
        const TCompletion c = CompleteCommande(EditConsole->text().toStdString());
        EditConsole->setText(QString::fromStdString(c.Texte));
        if (!c.Candidats.empty()) {
            QStringList noms;
            for (const std::string& n : c.Candidats) noms << QString::fromStdString(n);
            EcritConsole(noms.join(QStringLiteral("  ")));
        }
        return true;
    }
    default:
        return false;
    }
}

// --- Function keys and the listing's menu -------------------------------------------

void TCPUForm::CreeRaccourcis() {
    auto action = [this](const QString& texte, QKeySequence touche, auto fait) {
        auto* a = new QAction(texte, this);
        a->setShortcut(touche);
        a->setShortcutContext(Qt::WindowShortcut); // this window only, never the machine's screen
        connect(a, &QAction::triggered, this, fait);
        addAction(a);
        return a;
    };
    action(QStringLiteral("Lance"), QKeySequence(Qt::Key_F5), [this] { D.Lance(); });
    action(QStringLiteral("Pause"), QKeySequence(Qt::Key_F6), [this] { D.Pause(); });
    action(QStringLiteral("Pas"), QKeySequence(Qt::Key_F7), [this] { D.Pas(); });
    action(QStringLiteral("Passe"), QKeySequence(Qt::Key_F8), [this] { D.PasseAuDessus(); });
    action(QStringLiteral("Sortie"), QKeySequence(Qt::SHIFT | Qt::Key_F8), [this] { D.Sort(); });
    action(QStringLiteral("Recule"), QKeySequence(Qt::SHIFT | Qt::Key_F7), [this] { Recule("recule"); });
    action(QStringLiteral("Recule par-dessus"), QKeySequence(Qt::CTRL | Qt::Key_F8), [this] { Recule("recule-passe"); });
    action(QStringLiteral("Recule jusqu'\u00e0"), QKeySequence(Qt::SHIFT | Qt::Key_F5),
           [this] { Recule("recule-jusqua"); });
    ActJusquIci = action(QStringLiteral("Ex\u00e9cuter jusqu'ici"), QKeySequence(Qt::Key_F4), [this] { JusquALigne(); });
    ActPtArretIci =
        action(QStringLiteral("Point d'arr\u00eat ici"), QKeySequence(Qt::Key_F9), [this] { BasculePtArretChoisi(); });
    MenuListing = new QMenu(this);
    MenuListing->addAction(ActJusquIci);
    MenuListing->addAction(ActPtArretIci);
}

void TCPUForm::JusquALigne() {
    const TRefus refus = D.JusquALigne();
    if (refus != TRefus::Aucun)
        EcritConsole(QStringLiteral("Jusqu'\u00e0 : rien n'est lanc\u00e9, ") +
                     QString::fromStdString(TexteRefus(refus, TInspection(D).EtatCPU())));
}

void TCPUForm::BasculePtArretChoisi() {
    if (!D.Controles().Listing) return; // the listing is disabled: its double click too
    if (D.LigneChoisie() < 0) {
        EcritConsole(QStringLiteral("Point d'arr\u00eat : ") +
                     QString::fromStdString(TexteRefus(TRefus::AucuneLigne, TInspection(D).EtatCPU())));
        return;
    }
    D.BasculePtArretLigne(D.LigneChoisie());
}

// --- What changed, and the PC line in view -----------------------------------------------

void TCPUForm::AfficheChangements() {
    const bool arrete = D.Controles().Registres;
    const QPalette systeme = palette();
    for (int r = 0; r < NbRegistresCPU; ++r)
        Encre(EditReg[size_t(r)], arrete && D.RegistreChange(TRegistreCPU(r)) ? CouleurChange
                                                                              : systeme.color(QPalette::Text),
              {QPalette::Text});
    const std::pair<QCheckBox*, TDrapeauCPU> drapeaux[] = {
        {CBFlagS, drS}, {CBFlagZ, drZ}, {CBFlagAC, drAC}, {CBFlagP, drP}, {CBFlagCY, drCY}};
    for (const auto& [boite, bit] : drapeaux)
        Encre(boite, arrete && D.DrapeauChange(bit) ? CouleurChange : systeme.color(QPalette::WindowText),
              {QPalette::WindowText, QPalette::ButtonText});
    LabelEtatsT->setText(QString::fromStdString(D.TexteEtatsT()));
}

// A few lines above PC stay in view, so that the way there shows.
void TCPUForm::SuitLignePC() {
    const int pc = D.LignePC();
    if (pc < 0 || pc >= LBDasm->count()) {
        FLignePCVue = -2;
        return;
    }
    if (pc == FLignePCVue) return;
    FLignePCVue = pc;
    const QModelIndex haut = LBDasm->indexAt(QPoint(2, 2));
    const QModelIndex bas = LBDasm->indexAt(QPoint(2, LBDasm->viewport()->height() - 2));
    const int premiere = haut.isValid() ? haut.row() : 0;
    const int derniere = bas.isValid() ? bas.row() : LBDasm->count() - 1;
    if (pc < premiere + LignesAuDessusDuPC || pc > derniere - LignesAuDessusDuPC)
        LBDasm->scrollToItem(LBDasm->item(std::max(0, pc - LignesAuDessusDuPC)), QAbstractItemView::PositionAtTop);
}

// --- Layout --------------------------------------------------------------------------------

// The documented part keeps its place; what the window gains goes to the
// listing's height and to the console pane.
void TCPUForm::PlaceControles() {
    if (!MemoConsole) return;
    const int dh = std::max(0, height() - HauteurTotale), dw = std::max(0, width() - Largeur);
    const int lgConsole = Largeur - 36 + dw;
    LBDasm->setGeometry(18, 62, 332, Hauteur - 62 - 14 + dh / 2);
    const int y = Hauteur + dh / 2;
    LabelEtatsT->setGeometry(18, y, lgConsole, 18);
    const int hSortie = HautSortie + dh - dh / 2;
    MemoConsole->setGeometry(18, y + 20, lgConsole, hSortie);
    EditConsole->setGeometry(18, y + 20 + hSortie + 4, lgConsole, 22);
}

void TCPUForm::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    PlaceControles();
    FLignePCVue = -2;
    SuitLignePC();
}

void TCPUForm::FermeFenetresOuvertes() {
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isWindow() && w->isVisible()) w->close();
}

void TCPUForm::closeEvent(QCloseEvent* e) {
    FermeFenetresOuvertes();
    QWidget::closeEvent(e);
}
