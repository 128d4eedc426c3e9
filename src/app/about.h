#pragma once
// The program's picture ("About.bmp") in two frameless windows shaped like
// it: the splash while the program starts, and the About window. Where the
// window system cannot shape windows they are plain rectangles.
#include <memory>
#include <string>
#include <vector>

#include "base/geometry.h"
#include "app/startup.h"
#include "platform/forms.h"

namespace qs {

class TBitmap;
class TECFormLanguage;
class TImage;
class TLabel;

// The picture's name, found beside the program or among its resources.
inline constexpr const char* kAboutPicture = "About.bmp";
// The picture's size as drawn (the windows take the size of the file).
inline constexpr int kAboutWidth = 540, kAboutHeight = 410;
// The outline of both windows: a rectangle with rounded corners from y 79
// down, and the ornament that stands on its top edge between x 431 and 502.
std::vector<TPoint> AboutOutline(int width, int height);
// The picture, or null when it cannot be read.
std::unique_ptr<TBitmap> LoadAboutPicture();

class TFLogoModule : public TForm {
 public:
  // The picture from the file, or the program's own when it is empty.
  explicit TFLogoModule(TComponent* owner, const std::string& picture = {});
  ~TFLogoModule() override;
  const char* ClassName() const override { return "TFLogoModule"; }
  bool HasPicture() const { return picture_ != nullptr; }
  // Keys, clicks and losing the focus close the splash only once set (the
  // main window exists).
  bool Closable = false;
  void Paint() override;

 private:
  void CloseIfClosable();
  std::unique_ptr<TBitmap> picture_;
};

class TFAboutModule : public TForm {
 public:
  explicit TFAboutModule(TComponent* owner);
  const char* ClassName() const override { return "TFAboutModule"; }
  TImage* Image = nullptr;
  TLabel* LVersion = nullptr;
  TLabel* LCopyright = nullptr;
  TECFormLanguage* FLAboutModule = nullptr;
  bool InfoMode = true;
};

class TTimer;

// The splash of the start-up: the picture's window, closed a moment after
// it may close.
class TLogoSplash : public TSplash {
 public:
  explicit TLogoSplash(std::unique_ptr<TFLogoModule> form);
  ~TLogoSplash() override;
  void SetClosable() override;
  bool Visible() const override;
  void Close() override;
  TFLogoModule& Form() { return *form_; }

 private:
  std::unique_ptr<TFLogoModule> form_;
  std::unique_ptr<TTimer> timer_;
};

// Makes the start-up show TLogoSplash.
void InstallAboutSplash();

void RegisterAboutForms();

}  // namespace qs
