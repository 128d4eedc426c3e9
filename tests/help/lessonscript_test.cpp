#include "help/lessonscript.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

using lesson::TAction;
using lesson::TTarget;

TLessonScript Read(const std::string& text) {
  TMemoryStream s(std::vector<uint8_t>(text.begin(), text.end()));
  return ReadLessonScript(s);
}

TEST(LessonScript, KeywordsByIndex) {
  EXPECT_EQ(LessonKeywordIndex("xml"), 1);
  EXPECT_EQ(LessonKeywordIndex("MoveTo"), 8);
  EXPECT_EQ(LessonKeywordIndex("createnew"), 24);
  EXPECT_EQ(LessonKeywordIndex("scroll"), 43);
  EXPECT_EQ(LessonKeywordIndex("jump"), 0);
}

// Each child of the root is one step with the values of its elements; the
// callout container stays named until another is; the other values are
// fresh for every step.
TEST(LessonScript, StepsAndTheirValues) {
  const TLessonScript s = Read(
      "<xml>"
      "<help>Notes</help>"
      "<moveto><control><name>FNotes.CBQuarter</name><x>3</x><y>-2</y></control><time>500</time></moveto>"
      "<click><button>right</button><state>modal</state><time>50</time></click>"
      "<show>Quarter<state>modal stop</state><time>4000</time></show>"
      "<moveto><button><name>FMain.Close</name></button><time>0</time></moveto>"
      "<moveto><control><name>Score</name><piece>1</piece><part>2</part><measure>3</measure><dole>64</dole>"
      "<height>-2</height></control></moveto>"
      "<type>Allegro<time>300</time></type>"
      "<press>Esc</press>"
      "<window>FTextProperties</window>"
      "<createnew>SampleForm<kind>tabulature</kind></createnew>"
      "<wait/>"
      "<tmpfile>Picture.bmp</tmpfile>"
      "<ok/>"
      "<exit/>"
      "<click/>"
      "</xml>");
  ASSERT_EQ(s.Steps.size(), 12u);
  const TLessonStep& move = s.Steps[0];
  EXPECT_EQ(move.Action, TAction::Move);
  EXPECT_EQ(move.Target, TTarget::Control);
  EXPECT_EQ(move.Name, "FNotes.CBQuarter");
  EXPECT_EQ(move.X, 3);
  EXPECT_EQ(move.Y, -2);
  EXPECT_EQ(move.Time, 500);
  EXPECT_EQ(move.Help, "Notes");
  const TLessonStep& click = s.Steps[1];
  EXPECT_EQ(click.Action, TAction::Click);
  EXPECT_EQ(click.Qualifier, "right");
  EXPECT_TRUE(click.Modal);
  EXPECT_FALSE(click.Stop);
  EXPECT_EQ(click.Time, 50);
  EXPECT_EQ(click.X, 0);  // fresh
  EXPECT_EQ(click.Help, "Notes");
  const TLessonStep& show = s.Steps[2];
  EXPECT_EQ(show.Action, TAction::Callout);
  EXPECT_EQ(show.Topic, "Quarter");
  EXPECT_TRUE(show.Modal && show.Stop);
  EXPECT_EQ(show.Time, 4000);
  EXPECT_EQ(s.Steps[3].Target, TTarget::Caption);
  EXPECT_EQ(s.Steps[3].Name, "FMain.Close");
  const TLessonStep& score = s.Steps[4];
  EXPECT_EQ(score.Piece, 1);
  EXPECT_EQ(score.Part, 2);
  EXPECT_EQ(score.Measure, 3);
  EXPECT_EQ(score.Dole, 64);
  EXPECT_EQ(score.Height, -2);
  EXPECT_EQ(score.Octave, 5);
  EXPECT_EQ(score.Index, -1);
  EXPECT_EQ(s.Steps[5].Action, TAction::Type);
  EXPECT_EQ(s.Steps[5].Text, "Allegro");
  EXPECT_EQ(s.Steps[5].Time, 300);
  EXPECT_EQ(s.Steps[6].Action, TAction::Key);
  EXPECT_EQ(s.Steps[6].Text, "Esc");
  EXPECT_EQ(s.Steps[7].Action, TAction::WaitWindow);
  EXPECT_EQ(s.Steps[7].Topic, "FTextProperties");
  EXPECT_EQ(s.Steps[8].Action, TAction::Sample);
  EXPECT_EQ(s.Steps[8].Topic, "SampleForm");
  EXPECT_EQ(s.Steps[8].SampleKind, lesson::kTablatureSample);
  EXPECT_EQ(s.Steps[9].Action, TAction::Wait);
  EXPECT_EQ(s.Steps[10].Action, TAction::CloseWindow);
  // Reading ends with the exit step: the click after it is never read.
  EXPECT_EQ(s.Steps[11].Action, TAction::End);
  EXPECT_EQ(s.TmpFile, "Picture.bmp");
}

// A keyword outside the element it needs is ignored; a step for another
// edition is read but not for this one; unknown elements change nothing.
TEST(LessonScript, MisplacedKeywordsAndOtherEditions) {
  const TLessonScript s = Read(
      "<xml>"
      "<click><name>BBOk</name><measure>4</measure><x>9</x></click>"
      "<moveto><offset><x>10</x><y>20</y></offset><context>Quavero Pro</context></moveto>"
      "<moveto><control><name>A</name></control><context>Other edition</context></moveto>"
      "<jump>far</jump>"
      "<press>Enter</press>"
      "</xml>");
  ASSERT_EQ(s.Steps.size(), 4u);
  EXPECT_EQ(s.Steps[0].Name, "");  // "name" needs a control or a button
  EXPECT_EQ(s.Steps[0].Measure, 0);
  EXPECT_EQ(s.Steps[0].X, 0);
  EXPECT_EQ(s.Steps[1].Target, TTarget::Offset);
  EXPECT_EQ(s.Steps[1].X, 10);
  EXPECT_EQ(s.Steps[1].Y, 20);
  EXPECT_TRUE(s.Steps[1].ForThisEdition());
  EXPECT_FALSE(s.Steps[2].ForThisEdition());
  EXPECT_EQ(s.Steps[3].Action, TAction::Key);
  EXPECT_EQ(s.Steps[3].Text, "Enter");
}

}  // namespace
}  // namespace qs
