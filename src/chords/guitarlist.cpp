#include "chords/guitarlist.h"

#include <algorithm>

#include "base/inifile.h"
#include "base/strings.h"
#include "chords/chordname.h"
#include "chords/framedialogs.h"
#include "chords/frameeditor.h"
#include "chords/guitar.h"
#include "palettes/libraryfile.h"
#include "palettes/symbolpickers.h"
#include "platform/comctrls.h"
#include "platform/stdctrls.h"
#include "uikit/charbutton.h"
#include "uikit/formparts.h"
#include "uikit/gridstring.h"
#include "uikit/interface.h"
#include "uikit/language.h"
#include "uikit/messagebox.h"
#include "uikit/names.h"
#include "palettes/pitchpicker.h"

namespace qs {

namespace {

constexpr const char* kSection = "FGuitarList";
constexpr const char* kRecord = "FGuitarList";

std::string ChordCaption(const TQSGuitarFrame& frame) {
  std::vector<TQSChordFragment> fragments;
  BuildChordName(frame.Code, fragments);
  std::string caption;
  for (const TQSChordFragment& f : fragments) caption += f.Text;
  return caption;
}

TECStringGrid* MakeTuningGrid(TForm& form, const char* name, int left, int top) {
  auto* grid = Make<TECStringGrid>(&form, &form, name, left, top, 80, 184);
  grid->SetColCount(2);
  grid->SetFixedCols(0);
  grid->SetFixedRows(0);
  grid->SetDefaultRowHeight(18);
  TECStringColumn& number = grid->Columns().Add();
  number.EditStyle = ECStringGrid::esReadOnly;
  number.SetWidth(24);
  TECStringColumn& pitch = grid->Columns().Add();
  pitch.EditStyle = ECStringGrid::esEllipsis;
  pitch.SetWidth(52);
  grid->SetOptions(grid->Options() | goEditing);
  return grid;
}

TUpDown* MakeCounter(TForm& form, const char* name, TEdit* edit, int min, int max) {
  auto* ud = Make<TUpDown>(&form, &form, name, edit->Left() + edit->Width(), edit->Top(), 17, edit->Height());
  ud->Min = min;
  ud->Max = max;
  ud->SetAssociate(edit);
  ud->SetPosition(min);
  return ud;
}

}  // namespace

TFGuitarList::TFGuitarList(TComponent* owner, TIniFile* settings, TGuitars& guitars)
    : TForm(owner), settings_(settings), guitars_(guitars) {
  SetName("FGuitarList");
  SetCaption("Guitar list");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(518);
  SetClientHeight(355);
  ApplySkinTemplate(*this, skinkind::Normal);

  LGuitars = Make<TLabel>(this, this, "LGuitars", 8, 6, 190, 16);
  LGuitars->SetCaption("Guitars");
  LVGuitars = Make<TListView>(this, this, "LVGuitars", 8, 24, 190, 286);
  LVGuitars->SetViewStyle(vsReport);
  static_cast<TListColumn*>(LVGuitars->Columns.Add())->Width = 170;
  LVGuitars->ColumnsChanged();
  LVGuitars->SetTabStop(true);
  LVGuitars->OnSelectItem = [this](TObject*) { ShowGuitar(); };
  LVGuitars->OnEdited = [this](TObject*, int index, std::string& text) {
    // Renaming keeps the guitar's file.
    if (index >= 0 && index < static_cast<int>(guitars_.size())) guitars_[static_cast<size_t>(index)]->Name = text;
  };

  LStringCount = Make<TLabel>(this, this, "LStringCount", 210, 8, 100, 16);
  LStringCount->SetCaption("String count");
  EStringCount = Make<TEdit>(this, this, "EStringCount", 316, 4, 40, 22);
  UDStringCount = MakeCounter(*this, "UDStringCount", EStringCount, 3, TQSGuitarDescription::kMaxStrings);
  EStringCount->OnChange = [this](TObject*) {
    if (!filling_) SetStringCount(StrToIntSafe(Trim(EStringCount->Text()), UDStringCount->Position()));
  };
  LFretCount = Make<TLabel>(this, this, "LFretCount", 210, 36, 100, 16);
  LFretCount->SetCaption("Fret count");
  EFretCount = Make<TEdit>(this, this, "EFretCount", 316, 32, 40, 22);
  UDFretCount = MakeCounter(*this, "UDFretCount", EFretCount, 3, TQSGuitarDescription::kMaxFrets);
  EFretCount->OnChange = [this](TObject*) {
    if (!filling_) SetFretCount(StrToIntSafe(Trim(EFretCount->Text()), UDFretCount->Position()));
  };
  CBDouble = Make<TCheckBox>(this, this, "CBDouble", 210, 62, 200, 20);
  CBDouble->SetCaption("Second pair");
  CBDouble->OnClick = [this](TObject*) {
    TQSGuitarDescription* g = SelectedGuitar();
    if (!g || filling_) return;
    g->Paired = CBDouble->Checked() ? 1 : 0;
    g->Modified = true;
    SGSTuning->SetVisible(CBDouble->Checked());
  };
  LTurning = Make<TLabel>(this, this, "LTurning", 210, 88, 190, 16);
  LTurning->SetCaption("Turning");
  SGTuning = MakeTuningGrid(*this, "SGTuning", 210, 106);
  SGSTuning = MakeTuningGrid(*this, "SGSTuning", 310, 106);
  SGTuning->OnEditButtonClick = [this](TObject*) { OpenPitchChooser(false); };
  SGSTuning->OnEditButtonClick = [this](TObject*) { OpenPitchChooser(true); };

  LChords = Make<TLabel>(this, this, "LChords", 414, 8, 96, 16);
  LChords->SetCaption("Chords");
  LVChords = Make<TListView>(this, this, "LVChords", 414, 26, 96, 256);
  LVChords->SetViewStyle(vsReport);
  LVChords->SetReadOnly(true);
  static_cast<TListColumn*>(LVChords->Columns.Add())->Width = 80;
  LVChords->ColumnsChanged();
  SBAddChord = Make<TECCharButton>(this, this, "SBAddChord", 414, 286, 30, 22);
  SBAddChord->SetCaption("+");
  SBAddChord->OnClick = [this](TObject*) { EditFrame(nullptr); };
  SBEditChord = Make<TECCharButton>(this, this, "SBEditChord", 447, 286, 30, 22);
  SBEditChord->SetCaption("...");
  SBEditChord->OnClick = [this](TObject*) {
    if (TQSGuitarFrame* f = SelectedFrame()) EditFrame(f);
  };
  SBDeleteChord = Make<TECCharButton>(this, this, "SBDeleteChord", 480, 286, 30, 22);
  SBDeleteChord->SetCaption("\xE2\x88\x92");
  SBDeleteChord->OnClick = [this](TObject*) { DeleteFrame(); };
  for (TECCharButton* b : {SBAddChord, SBEditChord, SBDeleteChord}) {
    b->SetFlat(false);
    b->SetShowHint(true);
  }

  BBAdd = Make<TButton>(this, this, "BBAdd", 8, 322, 90, 25);
  BBAdd->SetCaption("Add");
  BBAdd->OnClick = [this](TObject*) {
    TFGetName prompt(nullptr, nullptr);
    prompt.OnValidate = [this, &prompt](TObject*) { return ValidateName(prompt.EName->Text()); };
    if (prompt.ShowModal() == mrOk) AddGuitar(Trim(prompt.EName->Text()));
  };
  BBDelete = Make<TButton>(this, this, "BBDelete", 104, 322, 90, 25);
  BBDelete->SetCaption("Delete");
  BBDelete->OnClick = [this](TObject*) { DeleteGuitar(); };
  BBClose = MakeOkButton(this, "Close", 435, 322);
  BBClose->SetName("BBClose");
  BBClose->ModalResult = mrOk;
  KeyPreview = true;
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
    if (key != VK_ESCAPE) return;
    key = 0;
    SetModalResult(mrCancel);
  };
  MakeFormLanguage(this, "FLGuitarList");
  if (settings_) {
    TRect bounds = BoundsRect();
    if (ReadFormBounds(*settings_, kSection, bounds)) SetBounds(bounds.Left, bounds.Top, Width(), Height());
  }
  FillGuitarList();
}

int TFGuitarList::AskUser(int title, int text, const std::string& argument, uint8_t icon, uint16_t buttons) {
  static const char* const kEnglish[] = {"Enter a name.",
                                         "A guitar named \"%s\" exists.",
                                         "Delete",
                                         "Delete the guitar \"%s\"?",
                                         "Delete the chord \"%s\"?",
                                         "No transposition",
                                         "\"%s\" cannot be the name of a library file.",
                                         "Name"};
  const std::string t = LanguageMessage(kRecord, title, kEnglish[title]);
  const std::string m = Format(LanguageMessage(kRecord, text, kEnglish[text]).c_str(), argument.c_str());
  return Ask ? Ask(t, m, icon, buttons) : ShowMessageBlock(t, m, icon, buttons);
}

TQSGuitarDescription* TFGuitarList::SelectedGuitar() const {
  const int i = LVGuitars->ItemIndex();
  return i >= 0 && i < static_cast<int>(guitars_.size()) ? guitars_[static_cast<size_t>(i)].get() : nullptr;
}

TQSGuitarFrame* TFGuitarList::SelectedFrame() const {
  const int i = LVChords->ItemIndex();
  return i >= 0 && i < static_cast<int>(shownFrames_.size()) ? shownFrames_[static_cast<size_t>(i)] : nullptr;
}

void TFGuitarList::FillGuitarList() {
  LVGuitars->Clear();
  for (const auto& g : guitars_) LVGuitars->AddItem(g->Name);
  if (!guitars_.empty()) LVGuitars->SetItemIndex(0);
  ShowGuitar();
}

int TFGuitarList::StringOfRow(int row) const {
  const TQSGuitarDescription* g = SelectedGuitar();
  return g ? g->StringCount - row - 1 : -1;
}

void TFGuitarList::FillTuning() {
  const TQSGuitarDescription* g = SelectedGuitar();
  const int n = g ? g->StringCount : 0;
  for (TECStringGrid* grid : {SGTuning, SGSTuning}) {
    grid->SetRowCount(std::max(1, n));
    for (int r = 0; r < n; ++r) {
      grid->SetCells(0, r, std::to_string(n - r));
      grid->SetCells(1, r, PitchText(grid == SGTuning ? g->GetTuning(n - r - 1) : g->GetSecondTuning(n - r - 1)));
    }
    grid->Invalidate();
  }
}

void TFGuitarList::FillChords() {
  LVChords->Clear();
  shownFrames_.clear();
  const TQSGuitarDescription* g = SelectedGuitar();
  if (!g) return;
  // Kept sorted by the chord's name.
  std::vector<std::pair<std::string, TQSGuitarFrame*>> rows;
  for (const auto& f : g->Frames) rows.emplace_back(ChordCaption(*f), f.get());
  std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [caption, frame] : rows) {
    LVChords->AddItem(caption);
    shownFrames_.push_back(frame);
  }
  if (!rows.empty()) LVChords->SetItemIndex(0);
}

void TFGuitarList::ShowGuitar() {
  const TQSGuitarDescription* g = SelectedGuitar();
  filling_ = true;
  if (g) {
    UDStringCount->SetPosition(g->StringCount);
    EStringCount->SetText(std::to_string(g->StringCount));
    UDFretCount->SetPosition(g->FretCount);
    EFretCount->SetText(std::to_string(g->FretCount));
    CBDouble->SetChecked(g->Paired != 0);
  }
  SGSTuning->SetVisible(g && g->Paired != 0);
  filling_ = false;
  FillTuning();
  FillChords();
}

void TFGuitarList::SetStringCount(int count) {
  TQSGuitarDescription* g = SelectedGuitar();
  if (!g) return;
  g->SetStringCount(std::clamp(count, 3, static_cast<int>(TQSGuitarDescription::kMaxStrings)));
  g->Modified = true;
  FillTuning();
}

void TFGuitarList::SetFretCount(int count) {
  TQSGuitarDescription* g = SelectedGuitar();
  if (!g) return;
  g->SetFretCount(std::clamp(count, 3, static_cast<int>(TQSGuitarDescription::kMaxFrets)));
  g->Modified = true;
}

void TFGuitarList::TuningChosen(bool second, int row, uint8_t pitch) {
  TQSGuitarDescription* g = SelectedGuitar();
  const int string = StringOfRow(row);
  if (!g || string < 0) return;
  if (second) g->SetSecondTuning(string, pitch);
  else g->SetTuning(string, pitch);
  g->Modified = true;
  (second ? SGSTuning : SGTuning)->SetCells(1, row, PitchText(pitch));
  (second ? SGSTuning : SGTuning)->Invalidate();
}

void TFGuitarList::OpenPitchChooser(bool second) {
  TECStringGrid* grid = second ? SGSTuning : SGTuning;
  const int row = grid->Row();
  if (!SelectedGuitar() || row < 0) return;
  auto* chooser = new TFChoosePitch(nullptr);
  chooser->SetPopupParent(this);  // the dialog runs modal
  chooser->SetPitch(static_cast<uint8_t>(std::max(0, PitchOfText(grid->Cells(1, row)))));
  chooser->OnChoose = [this, second, row](TFChoosePitch*, uint8_t pitch) { TuningChosen(second, row, pitch); };
  PlaceBelowControl(*grid, *chooser);
  chooser->Show();
}

bool TFGuitarList::ValidateName(const std::string& typed) {
  const std::string name = Trim(typed);
  if (name.empty()) {
    AskUser(7, 0, "", kMessageWarning, kMessageOk);
    return false;
  }
  for (const auto& g : guitars_)
    if (SameText(g->Name, name)) {
      AskUser(7, 1, name, kMessageWarning, kMessageOk);
      return false;
    }
  // The name becomes the guitar's file in the library folder.
  if (!IsLibraryEntryName(name) || !IsLibraryEntryName(name + ".gtr")) {
    AskUser(7, 6, name, kMessageWarning, kMessageOk);
    return false;
  }
  return true;
}

void TFGuitarList::AddGuitar(const std::string& name) {
  auto g = std::make_unique<TQSGuitarDescription>();
  g->Name = name;
  g->FileName = name + ".gtr";
  g->Modified = true;
  guitars_.push_back(std::move(g));
  LVGuitars->AddItem(name);
  LVGuitars->SetItemIndex(static_cast<int>(guitars_.size()) - 1);
  ShowGuitar();
}

bool TFGuitarList::DeleteGuitar() {
  const int i = LVGuitars->ItemIndex();
  if (!SelectedGuitar()) return false;
  if (AskUser(2, 3, LVGuitars->ItemCaption(i), kMessageQuestion, kMessageYes | kMessageNo) != mrYes) return false;
  guitars_.erase(guitars_.begin() + i);
  LVGuitars->DeleteItem(i);
  if (!guitars_.empty()) LVGuitars->SetItemIndex(std::max(0, i - 1));
  ShowGuitar();
  return true;
}

bool TFGuitarList::DeleteFrame() {
  TQSGuitarDescription* g = SelectedGuitar();
  TQSGuitarFrame* f = SelectedFrame();
  const int i = LVChords->ItemIndex();
  if (!g || !f) return false;
  if (AskUser(2, 4, LVChords->ItemCaption(i), kMessageQuestion, kMessageYes | kMessageNo) != mrYes) return false;
  g->RemoveFrame(f);
  g->Modified = true;
  FillChords();
  if (LVChords->ItemCount() > 0) LVChords->SetItemIndex(i > 0 ? i - 1 : LVChords->ItemCount() - 1);
  return true;
}

void TFGuitarList::EditFrame(TQSGuitarFrame* frame) {
  TQSGuitarDescription* g = SelectedGuitar();
  if (!g) return;
  TFFrameEditor editor(nullptr, settings_);
  TECFrameEditor& fe = *editor.FEFrame;
  fe.SetStringCount(g->StringCount);
  fe.SetFretCount(g->FretCount);
  if (frame) {
    fe.SetStartFret(frame->StartFret);
    editor.SetCode(frame->Code);
    for (int b = 0; b < static_cast<int>(frame->Barre.size()); ++b) fe.SetBarre(b, frame->Barre[static_cast<size_t>(b)]);
  }
  for (int s = 0; s < g->StringCount; ++s) {
    TQSFrameString e = frame && frame->GetString(s) ? *frame->GetString(s) : TQSFrameString{};
    e.Further = g->GetTuning(s);  // the guitar's tuning as it is now
    fe.SetString(s, e);
  }
  if (editor.ShowModal() != mrOk) return;
  TQSGuitarFrame* target = frame ? frame : g->AddFrame();
  target->Code = editor.Code();
  target->StartFret = static_cast<uint8_t>(fe.StartFret());
  target->SetUsedFretCount(static_cast<uint8_t>(fe.UsedFretCount()));
  target->Barre = fe.Barres();
  target->Strings = fe.Strings();
  g->Modified = true;
  FillChords();
  for (size_t i = 0; i < shownFrames_.size(); ++i)
    if (shownFrames_[i] == target) LVChords->SetItemIndex(static_cast<int>(i));
}

void RegisterGuitarListForms() {
  RegisterForm("FGuitarList", [](const std::string& language) -> std::unique_ptr<TCustomForm> {
    static TFGuitarList::TGuitars guitars;  // lives as long as the program
    if (guitars.empty()) guitars = LoadGuitarLibrary(language).Guitars;
    return std::make_unique<TFGuitarList>(nullptr, nullptr, guitars);
  });
}

}  // namespace qs
