// Standard MIDI File export: the play-order walk of playback, one pass per
// score tick and no waiting, with every message written after its delta
// time into the track of its channel or into the conductor track.
#include "interchange/midi_export.h"

#include <algorithm>
#include <array>
#include <vector>

#include "base/exceptions.h"
#include "base/safefile.h"
#include "base/stream.h"
#include "interchange/midi_file.h"
#include "playback/playwalker.h"
#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/timing.h"

namespace qs {

namespace {

// The largest number a variable-length quantity of four bytes holds.
constexpr int64_t kMaxDelta = 0x0FFFFFFF;
constexpr uint32_t kMicrosecondsPerMinute = 60000000;
// A set-tempo event holds three bytes.
constexpr uint32_t kMaxTempoValue = 0xFFFFFF;

// One track being written: its bytes and the file time of its last event.
struct TTrack {
  std::vector<uint8_t> Bytes;
  int64_t LastTime = 0;
};

void PutVarLen(std::vector<uint8_t>& out, uint32_t v) {
  uint8_t buf[4];
  int n = 0;
  buf[n++] = v & 0x7F;
  while (v >>= 7) buf[n++] = static_cast<uint8_t>(0x80 | (v & 0x7F));
  while (n) out.push_back(buf[--n]);
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// The meter as a time-signature event's data: numerator, the power of two
// of the denominator, 96 MIDI clocks to a click and eight 32nds to a
// quarter.
std::vector<uint8_t> TimeSignatureData(uint16_t meter) {
  const uint16_t m = SafeMeter(meter);
  uint8_t power = 0;
  while ((1 << (power + 1)) <= MeterDenominator(m)) ++power;
  return {static_cast<uint8_t>(MeterNumerator(m)), power, 0x60, 0x08};
}

// Where a position of a note's measure lies, in file ticks from the
// measure's start. Inside a tuplet the slots share the tuplet's length
// evenly, which whole score ticks only approximate (a triplet eighth is
// 42 2/3 of them) but file ticks, three to a score tick, hold exactly.
int64_t ExactPosition(const TQSNote& note, int position) {
  const int64_t plain = int64_t(position) * kMidiExportTicksPerPass;
  const TQSMeasure* measure = note.GetMeasure();
  if (!measure) return plain;
  const uint8_t staffVoice = note.Fields.StaffVoice;
  const TQSMark* tuplet = measure->FindTuplet(staffVoice, position);
  if (!tuplet) tuplet = measure->FindTuplet(MakeStaffVoice(StaffOf(staffVoice), 0), position);
  if (!tuplet || tuplet->TupletLengths.empty()) return plain;
  const std::vector<int16_t>& slots = tuplet->TupletLengths;
  int64_t total = 0;
  for (int16_t slot : slots) total += std::max<int16_t>(slot, 0);
  total *= kMidiExportTicksPerPass;
  const auto n = static_cast<int64_t>(slots.size());
  int slotStart = tuplet->Fields.Time;
  for (int64_t i = 0; i < n; ++i) {
    const int length = slots[size_t(i)];
    if (length > 0 && position < slotStart + length) {
      const int64_t from = i * total / n, to = (i + 1) * total / n;
      return int64_t(tuplet->Fields.Time) * kMidiExportTicksPerPass + from + (position - slotStart) * (to - from) / length;
    }
    slotStart += std::max(length, 0);
  }
  return plain;
}

std::vector<uint8_t> TempoData(uint32_t value) {
  std::vector<uint8_t> data;
  PutBigEndian(data, std::min(value, kMaxTempoValue), 3);
  return data;
}

// Writes the walk of each piece into the tracks.
class TMidiWriter : public TQSPlaySink {
 public:
  explicit TMidiWriter(const TQSScore& score) : score_(score) {}

  void WritePiece(int index) {
    const TQSPiece& piece = *score_.GetPiece(index);
    TQSPlayWalker walker(score_, *this, {.ConsultMutes = false, .DefaultLevels = false, .OnePiece = true});
    walker_ = &walker;
    walker.StartAt(index, 0, 0);

    // The conductor's opening: the meter of the first measure, the tempo
    // and the texts.
    const TQSCalcMeasure* first = piece.LastLaidOutMeasure >= 1 ? MeasureRecord(piece, 0) : nullptr;
    meter_ = first ? first->MeterFor(0) : MakeMeter(4, 4);
    Meta(Conductor(), midi::MetaTimeSignature, TimeSignatureData(meter_));
    tempo_ = kMicrosecondsPerMinute / uint32_t(SafeTempo(piece.Tempo()));
    Meta(Conductor(), midi::MetaTempo, TempoData(tempo_));
    Text(midi::MetaText, score_.Composer);
    Text(midi::MetaCopyright, score_.Rights);
    for (int i = 0; i < score_.Description.Count(); ++i) Text(midi::MetaText, score_.Description[i]);

    walker.SendPartLevels();
    while (walker.Pass() != TQSPassResult::End) {
    }
    walker.EndSounding();
    start_ += walker.Passes();
    walker_ = nullptr;
  }

  // The file: header and every track that holds events, the conductor
  // first, then the channels in order.
  void Write(TStream& stream) const {
    std::vector<uint8_t> out;
    int used = 0;
    for (const TTrack& t : tracks_) used += t.Bytes.empty() ? 0 : 1;
    out.insert(out.end(), {'M', 'T', 'h', 'd'});
    PutBigEndian(out, 6, 4);
    PutBigEndian(out, 1, 2);
    PutBigEndian(out, uint32_t(used), 2);
    PutBigEndian(out, kMidiExportDivision, 2);
    for (const TTrack& t : tracks_) {
      if (t.Bytes.empty()) continue;
      out.insert(out.end(), {'M', 'T', 'r', 'k'});
      PutBigEndian(out, uint32_t(t.Bytes.size() + 4), 4);
      out.insert(out.end(), t.Bytes.begin(), t.Bytes.end());
      out.insert(out.end(), {0x00, midi::Meta, midi::MetaEndOfTrack, 0x00});
    }
    stream.Seek(0, SeekOrigin::Begin);
    stream.WriteBytes(out);
  }

  // ------------------------------------------------------------ sink

  void PlayShort(uint8_t status, uint8_t data1, uint8_t data2) override {
    std::vector<uint8_t> message{status, data1};
    if (midi::ChannelDataBytes(status) == 2) message.push_back(data2);
    Event(Channel(status & 0x0F), message);
  }

  // A MIDI event item: a channel message goes to its channel's track, a
  // system-exclusive or meta event to the conductor, framed as a file
  // event. Bytes that form no event a file can hold are left out rather
  // than written into a track they would corrupt.
  void PlayLong(const uint8_t* data, uint16_t size) override {
    const uint8_t status = data[0];
    if (status >= 0x80 && status < midi::SysEx) {
      const size_t count = size_t(1 + midi::ChannelDataBytes(status));
      if (size < count) return;
      for (size_t i = 1; i < count; ++i)
        if (data[i] & 0x80) return;
      Event(Channel(status & 0x0F), std::vector<uint8_t>(data, data + count));
    } else if (status == midi::SysEx || status == midi::SysExEnd) {
      std::vector<uint8_t> event{status};
      PutVarLen(event, uint32_t(size - 1));
      event.insert(event.end(), data + 1, data + size);
      Event(Conductor(), event);
    } else if (status == midi::Meta && size >= 3 && data[1] < 0x80) {
      // As stored when its length matches what follows it.
      size_t pos = 2, length = 0;
      for (int i = 0; i < 4 && pos < size; ++i) {
        length = length << 7 | (data[pos] & 0x7F);
        if (!(data[pos++] & 0x80)) {
          if (pos + length == size) Event(Conductor(), std::vector<uint8_t>(data, data + size));
          return;
        }
      }
    }
  }

  void VisitBegins(const TQSPiece& piece, int visit) override {
    const TQSCalcVisit& v = *piece.Visits[size_t(visit)];
    const TQSCalcMeasure* slot = MeasureRecord(piece, v.Measure);
    if (!slot || slot->MeterFor(v.Measure) == meter_) return;
    meter_ = slot->MeterFor(v.Measure);
    Meta(Conductor(), midi::MetaTimeSignature, TimeSignatureData(meter_));
  }

  // A note on or off at its written place sits exactly where its rhythm
  // puts it, which for tuplet notes lies between two passes.
  void NoteStarts(const TQSNote& note) override {
    if (note.Fields.PlayOffset == 0) Shift(ExactPosition(note, note.Fields.Time), note.Fields.Time);
  }
  void NoteEnds(const TQSNote& note, int length) override {
    const int end = note.Fields.Time + length;
    if (note.Fields.PlayOffset == 0) Shift(ExactPosition(note, end), end);
  }

  void TempoChanged(const TQSCalcEvent& event) override {
    const TQSItem& item = *event.Item;
    if (item.ItemType == kind::Tempo) {
      const auto& mark = static_cast<const TQSMark&>(item);
      // The quarter-note tempo in whole beats; a mark that gives none
      // leaves the tempo as it is.
      if (mark.Fields.Kind > 9) return;
      const uint32_t quarters = (uint32_t(1) << (9 - mark.Fields.Kind)) * mark.Fields.Value / 128;
      if (quarters == 0) return;
      tempo_ = kMicrosecondsPerMinute / quarters;
    } else {
      // A term changes the tempo in force by its percentage; one that
      // would stop the music is not followed.
      const int64_t n = tempo_;
      const int64_t changed = n - (int64_t(uint16_t(event.Duration)) - 100) * n / 100;
      if (changed <= 0) return;
      tempo_ = uint32_t(std::min<int64_t>(changed, kMaxTempoValue));
    }
    Meta(Conductor(), midi::MetaTempo, TempoData(tempo_));
  }

 private:
  TTrack& Conductor() { return tracks_[0]; }
  TTrack& Channel(int channel) { return tracks_[size_t(1 + channel)]; }

  // File time of the pass the walker is at.
  int64_t Now() const { return (start_ + (walker_ ? walker_->Passes() : 0)) * kMidiExportTicksPerPass; }

  // Moves the next event from the pass of a position to its exact time,
  // never by a pass or more.
  void Shift(int64_t exact, int position) {
    const int64_t shift = exact - int64_t(position) * kMidiExportTicksPerPass;
    shift_ = std::abs(shift) < kMidiExportTicksPerPass ? shift : 0;
  }

  void Event(TTrack& track, const std::vector<uint8_t>& bytes) {
    // Never before the track's last event.
    const int64_t now = std::max(Now() + shift_, track.LastTime);
    shift_ = 0;
    const int64_t delta = now - track.LastTime;
    if (delta > kMaxDelta) throw EWriteError("The score is too long for a MIDI file");
    PutVarLen(track.Bytes, uint32_t(delta));
    track.LastTime = now;
    track.Bytes.insert(track.Bytes.end(), bytes.begin(), bytes.end());
  }

  void Meta(TTrack& track, uint8_t type, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> event{midi::Meta, type};
    PutVarLen(event, uint32_t(data.size()));
    event.insert(event.end(), data.begin(), data.end());
    Event(track, event);
  }

  // A text of the score in the conductor track, also when it is empty.
  void Text(uint8_t type, const std::string& text) {
    Meta(Conductor(), type, std::vector<uint8_t>(text.begin(), text.end()));
  }

  const TQSScore& score_;
  const TQSPlayWalker* walker_ = nullptr;
  // The conductor, then the 16 channels.
  std::array<TTrack, 17> tracks_;
  // Passes of the pieces before the one being written.
  int64_t start_ = 0;
  uint16_t meter_ = 0;
  uint32_t tempo_ = 0;
  // File ticks the next event lies after its pass.
  int64_t shift_ = 0;
};

}  // namespace

void ExportMidiFile(const TQSScore& score, TStream& stream) {
  if (score.PieceCount() == 0) return;
  TMidiWriter writer(score);
  for (int i = 0; i < score.PieceCount(); ++i) writer.WritePiece(i);
  writer.Write(stream);
}

void ExportMidiFile(const TQSScore& score, const std::string& fileName) {
  SafeSaveFile(fileName, [&score](TStream& s) { ExportMidiFile(score, s); });
}

}  // namespace qs
