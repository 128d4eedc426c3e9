#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "interchange/musicxml.h"
#include "interchange/musicxml_tags.h"
#include "score/chordcode.h"

namespace qs {
namespace {

std::string Dump(const TQSTagList& list) {
  std::string out;
  for (const TQSTag& t : list.Tags)
    out += std::to_string(t.Depth) + (t.IsAttribute ? "@" : " ") + std::string(t.Name) + "=" + t.Text + ";";
  return out;
}

TEST(MusicXmlTags, NameTableAndCodes) {
  EXPECT_STREQ(MusicXmlNames[5], "32nd");
  EXPECT_STREQ(MusicXmlNames[29], "minor-13th");
  EXPECT_STREQ(MusicXmlNames[146], "\r\n");
  EXPECT_EQ(std::string(MusicXmlNames[147]), std::string(10, '\t'));
  EXPECT_EQ(ElementCode("work"), 1);
  EXPECT_EQ(ElementCode("Beat-Type"), mx::BeatType);
  EXPECT_EQ(ElementCode("steal-time-following"), 116);
  EXPECT_EQ(ElementCode("mf"), mx::Mf);
  EXPECT_EQ(ElementCode("notehead-text"), 0);
  for (int code = 1; code < mx::Count; ++code) EXPECT_EQ(ElementCode(ElementName(code)), code) << code;
}

// A chord code is written as the kind that accounts for most of it and
// degrees for the rest: a seventh chord stays dominant unless it says
// major or minor.
TEST(MusicXmlTags, ChordCodesAsKindsAndDegrees) {
  using namespace chordcode;
  const uint8_t sharp = Alteration(kSharpFlat, kRaised), flat = Alteration(kSharpFlat, kLowered);
  const struct {
    std::vector<uint8_t> Code;
    const char* Writing;
  } kCases[] = {
      {{2, 0, 0x00, kBase + kSeventh}, "dominant"},
      {{3, 0, 0x00, kBase + kSeventh, kAlter9 + sharp}, "dominant 9+1add"},
      {{4, 0, 0x00, kBase + kSeventh, kAlter5 + sharp, kAlter9 + sharp}, "dominant 5+1alter 9+1add"},
      {{4, 0, 0x00, kMajor, kBase + kSeventh, kAlter11 + sharp}, "major-seventh 11+1add"},
      {{4, 0, 0x00, kMinor, kBase + kNinth, kAlter11}, "minor-ninth 11+0add"},
      {{4, 0, 0x00, kBase + kThirteenth, kAlter9 + flat, kAlter11 + sharp}, "dominant-13th 9-1alter 11+1alter"},
      {{3, 0, 0x00, kAdd + kAddSimple, kAlter9}, "major 2+0add"},
      {{3, 0, 0x00, kBase + kSeventh, kSus + 2}, "suspended-fourth 7+0add"},
      {{3, 0, 0x00, kBase + kTriad, kSus + 2}, "suspended-fourth"},
      {{3, 0, 0x00, kBase + kSeventh, kOmit + 2}, "dominant 3+0subtract"},
      {{3, 0, 0x00, kBase + kSeventh, kAlter5 + sharp}, "augmented-seventh"},
      {{0, 0}, "none"},
  };
  for (const auto& c : kCases) {
    const THarmonyWriting w = HarmonyWritingOfCode(c.Code);
    std::string text = w.Kind;
    for (const THarmonyDegree& d : w.Degrees)
      text += " " + std::to_string(d.Value) + (d.Alter < 0 ? "-" : "+") + std::to_string(d.Alter < 0 ? -d.Alter : d.Alter) + d.Type;
    EXPECT_EQ(text, c.Writing);
  }
}

TEST(MusicXmlTags, RecordsAndDepths) {
  const struct {
    const char* Xml;
    const char* Records;
  } kCases[] = {
      {"<a><chord/><b/></a>", "0 a=;1 chord=;1 b=;"},
      {R"(<n><slur type="start" number='1'/><x/></n>)", "0 n=;1 slur=;2@type=start;2@number=1;1 x=;"},
      {"<n>\n\t<step>C</step>\n</n>", "0 n=;1 step=C;"},
      // References are decoded; unknown ones stay as they are.
      {"<t>Fish &amp; chips &lt;3 &#233;&#xE9; &nbsp; a&b</t>", "0 t=Fish & chips <3 \xC3\xA9\xC3\xA9 &nbsp; a&b;"},
      {R"(<t a="x &quot;y&quot;" b='it&apos;s'/>)", "0 t=;1@a=x \"y\";1@b=it's;"},
      // Comments, declarations and instructions leave no record and no depth.
      {"<?xml version=\"1.0\"?><!DOCTYPE score-partwise PUBLIC \"-//R//DTD 1.0//EN\" \"http://x/p.dtd\">"
       "<a><!-- a comment > with <b> --><?pi x?><c>1</c></a>",
       "0 a=;1 c=1;"},
      {"<a><![CDATA[<b>&amp;]]></a>", "0 a=<b>&amp;;"},
  };
  for (const auto& c : kCases) EXPECT_EQ(Dump(TokenizeMusicXml(c.Xml)), c.Records) << c.Xml;
}

TEST(MusicXmlTags, Encodings) {
  // Latin-1 by declaration, UTF-16 by byte order mark, UTF-8 by default.
  EXPECT_EQ(TokenizeMusicXml("<?xml version='1.0' encoding='ISO-8859-1'?><t>caf\xE9</t>").Tags[0].Text,
            "caf\xC3\xA9");
  EXPECT_EQ(TokenizeMusicXml("\xEF\xBB\xBF<t>caf\xC3\xA9</t>").Tags[0].Text, "caf\xC3\xA9");
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("<t>x</t>")) utf16 += std::string{c, '\0'};
  EXPECT_EQ(Dump(TokenizeMusicXml(utf16)), "0 t=x;");
  EXPECT_THROW(TokenizeMusicXml("<?xml version='1.0' encoding='Shift_JIS'?><t/>"), EMusicXmlError);
}

TEST(MusicXmlTags, BrokenMarkupIsAClearError) {
  const struct {
    const char* Xml;
    const char* Message;
  } kCases[] = {
      {"<a><b>text", "ends inside <b>"},
      {"<a><b></a></b>", "does not match <b>"},
      {"</a>", "has no element to close"},
      {"<a></a></a>", "has no element to close"},
      {"<a attr=\"never closed", "ends inside a tag"},
      {"<a><!-- unterminated", "ends inside markup"},
      {"<a>\n\n<b></c></a>", "line 3"},
  };
  for (const auto& c : kCases) {
    try {
      TokenizeMusicXml(c.Xml);
      ADD_FAILURE() << c.Xml;
    } catch (const EMusicXmlError& e) {
      EXPECT_NE(e.Message().find(c.Message), std::string::npos) << e.Message();
    }
  }
}

TEST(MusicXmlTags, Escaping) {
  EXPECT_EQ(EscapeXmlText("a<b & \"c\" 'd'>"), "a&lt;b &amp; &quot;c&quot; &apos;d&apos;&gt;");
  std::string back;
  AppendXmlText(back, EscapeXmlText("x & <y>"));
  EXPECT_EQ(back, "x & <y>");
}

// The names stay right wherever the list is moved, also for a document
// short enough to live inside its string object.
TEST(MusicXmlTags, NamesSurviveMovingTheList) {
  std::optional<TQSTagList> kept;
  {
    TQSTagList list = TokenizeMusicXml(std::string_view("<a b='1'/>"));
    kept.emplace(std::move(list));
    list.Document.assign("XXXXXXXXXX");  // what the moved-from list held is gone
  }
  ASSERT_EQ(kept->Tags.size(), 2u);
  EXPECT_EQ(kept->Tags[0].Name, "a");
  EXPECT_EQ(kept->Tags[1].Name, "b");
  EXPECT_EQ(kept->Tags[1].Text, "1");
}

}  // namespace
}  // namespace qs
