#pragma once
// Fonts: where a face name comes from, how text is measured, and the music
// font.
//
// Measuring follows one rule everywhere, so that a layout comes out the same
// on every machine: a font of Height -h has an em of h pixels (a positive
// Height is the cell height, ascent plus descent); each character advances
// by its design advance scaled to that em and rounded to whole pixels, and
// a text is as wide as the sum of its characters (no kerning). Ascent and
// descent are the font's Windows ascent and descent scaled the same way.
// Text fonts are read from font files named by one substitution table (see
// fonts.cpp), never from whatever the system would fall back to.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/exceptions.h"
#include "platform/canvas.h"

namespace qs {

class EFontError : public Exception { using Exception::Exception; };

// Text measurement of a logical font; the results do not depend on a device.
int TextWidth(const TFont& font, std::u16string_view text);
// The widest a text counts where its width is added to places and other
// widths (some kilometres on any screen): a name or words of any length
// leave room for those sums in an int.
constexpr int kMaxTextWidth = 1 << 24;
constexpr int LimitedTextWidth(int width) { return width < kMaxTextWidth ? width : kMaxTextWidth; }
int CharWidth(const TFont& font, char32_t ch);
TTextMetric GetTextMetrics(const TFont& font);

// The family and file the face name (with the font's bold and italic
// style) is read from, e.g. "Arial" -> "Liberation Sans".
struct TFontSource {
  std::string Family;
  std::string File;  // empty when an installed system font had to serve
};
TFontSource ResolveFont(const TFont& font);
// The face names the screen offers: the faces scores name that the program
// stands in for ("Arial" ...), its own families and every installed one,
// unsorted.
std::vector<std::string> ScreenFontFaces();
// True when the face has a glyph for every character of text.
bool FontHasGlyphs(const TFont& font, std::u16string_view text);
// True when the glyph the face draws for ch has an outline.
bool GlyphHasOutline(const TFont& font, char32_t ch);

// The music font. Its glyphs are addressed by byte codes 0..255; code c is
// the character U+F000 + c (one character per glyph, drawn one at a time,
// so that codes in the control and space ranges draw like any other).
inline constexpr const char* MusicFontName = "Quavero Symbols";
inline constexpr const char* MusicFontFile = "fonts/QuaveroSymbols.ttf";
constexpr char16_t MusicGlyphChar(uint8_t code) { return char16_t(0xF000 + code); }
inline std::u16string MusicGlyphText(uint8_t code) { return std::u16string(1, MusicGlyphChar(code)); }
// The code of a music glyph character; -1 for any other character.
constexpr int MusicGlyphCode(char16_t ch) { return ch >= 0xF000 && ch <= 0xF0FF ? ch - 0xF000 : -1; }
// A glyph of a symbol face (the music font) by code, or a single-byte
// character of a text face in the program's code page.
std::u16string FontGlyphText(const std::string& face, uint8_t code);
bool IsMusicFont(std::string_view face);

// Loads the music font from beside the program (FindResource) and makes it
// known under MusicFontName. Raises EFontError with a message for the user
// when the file is missing or unreadable. Loading again does nothing.
void LoadMusicFont();
bool MusicFontLoaded();
// Loads a font file and makes it known under face (tests, tools).
void RegisterFontFile(const std::string& face, const std::string& file);

}  // namespace qs
