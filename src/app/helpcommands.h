#pragma once
// The main window's help: the Help menu's commands, the context the Helper
// shows, F1, and the news (its download, the blinking news button, the
// news window).
#include <memory>
#include <string>
#include <vector>

#include "help/helperwindow.h"

namespace qs {

class TFProgramModule;
class TNewsDownload;
class TTimer;

class TProgramHelp : public THelperHost {
 public:
  explicit TProgramHelp(TFProgramModule& main);
  ~TProgramHelp() override;

  // After the main window is built: its context, the Helper when it opens
  // at start, F1 and the news button.
  void Start();
  // The main window's context path: ["Main"] without a document, else
  // ["Opened", the tool page].
  std::vector<std::string> MainContext() const;
  void ReportContext();
  void LanguageChanged();

  void References();
  void Helper();
  void News();
  // One attempt to fetch the news (at most once a day and once a run); the
  // start-up thread asks for it.
  void DownloadNews();
  bool NewsWaiting() const;

  // THelperHost
  void RunHelpCommand(const std::string& action) override;
  void StartLesson(const std::string& name) override;
  bool HelperAtStart() const override;
  void SetHelperAtStart(bool on) override;
  bool NewsEnabled() const override;
  void SetNewsEnabled(bool on) override;

 private:
  void NewsArrived(const std::string& body);
  void UpdateActions();
  void Blink();

  TFProgramModule& main_;
  bool attempted_ = false;
  std::unique_ptr<TNewsDownload> download_thread_;
  TTimer* blink_ = nullptr;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace qs
