#include "score/undo.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/record.h"
#include "score/score.h"
#include "score/undoentries.h"

namespace qs {

// ---------------------------------------------------------------- lists

namespace {
TQSUndoRecord* RecordAt(const std::vector<std::unique_ptr<TQSUndoRecord>>& list, int index) {
  return index >= 0 && index < static_cast<int>(list.size()) ? list[static_cast<size_t>(index)].get() : nullptr;
}

// A new record, or nullptr when none can be made (the edit goes on
// unrecorded).
std::unique_ptr<TQSUndoRecord> NewRecord(uint8_t action, const std::string& caption) noexcept {
  try {
    auto record = std::make_unique<TQSUndoRecord>();
    record->Action = action;
    record->Caption = caption;
    return record;
  } catch (...) {
    return nullptr;
  }
}
}  // namespace

TQSUndoRecord* TQSScore::GetUndoRecord(int index) const { return RecordAt(UndoList, index); }
TQSUndoRecord* TQSScore::GetRedoRecord(int index) const { return RecordAt(RedoList, index); }

TQSUndoRecord* TQSScore::BeginUndo(uint8_t action, const std::string& caption) {
  if (UndoSuspended()) return nullptr;
  std::unique_ptr<TQSUndoRecord> record = NewRecord(action, caption);
  if (!record) return nullptr;
  TQSUndoRecord* result = record.get();
  UndoList.push_back(std::move(record));
  // The record just opened always stays, even when MaxUndo is below 2:
  // the command is about to write into it.
  while (UndoCount() >= MaxUndo && UndoCount() > 1) UndoList.erase(UndoList.begin());
  Fire(OnUndoChanged, this);
  return result;
}

TQSUndoRecord* TQSScore::BeginRedo(uint8_t action, const std::string& caption) {
  std::unique_ptr<TQSUndoRecord> record = NewRecord(action, caption);
  if (!record) return nullptr;
  while (RedoCount() >= MaxUndo && RedoCount() > 0) RedoList.erase(RedoList.begin());
  TQSUndoRecord* result = record.get();
  RedoList.push_back(std::move(record));
  Fire(OnUndoChanged, this);
  return result;
}

// ---------------------------------------------------------------- writers

namespace undoentry {

namespace {

// Runs write at the stream's end; on any failure cuts the stream back to
// where it was. True when the entry is complete.
template <class F>
bool Append(TMemoryStream& s, F&& write) noexcept {
  const int64_t size = s.Size();
  try {
    s.Seek(0, SeekOrigin::End);
    write(s);
    return true;
  } catch (...) {
    try {
      s.SetSize(size);
      s.Seek(0, SeekOrigin::End);
    } catch (...) {
    }
    return false;
  }
}

// Writes the stream position reached into the end field at endField.
void PatchEnd(TStream& s, int64_t endField) {
  const int64_t end = s.Position();
  if (end > std::numeric_limits<int32_t>::max()) throw EWriteError("Undo record too large");
  s.SetPosition(endField);
  s.WriteI32(static_cast<int32_t>(end));
  s.Seek(0, SeekOrigin::End);
}

TQSCursorPosition ViewCursor(TQSScore& score) { return score.ActiveWindow()->CursorPosition; }

template <class Body>
void Tagged(TQSScore& score, TQSUndoRecord* record, uint8_t tag, const TQSCursorPosition& cursor, Body&& body) {
  const bool done = Append(record->Snapshot, [&](TStream& s) {
    s.WriteU8(tag);
    const int64_t endField = s.Position();
    s.WriteI32(0);
    s.WriteU8(static_cast<uint8_t>(score.ViewStyle));
    for (int32_t v : {cursor.Page, cursor.Piece, cursor.Part, cursor.Measure, cursor.Staff, cursor.Voice, cursor.Tick})
      s.WriteI32(v);
    body(s);
    PatchEnd(s, endField);
  });
  if (done) ++record->EntryCount;
}

bool Ready(TQSScore& score, TQSUndoRecord* record) { return record && score.ActiveWindow(); }

// The records of every measure of the part, counted.
void WriteMeasures(TStream& s, TQSPart& part) {
  WriteCount16(s, static_cast<size_t>(part.MeasureCount()), "measure list");
  for (TQSMeasure* m : part.MeasureList()) m->SaveToStream(s);
}

}  // namespace

bool IsTextKind(uint8_t k) {
  return k == kind::Lyric || k == kind::Term || k == kind::InstrumentName || k == kind::Text;
}

void Piece(TQSScore& score, TQSUndoRecord* record, TQSPiece& piece, bool withBody) {
  if (!Ready(score, record)) return;
  Tagged(score, record, undotag::Piece, ViewCursor(score), [&](TStream& s) {
    if (withBody) piece.SaveToStream(s);
  });
}

void Part(TQSScore& score, TQSUndoRecord* record, TQSPart& part, bool withBody) {
  if (!Ready(score, record)) return;
  Tagged(score, record, undotag::Part, ViewCursor(score), [&](TStream& s) {
    if (withBody) part.SaveToStream(s);
  });
}

void Staff(TQSScore& score, TQSUndoRecord* record, TQSStaff& staff, bool withBody) {
  if (!Ready(score, record)) return;
  Tagged(score, record, undotag::Staff, ViewCursor(score), [&](TStream& s) {
    if (!withBody) return;
    staff.SaveToStream(s);
    WriteMeasures(s, *staff.Part());
  });
}

void Voice(TQSScore& score, TQSUndoRecord* record, TQSVoice& voice, bool withBody) {
  if (!Ready(score, record)) return;
  Tagged(score, record, undotag::Voice, ViewCursor(score), [&](TStream& s) {
    if (!withBody) return;
    voice.SaveToStream(s);
    WriteMeasures(s, *voice.Staff()->Part());
  });
}

void Measure(TQSScore& score, TQSUndoRecord* record, TQSMeasure& measure, int index, bool withBody) {
  if (!Ready(score, record)) return;
  TQSCursorPosition cursor = ViewCursor(score);
  cursor.Piece = measure.Part()->Piece()->Index;
  cursor.Part = measure.Part()->Index;
  cursor.Measure = index >= 0 ? index : measure.Index;
  Tagged(score, record, undotag::Measure, cursor, [&](TStream& s) {
    if (withBody) measure.SaveToStream(s);
  });
}

void Column(TQSScore& score, TQSUndoRecord* record, TQSColumn& column, int index, bool withBody) {
  if (!Ready(score, record)) return;
  TQSCursorPosition cursor = ViewCursor(score);
  cursor.Piece = column.Piece()->Index;
  cursor.Measure = index >= 0 ? index : column.Index;
  Tagged(score, record, undotag::Column, cursor, [&](TStream& s) {
    if (withBody) column.SaveToStream(s);
  });
}

void Item(TQSScore& score, TQSUndoRecord* record, TQSItem& item) {
  if (!Ready(score, record)) return;
  Tagged(score, record, undotag::Item, ViewCursor(score), [&](TStream& s) {
    s.WriteI32(item.IndexInOwner());
    s.WriteU8(item.ItemType);
    item.SaveToStream(s);
  });
}

namespace {

// The cursor of the view with the object's own indexes.
// The cursor of the view moved onto the object (-1: the level is not the
// object's); where it leaves the view's piece, part or staff, the levels
// below start from the first, so that the replay finds them.
TQSCursorPosition ObjectCursor(TQSScore& score, int piece, int part, int staff, int voice) {
  TQSCursorPosition cursor = ViewCursor(score);
  bool moved = cursor.Piece != piece;
  if (moved) cursor.Measure = cursor.Tick = 0;
  cursor.Piece = piece;
  auto level = [&moved](int32_t& at, int index) {
    if (index >= 0) {
      moved = moved || at != index;
      at = index;
    } else if (moved) {
      at = 0;
    }
  };
  level(cursor.Part, part);
  level(cursor.Staff, staff);
  level(cursor.Voice, voice);
  return cursor;
}

}  // namespace

void Properties(TQSScore& score, TQSUndoRecord* record, TQSPiece& piece) {
  if (!Ready(score, record)) return;
  Tagged(score, record, undotag::Piece, ObjectCursor(score, piece.Index, -1, -1, -1), [&](TStream& s) {
    WriteStreamString(s, piece.Name);
    s.WriteI16(piece.Fields.Tempo);
    s.WriteU16(piece.Fields.Auftakt);
  });
}

void Properties(TQSScore& score, TQSUndoRecord* record, TQSPart& part) {
  if (!Ready(score, record)) return;
  Tagged(score, record, undotag::Part, ObjectCursor(score, part.Piece()->Index, part.Index, -1, -1),
         [&](TStream& s) {
           WriteStreamString(s, part.Name);
           for (uint8_t v : {part.Fields.Instrument, part.Fields.Channel, part.Fields.Volume, part.Fields.Pan,
                             part.Fields.Mute})
             s.WriteU8(v);
           WriteCount16(s, part.Transports.size(), "transport list");
           for (const TQSTransportRecord& t : part.Transports) {
             s.WriteU16(t.Value);
             s.WriteI16(t.Shift);
           }
         });
}

void Properties(TQSScore& score, TQSUndoRecord* record, TQSStaff& staff) {
  if (!Ready(score, record)) return;
  const TQSPart& part = *staff.Part();
  Tagged(score, record, undotag::Staff, ObjectCursor(score, part.Piece()->Index, part.Index, staff.Index, -1),
         [&](TStream& s) {
           const TQSStaff::TFields& f = staff.Fields;
           for (uint8_t v : {f.Mute, f.LineCount, f.Tablature, f.FretCount, f.Scale, f.Stems}) s.WriteU8(v);
           s.WriteBuffer(staff.Tuning, TQSStaff::kMaxLines);
         });
}

void Properties(TQSScore& score, TQSUndoRecord* record, TQSVoice& voice) {
  if (!Ready(score, record)) return;
  const TQSStaff& staff = *voice.Staff();
  const TQSPart& part = *staff.Part();
  Tagged(score, record, undotag::Voice,
         ObjectCursor(score, part.Piece()->Index, part.Index, staff.Index, voice.Index), [&](TStream& s) {
           for (uint8_t v : {voice.Fields.Instrument, voice.Fields.Channel, voice.Fields.Mute}) s.WriteU8(v);
         });
}

// The bodies are read in full before anything is changed, so that a short
// entry leaves the object as it was.
void ReadProperties(TStream& s, TQSPiece& piece) {
  std::string name = ReadStreamString(s);
  const int16_t tempo = s.ReadI16();
  const uint16_t auftakt = s.ReadU16();
  piece.Name = std::move(name);
  piece.Fields.Tempo = tempo;
  piece.Fields.Auftakt = auftakt;
}

void ReadProperties(TStream& s, TQSPart& part) {
  std::string name = ReadStreamString(s);
  std::array<uint8_t, 5> bytes{};
  for (uint8_t& b : bytes) b = s.ReadU8();
  const uint16_t count = s.ReadU16();
  if (s.Remaining() < int64_t{count} * 4) throw EReadError("Damaged undo record");
  std::vector<TQSTransportRecord> transports(count);
  for (TQSTransportRecord& t : transports) {
    t.Value = s.ReadU16();
    t.Shift = s.ReadI16();
  }
  part.Name = std::move(name);
  part.Fields.Instrument = bytes[0];
  part.Fields.Channel = bytes[1];
  part.Fields.Volume = bytes[2];
  part.Fields.Pan = bytes[3];
  part.Fields.Mute = bytes[4];
  part.Transports = std::move(transports);
}

void ReadProperties(TStream& s, TQSStaff& staff) {
  std::array<uint8_t, 6> bytes{};
  for (uint8_t& b : bytes) b = s.ReadU8();
  uint8_t tuning[TQSStaff::kMaxLines] = {};
  s.ReadBuffer(tuning, TQSStaff::kMaxLines);
  TQSStaff::TFields& f = staff.Fields;
  f.Mute = bytes[0];
  f.LineCount = std::min<uint8_t>(bytes[1], TQSStaff::kMaxLines);
  f.Tablature = bytes[2];
  f.FretCount = bytes[3];
  f.Scale = bytes[4] ? bytes[4] : 100;
  f.Stems = bytes[5];
  std::copy(std::begin(tuning), std::end(tuning), staff.Tuning);
}

void ReadProperties(TStream& s, TQSVoice& voice) {
  std::array<uint8_t, 3> bytes{};
  for (uint8_t& b : bytes) b = s.ReadU8();
  voice.Fields.Instrument = bytes[0];
  voice.Fields.Channel = bytes[1];
  voice.Fields.Mute = bytes[2];
}

void Text(TQSScore& score, TQSUndoRecord* record, TQSItem& item) {
  if (!Ready(score, record) || !IsTextKind(item.ItemType)) return;
  // Lyrics and the other staff texts are found again through their measure.
  TQSMeasure* measure = nullptr;
  if (item.ItemType != kind::Text) {
    measure = item.GetMeasure();
    if (!measure || item.Owner() != measure) return;
  }
  const std::array<int32_t, 6> editing = score.ActiveWindow()->EditSelection;
  const bool done = Append(record->Snapshot, [&](TStream& s) {
    s.WriteU8(item.ItemType);
    if (measure) {
      s.WriteI32(measure->Part()->Piece()->Index);
      s.WriteI32(measure->Part()->Index);
      s.WriteI32(measure->Index);
    }
    s.WriteI32(item.IndexInOwner());
    for (int32_t v : editing) s.WriteI32(v);
    item.SaveToStream(s);
  });
  if (done) ++record->EntryCount;
}

void Structure(TQSUndoRecord* record, uint8_t tag, uint8_t action, int piece, int part, int index) {
  if (!record) return;
  try {
    if (!record->Structure) record->Structure = std::make_unique<TMemoryStream>();
  } catch (...) {
    return;
  }
  const bool done = Append(*record->Structure, [&](TStream& s) {
    s.WriteU8(tag);
    const int64_t endField = s.Position();
    s.WriteI32(0);
    s.WriteU8(action);
    s.WriteI32(piece);
    if (tag == undotag::Measure) s.WriteI32(part);
    s.WriteI32(index);
    PatchEnd(s, endField);
  });
  if (done) ++record->StructureCount;
}

void Order(TQSUndoRecord* record, int piece, int part, int from, int to) {
  if (!record) return;
  try {
    if (!record->Structure) record->Structure = std::make_unique<TMemoryStream>();
  } catch (...) {
    return;
  }
  const bool done = Append(*record->Structure, [&](TStream& s) {
    s.WriteU8(undotag::Order);
    const int64_t endField = s.Position();
    s.WriteI32(0);
    s.WriteU8(part < 0 ? undotag::Part : undotag::Staff);
    s.WriteI32(piece);
    s.WriteI32(part);
    s.WriteI32(from);
    s.WriteI32(to);
    PatchEnd(s, endField);
  });
  if (done) ++record->StructureCount;
}

}  // namespace undoentry

void SaveUndoOrder(TQSUndoRecord* record, int piece, int part, int from, int to) {
  undoentry::Order(record, piece, part, from, to);
}

// The records a command writes leave out the body of an object it added:
// undoing the addition only needs to know where the object is.
namespace {
bool BodyFiled(const TQSUndoRecord* record, uint8_t addedAction) { return record && record->Action != addedAction; }
}  // namespace

void TQSScore::SaveUndoPiece(TQSUndoRecord* record, TQSPiece* piece) {
  if (piece) undoentry::Piece(*this, record, *piece, BodyFiled(record, undoaction::PieceAdded));
}

void TQSScore::SaveUndoPart(TQSUndoRecord* record, TQSPart* part) {
  if (part) undoentry::Part(*this, record, *part, BodyFiled(record, undoaction::PartAdded));
}

void TQSScore::SaveUndoStaff(TQSUndoRecord* record, TQSStaff* staff) {
  if (staff) undoentry::Staff(*this, record, *staff, BodyFiled(record, undoaction::StaffAdded));
}

void TQSScore::SaveUndoVoice(TQSUndoRecord* record, TQSVoice* voice) {
  if (voice) undoentry::Voice(*this, record, *voice, BodyFiled(record, undoaction::VoiceAdded));
}

void TQSScore::SaveUndoProperties(TQSUndoRecord* record, TQSPiece* piece) {
  if (piece) undoentry::Properties(*this, record, *piece);
}
void TQSScore::SaveUndoProperties(TQSUndoRecord* record, TQSPart* part) {
  if (part) undoentry::Properties(*this, record, *part);
}
void TQSScore::SaveUndoProperties(TQSUndoRecord* record, TQSStaff* staff) {
  if (staff) undoentry::Properties(*this, record, *staff);
}
void TQSScore::SaveUndoProperties(TQSUndoRecord* record, TQSVoice* voice) {
  if (voice) undoentry::Properties(*this, record, *voice);
}

void TQSScore::SaveUndoItem(TQSUndoRecord* record, TQSItem* item) {
  if (item) undoentry::Item(*this, record, *item);
}

void TQSScore::SaveUndoMeasure(TQSUndoRecord* record, TQSMeasure* measure, int index) {
  if (measure)
    undoentry::Measure(*this, record, *measure, index, BodyFiled(record, undoaction::MeasuresInserted));
}

void TQSScore::SaveUndoColumn(TQSUndoRecord* record, TQSColumn* column, int index) {
  if (column) undoentry::Column(*this, record, *column, index, BodyFiled(record, undoaction::MeasuresInserted));
}

void TQSScore::SaveUndoMeasureEntry(TQSUndoRecord* record, TQSMeasure* measure, uint8_t action) {
  if (measure)
    undoentry::Structure(record, undotag::Measure, action, measure->Part()->Piece()->Index,
                         measure->Part()->Index, measure->Index);
}

void TQSScore::SaveUndoColumnEntry(TQSUndoRecord* record, TQSColumn* column, uint8_t action) {
  if (column) undoentry::Structure(record, undotag::Column, action, column->Piece()->Index, -1, column->Index);
}

void TQSScore::SaveUndoText(TQSUndoRecord* record, TQSCalcItem* element) {
  if (element && element->Item) undoentry::Text(*this, record, *element->Item);
}

// ---------------------------------------------------------------- staves and voices

namespace {
template <class T>
bool SetStaffVoiceOf(TQSItem& item, uint8_t staffVoice) {
  auto* t = dynamic_cast<T*>(&item);
  if (t) t->Fields.StaffVoice = staffVoice;
  return t;
}
}  // namespace

bool SetItemStaffVoice(TQSItem& item, uint8_t staffVoice) {
  if (item.StaffVoice() < 0) return false;
  return SetStaffVoiceOf<TQSMark>(item, staffVoice) || SetStaffVoiceOf<TQSNote>(item, staffVoice) ||
         SetStaffVoiceOf<TQSPause>(item, staffVoice) || SetStaffVoiceOf<TQSVorschlag>(item, staffVoice) ||
         SetStaffVoiceOf<TQSBend>(item, staffVoice) || SetStaffVoiceOf<TQSFrame>(item, staffVoice) ||
         SetStaffVoiceOf<TQSChord>(item, staffVoice) || SetStaffVoiceOf<TQSLyric>(item, staffVoice);
}

namespace {
// The item and everything attached to it take their mapped staff/voice
// bytes; a tie's end follows the voice it ends in.
void Retarget(TQSItem& item, const std::function<int(int)>& map) {
  if (const int sv = item.StaffVoice(); sv >= 0)
    if (const int to = map(sv); to >= 0) SetItemStaffVoice(item, static_cast<uint8_t>(to));
  if (auto* tie = dynamic_cast<TQSLiga*>(&item))
    if (const int to = map(tie->Fields.EndStaffVoice); to >= 0) tie->Fields.EndStaffVoice = static_cast<uint8_t>(to);
  if (auto* holder = dynamic_cast<TQSItemHolder*>(&item))
    for (TQSItem* held : holder->Items) Retarget(*held, map);
}
}  // namespace

void MapStaffVoices(TQSPart& part, const std::function<int(int)>& map) {
  for (TQSMeasure* measure : part.MeasureList()) {
    for (int i = measure->ItemCount() - 1; i >= 0; --i) {
      TQSItem* item = measure->GetItem(i);
      const int sv = item->StaffVoice();
      if (sv >= 0 && map(sv) < 0) delete item;
      else Retarget(*item, map);
    }
    measure->UpdateBeams(0, false);
  }
}

void TQSScore::RemoveVoiceItems(TQSVoice* voice) {
  if (!voice) return;
  const int staff = voice->Staff()->Index;
  const int index = voice->Index;
  MapStaffVoices(*voice->Staff()->Part(), [&](int sv) {
    if (StaffOf(uint8_t(sv)) != staff || VoiceOf(uint8_t(sv)) < index) return sv;
    if (VoiceOf(uint8_t(sv)) == index) return -1;
    return int(MakeStaffVoice(staff, VoiceOf(uint8_t(sv)) - 1));
  });
}

void TQSScore::RemoveStaffItems(TQSStaff* staff) {
  if (!staff) return;
  const int index = staff->Index;
  MapStaffVoices(*staff->Part(), [&](int sv) {
    if (StaffOf(uint8_t(sv)) < index) return sv;
    if (StaffOf(uint8_t(sv)) == index) return -1;
    return int(MakeStaffVoice(StaffOf(uint8_t(sv)) - 1, VoiceOf(uint8_t(sv))));
  });
}

}  // namespace qs
