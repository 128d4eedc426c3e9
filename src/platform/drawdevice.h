#pragma once
// What the canvas and the anti-aliased surface draw on. A device receives
// every drawing call with the state it resolved; it keeps none of its own
// besides its resolution.
//
// Devices: a raster image (TBitmap), the screen's measuring context (draws
// nothing), and the recording device for tests, which keeps every call.
#include <memory>
#include <variant>
#include <vector>

#include "platform/canvas.h"
#include "platform/graphics.h"

namespace qs {

class TDrawDevice {
 public:
  virtual ~TDrawDevice() = default;
  virtual int PixelsPerInchX() const = 0;
  virtual int PixelsPerInchY() const = 0;
  virtual void Draw(const TCanvasOp& op) = 0;
  virtual void Draw(const TGraphicsOp& op) = 0;
};

// Keeps every call, canvas and surface alike, in the order made.
class TRecordingDevice : public TDrawDevice {
 public:
  using TOp = std::variant<TCanvasOp, TGraphicsOp>;
  explicit TRecordingDevice(int pixelsPerInch = 96) : ppi_(pixelsPerInch) {}
  int PixelsPerInchX() const override { return ppi_; }
  int PixelsPerInchY() const override { return ppi_; }
  void Draw(const TCanvasOp& op) override { ops_.emplace_back(op); }
  void Draw(const TGraphicsOp& op) override { ops_.emplace_back(op); }

  const std::vector<TOp>& Ops() const { return ops_; }
  // The canvas calls alone, and the surface calls alone, in order.
  std::vector<TCanvasOp> CanvasOps() const;
  std::vector<TGraphicsOp> GraphicsOps() const;
  void Clear() { ops_.clear(); }

 private:
  int ppi_;
  std::vector<TOp> ops_;
};

// A canvas on a recording device, for tests.
struct TRecordingCanvas {
  explicit TRecordingCanvas(int pixelsPerInch = 96);
  std::shared_ptr<TRecordingDevice> Recorder;
  TCanvas Canvas;
};

// A canvas for measuring text on the screen, at the screen's pixels per
// inch; what is drawn on it goes nowhere.
std::unique_ptr<TCanvas> CreateScreenCanvas();

}  // namespace qs
