#pragma once
// Help content: the help container (".xcf", many named topics and
// pictures in one file) and plain markup pages (".xml"), and the parser
// that turns the markup of a topic into the flat list of items the help
// viewer lays out and paints.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/stream.h"
#include "base/text.h"
#include "help/markup.h"
#include "score/picture.h"

namespace qs {

// ---------------------------------------------------------------- container

namespace helpfile {
constexpr uint8_t kContainerMarker = 0xF0;
constexpr uint8_t kTopicMarker = 0xF1;
constexpr uint8_t kPictureIndexMarker = 0xF2;
}  // namespace helpfile

struct THelpIndexEntry {
  std::string Name;  // bytes as stored (data code page)
  int32_t Offset = 0;
};

// The two indexes of a container: topics sorted by name (ignoring case),
// pictures in file order.
struct THelpContainerIndex {
  std::vector<THelpIndexEntry> Topics;
  std::vector<THelpIndexEntry> Pictures;
  // False when the stream does not begin with the container marker.
  bool Read(TStream& s);
};

// What a packer puts into a container.
struct THelpTopicSource {
  std::string Name;
  std::string Markup;  // bytes in the data code page
};
struct THelpPictureSource {
  std::string Name;
  TQSGraphicType Type = TQSGraphicType::None;
  std::vector<uint8_t> Data;
};
// Writes a container: the topic index sorted by name, the picture index in
// the order given, then the records. Names must be unique (ignoring case).
void WriteHelpContainer(TStream& s, std::vector<THelpTopicSource> topics,
                        const std::vector<THelpPictureSource>& pictures);
// The picture type of a file by its extension (None when unknown).
TQSGraphicType GraphicTypeOfFile(const std::string& fileName);

// ---------------------------------------------------------------- items

struct TECFont {
  uint8_t Defined = 0;
  std::string Name;  // empty = the canvas font's face
  uint32_t Color = 0;
  int16_t Size = 0;  // points; 0 = the canvas font's size
  uint8_t Style = 0;  // bold 1, italic 2, underline 4, strikeout 8
};

namespace helpitem {
constexpr uint8_t Text = 5, List = 10, ListEntry = 11, More = 12, Break = 15, LinkLine = 22, TopicLinks = 23,
                  LocalLinks = 24, Picture = 30, Rule = 31;
}
namespace helplink {
constexpr uint8_t None = 0, Outside = 9, Topic = 10, Local = 11;
}

struct TECHelpItem {
  uint8_t Kind = 0;
  std::string Text;        // UTF-8; for a block header the collapsed caption
  std::string SecondText;  // for a block header the expanded caption
  uint8_t LinkKind = helplink::None;
  std::string Link;
  std::unique_ptr<TQSPicture> Picture;  // of a picture item; null when it could not be found
  const TECHelpItem* Parent = nullptr;  // the run this one continues; null starts a line
  uint16_t Depth = 0;
  uint8_t Expanded = 0;
  TECFont Font;
};

// The content of the help viewer: the items of the topics asked for.
class THelpContent {
 public:
  // The viewer's own font (depth 0).
  TECFont BaseFont{1, {}, 0, 0, 0};
  std::vector<std::unique_ptr<TECHelpItem>> Items;
  int DeepestDepth = 0;

  // Rebuilds the items from a container (the topics named, in that order,
  // or the first topic of the index when none is named) or a plain page.
  // A missing file or another extension gives no items.
  void LoadFile(const std::string& fileName, const std::vector<std::string>& topics);
  // Tokenizes from the stream's position to end and appends items.
  void ParseTopic(TStream& s, int64_t end, int startDepth);

 private:
  struct TDepthState {
    int Tag = 0;
    TECHelpItem* Item = nullptr;
    TECFont Font;
    uint8_t LinkKind = helplink::None;
    std::string Link;
  };
  struct TLink {
    uint8_t Kind = helplink::None;
    std::string Target;
  };

  void ClearState();
  void Discard(int depth);
  TECHelpItem* Open(uint8_t kind, int depth);
  TECHelpItem* Append(uint8_t kind, int depth);
  int Enclosing(int below, std::initializer_list<int> tags) const;
  const TECFont& FontInEffect(int depth) const;
  TLink LinkInEffect(int depth) const;
  void Tag(const TECMarkupToken& token);
  void Text(const TECMarkupToken& token);
  void LoadPicture(TECHelpItem* item, const std::string& name);
  void Embed(const std::string& name, int depth);
  bool ParseContainerTopic(int32_t offset, int depth);

  std::string Utf8(const std::string& bytes) const { return AnsiToUtf8(bytes, codePage_); }

  std::vector<TDepthState> state_;
  CodePage codePage_ = DefaultCodePage();
  const TECHelpItem* firstLoose_ = nullptr;
  // Where the topics come from: a container stream, or a page's folder.
  TStream* container_ = nullptr;
  THelpContainerIndex index_;
  std::string folder_;
  // Topics being parsed, so that a topic embedding itself is not followed.
  std::vector<std::string> embedding_;
  bool stopped_ = false;
};

}  // namespace qs
