#pragma once
// The control stand-in of the view benchmarks: a screen bitmap of a typical
// document window, nothing painted on request.
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "view/window.h"

namespace qs::bench {

struct TScreenHost : TQSWindow::THost {
  TBitmap Bitmap{1200, 900};
  TCanvas* Screen() override { return &Bitmap.Canvas(); }
  void Invalidate(const TRect&, bool) override {}
  void Update() override {}
  void Flush(const TRect&) override {}
};

}  // namespace qs::bench
