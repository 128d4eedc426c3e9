// Symbol templates and their files, in both layouts.
#include <gtest/gtest.h>

#include "../common/library_support.h"
#include "base/safefile.h"
#include "palettes/libraryfile.h"
#include "palettes/symboltemplate.h"
#include "score/record.h"

namespace qs {
namespace {

using test::Written;

void Sample(TQSSymbolDescription& t) {
  t.Description = "Breath mark";
  t.Group = "Winds";
  t.Width = 640;
  t.Height = -12;
  auto* line = static_cast<TQSLine*>(CreateItemByKind(kind::Line, &t));
  t.Items.Add(line);
  line->Fields.X2 = 80;
  line->Fields.Color = 0x123456;
  auto* text = static_cast<TQSText*>(CreateItemByKind(kind::Text, &t));
  t.Items.Add(text);
  text->Lines = {"ä", "two"};
  text->FontName = "Serif";
  auto* arc = static_cast<TQSArc*>(CreateItemByKind(kind::Pie, &t));
  t.Items.Add(arc);
  arc->Fields.BY = 5;
}

TEST(SymbolTemplate, ATemplateWrittenByTheProgramReadsBackByteForByte) {
  TQSSymbolDescription t;
  Sample(t);
  std::vector<uint8_t> bytes = Written([&](TStream& s) { t.SaveToStream(s); });
  EXPECT_EQ(bytes[0], 160);
  TQSSymbolDescription back;
  TMemoryStream in(bytes);
  back.LoadFromStream(in);
  EXPECT_TRUE(back.Loaded);
  EXPECT_EQ(back.Description, "Breath mark");
  EXPECT_EQ(back.Group, "Winds");
  EXPECT_EQ(back.Width, 640);
  EXPECT_EQ(back.Height, -12);
  ASSERT_EQ(back.Items.Count(), 3);
  EXPECT_EQ(back.Items[2]->ItemType, kind::Pie);
  EXPECT_EQ(static_cast<TQSText*>(back.Items[1])->Lines[0], "ä");
  EXPECT_EQ(Written([&](TStream& s) { back.SaveToStream(s); }), bytes);

  // Reading the same template twice appends its items twice.
  TMemoryStream again(bytes);
  back.LoadFromStream(again);
  EXPECT_EQ(back.Items.Count(), 6);
}

std::vector<uint8_t> Header(uint8_t signature, uint16_t version, uint16_t fields) {
  return Written([&](TStream& s) {
    s.WriteU8(signature);
    WriteStreamString(s, "Quavero symbol file");
    s.WriteU16(version);
    s.WriteU16(fields);
    if (fields >= 1) WriteStreamString(s, "Old");
    if (fields >= 2) WriteStreamString(s, "Group");
    if (fields >= 3) s.WriteI32(10);
    if (fields >= 4) s.WriteI32(-3);
  });
}

// An old file: the header and the records given as bodies (and what
// follows them).
std::vector<uint8_t> OldFile(const std::vector<std::vector<uint8_t>>& records) {
  std::vector<uint8_t> bytes = Header(200, 800, 5);
  TMemoryStream s(bytes);
  s.Seek(0, SeekOrigin::End);
  s.WriteU16(static_cast<uint16_t>(records.size()));
  for (const auto& r : records) s.WriteBytes(r);
  return s.Bytes();
}

std::vector<uint8_t> Record(const std::vector<uint8_t>& body, const std::vector<uint8_t>& after = {}) {
  return Written([&](TStream& s) {
    s.WriteU8(static_cast<uint8_t>(body.size()));
    s.WriteBytes(body);
    s.WriteBytes(after);
  });
}

std::vector<uint8_t> TextTail() {
  return Written([](TStream& s) {
    WriteStreamString(s, "Arial");
    s.WriteU16(1);
    WriteStreamString(s, "fff");
  });
}

TEST(SymbolTemplate, TheOlderLayoutBecomesTodaysItems) {
  // A line from (1, 2) to (3, 4) in pixels, width 2, ends 0x12, page byte 2.
  std::vector<uint8_t> line(20, 0);
  line[0] = '?';
  line[2] = 1, line[4] = 2, line[6] = 3, line[8] = 4;
  line[10] = 2;
  line[12] = 0x56, line[13] = 0x34, line[14] = 0x12;
  line[17] = 0x12;
  line[19] = 2;
  // A text of 16 body bytes (no angle) and one of 18 (angle 90).
  std::vector<uint8_t> text16(16, 0), text18(18, 0);
  for (auto* t : {&text16, &text18}) {
    (*t)[0] = '=';
    (*t)[2] = 10;
    (*t)[7] = 14;
    (*t)[9] = 0x18;  // bit 3: no page
  }
  text18[16] = 90;
  // An ellipse and a chord segment; an unknown record is passed over.
  std::vector<uint8_t> ellipse(27, 0), segment(35, 0);
  ellipse[0] = 'A';
  ellipse[20] = 0xFF;
  ellipse[26] = 0;
  segment[0] = 'D';
  segment[16] = 7;
  segment[34] = 4;
  TQSSymbolDescription t;
  TMemoryStream s(OldFile({Record(line), Record(text16, TextTail()), Record(text18, TextTail()),
                           Record({'Z', 0, 1, 2}), Record(ellipse), Record(segment)}));
  t.LoadFromStream(s);
  EXPECT_EQ(t.Width, 90);  // stored divided by 9
  EXPECT_EQ(t.Height, -27);
  ASSERT_EQ(t.Items.Count(), 5);

  auto* l = static_cast<TQSLine*>(t.Items[0]);
  EXPECT_EQ(l->ItemType, kind::Line);
  EXPECT_EQ(l->Fields.X1, 8);
  EXPECT_EQ(l->Fields.Y1, 16);
  EXPECT_EQ(l->Fields.X2, 24);
  EXPECT_EQ(l->Fields.Y2, 32);
  EXPECT_EQ(l->Fields.LineWidth, 2);
  EXPECT_EQ(l->Fields.Color, 0x123456u);
  EXPECT_EQ(l->Fields.Ends, 0x12);
  EXPECT_EQ(l->Fields.Page, 3);  // the page byte + 1

  auto* a = static_cast<TQSText*>(t.Items[1]);
  auto* b = static_cast<TQSText*>(t.Items[2]);
  EXPECT_EQ(a->Fields.X, 80);
  EXPECT_EQ(a->Fields.FontSize, 14);
  EXPECT_EQ(a->Fields.Align, 0x18);
  EXPECT_EQ(a->Fields.Page, 0);  // bit 3 of the flags keeps the default
  EXPECT_EQ(a->Fields.Angle, 0);
  EXPECT_EQ(b->Fields.Angle, 90);
  EXPECT_EQ(b->FontName, "Arial");
  EXPECT_EQ(b->Lines, (std::vector<std::string>{"fff"}));

  EXPECT_EQ(t.Items[3]->ItemType, kind::Ellipse);
  EXPECT_EQ(static_cast<TQSRectangle*>(t.Items[3])->Fields.FillColor, 0xFFu);
  EXPECT_EQ(static_cast<TQSRectangle*>(t.Items[3])->Fields.Page, 1);
  auto* seg = static_cast<TQSArc*>(t.Items[4]);
  EXPECT_EQ(seg->ItemType, kind::ChordSegment);
  EXPECT_EQ(seg->Fields.BY, 56);
  EXPECT_EQ(seg->Fields.Page, 5);  // for arcs the page is at block 16
}

TEST(SymbolTemplate, ShortOldRecordsAreNotReadBeyondTheirBody) {
  // A chord segment of 4 bytes: only its first coordinate is there.
  TQSSymbolDescription t;
  TMemoryStream s(OldFile({Record({'B', 0, 3, 0}), Record({'?', 0, 0xFF, 0x7F, 1, 0})}));
  t.LoadFromStream(s);
  ASSERT_EQ(t.Items.Count(), 2);
  auto* arc = static_cast<TQSArc*>(t.Items[0]);
  EXPECT_EQ(arc->Fields.X, 24);
  EXPECT_EQ(arc->Fields.Y, 0);
  EXPECT_EQ(arc->Fields.Page, 0);
  EXPECT_EQ(arc->Fields.BX, TQSArc(nullptr).Fields.BX);
  // A coordinate too far out for the field stays at its edge.
  EXPECT_EQ(static_cast<TQSLine*>(t.Items[1])->Fields.X1, 32767);
}

TEST(SymbolTemplate, OldPicturesTakeTheirBytesOrNone) {
  std::vector<uint8_t> body(12, 0);
  body[0] = '>';
  body[11] = 0x08;
  const std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 3, 0};
  std::vector<uint8_t> withPicture = Written([&](TStream& s) {
    s.WriteU16(1);
    s.WriteU16(257);
    s.WriteI32(static_cast<int32_t>(gif.size()));
    s.WriteBytes(gif);
  });
  std::vector<uint8_t> noPicture = Written([](TStream& s) {
    s.WriteU16(0);
    s.WriteU16(257);
    s.WriteI32(0);
  });
  TQSSymbolDescription t;
  TMemoryStream s(OldFile({Record(body, withPicture), Record(body, noPicture)}));
  t.LoadFromStream(s);
  ASSERT_EQ(t.Items.Count(), 2);
  auto* first = static_cast<TQSImage*>(t.Items[0]);
  EXPECT_EQ(first->Picture.GraphicType(), TQSGraphicType::Gif);
  EXPECT_EQ(first->Picture.Data(), gif);
  EXPECT_EQ(first->Fields.Flags, 0x08);
  EXPECT_TRUE(static_cast<TQSImage*>(t.Items[1])->Picture.Empty());
}

TEST(SymbolTemplate, HeadersDecideWhatIsRead) {
  TQSSymbolDescription two;
  TMemoryStream s2(Header(160, 1024, 2));
  two.LoadFromStream(s2);
  EXPECT_EQ(two.Description, "Old");
  EXPECT_EQ(two.Group, "Group");
  EXPECT_EQ(two.Width, 0);
  EXPECT_EQ(two.Items.Count(), 0);

  // A kind without a class ends the items; those read stay.
  std::vector<uint8_t> bytes = Header(160, 1024, 5);
  TMemoryStream s(bytes);
  s.Seek(0, SeekOrigin::End);
  s.WriteU16(3);
  TQSLine line(nullptr);
  WriteItem(s, line);
  s.WriteU8(9);
  s.SetPosition(0);
  TQSSymbolDescription partly;
  partly.LoadFromStream(s);
  EXPECT_EQ(partly.Items.Count(), 1);

  struct Case {
    std::vector<uint8_t> Bytes;
    const char* Message;
  } cases[] = {
      {{0}, "File is not symbol"},
      {Header(200, 801, 0), "Version of file is more then 3.2"},
      {Header(160, 1025, 0), "Version of file is more then 4.0"},
  };
  for (const Case& c : cases)
    test::ExpectRefused(c.Bytes, c.Message, [](TStream& s) { TQSSymbolDescription().LoadFromStream(s); });
}

TEST(SymbolTemplate, DamagedFilesEndInAnErrorOrLoadWhatTheyHold) {
  TQSSymbolDescription t;
  Sample(t);
  test::ReadDamagedCopies(Written([&](TStream& s) { t.SaveToStream(s); }), [](TStream& s) {
    TQSSymbolDescription read;
    read.LoadFromStream(s);
  });
  std::vector<uint8_t> line(20, 3), text(18, 1);
  line[0] = '?';
  text[0] = '=';
  test::ReadDamagedCopies(OldFile({Record(line), Record(text, TextTail())}), [](TStream& s) {
    TQSSymbolDescription read;
    read.LoadFromStream(s);
  });
}

TEST(SymbolTemplate, FilesAndTheLibraryIndex) {
  test::TProgramFolder folder;
  TQSSymbolDescription t;
  Sample(t);
  t.FileName = "Breath";
  t.SaveToFile();
  t.ExportToFile(folder.Dir() + "copy.smb");
  TQSSymbolDescription imported;
  imported.ImportFromFile(folder.Dir() + "copy.smb");
  EXPECT_EQ(imported.FileName, "copy");
  EXPECT_EQ(imported.Items.Count(), 3);

  WriteLibraryIndex(kSymbolIndex, {"Breath", "Gone", "", "Breath.smb"});
  std::vector<TLibraryProblem> problems;
  EXPECT_EQ(ReadLibraryIndex(kSymbolIndex, &problems), (std::vector<std::string>{"Breath", "Breath.smb"}));
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].Entry, "Gone");
  EXPECT_EQ(LibraryProblemMessage(problems[0], "ENU"),
            "The library file \"Gone\" listed in \"Symbols.ini\" is missing and has been left out.");
  // A shorter list keeps the old keys but counts only its own.
  WriteLibraryIndex(kSymbolIndex, {"Breath"});
  EXPECT_EQ(ReadLibraryIndex(kSymbolIndex, nullptr), (std::vector<std::string>{"Breath"}));
  // A damaged count reads what is there, at once.
  SafeSaveText(folder.Dir() + "Symbols.ini", "[Symbols]\nSymbolMax=2000000000\nSymbol1=Breath\n");
  EXPECT_EQ(ReadLibraryIndex(kSymbolIndex, nullptr), (std::vector<std::string>{"Breath"}));

  // Names never leave the Templates folder.
  TQSSymbolDescription outside;
  outside.FileName = "../../escape";
  outside.SaveToFile();
  EXPECT_TRUE(FileExists(folder.Dir() + "Templates/escape.smb"));
}

}  // namespace
}  // namespace qs
