#pragma once
// The MIDI ports: output devices are the built-in synthesizer and every
// ALSA sequencer output port, input devices the ALSA sequencer input
// ports. Opening a port that is not there fails with an error code, and
// the program goes on without it.
//
// An output port may be used from several threads at once (the window
// thread, the play and record threads, the note-off thread): every
// operation takes the port's lock.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qs {

// The name of the built-in synthesizer among the output devices.
extern const char* const kBuiltInSynthesizer;

// An input device that is always there and receives only what is handed
// to TMidiInput::Receive (for tests and demonstrations); never listed.
extern const char* const kTestMidiInput;

// The output devices, the built-in synthesizer first; the input devices.
std::vector<std::string> MidiOutputDevices();
std::vector<std::string> MidiInputDevices();

// The lock of a port and what it guards: whether the port is open and the
// error code of the last opening.
class TMidiPortState {
 public:
  bool IsOpen() const;
  int ErrorCode() const;

 protected:
  mutable std::mutex lock_;
  bool open_ = false;
  int error_ = 0;
};

class TMidiOutput : public TMidiPortState {
 public:
  virtual ~TMidiOutput() = default;

  // Opens the port when it is closed: 0 on success, else an error code
  // (also kept in ErrorCode).
  int Open();
  // Ends every sounding note and closes the port.
  void Close();

  // A channel message; nothing while the port is closed.
  void PutShort(uint8_t status, uint8_t data1, uint8_t data2);
  // Bytes of a MIDI event: each complete channel message in them is sent
  // on its own and the first complete system-exclusive message ($F0 ...
  // $F7) as one; anything else (stray data bytes, a message cut short,
  // system and meta bytes) is dropped.
  void PutLong(const uint8_t* data, size_t size);

  // The device this port opens.
  virtual std::string Device() const = 0;

  // The output's volume, 0 (silent) .. 65535 (full), both channels alike;
  // kept, and given to the device whenever the port is open.
  void SetVolume(int volume);
  int Volume() const { return volume_; }

 protected:
  // Under the port's lock.
  virtual int DoOpen() = 0;
  virtual void DoClose() = 0;
  virtual void SendShort(const uint8_t* message, size_t size) = 0;
  virtual void SendSysEx(const uint8_t* data, size_t size) = 0;
  // The volume reaches the device as controller 7 on all sixteen
  // channels: each channel's own level (the last controller 7 sent to it,
  // the General MIDI 100 before any) scaled by the volume. A port that
  // has a volume of its own overrides this and ScalesLevels.
  virtual void ApplyVolume(int volume);
  // Whether the controller 7 messages that pass are scaled by the volume,
  // so that the levels a score sends at its start do not undo it.
  virtual bool ScalesLevels() const { return true; }

 private:
  // Sends a channel message, a level scaled; under the lock.
  void SendChannel(const uint8_t* message, size_t size);
  int volume_ = 65535;
  uint8_t levels_[16] = {100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100};
};

// The output port of a device of MidiOutputDevices (an unknown name is
// the built-in synthesizer).
std::unique_ptr<TMidiOutput> CreateMidiOutput(const std::string& device = kBuiltInSynthesizer);

// One received message and its time stamp in milliseconds since the
// port was started.
struct TMidiInputEvent {
  uint8_t Status = 0, Data1 = 0, Data2 = 0;
  uint32_t Time = 0;
};

class TMidiInput : public TMidiPortState {
 public:
  explicit TMidiInput(std::string device = {});
  ~TMidiInput();
  TMidiInput(const TMidiInput&) = delete;
  TMidiInput& operator=(const TMidiInput&) = delete;

  // The device (a name of MidiInputDevices; empty: the first one).
  std::string Device;
  // Opens the port: 0 on success, else an error code.
  int Open();
  // Delivers received messages from now on.
  void Start();
  void Close();

  // Called once per received message, through Post when it is set (to
  // reach the window thread), else on the port's own thread.
  std::function<void()> OnMidiInput;
  std::function<void(std::function<void()>)> Post;
  // Takes the oldest received message; false when there is none.
  bool TakeEvent(TMidiInputEvent& event);

  // A message as the device delivers it (bytes and seconds since the
  // previous one): active sensing, timing clock, system-exclusive and
  // other system messages are dropped.
  void Receive(const uint8_t* message, size_t size, double deltaSeconds);

 private:
  struct TPort;
  std::unique_ptr<TPort> port_;
  std::deque<TMidiInputEvent> events_;
  bool started_ = false;
  double clockMs_ = 0;
};

}  // namespace qs
