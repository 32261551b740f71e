// What each drive light of the status bar shows: bright green while the
// drive reads, red while it writes or formats, held long enough for a person
// to see even at full speed; at rest, a dim light for a drive that holds a
// disk and none for an empty one. It follows the controller's counts of
// operations (TActiviteLecteurs), brought up to date by its owner at each
// activity and now and then.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "disks/ActiviteLecteurs.h"

enum class TAspectVoyant : uint8_t { Vide, Monte, Lecture, Ecriture };

class TVoyantsLecteurs {
public:
    // How long a light stays lit after the last operation it saw.
    static constexpr uint32_t TenueMs = 150;

    // The lights at tick `maintenant`: a drive whose count has moved since
    // the last call lights up for TenueMs from now. `disque(slot)` tells
    // whether slot 1…6 holds a disk.
    void Maj(const TActiviteLecteurs& activite, const std::function<bool(int)>& disque, uint32_t maintenant);
    TAspectVoyant Aspect(int slot) const;
    // Milliseconds until the next lit light goes back to rest; 0 when none is lit.
    uint32_t AvantRepos(uint32_t maintenant) const;

private:
    struct TVoyant {
        uint64_t Vues = 0;       // operations seen so far
        uint32_t Depuis = 0;     // tick of the last one seen
        bool Allume = false;
        bool Disque = false;
        TOperationLecteur Operation = TOperationLecteur::Lecture;
    };
    std::array<TVoyant, 6> FVoyants{};
};
