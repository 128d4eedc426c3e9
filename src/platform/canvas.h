#pragma once
// The plain drawing canvas: integer device coordinates, a pen, a brush and a
// font that the drawing calls read when they run, as the program's painting
// code expects of a device context.
//
// Edge rules: a shape given by a bounding rectangle (Rectangle, Ellipse,
// RoundRect, Arc, Pie, Chord) covers the pixels from Left to Right - 1 and
// Top to Bottom - 1 with a one-pixel pen; without a pen (psClear) its fill
// leaves out one more column and row. FillRect covers Left..Right - 1 and
// Top..Bottom - 1. A one-pixel line leaves out its last pixel, so a polyline
// touches each pixel once and a closed outline is exactly the ring through
// its corner pixels; wider pens are centred on those pixels, with round
// ends.
//
// The canvas only keeps state; each drawing call is handed, with the state
// it resolved, to a drawing device (a raster image, a recording, nothing).
#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/geometry.h"

namespace qs {

class TBitmap;
class TDrawDevice;

// A colour value $00BBGGRR: red in the low byte.
using TColor = uint32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clGray = 0x808080;
constexpr uint8_t GetRValue(TColor c) { return c & 0xFF; }
constexpr uint8_t GetGValue(TColor c) { return (c >> 8) & 0xFF; }
constexpr uint8_t GetBValue(TColor c) { return (c >> 16) & 0xFF; }
constexpr TColor RGB(uint8_t r, uint8_t g, uint8_t b) {
  return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}

// Pen styles in their stored order (line and shape styles in score files
// are these ordinals). Styled pens (dash to dash-dot-dot) draw one pixel
// wide whatever the width; psInsideFrame draws as psSolid.
enum TPenStyle : uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
// pmXor combines the pen and brush colour with the pixels, so drawing the
// same figure twice restores them (overlays on an image).
enum TPenMode : uint8_t { pmCopy, pmXor };
// Brush styles in their stored order: fill style byte 0 solid, 1 none, 2..7
// the six hatches.
enum TBrushStyle : uint8_t {
  bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross
};

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;

struct TPen {
  TColor Color = clBlack;
  int Width = 1;
  TPenStyle Style = psSolid;
  TPenMode Mode = pmCopy;
  bool operator==(const TPen&) const = default;
};

// An 8 x 8 pattern repeated from the device's origin (row-major).
struct TBrushPattern {
  std::array<TColor, 64> Pixels{};
  bool operator==(const TBrushPattern&) const = default;
};

// A solid brush also makes text and the gaps of styled lines opaque in its
// colour; any other brush leaves them transparent.
struct TBrush {
  TColor Color = clWhite;
  TBrushStyle Style = bsSolid;
  // When set, fills use this pattern instead of the style.
  std::shared_ptr<const TBrushPattern> Bitmap;
  bool operator==(const TBrush& o) const {
    return Color == o.Color && Style == o.Style &&
           (Bitmap == o.Bitmap || (Bitmap && o.Bitmap && *Bitmap == *o.Bitmap));
  }
};

// A logical font. Height is in device pixels: negative for the character
// (em) height, positive for the cell height, 0 for the default of 12 pixels
// em. Size is in points and converts through PixelsPerInch.
struct TFont {
  std::string Name = "MS Sans Serif";
  int Height = -11;
  int Width = 0;  // average character width in pixels; 0 keeps the proportions
  TFontStyles Style = 0;
  TColor Color = clBlack;
  uint8_t Quality = 0;   // 0 default, 4 antialiased
  int Escapement = 0;    // tenths of a degree, counter-clockwise
  int Orientation = 0;
  uint8_t Charset = 1;
  int PixelsPerInch = 96;

  // Size in points: -Height x 72 / PixelsPerInch; setting it sets Height to
  // -MulDiv(points, PixelsPerInch, 72).
  int Size() const;
  void SetSize(int points);
  bool Bold() const { return Style & fsBold; }
  bool Italic() const { return Style & fsItalic; }
  bool operator==(const TFont&) const = default;
};

struct TTextMetric {
  int Height = 0;  // the cell height: Ascent + Descent
  int Ascent = 0;
  int Descent = 0;
  int InternalLeading = 0;
  int AveCharWidth = 0;
  bool operator==(const TTextMetric&) const = default;
};

// ExtTextOut options.
enum : int { etoOpaque = 2, etoClipped = 4 };

// One drawing call with everything it resolved. Coordinates are logical,
// as the caller gave them; Origin is the viewport origin in force, so the
// device position is the logical position plus Origin.
enum class TCanvasOpKind : uint8_t {
  Line,        // Points: from, to (LineTo)
  Polyline,    // Points
  Polygon,     // Points
  PolyBezier,  // Points: start, then three per curve
  Rectangle,   // Rect
  RoundRect,   // Rect, Corner
  Ellipse,     // Rect
  Arc,         // Rect, Points: the two radial points
  Pie,
  Chord,
  FillRect,    // Rect
  Text,        // Points[0]: top-left; Text; Options, Rect when HasRect
  DrawBitmap,  // Points[0]; Bitmap
  StretchBitmap  // Rect; Bitmap
};

struct TCanvasOp {
  TCanvasOpKind Kind = TCanvasOpKind::Line;
  std::vector<TPoint> Points;
  TRect Rect;
  TSize Corner;
  std::u16string Text;
  int Options = 0;
  bool HasRect = false;
  const TBitmap* Bitmap = nullptr;  // valid only while the call runs
  TPen Pen;
  TBrush Brush;
  TFont Font;  // set for Text
  TPoint Origin;
  bool Clipped = false;
  TRect Clip;  // device coordinates, when Clipped
  bool operator==(const TCanvasOp&) const = default;
};

class TCanvas {
 public:
  explicit TCanvas(std::shared_ptr<TDrawDevice> device);
  ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  TPen& Pen() { return pen_; }
  TBrush& Brush() { return brush_; }
  TFont& Font() { return font_; }
  const TPen& Pen() const { return pen_; }
  const TBrush& Brush() const { return brush_; }
  const TFont& Font() const { return font_; }
  // Text output options of ExtTextOut calls that pass the canvas's flags.
  int TextFlags = 0;

  // Device resolution (pixels per logical inch).
  int PixelsPerInch() const;
  int PixelsPerInchX() const;
  TDrawDevice& Device() const { return *device_; }
  const std::shared_ptr<TDrawDevice>& DevicePtr() const { return device_; }

  // Current position.
  TPoint PenPos() const { return penPos_; }
  void MoveTo(int x, int y);
  void LineTo(int x, int y);

  void Polyline(std::span<const TPoint> points);
  void Polyline(std::initializer_list<TPoint> points) { Polyline(std::span(points.begin(), points.size())); }
  void Polygon(std::span<const TPoint> points);
  void Polygon(std::initializer_list<TPoint> points) { Polygon(std::span(points.begin(), points.size())); }
  // One start point and three points per cubic curve.
  void PolyBezier(std::span<const TPoint> points);
  void PolyBezier(std::initializer_list<TPoint> points) { PolyBezier(std::span(points.begin(), points.size())); }

  void Rectangle(int left, int top, int right, int bottom);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  // Corners are quarter ellipses of cornerWidth x cornerHeight.
  void RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);
  void Ellipse(int left, int top, int right, int bottom);
  void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  // The part of the ellipse in the box counter-clockwise from the ray
  // through (x1, y1) to the ray through (x2, y2); equal rays give the whole
  // ellipse. Pie closes through the centre, Chord with a straight line.
  void Arc(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2);
  void Pie(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2);
  void Chord(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2);
  // The brush alone, whatever the pen.
  void FillRect(const TRect& r);

  // Text with its cell's top-left at (x, y); moves the current position to
  // the end of the text. The background is filled when the brush is solid.
  void TextOut(int x, int y, std::u16string_view text);
  void TextOut(int x, int y, std::string_view utf8);
  // Options etoOpaque (fill rect with the brush colour) and etoClipped
  // (clip the text to rect); rect may be null.
  void ExtTextOut(int x, int y, int options, const TRect* rect, std::u16string_view text);

  int TextWidth(std::u16string_view text) const;
  int TextWidth(std::string_view utf8) const;
  // The cell height of the font (the same for every text).
  int TextHeight(std::u16string_view text) const;
  int TextHeight(std::string_view utf8) const;
  TSize TextExtent(std::u16string_view text) const;
  TTextMetric GetTextMetrics() const;

  // Bitmaps: at their size, or stretched into a rectangle. A transparent
  // bitmap leaves the pixels of its transparent colour out.
  void Draw(int x, int y, const TBitmap& bitmap);
  void StretchDraw(const TRect& r, const TBitmap& bitmap);

  // Saves pen, brush, font, position, origin, clip and text flags; returns
  // the level to give RestoreDC (or -1 for the last one saved).
  int SaveDC();
  void RestoreDC(int level);

  // Logical (0, 0) lands on device pixel origin.
  void SetViewportOrg(int x, int y);
  TPoint ViewportOrg() const { return origin_; }
  // Narrows the clip region to a rectangle in logical coordinates.
  void IntersectClipRect(const TRect& r);
  void ResetClip();
  bool HasClip() const { return clipped_; }
  // Device coordinates.
  TRect ClipRect() const { return clip_; }

 private:
  struct TSaved;
  TCanvasOp MakeOp(TCanvasOpKind kind) const;
  void Emit(TCanvasOp&& op);
  void Shape(TCanvasOpKind kind, int l, int t, int r, int b);
  void RadialShape(TCanvasOpKind kind, int l, int t, int r, int b, int x1, int y1, int x2, int y2);

  std::shared_ptr<TDrawDevice> device_;
  TPen pen_;
  TBrush brush_;
  TFont font_;
  TPoint penPos_;
  TPoint origin_;
  bool clipped_ = false;
  TRect clip_;
  std::vector<TSaved> saved_;
};

}  // namespace qs
