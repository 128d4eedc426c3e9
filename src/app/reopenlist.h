#pragma once
// The list of recently closed files (File > Reopen), newest first, kept
// in the settings under [Reopen]: "ReopenCount" and "Reopen<i>" =
// "<date>,<file name>". The date is the day the entry was made, always
// written "yyyy-mm-dd", whatever the locale.
#include <string>
#include <vector>

namespace qs {

class TIniFile;

struct TReopenEntry {
  std::string FileName;
  int Day = 0;  // days since 1970-01-01
};

// The current local day, and days in the stored form.
int CurrentDay();
std::string FormatReopenDate(int day);
// False (day unchanged) for anything but a valid "yyyy-mm-dd".
bool ParseReopenDate(const std::string& text, int& day);

class TReopenList {
 public:
  // The list holds at most kMaxItems; at most kMaxStored are written.
  static constexpr int kMaxItems = 20;
  static constexpr int kMaxStored = 19;

  const std::vector<TReopenEntry>& Entries() const { return entries_; }
  bool Contains(const std::string& fileName) const;
  // Puts an existing file at the top, dated day; a file listed already or
  // missing is left alone. False when nothing changed.
  bool Add(const std::string& fileName, int day);
  // Drops the file's entries; false when it had none.
  bool Remove(const std::string& fileName);

  // Reads the list: with a count the entries 0 .. count - 1, without one
  // the entries up to the first missing one. A date that does not read is
  // today's.
  void Load(const TIniFile& ini, int today);
  // Writes first the open documents' files (in tab order; those already
  // listed, missing ones and duplicates left out) dated today, then the
  // list's own entries, at most kMaxStored in all.
  void Save(TIniFile& ini, const std::vector<std::string>& openFiles, int today) const;

 private:
  std::vector<TReopenEntry> entries_;
};

}  // namespace qs
