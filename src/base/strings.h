#pragma once
// String helpers and the string list.
#include <string>
#include <string_view>
#include <vector>

namespace qs {

std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);
// ASCII case folding; other bytes are left as they are.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);
int CompareText(std::string_view a, std::string_view b);
bool StartsText(std::string_view prefix, std::string_view s);

// printf-style formatting into a std::string.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Whole-string integer conversion: optional blanks before, an optional
// sign, decimal digits or "$"/"0x" hexadecimal; false when it fails or
// does not fit in 32 bits.
bool TryStrToInt(std::string_view s, int& value);
// The integer value of S, Default when the conversion fails.
int StrToIntSafe(std::string_view s, int defaultValue);
bool TryStrToFloat(std::string_view s, double& value);

// Takes the field before the first separator out of S. With no separator
// in S: returns Default and leaves S alone. The field is removed even when
// its number is bad.
int TakeIntField(char sep, std::string& s, int defaultValue);
// The same for text: Field is the text before the first separator.
void TakeStrField(char sep, std::string& s, const std::string& defaultValue, std::string& field);

std::vector<std::string> SplitString(std::string_view s, char sep);

// An ordered list of strings with optional name=value entries.
class TStringList {
 public:
  TStringList() = default;
  TStringList(std::initializer_list<std::string> items) : items_(items) {}

  int Count() const { return static_cast<int>(items_.size()); }
  bool Empty() const { return items_.empty(); }
  const std::string& operator[](int i) const;
  std::string& operator[](int i);
  int Add(std::string s);
  void Insert(int index, std::string s);
  void Delete(int index);
  void Clear() { items_.clear(); }
  // Case-insensitive search; -1 when absent.
  int IndexOf(std::string_view s) const;
  int IndexOfName(std::string_view name) const;
  std::string Names(int index) const;
  std::string ValueFromIndex(int index) const;
  std::string Values(std::string_view name) const;
  void SetValue(std::string_view name, const std::string& value);

  // Lines joined with "\n"; reading splits on CR LF, LF or CR.
  std::string Text() const;
  void SetText(std::string_view text);

  void Sort();
  std::vector<std::string>& Items() { return items_; }
  const std::vector<std::string>& Items() const { return items_; }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }
  bool operator==(const TStringList&) const = default;

 private:
  std::vector<std::string> items_;
};

}  // namespace qs
