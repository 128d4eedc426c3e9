#include <gtest/gtest.h>
#include <unistd.h>

#include "base/safefile.h"
#include "base/stream.h"
#include "base/text.h"

using namespace qs;

TEST(Text, Windows1252SurvivesFileToUtf8ToFile) {
  const std::string ansi = "Caf\xE9 \x80 5 \x93q\x94";  // Café € 5 “q”
  std::string name = testing::TempDir() + std::to_string(::getpid()) + "cp1252.txt";
  SafeSaveText(name, ansi);
  std::string utf8 = AnsiToUtf8(ReadFileText(name), CodePage::Windows1252);
  EXPECT_EQ(utf8, "Caf\xC3\xA9 \xE2\x82\xAC 5 \xE2\x80\x9Cq\xE2\x80\x9D");
  bool lossless = false;
  SafeSaveText(name, Utf8ToAnsi(utf8, CodePage::Windows1252, &lossless));
  EXPECT_TRUE(lossless);
  EXPECT_EQ(ReadFileText(name), ansi);
}

TEST(Text, EveryByteOfBothCodePagesRoundTrips) {
  for (CodePage cp : {CodePage::Windows1252, CodePage::Windows1251}) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    bool lossless = false;
    EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all, cp), cp, &lossless), all);
    EXPECT_TRUE(lossless);
  }
}

TEST(Text, Windows1251AndUnmappableCharacters) {
  EXPECT_EQ(AnsiToUtf8("\xCF\xF0\xE8", CodePage::Windows1251), "\xD0\x9F\xD1\x80\xD0\xB8");  // При
  bool lossless = true;
  EXPECT_EQ(Utf8ToAnsi("\xD0\x9F", CodePage::Windows1252, &lossless), "?");
  EXPECT_FALSE(lossless);
}

TEST(Text, Utf16WithSurrogatesAndMalformedUtf8) {
  const std::string g_clef = "\xF0\x9D\x84\x9E";  // U+1D11E
  std::u16string w = Utf8ToUtf16("a" + g_clef + "\xC3\xA9");
  EXPECT_EQ(w, (std::u16string{u'a', 0xD834, 0xDD1E, 0x00E9}));
  EXPECT_EQ(Utf16ToUtf8(w), "a" + g_clef + "\xC3\xA9");
  // Truncated sequences and lone surrogates become U+FFFD, never a crash.
  EXPECT_EQ(Utf8ToUtf16("\xE2\x82"), (std::u16string{0xFFFD, 0xFFFD}));
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD800}), "\xEF\xBF\xBD");
}
