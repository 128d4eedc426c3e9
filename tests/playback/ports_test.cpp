// MIDI ports without devices: long messages split into what a port can
// send, the note-off queue and the close timer on a virtual clock, input
// filtering, the built-in synthesizer rendering into memory, and the
// messages shown when devices are missing.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <thread>

#include "playback/messages.h"
#include "playback/midiports.h"
#include "playback/noteports.h"
#include "playback/playclock.h"
#include "playback/synthesizer.h"
#include "walk_fixture.h"

namespace qs::test {
namespace {

using Lines = std::vector<std::string>;

// Waits until a condition holds; the limit of ten seconds only ends a
// failing test, a busy machine never reaches it.
template <class F>
bool Eventually(F condition) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!condition() && std::chrono::steady_clock::now() < end) std::this_thread::yield();
  return condition();
}

// Moves a stepped clock on by ms, a millisecond at a time, each time until
// the note-off thread sleeps again or has ended.
void StepNoteOffs(TQSVirtualClock& clock, TMidiPorts& ports, int ms) {
  for (int i = 0; i < ms; ++i) {
    clock.Advance(1);
    ASSERT_TRUE(Eventually([&] { return ports.PendingNoteOffs() == 0 || clock.Sleepers() >= 1; }));
  }
}

// An output port that writes down what it sends, with the clock's time.
class TRecordingPort : public TMidiOutput {
 public:
  explicit TRecordingPort(TQSPlayClock* clock = nullptr, bool opens = true) : clock_(clock), opens_(opens) {}
  std::string Device() const override { return "recording"; }
  Lines Taken() {
    std::lock_guard lock(mutex_);
    return lines_;
  }

 protected:
  int DoOpen() override {
    Add("open");
    return opens_ ? 0 : 2;
  }
  void DoClose() override { Add("close"); }
  void SendShort(const uint8_t* message, size_t size) override { Add(Text(message, size)); }
  void SendSysEx(const uint8_t* data, size_t size) override { Add("sysex" + Text(data, size)); }

 private:
  std::string Text(const uint8_t* data, size_t size) {
    std::string text = clock_ ? std::to_string(std::lround(clock_->NowMs())) : "";
    for (size_t i = 0; i < size; ++i) {
      char byte[4];
      std::snprintf(byte, sizeof byte, " %02X", data[i]);
      text += byte;
    }
    return text;
  }
  void Add(std::string line) {
    std::lock_guard lock(mutex_);
    lines_.push_back(std::move(line));
  }
  TQSPlayClock* clock_;
  bool opens_;
  std::mutex mutex_;
  Lines lines_;
};

TEST(MidiPorts, LongMessagesSplit) {
  const struct {
    const char* Name;
    std::vector<uint8_t> Bytes;
    Lines Sent;
  } cases[] = {
      {"one channel message", {0x90, 0x3C, 0x40}, {" 90 3C 40"}},
      {"program change has one data byte", {0xC1, 0x05, 0xB1, 0x07, 0x64}, {" C1 05", " B1 07 64"}},
      {"system exclusive as one", {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}, {"sysex F0 7E 7F 09 01 F7"}},
      {"only the first system exclusive", {0xF0, 0x01, 0xF7, 0x90, 0x3C, 0x40, 0xF0, 0x02, 0xF7},
       {"sysex F0 01 F7", " 90 3C 40"}},
      {"a message cut short", {0x90, 0x3C, 0x80, 0x3C, 0x00}, {" 80 3C 00"}},
      {"a system exclusive without its end", {0xF0, 0x01, 0x02, 0xC0, 0x01}, {" C0 01"}},
      {"stray data, meta and system bytes", {0x3C, 0x40, 0xFF, 0x2F, 0x00, 0xF8, 0xF1, 0x01}, {}},
      {"nothing", {}, {}},
  };
  for (const auto& t : cases) {
    TRecordingPort port;
    port.PutLong(t.Bytes.data(), t.Bytes.size());  // closed: nothing
    ASSERT_EQ(port.Open(), 0);
    port.PutLong(t.Bytes.data(), t.Bytes.size());
    Lines sent = port.Taken();
    sent.erase(sent.begin());  // "open"
    EXPECT_EQ(sent, t.Sent) << t.Name;
  }
}

// The volume bar's value reaches a device as controller 7 on all sixteen
// channels, at once while the port is open, else when it opens; each
// channel's level (the General MIDI 100 until one is sent) is scaled by
// it, and so are the levels that pass later, as a score sends them at its
// start.
TEST(MidiPorts, TheVolumeReachesTheDeviceAsTheLevelOfEveryChannel) {
  const auto levels = [](const char* first, const char* others) {
    Lines lines;
    for (int channel = 0; channel < 16; ++channel) {
      char line[16];
      std::snprintf(line, sizeof line, " B%X 07 %s", channel, channel == 0 ? first : others);
      lines.push_back(line);
    }
    return lines;
  };
  TRecordingPort port;
  const auto last = [&](size_t n) {
    const Lines taken = port.Taken();
    return Lines(taken.end() - static_cast<std::ptrdiff_t>(std::min(n, taken.size())), taken.end());
  };
  port.SetVolume(32768);
  EXPECT_EQ(port.Taken(), Lines{}) << "nothing while the port is closed";
  ASSERT_EQ(port.Open(), 0);
  Lines expected{"open"};
  for (const std::string& line : levels("32", "32")) expected.push_back(line);
  EXPECT_EQ(port.Taken(), expected);
  // A level that passes is scaled and kept for the next change.
  port.PutShort(0xB0, 0x07, 0x7F);
  const uint8_t level[] = {0xB1, 0x07, 0x40};
  port.PutLong(level, sizeof level);
  EXPECT_EQ(last(2), (Lines{" B0 07 40", " B1 07 20"}));
  port.SetVolume(70000);
  EXPECT_EQ(port.Volume(), 65535);
  Lines full = levels("7F", "64");
  full[1] = " B1 07 40";
  EXPECT_EQ(last(16), full);
  port.SetVolume(0);
  EXPECT_EQ(last(16), levels("00", "00"));
  const size_t sent = port.Taken().size();
  port.SetVolume(0);
  EXPECT_EQ(port.Taken().size(), sent) << "the same volume again sends nothing";
  // At full volume a level passes as it is.
  port.SetVolume(65535);
  port.PutShort(0xB2, 0x07, 0x51);
  EXPECT_EQ(port.Taken().back(), " B2 07 51");
}

// Sounding a key twice sends a note-off and a note-on each time; the first
// entry's note-off ends the second sound early. A countdown of n ends at
// the n-th pass of 1/128 second (the queue's passes run at 54.7, 62.5 ...
// ms here); 0 ends at the first.
TEST(MidiPorts, NoteOffQueue) {
  TQSVirtualClock clock(false);
  auto* port = new TRecordingPort(&clock);
  TMidiPorts ports(std::unique_ptr<TMidiOutput>(port), &clock);
  ports.SoundNote(0, 60, 16, false, 64);
  clock.WaitForSleepers(1);
  clock.Advance(50);
  clock.WaitForSleepers(1);
  ports.SoundNote(0, 60, 16, false, 64);
  ports.SoundNote(2, 62, 0, false, 100);
  StepNoteOffs(clock, ports, 300);
  EXPECT_EQ(port->Taken(), (Lines{"open", "0 80 3C 40", "0 90 3C 40",                          //
                                  "50 80 3C 40", "50 90 3C 40", "50 82 3E 64", "50 92 3E 64",  //
                                  "55 82 3E 40", "118 80 3C 40", "172 80 3C 40"}));
  EXPECT_TRUE(ports.OutputOpen());
}

// The close timer closes the output a while after the last note sounded
// with it, unless a note-off is still pending then; a note sounded without
// it disarms it.
TEST(MidiPorts, CloseTimer) {
  for (const int countdown : {1, 1000}) {
    TQSVirtualClock clock(false);
    auto* port = new TRecordingPort(&clock);
    TMidiPorts ports(std::unique_ptr<TMidiOutput>(port), &clock);
    ports.CloseDelayMs = 100;
    ports.SoundNote(0, 60, static_cast<uint16_t>(countdown), true, 64);
    clock.WaitForSleepers(countdown == 1 ? 1 : 2);
    ASSERT_TRUE(Eventually([&] { return countdown != 1 || ports.PendingNoteOffs() == 0; }));
    clock.Advance(100);
    ASSERT_TRUE(Eventually([&] { return !ports.CloseTimerArmed(); }));
    EXPECT_TRUE(Eventually([&] { return ports.OutputOpen() == (countdown != 1); })) << countdown;
  }
  TQSVirtualClock clock(false);
  auto* port = new TRecordingPort(&clock);
  TMidiPorts ports(std::unique_ptr<TMidiOutput>(port), &clock);
  ports.CloseDelayMs = 100;
  ports.SoundNote(0, 60, 1, true, 64);
  ports.SoundNote(0, 62, 1, false, 64);
  EXPECT_FALSE(ports.CloseTimerArmed());
  ASSERT_TRUE(Eventually([&] { return ports.PendingNoteOffs() == 0; }));
  clock.Advance(150);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_TRUE(ports.OutputOpen());
}

// Many notes sounded while the note-off thread keeps ending and starting
// again: not one note-off is lost.
TEST(MidiPorts, NoNoteOffLostWhileTheThreadEnds) {
  TQSVirtualClock clock;  // free-running: the thread ends as soon as it can
  auto* port = new TRecordingPort();
  TMidiPorts ports(std::unique_ptr<TMidiOutput>(port), &clock);
  // Each note after the queue has just emptied: the thread is ending as it
  // comes.
  for (int i = 0; i < 2000; ++i) {
    ports.SoundNote(static_cast<uint8_t>(i % 16), 60, 1 + i % 3, false, 64);
    if (i % 2) {
      ASSERT_TRUE(Eventually([&] { return ports.PendingNoteOffs() == 0; }));
    }
  }
  EXPECT_TRUE(Eventually([&] { return ports.PendingNoteOffs() == 0; }));
  int ons = 0, offs = 0;
  for (const std::string& line : port->Taken()) {
    if (line.rfind(" 9", 0) == 0) ++ons;
    if (line.rfind(" 8", 0) == 0) ++offs;
  }
  EXPECT_EQ(ons, 2000);
  EXPECT_EQ(offs, 2000 * 2);  // the strike's own note-off and the queue's
}

// The ports pass the view's play messages on, opening the output; the end
// message is not sent. A port that does not open sends nothing.
TEST(MidiPorts, ForwardPlayMessages) {
  auto* port = new TRecordingPort();
  TMidiPorts ports{std::unique_ptr<TMidiOutput>(port)};
  EXPECT_FALSE(ports.ForwardShort(0x90, 60, 64));
  EXPECT_TRUE(ports.ForwardShort(0xFF, 47, 0));
  const uint8_t bytes[] = {0xC0, 0x01};
  ports.ForwardLong(bytes, sizeof bytes);
  EXPECT_EQ(port->Taken(), (Lines{"open", " 90 3C 40", " C0 01"}));

  auto* broken = new TRecordingPort(nullptr, false);
  TMidiPorts none{std::unique_ptr<TMidiOutput>(broken)};
  none.ForwardShort(0x90, 60, 64);
  none.SoundNote(0, 60, 1, true, 64);
  EXPECT_FALSE(none.OutputOpen());
  EXPECT_EQ(broken->Taken(), (Lines{"open", "open"}));
}

// A computed key or value above 127 (a transposed key) goes out as 127,
// one below 0 as 0, never as a status byte; a program change to "no
// instrument" is not sent.
TEST(MidiPorts, DataBytesAreClampedAndNoInstrumentSendsNoProgram) {
  auto* port = new TRecordingPort();
  TMidiPorts ports{std::unique_ptr<TMidiOutput>(port)};
  ports.ForwardShort(0x90, 60 + 80, 64);
  ports.ForwardShort(0x80, -5, 200);
  ports.ForwardShort(0xC1, 255, 0);
  ports.ForwardShort(0xC1, 40, 0);
  EXPECT_EQ(port->Taken(), (Lines{"open", " 90 7F 40", " 80 00 7F", " C1 28"}));
}

// Input: time stamps from the device's deltas; active sensing, clock and
// system messages never arrive; nothing before Start. Note-ons are echoed.
// The echo's own note-off never falls due on a clock that stands still, so
// it cannot join the lines however long the test takes.
TEST(MidiPorts, InputMessages) {
  TQSVirtualClock stopped(false);
  auto* port = new TRecordingPort();
  TMidiPorts ports{std::unique_ptr<TMidiOutput>(port), &stopped};
  std::vector<std::string> recorded;
  ports.OnRecordInput = [&](const TMidiInputEvent& e) {
    recorded.push_back(ShortText(e.Time, e.Status, e.Data1, e.Data2));
  };
  ports.Input.OnMidiInput = [&] { ports.MidiInputArrived(); };
  const uint8_t on[] = {0x90, 60, 100}, off[] = {0x80, 60, 0}, sensing[] = {0xFE}, clock[] = {0xF8},
                silentOn[] = {0x90, 62, 0};
  ports.Input.Receive(on, 3, 0);
  ports.Input.Start();
  ports.Input.Receive(on, 3, 0.0);
  ports.Input.Receive(sensing, 1, 0.1);
  ports.Input.Receive(clock, 1, 0.1);
  ports.Input.Receive(off, 3, 0.25);
  ports.Input.Receive(silentOn, 3, 0.5);
  EXPECT_EQ(recorded, (Lines{"0 90 3C 64", "250 80 3C 00", "750 90 3E 00"}));
  EXPECT_EQ(port->Taken(), (Lines{"open", " 80 3C 40", " 90 3C 40"}));
}

// The built-in synthesizer, rendering into memory without an audio
// device: silence before the note, sound after it.
TEST(Synthesizer, RendersANote) {
  if (GeneralMidiSoundFont().empty()) GTEST_SKIP() << "no General MIDI sound font installed";
  TQSSynthesizer synth(44100);
  ASSERT_TRUE(synth.Ready());
  std::vector<float> left(22050), right(22050);
  const auto peak = [&] {
    float p = 0;
    for (size_t i = 0; i < left.size(); ++i) p = std::max({p, std::fabs(left[i]), std::fabs(right[i])});
    return p;
  };
  synth.Render(left.data(), right.data(), 22050);
  EXPECT_LT(peak(), 1e-4f);
  const uint8_t program[] = {0xC0, 0}, note[] = {0x90, 60, 100};
  synth.Short(program, 2);
  synth.Short(note, 3);
  synth.Render(left.data(), right.data(), 22050);
  EXPECT_GT(peak(), 0.01f);
}

TEST(MidiPorts, DevicesAndMessages) {
  const std::vector<std::string> outputs = MidiOutputDevices();
  ASSERT_FALSE(outputs.empty());
  EXPECT_EQ(outputs[0], kBuiltInSynthesizer);
  MidiInputDevices();  // no sequencer: none, and no failure
  TMidiInput input("no such device");
  std::vector<std::string> shown;
  PlaybackMessageHandler = [&](const std::string& text) { shown.push_back(text); };
  ResetPlaybackProblems();
  EXPECT_NE(input.Open(), 0);
  EXPECT_NE(input.Open(), 0);
  PlaybackMessageHandler = nullptr;
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], "The MIDI input \"no such device\" could not be opened. Recording is off; editing goes on.");
  for (auto m : {TPlaybackMessage::NoSoundFont, TPlaybackMessage::NoAudioOutput, TPlaybackMessage::OutputPortFailed,
                 TPlaybackMessage::NoInputPort, TPlaybackMessage::InputPortFailed}) {
    const std::string english = PlaybackMessageText(m, "ENU");
    for (const char* language : {"DEU", "FRA", "ITA", "RUS"}) {
      const std::string text = PlaybackMessageText(m, language);
      EXPECT_NE(text, english) << language;
      EXPECT_EQ(text.find("%s") != std::string::npos, english.find("%s") != std::string::npos) << text;
    }
  }
}

}  // namespace
}  // namespace qs::test
