#include "score/notes.h"

#include "score/marks.h"

namespace qs {

TQSItemHolder::~TQSItemHolder() { ClearItems(); }

void TQSItemHolder::AddItem(TQSItem* item) {
  if (!RegistrationSuspended) Items.Add(item);
}

void TQSItemHolder::RemoveItem(TQSItem* item) { Items.Remove(item); }

void TQSNote::TFields::Visit(TBlockIO& b) {
  b.U8(Pitch); b.U8(Further1); b.U16(Time); b.U16(Length); b.U16(RealLength); b.I16(PlayOffset);
  b.U16(PlayLength); b.U8(Velocity); b.U8(StaffVoice); b.U8(HeadStyle); b.U8(StemLength);
  b.U8(FlagsA); b.U8(FlagsB); b.Bytes(Further18); b.U32(Color); b.U8(TabString); b.U8(TabFret);
}

TQSNote::TQSNote(TQSItemOwner* owner) : TQSItemHolder(owner) { ItemType = kind::Note; }
TQSNote::~TQSNote() {
  ClearItems();
  if (Owner()) Owner()->ForgetNote(this);
}
TQSVorschlag* TQSNote::GraceGroup() const { return dynamic_cast<TQSVorschlag*>(Owner()); }
void TQSNote::SetMidiKey(uint8_t) {}
void TQSNote::Assign(const TQSItem& source) { TQSItem::Assign(source); }
void TQSNote::LoadFromStream(TStream&) {}
void TQSNote::SaveToStream(TStream&) const {}
uint8_t AccidentalKindFor(int) { return 4; }

void TQSPause::TFields::Visit(TBlockIO& b) {
  b.U16(Time); b.U16(Length); b.U16(RealLength); b.U8(StaffVoice); b.U8(Further7); b.I16(OffsetY);
  b.U8(Flags); b.U8(Further11); b.U32(Color);
}
TQSPause::TQSPause(TQSItemOwner* owner) : TQSItemHolder(owner) { ItemType = kind::Pause; }
void TQSPause::Assign(const TQSItem& source) { TQSItem::Assign(source); }
void TQSPause::LoadFromStream(TStream&) {}
void TQSPause::SaveToStream(TStream&) const {}

void TQSVorschlag::TFields::Visit(TBlockIO& b) {
  b.U16(Time); b.U8(StaffVoice); b.U8(Flags); b.U16(Duration); b.U8(Further6); b.U8(Spacing);
}
TQSVorschlag::TQSVorschlag(TQSItemOwner* owner) : TQSItemHolder(owner) { ItemType = kind::Vorschlag; }
TQSVorschlag::~TQSVorschlag() { ClearItems(); }
void TQSVorschlag::ForgetNote(TQSItem* note) {
  if (Owner()) Owner()->ForgetNote(note);
}
void TQSVorschlag::Assign(const TQSItem& source) { TQSItem::Assign(source); }
void TQSVorschlag::LoadFromStream(TStream&) {}
void TQSVorschlag::SaveToStream(TStream&) const {}

void TQSEffect::TFields::Visit(TBlockIO& b) {
  b.U8(Pitch); b.U8(Further1); b.U16(Time); b.U16(Length); b.U8(Velocity); b.U8(Accidental);
}
TQSEffect::TQSEffect(TQSItemOwner* owner) : TQSItem(owner) { ItemType = kind::Effect; }
void TQSEffect::Assign(const TQSItem& source) { TQSItem::Assign(source); }
void TQSEffect::LoadFromStream(TStream&) {}
void TQSEffect::SaveToStream(TStream&) const {}

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
