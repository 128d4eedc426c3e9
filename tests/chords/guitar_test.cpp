// Guitars and their files.
#include <gtest/gtest.h>

#include "../common/library_support.h"
#include "base/safefile.h"
#include "chords/guitar.h"
#include "palettes/libraryfile.h"
#include "score/chordcode.h"
#include "score/record.h"

namespace qs {
namespace {

using test::Written;

std::unique_ptr<TQSGuitarDescription> SampleGuitar(int strings = 6) {
  auto g = std::make_unique<TQSGuitarDescription>();
  g->FileName = "Sample.gtr";
  g->Name = "Sample";
  g->SetStringCount(strings);
  for (int i = 0; i < strings; ++i) {
    g->SetTuning(i, static_cast<uint8_t>(40 + 5 * i));
    g->SetSecondTuning(i, static_cast<uint8_t>(52 + 5 * i));
  }
  g->Paired = 1;
  const TQSTransportRecord r[] = {MakeTransportRecord(2), MakeTransportRecord(-5)};
  g->SetTransport(2, r);
  TQSGuitarFrame* f = g->AddFrame();
  f->StartFret = 4;
  f->SetUsedFretCount(5);
  f->Code = {3, 1, 0x21, 0x20, 0x12, 0x04};
  f->SetBarre(0, 1);
  for (int i = 0; i < strings; ++i) f->SetString(i, {static_cast<uint8_t>(40 + 5 * i), 1, 1});
  g->AddFrame();  // an empty frame
  return g;
}

TEST(GuitarFile, AGuitarWrittenByTheProgramReadsBackByteForByte) {
  auto g = SampleGuitar();
  std::vector<uint8_t> bytes = Written([&](TStream& s) { g->SaveToStream(s); });
  TQSGuitarDescription back;
  TMemoryStream in(bytes);
  back.LoadFromStream(in);
  EXPECT_TRUE(back.Loaded);
  EXPECT_EQ(back.Version, 256);
  EXPECT_EQ(back.Name, "Sample");
  EXPECT_EQ(back.Tuning, g->Tuning);
  EXPECT_EQ(back.SecondTuning, g->SecondTuning);
  EXPECT_EQ(back.TransposeSum(), -3);  // +2 and -5
  ASSERT_EQ(back.GetFrameCount(), 2);
  EXPECT_EQ(back.GetFrame(0)->Code, g->GetFrame(0)->Code);
  EXPECT_EQ(back.GetFrame(0)->Strings, g->GetFrame(0)->Strings);
  EXPECT_EQ(back.GetFrame(1)->Code, (std::vector<uint8_t>{0, 0}));
  EXPECT_EQ(Written([&](TStream& s) { back.SaveToStream(s); }), bytes);
}

TEST(GuitarFile, FramesStoreExactlyTheirCounts) {
  // 7 strings and 5 shown frets: 5 barre bytes, 21 bytes of entries.
  auto g = SampleGuitar(7);
  TQSGuitarFrame* f = g->GetFrame(0);
  f->SetString(9, {1, 2, 3});  // entries beyond the strings are not stored
  TMemoryStream s;
  f->SaveToStream(s);
  EXPECT_EQ(s.Size(), 1 + 2 + 1 + 4 + 2 + 6 + 5 + 21);
}

TEST(GuitarFile, Setters) {
  TQSGuitarDescription g;
  g.SetTuning(5, 64);
  g.SetSecondTuning(5, 76);
  g.SetStringCount(8);  // new strings copy the last one
  EXPECT_EQ(g.GetTuning(6), 64);
  EXPECT_EQ(g.GetTuning(7), 64);
  EXPECT_EQ(g.GetSecondTuning(7), 76);
  g.SetStringCount(30);
  EXPECT_EQ(g.StringCount, 24);
  g.SetFretCount(60);
  EXPECT_EQ(g.FretCount, 48);
  EXPECT_EQ(g.GetTuning(24), 0);
  g.SetTuning(-1, 9);  // ignored
  TQSGuitarDescription none;
  none.SetStringCount(0);
  none.SetStringCount(3);
  EXPECT_EQ(none.GetTuning(2), 0);
  EXPECT_TRUE(none.Modified);
  TQSGuitarFrame* f = g.AddFrame();
  EXPECT_EQ(f->GetString(0), nullptr);
  f->SetString(-1, {1, 1, 1});
  EXPECT_TRUE(f->Strings.empty());
  EXPECT_EQ(g.RemoveFrame(f).get(), f);
  EXPECT_EQ(g.GetFrameCount(), 0);
}

// A guitar file of the given field count and header.
std::vector<uint8_t> GuitarFile(uint16_t fields, std::vector<uint8_t> header, uint16_t version = 256,
                                uint16_t tuningCount = 6) {
  return Written([&](TStream& s) {
    s.WriteU8('#');
    WriteStreamString(s, "Quillstave Guitar file");
    s.WriteU16(version);
    s.WriteU16(fields);
    s.WriteU8(static_cast<uint8_t>(header.size()));
    s.WriteBytes(header);
    WriteStreamString(s, "Old");
    s.WriteU16(tuningCount);
    for (int i = 0; i < tuningCount; ++i) s.WriteU8(static_cast<uint8_t>(30 + i));
    s.WriteU16(0);  // frames
  });
}

TEST(GuitarFile, ReadsOnlyWhatTheFieldCountAnnounces) {
  TQSGuitarDescription g;
  TMemoryStream s(GuitarFile(3, {6, 20, 25, 0, 0, 0, 0, 0}));
  g.LoadFromStream(s);
  EXPECT_EQ(g.Name, "Old");
  EXPECT_EQ(g.GetTuning(5), 35);
  EXPECT_EQ(g.GetFrameCount(), 0);
  EXPECT_EQ(g.GetSecondTuning(0), 0);
  EXPECT_EQ(g.TransposeSum(), 0);
  EXPECT_LT(s.Position(), s.Size());  // the frame count was not read
}

TEST(GuitarFile, DamagedCountsStayInsideTheTables) {
  // A header of 12 bytes announcing 200 strings and 99 frets, and 30 tuning
  // bytes: the counts are cut to what a guitar holds, the rest skipped.
  std::vector<uint8_t> header = {200, 99, 25, 0, 0, 0, 0, 0, 7, 7, 7, 7};
  TQSGuitarDescription g;
  TMemoryStream s(GuitarFile(4, header, 256, 30));
  g.LoadFromStream(s);
  EXPECT_EQ(g.StringCount, 24);
  EXPECT_EQ(g.FretCount, 48);
  EXPECT_EQ(g.GetTuning(23), 53);
  EXPECT_EQ(s.Position(), s.Size());
}

TEST(GuitarFile, RefusesOtherFiles) {
  struct Case {
    std::vector<uint8_t> Bytes;
    const char* Message;
  } cases[] = {
      {GuitarFile(3, {6, 20, 25, 0, 0, 0, 0, 0}, 257), "Version of file is more then 1.0"},
      {{'$', 0, 0}, "File is not guitar"},
  };
  for (const Case& c : cases)
    test::ExpectRefused(c.Bytes, c.Message, [](TStream& s) { TQSGuitarDescription().LoadFromStream(s); });
  TQSGuitarDescription older;
  TMemoryStream s(GuitarFile(3, {6, 20, 25, 0, 0, 0, 0, 0}, 255));
  EXPECT_NO_THROW(older.LoadFromStream(s));
}

TEST(GuitarFile, AChordCodeShorterThanItsCountsIsNoChord) {
  auto g = SampleGuitar();
  g->GetFrame(0)->Code = {9, 1, 0x21};  // promises 12 bytes, holds 3
  std::vector<uint8_t> bytes = Written([&](TStream& s) { g->SaveToStream(s); });
  TQSGuitarDescription back;
  TMemoryStream in(bytes);
  back.LoadFromStream(in);
  EXPECT_EQ(back.GetFrame(0)->Code, (std::vector<uint8_t>{0, 0}));
  EXPECT_EQ(back.GetFrameCount(), 2);
}

TEST(GuitarFile, DamagedFilesEndInAnErrorOrLoadWhatTheyHold) {
  auto g = SampleGuitar();
  std::vector<uint8_t> bytes = Written([&](TStream& s) { g->SaveToStream(s); });
  test::ReadDamagedCopies(bytes, [](TStream& s) {
    TQSGuitarDescription read;
    read.LoadFromStream(s);
    EXPECT_LE(read.StringCount, 24);
    EXPECT_LE(read.FretCount, 48);
    for (const auto& f : read.Frames) {
      EXPECT_EQ(f->Barre.size(), f->UsedFretCount);
      ASSERT_GE(f->Code.size(), 2u);
      EXPECT_LE(chordcode::CodeLength(f->Code), std::min<int>(chordcode::kMaxCodeLength, static_cast<int>(f->Code.size())));
    }
    TMemoryStream again;
    read.SaveToStream(again);
  });
}

TEST(GuitarLibrary, AnEntryWithoutItsFileIsLeftOutWithAMessage) {
  test::TProgramFolder folder;
  auto g = SampleGuitar();
  g->SaveToFile();
  auto broken = SampleGuitar();
  broken->FileName = "Broken.gtr";
  SafeSaveText(platform::TemplatesDir() + "Broken.gtr", "not a guitar");
  std::vector<std::unique_ptr<TQSGuitarDescription>> list;
  list.push_back(std::move(g));
  list.push_back(std::move(broken));
  auto missing = std::make_unique<TQSGuitarDescription>();
  missing->FileName = "Missing.gtr";
  list.push_back(std::move(missing));
  SaveGuitarLibraryIndex(list);

  TGuitarLibraryLoad load = LoadGuitarLibrary("DEU");
  ASSERT_EQ(load.Guitars.size(), 1u);
  EXPECT_EQ(load.Guitars[0]->Name, "Sample");
  ASSERT_EQ(load.Problems.size(), 2u);
  EXPECT_EQ(load.Problems[0],
            "Die in \"Guitars.ini\" aufgeführte Bibliotheksdatei \"Missing.gtr\" fehlt und wurde übergangen.");
  EXPECT_NE(load.Problems[1].find("File is not guitar"), std::string::npos);
  EXPECT_NE(load.Problems[1].find("Broken.gtr"), std::string::npos);
}

TEST(GuitarLibrary, MessagesInEveryLanguage) {
  const TLibraryProblem missing{"Guitars.ini", "A.gtr", {}}, unreadable{"Guitars.ini", "A.gtr", "why"};
  for (const char* language : {"ENU", "DEU", "FRA", "ITA", "RUS", "XYZ"}) {
    const std::string m = LibraryProblemMessage(missing, language), u = LibraryProblemMessage(unreadable, language);
    EXPECT_NE(m.find("A.gtr"), std::string::npos) << language;
    EXPECT_NE(m.find("Guitars.ini"), std::string::npos) << language;
    EXPECT_NE(u.find("why"), std::string::npos) << language;
  }
  EXPECT_EQ(LibraryProblemMessage(missing, "XYZ"), LibraryProblemMessage(missing, "ENU"));
}

}  // namespace
}  // namespace qs
