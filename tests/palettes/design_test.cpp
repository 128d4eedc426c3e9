// The Design palette through real mouse presses on a shown score view: lines
// and shapes dragged, texts, staff texts, page marks and pictures clicked
// in, attribute changes applied to the selection at once, the regimes and
// the kept values; and its choosers, colour chooser and text dialogs on
// their own.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <unistd.h>

#include "../view/view_fixture.h"
#include "base/inifile.h"
#include "editing/drags.h"
#include "layout/layout.h"
#include "palettes/colors.h"
#include "palettes/design.h"
#include "palettes/designchoosers.h"
#include "palettes/imageproperties.h"
#include "palettes/notes.h"
#include "palettes/textproperties.h"
#include "platform/comctrls.h"
#include "platform/extctrls.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/pageobjects.h"
#include "score/picture.h"
#include "uikit/charbutton.h"
#include "uikit/language.h"
#include "uikit/localeformats.h"

namespace qs::test {
namespace {

namespace td = qs::testdriver;
using T = TFDesign::TTool;
using V = TFDesign::TValue;

// A 1 x 1 bitmap picture.
const std::vector<uint8_t> kBmp = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0,
                                   0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                   0, 0, 0, 0, 0, 0, 0, 0, 255, 0};

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
// arrow) its line ends; a dragged rectangle, arc, pie or segment a clear
// fill, a filled one the palette's fill; undo takes each out again.
TEST_F(DesignPalette, DraggedShapesTakeThePalettesAttributes) {
  Palette->SetValue(V::LineColor, 0x0000FF);
  Palette->SetValue(V::LineWidth, 3);
  Palette->SetValue(V::LineStyle, 2);
  Palette->SetValue(V::PointStyle, 0x12);
  Palette->SetValue(V::BrushStyle, 6);
  Palette->SetValue(V::BrushColor, 0x008000);
  struct TCase {
    T Tool;
    int Kind;
    int Ends;         // of a line
    int FillStyle;    // of a shape
  } const cases[] = {{T::tLine, kind::Line, 0, 0},
                     {T::tPointLine, kind::Line, 0x12, 0},
                     {T::tRectangle, kind::Rectangle, 0, bsClear},
                     {T::tFillRectangle, kind::Rectangle, 0, 6},
                     {T::tArc, kind::Arc, 0, bsClear},
                     {T::tFillPie, kind::Pie, 0, 6},
                     {T::tSegment, kind::ChordSegment, 0, bsClear},
                     {T::tFillSegment, kind::ChordSegment, 0, 6}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Tool));
    Press(Palette->Tool(c.Tool));
    ASSERT_TRUE(Palette->IsDown(c.Tool));
    const size_t undo = Score.UndoList.size();
    Drag(Paper(0, 0), Paper(60, 30));
    auto shape = [&](const auto& objects) {
      ASSERT_EQ(objects.size(), 1u);
      const auto& f = objects[0]->Fields;
      EXPECT_EQ(objects[0]->ItemType, c.Kind);
      EXPECT_EQ(f.FillStyle, c.FillStyle);
      EXPECT_EQ(f.LineWidth, 3);
      if (c.FillStyle != bsClear) EXPECT_EQ(f.FillColor, 0x008000u);
    };
    if (c.Kind == kind::Line) {
      ASSERT_EQ(Objects<TQSLine>().size(), 1u);
      const auto& f = Objects<TQSLine>()[0]->Fields;
      EXPECT_EQ(f.Color, 0x0000FFu);
      EXPECT_EQ(f.LineWidth, 3);
      EXPECT_EQ(f.PenStyle, 2);
      EXPECT_EQ(f.Ends, c.Ends);
    } else if (c.Kind == kind::Rectangle) {
      shape(Objects<TQSRectangle>());
    } else {
      shape(Objects<TQSArc>());
    }
    EXPECT_EQ(Score.UndoList.size(), undo + 1);
    Score.Undo(1);
    EXPECT_TRUE(Score.Items.Count() == 0);
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
  // Leaving the font fields unchanged records nothing; a typed name does.
  const size_t undo = Score.UndoList.size();
  Palette->ETextName->DoExit();
  Palette->ETextSize->DoExit();
  EXPECT_EQ(Score.UndoList.size(), undo);
  Palette->ETextName->SetText("Arial");
  Palette->ETextName->DoExit();
  EXPECT_EQ(text->FontName, "Arial");
  EXPECT_EQ(Score.UndoList.size(), undo + 1);
  Palette->SetTextName("Courier New");
  // The values are kept for the next start.
  TIniFile back(File);
  EXPECT_EQ(back.ReadInteger("Design", "TextColor", -1), 0x0000FF);
  EXPECT_EQ(back.ReadString("Design", "TextName", ""), "Courier New");
  EXPECT_TRUE(back.ReadBool("Design", "FontItalic", false));
}

// The staff texts of the first measure.
std::vector<TQSLyric*> StaffTexts(TQSMeasure* m) {
  std::vector<TQSLyric*> out;
  for (TQSItem* item : m->Items)
    if (auto* t = dynamic_cast<TQSLyric*>(item)) out.push_back(t);
  return out;
}

// A press and release with the lyric or inscription tool puts the staff
// text at the cursor, the lyric as far below the staff's top as clicked, the
// inscription at the part's offset less 128; the instrument name asks its
// full and short name; page number and date go where clicked in the
// palette's formats; the picture asks its dialog and takes its size in
// eighths of a pixel. Each is one undo step.
TEST_F(DesignPalette, ReleasedToolsInsertWhereClicked) {
  Palette->SetTextName("Arial");
  Palette->SetValue(V::TextColor, 0x008000);
  Palette->SetValue(V::PageNumber, 2);
  Palette->SetValue(V::PageDate, 4);
  const TQSCalcStaff& row = Row(0, 0);
  // 10 pixels below the staff's top.
  const TPoint onStaff = View->Geometry().PageToScreen({row.Left + 400, row.Top + 80}, 0);
  const TPoint paper = Paper(20, 30);
  TQSPicture picture;
  picture.LoadFromBytes(TQSGraphicType::Bitmap, kBmp);
  struct TCase {
    const char* Name;
    T Tool;
    TPoint At;
    std::function<void()> Answer;  // of the dialog the tool opens
    std::function<void()> Check;
  } const cases[] = {
      {"lyric", T::tLyric, onStaff, nullptr,
       [&] {
         ASSERT_EQ(StaffTexts(Measure(0)).size(), 1u);
         const TQSLyric& t = *StaffTexts(Measure(0))[0];
         EXPECT_EQ(t.ItemType, kind::Lyric);
         EXPECT_EQ(t.Fields.OffsetY, 80);
         EXPECT_EQ(t.Fields.Color, 0x008000u);
       }},
      {"inscription", T::tInscription, onStaff, nullptr,
       [&] {
         ASSERT_EQ(StaffTexts(Measure(0)).size(), 1u);
         const TQSLyric& t = *StaffTexts(Measure(0))[0];
         EXPECT_EQ(t.ItemType, kind::Term);
         EXPECT_EQ(t.Fields.OffsetY, 80 - 128);
       }},
      {"instrument name", T::tInstrumentName, onStaff,
       [] {
         auto* dialog = dynamic_cast<TFNameProperties*>(Screen().ActiveForm());
         if (!dialog) return td::KeyToModal(VK_ESCAPE);
         dialog->SetLines({"Violine"});
         dialog->MBrief->SetLines(TStringList{"Vl."});
         td::Click(*dialog->BBOk, 5, 5);
       },
       [&] {
         const std::vector<TQSLyric*> names = StaffTexts(Measure(0));
         ASSERT_EQ(names.size(), 2u);
         for (const TQSLyric* n : names) EXPECT_EQ(n->ItemType, kind::InstrumentName);
         EXPECT_EQ(names[0]->Lines, std::vector<std::string>{"Violine"});
         EXPECT_EQ(names[1]->Lines, std::vector<std::string>{"Vl."});
       }},
      {"page number", T::tPageNumber, paper, nullptr,
       [&] {
         ASSERT_EQ(Objects<TQSPageMark>().size(), 1u);
         const auto& f = Objects<TQSPageMark>()[0]->Fields;
         EXPECT_EQ(f.IsDate, 0);
         EXPECT_EQ(f.Format, 2);
         EXPECT_NEAR(f.X, 800 + 160, 8);
         EXPECT_NEAR(f.Y, 2400 + 240, 8);
       }},
      {"date", T::tPageDate, paper, nullptr,
       [&] {
         ASSERT_EQ(Objects<TQSPageMark>().size(), 1u);
         EXPECT_NE(Objects<TQSPageMark>()[0]->Fields.IsDate, 0);
         EXPECT_EQ(Objects<TQSPageMark>()[0]->Fields.Format, 4);
       }},
      {"picture", T::tImage, paper,
       [&picture] {
         auto* dialog = dynamic_cast<TFImageProperties*>(Screen().ActiveForm());
         if (!dialog) return td::KeyToModal(VK_ESCAPE);
         dialog->SetPicture(picture);
         dialog->SetPictureSize(40, 30);
         td::Click(*dialog->BBOk, 5, 5);
       },
       [&] {
         ASSERT_EQ(Objects<TQSImage>().size(), 1u);
         const auto& f = Objects<TQSImage>()[0]->Fields;
         EXPECT_EQ(f.Width, 320);
         EXPECT_EQ(f.Height, 240);
         EXPECT_NEAR(f.X, 800 + 160, 8);
       }},
  };
  // The palette's font field hands its name to the selection when it loses
  // the focus: that happens here, before the counting.
  Press(Palette->CBPointDesign);
  td::Click(*View, paper.X, paper.Y);
  ASSERT_EQ(Score.Items.Count(), 0);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Press(Palette->Tool(c.Tool));
    ASSERT_TRUE(Palette->IsDown(c.Tool));
    const size_t undo = Score.UndoList.size();
    if (c.Answer)
      td::Later([answer = c.Answer] {
        if (td::WaitForModal()) answer();
      });
    td::Click(*View, c.At.X, c.At.Y);
    td::ProcessMessages();
    c.Check();
    EXPECT_EQ(Score.UndoList.size(), undo + (c.Tool == T::tInstrumentName ? 2 : 1));
    View->EditItemText(nullptr);
    while (Score.UndoList.size() > undo) Score.Undo(1);
  }
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

// The abbreviation takes the name's font when the dialog opens and with
// every change of the font name or of a style box; a size or colour change
// alone leaves it as it was.
TEST(TextDialog, TheAbbreviationFollowsTheNamesFontNameAndStyle) {
  TFNameProperties dialog(nullptr, nullptr);
  dialog.SetLines({"Violine"});
  dialog.SetTextFont("Arial", 10, 0, 0x000000);
  td::ShowAndWait(dialog);
  const TFont& name = dialog.MText->Font();
  const TFont& brief = dialog.MBrief->Font();
  auto same = [&] {
    return name.Name == brief.Name && name.Size() == brief.Size() && name.Style == brief.Style &&
           name.Color == brief.Color;
  };
  EXPECT_TRUE(same());
  td::Click(*dialog.UDSize, dialog.UDSize->Width() / 2, 3);
  ASSERT_EQ(name.Size(), 11);
  EXPECT_EQ(brief.Size(), 10);
  dialog.SetColor(0x0000FF);
  EXPECT_EQ(brief.Color, 0x000000);
  td::Click(*dialog.CBItalic, 5, 5);
  EXPECT_EQ(brief.Style, fsItalic);
  EXPECT_TRUE(same()) << "size and colour come along with the style";
  dialog.EName->SetText("Courier New");
  EXPECT_EQ(brief.Name, "Courier New");
}

// ---------------------------------------------------------- colour chooser

// A colour none of the sixteen buttons holds becomes current but leaves
// the pressed button as it was.
TEST(ColourChooser, AColourNoButtonHoldsKeepsThePressedButton) {
  TFColors chooser(nullptr);
  struct TStep {
    TColor Color;
    int Down;  // the index of the pressed button
  } const steps[] = {{0x0000FF, 9}, {0x123456, 9}, {0xFFFFFF, 15}, {0x010101, 15}, {0x000000, 0}};
  for (const TStep& s : steps) {
    chooser.SetColor(s.Color);
    EXPECT_EQ(chooser.Color(), s.Color);
    for (int i = 0; i < 16; ++i)
      EXPECT_EQ(chooser.Buttons[static_cast<size_t>(i)]->Down(), i == s.Down) << std::hex << s.Color << " " << i;
  }
}

// "Other" and then Cancel in the system's colour dialog reports no colour
// and closes the chooser, dropped down (the palette) or modal (the text
// dialog's colour button).
TEST(ColourChooser, OtherThenCancelReportsNothing) {
  TFColors chooser(nullptr);
  chooser.DefaultCloseAction = caHide;
  int reported = 0;
  chooser.OnChoose = [&](TObject*, TColor) { ++reported; };
  chooser.SetColor(0x0000FF);
  chooser.Show();
  td::ProcessMessages();
  ASSERT_TRUE(chooser.Visible());
  td::Later([] { td::KeyToModal(VK_ESCAPE); });
  td::Click(*chooser.CBOther, 5, 5);
  EXPECT_EQ(reported, 0);
  EXPECT_FALSE(chooser.Visible());

  TFTextProperties dialog(nullptr, nullptr);
  dialog.SetLines({"Allegro"});
  dialog.SetTextFont("Arial", 12, 0, 0x008000);
  td::ShowAndWait(dialog);
  bool otherPressed = false;
  td::Later([&otherPressed] {
    if (!td::WaitForModal()) return;
    auto* colours = dynamic_cast<TFColors*>(Screen().ActiveForm());
    if (!colours) return;
    otherPressed = true;
    td::Later([] { td::KeyToModal(VK_ESCAPE); }, 20);
    td::Click(*colours->CBOther, 5, 5);
  });
  td::Click(*dialog.CBColor, 5, 5);
  td::ProcessMessages();
  EXPECT_TRUE(otherPressed);
  EXPECT_EQ(dialog.FontColor(), 0x008000);
  EXPECT_EQ(dialog.MText->Font().Color, 0x008000);
}

}  // namespace
}  // namespace qs::test
