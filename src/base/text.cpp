#include "base/text.h"

#include <atomic>
#include <unordered_map>

namespace qs {

namespace {
#include "base/codepage_tables.inc"

std::atomic<CodePage> g_codePage{CodePage::Windows1252};

const char16_t* HighTable(CodePage cp) { return cp == CodePage::Windows1251 ? kCp1251High : kCp1252High; }

const std::unordered_map<char32_t, uint8_t>& ReverseTable(CodePage cp) {
  static const auto build = [](const char16_t* t) {
    std::unordered_map<char32_t, uint8_t> m;
    for (int i = 0; i < 128; ++i) m.emplace(t[i], static_cast<uint8_t>(0x80 + i));
    return m;
  };
  static const auto r1252 = build(kCp1252High);
  static const auto r1251 = build(kCp1251High);
  return cp == CodePage::Windows1251 ? r1251 : r1252;
}
}  // namespace

CodePage DefaultCodePage() { return g_codePage.load(); }
void SetDefaultCodePage(CodePage cp) { g_codePage.store(cp); }

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

char32_t NextCodePoint(std::string_view s, size_t& i) {
  auto byte = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
  uint8_t b = byte(i);
  if (b < 0x80) { ++i; return b; }
  int len = (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
  if (len == 0 || i + len > s.size()) { ++i; return 0xFFFD; }
  char32_t cp = b & (0x7F >> len);
  for (int k = 1; k < len; ++k) {
    uint8_t c = byte(i + k);
    if ((c & 0xC0) != 0x80) { ++i; return 0xFFFD; }
    cp = (cp << 6) | (c & 0x3F);
  }
  static const char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
  i += len;
  if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFD;
  return cp;
}

std::string AnsiToUtf8(std::string_view bytes, CodePage cp) {
  const char16_t* high = HighTable(cp);
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    auto b = static_cast<uint8_t>(c);
    if (b < 0x80) out += c;
    else AppendUtf8(out, high[b - 0x80]);
  }
  return out;
}

std::string AnsiToUtf8(std::string_view bytes) { return AnsiToUtf8(bytes, DefaultCodePage()); }

std::string Utf8ToAnsi(std::string_view utf8, CodePage cp, bool* lossless) {
  const auto& rev = ReverseTable(cp);
  std::string out;
  out.reserve(utf8.size());
  bool ok = true;
  for (size_t i = 0; i < utf8.size();) {
    char32_t c = NextCodePoint(utf8, i);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (auto it = rev.find(c); it != rev.end()) {
      out += static_cast<char>(it->second);
    } else {
      out += '?';
      ok = false;
    }
  }
  if (lossless) *lossless = ok;
  return out;
}

std::string Utf8ToAnsi(std::string_view utf8) { return Utf8ToAnsi(utf8, DefaultCodePage()); }

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    char32_t c = NextCodePoint(utf8, i);
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    char32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}

}  // namespace qs
