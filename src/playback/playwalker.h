#pragma once
// The sound of a score as a stream of MIDI messages: walks a piece's play
// order (the visits of its measures once repeats, endings and jumps are
// unfolded) and the per-measure event lists that the layout pass built, one
// tick (1/128 of a quarter note) per pass, and hands every message to a
// sink in the order it is to be heard.
//
// The walker keeps no clock and starts no thread. The play thread waits
// TickLength() milliseconds after each pass; the MIDI file export writes
// the messages of pass n at file time 3 x n. Both see the same messages:
//
//   TQSPlayWalker w(score, sink);
//   w.StartFromCursor(piece, measure, tick);
//   w.SetTickLength(TickLengthFor(TempoAt(score, piece, measure), 100));
//   w.SendPartLevels();
//   while (w.Pass() != TQSPassResult::End) { ... wait w.TickLength() ... }
//   w.EndSounding();
//
// Messages, each on the channel ch of its item:
//   volume / pan   $B0|ch  7 / 10  part value (127 / 63 when unset)  SendPartLevels
//   click          $99     33      first-beat or other-beat velocity  each beat, Metronome on
//   program        $C0|ch  program 0   before a note whose program differs from the last sent
//   note on / off  $90|ch / $80|ch  key  velocity / 0
//   pedal          $B0|ch  4       127 (pedal down, mark variant 1) or 0
//   portamento     $B0|ch  65      127 at the mark, 0 when its length has run out
//   MIDI event     PlayLong with the item's bytes, as stored
//
// Every note-on is followed by its note-off: when its length has run out,
// when the same key starts again on its channel, when its voice or part is
// muted while it sounds (playback rules), or at EndSounding.
//
// The walker reads the layout records and the items' playback fields
// without any lock: whoever changes the score or lays it out while a
// walker runs must hold the lock that guards the walker.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qs {

class TQSScore;
class TQSPiece;
class TQSItem;
class TQSNote;
class TQSVoice;
struct TQSCalcEvent;
struct TQSCalcMeasure;

// Status bytes, keys and controllers of the messages above.
namespace midi {
constexpr uint8_t NoteOff = 0x80, NoteOn = 0x90, Controller = 0xB0, ProgramChange = 0xC0;
constexpr uint8_t SysEx = 0xF0, SysExEnd = 0xF7, Meta = 0xFF, MetaEndOfTrack = 47;
constexpr uint8_t ClickStatus = 0x99, ClickKey = 33;
constexpr uint8_t CtlVolume = 7, CtlPan = 10, CtlPedal = 4, CtlPortamento = 65;
constexpr uint8_t CtlAllSoundOff = 120, CtlAllNotesOff = 123;
// Program value of a voice or part without an instrument of its own.
constexpr int NoInstrument = 255;
// A data byte as it may go out: a computed key or value (a transposed key,
// a velocity change) is kept within 0..127 instead of wrapping into a
// status byte.
constexpr uint8_t DataByte(int value) { return static_cast<uint8_t>(value < 0 ? 0 : value > 127 ? 127 : value); }
// A channel message ready to send: data bytes clamped; a program change
// to a value above 127 ("no instrument") is not sent at all.
struct TShort {
  uint8_t Status = 0, Data1 = 0, Data2 = 0;
  bool Send = false;
};
constexpr TShort Clamped(int status, int data1, int data2) {
  if ((status & 0xF0) == ProgramChange && (data1 < 0 || data1 > 127)) return {};
  return {static_cast<uint8_t>(status), DataByte(data1), DataByte(data2), true};
}
// The number of data bytes of a channel message by its status (1 or 2).
constexpr int ChannelDataBytes(uint8_t status) {
  const int kind = status & 0xF0;
  return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}
// What the bytes of a MIDI event item sound as: each complete channel
// message on its own (channel(bytes, size)) and the first complete
// system-exclusive message ($F0 ... $F7) whole (sysex(bytes, size));
// anything else (stray data bytes, a message cut short, system and meta
// bytes) is dropped. Every consumer of event bytes goes through this, so
// a port and a rendered file hear the same.
template <class TChannel, class TSysEx>
void SplitEventBytes(const uint8_t* data, size_t size, TChannel&& channel, TSysEx&& sysex) {
  if (!data) return;
  bool sysexSent = false;
  size_t i = 0;
  while (i < size) {
    const uint8_t status = data[i];
    if (status >= 0x80 && status < 0xF0) {
      const size_t n = static_cast<size_t>(ChannelDataBytes(status));
      size_t k = 1;
      while (k <= n && i + k < size && data[i + k] < 0x80) ++k;
      if (k == n + 1) channel(data + i, n + 1);
      i += k;
    } else if (status == SysEx) {
      size_t end = i + 1;
      while (end < size && data[end] < 0x80) ++end;
      if (end < size && data[end] == SysExEnd) {
        if (!sysexSent) sysex(data + i, end - i + 1);
        sysexSent = true;
        i = end + 1;
      } else {
        i = end;
      }
    } else {
      ++i;
    }
  }
}
}  // namespace midi

// Where the walker's messages go.
class TQSPlaySink {
 public:
  virtual ~TQSPlaySink() = default;
  // A message of a status byte and two data bytes (the second 0 for
  // program changes).
  virtual void PlayShort(uint8_t status, uint8_t data1, uint8_t data2) = 0;
  // The bytes of a MIDI event item, as the score stores them.
  virtual void PlayLong(const uint8_t* data, uint16_t size) = 0;
  // The first pass of a visit begins (before its click and its events).
  virtual void VisitBegins(const TQSPiece& piece, int visit) { (void)piece, (void)visit; }
  // A tempo mark (kind 6) or tempo term (kind 34) was due; TickLength()
  // already follows it.
  virtual void TempoChanged(const TQSCalcEvent& event) { (void)event; }
  // A note's note-on follows, or its note-off after it sounded `length`
  // ticks from its onset: a sink that keeps time finer than a tick may
  // place the message where the note's written rhythm puts it.
  virtual void NoteStarts(const TQSNote& note) { (void)note; }
  virtual void NoteEnds(const TQSNote& note, int length) { (void)note, (void)length; }
};

// What differs between hearing a score and writing it to a file.
struct TQSPlayRules {
  // Notes of muted voices, staves and parts are not played, and sounding
  // notes are cut when their voice or part is muted. Effect notes of a
  // muted voice or part are never played, whatever this says.
  bool ConsultMutes = true;
  // SendPartLevels sends volume 127 and pan 63 for a part that sets
  // none; when clear, only the values a part sets are sent.
  bool DefaultLevels = true;
  // The walk ends with the starting piece instead of going on to the next.
  bool OnePiece = false;
};

enum class TQSPassResult : uint8_t {
  Tick,     // one tick was played; the next pass is due TickLength() later
  Restart,  // the end was reached and Repeat began again at the first piece; no time passed
  End,      // the end was reached: nothing was sent
};

// Milliseconds per tick at a quarter-note tempo and a tempo scale in
// percent (100 = as written): 6,000,000 / tempo / 128 / scale. A tempo or
// scale of 0 or less counts as 60 or 100.
double TickLengthFor(double quarterTempo, int tempoScale);

// The quarter-note tempo a tempo mark gives: (1 shl (9 - unit)) x beats /
// 128, where the mark's variant is the beat unit (2 a quarter, 3 an
// eighth) and its value the beats per minute; 0 for a mark that gives no
// tempo (no beats, or a unit beyond a 512th).
double MarkTempo(const TQSItem& tempoMark);

// The quarter-note tempo in force when playback starts at measure number
// `measure` of piece `piece`: the first tempo mark of that measure's visit
// or, going back along the play order, of an earlier one; else the piece's
// tempo. 60 without such a piece.
double TempoAt(const TQSScore& score, int piece, int measure);

// The layout's record of measure number `measure` of a piece, nullptr when
// it was not laid out.
TQSCalcMeasure* MeasureRecord(const TQSPiece& piece, int measure);

class TQSPlayWalker {
 public:
  TQSPlayWalker(const TQSScore& score, TQSPlaySink& sink, TQSPlayRules rules = {});

  // Where the walk begins, as playback from the input cursor: at the first
  // visit of measure number `measure` (above 0; visit `measure` itself
  // when the play order has none), with the events of that measure before
  // `tick` left out. Empties what sounds and forgets the programs sent.
  void StartFromCursor(int piece, int measure, int tick);
  // The same at a position of the play order itself (visit index), with
  // every event of the visit's measure still due.
  void StartAt(int piece, int visit, int tick);

  // Moves the position while playing, as StartFromCursor places it, but
  // what sounds keeps sounding until its time runs out.
  void MoveTo(int piece, int visit, int tick);

  // Volume, then pan, of every part of the starting piece, in part order.
  void SendPartLevels();

  // One pass: the click, the due events and the ends of the notes whose
  // time ran out, then the tick moves on.
  TQSPassResult Pass();

  // Ends everything that still sounds, last started first.
  void EndSounding();

  // Milliseconds per tick now; tempo marks and terms change it as they
  // come. SetTempoScale keeps the tempo and changes the scale.
  double TickLength() const { return tickLength_; }
  void SetTickLength(double ms) { tickLength_ = ms; }
  void SetTempoScale(int percent);
  int TempoScale() const { return tempoScale_; }

  // The metronome: a click on each beat while Metronome is set.
  bool Metronome = false;
  uint8_t FirstBeatVelocity = 127;
  uint8_t OtherBeatVelocity = 80;
  // At the end of the last piece begin again at the first.
  bool Repeat = false;

  // The position: piece index, play-order index, tick inside the visit's
  // measure, and the tick the cursor follows (the last tick at which a
  // note, effect note, tempo mark or term was played, or every tick of a
  // measure without events).
  int PieceIndex() const { return piece_; }
  int VisitIndex() const { return visit_; }
  int Tick() const { return tick_; }
  int ShownTick() const { return shown_; }
  // Measure number of the current visit, -1 when there is none.
  int VisitMeasure() const;
  // Passes of TQSPassResult::Tick so far, and the milliseconds they took:
  // during a pass, the time at which that pass is heard.
  int64_t Passes() const { return passes_; }
  double ElapsedMs() const { return elapsedMs_; }
  // Notes, effect notes and portamento marks sounding now.
  size_t SoundingCount() const { return sounding_.size(); }

 private:
  struct TSounding {
    TQSItem* Item;
    uint8_t Kind;
    uint8_t Channel;
    uint8_t Key;
    TQSVoice* Voice;
    int Countdown;
    int Length;  // the countdown it began with
  };
  bool Handle(const TQSCalcEvent& ev, int& shown);
  void PlayNote(const TQSCalcEvent& ev);
  void PlayEffect(const TQSCalcEvent& ev);
  void SendProgram(uint8_t channel, uint8_t program);
  void End(const TSounding& s);
  bool Muted(const TSounding& s) const;
  void ResetPosition();
  void SkipEventsBefore(int tick);

  const TQSScore& score_;
  TQSPlaySink& sink_;
  TQSPlayRules rules_;
  double tickLength_ = 7.8125;
  int tempoScale_ = 100;
  int piece_ = 0, visit_ = 0, tick_ = 0, shown_ = 0;
  int nextEvent_ = 0, nextBeat_ = 0;
  bool visitBegun_ = false;
  int64_t passes_ = 0;
  double elapsedMs_ = 0;
  std::array<uint16_t, 16> programSent_{};
  std::array<uint16_t, 16> eventProgram_{};
  std::vector<TSounding> sounding_;
};

}  // namespace qs
