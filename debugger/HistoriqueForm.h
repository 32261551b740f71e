// The "Historique" window: the last instructions the processor ran, with
// the registers each one left (debugger/VuesSuivi.h); a double click shows
// the instruction's address in a code window.
#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>

class QLabel;
class QTreeWidget;
class TDebogueur;

class THistoriqueForm : public QWidget {
public:
    static constexpr uint32_t NbLignes = 1000;

    THistoriqueForm(TDebogueur& d, QWidget* parent);

    QLabel* LabelHistorique = nullptr;
    QTreeWidget* LVHistorique = nullptr;
    // The double click: the address and the bank of its fetch.
    std::function<void(uint16_t adresse, uint8_t banque)> SurAdresse;
    // The rows again when the processor has moved since they were made.
    void Affiche();

protected:
    void showEvent(QShowEvent* e) override;

private:
    TDebogueur& D;
    uint64_t FInstructions = UINT64_MAX;
};
