#include "interchange/importitems.h"

#include <algorithm>

#include "score/marks.h"
#include "score/measure.h"
#include "base/mathutil.h"
#include "layout/sounding.h"
#include "platform/gui.h"
#include "score/piece.h"
#include "score/score.h"

namespace qs {

TQSMark* PlaceTempoMark(TQSColumn& column, int tick, uint8_t beat, int bpm) {
  const auto value = static_cast<uint16_t>(std::clamp(bpm, 1, 0xFFFF));
  for (TQSItem* item : column.Items)
    if (item->ItemType == kind::Tempo && item->TimePosition() == tick) {
      auto* mark = static_cast<TQSMark*>(item);
      mark->Fields.Value = value;
      return mark;
    }
  auto* mark = static_cast<TQSMark*>(CreateItemByKind(kind::Tempo, &column));
  mark->Fields.Kind = beat;
  mark->Fields.Time = static_cast<uint16_t>(std::max(tick, 0));
  mark->Fields.Value = value;
  mark->Fields.OffsetY = -128;
  return mark;
}

int VerseOffsetY(const TQSScore& score, int verse) {
  const double lineSpace = static_cast<double>(score.Page.Tenths(TQSPage::dLineSpace).Value());
  return Round((verse + 2) * lineSpace * 2 * ScreenPixelsPerInch() / 254.0) * 8;
}

bool LearnDrumKey(TQSScore& score, int key, uint8_t pitch, uint8_t head) {
  if (key < 0 || key > 127) return false;
  const bool listed = std::any_of(score.DrumMap.begin(), score.DrumMap.end(),
                                  [key](const TQSDrumMapEntry& e) { return e.Key == key; });
  // Positions count diatonic steps from C of octave 0 at 23.
  const int position = PitchLine(pitch) + 23;
  if (listed) {
    const TQSDrumMapEntry* e = score.DrumEntryByKey(key);
    return e && e->Position == position && e->Head == head;
  }
  if (position > 255 || score.DrumEntryByPitch(NaturalKey(pitch), head)) return false;
  score.SetDrumMapEntry(static_cast<uint8_t>(key), "", head, static_cast<uint8_t>(position), 1);
  return true;
}

TQSLyric* NewInstrumentName(TQSMeasure& first, const std::string& name, bool shortName) {
  auto* item = new TQSLyric(nullptr);
  item->ItemType = kind::InstrumentName;
  item->Fields.FontSize = 10;
  if (shortName) item->Fields.Flags |= TQSLyric::kShortName;
  item->FontName = "Arial";
  item->Lines = {name};
  item->Centre = 1;
  const bool suspended = first.RegistrationSuspended;
  first.RegistrationSuspended = true;
  item->SetOwner(&first);
  first.RegistrationSuspended = suspended;
  first.Items.Insert(0, item);
  return item;
}

}  // namespace qs
