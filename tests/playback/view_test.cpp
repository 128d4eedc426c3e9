// A score view with a player attached: Play and StopPlay through the view,
// Playing while the thread runs, the tempo scale followed at once, and the
// cursor put on the nearest event as playback ends.
#include <gtest/gtest.h>

#include <cmath>

#include "../view/view_fixture.h"
#include "playback/playclock.h"
#include "playback/player.h"

namespace qs::test {
namespace {

TEST(PlayerInView, PlayThroughTheView) {
  TViewScore s({1}, 2);
  const auto C = [&](int m, int tick, int length) {
    return s.Note(s.Measure(m), tick, length, 0x50);
  };
  C(0, 0, 256);
  C(0, 256, 256);
  s.Show();
  TQSVirtualClock clock(false);
  TQSPlayer player(s.View, &clock);
  std::vector<double> onsets;
  s.View.OnPlayShort = [&](TObject*, int status, int, int) {
    if (status == 0x90) onsets.push_back(clock.NowMs());
  };
  s.View.OnPlayLong = [](TObject*, const uint8_t*, uint16_t) {};
  s.View.CursorPosition.Tick = 200;
  s.View.Play();
  clock.WaitForSleepers(1);
  EXPECT_TRUE(s.View.Playing());
  // Twice as fast from now on: the note at tick 256 comes after 56 ticks of
  // 3.90625 ms.
  s.View.SetTempoScale(200);
  for (int ms = 0; ms < 300; ++ms) {
    clock.Advance(1);
    clock.WaitForSleepers(1);
  }
  s.View.StopPlay();
  EXPECT_FALSE(s.View.Playing());
  ASSERT_EQ(onsets.size(), 1u);
  EXPECT_EQ(std::lround(onsets[0]), std::lround(std::ceil(7.8125 + 55 * 3.90625)));
  // The cursor went to the event nearest to its tick.
  EXPECT_EQ(s.View.CursorPosition.Tick, 256);
}

}  // namespace
}  // namespace qs::test
