#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "base/exceptions.h"
#include "score/helpers.h"
#include "score/metrix.h"

using namespace qs;

TEST(Labels, RomanAndLetters) {
  const struct {
    int n;
    const char* roman;
    const char* letters;
  } cases[] = {
      {0, "", "A"},          {9, "IX", "J"},           {10, "X", "K"},
      {14, "XIV", "O"},      {25, "XXV", "Z"},         {26, "XXVI", "AA"},
      {27, "XXVII", "AB"},   {40, "XXXX", "AO"},       {99, "XXXXXXXXXIX", "CV"},
      {701, "", "ZZ"},       {702, "", "AAA"},         {-1, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.n);
    if (c.n < 100) {
      EXPECT_EQ(IntToRoman(c.n), c.roman);
    }
    EXPECT_EQ(IntToLetters(c.n), c.letters);
  }
  EXPECT_EQ(IntToRoman(123), std::string(12, 'X') + "III");  // L, C and M are never used
}

TEST(Rects, NormalizeAndBounds) {
  const TRect r = Rect(100, 100, 40, 20);
  EXPECT_EQ(NormalizeRect(r), Rect(40, 20, 100, 100));
  EXPECT_EQ(RectToBounds(r), Rect(40, 20, 60, 80));
  EXPECT_EQ(RectToBounds(Rect(-5, 3, 5, 1)), Rect(-5, 1, 10, 2));
}

TEST(PlayTime, HoursMinutesSeconds) {
  EXPECT_EQ(MsToTimeStr(3723000), "01:02:03");
  EXPECT_EQ(MsToTimeStr(90000000), "25:00:00");  // not wrapped at 24 hours
  EXPECT_EQ(MsToTimeStr(0), "00:00:00");
  EXPECT_EQ(MsToTimeStr(59999), "00:00:59");
  EXPECT_EQ(MsToTimeStr(int64_t(100) * 3600000), "100:00:00");
}

TEST(Metrix, Conversions) {
  const int saved = ScreenPixelsPerInch();
  SetScreenPixelsPerInch(96);
  EXPECT_DOUBLE_EQ(static_cast<double>(TenthsToMetrix(TQSMetrix::rmMM, 2100)), 210.0);
  EXPECT_NEAR(static_cast<double>(TenthsToMetrix(TQSMetrix::rmInches, 2100)), 8.267716535, 1e-9);
  EXPECT_NEAR(static_cast<double>(TenthsToMetrix(TQSMetrix::rmPixels, 2100)), 793.700787, 1e-6);
  for (TQSMetrix m : {TQSMetrix::rmMM, TQSMetrix::rmInches, TQSMetrix::rmPixels})
    EXPECT_NEAR(static_cast<double>(MetrixToTenths(m, TenthsToMetrix(m, 1234.5L))), 1234.5, 1e-12);
  SetScreenPixelsPerInch(0);  // ignored: no division by zero later
  EXPECT_EQ(ScreenPixelsPerInch(), 96);
  SetScreenPixelsPerInch(120);
  EXPECT_NEAR(static_cast<double>(TenthsToMetrix(TQSMetrix::rmPixels, 254)), 120.0, 1e-12);
  SetScreenPixelsPerInch(saved);
}

class TempNames : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/qs_tempnames_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = std::string(pattern) + "/";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string dir_;
};

TEST_F(TempNames, CreatesAFreeNameExclusively) {
  std::string a = MakeTempFileName(dir_, ".tmp");
  std::string b = MakeUniqueFileName(dir_, ".tmp");
  ASSERT_EQ(a.rfind("md", 0), 0u);
  int n = std::stoi(a.substr(2));
  EXPECT_TRUE(n >= 0 && n <= 99);
  EXPECT_NE(a, b);  // the first one is taken now
  EXPECT_TRUE(std::filesystem::exists(dir_ + a + ".tmp"));
  EXPECT_TRUE(std::filesystem::exists(dir_ + b + ".tmp"));
}

TEST_F(TempNames, AllNamesTakenRaisesInsteadOfSearchingForever) {
  for (int i = 0; i < 99; ++i) std::ofstream(dir_ + "md" + std::to_string(i) + ".tmp");
  EXPECT_EQ(MakeTempFileName(dir_, ".tmp"), "md99");  // the only one left
  try {
    MakeTempFileName(dir_, ".tmp");
    FAIL() << "no error";
  } catch (const EFCreateError& e) {
    EXPECT_NE(std::string(e.what()).find(dir_), std::string::npos);
  }
  // Another extension is still free.
  EXPECT_NO_THROW(MakeTempFileName(dir_, ".bak"));
  EXPECT_THROW(MakeTempFileName(dir_ + "missing/", ".tmp"), EFCreateError);
}
