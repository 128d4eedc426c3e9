#include "palettes/designchoosers.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "base/strings.h"
#include "base/text.h"
#include "layout/layout.h"
#include "platform/comctrls.h"
#include "platform/fonts.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "uikit/charbutton.h"
#include "uikit/formparts.h"

namespace qs {

// ----------------------------------------------------------------- values

std::vector<std::string> FontListEntries(const std::vector<std::string>& faces) {
  std::vector<std::string> entries;
  std::string last;
  for (const std::string& face : faces) {
    if (face.empty() || face[0] == '@') continue;
    if (SameText(face, last)) continue;
    last = face;
    entries.push_back(face);
  }
  std::sort(entries.begin(), entries.end(),
            [](const std::string& a, const std::string& b) { return LowerCase(a) < LowerCase(b); });
  // Faces of the same name met apart from each other are kept once as well.
  entries.erase(std::unique(entries.begin(), entries.end(),
                            [](const std::string& a, const std::string& b) { return SameText(a, b); }),
                entries.end());
  return entries;
}

int FindNameIgnoringCase(const std::vector<std::string>& entries, const std::string& name) {
  for (size_t i = 0; i < entries.size(); ++i)
    if (SameText(entries[i], name)) return static_cast<int>(i);
  return -1;
}

namespace {

void DrawEndShape(TCanvas& c, int shape, int x, int y, bool atStart) {
  const int dir = atStart ? 1 : -1;  // towards the line's inside
  switch (shape) {
    case 1:  // an arrow head 9 pixels long and 6 high
      c.Polygon({TPoint{x, y}, TPoint{x + dir * 9, y - 3}, TPoint{x + dir * 9, y + 3}});
      break;
    case 2:  // a circle of 8 pixels
      c.Ellipse(atStart ? x : x - 8, y - 4, atStart ? x + 8 : x, y + 4);
      break;
    case 3:  // a rhombus 10 pixels wide
      c.Polygon({TPoint{x, y}, TPoint{x + dir * 5, y - 4}, TPoint{x + dir * 10, y}, TPoint{x + dir * 5, y + 4}});
      break;
    default: break;
  }
}

}  // namespace

void DrawLineEnds(TCanvas& canvas, int x1, int x2, int y, int code) {
  canvas.MoveTo(x1, y);
  canvas.LineTo(x2, y);
  DrawEndShape(canvas, (code >> 4) & 15, x1, y, true);
  DrawEndShape(canvas, code & 15, x2, y, false);
}

std::vector<std::string> PageDateEntries(const std::tm& t) {
  // The formats are the page date's own: the list shows what the page will
  // show, and the program's date settings stay as they are.
  std::vector<std::string> entries;
  for (int format = 0; format < 10; ++format) entries.push_back(FormatPageMarkDate(format, t));
  return entries;
}

int AngleFromOffset(int dx, int dy) {
  int angle;
  if (dx == 0) {
    angle = dy >= 0 ? 90 : 270;
  } else {
    angle = static_cast<int>(std::lround(std::atan(static_cast<double>(dy) / dx) * 180.0 / M_PI));
    if (dx < 0) angle += 180;
    if (angle < 0) angle += 360;
  }
  return angle;
}

int WrapAngle(int angle) {
  if (angle >= 360) return 0;
  if (angle < 0) return 359;
  return angle;
}

// ------------------------------------------------------------ the chooser

TDropDownWatch::~TDropDownWatch() {
  if (ActivePopup() == this) SetActivePopup(nullptr);
}

void TDropDownWatch::Attach() {
  form_.SetNoActivate(true);
  form_.OnShow = [this](TObject*) { SetActivePopup(this); };
  form_.OnHide = [this](TObject*) {
    if (ActivePopup() == this) SetActivePopup(nullptr);
  };
}

bool TDropDownWatch::MenuKeyDown(uint16_t key, TShiftState) {
  if (key == VK_ESCAPE) {
    form_.Close();
    return true;
  }
  if (key == VK_RETURN && OnEnter) {
    OnEnter();
    return true;
  }
  return false;
}

void TDropDownWatch::PressOutside() { form_.Close(); }

TFDesignChooser::TFDesignChooser(TComponent* owner, const char* name, int width, int height) : TForm(owner) {
  SetName(name);
  SetBorderStyle(bsToolWindow);
  SetClientWidth(width);
  SetClientHeight(height);
  ApplySkinTemplate(*this, skinkind::Small);
  DefaultCloseAction = caFree;
  watch_.Attach();
}

std::string TFDesignChooser::Message(int index) const { return language_ ? language_->GetMessage(index) : ""; }

void TFDesignChooser::Report(int value) {
  if (OnChoose) OnChoose(this, value);
}

void TFDesignChooser::Pick(int value) {
  Report(value);
  Close();
}

TECCharButton* TFDesignChooser::FaceButton(const char* name, int left, int top, int width, int height) {
  auto* b = Make<TECCharButton>(this, name, left, top, width, height);
  b->SetGroupIndex(1);
  b->SetAllowAllUp(true);
  b->SetFlat(true);
  b->SetCustomDraw(true);
  return b;
}

// -------------------------------------------------------------- font name

TFTextName::TFTextName(TComponent* owner) : TFDesignChooser(owner, "FTextName", 180, 220) {
  LBName = Make<TListBox>(this, "LBName", 0, 0, 180, 220);
  TStringList items;
  for (const std::string& face : FontListEntries(ScreenFontFaces())) items.Add(face);
  LBName->SetItems(items);
  LBName->OnClick = [this](TObject*) {
    if (LBName->ItemIndex() < 0) return;
    if (OnChooseName) OnChooseName(this, Name());
    Close();
  };
  language_ = MakeFormLanguage(this, "FLTextName");
}

void TFTextName::SetFaceName(const std::string& name) {
  LBName->SetItemIndex(FindNameIgnoringCase(LBName->Items().Items(), name));
}

std::string TFTextName::Name() const {
  const int i = LBName->ItemIndex();
  return i < 0 ? std::string() : LBName->Items()[i];
}

// ------------------------------------------------------------- font style

TFFontStyles::TFFontStyles(TComponent* owner) : TFDesignChooser(owner, "FFontStyles", 130, 92) {
  CBBold = Make<TCheckBox>(this, "CBBold", 8, 4, 118, 20);
  CBItalic = Make<TCheckBox>(this, "CBItalic", 8, 26, 118, 20);
  CBUnderline = Make<TCheckBox>(this, "CBUnderline", 8, 48, 118, 20);
  CBStrikeOut = Make<TCheckBox>(this, "CBStrikeOut", 8, 70, 118, 20);
  for (TCheckBox* box : {CBBold, CBItalic, CBUnderline, CBStrikeOut})
    box->OnClick = [this](TObject*) { Report(Styles()); };
  language_ = MakeFormLanguage(this, "FLFontStyles");
}

void TFFontStyles::SetStyles(int styles) {
  CBBold->SetChecked(styles & fsBold);
  CBItalic->SetChecked(styles & fsItalic);
  CBUnderline->SetChecked(styles & fsUnderline);
  CBStrikeOut->SetChecked(styles & fsStrikeOut);
}

int TFFontStyles::Styles() const {
  return (CBBold->Checked() ? fsBold : 0) | (CBItalic->Checked() ? fsItalic : 0) |
         (CBUnderline->Checked() ? fsUnderline : 0) | (CBStrikeOut->Checked() ? fsStrikeOut : 0);
}

// ----------------------------------------------------------- value rows

namespace {

struct TValueRow {
  const char* Form;
  std::vector<const char*> Names;
  std::vector<int> Values;
  int Width, Height;  // of a button
};

const TValueRow& RowOf(TFValueChooser::TKind kind) {
  static const TValueRow rows[] = {
      {"FLineStyles", {"CBSolid", "CBDash", "CBDot", "CBDashDot", "CBDashDotDot"}, {0, 1, 2, 3, 4}, 100, 16},
      {"FBrushStyles",
       {"CBSolid", "CBClear", "CBHorizontal", "CBVertical", "CBFDiagonal", "CBBDiagonal", "CBCross", "CBDiagCross"},
       {0, 1, 2, 3, 4, 5, 6, 7},
       26,
       26},
      {"FLineWidth", {"CBSolid", "CBDash", "CBDot", "CBDashDot", "CBDashDotDot"}, {1, 2, 3, 4, 5}, 100, 16},
      {"FPointStyles",
       {"CBPoint", "CBPointPoint", "CBPointCircle", "CBPointRhombus", "CBCircle", "CBCircleCircle", "CBCircleRhombus",
        "CBRhombus", "CBRhombusRhombus"},
       {kLineEndCodes.begin(), kLineEndCodes.end()},
       100,
       18},
  };
  return rows[static_cast<int>(kind)];
}

}  // namespace

TFValueChooser::TFValueChooser(TComponent* owner, TKind kind)
    : TFDesignChooser(owner, RowOf(kind).Form, 0, 0), kind_(kind), values_(RowOf(kind).Values) {
  const TValueRow& row = RowOf(kind);
  const bool grid = kind == TKind::BrushStyles;  // two rows of four
  const int n = static_cast<int>(row.Names.size());
  for (int i = 0; i < n; ++i) {
    const int left = grid ? 2 + (i % 4) * (row.Width + 1) : 2, top = grid ? 2 + (i / 4) * (row.Height + 1)
                                                                          : 2 + i * (row.Height + 1);
    TECCharButton* b = FaceButton(row.Names[i], left, top, row.Width, row.Height);
    const int value = values_[i];
    b->OnDrawCharButton = [this, value](TObject*, TCanvas& c, TRect r) {
      c.Pen() = TPen{};
      c.Brush() = TBrush{};
      const int cy = (r.Top + r.Bottom) / 2;
      switch (kind_) {
        case TKind::LineStyles:
          c.Pen().Style = static_cast<TPenStyle>(value);
          for (int dy = 0; dy < 2; ++dy) {
            c.MoveTo(r.Left + 4, cy + dy);
            c.LineTo(r.Right - 4, cy + dy);
          }
          break;
        case TKind::BrushStyles:
          c.Pen().Color = RGB(0, 0, 128);
          c.Brush() = TBrush{};
          c.Brush().Color = RGB(0, 0, 128);
          c.Brush().Style = static_cast<TBrushStyle>(value);
          c.Rectangle(r.Left + 4, r.Top + 4, r.Right - 4, r.Bottom - 4);
          break;
        case TKind::LineWidth:
          for (int k = 0; k < value; ++k) {
            c.MoveTo(r.Left + 4, cy - value / 2 + k);
            c.LineTo(r.Right - 4, cy - value / 2 + k);
          }
          break;
        case TKind::PointStyles:
          c.Brush().Color = clBlack;
          DrawLineEnds(c, r.Left + 4, r.Right - 5, cy, value);
          break;
      }
    };
    b->OnClick = [this, value](TObject*) { Pick(value); };
    Buttons.push_back(b);
  }
  const int cols = grid ? 4 : 1, rows = grid ? 2 : n;
  SetClientWidth(4 + cols * (row.Width + 1));
  SetClientHeight(4 + rows * (row.Height + 1));
  language_ = MakeFormLanguage(this, (std::string("FL") + (row.Form + 1)).c_str());
}

void TFValueChooser::SetValue(int value) {
  for (size_t i = 0; i < Buttons.size(); ++i) Buttons[i]->SetDown(values_[i] == value);
}

int TFValueChooser::Value() const {
  for (size_t i = 0; i < Buttons.size(); ++i)
    if (Buttons[i]->Down()) return values_[i];
  return -1;
}

// ------------------------------------------------------------------ dial

TOrientation::TOrientation(TComponent* owner) : TCustomControl(owner) {
  TFont f = Font();
  f.Name = "Arial";
  SetFont(f);
}

void TOrientation::SetAngle(int angle) {
  if (angle == angle_) return;
  angle_ = angle;
  Invalidate();
}

void TOrientation::Paint() {
  TCanvas& c = Canvas();
  const TRect r{0, 0, ClientWidth(), ClientHeight()};
  c.Pen() = TPen{};
  c.Brush() = TBrush{};
  c.Brush().Color = clWhite;
  c.Rectangle(r.Left, r.Top, r.Right, r.Bottom);
  const int cx = r.Width() / 2, cy = r.Height() / 2, radius = r.Width() / 2 - 10;
  for (int k = 0; k < 24; ++k) {
    const int a = 15 * k;
    const double rad = a * M_PI / 180.0;
    const int x = cx + static_cast<int>(std::lround(radius * std::cos(rad)));
    const int y = cy - static_cast<int>(std::lround(radius * std::sin(rad)));
    const TColor colour = a == angle_ ? RGB(255, 0, 0) : clBlack;
    c.Pen().Color = colour;
    c.Brush().Color = colour;
    if (a % 45 == 0)
      c.Polygon({TPoint{x - 3, y}, TPoint{x, y - 3}, TPoint{x + 3, y}, TPoint{x, y + 3}});
    else
      c.FillRect({x - 1, y - 1, x + 1, y + 1});
  }
  const double rad = angle_ * M_PI / 180.0;
  const int px = cx + static_cast<int>(std::lround((radius - 2) * std::cos(rad))),
            py = cy - static_cast<int>(std::lround((radius - 2) * std::sin(rad)));
  c.Brush().Color = RGB(255, 0, 0);
  c.FillRect({px, py, px + 1, py + 1});
  TFont f = Font();
  f.Escapement = f.Orientation = angle_ * 10;
  c.Font() = f;
  c.Brush().Style = bsClear;
  const std::u16string text = Utf8ToUtf16(Text);
  c.TextOut(cx + 2, cy - c.TextHeight(text) / 2, text);
}

void TOrientation::AngleAt(int x, int y) {
  SetAngle(AngleFromOffset(x - ClientWidth() / 2, ClientHeight() / 2 - y));
  Fire(OnChange, this);
}

void TOrientation::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (button == mbLeft) AngleAt(x, y);
}

void TOrientation::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
  if (shift & ssLeft) AngleAt(x, y);
}

TFTextRotate::TFTextRotate(TComponent* owner) : TFDesignChooser(owner, "FTextRotate", 138, 166) {
  Dial = Make<TOrientation>(this, "Dial", 6, 6, 126, 126);
  EAngle = Make<TEdit>(this, "EAngle", 6, 138, 60, 21);
  UDAngle = Make<TUpDown>(this, "UDAngle", 66, 138, 17, 21);
  UDAngle->Min = -1;
  UDAngle->Max = 360;
  UDAngle->SetAssociate(EAngle);
  UDAngle->SetPosition(0);
  language_ = MakeFormLanguage(this, "FLTextRotate");
  // The dial's caption is the form's first message, in every language.
  Dial->Text = Message(0);
  Dial->OnChange = [this](TObject*) { SetAngle(Dial->Angle()); };
  UDAngle->OnClick = [this](TObject*, TUDBtnType) { SetAngle(WrapAngle(UDAngle->Position())); };
  EAngle->OnChange = [this](TObject*) {
    if (updating_) return;
    const int typed = StrToIntSafe(Trim(EAngle->Text()), -1);
    if (typed >= 0 && typed < 360) SetAngle(typed);
  };
}

void TFTextRotate::SetAngle(int angle) {
  angle = WrapAngle(angle);
  updating_ = true;
  UDAngle->SetPosition(angle);
  EAngle->SetText(std::to_string(angle));
  updating_ = false;
  Dial->SetAngle(angle);
  Report(angle);
}

int TFTextRotate::Angle() const { return Dial->Angle(); }

// ------------------------------------------------------------------ lists

TFChooseList::TFChooseList(TComponent* owner, bool dates)
    : TFDesignChooser(owner, dates ? "FChoosePageDate" : "FChoosePageNumber", 150, dates ? 160 : 84) {
  LBList = Make<TListBox>(this, "LBList", 0, 0, 150, dates ? 160 : 84);
  TStringList items;
  if (dates) {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    for (const std::string& entry : PageDateEntries(t)) items.Add(entry);
  } else {
    for (int style = 0; style < 5; ++style)
      items.Add(FormatPageNumber(style, 0) + ", " + FormatPageNumber(style, 1) + ", " + FormatPageNumber(style, 2) +
                " ..");
  }
  LBList->SetItems(items);
  LBList->OnClick = [this](TObject*) {
    if (Index() >= 0) Pick(Index());
  };
  watch_.OnEnter = [this] {
    if (Index() >= 0) Pick(Index());
  };
  language_ = MakeFormLanguage(this, dates ? "FLChoosePageDate" : "FLChoosePageNumber");
}

void TFChooseList::SetIndex(int index) { LBList->SetItemIndex(index >= 0 && index < LBList->Count() ? index : -1); }

int TFChooseList::Index() const { return LBList->ItemIndex(); }

// ------------------------------------------------------------- formshot

void RegisterDesignChooserForms() {
  RegisterForm("FTextName", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFTextName>(nullptr);
    form->SetFaceName("Arial");
    // The form tools free what they show: closing only hides it.
    form->DefaultCloseAction = caHide;
    form->DefaultCloseAction = caHide;
    return form;
  });
  RegisterForm("FFontStyles", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFFontStyles>(nullptr);
    form->SetStyles(fsBold | fsItalic);
    form->DefaultCloseAction = caHide;
    return form;
  });
  const std::pair<const char*, TFValueChooser::TKind> rows[] = {
      {"FLineStyles", TFValueChooser::TKind::LineStyles},
      {"FBrushStyles", TFValueChooser::TKind::BrushStyles},
      {"FLineWidth", TFValueChooser::TKind::LineWidth},
      {"FPointStyles", TFValueChooser::TKind::PointStyles}};
  for (auto [name, kind] : rows)
    RegisterForm(name, [kind = kind](const std::string&) -> std::unique_ptr<TCustomForm> {
      auto form = std::make_unique<TFValueChooser>(nullptr, kind);
      form->SetValue(kind == TFValueChooser::TKind::PointStyles ? 0x12 : 2);
      form->DefaultCloseAction = caHide;
      return form;
    });
  RegisterForm("FTextRotate", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFTextRotate>(nullptr);
    form->SetAngle(30);
    form->DefaultCloseAction = caHide;
    return form;
  });
  for (bool dates : {false, true})
    RegisterForm(dates ? "FChoosePageDate" : "FChoosePageNumber",
                 [dates](const std::string&) -> std::unique_ptr<TCustomForm> {
                   auto form = std::make_unique<TFChooseList>(nullptr, dates);
                   form->SetIndex(1);
                   form->DefaultCloseAction = caHide;
                   return form;
                 });
}

}  // namespace qs
