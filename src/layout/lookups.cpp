// Lookups on the laid-out records and the view updates after a pass.
#include "layout/layout.h"
#include "score/calcrecords.h"
#include "score/item.h"
#include "score/score.h"

namespace qs {

namespace {

TQSCalcItem* FindOnPage(const TQSCalcPage& page, const TQSItem* item) {
  if (item->ItemType == kind::Text) {
    for (int i = 0; i < page.PageItemCount; ++i)
      if (TQSCalcItem* e = page.PageItems.At(i); e && e->Item == item) return e;
    return nullptr;
  }
  for (int s = 0; s < page.SystemCount; ++s) {
    const TQSCalcSystem* system = page.Systems.At(s);
    for (int m = 0; system && m < system->MeasureCount; ++m) {
      const TQSCalcMeasure* slot = system->Measures.At(m);
      for (int i = 0; slot && i < slot->ItemCount; ++i)
        if (TQSCalcItem* e = slot->Items.At(i); e && e->Item == item) return e;
    }
  }
  return nullptr;
}

}  // namespace

TQSCalcItem* FindLayoutElement(const TQSScore& score, const TQSItem* item, int pageIndex) {
  if (!item) return nullptr;
  const TQSItemType type = item->ItemType;
  if (type != kind::Lyric && type != kind::Term && type != kind::InstrumentName && type != kind::Text) return nullptr;
  if (pageIndex >= 0 && pageIndex < score.LaidOutPages) {
    const TQSCalcPage* page = score.LayoutPages.At(pageIndex);
    return page ? FindOnPage(*page, item) : nullptr;
  }
  for (int i = 0; i < score.LaidOutPages; ++i)
    if (const TQSCalcPage* page = score.LayoutPages.At(i))
      if (TQSCalcItem* e = FindOnPage(*page, item)) return e;
  return nullptr;
}

void UpdateWindowScrollBars(TQSScore& score) {
  for (int i = 0; i < score.WindowCount(); ++i) score.GetWindow(i)->UpdateScrollRanges();
}

}  // namespace qs
