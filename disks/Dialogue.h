// What the disk tools ask of the user: boxes, a Yes/No question and the
// choice of a host folder. The disk manager answers with real dialogs; the
// command-line tool and the tests answer on their own.
#pragma once

#include <optional>
#include <string>
#include <vector>

class IDialogue {
public:
    virtual ~IDialogue() = default;
    // A box with an OK button: refusals and errors.
    virtual void Message(const std::string& texte) = 0;
    // Lines that belong together (the host files an import skipped, each
    // with its reason): one line each on the command line, one box in the
    // window.
    virtual void Messages(const std::vector<std::string>& lignes) {
        for (const std::string& l : lignes) Message(l);
    }
    // An information box (the summaries of the export and the import).
    virtual void Information(const std::string& texte) = 0;
    // Yes (true) or No.
    virtual bool Question(const std::string& texte) = 0;
    // A host folder, or nothing when the user cancels. `depart` is the
    // folder chosen last time (may be empty).
    virtual std::optional<std::string> ChoisitDossier(const std::string& titre,
                                                      const std::string& depart) = 0;
};

// Holds the summaries back until the change they sum up is in place: an
// import whose image could not be written afterwards must not have said
// "Fichier(s) importé(s) : N". Everything else passes at once.
class TDialogueDiffere : public IDialogue {
public:
    explicit TDialogueDiffere(IDialogue& d) : D(d) {}
    void Message(const std::string& texte) override { D.Message(texte); }
    void Messages(const std::vector<std::string>& lignes) override { D.Messages(lignes); }
    void Information(const std::string& texte) override { FInfos.push_back(texte); }
    bool Question(const std::string& texte) override { return D.Question(texte); }
    std::optional<std::string> ChoisitDossier(const std::string& titre, const std::string& depart) override {
        return D.ChoisitDossier(titre, depart);
    }
    // The summaries held back, now that the change is written.
    void Libere() {
        for (const std::string& i : FInfos) D.Information(i);
        FInfos.clear();
    }

private:
    IDialogue& D;
    std::vector<std::string> FInfos;
};
