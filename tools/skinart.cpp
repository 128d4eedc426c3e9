// skinart: draws the pictures of the program's window skins and writes them
// as PNG files ("<Skin>-<Role>.png") into a folder, normally
// resources/skins. The pictures are committed; run this again after
// changing their look.
//
//   skinart OUTDIR
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/bitmap.h"
#include "platform/gui.h"
#include "platform/imagefile.h"

namespace {

using namespace qs;

std::string g_outDir;

constexpr TColor kKey = RGB(255, 0, 255);  // transparent parts of buttons

struct TShade {
  TColor Top, Bottom, Light, Dark;
};
// Caption strips: a deep blue for the active window, slate grey for an
// inactive one, near black for tool windows.
constexpr TShade kActive{RGB(74, 116, 178), RGB(30, 62, 116), RGB(156, 186, 226), RGB(18, 36, 72)};
constexpr TShade kInactive{RGB(150, 158, 170), RGB(108, 116, 128), RGB(204, 208, 214), RGB(80, 86, 96)};
constexpr TShade kTools{RGB(62, 64, 70), RGB(16, 16, 20), RGB(110, 112, 120), RGB(0, 0, 0)};

TColor Mix(TColor a, TColor b, int num, int den) {
  auto ch = [&](uint8_t x, uint8_t y) { return static_cast<uint8_t>(x + (static_cast<int>(y) - x) * num / den); };
  return RGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)), ch(GetBValue(a), GetBValue(b)));
}

void Save(const std::string& name, TBitmap& b) {
  const std::string path = (std::filesystem::path(g_outDir) / (name + ".png")).string();
  SaveBitmapToPng(b, path);
  std::printf("%s %dx%d\n", path.c_str(), b.Width(), b.Height());
}

// The caption's colour at row y of a strip h high.
TColor CaptionRow(const TShade& s, int y, int h) {
  if (y == 0) return s.Light;
  if (y == h - 1) return s.Dark;
  return Mix(s.Top, s.Bottom, y, h - 1);
}

void FillCaption(TBitmap& b, const TShade& s) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) b.SetPixel(x, y, CaptionRow(s, y, b.Height()));
}

// The left end: a rounded outer edge and five faint staff lines that fade
// out to the right.
void CaptionLeft(const std::string& name, int w, int h, const TShade& s) {
  TBitmap b(w, h);
  FillCaption(b, s);
  for (int y = 1; y < h - 1; ++y) b.SetPixel(0, y, s.Dark), b.SetPixel(1, y, Mix(s.Light, s.Top, 1, 2));
  const int gap = h >= 24 ? 3 : 2, top = (h - 4 * gap) / 2;
  for (int line = 0; line < 5; ++line)
    for (int x = 3; x < w; ++x) {
      const int y = top + line * gap;
      b.SetPixel(x, y, Mix(Mix(b.Pixel(x, y), s.Light, 1, 3), b.Pixel(x, y), x, w));
    }
  Save(name, b);
}

void CaptionCenter(const std::string& name, int w, int h, const TShade& s) {
  TBitmap b(w, h);
  FillCaption(b, s);
  Save(name, b);
}

// The right end: a recessed panel where the caption buttons sit.
void CaptionRight(const std::string& name, int w, int h, const TShade& s, int panel) {
  TBitmap b(w, h);
  FillCaption(b, s);
  for (int y = 1; y < h - 1; ++y) b.SetPixel(w - 1, y, s.Dark), b.SetPixel(w - 2, y, Mix(s.Light, s.Top, 1, 2));
  if (panel > 0) {
    const int left = w - panel;
    for (int y = 2; y < h - 2; ++y)
      for (int x = left; x < w - 3; ++x) b.SetPixel(x, y, Mix(b.Pixel(x, y), s.Dark, 1, 4));
    for (int y = 2; y < h - 2; ++y) b.SetPixel(left, y, s.Dark);
  }
  Save(name, b);
}

// Border profiles from the outer edge inwards.
TColor Profile(const TShade& s, int i, int n) {
  if (i == 0) return s.Dark;
  if (i == 1 && n > 2) return s.Light;
  if (i == n - 1) return s.Dark;
  return Mix(s.Top, s.Bottom, i, n);
}

// A vertical edge (columns from the outer side); mirrored for the right.
void VerticalEdge(const std::string& name, int w, int h, const TShade& s, bool right) {
  TBitmap b(w, h);
  for (int x = 0; x < w; ++x)
    for (int y = 0; y < h; ++y) b.SetPixel(right ? w - 1 - x : x, y, Profile(s, x, w));
  Save(name, b);
}

void BottomEdge(const std::string& name, int w, int h, const TShade& s) {
  TBitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, h - 1 - y, Profile(s, y, h));
  Save(name, b);
}

// A bottom corner: the two edges meet on the diagonal.
void BottomCorner(const std::string& name, int w, int h, const TShade& s, bool right) {
  TBitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int fromSide = right ? w - 1 - x : x, fromBottom = h - 1 - y;
      b.SetPixel(x, y, Profile(s, std::min(fromSide, fromBottom), std::min(w, h)));
    }
  Save(name, b);
}

enum class TGlyph { Close, Minimize, Maximize, Restore, Custom, Back, Forward };

void DrawGlyph(TCanvas& c, TGlyph g, int x0, int y0, int size, TColor color) {
  c.Pen().Color = color;
  c.Pen().Width = size >= 19 ? 2 : 1;
  c.Brush().Style = bsClear;
  const int m = size >= 19 ? 6 : 4;  // margin
  const int l = x0 + m, t = y0 + m, r = x0 + size - m, b = y0 + size - m;
  switch (g) {
    case TGlyph::Close:
      c.MoveTo(l, t), c.LineTo(r, b);
      c.MoveTo(r - 1, t), c.LineTo(l - 1, b);
      break;
    case TGlyph::Minimize: c.MoveTo(l, b - 1), c.LineTo(r, b - 1); break;
    case TGlyph::Maximize:
      c.Rectangle(l, t, r, b);
      c.MoveTo(l, t + 1), c.LineTo(r, t + 1);
      break;
    case TGlyph::Restore:
      c.Pen().Width = 1;
      c.Rectangle(l + 2, t - 1, r + 1, b - 2);
      c.Brush().Style = bsSolid;
      c.Brush().Color = color == clWhite ? RGB(60, 100, 160) : color;
      c.Rectangle(l - 1, t + 2, r - 2, b + 1);
      c.MoveTo(l - 1, t + 3), c.LineTo(r - 2, t + 3);
      break;
    case TGlyph::Custom:
      // A small window with its docking edge: the palette's own command.
      c.Pen().Width = 1;
      c.Rectangle(l, t, r, b);
      c.Brush().Style = bsSolid;
      c.Brush().Color = color;
      c.FillRect(TRect{l, b - 3, r, b});
      break;
    case TGlyph::Back:
    case TGlyph::Forward: {
      // An arrow head: the history's way back or forward.
      c.Pen().Width = 1;
      c.Brush().Style = bsSolid;
      c.Brush().Color = color;
      const int m = (t + b) / 2, h = (b - t) / 2;
      if (g == TGlyph::Back)
        c.Polygon({TPoint{r - h / 2, t}, TPoint{r - h / 2, b}, TPoint{l + h / 2, m}});
      else
        c.Polygon({TPoint{l + h / 2, t}, TPoint{l + h / 2, b}, TPoint{r - h / 2 + 1, m}});
      break;
    }
  }
}

// A strip of four frames (normal, hot, pressed, inactive window) of a
// round-cornered button. Transparent buttons stand on the key colour;
// opaque ones on the caption rows they cover (from row top).
void ButtonStrip(const std::string& name, int size, TGlyph glyph, bool close, bool transparent, const TShade& ground,
                 int captionHeight, int top) {
  TBitmap b(size * 4, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size * 4; ++x)
      b.SetPixel(x, y, transparent ? kKey : CaptionRow(ground, y + top, captionHeight));
  const TColor faces[4] = {close ? RGB(196, 66, 52) : RGB(64, 104, 166), close ? RGB(232, 100, 82) : RGB(98, 142, 206),
                           close ? RGB(140, 38, 28) : RGB(34, 62, 110), RGB(138, 146, 158)};
  TCanvas& c = b.Canvas();
  const int round = size >= 19 ? 7 : 5;
  for (int f = 0; f < 4; ++f) {
    const int x0 = f * size;
    c.Pen().Width = 1;
    c.Pen().Color = f == 3 ? RGB(92, 98, 108) : RGB(16, 28, 56);
    c.Brush().Style = bsSolid;
    c.Brush().Color = faces[f];
    c.RoundRect(x0, 0, x0 + size, size, round, round);
    // A light upper half gives the face its curve.
    c.Pen().Color = Mix(faces[f], clWhite, 2, 5);
    c.MoveTo(x0 + round / 2, 1), c.LineTo(x0 + size - round / 2, 1);
    const int shift = f == 2 ? 1 : 0;  // pressed: the glyph sinks
    DrawGlyph(c, glyph, x0 + shift, shift, size, f == 3 ? RGB(226, 228, 232) : clWhite);
  }
  Save(name, b);
}

// The program's icon, 16 x 16: a quaver on a leaf of music paper with
// rounded corners (key colour outside them).
void ProgramIcon(const std::string& name) {
  TBitmap b(16, 16);
  TCanvas& c = b.Canvas();
  c.Brush().Style = bsSolid;
  c.Brush().Color = kKey;
  c.FillRect(TRect{0, 0, 16, 16});
  c.Pen().Width = 1;
  c.Pen().Color = RGB(70, 58, 36);
  c.Brush().Color = RGB(252, 247, 230);
  c.RoundRect(0, 0, 16, 16, 6, 6);
  // Two staff lines behind the note.
  for (int y : {5, 10})
    for (int x = 2; x < 14; ++x) b.SetPixel(x, y, RGB(196, 184, 156));
  c.Pen().Color = RGB(24, 24, 32);
  c.Brush().Color = RGB(24, 24, 32);
  c.Ellipse(3, 9, 9, 14);   // head
  c.FillRect(TRect{8, 2, 9, 12});  // stem
  c.MoveTo(9, 3), c.LineTo(12, 6), c.LineTo(12, 9);  // flag
  c.MoveTo(9, 4), c.LineTo(11, 6), c.LineTo(11, 8);
  Save(name, b);
}

void Borders(const std::string& skin, int width, int sideLen, int topLen, const TShade& s, const std::string& prefix) {
  VerticalEdge(skin + "-" + prefix + "Left", width, sideLen, s, false);
  VerticalEdge(skin + "-" + prefix + "Right", width, sideLen, s, true);
  BottomEdge(skin + "-" + prefix + "Bottom", sideLen, width, s);
  if (topLen > 0) {
    VerticalEdge(skin + "-" + prefix + "LeftTop", width, topLen, s, false);
    VerticalEdge(skin + "-" + prefix + "RightTop", width, topLen, s, true);
    BottomCorner(skin + "-" + prefix + "LeftBottom", width, width, s, false);
    BottomCorner(skin + "-" + prefix + "RightBottom", width, width, s, true);
  }
}

// The border of the main window is the caption's blue, a little greyer
// when the window is inactive, so that its corners (which have no
// inactive pictures) still match the edges.
constexpr TShade kMainInactive{RGB(104, 126, 160), RGB(62, 80, 110), RGB(170, 186, 210), RGB(40, 52, 74)};

void DrawAll() {
  // Kind 0, ordinary dialogs: caption 24, borders 7, a close button.
  CaptionLeft("Normal-CaptionLeft", 76, 24, kActive);
  CaptionCenter("Normal-CaptionCenter", 8, 24, kActive);
  CaptionRight("Normal-CaptionRight", 70, 24, kActive, 26);
  CaptionLeft("Normal-DeCaptionLeft", 76, 24, kInactive);
  CaptionCenter("Normal-DeCaptionCenter", 8, 24, kInactive);
  CaptionRight("Normal-DeCaptionRight", 70, 24, kInactive, 26);
  CaptionRight("Normal-CaptionMinRight", 58, 24, kActive, 26);
  Borders("Normal", 7, 4, 4, kActive, "");
  Borders("Normal", 7, 4, 4, kInactive, "De");
  ButtonStrip("Normal-Close", 19, TGlyph::Close, true, true, kActive, 24, 3);

  // Kind 1, the main window: caption 29, borders 9, four buttons.
  CaptionLeft("Main-CaptionLeft", 100, 29, kActive);
  CaptionCenter("Main-CaptionCenter", 8, 29, kActive);
  CaptionRight("Main-CaptionRight", 94, 29, kActive, 68);
  CaptionRight("Main-CaptionMinRight", 58, 24, kActive, 0);
  VerticalEdge("Main-Left", 9, 8, kActive, false);
  VerticalEdge("Main-Right", 9, 8, kActive, true);
  BottomEdge("Main-Bottom", 8, 9, kActive);
  VerticalEdge("Main-LeftTop", 9, 6, kActive, false);
  VerticalEdge("Main-RightTop", 9, 6, kActive, true);
  BottomCorner("Main-LeftBottom", 9, 9, kActive, false);
  BottomCorner("Main-RightBottom", 9, 9, kActive, true);
  VerticalEdge("Main-DeLeft", 9, 4, kMainInactive, false);
  VerticalEdge("Main-DeRight", 9, 4, kMainInactive, true);
  BottomEdge("Main-DeBottom", 4, 9, kMainInactive);
  VerticalEdge("Main-DeRightTop", 9, 4, kMainInactive, true);
  ButtonStrip("Main-Close", 19, TGlyph::Close, true, true, kActive, 29, 5);
  ButtonStrip("Main-Minimize", 19, TGlyph::Minimize, false, true, kActive, 29, 5);
  ButtonStrip("Main-Maximize", 19, TGlyph::Maximize, false, true, kActive, 29, 5);
  ButtonStrip("Main-Restore", 19, TGlyph::Restore, false, true, kActive, 29, 5);

  ProgramIcon("Program-Icon");

  // Kind 2, small windows: caption 17, borders 2; the close button is
  // drawn opaque on the caption.
  CaptionLeft("Small-CaptionLeft", 10, 17, kActive);
  CaptionCenter("Small-CaptionCenter", 8, 17, kActive);
  CaptionRight("Small-CaptionRight", 20, 17, kActive, 0);
  CaptionRight("Small-DeCaptionRight", 16, 17, kActive, 0);
  VerticalEdge("Small-Left", 2, 8, kActive, false);
  VerticalEdge("Small-Right", 2, 8, kActive, true);
  BottomEdge("Small-Bottom", 8, 2, kActive);
  ButtonStrip("Small-Close", 14, TGlyph::Close, true, false, kActive, 17, 1);
  // The Helper's history buttons.
  ButtonStrip("Small-Back", 14, TGlyph::Back, false, false, kActive, 17, 1);
  ButtonStrip("Small-Forward", 14, TGlyph::Forward, false, false, kActive, 17, 1);

  // Kind 3, tool windows: a black caption and a button of the window's own.
  CaptionLeft("Tools-CaptionLeft", 10, 17, kTools);
  CaptionCenter("Tools-CaptionCenter", 8, 17, kTools);
  CaptionRight("Tools-CaptionRight", 10, 17, kTools, 0);
  CaptionRight("Tools-DeCaptionRight", 16, 17, kTools, 0);
  ButtonStrip("Tools-Close", 14, TGlyph::Close, true, false, kTools, 17, 1);
  ButtonStrip("Tools-Custom", 14, TGlyph::Custom, false, false, kTools, 17, 1);
  // Kind 4 uses the caption and button of kind 0 and the border of kind 2.
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: skinart OUTDIR\n");
    return 2;
  }
  g_outDir = argv[1];
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  try {
    EnsureGuiApplication();
    std::filesystem::create_directories(g_outDir);
    DrawAll();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "skinart: %s\n", e.what());
    return 1;
  }
  return 0;
}
