#include "palettes/keyentry.h"

#include <algorithm>
#include <array>

#include "editing/entry.h"

namespace qs {

namespace {
constexpr std::array<int, 7> kSemitone = {0, 2, 4, 5, 7, 9, 11};
constexpr std::array<int, 12> kStep = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};
}  // namespace

void AppendAccidentals(int alteration, int inForce, std::vector<int>& codes) {
  if (alteration == inForce) return;
  if (inForce != 0) codes.push_back(modifier::Natural);
  if (alteration > 0) codes.push_back(modifier::Sharp);
  else if (alteration < 0) codes.push_back(modifier::Flat);
}

TKeyEntry SpellPianoKey(int octave, int note, int tone, const TAlterationInForce& inForce) {
  TKeyEntry e;
  e.Octave = octave;
  e.Step = std::clamp(note, 1, 7) - 1;
  const int own = inForce(e.Step);
  if (own == 0 && tone != 0) {
    // The neighbour the key also is: the letter above for a sharp, below
    // for a flat; written plain when its alteration in force sounds the
    // key (A sharp is B with B flat in force, but B sharp is no C flat).
    int octaveN = octave, stepN = e.Step + (tone > 0 ? 1 : -1);
    if (stepN > 6) stepN = 0, ++octaveN;
    if (stepN < 0) stepN = 6, --octaveN;
    const int altered = inForce(stepN);
    if (altered != 0 && octaveN * 12 + kSemitone[static_cast<size_t>(stepN)] + altered == PianoKeyPitch(octave, note, tone)) {
      e.Octave = octaveN;
      e.Step = stepN;
      return e;
    }
  }
  AppendAccidentals(tone, own, e.Accidentals);
  return e;
}

int PianoKeyPitch(int octave, int note, int tone) {
  return octave * 12 + kSemitone[static_cast<size_t>(std::clamp(note, 1, 7) - 1)] + tone;
}

int IntervalPitch(int reference, int semitones, bool up, int octaves) {
  const int span = semitones + 12 * octaves;
  return std::clamp(up ? reference + span : reference - span, 0, 127);
}

TKeyEntry SpellPitch(int pitch, const TAlterationInForce& inForce) {
  TKeyEntry e;
  const int pc = pitch % 12;
  e.Octave = pitch / 12;
  e.Step = kStep[static_cast<size_t>(pc)];
  int alteration = 0;
  if (pc == 1 || pc == 3 || pc == 6 || pc == 8 || pc == 10) {
    // D and A sharp are written as E and B flat.
    if (e.Step == 1 || e.Step == 5) ++e.Step, alteration = -1;
    else alteration = 1;
  }
  AppendAccidentals(alteration, inForce(e.Step), e.Accidentals);
  return e;
}

}  // namespace qs
