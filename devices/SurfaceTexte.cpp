#include "devices/SurfaceTexte.h"

#include "devices/Imprimante.h"
#include "devices/JeuCaracteres.h"

bool TSurfaceTexte::DebutDocument() {
    FPage.clear();
    return true;
}

void TSurfaceTexte::FinDocument() {
    VidePage();
    ++FNbDocuments;
}

int TSurfaceTexte::LargeurTexte(const std::string& texte) {
    int n = 0;
    for (size_t i = 0; i < texte.size(); i = CaractereUtf8Suivant(texte, i)) ++n;
    return n * Pas();
}

void TSurfaceTexte::DessineTexte(int x, int y, const std::string& texte) {
    const int pas = Pas();
    int colonne = (x - MargePixels(Ppp, 5) + pas / 2) / pas;
    if (colonne < 0) colonne = 0;
    std::vector<std::string>& ligne = FPage[y];
    for (size_t i = 0; i < texte.size(); ++colonne) {
        const size_t j = CaractereUtf8Suivant(texte, i);
        if (ligne.size() <= size_t(colonne)) ligne.resize(size_t(colonne) + 1, " ");
        ligne[size_t(colonne)] = texte.substr(i, j - i);
        i = j;
    }
}

void TSurfaceTexte::VidePage() {
    for (const auto& [y, ligne] : FPage) {
        for (const std::string& c : ligne) FTexte += c;
        FTexte += '\n';
    }
    FPage.clear();
}
