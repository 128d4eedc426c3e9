#pragma once
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

// Places a drop-down window under the control that opened it, or above it
// where the screen ends below; never off the screen's left or top edge.
void PlaceBelowControl(const TControl& control, TCustomForm& form);

}  // namespace qs
