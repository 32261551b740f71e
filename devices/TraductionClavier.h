// Translation of host key messages into entries of the machine's keyboard
// queue. Pure functions: no Qt, no machine state beyond what is passed in.
#pragma once

#include <cstdint>
#include <vector>

#include "core/Hote.h"

struct TMachine;

enum class TTypeMessageClavier : uint8_t {
    ToucheEnfoncee, // key-down message (0x0100), Code = Windows virtual-key code
    Caractere       // character message (0x0102), Code = UTF-16 code unit
};

struct TMessageClavier {
    TTypeMessageClavier Type = TTypeMessageClavier::Caractere;
    uint16_t Code = 0;
    bool Shift = false, Ctrl = false, Alt = false;
};

// Ctrl and Shift are the modifiers of the message. A message with Alt held and
// Ctrl not held is a system message: TraduitMessageClavier leaves it alone and
// FormKeyDown handles it.
struct TContexteClavier {
    int32_t ModeClavier = 0;     // -1, 0, 1 or 2
    THeureLocale Date;           // today's date, for F9
    char16_t SeparateurDate = u'/';
    bool CaptureClav = true;     // false: nothing is translated (hook removed)
};

struct TTraduction {
    bool Consomme = false;           // the message is eaten
    bool FinEmul = false;            // Alt+F4 (FormKeyDown only)
    std::vector<uint16_t> Entrees;   // entries to push with AjouteTouche, in order
};

// The rules of the application-wide hook, tried in order.
TTraduction TraduitMessageClavier(const TMessageClavier& msg, const TContexteClavier& ctx);

// Attribute of the cursor-like keys: base with Ctrl, base + 1 with Shift
// alone, base + 3 without either. F5 uses base 0.
uint8_t AjusteAttribut(uint8_t base, bool shift, bool ctrl);

// The main window's key-down handler: Alt+F4 and the Alt table.
TTraduction FormKeyDown(const TMessageClavier& msg, const TContexteClavier& ctx);

// Windows virtual-key code for a Qt::Key value (given as a plain integer), or
// 0 when the key has none the rules use.
uint16_t VkDepuisCleQt(int cleQt);

// Pushes the entries of a translation through TMachine::AjouteTouche (a full
// queue drops the rest).
void PousseEntrees(TMachine& m, const TTraduction& t);
