#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "musicxml_support.h"

namespace qs::test {
namespace {

namespace fs = std::filesystem;

const std::string kZipData = std::string(QS_TEST_DATA_DIR) + "/zip/";

class MusicXmlArchive : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallMusicXmlImporter();
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A copy of a fixture under another name.
  std::string Copy(const std::string& from, const std::string& name) {
    const std::string to = (dir_ / name).string();
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    return to;
  }

  fs::path dir_ = fs::temp_directory_path() / ("qs_mxl_test_" + std::to_string(::getpid()));
};

struct TLoaded {
  std::vector<uint8_t> Bytes;
  std::string Laid;
  int Pages;
};

TLoaded LoadAndLayOut(const std::string& path) {
  TQSScore score;
  score.LoadFromFile(path);
  EXPECT_EQ(score.PieceCount(), 1) << path;
  if (score.PieceCount() != 1) return {};
  TQSPiece& piece = *score.GetPiece(0);
  const std::string laid = ExportText(score, piece);
  return {PieceBytes(piece), laid, score.LaidOutPages};
}

// Compressed MusicXML and the ".musicxml" extension open as the same
// document given as ".xml" does, note for note and page for page.
TEST_F(MusicXmlArchive, OpensAsTheSameDocument) {
  const std::string song = std::string(QS_TEST_DATA_DIR) + "/musicxml/song.xml";
  const TLoaded expected = LoadAndLayOut(song);
  ASSERT_GT(expected.Pages, 0);
  ASSERT_NE(expected.Laid.find("<note>"), std::string::npos);
  const std::string kCases[] = {
      Copy(kZipData + "song.mxl", "Song.MXL"),  // container, score in a folder, data descriptors
      kZipData + "nocontainer.mxl",             // the first document outside META-INF
      kZipData + "zip64.mxl",                   // stored, sizes in 64-bit records
      Copy(song, "song.musicxml"),
      Copy(song, "Lied.MusicXML"),
  };
  for (const std::string& path : kCases) {
    SCOPED_TRACE(path);
    const TLoaded loaded = LoadAndLayOut(path);
    EXPECT_EQ(loaded.Pages, expected.Pages);
    EXPECT_EQ(loaded.Bytes, expected.Bytes);
    EXPECT_EQ(loaded.Laid, expected.Laid);
  }
}

// A damaged or unreadable archive gives a clear error and leaves the score
// as a damaged MusicXML document does: emptied, not locked.
TEST_F(MusicXmlArchive, DamagedArchivesGiveClearErrors) {
  const struct {
    const char* File;
    const char* Message;
  } kCases[] = {
      {"truncated.mxl", "The compressed file is damaged: its directory is missing"},
      {"badcrc.mxl", "the data of \"score.xml\" do not match their checksum"},
      {"directoryout.mxl", "its directory lies outside the file"},
      {"distance.mxl", "a back-reference reaches before the start of the data"},
      {"oversize.mxl", "larger than 256 MB"},
      {"encrypted.mxl", "\"score.xml\" of the compressed file is encrypted"},
      {"bzip2.mxl", "packed by a method that cannot be read (12)"},
      {"nowide.mxl", "the 64-bit sizes of \"score.xml\" are missing"},
      {"headerout.mxl", "the header of \"score.xml\" lies outside the file"},
      {"toomany.mxl", "its directory holds fewer entries than it says"},
      {"missing.mxl", "names the score \"scores/song.musicxml\", which it does not hold"},
      {"noscore.mxl", "The compressed MusicXML file holds no score."},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.File);
    TQSScore score;
    score.NewPiece();
    try {
      score.LoadFromFile(kZipData + c.File);
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_NE(e.Message().find(c.Message), std::string::npos) << e.Message();
    }
    EXPECT_EQ(score.PieceCount(), 0);
    EXPECT_FALSE(score.Updating());
  }
}

}  // namespace
}  // namespace qs::test
