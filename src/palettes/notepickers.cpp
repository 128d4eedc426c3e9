#include "palettes/notepickers.h"

#include <algorithm>
#include <string>

#include "base/strings.h"
#include "platform/comctrls.h"
#include "platform/musicglyphs.h"
#include "platform/stdctrls.h"
#include "uikit/charbutton.h"
#include "uikit/formparts.h"
#include "uikit/pagecontrol.h"

namespace qs {

namespace {

constexpr const char* kUnits[] = {"2", "4", "8", "16", "32", "64"};
constexpr int kMaxCount = 12;

int SelectedUnit(const TComboBox& box) {
  const int index = box.ItemIndex();
  return index >= 0 && index < 6 ? StrToIntSafe(kUnits[index], 0) : 0;
}

// The note characters of the beat notes and note values, whole first.
constexpr uint8_t kNoteGlyphs[] = {glyphs::NoteheadWhole, glyphs::NoteHalfUp,  glyphs::NoteQuarterUp,
                                   glyphs::Note8thUp,     glyphs::Note16thUp,  glyphs::Note32ndUp,
                                   glyphs::Note64thUp};

}  // namespace

// ------------------------------------------------------------ time signature

TFChooseSize::TFChooseSize(TComponent* owner) : TDropDownPicker(owner, "FChooseSize", 160, 62) {
  SetCaption("Time signature");
  LNotes = Make<TLabel>(this, "LNotes", 4, 8, 60, 16);
  LNotes->SetCaption("Beats");
  ENotes = Make<TEdit>(this, "ENotes", 66, 4, 34, 21);
  UDNotes = Make<TUpDown>(this, "UDNotes", 100, 4, 17, 21);
  UDNotes->Min = 1;
  UDNotes->Max = kMaxCount;
  UDNotes->SetAssociate(ENotes);
  UDNotes->SetPosition(1);
  LSize = Make<TLabel>(this, "LSize", 4, 37, 60, 16);
  LSize->SetCaption("Unit");
  CBSize = Make<TComboBox>(this, "CBSize", 66, 33, 51, 21);
  CBSize->SetStyle(csDropDownList);
  TStringList units;
  for (const char* u : kUnits) units.Add(u);
  CBSize->SetItems(units);
  CBSymbol1 = GlyphButton(this, "CBSymbol1", glyphs::TimeSigCommon, 124, 2, 32, 28, 8, -17);
  CBSymbol2 = GlyphButton(this, "CBSymbol2", glyphs::TimeSigCutCommon, 124, 31, 32, 28, 8, -17);
  for (TECCharButton* b : {CBSymbol1, CBSymbol2}) {
    b->SetAllowAllUp(true);
    b->OnClick = [this](TObject*) { Changed(); };
  }
  UDNotes->OnClick = [this](TObject*, TUDBtnType) { Changed(); };
  ENotes->OnChange = [this](TObject*) { Changed(); };
  CBSize->OnChange = [this](TObject*) { Changed(); };
  Finish();
  UpdateSymbols();
}

int TFChooseSize::GetSize() const {
  const int count = std::clamp(StrToIntSafe(Trim(ENotes->Text()), UDNotes->Position()), 1, kMaxCount);
  return TimeWord(count, SelectedUnit(*CBSize));
}

int TFChooseSize::GetSizeStyle() const {
  // A symbol button that was disabled while it stayed down still counts.
  const int size = GetSize();
  if (size == TimeWord(4, 4) || size == TimeWord(2, 2)) {
    if (CBSymbol1->Down()) return 1;
    if (CBSymbol2->Down()) return 2;
  } else if (size == TimeWord(2, 4) && CBSymbol2->Down()) {
    return 2;
  }
  return 0;
}

void TFChooseSize::SetSize(int size) {
  presetting_ = true;
  UDNotes->SetPosition(std::clamp((size >> 8) & 0xFF, 1, kMaxCount));
  int index = -1;
  for (int i = 0; i < 6; ++i)
    if (std::to_string(size & 0xFF) == kUnits[i]) index = i;
  CBSize->SetItemIndex(index);
  presetting_ = false;
  UpdateSymbols();
}

void TFChooseSize::SetSizeStyle(int style) {
  CBSymbol1->SetDown(style == 1);
  CBSymbol2->SetDown(style == 2);
}

void TFChooseSize::UpdateSymbols() {
  const int size = GetSize();
  CBSymbol1->SetEnabled(size == TimeWord(4, 4));
  CBSymbol2->SetEnabled(size == TimeWord(2, 4) || size == TimeWord(4, 4));
}

void TFChooseSize::Changed() {
  if (presetting_) return;
  UpdateSymbols();
  if (OnChange) OnChange(this, GetSize(), GetSizeStyle());
}

// ---------------------------------------------------------------- tempo mark

TFChooseTempo::TFChooseTempo(TComponent* owner) : TDropDownPicker(owner, "FChooseTempo", 134, 62) {
  SetCaption("Tempo");
  static constexpr const char* kNames[] = {"CBNote", "CBNote2", "CBNote4", "CBNote8", "CBNote16"};
  for (int i = 0; i < 5; ++i) {
    TECCharButton* b = GlyphButton(this, kNames[i], kNoteGlyphs[i], 2 + 26 * i, 2, 26, 30, 7,
                                   GlyphFaceTop(kNoteGlyphs[i]));
    b->OnClick = [this](TObject*) { Changed(); };
    CBNotes[static_cast<size_t>(i)] = b;
  }
  CBNotes[2]->SetDown(true);
  // One beat note is always chosen.
  for (TECCharButton* b : CBNotes) b->SetAllowAllUp(false);
  LTempo = Make<TLabel>(this, "LTempo", 4, 40, 60, 16);
  LTempo->SetCaption("Beats per minute");
  LTempo->AutoSize = false;
  ETempo = Make<TEdit>(this, "ETempo", 84, 36, 46, 21);
  ETempo->SetText("120");
  ETempo->OnChange = [this](TObject*) {
    // Only a number is taken; the value stays while the text is none.
    const std::string text = Trim(ETempo->Text());
    const int value = StrToIntSafe(text, -1);
    if (value < 0 || value > 0xFFFF) return;
    tempo_ = value;
    Changed();
  };
  Finish();
}

int TFChooseTempo::GetTempoNote() const {
  for (int i = 0; i < 5; ++i)
    if (CBNotes[static_cast<size_t>(i)]->Down()) return i;
  return 2;
}

void TFChooseTempo::SetTempoNote(int index) {
  CBNotes[static_cast<size_t>(index >= 0 && index <= 4 ? index : 2)]->SetDown(true);
}

int TFChooseTempo::GetTempo() const { return tempo_; }

void TFChooseTempo::SetTempo(int value) {
  presetting_ = true;
  tempo_ = value & 0xFFFF;
  ETempo->SetText(std::to_string(tempo_));
  presetting_ = false;
}

void TFChooseTempo::Changed() {
  if (!presetting_ && OnChange) OnChange(this);
}

// --------------------------------------------------------------- grace notes

namespace {
// The track bar runs from an eighth (64 ticks) at the left to a
// sixty-fourth (8 ticks) at the right: position P is 72 - P ticks.
constexpr int kGraceTrackSum = 72;
}  // namespace

TFChooseVorschlag::TFChooseVorschlag(TComponent* owner) : TDropDownPicker(owner, "FChooseVorschlag", 240, 182) {
  SetCaption("Grace notes");
  RGPlace = Make<TGroupBox>(this, "RGPlace", 4, 2, 114, 60);
  RGPlace->SetCaption("Place");
  RBBefore = Make<TRadioButton>(this, RGPlace, "RBBefore", 8, 18, 100, 17);
  RBBefore->SetCaption("Before");
  RBAfter = Make<TRadioButton>(this, RGPlace, "RBAfter", 8, 38, 100, 17);
  RBAfter->SetCaption("After");
  RGStyle = Make<TGroupBox>(this, "RGStyle", 122, 2, 114, 60);
  RGStyle->SetCaption("Style");
  RBShort = Make<TRadioButton>(this, RGStyle, "RBShort", 8, 18, 100, 17);
  RBShort->SetCaption("Short");
  RBLong = Make<TRadioButton>(this, RGStyle, "RBLong", 8, 38, 100, 17);
  RBLong->SetCaption("Long");
  RBBefore->SetChecked(true);
  RBLong->SetChecked(true);
  RBDefault = Make<TCheckBox>(this, "RBDefault", 8, 66, 228, 17);
  RBDefault->SetCaption("Default length");
  TBDuration = Make<TTrackBar>(this, "TBDuration", 4, 86, 232, 24);
  TBDuration->SetMin(8);
  TBDuration->SetMax(64);
  TBDuration->SetFrequency(8);
  TBDuration->SetPosition(8);
  LDuration8 = Make<TLabel>(this, "LDuration8", 6, 110, 30, 16);
  LDuration8->SetCaption("1/8");
  LDuration16 = Make<TLabel>(this, "LDuration16", 102, 110, 30, 16);
  LDuration16->SetCaption("1/16");
  LDuration64 = Make<TLabel>(this, "LDuration64", 206, 110, 30, 16);
  LDuration64->SetCaption("1/64");
  CBLiga = Make<TCheckBox>(this, "CBLiga", 8, 130, 228, 17);
  CBLiga->SetCaption("Slur to the main note");
  LNoteInterval = Make<TLabel>(this, "LNoteInterval", 8, 157, 150, 16);
  LNoteInterval->SetCaption("Space between notes");
  LNoteInterval->AutoSize = false;
  ENoteInterval = Make<TEdit>(this, "ENoteInterval", 160, 153, 40, 21);
  UDNoteInterval = Make<TUpDown>(this, "UDNoteInterval", 200, 153, 17, 21);
  UDNoteInterval->Min = 0;
  UDNoteInterval->Max = 100;
  UDNoteInterval->SetAssociate(ENoteInterval);
  UDNoteInterval->SetPosition(0);

  for (TWinControl* c : std::initializer_list<TWinControl*>{RBBefore, RBAfter, RBShort, RBLong, RBDefault, CBLiga})
    c->OnClick = [this](TObject*) { Changed(); };
  TBDuration->OnChange = [this](TObject*) {
    if (presetting_) return;
    // Moving the length takes it instead of the default.
    RBDefault->SetChecked(false);
    Changed();
  };
  UDNoteInterval->OnClick = [this](TObject*, TUDBtnType) { Changed(); };
  ENoteInterval->OnChange = [this](TObject*) { Changed(); };
  Finish();
}

bool TFChooseVorschlag::GetBefore() const { return RBBefore->Checked(); }
bool TFChooseVorschlag::GetShort() const { return RBShort->Checked(); }
int TFChooseVorschlag::GetDuration() const {
  return RBDefault->Checked() ? 0 : kGraceTrackSum - TBDuration->Position();
}
int TFChooseVorschlag::GetInterval() const {
  return std::clamp(StrToIntSafe(Trim(ENoteInterval->Text()), UDNoteInterval->Position()), 0, 100);
}
bool TFChooseVorschlag::GetLiga() const { return CBLiga->Checked(); }

void TFChooseVorschlag::SetBefore(bool v) { (v ? RBBefore : RBAfter)->SetChecked(true); }
void TFChooseVorschlag::SetShort(bool v) { (v ? RBShort : RBLong)->SetChecked(true); }
void TFChooseVorschlag::SetDuration(int ticks) {
  presetting_ = true;
  if (ticks == 0) {
    RBDefault->SetChecked(true);
  } else {
    RBDefault->SetChecked(false);
    TBDuration->SetPosition(kGraceTrackSum - std::clamp(ticks, 8, 64));
  }
  presetting_ = false;
}
void TFChooseVorschlag::SetInterval(int v) {
  presetting_ = true;
  UDNoteInterval->SetPosition(std::clamp(v, 0, 100));
  presetting_ = false;
}
void TFChooseVorschlag::SetLiga(bool v) { CBLiga->SetChecked(v); }

void TFChooseVorschlag::Changed() {
  if (!presetting_ && OnChange) OnChange(this);
}

// ----------------------------------------------------------------- microtones

const std::array<TMicroToneInfo, 10>& MicroTones() {
  static const std::array<TMicroToneInfo, 10> table = {{
      {101, glyphs::AccidentalQuarterToneFlatStein, "-1/4", 7, -27},
      {102, glyphs::AccidentalQuarterToneSharpStein, "+1/4", 9, -32},
      {103, glyphs::AccidentalThreeQuarterTonesFlatZimmermann, "-3/4", 6, -27},
      {104, glyphs::AccidentalThreeQuarterTonesSharpStein, "+3/4", 7, -32},
      {133, glyphs::AccidentalNaturalOneArrowDown, "-1/8", 7, -27},
      {134, glyphs::AccidentalNaturalOneArrowUp, "+1/8", 7, -32},
      {135, glyphs::AccidentalNaturalTwoArrowsDown, "-1/4", 7, -27},
      {136, glyphs::AccidentalNaturalTwoArrowsUp, "+1/4", 7, -32},
      {137, glyphs::AccidentalFlatOneArrowUp, "-3/8", 7, -27},
      {138, glyphs::AccidentalSharpOneArrowDown, "+3/8", 7, -32},
  }};
  return table;
}

const TMicroToneInfo* FindMicroTone(int code) {
  for (const TMicroToneInfo& m : MicroTones())
    if (m.Code == code) return &m;
  return nullptr;
}

namespace {
// The codes from here on stand on the second tab.
constexpr int kFirstSecondTabCode = 133;
constexpr const char* kMicroToneNames[] = {"CB1Bemol14", "CB1Diesis14", "CB1Bemol34", "CB1Diesis34", "CB2Bemol18",
                                           "CB2Diesis18", "CB2Bemol14", "CB2Diesis14", "CB2Bemol38", "CB2Diesis38"};
}  // namespace

TFMicroTone::TFMicroTone(TComponent* owner) : TDropDownPicker(owner, "FMicroTone", 106, 92) {
  SetCaption("Microtones");
  PCMicrotone = Make<TECPageControl>(this, "PCMicrotone", 0, 0, 106, 92);
  PCMicrotone->PageSetting().SetDoubleSheet(false);
  PCMicrotone->SetSpiralVisible(false);
  PCMicrotone->PageSetting().SetOrientation(poTop);
  auto page = [&](const char* name, const char* caption) {
    auto* sheet = new TECTabSheet(this);
    sheet->SetName(name);
    sheet->SetCaption(caption);
    sheet->SetPageControl(PCMicrotone);
    return sheet;
  };
  TSFirst = page("TSFirst", "1/4");
  TSSecond = page("TSSecond", "1/8");
  for (size_t i = 0; i < 10; ++i) {
    const TMicroToneInfo& m = MicroTones()[i];
    const bool second = m.Code >= kFirstSecondTabCode;
    const int slot = second ? static_cast<int>(i) - 4 : static_cast<int>(i);
    TECCharButton* b = GlyphButton(second ? TSSecond : TSFirst, kMicroToneNames[i], m.Glyph, 2 + 25 * (slot % 4),
                                   2 + 33 * (slot / 4), 25, 32, m.PosX, m.PosY);
    b->SetHint(m.Hint);
    const int code = m.Code;
    ChooseOnClick(b, [this, code] {
      SetMicroTone(code);
      if (OnChoose) OnChoose(this, code);
    });
    Buttons[i] = b;
  }
  PCMicrotone->SetActivePage(TSFirst);
  Finish();
}

int TFMicroTone::GetMicroTone() const {
  const TECTabSheet* visible = PCMicrotone->ActivePage();
  for (size_t i = 0; i < 10; ++i)
    if (Buttons[i]->Parent() == visible && Buttons[i]->Down()) return MicroTones()[i].Code;
  return 0;
}

void TFMicroTone::SetMicroTone(int code) {
  // The two tabs are two button groups: the other tab's button goes up
  // by hand.
  for (size_t i = 0; i < 10; ++i) Buttons[i]->SetDown(MicroTones()[i].Code == code);
  PCMicrotone->SetActivePage(code >= kFirstSecondTabCode ? TSSecond : TSFirst);
}

// ------------------------------------------------------------------- brackets

const char* BracketCaption(int style) {
  switch (style) {
    case 0: return "(  )";
    case 1: return "[  ]";
    case 2: return "{  }";
    default: return "";
  }
}

TFBracketStyles::TFBracketStyles(TComponent* owner) : TDropDownPicker(owner, "FBracketStyles", 95, 30) {
  SetCaption("Brackets");
  static constexpr const char* kNames[] = {"CBBracket0", "CBBracket1", "CBBracket2"};
  TFont font;
  font.Name = "Arial";
  font.SetSize(10);
  font.Style = fsBold;
  for (int i = 0; i < 3; ++i) {
    TECCharButton* b = ValueButton(this, kNames[i], 2 + 31 * i, 2, 30, 26);
    b->SetFont(font);
    b->SetCaption(BracketCaption(i));
    ChooseOnClick(b, [this, i] {
      SetStyle(i);
      if (OnChoose) OnChoose(this, i);
    });
    CBBrackets[static_cast<size_t>(i)] = b;
  }
  Finish();
}

int TFBracketStyles::GetStyle() const {
  for (int i = 0; i < 3; ++i)
    if (CBBrackets[static_cast<size_t>(i)]->Down()) return i;
  return 0;
}

void TFBracketStyles::SetStyle(int style) {
  for (int i = 0; i < 3; ++i) CBBrackets[static_cast<size_t>(i)]->SetDown(i == style);
}

// ----------------------------------------------------------------- note value

TFDuration::TFDuration(TComponent* owner) : TDropDownPicker(owner, "FDuration", 40, 7 * 31 + 4) {
  SetCaption("Note value");
  static constexpr const char* kNames[] = {"CBNote1", "CBNote2", "CBNote4", "CBNote8",
                                           "CBNote16", "CBNote32", "CBNote64"};
  for (int i = 0; i < 7; ++i) {
    const uint8_t glyph = kNoteGlyphs[i];
    TECCharButton* b = GlyphButton(this, kNames[i], glyph, 2, 2 + 31 * i, 36, 30, 12, GlyphFaceTop(glyph));
    const int ticks = 512 >> i;
    ChooseOnClick(b, [this, ticks] {
      SetDuration(ticks);
      if (OnChoose) OnChoose(this, ticks);
    });
    CBNotes[static_cast<size_t>(i)] = b;
  }
  Finish();
}

int TFDuration::GetDuration() const {
  for (int i = 0; i < 6; ++i)
    if (CBNotes[static_cast<size_t>(i)]->Down()) return 512 >> i;
  return 8;
}

void TFDuration::SetDuration(int ticks) {
  for (int i = 0; i < 7; ++i) CBNotes[static_cast<size_t>(i)]->SetDown((512 >> i) == ticks);
}

}  // namespace qs
