#include "debugger/CPUForm.h"
#include "debugger/ControlesQt.h"

#include <algorithm>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QToolTip>

#include "debugger/Console.h"
#include "debugger/DispositionQt.h"
#include "debugger/EditAdresseQt.h"
#include "debugger/HexDataForm.h"
#include "debugger/PtArrForm.h"
#include "debugger/SymbForm.h"
#include "debugger/SaisieRegistre.h"
#include "debugger/TexteArret.h"

namespace {

constexpr int Largeur = 680, Hauteur = 470;
constexpr int Droite = 368; // left edge of the register column
// The console pane under the documented part (CPUConsoleForm.cpp): the
// window's full height at its smallest.
constexpr int HauteurTotale = Hauteur + 20 + 110 + 4 + 22 + 10;
// The PC line's background, apart from the user's selection.
const QColor CouleurLignePC(0xFF, 0xF2, 0xA8);

QFont FonteListing() {
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setPixelSize(11);
    return f;
}

QColor Couleur(TCouleurRGB c) { return QColor(c.R, c.G, c.B); }

QLabel* Panneau(QWidget* parent, int x, int y, int l) {
    auto* p = new QLabel(parent);
    p->setGeometry(x, y, l, 22);
    p->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    p->setAlignment(Qt::AlignCenter);
    p->setAutoFillBackground(true);
    return p;
}

void Colore(QWidget* w, QPalette::ColorRole role, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::Active, role, c);
    p.setColor(QPalette::Inactive, role, c);
    p.setColor(QPalette::Disabled, role, c);
    w->setPalette(p);
}

} // namespace

void TMyHintWindow::Installe() {
    QToolTip::setFont(FonteListing());
    QPalette p = QToolTip::palette();
    p.setColor(QPalette::ToolTipBase, QApplication::palette().color(QPalette::ToolTipBase));
    QToolTip::setPalette(p);
}

TCPUForm::TCPUForm(TDebogueur& debogueur, QWidget* parent) : QWidget(parent, Qt::Dialog), D(debogueur) {
    setWindowTitle(QStringLiteral("Debugger"));
    setMinimumSize(Largeur, HauteurTotale);
    resize(Largeur, HauteurTotale);
    Disposition = new TDispositionFenetres(this);
    SuitFenetre(this, TGenreFenetre::CPU);
    CreeListing();
    CreeRegistres();
    CreeDrapeaux();
    CreePanneaux();
    CreeBoutons();
    CreeConsole();
    CreeRaccourcis();
    TMyHintWindow::Installe();
    CreeDialoguesSymboles();
    CreeFenetresAuxiliaires(); // their address entries find the symbol picker
    CreeSuivi();
    D.SurAffichage = [this] { Affiche(); };
    Affiche();
}

TCPUForm::~TCPUForm() {
    Disposition->EnregistreOuvertes();
    if (FSuitExecution) D.Suivi.RetireClient();
    FConsole.reset(); // it gives the debugger's run request back
    D.SurAffichage = nullptr;
    D.ChoisitSymbole = nullptr;
}

void TCPUForm::CreeDialoguesSymboles() {
    D.ChoisitSymbole = [this](TSaisieAdresse& editeur) { SymbForm->Choisit(editeur); };
    SymbForm = new TSymbForm(D, this);
    PtArrForm = new TPtArrForm(D, this);
    connect(BtnPtArr, &QPushButton::clicked, this, [this] {
        PtArrForm->exec();
        D.MajFenCode();
        D.MajFenPile();
    });
    connect(BtnSymb, &QPushButton::clicked, this, [this] {
        SymbForm->exec();
        D.ReDasmDebug();
        D.MajFenCode();
        D.MajFenPile();
    });
}

void TCPUForm::CreeListing() {
    Etiquette(this, QStringLiteral("Adresses de d\u00e9but et de fin du code (hexa)"), 18, 14);
    // The edit box and its "Symbole" button share the listing's width.
    EdtAdr = new TEditAdresse(this, &D);
    EdtAdr->SetGauche(18);
    EdtAdr->SetHaut(34);
    EdtAdr->SetLargeur(332 - 75);
    EdtAdr->SetOnAdrChange([this] { D.ListeDasm(EdtAdr->Adr1(), EdtAdr->Adr2()); });
    LBDasm = new QListWidget(this);
    LBDasm->setGeometry(18, 62, 332, Hauteur - 62 - 14);
    LBDasm->setFont(FonteListing());
    LBDasm->setUniformItemSizes(true);
    LBDasm->setMouseTracking(true);
    LBDasm->viewport()->installEventFilter(this);
    LBDasm->setAutoFillBackground(true);
    connect(LBDasm, &QListWidget::currentRowChanged, this, [this](int ligne) { D.ChoisitLigne(ligne); });
    connect(LBDasm, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { D.BasculePtArretLigne(LBDasm->row(item)); });
    // The context menu works on the line under the pointer, chosen first.
    LBDasm->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(LBDasm, &QListWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        if (QListWidgetItem* item = LBDasm->itemAt(p)) LBDasm->setCurrentItem(item);
        MenuListing->popup(LBDasm->viewport()->mapToGlobal(p));
    });
}

void TCPUForm::CreeRegistres() {
    Etiquette(this, QStringLiteral("Registres et flags du CPU"), Droite, 14);
    // SP PC / H L / D E / B C / A, a label before each entry.
    for (int r = 0; r < NbRegistresCPU; ++r) {
        const int col = r % 2, rang = r / 2;
        const int x = Droite + col * 140, y = 36 + rang * 26;
        Etiquette(this, QString::fromLatin1(NomRegistre(TRegistreCPU(r))), x, y + 3);
        auto* e = new QLineEdit(this);
        e->setGeometry(x + 26, y, LargeurRegistre(TRegistreCPU(r)) == 2 ? 80 : 56, 22);
        e->installEventFilter(this);
        connect(e, &QLineEdit::textChanged, this,
                [this, r](const QString& t) { D.ChangeTexteRegistre(TRegistreCPU(r), t.toStdString()); });
        EditReg[size_t(r)] = e;
    }
}

void TCPUForm::CreeDrapeaux() {
    struct TDef {
        QCheckBox** Boite;
        const char* Nom;
        TDrapeauCPU Bit;
    };
    const TDef defs[] = {{&CBFlagS, "S", drS}, {&CBFlagZ, "Z", drZ}, {&CBFlagAC, "AC", drAC},
                         {&CBFlagP, "P", drP}, {&CBFlagCY, "CY", drCY}};
    int x = Droite;
    for (const TDef& d : defs) {
        auto* b = new QCheckBox(QString::fromLatin1(d.Nom), this);
        b->setGeometry(x, 170, 52, 22);
        connect(b, &QCheckBox::toggled, this, [this, bit = d.Bit](bool leve) { D.ChangeDrapeau(bit, leve); });
        *d.Boite = b;
        x += 56;
    }
}

void TCPUForm::CreePanneaux() {
    Etiquette(this, QStringLiteral("PC pr\u00e9c\u00e9dent"), Droite, 200);
    Etiquette(this, QStringLiteral("Mode 128K"), Droite + 96, 200);
    Etiquette(this, QStringLiteral("Commut."), Droite + 192, 200);
    PanelPCPrec = Panneau(this, Droite, 218, 84);
    Panel128K = Panneau(this, Droite + 96, 218, 84);
    PanelCommut = Panneau(this, Droite + 192, 218, 84);
    PanelEtat = Panneau(this, Droite, 250, 293);
    QFont f = PanelEtat->font();
    f.setBold(true);
    PanelEtat->setFont(f);
}

void TCPUForm::CreeBoutons() {
    auto bouton = [this](const QString& texte, const QString& bulle, int x, int y, int l) {
        auto* b = new QToolButton(this);
        b->setText(texte);
        b->setToolTip(bulle);
        b->setGeometry(x, y, l, 28);
        b->setFocusPolicy(Qt::NoFocus);
        QFont f = b->font();
        f.setPixelSize(11);
        b->setFont(f);
        return b;
    };
    const int l = 41;
    SBReset = bouton(QStringLiteral("RAZ"), QStringLiteral("Remise \u00e0 z\u00e9ro"), Droite, 284, l);
    SBRun = bouton(QStringLiteral("Lance"), QStringLiteral("Lance le processeur (F5)"), Droite + 42, 284, l);
    SBPause = bouton(QStringLiteral("Pause"), QStringLiteral("Arr\u00eate le processeur (F6)"), Droite + 84, 284, l);
    SBStep = bouton(QStringLiteral("Pas"), QStringLiteral("Pas \u00e0 pas (maintenir pour r\u00e9p\u00e9ter) (F7)"),
                    Droite + 126, 284, l);
    SBStepOver = bouton(QStringLiteral("Passe"), QStringLiteral("Pas \u00e0 pas en passant les CALL (F8)"),
                        Droite + 168, 284, l);
    SBRunTo = bouton(QStringLiteral("Jusqu'\u00e0"), QStringLiteral("Lance jusqu'\u00e0 la ligne choisie (F4)"),
                     Droite + 210, 284, l);
    SBJumpToPC = bouton(QStringLiteral("\u25BA PC"), QStringLiteral("Montre le PC dans le listing"),
                        Droite + 252, 284, l);
    // Under the state panel, each button as wide as its caption plus an
    // equal share of what is left, so that "Jusqu'à" is not cut.
    QToolButton* rang[] = {SBReset, SBRun, SBPause, SBStep, SBStepOver, SBRunTo, SBJumpToPC};
    constexpr int LargeurRang = 293, Ecart = 1, NbRang = 7;
    int texte = 0;
    for (QToolButton* b : rang) texte += b->fontMetrics().horizontalAdvance(b->text());
    const int marge = std::max(0, LargeurRang - (NbRang - 1) * Ecart - texte);
    int x = Droite;
    for (int i = 0; i < NbRang; ++i) {
        const int reste = i == NbRang - 1 ? Droite + LargeurRang - x
                                          : rang[i]->fontMetrics().horizontalAdvance(rang[i]->text()) +
                                                marge / NbRang + (i < marge % NbRang ? 1 : 0);
        rang[i]->setGeometry(x, 284, reste, 28);
        x += reste + Ecart;
    }
    SBStepOut = bouton(QStringLiteral("Sortie"),
                       QStringLiteral("Lance jusqu'au retour de la routine en cours (Maj+F8)"), Droite + 233, 318, 60);
    // Going back in the machine's time, beside the forward ones.
    SBRecule = bouton(QStringLiteral("\u25C4"), QStringLiteral("Revient d'une instruction en arri\u00e8re (Maj+F7)"),
                      Droite + 121, 318, 36);
    SBRecule->setEnabled(false);
    SBReculePasse = bouton(QStringLiteral("\u25C4\u25C4"),
                           QStringLiteral("Revient d'une instruction en passant par-dessus un CALL (Ctrl+F8)"),
                           Droite + 158, 318, 36);
    SBReculeJusqua = bouton(QStringLiteral("\u25C4|"),
                            QStringLiteral("Revient au dernier point d'arr\u00eat ou de surveillance atteint (Maj+F5)"),
                            Droite + 195, 318, 36);
    SBDec = bouton(QStringLiteral("D\u00e9c."), QStringLiteral("Registres en d\u00e9cimal"), Droite, 318, 60);
    SBHex = bouton(QStringLiteral("Hexa"), QStringLiteral("Registres en hexad\u00e9cimal"), Droite + 60, 318, 60);
    for (QToolButton* b : {SBDec, SBHex}) b->setCheckable(true);
    auto* groupe = new QButtonGroup(this);
    groupe->addButton(SBDec);
    groupe->addButton(SBHex);
    SBHex->setChecked(true);
    connect(SBReset, &QToolButton::clicked, this, [this] { D.Raz(); });
    connect(SBRun, &QToolButton::clicked, this, [this] { D.Lance(); });
    connect(SBPause, &QToolButton::clicked, this, [this] { D.Pause(); });
    connect(SBStep, &QToolButton::pressed, this, [this] { D.AppuiPas(); });
    connect(SBStep, &QToolButton::released, this, [this] { D.RelachePas(); });
    connect(SBStep, &QToolButton::clicked, this, [this] { D.Pas(); });
    connect(SBStepOver, &QToolButton::clicked, this, [this] { D.PasseAuDessus(); });
    connect(SBRunTo, &QToolButton::clicked, this, [this] { JusquALigne(); });
    connect(SBStepOut, &QToolButton::clicked, this, [this] { D.Sort(); });
    connect(SBRecule, &QToolButton::clicked, this, [this] { Recule("recule"); });
    connect(SBReculePasse, &QToolButton::clicked, this, [this] { Recule("recule-passe"); });
    connect(SBReculeJusqua, &QToolButton::clicked, this, [this] { Recule("recule-jusqua"); });
    connect(SBJumpToPC, &QToolButton::clicked, this, [this] { D.SuitPC(); });
    connect(SBDec, &QToolButton::clicked, this, [this] { D.ChoisitDecimal(true); });
    connect(SBHex, &QToolButton::clicked, this, [this] { D.ChoisitDecimal(false); });
    // The windows they open come with their own parts of the debugger.
    const QString noms[] = {QStringLiteral("Donn\u00e9es"), QStringLiteral("Code"), QStringLiteral("Variables"),
                            QStringLiteral("Pile"), QStringLiteral("Points arr\u00eat"), QStringLiteral("Symboles"),
                            QStringLiteral("Conversions")};
    QPushButton** boutons[] = {&BtnAffData, &BtnAffCode, &BtnAffVar, &BtnAffPile, &BtnPtArr, &BtnSymb, &BtnHexFloat};
    for (int i = 0; i < 7; ++i) {
        auto* b = new QPushButton(noms[i], this);
        b->setGeometry(Droite + (i % 2) * 140, 356 + (i / 2) * 28, 136, 24);
        b->setEnabled(false);
        *boutons[i] = b;
    }
    // "Données": another memory window at each click, owned by this window.
    connect(BtnAffData, &QPushButton::clicked, this, [this] {
        auto* w = new THexDataForm(D, this);
        SuitFenetre(w, TGenreFenetre::Donnees);
        w->show();
    });
}

// --- Display -----------------------------------------------------------------

// While the window shows, the debugger has a user: its history and its
// "who wrote this" follow the execution (a minimised window still shows).
void TCPUForm::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!e->spontaneous() && !FSuitExecution) {
        D.Suivi.AjouteClient();
        FSuitExecution = true;
    }
    AfficheRegistres();
    Affiche();
}

void TCPUForm::hideEvent(QHideEvent* e) {
    QWidget::hideEvent(e);
    if (!e->spontaneous() && FSuitExecution) {
        D.Suivi.RetireClient();
        FSuitExecution = false;
    }
}

void TCPUForm::Affiche() {
    if (D.PrendRegistresAAfficher()) AfficheRegistres();
    AfficheListing();
    AfficheControles();
    AfficheChangements();
    AfficheSuivi();
}

void TCPUForm::AfficheRegistres() {
    D.CanChange = false;
    for (int r = 0; r < NbRegistresCPU; ++r) {
        const QString t = QString::fromStdString(D.TexteRegistre(TRegistreCPU(r)));
        if (EditReg[size_t(r)]->text() != t) EditReg[size_t(r)]->setText(t);
    }
    const TRegistresCPU regs = TInspection(D).Registres();
    CBFlagS->setChecked(regs.Drapeau(drS));
    CBFlagZ->setChecked(regs.Drapeau(drZ));
    CBFlagAC->setChecked(regs.Drapeau(drAC));
    CBFlagP->setChecked(regs.Drapeau(drP));
    CBFlagCY->setChecked(regs.Drapeau(drCY));
    PanelPCPrec->setText(QString::fromStdString(D.TextePCPrec()));
    Panel128K->setText(QString::fromStdString(D.Texte128K()));
    PanelCommut->setText(QString::fromStdString(D.TexteCommut()));
    SBDec->setChecked(D.Decimal);
    SBHex->setChecked(!D.Decimal);
    D.CanChange = true;
}

void TCPUForm::AfficheListing() {
    const auto& lignes = D.Lignes();
    const QSignalBlocker bloque(LBDasm);
    if (FGeneration != D.Generation()) {
        FGeneration = D.Generation();
        LBDasm->setUpdatesEnabled(false);
        LBDasm->clear();
        for (const TLigneListing& l : lignes) {
            auto* item = new QListWidgetItem(QString::fromStdString(l.Texte));
            item->setData(Qt::UserRole, int(l.Adresse));
            LBDasm->addItem(item);
        }
        LBDasm->setUpdatesEnabled(true);
    } else {
        for (int i = 0; i < LBDasm->count() && i < int(lignes.size()); ++i) {
            const QString t = QString::fromStdString(lignes[size_t(i)].Texte);
            if (LBDasm->item(i)->text() != t) LBDasm->item(i)->setText(t);
        }
    }
    const int pc = D.LignePC();
    for (int i = 0; i < LBDasm->count(); ++i) {
        QListWidgetItem* item = LBDasm->item(i);
        const bool estPC = i == pc && D.Controles().Listing;
        if ((item->background().style() != Qt::NoBrush) != estPC)
            item->setBackground(estPC ? QBrush(CouleurLignePC) : QBrush());
    }
    if (LBDasm->currentRow() != D.LigneChoisie()) LBDasm->setCurrentRow(D.LigneChoisie());
    SuitLignePC();
    if (FTexteAdresses != D.TexteAdresses()) {
        FTexteAdresses = D.TexteAdresses();
        EdtAdr->SetTexte(FTexteAdresses);
    }
}

void TCPUForm::AfficheControles() {
    const TEtatControles& c = D.Controles();
    const QPalette systeme = QApplication::palette();
    const QColor menu = systeme.color(QPalette::Button);
    LBDasm->setEnabled(c.Listing);
    const auto fond = D.CouleurListing();
    Colore(LBDasm, QPalette::Base, fond ? Couleur(*fond) : menu);
    if (EdtAdr->Actif() != c.Adresses) EdtAdr->SetActif(c.Adresses);
    BtnPtArr->setEnabled(c.BoutonsFenetres);
    BtnSymb->setEnabled(c.BoutonsFenetres);
    for (QLineEdit* e : EditReg) {
        e->setEnabled(c.Registres);
        Colore(e, QPalette::Base, c.Registres ? systeme.color(QPalette::Base) : menu);
    }
    for (QCheckBox* b : {CBFlagP, CBFlagAC, CBFlagCY, CBFlagZ, CBFlagS}) b->setEnabled(c.Drapeaux);
    SBRun->setEnabled(c.Run);
    SBStep->setEnabled(c.Step);
    SBStepOver->setEnabled(c.StepOver);
    SBStepOut->setEnabled(c.StepOver);
    AfficheRecul();
    SBRunTo->setEnabled(c.RunTo);
    SBJumpToPC->setEnabled(c.JumpToPC);
    SBDec->setEnabled(c.DecHex);
    SBHex->setEnabled(c.DecHex);
    SBPause->setEnabled(c.Pause);
    SBReset->setEnabled(c.Reset);
    BtnAffData->setEnabled(c.BoutonsFenetres);
    ActiveBoutonsFenetres(c.BoutonsFenetres);
    const QColor encre = c.Panneaux ? systeme.color(QPalette::WindowText)
                                    : systeme.color(QPalette::Disabled, QPalette::WindowText);
    for (QLabel* p : {PanelPCPrec, Panel128K, PanelCommut}) Colore(p, QPalette::WindowText, encre);
    const TPanneauEtat& etat = D.PanneauEtat();
    PanelEtat->setText(QString::fromStdString(etat.Texte));
    Colore(PanelEtat, QPalette::Window, Couleur(etat.Fond));
    Colore(PanelEtat, QPalette::WindowText, Couleur(etat.Encre));
}

void TCPUForm::Arret(const TRapportArret& rapport) {
    if (!ArretAnnonce(rapport)) return;
    FTexteArret = TexteRapportArret(rapport, D.Sondes);
    PanelEtat->setToolTip(QString::fromStdString(FTexteArret));
}

// --- Keys and the mouse over the listing ---------------------------------------

bool TCPUForm::FiltreTouche(QLineEdit* entree, int registre, const QString& texte) {
    if (texte.size() != 1) return false;
    const QChar q = texte.at(0);
    if ((q.unicode() < 0x20 && q.unicode() != 0x08) || q.unicode() == 0x7F) return false; // Enter, Tab, Delete…
    const char touche = q.unicode() < 0x80 ? FiltreToucheRegistre(char(q.unicode()), D.Decimal) : 0;
    if (touche == 0) return true; // dropped
    if (touche == '\b') return false;
    const int debut = entree->hasSelectedText() ? entree->selectionStart() : entree->cursorPosition();
    const int longueur = entree->hasSelectedText() ? int(entree->selectedText().size()) : 0;
    if (SaisieValide(entree->text().toStdString(), debut, longueur, touche,
                     LargeurRegistre(TRegistreCPU(registre)), D.Decimal))
        entree->insert(QString(QChar(touche)));
    return true;
}

bool TCPUForm::eventFilter(QObject* objet, QEvent* e) {
    if (objet == EditConsole && e->type() == QEvent::KeyPress) return ToucheConsole(static_cast<QKeyEvent*>(e));
    if (e->type() == QEvent::KeyPress) {
        for (int r = 0; r < NbRegistresCPU; ++r)
            if (objet == EditReg[size_t(r)])
                return FiltreTouche(EditReg[size_t(r)], r, static_cast<QKeyEvent*>(e)->text());
    }
    if (objet == LBDasm->viewport()) {
        if (e->type() == QEvent::MouseMove) {
            const QPoint p = static_cast<QMouseEvent*>(e)->position().toPoint();
            const QListWidgetItem* item = LBDasm->itemAt(p);
            if (D.SurvolLigne(item ? LBDasm->row(item) : -1)) QToolTip::hideText();
        } else if (e->type() == QEvent::ToolTip) {
            auto* aide = static_cast<QHelpEvent*>(e);
            const QListWidgetItem* item = LBDasm->itemAt(aide->pos());
            const std::string texte = item ? D.BulleLigne(LBDasm->row(item)) : std::string();
            if (texte.empty())
                QToolTip::hideText();
            else
                QToolTip::showText(aide->globalPos(), QString::fromStdString(texte), LBDasm->viewport());
            return true;
        }
    }
    return QWidget::eventFilter(objet, e);
}
