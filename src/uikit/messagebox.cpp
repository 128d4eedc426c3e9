#include "uikit/messagebox.h"

#include <initializer_list>
#include <vector>

#include "base/strings.h"
#include "base/text.h"
#include "platform/actions.h"
#include "platform/bitmap.h"
#include "platform/canvasutil.h"
#include "platform/extctrls.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "uikit/interface.h"
#include "uikit/language.h"

namespace qs {
namespace {

constexpr TColor clCream = RGB(255, 251, 240);
constexpr int kButtonWidth = 80;
// The room between two buttons, so that their frames do not touch.
constexpr int kButtonGap = 6;
constexpr int kPictureSize = 32;

// The two pictures, drawn for this program: a warning triangle and a
// question mark in a circle, on a transparent ground.
void DrawWarning(TBitmap& b) {
  TCanvas& c = b.Canvas();
  c.Pen().Color = RGB(120, 80, 0);
  c.Brush().Color = RGB(255, 204, 0);
  c.Brush().Style = bsSolid;
  c.Polygon({{16, 2}, {30, 28}, {2, 28}});
  c.Brush().Color = clBlack;
  c.Pen().Color = clBlack;
  c.Rectangle(15, 10, 18, 21);
  c.Rectangle(15, 23, 18, 26);
}

void DrawQuestion(TBitmap& b) {
  TCanvas& c = b.Canvas();
  c.Pen().Color = RGB(20, 60, 140);
  c.Brush().Color = RGB(60, 120, 220);
  c.Brush().Style = bsSolid;
  c.Ellipse(1, 1, 31, 31);
  TFont f;
  f.Name = "Arial";
  f.Style = fsBold;
  f.Height = -22;
  f.Color = clWhite;
  c.Font() = f;
  c.Brush().Style = bsClear;
  c.TextOut(16 - c.TextWidth("?") / 2, 16 - c.TextHeight("?") / 2, "?");
}

// The button glyphs, 16 x 16 on white (the list's transparent ground):
// 0 a tick for OK and Yes, 1 a cross for Cancel, 2 a barred circle for No,
// 3 a page of lines for the extra button.
constexpr int kGlyphSize = 16;

// Lines in one pen, each through its points.
void Strokes(TCanvas& c, TColor color, int width, std::initializer_list<std::initializer_list<TPoint>> lines) {
  c.Pen().Color = color;
  c.Pen().Width = width;
  for (const auto& line : lines) {
    c.MoveTo(line.begin()->X, line.begin()->Y);
    for (const TPoint& p : line) c.LineTo(p.X, p.Y);
  }
}

void DrawTick(TCanvas& c) { Strokes(c, RGB(20, 120, 40), 3, {{{3, 8}, {6, 12}, {13, 3}}}); }

void DrawCross(TCanvas& c) { Strokes(c, RGB(200, 40, 30), 3, {{{4, 4}, {12, 12}}, {{12, 4}, {4, 12}}}); }

void DrawBarredCircle(TCanvas& c) {
  c.Brush().Style = bsClear;
  Strokes(c, RGB(176, 32, 96), 2, {{{5, 12}, {12, 5}}});
  c.Ellipse(2, 2, 15, 15);
}

void DrawPage(TCanvas& c) {
  c.Pen().Color = RGB(40, 70, 130);
  c.Pen().Width = 1;
  c.Brush().Style = bsSolid;
  c.Brush().Color = RGB(236, 242, 252);
  c.Rectangle(3, 1, 13, 15);
  for (int y = 4; y <= 11; y += 2) Strokes(c, RGB(60, 110, 200), 1, {{{5, y}, {11, y}}});
}

// Fills the whole picture with its (transparent) ground.
void Ground(TBitmap& b, TColor ground) {
  b.Canvas().Brush().Color = ground;
  b.Canvas().Brush().Style = bsSolid;
  b.Canvas().FillRect(TRect{0, 0, b.Width(), b.Height()});
}

void MakeGlyphs(TImageList& list) {
  for (void (*draw)(TCanvas&) : {DrawTick, DrawCross, DrawBarredCircle, DrawPage}) {
    TBitmap glyph(kGlyphSize, kGlyphSize);
    Ground(glyph, clWhite);
    draw(glyph.Canvas());
    list.AddMasked(glyph, clWhite);
  }
}

TImage* MakePicture(TForm* form, const char* name, void (*draw)(TBitmap&)) {
  auto* image = new TImage(form);
  image->SetName(name);
  image->SetParent(form);
  image->SetBounds(5, 0, 36, 88);
  image->Center = true;
  TBitmap& picture = image->Picture();
  picture.SetSize(kPictureSize, kPictureSize);
  const TColor ground = RGB(255, 0, 255);
  Ground(picture, ground);
  draw(picture);
  picture.Transparent = true;
  picture.SetTransparentColor(ground);
  return image;
}

// Captions of the buttons when no language file is at hand, so that a box
// never shows blank buttons.
std::string ButtonCaption(const TFMessageBlock& box, int message) {
  static constexpr const char* kEnglish[] = {"Details", "Cancel", "Yes", "No"};
  return box.FLMessageBlock->GetMessage(message, kEnglish[message]);
}

size_t CodePointCount(const std::string& text) {
  size_t n = 0;
  for (size_t i = 0; i < text.size();) {
    NextCodePoint(text, i);
    ++n;
  }
  return n;
}

}  // namespace

void WrapMessageText(const TCanvas& canvas, const std::string& text, int maxWidth, TStringList& lines) {
  WrapTextToWidth(canvas, text, maxWidth, lines);
}

TFMessageBlock::TFMessageBlock(TComponent* owner) : TForm(owner) {
  SetName("FMessageBlock");
  SetCaption("FMessageBlock");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetColor(clCream);
  KeyPreview = true;
  SetClientWidth(392);
  SetClientHeight(118);

  IQuestion = MakePicture(this, "IQuestion", DrawQuestion);
  IWarning = MakePicture(this, "IWarning", DrawWarning);

  MMessageBlock = new TLabel(this);
  MMessageBlock->SetName("MMessageBlock");
  MMessageBlock->SetParent(this);
  MMessageBlock->AutoSize = false;
  MMessageBlock->SetWordWrap(false);
  MMessageBlock->SetColor(clCream);
  MMessageBlock->SetBounds(50, 10, 336, 80);

  ILMessageBlock = new TImageList(this, kGlyphSize, kGlyphSize);
  ILMessageBlock->SetName("ILMessageBlock");
  MakeGlyphs(*ILMessageBlock);

  FLMessageBlock = new TECFormLanguage(this);
  FLMessageBlock->SetName("FLMessageBlock");
  FLMessageBlock->SetExLanguage(kDefaultLanguage);
  FLMessageBlock->Loaded();

  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) { FormKeyDown(key); };
  ApplySkinTemplate(*this, 0);
}

void TFMessageBlock::FormKeyDown(uint16_t& key) {
  if (key == VK_ESCAPE) {
    key = 0;
    Close();
  }
}

void TFMessageBlock::LayoutMessageText(const std::string& text) {
  const size_t length = CodePointCount(text);
  const int wrapWidth = length <= 50 ? 200 : length <= 100 ? 300 : 400;
  TBitmap measure(1, 1);
  measure.Canvas().Font() = MMessageBlock->Font();
  TStringList lines;
  WrapMessageText(measure.Canvas(), text, wrapWidth, lines);
  int w = 114;
  for (int i = 0; i < lines.Count(); ++i) w = std::max(w, measure.Canvas().TextWidth(lines[i]) + 10);
  int h = lines.Count() * measure.Canvas().TextHeight("A");
  std::string shown;
  for (int i = 0; i < lines.Count(); ++i) shown += (i ? "\n" : "") + lines[i];
  MMessageBlock->SetCaption(shown);
  if (h >= 36) {
    MMessageBlock->SetBounds(50, 10, w, h);
    IQuestion->SetHeight(h);
    IWarning->SetHeight(h);
  } else {
    MMessageBlock->SetBounds(50, 20, w, h);
    h = 36;
    IQuestion->SetHeight(48);
    IWarning->SetHeight(48);
  }
  // The outer size: the skin's frame takes its part of it.
  SetBounds(Left(), Top(), w + 80, h + 80);
}

void TFMessageBlock::SetMessageIcon(uint8_t iconKind) {
  if (iconKind == kMessageWarning) {
    IQuestion->Hide();
  } else if (iconKind == 1 || iconKind == 2) {
    IWarning->Hide();
  }
}

TButton* TFMessageBlock::AddMessageButton(uint16_t kind, const std::string& caption) {
  auto* button = new TButton(this);
  button->SetParent(this);
  button->SetBounds(buttonX_, ClientHeight() - 30, kButtonWidth, 25);
  button->SetCaption(caption);
  button->SetAnchors(akRight | akBottom);
  button->SetTabStop(true);
  button->SetTabOrder(0);
  int glyph = 3;  // the extra button leaves the box open
  switch (kind) {
    case kMessageCancel: button->ModalResult = mrCancel, glyph = 1; break;
    case kMessageOk: button->ModalResult = mrOk, glyph = 0; break;
    case kMessageNo: button->ModalResult = mrNo, glyph = 2; break;
    case kMessageYes: button->ModalResult = mrYes, glyph = 0; break;
    default: break;
  }
  button->SetGlyph(*ILMessageBlock->GetBitmap(glyph));
  buttonX_ -= kButtonWidth + kButtonGap;
  return button;
}

int ShowMessageBlock(const std::string& title, const std::string& text, uint8_t iconKind, uint16_t buttons) {
  TFMessageBlock box(nullptr);
  box.SetCaption(title);
  box.LayoutMessageText(text);
  box.SetMessageIcon(iconKind);
  box.SetButtonX(box.ClientWidth() - 84);
  struct TKind {
    uint16_t Bit;
    int Message;  // -1: the fixed "Ok"
  };
  static constexpr TKind kOrder[] = {
      {kMessageExtra, 0}, {kMessageCancel, 1}, {kMessageOk, -1}, {kMessageNo, 3}, {kMessageYes, 2}};
  std::vector<TButton*> placed;
  for (const TKind& k : kOrder)
    if (buttons & k.Bit) placed.push_back(box.AddMessageButton(k.Bit, k.Message < 0 ? "Ok" : ButtonCaption(box, k.Message)));
  TButton* last = placed.empty() ? nullptr : placed.back();
  if (box.ButtonX() < 20) {
    const int grow = 20 - box.ButtonX();
    // The buttons, anchored to the right, move with the right edge.
    box.SetClientWidth(box.ClientWidth() + grow);
  }
  // The leftmost button has the focus, and Enter presses it as it would a
  // focused button anywhere.
  if (last) {
    last->SetDefault(true);
    box.SetActiveControl(last);
  }
  const int result = box.ShowModal();
  return result == mrNone ? mrCancel : result;
}

void RegisterMessageBlockForms() {
  RegisterForm("FMessageBlock", [](const std::string& language) -> std::unique_ptr<TCustomForm> {
    // A question as the program asks it, for a look at the box.
    static const std::pair<const char*, const char*> kSample[] = {
        {"ENU", "The score has been changed. Do you want to save the changes before closing it?"},
        {"DEU", "Die Partitur wurde geändert. Möchten Sie die Änderungen vor dem Schließen speichern?"},
        {"FRA", "La partition a été modifiée. Voulez-vous enregistrer les modifications avant de la fermer ?"},
        {"ITA", "La partitura è stata modificata. Salvare le modifiche prima di chiuderla?"},
        {"RUS", "Партитура изменена. Сохранить изменения перед закрытием?"}};
    std::string text = kSample[0].second;
    for (const auto& [code, sample] : kSample)
      if (language == code) text = sample;
    auto box = std::make_unique<TFMessageBlock>(nullptr);
    box->SetCaption("Quillstave");
    box->LayoutMessageText(text);
    box->SetMessageIcon(kMessageQuestion);
    box->SetButtonX(box->ClientWidth() - 84);
    box->AddMessageButton(kMessageCancel, ButtonCaption(*box, 1));
    box->AddMessageButton(kMessageNo, ButtonCaption(*box, 3));
    box->AddMessageButton(kMessageYes, ButtonCaption(*box, 2));
    return box;
  });
}

}  // namespace qs
