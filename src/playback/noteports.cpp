#include "playback/noteports.h"

#include "playback/playclock.h"
#include "playback/playwalker.h"

namespace qs {

namespace {
// One pass of the note-off queue: 1/128 second.
constexpr double kNoteOffPass = 1000.0 / 128;
}  // namespace

TMidiPorts::TMidiPorts(std::unique_ptr<TMidiOutput> output, TQSPlayClock* clock)
    : Output(output ? std::move(output) : CreateMidiOutput()), clock_(clock ? *clock : SystemPlayClock()) {
  keyboard_.Thread = std::thread(&TMidiPorts::CloseTimerThread, this);
}

TMidiPorts::~TMidiPorts() {
  {
    std::lock_guard lock(keyboard_.Lock);
    quitting_ = true;
  }
  {
    std::lock_guard lock(noteOffLock_);
    quitting_ = true;
  }
  keyboard_.Changed.notify_all();
  clock_.Wake();
  if (keyboard_.Thread.joinable()) keyboard_.Thread.join();
  if (noteOffThread_.joinable()) noteOffThread_.join();
  CloseMidiInput();
  CloseMidiOutput();
}

bool TMidiPorts::OpenMidiOutput() {
  if (!outputOpen_) outputOpen_ = Output->Open() == 0;
  return outputOpen_;
}

void TMidiPorts::CloseMidiOutput() {
  if (!outputOpen_) return;
  Output->Close();
  outputOpen_ = false;
}

bool TMidiPorts::OpenMidiInput() {
  if (!inputOpen_) inputOpen_ = Input.Open() == 0;
  return inputOpen_;
}

void TMidiPorts::CloseMidiInput() {
  if (!inputOpen_) return;
  Input.Close();
  inputOpen_ = false;
}

void TMidiPorts::SoundNote(uint8_t channel, uint8_t key, uint16_t countdown, bool closeTimer, uint8_t velocity) {
  if (!OpenMidiOutput()) return;
  channel &= 0x0F;
  key &= 0x7F;
  Output->PutShort(static_cast<uint8_t>(midi::NoteOff | channel), key, velocity);
  Output->PutShort(static_cast<uint8_t>(midi::NoteOn | channel), key, velocity);
  const uint32_t entry = (uint32_t{channel} << 24) | (uint32_t{key} << 16) | countdown;
  {
    // The thread decides to end under this lock and says so here, so the
    // entry either reaches the running thread or starts a new one.
    std::lock_guard lock(noteOffLock_);
    pending_.push_back(entry);
    if (!noteOffRunning_ && !quitting_) {
      noteOffRunning_ = true;
      // A thread that said it ends has nothing left to do but return.
      if (noteOffThread_.joinable()) noteOffThread_.join();
      noteOffThread_ = std::thread(&TMidiPorts::NoteOffThread, this);
    }
  }
  if (closeTimer) {
    std::lock_guard lock(keyboard_.Lock);
    keyboard_.Armed = true;
    ++keyboard_.Generation;
  } else {
    DisableCloseTimer();
  }
  keyboard_.Changed.notify_all();
}

void TMidiPorts::DisableCloseTimer() {
  std::lock_guard lock(keyboard_.Lock);
  keyboard_.Armed = false;
  ++keyboard_.Generation;
}

bool TMidiPorts::CloseTimerArmed() {
  std::lock_guard lock(keyboard_.Lock);
  return keyboard_.Armed;
}

size_t TMidiPorts::PendingNoteOffs() {
  std::lock_guard lock(noteOffLock_);
  return pending_.size();
}

void TMidiPorts::NoteOffThread() {
  if (!OpenMidiOutput()) {
    std::lock_guard lock(noteOffLock_);
    noteOffRunning_ = false;
    return;
  }
  double due = clock_.NowMs();
  for (;;) {
    {
      std::lock_guard lock(noteOffLock_);
      for (size_t i = pending_.size(); i-- > 0;) {
        uint32_t& e = pending_[i];
        // A countdown of 0 would wrap and hold the note for 65536 passes
        // (over eight minutes): it ends at the first pass, as 1 does.
        // Going away, the program ends every pending note at once.
        if ((e & 0xFFFF) <= 1 || quitting_) {
          Output->PutShort(static_cast<uint8_t>(midi::NoteOff | (e >> 24)), (e >> 16) & 0x7F, 64);
          pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
          --e;
        }
      }
      if (pending_.empty()) {
        noteOffRunning_ = false;
        return;
      }
    }
    due += kNoteOffPass;
    while (due > clock_.NowMs()) {
      {
        std::lock_guard lock(noteOffLock_);
        if (quitting_) break;
      }
      clock_.SleepUntil(due);
    }
  }
}

void TMidiPorts::CloseTimerThread() {
  std::unique_lock lock(keyboard_.Lock);
  for (;;) {
    keyboard_.Changed.wait(lock, [&] { return keyboard_.Armed || quitting_; });
    if (quitting_) return;
    const uint64_t generation = keyboard_.Generation;
    const double deadline = clock_.NowMs() + CloseDelayMs;
    while (!quitting_ && keyboard_.Armed && generation == keyboard_.Generation && clock_.NowMs() < deadline) {
      lock.unlock();
      clock_.SleepUntil(deadline);
      lock.lock();
    }
    if (quitting_) return;
    if (!keyboard_.Armed || generation != keyboard_.Generation) continue;
    keyboard_.Armed = false;
    lock.unlock();
    bool pending;
    {
      std::lock_guard noteOffs(noteOffLock_);
      pending = noteOffRunning_;
    }
    if (!pending) CloseMidiOutput();
    lock.lock();
  }
}

bool TMidiPorts::ForwardShort(int status, int data1, int data2) {
  if (status == midi::Meta && data1 == midi::MetaEndOfTrack) return true;
  const midi::TShort message = midi::Clamped(status, data1, data2);
  if (message.Send && OpenMidiOutput()) Output->PutShort(message.Status, message.Data1, message.Data2);
  return false;
}

void TMidiPorts::ForwardLong(const uint8_t* data, uint16_t size) {
  if (OpenMidiOutput()) Output->PutLong(data, size);
}

void TMidiPorts::MidiInputArrived() {
  TMidiInputEvent e;
  if (!Input.TakeEvent(e)) return;
  if (OnRecordInput) OnRecordInput(e);
  if (!PlayMidi || (e.Status & 0xF0) != midi::NoteOn || e.Data2 == 0) return;
  if (OnEchoNote)
    OnEchoNote(e.Data1);
  else
    SoundNote(0, e.Data1, 16, false, 64);
}

}  // namespace qs
