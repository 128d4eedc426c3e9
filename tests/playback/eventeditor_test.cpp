// The MIDI event editor on a laid-out piece: labels in lanes, clicks and
// keys that focus, select and move the view's cursor, and the chosen event
// edited or deleted, also after the piece changed under the editor.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/forms.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "platform/bitmap.h"
#include "platform/testdriver.h"
#include "playback/eventeditor.h"
#include "score/marks.h"
#include "editor_fixture.h"

namespace qs::test {
namespace {

namespace td = testdriver;

struct TEventScore : TEditorScore<TQSEventEditor> {
  TEventScore() : TEditorScore(4, 700, 200) { Attach(); }
  TQSMIDIEvent* Event(int measure, int tick, std::vector<uint8_t> bytes) {
    auto* e = new TQSMIDIEvent(Score.EnsureColumn(measure));
    e->Fields.Time = static_cast<int16_t>(tick);
    e->SetData(bytes.data(), bytes.size());
    return e;
  }
  void Show() {
    Editor->SetScore(&Score);
    td::ShowAndWait(Form);
  }
  // A point inside an event's label, in the editor's client coordinates,
  // scrolled into view first.
  TPoint At(int measure, int index) const {
    const TRect& r = Editor->Measures()[size_t(measure)].Events[size_t(index)].Label;
    Editor->HorzBar->SetPosition(std::max(0, r.Left - 20));
    return {r.Left + 3 - Editor->HorzBar->Position(), r.Top + 3 - Editor->VertBar->Position()};
  }
};

TEST(EventEditor, LabelsStackInTheLowestFreeLane) {
  TEventScore s;
  s.Show();
  EXPECT_EQ(s.Editor->ContentHeight(), 26);
  const size_t measures = s.Editor->Measures().size();
  EXPECT_GE(measures, 4u);  // every measure laid out, empty ones too
  EXPECT_EQ(s.Editor->ContentWidth(), int(measures) * 512);
  s.Event(1, 0, {0x90, 0x3C, 0x64});
  s.Event(1, 8, {0xB0, 0x07, 0x64});
  s.Event(1, 200, {0xC0, 0x05});
  s.Event(2, 0, {0xF0, 0x7E, 0xF7});
  s.Editor->Reload();
  const auto& m = s.Editor->Measures();
  ASSERT_EQ(m.size(), measures);
  ASSERT_EQ(m[1].Events.size(), 3u);
  EXPECT_EQ(m[1].Events[0].Text, "90 3C 64");
  // The first two overlap: the earlier one goes a lane up; the third and
  // the next measure's have room on the lowest lane.
  EXPECT_EQ(m[1].Events[1].Label.Top, m[1].Events[2].Label.Top);
  EXPECT_EQ(m[1].Events[0].Label.Top, m[1].Events[1].Label.Top - 16);
  EXPECT_EQ(m[2].Events[0].Label.Top, m[1].Events[2].Label.Top);
  EXPECT_EQ(m[1].Events[0].Label.Left, 512);
  EXPECT_EQ(s.Editor->ContentHeight(), 26 + 16);
}

TEST(EventEditor, ClicksAndKeysFocusAndMoveTheCursor) {
  TEventScore s;
  s.Event(0, 100, {0x90, 0x3C, 0x64});
  s.Event(2, 40, {0xB0, 0x07, 0x64});
  s.Event(2, 300, {0xC0, 0x05});
  s.Show();
  std::vector<std::string> asked;
  s.Editor->OnAddEvent = [&](TObject*) { asked.push_back("add"); };
  s.Editor->OnEditEvent = [&](TObject*) { asked.push_back("edit"); };
  s.Editor->OnDeleteEvent = [&](TObject*) { asked.push_back("delete"); };
  TPoint p = s.At(2, 1);
  td::Click(*s.Editor, p.X, p.Y);
  EXPECT_EQ(s.View.CursorPosition.Measure, 2);
  EXPECT_EQ(s.View.CursorPosition.Tick, 300);
  EXPECT_EQ(s.Editor->FocusedIndex(), 1);
  // Up twice: the earlier event of the measure, then the last event of
  // the nearest earlier measure that has any (measure 1 has none).
  td::PressKey(*s.Editor, VK_UP);
  EXPECT_EQ(s.View.CursorPosition.Tick, 40);
  td::PressKey(*s.Editor, VK_UP);
  EXPECT_EQ(s.View.CursorPosition.Measure, 0);
  EXPECT_EQ(s.View.CursorPosition.Tick, 100);
  EXPECT_EQ(s.Editor->FocusedMeasure(), 0);
  // Left steps a tick and leaves the event; End with Ctrl goes to the last
  // tick of the last measure.
  td::PressKey(*s.Editor, VK_LEFT);
  EXPECT_EQ(s.View.CursorPosition.Tick, 99);
  EXPECT_EQ(s.Editor->FocusedMeasure(), -1);
  td::PressKey(*s.Editor, VK_END, ssCtrl);
  EXPECT_EQ(s.View.CursorPosition.Measure, int(s.Editor->Measures().size()) - 1);
  EXPECT_EQ(s.View.CursorPosition.Tick, 511);
  for (uint16_t key : {VK_INSERT, VK_RETURN, VK_DELETE}) td::PressKey(*s.Editor, key);
  EXPECT_EQ(asked, (std::vector<std::string>{"add", "edit", "delete"}));
}

TEST(EventEditor, TheChosenEventIsEditedAndDeleted) {
  TEventScore s;
  s.Event(0, 0, {0x90, 0x3C, 0x64});
  s.Event(1, 0, {0xB0, 0x07, 0x64});
  TQSMIDIEvent* third = s.Event(2, 0, {0xC0, 0x05});
  s.Show();
  TPoint p = s.At(0, 0);
  td::Click(*s.Editor, p.X, p.Y, mbLeft, ssCtrl);
  p = s.At(1, 0);
  td::Click(*s.Editor, p.X, p.Y, mbLeft, ssCtrl);
  // The latest selected one.
  EXPECT_EQ(s.Editor->GetSelectedEventText(), "B00764");
  const uint8_t bytes[] = {0xB0, 0x0A, 0x20};
  s.Editor->SetSelectedEventData(bytes, 3);
  EXPECT_EQ(s.Editor->Measures()[1].Events[0].Text, "B0 0A 20");
  EXPECT_EQ(s.Editor->Measures()[0].Events[0].Text, "90 3C 64");

  // An event freed elsewhere (an undo, a deleted measure) is not used.
  delete s.Score.CurrentPiece()->GetColumn(1)->GetItem(0);
  EXPECT_EQ(s.Editor->GetSelectedEventText(), "903C64");

  // Only the focused, unselected event: removed, the score told once.
  p = s.At(2, 0);
  td::Click(*s.Editor, p.X, p.Y);
  s.Changes = 0;
  s.Editor->DeleteSelected();
  EXPECT_EQ(s.Changes, 1);
  EXPECT_TRUE(s.Editor->Measures()[2].Events.empty());
  EXPECT_EQ(s.Score.CurrentPiece()->GetColumn(2)->ItemCount(), 0);
  (void)third;
}

// Shown, the cursor line scrolls into view at the view's cursor; taking
// the view's tick moves the line, drawn in XOR, and leaves the roll
// behind it as it was.
TEST(EventEditor, ScrollsToTheCursorAndMovesItsLine) {
  TEventScore s;
  s.Show();
  const auto& m = s.Editor->Measures();
  const int V = s.Editor->ClientWidth() - s.Editor->VertBar->Width();
  ASSERT_GT(s.Editor->ContentWidth(), V + 600);
  const std::tuple<int, int, int> cases[] = {
      {2, 100, m[2].Bounds.Right - V + 2},  // right of the view: the measure's end comes in
      {1, 10, m[1].Bounds.Left + 10 - 2},   // left of it: two pixels before the cursor
  };
  for (const auto& [measure, tick, h] : cases) {
    s.View.CursorPosition.Measure = measure;
    s.View.CursorPosition.Tick = tick;
    s.Editor->ShowCursor(true);
    EXPECT_EQ(s.Editor->HorzBar->Position(), h) << measure;
  }
  const int h = s.Editor->HorzBar->Position();
  const int y = m[1].Bounds.Bottom - 12 - s.Editor->VertBar->Position();
  auto pixel = [&](int tick) {
    td::ProcessMessages();
    return GrabControl(*s.Editor)->Pixel(m[1].Bounds.Left + tick - h, y);
  };
  s.Editor->SyncWithCursor();
  const TColor ground = pixel(200);
  EXPECT_NE(pixel(10), ground);
  EXPECT_EQ(pixel(60), ground);
  s.View.CursorPosition.Tick = 60;
  s.Editor->SyncWithCursor();
  EXPECT_EQ(pixel(10), ground);
  EXPECT_NE(pixel(60), ground);
  EXPECT_EQ(s.Editor->HorzBar->Position(), h);
}

}  // namespace
}  // namespace qs::test
