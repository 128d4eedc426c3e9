#pragma once
// Playback and the recording clock of a score view. A player attaches
// itself to a view and gives it Play, Record and StopPlay; it plays
// through the view's OnPlayShort and OnPlayLong, whose owner binds them to
// a MIDI output.
//
// The play thread walks the play order one tick per pass (TQSPlayWalker)
// on a clock, the system clock or a virtual one. The record thread plays
// nothing: it counts ticks to time-stamp incoming notes, moves the record
// position, counts in and clicks the metronome (each click ended after
// ClickDuration ticks), and sends ($FF, 47, 0) through OnPlayShort as it
// ends.
//
// Threads: every operation runs on the window thread. The messages are
// sent on the play and record threads while their lock is held. What
// follows the end of playback or recording on the window thread (the view's
// OnStopPlay, the cursor put on the nearest event) is handed to Post, or
// kept until the next FollowPlayPosition or StopPlay when Post is unset;
// nothing a thread does waits for the window thread, so StopPlay, which
// waits for the thread, cannot deadlock.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/events.h"
#include "playback/playwalker.h"
#include "score/windowlink.h"

namespace qs {

class TQSPlayClock;

class TQSPlayer : public TObject, public TQSPlayControl {
 public:
  // Attaches to the view (its PlayControl) until destroyed; clock nullptr
  // is the system clock.
  explicit TQSPlayer(TQSWindowLink& view, TQSPlayClock* clock = nullptr);
  ~TQSPlayer() override;
  TQSPlayer(const TQSPlayer&) = delete;
  TQSPlayer& operator=(const TQSPlayer&) = delete;
  const char* ClassName() const override { return "TQSPlayThread"; }

  // Runs a function on the window thread, later; unset, the player keeps
  // it for DeliverPending.
  std::function<void(std::function<void()>)> Post;

  // ------------------------------------------------------------ playback
  // Plays from the input cursor (or, with RealTimeView, from the position
  // SeekPlayTime stored). Nothing without a score; a running playback or
  // recording is stopped first.
  void Play() override;
  // Stops playback, else recording, and waits for the thread; then ends
  // what still sounds and hands over the end.
  void StopPlay() override;
  bool IsPlaying() const override { return playing_; }
  // Waits until playback reaches the end of the score by itself (on a
  // free-running virtual clock: renders it), then hands over the end.
  // Never returns while Repeat plays on.
  void WaitUntilPlayed();
  // At the end of the last piece start again at the first.
  bool Repeat = false;
  // The view plays from a stored position instead of the cursor (the
  // real-time view).
  bool RealTimeView = false;
  void SetPlayMetronome(bool value);
  // Click velocities of the first and the other beats, for playback and
  // recording; set before starting.
  uint8_t FirstBeatVelocity = 127;
  uint8_t OtherBeatVelocity = 80;
  // Follows a change of the view's TempoScale while playing.
  void SetTempoScale(int percent);
  void TempoScaleChanged(int percent) override { SetTempoScale(percent); }
  // The quarter-note tempo at the cursor (60 without a score).
  double TempoAtCursor() const;
  // Milliseconds from the piece start to the play position (while
  // playing), the stored position (RealTimeView) or the cursor, at 100 %.
  double GetPlayTime();
  // Moves the stored play position (or, while playing, the play position)
  // to a time of the score.
  void SeekPlayTime(double ms) override;
  // Moves the cursor to the playing or recording position; the owner
  // calls it from its timer. Hands over a pending end first.
  void FollowPlayPosition();
  // Sends the program of the score's current voice on a channel through
  // the view's OnPlayShort, with the view as sender.
  void SendVoiceProgram(uint8_t channel);
  // Runs what the ended threads left for the window thread.
  void DeliverPending();

  // ----------------------------------------------------------- recording
  void Record() override;
  bool IsRecording() const override { return recording_; }
  bool IsRealTimeRecording() const override { return recording_ && realTime_; }
  void LockRecord() override { recordLock_.lock(); }
  void UnlockRecord() override { recordLock_.unlock(); }
  // Ticks counted since recording started (not the count-in); 0 when not
  // recording.
  int GetRecordTicks();
  void SetRecordRealTime(bool value);
  void SetRecordMetronome(bool value);
  // How long a metronome click of recording sounds, in ticks (at least
  // one); set before starting.
  int ClickDuration = 1;
  // The record position, whether the count-in still runs, and the tick
  // count, read together.
  struct TRecordPosition {
    int Measure = 0;
    int Tick = 0;
    bool CountIn = false;
    int Ticks = 0;
  };
  TRecordPosition RecordPosition();
  // Moves the cursor to the next event and records from there.
  void ResetRecordPosition();

  // The play lock, for whoever changes the score while it plays.
  std::recursive_mutex& PlayLock() { return playLock_; }

 private:
  class TSink;
  void PlayThread();
  void RecordThread();
  void Join(std::thread& thread);
  void HandOver(std::function<void()> f);
  void PlaceCursorAtEnd();
  double TimeAt(int piece, int visit, int tick) const;
  void MoveCursorTo(int piece, int measure, int tick, bool forward);
  TObject* ViewSender();

  // The sender of what the record thread sends (the player itself sends
  // for the play thread).
  class TQSRecordThread : public TObject {
   public:
    const char* ClassName() const override { return "TQSRecordThread"; }
  };
  TQSRecordThread recordSender_;
  TQSWindowLink& view_;
  TQSPlayClock& clock_;
  std::unique_ptr<TSink> sink_;
  std::unique_ptr<TQSPlayWalker> walker_;
  std::recursive_mutex playLock_;
  std::recursive_mutex recordLock_;
  std::thread playThread_, recordThread_;
  std::atomic<bool> playing_ = false, recording_ = false;
  bool playMetronome_ = false;
  // The stored play position of the real-time view.
  int storedPiece_ = 0, storedVisit_ = 0, storedTick_ = 0;
  // Recording state, under the record lock.
  double recordTickLength_ = 7.8125;
  int recordPiece_ = 0, recordMeasure_ = 0, recordTick_ = 0, recordTicks_ = 0;
  bool realTime_ = false, countIn_ = false, recordMetronome_ = false;
  std::mutex pendingLock_;
  std::vector<std::function<void()>> pending_;
  // False once the player is gone, for what it posted.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace qs
