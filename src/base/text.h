#pragma once
// Text encodings. The program keeps text as UTF-8 in memory; single-byte
// strings in files are in an ANSI code page and wide strings are UTF-16LE.
#include <string>
#include <string_view>

namespace qs {

enum class CodePage { Windows1252 = 1252, Windows1251 = 1251 };

// The code page of single-byte strings in data files (Windows-1252 unless
// the program is set to Russian data).
CodePage DefaultCodePage();
void SetDefaultCodePage(CodePage cp);

std::string AnsiToUtf8(std::string_view bytes, CodePage cp);
std::string AnsiToUtf8(std::string_view bytes);
// Characters the code page does not hold become '?'; *lossless tells.
std::string Utf8ToAnsi(std::string_view utf8, CodePage cp, bool* lossless = nullptr);
std::string Utf8ToAnsi(std::string_view utf8);

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Decodes one code point at i (advancing i); malformed input gives U+FFFD.
char32_t NextCodePoint(std::string_view utf8, size_t& i);
void AppendUtf8(std::string& out, char32_t cp);

}  // namespace qs
