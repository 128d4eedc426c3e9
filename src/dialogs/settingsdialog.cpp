#include "dialogs/settingsdialog.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <memory>

#include "base/inifile.h"
#include "base/strings.h"
#include "dialogs/devicehost.h"
#include "platform/comctrls.h"
#include "platform/stdctrls.h"
#include "uikit/formparts.h"
#include "uikit/gridstring.h"
#include "uikit/interface.h"
#include "uikit/language.h"
#include "uikit/messagebox.h"
#include "uikit/pagecontrol.h"

namespace qs {

namespace {

constexpr const char* kSection = "SettingsForm";
constexpr int kQuantize[7] = {512, 256, 128, 64, 32, 16, 8};
constexpr int kDuration[5] = {128, 64, 32, 16, 8};
constexpr int kNoteKeyRows = 17;
// The messages of the dialog's language record: the row captions of the
// note keys, then the auto-save intervals.
constexpr int kAutosaveIntervals = kNoteKeyRows;

template <class T>
T* Put(TWinControl* parent, TComponent* owner, const char* name, int left, int top, int width, int height) {
  auto* c = Make<T>(owner, parent, name, left, top, width, height);
  if constexpr (std::is_base_of_v<TWinControl, T>) c->SetTabStop(true);
  return c;
}

TLabel* Label(TWinControl* parent, TComponent* owner, const char* name, int left, int top, int width) {
  return Make<TLabel>(owner, parent, name, left, top, width, 16);
}

TUpDown* Spin(TWinControl* parent, TComponent* owner, const char* name, TEdit* edit, int min, int max) {
  auto* ud = Make<TUpDown>(owner, parent, name, edit->Left() + edit->Width(), edit->Top(), 17, edit->Height());
  ud->Min = min;
  ud->Max = max;
  ud->SetAssociate(edit);
  return ud;
}

int Typed(const TEdit* edit, const TUpDown* ud) {
  return std::clamp(StrToIntSafe(Trim(edit->Text()), ud->Position()), ud->Min, ud->Max);
}

}  // namespace

const std::string* NoteNameVariant(int variant) {
  static const std::string first[12] = {"C", "C#", "D", "Eb", "E", "F", "F#", "G", "G#", "A", "Bb", "B"};
  static const std::string second[12] = {"C", "C#", "D", "Eb", "E", "F", "F#", "G", "G#", "A", "Hb", "H"};
  return variant == 2 ? second : first;
}

TFSettingsModule::TFSettingsModule(TComponent* owner, TSettings* settings, TDeviceHost* host)
    : TForm(owner), settings_(settings), host_(host) {
  SetName("FSettingsModule");
  SetFormHelpTopic(Name(), "ProgSettings");
  SetCaption("Settings");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(488);
  SetClientHeight(366);
  ApplySkinTemplate(*this, skinkind::Normal);
  KeyPreview = true;
  if (host_) password_ = host_->MailPassword();
  if (settings_) {
    settings_->Load(record_);
    settings_->Load(play_);
    settings_->Load(mail_);
    settings_->Load(names_);
    settings_->Load(music_);
    settings_->Load(editor_);
    settings_->Load(effects_);
    settings_->Load(news_);
  }

  PCSettings = Make<TECPageControl>(this, this, "PCSettings", 4, 4, 480, 322);
  PCSettings->PageSetting().SetDoubleSheet(false);
  PCSettings->SetSpiralVisible(false);
  PCSettings->PageSetting().SetOrientation(poBottom);
  const auto page = [this](const char* name) {
    auto* sheet = new TECTabSheet(this);
    sheet->SetName(name);
    sheet->SetPageControl(PCSettings);
    return sheet;
  };
  TSRecord = page("TSRecord");
  TSKeys = page("TSKeys");
  TSMail = page("TSMail");
  TSMusic = page("TSMusic");
  TSDevices = page("TSDevices");
  TSGeneral = page("TSGeneral");
  BuildRecord();
  BuildKeys();
  BuildMail();
  BuildMusic();
  BuildDevices();
  BuildGeneral();

  BBOk = MakeOkButton(this, "&OK", 326, 334);
  BBOk->ModalResult = mrOk;
  BBOk->OnClick = [this](TObject*) { BBOkClick(); };
  BBCancel = MakeCancelButton(this, 408, 334);
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
    if (key == 27) {
      SetModalResult(mrCancel);
      key = 0;
    }
  };
  LSettingsModule = MakeFormLanguage(this, "LSettingsModule");
  for (int row = 0; row < kNoteKeyRows; ++row) SGNotes->SetCells(0, row + 1, LSettingsModule->GetMessage(row));
  TStringList intervals;
  for (int i = 0; i < 5; ++i) intervals.Add(LSettingsModule->GetMessage(kAutosaveIntervals + i));
  CBIntervalAutosave->SetItems(intervals);
  ReadValues();

  int pageIndex = 0;
  if (settings_) {
    TRect bounds = BoundsRect();
    // Only the place comes back: the dialog keeps its own size.
    if (settings_->RestoreBounds(*this, kSection)) SetBounds(Left(), Top(), bounds.Width(), bounds.Height());
    pageIndex = settings_->Ini().ReadInteger(kSection, "PageIndex", 0);
  }
  if (pageIndex >= 0 && pageIndex < PCSettings->PageCount()) PCSettings->SetActivePage(PCSettings->Pages(pageIndex));
  else PCSettings->SetActivePage(TSRecord);
  UpdateEnabled();
  // The Helper explains the dialog beside it while it is open.
  OnShow = [this](TObject*) {
    ShowHelperContext({"Settings"}, true, Left(), Top(), Width(), Height());
    if (CanFocus()) SetFocus();
  };
  OnClose = [](TObject*, TCloseAction&) { ReturnHelperContext(); };
}

TFSettingsModule::~TFSettingsModule() {
  if (host_) host_->StopTestPlay();
  if (settings_) {
    settings_->StoreBounds(*this, kSection);
    settings_->Ini().WriteInteger(kSection, "PageIndex", PCSettings->IndexOfPage(PCSettings->ActivePage()));
  }
}

void TFSettingsModule::BuildRecord() {
  auto* group = Put<TGroupBox>(TSRecord, this, "GBQuantize", 6, 6, 460, 48);
  TRadioButton** quantize[7] = {&CBNote, &CBNote2, &CBNote4, &CBNote8, &CBNote16, &CBNote32, &CBNote64};
  const char* quantizeNames[7] = {"CBNote", "CBNote2", "CBNote4", "CBNote8", "CBNote16", "CBNote32", "CBNote64"};
  for (int i = 0; i < 7; ++i) *quantize[i] = Put<TRadioButton>(group, this, quantizeNames[i], 8 + i * 64, 20, 60, 20);
  CBRealTime = Put<TCheckBox>(TSRecord, this, "CBRealTime", 10, 58, 450, 20);
  auto* durations = Put<TGroupBox>(TSRecord, this, "GBDuration", 6, 82, 460, 48);
  TRadioButton** duration[5] = {&CBDur4, &CBDur8, &CBDur16, &CBDur32, &CBDur64};
  const char* durationNames[5] = {"CBDur4", "CBDur8", "CBDur16", "CBDur32", "CBDur64"};
  for (int i = 0; i < 5; ++i) *duration[i] = Put<TRadioButton>(durations, this, durationNames[i], 8 + i * 64, 20, 60, 20);
  Label(TSRecord, this, "LVelFirst", 10, 142, 300);
  EVelFirst = Put<TEdit>(TSRecord, this, "EVelFirst", 320, 140, 50, 21);
  UDVelFirst = Spin(TSRecord, this, "UDVelFirst", EVelFirst, 0, 127);
  Label(TSRecord, this, "LVelOther", 10, 170, 300);
  EVelOther = Put<TEdit>(TSRecord, this, "EVelOther", 320, 168, 50, 21);
  UDVelOther = Spin(TSRecord, this, "UDVelOther", EVelOther, 0, 127);
  CBRecordMetronome = Put<TCheckBox>(TSRecord, this, "CBRecordMetronome", 10, 198, 450, 20);
  CBPlayMetronome = Put<TCheckBox>(TSRecord, this, "CBPlayMetronome", 10, 222, 450, 20);
  Label(TSRecord, this, "LPort", 10, 252, 140);
  EPort = Put<TEdit>(TSRecord, this, "EPort", 160, 250, 40, 21);
  UDPort = Spin(TSRecord, this, "UDPort", EPort, 1, 1);
  Label(TSRecord, this, "LChannel", 240, 252, 140);
  EChannel = Put<TEdit>(TSRecord, this, "EChannel", 390, 250, 40, 21);
  UDChannel = Spin(TSRecord, this, "UDChannel", EChannel, 1, 16);
  UDChannel->SetPosition(10);
}

void TFSettingsModule::BuildKeys() {
  PCTools = Make<TECPageControl>(this, TSKeys, "PCTools", 6, 6, 460, 270);
  PCTools->PageSetting().SetDoubleSheet(false);
  PCTools->SetSpiralVisible(false);
  PCTools->PageSetting().SetOrientation(poBottom);
  TSNotes = new TECTabSheet(this);
  TSNotes->SetName("TSNotes");
  TSNotes->SetPageControl(PCTools);
  TSSymbols = new TECTabSheet(this);
  TSSymbols->SetName("TSSymbols");
  TSSymbols->SetPageControl(PCTools);
  PCTools->SetActivePage(TSNotes);
  SGNotes = Make<TECStringGrid>(this, TSNotes, "SGNotes", 4, 4, 440, 230);
  SGNotes->SetColCount(2);
  SGNotes->SetRowCount(kNoteKeyRows + 1);
  SGNotes->SetFixedCols(1);
  SGNotes->SetFixedRows(1);
  SGNotes->SetColWidths(0, 200);
  SGNotes->SetColWidths(1, 200);
  // The keys of the rows, in the order of the choices (display only).
  const char* keys = "0123456789ABCDEFG";
  for (int row = 0; row < kNoteKeyRows; ++row)
    SGNotes->SetCells(1, row + 1, std::string("Shift+") + keys[row]);
}

void TFSettingsModule::BuildMail() {
  const struct {
    const char* Label;
    const char* Edit;
    TEdit** Field;
  } rows[] = {{"LAddress", "EAddress", &EAddress},       {"LMailName", "EMailName", &EMailName},
              {"LSMTPserver", "ESMTPserver", &ESMTPserver}, {"LSMTPPort", "ESMTPPort", &ESMTPPort}};
  int top = 10;
  for (const auto& r : rows) {
    Label(TSMail, this, r.Label, 10, top + 2, 180);
    *r.Field = Put<TEdit>(TSMail, this, r.Edit, 200, top, 260, 21);
    top += 30;
  }
  CBAuthentication = Put<TCheckBox>(TSMail, this, "CBAuthentication", 10, top + 4, 450, 20);
  CBAuthentication->OnClick = [this](TObject*) { UpdateEnabled(); };
  top += 34;
  Label(TSMail, this, "LUserId", 30, top + 2, 160);
  EUserId = Put<TEdit>(TSMail, this, "EUserId", 200, top, 260, 21);
  top += 30;
  Label(TSMail, this, "LPassword", 30, top + 2, 160);
  EPassword = Put<TEdit>(TSMail, this, "EPassword", 200, top, 260, 21);
  EPassword->SetPasswordChar(u'*');
}

void TFSettingsModule::BuildMusic() {
  Label(TSMusic, this, "LNames", 10, 10, 450);
  for (int i = 0; i < 12; ++i) {
    const std::string name = "EN" + std::to_string(i + 1);
    EN[i] = Put<TEdit>(TSMusic, this, name.c_str(), 10 + (i % 6) * 72, 34 + (i / 6) * 30, 64, 21);
  }
  SBVariant1 = Put<TButton>(TSMusic, this, "SBVariant1", 10, 100, 220, 25);
  SBVariant1->OnClick = [this](TObject*) { SBVariant1Click(); };
  SBVariant2 = Put<TButton>(TSMusic, this, "SBVariant2", 240, 100, 220, 25);
  SBVariant2->OnClick = [this](TObject*) { SBVariant2Click(); };
  Label(TSMusic, this, "LFlazholetName", 10, 146, 250);
  EFlazholetName = Put<TEdit>(TSMusic, this, "EFlazholetName", 270, 144, 120, 21);
}

void TFSettingsModule::BuildDevices() {
  Label(TSDevices, this, "LOutput", 10, 12, 450);
  CBOutput = Put<TComboBox>(TSDevices, this, "CBOutput", 10, 32, 450, 22);
  CBOutput->SetStyle(csDropDownList);
  Label(TSDevices, this, "LInput", 10, 66, 450);
  CBInput = Put<TComboBox>(TSDevices, this, "CBInput", 10, 86, 450, 22);
  CBInput->SetStyle(csDropDownList);
  BBTest = Put<TButton>(TSDevices, this, "BBTest", 10, 126, 140, 25);
  BBStop = Put<TButton>(TSDevices, this, "BBStop", 10, 126, 140, 25);
  BBVolume = Put<TButton>(TSDevices, this, "BBVolume", 160, 126, 200, 25);
  devices_ = {host_, CBOutput, CBInput, BBTest, BBStop, BBVolume, {}, {}};
  devices_.Fill();
  UDPort->Max = std::max<int>(1, static_cast<int>(devices_.Outputs.size()));
}

void TFSettingsModule::BuildGeneral() {
  CBSaveBackUp = Put<TCheckBox>(TSGeneral, this, "CBSaveBackUp", 10, 8, 220, 20);
  CBCountBackUp = Put<TCheckBox>(TSGeneral, this, "CBCountBackUp", 30, 32, 140, 20);
  ECountBackUp = Put<TEdit>(TSGeneral, this, "ECountBackUp", 174, 31, 40, 21);
  UDCountBackUp = Spin(TSGeneral, this, "UDCountBackUp", ECountBackUp, 1, 999);
  CBAutosave = Put<TCheckBox>(TSGeneral, this, "CBAutosave", 10, 58, 220, 20);
  LIntervalAutosave = Label(TSGeneral, this, "LIntervalAutosave", 30, 84, 100);
  CBIntervalAutosave = Put<TComboBox>(TSGeneral, this, "CBIntervalAutosave", 134, 82, 96, 22);
  CBNews = Put<TCheckBox>(TSGeneral, this, "CBNews", 10, 114, 220, 20);
  CBDisplayNews = Put<TCheckBox>(TSGeneral, this, "CBDisplayNews", 30, 138, 200, 20);
  CBOptimization = Put<TCheckBox>(TSGeneral, this, "CBOptimization", 10, 162, 220, 20);
  CBAutoEffect = Put<TCheckBox>(TSGeneral, this, "CBAutoEffect", 10, 196, 220, 20);
  CBAutovelocity = Put<TCheckBox>(TSGeneral, this, "CBAutovelocity", 10, 220, 220, 20);
  CBAutoPages = Put<TCheckBox>(TSGeneral, this, "CBAutoPages", 10, 244, 220, 20);
  TCheckBox** sounding[7] = {&CBPlayMouse, &CBPlayDrag, &CBPlayPiano, &CBPlayGuitar,
                             &CBPlayMIDI,  &CBShowNoteHint, &CBShowPianoNote};
  const char* names[7] = {"CBPlayMouse", "CBPlayDrag",     "CBPlayPiano",    "CBPlayGuitar",
                          "CBPlayMIDI",  "CBShowNoteHint", "CBShowPianoNote"};
  for (int i = 0; i < 7; ++i) *sounding[i] = Put<TCheckBox>(TSGeneral, this, names[i], 240, 8 + i * 24, 226, 20);
  for (TCheckBox* box : {CBSaveBackUp, CBCountBackUp, CBAutosave, CBNews})
    box->OnClick = [this](TObject*) { UpdateEnabled(); };
}

void TFSettingsModule::ReadValues() {
  TRadioButton* quantize[7] = {CBNote, CBNote2, CBNote4, CBNote8, CBNote16, CBNote32, CBNote64};
  for (int i = 0; i < 7; ++i) quantize[i]->SetChecked(kQuantize[i] == record_.RecordQuantize);
  TRadioButton* duration[5] = {CBDur4, CBDur8, CBDur16, CBDur32, CBDur64};
  for (int i = 0; i < 5; ++i) duration[i]->SetChecked(kDuration[i] == record_.MetrDuration);
  CBRealTime->SetChecked(record_.RecordRealTime);
  UDVelFirst->SetPosition(record_.MetrFirstVelocity);
  UDVelOther->SetPosition(record_.MetrOtherVelocity);
  CBRecordMetronome->SetChecked(record_.RecordMetronome);
  CBPlayMetronome->SetChecked(play_.PlayMetronome);
  UDPort->SetPosition(1);
  EAddress->SetText(mail_.Address);
  EMailName->SetText(mail_.MailName);
  ESMTPserver->SetText(mail_.SMTPServer);
  ESMTPPort->SetText(std::to_string(mail_.Port));
  CBAuthentication->SetChecked(mail_.Authentication);
  EUserId->SetText(mail_.UserId);
  EPassword->SetText(password_);
  for (int i = 0; i < 12; ++i) EN[i]->SetText(names_.Names[i]);
  EFlazholetName->SetText(music_.FlazholetName);
  CBSaveBackUp->SetChecked(editor_.SaveBackUp);
  CBCountBackUp->SetChecked(editor_.LimitBackUp);
  UDCountBackUp->SetPosition(std::max(1, editor_.CountBackUp));
  CBAutosave->SetChecked(editor_.AutoSave);
  // The list's index of the stored interval; another one shows as typed.
  int interval = -1;
  for (int i = 0; i < static_cast<int>(std::size(kAutoSaveIntervals)); ++i)
    if (kAutoSaveIntervals[i] == editor_.AutoSaveInterval) interval = i;
  if (interval >= 0) CBIntervalAutosave->SetItemIndex(interval);
  else CBIntervalAutosave->SetText(std::to_string(editor_.AutoSaveInterval / 60));
  CBPlayMouse->SetChecked(effects_.PlayMouse);
  CBPlayDrag->SetChecked(effects_.PlayDrag);
  CBPlayPiano->SetChecked(effects_.PlayPiano);
  CBPlayGuitar->SetChecked(effects_.PlayGuitar);
  CBPlayMIDI->SetChecked(effects_.PlayMIDI);
  CBShowNoteHint->SetChecked(effects_.ShowNoteHint);
  CBShowPianoNote->SetChecked(effects_.ShowPianoNote);
  CBAutoEffect->SetChecked(effects_.AutoEffect);
  CBAutovelocity->SetChecked(effects_.AutoVelocity);
  CBAutoPages->SetChecked(effects_.AutoPages);
  CBNews->SetChecked(news_.News);
  CBDisplayNews->SetChecked(news_.DisplayNews);
  CBOptimization->SetChecked(true);
}

void TFSettingsModule::UpdateEnabled() {
  const bool count = CBCountBackUp->Checked();
  ECountBackUp->SetEnabled(count);
  UDCountBackUp->SetEnabled(count);
  const bool backups = CBSaveBackUp->Checked();
  CBCountBackUp->SetVisible(backups);
  ECountBackUp->SetVisible(backups);
  UDCountBackUp->SetVisible(backups);
  LIntervalAutosave->SetVisible(CBAutosave->Checked());
  CBIntervalAutosave->SetVisible(CBAutosave->Checked());
  CBDisplayNews->SetEnabled(CBNews->Checked());
  const bool login = CBAuthentication->Checked();
  for (const char* name : {"LUserId", "LPassword"})
    if (auto* c = dynamic_cast<TControl*>(FindComponent(name))) c->SetEnabled(login);
  EUserId->SetEnabled(login);
  EPassword->SetEnabled(login);
}

void TFSettingsModule::SBVariant1Click() {
  for (int i = 0; i < 12; ++i) EN[i]->SetText(NoteNameVariant(1)[i]);
}

void TFSettingsModule::SBVariant2Click() {
  for (int i = 0; i < 12; ++i) EN[i]->SetText(NoteNameVariant(2)[i]);
}

void TFSettingsModule::BBTestClick() { devices_.TestClick(); }
void TFSettingsModule::BBStopClick() { devices_.StopClick(); }

void TFSettingsModule::BBOkClick() {
  devices_.Choose();
  TRecordingSettings record = record_;
  TRadioButton* quantize[7] = {CBNote, CBNote2, CBNote4, CBNote8, CBNote16, CBNote32, CBNote64};
  for (int i = 0; i < 7; ++i)
    if (quantize[i]->Checked()) record.RecordQuantize = kQuantize[i];
  TRadioButton* duration[5] = {CBDur4, CBDur8, CBDur16, CBDur32, CBDur64};
  for (int i = 0; i < 5; ++i)
    if (duration[i]->Checked()) record.MetrDuration = kDuration[i];
  record.RecordRealTime = CBRealTime->Checked();
  record.RecordMetronome = CBRecordMetronome->Checked();
  record.MetrFirstVelocity = Typed(EVelFirst, UDVelFirst);
  record.MetrOtherVelocity = Typed(EVelOther, UDVelOther);
  TPlaySettings play = play_;
  play.PlayMetronome = CBPlayMetronome->Checked();
  TEditorSettings editor = editor_;
  editor.SaveBackUp = CBSaveBackUp->Checked();
  editor.LimitBackUp = CBCountBackUp->Checked();
  editor.CountBackUp = Typed(ECountBackUp, UDCountBackUp);
  editor.AutoSave = CBAutosave->Checked();
  // A text typed into the list counts as the last interval, an hour; a
  // stored interval the list does not hold stays while it is shown.
  const int index = CBIntervalAutosave->ItemIndex();
  const int count = static_cast<int>(std::size(kAutoSaveIntervals));
  if (index >= 0 && index < count) editor.AutoSaveInterval = kAutoSaveIntervals[index];
  else if (CBIntervalAutosave->Text() != std::to_string(editor_.AutoSaveInterval / 60))
    editor.AutoSaveInterval = kAutoSaveIntervals[count - 1];
  TEffectsSettings effects = effects_;
  effects.PlayMouse = CBPlayMouse->Checked();
  effects.PlayDrag = CBPlayDrag->Checked();
  effects.PlayPiano = CBPlayPiano->Checked();
  effects.PlayGuitar = CBPlayGuitar->Checked();
  effects.PlayMIDI = CBPlayMIDI->Checked();
  effects.ShowNoteHint = CBShowNoteHint->Checked();
  effects.ShowPianoNote = CBShowPianoNote->Checked();
  effects.AutoEffect = CBAutoEffect->Checked();
  effects.AutoVelocity = CBAutovelocity->Checked();
  effects.AutoPages = CBAutoPages->Checked();
  TNewsSettings news = news_;
  news.News = CBNews->Checked();
  news.DisplayNews = CBDisplayNews->Checked();
  TMailSettings mail = mail_;
  mail.Address = EAddress->Text();
  mail.MailName = EMailName->Text();
  mail.SMTPServer = ESMTPserver->Text();
  // A port that is no number is the SMTP port.
  const int port = StrToIntSafe(Trim(ESMTPPort->Text()), 25);
  mail.Port = port >= 1 && port <= 65535 ? port : 25;
  mail.Authentication = CBAuthentication->Checked();
  mail.UserId = EUserId->Text();
  // The names are written only when one of them or the harmonics' text
  // changed.
  TNoteNameSettings names = names_;
  bool namesChanged = false;
  for (int i = 0; i < 12; ++i) {
    names.Names[i] = Trim(EN[i]->Text());
    namesChanged |= names.Names[i] != Trim(names_.Names[i]);
  }
  TMusicSettings music = music_;
  music.FlazholetName = EFlazholetName->Text();
  namesChanged |= music.FlazholetName != music_.FlazholetName;
  record_ = record;
  play_ = play;
  editor_ = editor;
  effects_ = effects;
  news_ = news;
  mail_ = mail;
  if (settings_) {
    settings_->Store(record_);
    settings_->Store(play_);
    settings_->Store(editor_);
    settings_->Store(effects_);
    settings_->Store(news_);
    settings_->Store(mail_);
    namesChanged_ = namesChanged;
    if (namesChanged) {
      names_ = names;
      music_ = music;
      settings_->Store(names_);
      settings_->Store(music_);
    }
  }
  // The password stays out of the settings file, which other programs can
  // read: the host keeps it apart. It is stored only when it changed, so
  // an OK that changed other things leaves its file alone.
  if (host_ && EPassword->Text() != password_) {
    try {
      host_->SetMailPassword(EPassword->Text());
      password_ = EPassword->Text();
    } catch (const std::exception& e) {
      ShowMessageBlock(Caption(), UserErrorText(e), kMessageWarning, kMessageOk);
    }
  }
  if (host_) host_->SettingsChanged();
}

void RegisterSettingsForms() {
  // Each page on its own, so that every control is seen and checked.
  static const char* const kPages[6] = {"", "Keys", "Mail", "Music", "Devices", "General"};
  for (int page = 0; page < 6; ++page)
    RegisterForm(std::string("FSettingsModule") + kPages[page], [page](const std::string&) -> std::unique_ptr<TCustomForm> {
      auto form = std::make_unique<TFSettingsModule>(nullptr, nullptr, nullptr);
      form->PCSettings->SetActivePage(form->PCSettings->Pages(page));
      return form;
    });
}

}  // namespace qs
