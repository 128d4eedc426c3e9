#include "app/startup.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <thread>

#include "app/mainwindow.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "platform/fonts.h"
#include "platform/forms.h"
#include "platform/gui.h"
#include "platform/paths.h"
#include "playback/messages.h"
#include "uikit/catalogue.h"
#include "uikit/language.h"
#include "uikit/localeformats.h"
#include "uikit/lrf.h"
#include "uikit/settings.h"

namespace qs {

namespace {

TSplashFactory& SplashFactory() {
  static TSplashFactory factory;
  return factory;
}
std::unique_ptr<TSplash>& SplashWindow() {
  static std::unique_ptr<TSplash> splash;
  return splash;
}
TFirstRunDialog& FirstRunDialog() {
  static TFirstRunDialog dialog;
  return dialog;
}

bool EnvSet(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

// The layouts of an XKB list "de,us" or "de(nodeadkeys)".
std::vector<std::string> SplitLayouts(const std::string& list) {
  std::vector<std::string> layouts;
  std::string current;
  for (char c : list + ",") {
    if (c == ',' || c == ' ') {
      const std::string name = LowerCase(current.substr(0, current.find('(')));
      if (!name.empty()) layouts.push_back(name);
      current.clear();
    } else if (c != '"' && c != '\'') {
      current += c;
    }
  }
  return layouts;
}

void RunFirstStartDialog(TSettings& settings) {
  TToolsSettings tools;
  settings.Load(tools);
  if (!tools.StartModule || !FirstRunDialog()) return;
  try {
    FirstRunDialog()();
  } catch (...) {
    // It is not asked for again at the next start either.
  }
  settings.Set(tools, &TToolsSettings::StartModule, false);
}

}  // namespace

std::string ChooseLanguage(const std::string& stored, const std::string& localeLanguage,
                           const std::vector<std::string>& keyboardLayouts) {
  for (const char* code : kLanguageCodes)
    if (SameText(stored, code)) return code;
  if (!localeLanguage.empty()) return localeLanguage;
  const auto hasLayout = [&keyboardLayouts](std::initializer_list<const char*> names) {
    for (const std::string& layout : keyboardLayouts)
      for (const char* name : names)
        if (layout == name) return true;
    return false;
  };
  if (hasLayout({"ru", "ua"})) return "RUS";
  if (hasLayout({"de", "at"})) return "DEU";
  if (hasLayout({"fr"})) return "FRA";
  if (hasLayout({"it"})) return "ITA";
  return kDefaultLanguage;
}

std::vector<std::string> KeyboardLayouts(const std::string& keyboardFile) {
  if (const char* v = std::getenv("XKB_DEFAULT_LAYOUT"); v && *v) return SplitLayouts(v);
  std::ifstream in(keyboardFile);
  std::string line;
  while (std::getline(in, line)) {
    const std::string text = Trim(line);
    if (text.rfind("XKBLAYOUT=", 0) == 0) return SplitLayouts(text.substr(10));
  }
  return {};
}

TCommandLineSwitch CommandLineSwitch(const std::string& argument) {
  if (SameText(argument, "/a")) return TCommandLineSwitch::Play;
  if (SameText(argument, "/p")) return TCommandLineSwitch::Print;
  return TCommandLineSwitch::None;
}

void SetSplashFactory(TSplashFactory factory) { SplashFactory() = std::move(factory); }
TSplash* Splash() { return SplashWindow().get(); }

void ShowSplash() {
  SplashWindow().reset();
  const std::string picture = platform::FindResource("About.bmp");
  if (picture.empty() || !SplashFactory()) return;
  SplashWindow() = SplashFactory()(picture);
  // It paints before the main window is made.
  if (SplashWindow()) Application().ProcessMessages();
}

void ReleaseSplash() {
  if (TSplash* splash = Splash()) splash->SetClosable();
}

void CloseSplash() {
  if (TSplash* splash = Splash()) splash->Close();
  SplashWindow().reset();
}

void SetFirstRunDialog(TFirstRunDialog dialog) { FirstRunDialog() = std::move(dialog); }

TMainThread::~TMainThread() {
  Terminate();
  WaitFor();
}

void TMainThread::Execute() {
  if (checkNews_) {
    try {
      Synchronize(checkNews_);
    } catch (...) {
      // A news check that fails leaves the program as it was.
    }
  }
  while (!Terminated()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

int RunProgram(int argc, char** argv) {
  // The settings come before any window, and go after the last.
  TSettings settings(platform::SettingsFileName());
  SetProgramSettings(&settings);
  TToolsSettings tools;
  settings.Load(tools);
  const std::string language = ChooseLanguage(tools.Language, LanguageOfLocale(), KeyboardLayouts());
  // A platform chosen by name (offscreen in tests) needs no display; the
  // toolkit's own choice needs one that answers, or it aborts the program.
  if (!EnvSet("QT_QPA_PLATFORM") && !DisplayReachable()) {
    std::fprintf(stderr, "%s\n", CatalogueText(TMessageId::NoDisplay, language).c_str());
    SetProgramSettings(nullptr);
    return 2;
  }
  EnsureGuiApplication();
  ShowSplash();
  // Numbers, dates and times are shown and read as the system's locale says.
  LoadSystemFormatSettings();
  // The music font is loaded for this process; nothing is installed.
  std::string fontError;
  try {
    LoadMusicFont();
  } catch (const std::exception& e) {
    fontError = e.what();
  }
  // The program's one language engine: every form translates itself from
  // the language files beside the program.
  TComponent languageOwner(nullptr);
  auto* engine = new TECLanguage(&languageOwner);
  engine->SetLanguage(language);
  // Problems of the sound and MIDI devices are shown once each.
  PlaybackMessageHandler = [](const std::string& text) { ShowMessage(text); };
  TApplication& app = Application();
  int status = 0;
  {
    std::unique_ptr<TFProgramModule> main;
    try {
      main = std::make_unique<TFProgramModule>(nullptr, &settings);
    } catch (...) {
      ReleaseSplash();
      throw;
    }
    app.SetMainForm(main.get());
    main->OnClose = [&app](TObject*, TCloseAction&) { app.Terminate(); };
    main->Show();
    ReleaseSplash();
    if (!fontError.empty()) ShowMessage(CatalogueText(TMessageId::NoMusicFont) + "\n" + fontError);
    std::vector<std::string> arguments(argv + 1, argv + argc);
    main->ProcessCommandLine(arguments);
    bool anyFile = false;
    for (const std::string& a : arguments) anyFile = anyFile || !IsCommandLineSwitch(a);
    if (anyFile && main->DocumentCount() == 0) status = 1;
    if (!anyFile) main->NewDocument();
    // A document open already: the splash has been seen long enough.
    if (main->DocumentCount() > 0) CloseSplash();
    RunFirstStartDialog(settings);
    app.Run();
  }
  CloseSplash();
  PlaybackMessageHandler = nullptr;
  SetProgramSettings(nullptr);
  return status;
}

}  // namespace qs
