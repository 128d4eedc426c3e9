#include "palettes/dropdown.h"

#include "platform/fonts.h"
#include "platform/musicglyphs.h"
#include "platform/keys.h"
#include "uikit/charbutton.h"
#include "uikit/formparts.h"

namespace qs {

TDropDownPicker::TDropDownPicker(TComponent* owner, const char* name, int clientWidth, int clientHeight)
    : TForm(owner) {
  SetName(name);
  SetBorderStyle(bsNone);
  ApplySkinTemplate(*this, skinkind::Small);
  SetClientWidth(clientWidth);
  SetClientHeight(clientHeight);
  KeyPreview = true;
  DefaultCloseAction = caFree;
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
    if (key != VK_ESCAPE) return;
    key = 0;
    Close();
  };
  // A drop-down goes as soon as the user turns elsewhere.
  OnDeactivate = [this](TObject*) {
    if (Visible()) Close();
  };
}

void TDropDownPicker::Finish() {
  language_ = MakeFormLanguage(this, ("L" + Name()).c_str());
}

void TDropDownPicker::DropDownBelow(const TControl& control) {
  PlaceBelowControl(control, *this);
  ShowForm();
}

TECCharButton* TDropDownPicker::ValueButton(TWinControl* parent, const char* name, int left, int top, int width,
                                            int height) {
  auto* b = Make<TECCharButton>(this, parent, name, left, top, width, height);
  b->SetFlat(true);
  b->SetGroupIndex(1);
  // The setters release every button of a value the picker does not show.
  b->SetAllowAllUp(true);
  b->SetShowHint(true);
  return b;
}

TECCharButton* TDropDownPicker::GlyphButton(TWinControl* parent, const char* name, uint8_t glyph, int left, int top,
                                            int width, int height, int posX, int posY) {
  TECCharButton* b = ValueButton(parent, name, left, top, width, height);
  TFont music;
  music.Name = MusicFontName;
  music.Height = -24;
  b->SetFont(music);
  b->SetByte(glyph);
  b->SetPosX(posX);
  b->SetPosY(posY);
  return b;
}

void TDropDownPicker::ChooseOnClick(TECCharButton* b, std::function<void()> choose) {
  b->OnClick = [this, choose = std::move(choose)](TObject*) {
    choose();
    CloseAfterChoice();
  };
}

int GlyphFaceTop(uint8_t glyph) {
  if (glyph >= glyphs::NoteHalfUp && glyph <= glyphs::Note64thUp) return -13;
  if (glyph >= glyphs::RestQuarter && glyph <= glyphs::Rest64th) return -12;
  if (glyph == glyphs::BrassDoitMedium || glyph == glyphs::BrassFallLipMedium || glyph == glyphs::BrassLiftShort ||
      glyph == glyphs::PictOpen || glyph == glyphs::PictHalfOpen2)
    return -15;
  return -19;
}

}  // namespace qs
