#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "drawing_helpers.h"
#include "platform/canvasutil.h"
#include "platform/drawdevice.h"
#include "platform/qtfontengine.h"
#include "platform/fonts.h"

using namespace qs;

namespace {

class TextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qs::testing::FixScreen();
    canvas = CreateScreenCanvas();
  }
  TFont& Font(const char* name, int size, TFontStyles style = 0) {
    canvas->Font().Name = name;
    canvas->Font().SetSize(size);
    canvas->Font().Style = style;
    return canvas->Font();
  }
  std::unique_ptr<TCanvas> canvas;
};

TEST_F(TextTest, FacesResolveToTheInstalledStandIns) {
  struct {
    const char* Face;
    TFontStyles Style;
    const char* Family;
    const char* FileEnd;
  } cases[] = {
      {"Arial", 0, "Liberation Sans", "LiberationSans-Regular.ttf"},
      {"arial", fsBold | fsItalic, "Liberation Sans", "LiberationSans-BoldItalic.ttf"},
      {"Times New Roman", fsItalic, "Liberation Serif", "LiberationSerif-Italic.ttf"},
      {"MS Sans Serif", 0, "Liberation Sans", "LiberationSans-Regular.ttf"},
      {"Monotype Corsiva", 0, "Liberation Serif", "LiberationSerif-Italic.ttf"},
      {"No Such Face At All", fsBold, "Liberation Sans", "LiberationSans-Bold.ttf"},
  };
  for (const auto& c : cases) {
    TFontSource src = ResolveFont(Font(c.Face, 10, c.Style));
    EXPECT_EQ(src.Family, c.Family) << c.Face;
    EXPECT_TRUE(src.File.ends_with(c.FileEnd)) << c.Face << ": " << src.File;
  }
}

// A text wider than an int can say (a damaged file's) measures as the
// widest there is instead of wrapping over to a negative width.
TEST_F(TextTest, WidthsSaturate) {
  const std::u16string text(20000, u'W');
  Font("Arial", 100000);
  EXPECT_EQ(canvas->TextWidth(text), INT32_MAX);
  EXPECT_EQ(LayoutText(canvas->Font(), text).Width, INT32_MAX);
  Font("Arial", 10);
  EXPECT_EQ(canvas->TextWidth(text), 20000 * canvas->TextWidth(u"W"));
}

// Widths come from design advances scaled to the whole-pixel em, so these
// hold on every machine.
TEST_F(TextTest, WidthsAtTheScreenResolutionArePinned) {
  Font("Arial", 10);
  EXPECT_EQ(canvas->Font().Height, -13);
  EXPECT_EQ(canvas->TextWidth(u"A"), 9);
  EXPECT_EQ(canvas->TextWidth(u"Quillstave"), 58);
  TTextMetric m = canvas->GetTextMetrics();
  EXPECT_EQ(m.Ascent, 12);
  EXPECT_EQ(m.Descent, 3);
  EXPECT_EQ(m.Height, 15);
  EXPECT_EQ(canvas->TextHeight(u"A"), 15);

  // Measured at eight times the point size, as the layout does: a 16-point
  // text becomes a 128-point font of em 171 pixels.
  Font("Arial", 128);
  EXPECT_EQ(canvas->Font().Height, -171);
  EXPECT_EQ(canvas->TextWidth(u"A"), 114);
  EXPECT_EQ(canvas->TextWidth(u"Quillstave"), 752);
  m = canvas->GetTextMetrics();
  EXPECT_EQ(m.Ascent, 155);
  EXPECT_EQ(m.Descent, 36);

  Font("Times New Roman", 80, fsBold);
  EXPECT_EQ(canvas->TextWidth(u"4"), 54);  // 1024 units x 107 / 2048 = 53.5
}

TEST_F(TextTest, EightTimesThePointSizeMeasuresTheSameEveryTime) {
  const std::u16string text = u"Allegro ma non troppo, 3/4";
  for (const char* face : {"Arial", "Times New Roman", "Monotype Corsiva"}) {
    for (int size : {40, 64, 72, 80, 128}) {
      Font(face, size);
      int first = canvas->TextWidth(text);
      auto other = CreateScreenCanvas();
      other->Font() = canvas->Font();
      EXPECT_EQ(other->TextWidth(text), first) << face << " " << size;
      int sum = 0;
      for (char16_t ch : text) sum += canvas->TextWidth(std::u16string(1, ch));
      EXPECT_EQ(first, sum) << face << " " << size;
    }
  }
}

TEST_F(TextTest, ExplicitWidthAndCellHeight) {
  TFont& f = Font("Arial", 10);
  int normal = canvas->TextWidth(u"MMMMMMMMMM");
  int avg = canvas->GetTextMetrics().AveCharWidth;
  f.Width = 2 * avg;
  EXPECT_NEAR(canvas->TextWidth(u"MMMMMMMMMM"), 2 * normal, 10);
  EXPECT_EQ(canvas->GetTextMetrics().Height, 15);  // the height stays
  f.Width = 0;
  f.Height = 40;  // a cell height
  TTextMetric m = canvas->GetTextMetrics();
  EXPECT_EQ(m.Height, 40);
  EXPECT_EQ(m.Ascent + m.Descent, 40);
  EXPECT_GT(m.InternalLeading, 0);
}

TEST_F(TextTest, SizeAndHeightFollowTheFontsOwnResolution) {
  TFont f;
  f.PixelsPerInch = 600;
  f.SetSize(16);
  EXPECT_EQ(f.Height, -133);
  EXPECT_EQ(f.Size(), 16);
  TFont rotated = CreateRotatedFont(f, 45);
  EXPECT_EQ(rotated.Height, -133);
  EXPECT_EQ(rotated.Quality, 0);
  EXPECT_EQ(rotated.Charset, 1);
}

TEST_F(TextTest, WrapTextToWidth) {
  Font("Arial", 10);
  TStringList lines;
  WrapTextToWidth(*canvas, "Fits easily", 500, lines);
  EXPECT_EQ(lines, (TStringList{"Fits easily"}));

  int word = canvas->TextWidth(u"abc") + 1;
  WrapTextToWidth(*canvas, "abc def ghi", word, lines);
  EXPECT_EQ(lines, (TStringList{"abc", "def", "ghi"}));

  WrapTextToWidth(*canvas, "Unbreakablewordthatistoowide", 20, lines);
  EXPECT_EQ(lines, (TStringList{"Unbreakablewordthatistoowide"}));

  // No break within the width: the line runs on to the next one after it.
  WrapTextToWidth(*canvas, "abcdefgh,ij kl", canvas->TextWidth(u"abc"), lines);
  EXPECT_EQ(lines, (TStringList{"abcdefgh,", "ij kl"}));

  // Breaks after ")" and ";" too, and the break character stays on its line.
  WrapTextToWidth(*canvas, "(a)b;c", canvas->TextWidth(u"(a)"), lines);
  EXPECT_EQ(lines, (TStringList{"(a)", "b;", "c"}));

  WrapTextToWidth(*canvas, "", 10, lines);
  EXPECT_TRUE(lines.Empty());
}

}  // namespace
