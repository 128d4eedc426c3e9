// The playback piano roll on laid-out notes: where the notated and played
// bars lie, one-tick changes by keys, a played edge dragged with the mouse,
// and a click that asks for a note at a measure, tick and key.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "platform/forms.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "platform/bitmap.h"
#include "platform/testdriver.h"
#include "playback/playbackeditor.h"
#include "score/calcrecords.h"
#include "score/notes.h"
#include "editor_fixture.h"

namespace qs::test {
namespace {

namespace td = testdriver;

struct TRoll : TVoiceScore<TQSPlaybackEditor> {
  TRoll() : TVoiceScore(2, 700, 500) {
    Notes.push_back(Note(Measure(0), 0, 128, 0x50));    // C5: key 60
    Notes.push_back(Note(Measure(0), 128, 128, 0x54));  // G5: key 67
    Notes.push_back(Note(Measure(1), 0, 256, 0x50));
    Attach();
    Refill();
    td::ShowAndWait(Form);
  }
  // A point on an entry's played bar, dx from its left edge, scrolled into
  // view first.
  TPoint OnPlayed(int entry, int dx) {
    const TRect& p = Editor->NoteEntries()[size_t(entry)].Played;
    Editor->VertBar->SetPosition(std::max(0, p.Top - 100));
    return {p.Left + dx - Editor->HorzBar->Position(), p.Top + 1 - Editor->VertBar->Position()};
  }
};

TEST(PlaybackEditor, NotatedAndPlayedBars) {
  TRoll s;
  const auto& e = s.Editor->NoteEntries();
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(s.Notes[0]->SoundingKey, 60);
  const int r = 8, t = 4;  // rows of a note height of 12
  EXPECT_EQ(s.Editor->ContentHeight(), 59 * 12);
  EXPECT_EQ(e[0].Notated, (TRect{33, s.Editor->RowTop(60), 33 + 128, s.Editor->RowTop(60) + t}));
  EXPECT_EQ(e[0].Played, (TRect{33, s.Editor->RowTop(60) + t + 1, 33 + 128, s.Editor->RowTop(60) + r + 1}));
  EXPECT_EQ(s.Editor->RowTop(60) - s.Editor->RowTop(67), 7 * r);
  EXPECT_EQ(e[2].Notated.Left, 32 + 512 + 1);
  // Played earlier and longer: the bounds widen to the left.
  s.Notes[1]->Fields.PlayOffset = -10;
  s.Notes[1]->Fields.PlayLength = 200;
  s.Refill();
  EXPECT_EQ(e[1].Played.Left, 33 + 128 - 10);
  EXPECT_EQ(e[1].Played.Right, 33 + 128 - 10 + 200);
  EXPECT_EQ(e[1].Bounds.Left, e[1].Played.Left);
}

TEST(PlaybackEditor, KeysChangeTheActiveNoteATickAtATime) {
  TRoll s;
  s.Editor->SetFocus();
  td::PressKey(*s.Editor, VK_HOME);
  EXPECT_EQ(s.Editor->ActiveIndex(), 0);
  td::PressKey(*s.Editor, VK_RIGHT);
  EXPECT_EQ(s.Editor->ActiveIndex(), 1);
  EXPECT_EQ(s.View.CursorPosition.Tick, 128);
  const auto played = [&] { return std::pair{int(s.Notes[1]->Fields.PlayOffset), int(s.Notes[1]->Fields.PlayLength)}; };
  // Longer from 0 gives the sounding length + 1; back by two gives one
  // less; up again to the sounding length gives 0.
  const std::tuple<uint16_t, TShiftState, std::pair<int, int>> steps[] = {
      {VK_RIGHT, ssAlt, {0, 129}}, {VK_LEFT, ssAlt, {0, 0}},   {VK_LEFT, ssAlt, {0, 127}},
      {VK_RIGHT, ssAlt, {0, 0}},   {VK_LEFT, ssCtrl, {-1, 0}}, {VK_RIGHT, ssCtrl, {0, 0}},
  };
  for (const auto& [key, shift, expected] : steps) {
    td::PressKey(*s.Editor, key, shift);
    EXPECT_EQ(played(), expected);
  }
  EXPECT_EQ(s.Changes, 6);
}

TEST(PlaybackEditor, DraggingAPlayedEdge) {
  TRoll s;
  // The end of the first note's played bar, 20 ticks to the right.
  TPoint p = s.OnPlayed(0, 126);
  td::MouseDown(*s.Editor, p.X, p.Y);
  td::MouseMove(*s.Editor, p.X + 10, p.Y);
  EXPECT_EQ(s.Changes, 0);  // only the outline moves
  td::MouseUp(*s.Editor, p.X + 20, p.Y);
  EXPECT_EQ(s.Notes[0]->Fields.PlayLength, 148);
  EXPECT_EQ(s.Changes, 1);
  // Its start, 5 ticks to the left.
  p = s.OnPlayed(0, 1);
  td::MouseDown(*s.Editor, p.X, p.Y);
  td::MouseUp(*s.Editor, p.X - 5, p.Y);
  EXPECT_EQ(s.Notes[0]->Fields.PlayOffset, -5);
  EXPECT_EQ(s.Editor->NoteEntries()[0].Bounds.Left, 33 - 5);
}

// While the end of a played bar is dragged, its outline moves in XOR
// over the roll: over the active entry's black outline it shows white,
// and where it was the roll shows again.
TEST(PlaybackEditor, TheDragOutlineMovesInXor) {
  TRoll s;
  const TPoint p = s.OnPlayed(0, 126);
  const TQSVoiceEntry& e = s.Editor->NoteEntries()[0];
  const int dx = -s.Editor->HorzBar->Position(), dy = -s.Editor->VertBar->Position();
  auto pixel = [&](int x, int y) {
    td::ProcessMessages();
    return GrabControl(*s.Editor)->Pixel(x + dx, y + dy);
  };
  const int rowMiddle = e.Played.Top + 1;
  td::MouseDown(*s.Editor, p.X, p.Y);
  td::MouseMove(*s.Editor, p.X + 10, p.Y);
  EXPECT_EQ(pixel(e.Notated.Left + 50, e.Bounds.Top), clWhite);
  EXPECT_EQ(pixel(e.Played.Right + 9, rowMiddle), clBlack);
  td::MouseMove(*s.Editor, p.X + 20, p.Y);
  EXPECT_EQ(pixel(e.Played.Right + 9, rowMiddle), clWhite);
  EXPECT_EQ(pixel(e.Played.Right + 19, rowMiddle), clBlack);
  td::MouseUp(*s.Editor, p.X + 20, p.Y);
  EXPECT_EQ(pixel(e.Notated.Left + 50, e.Bounds.Top), clBlack);
}

// While a duration is armed a marker follows the mouse in XOR: moved
// away and back it leaves no trace, and disarmed the roll is as before.
TEST(PlaybackEditor, TheInsertionMarkerFollowsTheMouseInXor) {
  TRoll s;
  auto grab = [&] {
    td::ProcessMessages();
    return GrabControl(*s.Editor);
  };
  auto same = [](const TBitmap& a, const TBitmap& b) {
    for (int y = 0; y < a.Height(); ++y)
      for (int x = 0; x < a.Width(); ++x)
        if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
    return true;
  };
  const auto plain = grab();
  s.Editor->SetInsertDuration(128);
  EXPECT_TRUE(same(*plain, *grab()));  // shown where the mouse moves first
  td::MouseMove(*s.Editor, 300, 200);
  const auto atA = grab();
  EXPECT_FALSE(same(*plain, *atA));
  td::MouseMove(*s.Editor, 420, 260);
  EXPECT_FALSE(same(*atA, *grab()));
  td::MouseMove(*s.Editor, 300, 200);
  EXPECT_TRUE(same(*atA, *grab()));
  s.Editor->SetInsertDuration(0);
  EXPECT_TRUE(same(*plain, *grab()));
}

TEST(PlaybackEditor, AnArmedClickAsksForANote) {
  TRoll s;
  std::vector<std::tuple<int, int, int>> asked;
  s.Editor->OnPlaybackNote = [&](TObject*, int measure, int position, uint8_t note) {
    asked.emplace_back(measure, position, note);
  };
  s.Editor->SetInsertDuration(128);
  s.Editor->VertBar->SetPosition(s.Editor->RowTop(72) - 4);
  const int y = s.Editor->RowTop(72) - s.Editor->VertBar->Position() + 5;
  td::Click(*s.Editor, 32 + 512 + 70, y);
  EXPECT_EQ(asked, (std::vector<std::tuple<int, int, int>>{{1, 64, 72}}));
  // Right of the last measure nothing is asked.
  s.Editor->HorzBar->SetPosition(s.Editor->HorzBar->Max());
  const int end = s.Editor->ContentWidth() - s.Editor->HorzBar->Position();
  ASSERT_LT(end + 12, s.Editor->ClientWidth() - s.Editor->VertBar->Width());
  td::Click(*s.Editor, end + 12, y);
  EXPECT_EQ(asked.size(), 1u);
  // Below the piano (a roll lower than the window) the lowest key.
  s.Editor->SetNoteHeight(3);
  s.Refill();
  ASSERT_LT(s.Editor->ContentHeight() + 40, s.Editor->ClientHeight() - s.Editor->HorzBar->Height());
  td::Click(*s.Editor, 100, s.Editor->ContentHeight() + 30);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(std::get<2>(asked[1]), 21);
}

// A note with an effect note attached, then a grace note before the next
// note: the effect and the grace note are single played bars, each in its
// own key's row; the effect's length and position step within their bounds.
struct TOrnamented : TVoiceScore<TQSPlaybackEditor> {
  TQSVorschlag* Group;
  TQSEffect* Effect = nullptr;
  TOrnamented() : TVoiceScore(2, 700, 500) {
    Notes.push_back(Note(Measure(0), 0, 128, C5));
    Group = static_cast<TQSVorschlag*>(CreateItemByKind(kind::Vorschlag, Measure(0)));
    Group->Fields.Time = 128;
    Group->Fields.Duration = 32;
    auto* grace = static_cast<TQSNote*>(CreateItemByKind(kind::Note, Group));
    grace->Fields.Pitch = D5;
    grace->Fields.Length = grace->Fields.RealLength = 64;
    Notes.push_back(grace);
    Notes.push_back(Note(Measure(0), 128, 128, E5));
    Attach();
    // As the layout pass realises an ornament.
    Effect = static_cast<TQSEffect*>(CreateItemByKind(kind::Effect, Notes[0]));
    Effect->Fields.Time = 64;
    Effect->Fields.Length = 9;
    Effect->SoundingKey = 65;
    Refill();
    td::ShowAndWait(Form);
  }
};

TEST(PlaybackEditor, EffectAndGraceNotesArePlayedBarsOnly) {
  TOrnamented s;
  const auto& e = s.Editor->NoteEntries();
  ASSERT_EQ(e.size(), 4u);
  // Each note is followed by its effect entries.
  EXPECT_EQ(e[0].Effect, nullptr);
  EXPECT_EQ(e[1].Effect, s.Effect);
  EXPECT_EQ(e[2].Note(), s.Notes[1]);
  EXPECT_EQ(e[3].Note(), s.Notes[2]);
  const int r = 8;
  const int effectTop = s.Editor->RowTop(65), graceTop = s.Editor->RowTop(s.Notes[1]->SoundingKey);
  EXPECT_EQ(e[1].Played, (TRect{33 + 64, effectTop, 33 + 64 + 9, effectTop + r + 1}));
  EXPECT_EQ(e[1].Bounds, e[1].Played);
  // A grace note plays from its group's position for the group's length.
  EXPECT_EQ(e[2].Played, (TRect{33 + 128, graceTop, 33 + 128 + 32, graceTop + r + 1}));
  EXPECT_EQ(e[2].Bounds, e[2].Played);

  // The effect chosen by a click: shorter stops at 8, earlier moves it.
  td::Click(*s.Editor, e[1].Played.Left + 4 - s.Editor->HorzBar->Position(),
            effectTop + 2 - s.Editor->VertBar->Position());
  ASSERT_EQ(s.Editor->ActiveIndex(), 1);
  const std::tuple<uint16_t, TShiftState, int, int> steps[] = {
      {VK_LEFT, ssAlt, 8, 64}, {VK_LEFT, ssAlt, 8, 64}, {VK_RIGHT, ssAlt, 9, 64}, {VK_LEFT, ssCtrl, 9, 63}};
  for (const auto& [key, shift, length, time] : steps) {
    td::PressKey(*s.Editor, key, shift);
    EXPECT_EQ(s.Effect->Fields.Length, length);
    EXPECT_EQ(s.Effect->Fields.Time, time);
  }
  EXPECT_EQ(s.Notes[0]->Fields.PlayLength, 0);  // its note unchanged
  EXPECT_EQ(e[1].Played.Left, 33 + 63);
}

// The editor follows the view's selection and cursor, and a click moves
// both in the view.
TEST(PlaybackEditor, SelectionAndCursorFollowTheView) {
  TOrnamented s;
  const auto& e = s.Editor->NoteEntries();
  s.View.Selection = {s.Notes[2]->HeadElement, s.Notes[0]->HeadElement};
  s.View.CursorPosition.Measure = 0;
  s.View.CursorPosition.Tick = 130;
  s.Editor->SyncSelection();
  std::vector<bool> selected;
  for (const auto& entry : e) selected.push_back(entry.Selected);
  EXPECT_EQ(selected, (std::vector<bool>{true, false, false, true}));
  EXPECT_EQ(s.Editor->ActiveIndex(), 3);  // the last entry at or before the cursor
  // A click on the grace note selects only it, here and in the view.
  td::Click(*s.Editor, e[2].Played.Left + 10 - s.Editor->HorzBar->Position(),
            e[2].Played.Top + 2 - s.Editor->VertBar->Position());
  EXPECT_EQ(s.View.Selection, (std::vector<TQSCalcItem*>{s.Notes[1]->HeadElement}));
  EXPECT_EQ(s.View.CursorPosition.Tick, 128);
}

}  // namespace
}  // namespace qs::test

namespace qs::test {
namespace {

// A chord (C, E, G) at the start of the first measure and a low note in
// the second: Up and Down move between the rows of the active entry's
// measure only, the nearest row first.
TEST(PlaybackEditor, UpAndDownStayInTheActiveMeasure) {
  TVoiceScore<TQSPlaybackEditor> s(2, 500, 300);
  for (uint8_t pitch : {C5, E5, G5}) s.Notes.push_back(s.Note(s.Measure(0), 0, 256, pitch));
  s.Notes.push_back(s.Note(s.Measure(1), 0, 256, 0x30));  // an octave and more below
  s.Attach();
  s.View.CursorPosition = {0, 0, 0, 1, 0, 0, 300};  // on no note
  s.Refill();
  td::ShowAndWait(s.Form);
  TQSPlaybackEditor& e = *s.Editor;
  e.SetFocus();
  // Without an active entry Up takes the last entry, Down the first.
  td::PressKey(e, VK_UP);
  EXPECT_EQ(e.ActiveIndex(), 3);
  const std::pair<uint16_t, int> steps[] = {
      {VK_HOME, 0}, {VK_UP, 1}, {VK_UP, 2}, {VK_UP, 2}, {VK_DOWN, 1}, {VK_DOWN, 0}, {VK_DOWN, 0}};
  for (const auto& [key, active] : steps) {
    td::PressKey(e, key);
    EXPECT_EQ(e.ActiveIndex(), active);
  }
  // The view's selection and cursor follow.
  EXPECT_EQ(s.View.Selection, (std::vector<TQSCalcItem*>{s.Notes[0]->HeadElement}));
  EXPECT_EQ(s.View.CursorPosition.Measure, 0);
}

// The active entry is scrolled into view with a margin, and without one
// the measure of the view's cursor.
TEST(PlaybackEditor, TheActiveEntryOrTheCursorsMeasureIsScrolledIntoView) {
  TVoiceScore<TQSPlaybackEditor> s(4, 400, 300);
  s.Notes.push_back(s.Note(s.Measure(0), 0, 128, 0x70));  // high up
  s.Notes.push_back(s.Note(s.Measure(3), 256, 128, 0x30));
  s.Attach();
  td::ShowAndWait(s.Form);
  TQSPlaybackEditor& e = *s.Editor;
  s.View.CursorPosition.Measure = 2;
  e.Fill(s.Part(), 0);
  ASSERT_EQ(e.ActiveIndex(), -1);
  const int pageX = e.HorzBar->PageSize(), pageY = e.VertBar->PageSize();
  const TQSVoiceMeasure& third = e.MeasureEntries()[2];
  EXPECT_EQ(e.HorzBar->Position(), third.Right - pageX);
  e.SetFocus();
  td::PressKey(e, VK_END);
  const TRect last = e.NoteEntries()[1].Bounds;
  const int r = 8;  // a row
  EXPECT_EQ(e.HorzBar->Position(), std::min(last.Right - pageX + 16, e.HorzBar->Max() - pageX));
  EXPECT_EQ(e.VertBar->Position(), last.Bottom - pageY + r);
  td::PressKey(e, VK_HOME);
  EXPECT_EQ(e.HorzBar->Position(), 0);
  EXPECT_EQ(e.VertBar->Position(), e.NoteEntries()[0].Bounds.Top - r);
}

// The document window's refill takes the notes and grace notes of one
// staff and voice; while the editor's own change is being told, a refill
// leaves the editor as it is.
TEST(PlaybackEditor, FilledWithOneVoiceAndLeftAloneWhileItTellsItsChange) {
  TVoiceScore<TQSPlaybackEditor> s(2, 500, 300);
  s.Notes.push_back(s.Note(s.Measure(0), 0, 128, C5));
  s.Note(s.Measure(0), 0, 512, G5, MakeStaffVoice(0, 1));  // another voice
  auto* group = static_cast<TQSVorschlag*>(CreateItemByKind(kind::Vorschlag, s.Measure(0)));
  group->Fields.Time = 128;
  auto* grace = static_cast<TQSNote*>(CreateItemByKind(kind::Note, group));
  grace->Fields.Pitch = D5;
  grace->Fields.Length = grace->Fields.RealLength = 64;
  s.Notes.push_back(s.Note(s.Measure(0), 128, 128, E5));
  s.Attach();
  td::ShowAndWait(s.Form);
  TQSPlaybackEditor& e = *s.Editor;
  e.Fill(s.Part(), 0);
  std::vector<TQSNote*> listed;
  for (const TQSVoiceEntry& entry : e.NoteEntries()) listed.push_back(entry.Note());
  EXPECT_EQ(listed, (std::vector<TQSNote*>{s.Notes[0], grace, s.Notes[1]}));
  // A refill from the change notification, after a note was added, finds
  // the editor busy.
  s.Score.OnChanged = [&](TObject*) {
    ++s.Changes;
    s.Note(s.Measure(1), 0, 128, C5);
    s.Layout();
    e.Fill(s.Part(), 0);
  };
  e.SetFocus();
  td::PressKey(e, VK_HOME);
  td::PressKey(e, VK_RIGHT, ssAlt);
  EXPECT_EQ(s.Changes, 1);
  EXPECT_EQ(e.NoteEntries().size(), 3u);
  EXPECT_EQ(e.ActiveIndex(), 0);
  EXPECT_EQ(s.Notes[0]->Fields.PlayLength, 129);
}

}  // namespace
}  // namespace qs::test
