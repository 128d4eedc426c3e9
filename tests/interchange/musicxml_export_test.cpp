#include <gtest/gtest.h>

#include <random>

#include "interchange/musicxml_tags.h"
#include "layout/layout.h"
#include "musicxml_support.h"

namespace qs::test {
namespace {

bool Has(const std::string& text, const std::string& what) { return text.find(what) != std::string::npos; }

// Elements of a note in the order the format prescribes.
void ExpectNoteOrder(const TQSTagList& tags) {
  static const char* kOrder[] = {"grace", "chord", "pitch", "rest", "duration", "tie", "voice", "type", "dot",
                                 "time-modification", "stem", "staff", "beam", "notations", "lyric"};
  auto rank = [](std::string_view name) {
    for (size_t i = 0; i < std::size(kOrder); ++i)
      if (name == kOrder[i]) return static_cast<int>(i);
    return -1;
  };
  for (size_t i = 0; i < tags.Tags.size(); ++i) {
    if (tags.Tags[i].Name != "note" || tags.Tags[i].IsAttribute) continue;
    int last = -1;
    bool grace = false;
    for (size_t k = i + 1; k < tags.Tags.size() && tags.Tags[k].Depth > tags.Tags[i].Depth; ++k) {
      const TQSTag& c = tags.Tags[k];
      if (c.Depth != tags.Tags[i].Depth + 1 || c.IsAttribute) continue;
      int r = rank(c.Name);
      ASSERT_GE(r, 0) << c.Name;
      EXPECT_GE(r, last) << c.Name << " on line " << tags.LineOf(c);
      last = r;
      grace = grace || c.Name == "grace";
      EXPECT_FALSE(grace && c.Name == "duration") << "a grace note has no duration";
    }
  }
}

TEST(MusicXmlExport, DocumentIsValidAndEscaped) {
  auto score = ImportText(ReadFile(std::string(QS_TEST_DATA_DIR) + "/musicxml/piano.xml"));
  TQSPiece& piece = *LastPiece(*score);
  auto* tempo = static_cast<TQSMark*>(CreateItemByKind(kind::Tempo, piece.GetColumn(0)));
  tempo->Fields.Kind = 3;  // eighth = 144
  tempo->Fields.Value = 144;
  // The name shown at the system is the part's name in the file.
  for (TQSItem* item : piece.GetPart(0)->GetMeasure(0)->Items)
    if (item->ItemType == kind::InstrumentName) static_cast<TQSLyric*>(item)->Lines = {"Keys <L&R>"};
  const std::string xml = ExportText(*score, piece);
  EXPECT_TRUE(xml.starts_with(R"(<?xml version="1.0" encoding="UTF-8" standalone="no"?>)"));
  EXPECT_TRUE(Has(xml, "<part-name>Keys &lt;L&amp;R&gt;</part-name>"));
  EXPECT_TRUE(Has(xml, "<creator type=\"composer\">R &amp; B</creator>"));
  // Tempo as a direction, C clef with its line, no mode where none was read.
  EXPECT_TRUE(Has(xml, "<beat-unit>eighth</beat-unit>"));
  EXPECT_TRUE(Has(xml, "<sound tempo=\"72\"/>"));
  EXPECT_TRUE(Has(xml, "<sign>C</sign>\r\n\t\t\t\t\t<line>4</line>"));
  EXPECT_TRUE(Has(xml, "<fifths>-2</fifths>\r\n\t\t\t\t\t<mode>major</mode>"));
  EXPECT_TRUE(Has(xml, "<fifths>3</fifths>\r\n\t\t\t\t</key>"));
  EXPECT_TRUE(Has(xml, "<staff>2</staff>"));
  EXPECT_FALSE(Has(xml, "<staff>2 </staff>"));
  EXPECT_FALSE(Has(xml, "32th"));
  EXPECT_FALSE(Has(xml, "<sound tempo=\"144\""));
  // Well formed, and every note's content in the prescribed order.
  TQSTagList tags = TokenizeMusicXml(xml);
  ExpectNoteOrder(tags);
  // The attributes come in their order: divisions, key, time, staves, clef.
  size_t d = xml.find("<divisions>"), k = xml.find("<key>"), t = xml.find("<time"), s = xml.find("<staves>"),
         c = xml.find("<clef");
  EXPECT_TRUE(d < k && k < t && t < s && s < c);
}

TEST(MusicXmlExport, NotesDurationsAndBackups) {
  auto score = ImportText(ReadFile(std::string(QS_TEST_DATA_DIR) + "/musicxml/piano.xml"));
  const std::string xml = ExportText(*score, *LastPiece(*score));
  // A dotted quarter is 288 divisions; the triplet eighths 64 each.
  EXPECT_TRUE(Has(xml, "<duration>288</duration>"));
  EXPECT_TRUE(Has(xml, "<actual-notes>3</actual-notes>\r\n\t\t\t\t\t<normal-notes>2</normal-notes>"));
  EXPECT_TRUE(Has(xml, "<backup>\r\n\t\t\t\t<duration>576</duration>"));
  EXPECT_TRUE(Has(xml, "<tie type=\"stop\"/>"));
  EXPECT_TRUE(Has(xml, "<slur type=\"stop\" number=\"1\"/>"));
  EXPECT_TRUE(Has(xml, "<grace/>"));
}

TEST(MusicXmlExport, WithoutAPieceNothingIsWritten) {
  TQSScore score;
  TMemoryStream s;
  ExportMusicXml(score, s);
  EXPECT_EQ(s.Size(), 0);
}

// Import, export, import again: the same piece, byte for byte.
TEST(MusicXmlExport, RoundTripKeepsEveryFixture) {
  std::vector<std::string> sources;
  for (const std::string& f : FixtureFiles()) sources.push_back(ReadFile(f));
  ASSERT_GE(sources.size(), 2u);
  for (const std::string& src : sources) {
    auto first = ImportText(src);
    const std::string xml = ExportText(*first, *LastPiece(*first));
    auto second = ImportText(xml);
    // The layout writes derived values (default curve offsets, measured
    // sizes) back into the items: compare both laid out.
    LayoutScore(*second, 0);
    EXPECT_EQ(PieceBytes(*LastPiece(*first)), PieceBytes(*LastPiece(*second))) << xml;
    EXPECT_EQ(first->Composer, second->Composer);
    EXPECT_EQ(xml, ExportText(*second, *LastPiece(*second)));
  }
}

// Damaged copies of the fixtures: every one is read or refused with the
// reader's error, never a crash or a hang.
TEST(MusicXmlExport, MutatedFixturesNeverCrash) {
  std::mt19937 random(20261210);
  std::vector<std::string> sources;
  for (const std::string& f : FixtureFiles()) sources.push_back(ReadFile(f));
  static const char* kInserts[] = {"<", ">", "/", "&", "&#", "\"", "'", "<note>", "</note>", "<chord/>",
                                   "0", "-1", "99999", "<staff>9</staff>", "<!--", "<![CDATA[", "\xFF"};
  // A fixed number of rounds, not a time budget: every machine tries the
  // same damaged documents.
  int imported = 0, exported = 0;
  for (int round = 0; round < 600; ++round) {
    std::string doc = sources[static_cast<size_t>(round) % sources.size()];
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits && !doc.empty(); ++e) {
      const size_t at = random() % doc.size();
      switch (random() % 4) {
        case 0: doc.erase(at, 1 + random() % 40); break;
        case 1: doc.insert(at, kInserts[random() % std::size(kInserts)]); break;
        case 2: doc[at] = static_cast<char>(random() % 256); break;
        default: doc.resize(at); break;
      }
    }
    try {
      auto score = ImportText(doc);
      ++imported;
      if (ExportText(*score, *LastPiece(*score)).find("</score-partwise>") != std::string::npos) ++exported;
    } catch (const Exception&) {
      // A damaged document is refused: fine.
    }
  }
  // Most damaged documents still read, and every score read is written
  // as a whole document.
  EXPECT_GT(imported, 0);
  EXPECT_EQ(exported, imported);
}

}  // namespace
}  // namespace qs::test
