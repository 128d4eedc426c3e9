// The messages of a laid-out score as the walker sends them: ties, mutes,
// tempo marks and terms, repeats with endings, the metronome, programs
// and MIDI events, and starting inside a measure.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "walk_fixture.h"

namespace qs::test {
namespace {

using Lines = std::vector<std::string>;

const Lines kLevels = {"0 B0 07 7F", "0 B0 0A 3F"};

Lines With(Lines head, const Lines& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

// A new note-on comes before the note-off of the note that ends at the
// same tick; a tied-over note sounds on without a new note-on.
TEST(PlayWalker, NotesTiesAndPrograms) {
  TContentScore s(2);
  s.Note(s.Measure(0), 0, 128, C5);
  s.Note(s.Measure(0), 128, 128, D5);
  TQSNote* tied = s.Note(s.Measure(0), 384, 128, E5);
  s.Tie(tied, 128, TQSLiga::kFromStart);
  s.Note(s.Measure(1), 0, 128, E5);
  s.Note(s.Measure(1), 128, 128, G5);
  s.Part()->Fields.Instrument = 5;
  s.Layout();

  TWalkLog log;
  EXPECT_EQ(Walk(s.Score, log), With(kLevels, {"0 C0 05 00", "0 90 3C 40",                  //
                                              "128 90 3E 40", "128 80 3C 00", "256 80 3E 00",  //
                                              "384 90 40 40",                                  //
                                              "640 90 43 40", "640 80 40 00", "768 80 43 00"}));
  // Started at the note tied over, it sounds.
  TWalkLog later;
  EXPECT_EQ(Walk(s.Score, later, 0, 1, 0), With(kLevels, {"0 C0 05 00", "0 90 40 40", "128 90 43 40",
                                                        "128 80 40 00", "256 80 43 00"}));
}

// A part's own volume and pan, and the channel of each part.
TEST(PlayWalker, PartLevelsInPartOrder) {
  TContentScore s(1, {1, 1});
  s.Part(0)->Fields.Volume = 100;
  s.Part(1)->Fields.Channel = 3;
  s.Part(1)->Fields.Pan = 20;
  s.Layout();
  TWalkLog log;
  EXPECT_EQ(Walk(s.Score, log), (Lines{"0 B0 07 64", "0 B0 0A 3F", "0 B3 07 7F", "0 B3 0A 14"}));
  // Writing a file, only the values the parts set.
  TWalkLog file;
  TQSPlayWalker walker(s.Score, file, TQSPlayRules{.ConsultMutes = false, .DefaultLevels = false});
  walker.SendPartLevels();
  EXPECT_EQ(file.Lines, (Lines{"-1 B0 07 64", "-1 B3 0A 14"}));
}

// Notes of a muted part are not played; muting a voice cuts its sounding
// notes at the next pass, muting a staff does not.
TEST(PlayWalker, Mutes) {
  TContentScore s(1, {1, 1});
  s.Note(s.Measure(0, 0), 0, 512, C5);
  s.Note(s.Measure(0, 1), 0, 512, E5);
  s.Part(1)->Fields.Channel = 1;
  s.Part(1)->Fields.Mute = 1;
  s.Layout();
  TWalkLog log;
  log.BeforePass = [&](int64_t pass) {
    if (pass == 100) s.Part(0)->GetStaff(0)->Fields.Mute = 1;
    if (pass == 200) s.Part(0)->GetStaff(0)->GetVoice(0)->Fields.Mute = 1;
  };
  const Lines lines = Walk(s.Score, log);
  EXPECT_EQ(lines, (Lines{"0 B0 07 7F", "0 B0 0A 3F", "0 B1 07 7F", "0 B1 0A 3F",  //
                          "0 C0 00 00", "0 90 3C 40", "200 80 3C 00"}));

  // The file export plays muted notes all the same.
  s.Part(0)->GetStaff(0)->Fields.Mute = 0;
  s.Part(0)->GetStaff(0)->GetVoice(0)->Fields.Mute = 0;
  TWalkLog file;
  TQSPlayWalker walker(s.Score, file, TQSPlayRules{.ConsultMutes = false, .DefaultLevels = false});
  file.Walker = &walker;
  while (walker.Pass() != TQSPassResult::End) {}
  walker.EndSounding();
  EXPECT_EQ(file.Lines, (Lines{"0 C0 00 00", "0 90 3C 40", "0 C1 00 00", "0 91 40 40", "512 81 40 00", "512 80 3C 00"}));
}

// Tempo marks set the tick length, terms change the one in force, and
// the tempo scale applies to both.
TEST(PlayWalker, TempoMarksTermsAndScale) {
  TContentScore s(2);
  s.Score.OnGetTerms = [](TObject*, int kind, const std::vector<std::string>& text, int& v1, int&) {
    if (kind != 2 || text.front() != "Allegro") return false;
    v1 = 10;
    return true;
  };
  s.Mark(s.Column(0), kind::Tempo, 0, 120, 2);       // quarter = 120
  s.Text(s.Measure(0), kind::Term, 256, {"Allegro"});  // 10 % faster
  s.Mark(s.Column(1), kind::Tempo, 0, 100, 3);       // eighth = 100: quarter = 50
  s.Note(s.Measure(0), 0, 128, C5);
  s.Note(s.Measure(0), 384, 128, C5);
  s.Note(s.Measure(1), 0, 128, C5);
  s.Note(s.Measure(1), 128, 128, C5);
  s.Layout();

  for (int scale : {100, 200}) {
    TWalkLog log;
    Walk(s.Score, log, 0, 0, 0, [&](TQSPlayWalker& w) { w.SetTempoScale(scale); });
    std::vector<double> onsets;
    for (size_t i = 0; i < log.Lines.size(); ++i)
      if (log.Lines[i].find(" 90 ") != std::string::npos) onsets.push_back(log.Times[i] * scale / 100);
    // 256 ticks of 3.90625 ms, 128 of 3.515625; then a measure start and
    // 128 ticks of 9.375 ms.
    const double bar = 1000 + 256 * 3.515625;
    EXPECT_EQ(onsets, (std::vector<double>{0, 1450, bar, bar + 1200})) << scale;
  }
  EXPECT_DOUBLE_EQ(TempoAt(s.Score, 0, 0), 120);
  EXPECT_DOUBLE_EQ(TempoAt(s.Score, 0, 1), 50);
  EXPECT_DOUBLE_EQ(TickLengthFor(60, 100), 7.8125);
}

// First and second ending: the measures play 0, 1, 0, 2; a visit's end
// tick ends the measure there; the Repeat flag starts again without the
// part levels.
TEST(PlayWalker, RepeatsAndEndings) {
  TContentScore s(3);
  s.Note(s.Measure(0), 0, 512, C5);
  s.Note(s.Measure(1), 0, 512, D5);
  s.Note(s.Measure(2), 0, 512, E5);
  s.Mark(s.Column(1), kind::Volta, 0, 1, 1);
  s.Mark(s.Column(1), kind::RepeatClose, 512);
  s.Mark(s.Column(2), kind::Volta, 0, 1, 2);
  s.Layout();
  TWalkLog log;
  EXPECT_EQ(Walk(s.Score, log), With(kLevels, {"0 C0 00 00", "0 90 3C 40", "512 90 3E 40", "512 80 3C 00",
                                              "1024 90 3C 40", "1024 80 3E 00", "1536 90 40 40",
                                              "1536 80 3C 00", "2048 80 40 00"}));

  TWalkLog again;
  int restarts = 0;
  {
    TQSPlayWalker walker(s.Score, again);
    again.Walker = &walker;
    walker.Repeat = true;
    walker.SendPartLevels();
    while (walker.Passes() < 2100)
      if (walker.Pass() == TQSPassResult::Restart) ++restarts;
    walker.EndSounding();
  }
  EXPECT_EQ(restarts, 1);
  EXPECT_EQ(Lines(again.Lines.begin() + 10, again.Lines.end()),
            (Lines{"2048 90 3C 40", "2048 80 40 00", "2100 80 3C 00"}));
}

// A repeat sign inside a measure ends its visit there.
TEST(PlayWalker, VisitEndTick) {
  TContentScore s(2);
  s.Note(s.Measure(0), 0, 256, C5);
  s.Note(s.Measure(1), 0, 128, D5);
  s.Mark(s.Column(0), kind::RepeatClose, 256);
  s.Layout();
  ASSERT_EQ(s.Piece->VisitCount, 3);
  TWalkLog log;
  // Measure 0 to the repeat sign, then all of it again.
  EXPECT_EQ(Walk(s.Score, log), With(kLevels, {"0 C0 00 00", "0 90 3C 40", "256 80 3C 00", "256 90 3C 40",
                                              "512 80 3C 00", "768 90 3E 40", "896 80 3E 00"}));
}

// The metronome clicks on each beat, louder on the first; started inside
// a measure it catches up one click a pass, and the notes before the
// start are not played.
TEST(PlayWalker, MetronomeAndStartInsideAMeasure) {
  TContentScore s(1);
  s.Mark(s.Column(0), kind::Meter, 0, MakeMeter(3, 4));
  s.Note(s.Measure(0), 0, 128, C5);
  s.Note(s.Measure(0), 256, 128, D5);
  s.Layout();
  const auto metronome = [](TQSPlayWalker& w) {
    w.Metronome = true;
    w.FirstBeatVelocity = 100;
    w.OtherBeatVelocity = 60;
  };
  TWalkLog log;
  EXPECT_EQ(Walk(s.Score, log, 0, 0, 0, metronome),
            With(kLevels, {"0 99 21 64", "0 C0 00 00", "0 90 3C 40", "128 99 21 3C", "128 80 3C 00",
                           "256 99 21 3C", "256 90 3E 40", "384 80 3E 00"}));
  TWalkLog late;
  EXPECT_EQ(Walk(s.Score, late, 0, 0, 200, metronome),
            With(kLevels, {"0 99 21 64", "1 99 21 3C", "56 99 21 3C", "56 C0 00 00", "56 90 3E 40",
                           "184 80 3E 00"}));
}

// After a MIDI event sets a channel's program, notes send none; pedal
// marks send controller 4, a portamento mark at a note controller 65 on,
// and off after the note's length.
TEST(PlayWalker, MidiEventsPedalAndPortamento) {
  TContentScore s(1);
  auto* ev = static_cast<TQSMIDIEvent*>(CreateItemByKind(kind::MidiEvent, s.Column(0)));
  const uint8_t program[] = {0xC0, 0x07};
  ev->SetData(program, sizeof program);
  s.Note(s.Measure(0), 128, 128, C5);
  s.Mark(s.Measure(0), kind::Pedal, 128, 0, 1);
  s.Mark(s.Measure(0), kind::Pedal, 256, 0, 0);
  s.Note(s.Measure(0), 256, 128, E5);
  s.Mark(s.Measure(0), kind::Portamento, 256)->Fields.Style = TQSMark::kStyleAttached;
  s.Layout();
  TWalkLog log;
  const Lines lines = Walk(s.Score, log);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(Lines(lines.begin() + 2, lines.end()),
            (Lines{"0 long C0 07", "128 90 3C 40", "128 B0 04 7F", "256 90 40 40", "256 B0 04 00", "256 B0 41 7F",
                   "256 80 3C 00", "384 B0 41 00", "384 80 40 00"}));
}

// Over a dense score of four parts (chords, ties, grace notes,
// ornaments), stopped anywhere: every note-off ends a sounding note and
// every note-on is ended once the walker ends what sounds.
TEST(PlayWalker, EveryNoteOnIsEnded) {
  TContentScore s(12, {1, 1, 1, 1});
  for (int p = 0; p < 4; ++p) {
    s.Part(p)->Fields.Channel = static_cast<uint8_t>(p);
    for (int m = 0; m < 12; ++m) {
      TQSMeasure* measure = s.Measure(m, p);
      const auto base = static_cast<uint8_t>(0x40 + (m + p) % 7);
      s.Note(measure, 0, 128, base)->SetChordMember(true);
      s.Note(measure, 0, 128, static_cast<uint8_t>(base + 2))->SetChordMember(true);
      s.Attach(s.Note(measure, 128, 192, base), kind::Trill);
      s.Note(measure, 320, 64, static_cast<uint8_t>(base + 1));
      s.Tie(s.Note(measure, 384, 128, base), 128, TQSLiga::kFromStart);
    }
  }
  s.Layout();
  for (int64_t stop : {1000, 2500, 3333, 100000}) {
    TWalkLog log;
    Walk(s.Score, log, 0, 0, 0, {}, stop);
    std::map<std::pair<int, int>, int> sounding;
    int ons = 0;
    for (const std::string& line : log.Lines) {
      unsigned pass, status, key, velocity;
      ASSERT_EQ(std::sscanf(line.c_str(), "%u %x %x %x", &pass, &status, &key, &velocity), 4) << line;
      const int type = status & 0xF0, channel = status & 0x0F;
      if (type == 0x90) {
        ++ons;
        ++sounding[{channel, static_cast<int>(key)}];
      } else if (type == 0x80) {
        ASSERT_GT((sounding[{channel, static_cast<int>(key)}]--), 0) << line << " at stop " << stop;
      }
    }
    EXPECT_GT(ons, 0);
    for (const auto& [note, count] : sounding) EXPECT_EQ(count, 0) << note.first << "/" << note.second;
  }
}

}  // namespace
}  // namespace qs::test
