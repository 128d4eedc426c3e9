// quillstave4: the music-notation editor. It opens a window with the pages
// of each score file named (a new score when none is); with
// --print-contents it tells on the command line what the files hold.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>
#include <cstring>
#include <string>

#include "app/documentscore.h"
#include "base/exceptions.h"
#include "chords/chordname.h"
#include "base/filemessages.h"
#include "base/safefile.h"
#include "app/pageviewer.h"
#include "app/printcontents.h"
#include "platform/fonts.h"
#include "platform/forms.h"
#include "platform/gui.h"
#include "platform/paths.h"
#include "base/inifile.h"
#include "uikit/language.h"
#include "uikit/localeformats.h"
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
      "Opens a window with the pages of each score file (a new score when none is given);\n"
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

// One window per score file, or one with a new score; the program ends
// when the last window closes.
int RunWindows(int argc, char** argv) {
  const std::string language = LanguageFromEnvironment();
  // A platform chosen by name (offscreen in tests) needs no display; the
  // toolkit's own choice needs one that answers, or it aborts the program.
  if (!EnvSet("QT_QPA_PLATFORM") && !DisplayReachable()) {
    std::fprintf(stderr, "%s\n", PageViewerText(TPageViewerText::NoDisplay, language).c_str());
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
  TIniFile settings(platform::SettingsFileName());
  std::vector<std::unique_ptr<TQSScore>> scores;
  std::vector<std::string> names;
  int failed = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string file = argv[i];
    auto score = std::make_unique<TQSScore>();
    SetUpDocumentScore(*score);
    AnswerChordText(*score);
    try {
      // A folder, a pipe or a device is refused as what it is.
      CheckIsRegularFile(file);
      if (!FileExists(file)) throw Exception("there is no such file");
      if (AsksForMidiImportOptions(file)) {
        // How the file becomes notation is asked first; anything but OK
        // opens nothing.
        TFImportMIDI options(nullptr, &settings);
        if (options.ShowModal() != mrOk) continue;
        options.ApplyTo(*score);
      }
      score->LoadFromFile(file);
      if (score->LaidOutPages == 0) score->Recalculate(0);
    } catch (const std::exception& e) {
      ++failed;
      const std::string text = PageViewerText(TPageViewerText::CannotRead, language, file) + "\n" + UserErrorText(e);
      std::fprintf(stderr, "quillstave4: %s\n", text.c_str());
      ShowMessage(text);
      continue;
    }
    scores.push_back(std::move(score));
    names.push_back(ExtractFileName(file));
  }
  if (argc < 2) {
    scores.push_back(std::make_unique<TQSScore>());
    MakeNewScore(*scores.back());
    names.push_back("");
  }
  if (scores.empty()) return failed ? 1 : 0;
  if (!fontError.empty()) ShowMessage(PageViewerText(TPageViewerText::NoMusicFont, language) + "\n" + fontError);
  TApplication& app = Application();
  std::vector<std::unique_ptr<TPageViewerForm>> forms;
  int open = 0;
  for (size_t i = 0; i < scores.size(); ++i) {
    auto form = std::make_unique<TPageViewerForm>(nullptr, *scores[i], names[i], language);
    form->OnClose = [&open, &app](TObject*, TCloseAction&) {
      if (--open == 0) app.Terminate();
    };
    ++open;
    form->Show();
    if (i == 0) app.SetMainForm(form.get());
    forms.push_back(std::move(form));
  }
  app.Run();
  forms.clear();
  return failed ? 1 : 0;
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
