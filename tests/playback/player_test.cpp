// The play and record threads of a view on a virtual clock, heard through
// a recording port: the messages and the times they come at, Stop in the
// middle, the end handed to the window thread, count-in and metronome of
// the recording clock.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <mutex>

#include "playback/playclock.h"
#include "playback/player.h"
#include "playback/recordinput.h"
#include "walk_fixture.h"

namespace qs::test {
namespace {

using Lines = std::vector<std::string>;

// A view whose play events go to a port that writes each message down
// with the clock's time in whole milliseconds.
class TPortView : public TQSWindowLink {
 public:
  explicit TPortView(TQSPlayClock& clock) : clock_(clock) {
    OnPlayShort = [this](TObject*, int status, int data1, int data2) {
      Add(ShortText(std::lround(clock_.NowMs()), static_cast<uint8_t>(status), static_cast<uint8_t>(data1),
                    static_cast<uint8_t>(data2)));
    };
    OnPlayLong = [this](TObject*, const uint8_t* data, uint16_t size) {
      Add(LongText(std::lround(clock_.NowMs()), data, size));
    };
    OnStopPlay = [this](TObject*) { Add("stop"); };
  }
  bool Playing() const override { return PlayControl && PlayControl->IsPlaying(); }
  int CursorSystemIndex() const override { return 0; }
  void InvalidatePages() override {}
  void SetCursorTick(int tick) override {
    Add("cursor " + std::to_string(tick));
    CursorPosition.Tick = tick;
  }
  Lines Taken() {
    std::lock_guard lock(mutex_);
    return lines_;
  }

 private:
  void Add(std::string line) {
    std::lock_guard lock(mutex_);
    lines_.push_back(std::move(line));
  }
  TQSPlayClock& clock_;
  std::mutex mutex_;
  Lines lines_;
};

// Moves a stepped clock on a millisecond at a time, each time until the
// one thread that runs on it sleeps again, so that each message is
// written at the millisecond it was due in (rounded up).
void Step(TQSVirtualClock& clock, int ms) {
  for (int i = 0; i < ms; ++i) {
    clock.Advance(1);
    clock.WaitForSleepers(1);
  }
}

struct TPlayScore : TContentScore {
  explicit TPlayScore(int measures) : TContentScore(measures) {}
  ~TPlayScore() { Score.DetachWindow(View.get()); }
  std::unique_ptr<TPortView> View;
  void Attach(TQSPlayClock& clock) {
    View = std::make_unique<TPortView>(clock);
    Score.AttachWindow(View.get());
  }
};

// At tempo 60 a tick lasts 7.8125 ms: the messages come at the times of
// their ticks. The end reaches the window thread through DeliverPending,
// and the cursor goes to the nearest event.
TEST(Player, PlaysOnTheClock) {
  TPlayScore s(1);
  s.Note(s.Measure(0), 0, 128, C5);
  s.Note(s.Measure(0), 128, 256, E5);
  s.Layout();
  TQSVirtualClock clock;
  s.Attach(clock);
  TQSPlayer player(*s.View, &clock);
  s.View->Play();
  player.WaitUntilPlayed();
  EXPECT_EQ(s.View->Taken(), (Lines{"0 B0 07 7F", "0 B0 0A 3F", "0 C0 00 00", "0 90 3C 40", "1000 90 40 40",
                                    "1000 80 3C 00", "3000 80 40 00", "stop", "cursor 0"}));
  EXPECT_FALSE(player.IsPlaying());
}

// Stopped in the middle, the notes that sound are ended at once; nothing
// comes after OnStopPlay.
TEST(Player, StopEndsWhatSounds) {
  TPlayScore s(2);
  s.Note(s.Measure(0), 0, 512, C5);
  s.Note(s.Measure(0), 0, 256, E5)->SetChordMember(true);
  s.Note(s.Measure(1), 0, 512, G5);
  s.Layout();
  TQSVirtualClock clock(false);
  s.Attach(clock);
  TQSPlayer player(*s.View, &clock);
  std::vector<std::string> posted;
  s.View->Play();
  clock.WaitForSleepers(1);
  clock.Advance(2500);
  clock.WaitForSleepers(1);
  EXPECT_TRUE(player.IsPlaying());
  s.View->StopPlay();
  const Lines lines = s.View->Taken();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(Lines(lines.end() - 4, lines.end()), (Lines{"2500 80 40 00", "2500 80 3C 00", "stop", "cursor 0"}));
}

// Posted ends go through Post; a player destroyed before they arrive
// leaves them without effect.
TEST(Player, EndGoesThroughPost) {
  TPlayScore s(1);
  s.Note(s.Measure(0), 0, 128, C5);
  s.Layout();
  TQSVirtualClock clock;
  s.Attach(clock);
  std::vector<std::function<void()>> queue;
  std::mutex queueLock;
  {
    TQSPlayer player(*s.View, &clock);
    player.Post = [&](std::function<void()> f) {
      std::lock_guard lock(queueLock);
      queue.push_back(std::move(f));
    };
    s.View->Play();
    player.WaitUntilPlayed();
    EXPECT_EQ(s.View->Taken().back(), "1000 80 3C 00");
    ASSERT_EQ(queue.size(), 1u);
    queue[0]();
    EXPECT_EQ(s.View->Taken().back(), "cursor 0");
    s.View->Play();
    player.WaitUntilPlayed();
  }
  ASSERT_EQ(queue.size(), 2u);
  const size_t before = s.View->Taken().size();
  queue[1]();
  EXPECT_EQ(s.View->Taken().size(), before);
  EXPECT_EQ(s.View->PlayControl, nullptr);
}

// Real-time recording from tick 0 of a 4/4 measure: a measure of count-in
// (four clicks, the first louder, each ended after its duration), during
// which the tick count stays 0; then recording begins at the start of
// that same measure and the record position moves with the clock.
// Stopping ends the click that sounds and sends ($FF, 47, 0).
TEST(Player, RecordCountInAndMetronome) {
  TPlayScore s(2);
  s.Layout();
  TQSVirtualClock clock(false);
  s.Attach(clock);
  TQSPlayer player(*s.View, &clock);
  player.FirstBeatVelocity = 100;
  player.OtherBeatVelocity = 50;
  player.ClickDuration = 64;
  player.SetRecordRealTime(true);
  player.SetRecordMetronome(true);
  s.View->Record();
  clock.WaitForSleepers(1);
  Step(clock, 3990);  // passes 0-510 of the count-in's 512
  EXPECT_EQ(player.GetRecordTicks(), 0);
  EXPECT_TRUE(player.RecordPosition().CountIn);
  // The pass that ends the count-in counts the first tick; one beat later
  // (pass 640) the record tick is 129.
  Step(clock, 1010);
  const TQSPlayer::TRecordPosition p = player.RecordPosition();
  EXPECT_FALSE(p.CountIn);
  EXPECT_EQ(p.Measure, 0);
  EXPECT_EQ(p.Tick, 129);
  EXPECT_EQ(player.GetRecordTicks(), 130);
  EXPECT_TRUE(player.IsRealTimeRecording());
  s.View->StopPlay();
  EXPECT_EQ(s.View->Taken(), (Lines{"0 99 21 64", "500 89 21 00", "1000 99 21 32", "1500 89 21 00", "2000 99 21 32",
                                    "2500 89 21 00", "3000 99 21 32", "3500 89 21 00", "4000 99 21 64", "4500 89 21 00",
                                    "5000 99 21 32", "5000 89 21 00", "5000 FF 2F 00", "cursor 0"}));
  EXPECT_EQ(player.GetRecordTicks(), 0);
}

// Step recording: the record position stays at the cursor while the tick
// count grows from the first pass; past the laid-out measures the clock
// runs on with the last measure's length. A click longer than a beat is
// ended when the next one strikes.
TEST(Player, StepRecordingAndBeyondTheScore) {
  TPlayScore s(1);
  s.Mark(s.Column(0), kind::Meter, 0, MakeMeter(2, 4));
  s.Layout();
  TQSVirtualClock clock(false);
  s.Attach(clock);
  s.View->CursorPosition.Measure = 3;
  s.View->CursorPosition.Tick = 100;
  TQSPlayer player(*s.View, &clock);
  player.SetRecordMetronome(true);
  player.ClickDuration = 200;
  s.View->Record();
  clock.WaitForSleepers(1);
  Step(clock, 2000);  // passes 0-256
  EXPECT_EQ(player.GetRecordTicks(), 257);
  EXPECT_EQ(player.RecordPosition().Measure, 3);
  EXPECT_EQ(player.RecordPosition().Tick, 100);
  s.View->StopPlay();
  // Clicks: one at once (tick 100 has passed beat 0), one at tick 128
  // (pass 28); the measure of 256 ticks begins again at pass 156.
  EXPECT_EQ(s.View->Taken(), (Lines{"0 99 21 7F", "219 89 21 00", "219 99 21 50", "1219 89 21 00", "1219 99 21 7F",
                                    "2000 89 21 00", "2000 FF 2F 00", "cursor 100"}));
}

// A receiver that stops playback on the play thread itself (as the
// document window does at the end message) does not wait for itself; the
// next operation on the window thread joins the thread.
TEST(Player, StopFromTheReceiver) {
  TPlayScore s(1);
  s.Note(s.Measure(0), 0, 512, C5);
  s.Layout();
  TQSVirtualClock clock;
  s.Attach(clock);
  TQSPlayer player(*s.View, &clock);
  int messages = 0;
  s.View->OnPlayShort = [&](TObject*, int, int, int) {
    if (++messages == 3) s.View->StopPlay();
  };
  s.View->Play();
  player.WaitUntilPlayed();
  EXPECT_FALSE(player.IsPlaying());
  EXPECT_EQ(messages, 5);  // volume, pan, program; then the note-on of that pass and its note-off
  s.View->Play();
  s.View->StopPlay();
}

// With Repeat, a score with nothing to play waits a tick between its
// beginnings instead of spinning.
TEST(Player, RepeatOfNothingWaits) {
  TPlayScore s(1);
  s.Layout();
  ASSERT_EQ(s.Piece->VisitCount, 0);
  TQSVirtualClock clock(false);
  s.Attach(clock);
  TQSPlayer player(*s.View, &clock);
  player.Repeat = true;
  s.View->Play();
  clock.WaitForSleepers(1);
  EXPECT_TRUE(player.IsPlaying());
  s.View->StopPlay();
}

// The tempo at the cursor comes from the visit playback starts at: with a
// repeat, measure 2 is the fifth visit, not the third (which is measure 0
// again, at the first tempo).
TEST(Player, TempoPlayTimeAndSeek) {
  TPlayScore s(4);
  for (int m = 0; m < 4; ++m) s.Note(s.Measure(m), 0, 512, C5);
  s.Mark(s.Column(0), kind::Tempo, 0, 120, 2);
  s.Mark(s.Column(1), kind::Tempo, 0, 60, 2);
  s.Mark(s.Column(1), kind::RepeatClose, 512);
  s.Layout();
  TQSVirtualClock clock;
  s.Attach(clock);
  TQSPlayer player(*s.View, &clock);
  s.View->CursorPosition.Measure = 2;
  EXPECT_DOUBLE_EQ(player.TempoAtCursor(), 60);
  // The cursor's time: measure 2 starts after 2 s + 4 s + ... in measure
  // order, at 100 % whatever the tempo scale.
  s.View->CursorPosition.Tick = 128;
  s.View->TempoScale = 50;
  const double start2 = s.SlotOf(2).StartMs;
  EXPECT_DOUBLE_EQ(player.GetPlayTime(), start2 + 1000);
  // A stored position in the play order: the second time through measure
  // 1 (visit 3), a quarter in.
  player.RealTimeView = true;
  player.SeekPlayTime(s.Piece->Visits[3]->StartMs + 1000);
  EXPECT_DOUBLE_EQ(player.GetPlayTime(), s.Piece->Visits[3]->StartMs + 1000);
  std::vector<std::string> heard;
  s.View->OnPlayShort = [&](TObject*, int status, int data1, int) {
    if (status == 0x90) heard.push_back(std::to_string(data1));
  };
  s.View->Play();
  player.WaitUntilPlayed();
  // From the stored position every event of its measure is still due: the
  // note of measure 1 sounds at once, then measures 2 and 3.
  EXPECT_EQ(heard, (std::vector<std::string>{"60", "60", "60"}));
}

// The cursor follows the play position on the owner's timer; the program
// of the current voice goes out with the view as sender.
TEST(Player, FollowAndVoiceProgram) {
  TPlayScore s(2);
  s.Note(s.Measure(0), 0, 128, C5);
  s.Note(s.Measure(1), 256, 128, C5);
  s.Part()->Fields.Instrument = 33;
  s.Layout();
  TQSVirtualClock clock(false);
  s.Attach(clock);
  TQSPlayer player(*s.View, &clock);
  s.View->Play();
  clock.WaitForSleepers(1);
  Step(clock, 4000 + 2500);  // measure 1, tick 320: the note at 256 was the last event
  player.FollowPlayPosition();
  EXPECT_EQ(s.View->CursorPosition.Measure, 1);
  EXPECT_EQ(s.View->CursorPosition.Tick, 256);
  s.View->StopPlay();
  TObject* sender = nullptr;
  s.View->OnPlayShort = [&](TObject* from, int status, int data1, int) {
    sender = from;
    EXPECT_EQ(status, 0xC5);
    EXPECT_EQ(data1, 33);
  };
  player.SendVoiceProgram(5);
  EXPECT_EQ(sender, nullptr);  // the test view is no TObject
}

// Real-time recording from end to end: after the count-in, a chord of E
// and G sharp played a little after beat 2 for an eighth is entered as
// eighths at beat 2 (E, G sharp with its accidental), keys played during
// the count-in are ignored, and the notes still held wait.
TEST(Player, RecordedNotesBecomeNotation) {
  TPlayScore s(2);
  s.Layout();
  TQSVirtualClock clock(false);
  s.Attach(clock);
  TQSPlayer player(*s.View, &clock);
  TQSRecordCollector collector(s.Score, player);
  player.SetRecordRealTime(true);
  s.View->Record();
  clock.WaitForSleepers(1);
  Step(clock, 2000);
  collector.RecordMidiInput(0x90, 60, 100);  // in the count-in
  Step(clock, 3010);                         // beat 2, plus a little
  collector.RecordMidiInput(0x90, 64, 90);
  collector.RecordMidiInput(0x90, 68, 80);
  Step(clock, 500);  // an eighth
  collector.RecordMidiInput(0x80, 64, 0);
  collector.RecordMidiInput(0x90, 68, 0);
  collector.RecordMidiInput(0x90, 72, 70);  // still held
  collector.EnterCollected();
  EXPECT_EQ(collector.Pending(), 1u);
  s.View->StopPlay();
  collector.Drop();

  std::vector<std::string> notes;
  for (const TQSItem* item : s.Measure(0)->Items)
    if (const auto* n = dynamic_cast<const TQSNote*>(item)) {
      int accidentals = 0;
      for (const TQSItem* a : n->Items) accidentals += a->ItemType == kind::Accidental;
      notes.push_back(std::to_string(n->Fields.Time) + " " + std::to_string(n->Fields.Length) + " " +
                      std::to_string(n->Fields.Pitch >> 4) + ":" + std::to_string(n->Fields.Pitch & 15) + " " +
                      std::to_string(accidentals) + " " + std::to_string(n->Fields.Velocity));
    }
  EXPECT_EQ(notes, (Lines{"128 64 5:2 0 90", "128 64 5:4 1 80"}));
}

}  // namespace
}  // namespace qs::test
