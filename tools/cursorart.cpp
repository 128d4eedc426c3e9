// cursorart: draws the tool cursors of the palettes from the music font and
// writes them as PNG files ("<NAME>.png", 32 x 32, white is transparent)
// with their hot spots ("hotspots.txt": NAME X Y) into a folder, normally
// resources/cursors. The pictures are committed; run this again after
// changing their look.
//
//   cursorart FONTFILE OUTDIR
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/fonts.h"
#include "platform/gui.h"
#include "platform/imagefile.h"

namespace {

using namespace qs;

// Every cursor: a small cross at its hot spot (4, 4) and, right and below
// of it, a music-font character or a short text of what the tool enters.
struct TCursorArt {
  const char* Name;
  int Glyph;           // music-font character; 0: the text
  const char* Text;
  int Baseline = 24;   // of the character
};

constexpr TCursorArt kCursors[] = {
    {"ERASE", 0, "x"},
    {"ACCOLADE", 33, "", 28},
    {"ACCOLADE1", 0, "["},
    {"CLEFG", 34, "", 24},
    {"CLEFF", 35, "", 18},
    {"CLEFD", 36, "", 20},
    {"CLEFTAB", 0, "TAB"},
    {"CLEFP1", 0, "[ ]"},
    {"CLEFP2", 0, "| |"},
    {"TONE1", 66, "", 20},
    {"TONE2", 64, "", 20},
    {"SIZE", 0, "4/4"},
    {"SIZE1", 39, "", 22},
    {"SIZE2", 40, "", 22},
    {"TEMPO1", 44, "", 24},
    {"REPEATMEASURE", 0, "%"},
    {"REPEATNOTE", 0, "//"},
    {"WHOLENOTE", 41, "", 20},
    {"NOTE", 42, "", 20},
    {"NOTE2", 43, "", 24},
    {"NOTE4", 44, "", 24},
    {"NOTE8", 45, "", 24},
    {"NOTE16", 46, "", 24},
    {"NOTE32", 47, "", 26},
    {"NOTE64", 48, "", 28},
    {"MEASUREPAUSE", 0, "|-|"},
    {"PAUSE", 0, "-"},
    {"PAUSE2", 0, "-"},
    {"PAUSE4", 77, "", 22},
    {"PAUSE8", 78, "", 22},
    {"PAUSE16", 79, "", 24},
    {"PAUSE32", 80, "", 24},
    {"PAUSE64", 81, "", 26},
    {"DIESIS", 66, "", 22},
    {"DOUBLEDIESIS", 67, "", 20},
    {"BEMOL", 64, "", 22},
    {"DOUBLEBEMOL", 65, "", 22},
    {"BECARRE", 68, "", 22},
    {"BECARREDIESIS", 70, "", 22},
    {"BECARREBEMOL", 69, "", 22},
    {"DOT", 0, "."},
    {"DOUBLEDOT", 0, ".."},
    {"TREMOLO", 0, "///"},
    {"LIGAUP", 0, "("},
    {"LIGADOWN", 0, ")"},
    {"SLIDE", 0, "/"},
    {"STACATTO", 0, "."},
    {"PORTAMENTO", 0, "_"},
    {"GLISSANDOUP", 0, "/"},
    {"GLISSANDODOWN", 0, "\\"},
    {"FALLUP", 92, "", 24},
    {"FALLDOWN", 93, "", 20},
    {"LIFT", 94, "", 24},
    {"BRACKETSTYLE", 0, "( )"},
    {"OPENHAT", 103, "", 22},
    {"HALFOPENHAT", 104, "", 22},
    {"HANDUP", 0, "^"},
    {"HANDDOWN", 0, "v"},
    {"FLAZHOLETNOTE", 101, "", 20},
    {"BLANKNOTE", 52, "", 20},
    {"DRUMNOTE", 211, "", 20},
    {"VORSCHLAG1", 45, "", 22},
    {"VORSCHLAG2", 45, "", 22},
    {"VORSCHLAG3", 44, "", 22},
    {"VORSCHLAG4", 44, "", 22},
    // The Design palette's tools.
    {"TEXT", 0, "T"},
    {"INSCRIPTION", 0, "Ins"},
    {"EXPRESSION", 0, "Exp"},
    {"LYRIC", 0, "la"},
    {"INSTRUMENTNAME", 0, "Vl."},
    {"PAGENUMBER", 0, "#1"},
    {"PAGEDATE", 0, "1.1"},
    {"LINE", 0, "/"},
    {"POINT", 0, "->"},
    {"RECTANGLE", 0, "[ ]"},
    {"FILLRECTANGLE", 0, "[#]"},
    {"ELLIPSE", 0, "( )"},
    {"FILLELLIPSE", 0, "(#)"},
    {"IMAGE", 0, "img"},
    {"ARC", 0, "("},
    {"PIE", 0, "<"},
    {"FILLPIE", 0, "<#"},
    {"SEGMENT", 0, "D"},
    {"FILLSEGMENT", 0, "D#"},
};

constexpr int kSize = 32, kHotX = 4, kHotY = 4;

void Draw(const TCursorArt& art, const std::string& outDir) {
  TBitmap b(kSize, kSize);
  TCanvas& c = b.Canvas();
  c.Brush().Color = clWhite;
  c.FillRect(TRect{0, 0, kSize, kSize});
  c.Pen().Color = clBlack;
  c.Pen().Width = 1;
  c.MoveTo(kHotX - 4, kHotY);
  c.LineTo(kHotX + 5, kHotY);
  c.MoveTo(kHotX, kHotY - 4);
  c.LineTo(kHotX, kHotY + 5);
  c.Brush().Style = bsClear;
  if (art.Glyph) {
    c.Font() = TFont{};
    c.Font().Name = MusicFontName;
    c.Font().Height = -20;
    c.Font().Color = clBlack;
    c.TextOut(10, art.Baseline - c.GetTextMetrics().Ascent,
              std::u16string_view(MusicGlyphText(static_cast<uint8_t>(art.Glyph))));
  } else {
    c.Font() = TFont{};
    c.Font().Name = "DejaVu Sans";
    c.Font().Height = -12;
    c.Font().Style = fsBold;
    c.Font().Color = clBlack;
    c.TextOut(8, 10, std::string(art.Text));
  }
  const std::string path = (std::filesystem::path(outDir) / (std::string(art.Name) + ".png")).string();
  SaveBitmapToPng(b, path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: cursorart FONTFILE OUTDIR\n");
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  try {
    EnsureGuiApplication();
    RegisterFontFile(MusicFontName, argv[1]);
    std::filesystem::create_directories(argv[2]);
    std::ofstream spots((std::filesystem::path(argv[2]) / "hotspots.txt").string());
    spots << "# name hot-x hot-y (pictures drawn by tools/cursorart)\n";
    for (const TCursorArt& art : kCursors) {
      Draw(art, argv[2]);
      spots << art.Name << ' ' << kHotX << ' ' << kHotY << '\n';
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "cursorart: %s\n", e.what());
    return 1;
  }
  return 0;
}
