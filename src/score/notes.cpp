#include "score/accidentals.h"
#include "score/notes.h"

#include <algorithm>

#include "score/marks.h"

namespace qs {

// ---------------------------------------------------------------- holder

TQSItemHolder::~TQSItemHolder() { ClearItems(); }

void TQSItemHolder::AddItem(TQSItem* item) {
  if (!RegistrationSuspended) Items.Add(item);
}

void TQSItemHolder::RemoveItem(TQSItem* item) { Items.Remove(item); }

template <class T>
void TQSItemHolder::SaveRecord(TStream& s, const T& fields) const {
  TRecordWriter w(s, 2);
  WriteFields(s, fields, BlockSurplus);
  WriteItemList(s, Items);
  w.Finish();
}

template <class T, class AfterBlock>
void TQSItemHolder::LoadRecord(TStream& s, T& fields, AfterBlock afterBlock) {
  ReadRecord(s, [&](TRecordReader& r) {
    if (r.Has(1)) {
      ReadFields(r, fields, BlockSurplus);
      afterBlock();
    }
    if (r.Has(2)) ReadItemList(s, this);
  });
}

// ---------------------------------------------------------------- note

void TQSNote::TFields::Visit(TBlockIO& b) {
  b.U8(Pitch);
  b.U8(Further1);
  b.U16(Time);
  b.U16(Length);
  b.U16(RealLength);
  b.I16(PlayOffset);
  b.U16(PlayLength);
  b.U8(Velocity);
  b.U8(StaffVoice);
  b.U8(HeadStyle);
  b.U8(StemLength);
  b.U8(FlagsA);
  b.U8(FlagsB);
  b.Bytes(Further18);
  b.U32(Color);
  b.U8(TabString);
  b.U8(TabFret);
}

TQSNote::TQSNote(TQSItemOwner* owner) : TQSItemHolder(owner) { ItemType = kind::Note; }

TQSNote::~TQSNote() {
  ClearItems();
  // The measure drops the note from its beam groups.
  if (Owner()) Owner()->ForgetNote(this);
}

TQSVorschlag* TQSNote::GraceGroup() const { return Owner() ? Owner()->AsGraceGroup() : nullptr; }

bool NoteEntryStemDown(bool tablature, bool allVoices, bool severalVoices, uint8_t staffVoice, uint8_t pitch,
                       int clefShift) {
  if (tablature) return false;
  if (allVoices) return StaffOf(staffVoice) == 0;
  if (severalVoices) return VoiceOf(staffVoice) != 0;
  // Above line 40 lies the middle line and everything over it.
  return PitchLine(pitch) - clefShift > 40;
}

int DotCount(const TQSItemHolder& holder) {
  for (TQSItem* item : holder.Items)
    if (item->ItemType == kind::Dot) return static_cast<TQSMark*>(item)->Fields.Value + 1;
  return 0;
}

int ExtraBeamsFor(int written) {
  switch (written) {
    case 32: return 1;
    case 16: return 2;
    case 8: return 3;
    case 4: return 4;
    default: return 0;
  }
}

uint8_t AccidentalKindFor(int alteration) {
  switch (alteration) {
    case -2: return accidental::DoubleFlat;
    case -1: return accidental::Flat;
    case 0: return accidental::Natural;
    case 1: return accidental::Sharp;
    case 2: return accidental::DoubleSharp;
    default: return alteration < 0 ? accidental::NaturalFlat : accidental::NaturalSharp;
  }
}

TSpelledKey SpellMidiKey(int key) {
  // Keys above 191 would need an octave the pitch byte's four bits cannot hold.
  int k = std::clamp(key, 0, 191);
  int alteration = 0;
  switch (k % 12) {
    case 1:  // C sharp is written D flat
      k += 2;
      alteration = -1;
      break;
    case 3: case 6: case 8: case 10:
      alteration = 1;
      break;
    default:
      break;
  }
  static constexpr int kStep[12] = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};
  return {k / 12, kStep[k % 12], alteration};
}

void TQSNote::SetMidiKey(uint8_t key) {
  const TSpelledKey spelled = SpellMidiKey(key);
  const int alteration = spelled.Alteration;
  Fields.Pitch = MakePitch(spelled.Octave, spelled.Step);

  // The last accidental takes the new alteration; every other one goes.
  bool met = false;
  for (int i = ItemCount() - 1; i >= 0; --i) {
    TQSItem* item = GetItem(i);
    if (item->ItemType != kind::Accidental) continue;
    auto* mark = dynamic_cast<TQSMark*>(item);
    if (!met && alteration != 0 && mark)
      mark->Fields.Kind = AccidentalKindFor(alteration);
    else
      delete item;
    met = true;
  }
  if (!met && alteration != 0) {
    auto* mark = static_cast<TQSMark*>(CreateItemByKind(kind::Accidental, this));
    mark->Fields.Kind = AccidentalKindFor(alteration);
  }
}

void TQSNote::Assign(const TQSItem& source) { AssignHolder(*this, source); }

void TQSNote::LoadFromStream(TStream& s) {
  LoadRecord(s, Fields, [this] {
    // Head style 1 is the older way of asking for a small note.
    if (Fields.HeadStyle == headstyle::OldSmall) Fields.FlagsA |= kSmall;
  });
}

void TQSNote::SaveToStream(TStream& s) const { SaveRecord(s, Fields); }

// ---------------------------------------------------------------- rest

void TQSPause::TFields::Visit(TBlockIO& b) {
  b.U16(Time);
  b.U16(Length);
  b.U16(RealLength);
  b.U8(StaffVoice);
  b.U8(Further7);
  b.I16(OffsetY);
  b.U8(Flags);
  b.U8(Further11);
  b.U32(Color);
}

TQSPause::TQSPause(TQSItemOwner* owner) : TQSItemHolder(owner) { ItemType = kind::Pause; }

void TQSPause::Assign(const TQSItem& source) { AssignHolder(*this, source); }
void TQSPause::LoadFromStream(TStream& s) { LoadRecord(s, Fields, [] {}); }
void TQSPause::SaveToStream(TStream& s) const { SaveRecord(s, Fields); }

// ---------------------------------------------------------------- grace group

void TQSVorschlag::TFields::Visit(TBlockIO& b) {
  b.U16(Time);
  b.U8(StaffVoice);
  b.U8(Flags);
  b.U16(Duration);
  b.U8(Further6);
  b.U8(Spacing);
}

TQSVorschlag::TQSVorschlag(TQSItemOwner* owner) : TQSItemHolder(owner) { ItemType = kind::Vorschlag; }

// Free the grace notes while this is still a grace group, so that they reach
// the measure through ForgetNote.
TQSVorschlag::~TQSVorschlag() { ClearItems(); }

void TQSVorschlag::ForgetNote(TQSItem* note) {
  if (Owner()) Owner()->ForgetNote(note);
}

void TQSVorschlag::Assign(const TQSItem& source) { AssignHolder(*this, source); }
void TQSVorschlag::LoadFromStream(TStream& s) { LoadRecord(s, Fields, [] {}); }
void TQSVorschlag::SaveToStream(TStream& s) const { SaveRecord(s, Fields); }

// ---------------------------------------------------------------- effect

void TQSEffect::TFields::Visit(TBlockIO& b) {
  b.U8(Pitch);
  b.U8(Further1);
  b.U16(Time);
  b.U16(Length);
  b.U8(Velocity);
  b.U8(Accidental);
}

TQSEffect::TQSEffect(TQSItemOwner* owner) : TQSItem(owner) { ItemType = kind::Effect; }

void TQSEffect::Assign(const TQSItem& source) { AssignBlock(*this, source); }

void TQSEffect::LoadFromStream(TStream& s) { ReadBlockRecord(s, Fields, BlockSurplus); }

// The record has always declared two sections and held only the block.
void TQSEffect::SaveToStream(TStream& s) const { WriteBlockRecord(s, 2, Fields, BlockSurplus); }

// ---------------------------------------------------------------- factory

TQSItem* CreateSoundingItem(TQSItemType k, TQSItemOwner* owner) {
  switch (k) {
    case kind::Note: return new TQSNote(owner);
    case kind::Pause: return new TQSPause(owner);
    case kind::Effect: return new TQSEffect(owner);
    case kind::Vorschlag: return new TQSVorschlag(owner);
    default: return nullptr;
  }
}

}  // namespace qs
