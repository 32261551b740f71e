// Going back in the machine's time. While the machine runs, snapshots of
// its records are kept at intervals of machine time (one in sixteen whole,
// the others as the compressed difference to the whole one before them),
// with the outside events since the oldest (keys, reset, interrupt) and the
// former content of every sector the floppy controller writes. A past
// instant is reached by putting back the nearest earlier snapshot and the
// sectors written since, then running forward to it with the events given
// again at their instants. Old snapshots are thinned out (every one of the
// last ten seconds, then only the whole ones) and the oldest dropped to stay
// within the memory given.
//
// Going forward from the past replays the recorded future until the host
// changes something (a key, a register, a byte, a disk): that future is then
// dropped and a new one recorded.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/ClicheMachine.h"
#include "core/Journal.h"
#include "core/RapportArret.h"
#include "disks/Lecteurs.h"

class TPoste;
class THorlogeMachine;

class TRetour : public IJournal, public IGardeLecteurs {
public:
    static constexpr uint64_t CapaciteDefaut = uint64_t(64) << 20;
    // Machine time between two snapshots, and how long every one is kept.
    static constexpr uint64_t IntervalleUs = 100'000;
    static constexpr uint64_t DenseUs = 10'000'000;
    static constexpr size_t Groupe = 16;

    // Follows the machine of `poste` from now on (it becomes its journal,
    // and the guard of its drives); `capacite` bytes at most. `hoteMuet`:
    // the runs forward go through a host that shows, posts and paces
    // nothing (beside the window, whose host does all three).
    TRetour(TPoste& poste, THorlogeMachine& horloge, uint64_t capacite = CapaciteDefaut, bool hoteMuet = false);
    ~TRetour() override;
    TRetour(const TRetour&) = delete;
    TRetour& operator=(const TRetour&) = delete;

    // The oldest instant that can be reached, and the latest one known (the
    // present, or the end of the recorded future when the machine is back).
    uint64_t Debut() const;
    uint64_t Fin() const { return FFin; }
    uint64_t Octets() const { return FOctets; }
    uint64_t Capacite() const { return FCapacite; }
    size_t NbInstantanes() const { return FInstantanes.size(); }
    // Machine time the history covers, in microseconds.
    uint64_t DureeUs() const;

    // Puts the machine at instant `instruction` (Debut() … Fin()), stopped
    // there. The drives the history leaves alone are said in `avis`.
    bool VaA(uint64_t instruction, std::vector<std::string>& avis, std::string& erreur);
    // The latest instant before the present of the machine where a
    // breakpoint or a watchpoint would stop a run, with its stop report.
    std::optional<std::pair<uint64_t, TRapportArret>> DernierArret();
    // The latest instant before the present where the machine was at the
    // same stack depth as now or above it (stepping back over a call).
    std::optional<uint64_t> AvantAppel();

    bool Touche(TMachine& m, uint16_t entree) override;
    void Raz(TMachine& m) override;
    void Int(TMachine& m) override;
    void Reprise(TMachine& m) override;
    void Frontiere(TMachine& m) override;
    void Suspension(TMachine& m) override;
    void AvantModification(TMachine& m) override;
    void ApresModification(TMachine& m) override;
    void AvantEcriture(int slot, int64_t debut, int64_t longueur) override;

private:
    enum class TGenre : uint8_t { Touche, Raz, Int };
    struct TEvenementRetour {
        uint64_t Instruction;
        TGenre Genre;
        uint16_t Entree;
    };
    struct TInstantane {
        uint64_t Instruction = 0;
        uint64_t TempsUs = 0;
        size_t NbEvenements = 0; // events before it (those of its instant included)
        size_t NbEcritures = 0;  // sector writes before it
        bool Complet = false;
        bool Hote = false; // taken after the host changed the machine: a forward run goes through it
        std::vector<uint8_t> Octets; // zstd of the records, or of their XOR with the whole one before
    };
    struct TEcriture {
        uint64_t Instruction;
        int Slot;
        uint64_t Changements; // the drive's outside changes then: the same image still in it
        int64_t Debut;
        std::vector<uint8_t> Avant;
    };

    TPoste& FPoste;
    THorlogeMachine& FHorloge;
    uint64_t FCapacite;
    bool FHoteMuet;
    uint64_t FOctets = 0;
    std::deque<TInstantane> FInstantanes;
    std::deque<TEvenementRetour> FEvenements;
    size_t FEvenementsOublies = 0; // dropped from the front: indexes stay those of the whole log
    std::deque<TEcriture> FEcritures;
    size_t FEcrituresOubliees = 0;
    std::vector<uint8_t> FComplet;  // the raw records of the last whole snapshot
    size_t FCurseur = 0;            // next event to give again (the log's end: the present)
    uint64_t FFin = 0;
    uint64_t FFinUs = 0; // machine time at FFin
    uint64_t FInstantVu = 0; // where the machine was last seen standing
    uint64_t FProchainUs = 0;
    bool FInterne = false;          // running forward inside VaA
    uint64_t FCible = UINT64_MAX;   // … up to this instant
    uint64_t FHoteFait = 0;         // the host's changes given again up to this instant
    bool FApplique = false;         // an event of the log is being given again
    int FModifications = 0;
    std::optional<TEmpreintes> FEmpreinteArret;
    std::array<uint64_t, NbLecteurs + 1> FChangements{};

    TMachine& M() const;
    bool DansLePasse() const { return FCurseur < FEvenements.size() + FEvenementsOublies || Present() < FFin; }
    uint64_t Present() const;
    void Note(TMachine& m, TGenre genre, uint16_t entree);
    void Prend(TMachine& m, bool hote = false);
    size_t ProchainHote(uint64_t apres) const; // an index, or the count when none
    bool Applique(size_t i, std::string& erreur);
    void Allege();
    bool OublieTete();
    void Branche(TMachine& m);
    void Recommence(TMachine& m);
    std::vector<uint8_t> Brut(size_t i) const;
    void PlaceRendezVous(TMachine& m, uint64_t cible) const;
    void DonneEvenements(TMachine& m);
    bool Avance(uint64_t cible, const std::function<bool(const TRapportArret&)>& surArret);
    bool Restaure(size_t i, std::vector<std::string>& avis, std::string& erreur);
};
