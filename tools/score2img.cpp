// score2img: a developer's tool that writes the pages of a native score
// file as images or as one PDF file, through the program's own page export.
//
//   score2img FILE OUTDIR [--zoom N] [--format bmp|gif|jpeg|emf|pdf]
//
// Images are written one per page as OUTDIR/<name>-<page>.<ext> at zoom N
// percent (25..975, default 100); a PDF as OUTDIR/<name>.pdf at scale N
// (25..200). MIDI and MusicXML files are read too. The score is set up as
// the document window sets up its own, so the pages look as a user sees them.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>

#include "app/documentscore.h"
#include "base/filemessages.h"
#include "base/safefile.h"
#include "base/stream.h"
#include "chords/chordname.h"
#include "interchange/midi_import.h"
#include "interchange/musicxml.h"
#include "layout/layout.h"
#include "platform/fonts.h"
#include "platform/gui.h"
#include "render/print.h"
#include "render/window.h"
#include "score/score.h"

namespace {

using namespace qs;

struct TFormat {
  const char* Name;
  const char* Extension;
  int Index;  // ExportPage's format; -1 for PDF
};
constexpr TFormat kFormats[] = {
    {"bmp", ".bmp", efBmp}, {"gif", ".gif", efGif}, {"jpeg", ".jpg", efJpeg}, {"emf", ".emf", efMetafile},
    {"pdf", ".pdf", -1},
};

int Usage() {
  std::fprintf(stderr,
               "usage: score2img FILE OUTDIR [--zoom N] [--format bmp|gif|jpeg|emf|pdf]\n"
               "Writes the pages of a score file as images (one per page) or as one PDF file.\n");
  return 2;
}

int Run(const std::string& file, const std::string& outDir, int zoom, const TFormat& format) {
  CheckIsRegularFile(file);
  if (!FileExists(file)) {
    std::fprintf(stderr, "score2img: there is no file \"%s\".\n", file.c_str());
    return 1;
  }
  EnsureGuiApplication();
  LoadMusicFont();
  InstallLayout();
  InstallMidiImporter();
  InstallMusicXmlImporter();
  // The score as a document window holds it: its page and settings, and
  // chord symbols named.
  TQSScore score;
  SetUpDocumentScore(score);
  AnswerChordText(score);
  score.LoadFromFile(file);
  if (score.LaidOutPages == 0) score.Recalculate(0);
  if (score.LaidOutPages == 0) {
    std::fprintf(stderr, "score2img: %s: the layout gives no page; no page was written.\n", file.c_str());
    return 1;
  }
  CheckExportPageCount(score.LaidOutPages);
  std::filesystem::create_directories(outDir);
  const std::string stem = std::filesystem::path(file).stem().string();
  const std::string base = (std::filesystem::path(outDir) / stem).string();

  TQSPageView view;
  score.AttachWindow(&view);
  view.PrintTitle = stem;
  if (format.Index < 0) {
    const std::string name = base + format.Extension;
    view.ExportPDF(name, 1, score.LaidOutPages, zoom, true, true);
    std::printf("%s\n", name.c_str());
    return 0;
  }
  view.Zoom = zoom;
  for (int page = 1; page <= score.LaidOutPages; ++page) {
    const std::string name = base + "-" + std::to_string(page) + format.Extension;
    SafeSaveFile(name, [&](TStream& s) { view.ExportPage(s, format.Index, page, page, 1, 90, false); });
    std::printf("%s\n", name.c_str());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string file, outDir;
  int zoom = 100;
  const TFormat* format = &kFormats[0];
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--zoom" && i + 1 < argc) {
      char* end = nullptr;
      zoom = static_cast<int>(std::strtol(argv[++i], &end, 10));
      if (!end || *end) return Usage();
    } else if (arg == "--format" && i + 1 < argc) {
      const std::string name = argv[++i];
      format = nullptr;
      for (const TFormat& f : kFormats)
        if (name == f.Name || (name == "jpg" && f.Index == efJpeg)) format = &f;
      if (!format) return Usage();
    } else if (arg.rfind("--", 0) == 0) {
      return Usage();
    } else if (file.empty()) {
      file = arg;
    } else if (outDir.empty()) {
      outDir = arg;
    } else {
      return Usage();
    }
  }
  if (file.empty() || outDir.empty()) return Usage();
  try {
    return Run(file, outDir, zoom, *format);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "score2img: %s\n", e.what());
    return 1;
  }
}
