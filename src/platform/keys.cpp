// The toolkit's keys as virtual key codes, in one table.
#include <QCursor>

#include <array>
#include <map>

#include "platform/qtcontrols.h"

namespace qs {

namespace {

struct TKeyRow {
  int Qt;
  bool Keypad;  // only on the numeric pad
  uint16_t Vk;
};

// Shifted symbols of a US keyboard give the code of their key, so that
// Shift+1 is '1' with ssShift as it is on the platform the program knows.
constexpr std::array kKeys = {
    TKeyRow{Qt::Key_Backspace, false, VK_BACK}, TKeyRow{Qt::Key_Tab, false, VK_TAB},
    TKeyRow{Qt::Key_Backtab, false, VK_TAB}, TKeyRow{Qt::Key_Clear, false, VK_CLEAR},
    TKeyRow{Qt::Key_Return, false, VK_RETURN}, TKeyRow{Qt::Key_Enter, false, VK_RETURN},
    TKeyRow{Qt::Key_Shift, false, VK_SHIFT}, TKeyRow{Qt::Key_Control, false, VK_CONTROL},
    TKeyRow{Qt::Key_Alt, false, VK_MENU}, TKeyRow{Qt::Key_Pause, false, VK_PAUSE},
    TKeyRow{Qt::Key_CapsLock, false, VK_CAPITAL}, TKeyRow{Qt::Key_Escape, false, VK_ESCAPE},
    TKeyRow{Qt::Key_Space, false, VK_SPACE}, TKeyRow{Qt::Key_PageUp, false, VK_PRIOR},
    TKeyRow{Qt::Key_PageDown, false, VK_NEXT}, TKeyRow{Qt::Key_End, false, VK_END},
    TKeyRow{Qt::Key_Home, false, VK_HOME}, TKeyRow{Qt::Key_Left, false, VK_LEFT},
    TKeyRow{Qt::Key_Up, false, VK_UP}, TKeyRow{Qt::Key_Right, false, VK_RIGHT},
    TKeyRow{Qt::Key_Down, false, VK_DOWN}, TKeyRow{Qt::Key_Print, false, VK_SNAPSHOT},
    TKeyRow{Qt::Key_Insert, false, VK_INSERT}, TKeyRow{Qt::Key_Delete, false, VK_DELETE},
    TKeyRow{Qt::Key_Help, false, VK_HELP}, TKeyRow{Qt::Key_Meta, false, VK_LWIN},
    TKeyRow{Qt::Key_Menu, false, VK_APPS},
    TKeyRow{Qt::Key_Asterisk, true, VK_MULTIPLY}, TKeyRow{Qt::Key_Plus, true, VK_ADD},
    TKeyRow{Qt::Key_Comma, true, VK_SEPARATOR}, TKeyRow{Qt::Key_Minus, true, VK_SUBTRACT},
    TKeyRow{Qt::Key_Period, true, VK_DECIMAL}, TKeyRow{Qt::Key_Slash, true, VK_DIVIDE},
    TKeyRow{Qt::Key_NumLock, false, VK_NUMLOCK}, TKeyRow{Qt::Key_ScrollLock, false, VK_SCROLL},
    TKeyRow{Qt::Key_Semicolon, false, VK_OEM_1}, TKeyRow{Qt::Key_Colon, false, VK_OEM_1},
    TKeyRow{Qt::Key_Equal, false, VK_OEM_PLUS}, TKeyRow{Qt::Key_Plus, false, VK_OEM_PLUS},
    TKeyRow{Qt::Key_Comma, false, VK_OEM_COMMA}, TKeyRow{Qt::Key_Less, false, VK_OEM_COMMA},
    TKeyRow{Qt::Key_Minus, false, VK_OEM_MINUS}, TKeyRow{Qt::Key_Underscore, false, VK_OEM_MINUS},
    TKeyRow{Qt::Key_Period, false, VK_OEM_PERIOD}, TKeyRow{Qt::Key_Greater, false, VK_OEM_PERIOD},
    TKeyRow{Qt::Key_Slash, false, VK_OEM_2}, TKeyRow{Qt::Key_Question, false, VK_OEM_2},
    TKeyRow{Qt::Key_QuoteLeft, false, VK_OEM_3}, TKeyRow{Qt::Key_AsciiTilde, false, VK_OEM_3},
    TKeyRow{Qt::Key_BracketLeft, false, VK_OEM_4}, TKeyRow{Qt::Key_BraceLeft, false, VK_OEM_4},
    TKeyRow{Qt::Key_Backslash, false, VK_OEM_5}, TKeyRow{Qt::Key_Bar, false, VK_OEM_5},
    TKeyRow{Qt::Key_BracketRight, false, VK_OEM_6}, TKeyRow{Qt::Key_BraceRight, false, VK_OEM_6},
    TKeyRow{Qt::Key_Apostrophe, false, VK_OEM_7}, TKeyRow{Qt::Key_QuoteDbl, false, VK_OEM_7},
    TKeyRow{Qt::Key_Exclam, false, '1'}, TKeyRow{Qt::Key_At, false, '2'},
    TKeyRow{Qt::Key_NumberSign, false, '3'}, TKeyRow{Qt::Key_Dollar, false, '4'},
    TKeyRow{Qt::Key_Percent, false, '5'}, TKeyRow{Qt::Key_AsciiCircum, false, '6'},
    TKeyRow{Qt::Key_Ampersand, false, '7'}, TKeyRow{Qt::Key_Asterisk, false, '8'},
    TKeyRow{Qt::Key_ParenLeft, false, '9'}, TKeyRow{Qt::Key_ParenRight, false, '0'},
};

}  // namespace

uint16_t VirtualKeyFromQt(int qtKey, bool keypad) {
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
    return static_cast<uint16_t>(keypad ? VK_NUMPAD0 + (qtKey - Qt::Key_0) : qtKey);
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return static_cast<uint16_t>(qtKey);
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return static_cast<uint16_t>(VK_F1 + (qtKey - Qt::Key_F1));
  // A pad key without a row of its own (Home, arrows with Num Lock off) is
  // the same key as on the main block.
  for (const TKeyRow& row : kKeys)
    if (row.Qt == qtKey && row.Keypad == keypad) return row.Vk;
  for (const TKeyRow& row : kKeys)
    if (row.Qt == qtKey) return row.Vk;
  return 0;
}

int QtKeyFromVirtualKey(uint16_t vk, bool* keypad) {
  *keypad = false;
  if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return vk;
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) {
    *keypad = true;
    return Qt::Key_0 + (vk - VK_NUMPAD0);
  }
  if (vk >= VK_F1 && vk <= VK_F24) return Qt::Key_F1 + (vk - VK_F1);
  for (const TKeyRow& row : kKeys)
    if (row.Vk == vk) {
      *keypad = row.Keypad;
      return row.Qt;
    }
  return 0;
}

TShiftState ShiftFromQt(int modifiers, int buttons) {
  TShiftState s = 0;
  if (modifiers & Qt::ShiftModifier) s |= ssShift;
  if (modifiers & Qt::AltModifier) s |= ssAlt;
  if (modifiers & Qt::ControlModifier) s |= ssCtrl;
  if (buttons & Qt::LeftButton) s |= ssLeft;
  if (buttons & Qt::RightButton) s |= ssRight;
  if (buttons & Qt::MiddleButton) s |= ssMiddle;
  return s;
}

int QtModifiersFromShift(TShiftState shift) {
  int m = Qt::NoModifier;
  if (shift & ssShift) m |= Qt::ShiftModifier;
  if (shift & ssAlt) m |= Qt::AltModifier;
  if (shift & ssCtrl) m |= Qt::ControlModifier;
  return m;
}

std::map<TCursor, QCursor>& CursorRegistry() {
  static std::map<TCursor, QCursor> registry;
  return registry;
}

QCursor QtCursor(TCursor cursor) {
  if (cursor > 0) {
    auto it = CursorRegistry().find(cursor);
    return it == CursorRegistry().end() ? QCursor(Qt::ArrowCursor) : it->second;
  }
  switch (cursor) {
    case crNone: return QCursor(Qt::BlankCursor);
    case crCross: return QCursor(Qt::CrossCursor);
    case crIBeam: return QCursor(Qt::IBeamCursor);
    case crSizeNESW: return QCursor(Qt::SizeBDiagCursor);
    case crSizeNS: return QCursor(Qt::SizeVerCursor);
    case crSizeNWSE: return QCursor(Qt::SizeFDiagCursor);
    case crSizeWE: return QCursor(Qt::SizeHorCursor);
    case crUpArrow: return QCursor(Qt::UpArrowCursor);
    case crHourGlass: case crSQLWait: return QCursor(Qt::WaitCursor);
    case crDrag: case crMultiDrag: return QCursor(Qt::DragCopyCursor);
    case crNoDrop: case crNo: return QCursor(Qt::ForbiddenCursor);
    case crHSplit: return QCursor(Qt::SplitHCursor);
    case crVSplit: return QCursor(Qt::SplitVCursor);
    case crAppStart: return QCursor(Qt::BusyCursor);
    case crHelp: return QCursor(Qt::WhatsThisCursor);
    case crHandPoint: return QCursor(Qt::PointingHandCursor);
    case crSizeAll: return QCursor(Qt::SizeAllCursor);
    default: return QCursor(Qt::ArrowCursor);
  }
}

}  // namespace qs
