#include "score/calcrecords.h"

#include <algorithm>
#include <iterator>

#include "score/marks.h"
#include "score/measure.h"

namespace qs {

TQSCalcPage* TQSCalcItem::PageOf() const {
  if (OwnerPage) return OwnerPage;
  return Owner && Owner->System ? Owner->System->PageRecord : nullptr;
}

int ClefKindOffset(int clefKind) {
  static constexpr int kOffsets[] = {0, 0, -12, -6, 7, -7, -19, -10, -8, -2, -4, -10};
  return clefKind >= 0 && clefKind < static_cast<int>(std::size(kOffsets)) ? kOffsets[clefKind] : 0;
}

TQSItem* TQSCalcMeasure::ClefFor(const TQSPart* part, int staffRow, int staffVoice, int tick) const {
  const int staff = StaffOf(static_cast<uint8_t>(staffVoice));
  for (auto it = Clefs.rbegin(); it != Clefs.rend(); ++it) {
    TQSItem* clef = *it;
    const TQSMeasure* m = clef->GetMeasure();
    if (StaffOf(static_cast<uint8_t>(clef->StaffVoice())) == staff && clef->TimePosition() <= tick && m &&
        m->Part() == part)
      return clef;
  }
  if (RowCount == 0 || ClefByRow.empty()) return nullptr;
  const int last = static_cast<int>(std::min<size_t>(RowCount, ClefByRow.size())) - 1;
  const int row = staffRow < 0 ? 0 : (staffRow > last ? last : staffRow);
  return ClefByRow[static_cast<size_t>(row)];
}

int TQSCalcMeasure::ClefOffsetFor(const TQSPart* part, int staffRow, int staffVoice, int tick,
                                  int* clefKind) const {
  const auto* clef = ClassCast<const TQSMark>(ClefFor(part, staffRow, staffVoice, tick));
  if (clefKind) *clefKind = clef ? clef->Fields.Kind : -1;
  return clef ? ClefKindOffset(clef->Fields.Kind) : 0;
}

int TQSCalcMeasure::ClefOffsetAt(const TQSMeasure& measure, int staffRow, int staffVoice, int tick) const {
  return ClefOffsetFor(measure.Part(), staffRow, staffVoice, tick, nullptr);
}

}  // namespace qs
