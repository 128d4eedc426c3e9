// The Symbols palette through real clicks on its buttons and on a shown
// score view: what a click into a staff enters with the chosen tool, undo,
// the regimes, and every tool of the table entering its own item.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "../view/view_fixture.h"
#include "base/inifile.h"
#include "palettes/symbols.h"
#include "platform/keys.h"
#include "platform/testdriver.h"
#include "score/marks.h"
#include "score/notes.h"
#include "score/timing.h"
#include "uikit/charbutton.h"
#include "uikit/language.h"

namespace qs::test {
namespace {

namespace td = qs::testdriver;
using B = TFSymbols::TButton;

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

class SymbolsPalette : public TShownScoreTest {
 protected:
  TFakeHost Host;
  std::string File = (std::filesystem::temp_directory_path() / ("qs-symbols-" + std::to_string(::getpid()) + ".ini")).string();
  std::unique_ptr<TIniFile> Settings;
  std::unique_ptr<TFSymbols> Palette;

  void SetUp() override {
    std::filesystem::remove(File);
    Piece = AddPiece({1}, 8);
    Mark(Piece->GetColumn(0), kind::Meter, 0, MakeMeter(4, 4));
    ShowScore(false);
    Host.Score = &Score;
    Settings = std::make_unique<TIniFile>(File);
    Palette = std::make_unique<TFSymbols>(nullptr, TPaletteContext{&Host, Settings.get()});
    // Wide enough to show every tool.
    Palette->SetBounds(0, 780, 1800, Palette->Height());
    td::ShowAndWait(*Palette);
    View->OnScoreClick = [this](TObject*) { Palette->InsertToolItem(*View, TInsertFrom::Click); };
    View->OnItemClick = [this](TObject*, TQSCalcItem* e) { Palette->ItemClick(*View, *e); };
  }
  void TearDown() override {
    Palette.reset();
    TShownScoreTest::TearDown();
    std::filesystem::remove(File);
  }
  void Press(B b) { td::Click(*Palette->Button(b), 8, 8); }
  void Press(TECCharButton* b) { td::Click(*b, 8, 8); }
  // A click into the first staff at the start of a measure, on the top line.
  void ClickStaff(int m) {
    const TQSCalcMeasure& slot = *static_cast<TQSCalcMeasure*>(Piece->Slots[m]);
    const int x = View->Geometry().PageToScreen({slot.Box.Left + slot.Positions[0], 0}, 0).X;
    const int row = slot.System ? slot.System->FirstRow : 0;
    const int y = View->Geometry().PageToScreen({0, Row(0, row).TopLine}, 0).Y + 6;
    td::Click(*View, x, y);
  }
  // The marks (or bends) of an item kind in a measure or its column,
  // attached or not.
  std::vector<const TQSItem*> Marks(int m, int itemKind) const {
    std::vector<const TQSItem*> out;
    auto look = [&](const TQSItemList& items, auto& self) -> void {
      for (const TQSItem* item : items) {
        if (item->ItemType == itemKind) out.push_back(item);
        if (const auto* holder = dynamic_cast<const TQSItemHolder*>(item)) self(holder->Items, self);
      }
    };
    look(Measure(m)->Items, look);
    look(Piece->GetColumn(m)->Items, look);
    return out;
  }
  // The variant of a mark or a bend.
  static int TypeOf(const TQSItem* item) {
    if (const auto* mark = dynamic_cast<const TQSMark*>(item)) return mark->Fields.Kind;
    if (const auto* bend = dynamic_cast<const TQSBend*>(item)) return bend->Fields.Kind;
    return -1;
  }
};

// An accent, a dynamic, a hairpin and a fermata go in where the staff was
// clicked, one undo step each, and undo takes them out again.
TEST_F(SymbolsPalette, AClickEntersTheChosenMarkAndUndoTakesItOut) {
  struct TCase {
    B Button;
    int Kind, Type, Length;  // Length -1: not checked
  } const cases[] = {
      {B::bAccentRight, kind::Accent, 3, -1},
      {B::bForte, kind::Dynamics, 6, -1},
      {B::bPianissimo, kind::Dynamics, 1, -1},
      {B::bCrechendo, kind::Dynamics, 50, 128},
      {B::bFermataUp, kind::Fermata, 0, -1},
  };
  int m = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE(Palette->Button(c.Button)->Name());
    Press(c.Button);
    EXPECT_TRUE(Palette->IsDown(c.Button));
    EXPECT_EQ(View->ArmedItem, paletteitem::StaffMark);
    const size_t undo = Score.UndoList.size();
    ClickStaff(m);
    const auto found = Marks(m, c.Kind);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(TypeOf(found[0]), c.Type);
    if (c.Length >= 0) {
      EXPECT_EQ(static_cast<const TQSMark*>(found[0])->Fields.Value, c.Length);
    }
    ASSERT_EQ(Score.UndoList.size(), undo + 1);
    Score.Undo(1);
    EXPECT_TRUE(Marks(m, c.Kind).empty());
    // Multiply keeps the tool for the next click.
    EXPECT_TRUE(Palette->IsDown(c.Button));
    ++m;
  }
  // Clicking the tool that is down releases it: Point, nothing armed.
  Press(B::bFermataUp);
  EXPECT_TRUE(Palette->CBPointSymbols->Down());
  EXPECT_EQ(View->ArmedItem, paletteitem::None);
  const size_t undo = Score.UndoList.size();
  ClickStaff(6);
  EXPECT_EQ(Score.UndoList.size(), undo);
}

// Single goes back to Point after one mark; Quick ignores clicks into the
// score and enters at the cursor from the button, then is back on Point.
TEST_F(SymbolsPalette, TheRegimes) {
  Press(Palette->CBMultiplySymbols);  // on to Quick
  EXPECT_EQ(Palette->Regime(), TInputRegime::Quick);
  EXPECT_EQ(Settings->ReadInteger("Symbols", "SymbolsRegime", -1), 2);
  ClickStaff(2);  // places the cursor only
  EXPECT_TRUE(Marks(2, kind::Accent).empty());
  Press(B::bAccentRight);
  EXPECT_EQ(Marks(2, kind::Accent).size(), 1u);
  EXPECT_FALSE(Palette->IsDown(B::bAccentRight));
  EXPECT_TRUE(Palette->CBPointSymbols->Down());
  Press(Palette->CBQuickSymbols);  // on to Single
  EXPECT_EQ(Palette->Regime(), TInputRegime::Single);
  Press(B::bPiano);
  ClickStaff(3);
  EXPECT_EQ(Marks(3, kind::Dynamics).size(), 1u);
  EXPECT_FALSE(Palette->IsDown(B::bPiano));
  EXPECT_TRUE(Palette->CBPointSymbols->Down());
}

// Every tool of the table that needs no dialog enters the item kind and
// type its row gives, at the cursor; the tools that ask in a dialog are
// disabled.
TEST_F(SymbolsPalette, EveryToolEntersItsKindAndType) {
  for (int i = 0; i < TFSymbols::kButtonCount; ++i) {
    const auto b = static_cast<B>(i);
    const TFSymbols::TToolInfo info = TFSymbols::Info(b);
    SCOPED_TRACE(info.Name);
    EXPECT_EQ(Palette->Button(b)->Name(), info.Name);
    EXPECT_EQ(Palette->Button(b)->ExpandText(), info.Letter);
    if (info.How == TFSymbols::TInsertHow::Dialog) {
      EXPECT_FALSE(Palette->Button(b)->Enabled());
      continue;
    }
    EXPECT_TRUE(Palette->Button(b)->Enabled());
    Press(Palette->CBPointSymbols);
    ClickStaff(1);  // the cursor
    Press(b);
    ASSERT_TRUE(Palette->IsDown(b));
    EXPECT_EQ(Palette->ToolCursorName(), info.Cursor);
    EXPECT_EQ(View->ArmedItem, info.Arm);
    ASSERT_TRUE(Palette->InsertToolItem(*View, TInsertFrom::Click));
    const auto found = Marks(1, info.Kind);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(TypeOf(found[0]), info.Type);
    Score.Undo(1);
    EXPECT_TRUE(Marks(1, info.Kind).empty());
  }
}

// A letter goes round its tools and back to Point, passing over a tool
// that is not offered; with Shift it presses the first tool of its round.
TEST_F(SymbolsPalette, TheLettersGoRoundTheirTools) {
  auto key = [&](uint16_t k, uint16_t shift = 0) { return Palette->PageKey(k, shift, 0); };
  struct TCase {
    uint16_t Key;
    std::vector<B> Round;
  } const cases[] = {
      {'A', {B::bAccentTop, B::bAccentRight}},
      {'P', {B::bPiano, B::bPianissimo, B::bPianississimo}},
      {'N', {B::bBeginComposition, B::bEndComposition, B::bEndPartion}},  // the numbered ending is not offered
      {'3', {B::bThree}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(static_cast<char>(c.Key));
    for (B b : c.Round) {
      EXPECT_TRUE(key(c.Key));
      EXPECT_TRUE(Palette->IsDown(b)) << Palette->Button(b)->Name();
      EXPECT_EQ(Palette->DownTool(), b);
      EXPECT_EQ(View->ArmedItem, TFSymbols::Info(b).Arm);
    }
    EXPECT_TRUE(key(c.Key));
    EXPECT_TRUE(Palette->CBPointSymbols->Down());
    EXPECT_EQ(Palette->DownTool(), TFSymbols::kButtonCount);
  }
  key('F');
  key('F');
  EXPECT_TRUE(key('F', ssShift));
  EXPECT_EQ(Palette->DownTool(), B::bForte);
  key('E');
  EXPECT_TRUE(Palette->CBEraseSymbols->Down());
  EXPECT_EQ(Palette->DownTool(), TFSymbols::kButtonCount);
  key(VK_ESCAPE);
  EXPECT_TRUE(Palette->CBPointSymbols->Down());
  key('W');
  EXPECT_EQ(Palette->Regime(), TInputRegime::Quick);
  EXPECT_FALSE(key('J'));
}

TEST(SymbolsPaletteForm, TranslatedInEveryLanguage) {
  TComponent owner(nullptr);
  auto* engine = new TECLanguage(&owner);
  engine->SetLanguage("ENU");
  std::vector<std::string> english;
  {
    TFSymbols palette(nullptr, TPaletteContext{});
    EXPECT_EQ(palette.Caption(), "Symbols");
    EXPECT_EQ(palette.Button(B::bAccentRight)->Hint(), "Accent <A>");
    for (int b = 0; b < TFSymbols::kButtonCount; ++b) english.push_back(palette.Button(static_cast<B>(b))->Hint());
  }
  for (const char* code : {"DEU", "FRA", "ITA", "RUS"}) {
    SCOPED_TRACE(code);
    engine->SetLanguage(code);
    TFSymbols palette(nullptr, TPaletteContext{});
    int same = 0;
    for (int b = 0; b < TFSymbols::kButtonCount; ++b) {
      const std::string hint = palette.Button(static_cast<B>(b))->Hint();
      EXPECT_FALSE(hint.empty()) << b;
      same += hint == english[static_cast<size_t>(b)];
    }
    EXPECT_LT(same, 12);
  }
}

}  // namespace
}  // namespace qs::test
