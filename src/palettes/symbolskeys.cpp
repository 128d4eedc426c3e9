// The keys of the Symbols page: each letter goes round its tools and back
// to Point.
#include <initializer_list>
#include <utility>

#include "palettes/symbols.h"
#include "platform/keys.h"
#include "uikit/charbutton.h"

namespace qs {

namespace {

using B = TFSymbols::TButton;

struct TCycle {
  uint16_t Key;
  std::initializer_list<B> Tools;
  B WithShift;
};

const TCycle kCycles[] = {
    {'C', {B::bCrechendo}, B::bCrechendo},
    {'D', {B::bDiminuendo}, B::bDiminuendo},
    {'I', {B::bArpeggio, B::bArpeggioUp, B::bArpeggioDown}, B::bArpeggio},
    {'V', {B::bVibrato, B::bWideVibrato, B::bVibratoBar}, B::bVibrato},
    {'A', {B::bAccentTop, B::bAccentRight}, B::bAccentTop},
    {'T', {B::bTrill, B::bTrillB, B::bTrillD, B::bTrillBk}, B::bTrill},
    {'G', {B::bGroup1, B::bGroup2}, B::bGroup1},
    {'H', {B::bBottomHang, B::bTopHang}, B::bBottomHang},
    {'K', {B::bBeginCoda}, B::bBeginCoda},
    {'B', {B::bBracketUp, B::bBracketDown}, B::bBracketUp},
    {'N', {B::bBeginComposition, B::bEndComposition, B::bEndPartion, B::bPartComposition}, B::bEndPartion},
    {'O', {B::bOttavaUp, B::bOttavaDown}, B::bOttavaUp},
    {'P', {B::bPiano, B::bPianissimo, B::bPianississimo}, B::bPiano},
    {'Z', {B::bFortepiano, B::bMezzopiano, B::bMezzoForte}, B::bFortepiano},
    {'L', {B::bPedalDown, B::bPedalUp}, B::bPedalDown},
    {'F', {B::bForte, B::bFortissimo, B::bFortississimo}, B::bForte},
    {'S', {B::bForzando, B::bSForzando, B::bSForzato, B::bExtraForzato}, B::bForzando},
    {'M', {B::bMordent, B::bStrikeMordent, B::bDoubleMordent, B::bStrikeDoubleMordent}, B::bMordent},
    {'R', {B::bFermataUp, B::bFermataDown}, B::bFermataUp},
    {'X', {B::bBeginRepeat, B::bEndRepeat}, B::bBeginRepeat},
    {'0', {B::bZero}, B::bZero},
    {'1', {B::bOne}, B::bOne},
    {'2', {B::bTwo}, B::bTwo},
    {'3', {B::bThree}, B::bThree},
    {'4', {B::bFour}, B::bFour},
    {'5', {B::bFive}, B::bFive},
};

}  // namespace

void TFSymbols::PressTool(TButton b) {
  if (!buttons_[b]->Enabled()) return;
  buttons_[b]->SetDown(true);
  ToolClick(b);
}

bool TFSymbols::PageKey(uint16_t key, uint16_t shift, uint16_t prefix) {
  (void)prefix;
  switch (key) {
    case VK_ESCAPE:
    case 'Q': PressPoint(); return true;
    case 'W': RegimeClick(); return true;
    case 'E': EraseClick(); return true;
    default: break;
  }
  for (const TCycle& cycle : kCycles) {
    if (cycle.Key != key) continue;
    if (shift & ssShift) {
      PressTool(cycle.WithShift);
      return true;
    }
    // The tool after the one that is down, skipping those not offered;
    // after the last one Point.
    const B* begin = cycle.Tools.begin();
    const B* next = begin;
    for (const B* t = begin; t != cycle.Tools.end(); ++t)
      if (IsDown(*t)) next = t + 1;
    for (; next != cycle.Tools.end(); ++next)
      if (buttons_[*next]->Visible() && buttons_[*next]->Enabled()) {
        PressTool(*next);
        return true;
      }
    PressPoint();
    return true;
  }
  return false;
}

}  // namespace qs
