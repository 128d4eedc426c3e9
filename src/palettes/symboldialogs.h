#pragma once
// The dialogs of the user-symbol library: TFSymbolProperties (a
// template's name, group and file name, when it is saved into the library
// or exported to a file of the user's choice), TFSymbolList (the library:
// add by import, edit, remove) and TFAllSymbols, the drop-down that shows
// every template grouped.
#include <functional>
#include <string>
#include <vector>

#include "palettes/expanded.h"
#include "platform/forms.h"

namespace qs {

class TButton;
class TComboBox;
class TEdit;
class TLabel;
class TListView;
class TPanel;
class TScrollBox;
class TECCharButton;
class TECFormLanguage;
class TIniFile;

class TFSymbolProperties : public TForm {
 public:
  TFSymbolProperties(TComponent* owner, TIniFile* settings);
  ~TFSymbolProperties() override;
  const char* ClassName() const override { return "TFSymbolProperties"; }

  // Shows symbol's description, group and file name; groups (those of the
  // library) join the group list when it does not hold them yet.
  void SetSymbol(TQSSymbolDescription* symbol, const std::vector<std::string>& groups = {});
  // Export mode saves to a file of the user's choice (browse button shown)
  // instead of into the library.
  void SetExportMode(bool value);
  // The file name and its controls are shown unless told otherwise.
  void ShowFileName(bool value);
  // The Save button: true when the dialog closed. Missing fields are
  // reported and keep it open, as does a No to replacing a file. Saved
  // into the library the result is OK; exported, Cancel (the caller keeps
  // nothing).
  bool SaveClick();
  // Asks yes or no (title, text); by default a message box.
  std::function<bool(const std::string& text)> Confirm;
  // Tells a problem; by default a message box.
  std::function<void(const std::string& text)> Report;

  TLabel *LDescription = nullptr, *LGroup = nullptr, *LFileName = nullptr;
  TEdit *EDescription = nullptr, *EFileName = nullptr;
  TComboBox* CBGroup = nullptr;
  TECCharButton* SBBrowse = nullptr;
  TButton *BBSave = nullptr, *BBCancel = nullptr;
  TECFormLanguage* FLSymbolProperties = nullptr;

 private:
  void UpdateFileNameControls();
  void Browse();

  TIniFile* settings_;
  TQSSymbolDescription* symbol_ = nullptr;
  bool exportMode_ = false, showFileName_ = true;
};

class TFSymbolList : public TForm {
 public:
  TFSymbolList(TComponent* owner, TFExpanded& palette, TIniFile* settings);
  ~TFSymbolList() override;
  const char* ClassName() const override { return "TFSymbolList"; }

  // One row per template, sorted by description; the row selected before
  // stays selected (the last one when the list got shorter).
  void FillList();
  // The template of a row.
  const TQSSymbolDescription* RowSymbol(int row) const;
  std::vector<const TQSSymbolDescription*> SelectedSymbols() const;
  void AddClick();
  void EditClick();
  void DeleteClick();
  // Asks yes or no; by default a message box.
  std::function<bool(const std::string& text)> Confirm;

  TListView* LVSymbol = nullptr;
  TECCharButton* CBExample = nullptr;
  TButton *BBAdd = nullptr, *BBEdit = nullptr, *BBDelete = nullptr, *BBOk = nullptr;
  TECFormLanguage* FLSymbolList = nullptr;

 private:
  TFExpanded& palette_;
  TIniFile* settings_;
  std::vector<const TQSSymbolDescription*> rows_;
};

class TFAllSymbols : public TForm {
 public:
  // owner: the palette when it opens it (it goes with the palette).
  TFAllSymbols(TComponent* owner, TFExpanded& palette);
  const char* ClassName() const override { return "TFAllSymbols"; }

  // Lays the buttons and labels out anew from the library.
  void LayOut();
  const TAllSymbolsLayout& Layout() const { return layout_; }
  // Keeps the drop-down open while the library dialog is shown.
  bool Busy() const { return busy_; }

  TPanel* PButtons = nullptr;
  TECCharButton *CBPlus = nullptr, *CBMinus = nullptr;
  TScrollBox* SBSymbols = nullptr;
  std::vector<TECCharButton*> Buttons;
  std::vector<TLabel*> Labels;

 private:
  void OpenList();
  TFExpanded& palette_;
  TAllSymbolsLayout layout_;
  bool busy_ = false;
};

}  // namespace qs
