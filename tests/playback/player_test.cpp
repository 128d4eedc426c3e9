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
// (four clicks, the first louder), during which the tick count stays 0;
// then recording begins at the start of that same measure and the record
// position moves with the clock. Stopping sends ($FF, 47, 0).
TEST(Player, RecordCountInAndMetronome) {
  TPlayScore s(2);
  s.Layout();
  TQSVirtualClock clock(false);
  s.Attach(clock);
  TQSPlayer player(*s.View, &clock);
  player.FirstBeatVelocity = 100;
  player.OtherBeatVelocity = 50;
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
  EXPECT_EQ(s.View->Taken(), (Lines{"0 99 21 64", "1000 99 21 32", "2000 99 21 32", "3000 99 21 32", "4000 99 21 64",
                                    "5000 99 21 32", "5000 FF 2F 00", "cursor 0"}));
  EXPECT_EQ(player.GetRecordTicks(), 0);
}

// Step recording: the record position stays at the cursor while the tick
// count grows from the first pass; past the laid-out measures the clock
// runs on with the last measure's length.
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
  s.View->Record();
  clock.WaitForSleepers(1);
  Step(clock, 2000);  // passes 0-256
  EXPECT_EQ(player.GetRecordTicks(), 257);
  EXPECT_EQ(player.RecordPosition().Measure, 3);
  EXPECT_EQ(player.RecordPosition().Tick, 100);
  s.View->StopPlay();
  // Clicks: one at once (tick 100 has passed beat 0), one at tick 128
  // (pass 28); the measure of 256 ticks begins again at pass 156.
  EXPECT_EQ(s.View->Taken(), (Lines{"0 99 21 7F", "219 99 21 50", "1219 99 21 7F", "2000 FF 2F 00", "cursor 100"}));
}

}  // namespace
}  // namespace qs::test
