#include "dialogs/objectproperties.h"

#include <algorithm>
#include <memory>
#include <string>

#include "base/inifile.h"
#include "base/strings.h"
#include "chords/guitar.h"
#include "chords/guitarpalette.h"
#include "dialogs/libraries.h"
#include "palettes/pitchpicker.h"
#include "palettes/symbolpickers.h"
#include "platform/comctrls.h"
#include "platform/extctrls.h"
#include "platform/stdctrls.h"
#include "score/part.h"
#include "score/piece.h"
#include "uikit/formparts.h"
#include "uikit/gridstring.h"
#include "uikit/interface.h"
#include "uikit/names.h"

namespace qs {

namespace {

TUpDown* Spin(TComponent* owner, TWinControl* parent, const char* name, TEdit* edit, int min, int max) {
  auto* ud = Make<TUpDown>(owner, parent, name, edit->Left() + edit->Width(), edit->Top(), 17, edit->Height());
  ud->Min = min;
  ud->Max = max;
  ud->SetAssociate(edit);
  ud->SetPosition(min);
  return ud;
}

TLabel* Label(TComponent* owner, TWinControl* parent, const char* name, const char* text, int left, int top,
              int width) {
  TLabel* l = Make<TLabel>(owner, parent, name, left, top, width, 16);
  l->SetCaption(text);
  return l;
}

TComboBox* List(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width,
                std::initializer_list<std::string> items) {
  TComboBox* box = Make<TComboBox>(owner, parent, name, left, top, width, 22);
  box->SetStyle(csDropDownList);
  TStringList list;
  for (const std::string& item : items) list.Add(item);
  box->SetItems(list);
  return box;
}

TComboBox* ChannelList(TComponent* owner, TWinControl* parent, int left, int top) {
  TComboBox* box = List(owner, parent, "CBChannel", left, top, 56, {});
  TStringList list;
  for (int c = 1; c <= 16; ++c) list.Add(std::to_string(c));
  box->SetItems(list);
  return box;
}

int Typed(const TEdit& edit, const TUpDown& ud) {
  return std::clamp(StrToIntSafe(Trim(edit.Text()), ud.Position()), ud.Min, ud.Max);
}

// The General MIDI picker, preset with program; false when cancelled.
bool ChooseProgram(TComponent* owner, TIniFile* settings, bool none, int& program) {
  TFChooseTembr chooser(owner, settings);
  chooser.SetNoneVisible(none);
  chooser.SetTembr(program);
  if (chooser.ShowModal() != mrOk) return false;
  const int chosen = chooser.GetTembr();
  program = chosen < 0 ? 255 : chosen;
  return true;
}

// The standard tuning of a guitar, string 1 (the lowest) first.
constexpr uint8_t kGuitarTuning[] = {52, 57, 62, 67, 71, 76};
constexpr const char* kLineCounts[] = {"0", "1", "2", "3", "4", "5", "6", "7", "12"};

}  // namespace

// ------------------------------------------------------------------ shared

TObjectPropertiesForm::TObjectPropertiesForm(TComponent* owner, TIniFile* settings, const char* name,
                                             const char* helper)
    : TForm(owner), settings_(settings) {
  SetName(name);
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  const std::string topic = helper;
  if (!topic.empty()) {
    OnShow = [this, topic](TObject*) {
      ShowHelperContext({topic}, true, Left(), Top(), Width(), Height());
      if (CanFocus()) SetFocus();
    };
    OnClose = [](TObject*, TCloseAction&) { ReturnHelperContext(); };
  }
}

TObjectPropertiesForm::~TObjectPropertiesForm() {
  if (settings_) WriteFormBounds(*settings_, Name(), BoundsRect());
}

void TObjectPropertiesForm::MakeButtons(int right, int top, const char* helpTopic) {
  const bool help = helpTopic && *helpTopic;
  int left = right - (help ? 3 : 2) * 80 + 5;
  BBOk = MakeOkButton(this, "&OK", left, top);
  BBCancel = MakeCancelButton(this, left + 80, top);
  if (help) {
    const std::string topic = helpTopic;
    SetFormHelpTopic(Name(), topic);
    BBHelp = Make<TButton>(this, "BBHelp", left + 160, top, 75, 25);
    BBHelp->SetCaption("Help");
    BBHelp->OnClick = [topic](TObject*) { ShowHelpTopic(topic); };
  }
  BBOk->OnClick = [this](TObject*) { SetModalResult(mrOk); };
}

void TObjectPropertiesForm::RestoreBounds() {
  ApplySkinTemplate(*this, skinkind::Normal);
  language_ = MakeFormLanguage(this, ("L" + Name()).c_str());
  if (!settings_) return;
  TRect bounds = BoundsRect();
  if (ReadFormBounds(*settings_, Name(), bounds)) SetBounds(bounds.Left, bounds.Top, Width(), Height());
}

// ------------------------------------------------------------------ piece

TFPieceProperties::TFPieceProperties(TComponent* owner, TIniFile* settings)
    : TObjectPropertiesForm(owner, settings, "FPieceProperties", "") {
  SetCaption("Piece properties");
  SetClientWidth(320);
  SetClientHeight(190);
  Label(this, this, "LName", "Name", 8, 12, 100);
  EName = Make<TEdit>(this, this, "EName", 112, 10, 200, 21);
  Label(this, this, "LTempo", "Tempo", 8, 42, 100);
  ETempo = Make<TEdit>(this, this, "ETempo", 112, 40, 50, 21);
  UDTempo = Spin(this, this, "UDTempo", ETempo, 1, 512);
  CBAuftakt = Make<TCheckBox>(this, this, "CBAuftakt", 8, 74, 300, 20);
  CBAuftakt->SetCaption("Upbeat");
  Label(this, this, "LAufTaktNotes", "Beats", 24, 104, 84);
  EAufTaktNotes = Make<TEdit>(this, this, "EAufTaktNotes", 112, 102, 40, 21);
  UDAufTaktNotes = Spin(this, this, "UDAufTaktNotes", EAufTaktNotes, 0, 12);
  Label(this, this, "LAuftaktSize", "Unit", 180, 104, 60);
  CBAuftaktSize = List(this, this, "CBAuftaktSize", 244, 102, 56, {"2", "4", "8", "16"});
  CBAuftakt->OnClick = [this](TObject*) { UpdateEnabled(); };
  MakeButtons(312, 152, "");
  BBOk->OnClick = [this](TObject*) {
    Apply();
    SetModalResult(mrOk);
  };
  RestoreBounds();
  CBAuftaktSize->SetItemIndex(1);
  UpdateEnabled();
}

void TFPieceProperties::UpdateEnabled() {
  for (TControl* c : std::initializer_list<TControl*>{EAufTaktNotes, UDAufTaktNotes, CBAuftaktSize})
    c->SetEnabled(CBAuftakt->Checked());
}

void TFPieceProperties::SetPiece(TQSPiece* piece) {
  if (piece == piece_) return;
  piece_ = piece;
  if (!piece) return;
  EName->SetText(piece->Name);
  UDTempo->SetPosition(std::clamp(piece->Tempo(), 1, 512));
  const uint16_t word = piece->Auftakt();
  CBAuftakt->SetChecked(word > 255);
  UDAufTaktNotes->SetPosition(std::clamp(word >> 8, 0, 12));
  CBAuftaktSize->SetItemIndex(CBAuftaktSize->Items().IndexOf(std::to_string(word & 255)));
  UpdateEnabled();
}

TPieceProperties TFPieceProperties::Values() const {
  TPieceProperties v;
  v.Name = EName->Text();
  v.Tempo = Typed(*ETempo, *UDTempo);
  v.Auftakt = 4;
  if (CBAuftakt->Checked()) {
    const int index = CBAuftaktSize->ItemIndex();
    const int unit = index >= 0 ? StrToIntSafe(CBAuftaktSize->Items()[index], 4) : 4;
    v.Auftakt = static_cast<uint16_t>(unit | Typed(*EAufTaktNotes, *UDAufTaktNotes) << 8);
  }
  return v;
}

void TFPieceProperties::Apply() {
  if (piece_) SetPieceProperties(*piece_->Score(), *piece_, Values());
}

// ------------------------------------------------------------------ part

TFPartProperties::TFPartProperties(TComponent* owner, TIniFile* settings, const TQSTransports* transports)
    : TObjectPropertiesForm(owner, settings, "FPartProperties", "PartProperties"), transports_(transports) {
  SetCaption("Part properties");
  SetClientWidth(360);
  SetClientHeight(268);
  Label(this, this, "LName", "Name", 8, 12, 100);
  EName = Make<TEdit>(this, this, "EName", 112, 10, 240, 21);
  Label(this, this, "LInstrument", "Instrument", 8, 42, 100);
  EInstrument = Make<TEdit>(this, this, "EInstrument", 112, 40, 214, 21);
  EInstrument->SetReadOnly(true);
  SBInstrument = Make<TButton>(this, "SBInstrument", 328, 39, 24, 23);
  SBInstrument->SetCaption("...");
  SBInstrument->SetShowHint(true);
  SBInstrument->SetHint("General MIDI instrument");
  Label(this, this, "LChannel", "Channel", 8, 72, 100);
  CBChannel = ChannelList(this, this, 112, 70);
  CBVolume = Make<TCheckBox>(this, this, "CBVolume", 8, 104, 100, 20);
  CBVolume->SetCaption("Volume");
  TBVolume = Make<TTrackBar>(this, this, "TBVolume", 108, 100, 200, 28);
  LVolumeValue = Label(this, this, "LVolumeValue", "", 314, 104, 38);
  CBPan = Make<TCheckBox>(this, this, "CBPan", 8, 138, 100, 20);
  CBPan->SetCaption("Pan");
  TBPan = Make<TTrackBar>(this, this, "TBPan", 108, 134, 200, 28);
  LPanValue = Label(this, this, "LPanValue", "", 314, 138, 38);
  for (TTrackBar* bar : {TBVolume, TBPan}) {
    bar->SetMin(0);
    bar->SetMax(127);
    bar->OnChange = [this](TObject*) { ShowValues(); };
  }
  CBMute = Make<TCheckBox>(this, this, "CBMute", 8, 170, 340, 20);
  CBMute->SetCaption("Mute");
  Label(this, this, "LTransport", "Transposition", 8, 200, 100);
  CBTransport = List(this, this, "CBTransport", 112, 198, 240, {});
  MakeButtons(352, 234, "PartProp");
  BBOk->OnClick = [this](TObject*) {
    Apply();
    SetModalResult(mrOk);
  };
  RestoreBounds();
  TStringList presets;
  presets.Add(language_->GetMessage(0, "No transposition"));
  if (transports_)
    for (const auto& t : transports_->Items) presets.Add(t->Name);
  CBTransport->SetItems(presets);
  CBTransport->SetItemIndex(0);
  CBChannel->SetItemIndex(0);
  SBInstrument->OnClick = [this](TObject*) {
    int program = program_;
    if (ChooseProgram(this, settings_, false, program)) SetProgram(program);
  };
  SetProgram(0);
  ShowValues();
}

void TFPartProperties::ShowValues() {
  LVolumeValue->SetCaption(std::to_string(TBVolume->Position()));
  LPanValue->SetCaption(std::to_string(TBPan->Position()));
}

void TFPartProperties::SetProgram(int program) {
  // A program beyond the General MIDI ones (from a file) stays as it is.
  program_ = std::clamp(program, 0, 255);
  EInstrument->SetText(InstrumentName(program_));
}

void TFPartProperties::SetPart(TQSPart* part) {
  if (part == part_) return;
  part_ = part;
  if (!part) return;
  EName->SetText(part->Name);
  SetProgram(part->Fields.Instrument);
  CBChannel->SetItemIndex(part->Channel());
  CBVolume->SetChecked(part->Fields.Volume != 255);
  TBVolume->SetPosition(part->Fields.Volume == 255 ? 63 : part->Fields.Volume);
  CBPan->SetChecked(part->Fields.Pan != 255);
  TBPan->SetPosition(part->Fields.Pan == 255 ? 63 : part->Fields.Pan);
  CBMute->SetChecked(part->Fields.Mute != 0);
  ownTransports_ = part->Transports;
  const int preset =
      transports_ ? transports_->IndexOfValues(static_cast<int>(ownTransports_.size()), ownTransports_.data()) : -1;
  shownTransport_ = preset + 1;
  CBTransport->SetItemIndex(shownTransport_);
  ShowValues();
}

TPartProperties TFPartProperties::Values() const {
  TPartProperties v;
  v.Name = EName->Text();
  v.Instrument = static_cast<uint8_t>(program_);
  v.Channel = static_cast<uint8_t>(std::max(0, CBChannel->ItemIndex()));
  v.Volume = CBVolume->Checked() ? static_cast<uint8_t>(TBVolume->Position()) : 255;
  v.Pan = CBPan->Checked() ? static_cast<uint8_t>(TBPan->Position()) : 255;
  v.Mute = CBMute->Checked();
  const int index = CBTransport->ItemIndex();
  if (index == shownTransport_) {
    v.Transports = ownTransports_;
  } else if (index > 0 && transports_) {
    if (const TQSTransportDescription* preset = transports_->Get(index - 1)) v.Transports = preset->Values;
  }
  return v;
}

void TFPartProperties::Apply() {
  if (part_) SetPartProperties(*part_->Score(), *part_, Values());
}

// ------------------------------------------------------------------ staff

TFStaffProperties::TFStaffProperties(TComponent* owner, TIniFile* settings, const TGuitarList* guitars)
    : TObjectPropertiesForm(owner, settings, "FStaffProperties", "StaffProperties"), guitars_(guitars) {
  SetCaption("Staff properties");
  SetClientWidth(360);
  SetClientHeight(468);
  Label(this, this, "LLineCount", "Lines", 8, 12, 100);
  CBLineCount = List(this, this, "CBLineCount", 112, 10, 56, {});
  TStringList counts;
  for (const char* c : kLineCounts) counts.Add(c);
  CBLineCount->SetItems(counts);
  CBMute = Make<TCheckBox>(this, this, "CBMute", 188, 12, 164, 20);
  CBMute->SetCaption("Mute");
  GBTab = Make<TGroupBox>(this, this, "GBTab", 8, 40, 344, 270);
  GBTab->SetCaption("Strings");
  CBTab = Make<TCheckBox>(this, GBTab, "CBTab", 10, 18, 200, 20);
  CBTab->SetCaption("Tablature");
  LFretCount = Label(this, GBTab, "LFretCount", "Frets", 10, 48, 100);
  EFretCount = Make<TEdit>(this, GBTab, "EFretCount", 114, 46, 40, 21);
  UDFretCount = Spin(this, GBTab, "UDFretCount", EFretCount, 3, 48);
  LTuning = Label(this, GBTab, "LTuning", "Tuning", 10, 76, 100);
  SGTuning = Make<TECStringGrid>(this, GBTab, "SGTuning", 10, 94, 160, 166);
  SGTuning->SetColCount(2);
  SGTuning->SetFixedCols(1);
  SGTuning->SetFixedRows(0);
  SGTuning->SetRowCount(1);
  SGTuning->SetDefaultRowHeight(20);
  for (int c = 0; c < 2; ++c) SGTuning->Columns().Add();
  TECStringColumn& pitch = SGTuning->Columns().Items(1);
  pitch.EditStyle = ECStringGrid::esEllipsis;
  for (int p = 0; p < 128; ++p) pitch.DropDownList.Add(PitchText(p));
  SGTuning->SetColWidths(0, 40);
  SGTuning->SetColWidths(1, 96);
  SGTuning->SetOptions(SGTuning->Options() | goEditing);
  SGTuning->OnEditButtonClick = [this](TObject*) { ChoosePitch(); };
  BBGuitars = Make<TButton>(this, GBTab, "BBGuitars", 184, 94, 150, 25);
  BBGuitars->SetCaption("Guitar...");
  CBStem = Make<TCheckBox>(this, GBTab, "CBStem", 184, 128, 150, 40);
  CBStem->SetCaption("Durations");
  GBScale = Make<TGroupBox>(this, this, "GBScale", 8, 318, 344, 110);
  GBScale->SetCaption("Size");
  RBNormal = Make<TRadioButton>(this, GBScale, "RBNormal", 10, 18, 160, 20);
  RBNormal->SetCaption("Normal");
  RBSmall = Make<TRadioButton>(this, GBScale, "RBSmall", 176, 18, 160, 20);
  RBSmall->SetCaption("Small");
  RBCustom = Make<TRadioButton>(this, GBScale, "RBCustom", 10, 46, 160, 20);
  RBCustom->SetCaption("Custom");
  TBScale = Make<TTrackBar>(this, GBScale, "TBScale", 10, 70, 324, 28);
  TBScale->SetMin(50);
  TBScale->SetMax(150);
  TBScale->SetPosition(100);
  MakeButtons(352, 436, "StaffProp");
  BBOk->OnClick = [this](TObject*) {
    Apply();
    SetModalResult(mrOk);
  };
  RestoreBounds();
  CBTab->OnClick = [this](TObject*) {
    if (!filling_) TablatureClicked();
  };
  CBLineCount->OnChange = [this](TObject*) {
    if (!filling_) SetLineCount(LineCount());
  };
  for (TRadioButton* b : {RBNormal, RBSmall, RBCustom}) b->OnClick = [this](TObject*) { UpdateEnabled(); };
  BBGuitars->OnClick = [this](TObject*) {
    if (!guitars_ || guitars_->empty()) return;
    auto* chooser = new TFGuitarName(this);
    chooser->HideDirections();
    std::vector<std::string> names;
    for (const auto& g : *guitars_) names.push_back(g->Name);
    chooser->SetNames(names);
    chooser->OnChosen = [this](TFGuitarName*, int index, int) { TakeGuitar(index); };
    PlaceBelowControl(*BBGuitars, *chooser);
    chooser->Show();
  };
  CBLineCount->SetItemIndex(5);
  RBNormal->SetChecked(true);
  UDFretCount->SetPosition(24);
  SetLineCount(5);
  UpdateEnabled();
}

int TFStaffProperties::LineCount() const {
  const int index = CBLineCount->ItemIndex();
  return index >= 0 ? StrToIntSafe(CBLineCount->Items()[index], 5) : 5;
}

void TFStaffProperties::SetLineCount(int lines) {
  // The strings keep their pitches where they remain.
  std::array<uint8_t, 24> pitches = tuning_;
  for (int i = 0; i < rows_; ++i)
    if (const int p = StringPitch(i); p >= 0) pitches[size_t(i)] = static_cast<uint8_t>(p);
  const bool filling = filling_;
  filling_ = true;
  const int index = CBLineCount->Items().IndexOf(std::to_string(lines));
  CBLineCount->SetItemIndex(index >= 0 ? index : 5);
  filling_ = filling;
  rows_ = LineCount();
  SGTuning->SetRowCount(std::max(rows_, 1));
  if (rows_ == 0) {
    SGTuning->SetCells(0, 0, "");
    SGTuning->SetCells(1, 0, "");
  }
  for (int r = 0; r < rows_; ++r) SGTuning->SetCells(0, r, std::to_string(rows_ - r));
  for (int i = 0; i < rows_; ++i) SetStringPitch(i, pitches[size_t(i)]);
}

int TFStaffProperties::StringPitch(int string) const {
  if (string < 0 || string >= rows_) return -1;
  return PitchOfText(SGTuning->Cells(1, rows_ - string - 1));
}

void TFStaffProperties::SetStringPitch(int string, int pitch) {
  if (string < 0 || string >= rows_) return;
  SGTuning->SetCells(1, rows_ - string - 1, PitchText(std::clamp(pitch, 0, 127)));
}

void TFStaffProperties::TablatureClicked() {
  if (CBTab->Checked()) {
    SetLineCount(6);
    UDFretCount->SetPosition(24);
    for (int i = 0; i < 6; ++i) SetStringPitch(i, kGuitarTuning[i]);
  } else {
    SetLineCount(5);
  }
  UpdateEnabled();
}

void TFStaffProperties::TakeGuitar(int index) {
  if (!guitars_ || index < 0 || index >= static_cast<int>(guitars_->size())) return;
  const TQSGuitarDescription& g = *(*guitars_)[size_t(index)];
  const int strings = std::min<int>(g.StringCount, TQSGuitarDescription::kMaxStrings);
  SetLineCount(strings);
  UDFretCount->SetPosition(std::clamp<int>(g.FretCount, UDFretCount->Min, UDFretCount->Max));
  for (int i = 0; i < strings; ++i) SetStringPitch(i, g.GetTuning(i));
}

void TFStaffProperties::ChoosePitch() {
  const int row = SGTuning->Row();
  if (row < 0 || row >= rows_) return;
  auto* picker = new TFChoosePitch(this);
  const int now = PitchOfText(SGTuning->Cells(1, row));
  picker->SetPitch(static_cast<uint8_t>(now >= 0 ? now : 60));
  picker->OnChoose = [this, row](TFChoosePitch*, uint8_t pitch) {
    if (row < rows_) SGTuning->SetCells(1, row, PitchText(pitch));
    SGTuning->Invalidate();
  };
  // Right edge at the cell's, top at its bottom.
  const TRect cell = SGTuning->CellRect(1, row);
  const TPoint corner = SGTuning->ClientToScreen(TPoint{cell.Right, cell.Bottom});
  picker->SetBounds(corner.X - picker->Width(), corner.Y, picker->Width(), picker->Height());
  picker->Show();
}

void TFStaffProperties::UpdateEnabled() {
  const bool tab = CBTab->Checked();
  for (TControl* c : std::initializer_list<TControl*>{LFretCount, EFretCount, UDFretCount, LTuning, SGTuning, CBStem})
    c->SetEnabled(tab);
  BBGuitars->SetEnabled(tab && guitars_ && !guitars_->empty());
  TBScale->SetEnabled(RBCustom->Checked());
}

void TFStaffProperties::SetStaff(TQSStaff* staff) {
  if (staff == staff_) return;
  staff_ = staff;
  if (!staff) return;
  filling_ = true;
  std::copy(std::begin(staff->Tuning), std::end(staff->Tuning), tuning_.begin());
  CBTab->SetChecked(staff->Fields.Tablature != 0);
  UDFretCount->SetPosition(std::clamp<int>(staff->Fields.FretCount, UDFretCount->Min, UDFretCount->Max));
  CBStem->SetChecked(staff->Fields.Stems != 0);
  CBMute->SetChecked(staff->Fields.Mute != 0);
  rows_ = 0;
  SetLineCount(staff->Fields.LineCount);
  const int scale = staff->Fields.Scale;
  RBNormal->SetChecked(scale == 100);
  RBSmall->SetChecked(scale == 50);
  RBCustom->SetChecked(scale != 100 && scale != 50);
  TBScale->SetPosition(scale);
  filling_ = false;
  UpdateEnabled();
}

TStaffProperties TFStaffProperties::Values() const {
  TStaffProperties v;
  v.LineCount = static_cast<uint8_t>(LineCount());
  v.Tablature = CBTab->Checked();
  v.FretCount = static_cast<uint8_t>(Typed(*EFretCount, *UDFretCount));
  v.Stems = CBStem->Checked();
  v.Mute = CBMute->Checked();
  v.Tuning = tuning_;
  for (int i = 0; i < rows_; ++i)
    if (const int p = StringPitch(i); p >= 0) v.Tuning[size_t(i)] = static_cast<uint8_t>(p);
  v.Scale = RBNormal->Checked() ? 100 : RBSmall->Checked() ? 50 : static_cast<uint8_t>(TBScale->Position());
  return v;
}

void TFStaffProperties::Apply() {
  if (staff_) SetStaffProperties(*staff_->Score(), *staff_, Values());
}

// ------------------------------------------------------------------ voice

TFVoiceProperties::TFVoiceProperties(TComponent* owner, TIniFile* settings)
    : TObjectPropertiesForm(owner, settings, "FVoiceProperties", "VoiceProperties") {
  SetCaption("Voice properties");
  SetClientWidth(330);
  SetClientHeight(142);
  Label(this, this, "LInstrument", "Instrument", 8, 12, 100);
  EInstrument = Make<TEdit>(this, this, "EInstrument", 112, 10, 184, 21);
  EInstrument->SetReadOnly(true);
  SBInstrument = Make<TButton>(this, "SBInstrument", 298, 9, 24, 23);
  SBInstrument->SetCaption("...");
  SBInstrument->SetShowHint(true);
  SBInstrument->SetHint("General MIDI instrument");
  Label(this, this, "LChannel", "Channel", 8, 42, 100);
  CBChannel = ChannelList(this, this, 112, 40);
  CBMute = Make<TCheckBox>(this, this, "CBMute", 8, 72, 310, 20);
  CBMute->SetCaption("Mute");
  MakeButtons(322, 106, "");
  BBOk->OnClick = [this](TObject*) {
    Apply();
    SetModalResult(mrOk);
  };
  RestoreBounds();
  SBInstrument->OnClick = [this](TObject*) {
    int program = program_;
    if (ChooseProgram(this, settings_, true, program)) SetProgram(program);
  };
  CBChannel->SetItemIndex(0);
}

void TFVoiceProperties::SetProgram(int program) {
  program_ = program >= 0 && program <= 127 ? program : 255;
  EInstrument->SetText(program_ == 255 ? std::string() : InstrumentName(program_));
}

void TFVoiceProperties::SetVoice(TQSVoice* voice) {
  if (voice == voice_) return;
  voice_ = voice;
  if (!voice) return;
  SetProgram(voice->Fields.Instrument);
  CBChannel->SetItemIndex(std::clamp<int>(voice->Fields.Channel, 0, 15));
  CBMute->SetChecked(voice->Fields.Mute != 0);
}

TVoiceProperties TFVoiceProperties::Values() const {
  return {static_cast<uint8_t>(program_), static_cast<uint8_t>(std::max(0, CBChannel->ItemIndex())),
          CBMute->Checked()};
}

void TFVoiceProperties::Apply() {
  if (voice_) SetVoiceProperties(*voice_->Score(), *voice_, Values());
}

// ------------------------------------------------------------------ forms

void RegisterObjectPropertiesForms() {
  RegisterForm("FPieceProperties", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFPieceProperties>(nullptr, nullptr);
    form->EName->SetText("Allegro");
    form->CBAuftakt->SetChecked(true);
    return form;
  });
  RegisterForm("FPartProperties", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFPartProperties>(nullptr, nullptr, nullptr);
    form->EName->SetText("Clarinet");
    form->SetProgram(71);
    form->CBVolume->SetChecked(true);
    form->TBVolume->SetPosition(100);
    return form;
  });
  RegisterForm("FStaffProperties", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFStaffProperties>(nullptr, nullptr, nullptr);
    form->CBTab->SetChecked(true);
    form->TablatureClicked();
    return form;
  });
  RegisterForm("FVoiceProperties", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFVoiceProperties>(nullptr, nullptr);
    form->SetProgram(24);
    return form;
  });
}

}  // namespace qs
