// Translation of host key messages into entries of the machine's keyboard
// queue. Pure functions: no Qt, no machine state beyond what is passed in.
#pragma once

#include <cstdint>
#include <vector>

#include "core/Hote.h"

enum class TTypeMessageClavier : uint8_t {
    ToucheEnfoncee, // key-down message (0x0100), Code = Windows virtual-key code
    Caractere       // character message (0x0102), Code = UTF-16 code unit
};

struct TMessageClavier {
    TTypeMessageClavier Type = TTypeMessageClavier::Caractere;
    uint16_t Code = 0;
    bool Shift = false, Ctrl = false, Alt = false;
};

struct TContexteClavier {
    int32_t ModeClavier = 0;     // -1, 0, 1 or 2
    THeureLocale Date;           // today's date, for F9
    char16_t SeparateurDate = u'/';
    bool CaptureClav = true;     // for the Alt table of FormKeyDown
};

struct TTraduction {
    bool Consomme = false;           // the message is eaten
    bool FinEmul = false;            // Alt+F4 (FormKeyDown only)
    std::vector<uint16_t> Entrees;   // entries to push with AjouteTouche, in order
};

// The rules of the application-wide hook, tried in order.
TTraduction TraduitMessageClavier(const TMessageClavier& msg, const TContexteClavier& ctx);

// The main window's key-down handler: Alt+F4 and the Alt table.
TTraduction FormKeyDown(const TMessageClavier& msg, const TContexteClavier& ctx);

// Windows virtual-key code for a Qt::Key value (given as a plain integer), or
// 0 when the key has none the rules use.
uint16_t VkDepuisCleQt(int cleQt);
