#pragma once
// Scores laid out by the layout library and the messages a walker sends
// for them, written one per line as "<pass> <status> <data1> <data2>" in
// hexadecimal ("0 90 3C 40": a note-on of middle C at the first pass).
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "../layout/content_fixture.h"
#include "playback/playwalker.h"

namespace qs::test {

constexpr uint8_t C5 = 0x50, D5 = 0x51, E5 = 0x52, F5 = 0x53, G5 = 0x54;

inline std::string ShortText(int64_t pass, uint8_t status, uint8_t data1, uint8_t data2) {
  char text[48];
  std::snprintf(text, sizeof text, "%lld %02X %02X %02X", static_cast<long long>(pass), status, data1, data2);
  return text;
}

inline std::string LongText(int64_t pass, const uint8_t* data, size_t size) {
  std::string text = std::to_string(pass) + " long";
  for (size_t i = 0; i < size; ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, " %02X", data[i]);
    text += byte;
  }
  return text;
}

// Writes down what a walker sends, stamped with the walker's pass.
struct TWalkLog : TQSPlaySink {
  const TQSPlayWalker* Walker = nullptr;
  std::vector<std::string> Lines;
  std::vector<double> Times;  // the walker's milliseconds of each line
  // Called before each pass with the walker's pass count.
  std::function<void(int64_t)> BeforePass;

  int64_t Pass() const { return Walker ? Walker->Passes() : -1; }
  void Add(std::string line) {
    Lines.push_back(std::move(line));
    Times.push_back(Walker ? Walker->ElapsedMs() : 0);
  }
  void PlayShort(uint8_t status, uint8_t data1, uint8_t data2) override {
    Add(ShortText(Pass(), status, data1, data2));
  }
  void PlayLong(const uint8_t* data, uint16_t size) override { Add(LongText(Pass(), data, size)); }
};

// Plays a piece from a cursor position to its end (at most maxPasses
// passes) and ends what still sounds.
inline std::vector<std::string> Walk(const TQSScore& score, TWalkLog& log, int piece = 0, int measure = 0,
                                     int tick = 0, const std::function<void(TQSPlayWalker&)>& setup = {},
                                     int64_t maxPasses = 100000) {
  TQSPlayWalker walker(score, log);
  log.Walker = &walker;
  walker.StartFromCursor(piece, measure, tick);
  walker.SetTickLength(TickLengthFor(TempoAt(score, piece, measure), 100));
  if (setup) setup(walker);
  walker.SendPartLevels();
  while (walker.Passes() < maxPasses) {
    if (log.BeforePass) log.BeforePass(walker.Passes());
    if (walker.Pass() == TQSPassResult::End) break;
  }
  walker.EndSounding();
  log.Walker = nullptr;
  return log.Lines;
}

}  // namespace qs::test
