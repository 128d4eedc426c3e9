// The document window's playback and recording: the view's player sends
// its messages to the program's MIDI output, the document timer lets the
// cursor follow, and the notes played on the MIDI input while recording
// are collected and entered into the score.
#include <algorithm>

#include "app/fileeditor.h"
#include "editing/recording.h"
#include "playback/noteports.h"
#include "playback/player.h"
#include "playback/playwalker.h"
#include "playback/toolpages.h"
#include "platform/comctrls.h"
#include "platform/timers.h"
#include "score/score.h"
#include "uikit/charbutton.h"
#include "uikit/settings.h"
#include "view/window.h"

namespace qs {

namespace {

// Cursor colours ($BBGGRR) while playing, while recording and at rest.
constexpr uint32_t kPlayCursor = 0xFF71FF, kRecordCursor = 0xFFFF00, kRestCursor = 0x00FFFF;

bool IsEnd(int status, int data1) { return status == midi::Meta && data1 == midi::MetaEndOfTrack; }

bool Down(const TECCharButton* button) { return button && button->Down(); }

}  // namespace

TRecordedSpelling SpellRecordedKey(int key) {
  // Black keys are sharps of the step below, except D sharp and A sharp,
  // which are written as the flats of E and B.
  static constexpr int kStep[12] = {0, 0, 1, 2, 2, 3, 3, 4, 4, 5, 6, 6};
  static constexpr int kAlteration[12] = {0, 1, 0, -1, 0, 0, 1, 0, 1, 0, -1, 0};
  const int k = std::clamp(key, 0, 127);
  return {k / 12, kStep[k % 12], kAlteration[k % 12]};
}

std::vector<int> AccidentalModifiers(int alteration, int inForce) {
  if (alteration == inForce) return {};
  const int own = alteration > 0 ? 52 : 50;
  if (inForce == 0) return {own};
  if (alteration == 0) return {54};
  return {54, own};
}

TQSPlayer& TFFileEditor::Player() {
  if (!player_) {
    player_ = std::make_unique<TQSPlayer>(*QSWindow, playClock_);
    // What the threads leave for the window thread (the end, the cursor at
    // the last event) runs there as soon as it can.
    player_->Post = [](std::function<void()> f) { TThread::Queue(std::move(f)); };
  }
  return *player_;
}

void TFFileEditor::SetPlayClock(TQSPlayClock* clock) {
  if (Busy() || clock == playClock_) return;
  playClock_ = clock;
  // The next Play or Record makes the player again on the new clock.
  player_.reset();
}

bool TFFileEditor::Busy() const { return player_ && (player_->IsPlaying() || player_->IsRecording()); }

void TFFileEditor::ConnectPlayback() {
  TFileEditor = new TTimer(this);
  TFileEditor->SetName("TFileEditor");
  TFileEditor->SetInterval(10);
  TFileEditor->SetEnabled(false);
  TFileEditor->OnTimer = [this](TObject*) { DocumentTimer(); };
  QSWindow->OnPlayShort = [this](TObject*, int status, int data1, int data2) { PlayShort(status, data1, data2); };
  QSWindow->OnPlayLong = [this](TObject*, const uint8_t* data, uint16_t size) { PlayLong(data, size); };
  QSWindow->OnStopPlay = [this](TObject*) { StopRequested = true; };
  QSWindow->OnPlayNote = [this](TQSWindow&, int channel, int instrument, int key, int length, int velocity) {
    PlayNote(channel, instrument, key, length, velocity);
  };
}

void TFFileEditor::PlayShort(int status, int data1, int data2) {
  // Called on the play and record threads: the port has its own lock; what
  // touches windows is queued for the window thread.
  if (IsEnd(status, data1)) {
    std::weak_ptr<bool> alive = alive_;
    TThread::Queue([this, alive] {
      if (alive.lock()) FinishPlay();
    });
    return;
  }
  TMidiPorts* ports = playPorts_.load();
  if (!ports) return;
  const midi::TShort message = midi::Clamped(status, data1, data2);
  if (!message.Send) return;
  ports->ForwardShort(message.Status, message.Data1, message.Data2);
  if (PlayHost.Played) {
    std::weak_ptr<bool> alive = alive_;
    TThread::Queue([this, alive, message] {
      if (alive.lock() && PlayHost.Played) PlayHost.Played(message.Status, message.Data1, message.Data2);
    });
  }
}

void TFFileEditor::PlayLong(const uint8_t* data, uint16_t size) {
  if (size >= 2 && IsEnd(data[0], data[1])) {
    PlayShort(data[0], data[1], 0);
    return;
  }
  if (TMidiPorts* ports = playPorts_.load()) ports->ForwardLong(data, size);
}

void TFFileEditor::PlayNote(int channel, int instrument, int key, int length, int velocity) {
  if (!PlayHost.Effects || !PlayHost.Effects->PlayDrag || !PlayHost.Ports) return;
  TMidiPorts* ports = PlayHost.Ports();
  if (!ports || !ports->OpenMidiOutput()) return;
  score_->MapDrumNote(0, channel, key);
  const midi::TShort program = midi::Clamped(midi::ProgramChange | (channel & 0x0F), instrument, 0);
  if (program.Send) ports->ForwardShort(program.Status, program.Data1, program.Data2);
  ports->SoundNote(static_cast<uint8_t>(channel & 0x0F), midi::DataByte(key),
                   static_cast<uint16_t>(std::clamp(length, 1, 0xFFFF)), true, midi::DataByte(velocity));
}

void TFFileEditor::FinishPlay() {
  if (TFileEditor) TFileEditor->SetEnabled(false);
  if (PlayHost.Stop) PlayHost.Stop();
  if (QSWindow) {
    QSWindow->SetCursorType(TQSCursorType::ctStaff);
    QSWindow->SetCursorColor(kRestCursor);
  }
}

void TFFileEditor::StartPlayback() {
  TQSPlayer& player = Player();
  playPorts_ = PlayHost.Ports ? PlayHost.Ports() : nullptr;
  if (PlayHost.Play) player.SetPlayMetronome(PlayHost.Play->PlayMetronome);
  if (PlayHost.Record) {
    player.FirstBeatVelocity = midi::DataByte(PlayHost.Record->MetrFirstVelocity);
    player.OtherBeatVelocity = midi::DataByte(PlayHost.Record->MetrOtherVelocity);
  }
  StopRequested = false;
  TFileEditor->SetEnabled(true);
  QSWindow->Play();
  QSWindow->SetCursorType(TQSCursorType::ctPiece);
  QSWindow->SetCursorColor(kPlayCursor);
}

void TFFileEditor::StartRecording() {
  TQSPlayer& player = Player();
  playPorts_ = PlayHost.Ports ? PlayHost.Ports() : nullptr;
  if (const TRecordingSettings* r = PlayHost.Record) {
    score_->RecordQuantize = static_cast<uint16_t>(std::clamp(r->RecordQuantize, 8, 512));
    score_->TwoHandRecording = r->TwoHands ? 1 : 0;
    player.SetRecordRealTime(r->RecordRealTime);
    player.SetRecordMetronome(r->RecordMetronome);
    player.ClickDuration = std::clamp(r->MetrDuration, 1, 255);
    player.FirstBeatVelocity = midi::DataByte(r->MetrFirstVelocity);
    player.OtherBeatVelocity = midi::DataByte(r->MetrOtherVelocity);
  }
  RecordedNotes.clear();
  QSWindow->Record();
  StopRequested = false;
  TFileEditor->SetEnabled(true);
  QSWindow->SetCursorType(TQSCursorType::ctPiece);
  QSWindow->SetCursorColor(kRecordCursor);
}

void TFFileEditor::StopPlayback() {
  if (TFileEditor) TFileEditor->SetEnabled(false);
  if (QSWindow) {
    QSWindow->SetCursorType(TQSCursorType::ctStaff);
    QSWindow->SetCursorColor(kRestCursor);
    if (player_) player_->StopPlay();
  }
  RecordedNotes.clear();
  StopRequested = false;
}

void TFFileEditor::DocumentTimer() {
  if (StopRequested) {
    StopRequested = false;
    if (PlayHost.Stop) PlayHost.Stop();
    return;
  }
  if (!player_) return;
  if (player_->IsRealTimeRecording() || player_->IsPlaying()) {
    try {
      player_->FollowPlayPosition();
    } catch (...) {
      // The cursor stays where it was; playback goes on.
    }
    if (player_->IsPlaying())
      if (TFPlaying* page = TFPlaying::Instance()) page->ShowPlayTime(player_->GetPlayTime());
  }
  SyncSideEditors();
}

void TFFileEditor::RecordMidiInput(int status, int key, int velocity) {
  if (!player_ || !player_->IsRecording()) return;
  const TQSPlayer::TRecordPosition now = player_->RecordPosition();
  if (now.CountIn) return;
  const int type = status & 0xF0;
  if (type == midi::NoteOff || (type == midi::NoteOn && velocity == 0)) {
    for (TRecordedNote& note : RecordedNotes)
      if (note.Key == key && note.State != 2) {
        note.State = 2;
        note.Time = now.Ticks - note.Time;
        break;
      }
  } else if (type == midi::NoteOn) {
    TRecordedNote note;
    note.Key = midi::DataByte(key);
    note.Velocity = midi::DataByte(velocity);
    note.Time = now.Ticks;
    const bool realTime = PlayHost.Record && PlayHost.Record->RecordRealTime;
    note.Measure = realTime ? now.Measure : QSWindow->CursorPosition.Measure;
    note.Tick = realTime ? now.Tick : QSWindow->CursorPosition.Tick;
    RecordedNotes.push_back(note);
  } else {
    return;
  }
  // The player hears what he plays, as the active part sounds it.
  if (PlayHost.Effects && PlayHost.Effects->PlayMIDI)
    if (TMidiPorts* ports = playPorts_.load())
      ports->ForwardShort(status, midi::DataByte(key + QSWindow->ActivePartTransposition()), midi::DataByte(velocity));
}

void TFFileEditor::EnterRecordedNotes() {
  const TRecordingSettings* settings = PlayHost.Record;
  const bool realTime = settings && settings->RecordRealTime;
  const bool metronome = settings && settings->RecordMetronome;
  TFRecording* page = TFRecording::Instance();
  for (size_t i = 0; i < RecordedNotes.size();) {
    TRecordedNote& note = RecordedNotes[i];
    if (note.State == 0) note.State = 1;
    if (note.State != 2) {
      ++i;
      continue;
    }
    const TRecordedSpelling spelled = SpellRecordedKey(note.Key);
    std::vector<int> modifiers;
    if (page) {
      if (!realTime && !metronome) {
        if (Down(page->CBDot)) modifiers.push_back(45);
        else if (Down(page->CBDoubleDot)) modifiers.push_back(46);
      }
      if (Down(page->CBTremolo)) modifiers.push_back(143 + page->UDTremolo->Position());
      if (Down(page->CBTreole)) modifiers.push_back(85 + page->UDTreole->Position());
    }
    for (int code : AccidentalModifiers(spelled.Alteration, QSWindow->AccidentalAtCursor(spelled.Step)))
      modifiers.push_back(code);
    if (page && Down(page->CBDrumNote)) modifiers.push_back(40);
    else if (page && Down(page->CBBlankNote)) modifiers.push_back(41);
    const TRecordedNote entered = note;
    RecordedNotes.erase(RecordedNotes.begin() + static_cast<std::ptrdiff_t>(i));
    if (!page || Down(page->CBNote))
      InsertRecordedNote(*score_, entered.Measure, entered.Tick, spelled.Octave, spelled.Step, entered.Time,
                         modifiers, entered.Velocity);
    else
      InsertRecordedRest(*score_, entered.Measure, entered.Tick, entered.Time, modifiers);
    // Step by step the cursor moves on by what was entered; a chord keeps
    // it in place.
    if (!realTime && !(page && Down(page->CBChord)))
      QSWindow->AdvanceCursor(score_->LastEntryLength, entered.Measure, entered.Tick, true);
  }
}

}  // namespace qs
