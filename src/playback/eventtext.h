#pragma once
// The bytes of a raw MIDI event as the user types them: two hexadecimal
// digits a byte, blanks anywhere. A text is checked whole before anything
// is stored: it either splits into complete messages that the MIDI output
// sends as they are, or it is refused with the reason and where it lies.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qs {

// The most bytes one MIDI event item holds.
inline constexpr size_t kMaxMidiEventBytes = 65535;

enum class TEventTextError : uint8_t {
  None,
  Empty,             // no digits at all
  NotHex,            // a character that is neither a digit nor a blank
  OddDigits,         // the last byte has one digit only
  TooLong,           // more bytes than an event holds
  NoStatus,          // data bytes before any status byte
  Incomplete,        // a channel message lacks data bytes
  SysExUnterminated, // F0 without its closing F7 (or a status inside)
  SystemMessage,     // a system byte other than a whole F0..F7 block
};

struct TEventTextCheck {
  TEventTextError Error = TEventTextError::None;
  // NotHex: the character's position (from 1); Incomplete, NoStatus,
  // SysExUnterminated, SystemMessage: the byte's number (from 1).
  size_t Where = 0;
  // The complete messages, running status written out.
  std::vector<std::vector<uint8_t>> Events;
  bool Ok() const { return Error == TEventTextError::None; }
  // The messages one after the other, as the event item stores them.
  std::vector<uint8_t> Bytes() const;
};

TEventTextCheck CheckEventText(const std::string& text);

// Two uppercase digits a byte, with the separator between bytes.
std::string EventBytesToText(const uint8_t* data, size_t size, const char* separator = "");

// A byte as two uppercase hexadecimal digits.
std::string HexByte(int value);

// The English message for an error ("%d" stands for Where); the
// forms' language files may replace the English.
std::string EventTextErrorText(TEventTextError error);

}  // namespace qs
