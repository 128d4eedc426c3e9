// Reading Standard MIDI Files: chunks, events and what each becomes in the
// score; damaged files and numbers out of range; loading by extension; a
// bounded run over random damage.
#include <filesystem>
#include <random>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "interchange/midi_entries.h"
#include "midi_test_support.h"

namespace qs::test {
namespace {

constexpr int Q = 96;

class MidiRead : public TMidiImportTest {};

TBytesVec WrapInRiff(const TBytesVec& smf) {
  TBytesVec list{'I', 'N', 'F', 'O', 'x'}, data, out;
  auto chunk = [&](const char* id, const TBytesVec& body) {
    data.insert(data.end(), id, id + 4);
    for (int i = 0; i < 4; ++i) data.push_back(uint8_t(body.size() >> (8 * i)));
    data.insert(data.end(), body.begin(), body.end());
    if (body.size() & 1) data.push_back(0);
  };
  chunk("LIST", list);
  chunk("data", smf);
  out = {'R', 'I', 'F', 'F'};
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t((data.size() + 4) >> (8 * i)));
  out.insert(out.end(), {'R', 'M', 'I', 'D'});
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

// A file with a conductor track and a few kinds of event, the base of the
// damage tests.
TBytesVec RichFile() {
  TSmfFile f;
  f.Track().Meta(0, 3, "Song").TimeSignature(0, 3, 2).Tempo(0, 500000).KeySignature(0, -3).Meta(0, 2, "(c) Us");
  TSmfTrack& melody = f.Track();
  melody.Meta(0, 3, "Melody").Program(0, 0, 0).Control(0, 0, 7, 90);
  for (int i = 0; i < 12; ++i) melody.Note(0, 60 + i, i * 48, 48 + (i % 3) * 20).Meta(i * 48, 5, "la");
  TSmfTrack& bass = f.Track();
  for (int i = 0; i < 6; ++i) bass.Note(1, 36 + i, i * 96, 200);
  bass.Raw(100, {0xF0, 0x03, 0x7E, 0x7F, 0xF7});
  TSmfTrack& drums = f.Track();
  for (int i = 0; i < 8; ++i) drums.Note(9, 35 + i, i * 72, 24);
  return f.Bytes();
}

int NoteCount(const TQSPart& part) {
  int n = 0;
  for (int m = 0; m < part.MeasureCount(); ++m) n += int(NotesOf(*part.GetMeasure(m)).size());
  return n;
}

TEST_F(MidiRead, DivisionScalesTimesToQuarterNotesOf128Ticks) {
  for (int division : {96, 480, 1000, 24}) {
    SCOPED_TRACE(division);
    TSmfFile f(division);
    f.Track().Note(0, 60, division / 2, division / 2);
    Import(f.Bytes());
    EXPECT_EQ(VoiceText(*Measure(0), 0), "r/64 C5/64 r/128 r/256");
  }
  // A half tick rounds up: the note is written at 0, played 1 tick late.
  TSmfFile f(256);
  f.Track().Note(0, 60, 1, 255);
  Import(f.Bytes());
  EXPECT_EQ(NotesOf(*Measure(0)).at(0)->Fields.PlayOffset, 1);
}

TEST_F(MidiRead, NoteOnWithVelocity0EndsTheNote) {
  TSmfFile f;
  f.Track().Note(0, 60, 0, 2 * Q, 100, true);
  Import(f.Bytes());
  EXPECT_EQ(VoiceText(*Measure(0), 0), "C5/256 r/256");
  EXPECT_EQ(NotesOf(*Measure(0)).at(0)->Fields.Velocity, 100);
}

TEST_F(MidiRead, PartsByChannel) {
  // Format 0: one track for four channels. Program and volume changes come
  // before the first note of their channels, one while the part of another
  // channel is the current one.
  TSmfFile f(96, 0);
  f.Track()
      .Program(0, 2, 40)
      .Control(0, 1, 7, 100)
      .Control(0, 1, 10, 20)
      .Note(0, 60, 0, Q)
      .Note(1, 64, 0, Q)
      .Note(2, 67, 0, Q)
      .Note(2, 69, Q, Q)
      .Program(Q, 3, 10)
      .Note(3, 72, 2 * Q, Q);
  Import(f.Bytes());
  ASSERT_EQ(Piece()->PartCount(), 4);
  struct TExpect {
    int Channel, Program, Volume, Pan, Notes;
  };
  const TExpect expect[] = {{2, 40, 255, 255, 2}, {1, 0, 100, 20, 1}, {0, 0, 255, 255, 1}, {3, 10, 255, 255, 1}};
  for (int p = 0; p < 4; ++p) {
    SCOPED_TRACE(p);
    EXPECT_EQ(Part(p)->Fields.Channel, expect[p].Channel);
    EXPECT_EQ(Part(p)->Fields.Instrument, expect[p].Program);
    EXPECT_EQ(Part(p)->Fields.Volume, expect[p].Volume);
    EXPECT_EQ(Part(p)->Fields.Pan, expect[p].Pan);
    EXPECT_EQ(NoteCount(*Part(p)), expect[p].Notes);
  }

  // Two tracks on one channel fill one part.
  TSmfFile two;
  two.Track().Note(0, 60, 0, Q);
  two.Track().Note(0, 64, Q, Q);
  Import(two.Bytes());
  ASSERT_EQ(Piece()->PartCount(), 1);
  EXPECT_EQ(VoiceText(*Measure(0), 0), "C5/128 E5/128 r/256");
}

TEST_F(MidiRead, NamesRightsAndDescription) {
  TSmfFile f;
  f.Track().Meta(0, 1, "Karaoke").Meta(0, 1, "KARAOKE").Meta(0, 1, "Second line").Meta(0, 2, "(c) 2024").Meta(0, 2, "Us");
  f.Track().Meta(0, 3, "Lead").Note(0, 60, 0, Q);
  // Texts that are not UTF-8 are read in the program's code page.
  // Lyrics go to the part of their track's notes.
  f.Track().Meta(0, 3, "\xC4rger").Note(1, 62, 0, Q).Meta(Q, 5, "\xC3\xBC");
  Import(f.Bytes());
  EXPECT_EQ(Score.Description.Items(), (std::vector<std::string>{"Karaoke", "Second line"}));
  EXPECT_EQ(Score.Rights, "(c) 2024 Us");
  ASSERT_EQ(Piece()->PartCount(), 2);
  EXPECT_EQ(Part(0)->Name, "Lead");
  EXPECT_EQ(Part(0)->Fields.Channel, 0);
  EXPECT_EQ(Part(1)->Name, "\xC3\x84rger");
  const std::vector<TQSItem*>& items = Measure(0, 1)->Items.Raw();
  auto lyric = std::find_if(items.begin(), items.end(), [](TQSItem* i) { return i->ItemType == kind::Lyric; });
  ASSERT_NE(lyric, items.end());
  EXPECT_EQ(static_cast<TQSLyric*>(*lyric)->Lines.at(0), "\xC3\xBC");
}

// Words go with the notes they are sung to: a track's own lyrics with its
// notes whatever their channel; a karaoke track of words alone with the
// part whose notes begin where the words do, its first line from the
// start, a syllable without a blank after it joined to the next.
TEST_F(MidiRead, LyricsStandUnderTheirNotes) {
  TSmfFile f;
  f.Track().Meta(0, 3, "Voice").Note(3, 67, 2 * Q, Q).Note(3, 69, 3 * Q, Q).Meta(2 * Q, 5, "Hel").Meta(3 * Q, 5, "lo ");
  f.Track().Meta(0, 3, "Words").Meta(0, 1, "@KMIDI KARAOKE FILE").Meta(0, 1, "\\Twin").Meta(Q, 1, "kle ");
  f.Track().Meta(0, 3, "Melody").Note(2, 60, 0, Q).Note(2, 60, Q, Q).Note(2, 64, 2 * Q, Q);
  // A chord under the first word: more notes, fewer onsets with the words.
  f.Track().Meta(0, 3, "Pad").Note(4, 48, 0, 4 * Q).Note(4, 52, 0, 4 * Q).Note(4, 55, 0, 4 * Q);
  Import(f.Bytes());
  EXPECT_EQ(Score.Description.Items(), (std::vector<std::string>{"@KMIDI KARAOKE FILE"}));
  std::map<std::string, std::vector<std::string>> words;
  for (TQSPart* part : Piece()->PartList())
    for (TQSItem* item : part->GetMeasure(0)->Items)
      if (item->ItemType == kind::Lyric) {
        const auto* l = static_cast<TQSLyric*>(item);
        words[part->Name].push_back(((l->Fields.Flags & TQSLyric::kHyphen) ? "-" : "") + l->Lines.at(0));
      }
  EXPECT_EQ(words["Voice"], (std::vector<std::string>{"Hel", "-lo"}));
  EXPECT_EQ(words["Melody"], (std::vector<std::string>{"Twin", "-kle"}));
  // The track of words alone leaves no part of empty measures.
  EXPECT_EQ(Piece()->PartCount(), 3);
}

TEST_F(MidiRead, KeySignatures) {
  struct TCase {
    int Value;
    std::vector<int> Kinds;  // the key marks of measure 0
  };
  for (const TCase& c : {TCase{2, {0, 2}}, TCase{-3, {0, 13}}, TCase{-1, {0, 11}}, TCase{0, {0}},
                         TCase{8, {0}}, TCase{-8, {0}}}) {
    SCOPED_TRACE(c.Value);
    TSmfFile f;
    f.Track().KeySignature(0, c.Value, 1);
    f.Track().Note(0, 60, 0, Q);
    Import(f.Bytes());
    std::vector<int> kinds;
    for (TQSMark* key : MarksOf(Measure(0)->Items, kind::Key)) kinds.push_back(key->Fields.Kind);
    EXPECT_EQ(kinds, c.Kinds);
    if (kinds.size() == 2) {
      EXPECT_EQ(MarksOf(Measure(0)->Items, kind::Key)[1]->Fields.Further15, 1);  // minor
    }
  }
  // A key signature after a channel message goes to that channel's part.
  TSmfFile f(96, 0);
  f.Track().Note(0, 60, 0, Q).Note(1, 62, 0, Q).KeySignature(Q, 1).Note(1, 64, Q, Q);
  Import(f.Bytes());
  ASSERT_EQ(Piece()->PartCount(), 2);
  EXPECT_EQ(MarksOf(Measure(0, 0)->Items, kind::Key).size(), 1u);
  EXPECT_EQ(MarksOf(Measure(0, 1)->Items, kind::Key).size(), 2u);
}

// Texts and keys joined to a part's events in one pass stand where
// inserting them one by one would have put them, also among events of
// several tracks whose arrivals go back in time.
TEST(MidiEvents, InsertedInOnePassAsOneByOne) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> arrival(0, 12), count(0, 9);
  for (int round = 0; round < 300; ++round) {
    // Arrivals rising within each of a few tracks, one track after another.
    std::vector<int64_t> events, entries;
    for (int track = count(random) % 3; track >= 0; --track) {
      int64_t at = 0;
      for (int n = count(random); n > 0; --n) events.push_back(at += arrival(random) % 4);
    }
    for (int n = count(random) * 2; n > 0; --n) entries.push_back(arrival(random));
    // Each entry is known by its number; the events count from 1000.
    auto make = [](const std::vector<int64_t>& arrivals, int first) {
      TMidiEntries list;
      for (size_t i = 0; i < arrivals.size(); ++i) {
        list.push_back(std::make_unique<TMidiEntry>());
        list.back()->Arrival = arrivals[i];
        list.back()->Length = first + static_cast<int>(i);
      }
      return list;
    };
    TMidiEntries one = make(events, 1000), merged = make(events, 1000);
    TMidiEntries adds = make(entries, 0);
    for (auto& e : adds) {
      auto at = std::find_if(one.begin(), one.end(), [&](const auto& x) { return x->Arrival > e->Arrival; });
      one.insert(at, std::make_unique<TMidiEntry>(TMidiEntry{e->Position, e->Arrival, e->Length}));
    }
    InsertByArrival(merged, make(entries, 0));
    std::vector<int> want, got;
    for (const auto& e : one) want.push_back(e->Length);
    for (const auto& e : merged) got.push_back(e->Length);
    ASSERT_EQ(got, want) << "round " << round;
  }
}

TEST_F(MidiRead, MetersAndTempos) {
  TSmfFile f;
  TSmfTrack& conductor = f.Track();
  conductor.TimeSignature(0, 3, 2).Tempo(0, 500000).Tempo(0, 400000);
  conductor.Tempo(3 * Q + 10, 250000);     // measure 1, on the grid at its start
  conductor.TimeSignature(6 * Q, 6, 3);    // measure 2
  conductor.TimeSignature(9 * Q + 75, 2, 2);  // inside measure 3: from measure 4
  // Meters that cannot be and a tempo of 0 are left out.
  conductor.TimeSignature(12 * Q, 0, 2).TimeSignature(12 * Q, 4, 8).TimeSignature(12 * Q, 255, 0).Tempo(12 * Q, 0);
  f.Track().Note(0, 60, 0, 14 * Q);
  Import(f.Bytes());

  std::vector<int> meters;
  std::vector<std::pair<int, int>> tempos;  // column, bpm
  for (int c = 0; c < Piece()->ColumnCount(); ++c) {
    for (TQSMark* m : MarksOf(Piece()->GetColumn(c)->Items, kind::Meter)) meters.push_back(c * 0x10000 + m->Fields.Value);
    for (TQSMark* t : MarksOf(Piece()->GetColumn(c)->Items, kind::Tempo)) {
      tempos.push_back({c, t->Fields.Value});
      EXPECT_EQ(t->Fields.Kind, 2);
      EXPECT_EQ(t->Fields.Time, 0);
      EXPECT_EQ(t->Fields.OffsetY, -128);
    }
  }
  EXPECT_EQ(meters, (std::vector<int>{0x0304, 0x20608, 0x40204}));
  EXPECT_EQ(tempos, (std::vector<std::pair<int, int>>{{0, 150}, {1, 240}}));
  const std::vector<TQSMark*> numbering = MarksOf(Piece()->GetColumn(0)->Items, kind::MeasureNumbering);
  ASSERT_EQ(numbering.size(), 1u);
  EXPECT_EQ(numbering[0]->Fields.Value, 1);
  // The note fills 3/4, 3/4, 6/8, 6/8 and 2/4 measures.
  EXPECT_EQ(VoiceText(*Measure(0), 0), "C5/256.~");
  EXPECT_EQ(VoiceText(*Measure(2), 0), "C5/256.~");
  EXPECT_EQ(VoiceText(*Measure(4), 0), "C5/256");
  EXPECT_EQ(Piece()->ColumnCount(), Part()->MeasureCount());
}

TEST_F(MidiRead, ChunksAroundTracksAndSystemExclusive) {
  TSmfFile a;
  a.Track().Note(0, 60, 0, Q).Raw(Q, {0xF0, 0x05, 0x41, 0x10, 0x42, 0x12, 0xF7}).Note(0, 62, Q, Q);
  TBytesVec bytes = a.Bytes();
  const TBytesVec unknown{'X', 'F', 'I', 'H', 0, 0, 0, 3, 1, 2, 3};
  TSmfTrack second;
  second.Note(1, 64, 0, 2 * Q);
  TBytesVec track;
  PutChunk(track, "MTrk", second.Body());
  bytes.insert(bytes.end(), unknown.begin(), unknown.end());
  bytes.insert(bytes.end(), track.begin(), track.end());
  for (const TBytesVec& file : {bytes, WrapInRiff(bytes)}) {
    Import(file);
    ASSERT_EQ(Piece()->PartCount(), 2);
    EXPECT_EQ(VoiceText(*Measure(0, 0), 0), "C5/128 D5/128 r/256");
    EXPECT_EQ(VoiceText(*Measure(0, 1), 0), "E5/256 r/256");
  }
}

TEST_F(MidiRead, RunningStatusOutlivesMetaAndSystemExclusive) {
  TSmfFile f;
  f.Track().Raw(0, {0x90, 60, 80, 0x00, 0xFF, 0x06, 0x01, 'A', 0x00, 0xF0, 0x01, 0xF7, 0x60, 60, 0});
  Import(f.Bytes());
  EXPECT_EQ(VoiceText(*Measure(0), 0), "C5/128 r/128 r/256");
}

TEST_F(MidiRead, DamagedFilesGiveAClearError) {
  const TBytesVec good = NotesFile({{60, 0, Q}});
  auto header = [](int length, int division) {
    TBytesVec b{'M', 'T', 'h', 'd', 0, 0, 0, uint8_t(length), 0, 1, 0, 1, uint8_t(division >> 8), uint8_t(division)};
    b.resize(8 + size_t(length), 0);
    return b;
  };
  auto withTrack = [&](const TBytesVec& body) {
    TBytesVec b = header(6, 96);
    PutChunk(b, "MTrk", body);
    return b;
  };
  // A track whose stated length ends inside its note-off.
  TBytesVec shortTrack = header(6, 96);
  const TBytesVec noteBody{0x00, 0x90, 60, 80, 0x60, 0x80, 60, 64, 0x00, 0xFF, 0x2F, 0x00};
  shortTrack.insert(shortTrack.end(), {'M', 'T', 'r', 'k', 0, 0, 0, 7});
  shortTrack.insert(shortTrack.end(), noteBody.begin(), noteBody.end());
  TBytesVec riffWithoutData = WrapInRiff(good);
  riffWithoutData[26] = 'x';  // the "data" chunk's name
  TSmfFile dense;
  TSmfTrack& chords = dense.Track();
  for (int tick = 0; tick < 17; ++tick)
    for (int key = 0; key < 128; ++key) chords.Note(0, key, tick, 1);
  struct TCase {
    const char* Name;
    TBytesVec Bytes;
    const char* Message;
  };
  const TCase cases[] = {
      {"empty", {}, "The file is empty"},
      {"text", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}, "This is not a Standard MIDI File"},
      {"short", {'M', 'T', 'h', 'd'}, "This is not a Standard MIDI File"},
      {"RIFF of another kind", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}, "This RIFF file holds no MIDI data"},
      {"RIFF without data", riffWithoutData, "This RIFF file holds no MIDI data"},
      {"truncated", TBytesVec(good.begin(), good.end() - 5), "a chunk runs past the end of the file"},
      {"track length too short", shortTrack, "an event runs past the end of track 1"},
      {"header too short", header(4, 96), "its header is too short"},
      {"division 0", header(6, 0), "its time division is 0"},
      {"number of five bytes", withTrack({0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 1}), "longer than four bytes"},
      {"meta past its track", withTrack({0x00, 0xFF, 0x01, 0x20, 'a'}), "an event runs past the end of track 1"},
      {"sysex past its track", withTrack({0x00, 0xF0, 0x7F, 0x01}), "an event runs past the end of track 1"},
      {"note cut off", withTrack({0x00, 0x90, 60}), "an event runs past the end of track 1"},
      {"data byte first", withTrack({0x00, 60, 80}), "track 1 has a data byte where an event must begin"},
      {"song position", withTrack({0x00, 0xF2, 0x01, 0x02, 0x00, 0x90, 60, 80}), "status byte F2"},
      {"time code", withTrack({0x00, 0xF1, 0x20, 0x00, 0x90, 60, 80}), "track 1 has the status byte F1"},
      {"note far away", withTrack({0x8F, 0xFF, 0xFF, 0x7F, 0x90, 60, 80, 0x00, 0x80, 60, 0}), "too long"},
      {"too many notes in a measure", dense.Bytes(), "more than 2048 notes"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TQSScore score;
    TMemoryStream s(c.Bytes);
    try {
      ImportMidiFile(score, s);
      ADD_FAILURE() << "no error";
    } catch (const EMidiFileError& e) {
      EXPECT_NE(std::string(e.what()).find(c.Message), std::string::npos) << e.what();
    }
    // The import has ended cleanly all the same.
    EXPECT_FALSE(score.UndoSuspended());
  }
}

TEST_F(MidiRead, LoadFromFileReadsEveryMidiExtension) {
  InstallMidiImporter();
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "qs_midi_load_test";
  std::filesystem::create_directories(dir);
  const TBytesVec smf = NotesFile({{60, 0, Q}, {64, Q, Q}});
  for (const char* name : {"a.mid", "b.MIDI", "c.kar", "d.rmi", "e.Rmi"}) {
    SCOPED_TRACE(name);
    const std::string ext = std::filesystem::path(name).extension().string();
    TMemoryStream file(SameText(ext, ".rmi") ? WrapInRiff(smf) : smf);
    const std::string path = (dir / name).string();
    file.SaveToFile(path);
    TQSScore score;
    score.LoadFromFile(path);
    ASSERT_EQ(score.PieceCount(), 1);
    ASSERT_EQ(score.GetPiece(0)->PartCount(), 1);
    EXPECT_EQ(VoiceText(*score.GetPiece(0)->GetPart(0)->GetMeasure(0), 0), "C5/128 E5/128 r/256");
  }
  std::filesystem::remove_all(dir);
}

// A file of random events with a sound structure: notes of any key, time
// and length on any channel, meters, keys, tempos and texts.
TBytesVec RandomEventsFile(std::mt19937& random) {
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  TSmfFile f(1 + pick(960), pick(3));
  for (int t = 1 + pick(4); t > 0; --t) {
    TSmfTrack& track = f.Track();
    for (int e = pick(80); e > 0; --e) {
      const int tick = pick(8000);
      switch (pick(10)) {
        case 0: track.TimeSignature(tick, pick(20), pick(10)); break;
        case 1: track.KeySignature(tick, pick(20) - 10, pick(2)); break;
        case 2: track.Tempo(tick, pick(2000000)); break;
        case 3: track.Meta(tick, 1 + pick(7), std::string(size_t(pick(5)), char('a' + pick(26)))); break;
        case 4: track.Program(tick, pick(16), pick(128)); break;
        default: track.Note(pick(16), pick(128), tick, pick(1500), 1 + pick(127), pick(2)); break;
      }
    }
  }
  return f.Bytes();
}

TEST_F(MidiRead, RandomFilesNeverCrashOrHang) {
  const TBytesVec base = RichFile();
  std::mt19937 random(20240611);
  auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
  int refused = 0;
  const int rounds = 600;
  for (int round = 0; round < rounds; ++round) {
    TBytesVec bytes;
    if (round % 2 == 0) {
      bytes = RandomEventsFile(random);
    } else {
      // Damage: mostly changed bytes, sometimes a byte more or less or a
      // file cut short.
      bytes = base;
      for (int k = 1 + int(pick(4)); k > 0 && !bytes.empty(); --k) {
        switch (pick(8)) {
          case 0: bytes.resize(pick(bytes.size())); break;
          case 1: bytes.insert(bytes.begin() + long(pick(bytes.size())), uint8_t(pick(256))); break;
          case 2: bytes.erase(bytes.begin() + long(pick(bytes.size()))); break;
          case 3: bytes[pick(bytes.size())] = uint8_t(pick(256)); break;
          default: bytes[pick(bytes.size())] ^= uint8_t(1 << pick(8)); break;
        }
      }
    }
    TQSScore score;
    // Laid out, so that the export below walks what was read.
    score.LayoutPass = LayoutScore;
    score.RecordQuantize = uint16_t(8 << pick(5));
    score.ImportTriplets = pick(2);
    score.ImportAutoClefs = pick(2);
    score.ImportTrackNames = pick(2);
    score.ImportStaffPerTrack = pick(2);
    TMemoryStream s(bytes);
    try {
      ImportMidiFile(score, s);
    } catch (const Exception&) {
      ++refused;  // a damaged file is refused: fine
    }
    ASSERT_FALSE(score.UndoSuspended());
    // Whatever was read exports as a file that reads again.
    TMemoryStream exported;
    ExportMidiFile(score, exported);
    exported.Seek(0, SeekOrigin::Begin);
    EXPECT_NO_THROW(ReadMidiFile(exported));
  }
  // Most of the files are read to the end.
  EXPECT_LT(refused, rounds / 2);
}

}  // namespace
}  // namespace qs::test
