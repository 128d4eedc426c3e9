#pragma once
// The program's window until the main window and the score view replace
// it: the pages of one score, one below the other, drawn by the page
// painter at 100 %, with a scroll bar, the wheel and the paging keys.
#include <map>
#include <memory>
#include <string>

#include "platform/forms.h"

namespace qs {

class TBitmap;
class TQSScore;
class TQSPageView;
class TScrollBar;

// Its texts in the five languages of the program ("ENU", "DEU", "FRA",
// "ITA", "RUS"; anything else gives English), in one table until the
// language files hold them.
enum class TPageViewerText { Caption, Untitled, NoDisplay, CannotRead, NoMusicFont };
// arg fills the text's place for a file name.
std::string PageViewerText(TPageViewerText text, const std::string& language, const std::string& arg = "");
// The language of the user's locale (LANG and LC_ALL), as above.
std::string LanguageFromEnvironment();

// Paints the pages of a score; ScrollY is the first row of pixels shown.
// Each visible page is drawn once into an image of its own, which later
// repaints show again until the score is laid out anew.
class TPageViewer : public TCustomControl {
 public:
  TPageViewer(TComponent* owner, TQSScore& score);
  ~TPageViewer() override;
  const char* ClassName() const override { return "TPageViewer"; }
  int ScrollY() const { return scrollY_; }
  void SetScrollY(int v);
  // The height of all pages with the gaps between them.
  int ContentHeight() const;
  int PageCount() const;
  // The pixels between the pages and around them.
  static constexpr int kGap = 12;
  TNotifyEvent OnScroll;

  void Paint() override;
  bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  // The layout changed: every page is drawn again.
  void PagesChanged();

 private:
  struct TView;
  const TBitmap& PageImage(int page, int width, int height);
  TQSScore& score_;
  std::unique_ptr<TQSPageView> view_;
  std::map<int, std::unique_ptr<TBitmap>> pages_;
  int scrollY_ = 0;
};

class TPageViewerForm : public TForm {
 public:
  // The score stays the caller's; fileName names it in the caption.
  TPageViewerForm(TComponent* owner, TQSScore& score, const std::string& fileName, const std::string& language);
  const char* ClassName() const override { return "TPageViewerForm"; }
  TPageViewer* Viewer = nullptr;
  TScrollBar* ScrollBar = nullptr;

 protected:
  void Resize() override;

 private:
  void UpdateScrollBar();
};

// Fills an empty score with what a new document has: one piece with one
// part, staff, voice and measure on an A4 page.
void MakeNewScore(TQSScore& score);

// Registers the window with the review tools (formshot).
void RegisterPageViewerForms();

}  // namespace qs
