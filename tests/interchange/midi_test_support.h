#pragma once
// Shared by the MIDI import tests: a score to import into, the import
// settings, and a compact text of what a voice of a measure holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "base/stream.h"
#include "interchange/midi_export.h"
#include "interchange/midi_file.h"
#include "score/accidentals.h"
#include "interchange/midi_import.h"
#include "layout/layout.h"
#include "layout/sounding.h"
#include "midi_smf_writer.h"
#include "score_notes.h"
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

// The notes a file plays: each note-on until its note-off (or the next
// note-on of its key), less exact duplicates of channel, key and onset.
inline std::vector<TSoundingNote> FileNotes(const TBytesVec& bytes) {
  TMemoryStream s(bytes);
  const TMidiFile file = ReadMidiFile(s);
  auto score = [&](int64_t tick) { return (tick * 256 + file.Division) / (2 * int64_t(file.Division)); };
  std::vector<TSoundingNote> notes;
  for (const std::vector<TMidiEvent>& track : file.Tracks) {
    std::map<std::pair<int, int>, int64_t> pending;  // channel and key -> onset
    for (const TMidiEvent& e : track) {
      if (e.Command() != 0x80 && e.Command() != 0x90) continue;
      const std::pair<int, int> ck{e.Channel(), e.Data1};
      const int64_t at = score(e.Tick);
      if (auto it = pending.find(ck); it != pending.end()) {
        if (!(e.Command() == 0x90 && e.Data2 > 0 && it->second == at))
          notes.push_back({ck.first, ck.second, it->second, at - it->second});
        pending.erase(it);
      }
      if (e.Command() == 0x90 && e.Data2 > 0) pending[ck] = at;
    }
  }
  std::stable_sort(notes.begin(), notes.end(), [](const TSoundingNote& a, const TSoundingNote& b) {
    return std::tie(a.Channel, a.Key, a.Start) < std::tie(b.Channel, b.Key, b.Start);
  });
  notes.erase(std::unique(notes.begin(), notes.end(),
                          [](const TSoundingNote& a, const TSoundingNote& b) {
                            return a.Channel == b.Channel && a.Key == b.Key && a.Start == b.Start;
                          }),
              notes.end());
  return notes;
}

// The notes a piece shows, its measures measured by its time signatures.
inline std::vector<TSoundingNote> ScoreNotes(const TQSPiece& piece) { return ScoreNotes(piece, MeterStarts(piece)); }

// What the import promises: every note of the file is one note or one
// chain of tied notes in the piece, of its key, at its onset to half a
// grid step and with its length to a grid step (a drum stroke at least).
inline void ExpectEveryNoteKept(const TBytesVec& bytes, const TQSPiece& piece, int quantize) {
  const int q = std::clamp(quantize, kTicksWhole / 64, kTicksWhole);
  std::vector<TSoundingNote> shown = ScoreNotes(piece);
  std::vector<bool> used(shown.size());
  int lost = 0;
  for (const TSoundingNote& n : FileNotes(bytes)) {
    size_t best = shown.size();
    for (size_t i = 0; i < shown.size(); ++i) {
      const TSoundingNote& s = shown[i];
      // A drum stroke is written to last until the next one (its sound
      // does not depend on it), so it may be shown longer than played.
      const bool lengthKept = n.Channel == kDrumChannel ? s.Length + q >= n.Length : std::abs(s.Length - n.Length) <= q;
      if (used[i] || s.Channel != n.Channel || s.Key != n.Key || std::abs(s.Start - n.Start) * 2 > q || !lengthKept)
        continue;
      if (best == shown.size() || std::abs(s.Start - n.Start) < std::abs(shown[best].Start - n.Start)) best = i;
    }
    if (best < shown.size()) {
      used[best] = true;
      continue;
    }
    if (++lost <= 5)
      ADD_FAILURE() << "note lost, moved or cut: channel " << n.Channel << " key " << n.Key << " at " << n.Start
                    << " for " << n.Length;
  }
  EXPECT_EQ(lost, 0) << "notes of the file not in the score";
  EXPECT_EQ(std::count(used.begin(), used.end(), false), 0) << "notes in the score not in the file";
}

inline std::vector<std::tuple<int, int, int64_t, int64_t>> SortedNotes(const TQSPiece& piece) {
  std::vector<std::tuple<int, int, int64_t, int64_t>> notes;
  for (const TSoundingNote& n : ScoreNotes(piece)) notes.emplace_back(n.Channel, n.Key, n.Start, n.Length);
  std::sort(notes.begin(), notes.end());
  return notes;
}

class TMidiImportTest : public ::testing::Test {
 protected:
  // The notation as the import writes it: no layout pass changes it
  // afterwards, whichever test of the process installed one.
  TMidiImportTest() { Score.LayoutPass = nullptr; }

  TQSScore Score;
  // Every import of a test is checked against the promise above.
  bool CheckEveryNote = true;

  void Import(const TBytesVec& bytes, const TImportSettings& settings = {}) {
    Score.RecordQuantize = static_cast<uint16_t>(settings.Quantize);
    Score.ImportStaffPerTrack = settings.OneStaff;
    Score.ImportTrackNames = settings.TrackNames;
    Score.ImportTriplets = settings.Triplets;
    Score.ImportAutoClefs = settings.AutoClefs;
    TMemoryStream s(bytes);
    ImportMidiFile(Score, s);
    if (CheckEveryNote) {
      SCOPED_TRACE("every note of the file kept");
      ExpectEveryNoteKept(bytes, *Piece(), settings.Quantize);
    }
    if (CheckExport) ExpectSameAfterExport(bytes, settings);
  }

  // Export then import gives the same notes, lengths and meters (a score of
  // its own, since the test's score may hold the pieces of earlier imports).
  bool CheckExport = true;
  void ExpectSameAfterExport(const TBytesVec& bytes, const TImportSettings& settings) {
    SCOPED_TRACE("exported and imported again");
    auto import = [&](TQSScore& score, TMemoryStream& s) {
      score.RecordQuantize = static_cast<uint16_t>(settings.Quantize);
      score.ImportStaffPerTrack = settings.OneStaff;
      score.ImportTrackNames = settings.TrackNames;
      score.ImportTriplets = settings.Triplets;
      score.ImportAutoClefs = settings.AutoClefs;
      score.DrumMap = Score.DrumMap;
      score.RebuildDrumMap();
      ImportMidiFile(score, s);
    };
    TQSScore first, again;
    // The export walks the play order of the layout.
    first.LayoutPass = LayoutScore;
    TMemoryStream original(bytes), exported;
    import(first, original);
    ExportMidiFile(first, exported);
    exported.Seek(0, SeekOrigin::Begin);
    import(again, exported);
    const TQSPiece& copy = *again.GetPiece(again.PieceCount() - 1);
    EXPECT_EQ(SortedNotes(copy), SortedNotes(*Piece()));
    EXPECT_EQ(ColumnMeters(copy), ColumnMeters(*Piece()));
  }

  TQSPiece* Piece() const { return Score.GetPiece(Score.PieceCount() - 1); }
  TQSPart* Part(int i = 0) const { return Piece()->GetPart(i); }
  TQSMeasure* Measure(int m, int part = 0) const { return Part(part)->GetMeasure(m); }
};

// A note as "C5", "F#5", "Bb4", "Fn5": step, the accidental written, octave.
inline std::string NoteName(const TQSNote& n) {
  std::string s(1, "CDEFGAB"[PitchStep(n.Fields.Pitch) % 7]);
  switch (n.AccidentalDisplay) {
    case accidental::DisplaySharp: s += "#"; break;
    case accidental::DisplayFlat: s += "b"; break;
    case accidental::DisplayNaturalOnly: s += "n"; break;
    case accidental::DisplayNaturalSharp: s += "n#"; break;
    case accidental::DisplayNaturalFlat: s += "nb"; break;
    default: break;
  }
  return s + std::to_string(PitchOctave(n.Fields.Pitch));
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
