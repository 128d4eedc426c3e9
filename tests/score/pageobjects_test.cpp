// Page objects, pictures and user symbols: their records byte for byte,
// copies, and reading damaged streams.
#include <gtest/gtest.h>

#include <gif_lib.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#include <jpeglib.h>

#include "base/exceptions.h"
#include "score/metrix.h"
#include "score/page.h"
#include "score/pageobjects.h"
#include "score/test_support.h"

using namespace qs;
using qs::test::TBytes;
using qs::test::TTestOwner;

namespace {

// ---------------------------------------------------------------- pictures

std::vector<uint8_t> MakeBmp(int width, int height, int infoSize = 40) {
  const int stride = (width * 3 + 3) / 4 * 4;
  TBytes b;
  b.U8('B').U8('M').U32(14 + infoSize + stride * std::abs(height)).U32(0).U32(14 + infoSize);
  if (infoSize == 12) {
    b.U32(12).U16(width).U16(height).U16(1).U16(24);
  } else {
    b.U32(40).I32(width).I32(height).U16(1).U16(24).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
  }
  b.Fill(static_cast<size_t>(stride * std::abs(height)), 0x80);
  return b.Get();
}

int GifWrite(GifFileType* gif, const GifByteType* bytes, int count) {
  auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
  out->insert(out->end(), bytes, bytes + count);
  return count;
}

std::vector<uint8_t> MakeGif(int width, int height) {
  std::vector<uint8_t> out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, GifWrite, &error);
  GifColorType colors[2] = {{0, 0, 0}, {255, 255, 255}};
  ColorMapObject* map = GifMakeMapObject(2, colors);
  EGifPutScreenDesc(gif, width, height, 1, 0, map);
  EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr);
  std::vector<GifPixelType> line(static_cast<size_t>(width), 1);
  for (int y = 0; y < height; ++y) EGifPutLine(gif, line.data(), width);
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

std::vector<uint8_t> MakeJpeg(int width, int height) {
  jpeg_compress_struct c;
  jpeg_error_mgr e;
  c.err = jpeg_std_error(&e);
  jpeg_create_compress(&c);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buffer, &size);
  c.image_width = static_cast<JDIMENSION>(width);
  c.image_height = static_cast<JDIMENSION>(height);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 20, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(width) * 3, 200);
  JSAMPROW rows[1] = {row.data()};
  while (c.next_scanline < c.image_height) jpeg_write_scanlines(&c, rows, 1);
  jpeg_finish_compress(&c);
  std::vector<uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  jpeg_destroy_compress(&c);
  return out;
}

std::vector<uint8_t> MakeIcon(int width, int height) {
  // Directory header, then one entry (0 in a size byte means 256).
  return TBytes().U16(0).U16(1).U16(1).U8(width & 0xFF).U8(height & 0xFF).U8(0).U8(0).U16(1).U16(32).U32(0)
      .U32(22)
      .Get();
}

// An enhanced metafile header whose frame is w x h hundredths of a mm.
std::vector<uint8_t> MakeEmf(int w, int h) {
  TBytes b;
  b.U32(1).U32(88).I32(0).I32(0).I32(10).I32(10).I32(0).I32(0).I32(w).I32(h).U32(0x464D4520);
  b.Fill(88 - b.Size(), 0);
  return b.Get();
}

// A placeable metafile: bounding box w x h logical units, `inch` per inch.
std::vector<uint8_t> MakeWmf(int w, int h, int inch) {
  return TBytes().U32(0x9AC6CDD7).U16(0).U16(0).U16(0).U16(w).U16(h).U16(inch).U32(0).U16(0).Fill(18, 0).Get();
}

// ---------------------------------------------------------------- items

// Every field of a block set from a running byte pattern, so that each
// byte of the stored block differs.
template <class F>
void FillFields(F& fields, uint8_t seed) {
  uint8_t pattern[64];
  for (int i = 0; i < 64; ++i) pattern[i] = static_cast<uint8_t>(seed + i);
  TBlockIO b = TBlockIO::Reader(pattern, sizeof pattern);
  fields.Visit(b);
}

// Fills every field and section of a page object of any kind.
void FillItem(TQSItem& item, uint8_t seed) {
  if (auto* t = dynamic_cast<TQSText*>(&item)) {
    FillFields(t->Fields, seed);
    t->FontName = "Times New Roman";
    t->Lines = {"first line", "", "\xC3\xA9t\xC3\xA9 \xE6\xBC\xA2\xE5\xAD\x97 \xF0\x9F\x8E\xB5"};
  } else if (auto* m = dynamic_cast<TQSPageMark*>(&item)) {
    FillFields(m->Fields, seed);
    m->FontName = "Courier New";
  } else if (auto* i = dynamic_cast<TQSImage*>(&item)) {
    FillFields(i->Fields, seed);
    i->Picture.LoadFromBytes(TQSGraphicType::Bitmap, MakeBmp(3, 2));
  } else if (auto* l = dynamic_cast<TQSLine*>(&item)) {
    FillFields(l->Fields, seed);
  } else if (auto* r = dynamic_cast<TQSRectangle*>(&item)) {
    FillFields(r->Fields, seed);
  } else if (auto* a = dynamic_cast<TQSArc*>(&item)) {
    FillFields(a->Fields, seed);
  }
  item.BlockSurplus = {0xF1, 0xF2};
}

std::vector<uint8_t> Record(const TQSItem& item) {
  TMemoryStream s;
  item.SaveToStream(s);
  return s.Bytes();
}

uint16_t U16At(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }

struct TKindCase {
  TQSItemType kind;
  const char* className;
  int blockSize;
  int sections;
  int pageOffset;  // of the page number within the block
};
const TKindCase kKinds[] = {
    {200, "TQSText", 24, 3, 8},      {201, "TQSImage", 12, 2, 8},    {202, "TQSLine", 17, 1, 8},
    {203, "TQSRectangle", 25, 1, 8}, {204, "TQSRectangle", 25, 1, 8}, {205, "TQSArc", 33, 1, 16},
    {206, "TQSArc", 33, 1, 16},      {207, "TQSArc", 33, 1, 16},      {215, "TQSPageMark", 24, 2, 10},
};

}  // namespace

TEST(PageObjects, EveryKindRoundTripsByteForByte) {
  for (const auto& c : kKinds) {
    SCOPED_TRACE(c.kind);
    TTestOwner owner;
    TQSItem* item = CreateItemByKind(c.kind, &owner);
    ASSERT_NE(item, nullptr);
    EXPECT_STREQ(item->ClassName(), c.className);
    EXPECT_EQ(item->ItemType, c.kind);
    EXPECT_EQ(owner.Items.Count(), 1);
    FillItem(*item, 1);

    std::vector<uint8_t> first = Record(*item);
    EXPECT_EQ(static_cast<size_t>(first[0] | first[1] << 8), first.size() - 4);
    EXPECT_EQ(U16At(first, 4), c.sections);
    EXPECT_EQ(U16At(first, 6), c.blockSize + 2);  // with the two surplus bytes
    EXPECT_EQ(item->PageNumber(), U16At(first, 8 + static_cast<size_t>(c.pageOffset)));
    EXPECT_EQ(item->PageNumber(), (1 + c.pageOffset) | (2 + c.pageOffset) << 8);
    EXPECT_EQ(item->TimePosition(), -1);
    EXPECT_EQ(item->StaffVoice(), -1);

    TMemoryStream s;
    WriteItem(s, *item);
    s.SetPosition(0);
    TTestOwner readBack;
    TQSItem* copy = ReadItem(s, &readBack);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->ItemType, c.kind);
    EXPECT_EQ(Record(*copy), first);
    EXPECT_EQ(s.Remaining(), 0);
  }
}

TEST(PageObjects, AssignCopiesAndMeasuresTextsAgain) {
  for (const auto& c : kKinds) {
    SCOPED_TRACE(c.kind);
    TTestOwner owner;
    TQSItem* src = CreateItemByKind(c.kind, &owner);
    FillItem(*src, 40);
    std::vector<uint8_t> before = Record(*src);
    TQSItem* copy = CreateItemByKind(c.kind == 203 ? 204 : c.kind, &owner);
    copy->Assign(*src);
    EXPECT_EQ(Record(*src), before);  // the source keeps its measured size
    if (auto* t = dynamic_cast<TQSText*>(copy)) {
      EXPECT_EQ(t->Fields.Width, 0);
      EXPECT_EQ(t->Fields.Height, 0);
      t->Fields.Width = static_cast<TQSText*>(src)->Fields.Width;
      t->Fields.Height = static_cast<TQSText*>(src)->Fields.Height;
    }
    if (auto* m = dynamic_cast<TQSPageMark*>(copy)) {
      EXPECT_EQ(m->Fields.Width, 0);
      EXPECT_EQ(m->Fields.Height, 0);
      m->Fields.Width = static_cast<TQSPageMark*>(src)->Fields.Width;
      m->Fields.Height = static_cast<TQSPageMark*>(src)->Fields.Height;
    }
    EXPECT_EQ(Record(*copy), before);
    if (c.kind == 203) {
      EXPECT_EQ(copy->ItemType, 204);  // the kind stays the copy's own
    }
  }
  TQSText text(nullptr);
  TQSLine line(nullptr);
  try {
    text.Assign(line);
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TQSLine to a TQSText");
  }
}

TEST(PageObjects, TextLines) {
  TQSText text(nullptr);
  text.Lines = {"\xCE\xA9 \xE2\x82\xAC \xF0\x9D\x84\x9E"};  // outside any ANSI code page, with a surrogate pair
  TMemoryStream s;
  text.SaveToStream(s);
  s.SetPosition(0);
  TQSText read(nullptr);
  read.Lines = {"replaced"};
  read.LoadFromStream(s);
  EXPECT_EQ(read.Lines, text.Lines);
  EXPECT_EQ(read.FontName, "");

  // Assign appends copies of the source's lines to those already there.
  TQSText copy(nullptr);
  copy.Lines = {"mine"};
  copy.Assign(text);
  EXPECT_EQ(copy.Lines.size(), 2u);
  copy.ClearLines();
  EXPECT_TRUE(copy.Lines.empty());

  const struct {
    uint8_t align;
    TQSText::TAlignment expected;
  } aligns[] = {{0x00, TQSText::TAlignment::Left},
                {0x10, TQSText::TAlignment::Center},
                {0x2F, TQSText::TAlignment::Right},
                {0x30, TQSText::TAlignment::Left}};
  for (const auto& a : aligns) {
    text.Fields.Align = a.align;
    EXPECT_EQ(text.Alignment(), a.expected) << int(a.align);
  }
}

TEST(PageObjects, NewArcHasItsPointsAtTheBoxCorners) {
  TQSArc arc(nullptr);
  EXPECT_EQ(arc.Fields.AX, arc.Fields.X);
  EXPECT_EQ(arc.Fields.BX, arc.Fields.X + arc.Fields.Width);
  EXPECT_EQ(arc.Fields.BY, arc.Fields.Y + arc.Fields.Height);
  EXPECT_EQ(arc.ItemType, 0);  // left to the factory
}

TEST(Pictures, SizesOfEachFormat) {
  const int savedPpi = ScreenPixelsPerInch();
  SetScreenPixelsPerInch(96);
  const struct {
    const char* name;
    TQSGraphicType type;
    std::vector<uint8_t> bytes;
    int width, height;
  } cases[] = {
      {"bmp", TQSGraphicType::Bitmap, MakeBmp(5, 3), 5, 3},
      {"bmp top-down", TQSGraphicType::Bitmap, MakeBmp(4, -7), 4, 7},
      {"bmp core header", TQSGraphicType::Bitmap, MakeBmp(6, 2, 12), 6, 2},
      {"gif", TQSGraphicType::Gif, MakeGif(9, 4), 9, 4},
      {"jpeg", TQSGraphicType::Jpeg, MakeJpeg(11, 6), 11, 6},
      {"icon", TQSGraphicType::Icon, MakeIcon(32, 0), 32, 256},
      {"emf", TQSGraphicType::Metafile, MakeEmf(2540, 1270), 96, 48},
      {"wmf", TQSGraphicType::Metafile, MakeWmf(1440, 720, 1440), 96, 48},
      // Damaged or of the wrong type: kept, size unknown.
      {"bmp signature", TQSGraphicType::Bitmap, std::vector<uint8_t>{'X', 'M', 0, 0}, 0, 0},
      {"jpeg garbage", TQSGraphicType::Jpeg, std::vector<uint8_t>{0xFF, 0xD8, 0xFF, 0x00, 1, 2, 3}, 0, 0},
      {"jpeg holding a gif", TQSGraphicType::Jpeg, MakeGif(2, 2), 0, 0},
      {"gif truncated", TQSGraphicType::Gif, std::vector<uint8_t>{'G', 'I', 'F', '8', '9', 'a', 1}, 0, 0},
      {"empty gif", TQSGraphicType::Gif, {}, 0, 0},
      {"plain wmf", TQSGraphicType::Metafile, std::vector<uint8_t>(40, 1), 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TQSImage image(nullptr);
    image.Picture.LoadFromBytes(c.type, c.bytes);
    EXPECT_EQ(image.Picture.Width(), c.width);
    EXPECT_EQ(image.Picture.Height(), c.height);

    // The record holds the graphic's own bytes behind the 8-byte header.
    std::vector<uint8_t> rec = Record(image);
    ASSERT_EQ(rec.size(), 4 + 2 + 2 + 12 + 8 + c.bytes.size());
    EXPECT_EQ(std::vector<uint8_t>(rec.begin() + 20, rec.begin() + 28),
              TBytes().U16(1).U16(static_cast<int>(c.type)).I32(static_cast<int32_t>(c.bytes.size())).Get());
    EXPECT_EQ(std::vector<uint8_t>(rec.begin() + 28, rec.end()), c.bytes);

    TMemoryStream s(rec);
    TQSImage read(nullptr);
    read.LoadFromStream(s);
    EXPECT_EQ(read.Picture.GraphicType(), c.type);
    EXPECT_EQ(read.Picture.Width(), c.width);
    EXPECT_EQ(Record(read), rec);
  }
  SetScreenPixelsPerInch(savedPpi);
}

TEST(Pictures, ImageWithoutPictureAndUnknownTypes) {
  TQSImage empty(nullptr);
  std::vector<uint8_t> rec = Record(empty);
  EXPECT_EQ(rec.size() - 4, 2u + 2 + 12 + 8u);
  EXPECT_EQ(std::vector<uint8_t>(rec.end() - 8, rec.end()), TBytes().U16(1).U16(0).I32(0).Get());

  // Type 261 and a marker other than 1 leave the image empty; the data is
  // skipped with the record and the next record reads normally.
  TQSLine next(nullptr);
  next.Fields.Color = 0x00ABCDEF;
  for (auto [marker, type] : {std::pair{1, 261}, std::pair{2, 258}, std::pair{1, 0}}) {
    SCOPED_TRACE(type);
    TBytes b;
    b.Record(TBytes().U16(2).U16(12).Fill(12, 0).U16(marker).U16(type).I32(4).U32(0x01020304));
    b.U8(kind::Line).Raw(Record(next));
    TMemoryStream s = b.Stream();
    TQSImage image(nullptr);
    image.Picture.LoadFromBytes(TQSGraphicType::Gif, MakeGif(1, 1));
    image.LoadFromStream(s);
    EXPECT_TRUE(image.Picture.Empty());
    TTestOwner owner;
    TQSItem* item = ReadItem(s, &owner);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(static_cast<TQSLine*>(item)->Fields.Color, 0x00ABCDEFu);
  }
}

TEST(Pictures, ByteCountBeyondTheRecordKeepsThePicture) {
  const std::vector<uint8_t> gif = MakeGif(3, 3);
  for (int32_t count : {-1, 5, 1 << 30}) {
    SCOPED_TRACE(count);
    TBytes b;
    b.Record(TBytes().U16(2).U16(12).Fill(12, 7).U16(1).U16(258).I32(count).U32(0));
    b.Record(TBytes().U16(1).U16(12).Fill(12, 9)).Fill(64, 0xEE);  // enough bytes after it to be tempting
    TMemoryStream s = b.Stream();
    TQSImage image(nullptr);
    image.Picture.LoadFromBytes(TQSGraphicType::Gif, gif);
    image.LoadFromStream(s);
    EXPECT_EQ(image.Picture.GraphicType(), TQSGraphicType::Gif);
    EXPECT_EQ(image.Picture.Data(), gif);
    EXPECT_EQ(image.Fields.X, 0x0707);  // what was read before the damage stays
    TQSImage second(nullptr);
    second.LoadFromStream(s);
    EXPECT_EQ(second.Fields.X, 0x0909);
  }
}

TEST(PageObjects, SectionsRunningPastTheirRecordChangeNothing) {
  // A field block size, a font name and a line count larger than what is
  // left of the record: the record stops there and the next one is read.
  TQSPageMark nextMark(nullptr);
  nextMark.FontName = "next";
  const std::vector<uint8_t> tail = TBytes().Raw(Record(nextMark)).Fill(300, 0x41).Get();
  const TBytes damaged[] = {
      TBytes().Record(TBytes().U16(2).U16(200).Fill(24, 5)),
      TBytes().Record(TBytes().U16(2).U16(24).Fill(24, 5).U16(40).Raw({'a', 'b'})),
  };
  for (const auto& d : damaged) {
    TMemoryStream s = TBytes().Raw(d.Get()).Raw(tail).Stream();
    TQSPageMark mark(nullptr);
    mark.FontName = "mine";
    mark.LoadFromStream(s);
    EXPECT_EQ(mark.FontName, "mine");
    TQSPageMark second(nullptr);
    second.LoadFromStream(s);
    EXPECT_EQ(second.FontName, "next");
  }
  TMemoryStream s = TBytes().Record(TBytes().U16(3).U16(24).Fill(24, 5).U16(3).U16(1).U16('a')).Raw(tail).Stream();
  TQSText text(nullptr);
  text.Lines = {"kept"};
  text.LoadFromStream(s);
  EXPECT_EQ(text.Lines, std::vector<std::string>{"kept"});
  EXPECT_EQ(text.Fields.X, 0x0505);
}

TEST(UserSymbols, RecordOfThreeLines) {
  TQSUserSymbol symbol;
  symbol.Fields.First = -2;
  symbol.Fields.Second = 300;
  TTestOwner source;
  for (int i = 0; i < 3; ++i) {
    auto* line = new TQSLine(&source);
    line->Fields.X2 = static_cast<int16_t>(i);
  }
  symbol.CopyItems(source.Items);
  ASSERT_EQ(symbol.Items.Count(), 3);
  for (TQSItem* item : symbol.Items) {
    EXPECT_EQ(item->Owner(), &symbol);
    EXPECT_EQ(item->IndexInOwner(), -1);
  }

  TBytes body;
  body.U16(2).U16(4).U16(-2).U16(300).U16(3);
  for (TQSItem* item : symbol.Items) body.U8(kind::Line).Raw(Record(*item));
  TMemoryStream s;
  symbol.SaveToStream(s);
  EXPECT_EQ(s.Bytes(), TBytes().Record(body).Get());

  // Reading appends to the items the symbol already has.
  s.SetPosition(0);
  symbol.LoadFromStream(s);
  ASSERT_EQ(symbol.Items.Count(), 6);
  EXPECT_EQ(static_cast<TQSLine*>(symbol.Items[5])->Fields.X2, 2);

  // Deleting an item takes it out of the symbol.
  delete symbol.Items[0];
  EXPECT_EQ(symbol.Items.Count(), 5);
  symbol.Clear();
  EXPECT_EQ(symbol.Items.Count(), 0);
}

TEST(UserSymbols, EveryKindUnknownKindsAndDamage) {
  // A symbol holding every page-object kind, fully filled, round trips.
  TQSUserSymbol symbol;
  TTestOwner source;
  for (const auto& c : kKinds) FillItem(*CreateItemByKind(c.kind, &source), c.kind);
  TQSLine stray(nullptr);
  stray.ItemType = 99;  // a kind the factory does not know is not copied
  std::vector<TQSItem*> items(source.Items.begin(), source.Items.end());
  items.push_back(&stray);
  symbol.CopyItems(items);
  ASSERT_EQ(symbol.Items.Count(), static_cast<int>(std::size(kKinds)));
  TMemoryStream s;
  symbol.SaveToStream(s);
  s.SetPosition(0);
  TQSUserSymbol read;
  read.LoadFromStream(s);
  TMemoryStream again;
  read.SaveToStream(again);
  EXPECT_EQ(again.Bytes(), s.Bytes());

  // Unknown kinds are skipped by their record length; an item count larger
  // than the record holds stops at the record's end.
  TBytes body;
  body.U16(2).U16(4).U16(1).U16(2).U16(5);
  body.U8(99).Record(TBytes().U16(1).U16(0));
  body.U8(kind::Line).Raw(Record(stray));
  TQSPageMark next(nullptr);
  next.FontName = "after";
  TMemoryStream damaged = TBytes().Record(body).Raw(Record(next)).Fill(100, 0).Stream();
  TQSUserSymbol partial;
  partial.LoadFromStream(damaged);
  EXPECT_EQ(partial.Fields.Second, 2);
  EXPECT_EQ(partial.Items.Count(), 1);
  TQSPageMark after(nullptr);
  after.LoadFromStream(damaged);
  EXPECT_EQ(after.FontName, "after");
}

TEST(PageObjects, DamagedStreamsReadWithoutCrashing) {
  // A stream of every kind, a user symbol and a page format; each
  // truncation and a few thousand random byte flips must read (or fail
  // with the program's own error) without crash or hang.
  TTestOwner owner;
  for (const auto& c : kKinds) FillItem(*CreateItemByKind(c.kind, &owner), c.kind);
  FillItem(*CreateItemByKind(kind::Image, &owner), 3);  // a bitmap
  static_cast<TQSImage*>(owner.Items[1])->Picture.LoadFromBytes(TQSGraphicType::Jpeg, MakeJpeg(4, 4));
  TQSUserSymbol symbol;
  symbol.CopyItems(owner.Items);
  static_cast<TQSImage*>(symbol.Items[1])->Picture.LoadFromBytes(TQSGraphicType::Gif, MakeGif(4, 4));
  TQSPage page;
  TMemoryStream s;
  WriteItemList(s, owner.Items);
  symbol.SaveToStream(s);
  page.SaveToStream(s);
  const std::vector<uint8_t> good = s.Bytes();

  auto readAll = [](const std::vector<uint8_t>& bytes) {
    TMemoryStream in(bytes);
    TTestOwner o;
    TQSUserSymbol u;
    TQSPage p;
    try {
      ReadItemList(in, &o);
      u.LoadFromStream(in);
      p.LoadFromStream(in);
    } catch (const Exception&) {
    }
    // Whatever was read writes out again.
    TMemoryStream out;
    WriteItemList(out, o.Items);
    u.SaveToStream(out);
  };
  for (size_t n = 0; n <= good.size(); ++n) readAll(std::vector<uint8_t>(good.begin(), good.begin() + n));
  std::mt19937 random(12345);
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> bytes = good;
    int flips = 1 + static_cast<int>(random() % 4);
    for (int f = 0; f < flips; ++f) bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
    readAll(bytes);
  }
}
