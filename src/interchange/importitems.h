#pragma once
// Items both importers make the same way: tempo marks and the instrument
// names shown at the systems.
#include <cstdint>
#include <string>

namespace qs {

class TQSScore;
class TQSColumn;
class TQSMeasure;
class TQSMark;
class TQSLyric;

// A tempo mark at a tick of a column: the beat a note of 2^(9 - beat)
// ticks (2 a quarter), bpm beats a minute. A tempo mark already at that
// tick takes the new tempo instead.
TQSMark* PlaceTempoMark(TQSColumn& column, int tick, uint8_t beat, int bpm);

// How far below the staff's top line the lyrics of a verse (from 1)
// stand, in layout units: two staff spaces more for each verse, the first
// clear of notes a few ledger lines below the staff.
int VerseOffsetY(const TQSScore& score, int verse);

// Teaches the score's drum map a percussion key written at a pitch (on the
// percussion clef) with a head (an entry of the drum instrument table, 255
// the normal head), so that the note sounds that key: unless the map lists
// the key already (in use or not) or another key holds that place and
// head. True when the map holds the key at that place and head afterwards.
bool LearnDrumKey(TQSScore& score, int key, uint8_t pitch, uint8_t head = 255);

// An instrument name put first into the first measure of a part, in 10
// point Arial, centred on the part by the layout. A short name is the one
// repeated at the start of every later system.
TQSLyric* NewInstrumentName(TQSMeasure& first, const std::string& name, bool shortName);

}  // namespace qs
