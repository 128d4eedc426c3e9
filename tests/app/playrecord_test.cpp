// Play, Stop and Record from the main window's commands: a short score
// heard through a port that writes down what it sends, and phrases played
// on the test MIDI input entered into the score step by step and in real
// time with the metronome.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/fileeditor.h"
#include "app/mainwindow.h"
#include "app/mididevices.h"
#include "interchange/musicxml.h"
#include "palettes/piano.h"
#include "layout/layout.h"
#include "playback/midiports.h"
#include "playback/noteports.h"
#include "playback/playclock.h"
#include "playback/player.h"
#include "playback/toolpages.h"
#include "playback/velocityeditor.h"
#include "playback/editorhosts.h"
#include "platform/timers.h"
#include "platform/extctrls.h"
#include "platform/comctrls.h"
#include "platform/stdctrls.h"
#include "platform/actions.h"
#include "platform/testdriver.h"
#include "score/item.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "uikit/language.h"
#include "uikit/musickeyboard.h"
#include "uikit/pagecontrol.h"
#include "uikit/settings.h"
#include "view/window.h"

using namespace qs;
namespace td = qs::testdriver;

namespace {

using Clock = std::chrono::steady_clock;

// An output port that writes down each message with the time of a play
// clock, the one the document's player runs on (0 without one).
class TClockedPort : public TMidiOutput {
 public:
  struct TMessage {
    double Ms;
    uint8_t Status, Data1, Data2;
  };
  std::atomic<TQSPlayClock*> Clock = nullptr;
  std::string Device() const override { return "clocked"; }
  std::vector<TMessage> Taken() {
    std::lock_guard lock(mutex_);
    return messages_;
  }
  std::vector<TMessage> NoteOns() {
    std::vector<TMessage> ons;
    for (const TMessage& m : Taken())
      if ((m.Status & 0xF0) == 0x90 && m.Data2 > 0 && m.Status != 0x99) ons.push_back(m);
    return ons;
  }
  // The messages of a status (its high four bits with any channel, or
  // exactly) as "ms key", in whole milliseconds from `from`.
  std::vector<std::string> Lines(uint8_t status, double from = 0) {
    std::vector<std::string> lines;
    for (const TMessage& m : Taken())
      if (m.Status == status || ((status & 0x0F) == 0 && (m.Status & 0xF0) == status && m.Status != 0x99 &&
                                 m.Status != 0x89))
        lines.push_back(std::to_string(std::lround(m.Ms - from)) + " " + std::to_string(m.Data1));
    return lines;
  }

 protected:
  int DoOpen() override { return 0; }
  void DoClose() override {}
  void SendShort(const uint8_t* message, size_t size) override {
    std::lock_guard lock(mutex_);
    TQSPlayClock* clock = Clock.load();
    messages_.push_back({clock ? clock->NowMs() : 0.0, message[0], size > 1 ? message[1] : uint8_t(0),
                         size > 2 ? message[2] : uint8_t(0)});
  }
  void SendSysEx(const uint8_t*, size_t) override {}

 private:
  std::mutex mutex_;
  std::vector<TMessage> messages_;
};

// Runs the message loop until done() or the time is up (which only ends
// a failing test: a busy machine takes longer, nothing is measured).
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
  const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (Clock::now() < end) {
    td::ProcessMessages();
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return done();
}

void PumpFor(int ms) {
  PumpUntil([] { return false; }, ms);
}

// Moves a stepped clock on a millisecond at a time, each time until the
// player's thread sleeps again, so that what it sends is written at the
// millisecond it was due in (rounded up); stops where the thread ends.
void Step(TQSVirtualClock& clock, TQSPlayer& player, int ms) {
  const auto busy = [&] { return player.IsPlaying() || player.IsRecording(); };
  for (int i = 0; i < ms && busy(); ++i) {
    clock.Advance(1);
    while (clock.Sleepers() < 1 && busy()) std::this_thread::yield();
  }
}

// The notes of a measure of the first part as "tick:key", with lengths
// "tick:key/length".
std::vector<std::string> NotesOf(TQSScore& score, int measure, bool lengths = false) {
  std::vector<std::string> out;
  TQSMeasure* m = score.GetPiece(0)->GetPart(0)->GetMeasure(measure);
  if (!m) return out;
  for (const TQSItem* item : m->Items)
    if (const auto* n = dynamic_cast<const TQSNote*>(item))
      out.push_back(std::to_string(n->Fields.Time) + ":" + std::to_string(n->SoundingKey) +
                    (lengths ? "/" + std::to_string(n->Fields.Length) : ""));
  return out;
}

// Every note that sounded was ended.
int OpenNotes(const std::vector<TClockedPort::TMessage>& messages) {
  int open = 0;
  for (const auto& m : messages) {
    if ((m.Status & 0xF0) == 0x90 && m.Data2 > 0) ++open;
    if ((m.Status & 0xF0) == 0x80 || ((m.Status & 0xF0) == 0x90 && m.Data2 == 0)) --open;
  }
  return open;
}

class PlayRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallLayout();
    InstallMusicXmlImporter();
    if (!GlobalLanguage()) (new TECLanguage(&languageOwner_))->SetLanguage(kDefaultLanguage);
    dir_ = ::testing::TempDir() + "qs_play_" + std::to_string(::getpid()) + "/";
    ASSERT_EQ(std::system(("rm -rf '" + dir_ + "' && mkdir -p '" + dir_ + "'").c_str()), 0);
    settings_ = std::make_unique<TSettings>(dir_ + "ProgramSetting.ini");
    SetProgramSettings(settings_.get());
    main_ = std::make_unique<TFProgramModule>(nullptr, settings_.get());
    main_->SetWindowState(TWindowState::wsNormal);
    main_->SetBounds(0, 0, 1000, 800);
    main_->SetMidiDevices("", kTestMidiInput);
    auto port = std::make_unique<TClockedPort>();
    port_ = port.get();
    main_->Ports().Output = std::move(port);
    // The keys played here arrive at once, in the order played.
    main_->Ports().Input.Post = nullptr;
    doc_ = main_->OpenDocument(std::string(QS_TEST_DATA_DIR) + "/app/phrase.xml", false);
    ASSERT_NE(doc_, nullptr);
    td::ShowAndWait(*main_);
  }
  void TearDown() override {
    if (!main_) return;
    for (int i = 0; i < main_->DocumentCount(); ++i) main_->Document(i)->SetModified(false);
    main_.reset();
    SetProgramSettings(nullptr);
  }
  // The document plays and records on a clock of the test's own.
  void UseClock(TQSVirtualClock& clock) {
    doc_->SetPlayClock(&clock);
    port_->Clock = &clock;
  }
  void Send(uint8_t status, uint8_t key, uint8_t velocity) {
    const uint8_t message[] = {status, key, velocity};
    main_->Ports().Input.Receive(message, 3, 0);
  }
  TComponent languageOwner_{nullptr};
  // A clock the test moves on; it outlives the document.
  TQSVirtualClock stepped_{false};
  std::string dir_;
  std::unique_ptr<TSettings> settings_;
  std::unique_ptr<TFProgramModule> main_;
  TFFileEditor* doc_ = nullptr;
  TClockedPort* port_ = nullptr;
};

// At 240 quarters a minute the notes come every 250 ms of the play clock
// in the order of the score, each ended as the next begins (the last is a
// half note); at the end the program stops by itself: the Playing page
// goes, Play is enabled again.
TEST_F(PlayRecordTest, PlayingSendsTheScoreInOrderAtItsTimesAndStopsAtTheEnd) {
  UseClock(stepped_);
  doc_->QSWindow->GotoScoreStart();
  EXPECT_FALSE(main_->FindAction("AStop")->Enabled());
  ASSERT_TRUE(main_->RunCommand("APlay"));
  EXPECT_TRUE(main_->IsPlaying());
  EXPECT_NE(TFPlaying::Instance(), nullptr);
  EXPECT_TRUE(main_->FindAction("AStop")->Enabled());
  EXPECT_FALSE(main_->FindAction("APlay")->Enabled());
  EXPECT_FALSE(main_->FindAction("ARecord")->Enabled());
  stepped_.WaitForSleepers(1);
  Step(stepped_, doc_->Player(), 5000);
  ASSERT_TRUE(PumpUntil([&] { return !main_->IsPlaying(); }));
  EXPECT_EQ(TFPlaying::Instance(), nullptr);
  EXPECT_TRUE(main_->FindAction("APlay")->Enabled());

  const auto ons = port_->NoteOns();
  ASSERT_FALSE(ons.empty());
  const double start = ons[0].Ms;
  EXPECT_EQ(port_->Lines(0x90, start), (std::vector<std::string>{"0 60", "250 62", "500 64", "750 65", "1000 67"}));
  EXPECT_EQ(port_->Lines(0x80, start), (std::vector<std::string>{"250 60", "500 62", "750 64", "1000 65", "1500 67"}));
  // The piano's program went out before the first note.
  const auto all = port_->Taken();
  const auto firstOn = std::find_if(all.begin(), all.end(), [](const auto& m) { return (m.Status & 0xF0) == 0x90; });
  EXPECT_TRUE(std::any_of(all.begin(), firstOn, [](const auto& m) { return m.Status == 0xC0; }));
  EXPECT_EQ(OpenNotes(all), 0) << "every note ended";
}

// The tempo bar scales the playing score's tempo: the Playing page shows
// the new total time; another document shows its own scale on the bar.
TEST_F(PlayRecordTest, TheTempoBarScalesThePlayAndItsTotalTime) {
  UseClock(stepped_);
  doc_->QSWindow->GotoScoreStart();
  ASSERT_TRUE(main_->RunCommand("APlay"));
  const std::string atFull = TFPlaying::Instance()->LFullTime->Caption();
  main_->TBTempo->SetPosition(50);
  EXPECT_EQ(doc_->QSWindow->TempoScale, 50);
  EXPECT_NE(TFPlaying::Instance()->LFullTime->Caption(), atFull);
  ASSERT_TRUE(main_->RunCommand("AStop"));
  main_->NewDocument();
  EXPECT_EQ(main_->TBTempo->Position(), 100);
}

// Stop in the middle ends what sounds and nothing follows, however long
// the clock runs on.
TEST_F(PlayRecordTest, StopEndsPlaybackAndWhatSounds) {
  UseClock(stepped_);
  doc_->QSWindow->GotoScoreStart();
  ASSERT_TRUE(main_->RunCommand("APlay"));
  stepped_.WaitForSleepers(1);
  Step(stepped_, doc_->Player(), 600);  // the third note sounds
  ASSERT_TRUE(main_->RunCommand("AStop"));
  EXPECT_FALSE(main_->IsPlaying());
  EXPECT_FALSE(doc_->Busy());
  EXPECT_EQ(port_->Lines(0x90), (std::vector<std::string>{"0 60", "250 62", "500 64"}));
  EXPECT_EQ(port_->Lines(0x80), (std::vector<std::string>{"250 60", "500 62", "600 64"}));
  const size_t heard = port_->Taken().size();
  stepped_.Advance(2000);
  PumpFor(100);
  EXPECT_EQ(port_->Taken().size(), heard) << "nothing after Stop";
  EXPECT_EQ(doc_->QSWindow->CursorType(), TQSCursorType::ctStaff);
}

// While the Piano page is current the keys of the played notes light and
// go out again, a note-on of velocity 0 as a note-off; Stop and the end
// of the score put out every key. On another page, or with the lighting
// off in the settings, nothing lights.
TEST_F(PlayRecordTest, ThePianoPageLightsThePlayedKeys) {
  constexpr int kPiano = 7, kGuitar = 8;
  auto choose = [&](int page) {
    main_->PCTools->SetActivePage(main_->ToolSheets[page]);
    main_->SetActiveTool(main_->ToolSheets[page]);
  };
  auto* piano = dynamic_cast<TFPiano*>(main_->PaletteOf(main_->ToolSheets[kPiano]));
  ASSERT_NE(piano, nullptr);
  const TECMusicKeyboard& keys = *piano->MKKeyboard;
  auto lit = [&] {
    std::vector<int> pitches;
    static constexpr int kPitchOfSlot[7] = {0, 2, 4, 5, 7, 9, 11};
    for (int i = 0; i < TECMusicKeyboard::kWhiteKeys; ++i)
      for (bool black : {false, true})
        if (keys.KeyState(i, black) == TECMusicKeyboard::ksLit)
          pitches.push_back((i + 12) / 7 * 12 + kPitchOfSlot[(i + 12) % 7] + (black ? 1 : 0));
    return pitches;
  };
  // The score played: its notes light their keys, and at its end, which
  // stops playback by itself, none is lit.
  doc_->QSWindow->GotoScoreStart();
  ASSERT_TRUE(main_->RunCommand("APlay"));
  choose(kPiano);
  EXPECT_TRUE(PumpUntil([&] {
    const std::vector<int> now = lit();
    return now.size() == 1 && now[0] >= 60 && now[0] <= 67;
  }));
  ASSERT_TRUE(PumpUntil([&] { return !main_->IsPlaying(); }));
  EXPECT_EQ(lit(), std::vector<int>{});

  // Recording step by step plays nothing by itself: only these messages.
  main_->SetRecordRealTime(false);
  main_->SetRecordMetronome(false);
  ASSERT_TRUE(main_->RunCommand("ARecord"));
  // The Recording page came up: the user turns to the Piano page.
  choose(kPiano);
  const struct {
    uint8_t Status, Key, Velocity;
    std::vector<int> Lit;
  } steps[] = {
      {0x90, 61, 90, {61}},       // C sharp 4 on
      {0x90, 70, 90, {61, 70}},   // B flat 4 on
      {0x80, 61, 64, {70}},       // a note-off
      {0x91, 48, 90, {48, 70}},   // another channel
      {0x91, 48, 0, {70}},        // a note-on of velocity 0
      {0xB0, 70, 0, {70}},        // a controller changes nothing
      {0x99, 36, 100, {36, 70}},  // the drums light their keys too
  };
  for (const auto& step : steps) {
    main_->ShowPlayedNote(step.Status, step.Key, step.Velocity);
    EXPECT_EQ(lit(), step.Lit) << std::hex << int(step.Status) << std::dec << " " << int(step.Key);
  }
  ASSERT_TRUE(main_->RunCommand("AStop"));
  EXPECT_EQ(lit(), std::vector<int>{}) << "Stop puts out every key";
  // A message queued before the stop lights nothing after it.
  choose(kPiano);
  main_->ShowPlayedNote(0x90, 61, 90);
  EXPECT_EQ(lit(), std::vector<int>{});
  ASSERT_TRUE(main_->RunCommand("ARecord"));
  choose(kPiano);
  main_->Settings.Effects.ShowPianoNote = false;
  main_->ShowPlayedNote(0x90, 61, 90);
  EXPECT_EQ(lit(), std::vector<int>{}) << "lighting off";
  main_->Settings.Effects.ShowPianoNote = true;
  choose(kGuitar);
  main_->ShowPlayedNote(0x90, 61, 90);
  EXPECT_EQ(lit(), std::vector<int>{}) << "the Guitar page is current";
  ASSERT_TRUE(main_->RunCommand("AStop"));
}

// A note entered sounds when the setting of where it came from says so:
// the piano's keys, the fretboard and the other pages each have their own.
TEST_F(PlayRecordTest, EachWayOfEnteringSoundsByItsOwnSetting) {
  TEffectsSettings& effects = main_->Settings.Effects;
  const struct {
    bool PlayMouse, PlayPiano, PlayGuitar;
    TSoundFrom From;
    bool Sounds;
  } cases[] = {
      {true, false, false, TSoundFrom::Entry, true},   {false, true, true, TSoundFrom::Entry, false},
      {false, true, false, TSoundFrom::Piano, true},   {true, false, true, TSoundFrom::Piano, false},
      {false, false, true, TSoundFrom::Guitar, true},  {true, true, false, TSoundFrom::Guitar, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(&c - cases));
    effects.PlayMouse = c.PlayMouse;
    effects.PlayPiano = c.PlayPiano;
    effects.PlayGuitar = c.PlayGuitar;
    const size_t before = port_->NoteOns().size();
    main_->SoundPitch(61, 64, 3, smAlone, c.From);
    EXPECT_EQ(port_->NoteOns().size(), before + (c.Sounds ? 1 : 0));
  }
}

// Step by step: each key let go becomes a note of the quantum at the
// cursor, and the cursor moves on; the keys are echoed to the output.
TEST_F(PlayRecordTest, StepRecordingEntersThePlayedKeysAtTheCursor) {
  main_->SetRecordQuantize(128);
  main_->SetRecordRealTime(false);
  main_->SetRecordMetronome(false);
  // Into the empty third measure.
  doc_->QSWindow->GotoScoreStart();
  doc_->QSWindow->AdvanceCursor(0, 2, 0);
  ASSERT_EQ(doc_->QSWindow->CursorPosition.Measure, 2);
  ASSERT_TRUE(main_->RunCommand("ARecord"));
  ASSERT_TRUE(main_->IsRecording());
  ASSERT_NE(TFRecording::Instance(), nullptr);
  EXPECT_TRUE(main_->FindAction("AStop")->Enabled());
  for (uint8_t key : {67, 69, 71}) {
    Send(0x90, key, 90);
    Send(0x90, key, 0);  // a note-on of velocity 0 lets the key go
    ASSERT_TRUE(PumpUntil([&] { return doc_->RecordedNotes.empty(); }));
  }
  EXPECT_EQ(NotesOf(doc_->Score(), 2), (std::vector<std::string>{"0:67", "128:69", "256:71"}));
  EXPECT_EQ(doc_->QSWindow->CursorPosition.Tick, 384);
  // The keys played were heard.
  std::vector<int> echoed;
  for (const auto& m : port_->NoteOns()) echoed.push_back(m.Data1);
  EXPECT_EQ(echoed, (std::vector<int>{67, 69, 71}));
  ASSERT_TRUE(main_->RunCommand("AStop"));
  EXPECT_FALSE(main_->IsRecording());
  EXPECT_EQ(TFRecording::Instance(), nullptr);

  // Played back, the recorded notes sound with the rest of the score.
  UseClock(stepped_);
  const size_t echoes = port_->NoteOns().size();
  doc_->QSWindow->GotoScoreStart();
  ASSERT_TRUE(main_->RunCommand("APlay"));
  stepped_.WaitForSleepers(1);
  Step(stepped_, doc_->Player(), 8000);
  ASSERT_TRUE(PumpUntil([&] { return !main_->IsPlaying(); }));
  std::vector<int> played;
  for (const auto& m : port_->NoteOns()) played.push_back(m.Data1);
  played.erase(played.begin(), played.begin() + static_cast<std::ptrdiff_t>(echoes));
  EXPECT_EQ(played, (std::vector<int>{60, 62, 64, 65, 67, 67, 69, 71}));
}

// In real time with the metronome the clock counts in one measure (keys
// played meanwhile are ignored), clicks every beat for the click length of
// the settings, and each key lands where the clock stood when it was
// struck, as long as it was held.
TEST_F(PlayRecordTest, RealTimeRecordingWithTheMetronomePlacesTheNotesByTheClock) {
  UseClock(stepped_);
  main_->Settings.Record.MetrDuration = 64;  // an eighth: 125 ms here
  main_->SetRecordQuantize(128);
  main_->SetRecordRealTime(true);
  main_->SetRecordMetronome(true);
  // Into the empty third measure.
  doc_->QSWindow->GotoScoreStart();
  doc_->QSWindow->AdvanceCursor(0, 2, 0);
  ASSERT_TRUE(main_->RunCommand("ARecord"));
  stepped_.WaitForSleepers(1);
  Send(0x90, 50, 90);
  Send(0x80, 50, 0);
  EXPECT_TRUE(doc_->RecordedNotes.empty()) << "ignored in the count-in";
  // The count-in's measure (1000 ms), then one beat.
  Step(stepped_, doc_->Player(), 1250);
  const TQSPlayer::TRecordPosition at = doc_->Player().RecordPosition();
  EXPECT_FALSE(at.CountIn);
  EXPECT_EQ(at.Measure, 2);
  EXPECT_EQ(at.Tick, 129);
  Send(0x90, 72, 100);
  Step(stepped_, doc_->Player(), 250);
  Send(0x80, 72, 0);
  Send(0x90, 74, 100);
  Step(stepped_, doc_->Player(), 500);
  Send(0x80, 74, 0);
  ASSERT_TRUE(PumpUntil([&] { return doc_->RecordedNotes.empty(); }));
  ASSERT_TRUE(main_->RunCommand("AStop"));
  EXPECT_EQ(NotesOf(doc_->Score(), 2, true), (std::vector<std::string>{"128:72/128", "256:74/256"}));
  EXPECT_EQ(port_->Lines(0x99), (std::vector<std::string>{"0 33", "250 33", "500 33", "750 33", "1000 33", "1250 33",
                                                            "1500 33", "1750 33", "2000 33"}));
  EXPECT_EQ(port_->Lines(0x89), (std::vector<std::string>{"125 33", "375 33", "625 33", "875 33", "1125 33",
                                                            "1375 33", "1625 33", "1875 33", "2000 33"}));
}

}  // namespace

// A stored device that is gone plays through the built-in synthesizer; an
// empty name is the built-in synthesizer; an input that is gone gives the
// first one.
TEST(MidiDevices, AStoredDeviceThatIsGoneFallsBackToTheBuiltInSynthesizer) {
  EXPECT_EQ(OutputPortFor("", {kBuiltInSynthesizer})->Device(), kBuiltInSynthesizer);
  EXPECT_EQ(OutputPortFor("USB Keys 20:0", {kBuiltInSynthesizer})->Device(), kBuiltInSynthesizer);
  EXPECT_EQ(OutputPortFor("USB Keys 20:0", {kBuiltInSynthesizer, "USB Keys 20:0"})->Device(), "USB Keys 20:0");
  EXPECT_EQ(InputDeviceFor("Gone 24:0", {"Keys 20:0", "Pads 28:0"}), "Keys 20:0");
  EXPECT_EQ(InputDeviceFor("Pads 28:0", {"Keys 20:0", "Pads 28:0"}), "Pads 28:0");
  EXPECT_EQ(InputDeviceFor("", {}), "");
}

// Recorded keys are spelt with sharps except D sharp and A sharp; the
// accidental follows what is in force at the cursor.
TEST(RecordedNotes, SpellingAndAccidentalsAgainstTheKey) {
  const struct {
    int Key, Octave, Step, Alteration;
  } spellings[] = {{60, 5, 0, 0}, {61, 5, 0, 1}, {63, 5, 2, -1}, {66, 5, 3, 1}, {70, 5, 6, -1}, {71, 5, 6, 0}};
  for (const auto& s : spellings) {
    const TRecordedSpelling got = SpellRecordedKey(s.Key);
    EXPECT_EQ(got.Octave, s.Octave) << s.Key;
    EXPECT_EQ(got.Step, s.Step) << s.Key;
    EXPECT_EQ(got.Alteration, s.Alteration) << s.Key;
  }
  EXPECT_EQ(AccidentalModifiers(1, 0), (std::vector<int>{52}));   // F sharp against F
  EXPECT_EQ(AccidentalModifiers(1, 1), (std::vector<int>{}));     // F sharp against F sharp
  EXPECT_EQ(AccidentalModifiers(0, 1), (std::vector<int>{54}));   // F against F sharp
  EXPECT_EQ(AccidentalModifiers(-1, 1), (std::vector<int>{54, 50}));
  EXPECT_EQ(AccidentalModifiers(-1, 0), (std::vector<int>{50}));
}

namespace {

// Each side editor opens docked below the view with its button panel,
// another one docked takes its place, and all of them float in windows of
// their own and dock back, the one docked last staying.
TEST_F(PlayRecordTest, SideEditorsOpenDockedAndFloating) {
  const TSideEditorKind kinds[] = {TSideEditorKind::Velocity, TSideEditorKind::Playback, TSideEditorKind::Events,
                                   TSideEditorKind::SecondView};
  const char* panels[] = {"PVelocity", "PPlayback", "PEvent", "PSplit"};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(panels[i]);
    doc_->ToggleSideEditor(kinds[i]);
    td::ProcessMessages();
    ASSERT_TRUE(doc_->HasSideEditor(kinds[i]));
    TControl* editor = doc_->SideEditor(kinds[i]);
    EXPECT_EQ(editor->Parent(), static_cast<TWinControl*>(doc_->PClient));
    EXPECT_GT(editor->Height(), 100);
    EXPECT_EQ(doc_->SideEditorHost(kinds[i]), nullptr);
    EXPECT_TRUE(dynamic_cast<TControl*>(doc_->FindComponent(panels[i]))->Visible());
    for (int j = 0; j < 4; ++j)
      if (j != i) EXPECT_FALSE(doc_->HasSideEditor(kinds[j])) << "docked, one editor at a time";
  }
  EXPECT_EQ(doc_->Score().ActiveWindow(), doc_->QSWindow);
  doc_->ToggleSecondWindow();
  EXPECT_FALSE(doc_->HasSideEditor(TSideEditorKind::SecondView));
  EXPECT_FALSE(dynamic_cast<TControl*>(doc_->FindComponent("PSplit"))->Visible());

  // Floating: each in its window, side by side.
  doc_->SetAttachedEditors(false);
  for (TSideEditorKind kind : {TSideEditorKind::Velocity, TSideEditorKind::Playback, TSideEditorKind::Events})
    doc_->ToggleSideEditor(kind);
  td::ProcessMessages();
  for (TSideEditorKind kind : {TSideEditorKind::Velocity, TSideEditorKind::Playback, TSideEditorKind::Events}) {
    TCustomForm* host = doc_->SideEditorHost(kind);
    ASSERT_NE(host, nullptr);
    EXPECT_TRUE(host->Visible());
    EXPECT_EQ(doc_->SideEditor(kind)->Parent(), static_cast<TWinControl*>(host));
  }
  TSideEditorSettings stored;
  settings_->Load(stored);
  EXPECT_FALSE(stored.AttachedEditors);
  // The piano roll's window docks it: it stays, the others close.
  auto* rollHost = dynamic_cast<TQSEditorHost*>(doc_->SideEditorHost(TSideEditorKind::Playback));
  rollHost->DockClick();
  td::ProcessMessages();
  EXPECT_TRUE(doc_->AttachedEditors());
  EXPECT_TRUE(doc_->HasSideEditor(TSideEditorKind::Playback));
  EXPECT_EQ(doc_->SideEditor(TSideEditorKind::Playback)->Parent(), static_cast<TWinControl*>(doc_->PClient));
  EXPECT_FALSE(doc_->HasSideEditor(TSideEditorKind::Velocity));
  EXPECT_FALSE(doc_->HasSideEditor(TSideEditorKind::Events));
  // The panel's window button floats it again.
  td::Click(*dynamic_cast<TControl*>(doc_->FindComponent("SBUnttachPlayback")), 8, 8);
  EXPECT_FALSE(doc_->AttachedEditors());
  EXPECT_NE(doc_->SideEditorHost(TSideEditorKind::Playback), nullptr);
}

// Holding a velocity button repeats its click every tick of the repeat
// timer after the first, and releasing it clicks once more.
TEST_F(PlayRecordTest, HeldVelocityButtonRepeatsAfterItsFirstPause) {
  doc_->ToggleVelocityEditor();
  int clicks = 0;
  auto* velocity = dynamic_cast<TQSVelocityEditor*>(doc_->SideEditor(TSideEditorKind::Velocity));
  ASSERT_NE(velocity, nullptr);
  doc_->QSWindow->GotoScoreStart();
  doc_->SyncSideEditors();
  const TQSNote* first = nullptr;
  for (const TQSItem* item : doc_->Score().GetPiece(0)->GetPart(0)->GetMeasure(0)->Items)
    if ((first = dynamic_cast<const TQSNote*>(item))) break;
  ASSERT_NE(first, nullptr);
  doc_->EditorButtonMouse(nullptr, "SBIncVelocity", true, mbLeft, 0);
  const int before = first->Fields.Velocity;
  for (int tick = 0; tick < 10; ++tick) doc_->TClick->OnTimer(doc_->TClick);  // one second
  const int held = first->Fields.Velocity;
  doc_->EditorButtonMouse(nullptr, "SBIncVelocity", false, mbLeft, 0);
  doc_->EditorButtonClick(nullptr, "SBIncVelocity");  // the click of the release
  clicks = first->Fields.Velocity - before;
  EXPECT_GT(held, before);
  const int step = (held - before) / 9;
  EXPECT_EQ(held - before, 9 * step) << "nine repeats in the second";
  EXPECT_EQ(clicks, 10 * step);
  EXPECT_FALSE(doc_->TClick->Enabled());
}

}  // namespace

namespace {

// Devices chosen in a dialog reach the settings file at once, so that the
// next start opens them; the ports are made again on them.
TEST_F(PlayRecordTest, ChosenDevicesAreWrittenAtOnce) {
  main_->SetMidiDevices("Keys 20:0", "Pads 28:0");
  TSettings again(dir_ + "ProgramSetting.ini");
  TDevicesSettings devices;
  again.Load(devices);
  EXPECT_EQ(devices.OutputDevice, "Keys 20:0");
  EXPECT_EQ(devices.InputDevice, "Pads 28:0");
  // Keys 20:0 is not there: the built-in synthesizer plays instead.
  EXPECT_EQ(main_->Ports().Output->Device(), kBuiltInSynthesizer);
}

}  // namespace

#include "app/settingscommands.h"
#include "interchange/midi_import.h"

namespace {

// The settings' test play: the shipped test file plays through the
// program's MIDI output and its end closes the output and says so.
TEST_F(PlayRecordTest, TheTestPlayGoesThroughTheProgramsOutput) {
  InstallMidiImporter();
  TProgramDeviceHost host(*main_, settings_.get());
  ASSERT_TRUE(host.HasTestFile());
  bool ended = false;
  ASSERT_TRUE(host.StartTestPlay([&] { ended = true; }));
  ASSERT_TRUE(PumpUntil([&] { return ended; }, 15000));
  std::vector<int> keys;
  for (const auto& m : port_->NoteOns()) keys.push_back(m.Data1);
  EXPECT_EQ(keys, (std::vector<int>{60, 62, 64, 65, 67, 69, 71, 72}));
  EXPECT_FALSE(main_->Ports().OutputOpen());
  // Stopped early, nothing more comes.
  ASSERT_TRUE(host.StartTestPlay([] {}));
  ASSERT_TRUE(PumpUntil([&] { return port_->NoteOns().size() > 8; }));
  host.StopTestPlay();
  const size_t heard = port_->Taken().size();
  PumpFor(400);
  EXPECT_EQ(port_->Taken().size(), heard);
}

}  // namespace

#include "playback/eventeditor.h"
#include "playback/eventproperties.h"
#include "playback/playbackeditor.h"
#include "score/marks.h"

namespace {

// The MIDI events of the first piece as "measure:tick:bytes".
std::vector<std::string> EventsOf(TQSScore& score) {
  std::vector<std::string> out;
  TQSPiece* piece = score.GetPiece(0);
  for (int i = 0; i < piece->ColumnCount(); ++i)
    for (const TQSItem* item : piece->GetColumn(i)->Items)
      if (const auto* e = dynamic_cast<const TQSMIDIEvent*>(item)) {
        std::string text = std::to_string(i) + ":" + std::to_string(e->Fields.Time) + ":";
        for (uint8_t byte : e->Data) {
          char hex[3];
          std::snprintf(hex, sizeof hex, "%02X", byte);
          text += hex;
        }
        out.push_back(text);
      }
  return out;
}

// Answers the event properties dialog, once it shows, with a text; what it
// held first is kept in `shown`.
void AnswerEventDialog(std::string text, std::string* shown) {
  td::Later([text, shown] {
    auto* dialog = td::WaitForModal() ? dynamic_cast<TFEventProperties*>(Screen().ActiveForm()) : nullptr;
    if (!dialog) {
      ADD_FAILURE() << "no event properties dialog";
      td::KeyToModal(VK_ESCAPE);
      return;
    }
    if (shown) *shown = dialog->EventText();
    dialog->SetEventText(text);
    td::Click(*dialog->BBOk, 5, 5);
  });
}

// Answers the question that shows with the button of a result.
void AnswerQuestion(int result) {
  td::Later([result] {
    TCustomForm* box = td::WaitForModal() ? Screen().ActiveForm() : nullptr;
    for (int i = 0; box && i < box->ComponentCount(); ++i)
      if (auto* button = dynamic_cast<TButton*>(box->Components(i)); button && button->ModalResult == result)
        return td::Click(*button, 5, 5);
    ADD_FAILURE() << "no question with that answer";
    td::KeyToModal(VK_ESCAPE);
  });
}

// The side editors change the score through the document: a key struck on
// the piano roll becomes a note of the entry duration where it was struck;
// the event editor adds an event at its cursor from the properties dialog,
// changes the chosen event's bytes and deletes it after asking.
TEST_F(PlayRecordTest, SideEditorActionsChangeTheScore) {
  main_->SetEntryDuration(256);
  doc_->ToggleSideEditor(TSideEditorKind::Playback);
  auto* roll = dynamic_cast<TQSPlaybackEditor*>(doc_->SideEditor(TSideEditorKind::Playback));
  ASSERT_NE(roll, nullptr);
  roll->OnPlaybackNote(roll, 2, 128, 61);
  EXPECT_EQ(NotesOf(doc_->Score(), 2, true), (std::vector<std::string>{"128:61/256"}));

  doc_->QSWindow->GotoScoreStart();
  doc_->QSWindow->AdvanceCursor(0, 3, 0);
  doc_->ToggleSideEditor(TSideEditorKind::Events);
  auto* events = dynamic_cast<TQSEventEditor*>(doc_->SideEditor(TSideEditorKind::Events));
  ASSERT_NE(events, nullptr);
  doc_->SyncSideEditors();
  td::ProcessMessages();
  AnswerEventDialog("B0 07 40", nullptr);
  events->OnAddEvent(events);
  ASSERT_EQ(EventsOf(doc_->Score()), (std::vector<std::string>{"3:0:B00740"}));

  // Chosen with the mouse, the event is edited and then deleted.
  const TRect label = events->Measures().at(3).Events.at(0).Label;
  td::Click(*events, (label.Left + label.Right) / 2 - events->HorzBar->Position(),
            (label.Top + label.Bottom) / 2 - events->VertBar->Position());
  ASSERT_TRUE(events->HasSelection()) << label.Left << "," << label.Top;
  std::string shown;
  AnswerEventDialog("B0 07 20", &shown);
  events->OnEditEvent(events);
  EXPECT_EQ(shown, "B00740");
  EXPECT_EQ(EventsOf(doc_->Score()), (std::vector<std::string>{"3:0:B00720"}));
  AnswerQuestion(mrNo);
  events->OnDeleteEvent(events);
  EXPECT_EQ(EventsOf(doc_->Score()).size(), 1u) << "kept when the answer is no";
  AnswerQuestion(mrYes);
  events->OnDeleteEvent(events);
  EXPECT_EQ(EventsOf(doc_->Score()), (std::vector<std::string>{}));
}

}  // namespace
