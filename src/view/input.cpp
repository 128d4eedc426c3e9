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
  if (button == mbLeft && ScrollBarMouseDown(p)) return;
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
    MouseHeld = true;
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
    if (!hit && !EditedElement && !(shift & ssDouble)) {
      RubberBand = true;
      DragStart = DragPoint = p;
      DrawRubberBand(x, y, true);
    }
  }
  if (addedScoreElement && OnItemClick)
    OnItemClick(this, LastAddedElement);
  else
    Fire(OnScoreClick, this);
}

void TQSWindow::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
  const TPoint p{x, y};
  if (ThumbDrag) {
    ScrollBarMouseMove(p);
    return;
  }
  if (MouseHeld && (Style == wsPreview || Style == wsView || (shift & ssShift))) {
    int h = LastPoint.X + HorzBar.Position - x, v = VertBar.Position + LastPoint.Y - y;
    const bool both = h != HorzBar.Position && v != VertBar.Position;
    if (h != HorzBar.Position) {
      const bool suppressed = SuppressEvents;
      if (both) SuppressEvents = true;
      ScrollTo(false, scPosition, h);
      SuppressEvents = suppressed;
    }
    if (v != VertBar.Position) ScrollTo(true, scPosition, v);
    LastPoint = p;
    return;
  }
  if (RubberBand && !(p == LastPoint)) {
    DrawRubberBand(x, y, true);
    DragPoint = LastPoint = p;
  }
}

void TQSWindow::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
  if (button != mbLeft) return;
  MouseHeld = false;
  if (ThumbDrag) {
    ThumbDrag = 0;
    return;
  }
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
  if (RubberBand) {
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

namespace qs {

// -------------------------------------------------------------- scroll bars
// The view draws its two scroll bars itself: a track with a thumb of the
// page size's share; a press on the track moves by LargeChange, a drag of
// the thumb follows the mouse (and shows the page number at the top).

namespace {

struct TThumb {
  int Start = 0, Length = 0;  // along the bar, from its start
};

TThumb ThumbOf(const TQSScrollState& bar, int trackLength) {
  if (bar.Max <= 0 || bar.PageSize >= bar.Max) return {0, trackLength};
  const int length = std::max(8, static_cast<int>(static_cast<int64_t>(trackLength) * bar.PageSize / bar.Max));
  const int range = std::max(1, bar.Range());
  return {static_cast<int>(static_cast<int64_t>(trackLength - length) * bar.Position / range), length};
}

}  // namespace

void TQSWindow::DrawScrollBar(TCanvas& canvas, bool vertical) {
  const TQSScrollState& bar = vertical ? VertBar : HorzBar;
  const TRect r = vertical ? VertBarRect() : HorzBarRect();
  if (!bar.Visible || r.IsEmpty()) return;
  canvas.Brush() = TBrush{};
  canvas.Brush().Color = 0xE8E8E8;
  canvas.FillRect(r);
  const TThumb t = ThumbOf(bar, vertical ? r.Height() : r.Width());
  canvas.Brush().Color = 0xA0A0A0;
  canvas.FillRect(vertical ? TRect{r.Left + 3, r.Top + t.Start, r.Right - 3, r.Top + t.Start + t.Length}
                           : TRect{r.Left + t.Start, r.Top + 3, r.Left + t.Start + t.Length, r.Bottom - 3});
}

bool TQSWindow::ScrollBarMouseDown(TPoint p) {
  for (bool vertical : {false, true}) {
    TQSScrollState& bar = vertical ? VertBar : HorzBar;
    const TRect r = vertical ? VertBarRect() : HorzBarRect();
    if (!bar.Visible || !r.Contains(p)) continue;
    const TThumb t = ThumbOf(bar, vertical ? r.Height() : r.Width());
    const int along = vertical ? p.Y - r.Top : p.X - r.Left;
    if (along >= t.Start && along < t.Start + t.Length) {
      ThumbDrag = vertical ? 2 : 1;
      thumbGrip_ = along - t.Start;
      return true;
    }
    int pos = bar.Position + (along < t.Start ? -bar.LargeChange : bar.LargeChange);
    ScrollTo(vertical, along < t.Start ? scPageUp : scPageDown, pos);
    InvalidateClient(r, false);
    return true;
  }
  return false;
}

void TQSWindow::ScrollBarMouseMove(TPoint p) {
  const bool vertical = ThumbDrag == 2;
  TQSScrollState& bar = vertical ? VertBar : HorzBar;
  const TRect r = vertical ? VertBarRect() : HorzBarRect();
  const int trackLength = vertical ? r.Height() : r.Width();
  const TThumb t = ThumbOf(bar, trackLength);
  const int free = trackLength - t.Length;
  if (free <= 0) return;
  const int along = (vertical ? p.Y - r.Top : p.X - r.Left) - thumbGrip_;
  int pos = static_cast<int>(static_cast<int64_t>(std::clamp(along, 0, free)) * bar.Range() / free);
  ScrollTo(vertical, scTrack, pos);
  if (vertical) {
    SetHint(VertBar.Hint);
    SetShowHint(true);
  }
  InvalidateClient(r, false);
}

}  // namespace qs
