#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "base/safefile.h"
#include "score_fixture.h"
#include "test_support.h"
#include "../common/temp_folder.h"

using namespace qs;
using namespace qs::test;

namespace {

const char* const kNotOurFile = "This is not Quavero file";

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.Message();
  }
  return "";
}

// Pieces of a native file, for files built by hand.
TBytes Header(int sections, int version = 1025, int format = 251) {
  TBytes b;
  b.U8(format).Str("Quavero data file").U16(version).U16(sections);
  return b;
}

std::vector<uint8_t> SettingsBlock(const TQSScore& score) {
  TQSScoreSettings settings = score;
  TBlockIO b = TBlockIO::Writer();
  settings.VisitSettings(b);
  return b.Written();
}

std::vector<uint8_t> PageRecord() {
  TQSPage page;
  return Saved(page);
}

std::vector<uint8_t> PieceRecord(const std::string& name) {
  TQSScore score;
  TQSPiece* piece = score.NewPiece();
  piece->SetName(name);
  return Saved(*piece);
}

// A whole file: settings of a new score, the page, the given pieces and
// score items (kind byte and record each), empty texts and tables, the
// given description, zoom 150, tempo scale 90 and 3 empty pages.
TBytes File(const TBytes& pieces, const TBytes& items, const TBytes& description = TBytes().U16(0)) {
  TQSScore fresh;
  TBytes b = Header(14);
  b.U16(52).Raw(SettingsBlock(fresh)).Raw(PageRecord()).Raw(pieces.Get()).Raw(items.Get());
  b.Str("C").Str("P").Str("R").Raw(description.Get()).U16(0).U16(0).U16(0);
  return b.I32(150).I32(90).U16(3);
}

TBytes Pieces(int count) {
  TBytes b;
  b.U16(count);
  const std::vector<uint8_t> record = PieceRecord("p");
  for (int i = 0; i < count; ++i) b.Raw(record);
  return b;
}

TBytes ItemRecord(TQSItemType kind, const std::function<void(TQSItem*)>& fill = nullptr) {
  TTestOwner owner;
  TQSItem* item = CreateItemByKind(kind, &owner);
  if (fill) fill(item);
  TMemoryStream s;
  WriteItem(s, *item);
  return TBytes().Raw(s.Bytes());
}

void Load(TQSScore& score, const TBytes& file) {
  TMemoryStream s = file.Stream();
  score.LoadFromStream(s);
}

// Installs an importer for the test's duration.
class TImporterGuard {
 public:
  TImporterGuard(bool midi, TQSScore::TImporter importer) : midi_(midi) { Set(std::move(importer)); }
  ~TImporterGuard() { Set(nullptr); }

 private:
  void Set(TQSScore::TImporter importer) {
    midi_ ? TQSScore::SetMidiImporter(std::move(importer)) : TQSScore::SetMusicXmlImporter(std::move(importer));
  }
  bool midi_;
};

class ScoreFileTest : public ::testing::Test, public TRichScoreFixture {};

}  // namespace

TEST_F(ScoreFileTest, SaveLoadSaveGivesTheSameBytes) {
  TLockedView view;
  view.Zoom = 150;
  view.TempoScale = 80;
  Score.AttachWindow(&view);
  const std::vector<uint8_t> bytes = SavedScore();

  TQSScore read;
  TLockedView readView;
  read.AttachWindow(&readView);
  read.Composer = "overwritten";
  TMemoryStream s(bytes);
  read.LoadFromStream(s);
  EXPECT_EQ(SavedScoreOf(read), bytes);

  EXPECT_EQ(read.FileVersion, 1025);
  EXPECT_EQ(read.PieceCount(), 2);
  EXPECT_EQ(read.GetPiece(0)->PartCount(), 2);
  EXPECT_EQ(read.GetPiece(1)->GetPart(0)->GetStaff(0)->VoiceCount(), 2);
  EXPECT_EQ(read.ItemCount(), Score.ItemCount());
  EXPECT_EQ(read.Composer, "Komponist");
  EXPECT_EQ(read.Rights, "© 2026");
  EXPECT_EQ(read.Description, Score.Description);
  EXPECT_EQ(read.Spacing2, 60);
  EXPECT_EQ(read.EmptyPages, 1);
  EXPECT_EQ(read.Page.Fields.Orientation, 1);
  EXPECT_EQ(read.UserSymbolCount(), 2);
  EXPECT_EQ(read.GetUserSymbol(0)->Items.Count(), 3);
  EXPECT_EQ(read.DrumInstrumentCount(), 2);
  EXPECT_EQ(read.DrumMap.size(), 3u);
  EXPECT_EQ((std::vector<int>{readView.Zoom, readView.TempoScale}), (std::vector<int>{150, 80}));
  // The drum lookups were rebuilt after reading.
  ASSERT_NE(read.DrumEntryByPitch(60, 0), nullptr);
  EXPECT_EQ(read.DrumEntryByPitch(60, 0)->Key, 36);
  EXPECT_FALSE(read.Updating());

  // Without a view 100 and 100 are filed.
  Score.DetachWindow(&view);
  const std::vector<uint8_t> noView = SavedScore();
  TMemoryStream tail(std::vector<uint8_t>(noView.end() - 10, noView.end()));
  EXPECT_EQ(tail.ReadI32(), 100);
  EXPECT_EQ(tail.ReadI32(), 100);
}

TEST_F(ScoreFileTest, ShortAndLongSettingsBlocks) {
  // A stored block of 40 bytes leaves the five spacing values and the rest.
  TQSScore source;
  source.Scale = 77;
  source.Align = 33;
  source.Spacing1 = 1;
  const std::vector<uint8_t> block = SettingsBlock(source);
  TQSScore read;
  read.Spacing1 = 99;
  Load(read, Header(1).U16(40).Raw({block.begin(), block.begin() + 40}));
  EXPECT_EQ(read.Scale, 77);
  EXPECT_EQ(read.Align, 33);
  EXPECT_EQ(read.Spacing1, 99);
  EXPECT_EQ(read.Spacing5, 8);

  // A longer one: the surplus is passed over and the page follows.
  TQSScore longer;
  Load(longer, Header(3).U16(60).Raw(block).Fill(8, 0xEE).Raw(PageRecord()).Raw(Pieces(2).Get()));
  EXPECT_EQ(longer.Scale, 77);
  EXPECT_EQ(longer.PieceCount(), 2);
  EXPECT_EQ(longer.GetPiece(1)->Name, "p");
}

TEST_F(ScoreFileTest, ReadsOnlyTheSectionsCounted) {
  // Section count 2: settings and page; pieces and items are gone, texts
  // and tables stay as they were.
  TQSScore read;
  new TQSPiece(&read);
  read.Composer = "kept";
  read.AddUserSymbol("kept");
  Load(read, Header(2).U16(52).Raw(SettingsBlock(Score)).Raw(PageRecord()).Fill(4, 0xFF));
  EXPECT_EQ(read.PieceCount(), 0);
  EXPECT_EQ(read.ItemCount(), 0);
  EXPECT_EQ(read.Composer, "kept");
  EXPECT_EQ(read.UserSymbolCount(), 1);
  EXPECT_EQ(read.Scale, 90);
  EXPECT_EQ(read.Spacing2, 60);
}

// A stored scale is kept within the range the score's settings offer: a
// scale of 1 % or of millions would make the layout fill gigabytes or
// overflow its arithmetic.
TEST_F(ScoreFileTest, ScaleIsKeptInItsRange) {
  const struct {
    int32_t Stored, Read;
  } cases[] = {{1, 50}, {0, 50}, {-100, 50}, {INT32_MIN, 50}, {49, 50}, {50, 50},
               {137, 137}, {200, 200}, {201, 200}, {INT32_MAX, 200}};
  for (const auto& c : cases) {
    TQSScore source;
    source.Scale = c.Stored;
    TQSScore read;
    Load(read, Header(1).U16(52).Raw(SettingsBlock(source)));
    EXPECT_EQ(read.Scale, c.Read) << c.Stored;
  }
}

// A file that fails to read is not laid out while its error passes, from
// a stream or from a file; a whole one is laid out once.
TEST_F(ScoreFileTest, AFileThatFailsToReadIsNotLaidOut) {
  TTempFolder folder;
  const std::vector<uint8_t> whole = File(Pieces(2), TBytes().U16(0)).Get();
  const std::vector<uint8_t> cut(whole.begin(), whole.end() - 12);
  for (bool fromFile : {false, true}) {
    for (const std::vector<uint8_t>* bytes : {&cut, &whole}) {
      SCOPED_TRACE(std::string(fromFile ? "file" : "stream") + (bytes == &cut ? ", cut" : ", whole"));
      TQSScore read;
      int passes = 0;
      read.LayoutPass = [&passes](TQSScore& s, int) {
        ++passes;
        s.LaidOutPages = 1;
      };
      read.LaidOutPages = 3;
      bool failed = false;
      try {
        if (fromFile) {
          const std::string name = folder.Path + "score.sfd";
          TMemoryStream(*bytes).SaveToFile(name);
          read.LoadFromFile(name);
        } else {
          TMemoryStream s(*bytes);
          read.LoadFromStream(s);
        }
      } catch (const EReadError&) {
        failed = true;
      }
      EXPECT_EQ(failed, bytes == &cut);
      EXPECT_EQ(passes, failed ? 0 : 1);
      EXPECT_EQ(read.LaidOutPages, failed ? 0 : 1);
      EXPECT_EQ(read.PieceCount(), 2);
      EXPECT_FALSE(read.Updating());
    }
  }
}

// A folder, a pipe or a device given as a score is refused as what it is,
// and a file larger than the memory with a clear message; the score is
// left as it was.
TEST_F(ScoreFileTest, PathsThatHoldNoReadableScoreAreRefused) {
  TTempFolder folder;
  const std::string pipe = folder.Path + "pipe.sfd";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  // A sparse file: as large as twice the memory, without using the disk.
  const std::string huge = folder.Path + "huge.sfd";
  const long long memory = static_cast<long long>(sysconf(_SC_PHYS_PAGES)) * sysconf(_SC_PAGESIZE);
  {
    TFileStream f(huge, FileMode::Create);
    f.WriteU8(251);
    f.SetSize(2 * memory);
  }
  const struct {
    std::string Path, Message;
  } cases[] = {
      {folder.Path, "\"" + folder.Path + "\" is a folder, not a score file."},
      {pipe, "\"" + pipe + "\" is a named pipe, not a score file."},
      {"/dev/zero", "\"/dev/zero\" is a device, not a score file."},
      {huge, "There is not enough memory to read the file \"" + huge + "\"."},
  };
  for (const auto& c : cases) {
    TQSScore score;
    score.NewPiece();
    EXPECT_EQ(ErrorOf([&] { score.LoadFromFile(c.Path); }), c.Message);
    EXPECT_EQ(score.PieceCount(), 1) << c.Path;
    EXPECT_FALSE(score.Updating());
  }
}

TEST_F(ScoreFileTest, ZoomIsTakenBelowAThousand) {
  struct {
    int Stored, Zoom;
  } cases[] = {{1000, 120}, {5000, 120}, {999, 999}, {100, 100}, {10, 25}, {-5, 25}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Stored);
    TQSScore read;
    TLockedView view;
    view.Zoom = 120;
    read.AttachWindow(&view);
    TBytes file = File(Pieces(0), TBytes().U16(0));
    std::vector<uint8_t> bytes = file.Get();
    TMemoryStream zoom;
    zoom.WriteI32(c.Stored);
    std::copy(zoom.Bytes().begin(), zoom.Bytes().end(), bytes.end() - 10);
    Load(read, TBytes().Raw(bytes));
    EXPECT_EQ(view.Zoom, c.Zoom);
    EXPECT_EQ(view.TempoScale, 90);
    EXPECT_EQ(read.EmptyPages, 3);
  }
}

TEST_F(ScoreFileTest, PieceAndItemLimits) {
  TQSScore read;
  Load(read, File(Pieces(10000), TBytes().U16(0)));
  EXPECT_EQ(read.PieceCount(), 10000);
  EXPECT_EQ(ErrorOf([&] { Load(read, File(Pieces(10001), TBytes().U16(0))); }), "Error reading pieces");
  EXPECT_EQ(read.PieceCount(), 0);

  TBytes items;
  items.U16(10001);
  for (int i = 0; i < 10001; ++i) items.Raw(ItemRecord(kind::Line).Get());
  EXPECT_EQ(ErrorOf([&] { Load(read, File(Pieces(1), items)); }), "Error reading score items");
  EXPECT_EQ(read.PieceCount(), 1);  // what was read before the failure
  EXPECT_FALSE(read.Updating());
}

TEST_F(ScoreFileTest, LyricsAndUnknownKindsAtScoreLevelAreDropped) {
  TBytes items;
  items.U16(4);
  items.Raw(ItemRecord(kind::Lyric, [](TQSItem* i) { static_cast<TQSLyric*>(i)->Lines = {"la"}; }).Get());
  items.U8(99).Record(TBytes().U16(1).U16(3).Fill(3, 0x77));  // a kind nobody makes
  items.Raw(ItemRecord(kind::Text, [](TQSItem* i) { static_cast<TQSText*>(i)->Lines = {"after"}; }).Get());
  items.Raw(ItemRecord(kind::PageMark).Get());
  TQSScore read;
  Load(read, File(Pieces(1), items));
  ASSERT_EQ(read.ItemCount(), 2);
  EXPECT_EQ(static_cast<TQSText*>(read.GetItem(0))->Lines, std::vector<std::string>{"after"});
  EXPECT_EQ(read.GetItem(1)->ItemType, kind::PageMark);
  EXPECT_EQ(read.Composer, "C");
  EXPECT_EQ(read.EmptyPages, 3);
}

TEST_F(ScoreFileTest, FilesThatAreNotOursOrTooNew) {
  struct {
    const char* Name;
    TBytes File;
    std::string Error;
  } cases[] = {
      {"byte 0", TBytes().U8(0).Str("Quavero data file"), kNotOurFile},
      {"byte 252", Header(14, 1025, 252), kNotOurFile},
      {"byte 244", Header(14, 1025, 244), kNotOurFile},
      {"signature case", TBytes().U8(251).Str("Quavero Data file").U16(1025).U16(0), kNotOurFile},
      {"signature short", TBytes().U8(251).Str("Quavero"), kNotOurFile},
      {"newer", Header(0, 1026), "Version of file is more then $0401. Please download update from our site."},
      {"empty", TBytes(), "Stream read error"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TQSScore read;
    new TQSPiece(&read);
    CreateItemByKind(kind::Text, &read);
    EXPECT_EQ(ErrorOf([&] { Load(read, c.File); }), c.Error);
    EXPECT_EQ(read.PieceCount(), 0);
    EXPECT_EQ(read.ItemCount(), 0);
    EXPECT_FALSE(read.Updating());
  }
  // A file of version 1024 is read and says so.
  TQSScore old;
  Load(old, Header(0, 1024));
  EXPECT_EQ(old.FileVersion, 1024);
}

TEST_F(ScoreFileTest, AnOverlongDescriptionKeepsTheSectionsAfterIt) {
  TBytes description;
  description.U16(10001);
  for (int i = 0; i < 10001; ++i) description.Str("x");
  TQSScore read;
  TLockedView view;
  read.AttachWindow(&view);
  read.Description.Add("old");
  Load(read, File(Pieces(1), TBytes().U16(0), description));
  EXPECT_TRUE(read.Description.Empty());
  EXPECT_EQ(view.Zoom, 150);
  EXPECT_EQ(view.TempoScale, 90);
  EXPECT_EQ(read.EmptyPages, 3);
}

TEST_F(ScoreFileTest, ScoresTheReaderWouldRefuseAreNotSaved) {
  TTempFolder folder;
  const std::string name = folder.Path + "big.sfd";
  Score.SaveToFile(name);
  const std::string before = ReadFileText(name);

  struct {
    const char* Name;
    std::function<void(TQSScore&)> Grow;
    const char* What;
  } cases[] = {
      {"pieces", [](TQSScore& s) { while (s.PieceCount() <= 10000) new TQSPiece(&s); }, "pieces"},
      {"items", [](TQSScore& s) { while (s.ItemCount() <= 10000) CreateItemByKind(kind::Line, &s); }, "score items"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TQSScore big;
    c.Grow(big);
    const std::string error = ErrorOf([&] { big.SaveToFile(name); });
    EXPECT_NE(error.find(c.What), std::string::npos) << error;
    EXPECT_NE(error.find("10000"), std::string::npos) << error;
    EXPECT_EQ(ReadFileText(name), before);
  }
  // A failure halfway through writing leaves the old file and no stray one.
  Score.Rights = std::string(70000, 'x');
  EXPECT_FALSE(ErrorOf([&] { Score.SaveToFile(name); }).empty());
  EXPECT_EQ(ReadFileText(name), before);
  EXPECT_EQ(folder.Files(), std::vector<std::string>{"big.sfd"});
}

TEST_F(ScoreFileTest, LoadFromFileDispatchesByExtension) {
  TTempFolder folder;
  std::vector<std::string> seen;
  TImporterGuard midi(true, [&](TQSScore& s, TStream& in) {
    EXPECT_TRUE(s.Updating());
    EXPECT_EQ(s.PieceCount(), 0);  // emptied first
    seen.push_back("midi " + std::to_string(in.Size()));
  });
  TImporterGuard xml(false, [&](TQSScore&, TStream&) { seen.push_back("xml"); });
  for (const char* name : {"a.MID", "b.midi", "c.Rmi", "d.kar", "e.XML", "f.musicxml", "g.MusicXML", "h.MXL"}) {
    SafeSaveText(folder.Path + name, "MThd");
    Score.LoadFromFile(folder.Path + name);
    EXPECT_FALSE(Score.Updating());
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"midi 4", "midi 4", "midi 4", "midi 4", "xml", "xml", "xml", "xml"}));

  // Native files of any other extension; a missing file changes nothing.
  const std::string native = folder.Path + "score.SFD";
  TRichScoreFixture other;
  other.Score.SaveToFile(native);
  TQSScore read;
  read.LoadFromFile(native);
  EXPECT_EQ(read.PieceCount(), 2);
  read.LoadFromFile(folder.Path + "missing.sfd");
  EXPECT_EQ(read.PieceCount(), 2);
}

TEST_F(ScoreFileTest, FileTypesWithoutAnImporterAreRefusedUntouched) {
  TTempFolder folder;
  struct {
    const char* Name;
    const char* Error;
  } cases[] = {{"song.mid", "MIDI files cannot be read yet"}, {"song.xml", "MusicXML files cannot be read yet"}};
  for (const auto& c : cases) {
    SafeSaveText(folder.Path + c.Name, "data");
    EXPECT_EQ(ErrorOf([&] { Score.LoadFromFile(folder.Path + c.Name); }), c.Error);
    EXPECT_EQ(Score.PieceCount(), 2);
    EXPECT_FALSE(Score.Updating());
  }
}

// A file of another extension that is no native file either (a
// system-exclusive dump) is of an unknown format, and the score keeps what
// it had; a native file under any extension still reads.
TEST_F(ScoreFileTest, FilesOfNoKnownFormat) {
  TTempFolder folder;
  const std::string sysex("\xF0\x43\x10\x4C\x00\x00\x7E\x00\xF7", 9);
  const struct {
    const char* Name;
    std::string Error;
    int Pieces;
  } cases[] = {
      {"patch.syx", "The format of this file is unknown", 2},
      {"patch", "The format of this file is unknown", 2},
      {"patch.SFD", kNotOurFile, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    SafeSaveText(folder.Path + c.Name, sysex);
    TRichScoreFixture f;
    EXPECT_EQ(ErrorOf([&] { f.Score.LoadFromFile(folder.Path + c.Name); }), c.Error);
    EXPECT_EQ(f.Score.PieceCount(), c.Pieces);
    EXPECT_FALSE(f.Score.Updating());
  }
  TRichScoreFixture other;
  other.Score.SaveToFile(folder.Path + "score.bak");
  TQSScore read;
  read.LoadFromFile(folder.Path + "score.bak");
  EXPECT_EQ(read.PieceCount(), 2);
}

// Damaged files end in a clear error or a partial score: never a crash, a
// hang or a read outside the data (run it in the sanitizer build).
TEST_F(ScoreFileTest, DamagedFilesFailCleanly) {
  EXPECT_GT(LoadDamagedCopies(SavedScore(), 3000, 20260611), 0);
}
