// quillstave4: the music-notation editor. Until the main window exists the
// program is a command-line entry point.
#include <cstdio>
#include <cstring>

static void PrintUsage() {
  std::printf(
      "Quillstave 4, a music-notation editor\n"
      "usage: quillstave4 [FILE.sfd ...]\n");
}

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "-h") || !std::strcmp(argv[i], "--help")) {
      PrintUsage();
      return 0;
    }
  }
  PrintUsage();
  return 0;
}
