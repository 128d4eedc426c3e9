#include "render/paintcontext.h"

#include "base/mathutil.h"
#include "platform/canvas.h"

namespace qs {

int RoundRatio(long long num, long long den) { return Round(static_cast<double>(num) / static_cast<double>(den)); }

void TQSPaintContext::Derive(int scale, int zoomX, int zoomY, TQSWindowStyle style, int ppi, long double lineSpace) {
  Scale = scale;
  ZoomX = zoomX;
  ZoomY = zoomY;
  Style = style;
  const long long sz = static_cast<long long>(scale) * zoomX;
  Width05 = RoundRatio(sz, 20000);
  Width1 = RoundRatio(sz, 10000);
  Width15 = RoundRatio(3 * sz, 20000);
  Width2 = RoundRatio(2 * sz, 10000);
  Width3 = RoundRatio(3 * sz, 10000);
  Width4 = RoundRatio(4 * sz, 10000);
  Width5 = RoundRatio(5 * sz, 10000);
  Width6 = RoundRatio(6 * sz, 10000);
  Width7 = RoundRatio(7 * sz, 10000);
  Width8 = RoundRatio(8 * sz, 10000);
  Width10 = RoundRatio(10 * sz, 10000);
  HairlinePen = Width05;
  LinePen = Width1;
  ThickLinePen = Width2;

  DampedZoom = zoomX < 100 ? zoomX : 100 + (zoomX - 100) / 4;
  Damped05 = DampedZoom / 200;
  Damped1 = DampedZoom / 100;
  Damped2 = DampedZoom / 50;
  Damped4 = DampedZoom / 25;
  Damped5 = DampedZoom / 20;
  Damped10 = DampedZoom / 10;
  Damped3 = 3 * DampedZoom / 100;
  Damped6 = 6 * DampedZoom / 100;
  Damped8 = 8 * DampedZoom / 100;

  // A printer renders points at its own resolution: only the scale enters.
  const bool print = style == wsPrint;
  auto font = [&](int k) { return print ? RoundRatio(k * static_cast<long long>(scale), 100) : RoundRatio(k * sz, 10000); };
  Font4 = font(4);
  Font5 = font(5);
  Font6 = font(6);
  Font7 = font(7);
  Font8 = font(8);
  Font9 = font(9);
  Font10 = font(10);
  Font11 = font(11);
  Font16 = font(16);

  GlyphQuality = zoomX >= 100 ? 4 : 0;
  SmallGlyphQuality = zoomX >= 50 ? 4 : 0;

  const long double space = scale == 100 ? ppi * lineSpace * zoomY / 25400.0L
                                         : ppi * lineSpace * zoomY * scale / 2540000.0L;
  StaffSpace = Round(static_cast<double>(space));
}

uint32_t TQSPaintContext::LineColor() const { return PrintOrExport() ? clBlack : clSilver; }

}  // namespace qs
