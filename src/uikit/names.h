#pragma once
// The program's musical and MIDI vocabulary as every window shows it: names
// of clefs, keys, MIDI controllers, instruments and pitch classes, and the
// note letters.
#include <array>
#include <string>

namespace qs {

// Clef code 0..14 ("" for any other code), in the language ("ENU" ...;
// empty for the interface language).
std::string ClefName(int clef, const std::string& language = {});

// Key k of a mode (0 major, 1 minor): k sharps (0..7) or 10 + flats
// (11..17); "" for 8, 9, 10 and anything out of range. In the language,
// as ClefName.
std::string KeyName(int mode, int k, const std::string& language = {});

// Controller number 0..127; "" for controllers without a name.
std::string ControllerName(int controller);

// Program number 0..127, and kPercussionProgram for the drum channel.
inline constexpr int kPercussionProgram = 128;
std::string InstrumentName(int program);

// Pitch class 0 (C) .. 11 (B); the settings may replace the names.
std::string PitchName(int pitchClass);
void SetPitchNames(const std::array<std::string, 12>& names);

// Step 0 (C) .. 6 (B); the settings dialog may change the letters.
char NoteLetter(int step);
// All seven, C to B.
const std::string& NoteLetters();
void SetNoteLetters(const std::string& letters);  // 7 characters, else ignored

}  // namespace qs
