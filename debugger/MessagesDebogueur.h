// Posted messages between the debugger windows (numbers from the first user
// message 0x400; 0x401, the run message, is in core/Hote.h).
#pragma once

#include <cstdint>

constexpr uint32_t MsgAfficheCPU = 0x402;     // CPU window: its controls are out of date
constexpr uint32_t MsgFermeDonnees = 0x403;   // CPU window, Param2 = the data window closed
constexpr uint32_t MsgMajDonnees = 0x404;     // data windows: refresh
constexpr uint32_t MsgActiveFenetre = 0x405;  // data and code windows, Param1 1 enable / 0 disable
constexpr uint32_t MsgMajCode = 0x406;        // code windows: list again; data windows: abandon the edit
constexpr uint32_t MsgFermeCode = 0x408;      // CPU window, Param2 = the code window closed
constexpr uint32_t MsgAjouteVar = 0x40A;      // watch window, Param1 = watch descriptor
constexpr uint32_t MsgMajVar = 0x40B;         // watch window: recompute
constexpr uint32_t MsgMajPile = 0x414;        // stack window: rebuild
constexpr uint32_t MsgBanques = 0x420;        // CPU window then forwarded, Param1 1 = two banks
