// Files shaped like those other notation programs write, read and laid
// out: probes on the pages say where each thing landed (the page and
// system of a measure, the staff a mark stands on, boxes that must not
// touch).
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "../common/layout_boxes.h"
#include "layout/layout.h"
#include "musicxml_support.h"
#include "platform/fonts.h"
#include "score/calcrecords.h"
#include "score/clefs.h"
#include "score/pageobjects.h"

namespace qs::test {
namespace {

// The file read into a score on an A4 page, as a document holds one, and
// laid out.
std::unique_ptr<TQSScore> LaidOut(const std::string& name) {
  LoadMusicFont();  // measured as the program measures it
  auto score = std::make_unique<TQSScore>();
  score->Page.Fields.Width = 2100.0L;
  score->Page.Fields.Height = 2970.0L;
  const std::string xml = ReadFile(std::string(QS_TEST_DATA_DIR) + "/musicxml/pages/" + name);
  TMemoryStream s(std::vector<uint8_t>(xml.begin(), xml.end()));
  ImportMusicXml(*score, s);
  LayoutScore(*score, 0);
  return score;
}

// Every laid-out element of every page, with the page it lies on.
void ForEachElement(const TQSScore& score, const std::function<void(int, const TQSCalcSystem&, const TQSCalcItem&)>& f) {
  for (int p = 0; p < score.LaidOutPages; ++p) {
    const TQSCalcPage& page = *score.LayoutPages.At(p);
    for (int s = 0; s < page.SystemCount; ++s) {
      const TQSCalcSystem& system = *page.Systems.At(s);
      for (int m = 0; m < system.MeasureCount; ++m) {
        const TQSCalcMeasure& slot = *system.Measures.At(m);
        for (int i = 0; i < slot.ItemCount; ++i) f(p, system, *slot.Items.At(i));
      }
    }
  }
}

// Where a measure landed: its page, and whether it opens its system.
struct TLanding {
  int Page = -1;
  bool OpensSystem = false;
};

TLanding LandingOf(const TQSScore& score, int measure) {
  for (int p = 0; p < score.LaidOutPages; ++p) {
    const TQSCalcPage& page = *score.LayoutPages.At(p);
    for (int s = 0; s < page.SystemCount; ++s) {
      const TQSCalcSystem& system = *page.Systems.At(s);
      for (int m = 0; m < system.MeasureCount; ++m)
        if (system.Measures.At(m)->MeasureIndex == measure) return {p, m == 0};
    }
  }
  return {};
}

const TQSCalcItem* ElementOf(const TQSScore& score, const TQSItem* item) {
  const TQSCalcItem* found = nullptr;
  ForEachElement(score, [&](int, const TQSCalcSystem&, const TQSCalcItem& e) {
    if (e.Item == item && e.ElementType == element::Item && !found) found = &e;
  });
  return found;
}

// The part whose staves lie nearest to a height of the system.
const TQSPart* NearestPart(const TQSCalcSystem& system, int y) {
  const TQSPart* nearest = nullptr;
  int best = INT_MAX;
  for (size_t i = 0; i < system.Parts.Capacity(); ++i) {
    const TQSCalcSystemPart* part = system.Parts.At(i);
    if (!part || !part->Part) continue;
    const int distance = y < part->Top ? part->Top - y : y > part->Bottom ? y - part->Bottom : 0;
    if (distance < best) {
      best = distance;
      nearest = part->Part;
    }
  }
  return nearest;
}

// A page or system break the file marks on a measure starts the page or
// system with that measure.
TEST(MusicXmlPages, BreaksStartTheirMeasure) {
  auto score = LaidOut("breaks.xml");
  ASSERT_EQ(score->LaidOutPages, 2);
  EXPECT_TRUE(LandingOf(*score, 2).OpensSystem);
  EXPECT_FALSE(LandingOf(*score, 3).OpensSystem);
  EXPECT_EQ(LandingOf(*score, 4).Page, 0);
  EXPECT_EQ(LandingOf(*score, 5).Page, 1);
  EXPECT_TRUE(LandingOf(*score, 5).OpensSystem);
  EXPECT_EQ(LandingOf(*score, 7).Page, 1);
}
}  // namespace
}  // namespace qs::test
