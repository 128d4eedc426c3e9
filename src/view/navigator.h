#pragma once
// Texts of the timeline navigator.
#include <cstdint>
#include <string>

namespace qs {

// "mm:ss"; hours are dropped (3 723 000 ms give "02:03").
std::string FormatPlayTime(int64_t milliseconds);
// A rehearsal mark's label: the number as digits when the style's two top
// bits are 1 and 0, else letters (1 "A", 26 "Z", 27 "AA").
std::string RehearsalLabel(uint8_t style, int number);

}  // namespace qs
