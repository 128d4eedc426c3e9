#include "editing/structure.h"

#include <algorithm>
#include <vector>

#include "editing/command.h"
#include "score/legacy.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/tree.h"
#include "score/undo.h"

namespace qs {

namespace {

template <class T, class Owner>
T* InsertNew(Owner& owner, std::vector<T*>& list, int index) {
  T* child = NewUnregisteredChild<T>(owner);
  InsertAt(list, child, index);
  Renumber(list);
  return child;
}

// The parts a measure command works in; empty without a target.
std::vector<TQSPart*> TargetParts(TQSScore& score, bool partOnly) {
  if (partOnly) {
    if (TQSPart* part = score.CurrentPart()) return {part};
    return {};
  }
  TQSPiece* piece = score.CurrentPiece();
  return piece ? piece->PartList() : std::vector<TQSPart*>{};
}

// Opens an undo record, none when that fails.
TQSUndoRecord* GuardedBeginUndo(TQSScore& score, uint8_t action) {
  try {
    return score.BeginUndo(action, "");
  } catch (...) {
    return nullptr;
  }
}

// Runs add under the update lock (its release lays out); then OnChanged
// and, for what add returned, the undo record of the addition, also when
// add failed.
template <class T, class Add>
T* AddUnderLock(TQSScore& score, uint8_t action, void (TQSScore::*save)(TQSUndoRecord*, T*), Add&& add) {
  T* added = nullptr;
  score.BeginUpdate();
  try {
    added = add();
  } catch (...) {
    score.EndUpdate();
    score.FireChanged(&score);
    throw;
  }
  score.EndUpdate();
  score.FireChanged(&score);
  if (added) (score.*save)(GuardedBeginUndo(score, action), added);
  return added;
}

// The end of a deletion: layout, repaint, cursor checks, then OnChanged;
// the view shows its cursor again whatever happens.
template <class F>
void DeleteWithCursorHidden(TQSScore& score, TQSWindowLink& view, F&& body) {
  {
    TCursorHidden hidden(view);
    body();
    score.Recalculate(0);
    score.RefreshWindows();
    view.ValidateCursor(false);
  }
  score.FireChanged(&score);
}

TQSMark* NewMark(TQSItemOwner* owner, TQSItemType k, int variant, int value, int staffVoice = 0) {
  auto* mark = static_cast<TQSMark*>(CreateItemByKind(k, owner));
  mark->Fields.Kind = static_cast<uint8_t>(variant);
  mark->Fields.Value = static_cast<uint16_t>(value);
  mark->Fields.StaffVoice = static_cast<uint8_t>(staffVoice);
  return mark;
}

}  // namespace

void InsertMeasures(TQSScore& score, int count, bool partOnly) {
  TQSEditCommand cmd(score, undoaction::MeasuresInserted);
  if (!cmd.HasView() || count <= 0) return;
  const int M = cmd.Cursor().Measure;
  bool inserted = false;
  for (TQSPart* part : TargetParts(score, partOnly)) {
    if (M > part->MeasureCount() - 1) continue;
    for (int i = 1; i <= count; ++i) {
      TQSMeasure* m = InsertNew(*part, part->MeasureList(), M + i);
      cmd.Open();
      score.SaveUndoMeasureEntry(cmd.Record, m, undostructure::Inserted);
      m->FillRests(false, 0, false, -1);
      cmd.View->SetCursorMeasure(M + i);
      cmd.View->SetCursorTick(0);
    }
    part->UpdateMeasureIndexes();
    inserted = true;
  }
  TQSPiece* piece = score.CurrentPiece();
  if (!partOnly && piece && M < piece->ColumnCount()) {
    for (int i = 1; i <= count; ++i) {
      TQSColumn* c = InsertNew(*piece, piece->ColumnList(), M + i);
      cmd.Open();
      score.SaveUndoColumnEntry(cmd.Record, c, undostructure::Inserted);
      cmd.View->SetCursorMeasure(M + 1);
    }
    piece->RenumberColumns();
    inserted = true;
  }
  if (inserted) cmd.Finish();
}

void DeleteMeasures(TQSScore& score, int count, bool partOnly) {
  TQSEditCommand cmd(score, undoaction::MeasuresDeleted);
  if (!cmd.HasView() || count <= 0) return;
  const int M = cmd.Cursor().Measure;
  bool deleted = false;
  // Recorded in ascending order, freed from the last. A part (and its
  // piece) keeps one measure: without any the cursor has no place to add
  // measures back.
  auto drop = [&](auto& list, auto&& entry, auto&& snapshot) {
    std::vector<std::remove_reference_t<decltype(*list[0])>*> doomed;
    const int size = static_cast<int>(list.size());
    const int end = std::min(M + count, M <= 0 ? size - 1 : size);
    for (int i = M; i < end; ++i)
      if (i >= 0) doomed.push_back(list[static_cast<size_t>(i)]);
    if (doomed.empty()) return;
    cmd.Open();
    for (auto* d : doomed) entry(d), snapshot(d);
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) delete *it;
    deleted = true;
  };
  for (TQSPart* part : TargetParts(score, partOnly)) {
    drop(
        part->MeasureList(), [&](TQSMeasure* m) { score.SaveUndoMeasureEntry(cmd.Record, m, undostructure::Deleted); },
        [&](TQSMeasure* m) { score.SaveUndoMeasure(cmd.Record, m, -1); });
    part->UpdateMeasureIndexes();
  }
  TQSPiece* piece = score.CurrentPiece();
  if (!partOnly && piece) {
    drop(
        piece->ColumnList(), [&](TQSColumn* c) { score.SaveUndoColumnEntry(cmd.Record, c, undostructure::Deleted); },
        [&](TQSColumn* c) { score.SaveUndoColumn(cmd.Record, c, -1); });
    piece->RenumberColumns();
  }
  if (deleted) cmd.Finish();
}

TQSPiece* AddPiece(TQSScore& score) {
  TQSWindowLink* view = score.ActiveWindow();
  if (!view) return nullptr;
  return AddUnderLock<TQSPiece>(score, undoaction::PieceAdded, &TQSScore::SaveUndoPiece, [&] {
    TQSPiece* piece = score.NewPiece();
    TQSColumn* column = piece->AddColumn();
    NewMark(column, kind::Meter, 0, MakeMeter(4, 4));
    NewMark(column, kind::MeasureNumbering, 0, 1);
    view->CursorPosition = {view->CursorPosition.Page, piece->Index, 0, 0, 0, 0, 0};
    TQSMeasure* first = AddStarterPart(*piece)->GetMeasure(0);
    first->Items.Insert(0, NewUnregisteredItem<TQSItem>(*first, kind::Accolade));
    view->ValidateCursor(false);
    view->DoActiveChanged(piece);
    return piece;
  });
}

TQSStaff* AddStaff(TQSScore& score) {
  TQSWindowLink* view = score.ActiveWindow();
  TQSPart* part = view ? score.CurrentPart() : nullptr;
  if (!part) return nullptr;
  return AddUnderLock<TQSStaff>(score, undoaction::StaffAdded, &TQSScore::SaveUndoStaff, [&] {
    TQSStaff* staff = part->NewStaff();
    if (!staff) return staff;
    staff->NewVoice();
    if (TQSMeasure* first = part->GetMeasure(0)) {
      const int sv = MakeStaffVoice(staff->Index, 0);
      auto* clef = NewUnregisteredItem<TQSMark>(*first, kind::Clef);
      clef->Fields.Kind = 1;
      clef->Fields.StaffVoice = static_cast<uint8_t>(sv);
      first->Items.Insert(TQSScore::FindItemInsertIndex(*first, sv, 0, 0), clef);
    }
    view->CursorPosition.Staff = staff->Index;
    view->CursorPosition.Voice = 0;
    view->ValidateCursor(false);
    view->DoActiveChanged(staff);
    return staff;
  });
}

TQSVoice* AddVoice(TQSScore& score) {
  TQSWindowLink* view = score.ActiveWindow();
  TQSStaff* staff = view ? score.CurrentStaff() : nullptr;
  if (!staff) return nullptr;
  // The cursor stays hidden while the voice is added.
  struct THidden {
    TQSWindowLink& View;
    explicit THidden(TQSWindowLink& v) : View(v) { View.ShowCursor(false); }
    ~THidden() { View.ShowCursor(true); }
  } hidden(*view);
  return AddUnderLock<TQSVoice>(score, undoaction::VoiceAdded, &TQSScore::SaveUndoVoice, [&] {
    TQSVoice* voice = staff->NewVoice();
    view->CursorPosition.Voice = voice->Index;
    view->DoActiveChanged(voice);
    return voice;
  });
}

void DeletePiece(TQSScore& score) {
  TQSWindowLink* view = score.ActiveWindow();
  TQSPiece* piece = view ? score.CurrentPiece() : nullptr;
  if (!piece || score.PieceCount() <= 1) return;
  score.SaveUndoPiece(GuardedBeginUndo(score, undoaction::PieceDeleted), piece);
  DeleteWithCursorHidden(score, *view, [&] { delete piece; });
}

void DeletePart(TQSScore& score) {
  TQSWindowLink* view = score.ActiveWindow();
  TQSPiece* piece = view ? score.CurrentPiece() : nullptr;
  TQSPart* part = piece ? score.CurrentPart() : nullptr;
  if (!part || piece->PartCount() <= 1) return;
  score.SaveUndoPart(GuardedBeginUndo(score, undoaction::PartDeleted), part);
  score.BeginUpdate();
  try {
    DeleteWithCursorHidden(score, *view, [&] { delete part; });
  } catch (...) {
    score.EndUpdate();
    throw;
  }
  score.EndUpdate();
}

void DeleteStaff(TQSScore& score) {
  TQSWindowLink* view = score.ActiveWindow();
  TQSPart* part = view ? score.CurrentPart() : nullptr;
  TQSStaff* staff = part ? score.CurrentStaff() : nullptr;
  if (!staff || part->StaffCount() <= 1) return;
  score.SaveUndoStaff(GuardedBeginUndo(score, undoaction::StaffDeleted), staff);
  DeleteWithCursorHidden(score, *view, [&] {
    score.RemoveStaffItems(staff);
    delete staff;
  });
}

void DeleteVoice(TQSScore& score) {
  TQSWindowLink* view = score.ActiveWindow();
  TQSStaff* staff = view ? score.CurrentStaff() : nullptr;
  TQSVoice* voice = staff ? score.CurrentVoice() : nullptr;
  if (!voice || staff->VoiceCount() <= 1) return;
  score.SaveUndoVoice(GuardedBeginUndo(score, undoaction::VoiceDeleted), voice);
  DeleteWithCursorHidden(score, *view, [&] {
    score.RemoveVoiceItems(voice);
    delete voice;
  });
}

}  // namespace qs
