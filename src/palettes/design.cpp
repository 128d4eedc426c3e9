#include "palettes/design.h"

#include <algorithm>
#include <cmath>

#include "base/inifile.h"
#include "base/strings.h"
#include "editing/appearance.h"
#include "editing/palette.h"
#include "editing/pageobjects.h"
#include "palettes/colors.h"
#include "palettes/designchoosers.h"
#include "palettes/imageproperties.h"
#include "palettes/textproperties.h"
#include "platform/comctrls.h"
#include "platform/extctrls.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "score/calcrecords.h"
#include "score/item.h"
#include "score/score.h"
#include "uikit/charbutton.h"
#include "uikit/formparts.h"
#include "uikit/interface.h"
#include "uikit/scrollpanel.h"
#include "uikit/settings.h"
#include "uikit/toolfaces.h"
#include "view/tools.h"
#include "view/window.h"

namespace qs {

namespace {

using T = TFDesign::TTool;
using A = TFDesign::TAttribute;

// The figure a tool button shows.
enum class TShape : uint8_t { Text, Inscription, Lyric, Name, PageNumber, PageDate, Line, Arrow, Rectangle, Ellipse,
                              Picture, Arc, Pie, Segment };

struct TToolRow {
  T Id;
  const char* Name;
  const char* Letter;
  const char* Cursor;
  TShape Shape;
  bool Filled;
  bool Split;  // with a drop-down part (page number, date)
};

// clang-format off
constexpr TToolRow kTools[] = {
    {T::tText, "CBText", "T", "TEXT", TShape::Text, false, false},
    {T::tInscription, "CBInscription", "N", "INSCRIPTION", TShape::Inscription, false, false},
    {T::tLyric, "CBLyric", "K", "LYRIC", TShape::Lyric, false, false},
    {T::tInstrumentName, "CBInstrumentName", "", "INSTRUMENTNAME", TShape::Name, false, false},
    {T::tPageNumber, "CBPageNumber", "", "PAGENUMBER", TShape::PageNumber, false, true},
    {T::tPageDate, "CBPageDate", "", "PAGEDATE", TShape::PageDate, false, true},
    {T::tLine, "CBLine", "L", "LINE", TShape::Line, false, false},
    {T::tPointLine, "CBPointLine", "L", "POINT", TShape::Arrow, false, false},
    {T::tRectangle, "CBRectangle", "R", "RECTANGLE", TShape::Rectangle, false, false},
    {T::tFillRectangle, "CBFillRectangle", "R", "FILLRECTANGLE", TShape::Rectangle, true, false},
    {T::tEllipse, "CBEllipse", "C", "ELLIPSE", TShape::Ellipse, false, false},
    {T::tFillEllipse, "CBFillEllipse", "C", "FILLELLIPSE", TShape::Ellipse, true, false},
    {T::tImage, "CBImage", "I", "IMAGE", TShape::Picture, false, false},
    {T::tArc, "CBArc", "A", "ARC", TShape::Arc, false, false},
    {T::tPie, "CBPie", "P", "PIE", TShape::Pie, false, false},
    {T::tFillPie, "CBFillPie", "P", "FILLPIE", TShape::Pie, true, false},
    {T::tSegment, "CBSegment", "S", "SEGMENT", TShape::Segment, false, false},
    {T::tFillSegment, "CBFillSegment", "S", "FILLSEGMENT", TShape::Segment, true, false},
};

struct TAttributeRow {
  A Id;
  const char* Name;
  bool Split;
};
constexpr TAttributeRow kAttributes[] = {
    {A::aTextName, "CBTextName", false}, {A::aTextStyle, "CBTextStyle", true}, {A::aTextColor, "CBTextColor", true},
    {A::aAlignLeft, "CBAlignLeft", false}, {A::aAlignCenter, "CBAlignCenter", false},
    {A::aAlignRight, "CBAlignRight", false}, {A::aAlignFull, "CBAlignFull", false},
    {A::aTextRotate, "CBTextRotate", true},
    {A::aBrushColor, "CBBrushColor", true}, {A::aBrushStyle, "CBBrushStyle", true},
    {A::aLineColor, "CBLineColor", true}, {A::aLineStyle, "CBLineStyle", true},
    {A::aLineWidth, "CBLineWidth", true}, {A::aPointStyles, "CBPointStyles", true},
    {A::aAllPages, "CBAllPages", false}, {A::aCurrentPage, "CBCurrentPage", false},
};
// clang-format on

// One row of tools, and below it the font and the attribute buttons.
constexpr int kCell = 30, kPanelLeft = 64, kToolCols = 18, kAttrTop = kCell + 2, kAttrLeft = 176;
constexpr TColor kNavy = RGB(0, 0, 128);

// The shapes the keys cycle through, each ending at Point.
struct TKeyCycle {
  uint16_t Key;
  std::vector<T> Tools;
};
const std::vector<TKeyCycle>& KeyCycles() {
  static const std::vector<TKeyCycle> cycles = {
      {'T', {T::tText}}, {'N', {T::tInscription}}, {'K', {T::tLyric}}, {'A', {T::tArc}}, {'I', {T::tImage}},
      {'L', {T::tLine, T::tPointLine}}, {'R', {T::tRectangle, T::tFillRectangle}},
      {'C', {T::tEllipse, T::tFillEllipse}}, {'P', {T::tPie, T::tFillPie}}, {'S', {T::tSegment, T::tFillSegment}}};
  return cycles;
}

}  // namespace

// ------------------------------------------------------------------ making

TFDesign::TFDesign(TComponent* owner, const TPaletteContext& context)
    : TQSToolPage(owner, context.Settings, "FDesign"), host_(context.Host) {
  SetClientWidth(kPanelLeft + kAttrLeft + 15 * kCell + 70);
  SetClientHeight(kAttrTop + kCell + 8);
  MakeButtons();
  MakeAttributes();
  OnSetAttached = [this](bool attached) {
    if (host_) host_->SetPaletteAttached(TDesignSettings::kSection, attached);
  };
  // A floating palette's window chooses its page when activated; docked,
  // its tab does (the font field taking the focus must not).
  OnActivate = [this](TObject*) {
    if (host_ && Floating()) host_->PaletteActivated(TDesignSettings::kSection);
  };
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState shift) {
    // Typing a font name or size is not a tool key.
    if (ActiveControl() == ETextName || ActiveControl() == ETextSize) return;
    if (host_) host_->PaletteKeyDown(key, shift);
  };
  Finish();
  LoadSettings();
  CBPointDesign->SetDown(true);
  loading_ = false;
}

TFDesign::~TFDesign() {
  if (chooser_) chooser_->OnDestroy = nullptr;
}

void TFDesign::MakeButtons() {
  CBPointDesign = MakeButton("CBPointDesign", "", 4, 2);
  CBEraseDesign = MakeButton("CBEraseDesign", "", 4, 34);
  CBSingleDesign = MakeButton("CBSingleDesign", "", 32, 2);
  CBMultiplyDesign = MakeButton("CBMultiplyDesign", "", 32, 2);
  CBQuickDesign = MakeButton("CBQuickDesign", "", 32, 2);
  const std::pair<TECCharButton*, const char*> letters[] = {{CBPointDesign, "Q"}, {CBEraseDesign, "E"},
                                                            {CBSingleDesign, "W"}, {CBMultiplyDesign, "W"},
                                                            {CBQuickDesign, "W"}};
  for (auto [b, letter] : letters) b->SetExpandText(letter);
  CBSingleDesign->SetCaption("1");
  CBMultiplyDesign->SetCaption("1+");
  CBQuickDesign->SetCaption("!");
  SetUpPointAndErase(*CBPointDesign, *CBEraseDesign);
  CBPointDesign->OnClick = [this](TObject*) { PointClick(); };
  CBEraseDesign->OnClick = [this](TObject*) {
    ReleaseAll();
    CBEraseDesign->SetDown(true);
    ApplyTool();
  };
  for (TECCharButton* b : {CBSingleDesign, CBMultiplyDesign, CBQuickDesign})
    b->OnClick = [this](TObject*) { RegimeClick(); };

  SPDesign = new TECScrollPanel(this);
  SPDesign->SetName("SPDesign");
  SPDesign->SetParent(PClient);
  SPDesign->SetBevelOuter(bvNone);
  SPDesign->SetVertScroll(true);
  SPDesign->TimeOut = 200;
  SPDesign->SetBounds(kPanelLeft, 2, kAttrLeft + 15 * kCell + 66, kAttrTop + kCell);
  PClient->OnResize = [this](TObject*) {
    SPDesign->SetBounds(kPanelLeft, 2, std::max(kCell, PClient->ClientWidth() - kPanelLeft - 2),
                        std::max(kCell, PClient->ClientHeight() - 2));
  };

  for (size_t i = 0; i < std::size(kTools); ++i) {
    const TToolRow& row = kTools[i];
    auto* b = new TECCharButton(this);
    b->SetName(row.Name);
    b->SetParent(SPDesign);
    b->SetBounds(1 + static_cast<int>(i % kToolCols) * kCell, 2 + static_cast<int>(i / kToolCols) * kCell,
                 kCell - 2, kCell - 2);
    b->SetFlat(true);
    b->SetShowHint(true);
    b->SetExpandText(row.Letter);
    b->SetGroupIndex(1);
    b->SetAllowAllUp(true);
    if (row.Split) b->SetDropWidth(9);
    b->SetCustomDraw(true);
    b->OnDrawCharButton = [this, b, row](TObject*, TCanvas& c, TRect r) {
      if (row.Split) r.Right -= 9;
      toolface::Raised(*b, r, [&](const TRect& f, TColor ink) {
        const int cx = (f.Left + f.Right) / 2, cy = (f.Top + f.Bottom) / 2;
        c.Pen() = TPen{};
        c.Pen().Color = ink;
        c.Brush() = TBrush{};
        if (row.Filled) c.Brush().Color = clWhite;
        else c.Brush().Style = bsClear;
        const TRect box{cx - 8, cy - 6, cx + 8, cy + 6};
        auto label = [&](const char* text, int size, uint8_t style) {
          TFont font;
          font.Name = "Times New Roman";
          font.SetSize(size);
          font.Style = style;
          font.Color = ink;
          c.Font() = font;
          c.Brush().Style = bsClear;
          const std::string t = text;
          c.TextOut(cx - c.TextWidth(t) / 2, cy - c.TextHeight(t) / 2, t);
        };
        switch (row.Shape) {
          case TShape::Text: label("T", 14, fsBold); break;
          case TShape::Inscription: label("Ins", 9, fsItalic); break;
          case TShape::Lyric: label("la", 11, 0); break;
          case TShape::Name: label("Vl.", 10, 0); break;
          case TShape::PageNumber: label("#1", 10, 0); break;
          case TShape::PageDate: label("1.1", 9, 0); break;
          case TShape::Line: c.MoveTo(cx - 8, cy + 6); c.LineTo(cx + 8, cy - 6); break;
          case TShape::Arrow:
            c.Brush() = TBrush{};
            c.Brush().Color = ink;
            DrawLineEnds(c, cx - 9, cx + 9, cy, 0x01);
            break;
          case TShape::Rectangle: c.Rectangle(box); break;
          case TShape::Ellipse: c.Ellipse(box); break;
          case TShape::Picture:
            c.Rectangle(box);
            c.Polyline({TPoint{box.Left, box.Bottom - 2}, TPoint{cx - 2, cy - 1}, TPoint{cx + 2, cy + 2},
                        TPoint{box.Right - 1, cy - 3}});
            break;
          case TShape::Arc: c.Arc(box.Left, box.Top, box.Right, box.Bottom, box.Right, cy, box.Left, cy); break;
          case TShape::Pie: c.Pie(box.Left, box.Top, box.Right, box.Bottom, box.Right, cy, cx, box.Top); break;
          case TShape::Segment:
            c.Chord(box.Left, box.Top, box.Right, box.Bottom, box.Right, cy, box.Left, box.Top);
            break;
        }
      });
    };
    const T id = row.Id;
    b->OnClick = [this, id](TObject*) { ToolClick(id); };
    if (row.Split)
      b->OnButtonClick = [this, id](TObject*) {
        auto* chooser = new TFChooseList(nullptr, id == T::tPageDate);
        chooser->SetIndex(id == T::tPageDate ? values_.PageDate : values_.PageNumber);
        chooser->OnChoose = [this, id](TObject*, int index) {
          SetValue(id == T::tPageDate ? TValue::PageDate : TValue::PageNumber, index);
        };
        ShowChooser(chooser, tools_[id]);
      };
    tools_[id] = b;
  }
}

void TFDesign::MakeAttributes() {
  // The font row: name, its list, size and up-down.
  ETextName = Make<TEdit>(this, SPDesign, "ETextName", 1, kAttrTop + 3, 110, 22);
  attributes_[A::aTextName] = Make<TECCharButton>(this, SPDesign, "CBTextName", 111, kAttrTop + 3, 12, 22);
  attributes_[A::aTextName]->SetCaption("v");
  CBTextSize = Make<TECCharButton>(this, SPDesign, "CBTextSize", 127, kAttrTop + 3, 34, 22);
  ETextSize = Make<TEdit>(this, SPDesign, "ETextSize", 127, kAttrTop + 3, 34, 22);
  UDTextSize = Make<TUpDown>(this, SPDesign, "UDTextSize", 161, kAttrTop + 3, 11, 22);
  UDTextSize->Min = 1;
  UDTextSize->Max = 100;
  UDTextSize->SetAssociate(ETextSize);
  // The fields take the focus when clicked, never by themselves when the
  // main window comes to the front.
  for (TEdit* e : {ETextName, ETextSize}) e->SetTabStop(false);
  ETextName->OnExit = [this](TObject*) {
    if (Trim(ETextName->Text()) != shownName_) ApplyFontName();
  };
  ETextName->OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
    if (key == VK_RETURN) {
      key = 0;
      ApplyFontName();
    }
  };
  UDTextSize->OnClick = [this](TObject*, TUDBtnType) {
    values_.TextSize = UDTextSize->Position();
    ApplyFontSize();
    Store();
  };
  ETextSize->OnExit = [this](TObject*) {
    if (Trim(ETextSize->Text()) != shownSize_) ApplyFontSize();
  };
  ETextSize->OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
    if (key == VK_RETURN) {
      key = 0;
      ApplyFontSize();
    }
  };
  attributes_[A::aTextName]->OnClick = [this](TObject*) { OpenChooser(A::aTextName); };

  // The attribute buttons, six to a row.
  int x = kAttrLeft;
  for (const TAttributeRow& row : kAttributes) {
    if (row.Id == A::aTextName) continue;
    auto* b = new TECCharButton(this);
    b->SetName(row.Name);
    b->SetParent(SPDesign);
    const int width = row.Split ? kCell + 6 : kCell - 4;
    b->SetBounds(x, kAttrTop, width, kCell - 2);
    b->SetFlat(true);
    b->SetShowHint(true);
    if (row.Split) b->SetDropWidth(9);
    b->SetCustomDraw(true);
    const A id = row.Id;
    b->OnDrawCharButton = [this, id, split = row.Split](TObject*, TCanvas& c, TRect r) {
      if (split) r.Right -= 9;
      DrawAttributeFace(id, c, r);
    };
    b->OnClick = [this, id](TObject*) {
      switch (id) {
        case A::aTextStyle: ApplyValue(TValue::FontStyle); break;
        case A::aTextColor: ApplyValue(TValue::TextColor); break;
        case A::aBrushColor: ApplyValue(TValue::BrushColor); break;
        case A::aLineColor: ApplyValue(TValue::LineColor); break;
        case A::aBrushStyle: ApplyValue(TValue::BrushStyle); break;
        case A::aLineStyle: ApplyValue(TValue::LineStyle); break;
        case A::aLineWidth: ApplyValue(TValue::LineWidth); break;
        case A::aPointStyles: ApplyValue(TValue::PointStyle); break;
        case A::aTextRotate: ApplyValue(TValue::TextRotate); break;
        case A::aAlignLeft: case A::aAlignCenter: case A::aAlignRight: case A::aAlignFull:
          if (TQSScore* score = host_ ? host_->ActiveScore() : nullptr)
            SetTextAlignment(*score, static_cast<uint8_t>(16 * (id - A::aAlignLeft)));
          break;
        case A::aAllPages: case A::aCurrentPage:
          if (TQSScore* score = host_ ? host_->ActiveScore() : nullptr)
            SetOnAllPages(*score, id == A::aAllPages ? 1 : 0);
          break;
        default: break;
      }
    };
    if (row.Split) b->OnButtonClick = [this, id](TObject*) { OpenChooser(id); };
    attributes_[id] = b;
    if (id != A::aAlignFull) x += width + 2;
    else b->SetVisible(false);
  }
}

// ---------------------------------------------------------------- settings

void TFDesign::LoadSettings() {
  if (settings_) {
    TSettingsIO io(settings_, TDesignSettings::kSection, TSettingsIO::TMode::Read);
    values_.Visit(io);
  }
  ShowRegime(RegimeFromValue(values_.DesignRegime));
  ETextName->SetText(values_.TextName);
  shownName_ = Trim(values_.TextName);
  TFont f = ETextName->Font();
  f.Name = values_.TextName;
  ETextName->SetFont(f);
  UDTextSize->SetPosition(values_.TextSize);
  ETextSize->SetText(std::to_string(values_.TextSize));
  shownSize_ = std::to_string(values_.TextSize);
}

void TFDesign::Store() {
  if (!settings_) return;
  TSettingsIO io(settings_, TDesignSettings::kSection, TSettingsIO::TMode::WriteAll);
  values_.Visit(io);
}

// ----------------------------------------------------------------- regime

TInputRegime TFDesign::Regime() const { return ShownRegime(*CBSingleDesign, *CBQuickDesign); }

void TFDesign::ShowRegime(TInputRegime regime) {
  ShowRegimeButtons(*CBSingleDesign, *CBMultiplyDesign, *CBQuickDesign, regime);
}

void TFDesign::RegimeClick() {
  const TInputRegime next = NextRegime(Regime());
  ShowRegime(next);
  values_.DesignRegime = static_cast<int>(next);
  Store();
}

void TFDesign::ResetToDefaults() {
  ShowRegime(TInputRegime::Multiply);
  CBPointDesign->SetDown(true);
  PointClick();
  // Nothing is written and nothing applied: the next start restores the
  // user's own values. The page-number and date styles stay.
  const TDesignSettings d{};
  values_.TextName = d.TextName;
  values_.TextSize = d.TextSize;
  values_.TextColor = d.TextColor;
  values_.SetFontStyle(0);
  values_.BrushColor = d.BrushColor;
  values_.BrushStyle = d.BrushStyle;
  values_.LineColor = d.LineColor;
  values_.LineStyle = d.LineStyle;
  values_.PointStyle = d.PointStyle;
  values_.LineWidth = d.LineWidth;
  values_.TextRotate = d.TextRotate;
  ETextName->SetText(d.TextName);
  shownName_ = Trim(d.TextName);
  UDTextSize->SetPosition(d.TextSize);
  ETextSize->SetText(std::to_string(d.TextSize));
  shownSize_ = std::to_string(d.TextSize);
  for (TECCharButton* b : attributes_)
    if (b) b->Invalidate();
}

// ------------------------------------------------------------------ tools

bool TFDesign::IsDown(TTool t) const { return tools_[t] && tools_[t]->Down(); }

std::string TFDesign::GetTextName() const { return ETextName->Text(); }

int TFDesign::GetTextSize() const { return UDTextSize->Position(); }

std::string TFDesign::ToolCursorName() const {
  if (CBEraseDesign->Down()) return "ERASE";
  for (const TToolRow& row : kTools)
    if (IsDown(row.Id)) return row.Cursor;
  return "";
}

int TFDesign::ItemCode() const {
  if (IsDown(T::tLyric) || IsDown(T::tInscription)) return paletteitem::StaffMark;
  if (IsDown(T::tInstrumentName)) return paletteitem::InstrumentName;
  return paletteitem::None;
}

void TFDesign::ReleaseAll() {
  for (TECCharButton* b : tools_)
    if (b->Down()) b->SetDown(false);
}

void TFDesign::PointClick() {
  CBPointDesign->SetDown(true);
  ReleaseAll();
  ApplyTool();
}

void TFDesign::PressTool(TTool t) {
  tools_[t]->SetDown(true);
  CBPointDesign->SetDown(false);
  CBEraseDesign->SetDown(false);
  ApplyTool();
}

void TFDesign::ToolClick(TTool t) {
  const bool staffText = t == T::tLyric || t == T::tInscription || t == T::tInstrumentName;
  if (staffText && Regime() == TInputRegime::Quick) {
    // Quick: the text goes in at the cursor at once.
    tools_[t]->SetDown(true);
    TQSScore* score = host_ ? host_->ActiveScore() : nullptr;
    if (auto* view = score ? dynamic_cast<TQSWindow*>(score->ActiveWindow()) : nullptr) {
      InsertToolItem(*view, TInsertFrom::QuickButton);
      if (view->CanFocus()) view->SetFocus();
    }
    tools_[t]->SetDown(false);
    return;
  }
  if (tools_[t]->Down()) {
    CBPointDesign->SetDown(false);
    CBEraseDesign->SetDown(false);
  } else {
    CBPointDesign->SetDown(true);
    ReleaseAll();
  }
  ApplyTool();
}

void TFDesign::ApplyTool() {
  if (loading_) return;
  const std::string cursor = ToolCursorName();
  if (cursor == "ERASE" || cursor.empty()) SetActiveViewCursor(host_, cursor);
  else SetToolCursor(host_, cursor);
  if (!host_ || !host_->ActiveScore()) return;
  ArmViews(host_, ItemCode());
  host_->SetEntryDuration(0);
}

bool TFDesign::PageKey(uint16_t key, uint16_t shift, uint16_t prefix) {
  (void)shift, (void)prefix;
  if (key == VK_ESCAPE || key == 'Q') {
    PointClick();
    return true;
  }
  if (key == 'W') {
    RegimeClick();
    return true;
  }
  if (key == 'E') {
    CBEraseDesign->Click();
    return true;
  }
  for (const TKeyCycle& cycle : KeyCycles()) {
    if (cycle.Key != key) continue;
    // The next tool of the cycle after the one down; Point after the last.
    size_t next = 0;
    for (size_t i = 0; i < cycle.Tools.size(); ++i)
      if (IsDown(cycle.Tools[i])) next = i + 1;
    if (next >= cycle.Tools.size() && IsDown(cycle.Tools.back())) {
      PointClick();
    } else {
      ReleaseAll();
      tools_[cycle.Tools[next]]->SetDown(true);
      ToolClick(cycle.Tools[next]);
    }
    return true;
  }
  return false;
}

// -------------------------------------------------------------- attributes

void TFDesign::ApplyFontName() {
  TFont f = ETextName->Font();
  f.Name = Trim(ETextName->Text());
  shownName_ = f.Name;
  ETextName->SetFont(f);
  if (TQSScore* score = host_ ? host_->ActiveScore() : nullptr) SetFontName(*score, f.Name);
}

void TFDesign::ApplyFontSize() {
  const int typed = StrToIntSafe(Trim(ETextSize->Text()), UDTextSize->Position());
  UDTextSize->SetPosition(std::clamp(typed, UDTextSize->Min, UDTextSize->Max));
  shownSize_ = Trim(ETextSize->Text());
  if (TQSScore* score = host_ ? host_->ActiveScore() : nullptr) SetFontSize(*score, UDTextSize->Position());
}

void TFDesign::SetTextName(const std::string& name) {
  ETextName->SetText(name);
  values_.TextName = name;
  ApplyFontName();
  Store();
}

void TFDesign::SetValue(TValue which, int value) {
  switch (which) {
    case TValue::TextColor: values_.TextColor = value; break;
    case TValue::BrushColor: values_.BrushColor = value; break;
    case TValue::LineColor: values_.LineColor = value; break;
    case TValue::FontStyle: values_.SetFontStyle(value); break;
    case TValue::BrushStyle: values_.BrushStyle = value; break;
    case TValue::LineStyle: values_.LineStyle = value; break;
    case TValue::LineWidth: values_.LineWidth = value; break;
    case TValue::PointStyle: values_.PointStyle = value; break;
    case TValue::TextRotate: values_.TextRotate = value; break;
    case TValue::PageNumber: values_.PageNumber = value; break;
    case TValue::PageDate: values_.PageDate = value; break;
  }
  for (TECCharButton* b : attributes_)
    if (b) b->Invalidate();
  ApplyValue(which);
  Store();
  if (which == TValue::PageNumber || which == TValue::PageDate) {
    // Choosing a style takes up its tool.
    ReleaseAll();
    PressTool(which == TValue::PageDate ? T::tPageDate : T::tPageNumber);
  }
}

void TFDesign::ApplyValue(TValue which) {
  TQSScore* score = host_ ? host_->ActiveScore() : nullptr;
  if (!score) return;
  const TDesignSettings& v = values_;
  switch (which) {
    case TValue::TextColor: SetTextColor(*score, static_cast<TColor>(v.TextColor)); break;
    case TValue::BrushColor: SetBrushColor(*score, static_cast<TColor>(v.BrushColor)); break;
    case TValue::LineColor: SetLineColor(*score, static_cast<TColor>(v.LineColor)); break;
    case TValue::FontStyle: SetTextStyle(*score, v.FontStyle()); break;
    case TValue::BrushStyle: SetBrushStyle(*score, static_cast<uint8_t>(v.BrushStyle)); break;
    case TValue::LineStyle: SetLineStyle(*score, static_cast<uint8_t>(v.LineStyle)); break;
    case TValue::LineWidth: SetLineWidth(*score, v.LineWidth); break;
    case TValue::PointStyle: SetPointStyles(*score, v.PointStyle); break;
    case TValue::TextRotate: SetTextRotation(*score, v.TextRotate); break;
    case TValue::PageNumber: case TValue::PageDate: break;
  }
}

void TFDesign::ShowChooser(TCustomForm* chooser, TControl* below) {
  if (chooser_) chooser_->OnDestroy = nullptr;
  chooser_ = chooser;
  chooser->OnDestroy = [this](TObject*) { chooser_ = nullptr; };
  PlaceBelowControl(*below, *chooser);
  chooser->ShowForm();
}

void TFDesign::OpenColorChooser(TAttribute a) {
  ColorTarget = a;
  auto* chooser = new TFColors(nullptr);
  const int colour = a == A::aBrushColor ? values_.BrushColor : a == A::aLineColor ? values_.LineColor
                                                                                     : values_.TextColor;
  chooser->SetColor(static_cast<TColor>(colour));
  chooser->OnChoose = [this](TObject*, TColor chosen) {
    SetValue(ColorTarget == A::aBrushColor  ? TValue::BrushColor
             : ColorTarget == A::aLineColor ? TValue::LineColor
                                            : TValue::TextColor,
             static_cast<int>(chosen));
  };
  ShowChooser(chooser, attributes_[a]);
}

void TFDesign::OpenChooser(TAttribute a) {
  using K = TFValueChooser::TKind;
  auto valueChooser = [&](K kind, int value, TValue which) {
    auto* chooser = new TFValueChooser(nullptr, kind);
    chooser->SetValue(value);
    chooser->OnChoose = [this, which](TObject*, int chosen) { SetValue(which, chosen); };
    ShowChooser(chooser, attributes_[a]);
  };
  switch (a) {
    case A::aTextName: {
      auto* chooser = new TFTextName(nullptr);
      chooser->SetFaceName(ETextName->Text());
      chooser->OnChooseName = [this](TObject*, const std::string& name) { SetTextName(name); };
      ShowChooser(chooser, ETextName);
      break;
    }
    case A::aTextStyle: {
      auto* chooser = new TFFontStyles(nullptr);
      chooser->SetStyles(values_.FontStyle());
      chooser->OnChoose = [this](TObject*, int styles) { SetValue(TValue::FontStyle, styles); };
      ShowChooser(chooser, attributes_[a]);
      break;
    }
    case A::aTextRotate: {
      auto* chooser = new TFTextRotate(nullptr);
      chooser->SetAngle(values_.TextRotate);
      chooser->OnChoose = [this](TObject*, int angle) { SetValue(TValue::TextRotate, angle); };
      ShowChooser(chooser, attributes_[a]);
      break;
    }
    case A::aTextColor: case A::aBrushColor: case A::aLineColor: OpenColorChooser(a); break;
    case A::aBrushStyle: valueChooser(K::BrushStyles, values_.BrushStyle, TValue::BrushStyle); break;
    case A::aLineStyle: valueChooser(K::LineStyles, values_.LineStyle, TValue::LineStyle); break;
    case A::aLineWidth: valueChooser(K::LineWidth, values_.LineWidth, TValue::LineWidth); break;
    case A::aPointStyles: valueChooser(K::PointStyles, values_.PointStyle, TValue::PointStyle); break;
    default: break;
  }
}

void TFDesign::DrawAttributeFace(TAttribute a, TCanvas& c, const TRect& r) {
  TECCharButton* b = attributes_[a];
  toolface::Raised(*b, r, [&](const TRect& f, TColor ink) {
    const bool grey = ink != clBlack;
    const TColor navy = grey ? ink : kNavy;
    const int cx = (f.Left + f.Right) / 2, cy = (f.Top + f.Bottom) / 2;
    c.Pen() = TPen{};
    c.Pen().Color = ink;
    c.Brush() = TBrush{};
    auto colourBar = [&](int colour, const char* glyph) {
      TFont font;
      font.Name = "Times New Roman";
      font.SetSize(10);
      font.Style = fsBold;
      font.Color = ink;
      c.Font() = font;
      c.Brush().Style = bsClear;
      c.TextOut(cx - c.TextWidth(std::string(glyph)) / 2, f.Top + 2, std::string(glyph));
      c.Brush() = TBrush{};
      c.Brush().Color = grey ? ink : static_cast<TColor>(colour);
      c.Pen().Color = c.Brush().Color;
      c.Rectangle(f.Left + 2, f.Bottom - 8, f.Right - 3, f.Bottom - 4);
    };
    switch (a) {
      case A::aTextColor: colourBar(values_.TextColor, "A"); break;
      case A::aBrushColor: colourBar(values_.BrushColor, "\xE2\x96\xA0"); break;
      case A::aLineColor: colourBar(values_.LineColor, "/"); break;
      case A::aTextStyle: {
        TFont font;
        font.Name = "Times New Roman";
        font.SetSize(12);
        font.Style = values_.FontStyle();
        font.Color = ink;
        c.Font() = font;
        c.Brush().Style = bsClear;
        c.TextOut(cx - c.TextWidth(std::string("A")) / 2, cy - c.TextHeight(std::string("A")) / 2, std::string("A"));
        break;
      }
      case A::aBrushStyle:
        c.Pen().Color = navy;
        c.Brush().Color = navy;
        c.Brush().Style = static_cast<TBrushStyle>(std::clamp(values_.BrushStyle, 0, 7));
        c.Rectangle(f.Left + 4, f.Top + 5, f.Right - 4, f.Bottom - 5);
        break;
      case A::aLineStyle:
        c.Pen().Color = navy;
        c.Pen().Style = static_cast<TPenStyle>(std::clamp(values_.LineStyle, 0, 4));
        for (int dy = 0; dy < 2; ++dy) {
          c.MoveTo(f.Left + 3, cy + dy);
          c.LineTo(f.Right - 3, cy + dy);
        }
        break;
      case A::aLineWidth:
        c.Pen().Color = navy;
        for (int k = 0; k < values_.LineWidth; ++k) {
          c.MoveTo(f.Left + 4, cy - values_.LineWidth / 2 + k);
          c.LineTo(f.Right - 4, cy - values_.LineWidth / 2 + k);
        }
        break;
      case A::aPointStyles:
        c.Brush().Color = ink;
        DrawLineEnds(c, f.Left + 3, f.Right - 4, cy, values_.PointStyle);
        break;
      case A::aAlignLeft: case A::aAlignCenter: case A::aAlignRight: case A::aAlignFull:
        for (int k = 0; k < 6; ++k) {
          const int len = k % 2 ? 8 : 14;
          int x1 = cx - 7;
          if (a == A::aAlignCenter) x1 = cx - len / 2;
          if (a == A::aAlignRight) x1 = cx + 7 - len;
          c.MoveTo(x1, cy - 6 + 2 * k);
          c.LineTo(a == A::aAlignFull ? cx + 7 : x1 + len, cy - 6 + 2 * k);
        }
        break;
      case A::aTextRotate: {
        const int radius = 8;
        for (int k = 0; k < 8; ++k) {
          const double rad = k * M_PI / 4;
          const int x = cx + static_cast<int>(std::lround(radius * std::cos(rad)));
          const int y = cy - static_cast<int>(std::lround(radius * std::sin(rad)));
          c.Brush().Color = k % 2 == 0 && !grey ? RGB(255, 0, 0) : ink;
          if (k % 2 == 0) c.FillRect({x - 1, y - 1, x + 2, y + 2});
          else c.FillRect({x, y, x + 1, y + 1});
        }
        const double rad = values_.TextRotate * M_PI / 180.0;
        const TPoint tip{cx + static_cast<int>(std::lround(6 * std::cos(rad))),
                         cy - static_cast<int>(std::lround(6 * std::sin(rad)))};
        const TPoint side1{cx + static_cast<int>(std::lround(2 * std::cos(rad + M_PI / 2))),
                           cy - static_cast<int>(std::lround(2 * std::sin(rad + M_PI / 2)))};
        const TPoint side2{2 * cx - side1.X, 2 * cy - side1.Y};
        c.Brush().Color = ink;
        c.Polygon({side1, tip, side2});
        break;
      }
      case A::aAllPages: case A::aCurrentPage: {
        c.Brush().Color = clWhite;
        if (a == A::aAllPages) c.Rectangle(cx - 4, cy - 8, cx + 6, cy + 4);
        c.Rectangle(cx - 7, cy - 5, cx + 3, cy + 7);
        break;
      }
      default: break;
    }
  });
}

// -------------------------------------------------------------- inserting

bool TFDesign::InsertToolItem(TQSWindow& view, TInsertFrom from) {
  TQSScore* score = view.Score;
  if (!score) return false;
  // Lyrics and inscriptions from a click go in at mouse-up; the Quick
  // regime's buttons put them at the cursor here.
  if (from == TInsertFrom::Click) return false;
  const TDesignSettings& v = values_;
  bool entered = false;
  if (IsDown(T::tLyric) || IsDown(T::tInscription)) {
    const bool lyric = IsDown(T::tLyric);
    entered = InsertLyric(*score, lyric ? kind::Lyric : kind::Term, {""}, GetTextName(),
                          lyric ? -view.StaffClickOffset : view.PartClickOffset - 128, kLyricSyllables,
                          GetTextSize(), v.FontStyle(), static_cast<uint32_t>(v.TextColor), true) != nullptr;
  } else if (IsDown(T::tInstrumentName)) {
    TFNameProperties dialog(nullptr, settings_);
    dialog.BBHelp->SetVisible(false);
    dialog.SetTextFont(GetTextName(), GetTextSize(), v.FontStyle(), static_cast<TColor>(v.TextColor));
    if (dialog.ShowModal() == mrOk) {
      InsertInstrumentName(*score, dialog.Lines(), dialog.FontName(), view.PartClickOffset - 80, 0,
                           dialog.FontSize(), dialog.FontStyle(), dialog.FontColor());
      if (!dialog.BriefLines().empty())
        InsertInstrumentName(*score, dialog.BriefLines(), dialog.FontName(), view.PartClickOffset - 80, 1,
                             dialog.FontSize(), dialog.FontStyle(), dialog.FontColor());
      entered = true;
    }
  }
  return entered;
}

bool TFDesign::ItemClick(TQSWindow& view, TQSCalcItem& element) {
  if (CBEraseDesign->Down()) {
    if (!view.Score || !element.Item) return false;
    EraseItem(*view.Score, element.Item);
    return true;
  }
  return InsertToolItem(view, TInsertFrom::Click);
}

bool TFDesign::ViewMouseDown(TQSWindow& view, int x, int y) {
  if (!view.Score) return false;
  struct TDrawTool {
    T Tool;
    uint8_t Code;
    bool Filled;
  };
  static constexpr TDrawTool kDrawTools[] = {
      {T::tLine, kToolLine, false}, {T::tPointLine, kToolLine, false}, {T::tRectangle, kToolRectangle, false},
      {T::tEllipse, kToolEllipse, false}, {T::tFillRectangle, kToolRectangle, true},
      {T::tFillEllipse, kToolEllipse, true}, {T::tArc, kToolArc, false}, {T::tPie, kToolPie, false},
      {T::tFillPie, kToolPie, true}, {T::tSegment, kToolChordSegment, false},
      {T::tFillSegment, kToolChordSegment, true}};
  for (const TDrawTool& d : kDrawTools) {
    if (!IsDown(d.Tool)) continue;
    const TDesignSettings& v = values_;
    view.ToolPenColor = static_cast<uint32_t>(v.LineColor);
    view.ToolPenStyle = static_cast<uint8_t>(v.LineStyle);
    view.ToolPenWidth = v.LineWidth;
    view.ToolLineEnds = d.Tool == T::tPointLine ? v.PointStyle : 0;
    // The plain shapes are drawn with a clear brush.
    view.ToolBrushColor = static_cast<uint32_t>(v.BrushColor);
    view.ToolBrushStyle = d.Filled ? static_cast<uint8_t>(v.BrushStyle) : static_cast<uint8_t>(bsClear);
    view.StartTool(d.Code, x, y);
    return true;
  }
  return false;
}

bool TFDesign::ViewMouseUp(TQSWindow& view, int x, int y) {
  TQSScore* score = view.Score;
  if (!score) return false;
  const TDesignSettings& v = values_;
  const TPoint p = view.Geometry().ClientToPageUnits({x, y}, view.CursorPosition.Page);
  const uint32_t colour = static_cast<uint32_t>(v.TextColor);
  bool entered = false;
  if (IsDown(T::tText)) {
    entered = InsertText(*score, p.X, p.Y, {""}, GetTextName(), GetTextSize(), v.FontStyle(), colour) != nullptr;
    PointClick();
  } else if (IsDown(T::tImage)) {
    TFImageProperties dialog(nullptr, settings_);
    if (dialog.ShowModal() == mrOk && !dialog.Picture().Empty()) {
      const uint8_t flags = dialog.Flags();
      entered = InsertImage(*score, p.X, p.Y, dialog.PictureWidth() * 8, dialog.PictureHeight() * 8, dialog.Picture(),
                            flags & 0x80, flags & 0x40, flags & 0x20) != nullptr;
    }
  } else if (IsDown(T::tLyric) || IsDown(T::tInscription) || IsDown(T::tInstrumentName)) {
    if (Regime() == TInputRegime::Quick) return false;
    entered = InsertToolItem(view, TInsertFrom::QuickButton);
    if (!IsDown(T::tInstrumentName) || entered) PointClick();
  } else if (IsDown(T::tPageNumber) || IsDown(T::tPageDate)) {
    const bool date = IsDown(T::tPageDate);
    entered = InsertPageMark(*score, date ? 1 : 0, date ? v.PageDate : v.PageNumber, p.X, p.Y, GetTextName(),
                             GetTextSize(), v.FontStyle(), colour) != nullptr;
  } else {
    return false;
  }
  if (Regime() == TInputRegime::Single && !IsDown(T::tLyric)) PointClick();
  return entered;
}

}  // namespace qs
