#pragma once
// The engine both help controls share: the items of a page laid out into
// lines that wrap at the control's width, painted through a back buffer,
// scrolled by dragging and by the wheel, with blocks that open and close
// by a click. The help viewer (topics from a container, topic links,
// history) and the news reader (items of a feed) build on it.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "help/helpcontent.h"
#include "platform/controls.h"

namespace qs {

class TBitmap;

using TECRefEvent = std::function<void(TObject* sender, const std::string& ref)>;

// One laid-out piece of an item: a piece of its text, a picture or a rule,
// with its rectangle in content coordinates.
struct TECHelpRun {
  const TECHelpItem* Item = nullptr;
  std::string Text;
  TRect Rect;
};

class TECHelpView : public TCustomControl {
 public:
  explicit TECHelpView(TComponent* owner);
  ~TECHelpView() override;

  // Pixels of indentation per nesting step.
  int Paragraph() const { return paragraph_; }
  void SetParagraph(int value);
  // When set nothing wraps; the content width is the widest line.
  bool Autosize() const { return autosize_; }
  void SetAutosize(bool value);

  TECRefEvent OnClickRef;
  TNotifyEvent OnHistory;

  // While locked, reloading, layout and repainting only remember that they
  // are due; the last EndUpdate does them once.
  void BeginUpdate() { ++lock_; }
  void EndUpdate();
  void Redraw();
  void LayoutItems();
  void ClampScroll();

  // The run under a client point, or null.
  const TECHelpRun* RunAt(int x, int y) const;
  const std::vector<TECHelpRun>& Runs() const { return runs_; }
  const std::vector<std::unique_ptr<TECHelpItem>>& Items() const { return items_; }
  int ContentWidth() const { return contentWidth_; }
  int ContentHeight() const { return contentHeight_; }
  int ScrollX() const { return scrollX_; }
  int ScrollY() const { return scrollY_; }
  // Opens or closes a block header as a click on it does.
  void Toggle(const TECHelpItem& header);

  const char* ClassName() const override { return "TECHelpView"; }

 protected:
  // Rebuilds the items from the control's source.
  virtual void LoadItems() = 0;
  // A click on a run whose item carries a link.
  virtual void LinkClicked(const TECHelpItem& item) = 0;
  // Reloads now, or when the lock is released.
  void Reload();
  // The first item with empty text starts nothing (a page's leading blank).
  bool skipEmptyFirst_ = true;
  std::vector<std::unique_ptr<TECHelpItem>> items_;

  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
  void Resize() override;

 private:
  struct TLayout;
  void ApplyFont(TCanvas& canvas, const TECFont& font) const;
  TBitmap* PictureBitmap(const TECHelpItem& item);

  int paragraph_ = 8;
  bool autosize_ = false;
  int lock_ = 0;
  bool pendingLoad_ = false, pendingLayout_ = false, pendingPaint_ = false;
  std::vector<TECHelpRun> runs_;
  int contentWidth_ = 0, contentHeight_ = 0;
  int scrollX_ = 0, scrollY_ = 0;
  bool dragging_ = false;
  TPoint last_;
  const TECHelpItem* expanded_ = nullptr;
  // Decoded pictures, by item.
  std::vector<std::pair<const TECHelpItem*, std::unique_ptr<TBitmap>>> bitmaps_;
};

}  // namespace qs
