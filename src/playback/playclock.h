#pragma once
// The clocks the play, record and note-off threads pace their passes by.
// Each thread keeps an accumulated due time in milliseconds and sleeps only
// while it is ahead of it, so rounding never drifts and a late pass is
// followed at once by the next.
//
// The system clock is the real one. A virtual clock runs the same loops
// without waiting: free-running it jumps to every due time at once (as
// fast as the machine can, for rendering and tests); stepped, a sleeping
// thread waits until the owner advances the time.
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <set>
#include <thread>

namespace qs {

class TQSPlayClock {
 public:
  virtual ~TQSPlayClock() = default;
  // Milliseconds since some fixed point.
  virtual double NowMs() = 0;
  // Returns at the time ms, or earlier when woken.
  virtual void SleepUntil(double ms) = 0;
  // Ends every SleepUntil now in progress.
  virtual void Wake() = 0;
};

// The monotonic system clock.
class TQSSystemClock : public TQSPlayClock {
 public:
  double NowMs() override;
  void SleepUntil(double ms) override;
  void Wake() override;

 private:
  std::mutex mutex_;
  std::condition_variable woken_;
  uint64_t wakes_ = 0;
};

// The clock every thread uses unless it is given another.
TQSPlayClock& SystemPlayClock();

class TQSVirtualClock : public TQSPlayClock {
 public:
  // Free-running: SleepUntil moves the time to its target at once.
  explicit TQSVirtualClock(bool freeRunning = true) : freeRunning_(freeRunning) {}

  double NowMs() override;
  void SleepUntil(double ms) override;
  void Wake() override;
  // Stepped: moves the time on; the sleepers that are due run.
  void Advance(double ms);
  // Stepped: waits until `threads` threads sleep towards a time still to
  // come (each has run every pass due so far).
  void WaitForSleepers(int threads);
  // Stepped: the threads sleeping towards a time still to come.
  int Sleepers();

 private:
  int SleepersLocked() const;

  std::mutex mutex_;
  std::condition_variable changed_;
  bool freeRunning_;
  double now_ = 0;
  uint64_t wakes_ = 0;
  std::multiset<double> targets_;
};

// Asks for the time-critical scheduling of a play thread; where the system
// does not allow it the thread runs at its normal priority.
void RaiseThreadPriority(std::thread& thread);

}  // namespace qs
