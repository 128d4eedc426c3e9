#include "score/piece.h"

#include "score/calcrecords.h"

#include <algorithm>

#include "base/exceptions.h"
#include "score/measure.h"
#include "score/part.h"
#include "score/score.h"
#include "score/slot.h"
#include "score/timing.h"
#include "score/tree.h"

namespace qs {

// ---------------------------------------------------------------- column

void TQSColumn::TFields::Visit(TBlockIO& b) {
  b.Bytes(Further0);
  b.U16(PageBreak);
  b.U8(SystemBreak);
  b.U8(Further13);
  b.U16(Meter);
}

TQSColumn::TQSColumn(TQSPiece* piece) : piece_(piece) {
  if (!piece) throw Exception("Is not owner of the Piece");
  piece->AppendColumn(this);
}

TQSColumn::~TQSColumn() {
  Clear();
  piece_->RemoveColumn(this);
}

void TQSColumn::AddItem(TQSItem* item) {
  if (!RegistrationSuspended) Items.Add(item);
}

void TQSColumn::RemoveItem(TQSItem* item) { Items.Remove(item); }

void TQSColumn::Assign(const TObject& source) {
  auto* src = dynamic_cast<const TQSColumn*>(&source);
  if (!src) RaiseAssignError(source.ClassName(), ClassName());
  if (src != this) AssignItemContainer(*this, *src);
}

void TQSColumn::DeleteMeasureRests() {
  for (int i = ItemCount() - 1; i >= 0; --i)
    if (GetItem(i)->ItemType == kind::MultiRest) delete GetItem(i);
}

void TQSColumn::LoadFromStream(TStream& s) {
  TRegistrationOpen open(RegistrationSuspended);
  ReadRecord(s, [&](TRecordReader& r) {
    if (r.Has(1)) ReadFields(r, Fields, BlockSurplus);
    if (r.Has(2)) {
      const int count = ReadChildCount(s, "Error reading column items");
      for (int i = 0; i < count; ++i) {
        ReadItem(s, this);
        EnsureInsideRecord(r);
      }
    }
    if (r.Has(3)) ReadSpacingTable(r, Spacing);
  });
}

void TQSColumn::SaveToStream(TStream& s) const { WriteItemsRecord(s, Fields, BlockSurplus, Items, Spacing); }

// ---------------------------------------------------------------- piece

void TQSPiece::TFields::Visit(TBlockIO& b) {
  b.Bytes(Further0);
  b.I16(Tempo);
  b.U16(Auftakt);
  b.Bytes(Further8);
}

TQSPiece::TQSPiece(TQSScore* score) : score_(score) {
  if (!score) throw Exception("Is not owner of the Score");
  score->AppendPiece(this);
}

TQSPiece::~TQSPiece() {
  ClearParts();
  ClearColumns();
  score_->RemovePiece(this);
}

int TQSPiece::GetIndex() const {
  const auto& pieces = score_->PieceList();
  auto it = std::find(pieces.begin(), pieces.end(), this);
  return it == pieces.end() ? -1 : static_cast<int>(it - pieces.begin());
}

int TQSPiece::Tempo() const { return SafeTempo(Fields.Tempo); }

void TQSPiece::SetName(const std::string& value) {
  if (Name == value) return;
  Name = value;
  score_->NotifyChanged(this);
}

void TQSPiece::SetTempo(int value) {
  const auto tempo = static_cast<int16_t>(std::clamp(value, -32768, 32767));
  if (Fields.Tempo == tempo) return;
  Fields.Tempo = tempo;
  score_->FireChanged(this);
}

void TQSPiece::SetAuftakt(uint16_t value) {
  if (Fields.Auftakt == value) return;
  Fields.Auftakt = value;
  score_->RecalculatePiece(Index);
  score_->RefreshWindows();
  score_->FireChanged(this);
}

TQSPart* TQSPiece::GetPart(int index) const { return At(parts_, index); }

void TQSPiece::InsertPart(TQSPart* part, int index) {
  if (RegistrationSuspended) return;
  InsertAt(parts_, part, index);
  UpdatePartIndexes();
  score_->FireAddItemQuietly(part);
}

// Unregistration does not depend on the suspension: a child freed while it
// is set must not stay in its list. One that never was in it goes unnoticed.
void TQSPiece::RemovePart(TQSPart* part) {
  if (std::find(parts_.begin(), parts_.end(), part) == parts_.end()) return;
  score_->FireDeleteItemQuietly(part);
  std::erase(parts_, part);
  UpdatePartIndexes();
}

int TQSPiece::MeasurePage(int measureIndex) const {
  if (measureIndex < 0 || measureIndex > LastLaidOutMeasure) return -1;
  auto* slot = dynamic_cast<const TQSCalcMeasure*>(At(Slots, measureIndex));
  return slot && slot->System ? slot->System->Page : -1;
}

TQSPart* TQSPiece::AddPart() {
  auto* part = new TQSPart(this);
  score_->RecalculatePiece(Index);
  score_->RefreshWindows();
  return part;
}

void TQSPiece::ClearParts() { FreeAll(parts_); }

void TQSPiece::UpdatePartIndexes() { Renumber(parts_); }

TQSColumn* TQSPiece::GetColumn(int index) const { return At(columns_, index); }

void TQSPiece::AppendColumn(TQSColumn* column) {
  if (!RegistrationSuspended) AppendNumbered(columns_, column);
}

void TQSPiece::RemoveColumn(TQSColumn* column) { RemoveNumbered(columns_, column); }

TQSColumn* TQSPiece::AddColumn() { return new TQSColumn(this); }

void TQSPiece::ClearColumns() { FreeAll(columns_); }

void TQSPiece::RenumberColumns() { Renumber(columns_); }

void TQSPiece::Relayout() { score_->RecalculatePiece(Index); }

int TQSPiece::FreeChannel() const {
  for (int channel = 1; channel <= 15; ++channel) {
    if (channel == 9) continue;  // the percussion channel
    if (std::none_of(parts_.begin(), parts_.end(), [channel](TQSPart* p) { return p->Channel() == channel; }))
      return channel;
  }
  return -1;
}

int TQSPiece::PrevItemStart(int measureIndex, int position) const {
  int best = -1;
  for (TQSPart* part : parts_)
    if (TQSMeasure* m = part->GetMeasure(measureIndex)) best = std::max(best, m->TimedStartBefore(position));
  return best >= 0 ? best : position;
}

int TQSPiece::NextItemStart(int measureIndex, int position, bool toMeasureEnd) const {
  int best = -1;
  for (TQSPart* part : parts_)
    if (TQSMeasure* m = part->GetMeasure(measureIndex)) {
      const int start = m->TimedStartAfter(position);
      if (start >= 0 && (best < 0 || start < best)) best = start;
    }
  if (best >= 0) return best;
  TQSMeasureSlot* slot = At(Slots, measureIndex);
  return toMeasureEnd && slot ? slot->LengthFor(measureIndex) : position;
}

void TQSPiece::Assign(const TObject& source) {
  auto* src = dynamic_cast<const TQSPiece*>(&source);
  if (!src) RaiseAssignError(source.ClassName(), ClassName());
  if (src == this) return;
  Fields = src->Fields;
  BlockSurplus = src->BlockSurplus;
  Spacing = src->Spacing;
  ByteTable = src->ByteTable;
  ClearParts();
  ClearColumns();
  for (TQSPart* part : src->parts_) AddPart()->Assign(*part);
  for (TQSColumn* column : src->columns_) AddColumn()->Assign(*column);
  score_->FireItemChanged(this);
}

void TQSPiece::LoadFromStream(TStream& s) {
  TRegistrationOpen open(RegistrationSuspended);
  ReadRecord(s, [&](TRecordReader& r) {
    if (r.Has(1)) ReadFields(r, Fields, BlockSurplus);
    if (r.Has(2)) Name = ReadStreamString(s);
    if (r.Has(3)) {
      const int count = ReadChildCount(s, "Error reading parts");
      for (int i = 0; i < count; ++i) {
        AddPart()->LoadFromStream(s);
        EnsureInsideRecord(r);
      }
    }
    if (r.Has(4)) {
      const int count = ReadChildCount(s, "Error reading columns");
      for (int i = 0; i < count; ++i) {
        AddColumn()->LoadFromStream(s);
        EnsureInsideRecord(r);
      }
    }
    Spacing.Read(r, 5);
    if (r.Has(10)) ReadByteTable(r, ByteTable);
  });
  score_->FireItemChangedQuietly(this);
}

void TQSPiece::SaveToStream(TStream& s) const {
  TRecordWriter w(s, 10);
  WriteFields(s, Fields, BlockSurplus);
  WriteStreamString(s, Name);
  WriteCount16(s, parts_.size(), "part list");
  for (TQSPart* part : parts_) part->SaveToStream(s);
  WriteCount16(s, columns_.size(), "column list");
  for (TQSColumn* column : columns_) column->SaveToStream(s);
  Spacing.Write(s);
  WriteByteTable(s, ByteTable);
  w.Finish();
}

}  // namespace qs
