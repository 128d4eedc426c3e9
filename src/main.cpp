// quillstave4: the music-notation editor. It opens the main window with
// each score file named in a tab of its own (a new score when none is); with
// --print-contents it tells on the command line what the files hold.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>
#include <cstring>
#include <string>

#include "app/about.h"
#include "app/documentscore.h"
#include "base/exceptions.h"
#include "chords/chordname.h"
#include "base/filemessages.h"
#include "base/safefile.h"
#include "app/mainwindow.h"
#include "app/printcontents.h"
#include "platform/fonts.h"
#include "platform/forms.h"
#include "platform/gui.h"
#include "platform/paths.h"
#include "base/inifile.h"
#include "uikit/language.h"
#include "uikit/localeformats.h"
#include "uikit/catalogue.h"
#include "uikit/lrf.h"
#include "uikit/settings.h"
#include "playback/messages.h"
#include "base/strings.h"
#include "score/score.h"
#include "interchange/importmidiform.h"
#include "interchange/midi_import.h"
#include "layout/layout.h"
#include "interchange/musicxml.h"

namespace {

using namespace qs;

void PrintUsage() {
  std::printf(
      "Quillstave 4, a music-notation editor\n"
      "usage: quillstave4 [FILE...]\n"
      "       quillstave4 --print-contents FILE...\n"
      "       quillstave4 --version\n"
      "Opens the main window with each score file in a tab (a new score when none is given);\n"
      "with --print-contents, reads each file and prints what it holds.\n");
}

bool EnvSet(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

void InstallReaders() {
  qs::InstallLayout();
  qs::InstallMidiImporter();
  qs::InstallMusicXmlImporter();
}

// The main window with the score files named opened in its tabs (a new
// score when none is); the program ends when the main window closes.
int RunWindows(int argc, char** argv) {
  // The settings come before any window, and go after the last.
  TSettings settings(platform::SettingsFileName());
  SetProgramSettings(&settings);
  TToolsSettings tools;
  settings.Load(tools);
  std::string language = tools.Language;
  bool known = false;
  for (const char* code : kLanguageCodes) known = known || SameText(language, code);
  if (!known) language = LanguageFromEnvironment();
  language = UpperCase(language);
  // A platform chosen by name (offscreen in tests) needs no display; the
  // toolkit's own choice needs one that answers, or it aborts the program.
  if (!EnvSet("QT_QPA_PLATFORM") && !DisplayReachable()) {
    std::fprintf(stderr, "%s\n", CatalogueText(TMessageId::NoDisplay, language).c_str());
    return 2;
  }
  EnsureGuiApplication();
  // Numbers, dates and times are shown and read as the system's locale says.
  LoadSystemFormatSettings();
  InstallReaders();
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
    TSplash splash;
    TFProgramModule main(nullptr, &settings);
    app.SetMainForm(&main);
    main.OnClose = [&app](TObject*, TCloseAction&) { app.Terminate(); };
    main.Show();
    splash.MainWindowShown();
    if (!fontError.empty()) ShowMessage(CatalogueText(TMessageId::NoMusicFont) + "\n" + fontError);
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) files.push_back(argv[i]);
    main.ProcessCommandLine(files);
    if (argc > 1 && main.DocumentCount() == 0) status = 1;
    if (argc < 2) main.NewDocument();
    app.Run();
  }
  PlaybackMessageHandler = nullptr;
  SetProgramSettings(nullptr);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "-h") || !std::strcmp(argv[i], "--help")) {
      PrintUsage();
      return 0;
    }
    if (!std::strcmp(argv[i], "--version")) {
      std::printf("Quillstave %s\n", QS_VERSION);
      return 0;
    }
  }
  if (argc >= 2 && !std::strcmp(argv[1], "--print-contents")) {
    if (argc < 3) {
      PrintUsage();
      return 2;
    }
    InstallReaders();
    return PrintContents(std::vector<std::string>(argv + 2, argv + argc));
  }
  return RunWindows(argc, argv);
}
