// The transposition and instrument preset libraries and their files.
#include <gtest/gtest.h>

#include "../common/library_support.h"
#include "base/safefile.h"
#include "dialogs/libraries.h"
#include "palettes/libraryfile.h"
#include "score/clefs.h"
#include "score/record.h"

namespace qs {
namespace {

using test::Written;

TQSTransports SampleTransports() {
  TQSTransports t;
  TQSTransportDescription* a = t.Add();
  a->Name = "B flat: major second down";
  a->Values = {MakeTransportRecord(-2)};
  TQSTransportDescription* b = t.Add();
  b->Name = "Two steps";
  b->Values = {MakeTransportRecord(-12), MakeTransportRecord(5)};
  t.Add()->Name = "None";
  return t;
}

TQSInstruments SampleInstruments() {
  TQSInstruments lib;
  TQSInstrumentDescription* piano = lib.Add();
  piano->Name = "Piano";
  piano->ShortName = "Pno.";
  piano->Group = "Keyboards";
  piano->SetStaffCount(2);
  piano->SetClef(0, clef::Treble);
  piano->SetClef(1, clef::Bass);
  piano->Fields.AccoladeScope = 1;
  piano->Fields.Order = 7;
  TQSInstrumentDescription* clarinet = lib.Add();
  clarinet->Name = "Clarinet in B flat";
  clarinet->ShortName = "Cl.";
  clarinet->Group = "Woodwinds";
  clarinet->Fields.Program = 71;
  clarinet->Fields.AccoladeKind = 1;
  clarinet->Fields.AccoladeScope = 2;
  TQSTransportRecord r = MakeTransportRecord(-2);
  clarinet->SetTransport(1, &r);
  return lib;
}

TEST(PresetLibraries, FilesWrittenByTheProgramReadBackByteForByte) {
  TQSTransports t = SampleTransports();
  std::vector<uint8_t> bytes = Written([&](TStream& s) { t.SaveToStream(s); });
  TQSTransports back;
  TMemoryStream in(bytes);
  back.LoadFromStream(in);
  ASSERT_EQ(back.Count(), 3);
  EXPECT_EQ(back.Get(1)->Name, "Two steps");
  EXPECT_EQ(back.Get(1)->Values, t.Get(1)->Values);
  EXPECT_EQ(back.Version, 1024);
  EXPECT_EQ(Written([&](TStream& s) { back.SaveToStream(s); }), bytes);

  TQSInstruments lib = SampleInstruments();
  bytes = Written([&](TStream& s) { lib.SaveToStream(s); });
  TQSInstruments read;
  TMemoryStream in2(bytes);
  read.LoadFromStream(in2);
  ASSERT_EQ(read.Count(), 2);
  EXPECT_EQ(read.Get(0)->Clefs, (std::vector<uint8_t>{clef::Treble, clef::Bass}));
  EXPECT_EQ(read.Get(0)->Fields.Order, 7);
  EXPECT_EQ(read.Get(1)->Group, "Woodwinds");
  EXPECT_EQ(TransportShift(read.Get(1)->Transports), -2);
  EXPECT_EQ(read.Get(1)->Fields.TransportCount, 1);
  EXPECT_EQ(Written([&](TStream& s) { read.SaveToStream(s); }), bytes);
}

// An instrument file of one record written field by field.
std::vector<uint8_t> InstrumentFile(uint16_t fieldCount, const std::vector<uint8_t>& block, uint8_t signature = 251,
                                    uint16_t version = 1024) {
  return Written([&](TStream& s) {
    s.WriteU8(signature);
    WriteStreamString(s, "Quillstave Instrument file");
    s.WriteU16(version);
    s.WriteU16(1);
    s.WriteU16(1);
    TRecordWriter w(s, fieldCount);
    s.WriteU16(static_cast<uint16_t>(block.size()));
    s.WriteBytes(block);
    if (fieldCount >= 2) WriteStreamString(s, "Harp");
    if (fieldCount >= 3) WriteStreamString(s, "Hp.");
    if (fieldCount >= 4) WriteStreamString(s, "Strings");
    w.Finish();
  });
}

TEST(PresetLibraries, RecordsReadOnlyWhatTheirCountsAnnounce) {
  // A block of 20 bytes: the 12 known ones are read and the strings after it.
  std::vector<uint8_t> block(20, 0);
  block[0] = 46;  // program
  block[3] = 1;   // staves
  block[4] = 5;
  block[9] = 33;  // order
  block[12] = 0xEE;
  TQSInstruments lib;
  TMemoryStream wide(InstrumentFile(4, block));
  lib.LoadFromStream(wide);
  ASSERT_EQ(lib.Count(), 1);
  EXPECT_EQ(lib.Get(0)->Fields.Program, 46);
  EXPECT_EQ(lib.Get(0)->Fields.Order, 33);
  EXPECT_EQ(lib.Get(0)->Name, "Harp");
  EXPECT_EQ(lib.Get(0)->Group, "Strings");

  // No clef array stored and three staves: the created clef and two zeros.
  std::vector<uint8_t> three(12, 0);
  three[3] = 3;
  TQSInstruments noClefs;
  TMemoryStream s3(InstrumentFile(4, three));
  noClefs.LoadFromStream(s3);
  EXPECT_EQ(noClefs.Get(0)->Clefs, (std::vector<uint8_t>{1, 0, 0}));

  // A library with section count 0 holds nothing and is no error.
  TQSTransports empty;
  TMemoryStream s0(Written([](TStream& s) {
    s.WriteU8(250);
    WriteStreamString(s, "x");
    s.WriteU16(1024);
    s.WriteU16(0);
  }));
  EXPECT_NO_THROW(empty.LoadFromStream(s0));
  EXPECT_EQ(empty.Count(), 0);
}

TEST(PresetLibraries, WrongFilesAreRefusedWithTheirMessages) {
  struct Case {
    std::vector<uint8_t> Bytes;
    bool Transports;
    const char* Message;
  } cases[] = {
      {InstrumentFile(6, std::vector<uint8_t>(12, 0), 250), false, "File is not instrument"},
      {InstrumentFile(6, std::vector<uint8_t>(12, 0), 251, 1025), false, "Version of file is more then 4.0"},
      {InstrumentFile(6, std::vector<uint8_t>(12, 0)), true, "File is not transport"},
      {{}, true, "File is not transport"},
  };
  for (const Case& c : cases) {
    test::ExpectRefused(c.Bytes, c.Message, [&](TStream& s) {
      if (c.Transports)
        TQSTransports().LoadFromStream(s);
      else
        TQSInstruments().LoadFromStream(s);
    });
  }
}

TEST(PresetLibraries, ADamagedRecordIsSkippedByItsLength) {
  TQSTransports t = SampleTransports();
  std::vector<uint8_t> bytes = Written([&](TStream& s) { t.SaveToStream(s); });
  // The first record's value count claims far more than the record holds.
  const size_t first = 1 + 2 + 25 + 2 + 2 + 2;  // signature, header, version, sections, count
  const size_t count = first + 4 + 2 + 2 + t.Get(0)->Name.size();
  bytes[count] = 0xFF;
  TQSTransports back;
  TMemoryStream in(bytes);
  back.LoadFromStream(in);
  ASSERT_EQ(back.Count(), 3);
  EXPECT_EQ(back.Get(0)->Name, t.Get(0)->Name);
  EXPECT_TRUE(back.Get(0)->Values.empty());
  EXPECT_EQ(back.Get(1)->Values, t.Get(1)->Values);
}

TEST(PresetLibraries, PresetLookups) {
  TQSTransports t = SampleTransports();
  const TQSTransportRecord octaveDown = MakeTransportRecord(-12), second = MakeTransportRecord(-2);
  EXPECT_EQ(t.IndexOfValues(0, &second), -1);  // even though "None" has no values
  EXPECT_EQ(t.IndexOfValues(1, &second), 0);
  EXPECT_EQ(t.IndexOfValues(1, &octaveDown), 1);  // the first values of a longer preset
  const TQSTransportRecord both[] = {octaveDown, MakeTransportRecord(5), second};
  EXPECT_EQ(t.IndexOfValues(3, both), -1);

  TQSInstruments lib = SampleInstruments();
  TQSInstrumentDescription other;
  other.Assign(*lib.Get(0));
  other.Name = "PIANO";
  other.Group = "Elsewhere";
  other.Fields.Order = 99;
  other.Fields.AccoladeKind = 2;
  EXPECT_EQ(lib.FindEqual(other), lib.Get(0));
  other.SetClef(1, clef::Alto);
  EXPECT_EQ(lib.FindEqual(other), nullptr);
}

TEST(PresetLibraries, LoadingTwiceAppends) {
  TQSTransports t = SampleTransports();
  std::vector<uint8_t> bytes = Written([&](TStream& s) { t.SaveToStream(s); });
  TQSTransports back;
  for (int i = 0; i < 2; ++i) {
    TMemoryStream in(bytes);
    back.LoadFromStream(in);
  }
  EXPECT_EQ(back.Count(), 6);
}

TEST(PresetLibraries, DamagedFilesEndInAnErrorOrLoadWhatTheyHold) {
  TQSInstruments lib = SampleInstruments();
  std::vector<uint8_t> bytes = Written([&](TStream& s) { lib.SaveToStream(s); });
  test::ReadDamagedCopies(bytes, [](TStream& s) {
    TQSInstruments read;
    read.LoadFromStream(s);
    for (const auto& d : read.Items) EXPECT_EQ(d->Clefs.size(), d->Fields.StaffCount);
  });
  TQSTransports t = SampleTransports();
  bytes = Written([&](TStream& s) { t.SaveToStream(s); });
  test::ReadDamagedCopies(bytes, [](TStream& s) {
    TQSTransports read;
    read.LoadFromStream(s);
  });
}

TEST(PresetLibraries, FilesLiveInTheTemplatesFolder) {
  test::TProgramFolder folder;
  TQSInstruments lib = SampleInstruments();
  lib.SaveToFile();
  EXPECT_TRUE(FileExists(folder.Dir() + "Templates/Default.int"));
  TQSInstruments back;
  back.LoadFromFile();
  EXPECT_EQ(back.Count(), 2);

  TQSTransports missing;
  missing.FileName = "Nowhere";
  EXPECT_NO_THROW(missing.LoadFromFile());
  EXPECT_EQ(missing.Count(), 0);

  // A translation is taken when there is one, else the English library.
  EXPECT_EQ(InstrumentFileForLanguage("Default", "DEU"), "Default");
  lib.FileName = "Default.DEU.int";
  lib.SaveToFile();
  EXPECT_EQ(InstrumentFileForLanguage("Default", "deu"), "Default.DEU.int");
  TQSInstruments german;
  german.FileName = InstrumentFileForLanguage("Default", "DEU");
  german.LoadFromFile();
  EXPECT_EQ(german.Count(), 2);
}

}  // namespace
}  // namespace qs
