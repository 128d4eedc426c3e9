#include "platform/timers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <exception>

#include "platform/gui.h"

namespace qs {

struct TTimer::TImpl {
  QTimer Timer;
};

TTimer::TTimer(TComponent* owner) : TComponent(owner), impl_(std::make_unique<TImpl>()) {
  EnsureGuiApplication();
  QObject::connect(&impl_->Timer, &QTimer::timeout, [this] { Fire(OnTimer, this); });
  Restart();
}

TTimer::~TTimer() {
  BeginDestroy();
  impl_->Timer.stop();
}

void TTimer::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Restart();
}

void TTimer::SetInterval(int ms) {
  if (ms == interval_) return;
  interval_ = std::max(0, ms);
  Restart();
}

void TTimer::Restart() {
  impl_->Timer.stop();
  if (enabled_ && interval_ > 0) impl_->Timer.start(interval_);
}

uint64_t GetTickCount() {
  static QElapsedTimer clock = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return static_cast<uint64_t>(clock.elapsed());
}

TThread::~TThread() {
  if (thread_.joinable()) {
    terminated_ = true;
    WaitFor();
  }
}

void TThread::Start() {
  if (thread_.joinable()) return;
  EnsureGuiApplication();
  thread_ = std::thread([this] {
    try {
      Execute();
    } catch (...) {
      // A worker's failure must not end the program; Execute reports its
      // own errors.
    }
    finished_ = true;
    if (OnTerminate) Queue([this] { Fire(OnTerminate, nullptr); });
    if (auto* app = QCoreApplication::instance()) QMetaObject::invokeMethod(app, [] {}, Qt::QueuedConnection);
  });
}

void TThread::WaitFor() {
  if (!thread_.joinable()) return;
  if (IsMainThread()) {
    while (!finished_) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  thread_.join();
  if (IsMainThread()) QCoreApplication::sendPostedEvents();
}

bool TThread::IsMainThread() {
  auto* app = QCoreApplication::instance();
  return !app || QThread::currentThread() == app->thread();
}

void TThread::Synchronize(const std::function<void()>& method) {
  if (IsMainThread()) {
    method();
    return;
  }
  std::exception_ptr failure;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [&] {
        try {
          method();
        } catch (...) {
          failure = std::current_exception();
        }
      },
      Qt::BlockingQueuedConnection);
  if (failure) std::rethrow_exception(failure);
}

void TThread::Queue(std::function<void()> method) {
  EnsureGuiApplication();
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(method), Qt::QueuedConnection);
}

}  // namespace qs
