// WAVE export of a one-note score (A4, one 4/4 measure at tempo 60, four
// seconds), read back by Python's own wave module: the format fields, the
// length, the pitch heard; Stop leaves no file.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "playback/hiddenview.h"
#include "playback/synthesizer.h"
#include "playback/waveexport.h"
#include "walk_fixture.h"

namespace qs::test {
namespace {

namespace fs = std::filesystem;

constexpr uint8_t A5Pitch = 0x55;  // the A above middle C: 440 Hz

struct TOneNote : TContentScore {
  TQSHiddenView View;
  // event: the bytes of a MIDI event item before the note, if any.
  explicit TOneNote(std::vector<uint8_t> event = {}) : TContentScore(1) {
    if (!event.empty())
      static_cast<TQSMIDIEvent*>(CreateItemByKind(kind::MidiEvent, Column(0)))->SetData(event.data(), event.size());
    Note(Measure(0), 0, 512, A5Pitch);
    Layout();
    Score.AttachWindow(&View);
  }
  ~TOneNote() { Score.DetachWindow(&View); }
};

// An independent reader: channels, rate, bits, frames, and the strongest
// frequency (2 Hz steps, 200-880 Hz) of 4096 frames from half a second in.
const char* kReader = R"(
import sys, wave, math, struct
w = wave.open(sys.argv[1], 'rb')
c, b, r, n = w.getnchannels(), w.getsampwidth(), w.getframerate(), w.getnframes()
w.setpos(r // 2)
raw = w.readframes(4096)
if b == 2:
    v = struct.unpack('<%dh' % (len(raw) // 2), raw)
else:
    v = [x - 128 for x in raw]
x = [sum(v[i * c:(i + 1) * c]) / c for i in range(len(v) // c)]
best, peak = 0, 0
for f in range(200, 881, 2):
    k = 2 * math.pi * f / r
    re = sum(s * math.cos(k * i) for i, s in enumerate(x))
    im = sum(s * math.sin(k * i) for i, s in enumerate(x))
    if re * re + im * im > best:
        best, peak = re * re + im * im, f
print(c, r, b * 8, n, peak, max(abs(s) for s in x))
)";

struct TRead {
  int Channels = 0, Rate = 0, Bits = 0, Frames = 0, Peak = 0;
  double Amplitude = 0;
};

TRead ReadBack(const std::string& file) {
  const std::string script = (fs::temp_directory_path() / "qs_wave_reader.py").string();
  FILE* s = std::fopen(script.c_str(), "w");
  std::fputs(kReader, s);
  std::fclose(s);
  FILE* p = popen(("/usr/bin/python3 " + script + " '" + file + "'").c_str(), "r");
  char line[256] = {};
  if (p && !std::fgets(line, sizeof line, p)) line[0] = 0;
  if (p) pclose(p);
  TRead r;
  std::istringstream(line) >> r.Channels >> r.Rate >> r.Bits >> r.Frames >> r.Peak >> r.Amplitude;
  return r;
}

class WaveExport : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GeneralMidiSoundFont().empty()) GTEST_SKIP() << "no General MIDI sound font installed";
    dir_ = fs::temp_directory_path() / ("qs_wave_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

// Every format the dialog offers is written as such, four seconds long to
// within a step, sounding at 440 Hz (+/- 2 %).
TEST_F(WaveExport, OneNoteInEachFormat) {
  const TQSWaveFormat formats[] = {{44100, 2, 16}, {11025, 1, 8}, {22050, 2, 8}, {32000, 1, 16}, {48000, 2, 16}};
  for (const TQSWaveFormat& f : formats) {
    SCOPED_TRACE(std::to_string(f.SampleRate) + " Hz " + std::to_string(f.Channels) + " ch " +
                 std::to_string(f.BitsPerSample) + " bit");
    TOneNote s;
    TQSWaveExport exporter(s.View, f);
    double last = 0;
    exporter.OnProgress = [&](double ms) { last = ms; };
    const std::string file = (dir_ / "a4.wav").string();
    ASSERT_EQ(exporter.Run(file), TQSWaveResult::Saved);
    const TRead r = ReadBack(file);
    EXPECT_EQ(r.Channels, f.Channels);
    EXPECT_EQ(r.Rate, f.SampleRate);
    EXPECT_EQ(r.Bits, f.BitsPerSample);
    EXPECT_NEAR(r.Frames * 1000.0 / f.SampleRate, 4000.0, exporter.StepMs);
    EXPECT_NEAR(r.Peak, 440, 440 * 0.02);
    EXPECT_GT(r.Amplitude, f.BitsPerSample == 8 ? 1 : 300);  // not silence
    EXPECT_NEAR(last, 4000.0, exporter.StepMs);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);  // no temporary left
  }
}

// The channel messages of a MIDI event item are heard in the file as in
// playback: an event turning the channel's volume down silences the note,
// also after a program change in the same event.
TEST_F(WaveExport, EventItemChannelMessagesAreHeard) {
  const std::vector<uint8_t> events[] = {{0xB0, 0x07, 0x00}, {0xC0, 0x00, 0xB0, 0x07, 0x00}};
  for (const auto& event : events) {
    SCOPED_TRACE(event.size());
    TOneNote s(event);
    TQSWaveExport exporter(s.View, {});
    const std::string file = (dir_ / "quiet.wav").string();
    ASSERT_EQ(exporter.Run(file), TQSWaveResult::Saved);
    const TRead r = ReadBack(file);
    EXPECT_NEAR(r.Frames / 44100.0, 4.0, 0.05);
    EXPECT_LT(r.Amplitude, 30);
  }
}

// Stopped on the way, the export writes nothing and leaves nothing beside
// the target; run again, it saves.
TEST_F(WaveExport, StopLeavesNoFile) {
  TOneNote s;
  TQSWaveExport exporter(s.View, {});
  exporter.OnProgress = [&](double ms) {
    if (ms >= 1000) exporter.Stop();
  };
  const std::string file = (dir_ / "a4.wav").string();
  EXPECT_EQ(exporter.Run(file), TQSWaveResult::Stopped);
  EXPECT_FALSE(fs::exists(file));
  EXPECT_TRUE(fs::is_empty(dir_));
  EXPECT_FALSE(s.View.Playing());
  exporter.OnProgress = nullptr;
  EXPECT_EQ(exporter.Run(file), TQSWaveResult::Saved);
  EXPECT_TRUE(fs::exists(file));
}

}  // namespace
}  // namespace qs::test
