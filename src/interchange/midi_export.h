#pragma once
// Standard MIDI File export: a score is written as it sounds, by the same
// play-order walk as playback, as a format-1 file of 384 ticks to a quarter
// note with a conductor track (meters, tempos, texts) and one track per
// MIDI channel that is used.
#include <cstdint>
#include <string>

namespace qs {

class TQSScore;
class TStream;

// File ticks to a quarter note, and to one tick of the score (1/128 of a
// quarter).
constexpr int kMidiExportDivision = 384;
constexpr int kMidiExportTicksPerPass = kMidiExportDivision / 128;

// Writes the score to the stream from its start. The score must be laid
// out: the play order and the event lists come from the layout. Pieces
// follow one another in time. Nothing is written for a score without
// pieces.
void ExportMidiFile(const TQSScore& score, TStream& stream);

// The same into a file, saved safely: the old file stays as it was when
// anything fails.
void ExportMidiFile(const TQSScore& score, const std::string& fileName);

}  // namespace qs
