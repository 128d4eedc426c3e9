#include "base/zip.h"

#include <algorithm>
#include <array>

#include "base/stream.h"
#include "base/strings.h"

namespace qs {

namespace {

// ------------------------------------------------------------------ CRC-32

constexpr std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}
constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

// ----------------------------------------------------------------- inflate

[[noreturn]] void DataDamaged(const char* what) {
  throw EZipError(std::string("The compressed data are damaged: ") + what);
}

constexpr int kMaxCodeBits = 15;
constexpr int kLiteralCodes = 288;  // the fixed table's size; 286 and 287 never stand
constexpr int kLengthCodes = 29;
constexpr int kDistanceCodes = 30;
constexpr int kCodeLengthCodes = 19;
constexpr size_t kMaxExpansion = 258 * 4;  // bytes out per byte in, at most

constexpr std::array<uint16_t, kLengthCodes> kLengthBase = {
    3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<uint8_t, kLengthCodes> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                            2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<uint16_t, kDistanceCodes> kDistanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<uint8_t, kDistanceCodes> kDistanceExtra = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                                6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which a dynamic block gives the lengths of its code-length code.
constexpr std::array<uint8_t, kCodeLengthCodes> kCodeLengthOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                                    11, 4,  12, 3, 13, 2, 14, 1, 15};

// A canonical prefix code: how many codes each length has, and the symbols
// ordered by code.
struct THuffman {
  std::array<uint16_t, kMaxCodeBits + 1> Count{};
  std::array<uint16_t, kLiteralCodes> Symbol{};

  // From the code length of each symbol (0: the symbol does not occur). A
  // code with unused bit patterns is taken (decoding one of them is an
  // error); one that needs more patterns than there are is refused.
  void Build(const uint8_t* lengths, int n) {
    Count.fill(0);
    for (int s = 0; s < n; ++s) ++Count[lengths[s]];
    int left = 1;
    for (int len = 1; len <= kMaxCodeBits; ++len) {
      left = left * 2 - Count[len];
      if (left < 0) DataDamaged("a code table has more codes than bit patterns");
    }
    std::array<uint16_t, kMaxCodeBits + 1> next{};
    for (int len = 1; len < kMaxCodeBits; ++len) next[len + 1] = static_cast<uint16_t>(next[len] + Count[len]);
    for (int s = 0; s < n; ++s)
      if (lengths[s]) Symbol[next[lengths[s]]++] = static_cast<uint16_t>(s);
  }
};

class TInflater {
 public:
  TInflater(const uint8_t* data, size_t size, size_t unpackedSize) : data_(data), size_(size), limit_(unpackedSize) {
    // No code is shorter than a bit, no copy longer than 258 bytes: a
    // claim beyond that is not believed before the data bear it out.
    out_.reserve(std::min<size_t>(unpackedSize, size * kMaxExpansion));
  }

  std::vector<uint8_t> Run() {
    bool last = false;
    while (!last) {
      last = Bits(1) != 0;
      switch (Bits(2)) {
        case 0: Stored(); break;
        case 1: Fixed(); break;
        case 2: Dynamic(); break;
        default: DataDamaged("a block of unknown type");
      }
    }
    if (out_.size() != limit_) DataDamaged("they hold less than their stated size");
    return std::move(out_);
  }

 private:
  // The next n bits (n <= 16), first bit lowest.
  uint32_t Bits(int n) {
    while (bitCount_ < n) {
      if (pos_ >= size_) DataDamaged("they end early");
      bitBuffer_ |= static_cast<uint32_t>(data_[pos_++]) << bitCount_;
      bitCount_ += 8;
    }
    const uint32_t v = bitBuffer_ & ((1u << n) - 1);
    bitBuffer_ >>= n;
    bitCount_ -= n;
    return v;
  }

  // Codes are packed from their first bit on: one bit at a time until the
  // bits so far are a code of that length.
  int Decode(const THuffman& h) {
    int code = 0, first = 0, index = 0;
    for (int len = 1; len <= kMaxCodeBits; ++len) {
      code |= static_cast<int>(Bits(1));
      const int count = h.Count[len];
      if (code - count < first) return h.Symbol[static_cast<size_t>(index + code - first)];
      index += count;
      first = (first + count) << 1;
      code <<= 1;
    }
    DataDamaged("a code stands that no table holds");
  }

  void Room(size_t count) {
    if (count > limit_ - out_.size()) DataDamaged("they hold more than their stated size");
  }

  void Stored() {
    // The length and its complement start at the next byte.
    bitBuffer_ = 0;
    bitCount_ = 0;
    if (size_ - pos_ < 4) DataDamaged("they end early");
    const size_t len = data_[pos_] | (data_[pos_ + 1] << 8);
    const size_t check = data_[pos_ + 2] | (data_[pos_ + 3] << 8);
    pos_ += 4;
    if (len != (~check & 0xFFFF)) DataDamaged("a stored block's length does not match its check");
    if (size_ - pos_ < len) DataDamaged("they end early");
    Room(len);
    out_.insert(out_.end(), data_ + pos_, data_ + pos_ + len);
    pos_ += len;
  }

  void Fixed() {
    static const std::pair<THuffman, THuffman> tables = [] {
      std::array<uint8_t, kLiteralCodes> lengths{};
      std::fill(lengths.begin(), lengths.begin() + 144, 8);
      std::fill(lengths.begin() + 144, lengths.begin() + 256, 9);
      std::fill(lengths.begin() + 256, lengths.begin() + 280, 7);
      std::fill(lengths.begin() + 280, lengths.end(), 8);
      std::pair<THuffman, THuffman> t;
      t.first.Build(lengths.data(), kLiteralCodes);
      // All 32 five-bit patterns are codes, though 30 and 31 never stand.
      std::fill(lengths.begin(), lengths.begin() + 32, 5);
      t.second.Build(lengths.data(), 32);
      return t;
    }();
    Codes(tables.first, tables.second);
  }

  void Dynamic() {
    const int literals = static_cast<int>(Bits(5)) + 257;
    const int distances = static_cast<int>(Bits(5)) + 1;
    const int codeLengths = static_cast<int>(Bits(4)) + 4;
    if (literals > 286 || distances > kDistanceCodes) DataDamaged("a block has more codes than there are");
    std::array<uint8_t, 286 + kDistanceCodes> lengths{};
    for (int i = 0; i < codeLengths; ++i) lengths[kCodeLengthOrder[static_cast<size_t>(i)]] = static_cast<uint8_t>(Bits(3));
    THuffman lengthCode;
    lengthCode.Build(lengths.data(), kCodeLengthCodes);

    const int total = literals + distances;
    lengths.fill(0);
    for (int i = 0; i < total;) {
      const int symbol = Decode(lengthCode);
      if (symbol < 16) {
        lengths[static_cast<size_t>(i++)] = static_cast<uint8_t>(symbol);
        continue;
      }
      uint8_t repeated = 0;
      int times;
      if (symbol == 16) {
        if (i == 0) DataDamaged("a code length repeats the one before the first");
        repeated = lengths[static_cast<size_t>(i - 1)];
        times = 3 + static_cast<int>(Bits(2));
      } else if (symbol == 17) {
        times = 3 + static_cast<int>(Bits(3));
      } else {
        times = 11 + static_cast<int>(Bits(7));
      }
      if (times > total - i) DataDamaged("more code lengths stand than the block has codes");
      while (times-- > 0) lengths[static_cast<size_t>(i++)] = repeated;
    }
    if (lengths[256] == 0) DataDamaged("a block has no end code");
    THuffman literal, distance;
    literal.Build(lengths.data(), literals);
    distance.Build(lengths.data() + literals, distances);
    Codes(literal, distance);
  }

  void Codes(const THuffman& literal, const THuffman& distance) {
    for (;;) {
      int symbol = Decode(literal);
      if (symbol < 256) {
        Room(1);
        out_.push_back(static_cast<uint8_t>(symbol));
        continue;
      }
      if (symbol == 256) return;
      symbol -= 257;
      if (symbol >= kLengthCodes) DataDamaged("a length code stands that does not exist");
      const size_t len = kLengthBase[static_cast<size_t>(symbol)] + Bits(kLengthExtra[static_cast<size_t>(symbol)]);
      const int d = Decode(distance);
      if (d >= kDistanceCodes) DataDamaged("a distance code stands that does not exist");
      const size_t dist = kDistanceBase[static_cast<size_t>(d)] + Bits(kDistanceExtra[static_cast<size_t>(d)]);
      if (dist > out_.size()) DataDamaged("a back-reference reaches before the start of the data");
      Room(len);
      // The source may overlap what is written: byte by byte.
      for (size_t from = out_.size() - dist, k = 0; k < len; ++k) out_.push_back(out_[from + k]);
    }
  }

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  uint32_t bitBuffer_ = 0;
  int bitCount_ = 0;
  size_t limit_;
  std::vector<uint8_t> out_;
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
  const auto* p = static_cast<const uint8_t*>(data);
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = kCrcTable[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::vector<uint8_t> Inflate(const uint8_t* data, size_t size, size_t unpackedSize) {
  if (unpackedSize > kMaxUnpackedSize) throw EZipError("The compressed data are larger than can be unpacked");
  return TInflater(data, size, unpackedSize).Run();
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
