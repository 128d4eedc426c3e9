#include "palettes/symboldialogs.h"

#include <algorithm>

#include "base/inifile.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "palettes/libraryfile.h"
#include "platform/canvas.h"
#include "platform/comctrls.h"
#include "platform/dialogs.h"
#include "platform/extctrls.h"
#include "platform/fonts.h"
#include "platform/paths.h"
#include "platform/stdctrls.h"
#include "uikit/charbutton.h"
#include "uikit/formparts.h"
#include "uikit/messagebox.h"

namespace qs {

namespace {

constexpr TColor kSymbolBorder = 0x404042;
constexpr TColor kGroupInk = 0x000080;  // maroon

// Left and top kept in the section; the size is the form's own.
void RestorePlace(TForm& form, TIniFile* settings, const char* section) {
  TRect bounds = form.BoundsRect();
  if (settings && ReadFormBounds(*settings, section, bounds))
    form.SetBounds(bounds.Left, bounds.Top, form.Width(), form.Height());
  else
    form.SetPosition(poScreenCenter);
}

bool AskYesNo(const std::string& title, const std::string& text) {
  return ShowMessageBlock(title, text, kMessageQuestion, kMessageYes | kMessageNo) == mrYes;
}

// A button that shows a template as the palette's buttons do.
TECCharButton* SymbolFaceButton(TComponent* owner, TWinControl* parent, std::function<const TQSSymbolDescription*()> symbol) {
  auto* b = new TECCharButton(owner);
  b->SetParent(parent);
  b->SetBorderColor(kSymbolBorder);
  b->SetFlat(true);
  b->SetBlackBorder(true);
  b->SetCustomDraw(true);
  b->OnDrawCharButton = [b, symbol = std::move(symbol)](TObject*, TCanvas& c, TRect r) {
    if (const TQSSymbolDescription* s = symbol()) DrawSymbolFace(c, r, *s, b->Hovered() && !b->Down());
  };
  return b;
}

}  // namespace

// ------------------------------------------------------------ properties

TFSymbolProperties::TFSymbolProperties(TComponent* owner, TIniFile* settings) : TForm(owner), settings_(settings) {
  SetName("FSymbolProperties");
  SetCaption("Symbol");
  SetBorderStyle(bsDialog);
  SetClientWidth(360);
  SetClientHeight(142);
  KeyPreview = true;
  ApplySkinTemplate(*this, skinkind::Normal);
  LDescription = Make<TLabel>(this, this, "LDescription", 10, 14, 110, 16);
  LDescription->SetCaption("Name");
  EDescription = Make<TEdit>(this, this, "EDescription", 124, 10, 226, 21);
  LGroup = Make<TLabel>(this, this, "LGroup", 10, 44, 110, 16);
  LGroup->SetCaption("Group");
  CBGroup = Make<TComboBox>(this, this, "CBGroup", 124, 40, 226, 21);
  LFileName = Make<TLabel>(this, this, "LFileName", 10, 74, 110, 16);
  LFileName->SetCaption("File name");
  EFileName = Make<TEdit>(this, this, "EFileName", 124, 70, 200, 21);
  SBBrowse = Make<TECCharButton>(this, this, "SBBrowse", 328, 70, 22, 21);
  SBBrowse->SetCaption("...");
  SBBrowse->OnClick = [this](TObject*) { Browse(); };
  BBSave = Make<TButton>(this, "BBSave", 194, 106, 75, 25);
  BBSave->SetCaption("&Save");
  BBSave->SetDefault(true);
  BBSave->OnClick = [this](TObject*) {
    // A file that cannot be written is told; the dialog stays open.
    try {
      SaveClick();
    } catch (const std::exception& e) {
      if (Report) Report(e.what());
    }
  };
  BBCancel = MakeCancelButton(this, 275, 106);
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
    if (key != VK_ESCAPE) return;
    key = 0;
    SetModalResult(mrCancel);
  };
  FLSymbolProperties = MakeFormLanguage(this, "FLSymbolProperties");
  RestorePlace(*this, settings_, "FSymbolProperties");
  UpdateFileNameControls();
  Confirm = [this](const std::string& text) {
    return AskYesNo(FLSymbolProperties->GetMessage(2, "Symbol"), text);
  };
  Report = [this](const std::string& text) {
    ShowMessageBlock(FLSymbolProperties->GetMessage(2, "Symbol"), text, kMessageWarning, kMessageOk);
  };
}

TFSymbolProperties::~TFSymbolProperties() {
  if (settings_) WriteFormBounds(*settings_, "FSymbolProperties", BoundsRect());
}

void TFSymbolProperties::SetSymbol(TQSSymbolDescription* symbol, const std::vector<std::string>& groups) {
  if (symbol == symbol_) return;
  symbol_ = symbol;
  if (!symbol) return;
  EDescription->SetText(symbol->Description);
  CBGroup->SetText(symbol->Group);
  EFileName->SetText(symbol->FileName);
  TStringList items = CBGroup->Items();
  for (const std::string& g : groups) {
    bool known = false;
    for (int i = 0; i < items.Count(); ++i) known = known || SameText(items[i], g);
    if (!known) items.Add(g);
  }
  CBGroup->SetItems(items);
  CBGroup->SetText(symbol->Group);
}

void TFSymbolProperties::SetExportMode(bool value) {
  exportMode_ = value;
  UpdateFileNameControls();
}

void TFSymbolProperties::ShowFileName(bool value) {
  showFileName_ = value;
  UpdateFileNameControls();
}

void TFSymbolProperties::UpdateFileNameControls() {
  LFileName->SetVisible(showFileName_);
  EFileName->SetVisible(showFileName_);
  SBBrowse->SetVisible(showFileName_ && exportMode_);
  // Without the browse button the field takes its place.
  EFileName->SetBounds(EFileName->Left(), EFileName->Top(), exportMode_ ? 200 : 226, EFileName->Height());
}

void TFSymbolProperties::Browse() {
  TSaveDialog dialog(nullptr);
  dialog.Filter = "Symbol file (*.smb)|*.smb|All files (*.*)|*";
  dialog.DefaultExt = "smb";
  dialog.FileName = EFileName->Text();
  dialog.Language = FLSymbolProperties->Language();
  if (dialog.Execute()) EFileName->SetText(dialog.FileName);
}

bool TFSymbolProperties::SaveClick() {
  if (!symbol_) return false;
  // In the library only a plain name counts: no folder, nothing a file
  // system refuses. Exported, the name is a path of the user's choice.
  std::string fileName = Trim(EFileName->Text());
  if (showFileName_ && !exportMode_) {
    fileName = CleanLibraryFileName(fileName);
    EFileName->SetText(fileName);
  }
  std::vector<std::string> missing;
  if (Trim(CBGroup->Text()).empty()) missing.push_back(StripAccelerator(LGroup->Caption()));
  if (showFileName_ && fileName.empty()) missing.push_back(StripAccelerator(LFileName->Caption()));
  if (!missing.empty()) {
    std::string list;
    for (const std::string& m : missing) list += (list.empty() ? "" : ", ") + m;
    if (Report) Report(Format(FLSymbolProperties->GetMessage(1, "Please fill in: %s").c_str(), list.c_str()));
    return false;
  }
  if (exportMode_) {
    symbol_->Description = EDescription->Text();
    symbol_->Group = Trim(CBGroup->Text());
    symbol_->ExportToFile(ChangeFileExt(fileName, ".smb"));
    SetModalResult(mrCancel);
    return true;
  }
  if (showFileName_) {
    const std::string target = platform::TemplatesDir() + fileName + ".smb";
    if (FileExists(target) &&
        !(Confirm && Confirm(Format(FLSymbolProperties->GetMessage(0, "Replace %s?").c_str(), target.c_str()))))
      return false;
    symbol_->FileName = fileName;
  }
  symbol_->Group = Trim(CBGroup->Text());
  symbol_->Description = EDescription->Text();
  symbol_->SaveToFile();
  SetModalResult(mrOk);
  return true;
}

// ------------------------------------------------------------------ list

TFSymbolList::TFSymbolList(TComponent* owner, TFExpanded& palette, TIniFile* settings)
    : TForm(owner), palette_(palette), settings_(settings) {
  SetName("FSymbolList");
  SetCaption("User symbols");
  SetBorderStyle(bsDialog);
  SetClientWidth(420);
  SetClientHeight(300);
  KeyPreview = true;
  ApplySkinTemplate(*this, skinkind::Normal);
  LVSymbol = Make<TListView>(this, this, "LVSymbol", 8, 8, 300, 284);
  LVSymbol->SetViewStyle(vsReport);
  LVSymbol->SetMultiSelect(true);
  LVSymbol->SetReadOnly(true);
  for (const auto& [caption, width] : {std::pair<const char*, int>{"Name", 180}, {"Group", 110}}) {
    auto* column = static_cast<TListColumn*>(LVSymbol->Columns.Add());
    column->Caption = caption;
    column->Width = width;
  }
  LVSymbol->ColumnsChanged();
  LVSymbol->OnSelectItem = [this](TObject*) { CBExample->Invalidate(); };
  CBExample = SymbolFaceButton(this, this, [this]() -> const TQSSymbolDescription* {
    const int row = LVSymbol->ItemIndex();
    return RowSymbol(row);
  });
  CBExample->SetName("CBExample");
  CBExample->SetBounds(346, 8, 33, 33);
  BBAdd = Make<TButton>(this, "BBAdd", 320, 56, 92, 25);
  BBAdd->SetCaption("&Add...");
  // A library file that cannot be written is told; the dialog goes on.
  auto guarded = [this](void (TFSymbolList::*action)()) {
    return [this, action](TObject*) {
      try {
        (this->*action)();
      } catch (const std::exception& e) {
        ShowMessageBlock(Caption(), e.what(), kMessageWarning, kMessageOk);
      }
    };
  };
  BBAdd->OnClick = guarded(&TFSymbolList::AddClick);
  BBEdit = Make<TButton>(this, "BBEdit", 320, 88, 92, 25);
  BBEdit->SetCaption("&Edit...");
  BBEdit->OnClick = guarded(&TFSymbolList::EditClick);
  BBDelete = Make<TButton>(this, "BBDelete", 320, 120, 92, 25);
  BBDelete->SetCaption("&Remove");
  BBDelete->OnClick = guarded(&TFSymbolList::DeleteClick);
  BBOk = MakeOkButton(this, "OK", 320, 267);
  BBOk->SetBounds(320, 267, 92, 25);
  BBOk->ModalResult = mrOk;
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
    if (key != VK_ESCAPE) return;
    key = 0;
    SetModalResult(mrCancel);
  };
  FLSymbolList = MakeFormLanguage(this, "FLSymbolList");
  SetCaption(FLSymbolList->GetMessage(0, "User symbols"));
  static_cast<TListColumn*>(LVSymbol->Columns.Items(0))->Caption = FLSymbolList->GetMessage(5, "Name");
  static_cast<TListColumn*>(LVSymbol->Columns.Items(1))->Caption = FLSymbolList->GetMessage(6, "Group");
  LVSymbol->ColumnsChanged();
  TRect bounds = BoundsRect();
  if (settings_ && ReadFormBounds(*settings_, "SymbolList", bounds))
    SetBounds(bounds.Left, bounds.Top, Width(), Height());
  else
    SetPosition(poScreenCenter);
  Confirm = [this](const std::string& text) { return AskYesNo(FLSymbolList->GetMessage(0, "User symbols"), text); };
  FillList();
}

TFSymbolList::~TFSymbolList() {
  if (settings_) WriteFormBounds(*settings_, "SymbolList", BoundsRect());
}

const TQSSymbolDescription* TFSymbolList::RowSymbol(int row) const {
  return row >= 0 && row < static_cast<int>(rows_.size()) ? rows_[static_cast<size_t>(row)] : nullptr;
}

std::vector<const TQSSymbolDescription*> TFSymbolList::SelectedSymbols() const {
  std::vector<const TQSSymbolDescription*> out;
  for (int i = 0; i < static_cast<int>(rows_.size()); ++i)
    if (LVSymbol->Selected(i)) out.push_back(rows_[static_cast<size_t>(i)]);
  return out;
}

void TFSymbolList::FillList() {
  const int before = LVSymbol->ItemIndex();
  rows_.clear();
  for (const auto& symbol : palette_.Library()) {
    try {
      TFExpanded::EnsureLoaded(*symbol);
    } catch (const Exception&) {
      symbol->Loaded = true;
    }
    rows_.push_back(symbol.get());
  }
  std::stable_sort(rows_.begin(), rows_.end(), [](const TQSSymbolDescription* a, const TQSSymbolDescription* b) {
    return CompareText(a->Description, b->Description) < 0;
  });
  LVSymbol->Clear();
  for (const TQSSymbolDescription* s : rows_) LVSymbol->AddItem(s->Description, {s->Group});
  if (!rows_.empty()) LVSymbol->SetItemIndex(std::clamp(before, 0, static_cast<int>(rows_.size()) - 1));
  CBExample->Invalidate();
}

void TFSymbolList::AddClick() {
  if (palette_.ImportSymbol()) FillList();
}

void TFSymbolList::EditClick() {
  auto* symbol = const_cast<TQSSymbolDescription*>(RowSymbol(LVSymbol->ItemIndex()));
  if (!symbol) return;
  TFSymbolProperties properties(nullptr, settings_);
  properties.ShowFileName(false);
  properties.SetSymbol(symbol, palette_.Groups());
  if (properties.ShowModal() != mrOk) return;
  palette_.FillSymbolButtons();
  FillList();
}

void TFSymbolList::DeleteClick() {
  const std::vector<const TQSSymbolDescription*> chosen = SelectedSymbols();
  if (chosen.empty()) return;
  bool deleteFiles = false;
  if (chosen.size() == 1) {
    if (!Confirm(Format(FLSymbolList->GetMessage(1, "Remove the symbol \"%s\"?").c_str(), chosen[0]->Description.c_str())))
      return;
    deleteFiles = Confirm(Format(FLSymbolList->GetMessage(3, "Delete the file %s too?").c_str(),
                                 (chosen[0]->FileName + ".smb").c_str()));
  } else {
    if (!Confirm(FLSymbolList->GetMessage(2, "Remove the selected symbols?"))) return;
    deleteFiles = Confirm(FLSymbolList->GetMessage(4, "Delete their files too?"));
  }
  palette_.RemoveSymbols(chosen, deleteFiles);
  FillList();
}

// ---------------------------------------------------------------- popup

TFAllSymbols::TFAllSymbols(TComponent* owner, TFExpanded& palette) : TForm(owner), palette_(palette) {
  SetName("FAllSymbols");
  SetCaption("Symbols");
  ApplySkinTemplate(*this, skinkind::Small);
  MakeDropDown(*this, [this] { return busy_; });
  PButtons = Make<TPanel>(this, this, "PButtons", 0, 0, 25, 102);
  PButtons->SetAlign(alLeft);
  PButtons->SetBevelOuter(bvNone);
  CBPlus = Make<TECCharButton>(this, PButtons, "CBPlus", 1, 2, 22, 22);
  CBPlus->SetCaption("+");
  CBMinus = Make<TECCharButton>(this, PButtons, "CBMinus", 1, 26, 22, 22);
  CBMinus->SetCaption("-");
  for (TECCharButton* b : {CBPlus, CBMinus}) {
    b->SetFlat(true);
    b->SetShowHint(true);
    b->OnClick = [this](TObject*) { OpenList(); };
  }
  SBSymbols = Make<TScrollBox>(this, this, "SBSymbols", 25, 0, 285, 102);
  SBSymbols->SetAlign(alClient);
  MakeFormLanguage(this, "FLAllSymbols");
  LayOut();
}

void TFAllSymbols::LayOut() {
  for (TECCharButton* b : Buttons) delete b;
  for (TLabel* l : Labels) delete l;
  Buttons.clear();
  Labels.clear();
  std::vector<const TQSSymbolDescription*> symbols;
  for (const auto& s : palette_.Library()) {
    try {
      TFExpanded::EnsureLoaded(*s);
    } catch (const Exception&) {
      s->Loaded = true;
    }
    symbols.push_back(s.get());
  }
  layout_ = LayOutAllSymbols(symbols);
  for (const TAllSymbolsLayout::TPlace& place : layout_.Buttons) {
    const TQSSymbolDescription* symbol = place.Symbol;
    TECCharButton* b = SymbolFaceButton(this, SBSymbols, [symbol] { return symbol; });
    b->SetBounds(place.X, place.Y, 26, 26);
    b->SetHint(symbol->Description);
    b->SetShowHint(true);
    b->OnClick = [this, symbol](TObject*) {
      TFExpanded& palette = palette_;
      Close();
      palette.ChooseFromAll(symbol);
    };
    Buttons.push_back(b);
  }
  for (const TAllSymbolsLayout::TLabelPlace& place : layout_.Labels) {
    auto* l = Make<TLabel>(this, SBSymbols, "", 8, place.Y, 200, 16);
    TFont font = l->Font();
    font.Style = fsBold;
    font.Color = kGroupInk;
    l->SetFont(font);
    l->SetCaption(place.Group);
    Labels.push_back(l);
  }
  SBSymbols->UpdateScrollBars();
  SetClientWidth(layout_.Width);
  SetClientHeight(layout_.ClientHeight);
}

void TFAllSymbols::OpenList() {
  busy_ = true;
  palette_.ShowSymbolList();
  busy_ = false;
  LayOut();
}

}  // namespace qs
