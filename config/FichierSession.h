// A recorded session: the state the machine started from, the disk images
// it had, every event that reached it from outside stamped with the
// instruction (and T-state) count where it took effect, and fingerprints of
// the machine at each second of its time. File layout (see
// docs/enregistrement.md): the chunks of the state file under the magic
// "ZORVSESS", chunks INFO, ETAT (a whole state file), GCAR, IMAG, EVEN, CTRL,
// FIN.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "config/ClicheMachine.h"
#include "core/Hote.h"

constexpr uint16_t VersionFormatSession = 1;
constexpr uint64_t SansDureeFixe = UINT64_MAX; // no fixed time per instruction

struct TInfoSession {
    std::string Programme;              // "EmulZorv 2.2a"
    int64_t DateUnix = 0;               // start of the recording, seconds since 1970 (UTC)
    uint32_t HorlogeKHz = 3000;         // the processor clock the machine's time follows
    uint64_t NsParInstruction = SansDureeFixe;
    THeureLocale Origine{};             // the clock ports' local time when the machine's time was OrigineUs
    uint64_t OrigineUs = 0;
    int32_t TimeOutImpr = -1;           // printer time-out in seconds, -1 jobs ended by hand
    uint8_t TypeDsq12 = 0;              // drives 1 and 2: 0 800 Ko, 1 400 Ko
    uint64_t FinInstruction = 0;        // the instruction count where the recording stopped
    uint64_t FinCycles = 0;
    uint64_t IntervalleControleUs = 1'000'000; // machine time between two fingerprints
    bool operator==(const TInfoSession&) const = default;
};

// A drive's disk when the recording started (or when it changed).
struct TImageSession {
    bool Present = false;
    bool Protege = false;
    std::string Nom;            // the image's file name, for the messages
    std::vector<uint8_t> Octets;
    bool operator==(const TImageSession&) const = default;
};

enum class TTypeEvenement : uint8_t {
    Touche = 1,       // an entry pushed into the keyboard queue
    Raz = 2,          // the reset button
    Int = 3,          // the interrupt button
    Modification = 4, // records changed by the host (debugger, settings): a difference
    Disque = 5,       // a drive's disk inserted, ejected, protected or rewritten
    Reglages = 6,     // the clock or the printer's time-out changed
};

struct TEvenement {
    uint64_t Instruction = 0; // takes effect at the boundary after this many instructions
    uint64_t Cycles = 0;      // the T-state count then (for the reader; checked by the fingerprints)
    TTypeEvenement Type = TTypeEvenement::Touche;
    uint16_t Entree = 0;      // Touche
    uint8_t Slot = 0;         // Disque: 1…6
    TImageSession Image;      // Disque
    std::vector<uint8_t> Difference; // Modification (config/ClicheMachine.h)
    uint32_t HorlogeKHz = 0;  // Reglages
    uint64_t NsParInstruction = SansDureeFixe;
    int32_t TimeOutImpr = -1;
    bool operator==(const TEvenement&) const = default;
};

struct TControleSession {
    uint64_t Instruction = 0, Cycles = 0;
    uint64_t NbEvenements = 0; // events recorded before it (those of its instant may follow it)
    TEmpreintes Empreintes{};
    bool operator==(const TControleSession&) const = default;
};

struct TSession {
    TInfoSession Info;
    std::vector<uint8_t> Etat; // the starting state, a whole state file
    std::vector<uint8_t> GenCar; // the character generator's image the screen was drawn with
    std::array<TImageSession, 6> Images{}; // slots 1…6
    std::vector<TEvenement> Evenements;
    std::vector<TControleSession> Controles;
    uint16_t VersionFormat = VersionFormatSession;
    bool operator==(const TSession&) const = default;
};

std::vector<uint8_t> CodeSession(const TSession& s);
// The whole file checked: chunks, CRCs, the starting state, events in order
// and inside the recording, every difference well formed. False with a
// French message; `s` is then unspecified.
bool DecodeSession(const uint8_t* p, size_t n, TSession& s, std::string& erreur);
inline bool DecodeSession(const std::vector<uint8_t>& o, TSession& s, std::string& erreur) {
    return DecodeSession(o.data(), o.size(), s, erreur);
}
// The instruction count of the starting state (0 when it cannot be read).
uint64_t InstructionDeDepart(const TSession& s);

bool EcritSession(const TSession& s, const std::string& chemin, std::string& erreur);
bool LitSession(const std::string& chemin, TSession& s, std::string& erreur);
