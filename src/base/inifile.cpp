#include "base/inifile.h"

#include <cstdio>

#include "base/safefile.h"

namespace qs {

namespace {
std::string Unquote(std::string v) {
  if (v.size() >= 2 && ((v.front() == '"' && v.back() == '"') || (v.front() == '\'' && v.back() == '\'')))
    return v.substr(1, v.size() - 2);
  return v;
}
}  // namespace

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {
  if (!FileExists(fileName_)) return;
  TStringList lines;
  lines.SetText(ReadFileText(fileName_));
  Section* current = nullptr;
  for (const std::string& raw : lines) {
    std::string t = Trim(raw);
    if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
      sections_.push_back(Section{Trim(t.substr(1, t.size() - 2)), {}});
      current = &sections_.back();
      continue;
    }
    Line line;
    auto eq = t.find('=');
    if (!t.empty() && t[0] != ';' && eq != std::string::npos && eq > 0) {
      line.key = Trim(t.substr(0, eq));
      line.value = Unquote(Trim(t.substr(eq + 1)));
    } else {
      line.raw = raw;
    }
    if (current) current->lines.push_back(std::move(line));
    else preamble_.push_back(raw);
  }
}

const TIniFile::Section* TIniFile::Find(const std::string& section) const {
  for (const auto& s : sections_)
    if (SameText(s.name, section)) return &s;
  return nullptr;
}

TIniFile::Section& TIniFile::FindOrAdd(const std::string& section) {
  if (auto* s = Find(section)) return const_cast<Section&>(*s);
  sections_.push_back(Section{section, {}});
  return sections_.back();
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
  if (const Section* s = Find(section))
    for (const auto& l : s->lines)
      if (!l.key.empty() && SameText(l.key, key)) return l.value;
  return defaultValue;
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int defaultValue) const {
  return StrToIntSafe(ReadString(section, key, ""), defaultValue);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(const std::string& section, const std::string& key, double defaultValue) const {
  double v;
  return TryStrToFloat(ReadString(section, key, ""), v) ? v : defaultValue;
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  Section& s = FindOrAdd(section);
  bool found = false;
  for (auto& l : s.lines)
    if (!l.key.empty() && SameText(l.key, key)) {
      if (l.value == value) return;
      l.value = value;
      found = true;
      break;
    }
  if (!found) {
    // New keys go after the section's last entry, before trailing blank lines.
    size_t at = s.lines.size();
    while (at > 0 && s.lines[at - 1].key.empty() && Trim(s.lines[at - 1].raw).empty()) --at;
    s.lines.insert(s.lines.begin() + static_cast<long>(at), Line{key, value, {}});
  }
  Save();
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void TIniFile::WriteFloat(const std::string& section, const std::string& key, double value) {
  WriteString(section, key, Format("%.15g", value));
}

bool TIniFile::SectionExists(const std::string& section) const { return Find(section) != nullptr; }

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
  if (const Section* s = Find(section))
    for (const auto& l : s->lines)
      if (!l.key.empty() && SameText(l.key, key)) return true;
  return false;
}

TStringList TIniFile::ReadSection(const std::string& section) const {
  TStringList out;
  if (const Section* s = Find(section))
    for (const auto& l : s->lines)
      if (!l.key.empty()) out.Add(l.key);
  return out;
}

TStringList TIniFile::ReadSectionValues(const std::string& section) const {
  TStringList out;
  if (const Section* s = Find(section))
    for (const auto& l : s->lines)
      if (!l.key.empty()) out.Add(l.key + "=" + l.value);
  return out;
}

TStringList TIniFile::ReadSections() const {
  TStringList out;
  for (const auto& s : sections_) out.Add(s.name);
  return out;
}

void TIniFile::EraseSection(const std::string& section) {
  for (auto it = sections_.begin(); it != sections_.end(); ++it)
    if (SameText(it->name, section)) {
      sections_.erase(it);
      Save();
      return;
    }
}

void TIniFile::DeleteKey(const std::string& section, const std::string& key) {
  if (const Section* cs = Find(section)) {
    auto& lines = const_cast<Section*>(cs)->lines;
    for (auto it = lines.begin(); it != lines.end(); ++it)
      if (!it->key.empty() && SameText(it->key, key)) {
        lines.erase(it);
        Save();
        return;
      }
  }
}

void TIniFile::EndUpdate() {
  if (updating_ > 0 && --updating_ == 0 && dirty_) Save();
}

void TIniFile::Save() {
  if (updating_ > 0) {
    dirty_ = true;
    return;
  }
  dirty_ = false;
  std::string out;
  for (const auto& p : preamble_) out += p + "\n";
  for (const auto& s : sections_) {
    out += "[" + s.name + "]\n";
    for (const auto& l : s.lines) out += (l.key.empty() ? l.raw : l.key + "=" + l.value) + "\n";
  }
  SafeSaveText(fileName_, out);
}

// ---------------------------------------------------------------- bounds

TRect ParseBounds(std::string value, const TRect& current) {
  int left = TakeIntField(',', value, current.Left);
  int top = TakeIntField(',', value, current.Top);
  int width = TakeIntField(',', value, current.Width());
  int height = StrToIntSafe(value, current.Height());
  if (left < -width) left = 0;
  if (top < -height) top = 0;
  return Bounds(left, top, width, height);
}

std::string FormatBounds(const TRect& b) {
  return Format("%d,%d,%d,%d", b.Left, b.Top, b.Width(), b.Height());
}

bool ReadFormBounds(const TIniFile& ini, const std::string& section, TRect& bounds) {
  std::string v = ini.ReadString(section, "Bounds", "");
  if (v.empty()) return false;
  bounds = ParseBounds(v, bounds);
  return true;
}

void WriteFormBounds(TIniFile& ini, const std::string& section, const TRect& bounds) {
  ini.WriteString(section, "Bounds", FormatBounds(bounds));
}

}  // namespace qs
