#include "palettes/imageproperties.h"

#include <algorithm>
#include <memory>

#include "base/inifile.h"
#include "base/strings.h"
#include "editing/pageobjects.h"
#include "platform/bitmap.h"
#include "platform/comctrls.h"
#include "platform/dialogs.h"
#include "platform/extctrls.h"
#include "platform/imagedecode.h"
#include "platform/stdctrls.h"
#include "uikit/catalogue.h"
#include "uikit/formparts.h"
#include "uikit/messagebox.h"

namespace qs {

namespace {
constexpr const char* kSection = "FImageProperties";
}  // namespace

TFImageProperties::TFImageProperties(TComponent* owner, TIniFile* settings) : TForm(owner), settings_(settings) {
  SetName("FImageProperties");
  SetBorderStyle(bsSizeable);
  SetPosition(poScreenCenter);
  SetClientWidth(420);
  SetClientHeight(300);
  ApplySkinTemplate(*this, skinkind::Normal);
  SBImage = Make<TScrollBox>(this, "SBImage", 8, 8, 260, 284);
  SImage = Make<TPanel>(SBImage, "SImage", 0, 0, 34, 34);
  SImage->SetBevelOuter(bvLowered);
  IImage = Make<TImage>(SImage, "IImage", 1, 1, 32, 32);
  BBLoad = Make<TButton>(this, "BBLoad", 280, 8, 132, 25);
  BBClear = Make<TButton>(this, "BBClear", 280, 38, 132, 25);
  CBCenter = Make<TCheckBox>(this, "CBCenter", 280, 74, 132, 20);
  CBStretch = Make<TCheckBox>(this, "CBStretch", 280, 96, 132, 20);
  CBTransparent = Make<TCheckBox>(this, "CBTransparent", 280, 118, 132, 20);
  LWidth = Make<TLabel>(this, "LWidth", 280, 150, 60, 16);
  LWidth->SetCaption("Width");
  EWidth = Make<TEdit>(this, "EWidth", 344, 146, 50, 21);
  UDWidth = Make<TUpDown>(this, "UDWidth", 394, 146, 17, 21);
  LHeight = Make<TLabel>(this, "LHeight", 280, 178, 60, 16);
  LHeight->SetCaption("Height");
  EHeight = Make<TEdit>(this, "EHeight", 344, 174, 50, 21);
  UDHeight = Make<TUpDown>(this, "UDHeight", 394, 174, 17, 21);
  for (TUpDown* ud : {UDWidth, UDHeight}) {
    ud->Min = 0;
    ud->Max = 10000;
  }
  UDWidth->SetAssociate(EWidth);
  UDHeight->SetAssociate(EHeight);
  BBOk = MakeOkButton(this, "&OK", 280, 236);
  BBOk->ModalResult = mrNone;
  BBCancel = MakeCancelButton(this, 280, 266);
  SetPictureSize(32, 32);
  FLImageImput = MakeFormLanguage(this, "FLImageImput");

  for (TEdit* e : {EWidth, EHeight}) e->OnChange = [this](TObject*) { ApplySize(); };
  for (TUpDown* ud : {UDWidth, UDHeight}) ud->OnClick = [this](TObject*, TUDBtnType) { ApplySize(); };
  CBCenter->OnClick = [this](TObject*) {
    IImage->Center = CBCenter->Checked();
    IImage->Invalidate();
  };
  CBStretch->OnClick = [this](TObject*) {
    IImage->Stretch = CBStretch->Checked();
    IImage->Invalidate();
  };
  BBLoad->OnClick = [this](TObject*) {
    TOpenDialog dialog(nullptr);
    dialog.Filter = FLImageImput->GetMessage(2);
    dialog.Options = ofFileMustExist | ofPathMustExist;
    dialog.Language = InterfaceLanguage();
    std::string error;
    if (dialog.Execute() && !LoadPicture(dialog.FileName, &error))
      ShowMessageBlock(Caption(), error, kMessageWarning, kMessageOk);
  };
  BBClear->OnClick = [this](TObject*) { ClearPicture(); };
  BBOk->OnClick = [this](TObject*) {
    if (Accept()) SetModalResult(mrOk);
  };
  if (settings_) {
    TRect bounds = BoundsRect();
    if (ReadFormBounds(*settings_, kSection, bounds)) SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
  }
}

TFImageProperties::~TFImageProperties() {
  if (settings_) WriteFormBounds(*settings_, kSection, BoundsRect());
}

void TFImageProperties::SetPicture(const TQSPicture& picture) {
  picture_.Assign(picture);
  // The picture is decoded straight into the image; without one it shows
  // nothing.
  if (picture_.Empty() || !LoadBitmapFromBytes(IImage->Picture(), picture_.Data())) IImage->Picture().SetSize(0, 0);
  IImage->Invalidate();
}

bool TFImageProperties::LoadPicture(const std::string& fileName, std::string* error) {
  TQSPicture loaded;
  try {
    LoadPictureFile(fileName, loaded);
  } catch (const EInvalidPicture& e) {
    if (error) *error = e.Message();
    return false;
  }
  SetPicture(loaded);
  SetPictureSize(loaded.Width(), loaded.Height());
  return true;
}

void TFImageProperties::ClearPicture() { SetPicture(TQSPicture()); }

int TFImageProperties::PictureWidth() const { return std::max(0, StrToIntSafe(Trim(EWidth->Text()), 0)); }
int TFImageProperties::PictureHeight() const { return std::max(0, StrToIntSafe(Trim(EHeight->Text()), 0)); }

void TFImageProperties::SetPictureSize(int width, int height) {
  UDWidth->SetPosition(width);
  UDHeight->SetPosition(height);
  EWidth->SetText(std::to_string(width));
  EHeight->SetText(std::to_string(height));
  ApplySize();
}

void TFImageProperties::ApplySize() {
  const int w = PictureWidth(), h = PictureHeight();
  IImage->SetBounds(1, 1, w, h);
  SImage->SetBounds(0, 0, w + 2, h + 2);
  SBImage->UpdateScrollBars();
}

uint8_t TFImageProperties::Flags() const {
  return static_cast<uint8_t>((CBCenter->Checked() ? 0x80 : 0) | (CBStretch->Checked() ? 0x40 : 0) |
                              (CBTransparent->Checked() ? 0x20 : 0));
}

void TFImageProperties::SetFlags(uint8_t flags) {
  CBCenter->SetChecked(flags & 0x80);
  CBStretch->SetChecked(flags & 0x40);
  CBTransparent->SetChecked(flags & 0x20);
  IImage->Center = flags & 0x80;
  IImage->Stretch = flags & 0x40;
}

bool TFImageProperties::Accept() {
  if (PictureWidth() > 0 && PictureHeight() > 0) return true;
  ShowMessageBlock(FLImageImput->GetMessage(1, "Picture size"),
                   FLImageImput->GetMessage(0, "The width and the height must be greater than 0."), kMessageWarning,
                   kMessageOk);
  return false;
}

void RegisterImagePropertiesForms() {
  RegisterForm("FImageProperties", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFImageProperties>(nullptr, nullptr);
    form->SetPictureSize(120, 80);
    form->SetFlags(0x40);
    return form;
  });
}

}  // namespace qs
