#include "playback/player.h"

#include <algorithm>
#include <cmath>

#include "playback/playclock.h"
#include "score/calcrecords.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/timing.h"

namespace qs {

namespace {

// The player whose play or record thread runs on this thread, if any.
thread_local const TQSPlayer* threadPlayer = nullptr;

const TQSCalcVisit* VisitOf(const TQSPiece& piece, int index) {
  if (index < 0 || index >= piece.VisitCount || index >= static_cast<int>(piece.Visits.size())) return nullptr;
  return piece.Visits[static_cast<size_t>(index)].get();
}

// Milliseconds from the start of a measure to a tick of it, by its tempo
// segments.
double SegmentTime(const TQSCalcMeasure* slot, int tick) {
  if (!slot) return 0;
  double sum = 0;
  int start = 0;
  for (const TQSCalcTempo& segment : slot->Tempo) {
    if (segment.Tick > tick) return sum + (tick - start) * segment.MsPerTick;
    sum += (segment.Tick - start) * segment.MsPerTick;
    start = segment.Tick;
  }
  return sum;
}

}  // namespace

// Hands the walker's messages to the view's events, with the player as
// their sender.
class TQSPlayer::TSink : public TQSPlaySink {
 public:
  TSink(TQSPlayer& player) : player_(player) {}
  void PlayShort(uint8_t status, uint8_t data1, uint8_t data2) override {
    Fire(player_.view_.OnPlayShort, &player_, status, data1, data2);
  }
  void PlayLong(const uint8_t* data, uint16_t size) override { Fire(player_.view_.OnPlayLong, &player_, data, size); }

 private:
  TQSPlayer& player_;
};

TQSPlayer::TQSPlayer(TQSWindowLink& view, TQSPlayClock* clock)
    : view_(view), clock_(clock ? *clock : SystemPlayClock()), sink_(std::make_unique<TSink>(*this)) {
  view_.PlayControl = this;
}

TQSPlayer::~TQSPlayer() {
  playing_ = recording_ = false;
  clock_.Wake();
  Join(playThread_);
  Join(recordThread_);
  if (view_.PlayControl == this) view_.PlayControl = nullptr;
  *alive_ = false;
}

void TQSPlayer::Join(std::thread& thread) {
  if (thread.joinable() && thread.get_id() != std::this_thread::get_id()) thread.join();
}

void TQSPlayer::HandOver(std::function<void()> f) {
  // A posted function that arrives after the player is gone does nothing.
  auto call = [alive = alive_, f = std::move(f)] {
    if (*alive) f();
  };
  if (Post) {
    Post(std::move(call));
    return;
  }
  std::lock_guard lock(pendingLock_);
  pending_.push_back(std::move(call));
}

void TQSPlayer::DeliverPending() {
  std::vector<std::function<void()>> due;
  {
    std::lock_guard lock(pendingLock_);
    due.swap(pending_);
  }
  for (auto& f : due) f();
}

TObject* TQSPlayer::ViewSender() { return dynamic_cast<TObject*>(&view_); }

void TQSPlayer::PlaceCursorAtEnd() { view_.SetCursorTick(view_.NearestEventTick(view_.CursorPosition.Tick)); }

// ------------------------------------------------------------------ playback

void TQSPlayer::Play() {
  const TQSScore* score = view_.Score;
  if (!score) return;
  if (playing_ || recording_) StopPlay();
  Join(playThread_);
  if (!view_.OnPlayShort || !view_.OnPlayLong) return;
  {
    std::lock_guard lock(playLock_);
    walker_ = std::make_unique<TQSPlayWalker>(*score, *sink_);
    walker_->SetTempoScale(view_.TempoScale);
    walker_->SetTickLength(TickLengthFor(TempoAtCursor(), view_.TempoScale));
    if (RealTimeView) {
      walker_->StartAt(storedPiece_, storedVisit_, storedTick_);
    } else {
      const TQSCursorPosition& c = view_.CursorPosition;
      walker_->StartFromCursor(c.Piece, c.Measure, c.Tick);
    }
    walker_->Repeat = Repeat;
    walker_->Metronome = playMetronome_;
    walker_->FirstBeatVelocity = FirstBeatVelocity;
    walker_->OtherBeatVelocity = OtherBeatVelocity;
  }
  playing_ = true;
  playThread_ = std::thread(&TQSPlayer::PlayThread, this);
  RaiseThreadPriority(playThread_);
}

void TQSPlayer::PlayThread() {
  threadPlayer = this;
  double due = clock_.NowMs();
  try {
    {
      std::lock_guard lock(playLock_);
      walker_->SendPartLevels();
    }
    bool restarted = false;
    while (playing_) {
      double tickLength;
      {
        std::lock_guard lock(playLock_);
        const TQSPassResult result = walker_->Pass();
        if (result == TQSPassResult::End) {
          playing_ = false;
          break;
        }
        // Beginning again takes no time, unless nothing was played since
        // the last beginning: a score with nothing to play would otherwise
        // spin.
        if (result == TQSPassResult::Restart && !restarted) {
          restarted = true;
          continue;
        }
        restarted = result == TQSPassResult::Restart;
        tickLength = walker_->TickLength();
      }
      due += tickLength;
      while (playing_ && due > clock_.NowMs()) clock_.SleepUntil(due);
    }
  } catch (...) {
    // A receiver that fails ends playback; what sounds is still ended.
    playing_ = false;
  }
  try {
    std::lock_guard lock(playLock_);
    walker_->EndSounding();
  } catch (...) {
  }
  HandOver([this] {
    Fire(view_.OnStopPlay, ViewSender());
    PlaceCursorAtEnd();
  });
}

void TQSPlayer::StopPlay() {
  if (threadPlayer == this) {
    // Called by a receiver on the thread itself: the thread ends after
    // this pass, and the next operation on the window thread joins it.
    if (playing_)
      playing_ = false;
    else
      recording_ = false;
    clock_.Wake();
    return;
  }
  if (playing_)
    playing_ = false;
  else if (recording_)
    recording_ = false;
  clock_.Wake();
  if (!playing_) Join(playThread_);
  if (!recording_) Join(recordThread_);
  DeliverPending();
}

void TQSPlayer::WaitUntilPlayed() {
  Join(playThread_);
  DeliverPending();
}

void TQSPlayer::SetPlayMetronome(bool value) {
  std::lock_guard lock(playLock_);
  playMetronome_ = value;
  if (walker_) walker_->Metronome = value;
}

void TQSPlayer::SetTempoScale(int percent) {
  if (percent <= 0) percent = 100;
  std::lock_guard lock(playLock_);
  view_.TempoScale = percent;
  if (walker_) walker_->SetTempoScale(percent);
}

double TQSPlayer::TempoAtCursor() const {
  if (!view_.Score) return kFallbackTempo;
  return TempoAt(*view_.Score, view_.CursorPosition.Piece, view_.CursorPosition.Measure);
}

double TQSPlayer::TimeAt(int pieceIndex, int visit, int tick) const {
  const TQSPiece* piece = view_.Score ? view_.Score->GetPiece(pieceIndex) : nullptr;
  const TQSCalcVisit* v = piece ? VisitOf(*piece, visit) : nullptr;
  if (!v) return 0;
  return v->StartMs + SegmentTime(MeasureRecord(*piece, v->Measure), tick);
}

double TQSPlayer::GetPlayTime() {
  const TQSScore* score = view_.Score;
  if (!score) return 0;
  if (playing_) {
    std::lock_guard lock(playLock_);
    return TimeAt(walker_->PieceIndex(), walker_->VisitIndex(), walker_->Tick());
  }
  if (RealTimeView) {
    const TQSPiece* piece = score->GetPiece(storedPiece_);
    if (piece && storedVisit_ >= piece->VisitCount) return score->TotalMs;
    return TimeAt(storedPiece_, storedVisit_, storedTick_);
  }
  const TQSCursorPosition& c = view_.CursorPosition;
  const TQSPiece* piece = score->GetPiece(c.Piece);
  const TQSCalcMeasure* slot = piece ? MeasureRecord(*piece, c.Measure) : nullptr;
  return slot ? slot->StartMs + SegmentTime(slot, c.Tick) : 0;
}

void TQSPlayer::SeekPlayTime(double ms) {
  const TQSScore* score = view_.Score;
  if (!score) return;
  std::lock_guard lock(playLock_);
  for (int p = score->PieceCount() - 1; p >= 0; --p) {
    const TQSPiece* piece = score->GetPiece(p);
    if (piece->VisitCount == 0 || VisitOf(*piece, piece->VisitCount - 1)->StartMs < ms) continue;
    for (int i = piece->VisitCount - 1; i >= 0; --i) {
      const TQSCalcVisit* v = VisitOf(*piece, i);
      if (v->StartMs > ms) continue;
      int tick = 0;
      double rest = ms - v->StartMs;
      if (const TQSCalcMeasure* slot = MeasureRecord(*piece, v->Measure))
        for (const TQSCalcTempo& segment : slot->Tempo) {
          if (!(segment.MsPerTick > 0)) continue;
          const double span = (segment.Tick - tick) * segment.MsPerTick;
          if (span > rest) {
            tick += static_cast<int>(std::trunc(rest / segment.MsPerTick));
            break;
          }
          rest -= span;
          tick = segment.Tick;
        }
      storedPiece_ = p;
      storedVisit_ = i;
      storedTick_ = tick;
      if (playing_) walker_->MoveTo(p, i, tick);
      return;
    }
  }
}

void TQSPlayer::SendVoiceProgram(uint8_t channel) {
  TQSScore* score = view_.Score;
  if (!score || !view_.OnPlayShort) return;
  const TQSVoice* voice = score->CurrentVoice();
  if (!voice) return;
  uint8_t program = voice->Fields.Instrument;
  if (program == 255) {
    const TQSStaff* staff = voice->Staff();
    program = staff && staff->Part() ? staff->Part()->Fields.Instrument : 0;
  }
  if (program > 127) return;  // no instrument: the channel keeps its program
  view_.OnPlayShort(ViewSender(), midi::ProgramChange | (channel & 0x0F), program, 0);
}

// Turns to the page that holds the position (searching back from the last
// page, or forward from the page after the current one) and puts the
// cursor there.
void TQSPlayer::MoveCursorTo(int piece, int measure, int tick, bool forward) {
  TQSCursorPosition& c = view_.CursorPosition;
  view_.ShowCursor(false);
  if (const TQSScore* score = view_.Score) {
    const auto before = [&](const TQSCalcPage* page) {
      return page && (page->FirstPiece < piece || (page->FirstPiece == piece && page->FirstMeasure <= measure));
    };
    int found = -1;
    if (forward) {
      for (int i = c.Page + 1; i < score->LaidOutPages && found < 0; ++i)
        if (before(score->LayoutPages.At(i))) found = i;
    } else {
      for (int i = score->LaidOutPages - 1; i >= 0 && found < 0; --i)
        if (before(score->LayoutPages.At(i))) found = i;
    }
    if (found >= 0 && found != c.Page) {
      c.Page = found;
      view_.UpdatePageButtons();
    }
  }
  c.Piece = piece;
  c.Measure = measure;
  c.Tick = tick;
  view_.ScrollToCursor();
  view_.RefreshRulerMarkers();
  view_.ShowCursor(true);
}

void TQSPlayer::FollowPlayPosition() {
  DeliverPending();
  const TQSCursorPosition& c = view_.CursorPosition;
  if (playing_) {
    int piece, measure, tick;
    {
      std::lock_guard lock(playLock_);
      piece = walker_->PieceIndex();
      measure = walker_->VisitMeasure();
      tick = walker_->ShownTick();
    }
    if (measure < 0 || (c.Piece == piece && c.Measure == measure && c.Tick == tick)) return;
    MoveCursorTo(piece, measure, tick, false);
  } else if (recording_) {
    std::lock_guard lock(recordLock_);
    if (c.Measure == recordMeasure_ && c.Tick == recordTick_) return;
    MoveCursorTo(c.Piece, recordMeasure_, recordTick_, true);
  }
}

// ----------------------------------------------------------------- recording

void TQSPlayer::Record() {
  if (!view_.Score) return;
  if (playing_ || recording_) StopPlay();
  Join(recordThread_);
  {
    std::lock_guard lock(recordLock_);
    recordTickLength_ = TickLengthFor(TempoAtCursor(), view_.TempoScale);
    const TQSCursorPosition& c = view_.CursorPosition;
    recordPiece_ = c.Piece;
    recordMeasure_ = c.Measure;
    recordTick_ = c.Tick;
    recordTicks_ = 0;
    countIn_ = realTime_;
  }
  recording_ = true;
  recordThread_ = std::thread(&TQSPlayer::RecordThread, this);
  RaiseThreadPriority(recordThread_);
}

void TQSPlayer::RecordThread() {
  threadPlayer = this;
  const TQSScore* score = view_.Score;
  double due = clock_.NowMs();
  int i, nextBeat = 0;
  {
    std::lock_guard lock(recordLock_);
    i = recordTick_;
  }
  // Passes until the sounding click ends; 0: none sounds.
  int clickLeft = 0;
  const int clickDuration = std::max(1, ClickDuration);
  const auto endClick = [&] {
    Fire(view_.OnPlayShort, &recordSender_, midi::NoteOff | (midi::ClickStatus & 0x0F), midi::ClickKey, 0);
    clickLeft = 0;
  };
  bool ended = true;
  try {
    while (recording_) {
      {
        std::lock_guard lock(recordLock_);
        // Past the laid-out measures the clock runs on with the last one's
        // length and the meter carried on after it.
        const TQSPiece* piece = score->GetPiece(recordPiece_);
        const int last = piece ? piece->LastLaidOutMeasure : -1;
        const bool inside = recordMeasure_ <= last;
        const TQSCalcMeasure* slot = piece ? MeasureRecord(*piece, inside ? recordMeasure_ : last) : nullptr;
        if (!slot) {
          ended = false;
          break;
        }
        const int beat = MeterUnit(inside ? slot->MeterFor(recordMeasure_) : slot->EndMeter);
        const int length = slot->LengthFor(inside ? recordMeasure_ : last);
        // A click ends after its duration, before the next one; one still
        // sounding when the next comes is ended first, so that it strikes
        // again.
        if (clickLeft > 0 && --clickLeft == 0) endClick();
        if (i >= nextBeat) {
          if (recordMetronome_) {
            if (clickLeft > 0) endClick();
            Fire(view_.OnPlayShort, &recordSender_, midi::ClickStatus, midi::ClickKey,
                 nextBeat == 0 ? FirstBeatVelocity : OtherBeatVelocity);
            clickLeft = clickDuration;
          }
          nextBeat += beat;
        }
        if (i >= length - 1) {
          i = nextBeat = 0;
          if (realTime_ && !countIn_) ++recordMeasure_;
          countIn_ = false;
        } else {
          ++i;
        }
        if (realTime_ && !countIn_) recordTick_ = i;
        if (!countIn_) ++recordTicks_;
      }
      double tickLength;
      {
        std::lock_guard lock(recordLock_);
        tickLength = recordTickLength_;
      }
      due += tickLength;
      while (recording_ && due > clock_.NowMs()) clock_.SleepUntil(due);
    }
    if (ended) {
      std::lock_guard lock(recordLock_);
      if (clickLeft > 0) endClick();
      Fire(view_.OnPlayShort, &recordSender_, midi::Meta, midi::MetaEndOfTrack, 0);
    }
  } catch (...) {
  }
  if (ended) HandOver([this] { PlaceCursorAtEnd(); });
}

int TQSPlayer::GetRecordTicks() {
  if (!recording_) return 0;
  std::lock_guard lock(recordLock_);
  return recordTicks_;
}

void TQSPlayer::SetRecordRealTime(bool value) {
  std::lock_guard lock(recordLock_);
  realTime_ = value;
  if (!value) countIn_ = false;
}

void TQSPlayer::SetRecordMetronome(bool value) {
  std::lock_guard lock(recordLock_);
  recordMetronome_ = value;
}

TQSPlayer::TRecordPosition TQSPlayer::RecordPosition() {
  std::lock_guard lock(recordLock_);
  return {recordMeasure_, recordTick_, countIn_, recordTicks_};
}

void TQSPlayer::ResetRecordPosition() {
  if (!recording_) return;
  view_.MoveCursorRight(false, false);
  std::lock_guard lock(recordLock_);
  recordMeasure_ = view_.CursorPosition.Measure;
  recordTick_ = view_.CursorPosition.Tick;
}

}  // namespace qs
