// The main of every test executable. Tests need no display: the drawing
// backends run on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/gui.h"

int main(int argc, char** argv) {
  const char* qpa = std::getenv("QT_QPA_PLATFORM");
  if (!qpa || !*qpa) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Layout numbers in tests are worked out for a 96 ppi screen.
  qs::SetScreenPixelsPerInch(96);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
