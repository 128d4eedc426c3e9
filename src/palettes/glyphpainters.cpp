#include "palettes/glyphpainters.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/fonts.h"
#include "platform/imagedecode.h"
#include "platform/musicglyphs.h"
#include "score/pageobjects.h"
#include "uikit/charbutton.h"
#include "uikit/names.h"
#include "uikit/toolfaces.h"

namespace qs {

namespace {

// Each byte of text is one character of the font.
std::u16string GlyphText(const TFont& font, const std::string& text) {
  std::u16string out;
  for (char c : text) out += FontGlyphText(font.Name, static_cast<uint8_t>(c));
  return out;
}

TColor Ink(bool grey) { return grey ? toolface::kGrey : clBlack; }

void StaffLines(TCanvas& c, const TRect& r, int firstLine, bool grey) {
  c.Pen().Style = psSolid;
  c.Pen().Width = 1;
  c.Pen().Color = Ink(grey);
  for (int i = 0; i < 5; ++i) {
    c.MoveTo(r.Left + 1, firstLine + 6 * i);
    c.LineTo(r.Right - 1, firstLine + 6 * i);
  }
}

void UseMusicFont(TCanvas& c, bool grey, int points = 16) {
  c.Font() = TFont{};
  c.Font().Name = MusicFontName;
  c.Font().SetSize(points);
  c.Font().Color = Ink(grey);
}

void UseArial(TCanvas& c, bool grey, int points, TFontStyles style) {
  c.Font() = TFont{};
  c.Font().Name = "Arial";
  c.Font().SetSize(points);
  c.Font().Style = style;
  c.Font().Color = Ink(grey);
}

void Text(TCanvas& c, int x, int y, const std::string& text) {
  c.Brush().Style = bsClear;
  c.TextOut(x, y, text);
}

void Bar(TCanvas& c, const TRect& r, int left, int top, int right, int bottom, bool grey) {
  c.Brush() = TBrush{};
  c.Brush().Color = Ink(grey);
  c.FillRect(TRect{r.Left + left, r.Top + top, r.Left + right, r.Top + bottom});
}

}  // namespace

void DrawGlyphText(TCanvas& canvas, int x, int baseline, uint8_t quality, const std::string& text) {
  const TFont saved = canvas.Font();
  TFont font = saved;
  font.Width = 0;
  font.Charset = 1;
  font.Quality = quality;
  canvas.Font() = font;
  const int ascent = canvas.GetTextMetrics().Ascent;
  const TBrushStyle brush = canvas.Brush().Style;
  canvas.Brush().Style = bsClear;
  canvas.TextOut(x, baseline - ascent, std::u16string_view(GlyphText(font, text)));
  canvas.Brush().Style = brush;
  canvas.Font() = saved;
}

void DrawClef(TCanvas& canvas, const TRect& r, bool grey, int clef) {
  const int level = canvas.SaveDC();
  StaffLines(canvas, r, r.Top + 13, grey);
  const char g = glyphs::GClef, f = glyphs::FClef, cClef = glyphs::CClef;
  auto glyph = [&](char code, int baseline, int dx = 3) {
    UseMusicFont(canvas, grey);
    DrawGlyphText(canvas, r.Left + dx, r.Top + baseline, 4, std::string(1, code));
  };
  auto eight = [&](int x, int y) {
    UseArial(canvas, grey, 8, fsItalic);
    Text(canvas, r.Left + x, r.Top + y, "8");
  };
  switch (clef) {
    case 1: glyph(g, 36); break;
    case 2: glyph(f, 19); break;
    case 3: glyph(cClef, 25); break;
    case 4: glyph(g, 36), eight(15, 4); break;
    case 5: glyph(g, 36), eight(15, 38); break;
    case 6: glyph(f, 19), eight(15, 34); break;
    case 7: glyph(f, 25); break;
    case 8: glyph(cClef, 19); break;
    case 9: glyph(cClef, 36); break;
    case 10: glyph(cClef, 30); break;
    case 11: glyph(cClef, 13); break;
    case 12: glyph(g, 36, 2), glyph(g, 36, 9); break;
    case 13:
      UseArial(canvas, grey, 8, fsBold);
      Text(canvas, r.Left + 3, r.Top + 7, "T");
      Text(canvas, r.Left + 3, r.Top + 18, "A");
      Text(canvas, r.Left + 3, r.Top + 29, "B");
      break;
    case 14:
      Bar(canvas, r, 5, 16, 11, 18, grey);
      Bar(canvas, r, 5, 16, 6, 35, grey);
      Bar(canvas, r, 5, 33, 11, 35, grey);
      Bar(canvas, r, 10, 16, 11, 35, grey);
      break;
    case 15:
      Bar(canvas, r, 5, 20, 7, 32, grey);
      Bar(canvas, r, 9, 20, 11, 32, grey);
      break;
    default: break;
  }
  canvas.RestoreDC(level);
}

void DrawKeySignature(TCanvas& canvas, const TRect& r, bool grey, int yShift, int mode, int key) {
  const int level = canvas.SaveDC();
  const int first = yShift + (r.Height() - 24) / 2;
  StaffLines(canvas, r, first, grey);
  UseArial(canvas, grey, 8, fsItalic);
  const std::string name = KeyName(mode, key);
  // Centred for a face at the canvas origin.
  Text(canvas, (r.Right - r.Left - canvas.TextWidth(name)) / 2, first + 24, name);
  static constexpr std::array<int, 7> kSharps = {0, 9, -3, 6, 15, 3, 12};
  static constexpr std::array<int, 7> kFlats = {12, 3, 15, 6, 18, 9, 21};
  const bool sharps = key >= 1 && key <= 7, flats = key >= 11 && key <= 17;
  if (sharps || flats) {
    UseMusicFont(canvas, grey);
    const int count = sharps ? key : key - 10;
    for (int i = 0; i < count; ++i)
      DrawGlyphText(canvas, r.Left + 3 + 5 * i,
                    first + (sharps ? kSharps : kFlats)[static_cast<size_t>(i)], 4,
                    std::string(1, static_cast<char>(sharps ? glyphs::AccidentalSharp : glyphs::AccidentalFlat)));
  }
  canvas.RestoreDC(level);
}

bool HasCommonTimeFace(int size) {
  const int count = (size >> 8) & 0xFF, unit = size & 0xFF;
  return (count == 1 && unit == 1) || (count == 2 && unit == 2) || (count == 4 && unit == 4);
}

bool HasCutTimeFace(int size) {
  const int count = (size >> 8) & 0xFF, unit = size & 0xFF;
  return HasCommonTimeFace(size) || (count == 1 && unit == 2) || (count == 2 && unit == 4);
}

void DrawTimeSignature(TCanvas& canvas, const TRect& r, bool grey, int style, int size) {
  const int level = canvas.SaveDC();
  StaffLines(canvas, r, r.Top + 13, grey);
  const int count = (size >> 8) & 0xFF, unit = size & 0xFF;
  if ((style == 1 && HasCommonTimeFace(size)) || (style == 2 && HasCutTimeFace(size))) {
    UseMusicFont(canvas, grey);
    canvas.Brush().Style = bsClear;
    canvas.TextOut(r.Left + 2, r.Top - 8, std::u16string_view(GlyphText(canvas.Font(), std::string(1, static_cast<char>(style == 1 ? glyphs::TimeSigCommon : glyphs::TimeSigCutCommon)))));
  } else {
    UseArial(canvas, grey, 11, fsBold);
    const std::string top = std::to_string(count), bottom = std::to_string(unit);
    const int middle = (r.Left + r.Right) / 2;
    Text(canvas, middle - canvas.TextWidth(top) / 2, r.Top + 11, top);
    Text(canvas, middle - canvas.TextWidth(bottom) / 2, r.Top + 23, bottom);
  }
  canvas.RestoreDC(level);
}

void DrawAccolade(TCanvas& canvas, const TRect& r, bool grey, int kind) {
  const int level = canvas.SaveDC();
  canvas.Pen().Style = psSolid;
  canvas.Pen().Width = 1;
  canvas.Pen().Color = Ink(grey);
  canvas.Brush() = TBrush{};
  canvas.Brush().Color = Ink(grey);
  const int x = r.Left, top = r.Top, bottom = r.Bottom;
  switch (kind) {
    case 0: {
      UseMusicFont(canvas, grey);
      canvas.Font().Height = 2 * (r.Height() - 4);
      DrawGlyphText(canvas, x + 4, (r.Top + r.Bottom) / 2 + 1, 4, std::string(1, static_cast<char>(glyphs::Brace)));
      break;
    }
    case 1:
      canvas.Polygon({TPoint{x + 11, top + 2}, TPoint{x + 5, top + 4}, TPoint{x + 5, bottom - 4},
                      TPoint{x + 11, bottom - 2}, TPoint{x + 7, bottom - 4}, TPoint{x + 7, top + 4}});
      break;
    case 2:
      canvas.Polygon({TPoint{x + 11, top + 4}, TPoint{x + 7, top + 4}, TPoint{x + 7, bottom - 4},
                      TPoint{x + 11, bottom - 4}, TPoint{x + 7, bottom - 4}, TPoint{x + 7, top + 4}});
      break;
    default: break;
  }
  canvas.RestoreDC(level);
}

}  // namespace qs

// ----------------------------------------------------------- user symbols

namespace qs {

namespace {

TColor ItemColour(uint32_t stored, bool grey) { return grey ? toolface::kGrey : static_cast<TColor>(stored); }

TPoint ScalePoint(int x, int y, int percent) { return {x * percent / 100 / 8, y * percent / 100 / 8}; }

// The shape at end e of a line coming from o: an arrowhead, a dot or a
// diamond, 10 pixels long and 6 wide.
void LineEnd(TCanvas& c, TQSLineEnd shape, TPoint e, TPoint o) {
  if (shape != TQSLineEnd::Arrow && shape != TQSLineEnd::Dot && shape != TQSLineEnd::Diamond) return;
  const double dx = o.X - e.X, dy = o.Y - e.Y;
  const double a = dx == 0 ? M_PI / 2 : std::atan(std::fabs(dy / dx));
  const double cs = std::cos(a), sn = std::sin(a);
  const int sx = o.X >= e.X ? 1 : -1, sy = o.Y >= e.Y ? 1 : -1;
  auto at = [&](double x, double y) {
    return TPoint{e.X + sx * static_cast<int>(std::lround(x)), e.Y + sy * static_cast<int>(std::lround(y))};
  };
  switch (shape) {
    case TQSLineEnd::Arrow:
      c.Polygon({at(0, 0), at(10 * cs + 3 * sn, 10 * sn - 3 * cs), at(10 * cs - 3 * sn, 10 * sn + 3 * cs)});
      break;
    case TQSLineEnd::Dot: {
      const TPoint p1 = at(-3 * sn, -3 * cs), p2 = at(6 * cs + 3 * sn, 6 * sn + 3 * cs);
      c.Ellipse(std::min(p1.X, p2.X), std::min(p1.Y, p2.Y), std::max(p1.X, p2.X), std::max(p1.Y, p2.Y));
      break;
    }
    default:
      c.Polygon({at(0, 0), at(5 * cs + 3 * sn, 5 * sn - 3 * cs), at(10 * cs, 10 * sn), at(5 * cs - 3 * sn, 5 * sn + 3 * cs)});
      break;
  }
}

void SymbolText(TCanvas& c, const TQSText& t, bool grey, int percent) {
  const auto& f = t.Fields;
  const TPoint p = ScalePoint(f.X, f.Y, percent);
  c.Font() = TFont{};
  c.Font().Name = t.FontName.empty() ? "Arial" : t.FontName;
  c.Font().SetSize(std::max(1, (f.FontSize ? f.FontSize : 8) * percent / 100));
  c.Font().Style = static_cast<TFontStyles>((f.FontStyle & fontstyle::Bold ? fsBold : 0) |
                                            (f.FontStyle & fontstyle::Italic ? fsItalic : 0) |
                                            (f.FontStyle & fontstyle::Underline ? fsUnderline : 0) |
                                            (f.FontStyle & fontstyle::StrikeOut ? fsStrikeOut : 0));
  c.Font().Color = ItemColour(f.Color, grey);
  c.Font().Escapement = c.Font().Orientation = f.Angle * 10;
  c.Brush().Style = bsClear;
  const int height = c.TextHeight("A");
  const int align = (f.Align >> 4) & 3;
  for (size_t i = 0; i < t.Lines.size(); ++i) {
    const int width = c.TextWidth(t.Lines[i]);
    const int dx = align == 1 ? -width / 2 : align == 2 ? -width : 0;
    const int dy = height * static_cast<int>(i);
    const TPoint q = f.Angle ? RotatePoint({dx, dy}, f.Angle) : TPoint{dx, dy};
    c.TextOut(p.X + q.X, p.Y + q.Y, t.Lines[i]);
  }
  c.Font() = TFont{};
}

}  // namespace

TRect ScaleRectToPixels(const TRect& r, int percent) {
  auto s = [percent](int v) { return v * percent / 100 / 8; };
  return {s(r.Left), s(r.Top), s(r.Right), s(r.Bottom)};
}

TPoint RotatePoint(TPoint p, double angle) {
  const double a = angle * M_PI / 180, cs = std::cos(a), sn = std::sin(a);
  return {static_cast<int>(std::lround(p.X * cs + p.Y * sn)), static_cast<int>(std::lround(-p.X * sn + p.Y * cs))};
}

void DrawSymbolItems(TCanvas& c, const TQSUserSymbol& symbol, bool grey, int percent) {
  const int level = c.SaveDC();
  for (const TQSItem* item : symbol.Items) {
    c.Pen() = TPen{};
    c.Brush() = TBrush{};
    switch (item->ItemType) {
      case kind::Text: SymbolText(c, static_cast<const TQSText&>(*item), grey, percent); break;
      case kind::Image: {
        const auto& image = static_cast<const TQSImage&>(*item);
        TBitmap picture;
        if (image.Picture.Empty() || !LoadBitmapFromBytes(picture, image.Picture.Data())) break;
        const auto& f = image.Fields;
        TRect box = ScaleRectToPixels({f.X, f.Y, f.X + f.Width, f.Y + f.Height}, percent);
        if (f.Flags & TQSImage::kStretch) {
          c.StretchDraw(box, picture);
        } else if (f.Flags & TQSImage::kCenter) {
          c.Draw((box.Left + box.Right - picture.Width()) / 2, (box.Top + box.Bottom - picture.Height()) / 2, picture);
        } else {
          c.Draw(box.Left, box.Top, picture);
        }
        break;
      }
      case kind::Line: {
        const auto& line = static_cast<const TQSLine&>(*item);
        const auto& f = line.Fields;
        const TPoint a = ScalePoint(f.X1, f.Y1, percent), b = ScalePoint(f.X2, f.Y2, percent);
        c.Pen().Color = grey ? toolface::kGrey : clBlack;
        c.Pen().Width = std::max<int>(1, f.LineWidth);
        c.Pen().Style = static_cast<TPenStyle>(f.PenStyle);
        c.MoveTo(a.X, a.Y);
        c.LineTo(b.X, b.Y);
        c.Pen().Width = 1;
        c.Pen().Style = psSolid;
        if (f.Ends) {
          c.Pen().Color = c.Brush().Color = ItemColour(f.Color, grey);
          c.Brush().Style = bsSolid;
          LineEnd(c, line.StartShape(), a, b);
          LineEnd(c, line.EndShape(), b, a);
        }
        break;
      }
      case kind::Rectangle:
      case kind::Ellipse: {
        const auto& f = static_cast<const TQSRectangle&>(*item).Fields;
        const TRect box = ScaleRectToPixels({f.X, f.Y, f.X + f.Width, f.Y + f.Height}, percent);
        c.Pen().Color = ItemColour(f.LineColor, grey);
        c.Pen().Style = static_cast<TPenStyle>(f.PenStyle);
        c.Brush().Color = ItemColour(f.FillColor, grey);
        c.Brush().Style = static_cast<TBrushStyle>(f.FillStyle);
        if (item->ItemType == kind::Rectangle) c.Rectangle(box);
        else c.Ellipse(box);
        break;
      }
      case kind::Arc:
      case kind::Pie:
      case kind::ChordSegment: {
        const auto& f = static_cast<const TQSArc&>(*item).Fields;
        const TRect box = ScaleRectToPixels({f.X, f.Y, f.X + f.Width, f.Y + f.Height}, percent);
        const TPoint a = ScalePoint(f.AX, f.AY, percent), b = ScalePoint(f.BX, f.BY, percent);
        c.Pen().Color = ItemColour(f.LineColor, grey);
        c.Pen().Style = static_cast<TPenStyle>(f.PenStyle);
        c.Brush().Color = ItemColour(f.FillColor, grey);
        c.Brush().Style = static_cast<TBrushStyle>(f.FillStyle);
        if (item->ItemType == kind::Arc) c.Arc(box.Left, box.Top, box.Right, box.Bottom, a.X, a.Y, b.X, b.Y);
        else if (item->ItemType == kind::Pie) c.Pie(box.Left, box.Top, box.Right, box.Bottom, a.X, a.Y, b.X, b.Y);
        else c.Chord(box.Left, box.Top, box.Right, box.Bottom, a.X, a.Y, b.X, b.Y);
        break;
      }
      default: break;
    }
  }
  c.RestoreDC(level);
}

// ------------------------------------------------ join and alignment styles

namespace {

// Eighth notes on a 24-pixel face: heads at the bottom, stems up, joined
// in groups of the sizes given (a group of one gets its flag).
void BeamedNotes(TCanvas& c, const TRect& r, TColor ink, std::initializer_list<int> groups) {
  c.Pen().Color = ink;
  c.Pen().Width = 1;
  c.Brush().Color = ink;
  c.Brush().Style = bsSolid;
  int x = r.Left + 3;
  for (int size : groups) {
    const int first = x;
    for (int i = 0; i < size; ++i, x += 5) {
      c.Ellipse(x - 2, r.Top + 17, x + 2, r.Top + 21);
      c.MoveTo(x + 1, r.Top + 19);
      c.LineTo(x + 1, r.Top + 4);
    }
    if (size == 1) {
      c.MoveTo(first + 1, r.Top + 4);
      c.LineTo(first + 4, r.Top + 9);
    } else {
      c.FillRect(TRect{first + 1, r.Top + 4, x - 4 + 1 + 1, r.Top + 6});
    }
    x += 2;
  }
}

void CrossOut(TCanvas& c, const TRect& r, TColor ink) {
  c.Pen().Color = ink;
  c.Pen().Width = 2;
  c.MoveTo(r.Left + 6, r.Top + 6);
  c.LineTo(r.Right - 6, r.Bottom - 6);
  c.MoveTo(r.Right - 6, r.Top + 6);
  c.LineTo(r.Left + 6, r.Bottom - 6);
  c.Pen().Width = 1;
}

}  // namespace

void DrawBarUnionStyle(const TECCharButton& button, TCanvas& c, bool active, int style, const TRect& rect) {
  toolface::Raised(button, rect, [&](const TRect& r, TColor ink) {
    const int level = c.SaveDC();
    switch (style) {
      case 0: BeamedNotes(c, r, ink, {1, 1, 1}); break;
      case 1: BeamedNotes(c, r, ink, {4}); break;
      case 2: BeamedNotes(c, r, ink, {2, 2}); break;
      default:
        BeamedNotes(c, TRect{r.Left + 8, r.Top, r.Right, r.Bottom}, ink, {3});
        c.Font() = TFont{};
        c.Font().Name = "Arial";
        c.Font().SetSize(9);
        c.Font().Style = fsBold;
        c.Font().Color = ink;
        c.Brush().Style = bsClear;
        c.TextOut(r.Left + 2, r.Top + 5, std::to_string(style - 1));
        break;
    }
    if (!active) CrossOut(c, r, ink == clBlack ? TColor(RGB(255, 0, 0)) : ink);
    c.RestoreDC(level);
  });
}

void DrawAlignMeasureStyle(const TECCharButton& button, TCanvas& c, bool active, int style, const TRect& rect) {
  toolface::Raised(button, rect, [&](const TRect& r, TColor ink) {
    const int level = c.SaveDC();
    c.Pen().Color = ink;
    c.Pen().Width = 1;
    // Two rows of barlines: the same places (evenly), widths that grow
    // with the content (proportionally), or each row its own (positional).
    static constexpr int kEven[] = {2, 9, 16, 23}, kProportional[] = {2, 6, 13, 23}, kOwn[] = {2, 11, 15, 23};
    const int* top = style == 0 ? kEven : kProportional;
    const int* bottom = style == 0 ? kEven : style == 1 ? kProportional : kOwn;
    for (int i = 0; i < 4; ++i) {
      c.MoveTo(r.Left + top[i] - 1, r.Top + 3);
      c.LineTo(r.Left + top[i] - 1, r.Top + 11);
      c.MoveTo(r.Left + bottom[i] - 1, r.Top + 13);
      c.LineTo(r.Left + bottom[i] - 1, r.Top + 21);
    }
    c.MoveTo(r.Left + 1, r.Top + 7);
    c.LineTo(r.Left + 23, r.Top + 7);
    c.MoveTo(r.Left + 1, r.Top + 17);
    c.LineTo(r.Left + 23, r.Top + 17);
    if (!active) CrossOut(c, r, ink == clBlack ? TColor(RGB(255, 0, 0)) : ink);
    c.RestoreDC(level);
  });
}

}  // namespace qs
