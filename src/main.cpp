// quillstave4: the music-notation editor. It opens the main window with
// each score file named in a tab of its own (a new score when none is); with
// --print-contents it tells on the command line what the files hold.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>
#include <cstring>
#include <map>
#include <string>

#include "app/documentscore.h"
#include "base/exceptions.h"
#include "chords/chordname.h"
#include "base/safefile.h"
#include "app/mainwindow.h"
#include "platform/fonts.h"
#include "platform/forms.h"
#include "platform/gui.h"
#include "platform/paths.h"
#include "base/inifile.h"
#include "uikit/catalogue.h"
#include "uikit/language.h"
#include "uikit/localeformats.h"
#include "uikit/lrf.h"
#include "uikit/settings.h"
#include "playback/messages.h"
#include "base/strings.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/page.h"
#include "score/part.h"
#include "score/piece.h"
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
      "Opens the main window with each score file in a tab (a new score when none is given);\n"
      "with --print-contents, reads each file and prints what it holds.\n");
}

bool ShowFile(const std::string& fileName);

bool EnvSet(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

void InstallReaders() {
  qs::InstallLayout();
  qs::InstallMidiImporter();
  qs::InstallMusicXmlImporter();
}

// The command-line report of each file.
int PrintContents(int argc, char** argv, int first) {
  qs::EnsureGuiApplication();
  InstallReaders();
  try {
    qs::LoadMusicFont();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quillstave4: the music font could not be loaded: %s\n", e.what());
  }
  bool allRead = true;
  for (int i = first; i < argc; ++i) allRead = ShowFile(argv[i]) && allRead;
  return allRead ? 0 : 1;
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
  if (!EnvSet("DISPLAY") && !EnvSet("WAYLAND_DISPLAY") && !EnvSet("QT_QPA_PLATFORM")) {
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
    TFProgramModule main(nullptr, &settings);
    app.SetMainForm(&main);
    main.OnClose = [&app](TObject*, TCloseAction&) { app.Terminate(); };
    main.Show();
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

// Items counted by kind, with the class that stands for the kind.
struct TKindCount {
  const char* ClassName = "";
  int Count = 0;
};
using TKindCounts = std::map<int, TKindCount>;

void CountItems(const TQSItemList& items, TKindCounts& counts) {
  for (const TQSItem* item : items) {
    TKindCount& c = counts[item->ItemType];
    c.ClassName = item->ClassName();
    ++c.Count;
    if (const auto* holder = dynamic_cast<const TQSItemHolder*>(item)) CountItems(holder->Items, counts);
  }
}

void PrintScore(TQSScore& score) {
  int parts = 0, staves = 0, voices = 0, measures = 0, columns = 0;
  TKindCounts counts;
  CountItems(score.Items, counts);
  for (TQSPiece* piece : score.PieceList()) {
    columns += piece->ColumnCount();
    for (int c = 0; c < piece->ColumnCount(); ++c) CountItems(piece->GetColumn(c)->Items, counts);
    for (TQSPart* part : piece->PartList()) {
      ++parts;
      staves += part->StaffCount();
      for (int s = 0; s < part->StaffCount(); ++s) voices += part->GetStaff(s)->VoiceCount();
      measures += part->MeasureCount();
      CountItems(part->Items, counts);
      for (int m = 0; m < part->MeasureCount(); ++m) CountItems(part->GetMeasure(m)->Items, counts);
    }
  }
  std::printf("  file version %u\n", score.FileVersion);
  std::printf("  %d pieces, %d parts, %d staves, %d voices, %d measures, %d columns, %d score items\n",
              score.PieceCount(), parts, staves, voices, measures, columns, score.ItemCount());
  for (TQSPiece* piece : score.PieceList())
    std::printf("  piece %d \"%s\": parts %d, tempo %d\n", piece->Index + 1, piece->Name.c_str(), piece->PartCount(),
                piece->Tempo());
  if (!score.Composer.empty()) std::printf("  composer: %s\n", score.Composer.c_str());
  if (!score.Poet.empty()) std::printf("  poet: %s\n", score.Poet.c_str());
  if (!score.Rights.empty()) std::printf("  rights: %s\n", score.Rights.c_str());
  const TQSPage& page = score.Page;
  const auto mm = [&page](int i) { return static_cast<double>(page.Tenths(i).Value()) / 10.0; };
  std::printf("  page %.1f x %.1f mm, %s, margins %.1f %.1f %.1f %.1f mm, line space %.4f mm\n", mm(TQSPage::dWidth),
              mm(TQSPage::dHeight), page.Orientation() == TQSOrientation::poLandscape ? "landscape" : "portrait",
              mm(TQSPage::dLeftMargin), mm(TQSPage::dTopMargin), mm(TQSPage::dRightMargin),
              mm(TQSPage::dBottomMargin), mm(TQSPage::dLineSpace));
  std::printf("  scale %d%%, %d drum instruments, %zu drum map entries, %d user symbols\n", score.Scale,
              score.DrumInstrumentCount(), score.DrumMap.size(), score.UserSymbolCount());
  if (!counts.empty()) std::printf("  items by kind:\n");
  for (const auto& [kind, c] : counts) std::printf("    %3d %-14s %d\n", kind, c.ClassName, c.Count);
}

// Reads one file; false when it could not be read.
bool ShowFile(const std::string& fileName) {
  std::printf("%s\n", fileName.c_str());
  if (!FileExists(fileName)) {
    std::printf("  error: no such file\n");
    return false;
  }
  TQSScore score;
  SetUpDocumentScore(score);
  AnswerChordText(score);
  try {
    score.LoadFromFile(fileName);
  } catch (const std::exception& e) {
    std::printf("  error: %s\n", e.what());
    return false;
  }
  PrintScore(score);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "-h") || !std::strcmp(argv[i], "--help")) {
      PrintUsage();
      return 0;
    }
  }
  if (argc >= 2 && !std::strcmp(argv[1], "--print-contents")) {
    if (argc < 3) {
      PrintUsage();
      return 2;
    }
    return PrintContents(argc, argv, 2);
  }
  return RunWindows(argc, argv);
}
