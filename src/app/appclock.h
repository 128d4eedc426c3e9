#pragma once
// The program's clock for intervals (auto-save, the splash): a steady
// clock, so that no interval is ever negative or wraps, whatever the wall
// clock does. Tests set a clock of their own.
#include <chrono>
#include <functional>

namespace qs {

using TAppClock = std::chrono::steady_clock;
using TAppTime = TAppClock::time_point;

TAppTime AppNow();
// Replaces the clock (null: the steady clock again).
void SetAppClockForTesting(std::function<TAppTime()> clock);

}  // namespace qs
