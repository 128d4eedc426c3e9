// The guitar fretboard through real clicks: points map to strings and
// frets, a second click lifts the finger, the board's points of strings
// and frets are where clicks find them, odd sizes stay safe.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/bitmap.h"
#include "platform/forms.h"
#include "platform/testdriver.h"
#include "uikit/fretboard.h"

namespace qs {
namespace {

namespace td = testdriver;

class FretboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(50, 50, 760, 200);
    board = new TECGuitar(form);
    board->SetParent(form);
    board->SetBounds(0, 0, 728, 140);  // 6 strings 20 apart
    board->SetFretCount(24);
    board->OnFretChanged = [this](TObject* sender, int oldValue, int newValue, int string) {
      EXPECT_EQ(sender, board);
      changes.emplace_back(oldValue, newValue, string);
    };
  }
  void TearDown() override {
    delete form;
    td::ProcessMessages();
  }
  TForm* form = nullptr;
  TECGuitar* board = nullptr;
  std::vector<std::tuple<int, int, int>> changes;
};

TEST_F(FretboardTest, ClicksFindStringAndFret) {
  // Base width 708 div 25 - 12 = 16: cell 0 is 40 wide (20 .. 60), cell 23
  // 17 (687 .. 704), the extra cell ends at 720.
  EXPECT_EQ(board->BaseWidth(), 16);
  EXPECT_EQ(board->CellWidth(0), 40);
  EXPECT_EQ(board->CellWidth(23), 17);
  struct Case {
    int x, y, string, value;
  };
  // String 0 lies at the top (y 20), string 5 at y 120; each owns the
  // band from 10 above its line to 10 below.
  const Case cases[] = {
      {10, 20, 0, 1},    // the panel: open string
      {20, 40, 1, 2},    // first pixel of cell 0
      {59, 55, 2, 2},    // last pixel of cell 0, above the line
      {60, 80, 3, 3},    // cell 1
      {703, 91, 4, 25},  // cell 23, below the line
      {710, 125, 5, 25}, // the extra cell gives the last fret
      {722, 11, 0, 1},   // beyond the extra cell: open (string 0 held 1: lifted)
  };
  td::ShowAndWait(*form);
  for (const Case& c : cases) td::Click(*board, c.x, c.y);
  const std::vector<std::tuple<int, int, int>> expected{{0, 1, 0}, {0, 2, 1}, {0, 2, 2}, {0, 3, 3},
                                                        {0, 25, 4}, {0, 25, 5}, {1, 0, 0}};
  EXPECT_EQ(changes, expected);
  for (const Case& c : cases)
    if (c.string != 0) {
      EXPECT_EQ(board->GetFret(c.string), c.value) << c.x << "," << c.y;
    }
}

TEST_F(FretboardTest, ASecondClickLiftsTheFinger) {
  td::ShowAndWait(*form);
  td::Click(*board, 30, 60);
  td::Click(*board, 30, 60);
  const std::vector<std::tuple<int, int, int>> expected{{0, 2, 2}, {2, 0, 2}};
  EXPECT_EQ(changes, expected);
  EXPECT_EQ(board->GetFret(2), 0);
}

TEST_F(FretboardTest, ClicksAtTheBoardsOwnPointsFindThatStringAndFret) {
  // A height that leaves more spare pixels than half a string's band
  // (69 = 7 x 9 + 6), in every direction.
  board->SetHeight(69);
  td::ShowAndWait(*form);
  EXPECT_EQ(board->GetFretPoint(0, 24).X, 694);
  for (TECGuitarDirection d : {gdLeftTop, gdRightTop, gdLeftBottom, gdRightBottom}) {
    board->SetDirection(d);
    for (int string : {0, 2, 5})
      for (int fret : {0, 1, 12, 24}) {
        const TPoint p = board->GetFretPoint(string, fret);
        changes.clear();
        td::Click(*board, p.X, p.Y);
        ASSERT_EQ(changes.size(), 1u) << int(d) << " " << string << " " << fret;
        EXPECT_EQ(std::get<2>(changes[0]), string) << int(d) << " fret " << fret;
        EXPECT_EQ(std::get<1>(changes[0]), fret + 1) << int(d) << " string " << string;
        td::Click(*board, p.X, p.Y);  // lift it again
      }
  }
  // Bottom directions draw string 0 lowest, top directions highest.
  board->SetDirection(gdLeftBottom);
  EXPECT_GT(board->StringY(0), board->StringY(5));
  EXPECT_EQ(board->StringY(5), 9);
  board->SetDirection(gdLeftTop);
  EXPECT_EQ(board->StringY(5), 69 - 9);
}

TEST_F(FretboardTest, ValuesAreClampedAndStringsOutsideIgnored) {
  board->SetFret(1, 99);
  EXPECT_EQ(board->GetFret(1), 25);
  board->SetFret(2, -5);  // 0 on a string that holds 0: nothing
  board->SetFret(1, -5);
  EXPECT_EQ(board->GetFret(1), 0);
  board->SetFret(6, 3);
  board->SetFret(-1, 3);
  EXPECT_EQ(board->GetFret(6), 0);
  const std::vector<std::tuple<int, int, int>> expected{{0, 25, 1}, {25, 0, 1}};
  EXPECT_EQ(changes, expected);
}

TEST_F(FretboardTest, TinyBoardsAndNegativeCountsStaySafe) {
  board->SetFretCount(-3);
  board->SetStringCount(-1);
  EXPECT_EQ(board->FretCount(), 24);
  EXPECT_EQ(board->StringCount(), 6);
  board->SetBounds(0, 0, 30, 5);  // cells would be negative, strings 0 apart
  td::ShowAndWait(*form);
  td::Click(*board, 25, 2);
  td::Click(*board, 29, 4);
  EXPECT_GE(board->CellWidth(23), 1);
  EXPECT_GE(board->StringSpacing(), 1);
}

TEST_F(FretboardTest, PaintShowsPanelFretsDotsAndFingers) {
  board->SetFret(2, 3);  // a finger in cell 1 (40 .. 79 wide cells: 60 .. 99)
  td::ShowAndWait(*form);
  auto shot = GrabControl(*board);
  const TPoint finger = board->GetFretPoint(2, 2);
  struct Case {
    int x, y;
    TColor color;
  };
  const Case cases[] = {
      {5, 5, clBlack},                         // the panel
      {30, 130, RGB(128, 128, 0)},             // a cell
      {60, 130, clWhite},                      // the fret line after cell 0
      {59, 130, clGray},
      {62, 130, RGB(66, 64, 64)},
      {finger.X, finger.Y - 5, RGB(255, 255, 0)},  // the finger
      {30, 60, clWhite},                       // string 2
      {30, 61, RGB(66, 64, 64)},
      // A single dot in cell V (from 20 + 40 + 39 + 38 + 37 = 174, 36 wide)
      // at the board's middle, 70.
      {174 + 36 / 2, 75, RGB(238, 238, 227)},
  };
  for (const Case& c : cases) EXPECT_EQ(shot->Pixel(c.x, c.y), c.color) << c.x << "," << c.y;
}

TEST_F(FretboardTest, ALongStringNameFitsThePanel) {
  // Names of a string as long as "Sol" or "Соль" are drawn smaller, whole
  // inside the black panel, not cut off at its edges.
  for (const char* name : {"Sol", "Соль"}) {
    board->OnGetNoteName = [name](TObject*, int fret, int string) {
      return fret == -1 && string == 3 ? std::string(name) : std::string();
    };
    td::ShowAndWait(*form);
    board->Invalidate();
    auto shot = GrabControl(*board);
    // The panel is black but for the name, drawn in white.
    int inside = 0, atEdge = 0;
    for (int row = 0; row < board->Height(); ++row)
      for (int x = 0; x < 20; ++x) {
        const TColor c = shot->Pixel(x, row);
        if ((c & 0xFF) < 160 || ((c >> 8) & 0xFF) < 160 || ((c >> 16) & 0xFF) < 160) continue;
        ++inside;
        atEdge += x == 0 || x == 19;
      }
    EXPECT_GT(inside, 0) << name;
    EXPECT_EQ(atEdge, 0) << name;
  }
}

}  // namespace
}  // namespace qs
