// The command-line report of what a score holds, read by people.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "app/documentscore.h"
#include "app/printcontents.h"
#include "common/temp_folder.h"
#include "interchange/musicxml.h"
#include "layout/layout.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"

using namespace qs;

namespace {

// A song with a title, a composer and a lyricist, notes, a rest, a grace
// note, a slur and a dynamic.
constexpr const char* kSong = R"(<?xml version="1.0" encoding="UTF-8"?>
<score-partwise>
  <work><work-title>Evening Song</work-title></work>
  <identification>
    <creator type="composer">Clara Weber</creator>
    <creator type="lyricist">Hans Roth</creator>
  </identification>
  <part-list><score-part id="P1"><part-name>Voice</part-name></score-part></part-list>
  <part id="P1">
    <measure number="1">
      <attributes><divisions>1</divisions><time><beats>4</beats><beat-type>4</beat-type></time>
        <clef><sign>G</sign><line>2</line></clef></attributes>
      <direction placement="below"><direction-type><dynamics><p/></dynamics></direction-type></direction>
      <note><grace/><pitch><step>D</step><octave>5</octave></pitch><voice>1</voice><type>eighth</type></note>
      <note><pitch><step>C</step><octave>5</octave></pitch><duration>1</duration><voice>1</voice><type>quarter</type>
        <notations><slur type="start"/></notations></note>
      <note><pitch><step>E</step><octave>5</octave></pitch><duration>1</duration><voice>1</voice><type>quarter</type>
        <notations><slur type="stop"/></notations></note>
      <note><rest/><duration>2</duration><voice>1</voice><type>half</type></note>
    </measure>
  </part>
</score-partwise>
)";

class PrintContentsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallLayout();
    InstallMusicXmlImporter();
    SetUpDocumentScore(score);
  }
  std::string Load(const char* text, const char* name) {
    const std::string file = folder.Path + name;
    std::ofstream(file) << text;
    score.LoadFromFile(file);
    std::remove(file.c_str());
    return file;
  }
  // Tests run side by side (and in other checkouts): each has its own folder.
  test::TTempFolder folder;
  TQSScore score;
};

TEST_F(PrintContentsTest, AnImportedSongIsToldInAMusiciansWords) {
  Load(kSong, "evening.musicxml");
  const std::string report = ContentsReport(score, false);
  for (const char* said : {"Title: Evening Song\n", "Composer: Clara Weber\n", "Lyricist: Hans Roth\n",
                           "Piece 1: 1 measure, 1 part, 1 staff", "Voice\n", "2 notes", "1 grace note",
                           "1 rest,", "1 slur or tie", "1 dynamic", "Page: 210 x 297 mm, portrait"})
    EXPECT_NE(report.find(said), std::string::npos) << said << " is missing from:\n" << report;
  // No class names, no format version of a file that is not ours, no
  // field without a value.
  EXPECT_EQ(report.find("TQS"), std::string::npos) << report;
  EXPECT_EQ(report.find("version"), std::string::npos) << report;
  EXPECT_EQ(report.find(": \n"), std::string::npos) << report;
  EXPECT_EQ(report.find("Rights"), std::string::npos) << report;
}

// Stamps of the user's symbols are told as such, not as marks.
TEST_F(PrintContentsTest, UserSymbolsAreCountedByThemselves) {
  Load(kSong, "evening.musicxml");
  TQSMeasure* measure = score.GetPiece(0)->GetPart(0)->GetMeasure(0);
  const std::string before = ContentsReport(score, false);
  // Made in the measure, the marks join it.
  for (int i = 0; i < 2; ++i) CreateItemByKind(kind::UserSymbolMark, measure);
  const std::string report = ContentsReport(score, false);
  EXPECT_NE(report.find(", 2 user symbols\n"), std::string::npos) << report;
  EXPECT_NE(before.find("1 mark ("), std::string::npos) << before;
  EXPECT_NE(report.find("1 mark ("), std::string::npos) << report;
}

TEST_F(PrintContentsTest, AScoreFileOfOurOwnTellsItsFormatVersion) {
  Load(kSong, "evening.musicxml");
  const std::string file = folder.Path + "evening.sfd";
  score.SaveToFile(file);
  TQSScore again;
  SetUpDocumentScore(again);
  again.LoadFromFile(file);
  std::remove(file.c_str());
  const std::string report = ContentsReport(again, true);
  EXPECT_NE(report.find("Format: score file, format version " + std::to_string(again.FileVersion)), std::string::npos)
      << report;
  EXPECT_NE(report.find("Title: Evening Song\n"), std::string::npos) << report;
}

TEST_F(PrintContentsTest, ATransposingPartAndTheScaleAreTold) {
  Load(kSong, "evening.musicxml");
  score.GetPiece(0)->GetPart(0)->Transports = {MakeTransportRecord(-2)};
  score.Scale = 80;
  const std::string report = ContentsReport(score, false);
  for (const char* said : {"Voice (sounding 2 semitones lower)\n", "portrait, scale 80%\n"})
    EXPECT_NE(report.find(said), std::string::npos) << said << " is missing from:\n" << report;
}

}  // namespace
