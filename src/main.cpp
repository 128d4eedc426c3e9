// quillstave4: the music-notation editor. It opens a window with the pages
// of each score file named (a new score when none is); with
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
#include "base/filemessages.h"
#include "base/safefile.h"
#include "app/pageviewer.h"
#include "platform/fonts.h"
#include "platform/forms.h"
#include "platform/gui.h"
#include "platform/paths.h"
#include "base/inifile.h"
#include "uikit/language.h"
#include "uikit/localeformats.h"
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
      "Opens a window with the pages of each score file (a new score when none is given);\n"
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

// One window per score file, or one with a new score; the program ends
// when the last window closes.
int RunWindows(int argc, char** argv) {
  const std::string language = LanguageFromEnvironment();
  if (!EnvSet("DISPLAY") && !EnvSet("WAYLAND_DISPLAY") && !EnvSet("QT_QPA_PLATFORM")) {
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
  try {
    CheckIsRegularFile(fileName);
  } catch (const std::exception& e) {
    std::printf("  error: %s\n", UserErrorText(e).c_str());
    return false;
  }
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
    std::printf("  error: %s\n", UserErrorText(e).c_str());
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
