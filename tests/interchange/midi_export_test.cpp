// Standard MIDI File export: the file of a laid-out score read back by an
// independent decoder (Debian's python3-mido) event by event, the cases of
// the file layout at the byte level, and export then import of the import
// fixtures (in midi_test_support.h, run with every import of the tests).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "../layout/content_fixture.h"
#include "base/safefile.h"
#include "interchange/midi_export.h"
#include "midi_test_support.h"

namespace qs::test {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

constexpr uint8_t C4 = 0x40, C5 = 0x50, D5 = 0x51, E5 = 0x52, G5 = 0x54;

TBytesVec Export(const TQSScore& score) {
  TMemoryStream s;
  ExportMidiFile(score, s);
  return TBytesVec(s.Memory(), s.Memory() + s.Size());
}

class TTempDir {
 public:
  TTempDir() : path_(fs::temp_directory_path() / ("qs-midi-export-" + std::to_string(::getpid()))) {
    fs::create_directories(path_);
  }
  ~TTempDir() { fs::remove_all(path_); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

// What python3-mido reads from a file: the header, then per track its
// messages with their delta times.
const char* kMidoDump = R"(
import sys, mido
f = mido.MidiFile(sys.argv[1])
print('type=%d ticks=%d tracks=%d' % (f.type, f.ticks_per_beat, len(f.tracks)))
for i, t in enumerate(f.tracks):
    print('track %d' % i)
    for m in t:
        print(m.time, m.hex() if not m.is_meta else
              m.type + ' ' + ' '.join('%s=%s' % (k, v) for k, v in sorted(vars(m).items()) if k not in ('type', 'time')))
)";

Lines MidoDump(const std::string& file, const TTempDir& dir) {
  const std::string script = dir.File("dump.py"), out = dir.File("dump.txt");
  std::ofstream(script) << kMidoDump;
  const std::string command = "/usr/bin/python3 " + script + " " + file + " > " + out + " 2>&1";
  const int rc = std::system(command.c_str());
  std::ifstream in(out);
  Lines lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  if (rc != 0) ADD_FAILURE() << "python3-mido could not read the file: " << (lines.empty() ? "" : lines.back());
  return lines;
}

// Two parts: an oboe on channel 0 (volume 100, no pan) with quarters, a
// half tied over the bar line and a 3/4 measure; a bass on channel 1 with
// a whole note. A tempo mark of an eighth = 120 in the second measure.
struct TExportScore : TContentScore {
  TExportScore() : TContentScore(3, {1, 1}) {
    Piece->SetTempo(100);
    Score.Composer = "Anon";
    Score.Rights = "(c) Us";
    Score.Description.Add("Study");
    Part(0)->Fields.Instrument = 68;
    Part(0)->Fields.Volume = 100;
    Part(1)->Fields.Channel = 1;
    Part(1)->Fields.Instrument = 32;
    Note(Measure(0), 0, 128, C5)->Fields.Velocity = 64;
    Note(Measure(0), 128, 128, D5)->Fields.Velocity = 64;
    TQSNote* tied = Note(Measure(0), 256, 256, E5);
    tied->Fields.Velocity = 64;
    Tie(tied, 256, TQSLiga::kFromStart);
    Note(Measure(1), 0, 128, E5)->Fields.Velocity = 64;
    Note(Measure(1), 128, 128, G5)->Fields.Velocity = 80;
    Mark(Column(1), kind::Tempo, 0, 120, 3);
    Mark(Column(2), kind::Meter, 0, MakeMeter(3, 4));
    Note(Measure(2), 0, 384, C5)->Fields.Velocity = 64;
    Note(Measure(0, 1), 0, 512, C4)->Fields.Velocity = 90;
    Layout();
  }
};

TEST(MidiExport, IndependentDecoderReadsEveryEvent) {
  TExportScore s;
  TTempDir dir;
  const std::string file = dir.File("score.mid");
  ExportMidiFile(s.Score, file);
  EXPECT_EQ(MidoDump(file, dir),
            (Lines{"type=1 ticks=384 tracks=3",
                   "track 0",
                   "0 time_signature clocks_per_click=96 denominator=4 notated_32nd_notes_per_beat=8 numerator=4",
                   "0 set_tempo tempo=600000",
                   "0 text text=Anon",
                   "0 copyright text=(c) Us",
                   "0 text text=Study",
                   // An eighth = 120 is a quarter = 60.
                   "1536 set_tempo tempo=1000000",
                   "1536 time_signature clocks_per_click=96 denominator=4 notated_32nd_notes_per_beat=8 numerator=3",
                   "0 end_of_track ",
                   "track 1",
                   "0 B0 07 64",
                   "0 C0 44",
                   "0 90 3C 40",
                   "384 90 3E 40",
                   "0 80 3C 00",
                   "384 90 40 40",
                   "0 80 3E 00",
                   // The tied half and quarter sound as one note.
                   "1152 90 43 50",
                   "0 80 40 00",
                   "384 80 43 00",
                   "768 90 3C 40",
                   "1152 80 3C 00",
                   "0 end_of_track ",
                   "track 2",
                   "0 C1 20",
                   "0 91 30 5A",
                   "1536 81 30 00",
                   "0 end_of_track "}));
}

// The file layout at the byte level: header, track chunks and their
// lengths, deltas of one to three bytes.
TEST(MidiExport, HeaderChunksAndLongDeltas) {
  TContentScore s(12);
  s.Note(s.Measure(11), 0, 128, C5)->Fields.Velocity = 64;
  s.Layout();
  const TBytesVec bytes = Export(s.Score);
  ASSERT_GE(bytes.size(), 14u);
  EXPECT_EQ(TBytesVec(bytes.begin(), bytes.begin() + 14),
            (TBytesVec{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0x01, 0x80}));
  // The channel-0 track: a program change and a note-on 11 measures in
  // (16,896 file ticks, three bytes), the note-off 384 later.
  const TBytesVec track{0x81, 0x84, 0x00, 0xC0, 0x00, 0x00, 0x90, 0x3C, 0x40, 0x83, 0x00, 0x80, 0x3C, 0x00,
                        0x00, 0xFF, 0x2F, 0x00};
  TBytesVec tail(bytes.end() - long(track.size()), bytes.end());
  EXPECT_EQ(tail, track);
  const size_t at = bytes.size() - track.size() - 8;
  EXPECT_EQ(TBytesVec(bytes.begin() + long(at), bytes.begin() + long(at) + 8),
            (TBytesVec{'M', 'T', 'r', 'k', 0, 0, 0, uint8_t(track.size())}));
}

// A piece without measures still has its conductor track; a second piece
// follows the first in time in every track.
TEST(MidiExport, EmptyPieceAndPiecesInTurn) {
  TContentScore s(1);
  s.Note(s.Measure(0), 0, 512, C5)->Fields.Velocity = 64;
  s.Score.NewPiece();
  TQSPiece* third = s.AddPiece({1}, 1);
  TContentScore::Note(third->GetPart(0)->GetMeasure(0), 0, 128, D5)->Fields.Velocity = 64;
  s.Layout();
  TTempDir dir;
  const std::string file = dir.File("pieces.mid");
  ExportMidiFile(s.Score, file);
  const std::string meter = "time_signature clocks_per_click=96 denominator=4 notated_32nd_notes_per_beat=8 numerator=4";
  const Lines opening = {"0 set_tempo tempo=1000000", "0 text text=", "0 copyright text="};
  Lines expected = {"type=1 ticks=384 tracks=2", "track 0", "0 " + meter};
  expected.insert(expected.end(), opening.begin(), opening.end());
  // The second piece has no time: the third starts where the first ended,
  // each with its programs sent again.
  expected.push_back("1536 " + meter);
  expected.insert(expected.end(), opening.begin(), opening.end());
  expected.push_back("0 " + meter);
  expected.insert(expected.end(), opening.begin(), opening.end());
  expected.insert(expected.end(), {"0 end_of_track ", "track 1", "0 C0 00", "0 90 3C 40", "1536 80 3C 00", "0 C0 00",
                                   "0 90 3E 40", "384 80 3E 00", "0 end_of_track "});
  EXPECT_EQ(MidoDump(file, dir), expected);
}

// MIDI event items: channel messages in their channel's track; a
// system-exclusive message framed with its length; bytes that make no
// file event are left out. Notes of a muted voice are written.
TEST(MidiExport, MidiEventItemsAndMutedVoices) {
  TContentScore s(1);
  auto event = [&](std::vector<uint8_t> data) {
    auto* ev = static_cast<TQSMIDIEvent*>(CreateItemByKind(kind::MidiEvent, s.Column(0)));
    ev->SetData(data.data(), uint16_t(data.size()));
  };
  event({0xB2, 0x01, 0x40});
  event({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
  event({0xF8});
  event({0x90, 0x3C});
  s.Note(s.Measure(0), 0, 128, C5)->Fields.Velocity = 64;
  s.Part()->GetStaff(0)->GetVoice(0)->Fields.Mute = 1;
  s.Layout();
  TTempDir dir;
  const std::string file = dir.File("events.mid");
  ExportMidiFile(s.Score, file);
  const Lines lines = MidoDump(file, dir);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "0 F0 7E 7F 09 01 F7"), lines.end());
  const Lines tracks(std::find(lines.begin(), lines.end(), "track 1"), lines.end());
  EXPECT_EQ(tracks, (Lines{"track 1", "0 C0 00", "0 90 3C 40", "384 80 3C 00", "0 end_of_track ", "track 2",
                           "0 B2 01 40", "0 end_of_track "}));
}

// Triplet notes lie between score ticks (an eighth of a triplet is 42 2/3
// of them); in the file, three ticks to a score tick, each note starts and
// ends exactly on its slot, through a whole measure of them.
TEST(MidiExport, TupletNotesSitExactlyOnTheirSlots) {
  TContentScore s(1);
  for (int beat = 0; beat < 4; ++beat) {
    TQSMark* tuplet = s.Mark(s.Measure(0), kind::Tuplet, beat * 128, 64, 3);
    tuplet->CalcTupletLengths();
    int at = beat * 128;
    for (int16_t slot : tuplet->TupletLengths) {
      TQSNote* n = s.Note(s.Measure(0), at, slot, (beat * 3 + at) % 2 ? D5 : C5);
      n->Fields.Length = 64;
      n->Fields.Velocity = 64;
      at += slot;
    }
  }
  s.Layout();
  TMemoryStream stream(Export(s.Score));
  const TMidiFile file = ReadMidiFile(stream);
  ASSERT_EQ(file.Tracks.size(), 2u);
  std::vector<int64_t> on, off;
  for (const TMidiEvent& e : file.Tracks[1]) {
    if (e.Command() == 0x90 && e.Data2 > 0) on.push_back(e.Tick);
    else if (e.Command() == 0x80 || e.Command() == 0x90) off.push_back(e.Tick);
  }
  std::vector<int64_t> starts, ends;
  for (int i = 0; i < 12; ++i) starts.push_back(i * 128), ends.push_back((i + 1) * 128);
  EXPECT_EQ(on, starts);
  EXPECT_EQ(off, ends);
}

TEST(MidiExport, FileIsReplacedWhole) {
  TExportScore s;
  TTempDir dir;
  const std::string file = dir.File("old.mid");
  SafeSaveText(file, std::string(100000, 'x'));
  ExportMidiFile(s.Score, file);
  const std::string text = ReadFileText(file);
  EXPECT_EQ(TBytesVec(text.begin(), text.end()), Export(s.Score));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.File("")), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace qs::test
