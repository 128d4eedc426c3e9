#pragma once
// The Helper window beside the user's work, showing the help topics of the
// context the rest of the program reports, and the news window showing the
// news feed. Both are small stay-on-top windows.
#include <string>
#include <vector>

#include "platform/forms.h"
#include "uikit/interface.h"

namespace qs {

class TCheckBox;
class TECFormDesigner;
class TBevel;
class TECFormLanguage;
class TECXMLHelp;
class TECRssReader;

// What the help windows need from the program: its commands, lessons and
// the two settings their check boxes change.
class THelperHost {
 public:
  virtual ~THelperHost() = default;
  // Runs a main command by its action name ("ANew", "APlay", ...).
  virtual void RunHelpCommand(const std::string& action) = 0;
  virtual void StartLesson(const std::string& name) = 0;
  virtual bool HelperAtStart() const = 0;
  virtual void SetHelperAtStart(bool on) = 0;
  virtual bool NewsEnabled() const = 0;
  virtual void SetNewsEnabled(bool on) = 0;
};
void SetHelperHost(THelperHost* host);

// Where a link was clicked: the program's own help content may start
// lessons and run commands, a downloaded feed only opens web pages.
enum class TLinkSource : uint8_t { Help, Feed };
enum class TLinkAction : uint8_t { None, Web, HelpPage, Lesson, Command };
struct TLinkTarget {
  TLinkAction Action = TLinkAction::None;
  std::string Argument;  // the whole address, the page, the lesson or the action name
};
// What a click on a link does: web addresses (http and https) open in the
// browser; from the help only, "chm://" opens a help page, "tich://" a
// lesson and "cmd://" one of the commands New, Open, Print, Preview, Play
// and Record. Blanks around the link and the letter case of the scheme do
// not matter; everything else does nothing.
TLinkTarget ResolveHelpLink(const std::string& ref, TLinkSource source);
// Carries it out.
void FollowHelpLink(const std::string& ref, TLinkSource source);

class TFHelperModule : public TForm {
 public:
  explicit TFHelperModule(TComponent* owner);
  ~TFHelperModule() override;
  const char* ClassName() const override { return "TFHelperModule"; }

  TECXMLHelp* HHelper = nullptr;
  TBevel* SHelper = nullptr;
  TCheckBox* CBCancel = nullptr;
  // The caption's close, forward and back buttons.
  TECFormDesigner* FDHelper = nullptr;
  TECFormLanguage* FLHelperModule = nullptr;

  // Shows the topics of the context path and places the window beside a
  // form whose left edge and width are given (no placement for a left
  // edge of -1000 or less).
  void ShowTopics(int callerLeft, int callerWidth);
  // The help container of the interface language, else the English one.
  void OpenContentFile();

 protected:
  void Resize() override;
};

// A stored edge of a window (left or top) with the window's size along
// it: 0 when the window would lie wholly off the screen, else the edge.
int EdgeOnScreen(int edge, int size, int screenSize);

// Where the Helper goes beside a form: its new left edge.
int PlaceHelperBeside(int helperLeft, int helperWidth, int callerLeft, int callerWidth, int screenWidth);
// "Quillstave4.<LANG>.xcf" of a language (the interface language unless
// given), else the English one (the name of the English one when neither
// exists).
std::string HelpContainerFile(const std::string& language = {});

// The tool pages that have a Helper topic, in the tool notebook's order
// (any other page is reported as "").
inline constexpr const char* kHelperToolPages[] = {"Notes",  "Symbols", "Expanded", "Terms",  "Chords",    "Intervals",
                                                   "Design", "Piano",   "Guitar",   "Modify", "Navigator", "Recording"};
// Every name a context path of the program may hold: the main window's,
// its attached editors', the lessons' and the dialogs'.
const std::vector<std::string>& HelperContextNames();
// The help pages (resources/help/<CODE>/<topic>.htm) that F1 and the help
// commands open.
const std::vector<std::string>& HelpPageTopics();

// The Helper window, or null.
TFHelperModule* HelperModule();
// Makes the Helper window when there is none and shows it.
TFHelperModule* OpenHelper();
void CloseHelper();
// The Helper reloads its content (after the interface language changed).
void ReloadHelperContent();

class TFNewsModule : public TForm {
 public:
  explicit TFNewsModule(TComponent* owner);
  ~TFNewsModule() override;
  const char* ClassName() const override { return "TFNewsModule"; }

  TECRssReader* HNews = nullptr;
  TBevel* SNews = nullptr;
  TCheckBox* CBCancel = nullptr;
  TECFormLanguage* FLNews = nullptr;

  // Loads the feed; false when there is none.
  bool OpenFeedFile();

 protected:
  void Resize() override;
};

// The news feed to show: the downloaded one in the news cache (in the
// interface language, else the plain one), else the feed the program
// ships; "" when there is none.
std::string NewsFeedFile(const std::string& language = {});
// The cache file the download writes.
std::string NewsCacheFile();
// Shows the news window; false (and nothing shown) without a feed.
bool ShowNewsWindow();
TFNewsModule* NewsModule();

// Makes the windows known to the review tools (formshot).
void RegisterHelperForms();

}  // namespace qs
