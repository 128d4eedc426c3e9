#pragma once
// Helpers the toolkit's tests share: waiting on the message loop for what
// real input brings about, and dates written as year, month and day.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "platform/testdriver.h"
#include "uikit/localeformats.h"

namespace qs::uikit_test {

// Runs the message loop until cond holds or ms have passed; cond is
// asked once more after the last messages.
inline bool WaitFor(const std::function<bool()>& cond, int ms = 3000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    testdriver::ProcessMessages();
    if (cond()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  testdriver::ProcessMessages();
  return cond();
}

inline TDateTime D(int y, int m, int d) {
  TDateTime v = 0;
  EXPECT_TRUE(TryEncodeDate(y, m, d, v));
  return v;
}

}  // namespace qs::uikit_test
