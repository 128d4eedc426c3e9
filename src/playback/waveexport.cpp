#include "playback/waveexport.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <thread>
#include <vector>

#include "base/safefile.h"
#include "base/stream.h"
#include "playback/playclock.h"
#include "playback/player.h"
#include "playback/playwalker.h"
#include "playback/synthesizer.h"

namespace qs {

namespace {

struct TStopped {};

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// The 44-byte RIFF header of a PCM file of dataBytes bytes of samples.
std::vector<uint8_t> WaveHeader(const TQSWaveFormat& f, uint32_t dataBytes) {
  std::vector<uint8_t> h;
  h.reserve(44);
  auto tag = [&](const char* t) { h.insert(h.end(), t, t + 4); };
  tag("RIFF");
  Put32(h, 36 + dataBytes);
  tag("WAVE");
  tag("fmt ");
  Put32(h, 16);
  Put16(h, 1);  // PCM
  Put16(h, uint32_t(f.Channels));
  Put32(h, uint32_t(f.SampleRate));
  Put32(h, uint32_t(f.SampleRate * f.BlockAlign()));
  Put16(h, uint32_t(f.BlockAlign()));
  Put16(h, uint32_t(f.BitsPerSample));
  tag("data");
  Put32(h, dataBytes);
  return h;
}

void Encode(const TQSWaveFormat& f, const float* left, const float* right, int frames, std::vector<uint8_t>& out) {
  out.clear();
  out.reserve(size_t(frames) * f.BlockAlign());
  auto put = [&](float x) {
    x = std::clamp(x, -1.0f, 1.0f);
    if (f.BitsPerSample == 8) {
      out.push_back(uint8_t(std::lround(x * 127.0f) + 128));
    } else {
      const auto v = int16_t(std::lround(x * 32767.0f));
      out.push_back(uint8_t(v));
      out.push_back(uint8_t(uint16_t(v) >> 8));
    }
  };
  for (int i = 0; i < frames; ++i) {
    if (f.Channels == 1) {
      put((left[i] + right[i]) * 0.5f);
    } else {
      put(left[i]);
      put(right[i]);
    }
  }
}

bool ValidFormat(const TQSWaveFormat& f) {
  return std::find(std::begin(kWaveSampleRates), std::end(kWaveSampleRates), f.SampleRate) !=
             std::end(kWaveSampleRates) &&
         (f.Channels == 1 || f.Channels == 2) && (f.BitsPerSample == 8 || f.BitsPerSample == 16);
}

}  // namespace

TQSWaveExport::TQSWaveExport(TQSWindowLink& view, const TQSWaveFormat& format) : view_(view), format_(format) {}

TQSWaveResult TQSWaveExport::Run(const std::string& fileName) {
  stop_ = false;
  if (!view_.Score) return TQSWaveResult::NoScore;
  if (!ValidFormat(format_)) throw std::invalid_argument("unsupported WAVE format");
  TQSSynthesizer synth(format_.SampleRate);
  if (!synth.Ready()) return TQSWaveResult::NoSynthesizer;
  synth.SetGain(Gain);

  // The view's play events go to this export's synthesizer for the run.
  const auto playShort = view_.OnPlayShort;
  const auto playLong = view_.OnPlayLong;
  const auto stopPlay = view_.OnStopPlay;
  view_.OnPlayShort = [&](TObject*, int status, int data1, int data2) {
    const uint8_t m[3] = {uint8_t(status), uint8_t(data1), uint8_t(data2)};
    synth.Short(m, 3);
  };
  view_.OnPlayLong = [&](TObject*, const uint8_t* data, uint16_t size) {
    // The same split as the output port's, so the file sounds what playback sounds.
    midi::SplitEventBytes(
        data, size, [&](const uint8_t* m, size_t n) { synth.Short(m, n); },
        [&](const uint8_t* m, size_t n) { synth.SysEx(m, n); });
  };
  view_.OnStopPlay = nullptr;

  TQSWaveResult result = TQSWaveResult::Saved;
  {
    TQSVirtualClock clock(false);
    TQSPlayer player(view_, &clock);
    try {
      SafeSaveFile(fileName, [&](TStream& out) {
        std::vector<uint8_t> header = WaveHeader(format_, 0);
        out.WriteBuffer(header.data(), header.size());
        const double framesPerMs = format_.SampleRate / 1000.0;
        const int stepFrames = std::max(1, int(std::lround(StepMs * framesPerMs)));
        std::vector<float> left(size_t(stepFrames) + 1), right(size_t(stepFrames) + 1);
        std::vector<uint8_t> bytes;
        int64_t frames = 0;
        player.Play();
        clock.WaitForSleepers(1);
        // Each step plays what falls due in it, then renders its sound.
        while (player.IsPlaying()) {
          if (stop_) throw TStopped{};
          clock.Advance(StepMs);
          while (clock.Sleepers() < 1 && player.IsPlaying()) std::this_thread::yield();
          const int64_t due = std::llround(clock.NowMs() * framesPerMs);
          while (frames < due) {
            const int n = int(std::min<int64_t>(due - frames, int64_t(left.size())));
            synth.Render(left.data(), right.data(), n);
            if (OnSound) OnSound(left.data(), right.data(), n);
            Encode(format_, left.data(), right.data(), n, bytes);
            out.WriteBuffer(bytes.data(), bytes.size());
            frames += n;
          }
          if (OnProgress) OnProgress(clock.NowMs());
        }
        if (stop_) throw TStopped{};
        const uint64_t dataBytes = uint64_t(frames) * format_.BlockAlign();
        if (dataBytes > 0xFFFFFFFFull - 36) throw std::runtime_error("the score is too long for a WAVE file");
        header = WaveHeader(format_, uint32_t(dataBytes));
        out.SetPosition(0);
        out.WriteBuffer(header.data(), header.size());
      });
    } catch (const TStopped&) {
      result = TQSWaveResult::Stopped;
    } catch (const std::exception&) {
      result = TQSWaveResult::WriteFailed;
    }
    player.StopPlay();
    player.DeliverPending();
  }
  view_.OnPlayShort = playShort;
  view_.OnPlayLong = playLong;
  view_.OnStopPlay = stopPlay;
  return result;
}

}  // namespace qs
