#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "base/exceptions.h"
#include "score/page.h"
#include "score/test_support.h"

using namespace qs;
using qs::test::TBytes;

namespace {

class TScoreSpy : public TQSPageOwner {
 public:
  int Recalcs = 0, Rulers = 0, Windows = 0;
  void Recalculate(int fromPage, int unused) override {
    EXPECT_EQ(fromPage, 0);
    EXPECT_EQ(unused, -1);
    ++Recalcs;
  }
  void RefreshWindowRulers() override { ++Rulers; }
  void RefreshWindows() override { ++Windows; }
  void Reset() { Recalcs = Rulers = Windows = 0; }
  bool Counts(int recalcs, int rulers, int windows) const {
    return Recalcs == recalcs && Rulers == rulers && Windows == windows;
  }
};

class PageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedPpi_ = ScreenPixelsPerInch();
    SetScreenPixelsPerInch(96);
  }
  void TearDown() override { SetScreenPixelsPerInch(savedPpi_); }
  double Tenths(const TQSPage& p, int index) { return static_cast<double>(p.Tenths(index).Value()); }

  TScoreSpy spy;
  TQSPage page{&spy};
  int savedPpi_ = 96;
};

}  // namespace

TEST_F(PageTest, Defaults) {
  const double expected[] = {1000, 800, 100, 100, 100, 100, 120, 15.875};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(Tenths(page, i), expected[i]) << i;
  EXPECT_EQ(page.GetDimension(8), 0);
  EXPECT_EQ(page.GetDimension(-1), 0);
  EXPECT_DOUBLE_EQ(static_cast<double>(page.Width()), 100.0);  // mm
  EXPECT_EQ(page.Color(), 0xFFFFFFu);
  EXPECT_EQ(page.Brush().Style(), TQSBrushStyle::bsSolid);
  EXPECT_TRUE(page.Picture().Empty());
  EXPECT_EQ(page.PaperSize(), TQSPaperSize::Custom);
  EXPECT_EQ(page.Orientation(), TQSOrientation::poPortrait);
  EXPECT_EQ(page.Metrix(), TQSMetrix::rmMM);
}

TEST_F(PageTest, PaperSizesFollowTheOrientation) {
  page.SetPaperSize(TQSPaperSize::A4);
  EXPECT_EQ(Tenths(page, TQSPage::dWidth), 2100);
  EXPECT_EQ(Tenths(page, TQSPage::dHeight), 2970);
  EXPECT_DOUBLE_EQ(static_cast<double>(page.Height()), 297.0);
  EXPECT_TRUE(spy.Counts(1, 1, 1));

  page.SetOrientation(TQSOrientation::poLandscape);
  EXPECT_EQ(Tenths(page, TQSPage::dWidth), 2970);
  page.SetPaperSize(TQSPaperSize::Letter);  // landscape: swapped
  EXPECT_NEAR(Tenths(page, TQSPage::dWidth), 2794, 1e-9);
  EXPECT_NEAR(Tenths(page, TQSPage::dHeight), 2159, 1e-9);
  page.SetOrientation(TQSOrientation::poPortrait);
  EXPECT_NEAR(Tenths(page, TQSPage::dWidth), 2159, 1e-9);

  // Default and Custom keep the lengths.
  page.SetPaperSize(TQSPaperSize::Custom);
  EXPECT_NEAR(Tenths(page, TQSPage::dWidth), 2159, 1e-9);
  long double w, h;
  EXPECT_FALSE(PaperSizeMM(TQSPaperSize::Default, w, h));
  ASSERT_TRUE(PaperSizeMM(TQSPaperSize::Env9, w, h));
  EXPECT_DOUBLE_EQ(static_cast<double>(w), 98.43);
}

TEST_F(PageTest, OrientationTwiceRestoresTheSize) {
  page.SetPaperSize(TQSPaperSize::Env10);
  TQSPage::TFields before = page.Fields;
  page.SetOrientation(TQSOrientation::poLandscape);
  page.SetOrientation(TQSOrientation::poLandscape);  // unchanged: nothing happens
  page.SetOrientation(TQSOrientation::poPortrait);
  EXPECT_TRUE(page.Fields.Width.SameBits(before.Width));
  EXPECT_TRUE(page.Fields.Height.SameBits(before.Height));
}

TEST_F(PageTest, WidthAndHeightChangeOnlyForCustomPaper) {
  page.SetPaperSize(TQSPaperSize::A4);
  spy.Reset();
  page.SetWidth(300);
  page.SetHeight(300);
  EXPECT_EQ(Tenths(page, TQSPage::dWidth), 2100);
  EXPECT_TRUE(spy.Counts(0, 0, 0));
  page.SetLeftMargin(15);  // margins are always stored
  EXPECT_EQ(Tenths(page, TQSPage::dLeftMargin), 150);
  EXPECT_TRUE(spy.Counts(1, 0, 1));

  page.SetPaperSize(TQSPaperSize::Custom);
  page.SetWidth(300);
  EXPECT_EQ(Tenths(page, TQSPage::dWidth), 3000);
  spy.Reset();
  page.SetWidth(300);  // the same value: no layout
  page.SetDimension(8, 5);
  EXPECT_TRUE(spy.Counts(0, 0, 0));
}

TEST_F(PageTest, LengthsInOtherUnits) {
  page.SetPaperSize(TQSPaperSize::A4);
  page.SetMetrix(TQSMetrix::rmInches);
  EXPECT_NEAR(static_cast<double>(page.Width()), 2100.0 / 254, 1e-12);
  page.SetMetrix(TQSMetrix::rmPixels);
  EXPECT_NEAR(static_cast<double>(page.Width()), 793.7007874, 1e-6);
  EXPECT_EQ(page.PixelWidth(), 794);
  EXPECT_EQ(page.PixelHeight(), 1123);  // 2970 / (254 / 96) = 1122.5197
  page.SetTopMargin(96);                // one inch in pixels
  EXPECT_NEAR(Tenths(page, TQSPage::dTopMargin), 254, 1e-12);

  spy.Reset();
  page.SwitchMetrix(TQSMetrix::rmMM);
  EXPECT_EQ(page.Metrix(), TQSMetrix::rmMM);
  page.RestoreMetrix();
  EXPECT_EQ(page.Metrix(), TQSMetrix::rmPixels);
  EXPECT_TRUE(spy.Counts(0, 0, 0));
  page.SetMetrix(TQSMetrix::rmMM);
  EXPECT_TRUE(spy.Counts(0, 1, 0));
}

TEST_F(PageTest, HugeLengthIsLimitedToItsOwnField) {
  page.SetBottomMargin(20000);  // 200,000 tenths
  EXPECT_EQ(Tenths(page, TQSPage::dBottomMargin), 100000);
  EXPECT_EQ(Tenths(page, TQSPage::dWidth), 1000);  // the paper width is left alone
  page.SetWidth(1e30L);
  EXPECT_EQ(Tenths(page, TQSPage::dWidth), 100000);
}

// Lengths read from a file are whatever the file holds: the pixel sizes
// stay within a sound range and a value that is no number gives 0.
TEST_F(PageTest, PixelSizesOfLengthsNoPageHas) {
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  const struct {
    long double Tenths;
    int Pixels;
  } cases[] = {{1e30L, 1000000}, {-1e30L, -1000000}, {nan, 0}, {2100, 794}};
  for (const auto& c : cases) {
    page.Fields.Width = c.Tenths;
    page.Fields.Height = c.Tenths;
    EXPECT_EQ(page.PixelWidth(), c.Pixels) << static_cast<double>(c.Tenths);
    EXPECT_EQ(page.PixelHeight(), c.Pixels) << static_cast<double>(c.Tenths);
  }
}

TEST_F(PageTest, ChangesNotifyTheScore) {
  page.SetColor(0xFFFFFF);  // unchanged
  EXPECT_TRUE(spy.Counts(0, 0, 0));
  page.SetColor(0x00F0F0);
  EXPECT_TRUE(spy.Counts(0, 0, 1));
  page.Brush().SetStyle(TQSBrushStyle::bsCross);
  EXPECT_TRUE(spy.Counts(0, 0, 2));
  page.Picture().LoadFromBytes(TQSGraphicType::Bitmap, {'B', 'M'});
  EXPECT_TRUE(spy.Counts(0, 0, 3));

  TQSPage alone;  // no score: the setters only store
  alone.SetOrientation(TQSOrientation::poLandscape);
  alone.SetPaperSize(TQSPaperSize::A5);
  alone.SetMetrix(TQSMetrix::rmInches);
  alone.SetColor(1);
  EXPECT_EQ(alone.Fields.Width.Value(), 2100);
}

TEST_F(PageTest, AssignCopiesEverything) {
  TQSPage src;
  src.SetColor(0x123456);
  src.Brush().SetColor(0x654321);
  src.Picture().LoadFromBytes(TQSGraphicType::Gif, {1, 2, 3});
  src.SetPaperSize(TQSPaperSize::B5);
  src.SetOrientation(TQSOrientation::poLandscape);
  src.SetMetrix(TQSMetrix::rmInches);
  src.SetInterval(1);
  page.Assign(src);
  EXPECT_EQ(page.Color(), 0x123456u);
  EXPECT_EQ(page.Brush().Color(), 0x654321u);
  EXPECT_EQ(page.Picture().Data(), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(page.PaperSize(), TQSPaperSize::B5);
  EXPECT_EQ(page.Orientation(), TQSOrientation::poLandscape);
  EXPECT_EQ(page.Metrix(), TQSMetrix::rmInches);
  EXPECT_EQ(Tenths(page, TQSPage::dInterval), 254);
  EXPECT_EQ(Tenths(page, TQSPage::dWidth), 2570);
  EXPECT_EQ(spy.Recalcs, 1);
  EXPECT_EQ(spy.Rulers, 1);

  TQSBrush brush;
  try {
    page.Assign(brush);
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TQSBrush to a TQSPage");
  }
}

TEST_F(PageTest, RecordLayout) {
  page.SetPaperSize(TQSPaperSize::A4);
  page.SetTopMargin(11);
  page.SetLeftMargin(22);
  page.SetOrientation(TQSOrientation::poLandscape);
  page.SetMetrix(TQSMetrix::rmPixels);
  page.SetColor(0x00C0FFEE);
  TMemoryStream s;
  page.SaveToStream(s);
  ASSERT_EQ(s.Size(), 140);
  const uint8_t* d = s.Memory();
  EXPECT_EQ(std::vector<uint8_t>(d, d + 8), TBytes().I32(136).U16(1).U16(132).Get());
  const uint8_t* block = d + 8;
  EXPECT_EQ(std::vector<uint8_t>(block, block + 4), TBytes().U32(0x00C0FFEE).Get());
  auto ext = [&](int at) {
    std::array<uint8_t, 10> b;
    std::memcpy(b.data(), block + at, 10);
    return static_cast<double>(Extended::FromBytes(b).Value());
  };
  EXPECT_EQ(ext(4), 2970);
  EXPECT_EQ(ext(20), 2100);
  EXPECT_EQ(ext(36), 110);  // top before left
  EXPECT_EQ(ext(52), 220);
  EXPECT_EQ(ext(116), 15.875);
  EXPECT_EQ(std::vector<uint8_t>(block + 14, block + 20), std::vector<uint8_t>(6, 0));
  EXPECT_EQ(block[126], 1);
  EXPECT_EQ(block[127], static_cast<uint8_t>(TQSPaperSize::A4));
  EXPECT_EQ(block[128], 2);
}

TEST_F(PageTest, RecordRoundTripIsBitExact) {
  // Odd extended values (a NaN payload, a denormal, an unnormal), non-zero
  // padding, out-of-range enumeration bytes and a longer block all survive.
  TBytes block;
  block.U32(0x01020304);
  for (int i = 0; i < 7; ++i) {
    block.Raw({uint8_t(0x11 * i), 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, uint8_t(i & 1 ? 0x88 : 0x08), 0xFF, 0x7F});
    block.Fill(6, uint8_t(0xA0 + i));
  }
  block.Raw({1, 0, 0, 0, 0, 0, 0, 0, 0, 0});  // a denormal line spacing
  block.U8(7).U8(200).U8(9).U8(1).U8(2).U8(3).U8(0xEE).U8(0xEF);
  TBytes record;
  record.Record(TBytes().U16(1).U16(134).Raw(block.Get()));
  TMemoryStream in = record.Stream();
  page.LoadFromStream(in);
  EXPECT_TRUE(spy.Counts(0, 0, 0));  // loading notifies nothing
  EXPECT_EQ(page.Metrix(), TQSMetrix::rmMM);
  EXPECT_EQ(page.PaperSize(), TQSPaperSize::Custom);
  EXPECT_EQ(page.Orientation(), TQSOrientation::poPortrait);
  TMemoryStream out;
  page.SaveToStream(out);
  EXPECT_EQ(out.Bytes(), record.Get());
}

TEST_F(PageTest, ShortOrDamagedRecords) {
  // A 4-byte block sets the colour only.
  TMemoryStream shortBlock = TBytes().Record(TBytes().U16(1).U16(4).U32(0xABCDEF)).Stream();
  page.LoadFromStream(shortBlock);
  EXPECT_EQ(page.Color(), 0xABCDEFu);
  EXPECT_EQ(Tenths(page, TQSPage::dWidth), 1000);

  // A block size larger than the record changes nothing (though the
  // stream holds enough bytes after it); the next record is read.
  TBytes next = TBytes().Record(TBytes().U16(1).U16(4).U32(0x111111));
  TMemoryStream damaged =
      TBytes().Record(TBytes().U16(1).U16(132).U32(0x222222)).Raw(next.Get()).Fill(200, 0x33).Stream();
  page.LoadFromStream(damaged);
  EXPECT_EQ(page.Color(), 0xABCDEFu);
  page.LoadFromStream(damaged);
  EXPECT_EQ(page.Color(), 0x111111u);
}
