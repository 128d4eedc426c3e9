#include "uikit/catalogue.h"

#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>

#include "base/safefile.h"
#include "base/strings.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "uikit/language.h"
#include "uikit/lrf.h"

namespace qs {

namespace {

constexpr const char* kCatalogueRecord = "Messages";

// The catalogues read so far, by language code; read on first use (also
// from the playback threads, hence the lock).
std::mutex catalogueLock;
std::map<std::string, std::optional<TLanguageData>> catalogues;

const TLanguageData* Catalogue(const std::string& code) {
  auto it = catalogues.find(code);
  if (it == catalogues.end())
  {
    // The language files beside the program; also where a test moved the
    // program's folder for its own files, the catalogue stays the
    // program's.
    std::string file = TECLanguage::LanguageFileName(code);
    if (!FileExists(file))
      file = ExtractFilePath(platform::ProgramFile()) + platform::kProgramName + "." + code + ".lrf";
    it = catalogues.emplace(code, ReadLanguageFile(file, LanguageCodePage(code))).first;
  }
  return it->second ? &*it->second : nullptr;
}

std::string Lookup(int id, const std::string& code) {
  const TLanguageData* data = Catalogue(code);
  if (!data) return {};
  const std::optional<uint32_t> record = data->FindFormRecord(kCatalogueRecord);
  return record ? data->Message(*record, id) : std::string();
}

// The code among the program's five, English for any other.
std::string KnownCode(const std::string& language) {
  for (const char* code : kLanguageCodes)
    if (SameText(language, code)) return code;
  return kDefaultLanguage;
}

std::string PlatformText(TPlatformText text, const std::string& language) {
  switch (text) {
    case TPlatformText::ReplaceQuestion: return CatalogueText(TMessageId::ReplaceQuestion, language);
    case TPlatformText::ReplaceTitle: return CatalogueText(TMessageId::ReplaceTitle, language);
    case TPlatformText::PrintTitle: return CatalogueText(TMessageId::PrintTitle, language);
    case TPlatformText::PrinterSetupTitle: return CatalogueText(TMessageId::PrinterSetupTitle, language);
  }
  return {};
}

}  // namespace

std::string InterfaceLanguage() {
  TECLanguage* engine = GlobalLanguage();
  return engine ? KnownCode(engine->Language()) : std::string(kDefaultLanguage);
}

std::string CatalogueText(int id, const std::string& language) {
  const std::string code = KnownCode(language.empty() ? InterfaceLanguage() : language);
  std::lock_guard lock(catalogueLock);
  std::string text = Lookup(id, code);
  if (text.empty() && code != kDefaultLanguage) text = Lookup(id, kDefaultLanguage);
  return text.empty() ? "[message " + std::to_string(id) + "]" : text;
}

std::string CatalogueText(TMessageId id, const std::string& language, const std::string& arg) {
  std::string text = CatalogueText(id, language);
  if (const size_t at = text.find("%s"); at != std::string::npos) text.replace(at, 2, arg);
  return text;
}

std::string LanguageOfLocale() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(name);
    if (!v || !*v) continue;
    // The codes begin with the locale's two letters, except English.
    const std::string prefix = UpperCase(std::string(v).substr(0, 2));
    if (prefix == "EN") return kDefaultLanguage;
    for (const char* code : kLanguageCodes)
      if (prefix == std::string(code).substr(0, 2)) return code;
    return {};
  }
  return {};
}

std::string LanguageFromEnvironment() {
  const std::string language = LanguageOfLocale();
  return language.empty() ? kDefaultLanguage : language;
}

void ConnectPlatformTexts() { SetPlatformTextSource(&PlatformText); }

}  // namespace qs
