#pragma once
// Small shared helpers of the score model: labels, rectangles, play times
// and temporary file names.
#include <cstdint>
#include <string>

#include "base/geometry.h"

namespace qs {

// Roman numerals the way page numbers and marks show them: the units digit
// as I .. IX, preceded by one X per ten (40 gives XXXX; L, C and M are never
// used). 0 and negative numbers give "".
std::string IntToRoman(int n);

// 0-based spreadsheet-column letters: 0 A, 25 Z, 26 AA, 701 ZZ, 702 AAA.
// Negative numbers give "".
std::string IntToLetters(int n);

// The same rectangle with left <= right and top <= bottom.
TRect NormalizeRect(const TRect& src);
// A two-corner rectangle as origin and size in the same record: Left/Top
// are the smaller coordinates, Right/Bottom the width and height.
TRect RectToBounds(const TRect& src);

// "hh:mm:ss" of a time in milliseconds; the hours are not wrapped at 24.
std::string MsToTimeStr(int64_t milliseconds);

// Picks a name "md0" .. "md99" for which no file folder + name + ext
// exists, creates that file (empty, exclusively, so no other process can
// take the same name meanwhile) and returns the name without folder and
// extension. folder ends with its separator, ext begins with its dot.
// Raises EFCreateError when all hundred names are taken or the file cannot
// be created.
std::string MakeTempFileName(const std::string& folder, const std::string& ext);
std::string MakeUniqueFileName(const std::string& folder, const std::string& ext);

}  // namespace qs
