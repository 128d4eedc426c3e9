// Painting: the visible pages, the grey around them, the page buttons, and
// the XOR cursor with its show/hide counter.
#include <gtest/gtest.h>

#include "view_fixture.h"

namespace qs::test {
namespace {

std::vector<uint32_t> Pixels(const TBitmap& b) {
  std::vector<uint32_t> out;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) out.push_back(b.Pixel(x, y));
  return out;
}

int Differences(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  int n = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) n += a[i] != b[i];
  return n;
}

struct TPaintScore : TViewScore {
  TPaintScore() : TViewScore({1}, 8) {
    for (int m = 0; m < 8; ++m) Quarters(Measure(m));
    Show();
    View.PaintTo(Host.Bitmap.Canvas());
  }
};

TEST(ViewPainting, PagesAreWhiteAndTheRestGrey) {
  TPaintScore s;
  const TBitmap& b = s.Host.Bitmap;
  EXPECT_EQ(b.Pixel(200, 10), clWhite);   // the page's top margin
  EXPECT_EQ(b.Pixel(600, 10), clGray);    // right of the page
  EXPECT_EQ(b.Pixel(200, 650), clGray);   // below it
  // Staff lines are painted: the first staff's top line at y 72.
  EXPECT_NE(b.Pixel(200, 72), clWhite);
}

// A repaint after scrolling shows the pages painted before; a change of
// the selection or of the layout paints the page again.
TEST(ViewPainting, RepaintsShowWhatChanged) {
  TViewScore s({1}, 8);
  for (int m = 0; m < 8; ++m) s.Quarters(s.Measure(m));
  s.Show();
  s.View.PaintTo(s.Host.Bitmap.Canvas());
  const std::vector<uint32_t> plain = Pixels(s.Host.Bitmap);
  TQSNote* note = nullptr;
  for (TQSItem* item : s.Measure(1)->Items)
    if (item->ItemType == kind::Note && item->TimePosition() == 128) note = static_cast<TQSNote*>(item);
  ASSERT_TRUE(note && note->HeadElement);
  s.View.AddElement(note->HeadElement);
  s.View.PaintTo(s.Host.Bitmap.Canvas());
  const std::vector<uint32_t> selected = Pixels(s.Host.Bitmap);
  EXPECT_GT(Differences(plain, selected), 10);  // the selected head in its colour
  // Moving a note and laying out again shows it moved.
  note->Fields.Pitch = 0x54;
  s.Score.Recalculate(0);
  s.View.PaintTo(s.Host.Bitmap.Canvas());
  EXPECT_GT(Differences(selected, Pixels(s.Host.Bitmap)), 10);
  // Scrolling away and back shows the same pixels again.
  const std::vector<uint32_t> before = Pixels(s.Host.Bitmap);
  s.View.SetBounds(0, 0, 800, 300);
  s.Host.Bitmap.SetSize(800, 300);
  int v = 200;
  s.View.ScrollTo(true, scPosition, v);
  s.View.PaintTo(s.Host.Bitmap.Canvas());
  v = 0;
  s.View.ScrollTo(true, scPosition, v);
  s.View.PaintTo(s.Host.Bitmap.Canvas());
  const std::vector<uint32_t> after = Pixels(s.Host.Bitmap);
  for (int y = 0; y < 250; ++y)
    for (int x = 0; x < 700; x += 7) ASSERT_EQ(after[static_cast<size_t>(y * 800 + x)], before[static_cast<size_t>(y * 800 + x)]) << x << "," << y;
}

// Raises the notes of a measure and lays the score out again from a page,
// as an edit there does.
void RaiseNotes(TViewScore& s, int measure, int fromPage) {
  for (TQSItem* item : s.Measure(measure)->Items)
    if (item->ItemType == kind::Note) static_cast<TQSNote*>(item)->Fields.Pitch = 0x54;
  s.Score.BeginUpdate();
  s.Score.Recalculate(fromPage);
  s.Score.RefreshWindowsFrom(fromPage);
  s.Score.EndUpdate();
}

// An edit laid out again from a page paints that page and the ones after
// it anew and shows the pages before it as they were painted, which is
// what painting every page anew shows; rulers and page buttons repainted
// change no page.
TEST(ViewPainting, AnEditRepaintsFromItsFirstChangedPage) {
  TViewScore s({1}, 120);
  for (int m = 0; m < 120; ++m) s.Quarters(s.Measure(m));
  s.Show(true);
  ASSERT_GE(s.Score.LaidOutPages, 2);
  int v = 300;  // the lower part of page 1 and the upper part of page 2
  s.View.ScrollTo(true, scPosition, v);
  TCanvas& screen = s.Host.Bitmap.Canvas();
  s.View.PaintTo(screen);
  ASSERT_TRUE(s.View.HasPageImage(0) && s.View.HasPageImage(1));
  s.View.InvalidateRulers();
  s.View.InvalidateButtonBar();
  EXPECT_TRUE(s.View.HasPageImage(0) && s.View.HasPageImage(1));
  const std::vector<uint32_t> before = Pixels(s.Host.Bitmap);

  int m = 0;
  while (m < 119 && s.Piece->MeasurePage(m) < 1) ++m;
  RaiseNotes(s, m, 1);
  EXPECT_TRUE(s.View.HasPageImage(0));
  EXPECT_FALSE(s.View.HasPageImage(1));
  s.View.PaintTo(screen);
  const std::vector<uint32_t> edited = Pixels(s.Host.Bitmap);
  EXPECT_GT(Differences(before, edited), 10);

  s.View.InvalidatePages();
  EXPECT_FALSE(s.View.HasPageImage(0));
  s.View.PaintTo(screen);
  EXPECT_EQ(Differences(edited, Pixels(s.Host.Bitmap)), 0);
}

// An edit low on a page paints only the band of that page where its
// drawing changed, over the image painted before; the page then shows what
// painting it anew shows, and so do the pages after it.
TEST(ViewPainting, AnEditPaintsOnlyTheBandOfThePageThatChanged) {
  TViewScore s({1}, 120);
  for (int m = 0; m < 120; ++m) s.Quarters(s.Measure(m));
  s.Show(true);
  ASSERT_GE(s.Score.LaidOutPages, 2);
  TCanvas& screen = s.Host.Bitmap.Canvas();
  s.View.PaintTo(screen);
  ASSERT_TRUE(s.View.HasPageImage(0));
  const int height = s.View.Geometry().PagePixelRect().Height();
  const std::vector<uint32_t> before = Pixels(s.Host.Bitmap);

  // The last measure of page 1.
  int m = 0;
  while (m < 119 && s.Piece->MeasurePage(m + 1) < 1) ++m;
  RaiseNotes(s, m, 0);
  EXPECT_FALSE(s.View.HasPageImage(0));
  const long long rows = s.View.PageRowsPainted();
  s.View.PaintTo(screen);
  const long long painted = s.View.PageRowsPainted() - rows;
  const std::vector<uint32_t> edited = Pixels(s.Host.Bitmap);
  EXPECT_GT(Differences(before, edited), 10);
  EXPECT_GT(painted, 0);
  EXPECT_LT(painted, height / 2) << "rows of page 1 painted again";

  s.View.InvalidatePages();
  s.View.PaintTo(screen);
  EXPECT_EQ(Differences(edited, Pixels(s.Host.Bitmap)), 0);
}

// An incomplete last row of pages ends in grey; no page is painted over.
TEST(ViewPainting, AShortLastRowEndsInGrey) {
  TViewScore s;
  s.Score.PageCount = 3;
  s.Show();
  s.View.SetPagePerHorz(2);
  int v = 1000;
  s.View.ScrollTo(true, scPosition, v);
  ASSERT_EQ(v, 1248 - 682);  // the second row's top at y 58
  s.View.PaintTo(s.Host.Bitmap.Canvas());
  const TBitmap& b = s.Host.Bitmap;
  EXPECT_EQ(b.Pixel(200, 68), clWhite);   // page 3's margin
  EXPECT_EQ(b.Pixel(479, 300), clBlack);  // its right edge
  EXPECT_EQ(b.Pixel(600, 68), clGray);    // where a fourth page would be
  EXPECT_EQ(b.Pixel(600, 660), clGray);
  EXPECT_EQ(b.Pixel(600, 30), clWhite);   // the first row's second page above it
}

// On a new view the first hide/show pair brings the cursor onto the
// screen; hiding it again restores every pixel.
TEST(ViewPainting, TheXorCursorHiddenAndShownRestoresThePixels) {
  TPaintScore s;
  TQSWindow& v = s.View;
  // The first paint hid and showed the cursor around the copy: drawn once.
  EXPECT_EQ(v.CursorCounter, 0);
  const std::vector<uint32_t> shown = Pixels(s.Host.Bitmap);
  v.ShowCursor(false);
  EXPECT_EQ(v.CursorCounter, -1);
  const std::vector<uint32_t> hidden = Pixels(s.Host.Bitmap);
  EXPECT_GT(Differences(shown, hidden), 10);
  // Nested: two hides and one show leave it hidden; the second show draws it.
  v.ShowCursor(false);
  v.ShowCursor(true);
  EXPECT_EQ(Pixels(s.Host.Bitmap), hidden);
  v.ShowCursor(true);
  EXPECT_EQ(Pixels(s.Host.Bitmap), shown);
  // Repainting removes and redraws it: the counter and the pixels stay.
  v.PaintTo(s.Host.Bitmap.Canvas());
  EXPECT_EQ(v.CursorCounter, 0);
  EXPECT_EQ(Pixels(s.Host.Bitmap), shown);
}

TEST(ViewPainting, TheCounterOfANeverDrawnCursor) {
  TViewScore s;
  s.Show();
  TQSWindow& v = s.View;
  ASSERT_EQ(v.CursorCounter, 9999);
  const std::vector<uint32_t> blank = Pixels(s.Host.Bitmap);
  v.ShowCursor(true);
  EXPECT_EQ(v.CursorCounter, 10000);
  v.ShowCursor(false);
  EXPECT_EQ(v.CursorCounter, 9999);
  EXPECT_EQ(Pixels(s.Host.Bitmap), blank);
  v.ShowCursor(false);
  EXPECT_EQ(v.CursorCounter, -1);
  v.ShowCursor(true);
  EXPECT_EQ(v.CursorCounter, 0);
  EXPECT_NE(Pixels(s.Host.Bitmap), blank);
}

// With one voice the stroke spans the staff; with two it moves one staff
// space up for voice 0 and down for voice 1.
TEST(ViewPainting, TheCursorStrokeFollowsTheVoice) {
  struct TCase {
    int voices, voice, shift;
  };
  for (const TCase& c : {TCase{1, 0, 0}, TCase{2, 0, -6}, TCase{2, 1, 6}}) {
    TViewScore s;
    if (c.voices == 2) s.Piece->GetPart(0)->GetStaff(0)->NewVoice();
    s.Show();
    s.View.CursorPosition.Voice = c.voice;
    s.View.SetCursorLine(90);  // the pitch marker well above the staff
    const int x = s.TickX(0, 0);
    const int top = s.Client(0, s.Row(0, 0).Top).Y, bottom = s.Client(0, s.Row(0, 0).Bottom).Y;
    const TBitmap& b = s.Host.Bitmap;
    const std::vector<uint32_t> before = Pixels(b);
    auto changed = [&](int y) { return b.Pixel(x, y) != before[static_cast<size_t>(y * b.Width() + x)]; };
    s.View.FocusChanged(true);  // never drawn: the hide/show pair draws it
    EXPECT_TRUE(changed(top + c.shift + 1)) << c.voices << c.voice;
    EXPECT_TRUE(changed(bottom + c.shift - 2)) << c.voices << c.voice;
    EXPECT_FALSE(changed(top + c.shift - 3)) << c.voices << c.voice;
    EXPECT_FALSE(changed(bottom + c.shift + 3)) << c.voices << c.voice;
  }
}

TEST(ViewPainting, PageButtonsFollowTheCursorsPage) {
  struct TCase {
    int pages, page;
    std::array<bool, 8> enabled;  // index 1-7
  };
  const TCase cases[] = {
      {1, 0, {false, false, false, false, false, false, true, true}},
      {3, 0, {false, false, false, true, true, true, true, true}},
      {3, 1, {false, true, true, true, true, true, true, true}},
      {3, 2, {false, true, true, true, false, false, true, true}},
  };
  for (const TCase& c : cases) {
    TViewScore s;
    s.Score.PageCount = c.pages;
    s.Show();
    s.View.GotoPage(c.page);
    s.View.UpdatePageButtons();
    for (int i = 1; i <= 7; ++i)
      EXPECT_EQ(s.View.ButtonEnabled[static_cast<size_t>(i)], c.enabled[static_cast<size_t>(i)])
          << c.pages << " " << c.page << " button " << i;
  }
}

}  // namespace
}  // namespace qs::test
