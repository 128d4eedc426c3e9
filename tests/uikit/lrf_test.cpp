// The language file: what the generator writes reads back, lookups follow
// the tree, the format's limits hold, and damaged files never read outside
// their data.
#include <gtest/gtest.h>

#include <random>

#include "uikit/lrf.h"
#include "language_entries.h"

namespace qs {
namespace {

using test::Lines;
using test::Text;



std::vector<TLanguageFormRecord> SampleForms() {
  const TLanguageEntry font = test::Font("LTitle.Font", "Liberation Serif", 204, 14);
  return {
      {"FMain", {Text("Caption", "Main"), Lines("LBItems.Items", {"one", "two"}), font}, {"m0", "m1", "m2"}},
      {"FMai", {Text("Caption", "Prefix")}, {"p0"}},  // a proper prefix of another name
      {"FAbout", {Text("BOk.Caption", "OK")}, {}},
      {"FZebra", {}, {"z0"}},
  };
}

TLanguageData Parse(const std::vector<uint8_t>& bytes, CodePage cp = CodePage::Windows1252) {
  auto data = ParseLanguageFile(bytes, cp);
  EXPECT_TRUE(data.has_value());
  return data ? *data : TLanguageData();
}

TEST(LanguageFile, WrittenFormsReadBack) {
  TLanguageData data = Parse(BuildLanguageFile(SampleForms(), CodePage::Windows1252));
  for (const char* name : {"FMain", "FMai", "FAbout", "FZebra"}) EXPECT_TRUE(data.FindFormRecord(name)) << name;
  for (const char* name : {"", "F", "FMa", "FMainX", "fmain", "FAboutX", "G"})
    EXPECT_FALSE(data.FindFormRecord(name)) << name;

  uint32_t main = *data.FindFormRecord("FMain");
  auto entries = data.ReadEntries(main);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].Path, "Caption");
  EXPECT_EQ(entries[0].Text, "Main");
  EXPECT_EQ(entries[1].Lines, (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(entries[2].Font.Name, "Liberation Serif");
  EXPECT_EQ(entries[2].Font.CharSet, 204);
  EXPECT_EQ(entries[2].Font.Size, 14);

  EXPECT_EQ(data.ReadEntries(*data.FindFormRecord("FMai"))[0].Text, "Prefix");
  EXPECT_EQ(data.MessageCount(main), 3);
  EXPECT_EQ(data.Message(main, 0), "m0");
  EXPECT_EQ(data.Message(main, 2), "m2");
  EXPECT_EQ(data.Message(main, 3), "");
  EXPECT_EQ(data.Message(main, -1), "");
  EXPECT_EQ(data.Message(*data.FindFormRecord("FAbout"), 0), "");
}

TEST(LanguageFile, OnlyVersion16IsRead) {
  std::vector<uint8_t> bytes = BuildLanguageFile(SampleForms(), CodePage::Windows1252);
  const size_t versionAt = 2 + (bytes[0] | bytes[1] << 8);
  ASSERT_EQ(bytes[versionAt], 16);
  for (uint8_t version : {15, 17, 0}) {
    bytes[versionAt] = version;
    EXPECT_FALSE(ParseLanguageFile(bytes, CodePage::Windows1252)) << int(version);
  }
}

TEST(LanguageFile, CyrillicTextsTravelInTheirCodePage) {
  std::vector<TLanguageFormRecord> forms = {{"FMessageBlock", {Text("Caption", "Сообщение")}, {"Отмена", "Да"}}};
  std::vector<uint8_t> bytes = BuildLanguageFile(forms, LanguageCodePage("RUS"));
  // One byte a letter in the file: Windows-1251, not UTF-8.
  const std::vector<uint8_t> cancel = {0xCE, 0xF2, 0xEC, 0xE5, 0xED, 0xE0};
  EXPECT_NE(std::search(bytes.begin(), bytes.end(), cancel.begin(), cancel.end()), bytes.end());
  TLanguageData data = Parse(bytes, LanguageCodePage("RUS"));
  uint32_t record = *data.FindFormRecord("FMessageBlock");
  EXPECT_EQ(data.ReadEntries(record)[0].Text, "Сообщение");
  EXPECT_EQ(data.Message(record, 0), "Отмена");
  // A text that the code page cannot hold is refused when the file is made.
  EXPECT_ANY_THROW(BuildLanguageFile({{"F", {Text("Caption", "Сообщение")}, {}}}, CodePage::Windows1252));
}

TEST(LanguageFile, TextsOverTheLimitEndTheRecordOrReadEmpty) {
  const std::string limit(kLanguageTextLimit, 'x');
  std::vector<TLanguageFormRecord> forms = {{"F", {Text("A", "a"), Text("B", limit), Text("C", "c")}, {limit}}};
  std::vector<uint8_t> bytes = BuildLanguageFile(forms, CodePage::Windows1252);
  TLanguageData data = Parse(bytes);
  uint32_t record = *data.FindFormRecord("F");
  EXPECT_EQ(data.ReadEntries(record).size(), 3u);
  EXPECT_EQ(data.Message(record, 0), limit);

  // One byte more than the limit, patched into the stored counts: the
  // entries before the long one stay, the message reads empty.
  std::vector<uint8_t> patched = bytes;
  int patchedCounts = 0;
  for (size_t i = 0; i + 1 < patched.size(); ++i)
    if (patched[i] == (kLanguageTextLimit & 0xFF) && patched[i + 1] == (kLanguageTextLimit >> 8) &&
        (i + 2 < patched.size() && patched[i + 2] == 'x')) {
      patched[i] = (kLanguageTextLimit + 1) & 0xFF;
      ++patchedCounts;
    }
  ASSERT_EQ(patchedCounts, 2);
  TLanguageData damaged = Parse(patched);
  auto entries = damaged.ReadEntries(record);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].Path, "A");
  EXPECT_EQ(damaged.Message(record, 0), "");

  EXPECT_ANY_THROW(BuildLanguageFile({{"F", {Text("A", limit + "x")}, {}}}, CodePage::Windows1252));
}

TEST(LanguageFile, DamageFindsNothingInsteadOfReadingOutside) {
  const std::vector<uint8_t> good = BuildLanguageFile(SampleForms(), CodePage::Windows1252);
  auto exercise = [](const std::vector<uint8_t>& bytes) {
    auto data = ParseLanguageFile(bytes, CodePage::Windows1252);
    if (!data) return;
    for (const char* name : {"FMain", "FMai", "FAbout", "FZebra", "Q"}) {
      auto record = data->FindFormRecord(name);
      if (!record) continue;
      data->ReadEntries(*record);
      for (int i = -1; i < 5; ++i) data->Message(*record, i);
    }
  };
  // Every truncation.
  for (size_t n = 0; n < good.size(); ++n) exercise(std::vector<uint8_t>(good.begin(), good.begin() + n));
  // Random byte changes (run under the sanitizers too).
  std::mt19937 rng(7);
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> bytes = good;
    for (int k = 0; k < 1 + round % 4; ++k) bytes[rng() % bytes.size()] = static_cast<uint8_t>(rng());
    exercise(bytes);
  }
  // A record offset far past the data, and a link past it.
  std::vector<uint8_t> block(11, 0);
  block[0] = 'A';
  block[1] = block[2] = block[3] = block[4] = 0xFF;
  TLanguageData huge(block, CodePage::Windows1252);
  EXPECT_FALSE(huge.FindFormRecord("A"));
  block[7] = 0xFF;
  block[8] = 0xFF;
  EXPECT_FALSE(TLanguageData(block, CodePage::Windows1252).FindFormRecord("AB"));
}

}  // namespace
}  // namespace qs
