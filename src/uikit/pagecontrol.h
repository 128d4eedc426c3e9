#pragma once
// TECPageControl: the program's own notebook. It stacks pages (TECTabSheet),
// shows one of them (or, in double-sheet mode, two side by side like an
// open book) and draws a row of trapezoid tabs along one edge. The tab
// strip lies opposite the binding side; tabs that do not fit scroll with
// small arrow buttons. Forms dropped on a docking page control get a page
// of their own.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/actions.h"
#include "platform/bitmap.h"
#include "platform/controls.h"
#include "uikit/buttonscroll.h"

namespace qs {

class TECPageControl;
class TECTabSheet;

// The side of the binding; the tab strip lies on the opposite side.
enum TECPageOrientation : uint8_t { poLeft, poTop, poRight, poBottom };
enum TECAutoSize : uint8_t { asNone, asAlignSize, asAlignPosition };
enum TECTabStyle : uint8_t { tsNormal, tsRound, tsXP };
using TECPageChangingEvent = std::function<void(TObject* sender, TECTabSheet* tabSheet, bool& allowChange)>;

class TECPageSetting : public TPersistent {
 public:
  explicit TECPageSetting(std::function<void()> changed) : changed_(std::move(changed)) {}
  const char* ClassName() const override { return "TECPageSetting"; }
  const TBrush& Brush() const { return brush_; }
  void SetBrush(const TBrush& v);
  bool DoubleSheet() const { return doubleSheet_; }
  void SetDoubleSheet(bool v);
  TECPageOrientation Orientation() const { return orientation_; }
  void SetOrientation(TECPageOrientation v);
  void Assign(const TECPageSetting& source);

 private:
  void Changed() { if (changed_) changed_(); }
  std::function<void()> changed_;
  TBrush brush_;
  bool doubleSheet_ = true;
  TECPageOrientation orientation_ = poLeft;
};

class TECTabSetting : public TPersistent {
 public:
  explicit TECTabSetting(std::function<void()> changed) : changed_(std::move(changed)) {}
  const char* ClassName() const override { return "TECTabSetting"; }
  TECAutoSize AutoSize() const { return autoSize_; }
  void SetAutoSize(TECAutoSize v);
  int LeftOffset() const { return leftOffset_; }
  void SetLeftOffset(int v);
  int RightOffset() const { return rightOffset_; }
  void SetRightOffset(int v);
  // Thickness of the strip; 0 or less means 20.
  int Height() const { return height_; }
  void SetHeight(int v);
  int LeftBend() const { return leftBend_; }
  void SetLeftBend(int v);
  int RightBend() const { return rightBend_; }
  void SetRightBend(int v);
  TECTabStyle Style() const { return style_; }
  void SetStyle(TECTabStyle v);
  void Assign(const TECTabSetting& source);

 private:
  template <class T>
  void Set(T& field, T v) {
    if (field == v) return;
    field = v;
    if (changed_) changed_();
  }
  std::function<void()> changed_;
  TECAutoSize autoSize_ = asNone;
  int leftOffset_ = 0, rightOffset_ = 0, height_ = 0, leftBend_ = 0, rightBend_ = 0;
  TECTabStyle style_ = tsNormal;
};

// One page. Its Caption, Image and Picture show on its tab; Hint shows
// while the mouse is over the tab.
class TECTabSheet : public TCustomControl {
 public:
  explicit TECTabSheet(TComponent* owner);
  ~TECTabSheet() override;
  const char* ClassName() const override { return "TECTabSheet"; }
  const TPropTable& Published() const override;

  TECPageControl* PageControl() const;
  void SetPageControl(TECPageControl* control);
  int PageIndex() const;
  void SetPageIndex(int v);
  int StoredPageIndex() const { return storedIndex_; }

  const TBrush& Brush() const { return brush_; }
  void SetBrush(const TBrush& v);
  const TBrush& TabBrush() const { return tabBrush_; }
  void SetTabBrush(const TBrush& v);
  const TFont& TabFont() const { return tabFont_; }
  void SetTabFont(const TFont& v);
  int TabWidth() const { return tabWidth_; }
  void SetTabWidth(int v);
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool v);
  int Image() const { return image_; }
  void SetImage(int v);
  // Drawn on the tab of the shown page; null for none.
  const TBitmap* Picture() const { return picture_.get(); }
  void SetPicture(const TBitmap* v);

  bool IsTabShown() const { return Visible() && tabVisible_; }
  // The tab's own extent along the strip (without equal-extent sizing).
  int TabExtent() const;

  void SetParent(TWinControl* parent) override;
  void SetVisible(bool v) override;
  void SetBounds(int left, int top, int width, int height) override;

 protected:
  void Paint() override;
  void CaptionChanged() override;

 private:
  friend class TECPageControl;
  void ContentChanged();
  TBrush brush_, tabBrush_;
  TFont tabFont_;
  int tabWidth_ = 0;
  bool tabVisible_ = true;
  int image_ = -1;
  std::unique_ptr<TBitmap> picture_;
  int storedIndex_ = 0;
  bool reparenting_ = false;
  std::function<void()> onContent_;
  std::function<void()> onVisibility_;
};

class TECPageControl : public TCustomControl {
 public:
  explicit TECPageControl(TComponent* owner);
  ~TECPageControl() override;
  const char* ClassName() const override { return "TECPageControl"; }

  const TBrush& Brush() const { return brush_; }
  void SetBrush(const TBrush& v);
  const TBrush& SpiralBrush() const { return spiralBrush_; }
  void SetSpiralBrush(const TBrush& v);
  TECPageSetting& PageSetting() { return pageSetting_; }
  const TECPageSetting& PageSetting() const { return pageSetting_; }
  TECTabSetting& TabSetting() { return tabSetting_; }
  const TECTabSetting& TabSetting() const { return tabSetting_; }
  TECTabSheet* ActivePage() const { return active_; }
  void SetActivePage(TECTabSheet* page);
  bool SpiralVisible() const { return spiralVisible_; }
  void SetSpiralVisible(bool v);
  bool Beveled() const { return beveled_; }
  void SetBeveled(bool v);
  bool HotTrack() const { return hotTrack_; }
  void SetHotTrack(bool v) { hotTrack_ = v; }
  TImageList* Images() const { return imageLink_.Images(); }
  void SetImages(TImageList* v);
  const TBitmap* Picture() const { return picture_.get(); }
  void SetPicture(const TBitmap* v);
  TECPageChangingEvent OnPageChanging;
  TNotifyEvent OnPageChange;

  int PageCount() const { return static_cast<int>(pages_.size()); }
  // Raises EListError for an index out of range.
  TECTabSheet* Pages(int index) const;
  int GetVisiblePageCount() const;
  TECTabSheet* GetVisiblePage(int n) const;
  int VisibleIndexOf(const TECTabSheet* page) const;
  int IndexOfPage(const TECTabSheet* page) const;
  void MovePage(TECTabSheet* page, int newIndex);
  void InsertPage(TECTabSheet* page);
  void RemovePage(TECTabSheet* page);
  TECTabSheet* GetShownPage() const;
  TECTabSheet* FindNextPage(TECTabSheet* page, bool forward, bool onlyTabVisible) const;
  void ActivateNeighbourPage();

  TRect GetPageRect(const TECTabSheet* page) const;
  TECTabSheet* GetTabAt(int x, int y) const;
  TRect GetTabRect(const TECTabSheet* page) const;
  TRect GetTabRectByName(const std::string& name) const;
  int GetTabsLength() const;
  TRect GetTabStripRect(bool first) const;
  void ArrangePages();
  void ScrollActiveTabIntoView();
  void UpdateScrollButtons();
  void ScrollButtonClick(TObject* sender);
  // The tab a page has under the mouse (hot tracking), or null.
  TECTabSheet* HotTab() const { return hot_; }
  int ScrollOffset(bool first) const { return first ? offset1_ : offset2_; }
  // The scroll buttons: first strip back and forward, second strip back
  // and forward (null until first needed).
  TECButtonScroll* ScrollButton(int index) const { return buttons_[index]; }

  void SetBounds(int left, int top, int width, int height) override;
  // A size given by the parent's alignment (a maximised window) places
  // the pages as a size given directly does.
  void Resize() override;
  void Loaded() override;

  // Docking: a dropped form gets a page of its own.
  void DockDrop(TControl* client) override;
  void UndockClient(TControl* client) override;
  void RemoveDockClient(TControl* client) override;
  void DockClientTextChanged(TControl* client, const std::string& text) override;
  void DockClientVisibleChanged(TControl* client, bool visible) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseLeave() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TECTabSheet;
  // Geometry.
  int BandWidth() const;   // S
  int StripThickness() const;  // T
  int StripLength() const;  // L
  bool VerticalStrip() const;
  int Extent(const TECTabSheet* page) const;
  int StartBend() const;
  // The tab body: its span along the strip and the strip across.
  TRect TabBody(const TECTabSheet* page) const;
  bool OnFirstStrip(int tabIndex) const;
  TRect StripRectFor(bool first) const;
  void FullRepaint();
  void PageVisibilityChanged(TECTabSheet* page);
  void SettingChanged(bool tabs);
  // Painting.
  void PaintFrame(TCanvas& k, const TRect& f, int side);
  void PaintSpiral(TCanvas& k, bool vertical, int kind);
  void PaintTab(TCanvas& k, TECTabSheet* page, int side, bool firstStrip);
  TECTabSheet* PageOwning(const TControl* client) const;

  TBrush brush_, spiralBrush_;
  TECPageSetting pageSetting_;
  TECTabSetting tabSetting_;
  TECTabSheet* active_ = nullptr;
  bool spiralVisible_ = true, beveled_ = false, hotTrack_ = true;
  // Any change of the image list repaints the control.
  TImageChangeLink imageLink_{this, [this](TObject*) { Invalidate(); }};
  std::unique_ptr<TBitmap> picture_;
  std::vector<TECTabSheet*> pages_;
  TECTabSheet* hot_ = nullptr;
  int offset1_ = 0, offset2_ = 0;
  TECButtonScroll* buttons_[4] = {nullptr, nullptr, nullptr, nullptr};
  TECTabSheet* docking_ = nullptr;
  TECTabSheet* undocking_ = nullptr;
  bool hotOnly_ = false, fullRepaint_ = false, tabPressed_ = false;
};

// For review (formshot): page controls with tabs at the left and at the
// bottom.
void RegisterPageControlForms();

}  // namespace qs
