#include "help/markup.h"

#include <algorithm>

#include "base/strings.h"

namespace qs {

namespace {

enum class TState { Before, TagName, Content, AttributeName, AttributeValue };
constexpr uint8_t kClosingTag = 4;

bool IsBlank(char c) { return c == ' '; }
bool IsQuote(char c) { return c == '"' || c == '\''; }
bool IsDropped(char c) { return c == '\r' || c == '\n' || c == '\t' || c == '\0'; }

class TTokenizer {
 public:
  TTokenizer(int startDepth, std::vector<TECMarkupToken>& tokens) : depth_(startDepth), tokens_(tokens) {}

  int Deepest() const { return deepest_; }

  void Feed(char c) {
    switch (state_) {
      case TState::Before:
        if (c == '<') Open(markup::StartTag, TState::TagName);
        break;
      case TState::TagName:
        if (c == '/') {
          current_.Kind = current_.Text.empty() ? kClosingTag : markup::EmptyTag;
        } else if (IsBlank(c) && !current_.Text.empty()) {
          Finish();
          Deeper();
          Open(markup::AttributeName, TState::AttributeName);
        } else if (c == '>') {
          const bool start = current_.Kind == markup::StartTag;
          Finish();
          if (start) Deeper();
          Open(markup::Text, TState::Content);
        } else if (c != '\0' && !IsBlank(c)) {
          current_.Text += c;
        }
        break;
      case TState::Content:
        if (!Quoting(c) && c == '<' && !quote_) {
          Finish();
          Open(markup::StartTag, TState::TagName);
        } else if (!IsDropped(c)) {
          current_.Text += c;
        }
        break;
      case TState::AttributeName:
        if (c == '=') {
          Finish();
          Deeper();
          Open(markup::Text, TState::AttributeValue);
        } else if (c == '>') {
          Finish();
          Open(markup::Text, TState::Content);
        } else if (c != '\0' && !IsBlank(c)) {
          current_.Text += c;
        }
        break;
      case TState::AttributeValue:
        if (Quoting(c) || quote_) {
          if (!IsDropped(c)) current_.Text += c;
        } else if (c == '>') {
          Finish();
          Open(markup::Text, TState::Content);
          Shallower();
        } else if (IsBlank(c) && !current_.Text.empty()) {
          Finish();
          Open(markup::AttributeName, TState::AttributeName);
          Shallower();
        } else if (!IsDropped(c)) {
          current_.Text += c;
        }
        break;
    }
  }

 private:
  // The quote rule: a quote as the first non-blank character of a token
  // starts quote mode, the next quote ends it. True when c was such a
  // quote ending or starting quote mode (it is still collected).
  bool Quoting(char c) {
    if (IsQuote(c)) {
      if (quote_) {
        quote_ = false;
        first_ = false;
        return true;
      }
      if (first_) {
        quote_ = true;
        first_ = false;
        return true;
      }
    }
    if (!IsBlank(c) && !IsDropped(c)) first_ = false;
    return false;
  }

  void Open(uint8_t kind, TState state) {
    current_ = TECMarkupToken{kind, {}, 0};
    state_ = state;
    quote_ = false;
    first_ = true;
  }

  void Finish() {
    current_.Depth = static_cast<uint16_t>(depth_);
    if (current_.Kind == kClosingTag) {
      Shallower();
    } else if (!current_.Text.empty() || tokens_.empty()) {
      tokens_.push_back(std::move(current_));
    }
    current_ = {};
    quote_ = false;
    first_ = true;
  }

  void Deeper() {
    depth_ = std::min(depth_ + 1, markup::kMaxDepth);
    deepest_ = std::max(deepest_, depth_);
  }
  // A closing tag with nothing open stays at the outermost level.
  void Shallower() { depth_ = std::max(depth_ - 1, 0); }

  TState state_ = TState::Before;
  int depth_;
  int deepest_ = 0;
  bool quote_ = false;
  bool first_ = true;
  TECMarkupToken current_;
  std::vector<TECMarkupToken>& tokens_;
};

}  // namespace

int TokenizeMarkup(TStream& s, int64_t end, int startDepth, int& deepest, std::vector<TECMarkupToken>& tokens) {
  tokens.clear();
  startDepth = std::clamp(startDepth, 0, markup::kMaxDepth);
  deepest = std::max(deepest, startDepth);
  const int64_t stop = std::min(end, s.Size());
  TTokenizer tokenizer(startDepth, tokens);
  char chunk[255];
  for (int64_t left = stop - s.Position(); left > 0;) {
    const size_t n = s.Read(chunk, static_cast<size_t>(std::min<int64_t>(left, sizeof chunk)));
    if (n == 0) break;
    for (size_t i = 0; i < n; ++i) tokenizer.Feed(chunk[i]);
    left -= static_cast<int64_t>(n);
  }
  deepest = std::max(deepest, tokenizer.Deepest());
  return static_cast<int>(tokens.size());
}

int HelpTagIndex(std::string_view name) {
  static const char* const kTags[] = {"xml", "text", "ul",   "li",   "color", "more",  "name",  "image",
                                      "href", "gref", "lref", "open", "close", "font",  "size",  "url",
                                      "style", "label", "line", "p",   "br",    "embed"};
  for (size_t i = 0; i < std::size(kTags); ++i)
    if (SameText(name, kTags[i])) return static_cast<int>(i) + 1;
  return 0;
}

std::string UnquoteMarkupValue(std::string_view value) {
  std::string v = Trim(value);
  if (v.size() >= 2 && IsQuote(v.front()) && v.back() == v.front()) return v.substr(1, v.size() - 2);
  return v;
}

uint32_t MarkupColor(std::string_view value) {
  uint8_t rgb[3] = {};
  int digit = 0;
  for (char c : UnquoteMarkupValue(value)) {
    if (digit >= 6) break;
    int v;
    if (c >= '0' && c <= '9')
      v = c - '0';
    else if (c >= 'A' && c <= 'F')
      v = c - 'A' + 10;
    else
      continue;
    rgb[digit / 2] = static_cast<uint8_t>(rgb[digit / 2] | v << (digit % 2 ? 0 : 4));
    ++digit;
  }
  return uint32_t{rgb[0]} | uint32_t{rgb[1]} << 8 | uint32_t{rgb[2]} << 16;
}

}  // namespace qs
