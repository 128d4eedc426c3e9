#pragma once
// The anti-aliased drawing surface: float coordinates, pens with dash
// styles, solid and hatch brushes, paths of lines and Bezier curves, a world
// transform and a smoothing switch. It draws on the same device as the
// canvas it is made for, but ignores that canvas's viewport origin and clip:
// its own transform places what it draws.
//
// Coordinates name pixel centres: the point (x, y) is the middle of pixel
// (x, y). Angles are in degrees, measured clockwise from the positive x
// axis (y grows downward), as rays from the centre of the ellipse.
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <vector>

#include "base/geometry.h"
#include "platform/canvas.h"

namespace qs {

// A colour with alpha: $AARRGGBB.
using TARGB = uint32_t;
// Opaque (unless told) from a colour value $00BBGGRR.
constexpr TARGB ColorToARGB(TColor c, uint8_t alpha = 255) {
  return (TARGB(alpha) << 24) | (TARGB(GetRValue(c)) << 16) | (TARGB(GetGValue(c)) << 8) | GetBValue(c);
}

enum TDashStyle : uint8_t {
  DashStyleSolid, DashStyleDash, DashStyleDot, DashStyleDashDot, DashStyleDashDotDot, DashStyleCustom
};
// The same six patterns, in the same order, as the canvas's hatch brushes.
enum THatchStyle : uint8_t {
  HatchStyleHorizontal, HatchStyleVertical, HatchStyleForwardDiagonal, HatchStyleBackwardDiagonal,
  HatchStyleCross, HatchStyleDiagonalCross
};
enum TSmoothingMode : uint8_t { SmoothingModeDefault, SmoothingModeAntiAlias };

struct TRectF {
  float X = 0, Y = 0, Width = 0, Height = 0;
  bool operator==(const TRectF&) const = default;
};

struct TGPen {
  TARGB Color = 0xFF000000;
  float Width = 1;  // 0 draws the thinnest line
  TDashStyle DashStyle = DashStyleSolid;  // DashStyleCustom draws solid
  bool operator==(const TGPen&) const = default;
};

struct TGBrush {
  bool Hatched = false;
  THatchStyle Hatch = HatchStyleHorizontal;
  TARGB Color = 0xFF000000;      // the fill, or the hatch lines
  TARGB BackColor = 0xFFFFFFFF;  // between the hatch lines
  bool operator==(const TGBrush&) const = default;
};
inline TGBrush SolidBrush(TARGB color) { return TGBrush{false, HatchStyleHorizontal, color, 0}; }
inline TGBrush HatchBrush(THatchStyle style, TARGB fore, TARGB back) { return TGBrush{true, style, fore, back}; }

// Figures of straight lines and cubic Bezier curves. As with the platform's
// paths, a segment added to an open figure is joined to its last point by a
// line.
class TGraphicsPath {
 public:
  enum TPointType : uint8_t { ptStart = 0, ptLine = 1, ptBezier = 3, ptCloseFlag = 0x80 };
  struct TPathPoint {
    TPointF P;
    uint8_t Type = ptStart;
    bool operator==(const TPathPoint&) const = default;
  };

  void StartFigure() { open_ = false; }
  void AddLine(TPointF a, TPointF b);
  void AddLines(std::span<const TPointF> points);
  void AddBezier(TPointF p1, TPointF p2, TPointF p3, TPointF p4);
  void CloseFigure();
  const std::vector<TPathPoint>& Points() const { return points_; }
  bool operator==(const TGraphicsPath&) const = default;

 private:
  void Continue(TPointF p);
  std::vector<TPathPoint> points_;
  bool open_ = false;
};

// x' = M11 x + M21 y + DX, y' = M12 x + M22 y + DY.
struct TGMatrix {
  float M11 = 1, M12 = 0, M21 = 0, M22 = 1, DX = 0, DY = 0;
  bool operator==(const TGMatrix&) const = default;
};

enum class TGraphicsOpKind : uint8_t {
  DrawLines,      // Points (DrawLine gives two)
  DrawPolygon,    // Points
  DrawRectangle,  // Rect
  DrawEllipse,
  DrawArc,        // Rect, StartAngle, SweepAngle
  DrawPie,
  DrawPath,       // Path
  FillRectangle,  // Rect
  FillEllipse,
  FillPie,
  FillPolygon,    // Points
  FillPath
};

// One call on the surface with its resolved state.
struct TGraphicsOp {
  TGraphicsOpKind Kind = TGraphicsOpKind::DrawLines;
  std::vector<TPointF> Points;
  TRectF Rect;
  float StartAngle = 0, SweepAngle = 0;
  TGraphicsPath Path;
  TGPen Pen;      // Draw...
  TGBrush Brush;  // Fill...
  TSmoothingMode Smoothing = SmoothingModeDefault;
  TGMatrix Transform;
  // Drawn only inside Clip (device pixels) when set: a picture drawn again
  // in part.
  bool Clipped = false;
  TRect Clip;
  bool operator==(const TGraphicsOp&) const = default;
};

class TGraphics {
 public:
  // Draws on the canvas's device.
  explicit TGraphics(const TCanvas& canvas);
  explicit TGraphics(std::shared_ptr<TDrawDevice> device);
  ~TGraphics();
  TGraphics(const TGraphics&) = delete;
  TGraphics& operator=(const TGraphics&) = delete;

  void SetSmoothingMode(TSmoothingMode mode) { smoothing_ = mode; }
  TSmoothingMode GetSmoothingMode() const { return smoothing_; }
  // Applied before the transform in force.
  void TranslateTransform(float dx, float dy);
  void ResetTransform() { transform_ = TGMatrix{}; }
  const TGMatrix& Transform() const { return transform_; }

  void DrawLine(const TGPen& pen, float x1, float y1, float x2, float y2);
  void DrawLines(const TGPen& pen, std::span<const TPointF> points);
  void DrawLines(const TGPen& pen, std::initializer_list<TPointF> points) {
    DrawLines(pen, std::span(points.begin(), points.size()));
  }
  void DrawPolygon(const TGPen& pen, std::span<const TPointF> points);
  void DrawRectangle(const TGPen& pen, float x, float y, float width, float height);
  void DrawEllipse(const TGPen& pen, float x, float y, float width, float height);
  void DrawArc(const TGPen& pen, float x, float y, float width, float height, float startAngle, float sweepAngle);
  void DrawPie(const TGPen& pen, float x, float y, float width, float height, float startAngle, float sweepAngle);
  void DrawPath(const TGPen& pen, const TGraphicsPath& path);

  void FillRectangle(const TGBrush& brush, float x, float y, float width, float height);
  void FillEllipse(const TGBrush& brush, float x, float y, float width, float height);
  void FillPie(const TGBrush& brush, float x, float y, float width, float height, float startAngle, float sweepAngle);
  void FillPolygon(const TGBrush& brush, std::span<const TPointF> points);
  void FillPolygon(const TGBrush& brush, std::initializer_list<TPointF> points) {
    FillPolygon(brush, std::span(points.begin(), points.size()));
  }
  void FillPath(const TGBrush& brush, const TGraphicsPath& path);

 private:
  TGraphicsOp MakeOp(TGraphicsOpKind kind) const;
  void Emit(TGraphicsOp&& op);
  void Stroke(TGraphicsOpKind kind, const TGPen& pen, std::span<const TPointF> points);
  void Box(TGraphicsOpKind kind, const TGPen* pen, const TGBrush* brush, TRectF rect, float start, float sweep);

  std::shared_ptr<TDrawDevice> device_;
  TSmoothingMode smoothing_ = SmoothingModeDefault;
  TGMatrix transform_;
};

}  // namespace qs
