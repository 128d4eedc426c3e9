#include "palettes/libraryfile.h"

#include <algorithm>
#include <map>
#include <string_view>

#include "base/exceptions.h"
#include "base/inifile.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "platform/paths.h"
#include "uikit/catalogue.h"
#include "score/record.h"

namespace qs {

uint8_t ReadLibrarySignature(TStream& s, std::initializer_list<uint8_t> accepted, const char* notMessage) {
  uint8_t signature = 0;
  if (s.Read(&signature, 1) != 1 || std::find(accepted.begin(), accepted.end(), signature) == accepted.end())
    throw EReadError(notMessage);
  return signature;
}

uint16_t ReadLibraryVersion(TStream& s, uint16_t newest, const char* newerMessage) {
  ReadStreamString(s);
  uint16_t version = s.ReadU16();
  if (version > newest) throw EReadError(newerMessage);
  return version;
}

void WriteLibraryHeader(TStream& s, uint8_t signature, const char* header, uint16_t version) {
  s.WriteU8(signature);
  WriteStreamString(s, header);
  s.WriteU16(version);
}

bool LoadLibraryFile(const std::string& path, const std::function<void(TStream&)>& read) {
  if (path.empty() || !FileExists(path)) return false;
  TFileStream f(path, FileMode::OpenRead);
  read(f);
  return true;
}

bool LoadTemplateFile(const std::string& name, const std::string& ext, const std::function<void(TStream&)>& read) {
  if (name.empty()) return false;
  return LoadLibraryFile(platform::FindTemplate(ChangeFileExt(name, ext)), read);
}

void SaveTemplateFile(const std::string& name, const std::string& ext, const std::function<void(TStream&)>& write) {
  // Only the name counts: a library entry never leaves the Templates folder.
  std::string file = ChangeFileExt(ExtractFileName(name), ext);
  if (file == ext) throw EFCreateError("Cannot create file \"" + name + "\". The name is empty.");
  SafeSaveFile(platform::TemplatesDir() + file, write);
}

std::string LocalizedTemplateName(const std::string& name, const std::string& ext, const std::string& language) {
  if (language.empty()) return name;
  std::string localized = name + "." + UpperCase(language) + ext;
  return platform::FindTemplate(localized).empty() ? name : localized;
}

std::string LibraryEntryName(const std::string& path) { return ChangeFileExt(ExtractFileName(path), ""); }

namespace {
// Characters that cannot stand in a library file's name: folder separators,
// control characters and those other file systems refuse.
bool RefusedInFileName(char ch) {
  const auto c = static_cast<unsigned char>(ch);
  return c < 32 || c == 127 || std::string_view("/\\:*?\"<>|").find(ch) != std::string_view::npos;
}
}  // namespace

std::string CleanLibraryFileName(const std::string& typed) {
  std::string name;
  for (const char ch : typed) name += RefusedInFileName(ch) ? '_' : ch;
  const size_t first = name.find_first_not_of(". ");
  if (first == std::string::npos) return {};
  name = name.substr(first, name.find_last_not_of(". ") - first + 1);
  constexpr size_t kLongest = 200;
  if (name.size() > kLongest) {
    size_t cut = kLongest;
    // Not inside a character of several bytes.
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name.resize(cut);
  }
  return name;
}

bool IsLibraryEntryName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char ch : name)
    if (RefusedInFileName(ch)) return false;
  return true;
}

std::vector<std::string> ReadLibraryIndex(const TLibraryIndexKeys& keys, std::vector<TLibraryProblem>* problems) {
  std::vector<std::string> entries;
  std::string file = platform::FindLibraryIndex(keys.FileName);
  if (file.empty()) return entries;
  TIniFile ini(file);
  const std::string key = keys.Key;
  // The entries are taken from the keys there are, so that a damaged count
  // does not make the reading take longer than the file.
  const int count = ini.ReadInteger(keys.Section, key + "Max", 0);
  std::map<int, std::string> numbered;
  for (const std::string& line : ini.ReadSectionValues(keys.Section)) {
    const size_t eq = line.find('=');
    const std::string name = line.substr(0, eq);
    int i = -1;
    if (eq == std::string::npos || !StartsText(key, name) || !TryStrToInt(name.substr(key.size()), i)) continue;
    if (i >= 0 && i < count && std::to_string(i) == name.substr(key.size())) numbered[i] = line.substr(eq + 1);
  }
  for (const auto& [i, entry] : numbered) {
    if (entry.empty()) continue;
    // An entry that names a path would reach files outside the library.
    if (!IsLibraryEntryName(entry) || platform::FindTemplate(ChangeFileExt(entry, keys.Extension)).empty()) {
      if (problems) problems->push_back({keys.FileName, entry, {}});
      continue;
    }
    entries.push_back(entry);
  }
  return entries;
}

void WriteLibraryIndex(const TLibraryIndexKeys& keys, const std::vector<std::string>& entries) {
  TIniFile ini(platform::LibraryIndexFileName(keys.FileName));
  const std::string key = keys.Key;
  ini.BeginUpdate();
  ini.WriteInteger(keys.Section, key + "Max", static_cast<int>(entries.size()));
  for (size_t i = 0; i < entries.size(); ++i) ini.WriteString(keys.Section, key + std::to_string(i), entries[i]);
  ini.EndUpdate();
}

std::string LibraryProblemMessage(const TLibraryProblem& problem, const std::string& language) {
  // The texts name the entry, then the index file (and the reason); a
  // translation may put them in another order ("%2$s").
  if (problem.Error.empty())
    return Format(CatalogueText(TMessageId::LibraryMissing, language).c_str(), problem.Entry.c_str(),
                  problem.Index.c_str());
  return Format(CatalogueText(TMessageId::LibraryUnreadable, language).c_str(), problem.Entry.c_str(),
                problem.Index.c_str(), problem.Error.c_str());
}

}  // namespace qs
