#include "dialogs/exportdialogs.h"

#include <algorithm>

#include "base/inifile.h"
#include "base/strings.h"
#include "platform/comctrls.h"
#include "platform/dialogs.h"
#include "platform/extctrls.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "uikit/catalogue.h"
#include "uikit/formparts.h"
#include "uikit/messagebox.h"
#include "uikit/pictures.h"

namespace qs {

namespace {

constexpr int kMaxPageNumber = 9999;

// Where a dialog keeps its place; only the place comes back (the dialogs
// keep their own size).
void RestorePlace(TCustomForm& form, TSettings* settings, const char* section) {
  if (!settings) return;
  TRect bounds = form.BoundsRect();
  if (ReadFormBounds(settings->Ini(), section, bounds)) form.SetBounds(bounds.Left, bounds.Top, form.Width(), form.Height());
}

void StorePlace(const TCustomForm& form, TSettings* settings, const char* section) {
  if (settings) WriteFormBounds(settings->Ini(), section, form.BoundsRect());
}

TRadioButton* MakeRadio(TCustomForm* form, TWinControl* parent, const char* name, int left, int top, int width) {
  // Owned by the form, so that its translation finds it by name.
  auto* button = Make<TRadioButton>(form, parent, name, left, top, width, 20);
  button->SetTabStop(true);
  return button;
}

// A track bar with its caption above and its value ("100%") beside it.
TTrackBar* MakeScale(TCustomForm* form, int left, int top, int width, int maximum, TLabel*& caption, TLabel*& value) {
  caption = Make<TLabel>(form, "LScale", left, top, width - 60, 16);
  caption->SetCaption("Scale");
  auto* bar = Make<TTrackBar>(form, "TBScale", left, top + 18, width - 60, 28);
  bar->SetMin(25);
  bar->SetMax(maximum);
  bar->SetFrequency(25);
  bar->SetPageSize(25);
  bar->SetPosition(100);
  bar->SetTabStop(true);
  value = Make<TLabel>(form, "LScalePerCent", left + width - 52, top + 22, 52, 16);
  value->SetCaption("100%");
  bar->OnChange = [bar, value](TObject*) { value->SetCaption(std::to_string(bar->Position()) + "%"); };
  return bar;
}

}  // namespace

void TExportImageSettings::Visit(TSettingsIO& io) {
  io.Key("DoublePage", DoublePage, false);
  io.Key("PageRange", PageRange, 0, 0, 1);
  io.Key("FromPage", FromPage, 1, 1, kMaxPageNumber);
  io.Key("ToPage", ToPage, 1, 1, kMaxPageNumber);
  io.Key("PixelFormat", PixelFormat, 0, 0, 1);
  io.Key("Quality", Quality, 30, 20, 100);
  io.Key("Scale", Scale, 100, 25, 300);
}

void TPDFSettings::Visit(TSettingsIO& io) {
  io.Key("PageRange", PageRange, 0, 0, 1);
  io.Key("FromPage", FromPage, 1, 1, kMaxPageNumber);
  io.Key("ToPage", ToPage, 1, 1, kMaxPageNumber);
  io.Key("Scale", Scale, 100, 25, 200);
  io.Key("ImagesAsJpeg", ImagesAsJpeg, true);
  io.Key("Compressed", Compressed, true);
}

// ------------------------------------------------------------ page range

TPageRangeChoice::TPageRangeChoice(TCustomForm* form, int left, int top, int width) {
  RGPageRange = Make<TGroupBox>(form, form, "RGPageRange", left, top, width, 74);
  RGPageRange->SetCaption(" Pages ");
  RBAllPages = MakeRadio(form, RGPageRange, "RBAllPages", 10, 20, width - 20);
  RBAllPages->SetCaption("All pages");
  RBPageRange = MakeRadio(form, RGPageRange, "RBPageRange", 10, 44, 82);
  RBPageRange->SetCaption("Pages");
  LFrom = Make<TLabel>(form, RGPageRange, "LFrom", 94, 46, 27, 16);
  LFrom->SetCaption("from");
  EFrom = Make<TEdit>(form, RGPageRange, "EFrom", 122, 43, 40, 21);
  UDFromPage = Make<TUpDown>(form, RGPageRange, "UDFromPage", 162, 43, 17, 21);
  LTo = Make<TLabel>(form, RGPageRange, "LTo", 186, 46, 24, 16);
  LTo->SetCaption("to");
  ETo = Make<TEdit>(form, RGPageRange, "ETo", 212, 43, 40, 21);
  UDToPage = Make<TUpDown>(form, RGPageRange, "UDToPage", 252, 43, 17, 21);
  for (TUpDown* ud : {UDFromPage, UDToPage}) {
    ud->Min = 1;
    ud->Max = kMaxPageNumber;
  }
  UDFromPage->SetAssociate(EFrom);
  UDToPage->SetAssociate(ETo);
  UDFromPage->SetPosition(1);
  UDToPage->SetPosition(1);
  for (TEdit* e : {EFrom, ETo}) e->SetTabStop(true);
  RBAllPages->SetChecked(true);
  UDToPage->OnClick = [this](TObject*, TUDBtnType) {
    if (ToPage() < FromPage()) UDFromPage->SetPosition(ToPage());
    RBPageRange->SetChecked(true);
  };
  UDFromPage->OnClick = [this](TObject*, TUDBtnType) {
    if (ToPage() < FromPage()) UDToPage->SetPosition(FromPage());
    RBPageRange->SetChecked(true);
  };
}

void TPageRangeChoice::SetPageCount(int n) {
  UDFromPage->Max = std::max(1, n - 1);
  UDToPage->Max = std::max(1, n);
  UDFromPage->SetPosition(std::min(FromPage(), UDFromPage->Max));
  UDToPage->SetPosition(std::min(ToPage(), UDToPage->Max));
}

int TPageRangeChoice::PageRange() const { return RBPageRange->Checked() ? 1 : 0; }

void TPageRangeChoice::SetPageRange(int range) { (range == 1 ? RBPageRange : RBAllPages)->SetChecked(true); }

int TPageRangeChoice::FromPage() const {
  return std::clamp(StrToIntSafe(Trim(EFrom->Text()), UDFromPage->Position()), UDFromPage->Min, UDFromPage->Max);
}

int TPageRangeChoice::ToPage() const {
  return std::clamp(StrToIntSafe(Trim(ETo->Text()), UDToPage->Position()), UDToPage->Min, UDToPage->Max);
}

void TPageRangeChoice::SetPages(int from, int to) {
  UDFromPage->SetPosition(std::clamp(from, UDFromPage->Min, UDFromPage->Max));
  UDToPage->SetPosition(std::clamp(to, UDToPage->Min, UDToPage->Max));
}

// ------------------------------------------------------------ TFExportSetting

namespace {
constexpr const char* kExportPlace = "ExportSettingForm";
constexpr const char* kPDFPlace = "PDFSettingForm";
}  // namespace

TFExportSetting::TFExportSetting(TComponent* owner, TSettings* settings)
    : TForm(owner), Range(this, 8, 8, 288), settings_(settings) {
  SetName("FExportSetting");
  SetCaption("Export options");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(304);
  SetClientHeight(316);
  CBDoublePage = Make<TCheckBox>(this, "CBDoublePage", 16, 88, 280, 20);
  CBDoublePage->SetCaption("Two pages side by side");
  CBDoublePage->SetTabStop(true);
  RGFormat = Make<TGroupBox>(this, "RGFormat", 8, 114, 288, 48);
  RGFormat->SetCaption(" Colours ");
  RB8Bit = MakeRadio(this, RGFormat, "RB8Bit", 10, 20, 130);
  RB8Bit->SetCaption("8 bits");
  RB24Bit = MakeRadio(this, RGFormat, "RB24Bit", 146, 20, 130);
  RB24Bit->SetCaption("24 bits");
  LQuality = Make<TLabel>(this, "LQuality", 8, 170, 288, 16);
  TBQuality = Make<TTrackBar>(this, "TBQuality", 8, 188, 288, 28);
  TBQuality->SetMin(20);
  TBQuality->SetMax(100);
  TBQuality->SetFrequency(10);
  TBQuality->SetPageSize(10);
  TBQuality->SetTabStop(true);
  TBQuality->OnChange = [this](TObject*) { ShowQuality(); };
  TBScale = MakeScale(this, 8, 224, 288, 300, LScale, LScalePerCent);
  BBOk = MakeOkButton(this, "&OK", 140, 282);
  BBOk->ModalResult = mrOk;
  BBCancel = MakeCancelButton(this, 221, 282);
  ApplySkinTemplate(*this, skinkind::Normal);
  FLExportSetting = MakeFormLanguage(this, "FLExportSetting");

  TExportImageSettings options;
  if (settings_) settings_->Load(options);
  CBDoublePage->SetChecked(options.DoublePage);
  Range.SetPageRange(options.PageRange);
  Range.SetPages(options.FromPage, options.ToPage);
  (options.PixelFormat == 1 ? RB24Bit : RB8Bit)->SetChecked(true);
  TBQuality->SetPosition(options.Quality);
  TBScale->SetPosition(options.Scale);
  LScalePerCent->SetCaption(std::to_string(options.Scale) + "%");
  ShowQuality();
  RestorePlace(*this, settings_, kExportPlace);
}

TFExportSetting::~TFExportSetting() {
  // Kept also after Cancel, for the next export.
  if (settings_) {
    TExportImageSettings options;
    options.DoublePage = GetDoublePage();
    options.PageRange = GetPageRange();
    options.FromPage = GetFromPage();
    options.ToPage = GetToPage();
    options.PixelFormat = GetPixelFormat();
    options.Quality = GetQuality();
    options.Scale = GetScale();
    settings_->Store(options);
    StorePlace(*this, settings_, kExportPlace);
  }
}

void TFExportSetting::ShowQuality() {
  const std::string format = FLExportSetting ? FLExportSetting->GetMessage(0, "JPEG quality: %s") : "JPEG quality: %s";
  LQuality->SetCaption(Format(format.c_str(), std::to_string(TBQuality->Position()).c_str()));
}

void TFExportSetting::SetOptionsVisible(int flags) {
  LQuality->SetVisible((flags & 2) != 0);
  TBQuality->SetVisible((flags & 2) != 0);
  RGFormat->SetVisible((flags & 1) != 0);
}

int TFExportSetting::GetPixelFormat() const { return RB24Bit->Checked() ? 1 : 0; }
int TFExportSetting::GetQuality() const { return TBQuality->Position(); }
int TFExportSetting::GetScale() const { return TBScale->Position(); }
bool TFExportSetting::GetDoublePage() const { return CBDoublePage->Checked(); }

// ------------------------------------------------------------ TFPDFSetting

TFPDFSetting::TFPDFSetting(TComponent* owner, TSettings* settings)
    : TForm(owner), Range(this, 8, 8, 288), settings_(settings) {
  SetName("FPDFSetting");
  SetCaption("PDF options");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(304);
  SetClientHeight(220);
  TBScale = MakeScale(this, 8, 88, 288, 200, LScale, LScalePerCent);
  CBImagesAsJpeg = Make<TCheckBox>(this, "CBImagesAsJpeg", 16, 140, 280, 20);
  CBImagesAsJpeg->SetCaption("Pictures as JPEG");
  CBCompressed = Make<TCheckBox>(this, "CBCompressed", 16, 162, 280, 20);
  CBCompressed->SetCaption("Compressed");
  for (TCheckBox* box : {CBImagesAsJpeg, CBCompressed}) box->SetTabStop(true);
  BBOk = MakeOkButton(this, "&OK", 140, 188);
  BBOk->ModalResult = mrOk;
  BBCancel = MakeCancelButton(this, 221, 188);
  ApplySkinTemplate(*this, skinkind::Normal);
  FLPDFSetting = MakeFormLanguage(this, "FLPDFSetting");

  TPDFSettings options;
  if (settings_) settings_->Load(options);
  Range.SetPageRange(options.PageRange);
  Range.SetPages(options.FromPage, options.ToPage);
  TBScale->SetPosition(options.Scale);
  LScalePerCent->SetCaption(std::to_string(options.Scale) + "%");
  CBImagesAsJpeg->SetChecked(options.ImagesAsJpeg);
  CBCompressed->SetChecked(options.Compressed);
  RestorePlace(*this, settings_, kPDFPlace);
}

TFPDFSetting::~TFPDFSetting() {
  if (settings_) {
    TPDFSettings options;
    options.PageRange = GetPageRange();
    options.FromPage = GetFromPage();
    options.ToPage = GetToPage();
    options.Scale = GetScale();
    options.ImagesAsJpeg = GetImagesAsJpeg();
    options.Compressed = GetCompressed();
    settings_->Store(options);
    StorePlace(*this, settings_, kPDFPlace);
  }
}

int TFPDFSetting::GetScale() const { return TBScale->Position(); }
bool TFPDFSetting::GetImagesAsJpeg() const { return CBImagesAsJpeg->Checked(); }
bool TFPDFSetting::GetCompressed() const { return CBCompressed->Checked(); }

// ------------------------------------------------------------ TFVolumeBalance

TFVolumeBalance::TFVolumeBalance(TComponent* owner) : TForm(owner) {
  SetName("FVolumeBalance");
  SetBorderStyle(bsNone);
  SetClientWidth(86);
  SetClientHeight(54);
  KeyPreview = true;
  // The controls stand 2 pixels inside the edge.
  TBValue = Make<TTrackBar>(this, "TBValue", 2, 2, 82, 26);
  TBValue->SetMin(0);
  TBValue->SetMax(127);
  TBValue->SetFrequency(16);
  TBValue->SetPageSize(8);
  TBValue->SetPosition(63);
  CBLock = Make<TCheckBox>(this, "CBLock", 4, 30, 80, 20);
  CBLock->SetCaption("Set");
  FLVolumeBalance = MakeFormLanguage(this, "FLVolumeBalance");
  TBValue->OnChange = [this](TObject*) {
    if (setting_) return;
    setting_ = true;
    CBLock->SetChecked(true);
    setting_ = false;
    if (OnChange) OnChange(this, Value());
  };
  CBLock->OnClick = [this](TObject*) {
    if (!setting_ && OnChange) OnChange(this, Value());
  };
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
    if (key == VK_ESCAPE) {
      key = 0;
      Close();
    }
  };
  OnDeactivate = [this](TObject*) { Close(); };
}

void TFVolumeBalance::SetValue(int value) {
  setting_ = true;
  TBValue->SetPosition(value < 0 ? 63 : std::min(value, 127));
  CBLock->SetChecked(value >= 0);
  setting_ = false;
}

int TFVolumeBalance::Value() const { return CBLock->Checked() ? TBValue->Position() : -1; }

void RegisterExportDialogForms() {
  RegisterForm("FExportSetting", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFExportSetting>(nullptr, nullptr);
    form->SetPageCount(5);
    form->SetOptionsVisible(3);
    return form;
  });
  RegisterForm("FPDFSetting", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFPDFSetting>(nullptr, nullptr);
    form->SetPageCount(5);
    return form;
  });
  RegisterForm("FVolumeBalance", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFVolumeBalance>(nullptr);
    form->SetValue(100);
    return form;
  });
}

}  // namespace qs
