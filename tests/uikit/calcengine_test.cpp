// The calculator engine: key sequences as a user types them, the text it
// shows after each, and the error state that only "C" and Esc leave.
#include <gtest/gtest.h>

#include <string>

#include "uikit/calcengine.h"
#include "uikit/localeformats.h"

namespace qs {
namespace {

std::string Type(TECCalculatorEngine& calc, const std::string& keys) {
  for (char k : keys) calc.CalcKey(k);
  return calc.Text();
}

struct TKeyCase {
  const char* keys;
  const char* shown;
};

TEST(CalculatorEngine, KeySequencesShowTheirResults) {
  const TKeyCase cases[] = {
      {"2+3+", "5"},          // the pending sum is shown at the next operator
      {"2+3+4=", "9"},
      {"2+3*4=", "20"},       // operators apply left to right, no precedence
      {"200+10%", "220"},     // percent of the left operand
      {"200-10%", "180"},
      {"50*10%", "5"},
      {"50/10%", "500"},
      {"7-9=", "-2"},
      {"1/4=", "0.25"},
      {"2=5", "5"},           // a result is not extended by the next digit
      {"0005", "5"},
      {"1.5.2", "1.52"},      // a second separator is ignored
      {".5", "0.5"},
      {"12\b", "1"},
      {"5_\b", "0"},          // backspace on "-5"
      {"5_", "-5"},
      {"0_", "0"},            // no "-0" that digits would then extend
      {"9Q", "3"},
      {"4R", "0.25"},
      {"4q", "2"},            // typed lower case still works
      {"12+3C", "0"},
      {"12+3\x1b", "0"},
      {"3*4\r", "12"},
  };
  for (const TKeyCase& c : cases) {
    TECCalculatorEngine calc;
    EXPECT_EQ(Type(calc, c.keys), c.shown) << "keys " << c.keys;
  }
}

TEST(CalculatorEngine, ErrorsBlockKeysUntilCleared) {
  // A product beyond the range of numbers is an error too.
  std::string overflow;
  for (int i = 0; i < 21; ++i) overflow += "999999999999999*";
  for (const std::string& keys : {std::string("1/0="), std::string("4_Q"), std::string("0R"), overflow}) {
    TECCalculatorEngine calc;
    calc.SetBeepOnError(false);
    int errors = 0;
    calc.OnError = [&] { ++errors; };
    EXPECT_EQ(Type(calc, keys), "Error") << keys;
    EXPECT_EQ(calc.Status(), TCalcState::Error);
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(calc.GetDisplay(), 0);
    EXPECT_EQ(Type(calc, "5+_\b"), "Error") << keys;
    calc.MemoryStore();
    EXPECT_EQ(calc.Memory(), 0);
    EXPECT_FALSE(calc.Ok());
    EXPECT_EQ(Type(calc, "C"), "0");
    EXPECT_EQ(Type(calc, "5"), "5");
  }
}

TEST(CalculatorEngine, DigitsStopAtThePrecision) {
  TECCalculatorEngine calc;
  calc.SetBeepOnError(false);
  EXPECT_EQ(Type(calc, "1234567890123456789"), "123456789012345");
  TECCalculatorEngine negative;
  negative.SetBeepOnError(false);
  EXPECT_EQ(Type(negative, "1_234567890123456789"), "-123456789012345");
  TECCalculatorEngine fraction;
  fraction.SetBeepOnError(false);
  EXPECT_EQ(Type(fraction, "1.23456789012345678").size(), 15u);
}

TEST(CalculatorEngine, MemoryKeys) {
  TECCalculatorEngine calc;
  Type(calc, "12");
  calc.MemoryStore();
  Type(calc, "3");  // a stored number is not extended
  EXPECT_EQ(calc.Text(), "3");
  calc.MemoryPlus();
  EXPECT_EQ(calc.Memory(), 15);
  Type(calc, "C");
  calc.MemoryRecall();
  EXPECT_EQ(calc.Text(), "15");
  calc.MemoryClear();
  EXPECT_EQ(calc.Memory(), 0);
}

TEST(CalculatorEngine, ResultReactionAndTextNotifications) {
  TECCalculatorEngine calc;
  std::string results;
  int changes = 0;
  calc.OnResult = [&](int r) { results += std::to_string(r); };
  calc.OnTextChange = [&] { ++changes; };
  Type(calc, "2+3");
  EXPECT_EQ(results, "");
  Type(calc, "=");
  EXPECT_EQ(results, "1");
  Type(calc, "\r%");
  EXPECT_EQ(results, "111");
  EXPECT_GT(changes, 0);
}

TEST(CalculatorEngine, LocaleDecimalSeparator) {
  TFormatSettings saved = FormatSettings();
  FormatSettings().DecimalSeparator = ',';
  TECCalculatorEngine calc;
  EXPECT_EQ(Type(calc, "1.5*2="), "3");
  EXPECT_EQ(Type(calc, "C1,25+1="), "2,25");
  EXPECT_EQ(calc.GetDisplay(), 2.25);
  FormatSettings() = saved;
}

}  // namespace
}  // namespace qs
