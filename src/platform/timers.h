#pragma once
// Timers that fire on the window thread, and worker threads that hand work
// to the window thread (Synchronize waits for it, Queue does not).
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "platform/components.h"

namespace qs {

class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;
  const char* ClassName() const override { return "TTimer"; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  // Milliseconds between two OnTimer calls; 0 stops the timer.
  int Interval() const { return interval_; }
  void SetInterval(int ms);
  TNotifyEvent OnTimer;

 private:
  void Restart();
  bool enabled_ = true;
  int interval_ = 1000;
  struct TImpl;
  std::unique_ptr<TImpl> impl_;
};

// Milliseconds of a steady clock since an arbitrary start, for measuring
// intervals: never set back and wide enough never to wrap.
uint64_t GetTickCount();

// A worker thread: Execute runs on it after Start.
class TThread {
 public:
  TThread() = default;
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  void Start();
  // Asks Execute to end (it reads Terminated).
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  bool Finished() const { return finished_; }
  // Waits for Execute to end. On the window thread, work the thread hands
  // over meanwhile (Synchronize, Queue) still runs, so the two cannot wait
  // for each other.
  void WaitFor();
  // Runs on the window thread after Execute ended.
  TNotifyEvent OnTerminate;

  // Runs method on the window thread and waits until it has run; on the
  // window thread itself it runs at once. An exception of method is thrown
  // again here.
  static void Synchronize(const std::function<void()>& method);
  // Runs method on the window thread later, in the order queued.
  static void Queue(std::function<void()> method);
  // True on the window thread.
  static bool IsMainThread();

 protected:
  virtual void Execute() = 0;

 private:
  std::thread thread_;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
};

}  // namespace qs
