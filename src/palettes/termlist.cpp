// The expressions popup (every expression sorted, a row per first letter)
// and the library editor.
#include <algorithm>

#include "base/inifile.h"
#include "base/strings.h"
#include "base/text.h"
#include "palettes/terms.h"
#include "platform/extctrls.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "uikit/charbutton.h"
#include "uikit/formparts.h"
#include "uikit/gridstring.h"

namespace qs {

namespace {

constexpr int kRowStep = 19, kButtonWidth = 100, kButtonHeight = 18, kButtonStep = 103, kFirstLeft = 12;
constexpr int kMaxHeight = 500, kFrameHeight = 28;
constexpr TColor kLetterColor = static_cast<TColor>(0x000080);
constexpr const char* kTermListSection = "TermList";

// The first character of a text (a whole UTF-8 sequence).
std::string FirstCharacter(const std::string& text) {
  if (text.empty()) return {};
  size_t i = 0;
  NextCodePoint(text, i);
  return text.substr(0, i);
}

}  // namespace

// ------------------------------------------------------------------ popup

TFAllTerms::TFAllTerms(TComponent* owner, TFTerms& terms) : TForm(owner), terms_(terms) {
  SetName("FAllTerms");
  SetCaption("Expressions");
  SetBorderStyle(bsToolWindow);
  ApplySkinTemplate(*this, skinkind::Small);
  SBTerms = Make<TScrollBox>(this, "SBTerms", 0, 0, 378, 100);
  SBTerms->SetAlign(alClient);
  CBPlus = Make<TECCharButton>(this, SBTerms, "CBPlus", 0, 2, 20, 20);
  CBMinus = Make<TECCharButton>(this, SBTerms, "CBMinus", 0, 24, 20, 20);
  for (auto [b, c] : {std::pair{CBPlus, '+'}, std::pair{CBMinus, '-'}}) {
    TFont f = b->Font();
    f.Name = "Arial";
    f.Height = -14;
    f.Style = fsBold;
    b->SetFont(f);
    b->SetByte(static_cast<uint8_t>(c));
    b->SetPosX(6);
    b->SetPosY(1);
    b->SetFlat(true);
    b->SetShowHint(true);
    b->OnClick = [this](TObject*) {
      editing_ = true;
      const bool ok = terms_.EditLibrary();
      editing_ = false;
      if (ok) Fill();
    };
  }
  MakeFormLanguage(this, "LAllTerms");
  KeyPreview = true;
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
    if (key != VK_ESCAPE) return;
    key = 0;
    Close();
  };
  OnDeactivate = [this](TObject*) {
    if (!editing_) Close();
  };
  OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
  Fill();
}

int TFAllTerms::HeightFor(int laidOut) { return std::min(kMaxHeight, laidOut + kFrameHeight); }

void TFAllTerms::Fill() {
  for (TSpeedButton* b : buttons_) delete b;
  for (TLabel* l : letters_) delete l;
  buttons_.clear();
  letters_.clear();
  std::vector<const TTermDescription*> sorted;
  for (const auto& t : terms_.Library().Items) sorted.push_back(t.get());
  std::stable_sort(sorted.begin(), sorted.end(), [](const TTermDescription* a, const TTermDescription* b) {
    return TermKey(a->Text) < TermKey(b->Text);
  });
  const int count = static_cast<int>(sorted.size());
  const int perRow = PerRow(count);
  SetWidth(WidthFor(count));
  int top = 0, column = 0;
  std::string previous;
  bool first = true;
  for (const TTermDescription* term : sorted) {
    const std::string letter = FirstCharacter(term->Text);
    const bool newLetter = !letter.empty() && letter != previous;
    if (!first && (newLetter || column >= perRow)) {
      top += kRowStep;
      column = 0;
    }
    if (newLetter) {
      auto* l = new TLabel(this);
      l->SetParent(SBTerms);
      l->SetCaption(letter);
      TFont f = l->Font();
      f.Style = fsBold;
      f.Color = kLetterColor;
      l->SetFont(f);
      l->SetLeft(0);
      l->SetTop(top + 2);
      letters_.push_back(l);
      previous = letter;
    }
    auto* b = new TSpeedButton(this);
    b->SetParent(SBTerms);
    b->SetCaption(term->Text);
    TFont f = b->Font();
    f.Name = "Arial Narrow";
    b->SetFont(f);
    b->Flat = true;
    b->SetBounds(kFirstLeft + kButtonStep * column, top, kButtonWidth, kButtonHeight);
    b->OnClick = [this, term](TObject*) {
      TFTerms& terms = terms_;
      Close();
      terms.ChooseFromPopup(term);
    };
    buttons_.push_back(b);
    ++column;
    first = false;
  }
  const int laidOut = top + kRowStep;
  SetHeight(HeightFor(laidOut));
  const int right = WidthFor(count) - 34;
  CBPlus->SetLeft(right);
  CBMinus->SetLeft(right);
}

// ----------------------------------------------------------------- editor

TFTermList::TFTermList(TComponent* owner, TIniFile* settings, TFTerms& terms)
    : TForm(owner), settings_(settings), terms_(terms) {
  SetName("FTermList");
  SetCaption("Expression list");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(330);
  SetClientHeight(320);
  ApplySkinTemplate(*this, skinkind::Normal);
  SGTermList = Make<TECStringGrid>(this, "SGTermList", 8, 8, 224, 304);
  SGTermList->SetColCount(2);
  SGTermList->SetFixedCols(0);
  SGTermList->SetFixedRows(1);
  SGTermList->SetRowCount(2);
  TECStringColumn& text = SGTermList->Columns().Add();
  text.EditStyle = ECStringGrid::esEdit;
  text.SetWidth(120);
  TECStringColumn& kind = SGTermList->Columns().Add();
  kind.EditStyle = ECStringGrid::esDropDownList;
  kind.SetWidth(80);
  SGTermList->SetOptions(SGTermList->Options() | goEditing | goAlwaysShowEditor);
  BBAdd = Make<TButton>(this, "BBAdd", 244, 8, 78, 25);
  BBAdd->SetCaption("&Add");
  BBAdd->OnClick = [this](TObject*) { AddRow(); };
  BBRemove = Make<TButton>(this, "BBRemove", 244, 40, 78, 25);
  BBRemove->SetCaption("&Remove");
  BBRemove->OnClick = [this](TObject*) { RemoveRow(); };
  BBOk = MakeOkButton(this, "&OK", 244, 254);
  BBOk->SetWidth(78);
  BBOk->OnClick = [this](TObject*) {
    Accept();
    SetModalResult(mrOk);
  };
  BBCancel = MakeCancelButton(this, 244, 286);
  BBCancel->SetWidth(78);
  TECFormLanguage* language = MakeFormLanguage(this, "LTermList");
  text.SetCaption(language->GetMessage(0, "Expression"));
  kind.SetCaption(language->GetMessage(1, "Kind"));
  const char* kinds[] = {"Inscription", "Dynamics", "Tempo"};
  for (int i = 0; i < 3; ++i) {
    kinds_.push_back(language->GetMessage(2 + i, kinds[i]));
    kind.DropDownList.Add(kinds_.back());
  }
  KeyPreview = true;
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
    if (key != VK_ESCAPE) return;
    key = 0;
    SetModalResult(mrCancel);
  };

  const auto& items = terms_.Library().Items;
  SGTermList->SetRowCount(std::max<int>(2, static_cast<int>(items.size()) + 1));
  for (size_t i = 0; i < items.size(); ++i) {
    SGTermList->SetCells(0, static_cast<int>(i) + 1, items[i]->Text);
    SGTermList->SetCells(1, static_cast<int>(i) + 1, KindItem(items[i]->Kind));
    rowTerms_.push_back(items[i].get());
  }
  if (items.empty()) rowTerms_.push_back(nullptr);
  if (items.empty()) SGTermList->SetCells(1, 1, kinds_[0]);
  if (settings_) {
    TRect bounds = BoundsRect();
    if (ReadFormBounds(*settings_, kTermListSection, bounds)) SetBounds(bounds.Left, bounds.Top, Width(), Height());
  }
}

TFTermList::~TFTermList() {
  if (settings_) WriteFormBounds(*settings_, kTermListSection, BoundsRect());
}

std::string TFTermList::KindItem(int kind) const {
  return kind >= 0 && kind < static_cast<int>(kinds_.size()) ? kinds_[static_cast<size_t>(kind)] : std::string();
}

int TFTermList::RowCount() const { return SGTermList->RowCount() - 1; }

void TFTermList::AddRow() {
  const int row = SGTermList->RowCount();
  SGTermList->SetRowCount(row + 1);
  SGTermList->SetCells(0, row, "");
  SGTermList->SetCells(1, row, kinds_[0]);
  rowTerms_.push_back(nullptr);
  SGTermList->SetRow(row);
  if (SGTermList->CanFocus()) SGTermList->SetFocus();
}

void TFTermList::RemoveRow() {
  const int current = std::max(1, SGTermList->Row());
  const int last = SGTermList->RowCount() - 1;
  for (int r = current; r < last; ++r)
    for (int c = 0; c < 2; ++c) SGTermList->SetCells(c, r, SGTermList->Cells(c, r + 1));
  if (RowCount() > 1) {
    rowTerms_.erase(rowTerms_.begin() + std::min<int>(current, static_cast<int>(rowTerms_.size())) - 1);
    SGTermList->SetRowCount(last);
    if (current >= last) SGTermList->SetRow(last - 1);
  } else {
    SGTermList->SetCells(0, 1, "");
    SGTermList->SetCells(1, 1, kinds_[0]);
    rowTerms_.assign(1, nullptr);
  }
  SGTermList->Invalidate();
  if (SGTermList->CanFocus()) SGTermList->SetFocus();
}

void TFTermList::Accept() {
  TTermLibrary& library = terms_.Library();
  std::vector<std::unique_ptr<TTermDescription>> items;
  const int rows = RowCount();
  for (int r = 1; r <= rows; ++r) {
    TTermDescription* own = static_cast<size_t>(r - 1) < rowTerms_.size() ? rowTerms_[static_cast<size_t>(r - 1)] : nullptr;
    std::unique_ptr<TTermDescription> term;
    for (auto& item : library.Items)
      if (own && item.get() == own) term = std::move(item);
    if (!term) term = std::make_unique<TTermDescription>();
    term->Text = SGTermList->Cells(0, r);
    const std::string kindText = SGTermList->Cells(1, r);
    for (size_t k = 0; k < kinds_.size(); ++k)
      if (SameText(kinds_[k], kindText)) term->Kind = static_cast<int>(k);
    items.push_back(std::move(term));
  }
  // The expressions of removed rows go, and the palette's choice with them.
  for (auto& item : library.Items)
    if (item) terms_.Forget(item.get());
  library.Items = std::move(items);
  rowTerms_.clear();
  for (auto& item : library.Items) rowTerms_.push_back(item.get());
  terms_.FillTermButtons();
  terms_.SaveTerms();
}

}  // namespace qs
