// Reading a large MusicXML score: 4 parts of 1,000 measures (about 6 MB).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "base/stream.h"
#include "interchange/musicxml.h"
#include "platform/gui.h"
#include "score/score.h"

namespace {

std::string Note(const char* step, int octave, int duration, const char* type, int voice, int staff, bool chord,
                 const char* extra) {
  std::string s = "      <note>\n";
  if (chord) s += "        <chord/>\n";
  s += std::string("        <pitch>\n          <step>") + step + "</step>\n          <octave>" + std::to_string(octave) +
       "</octave>\n        </pitch>\n";
  s += "        <duration>" + std::to_string(duration) + "</duration>\n";
  s += "        <voice>" + std::to_string(voice) + "</voice>\n";
  s += std::string("        <type>") + type + "</type>\n        <stem>up</stem>\n";
  s += "        <staff>" + std::to_string(staff) + "</staff>\n";
  s += extra;
  s += "      </note>\n";
  return s;
}

std::string Generate(int parts, int measures) {
  static const char* kSteps[] = {"C", "D", "E", "F", "G", "A", "B"};
  std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<score-partwise version=\"4.0\">\n  <part-list>\n";
  for (int p = 1; p <= parts; ++p)
    doc += "    <score-part id=\"P" + std::to_string(p) + "\"><part-name>Part " + std::to_string(p) +
           "</part-name></score-part>\n";
  doc += "  </part-list>\n";
  for (int p = 1; p <= parts; ++p) {
    doc += "  <part id=\"P" + std::to_string(p) + "\">\n";
    for (int m = 1; m <= measures; ++m) {
      doc += "    <measure number=\"" + std::to_string(m) + "\">\n";
      if (m == 1)
        doc += "      <attributes><divisions>4</divisions><key><fifths>2</fifths></key><time><beats>4</beats>"
               "<beat-type>4</beat-type></time><staves>2</staves></attributes>\n";
      for (int i = 0; i < 4; ++i) {
        doc += Note(kSteps[(m + i) % 7], 4 + i % 2, 4, "quarter", 1, 1, false, "");
        if (i == 0) doc += Note(kSteps[(m + i + 2) % 7], 4, 4, "quarter", 1, 1, true, "");
      }
      doc += "      <backup><duration>16</duration></backup>\n";
      doc += Note(kSteps[m % 7], 2, 16, "whole", 5, 2, false,
                  "        <lyric number=\"1\"><syllabic>single</syllabic><text>la</text></lyric>\n");
      doc += "    </measure>\n";
    }
    doc += "  </part>\n";
  }
  doc += "</score-partwise>\n";
  return doc;
}

void BM_ImportMusicXml(benchmark::State& state) {
  qs::SetScreenPixelsPerInch(96);
  const std::string doc = Generate(4, 1000);
  state.counters["bytes"] = static_cast<double>(doc.size());
  for (auto _ : state) {
    qs::TQSScore score;
    qs::TMemoryStream s(std::vector<uint8_t>(doc.begin(), doc.end()));
    qs::ImportMusicXml(score, s);
    benchmark::DoNotOptimize(score.PieceCount());
  }
}
BENCHMARK(BM_ImportMusicXml)->Unit(benchmark::kMillisecond);

}  // namespace
