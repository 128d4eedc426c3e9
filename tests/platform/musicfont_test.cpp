#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "drawing_helpers.h"
#include "platform/bitmap.h"
#include "platform/drawdevice.h"
#include "platform/fonts.h"
#include "platform/musicglyphs.h"
#include "platform/paths.h"

using namespace qs;

namespace {

struct TGlyphEntry {
  int Code;
  std::string Meaning;
};

// The glyph table beside the font: a header line, then code, meaning and
// source glyph separated by tabs.
std::vector<TGlyphEntry> ReadGlyphTable(std::string& error) {
  std::string file = platform::FindResource("fonts/quavero-glyphs.tsv");
  if (file.empty()) {
    error = "fonts/quavero-glyphs.tsv was not found beside the tests (" + platform::ProgramDir() + ")";
    return {};
  }
  std::ifstream in(file);
  std::vector<TGlyphEntry> entries;
  std::string line;
  bool header = true;
  while (std::getline(in, line)) {
    if (header) {
      header = false;
      if (line.rfind("code", 0) == 0) continue;
    }
    if (line.empty()) continue;
    std::istringstream fields(line);
    std::string code, meaning;
    std::getline(fields, code, '\t');
    std::getline(fields, meaning, '\t');
    int value = -1;
    try {
      value = std::stoi(code);
    } catch (...) {
    }
    if (value < 0 || value > 255) {
      error = "bad code in the glyph table: " + line;
      return {};
    }
    entries.push_back({value, meaning});
  }
  if (entries.empty()) error = "the glyph table " + file + " lists no glyph";
  return entries;
}

// First in the file, so that the font is not loaded yet when the tests run
// in one process.
TEST(MusicFont, AMissingFontIsAClearErrorNotACrash) {
  if (MusicFontLoaded()) GTEST_SKIP() << "loaded already in this process";
  platform::SetProgramDirForTesting("/nonexistent-folder/");
  try {
    LoadMusicFont();
    ADD_FAILURE() << "no error for a missing font";
  } catch (const EFontError& e) {
    EXPECT_NE(e.Message().find("QuaveroSymbols.ttf"), std::string::npos) << e.Message();
  }
  platform::SetProgramDirForTesting("");
  EXPECT_THROW(RegisterFontFile("Not A Font", QS_SOURCE_DIR "/CMakeLists.txt"), EFontError);
}

TEST(MusicFont, EveryCodeOfTheTableHasAGlyph) {
  SetScreenPixelsPerInch(96);
  ASSERT_NO_THROW(LoadMusicFont()) << [] {
    try {
      LoadMusicFont();
    } catch (const Exception& e) {
      return e.Message();
    }
    return std::string();
  }();
  std::string error;
  std::vector<TGlyphEntry> table = ReadGlyphTable(error);
  ASSERT_TRUE(error.empty()) << error;

  TFont font;
  font.Name = MusicFontName;
  font.SetSize(128);
  EXPECT_EQ(ResolveFont(font).Family, MusicFontName);
  for (const TGlyphEntry& e : table) {
    std::u16string glyph = MusicGlyphText(static_cast<uint8_t>(e.Code));
    EXPECT_TRUE(FontHasGlyphs(font, glyph)) << "code " << e.Code << " (" << e.Meaning << ") has no glyph";
    EXPECT_TRUE(GlyphHasOutline(font, glyph[0])) << "code " << e.Code << " (" << e.Meaning << ") is empty";
  }
}

TEST(MusicFont, GlyphsAreAddressedByCodeAndDrawOneAtATime) {
  SetScreenPixelsPerInch(96);
  EXPECT_EQ(MusicGlyphChar(0x35), u'\uF035');
  EXPECT_EQ(MusicGlyphCode(u'\uF09D'), 0x9D);
  EXPECT_EQ(MusicGlyphCode(u'A'), -1);
  EXPECT_EQ(FontGlyphText("quavero symbols", 0xA0), u"\uF0A0");
  EXPECT_EQ(FontGlyphText("Arial", 0x80), u"\u20AC");  // the code page's euro sign

  ASSERT_NO_THROW(LoadMusicFont());
  // Codes in the control and space ranges draw like any other glyph: the
  // trill sign 157 and the trill with natural 160 here.
  TBitmap bmp(80, 80);
  TCanvas& c = bmp.Canvas();
  c.Font().Name = MusicFontName;
  c.Font().SetSize(32);
  c.Brush().Style = bsClear;
  c.TextOut(10, 10, MusicGlyphText(glyphs::OrnamentTrill));
  c.TextOut(40, 10, MusicGlyphText(glyphs::OrnamentTrillAccidentalNatural));
  TRect left = qs::testing::InkBounds(bmp);
  EXPECT_LT(left.Left, 40) << qs::testing::Picture(bmp);
  EXPECT_GE(left.Right, 40);

  TRecordingCanvas rec;
  rec.Canvas.Font().Name = MusicFontName;
  rec.Canvas.Font().SetSize(16);
  rec.Canvas.TextOut(3, 4, MusicGlyphText(glyphs::NoteheadBlack));
  auto ops = rec.Recorder->CanvasOps();
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(MusicGlyphCode(ops[0].Text[0]), glyphs::NoteheadBlack);
  EXPECT_EQ(ops[0].Font.Name, MusicFontName);
  EXPECT_EQ(ops[0].Font.Size(), 16);
}

// Clefs keep about half a staff space before their ink and one after it,
// so that neither the barline before them nor a key after them touches
// them; note heads and accidentals keep no room at all.
TEST(MusicFont, ClefsKeepSideRoomHeadsAndAccidentalsNone) {
  SetScreenPixelsPerInch(96);
  ASSERT_NO_THROW(LoadMusicFont());
  TFont font;
  font.Name = MusicFontName;
  font.SetSize(64);  // a staff space of 24 pixels
  constexpr int kSpace = 24, kX = 30;
  const struct {
    int Code, Left, Right;
  } kCases[] = {{34, kSpace / 2, kSpace}, {35, kSpace / 2, kSpace}, {36, kSpace / 2, kSpace},
                {41, 0, 0}, {42, 0, 0}, {52, 0, 0}, {53, 0, 0}, {64, 0, 0}, {66, 0, 0}, {68, 0, 0}};
  for (const auto& c : kCases) {
    TBitmap bmp(300, 400);
    bmp.Canvas().Font() = font;
    bmp.Canvas().Brush().Style = bsClear;
    bmp.Canvas().TextOut(kX, 20, MusicGlyphText(static_cast<uint8_t>(c.Code)));
    const TRect ink = qs::testing::InkBounds(bmp);
    const int advance = TextWidth(font, MusicGlyphText(static_cast<uint8_t>(c.Code)));
    EXPECT_NEAR(ink.Left - kX, c.Left, 2) << "code " << c.Code;
    EXPECT_NEAR(kX + advance - ink.Right, c.Right, 2) << "code " << c.Code;
  }
}

}  // namespace
