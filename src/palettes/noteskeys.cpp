// The keys of the Notes palette: each tool button's letter (shown in its
// corner) works as a click on it.
#include "palettes/notes.h"

#include "platform/comctrls.h"
#include "platform/keys.h"
#include "score/score.h"
#include "uikit/charbutton.h"
#include "view/window.h"

namespace qs {

namespace {
using B = TFNotes::TButton;
constexpr int kValues = 7;  // whole .. 1/64
}  // namespace

void TFNotes::Press(TButton b) {
  if (!buttons_[b] || !buttons_[b]->Enabled()) return;
  buttons_[b]->SetDown(true);
  ButtonClick(b);
}

void TFNotes::Toggle(TButton b) {
  if (!buttons_[b] || !buttons_[b]->Enabled()) return;
  buttons_[b]->SetDown(!buttons_[b]->Down());
  ButtonClick(b);
}

void TFNotes::PutUp(TButton b) {
  if (buttons_[b]) buttons_[b]->SetDown(false);
}

void TFNotes::PressPair(TButton first, TButton second) {
  if (IsDown(first)) Press(second);
  else if (IsDown(second)) PutUp(second);
  else Press(first);
}

int TFNotes::DownValue(TButton first) const {
  for (int i = 0; i < kValues; ++i)
    if (IsDown(static_cast<TButton>(first + i))) return i;
  return -1;
}

bool TFNotes::PageKey(uint16_t key, uint16_t shift, uint16_t prefix) {
  const bool ctrl = shift & ssCtrl;
  const int note = DownValue(B::bNote), rest = DownValue(B::bPause);
  auto value = [](B first, int index) { return static_cast<B>(first + (index + kValues) % kValues); };
  // The numeric keypad's + goes one value shorter, - one longer, round.
  if ((key == VK_ADD || key == VK_SUBTRACT) && !ctrl) {
    const int step = key == VK_ADD ? 1 : -1;
    if (note >= 0) Press(value(B::bNote, note + step));
    else if (rest >= 0) Press(value(B::bPause, rest + step));
    return true;
  }
  if (key == VK_ADD || key == VK_SUBTRACT) {
    TQSScore* score = host_ ? host_->ActiveScore() : nullptr;
    if (auto* view = score ? dynamic_cast<TQSWindow*>(score->ActiveWindow()) : nullptr)
      view->SetFret(view->CursorFret + (key == VK_ADD ? 1 : -1));
    return true;
  }
  if (key >= '1' && key <= '7') {
    const int d = key - '1';
    if (prefix == VK_RETURN) QuickInsert(value(B::bNote, d));
    else if (prefix == VK_SPACE) QuickInsert(value(B::bPause, d));
    else if (note >= 0) Press(value(B::bNote, d));
    else if (rest >= 0) Press(value(B::bPause, d));
    return true;
  }
  switch (key) {
    case VK_RETURN:
    case VK_SPACE: return true;  // the prefix of a quick entry
    case VK_ESCAPE:
    case 'Q': PressPoint(); return true;
    case 'W': RegimeClick(); return true;
    case 'E': EraseClick(); return true;
    case 'C': Toggle(B::bClef); return true;
    case 'A': Toggle(B::bTone); return true;
    case 'I': Toggle(B::bTempo); return true;
    case 'Z': Toggle(B::bSize); return true;
    case 'N':
      if (rest >= 0) Press(value(B::bNote, rest));
      else if (note >= 0) Press(value(B::bNote, note + 1));
      else Press(B::bNote8);
      return true;
    case 'P':
      if (note >= 0) Press(value(B::bPause, note));
      else if (rest >= 0) Press(value(B::bPause, rest + 1));
      else Press(B::bPause8);
      return true;
    case 'J':
    case 'T': {
      const bool tuplet = key == 'J';
      const B b = tuplet ? B::bTreole : B::bTremolo;
      if (!IsDown(b)) {
        tuplet ? Toggle(b) : Press(b);
        return true;
      }
      // The number goes up, round from its largest back to its smallest.
      TUpDown* ud = tuplet ? UDTreole : UDTremolo;
      const int next = ud->Position() + 1 > (tuplet ? 9 : 3) ? (tuplet ? 2 : 1) : ud->Position() + 1;
      ud->SetPosition(next);
      (tuplet ? values_.Treole : values_.Tremolo) = next;
      Store();
      buttons_[b]->Invalidate();
      return true;
    }
    case 'V': Toggle(B::bVorschlag); return true;
    case 'S': Toggle(B::bStaccato); return true;
    case 'O': Toggle(B::bPortamento); return true;
    case 'B': PressPair(B::bBemol, B::bDoubleBemol); return true;
    case 'D': PressPair(B::bDiesis, B::bDoubleDiesis); return true;
    case 'L': PressPair(B::bLigaUp, B::bLigaDown); return true;
    case 'U': PressPair(B::bDot, B::bDoubleDot); return true;
    case 'H': PressPair(B::bOpenHat, B::bHalfOpenHat); return true;
    case 'G': PressPair(B::bGlissandoUp, B::bGlissandoDown); return true;
    case 'F': PressPair(B::bFallUp, B::bFallDown); return true;
    case 'R':
      if (IsDown(B::bBecarre)) Press(B::bBecarreBemol);
      else if (IsDown(B::bBecarreBemol)) Press(B::bBecarreDiesis);
      else if (IsDown(B::bBecarreDiesis)) PutUp(B::bBecarreDiesis);
      else Press(B::bBecarre);
      return true;
    case 'K': Toggle(B::bBlankNote); return true;
    case 'X': Toggle(B::bSmallNote); return true;
    case 'Y': Toggle(B::bFlazholetNote); return true;
    case 'M': Toggle(B::bDrumNote); return true;
    default: return false;
  }
}

}  // namespace qs
