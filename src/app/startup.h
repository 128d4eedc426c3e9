#pragma once
// The program from start to end: the settings first, a splash picture when
// one lies beside the program, the music font for the process, the
// interface language, the main window (which reads the settings, loads the
// libraries and makes the palettes), the first-run dialog once, the
// message loop; at the end the settings go last.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/timers.h"

namespace qs {

class TFProgramModule;

// The interface language: the stored code when it is one of the five (any
// case), else the locale's, else the first of Russian (also a Ukrainian
// layout), German, French and Italian that a keyboard layout names, else
// English.
std::string ChooseLanguage(const std::string& stored, const std::string& localeLanguage,
                           const std::vector<std::string>& keyboardLayouts);
// The XKB layouts of the system ("de", "ru" ...): $XKB_DEFAULT_LAYOUT, else
// XKBLAYOUT of /etc/default/keyboard; empty when neither says.
std::vector<std::string> KeyboardLayouts(const std::string& keyboardFile = "/etc/default/keyboard");

// The splash window shown while the program starts (made by whoever
// provides one; without a provider there is none).
class TSplash {
 public:
  virtual ~TSplash() = default;
  // It may close now (it closes itself on losing the focus).
  virtual void SetClosable() = 0;
  virtual bool Visible() const = 0;
  virtual void Close() = 0;
};
// Makes the splash window from its picture; may return null.
using TSplashFactory = std::function<std::unique_ptr<TSplash>(const std::string& picture)>;
void SetSplashFactory(TSplashFactory factory);
// The splash of this start, or null.
TSplash* Splash();
// Shows the splash when "About.bmp" lies beside the program and a factory
// is set.
void ShowSplash();
// The main window exists (or failed): the splash may close.
void ReleaseSplash();
void CloseSplash();

// The first-run dialog, shown once while [Tools] "StartModule" is set
// (without one nothing is shown and the key stays).
using TFirstRunDialog = std::function<void()>;
void SetFirstRunDialog(TFirstRunDialog dialog);

// The start-up thread: once, on the window thread, it runs the main
// window's news check (only after the first-run dialog has been shown);
// then it waits until it is ended.
class TMainThread : public TThread {
 public:
  TMainThread(std::function<void()> checkNews) : checkNews_(std::move(checkNews)) {}
  ~TMainThread() override;

 protected:
  void Execute() override;

 private:
  std::function<void()> checkNews_;
};

// What an argument of the command line asks for: "/a" plays and "/p"
// prints the document opened last (any case); anything else names a file.
enum class TCommandLineSwitch { None, Play, Print };
TCommandLineSwitch CommandLineSwitch(const std::string& argument);
inline bool IsCommandLineSwitch(const std::string& argument) {
  return CommandLineSwitch(argument) != TCommandLineSwitch::None;
}

// Runs the program with the main window; the exit status.
int RunProgram(int argc, char** argv);

}  // namespace qs
