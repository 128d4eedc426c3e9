// Drawing on the toolkit's paint devices with the platform's pixel rules.
//
// One-pixel lines are rasterised here rather than by the toolkit: each
// segment leaves out its last pixel, styled lines keep their dash phase
// from segment to segment, and every pixel of a figure is set exactly once,
// which XOR drawing needs to undo itself. Fills use the toolkit with pixel
// centres inside the figure; wider pens are stroked by the toolkit, centred
// on the pixels of the figure's outline.
#include <QGlyphRun>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/bitmap.h"
#include "platform/qtfontengine.h"
#include "platform/qtsurface.h"

namespace qs {

namespace {

QColor FromColor(TColor c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }
QColor FromARGB(TARGB c) { return QColor::fromRgba(c); }

// ---- Hatch and pattern textures ------------------------------------------------

// The six hatches, 8 x 8, one byte per row, the high bit leftmost.
const uint8_t kHatchRows[6][8] = {
    {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00},  // horizontal
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // vertical
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // forward diagonal (\)
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // backward diagonal (/)
    {0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08, 0x08},  // cross
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // diagonal cross
};

// On a device finer than the screen a pattern pixel covers several device
// pixels, so that a hatch prints as a hatch and not as a grey.
QImage ScaledTexture(QImage image, int ppi) {
  int k = std::max(1, static_cast<int>(std::lround(ppi / 96.0)));
  if (k == 1) return image;
  return image.scaled(8 * k, 8 * k, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QImage HatchTexture(int hatch, QRgb fore, QRgb back, int ppi) {
  QImage image(8, 8, QImage::Format_ARGB32);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) image.setPixel(x, y, (kHatchRows[hatch][y] & (0x80 >> x)) ? fore : back);
  return ScaledTexture(image, ppi);
}

// A texture that starts at device pixel (0, 0) whatever the painter's
// transform.
QBrush DeviceTexture(const QImage& texture, const QTransform& world) {
  QBrush brush(texture);
  brush.setTransform(world.inverted());
  return brush;
}

// The canvas's brush; world is the transform the fill is drawn with.
QBrush CanvasBrush(const TBrush& b, int ppi, const QTransform& world) {
  if (b.Bitmap) {
    QImage image(8, 8, QImage::Format_ARGB32);
    for (int i = 0; i < 64; ++i) image.setPixel(i % 8, i / 8, FromColor(b.Bitmap->Pixels[static_cast<size_t>(i)]).rgb());
    return DeviceTexture(ScaledTexture(image, ppi), world);
  }
  if (b.Style == bsSolid) return QBrush(FromColor(b.Color));
  if (b.Style == bsClear || b.Style > bsDiagCross) return Qt::NoBrush;
  // Hatches leave the background as it is.
  return DeviceTexture(HatchTexture(b.Style - bsHorizontal, FromColor(b.Color).rgb(), 0, ppi), world);
}

QBrush GraphicsBrush(const TGBrush& b, int ppi, const QTransform& world) {
  if (!b.Hatched) return QBrush(FromARGB(b.Color));
  return DeviceTexture(HatchTexture(std::min<int>(b.Hatch, 5), b.Color, b.BackColor, ppi), world);
}

// ---- Arcs by ray angles ---------------------------------------------------------

// The toolkit takes angles of the ellipse's parameter; the platform's arcs
// give the angles of rays from the centre. Angles counter-clockwise.
double ParamAngle(const QRectF& r, double rayDegrees) {
  double a = r.width() / 2, b = r.height() / 2;
  if (a <= 0 || b <= 0) return rayDegrees;
  double phi = rayDegrees * std::numbers::pi / 180;
  return std::atan2(a * std::sin(phi), b * std::cos(phi)) * 180 / std::numbers::pi;
}

// Start and sweep (counter-clockwise, degrees of rays) as the toolkit's.
void ArcAngles(const QRectF& r, double start, double sweep, double& qStart, double& qSweep) {
  qStart = ParamAngle(r, start);
  if (std::abs(sweep) >= 360) {
    qSweep = sweep;
    return;
  }
  double d = std::fmod(ParamAngle(r, start + sweep) - qStart, 360.0);
  if (sweep > 0 && d <= 0) d += 360;
  if (sweep < 0 && d >= 0) d -= 360;
  if (sweep == 0) d = 0;
  qSweep = d;
}

double RayAngle(QPointF centre, QPointF p) {
  if (p == centre) return 0;
  return std::atan2(-(p.y() - centre.y()), p.x() - centre.x()) * 180 / std::numbers::pi;
}

// ---- One-pixel lines --------------------------------------------------------------

// On and off runs of the styled pens, in pixels.
const std::vector<int>& StylePattern(TPenStyle style) {
  static const std::vector<int> none, dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6}, dashDotDot{9, 3, 3, 3, 3, 3};
  switch (style) {
    case psDash: return dash;
    case psDot: return dot;
    case psDashDot: return dashDot;
    case psDashDotDot: return dashDotDot;
    default: return none;
  }
}

// Pixels of a one-pixel line, split into those of the pen and those of the
// gaps of a styled pen.
struct TPixelLine {
  explicit TPixelLine(const std::vector<int>& pattern) : Pattern(&pattern) {}
  const std::vector<int>* Pattern;
  int Phase = 0;
  std::vector<QPoint> On, Off;

  void Pixel(int x, int y) {
    bool on = true;
    if (!Pattern->empty()) {
      int period = 0;
      for (int n : *Pattern) period += n;
      int pos = Phase % period, i = 0;
      while (pos >= (*Pattern)[static_cast<size_t>(i)]) pos -= (*Pattern)[static_cast<size_t>(i++)];
      on = i % 2 == 0;
      ++Phase;
    }
    (on ? On : Off).emplace_back(x, y);
  }

  // From a up to, but not including, b.
  void Segment(QPoint a, QPoint b) {
    int dx = std::abs(b.x() - a.x()), dy = std::abs(b.y() - a.y());
    int x = a.x(), y = a.y();
    bool xMajor = dx >= dy;
    int& major = xMajor ? x : y;
    int& minor = xMajor ? y : x;
    int majorStep = (xMajor ? a.x() < b.x() : a.y() < b.y()) ? 1 : -1;
    int minorStep = (xMajor ? a.y() < b.y() : a.x() < b.x()) ? 1 : -1;
    int longSide = std::max(dx, dy), shortSide = std::min(dx, dy);
    int err = longSide / 2;
    for (int i = 0; i < longSide; ++i) {
      Pixel(x, y);
      major += majorStep;
      err -= shortSide;
      if (err < 0) {
        minor += minorStep;
        err += longSide;
      }
    }
  }
};

// The pixels of a solid line drawn over the page, where a pixel set twice
// looks as if set once: each segment goes out as the runs Bresenham steps
// through (one rectangle for a level or upright segment), without the
// pixels being gathered and sorted first. The same pixels as TPixelLine's.
struct TSolidRuns {
  QPainter& P;
  QColor Color;
  bool Any = false;

  void Run(int x, int y, int w, int h) {
    P.fillRect(QRect(x, y, w, h), Color);
    Any = true;
  }

  // From a up to, but not including, b.
  void Segment(QPoint a, QPoint b) {
    const int dx = std::abs(b.x() - a.x()), dy = std::abs(b.y() - a.y());
    if (dx == 0 && dy == 0) return;
    if (dy == 0) {
      Run(a.x() < b.x() ? a.x() : b.x() + 1, a.y(), dx, 1);
      return;
    }
    if (dx == 0) {
      Run(a.x(), a.y() < b.y() ? a.y() : b.y() + 1, 1, dy);
      return;
    }
    const bool xMajor = dx >= dy;
    const int majorStep = (xMajor ? a.x() < b.x() : a.y() < b.y()) ? 1 : -1;
    const int minorStep = (xMajor ? a.y() < b.y() : a.x() < b.x()) ? 1 : -1;
    const int longSide = std::max(dx, dy), shortSide = std::min(dx, dy);
    int major = xMajor ? a.x() : a.y(), minor = xMajor ? a.y() : a.x();
    int err = longSide / 2, runStart = major;
    const auto flush = [&](int end) {  // the run from runStart to end, inclusive
      const int from = std::min(runStart, end), length = std::abs(end - runStart) + 1;
      if (xMajor) Run(from, minor, length, 1);
      else Run(minor, from, 1, length);
    };
    for (int i = 0; i < longSide; ++i) {
      const int at = major;
      major += majorStep;
      err -= shortSide;
      if (err < 0 || i + 1 == longSide) {
        flush(at);
        if (err < 0) {
          minor += minorStep;
          err += longSide;
        }
        runStart = major;
      }
    }
  }
};

// Sets each pixel once, in horizontal runs.
void FillPixels(QPainter& p, std::vector<QPoint>& pixels, const QColor& color) {
  if (pixels.empty()) return;
  std::sort(pixels.begin(), pixels.end(),
            [](QPoint a, QPoint b) { return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x(); });
  pixels.erase(std::unique(pixels.begin(), pixels.end()), pixels.end());
  size_t i = 0;
  while (i < pixels.size()) {
    size_t j = i + 1;
    while (j < pixels.size() && pixels[j].y() == pixels[i].y() && pixels[j].x() == pixels[j - 1].x() + 1) ++j;
    p.fillRect(QRect(pixels[i].x(), pixels[i].y(), static_cast<int>(j - i), 1), color);
    i = j;
  }
}

// Figures in device pixels, curves already made straight.
std::vector<QPoint> RoundedPoints(const QPolygonF& poly) {
  std::vector<QPoint> out;
  for (const QPointF& f : poly) {
    QPoint q(static_cast<int>(std::lround(f.x())), static_cast<int>(std::lround(f.y())));
    if (out.empty() || out.back() != q) out.push_back(q);
  }
  return out;
}

// Painter state set again unchanged still makes vector devices write a new
// graphics state (a render hint rewrites the brush, a transform the whole
// state), so only changes are passed on.
void SetTransform(QPainter& p, const QTransform& t) {
  if (p.worldTransform() != t) p.setWorldTransform(t);
}
void SetHint(QPainter& p, QPainter::RenderHint hint, bool on) {
  if (p.testRenderHint(hint) != on) p.setRenderHint(hint, on);
}
void SetBrush(QPainter& p, const QBrush& brush) {
  if (p.brush() != brush) p.setBrush(brush);
}

}  // namespace

// ---- The device --------------------------------------------------------------------

// On printers and PDF files every drawing call costs a graphics state and
// its own text object, written and compressed. Strokes, fills and glyphs
// are therefore kept back while they all have one colour, and drawn sorted
// into runs when something else comes: all strokes with one pen as one
// path, all glyphs in one font as one glyph run, all fills with one brush
// under one graphics state. Shapes of one opaque colour cover the same
// paper in any order, so the page looks as drawn; whatever has another
// colour, or is not a plain line, text or fill, is drawn after them.
// The rectangle a path of one closed upright rectangle covers, or an empty
// one.
QRectF UprightRectangle(const QPainterPath& path) {
  const int n = path.elementCount();
  if (n < 4 || n > 5 || !path.elementAt(0).isMoveTo()) return {};
  const QRectF box = path.boundingRect();
  for (int i = 1; i < n; ++i)
    if (!path.elementAt(i).isLineTo()) return {};
  if (n == 5 && QPointF(path.elementAt(4)) != QPointF(path.elementAt(0))) return {};
  // Each corner once, each side upright or level.
  for (int i = 0; i < 4; ++i) {
    const QPointF a = path.elementAt(i), b = path.elementAt((i + 1) % 4);
    if (a.x() != b.x() && a.y() != b.y()) return {};
    if ((a.x() != box.left() && a.x() != box.right()) || (a.y() != box.top() && a.y() != box.bottom())) return {};
  }
  return box;
}

// The strokes of one pen with each level or upright line written once:
// a line drawn twice is left out, and lines that continue one another on
// one level (a staff line drawn measure by measure) become one. Lines of
// one pen cover the same paper however they are cut, whatever their caps,
// so the page looks as drawn; other figures are kept as they are.
QPainterPath JoinedStrokes(const QPainterPath& path) {
  struct TLine {
    qreal At, From, To;  // the level's y (an upright's x) and the span along it
    bool operator<(const TLine& o) const { return At != o.At ? At < o.At : From < o.From; }
  };
  std::vector<TLine> level, upright;
  QPainterPath out;
  const int n = path.elementCount();
  for (int i = 0; i < n;) {
    int end = i + 1;
    while (end < n && !path.elementAt(end).isMoveTo()) ++end;
    const QPainterPath::Element a = path.elementAt(i);
    if (end - i == 2 && path.elementAt(i + 1).isLineTo()) {
      const QPainterPath::Element b = path.elementAt(i + 1);
      if (a.y == b.y) {
        level.push_back({a.y, std::min(a.x, b.x), std::max(a.x, b.x)});
        i = end;
        continue;
      }
      if (a.x == b.x) {
        upright.push_back({a.x, std::min(a.y, b.y), std::max(a.y, b.y)});
        i = end;
        continue;
      }
    }
    for (int k = i; k < end; ++k) {
      const QPainterPath::Element e = path.elementAt(k);
      if (e.isMoveTo()) {
        out.moveTo(e.x, e.y);
      } else if (e.isLineTo()) {
        out.lineTo(e.x, e.y);
      } else if (e.isCurveTo() && k + 2 < end) {
        out.cubicTo(e.x, e.y, path.elementAt(k + 1).x, path.elementAt(k + 1).y, path.elementAt(k + 2).x,
                    path.elementAt(k + 2).y);
        k += 2;
      }
    }
    i = end;
  }
  const auto join = [&out](std::vector<TLine>& lines, bool isLevel) {
    std::sort(lines.begin(), lines.end());
    for (size_t i = 0; i < lines.size();) {
      TLine line = lines[i];
      size_t j = i + 1;
      for (; j < lines.size() && lines[j].At == line.At && lines[j].From <= line.To; ++j)
        line.To = std::max(line.To, lines[j].To);
      if (isLevel) {
        out.moveTo(line.From, line.At);
        out.lineTo(line.To, line.At);
      } else {
        out.moveTo(line.At, line.From);
        out.lineTo(line.At, line.To);
      }
      i = j;
    }
  };
  join(level, true);
  join(upright, false);
  return out;
}

struct TPendingRun {
  enum TKind { Stroke, Fill, Glyphs } Kind = Stroke;
  QTransform Transform;
  QTransform ClipTransform;  // the one the clip rectangle is given in
  bool Clipped = false;
  QRect Clip;
  QPen Pen;      // the stroke's pen, or the glyphs' colour; none for fills
  QBrush Brush;  // fills only
  QRawFont Font;
  QPainterPath Path;           // the strokes, one path
  std::vector<QPainterPath> Fills;  // each with its own fill rule
  QList<quint32> Indexes;
  QList<QPointF> Positions;

  void Draw(QPainter& p) const {
    if (Clipped) {
      SetTransform(p, ClipTransform);
      p.setClipRect(Clip);
    } else {
      p.setClipping(false);
    }
    SetTransform(p, Transform);
    p.setOpacity(1);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setPen(Pen);
    SetBrush(p, Brush);
    switch (Kind) {
      case Stroke: p.drawPath(JoinedStrokes(Path)); break;
      case Fill: {
        // Upright rectangles (stems, bar lines) are written as rectangles,
        // a quarter of the path's size.
        QList<QRectF> rects;
        for (const QPainterPath& path : Fills) {
          if (const QRectF r = UprightRectangle(path); !r.isEmpty())
            rects.append(r);
          else
            p.drawPath(path);
        }
        if (!rects.isEmpty()) p.drawRects(rects);
        break;
      }
      case Glyphs: {
        QGlyphRun run;
        run.setRawFont(Font);
        run.setGlyphIndexes(Indexes);
        run.setPositions(Positions);
        p.drawGlyphRun(QPointF(0, 0), run);
        break;
      }
    }
  }
};

struct TPendingRuns {
  std::vector<TPendingRun> Runs;
  QRgb Color = 0;

  bool Empty() const { return Runs.empty(); }
  void Flush(QPainter& p) {
    for (const TPendingRun& run : Runs) run.Draw(p);
    Runs.clear();
  }
  // The run an item of this kind and state joins; what waits in another
  // colour is drawn first.
  TPendingRun& Take(QPainter& p, TPendingRun::TKind kind, QRgb color, const QTransform& t, const QTransform& clipT,
                    bool clipped, const QRect& clip, const QPen& pen, const QBrush& brush, const QRawFont* font) {
    if (!Runs.empty() && Color != color) Flush(p);
    Color = color;
    for (TPendingRun& r : Runs)
      if (r.Kind == kind && r.Transform == t && r.Clipped == clipped &&
          (!clipped || (r.Clip == clip && r.ClipTransform == clipT)) && r.Pen == pen && r.Brush == brush &&
          (!font || r.Font == *font))
        return r;
    TPendingRun& r = Runs.emplace_back();
    r.Kind = kind;
    r.Transform = t;
    r.ClipTransform = clipT;
    r.Clipped = clipped;
    r.Clip = clip;
    r.Pen = pen;
    r.Brush = brush;
    if (font) r.Font = *font;
    return r;
  }
};

struct TQtDevice::TImpl {
  QPaintDevice* Target = nullptr;
  QPainter* External = nullptr;
  std::unique_ptr<QPainter> Own;
  QTransform Base;
  TPendingRuns Pending;

  QPainter& Painter() {
    if (External) return *External;
    if (!Own) Own = std::make_unique<QPainter>(Target);
    return *Own;
  }
};

TQtDevice::TQtDevice(QPaintDevice* target, int ppiX, int ppiY)
    : impl_(std::make_unique<TImpl>()), ppiX_(ppiX), ppiY_(ppiY) {
  impl_->Target = target;
}

TQtDevice::TQtDevice(QPainter* painter, int ppiX, int ppiY)
    : impl_(std::make_unique<TImpl>()), ppiX_(ppiX), ppiY_(ppiY) {
  impl_->External = painter;
  impl_->Base = painter->worldTransform();
}

TQtDevice::~TQtDevice() { Flush(); }

void TQtDevice::Flush() {
  if (impl_->Pending.Empty()) return;
  QPainter& p = impl_->Painter();
  if (p.isActive()) impl_->Pending.Flush(p);
  impl_->Pending.Runs.clear();
}

void TQtDevice::End() {
  Flush();
  impl_->Own.reset();
}

namespace {

struct TCanvasPainter {
  QPainter& P;
  const TCanvasOp& Op;
  QTransform Base;
  int Ppi;
  TPendingRuns* Pending;  // vector devices only

  void FlushPending() {
    if (Pending) Pending->Flush(P);
  }
  QRect OpClip() const { return QRect(Op.Clip.Left, Op.Clip.Top, Op.Clip.Width(), Op.Clip.Height()); }

  void SetTransform(const QTransform& t) { qs::SetTransform(P, t); }

  QPoint Dev(TPoint p) const { return QPoint(p.X + Op.Origin.X, p.Y + Op.Origin.Y); }

  // The box of a bounding-rectangle shape through the pixels of its
  // outline: Left..Right - 1, Top..Bottom - 1, in device pixels.
  QRectF OutlineBox() const {
    const TRect& r = Op.Rect;
    int l = std::min(r.Left, r.Right), rr = std::max(r.Left, r.Right);
    int t = std::min(r.Top, r.Bottom), b = std::max(r.Top, r.Bottom);
    return QRectF(l + Op.Origin.X, t + Op.Origin.Y, std::max(0, rr - l - 1), std::max(0, b - t - 1));
  }

  bool HasPen() const { return Op.Pen.Style != psClear; }
  // Printers and PDF files: thin lines are stroked as lines, not set pixel
  // by pixel; exact pixels matter only on bitmaps, and a high-resolution
  // page would take millions of them.
  bool VectorDevice() const { return P.paintEngine() && P.paintEngine()->type() != QPaintEngine::Raster; }
  bool Styled() const { return Op.Pen.Style >= psDash && Op.Pen.Style <= psDashDotDot; }
  bool WidePen() const { return HasPen() && !Styled() && Op.Pen.Width > 1; }

  // A plain fill or outlined fill of one colour waits on vector devices.
  bool FillPending(const QPainterPath& path, const QTransform& world, const QPen& pen) {
    if (!Pending || Op.Brush.Style != bsSolid || Op.Brush.Bitmap || Op.Pen.Mode == pmXor) return false;
    const QColor color = FromColor(Op.Brush.Color);
    if (pen.style() != Qt::NoPen && pen.color() != color) return false;
    Pending->Take(P, TPendingRun::Fill, color.rgba(), world, Base, Op.Clipped, OpClip(), pen, QBrush(color), nullptr)
        .Fills.push_back(path);
    return true;
  }

  void Fill(const QPainterPath& path) {
    if (Op.Brush.Style == bsClear && !Op.Brush.Bitmap) return;
    if (FillPending(path, Base, Qt::NoPen)) return;
    FlushPending();
    SetTransform(Base);
    P.setPen(Qt::NoPen);
    SetBrush(P, CanvasBrush(Op.Brush, Ppi, Base));
    P.drawPath(path);
  }

  // The outline through the given device pixels; closed figures return to
  // their first point.
  void Outline(const std::vector<QPoint>& pts, bool closed) {
    if (!HasPen() || pts.empty()) return;
    if (WidePen() || VectorDevice()) {
      QPainterPath path;
      path.moveTo(pts[0]);
      for (size_t i = 1; i < pts.size(); ++i) path.lineTo(pts[i]);
      if (closed) path.closeSubpath();
      StrokeWide(path);
      return;
    }
    SetTransform(Base);
    if (!Styled() && Op.Pen.Mode != pmXor) {
      TSolidRuns runs{P, FromColor(Op.Pen.Color)};
      for (size_t i = 1; i < pts.size(); ++i) runs.Segment(pts[i - 1], pts[i]);
      if (closed) {
        runs.Segment(pts.back(), pts[0]);
        if (!runs.Any) runs.Run(pts[0].x(), pts[0].y(), 1, 1);
      }
      return;
    }
    TPixelLine line(StylePattern(Op.Pen.Style));
    for (size_t i = 1; i < pts.size(); ++i) line.Segment(pts[i - 1], pts[i]);
    if (closed) {
      line.Segment(pts.back(), pts[0]);
      if (line.On.empty() && line.Off.empty()) line.Pixel(pts[0].x(), pts[0].y());
    }
    SetTransform(Base);
    FillPixels(P, line.On, FromColor(Op.Pen.Color));
    // A solid brush makes the gaps of a styled line opaque.
    if (Op.Brush.Style == bsSolid && !Op.Brush.Bitmap) FillPixels(P, line.Off, FromColor(Op.Brush.Color));
  }

  // Strokes are centred on the outline's pixels.
  QTransform StrokeTransform() const { return QTransform::fromTranslate(0.5, 0.5) * Base; }

  QPen StrokePen() const {
    QPen pen(FromColor(Op.Pen.Color), std::max(1, Op.Pen.Width), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    if (Styled()) {
      QVector<qreal> dashes;
      for (int n : StylePattern(Op.Pen.Style)) dashes.push_back(n);
      pen.setDashPattern(dashes);
      pen.setCapStyle(Qt::FlatCap);
    }
    return pen;
  }

  void StrokeWide(const QPainterPath& path) {
    // Dashes start again on each part of a path on some devices and not
    // on others: styled lines are not joined.
    if (Pending && !Styled() && Op.Pen.Mode != pmXor) {
      const QPen pen = StrokePen();
      Pending->Take(P, TPendingRun::Stroke, pen.color().rgba(), StrokeTransform(), Base, Op.Clipped, OpClip(), pen,
                    Qt::NoBrush, nullptr)
          .Path.addPath(path);
      return;
    }
    FlushPending();
    SetTransform(StrokeTransform());
    // Set rather than passed to strokePath, which sets and restores the pen
    // and brush around every line: runs of lines with one pen then need no
    // new graphics state on vector devices.
    P.setPen(StrokePen());
    SetBrush(P, Qt::NoBrush);
    P.drawPath(path);
  }

  // Printers and PDF files: a filled shape with a solid outline is one path
  // drawn with pen and brush, not a fill and a stroke with their own
  // transforms, pens and brushes. False where the two must stay apart.
  bool FillAndStroke(const QPainterPath& outline) {
    if (!VectorDevice() || !HasPen() || Styled() || (Op.Brush.Style == bsClear && !Op.Brush.Bitmap)) return false;
    const QTransform world = StrokeTransform();
    if (FillPending(outline, world, StrokePen())) return true;
    FlushPending();
    SetTransform(world);
    P.setPen(StrokePen());
    SetBrush(P, CanvasBrush(Op.Brush, Ppi, world));
    P.drawPath(outline);
    return true;
  }

  // Vector devices: a filled circle with an outline of its own colour (an
  // augmentation dot) is a point stroked with a round pen as wide as the
  // circle, a fraction of the four curves' size. False where it is not one.
  bool Dot() {
    if (!Pending || !HasPen() || Styled() || Op.Pen.Mode == pmXor || Op.Brush.Style != bsSolid || Op.Brush.Bitmap ||
        Op.Brush.Color != Op.Pen.Color)
      return false;
    const QRectF box = OutlineBox();
    if (box.width() != box.height()) return false;
    QPen pen = StrokePen();
    pen.setWidthF(box.width() + pen.widthF());
    pen.setCapStyle(Qt::RoundCap);
    // The path keeps no stroke of no length: a sixty-fourth of a device
    // pixel, far below what any output shows.
    QPainterPath path(box.center());
    path.lineTo(box.center() + QPointF(1.0 / 64, 0));
    Pending->Take(P, TPendingRun::Stroke, pen.color().rgba(), StrokeTransform(), Base, Op.Clipped, OpClip(), pen,
                  Qt::NoBrush, nullptr)
        .Path.addPath(path);
    return true;
  }

  void OutlinePath(const QPainterPath& path, bool closed) {
    if (!HasPen()) return;
    if (WidePen() || VectorDevice()) {
      StrokeWide(path);
      return;
    }
    for (const QPolygonF& poly : path.toSubpathPolygons()) {
      std::vector<QPoint> pts = RoundedPoints(poly);
      if (closed && pts.size() > 1 && pts.back() == pts.front()) pts.pop_back();
      Outline(pts, closed);
    }
  }

  std::vector<QPoint> DevPoints() const {
    std::vector<QPoint> pts;
    for (const TPoint& p : Op.Points) pts.push_back(Dev(p));
    return pts;
  }

  void RadialShape() {
    QRectF box = OutlineBox();
    QPointF c = box.center();
    double a1 = RayAngle(c, Dev(Op.Points[0])), a2 = RayAngle(c, Dev(Op.Points[1]));
    double sweep = std::fmod(a2 - a1, 360.0);
    if (sweep <= 0) sweep += 360;
    double qs, qsw;
    ArcAngles(box, a1, sweep, qs, qsw);
    QPainterPath path;
    if (Op.Kind == TCanvasOpKind::Pie) {
      path.moveTo(c);
      path.arcTo(box, qs, qsw);
    } else {
      path.arcMoveTo(box, qs);
      path.arcTo(box, qs, qsw);
    }
    if (Op.Kind == TCanvasOpKind::Arc) {
      OutlinePath(path, false);
      return;
    }
    path.closeSubpath();
    if (FillAndStroke(path)) return;
    Fill(path);
    OutlinePath(path, true);
  }

  void Text() {
    TTextRun run = LayoutText(Op.Font, Op.Text);
    QPoint at = Dev(Op.Points[0]);
    // A text clipped to its own rectangle, or on a background of its own,
    // is drawn at once.
    const bool own = Op.HasRect || (Op.Brush.Style == bsSolid && !Op.Brush.Bitmap);
    if (own) FlushPending();
    SetTransform(Base);
    if (Op.HasRect) {
      QRect r(Dev({Op.Rect.Left, Op.Rect.Top}), Dev({Op.Rect.Right - 1, Op.Rect.Bottom - 1}));
      if (Op.Options & etoOpaque) P.fillRect(r, FromColor(Op.Brush.Color));
      if (Op.Options & etoClipped) P.setClipRect(r, Op.Clipped ? Qt::IntersectClip : Qt::ReplaceClip);
    }
    // Printers and PDF files: upright text is placed by its positions under
    // the page's transform rather than by a transform of its own, so that
    // the lines drawn between texts need no new graphics state.
    const bool placed =
        VectorDevice() && Op.Font.Escapement == 0 && run.XScale == 1 && !run.SlantItalic;
    const QPoint o = placed ? at : QPoint(0, 0);
    QTransform t = placed ? QTransform() : QTransform::fromTranslate(at.x(), at.y());
    if (Op.Font.Escapement != 0) t = QTransform().rotate(-Op.Font.Escapement / 10.0) * t;
    SetTransform(t * Base);
    if (Op.Brush.Style == bsSolid && !Op.Brush.Bitmap)
      P.fillRect(QRect(o.x(), o.y(), run.Width, run.Metric.Height), FromColor(Op.Brush.Color));
    QColor color = FromColor(Op.Font.Color);
    if (!run.Glyphs.empty()) {
      const bool document = P.paintEngine() && P.paintEngine()->type() == QPaintEngine::Pdf;
      QRawFont raw = document ? DocumentRunFont(run) : RunFont(run);
      if (raw.isValid()) {
        QTransform glyphs;
        if (run.XScale != 1) glyphs.scale(run.XScale, 1);
        if (run.SlantItalic) glyphs = QTransform().shear(-0.2, 0) * glyphs;
        const auto position = [&](size_t i) {
          return QPointF(o.x() + run.X[i] / run.XScale + (run.SlantItalic ? 0.2 * run.Metric.Ascent : 0),
                         o.y() + run.Metric.Ascent);
        };
        if (Pending && !own) {
          TPendingRun& r = Pending->Take(P, TPendingRun::Glyphs, color.rgba(), glyphs * t * Base, Base, Op.Clipped,
                                         OpClip(), QPen(color), Qt::NoBrush, &raw);
          for (size_t i = 0; i < run.X.size(); ++i) {
            r.Indexes.append(run.Glyphs[i]);
            r.Positions.append(position(i));
          }
        } else {
          QList<QPointF> positions;
          for (size_t i = 0; i < run.X.size(); ++i) positions.append(position(i));
          QGlyphRun glyphRun;
          glyphRun.setRawFont(raw);
          glyphRun.setGlyphIndexes(QList<quint32>(run.Glyphs.begin(), run.Glyphs.end()));
          glyphRun.setPositions(positions);
          SetTransform(glyphs * t * Base);
          P.setPen(color);
          SetHint(P, QPainter::Antialiasing, true);
          SetHint(P, QPainter::TextAntialiasing, true);
          P.drawGlyphRun(QPointF(0, 0), glyphRun);
        }
        SetTransform(t * Base);
      }
    }
    if (Op.Font.Style & (fsUnderline | fsStrikeOut)) FlushPending();
    if (Op.Font.Style & fsUnderline)

      P.fillRect(QRect(o.x(), o.y() + run.Metric.Ascent + run.UnderlineOffset, run.Width, run.UnderlineThickness),
                 color);
    if (Op.Font.Style & fsStrikeOut)
      P.fillRect(QRect(o.x(), o.y() + run.Metric.Ascent - run.StrikeOutOffset, run.Width, run.StrikeOutThickness),
                 color);
  }

  void Bitmap() {
    if (!Op.Bitmap) return;
    QImage image = BitmapImage(*Op.Bitmap);
    if (Op.Bitmap->Transparent) {
      image = image.convertToFormat(QImage::Format_ARGB32);
      QRgb key = FromColor(Op.Bitmap->TransparentColor()).rgb();
      for (int y = 0; y < image.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
          if ((line[x] | 0xFF000000u) == key) line[x] = 0;
      }
    }
    SetTransform(Base);
    if (Op.Kind == TCanvasOpKind::DrawBitmap) {
      P.drawImage(Dev(Op.Points[0]), image);
    } else {
      QRect r(Dev({Op.Rect.Left, Op.Rect.Top}), Dev({Op.Rect.Right - 1, Op.Rect.Bottom - 1}));
      P.drawImage(r, image);
    }
  }

  void Run() {
    SetTransform(Base);
    if (Op.Clipped)
      P.setClipRect(QRect(Op.Clip.Left, Op.Clip.Top, Op.Clip.Width(), Op.Clip.Height()));
    else
      P.setClipping(false);
    SetHint(P, QPainter::Antialiasing, false);
    SetHint(P, QPainter::SmoothPixmapTransform, false);
    P.setOpacity(1);
    bool xorMode = Op.Pen.Mode == pmXor;
    P.setCompositionMode(xorMode ? QPainter::RasterOp_SourceXorDestination : QPainter::CompositionMode_SourceOver);
    switch (Op.Kind) {
      case TCanvasOpKind::Line:
      case TCanvasOpKind::Polyline:
        Outline(DevPoints(), false);
        break;
      case TCanvasOpKind::Polygon: {
        std::vector<QPoint> pts = DevPoints();
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        path.addPolygon(QPolygonF(QPolygon(QList<QPoint>(pts.begin(), pts.end()))));
        path.closeSubpath();
        if (FillAndStroke(path)) break;
        Fill(path);
        Outline(pts, true);
        break;
      }
      case TCanvasOpKind::PolyBezier: {
        QPainterPath path(Dev(Op.Points[0]));
        for (size_t i = 1; i + 2 < Op.Points.size(); i += 3)
          path.cubicTo(Dev(Op.Points[i]), Dev(Op.Points[i + 1]), Dev(Op.Points[i + 2]));
        OutlinePath(path, false);
        break;
      }
      case TCanvasOpKind::Rectangle: {
        QRectF box = OutlineBox();
        int l = static_cast<int>(box.left()), t = static_cast<int>(box.top());
        int r = l + static_cast<int>(box.width()), b = t + static_cast<int>(box.height());
        QPainterPath frame;
        frame.addRect(QRectF(l, t, r - l, b - t));
        if (FillAndStroke(frame)) break;
        // With a pen the fill stays inside the frame, so that in XOR mode
        // no pixel is toggled twice.
        QPainterPath path;
        path.addRect(HasPen() ? box.adjusted(1, 1, 0, 0) : box);
        Fill(path);
        Outline({{l, t}, {r, t}, {r, b}, {l, b}}, true);
        break;
      }
      case TCanvasOpKind::RoundRect:
      case TCanvasOpKind::Ellipse: {
        if (Op.Kind == TCanvasOpKind::Ellipse && Dot()) break;
        QPainterPath path;
        if (Op.Kind == TCanvasOpKind::Ellipse)
          path.addEllipse(OutlineBox());
        else
          path.addRoundedRect(OutlineBox(), std::abs(Op.Corner.cx) / 2.0, std::abs(Op.Corner.cy) / 2.0);
        if (FillAndStroke(path)) break;
        Fill(path);
        OutlinePath(path, true);
        break;
      }
      case TCanvasOpKind::Arc:
      case TCanvasOpKind::Pie:
      case TCanvasOpKind::Chord:
        RadialShape();
        break;
      case TCanvasOpKind::FillRect: {
        const TRect& r = Op.Rect;
        if (r.IsEmpty() || (Op.Brush.Style == bsClear && !Op.Brush.Bitmap)) break;
        P.setCompositionMode(QPainter::CompositionMode_SourceOver);
        P.fillRect(QRect(Dev({r.Left, r.Top}), QSize(r.Width(), r.Height())), CanvasBrush(Op.Brush, Ppi, Base));
        break;
      }
      case TCanvasOpKind::Text:
        P.setCompositionMode(QPainter::CompositionMode_SourceOver);
        Text();
        break;
      case TCanvasOpKind::DrawBitmap:
      case TCanvasOpKind::StretchBitmap:
        P.setCompositionMode(QPainter::CompositionMode_SourceOver);
        Bitmap();
        break;
    }
  }
};

QPainterPath ToQPath(const TGraphicsPath& path) {
  QPainterPath q;
  q.setFillRule(Qt::OddEvenFill);
  const auto& pts = path.Points();
  for (size_t i = 0; i < pts.size(); ++i) {
    QPointF p(pts[i].P.X, pts[i].P.Y);
    switch (pts[i].Type & 0x7F) {
      case TGraphicsPath::ptStart:
        q.moveTo(p);
        break;
      case TGraphicsPath::ptBezier:
        if (i + 2 < pts.size()) {
          q.cubicTo(p, QPointF(pts[i + 1].P.X, pts[i + 1].P.Y), QPointF(pts[i + 2].P.X, pts[i + 2].P.Y));
          i += 2;
        }
        break;
      default:
        q.lineTo(p);
        break;
    }
    if (pts[i].Type & TGraphicsPath::ptCloseFlag) q.closeSubpath();
  }
  return q;
}

// Dash lengths in pen widths.
QPen GraphicsPen(const TGPen& pen) {
  QPen q(FromARGB(pen.Color), pen.Width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
  static const QList<qreal> dash{3, 1}, dot{1, 1}, dashDot{3, 1, 1, 1}, dashDotDot{3, 1, 1, 1, 1, 1};
  switch (pen.DashStyle) {
    case DashStyleDash: q.setDashPattern(dash); break;
    case DashStyleDot: q.setDashPattern(dot); break;
    case DashStyleDashDot: q.setDashPattern(dashDot); break;
    case DashStyleDashDotDot: q.setDashPattern(dashDotDot); break;
    default: break;
  }
  return q;
}

}  // namespace

void TQtDevice::Draw(const TCanvasOp& op) {
  QPainter& p = impl_->Painter();
  const bool vector = p.paintEngine() && p.paintEngine()->type() != QPaintEngine::Raster;
  // Lines, shapes and texts may join the waiting runs (or draw them first);
  // anything else is drawn after them.
  const bool joins = op.Kind != TCanvasOpKind::FillRect && op.Kind != TCanvasOpKind::DrawBitmap &&
                     op.Kind != TCanvasOpKind::StretchBitmap;
  if (!vector || !joins) impl_->Pending.Flush(p);
  TCanvasPainter{p, op, impl_->Base, ppiY_, vector ? &impl_->Pending : nullptr}.Run();
}

void TQtDevice::Draw(const TGraphicsOp& op) {
  QPainter& p = impl_->Painter();
  const TGMatrix& m = op.Transform;
  // Coordinates name pixel centres. Without smoothing a pixel is filled when
  // its centre lies inside, the left and top edge counting as inside: the
  // slightly smaller shift keeps centres off the edges of whole-numbered
  // figures, where the toolkit would count the other edges.
  bool smooth = op.Smoothing == SmoothingModeAntiAlias;
  double shift = smooth ? 0.5 : 0.5 - 1.0 / 64;
  QTransform world = QTransform(m.M11, m.M12, m.M21, m.M22, m.DX, m.DY) *
                     QTransform::fromTranslate(shift, shift) * impl_->Base;

  QRectF box(op.Rect.X, op.Rect.Y, op.Rect.Width, op.Rect.Height);
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
  bool fill = false;
  // Clockwise on the screen is negative for the toolkit.
  auto arc = [&](bool pie) {
    double qs, qsw;
    ArcAngles(box, -op.StartAngle, -op.SweepAngle, qs, qsw);
    if (pie) {
      path.moveTo(box.center());
      path.arcTo(box, qs, qsw);
      path.closeSubpath();
    } else {
      path.arcMoveTo(box, qs);
      path.arcTo(box, qs, qsw);
    }
  };
  QPolygonF poly;
  for (const TPointF& pt : op.Points) poly << QPointF(pt.X, pt.Y);
  switch (op.Kind) {
    case TGraphicsOpKind::DrawLines:
      path.addPolygon(poly);
      break;
    case TGraphicsOpKind::DrawPolygon:
      path.addPolygon(poly);
      path.closeSubpath();
      break;
    case TGraphicsOpKind::FillPolygon:
      path.addPolygon(poly);
      path.closeSubpath();
      fill = true;
      break;
    case TGraphicsOpKind::DrawRectangle: path.addRect(box); break;
    case TGraphicsOpKind::FillRectangle: path.addRect(box); fill = true; break;
    case TGraphicsOpKind::DrawEllipse: path.addEllipse(box); break;
    case TGraphicsOpKind::FillEllipse: path.addEllipse(box); fill = true; break;
    case TGraphicsOpKind::DrawArc: arc(false); break;
    case TGraphicsOpKind::DrawPie: arc(true); break;
    case TGraphicsOpKind::FillPie: arc(true); fill = true; break;
    case TGraphicsOpKind::DrawPath: path = ToQPath(op.Path); break;
    case TGraphicsOpKind::FillPath: path = ToQPath(op.Path); fill = true; break;
  }
  const QRect clip(op.Clip.Left, op.Clip.Top, op.Clip.Width(), op.Clip.Height());
  // Opaque plain fills and solid lines wait with the canvas's (see
  // TPendingRuns).
  if (p.paintEngine() && p.paintEngine()->type() != QPaintEngine::Raster) {
    const QRgb color = fill ? op.Brush.Color : op.Pen.Color;
    if (qAlpha(color) == 255 && (fill ? !op.Brush.Hatched : op.Pen.DashStyle == DashStyleSolid)) {
      TPendingRun& run = impl_->Pending.Take(p, fill ? TPendingRun::Fill : TPendingRun::Stroke, color, world,
                                             impl_->Base, op.Clipped, clip, fill ? QPen(Qt::NoPen) : GraphicsPen(op.Pen),
                                             fill ? QBrush(FromARGB(op.Brush.Color)) : QBrush(Qt::NoBrush), nullptr);
      if (fill) run.Fills.push_back(path);
      else run.Path.addPath(path);
      return;
    }
  }
  impl_->Pending.Flush(p);
  if (op.Clipped) {
    SetTransform(p, impl_->Base);
    p.setClipRect(clip);
  } else {
    p.setClipping(false);
  }
  SetTransform(p, world);
  p.setOpacity(1);
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  SetHint(p, QPainter::Antialiasing, smooth);
  if (fill) {
    p.setPen(Qt::NoPen);
    SetBrush(p, GraphicsBrush(op.Brush, ppiY_, world));
  } else {
    p.setPen(GraphicsPen(op.Pen));
    SetBrush(p, Qt::NoBrush);
  }
  p.drawPath(path);
}

}  // namespace qs
