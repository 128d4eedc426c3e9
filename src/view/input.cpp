// Mouse and wheel input of the view: a press places the cursor and selects
// (or starts a rubber band on empty paper, or presses a page button), the
// wheel scrolls, and with Ctrl zooms.
#include <algorithm>

#include "platform/canvas.h"
#include "score/score.h"
#include "view/window.h"

namespace qs {

// ------------------------------------------------------------ rubber band

TRect TQSWindow::RubberBandRect(int x, int y) const {
  return {std::min(DragStart.X, x), std::min(DragStart.Y, y), std::max(DragStart.X, x), std::max(DragStart.Y, y)};
}

void TQSWindow::DrawRubberBand(int x, int y, bool show) {
  TCanvas* screen = Host() ? Host()->Screen() : nullptr;
  if (!screen) return;
  auto frame = [&](const TRect& r) {
    // A dotted XOR frame: drawing it twice restores the pixels.
    screen->MoveTo(r.Left, r.Top);
    screen->LineTo(r.Right - 1, r.Top);
    screen->LineTo(r.Right - 1, r.Bottom - 1);
    screen->LineTo(r.Left, r.Bottom - 1);
    screen->LineTo(r.Left, r.Top);
  };
  const int level = screen->SaveDC();
  screen->IntersectClipRect(GetPageAreaRect());
  screen->Pen() = TPen{clWhite, 1, psDot, pmXor};
  const TRect old = RubberBandRect(DragPoint.X, DragPoint.Y);
  frame(old);
  TRect shown = old;
  if (show) {
    shown = RubberBandRect(x, y);
    frame(shown);
  }
  screen->Pen().Mode = pmCopy;
  screen->RestoreDC(level);
  Host()->Flush({std::min(old.Left, shown.Left), std::min(old.Top, shown.Top), std::max(old.Right, shown.Right) + 1,
                std::max(old.Bottom, shown.Bottom) + 1});
}

// ------------------------------------------------------------------ mouse

void TQSWindow::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (!HasFocus) SetFocus();
  const TPoint p{x, y};
  if (!Score) {
    TCustomControl::MouseDown(button, shift, x, y);
    return;
  }
  if ((shift & ssDouble) && EditTextAtPoint(p)) return;
  const bool clearFirst = !(shift & (ssAlt | ssCtrl));
  if (button != mbLeft) {
    PointToCursor(p);
    SelectAtPoint(p, true, clearFirst);
    TCustomControl::MouseDown(button, shift, x, y);
    return;
  }
  TCustomControl::MouseDown(button, shift, x, y);
  const int r = RulerWidth();
  if (Rule.Visible && (x < r || y < r)) return;  // the rulers' markers come with the rulers
  if (y >= ClientHeight() - HorzBar.Thickness) {
    for (int i = 1; i <= 7; ++i)
      if (ButtonEnabled[static_cast<size_t>(i)] && Buttons[static_cast<size_t>(i)].Contains(p)) {
        PressedButton = i;
        InvalidateButtonBar();
        break;
      }
    return;
  }
  if (Style == wsPreview || Style == wsView || (shift & ssShift)) {
    LastPoint = p;
    MouseHeld = Panning = true;
    TCustomControl::SetCursor(crHandPoint);
    if (Style == wsView) PointToCursor(p);
    return;
  }
  PressPoint = LastPoint = p;
  PointToCursor(p);
  LastAddedElement = nullptr;
  HitTestHandles(p);
  bool addedScoreElement = false;
  if ((shift & ssDouble) || HandleCode == 0) {
    const bool hit = SelectAtPoint(p, true, clearFirst);
    addedScoreElement = hit && LastAddedElement;
    if (hit) DragMouseDown(p, true, shift & ssDouble);
    if (!hit && !EditedElement && !(shift & ssDouble) && ToolCode == 0 && ArmedItem == 0) {
      RubberBand = true;
      DragStart = DragPoint = p;
      DrawRubberBand(x, y, true);
    }
  } else {
    DragMouseDown(p, false, false);
  }
  if (addedScoreElement && OnItemClick)
    OnItemClick(this, LastAddedElement);
  else
    Fire(OnScoreClick, this);
}

void TQSWindow::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
  const TPoint p{x, y};
  // The press decided on panning; it goes on while the button is held.
  if (MouseHeld && Panning) {
    ScrollBoth(LastPoint.X + HorzBar.Position - x, VertBar.Position + LastPoint.Y - y);
    LastPoint = p;
    return;
  }
  if (DragMouseMove(p)) return;
  if (RubberBand && !(p == LastPoint)) {
    DrawRubberBand(x, y, true);
    DragPoint = LastPoint = p;
  }
}

void TQSWindow::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
  if (button != mbLeft) {
    // Another button ends a move drag without moving: its figures go.
    if (MoveDragging) CancelDrag();
    return;
  }
  if (Panning) TCustomControl::SetCursor(crDefault);
  MouseHeld = Panning = false;
  if (PressedButton != 0) {
    const int pressed = PressedButton;
    PressedButton = 0;
    InvalidateButtonBar();
    if (!Score) return;
    const int n = std::max(Score->PageCount, Score->LaidOutPages);
    switch (pressed) {
      case 1: GotoPage(0); break;
      case 2: GotoPage(CursorPosition.Page - 1); break;
      case 3: Fire(OnChoosePage, this); break;
      case 4: GotoPage(CursorPosition.Page + 1); break;
      case 5: GotoPage(Score->LaidOutPages - 1); break;
      case 6: Score->SetPageCount(n + 1); break;
      case 7: Score->SetPageCount(n - 1); break;
      default: break;
    }
    return;
  }
  if (DragMouseUp({x, y})) {
    RubberBand = false;
  } else if (RubberBand) {
    DrawRubberBand(x, y, false);
    RubberBand = false;
    if (LastPoint.X != PressPoint.X || LastPoint.Y != PressPoint.Y)
      SelectInRect(RubberBandRect(x, y), !(shift & ssAlt));
  }
  HandleCode = 0;
}

bool TQSWindow::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
  if (TCustomControl::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
  const int s = wheelDelta >= 0 ? 1 : -1;
  if (shift & ssCtrl) {
    SetZoom(Zoom + 25 * s);
  } else if (shift & ssAlt) {
    SetFret(CursorFret + s);
  } else if (shift & ssShift) {
    SetCursorLine(CursorLine + s);
  } else if (!(shift & (ssLeft | ssRight | ssMiddle))) {
    int v = VertBar.Position - wheelDelta * Zoom / 200;
    ScrollTo(true, scPosition, v);
  } else {
    return false;
  }
  return true;
}

}  // namespace qs

