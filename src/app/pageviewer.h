#pragma once
// The program's window until the main window replaces it: one score in
// the score view, where clicks place the cursor and select, dragging a
// selected note changes its pitch (marks and page objects move, handles
// reshape), ruler markers dragged change the spacing, and the wheel
// scrolls (with Ctrl it zooms).
#include <memory>
#include <string>

#include "platform/forms.h"

namespace qs {

class TQSScore;
class TQSWindow;

// Its texts from the program's message catalogue, in a language ("ENU",
// "DEU", "FRA", "ITA", "RUS"; anything else gives English).
enum class TPageViewerText { Caption, Untitled, NoDisplay, CannotRead, NoMusicFont };
// arg fills the text's place for a file name.
std::string PageViewerText(TPageViewerText text, const std::string& language, const std::string& arg = "");

class TPageViewerForm : public TForm {
 public:
  // The score stays the caller's; fileName names it in the caption.
  TPageViewerForm(TComponent* owner, TQSScore& score, const std::string& fileName, const std::string& language);
  const char* ClassName() const override { return "TPageViewerForm"; }
  // The score view, filling the window.
  TQSWindow* View = nullptr;
};

// Fills an empty score with what a new document has: one piece with one
// part, staff, voice and measure on an A4 page.
void MakeNewScore(TQSScore& score);

// The page bar's drop-down button of view opens the page chooser (owned
// by owner) over it.
void ConnectPageChooser(TQSWindow& view, TComponent* owner);

// Registers the window with the review tools (formshot).
void RegisterPageViewerForms();

}  // namespace qs
