// The program's user manual (docs/manuel/, one Markdown file per chapter):
// the chapters in the order of its contents file, the headings of each one
// for the help window's contents list, and the search over its text, without
// regard to case or accents ("etat" finds "État").
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// A heading of a chapter (ATX form "## Titre", outside fenced code).
struct TTitreManuel {
    int Niveau = 1;     // 1 for "#"
    std::string Texte;  // without its marks nor its inline markup
    size_t Ligne = 0;   // line of the chapter, from 0
};

struct TChapitreManuel {
    std::string Fichier; // "disques.md"
    std::string Titre;   // its first heading, else the file name
    std::vector<TTitreManuel> Titres;
    std::vector<std::string> Lignes; // the text as read, line by line
};

// A section holding every word searched for.
struct TTrouvaille {
    size_t Chapitre = 0;
    int Titre = -1;       // rank of the section's heading in the chapter; -1 before the first one
    std::string Section;  // that heading's text (the chapter's title before the first one)
    std::string Extrait;  // the first line holding the first word, markup removed
    std::string Forme;    // that word as the line writes it, to select it in the text
};

// The files a contents file links to ("[Disques](disques.md)"), in its
// order, each once; links with a folder, an anchor or a scheme are left out.
std::vector<std::string> ChapitresDuSommaire(const std::string& sommaire);
// The headings of a Markdown text.
std::vector<TTitreManuel> TitresMarkdown(const std::string& texte);
// A line without its inline markup: `code`, **bold**, *em*, [link](target)
// and ![image](file) give their text; table bars stay.
std::string TexteSimple(const std::string& ligne);
// For comparisons: ASCII letters lower-cased, the accented Latin letters
// without their accent (œ gives oe), no-break spaces as spaces. `origines`,
// when given, receives for each byte of the result the offset of the byte
// of `s` it comes from.
std::string Replie(const std::string& s, std::vector<size_t>* origines = nullptr);

class TManuel {
public:
    // Adds a chapter, in reading order.
    void Ajoute(const std::string& fichier, const std::string& texte);
    const std::vector<TChapitreManuel>& Chapitres() const { return FChapitres; }
    // The chapter of that file; -1 when it is not in the manual.
    int Indice(const std::string& fichier) const;
    // The sections holding every word of `requete` (blank-separated), in
    // reading order; none for a query without words.
    std::vector<TTrouvaille> Cherche(const std::string& requete) const;

private:
    std::vector<TChapitreManuel> FChapitres;
    void ChercheDans(size_t chapitre, const std::vector<std::string>& mots, std::vector<TTrouvaille>& t) const;
};
