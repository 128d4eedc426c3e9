#pragma once
// Shared by the MIDI import tests: a score to import into, the import
// settings, and a compact text of what a voice of a measure holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/stream.h"
#include "interchange/midi_file.h"
#include "interchange/midi_import.h"
#include "midi_smf_writer.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"

namespace qs::test {

struct TImportSettings {
  int Quantize = 32;
  bool OneStaff = false;
  bool TrackNames = false;
  bool Triplets = false;
  bool AutoClefs = false;
};

class TMidiImportTest : public ::testing::Test {
 protected:
  TQSScore Score;

  void Import(const TBytesVec& bytes, const TImportSettings& settings = {}) {
    Score.Quantize = static_cast<uint16_t>(settings.Quantize);
    Score.ImportStaffPerTrack = settings.OneStaff;
    Score.ImportTrackNames = settings.TrackNames;
    Score.ImportTriplets = settings.Triplets;
    Score.ImportAutoClefs = settings.AutoClefs;
    TMemoryStream s(bytes);
    ImportMidiFile(Score, s);
  }

  TQSPiece* Piece() const { return Score.GetPiece(Score.PieceCount() - 1); }
  TQSPart* Part(int i = 0) const { return Piece()->GetPart(i); }
  TQSMeasure* Measure(int m, int part = 0) const { return Part(part)->GetMeasure(m); }
};

// A note as "C5", "F#5", "Bb4", "Fn5": step, the accidental written, octave.
inline std::string NoteName(const TQSNote& n) {
  std::string s(1, "CDEFGAB"[PitchStep(n.Fields.Pitch) % 7]);
  switch (n.AccidentalDisplay) {
    case 0x01: s += "#"; break;
    case 0x41: s += "b"; break;
    case 0x80: s += "n"; break;
    case 0x81: s += "n#"; break;
    case 0xC1: s += "nb"; break;
    default: break;
  }
  return s + std::to_string(PitchOctave(n.Fields.Pitch));
}

inline bool HasTie(const TQSNote& n) {
  for (TQSItem* item : n.Items)
    if (item->ItemType == kind::Liga) return true;
  return false;
}

// The notes and rests of one voice in list order: "C5/128" a note of
// written length 128, "." per dot, "~" tied on, "+" joins chord notes,
// "r/256" a rest.
inline std::string VoiceText(const TQSMeasure& m, int staffVoice) {
  std::string out;
  int lastTime = -1;
  for (TQSItem* item : m.Items) {
    if (item->StaffVoice() != staffVoice) continue;
    std::string piece;
    if (item->ItemType == kind::Note) {
      const auto& n = *static_cast<TQSNote*>(item);
      piece = NoteName(n) + "/" + std::to_string(n.Fields.Length) + std::string(size_t(DotCount(n)), '.') +
              (HasTie(n) ? "~" : "");
      if (n.Fields.Time == lastTime) {
        out += "+" + piece;
        continue;
      }
      lastTime = n.Fields.Time;
    } else if (item->ItemType == kind::Pause) {
      const auto& r = *static_cast<TQSPause*>(item);
      piece = "r/" + std::to_string(r.Fields.Length) + std::string(size_t(DotCount(r)), '.');
      lastTime = -1;
    } else {
      continue;
    }
    out += (out.empty() ? "" : " ") + piece;
  }
  return out;
}

// The marks of a kind in an item list, in order.
inline std::vector<TQSMark*> MarksOf(const TQSItemList& items, TQSItemType kind) {
  std::vector<TQSMark*> marks;
  for (TQSItem* item : items)
    if (item->ItemType == kind) marks.push_back(static_cast<TQSMark*>(item));
  return marks;
}

inline std::vector<TQSNote*> NotesOf(const TQSMeasure& m) {
  std::vector<TQSNote*> notes;
  for (TQSItem* item : m.Items)
    if (item->ItemType == kind::Note) notes.push_back(static_cast<TQSNote*>(item));
  return notes;
}

// A one-track file (after a conductor track) of notes on channel 0, each
// {key, start, length} in ticks of a division of 96.
struct TNoteSpec {
  int Key, Start, Length;
};
inline TBytesVec NotesFile(const std::vector<TNoteSpec>& notes, int program = 0) {
  TSmfFile f;
  f.Track().Meta(0, 3, "Conductor");
  TSmfTrack& t = f.Track();
  t.Program(0, 0, program);
  for (const TNoteSpec& n : notes) t.Note(0, n.Key, n.Start, n.Length);
  return f.Bytes();
}

}  // namespace qs::test
