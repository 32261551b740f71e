#include "debugger/JeuInstructions.h"

const std::array<TDefInstr, 256> TableInstr = {{
    {"NOP", "", ikAucun}, {"LXI", "B", ikMot}, {"STAX", "B", ikAucun}, {"INX", "B", ikAucun},   // 00
    {"INR", "B", ikAucun}, {"DCR", "B", ikAucun}, {"MVI", "B", ikOctet}, {"RLC", "", ikAucun},   // 04
    {"-08-", "", ikAucun, false}, {"DAD", "B", ikAucun}, {"LDAX", "B", ikAucun}, {"DCX", "B", ikAucun},   // 08
    {"INR", "C", ikAucun}, {"DCR", "C", ikAucun}, {"MVI", "C", ikOctet}, {"RRC", "", ikAucun},   // 0C
    {"-10-", "", ikAucun, false}, {"LXI", "D", ikMot}, {"STAX", "D", ikAucun}, {"INX", "D", ikAucun},   // 10
    {"INR", "D", ikAucun}, {"DCR", "D", ikAucun}, {"MVI", "D", ikOctet}, {"RAL", "", ikAucun},   // 14
    {"-18-", "", ikAucun, false}, {"DAD", "D", ikAucun}, {"LDAX", "D", ikAucun}, {"DCX", "D", ikAucun},   // 18
    {"INR", "E", ikAucun}, {"DCR", "E", ikAucun}, {"MVI", "E", ikOctet}, {"RAR", "", ikAucun},   // 1C
    {"RIM", "", ikAucun}, {"LXI", "H", ikMot}, {"SHLD", "", ikMot}, {"INX", "H", ikAucun},   // 20
    {"INR", "H", ikAucun}, {"DCR", "H", ikAucun}, {"MVI", "H", ikOctet}, {"DAA", "", ikAucun},   // 24
    {"-28-", "", ikAucun, false}, {"DAD", "H", ikAucun}, {"LHLD", "", ikMot}, {"DCX", "H", ikAucun},   // 28
    {"INR", "L", ikAucun}, {"DCR", "L", ikAucun}, {"MVI", "L", ikOctet}, {"CMA", "", ikAucun},   // 2C
    {"SIM", "", ikAucun}, {"LXI", "SP", ikMot}, {"STA", "", ikMot}, {"INX", "SP", ikAucun},   // 30
    {"INR", "M", ikAucun}, {"DCR", "M", ikAucun}, {"MVI", "M", ikOctet}, {"STC", "", ikAucun},   // 34
    {"-38-", "", ikAucun, false}, {"DAD", "SP", ikAucun}, {"LDA", "", ikMot}, {"DCX", "SP", ikAucun},   // 38
    {"INR", "A", ikAucun}, {"DCR", "A", ikAucun}, {"MVI", "A", ikOctet}, {"CMC", "", ikAucun},   // 3C
    {"MOV", "B,B", ikAucun}, {"MOV", "B,C", ikAucun}, {"MOV", "B,D", ikAucun}, {"MOV", "B,E", ikAucun},   // 40
    {"MOV", "B,H", ikAucun}, {"MOV", "B,L", ikAucun}, {"MOV", "B,M", ikAucun}, {"MOV", "B,A", ikAucun},   // 44
    {"MOV", "C,B", ikAucun}, {"MOV", "C,C", ikAucun}, {"MOV", "C,D", ikAucun}, {"MOV", "C,E", ikAucun},   // 48
    {"MOV", "C,H", ikAucun}, {"MOV", "C,L", ikAucun}, {"MOV", "C,M", ikAucun}, {"MOV", "C,A", ikAucun},   // 4C
    {"MOV", "D,B", ikAucun}, {"MOV", "D,C", ikAucun}, {"MOV", "D,D", ikAucun}, {"MOV", "D,E", ikAucun},   // 50
    {"MOV", "D,H", ikAucun}, {"MOV", "D,L", ikAucun}, {"MOV", "D,M", ikAucun}, {"MOV", "D,A", ikAucun},   // 54
    {"MOV", "E,B", ikAucun}, {"MOV", "E,C", ikAucun}, {"MOV", "E,D", ikAucun}, {"MOV", "E,E", ikAucun},   // 58
    {"MOV", "E,H", ikAucun}, {"MOV", "E,L", ikAucun}, {"MOV", "E,M", ikAucun}, {"MOV", "E,A", ikAucun},   // 5C
    {"MOV", "H,B", ikAucun}, {"MOV", "H,C", ikAucun}, {"MOV", "H,D", ikAucun}, {"MOV", "H,E", ikAucun},   // 60
    {"MOV", "H,H", ikAucun}, {"MOV", "H,L", ikAucun}, {"MOV", "H,M", ikAucun}, {"MOV", "H,A", ikAucun},   // 64
    {"MOV", "L,B", ikAucun}, {"MOV", "L,C", ikAucun}, {"MOV", "L,D", ikAucun}, {"MOV", "L,E", ikAucun},   // 68
    {"MOV", "L,H", ikAucun}, {"MOV", "L,L", ikAucun}, {"MOV", "L,M", ikAucun}, {"MOV", "L,A", ikAucun},   // 6C
    {"MOV", "M,B", ikAucun}, {"MOV", "M,C", ikAucun}, {"MOV", "M,D", ikAucun}, {"MOV", "M,E", ikAucun},   // 70
    {"MOV", "M,H", ikAucun}, {"MOV", "M,L", ikAucun}, {"HLT", "", ikAucun}, {"MOV", "M,A", ikAucun},   // 74
    {"MOV", "A,B", ikAucun}, {"MOV", "A,C", ikAucun}, {"MOV", "A,D", ikAucun}, {"MOV", "A,E", ikAucun},   // 78
    {"MOV", "A,H", ikAucun}, {"MOV", "A,L", ikAucun}, {"MOV", "A,M", ikAucun}, {"MOV", "A,A", ikAucun},   // 7C
    {"ADD", "B", ikAucun}, {"ADD", "C", ikAucun}, {"ADD", "D", ikAucun}, {"ADD", "E", ikAucun},   // 80
    {"ADD", "H", ikAucun}, {"ADD", "L", ikAucun}, {"ADD", "M", ikAucun}, {"ADD", "A", ikAucun},   // 84
    {"ADC", "B", ikAucun}, {"ADC", "C", ikAucun}, {"ADC", "D", ikAucun}, {"ADC", "E", ikAucun},   // 88
    {"ADC", "H", ikAucun}, {"ADC", "L", ikAucun}, {"ADC", "M", ikAucun}, {"ADC", "A", ikAucun},   // 8C
    {"SUB", "B", ikAucun}, {"SUB", "C", ikAucun}, {"SUB", "D", ikAucun}, {"SUB", "E", ikAucun},   // 90
    {"SUB", "H", ikAucun}, {"SUB", "L", ikAucun}, {"SUB", "M", ikAucun}, {"SUB", "A", ikAucun},   // 94
    {"SBB", "B", ikAucun}, {"SBB", "C", ikAucun}, {"SBB", "D", ikAucun}, {"SBB", "E", ikAucun},   // 98
    {"SBB", "H", ikAucun}, {"SBB", "L", ikAucun}, {"SBB", "M", ikAucun}, {"SBB", "A", ikAucun},   // 9C
    {"ANA", "B", ikAucun}, {"ANA", "C", ikAucun}, {"ANA", "D", ikAucun}, {"ANA", "E", ikAucun},   // A0
    {"ANA", "H", ikAucun}, {"ANA", "L", ikAucun}, {"ANA", "M", ikAucun}, {"ANA", "A", ikAucun},   // A4
    {"XRA", "B", ikAucun}, {"XRA", "C", ikAucun}, {"XRA", "D", ikAucun}, {"XRA", "E", ikAucun},   // A8
    {"XRA", "H", ikAucun}, {"XRA", "L", ikAucun}, {"XRA", "M", ikAucun}, {"XRA", "A", ikAucun},   // AC
    {"ORA", "B", ikAucun}, {"ORA", "C", ikAucun}, {"ORA", "D", ikAucun}, {"ORA", "E", ikAucun},   // B0
    {"ORA", "H", ikAucun}, {"ORA", "L", ikAucun}, {"ORA", "M", ikAucun}, {"ORA", "A", ikAucun},   // B4
    {"CMP", "B", ikAucun}, {"CMP", "C", ikAucun}, {"CMP", "D", ikAucun}, {"CMP", "E", ikAucun},   // B8
    {"CMP", "H", ikAucun}, {"CMP", "L", ikAucun}, {"CMP", "M", ikAucun}, {"CMP", "A", ikAucun},   // BC
    {"RNZ", "", ikAucun}, {"POP", "B", ikAucun}, {"JNZ", "", ikMot}, {"JMP", "", ikMot},   // C0
    {"CNZ", "", ikMot}, {"PUSH", "B", ikAucun}, {"ADI", "", ikOctet}, {"RST", "0", ikAucun},   // C4
    {"RZ", "", ikAucun}, {"RET", "", ikAucun}, {"JZ", "", ikMot}, {"-CB-", "", ikAucun, false},   // C8
    {"CZ", "", ikMot}, {"CALL", "", ikMot}, {"ACI", "", ikOctet}, {"RST", "1", ikAucun},   // CC
    {"RNC", "", ikAucun}, {"POP", "D", ikAucun}, {"JNC", "", ikMot}, {"OUT", "", ikOctet},   // D0
    {"CNC", "", ikMot}, {"PUSH", "D", ikAucun}, {"SUI", "", ikOctet}, {"RST", "2", ikAucun},   // D4
    {"RC", "", ikAucun}, {"-D9-", "", ikAucun, false}, {"JC", "", ikMot}, {"IN", "", ikOctet},   // D8
    {"CC", "", ikMot}, {"-DD-", "", ikAucun, false}, {"SBI", "", ikOctet}, {"RST", "3", ikAucun},   // DC
    {"RPO", "", ikAucun}, {"POP", "H", ikAucun}, {"JPO", "", ikMot}, {"XTHL", "", ikAucun},   // E0
    {"CPO", "", ikMot}, {"PUSH", "H", ikAucun}, {"ANI", "", ikOctet}, {"RST", "4", ikAucun},   // E4
    {"RPE", "", ikAucun}, {"PCHL", "", ikAucun}, {"JPE", "", ikMot}, {"XCHG", "", ikAucun},   // E8
    {"CPE", "", ikMot}, {"-ED-", "", ikAucun, false}, {"XRI", "", ikOctet}, {"RST", "5", ikAucun},   // EC
    {"RP", "", ikAucun}, {"POP", "PSW", ikAucun}, {"JP", "", ikMot}, {"DI", "", ikAucun},   // F0
    {"CP", "", ikMot}, {"PUSH", "PSW", ikAucun}, {"ORI", "", ikOctet}, {"RST", "6", ikAucun},   // F4
    {"RM", "", ikAucun}, {"SPHL", "", ikAucun}, {"JM", "", ikMot}, {"EI", "", ikAucun},   // F8
    {"CM", "", ikMot}, {"-FD-", "", ikAucun, false}, {"CPI", "", ikOctet}, {"RST", "7", ikAucun},   // FC
}};

namespace {

std::array<uint8_t, 256> ConstruitLongueurs() {
    std::array<uint8_t, 256> lg{};
    for (int op = 0; op < 256; ++op)
        lg[op] = uint8_t(1 + (TableInstr[op].Imm == ikOctet ? 1 : TableInstr[op].Imm == ikMot ? 2 : 0));
    return lg;
}

std::string TexteMnemo(const TDefInstr& d) {
    std::string ops = d.Operandes;
    if (d.Imm != ikAucun && !ops.empty()) ops += ',';
    if (ops.empty() && d.Imm == ikAucun) return d.Mnemo;
    std::string t = d.Mnemo;
    t.resize(5, ' ');
    return t + ops;
}

std::array<std::string, 256> ConstruitMnemos() {
    std::array<std::string, 256> m;
    for (int op = 0; op < 256; ++op) m[op] = TexteMnemo(TableInstr[op]);
    return m;
}

} // namespace

const std::array<uint8_t, 256> LgInstr = ConstruitLongueurs();
const std::array<std::string, 256> MnemoDasm = ConstruitMnemos();
