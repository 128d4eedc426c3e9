// Free page objects, page-mark texts and the lookup of a text's element.
#include <gtest/gtest.h>

#include <ctime>

#include "layout_fixture.h"

namespace qs::test {
namespace {

template <class T>
T* PageObject(TQSItemOwner* owner, TQSItemType type, int page) {
  auto* object = static_cast<T*>(CreateItemByKind(type, owner));
  object->Fields.Page = static_cast<uint16_t>(page);
  return object;
}

// Boxes carry a margin of 24; a text is measured unless it has a size: its
// widest line and a hundredth of it, and the letter height per line. A
// line's corners are put in order after the margins, then widened by 64.
TEST(LayoutPageObjects, Boxes) {
  TLayoutScore s;
  s.AddPiece({1}, 1);
  auto* text = PageObject<TQSText>(&s.Score, kind::Text, 1);
  text->Fields.X = 1000;
  text->Fields.Y = 500;
  text->Lines = {"Sonata", "for piano and strings"};
  auto* sized = PageObject<TQSText>(&s.Score, kind::Text, 1);
  sized->Fields.X = 10;
  sized->Fields.Y = 20;
  sized->Fields.Width = 300;
  sized->Fields.Height = 100;
  sized->Lines = {"not measured"};
  auto* line = PageObject<TQSLine>(&s.Score, kind::Line, 1);
  line->Fields.X1 = 100;
  line->Fields.Y1 = 100;
  line->Fields.X2 = 40;
  line->Fields.Y2 = 20;
  auto* ellipse = PageObject<TQSRectangle>(&s.Score, kind::Ellipse, 1);
  ellipse->Fields.X = 50;
  ellipse->Fields.Y = 60;
  ellipse->Fields.Width = 70;
  ellipse->Fields.Height = 80;
  s.Layout();

  const TQSCalcPage& page = s.Page(0);
  ASSERT_EQ(page.PageItemCount, 4);
  const int t = Width("Arial", 64, u"for piano and strings");
  const int w = t + t / 100;
  TFont font;
  font.Name = "Arial";
  font.SetSize(64);
  const int h = 2 * GetTextMetrics(font).Height;
  EXPECT_EQ(page.PageItems.At(0)->Box, (TRect{976, 476, 1000 + w + 24, 500 + h + 24}));
  EXPECT_EQ(text->Fields.Width, w);
  EXPECT_EQ(text->Fields.Height, h);
  EXPECT_EQ(page.PageItems.At(1)->Box, (TRect{-14, -4, 334, 144}));
  EXPECT_EQ(page.PageItems.At(2)->Box, (TRect{0, -20, 140, 140}));
  EXPECT_EQ(page.PageItems.At(3)->Box, (TRect{26, 36, 144, 164}));
  EXPECT_EQ(page.PageItems.At(0)->OwnerPage, &page);
}

// An object with page number n is on page index n - 1 only; one with page
// number 0 is on every page, its elements chained from the newest page
// back. Page marks show the page in their format.
TEST(LayoutPageObjects, PagesAndPageMarks) {
  TLayoutScore s;
  s.Score.PageCount = 3;
  s.AddPiece({1}, 1);
  auto* header = PageObject<TQSPageMark>(&s.Score, kind::PageMark, 0);
  header->Fields.Format = 4;
  auto* third = PageObject<TQSText>(&s.Score, kind::Text, 3);
  third->Lines = {"three"};
  s.Layout();
  ASSERT_EQ(s.Score.LaidOutPages, 3);
  const char* roman[] = {"I", "II", "III"};
  for (int p = 0; p < 3; ++p) {
    const TQSCalcPage& page = s.Page(p);
    ASSERT_EQ(page.PageItemCount, p == 2 ? 2 : 1) << p;
    EXPECT_EQ(page.PageItems.At(0)->Item, header);
    EXPECT_EQ(page.PageItems.At(0)->Text, roman[p]);
    EXPECT_EQ(page.PageItems.At(0)->Next, p == 0 ? nullptr : s.Page(p - 1).PageItems.At(0));
  }
  EXPECT_EQ(s.Page(2).PageItems.At(1)->Item, third);
  EXPECT_EQ(header->LayoutLink, s.Page(2).PageItems.At(0));

  // Music that ends exactly with its page (ten systems of four measures):
  // the page after it is begun but not counted, and the object leads to its
  // element on the last page.
  TLayoutScore e;
  TQSPiece* piece = e.AddPiece({1}, 40);
  for (int m = 0; m < 40; ++m) e.Quarters(piece->GetPart(0)->GetMeasure(m));
  auto* mark = PageObject<TQSPageMark>(&e.Score, kind::PageMark, 0);
  e.Layout();
  ASSERT_EQ(e.Score.LaidOutPages, 1);
  EXPECT_EQ(mark->LayoutLink, e.Page(0).PageItems.At(0));
  EXPECT_EQ(mark->LayoutLink->Next, nullptr);
}

TEST(LayoutPageObjects, PageMarkTexts) {
  struct TNumber {
    int Format, Page;
    const char* Text;
  };
  for (const TNumber& n : {TNumber{0, 4, "5"}, TNumber{1, 2, "-3-"}, TNumber{2, 0, "a"}, TNumber{3, 1, "B"}, TNumber{2, 25, "z"}, TNumber{2, 26, "aa"}, TNumber{3, 27, "AB"},
                           TNumber{4, 8, "IX"}, TNumber{9, 0, "1"}})
    EXPECT_EQ(FormatPageNumber(n.Format, n.Page), n.Text) << n.Format;

  std::tm tm{};
  tm.tm_year = 2024 - 1900;
  tm.tm_mon = 2;
  tm.tm_mday = 5;
  tm.tm_hour = 7;
  tm.tm_min = 8;
  tm.tm_sec = 9;
  const char* dates[] = {"05.03.2024",       "05/03/2024",       "05.03.2024 07:08", "05/03/2024 07:08:09",
                         "03/05/2024",       "03.05.2024",       "03/05/2024 07:08", "03/05/2024 07:08:09",
                         "07:08",            "07:08:09"};
  for (int f = 0; f < 10; ++f) EXPECT_EQ(FormatPageMarkDate(f, tm), dates[f]) << f;
}

// The element that shows a text: lyrics, inscriptions and names in the
// measures of a page, free texts among the page's objects; other kinds have
// none. A page index outside the laid-out pages searches them all.
TEST(LayoutPageObjects, FindLayoutElement) {
  TLayoutScore s;
  TQSPiece* piece = s.AddPiece({1}, 60);
  TQSPart* part = piece->GetPart(0);
  for (int m = 0; m < 60; ++m) s.Quarters(part->GetMeasure(m));
  auto* lyric = static_cast<TQSLyric*>(CreateItemByKind(kind::Lyric, part->GetMeasure(50)));
  lyric->Lines = {"la"};
  auto* everyPage = PageObject<TQSText>(&s.Score, kind::Text, 0);
  everyPage->Lines = {"title"};
  s.Layout();
  ASSERT_GE(s.Score.LaidOutPages, 2);
  ASSERT_GT(s.Page(1).FirstMeasure, 0);
  ASSERT_LE(s.Page(1).FirstMeasure, 50);

  const TQSCalcItem* e = FindLayoutElement(s.Score, lyric, 1);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->Item, lyric);
  EXPECT_EQ(e->Owner, piece->Slots[50]);
  EXPECT_EQ(FindLayoutElement(s.Score, lyric, 0), nullptr);
  EXPECT_EQ(FindLayoutElement(s.Score, lyric, -1), e);
  EXPECT_EQ(FindLayoutElement(s.Score, lyric, 99), e);
  EXPECT_EQ(FindLayoutElement(s.Score, everyPage, -1), s.Page(0).PageItems.At(0));
  EXPECT_EQ(FindLayoutElement(s.Score, part->GetMeasure(0)->GetItem(0), -1), nullptr);
  EXPECT_EQ(FindLayoutElement(s.Score, nullptr, -1), nullptr);
}

}  // namespace
}  // namespace qs::test
