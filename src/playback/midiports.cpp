#include "playback/midiports.h"

#include <algorithm>

#include <rtmidi/RtMidi.h>

#include <filesystem>

#include "playback/messages.h"
#include "playback/playwalker.h"
#include "playback/synthesizer.h"

namespace qs {

const char* const kBuiltInSynthesizer = "Built-in synthesizer";
const char* const kTestMidiInput = "Test input";

namespace {

constexpr const char* kClientName = "Quillstave 4";

// Without the ALSA sequencer device there are no ports; asking RtMidi
// would only fill the console with the libraries' complaints.
bool SequencerPresent() {
  std::error_code error;
  return std::filesystem::exists("/dev/snd/seq", error);
}

// RtMidi reports warnings on the console unless told where to.
void QuietErrors(RtMidi& midi) {
  midi.setErrorCallback([](RtMidiError::Type, const std::string&, void*) {}, nullptr);
}

template <class T>
std::vector<std::string> PortNames() {
  std::vector<std::string> names;
  if (!SequencerPresent()) return names;
  try {
    T midi(RtMidi::LINUX_ALSA, kClientName);
    QuietErrors(midi);
    const unsigned count = midi.getPortCount();
    for (unsigned i = 0; i < count; ++i) {
      std::string name = midi.getPortName(i);
      // The program's own ports are no devices to play to or record from.
      if (!name.empty() && name.rfind(kClientName, 0) != 0) names.push_back(std::move(name));
    }
  } catch (...) {
    // No ALSA sequencer: no ports.
  }
  return names;
}

template <class T>
int FindPort(T& midi, const std::string& device) {
  const unsigned count = midi.getPortCount();
  for (unsigned i = 0; i < count; ++i)
    if (device.empty() ? midi.getPortName(i).rfind(kClientName, 0) != 0 : midi.getPortName(i) == device)
      return static_cast<int>(i);
  return -1;
}

enum TPortError { kNoError = 0, kNoDevice = 1, kOpenFailed = 2, kNoSound = 3 };

class TSynthOutput : public TMidiOutput {
 public:
  std::string Device() const override { return kBuiltInSynthesizer; }

 protected:
  int DoOpen() override {
    TQSSynthesizer& synth = TQSSynthesizer::Shared();
    if (!synth.Ready()) return kNoSound;
    std::string error;
    if (!synth.StartAudio(error)) {
      ReportPlaybackProblem(TPlaybackMessage::NoAudioOutput, error);
      return kNoSound;
    }
    return kNoError;
  }
  // The synthesizer stays loaded and its audio output open: the port
  // closes after every pause, and loading the sound font takes long.
  void DoClose() override { TQSSynthesizer::Shared().AllNotesOff(); }
  void SendShort(const uint8_t* message, size_t size) override { TQSSynthesizer::Shared().Short(message, size); }
  void SendSysEx(const uint8_t* data, size_t size) override { TQSSynthesizer::Shared().SysEx(data, size); }
  void ApplyVolume(int volume) override { TQSSynthesizer::Shared().SetGain(TQSSynthesizer::kOwnGain * volume / 65535); }
  bool ScalesLevels() const override { return false; }
};

class TSequencerOutput : public TMidiOutput {
 public:
  explicit TSequencerOutput(std::string device) : device_(std::move(device)) {}
  std::string Device() const override { return device_; }

 protected:
  int DoOpen() override {
    if (!SequencerPresent()) {
      ReportPlaybackProblem(TPlaybackMessage::OutputPortFailed, device_);
      return kNoDevice;
    }
    try {
      out_ = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, kClientName);
      QuietErrors(*out_);
      const int port = FindPort(*out_, device_);
      if (port < 0) {
        out_.reset();
        ReportPlaybackProblem(TPlaybackMessage::OutputPortFailed, device_);
        return kNoDevice;
      }
      out_->openPort(static_cast<unsigned>(port), std::string(kClientName) + " out");
      if (out_->isPortOpen()) return kNoError;
    } catch (...) {
    }
    out_.reset();
    ReportPlaybackProblem(TPlaybackMessage::OutputPortFailed, device_);
    return kOpenFailed;
  }
  void DoClose() override {
    if (!out_) return;
    // Notes still sounding on the device end with the port.
    for (uint8_t channel = 0; channel < 16; ++channel) {
      const uint8_t off[] = {static_cast<uint8_t>(midi::Controller | channel), midi::CtlAllNotesOff, 0};
      Send(off, sizeof off);
    }
    out_.reset();
  }
  void SendShort(const uint8_t* message, size_t size) override { Send(message, size); }
  void SendSysEx(const uint8_t* data, size_t size) override { Send(data, size); }

 private:
  void Send(const uint8_t* data, size_t size) {
    try {
      if (out_) out_->sendMessage(data, size);
    } catch (...) {
      // A device that went away loses the message.
    }
  }
  std::string device_;
  std::unique_ptr<RtMidiOut> out_;
};

}  // namespace

std::vector<std::string> MidiOutputDevices() {
  std::vector<std::string> names{kBuiltInSynthesizer};
  for (std::string& name : PortNames<RtMidiOut>()) names.push_back(std::move(name));
  return names;
}

std::vector<std::string> MidiInputDevices() { return PortNames<RtMidiIn>(); }

std::unique_ptr<TMidiOutput> CreateMidiOutput(const std::string& device) {
  if (device.empty() || device == kBuiltInSynthesizer) return std::make_unique<TSynthOutput>();
  return std::make_unique<TSequencerOutput>(device);
}

// ---------------------------------------------------------------- output

int TMidiOutput::Open() {
  std::lock_guard lock(lock_);
  if (open_) return 0;
  error_ = DoOpen();
  open_ = error_ == 0;
  if (open_ && volume_ != 65535) ApplyVolume(volume_);
  return error_;
}

void TMidiOutput::SetVolume(int volume) {
  std::lock_guard lock(lock_);
  volume = std::clamp(volume, 0, 65535);
  if (volume == volume_) return;
  volume_ = volume;
  if (open_) ApplyVolume(volume_);
}

namespace {

uint8_t ScaledLevel(uint8_t level, int volume) { return static_cast<uint8_t>((level * volume + 32767) / 65535); }

}  // namespace

void TMidiOutput::ApplyVolume(int volume) {
  // Few devices take the General MIDI master volume; every one takes the
  // channel volume.
  for (uint8_t channel = 0; channel < 16; ++channel) {
    const uint8_t message[] = {static_cast<uint8_t>(midi::Controller | channel), midi::CtlVolume,
                               ScaledLevel(levels_[channel], volume)};
    SendShort(message, sizeof message);
  }
}

void TMidiOutput::SendChannel(const uint8_t* message, size_t size) {
  if (size == 3 && (message[0] & 0xF0) == midi::Controller && message[1] == midi::CtlVolume && ScalesLevels()) {
    levels_[message[0] & 0x0F] = message[2];
    const uint8_t scaled[] = {message[0], message[1], ScaledLevel(message[2], volume_)};
    SendShort(scaled, sizeof scaled);
    return;
  }
  SendShort(message, size);
}

void TMidiOutput::Close() {
  std::lock_guard lock(lock_);
  if (!open_) return;
  DoClose();
  open_ = false;
}

bool TMidiPortState::IsOpen() const {
  std::lock_guard lock(lock_);
  return open_;
}

int TMidiPortState::ErrorCode() const {
  std::lock_guard lock(lock_);
  return error_;
}

void TMidiOutput::PutShort(uint8_t status, uint8_t data1, uint8_t data2) {
  if (status < 0x80 || status >= 0xF0) return;
  const uint8_t message[] = {status, static_cast<uint8_t>(data1 & 0x7F), static_cast<uint8_t>(data2 & 0x7F)};
  std::lock_guard lock(lock_);
  if (open_) SendChannel(message, 1 + static_cast<size_t>(midi::ChannelDataBytes(status)));
}

void TMidiOutput::PutLong(const uint8_t* data, size_t size) {
  std::lock_guard lock(lock_);
  if (!open_) return;
  midi::SplitEventBytes(
      data, size, [&](const uint8_t* m, size_t n) { SendChannel(m, n); },
      [&](const uint8_t* m, size_t n) { SendSysEx(m, n); });
}

// ----------------------------------------------------------------- input

struct TMidiInput::TPort {
  std::unique_ptr<RtMidiIn> In;
};

TMidiInput::TMidiInput(std::string device) : Device(std::move(device)), port_(std::make_unique<TPort>()) {}

TMidiInput::~TMidiInput() { Close(); }

namespace {

// Opens the sequencer input port of the device (the first one for an
// empty name) with its messages going to input.
int OpenSequencerInput(TMidiInput& input, std::unique_ptr<RtMidiIn>& result) {
  if (!SequencerPresent()) return kNoDevice;
  try {
    auto in = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, kClientName);
    QuietErrors(*in);
    const int port = FindPort(*in, input.Device);
    if (port < 0) return kNoDevice;
    // System-exclusive, timing clock and active sensing never arrive.
    in->ignoreTypes(true, true, true);
    in->setCallback(
        [](double delta, std::vector<unsigned char>* message, void* self) {
          if (message && !message->empty())
            static_cast<TMidiInput*>(self)->Receive(message->data(), message->size(), delta);
        },
        &input);
    in->openPort(static_cast<unsigned>(port), std::string(kClientName) + " in");
    if (!in->isPortOpen()) return kOpenFailed;
    result = std::move(in);
    return kNoError;
  } catch (...) {
    return kOpenFailed;
  }
}

}  // namespace

int TMidiInput::Open() {
  {
    std::lock_guard lock(lock_);
    if (open_) return 0;
  }
  const int error = Device == kTestMidiInput ? kNoError : OpenSequencerInput(*this, port_->In);
  if (error == kNoDevice && Device.empty())
    ReportPlaybackProblem(TPlaybackMessage::NoInputPort);
  else if (error != kNoError)
    ReportPlaybackProblem(TPlaybackMessage::InputPortFailed, Device);
  std::lock_guard lock(lock_);
  error_ = error;
  open_ = error == kNoError;
  started_ = false;
  events_.clear();
  return error;
}

void TMidiInput::Start() {
  std::lock_guard lock(lock_);
  started_ = true;
  clockMs_ = 0;
}

void TMidiInput::Close() {
  // Closing waits for RtMidi's thread, which may be in Receive: not under
  // the lock.
  if (port_->In) {
    try {
      port_->In->closePort();
    } catch (...) {
    }
    port_->In.reset();
  }
  std::lock_guard lock(lock_);
  open_ = started_ = false;
  events_.clear();
}

void TMidiInput::Receive(const uint8_t* message, size_t size, double deltaSeconds) {
  if (size == 0 || message[0] < 0x80 || message[0] >= 0xF0) return;
  {
    std::lock_guard lock(lock_);
    if (!started_) return;
    if (deltaSeconds > 0) clockMs_ += deltaSeconds * 1000;
    TMidiInputEvent e;
    e.Status = message[0];
    e.Data1 = size > 1 ? message[1] : 0;
    e.Data2 = size > 2 ? message[2] : 0;
    e.Time = static_cast<uint32_t>(clockMs_);
    events_.push_back(e);
  }
  if (!OnMidiInput) return;
  if (Post)
    Post(OnMidiInput);
  else
    OnMidiInput();
}

bool TMidiInput::TakeEvent(TMidiInputEvent& event) {
  std::lock_guard lock(lock_);
  if (events_.empty()) return false;
  event = events_.front();
  events_.pop_front();
  return true;
}

}  // namespace qs
