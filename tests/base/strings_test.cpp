#include <gtest/gtest.h>

#include "base/strings.h"

using namespace qs;

TEST(Strings, TakeIntFieldTakesTheFieldOrLeavesTheText) {
  struct { const char* in; int value; const char* rest; } cases[] = {
      {"12,34", 12, "34"}, {"x,34", 7, "34"}, {"12", 7, "12"}, {",5", 7, "5"}};
  for (auto c : cases) {
    std::string s = c.in;
    EXPECT_EQ(TakeIntField(',', s, 7), c.value) << c.in;
    EXPECT_EQ(s, c.rest) << c.in;
  }
  std::string s = "a;b", f;
  TakeStrField(';', s, "d", f);
  EXPECT_EQ(f, "a");
  EXPECT_EQ(s, "b");
  TakeStrField(';', s, "d", f);
  EXPECT_EQ(f, "d");
  EXPECT_EQ(s, "b");
}

TEST(Strings, IntegerConversion) {
  EXPECT_EQ(StrToIntSafe(" -42", 0), -42);
  EXPECT_EQ(StrToIntSafe("$FF", 0), 255);
  EXPECT_EQ(StrToIntSafe("12a", -1), -1);
  EXPECT_EQ(StrToIntSafe("", -1), -1);
  EXPECT_EQ(StrToIntSafe("99999999999", -1), -1);
  EXPECT_EQ(StrToIntSafe("2147483647", 0), 2147483647);
}

TEST(Strings, ListTextAndValues) {
  TStringList l;
  l.SetText("a=1\r\nB=2\nc\rd");
  ASSERT_EQ(l.Count(), 4);
  EXPECT_EQ(l.Values("b"), "2");
  EXPECT_EQ(l.IndexOf("C"), 2);
  l.SetValue("a", "9");
  EXPECT_EQ(l[0], "a=9");
  EXPECT_EQ(l.Text(), "a=9\nB=2\nc\nd\n");
}
