#include "palettes/termlibrary.h"

#include <algorithm>

#include "base/inifile.h"
#include "base/strings.h"
#include "base/text.h"

namespace qs {

namespace {

constexpr const char* kSection = "Terms";

// The capital of a letter of the scripts the program's languages write.
char32_t Capital(char32_t c) {
  if (c >= U'a' && c <= U'z') return c - 0x20;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
  if (c == 0xFF) return 0x178;
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  return c;
}

}  // namespace

TTermDescription ParseTermRecord(const std::string& value) {
  TTermDescription t;
  const std::vector<std::string> fields = SplitString(value, ',');
  if (fields.size() >= 4) {
    const size_t n = fields.size();
    for (size_t i = 0; i + 3 < n; ++i) t.Text += (i ? "," : "") + fields[i];
    t.Kind = StrToIntSafe(Trim(fields[n - 3]), 0);
    t.Value1 = StrToIntSafe(Trim(fields[n - 2]), 0);
    t.Value2 = StrToIntSafe(Trim(fields[n - 1]), 0);
    return t;
  }
  std::string s = value;
  TakeStrField(',', s, "", t.Text);
  t.Kind = TakeIntField(',', s, 0);
  t.Value1 = TakeIntField(',', s, 0);
  t.Value2 = StrToIntSafe(Trim(s), 0);
  return t;
}

std::string FormatTermRecord(const TTermDescription& t) {
  return t.Text + "," + std::to_string(t.Kind) + "," + std::to_string(t.Value1) + "," + std::to_string(t.Value2);
}

std::string TermKey(std::string_view text) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) AppendUtf8(out, Capital(NextCodePoint(text, i)));
  return out;
}

void TTermLibrary::Load(const std::string& fileName) {
  Items.clear();
  if (!fileName.empty()) {
    const TIniFile ini(fileName);
    const int count = ini.ReadInteger(kSection, "TermMax", 0);
    for (int i = 0; i < count; ++i) {
      const std::string value = ini.ReadString(kSection, "Term" + std::to_string(i), "");
      if (!value.empty()) Add(ParseTermRecord(value));
    }
  }
  Rebuild();
}

void TTermLibrary::Save(const std::string& fileName) const {
  if (fileName.empty()) return;
  TIniFile ini(fileName);
  ini.BeginUpdate();
  // Records of a longer library before must not linger under the section.
  ini.EraseSection(kSection);
  ini.WriteInteger(kSection, "TermMax", static_cast<int>(Items.size()));
  for (size_t i = 0; i < Items.size(); ++i)
    ini.WriteString(kSection, "Term" + std::to_string(i), FormatTermRecord(*Items[i]));
  ini.EndUpdate();
}

void TTermLibrary::Rebuild() {
  lookup_.clear();
  duplicates_.clear();
  for (const auto& t : Items) {
    if (t->Kind <= tkInscription) continue;
    // A second expression of the same text must not stop the others from
    // being found: the first one keeps the text.
    if (!lookup_.emplace(TermKey(t->Text), t.get()).second) duplicates_.push_back(t->Text);
  }
}

const TTermDescription* TTermLibrary::Find(std::string_view text) const {
  const auto it = lookup_.find(TermKey(text));
  return it == lookup_.end() ? nullptr : it->second;
}

TTermDescription& TTermLibrary::Add(TTermDescription term) {
  Items.push_back(std::make_unique<TTermDescription>(std::move(term)));
  return *Items.back();
}

int TTermLibrary::IndexOf(const TTermDescription* term) const {
  for (size_t i = 0; i < Items.size(); ++i)
    if (Items[i].get() == term) return static_cast<int>(i);
  return -1;
}

void TTermLibrary::MoveToFront(const TTermDescription* term) {
  const int i = IndexOf(term);
  if (i <= 0) return;
  std::rotate(Items.begin(), Items.begin() + i, Items.begin() + i + 1);
}

}  // namespace qs
