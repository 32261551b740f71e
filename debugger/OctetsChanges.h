// The bytes of a memory view that changed since the last stop, as the
// memory windows colour them: at each refresh the window notes the view's
// 64 KB; when the processor has moved since the previous refresh, what was
// noted then (the bytes at the last stop, the user's edits included)
// becomes the reference, and a byte is changed when it differs from it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class TOctetsChanges {
public:
    using TLecteur = std::function<uint8_t(uint16_t)>;

    // A refresh: `instructions` is the machine's count now.
    void Note(uint64_t instructions, const TLecteur& lit);
    // The byte at `adresse`, now `valeur`, differs from the reference.
    bool Change(uint16_t adresse, uint8_t valeur) const;
    // What it was at the reference (only when there is one).
    std::optional<uint8_t> Avant(uint16_t adresse) const;
    // No reference any more (another view is shown): nothing is changed
    // until the processor moves again.
    void Oublie();

private:
    std::optional<uint64_t> FInstructions;
    std::vector<uint8_t> FNote, FAvant;
};
