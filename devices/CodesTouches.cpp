// Qt key numbers (Qt::Key, as plain integers so the logic stays free of Qt)
// mapped to the Windows virtual-key codes the keyboard rules are written in.
#include <algorithm>
#include <array>

#include "devices/TraductionClavier.h"

namespace {

struct TCleVk {
    int CleQt;
    uint16_t Vk;
};

constexpr std::array<TCleVk, 23> ClesSpeciales = {{
    {0x01000001, 0x09}, // Key_Tab
    {0x01000002, 0x09}, // Key_Backtab (Shift+Tab)
    {0x01000003, 0x08}, // Key_Backspace
    {0x01000004, 0x0D}, // Key_Return
    {0x01000005, 0x0D}, // Key_Enter (keypad)
    {0x01000006, 0x2D}, // Key_Insert
    {0x01000007, 0x2E}, // Key_Delete
    {0x01000010, 0x24}, // Key_Home
    {0x01000011, 0x23}, // Key_End
    {0x01000012, 0x25}, // Key_Left
    {0x01000013, 0x26}, // Key_Up
    {0x01000014, 0x27}, // Key_Right
    {0x01000015, 0x28}, // Key_Down
    {0x01000016, 0x21}, // Key_PageUp
    {0x01000017, 0x22}, // Key_PageDown
    {0x01000031, 0x71}, // Key_F2
    {0x01000032, 0x72}, // Key_F3
    {0x01000033, 0x73}, // Key_F4
    {0x01000034, 0x74}, // Key_F5
    {0x01000035, 0x75}, // Key_F6
    {0x01000036, 0x76}, // Key_F7
    {0x01000037, 0x77}, // Key_F8
    {0x01000038, 0x78}, // Key_F9
}};

} // namespace

uint16_t VkDepuisCleQt(int cleQt) {
    // Key_Space and Key_A..Key_Z carry the same numbers as their virtual keys.
    if (cleQt == 0x20 || (cleQt >= 0x41 && cleQt <= 0x5A)) return uint16_t(cleQt);
    const auto it = std::find_if(ClesSpeciales.begin(), ClesSpeciales.end(),
                                 [cleQt](const TCleVk& e) { return e.CleQt == cleQt; });
    return it == ClesSpeciales.end() ? 0 : it->Vk;
}
