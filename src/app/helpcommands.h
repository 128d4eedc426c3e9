#pragma once
// The main window's help: the Help menu's commands, the context the Helper
// shows, F1, and the news (its download, the blinking news button, the
// news window).
#include <memory>
#include <string>
#include <vector>

#include "help/helperwindow.h"
#include "uikit/settings.h"

namespace qs {

class TFProgramModule;
class TNewsDownload;
class TTimer;

class TProgramHelp : public THelperHost {
 public:
  TProgramHelp(TFProgramModule& main, TSettings* settings);
  ~TProgramHelp() override;

  // After the main window is built: its context, the Helper when it opens
  // at start, F1, and the day's news download.
  void Start();
  // The main window's context path: ["Main"] without a document, else
  // ["Opened", the tool page].
  std::vector<std::string> MainContext() const;
  void ReportContext();
  void LanguageChanged();

  void Contents();
  void References();
  void Helper();
  void News();
  // One attempt to fetch the news (at most once a day and once a run).
  void DownloadNews();
  bool NewsWaiting() const { return feed_.NewsExists; }

  // THelperHost
  void RunHelpCommand(const std::string& action) override;
  void StartLesson(const std::string& name) override;
  bool LessonRunning() const override { return false; }
  bool HelperAtStart() const override { return properties_.Helper; }
  void SetHelperAtStart(bool on) override;
  bool NewsEnabled() const override { return feed_.News; }
  void SetNewsEnabled(bool on) override;

 private:
  void NewsArrived(const std::string& body);
  void Blink();

  TFProgramModule& main_;
  TSettings* settings_;
  TPropertiesSettings properties_;
  TNewsSettings feed_;
  TNewsFeedSettings download_;
  bool attempted_ = false;
  std::unique_ptr<TNewsDownload> download_thread_;
  TTimer* blink_ = nullptr;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace qs
