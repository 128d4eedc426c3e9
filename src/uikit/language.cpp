#include "uikit/language.h"

#include "uikit/localeformats.h"

#include <algorithm>

#include "base/filemessages.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "platform/paths.h"
#include "uikit/catalogue.h"

namespace qs {
namespace {

// Process-wide, window thread only: the engine in use and the form
// components made while there was none.
TECLanguage* gEngine = nullptr;
std::vector<TComponent*>* gPending = nullptr;

bool SameCode(const std::string& a, const std::string& b) { return UpperCase(a) == UpperCase(b); }

}  // namespace

TECLanguage* GlobalLanguage() { return gEngine; }

void RegisterFormLanguage(TComponent* form) {
  if (gEngine) {
    gEngine->AddFormLanguage(form);
    return;
  }
  if (!gPending) gPending = new std::vector<TComponent*>;
  gPending->push_back(form);
}

void UnregisterFormLanguage(TComponent* form) {
  if (gEngine) {
    gEngine->RemoveFormLanguage(form);
  } else if (gPending) {
    gPending->erase(std::remove(gPending->begin(), gPending->end(), form), gPending->end());
    if (gPending->empty()) {
      delete gPending;
      gPending = nullptr;
    }
  }
}

// ------------------------------------------------------------ TECLanguage

TECLanguage::TECLanguage(TComponent* owner) : TComponent(owner) {
  if (gEngine && gEngine->Owner() == owner) {
    throw ECLanguageException("Component TECLanguage already exists on that form");
  }
  if (!gEngine) gEngine = this;
  // The system dialogs below the engine take their texts from the
  // program's message catalogue.
  ConnectPlatformTexts();
  if (gPending && gEngine == this) {
    std::vector<TComponent*> pending = std::move(*gPending);
    delete gPending;
    gPending = nullptr;
    for (TComponent* form : pending) AddFormLanguage(form);
  }
}

TECLanguage::~TECLanguage() {
  // Only the engine in use gives up the global place; a second engine
  // going must not leave the forms without the first.
  if (gEngine == this) gEngine = nullptr;
}

const TPropTable& TECLanguage::Published() const {
  static const TPropTable table(
      &TComponent::Published(),
      {StringProp<TECLanguage>(
           "Language", [](const TECLanguage& l) { return const_cast<TECLanguage&>(l).Language(); },
           [](TECLanguage& l, const std::string& v) { l.SetLanguage(v); }),
       BoolProp<TECLanguage>(
           "AutoLoad", [](const TECLanguage& l) { return l.AutoLoad; }, [](TECLanguage& l, bool v) { l.AutoLoad = v; }),
       BoolProp<TECLanguage>(
           "Inner", [](const TECLanguage& l) { return l.Inner; }, [](TECLanguage& l, bool v) { l.Inner = v; })});
  return table;
}

std::string TECLanguage::Language() {
  if (!loaded_) LoadLanguageFile();
  return language_;
}

void TECLanguage::SetLanguage(const std::string& code) {
  if (SameCode(code, language_)) return;
  language_ = code;
  if (AutoLoad || !(ComponentState() & csLoading)) ApplyLanguage(code);
  Fire(OnLanguageChange, this);
}

void TECLanguage::ApplyLanguage(const std::string& code) {
  if (ComponentState() & csDesigning) return;
  language_ = code;
  LoadLanguageFile();
  UseLanguageDateNames(code);
  // A form translated here may free or make other forms; walk a copy.
  std::vector<std::pair<std::string, TECFormLanguage*>> forms = forms_;
  for (auto& [name, form] : forms)
    if (std::find_if(forms_.begin(), forms_.end(), [f = form](const auto& e) { return e.second == f; }) != forms_.end())
      form->ApplyTranslation();
}

std::string TECLanguage::LanguageFileName(const std::string& code) {
  return platform::ProgramDir() + platform::kProgramName + "." + code + ".lrf";
}

void TECLanguage::LoadLanguageFile() {
  if (language_.empty()) language_ = kDefaultLanguage;
  if (Inner) return;  // the program carries no language data inside
  std::string file = LanguageFileName(language_);
  // The code is used as stored; file names here are case-sensitive, so a
  // code typed in another case still finds the shipped file.
  if (!FileExists(file)) file = LanguageFileName(UpperCase(language_));
  if (!FileExists(file)) return;
  std::optional<TLanguageData> data = ReadLanguageFile(file, LanguageCodePage(language_));
  if (!data) return;
  data_ = std::move(*data);
  loaded_ = true;
}

void TECLanguage::AddFormLanguage(TComponent* form) {
  auto* fl = dynamic_cast<TECFormLanguage*>(form);
  if (!fl) return;
  if (AutoLoad && !loaded_) LoadLanguageFile();
  forms_.emplace_back(fl->GetFormName(), fl);
  if (AutoLoad) fl->ApplyTranslation();
}

void TECLanguage::RemoveFormLanguage(TComponent* form) {
  forms_.erase(std::remove_if(forms_.begin(), forms_.end(), [form](const auto& e) { return e.second == form; }),
               forms_.end());
}

std::optional<uint32_t> TECLanguage::FindFormRecord(const std::string& formName) const {
  if (data_.Empty()) return std::nullopt;
  return data_.FindFormRecord(formName);
}

void TECLanguage::Loaded() {
  TComponent::Loaded();
  if (!loaded_ && AutoLoad) LoadLanguageFile();
}

// -------------------------------------------------------- TECFormLanguage

TECFormLanguage::TECFormLanguage(TComponent* owner)
    : TComponent(owner ? owner : throw ECLanguageException("Owner is not defined or wrong")), ownerForm_(owner) {
  RegisterFormLanguage(this);
}

TECFormLanguage::~TECFormLanguage() { UnregisterFormLanguage(this); }

const TPropTable& TECFormLanguage::Published() const {
  static const TPropTable table(
      &TComponent::Published(),
      {StringProp<TECFormLanguage>(
           "FormName", [](const TECFormLanguage& f) { return f.FormName; },
           [](TECFormLanguage& f, const std::string& v) { f.FormName = v; }),
       StringProp<TECFormLanguage>(
           "Language", [](const TECFormLanguage& f) { return f.Language(); },
           [](TECFormLanguage& f, const std::string& v) { f.SetLanguage(v); }),
       StringProp<TECFormLanguage>(
           "ExLanguage", [](const TECFormLanguage& f) { return f.ExLanguage(); },
           [](TECFormLanguage& f, const std::string& v) { f.SetExLanguage(v); })});
  return table;
}

std::string TECFormLanguage::GetFormName() const { return FormName.empty() ? ownerForm_->Name() : FormName; }

void TECFormLanguage::SetLanguage(const std::string& code) {
  if (SameCode(code, language_)) return;
  language_ = code;
  if (!(ComponentState() & csLoading)) ApplyTranslation();
}

void TECFormLanguage::SetExLanguage(const std::string& code) {
  if (!SameCode(code, language_)) language_ = code;
}

void TECFormLanguage::SetLanguages(const TStringList& codes) {
  offered_ = codes;
  if (offered_.IndexOf(language_) < 0) SetLanguage(offered_.Count() ? offered_[0] : std::string());
}

void TECFormLanguage::Loaded() {
  loading_ = true;
  try {
    TComponent::Loaded();
  } catch (...) {
    loading_ = false;
    ApplyTranslation();
    throw;
  }
  loading_ = false;
  ApplyTranslation();
}

void TECFormLanguage::ApplyTranslation() {
  if (loading_ || !gEngine) return;
  std::optional<uint32_t> record = gEngine->FindFormRecord(GetFormName());
  if (!record) return;
  for (const TLanguageEntry& e : gEngine->Data().ReadEntries(*record)) {
    switch (e.Type) {
      case static_cast<uint8_t>(TLanguageEntryType::Text):
      case static_cast<uint8_t>(TLanguageEntryType::Text2):
        SetPropertyText(e.Path, e.Text);
        break;
      case static_cast<uint8_t>(TLanguageEntryType::Strings): {
        TStringList lines;
        for (const std::string& line : e.Lines) lines.Add(line);
        SetPropertyText(e.Path, lines);
        break;
      }
      case static_cast<uint8_t>(TLanguageEntryType::Font): {
        // Whole-font assignment: the colour and style are a fresh font's.
        TFont font;
        font.Name = e.Font.Name;
        font.Charset = e.Font.CharSet;
        font.SetSize(e.Font.Size);
        SetPropertyText(e.Path, font);
        break;
      }
      default:
        break;
    }
  }
}

void TECFormLanguage::SetPropertyText(const std::string& path, const std::string& value) {
  if (language_.empty()) return;
  // A string property ends at its first zero byte.
  SetStrProp(*ownerForm_, path, value.substr(0, value.find('\0')));
}

void TECFormLanguage::SetPropertyText(const std::string& path, const TStringList& value) {
  if (!language_.empty()) SetStringsProp(*ownerForm_, path, value);
}

void TECFormLanguage::SetPropertyText(const std::string& path, const TFont& value) {
  if (!language_.empty()) SetFontProp(*ownerForm_, path, value);
}

std::string LanguageMessage(const std::string& record, int index, const char* english) {
  std::optional<uint32_t> found = gEngine ? gEngine->FindFormRecord(record) : std::nullopt;
  std::string text = found ? gEngine->Data().Message(*found, index) : std::string();
  return text.empty() ? english : text;
}

std::string UserErrorText(const std::exception& e) {
  const auto* info = dynamic_cast<const TFileMessageInfo*>(&e);
  if (!info) return e.what();
  const int index = static_cast<int>(info->Message);
  return FillInArguments(LanguageMessage(kFileMessageRecord, index, FileMessageEnglish(info->Message)), info->Args);
}

std::string TECFormLanguage::GetMessage(int index) const {
  if (!gEngine) return {};
  std::optional<uint32_t> record = gEngine->FindFormRecord(GetFormName());
  if (!record) return {};
  return gEngine->Data().Message(*record, index);
}

std::string TECFormLanguage::GetMessage(int index, const char* english) const {
  std::string text = GetMessage(index);
  return text.empty() ? english : text;
}

}  // namespace qs
