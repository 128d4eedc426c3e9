#pragma once
// Printing a score, and what printing and page export share: the pages of
// a range that are laid out, and the view's style while it paints for
// paper or a picture.
#include <string>

#include "render/window.h"

namespace qs {

class TQSScore;
struct TPrintDialog;

// The print command's work once its dialog was confirmed: a temporary view
// of the score prints the chosen pages under the document's title on the
// printer the dialog chose, and goes. The painting runs on the calling
// (window) thread. Raises EPrinter when the printer cannot print.
void PrintScoreJob(TQSScore& score, TPrintDialog& dialog, const std::string& title);

// The laid-out pages of a range of page numbers (1-based, both included),
// as indexes; Count() is 0 when none of them is laid out.
struct TPageRange {
  int First = 0, Last = -1;
  int Count() const { return Last >= First ? Last - First + 1 : 0; }
};
TPageRange LaidOutRange(const TQSScore& score, int fromPage, int toPage);

// The most pages exported in one go (into a PDF file, or as one image file
// each): a damaged score may lay out tens of thousands, gigabytes of them.
constexpr int kMaxExportPages = 1000;
// Refuses an export of more than kMaxExportPages pages with a message.
void CheckExportPageCount(int pages);

// Sets the view's style for as long as it lives; the view is back to
// wsNormal afterwards, also after a failure.
class TPaintStyleScope {
 public:
  TPaintStyleScope(TQSPageView& window, TQSWindowStyle style) : window_(window) { window_.Style = style; }
  ~TPaintStyleScope() { window_.Style = wsNormal; }
  TPaintStyleScope(const TPaintStyleScope&) = delete;
  TPaintStyleScope& operator=(const TPaintStyleScope&) = delete;

 private:
  TQSPageView& window_;
};

}  // namespace qs
