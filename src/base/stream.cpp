#include "base/stream.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/exceptions.h"
#include "base/safefile.h"

namespace qs {

int64_t TStream::Remaining() {
  int64_t r = Size() - Position();
  return r > 0 ? r : 0;
}

void TStream::ReadBuffer(void* buffer, size_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError();
}

void TStream::WriteBuffer(const void* buffer, size_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError();
}

uint8_t TStream::ReadU8() {
  uint8_t v;
  ReadBuffer(&v, 1);
  return v;
}

uint16_t TStream::ReadU16() {
  uint8_t b[2];
  ReadBuffer(b, 2);
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t TStream::ReadU32() {
  uint8_t b[4];
  ReadBuffer(b, 4);
  return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
         (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

uint64_t TStream::ReadU64() {
  uint64_t lo = ReadU32();
  uint64_t hi = ReadU32();
  return lo | (hi << 32);
}

float TStream::ReadF32() {
  uint32_t u = ReadU32();
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}

double TStream::ReadF64() {
  uint64_t u = ReadU64();
  double d;
  std::memcpy(&d, &u, 8);
  return d;
}

Extended TStream::ReadExtended() {
  std::array<uint8_t, 10> b;
  ReadBuffer(b.data(), 10);
  return Extended::FromBytes(b);
}

std::vector<uint8_t> TStream::ReadBytes(size_t count) {
  if (static_cast<uint64_t>(Remaining()) < count) throw EReadError();
  std::vector<uint8_t> v(count);
  ReadBuffer(v.data(), count);
  return v;
}

void TStream::WriteU16(uint16_t v) {
  uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
  WriteBuffer(b, 2);
}

void TStream::WriteU32(uint32_t v) {
  uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                  static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
  WriteBuffer(b, 4);
}

void TStream::WriteU64(uint64_t v) {
  WriteU32(static_cast<uint32_t>(v));
  WriteU32(static_cast<uint32_t>(v >> 32));
}

void TStream::WriteF32(float v) {
  uint32_t u;
  std::memcpy(&u, &v, 4);
  WriteU32(u);
}

void TStream::WriteF64(double v) {
  uint64_t u;
  std::memcpy(&u, &v, 8);
  WriteU64(u);
}

void TStream::WriteExtended(const Extended& v) { WriteBuffer(v.Bytes().data(), 10); }

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  uint8_t buf[65536];
  int64_t left = count;
  while (left > 0) {
    size_t n = left > static_cast<int64_t>(sizeof buf) ? sizeof buf : static_cast<size_t>(left);
    source.ReadBuffer(buf, n);
    WriteBuffer(buf, n);
    left -= static_cast<int64_t>(n);
  }
  return count;
}

// ---------------------------------------------------------------- memory

size_t TMemoryStream::Read(void* buffer, size_t count) {
  if (pos_ >= data_.size()) return 0;
  size_t n = std::min(count, data_.size() - pos_);
  std::memcpy(buffer, data_.data() + pos_, n);
  pos_ += n;
  return n;
}

size_t TMemoryStream::Write(const void* buffer, size_t count) {
  if (count == 0) return 0;
  if (pos_ + count > data_.size()) data_.resize(pos_ + count);
  std::memcpy(data_.data() + pos_, buffer, count);
  pos_ += count;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, SeekOrigin origin) {
  int64_t base = origin == SeekOrigin::Begin ? 0
                 : origin == SeekOrigin::Current ? static_cast<int64_t>(pos_)
                                                 : static_cast<int64_t>(data_.size());
  int64_t p = base + offset;
  if (p < 0) throw EStreamError("Stream seek error");
  pos_ = static_cast<size_t>(p);
  return p;
}

void TMemoryStream::SetSize(int64_t size) {
  if (size < 0) throw EStreamError("Stream seek error");
  data_.resize(static_cast<size_t>(size));
  if (pos_ > data_.size()) pos_ = data_.size();
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
  TFileStream f(fileName, FileMode::OpenRead);
  data_.resize(static_cast<size_t>(f.Size()));
  f.ReadBuffer(data_.data(), data_.size());
  pos_ = 0;
}

void TMemoryStream::SaveToFile(const std::string& fileName) {
  SafeSaveFile(fileName, [this](TStream& out) { out.WriteBuffer(data_.data(), data_.size()); });
}

// ---------------------------------------------------------------- file

TFileStream::TFileStream(const std::string& fileName, FileMode mode) : name_(fileName) {
  const char* m = mode == FileMode::OpenRead ? "rb" : mode == FileMode::OpenReadWrite ? "r+b" : "w+b";
  file_ = std::fopen(fileName.c_str(), m);
  if (!file_) {
    std::string why = std::strerror(errno);
    if (mode == FileMode::Create)
      throw EFCreateError("Cannot create file \"" + fileName + "\". " + why);
    throw EFOpenError("Cannot open file \"" + fileName + "\". " + why);
  }
}

TFileStream::TFileStream(int fd, const std::string& fileName) : name_(fileName) {
  file_ = ::fdopen(fd, "w+b");
  if (!file_) {
    ::close(fd);
    throw EFCreateError("Cannot create file \"" + fileName + "\". " + std::strerror(errno));
  }
}

TFileStream::~TFileStream() {
  if (file_) std::fclose(file_);
}

size_t TFileStream::Read(void* buffer, size_t count) { return std::fread(buffer, 1, count, file_); }

size_t TFileStream::Write(const void* buffer, size_t count) {
  const size_t written = std::fwrite(buffer, 1, count, file_);
  if (written != count) NoteWriteError();
  return written;
}

void TFileStream::NoteWriteError() {
  if (writeError_ == 0) writeError_ = errno != 0 ? errno : EIO;
}

int64_t TFileStream::Seek(int64_t offset, SeekOrigin origin) {
  int whence = origin == SeekOrigin::Begin ? SEEK_SET : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
  if (!(origin == SeekOrigin::Current && offset == 0) && ::fseeko(file_, offset, whence) != 0)
    throw EStreamError("Stream seek error");
  return ::ftello(file_);
}

void TFileStream::SetSize(int64_t size) {
  std::fflush(file_);
  if (::ftruncate(::fileno(file_), size) != 0) throw EWriteError();
  if (Position() > size) Seek(size, SeekOrigin::Begin);
}

int64_t TFileStream::Size() {
  int64_t pos = ::ftello(file_);
  ::fseeko(file_, 0, SEEK_END);
  int64_t size = ::ftello(file_);
  ::fseeko(file_, pos, SEEK_SET);
  return size;
}

void TFileStream::Flush(bool sync) {
  if (std::fflush(file_) != 0 || (sync && ::fsync(::fileno(file_)) != 0)) {
    NoteWriteError();
    throw EWriteError();
  }
}

}  // namespace qs
