// What the disk tools ask of the user: boxes, a Yes/No question and the
// choice of a host folder. The disk manager answers with real dialogs; the
// command-line tool and the tests answer on their own.
#pragma once

#include <optional>
#include <string>

class IDialogue {
public:
    virtual ~IDialogue() = default;
    // A box with an OK button: refusals and errors.
    virtual void Message(const std::string& texte) = 0;
    // An information box (the summaries of the export and the import).
    virtual void Information(const std::string& texte) = 0;
    // Yes (true) or No.
    virtual bool Question(const std::string& texte) = 0;
    // A host folder, or nothing when the user cancels. `depart` is the
    // folder chosen last time (may be empty).
    virtual std::optional<std::string> ChoisitDossier(const std::string& titre,
                                                      const std::string& depart) = 0;
};
