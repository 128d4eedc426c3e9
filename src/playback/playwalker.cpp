#include "playback/playwalker.h"

#include <cmath>

#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/timing.h"

namespace qs {

namespace {

constexpr uint16_t kNoProgram = 0xFFFF;

const TQSCalcVisit* VisitOf(const TQSPiece& piece, int index) {
  if (index < 0 || index >= piece.VisitCount || index >= static_cast<int>(piece.Visits.size())) return nullptr;
  return piece.Visits[static_cast<size_t>(index)].get();
}

bool VoiceMuted(const TQSVoice* voice, bool withStaff) {
  if (!voice) return false;
  if (voice->Fields.Mute) return true;
  const TQSStaff* staff = voice->Staff();
  if (!staff) return false;
  if (withStaff && staff->Fields.Mute) return true;
  const TQSPart* part = staff->Part();
  return part && part->Fields.Mute;
}

}  // namespace

double TickLengthFor(double quarterTempo, int tempoScale) {
  if (!(quarterTempo > 0)) quarterTempo = kFallbackTempo;
  if (tempoScale <= 0) tempoScale = 100;
  return 6000000.0 / quarterTempo / 128 / tempoScale;
}

double MarkTempo(const TQSItem& tempoMark) {
  const auto* mark = dynamic_cast<const TQSMark*>(&tempoMark);
  if (!mark || mark->Fields.Kind > 9) return 0;
  return std::ldexp(1.0, 9 - mark->Fields.Kind) * mark->Fields.Value / 128;
}

TQSCalcMeasure* MeasureRecord(const TQSPiece& piece, int measure) {
  if (measure < 0 || measure >= static_cast<int>(piece.Slots.size())) return nullptr;
  return dynamic_cast<TQSCalcMeasure*>(piece.Slots[static_cast<size_t>(measure)]);
}

double TempoAt(const TQSScore& score, int pieceIndex, int measure) {
  const TQSPiece* piece = score.GetPiece(pieceIndex);
  if (!piece) return kFallbackTempo;
  // From the visit playback starts at, so that in a piece with repeats the
  // search does not begin in a visit of some other measure.
  int start = -1;
  for (int i = 0; i < piece->VisitCount && start < 0; ++i)
    if (VisitOf(*piece, i)->Measure == measure) start = i;
  if (start < 0) start = std::min(measure, piece->VisitCount - 1);
  for (int i = start; i >= 0; --i) {
    const TQSCalcMeasure* slot = MeasureRecord(*piece, VisitOf(*piece, i)->Measure);
    if (!slot) continue;
    for (int e = 0; e < slot->EventCount; ++e) {
      const TQSItem* item = slot->Events[static_cast<size_t>(e)]->Item;
      if (item && item->ItemType == kind::Tempo) {
        const double t = MarkTempo(*item);
        if (t > 0) return t;
      }
    }
  }
  return SafeTempo(piece->Tempo());
}

TQSPlayWalker::TQSPlayWalker(const TQSScore& score, TQSPlaySink& sink, TQSPlayRules rules)
    : score_(score), sink_(sink), rules_(rules) {
  ResetPosition();
}

void TQSPlayWalker::ResetPosition() {
  programSent_.fill(kNoProgram);
  eventProgram_.fill(kNoProgram);
  sounding_.clear();
  nextEvent_ = nextBeat_ = 0;
  visitBegun_ = false;
  passes_ = 0;
  elapsedMs_ = 0;
}

void TQSPlayWalker::StartFromCursor(int piece, int measure, int tick) {
  ResetPosition();
  piece_ = piece;
  visit_ = measure;
  tick_ = std::max(tick, 0);
  shown_ = tick_;
  const TQSPiece* p = score_.GetPiece(piece);
  if (!p) return;
  if (measure > 0)
    for (int i = 0; i < p->VisitCount; ++i)
      if (VisitOf(*p, i)->Measure == measure) {
        visit_ = i;
        break;
      }
  if (tick_ > 0) SkipEventsBefore(tick_);
}

void TQSPlayWalker::SkipEventsBefore(int tick) {
  nextEvent_ = 0;
  const TQSPiece* p = score_.GetPiece(piece_);
  const TQSCalcVisit* v = p ? VisitOf(*p, visit_) : nullptr;
  const TQSCalcMeasure* slot = v ? MeasureRecord(*p, v->Measure) : nullptr;
  if (!slot) return;
  while (nextEvent_ < slot->EventCount && slot->Events[static_cast<size_t>(nextEvent_)]->Tick < tick) ++nextEvent_;
}

void TQSPlayWalker::MoveTo(int piece, int visit, int tick) {
  piece_ = piece;
  visit_ = visit;
  tick_ = shown_ = std::max(tick, 0);
  nextBeat_ = 0;
  visitBegun_ = false;
  SkipEventsBefore(tick_);
}

void TQSPlayWalker::StartAt(int piece, int visit, int tick) {
  ResetPosition();
  piece_ = piece;
  visit_ = visit;
  tick_ = std::max(tick, 0);
  shown_ = tick_;
}

void TQSPlayWalker::SetTempoScale(int percent) {
  if (percent <= 0) percent = 100;
  tickLength_ = tickLength_ * tempoScale_ / percent;
  tempoScale_ = percent;
}

int TQSPlayWalker::VisitMeasure() const {
  const TQSPiece* p = score_.GetPiece(piece_);
  const TQSCalcVisit* v = p ? VisitOf(*p, visit_) : nullptr;
  return v ? v->Measure : -1;
}

void TQSPlayWalker::SendPartLevels() {
  const TQSPiece* p = score_.GetPiece(piece_);
  if (!p) return;
  for (int i = 0; i < p->PartCount(); ++i) {
    const TQSPart* part = p->GetPart(i);
    const auto status = static_cast<uint8_t>(midi::Controller | part->Channel());
    const uint8_t volume = part->Fields.Volume, pan = part->Fields.Pan;
    if (rules_.DefaultLevels || volume != 255) sink_.PlayShort(status, midi::CtlVolume, volume == 255 ? 127 : volume);
    if (rules_.DefaultLevels || pan != 255) sink_.PlayShort(status, midi::CtlPan, pan == 255 ? 63 : pan);
  }
}

TQSPassResult TQSPlayWalker::Pass() {
  // a. The visit, moving on to the next piece at the end of one.
  const TQSPiece* piece = nullptr;
  const TQSCalcVisit* visit = nullptr;
  TQSCalcMeasure* slot = nullptr;
  for (;;) {
    piece = score_.GetPiece(piece_);
    visit = piece ? VisitOf(*piece, visit_) : nullptr;
    if (visit) {
      slot = MeasureRecord(*piece, visit->Measure);
      if (slot) break;
      // A visit of a measure the layout has no record of sounds nothing.
      ++visit_;
      tick_ = nextEvent_ = shown_ = nextBeat_ = 0;
      visitBegun_ = false;
      continue;
    }
    if (!rules_.OnePiece && piece_ + 1 < score_.PieceCount()) {
      ++piece_;
      visit_ = 0;
      visitBegun_ = false;
      continue;
    }
    if (Repeat && !rules_.OnePiece) {
      piece_ = visit_ = tick_ = 0;
      nextEvent_ = shown_ = nextBeat_ = 0;
      visitBegun_ = false;
      return TQSPassResult::Restart;
    }
    return TQSPassResult::End;
  }
  const int measure = visit->Measure;
  const int beat = MeterUnit(slot->MeterFor(measure));

  // b. A visit that starts inside its measure.
  if (tick_ < visit->StartTick) tick_ = visit->StartTick;
  if (!visitBegun_) {
    visitBegun_ = true;
    sink_.VisitBegins(*piece, visit_);
  }

  // c. The metronome; started inside a measure it catches up one click a pass.
  if (tick_ >= nextBeat_) {
    if (Metronome) sink_.PlayShort(midi::ClickStatus, midi::ClickKey, nextBeat_ == 0 ? FirstBeatVelocity : OtherBeatVelocity);
    nextBeat_ += beat;
  }

  // d, e. The due events.
  int shown = slot->EventCount == 0 ? tick_ : shown_;
  for (int j = nextEvent_; j < slot->EventCount && j < static_cast<int>(slot->Events.size()); ++j) {
    const TQSCalcEvent* ev = slot->Events[static_cast<size_t>(j)];
    if (ev->Tick > tick_) break;
    if (ev->Tick < visit->StartTick || Handle(*ev, shown)) nextEvent_ = j + 1;
  }

  // f. Notes whose time ran out, or whose voice or part was muted.
  for (size_t i = sounding_.size(); i-- > 0;) {
    TSounding& s = sounding_[i];
    if (s.Countdown == 0 || (rules_.ConsultMutes && Muted(s))) {
      End(s);
      sounding_.erase(sounding_.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      --s.Countdown;
    }
  }

  // g. The next tick, or the next visit at the end of this one.
  const int end = visit->EndTick ? visit->EndTick : slot->LengthFor(measure);
  if (tick_ >= end - 1) {
    tick_ = nextEvent_ = shown_ = nextBeat_ = 0;
    ++visit_;
    visitBegun_ = false;
  } else {
    ++tick_;
    shown_ = shown;
  }
  ++passes_;
  elapsedMs_ += tickLength_;
  return TQSPassResult::Tick;
}

bool TQSPlayWalker::Handle(const TQSCalcEvent& ev, int& shown) {
  TQSItem* item = ev.Item;
  if (!item) return true;
  switch (item->ItemType) {
    case kind::Tempo: {
      // A mark that gives no tempo leaves the one in force.
      const double t = MarkTempo(*item);
      if (t > 0) tickLength_ = TickLengthFor(t, tempoScale_);
      shown = tick_;
      sink_.TempoChanged(ev);
      return true;
    }
    case kind::Term: {
      // Terms act on the tempo in force, so that two of them compound; one
      // that would stop the music (100 % faster or more) is not followed.
      const double length = tickLength_ - tickLength_ * (static_cast<uint16_t>(ev.Duration) - 100) / 100.0;
      if (length > 0) tickLength_ = length;
      shown = tick_;
      sink_.TempoChanged(ev);
      return true;
    }
    case kind::Note: {
      shown = tick_;
      const auto* note = static_cast<const TQSNote*>(item);
      if (ev.Duration == 0 || (rules_.ConsultMutes && VoiceMuted(note->Voice, true))) return false;
      PlayNote(ev);
      return true;
    }
    case kind::Effect: {
      const auto* effect = static_cast<const TQSEffect*>(item);
      if (VoiceMuted(effect->Voice, false)) return false;
      shown = tick_;
      PlayEffect(ev);
      return true;
    }
    case kind::Pedal: {
      const auto* mark = static_cast<const TQSMark*>(item);
      sink_.PlayShort(static_cast<uint8_t>(midi::Controller | (mark->LayoutByte & 0x0F)), midi::CtlPedal,
                      mark->Fields.Kind == 1 ? 127 : 0);
      return true;
    }
    case kind::Portamento: {
      auto* mark = static_cast<TQSMark*>(item);
      const auto channel = static_cast<uint8_t>(mark->LayoutByte & 0x0F);
      sink_.PlayShort(static_cast<uint8_t>(midi::Controller | channel), midi::CtlPortamento, 127);
      sounding_.push_back({item, kind::Portamento, channel, 0, mark->Voice, static_cast<uint16_t>(ev.Duration),
                           static_cast<uint16_t>(ev.Duration)});
      return true;
    }
    case kind::MidiEvent: {
      const auto* event = static_cast<const TQSMIDIEvent*>(item);
      const auto size = static_cast<uint16_t>(std::min<size_t>(event->Data.size(), event->Fields.DataLength));
      if (size > 0) sink_.PlayLong(event->Data.data(), size);
      // The score sets this channel's program itself from now on.
      if (size > 1 && (event->Data[0] & 0xF0) == midi::ProgramChange) eventProgram_[event->Data[0] & 0x0F] = event->Data[1];
      return true;
    }
    default:
      return true;
  }
}

void TQSPlayWalker::PlayNote(const TQSCalcEvent& ev) {
  auto* note = static_cast<TQSNote*>(ev.Item);
  const auto channel = static_cast<uint8_t>(note->MidiChannel & 0x0F);
  const uint8_t key = note->SoundingKey & 0x7F;
  const bool tied = note->SelectFlags & TQSNote::kSelectTiedFromPrevious;
  bool continues = false;
  for (auto it = sounding_.begin(); it != sounding_.end(); ++it)
    if (it->Kind == kind::Note && it->Channel == channel && it->Key == key) {
      continues = tied;
      if (!tied) End(*it);
      sounding_.erase(it);
      break;
    }
  // A tie continuation sounds on with the note it continues; when that one
  // was not heard (playback began later, or a repeat jumped here) it
  // starts now.
  if (!continues) {
    if (programSent_[channel] != note->MidiProgram && eventProgram_[channel] == kNoProgram)
      SendProgram(channel, note->MidiProgram);
    sink_.NoteStarts(*note);
    sink_.PlayShort(static_cast<uint8_t>(midi::NoteOn | channel), key, note->Fields.Velocity & 0x7F);
  }
  sounding_.push_back({note, kind::Note, channel, key, note->Voice, static_cast<uint16_t>(ev.Duration),
                       static_cast<uint16_t>(ev.Duration)});
}

void TQSPlayWalker::PlayEffect(const TQSCalcEvent& ev) {
  auto* effect = static_cast<TQSEffect*>(ev.Item);
  const auto channel = static_cast<uint8_t>(effect->MidiChannel & 0x0F);
  const uint8_t key = effect->SoundingKey & 0x7F;
  for (auto it = sounding_.begin(); it != sounding_.end(); ++it)
    if (it->Kind == kind::Effect && it->Channel == channel && it->Key == key) {
      End(*it);
      sounding_.erase(it);
      break;
    }
  if (programSent_[channel] != effect->MidiProgram) SendProgram(channel, effect->MidiProgram);
  sink_.PlayShort(static_cast<uint8_t>(midi::NoteOn | channel), key, effect->Fields.Velocity & 0x7F);
  sounding_.push_back({effect, kind::Effect, channel, key, effect->Voice, effect->Fields.Length, effect->Fields.Length});
}

void TQSPlayWalker::SendProgram(uint8_t channel, uint8_t program) {
  programSent_[channel] = program;
  // "No instrument" leaves the channel's program as it is.
  if (program > 127) return;
  sink_.PlayShort(static_cast<uint8_t>(midi::ProgramChange | channel), program, 0);
}

void TQSPlayWalker::End(const TSounding& s) {
  if (s.Kind == kind::Portamento) {
    sink_.PlayShort(static_cast<uint8_t>(midi::Controller | s.Channel), midi::CtlPortamento, 0);
    return;
  }
  if (s.Kind == kind::Note) sink_.NoteEnds(*static_cast<const TQSNote*>(s.Item), s.Length - s.Countdown);
  sink_.PlayShort(static_cast<uint8_t>(midi::NoteOff | s.Channel), s.Key, 0);
}

bool TQSPlayWalker::Muted(const TSounding& s) const { return VoiceMuted(s.Voice, false); }

void TQSPlayWalker::EndSounding() {
  for (size_t i = sounding_.size(); i-- > 0;) End(sounding_[i]);
  sounding_.clear();
}

}  // namespace qs
