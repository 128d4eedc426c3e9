#include "uikit/uicontrolsform.h"

#include <array>
#include <memory>

#include "platform/stdctrls.h"
#include "uikit/formparts.h"
#include "uikit/fretboard.h"
#include "uikit/imagetrack.h"
#include "uikit/language.h"
#include "uikit/lrf.h"
#include "uikit/popuplist.h"
#include "uikit/scrolling.h"
#include "uikit/scrollpanel.h"

namespace qs {

namespace {

// Open strings of a guitar in standard tuning, string 0 the highest.
constexpr std::array<int, 6> kOpenStrings = {4, 11, 7, 2, 9, 4};
// A C major chord: fret values per string (0 silent, 1 open, 2 fret I ...).
constexpr std::array<int, 6> kChordFrets = {1, 2, 1, 3, 4, 0};

TLabel* MakeLabel(TForm* form, const char* name, int left, int top, const char* caption) {
  auto* l = Make<TLabel>(form, form, name, left, top, 140, 16);
  l->SetCaption(caption);
  return l;
}

}  // namespace

TFUiControls::TFUiControls(TComponent* owner) : TForm(owner) {
  SetName("FUiControls");
  SetCaption("Controls");
  SetBorderStyle(bsDialog);
  SetBounds(0, 0, 520, 316);

  LVolume = MakeLabel(this, "LVolume", 8, 8, "Volume");
  TBVolume = Make<TECImageTrack>(this, this, "TBVolume", 20, 28, 18, 120);
  TBVolume->SetOrientation(toVertical);
  TBVolume->SetColor(clBtnFace);
  ApplyTrackPictures(*TBVolume, DrawTrackPictures(toVertical));
  TBVolume->SetLeftOffset(6);
  TBVolume->SetRightOffset(6);
  TBVolume->SetMax(127);
  TBVolume->SetPosition(40);

  LBalance = MakeLabel(this, "LBalance", 76, 8, "Balance");
  TBBalance = Make<TECImageTrack>(this, this, "TBBalance", 76, 28, 80, 20);
  TBBalance->SetColor(clBtnFace);
  ApplyTrackPictures(*TBBalance, DrawTrackPictures(toHorizontal));
  TBBalance->SetLeftOffset(6);
  TBBalance->SetRightOffset(6);
  TBBalance->SetMin(-127);
  TBBalance->SetMax(127);
  TBBalance->SetPosition(0);

  LPalette = MakeLabel(this, "LPalette", 170, 8, "Note values");
  SPPalette = Make<TECScrollPanel>(this, this, "SPPalette", 170, 28, 150, 60);
  SPPalette->SetBevelOuter(bvLowered);
  SPPalette->SetStep(8);
  const std::array<std::pair<TButton**, const char*>, 5> values = {{{&BWhole, "Whole"},
                                                                    {&BHalf, "Half"},
                                                                    {&BQuarter, "Quarter"},
                                                                    {&BEighth, "Eighth"},
                                                                    {&BSixteenth, "Sixteenth"}}};
  for (size_t i = 0; i < values.size(); ++i) {
    const std::string name = std::string("B") + values[i].second;
    // Wide enough for the longest name in every language.
    TButton* b = Make<TButton>(this, SPPalette, name.c_str(), 4 + int(i) * 84, 4, 82, 28);
    b->SetCaption(values[i].second);
    *values[i].first = b;
  }

  LChords = MakeLabel(this, "LChords", 340, 8, "Chords");
  SWChords = Make<TECScrollWinControl>(this, this, "SWChords", 340, 28, 168, 120);
  SWChords->VertScrollBar().SetStyle(ssFlat);
  static const char* const kChords[] = {"C", "Dm", "Em", "F", "G7", "Am", "C7", "Fmaj7", "Gsus4", "A7", "D7", "E7"};
  for (int i = 0; i < int(std::size(kChords)); ++i) {
    auto* b = new TButton(this);
    b->SetBounds(4 + (i % 2) * 70, 4 + (i / 2) * 30, 66, 28);
    b->SetCaption(kChords[i]);
    b->SetParent(SWChords);
  }

  LFretboard = MakeLabel(this, "LFretboard", 12, 160, "Fretboard");
  GFretboard = Make<TECGuitar>(this, this, "GFretboard", 12, 180, 496, 110);
  TFont font = GFretboard->Font();
  font.Style = fsBold;
  GFretboard->SetFont(font);
  GFretboard->OnGetNoteName = [this](TObject*, int fret, int string) -> std::string {
    if (string < 0 || string >= int(kOpenStrings.size())) return "";
    return NoteName(kOpenStrings[size_t(string)] + fret + 1);
  };
  for (int s = 0; s < int(kChordFrets.size()); ++s)
    if (kChordFrets[size_t(s)]) GFretboard->SetFret(s, kChordFrets[size_t(s)]);

  FLUiControls = new TECFormLanguage(this);
  FLUiControls->SetName("FLUiControls");
  FLUiControls->SetExLanguage(kDefaultLanguage);
  FLUiControls->Loaded();
}

std::string TFUiControls::NoteName(int pitchClass) const {
  static const char* const kEnglish[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
  const int pc = ((pitchClass % 12) + 12) % 12;
  return FLUiControls ? FLUiControls->GetMessage(kNoteNameMessage + pc, kEnglish[pc]) : kEnglish[pc];
}

void RegisterUiControlForms() {
  RegisterForm("FUiControls", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    return std::make_unique<TFUiControls>(nullptr);
  });
  // The drop-down list as it shows while the mouse points at its third line.
  RegisterForm("ECPopupMenu", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    std::vector<std::string> lines;
    std::string footer;
    {
      TFUiControls texts(nullptr);
      for (int i = 0; i < kHistoryLineCount; ++i) lines.push_back(texts.FLUiControls->GetMessage(kHistoryLineMessage + i));
      footer = texts.FLUiControls->GetMessage(kHistoryFooterMessage);
    }
    auto list = std::make_unique<TECPopupMenu>();
    list->SetItems(lines);
    list->SetValue(2);
    list->OnGetMessage = [footer](TObject* sender, std::string& text) {
      text = footer;
      const size_t at = text.find("%d");
      const int steps = static_cast<TECPopupMenu*>(sender)->CurrentIndex() + 1;
      if (at != std::string::npos) text.replace(at, 2, std::to_string(steps));
    };
    list->Popup(0, 0);
    return list;
  });
}

}  // namespace qs
