#include "playback/sideeditor.h"

#include <algorithm>

#include "platform/stdctrls.h"
#include "score/calcrecords.h"
#include "score/score.h"

namespace qs {

int ShownMeasureNumber(const TQSMeasureSlot* slot, int index) {
  const auto* calc = dynamic_cast<const TQSCalcMeasure*>(slot);
  return calc && calc->Number > 0 ? calc->Number + index - calc->MeasureIndex : index + 1;
}

TQSSideEditor::TQSSideEditor(TComponent* owner) : TCustomControl(owner) {
  SetTabStop(true);
  SetBounds(0, 0, 100, 100);
  HorzBar = new TScrollBar(this);
  HorzBar->SetParent(this);
  HorzBar->SetKind(sbHorizontal);
  VertBar = new TScrollBar(this);
  VertBar->SetParent(this);
  VertBar->SetKind(sbVertical);
  for (TScrollBar* bar : {HorzBar, VertBar}) {
    bar->SetTabStop(false);
    bar->SmallChange = 10;
    bar->LargeChange = 50;
    bar->OnChange = [this](TObject*) { Invalidate(); };
  }
  OnEnter = [this](TObject*) { Invalidate(); };
  OnExit = [this](TObject*) { Invalidate(); };
}

void TQSSideEditor::PlaceScrollBars(int horzLeft) {
  const int bar = 16;
  const int w = ClientWidth(), h = ClientHeight();
  HorzBar->SetBounds(horzLeft, h - bar, std::max(0, w - bar - horzLeft), bar);
  VertBar->SetBounds(w - bar, 0, bar, std::max(0, h - bar));
}

void TQSSideEditor::SetScrollRanges(int visibleWidth, int visibleHeight) {
  auto set = [](TScrollBar* bar, int content, int visible) {
    const int page = std::min(content, std::max(1, visible));
    bar->SetParams(std::clamp(bar->Position(), 0, std::max(0, content - page)), 0, std::max(0, content), page);
  };
  set(HorzBar, contentWidth_, visibleWidth);
  set(VertBar, contentHeight_, visibleHeight);
}

void TQSSideEditor::DrawXor(const TRect& clip, TPen pen, const std::function<void(TCanvas&)>& draw) {
  TCanvas& c = Canvas();
  const int level = c.SaveDC();
  c.IntersectClipRect(clip);
  pen.Mode = pmXor;
  c.Pen() = pen;
  c.Brush().Style = bsClear;
  draw(c);
  c.RestoreDC(level);
}

TRect TQSSideEditor::DrawingArea() const {
  return TRect{0, 0, ClientWidth() - VertBar->Width(), ClientHeight() - HorzBar->Height() - 1};
}

void TQSSideEditor::ScrollTo(int h, int v) {
  auto to = [](TScrollBar* bar, int position) {
    const int last = std::max(bar->Min(), bar->Max() - bar->PageSize());
    bar->SetPosition(std::clamp(position, bar->Min(), last));
  };
  to(HorzBar, h);
  to(VertBar, v);
}

void TQSSideEditor::PaintBarCorner(TCanvas& canvas) {
  canvas.Brush().Style = bsSolid;
  canvas.Brush().Color = ColorToRGB(clBtnFace);
  canvas.FillRect(TRect{0, HorzBar->Top(), HorzBar->Left(), ClientHeight()});
}

void TQSSideEditor::NotifyChanged() {
  if (!score_ || !score_->OnChanged) return;
  {
    ++updates_;
    struct TLowered {
      int& updates;
      ~TLowered() { --updates; }
    } lowered{updates_};
    TSyncing guard(*this);
    score_->FireChanged(this);
  }
  SetFocus();
}

}  // namespace qs
