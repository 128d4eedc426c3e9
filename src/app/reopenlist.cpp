#include "app/reopenlist.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "base/inifile.h"
#include "base/safefile.h"

namespace qs {

namespace {

constexpr const char* kSection = "Reopen";
constexpr const char* kCountKey = "ReopenCount";
constexpr size_t kMaxNameLength = 1000;

std::string EntryKey(int index) { return "Reopen" + std::to_string(index); }

}  // namespace

int CurrentDay() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  using namespace std::chrono;
  const year_month_day date{year{local.tm_year + 1900}, month{static_cast<unsigned>(local.tm_mon + 1)},
                            day{static_cast<unsigned>(local.tm_mday)}};
  return static_cast<int>(sys_days(date).time_since_epoch().count());
}

std::string FormatReopenDate(int dayNumber) {
  using namespace std::chrono;
  const year_month_day date{sys_days{days{dayNumber}}};
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
  return text;
}

bool ParseReopenDate(const std::string& text, int& dayNumber) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
    if (text[i] < '0' || text[i] > '9') return false;
  using namespace std::chrono;
  const year_month_day date{year{std::stoi(text.substr(0, 4))}, month{static_cast<unsigned>(std::stoi(text.substr(5, 2)))},
                            day{static_cast<unsigned>(std::stoi(text.substr(8, 2)))}};
  if (!date.ok()) return false;
  dayNumber = static_cast<int>(sys_days(date).time_since_epoch().count());
  return true;
}

bool TReopenList::Contains(const std::string& fileName) const {
  for (const TReopenEntry& e : entries_)
    if (e.FileName == fileName) return true;
  return false;
}

bool TReopenList::Add(const std::string& fileName, int day) {
  if (fileName.empty() || Contains(fileName) || !FileExists(fileName)) return false;
  entries_.insert(entries_.begin(), TReopenEntry{fileName, day});
  if (entries_.size() > static_cast<size_t>(kMaxItems)) entries_.resize(kMaxItems);
  return true;
}

bool TReopenList::Remove(const std::string& fileName) {
  const size_t before = entries_.size();
  std::erase_if(entries_, [&](const TReopenEntry& e) { return e.FileName == fileName; });
  return entries_.size() != before;
}

void TReopenList::Load(const TIniFile& ini, int today) {
  entries_.clear();
  const int count = ini.ReadInteger(kSection, kCountKey, -1);
  for (int i = 0; count < 0 ? ini.ValueExists(kSection, EntryKey(i)) : i < count; ++i) {
    const std::string value = ini.ReadString(kSection, EntryKey(i), "");
    // "<date>,<file>": a date never holds a comma, a file name may.
    const size_t comma = value.find(',');
    if (comma == std::string::npos || comma + 1 >= value.size()) continue;
    TReopenEntry entry{value.substr(comma + 1, kMaxNameLength), today};
    ParseReopenDate(value.substr(0, comma), entry.Day);
    if (Contains(entry.FileName)) continue;
    entries_.push_back(entry);
    if (entries_.size() == static_cast<size_t>(kMaxItems)) break;
  }
}

void TReopenList::Save(TIniFile& ini, const std::vector<std::string>& openFiles, int today) const {
  ini.BeginUpdate();
  for (int i = 0; i < kMaxItems; ++i) ini.DeleteKey(kSection, EntryKey(i));
  std::vector<TReopenEntry> written;
  const auto write = [&](const TReopenEntry& e) {
    if (static_cast<int>(written.size()) >= kMaxStored) return;
    for (const TReopenEntry& w : written)
      if (w.FileName == e.FileName) return;
    ini.WriteString(kSection, EntryKey(static_cast<int>(written.size())), FormatReopenDate(e.Day) + "," + e.FileName);
    written.push_back(e);
  };
  for (const std::string& file : openFiles)
    if (!Contains(file) && FileExists(file)) write(TReopenEntry{file, today});
  for (const TReopenEntry& e : entries_) write(e);
  ini.WriteInteger(kSection, kCountKey, static_cast<int>(written.size()));
  ini.EndUpdate();
}

}  // namespace qs
