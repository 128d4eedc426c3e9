#include "score/marks.h"

namespace qs {

bool IsMarkFontKind(TQSItemType) { return false; }
bool IsMarkLineKind(TQSItemType) { return false; }
std::vector<int16_t> TupletSlotLengths(uint8_t, uint16_t) { return {}; }

#define QS_STUB(T)                                           \
  void T::Assign(const TQSItem& source) { TQSItem::Assign(source); } \
  void T::LoadFromStream(TStream&) {}                        \
  void T::SaveToStream(TStream&) const {}

void TQSMark::TFields::Visit(TBlockIO& b) {
  b.U8(Kind); b.U8(Further1); b.U16(Time); b.U16(Value); b.U8(Style); b.U8(Further7);
  b.I16(OffsetX); b.I16(OffsetY); b.I16(Angle); b.U8(StaffVoice); b.U8(Further15); b.U32(Color);
}
TQSMark::TQSMark(TQSItemOwner* owner) : TQSItem(owner) {}
bool TQSMark::IsAttachedToNote() const { return false; }
int TQSMark::TimePosition() const { return Fields.Time; }
int TQSMark::StaffVoice() const { return Fields.StaffVoice; }
QS_STUB(TQSMark)

void TQSBend::TFields::Visit(TBlockIO& b) {
  b.U8(Kind); b.U8(Further1); b.U16(Time); b.U16(RiseWidth); b.U16(SecondWidth); b.U16(ReleaseWidth);
  b.U16(Height); b.I16(OffsetX); b.I16(OffsetY); b.Bytes(Further16); b.U8(StaffVoice); b.U8(Further19);
  b.U32(Color);
}
TQSBend::TQSBend(TQSItemOwner* owner) : TQSItem(owner) { ItemType = kind::Bend; }
void TQSBend::SetShape(uint8_t) {}
QS_STUB(TQSBend)

void TQSChordFragment::TFields::Visit(TBlockIO& b) { b.U8(Size); b.U8(Style); b.U8(Anchor); b.I16(Level); }

void TQSChord::TFields::Visit(TBlockIO& b) {
  b.U16(Time); b.Bytes(Further2); b.I16(OffsetX); b.I16(OffsetY); b.U8(StaffVoice); b.Bytes(Further9);
  b.U32(Color);
}
TQSChord::TQSChord(TQSItemOwner* owner) : TQSItem(owner) { ItemType = kind::Chord; }
QS_STUB(TQSChord)

void TQSFrame::TFields::Visit(TBlockIO& b) {
  b.U16(Time); b.I16(OffsetX); b.I16(OffsetY); b.U8(StaffVoice); b.U8(Further7); b.U8(StringCount);
  b.U8(FretCount); b.U8(UsedFretCount); b.U8(StartFret); b.U32(Color);
}
TQSFrame::TQSFrame(TQSItemOwner* owner) : TQSItem(owner) { ItemType = kind::Frame; Barre.resize(Fields.UsedFretCount); }
void TQSFrame::SetStringCount(uint8_t) {}
void TQSFrame::SetUsedFretCount(uint8_t) {}
QS_STUB(TQSFrame)

void TQSLiga::TFields::Visit(TBlockIO& b) {
  b.U16(Span); b.U8(EndStaffVoice); b.U8(Flags); b.I16(StartX); b.I16(StartY); b.I16(EndX); b.I16(EndY);
  b.I16(CurveStartDX); b.I16(CurveStartDY); b.I16(CurveEndDX); b.I16(CurveEndDY); b.U32(Color);
}
TQSLiga::TQSLiga(TQSItemOwner* owner) : TQSItem(owner) { ItemType = kind::Liga; }
QS_STUB(TQSLiga)

void TQSLyric::TFields::Visit(TBlockIO& b) {
  b.U16(Time); b.U8(StaffVoice); b.U8(Flags); b.I16(OffsetX); b.I16(OffsetY); b.U8(FontSize);
  b.U8(FontStyle); b.Bytes(Further10); b.U32(Color); b.U16(Angle); b.I16(Width); b.I16(Height);
  b.U8(Verse); b.U8(Further23);
}
TQSLyric::TQSLyric(TQSItemOwner* owner) : TQSItem(owner) { ItemType = kind::Lyric; }
QS_STUB(TQSLyric)

void TQSMIDIEvent::TFields::Visit(TBlockIO& b) { b.I16(Time); b.U16(DataLength); }
TQSMIDIEvent::TQSMIDIEvent(TQSItemOwner* owner) : TQSItem(owner) { ItemType = kind::MidiEvent; }
void TQSMIDIEvent::SetData(const uint8_t*, size_t) {}
QS_STUB(TQSMIDIEvent)

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
