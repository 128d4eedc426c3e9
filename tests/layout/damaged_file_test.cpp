// Native files whose settings ask for more than any page can hold load
// with a bounded result: lengths are limited as the page setters limit
// them, and the layout makes no more empty pages than a score may ask for.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "base/stream.h"
#include "layout_fixture.h"

namespace qs::test {
namespace {

// A one-measure score damaged by `damage`, saved and read back as a file
// would be.
struct TDamagedFile : TLayoutScore {
  TQSScore Loaded;

  explicit TDamagedFile(const std::function<void(TQSScore&)>& damage, int measures = 1) {
    TQSPiece* piece = AddPiece({1}, measures);
    for (int m = 0; m < measures; ++m) Quarters(piece->GetPart(0)->GetMeasure(m));
    damage(Score);
    TMemoryStream s;
    Score.SaveToStream(s);
    s.SetPosition(0);
    Loaded.LoadFromStream(s);
  }
  long double Tenths(int index) const { return Loaded.Page.Tenths(index).Value(); }
  int Slots() const {
    int slots = 0;
    for (int p = 0; p < Loaded.LaidOutPages; ++p) slots += Loaded.LayoutPages.At(p)->MeasureCount;
    return slots;
  }
};

TEST(DamagedFile, PageLengthsAreLimitedOnReading) {
  const struct {
    const char* Name;
    int Index;
    long double Stored, Read;
  } cases[] = {
      {"huge height", TQSPage::dHeight, 1e30L, 100000},
      {"huge width", TQSPage::dWidth, 1e30L, 100000},
      {"huge negative left margin", TQSPage::dLeftMargin, -1e30L, -100000},
      {"huge negative right margin", TQSPage::dRightMargin, -1e300L, -100000},
      {"huge line space", TQSPage::dLineSpace, 1e20L, 100000},
      {"sound width", TQSPage::dWidth, 2100, 2100},
  };
  for (const auto& c : cases) {
    TDamagedFile f([&](TQSScore& s) {
      TQSPage::TFields& p = s.Page.Fields;
      Extended* lengths[] = {&p.Width, &p.Height, &p.LeftMargin, &p.TopMargin, &p.RightMargin, &p.BottomMargin,
                             &p.Interval, &p.LineSpace};
      *lengths[c.Index] = c.Stored;
      s.VertAlign = 1;  // the vertical fill runs over the whole height
    });
    EXPECT_EQ(f.Tenths(c.Index), c.Read) << c.Name;
    // The music and the measures that fill its line: a page 30 m wide
    // holds a few thousand of them, not a million.
    EXPECT_GE(f.Loaded.LaidOutPages, 1) << c.Name;
    EXPECT_LT(f.Slots(), 20000) << c.Name;
  }
}

TEST(DamagedFile, EmptyPagesAreBounded) {
  const struct {
    const char* Name;
    std::function<void(TQSScore&)> Damage;
    int Pages;
  } cases[] = {
      // The music fills page 0; at most kMaxEmptyPages follow it.
      {"page count", [](TQSScore& s) { s.PageCount = 65535; }, 1 + kMaxEmptyPages},
      {"page count reached", [](TQSScore& s) { s.PageCount = 3; }, 3},
      {"empty pages first", [](TQSScore& s) { s.EmptyPages = 32767; }, kMaxEmptyPages + 1},
      {"page break", [](TQSScore& s) { s.GetPiece(0)->GetColumn(0)->Fields.PageBreak = 65535; },
       1 + kMaxEmptyPages + 1},
  };
  for (const auto& c : cases) {
    TDamagedFile f(c.Damage, 2);
    EXPECT_EQ(f.Loaded.LaidOutPages, c.Pages) << c.Name;
  }
}

// Margins and distances that leave no room for one system still end the
// music: every page holds a system and every system a measure, drawn past
// the margins, instead of tens of thousands of empty pages.
TEST(DamagedFile, NoRoomForASystemStillEndsTheMusic) {
  const struct {
    const char* Name;
    int Index;
    long double Tenths;
  } cases[] = {
      {"top margin below the page", TQSPage::dTopMargin, 100000},
      {"bottom margin above the page", TQSPage::dBottomMargin, 100000},
      {"interval taller than the page", TQSPage::dInterval, 100000},
      {"left margin past the right edge", TQSPage::dLeftMargin, 100000},
      {"right margin past the left edge", TQSPage::dRightMargin, 100000},
  };
  constexpr int kMeasures = 3;
  for (const auto& c : cases) {
    TDamagedFile f(
        [&](TQSScore& s) {
          TQSPage::TFields& p = s.Page.Fields;
          Extended* lengths[] = {&p.Width, &p.Height, &p.LeftMargin, &p.TopMargin, &p.RightMargin,
                                 &p.BottomMargin, &p.Interval, &p.LineSpace};
          *lengths[c.Index] = c.Tenths;
        },
        kMeasures);
    EXPECT_GE(f.Loaded.LaidOutPages, 1) << c.Name;
    EXPECT_LE(f.Loaded.LaidOutPages, kMeasures) << c.Name;
    EXPECT_GE(f.Slots(), kMeasures) << c.Name;
    for (int p = 0; p < f.Loaded.LaidOutPages; ++p)
      EXPECT_GE(f.Loaded.LayoutPages.At(p)->SystemCount, 1) << c.Name << ", page " << p;
  }
}

// The same bound holds when a pass starts on a later page.
TEST(DamagedFile, EmptyPagesAreBoundedFromALaterPage) {
  TDamagedFile f([](TQSScore& s) { s.PageCount = 65535; });
  ASSERT_EQ(f.Loaded.LaidOutPages, 1 + kMaxEmptyPages);
  for (int from : {1, 50, kMaxEmptyPages}) {
    LayoutScore(f.Loaded, from);
    EXPECT_EQ(f.Loaded.LaidOutPages, 1 + kMaxEmptyPages) << from;
  }
}

}  // namespace
}  // namespace qs::test
