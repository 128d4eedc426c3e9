#include "chords/guitarnotes.h"

#include <algorithm>

#include "chords/guitar.h"

namespace qs {

namespace {

int MidiKey(int pitch) { return std::clamp(pitch, 0, 127); }

// The range test of a note on guitar string s.
bool OnString(const TQSGuitarDescription& g, int s, int fretCount, int pitch) {
  const int open = g.GetTuning(s);
  return open <= pitch && pitch < open + fretCount;
}

}  // namespace

int FretboardOpenPitch(const TQSGuitarDescription* guitar, int guitarIndex, int n, int i) {
  if (guitar) return guitar->GetTuning(n - i - 1);
  if (i < 0) return 0;
  if (guitarIndex == 1)
    return i < static_cast<int>(kDefaultSevenStrings.size()) ? kDefaultSevenStrings[static_cast<size_t>(i)] : 0;
  return i < static_cast<int>(kDefaultSixStrings.size()) ? kDefaultSixStrings[static_cast<size_t>(i)] : 0;
}

std::vector<TQSChordTone> FretboardChord(const TQSGuitarDescription* guitar, int guitarIndex,
                                         const std::vector<int>& frets, bool forPlaying) {
  const int n = static_cast<int>(frets.size());
  const bool paired = guitar && guitar->Paired;
  // The list grows with the strings: a paired guitar of many strings gives
  // two entries a string, however many there are.
  std::vector<TQSChordTone> tones;
  tones.reserve(static_cast<size_t>(paired ? 2 * n : n));
  const int shift = guitar && forPlaying ? guitar->TransposeSum() : 0;
  auto block = [&](bool second) {
    for (int i = 0; i < n; ++i) {
      TQSChordTone t;
      const int f = frets[static_cast<size_t>(i)];
      if (f >= 1) {
        const int open = second ? guitar->GetSecondTuning(n - i - 1) : FretboardOpenPitch(guitar, guitarIndex, n, i);
        t.Pitch = static_cast<int16_t>(MidiKey(open + f - 1 + shift));
        t.String = static_cast<uint8_t>(n - i - 1);
        t.Fret = static_cast<uint8_t>(f);
      }
      tones.push_back(t);
    }
  };
  block(false);
  if (paired) block(true);
  if (!forPlaying) {
    for (size_t i = 0; i < tones.size(); ++i) {
      if (tones[i].Pitch == 0) continue;
      for (size_t j = i + 1; j < tones.size(); ++j)
        if (tones[j].Pitch == tones[i].Pitch) tones[j].Pitch = 0;
    }
  }
  return tones;
}

std::vector<int> PlaceOnStrings(const TQSGuitarDescription& guitar, int n, int fretCount,
                                const std::vector<int>& pitches) {
  std::vector<int> frets(static_cast<size_t>(std::max(0, n)), 0);
  if (n <= 0 || pitches.empty() || pitches.front() == 0) return frets;
  std::vector<bool> used(static_cast<size_t>(n), false);
  const int low = guitar.GetTuning(0), high = guitar.GetTuning(n - 1) + fretCount;
  for (int pitch : pitches) {
    if (pitch < low || pitch > high) continue;
    int found = -1;
    for (int s = n - 1; s >= 0 && found < 0; --s)
      if (!used[static_cast<size_t>(s)] && OnString(guitar, s, fretCount, pitch)) found = s;
    if (found < 0) {
      frets[static_cast<size_t>(n - 1)] = 0;
      continue;
    }
    used[static_cast<size_t>(found)] = true;
    frets[static_cast<size_t>(n - found - 1)] = pitch - guitar.GetTuning(found) + 1;
  }
  return frets;
}

TFretPlace PlaceOneNote(const TQSGuitarDescription& guitar, int n, int fretCount, int pitch) {
  TFretPlace place;
  if (n <= 0 || pitch < guitar.GetTuning(0) || pitch > guitar.GetTuning(n - 1) + fretCount) return place;
  place.String = n - 1;
  for (int s = n - 1; s >= 0; --s) {
    if (OnString(guitar, s, fretCount, pitch)) {
      place.String = n - s - 1;
      place.Fret = pitch - guitar.GetTuning(s) + 1;
      break;
    }
  }
  return place;
}

}  // namespace qs
