#pragma once
// The language file (".lrf"): every window's texts, string lists, fonts and
// numbered messages for one interface language.
//
// A file is a counted header text, the format version byte (16), a second
// counted text, and then the language data block, which is kept in memory
// as it is and read in place: a ternary search tree of form names (11-byte
// nodes: character, u32 record offset, three u16 links relative to the
// link field) followed by the form records. A record is a u32 length L of
// its property section, a u16 count of property entries (path, type, value),
// then a u16 message count M and M u32 offsets of counted texts.
//
// The data comes from a file, so nothing in it is trusted: every offset,
// link and count is checked against the block, and damage reads as "not
// there" instead of reading outside the data.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"

namespace qs {

inline constexpr uint8_t kLanguageFileVersion = 16;
// Counts and text lengths above this are treated as damage, as the format
// says: a property section is skipped, a value ends the record, a message
// reads as empty.
inline constexpr int kLanguageTextLimit = 1024;
// The interface languages the program ships, English first.
inline constexpr const char* kLanguageCodes[] = {"ENU", "DEU", "FRA", "ITA", "RUS"};
inline constexpr const char* kDefaultLanguage = "ENU";

// Texts in a language file are 8-bit: Russian in Windows-1251, the other
// languages in Windows-1252.
CodePage LanguageCodePage(std::string_view code);

// Property entry types.
enum class TLanguageEntryType : uint8_t { Text = 1, Strings = 2, Font = 3, Text2 = 10 };

// A font value of a property entry.
struct TLanguageFont {
  std::string Name;      // UTF-8
  uint8_t CharSet = 0;   // only the low byte of the stored word counts
  int Size = 0;          // points
};

// One property entry as read from a record, its texts already UTF-8.
struct TLanguageEntry {
  std::string Path;
  uint8_t Type = 0;
  std::string Text;                 // Text, Text2
  std::vector<std::string> Lines;   // Strings
  TLanguageFont Font;               // Font
};

// The language data block of one file, read in place.
class TLanguageData {
 public:
  TLanguageData() = default;
  TLanguageData(std::vector<uint8_t> block, CodePage codePage)
      : Block_(std::move(block)), CodePage_(codePage) {}

  bool Empty() const { return Block_.empty(); }
  const std::vector<uint8_t>& Block() const { return Block_; }

  // Offset of the record of a form in the block; nothing for an empty name,
  // a name that is not stored, or a node whose record offset is 0 (the root
  // lives there, so no record can) or lies outside the block.
  std::optional<uint32_t> FindFormRecord(std::string_view formName) const;

  // The property entries of a record in file order. Stops (keeping what
  // came before) at the first value text longer than the limit or at damage;
  // a record with more than the limit of entries gives none.
  std::vector<TLanguageEntry> ReadEntries(uint32_t record) const;

  // Message index of a record: empty for an index out of range, a text
  // longer than the limit, or damage.
  std::string Message(uint32_t record, int index) const;
  int MessageCount(uint32_t record) const;

 private:
  std::vector<uint8_t> Block_;
  CodePage CodePage_ = CodePage::Windows1252;
};

// Reads a whole language file; nothing when it is missing, unreadable or of
// another version. Never raises for the file's content.
std::optional<TLanguageData> ReadLanguageFile(const std::string& fileName, CodePage codePage);
// The same for bytes already in memory.
std::optional<TLanguageData> ParseLanguageFile(const std::vector<uint8_t>& bytes, CodePage codePage);

// ------------------------------------------------------------- writing
// The program only reads language files; the generator that makes them
// from the readable sources uses this writer, and so do the tests.

struct TLanguageFormRecord {
  std::string FormName;                 // the tree key (ASCII)
  std::vector<TLanguageEntry> Entries;  // UTF-8 texts
  std::vector<std::string> Messages;    // message 0, 1, ...; UTF-8
};

// The bytes of a whole language file. Texts are converted to the code page;
// a text that the code page cannot hold, a text longer than the limit or a
// tree too large for its 16-bit links raises EConvertError.
std::vector<uint8_t> BuildLanguageFile(const std::vector<TLanguageFormRecord>& forms, CodePage codePage);

}  // namespace qs
