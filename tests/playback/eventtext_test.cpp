// The bytes of a raw MIDI event as typed: split into complete messages or
// refused with the reason and its place; and the text the dialog's fields
// make for each kind of channel message.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "playback/eventproperties.h"
#include "playback/eventtext.h"

namespace qs::test {
namespace {

using E = TEventTextError;
using Events = std::vector<std::vector<uint8_t>>;

struct TCase {
  const char* Text;
  E Error;
  size_t Where;
  Events Expected;
};

TEST(EventText, SplitsOrRefuses) {
  const std::string tooLong = "F0" + std::string(2 * kMaxMidiEventBytes - 2, '0') + "F7";
  const std::string longest = "F0" + std::string(2 * kMaxMidiEventBytes - 4, '0') + "F7";
  const TCase cases[] = {
      {"933C64", E::None, 0, {{0x93, 0x3C, 0x64}}},
      {"93 3c 64", E::None, 0, {{0x93, 0x3C, 0x64}}},
      {" 9 33C6 4\t", E::None, 0, {{0x93, 0x3C, 0x64}}},
      // Running status is written out, one message each.
      {"903C64 3E64 4000", E::None, 0, {{0x90, 0x3C, 0x64}, {0x90, 0x3E, 0x64}, {0x90, 0x40, 0x00}}},
      {"C005 D07F", E::None, 0, {{0xC0, 0x05}, {0xD0, 0x7F}}},
      {"F0 43 10 4C F7 B0 07 64", E::None, 0, {{0xF0, 0x43, 0x10, 0x4C, 0xF7}, {0xB0, 0x07, 0x64}}},
      {"F0F7", E::None, 0, {{0xF0, 0xF7}}},
      {"", E::Empty, 0, {}},
      {"   ", E::Empty, 0, {}},
      {"9", E::Empty, 0, {}},
      {"933", E::OddDigits, 0, {}},
      {"93 3C 6", E::OddDigits, 0, {}},
      {"93 3G 64", E::NotHex, 5, {}},
      {"93,3C", E::NotHex, 3, {}},
      {"9\xD0\xAF", E::NotHex, 2, {}},
      {"3C64", E::NoStatus, 1, {}},
      {"F0 7E F7 40", E::NoStatus, 4, {}},
      {"93", E::Incomplete, 1, {}},
      {"933C", E::Incomplete, 1, {}},
      {"933C64 3C", E::Incomplete, 4, {}},
      {"C0FF", E::Incomplete, 1, {}},
      {"90 3C 90 3E 40", E::Incomplete, 1, {}},
      {"F0 43 10", E::SysExUnterminated, 1, {}},
      {"F0 43 90 3C 40 F7", E::SysExUnterminated, 1, {}},
      {"F7", E::SystemMessage, 1, {}},
      {"903C40 F8", E::SystemMessage, 4, {}},
      {"FF 2F 00", E::SystemMessage, 1, {}},
      {tooLong.c_str(), E::TooLong, 0, {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.Text).substr(0, 40));
    const TEventTextCheck check = CheckEventText(c.Text);
    EXPECT_EQ(check.Error, c.Error);
    EXPECT_EQ(check.Where, c.Where);
    EXPECT_EQ(check.Events, c.Expected);
  }
  const TEventTextCheck check = CheckEventText(longest);
  EXPECT_TRUE(check.Ok());
  EXPECT_EQ(check.Bytes().size(), kMaxMidiEventBytes);
}

TEST(EventText, BytesBackToText) {
  const uint8_t bytes[] = {0xF0, 0x0A, 0x7F, 0xF7};
  EXPECT_EQ(EventBytesToText(bytes, 4), "F00A7FF7");
  EXPECT_EQ(EventBytesToText(bytes, 4, " "), "F0 0A 7F F7");
  EXPECT_EQ(CheckEventText(EventBytesToText(bytes, 4, " ")).Bytes(), std::vector<uint8_t>(bytes, bytes + 4));
}

TEST(EventFieldsText, EachKind) {
  TEventFields f;
  f.Channel = 3;
  f.Note = 60;
  f.Velocity = 100;
  f.Program = 255;
  f.Controller = 7;
  f.Bend = 8192;
  const std::pair<int, const char*> cases[] = {
      {ekFree, ""},          {ekNoteOff, "833C64"}, {ekNoteOn, "933C64"},         {ekKeyPressure, "A33C64"},
      {ekControl, "B30764"}, {ekProgram, "C3FF"},   {ekChannelPressure, "D364"}, {ekPitchBend, "E30040"},
  };
  for (const auto& [row, text] : cases) EXPECT_EQ(BuildEventFieldsText(row, f), text) << row;
  f.Note = -1;
  f.Channel = 15;
  f.Bend = 16383;
  EXPECT_EQ(BuildEventFieldsText(ekNoteOn, f), "9F0064");
  EXPECT_EQ(BuildEventFieldsText(ekPitchBend, f), "EF7F7F");
}

}  // namespace
}  // namespace qs::test
