#include "layout/sounding.h"

#include <algorithm>
#include <cstdlib>

#include "score/accidentals.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/score.h"
#include "score/units.h"

namespace qs {

namespace {

constexpr int kSemitones[7] = {0, 2, 4, 5, 7, 9, 11};

int DisplayValue(uint8_t display) {
  using namespace accidental;
  return (display & DisplayDown) ? -(display & DisplayAmount) : (display & DisplayAmount);
}

uint8_t MakeDisplay(uint8_t natural, int value) {
  using namespace accidental;
  const int size = std::min(std::abs(value), int{DisplayAmount});
  return static_cast<uint8_t>(natural | (value < 0 ? DisplayDown : 0) | size);
}

}  // namespace

int SafeStep(uint8_t pitch) { return std::min(PitchStep(pitch), 6); }

int NaturalKey(uint8_t pitch) { return 12 * PitchOctave(pitch) + kSemitones[SafeStep(pitch)]; }

int StackRow(uint8_t pitch) { return std::min(PitchOctave(pitch) * 7 + SafeStep(pitch), 127); }

int AccidentalAmount(int k) {
  using namespace accidental;
  switch (k) {
    case Flat: case QuarterToneFlat: case ThreeQuarterToneFlat: case EighthToneFlat: case QuarterToneFlatArrows:
    case ThreeEighthToneFlat: return -1;
    case DoubleFlat: return -2;
    case Sharp: case QuarterToneSharp: case ThreeQuarterToneSharp: case EighthToneSharp: case QuarterToneSharpArrows:
    case ThreeEighthToneSharp: return 1;
    case DoubleSharp: return 2;
    default: return 0;
  }
}

bool ApplyAccidental(int k, uint8_t& display, int& alteration, bool& inForce) {
  using namespace accidental;
  if (k == Natural || k == NaturalFlat || k == NaturalSharp) {
    const int value = k == Natural ? 0 : k == NaturalFlat ? -1 : 1;
    display = MakeDisplay(DisplayNatural, value);
    alteration = value;
    return true;
  }
  const int amount = AccidentalAmount(k);
  if (amount == 0) return false;
  display = MakeDisplay(display & DisplayNatural, DisplayValue(display) + amount);
  if (inForce) {
    alteration = amount;
    inForce = false;
  } else {
    alteration += amount;
  }
  return true;
}

TQSVoice* FindVoice(const TQSPart* part, uint8_t staffVoice) {
  const TQSStaff* staff = part ? part->GetStaff(StaffOf(staffVoice)) : nullptr;
  return staff ? staff->GetVoice(VoiceOf(staffVoice)) : nullptr;
}

TSound VoiceSound(const TQSVoice* voice, const TQSPart* part) {
  TSound s;
  if (voice && voice->Fields.Instrument != 255) {
    s.Channel = voice->Fields.Channel;
    s.Program = voice->Fields.Instrument;
  } else if (part) {
    s.Channel = static_cast<uint8_t>(part->Channel());
    s.Program = part->Fields.Instrument;
  }
  if (s.Channel > 15) s.Channel = 0;
  return s;
}

int DrumKey(const TQSScore& score, int key, int headStyle) {
  const int count = score.DrumInstrumentCount();
  const int drum = headStyle - headstyle::FirstDrum;
  const int head = drum >= 0 && drum < count ? drum : 255;
  const TQSDrumMapEntry* entry = score.DrumEntryByPitch(key, head);
  return entry ? entry->Key : key;
}

void ChooseString(const TQSStaff& staff, TQSNote& note) {
  const int frets = staff.Fields.FretCount;
  note.Fields.TabFret = static_cast<uint8_t>(std::clamp(frets - 1, 0, 255));
  const int key = note.SoundingKey;
  const int lines = std::min<int>(staff.Fields.LineCount, TQSStaff::kMaxLines);
  for (int i = 0; i < lines; ++i) {
    const int t = staff.Tuning[i];
    if (t <= key && key <= t + frets && key - t + 1 < note.Fields.TabFret) {
      note.Fields.TabString = static_cast<uint8_t>(i);
      note.Fields.TabFret = static_cast<uint8_t>(key - t + 1);
    }
  }
}

}  // namespace qs
