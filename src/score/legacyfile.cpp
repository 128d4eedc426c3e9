// The older score files down to the staff record: signature and version,
// the piece header, the old drum head table, part and staff records with
// their staff grouping and row settings, column records and page objects.
// The measure records inside the staff records are in legacymeasure.cpp.
#include <algorithm>
#include <cmath>

#include "base/mathutil.h"
#include "platform/gui.h"
#include "score/legacy.h"
#include "score/legacyreader.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/pageobjects.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/record.h"
#include "score/score.h"
#include "score/timing.h"
#include "score/tree.h"

namespace qs {

namespace {

constexpr uint8_t kFormatVersion768 = 250;
constexpr uint8_t kPartMarker = 251;
constexpr uint8_t kStaffMarker = 252;
constexpr int kMinTempo = 10;
// The spacing tables are filed with 16-bit counts: entries beyond cannot
// be kept.
constexpr long long kMaxTableEntries = 65535;
// The most screen pixels a place in 16-bit layout units (eighths of a
// pixel) can hold.
constexpr long double kMaxPixels = 4095;

// The header's meter 1/1 and 1/2 of files written before the display
// style had a field of its own.
constexpr uint16_t kOldCommonTime = MakeMeter(1, 1);
constexpr uint16_t kOldCutTime = MakeMeter(1, 2);

int16_t Low16Units(int32_t v) { return static_cast<int16_t>((v & 0xFFFF) * 8); }
int16_t BiasedUnits(int16_t v) { return static_cast<int16_t>(v * 8 - 8000); }
int16_t Units(int16_t v) { return static_cast<int16_t>(v * 8); }

TQSMark* NewColumnMark(TQSColumn* column, TQSItemType kind) {
  return static_cast<TQSMark*>(CreateItemByKind(kind, column));
}

// The box of a picture, a shape or an arc: biased corner, width, height.
template <class F>
void ReadBox(F& f, const TOldBlock& b) {
  f.X = BiasedUnits(b.I16(2));
  f.Y = BiasedUnits(b.I16(4));
  f.Width = Units(b.I16(6));
  f.Height = Units(b.I16(8));
}

// Line width, line colour, pen, fill colour and fill style of a shape or an
// arc, from byte at on.
template <class F>
void ReadPaint(F& f, const TOldBlock& b, size_t at) {
  f.LineWidth = b.U8(at);
  f.LineColor = b.U32(at + 2);
  f.PenStyle = b.U8(at + 6);
  f.FillColor = b.U32(at + 10);
  f.FillStyle = b.U8(at + 14);
}

bool ColumnHasMark(const TQSColumn* column, TQSItemType kind, int position) {
  for (const TQSItem* item : column->Items)
    if (item->ItemType == kind && item->TimePosition() == position) return true;
  return false;
}

// Keeps a list of page objects sorted by page number: the new last item
// moves behind the last one of a page number not above its own.
void SortInByPage(TQSItemList& items) {
  if (items.Count() < 2) return;
  const int last = items.Count() - 1;
  const int page = items[last]->PageNumber();
  int at = last;
  while (at > 0 && items[at - 1]->PageNumber() > page) --at;
  items.Move(last, at);
}

}  // namespace

// ---------------------------------------------------------------- stream

size_t TLegacyStream::Read(void* buffer, size_t count) {
  const int64_t left = limit_ - base_.Position();
  if (left <= 0) return 0;
  return base_.Read(buffer, static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(count), left)));
}

size_t TLegacyStream::Write(const void*, size_t) { throw EWriteError(); }
void TLegacyStream::SetSize(int64_t) { throw EWriteError(); }

void TLegacyStream::Skip(int64_t count) {
  if (count < 0 || count > Remaining()) throw EReadError();
  Seek(count, SeekOrigin::Current);
}

// ---------------------------------------------------------------- reader

void ReadLegacyScore(TQSScore& score, TStream& stream, uint8_t formatByte) {
  TLegacyReader(score, stream, formatByte).Read();
}

TLegacyReader::TLegacyReader(TQSScore& score, TStream& stream, uint8_t formatByte)
    : score_(score), s_(stream), format_(formatByte) {}

TOldBlock TLegacyReader::ReadByteBlock() { return TOldBlock(s_.ReadBytes(s_.ReadU8())); }
TOldBlock TLegacyReader::ReadWordBlock() { return TOldBlock(s_.ReadBytes(s_.ReadU16())); }

int TLegacyReader::StepY(int d, long double base) const { return Pixels(d * lineSpace_ / 2 + base) * 8; }

int TLegacyReader::Pixels(long double tenths) const {
  // Page lengths from a damaged file may be anything; places are 16-bit
  // layout units, so nothing beyond them is worth keeping.
  return RoundPixels(tenths * ScreenPixelsPerInch() / 254.0L, kMaxPixels);
}

void TLegacyReader::Read() {
  // What is read goes into the lists, whoever had suspended registration.
  TRegistrationOpen open(score_.RegistrationSuspended);
  view_ = score_.ActiveWindow();
  if (format_ == kFormatVersion768) {
    V_ = 768;
  } else {
    ReadStreamString(s_);  // the signature, not checked
    V_ = s_.ReadU16();
  }
  score_.FileVersion = static_cast<uint16_t>(V_);
  score_.StemLength = 24;
  piece_ = score_.NewPiece();
  ReadHeader();
  // Lengths are limited as those of the current format are.
  score_.Page.LimitReadLengths();
  lineSpace_ = score_.Page.Fields.LineSpace.Value();
  interval_ = score_.Page.Fields.Interval.Value();
  MakeFirstColumn();

  const int parts = ReadChildCount(s_, "Error reading parts");
  onePart_ = parts == 1;
  for (int i = 0; i < parts; ++i) ReadPart(i);
  if (view_) view_->CursorPosition.Part = 0;
  // The part the user would add; without a view on this piece the same part
  // is made directly.
  if (piece_->PartCount() == 0 && !(view_ && score_.CurrentPiece() == piece_ && score_.AddPart()))
    AddStarterPart(*piece_);
  score_.FireChanged(&score_);
}

// ---------------------------------------------------------------- header

void TLegacyReader::ReadHeader() {
  const int fields = s_.ReadU16();
  auto has = [fields](int n) { return fields >= n; };
  // The cursor of the view that saved the file; the view starts at the
  // beginning instead.
  for (int i = 1; i <= 4; ++i)
    if (has(i)) s_.ReadI32();
  if (view_) {
    view_->CursorPosition.Page = 0;
    view_->CursorPosition.Part = 0;
    view_->CursorPosition.Measure = 0;
    view_->CursorPosition.Tick = 0;
  }
  if (has(5)) s_.ReadU16();
  if (has(6)) piece_->Fields.Tempo = static_cast<int16_t>(std::clamp(s_.ReadI32(), kMinTempo, 32767));
  if (has(7)) score_.Page.Fields.Metrix = static_cast<uint8_t>(s_.ReadU16());
  if (has(8)) {
    const int32_t zoom = s_.ReadI32();
    if (view_) view_->Zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
  }
  if (has(9)) {
    meter_ = s_.ReadU16();
    if (fields < 30 && meter_ == kOldCommonTime) {
      meter_ = MakeMeter(4, 4);
      meterStyle_ = 1;
    } else if (fields < 30 && meter_ == kOldCutTime) {
      meter_ = MakeMeter(2, 4);
      meterStyle_ = 2;
    }
  }
  if (has(10)) {
    TQSPage::TFields& page = score_.Page.Fields;
    const int count = s_.ReadU16();
    Extended* lengths[] = {&page.Width, &page.Height, &page.LeftMargin, &page.TopMargin, &page.RightMargin,
                           &page.BottomMargin};
    for (int i = 0; i < 6; ++i)
      if (count > i) *lengths[i] = s_.ReadExtended();
    if (count >= 7) page.Orientation = static_cast<uint8_t>(s_.ReadU16());
    if (count >= 8) page.PaperSize = static_cast<uint8_t>(s_.ReadU16());
    if (count >= 9) s_.ReadU16();  // whether the rulers were shown
    if (count >= 10) page.Metrix = static_cast<uint8_t>(s_.ReadU16());
    if (count >= 11) page.Interval = s_.ReadExtended();
  }
  if (has(11)) s_.ReadU8();
  if (has(12)) piece_->Fields.Auftakt = s_.ReadU16();
  if (has(13)) {
    const int64_t count = s_.ReadU16();
    s_.Skip(count * (MeterLength(meter_) / 8) * 2);
  }
  if (has(14)) score_.VertAlign = s_.ReadU8();
  if (has(15)) score_.HorzAlign = s_.ReadU8();
  if (has(16)) score_.Composer = ReadStreamString(s_);
  if (has(17)) {
    score_.Description.Clear();
    for (std::string& line : ReadStreamStringLines(s_)) score_.Description.Add(std::move(line));
  }
  if (has(18)) score_.PrintEmptyMeasures = s_.ReadU8();
  if (has(19)) score_.PrintMeasureNumbers = s_.ReadU8();
  if (has(20)) score_.Scale = std::clamp(s_.ReadI32(), kMinScale, kMaxScale);
  if (has(21)) score_.PrintEmptyLines = s_.ReadU8();
  if (has(22)) {
    const uint8_t join = s_.ReadU8();
    score_.AutoJoin = join == 0 ? 1 : (join == 3 ? 0 : 2);
  }
  if (has(23)) firstNumber_ = s_.ReadI32();
  if (has(24)) s_.ReadU8();
  if (has(25)) ReadOldDrumHeads();
  if (has(26)) {
    const uint8_t align = s_.ReadU8();
    if (align <= 2) score_.Align = align == 0 ? 10 : (align == 1 ? 50 : 101);
  }
  if (has(27) && s_.ReadU8() == 0 && score_.Align == 10) score_.Align = 12;
  if (has(28)) {
    const int32_t perLine = s_.ReadI32();
    if (score_.Align == 101) score_.Align = static_cast<uint8_t>(std::clamp<int64_t>(100LL + perLine, 100, 255));
  }
  if (has(29)) score_.ReadDrumMap(s_);
  if (has(30)) meterStyle_ = s_.ReadU8();
  if (has(31)) score_.Rights = ReadStreamString(s_);
  if (has(32)) {
    const int32_t tempoScale = s_.ReadI32();
    if (view_) view_->TempoScale = std::max(tempoScale, kMinTempo);
  }
  if (has(33)) {
    const int32_t join = s_.ReadI32();
    if (join > 2) score_.AutoJoin = static_cast<uint8_t>(std::min(join, 254) + 1);
  }
}

void TLegacyReader::ReadOldDrumHeads() {
  const int count = s_.ReadU16();
  for (int i = 0; i < count; ++i) {
    const TOldBlock entry = ReadByteBlock();
    const std::string name = ReadStreamString(s_);
    const int subRecords = s_.ReadU16();
    uint16_t glyph3 = 0;
    for (int k = 0; k < subRecords; ++k) {
      if (ReadByteBlock().U8(0) != '=') continue;
      // The glyph is a character code of the music font: taken from the
      // stored byte, not from the text it stands for.
      auto firstByte = [this] {
        const std::vector<uint8_t> text = s_.ReadBytes(s_.ReadU16());
        return static_cast<uint16_t>(text.empty() ? 0 : text[0]);
      };
      glyph3 = firstByte();
      const int strings = s_.ReadU16();
      for (int j = 0; j < strings; ++j) glyph3 = firstByte();
    }
    score_.AddDrumInstrument(name, entry.U16(0), entry.U16(4), entry.U8(8), glyph3, score_.MusicFontName, 100, 0);
  }
}

void TLegacyReader::MakeFirstColumn() {
  TQSColumn* column = EnsureColumn(0);
  TQSMark* meter = NewColumnMark(column, kind::Meter);
  meter->Fields.Value = meter_;
  meter->Fields.Style = meterStyle_;
  TQSMark* numbering = NewColumnMark(column, kind::MeasureNumbering);
  numbering->Fields.Value = static_cast<uint16_t>(static_cast<uint32_t>(firstNumber_) + 1);
  L_ = MeterLength(meter_);
  beat_ = MeterUnit(meter_);
}

// ---------------------------------------------------------------- parts

TQSMeasure* TLegacyReader::EnsureMeasure(int index) { return EnsureChild(*part_, part_->MeasureList(), index); }

TQSColumn* TLegacyReader::EnsureColumn(int index) { return EnsureChild(*piece_, piece_->ColumnList(), index); }

int TLegacyReader::RememberedLength(int index) const {
  return index >= 0 && index < static_cast<int>(lengths_.size()) && lengths_[static_cast<size_t>(index)] > 0
             ? lengths_[static_cast<size_t>(index)]
             : L_;
}

void TLegacyReader::ReadPart(int index) {
  {
    TRegistrationOpen open(piece_->RegistrationSuspended);
    part_ = piece_->AddPart();
  }
  if (view_) view_->CursorPosition.Part = index;
  staffBase_ = 0;
  recordParts_ = {part_};
  grouping_.clear();
  lineOffsets_.clear();
  accoladeStyle_ = 0;
  ReadOldRecord(kPartMarker, true, [this] { ReadPartBody(); });
  // What the record gave, also when it was damaged: the line offsets and
  // an accolade for every part of several staves.
  StoreLineOffsets();
  for (TQSPart* part : recordParts_) {
    if (part->StaffCount() < 2 || part->MeasureCount() == 0) continue;
    auto* accolade = static_cast<TQSMark*>(CreateItemByKind(kind::Accolade, part->GetMeasure(0)));
    accolade->Fields.Kind = accoladeStyle_;
  }
}

void TLegacyReader::ReadPartBody() {
  const int fields = s_.ReadU16();
  auto has = [fields](int n) { return fields >= n; };
  if (has(1)) part_->Fields.Instrument = static_cast<uint8_t>(s_.ReadI32());
  if (has(2)) part_->Name = ReadStreamString(s_);
  if (has(3)) part_->Fields.Channel = static_cast<uint8_t>(s_.ReadI32());
  if (has(4)) part_->Fields.Mute = s_.ReadU8();
  if (has(5)) s_.ReadI32();
  if (has(6)) ReadRows();
  if (has(7)) {
    const int count = s_.ReadU16();
    for (int i = 0; i < count; ++i) {
      s_.ReadU16();
      if (V_ > 640) s_.ReadU8();
      const int64_t pairs = V_ >= 640 ? s_.ReadU16() : L_;
      s_.Skip(pairs * 2);
    }
  }
  if (has(8)) accoladeStyle_ = s_.ReadU8();
  if (has(9)) {
    const int count = s_.ReadU16();
    for (int i = 0; i < count; ++i) grouping_.push_back(s_.ReadU16());
  }
  if (has(10)) s_.ReadU8();
  if (has(11)) part_->Fields.Volume = static_cast<uint8_t>(s_.ReadI32());
  if (has(12)) part_->Fields.Pan = static_cast<uint8_t>(s_.ReadI32());
  EnsureMeasure(0);

  const int staves = ReadChildCount(s_, "Error reading staffs");
  groupIndex_ = 0;
  groupTotal_ = grouping_.empty() ? 0 : grouping_[0];
  for (int i = 0; i < staves; ++i) {
    if (StartsNewPart(i, staves)) StartPart();
    ReadStaff();
  }
  const int columns = ReadChildCount(s_, "Error reading columns");
  for (int i = 0; i < columns; ++i) ReadColumn(i);
  const int objects = ReadChildCount(s_, "Error reading score items");
  for (int i = 0; i < objects; ++i) ReadPageObject();
}

void TLegacyReader::ReadRows() {
  const int rows = s_.ReadU16();
  const int rowSize = V_ > 852 ? s_.ReadU8() : 0;
  TQSSpacingTables& tables = onePart_ ? piece_->Spacing : part_->Spacing;
  tables.LeftOffsets.clear();
  tables.RightOffsets.clear();
  tables.AlignStyles.clear();
  for (int row = 0; row < rows; ++row) {
    std::vector<int32_t> offsets;
    TOldBlock values;
    if (V_ < 640) {
      // Three line offsets, then the three row values.
      const TOldBlock lines(s_.ReadBytes(12));
      offsets = {lines.I32(0), lines.I32(4), lines.I32(8)};
      values = TOldBlock(s_.ReadBytes(12));
    } else {
      // Rows of the newest files say their own size; only the first 17
      // bytes are known, a shorter row leaves the rest 0.
      values = TOldBlock(s_.ReadBytes(V_ > 852 ? rowSize : 12));
      const int count = s_.ReadU16();
      for (int i = 0; i < count; ++i) offsets.push_back(s_.ReadI32());
    }
    int16_t align = 0;
    if (values.U8(12) != 0) {
      switch (values.U8(14)) {
        case 0: align = values.U8(13) ? 10 : 12; break;
        case 1: align = 50; break;
        case 2: align = static_cast<int16_t>(values.U8(15) + 100); break;
        default: break;
      }
    }
    const int16_t right = Low16Units(values.I32(4));
    tables.LeftOffsets.push_back(Low16Units(values.I32(0)));
    tables.RightOffsets.push_back(onePart_ ? static_cast<int16_t>(-right) : right);
    tables.AlignStyles.push_back(align);
    for (size_t k = 0; k < offsets.size(); ++k)
      if (offsets[k] != 0) lineOffsets_.push_back({row, static_cast<int>(k), offsets[k]});
  }
}

void TLegacyReader::StoreLineOffsets() {
  if (lineOffsets_.empty()) return;
  const long long staves = part_->StaffCount();
  TQSSpacingTable& table = onePart_ ? piece_->Spacing.RowOffsets : recordParts_.front()->Spacing.RowOffsets;
  long long size = 0;
  for (const TLineOffset& o : lineOffsets_) {
    const long long at = staves * o.Row + o.Number;
    if (at < kMaxTableEntries) size = std::max(size, at + 1);
  }
  table.assign(static_cast<size_t>(size), 0);
  // From the last row and offset to the first, as the offsets were filed.
  for (auto o = lineOffsets_.rbegin(); o != lineOffsets_.rend(); ++o) {
    const long long at = staves * o->Row + o->Number;
    if (at < size) table[static_cast<size_t>(at)] = static_cast<int16_t>(static_cast<uint32_t>(o->Value) * 8);
  }
}

bool TLegacyReader::StartsNewPart(int staffIndex, int staffCount) {
  if (!onePart_) return false;
  if (grouping_.empty() || grouping_[0] >= staffCount) return staffCount >= 3 && staffIndex > 0;
  bool start = false;
  while (groupIndex_ < grouping_.size() && staffIndex >= groupTotal_) {
    start = true;
    if (++groupIndex_ < grouping_.size()) groupTotal_ += grouping_[groupIndex_];
  }
  // A group of no staves at the start would leave the record's part empty:
  // its first staves stay in it.
  return start && part_->StaffCount() > 0;
}

void TLegacyReader::StartPart() {
  {
    TRegistrationOpen open(piece_->RegistrationSuspended);
    part_ = piece_->AddPart();
  }
  EnsureMeasure(0);
  recordParts_.push_back(part_);
  if (view_) view_->CursorPosition.Part = part_->Index;
}

// ---------------------------------------------------------------- staves

void TLegacyReader::ReadStaff() {
  {
    TRegistrationOpen open(part_->RegistrationSuspended);
    staff_ = new TQSStaff(part_);
  }
  staff_->NewVoice();
  measureRecords_ = 0;
  ReadOldRecord(kStaffMarker, true, [this] { ReadStaffBody(); });
  if (measureRecords_ == 0) {
    TQSMeasure* m = EnsureMeasure(0);
    auto clef = NewMeasureItem<TQSMark>(m, kind::Clef);
    clef->Fields.Kind = clef::Treble;
    clef->Fields.StaffVoice = MakeStaffVoice(staff_->Index, 0);
    InsertBeforeTimed(m, std::move(clef), 0);
  }
  if (onePart_) score_.FireItemChangedQuietly(part_);
  staffBase_ += 4 * lineSpace_ + interval_;
}

void TLegacyReader::ReadStaffBody() {
  const int fields = s_.ReadU16();
  auto has = [fields](int n) { return fields >= n; };
  if (has(1)) staff_->Fields.LineCount = std::min<uint8_t>(static_cast<uint8_t>(s_.ReadU16()), TQSStaff::kMaxLines);
  if (has(2) && s_.ReadU8() != 0) staff_->Fields.LineCount = 5;
  if (has(3)) {
    const int32_t program = s_.ReadI32();
    if (onePart_) part_->Fields.Instrument = static_cast<uint8_t>(program >= 0 && program <= 128 ? program : 0);
  }
  if (has(4)) ReadStreamString(s_);
  if (has(5)) {
    const int32_t channel = s_.ReadI32();
    if (onePart_) part_->Fields.Channel = static_cast<uint8_t>(static_cast<uint8_t>(channel) - 1);
  }
  if (has(6)) staff_->Fields.Mute = s_.ReadU8();
  if (has(7)) s_.ReadU8();
  if (has(8)) {
    const int32_t volume = s_.ReadI32();
    if (onePart_) part_->Fields.Volume = static_cast<uint8_t>(volume);
  }
  if (has(9)) {
    const int32_t pan = s_.ReadI32();
    if (onePart_) part_->Fields.Pan = static_cast<uint8_t>(pan);
  }
  const int measures = ReadChildCount(s_, "Error reading measures");
  for (int i = 0; i < measures; ++i) {
    ++measureRecords_;
    ReadMeasure(i);
  }
}

// ---------------------------------------------------------------- columns

void TLegacyReader::ReadColumn(int index) {
  TQSColumn* column = EnsureColumn(index);
  const int measureEnd = RememberedLength(std::min(index, part_->MeasureCount() - 1));
  const int blocks = s_.ReadU16();
  for (int i = 0; i < blocks; ++i) {
    const TOldBlock b = ReadWordBlock();
    // Marks that stand once at the start or once at a place of the column.
    auto once = [&](TQSItemType kind, int position) -> TQSMark* {
      if (ColumnHasMark(column, kind, position)) return nullptr;
      TQSMark* mark = NewColumnMark(column, kind);
      mark->Fields.Time = static_cast<uint16_t>(position);
      return mark;
    };
    auto jump = [&](TQSItemType kind) {
      if (TQSMark* mark = once(kind, 0)) {
        mark->Fields.OffsetX = static_cast<int16_t>(SignedOffset(b.U8(2)));
        mark->Fields.OffsetY = static_cast<int16_t>(SignedOffset(b.U8(1)));
      }
    };
    switch (b.U8(0)) {
      case 'G': jump(kind::Segno); break;
      case 'H':
      case 'I': jump(kind::Coda); break;
      case 'J': jump(kind::DaCapo); break;
      case 'K': jump(kind::DalSegno); break;
      case 'L':
        if (TQSMark* mark = once(kind::Rehearsal, 0)) mark->Fields.OffsetY = static_cast<int16_t>(b.U8(1) * 8);
        break;
      case 'P': {
        TQSMark* mark = NewColumnMark(column, kind::MeasureNumbering);
        mark->Fields.Value = b.U8(1);
        mark->Fields.OffsetY = static_cast<int16_t>(SignedOffset(b.U8(2)));
        break;
      }
      case 'Q': once(kind::CompositionEnd, measureEnd); break;
      case 'R': once(kind::SectionEnd, measureEnd); break;
      case 'U': once(kind::RepeatOpen, 0); break;
      case 'V': once(kind::RepeatClose, measureEnd); break;
      case 'W': {
        TQSMark* mark = NewColumnMark(column, kind::Volta);
        mark->Fields.Kind = b.U8(1);
        mark->Fields.Value = b.U8(2);
        mark->Fields.OffsetY = static_cast<int16_t>(SignedOffset(b.U8(3)) - Pixels(32 * lineSpace_));
        break;
      }
      case 'X': NewColumnMark(column, kind::MultiRest)->Fields.Value = b.U8(1); break;
      case 'c': {
        const bool newer = V_ > 851;
        int position = newer ? b.I16(1) * 4 : b.U8(1) * 4;
        int code = newer ? b.U8(3) : b.U8(2);
        if (V_ < 848) position *= 2;
        if (V_ < 851) {
          // Note values 2 (half) to 128 become the tempo kinds 6 to 0.
          for (int k = 0, value = 128; k <= 6; ++k, value /= 2)
            if (code == value) {
              code = k;
              break;
            }
        }
        if (ColumnHasMark(column, kind::Tempo, static_cast<uint16_t>(position))) break;
        TQSMark* mark = NewColumnMark(column, kind::Tempo);
        mark->Fields.Time = static_cast<uint16_t>(position);
        mark->Fields.Kind = static_cast<uint8_t>(code);
        mark->Fields.Value = b.U16(4);
        if (newer) mark->Fields.OffsetX = static_cast<int16_t>(static_cast<int8_t>(b.U8(7)) * 8);
        mark->Fields.OffsetY = static_cast<int16_t>(SignedOffset(b.U8(6)) - 384);
        break;
      }
      default: break;
    }
  }
}

// ---------------------------------------------------------------- page objects

void TLegacyReader::ReadPageObject() {
  const TOldBlock b = ReadWordBlock();
  const uint8_t code = b.U8(0);
  // The page: a stored byte + 1, or every page when bit 3 of the flag
  // byte is set.
  auto page = [&b](size_t pageByte, size_t flagByte) {
    return static_cast<uint16_t>(b.U8(flagByte) & 0x08 ? 0 : b.U8(pageByte) + 1);
  };
  const bool scoreOwned = onePart_ || code == 64 || code == 65;
  TQSItemOwner* owner = scoreOwned ? static_cast<TQSItemOwner*>(&score_) : part_;
  TQSItemList& list = scoreOwned ? score_.Items : part_->Items;
  TQSItem* item = nullptr;
  switch (code) {
    case 61: {
      auto* text = static_cast<TQSText*>(CreateItemByKind(kind::Text, owner));
      item = text;
      text->Fields.X = Units(b.I16(2));
      text->Fields.Y = Units(b.I16(4));
      text->Fields.Page = page(6, 9);
      text->Fields.Align = b.U8(9);
      text->Fields.FontSize = b.U8(7);
      text->Fields.FontStyle = b.U8(8);
      text->Fields.Color = b.U32(12);
      if (b.Size() > 16) text->Fields.Angle = b.U16(16);
      text->FontName = ReadStreamString(s_);
      text->Lines = ReadStreamStringLines(s_);
      break;
    }
    case 62: {
      auto* image = static_cast<TQSImage*>(CreateItemByKind(kind::Image, owner));
      item = image;
      ReadBox(image->Fields, b);
      image->Fields.Page = page(10, 11);
      image->Fields.Flags = b.U8(11);
      const uint16_t marker = s_.ReadU16();
      const uint16_t type = s_.ReadU16();
      const int32_t length = s_.ReadI32();
      // A picture of a kind this program does not know is passed over by
      // its length, so that what follows it is read from its place.
      if (length < 0 || length > s_.Remaining()) throw EReadError();
      if (marker == 1 && IsGraphicType(type))
        image->Picture.LoadFromBytes(static_cast<TQSGraphicType>(type), s_.ReadBytes(static_cast<size_t>(length)));
      else
        s_.Skip(length);
      break;
    }
    case 63: {
      auto* line = static_cast<TQSLine*>(CreateItemByKind(kind::Line, owner));
      item = line;
      line->Fields.X1 = BiasedUnits(b.I16(2));
      line->Fields.Y1 = BiasedUnits(b.I16(4));
      line->Fields.X2 = BiasedUnits(b.I16(6));
      line->Fields.Y2 = BiasedUnits(b.I16(8));
      line->Fields.Page = page(19, 18);
      line->Fields.Ends = b.U8(17);
      line->Fields.LineWidth = b.U8(10);
      line->Fields.Color = b.U32(12);
      line->Fields.PenStyle = b.U8(16);
      break;
    }
    case 64:
    case 65: {
      auto* shape = static_cast<TQSRectangle*>(CreateItemByKind(code == 64 ? kind::Rectangle : kind::Ellipse, owner));
      item = shape;
      ReadBox(shape->Fields, b);
      ReadPaint(shape->Fields, b, 10);
      shape->Fields.Page = page(26, 25);
      break;
    }
    case 66:
    case 67:
    case 68: {
      const TQSItemType kinds[] = {kind::Arc, kind::Pie, kind::ChordSegment};
      auto* arc = static_cast<TQSArc*>(CreateItemByKind(kinds[code - 66], owner));
      item = arc;
      ReadBox(arc->Fields, b);
      ReadPaint(arc->Fields, b, 18);
      arc->Fields.AX = static_cast<int16_t>(b.I16(10) - 1000);
      arc->Fields.AY = static_cast<int16_t>(b.I16(12) - 1000);
      arc->Fields.BX = static_cast<int16_t>(b.I16(14) - 1000);
      arc->Fields.BY = static_cast<int16_t>(b.I16(16) - 1000);
      arc->Fields.Page = page(34, 33);
      break;
    }
    default: break;
  }
  if (item) SortInByPage(list);
}

// ---------------------------------------------------------------- starter part

TQSPart* AddStarterPart(TQSPiece& piece) {
  TQSPart* part;
  {
    TRegistrationOpen open(piece.RegistrationSuspended);
    part = piece.AddPart();
  }
  TRegistrationOpen open(part->RegistrationSuspended);
  const int channel = piece.FreeChannel();
  if (part->Channel() == 0 && channel > 0) part->Fields.Channel = static_cast<uint8_t>(channel);
  (new TQSStaff(part))->NewVoice();
  TQSMeasure* measure = new TQSMeasure(part);
  static_cast<TQSMark*>(CreateItemByKind(kind::Key, measure))->Fields.Kind = 0;
  static_cast<TQSMark*>(CreateItemByKind(kind::Clef, measure))->Fields.Kind = clef::Treble;
  if (TQSScore* score = piece.Score())
    if (TQSWindowLink* view = score->ActiveWindow()) view->CursorPosition.Part = part->Index;
  return part;
}

}  // namespace qs
