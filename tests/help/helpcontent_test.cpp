// Help containers and pages: reading, the parser's items, the packer.
#include <gtest/gtest.h>

#include <cstdlib>

#include "../common/library_support.h"
#include "base/safefile.h"
#include "help/helpcontent.h"

namespace qs {
namespace {

using test::Written;

const std::vector<uint8_t> kGif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0};

struct TRow {
  uint8_t Kind;
  std::string Text;
  int Depth;
  int Parent;  // index of the parent item, -1 for none
  uint8_t LinkKind;
  std::string Link;
  bool operator==(const TRow&) const = default;
};

std::ostream& operator<<(std::ostream& o, const TRow& r) {
  return o << "{" << int(r.Kind) << ", \"" << r.Text << "\", " << r.Depth << ", " << r.Parent << ", "
           << int(r.LinkKind) << ", \"" << r.Link << "\"}";
}

std::vector<TRow> Rows(const THelpContent& help) {
  std::vector<TRow> rows;
  for (const auto& item : help.Items) {
    int parent = -1;
    for (size_t i = 0; i < help.Items.size(); ++i)
      if (help.Items[i].get() == item->Parent) parent = static_cast<int>(i);
    rows.push_back({item->Kind, item->Text, item->Depth, parent, item->LinkKind, item->Link});
  }
  return rows;
}

TEST(HelpParser, APageUsingEveryTag) {
  test::TProgramFolder folder;
  const std::string page =
      "<xml>\n"
      "<text>Intro <font color=\"FF0000\" size=12 style=\"bold italic\" name=\"Times New\">red</font> plain</text>\n"
      "<p>Para <br/> next</p><line/>\n"
      "<ul><li>One</li><li>Two</li></ul>\n"
      "<more open=\"Show\" close='Hide'>Hidden text</more>\n"
      "<href url=\"http://example.org\">Site</href><gref url=\"Notes.xml\">Notes topic</gref>"
      "<lref url=here>Local</lref>\n"
      "<image>pic.gif</image><label>Label text</label><embed>part.xml</embed>\n"
      "</xml>";
  SafeSaveText(folder.Dir() + "page.xml", page);
  SafeSaveText(folder.Dir() + "part.xml", "<text>Embedded</text>");
  SafeSaveText(folder.Dir() + "pic.gif", std::string(kGif.begin(), kGif.end()));

  THelpContent help;
  help.BaseFont.Name = "Sans";
  help.BaseFont.Size = 9;
  help.LoadFile(folder.Dir() + "page.xml", {});
  using namespace helpitem;
  const std::vector<TRow> expected = {
      {Text, "", 1, -1, 0, ""},
      {Text, "Intro", 1, 0, 0, ""},
      {Text, "red", 1, 0, 0, ""},
      {Text, "plain", 1, 0, 0, ""},
      {Text, "", 1, -1, 0, ""},  // the paragraph
      {Text, "    Para", 1, 4, 0, ""},
      {Break, "", 2, -1, 0, ""},
      {Text, "next", 1, 4, 0, ""},  // only the first run is indented
      {Rule, "", 1, -1, 0, ""},
      {List, "", 1, -1, 0, ""},
      {ListEntry, "", 2, -1, 0, ""},
      {ListEntry, "One", 2, 10, 0, ""},
      {ListEntry, "", 2, -1, 0, ""},
      {ListEntry, "Two", 2, 12, 0, ""},
      {More, "Show", 1, -1, 0, ""},
      {Text, "Hidden text", 2, -1, 0, ""},
      {Text, "Site", 2, -1, helplink::Outside, "http://example.org"},  // a loose run starts a line
      {TopicLinks, "", 1, -1, 0, ""},
      {Text, "Notes topic", 2, 16, helplink::Topic, "Notes.xml"},  // later ones continue it
      {LocalLinks, "", 1, -1, 0, ""},
      {Text, "Local", 2, 16, helplink::Local, "here"},
      {Picture, "", 1, -1, 0, ""},
      {Text, "Label text", 2, 16, 0, ""},
      {Text, "", 2, -1, 0, ""},
      {Text, "Embedded", 2, 23, 0, ""},
  };
  EXPECT_EQ(Rows(help), expected);
  ASSERT_EQ(help.Items.size(), expected.size());
  const TECFont& red = help.Items[2]->Font;
  EXPECT_EQ(red.Color, 0x0000FFu);
  EXPECT_EQ(red.Size, 12);
  EXPECT_EQ(red.Style, 3);  // bold and italic
  EXPECT_EQ(red.Name, "Times New");
  EXPECT_EQ(help.Items[3]->Font.Name, "Sans");  // after the font element
  EXPECT_EQ(help.Items[14]->SecondText, "Hide");
  EXPECT_EQ(help.Items[14]->Expanded, 0);
  ASSERT_NE(help.Items[21]->Picture, nullptr);
  EXPECT_EQ(help.Items[21]->Picture->GraphicType(), TQSGraphicType::Gif);
}

TEST(HelpParser, TextRules) {
  struct Case {
    const char* Name;
    std::string Markup;
    std::vector<std::string> Texts;  // the texts of the text runs
  } cases[] = {
      {"a li outside a list is a loose run", "<li>alone</li><q>", {"alone"}},
      {"an empty first run leaves the indent to the next", "<p> <b>x</b></p>", {"", "    x"}},
      {"quoted content runs on over tags", "<text>\"a<b>c\" d</text><q>", {"", "\"a<b>c\" d"}},
  };
  for (const Case& c : cases) {
    THelpContent help;
    TMemoryStream s(std::vector<uint8_t>(c.Markup.begin(), c.Markup.end()));
    help.ParseTopic(s, s.Size(), 0);
    std::vector<std::string> texts;
    for (const auto& item : help.Items)
      if (item->Kind == helpitem::Text) texts.push_back(item->Text);
    EXPECT_EQ(texts, c.Texts) << c.Name;
  }

  // The font element starts from the font in effect (italic here).
  struct Font {
    const char* Attributes;
    int16_t Size;
    uint8_t Style;
    uint32_t Color;
  } fonts[] = {
      {"size=big", 10, 2, 0},  // not a number
      {"style=\"normal bold\"", 0, 1, 0},
      {"style=strikeout", 0, 2 | 8, 0},
      {"color=#00ff00", 0, 2, 0},  // lower-case digits do not count
  };
  for (const Font& f : fonts) {
    const std::string markup = std::string("<text><font ") + f.Attributes + ">x</font></text>";
    THelpContent help;
    help.BaseFont.Style = 2;
    TMemoryStream s(std::vector<uint8_t>(markup.begin(), markup.end()));
    help.ParseTopic(s, s.Size(), 0);
    ASSERT_EQ(help.Items.size(), 2u) << f.Attributes;
    EXPECT_EQ(help.Items[1]->Font.Size, f.Size) << f.Attributes;
    EXPECT_EQ(help.Items[1]->Font.Style, f.Style) << f.Attributes;
    EXPECT_EQ(help.Items[1]->Font.Color, f.Color) << f.Attributes;
  }
}

// A container of a few topics and one picture.
std::vector<uint8_t> SampleContainer() {
  std::vector<THelpTopicSource> topics = {
      {"pic.xml", "<image>p.gif</image><image>none</image>"},
      {"b.xml", "<text>B</text>"},
      {"A.xml", "<text>A<embed>B.XML</embed>after</text>"},
      {"loop.xml", "<text>L<embed>loop.xml</embed></text>"},
      {"bad.xml", "<text>X<embed>b.xml</embed>Y</text>"},
  };
  std::vector<THelpPictureSource> pictures = {{"p.gif", TQSGraphicType::Gif, kGif}};
  return Written([&](TStream& s) { WriteHelpContainer(s, topics, pictures); });
}

std::vector<std::string> Texts(const THelpContent& help) {
  std::vector<std::string> texts;
  for (const auto& item : help.Items)
    if (!item->Text.empty()) texts.push_back(item->Text);
  return texts;
}

TEST(HelpContainer, IndexesAndRoundTrip) {
  std::vector<uint8_t> bytes = SampleContainer();
  THelpContainerIndex index;
  TMemoryStream s(bytes);
  ASSERT_TRUE(index.Read(s));
  std::vector<std::string> names;
  for (const auto& e : index.Topics) names.push_back(e.Name);
  EXPECT_EQ(names, (std::vector<std::string>{"A.xml", "b.xml", "bad.xml", "loop.xml", "pic.xml"}));
  ASSERT_EQ(index.Pictures.size(), 1u);

  // Everything read back from the container packs into the same bytes.
  std::vector<THelpTopicSource> topics;
  for (const auto& e : index.Topics) {
    s.SetPosition(e.Offset);
    ASSERT_EQ(s.ReadU8(), helpfile::kTopicMarker);
    std::vector<uint8_t> markup = s.ReadBytes(static_cast<size_t>(s.ReadI32()));
    topics.push_back({e.Name, std::string(markup.begin(), markup.end())});
  }
  s.SetPosition(index.Pictures[0].Offset);
  TQSPicture picture;
  ReadPicture(s, picture, s.Size());
  std::vector<THelpPictureSource> pictures = {{index.Pictures[0].Name, picture.GraphicType(), picture.Data()}};
  EXPECT_EQ(Written([&](TStream& out) { WriteHelpContainer(out, topics, pictures); }), bytes);

  TMemoryStream notOurs(std::vector<uint8_t>{0xF1, 0, 0});
  EXPECT_FALSE(index.Read(notOurs));
  topics.push_back({"A.XML", ""});
  EXPECT_THROW(WriteHelpContainer(s, topics, pictures), EWriteError);
}

TEST(HelpContainer, TopicsAreShownAsAsked) {
  test::TProgramFolder folder;
  const std::string file = folder.Dir() + "Help.ENU.xcf";
  std::vector<uint8_t> bytes = SampleContainer();
  SafeSaveText(file, std::string(bytes.begin(), bytes.end()));
  struct Case {
    std::vector<std::string> Topics;
    std::vector<std::string> Texts;
  } cases[] = {
      // The first topic by name; an embedded topic in place; after it the
      // including topic's tags are no longer seen, so "after" is loose.
      {{}, {"A", "B", "after"}},
      {{"b.xml", "A.XML"}, {"B", "A", "B", "after"}},
      {{"loop.xml"}, {"L"}},  // a topic does not embed itself
      {{"bad.xml"}, {"X", "B", "Y"}},
      {{"missing.xml"}, {}},
  };
  for (const Case& c : cases) {
    THelpContent help;
    help.LoadFile(file, c.Topics);
    EXPECT_EQ(Texts(help), c.Texts);
  }
  // An embedded record that is not a topic ends the including topic: "b.xml"
  // made to point at the picture.
  THelpContainerIndex index;
  TMemoryStream in(bytes);
  ASSERT_TRUE(index.Read(in));
  const size_t bOffsetAt = 3 + (2 + 5 + 4) + (2 + 5);  // after "A.xml" and the name "b.xml"
  const int32_t picture = index.Pictures[0].Offset;
  for (int i = 0; i < 4; ++i) bytes[bOffsetAt + static_cast<size_t>(i)] = static_cast<uint8_t>(picture >> (8 * i));
  SafeSaveText(file, std::string(bytes.begin(), bytes.end()));
  THelpContent stopped;
  stopped.LoadFile(file, {"bad.xml", "b.xml", "A.xml"});
  EXPECT_EQ(Texts(stopped), (std::vector<std::string>{"X", "A"}));  // "b.xml" itself is skipped

  THelpContent pictures;
  pictures.LoadFile(file, {"pic.xml"});
  ASSERT_EQ(pictures.Items.size(), 2u);
  ASSERT_NE(pictures.Items[0]->Picture, nullptr);
  EXPECT_EQ(pictures.Items[0]->Picture->Data(), kGif);
  EXPECT_EQ(pictures.Items[1]->Picture, nullptr);

  THelpContent none;
  none.LoadFile(folder.Dir() + "nothing.xcf", {});
  EXPECT_TRUE(none.Items.empty());
  SafeSaveText(folder.Dir() + "other.txt", "<text>x</text>");
  none.LoadFile(folder.Dir() + "other.txt", {});
  EXPECT_TRUE(none.Items.empty());
}

TEST(HelpContainer, DamagedContainersEndInAnErrorOrShowWhatTheyHold) {
  test::TProgramFolder folder;
  const std::string file = folder.Dir() + "damaged.xcf";
  test::ReadDamagedCopies(
      SampleContainer(),
      [&](TStream& s) {
        std::vector<uint8_t> bytes = s.ReadBytes(static_cast<size_t>(s.Size()));
        SafeSaveText(file, std::string(bytes.begin(), bytes.end()));
        for (const std::vector<std::string>& topics :
             {std::vector<std::string>{}, {"A.xml", "pic.xml", "loop.xml", "bad.xml"}}) {
          THelpContent help;
          help.LoadFile(file, topics);
        }
      },
      3, 300);
}

TEST(HelpPacker, PacksAFolderOfTopicsAndPictures) {
  test::TProgramFolder folder;
  std::filesystem::create_directory(folder.Dir() + "src");
  SafeSaveText(folder.Dir() + "src/Main.xml", "<text>Grüße <image>logo.gif</image></text>");
  SafeSaveText(folder.Dir() + "src/logo.gif", std::string(kGif.begin(), kGif.end()));
  SafeSaveText(folder.Dir() + "src/notes.txt", "left out");
  const std::string tool = ExtractFilePath(platform::ProgramFile()) + "qs-helppack";
  const std::string command = tool + " '" + folder.Dir() + "src' '" + folder.Dir() + "Help.xcf' > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  THelpContent help;
  help.LoadFile(folder.Dir() + "Help.xcf", {"main.xml"});
  ASSERT_EQ(help.Items.size(), 3u);
  EXPECT_EQ(help.Items[1]->Text, "Grüße");
  ASSERT_NE(help.Items[2]->Picture, nullptr);
  EXPECT_EQ(help.Items[2]->Picture->GraphicType(), TQSGraphicType::Gif);
}

}  // namespace
}  // namespace qs
