// The Design palette through real mouse presses on a shown score view: lines
// and rectangles dragged, texts clicked in, attribute changes applied to the
// selection at once, the regimes and the kept values; and its choosers and
// text dialog on their own.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "../view/view_fixture.h"
#include "base/inifile.h"
#include "editing/drags.h"
#include "layout/layout.h"
#include "palettes/design.h"
#include "palettes/designchoosers.h"
#include "palettes/notes.h"
#include "palettes/textproperties.h"
#include "platform/comctrls.h"
#include "platform/extctrls.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "score/pageobjects.h"
#include "uikit/charbutton.h"
#include "uikit/language.h"
#include "uikit/localeformats.h"

namespace qs::test {
namespace {

namespace td = qs::testdriver;
using T = TFDesign::TTool;
using V = TFDesign::TValue;

struct TFakeHost : TPaletteHost {
  TQSScore* Score = nullptr;
  TQSScore* ActiveScore() override { return Score; }
  void SoundPitch(int, int, int, int, TSoundFrom) override {}
  void SetEntryDuration(int) override {}
  void PaletteActivated(const std::string&) override {}
  void SetPaletteAttached(const std::string&, bool) override {}
  void PaletteKeyDown(uint16_t&, uint16_t) override {}
  int AskCount(const std::string&, int, int) override { return 0; }
};

class DesignPalette : public TShownScoreTest {
 protected:
  TFakeHost Host;
  std::string File = (std::filesystem::temp_directory_path() / ("qs-design-" + std::to_string(::getpid()) + ".ini"))
                         .string();
  std::unique_ptr<TIniFile> Settings;
  std::unique_ptr<TFDesign> Palette;

  void SetUp() override {
    std::filesystem::remove(File);
    Piece = AddPiece({1}, 4);
    ShowScore(false);
    Host.Score = &Score;
    Settings = std::make_unique<TIniFile>(File);
    MakePalette();
  }
  void TearDown() override {
    Palette.reset();
    TShownScoreTest::TearDown();
    std::filesystem::remove(File);
  }
  void MakePalette() {
    Palette.reset();
    Palette = std::make_unique<TFDesign>(nullptr, TPaletteContext{&Host, Settings.get()});
    Palette->SetBounds(900, 50, Palette->Width(), Palette->Height());
    td::ShowAndWait(*Palette);
    // What the main window does with the view's presses.
    ConnectToolCommands(*View);
    View->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState, int x, int y) {
      if (b == mbLeft) Palette->ViewMouseDown(*View, x, y);
    };
    View->OnMouseUp = [this](TObject*, TMouseButton b, TShiftState, int x, int y) {
      if (b == mbLeft) Palette->ViewMouseUp(*View, x, y);
    };
  }
  void Press(TECCharButton* b) { td::Click(*b, 6, 6); }
  // A drag on the first page's paper, below the staves.
  void Drag(TPoint from, TPoint to) {
    td::MouseDown(*View, from.X, from.Y);
    td::MouseMove(*View, (from.X + to.X) / 2, (from.Y + to.Y) / 2, ssLeft);
    td::MouseMove(*View, to.X, to.Y, ssLeft);
    td::MouseUp(*View, to.X, to.Y);
  }
  TPoint Paper(int dx, int dy) const { return View->Geometry().PageToScreen({800 + dx * 8, 2400 + dy * 8}, 0); }
  template <class K>
  std::vector<K*> Objects() const {
    std::vector<K*> out;
    for (TQSItem* item : Score.Items)
      if (auto* k = dynamic_cast<K*>(item)) out.push_back(k);
    return out;
  }
};

// A dragged line takes the palette's colour, style, width and (for the
// arrow) its line ends; a dragged rectangle a clear fill, a filled one the
// palette's fill; undo takes each out again.
TEST_F(DesignPalette, DraggedShapesTakeThePalettesAttributes) {
  Palette->SetValue(V::LineColor, 0x0000FF);
  Palette->SetValue(V::LineWidth, 3);
  Palette->SetValue(V::LineStyle, 2);
  Palette->SetValue(V::PointStyle, 0x12);
  Palette->SetValue(V::BrushStyle, 6);
  Palette->SetValue(V::BrushColor, 0x008000);
  struct TCase {
    T Tool;
    bool Line;
    int Ends;         // of a line
    int FillStyle;    // of a rectangle
  } const cases[] = {{T::tLine, true, 0, 0},
                     {T::tPointLine, true, 0x12, 0},
                     {T::tRectangle, false, 0, bsClear},
                     {T::tFillRectangle, false, 0, 6}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Tool));
    Press(Palette->Tool(c.Tool));
    ASSERT_TRUE(Palette->IsDown(c.Tool));
    const size_t undo = Score.UndoList.size();
    Drag(Paper(0, 0), Paper(60, 30));
    if (c.Line) {
      ASSERT_EQ(Objects<TQSLine>().size(), 1u);
      const auto& f = Objects<TQSLine>()[0]->Fields;
      EXPECT_EQ(f.Color, 0x0000FFu);
      EXPECT_EQ(f.LineWidth, 3);
      EXPECT_EQ(f.PenStyle, 2);
      EXPECT_EQ(f.Ends, c.Ends);
    } else {
      ASSERT_EQ(Objects<TQSRectangle>().size(), 1u);
      const auto& f = Objects<TQSRectangle>()[0]->Fields;
      EXPECT_EQ(f.FillStyle, c.FillStyle);
      EXPECT_EQ(f.LineWidth, 3);
      if (c.FillStyle != bsClear) EXPECT_EQ(f.FillColor, 0x008000u);
    }
    EXPECT_EQ(Score.UndoList.size(), undo + 1);
    Score.Undo(1);
    EXPECT_TRUE(Objects<TQSLine>().empty());
    EXPECT_TRUE(Objects<TQSRectangle>().empty());
  }
}

// A click with the text tool puts a text there in the palette's font, size,
// style and colour and returns the palette to Point; changing the colour
// and font afterwards changes the selected text at once.
TEST_F(DesignPalette, ATextGoesInWhereClickedAndTakesLaterChanges) {
  Palette->SetTextName("Times New Roman");
  Palette->SetValue(V::TextColor, 0x800000);
  Palette->SetValue(V::FontStyle, fsItalic);
  Press(Palette->Tool(T::tText));
  const TPoint at = Paper(10, 10);
  td::Click(*View, at.X, at.Y);
  ASSERT_EQ(Objects<TQSText>().size(), 1u);
  TQSText* text = Objects<TQSText>()[0];
  EXPECT_EQ(text->FontName, "Times New Roman");
  EXPECT_EQ(text->Fields.Color, 0x800000u);
  EXPECT_EQ(text->Fields.FontStyle, fsItalic);
  EXPECT_NEAR(text->Fields.X, 800 + 80, 16);
  EXPECT_TRUE(Palette->CBPointDesign->Down());
  EXPECT_FALSE(Palette->IsDown(T::tText));

  Palette->SetValue(V::TextColor, 0x0000FF);
  EXPECT_EQ(text->Fields.Color, 0x0000FFu);
  Palette->SetTextName("Courier New");
  EXPECT_EQ(text->FontName, "Courier New");
  // The values are kept for the next start.
  TIniFile back(File);
  EXPECT_EQ(back.ReadInteger("Design", "TextColor", -1), 0x0000FF);
  EXPECT_EQ(back.ReadString("Design", "TextName", ""), "Courier New");
  EXPECT_TRUE(back.ReadBool("Design", "FontItalic", false));
}

TEST_F(DesignPalette, RegimesToolsAndDefaults) {
  // A stored regime outside 0..2 starts in Single.
  Settings->WriteInteger("Design", "DesignRegime", 5);
  MakePalette();
  EXPECT_EQ(Palette->Regime(), TInputRegime::Single);
  // Clicking a pressed tool again returns to Point.
  Press(Palette->Tool(T::tEllipse));
  Press(Palette->Tool(T::tEllipse));
  EXPECT_TRUE(Palette->CBPointDesign->Down());
  EXPECT_EQ(Palette->ToolCursorName(), "");
  // A chosen page-number style takes up its tool, whatever was down.
  Press(Palette->Tool(T::tLine));
  Palette->SetValue(V::PageNumber, 3);
  EXPECT_TRUE(Palette->IsDown(T::tPageNumber));
  EXPECT_FALSE(Palette->IsDown(T::tLine));
  EXPECT_EQ(Settings->ReadInteger("Design", "PageNumber", -1), 3);
  // The keys cycle through a pair of tools and back to Point.
  EXPECT_TRUE(Palette->PageKey('R', 0, 0));
  EXPECT_TRUE(Palette->IsDown(T::tRectangle));
  Palette->PageKey('R', 0, 0);
  EXPECT_TRUE(Palette->IsDown(T::tFillRectangle));
  Palette->PageKey('R', 0, 0);
  EXPECT_TRUE(Palette->CBPointDesign->Down());
  // Resetting leaves the settings file as it was.
  Palette->SetValue(V::LineWidth, 4);
  const std::string before = Settings->ReadString("Design", "LineWidth", "");
  Palette->ResetToDefaults();
  EXPECT_EQ(Palette->Values().LineWidth, 1);
  EXPECT_EQ(Settings->ReadString("Design", "LineWidth", ""), before);
  EXPECT_EQ(Palette->Values().PageNumber, 3);
  EXPECT_EQ(Palette->Regime(), TInputRegime::Multiply);
}

// ---------------------------------------------------------------- choosers

TEST(DesignChoosers, ValuesOfTheChoosers) {
  EXPECT_EQ(FontListEntries({"@Mincho", "Arial", "arial", "Zapf", "Courier", "ARIAL"}),
            (std::vector<std::string>{"Arial", "Courier", "Zapf"}));
  struct TAngle {
    int Dx, Dy, Angle;
  } const angles[] = {{0, 0, 90}, {0, -5, 270}, {10, 0, 0}, {-10, -10, 225}, {-10, 10, 135}, {10, -10, 315}};
  for (const TAngle& a : angles) EXPECT_EQ(AngleFromOffset(a.Dx, a.Dy), a.Angle) << a.Dx << "," << a.Dy;
  EXPECT_EQ(WrapAngle(360), 0);
  EXPECT_EQ(WrapAngle(-1), 359);
  using K = TFValueChooser::TKind;
  struct TValue {
    K Kind;
    int Value, Shown;
  } const values[] = {{K::BrushStyles, 9, -1}, {K::BrushStyles, 7, 7}, {K::LineWidth, 0, -1}, {K::LineWidth, 5, 5},
                      {K::PointStyles, 1, -1}, {K::PointStyles, 0x23, 0x23}, {K::LineStyles, 4, 4}};
  for (const TValue& v : values) {
    TFValueChooser chooser(nullptr, v.Kind);
    chooser.SetValue(v.Value);
    EXPECT_EQ(chooser.Value(), v.Shown) << v.Value;
  }
}

// The stepped angle wraps round at both ends, and the dial follows.
TEST(DesignChoosers, TheAngleStepsRoundTheDial) {
  TFTextRotate chooser(nullptr);
  std::vector<int> reported;
  chooser.OnChoose = [&](TObject*, int angle) { reported.push_back(angle); };
  chooser.SetAngle(0);
  chooser.UDAngle->Step(btPrev);
  EXPECT_EQ(chooser.Angle(), 359);
  chooser.UDAngle->Step(btNext);
  EXPECT_EQ(chooser.Angle(), 0);
  EXPECT_EQ(reported.back(), 0);
}

// The date chooser shows the page date's own formats and leaves the
// program's date separator alone.
TEST(DesignChoosers, TheDateChooserLeavesTheDateSeparator) {
  FormatSettings().DateSeparator = '-';
  TFChooseList chooser(nullptr, true);
  EXPECT_EQ(FormatSettings().DateSeparator, '-');
  ASSERT_EQ(chooser.LBList->Count(), 10);
  std::tm t{};
  t.tm_year = 126, t.tm_mon = 11, t.tm_mday = 24, t.tm_hour = 9, t.tm_min = 5, t.tm_sec = 7;
  const std::vector<std::string> entries = PageDateEntries(t);
  EXPECT_EQ(entries[0], "24.12.2026");
  EXPECT_EQ(entries[1], "24/12/2026");
  EXPECT_EQ(entries[4], "12/24/2026");
  EXPECT_EQ(entries[9], "09:05:07");
}

// The dial's caption is the language file's, in every language.
TEST(DesignChoosers, TheDialSpeaksTheInterfaceLanguage) {
  TComponent mainWindow(nullptr);
  auto* engine = new TECLanguage(&mainWindow);
  const std::pair<const char*, const char*> captions[] = {
      {"ENU", "Inscription"}, {"DEU", "Beschriftung"}, {"FRA", "Inscription"}, {"ITA", "Iscrizione"},
      {"RUS", "Надпись"}};
  for (auto [code, caption] : captions) {
    engine->SetLanguage(code);
    TFTextRotate chooser(nullptr);
    EXPECT_EQ(chooser.Dial->Text, caption) << code;
  }
}

// ------------------------------------------------------------ text dialog

// The symbol buttons type the characters the palettes draw the same signs
// with: the Notes palette's accidentals, notes and rests.
TEST(TextDialog, SymbolCodesAgreeWithTheNotesPalette) {
  TFNotes notes(nullptr, TPaletteContext{});
  using B = TFNotes::TButton;
  const std::pair<const char*, B> same[] = {
      {"CBBemol", B::bBemol}, {"CBDBemol", B::bDoubleBemol}, {"CBDiesis", B::bDiesis},
      {"CBDDiesis", B::bDoubleDiesis}, {"CBBecarre", B::bBecarre}, {"CBBecarreBemol", B::bBecarreBemol},
      {"CBBecarreDiesis", B::bBecarreDiesis}, {"CBNote", B::bNote}, {"CBNote4", B::bNote4},
      {"CBNote64", B::bNote64}, {"CBPause4", B::bPause4}, {"CBPause64", B::bPause64}};
  TFTextProperties dialog(nullptr, nullptr);
  for (auto [name, button] : same) {
    auto* b = dynamic_cast<TECCharButton*>(dialog.FindComponent(name));
    ASSERT_NE(b, nullptr) << name;
    EXPECT_EQ(b->Byte(), notes.Button(button)->Byte()) << name;
  }
  auto code = [&](const char* name) { return dynamic_cast<TECCharButton*>(dialog.FindComponent(name))->Byte(); };
  EXPECT_EQ(code("CBKeyG"), 34);
  EXPECT_EQ(code("CBKeyF"), 35);
  EXPECT_EQ(code("CBKeyC"), 36);
  EXPECT_EQ(code("CBGroup1"), 124);  // the turn
}

TEST(TextDialog, MusicFontWhiteTextAndEmptyText) {
  TFTextProperties dialog(nullptr, nullptr);
  dialog.SetLines({"Allegro"});
  dialog.SetTextFont("Arial", 12, 0, 0xFFFFFF);
  EXPECT_TRUE(dialog.WhiteBackground());
  dialog.SetColor(0x0000FF);
  EXPECT_FALSE(dialog.WhiteBackground());
  // The music font locks the font list; switching it off gives the list's
  // font back.
  dialog.CBMusicSymbols->SetChecked(true);
  dialog.MusicSymbolsChanged();
  EXPECT_TRUE(IsMusicFont(dialog.EName->Text()));
  EXPECT_FALSE(dialog.LBName->Enabled());
  EXPECT_TRUE(dialog.PNotes->Visible());
  dialog.CBMusicSymbols->SetChecked(false);
  dialog.MusicSymbolsChanged();
  EXPECT_FALSE(IsMusicFont(dialog.EName->Text()));
  EXPECT_TRUE(dialog.LBName->Enabled());
  // An empty text is refused (with a message); an empty line is a text.
  dialog.SetLines({""});
  EXPECT_TRUE(dialog.AcceptOk());
  // The sample line of font-only mode is added once.
  dialog.SetFontOnly(true);
  dialog.SetFontOnly(true);
  EXPECT_EQ(dialog.Lines().size(), 2u);
  EXPECT_TRUE(dialog.MText->ReadOnly());
}

}  // namespace
}  // namespace qs::test
