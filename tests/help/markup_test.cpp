// The markup tokenizer of help pages, feeds and lesson scripts.
#include <gtest/gtest.h>

#include "base/stream.h"
#include "help/markup.h"

namespace qs {
namespace {

struct TTok {
  uint8_t Kind;
  std::string Text;
  int Depth;
  bool operator==(const TTok&) const = default;
};

std::ostream& operator<<(std::ostream& o, const TTok& t) {
  return o << "{" << int(t.Kind) << ", \"" << t.Text << "\", " << t.Depth << "}";
}

std::vector<TTok> Tokens(const std::string& text, int startDepth = 0, int* deepest = nullptr) {
  TMemoryStream s(std::vector<uint8_t>(text.begin(), text.end()));
  std::vector<TECMarkupToken> tokens;
  int d = 0;
  const int n = TokenizeMarkup(s, s.Size(), startDepth, d, tokens);
  EXPECT_EQ(n, static_cast<int>(tokens.size()));
  if (deepest) *deepest = d;
  std::vector<TTok> out;
  for (const auto& t : tokens) out.push_back({t.Kind, t.Text, t.Depth});
  return out;
}

constexpr uint8_t S = markup::StartTag, A = markup::AttributeName, T = markup::Text, E = markup::EmptyTag;

TEST(MarkupTokenizer, TheGrammar) {
  struct Case {
    const char* Name;
    std::string Text;
    std::vector<TTok> Expected;
  } cases[] = {
      {"attributes are children, values keep their quotes",
       "<a b=\"1 2\">x</a>",
       {{S, "a", 0}, {A, "b", 1}, {T, "\"1 2\"", 2}, {T, "x", 1}}},
      {"an unquoted value ends at the first blank",
       "<font name=Times New>y</font>",
       {{S, "font", 0}, {A, "name", 1}, {T, "Times", 2}, {A, "New", 1}, {T, "y", 1}}},
      {"an empty element leaves the depth",
       "<p>a<br/>b</p>",
       {{S, "p", 0}, {T, "a", 1}, {E, "br", 1}, {T, "b", 1}}},
      {"a blank before the slash opens a level",
       "<p><br />b</p>c<q>",
       {{S, "p", 0}, {S, "br", 1}, {A, "/", 2}, {T, "b", 2}, {T, "c", 1}, {S, "q", 1}}},
      {"a slash in a value stays and closes nothing",
       "<image src=a/>t<q>",
       {{S, "image", 0}, {A, "src", 1}, {T, "a/", 2}, {T, "t", 1}, {S, "q", 1}}},
      {"a quote first in content swallows tags up to the next quote",
       "<p> \"a<b>c\" d<i>e</i></p>",
       {{S, "p", 0}, {T, " \"a<b>c\" d", 1}, {S, "i", 1}, {T, "e", 2}}},
      {"line ends and tabs are dropped, blanks kept",
       "<t>a\r\n\tb c</t>",
       {{S, "t", 0}, {T, "ab c", 1}}},
      {"text before the first tag is ignored, an unfinished token not counted",
       "junk<a>text",
       {{S, "a", 0}}},
      {"the very first token is kept even when empty, later empty ones are not",
       "<>x<b></b><c>",
       {{S, "", 0}, {T, "x", 1}, {S, "b", 1}, {S, "c", 1}}},
      {"closing tags with nothing open stay at the outermost level",
       "</a></b>x<c>",
       {{T, "", 0}, {T, "x", 0}, {S, "c", 0}}},
  };
  for (const Case& c : cases) EXPECT_EQ(Tokens(c.Text), c.Expected) << c.Name;
}

TEST(MarkupTokenizer, DepthsAndBounds) {
  int deepest = 0;
  EXPECT_EQ(Tokens("<a><b>x", 3, &deepest), (std::vector<TTok>{{S, "a", 3}, {S, "b", 4}}));
  EXPECT_EQ(deepest, 5);

  // Nesting deeper than any page needs stays at the limit.
  std::string deep;
  for (int i = 0; i < 3000; ++i) deep += "<a>";
  deep += "<b>";
  std::vector<TTok> tokens = Tokens(deep, 0, &deepest);
  EXPECT_EQ(deepest, markup::kMaxDepth);
  EXPECT_EQ(tokens.back().Depth, markup::kMaxDepth);

  // A quote that never closes takes the rest of the input, and ends.
  EXPECT_EQ(Tokens("<p>'" + std::string(100000, '<') + "<q>"), (std::vector<TTok>{{S, "p", 0}}));

  // The end position is clamped to the data; reading starts at the position.
  const std::string text = "xx<a>b<c>";
  TMemoryStream s(std::vector<uint8_t>(text.begin(), text.end()));
  s.SetPosition(2);
  std::vector<TECMarkupToken> out;
  int d = 0;
  EXPECT_EQ(TokenizeMarkup(s, 1 << 30, 0, d, out), 3);
  s.SetPosition(2);
  EXPECT_EQ(TokenizeMarkup(s, 6, 0, d, out), 1);  // "b" is still being collected
}

TEST(MarkupValues, TagsColoursAndQuotes) {
  const char* const tags[] = {"xml", "text", "ul", "li", "color", "more", "name", "image", "href", "gref", "lref",
                              "open", "close", "font", "size", "url", "style", "label", "line", "p", "br", "embed"};
  for (int i = 0; i < 22; ++i) EXPECT_EQ(HelpTagIndex(tags[i]), i + 1) << tags[i];
  EXPECT_EQ(HelpTagIndex("FONT"), helptag::Font);
  EXPECT_EQ(HelpTagIndex("rss"), 0);
  EXPECT_EQ(HelpTagIndex(""), 0);

  struct Colour {
    const char* Text;
    uint32_t Value;
  } colours[] = {{"FF0000", 0x0000FF}, {"\"00FF00\"", 0x00FF00}, {"#00ff00", 0}, {"0000FF", 0xFF0000},
                 {"F", 0xF0},          {"12 34 56", 0x563412},   {"", 0}};
  for (const Colour& c : colours) EXPECT_EQ(MarkupColor(c.Text), c.Value) << c.Text;

  EXPECT_EQ(UnquoteMarkupValue("  \"Times New\" "), "Times New");
  EXPECT_EQ(UnquoteMarkupValue("'a'"), "a");
  EXPECT_EQ(UnquoteMarkupValue("'a\""), "'a\"");
  EXPECT_EQ(UnquoteMarkupValue("\""), "\"");
}

}  // namespace
}  // namespace qs
