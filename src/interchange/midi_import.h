#pragma once
// Standard MIDI File import: a file becomes a new piece of the score, one
// part per MIDI channel, its notes quantised and written as notation with
// the score's import settings (Quantize and the Import* flags).
#include "base/stream.h"

namespace qs {

class TQSScore;

// Reads the file from the stream's position into a new piece of the
// score. Undo recording is suspended meanwhile; the score is laid out again
// and its views refreshed at the end, also when an error (EMidiFileError for
// a damaged file) passes on to the caller.
void ImportMidiFile(TQSScore& score, TStream& stream);

// Makes TQSScore::LoadFromFile read ".mid", ".midi", ".rmi" and ".kar"
// files through ImportMidiFile.
void InstallMidiImporter();

}  // namespace qs
