#pragma once
// The localisation engine. One TECLanguage, on the main window, knows the
// interface language and holds its language file in memory; every form
// carries a TECFormLanguage that registers the form, puts the file's texts,
// string lists and fonts into the form's published properties by property
// path, and hands out the form's numbered messages. Texts a form carries in
// code are English and stay wherever the file says nothing.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/exceptions.h"
#include "platform/components.h"
#include "uikit/lrf.h"

namespace qs {

class ECLanguageException : public Exception { using Exception::Exception; };

class TECFormLanguage;

class TECLanguage : public TComponent {
 public:
  // Raises ECLanguageException when the engine in use has the same owner.
  explicit TECLanguage(TComponent* owner);
  ~TECLanguage() override;
  const char* ClassName() const override { return "TECLanguage"; }
  const TPropTable& Published() const override;

  // The code ("ENU", "DEU", "FRA", "ITA", "RUS"). Reading loads the file
  // when none has been loaded yet, so every read retries a failed load.
  std::string Language();
  // A code that differs (without regard to case) is stored, applied to
  // every registered form unless the engine is loading, and announced
  // through OnLanguageChange.
  void SetLanguage(const std::string& code);

  bool AutoLoad = false;
  // Take the data from inside the program instead of a file; the program
  // carries none, so with Inner set no language data is found.
  bool Inner = false;
  TNotifyEvent OnLanguageChange;

  void ApplyLanguage(const std::string& code);
  // Reads the file of the current language; a missing file or one of
  // another version keeps what was loaded before.
  void LoadLanguageFile();
  bool IsLoaded() const { return loaded_; }
  const TLanguageData& Data() const { return data_; }

  void AddFormLanguage(TComponent* form);
  void RemoveFormLanguage(TComponent* form);
  std::optional<uint32_t> FindFormRecord(const std::string& formName) const;

  void Loaded() override;

  // Where the file of a language lives: beside the program, named after it.
  static std::string LanguageFileName(const std::string& code);

 private:
  std::string language_;
  bool loaded_ = false;
  TLanguageData data_;
  std::vector<std::pair<std::string, TECFormLanguage*>> forms_;
};

// The engine in use: the first one made, until it goes.
TECLanguage* GlobalLanguage();

// Message index of a language record in the engine's language, or english
// when no engine or file serves it.
std::string LanguageMessage(const std::string& record, int index, const char* english);
// The text of an error for the user: a message about a file in the
// interface language, anything else as it was raised.
std::string UserErrorText(const std::exception& e);

void RegisterFormLanguage(TComponent* form);
void UnregisterFormLanguage(TComponent* form);

class TECFormLanguage : public TComponent {
 public:
  // Raises ECLanguageException without an owner.
  explicit TECFormLanguage(TComponent* owner);
  ~TECFormLanguage() override;
  const char* ClassName() const override { return "TECFormLanguage"; }
  const TPropTable& Published() const override;

  // The key of the form's record; empty means the owner's name.
  std::string FormName;
  std::string GetFormName() const;

  const std::string& Language() const { return language_; }
  // A different code is stored and the form translated (unless loading).
  void SetLanguage(const std::string& code);
  const std::string& ExLanguage() const { return language_; }
  // Stores the code without translating.
  void SetExLanguage(const std::string& code);

  // The codes the form offers; when they no longer hold Language, it
  // becomes the first of them (or empty).
  const TStringList& Languages() const { return offered_; }
  void SetLanguages(const TStringList& codes);

  void Loaded() override;
  // Puts the form's record into the form's properties.
  void ApplyTranslation();
  // Applies one value by path from the owner form, while Language is set.
  void SetPropertyText(const std::string& path, const std::string& value);
  void SetPropertyText(const std::string& path, const TStringList& value);
  void SetPropertyText(const std::string& path, const TFont& value);
  // Message index of the form's record; empty when there is none.
  std::string GetMessage(int index) const;
  // The message, or english when no language file serves it (a form never
  // shows a blank text).
  std::string GetMessage(int index, const char* english) const;

 private:
  TComponent* ownerForm_;
  std::string language_;
  bool loading_ = false;
  TStringList offered_;
};

}  // namespace qs
