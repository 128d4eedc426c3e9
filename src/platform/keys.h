#pragma once
// Keys and mouse buttons as the program's input handlers see them: virtual
// key codes, the shift state (modifier keys and mouse buttons) and window
// message numbers.
#include <cstdint>

namespace qs {

enum TShiftStateFlag : uint16_t {
  ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64
};
using TShiftState = uint16_t;

enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };

// Virtual key codes. Letters and digits are their upper-case ASCII codes
// ('A', '0'); the numeric pad has codes of its own.
enum : uint16_t {
  VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03, VK_MBUTTON = 0x04,
  VK_BACK = 0x08, VK_TAB = 0x09, VK_CLEAR = 0x0C, VK_RETURN = 0x0D,
  VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14,
  VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24,
  VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28,
  VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_HELP = 0x2F,
  VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_APPS = 0x5D,
  VK_NUMPAD0 = 0x60, VK_NUMPAD9 = 0x69, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SEPARATOR = 0x6C,
  VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F,
  VK_F1 = 0x70, VK_F12 = 0x7B, VK_F24 = 0x87,
  VK_NUMLOCK = 0x90, VK_SCROLL = 0x91,
  VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD, VK_OEM_PERIOD = 0xBE,
  VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB, VK_OEM_5 = 0xDC, VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE,
};

// Window message numbers the controls deliver through WndProc.
enum : uint32_t {
  WM_NULL = 0x0000, WM_CLOSE = 0x0010, WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101, WM_CHAR = 0x0102,
  WM_SYSKEYDOWN = 0x0104, WM_SYSKEYUP = 0x0105, WM_TIMER = 0x0113, WM_MOUSEMOVE = 0x0200,
  WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202, WM_LBUTTONDBLCLK = 0x0203, WM_RBUTTONDOWN = 0x0204,
  WM_RBUTTONUP = 0x0205, WM_MBUTTONDOWN = 0x0207, WM_MBUTTONUP = 0x0208, WM_MOUSEWHEEL = 0x020A,
  WM_CANCELMODE = 0x001F, WM_USER = 0x0400,
};

// The one table between the toolkit's key codes (printable keys are their
// character codes, '+' is 0x2B) and virtual key codes; keypad tells the
// numeric pad's keys from the main keyboard's. 0 for a key without a code.
uint16_t VirtualKeyFromQt(int qtKey, bool keypad);
// The toolkit key (and whether it is on the numeric pad) for a virtual key.
int QtKeyFromVirtualKey(uint16_t vk, bool* keypad);

// One mouse wheel notch.
constexpr int WHEEL_DELTA = 120;

}  // namespace qs
