// The measure records of the older score files: one record per staff and
// measure, holding the clef, key and time of the measure, the notes with
// what is attached to them, the rests and the further items of that staff.
// Each is converted into items of the part's measure, which is then
// completed with rests, beams and stem directions.
#include <algorithm>

#include "base/mathutil.h"
#include "score/legacyreader.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/record.h"
#include "score/score.h"
#include "score/timing.h"
#include "score/tree.h"

namespace qs {

namespace {

constexpr uint8_t kMeasureMarker = 253;
constexpr uint8_t kFormatWithRests = 245;

// Codes of the old note, attached and further records.
constexpr uint8_t kRehearsalRecord = 28, kDroppedRecord = 29;
constexpr uint8_t kGraceRecord = 120, kTieAbove = 151, kTieBelow = 152, kOldLink1 = 153, kOldLink2 = 154;
constexpr uint8_t kChordRecord = 51, kTupletRecord = 140, kTextRecord = 200, kTextLines = 61, kDroppedMark = 228,
                  kBendRecord = 230, kLyricRecord = 240, kClefCode = 20, kArpeggioCode = 131;
constexpr uint8_t kDot = 101, kDoubleDot = 102;

// The accidental of an old code (flat, sharp, natural), -1 for others.
int GraceAccidental(uint8_t code) {
  switch (code) {
    case 103: return 0;
    case 105: return 2;
    case 107: return 4;
    default: return -1;
  }
}

// 45 - (7 x octave + step): the staff step of a pitch, as old records
// place what belongs to a note.
int NoteStaffStep(uint8_t pitch) { return 45 - PitchLine(pitch); }

struct TMarkCode {
  TQSItemType Kind;
  uint8_t Variant;
};

// The marks of the old further records by their codes.
TMarkCode MarkOfCode(uint8_t code) {
  auto range = [code](int first, int last) { return code >= first && code <= last; };
  auto from = [code](TQSItemType kind, int first, int firstVariant) {
    return TMarkCode{kind, static_cast<uint8_t>(code - first + firstVariant)};
  };
  if (code == kClefCode) return {kind::Clef, 0};
  if (code == kArpeggioCode) return {kind::Arpeggio, 0};
  if (code == 132) return {kind::Tremolo, 0};
  if (range(133, 134)) return {kind::Hang, 1};
  if (range(160, 172)) return from(kind::Dynamics, 160, 0);
  if (code == 175) return {kind::StringNumber, 0};
  if (range(179, 180)) return from(kind::Pedal, 179, 0);
  if (range(184, 187)) return from(kind::Trill, 184, 1);
  if (range(188, 191)) return from(kind::Mordent, 188, 0);
  if (range(195, 196)) return from(kind::Fermata, 195, 0);
  if (code == 198) return {kind::Accent, 0};
  if (code == 199) return {kind::Accent, 3};
  if (range(216, 220)) return from(kind::Finger, 216, 1);
  if (range(221, 222)) return from(kind::Dynamics, 221, dynamic::kCrescendo);
  if (range(223, 224)) return from(kind::Ottava, 223, 0);
  if (code == 225) return {kind::Vibrato, 0};
  if (range(226, 227)) return from(kind::Bracket, 226, 0);
  if (code == 229) return {kind::Muting, 0};
  return {kind::Hang, 0};
}

int LegacyInsertIndex(const TQSMeasure& m, int staffVoice, int position) {
  const int staff = StaffOf(uint8_t(staffVoice));
  const int voice = VoiceOf(uint8_t(staffVoice));
  for (int i = 0; i < m.ItemCount(); ++i) {
    const TQSItem* item = m.GetItem(i);
    if (!IsTimedItem(*item)) continue;
    const int at = item->TimePosition();
    if (at > position) return i;
    if (at < position) continue;
    const int itemStaff = StaffOf(uint8_t(item->StaffVoice()));
    const int itemVoice = VoiceOf(uint8_t(item->StaffVoice()));
    if (m.AllVoices() || itemStaff > staff || (itemStaff == staff && itemVoice >= voice)) return i;
  }
  return m.ItemCount();
}

template <class T>
T* Attach(TQSItemOwner* owner, TQSItemType kind) {
  return static_cast<T*>(CreateItemByKind(kind, owner));
}

}  // namespace

void InsertInTimeOrder(TQSMeasure* m, std::unique_ptr<TQSItem> item) {
  const int at = LegacyInsertIndex(*m, item->StaffVoice(), item->TimePosition());
  m->Items.Insert(at, item.release());
}

void InsertBeforeTimed(TQSMeasure* m, std::unique_ptr<TQSItem> item, int position) {
  int at = 0;
  while (at < m->ItemCount() &&
         (!IsTimedItem(*m->GetItem(at)) || m->GetItem(at)->TimePosition() < position))
    ++at;
  m->Items.Insert(at, item.release());
}

int TLegacyReader::StaffVoiceCount(int staff) const {
  const TQSStaff* st = part_->GetStaff(staff);
  return st ? st->VoiceCount() : 1;
}

uint8_t TLegacyReader::StaffVoiceOf(int voice) const { return MakeStaffVoice(staff_->Index, voice); }

// ---------------------------------------------------------------- record

void TLegacyReader::ReadMeasure(int index) {
  TQSMeasure* m = EnsureMeasure(index);
  std::vector<std::vector<TQSNote*>>& lists = notes_[staff_];
  if (lists.size() <= static_cast<size_t>(index)) lists.resize(static_cast<size_t>(index) + 1);
  if (ReadOldRecord(kMeasureMarker, false, [&] { ReadMeasureBody(m, index); })) CompleteMeasure(m);
}

void TLegacyReader::ReadMeasureBody(TQSMeasure* m, int index) {
  ReadMeasureHeader(m, index);
  if (V_ > 852) s_.Skip(5);

  const int notes = ReadChildCount(s_, "Error reading measure items");
  for (int i = 0; i < notes; ++i) {
    const TOldBlock b = ReadByteBlock();
    if (b.U8(0) == kDroppedRecord) continue;
    if (b.U8(0) == kRehearsalRecord) {
      const bool newer = V_ > 849;
      auto mark = NewMeasureItem<TQSMark>(m, kind::Rehearsal);
      mark->Fields.Time = static_cast<uint16_t>((newer ? b.I16(4) : b.U8(3)) * 4);
      mark->Fields.Value = static_cast<uint16_t>((newer ? b.I16(2) : b.U8(2)) * 4);
      mark->Fields.StaffVoice = StaffVoiceOf(newer ? b.U8(16) : b.U8(12));
      mark->Fields.Style = newer ? b.U8(17) : b.U8(13);
      InsertBeforeTimed(m, std::move(mark), 0);
      continue;
    }
    ReadNote(m, b, index);
  }

  if (format_ == kFormatWithRests) {
    const int rests = ReadChildCount(s_, "Error reading measure items");
    for (int i = 0; i < rests; ++i) ReadRest(m, ReadByteBlock());
  }

  const int further = ReadChildCount(s_, "Error reading measure items");
  for (int i = 0; i < further; ++i) ReadFurther(m, ReadByteBlock());
}

void TLegacyReader::ReadMeasureHeader(TQSMeasure* m, int index) {
  const int fields = s_.ReadU16();
  // Every header block is stored with its own size; older files store
  // only as many as the field count says, and no time block.
  TOldBlock clef, key, time;
  if (V_ > 639) {
    clef = ReadByteBlock();
    key = ReadByteBlock();
    time = ReadByteBlock();
  } else {
    if (fields >= 1) clef = ReadByteBlock();
    if (fields >= 2) key = ReadByteBlock();
  }
  const int s = staff_->Index;
  if (clef.U8(0) != 0 || index == 0) {
    auto mark = NewMeasureItem<TQSMark>(m, kind::Clef);
    mark->Fields.StaffVoice = MakeStaffVoice(s, 0);
    mark->Fields.Kind = clef.U8(0) != 0 ? clef.U8(0) : 1;
    mark->Fields.Time = clef.U8(0) != 0 ? clef.U16(1) : 0;
    const int position = mark->Fields.Time;
    InsertBeforeTimed(m, std::move(mark), position);
  }
  if (s == 0 && key.U8(0) != 0) {
    auto mark = NewMeasureItem<TQSMark>(m, kind::Key);
    mark->Fields.Kind = static_cast<uint8_t>(key.U8(0) - 30);
    m->Items.Insert(0, mark.release());
  }
  if (time.U8(0) != 0) {
    auto* meter = Attach<TQSMark>(EnsureColumn(index), kind::Meter);
    meter->Fields.Value = time.U16(2);
    L_ = MeterLength(meter->Fields.Value);
  }
  if (lengths_.size() <= static_cast<size_t>(index)) lengths_.resize(static_cast<size_t>(index) + 1, 0);
  lengths_[static_cast<size_t>(index)] = L_;
}

// ---------------------------------------------------------------- notes

void TLegacyReader::ReadNote(TQSMeasure* m, const TOldBlock& b, int index) {
  const bool newer = V_ > 849;
  auto owned = NewMeasureItem<TQSNote>(m, kind::Note);
  TQSNote* note = owned.get();
  TQSNote::TFields& f = note->Fields;
  f.Pitch = MakePitch(b.U8(1), b.U8(0) - 21);
  f.Length = static_cast<uint16_t>(Ticks(newer ? b.I16(2) : b.U8(2)));
  f.RealLength = static_cast<uint16_t>(Ticks(newer ? b.I16(12) : b.U8(10)));
  f.Time = static_cast<uint16_t>(Ticks(newer ? b.I16(14) : b.U8(11)));
  f.PlayLength = static_cast<uint16_t>(Ticks(newer ? b.I16(9) : b.I16(8)));
  if (newer) {
    const uint8_t offset = b.U8(11);
    f.PlayOffset = static_cast<int16_t>((offset & 0x7F) * 4 * (offset & 0x80 ? -1 : 1));
  } else {
    f.PlayOffset = static_cast<int16_t>(Ticks(b.U8(15)));
  }
  const uint8_t stem = newer ? b.U8(7) : b.U8(5);
  const int strokes = (stem >> 4) & 0x07;
  note->SetChordMember((newer ? b.U8(6) : b.U8(4)) != 0);
  note->SetStemDown(stem & 0x80);
  f.Velocity = newer ? b.U8(8) : b.U8(6);
  if (f.Velocity == 0) f.Velocity = 64;
  const uint8_t headBits = newer ? b.U8(17) : b.U8(13);
  f.HeadStyle = headBits & 0x10 ? static_cast<uint8_t>((newer ? b.U8(20) : b.U8(17)) + 4) : 0;
  f.StemLength = static_cast<uint8_t>(score_.StemLength);
  note->SetExtraBeams(ExtraBeamsFor(f.Length));

  // A voice the staff does not have yet is added (the byte holds 16).
  const int voice = (newer ? b.U8(16) : b.U8(12)) & 0x0F;
  if (voice >= staff_->VoiceCount()) staff_->NewVoice();
  f.StaffVoice = StaffVoiceOf(voice);
  InsertInTimeOrder(m, std::move(owned));
  notes_[staff_][static_cast<size_t>(index)].push_back(note);

  if (strokes != 0) {
    auto tremolo = NewMeasureItem<TQSMark>(m, kind::Tremolo);
    tremolo->Fields.Style = TQSMark::kStyleAttached;
    tremolo->Fields.StaffVoice = f.StaffVoice;
    tremolo->Fields.Time = f.Time;
    tremolo->Fields.Value = static_cast<uint16_t>(strokes);
    InsertInTimeOrder(m, std::move(tremolo));
  }

  const int beaming = m->BeamingValue();
  if (beaming > 1) {
    m->AutoBeamNote(note, beat_);
  } else if (beaming == 1) {
    // The score's beaming of everything stops at the measure's end.
    if (m->Fields.OwnBeaming || f.Time + f.RealLength < L_) note->SetBeamedToNext(true);
  }
  if (note->IsChordMember()) m->ArrangeChordNotes(f.StaffVoice, f.Time, false);

  ReadAttached(m, note, index);
}

void TLegacyReader::ReadAttached(TQSMeasure* m, TQSNote* note, int index) {
  const int count = s_.ReadU16();
  for (int i = 0; i < count; ++i) {
    const TOldBlock b = ReadByteBlock();
    const uint8_t code = b.U8(0);
    switch (code) {
      case kGraceRecord: ReadGraceGroup(m, note, b); break;
      case kTieAbove:
      case kTieBelow: ReadTie(note, b, index); break;
      case kOldLink1:
      case kOldLink2:
        for (int k = 0; k < 3; ++k) s_.ReadU16();
        break;
      case 108:
      case 109:
      case 114:
      case 117:
      case 118:
      case 119: {
        // Marks beside the note, placed from its staff step.
        TQSItemType kind = kind::Hand;
        uint8_t variant = 0;
        bool attached = true;
        long double base = 0;
        switch (code) {
          case 108: kind = kind::Portamento; break;
          case 109: kind = kind::Staccato; break;
          case 117: kind = kind::HiHat1; break;
          case 118: kind = kind::HiHat2; break;
          default: attached = false; variant = code == 119; break;
        }
        if (code == 108 || code == 109) base = note->IsStemDown() ? -lineSpace_ : lineSpace_;
        auto mark = NewMeasureItem<TQSMark>(m, kind);
        mark->Fields.Kind = variant;
        mark->Fields.Time = note->Fields.Time;
        mark->Fields.StaffVoice = note->Fields.StaffVoice;
        if (attached) mark->Fields.Style = TQSMark::kStyleAttached;
        mark->Fields.OffsetY = static_cast<int16_t>(StepY(NoteStaffStep(note->Fields.Pitch), base) + SignedOffset(b.U8(1)));
        InsertInTimeOrder(m, std::move(mark));
        break;
      }
      case kDot:
      case kDoubleDot: Attach<TQSMark>(note, kind::Dot)->Fields.Value = code == kDoubleDot; break;
      case 103:
      case 104:
      case 105:
      case 106:
      case 107: Attach<TQSMark>(note, kind::Accidental)->Fields.Kind = static_cast<uint8_t>(code - 103); break;
      case 115:
      case 116: Attach<TQSMark>(note, kind::Accidental)->Fields.Kind = static_cast<uint8_t>(code - 110); break;
      case 124:
      case 125: Attach<TQSMark>(note, kind::Glissando)->Fields.Kind = static_cast<uint8_t>(code - 124); break;
      case 126:
      case 127: Attach<TQSMark>(note, kind::Fall)->Fields.Kind = static_cast<uint8_t>(code - 126); break;
      case 128: Attach<TQSMark>(note, kind::Lift); break;
      default: break;
    }
  }
  if (V_ <= 815) return;
  const int effects = s_.ReadU16();
  for (int i = 0; i < effects; ++i) {
    const TOldBlock b = ReadByteBlock();
    auto* effect = Attach<TQSEffect>(note, kind::Effect);
    effect->Fields.Pitch = static_cast<uint8_t>(b.U8(2) * 16 + (b.U8(1) - 1));
    const bool newer = V_ > 863;
    effect->Fields.Time = static_cast<uint16_t>((newer ? b.I16(3) : b.U8(3)) * 4);
    effect->Fields.Length = static_cast<uint16_t>((newer ? b.I16(5) : b.U8(4)) * 4);
    effect->Fields.Velocity = newer ? b.U8(8) : b.U8(6);
  }
}

void TLegacyReader::ReadGraceGroup(TQSMeasure* m, TQSNote* note, const TOldBlock& b) {
  auto owned = NewMeasureItem<TQSVorschlag>(m, kind::Vorschlag);
  TQSVorschlag* group = owned.get();
  group->Fields.Time = note->Fields.Time;
  group->Fields.StaffVoice = note->Fields.StaffVoice;
  const uint8_t flags = b.U8(1);
  if (flags & 0x80) group->Fields.Flags |= TQSVorschlag::kAfter;
  if (flags & 0x40) group->Fields.Flags |= TQSVorschlag::kShortStyle;
  const bool tied = flags & 0x20;
  // Grace notes keep the old resolution's times in every version.
  const int length = b.U8(2) * 4;
  InsertInTimeOrder(m, std::move(owned));

  const bool newer = V_ > 863;
  auto accidental = [](TQSNote* grace, uint8_t code) {
    const int variant = GraceAccidental(code);
    if (variant >= 0) Attach<TQSMark>(grace, kind::Accidental)->Fields.Kind = static_cast<uint8_t>(variant);
  };
  const int count = s_.ReadU16();
  for (int i = 0; i < count; ++i) {
    const TOldBlock g = ReadByteBlock();
    auto* grace = Attach<TQSNote>(group, kind::Note);
    grace->Fields.Pitch = static_cast<uint8_t>(g.U8(2) * 16 + g.U8(1));
    grace->Fields.Length = grace->Fields.RealLength = static_cast<uint16_t>(length);
    grace->Fields.Time = static_cast<uint16_t>((newer ? g.I16(4) : g.U8(9)) * 4);
    grace->Fields.Velocity = newer ? g.U8(8) : g.U8(3);
    grace->Fields.StaffVoice = note->Fields.StaffVoice;
    grace->SetExtraBeams(ExtraBeamsFor(length));
    grace->SetBeamedToNext(true);
    accidental(grace, newer ? g.U8(3) : g.U8(8));
    const int records = s_.ReadU16();
    for (int k = 0; k < records; ++k) accidental(grace, ReadByteBlock().U8(0));
    if (i == 0 && tied) {
      auto* tie = Attach<TQSLiga>(grace, kind::Liga);
      tie->Fields.Flags = TQSLiga::kBelow;
      tie->Fields.EndStaffVoice = grace->Fields.StaffVoice;
      tie->Fields.EndY = static_cast<int16_t>(StepY(NoteStaffStep(note->Fields.Pitch), lineSpace_));
    }
  }
}

void TLegacyReader::ReadTie(TQSNote* note, const TOldBlock& b, int index) {
  const int staff = s_.ReadU16();
  const int measure = s_.ReadU16();
  const int number = s_.ReadU16();
  const TQSStaff* st = part_->GetStaff(staff);
  const auto lists = notes_.find(st);
  if (!st || lists == notes_.end() || measure >= static_cast<int>(lists->second.size())) return;
  const std::vector<TQSNote*>& list = lists->second[static_cast<size_t>(measure)];
  if (number >= static_cast<int>(list.size())) return;
  TQSNote* first = list[static_cast<size_t>(number)];
  const TQSNote::TFields& e = first->Fields;
  const TQSNote::TFields& n = note->Fields;

  uint8_t flags = 0;
  const int firstEnd = e.Time + e.RealLength;
  if (e.StaffVoice == n.StaffVoice && e.Pitch == n.Pitch &&
      ((measure == index && firstEnd == n.Time) || (index == measure + 1 && firstEnd == L_ && n.Time == 0)))
    flags = TQSLiga::kFromStart;
  int64_t span = n.Time - e.Time;
  for (int k = measure; k < index; ++k) span += RememberedLength(k);
  long double base = -lineSpace_;
  if (b.U8(0) == kTieBelow) {
    flags |= TQSLiga::kBelow;
    base = lineSpace_;
  }
  auto* tie = Attach<TQSLiga>(first, kind::Liga);
  tie->Fields.Flags = flags;
  tie->Fields.Span = static_cast<uint16_t>(span);
  tie->Fields.EndStaffVoice = n.StaffVoice;
  if (!(flags & TQSLiga::kFromStart)) tie->Fields.EndY = static_cast<int16_t>(StepY(NoteStaffStep(n.Pitch), base));
  tie->Fields.StartX = static_cast<int16_t>(tie->Fields.StartX + SignedOffset(b.U8(1)));
  tie->Fields.EndX = static_cast<int16_t>(tie->Fields.EndX + SignedOffset(b.U8(2)));
}

// ---------------------------------------------------------------- rests

void TLegacyReader::ReadRest(TQSMeasure* m, const TOldBlock& b) {
  const bool newer = V_ > 849;
  auto owned = NewMeasureItem<TQSPause>(m, kind::Pause);
  TQSPause* rest = owned.get();
  rest->Fields.Length = static_cast<uint16_t>(Ticks(newer ? b.I16(1) : b.U8(1)));
  rest->Fields.Time = static_cast<uint16_t>(Ticks(newer ? b.I16(3) : b.U8(2)));
  rest->Fields.RealLength = static_cast<uint16_t>(Ticks(newer ? b.I16(7) : b.U8(5)));
  const int voice = (newer ? b.U8(12) : b.U8(8)) & 0x0F;
  rest->Fields.StaffVoice = StaffVoiceOf(voice);
  if (staff_->VoiceCount() > 1) rest->Fields.OffsetY = voice != 0 ? 96 : -96;
  InsertInTimeOrder(m, std::move(owned));
  if (V_ <= 639) return;
  const int dots = s_.ReadU16();
  for (int i = 0; i < dots; ++i) {
    const uint8_t code = ReadByteBlock().U8(0);
    if (code == kDot || code == kDoubleDot) Attach<TQSMark>(rest, kind::Dot)->Fields.Value = code == kDoubleDot;
  }
}

// ---------------------------------------------------------------- further records

void TLegacyReader::ReadFurther(TQSMeasure* m, const TOldBlock& b) {
  switch (b.U8(0)) {
    case kChordRecord: ReadChord(m, b); break;
    case kLyricRecord: ReadLyric(m, b); break;
    case kTupletRecord: ReadTuplet(m, b); break;
    case kBendRecord: ReadBend(m, b); break;
    case kDroppedMark: break;
    case kTextRecord: {
      const int count = s_.ReadU16();
      for (int i = 0; i < count; ++i) {
        if (ReadByteBlock().U8(0) != kTextLines) continue;
        ReadStreamString(s_);
        ReadStreamStringLines(s_);
      }
      break;
    }
    default: ReadCodedMark(m, b); break;
  }
}

void TLegacyReader::ReadChord(TQSMeasure* m, const TOldBlock& b) {
  const bool newer = V_ >= 880;
  auto owned = NewMeasureItem<TQSChord>(m, kind::Chord);
  TQSChord* chord = owned.get();
  chord->Fields.Time = static_cast<uint16_t>(Ticks(newer ? b.I16(5) : b.I16(6)));
  chord->Fields.OffsetY =
      static_cast<int16_t>(SignedOffset127(newer ? b.U8(7) : b.U8(8)) + Pixels(8 * lineSpace_) * 8);
  chord->Fields.OffsetX = static_cast<int16_t>(SignedOffset127(newer ? b.U8(12) : b.U8(15)));
  chord->Fields.Color = b.U32(newer ? 8 : 9);
  chord->Fields.StaffVoice = StaffVoiceOf(0);
  InsertInTimeOrder(m, std::move(owned));
  if (newer) {
    const int count = s_.ReadU16();
    for (int i = 0; i < count; ++i) {
      // A stored attribute block longer than a fragment's is cut to it.
      const TOldBlock attributes = ReadByteBlock();
      TQSChordFragment fragment;
      fragment.Fields.Size = attributes.U8(0);
      fragment.Fields.Style = attributes.U8(1);
      fragment.Fields.Anchor = attributes.U8(2);
      fragment.Fields.Level = attributes.I16(3);
      fragment.Text = ReadStreamString(s_);
      chord->Patterns.push_back(std::move(fragment));
    }
    chord->Definition = s_.ReadBytes(s_.ReadU8());
  } else {
    TQSChordFragment fragment;
    fragment.Fields.Size = b.U8(13);
    fragment.Fields.Style = b.U8(14);
    fragment.Text = ReadStreamString(s_);
    chord->Patterns.push_back(std::move(fragment));
    chord->Definition = {0, 0, 0};
  }
  if (V_ > 815) chord->FontName = ReadStreamString(s_);
}

void TLegacyReader::ReadLyric(TQSMeasure* m, const TOldBlock& b) {
  const bool newer = V_ > 851;
  auto owned = NewMeasureItem<TQSLyric>(m, kind::Lyric);
  TQSLyric* lyric = owned.get();
  TQSLyric::TFields& f = lyric->Fields;
  f.StaffVoice = StaffVoiceOf(0);
  if (newer) {
    f.Time = static_cast<uint16_t>(Ticks(b.I16(1)));
    f.FontSize = b.U8(3);
    f.FontStyle = b.U8(4);
    f.OffsetY = static_cast<int16_t>(StepY(46 - b.U8(6) * 7 - b.U8(5), staffBase_));
    f.OffsetX = static_cast<int16_t>(SignedOffset127(b.U8(14)));
    f.Flags = b.U8(7);
  } else {
    f.Time = static_cast<uint16_t>(Ticks(b.U8(1)));
    f.FontSize = b.U8(2);
    f.FontStyle = b.U8(3);
    f.OffsetY = static_cast<int16_t>(StepY(46 - b.U8(5) * 7 - b.U8(4), staffBase_));
    f.Flags = b.U8(6);
  }
  f.Color = b.U32(8);
  f.Angle = b.U16(12);
  InsertInTimeOrder(m, std::move(owned));
  lyric->FontName = ReadStreamString(s_);
  lyric->Lines = ReadStreamStringLines(s_);
}

void TLegacyReader::ReadTuplet(TQSMeasure* m, const TOldBlock& b) {
  const bool newer = V_ > 851;
  const size_t p = newer ? 5 : 3;
  auto owned = NewMeasureItem<TQSMark>(m, kind::Tuplet);
  TQSMark* tuplet = owned.get();
  TQSMark::TFields& f = tuplet->Fields;
  f.Time = static_cast<uint16_t>(Ticks(newer ? b.I16(1) : b.U8(1)));
  f.Kind = b.U8(p);
  const int voice = b.U8(p + 1) & 0x0F;
  f.StaffVoice = StaffVoiceOf(voice);
  f.Value = static_cast<uint16_t>(Ticks(b.U8(p + 2)));
  f.OffsetY = b.U8(p + 3);
  // The stored slot lengths are recomputed, one slot per note of the type.
  s_.Skip(s_.ReadU16());
  const int type = f.Kind;
  const int total = TupletLength(f.Kind, f.Value);
  int sum = 0;
  for (int i = 0; i + 1 < type; ++i) {
    const int slot = Round(static_cast<double>(i + 1) * total / type) / (i + 1);
    tuplet->TupletLengths.push_back(static_cast<int16_t>(slot));
    sum += slot;
  }
  if (type > 0) tuplet->TupletLengths.push_back(static_cast<int16_t>(total - sum));
  const int voices = StaffVoiceCount(staff_->Index);
  if (voices > 1 && voice != 0) f.Style |= TQSMark::kStyleAttached;
  InsertInTimeOrder(m, std::move(owned));

  // The notes and rests of the tuplet take the places and lengths of its
  // slots.
  const int start = f.Time;
  const int end = start + total;
  for (TQSItem* item : m->Items) {
    if ((item->ItemType != kind::Note && item->ItemType != kind::Pause) || item->StaffVoice() != f.StaffVoice)
      continue;
    uint16_t& time = item->ItemType == kind::Note ? static_cast<TQSNote*>(item)->Fields.Time
                                                  : static_cast<TQSPause*>(item)->Fields.Time;
    uint16_t& real = item->ItemType == kind::Note ? static_cast<TQSNote*>(item)->Fields.RealLength
                                                  : static_cast<TQSPause*>(item)->Fields.RealLength;
    if (time < start || time + real > end) continue;
    int slotStart = start;
    for (int16_t slot : tuplet->TupletLengths) {
      if (slotStart >= time && slotStart < time + real) {
        time = static_cast<uint16_t>(slotStart);
        real = static_cast<uint16_t>(slot);
        break;
      }
      slotStart += slot;
    }
  }
  // Its beam ends with the note of the last slot.
  const int last = tuplet->TupletLengths.empty() ? 0 : tuplet->TupletLengths.back();
  const int lastStart = end - last;
  bool sideTaken = false;
  for (TQSItem* item : m->Items) {
    auto* note = item->ItemType == kind::Note ? static_cast<TQSNote*>(item) : nullptr;
    if (!note || note->Fields.StaffVoice != f.StaffVoice || note->Fields.Time < start || note->Fields.Time > lastStart)
      continue;
    if (note->Fields.Time == lastStart) note->Fields.FlagsB &= static_cast<uint8_t>(~0x07);
    if (voices == 1 && !sideTaken && note->IsStemDown()) {
      f.Style |= TQSMark::kStyleAttached;
      sideTaken = true;
    }
  }
}

void TLegacyReader::ReadBend(TQSMeasure* m, const TOldBlock& b) {
  const bool newer = V_ > 851;
  auto bend = NewMeasureItem<TQSBend>(m, kind::Bend);
  TQSBend::TFields& f = bend->Fields;
  const size_t at = newer ? 6 : 5;
  const int w = b.I16(at), h = b.I16(at + 2), x = b.I16(at + 4), z = b.I16(at + 8);
  f.Time = static_cast<uint16_t>((newer ? b.I16(1) : b.U8(1)) * 4);
  const int d = newer ? 46 - b.U8(5) * 7 - b.U8(4) : 46 - b.U8(4) * 7 - b.U8(3);
  f.Height = static_cast<uint16_t>(w * 8 - 8000);
  f.RiseWidth = static_cast<uint16_t>(8000 - h * 8);
  f.SecondWidth = static_cast<uint16_t>(w < x ? (x - w) * 8 : 0);
  f.ReleaseWidth = static_cast<uint16_t>(x < z ? (z - x) * 8 : 0);
  f.OffsetY = static_cast<int16_t>(StepY(d, staffBase_));
  InsertInTimeOrder(m, std::move(bend));
}

void TLegacyReader::ReadCodedMark(TQSMeasure* m, const TOldBlock& b) {
  const bool newer = V_ > 851;
  const TMarkCode code = MarkOfCode(b.U8(0));
  auto mark = NewMeasureItem<TQSMark>(m, code.Kind);
  TQSMark::TFields& f = mark->Fields;
  f.Kind = code.Variant;
  f.Time = static_cast<uint16_t>(Ticks(newer ? b.I16(1) : b.U8(1)));
  if (code.Kind == kind::Clef) {
    f.Kind = newer ? b.U8(3) : b.U8(2);
    f.StaffVoice = StaffVoiceOf(0);
  } else {
    int value = newer ? b.I16(3) : b.I16(2);
    if (code.Kind != kind::Arpeggio) value *= 4;
    if (V_ < 848) value *= 2;
    f.Value = static_cast<uint16_t>(value);
    f.OffsetY = static_cast<int16_t>(newer ? StepY(46 - b.U8(6) * 7 - b.U8(5), staffBase_)
                                           : StepY(46 - b.U8(5) * 7 - b.U8(4), staffBase_));
  }
  InsertInTimeOrder(m, std::move(mark));
}

// ---------------------------------------------------------------- completion

void TLegacyReader::CompleteMeasure(TQSMeasure* m) {
  m->FillRests(true, L_, true, staff_->Index);
  m->UpdateBeams(0, false);
  // Chords share their first note's stem; in a staff of several voices the
  // upper voice's stems point up and the others' down.
  auto voiceDirection = [this](const TQSNote* note, bool& down) {
    if (StaffVoiceCount(StaffOf(note->Fields.StaffVoice)) <= 1) return false;
    down = VoiceOf(note->Fields.StaffVoice) != 0;
    return true;
  };
  for (int i = 0; i < m->ItemCount(); ++i) {
    auto* chord = dynamic_cast<TQSNote*>(m->GetItem(i));
    if (!chord || !chord->IsChordMember()) continue;
    bool down = chord->IsStemDown();
    const bool byVoice = voiceDirection(chord, down);
    for (int k = byVoice ? 0 : i + 1; k < m->ItemCount(); ++k) {
      auto* other = dynamic_cast<TQSNote*>(m->GetItem(k));
      if (other && other->Fields.StaffVoice == chord->Fields.StaffVoice && other->Fields.Time == chord->Fields.Time)
        other->SetStemDown(down);
    }
  }
  for (size_t g = 1; g < m->BeamGroups.size(); ++g) {
    const TQSBeamGroup& group = m->BeamGroups[g];
    const int count = static_cast<int>(m->BeamNotes.size());
    if (group.First < 0 || group.First >= count) continue;
    const TQSNote* first = m->BeamNotes[static_cast<size_t>(group.First)];
    for (int k = group.First; k <= std::min<int>(group.Last, count - 1); ++k) {
      TQSNote* note = m->BeamNotes[static_cast<size_t>(k)];
      bool down = first->IsStemDown();
      voiceDirection(note, down);
      note->SetStemDown(down);
    }
  }
  m->UpdateBeams(0, true);
}

}  // namespace qs
