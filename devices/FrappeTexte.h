// Typing a text into the machine: each character (or key) goes through the
// keyboard translation and into the 12-entry queue, only when the queue has
// room for all the entries it gives, so that a long text is never cut.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/Machine.h"
#include "devices/TraductionClavier.h"

// The messages a text stands for. Escapes: \r and \n are the Return key,
// \t the Tab key, \\ a backslash, \xHH the character HH (0x0D, 0x09 and 0x08
// given so are the Return, Tab and Backspace keys). Other characters are
// character messages (UTF-8 text decoded). Returns an empty text, or the
// reason the text was refused.
std::string DecodeFrappe(const std::string& texte, std::vector<TMessageClavier>& messages);

// The messages of a text pasted or dropped on the screen (UTF-16, as the
// clipboard gives it): CR LF, CR and LF are one Return key, a tab the Tab key,
// other control characters are left out, every other character is a
// character message.
std::vector<TMessageClavier> MessagesDuTexte(const std::u16string& texte);

class TFrappeTexte {
public:
    explicit TFrappeTexte(std::vector<TMessageClavier> messages = {}) : FMessages(std::move(messages)) {}

    using TTraducteur = TTraduction (*)(const TMessageClavier&, const TContexteClavier&);

    // Pushes the pending messages, in order, while the queue has room for
    // all the entries of the next one; the keyboard mode is the machine's
    // current one. Messages the translation does not consume are skipped.
    // True while some remain.
    bool Alimente(TMachine& m, const TContexteClavier& contexte, TTraducteur traduit = TraduitMessageClavier);
    bool Fini() const { return FProchain >= FMessages.size(); }
    // Messages not yet typed.
    size_t Restants() const { return FMessages.size() - FProchain; }
    // One more message after the others (a key typed while the machine is
    // paused).
    void Ajoute(const TMessageClavier& msg) { FMessages.push_back(msg); }

private:
    std::vector<TMessageClavier> FMessages;
    size_t FProchain = 0;
};

// A text typed at the machine's own instants: given to the machine as its
// key source, it fills the queue when the software takes a key from it,
// queues the ready entry, or first polls the keyboard, and once when it is
// attached (Commence). With AttendPret, nothing goes in before the software
// has announced its keyboard mode (ClavierPret). How the run is cut into
// slices never changes when a key arrives.
class TSourceFrappe : public ISourceTouches {
public:
    TSourceFrappe(std::vector<TMessageClavier> messages, const TContexteClavier& contexte, bool attendPret)
        : FFrappe(std::move(messages)), FContexte(contexte), FAttendPret(attendPret) {}
    // The date of the keys that type it (F9), read when they are typed.
    std::function<THeureLocale()> Date;

    // Becomes the machine's key source and types what it can at once.
    void Commence(TMachine& m) {
        m.SourceTouches = this;
        Alimente(m);
    }
    void Alimente(TMachine& m) override;
    bool Fini() const { return FFrappe.Fini(); }
    size_t Restants() const { return FFrappe.Restants(); }
    // Typed after the rest, as the queue makes room (Alimente).
    void Ajoute(const TMessageClavier& msg) { FFrappe.Ajoute(msg); }

private:
    TFrappeTexte FFrappe;
    TContexteClavier FContexte;
    bool FAttendPret;
};
