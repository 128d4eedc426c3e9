#pragma once
// The program's two MIDI ports as the main window holds them, and the
// sounding of single notes while the user edits: a note-on now and its
// note-off later, from a small thread that counts down the pending
// note-offs 128 times a second. The output port closes on Stop and a
// while after the last note sounded with the close timer, when no note-off
// is pending; the built-in synthesizer stays loaded in between.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "playback/midiports.h"

namespace qs {

class TQSPlayClock;

class TMidiPorts {
 public:
  // The output device (a name of MidiOutputDevices) and the clock of the
  // note-off thread and the close timer (nullptr: the system clock).
  explicit TMidiPorts(std::unique_ptr<TMidiOutput> output = nullptr, TQSPlayClock* clock = nullptr);
  ~TMidiPorts();
  TMidiPorts(const TMidiPorts&) = delete;
  TMidiPorts& operator=(const TMidiPorts&) = delete;

  // The ports. Set another output only while it is closed.
  std::unique_ptr<TMidiOutput> Output;
  TMidiInput Input;

  // Opens the output when it is closed; true when it is open.
  bool OpenMidiOutput();
  void CloseMidiOutput();
  bool OpenMidiInput();
  void CloseMidiInput();
  bool OutputOpen() const { return outputOpen_; }
  bool InputOpen() const { return inputOpen_; }

  // Strikes a key (a note-off of it first, so that a key still sounding is
  // struck again) and ends it after countdown passes of 1/128 second; the
  // close timer is armed when closeTimer is set and disarmed otherwise.
  void SoundNote(uint8_t channel, uint8_t key, uint16_t countdown, bool closeTimer, uint8_t velocity);
  // Disarms the close timer (playback and recording keep the port open).
  void DisableCloseTimer();
  bool CloseTimerArmed();
  // Milliseconds the close timer waits.
  double CloseDelayMs = 3000;
  // Note-offs still to be sent.
  size_t PendingNoteOffs();

  // A play message of a view, for its owner's OnPlayShort and OnPlayLong:
  // opens the output when needed and sends. True for the end message
  // ($FF, 47), which is not sent: its receiver stops.
  bool ForwardShort(int status, int data1, int data2);
  void ForwardLong(const uint8_t* data, uint16_t size);

  // The input port's notification: takes the message, passes it to
  // OnRecordInput and, with PlayMidi, sounds the key of a note-on through
  // OnEchoNote.
  void MidiInputArrived();
  std::function<void(const TMidiInputEvent&)> OnRecordInput;
  std::function<void(uint8_t key)> OnEchoNote;
  // [Effects] "PlayMIDI": echo the keys played on the MIDI input.
  bool PlayMidi = true;

 private:
  void NoteOffThread();
  void CloseTimerThread();

  TQSPlayClock& clock_;
  std::atomic<bool> outputOpen_ = false, inputOpen_ = false;
  // The note-off queue: Channel shl 24 + Key shl 16 + Countdown each.
  std::mutex noteOffLock_;
  std::vector<uint32_t> pending_;
  bool noteOffRunning_ = false;
  std::thread noteOffThread_;
  std::atomic<bool> quitting_ = false;
  // The close timer: armed by a note that may close the output, it closes
  // it CloseDelayMs later unless a note-off is pending or it was armed
  // again meanwhile.
  struct TKeyboard {
    std::mutex Lock;
    std::condition_variable Changed;
    bool Armed = false;
    uint64_t Generation = 0;
    std::thread Thread;
  } keyboard_;
};

}  // namespace qs
