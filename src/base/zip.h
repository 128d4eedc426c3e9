#pragma once
// Reading ZIP archives and raw DEFLATE data (unpacked by zlib), as compressed documents of
// other programs come. The archive is untrusted input: every offset, size,
// count and back-reference is checked against the data before it is used,
// nothing larger than kMaxUnpackedSize is unpacked, and every unpacked entry
// is checked against its CRC-32. Whatever is wrong raises an EZipError that
// says what.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/exceptions.h"

namespace qs {

class TStream;

// The most an entry may hold unpacked (and its packed data may take).
constexpr uint64_t kMaxUnpackedSize = uint64_t{256} << 20;

class EZipError : public EReadError {
 public:
  using EReadError::EReadError;
};

// The CRC-32 of the bytes (the checksum of ZIP and PNG), continued from an
// earlier result.
uint32_t Crc32(const void* data, size_t size, uint32_t crc = 0);

// Unpacks raw DEFLATE data that must give exactly unpackedSize bytes (at
// most kMaxUnpackedSize).
std::vector<uint8_t> Inflate(const uint8_t* data, size_t size, size_t unpackedSize);

// True when the stream, from its position, begins as a ZIP archive does
// (the stream is left where it was).
bool BeginsAsZipArchive(TStream& stream);

// The directory of an archive that starts at the stream's position and
// ends with the stream; entries are unpacked one at a time.
class TZipArchive {
 public:
  struct TEntry {
    std::string Name;  // the stored path, "/" between folders
    uint16_t Flags = 0;
    uint16_t Method = 0;
    uint32_t Crc = 0;
    uint64_t PackedSize = 0;
    uint64_t Size = 0;
    uint64_t HeaderOffset = 0;  // of the entry's local header
  };

  // Reads the directory; the stream must outlive the archive.
  explicit TZipArchive(TStream& stream);

  const std::vector<TEntry>& Entries() const { return entries_; }
  // The entry of that path (ASCII case ignored); nullptr when none.
  const TEntry* Find(std::string_view name) const;
  // The entry's bytes, unpacked and checked.
  std::vector<uint8_t> Extract(const TEntry& entry) const;

 private:
  std::vector<uint8_t> ReadAt(uint64_t offset, uint64_t count, const std::string& what) const;
  void ReadDirectory();

  TStream& stream_;
  uint64_t start_ = 0;  // where the archive begins in the stream
  uint64_t size_ = 0;   // its length
  std::vector<TEntry> entries_;
};

}  // namespace qs
