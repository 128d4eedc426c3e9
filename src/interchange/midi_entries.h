#pragma once
// What the MIDI import gathers from a file before it writes notation: per
// part the finished notes, lyrics and key signatures, and the meter of
// every measure. Shared by the reading and the notation steps.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "score/item.h"
#include "score/timing.h"

namespace qs {

class TQSPart;
class TQSNote;
class TQSLyric;

// A score holds at most this many measures to a part (more cannot be read
// back from its file).
constexpr int kMaxMidiMeasures = 10000;
// More notes than this in one measure of a part are not music a score can
// show; the work of writing a measure grows with the square of its notes.
constexpr int kMaxMidiNotesPerMeasure = 2048;

// How a note's spelling asks for an accidental against the key in force.
enum class TMidiAccidental : uint8_t {
  None,     // a drum note: never one
  Natural,  // a white key: a natural where the key or the measure alters it
  Sharp,    // C, F or G sharp
  Flat,     // D or A sharp, written as E or B flat
};

// A note made by the import, in no measure yet.
TQSNote* NewImportNote(uint8_t pitch, uint8_t head, uint8_t velocity);

// A note, lyric or key signature of a part, with its place in the piece.
struct TMidiEntry {
  int64_t Position = 0;  // score ticks from the start of the piece
  int64_t Arrival = 0;   // position at which it joined the part's list
  int Length = 0;        // a note's raw length in score ticks
  uint8_t Key = 0;       // a note's MIDI key
  uint8_t Velocity = 0;
  TMidiAccidental Accidental = TMidiAccidental::Natural;
  // Not yet in a measure: a TQSNote, a TQSLyric or a key TQSMark.
  std::unique_ptr<TQSItem> Item;

  // Fitting to the grid of its measure.
  int Tick = 0;             // raw start in the measure
  bool TiedToNext = false;  // cut at the bar line; the rest follows
  // The rest of a note cut at the bar line, and the voice the note took:
  // the rest goes on in that voice when it is free, so the tie has its end.
  TMidiEntry* Continuation = nullptr;
  int Voice = -1;
  int FitStart = 0;
  int FitLength = 0;
  bool InTuplet = false;

  TQSNote* Note() const;
};

using TMidiEntries = std::vector<std::unique_ptr<TMidiEntry>>;

// Puts entries into a part's events, each before the first event that
// arrives after it, as inserting them one by one in their order would, but
// in one pass (a file may hold hundreds of thousands of texts or keys).
// The events need not be in order of arrival (tracks follow each other).
void InsertByArrival(TMidiEntries& events, TMidiEntries entries);

// A part made by the import and what the file gave it.
struct TMidiImportPart {
  TQSPart* Part = nullptr;
  // Finished entries in the order in which they ended.
  std::vector<std::unique_ptr<TMidiEntry>> Events;
  // Notes started and not yet ended, by key.
  std::array<std::unique_ptr<TMidiEntry>, 128> Pending;
  // A note low enough for a second (bass) staff.
  bool SecondStaff = false;
};

// A non-negative value rounded to the nearest multiple of grid, halves to
// the even multiple.
constexpr int64_t RoundToGrid(int64_t value, int64_t grid) {
  int64_t q = value / grid;
  const int64_t twice = value % grid * 2;
  if (twice > grid || (twice == grid && q % 2 == 1)) ++q;
  return q * grid;
}

struct TMeasureTick {
  int Measure = 0;
  int Tick = 0;
};

// The meter of each measure; measures beyond the list have the meter of
// its last entry. Starts with one 4/4 measure.
class TMeterList {
 public:
  TMeterList() : meters_{MakeMeter(4, 4)} {}

  int Count() const { return static_cast<int>(meters_.size()); }
  uint16_t Meter(int measure) const {
    return measure < Count() ? meters_[static_cast<size_t>(measure)] : meters_.back();
  }
  int Length(int measure) const { return MeterLength(Meter(measure)); }
  const std::vector<uint16_t>& Entries() const { return meters_; }

  // A time signature at a position takes effect with the measure that
  // begins there, or with the next one when it falls inside a measure.
  void SetFrom(int64_t position, uint16_t meter);
  // The measure that holds a position and the tick in it. A position past
  // kMaxMidiMeasures raises EMidiFileError.
  TMeasureTick Locate(int64_t position) const;

 private:
  std::vector<uint16_t> meters_;
  // Start of each listed measure and of the first one after the list;
  // rebuilt when empty.
  mutable std::vector<int64_t> starts_;
};

struct TMidiNotationOptions {
  int Quantize = 32;  // grid in score ticks
  bool OneStaff = false;
  bool TrackNames = false;
  bool Triplets = false;
  bool AutoClefs = false;
};

// Writes a part's entries as notation: staves and clefs, measures, notes
// fitted to the grid with dots, ties, tuplets, accidentals, voices and
// chords, beams, rests, automatic clefs and its instrument name. A part
// without entries is freed. Returns the instrument-name item made, if any.
TQSLyric* WriteMidiPart(TMidiImportPart& part, const TMeterList& meters, const TMidiNotationOptions& options);

// Moves the instrument names left of the system start by the widest of
// them and has the layout centre each on its part.
void AlignInstrumentNames(const std::vector<TQSLyric*>& names);

}  // namespace qs
