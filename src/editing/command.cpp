#include "editing/command.h"

#include "score/calcrecords.h"
#include "score/measure.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/tree.h"
#include "score/undo.h"

namespace qs {

TQSEditCommand::TQSEditCommand(TQSScore& score, uint8_t action)
    : Score(score), View(score.ActiveWindow()), Action(action) {
  if (View) FromPage = View->CursorPosition.Page;
}

void TQSEditCommand::Open() {
  if (opened_) return;
  opened_ = true;
  try {
    Record = Score.BeginUndo(Action, "");
  } catch (...) {
    Record = nullptr;
  }
  RecordMade();
}

void TQSEditCommand::RecordMade() {
  if (!Record) return;
  for (TQSMeasure* m : madeMeasures_) Score.SaveUndoMeasureEntry(Record, m, undostructure::Inserted);
  for (TQSColumn* c : madeColumns_) Score.SaveUndoColumnEntry(Record, c, undostructure::Inserted);
  madeMeasures_.clear();
  madeColumns_.clear();
}

void TQSEditCommand::SaveMeasure(TQSMeasure* measure) {
  Open();
  if (!measure || made_.count(measure) || !saved_.insert(measure).second) return;
  Score.SaveUndoMeasure(Record, measure, -1);
}

void TQSEditCommand::SaveColumn(TQSColumn* column) {
  Open();
  if (!column || made_.count(column) || !saved_.insert(column).second) return;
  Score.SaveUndoColumn(Record, column, -1);
}

TQSMeasure* TQSEditCommand::EnsureMeasureIn(TQSPart& part, int index) {
  if (index < 0) return nullptr;
  const int before = part.MeasureCount();
  TQSMeasure* measure = EnsureChild(part, part.MeasureList(), index);
  for (int i = before; i < part.MeasureCount(); ++i) {
    TQSMeasure* m = part.GetMeasure(i);
    made_.insert(m);
    madeMeasures_.push_back(m);
  }
  if (opened_) RecordMade();
  return measure;
}

TQSColumn* TQSEditCommand::EnsureColumnIn(TQSPiece& piece, int index) {
  if (index < 0) return nullptr;
  const int before = piece.ColumnCount();
  TQSColumn* column = EnsureChild(piece, piece.ColumnList(), index);
  for (int i = before; i < piece.ColumnCount(); ++i) {
    TQSColumn* c = piece.GetColumn(i);
    made_.insert(c);
    madeColumns_.push_back(c);
  }
  if (opened_) RecordMade();
  return column;
}

TQSMeasure* TQSEditCommand::EnsureMeasure(int index) {
  TQSPart* part = View ? Score.CurrentPart() : nullptr;
  if (!part) return nullptr;
  return EnsureMeasureIn(*part, index < 0 ? Cursor().Measure : index);
}

TQSColumn* TQSEditCommand::EnsureColumn(int index) {
  TQSPiece* piece = View ? Score.CurrentPiece() : nullptr;
  if (!piece) return nullptr;
  return EnsureColumnIn(*piece, index < 0 ? Cursor().Measure : index);
}

void TQSEditCommand::LowerPageToMeasure(const TQSPiece& piece, int index) {
  const int page = piece.MeasurePage(index);
  if (page >= 0 && page < FromPage) FromPage = page;
}

void TQSEditCommand::LowerPageToItem(const TQSItem& item) {
  if (const TQSMeasure* m = item.GetMeasure()) {
    if (const TQSPiece* piece = m->Part() ? m->Part()->Piece() : nullptr) LowerPageToMeasure(*piece, m->Index);
  } else if (const auto* column = dynamic_cast<const TQSColumn*>(item.Owner())) {
    if (const TQSPiece* piece = column->Piece()) LowerPageToMeasure(*piece, column->Index);
  }
}

void TQSEditCommand::Relayout() {
  Score.Recalculate(FromPage, -1);
  Score.RefreshWindowsFrom(FromPage);
}

void TQSEditCommand::Finish() {
  Relayout();
  Score.FireChanged(&Score);
}

THeldRecalculateEvent::THeldRecalculateEvent(TQSScore& score) : score_(score) {
  ++score_.RecalculateEventSuppressed;
}

void THeldRecalculateEvent::Release() {
  if (released_) return;
  released_ = true;
  --score_.RecalculateEventSuppressed;
  try {
    Fire(score_.OnRecalculate, &score_);
  } catch (...) {
  }
}

}  // namespace qs
