// The 8085 interpreter with the machine's bank logic: every memory cycle of an
// instruction goes to bank 0 or bank 1 according to the bank-select byte that
// the bank-decode PROM gives for the opcode in the current instruction set.
//
// A slice runs with the registers, the program counter and the T-state count
// in locals, and memory reached through a map of 4 KB pages built from the
// memory switch and the RAM limit. Everything that leaves the interpreter
// (ports, a write into ROM or video RAM, HLT, a breakpoint) first stores the
// locals into the machine record and reloads them afterwards, so whatever
// runs there sees and may change the machine exactly as between two
// instructions.
#include "core/Processeur.h"

#include <type_traits>

#include "core/Machine.h"

namespace {

constexpr uint8_t FlagS = 0x80, FlagZ = 0x40, FlagAC = 0x10, FlagP = 0x04, FlagCY = 0x01;
constexpr uint8_t Bit1 = 0x02;

constexpr std::array<uint8_t, 256> ConstruitTableSZP() {
    std::array<uint8_t, 256> t{};
    for (int v = 0; v < 256; ++v) {
        int bits = 0;
        for (int b = 0; b < 8; ++b) bits += (v >> b) & 1;
        t[v] = uint8_t((v & 0x80 ? FlagS : 0) | (v == 0 ? FlagZ : 0) | (bits % 2 == 0 ? FlagP : 0));
    }
    return t;
}

// The 8085's T-states, not-taken figures for the conditional jumps, calls
// and returns. The opcodes without a mnemonic count as the fetch of the
// bytes they skip (4, 7 or 10).
constexpr std::array<uint8_t, 256> ConstruitEtats() {
    std::array<uint8_t, 256> t{};
    for (int op = 0; op < 256; ++op) {
        const bool memoire = (op & 7) == 6; // source M (low bits)
        const bool destM = ((op >> 3) & 7) == 6;
        uint8_t n = 4;
        if (op < 0x40) {
            switch (op & 7) {
            case 1: n = 10; break;                                      // DAD, LXI
            case 2: n = (op == 0x22 || op == 0x2A) ? 16 : (op >= 0x30 ? 13 : 7); break; // SHLD LHLD STA LDA LDAX STAX
            case 3: n = 6; break;                                       // INX, DCX
            case 4: case 5: n = destM ? 10 : 4; break;                  // INR, DCR
            case 6: n = destM ? 10 : 7; break;                          // MVI
            default: n = 4; break;                                      // NOP RIM SIM rotates DAA CMA STC CMC
            }
            if (op == 0x28 || op == 0x38) n = 7;                        // two bytes skipped
        } else if (op < 0x80) {
            n = op == 0x76 ? 5 : ((memoire || destM) ? 7 : 4);          // HLT, MOV
        } else if (op < 0xC0) {
            n = memoire ? 7 : 4;                                        // ALU
        } else {
            switch (op & 7) {
            case 0: n = 6; break;                                       // Rcc (12 taken)
            case 1: n = op == 0xC9 ? 10 : (op == 0xE9 || op == 0xF9) ? 6 : op == 0xD9 ? 4 : 10; break;
            case 2: n = 7; break;                                       // Jcc (10 taken)
            case 3:
                n = 4;                                                  // XCHG DI EI, CB
                if (op == 0xC3) n = 10;                                 // JMP
                if (op == 0xD3 || op == 0xDB) n = 10;                   // OUT, IN
                if (op == 0xE3) n = 16;                                 // XTHL
                break;
            case 4: n = 9; break;                                       // Ccc (18 taken)
            case 5: n = op == 0xCD ? 18 : op == 0xED ? 4 : (op == 0xDD || op == 0xFD) ? 10 : 12; break;
            case 6: n = 7; break;                                       // immediate ALU
            default: n = 12; break;                                     // RST
            }
        }
        t[size_t(op)] = n;
    }
    return t;
}

// What a taken conditional adds: Jcc 7 → 10, Ccc 9 → 18, Rcc 6 → 12.
constexpr std::array<uint8_t, 256> ConstruitEtatsPris() {
    std::array<uint8_t, 256> t{};
    for (int op = 0xC0; op < 0x100; ++op) {
        if ((op & 7) == 0) t[size_t(op)] = 6;
        if ((op & 7) == 2) t[size_t(op)] = 3;
        if ((op & 7) == 4) t[size_t(op)] = 9;
    }
    return t;
}

constexpr std::array<uint8_t, 256> Etats = ConstruitEtats();
constexpr std::array<uint8_t, 256> EtatsPris = ConstruitEtatsPris();

} // namespace

const std::array<uint8_t, 256> TableSZP = ConstruitTableSZP();
const std::array<uint8_t, 256> EtatsInstruction = Etats;
const std::array<uint8_t, 256> EtatsSiPris = EtatsPris;

namespace {

// Reads of RAM above the model's limit.
constexpr std::array<uint8_t, 0x1000> PageAbsente = [] {
    std::array<uint8_t, 0x1000> p{};
    p.fill(0xFF);
    return p;
}();

// The sixteen 4 KB pages of each bank as the processor sees them (index
// bank × 16 + page), and the bank-select bytes of the instruction set in
// force. A write page is null where the write is not a plain store: ROM
// (refused with a message), video RAM (repaint), absent RAM.
struct TPages {
    std::array<const uint8_t*, 32> Lecture{};
    std::array<uint8_t*, 32> Ecriture{};
    // Complemented bank-select byte of each opcode: bit n-1 set when cycle n
    // goes to bank 1.
    std::array<uint8_t, 256> Select{};
    unsigned Fetch = 0; // page offset of the opcode fetch: 16 in bank-1 mode
    uint8_t SelMem = 0;
    uint16_t MaxAdrRam = 0;
    bool Valide = false;
    uint16_t AdrBanque = 0;
    uint8_t CodeJeuInst = 0;
    bool SelectValide = false;

    void ConstruitPages(TMachine& m) {
        SelMem = m.SelMem;
        MaxAdrRam = m.MaxAdrRam;
        Valide = true;
        const bool ram = (SelMem & 0x80) != 0;
        for (unsigned b = 0; b < 2; ++b) {
            for (unsigned p = 0; p < 16; ++p) {
                const size_t i = b * 16 + p;
                uint8_t* const page = &m.ZorvMem[(b << 16) | (p << 12)];
                const bool presente = p * 0x1000u + 0xFFFu <= MaxAdrRam;
                if (p < 2 && !ram) {
                    Lecture[i] = p == 1 ? m.RamTv.data() : (SelMem == 0 ? m.Rom9512.data() : m.RomBoot.data());
                    Ecriture[i] = nullptr;
                } else if (presente || p < 2) {
                    Lecture[i] = page;
                    Ecriture[i] = page;
                } else {
                    Lecture[i] = PageAbsente.data();
                    Ecriture[i] = nullptr;
                }
            }
        }
    }
    // The PROM image is read at the start of every slice; within the slice,
    // again whenever the instruction set changes. The memory switch and the
    // RAM limit are looked at whenever something outside has run.
    [[gnu::always_inline]] bool AJour(const TMachine& m, bool pages) const {
        return SelectValide && m.AdrBanque == AdrBanque && m.CodeJeuInst == CodeJeuInst &&
               (!pages || (Valide && m.SelMem == SelMem && m.MaxAdrRam == MaxAdrRam));
    }
    [[gnu::noinline]] void Actualise(TMachine& m, bool pages) {
        if (pages && (!Valide || m.SelMem != SelMem || m.MaxAdrRam != MaxAdrRam)) ConstruitPages(m);
        if (SelectValide && m.AdrBanque == AdrBanque && m.CodeJeuInst == CodeJeuInst) return;
        SelectValide = true;
        AdrBanque = m.AdrBanque;
        CodeJeuInst = m.CodeJeuInst;
        const bool banque1 = CodeJeuInst == 0xD0;
        Fetch = banque1 ? 16 : 0;
        const uint8_t inverse = banque1 ? 0x00 : 0xFF;
        const unsigned base = AdrBanque;
        const uint8_t* const prom = m.Rom128K.data();
        if (base <= 0x1000 - 256) {
            for (unsigned op = 0; op < 256; ++op) Select[op] = uint8_t(prom[base + op] ^ inverse);
        } else {
            for (unsigned op = 0; op < 256; ++op) Select[op] = uint8_t(prom[(base + op) & 0xFFF] ^ inverse);
        }
    }
};

// The page map is exact when the RAM limit ends a page at or above 0x1FFF
// (every model's does).
bool PagesExactes(const TMachine& m) { return (m.MaxAdrRam & 0xFFF) == 0xFFF && m.MaxAdrRam >= 0x1FFF; }

// Memory paths, chosen once per slice. The page map is the machine's own;
// the record's ReadMem/WriteMem serve any other RAM limit (and are where
// probes on memory accesses belong).
struct TCheminPages {
    static constexpr bool Pages = true, RamSeule = false, RamHaute = false;
    static bool Convient(const TMachine& m) { return PagesExactes(m); }
};
// All 64 KB of both banks are RAM (memory switch on RAM, no RAM limit): no
// look-up at all.
struct TCheminRam {
    static constexpr bool Pages = false, RamSeule = true, RamHaute = false;
    static bool Convient(const TMachine& m) { return (m.SelMem & 0x80) && m.MaxAdrRam == 0xFFFF; }
};
// The usual running state: ROM and video RAM over the first 8 KB, RAM
// everywhere above (no RAM limit). Above 0x2000 an access goes straight to
// the bank; only the two overlay pages are looked up in the page map.
struct TCheminRamHaute {
    static constexpr bool Pages = true, RamSeule = false, RamHaute = true;
    static bool Convient(const TMachine& m) { return !(m.SelMem & 0x80) && m.MaxAdrRam == 0xFFFF; }
};
struct TCheminMachine {
    static constexpr bool Pages = false, RamSeule = false, RamHaute = false;
    static bool Convient(const TMachine&) { return true; }
};
// The debugger watches memory: the record's own access, every data access
// reported to its probe. Taken only while the probe asks for it.
struct TCheminSonde {
    static constexpr bool Pages = false, RamSeule = false, RamHaute = false, Sonde = true;
    static bool Convient(const TMachine& m) { return m.Sonde && m.SondeMemoire; }
};
template <class TChemin>
constexpr bool EstSonde = requires { TChemin::Sonde; };

// The debugger's tools follow the execution (TMachine::Suivi): the same
// memory path, with every instruction written to the journal and every data
// access to the access tables.
template <class TBase>
struct TSuivi : TBase {
    static constexpr bool Suivi = true;
    static bool Convient(const TMachine& m) { return m.Suivi && TBase::Convient(m); }
};
template <class TChemin>
constexpr bool EstSuivi = requires { TChemin::Suivi; };

// What a followed slice keeps: the record it follows for (taken once: a
// tool switched off meanwhile ends the slice, its record stays), the
// journal entry of the instruction under way (which holds, until the
// instruction has run, the low byte of the T-state count before it).
struct TEnCours {
    TSuiviExecution* S = nullptr;
    TPasExecute *Pas = nullptr, *Fin = nullptr;
};
struct TRien {};

// Hands the journal to its reader.
[[gnu::noinline]] void VideJournal(TSuiviExecution& s, uint64_t dernier) {
    if (s.Nombre > 0 && s.Lecteur) s.Lecteur->Recoit(s.Journal, s.Nombre, dernier);
    s.Nombre = 0;
}

// What the interpreter keeps in locals during a slice.
struct TRegs {
    uint8_t A = 0, B = 0, C = 0, D = 0, E = 0, H = 0, L = 0, F = 0;
    uint16_t SP = 0, PC = 0;
    uint16_t Pc0 = 0;  // address of the instruction being executed (MemPC)
    uint16_t Prec = 0; // last completed instruction (PCPrec)
    uint64_t Cycles = 0;
    uint32_t Faites = 0; // instructions of the slice done before this one
};

[[gnu::always_inline]] inline void Pose(TMachine& m, const TRegs& r) {
    m.RegA = r.A, m.RegB = r.B, m.RegC = r.C, m.RegD = r.D;
    m.RegE = r.E, m.RegH = r.H, m.RegL = r.L, m.RegPSW = r.F;
    m.RegSP = r.SP;
    m.RegPC = r.PC;
    m.MemPC = r.Pc0;
    m.PCPrec = r.Prec;
    m.NbCycles = r.Cycles;
    m.FaitesTranche = r.Faites;
}

// Everything but the program counter, which belongs to the instruction
// under way.
[[gnu::always_inline]] inline TRegs Reprend(const TMachine& m, uint16_t pc) {
    TRegs r;
    r.A = m.RegA, r.B = m.RegB, r.C = m.RegC, r.D = m.RegD;
    r.E = m.RegE, r.H = m.RegH, r.L = m.RegL, r.F = m.RegPSW;
    r.SP = m.RegSP;
    r.PC = pc;
    r.Pc0 = m.MemPC;
    r.Prec = m.PCPrec;
    r.Cycles = m.NbCycles;
    return r;
}

// The ways out of the interpreter, kept out of line. The registers go by
// value so that the slice's own copies stay in processor registers.
[[gnu::noinline]] TRegs EcritLent(TMachine& m, TRegs r, uint16_t a, uint8_t b, uint8_t d) {
    Pose(m, r);
    m.WriteMem(a, b, d);
    return Reprend(m, r.PC);
}

struct TRegsEtOctet {
    TRegs R;
    uint8_t V;
};

[[gnu::noinline]] TRegsEtOctet EntreePort(TMachine& m, TRegs r, uint8_t port) {
    Pose(m, r);
    const uint8_t v = m.PortIn(port, r.A);
    return {Reprend(m, r.PC), v};
}

[[gnu::noinline]] TRegs SortiePort(TMachine& m, TRegs r, uint8_t port) {
    Pose(m, r);
    m.PortOut(port, r.A);
    return Reprend(m, r.PC);
}

[[gnu::noinline]] TRegs Halte(TMachine& m, TRegs r) {
    Pose(m, r);
    m.SignaleEtatDuCPU(CPUHalt);
    m.ChangeEtatCPU(CPUHalt);
    return Reprend(m, r.PC);
}

// The flags of RegPC stop the run before the instruction.
[[gnu::noinline]] TRegs ArretDrapeau(TMachine& m, TRegs r, TCauseArret cause) {
    m.CauseDrapeau = cause;
    Pose(m, r);
    m.ChangeEtatCPU(CPUStop);
    return Reprend(m, m.RegPC);
}

// The condition of a permanent breakpoint, asked of the probe with the
// registers in the record.
[[gnu::noinline]] bool ArretPermisParSonde(TMachine& m, const TRegs& r) {
    Pose(m, r);
    return m.Sonde->ArretPermis(r.PC);
}

void AccepteInterruption(TMachine& m);

// Between two instructions, after something outside ran: the interrupt.
[[gnu::noinline]] TRegs Evenements(TMachine& m, TRegs r) {
    Pose(m, r);
    if (m.BasculeInt && m.DemandeInt) AccepteInterruption(m);
    return Reprend(m, m.RegPC);
}

// The interrupt of the "INT" button: return address pushed in bank 0, vector
// 0x002C, and the 12 T-states of its acknowledge. After HLT the program
// counter still holds the HLT itself; the handler returns to the instruction
// that follows it, as on the 8085.
void AccepteInterruption(TMachine& m) {
    uint16_t retour = m.RegPC;
    if (m.EtatCPU == CPUHalt && m.MemPC == m.RegPC) retour = uint16_t(retour + 1);
    m.WriteMem(uint16_t(m.RegSP - 1), 0, uint8_t(retour >> 8));
    m.WriteMem(uint16_t(m.RegSP - 2), 0, uint8_t(retour));
    m.RegSP = uint16_t(m.RegSP - 2);
    m.RegPC = 0x002C;
    m.DemandeInt = false;
    m.BasculeInt = false;
    m.NbCycles += EtatsInterruption;
}

// One slice (or, UnSeul, one instruction with no breakpoint test and no
// interrupt) over the memory path TChemin.
template <class TChemin, bool UnSeul>
class TCoeur {
public:
    TCoeur(TMachine& m, TPages& pages) : M(m), Pages(pages) {
        if constexpr (EstSuivi<TChemin>) OuvreJournal();
        Reprise();
    }

    // The slice itself, with its own instance of the interpreter in locals.
    static uint32_t Tranche(TMachine& m, TPages& pages, uint32_t n);

private:
    TMachine& M;
    // The registers, one local each (never as one aggregate: each stays in a
    // processor register of its own).
    // Wide types, always holding 8- and 16-bit values.
    unsigned RA = 0, RB = 0, RC = 0, RD = 0, RE = 0, RH = 0, RL = 0, RF = 0;
    unsigned RSP = 0, RPC = 0, RPc0 = 0, RPrec = 0;
    uint64_t RCycles = 0;
    [[gnu::always_inline]] TRegs Regs() const {
        TRegs r;
        r.A = uint8_t(RA), r.B = uint8_t(RB), r.C = uint8_t(RC), r.D = uint8_t(RD);
        r.E = uint8_t(RE), r.H = uint8_t(RH), r.L = uint8_t(RL), r.F = uint8_t(RF);
        r.SP = uint16_t(RSP), r.PC = uint16_t(RPC), r.Pc0 = uint16_t(RPc0), r.Prec = uint16_t(RPrec);
        r.Cycles = RCycles;
        r.Faites = I;
        return r;
    }
    [[gnu::always_inline]] void Prend(const TRegs& r) {
        RA = r.A, RB = r.B, RC = r.C, RD = r.D, RE = r.E, RH = r.H, RL = r.L, RF = r.F;
        RSP = r.SP, RPC = r.PC, RPc0 = r.Pc0, RPrec = r.Prec, RCycles = r.Cycles;
    }
    TPages& Pages;           // kept apart: its address goes out, the registers' never
    unsigned Select = 0;     // complemented bank-select byte of the instruction under way
    bool Attention = true;   // something outside may have changed: look before the next instruction
    uint32_t Limite = 0;     // the slice's count, or 0 to look at once after this instruction
    uint32_t I = 0;          // instructions of the slice done so far

    // Whole state from the record: between two instructions.
    [[gnu::always_inline]] void Reprise() {
        Prend(Reprend(M, M.RegPC));
        Reglages();
    }
    [[gnu::always_inline]] void Reglages() {
        if (Pages.AJour(M, TChemin::Pages)) [[likely]] return;
        Pages.Actualise(M, TChemin::Pages);
    }
    // Something outside ran in the middle of this instruction.
    [[gnu::always_inline]] void Dehors() {
        Reglages();
        Signale();
    }
    [[gnu::always_inline]] void Signale() {
        Attention = true;
        Limite = 0;
    }

    // Page offset (0 or 16) of machine cycle n (2..5): bank 1 when bit n-1
    // of the bank-select byte is 0.
    [[gnu::always_inline]] unsigned Cy(int n) const { return (Select << (5 - n)) & 0x10; }

    [[gnu::always_inline]] uint8_t LitO(uint16_t a, unsigned o) const {
        if constexpr (TChemin::RamSeule) return M.ZorvMem[(o << 12) | a];
        if constexpr (TChemin::RamHaute) {
            if (a >= 0x2000) [[likely]] return M.ZorvMem[(o << 12) | a];
        }
        if constexpr (TChemin::Pages) return Pages.Lecture[o | (a >> 12)][a & 0xFFF];
        else return M.ReadMem(a, uint8_t(o >> 4));
    }
    [[gnu::always_inline]] void EcritO(uint16_t a, unsigned o, uint8_t d) {
        if constexpr (TChemin::RamSeule) {
            M.ZorvMem[(o << 12) | a] = d;
            return;
        }
        if constexpr (TChemin::RamHaute) {
            if (a >= 0x2000) [[likely]] {
                M.ZorvMem[(o << 12) | a] = d;
                return;
            }
        }
        if constexpr (TChemin::Pages) {
            uint8_t* const p = Pages.Ecriture[o | (a >> 12)];
            if (p) [[likely]] {
                p[a & 0xFFF] = d;
                return;
            }
        }
        Prend(EcritLent(M, Regs(), a, uint8_t(o >> 4), d));
        Dehors();
    }
    [[gnu::always_inline]] uint8_t Lit(uint16_t a, int cycle) const {
        if constexpr (EstSuivi<TChemin>) return LitSuivi(a, Cy(cycle));
        if constexpr (EstSonde<TChemin>) return LitSonde(a, Cy(cycle));
        return LitO(a, Cy(cycle));
    }
    [[gnu::always_inline]] void Ecrit(uint16_t a, int cycle, uint8_t d) {
        if constexpr (EstSuivi<TChemin>) NoteEcriture(a, Cy(cycle));
        if constexpr (EstSonde<TChemin>) EcritSonde(a, Cy(cycle), d);
        else EcritO(a, Cy(cycle), d);
    }
    // Probe path: the data accesses go to the machine's probe (the bytes of
    // the instruction itself are fetches); a hit ends the slice right after
    // this instruction.
    bool FArretSonde = false;
    uint8_t LitSonde(uint16_t a, unsigned o) const {
        const uint8_t v = LitO(a, o);
        if (uint16_t(a - RPc0) >= 3 && M.Sonde->Lecture(a, uint8_t(o >> 4), v, uint16_t(RPc0)))
            const_cast<TCoeur*>(this)->ArretSonde();
        return v;
    }
    void EcritSonde(uint16_t a, unsigned o, uint8_t d) {
        const uint8_t avant = LitO(a, o);
        EcritO(a, o, d);
        if (M.Sonde->Ecriture(a, uint8_t(o >> 4), avant, d, uint16_t(RPc0))) ArretSonde();
    }
    void ArretSonde() {
        FArretSonde = true;
        Signale();
    }

    // Following path: the data accesses into the access tables; the bytes
    // of the instruction itself are fetches, as for the probe, and go into
    // its journal entry as they were read. Each instruction goes into the
    // journal once it has run.
    [[no_unique_address]] std::conditional_t<EstSuivi<TChemin>, TEnCours, TRien> FEnCours;
    [[gnu::always_inline]] uint8_t LitSuivi(uint16_t a, unsigned o) const {
        uint8_t v;
        if constexpr (EstSonde<TChemin>) v = LitSonde(a, o);
        else v = LitO(a, o);
        const unsigned d = uint16_t(a - RPc0);
        if (d < 3) FEnCours.Pas->Octets[d] = v;
        else if (uint8_t* const acces = FEnCours.S->Acces) acces[(o << 12) | a] |= AccesLu;
        return v;
    }
    [[gnu::always_inline]] void NoteEcriture(uint16_t a, unsigned o) const {
        const TSuiviExecution& s = *FEnCours.S;
        const unsigned i = (o << 12) | a;
        if (s.Acces) s.Acces[i] |= AccesEcrit;
        if (s.Ecritures) s.Ecritures[i] = {M.NbInstructions + I + 1, uint16_t(RPc0), FEnCours.Pas->Banque};
    }
    [[gnu::always_inline]] void OuvreJournal() {
        TSuiviExecution* const s = M.Suivi;
        FEnCours.S = s;
        FEnCours.Pas = s->Journal + s->Nombre;
        FEnCours.Fin = s->Journal + s->Taille;
    }
    [[gnu::always_inline]] void Commence(uint8_t op, unsigned fetch) {
        FEnCours.Pas->Etats = uint8_t(RCycles);
        FEnCours.Pas->Octets[0] = op;
        FEnCours.Pas->Banque = uint8_t(fetch >> 4);
    }
    [[gnu::always_inline]] void Consigne() {
        TPasExecute& p = *FEnCours.Pas;
        p.Adresse = uint16_t(RPc0), p.PC = uint16_t(RPC), p.SP = uint16_t(RSP);
        p.A = uint8_t(RA), p.F = uint8_t(RF), p.B = uint8_t(RB), p.C = uint8_t(RC);
        p.D = uint8_t(RD), p.E = uint8_t(RE), p.H = uint8_t(RH), p.L = uint8_t(RL);
        p.Etats = uint8_t(uint8_t(RCycles) - p.Etats);
        if (++FEnCours.Pas == FEnCours.Fin) [[unlikely]] {
            TSuiviExecution& s = *FEnCours.S;
            s.Nombre = s.Taille;
            VideJournal(s, M.NbInstructions + I + 1);
            FEnCours.Pas = s.Journal;
        }
    }
public:
    // The entries of the slice counted in the record, at its end.
    [[gnu::always_inline]] void FermeJournal() const {
        FEnCours.S->Nombre = uint32_t(FEnCours.Pas - FEnCours.S->Journal);
    }
private:
    [[gnu::always_inline]] uint16_t Operande16() const {
        return uint16_t(Lit(uint16_t(RPC + 1), 2) | (Lit(uint16_t(RPC + 2), 3) << 8));
    }

    [[gnu::always_inline]] uint16_t HL() const { return uint16_t((RH << 8) | RL); }
    [[gnu::always_inline]] uint16_t BC() const { return uint16_t((RB << 8) | RC); }
    [[gnu::always_inline]] uint16_t DE() const { return uint16_t((RD << 8) | RE); }
    [[gnu::always_inline]] uint16_t Paire(int p) const {
        switch (p) {
        case 0: return BC();
        case 1: return DE();
        case 2: return HL();
        default: return RSP;
        }
    }
    [[gnu::always_inline]] void SetPaire(int p, uint16_t v) {
        const uint8_t h = uint8_t(v >> 8), l = uint8_t(v);
        switch (p) {
        case 0: RB = h; RC = l; break;
        case 1: RD = h; RE = l; break;
        case 2: RH = h; RL = l; break;
        default: RSP = v; break;
        }
    }
    // Register by 8080 code (B C D E H L M A); code 6 is memory at (HL).
    [[gnu::always_inline]] uint8_t LitReg(int r, int cycle) const {
        switch (r) {
        case 0: return RB;
        case 1: return RC;
        case 2: return RD;
        case 3: return RE;
        case 4: return RH;
        case 5: return RL;
        case 6: return Lit(HL(), cycle);
        default: return RA;
        }
    }
    [[gnu::always_inline]] void EcritReg(int r, uint8_t v, int cycle) {
        switch (r) {
        case 0: RB = v; break;
        case 1: RC = v; break;
        case 2: RD = v; break;
        case 3: RE = v; break;
        case 4: RH = v; break;
        case 5: RL = v; break;
        case 6: Ecrit(HL(), cycle, v); break;
        default: RA = v; break;
        }
    }
    [[gnu::always_inline]] bool Condition(int cc) const {
        const uint8_t f = RF;
        switch (cc) {
        case 0: return !(f & FlagZ);  // NZ
        case 1: return f & FlagZ;     // Z
        case 2: return !(f & FlagCY); // NC
        case 3: return f & FlagCY;    // C
        case 4: return !(f & FlagP);  // PO
        case 5: return f & FlagP;     // PE
        case 6: return !(f & FlagS);  // P
        default: return f & FlagS;    // M
        }
    }

    // ADD ADC SUB SBB ANA XRA ORA CMP, with the machine's flag rules.
    [[gnu::always_inline]] void Alu(int operation, uint8_t x) {
        const unsigned a = RA;
        const unsigned k = RF & FlagCY;
        unsigned r = 0;
        uint8_t f = Bit1;
        switch (operation) {
        case 0: // ADD
            r = a + x;
            f |= (r > 0xFF ? FlagCY : 0) | (((a & 0x0F) + (x & 0x0F)) > 0x0F ? FlagAC : 0);
            break;
        case 1: // ADC
            r = a + x + k;
            f |= (r > 0xFF ? FlagCY : 0) | (((a & 0x0F) + (x & 0x0F) + k) > 0x0F ? FlagAC : 0);
            break;
        case 2: // SUB
        case 7: // CMP
            r = a - x;
            f |= (a < x ? FlagCY : 0) | ((a & 0x0F) < (x & 0x0F) ? FlagAC : 0);
            break;
        case 3: // SBB
            r = a - x - k;
            f |= (x + k > a ? FlagCY : 0) | ((x & 0x0F) + k > (a & 0x0F) ? FlagAC : 0);
            break;
        case 4: r = a & x; f |= FlagAC; break; // ANA
        case 5: r = a ^ x; break;              // XRA
        default: r = a | x; break;             // ORA
        }
        f |= TableSZP[r & 0xFF];
        RF = f;
        if (operation != 7) RA = uint8_t(r);
    }

    // DAA only ever sets AC and CY; S, Z and P keep their values.
    [[gnu::always_inline]] void Daa() {
        unsigned v = RA;
        const bool basHaut = (RA & 0x0F) > 9;
        if (basHaut || (RF & FlagAC)) {
            if (basHaut) RF |= FlagAC;
            v += 6;
        }
        if ((v & 0x1F0) > 0x90 || (RF & FlagCY)) v += 0x60;
        if ((RF & FlagCY) || (v & 0x100)) RF |= FlagCY;
        RA = uint8_t(v);
    }

    [[gnu::always_inline]] void Push(uint8_t haut, uint8_t bas) {
        Ecrit(uint16_t(RSP - 1), 2, haut);
        Ecrit(uint16_t(RSP - 2), 3, bas);
        RSP = uint16_t(RSP - 2);
    }
    // The return address is pushed (cycles 4 and 5) before the target is
    // read (cycles 2 and 3).
    [[gnu::always_inline]] void Call() {
        const uint16_t retour = uint16_t(RPC + 3);
        Ecrit(uint16_t(RSP - 1), 4, uint8_t(retour >> 8));
        Ecrit(uint16_t(RSP - 2), 5, uint8_t(retour));
        RSP = uint16_t(RSP - 2);
        RPC = Operande16();
    }
    [[gnu::always_inline]] void Ret() {
        const uint8_t bas = Lit(RSP, 2);
        const uint8_t haut = Lit(uint16_t(RSP + 1), 3);
        RSP = uint16_t(RSP + 2);
        RPC = uint16_t((haut << 8) | bas);
    }

    template <uint8_t Op> [[gnu::always_inline]] void Mov();
    template <uint8_t Op> [[gnu::always_inline]] void Bloc00();
    template <uint8_t Op> [[gnu::always_inline]] void Bloc11();
    template <uint8_t Op> [[gnu::always_inline]] void Dispatch();

    // The flags of RegPC stop the slice: false to run the instruction.
    [[gnu::always_inline]] bool ArretSurDrapeau(uint8_t drapeaux, uint32_t faites);
    // Between two instructions, after something outside ran: the interrupt,
    // the run state, the instruction set and the memory map. True ends the
    // slice.
    [[gnu::always_inline]] bool TraiteAttention();
};

template <class TChemin, bool UnSeul>
template <uint8_t Op>
inline void TCoeur<TChemin, UnSeul>::Mov() {
    const int dst = (Op >> 3) & 7, src = Op & 7;
    // MOV r,M reads in cycle 2; MOV M,r writes in cycle 2.
    EcritReg(dst, LitReg(src, 2), 2);
    RPC = uint16_t(RPC + 1);
}

// Opcodes 0x00..0x3F.
template <class TChemin, bool UnSeul>
template <uint8_t Op>
inline void TCoeur<TChemin, UnSeul>::Bloc00() {
    const int r = (Op >> 3) & 7;
    const int p = (Op >> 4) & 3;
    const uint16_t pc = RPC;
    uint16_t suivant = uint16_t(pc + 1);
    switch (Op & 7) {
    case 0:
        switch (Op) {
        case 0x00: break;                                             // NOP
        case 0x20: RA = uint8_t(M.MaskINT & 7); break;               // RIM
        case 0x30: M.MaskINT = uint8_t(RA & 7); break;               // SIM
        case 0x28: case 0x38: suivant = uint16_t(pc + 2); break;      // undocumented
        default: break;                                               // 08 10 18
        }
        break;
    case 1:
        if (Op & 8) { // DAD
            const uint32_t s = uint32_t(HL()) + Paire(p);
            SetPaire(2, uint16_t(s));
            RF = uint8_t((RF & ~FlagCY) | (s > 0xFFFF ? FlagCY : 0));
        } else { // LXI
            SetPaire(p, Operande16());
            suivant = uint16_t(pc + 3);
        }
        break;
    case 2:
        switch (Op) {
        case 0x02: Ecrit(BC(), 2, RA); break;                       // STAX B
        case 0x12: Ecrit(DE(), 2, RA); break;                       // STAX D
        case 0x0A: RA = Lit(BC(), 2); break;                        // LDAX B
        case 0x1A: RA = Lit(DE(), 2); break;                        // LDAX D
        case 0x22: {                                                  // SHLD
            const uint16_t a = Operande16();
            Ecrit(a, 4, RL);
            Ecrit(uint16_t(a + 1), 5, RH);
            suivant = uint16_t(pc + 3);
            break;
        }
        case 0x2A: {                                                  // LHLD
            const uint16_t a = Operande16();
            RL = Lit(a, 4);
            RH = Lit(uint16_t(a + 1), 5);
            suivant = uint16_t(pc + 3);
            break;
        }
        case 0x32: Ecrit(Operande16(), 4, RA); suivant = uint16_t(pc + 3); break; // STA
        default: RA = Lit(Operande16(), 4); suivant = uint16_t(pc + 3); break;    // LDA
        }
        break;
    case 3: // INX / DCX
        SetPaire(p, uint16_t(Paire(p) + ((Op & 8) ? -1 : 1)));
        break;
    case 4: { // INR
        const uint8_t ancien = LitReg(r, 2);
        const uint8_t v = uint8_t(ancien + 1);
        RF = uint8_t((RF & FlagCY) | Bit1 | TableSZP[v] | ((ancien & 0x0F) == 0x0F ? FlagAC : 0));
        EcritReg(r, v, 3);
        break;
    }
    case 5: { // DCR
        const uint8_t ancien = LitReg(r, 2);
        const uint8_t v = uint8_t(ancien - 1);
        RF = uint8_t((RF & FlagCY) | Bit1 | TableSZP[v] | ((ancien & 0x0F) == 0 ? FlagAC : 0));
        EcritReg(r, v, 3);
        break;
    }
    case 6: // MVI: immediate in cycle 2, MVI M writes in cycle 3
        EcritReg(r, Lit(uint16_t(pc + 1), 2), 3);
        suivant = uint16_t(pc + 2);
        break;
    default: {
        const uint8_t a = RA;
        uint8_t cy = 0;
        switch (Op) {
        case 0x07: cy = a >> 7; RA = uint8_t((a << 1) | cy); break;                     // RLC
        case 0x0F: cy = a & 1; RA = uint8_t((a >> 1) | (cy << 7)); break;               // RRC
        case 0x17: cy = a >> 7; RA = uint8_t((a << 1) | (RF & FlagCY)); break;         // RAL
        case 0x1F: cy = a & 1; RA = uint8_t((a >> 1) | ((RF & FlagCY) << 7)); break;   // RAR
        case 0x27: Daa(); break;
        case 0x2F: RA = uint8_t(~a); break;                                              // CMA
        case 0x37: RF |= FlagCY; break;                                                  // STC
        default: RF ^= FlagCY; break;                                                    // CMC
        }
        if (Op <= 0x1F) RF = uint8_t((RF & ~(FlagCY | FlagAC)) | cy);
        break;
    }
    }
    RPC = suivant;
}

// Opcodes 0xC0..0xFF.
template <class TChemin, bool UnSeul>
template <uint8_t Op>
inline void TCoeur<TChemin, UnSeul>::Bloc11() {
    const int cc = (Op >> 3) & 7;
    const int p = (Op >> 4) & 3;
    const uint16_t pc = RPC;
    switch (Op & 7) {
    case 0: // Rcc
        if (Condition(cc)) {
            Ret();
            RCycles += EtatsPris[Op];
        } else {
            RPC = uint16_t(pc + 1);
        }
        return;
    case 1:
        switch (Op) {
        case 0xC9: Ret(); return;
        case 0xD9: RPC = uint16_t(pc + 1); return;                 // undocumented
        case 0xE9: RPC = HL(); return;                             // PCHL
        case 0xF9: RSP = HL(); RPC = uint16_t(pc + 1); return;    // SPHL
        default: {                                                  // POP
            const uint8_t l = Lit(RSP, 2);
            const uint8_t h = Lit(uint16_t(RSP + 1), 3);
            RSP = uint16_t(RSP + 2);
            if (Op == 0xF1) RA = h, RF = l;
            else SetPaire(p, uint16_t((h << 8) | l));
            break;
        }
        }
        RPC = uint16_t(pc + 1);
        return;
    case 2: // Jcc
        if (Condition(cc)) {
            RPC = Operande16();
            RCycles += EtatsPris[Op];
        } else {
            RPC = uint16_t(pc + 3);
        }
        return;
    case 3:
        switch (Op) {
        case 0xC3: RPC = Operande16(); return; // JMP
        case 0xCB: RPC = uint16_t(pc + 1); return;
        case 0xD3:                              // OUT
            Prend(SortiePort(M, Regs(), Lit(uint16_t(pc + 1), 2)));
            Dehors();
            RPC = uint16_t(pc + 2);
            return;
        case 0xDB: {                            // IN
            const TRegsEtOctet e = EntreePort(M, Regs(), Lit(uint16_t(pc + 1), 2));
            Prend(e.R);
            RA = e.V;
            Dehors();
            RPC = uint16_t(pc + 2);
            return;
        }
        case 0xE3: {                            // XTHL
            const uint8_t l = Lit(RSP, 2);
            const uint8_t h = Lit(uint16_t(RSP + 1), 3);
            Ecrit(RSP, 4, RL);
            Ecrit(uint16_t(RSP + 1), 5, RH);
            RL = l;
            RH = h;
            break;
        }
        case 0xEB: {                            // XCHG
            const uint8_t h = RH, l = RL;
            RH = RD, RL = RE;
            RD = h, RE = l;
            break;
        }
        case 0xF3: M.BasculeInt = false; break; // DI
        default:                                // EI
            M.BasculeInt = true;
            Signale();
            break;
        }
        RPC = uint16_t(pc + 1);
        return;
    case 4: // Ccc
        if (Condition(cc)) {
            Call();
            RCycles += EtatsPris[Op];
        } else {
            RPC = uint16_t(pc + 3);
        }
        return;
    case 5:
        switch (Op) {
        case 0xCD: Call(); return;
        case 0xDD: case 0xED: case 0xFD:
            RPC = uint16_t(pc + (Op == 0xED ? 1 : 3));
            return;
        case 0xF5: Push(RA, RF); break;
        default: {
            const uint16_t v = Paire(p);
            Push(uint8_t(v >> 8), uint8_t(v));
            break;
        }
        }
        RPC = uint16_t(pc + 1);
        return;
    case 6: // immediate ALU
        Alu(cc, Lit(uint16_t(pc + 1), 2));
        RPC = uint16_t(pc + 2);
        return;
    default: { // RST n
        const uint16_t retour = uint16_t(pc + 1);
        Push(uint8_t(retour >> 8), uint8_t(retour));
        RPC = uint16_t(Op & 0x38);
        return;
    }
    }
}

template <class TChemin, bool UnSeul>
template <uint8_t Op>
inline void TCoeur<TChemin, UnSeul>::Dispatch() {
    RCycles += Etats[Op];
    if constexpr (Op == 0x76) { // HLT: PC stays on the instruction
        Prend(Halte(M, Regs()));
        Dehors();
    } else if constexpr (Op < 0x40) {
        Bloc00<Op>();
    } else if constexpr (Op < 0x80) {
        Mov<Op>();
    } else if constexpr (Op < 0xC0) {
        Alu((Op >> 3) & 7, LitReg(Op & 7, 2));
        RPC = uint16_t(RPC + 1);
    } else {
        Bloc11<Op>();
    }
}

template <class TChemin, bool UnSeul>
inline bool TCoeur<TChemin, UnSeul>::ArretSurDrapeau(uint8_t drapeaux, uint32_t faites) {
    // A permanent breakpoint where the run started is skipped once.
    bool permanent = (drapeaux & 1) && !(faites == 0 && int32_t(RPC) == M.DebutCourse);
    if (permanent && M.Sonde) [[unlikely]] permanent = ArretPermisParSonde(M, Regs());
    if (!(drapeaux & 2) && !permanent) return false;
    Prend(ArretDrapeau(M, Regs(), permanent ? TCauseArret::PointArret : TCauseArret::ArretTemporaire));
    Reglages();
    return true;
}

template <class TChemin, bool UnSeul>
inline bool TCoeur<TChemin, UnSeul>::TraiteAttention() {
    Attention = false;
    if constexpr (EstSonde<TChemin>) {
        if (FArretSonde) {
            FArretSonde = false;
            Prend(ArretDrapeau(M, Regs(), TCauseArret::PointSurveillance));
            Reglages();
            return true;
        }
    }
    // The record is as the way out left it; only the program counter has
    // moved on since.
    if (M.BasculeInt && M.DemandeInt) [[unlikely]] {
        Prend(Evenements(M, Regs()));
        Reglages();
    }
    if (M.EtatCPU != CPURun || M.FinEmul) return true;
    if (M.FinTranche) [[unlikely]] return true; // the host reckons again first
    return !TChemin::Convient(M);
}

// Threaded dispatch on the full opcode byte: every opcode's code, specialised
// for its registers and operation, ends with the test and fetch of the next
// instruction and jumps straight to its code.
#define ZORV_X16(X, h) X(h##0) X(h##1) X(h##2) X(h##3) X(h##4) X(h##5) X(h##6) X(h##7) \
    X(h##8) X(h##9) X(h##A) X(h##B) X(h##C) X(h##D) X(h##E) X(h##F)
#define ZORV_OPCODES(X) ZORV_X16(X, 0x0) ZORV_X16(X, 0x1) ZORV_X16(X, 0x2) ZORV_X16(X, 0x3) \
    ZORV_X16(X, 0x4) ZORV_X16(X, 0x5) ZORV_X16(X, 0x6) ZORV_X16(X, 0x7) ZORV_X16(X, 0x8) ZORV_X16(X, 0x9) \
    ZORV_X16(X, 0xA) ZORV_X16(X, 0xB) ZORV_X16(X, 0xC) ZORV_X16(X, 0xD) ZORV_X16(X, 0xE) ZORV_X16(X, 0xF)
#define ZORV_ADRESSE(n) &&Op##n,
#define ZORV_LANCE()                                                   \
    do {                                                               \
        c.RPc0 = c.RPC;                                              \
        const uint8_t op = c.LitO(c.RPC, pages.Fetch);                \
        c.Select = pages.Select[op];                                   \
        if constexpr (EstSuivi<TChemin>) c.Commence(op, pages.Fetch);  \
        goto* Cibles[op];                                              \
    } while (0)
#define ZORV_SUIVANTE()                                                \
    do {                                                               \
        if constexpr (EstSuivi<TChemin>) c.Consigne();                 \
        c.RPrec = c.RPc0;                                            \
        if (++c.I >= c.Limite) [[unlikely]] goto Controle;             \
        if constexpr (!UnSeul) {                                       \
            if (points[c.RPC] & 3) [[unlikely]] goto Drapeaux;        \
        }                                                              \
        ZORV_LANCE();                                                  \
    } while (0)
#define ZORV_CODE(n) \
    Op##n : c.template Dispatch<n>(); \
    ZORV_SUIVANTE();

template <class TChemin, bool UnSeul>
uint32_t TCoeur<TChemin, UnSeul>::Tranche(TMachine& m, TPages& pages, uint32_t n) {
    static const void* const Cibles[256] = {ZORV_OPCODES(ZORV_ADRESSE)};
    TCoeur c(m, pages);
    const uint8_t* const points = m.TblPtArret.data();
    c.Limite = n;
    if (n == 0) goto Fin;
Entree:
    if constexpr (!UnSeul) {
        if (points[c.RPC] & 3) [[unlikely]] goto Drapeaux;
    }
    ZORV_LANCE();
Drapeaux: __attribute__((unused));
    if constexpr (!UnSeul) {
        if (c.ArretSurDrapeau(points[c.RPC], c.I)) goto Fin;
    }
    ZORV_LANCE();
Controle:
    c.Limite = n;
    if constexpr (!UnSeul) {
        if (c.Attention && c.TraiteAttention()) goto Fin;
    }
    if (c.I < n) goto Entree;
Fin:
    Pose(m, c.Regs());
    if constexpr (EstSuivi<TChemin>) c.FermeJournal();
    return c.I;

    ZORV_OPCODES(ZORV_CODE)
}

#undef ZORV_CODE
#undef ZORV_SUIVANTE
#undef ZORV_LANCE
#undef ZORV_ADRESSE
#undef ZORV_OPCODES
#undef ZORV_X16

template <class TChemin>
uint32_t TrancheSur(TMachine& m, uint32_t n) {
    TPages pages;
    m.FinTranche = false; // what was asked before the slice, the host has seen
    TSuiviExecution* const suivi = m.Suivi;
    const uint32_t faites = TCoeur<TChemin, false>::Tranche(m, pages, n);
    if (faites > 0) m.DebutCourse = -1;
    m.NbInstructions += faites;
    if constexpr (EstSuivi<TChemin>) VideJournal(*suivi, m.NbInstructions);
    m.FaitesTranche = 0;
    m.FinTranche = false;
    return faites;
}

// The slices the debugger's tools follow, over the same paths.
[[gnu::noinline]] uint32_t TrancheSuivie(TMachine& m, uint32_t n) {
    if (TCheminSonde::Convient(m)) return TrancheSur<TSuivi<TCheminSonde>>(m, n);
    if (TCheminRamHaute::Convient(m)) return TrancheSur<TSuivi<TCheminRamHaute>>(m, n);
    if (TCheminPages::Convient(m)) return TrancheSur<TSuivi<TCheminPages>>(m, n);
    return TrancheSur<TSuivi<TCheminMachine>>(m, n);
}

} // namespace

void TMachine::ExecuteInstruction() {
    TPages pages;
    if (TSuiviExecution* const suivi = Suivi) [[unlikely]] {
        TCoeur<TSuivi<TCheminMachine>, true>::Tranche(*this, pages, 1);
        VideJournal(*suivi, NbInstructions + 1);
    } else if (TCheminRam::Convient(*this)) TCoeur<TCheminRam, true>::Tranche(*this, pages, 1);
    else if (TCheminPages::Convient(*this)) TCoeur<TCheminPages, true>::Tranche(*this, pages, 1);
    else TCoeur<TCheminMachine, true>::Tranche(*this, pages, 1);
    FaitesTranche = 0; // the caller counts it
    FinTranche = false;
}

uint32_t ExecuteTranche(TMachine& m, uint32_t n) {
    if (m.Suivi) [[unlikely]] return TrancheSuivie(m, n);
    if (TCheminSonde::Convient(m)) [[unlikely]] return TrancheSur<TCheminSonde>(m, n);
    if (TCheminRam::Convient(m)) return TrancheSur<TCheminRam>(m, n);
    if (TCheminRamHaute::Convient(m)) return TrancheSur<TCheminRamHaute>(m, n);
    if (TCheminPages::Convient(m)) return TrancheSur<TCheminPages>(m, n);
    return TrancheSur<TCheminMachine>(m, n);
}

namespace {

constexpr std::array<uint8_t, 256> ConstruitLgExecution() {
    std::array<uint8_t, 256> lg{};
    for (int op = 0; op < 256; ++op) {
        uint8_t n = 1;
        if (op < 0x40) {
            if ((op & 0x0F) == 0x01) n = 3;                          // LXI
            if ((op & 7) == 6) n = 2;                                 // MVI
            if (op == 0x22 || op == 0x2A || op == 0x32 || op == 0x3A) n = 3; // SHLD LHLD STA LDA
            if (op == 0x28 || op == 0x38) n = 2;                      // undocumented
        } else if (op >= 0xC0) {
            if ((op & 7) == 2 || (op & 7) == 4 || op == 0xC3 || op == 0xCD) n = 3; // Jcc Ccc JMP CALL
            if ((op & 7) == 6 || op == 0xD3 || op == 0xDB) n = 2;     // immediate ALU, OUT, IN
            if (op == 0xDD || op == 0xFD) n = 3;                      // undocumented
        }
        lg[size_t(op)] = n;
    }
    return lg;
}

} // namespace

const std::array<uint8_t, 256> LgExecution = ConstruitLgExecution();
