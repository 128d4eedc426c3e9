#pragma once
// Settings file in the format of a Windows profile file: "[Section]"
// headers and "Key=Value" lines. Sections and keys are compared without
// regard to case; every write goes to disk at once (a safe save), and the
// file's other lines, comments and order are kept.
#include <string>
#include <vector>

#include "base/geometry.h"
#include "base/strings.h"

namespace qs {

class TIniFile {
 public:
  // A missing file reads as empty and is created by the first write.
  explicit TIniFile(std::string fileName);

  const std::string& FileName() const { return fileName_; }

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const;
  int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
  bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;
  double ReadFloat(const std::string& section, const std::string& key, double defaultValue) const;

  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int value);
  void WriteBool(const std::string& section, const std::string& key, bool value);  // "1" / "0"
  void WriteFloat(const std::string& section, const std::string& key, double value);

  bool SectionExists(const std::string& section) const;
  bool ValueExists(const std::string& section, const std::string& key) const;
  TStringList ReadSection(const std::string& section) const;         // the keys
  TStringList ReadSectionValues(const std::string& section) const;   // "key=value"
  TStringList ReadSections() const;
  void EraseSection(const std::string& section);
  void DeleteKey(const std::string& section, const std::string& key);

  // Many writes, one save: writes between the two calls reach the disk at
  // EndUpdate.
  void BeginUpdate() { ++updating_; }
  void EndUpdate();

 private:
  struct Line {
    std::string key;    // empty for comments and blank lines
    std::string value;
    std::string raw;    // the line as read, for lines that are not entries
  };
  struct Section {
    std::string name;
    std::vector<Line> lines;
  };

  const Section* Find(const std::string& section) const;
  Section& FindOrAdd(const std::string& section);
  void Save();

  std::string fileName_;
  std::vector<std::string> preamble_;  // lines before the first section
  std::vector<Section> sections_;
  int updating_ = 0;
  bool dirty_ = false;
};

// A form's position kept under key "Bounds": left, top, width and height
// as decimal integers separated by commas. Fields that are missing or bad
// keep the value that `bounds` held; a left below -width or a top below
// -height is reset to 0. Returns false when the key is absent.
bool ReadFormBounds(const TIniFile& ini, const std::string& section, TRect& bounds);
void WriteFormBounds(TIniFile& ini, const std::string& section, const TRect& bounds);
// The same rules on the value alone.
TRect ParseBounds(std::string value, const TRect& current);
std::string FormatBounds(const TRect& bounds);

}  // namespace qs
