#pragma once
// What the user's library files have in common: the file header
// (signature byte, header string, version), reading and safe saving of
// the files in the "Templates" folder, and the index files that list a
// library ("Symbols.ini", "Chords.ini", "Guitars.ini").
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "base/safefile.h"
#include "base/stream.h"

namespace qs {

// Reads the signature byte; one that is not among `accepted` raises
// EReadError(notMessage). Returns the byte read.
uint8_t ReadLibrarySignature(TStream& s, std::initializer_list<uint8_t> accepted, const char* notMessage);
// Reads the header string (not compared) and the version; a version above
// `newest` raises EReadError(newerMessage).
uint16_t ReadLibraryVersion(TStream& s, uint16_t newest, const char* newerMessage);
void WriteLibraryHeader(TStream& s, uint8_t signature, const char* header, uint16_t version);

// Reads `<Templates>/<name with extension ext>` (the user's own or the
// shipped one) when it exists; false when there is none.
bool LoadTemplateFile(const std::string& name, const std::string& ext, const std::function<void(TStream&)>& read);
// Reads the file at path when it exists; false when it does not.
bool LoadLibraryFile(const std::string& path, const std::function<void(TStream&)>& read);
// Saves `<user's Templates>/<name with extension ext>` safely.
void SaveTemplateFile(const std::string& name, const std::string& ext, const std::function<void(TStream&)>& write);
// "<name>.<LANGUAGE><ext>" when the Templates folders hold that file (a
// library's translation), else name. The extension stays part of the
// name, so that the language code is not taken for the extension.
std::string LocalizedTemplateName(const std::string& name, const std::string& ext, const std::string& language);
// The file name without folder and extension.
std::string LibraryEntryName(const std::string& path);
// A name the user typed for a library file, made fit to stand in the
// Templates folder: no folder separators, no characters that file systems
// refuse (they become "_"), no dots or spaces at either end (so neither
// "." nor ".." remains) and at most 200 bytes. "" when nothing is left.
std::string CleanLibraryFileName(const std::string& typed);
// Whether a name typed or read for a library entry can stand for a file in
// the Templates folder and nowhere else: not empty, not "." or "..", no
// folder separator, no control character and none of the characters other
// systems refuse in file names (< > : " | ? * \).
bool IsLibraryEntryName(const std::string& name);

// The file operations of a library entry T: it has a `FileName`, its own
// LoadFromStream and SaveToStream, and the extension T::kExtension.
template <class T>
class TTemplateFile {
 public:
  // `Templates/<FileName with the extension>`, the user's or the shipped
  // one, when it exists; nothing otherwise.
  void LoadFromFile() {
    LoadTemplateFile(Self().FileName, T::kExtension, [this](TStream& s) { Self().LoadFromStream(s); });
  }
  // The user's `Templates/<FileName with the extension>`, saved safely.
  void SaveToFile() const {
    SaveTemplateFile(Self().FileName, T::kExtension, [this](TStream& s) { Self().SaveToStream(s); });
  }

 protected:
  T& Self() { return static_cast<T&>(*this); }
  const T& Self() const { return static_cast<const T&>(*this); }
};

// Entries that are also imported from and exported to any file.
template <class T>
class TImportableTemplateFile : public TTemplateFile<T> {
 public:
  // The file at path, when it exists; then FileName becomes its name.
  void ImportFromFile(const std::string& path) {
    if (LoadLibraryFile(path, [this](TStream& s) { this->Self().LoadFromStream(s); }))
      this->Self().FileName = LibraryEntryName(path);
  }
  void ExportToFile(const std::string& path) const {
    SafeSaveFile(path, [this](TStream& s) { this->Self().SaveToStream(s); });
  }
};

// The keys of an index file: section, "<Key>Max" and "<Key><i>".
struct TLibraryIndexKeys {
  const char* FileName;
  const char* Section;
  const char* Key;
  const char* Extension;  // of the library files it lists
};
inline constexpr TLibraryIndexKeys kSymbolIndex{"Symbols.ini", "Symbols", "Symbol", ".smb"};
inline constexpr TLibraryIndexKeys kChordIndex{"Chords.ini", "Chords", "Chord", ".chd"};
inline constexpr TLibraryIndexKeys kGuitarIndex{"Guitars.ini", "Guitar", "Guitar", ".gtr"};

// An entry of an index whose file is missing or cannot be read.
struct TLibraryProblem {
  std::string Index;  // the index file's name
  std::string Entry;  // the entry as written
  std::string Error;  // why the file cannot be read; empty when it is missing
};

// The entries of an index in order (the user's index, else the shipped
// one). Entries whose file is in neither Templates folder are left out and
// reported in `problems`; empty entries are passed over.
std::vector<std::string> ReadLibraryIndex(const TLibraryIndexKeys& keys, std::vector<TLibraryProblem>* problems);
// Writes the user's index: the count and one key per entry. Keys of a
// former longer list stay in the file; the count makes them unread.
void WriteLibraryIndex(const TLibraryIndexKeys& keys, const std::vector<std::string>& entries);

// The message for a skipped entry in the interface language ("ENU", "DEU",
// "FRA", "ITA", "RUS"; others read as English).
std::string LibraryProblemMessage(const TLibraryProblem& problem, const std::string& language);

}  // namespace qs
