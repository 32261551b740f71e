#include "debugger/Desassembleur.h"

#include <cstdio>

#include "debugger/JeuInstructions.h"

TSourceDasm SourceMachine(const TMachine& m, uint8_t banque, const TListeSymboles& symboles) {
    TSourceDasm src;
    src.Lit = [&m, banque](uint16_t a) { return m.ReadMem(a, banque); };
    src.PtArret = &m.TblPtArret;
    src.PC = m.RegPC;
    src.Symboles = &symboles;
    return src;
}

namespace {

std::string Etiquette(const TSourceDasm& src, uint16_t adresse, bool modeBulle) {
    std::string nom = src.Symboles ? NomSymbole(*src.Symboles, adresse) : std::string();
    if (!modeBulle) nom = AbregeSymbole(nom);
    size_t n = NbCaracteres(nom);
    if (n < 8) nom.append(8 - n, ' ');
    return nom;
}

std::string Hexa(unsigned v, int chiffres) {
    char t[8];
    std::snprintf(t, sizeof t, "%.*X", chiffres, v);
    return t;
}

// Bytes field (10 characters) and operand text of the instruction.
void CorpsInstruction(const TSourceDasm& src, uint16_t adresse, uint8_t op, int lg,
                      std::string& octets, std::string& operation) {
    operation = MnemoDasm[op];
    octets = Hexa(op, 2);
    if (lg == 2) {
        uint8_t v = src.Lit(uint16_t(adresse + 1));
        octets += ' ' + Hexa(v, 2);
        operation += Hexa(v, 2) + 'H';
    } else if (lg == 3) {
        uint8_t bas = src.Lit(uint16_t(adresse + 1));
        uint8_t haut = src.Lit(uint16_t(adresse + 2));
        uint16_t v = uint16_t(haut << 8 | bas);
        octets += ' ' + Hexa(bas, 2) + ' ' + Hexa(haut, 2);
        std::string nom = src.Symboles ? NomSymbole(*src.Symboles, v) : std::string();
        operation += nom.empty() ? Hexa(v, 4) + 'H' : nom;
    }
    octets.resize(10, ' ');
}

} // namespace

TLigneDasm LigneDasm(const TSourceDasm& src, uint16_t adresse, bool modeBulle) {
    uint8_t op = src.Lit(adresse);
    int lg = LgInstr[op];
    std::string octets, operation;
    CorpsInstruction(src, adresse, op, lg, octets, operation);
    std::string corps = Etiquette(src, adresse, modeBulle) + "  " + Hexa(adresse, 4) + "  " +
                        octets + operation;
    if (modeBulle) return {corps, lg};
    bool pt = src.PtArret && ((*src.PtArret)[adresse] & 1);
    bool pc = src.PC == adresse;
    std::string marques = std::string(pt ? "\u25A0" : " ") + " " + (pc ? "\u25BA" : " ") + " ";
    return {marques + corps, lg};
}

TLigneDasm LigneDasm(const TMachine& m, const TListeSymboles& symboles, uint16_t adresse,
                     uint8_t banque, bool modeBulle) {
    return LigneDasm(SourceMachine(m, banque, symboles), adresse, modeBulle);
}

std::vector<TLigneListing> Dasm(const TSourceDasm& src, int32_t debut, int32_t fin,
                                bool modeBulle) {
    std::vector<TLigneListing> lignes;
    if (fin > 0xFFFF) fin = 0xFFFF;
    for (int32_t a = debut < 0 ? 0 : debut; a <= fin;) {
        TLigneDasm l = LigneDasm(src, uint16_t(a), modeBulle);
        lignes.push_back({std::move(l.Texte), uint16_t(a)});
        a += l.Longueur;
    }
    return lignes;
}

std::vector<TLigneListing> Dasm(const TMachine& m, const TListeSymboles& symboles,
                                int32_t debut, uint8_t banque, int32_t fin) {
    return Dasm(SourceMachine(m, banque, symboles), debut, fin);
}
