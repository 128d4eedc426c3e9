#include "base/zip.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <string_view>
#include <utility>

#include "base/stream.h"
#include "base/strings.h"

namespace qs {

namespace {

// ----------------------------------------------------------------- inflate

[[noreturn]] void DataDamaged(const char* what) {
  throw EZipError(std::string("The compressed data are damaged: ") + what);
}

// No code is shorter than a bit, no copy longer than 258 bytes: a claimed
// size beyond that is not believed before the data bear it out.
constexpr size_t kMaxExpansion = 258 * 4;  // bytes out per byte in, at most
constexpr size_t kOutputStep = size_t{1} << 20;

// zlib gives one message for a code table with too many codes and for one
// with unused bit patterns.
constexpr const char* kBadCodeTable =
    "a code table has more codes than bit patterns, or bit patterns that no table holds";

// What zlib's message for damaged data means, in the program's words.
const char* DamageOf(const char* zlibMessage) {
  static const std::pair<std::string_view, const char*> kMeanings[] = {
      {"invalid block type", "a block of unknown type"},
      {"invalid stored block lengths", "a stored block's length does not match its check"},
      {"too many length or distance symbols", "a block has more codes than there are"},
      {"invalid code lengths set", kBadCodeTable},
      {"invalid literal/lengths set", kBadCodeTable},
      {"invalid distances set", kBadCodeTable},
      {"invalid bit length repeat",
       "a code length repeats the one before the first, or more code lengths stand than the block has codes"},
      {"invalid code -- missing end-of-block", "a block has no end code"},
      {"invalid literal/length code", "a length code stands that does not exist"},
      {"invalid distance code", "a distance code stands that does not exist"},
      {"invalid distance too far back", "a back-reference reaches before the start of the data"},
  };
  const std::string_view message = zlibMessage ? zlibMessage : "";
  for (const auto& [zlib, meaning] : kMeanings)
    if (message == zlib) return meaning;
  return "they are not DEFLATE data";
}

// Raw DEFLATE data unpacked by zlib, into at most `limit` bytes.
class TInflater {
 public:
  TInflater() {
    if (inflateInit2(&stream_, -MAX_WBITS) != Z_OK) throw EZipError("The compressed data cannot be unpacked");
  }
  ~TInflater() { inflateEnd(&stream_); }
  TInflater(const TInflater&) = delete;
  TInflater& operator=(const TInflater&) = delete;

  std::vector<uint8_t> Run(const uint8_t* data, size_t size, size_t limit) {
    std::vector<uint8_t> out;
    out.reserve(std::min<size_t>(limit, size * kMaxExpansion));
    stream_.next_in = const_cast<Bytef*>(data);
    size_t unread = size;
    // The buffer is given one byte more than the stated size, so that data
    // that hold more are caught rather than cut.
    for (;;) {
      const size_t filled = out.size();
      const size_t room = std::min(limit + 1 - filled, std::max(kOutputStep, out.capacity() - filled));
      out.resize(filled + room);
      const auto inChunk = static_cast<uInt>(std::min<size_t>(unread, UINT_MAX));
      const auto outChunk = static_cast<uInt>(std::min<size_t>(room, UINT_MAX));
      stream_.avail_in = inChunk;
      stream_.next_out = out.data() + filled;
      stream_.avail_out = outChunk;
      const int result = inflate(&stream_, Z_NO_FLUSH);
      unread -= inChunk - stream_.avail_in;
      out.resize(filled + (outChunk - stream_.avail_out));
      if (out.size() > limit) DataDamaged("they hold more than their stated size");
      if (result == Z_STREAM_END) break;
      if (result == Z_DATA_ERROR) DataDamaged(DamageOf(stream_.msg));
      if (result == Z_MEM_ERROR) throw EZipError("There is not enough memory to unpack the compressed data");
      if (result != Z_OK && result != Z_BUF_ERROR) DataDamaged(DamageOf(stream_.msg));
      if (unread == 0 && stream_.avail_out != 0) DataDamaged("they end early");
    }
    if (out.size() != limit) DataDamaged("they hold less than their stated size");
    return out;
  }

 private:
  z_stream stream_{};
};

// ----------------------------------------------------------------- archive

constexpr uint32_t kLocalHeaderSig = 0x04034B50;
constexpr uint32_t kCentralHeaderSig = 0x02014B50;
constexpr uint32_t kEndSig = 0x06054B50;
constexpr uint32_t kEnd64Sig = 0x06064B50;
constexpr uint32_t kEnd64LocatorSig = 0x07064B50;
constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kEndSize = 22;
constexpr size_t kEnd64Size = 56;
constexpr size_t kEnd64LocatorSize = 20;
constexpr size_t kMaxCommentSize = 0xFFFF;
constexpr uint16_t kZip64ExtraId = 0x0001;
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;

[[noreturn]] void ArchiveDamaged(const std::string& what) {
  throw EZipError("The compressed file is damaged: " + what);
}

// Little-endian fields of a block of bytes, each read checked against its end.
class TFields {
 public:
  TFields(const uint8_t* data, size_t size, const char* what) : data_(data), size_(size), what_(what) {}

  uint16_t U16() { return static_cast<uint16_t>(Take(2)); }
  uint32_t U32() { return static_cast<uint32_t>(Take(4)); }
  uint64_t U64() { return Take(8); }
  std::string_view Bytes(size_t n) {
    Need(n);
    std::string_view v(reinterpret_cast<const char*>(data_ + at_), n);
    at_ += n;
    return v;
  }
  size_t Left() const { return size_ - at_; }

 private:
  void Need(size_t n) const {
    if (n > size_ - at_) ArchiveDamaged(what_);
  }
  uint64_t Take(int n) {
    Need(static_cast<size_t>(n));
    uint64_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | data_[at_ + static_cast<size_t>(i)];
    at_ += static_cast<size_t>(n);
    return v;
  }

  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
  const char* what_;
};

uint32_t PeekU32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

}  // namespace

uint32_t Crc32(const void* data, size_t size, uint32_t crc) {
  return static_cast<uint32_t>(crc32_z(crc, static_cast<const Bytef*>(data), size));
}

std::vector<uint8_t> Inflate(const uint8_t* data, size_t size, size_t unpackedSize) {
  if (unpackedSize > kMaxUnpackedSize) throw EZipError("The compressed data are larger than can be unpacked");
  return TInflater().Run(data, size, unpackedSize);
}

bool BeginsAsZipArchive(TStream& stream) {
  const int64_t at = stream.Position();
  uint8_t head[4] = {};
  const bool read = stream.Read(head, 4) == 4;
  stream.SetPosition(at);
  // An archive begins with its first entry, or with its end when it is empty.
  return read && (PeekU32(head) == kLocalHeaderSig || PeekU32(head) == kEndSig);
}

TZipArchive::TZipArchive(TStream& stream) : stream_(stream) {
  start_ = static_cast<uint64_t>(std::max<int64_t>(stream.Position(), 0));
  size_ = static_cast<uint64_t>(std::max<int64_t>(stream.Remaining(), 0));
  ReadDirectory();
}

std::vector<uint8_t> TZipArchive::ReadAt(uint64_t offset, uint64_t count, const std::string& what) const {
  if (offset > size_ || count > size_ - offset) ArchiveDamaged(what + " lies outside the file");
  stream_.SetPosition(static_cast<int64_t>(start_ + offset));
  return stream_.ReadBytes(static_cast<size_t>(count));
}

void TZipArchive::ReadDirectory() {
  // The end record stands last, followed only by a comment of at most
  // 64 KB: it is searched for backwards.
  const uint64_t tailSize = std::min<uint64_t>(size_, kEndSize + kMaxCommentSize);
  const std::vector<uint8_t> tail = ReadAt(size_ - tailSize, tailSize, "the end of the archive");
  size_t end = tail.size();
  if (tail.size() >= kEndSize)
    for (size_t i = tail.size() - kEndSize + 1; i-- > 0;)
      if (PeekU32(&tail[i]) == kEndSig && i + kEndSize + (tail[i + 20] | (tail[i + 21] << 8)) <= tail.size()) {
        end = i;
        break;
      }
  if (end == tail.size()) ArchiveDamaged("its directory is missing, the file may be cut short");
  const uint64_t endOffset = size_ - tailSize + end;

  TFields e(&tail[end], kEndSize, "its end record is incomplete");
  e.U32();
  const uint16_t disk = e.U16(), directoryDisk = e.U16();
  e.U16();
  uint64_t count = e.U16();
  uint64_t directorySize = e.U32();
  uint64_t directoryOffset = e.U32();

  // Archives of more than 65535 entries or 4 GB keep their figures in a
  // second end record, found through the locator right before the first.
  bool zip64 = false;
  if (endOffset >= kEnd64LocatorSize) {
    const std::vector<uint8_t> locator =
        ReadAt(endOffset - kEnd64LocatorSize, kEnd64LocatorSize, "the locator of the 64-bit end record");
    if (PeekU32(locator.data()) == kEnd64LocatorSig) {
      TFields l(locator.data(), locator.size(), "the locator of the 64-bit end record is incomplete");
      l.U32();
      l.U32();
      const uint64_t end64Offset = l.U64();
      const std::vector<uint8_t> record = ReadAt(end64Offset, kEnd64Size, "the 64-bit end record");
      TFields r(record.data(), record.size(), "the 64-bit end record is incomplete");
      if (r.U32() != kEnd64Sig) ArchiveDamaged("the 64-bit end record is missing");
      r.U64();
      r.U16();
      r.U16();
      const uint32_t disk64 = r.U32(), directoryDisk64 = r.U32();
      r.U64();
      count = r.U64();
      directorySize = r.U64();
      directoryOffset = r.U64();
      if (disk64 != 0 || directoryDisk64 != 0)
        throw EZipError("The compressed file is split into several files, which cannot be read");
      zip64 = true;
    }
  }
  if (!zip64 && (disk != 0 || directoryDisk != 0))
    throw EZipError("The compressed file is split into several files, which cannot be read");
  if (directorySize > kMaxUnpackedSize) ArchiveDamaged("its directory is larger than can be read");
  const std::vector<uint8_t> directory = ReadAt(directoryOffset, directorySize, "its directory");
  // Every entry takes at least a header: a count beyond that is damage,
  // found before anything is reserved for it.
  if (count > directory.size() / kCentralHeaderSize) ArchiveDamaged("its directory holds fewer entries than it says");

  TFields d(directory.data(), directory.size(), "its directory ends early");
  entries_.reserve(static_cast<size_t>(count));
  for (uint64_t i = 0; i < count; ++i) {
    if (d.U32() != kCentralHeaderSig) ArchiveDamaged("an entry of its directory is damaged");
    TEntry entry;
    d.U16();
    d.U16();
    entry.Flags = d.U16();
    entry.Method = d.U16();
    d.U32();
    entry.Crc = d.U32();
    entry.PackedSize = d.U32();
    entry.Size = d.U32();
    const uint16_t nameLength = d.U16(), extraLength = d.U16(), commentLength = d.U16();
    d.U16();
    d.U16();
    d.U32();
    entry.HeaderOffset = d.U32();
    entry.Name = std::string(d.Bytes(nameLength));
    std::string_view extra = d.Bytes(extraLength);
    d.Bytes(commentLength);

    // A field that is all ones stands in the 64-bit extra field, which holds
    // exactly those fields, in this order.
    constexpr uint32_t kInExtra = 0xFFFFFFFF;
    uint64_t* wide[] = {&entry.Size, &entry.PackedSize, &entry.HeaderOffset};
    if (std::any_of(std::begin(wide), std::end(wide), [](const uint64_t* v) { return *v == kInExtra; })) {
      const std::string missing = "the 64-bit sizes of " + Quoted(entry.Name) + " are missing";
      TFields x(reinterpret_cast<const uint8_t*>(extra.data()), extra.size(), missing.c_str());
      bool found = false;
      while (!found && x.Left() >= 4) {
        const uint16_t id = x.U16(), length = x.U16();
        std::string_view body = x.Bytes(length);
        if (id != kZip64ExtraId) continue;
        TFields z(reinterpret_cast<const uint8_t*>(body.data()), body.size(), missing.c_str());
        for (uint64_t* v : wide)
          if (*v == kInExtra) *v = z.U64();
        found = true;
      }
      if (!found) ArchiveDamaged(missing);
    }
    entries_.push_back(std::move(entry));
  }
}

const TZipArchive::TEntry* TZipArchive::Find(std::string_view name) const {
  for (const TEntry& e : entries_)
    if (SameText(e.Name, name)) return &e;
  return nullptr;
}

std::vector<uint8_t> TZipArchive::Extract(const TEntry& entry) const {
  const std::string name = Quoted(entry.Name);
  if (entry.Flags & kFlagEncrypted)
    throw EZipError("The entry " + name + " of the compressed file is encrypted, which cannot be read");
  if (entry.Method != kMethodStored && entry.Method != kMethodDeflated)
    throw EZipError(Format("The entry %s of the compressed file is packed by a method that cannot be read (%d)",
                           name.c_str(), entry.Method));
  if (entry.Size > kMaxUnpackedSize || entry.PackedSize > kMaxUnpackedSize)
    throw EZipError(Format("The entry %s of the compressed file is larger than %d MB, more than can be read",
                           name.c_str(), static_cast<int>(kMaxUnpackedSize >> 20)));
  if (entry.Method == kMethodStored && entry.PackedSize != entry.Size)
    ArchiveDamaged("the stored entry " + name + " states two sizes");

  // The local header repeats the name and may have an extra field of
  // another length than the directory's; the data follow it.
  const std::vector<uint8_t> header = ReadAt(entry.HeaderOffset, kLocalHeaderSize, "the header of " + name);
  TFields h(header.data(), header.size(), "the header is incomplete");
  if (h.U32() != kLocalHeaderSig) ArchiveDamaged("the header of " + name + " is missing");
  h.Bytes(22);
  const uint64_t nameLength = h.U16(), extraLength = h.U16();
  const uint64_t dataOffset = entry.HeaderOffset + kLocalHeaderSize + nameLength + extraLength;
  std::vector<uint8_t> packed = ReadAt(dataOffset, entry.PackedSize, "the data of " + name);

  std::vector<uint8_t> data = entry.Method == kMethodStored
                                  ? std::move(packed)
                                  : Inflate(packed.data(), packed.size(), static_cast<size_t>(entry.Size));
  if (Crc32(data.data(), data.size()) != entry.Crc)
    ArchiveDamaged("the data of " + name + " do not match their checksum");
  return data;
}

}  // namespace qs
