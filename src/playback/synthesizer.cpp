#include "playback/synthesizer.h"

#include <fluidsynth.h>

#include <filesystem>
#include <mutex>

#include "playback/messages.h"

namespace qs {

namespace {

// FluidSynth writes its warnings and errors to the console; the program
// reports what matters itself.
void QuietLog(int, const char*, void*) {}

void SilenceFluidSynth() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
      fluid_set_log_function(level, QuietLog, nullptr);
  });
}

}  // namespace

std::string GeneralMidiSoundFont() {
  // timgm6mb-soundfont installs its file and makes it the default GM font.
  for (const char* path : {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/default-GM.sf2",
                           "/usr/share/sounds/sf3/default-GM.sf3", "/usr/share/sounds/sf2/FluidR3_GM.sf2"}) {
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error)) return path;
  }
  return {};
}

struct TQSSynthesizer::TImpl {
  fluid_settings_t* Settings = nullptr;
  fluid_synth_t* Synth = nullptr;
  fluid_audio_driver_t* Driver = nullptr;
  bool Ready = false;
  std::mutex AudioLock;

  ~TImpl() {
    if (Driver) delete_fluid_audio_driver(Driver);
    if (Synth) delete_fluid_synth(Synth);
    if (Settings) delete_fluid_settings(Settings);
  }
};

TQSSynthesizer::TQSSynthesizer(double sampleRate) : impl_(std::make_unique<TImpl>()) {
  SilenceFluidSynth();
  impl_->Settings = new_fluid_settings();
  if (!impl_->Settings) return;
  fluid_settings_setnum(impl_->Settings, "synth.sample-rate", sampleRate);
  impl_->Synth = new_fluid_synth(impl_->Settings);
  if (!impl_->Synth) return;
  const std::string font = GeneralMidiSoundFont();
  if (font.empty() || fluid_synth_sfload(impl_->Synth, font.c_str(), 1) == FLUID_FAILED) {
    ReportPlaybackProblem(TPlaybackMessage::NoSoundFont, font.empty() ? "/usr/share/sounds/sf2" : font);
    return;
  }
  impl_->Ready = true;
}

TQSSynthesizer::~TQSSynthesizer() = default;

bool TQSSynthesizer::Ready() const { return impl_->Ready; }

void TQSSynthesizer::Short(const uint8_t* m, size_t size) {
  fluid_synth_t* s = impl_->Synth;
  if (!s || size == 0 || m[0] < 0x80 || m[0] >= 0xF0) return;
  const int channel = m[0] & 0x0F;
  const int d1 = size > 1 ? m[1] & 0x7F : 0, d2 = size > 2 ? m[2] & 0x7F : 0;
  switch (m[0] & 0xF0) {
    case 0x80: fluid_synth_noteoff(s, channel, d1); break;
    case 0x90: fluid_synth_noteon(s, channel, d1, d2); break;  // velocity 0 is a note-off
    case 0xA0: fluid_synth_key_pressure(s, channel, d1, d2); break;
    case 0xB0: fluid_synth_cc(s, channel, d1, d2); break;
    case 0xC0: fluid_synth_program_change(s, channel, d1); break;
    case 0xD0: fluid_synth_channel_pressure(s, channel, d1); break;
    case 0xE0: fluid_synth_pitch_bend(s, channel, d1 | (d2 << 7)); break;
  }
}

void TQSSynthesizer::SysEx(const uint8_t* data, size_t size) {
  // FluidSynth takes the bytes between $F0 and $F7.
  if (!impl_->Synth || size < 2) return;
  fluid_synth_sysex(impl_->Synth, reinterpret_cast<const char*>(data + 1), static_cast<int>(size - 2), nullptr,
                    nullptr, nullptr, 0);
}

void TQSSynthesizer::AllNotesOff() {
  if (impl_->Synth) fluid_synth_all_notes_off(impl_->Synth, -1);
}

void TQSSynthesizer::SetGain(double gain) {
  if (impl_->Synth) fluid_synth_set_gain(impl_->Synth, static_cast<float>(gain));
}

void TQSSynthesizer::Render(float* left, float* right, int frames) {
  if (!impl_->Synth) {
    std::fill(left, left + frames, 0.0f);
    std::fill(right, right + frames, 0.0f);
    return;
  }
  fluid_synth_write_float(impl_->Synth, frames, left, 0, 1, right, 0, 1);
}

bool TQSSynthesizer::StartAudio(std::string& error) {
  std::lock_guard lock(impl_->AudioLock);
  if (impl_->Driver) return true;
  if (!impl_->Synth) {
    error = "FluidSynth";
    return false;
  }
  // The desktop's audio server first (PipeWire answers as PulseAudio too),
  // then the sound card through ALSA.
  for (const char* driver : {"pulseaudio", "pipewire", "alsa"}) {
    if (fluid_settings_setstr(impl_->Settings, "audio.driver", driver) == FLUID_FAILED) continue;
    impl_->Driver = new_fluid_audio_driver(impl_->Settings, impl_->Synth);
    if (impl_->Driver) return true;
  }
  error = "PulseAudio, PipeWire, ALSA";
  return false;
}

TQSSynthesizer& TQSSynthesizer::Shared() {
  static TQSSynthesizer synth;
  return synth;
}

}  // namespace qs
