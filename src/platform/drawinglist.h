#pragma once
// The drawing calls of one picture (a page image), each with the device
// pixels it may touch, kept so that the picture can be brought up to date
// in part: where the calls of the picture as it was and as it is now
// differ is a band of rows, and only the calls that reach into that band
// are drawn again, clipped to it, over the picture as it was.
#include <variant>
#include <vector>

#include "base/geometry.h"
#include "platform/drawdevice.h"

namespace qs {

class TDrawingList {
 public:
  using TOp = std::variant<TCanvasOp, TGraphicsOp>;

  void Add(const TCanvasOp& op);
  void Add(const TGraphicsOp& op);
  size_t Size() const { return ops_.size(); }
  bool Empty() const { return ops_.empty(); }
  // False when a call cannot be drawn again from the list: a bitmap is
  // the caller's only while its call runs.
  bool Redrawable() const { return redrawable_; }
  // The device pixels the call may touch (never fewer than it does).
  const TRect& Reach(size_t index) const { return reach_[index]; }

  // The rows of the device where the pictures of the two lists may differ:
  // what the calls from the first that differs to the last that differs
  // reach, in either list. Empty when both draw the same; every row of a
  // picture of height rows when either list cannot be drawn again.
  static TRect ChangedBand(const TDrawingList& before, const TDrawingList& after, int width, int height);

  // Draws every call that reaches into band, clipped to it, in order: the
  // band then shows what drawing all calls shows there.
  void DrawBand(TDrawDevice& device, const TRect& band) const;

 private:
  std::vector<TOp> ops_;
  std::vector<TRect> reach_;
  bool redrawable_ = true;
};

// Keeps every call in a list and passes it on to a target device, when
// there is one.
class TListingDevice : public TDrawDevice {
 public:
  TListingDevice(TDrawingList& list, TDrawDevice* target, int ppiX, int ppiY)
      : list_(list), target_(target), ppiX_(ppiX), ppiY_(ppiY) {}
  int PixelsPerInchX() const override { return ppiX_; }
  int PixelsPerInchY() const override { return ppiY_; }
  void Draw(const TCanvasOp& op) override;
  void Draw(const TGraphicsOp& op) override;

 private:
  TDrawingList& list_;
  TDrawDevice* target_;
  int ppiX_, ppiY_;
};

}  // namespace qs
