#pragma once
// The window system's common dialogs: choosing files to open or save, a
// colour, a font, a folder, and what and where to print.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/canvas.h"
#include "platform/components.h"
#include "platform/printer.h"

namespace qs {

// The texts the system dialogs show of their own. The platform stands below
// the program's language files, so the localisation engine hands them in;
// without a source the toolkit's own texts stand.
enum class TPlatformText { ReplaceQuestion, ReplaceTitle, PrintTitle, PrinterSetupTitle };
// "%s" in ReplaceQuestion stands for the file name.
using TPlatformTextSource = std::string (*)(TPlatformText text, const std::string& language);
void SetPlatformTextSource(TPlatformTextSource source);

enum TOpenOption : uint32_t {
  ofOverwritePrompt = 1, ofAllowMultiSelect = 2, ofFileMustExist = 4, ofPathMustExist = 8, ofNoChangeDir = 16
};
using TOpenOptions = uint32_t;

class TOpenDialog : public TComponent {
 public:
  explicit TOpenDialog(TComponent* owner) : TComponent(owner) {}
  const char* ClassName() const override { return "TOpenDialog"; }
  const TPropTable& Published() const override;
  // "Description|*.ext;*.ex2|Other|*.oth": pairs of a shown name and
  // patterns.
  std::string Filter;
  // 1-based, as chosen last.
  int FilterIndex = 1;
  // Without a dot ("sfd"); added to a name without extension when the
  // chosen filter names none of its own.
  std::string DefaultExt;
  std::string FileName;
  std::vector<std::string> Files;
  std::string InitialDir;
  std::string Title;
  TOpenOptions Options = ofPathMustExist;
  // The language of the dialog's own messages ("ENU", "DEU", ...).
  std::string Language = "ENU";
  // True when the user chose; FileName, Files and FilterIndex then hold
  // the choice.
  virtual bool Execute();

 protected:
  bool Run(bool save);
};

class TSaveDialog : public TOpenDialog {
 public:
  explicit TSaveDialog(TComponent* owner) : TOpenDialog(owner) { Options |= ofOverwritePrompt; }
  const char* ClassName() const override { return "TSaveDialog"; }
  bool Execute() override;
};

// The name with the extension a save dialog gives it: the chosen filter's
// own extension (its first pattern "*.ext") or else defaultExt, when the
// name has none.
std::string AddDefaultExtension(const std::string& fileName, const std::string& filter, int filterIndex,
                                const std::string& defaultExt);
// The (description, patterns) pairs of a filter text.
std::vector<std::pair<std::string, std::string>> ParseFilter(const std::string& filter);

class TColorDialog : public TComponent {
 public:
  explicit TColorDialog(TComponent* owner) : TComponent(owner) {}
  const char* ClassName() const override { return "TColorDialog"; }
  TColor Color = clBlack;
  std::string Title;
  bool Execute();
};

class TFontDialog : public TComponent {
 public:
  explicit TFontDialog(TComponent* owner) : TComponent(owner) {}
  const char* ClassName() const override { return "TFontDialog"; }
  TFont Font;
  std::string Title;
  bool Execute();
};

// The folder chosen, starting from dir; false when the user cancelled.
bool SelectDirectory(const std::string& caption, std::string& dir);

// The print dialog: printer, range (all, pages FromPage..ToPage within
// MinPage..MaxPage, selection), copies and collation. With setupOnly only
// the printer and the orientation are asked for.
bool ExecutePrintDialog(TPrintDialog& dialog, const std::string& language = "ENU");
bool ExecutePrinterSetupDialog(TPrintDialog& dialog, TPrinterOrientation& orientation,
                               const std::string& language = "ENU");

}  // namespace qs
