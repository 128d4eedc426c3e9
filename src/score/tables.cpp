// The score's tables: drum instruments (note-head styles of percussion
// notes), the drum map with its lookups, and the user symbols.
#include <algorithm>

#include "base/strings.h"
#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/pageobjects.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/units.h"

namespace qs {

void TQSDrumInstrument::Visit(TBlockIO& b) {
  b.U16(Word1);
  b.U16(Word2);
  b.U8(GlyphByte);
  b.U8(Byte5);
  b.U16(Word3);
  b.U8(Size);
  b.U8(Style);
  b.U8(Byte10);
  b.U8(Byte11);
}

void TQSDrumMapEntry::Visit(TBlockIO& b) {
  b.U8(Key);
  b.U8(Head);
  b.U8(Position);
  b.U8(Spare);
  b.U8(Use);
}

const TQSDrumInstrument* TQSScore::GetDrumInstrument(int index) const {
  return index >= 0 && index < DrumInstrumentCount() ? &DrumInstruments[static_cast<size_t>(index)] : nullptr;
}

TQSUserSymbol* TQSScore::GetUserSymbol(int index) const {
  return index >= 0 && index < UserSymbolCount() ? UserSymbols[static_cast<size_t>(index)].Symbol.get() : nullptr;
}

int TQSScore::IndexOfUserSymbol(const std::string& name) const {
  for (size_t i = 0; i < UserSymbols.size(); ++i)
    if (SameText(UserSymbols[i].Name, name)) return static_cast<int>(i);
  return -1;
}

TQSUserSymbol* TQSScore::AddUserSymbol(const std::string& name) {
  UserSymbols.push_back({name, std::make_unique<TQSUserSymbol>()});
  return UserSymbols.back().Symbol.get();
}

void TQSScore::ClearUserSymbols() {
  while (!UserSymbols.empty()) UserSymbols.pop_back();
}

int TQSScore::AddDrumInstrument(const std::string& name, uint16_t word1, uint16_t word2, uint8_t byte4,
                                uint16_t word3, const std::string& fontName, uint8_t size, uint8_t styleByte) {
  for (size_t i = 0; i < DrumInstruments.size(); ++i)
    if (SameText(DrumInstruments[i].Name, name)) return static_cast<int>(i);
  TQSDrumInstrument entry;
  entry.Name = name;
  entry.Word1 = word1;
  entry.Word2 = word2;
  entry.GlyphByte = byte4;
  entry.Word3 = word3;
  entry.FontName = fontName;
  entry.Size = size;
  entry.Style = styleByte;
  DrumInstruments.push_back(entry);
  return DrumInstrumentCount() - 1;
}

void TQSScore::SetDrumInstruments(const std::vector<TQSDrumInstrument>& list) {
  if (&list == &DrumInstruments) return;
  DrumInstruments = list;
}

void TQSScore::SetDrumMapEntry(uint8_t key, const std::string& name, uint8_t head, uint8_t position, uint8_t use) {
  auto it = std::find_if(DrumMap.begin(), DrumMap.end(), [key](const TQSDrumMapEntry& e) { return e.Key == key; });
  if (it == DrumMap.end()) {
    DrumMap.push_back({});
    it = DrumMap.end() - 1;
    it->Key = key;
  }
  it->Name = name;
  it->Head = head;
  it->Position = position;
  it->Use = use;
  RebuildDrumMap();
}

namespace {
// The MIDI key of a diatonic position (23 = C of octave 0), within 0..127.
// Positions below 23 count down into lower octaves rather than indexing
// before the scale.
int DiatonicKey(int position) {
  static constexpr int kScale[7] = {0, 2, 4, 5, 7, 9, 11};
  const int d = position - 23;
  const int octave = d >= 0 ? d / 7 : -((-d + 6) / 7);
  const int step = d - octave * 7;
  return std::clamp(octave * 12 + kScale[step], 0, 127);
}
}  // namespace

void TQSScore::RebuildDrumMap() {
  if (DrumMapRebuildSuppressed) return;
  for (auto& slot : drumByPitch_) slot.clear();
  drumByKey_.fill(-1);
  for (size_t i = 0; i < DrumMap.size(); ++i) {
    const TQSDrumMapEntry& e = DrumMap[i];
    if (!e.Use) continue;
    const int key = DiatonicKey(e.Position);
    const size_t head = std::min<size_t>(e.Head, DrumInstruments.size());
    auto& slot = drumByPitch_[static_cast<size_t>(key)];
    if (slot.size() <= head) slot.resize(head + 1, -1);
    slot[head] = static_cast<int>(i);
    if (e.Key < 128) drumByKey_[e.Key] = static_cast<int>(i);
  }
}

const TQSDrumMapEntry* TQSScore::DrumEntryByPitch(int pitch, int head) const {
  if (pitch < 0 || pitch > 127) return nullptr;
  const size_t h = head == 255 ? DrumInstruments.size() : static_cast<size_t>(std::max(head, 0));
  const auto& slot = drumByPitch_[static_cast<size_t>(pitch)];
  if (h >= slot.size() || slot[h] < 0 || static_cast<size_t>(slot[h]) >= DrumMap.size()) return nullptr;
  return &DrumMap[static_cast<size_t>(slot[h])];
}

const TQSDrumMapEntry* TQSScore::DrumEntryByKey(int key) const {
  if (key < 0 || key > 127) return nullptr;
  const int i = drumByKey_[static_cast<size_t>(key)];
  return i >= 0 && static_cast<size_t>(i) < DrumMap.size() ? &DrumMap[static_cast<size_t>(i)] : nullptr;
}

void TQSScore::MapDrumNote(int head, int& channel, int& pitch) {
  TQSWindowLink* view = ActiveWindow();
  TQSPiece* piece = CurrentPiece();
  if (!view || !piece) return;
  const TQSCursorPosition& cursor = view->CursorPosition;
  if (cursor.Measure < 0 || cursor.Measure > piece->LastLaidOutMeasure ||
      cursor.Measure >= static_cast<int>(piece->Slots.size()))
    return;
  const auto* slot = dynamic_cast<const TQSCalcMeasure*>(piece->Slots[static_cast<size_t>(cursor.Measure)]);
  if (!slot) return;
  // The clef in force at the cursor: the last one placed in the measure on
  // the cursor's staff of the cursor's part up to the tick, else the one in
  // force on the staff's row at the measure's start.
  TQSPart* part = CurrentPart();
  const TQSItem* clef = nullptr;
  for (auto it = slot->Clefs.rbegin(); it != slot->Clefs.rend() && !clef; ++it) {
    const TQSItem* c = *it;
    if (!c || c->StaffVoice() < 0 || StaffOf(uint8_t(c->StaffVoice())) != cursor.Staff) continue;
    if (c->TimePosition() > cursor.Tick) continue;
    const TQSMeasure* m = c->GetMeasure();
    if (part && m && m->Part() != part) continue;
    clef = c;
  }
  if (!clef) {
    TQSStaff* staff = CurrentStaff();
    if (staff && staff->SystemRow >= 0 && static_cast<size_t>(staff->SystemRow) < slot->ClefByRow.size() &&
        static_cast<uint32_t>(staff->SystemRow) < slot->RowCount)
      clef = slot->ClefByRow[static_cast<size_t>(staff->SystemRow)];
  }
  const auto* mark = dynamic_cast<const TQSMark*>(clef);
  const int clefType = mark ? mark->Fields.Kind : 0;
  if (clefType != 14 && clefType != 15) return;
  channel = 9;
  if (const TQSDrumMapEntry* e = DrumEntryByPitch(pitch, head)) pitch = e->Key;
}

// ---------------------------------------------------------------- file encoding

namespace {
// An entry block: a u8 size, then that many bytes, of which the class takes
// its own and skips the rest.
template <class T>
void ReadEntryBlock(TStream& s, T& entry) {
  const uint8_t size = s.ReadU8();
  const std::vector<uint8_t> bytes = s.ReadBytes(size);
  TBlockIO b = TBlockIO::Reader(bytes.data(), bytes.size());
  entry.Visit(b);
}

template <class T>
void WriteEntryBlock(TStream& s, const T& entry) {
  T copy = entry;
  TBlockIO b = TBlockIO::Writer();
  copy.Visit(b);
  s.WriteU8(static_cast<uint8_t>(b.Written().size()));
  s.WriteBuffer(b.Written().data(), b.Written().size());
}

// A table: a u16 count, then per entry its block followed by its strings,
// which `names` reads or writes.
template <class T, class Names>
void ReadEntries(TStream& s, std::vector<T>& list, Names names) {
  const uint16_t count = s.ReadU16();
  for (int i = 0; i < count; ++i) {
    T entry;
    ReadEntryBlock(s, entry);
    names(entry);
    list.push_back(std::move(entry));
  }
}

template <class T, class Names>
void WriteEntries(TStream& s, const std::vector<T>& list, const char* what, Names names) {
  WriteCount16(s, list.size(), what);
  for (const T& entry : list) {
    WriteEntryBlock(s, entry);
    names(entry);
  }
}
}  // namespace

void TQSScore::ReadDrumInstruments(TStream& s) {
  ReadEntries(s, DrumInstruments, [&s](TQSDrumInstrument& e) {
    e.Name = ReadStreamString(s);
    e.FontName = ReadStreamString(s);
  });
}

void TQSScore::WriteDrumInstruments(TStream& s) const {
  WriteEntries(s, DrumInstruments, "drum instruments", [&s](const TQSDrumInstrument& e) {
    WriteStreamString(s, e.Name);
    WriteStreamString(s, e.FontName);
  });
}

void TQSScore::ReadDrumMap(TStream& s) {
  ReadEntries(s, DrumMap, [&s](TQSDrumMapEntry& e) { e.Name = ReadStreamString(s); });
}

void TQSScore::WriteDrumMap(TStream& s) const {
  WriteEntries(s, DrumMap, "drum map", [&s](const TQSDrumMapEntry& e) { WriteStreamString(s, e.Name); });
}

void TQSScore::ReadUserSymbols(TStream& s) {
  const uint16_t count = s.ReadU16();
  for (int i = 0; i < count; ++i) {
    std::string name = ReadStreamString(s);
    AddUserSymbol(name)->LoadFromStream(s);
  }
}

void TQSScore::WriteUserSymbols(TStream& s) const {
  WriteCount16(s, UserSymbols.size(), "user symbols");
  for (const TQSNamedUserSymbol& e : UserSymbols) {
    WriteStreamString(s, e.Name);
    e.Symbol->SaveToStream(s);
  }
}

}  // namespace qs
