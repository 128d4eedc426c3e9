#include "palettes/modify.h"

#include <algorithm>
#include <sstream>
#include <cstdlib>
#include <string>

#include "editing/chords.h"
#include "editing/measureprops.h"
#include "editing/move.h"
#include "editing/notation.h"
#include "editing/resize.h"
#include "editing/spacing.h"
#include "editing/transpose.h"
#include "layout/dynamics.h"
#include "layout/effects.h"
#include "palettes/barunion.h"
#include "palettes/dynamics.h"
#include "palettes/effects.h"
#include "palettes/glyphpainters.h"
#include "palettes/modifypopups.h"
#include "platform/extctrls.h"
#include "platform/fonts.h"
#include "platform/musicglyphs.h"
#include "platform/timers.h"
#include "score/calcrecords.h"
#include "score/score.h"
#include "score/windowlink.h"
#include "uikit/charbutton.h"
#include "uikit/formparts.h"
#include "uikit/interface.h"
#include "uikit/settings.h"

namespace qs {

namespace {

using B = TFModify::TButton;
constexpr int kButton = 26, kWide = 38, kRowTop = 4, kRow2 = 33;

// The buttons in their columns (two to a column, top and bottom) and the
// picture on each, drawn in a 24 x 24 box by a few strokes: "a" an arrow
// from x1 y1 to x2 y2, "l" a line, "w" a thick line (a beam), "h" a black
// note head at x y, "o" a hollow one, "r" a rectangle, "s" three staff
// lines from y down, "t" a sign or number at x y, "g" a character of the
// music font at x and its baseline.
struct TRow {
  B Id;
  const char* Name;
  const char* Face;
  int Column;
  bool Bottom;
};
constexpr TRow kRows[] = {
    {B::bMoveUp, "CBMoveUp", "h 8 16;a 16 20 16 4", 0, false},
    {B::bMoveDown, "CBMoveDown", "h 8 8;a 16 4 16 20", 0, true},
    {B::bOctaveUp, "CBOctaveUp", "t 3 6 8;a 16 20 16 4", 1, false},
    {B::bOctaveDown, "CBOctaveDown", "t 3 6 8;a 16 4 16 20", 1, true},
    {B::bPitchUp, "CBPitchUp", "", 2, false},
    {B::bPitchDown, "CBPitchDown", "", 2, true},
    {B::bMoveLeft, "CBMoveLeft", "h 17 12;a 12 12 2 12", 3, false},
    {B::bMoveRight, "CBMoveRight", "h 6 12;a 11 12 21 12", 3, true},
    {B::bSizeIncrease, "CBSizeIncrease", "h 8 12;l 15 12 21 12;l 18 9 18 15", 4, false},
    {B::bSizeDecrease, "CBSizeDecrease", "h 8 12;l 15 12 21 12", 4, true},
    {B::bLineUp, "CBLineUp", "h 9 17;l 12 17 12 3", 5, false},
    {B::bLineDown, "CBLineDown", "h 14 7;l 11 7 11 21", 5, true},
    {B::bBeamUp, "CBBeamUp", "h 5 19;h 14 19;l 8 19 8 8;l 17 19 17 8;w 8 8 17 8;a 21 12 21 2", 6, false},
    {B::bBeamDown, "CBBeamDown", "h 5 19;h 14 19;l 8 19 8 8;l 17 19 17 8;w 8 8 17 8;a 21 4 21 14", 6, true},
    {B::bUnionNotes, "CBUnionNotes", "h 5 18;h 15 18;l 8 18 8 5;l 18 18 18 5;w 8 5 18 5", 7, false},
    {B::bSplitNotes, "CBSplitNotes", "h 5 18;h 15 18;l 8 18 8 5;l 18 18 18 5;l 8 5 11 9;l 18 5 21 9", 7, true},
    {B::bUnionNote, "CBUnionNote", "o 6 12;o 17 12;a 8 19 11 15;a 15 19 12 15", 8, false},
    {B::bSplitNote, "CBSplitNote", "o 12 12;a 10 16 5 21;a 14 16 19 21", 8, true},
    {B::bNotesOffset, "CBNotesOffset", "h 7 14;h 15 10;l 11 4 11 20", 9, false},
    {B::bUnionRow, "CBUnionRow", "", 9, true},
    {B::bSplitRow, "CBSplitRow", "", 9, true},
    {B::bHorzAlign, "CBHorzAlign", "l 3 4 3 20;l 21 4 21 20;a 12 12 5 12;a 12 12 19 12", 10, false},
    {B::bVertAlign, "CBVertAlign", "l 4 3 20 3;l 4 21 20 21;a 12 12 12 5;a 12 12 12 19", 10, true},
    {B::bIncOffDole, "CBIncOffDole", "h 18 12;a 3 12 13 12;t 3 0 +", 11, false},
    {B::bDecOffDole, "CBDecOffDole", "h 18 12;a 13 12 3 12;t 3 0 -", 11, true},
    {B::bStaffUp, "CBStaffUp", "s 10;a 20 22 20 2", 12, false},
    {B::bStaffDown, "CBStaffDown", "s 6;a 20 2 20 22", 12, true},
    {B::bIncLeftStaff, "CBIncLeftStaff", "s 14;l 3 3 3 21;a 5 7 15 7", 13, false},
    {B::bDecLeftStaff, "CBDecLeftStaff", "s 14;l 3 3 3 21;a 15 7 5 7", 13, true},
    {B::bIncRightStaff, "CBIncRightStaff", "s 14;l 21 3 21 21;a 19 7 9 7", 14, false},
    {B::bDecRightStaff, "CBDecRightStaff", "s 14;l 21 3 21 21;a 9 7 19 7", 14, true},
    {B::bIncOffsetMeasure, "CBIncOffsetMeasure", "l 5 4 5 20;a 8 12 20 12;t 14 0 +", 15, false},
    {B::bDecOffsetMeasure, "CBDecOffsetMeasure", "l 5 4 5 20;a 20 12 8 12;t 14 0 -", 15, true},
    {B::bAddStaffBreak, "CBAddStaffBreak", "l 4 6 19 6;l 19 6 19 16;a 19 16 5 16;t 3 9 +", 16, false},
    {B::bDeleteStaffBreak, "CBDeleteStaffBreak", "l 4 6 19 6;l 19 6 19 16;a 19 16 5 16;t 3 9 -", 16, true},
    {B::bAddPageBreak, "CBAddPageBreak", "r 9 3 21 21;t 2 6 +", 17, false},
    {B::bDeletePageBreak, "CBDeletePageBreak", "r 9 3 21 21;t 2 6 -", 17, true},
    {B::bBarUnionStyle, "CBBarUnionStyle", "", 18, false},
    {B::bMeasureAlignStyle, "CBMeasureAlignStyle", "", 18, true},
    {B::bPlaybackEditor, "CBPlaybackEditor", "l 3 6 11 6;l 8 10 18 10;l 13 14 21 14;l 5 18 15 18", 19, false},
    {B::bVelocityEditor, "CBVelocityEditor", "w 5 20 5 15;w 10 20 10 11;w 15 20 15 7;w 20 20 20 3", 19, true},
    {B::bCalcEffects, "CBCalcEffects", "g 157 4 19", 20, false},
    {B::bCalcVelocity, "CBCalcVelocity", "g 110 3 17", 20, true},
};

// Draws a button's picture (see the rows above) with its top-left corner
// at left, top; grey for a disabled button.
void DrawFace(TCanvas& c, const char* face, int left, int top, bool grey) {
  const TColor ink = grey ? TColor(0x808080) : clBlack;
  c.Pen().Color = ink;
  c.Pen().Width = 1;
  c.Pen().Style = psSolid;
  std::istringstream ops(face);
  std::string op;
  while (std::getline(ops, op, ';')) {
    std::istringstream in(op);
    std::string kind;
    in >> kind;
    int v[4] = {};
    if (kind == "t") {
      std::string text;
      in >> v[0] >> v[1] >> text;
      TFont small;
      small.Name = "Arial";
      small.SetSize(9);
      small.Style = fsBold;
      small.Color = ink;
      c.Font() = small;
      c.Brush().Style = bsClear;
      c.TextOut(left + v[0], top + v[1], text);
      continue;
    }
    for (int& x : v) in >> x;
    const int x1 = left + v[0], y1 = top + v[1], x2 = left + v[2], y2 = top + v[3];
    if (kind == "l" || kind == "a" || kind == "w") {
      c.Pen().Width = kind == "w" ? 3 : 1;
      c.MoveTo(x1, y1);
      c.LineTo(x2, y2);
      c.Pen().Width = 1;
      if (kind == "a") {
        // The head: two short strokes back from the tip.
        const int dx = x2 > x1 ? -1 : x2 < x1 ? 1 : 0, dy = y2 > y1 ? -1 : y2 < y1 ? 1 : 0;
        const int ax = dx ? dx * 4 : 3, ay = dy ? dy * 4 : 3;
        c.MoveTo(x2, y2);
        c.LineTo(x2 + (dx ? ax : -ax), y2 + (dy ? ay : ay));
        c.MoveTo(x2, y2);
        c.LineTo(x2 + (dx ? ax : ax), y2 + (dy ? ay : -ay));
      }
    } else if (kind == "h" || kind == "o") {
      c.Brush().Style = kind == "h" ? bsSolid : bsClear;
      c.Brush().Color = ink;
      c.Ellipse(x1 - 3, y1 - 2, x1 + 4, y1 + 3);
    } else if (kind == "r") {
      c.Brush().Style = bsClear;
      c.Rectangle(x1, y1, x2, y2);
    } else if (kind == "s") {
      for (int line = 0; line < 3; ++line) {
        c.MoveTo(left + 3, top + v[0] + line * 4);
        c.LineTo(left + 18, top + v[0] + line * 4);
      }
    } else if (kind == "g") {
      TFont music;
      music.Name = MusicFontName;
      music.Height = -20;
      music.Color = ink;
      c.Font() = music;
      c.Brush().Style = bsClear;
      DrawGlyphText(c, left + v[1], top + v[2], 4, std::string(1, static_cast<char>(v[0])));
    }
  }
}

// The columns with a drop-down part are wider; a gap parts the groups.
bool WideColumn(int column) { return column == 2 || column == 18 || column == 20; }
bool GroupStarts(int column) { return column == 5 || column == 10 || column == 16 || column == 19; }

int ColumnLeft(int column) {
  int left = 4;
  for (int c = 0; c < column; ++c) left += (WideColumn(c) ? kWide : kButton) + 2 + (GroupStarts(c + 1) ? 8 : 0);
  return left;
}

}  // namespace

bool TFModify::Repeats(TButton b) {
  switch (b) {
    case B::bMoveUp: case B::bMoveDown: case B::bOctaveUp: case B::bOctaveDown: case B::bPitchUp:
    case B::bPitchDown: case B::bMoveLeft: case B::bMoveRight: case B::bSizeIncrease: case B::bSizeDecrease:
    case B::bIncOffDole: case B::bDecOffDole: case B::bStaffUp: case B::bStaffDown: case B::bIncLeftStaff:
    case B::bDecLeftStaff: case B::bIncRightStaff: case B::bDecRightStaff: case B::bIncOffsetMeasure:
    case B::bDecOffsetMeasure:
      return true;
    default: return false;
  }
}

TFModify::TFModify(TComponent* owner, const TPaletteContext& context)
    : TQSToolPage(owner, context.Settings, "FModify"), host_(context.Host) {
  MakeButtons();
  SetClientWidth(ColumnLeft(20) + kWide + 8);
  SetClientHeight(kRow2 + kButton + 8);
  TClick = new TTimer(this);
  TClick->SetName("TClick");
  TClick->SetInterval(100);
  TClick->SetEnabled(false);
  TClick->OnTimer = [this](TObject*) { RepeatTick(); };
  AskEmptyPages = [this] { return AskPageCount(settings_); };
  // The arrows of the effects and velocity buttons open their settings
  // below the button.
  auto below = [](TECCharButton* b) {
    const TPoint p = b->ClientToScreen({0, 0});
    return TRect{p.X, p.Y, p.X + b->Width(), p.Y + b->Height()};
  };
  OnEffectsDropDown = [this, below](TECCharButton* b) {
    DropDownEffects(this, below(b), host_ ? host_->PlaybackValues() : TPlaybackValues{});
  };
  OnDynamicsDropDown = [this, below](TECCharButton* b) {
    DropDownDynamics(this, below(b), host_ ? host_->PlaybackValues() : TPlaybackValues{});
  };
  OnSetAttached = [this](bool attached) {
    if (host_) host_->SetPaletteAttached(TModifySettings::kSection, attached);
  };
  OnDropped = [this](TPoint screen) {
    if (host_) host_->PaletteDropped(TModifySettings::kSection, screen.X, screen.Y);
  };
  OnActivate = [this](TObject*) {
    if (host_) host_->PaletteActivated(TModifySettings::kSection);
  };
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState shift) {
    if (host_) host_->PaletteKeyDown(key, shift);
  };
  Finish();
  LoadSettings();
  loading_ = false;
}

TFModify::~TFModify() { ClosePopup(); }

void TFModify::MakeButtons() {
  for (const TRow& row : kRows) {
    const int width = WideColumn(row.Column) ? kWide : kButton;
    TECCharButton* b = MakeButton(row.Name, "", ColumnLeft(row.Column), row.Bottom ? kRow2 : kRowTop, width, kButton);
    const B id = row.Id;
    if (*row.Face) {
      b->SetCustomDraw(true);
      b->OnDrawCharButton = [b, face = row.Face](TObject*, TCanvas& canvas, TRect rect) {
        DrawFace(canvas, face, rect.Left + (rect.Width() - b->DropWidth() - 24) / 2, rect.Top + (rect.Height() - 24) / 2,
                 !b->Enabled());
      };
    }
    buttons_[id] = b;
    if (id == B::bUnionRow || id == B::bSplitRow) {
      b->SetVisible(false);  // rows are neither joined nor split from here
      continue;
    }
    if (WideColumn(row.Column)) b->SetDropWidth(9);
    if (Repeats(id)) {
      // A held button repeats; a press on its drop-down part only opens
      // the list (on release), it does not run the command.
      b->OnMouseDown = [this, id, b](TObject*, TMouseButton mb, TShiftState, int x, int) {
        if (mb == mbLeft && !(b->DropWidth() > 0 && x > b->Width() - b->DropWidth())) HoldDown(id);
      };
      b->OnMouseUp = [this, id](TObject*, TMouseButton mb, TShiftState, int, int) {
        if (mb == mbLeft) HoldUp(id);
      };
    } else {
      b->OnClick = [this, id](TObject*) { RunCommand(id); };
    }
  }
  // The transpose buttons show their interval in the corner.
  for (B id : {B::bPitchUp, B::bPitchDown}) {
    TECCharButton* b = buttons_[id];
    b->SetCustomDraw(true);
    const bool up = id == B::bPitchUp;
    b->OnDrawCharButton = [this, b, up](TObject*, TCanvas& canvas, TRect rect) {
      TFont face;
      face.Name = MusicFontName;
      face.Height = -20;
      canvas.Font() = face;
      canvas.Font().Color = b->Enabled() ? clBlack : clGray;
      canvas.Brush().Style = bsClear;
      DrawGlyphText(canvas, rect.Left + 6, rect.Top + 17, 4,
                    std::string(1, static_cast<char>(up ? glyphs::AccidentalSharp : glyphs::AccidentalFlat)));
      TFont small;
      small.Name = "Arial";
      small.SetSize(6);
      small.Color = b->Hovered() && !b->Down() ? TColor(0x808080) : TColor(0x008000);
      canvas.Font() = small;
      const std::string text = up ? "+" + std::to_string(values_.PitchUp) : "-" + std::to_string(values_.PitchDown);
      canvas.TextOut(rect.Right - canvas.TextWidth(text) - 1, rect.Top + (up ? 1 : 8), text);
    };
  }
  buttons_[B::bPitchUp]->OnButtonClick = [this](TObject*) { OpenTranspose(true); };
  buttons_[B::bPitchDown]->OnButtonClick = [this](TObject*) { OpenTranspose(false); };
  // The style buttons show the style a click gives.
  TECCharButton* join = buttons_[B::bBarUnionStyle];
  join->SetCustomDraw(true);
  join->OnDrawCharButton = [this, join](TObject*, TCanvas& canvas, TRect rect) {
    DrawBarUnionStyle(*join, canvas, values_.BarUnionActive, values_.BarUnionCount, rect);
  };
  join->OnButtonClick = [this](TObject*) { OpenBarUnion(); };
  TECCharButton* align = buttons_[B::bMeasureAlignStyle];
  align->SetCustomDraw(true);
  align->OnDrawCharButton = [this, align](TObject*, TCanvas& canvas, TRect rect) {
    DrawAlignMeasureStyle(*align, canvas, values_.HorzAlign, values_.HorzAlignStyle, rect);
  };
  align->OnButtonClick = [this](TObject*) { OpenAlignMeasure(); };
  buttons_[B::bCalcEffects]->OnButtonClick = [this](TObject*) {
    if (OnEffectsDropDown) OnEffectsDropDown(buttons_[B::bCalcEffects]);
  };
  buttons_[B::bCalcVelocity]->OnButtonClick = [this](TObject*) {
    if (OnDynamicsDropDown) OnDynamicsDropDown(buttons_[B::bCalcVelocity]);
  };
}

void TFModify::LoadSettings() {
  if (settings_) {
    TSettingsIO io(settings_, TModifySettings::kSection, TSettingsIO::TMode::Read);
    values_.Visit(io);
  }
}

void TFModify::Store() {
  if (!settings_ || loading_) return;
  TSettingsIO io(settings_, TModifySettings::kSection, TSettingsIO::TMode::WriteAll);
  values_.Visit(io);
}

void TFModify::ApplyTool() {
  if (loading_) return;
  // Nothing to enter: the views show the arrow and no insertion feedback.
  SetActiveViewCursor(host_, "");
  ArmViews(host_, paletteitem::None);
  if (host_) host_->SetEntryDuration(0);
}

uint8_t TFModify::AlignStyle() const {
  return AlignStyleByte(values_.HorzAlign, values_.HorzAlignStyle, values_.NoteInterval, values_.AlignMeasureCount);
}

std::vector<TQSItem*> TFModify::SelectedItems(TQSScore& score) const {
  std::vector<TQSItem*> items;
  if (TQSWindowLink* view = score.ActiveWindow())
    for (TQSCalcItem* e : view->SelectedMeasureElements())
      if (e && e->Item) items.push_back(e->Item);
  return items;
}

void TFModify::RunCommand(TButton b) {
  TQSScore* score = host_ ? host_->ActiveScore() : nullptr;
  if (!score) return;
  TQSScore& s = *score;
  switch (b) {
    case B::bMoveUp: return MoveVertical(s, -1);
    case B::bMoveDown: return MoveVertical(s, 1);
    case B::bOctaveUp: return MoveVertical(s, -7);
    case B::bOctaveDown: return MoveVertical(s, 7);
    case B::bPitchUp: return Transpose(s, values_.PitchUp);
    case B::bPitchDown: return Transpose(s, -values_.PitchDown);
    case B::bMoveLeft: return MoveHorizontal(s, -1);
    case B::bMoveRight: return MoveHorizontal(s, 1);
    case B::bSizeIncrease: return ChangeSize(s, 1);
    case B::bSizeDecrease: return ChangeSize(s, -1);
    case B::bLineUp: return SetStemDirection(s, -1);
    case B::bLineDown: return SetStemDirection(s, 1);
    case B::bNotesOffset: return OffsetNotes(s);
    case B::bUnionNotes: return JoinNotes(s, 0);
    case B::bSplitNotes: return JoinNotes(s, 1);
    case B::bBeamUp: return MoveBeam(s, -1);
    case B::bBeamDown: return MoveBeam(s, 1);
    case B::bSplitNote: return UnionNotePair(s, 1);
    case B::bUnionNote: return UnionNotePair(s, 0);
    case B::bDecOffDole: return ChangeSpaceBefore(s, -1, false);
    case B::bIncOffDole: return ChangeSpaceBefore(s, 1, false);
    case B::bHorzAlign: return AlignHorizontal(s);
    case B::bVertAlign: return AlignVertical(s);
    case B::bStaffUp: return ChangeStaveOffset(s, -1);
    case B::bStaffDown: return ChangeStaveOffset(s, 1);
    case B::bIncLeftStaff: return ChangeStaveLeftOffset(s, 1, false);
    case B::bDecLeftStaff: return ChangeStaveLeftOffset(s, -1, false);
    case B::bIncRightStaff: return ChangeStaveRightOffset(s, -1);
    case B::bDecRightStaff: return ChangeStaveRightOffset(s, 1);
    case B::bIncOffsetMeasure: return ChangeSpaceAfterMeasure(s, 1);
    case B::bDecOffsetMeasure: return ChangeSpaceAfterMeasure(s, -1);
    case B::bAddStaffBreak: return SetStaveBreak(s, 1);
    case B::bDeleteStaffBreak: return SetStaveBreak(s, 0);
    case B::bAddPageBreak: {
      const int pages = AskEmptyPages ? AskEmptyPages() : -1;
      if (pages >= 0) SetPageBreak(s, pages + 1);
      return;
    }
    case B::bDeletePageBreak: return SetPageBreak(s, 0);
    case B::bBarUnionStyle:
      return SetMeasureJoinStyle(s, values_.BarUnionActive ? 1 : 0, static_cast<uint8_t>(values_.BarUnionCount));
    case B::bMeasureAlignStyle: return SetMeasureAlignStyle(s, AlignStyle());
    case B::bPlaybackEditor: return host_->TogglePlaybackEditor();
    case B::bVelocityEditor: return host_->ToggleVelocityEditor();
    case B::bCalcEffects: return CalcEffects(s, SelectedItems(s));
    case B::bCalcVelocity: return CalcVelocity(s, SelectedItems(s));
    default: return;
  }
}

// ---------------------------------------------------------- auto-repeat

void TFModify::HoldDown(TButton b) {
  held_ = b;
  repeated_ = false;
  TClick->SetEnabled(true);
}

void TFModify::HoldUp(TButton b) {
  TClick->SetEnabled(false);
  // Let go before the first tick: the command runs once.
  if (held_ == b && !repeated_) RepeatTick();
  held_ = -1;
}

void TFModify::RepeatTick() {
  if (held_ < 0) {
    TClick->SetEnabled(false);
    return;
  }
  repeated_ = true;
  RunCommand(static_cast<TButton>(held_));
}

// ---------------------------------------------------------- drop-downs

void TFModify::Notification(TComponent* component, TOperation operation) {
  TQSToolPage::Notification(component, operation);
  if (operation == opRemove && component == popup_) popup_ = nullptr;
}

void TFModify::ClosePopup() {
  if (!popup_) return;
  TCustomForm* open = popup_;
  popup_ = nullptr;
  open->RemoveFreeNotification(this);
  open->Close();
}

void TFModify::ShowPopup(TCustomForm* popup, TECCharButton* below) {
  popup_ = popup;
  popup->FreeNotification(this);
  PlaceBelowControl(*below, *popup);
  popup->ShowForm();
}

void TFModify::OpenTranspose(bool up) {
  ClosePopup();
  auto* p = new TFHeightTranspose(nullptr, host_ ? host_->TransposePresets() : std::vector<TTransposePreset>{});
  p->SetDirection(up);
  p->SetValue(up ? values_.PitchUp : -values_.PitchDown);
  p->OnChoose = [this, up](TObject*, int value) { TransposeChosen(up, value); };
  p->Spare = buttons_[up ? B::bPitchUp : B::bPitchDown];
  ShowPopup(p, buttons_[up ? B::bPitchUp : B::bPitchDown]);
}

void TFModify::TransposeChosen(bool up, int value) {
  if (up) values_.PitchUp = value;
  else values_.PitchDown = std::abs(value);
  buttons_[up ? B::bPitchUp : B::bPitchDown]->Invalidate();
  Store();
}

void TFModify::OpenBarUnion() {
  ClosePopup();
  auto* p = new TFBarUnion(nullptr);
  p->SetDialogMode(false);
  MakeDropDown(*p);
  p->Suppress = true;
  p->SetActive(values_.BarUnionActive);
  p->SetUnionStyle(static_cast<uint8_t>(values_.BarUnionCount));
  p->Suppress = false;
  p->OnChange = [this, p](TObject*) { BarUnionChanged(*p); };
  ShowHelperContext({"MeasureUnion"}, false);
  p->OnDestroy = [](TObject*) { ReturnHelperContext(); };
  ShowPopup(p, buttons_[B::bBarUnionStyle]);
}

void TFModify::BarUnionChanged(const TFBarUnion& form) {
  values_.BarUnionActive = form.GetActive();
  values_.BarUnionCount = form.GetUnionStyle();
  buttons_[B::bBarUnionStyle]->Invalidate();
  Store();
  RunCommand(B::bBarUnionStyle);
}

void TFModify::OpenAlignMeasure() {
  ClosePopup();
  auto* p = new TFAlignMeasure(nullptr);
  p->SetDialogMode(false);
  MakeDropDown(*p);
  p->Suppress = true;
  p->SetActive(values_.HorzAlign);
  p->SetAlignStyle(values_.HorzAlignStyle);
  p->SetNoteInterval(values_.NoteInterval);
  p->SetMeasureCount(values_.AlignMeasureCount);
  p->Suppress = false;
  p->OnChange = [this, p](TObject*) { AlignChanged(*p); };
  ShowHelperContext({"AlignMeasure"}, false);
  p->OnDestroy = [](TObject*) { ReturnHelperContext(); };
  ShowPopup(p, buttons_[B::bMeasureAlignStyle]);
}

void TFModify::AlignChanged(const TFAlignMeasure& form) {
  values_.HorzAlign = form.GetActive();
  values_.HorzAlignStyle = form.GetAlignStyle();
  values_.NoteInterval = form.GetNoteInterval();
  values_.AlignMeasureCount = form.GetMeasureCount();
  buttons_[B::bMeasureAlignStyle]->Invalidate();
  Store();
  RunCommand(B::bMeasureAlignStyle);
}

}  // namespace qs
