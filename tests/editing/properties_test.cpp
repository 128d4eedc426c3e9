#include <gtest/gtest.h>

#include "editing/properties.h"
#include "editing_fixture.h"
#include "score/pageobjects.h"

namespace qs::test {
namespace {

class PropertiesTest : public TEditFixture {
 public:
  TQSMeasure* OneMeasure() {
    AddPiece({1}, 1);
    Note(Measure(0), 0, 512);
    return Measure(0);
  }
  TQSText* AddText(const std::string& line, int size) {
    auto* text = static_cast<TQSText*>(CreateItemByKind(kind::Text, &Score));
    text->Fields.Page = 1;
    text->Fields.FontSize = static_cast<uint8_t>(size);
    text->Lines = {line};
    return text;
  }
  void SelectPage(std::initializer_list<TQSItem*> items) {
    for (TQSItem* item : items) {
      ASSERT_NE(ElementOfItem(item), nullptr);
      View.SelectedPage.push_back(ElementOfItem(item));
    }
  }
};

TEST_F(PropertiesTest, TextsReportTheLastSelectedAndAllAreWritten) {
  OneMeasure();
  TQSText* first = AddText("one", 10);
  TQSText* second = AddText("two", 12);
  second->Fields.Color = 0x800000;
  Score.Recalculate(0);
  SelectPage({first, second});
  std::vector<std::string> lines;
  std::string font = "unchanged";
  int size = 0;
  uint8_t style = 0;
  uint32_t colour = 1;
  GetSelectedText(Score, lines, font, size, style, &colour);
  EXPECT_EQ(lines, std::vector<std::string>{"two"});
  EXPECT_EQ(size, 12);
  EXPECT_EQ(font, "");
  EXPECT_EQ(colour, 0x800000u);
  const std::vector<uint8_t> before = Saved();
  SetSelectedText(Score, {"new", "lines"}, "Serif", 14, 1, 0x0000FF);
  for (TQSText* text : {first, second}) {
    EXPECT_EQ(text->Lines, (std::vector<std::string>{"new", "lines"}));
    EXPECT_EQ(text->Fields.FontSize, 14);
    EXPECT_EQ(text->FontName, "Serif");
    EXPECT_EQ(text->Fields.Color, 0x0000FFu);
  }
  ExpectUndoRedo(before);
}

TEST_F(PropertiesTest, TempoMarksReportTheFirstSelected) {
  TQSPiece* piece = AddPiece({1}, 2);
  Note(Measure(0), 0, 512);
  Note(Measure(1), 0, 512);
  auto* slow = static_cast<TQSMark*>(CreateItemByKind(kind::Tempo, piece->GetColumn(0)));
  slow->Fields.Kind = 2, slow->Fields.Value = 60;
  auto* fast = static_cast<TQSMark*>(CreateItemByKind(kind::Tempo, piece->GetColumn(0)));
  fast->Fields.Kind = 3, fast->Fields.Value = 140;
  fast->Fields.Time = 256;
  Score.Recalculate(0);
  Select({slow, fast});
  uint8_t value = 9;
  int16_t tempo = 0;
  GetSelectedTempo(Score, value, tempo);
  EXPECT_EQ(value, 2);
  EXPECT_EQ(tempo, 60);
  const std::vector<uint8_t> before = Saved();
  SetSelectedTempo(Score, 1, 90);
  EXPECT_EQ(fast->Fields.Kind, 1);
  EXPECT_EQ(fast->Fields.Value, 90);
  EXPECT_EQ(slow->Fields.Value, 90);
  ExpectUndoRedo(before);
}

TEST_F(PropertiesTest, ChordEntriesAreCutOrAppended) {
  TQSMeasure* m = OneMeasure();
  auto* chord = static_cast<TQSChord*>(CreateItemByKind(kind::Chord, m));
  chord->Patterns.resize(3);
  for (size_t i = 0; i < 3; ++i) chord->Patterns[i].Text = std::string(1, static_cast<char>('A' + i));
  Score.Recalculate(0);
  Select({chord});
  std::vector<TQSChordFragment> entries;
  GetSelectedChord(Score, entries);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[2].Text, "C");
  entries.resize(2);
  entries[1].Text = "m";
  entries[1].Fields.Level = 2;
  const std::vector<uint8_t> before = Saved();
  SetSelectedChord(Score, entries);
  ASSERT_EQ(chord->Patterns.size(), 2u);
  EXPECT_EQ(chord->Patterns[1].Text, "m");
  EXPECT_EQ(chord->Patterns[1].Fields.Level, 2);
  ExpectUndoRedo(before);
  chord = Find<TQSChord>(m);
  entries.resize(4);
  entries[3].Text = "7";
  Score.ClearUndo();
  Score.Recalculate(0);
  View.Selected = {ElementOfItem(chord)};
  SetSelectedChord(Score, entries);
  ASSERT_EQ(chord->Patterns.size(), 4u);
  EXPECT_EQ(chord->Patterns[3].Text, "7");
}

TEST_F(PropertiesTest, ALyricsContinuedFlagKeepsItsAlignment) {
  TQSMeasure* m = OneMeasure();
  auto* lyric = static_cast<TQSLyric*>(CreateItemByKind(kind::Lyric, m));
  lyric->Lines = {"la"};
  lyric->Fields.Flags = 0x20;  // right-aligned
  Score.Recalculate(0);
  Select({lyric});
  const std::vector<uint8_t> before = Saved();
  SetSelectedLyric(Score, {"lo"}, "", 9, 0, 1, 0x00FF00);
  EXPECT_EQ(lyric->Fields.Flags, 0x21);
  EXPECT_EQ(lyric->Fields.Color, 0x00FF00u);
  EXPECT_EQ(lyric->Lines, std::vector<std::string>{"lo"});
  ExpectUndoRedo(before);
}

TEST_F(PropertiesTest, WithoutItsKindSelectedAGetterLeavesItsOutputsAndASetterDoesNothing) {
  TQSMeasure* m = OneMeasure();
  Score.Recalculate(0);
  Select({m->GetItem(0)});  // an ordinary note
  uint8_t flags = 7, interval = 8, fret = 9, style = 10, line = 11;
  int16_t duration = 12;
  GetSelectedVorschlag(Score, flags, duration, interval);
  GetSelectedBarre(Score, fret, style, line);
  EXPECT_EQ(flags, 7);
  EXPECT_EQ(duration, 12);
  EXPECT_EQ(interval, 8);
  EXPECT_EQ(fret, 9);
  const std::vector<uint8_t> before = Saved();
  Changed = 0;
  SetSelectedVorschlag(Score, 1, 32, 2);
  SetSelectedTempo(Score, 2, 100);
  SetSelectedFlajolet(Score, 1, 1, 1);
  SetSelectedText(Score, {"x"}, "", 8, 0);
  EXPECT_EQ(Saved(), before);
  EXPECT_EQ(Score.UndoCount(), 0);
  EXPECT_EQ(Changed, 0);
}

}  // namespace
}  // namespace qs::test
