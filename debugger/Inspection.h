// An inspection view of the machine for the debugger: the registers as a
// copyable value, memory through the processor's view or either raw bank,
// the bank that instruction fetches use and whether the model has two banks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/Machine.h"

// The nine register entries of the CPU window, in their order.
enum TRegistreCPU : uint8_t { rgSP, rgPC, rgH, rgL, rgD, rgE, rgB, rgC, rgA };
constexpr int NbRegistresCPU = 9;

// 1 for the 8-bit registers, 2 for PC and SP.
int LargeurRegistre(TRegistreCPU r);
const char* NomRegistre(TRegistreCPU r);
// "a", "Sp", "PC" … (letter case ignored).
std::optional<TRegistreCPU> RegistreNomme(std::string_view nom);

// Bits of RegPSW shown by the five flag boxes.
enum TDrapeauCPU : uint8_t { drS = 0x80, drZ = 0x40, drAC = 0x10, drP = 0x04, drCY = 0x01 };

struct TRegistresCPU {
    uint8_t A = 0, B = 0, C = 0, D = 0, E = 0, H = 0, L = 0, PSW = 0;
    uint16_t SP = 0, PC = 0, PCPrec = 0;
    uint8_t CodeJeuInst = 0, SelMem = 0;
    uint32_t Valeur(TRegistreCPU r) const;
    bool Drapeau(TDrapeauCPU d) const { return (PSW & d) != 0; }
    bool operator==(const TRegistresCPU&) const = default;
};

TRegistresCPU LitRegistres(const TMachine& m);
// Keeps the low 8 bits (16 for PC and SP).
void EcritRegistre(TMachine& m, TRegistreCPU r, uint32_t valeur);
// Sets or clears one bit of RegPSW, the others unchanged.
void EcritDrapeau(TMachine& m, TDrapeauCPU d, bool leve);

// "A=.. B=.. C=.. D=.. E=.. H=.. L=.. PSW=.. SP=.... PC=...."
std::string LigneRegistres(const TRegistresCPU& r);
// The same followed by " S=0 Z=1 AC=0 P=1 CY=0".
std::string LigneRegistresDrapeaux(const TRegistresCPU& r);

// Where a debugger view reads memory.
enum class TVueMemoire : uint8_t {
    CPU,     // "Mémoire vue du CPU": ReadMem in bank 0, with the overlays
    Banque0, // "Banque logiciel": raw RAM
    Banque1  // "Banque data": raw RAM
};
uint8_t LitMemoire(const TMachine& m, uint16_t adresse, TVueMemoire vue);

// Bank of instruction fetches: 1 exactly when CodeJeuInst is 0xD0.
inline uint8_t BanqueCode(const TMachine& m) { return m.CodeJeuInst == 0xD0 ? 1 : 0; }
// The model has the two 64 KB banks (the T7E).
inline bool DeuxBanques(const TMachine& m) { return m.Machine == 0; }
