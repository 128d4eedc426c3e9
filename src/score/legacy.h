#pragma once
// Score files of the older formats: the first byte is 250 (one old layout,
// version 768) or 245 (a signature and a 16-bit version follow). They hold
// one piece, stored part by part and staff by staff, each staff with its
// own measure records, in units and codes of their own; the reader converts
// everything into the current model.
#include <cstdint>

#include "base/stream.h"

namespace qs {

class TQSScore;
class TQSPiece;
class TQSPart;

// Reads the rest of an old file, after its first byte, into a score that
// the caller has emptied and whose update lock it holds. Damaged part,
// staff and measure records end where they are damaged and reading goes on
// after them; damage outside them (signature, version, piece header) raises
// an error and leaves what was read.
void ReadLegacyScore(TQSScore& score, TStream& stream, uint8_t formatByte);

// The part a piece gets when an old file gave it none: one staff with one
// voice, a free MIDI channel, and a key signature and a treble clef in its
// first measure.
TQSPart* AddStarterPart(TQSPiece& piece);

}  // namespace qs
