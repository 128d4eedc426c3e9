// Mouse, wheel and key input of the view: a press places the cursor and
// selects (or starts a rubber band on empty paper, or presses a page
// button), the wheel scrolls, and with Ctrl zooms; the keys move the
// cursor, extend the selection, run the editing commands on the selection
// and reach the clipboard and undo.
#include <algorithm>

#include "platform/canvas.h"
#include "platform/keys.h"
#include "score/score.h"
#include "view/window.h"

namespace qs {

// ------------------------------------------------------------ rubber band

TRect TQSWindow::RubberBandRect(int x, int y) const {
  return {std::min(DragStart.X, x), std::min(DragStart.Y, y), std::max(DragStart.X, x), std::max(DragStart.Y, y)};
}

void TQSWindow::DrawRubberBand(int x, int y, bool show) {
  TXorOverlay screen(*this);
  if (!screen) return;
  auto frame = [&](const TRect& r) {
    // An empty band is not drawn: the press shows nothing, and nothing of
    // it may stay behind when the band is drawn anew.
    if (r.Right <= r.Left || r.Bottom <= r.Top) return;
    // A dotted XOR frame: drawing it twice restores the pixels.
    screen->MoveTo(r.Left, r.Top);
    screen->LineTo(r.Right - 1, r.Top);
    screen->LineTo(r.Right - 1, r.Bottom - 1);
    screen->LineTo(r.Left, r.Bottom - 1);
    screen->LineTo(r.Left, r.Top);
  };
  const TRect old = RubberBandRect(DragPoint.X, DragPoint.Y);
  frame(old);
  TRect shown = old;
  if (show) {
    shown = RubberBandRect(x, y);
    frame(shown);
  }
  Host()->Flush({std::min(old.Left, shown.Left), std::min(old.Top, shown.Top), std::max(old.Right, shown.Right) + 1,
                std::max(old.Bottom, shown.Bottom) + 1});
}

// ------------------------------------------------------------------ mouse

void TQSWindow::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (!hasFocus_) SetFocus();
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
  // The page bar before the rulers: the vertical ruler's band reaches down
  // past the first page button, which would never be pressed.
  if (y >= ClientHeight() - geometry_.HorzBar.Thickness) {
    for (int i = 1; i <= 7; ++i)
      if (ButtonEnabled[static_cast<size_t>(i)] && Buttons[static_cast<size_t>(i)].Contains(p)) {
        PressedButton = i;
        InvalidateButtonBar();
        break;
      }
    return;
  }
  if (RulerMouseDown(x, y)) return;
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
  if (RulerMouseMove(x, y) || textEditor_->TextMouseMove(x, y)) return;
  const TPoint p{x, y};
  // The press decided on panning; it goes on while the button is held.
  if (MouseHeld && Panning) {
    ScrollBoth(LastPoint.X + geometry_.HorzBar.Position - x, geometry_.VertBar.Position + LastPoint.Y - y);
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
  textEditor_->TextMouseUp();
  if (RulerMouseUp(x, y)) return;
  MouseHeld = Panning = false;
  if (PressedButton != 0) {
    const int pressed = PressedButton;
    PressedButton = 0;
    InvalidateButtonBar();
    if (!Score) return;
    const int n = std::max(Score->PageCount, Score->LaidOutPages);
    switch (pressed) {
      case 1: GotoPage(0); break;
      case 2: GotoPage(ShownPage() - 1); break;
      case 3: Fire(OnChoosePage, this); break;
      case 4: GotoPage(ShownPage() + 1); break;
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
    SetCursorLine(cursorLine_ + s);
  } else if (!(shift & (ssLeft | ssRight | ssMiddle))) {
    int v = geometry_.VertBar.Position - wheelDelta * Zoom / 200;
    ScrollTo(true, scPosition, v);
  } else {
    return false;
  }
  return true;
}

// ------------------------------------------------------------------- keys

bool TQSWindow::TextEditKey(uint16_t& key, TShiftState shift) {
  using TKey = TQSTextEditor::TKey;
  const TKey taken = textEditor_->TextEditKey(key, shift);
  switch (taken) {
    case TKey::NotTaken: return false;
    case TKey::Taken: return true;
    case TKey::Cut: CutToClipboard(); break;
    case TKey::Copy: CopyToClipboard(); break;
    case TKey::Paste: PasteFromClipboard(0); break;
  }
  key = 0;
  return true;
}

void TQSWindow::KeyPress(char16_t& key) {
  // The host hears the character first and may take it.
  TCustomControl::KeyPress(key);
  if (key > 27 && textEditor_->EditingText()) {
    textEditor_->TypeChar(key);
    key = 0;
  }
}

void TQSWindow::KeyDown(uint16_t& key, TShiftState shift) {
  if (!Score) return;
  // Esc ends a running drag before anything else sees it.
  if (key == VK_ESCAPE && CancelDrag()) {
    key = 0;
    return;
  }
  // An edited text takes its keys before the view's key table.
  if (TextEditKey(key, shift)) return;
  const bool shifted = shift & ssShift, ctrl = shift & ssCtrl, alt = shift & ssAlt;
  const bool editing = EditedElement != nullptr, preview = Style == wsPreview;
  auto command = [&](TKeyCommand c, int step) {
    if (OnKeyCommand) OnKeyCommand(this, c, step);
  };
  switch (key) {
    case VK_BACK:
      if (!editing) DeleteAtCursor(true);
      break;
    case VK_RETURN:
      break;
    case VK_ESCAPE:
      EditItemText(nullptr);
      break;
    case VK_PRIOR:
      GotoPage(ctrl ? 0 : CursorPosition.Page - 1);
      break;
    case VK_NEXT:
      GotoPage(ctrl ? Score->LaidOutPages - 1 : CursorPosition.Page + 1);
      break;
    case VK_HOME:
    case VK_END: {
      const bool home = key == VK_HOME;
      if (editing) break;
      if (preview)
        home ? ScrollBoth(0, 0) : ScrollBoth(geometry_.HorzBar.Range(), geometry_.VertBar.Range());
      else if (ctrl)
        home ? MoveCursorPieceStart(shifted) : MoveCursorPieceEnd(shifted);
      else
        home ? MoveCursorLineStart(shifted) : MoveCursorLineEnd(shifted);
      break;
    }
    case VK_LEFT:
    case VK_RIGHT: {
      const int s = key == VK_LEFT ? -1 : 1;
      if (editing) break;
      if (preview)
        ScrollBoth(geometry_.HorzBar.Position + 10 * s, geometry_.VertBar.Position);
      else if (ctrl && shifted)
        command(TKeyCommand::MoveToNoteTime, s);
      else if (ctrl)
        command(TKeyCommand::MoveHorizontal, s);
      else if (alt && shifted)
        command(TKeyCommand::EmptyKeyCommand, s);
      else if (alt)
        command(TKeyCommand::ChangeSize, s);
      else
        s < 0 ? MoveCursorLeft(shifted) : MoveCursorRight(shifted, false);
      break;
    }
    case VK_UP:
    case VK_DOWN: {
      const int s = key == VK_UP ? -1 : 1;
      if (editing) break;
      if (preview)
        ScrollBoth(geometry_.HorzBar.Position, geometry_.VertBar.Position + 10 * s);
      else if (ctrl && alt)
        SetCursorLine(cursorLine_ - s);
      else if (ctrl && shifted)
        command(TKeyCommand::MoveStaff, s);
      else if (ctrl)
        command(TKeyCommand::MoveVertical, s);
      else if (alt)
        command(TKeyCommand::ChangeItemValue, s);
      else if (shifted)
        command(TKeyCommand::SetStemDirection, s);
      else
        s < 0 ? MoveCursorUp(false) : MoveCursorDown(false);
      break;
    }
    case VK_INSERT:
      if (ctrl)
        CopyToClipboard();
      else if (shifted)
        PasteFromClipboard(0);
      break;
    case VK_DELETE:
      if (ctrl)
        CutToClipboard();
      else if (!editing)
        DeleteAtCursor(false);
      break;
    case 'C':
      if (ctrl) CopyToClipboard();
      break;
    case 'V':
      if (ctrl) PasteFromClipboard(0);
      break;
    case 'X':
      if (ctrl) CutToClipboard();
      break;
    case 'Z':
      if (ctrl && shifted)
        Score->Redo(1);
      else if (ctrl)
        Score->Undo(1);
      break;
    case VK_ADD:
      command(TKeyCommand::ChangeFret, 1);
      break;
    case VK_SUBTRACT:
      command(TKeyCommand::ChangeFret, 0);
      break;
    default:
      // Not a key of the view's: the control's own handling.
      TCustomControl::KeyDown(key, shift);
      return;
  }
  key = 0;
}

}  // namespace qs

