// The keys of the Notes page. A letter reaches the button that shows it in
// its corner; letters shared by two or three buttons step through them.
#include "palettes/notes.h"

#include "platform/comctrls.h"
#include "platform/keys.h"
#include "score/score.h"
#include "uikit/charbutton.h"
#include "view/window.h"

namespace qs {

using B = TFNotes::TButton;

namespace {
// The value buttons the digits 1 .. 7 choose, whole to sixty-fourth.
constexpr int kValues = 7;
B NoteOf(int i) { return static_cast<B>(B::bNote + i); }
B RestOf(int i) { return static_cast<B>(B::bPause + i); }
}  // namespace

void TFNotes::StepPair(TButton first, TButton second, TButton third) {
  // first, then second (then third), then none of them.
  if (IsDown(first)) {
    PressTool(second);
  } else if (IsDown(second)) {
    if (third != kButtonCount) {
      PressTool(third);
    } else {
      buttons_[second]->SetDown(false);
      ApplyTool();
    }
  } else if (third != kButtonCount && IsDown(third)) {
    buttons_[third]->SetDown(false);
    ApplyTool();
  } else {
    PressTool(first);
  }
}

bool TFNotes::KeyDown(uint16_t key, uint16_t shift, uint16_t prefix) {
  auto valueDown = [this](B (*of)(int)) {
    for (int i = 0; i < kValues; ++i)
      if (IsDown(of(i))) return i;
    return -1;
  };
  const int note = valueDown(NoteOf), rest = valueDown(RestOf);
  auto toggle = [this](B b) {
    buttons_[b]->SetDown(!buttons_[b]->Down());
    ButtonClick(b);
    buttons_[b]->Invalidate();
  };
  const bool ctrl = shift & ssCtrl;
  switch (key) {
    case VK_ADD:
    case VK_SUBTRACT: {
      const int step = key == VK_ADD ? 1 : kValues - 1;  // + shorter, - longer, round the seven
      if (ctrl) {
        TQSWindow* view = host_ && host_->ActiveScore() ? dynamic_cast<TQSWindow*>(host_->ActiveScore()->ActiveWindow())
                                                        : nullptr;
        if (!view) return false;
        view->SetFret(view->CursorFret + (key == VK_ADD ? 1 : -1));
        return true;
      }
      if (note >= 0) PressTool(NoteOf((note + step) % kValues));
      else if (rest >= 0) PressTool(RestOf((rest + step) % kValues));
      else return false;
      return true;
    }
    case VK_ESCAPE:
    case 'Q': PressPoint(); return true;
    case 'W': RegimeClick(); return true;
    case 'E':
      CBEraseNotes->SetDown(true);
      EraseClick();
      return true;
    case 'C': toggle(B::bClef); return true;
    case 'A': toggle(B::bTone); return true;
    case 'I': toggle(B::bTempo); return true;
    case 'Z': toggle(B::bSize); return true;
    case 'N':
      if (rest >= 0) PressTool(NoteOf(rest));
      else if (note >= 0) PressTool(NoteOf((note + 1) % kValues));
      else PressTool(B::bNote8);
      return true;
    case 'P':
      if (note >= 0) PressTool(RestOf(note));
      else if (rest >= 0) PressTool(RestOf((rest + 1) % kValues));
      else PressTool(B::bPause8);
      return true;
    case VK_RETURN:
    case VK_SPACE: return true;  // the prefix of the next key
    case 'J':
    case 'T': {
      // Down already: its count goes up, round from the highest to the
      // lowest; else the tuplet toggles and the tremolo is pressed.
      const bool tuplet = key == 'J';
      const B b = tuplet ? B::bTreole : B::bTremolo;
      TUpDown* ud = tuplet ? UDTreole : UDTremolo;
      int& count = tuplet ? values_.Treole : values_.Tremolo;
      if (IsDown(b)) {
        count = count >= ud->Max ? ud->Min : count + 1;
        ud->SetPosition(count);
        Store();
        buttons_[b]->Invalidate();
      } else if (tuplet) {
        toggle(b);
      } else {
        PressTool(b);
      }
      return true;
    }
    case 'V': toggle(B::bVorschlag); return true;
    case 'S': toggle(B::bStaccato); return true;
    case 'O': toggle(B::bPortamento); return true;
    case 'B': StepPair(B::bBemol, B::bDoubleBemol); return true;
    case 'D': StepPair(B::bDiesis, B::bDoubleDiesis); return true;
    case 'L': StepPair(B::bLigaUp, B::bLigaDown); return true;
    case 'U': StepPair(B::bDot, B::bDoubleDot); return true;
    case 'H': StepPair(B::bOpenHat, B::bHalfOpenHat); return true;
    case 'G': StepPair(B::bGlissandoUp, B::bGlissandoDown); return true;
    case 'F': StepPair(B::bFallUp, B::bFallDown); return true;
    case 'R': StepPair(B::bBecarre, B::bBecarreBemol, B::bBecarreDiesis); return true;
    case 'K': toggle(B::bBlankNote); return true;
    case 'X': toggle(B::bSmallNote); return true;
    case 'Y': toggle(B::bFlazholetNote); return true;
    case 'M': toggle(B::bDrumNote); return true;
    default: break;
  }
  if (key >= '1' && key <= '7') {
    const int d = key - '1';
    if (prefix == VK_RETURN) QuickInsert(NoteOf(d));
    else if (prefix == VK_SPACE) QuickInsert(RestOf(d));
    else if (note >= 0) PressTool(NoteOf(d));
    else if (rest >= 0) PressTool(RestOf(d));
    else return false;
    return true;
  }
  return false;
}

}  // namespace qs
