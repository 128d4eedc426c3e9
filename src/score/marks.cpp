#include "score/marks.h"

#include <algorithm>

#include "score/notes.h"

namespace qs {

namespace {

// A chord definition: two counts A and B, then A + B bytes. Without one, two
// zero counts are written.
void WriteDefinition(TStream& s, const std::vector<uint8_t>& definition) {
  static const std::vector<uint8_t> kEmpty = {0, 0};
  const std::vector<uint8_t>& d = definition.empty() ? kEmpty : definition;
  WriteCount16(s, d.size(), "chord definition");
  s.WriteBytes(d);
}

std::vector<uint8_t> ReadDefinition(TRecordReader& r) { return r.ReadBytes(r.S.ReadU16()); }

// A copy of v with exactly n entries, new ones zero: the sections without a
// count of their own must hold exactly what the block's counts say.
template <class T>
std::vector<T> Sized(const std::vector<T>& v, size_t n) {
  std::vector<T> out(v.begin(), v.begin() + static_cast<long>(std::min(n, v.size())));
  out.resize(n);
  return out;
}

}  // namespace

bool IsMarkFontKind(TQSItemType k) {
  switch (k) {
    case kind::Meter: case kind::MeasureNumbering: case kind::Rehearsal: case kind::Finger:
    case kind::StringNumber: case kind::Hammer: case kind::Barre: case kind::Flageolet:
      return true;
    default:
      return false;
  }
}

bool IsMarkLineKind(TQSItemType k) {
  return k == kind::StringNumber || k == kind::Barre || k == kind::Flageolet;
}

std::vector<int16_t> TupletSlotLengths(uint8_t tupletType, uint16_t unit) {
  const int64_t n = tupletType;
  const int64_t total = TupletLength(tupletType, unit);
  std::vector<int16_t> slots(static_cast<size_t>(n));
  for (int64_t i = 0; i < n; ++i)
    slots[static_cast<size_t>(i)] = static_cast<int16_t>((i + 1) * total / n - i * total / n);
  return slots;
}

// ---------------------------------------------------------------- mark

void TQSMark::TFields::Visit(TBlockIO& b) {
  b.U8(Kind);
  b.U8(Further1);
  b.U16(Time);
  b.U16(Value);
  b.U8(Style);
  b.U8(Further7);
  b.I16(OffsetX);
  b.I16(OffsetY);
  b.I16(Angle);
  b.U8(StaffVoice);
  b.U8(Further15);
  b.U32(Color);
}

TQSMark::TQSMark(TQSItemOwner* owner) : TQSItem(owner) {}

bool TQSMark::IsAttachedToNote() const {
  switch (ItemType) {
    case kind::HiHat1: case kind::HiHat2: case kind::Staccato: case kind::Portamento:
    case kind::Tremolo: case kind::Hand:
      return Fields.Style & kStyleAttached;
    default:
      return false;
  }
}

// Dots and accidentals belong to their note and have no place of their own.
int TQSMark::TimePosition() const {
  return ItemType == kind::Dot || ItemType == kind::Accidental ? -1 : Fields.Time;
}

int TQSMark::StaffVoice() const {
  return ItemType == kind::Dot || ItemType == kind::Accidental ? -1 : Fields.StaffVoice;
}

void TQSMark::Assign(const TQSItem& source) {
  const TQSMark& src = AssignBlock(*this, source);
  TupletLengths = src.TupletLengths;
  FontName = src.FontName;
  LineStyle = src.LineStyle;
  OwnStaff = src.OwnStaff;
}

void TQSMark::LoadFromStream(TStream& s) {
  ReadRecord(s, [&](TRecordReader& r) {
    if (r.Has(1)) ReadFields(r, Fields, BlockSurplus);
    if (r.Has(2) && ItemType == kind::Tuplet) TupletLengths = ReadRecordI16s(r, Fields.Kind);
    if (r.Has(3) && IsMarkFontKind(ItemType)) FontName = ReadRecordString(r);
    if (r.Has(4) && IsMarkLineKind(ItemType)) LineStyle = r.ReadBytes(1)[0];
  });
}

void TQSMark::SaveToStream(TStream& s) const {
  // Four sections are declared whatever the kind; only those of the kind follow.
  TRecordWriter w(s, 4);
  WriteFields(s, Fields, BlockSurplus);
  if (ItemType == kind::Tuplet) {
    // The reader takes Kind entries: stale lengths of another type are
    // replaced by the computed ones.
    std::vector<int16_t> lengths = TupletLengths;
    if (lengths.size() != Fields.Kind) lengths = TupletSlotLengths(Fields.Kind, Fields.Value);
    for (int16_t v : lengths) s.WriteI16(v);
  }
  if (IsMarkFontKind(ItemType)) WriteStreamString(s, FontName);
  if (IsMarkLineKind(ItemType)) s.WriteU8(LineStyle);
  w.Finish();
}

// ---------------------------------------------------------------- bend

void TQSBend::TFields::Visit(TBlockIO& b) {
  b.U8(Kind);
  b.U8(Further1);
  b.U16(Time);
  b.U16(RiseWidth);
  b.U16(SecondWidth);
  b.U16(ReleaseWidth);
  b.U16(Height);
  b.I16(OffsetX);
  b.I16(OffsetY);
  b.Bytes(Further16);
  b.U8(StaffVoice);
  b.U8(Further19);
  b.U32(Color);
}

TQSBend::TQSBend(TQSItemOwner* owner) : TQSItem(owner) { ItemType = kind::Bend; }

void TQSBend::SetShape(uint8_t variant) {
  Fields.Kind = variant;
  Fields.Height = 160;
  Fields.RiseWidth = variant == 1 || variant == 3 || variant == 5 ? 80 : 0;
  Fields.SecondWidth = variant >= 2 && variant <= 5 ? 80 : 0;
  Fields.ReleaseWidth = variant == 4 || variant == 5 ? 80 : 0;
}

void TQSBend::Assign(const TQSItem& source) { AssignBlock(*this, source); }

void TQSBend::LoadFromStream(TStream& s) { ReadBlockRecord(s, Fields, BlockSurplus); }

// Two sections are declared; only the block follows.
void TQSBend::SaveToStream(TStream& s) const { WriteBlockRecord(s, 2, Fields, BlockSurplus); }

// ---------------------------------------------------------------- chord symbol

void TQSChordFragment::TFields::Visit(TBlockIO& b) {
  b.U8(Size);
  b.U8(Style);
  b.U8(Anchor);
  b.I16(Level);
}

void TQSChord::TFields::Visit(TBlockIO& b) {
  b.U16(Time);
  b.Bytes(Further2);
  b.I16(OffsetX);
  b.I16(OffsetY);
  b.U8(StaffVoice);
  b.Bytes(Further9);
  b.U32(Color);
}

TQSChord::TQSChord(TQSItemOwner* owner) : TQSItem(owner) { ItemType = kind::Chord; }

void TQSChord::Assign(const TQSItem& source) {
  const TQSChord& src = AssignBlock(*this, source);
  Patterns = src.Patterns;
  Definition = src.Definition;
  FontName = src.FontName;
}

void TQSChord::LoadFromStream(TStream& s) {
  ReadRecord(s, [&](TRecordReader& r) {
    if (r.Has(1)) ReadFields(r, Fields, BlockSurplus);
    if (r.Has(2)) {
      uint16_t count = r.S.ReadU16();
      for (int i = 0; i < count; ++i) {
        TQSChordFragment f;
        ReadFields(r, f.Fields, f.BlockSurplus);
        f.Text = ReadRecordString(r);
        Patterns.push_back(std::move(f));
      }
    }
    if (r.Has(3)) Definition = ReadDefinition(r);
    if (r.Has(4)) FontName = ReadRecordString(r);
  });
}

void TQSChord::SaveToStream(TStream& s) const {
  TRecordWriter w(s, 4);
  WriteFields(s, Fields, BlockSurplus);
  WriteCount16(s, Patterns.size(), "chord name");
  for (const TQSChordFragment& f : Patterns) {
    WriteFields(s, f.Fields, f.BlockSurplus);
    WriteStreamString(s, f.Text);
  }
  WriteDefinition(s, Definition);
  WriteStreamString(s, FontName);
  w.Finish();
}

// ---------------------------------------------------------------- guitar frame

void TQSFrame::TFields::Visit(TBlockIO& b) {
  b.U16(Time);
  b.I16(OffsetX);
  b.I16(OffsetY);
  b.U8(StaffVoice);
  b.U8(Further7);
  b.U8(StringCount);
  b.U8(FretCount);
  b.U8(UsedFretCount);
  b.U8(StartFret);
  b.U32(Color);
}

TQSFrame::TQSFrame(TQSItemOwner* owner) : TQSItem(owner), Barre(Fields.UsedFretCount) {
  ItemType = kind::Frame;
}

void TQSFrame::SetStringCount(uint8_t value) {
  if (value == Fields.StringCount) return;
  Fields.StringCount = value;
  Strings.resize(value);
}

void TQSFrame::SetUsedFretCount(uint8_t value) {
  if (value == Fields.UsedFretCount) return;
  Fields.UsedFretCount = value;
  Barre.resize(value);
}

void TQSFrame::Assign(const TQSItem& source) {
  const TQSFrame& src = AssignBlock(*this, source);
  Definition = src.Definition;
  Barre = Sized(src.Barre, Fields.UsedFretCount);
  Strings = Sized(src.Strings, Fields.StringCount);
}

void TQSFrame::LoadFromStream(TStream& s) {
  ReadRecord(s, [&](TRecordReader& r) {
    if (r.Has(1)) {
      ReadFields(r, Fields, BlockSurplus);
      Barre.assign(Fields.UsedFretCount, 0);
      Strings.assign(Fields.StringCount, TQSFrameString{});
    }
    if (r.Has(2)) Definition = ReadDefinition(r);
    if (r.Has(3)) Barre = r.ReadBytes(Fields.UsedFretCount);
    if (r.Has(4)) {
      std::vector<uint8_t> bytes = r.ReadBytes(size_t{Fields.StringCount} * 3);
      for (size_t i = 0; i < Strings.size(); ++i) Strings[i] = {bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]};
    }
  });
}

void TQSFrame::SaveToStream(TStream& s) const {
  TRecordWriter w(s, 4);
  WriteFields(s, Fields, BlockSurplus);
  WriteDefinition(s, Definition);
  s.WriteBytes(Sized(Barre, Fields.UsedFretCount));
  for (const TQSFrameString& e : Sized(Strings, Fields.StringCount)) {
    s.WriteU8(e.Further);
    s.WriteU8(e.Finger);
    s.WriteU8(e.Fret);
  }
  w.Finish();
}

// ---------------------------------------------------------------- tie or slur

void TQSLiga::TFields::Visit(TBlockIO& b) {
  b.U16(Span);
  b.U8(EndStaffVoice);
  b.U8(Flags);
  b.I16(StartX);
  b.I16(StartY);
  b.I16(EndX);
  b.I16(EndY);
  b.I16(CurveStartDX);
  b.I16(CurveStartDY);
  b.I16(CurveEndDX);
  b.I16(CurveEndDY);
  b.U32(Color);
}

TQSLiga::TQSLiga(TQSItemOwner* owner) : TQSItem(owner) { ItemType = kind::Liga; }

void TQSLiga::Assign(const TQSItem& source) { AssignBlock(*this, source); }

void TQSLiga::LoadFromStream(TStream& s) { ReadBlockRecord(s, Fields, BlockSurplus); }
void TQSLiga::SaveToStream(TStream& s) const { WriteBlockRecord(s, 1, Fields, BlockSurplus); }

// ---------------------------------------------------------------- staff text

void TQSLyric::TFields::Visit(TBlockIO& b) {
  b.U16(Time);
  b.U8(StaffVoice);
  b.U8(Flags);
  b.I16(OffsetX);
  b.I16(OffsetY);
  b.U8(FontSize);
  b.U8(FontStyle);
  b.Bytes(Further10);
  b.U32(Color);
  b.U16(Angle);
  b.I16(Width);
  b.I16(Height);
  b.U8(Verse);
  b.U8(Further23);
}

TQSLyric::TQSLyric(TQSItemOwner* owner) : TQSItem(owner) { ItemType = kind::Lyric; }

// The lines are appended to those the target has.
void TQSLyric::Assign(const TQSItem& source) {
  const TQSLyric& src = AssignBlock(*this, source);
  FontName = src.FontName;
  std::vector<std::string> lines = src.Lines;  // the source may be this text
  Lines.insert(Lines.end(), lines.begin(), lines.end());
}

void TQSLyric::LoadFromStream(TStream& s) {
  ReadRecord(s, [&](TRecordReader& r) {
    if (r.Has(1)) ReadFields(r, Fields, BlockSurplus);
    if (r.Has(2)) {
      std::vector<std::string> lines;
      ReadRecordWideStrings(r, lines);
      Lines.insert(Lines.end(), lines.begin(), lines.end());
    }
    if (r.Has(3)) FontName = ReadRecordString(r);
  });
}

void TQSLyric::SaveToStream(TStream& s) const {
  TRecordWriter w(s, 3);
  WriteFields(s, Fields, BlockSurplus);
  WriteStreamWideStrings(s, Lines);
  WriteStreamString(s, FontName);
  w.Finish();
}

// ---------------------------------------------------------------- MIDI event

void TQSMIDIEvent::TFields::Visit(TBlockIO& b) {
  b.I16(Time);
  b.U16(DataLength);
}

TQSMIDIEvent::TQSMIDIEvent(TQSItemOwner* owner) : TQSItem(owner) { ItemType = kind::MidiEvent; }

void TQSMIDIEvent::SetData(const uint8_t* data, size_t size) {
  if (size > 0xFFFF)
    throw EConvertError("A MIDI event holds at most 65535 data bytes (" + std::to_string(size) + " given)");
  Data.assign(data, data + size);
  Fields.DataLength = static_cast<uint16_t>(size);
}

void TQSMIDIEvent::Assign(const TQSItem& source) {
  const TQSMIDIEvent& src = AssignBlock(*this, source);
  Data = src.Data;
}

void TQSMIDIEvent::LoadFromStream(TStream& s) {
  ReadRecord(s, [&](TRecordReader& r) {
    if (r.Has(1)) ReadFields(r, Fields, BlockSurplus);
    // The length stays true to the data held until the stored data is read.
    uint16_t length = Fields.DataLength;
    Fields.DataLength = static_cast<uint16_t>(Data.size());
    if (r.Has(2)) {
      Data = r.ReadBytes(length);
      Fields.DataLength = length;
    }
  });
}

void TQSMIDIEvent::SaveToStream(TStream& s) const {
  // Three sections are declared; the block and the data follow.
  if (Data.size() > 0xFFFF) throw EWriteError("Cannot save: MIDI event data too long");
  TRecordWriter w(s, 3);
  TFields f = Fields;
  f.DataLength = static_cast<uint16_t>(Data.size());
  WriteFields(s, f, BlockSurplus);
  s.WriteBytes(Data);
  w.Finish();
}

// ---------------------------------------------------------------- factory

TQSItem* CreateMarkItem(TQSItemType k, TQSItemOwner* owner) {
  if (IsMarkKind(k)) return new TQSMark(owner);
  switch (k) {
    case kind::Liga: return new TQSLiga(owner);
    case kind::Chord: return new TQSChord(owner);
    case kind::Lyric: case kind::Term: case kind::InstrumentName: return new TQSLyric(owner);
    case kind::Frame: return new TQSFrame(owner);
    case kind::Bend: return new TQSBend(owner);
    case kind::MidiEvent: return new TQSMIDIEvent(owner);
    default: return nullptr;
  }
}

}  // namespace qs
