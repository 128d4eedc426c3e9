#pragma once
// Seekable byte streams with little-endian reads and writes, as the binary
// file formats need them. A read that cannot be satisfied raises
// EReadError ("Stream read error"); a write that fails raises EWriteError.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/extended.h"

namespace qs {

enum class SeekOrigin { Begin, Current, End };

class TStream {
 public:
  virtual ~TStream() = default;

  // Raw transfer: returns the number of bytes moved (may be short).
  virtual size_t Read(void* buffer, size_t count) = 0;
  virtual size_t Write(const void* buffer, size_t count) = 0;
  virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
  virtual void SetSize(int64_t size) = 0;
  virtual int64_t Size() = 0;

  int64_t Position() { return Seek(0, SeekOrigin::Current); }
  void SetPosition(int64_t pos) { Seek(pos, SeekOrigin::Begin); }
  // Bytes from the position to the end (0 when positioned past it).
  int64_t Remaining();

  // All-or-nothing transfer.
  void ReadBuffer(void* buffer, size_t count);
  void WriteBuffer(const void* buffer, size_t count);

  uint8_t ReadU8();
  int8_t ReadI8() { return static_cast<int8_t>(ReadU8()); }
  uint16_t ReadU16();
  int16_t ReadI16() { return static_cast<int16_t>(ReadU16()); }
  uint32_t ReadU32();
  int32_t ReadI32() { return static_cast<int32_t>(ReadU32()); }
  uint64_t ReadU64();
  int64_t ReadI64() { return static_cast<int64_t>(ReadU64()); }
  float ReadF32();
  double ReadF64();
  Extended ReadExtended();
  // count bytes; raises EReadError before allocating when fewer remain.
  std::vector<uint8_t> ReadBytes(size_t count);

  void WriteU8(uint8_t v) { WriteBuffer(&v, 1); }
  void WriteI8(int8_t v) { WriteU8(static_cast<uint8_t>(v)); }
  void WriteU16(uint16_t v);
  void WriteI16(int16_t v) { WriteU16(static_cast<uint16_t>(v)); }
  void WriteU32(uint32_t v);
  void WriteI32(int32_t v) { WriteU32(static_cast<uint32_t>(v)); }
  void WriteU64(uint64_t v);
  void WriteI64(int64_t v) { WriteU64(static_cast<uint64_t>(v)); }
  void WriteF32(float v);
  void WriteF64(double v);
  void WriteExtended(const Extended& v);
  void WriteBytes(const std::vector<uint8_t>& bytes) { WriteBuffer(bytes.data(), bytes.size()); }

  // Copies count bytes from source (all of it from its start when count is 0).
  int64_t CopyFrom(TStream& source, int64_t count);
};

class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<uint8_t> bytes) : data_(std::move(bytes)) {}

  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  void SetSize(int64_t size) override;
  int64_t Size() override { return static_cast<int64_t>(data_.size()); }

  void Clear() { data_.clear(); pos_ = 0; }
  const uint8_t* Memory() const { return data_.data(); }
  const std::vector<uint8_t>& Bytes() const { return data_; }
  std::vector<uint8_t> TakeBytes() { pos_ = 0; return std::move(data_); }

  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName);  // a safe save

 private:
  std::vector<uint8_t> data_;
  size_t pos_ = 0;
};

enum class FileMode { OpenRead, OpenReadWrite, Create };

class TFileStream : public TStream {
 public:
  // Raises EFOpenError ("Cannot open file ...") or EFCreateError.
  TFileStream(const std::string& fileName, FileMode mode);
  // Takes over an open descriptor (closed with the stream).
  TFileStream(int fd, const std::string& fileName);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  void SetSize(int64_t size) override;
  int64_t Size() override;

  const std::string& FileName() const { return name_; }
  // Flushes buffers and asks the system to put the data on disk.
  void Flush(bool sync = false);
  // The system's error number of the first write or flush that failed; 0
  // while none has.
  int WriteErrorNumber() const { return writeError_; }

 private:
  void NoteWriteError();
  std::FILE* file_ = nullptr;
  std::string name_;
  int writeError_ = 0;
};

}  // namespace qs
