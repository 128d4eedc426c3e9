#include "app/helpcommands.h"

#include <ctime>

#include "app/mainwindow.h"
#include "app/fileeditor.h"
#include "app/newsdownload.h"
#include "base/safefile.h"
#include "platform/actions.h"
#include "platform/keys.h"
#include "platform/timers.h"
#include "uikit/catalogue.h"
#include "uikit/interface.h"
#include "uikit/menuitem.h"
#include "uikit/pagecontrol.h"

namespace qs {

namespace {

constexpr const char* kReferencesTopic = "References/NewComposition";
constexpr int kBlinkInterval = 220;

std::string TodayText() {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  char buf[16];
  std::strftime(buf, sizeof buf, "%Y-%m-%d", &t);
  return buf;
}

}  // namespace

TProgramHelp::TProgramHelp(TFProgramModule& main) : main_(main) { SetHelperHost(this); }

TProgramHelp::~TProgramHelp() {
  *alive_ = false;
  SetMainHelperContext(nullptr);
  download_thread_.reset();
  SetHelperHost(nullptr);
  CloseHelper();
  if (TFNewsModule* n = NewsModule()) delete n;
}

void TProgramHelp::Start() {
  // F1 opens the help page of the window in front wherever the keyboard
  // is, also in a dialog.
  auto previous = Application().OnMessage;
  Application().OnMessage = [previous](TMessage& message, bool& handled) {
    if (message.Msg == WM_KEYDOWN && message.WParam == VK_F1) {
      const TCustomForm* front = Screen().ActiveForm();
      ShowHelpTopic(FormHelpTopic(front ? front->Name() : std::string()));
      handled = true;
      return;
    }
    if (previous) previous(message, handled);
  };
  blink_ = new TTimer(&main_);
  blink_->SetInterval(kBlinkInterval);
  blink_->OnTimer = [this](TObject*) { Blink(); };
  SetMainHelperContext([this] { ReportContext(); });
  ReportContext();
  UpdateActions();
  if (HelperAtStart()) OpenHelper();
}

void TProgramHelp::UpdateActions() {
  // The Helper and the news are offered when there is something to show.
  if (TAction* helper = main_.FindAction("AHelper")) helper->SetVisible(FileExists(HelpContainerFile()));
  if (TAction* latest = main_.FindAction("ANews")) latest->SetVisible(!NewsFeedFile().empty());
}

std::vector<std::string> TProgramHelp::MainContext() const {
  if (main_.DocumentCount() == 0) return {"Main"};
  std::string page;
  if (main_.PCTools) {
    const int index = main_.PCTools->IndexOfPage(main_.PCTools->ActivePage());
    if (index >= 0 && index < static_cast<int>(std::size(kHelperToolPages))) page = kHelperToolPages[index];
  }
  std::vector<std::string> path = {"Opened", page};
  // The topic of an open side editor follows, the first one found of
  // velocity, playback and events.
  if (TFFileEditor* editor = main_.ActiveEditor()) {
    const std::pair<TSideEditorKind, const char*> editors[] = {{TSideEditorKind::Velocity, "VelocityEditor"},
                                                               {TSideEditorKind::Playback, "PlaybackEditor"},
                                                               {TSideEditorKind::Events, "EventEditor"}};
    for (const auto& [kind, name] : editors)
      if (editor->HasSideEditor(kind)) {
        path.push_back(name);
        break;
      }
  }
  return path;
}

void TProgramHelp::ReportContext() { ShowHelperContext(MainContext(), false); }

void TProgramHelp::LanguageChanged() {
  ReloadHelperContent();
  UpdateActions();
}

void TProgramHelp::References() { ShowHelpTopic(kReferencesTopic); }

void TProgramHelp::Helper() {
  if (HelperModule()) {
    CloseHelper();
    return;
  }
  OpenHelper();
}

void TProgramHelp::News() {
  TMainSettings& s = main_.Settings;
  s.Set(s.News, &TNewsSettings::NewsExists, false);
  if (TECMenuItem* item = dynamic_cast<TECMenuItem*>(main_.FindComponent("MITNews"))) item->Blink(true);
  SetNewsEnabled(true);
  ShowNewsWindow();
}

void TProgramHelp::DownloadNews() {
  TMainSettings& s = main_.Settings;
  const std::string today = TodayText();
  if (!s.News.News || attempted_ || s.NewsDate.Last >= today) return;
  attempted_ = true;
  s.Set(s.NewsDate, &TNewsDateSettings::Last, today);
  std::vector<std::string> urls = NewsFeedUrls(s.NewsDate.Address, InterfaceLanguage());
  if (urls.empty()) return;
  std::weak_ptr<bool> alive = alive_;
  download_thread_ = std::make_unique<TNewsDownload>(std::move(urls), [this, alive](const std::string& body) {
    if (alive.lock() && *alive.lock()) NewsArrived(body);
  });
  download_thread_->Start();
}

void TProgramHelp::NewsArrived(const std::string& body) {
  if (!StoreNewsFeed(NewsCacheFile(), body)) return;
  main_.Settings.Set(main_.Settings.News, &TNewsSettings::NewsExists, true);
  UpdateActions();
}

bool TProgramHelp::NewsWaiting() const { return main_.Settings.News.NewsExists; }

void TProgramHelp::Blink() {
  if (!NewsWaiting()) return;
  if (TECMenuItem* item = dynamic_cast<TECMenuItem*>(main_.FindComponent("MITNews"))) item->Blink(false);
  if (TECMenuItem* item = dynamic_cast<TECMenuItem*>(main_.FindComponent("MINews"))) item->Blink(false);
}

void TProgramHelp::RunHelpCommand(const std::string& action) { main_.RunCommand(action); }

void TProgramHelp::StartLesson(const std::string& name) { main_.StartLesson(name); }

bool TProgramHelp::HelperAtStart() const { return main_.Settings.Properties.Helper; }

void TProgramHelp::SetHelperAtStart(bool on) {
  main_.Settings.Set(main_.Settings.Properties, &TPropertiesSettings::Helper, on);
}

bool TProgramHelp::NewsEnabled() const { return main_.Settings.News.News; }

void TProgramHelp::SetNewsEnabled(bool on) { main_.Settings.Set(main_.Settings.News, &TNewsSettings::News, on); }

}  // namespace qs

namespace qs {

void TFProgramModule::AReferencesExecute() { help_->References(); }
void TFProgramModule::AHelperExecute() { help_->Helper(); }
void TFProgramModule::ANewsExecute() { help_->News(); }

}  // namespace qs
