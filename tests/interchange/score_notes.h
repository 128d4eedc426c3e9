#pragma once
// The notes a piece shows as they sound: each note with the notes of its
// key tied on from it, at its onset from the start of the piece and with
// the length of the whole chain. Shared by the MIDI tests and the
// midi_roundtrip tool.
#include <cstdint>
#include <map>
#include <vector>

#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/timing.h"

namespace qs::test {

// A note of a file or of a score: channel, key, onset and length in score
// ticks from the start of the piece.
struct TSoundingNote {
  int Channel, Key;
  int64_t Start, Length;
};

inline bool HasTie(const TQSNote& n) {
  for (TQSItem* item : n.Items)
    if (item->ItemType == kind::Liga) return true;
  return false;
}

inline std::vector<uint16_t> ColumnMeters(const TQSPiece& piece) {
  std::vector<uint16_t> meters;
  for (int c = 0; c < piece.ColumnCount(); ++c)
    for (TQSItem* item : piece.GetColumn(c)->Items)
      if (item->ItemType == kind::Meter) meters.push_back(static_cast<TQSMark*>(item)->Fields.Value);
  return meters;
}

// Where each measure starts (and the last one ends) by the time signatures
// of the columns.
inline std::vector<int64_t> MeterStarts(const TQSPiece& piece) {
  std::vector<int64_t> starts{0};
  uint16_t meter = MakeMeter(4, 4);
  for (int c = 0; c < piece.ColumnCount(); ++c) {
    for (TQSItem* item : piece.GetColumn(c)->Items)
      if (item->ItemType == kind::Meter) meter = static_cast<TQSMark*>(item)->Fields.Value;
    starts.push_back(starts.back() + MeterLength(meter));
  }
  return starts;
}

// The same by the measure lengths of the last layout pass.
inline std::vector<int64_t> LayoutStarts(const TQSPiece& piece) {
  std::vector<int64_t> starts{0};
  if (piece.PartCount() == 0) return starts;
  const TQSPart& part = *piece.GetPart(0);
  for (int m = 0; m < part.MeasureCount(); ++m) starts.push_back(starts.back() + part.GetMeasure(m)->MeasureLength());
  return starts;
}

// A note continues a tied note of its key that ends where it starts, in
// any voice of its part.
inline std::vector<TSoundingNote> ScoreNotes(const TQSPiece& piece, const std::vector<int64_t>& starts) {
  std::vector<TSoundingNote> notes;
  for (int p = 0; p < piece.PartCount(); ++p) {
    const TQSPart& part = *piece.GetPart(p);
    // A tied note waiting for its continuation: key and end -> its index.
    std::map<std::pair<int, int64_t>, size_t> open;
    for (int m = 0; m < part.MeasureCount() && m + 1 < int(starts.size()); ++m) {
      const int64_t measureStart = starts[size_t(m)];
      for (TQSItem* item : part.GetMeasure(m)->Items) {
        if (item->ItemType != kind::Note) continue;
        const auto& n = *static_cast<const TQSNote*>(item);
        const int64_t start = measureStart + n.Fields.Time;
        size_t index;
        if (auto it = open.find({n.SoundingKey, start}); it != open.end()) {
          index = it->second;
          open.erase(it);
          notes[index].Length += n.Fields.RealLength;
        } else {
          index = notes.size();
          notes.push_back({part.Fields.Channel, n.SoundingKey, start, n.Fields.RealLength});
        }
        if (HasTie(n)) open[{n.SoundingKey, start + n.Fields.RealLength}] = index;
      }
    }
  }
  return notes;
}

}  // namespace qs::test
