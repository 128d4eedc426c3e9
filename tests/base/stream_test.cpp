#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "base/exceptions.h"
#include "base/stream.h"

using namespace qs;

namespace {
std::array<uint8_t, 10> Bytes(uint64_t mant, uint16_t signExp) {
  std::array<uint8_t, 10> b{};
  for (int i = 0; i < 8; ++i) b[i] = static_cast<uint8_t>(mant >> (8 * i));
  b[8] = static_cast<uint8_t>(signExp);
  b[9] = static_cast<uint8_t>(signExp >> 8);
  return b;
}
}  // namespace

TEST(Stream, LittleEndianIntegersAndFloats) {
  TMemoryStream s;
  s.WriteU16(0x1234);
  s.WriteI32(-2);
  s.WriteU64(0x0102030405060708ull);
  s.WriteF32(1.5f);
  s.WriteF64(-0.25);
  const std::vector<uint8_t> head = {0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 8, 7, 6, 5, 4, 3, 2, 1};
  ASSERT_GE(s.Size(), 14);
  EXPECT_TRUE(std::equal(head.begin(), head.end(), s.Bytes().begin()));
  s.SetPosition(0);
  EXPECT_EQ(s.ReadU16(), 0x1234);
  EXPECT_EQ(s.ReadI32(), -2);
  EXPECT_EQ(s.ReadU64(), 0x0102030405060708ull);
  EXPECT_EQ(s.ReadF32(), 1.5f);
  EXPECT_EQ(s.ReadF64(), -0.25);
  EXPECT_EQ(s.Remaining(), 0);
}

TEST(Stream, ReadPastTheEndRaises) {
  TMemoryStream s(std::vector<uint8_t>{1, 2, 3});
  EXPECT_THROW(s.ReadU32(), EReadError);
  s.SetPosition(2);
  EXPECT_EQ(s.ReadU8(), 3);
  EXPECT_THROW(s.ReadU8(), EReadError);
  s.SetPosition(0);
  // A huge count is refused before anything is allocated.
  EXPECT_THROW(s.ReadBytes(size_t(1) << 40), EReadError);
  try {
    s.SetPosition(3);
    s.ReadU16();
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), "Stream read error");
  }
}

TEST(Extended, ValuesRoundTripBitExact) {
  const long double values[] = {0.0L, 1.0L, -2.5L, std::numeric_limits<long double>::max(),
                                std::numeric_limits<long double>::min(), 2100.0L, 297.0L / 7};
  for (long double v : values) {
    TMemoryStream s;
    s.WriteExtended(Extended(v));
    ASSERT_EQ(s.Size(), 10);
    s.SetPosition(0);
    Extended e = s.ReadExtended();
    EXPECT_EQ(e.Value(), v);
    EXPECT_EQ(std::memcmp(e.Bytes().data(), s.Memory(), 10), 0);
  }
}

TEST(Extended, KnownEncodings) {
  EXPECT_EQ(Extended::Encode(1.0L), Bytes(0x8000000000000000ull, 0x3FFF));
  EXPECT_EQ(Extended::Encode(-2.5L), Bytes(0xA000000000000000ull, 0xC000));
  EXPECT_EQ(Extended::Encode(0.0L), Bytes(0, 0));
  // Largest and smallest normal numbers of the format.
  EXPECT_EQ(Extended::Encode(std::numeric_limits<long double>::max()), Bytes(~0ull, 0x7FFE));
  EXPECT_EQ(Extended::Encode(std::numeric_limits<long double>::min()), Bytes(0x8000000000000000ull, 0x0001));
  // All 64 significand bits in use survive the hand conversion.
  auto all = Bytes(0xFFFFFFFFFFFFFFFFull, 0x3FFF);
  EXPECT_EQ(Extended::Encode(Extended::Decode(all)), all);
}

TEST(Extended, StrangeBitPatternsAreWrittenBackAsRead) {
  // An unnormal (integer bit clear) and a NaN with a payload: whatever a
  // damaged file holds is kept bit for bit.
  for (auto raw : {Bytes(0x1234, 0x4000), Bytes(0xC000000000000123ull, 0xFFFF)}) {
    TMemoryStream in(std::vector<uint8_t>(raw.begin(), raw.end()));
    Extended e = in.ReadExtended();
    TMemoryStream out;
    out.WriteExtended(e);
    EXPECT_EQ(out.Bytes(), std::vector<uint8_t>(raw.begin(), raw.end()));
  }
}

TEST(Stream, FileStreamWritesSeeksAndReads) {
  std::string name = testing::TempDir() + std::to_string(::getpid()) + "stream_test.bin";
  {
    TFileStream f(name, FileMode::Create);
    f.WriteI32(0);
    f.WriteU16(7);
    int64_t end = f.Position();
    f.SetPosition(0);
    f.WriteI32(static_cast<int32_t>(end - 4));
    f.Seek(0, SeekOrigin::End);
    EXPECT_EQ(f.Size(), 6);
  }
  TFileStream f(name, FileMode::OpenRead);
  EXPECT_EQ(f.ReadI32(), 2);
  EXPECT_EQ(f.ReadU16(), 7);
  EXPECT_THROW(f.ReadU8(), EReadError);
  EXPECT_THROW(TFileStream("/nonexistent/dir/x", FileMode::OpenRead), EFOpenError);
}
