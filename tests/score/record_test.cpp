// The record framing: stream strings and lists, field blocks, framed
// records and item lists, byte for byte.
#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "score/item.h"
#include "score/pageobjects.h"
#include "score/record.h"
#include "score/test_support.h"

using namespace qs;
using qs::test::TBytes;
using qs::test::TTestOwner;

namespace {

// A class with three sections: a 3-byte block, a string and a string list.
class TFake : public TQSItem {
 public:
  struct TFields {
    uint16_t A = 0x1111;
    uint8_t B = 0x22;
    void Visit(TBlockIO& b) {
      b.U16(A);
      b.U8(B);
    }
  };
  TFake() : TQSItem(nullptr) {}
  TFields Fields;
  std::string Name = "default";
  TStringList List{"x"};

  void SaveToStream(TStream& s) const override {
    TRecordWriter w(s, 3);
    TFields f = Fields;
    WriteBlock(s, [&](TBlockIO& b) { f.Visit(b); }, BlockSurplus);
    WriteStreamString(s, Name);
    WriteStreamStrings(s, List);
    w.Finish();
  }
  void LoadFromStream(TStream& s) override {
    ReadRecord(s, [&](TRecordReader& r) {
      if (r.Has(1)) ReadBlock(s, [&](TBlockIO& b) { Fields.Visit(b); }, &BlockSurplus);
      if (r.Has(2)) Name = ReadStreamString(s);
      if (r.Has(3)) ReadStreamStrings(s, List);
    });
  }
};

template <class F>
std::vector<uint8_t> Written(F&& write) {
  TMemoryStream s;
  write(s);
  return s.Bytes();
}

}  // namespace

TEST(StreamStrings, StoredBytes) {
  EXPECT_EQ(Written([](TStream& s) { WriteStreamString(s, ""); }), TBytes().U16(0).Get());
  EXPECT_EQ(Written([](TStream& s) { WriteStreamStrings(s, TStringList{}); }), TBytes().U16(0).Get());
  EXPECT_EQ(Written([](TStream& s) { WriteStreamWideStrings(s, {}); }), TBytes().U16(0).Get());
  EXPECT_EQ(Written([](TStream& s) { WriteStreamString(s, "abc"); }), TBytes().Str("abc").Get());
  // Counted in UTF-16 code units: three characters, six bytes.
  EXPECT_EQ(Written([](TStream& s) { WriteStreamWideString(s, "a\xCE\xA9z"); }),
            TBytes().U16(3).U16('a').U16(0x03A9).U16('z').Get());
  EXPECT_EQ(Written([](TStream& s) { WriteStreamStrings(s, TStringList{"a", ""}); }),
            TBytes().U16(2).Str("a").Str("").Get());
}

TEST(StreamStrings, ListCountLimitOnReading) {
  // 10,000 entries read fully; 10,001 read as an empty list, the stream
  // left right after the count.
  TBytes full;
  full.U16(10000);
  for (int i = 0; i < 10000; ++i) full.Str("s");
  TMemoryStream s = full.Stream();
  TStringList list;
  ReadStreamStrings(s, list);
  EXPECT_EQ(list.Count(), 10000);
  EXPECT_EQ(s.Remaining(), 0);

  for (bool wide : {false, true}) {
    TMemoryStream over = TBytes().U16(10001).Str("s").Stream();
    if (wide) {
      std::vector<std::string> lines{"old"};
      ReadStreamWideStrings(over, lines);
      EXPECT_TRUE(lines.empty());
    } else {
      TStringList l{"old"};
      ReadStreamStrings(over, l);
      EXPECT_TRUE(l.Empty());
    }
    EXPECT_EQ(over.Position(), 2);
  }
}

TEST(StreamStrings, WritingMoreThanTheCountHoldsIsRefused) {
  TMemoryStream s;
  EXPECT_THROW(WriteStreamString(s, std::string(65536, 'a')), EWriteError);
  EXPECT_THROW(WriteStreamWideString(s, std::string(65536, 'a')), EWriteError);
  TStringList many;
  many.Items().assign(65536, "");
  EXPECT_THROW(WriteStreamStrings(s, many), EWriteError);
  WriteStreamString(s, std::string(65535, 'a'));  // the largest that fits
  EXPECT_EQ(s.Size(), 2 + 65535);
}

TEST(RecordFraming, WriterPatchesTheBodyLength) {
  TFake f;
  f.Fields.A = 0x0201;
  f.Fields.B = 3;
  f.Name = "n";
  f.List = TStringList{"p", "q"};
  TBytes body;
  body.U16(3).U16(3).U8(1).U8(2).U8(3).Str("n").U16(2).Str("p").Str("q");
  EXPECT_EQ(Written([&](TStream& s) { f.SaveToStream(s); }), TBytes().Record(body).Get());
}

TEST(RecordFraming, FewerSectionsKeepDefaults) {
  // Section count 1 with a 2-byte block: B and sections 2 and 3 keep their
  // defaults, and the reader ends at the stored end.
  TBytes b;
  b.Record(TBytes().U16(1).U16(2).U16(0x4321)).U8(0xEE);
  TMemoryStream s = b.Stream();
  TFake f;
  f.LoadFromStream(s);
  EXPECT_EQ(f.Fields.A, 0x4321);
  EXPECT_EQ(f.Fields.B, 0x22);
  EXPECT_EQ(f.Name, "default");
  EXPECT_EQ(f.List, TStringList{"x"});
  EXPECT_EQ(s.Position(), static_cast<int64_t>(b.Size()) - 1);
}

TEST(RecordFraming, UnknownTrailingSectionsAreSkipped) {
  TBytes first;
  first.U16(5).U16(3).U16(7).U8(8).Str("a").U16(1).Str("b").U32(0xDEADBEEF).Str("newer section");
  TBytes second;
  second.U16(2).U16(3).U16(9).U8(10).Str("c");
  TMemoryStream s = TBytes().Record(first).Record(second).Stream();
  TFake f1, f2;
  f1.LoadFromStream(s);
  f2.LoadFromStream(s);
  EXPECT_EQ(f1.Name, "a");
  EXPECT_EQ(f1.List, TStringList{"b"});
  EXPECT_EQ(f2.Fields.A, 9);
  EXPECT_EQ(f2.Fields.B, 10);
  EXPECT_EQ(f2.Name, "c");
  EXPECT_EQ(s.Remaining(), 0);
}

TEST(RecordFraming, LongerBlockIsKeptAndWrittenBack) {
  TBytes b;
  b.Record(TBytes().U16(3).U16(6).U16(1).U8(2).U8(0xA1).U8(0xA2).U8(0xA3).Str("n").U16(0));
  TMemoryStream s = b.Stream();
  TFake f;
  f.LoadFromStream(s);
  EXPECT_EQ(f.Fields.A, 1);
  EXPECT_EQ(f.Fields.B, 2);
  EXPECT_EQ(f.BlockSurplus, (std::vector<uint8_t>{0xA1, 0xA2, 0xA3}));
  EXPECT_EQ(Written([&](TStream& out) { f.SaveToStream(out); }), b.Get());
}

TEST(RecordFraming, ErrorInsideARecordSkipsToItsEnd) {
  // The string list claims more strings than the record holds; the reader
  // stops at the record's end and the next record reads normally.
  TBytes first;
  first.U16(3).U16(3).U16(5).U8(6).Str("kept").U16(3).Str("only one");
  TBytes second;
  second.U16(2).U16(3).U16(7).U8(8).Str("next");
  TMemoryStream s = TBytes().Record(first).Record(second).Stream();
  TFake f1, f2;
  f1.LoadFromStream(s);
  EXPECT_EQ(f1.Fields.A, 5);
  EXPECT_EQ(f1.Name, "kept");
  f2.LoadFromStream(s);
  EXPECT_EQ(f2.Name, "next");
  EXPECT_EQ(s.Remaining(), 0);
}

TEST(RecordFraming, ImpossibleBodyLengthRaises) {
  // Negative, too short to hold the section count, or past the stream's end.
  for (int32_t length : {-1, int32_t(INT32_MIN), 0, 1, 7}) {
    SCOPED_TRACE(length);
    TMemoryStream s = TBytes().I32(length).U16(1).U16(0).Stream();
    TFake f;
    EXPECT_THROW(f.LoadFromStream(s), EReadError);
    TMemoryStream skip = TBytes().I32(length).U16(1).U16(0).Stream();
    if (length >= 0 && length <= 4) continue;  // a short record can be skipped
    EXPECT_THROW(SkipRecord(skip), EReadError);
  }
}

TEST(ItemList, UnknownKindIsSkippedByItsLength) {
  TQSLine line(nullptr);
  line.Fields.X2 = 77;
  TMemoryStream lineRecord;
  line.SaveToStream(lineRecord);
  TBytes b;
  b.U16(3).U8(99).Record(TBytes().U16(1).U16(0)).U8(5).Record(TBytes().U16(0)).U8(kind::Line).Raw(lineRecord.Bytes());
  TMemoryStream s = b.Stream();
  TTestOwner owner;
  ReadItemList(s, &owner);
  ASSERT_EQ(owner.Items.Count(), 1);
  EXPECT_EQ(owner.Items[0]->ItemType, kind::Line);
  EXPECT_EQ(static_cast<TQSLine*>(owner.Items[0])->Fields.X2, 77);
  EXPECT_EQ(s.Remaining(), 0);
}

TEST(ItemList, ItemRecordRunningPastTheStreamRaises) {
  TMemoryStream s = TBytes().U16(2).U8(kind::Line).I32(1000).U16(1).Stream();
  TTestOwner owner;
  EXPECT_THROW(ReadItemList(s, &owner), EReadError);
  TMemoryStream unknown = TBytes().U16(1).U8(99).I32(-6).U16(0).Stream();
  EXPECT_THROW(ReadItemList(unknown, &owner), EReadError);
}

TEST(ItemList, WrittenWithKindBytesOutsideTheRecords) {
  TTestOwner owner;
  auto* line = static_cast<TQSLine*>(CreateItemByKind(kind::Line, &owner));
  line->Fields.Page = 3;
  TMemoryStream record;
  line->SaveToStream(record);
  EXPECT_EQ(Written([&](TStream& s) { WriteItemList(s, owner.Items); }),
            TBytes().U16(1).U8(kind::Line).Raw(record.Bytes()).Get());
}
