#include "playback/eventproperties.h"

#include <algorithm>
#include <cctype>

#include "base/inifile.h"
#include "base/strings.h"
#include "platform/comctrls.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "uikit/formparts.h"
#include "uikit/language.h"
#include "uikit/messagebox.h"
#include "uikit/names.h"

namespace qs {
namespace {

constexpr const char* kEventSection = "FEventProperties";

constexpr const char* kKindCaptions[ekRowCount] = {"  ", "8_", "9_", "A_", "B_", "C_", "D_", "E_"};
constexpr const char* kKindNames[ekRowCount] = {"Any bytes",      "Note off",       "Note on",
                                                "Key pressure",   "Control change", "Program change",
                                                "Channel pressure", "Pitch bend"};
// Messages after the kind names: the reasons a text is refused.
constexpr int kFirstErrorMessage = ekRowCount;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The item text of a numbered name: numbers below 100 indented by two
// spaces so that the points line up.
std::string NumberedName(int number, const std::string& name) {
  return (number < 100 ? "  " : "") + std::to_string(number) + "." + name;
}

// A key as its name and octave ("C# 5"), the names being the twelve of
// names (comma-separated, in the interface language); English without.
std::string NoteItem(int key, const std::vector<std::string>& names) {
  const size_t pc = static_cast<size_t>(key % 12);
  return (pc < names.size() ? names[pc] : PitchName(key % 12)) + " " + std::to_string(key / 12);
}

TLabel* MakeLabel(TWinControl* parent, const char* name, const char* caption, int left, int top) {
  auto* label = Make<TLabel>(parent, name, left, top, 60, 16);
  label->SetCaption(caption);
  return label;
}

}  // namespace

std::string BuildEventFieldsText(int row, const TEventFields& f) {
  if (row <= ekFree || row >= ekRowCount) return {};
  static constexpr char kStatus[ekRowCount] = {' ', '8', '9', 'A', 'B', 'C', 'D', 'E'};
  std::string text{kStatus[row], "0123456789ABCDEF"[std::clamp(f.Channel, 0, 15)]};
  switch (row) {
    case ekNoteOff:
    case ekNoteOn:
    case ekKeyPressure: return text + HexByte(std::max(f.Note, 0)) + HexByte(f.Velocity);
    case ekControl: return text + HexByte(f.Controller) + HexByte(f.Velocity);
    case ekProgram: return text + HexByte(f.Program);
    case ekChannelPressure: return text + HexByte(f.Velocity);
    default: return text + HexByte(f.Bend & 127) + HexByte(f.Bend >> 7);
  }
}

// ------------------------------------------------------------- chooser

TFChooseControl::TFChooseControl(TComponent* owner, TList list) : TForm(owner) {
  SetName("FChooseControl");
  SetCaption("Controls");
  SetBorderStyle(bsToolWindow);
  SetPosition(poScreenCenter);
  SetClientWidth(220);
  SetClientHeight(300);

  LBControls = Make<TListBox>(this, "LBControls", 0, 0, 220, 300);
  LBControls->SetAlign(alClient);
  FLChooseControl = MakeFormLanguage(this, "FLChooseControl");
  auto message = [this](int index, const char* english) { return FLChooseControl->GetMessage(index, english); };
  TStringList items;
  if (list == TList::Instruments) {
    SetCaption(message(0, "Instruments"));
    // A program change may also name no program.
    items.Add(message(1, "(none)"));
    numbers_.push_back(kNoProgram);
  }
  for (int n = 0; n < 128; ++n) {
    const std::string name = list == TList::Controllers ? ControllerName(n) : InstrumentName(n);
    if (name.empty()) continue;
    items.Add(NumberedName(n, name));
    numbers_.push_back(n);
  }
  LBControls->SetItems(items);
  // The list has selected the clicked item by the time the button is up.
  LBControls->OnMouseUp = [this](TObject*, TMouseButton button, TShiftState, int, int) {
    if (button == mbLeft && LBControls->ItemIndex() >= 0) SetModalResult(mrOk);
  };
  LBControls->OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
    if (key == VK_RETURN) {
      SetModalResult(mrOk);
      key = 0;
    } else if (key == VK_ESCAPE) {
      SetModalResult(mrCancel);
      key = 0;
    }
  };
  // Going elsewhere answers Cancel.
  OnDeactivate = [this](TObject*) {
    if (Modal() && ModalResult() == mrNone) SetModalResult(mrCancel);
  };

  ApplySkinTemplate(*this, skinkind::Small);
  SetActiveControl(LBControls);
}

void TFChooseControl::SelectController(int number) {
  const auto it = std::find(numbers_.begin(), numbers_.end(), number);
  if (it != numbers_.end()) LBControls->SetItemIndex(static_cast<int>(it - numbers_.begin()));
}

int TFChooseControl::ChosenController() const {
  const int index = LBControls->ItemIndex();
  return index >= 0 && index < static_cast<int>(numbers_.size()) ? numbers_[static_cast<size_t>(index)] : -1;
}

// ------------------------------------------------------------- dialog

TFEventProperties::TFEventProperties(TComponent* owner, TIniFile* settings) : TForm(owner), settings_(settings) {
  SetName("FEventProperties");
  SetCaption("Event properties");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(404);
  SetClientHeight(262);

  EEvent = Make<TEdit>(this, "EEvent", 8, 8, 388, 22);
  EEvent->SetTabStop(true);
  LVEvents = Make<TListView>(this, "LVEvents", 8, 38, 184, 180);
  LVEvents->SetReadOnly(true);
  LVEvents->SetTabStop(true);
  for (const auto& [caption, width] : {std::pair{"N", 24}, std::pair{"Name", 150}}) {
    auto* column = static_cast<TListColumn*>(LVEvents->Columns.Add());
    column->Caption = caption;
    column->Width = width;
  }
  LVEvents->ColumnsChanged();

  LChannel = MakeLabel(this, "LChannel", "Channel", 202, 42);
  CBChannel = Make<TComboBox>(this, "CBChannel", 276, 38, 60, 22);
  CBChannel->SetStyle(csDropDownList);
  TStringList channels;
  for (int c = 0; c < 16; ++c) channels.Add(std::to_string(c));
  CBChannel->SetItems(channels);
  CBChannel->SetItemIndex(0);
  CBChannel->DropDownCount = 16;

  LNote = MakeLabel(this, "LNote", "Note", 202, 72);
  ENote = Make<TComboBox>(this, "ENote", 276, 68, 120, 22);
  ENote->SetStyle(csDropDownList);
  ENote->DropDownCount = 12;

  LProgram = MakeLabel(this, "LProgram", "Program", 202, 72);
  EProgram = Make<TEdit>(this, "EProgram", 276, 68, 96, 22);
  EProgram->SetReadOnly(true);
  SBProgram = Make<TButton>(this, "SBProgram", 374, 68, 22, 22);
  SBProgram->SetCaption("...");
  LControl = MakeLabel(this, "LControl", "Control", 202, 72);
  EControl = Make<TEdit>(this, "EControl", 276, 68, 96, 22);
  EControl->SetReadOnly(true);
  SBControl = Make<TButton>(this, "SBControl", 374, 68, 22, 22);
  SBControl->SetCaption("...");

  LVelocity = MakeLabel(this, "LVelocity", "Velocity", 202, 102);
  LValue = MakeLabel(this, "LValue", "Value", 202, 102);
  TBVelocity = Make<TTrackBar>(this, "TBVelocity", 202, 120, 194, 32);
  TBVelocity->SetMax(127);
  TBVelocity->SetPosition(127);
  TBVelocity->SetFrequency(16);
  TBValue = Make<TTrackBar>(this, "TBValue", 202, 120, 194, 32);
  TBValue->SetMax(16383);
  TBValue->SetPosition(8191);
  TBValue->SetFrequency(2048);

  BBOk = MakeOkButton(this, "OK", 240, 230);
  BBCancel = MakeCancelButton(this, 321, 230);

  FLEvent = MakeFormLanguage(this, "FLEvent");
  std::vector<std::string> names;
  for (const std::string& name : SplitString(FLEvent->GetMessage(16, ""), ','))
    if (!Trim(name).empty()) names.push_back(Trim(name));
  if (names.size() != 12) names.clear();
  TStringList notes;
  for (int k = 0; k < 128; ++k) notes.Add(NoteItem(k, names));
  ENote->SetItems(notes);

  // Only digits can be typed; letters show in upper case.
  EEvent->OnKeyPress = [](TObject*, char16_t& key) {
    if (key >= 0x20 && !std::isxdigit(static_cast<unsigned char>(key < 0x80 ? key : 0))) key = 0;
  };
  EEvent->OnChange = [this](TObject*) {
    std::string text = EEvent->Text();
    std::string upper = text;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper != text) {
      const int at = EEvent->SelStart();
      EEvent->SetText(upper);  // comes back here with the upper case
      EEvent->SetSelStart(at);
      return;
    }
    ParseEventText();
  };
  LVEvents->OnSelectItem = [this](TObject*) {
    ShowKindFields();
    BuildEventText();
  };
  CBChannel->OnChange = [this](TObject*) { BuildEventText(); };
  ENote->OnChange = [this](TObject*) { BuildEventText(); };
  TBVelocity->OnChange = [this](TObject*) { BuildEventText(); };
  TBValue->OnChange = [this](TObject*) { BuildEventText(); };
  SBProgram->OnClick = [this](TObject*) { SBProgramClick(); };
  SBControl->OnClick = [this](TObject*) { SBControlClick(); };
  auto opensChooser = [](TButton* button) {
    return [button](TObject*, uint16_t& key, TShiftState shift) {
      if (key == VK_RETURN || (key == VK_DOWN && (shift & ssAlt))) {
        key = 0;
        button->Click();
      }
    };
  };
  EProgram->OnKeyDown = opensChooser(SBProgram);
  EControl->OnKeyDown = opensChooser(SBControl);
  BBOk->OnClick = [this](TObject*) { BBOkClick(); };

  ApplySkinTemplate(*this, skinkind::Normal);
  FormCreate();
}

TFEventProperties::~TFEventProperties() { FormDestroy(); }

void TFEventProperties::FormCreate() {
  if (settings_) {
    TRect bounds = BoundsRect();
    if (ReadFormBounds(*settings_, kEventSection, bounds))
      SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
  }
  FillKinds();
  program_ = 0;
  EProgram->SetText(InstrumentName(0));
  controller_ = 0;
  EControl->SetText(ControllerName(0));
  SetActiveControl(EEvent);
}

void TFEventProperties::FormDestroy() {
  if (settings_) WriteFormBounds(*settings_, kEventSection, BoundsRect());
}

void TFEventProperties::FillKinds() {
  busy_ = true;
  for (int row = 0; row < ekRowCount; ++row)
    LVEvents->AddItem(kKindCaptions[row], {FLEvent->GetMessage(row, kKindNames[row])});
  busy_ = false;
  SelectRow(ekFree);
}

int TFEventProperties::SelectedRow() const { return LVEvents->ItemIndex(); }

void TFEventProperties::SelectRow(int row) {
  if (LVEvents->ItemIndex() != row)
    LVEvents->SetItemIndex(row);  // its handler shows the fields
  else
    ShowKindFields();
}

void TFEventProperties::ShowKindFields() {
  const int row = SelectedRow();
  const bool note = row == ekNoteOff || row == ekNoteOn || row == ekKeyPressure;
  const bool valueByVelocity = row == ekControl || row == ekChannelPressure;
  LChannel->SetVisible(row > ekFree);
  CBChannel->SetVisible(row > ekFree);
  LNote->SetVisible(note);
  ENote->SetVisible(note);
  LVelocity->SetVisible(note);
  TBVelocity->SetVisible(note || valueByVelocity);
  LValue->SetVisible(valueByVelocity || row == ekPitchBend);
  TBValue->SetVisible(row == ekPitchBend);
  LControl->SetVisible(row == ekControl);
  EControl->SetVisible(row == ekControl);
  SBControl->SetVisible(row == ekControl);
  LProgram->SetVisible(row == ekProgram);
  EProgram->SetVisible(row == ekProgram);
  SBProgram->SetVisible(row == ekProgram);
}

void TFEventProperties::BuildEventText() {
  if (busy_) return;
  busy_ = true;
  TEventFields fields;
  fields.Channel = std::max(CBChannel->ItemIndex(), 0);
  fields.Note = ENote->ItemIndex();
  fields.Velocity = TBVelocity->Position();
  fields.Program = program_;
  fields.Controller = controller_;
  fields.Bend = TBValue->Position();
  EEvent->SetText(BuildEventFieldsText(SelectedRow(), fields));
  busy_ = false;
}

void TFEventProperties::ParseEventText() {
  if (busy_) return;
  busy_ = true;
  std::string t;
  for (char c : EEvent->Text())
    if (c != ' ' && c != '\t') t += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const size_t n = t.size();
  // Byte i of the text, -1 when its digits are not hexadecimal; a lone
  // last digit counts as the byte's value.
  auto byteAt = [&](size_t i) {
    const size_t at = 2 * i;
    if (at >= n) return 0;
    const int high = HexValue(t[at]);
    if (at + 1 >= n) return high;
    const int low = HexValue(t[at + 1]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
  };
  auto takeChannel = [&] {
    const int channel = n >= 2 ? HexValue(t[1]) : -1;
    if (channel >= 0) CBChannel->SetItemIndex(channel);
  };
  const int kind = n == 0 ? 0 : HexValue(t[0]);
  if (n == 0) {
    SelectRow(ekFree);
  } else if (kind >= 8 && kind <= 10) {
    SelectRow(ekNoteOff + kind - 8);
    takeChannel();
    const int note = n >= 3 ? byteAt(1) : -1;
    if (n >= 3 && note >= 0) ENote->SetItemIndex(note <= 127 ? note : -1);
    const int velocity = n >= 5 ? byteAt(2) : -1;
    if (velocity >= 0) TBVelocity->SetPosition(velocity);
  } else if (kind == 11) {
    // The controller and its value stay as the fields have them.
    SelectRow(ekControl);
    takeChannel();
  } else if (kind == 12) {
    SelectRow(ekProgram);
    takeChannel();
    const int program = n >= 3 ? byteAt(1) : -1;
    if (program > 127) {
      program_ = kNoProgram;
      EProgram->SetText("");
    } else if (program >= 0) {
      program_ = program;
      EProgram->SetText(InstrumentName(program));
    }
  } else if (kind == 13) {
    SelectRow(ekChannelPressure);
    takeChannel();
    const int value = n >= 3 ? byteAt(1) : -1;
    if (value >= 0) TBVelocity->SetPosition(value);
  } else if (kind == 14) {
    SelectRow(ekPitchBend);
    takeChannel();
    const int low = n >= 3 ? byteAt(1) : 0;
    const int high = n >= 5 ? byteAt(2) : 0;
    if (low >= 0 && high >= 0) TBValue->SetPosition(low + 128 * high);
  }
  busy_ = false;
}

void TFEventProperties::SBProgramClick() {
  TFChooseControl chooser(nullptr, TFChooseControl::TList::Instruments);
  chooser.SelectController(program_);
  if (chooser.ShowModal() == mrOk && chooser.ChosenController() >= 0) {
    program_ = chooser.ChosenController();
    EProgram->SetText(program_ == kNoProgram ? std::string() : InstrumentName(program_));
  }
  BuildEventText();
}

void TFEventProperties::SBControlClick() {
  TFChooseControl chooser(nullptr);
  chooser.SelectController(controller_);
  if (chooser.ShowModal() == mrOk && chooser.ChosenController() >= 0) {
    controller_ = chooser.ChosenController();
    EControl->SetText(ControllerName(controller_));
  }
  BuildEventText();
}

void TFEventProperties::BBOkClick() {
  const TEventTextCheck check = CheckEventText(EEvent->Text());
  if (!check.Ok()) {
    const int index = kFirstErrorMessage + static_cast<int>(check.Error) - 1;
    std::string text = FLEvent->GetMessage(index, EventTextErrorText(check.Error).c_str());
    if (const size_t at = text.find("%d"); at != std::string::npos) text.replace(at, 2, std::to_string(check.Where));
    ShowMessageBlock(Caption(), text, kMessageWarning, kMessageOk);
    EEvent->SetFocus();
    return;
  }
  bytes_ = check.Bytes();
  SetModalResult(mrOk);
}

std::string TFEventProperties::EventText() const { return EEvent->Text(); }

void TFEventProperties::SetEventText(const std::string& text) { EEvent->SetText(text); }

void RegisterEventPropertiesForms() {
  RegisterForm("FEventProperties", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFEventProperties>(nullptr, nullptr);
    form->SetEventText("933C64");
    return form;
  });
  RegisterForm("FChooseControl", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFChooseControl>(nullptr);
    form->SelectController(7);
    return form;
  });
}

}  // namespace qs
