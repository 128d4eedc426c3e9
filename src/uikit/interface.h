#pragma once
#include <functional>
#include <string>
#include <vector>
// Small services every window of the program uses: its skin, the help
// pages, and the place of a drop-down window under its control.
#include <cstdint>
#include <string>

#include "uikit/skinkinds.h"

namespace qs {

class TControl;
class TCustomForm;
class TECFormDesigner;

// Gives the form skin kind 0..4 (see CreateSkinTemplate) and returns its
// designer, owned by the form; any other kind changes nothing and returns
// null. Forms call it while they are made.
TECFormDesigner* ApplySkinTemplate(TCustomForm& form, uint8_t kind);

// The help pages are HTML files among the program's resources,
// "help/<language>/<topic>.htm", opened in the desktop's web browser.
// A page missing in the interface language is taken from the English
// pages. A page that is nowhere or a browser that cannot be started gives
// one message to the user.
void ShowHelpContents();
void ShowHelpTopic(const std::string& topic);
// The file of a topic's page for the interface language (with the English
// fallback); "" when there is none. A topic that would lead out of the
// help folder has none.
std::string HelpPageFile(const std::string& topic);
inline constexpr const char* kHelpContentsTopic = "Introduction";
// The page F1 opens everywhere else.
inline constexpr const char* kHelpEntranceTopic = "Entrance";
// The page F1 opens while a form (by its name) is in front; a dialog with a
// page of its own names it once when the program starts.
void SetFormHelpTopic(const std::string& formName, const std::string& topic);
// The form's page, else the entrance page.
std::string FormHelpTopic(const std::string& formName);

// The Helper window shows the help topics of where the user is: the
// context path, a few names ("Main"; "Opened", the tool page; a dialog's
// names). A form reports its path when it is shown, with its own bounds so
// that the Helper can stand beside it (left -1000: no placement); recreate
// makes the Helper anew. The path is kept also while there is no Helper;
// while frozen (a lesson runs) it stays as it is.
void ShowHelperContext(const std::vector<std::string>& path, bool recreate, int left = -1000, int top = 0,
                       int width = 0, int height = 0);
const std::vector<std::string>& HelperContextPath();
void FreezeHelperContext(bool frozen);
// A form that reported its own path reports, when it goes, the main
// window's again (which the main window sets).
void SetMainHelperContext(std::function<void()> report);
void ReturnHelperContext();
// The help windows show a reported path (they set this when they exist).
using THelperContextView = std::function<void(bool recreate, int left, int width)>;
void SetHelperContextView(THelperContextView view);

// Places a drop-down window under the control that opened it, or above it
// where the screen ends below; never off the screen's left or top edge.
void PlaceBelowControl(const TControl& control, TCustomForm& form);

}  // namespace qs
