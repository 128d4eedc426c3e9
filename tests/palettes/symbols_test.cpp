// The Symbols palette through real clicks on its buttons and on a shown
// score view: what a click into a staff enters with the chosen tool, undo,
// the regimes, and every tool of the table entering its own item.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "../view/view_fixture.h"
#include "base/inifile.h"
#include "palettes/markproperties.h"
#include "palettes/measurenumber.h"
#include "palettes/symbols.h"
#include "palettes/symbolsoptions.h"
#include "platform/comctrls.h"
#include "platform/stdctrls.h"
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

// Answers the next modal dialog, which must be a T: set sets its values,
// then it closes with OK (or Cancel).
template <class T>
void AnswerDialog(std::function<void(T&)> set, bool ok = true) {
  td::Later([set = std::move(set), ok] {
    ASSERT_TRUE(td::WaitForModal());
    auto* dialog = dynamic_cast<T*>(Screen().ActiveForm());
    ASSERT_NE(dialog, nullptr);
    if (set) set(*dialog);
    dialog->SetModalResult(ok ? mrOk : mrCancel);
  });
}

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

// Every tool of the table enters the item kind its row gives, at the
// cursor, with the row's cursor, arming and letter; the tools without a
// dialog enter the row's type, those with one after its OK.
TEST_F(SymbolsPalette, EveryToolEntersItsKindAndType) {
  for (int i = 0; i < TFSymbols::kButtonCount; ++i) {
    const auto b = static_cast<B>(i);
    const TFSymbols::TToolInfo info = TFSymbols::Info(b);
    SCOPED_TRACE(info.Name);
    EXPECT_EQ(Palette->Button(b)->Name(), info.Name);
    EXPECT_EQ(Palette->Button(b)->ExpandText(), info.Letter);
    EXPECT_TRUE(Palette->Button(b)->Enabled());
    Press(Palette->CBPointSymbols);
    ClickStaff(1);  // the cursor
    Press(b);
    ASSERT_TRUE(Palette->IsDown(b));
    EXPECT_EQ(Palette->ToolCursorName(), info.Cursor);
    EXPECT_TRUE(LoadToolCursor(info.Cursor));
    EXPECT_EQ(View->ToolCursor, kToolCursorSlot);
    EXPECT_EQ(View->ArmedItem, info.Arm);
    if (info.How == TFSymbols::TInsertHow::Dialog) AnswerDialog<TForm>({});
    ASSERT_TRUE(Palette->InsertToolItem(*View, TInsertFrom::Click));
    const auto found = Marks(1, info.Kind);
    ASSERT_EQ(found.size(), 1u);
    if (info.How != TFSymbols::TInsertHow::Dialog) EXPECT_EQ(TypeOf(found[0]), info.Type);
    Score.Undo(1);
    EXPECT_TRUE(Marks(1, info.Kind).empty());
  }
}

// The tools with a dialog enter what the dialog was given; a cancelled
// dialog enters nothing and leaves no undo step.
TEST_F(SymbolsPalette, DialogToolsEnterTheirDialogsValues) {
  Palette->NumberStyleChanged(2);
  struct TCase {
    B Button;
    std::function<void(TForm&)> Set;
    int Kind, Type, Value, Style, LineStyle;  // LineStyle -1: not a line mark
  } const cases[] = {
      {B::bMeasureNumber, [](TForm& f) { static_cast<TFMeasureNumber&>(f).UDStart->SetPosition(5); },
       kind::MeasureNumbering, 0, 5, 2, -1},
      {B::bPartComposition,
       [](TForm& f) {
         auto& d = static_cast<TFPartComposition&>(f);
         d.UDNumber->SetPosition(2);
         d.UDCount->SetPosition(3);
       },
       kind::Volta, 2, 3, 0, -1},
      {B::bBarre,
       [](TForm& f) {
         auto& d = static_cast<TFBarreProperties&>(f);
         d.SetFret(5);
         d.SetBarreStyle(0x93);
         d.LineStyle = 1;
       },
       kind::Barre, 5, 0, 0x93, 1},
      {B::bFlajolet,
       [](TForm& f) {
         auto& d = static_cast<TFFlajoletProperties&>(f);
         d.SetFret(11);
         d.SetContinue(1);
         d.LineStyle = 0;
       },
       kind::Flageolet, 11, 128, 1, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(Palette->Button(c.Button)->Name());
    Press(Palette->CBPointSymbols);
    ClickStaff(2);
    Press(c.Button);
    const size_t undo = Score.UndoList.size();
    AnswerDialog<TForm>(c.Set, false);
    EXPECT_FALSE(Palette->InsertToolItem(*View, TInsertFrom::Click));
    EXPECT_TRUE(Marks(2, c.Kind).empty());
    EXPECT_EQ(Score.UndoList.size(), undo);
    AnswerDialog<TForm>(c.Set);
    ASSERT_TRUE(Palette->InsertToolItem(*View, TInsertFrom::Click));
    const auto found = Marks(2, c.Kind);
    ASSERT_EQ(found.size(), 1u);
    const auto* mark = static_cast<const TQSMark*>(found[0]);
    EXPECT_EQ(mark->Fields.Kind, c.Type);
    EXPECT_EQ(mark->Fields.Value, c.Value);
    EXPECT_EQ(mark->Fields.Style, c.Style);
    if (c.LineStyle >= 0) EXPECT_EQ(mark->LineStyle, c.LineStyle);
    EXPECT_EQ(Score.UndoList.size(), undo + 1);
    Score.Undo(1);
  }
}

// Rehearsal marks: numbered on their own by default; asked, as letters or
// digits, once the popup says so. The style byte follows the popup.
TEST_F(SymbolsPalette, RehearsalMarksTakeTheirNumberAndStyle) {
  EXPECT_EQ(Palette->GetRehearsalMarkStyle(), 69);  // letters, rectangle, width 1
  Press(B::bRehearsal);
  ClickStaff(1);
  auto mark = [&](int m) -> const TQSMark* {
    const auto found = Marks(m, kind::Rehearsal);
    return found.size() == 1 ? static_cast<const TQSMark*>(found[0]) : nullptr;
  };
  ASSERT_NE(mark(1), nullptr);
  EXPECT_EQ(mark(1)->Fields.Value, 0);
  EXPECT_EQ(mark(1)->Fields.Style, 69);

  // The popup: asked numbers, letters, a circle; the width always 1.
  Settings->WriteInteger("Symbols", "RehearsalMarkBorderWidth", 3);
  TFRehearsalMark* popup = Palette->OpenRehearsalOptions();
  td::ProcessMessages();
  EXPECT_TRUE(popup->RBAutomatic->Checked());
  EXPECT_TRUE(popup->RBRectangle->Checked());
  td::Click(*popup->RBCustom, 4, 8);
  td::Click(*popup->RBCircle, 4, 8);
  EXPECT_EQ(Palette->Values().RehearsalMarkNumeration, 1);
  EXPECT_EQ(Palette->GetRehearsalMarkStyle(), 73);
  EXPECT_EQ(Settings->ReadInteger("Symbols", "RehearsalMarkBorderKind", -1), 2);
  EXPECT_EQ(Settings->ReadInteger("Symbols", "RehearsalMarkBorderWidth", -1), 1);
  popup->Close();
  td::ProcessMessages();

  AnswerDialog<TFRehearsalMarkCount>([](TFRehearsalMarkCount& d) {
    EXPECT_EQ(d.CBValue->Text(), "A");  // the last number, 1
    d.CBValue->SetText("AB");
  });
  ClickStaff(3);
  ASSERT_NE(mark(3), nullptr);
  EXPECT_EQ(mark(3)->Fields.Value, 28);
  EXPECT_EQ(mark(3)->Fields.Style, 73);
  EXPECT_EQ(Palette->Values().RehearsalMarkNumber, 28);
  // Cancelled: no mark, the number stays.
  AnswerDialog<TFRehearsalMarkCount>([](TFRehearsalMarkCount& d) { d.CBValue->SetText("C"); }, false);
  ClickStaff(4);
  EXPECT_EQ(mark(4), nullptr);
  EXPECT_EQ(Palette->Values().RehearsalMarkNumber, 28);
  // Digits with nothing entered: no mark.
  Palette->RehearsalMarkChanged(1, 1, 0);
  EXPECT_EQ(Palette->GetRehearsalMarkStyle(), 129);
  AnswerDialog<TFRehearsalMarkCount>([](TFRehearsalMarkCount& d) {
    EXPECT_EQ(d.CBValue->Text(), "28");
    d.CBValue->SetText("");
  });
  ClickStaff(5);
  EXPECT_EQ(mark(5), nullptr);
}

// The numbering popup checks the stored style, keeps a click's choice and
// goes.
TEST_F(SymbolsPalette, TheNumberingPopupChoosesTheStyle) {
  Palette->NumberStyleChanged(1);
  TFNumber* popup = Palette->OpenNumberOptions();
  td::ProcessMessages();
  EXPECT_TRUE(popup->RBRow->Checked());
  bool gone = false;
  popup->OnDestroy = [&](TObject*) { gone = true; };
  td::Click(*popup->RBTen, 4, 8);
  td::ProcessMessages();
  EXPECT_TRUE(gone);
  EXPECT_EQ(Palette->Values().NumberStyle, 3);
  EXPECT_EQ(Settings->ReadInteger("Symbols", "NumberStyle", -1), 3);
}

// Folding a group hides its tools (pressing Point when one of them was
// down) and moves every button right of it left by the group's width;
// showing it again puts every button back where it was, in any order.
TEST_F(SymbolsPalette, GroupsFoldAwayAndComeBack) {
  using G = TFSymbols::TGroup;
  const int shifts[] = {156, 52, 78, 52, 182, 78, 104, 78, 0};
  const char* const keys[] = {"ExDinamics", "ExArpeggio", "ExTrill", "ExFermata", "ExAccepts",
                              "ExFingers", "ExTabulature", "ExStrings", "ExBends"};
  auto lefts = [&] {
    std::vector<int> out;
    for (int i = 0; i < TFSymbols::kButtonCount; ++i) out.push_back(Palette->Button(static_cast<B>(i))->Left());
    for (int g = 0; g < TFSymbols::kGroupCount; ++g) out.push_back(Palette->GroupButton(static_cast<G>(g))->Left());
    return out;
  };
  const std::vector<int> home = lefts();
  for (int gi = 0; gi < TFSymbols::kGroupCount; ++gi) {
    const auto g = static_cast<G>(gi);
    SCOPED_TRACE(Palette->GroupButton(g)->Name());
    EXPECT_EQ(Palette->GroupShift(g), shifts[gi]);
    // A tool of the group is down.
    B inside = TFSymbols::kButtonCount;
    for (int i = 0; i < TFSymbols::kButtonCount && inside == TFSymbols::kButtonCount; ++i)
      if (TFSymbols::GroupOf(static_cast<B>(i)) == g) inside = static_cast<B>(i);
    Press(inside);
    ASSERT_TRUE(Palette->IsDown(inside));
    const int start = Palette->Button(inside)->Left();
    td::Click(*Palette->GroupButton(g), 6, 20);
    EXPECT_FALSE(Palette->GroupShown(g));
    EXPECT_TRUE(Palette->CBPointSymbols->Down());
    EXPECT_TRUE(Settings->ReadBool("FSymbols", keys[gi], false));
    const std::vector<int> folded = lefts();
    for (int i = 0; i < TFSymbols::kButtonCount; ++i) {
      const auto b = static_cast<B>(i);
      if (TFSymbols::GroupOf(b) == g) {
        EXPECT_FALSE(Palette->Button(b)->Visible());
        EXPECT_EQ(folded[static_cast<size_t>(i)], home[static_cast<size_t>(i)]);
      } else {
        EXPECT_TRUE(Palette->Button(b)->Visible());
        EXPECT_EQ(folded[static_cast<size_t>(i)], home[static_cast<size_t>(i)] - (home[static_cast<size_t>(i)] >= start ? shifts[gi] : 0));
      }
    }
    td::Click(*Palette->GroupButton(g), 6, 20);
    EXPECT_TRUE(Palette->GroupShown(g));
    EXPECT_FALSE(Settings->ReadBool("FSymbols", keys[gi], true));
    EXPECT_EQ(lefts(), home);
  }
  // Two groups folded and shown again the other way round.
  td::Click(*Palette->GroupButton(TFSymbols::gDinamics), 6, 20);
  td::Click(*Palette->GroupButton(TFSymbols::gFingers), 6, 20);
  const std::vector<int> both = lefts();
  td::Click(*Palette->GroupButton(TFSymbols::gDinamics), 6, 20);
  td::Click(*Palette->GroupButton(TFSymbols::gFingers), 6, 20);
  EXPECT_EQ(lefts(), home);
  // A palette made anew folds what the settings say.
  td::Click(*Palette->GroupButton(TFSymbols::gDinamics), 6, 20);
  td::Click(*Palette->GroupButton(TFSymbols::gFingers), 6, 20);
  EXPECT_TRUE(Settings->ReadBool("FSymbols", "ExDinamics", false));
  EXPECT_TRUE(Settings->ReadBool("FSymbols", "ExFingers", false));
  Palette = std::make_unique<TFSymbols>(nullptr, TPaletteContext{&Host, Settings.get()});
  EXPECT_FALSE(Palette->GroupShown(TFSymbols::gDinamics));
  EXPECT_FALSE(Palette->GroupShown(TFSymbols::gFingers));
  EXPECT_TRUE(Palette->GroupShown(TFSymbols::gTrills));
  EXPECT_EQ(lefts(), both);
}

// A letter goes round its tools and back to Point; with Shift it presses the first tool of its round.
TEST_F(SymbolsPalette, TheLettersGoRoundTheirTools) {
  auto key = [&](uint16_t k, uint16_t shift = 0) { return Palette->PageKey(k, shift, 0); };
  struct TCase {
    uint16_t Key;
    std::vector<B> Round;
  } const cases[] = {
      {'A', {B::bAccentTop, B::bAccentRight}},
      {'P', {B::bPiano, B::bPianissimo, B::bPianississimo}},
      {'N', {B::bBeginComposition, B::bEndComposition, B::bEndPartion, B::bPartComposition}},
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
