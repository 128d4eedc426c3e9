#include "platform/canvas.h"

#include <algorithm>
#include <utility>

#include "base/mathutil.h"
#include "base/text.h"
#include "platform/drawdevice.h"
#include "platform/fonts.h"

namespace qs {

int TFont::Size() const { return -MulDiv(Height, 72, PixelsPerInch); }

void TFont::SetSize(int points) { Height = -MulDiv(points, PixelsPerInch, 72); }

struct TCanvas::TSaved {
  int Level;
  TPen Pen;
  TBrush Brush;
  TFont Font;
  TPoint PenPos;
  TPoint Origin;
  bool Clipped;
  TRect Clip;
  int TextFlags;
};

TCanvas::TCanvas(std::shared_ptr<TDrawDevice> device) : device_(std::move(device)) {
  font_.PixelsPerInch = device_->PixelsPerInchY();
  font_.SetSize(8);
}

TCanvas::~TCanvas() = default;

int TCanvas::PixelsPerInch() const { return device_->PixelsPerInchY(); }
int TCanvas::PixelsPerInchX() const { return device_->PixelsPerInchX(); }

TCanvasOp TCanvas::MakeOp(TCanvasOpKind kind) const {
  TCanvasOp op;
  op.Kind = kind;
  op.Pen = pen_;
  op.Brush = brush_;
  op.Origin = origin_;
  op.Clipped = clipped_;
  op.Clip = clip_;
  return op;
}

void TCanvas::Emit(TCanvasOp&& op) { device_->Draw(op); }

void TCanvas::MoveTo(int x, int y) { penPos_ = {x, y}; }

void TCanvas::LineTo(int x, int y) {
  TCanvasOp op = MakeOp(TCanvasOpKind::Line);
  op.Points = {penPos_, {x, y}};
  penPos_ = {x, y};
  Emit(std::move(op));
}

void TCanvas::Polyline(std::span<const TPoint> points) {
  if (points.empty()) return;
  TCanvasOp op = MakeOp(TCanvasOpKind::Polyline);
  op.Points.assign(points.begin(), points.end());
  Emit(std::move(op));
}

void TCanvas::Polygon(std::span<const TPoint> points) {
  if (points.empty()) return;
  TCanvasOp op = MakeOp(TCanvasOpKind::Polygon);
  op.Points.assign(points.begin(), points.end());
  Emit(std::move(op));
}

void TCanvas::PolyBezier(std::span<const TPoint> points) {
  // A start point and whole curves only; a broken tail is left out.
  size_t n = points.size() < 4 ? 0 : 1 + (points.size() - 1) / 3 * 3;
  if (n == 0) return;
  TCanvasOp op = MakeOp(TCanvasOpKind::PolyBezier);
  op.Points.assign(points.begin(), points.begin() + static_cast<ptrdiff_t>(n));
  Emit(std::move(op));
}

void TCanvas::Shape(TCanvasOpKind kind, int l, int t, int r, int b) {
  TCanvasOp op = MakeOp(kind);
  op.Rect = {l, t, r, b};
  Emit(std::move(op));
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
  Shape(TCanvasOpKind::Rectangle, left, top, right, bottom);
}

void TCanvas::RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight) {
  TCanvasOp op = MakeOp(TCanvasOpKind::RoundRect);
  op.Rect = {left, top, right, bottom};
  op.Corner = {cornerWidth, cornerHeight};
  Emit(std::move(op));
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
  Shape(TCanvasOpKind::Ellipse, left, top, right, bottom);
}

void TCanvas::RadialShape(TCanvasOpKind kind, int l, int t, int r, int b, int x1, int y1, int x2, int y2) {
  TCanvasOp op = MakeOp(kind);
  op.Rect = {l, t, r, b};
  op.Points = {{x1, y1}, {x2, y2}};
  Emit(std::move(op));
}

void TCanvas::Arc(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2) {
  RadialShape(TCanvasOpKind::Arc, left, top, right, bottom, x1, y1, x2, y2);
}

void TCanvas::Pie(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2) {
  RadialShape(TCanvasOpKind::Pie, left, top, right, bottom, x1, y1, x2, y2);
}

void TCanvas::Chord(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2) {
  RadialShape(TCanvasOpKind::Chord, left, top, right, bottom, x1, y1, x2, y2);
}

void TCanvas::FillRect(const TRect& r) { Shape(TCanvasOpKind::FillRect, r.Left, r.Top, r.Right, r.Bottom); }

void TCanvas::TextOut(int x, int y, std::u16string_view text) {
  ExtTextOut(x, y, 0, nullptr, text);
  penPos_ = {x + TextWidth(text), y};
}

void TCanvas::TextOut(int x, int y, std::string_view utf8) { TextOut(x, y, Utf8ToUtf16(utf8)); }

void TCanvas::ExtTextOut(int x, int y, int options, const TRect* rect, std::u16string_view text) {
  TCanvasOp op = MakeOp(TCanvasOpKind::Text);
  op.Points = {{x, y}};
  op.Text.assign(text);
  op.Options = rect ? options : 0;
  op.HasRect = rect != nullptr;
  if (rect) op.Rect = *rect;
  op.Font = font_;
  Emit(std::move(op));
}

int TCanvas::TextWidth(std::u16string_view text) const { return qs::TextWidth(font_, text); }
int TCanvas::TextWidth(std::string_view utf8) const { return qs::TextWidth(font_, Utf8ToUtf16(utf8)); }
int TCanvas::TextHeight(std::u16string_view) const { return GetTextMetrics().Height; }
int TCanvas::TextHeight(std::string_view) const { return GetTextMetrics().Height; }
TSize TCanvas::TextExtent(std::u16string_view text) const { return {TextWidth(text), TextHeight(text)}; }
TTextMetric TCanvas::GetTextMetrics() const { return qs::GetTextMetrics(font_); }

void TCanvas::Draw(int x, int y, const TBitmap& bitmap) {
  TCanvasOp op = MakeOp(TCanvasOpKind::DrawBitmap);
  op.Points = {{x, y}};
  op.Bitmap = &bitmap;
  Emit(std::move(op));
}

void TCanvas::StretchDraw(const TRect& r, const TBitmap& bitmap) {
  TCanvasOp op = MakeOp(TCanvasOpKind::StretchBitmap);
  op.Rect = r;
  op.Bitmap = &bitmap;
  Emit(std::move(op));
}

int TCanvas::SaveDC() {
  int level = static_cast<int>(saved_.size()) + 1;
  saved_.push_back({level, pen_, brush_, font_, penPos_, origin_, clipped_, clip_, TextFlags});
  return level;
}

void TCanvas::RestoreDC(int level) {
  if (saved_.empty()) return;
  if (level < 0) level = static_cast<int>(saved_.size()) + 1 + level;
  if (level < 1 || level > static_cast<int>(saved_.size())) return;
  TSaved& s = saved_[static_cast<size_t>(level - 1)];
  pen_ = s.Pen;
  brush_ = s.Brush;
  font_ = s.Font;
  penPos_ = s.PenPos;
  origin_ = s.Origin;
  clipped_ = s.Clipped;
  clip_ = s.Clip;
  TextFlags = s.TextFlags;
  saved_.resize(static_cast<size_t>(level - 1));
}

void TCanvas::SetViewportOrg(int x, int y) { origin_ = {x, y}; }

void TCanvas::IntersectClipRect(const TRect& r) {
  TRect device{std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
               std::max(r.Top, r.Bottom)};
  device.Offset(origin_.X, origin_.Y);
  if (clipped_) {
    TRect both;
    IntersectRect(both, clip_, device);
    clip_ = both;
  } else {
    clip_ = device;
  }
  clipped_ = true;
}

void TCanvas::ResetClip() {
  clipped_ = false;
  clip_ = {};
}

}  // namespace qs
