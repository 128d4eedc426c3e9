#include "platform/graphics.h"

#include <utility>

#include "platform/drawdevice.h"

namespace qs {

void TGraphicsPath::Continue(TPointF p) {
  if (open_) {
    if (points_.back().P == p) return;
    points_.push_back({p, ptLine});
  } else {
    points_.push_back({p, ptStart});
    open_ = true;
  }
}

void TGraphicsPath::AddLine(TPointF a, TPointF b) {
  Continue(a);
  points_.push_back({b, ptLine});
}

void TGraphicsPath::AddLines(std::span<const TPointF> points) {
  if (points.empty()) return;
  Continue(points[0]);
  for (size_t i = 1; i < points.size(); ++i) points_.push_back({points[i], ptLine});
}

void TGraphicsPath::AddBezier(TPointF p1, TPointF p2, TPointF p3, TPointF p4) {
  Continue(p1);
  points_.push_back({p2, ptBezier});
  points_.push_back({p3, ptBezier});
  points_.push_back({p4, ptBezier});
}

void TGraphicsPath::CloseFigure() {
  if (open_ && !points_.empty()) points_.back().Type |= ptCloseFlag;
  open_ = false;
}

TGraphics::TGraphics(const TCanvas& canvas) : device_(canvas.DevicePtr()) {}

TGraphics::TGraphics(std::shared_ptr<TDrawDevice> device) : device_(std::move(device)) {}

TGraphics::~TGraphics() = default;

void TGraphics::TranslateTransform(float dx, float dy) {
  // The translation applies first, then the transform in force.
  transform_.DX += dx * transform_.M11 + dy * transform_.M21;
  transform_.DY += dx * transform_.M12 + dy * transform_.M22;
}

TGraphicsOp TGraphics::MakeOp(TGraphicsOpKind kind) const {
  TGraphicsOp op;
  op.Kind = kind;
  op.Smoothing = smoothing_;
  op.Transform = transform_;
  return op;
}

void TGraphics::Emit(TGraphicsOp&& op) { device_->Draw(op); }

void TGraphics::Stroke(TGraphicsOpKind kind, const TGPen& pen, std::span<const TPointF> points) {
  if (points.size() < 2) return;
  TGraphicsOp op = MakeOp(kind);
  op.Pen = pen;
  op.Points.assign(points.begin(), points.end());
  Emit(std::move(op));
}

void TGraphics::Box(TGraphicsOpKind kind, const TGPen* pen, const TGBrush* brush, TRectF rect, float start,
                    float sweep) {
  TGraphicsOp op = MakeOp(kind);
  if (pen) op.Pen = *pen;
  if (brush) op.Brush = *brush;
  op.Rect = rect;
  op.StartAngle = start;
  op.SweepAngle = sweep;
  Emit(std::move(op));
}

void TGraphics::DrawLine(const TGPen& pen, float x1, float y1, float x2, float y2) {
  TPointF points[2] = {{x1, y1}, {x2, y2}};
  Stroke(TGraphicsOpKind::DrawLines, pen, points);
}

void TGraphics::DrawLines(const TGPen& pen, std::span<const TPointF> points) {
  Stroke(TGraphicsOpKind::DrawLines, pen, points);
}

void TGraphics::DrawPolygon(const TGPen& pen, std::span<const TPointF> points) {
  Stroke(TGraphicsOpKind::DrawPolygon, pen, points);
}

void TGraphics::DrawRectangle(const TGPen& pen, float x, float y, float width, float height) {
  Box(TGraphicsOpKind::DrawRectangle, &pen, nullptr, {x, y, width, height}, 0, 0);
}

void TGraphics::DrawEllipse(const TGPen& pen, float x, float y, float width, float height) {
  Box(TGraphicsOpKind::DrawEllipse, &pen, nullptr, {x, y, width, height}, 0, 0);
}

void TGraphics::DrawArc(const TGPen& pen, float x, float y, float width, float height, float startAngle,
                        float sweepAngle) {
  Box(TGraphicsOpKind::DrawArc, &pen, nullptr, {x, y, width, height}, startAngle, sweepAngle);
}

void TGraphics::DrawPie(const TGPen& pen, float x, float y, float width, float height, float startAngle,
                        float sweepAngle) {
  Box(TGraphicsOpKind::DrawPie, &pen, nullptr, {x, y, width, height}, startAngle, sweepAngle);
}

void TGraphics::DrawPath(const TGPen& pen, const TGraphicsPath& path) {
  TGraphicsOp op = MakeOp(TGraphicsOpKind::DrawPath);
  op.Pen = pen;
  op.Path = path;
  Emit(std::move(op));
}

void TGraphics::FillRectangle(const TGBrush& brush, float x, float y, float width, float height) {
  Box(TGraphicsOpKind::FillRectangle, nullptr, &brush, {x, y, width, height}, 0, 0);
}

void TGraphics::FillEllipse(const TGBrush& brush, float x, float y, float width, float height) {
  Box(TGraphicsOpKind::FillEllipse, nullptr, &brush, {x, y, width, height}, 0, 0);
}

void TGraphics::FillPie(const TGBrush& brush, float x, float y, float width, float height, float startAngle,
                        float sweepAngle) {
  Box(TGraphicsOpKind::FillPie, nullptr, &brush, {x, y, width, height}, startAngle, sweepAngle);
}

void TGraphics::FillPolygon(const TGBrush& brush, std::span<const TPointF> points) {
  if (points.size() < 3) return;
  TGraphicsOp op = MakeOp(TGraphicsOpKind::FillPolygon);
  op.Brush = brush;
  op.Points.assign(points.begin(), points.end());
  Emit(std::move(op));
}

void TGraphics::FillPath(const TGBrush& brush, const TGraphicsPath& path) {
  TGraphicsOp op = MakeOp(TGraphicsOpKind::FillPath);
  op.Brush = brush;
  op.Path = path;
  Emit(std::move(op));
}

}  // namespace qs
