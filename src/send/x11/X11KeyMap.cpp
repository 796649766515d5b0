#include "send/x11/X11KeyMap.h"

#include <X11/keysym.h>

namespace kordan {

std::vector<unsigned long> keysymsForVirtualKey(int32_t vk) {
    if (vk >= 'A' && vk <= 'Z')
        return {static_cast<unsigned long>(XK_a + (vk - 'A'))};
    if (vk >= '0' && vk <= '9')
        return {static_cast<unsigned long>(XK_0 + (vk - '0'))};
    if (vk >= 0x70 && vk <= 0x87) // F1-F24
        return {static_cast<unsigned long>(XK_F1 + (vk - 0x70))};
    if (vk >= 0x60 && vk <= 0x69) // number pad digits
        return {static_cast<unsigned long>(XK_KP_0 + (vk - 0x60))};
    switch (vk) {
    case 0x03:
        return {XK_Break, XK_Cancel};
    case 0x08:
        return {XK_BackSpace};
    case 0x09:
        return {XK_Tab};
    case 0x0C:
        return {XK_KP_Begin, XK_Clear};
    case 0x0D:
        return {XK_Return};
    case 0x10:
        return {XK_Shift_L};
    case 0x11:
        return {XK_Control_L};
    case 0x12:
        return {XK_Alt_L};
    case 0x13:
        return {XK_Pause};
    case 0x14:
        return {XK_Caps_Lock};
    case 0x1B:
        return {XK_Escape};
    case 0x20:
        return {XK_space};
    case 0x21:
        return {XK_Prior};
    case 0x22:
        return {XK_Next};
    case 0x23:
        return {XK_End};
    case 0x24:
        return {XK_Home};
    case 0x25:
        return {XK_Left};
    case 0x26:
        return {XK_Up};
    case 0x27:
        return {XK_Right};
    case 0x28:
        return {XK_Down};
    case 0x2C:
        return {XK_Print};
    case 0x2D:
        return {XK_Insert};
    case 0x2E:
        return {XK_Delete};
    case 0x2F:
        return {XK_Help};
    case 0x5B:
        return {XK_Super_L};
    case 0x5C:
        return {XK_Super_R};
    case 0x5D:
        return {XK_Menu};
    case 0x6A:
        return {XK_KP_Multiply};
    case 0x6B:
        return {XK_KP_Add};
    case 0x6C:
        return {XK_KP_Separator};
    case 0x6D:
        return {XK_KP_Subtract};
    case 0x6E:
        return {XK_KP_Decimal, XK_KP_Separator, XK_KP_Delete};
    case 0x6F:
        return {XK_KP_Divide};
    case 0x90:
        return {XK_Num_Lock};
    case 0x91:
        return {XK_Scroll_Lock};
    case 0xA0:
        return {XK_Shift_L};
    case 0xA1:
        return {XK_Shift_R};
    case 0xA2:
        return {XK_Control_L};
    case 0xA3:
        return {XK_Control_R};
    case 0xA4:
        return {XK_Alt_L};
    case 0xA5:
        return {XK_ISO_Level3_Shift, XK_Alt_R}; // AltGr on a German keyboard
    // Punctuation: German layout first, then the US meaning of the same code.
    case 0xBA:
        return {XK_udiaeresis, XK_semicolon};
    case 0xBB:
        return {XK_plus, XK_equal};
    case 0xBC:
        return {XK_comma};
    case 0xBD:
        return {XK_minus};
    case 0xBE:
        return {XK_period};
    case 0xBF:
        return {XK_numbersign, XK_slash};
    case 0xC0:
        return {XK_odiaeresis, XK_grave};
    case 0xDB:
        return {XK_ssharp, XK_bracketleft};
    case 0xDC:
        return {XK_dead_circumflex, XK_asciicircum, XK_backslash};
    case 0xDD:
        return {XK_dead_acute, XK_acute, XK_bracketright};
    case 0xDE:
        return {XK_adiaeresis, XK_apostrophe};
    case 0xE2:
        return {XK_less, XK_backslash};
    default:
        return {};
    }
}

} // namespace kordan
