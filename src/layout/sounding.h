#pragma once
// How a written note sounds, shared by the layout of notes, grace notes and
// marks: the key of a pitch, what written accidentals change, and the
// channel, program and voice a note plays with.
#include <cstdint>

namespace qs {

class TQSScore;
class TQSPart;
class TQSStaff;
class TQSNote;
class TQSVoice;

// The key of a pitch byte without any alteration: 12 x octave + the
// semitone of its step (steps beyond B count as B).
int NaturalKey(uint8_t pitch);
// The diatonic step of a pitch byte, 0-6 (steps beyond B count as B).
int SafeStep(uint8_t pitch);
// The row of a pitch in the accidental stacking table, 0-127.
int StackRow(uint8_t pitch);

// What a written accidental of kind k does to a note. The display byte
// holds the written accidental (bit 7 natural shown, bit 6 negative, bits
// 0-5 the size); the alteration is the note's, in semitones. While
// inForce is set, the first sharp- or flat-like accidental replaces the
// alteration the key or an earlier note put on the step (and clears
// inForce); later ones add to it. Naturals set it. Kinds that are no
// accidentals change nothing and give false.
bool ApplyAccidental(int k, uint8_t& display, int& alteration, bool& inForce);
// The change of a sharp- or flat-like accidental kind (-2..2); 0 for others.
int AccidentalAmount(int k);

// The voice of a staff/voice byte in the part, nullptr when it does not
// exist.
TQSVoice* FindVoice(const TQSPart* part, uint8_t staffVoice);

// Channel and program of a voice, or of the part when the voice's program
// is 255 or there is no voice; a channel above 15 becomes 0.
struct TSound {
  uint8_t Channel = 0;
  uint8_t Program = 0;
};
TSound VoiceSound(const TQSVoice* voice, const TQSPart* part);
// The percussion channel.
constexpr uint8_t kDrumChannel = 9;
// The key a note written at key with head style headStyle sounds on a
// percussion staff: the drum map's entry for the written key and the
// style's drum head (styles below 5 or beyond the table take the entry
// without a head); the key itself when there is none.
int DrumKey(const TQSScore& score, int key, int headStyle);

// Gives a tablature note without a fret (stored fret 0) the string and
// fret that play its sounding key: the lowest fret, the first string on
// equal frets. Without a string that reaches the key the fret stays at
// the staff's fret count - 1.
void ChooseString(const TQSStaff& staff, TQSNote& note);

}  // namespace qs
