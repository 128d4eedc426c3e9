#include "palettes/drums.h"

#include <algorithm>

#include "base/exceptions.h"
#include "palettes/glyphpainters.h"
#include "platform/canvas.h"
#include "score/record.h"
#include "score/score.h"
#include "platform/extctrls.h"
#include "platform/fonts.h"
#include "platform/musicglyphs.h"
#include "uikit/charbutton.h"
#include "uikit/language.h"
#include "uikit/toolfaces.h"

namespace qs {

namespace {
constexpr uint16_t kNewestDrumVersion = 800;
constexpr int kDrumButton = 26, kDrumStep = 27;
}  // namespace

TECDrumDescription::TECDrumDescription() : FontName(MusicFontName) {}

void TECDrumDescription::LoadFromStream(TStream& s) {
  Loaded = true;
  ReadLibrarySignature(s, {'('}, "File is not drum style");
  Version = ReadLibraryVersion(s, kNewestDrumVersion, "Version of file is more then 3.2");
  const int fields = s.ReadU16();
  if (fields >= 1) Text = ReadStreamString(s);
  if (fields >= 2) Name = ReadStreamString(s);
  if (fields >= 3) {
    const int length = s.ReadU16();
    Head.fill(0);
    for (int i = 0; i < length; ++i) {
      const uint8_t b = s.ReadU8();
      if (i < 8) Head[static_cast<size_t>(i)] = b;
    }
  }
  if (fields >= 4) FontName = ReadStreamString(s);
}

void TECDrumDescription::EnsureLoaded() {
  if (Loaded) return;
  Loaded = true;
  try {
    LoadFromFile();
  } catch (const std::exception&) {
    // A damaged style draws an empty head; it is not read again.
  }
}

TDrumStyles LoadDrumStyles() {
  TDrumStyles styles;
  for (const std::string& entry : ReadLibraryIndex(kDrumIndex, nullptr)) {
    auto style = std::make_unique<TECDrumDescription>();
    style->Name = entry;
    style->FileName = entry;
    styles.push_back(std::move(style));
  }
  return styles;
}

void PaintDrumStyle(TCanvas& c, const TRect& r, const TECDrumDescription* style, bool grey) {
  const int level = c.SaveDC();
  const TColor ink = grey ? toolface::kGrey : clBlack;
  c.Pen().Style = psSolid;
  c.Pen().Width = 1;
  c.Pen().Color = ink;
  c.Font() = TFont{};
  c.Font().Name = style ? style->FontName : std::string(MusicFontName);
  c.Font().SetSize(16);
  c.Font().Color = ink;
  if (style) {
    const int x = r.Left + (style->StemLeft() ? 12 : 14);
    c.MoveTo(x, r.Top + 4);
    c.LineTo(x, r.Top + style->StemLength() / 8 + 16);
    if (style->HeadGlyph()) {
      // Right-aligned so that the head ends at the stem.
      const std::string glyph(1, static_cast<char>(style->HeadGlyph()));
      const std::u16string text = FontGlyphText(c.Font().Name, style->HeadGlyph());
      DrawGlyphText(c, r.Left + 15 - c.TextWidth(std::u16string_view(text)), r.Top + 16, 4, glyph);
    }
  } else {
    c.MoveTo(r.Left + 14, r.Top + 4);
    c.LineTo(r.Left + 14, r.Top + 16);
    DrawGlyphText(c, r.Left + 8, r.Top + 16, 4, std::string(1, static_cast<char>(glyphs::NoteheadBlack)));
  }
  c.RestoreDC(level);
}

void DrawDrumStyle(const TECCharButton& button, TCanvas& canvas, const TRect& rect, TECDrumDescription* style) {
  if (style) style->EnsureLoaded();
  toolface::Raised(button, rect, [&](const TRect& face, TColor ink) {
    PaintDrumStyle(canvas, face, style, ink != clBlack);
  });
}

TFChooseDrum::TFChooseDrum(TComponent* owner) : TDropDownPicker(owner, "FChooseDrum", 120, 40) {
  SetCaption("Drum styles");
  SBDrums = new TScrollBox(this);
  SBDrums->SetName("SBDrums");
  SBDrums->SetParent(this);
  SBDrums->SetAlign(alClient);
  Finish();
}

void TFChooseDrum::FillDrumButtons(TDrumStyles& styles) {
  const int count = static_cast<int>(styles.size());
  const int perRow = count >= 40 ? 8 : 4;
  SetClientWidth(count >= 40 ? 224 : 120);
  const int first = WithStandard ? kDrumStep : 0;
  const int total = count + (WithStandard ? 1 : 0);
  while (static_cast<int>(Buttons.size()) > total) {
    delete Buttons.back();
    Buttons.pop_back();
  }
  auto button = [&](int i) {
    if (i < static_cast<int>(Buttons.size())) return Buttons[static_cast<size_t>(i)];
    auto* b = new TECCharButton(this);
    b->SetName("CBDrum" + std::to_string(i));
    b->SetParent(SBDrums);
    b->SetFlat(true);
    b->SetBlackBorder(true);
    b->SetBorderColor(RGB(0x42, 0x40, 0x40));
    b->SetShowHint(true);
    b->SetCustomDraw(true);
    Buttons.push_back(b);
    return b;
  };
  for (int i = 0; i < total; ++i) {
    TECCharButton* b = button(i);
    const bool standard = i == count;
    TECDrumDescription* style = standard ? nullptr : styles[static_cast<size_t>(i)].get();
    if (style) style->EnsureLoaded();
    const int slot = standard ? -1 : i;
    if (standard) b->SetBounds(0, 0, kDrumButton, kDrumButton);
    else b->SetBounds(kDrumStep * (slot % perRow), first + kDrumStep * (slot / perRow), kDrumButton, kDrumButton);
    b->SetHint(standard ? (language_ ? language_->GetMessage(0) : std::string()) : style->Name);
    b->OnDrawCharButton = [b, style](TObject*, TCanvas& c, TRect r) { DrawDrumStyle(*b, c, r, style); };
    const int index = standard ? kStandardDrumHead : i;
    ChooseOnClick(b, [this, index] {
      if (OnChoose) OnChoose(this, index);
    });
  }
  const int rows = (count + perRow - 1) / perRow;
  const int below = first + kDrumStep * rows;
  if (below > 40 && below < 400) SetClientHeight(below + 35);
  else if (below <= 40) SetClientHeight(std::max(kDrumStep, below) + 2);
}

int RegisterDrumStyles(TQSScore& score, TDrumStyles& styles, int index) {
  if (index < 0 || index >= static_cast<int>(styles.size())) return 0;
  for (auto& style : styles) {
    style->EnsureLoaded();
    const auto& h = style->Head;
    score.AddDrumInstrument(style->Name, static_cast<uint16_t>(h[0] | h[1] << 8), static_cast<uint16_t>(h[2] | h[3] << 8),
                            h[4], static_cast<uint16_t>(h[6] | h[7] << 8), style->FontName,
                            static_cast<uint8_t>(style->FontSize), h[5]);
  }
  return DrumHeadCode(index);
}

}  // namespace qs
