#include "score/score.h"

#include <algorithm>
#include <exception>

#include "base/mathutil.h"
#include "platform/gui.h"
#include "score/measure.h"
#include "score/pageobjects.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/tree.h"

namespace qs {

namespace {
// Stores value in field; false when it was already there.
template <class T>
bool Changes(T& field, const T& value) {
  if (field == value) return false;
  field = value;
  return true;
}

TQSScore::TLayoutPass& DefaultLayoutPass() {
  static TQSScore::TLayoutPass pass;
  return pass;
}
}  // namespace

void TQSScore::SetDefaultLayoutPass(TLayoutPass pass) { DefaultLayoutPass() = std::move(pass); }

namespace {
TQSScore::TNoteEffects& NoteEffects() {
  static TQSScore::TNoteEffects effects;
  return effects;
}
}  // namespace

void TQSScore::SetNoteEffects(TNoteEffects effects) { NoteEffects() = std::move(effects); }

bool TQSScore::CalcNoteEffects(TQSItem* item) { return NoteEffects() ? NoteEffects()(*this, item) : false; }

void TQSScoreSettings::VisitSettings(TBlockIO& b) {
  b.I32(Scale);
  b.Bool(Optimization);
  b.Bytes(SettingsReserved5);
  b.I32(NoteInterval);
  b.I32(StemLength);
  b.U8(reinterpret_cast<uint8_t&>(ViewStyle));
  b.U8(Align);
  b.U8(AutoJoin);
  b.U8(HorzAlign);
  b.U8(VertAlign);
  b.U8(PrintEmptyMeasures);
  b.U8(PrintEmptyLines);
  b.U8(PrintMeasureNumbers);
  b.I32(PageCount);
  b.Bytes(SettingsReserved36);
  b.I16(EmptyPages);
  b.I16(Spacing1);
  b.U16(Spacing2);
  b.U16(Spacing3);
  b.U16(Spacing4);
  b.U16(Spacing5);
  b.Bytes(SettingsReserved50);
}

// ---------------------------------------------------------------- lifetime

TQSScore::TQSScore() : Page(this) {
  drumByKey_.fill(-1);
  LayoutPass = DefaultLayoutPass();
  // A first pass: with no pieces it only resets the layout state.
  Recalculate(0, -1);
}

TQSScore::~TQSScore() {
  // Pieces go before the page and the layout records. The views are not
  // ours: each detaches itself when it goes, and one that outlives the
  // score is told that it has none.
  Description.Clear();
  ClearPieces();
  ClearItems();
  for (TQSWindowLink* view : windows_) view->Score = nullptr;
  windows_.clear();
  ClearLayout();
  ClearUndo();
  ClearRedo();
  ClearDrumInstruments();
  ClearDrumMap();
  ClearUserSymbols();
}

void TQSScore::FireQuietly(const TNotifyEvent& event, TObject* sender) noexcept {
  try {
    Fire(event, sender);
  } catch (...) {
    // The host's handler failed; the model goes on.
  }
}

int TQSScore::GetDinamics(int itemType, int kind) {
  return OnGetDinamics ? OnGetDinamics(this, itemType, kind) : 64;
}

bool TQSScore::GetTerms(int kind, const std::vector<std::string>& text, int& value1, int& value2) {
  return OnGetTerms ? OnGetTerms(this, kind, text, value1, value2) : false;
}

// ---------------------------------------------------------------- settings

void TQSScore::Relayout(bool changed) {
  Recalculate(0, -1);
  RefreshWindows();
  if (changed) FireChanged(this);
}

void TQSScore::SetOptimization(bool value) { Optimization = value; }

void TQSScore::SetScale(int value) {
  if (Changes(Scale, value)) Relayout(true);
}

void TQSScore::SetAutoJoin(uint8_t value) {
  if (Changes(AutoJoin, value)) FireChanged(this);
}

void TQSScore::SetNoteInterval(int value) {
  if (Changes(NoteInterval, value)) Relayout(false);
}

void TQSScore::SetStemLength(int value) { StemLength = value; }

void TQSScore::SetViewStyle(TQSViewStyle value) {
  if (!Changes(ViewStyle, value)) return;
  std::exception_ptr failure;
  if (TQSWindowLink* view = ActiveWindow()) {
    view->ClearSelection();
    view->ShowCursor(false);
    try {
      view->ValidateCursor(false);
    } catch (...) {
      failure = std::current_exception();
    }
    view->ShowCursor(true);
    view->RefreshRulerMarkers();
    view->UpdatePageButtons();
    view->DoActiveChanged(CurrentVoice());
  }
  Relayout(false);
  if (failure) std::rethrow_exception(failure);
}

void TQSScore::SetAlign(uint8_t value) {
  if (Changes(Align, value) && !Loading) Relayout(true);
}

void TQSScore::SetHorzAlign(uint8_t value) {
  if (Changes(HorzAlign, value)) Relayout(true);
}

void TQSScore::SetVertAlign(uint8_t value) {
  if (Changes(VertAlign, value)) Relayout(true);
}

void TQSScore::SetPageCount(int value) {
  if (Changes(PageCount, value)) Relayout(true);
}

void TQSScore::SetEmptyPages(int value) {
  if (Changes(EmptyPages, static_cast<int16_t>(std::clamp(value, -32768, 32767)))) Relayout(true);
}

void TQSScore::SetNoteNames(const std::string& value) {
  if (Changes(NoteNames, value)) RefreshWindows();
}

void TQSScore::SetFlazholetName(const std::string& value) {
  if (Changes(FlazholetName, value)) RefreshWindows();
}

void TQSScore::SetInsertName(const std::string& value) {
  if (Changes(InsertName, value)) RefreshWindowButtonBars();
}

void TQSScore::SetOverwriteName(const std::string& value) {
  if (Changes(OverwriteName, value)) RefreshWindowButtonBars();
}

void TQSScore::SetAutoPages(bool value) { AutoPages = value; }
void TQSScore::SetAutoEffect(bool value) { AutoEffect = value; }
void TQSScore::SetAutoVelocity(bool value) { AutoVelocity = value; }

void TQSScore::SetAutoLyric(bool value) {
  if (Changes(AutoLyric, value)) Relayout(true);
}

void TQSScore::SetAddState(TQSAddState value) {
  if (Changes(AddState, value)) RefreshWindowButtonBars();
}

int TQSScore::HalfSpacePixels() const {
  const long double lineSpace = Page.Tenths(TQSPage::dLineSpace).Value();
  return RoundPixels(ScreenPixelsPerInch() * lineSpace / 254.0L / 2.0L, kMaxPagePixels);
}

int TQSScore::StaffDistancePixels() const {
  const long double lineSpace = Page.Tenths(TQSPage::dLineSpace).Value();
  const long double interval = Page.Tenths(TQSPage::dInterval).Value();
  return RoundPixels((4 * lineSpace + interval) * Scale / 100.0L * ScreenPixelsPerInch() / 254.0L, kMaxPagePixels);
}

// ---------------------------------------------------------------- pieces

TQSPiece* TQSScore::GetPiece(int index) const { return At(pieces_, index); }

void TQSScore::AppendPiece(TQSPiece* piece) {
  if (RegistrationSuspended) return;
  AppendNumbered(pieces_, piece);
  FireAddItemQuietly(piece);
}

void TQSScore::RemovePiece(TQSPiece* piece) {
  FireDeleteItemQuietly(piece);
  std::erase(pieces_, piece);
}

TQSPiece* TQSScore::NewPiece() {
  auto* piece = new TQSPiece(this);
  Recalculate(std::max(0, LaidOutPages - 1), -1);
  RefreshWindows();
  return piece;
}

void TQSScore::RenumberPieces() { Renumber(pieces_); }

void TQSScore::ClearPieces() { FreeAll(pieces_); }

// ---------------------------------------------------------------- score items

void TQSScore::AddItem(TQSItem* item) {
  if (!RegistrationSuspended) Items.Add(item);
}

void TQSScore::RemoveItem(TQSItem* item) { Items.Remove(item); }

// ---------------------------------------------------------------- views

TQSWindowLink::~TQSWindowLink() {
  if (Score) Score->DetachWindow(this);
}

void TQSWindowLink::EditItemTextOf(TQSItem* item) { EditItemText(item ? item->LayoutLink : nullptr); }

TQSWindowLink* TQSScore::GetWindow(int index) const { return At(windows_, index); }

void TQSScore::AttachWindow(TQSWindowLink* window) {
  if (!window || std::find(windows_.begin(), windows_.end(), window) != windows_.end()) return;
  windows_.push_back(window);
  window->Score = this;
  if (activeWindow_ < 0) activeWindow_ = 0;
}

void TQSScore::DetachWindow(TQSWindowLink* window) {
  auto it = std::find(windows_.begin(), windows_.end(), window);
  if (it == windows_.end()) return;
  windows_.erase(it);
  window->Score = nullptr;
}

TQSWindowLink* TQSScore::ActiveWindow() {
  if (windows_.empty()) return nullptr;
  activeWindow_ = Clamp(activeWindow_, 0, WindowCount() - 1);
  return windows_[static_cast<size_t>(activeWindow_)];
}

void TQSScore::SetActiveWindow(TQSWindowLink* window) {
  const bool markerDrawn = NavigatorMarkerDrawn;
  if (markerDrawn)
    if (TQSWindowLink* old = GetWindow(activeWindow_)) old->DrawNavigatorMarker(false);
  auto it = std::find(windows_.begin(), windows_.end(), window);
  activeWindow_ = it == windows_.end() ? -1 : static_cast<int>(it - windows_.begin());
  if (markerDrawn && activeWindow_ >= 0) windows_[static_cast<size_t>(activeWindow_)]->DrawNavigatorMarker(true);
  Fire(OnActiveWindowChanged, this);
}

void TQSScore::RefreshWindows() {
  for (TQSWindowLink* w : windows_) w->InvalidatePages();
}

void TQSScore::RefreshWindowRulers() {
  for (TQSWindowLink* w : windows_) w->InvalidateRulers();
}

void TQSScore::RefreshWindowButtonBars() {
  for (TQSWindowLink* w : windows_) w->InvalidateButtonBar();
}

void TQSScore::ClearSelections() {
  for (TQSWindowLink* w : windows_) w->ClearSelection();
}

// ---------------------------------------------------------------- cursor

TQSPiece* TQSScore::CurrentPiece() {
  TQSWindowLink* view = ActiveWindow();
  return view ? GetPiece(view->CursorPosition.Piece) : nullptr;
}

TQSPart* TQSScore::CurrentPart() {
  TQSPiece* piece = CurrentPiece();
  return piece ? piece->GetPart(ActiveWindow()->CursorPosition.Part) : nullptr;
}

TQSStaff* TQSScore::CurrentStaff() {
  TQSPart* part = CurrentPart();
  return part ? part->GetStaff(ActiveWindow()->CursorPosition.Staff) : nullptr;
}

TQSVoice* TQSScore::CurrentVoice() {
  TQSStaff* staff = CurrentStaff();
  return staff ? staff->GetVoice(ActiveWindow()->CursorPosition.Voice) : nullptr;
}

TQSColumn* TQSScore::CurrentColumn() {
  TQSPiece* piece = CurrentPiece();
  return piece ? piece->GetColumn(ActiveWindow()->CursorPosition.Measure) : nullptr;
}

TQSMeasure* TQSScore::CurrentMeasure() {
  TQSPart* part = CurrentPart();
  return part ? part->GetMeasure(ActiveWindow()->CursorPosition.Measure) : nullptr;
}

TQSMeasure* TQSScore::EnsureMeasure(int index) {
  TQSPart* part = CurrentPart();
  if (!part) return nullptr;
  if (index < 0) index = ActiveWindow()->CursorPosition.Measure;
  if (index < 0) return nullptr;
  return EnsureChild(*part, part->MeasureList(), index);
}

TQSColumn* TQSScore::EnsureColumn(int index) {
  TQSPiece* piece = CurrentPiece();
  if (!piece) return nullptr;
  if (index < 0) index = ActiveWindow()->CursorPosition.Measure;
  if (index < 0) return nullptr;
  return EnsureChild(*piece, piece->ColumnList(), index);
}

bool TQSScore::HasBookmark(int index) {
  TQSWindowLink* view = ActiveWindow();
  return view && view->HasBookmark(index);
}

void TQSScore::SetBookmark(int index) {
  if (TQSWindowLink* view = ActiveWindow()) view->SetBookmark(index);
}

void TQSScore::GotoBookmark(int index) {
  if (TQSWindowLink* view = ActiveWindow()) view->GotoBookmark(index);
}

void TQSScore::SelectSymbols(int scope) {
  SymbolSelectScope = static_cast<uint8_t>(scope);
  if (TQSWindowLink* view = ActiveWindow()) view->SelectAll(scope);
}

void TQSScore::SelectDesignItems(bool allPages) {
  if (TQSWindowLink* view = ActiveWindow()) view->SelectAllPageObjects(allPages);
}

int TQSScore::MaxFretCount() const {
  int most = 0;
  for (const TQSPiece* piece : pieces_)
    for (int p = 0; p < piece->PartCount(); ++p)
      for (int s = 0; s < piece->GetPart(p)->StaffCount(); ++s)
        most = std::max<int>(most, piece->GetPart(p)->GetStaff(s)->Fields.FretCount);
  return most == 0 ? 255 : most;
}

// ---------------------------------------------------------------- layout

void TQSScore::EndUpdate() {
  if (updateCount_ > 1) {
    --updateCount_;
    return;
  }
  updateCount_ = 0;
  if (PendingStartPage >= 0) Recalculate(PendingStartPage, -1);
  for (TQSWindowLink* w : windows_) {
    if (w->PagesRepaintPending) w->InvalidatePages();
    if (w->RulersRepaintPending) w->InvalidateRulers();
  }
}

void TQSScore::EndUpdateAfterFailedRead() {
  // A damaged file may ask for a layout as costly as any score's; a file
  // that could not be read is not laid out while its error passes.
  PendingStartPage = -1;
  LaidOutPages = 0;
  for (TQSWindowLink* w : windows_) w->LayoutChanged();
  EndUpdate();
}

void TQSScore::Recalculate(int fromPage, int /*unused*/) {
  if (Loading) return;
  fromPage = std::max(0, fromPage);
  if (updateCount_ > 0) {
    // Several requests under the lock: the lowest page wins, so that no
    // page before the start keeps records of objects freed meanwhile.
    if (PendingStartPage < 0 || fromPage < PendingStartPage) PendingStartPage = fromPage;
    return;
  }
  if (LayoutPass) LayoutPass(*this, fromPage);
  PendingStartPage = -1;
}

void TQSScore::RecalculatePiece(int pieceIndex) {
  for (int i = 0; i < LaidOutPages; ++i) {
    const TQSCalcPage* page = LayoutPages.At(static_cast<size_t>(i));
    if (page && page->FirstPiece == pieceIndex) {
      Recalculate(i, -1);
      return;
    }
  }
}

void TQSScore::ClearLayout() {
  for (TQSPiece* piece : pieces_) {
    piece->Slots.clear();
    piece->Visits.clear();
    piece->VisitCount = 0;
    piece->LastLaidOutMeasure = -1;
  }
  LayoutPages.Free();
  LaidOutPages = 0;
}

int TQSScore::FindItemInsertIndex(const TQSMeasure& measure, int staffVoice, int position, int startIndex) {
  const int count = measure.ItemCount();
  const bool allVoices = measure.AllVoices();
  const int staff = StaffOf(uint8_t(staffVoice));
  const int voice = VoiceOf(uint8_t(staffVoice));
  for (int i = std::max(0, startIndex); i < count; ++i) {
    const TQSItem* item = measure.GetItem(i);
    if (!IsTimedItem(*item)) continue;
    const int pos = item->TimePosition();
    const int itemStaff = StaffOf(uint8_t(item->StaffVoice()));
    const int itemVoice = VoiceOf(uint8_t(item->StaffVoice()));
    if (pos > position) return i;
    if (pos == position && (allVoices || itemStaff > staff || (itemStaff == staff && itemVoice > voice))) return i;
  }
  return count;
}

// ---------------------------------------------------------------- copy

void TQSScore::Assign(const TObject& source) {
  const auto* src = dynamic_cast<const TQSScore*>(&source);
  if (!src) RaiseAssignError(source.ClassName(), ClassName());
  Locked([&] {
    Page.Assign(src->Page);
    ClearPieces();
    ClearItems();
    Scale = src->Scale;
    ViewStyle = src->ViewStyle;
    Align = src->Align;
    AutoJoin = src->AutoJoin;
    HorzAlign = src->HorzAlign;
    VertAlign = src->VertAlign;
    PrintEmptyMeasures = src->PrintEmptyMeasures;
    PrintEmptyLines = src->PrintEmptyLines;
    PrintMeasureNumbers = src->PrintMeasureNumbers;
    EmptyPages = src->EmptyPages;
    for (TQSPiece* piece : src->pieces_) NewPiece()->Assign(*piece);
    SetDrumInstruments(src->DrumInstruments);
    for (TQSItem* item : src->Items)
      if (TQSItem* copy = CreateItemByKind(item->ItemType, this)) copy->Assign(*item);
  });
}

// ---------------------------------------------------------------- undo

void TQSScore::ClearUndo() {
  while (!UndoList.empty()) UndoList.pop_back();
}

void TQSScore::ClearRedo() {
  while (!RedoList.empty()) RedoList.pop_back();
}

}  // namespace qs
