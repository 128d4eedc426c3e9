// aboutart: draws the program's picture "About.bmp" (the splash and the
// About window) and writes it into a folder, normally resources. The
// picture is committed; run this again after changing its look. Its outline
// is the one the windows are shaped to (AboutOutline).
//
//   aboutart OUTDIR
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "app/about.h"
#include "base/stream.h"
#include "platform/bitmap.h"
#include "platform/fonts.h"
#include "platform/gui.h"
#include "platform/musicglyphs.h"
#include "render/exportimage.h"

namespace {

using namespace qs;

constexpr TColor kOutside = RGB(255, 255, 255);
constexpr TColor kPaper = RGB(250, 247, 238);
constexpr TColor kInk = RGB(30, 62, 116);
constexpr TColor kGold = RGB(212, 170, 60);
constexpr TColor kStaff = RGB(150, 160, 180);

void Draw(TBitmap& b) {
  TCanvas& c = b.Canvas();
  c.Brush().Color = kOutside;
  c.FillRect({0, 0, b.Width(), b.Height()});
  const std::vector<TPoint> outline = AboutOutline(b.Width(), b.Height());
  // The body and the ornament in paper, framed in ink.
  c.Pen().Color = kInk;
  c.Pen().Width = 3;
  c.Brush().Color = kPaper;
  c.Polygon(outline);
  // The ornament's arch filled in ink, with a gold note inside.
  c.Pen().Width = 1;
  c.Brush().Color = kInk;
  c.Polygon({{434, 79}, {434, 45}, {442, 32}, {453, 21}, {466, 5}, {479, 21}, {491, 32}, {499, 45}, {499, 79}});
  c.Brush().Style = bsClear;
  c.Font().Name = "Quavero Symbols";
  c.Font().Height = -30;
  c.Font().Color = kGold;
  c.Font().Quality = 4;
  c.TextOut(458, 10, std::string(1, static_cast<char>(glyphs::GClef)));
  // Five staff lines across the body with a clef.
  c.Pen().Color = kStaff;
  for (int i = 0; i < 5; ++i) {
    c.MoveTo(40, 230 + i * 12);
    c.LineTo(b.Width() - 40, 230 + i * 12);
  }
  c.Font().Height = -48;
  c.Font().Color = kInk;
  c.TextOut(48, 206, std::string(1, static_cast<char>(glyphs::GClef)));
  // The program's name.
  c.Font().Name = "Liberation Serif";
  c.Font().Height = -52;
  c.Font().Style = fsBold | fsItalic;
  c.Font().Color = kInk;
  c.TextOut(40, 112, "Quillstave 4");
  c.Pen().Color = kGold;
  c.Pen().Width = 3;
  c.MoveTo(42, 180);
  c.LineTo(380, 180);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: aboutart OUTDIR\n");
    return 2;
  }
  try {
    EnsureGuiApplication();
    LoadMusicFont();
    TBitmap picture(kAboutWidth, kAboutHeight);
    Draw(picture);
    picture.SetPixelFormat(pf8bit);
    const std::string path = (std::filesystem::path(argv[1]) / kAboutPicture).string();
    TFileStream out(path, FileMode::Create);
    WriteBmpImage(out, picture);
    std::printf("%s %dx%d\n", path.c_str(), picture.Width(), picture.Height());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "aboutart: %s\n", e.what());
    return 1;
  }
  return 0;
}
