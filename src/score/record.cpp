#include "score/record.h"

#include <cstring>

#include "base/text.h"

namespace qs {

void WriteCount16(TStream& s, size_t count, const char* what) {
  if (count > 0xFFFF)
    throw EWriteError(std::string("Cannot save: ") + what + " too long (" + std::to_string(count) +
                      ", at most 65535)");
  s.WriteU16(static_cast<uint16_t>(count));
}

std::string ReadStreamString(TStream& s) {
  uint16_t n = s.ReadU16();
  std::vector<uint8_t> bytes = s.ReadBytes(n);
  return AnsiToUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void WriteStreamString(TStream& s, const std::string& utf8) {
  std::string ansi = Utf8ToAnsi(utf8);
  WriteCount16(s, ansi.size(), "text");
  s.WriteBuffer(ansi.data(), ansi.size());
}

std::string ReadStreamWideString(TStream& s) {
  uint16_t n = s.ReadU16();
  std::vector<uint8_t> bytes = s.ReadBytes(size_t(n) * 2);
  std::u16string w(n, u'\0');
  for (size_t i = 0; i < n; ++i) w[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return Utf16ToUtf8(w);
}

void WriteStreamWideString(TStream& s, const std::string& utf8) {
  std::u16string w = Utf8ToUtf16(utf8);
  WriteCount16(s, w.size(), "text");
  std::vector<uint8_t> bytes(w.size() * 2);
  for (size_t i = 0; i < w.size(); ++i) {
    bytes[2 * i] = static_cast<uint8_t>(w[i]);
    bytes[2 * i + 1] = static_cast<uint8_t>(w[i] >> 8);
  }
  s.WriteBuffer(bytes.data(), bytes.size());
}

void ReadStreamStrings(TStream& s, TStringList& list) {
  list.Clear();
  uint16_t n = s.ReadU16();
  if (n > kMaxStreamListCount) return;
  for (int i = 0; i < n; ++i) list.Add(ReadStreamString(s));
}

std::vector<std::string> ReadStreamStringLines(TStream& s) {
  const uint16_t count = s.ReadU16();
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) {
    std::string line = ReadStreamString(s);
    if (count <= kMaxStreamListCount) lines.push_back(std::move(line));
  }
  return lines;
}

void WriteStreamStrings(TStream& s, const TStringList& list) {
  WriteCount16(s, static_cast<size_t>(list.Count()), "list");
  for (const auto& str : list) WriteStreamString(s, str);
}

void ReadStreamWideStrings(TStream& s, std::vector<std::string>& lines) {
  lines.clear();
  uint16_t n = s.ReadU16();
  if (n > kMaxStreamListCount) return;
  for (int i = 0; i < n; ++i) lines.push_back(ReadStreamWideString(s));
}

void WriteStreamWideStrings(TStream& s, const std::vector<std::string>& lines) {
  WriteCount16(s, lines.size(), "list");
  for (const auto& l : lines) WriteStreamWideString(s, l);
}

// ---------------------------------------------------------------- blocks

void TBlockIO::Bool(bool& v) {
  uint8_t b = v ? 1 : 0;
  U8(b);
  v = b != 0;
}

void TBlockIO::Bytes(uint8_t* p, size_t n) {
  for (size_t i = 0; i < n; ++i) U8(p[i]);
}

void TBlockIO::F32(float& v) {
  uint32_t u;
  std::memcpy(&u, &v, 4);
  U32(u);
  std::memcpy(&v, &u, 4);
}

void TBlockIO::F64(double& v) {
  uint64_t u;
  std::memcpy(&u, &v, 8);
  U64(u);
  std::memcpy(&v, &u, 8);
}

void TBlockIO::Ext(Extended& v) {
  std::array<uint8_t, 10> b = v.Bytes();
  Bytes(b.data(), 10);
  v = Extended::FromBytes(b);
}

// ---------------------------------------------------------------- records

TRecordWriter::TRecordWriter(TStream& s, uint16_t sectionCount) : s_(s), start_(s.Position()) {
  s_.WriteI32(0);
  s_.WriteU16(sectionCount);
}

void TRecordWriter::Finish() {
  int64_t end = s_.Position();
  int64_t length = end - start_ - 4;
  if (length > 0x7FFFFFFF) throw EWriteError("Cannot save: record too large");
  s_.SetPosition(start_);
  s_.WriteI32(static_cast<int32_t>(length));
  s_.Seek(0, SeekOrigin::End);
}

TRecordReader OpenRecord(TStream& s) {
  int32_t length = s.ReadI32();
  int64_t start = s.Position();
  // The length must cover the section count and stay inside the stream;
  // anything else is damage, and going on would read garbage or go back.
  if (length < 2 || length > s.Size() - start) throw EReadError();
  uint16_t count = s.ReadU16();
  return TRecordReader{s, count, start + length};
}

void CloseRecord(TRecordReader& r) {
  if (r.S.Position() != r.End) r.S.SetPosition(r.End);
}

void SkipRecord(TStream& s) {
  int32_t length = s.ReadI32();
  if (length < 0 || length > s.Size() - s.Position()) throw EReadError();
  s.Seek(length, SeekOrigin::Current);
}

std::string ReadRecordString(TRecordReader& r) {
  std::string v = ReadStreamString(r.S);
  EnsureInsideRecord(r);
  return v;
}

std::vector<int16_t> ReadRecordI16s(TRecordReader& r, size_t count) {
  const std::vector<uint8_t> bytes = r.ReadBytes(count * 2);
  std::vector<int16_t> values(count);
  for (size_t i = 0; i < count; ++i) values[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return values;
}

void ReadRecordWideStrings(TRecordReader& r, std::vector<std::string>& lines) {
  if (r.S.ReadU16() > kMaxStreamListCount) throw EReadError();
  r.S.Seek(-2, SeekOrigin::Current);
  ReadStreamWideStrings(r.S, lines);
  EnsureInsideRecord(r);
}

}  // namespace qs
