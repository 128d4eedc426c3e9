#include "uikit/names.h"

#include "uikit/catalogue.h"

namespace qs {
namespace {

// English names; the interface language's come from the catalogue.
constexpr const char* kClefs[15] = {"Treble",     "Bass",        "Alto",          "Treble 8va",   "Treble 8vb",
                                    "Bass 8vb",   "Baritone (F)", "Tenor",        "Soprano",      "Mezzo-soprano",
                                    "Baritone (C)", "Treble",    "Tablature",     "Percussion 1", "Percussion 2"};

// Keys by sharps (0..7) and 10 + flats (11..17); 8..10 name no key.
constexpr const char* kKeys[2][18] = {
    {"C major", "G major", "D major", "A major", "E major", "B major", "F# major", "C# major", "", "", "",
     "F major", "Bb major", "Eb major", "Ab major", "Db major", "Gb major", "Cb major"},
    {"A minor", "E minor", "B minor", "F# minor", "C# minor", "G# minor", "D# minor", "A# minor", "", "", "",
     "D minor", "G minor", "C minor", "F minor", "Bb minor", "Eb minor", "Ab minor"}};

// The catalogue's text of id in the language, the English name where the
// catalogue has none (no language files, as in the tools).
std::string Localised(int id, const std::string& language, const char* english) {
  const std::string text = CatalogueText(id, language);
  return text.rfind("[message ", 0) == 0 ? english : text;
}

struct TNumberedName {
  int Number;
  const char* Name;
};
constexpr TNumberedName kControllers[] = {
    {0, "Bank Select MSB"}, {1, "Modulation"}, {2, "Breath Control"}, {4, "Foot Pedal"},
    {5, "Portamento Time"}, {6, "Data Entry MSB"}, {7, "Main Volume"}, {8, "Balance"},
    {10, "Pan"}, {11, "Expression"}, {16, "AC1 Assignable Controller"}, {17, "AC2 Assignable Controller"},
    {18, "AC3 Assignable Controller"}, {19, "AC4 Assignable Controller"}, {32, "Bank Select LSB"},
    {38, "Data Entry LSB"}, {64, "Sustain Pedal, Hold1"}, {65, "Portamento"}, {66, "Sostenuto Pedal"},
    {67, "Soft Pedal"}, {80, "AC5 Assignable Controller"}, {81, "AC6 Assignable Controller"},
    {82, "AC7 Assignable Controller"}, {83, "AC8 Assignable Controller"}, {91, "External Effects Depth"},
    {92, "Tremelo Depth"}, {93, "Chorus Depth"}, {94, "Detune Depth"}, {95, "Phaser Depth"},
    {96, "Data Increment"}, {97, "Data Decrement"}, {98, "NRPN LSB"}, {99, "NRPN MSB"}, {100, "RPN LSB"},
    {101, "RPN MSB"}, {120, "All Sounds Off"}, {121, "Reset All Controllers"}, {122, "Local Control"},
    {123, "All Notes Off"}, {124, "Omni Off"}, {125, "Omni On"}, {126, "Mono"}, {127, "Poly"}};

constexpr const char* kInstruments[129] = {
    "Acoustic Grand Piano", "Bright Acoustic Piano", "Electric Grand Piano", "Honky-tonk Piano",
    "Electric Piano 1", "Electric Piano 2", "Harpsichord", "Clavinet", "Celesta", "Glockenspiel", "Music Box",
    "Vibraphone", "Marimba", "Xylophone", "Tubular Bells", "Dulcimer", "Drawbar Organ", "Percussive Organ",
    "Rock Organ", "Church Organ", "Reed Organ", "Accordion", "Harmonica", "Tango Accordion",
    "Acoustic Guitar (nylon)", "Acoustic Guitar (steel)", "Electric Guitar (jazz)", "Electric Guitar (clean)",
    "Electric Guitar (muted)", "Overdriven Guitar", "Distortion Guitar", "Guitar Harmonics", "Acoustic Bass",
    "Electric Bass (finger)", "Electric Bass (pick)", "Fretless Bass", "Slap Bass 1", "Slap Bass 2",
    "Synth Bass 1", "Synth Bass 2", "Violin", "Viola", "Cello", "Contrabass", "Tremolo Strings",
    "Pizzicato Strings", "Orchestral Harp", "Timpani", "String Ensemble 1", "String Ensemble 2",
    "Synth Strings 1", "Synth Strings 2", "Choir Aahs", "Voice Oohs", "Synth Voice", "Orchestra Hit", "Trumpet",
    "Trombone", "Tuba", "Muted Trumpet", "French Horn", "Brass Section", "Synth Brass 1", "Synth Brass 2",
    "Soprano Sax", "Alto Sax", "Tenor Sax", "Baritone Sax", "Oboe", "English Horn", "Bassoon", "Clarinet",
    "Piccolo", "Flute", "Recorder", "Pan Flute", "Bottle Blow", "Shakuhachi", "Whistle", "Ocarina",
    "Lead 1 (square)", "Lead 2 (sawtooth)", "Lead 3 (calliope)", "Lead 4 (chiff)", "Lead 5 (charang)",
    "Lead 6 (voice)", "Lead 7 (fifths)", "Lead 8 (bass + lead)", "Pad 1 (new age)", "Pad 2 (warm)",
    "Pad 3 (polysynth)", "Pad 4 (choir)", "Pad 5 (bowed)", "Pad 6 (metallic)", "Pad 7 (halo)", "Pad 8 (sweep)",
    "FX 1 (rain)", "FX 2 (soundtrack)", "FX 3 (crystal)", "FX 4 (atmosphere)", "FX 5 (brightness)",
    "FX 6 (goblins)", "FX 7 (echoes)", "FX 8 (sci-fi)", "Sitar", "Banjo", "Shamisen", "Koto", "Kalimba",
    "Bagpipe", "Fiddle", "Shanai", "Tinkle Bell", "Agogo", "Steel Drums", "Woodblock", "Taiko Drum",
    "Melodic Tom", "Synth Drum", "Reverse Cymbal", "Guitar Fret Noise", "Breath Noise", "Seashore",
    "Bird Tweet", "Telephone Ring", "Helicopter", "Applause", "Gunshot", "Percussion"};

std::array<std::string, 12> gPitchNames = {"C", "C#", "D", "Eb", "E", "F", "F#", "G", "G#", "A", "Bb", "B"};
std::string gNoteLetters = "CDEFGAB";

}  // namespace

std::string ClefName(int clef, const std::string& language) {
  if (clef < 0 || clef >= 15) return "";
  return Localised(static_cast<int>(TMessageId::ClefNameFirst) + clef, language, kClefs[clef]);
}

std::string KeyName(int mode, int k, const std::string& language) {
  if (mode < 0 || mode > 1 || k < 0 || k >= 18 || !*kKeys[mode][k]) return "";
  // The catalogue holds the fifteen keys of a mode without the gap.
  const int index = mode * 15 + (k <= 7 ? k : k - 3);
  return Localised(static_cast<int>(TMessageId::KeyNameFirst) + index, language, kKeys[mode][k]);
}

std::string ControllerName(int controller) {
  for (const TNumberedName& c : kControllers)
    if (c.Number == controller) return c.Name;
  return "";
}

std::string InstrumentName(int program) {
  return program >= 0 && program <= kPercussionProgram ? kInstruments[program] : "";
}

std::string PitchName(int pitchClass) { return pitchClass >= 0 && pitchClass < 12 ? gPitchNames[pitchClass] : ""; }
void SetPitchNames(const std::array<std::string, 12>& names) { gPitchNames = names; }

char NoteLetter(int step) { return step >= 0 && step < 7 ? gNoteLetters[step] : '?'; }
const std::string& NoteLetters() { return gNoteLetters; }
void SetNoteLetters(const std::string& letters) {
  if (letters.size() == 7) gNoteLetters = letters;
}

}  // namespace qs
