#include "layout/context.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/exceptions.h"
#include "base/mathutil.h"
#include "base/text.h"
#include "platform/fonts.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"

namespace qs {

// ---------------------------------------------------------------- fonts

void TLayoutFonts::Init(int pixelsPerInch, std::string musicFont, std::string textFont) {
  music_ = std::move(musicFont);
  text_ = textFont.empty() ? std::string("Arial") : std::move(textFont);
  font_ = TFont{};
  font_.PixelsPerInch = pixelsPerInch;
  font_.Style = 0;
  SetFont(music_, 128);
}

void TLayoutFonts::SetFont(const std::string& name, int size) {
  font_.Name = name;
  font_.SetSize(size);
  size_ = size;
  musicFace_ = IsMusicFont(name);
}

int TLayoutFonts::TextWidth(std::string_view utf8) const {
  return LimitedTextWidth(qs::TextWidth(font_, Utf8ToUtf16(utf8)));
}

int TLayoutFonts::GlyphWidth(uint8_t code) const {
  if (musicFace_) return CharWidth(font_, MusicGlyphChar(code));
  return qs::TextWidth(font_, FontGlyphText(font_.Name, code));
}

int TLayoutFonts::TextHeight() const { return GetTextMetrics(font_).Height; }

// -------------------------------------------------------------- context

TLayoutContext::TLayoutContext(TQSScore& score) : Score(score) {}

TQSCalcItem* TLayoutContext::NewElement(TQSItem* item, bool content, bool setFlag) {
  TQSCalcMeasure* slot = Slot;
  if (slot->ItemCount == std::numeric_limits<uint16_t>::max())
    throw EListError("Too many layout elements in a measure");
  TQSCalcItem* e = slot->Items.Need(slot->ItemCount);
  ++slot->ItemCount;
  // Everything of the record's earlier use goes, its lists included.
  e->Owner = slot;
  e->OwnerPage = nullptr;
  e->Item = item;
  e->Staff = nullptr;
  e->Next = nullptr;
  e->Row = Row;
  e->ElementType = element::Item;
  e->Links.clear();
  e->Text.clear();
  e->State = 0;
  e->SizePercent = 100;
  e->Param = 0;
  e->Param2 = 0;
  e->Flags = 0;
  e->Box = TRect{};
  e->Box2 = TRect{};
  if (item) item->LayoutLink = nullptr;
  if (setFlag) ContentFlag = content;
  return e;
}

TQSCalcItem* TLayoutContext::NewChainedElement(TQSItem* item, bool content, bool setFlag) {
  TQSCalcItem* old = item ? item->LayoutLink : nullptr;
  TQSCalcItem* e = NewElement(item, content, setFlag);
  e->Next = old;
  if (item) item->LayoutLink = e;
  return e;
}

int TLayoutContext::StaffSizeOf(const TQSStaff* staff) const {
  // A size of 0 would collapse every box and divide by zero.
  return staff && staff->Fields.Scale > 0 ? staff->Fields.Scale : 100;
}

int TLayoutContext::StaffSize() const { return StaffSizeOf(Staff); }

int TLayoutContext::ScaledBy(int v, int size) const {
  if (Scale == 100 && size == 100) return v;
  return static_cast<int>(int64_t(v) * Scale * size / 10000);
}

int TLayoutContext::ScoreScaled(int v) const {
  if (Scale == 100) return v;
  return static_cast<int>(int64_t(v) * Scale / 100);
}

TRect TLayoutContext::StaffBox(int x, int top, int width, int bottom) const {
  return {Scaled(x), Scaled(top), Scaled(width), Scaled(bottom)};
}

TRect TLayoutContext::ScoreBox(int x, int top, int width, int bottom) const {
  return {ScoreScaled(x), ScoreScaled(top), ScoreScaled(width), ScoreScaled(bottom)};
}

int TLayoutContext::StaffSpaceAt(int size) const {
  return Round(static_cast<double>(Ppi * LineSpaceT * Scale / 25400.0L * size / 100.0L)) * 8;
}

int TLayoutContext::TabDistanceAt(int size) const {
  return Round(static_cast<double>(LineSpaceT * 13 * Ppi * Scale / 254000.0L * size / 100.0L)) * 8;
}

void TLayoutContext::SetStaff(TQSStaff* staff) {
  Staff = staff;
  const int size = StaffSize();
  StaffSpace = StaffSpaceAt(size);
  TabLineDistance = TabDistanceAt(size);
}

int TLayoutContext::Units(long double tenths) const {
  const long double v = tenths * 8 * Ppi / 254;
  if (!std::isfinite(v)) return 0;
  constexpr long double kLimit = 1e9L;
  return static_cast<int>(Round64(std::clamp(v, -kLimit, kLimit)));
}

const TQSSpacingTables* TLayoutContext::Tables() const {
  if (PartView) {
    TQSPart* part = Piece ? Piece->GetPart(ViewPart) : nullptr;
    return part ? &part->Spacing : nullptr;
  }
  return Piece ? &Piece->Spacing : nullptr;
}

int TLayoutContext::TableValue(const std::vector<int16_t>& table, int index) {
  return index >= 0 && index < static_cast<int>(table.size()) ? table[static_cast<size_t>(index)] : 0;
}

TQSCalcStaff* TLayoutContext::PageRow(int index) const {
  return Page && index >= 0 && index < PageRows ? Page->StaffRows.At(index) : nullptr;
}

TQSCalcStaff* TLayoutContext::PartRow(int staff) const {
  return SystemPart ? PageRow(SystemPart->FirstRow + staff) : nullptr;
}

TQSColumn* TLayoutContext::Column() const { return Piece ? Piece->GetColumn(MeasureIndex) : nullptr; }

std::vector<int> TLayoutContext::LaidOutParts() const {
  std::vector<int> parts;
  if (!Piece) return parts;
  if (PartView) {
    if (ViewPart >= 0 && ViewPart < Piece->PartCount()) parts.push_back(ViewPart);
  } else {
    for (int p = 0; p < Piece->PartCount(); ++p) parts.push_back(p);
  }
  return parts;
}

TQSCalcSystemPart* TLayoutContext::SystemPartOf(int p) const {
  TQSCalcSystemPart* sp = System ? System->Parts.At(p) : nullptr;
  return sp && sp->System == System && Piece && sp->Part == Piece->GetPart(p) ? sp : nullptr;
}

int TLayoutContext::AnchorTick(const TQSItem* item) {
  if (!item) return 0;
  if (item->ItemType == kind::Note)
    if (const TQSVorschlag* group = static_cast<const TQSNote*>(item)->GraceGroup()) return group->TimePosition();
  return item->TimePosition();
}

namespace {

uint16_t* Entry(TQSCalcMeasure* slot, int tick) {
  if (!slot || tick < 0 || tick >= slot->Length || tick >= static_cast<int>(slot->Positions.size())) return nullptr;
  return &slot->Positions[static_cast<size_t>(tick)];
}

}  // namespace

void TLayoutContext::RaiseLeftRoom(int tick, int room) {
  if (uint16_t* e = Entry(Slot, tick)) {
    room = std::clamp(room, 0, 255);
    if (room > LeftRoom(*e)) *e = static_cast<uint16_t>((room << 8) | RightRoom(*e));
  }
}

void TLayoutContext::RaiseRightRoom(int tick, int room) {
  if (uint16_t* e = Entry(Slot, tick)) {
    room = std::clamp(room, 0, 255);
    if (room > RightRoom(*e)) *e = static_cast<uint16_t>((*e & 0xFF00) | room);
  }
}

void TLayoutContext::PlaceTimedRooms(int tick, int length, int left, int right) {
  if (FixedMeasureCount()) return;
  if (AlignMode >= 50) {
    // Proportional spacing: longer values need more room after them,
    // spread as single pixels over the ticks they sound.
    const int minimum = length <= 16 ? 4 : length <= 32 ? 6 : length <= 64 ? 8 : length <= 128 ? 10 : length <= 256 ? 12 : 14;
    right = std::max(right, minimum);
    const int last = std::min(tick + length, static_cast<int>(Slot->Length) - 1);
    for (int t = tick + 1; t <= last && right > 4; ++t) {
      uint16_t* e = Entry(Slot, t);
      if (e && RightRoom(*e) == 0) {
        *e = static_cast<uint16_t>(*e | 1);
        --right;
      }
    }
  }
  RaiseLeftRoom(tick, left);
  RaiseRightRoom(tick, right);
}

}  // namespace qs
