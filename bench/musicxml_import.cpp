// Reading a large MusicXML score: 4 parts of 1,000 measures (about 6 MB),
// and opening a file of 1,000 and 4,000 measures a part (import and
// layout) as a fresh process does it, with the memory pages it touches for the first time
// (minor page faults; goal for 4,000 measures: < 0.8 s, < 20,000 faults).
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/safefile.h"
#include "base/stream.h"
#include "generated_score.h"
#include "interchange/musicxml.h"
#include "layout/layout.h"
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

long MinorFaults() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}


void BM_ImportMusicXml(benchmark::State& state) {
  qs::SetScreenPixelsPerInch(96);
  const std::string doc = Generate(4, 1000);
  state.counters["bytes"] = static_cast<double>(doc.size());
  long faults = 0;
  for (auto _ : state) {
    const long before = MinorFaults();
    qs::TQSScore score;
    qs::TMemoryStream s(std::vector<uint8_t>(doc.begin(), doc.end()));
    qs::ImportMusicXml(score, s);
    benchmark::DoNotOptimize(score.PieceCount());
    faults += MinorFaults() - before;
  }
  state.counters["minor_faults"] = benchmark::Counter(static_cast<double>(faults), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ImportMusicXml)->Unit(benchmark::kMillisecond);

// What a fresh process spends on opening a MusicXML file: each iteration
// forks a child that loads the fonts, then opens the file into a score,
// which reads, imports and lays it out; the time (processor time, user and
// system, so that other work on the machine does not count) and the minor
// page faults of that work are the child's. process_s and process_faults
// are those of the whole child, its start-up and end included.
struct TChildResult {
  double Seconds = 0;
  long Faults = 0;
  // The whole child, from the fork to its end: start-up (fonts, layout)
  // and the opening.
  double ProcessSeconds = 0;
  long ProcessFaults = 0;
};

double Seconds(const rusage& usage) {
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double ProcessorSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return Seconds(usage);
}

TChildResult OpenInChild(const std::string& file) {
  int fds[2];
  if (::pipe(fds) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    qs::bench::Setup();
    qs::InstallLayout();
    qs::InstallMusicXmlImporter();
    const long before = MinorFaults();
    const double start = ProcessorSeconds();
    auto* score = new qs::TQSScore;  // left to the process's end, as a program quitting does
    score->LoadFromFile(file);
    TChildResult r;
    r.Seconds = ProcessorSeconds() - start;
    r.Faults = MinorFaults() - before;
    if (score->LaidOutPages == 0) ::_exit(1);
    if (::write(fds[1], &r, sizeof r) != sizeof r) ::_exit(1);
    ::_exit(0);
  }
  ::close(fds[1]);
  TChildResult r;
  if (pid < 0 || ::read(fds[0], &r, sizeof r) != sizeof r) r = {};
  ::close(fds[0]);
  rusage whole{};
  int status = 0;
  if (pid > 0 && ::wait4(pid, &status, 0, &whole) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
    r.ProcessSeconds = Seconds(whole);
    r.ProcessFaults = whole.ru_minflt;
  }
  return r;
}

void BM_ImportAndLayoutProcess(benchmark::State& state) {
  const std::string doc = Generate(4, static_cast<int>(state.range(0)));
  const std::string file = (std::filesystem::temp_directory_path() /
                            ("qs_bench_import_" + std::to_string(::getpid()) + ".xml"))
                               .string();
  qs::SafeSaveText(file, doc);
  long faults = 0, processFaults = 0;
  double processSeconds = 0;
  for (auto _ : state) {
    const TChildResult r = OpenInChild(file);
    if (r.Seconds <= 0) {
      state.SkipWithError("the child process failed");
      break;
    }
    state.SetIterationTime(r.Seconds);
    faults += r.Faults;
    processFaults += r.ProcessFaults;
    processSeconds += r.ProcessSeconds;
  }
  std::filesystem::remove(file);
  state.counters["bytes"] = static_cast<double>(doc.size());
  state.counters["minor_faults"] = benchmark::Counter(static_cast<double>(faults), benchmark::Counter::kAvgIterations);
  state.counters["process_s"] = benchmark::Counter(processSeconds, benchmark::Counter::kAvgIterations);
  state.counters["process_faults"] =
      benchmark::Counter(static_cast<double>(processFaults), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ImportAndLayoutProcess)->Arg(1000)->Arg(4000)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
