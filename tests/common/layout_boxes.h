#pragma once
// Where the layout put things: the boxes of the elements of a page.
#include <vector>

#include "layout/layout.h"
#include "score/score.h"

namespace qs::test {

// Calls f(system, element) for every element of the systems of a laid-out
// page.
template <class F>
void ForEachPageElement(const TQSScore& score, int pageIndex, F f) {
  const TQSCalcPage& page = *score.LayoutPages.At(pageIndex);
  for (int s = 0; s < page.SystemCount; ++s) {
    const TQSCalcSystem& system = *page.Systems.At(s);
    for (int m = 0; m < system.MeasureCount; ++m) {
      const TQSCalcMeasure& slot = *system.Measures.At(m);
      for (int i = 0; i < slot.ItemCount; ++i) f(system, *slot.Items.At(i));
    }
  }
}

// The boxes on the first page of the elements that draw items of a kind
// (stems too when asked), in page units.
inline std::vector<TRect> BoxesOf(TQSScore& score, TQSItemType k, bool stems = false) {
  std::vector<TRect> out;
  ForEachPageElement(score, 0, [&](const TQSCalcSystem&, const TQSCalcItem& e) {
    const bool wanted = e.Item && e.Item->ItemType == k &&
                        (e.ElementType == element::Item || (stems && e.ElementType == element::Stem));
    if (wanted) out.push_back(e.Box);
  });
  return out;
}

inline bool Overlap(const TRect& a, const TRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

}  // namespace qs::test
