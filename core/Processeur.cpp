// The 8085 interpreter with the machine's bank logic: every memory cycle of an
// instruction goes to bank 0 or bank 1 according to the bank-select byte that
// the bank-decode PROM gives for the opcode in the current instruction set.
#include "core/Processeur.h"

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

} // namespace

const std::array<uint8_t, 256> TableSZP = ConstruitTableSZP();

namespace {

// One instruction, with everything the cycle needs kept in locals.
class TInstruction {
public:
    explicit TInstruction(TMachine& m) : M(m) {}

    void Execute();

private:
    TMachine& M;
    uint16_t PC = 0;
    uint8_t Fetch = 0;   // bank of the opcode fetch
    uint8_t Select = 0;  // bank-select byte (complemented in bank-1 mode)

    // Bank of machine cycle n (2..5): 1 when bit n-1 of the select byte is 0.
    uint8_t B(int n) const { return uint8_t(((~Select) >> (n - 1)) & 1); }

    uint8_t Lit(uint16_t a, int cycle) const { return M.ReadMem(a, B(cycle)); }
    void Ecrit(uint16_t a, int cycle, uint8_t d) { M.WriteMem(a, B(cycle), d); }
    uint16_t Operande16() const {
        return uint16_t(Lit(uint16_t(PC + 1), 2) | (Lit(uint16_t(PC + 2), 3) << 8));
    }

    uint16_t HL() const { return uint16_t((M.RegH << 8) | M.RegL); }
    uint16_t BC() const { return uint16_t((M.RegB << 8) | M.RegC); }
    uint16_t DE() const { return uint16_t((M.RegD << 8) | M.RegE); }
    void SetPaire(int p, uint16_t v);
    uint16_t Paire(int p) const;

    // Register by 8080 code (B C D E H L M A); code 6 is memory at (HL).
    uint8_t LitReg(int r, int cycle) const;
    void EcritReg(int r, uint8_t v, int cycle);

    bool Condition(int cc) const;
    void Alu(int operation, uint8_t x);
    void Daa();

    template <uint8_t Op> void Mov();
    template <uint8_t Op> void Bloc00();
    template <uint8_t Op> void Bloc11();
    template <uint8_t Op> void Dispatch();
    void Push(uint8_t haut, uint8_t bas);
    void Pop(uint8_t& haut, uint8_t& bas);
    void Call();
    void Ret();
};

[[gnu::always_inline]] inline uint16_t TInstruction::Paire(int p) const {
    switch (p) {
    case 0: return BC();
    case 1: return DE();
    case 2: return HL();
    default: return M.RegSP;
    }
}

[[gnu::always_inline]] inline void TInstruction::SetPaire(int p, uint16_t v) {
    const uint8_t h = uint8_t(v >> 8), l = uint8_t(v);
    switch (p) {
    case 0: M.RegB = h; M.RegC = l; break;
    case 1: M.RegD = h; M.RegE = l; break;
    case 2: M.RegH = h; M.RegL = l; break;
    default: M.RegSP = v; break;
    }
}

[[gnu::always_inline]] inline uint8_t TInstruction::LitReg(int r, int cycle) const {
    switch (r) {
    case 0: return M.RegB;
    case 1: return M.RegC;
    case 2: return M.RegD;
    case 3: return M.RegE;
    case 4: return M.RegH;
    case 5: return M.RegL;
    case 6: return Lit(HL(), cycle);
    default: return M.RegA;
    }
}

[[gnu::always_inline]] inline void TInstruction::EcritReg(int r, uint8_t v, int cycle) {
    switch (r) {
    case 0: M.RegB = v; break;
    case 1: M.RegC = v; break;
    case 2: M.RegD = v; break;
    case 3: M.RegE = v; break;
    case 4: M.RegH = v; break;
    case 5: M.RegL = v; break;
    case 6: Ecrit(HL(), cycle, v); break;
    default: M.RegA = v; break;
    }
}

[[gnu::always_inline]] inline bool TInstruction::Condition(int cc) const {
    const uint8_t f = M.RegPSW;
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
[[gnu::always_inline]] inline void TInstruction::Alu(int operation, uint8_t x) {
    const unsigned a = M.RegA;
    const unsigned k = M.RegPSW & FlagCY;
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
    M.RegPSW = f;
    if (operation != 7) M.RegA = uint8_t(r);
}

// DAA only ever sets AC and CY; S, Z and P keep their values.
void TInstruction::Daa() {
    unsigned v = M.RegA;
    const bool basHaut = (M.RegA & 0x0F) > 9;
    if (basHaut || (M.RegPSW & FlagAC)) {
        if (basHaut) M.RegPSW |= FlagAC;
        v += 6;
    }
    if ((v & 0x1F0) > 0x90 || (M.RegPSW & FlagCY)) v += 0x60;
    if ((M.RegPSW & FlagCY) || (v & 0x100)) M.RegPSW |= FlagCY;
    M.RegA = uint8_t(v);
}

[[gnu::always_inline]] inline void TInstruction::Push(uint8_t haut, uint8_t bas) {
    Ecrit(uint16_t(M.RegSP - 1), 2, haut);
    Ecrit(uint16_t(M.RegSP - 2), 3, bas);
    M.RegSP = uint16_t(M.RegSP - 2);
}

[[gnu::always_inline]] inline void TInstruction::Pop(uint8_t& haut, uint8_t& bas) {
    bas = Lit(M.RegSP, 2);
    haut = Lit(uint16_t(M.RegSP + 1), 3);
    M.RegSP = uint16_t(M.RegSP + 2);
}

// The return address is pushed (cycles 4 and 5) before the target is read
// (cycles 2 and 3).
[[gnu::always_inline]] inline void TInstruction::Call() {
    const uint16_t retour = uint16_t(PC + 3);
    Ecrit(uint16_t(M.RegSP - 1), 4, uint8_t(retour >> 8));
    Ecrit(uint16_t(M.RegSP - 2), 5, uint8_t(retour));
    M.RegSP = uint16_t(M.RegSP - 2);
    M.RegPC = Operande16();
}

[[gnu::always_inline]] inline void TInstruction::Ret() {
    const uint8_t bas = Lit(M.RegSP, 2);
    const uint8_t haut = Lit(uint16_t(M.RegSP + 1), 3);
    M.RegSP = uint16_t(M.RegSP + 2);
    M.RegPC = uint16_t((haut << 8) | bas);
}

template <uint8_t Op>
[[gnu::always_inline]] inline void TInstruction::Mov() {
    const int dst = (Op >> 3) & 7, src = Op & 7;
    // MOV r,M reads in cycle 2; MOV M,r writes in cycle 2.
    EcritReg(dst, LitReg(src, 2), 2);
    M.RegPC = uint16_t(PC + 1);
}

// Opcodes 0x00..0x3F.
template <uint8_t Op>
[[gnu::always_inline]] inline void TInstruction::Bloc00() {
    const int r = (Op >> 3) & 7;
    const int p = (Op >> 4) & 3;
    uint16_t suivant = uint16_t(PC + 1);
    switch (Op & 7) {
    case 0:
        switch (Op) {
        case 0x00: break;                                             // NOP
        case 0x20: M.RegA = uint8_t(M.MaskINT & 7); break;            // RIM
        case 0x30: M.MaskINT = uint8_t(M.RegA & 7); break;            // SIM
        case 0x28: case 0x38: suivant = uint16_t(PC + 2); break;      // undocumented
        default: break;                                               // 08 10 18
        }
        break;
    case 1:
        if (Op & 8) { // DAD
            const uint32_t s = uint32_t(HL()) + Paire(p);
            SetPaire(2, uint16_t(s));
            M.RegPSW = uint8_t((M.RegPSW & ~FlagCY) | (s > 0xFFFF ? FlagCY : 0));
        } else { // LXI
            SetPaire(p, Operande16());
            suivant = uint16_t(PC + 3);
        }
        break;
    case 2:
        switch (Op) {
        case 0x02: Ecrit(BC(), 2, M.RegA); break;                    // STAX B
        case 0x12: Ecrit(DE(), 2, M.RegA); break;                    // STAX D
        case 0x0A: M.RegA = Lit(BC(), 2); break;                     // LDAX B
        case 0x1A: M.RegA = Lit(DE(), 2); break;                     // LDAX D
        case 0x22: {                                                  // SHLD
            const uint16_t a = Operande16();
            Ecrit(a, 4, M.RegL);
            Ecrit(uint16_t(a + 1), 5, M.RegH);
            suivant = uint16_t(PC + 3);
            break;
        }
        case 0x2A: {                                                  // LHLD
            const uint16_t a = Operande16();
            M.RegL = Lit(a, 4);
            M.RegH = Lit(uint16_t(a + 1), 5);
            suivant = uint16_t(PC + 3);
            break;
        }
        case 0x32: Ecrit(Operande16(), 4, M.RegA); suivant = uint16_t(PC + 3); break; // STA
        default: M.RegA = Lit(Operande16(), 4); suivant = uint16_t(PC + 3); break;    // LDA
        }
        break;
    case 3: // INX / DCX
        SetPaire(p, uint16_t(Paire(p) + ((Op & 8) ? -1 : 1)));
        break;
    case 4: { // INR
        const uint8_t ancien = LitReg(r, 2);
        const uint8_t v = uint8_t(ancien + 1);
        M.RegPSW = uint8_t((M.RegPSW & FlagCY) | Bit1 | TableSZP[v] | ((ancien & 0x0F) == 0x0F ? FlagAC : 0));
        EcritReg(r, v, 3);
        break;
    }
    case 5: { // DCR
        const uint8_t ancien = LitReg(r, 2);
        const uint8_t v = uint8_t(ancien - 1);
        M.RegPSW = uint8_t((M.RegPSW & FlagCY) | Bit1 | TableSZP[v] | ((ancien & 0x0F) == 0 ? FlagAC : 0));
        EcritReg(r, v, 3);
        break;
    }
    case 6: // MVI: immediate in cycle 2, MVI M writes in cycle 3
        EcritReg(r, Lit(uint16_t(PC + 1), 2), 3);
        suivant = uint16_t(PC + 2);
        break;
    default: {
        const uint8_t a = M.RegA;
        uint8_t cy = 0;
        switch (Op) {
        case 0x07: cy = a >> 7; M.RegA = uint8_t((a << 1) | cy); break;                       // RLC
        case 0x0F: cy = a & 1; M.RegA = uint8_t((a >> 1) | (cy << 7)); break;                 // RRC
        case 0x17: cy = a >> 7; M.RegA = uint8_t((a << 1) | (M.RegPSW & FlagCY)); break;      // RAL
        case 0x1F: cy = a & 1; M.RegA = uint8_t((a >> 1) | ((M.RegPSW & FlagCY) << 7)); break; // RAR
        case 0x27: Daa(); break;
        case 0x2F: M.RegA = uint8_t(~a); break;                                                // CMA
        case 0x37: M.RegPSW |= FlagCY; break;                                                  // STC
        default: M.RegPSW ^= FlagCY; break;                                                    // CMC
        }
        if (Op <= 0x1F) M.RegPSW = uint8_t((M.RegPSW & ~(FlagCY | FlagAC)) | cy);
        break;
    }
    }
    M.RegPC = suivant;
}

// Opcodes 0xC0..0xFF.
template <uint8_t Op>
[[gnu::always_inline]] inline void TInstruction::Bloc11() {
    const int cc = (Op >> 3) & 7;
    const int p = (Op >> 4) & 3;
    switch (Op & 7) {
    case 0: // Rcc
        if (Condition(cc)) Ret();
        else M.RegPC = uint16_t(PC + 1);
        return;
    case 1:
        switch (Op) {
        case 0xC9: Ret(); return;
        case 0xD9: M.RegPC = uint16_t(PC + 1); return;                 // undocumented
        case 0xE9: M.RegPC = HL(); return;                             // PCHL
        case 0xF9: M.RegSP = HL(); M.RegPC = uint16_t(PC + 1); return; // SPHL
        case 0xF1: Pop(M.RegA, M.RegPSW); break;                        // POP PSW
        default: {
            uint8_t h = 0, l = 0;
            Pop(h, l);
            SetPaire(p, uint16_t((h << 8) | l));
            break;
        }
        }
        M.RegPC = uint16_t(PC + 1);
        return;
    case 2: // Jcc
        M.RegPC = Condition(cc) ? Operande16() : uint16_t(PC + 3);
        return;
    case 3:
        switch (Op) {
        case 0xC3: M.RegPC = Operande16(); return; // JMP
        case 0xCB: M.RegPC = uint16_t(PC + 1); return;
        case 0xD3:                                 // OUT
            M.PortOut(Lit(uint16_t(PC + 1), 2), M.RegA);
            M.RegPC = uint16_t(PC + 2);
            return;
        case 0xDB:                                 // IN
            M.RegA = M.PortIn(Lit(uint16_t(PC + 1), 2), M.RegA);
            M.RegPC = uint16_t(PC + 2);
            return;
        case 0xE3: {                               // XTHL
            const uint8_t l = Lit(M.RegSP, 2);
            const uint8_t h = Lit(uint16_t(M.RegSP + 1), 3);
            Ecrit(M.RegSP, 4, M.RegL);
            Ecrit(uint16_t(M.RegSP + 1), 5, M.RegH);
            M.RegL = l;
            M.RegH = h;
            break;
        }
        case 0xEB: {                               // XCHG
            std::swap(M.RegH, M.RegD);
            std::swap(M.RegL, M.RegE);
            break;
        }
        case 0xF3: M.BasculeInt = false; break;    // DI
        default: M.BasculeInt = true; break;       // EI
        }
        M.RegPC = uint16_t(PC + 1);
        return;
    case 4: // Ccc
        if (Condition(cc)) Call();
        else M.RegPC = uint16_t(PC + 3);
        return;
    case 5:
        switch (Op) {
        case 0xCD: Call(); return;
        case 0xDD: case 0xED: case 0xFD:
            M.RegPC = uint16_t(PC + (Op == 0xED ? 1 : 3));
            return;
        case 0xF5: Push(M.RegA, M.RegPSW); break;
        default: {
            const uint16_t v = Paire(p);
            Push(uint8_t(v >> 8), uint8_t(v));
            break;
        }
        }
        M.RegPC = uint16_t(PC + 1);
        return;
    case 6: // immediate ALU
        Alu(cc, Lit(uint16_t(PC + 1), 2));
        M.RegPC = uint16_t(PC + 2);
        return;
    default: { // RST n
        const uint16_t retour = uint16_t(PC + 1);
        Push(uint8_t(retour >> 8), uint8_t(retour));
        M.RegPC = uint16_t(Op & 0x38);
        return;
    }
    }
}

template <uint8_t Op>
[[gnu::always_inline]] inline void TInstruction::Dispatch() {
    if constexpr (Op == 0x76) { // HLT: PC stays on the instruction
        M.SignaleEtatDuCPU(CPUHalt);
        M.ChangeEtatCPU(CPUHalt);
    } else if constexpr (Op < 0x40) {
        Bloc00<Op>();
    } else if constexpr (Op < 0x80) {
        Mov<Op>();
    } else if constexpr (Op < 0xC0) {
        Alu((Op >> 3) & 7, LitReg(Op & 7, 2));
        M.RegPC = uint16_t(PC + 1);
    } else {
        Bloc11<Op>();
    }
}

#define ZORV_CAS(n) case n: Dispatch<n>(); break;
#define ZORV_CAS4(n) ZORV_CAS(n) ZORV_CAS(n + 1) ZORV_CAS(n + 2) ZORV_CAS(n + 3)
#define ZORV_CAS16(n) ZORV_CAS4(n) ZORV_CAS4(n + 4) ZORV_CAS4(n + 8) ZORV_CAS4(n + 12)
#define ZORV_CAS64(n) ZORV_CAS16(n) ZORV_CAS16(n + 16) ZORV_CAS16(n + 32) ZORV_CAS16(n + 48)

// Dispatch on the full opcode byte; each case is specialised for its
// registers and operation.
inline void TInstruction::Execute() {
    PC = M.RegPC;
    M.MemPC = PC;
    const bool banque1 = M.CodeJeuInst == 0xD0;
    Fetch = banque1 ? 1 : 0;
    const uint8_t op = M.ReadMem(PC, Fetch);
    Select = uint8_t(M.Rom128K[(M.AdrBanque + op) & 0xFFF] ^ (banque1 ? 0xFF : 0x00));
    switch (op) {
        ZORV_CAS64(0) ZORV_CAS64(64) ZORV_CAS64(128) ZORV_CAS64(192)
    }
    M.PCPrec = M.MemPC;
}

#undef ZORV_CAS64
#undef ZORV_CAS16
#undef ZORV_CAS4
#undef ZORV_CAS

} // namespace

void ExecuteInstructionDe(TMachine& m) {
    TInstruction(m).Execute();
}

void TMachine::ExecuteInstruction() {
    TInstruction(*this).Execute();
}

// The interrupt of the "INT" button: return address pushed in bank 0, vector
// 0x002C. After HLT the program counter still holds the HLT itself; the
// handler returns to the instruction that follows it, as on the 8085.
static void AccepteInterruption(TMachine& m) {
    uint16_t retour = m.RegPC;
    if (m.EtatCPU == CPUHalt && m.MemPC == m.RegPC) retour = uint16_t(retour + 1);
    m.WriteMem(uint16_t(m.RegSP - 1), 0, uint8_t(retour >> 8));
    m.WriteMem(uint16_t(m.RegSP - 2), 0, uint8_t(retour));
    m.RegSP = uint16_t(m.RegSP - 2);
    m.RegPC = 0x002C;
    m.DemandeInt = false;
    m.BasculeInt = false;
}

uint32_t ExecuteTranche(TMachine& m, uint32_t n) {
    uint32_t i = 0;
    int32_t& debut = m.DebutCourse;
    while (i < n) {
        const uint8_t drapeaux = m.TblPtArret[m.RegPC];
        if (drapeaux & 3) [[unlikely]] {
            const bool permanent = (drapeaux & 1) && int32_t(m.RegPC) != debut;
            if ((drapeaux & 2) || permanent) {
                m.CauseDrapeau = permanent ? TCauseArret::PointArret : TCauseArret::ArretTemporaire;
                m.ChangeEtatCPU(CPUStop);
                break;
            }
        }
        TInstruction(m).Execute();
        ++i;
        if (m.BasculeInt && m.DemandeInt) [[unlikely]]
            AccepteInterruption(m);
        debut = -1;
        if (m.EtatCPU != CPURun || m.FinEmul) [[unlikely]]
            break;
    }
    m.NbInstructions += i;
    return i;
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
