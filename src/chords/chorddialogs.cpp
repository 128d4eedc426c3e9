#include "chords/chorddialogs.h"

#include <algorithm>
#include <exception>
#include <memory>

#include "base/inifile.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "base/text.h"
#include "chords/chordeditor.h"
#include "chords/chordfile.h"
#include "chords/chordspalette.h"
#include "palettes/libraryfile.h"
#include "platform/comctrls.h"
#include "platform/dialogs.h"
#include "platform/extctrls.h"
#include "platform/keys.h"
#include "platform/paths.h"
#include "platform/stdctrls.h"
#include "uikit/catalogue.h"
#include "uikit/charbutton.h"
#include "uikit/formparts.h"
#include "uikit/interface.h"
#include "uikit/language.h"
#include "uikit/messagebox.h"
#include "score/calcrecords.h"
#include "score/notes.h"
#include "view/window.h"

namespace qs {

namespace {

constexpr const char* kPropertiesSection = "ChordProperties";
constexpr const char* kListSection = "ChordList";
constexpr const char* kEditorSection = "ChordEditor";
constexpr int kAllChordsButtonWidth = 57, kAllChordsButtonHeight = 18;

// The dialog's place from its section, when the settings file is there.
void PlaceFromSettings(TForm& form, TIniFile* settings, const char* section) {
  if (!settings) return;
  TRect bounds = form.BoundsRect();
  if (ReadFormBounds(*settings, section, bounds)) form.SetBounds(bounds.Left, bounds.Top, form.Width(), form.Height());
}

void KeepInSettings(const TForm& form, TIniFile* settings, const char* section) {
  if (settings) WriteFormBounds(*settings, section, form.BoundsRect());
}

// Esc closes the dialog as Cancel does.
void CloseOnEscape(TForm& form) {
  form.KeyPreview = true;
  form.OnKeyDown = [&form](TObject*, uint16_t& key, TShiftState) {
    if (key != VK_ESCAPE) return;
    key = 0;
    form.SetModalResult(mrCancel);
  };
}

// The editor with the placeholder of the root first, which cannot be
// typed into, and its five buttons beside it.
TECChordEditor* MakeNameEditor(TForm& form, TChordNameButtons& buttons, int left, int top, int width) {
  auto* editor = Make<TECChordEditor>(&form, &form, "CEName", left, top, width, 48);
  editor->FixCount = 1;
  editor->SetTabStop(true);
  TFont font = editor->Font();
  font.Name = "Arial";
  font.SetSize(14);
  editor->SetFont(font);
  struct TRow {
    TECCharButton** Button;
    const char* Name;
    const char* Face;
    void (TECChordEditor::*Act)();
  };
  const TRow rows[] = {{&buttons.SBNew, "SBNew", "+", &TECChordEditor::NewFragment},
                       {&buttons.SBUp, "SBUp", "\xE2\x86\x91", &TECChordEditor::MoveUp},
                       {&buttons.SBDown, "SBDown", "\xE2\x86\x93", &TECChordEditor::MoveDown},
                       {&buttons.SBLeft, "SBLeft", "\xE2\x86\x90", &TECChordEditor::MoveLeft},
                       {&buttons.SBRight, "SBRight", "\xE2\x86\x92", &TECChordEditor::MoveRight}};
  int x = left + width + 4;
  for (const TRow& r : rows) {
    auto* b = Make<TECCharButton>(&form, &form, r.Name, x, top + 13, 22, 22);
    b->SetCaption(r.Face);
    b->SetFlat(false);
    b->SetShowHint(true);
    auto act = r.Act;
    b->OnClick = [editor, act](TObject*) {
      (editor->*act)();
      editor->Invalidate();
    };
    *r.Button = b;
    x += 24;
  }
  return editor;
}

// The fragments of the editor from the second on: the name after the root.
std::vector<TQSChordFragment> AfterRoot(const TECChordEditor& editor) {
  std::vector<TQSChordFragment> all = editor.ChordFragments();
  if (!all.empty()) all.erase(all.begin());
  // A name that is only the root keeps no empty fragment.
  std::erase_if(all, [](const TQSChordFragment& f) { return f.Text.empty(); });
  return all;
}

int AskWith(const TAskEvent& ask, const std::string& title, const std::string& text, uint8_t icon, uint16_t buttons) {
  return ask ? ask(title, text, icon, buttons) : ShowMessageBlock(title, text, icon, buttons);
}

TLabel* MakeLabel(TForm& form, const char* name, const char* caption, int left, int top, int width) {
  auto* l = Make<TLabel>(&form, &form, name, left, top, width, 16);
  l->SetCaption(caption);
  return l;
}

}  // namespace

// ------------------------------------------------------------------ properties

TFChordProperties::TFChordProperties(TComponent* owner, TIniFile* settings, TFChords& palette)
    : TForm(owner), settings_(settings), palette_(palette) {
  SetName("FChordProperties");
  SetCaption("Chord");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(452);
  SetClientHeight(212);
  ApplySkinTemplate(*this, skinkind::Normal);

  LName = MakeLabel(*this, "LName", "Name", 8, 8, 300);
  CEName = MakeNameEditor(*this, Buttons, 8, 26, 310);
  LGroup = MakeLabel(*this, "LGroup", "Group", 8, 86, 120);
  CBGroup = Make<TComboBox>(this, this, "CBGroup", 132, 82, 312, 22);
  CBGroup->SetStyle(csDropDown);
  CBGroup->SetTabStop(true);
  LDescription = MakeLabel(*this, "LDescription", "Description", 8, 114, 120);
  EDescription = Make<TEdit>(this, this, "EDescription", 132, 110, 312, 22);
  EDescription->SetTabStop(true);
  LFileName = MakeLabel(*this, "LFileName", "File name", 8, 142, 120);
  EFileName = Make<TEdit>(this, this, "EFileName", 132, 138, 284, 22);
  EFileName->SetTabStop(true);
  SBBrowse = Make<TECCharButton>(this, this, "SBBrowse", 420, 138, 24, 22);
  SBBrowse->SetCaption("...");
  SBBrowse->SetFlat(false);
  SBBrowse->SetShowHint(true);
  SBBrowse->SetVisible(false);
  SBBrowse->OnClick = [this](TObject*) {
    TSaveDialog dialog(nullptr);
    dialog.Filter = palette_.Message(0);
    dialog.DefaultExt = "chd";
    dialog.FileName = Trim(EFileName->Text());
    dialog.Language = InterfaceLanguage();
    if (dialog.Execute()) EFileName->SetText(dialog.FileName);
  };
  CBFixedOctave = Make<TCheckBox>(this, this, "CBFixedOctave", 8, 166, 200, 18);
  CBFixedOctave->SetVisible(false);
  BBSave = MakeOkButton(this, "Save", 288, 180);
  BBSave->SetName("BBSave");
  BBSave->OnClick = [this](TObject*) {
    try {
      Save();
    } catch (const std::exception& e) {
      // The file could not be written: the dialog stays open.
      AskWith(Ask, Caption(), UserErrorText(e), kMessageWarning, kMessageOk);
    }
  };
  BBCancel = MakeCancelButton(this, 369, 180);
  CloseOnEscape(*this);
  MakeFormLanguage(this, "LChordProperties");
  PlaceFromSettings(*this, settings_, kPropertiesSection);
  SetChord(nullptr);
}

TFChordProperties::~TFChordProperties() { KeepInSettings(*this, settings_, kPropertiesSection); }

int TFChordProperties::AskUser(int message, const std::string& argument, uint8_t icon, uint16_t buttons) {
  static const char* const kEnglish[] = {"Chord", "The file \"%s\" exists. Replace it?", "Fill in the field \"%s\".",
                                         "\"%s\" cannot be the name of a library file."};
  const std::string title = LanguageMessage("FChordProperties", 0, kEnglish[0]);
  const std::string text = LanguageMessage("FChordProperties", message, kEnglish[message]);
  return AskWith(Ask, title, Format(text.c_str(), argument.c_str()), icon, buttons);
}

void TFChordProperties::SetChord(TQSChordDescription* chord) {
  chord_ = chord;
  std::vector<TQSChordFragment> fragments(1);
  fragments[0].Text = "X";
  if (chord && !chord->Fragments.empty()) {
    fragments.insert(fragments.end(), chord->Fragments.begin(), chord->Fragments.end());
  } else {
    fragments.emplace_back().Fields.Anchor = 1;
  }
  CEName->SetChordFragments(fragments);
  CEName->SetCurrentFragment(1);
  CEName->SetCaretPosition(static_cast<int>(Utf8ToUtf16(fragments[1].Text).size()));
  CEName->LayoutFragments();
  EDescription->SetText(chord ? chord->Description : "");
  EFileName->SetText(chord ? chord->FileName : "");
  CBGroup->SetText(chord ? chord->Group : "");
  CBFixedOctave->SetChecked(chord ? chord->FixedOctave != 0 : true);
  TStringList groups;
  for (const auto& c : palette_.Library()) {
    TFChords::EnsureLoaded(*c);
    if (c->Group.empty()) continue;
    bool known = false;
    for (int i = 0; i < groups.Count(); ++i) known = known || SameText(groups[i], c->Group);
    if (!known) groups.Add(c->Group);
  }
  CBGroup->SetItems(groups);
  CBGroup->SetText(chord ? chord->Group : "");
}

void TFChordProperties::SetFileNameVisible(bool visible) {
  LFileName->SetVisible(visible);
  EFileName->SetVisible(visible);
  SBBrowse->SetVisible(visible && exportMode_);
}

void TFChordProperties::SetExportMode(bool on) {
  exportMode_ = on;
  SBBrowse->SetVisible(on && EFileName->Visible());
}

std::vector<TQSChordFragment> TFChordProperties::EditedFragments() const { return AfterRoot(*CEName); }

bool TFChordProperties::Save() {
  const std::string name = Trim(EFileName->Text());
  if (name.empty()) {
    AskUser(2, LFileName->Caption(), kMessageWarning, kMessageOk);
    return false;
  }
  if (!chord_) return false;
  if (exportMode_) {
    TQSChordDescription& c = *chord_;
    c.Fragments = EditedFragments();
    c.Group = Trim(CBGroup->Text());
    c.FixedOctave = CBFixedOctave->Checked() ? 1 : 0;
    c.Description = EDescription->Text();
    c.ExportToFile(ChangeFileExt(name, ".chd"));
    // Exported only: the library does not take the chord.
    SetModalResult(mrCancel);
    return false;
  }
  // A library chord lives in the library folder and nowhere else.
  if (!IsLibraryEntryName(name)) {
    AskUser(3, name, kMessageWarning, kMessageOk);
    return false;
  }
  if (EFileName->Visible()) {
    const std::string target = platform::TemplatesDir() + name + ".chd";
    bool known = FileExists(target);
    for (const auto& c : palette_.Library()) known = known || (c.get() != chord_ && SameText(c->FileName, name));
    if (known) {
      if (AskUser(1, target, kMessageQuestion, kMessageYes | kMessageNo) != mrYes) return false;
      palette_.RemoveChordsByName(name, chord_);
    }
  }
  // The chord changes only once its file is written.
  TQSChordDescription& c = *chord_;
  const std::vector<TQSChordFragment> oldFragments = c.Fragments;
  const std::string oldDescription = c.Description, oldGroup = c.Group, oldFileName = c.FileName;
  const uint8_t oldFixed = c.FixedOctave;
  c.Fragments = EditedFragments();
  c.Description = EDescription->Text();
  c.Group = Trim(CBGroup->Text());
  c.FixedOctave = CBFixedOctave->Checked() ? 1 : 0;
  c.FileName = name;
  try {
    c.SaveToFile();
  } catch (...) {
    c.Fragments = oldFragments;
    c.Description = oldDescription;
    c.Group = oldGroup;
    c.FileName = oldFileName;
    c.FixedOctave = oldFixed;
    throw;
  }
  c.Loaded = true;
  SetModalResult(mrOk);
  return true;
}

// ------------------------------------------------------------------ list

TFChordList::TFChordList(TComponent* owner, TIniFile* settings, TFChords& palette)
    : TForm(owner), settings_(settings), palette_(palette) {
  SetName("FChordList");
  SetCaption("Chords list");
  SetBorderStyle(bsSizeable);
  SetPosition(poScreenCenter);
  SetClientWidth(400);
  SetClientHeight(300);
  ApplySkinTemplate(*this, skinkind::Normal);
  LVChords = Make<TListView>(this, this, "LVChords", 0, 0, 300, 300);
  LVChords->SetViewStyle(vsReport);
  LVChords->SetReadOnly(true);
  LVChords->SetMultiSelect(true);
  LVChords->SetTabStop(true);
  for (const auto& [caption, width] : {std::pair{"Chord", 90}, std::pair{"Description", 200}}) {
    auto* column = static_cast<TListColumn*>(LVChords->Columns.Add());
    column->Caption = caption;
    column->Width = width;
  }
  LVChords->ColumnsChanged();
  BBAdd = Make<TButton>(this, this, "BBAdd", 0, 2, 90, 25);
  BBAdd->SetCaption("Add");
  BBAdd->OnClick = [this](TObject*) { AddChords(); };
  BBEdit = Make<TButton>(this, this, "BBEdit", 0, 30, 90, 25);
  BBEdit->SetCaption("Edit");
  BBEdit->OnClick = [this](TObject*) { EditChord(); };
  BBDelete = Make<TButton>(this, this, "BBDelete", 0, 58, 90, 25);
  BBDelete->SetCaption("Remove");
  BBDelete->OnClick = [this](TObject*) { RemoveChords(); };
  BBOk = Make<TButton>(this, this, "BBOk", 0, 86, 90, 25);
  BBOk->SetCaption("Close");
  BBOk->ModalResult = mrOk;
  BBOk->SetDefault(true);
  for (TButton* b : {BBAdd, BBEdit, BBDelete, BBOk}) b->SetTabStop(true);
  CloseOnEscape(*this);
  OnResize = [this](TObject*) { Arrange(); };
  MakeFormLanguage(this, "LChordList");
  for (int c = 0; c < 2; ++c)
    static_cast<TListColumn*>(LVChords->Columns.Items(c))->Caption =
        LanguageMessage("FChordList", 5 + c, c == 0 ? "Chord" : "Description");
  LVChords->ColumnsChanged();
  PlaceFromSettings(*this, settings_, kListSection);
  Arrange();
  Fill();
}

TFChordList::~TFChordList() { KeepInSettings(*this, settings_, kListSection); }

void TFChordList::Arrange() {
  const int buttonWidth = BBAdd->Width();
  LVChords->SetBounds(0, 0, std::max(40, ClientWidth() - buttonWidth - 4), ClientHeight());
  for (TButton* b : {BBAdd, BBEdit, BBDelete, BBOk})
    b->SetBounds(ClientWidth() - buttonWidth - 2, b->Top(), buttonWidth, b->Height());
}

TQSChordDescription* TFChordList::ChordAt(int index) const {
  return index >= 0 && index < static_cast<int>(shown_.size()) ? shown_[static_cast<size_t>(index)] : nullptr;
}

void TFChordList::Fill() {
  const int selected = LVChords->ItemIndex();
  LVChords->Clear();
  shown_.clear();
  for (const auto& c : palette_.Library()) {
    TFChords::EnsureLoaded(*c);
    LVChords->AddItem(c->GetName(), {c->Description});
    shown_.push_back(c.get());
  }
  const int count = LVChords->ItemCount();
  if (count == 0) return;
  LVChords->SetItemIndex(selected < 0 ? 0 : std::min(selected, count - 1));
}

int TFChordList::AskUser(const std::string& text, uint16_t buttons) {
  return AskWith(Ask, LanguageMessage("FChordList", 0, "Chords list"), text, kMessageQuestion, buttons);
}

void TFChordList::AddChords() {
  if (palette_.ImportChord()) Fill();
}

void TFChordList::EditChord() {
  TQSChordDescription* chord = ChordAt(LVChords->ItemIndex());
  if (!chord) return;
  TFChordProperties dialog(nullptr, settings_, palette_);
  dialog.Ask = Ask;
  dialog.SetChord(chord);
  dialog.EFileName->SetText(chord->FileName);
  dialog.SetFileNameVisible(false);
  if (dialog.ShowModal() != mrOk) return;
  const int i = LVChords->ItemIndex();
  LVChords->SetItemCaption(i, chord->GetName());
  palette_.FillChordButtons();
  Fill();
}

void TFChordList::RemoveChords() {
  std::vector<int> selected;
  for (int i = 0; i < LVChords->ItemCount(); ++i)
    if (LVChords->Selected(i)) selected.push_back(i);
  if (selected.empty() && LVChords->ItemIndex() >= 0) selected.push_back(LVChords->ItemIndex());
  if (selected.empty()) return;
  auto text = [](int index, const char* english, const std::string& argument) {
    return Format(LanguageMessage("FChordList", index, english).c_str(), argument.c_str());
  };
  bool deleteFiles = false;
  if (selected.size() == 1) {
    if (AskUser(text(1, "Remove the chord \"%s\" from the library?", LVChords->ItemCaption(selected[0])),
                kMessageYes | kMessageNo) != mrYes)
      return;
    const TQSChordDescription* chord = ChordAt(selected[0]);
    deleteFiles = chord && AskUser(text(3, "Delete the file \"%s\" of the chord too?", chord->FileName + ".chd"),
                                   kMessageYes | kMessageNo) == mrYes;
  } else {
    if (AskUser(text(2, "Remove the %s selected chords from the library?", std::to_string(selected.size())),
                kMessageYes | kMessageNo) != mrYes)
      return;
    deleteFiles = AskUser(text(4, "Delete the files of the %s chords too?", std::to_string(selected.size())),
                          kMessageYes | kMessageNo) == mrYes;
  }
  std::vector<const TQSChordDescription*> chords;
  for (int i : selected) chords.push_back(ChordAt(i));
  // Each removal rewrites "Chords.ini", so that none of them comes back.
  for (const TQSChordDescription* c : chords) palette_.RemoveLibraryChord(c, deleteFiles);
  Fill();
}

// ------------------------------------------------------------------ all chords

TFAllChords::TFAllChords(TComponent* owner, TFChords& palette) : TForm(owner), palette_(palette) {
  SetName("FAllChords");
  SetCaption("Chords");
  SetClientWidth(326 + 28);
  SetClientHeight(68);
  MakeDropDown(*this, [this] { return Busy; });
  ApplySkinTemplate(*this, skinkind::Small);
  PLeft = Make<TPanel>(this, this, "PLeft", 0, 0, 26, 68);
  PLeft->SetBevelOuter(bvNone);
  CBPlus = Make<TECCharButton>(this, PLeft, "CBPlus", 2, 2, 22, 22);
  CBPlus->SetCaption("+");
  CBMinus = Make<TECCharButton>(this, PLeft, "CBMinus", 2, 26, 22, 22);
  CBMinus->SetCaption("\xE2\x89\xA1");
  for (TECCharButton* b : {CBPlus, CBMinus}) {
    b->SetFlat(false);
    b->SetShowHint(true);
  }
  CBPlus->OnClick = [this](TObject*) {
    Busy = true;
    const bool taken = palette_.ImportChord();
    Busy = false;
    if (taken) Fill();
  };
  CBMinus->OnClick = [this](TObject*) {
    Busy = true;
    {
      TFChordList list(nullptr, nullptr, palette_);
      list.SetPopupParent(this);
      list.ShowModal();
    }
    Busy = false;
    Fill();
  };
  SBChords = Make<TScrollBox>(this, this, "SBChords", 28, 0, 326, 68);
  MakeFormLanguage(this, "LAllChords");
  Fill();
}

void TFAllChords::Fill() {
  for (TECCharButton* b : ChordButtons) delete b;
  for (TLabel* l : GroupLabels) delete l;
  ChordButtons.clear();
  GroupLabels.clear();
  shown_.clear();
  for (const auto& c : palette_.Library()) {
    TFChords::EnsureLoaded(*c);
    shown_.push_back(c.get());
  }
  std::stable_sort(shown_.begin(), shown_.end(), [](const TQSChordDescription* a, const TQSChordDescription* b) {
    return CompareText(a->Group, b->Group) < 0;
  });
  const bool wide = shown_.size() > 39;
  const int perRow = wide ? 8 : 5, width = wide ? 500 : 326;
  int x = 0, y = 0, column = 0;
  const std::string* group = nullptr;
  for (size_t i = 0; i < shown_.size(); ++i) {
    TQSChordDescription* chord = shown_[i];
    if (!group || chord->Group != *group) {
      // A group starts on a row of its own, under its label.
      if (group) {
        y += kAllChordsButtonHeight + 1;
        x = column = 0;
      }
      y += 16;
      group = &chord->Group;
    }
    auto* b = Make<TECCharButton>(this, SBChords, ("CBChord" + std::to_string(i)).c_str(), x, y,
                                  kAllChordsButtonWidth, kAllChordsButtonHeight);
    b->SetCaption(chord->GetName());
    b->SetHint(chord->Description);
    b->SetShowHint(true);
    b->SetFlat(true);
    b->SetBlackBorder(true);
    b->SetBorderColor(static_cast<TColor>(4210754));
    b->OnClick = [this, chord](TObject*) {
      palette_.MoveChordToHead(chord);
      palette_.InsertLibraryChord(*chord);
      Close();
    };
    ChordButtons.push_back(b);
    x += kAllChordsButtonWidth + 1;
    if (++column == perRow) {
      y += kAllChordsButtonHeight + 1;
      x = column = 0;
    }
  }
  if (column > 0) y += kAllChordsButtonHeight + 1;
  SetClientWidth(width + 28);
  SBChords->SetBounds(28, 0, width, y > 40 ? y + 28 : 68);
  SetClientHeight(y > 40 ? y + 28 : 68);
  PLeft->SetBounds(0, 0, 26, ClientHeight());
  const std::string* previous = nullptr;
  for (size_t i = 0; i < ChordButtons.size(); ++i) {
    if (previous && *previous == shown_[i]->Group) continue;
    previous = &shown_[i]->Group;
    auto* l = Make<TLabel>(this, SBChords, ("LGroup" + std::to_string(GroupLabels.size())).c_str(), 8,
                           ChordButtons[i]->Top() - 16, SBChords->ClientWidth(), 16);
    l->SetCaption(shown_[i]->Group);
    TFont font = l->Font();
    font.Style = fsBold;
    font.Color = RGB(128, 0, 0);  // dark red
    l->SetFont(font);
    GroupLabels.push_back(l);
  }
}

// ------------------------------------------------------------------ name editor

TFChordEditor::TFChordEditor(TComponent* owner, TIniFile* settings) : TForm(owner), settings_(settings) {
  SetName("FChordEditor");
  SetCaption("Chord");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(452);
  SetClientHeight(116);
  ApplySkinTemplate(*this, skinkind::Normal);
  LName = MakeLabel(*this, "LName", "Name", 8, 8, 300);
  CEName = MakeNameEditor(*this, Buttons, 8, 26, 310);
  BBSave = MakeOkButton(this, "Ok", 288, 84);
  BBSave->SetName("BBSave");
  BBSave->OnClick = [this](TObject*) { Save(); };
  BBCancel = MakeCancelButton(this, 369, 84);
  CloseOnEscape(*this);
  MakeFormLanguage(this, "LChordEditor");
  PlaceFromSettings(*this, settings_, kEditorSection);
}

TFChordEditor::~TFChordEditor() { KeepInSettings(*this, settings_, kEditorSection); }

void TFChordEditor::SetFragments(const std::vector<TQSChordFragment>& fragments) {
  std::vector<TQSChordFragment> shown = fragments;
  if (shown.empty()) shown.emplace_back();
  CEName->SetChordFragments(shown);
  CEName->SetCurrentFragment(std::min<int>(1, static_cast<int>(shown.size()) - 1));
  CEName->LayoutFragments();
}

std::vector<TQSChordFragment> TFChordEditor::GetFragments() const { return CEName->ChordFragments(); }

bool TFChordEditor::Save() {
  const std::vector<TQSChordFragment> fragments = GetFragments();
  if (fragments.empty() || (fragments.size() == 1 && fragments[0].Text.empty())) {
    const std::string title = LanguageMessage("FChordEditor", 0, "Chord");
    const std::string text = LanguageMessage("FChordEditor", 1, "Fill in the field \"%s\".");
    AskWith(Ask, title, Format(text.c_str(), LName->Caption().c_str()), kMessageWarning, kMessageOk);
    return false;
  }
  SetModalResult(mrOk);
  return true;
}

// ------------------------------------------------------------------ saving a chord

int CopySelectedChordNotes(const TQSWindow& view, TQSChordDescription& chord) {
  const TQSNote* first = nullptr;
  int taken = 0;
  for (const auto& sel : view.SelPieces)
    for (const TQSSelList& list : sel->Measures)
      for (const TQSCalcItem* e : list) {
        const auto* note = e->ElementType == element::Item ? dynamic_cast<const TQSNote*>(e->Item) : nullptr;
        if (!note || note->GraceGroup()) continue;
        if (first && (first->Fields.StaffVoice != note->Fields.StaffVoice || first->Fields.Time != note->Fields.Time ||
                      first->Fields.RealLength != note->Fields.RealLength ||
                      first->GetMeasure() != note->GetMeasure())) {
          // Once the chord has begun, a note of another chord ends the run.
          if (taken >= 2) break;
          continue;
        }
        if (!first) first = note;
        auto* copy = new TQSNote(&chord);
        copy->Assign(*note);
        chord.AddNote(copy);
        ++taken;
      }
  return taken;
}

// ------------------------------------------------------------------ forms

void RegisterChordDialogForms() {
  // The forms need a palette with its library; the form tools show them on
  // one of their own.
  static TFChords* palette = nullptr;  // lives as long as the program
  auto sample = []() -> TFChords& {
    if (!palette) palette = new TFChords(nullptr, TPaletteContext{});
    return *palette;
  };
  RegisterForm("FChordProperties", [sample](const std::string&) -> std::unique_ptr<TCustomForm> {
    TFChords& p = sample();
    auto form = std::make_unique<TFChordProperties>(nullptr, nullptr, p);
    if (!p.Library().empty()) form->SetChord(p.Library().front().get());
    form->SetExportMode(true);
    form->SetFileNameVisible(true);
    return form;
  });
  RegisterForm("FChordList", [sample](const std::string&) -> std::unique_ptr<TCustomForm> {
    return std::make_unique<TFChordList>(nullptr, nullptr, sample());
  });
  RegisterForm("FAllChords", [sample](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFAllChords>(nullptr, sample());
    // Shown alone: the form tools own it and close it themselves.
    form->OnDeactivate = nullptr;
    form->OnClose = nullptr;
    return form;
  });
  RegisterForm("FChordEditor", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFChordEditor>(nullptr, nullptr);
    std::vector<TQSChordFragment> name(3);
    name[0].Text = "C";
    name[1].Text = "maj7";
    name[1].Fields.Anchor = 1;
    name[1].Fields.Level = 1;
    name[2].Text = "#11";
    name[2].Fields.Anchor = 2;
    name[2].Fields.Level = -2;
    form->SetFragments(name);
    return form;
  });
}

}  // namespace qs
