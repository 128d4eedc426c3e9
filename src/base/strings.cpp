#include "base/strings.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "base/exceptions.h"

namespace qs {

namespace {
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }
char Up(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
char Low(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
}  // namespace

std::string Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

std::string TrimLeft(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  return std::string(s.substr(i));
}

std::string TrimRight(std::string_view s) {
  size_t n = s.size();
  while (n > 0 && IsBlank(s[n - 1])) --n;
  return std::string(s.substr(0, n));
}

std::string UpperCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = Up(c);
  return r;
}

std::string LowerCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = Low(c);
  return r;
}

int CompareText(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    auto x = static_cast<unsigned char>(Up(a[i]));
    auto y = static_cast<unsigned char>(Up(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareText(a, b) == 0;
}

bool StartsText(std::string_view prefix, std::string_view s) {
  return s.size() >= prefix.size() && SameText(prefix, s.substr(0, prefix.size()));
}

std::string Format(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  va_list ap2;
  va_copy(ap2, ap);
  int n = std::vsnprintf(nullptr, 0, fmt, ap);
  va_end(ap);
  std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(out.data(), out.size() + 1, fmt, ap2);
  va_end(ap2);
  return out;
}

bool TryStrToInt(std::string_view s, int& value) {
  size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  int base = 10;
  if (i < s.size() && s[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= s.size()) return false;
  long long v = 0;
  for (; i < s.size(); ++i) {
    int d;
    char c = s[i];
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    v = v * base + d;
    if (v > 0x100000000ll) return false;
  }
  if (negative) v = -v;
  // Hexadecimal accepts the full 32-bit pattern, as the platform does.
  if (base == 16 && v > std::numeric_limits<int>::max() && v <= 0xFFFFFFFFll) v -= 0x100000000ll;
  if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) return false;
  value = static_cast<int>(v);
  return true;
}

int StrToIntSafe(std::string_view s, int defaultValue) {
  int v;
  return TryStrToInt(s, v) ? v : defaultValue;
}

bool TryStrToFloat(std::string_view s, double& value) {
  std::string t = Trim(s);
  if (t.empty()) return false;
  std::replace(t.begin(), t.end(), ',', '.');
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(t.c_str(), &end);
  if (end != t.c_str() + t.size() || errno == ERANGE) return false;
  value = v;
  return true;
}

int TakeIntField(char sep, std::string& s, int defaultValue) {
  auto p = s.find(sep);
  if (p == std::string::npos) return defaultValue;
  int v = StrToIntSafe(std::string_view(s).substr(0, p), defaultValue);
  s.erase(0, p + 1);
  return v;
}

void TakeStrField(char sep, std::string& s, const std::string& defaultValue, std::string& field) {
  auto p = s.find(sep);
  if (p == std::string::npos) {
    field = defaultValue;
    return;
  }
  field = s.substr(0, p);
  s.erase(0, p + 1);
}

std::vector<std::string> SplitString(std::string_view s, char sep) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    auto p = s.find(sep, start);
    if (p == std::string_view::npos) {
      out.emplace_back(s.substr(start));
      return out;
    }
    out.emplace_back(s.substr(start, p - start));
    start = p + 1;
  }
}

// ---------------------------------------------------------------- list

const std::string& TStringList::operator[](int i) const {
  if (i < 0 || i >= Count()) RaiseListIndexError(i);
  return items_[static_cast<size_t>(i)];
}

std::string& TStringList::operator[](int i) {
  if (i < 0 || i >= Count()) RaiseListIndexError(i);
  return items_[static_cast<size_t>(i)];
}

int TStringList::Add(std::string s) {
  items_.push_back(std::move(s));
  return Count() - 1;
}

void TStringList::Insert(int index, std::string s) {
  if (index < 0 || index > Count()) RaiseListIndexError(index);
  items_.insert(items_.begin() + index, std::move(s));
}

void TStringList::Delete(int index) {
  if (index < 0 || index >= Count()) RaiseListIndexError(index);
  items_.erase(items_.begin() + index);
}

int TStringList::IndexOf(std::string_view s) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(items_[static_cast<size_t>(i)], s)) return i;
  return -1;
}

int TStringList::IndexOfName(std::string_view name) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(Names(i), name)) return i;
  return -1;
}

std::string TStringList::Names(int index) const {
  const std::string& s = (*this)[index];
  auto p = s.find('=');
  return p == std::string::npos ? std::string() : s.substr(0, p);
}

std::string TStringList::ValueFromIndex(int index) const {
  const std::string& s = (*this)[index];
  auto p = s.find('=');
  return p == std::string::npos ? std::string() : s.substr(p + 1);
}

std::string TStringList::Values(std::string_view name) const {
  int i = IndexOfName(name);
  return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStringList::SetValue(std::string_view name, const std::string& value) {
  int i = IndexOfName(name);
  std::string entry = std::string(name) + "=" + value;
  if (i < 0) Add(entry);
  else items_[static_cast<size_t>(i)] = entry;
}

std::string TStringList::Text() const {
  std::string out;
  for (const auto& s : items_) {
    out += s;
    out += '\n';
  }
  return out;
}

void TStringList::SetText(std::string_view text) {
  items_.clear();
  size_t i = 0, start = 0;
  while (i < text.size()) {
    if (text[i] == '\r' || text[i] == '\n') {
      items_.emplace_back(text.substr(start, i - start));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = ++i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) items_.emplace_back(text.substr(start));
}

void TStringList::Sort() {
  std::stable_sort(items_.begin(), items_.end(),
                   [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
}

}  // namespace qs
