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
    // The Symbols palette's tools.
    {"MEASURENUMBER", 0, "1.."},
    {"REHEARSALMARK", 0, "[A]"},
    {"BEGINCOMPOSITION", 0, "||"},
    {"ENDCOMPOSITION", 0, "||"},
    {"ENDPARTION", 0, "||"},
    {"SECTION", 0, "1."},
    {"BEGINREPEAT", 0, "||:"},
    {"ENDREPEAT", 0, ":||"},
    {"CODA", 121, "", 21},
    {"SEGNO", 120, "", 21},
    {"DACAPO", 0, "DC"},
    {"DALSEGNO", 0, "DS"},
    {"OTTAVAALTA", 0, "8va"},
    {"OTTAVABASSA", 0, "8vb"},
    {"FORTE", 111, "", 24},
    {"PIANO", 105, "", 24},
    {"FORTISSIMO", 112, "", 24},
    {"PIANISSIMO", 106, "", 24},
    {"FORTISSISSIMO", 113, "", 24},
    {"PIANISSISSIMO", 107, "", 24},
    {"MEZZOFORTE", 110, "", 24},
    {"MEZZOPIANO", 108, "", 24},
    {"FORTEPIANO", 109, "", 24},
    {"FORZANDO", 116, "", 24},
    {"SFORZANDO", 117, "", 24},
    {"EXTRAFORZATO", 115, "", 24},
    {"SFORZATO", 114, "", 24},
    {"CRECHENDO", 0, "<"},
    {"DIMINUENDO", 0, ">"},
    {"ARPEGGIO", 0, "{"},
    {"TRILLARE1", 0, "~~"},
    {"TOPHANG", 0, "|~"},
    {"BOTTOMHANG", 0, "|_"},
    {"TRILLARE", 157, "", 24},
    {"TRILLAREB", 158, "", 24},
    {"TRILLARED", 159, "", 24},
    {"TRILLAREBK", 160, "", 24},
    {"MONDERT", 134, "", 22},
    {"SMONDERT", 135, "", 22},
    {"DMONDERT", 136, "", 22},
    {"DSMONDERT", 137, "", 22},
    {"GROUP1", 124, "", 22},
    {"GROUP2", 125, "", 22},
    {"BRACKETUP", 0, "[^]"},
    {"BRACKETDOWN", 0, "[_]"},
    {"FERMATAUP", 140, "", 24},
    {"FERMATADOWN", 141, "", 18},
    {"SHORTFERMATA1", 142, "", 24},
    {"SHORTFERMATA2", 143, "", 18},
    {"LONGFERMATA1", 144, "", 24},
    {"LONGFERMATA2", 145, "", 18},
    {"ACCEPTTOP", 164, "", 22},
    {"ACCEPTRIGHT", 165, "", 22},
    {"PRESSPEDAL", 122, "", 24},
    {"RELEASEPEDAL", 123, "", 24},
    {"BREATH", 128, "", 22},
    {"ZERO", 0, "0"},
    {"ONE", 0, "1"},
    {"TWO", 0, "2"},
    {"THREE", 0, "3"},
    {"FOUR", 0, "4"},
    {"FIVE", 0, "5"},
    {"RFINGER1", 0, "p"},
    {"RFINGER2", 0, "i"},
    {"RFINGER3", 0, "m"},
    {"RFINGER4", 0, "a"},
    {"RFINGER5", 0, "e"},
    {"BOWDOWN", 131, "", 22},
    {"BOWUP", 130, "", 24},
    {"BARRE", 0, "B"},
    {"BARREBRACKET", 0, "["},
    {"CONTINUEUNTIL", 0, "--|"},
    {"FLAJOLET", 0, "XI"},
    {"PALMMUTE", 0, "PM"},
    {"MUTE", 0, "(M)"},
    {"HAMMERON", 0, "H"},
    {"PULLOFF", 0, "P"},
    {"TAPON", 0, "T"},
    {"SLIDEM", 0, "S"},
    {"1STRING", 148, "", 24},
    {"2STRING", 149, "", 24},
    {"3STRING", 150, "", 24},
    {"4STRING", 151, "", 24},
    {"5STRING", 152, "", 24},
    {"6STRING", 153, "", 24},
    {"7STRING", 154, "", 24},
    {"8STRING", 155, "", 24},
    {"BENDUP", 0, "^"},
    {"PREBEND", 0, "/^"},
    // The user-symbol palette's stamp.
    {"USERSYMBOL", 0, "[*]"},
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
