#include "interchange/importmidiform.h"

#include <array>

#include "base/inifile.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "platform/fonts.h"
#include "platform/stdctrls.h"
#include "score/score.h"
#include "uikit/charbutton.h"
#include "uikit/language.h"

namespace qs {
namespace {

constexpr const char* kSection = "ImportMIDIForm";

struct TNoteButton {
  const char* Name;
  uint8_t Glyph;  // the note in the music font
  int Ticks;
};
constexpr std::array<TNoteButton, 5> kNoteButtons = {{
    {"CBNote4", 44, 128}, {"CBNote8", 45, 64}, {"CBNote16", 46, 32}, {"CBNote32", 47, 16}, {"CBNote64", 48, 8}}};

TCheckBox* MakeCheckBox(TForm* form, const char* name, const char* caption, int top) {
  auto* box = new TCheckBox(form);
  box->SetName(name);
  box->SetParent(form);
  box->SetBounds(12, top, 260, 20);
  box->SetCaption(caption);
  box->SetTabStop(true);
  return box;
}

}  // namespace

bool AsksForMidiImportOptions(const std::string& fileName) {
  const std::string ext = LowerCase(ExtractFileExt(fileName));
  return ext == ".mid" || ext == ".midi" || ext == ".kar";
}

TFImportMIDI::TFImportMIDI(TComponent* owner, TIniFile* settings) : TForm(owner), settings_(settings) {
  SetName("FImportMIDI");
  SetCaption("Import MIDI");
  SetBorderStyle(bsSingle);
  SetPosition(poScreenCenter);
  SetClientWidth(284);
  SetClientHeight(214);

  CBOneStaff = MakeCheckBox(this, "CBOneStaff", "Only one stave per track", 10);
  CBTrackNames = MakeCheckBox(this, "CBTrackNames", "Add track names", 34);
  CBAutoClefs = MakeCheckBox(this, "CBAutoClefs", "Place clefs automatically", 58);
  CBTriplet = MakeCheckBox(this, "CBTriplet", "Duplet, Triplet, Quadruplet ..", 82);

  LQuantize = new TLabel(this);
  LQuantize->SetName("LQuantize");
  LQuantize->SetParent(this);
  LQuantize->SetBounds(12, 112, 120, 16);
  LQuantize->SetCaption("Quantize");

  TFont music;
  music.Name = MusicFontName;
  music.Height = -24;
  TECCharButton** slots[] = {&CBNote4, &CBNote8, &CBNote16, &CBNote32, &CBNote64};
  for (size_t i = 0; i < kNoteButtons.size(); ++i) {
    auto* b = new TECCharButton(this);
    b->SetName(kNoteButtons[i].Name);
    b->SetParent(this);
    b->SetBounds(12 + int(i) * 40, 132, 36, 36);
    b->SetFont(music);
    b->SetByte(kNoteButtons[i].Glyph);
    b->SetPosX(10);
    b->SetPosY(-9);
    b->SetGroupIndex(1);
    *slots[i] = b;
  }

  BBOk = new TButton(this);
  BBOk->SetName("BBOk");
  BBOk->SetParent(this);
  BBOk->SetBounds(116, 180, 75, 25);
  BBOk->SetCaption("&OK");
  BBOk->SetDefault(true);
  BBOk->ModalResult = mrOk;
  BBOk->SetTabStop(true);

  BBCancel = new TButton(this);
  BBCancel->SetName("BBCancel");
  BBCancel->SetParent(this);
  BBCancel->SetBounds(198, 180, 75, 25);
  BBCancel->SetCaption("Cancel");
  BBCancel->Cancel = true;
  BBCancel->ModalResult = mrCancel;
  BBCancel->SetTabStop(true);

  FLImportMIDI = new TECFormLanguage(this);
  FLImportMIDI->SetName("FLImportMIDI");
  FLImportMIDI->SetExLanguage(kDefaultLanguage);
  FLImportMIDI->Loaded();

  FormCreate();
}

TFImportMIDI::~TFImportMIDI() { FormDestroy(); }

void TFImportMIDI::FormCreate() {
  if (!settings_) {
    CBNote16->SetDown(true);
    return;
  }
  TRect bounds = BoundsRect();
  // Only the position comes back: the window keeps its own size.
  if (ReadFormBounds(*settings_, kSection, bounds)) SetBounds(bounds.Left, bounds.Top, Width(), Height());
  CBNote16->SetDown(true);
  SetQuantize(settings_->ReadInteger(kSection, "Quantize", 32));
  CBOneStaff->SetChecked(settings_->ReadBool(kSection, "OneStaff", false));
  CBTrackNames->SetChecked(settings_->ReadBool(kSection, "TrackNames", true));
  CBTriplet->SetChecked(settings_->ReadBool(kSection, "Triplet", true));
  CBAutoClefs->SetChecked(settings_->ReadBool(kSection, "AutoClefs", true));
}

void TFImportMIDI::FormDestroy() {
  if (!settings_) return;
  WriteFormBounds(*settings_, kSection, BoundsRect());
  settings_->WriteInteger(kSection, "Quantize", GetQuantize());
  settings_->WriteBool(kSection, "OneStaff", CBOneStaff->Checked());
  settings_->WriteBool(kSection, "TrackNames", CBTrackNames->Checked());
  settings_->WriteBool(kSection, "Triplet", CBTriplet->Checked());
  settings_->WriteBool(kSection, "AutoClefs", CBAutoClefs->Checked());
}

int TFImportMIDI::GetQuantize() const {
  const TECCharButton* tested[] = {CBNote4, CBNote8, CBNote16, CBNote32};
  for (size_t i = 0; i < std::size(tested); ++i)
    if (tested[i]->Down()) return kNoteButtons[i].Ticks;
  return 8;
}

void TFImportMIDI::SetQuantize(int value) {
  TECCharButton* buttons[] = {CBNote4, CBNote8, CBNote16, CBNote32, CBNote64};
  for (size_t i = 0; i < kNoteButtons.size(); ++i)
    if (kNoteButtons[i].Ticks == value) buttons[i]->SetDown(true);
}

void TFImportMIDI::ApplyTo(TQSScore& score) const {
  score.RecordQuantize = static_cast<uint16_t>(GetQuantize());
  score.ImportStaffPerTrack = CBOneStaff->Checked();
  score.ImportTrackNames = CBTrackNames->Checked();
  score.ImportTriplets = CBTriplet->Checked();
  score.ImportAutoClefs = CBAutoClefs->Checked();
}

void RegisterImportMidiForms() {
  RegisterForm("FImportMIDI", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    return std::make_unique<TFImportMIDI>(nullptr, nullptr);
  });
}

}  // namespace qs
