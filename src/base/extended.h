#pragma once
// The 80-bit extended floating-point number of the binary file formats.
// The ten bytes are kept exactly as read, so a value read from a file is
// written back bit for bit, whatever it holds; arithmetic goes through
// long double.
#include <array>
#include <cstdint>

namespace qs {

class Extended {
 public:
  Extended() = default;
  Extended(long double v) : bytes_(Encode(v)) {}  // NOLINT: a number, like any other
  operator long double() const { return Decode(bytes_); }  // NOLINT
  long double Value() const { return Decode(bytes_); }

  static Extended FromBytes(const std::array<uint8_t, 10>& b) {
    Extended e;
    e.bytes_ = b;
    return e;
  }
  const std::array<uint8_t, 10>& Bytes() const { return bytes_; }

  // Bitwise identity, as needed for byte-exact round trips.
  bool SameBits(const Extended& o) const { return bytes_ == o.bytes_; }

  // Conversions by hand between the ten little-endian bytes of the
  // format and a long double; exact where long double is the x87 format
  // (as on x86-64), nearest otherwise.
  static std::array<uint8_t, 10> Encode(long double v);
  static long double Decode(const std::array<uint8_t, 10>& b);

 private:
  std::array<uint8_t, 10> bytes_{};
};

}  // namespace qs
