#pragma once
// The tagged markup of help pages, news feeds and lesson scripts. It looks
// like XML but is read by a small state machine of its own: no entities,
// no comments, closing tags only close nesting levels, and a tag's
// attributes stand as child elements one level deeper, their values one
// level deeper still, quotes included. Characters are single bytes in the
// data code page.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/stream.h"

namespace qs {

namespace markup {
constexpr uint8_t StartTag = 1, AttributeName = 2, Text = 3, EmptyTag = 5;
// Nesting deeper than this is taken as this deep: no page needs it, and it
// keeps the per-depth tables of a damaged or hostile page small.
constexpr int kMaxDepth = 1024;
}  // namespace markup

struct TECMarkupToken {
  uint8_t Kind = 0;
  std::string Text;  // bytes as collected
  uint16_t Depth = 0;
};

// Tokenizes from the stream's position up to end (clamped to the stream's
// size), starting at startDepth; raises deepest to the deepest depth
// reached. The token being collected when the input ends is left out.
// Returns the number of tokens.
int TokenizeMarkup(TStream& s, int64_t end, int startDepth, int& deepest, std::vector<TECMarkupToken>& tokens);

// The tag codes of the help language.
namespace helptag {
constexpr int Xml = 1, Text = 2, Ul = 3, Li = 4, Color = 5, More = 6, Name = 7, Image = 8, Href = 9, Gref = 10,
              Lref = 11, Open = 12, Close = 13, Font = 14, Size = 15, Url = 16, Style = 17, Label = 18, Line = 19,
              P = 20, Br = 21, Embed = 22;
}
// 1..22 by a case-insensitive comparison, 0 for an unknown name.
int HelpTagIndex(std::string_view name);

// A value trimmed and, when it begins and ends with the same quotation
// mark or apostrophe, without those two.
std::string UnquoteMarkupValue(std::string_view value);
// "RRGGBB" in upper-case hexadecimal as a colour value $00BBGGRR; other
// characters are skipped, missing digits are 0.
uint32_t MarkupColor(std::string_view value);

}  // namespace qs
