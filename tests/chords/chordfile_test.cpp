// Chords of the chord library and their files.
#include <gtest/gtest.h>

#include "../common/library_support.h"
#include "base/safefile.h"
#include "chords/chordfile.h"
#include "score/notes.h"
#include "score/record.h"

namespace qs {
namespace {

using test::Written;

void AddNote(TQSChordDescription& chord, uint8_t pitch, int accidental = -1) {
  auto* note = new TQSNote(&chord);
  chord.AddNote(note);
  note->Fields.Pitch = pitch;
  if (accidental >= 0) static_cast<TQSMark*>(CreateItemByKind(kind::Accidental, note))->Fields.Kind = static_cast<uint8_t>(accidental);
}

void Sample(TQSChordDescription& chord) {
  TQSChordFragment m, seven;
  m.Text = "m";
  m.Fields.Level = 1;
  seven.Text = "7";
  seven.Fields = {10, 2, 1, -2};
  chord.Fragments = {m, seven};
  chord.Description = "Minor seventh";
  chord.Group = "Sevenths";
  chord.FixedOctave = 0;
  AddNote(chord, 0x40);
  AddNote(chord, 0x42, 0);  // E flat
  AddNote(chord, 0x44);
  AddNote(chord, 0x46, 0);
}

TEST(ChordFile, AChordWrittenByTheProgramReadsBackByteForByte) {
  TQSChordDescription chord;
  Sample(chord);
  EXPECT_EQ(chord.GetName(), "Xm7");
  std::vector<uint8_t> bytes = Written([&](TStream& s) { chord.SaveToStream(s); });
  TQSChordDescription back;
  TMemoryStream in(bytes);
  back.LoadFromStream(in);
  EXPECT_TRUE(back.Loaded);
  EXPECT_EQ(back.FileVersion, 880);
  EXPECT_EQ(back.GetName(), "Xm7");
  EXPECT_EQ(back.Fragments[1].Fields.Level, -2);
  EXPECT_EQ(back.Fragments[1].Fields.Size, 10);
  EXPECT_EQ(back.Description, "Minor seventh");
  EXPECT_EQ(back.Group, "Sevenths");
  EXPECT_EQ(back.FixedOctave, 0);
  ASSERT_EQ(back.Notes.Count(), 4);
  auto* third = static_cast<TQSNote*>(back.Notes[1]);
  EXPECT_EQ(third->Fields.Pitch, 0x42);
  EXPECT_EQ(third->ItemCount(), 1);
  EXPECT_EQ(Written([&](TStream& s) { back.SaveToStream(s); }), bytes);
}

// A chord file written field by field.
std::vector<uint8_t> ChordFile(uint8_t signature, uint16_t version, uint16_t sections,
                               const std::function<void(TStream&)>& body) {
  return Written([&](TStream& s) {
    s.WriteU8(signature);
    WriteStreamString(s, "Quillstave Chord file");
    s.WriteU16(version);
    s.WriteU16(sections);
    body(s);
  });
}

TEST(ChordFile, OlderFilesAndShortSectionLists) {
  // Two sections: fragments and description; the rest keeps its defaults.
  TQSChordDescription two;
  TMemoryStream s2(ChordFile(31, 880, 2, [](TStream& s) {
    s.WriteU16(1);
    s.WriteU8(7);  // a longer block: its first five bytes count
    s.WriteBytes({9, 1, 0, 3, 0, 0xAA, 0xBB});
    WriteStreamString(s, "maj");
    WriteStreamString(s, "Major");
  }));
  two.LoadFromStream(s2);
  EXPECT_EQ(two.GetName(), "Xmaj");
  EXPECT_EQ(two.Fragments[0].Fields.Level, 3);
  EXPECT_EQ(two.Description, "Major");
  EXPECT_EQ(two.Notes.Count(), 0);
  EXPECT_EQ(two.Group, "");
  EXPECT_EQ(two.FixedOctave, 1);

  // Version 879: the name is one string.
  TQSChordDescription single;
  TMemoryStream s1(ChordFile(31, 879, 1, [](TStream& s) { WriteStreamString(s, "sus4"); }));
  single.LoadFromStream(s1);
  ASSERT_EQ(single.Fragments.size(), 1u);
  EXPECT_EQ(single.Fragments[0].Text, "sus4");
  EXPECT_EQ(single.Fragments[0].Fields.Level, 0);

  // The oldest files: notes as step + 21 and octave, marks by letter.
  TQSChordDescription old;
  TMemoryStream s3(ChordFile('3', 700, 3, [](TStream& s) {
    WriteStreamString(s, "7");
    WriteStreamString(s, "Seventh");
    s.WriteU16(2);
    s.WriteU8(2);
    s.WriteBytes({21 + 2, 4});  // E in octave 4
    s.WriteU16(2);
    s.WriteU8(1);
    s.WriteU8('s');  // accidental 5
    s.WriteU8(3);
    s.WriteBytes({'z', 0, 0});  // not an accidental
    s.WriteU8(0);  // a note without its bytes
    s.WriteU16(0);
  }));
  old.LoadFromStream(s3);
  ASSERT_EQ(old.Notes.Count(), 2);
  auto* e = static_cast<TQSNote*>(old.Notes[0]);
  EXPECT_EQ(e->Fields.Pitch, 0x42);
  ASSERT_EQ(e->ItemCount(), 1);
  EXPECT_EQ(e->GetItem(0)->ItemType, kind::Accidental);
  EXPECT_EQ(static_cast<TQSMark*>(e->GetItem(0))->Fields.Kind, 5);
  EXPECT_EQ(old.GetName(), "X7");

  TQSChordDescription none;
  EXPECT_EQ(none.GetName(), "X");
}

TEST(ChordFile, RefusesOtherFiles) {
  struct Case {
    std::vector<uint8_t> Bytes;
    const char* Message;
  } cases[] = {
      {ChordFile(31, 881, 0, [](TStream&) {}), "Version of file is more then 3.2"},
      {ChordFile(32, 880, 0, [](TStream&) {}), "File is not chord"},
  };
  for (const Case& c : cases) {
    TQSChordDescription chord;
    test::ExpectRefused(c.Bytes, c.Message, [&](TStream& s) { chord.LoadFromStream(s); });
    EXPECT_TRUE(chord.Loaded);
  }
}

TEST(ChordFile, DamagedFilesEndInAnErrorOrLoadWhatTheyHold) {
  TQSChordDescription chord;
  Sample(chord);
  test::ReadDamagedCopies(Written([&](TStream& s) { chord.SaveToStream(s); }), [](TStream& s) {
    TQSChordDescription read;
    read.LoadFromStream(s);
  });
  std::vector<uint8_t> old = ChordFile('3', 700, 5, [](TStream& s) {
    WriteStreamString(s, "7");
    WriteStreamString(s, "x");
    s.WriteU16(1);
    s.WriteU8(2);
    s.WriteBytes({23, 4});
    s.WriteU16(1);
    s.WriteU8(1);
    s.WriteU8('g');
    WriteStreamString(s, "g");
    s.WriteU8(1);
  });
  test::ReadDamagedCopies(old, [](TStream& s) {
    TQSChordDescription read;
    read.LoadFromStream(s);
  });
}

TEST(ChordFile, ImportExportAndTheTemplatesFolder) {
  test::TProgramFolder folder;
  TQSChordDescription chord;
  Sample(chord);
  chord.FileName = "Minor7";
  chord.SaveToFile();
  EXPECT_TRUE(FileExists(folder.Dir() + "Templates/Minor7.chd"));
  chord.ExportToFile(folder.Dir() + "elsewhere.chd");

  TQSChordDescription imported;
  imported.ImportFromFile(folder.Dir() + "elsewhere.chd");
  EXPECT_EQ(imported.FileName, "elsewhere");
  EXPECT_EQ(imported.Notes.Count(), 4);

  TQSChordDescription loaded;
  loaded.FileName = "Minor7";
  loaded.LoadFromFile();
  EXPECT_EQ(loaded.Description, "Minor seventh");

  TQSChordDescription missing;
  missing.FileName = "Nothing";
  missing.LoadFromFile();
  missing.ImportFromFile(folder.Dir() + "nothing.chd");
  EXPECT_FALSE(missing.Loaded);
  EXPECT_EQ(missing.FileName, "Nothing");
}

}  // namespace
}  // namespace qs
