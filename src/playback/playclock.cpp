#include "playback/playclock.h"

#include <pthread.h>
#include <sched.h>

#include <chrono>

namespace qs {

namespace {
using Clock = std::chrono::steady_clock;
const Clock::time_point kOrigin = Clock::now();
}  // namespace

double TQSSystemClock::NowMs() {
  return std::chrono::duration<double, std::milli>(Clock::now() - kOrigin).count();
}

void TQSSystemClock::SleepUntil(double ms) {
  const auto due = kOrigin + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(ms));
  std::unique_lock lock(mutex_);
  const uint64_t wakes = wakes_;
  woken_.wait_until(lock, due, [&] { return wakes_ != wakes; });
}

void TQSSystemClock::Wake() {
  {
    std::lock_guard lock(mutex_);
    ++wakes_;
  }
  woken_.notify_all();
}

TQSPlayClock& SystemPlayClock() {
  static TQSSystemClock clock;
  return clock;
}

double TQSVirtualClock::NowMs() {
  std::lock_guard lock(mutex_);
  return now_;
}

void TQSVirtualClock::SleepUntil(double ms) {
  std::unique_lock lock(mutex_);
  if (freeRunning_) {
    if (ms > now_) now_ = ms;
    return;
  }
  const uint64_t wakes = wakes_;
  const auto target = targets_.insert(ms);
  changed_.notify_all();
  changed_.wait(lock, [&] { return now_ >= ms || wakes_ != wakes; });
  targets_.erase(target);
}

int TQSVirtualClock::Sleepers() {
  std::lock_guard lock(mutex_);
  return SleepersLocked();
}

int TQSVirtualClock::SleepersLocked() const {
  return static_cast<int>(std::distance(targets_.upper_bound(now_), targets_.end()));
}

void TQSVirtualClock::WaitForSleepers(int threads) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return SleepersLocked() >= threads; });
}

void TQSVirtualClock::Wake() {
  {
    std::lock_guard lock(mutex_);
    ++wakes_;
  }
  changed_.notify_all();
}

void TQSVirtualClock::Advance(double ms) {
  {
    std::lock_guard lock(mutex_);
    now_ += ms;
  }
  changed_.notify_all();
}

void RaiseThreadPriority(std::thread& thread) {
  sched_param param{};
  param.sched_priority = sched_get_priority_max(SCHED_FIFO);
  // Without the right to real-time scheduling this fails and changes nothing.
  pthread_setschedparam(thread.native_handle(), SCHED_FIFO, &param);
}

}  // namespace qs
