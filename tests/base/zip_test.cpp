#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "base/stream.h"
#include "base/zip.h"

namespace qs {
namespace {

// The fixtures come from Python's zlib and zipfile (tests/data/zip/make_fixtures.py).
std::vector<uint8_t> Fixture(const std::string& name) {
  std::ifstream f(std::string(QS_TEST_DATA_DIR) + "/" + name, std::ios::binary);
  EXPECT_TRUE(f) << name;
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::string ErrorOf(const std::vector<uint8_t>& data, size_t size) {
  try {
    Inflate(data.data(), data.size(), size);
  } catch (const EZipError& e) {
    return e.what();
  }
  return "no error";
}

TEST(Zip, Crc32) {
  const std::string digits = "123456789";
  EXPECT_EQ(Crc32(digits.data(), digits.size()), 0xCBF43926u);
  EXPECT_EQ(Crc32(digits.data() + 4, 5, Crc32(digits.data(), 4)), 0xCBF43926u);
  EXPECT_EQ(Crc32(nullptr, 0), 0u);
}

TEST(Zip, InflatesWhatZlibWrites) {
  const struct {
    const char* File;
    size_t Size;
    uint32_t Crc;
  } kCases[] = {
      {"stored.deflate", 300, 0xB11E2880},    // one stored block
      {"fixed.deflate", 114, 0x531E338D},     // fixed codes
      {"dynamic.deflate", 4577, 0x78B32548},  // codes of the block's own
      {"far.deflate", 33000, 0x90D8D628},     // copies from 32000 bytes back, and of 258 bytes
      {"empty.deflate", 0, 0x00000000},
      {"flushed.deflate", 4577, 0x78B32548},  // two blocks with an empty stored one between
      {"mixed.deflate", 4, 0xED82CD11},       // fixed, stored from the next byte on, fixed
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.File);
    const std::vector<uint8_t> packed = Fixture(std::string("zip/") + c.File);
    const std::vector<uint8_t> data = Inflate(packed.data(), packed.size(), c.Size);
    EXPECT_EQ(data.size(), c.Size);
    EXPECT_EQ(Crc32(data.data(), data.size()), c.Crc);
  }
}

TEST(Zip, DamagedDataAreRefused) {
  std::vector<uint8_t> cut = Fixture("zip/dynamic.deflate");
  cut.resize(cut.size() / 2);
  const std::vector<uint8_t> fixed = Fixture("zip/fixed.deflate");
  const struct {
    const char* Name;
    std::vector<uint8_t> Data;
    size_t Size;
    const char* Message;
  } kCases[] = {
      {"cut short", cut, 4577, "end early"},
      {"more than stated", fixed, 113, "more than their stated size"},
      {"less than stated", fixed, 115, "less than their stated size"},
      {"copy before the start", {0x03, 0x02, 0x00}, 3, "back-reference reaches before the start"},
      {"block type 3", {0x07}, 1, "block of unknown type"},
      {"stored length check", {0x01, 0x05, 0x00, 0x00, 0x00}, 5, "does not match its check"},
      {"stored block cut short", {0x01, 0x05, 0x00, 0xFA, 0xFF, 'a'}, 5, "end early"},
      {"over-full code", {0x05, 0xE0, 0x93, 0x24, 0x49, 0x92, 0x24, 0x49, 0x92, 0x00}, 1, "more codes than"},
      {"distance code 30", {0x4B, 0x04, 0x3E, 0x00}, 4, "distance code stands that does not exist"},
      {"length code 286", {0x1B, 0x03, 0x00}, 1, "length code stands that does not exist"},
      {"repeat before the first", {0x05, 0x00, 0x02, 0x24}, 1, "repeats the one before the first"},
      {"unused bit pattern", {0x05, 0x00, 0x00, 0xE4, 0xFF, 0x1F}, 1, "no table holds"},
      {"beyond the bound", fixed, size_t{kMaxUnpackedSize + 1}, "larger than can be unpacked"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.Name);
    const std::string error = ErrorOf(c.Data, c.Size);
    EXPECT_NE(error.find(c.Message), std::string::npos) << error;
  }
}

// An archive of entries with data descriptors, one of them empty, read
// from the middle of a stream.
TEST(Zip, ArchiveEntriesUnpackWhole) {
  const std::vector<uint8_t> song = Fixture("musicxml/song.xml");
  std::vector<uint8_t> bytes = {'h', 'e', 'a', 'd'};
  const std::vector<uint8_t> archive = Fixture("zip/song.mxl");
  bytes.insert(bytes.end(), archive.begin(), archive.end());
  TMemoryStream s(bytes);
  s.SetPosition(4);
  ASSERT_TRUE(BeginsAsZipArchive(s));
  const TZipArchive zip(s);
  std::vector<std::string> names;
  for (const auto& e : zip.Entries()) {
    names.push_back(e.Name);
    EXPECT_TRUE(e.Flags & 8) << e.Name;  // sizes only in the data descriptor and the directory
  }
  EXPECT_EQ(names, (std::vector<std::string>{"mimetype", "META-INF/container.xml", "scores/empty.txt",
                                             "scores/other.musicxml", "scores/song.musicxml"}));
  const std::vector<uint8_t> type = zip.Extract(*zip.Find("mimetype"));
  EXPECT_EQ(std::string(type.begin(), type.end()), "application/vnd.recordare.musicxml");
  EXPECT_TRUE(zip.Extract(*zip.Find("Scores/Empty.txt")).empty());
  EXPECT_EQ(zip.Extract(*zip.Find("scores/song.musicxml")), song);
  EXPECT_EQ(zip.Find("song.musicxml"), nullptr);

  // Sizes and offsets in the 64-bit records.
  TMemoryStream wide(Fixture("zip/zip64.mxl"));
  const TZipArchive zip64(wide);
  ASSERT_EQ(zip64.Entries().size(), 1u);
  EXPECT_EQ(zip64.Extract(zip64.Entries()[0]), song);

  TMemoryStream text(std::vector<uint8_t>{'<', '?', 'x', 'm'});
  EXPECT_FALSE(BeginsAsZipArchive(text));
}

// Damage anywhere, cut or changed bytes, is reported as such: nothing is
// read outside the data (the sanitizer build watches) and no other error
// escapes.
TEST(Zip, DamageAnywhereGivesTheArchiveError) {
  const std::vector<uint8_t> archive = Fixture("zip/song.mxl");
  const std::vector<uint8_t> packed = Fixture("zip/dynamic.deflate");
  const auto unpackAll = [](std::vector<uint8_t> bytes) {
    TMemoryStream s(std::move(bytes));
    try {
      const TZipArchive zip(s);
      for (const auto& e : zip.Entries()) zip.Extract(e);
    } catch (const EZipError&) {
    }
  };
  const auto inflate = [](const std::vector<uint8_t>& bytes) {
    try {
      Inflate(bytes.data(), bytes.size(), 4577);
    } catch (const EZipError&) {
    }
  };
  for (size_t n = 0; n < archive.size(); ++n) unpackAll({archive.begin(), archive.begin() + static_cast<long>(n)});
  for (size_t n = 0; n < packed.size(); ++n) inflate({packed.begin(), packed.begin() + static_cast<long>(n)});
  std::mt19937 random(11);
  for (int round = 0; round < 4000; ++round) {
    std::vector<uint8_t> a = archive, p = packed;
    for (int k = 1 + static_cast<int>(random() % 3); k > 0; --k) {
      a[random() % a.size()] = static_cast<uint8_t>(random());
      p[random() % p.size()] = static_cast<uint8_t>(random());
    }
    unpackAll(std::move(a));
    inflate(p);
  }
}

}  // namespace
}  // namespace qs
