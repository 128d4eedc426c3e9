#include "palettes/navigator.h"

#include "platform/extctrls.h"
#include "score/score.h"
#include "view/navigator.h"
#include "view/window.h"

namespace qs {

namespace {

constexpr int kClientWidth = 420, kClientHeight = 64;

// The navigator panel of the palette: it shows whichever view is active,
// and lets go of a view that goes away.
class TNavigatorPane : public TQSNavigatorPanel {
 public:
  TNavigatorPane(TComponent* owner, TPaletteHost* host) : TQSNavigatorPanel(owner), host_(host) {}
  ~TNavigatorPane() override { Follow(nullptr); }

  // Shows view's timeline from now on; the score of the view shown before
  // no longer draws its marker here.
  void Follow(TQSWindow* view) {
    if (view == View) return;
    if (View) {
      if (View->Score && View->Score->NavigatorPanel == this) {
        View->Score->NavigatorPanel = nullptr;
        View->Score->NavigatorMarkerDrawn = false;
      }
      View->RemoveFreeNotification(this);
    }
    View = view;
    if (View) View->FreeNotification(this);
    Invalidate();
  }

 protected:
  void Paint() override {
    if (host_) Follow(ActiveView(host_));
    TQSNavigatorPanel::Paint();
  }
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override {
    if (host_) Follow(ActiveView(host_));
    TQSNavigatorPanel::MouseDown(button, shift, x, y);
  }
  void Notification(TComponent* component, TOperation operation) override {
    TQSNavigatorPanel::Notification(component, operation);
    if (operation == opRemove && component == View) View = nullptr;
  }

 private:
  TPaletteHost* host_;
};

}  // namespace

TFNavigator::TFNavigator(TComponent* owner, const TPaletteContext& context)
    : TQSToolPage(owner, context.Settings, "FNavigator"), host_(context.Host) {
  SetCaption("Navigator");
  SetClientWidth(kClientWidth);
  SetClientHeight(kClientHeight);
  auto* pane = new TNavigatorPane(this, host_);
  pane->SetName("PNavigator");
  pane->SetParent(PClient);
  pane->SetBounds(1, 1, kClientWidth - 2, kClientHeight - 2);
  pane->SetAlign(alClient);
  PNavigator = pane;
  OnSetAttached = [this](bool attached) {
    if (host_) host_->SetPaletteAttached("Navigator", attached);
  };
  OnDropped = [this](TPoint screen) {
    if (host_) host_->PaletteDropped("Navigator", screen.X, screen.Y);
  };
  OnActivate = [this](TObject*) {
    if (host_) host_->PaletteActivated("Navigator");
  };
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState shift) {
    if (host_) host_->PaletteKeyDown(key, shift);
  };
  Finish();
}

TQSWindow* TFNavigator::ShownView() const { return PNavigator->View; }

void TFNavigator::ApplyTool() {
  static_cast<TNavigatorPane*>(PNavigator)->Follow(host_ ? ActiveView(host_) : nullptr);
  PNavigator->Invalidate();
}

void TFNavigator::CursorMoved(TQSWindow& view) {
  static_cast<TNavigatorPane*>(PNavigator)->Follow(&view);
}

}  // namespace qs
