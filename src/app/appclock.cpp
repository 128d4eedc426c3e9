#include "app/appclock.h"

#include <utility>

namespace qs {

namespace {
std::function<TAppTime()>& Clock() {
  static std::function<TAppTime()> clock;
  return clock;
}
}  // namespace

TAppTime AppNow() { return Clock() ? Clock()() : TAppClock::now(); }

void SetAppClockForTesting(std::function<TAppTime()> clock) { Clock() = std::move(clock); }

}  // namespace qs
