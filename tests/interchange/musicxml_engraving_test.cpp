// MusicXML files as other notation programs write them, read as their
// authors meant them to be engraved.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <sstream>

#include "interchange/musicxml_tags.h"
#include "musicxml_support.h"
#include "platform/canvas.h"
#include "platform/paths.h"
#include "score/dynamics.h"

namespace qs::test {
namespace {

struct TImported {
  std::unique_ptr<TQSScore> Score;
  TQSPiece* Piece;
  TQSPart* Part;
  TQSMeasure* M(int i) const { return Part->GetMeasure(i); }
};

TImported ImportFixture(const std::string& name) {
  TImported r;
  r.Score = ImportText(ReadFile(std::string(QS_TEST_DATA_DIR) + "/musicxml/" + name));
  r.Piece = LastPiece(*r.Score);
  r.Part = r.Piece->GetPart(0);
  return r;
}

std::vector<int> DynamicKinds(const TQSMeasure& m) {
  std::vector<int> out;
  for (TQSMark* d : ItemsOf<TQSMark>(m, kind::Dynamics)) out.push_back(d->Fields.Kind);
  return out;
}

std::vector<std::string> TermTexts(const TQSMeasure& m) {
  std::vector<std::string> out;
  for (TQSLyric* t : ItemsOf<TQSLyric>(m, kind::Term)) out.push_back(t->Lines.at(0));
  return out;
}

// Dynamics the model has no kind for take the nearest kind, or are
// written out as text; none falls back to piano.
TEST(MusicXmlEngraving, DynamicsTakeTheirNearestKind) {
  using namespace dynamic;
  auto r = ImportFixture("dynamics.xml");
  EXPECT_EQ(DynamicKinds(*r.M(0)), (std::vector<int>{kPianississimo, kFortississimo, kExtraForzato, kFortePiano}));
  EXPECT_EQ(DynamicKinds(*r.M(1)), (std::vector<int>{kForzando, kSforzato}));
  EXPECT_EQ(TermTexts(*r.M(1)), (std::vector<std::string>{"sfzp", "n"}));
  for (TQSLyric* t : ItemsOf<TQSLyric>(*r.M(1), kind::Term)) {
    EXPECT_EQ(t->Fields.FontStyle & fsItalic, fsItalic);
    EXPECT_GT(t->Fields.OffsetY, 0);  // below, where the sign would be
  }
  EXPECT_EQ(DynamicKinds(*r.M(2)), (std::vector<int>{kSforzando, kMezzoForte, kForzando, kPianississimo}));
}

// The letters of each dynamics kind are the same for the reader, the
// writer and the glyph the music font draws for it.
TEST(MusicXmlEngraving, DynamicsLettersAgreeWithTheFontAndTheWriter) {
  std::ifstream table(platform::FindResource("fonts/quavero-glyphs.tsv"));
  ASSERT_TRUE(table.good());
  std::map<int, std::string> meanings;
  std::string line;
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string code, meaning;
    std::getline(fields, code, '\t');
    std::getline(fields, meaning, '\t');
    if (!code.empty() && std::isdigit(static_cast<unsigned char>(code[0]))) meanings[std::stoi(code)] = meaning;
  }
  for (int k = 0; k < dynamic::kLetterKindCount; ++k) {
    const std::string letters = dynamic::kLetters[k];
    const std::string meaning = meanings[dynamic::kFirstGlyph + k];
    EXPECT_TRUE(meaning == "dynamic " + letters || meaning.starts_with("dynamic " + letters + " "))
        << "kind " << k << " is " << letters << " but the font draws " << meaning;
    auto score = ImportText(OnePart(Measure1("<direction><direction-type><dynamics><" + letters +
                                             "/></dynamics></direction-type></direction>")));
    TQSMeasure& m = *LastPiece(*score)->GetPart(0)->GetMeasure(0);
    ASSERT_EQ(DynamicKinds(m), std::vector<int>{k}) << letters;
    const std::string xml = ExportText(*score, *LastPiece(*score));
    EXPECT_NE(xml.find("<" + letters + "/>"), std::string::npos) << letters;
  }
}

}  // namespace
}  // namespace qs::test
