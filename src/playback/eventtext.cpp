#include "playback/eventtext.h"

#include "playback/playwalker.h"

namespace qs {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

TEventTextCheck Fail(TEventTextError error, size_t where) {
  TEventTextCheck result;
  result.Error = error;
  result.Where = where;
  return result;
}

}  // namespace

std::vector<uint8_t> TEventTextCheck::Bytes() const {
  std::vector<uint8_t> all;
  for (const auto& event : Events) all.insert(all.end(), event.begin(), event.end());
  return all;
}

TEventTextCheck CheckEventText(const std::string& text) {
  std::vector<uint8_t> bytes;
  int high = -1;
  for (size_t i = 0; i < text.size(); ++i) {
    if (Blank(text[i])) continue;
    const int digit = HexDigit(text[i]);
    if (digit < 0) return Fail(TEventTextError::NotHex, i + 1);
    if (high < 0) {
      high = digit;
    } else {
      if (bytes.size() == kMaxMidiEventBytes) return Fail(TEventTextError::TooLong, 0);
      bytes.push_back(static_cast<uint8_t>(high * 16 + digit));
      high = -1;
    }
  }
  if (high >= 0) return Fail(bytes.empty() ? TEventTextError::Empty : TEventTextError::OddDigits, 0);
  if (bytes.empty()) return Fail(TEventTextError::Empty, 0);

  TEventTextCheck result;
  uint8_t running = 0;
  size_t i = 0;
  while (i < bytes.size()) {
    const uint8_t b = bytes[i];
    if (b < 0xF0) {
      // A channel message, its status given or running on.
      const bool given = b >= 0x80;
      if (!given && running == 0) return Fail(TEventTextError::NoStatus, i + 1);
      const uint8_t status = given ? b : running;
      const size_t first = given ? i + 1 : i;
      const size_t n = static_cast<size_t>(midi::ChannelDataBytes(status));
      std::vector<uint8_t> event{status};
      for (size_t k = 0; k < n; ++k) {
        if (first + k >= bytes.size() || bytes[first + k] >= 0x80) return Fail(TEventTextError::Incomplete, i + 1);
        event.push_back(bytes[first + k]);
      }
      result.Events.push_back(std::move(event));
      running = status;
      i = first + n;
    } else if (b == midi::SysEx) {
      size_t end = i + 1;
      while (end < bytes.size() && bytes[end] < 0x80) ++end;
      if (end >= bytes.size() || bytes[end] != midi::SysExEnd) return Fail(TEventTextError::SysExUnterminated, i + 1);
      result.Events.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(i),
                                 bytes.begin() + static_cast<std::ptrdiff_t>(end) + 1);
      // A system exclusive block ends any running status.
      running = 0;
      i = end + 1;
    } else {
      return Fail(TEventTextError::SystemMessage, i + 1);
    }
  }
  return result;
}

std::string HexByte(int value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const int v = value & 0xFF;
  return {kDigits[v >> 4], kDigits[v & 15]};
}

std::string EventBytesToText(const uint8_t* data, size_t size, const char* separator) {
  std::string text;
  for (size_t i = 0; i < size; ++i) {
    if (i > 0) text += separator;
    text += HexByte(data[i]);
  }
  return text;
}

std::string EventTextErrorText(TEventTextError error) {
  switch (error) {
    case TEventTextError::None: return {};
    case TEventTextError::Empty: return "Enter the bytes of the event: two hexadecimal digits each.";
    case TEventTextError::NotHex: return "The character at position %d is not a hexadecimal digit.";
    case TEventTextError::OddDigits: return "The last byte has only one digit: every byte needs two.";
    case TEventTextError::TooLong: return "An event holds at most 65535 bytes.";
    case TEventTextError::NoStatus: return "Byte %d is a data byte, but no status byte comes before it.";
    case TEventTextError::Incomplete: return "The message at byte %d lacks data bytes.";
    case TEventTextError::SysExUnterminated:
      return "The system exclusive message at byte %d does not end with F7.";
    case TEventTextError::SystemMessage:
      return "Byte %d starts a system message that cannot be stored: only channel and system exclusive messages can.";
  }
  return {};
}

}  // namespace qs
