#include "app/about.h"

#include <cmath>

#include "app/mainwindow.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "platform/bitmap.h"
#include "platform/extctrls.h"
#include "platform/gui.h"
#include "platform/paths.h"
#include "platform/stdctrls.h"
#include "platform/timers.h"
#include "uikit/formparts.h"
#include "uikit/pictures.h"

namespace qs {

namespace {

constexpr int kBodyTop = 79;       // the rounded body begins here
constexpr int kCornerRadius = 20;  // corner ellipses of 40 x 40
// The ornament on the body's top edge, left to right: a pointed arch.
constexpr TPoint kOrnament[] = {{431, 79}, {431, 44}, {440, 30}, {452, 18}, {466, 1},
                                {480, 18}, {493, 30}, {502, 44}, {502, 79}};
enum TAboutMessage { kVersion = 0 };
// How long the splash stays once the main window shows.
constexpr int kSplashAfterMainMs = 250;

// A quarter circle of corner points from angle a0 to a1 (degrees, y down).
void Arc(std::vector<TPoint>& points, int cx, int cy, int a0, int a1) {
  constexpr int kSteps = 6;
  for (int i = 0; i <= kSteps; ++i) {
    const double a = (a0 + (a1 - a0) * i / static_cast<double>(kSteps)) * M_PI / 180;
    points.push_back({cx + static_cast<int>(std::lround(kCornerRadius * std::cos(a))),
                      cy + static_cast<int>(std::lround(kCornerRadius * std::sin(a)))});
  }
}

void ApplyOutline(TCustomForm& form) {
  if (WindowShapingAvailable()) form.SetWindowRegion(AboutOutline(form.Width(), form.Height()));
}

}  // namespace

std::vector<TPoint> AboutOutline(int width, int height) {
  const int r = kCornerRadius;
  std::vector<TPoint> points;
  Arc(points, r, kBodyTop + r, 180, 270);  // top-left corner
  // The ornament only where the window is wide enough for it.
  if (width >= kOrnament[std::size(kOrnament) - 1].X + r)
    for (const TPoint& p : kOrnament) points.push_back(p);
  Arc(points, width - r, kBodyTop + r, 270, 360);
  Arc(points, width - r, height - r, 0, 90);
  Arc(points, r, height - r, 90, 180);
  return points;
}

std::unique_ptr<TBitmap> LoadAboutPicture() {
  // Beside the program first, where a user may have put a picture of
  // their own, then among the program's resources.
  std::string path = platform::ProgramDir() + kAboutPicture;
  if (!FileExists(path)) path = platform::FindResource(kAboutPicture);
  return path.empty() ? nullptr : LoadPictureFile(path);
}

// ------------------------------------------------------------ splash

TFLogoModule::TFLogoModule(TComponent* owner, const std::string& picture)
    : TForm(owner), picture_(picture.empty() ? LoadAboutPicture() : LoadPictureFile(picture)) {
  SetName("FLogoModule");
  SetBorderStyle(bsNone);
  SetFormStyle(fsStayOnTop);
  SetBounds(0, 0, kAboutWidth, kAboutHeight);
  if (picture_) SetBounds(0, 0, picture_->Width(), picture_->Height());
  // Centred, a little above the middle.
  const TRect area = Screen().WorkAreaRect();
  SetBounds(area.Left + (area.Width() - Width()) / 2, area.Top + (area.Height() - Height()) / 2 - 40, Width(),
            Height());
  DefaultCloseAction = caHide;
  ApplyOutline(*this);
  OnKeyDown = [this](TObject*, uint16_t&, TShiftState) { CloseIfClosable(); };
  OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { CloseIfClosable(); };
  OnDeactivate = [this](TObject*) { CloseIfClosable(); };
}

TFLogoModule::~TFLogoModule() = default;

void TFLogoModule::CloseIfClosable() {
  if (Closable) Close();
}

void TFLogoModule::Paint() {
  if (picture_) Canvas().Draw(0, 0, *picture_);
}

TLogoSplash::TLogoSplash(std::unique_ptr<TFLogoModule> form) : form_(std::move(form)) {
  // It never takes the keyboard from the windows being made.
  form_->SetNoActivate(true);
  form_->Show();
}

TLogoSplash::~TLogoSplash() = default;

void TLogoSplash::SetClosable() {
  if (form_->Closable) return;
  form_->Closable = true;
  timer_ = std::make_unique<TTimer>(nullptr);
  timer_->SetInterval(kSplashAfterMainMs);
  timer_->OnTimer = [this](TObject*) {
    timer_->SetEnabled(false);
    form_->Close();
  };
}

bool TLogoSplash::Visible() const { return form_->Visible(); }

void TLogoSplash::Close() { form_->Close(); }

void InstallAboutSplash() {
  SetSplashFactory([](const std::string& picture) -> std::unique_ptr<TSplash> {
    auto form = std::make_unique<TFLogoModule>(nullptr, picture);
    if (!form->HasPicture()) return nullptr;
    return std::make_unique<TLogoSplash>(std::move(form));
  });
}

// ------------------------------------------------------------ About

TFAboutModule::TFAboutModule(TComponent* owner) : TForm(owner) {
  SetName("FAboutModule");
  SetCaption("About");
  SetBorderStyle(bsNone);
  SetPosition(poScreenCenter);
  SetClientWidth(kAboutWidth);
  SetClientHeight(kAboutHeight);
  KeyPreview = true;
  Image = Make<TImage>(this, "Image", 0, 0, kAboutWidth, kAboutHeight);
  if (std::unique_ptr<TBitmap> picture = LoadAboutPicture()) {
    Image->Picture().SetSize(picture->Width(), picture->Height());
    for (int y = 0; y < picture->Height(); ++y)
      std::copy_n(picture->ScanLine(y), picture->Width(), Image->Picture().ScanLine(y));
    SetClientWidth(picture->Width());
    SetClientHeight(picture->Height());
    Image->SetBounds(0, 0, picture->Width(), picture->Height());
  }
  LVersion = Make<TLabel>(this, "LVersion", 40, ClientHeight() - 64, 300, 18);
  LCopyright = Make<TLabel>(this, "LCopyright", 40, ClientHeight() - 42, 420, 18);
  LCopyright->SetCaption("A music-notation editor");
  for (TLabel* label : {LVersion, LCopyright}) label->SetColor(RGB(250, 247, 238));
  FLAboutModule = MakeFormLanguage(this, "FLAboutModule");
#ifdef QS_VERSION
  const char* version = QS_VERSION;
#else
  const char* version = "4";
#endif
  LVersion->SetCaption(Format(FLAboutModule->GetMessage(kVersion, "Version %s").c_str(), version));
  // Any key and any click close it.
  auto close = [this](TObject*, TMouseButton, TShiftState, int, int) { Close(); };
  OnMouseDown = close;
  Image->OnMouseDown = close;
  LVersion->OnMouseDown = close;
  LCopyright->OnMouseDown = close;
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
    key = 0;
    Close();
  };
  ApplyOutline(*this);
}

void TFProgramModule::AAboutExecute() {
  TFAboutModule about(nullptr);
  about.InfoMode = true;
  about.ShowModal();
}

void RegisterAboutForms() {
  RegisterForm("FAboutModule", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    return std::make_unique<TFAboutModule>(nullptr);
  });
}

}  // namespace qs
