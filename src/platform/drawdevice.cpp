#include "platform/drawdevice.h"

#include "platform/gui.h"

namespace qs {

namespace {
// The screen's measuring context: it has a resolution and draws nothing.
class TNullDevice : public TDrawDevice {
 public:
  explicit TNullDevice(int ppi) : ppi_(ppi) {}
  int PixelsPerInchX() const override { return ppi_; }
  int PixelsPerInchY() const override { return ppi_; }
  void Draw(const TCanvasOp&) override {}
  void Draw(const TGraphicsOp&) override {}

 private:
  int ppi_;
};

template <class T>
std::vector<T> OpsOf(const std::vector<TRecordingDevice::TOp>& ops) {
  std::vector<T> out;
  for (const auto& op : ops)
    if (const T* p = std::get_if<T>(&op)) out.push_back(*p);
  return out;
}
}  // namespace

std::vector<TCanvasOp> TRecordingDevice::CanvasOps() const { return OpsOf<TCanvasOp>(ops_); }
std::vector<TGraphicsOp> TRecordingDevice::GraphicsOps() const { return OpsOf<TGraphicsOp>(ops_); }

TRecordingCanvas::TRecordingCanvas(int pixelsPerInch)
    : Recorder(std::make_shared<TRecordingDevice>(pixelsPerInch)), Canvas(Recorder) {}

std::unique_ptr<TCanvas> CreateScreenCanvas() {
  return std::make_unique<TCanvas>(std::make_shared<TNullDevice>(ScreenPixelsPerInch()));
}

}  // namespace qs
