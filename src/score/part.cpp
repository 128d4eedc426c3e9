#include "score/part.h"

#include <algorithm>

#include "base/exceptions.h"
#include "score/measure.h"
#include "score/piece.h"
#include "score/tree.h"
#include "score/score.h"
#include "score/slot.h"

namespace qs {

// ---------------------------------------------------------------- voice

void TQSVoice::TFields::Visit(TBlockIO& b) {
  b.U8(Instrument);
  b.U8(Channel);
  b.U8(Mute);
  b.U8(Further3);
}

TQSVoice::TQSVoice(TQSStaff* staff) : staff_(staff) {
  if (!staff) throw Exception("Is not owner of the Voice");
  staff->RegisterVoice(this, -1);
}

TQSVoice::~TQSVoice() { staff_->UnregisterVoice(this); }

TQSScore* TQSVoice::Score() const { return staff_->Score(); }

void TQSVoice::SetInstrument(uint8_t value) {
  if (Fields.Instrument == value) return;
  Fields.Instrument = value;
  if (TQSScore* score = Score()) score->Recalculate(0, -1);
  Changed();
}

void TQSVoice::SetChannel(uint8_t value) {
  if (Fields.Channel == value) return;
  Fields.Channel = value;
  if (TQSScore* score = Score()) score->Recalculate(0, -1);
  Changed();
}

void TQSVoice::SetMute(bool value) {
  if ((Fields.Mute != 0) == value) return;
  Fields.Mute = value;
  Changed();
}

void TQSVoice::Changed() {
  if (TQSScore* score = Score()) score->NotifyChanged(this);
}

void TQSVoice::Assign(const TObject& source) {
  auto* src = dynamic_cast<const TQSVoice*>(&source);
  if (!src) RaiseAssignError(source.ClassName(), ClassName());
  Fields.Instrument = src->Fields.Instrument;
  Fields.Channel = src->Fields.Channel;
  Fields.Mute = src->Fields.Mute;
  if (TQSScore* score = Score()) score->FireItemChanged(this);
}

void TQSVoice::LoadFromStream(TStream& s) {
  ReadRecord(s, [&](TRecordReader& r) {
    if (r.Has(1)) ReadFields(r, Fields, BlockSurplus);
  });
  if (TQSScore* score = Score()) score->FireItemChangedQuietly(this);
}

void TQSVoice::SaveToStream(TStream& s) const {
  TRecordWriter w(s, 1);
  WriteFields(s, Fields, BlockSurplus);
  w.Finish();
}

// ---------------------------------------------------------------- staff

namespace {

// A new staff joins the group of its part's last staff. A part's first
// staff opens a group numbered by the part's index, or, when a staff of
// another part of the piece has that number (parts moved or deleted since
// they were made), one above the highest: its barlines join no
// neighbour's.
uint16_t NewStaffGroup(const TQSPart& part) {
  if (part.StaffCount() > 0) return part.GetStaff(part.StaffCount() - 1)->Fields.Group;
  int group = part.Index, highest = -1;
  bool taken = false;
  if (const TQSPiece* piece = part.Piece())
    for (int p = 0; p < piece->PartCount(); ++p)
      for (int s = 0; s < piece->GetPart(p)->StaffCount(); ++s) {
        const int other = piece->GetPart(p)->GetStaff(s)->Fields.Group;
        taken = taken || other == group;
        highest = std::max(highest, other);
      }
  return static_cast<uint16_t>(taken ? highest + 1 : group);
}

}  // namespace


void TQSStaff::TFields::Visit(TBlockIO& b) {
  b.U8(Mute);
  b.U8(LineCount);
  b.U8(Tablature);
  b.U8(FretCount);
  b.U16(Group);
  b.U8(Scale);
  b.U8(Stems);
}

TQSStaff::TQSStaff(TQSPart* part) : part_(part) {
  if (!part) throw Exception("Is not owner of the Line");
  Fields.Group = NewStaffGroup(*part);
  part->RegisterStaff(this, -1);
}

TQSStaff::~TQSStaff() {
  ClearVoices();
  part_->UnregisterStaff(this);
}

TQSScore* TQSStaff::Score() const { return part_->Score(); }

TQSVoice* TQSStaff::GetVoice(int index) const { return At(voices_, index); }

void TQSStaff::RegisterVoice(TQSVoice* voice, int index) {
  if (RegistrationSuspended) return;
  InsertAt(voices_, voice, index);
  UpdateVoiceIndexes();
  part_->UpdateVoiceNumbers(false);
  if (TQSScore* score = Score()) score->FireAddItemQuietly(voice);
}

void TQSStaff::UnregisterVoice(TQSVoice* voice) {
  if (TQSScore* score = Score()) score->FireDeleteItemQuietly(voice);
  std::erase(voices_, voice);
  UpdateVoiceIndexes();
  part_->UpdateVoiceNumbers(false);
}

void TQSStaff::UpdateVoiceIndexes() { Renumber(voices_); }

TQSVoice* TQSStaff::NewVoice() { return new TQSVoice(this); }

void TQSStaff::ClearVoices() { FreeAll(voices_); }

void TQSStaff::SetMute(bool value) {
  if ((Fields.Mute != 0) == value) return;
  Fields.Mute = value;
  Changed();
}

// Settings that change the layout.
void TQSStaff::SetLayoutByte(uint8_t& field, uint8_t value) {
  if (field == value) return;
  field = value;
  if (TQSScore* score = Score()) {
    score->Recalculate(0, -1);
    score->RefreshWindows();
    score->FireChanged(this);
  }
}

void TQSStaff::SetLineCount(uint8_t value) { SetLayoutByte(Fields.LineCount, std::min<uint8_t>(value, kMaxLines)); }
void TQSStaff::SetTablature(bool value) { SetLayoutByte(Fields.Tablature, value); }
void TQSStaff::SetStems(bool value) { SetLayoutByte(Fields.Stems, value); }
void TQSStaff::SetFretCount(uint8_t value) { SetLayoutByte(Fields.FretCount, value); }
void TQSStaff::SetScale(uint8_t value) { SetLayoutByte(Fields.Scale, value); }

void TQSStaff::SetTuning(int index, uint8_t value) {
  if (index < 0 || index >= kMaxLines) return;
  SetLayoutByte(Tuning[index], value);
}

uint8_t TQSStaff::GetTuning(int index) const { return index >= 0 && index < kMaxLines ? Tuning[index] : 0; }

void TQSStaff::Changed() {
  if (TQSScore* score = Score()) score->NotifyChanged(this);
}

void TQSStaff::Assign(const TObject& source) {
  auto* src = dynamic_cast<const TQSStaff*>(&source);
  if (!src) RaiseAssignError(source.ClassName(), ClassName());
  if (src == this) return;
  ClearVoices();
  Fields = src->Fields;
  BlockSurplus = src->BlockSurplus;
  std::copy(std::begin(src->Tuning), std::end(src->Tuning), Tuning);
  for (TQSVoice* v : src->voices_) NewVoice()->Assign(*v);
  if (TQSScore* score = Score()) score->FireItemChanged(this);
}

void TQSStaff::LoadFromStream(TStream& s) {
  TRegistrationOpen open(RegistrationSuspended);
  ReadRecord(s, [&](TRecordReader& r) {
    if (r.Has(1)) {
      ReadFields(r, Fields, BlockSurplus);
      if (Fields.Scale == 0) Fields.Scale = 100;
      // The tuning table has 24 strings; a larger count is read as 24.
      Fields.LineCount = std::min<uint8_t>(Fields.LineCount, kMaxLines);
    }
    if (r.Has(2)) {
      const int count = ReadChildCount(s, "Error reading voices");
      for (int i = 0; i < count; ++i) {
        NewVoice()->LoadFromStream(s);
        EnsureInsideRecord(r);
      }
    }
    if (r.Has(3)) {
      std::vector<uint8_t> tuning = r.ReadBytes(Fields.LineCount);
      std::copy(tuning.begin(), tuning.end(), Tuning);
    }
  });
  TQSScore* score = Score();
  if (score && score->FileVersion <= 1024) Fields.Stems = 1;
  if (score) score->FireItemChangedQuietly(this);
}

void TQSStaff::SaveToStream(TStream& s) const {
  TRecordWriter w(s, 3);
  WriteFields(s, Fields, BlockSurplus);
  WriteCount16(s, voices_.size(), "voice list");
  for (TQSVoice* v : voices_) v->SaveToStream(s);
  s.WriteBuffer(Tuning, std::min<size_t>(Fields.LineCount, kMaxLines));
  w.Finish();
}

// ---------------------------------------------------------------- part

void TQSPart::TFields::Visit(TBlockIO& b) {
  b.U8(Instrument);
  b.U8(Channel);
  b.U8(Volume);
  b.U8(Pan);
  b.U8(Mute);
  b.Bytes(Further5);
}

TQSPart::TQSPart(TQSPiece* piece) : piece_(piece) {
  if (!piece) throw Exception("Is not owner of the Piece");
  piece->InsertPart(this, -1);
}

TQSPart::~TQSPart() {
  ClearStaves();
  ClearMeasures();
  ClearItems();
  piece_->RemovePart(this);
}

TQSScore* TQSPart::Score() const { return piece_->Score(); }

TQSStaff* TQSPart::GetStaff(int index) const { return At(staves_, index); }

void TQSPart::RegisterStaff(TQSStaff* staff, int index) {
  if (RegistrationSuspended) return;
  InsertAt(staves_, staff, index);
  UpdateStaffIndexes();
  if (TQSScore* score = Score()) score->FireAddItemQuietly(staff);
}

void TQSPart::UnregisterStaff(TQSStaff* staff) {
  if (TQSScore* score = Score()) score->FireDeleteItemQuietly(staff);
  std::erase(staves_, staff);
  UpdateStaffIndexes();
}

TQSStaff* TQSPart::NewStaff() {
  auto* staff = new TQSStaff(this);
  piece_->Relayout();
  if (TQSScore* score = Score()) score->RefreshWindows();
  return staff;
}

void TQSPart::ClearStaves() { FreeAll(staves_); }

void TQSPart::UpdateStaffIndexes() {
  TQSScore* score = Score();
  for (int i = 0; i < StaffCount(); ++i) {
    TQSStaff* staff = staves_[static_cast<size_t>(i)];
    if (staff->Index == i) continue;
    staff->Index = i;
    if (score) score->FireItemChangedQuietly(staff);
  }
}

void TQSPart::UpdateVoiceNumbers(bool notifyAll) {
  if (RenumberLock) return;
  TQSScore* score = Score();
  int number = 0;
  for (TQSStaff* staff : staves_)
    for (TQSVoice* voice : staff->VoiceList()) {
      const bool changed = voice->Number != number;
      voice->Number = number++;
      if ((changed || notifyAll) && score) score->FireItemChangedQuietly(voice);
    }
}

TQSMeasure* TQSPart::GetMeasure(int index) const { return At(measures_, index); }

void TQSPart::RegisterMeasure(TQSMeasure* measure) {
  if (!RegistrationSuspended) AppendNumbered(measures_, measure);
}

// Unregistration does not depend on the suspension: a measure freed while
// it is set must not stay in the list.
void TQSPart::UnregisterMeasure(TQSMeasure* measure) { RemoveNumbered(measures_, measure); }

TQSMeasure* TQSPart::NewMeasure() { return new TQSMeasure(this); }

void TQSPart::ClearMeasures() { FreeAll(measures_); }

void TQSPart::UpdateMeasureIndexes() { Renumber(measures_); }

void TQSPart::AddItem(TQSItem* item) {
  if (!RegistrationSuspended) Items.Add(item);
}

void TQSPart::RemoveItem(TQSItem* item) { Items.Remove(item); }

// ---------------------------------------------------------------- setters

void TQSPart::SetName(const std::string& value) {
  if (Name == value) return;
  Name = value;
  if (TQSScore* score = Score()) score->FireItemChanged(this);
}

void TQSPart::SetShortName(const std::string& value) {
  if (ShortName == value) return;
  ShortName = value;
  if (TQSScore* score = Score()) score->FireItemChanged(this);
}

void TQSPart::SetInstrument(uint8_t value) {
  if (Fields.Instrument == value) return;
  Fields.Instrument = value;
  TQSScore* score = Score();
  if (score && score->OnItemChanged) {
    score->FireItemChanged(this);
    score->Recalculate(0, -1);
    score->FireChanged(this);
  }
}

void TQSPart::SetChannel(uint8_t value) {
  if (Fields.Channel == value) return;
  Fields.Channel = value;
  TQSScore* score = Score();
  if (score && score->OnItemChanged) {
    score->FireItemChanged(this);
    score->Recalculate(0, -1);
    score->FireChanged(this);
  }
}

// While the active view plays, a change of volume or pan is heard at once.
void TQSPart::SendController(int controller, uint8_t value, uint8_t notSetValue) {
  TQSScore* score = Score();
  TQSWindowLink* view = score ? score->ActiveWindow() : nullptr;
  if (!view || !view->Playing() || !view->OnPlayShort) return;
  const int data = value == 255 ? notSetValue : ClampMidiValue(value);
  view->OnPlayShort(this, 0xB0 | Channel(), controller, data);
}

void TQSPart::SetVolume(uint8_t value) {
  if (Fields.Volume == value) return;
  Fields.Volume = value;
  Changed();
  SendController(7, value, 127);
}

void TQSPart::SetPan(uint8_t value) {
  if (Fields.Pan == value) return;
  Fields.Pan = value;
  Changed();
  SendController(10, value, 64);  // not set: the centre
}

void TQSPart::SetMute(bool value) {
  if ((Fields.Mute != 0) == value) return;
  Fields.Mute = value;
  Changed();
}

void TQSPart::SetTransport(int count, const TQSTransportRecord* records) {
  std::vector<TQSTransportRecord> value;
  if (count > 0 && records) value.assign(records, records + count);
  if (value == Transports) return;
  Transports = std::move(value);
  if (TQSScore* score = Score()) {
    score->Recalculate(0, -1);
    score->FireChanged(this);
  }
}

void TQSPart::Changed() {
  if (TQSScore* score = Score()) score->NotifyChanged(this);
}

void TQSPart::Assign(const TObject& source) {
  auto* src = dynamic_cast<const TQSPart*>(&source);
  if (!src) RaiseAssignError(source.ClassName(), ClassName());
  if (src == this) return;
  ClearStaves();
  ClearMeasures();
  Fields = src->Fields;
  BlockSurplus = src->BlockSurplus;
  Name = src->Name;
  Spacing = src->Spacing;
  Transports = src->Transports;
  for (TQSStaff* staff : src->staves_) NewStaff()->Assign(*staff);
  for (TQSMeasure* measure : src->measures_) NewMeasure()->Assign(*measure);
  CopyItems(src->Items, this);
  if (TQSScore* score = Score()) score->FireItemChanged(this);
}

// ---------------------------------------------------------------- lookups

TQSMeasureSlot* TQSPart::GetMeasureRecord(int measureIndex) const {
  const int last = piece_->LastLaidOutMeasure;
  if (last < 0 || measureIndex < 0) return nullptr;
  const int i = std::min(measureIndex, last);
  return At(piece_->Slots, i);
}

int TQSPart::TransportShift() const { return qs::TransportShift(Transports); }

int TQSPart::PrevEventPosition(int measureIndex, int position) const {
  TQSMeasure* m = GetMeasure(measureIndex);
  const int start = m ? m->TimedStartBefore(position) : -1;
  return start >= 0 ? start : position;
}

int TQSPart::NextEventPosition(int measureIndex, int position) const {
  TQSMeasure* m = GetMeasure(measureIndex);
  const int start = m ? m->TimedStartAfter(position) : -1;
  return start >= 0 ? start : position;
}

// Walks the measures' lengths from position on until length is used up;
// the end may reach measure 10001 at the most. leaveAtEnd: an end exactly
// at a measure's end lies at the start of the next measure.
TQSPart::TSpanEnd TQSPart::FindSpanEnd(int measureIndex, int position, int length, bool leaveAtEnd) const {
  constexpr int kLastMeasure = 10001;
  int m = measureIndex, start = position, left = length;
  while (m < kLastMeasure) {
    TQSMeasureSlot* slot = GetMeasureRecord(m);
    const int toEnd = (slot ? slot->LengthFor(m) : 0) - start;
    if (leaveAtEnd ? toEnd > left : toEnd >= left) break;
    left -= std::max(toEnd, 0);
    start = 0;
    ++m;
  }
  return {m, start + left};
}

int TQSPart::SnapLengthBack(int measureIndex, int position, int length) const {
  if (measureIndex < 0 || measureIndex >= MeasureCount() || !GetMeasureRecord(measureIndex)) return length;
  TSpanEnd end = FindSpanEnd(measureIndex, position, length, false);
  TQSMeasure* m = GetMeasure(end.Measure);
  const int start = m ? std::max(m->TimedStartBefore(end.Tick), 0) : 0;
  return std::max(0, length + start - end.Tick);
}

int TQSPart::SnapLengthForward(int measureIndex, int position, int length) const {
  if (measureIndex < 0 || measureIndex >= MeasureCount() || !GetMeasureRecord(measureIndex)) return length;
  TSpanEnd end = FindSpanEnd(measureIndex, position, length, true);
  TQSMeasure* m = GetMeasure(end.Measure);
  const int start = m ? m->TimedStartAfter(end.Tick) : -1;
  if (start >= 0) return length + start - end.Tick;
  TQSMeasureSlot* slot = GetMeasureRecord(end.Measure);
  return length + (slot ? slot->LengthFor(end.Measure) : end.Tick) - end.Tick;
}

void TQSPart::SetLeftOffset(int value, bool replace) {
  TQSScore* score = Score();
  TQSWindowLink* view = score ? score->ActiveWindow() : nullptr;
  if (!view) return;
  const int index = view->CursorSystemIndex();
  // The table is stored with a 16-bit count.
  if (index < 0 || index >= 0xFFFF) return;
  TQSSpacingTable& table = Spacing.LeftOffsets;
  if (static_cast<int>(table.size()) <= index) table.resize(static_cast<size_t>(index) + 1, 0);
  const int v = (replace ? 0 : table[static_cast<size_t>(index)]) + value * 8;
  table[static_cast<size_t>(index)] = static_cast<int16_t>(std::clamp(v, -32768, 32767));
}

// ---------------------------------------------------------------- record

void TQSPart::LoadFromStream(TStream& s) {
  TRegistrationOpen open(RegistrationSuspended);
  ReadRecord(s, [&](TRecordReader& r) {
    if (r.Has(1)) ReadFields(r, Fields, BlockSurplus);
    if (r.Has(2)) Name = ReadStreamString(s);
    if (r.Has(3)) {
      const int count = ReadChildCount(s, "Error reading staffs");
      for (int i = 0; i < count; ++i) {
        (new TQSStaff(this))->LoadFromStream(s);
        EnsureInsideRecord(r);
      }
    }
    if (r.Has(4)) {
      const int count = ReadChildCount(s, "Error reading measures");
      for (int i = 0; i < count; ++i) {
        NewMeasure()->LoadFromStream(s);
        EnsureInsideRecord(r);
      }
    }
    if (r.Has(5)) {
      const int count = ReadChildCount(s, "Error reading score items");
      for (int i = 0; i < count; ++i) {
        ReadItem(s, this);
        EnsureInsideRecord(r);
      }
    }
    Spacing.Read(r, 6);
    if (r.Has(11)) {
      const uint16_t count = s.ReadU16();
      const std::vector<int16_t> values = ReadRecordI16s(r, size_t{count} * 2);
      Transports.resize(count);
      for (size_t i = 0; i < count; ++i)
        Transports[i] = {static_cast<uint16_t>(values[2 * i]), values[2 * i + 1]};
    }
  });
  if (TQSScore* score = Score()) score->FireItemChangedQuietly(this);
}

void TQSPart::SaveToStream(TStream& s) const {
  TRecordWriter w(s, 11);
  WriteFields(s, Fields, BlockSurplus);
  WriteStreamString(s, Name);
  WriteCount16(s, staves_.size(), "staff list");
  for (TQSStaff* staff : staves_) staff->SaveToStream(s);
  WriteCount16(s, measures_.size(), "measure list");
  for (TQSMeasure* measure : measures_) measure->SaveToStream(s);
  WriteItemList(s, Items);
  Spacing.Write(s);
  WriteTransportRecords(s, Transports);
  w.Finish();
}

}  // namespace qs
