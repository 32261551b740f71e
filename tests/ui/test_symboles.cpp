// The symbol and breakpoint dialogs of the CPU window, offscreen, on a
// workstation of the virtual clock. ZORV_CAPTURE_DIR=folder saves pictures
// of the dialogs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>

#include "config/Poste.h"
#include "debugger/CPUForm.h"
#include "debugger/Debogueur.h"
#include "debugger/EditAdresseQt.h"
#include "debugger/PtArrForm.h"
#include "debugger/SymbForm.h"

namespace {

struct DialoguesSymboles : ::testing::Test {
    std::unique_ptr<TPosteVirtuel> poste = std::make_unique<TPosteVirtuel>(0x5A0E7u);
    TMachine& m = poste->Machine();
    TDebogueur& D = poste->Debogueur();
    std::unique_ptr<TCPUForm> cpu;
    std::vector<QString> messages;
    void SetUp() override {
        m.InitMachine();
        m.ChangeEtatCPU(CPUStop);
        m.SignaleEtatDuCPU(CPUStop);
        cpu = std::make_unique<TCPUForm>(D, nullptr);
        cpu->show();
        Pompe();
        const auto note = [this](const QString& t) { messages.push_back(t); };
        cpu->SymbForm->Message = note;
        cpu->SymbForm->NouvSymbForm->Message = note;
        cpu->PtArrForm->Message = note;
        cpu->PtArrForm->NouvPtArrForm->Message = note;
    }
    void TearDown() override { cpu.reset(); }
    void Pompe() {
        poste->HoteVirtuel.Pompe();
        QCoreApplication::processEvents();
    }
    static void Tape(QLineEdit* e, const QString& texte) {
        for (QChar c : texte) {
            QKeyEvent k(QEvent::KeyPress, c == '\r' ? Qt::Key_Return : Qt::Key_A, Qt::NoModifier,
                        c == '\r' ? QString("\r") : QString(c));
            QApplication::sendEvent(e, &k);
        }
    }
    static void Capture(QWidget* w, const char* nom) {
        if (const QByteArray dossier = qgetenv("ZORV_CAPTURE_DIR"); !dossier.isEmpty())
            w->grab().save(QString::fromLocal8Bit(dossier) + "/" + nom);
    }
};

TEST_F(DialoguesSymboles, PickingASymbolListsItsRangeInTheCPUWindow) {
    D.Symboles = {{"DEBUT", 0x0100}, {"ECRAN", 0x4000}};
    ASSERT_TRUE(cpu->EdtAdr->Bouton()->isEnabled());
    ASSERT_TRUE(cpu->BtnSymb->isEnabled());
    bool vuEditeur = false;
    QTimer::singleShot(0, cpu.get(), [&] {
        TSymbForm* s = cpu->SymbForm;
        vuEditeur = s->FEditeur != nullptr && s->LVSymb->topLevelItemCount() == 2 &&
                    s->LVSymb->topLevelItem(1)->text(1) == "4000H";
        s->LVSymb->setCurrentItem(s->LVSymb->topLevelItem(1));
        s->BtnOK->click();
    });
    cpu->EdtAdr->Bouton()->click();
    EXPECT_TRUE(vuEditeur);
    EXPECT_EQ(cpu->SymbForm->FEditeur, nullptr);
    EXPECT_EQ(cpu->EdtAdr->Edit()->text(), "4000 41FF");
    EXPECT_EQ(D.DebDasm, 0x4000);
    EXPECT_EQ(D.FinDasm, 0x41FF);
    // Cancelled: nothing changes, and the dialog forgets its entry.
    QTimer::singleShot(0, cpu.get(), [&] {
        cpu->SymbForm->LVSymb->setCurrentItem(cpu->SymbForm->LVSymb->topLevelItem(0));
        cpu->SymbForm->BtnAnnuler->click();
    });
    cpu->EdtAdr->Bouton()->click();
    EXPECT_EQ(cpu->SymbForm->FEditeur, nullptr);
    EXPECT_EQ(D.DebDasm, 0x4000);
    // Opened by "Symboles", a double click picks nothing.
    QTimer::singleShot(0, cpu.get(), [&] {
        TSymbForm* s = cpu->SymbForm;
        emit s->LVSymb->itemDoubleClicked(s->LVSymb->topLevelItem(0), 0);
        vuEditeur = s->isVisible();
        s->BtnOK->click();
    });
    cpu->BtnSymb->click();
    EXPECT_TRUE(vuEditeur);
    EXPECT_EQ(D.DebDasm, 0x4000);
}

TEST_F(DialoguesSymboles, LoadAddSortAndDeleteSymbols) {
    TSymbForm* s = cpu->SymbForm;
    const auto dossier = std::filesystem::temp_directory_path() / ("zorv-symbf-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dossier);
    const auto fichier = dossier / "liste.txt";
    std::ofstream(fichier) << "Debut 0100\nBOUCLE 0105 FIN 0110\nX Y\nAPRES 0200\n";
    s->ChoisitFichier = [&] { return QString::fromStdString(fichier.string()); };
    s->MajListView();
    s->MICharger->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages.back(), QString::fromUtf8("3 symboles ajout\u00e9s"));
    ASSERT_EQ(s->LVSymb->topLevelItemCount(), 3);
    // A file that is not there: nothing at all.
    s->ChoisitFichier = [&] { return QString::fromStdString((dossier / "absent.txt").string()); };
    s->MICharger->trigger();
    EXPECT_EQ(messages.size(), 1u);

    // The add dialog: the name goes upper case as it is typed, and is
    // refused when a symbol of that name exists whatever its case.
    TNouvSymbForm* n = s->NouvSymbForm;
    n->EditNom->clear();
    n->EditAdr->clear();
    n->EditNom->setFocus();
    Tape(n->EditNom, "debut-1");
    EXPECT_EQ(n->EditNom->text(), "DEBUT1");
    n->EditNom->setText("DEBUT");
    Tape(n->EditAdr, "2g0");
    EXPECT_EQ(n->EditAdr->text(), "20");
    Capture(n, "ajout-symbole.png");
    n->BtnOK->click();
    EXPECT_EQ(messages.back(), QString::fromUtf8("Le symbole DEBUT Existe d\u00e9j\u00e0"));
    n->EditNom->setText("AUSSI");
    n->EditAdr->clear();
    n->BtnOK->click();
    s->MajListView();
    ASSERT_EQ(s->LVSymb->topLevelItemCount(), 4);
    EXPECT_EQ(s->LVSymb->topLevelItem(3)->text(1), "0000H");

    // Column clicks sort the list itself.
    emit s->LVSymb->header()->sectionClicked(1);
    EXPECT_EQ(s->LVSymb->topLevelItem(0)->text(0), "AUSSI");
    EXPECT_EQ(D.Symboles[3].Nom, "FIN");
    emit s->LVSymb->header()->sectionClicked(0);
    EXPECT_EQ(s->LVSymb->topLevelItem(1)->text(0), "BOUCLE");
    EXPECT_EQ(s->LVSymb->topLevelItem(2)->text(0), "Debut");
    Capture(s, "symboles.png");

    // Delete: nothing without a selection, then the selected row.
    s->LVSymb->clearSelection();
    s->MISupprimer->trigger();
    EXPECT_EQ(D.Symboles.size(), 4u);
    s->LVSymb->setCurrentItem(s->LVSymb->topLevelItem(2));
    s->MISupprimer->trigger();
    ASSERT_EQ(D.Symboles.size(), 3u);
    EXPECT_EQ(D.Symboles[2].Nom, "FIN");
    s->MIEffacer->trigger();
    EXPECT_TRUE(D.Symboles.empty());
    EXPECT_EQ(s->LVSymb->topLevelItemCount(), 0);
    std::filesystem::remove_all(dossier);
}

TEST_F(DialoguesSymboles, TheConditionBoxIsAsWideAsTheAddDialogsEntry) {
    // "Condition du point d'arrêt…" asks in a box of its own: its entry
    // shows as much of a condition as the add dialog's.
    TPtArrForm* p = cpu->PtArrForm;
    m.TblPtArret[0x2000] = 1;
    p->MajListe();
    p->LVPtArr->setCurrentItem(p->LVPtArr->topLevelItem(0));
    int largeur = -1;
    QTimer::singleShot(0, cpu.get(), [&] {
        QWidget* boite = QApplication::activeModalWidget();
        if (!boite) return;
        if (auto* e = boite->findChild<QLineEdit*>()) {
            largeur = e->width();
            e->setText("A = 5");
        }
        boite->close();
    });
    QString condition = "B = 1";
    p->DemandeCondition(condition);
    EXPECT_GE(largeur, p->NouvPtArrForm->EditCondition->width());
}

TEST_F(DialoguesSymboles, BreakpointListAddDeleteConditionsAndWatchpoints) {
    TPtArrForm* p = cpu->PtArrForm;
    D.Symboles = {{"SOUS", 0x2010}};
    m.TblPtArret[0x2010] = 1; // as by a double click in the listing
    TNouvPtArrForm* n = p->NouvPtArrForm;
    EXPECT_FALSE(n->EdtAdr->Intervalle());
    n->EdtAdr->Edit()->setFocus();
    Tape(n->EdtAdr->Edit(), "12 345");
    EXPECT_EQ(n->EdtAdr->Edit()->text(), "12345"); // no blank in single mode
    n->BtnOK->click();
    n->BtnOK->click(); // twice: one entry
    EXPECT_EQ(m.TblPtArret[0xFFFF], 1);
    p->MajListe();
    ASSERT_EQ(p->LVPtArr->topLevelItemCount(), 2);
    EXPECT_EQ(p->LVPtArr->topLevelItem(0)->text(0), "2010H");
    EXPECT_EQ(p->LVPtArr->topLevelItem(0)->text(1), "SOUS");
    EXPECT_EQ(p->LVPtArr->topLevelItem(1)->text(0), "FFFFH");

    // A condition typed with the address; a malformed one is refused.
    n->EdtAdr->SetTexte("2020");
    n->EditCondition->setText("A = ");
    n->BtnOK->click();
    EXPECT_EQ(m.TblPtArret[0x2020], 0);
    EXPECT_TRUE(messages.back().startsWith("condition incorrecte"));
    n->EditCondition->setText("[SOUS] = 0C9H OR B > 2");
    Capture(n, "ajout-point-arret.png");
    n->BtnOK->click();
    EXPECT_EQ(m.TblPtArret[0x2020], 1);
    p->MajListe();
    ASSERT_EQ(p->LVPtArr->topLevelItemCount(), 3);
    EXPECT_EQ(p->LVPtArr->topLevelItem(1)->text(2), "[SOUS] = 0C9H OR B > 2");
    // Changed from the menu.
    p->DemandeCondition = [](QString& t) {
        t = "HL <> 0";
        return true;
    };
    p->LVPtArr->setCurrentItem(p->LVPtArr->topLevelItem(1));
    p->MICondition->trigger();
    EXPECT_EQ(p->LVPtArr->topLevelItem(1)->text(2), "HL <> 0");

    // Watchpoints in their own group.
    TNouvSurvForm* w = p->NouvSurvForm;
    w->EdtDebut->SetTexte("3000");
    w->EdtFin->SetTexte("30FF");
    w->CBAcces->setCurrentIndex(0);
    w->CBMemoire->setCurrentIndex(2);
    w->BtnOK->click();
    Capture(w, "ajout-surveillance.png");
    w->EdtDebut->SetTexte("2800");
    w->EdtFin->Edit()->setFocus();
    w->EdtFin->Edit()->clear();
    Tape(w->EdtFin->Edit(), "\r"); // an empty end turned into 0000: before the start, one byte
    w->CBAcces->setCurrentIndex(2);
    w->CBMemoire->setCurrentIndex(0);
    w->BtnOK->click();
    p->MajListe();
    ASSERT_EQ(p->LVSurv->topLevelItemCount(), 2);
    EXPECT_EQ(p->LVSurv->topLevelItem(0)->text(1), "30FFH");
    EXPECT_EQ(p->LVSurv->topLevelItem(0)->text(2), QString::fromUtf8("\u00e9criture"));
    EXPECT_EQ(p->LVSurv->topLevelItem(0)->text(3), "data");
    EXPECT_EQ(p->LVSurv->topLevelItem(1)->text(1), "2800H");
    EXPECT_TRUE(m.SondeMemoire);
    // The access that stopped the processor shows under the watchpoints.
    EXPECT_FALSE(D.Sondes.Ecriture(0x3000, 0, 0x12, 0x34, 0x0105)); // bank 0: not watched
    EXPECT_TRUE(D.Sondes.Ecriture(0x3000, 1, 0x12, 0x34, 0x0105));
    p->MajListe();
    EXPECT_EQ(p->LabelDeclenchement->text(),
              QString::fromUtf8("Dernier arrêt : écriture de 3000H (12H → 34H) par 0105H"));
    p->show();
    Capture(p, "points-arret.png");
    p->hide();

    // Delete with no selection does nothing; with one, the listing follows.
    D.ListeDasm(0x2010, 0x2010);
    p->LVPtArr->clearSelection();
    p->MISupprimer->trigger();
    EXPECT_EQ(p->LVPtArr->topLevelItemCount(), 3);
    p->LVPtArr->setCurrentItem(p->LVPtArr->topLevelItem(0));
    p->MISupprimer->trigger();
    EXPECT_EQ(m.TblPtArret[0x2010], 0);
    EXPECT_EQ(p->LVPtArr->topLevelItemCount(), 2);
    EXPECT_FALSE(D.Lignes()[0].Texte.starts_with("\u25A0"));
    p->LVSurv->setCurrentItem(p->LVSurv->topLevelItem(0));
    p->MISupprimerSurv->trigger();
    p->LVSurv->setCurrentItem(p->LVSurv->topLevelItem(0));
    p->MISupprimerSurv->trigger();
    EXPECT_FALSE(m.SondeMemoire);
}

} // namespace
