// The drive lights: the floppy controller tells the drive table's observers
// of every sector read, sector write and format it performs; the tracker
// keeps each drive's light on for a moment a person can see.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

enum class TOperationLecteur : uint8_t { Lecture, Ecriture, Formatage };

class IObservateurLecteurs {
public:
    virtual ~IObservateurLecteurs() = default;
    // The controller has just read, written or formatted the disk of `slot`
    // (1…6). Called inside the IN instruction that ran the command.
    virtual void ActiviteLecteur(int slot, TOperationLecteur operation) = 0;
};

class TActiviteLecteurs : public IObservateurLecteurs {
public:
    // How long a light stays on after the last operation.
    static constexpr uint32_t DureeAllumageMs = 100;

    // The millisecond tick count the lights are timed with.
    std::function<uint32_t()> Horloge;
    // Called after each operation (the status bar refreshes its lights).
    std::function<void()> SurActivite;

    void ActiviteLecteur(int slot, TOperationLecteur operation) override;

    // The light of `slot` at tick `maintenant`.
    bool Allume(int slot, uint32_t maintenant) const;
    // The last operation of `slot` (meaningful once it has had one).
    TOperationLecteur DerniereOperation(int slot) const;
    uint64_t NbOperations(int slot) const;
    // Milliseconds until the next lit light goes out; 0 when none is lit.
    uint32_t AvantExtinction(uint32_t maintenant) const;

private:
    struct TLumiere {
        uint32_t Instant = 0;
        uint64_t Nombre = 0;
        TOperationLecteur Operation = TOperationLecteur::Lecture;
    };
    std::array<TLumiere, 7> FLumieres{}; // [1…6]
    static bool EstSlot(int slot) { return slot >= 1 && slot <= 6; }
};
