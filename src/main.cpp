// quillstave4: the music-notation editor. It opens the main window with
// each score file named in a tab of its own (a new score when none is); with
// --print-contents it tells on the command line what the files hold.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/about.h"
#include "app/printcontents.h"
#include "app/startup.h"
#include "interchange/midi_import.h"
#include "interchange/musicxml.h"
#include "layout/layout.h"

namespace {

using namespace qs;

void PrintUsage() {
  std::printf(
      "Quillstave 4, a music-notation editor\n"
      "usage: quillstave4 [FILE...] [/a | /p]\n"
      "       quillstave4 --print-contents FILE...\n"
      "       quillstave4 --version\n"
      "Opens the main window with each score file in a tab (a new score when none is given);\n"
      "/a plays and /p prints the file named last where the program can;\n"
      "with --print-contents, reads each file and prints what it holds.\n");
}

void InstallReaders() {
  qs::InstallLayout();
  qs::InstallMidiImporter();
  qs::InstallMusicXmlImporter();
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
  InstallReaders();
  // The splash shows the program's picture in its shaped window.
  InstallAboutSplash();
  return RunProgram(argc, argv);
}
