#include "uikit/interface.h"

#include <memory>

#include <algorithm>
#include <optional>
#include <vector>
#include "base/strings.h"
#include "platform/desktop.h"
#include "platform/forms.h"
#include "platform/paths.h"
#include "uikit/language.h"
#include "uikit/messagebox.h"
#include "uikit/skin.h"

namespace qs {

TECFormDesigner* ApplySkinTemplate(TCustomForm& form, uint8_t kind) {
  std::unique_ptr<TForm> skin = CreateSkinTemplate(kind);
  if (!skin) return nullptr;
  auto* from = dynamic_cast<TECFormDesigner*>(skin->FindComponent("FormDesigne"));
  if (!from) return nullptr;
  auto* designer = new TECFormDesigner(&form);
  try {
    designer->Assign(*from);
    designer->SetActive(true);
  } catch (...) {
    delete designer;
    throw;
  }
  return designer;
}

// ---------------------------------------------------------------------- help

namespace {

std::string InterfaceLanguage() {
  TECLanguage* engine = GlobalLanguage();
  std::string code = engine ? engine->Language() : std::string();
  return code.empty() ? std::string(kDefaultLanguage) : code;
}

// The one message about help that could not be shown, in the interface
// language ("Help" messages of the language file): 0 the browser could not
// open the page, 1 there is no such page.
enum : int { kHelpNoBrowser = 0, kHelpNoPage = 1 };

void HelpFailed(int message, const std::string& what) {
  static constexpr const char* kEnglish[] = {"The help page could not be opened in the web browser:",
                                             "The help page was not found:"};
  std::string text;
  if (TECLanguage* engine = GlobalLanguage())
    if (std::optional<uint32_t> record = engine->FindFormRecord("Help"))
      text = engine->Data().Message(*record, message);
  if (text.empty()) text = kEnglish[message];
  ShowMessageBlock(Application().Title, text + " " + what, kMessageWarning, kMessageOk);
}

}  // namespace

std::string HelpPageFile(const std::string& topic) {
  // Topics name pages inside the help folder, in subfolders at most.
  if (topic.empty() || topic.find("..") != std::string::npos || topic.front() == '/' ||
      topic.find('\\') != std::string::npos)
    return {};
  const std::string own = platform::FindResource("help/" + InterfaceLanguage() + "/" + topic + ".htm");
  if (!own.empty()) return own;
  return platform::FindResource(std::string("help/") + kDefaultLanguage + "/" + topic + ".htm");
}

void ShowHelpTopic(const std::string& topic) {
  const std::string file = HelpPageFile(topic);
  if (file.empty()) {
    HelpFailed(kHelpNoPage, topic + ".htm");
    return;
  }
  const std::string url = FileUrl(file);
  if (!OpenUrl(url)) HelpFailed(kHelpNoBrowser, url);
}

void ShowHelpContents() { ShowHelpTopic(kHelpContentsTopic); }

namespace {
std::vector<std::pair<std::string, std::string>>& FormTopics() {
  static std::vector<std::pair<std::string, std::string>> topics;
  return topics;
}
}  // namespace

void SetFormHelpTopic(const std::string& formName, const std::string& topic) {
  for (auto& [name, t] : FormTopics())
    if (SameText(name, formName)) {
      t = topic;
      return;
    }
  FormTopics().emplace_back(formName, topic);
}

namespace {
struct THelperContext {
  std::vector<std::string> Path;
  bool Frozen = false;
  THelperContextView View;
  std::function<void()> Main;
};
THelperContext& Context() {
  static THelperContext context;
  return context;
}
}  // namespace

void ShowHelperContext(const std::vector<std::string>& path, bool recreate, int left, int top, int width,
                       int height) {
  (void)top, (void)height;
  THelperContext& c = Context();
  if (c.Frozen) return;
  c.Path = path;
  if (c.View) c.View(recreate, left, width);
}

const std::vector<std::string>& HelperContextPath() { return Context().Path; }
void FreezeHelperContext(bool frozen) { Context().Frozen = frozen; }
void SetHelperContextView(THelperContextView view) { Context().View = std::move(view); }
void SetMainHelperContext(std::function<void()> report) { Context().Main = std::move(report); }
void ReturnHelperContext() {
  if (Context().Main) Context().Main();
}

std::string FormHelpTopic(const std::string& formName) {
  for (const auto& [name, topic] : FormTopics())
    if (SameText(name, formName)) return topic;
  return kHelpEntranceTopic;
}

// ----------------------------------------------------------------- placing

void PlaceBelowControl(const TControl& control, TCustomForm& form) {
  const TPoint p = control.ClientToScreen({0, control.Height()});
  const int screenW = Screen().Width(), screenH = Screen().Height();
  int left = p.X, top = p.Y;
  if (p.X + form.Width() > screenW) left = screenW - form.Width();
  if (p.Y + form.Height() >= screenH - 20) {
    top = p.Y - (control.Height() + form.Height());
  }
  form.SetBounds(std::max(0, left), std::max(0, top), form.Width(), form.Height());
}

}  // namespace qs
