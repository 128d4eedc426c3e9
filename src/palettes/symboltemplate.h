#pragma once
// A symbol template of the user-symbol library: a small drawing of page
// objects saved from a score, with its name, group and size, kept one
// template a file ("<name>.smb" in "Templates") and listed in
// "Symbols.ini". The reader also takes the older layout of the file, whose
// records are converted into today's page objects.
#include <cstdint>
#include <string>

#include "palettes/libraryfile.h"
#include "score/pageobjects.h"

namespace qs {

// The drawing and its items are those of a score's user symbol (the items
// have the template as owner and are added by it); the symbol's own two
// settings are not used by a template, whose size is Width and Height.
class TQSSymbolDescription : public TQSUserSymbol, public TImportableTemplateFile<TQSSymbolDescription> {
 public:
  static constexpr const char* kExtension = kSymbolIndex.Extension;

  std::string Description;
  std::string Group;
  std::string FileName;  // without folder and extension
  bool Loaded = false;
  int32_t Width = 0;   // layout units
  int32_t Height = 0;

  // Reads either layout and appends the items read.
  void LoadFromStream(TStream& s);
  void SaveToStream(TStream& s) const;

  const char* ClassName() const override { return "TQSSymbolDescription"; }
};

}  // namespace qs
