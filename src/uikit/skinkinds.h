#pragma once
// The kinds of window skin: ordinary dialogs and the document window, the
// main window, small windows, tool windows and the middle-sized window.
#include <cstdint>

namespace qs::skinkind {

constexpr uint8_t Normal = 0, Main = 1, Small = 2, Tool = 3, Middle = 4;
constexpr int kCount = 5;

}  // namespace qs::skinkind
