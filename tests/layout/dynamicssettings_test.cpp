// The program's playback amounts: the settings sections "Dinamics" and
// "Effects" and the answers a score gets from them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/inifile.h"
#include "base/safefile.h"
#include "layout/dynamics.h"
#include "layout/dynamicssettings.h"
#include "layout_fixture.h"

namespace qs::test {
namespace {

struct TAnswer {
  int itemType, kind, expected;
};

TIniFile Settings(const std::string& name, const std::string& text) {
  const std::string file = testing::TempDir() + name;
  std::remove(file.c_str());
  if (!text.empty()) SafeSaveText(file, text);
  return TIniFile(file);
}

// A settings file without the sections answers the defaults; 64 for what
// has no setting.
TEST(DynamicsSettings, DefaultsWithoutSettings) {
  TDynamicsSettings settings;
  settings.ReadFrom(Settings("no-dynamics.ini", ""));
  const TAnswer answers[] = {
      {110, 0, 54},  {110, 1, 49},  {110, 2, 44},  {110, 3, 59},  {110, 4, 64}, {110, 5, 69},  {110, 6, 74},
      {110, 7, 79},  {110, 8, 84},  {110, 9, 54},  {110, 10, 74}, {110, 11, 84}, {110, 12, 94}, {110, 50, 30},
      {110, 51, 30}, {110, 13, 64}, {110, -1, 64}, {117, 0, 20},  {117, 3, 20}, {117, 1, 64},  {117, 2, 64},
      {30, 0, -20},  {30, 4, -20},  {111, 0, 2},   {111, 1, 2},   {116, 2, 1},  {141, 0, 8},   {113, 0, 64},
      {20, 0, 64},
  };
  for (const TAnswer& a : answers) EXPECT_EQ(settings.GetDinamics(a.itemType, a.kind), a.expected) << a.itemType << "/" << a.kind;
}

// Values come from their keys (any case); a key that is missing or not a
// number keeps its default.
TEST(DynamicsSettings, ValuesFromTheSections) {
  TDynamicsSettings settings;
  settings.ReadFrom(Settings("dynamics.ini",
                             "[Dinamics]\nPianoPianissimo=10\nforte=90\nSForzando=120\nCrechendo=12\n"
                             "Diminuendo=7\nAccentus=5\nBracket=-5\nPiano=loud\n"
                             "[Effects]\nArpeggio=3\nFermata=2\nStaccato=2\n"));
  const TAnswer answers[] = {{110, 2, 10}, {110, 6, 90}, {110, 12, 120}, {110, 50, 12}, {110, 51, 7},
                             {117, 3, 5},  {30, 0, -5},  {111, 0, 3},    {116, 0, 2},   {141, 0, 2},
                             {110, 0, 54}, {110, 7, 79}};
  for (const TAnswer& a : answers) EXPECT_EQ(settings.GetDinamics(a.itemType, a.kind), a.expected) << a.itemType << "/" << a.kind;
}

// Staccato answers 2^(setting - 1), 1 below 2, and no more than 2^30.
TEST(DynamicsSettings, StaccatoRule) {
  const std::pair<int, int> cases[] = {{-3, 1}, {0, 1}, {1, 1}, {2, 2}, {3, 4}, {4, 8}, {31, 1 << 30}, {200, 1 << 30}};
  for (auto [setting, answer] : cases) {
    TDynamicsSettings settings;
    settings.Staccato = setting;
    EXPECT_EQ(settings.GetDinamics(kind::Staccato, 0), answer) << setting;
  }
}

// Installed on a score, the settings answer its questions: the velocity of
// a forte follows the setting, and a text is a term only when the lookup
// finds it with the kind asked for.
TEST(DynamicsSettings, AnswersTheScore) {
  TDynamicsSettings settings;
  settings.Levels[6] = 90;
  TLayoutScore s;
  settings.Install(s.Score);
  s.Score.AutoVelocity = true;
  TQSPiece* piece = s.AddPiece({1}, 2);
  TQSMeasure* m = piece->GetPart(0)->GetMeasure(0);
  s.Mark(m, kind::Dynamics, 0, 0, 6);
  s.Layout();
  EXPECT_EQ(s.Score.GetDinamics(kind::Dynamics, 6), 90);
  EXPECT_EQ(DynamicsVelocity(*piece, *piece->GetPart(0)->GetMeasure(1), 0), 90);

  int v1 = -1, v2 = -1;
  EXPECT_FALSE(s.Score.GetTerms(1, {"dolce"}, v1, v2));
  settings.FindTerm = [](const std::string& text, int& kind, int& a, int& b) {
    if (text != "rit.") return false;
    kind = 2, a = -20, b = 0;
    return true;
  };
  EXPECT_FALSE(s.Score.GetTerms(1, {"rit."}, v1, v2));
  EXPECT_EQ(v1, -1);
  EXPECT_FALSE(s.Score.GetTerms(2, {}, v1, v2));
  EXPECT_FALSE(s.Score.GetTerms(2, {"dolce"}, v1, v2));
  EXPECT_TRUE(s.Score.GetTerms(2, {"rit.", "second line"}, v1, v2));
  EXPECT_EQ(v1, -20);
  EXPECT_EQ(v2, 0);
}

}  // namespace
}  // namespace qs::test
