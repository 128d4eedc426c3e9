#include "uikit/popupwindow.h"

#include "platform/canvas.h"

namespace qs {

TEcPopupWindow::TEcPopupWindow(TControl* ownerControl) : TCustomForm(nullptr), ownerControl_(ownerControl) {
  SetBorderStyle(bsNone);
  SetNoActivate(true);
  SetVisible(false);
}

void TEcPopupWindow::CloseUp(bool accept) {
  if (OnCloseUp) OnCloseUp(this, accept);
}

void TEcPopupWindow::InvalidateOwner() {
  if (ownerControl_) ownerControl_->Repaint();
}

void TEcPopupWindow::Paint() {
  TCanvas& c = Canvas();
  // The single border a frameless pop-up draws for itself.
  c.Brush().Color = Color();
  c.Brush().Style = bsSolid;
  c.Pen().Color = clWindowFrame;
  c.Pen().Style = psSolid;
  c.Rectangle(ClientRect());
}

}  // namespace qs
