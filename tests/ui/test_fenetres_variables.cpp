// The watch window and its dialog, the stack window, the converter and the
// code windows offscreen, opened from the CPU window's buttons on a
// workstation of the virtual clock. ZORV_CAPTURES=folder saves their
// pictures (variables.png, nouvelle-variable.png, pile.png, conversions.png,
// code.png).
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include "config/Poste.h"
#include "debugger/CPUForm.h"
#include "debugger/ConvertForm.h"
#include "debugger/DasmForm.h"
#include "debugger/EditAdresseQt.h"
#include "debugger/MessagesDebogueur.h"
#include "debugger/NouvVarForm.h"
#include "debugger/StackForm.h"
#include "debugger/VarForm.h"

namespace {

void Capture(QWidget* w, const char* nom) {
    const QString dossier = qEnvironmentVariable("ZORV_CAPTURES");
    if (!dossier.isEmpty()) w->grab().save(dossier + "/" + nom);
}

// The code windows of the CPU window (TDasmForm has no meta-object of its own).
std::vector<TDasmForm*> FenetresCode(QWidget* cpu) {
    std::vector<TDasmForm*> v;
    for (QWidget* w : cpu->findChildren<QWidget*>())
        if (auto* f = dynamic_cast<TDasmForm*>(w)) v.push_back(f);
    return v;
}

void Tape(QWidget* w, const QString& touches) {
    for (QChar c : touches) {
        QKeyEvent appui(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &appui);
    }
}

struct FenetresVariables : ::testing::Test {
    TPosteVirtuel poste{0x5A0E7u};
    TMachine& m = poste.Machine();
    TDebogueur& d = poste.Debogueur();
    std::unique_ptr<TCPUForm> cpu;
    void SetUp() override {
        m.InitMachine();
        m.ChoisitModele(0);
        // LXI SP,8000H / LXI B,1234H / PUSH B / SHLD 3000H / CALL 2100H
        const uint8_t code[] = {0x31, 0x00, 0x80, 0x01, 0x34, 0x12, 0xC5, 0x22, 0x00, 0x30, 0xCD, 0x00, 0x21};
        for (size_t i = 0; i < sizeof code; ++i) m.ZorvMem[0x2000 + i] = code[i];
        m.ZorvMem[0x12000] = 0x3E; // bank 1: MVI A,99H
        m.ZorvMem[0x12001] = 0x99;
        m.RegPC = 0x2000;
        m.RegSP = 0x8000;
        m.RegH = 0x56;
        m.RegL = 0x78;
        cpu = std::make_unique<TCPUForm>(d, nullptr);
        m.ChangeEtatCPU(CPUStop);
        m.SignaleEtatDuCPU(CPUStop);
        Pompe();
    }
    void Pompe() {
        for (int i = 0; i < 3; ++i) poste.HoteVirtuel.Pompe();
        QCoreApplication::processEvents();
    }
};

TEST_F(FenetresVariables, WatchWindowAddsModifiesAndColoursChanges) {
    ASSERT_TRUE(cpu->BtnAffVar->isEnabled());
    cpu->BtnAffVar->click();
    TVarForm* var = cpu->VarForm;
    ASSERT_TRUE(var->isVisible());
    EXPECT_EQ(var->windowTitle(), "Variables");
    EXPECT_EQ(var->LVVariables->headerItem()->text(3), "Contenu");
    var->PrepareMenu();
    EXPECT_TRUE(var->MINouvelle->isEnabled());
    EXPECT_FALSE(var->MIModifier->isEnabled());
    EXPECT_FALSE(var->MISupprimer->isEnabled());
    TNouvVarForm* dlg = var->NouvVarForm;
    // "Nouvelle variable": 3000H as a 16-bit pointer, typed and confirmed by Enter.
    QString titre;
    QTimer::singleShot(0, dlg, [&] {
        titre = dlg->windowTitle();
        EXPECT_EQ(dlg->EditAdresse->Edit()->geometry().topLeft(), QPoint(16, 35));
        EXPECT_EQ(dlg->EditAdresse->Edit()->width(), 120);
        EXPECT_TRUE(dlg->RBLogiciel->isChecked());
        EXPECT_TRUE(dlg->EditAdresse->Bouton()->isEnabled()); // the symbol picker
        Tape(dlg->EditAdresse->Edit(), "3 000"); // the blank is refused in single mode
        dlg->CBType->setCurrentIndex(2);
        Capture(dlg, "nouvelle-variable.png");
        dlg->BtnOK->click();
    });
    var->NouvelleVariable();
    EXPECT_EQ(titre, "Nouvelle variable");
    Pompe();
    ASSERT_EQ(var->LVVariables->topLevelItemCount(), 1);
    QTreeWidgetItem* ligne = var->LVVariables->topLevelItem(0);
    EXPECT_EQ(ligne->text(0), "3000H");
    EXPECT_EQ(ligne->text(1), "Banque logiciel");
    EXPECT_EQ(ligne->text(2), "Pointeur 16 bits");
    // A second one through the dialog: the fields kept their last values.
    QTimer::singleShot(0, dlg, [&] {
        EXPECT_EQ(dlg->CBType->currentIndex(), 2);
        dlg->EditAdresse->SetTexte("7FFE");
        dlg->BtnOK->click();
    });
    var->NouvelleVariable();
    Pompe();
    ASSERT_EQ(var->LVVariables->topLevelItemCount(), 2);
    // Modify the first: its fields fill the dialog; the row keeps its place.
    var->LVVariables->setCurrentItem(var->LVVariables->topLevelItem(0));
    var->PrepareMenu();
    EXPECT_TRUE(var->MIModifier->isEnabled());
    QTimer::singleShot(0, dlg, [&] {
        titre = dlg->windowTitle();
        EXPECT_EQ(dlg->EditAdresse->Texte(), "3000");
        EXPECT_EQ(dlg->CBType->currentIndex(), 2);
        dlg->CBType->setCurrentIndex(4);
        dlg->BtnOK->click();
    });
    var->ModifieVariable();
    EXPECT_EQ(titre, "Modifier la variable");
    Pompe();
    ASSERT_EQ(var->LVVariables->topLevelItemCount(), 2);
    EXPECT_EQ(var->LVVariables->topLevelItem(0)->text(2), "Valeur 64 bits");
    EXPECT_EQ(var->LVVariables->topLevelItem(1)->text(0), "7FFEH");
    // Steps: PUSH B writes 7FFEH, SHLD 3000H the first watch; a change is red.
    const QColor normal = var->LVVariables->topLevelItem(0)->foreground(3).color();
    for (int i = 0; i < 3; ++i) cpu->SBStep->click();
    Pompe();
    EXPECT_EQ(var->LVVariables->topLevelItem(1)->text(3), "1234H");
    EXPECT_EQ(var->LVVariables->topLevelItem(1)->foreground(3).color(), QColor(0xD0, 0, 0));
    EXPECT_EQ(var->LVVariables->topLevelItem(0)->foreground(3).color(), normal);
    cpu->SBStep->click();
    Pompe();
    EXPECT_EQ(var->LVVariables->topLevelItem(0)->text(3).left(6), "78 56 ");
    EXPECT_EQ(var->LVVariables->topLevelItem(0)->foreground(3).color(), QColor(0xD0, 0, 0));
    EXPECT_EQ(var->LVVariables->topLevelItem(1)->foreground(3).color(), normal);
    var->LVVariables->setCurrentItem(nullptr);
    Capture(var, "variables.png");
    var->LVVariables->setCurrentItem(var->LVVariables->topLevelItem(0));
    var->SupprimeVariable();
    EXPECT_EQ(var->LVVariables->topLevelItemCount(), 1);
    var->SupprimeTout();
    EXPECT_EQ(var->LVVariables->topLevelItemCount(), 0);
}

TEST_F(FenetresVariables, StackWindowFollowsTheSteps) {
    cpu->BtnAffPile->click();
    TStackForm* pile = cpu->StackForm;
    ASSERT_TRUE(pile->isVisible());
    EXPECT_EQ(pile->windowTitle(), "Pile du CPU");
    for (int i = 0; i < 3; ++i) cpu->SBStep->click(); // LXI SP / LXI B / PUSH B
    Pompe();
    ASSERT_EQ(pile->LVPile->topLevelItemCount(), 255);
    QTreeWidgetItem* haut = pile->LVPile->topLevelItem(0);
    EXPECT_EQ(haut->text(0), "7FFE");
    EXPECT_EQ(haut->text(3), "1234");
    EXPECT_EQ(haut->foreground(3).color(), QColor(0xD0, 0, 0));
    EXPECT_EQ(pile->LVPile->topLevelItem(254)->text(0), "81FA");
    Capture(pile, "pile.png");
}

// The stack moved while the window was closed: it opens with every row in
// black, and colours what the next step pushes.
TEST_F(FenetresVariables, StackWindowOpensWithoutRed) {
    m.RegSP = 0xCB4F;
    d.MajFenPile();
    Pompe();
    cpu->SBStep->click(); // LXI SP,8000H: every row new
    Pompe();
    cpu->BtnAffPile->click();
    Pompe();
    TStackForm* pile = cpu->StackForm;
    ASSERT_EQ(pile->LVPile->topLevelItemCount(), 255);
    EXPECT_EQ(pile->LVPile->topLevelItem(0)->text(0), "8000");
    const QColor rouge(0xD0, 0, 0);
    int rouges = 0;
    for (int i = 0; i < pile->LVPile->topLevelItemCount(); ++i)
        rouges += pile->LVPile->topLevelItem(i)->foreground(3).color() == rouge;
    EXPECT_EQ(rouges, 0);
    cpu->SBStep->click(); // LXI B
    cpu->SBStep->click(); // PUSH B
    Pompe();
    EXPECT_EQ(pile->LVPile->topLevelItem(0)->text(0), "7FFE");
    EXPECT_EQ(pile->LVPile->topLevelItem(0)->foreground(3).color(), rouge);
    EXPECT_NE(pile->LVPile->topLevelItem(1)->foreground(3).color(), rouge);
}

// The 8 bytes typed or pasted without blanks convert; a text that is not a
// number is refused with its reason, the other entry unchanged.
TEST_F(FenetresVariables, ConverterTakesUnspacedBytesAndRefusesTheRest) {
    TConvertForm* conv = cpu->ConvertForm;
    conv->show();
    conv->EditHex->selectAll();
    Tape(conv->EditHex, "40bb000000000000");
    EXPECT_EQ(conv->EditHex->text(), "40BB000000000000");
    conv->SBToFloat->click();
    EXPECT_EQ(conv->EditFloat->text(), "6912.00000000000000");
    EXPECT_TRUE(conv->LabelErreur->text().isEmpty());
    conv->EditHex->setText("40BB 0000 zz"); // pasted: past the key filter
    conv->SBToFloat->click();
    EXPECT_EQ(conv->EditFloat->text(), "6912.00000000000000");
    EXPECT_TRUE(conv->LabelErreur->text().startsWith(QString::fromUtf8("Valeur hexad\u00e9cimale illisible")))
        << conv->LabelErreur->text().toStdString();
    conv->EditFloat->setText("douze");
    conv->SBToHex->click();
    EXPECT_EQ(conv->EditHex->text(), "40BB 0000 zz");
    EXPECT_EQ(conv->LabelErreur->text(), QString::fromUtf8("Valeur flottante illisible : \u00ab douze \u00bb (par exemple -2.5E3)"));
    conv->EditFloat->setText("-2.5");
    conv->SBToHex->click();
    EXPECT_EQ(conv->EditHex->text(), "C0 04 00 00 00 00 00 00 ");
    EXPECT_TRUE(conv->LabelErreur->text().isEmpty());
    conv->BtnOK->click();
}

TEST_F(FenetresVariables, ConverterKeysAndConversions) {
    TConvertForm* conv = cpu->ConvertForm;
    EXPECT_EQ(conv->windowTitle(), QString::fromUtf8("Conversions hexad\u00e9cimal <-> flottant"));
    EXPECT_EQ(conv->EditFloat->text(), "0.0");
    conv->show();
    conv->EditFloat->selectAll();
    Tape(conv->EditFloat, "-2,5");
    EXPECT_EQ(conv->EditFloat->text(), "-2.5");
    conv->SBToHex->click();
    EXPECT_EQ(conv->EditHex->text(), "C0 04 00 00 00 00 00 00 ");
    // A ninth group cannot be typed.
    conv->EditHex->end(false);
    Tape(conv->EditHex, "1");
    EXPECT_EQ(conv->EditHex->text(), "C0 04 00 00 00 00 00 00 ");
    conv->EditHex->selectAll();
    Tape(conv->EditHex, "40 09 21 fb 54 44 2d 18");
    EXPECT_EQ(conv->EditHex->text(), "40 09 21 FB 54 44 2D 18");
    conv->SBToFloat->click();
    EXPECT_EQ(conv->EditFloat->text(), "3.14159265358979");
    // 1, E, - : the minus is refused; 1, E, 5, then a minus before the 5.
    conv->EditFloat->selectAll();
    Tape(conv->EditFloat, "1e-");
    EXPECT_EQ(conv->EditFloat->text(), "1E");
    Tape(conv->EditFloat, "5");
    conv->EditFloat->setCursorPosition(2);
    Tape(conv->EditFloat, "-x");
    EXPECT_EQ(conv->EditFloat->text(), "1E-5");
    conv->SBToHex->click();
    Capture(conv, "conversions.png");
    // Large values are not cut by the entry's length.
    conv->EditHex->setText("7F EF FF FF FF FF FF FF");
    conv->SBToFloat->click();
    EXPECT_GT(conv->EditFloat->text().size(), 300);
    conv->BtnOK->click();
    EXPECT_FALSE(conv->isVisible());
}

TEST_F(FenetresVariables, CodeWindowsListBanksAndFollowTheModel) {
    cpu->BtnAffCode->click();
    cpu->BtnAffCode->click();
    const auto fenetres = FenetresCode(cpu.get());
    ASSERT_EQ(fenetres.size(), 2u);
    ASSERT_EQ(d.FenCode.size(), 2u);
    TDasmForm* code = fenetres[0];
    EXPECT_EQ(code->windowTitle(), "Affichage de code");
    EXPECT_EQ(code->EditAdresse->Texte(), "0000 01FF");
    EXPECT_TRUE(code->EditAdresse->Bouton()->isEnabled());
    EXPECT_EQ(code->EditAdresse->Edit()->geometry(), QRect(16, 34, 284, 21));
    code->EditAdresse->SetTexte("2000 2007");
    code->Fenetre().Activation();
    ASSERT_GE(code->LBCode->count(), 3);
    EXPECT_TRUE(code->LBCode->item(0)->text().startsWith(QString::fromUtf8("  \u25BA")));
    EXPECT_EQ(code->LBCode->palette().color(QPalette::Base), QColor(0xDE, 0xEF, 0xF5));
    code->RBData->click();
    EXPECT_TRUE(code->LBCode->item(0)->text().contains("MVI  A,99H"));
    EXPECT_EQ(code->LBCode->palette().color(QPalette::Base), QColor(0xE9, 0xFC, 0xE9));
    EXPECT_EQ(code->LBCode->font().family(), "Courier New");
    code->resize(420, 330);
    Capture(code, "code.png");
    // Another model: the CPU window forwards 0x420 with 0.
    m.ChoisitModele(6);
    poste.HoteVirtuel.PosteMessage(TMessage{MsgBanques, d.FenCPU(), 0, 0});
    Pompe();
    EXPECT_TRUE(code->RBCPU->isChecked());
    EXPECT_FALSE(code->RBData->isEnabled());
    EXPECT_FALSE(code->LBCode->item(0)->text().contains("MVI"));
    // Running disables the window; closing removes it from FenCode.
    d.ActiveFenetres(false);
    Pompe();
    EXPECT_FALSE(code->LBCode->isEnabled());
    EXPECT_FALSE(code->EditAdresse->Actif());
    d.ActiveFenetres(true);
    m.ChoisitModele(0);
    poste.HoteVirtuel.PosteMessage(TMessage{MsgBanques, d.FenCPU(), 1, 0});
    Pompe();
    EXPECT_TRUE(code->RBData->isEnabled());
    d.ActiveFenetres(false);
    Pompe();
    EXPECT_FALSE(code->RBData->isEnabled());
    code->close();
    Pompe();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(d.FenCode.size(), 1u);
    EXPECT_EQ(FenetresCode(cpu.get()).size(), 1u);
}

} // namespace
