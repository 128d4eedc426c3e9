#include "palettes/textproperties.h"

#include <algorithm>
#include <memory>

#include "base/inifile.h"
#include "base/strings.h"
#include "base/text.h"
#include "palettes/colors.h"
#include "palettes/designchoosers.h"
#include "platform/comctrls.h"
#include "platform/extctrls.h"
#include "platform/fonts.h"
#include "platform/keys.h"
#include "platform/musicglyphs.h"
#include "platform/stdctrls.h"
#include "uikit/charbutton.h"
#include "uikit/formparts.h"
#include "uikit/messagebox.h"

namespace qs {

// clang-format off
const std::array<TTextSymbol, 37> kTextSymbols = {{
    {"CBKeyG", glyphs::GClef}, {"CBKeyF", glyphs::FClef}, {"CBKeyC", glyphs::CClef}, {"CBBracket", glyphs::Brace},
    {"CBNote", glyphs::NoteheadWhole}, {"CBNote2", glyphs::NoteHalfUp}, {"CBNote4", glyphs::NoteQuarterUp},
    {"CBNote8", glyphs::Note8thUp}, {"CBNote16", glyphs::Note16thUp}, {"CBNote32", glyphs::Note32ndUp},
    {"CBNote64", glyphs::Note64thUp},
    {"CBPause4", glyphs::RestQuarter}, {"CBPause8", glyphs::Rest8th}, {"CBPause16", glyphs::Rest16th},
    {"CBPause32", glyphs::Rest32nd}, {"CBPause64", glyphs::Rest64th},
    {"CBBemol", glyphs::AccidentalFlat}, {"CBDBemol", glyphs::AccidentalDoubleFlat},
    {"CBDiesis", glyphs::AccidentalSharp}, {"CBDDiesis", glyphs::AccidentalDoubleSharp},
    {"CBBecarre", glyphs::AccidentalNatural}, {"CBBecarreBemol", glyphs::AccidentalNaturalFlat},
    {"CBBecarreDiesis", glyphs::AccidentalNaturalSharp},
    {"CBSegno", glyphs::Segno}, {"CBBeginFonar", glyphs::Coda},
    {"CBGroup1", glyphs::OrnamentTurn}, {"CBGroup2", glyphs::OrnamentTurnInverted},
    {"ECCharButton1", glyphs::OrnamentTurnSlash}, {"ECCharButton2", glyphs::OrnamentTurnUp},
    {"CBMordent", glyphs::OrnamentShortTrill}, {"CBStrikeMordent", glyphs::OrnamentMordent},
    {"CBDoubleMordent", glyphs::OrnamentTremblement}, {"CBStrikeDoubleMordent", glyphs::DoubleMordentWithStroke},
    {"CBFermataUp", glyphs::FermataAbove}, {"CBFermataDown", glyphs::FermataBelow},
    {"CBPedalUp", glyphs::KeyboardPedalPed}, {"CBPedalDown", glyphs::KeyboardPedalUp},
}};
// clang-format on

const std::array<int, 16> kTextSizes = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

namespace {
constexpr const char* kSection = "TextInputForm";
constexpr TColor kWhiteTextBackground = 0xC0DCC0;
constexpr int kOptionsWidth = 396, kNotesWidth = 8 * 26 + 8;
}  // namespace

// ----------------------------------------------------------------- shared

TFTextDialog::TFTextDialog(TComponent* owner, TIniFile* settings, const char* name, const char* language)
    : TForm(owner), settings_(settings) {
  SetName(name);
  // F1 anywhere in the dialog opens the page of the text dialogs.
  SetFormHelpTopic(Name(), "TextProp");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  ApplySkinTemplate(*this, skinkind::Normal);
  font_.Name = "Arial";
  font_.SetSize(8);

  MText = Make<TMemo>(this, "MText", 8, 8, kOptionsWidth, 96);
  MText->SetTabStop(true);
  POptions = Make<TPanel>(this, "POptions", 8, 110, kOptionsWidth, 196);
  POptions->SetBevelOuter(bvNone);
  EName = Make<TEdit>(this, POptions, "EName", 0, 0, 180, 21);
  LBName = Make<TListBox>(this, POptions, "LBName", 0, 24, 180, 112);
  TStringList faces;
  for (const std::string& face : FontListEntries(ScreenFontFaces())) faces.Add(face);
  LBName->SetItems(faces);
  ESize = Make<TEdit>(this, POptions, "ESize", 188, 0, 40, 21);
  UDSize = Make<TUpDown>(this, POptions, "UDSize", 228, 0, 17, 21);
  UDSize->Min = 4;
  UDSize->Max = 72;
  UDSize->SetAssociate(ESize);
  LBSize = Make<TListBox>(this, POptions, "LBSize", 188, 24, 57, 112);
  TStringList sizes;
  for (int s : kTextSizes) sizes.Add(std::to_string(s));
  LBSize->SetItems(sizes);
  CBColor = Make<TECCharButton>(this, POptions, "CBColor", 252, 0, 140, 24);
  CBColor->SetCustomDraw(true);
  CBColor->OnDrawCharButton = [this](TObject*, TCanvas& c, TRect r) {
    c.Pen() = TPen{};
    c.Brush() = TBrush{};
    c.Brush().Color = font_.Color;
    c.Rectangle(r.Left + 4, r.Top + 4, r.Right - 4, r.Bottom - 4);
  };
  GBStyle = Make<TGroupBox>(this, POptions, "GBStyle", 252, 28, 140, 106);
  CBBold = Make<TCheckBox>(this, GBStyle, "CBBold", 8, 18, 126, 20);
  CBItalic = Make<TCheckBox>(this, GBStyle, "CBItalic", 8, 38, 126, 20);
  CBStrike = Make<TCheckBox>(this, GBStyle, "CBStrike", 8, 58, 126, 20);
  CBUnderline = Make<TCheckBox>(this, GBStyle, "CBUnderline", 8, 78, 126, 20);
  BBOk = MakeOkButton(this, "&OK", 164, 280);
  BBCancel = MakeCancelButton(this, 244, 280);
  BBHelp = Make<TButton>(this, "BBHelp", 324, 280, 75, 25);
  BBHelp->SetCaption("Help");

  // Name: typed or picked from the list.
  EName->OnChange = [this](TObject*) {
    if (updating_) return;
    font_.Name = EName->Text();
    const std::vector<std::string> entries = LBName->Items().Items();
    const int i = FindNameIgnoringCase(entries, Trim(EName->Text()));
    if (i >= 0) LBName->SetItemIndex(i);
    FontChanged();
  };
  LBName->OnClick = [this](TObject*) {
    if (LBName->ItemIndex() >= 0) EName->SetText(LBName->Items()[LBName->ItemIndex()]);
  };
  auto sizeChanged = [this] {
    font_.SetSize(UDSize->Position());
    const int i = LBSize->Items().IndexOf(Trim(ESize->Text()));
    if (i >= 0) LBSize->SetItemIndex(i);
    MText->SetFont(font_);
  };
  UDSize->OnClick = [sizeChanged](TObject*, TUDBtnType) { sizeChanged(); };
  ESize->OnChange = [this, sizeChanged](TObject*) {
    if (updating_) return;
    const int typed = StrToIntSafe(Trim(ESize->Text()), -1);
    if (typed >= UDSize->Min && typed <= UDSize->Max) {
      UDSize->SetPosition(typed);
      sizeChanged();
    }
  };
  LBSize->OnClick = [this, sizeChanged](TObject*) {
    if (LBSize->ItemIndex() < 0) return;
    UDSize->SetPosition(kTextSizes[static_cast<size_t>(LBSize->ItemIndex())]);
    sizeChanged();
  };
  const std::pair<TCheckBox*, int> styles[] = {
      {CBBold, fsBold}, {CBItalic, fsItalic}, {CBUnderline, fsUnderline}, {CBStrike, fsStrikeOut}};
  for (auto [box, bit] : styles)
    box->OnClick = [this, box = box, bit = bit](TObject*) {
      font_.Style = static_cast<TFontStyles>(box->Checked() ? (font_.Style | bit) : (font_.Style & ~bit));
      FontChanged();
    };
  CBColor->OnClick = [this](TObject*) {
    TColor colour = font_.Color;
    if (ChooseColorBelow(*CBColor, colour)) SetColor(colour);
  };
  BBOk->ModalResult = mrNone;
  BBOk->OnClick = [this](TObject*) {
    if (AcceptOk()) SetModalResult(mrOk);
  };
  BBHelp->OnClick = [](TObject*) { ShowHelpTopic("TextProp"); };
  KeyPreview = true;
  OnKeyDown = [](TObject*, uint16_t& key, TShiftState) {
    if (key == VK_F1) {
      key = 0;
      ShowHelpTopic("TextProp");
    }
  };
  Language = MakeFormLanguage(this, language);
  SetClientWidth(kOptionsWidth + 16);
  SetClientHeight(314);
  if (settings_) {
    TRect bounds = BoundsRect();
    if (ReadFormBounds(*settings_, kSection, bounds)) SetBounds(bounds.Left, bounds.Top, Width(), Height());
  }
  OnShow = [this](TObject*) { ShowValues(); };
}

TFTextDialog::~TFTextDialog() {
  if (settings_) WriteFormBounds(*settings_, kSection, BoundsRect());
}

std::vector<std::string> TFTextDialog::Lines() const { return MText->Lines().Items(); }

void TFTextDialog::SetLines(const std::vector<std::string>& lines) {
  TStringList list;
  for (const std::string& line : lines) list.Add(line);
  MText->SetLines(list);
}

void TFTextDialog::SetTextFont(const std::string& name, int size, uint8_t style, TColor color) {
  font_.Name = name;
  font_.SetSize(size);
  font_.Style = style;
  font_.Color = color;
  ShowValues();
}

int TFTextDialog::UDSizePosition() const { return UDSize->Position(); }

void TFTextDialog::ShowValues() {
  updating_ = true;
  if (font_.Size() <= 0) font_.SetSize(8);
  UDSize->SetPosition(std::clamp(font_.Size(), UDSize->Min, UDSize->Max));
  ESize->SetText(std::to_string(UDSize->Position()));
  LBSize->SetItemIndex(LBSize->Items().IndexOf(std::to_string(UDSize->Position())));
  if (!font_.Name.empty()) {
    LBName->SetItemIndex(FindNameIgnoringCase(LBName->Items().Items(), font_.Name));
    EName->SetText(font_.Name);
  }
  CBBold->SetChecked(font_.Style & fsBold);
  CBItalic->SetChecked(font_.Style & fsItalic);
  CBUnderline->SetChecked(font_.Style & fsUnderline);
  CBStrike->SetChecked(font_.Style & fsStrikeOut);
  updating_ = false;
  SetColor(font_.Color);
  FontChanged();
}

void TFTextDialog::FontChanged() { MText->SetFont(font_); }

void TFTextDialog::SetColor(TColor color) {
  font_.Color = color;
  // White text stays readable on a pale green ground.
  MText->SetColor(color == clWhite ? kWhiteTextBackground : clWhite);
  MText->SetFont(font_);
  CBColor->Invalidate();
}

bool TFTextDialog::WhiteBackground() const { return MText->Color() == kWhiteTextBackground; }

bool TFTextDialog::AcceptOk() {
  // The line count is what counts: empty lines are a text too.
  if (MText->Lines().Count() > 0) return true;
  ShowMessageBlock(Language->GetMessage(1, "Error"), Language->GetMessage(0, "Input text, Please!"), kMessageWarning,
                   kMessageOk);
  return false;
}

// ------------------------------------------------------------- text dialog

TFTextProperties::TFTextProperties(TComponent* owner, TIniFile* settings)
    : TFTextDialog(owner, settings, "FTextProperties", "FLTextProperties") {
  CBMusicSymbols = Make<TCheckBox>(this, POptions, "CBMusicSymbols", 0, 140, 180, 20);
  CBAlignmentNote = Make<TCheckBox>(this, POptions, "CBAlignmentNote", 0, 160, 150, 20);
  CBAllPages = Make<TCheckBox>(this, POptions, "CBAllPages", 188, 140, 60, 20);
  CBAllPages->SetVisible(false);
  CBContinue = Make<TCheckBox>(this, POptions, "CBContinue", 252, 140, 140, 20);
  CBContinue->SetVisible(false);
  PNotes = Make<TPanel>(this, "PNotes", kOptionsWidth + 16, 8, kNotesWidth, 298);
  PNotes->SetBevelOuter(bvNone);
  TFont music;
  music.Name = MusicFontName;
  music.Height = -22;
  for (size_t i = 0; i < kTextSymbols.size(); ++i) {
    const TTextSymbol& s = kTextSymbols[i];
    auto* b = Make<TECCharButton>(this, PNotes, s.Name, 4 + static_cast<int>(i % 8) * 26, 4 + static_cast<int>(i / 8) * 34,
                                  25, 33);
    b->SetFlat(true);
    b->SetFont(music);
    b->SetByte(s.Code);
    b->SetPosX(7);
    b->SetPosY(s.Code >= 42 && s.Code <= 48 ? -12 : -18);
    const uint8_t code = s.Code;
    b->OnClick = [this, code](TObject*) { TypeSymbol(code); };
    Symbols.push_back(b);
  }
  CBMusicSymbols->OnClick = [this](TObject*) { MusicSymbolsChanged(); };
  auto storeAlignment = [this](TObject*) {
    if (settings_) settings_->WriteBool(kSection, "AlignmentNote", CBAlignmentNote->Checked());
  };
  CBAlignmentNote->OnClick = storeAlignment;
  CBContinue->OnClick = storeAlignment;
  CBAlignmentNote->SetChecked(settings_ ? settings_->ReadBool(kSection, "AlignmentNote", true) : true);
  Language->Loaded();
  MusicSymbolsChanged();
  OnShow = [this](TObject*) {
    ShowValues();
    CBMusicSymbols->SetChecked(IsMusicFont(EName->Text()));
    MusicSymbolsChanged();
  };
}

void TFTextProperties::MusicSymbolsChanged() {
  const bool music = CBMusicSymbols->Checked();
  LBName->SetEnabled(!music);
  EName->SetEnabled(!music);
  if (music) {
    if (!IsMusicFont(EName->Text())) textFont_ = EName->Text();
    EName->SetText(MusicFontName);
  } else if (IsMusicFont(EName->Text()) || EName->Text().empty()) {
    // The text font chosen before the music font came on, else the list's
    // first.
    if (textFont_.empty() && LBName->Count() > 0) textFont_ = LBName->Items()[0];
    EName->SetText(textFont_);
  }
  PNotes->SetVisible(music);
  SetClientWidth(music ? kOptionsWidth + kNotesWidth + 24 : kOptionsWidth + 16);
}

void TFTextProperties::TypeSymbol(uint8_t code) {
  if (MText->ReadOnly()) return;
  MText->InsertAtCaret(Utf16ToUtf8(MusicGlyphText(code)));
}

void TFTextProperties::SetFontOnly(bool fontOnly) {
  if (fontOnly == fontOnly_) return;
  fontOnly_ = fontOnly;
  CBMusicSymbols->SetVisible(!fontOnly);
  CBAlignmentNote->SetVisible(!fontOnly);
  CBAllPages->SetVisible(!fontOnly && CBAllPages->Visible());
  MText->SetReadOnly(fontOnly);
  if (fontOnly) {
    std::vector<std::string> lines = Lines();
    lines.push_back(Language->GetMessage(2));
    SetLines(lines);
  }
}

// -------------------------------------------------------------- name dialog

TFNameProperties::TFNameProperties(TComponent* owner, TIniFile* settings)
    : TFTextDialog(owner, settings, "FNameProperties", "FLNameProperties") {
  MText->SetBounds(8, 8, kOptionsWidth / 2 - 4, 96);
  MBrief = Make<TMemo>(this, "MBrief", 12 + kOptionsWidth / 2, 8, kOptionsWidth / 2 - 4, 96);
  MBrief->SetTabStop(true);
  Language->Loaded();
}

std::vector<std::string> TFNameProperties::BriefLines() const { return MBrief->Lines().Items(); }

void TFNameProperties::FontChanged() {
  TFTextDialog::FontChanged();
  if (MBrief) MBrief->SetFont(font_);
}

// ---------------------------------------------------------------- formshot

void RegisterTextPropertiesForms() {
  RegisterForm("FTextProperties", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFTextProperties>(nullptr, nullptr);
    form->SetLines({"Allegro"});
    form->SetTextFont("Arial", 12, fsBold, 0x000080);
    form->CBMusicSymbols->SetChecked(true);
    form->MusicSymbolsChanged();
    return form;
  });
  RegisterForm("FNameProperties", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFNameProperties>(nullptr, nullptr);
    form->SetLines({"Violin"});
    form->MBrief->SetLines(TStringList{"Vl."});
    form->SetTextFont("Arial", 10, 0, 0);
    return form;
  });
}

}  // namespace qs
