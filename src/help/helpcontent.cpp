#include "help/helpcontent.h"

#include <algorithm>

#include "base/exceptions.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "base/text.h"
#include "score/record.h"
#include "uikit/lrf.h"

namespace qs {

namespace {

// Embedding deeper than this is not followed: no help page needs it, and
// it bounds the work a damaged container can cause.
constexpr size_t kMaxEmbedding = 16;

const THelpIndexEntry* FindEntry(const std::vector<THelpIndexEntry>& entries, const std::string& name) {
  for (const THelpIndexEntry& e : entries)
    if (SameText(e.Name, name)) return &e;
  return nullptr;
}

std::vector<THelpIndexEntry> ReadIndex(TStream& s) {
  const uint16_t count = s.ReadU16();
  std::vector<THelpIndexEntry> entries;
  for (int i = 0; i < count; ++i) {
    THelpIndexEntry e;
    const uint16_t n = s.ReadU16();
    std::vector<uint8_t> bytes = s.ReadBytes(n);
    e.Name.assign(bytes.begin(), bytes.end());
    e.Offset = s.ReadI32();
    entries.push_back(std::move(e));
  }
  return entries;
}

bool SortsBefore(const std::string& a, const std::string& b) { return CompareText(a, b) < 0; }

// Seeks to a record's offset; false when the offset lies outside the data.
bool SeekRecord(TStream& s, int32_t offset) {
  if (offset < 0 || offset >= s.Size()) return false;
  s.SetPosition(offset);
  return true;
}

void WriteName(TStream& s, const std::string& name) {
  WriteCount16(s, name.size(), "help name");
  s.WriteBuffer(name.data(), name.size());
}


}  // namespace

// ---------------------------------------------------------------- container

bool THelpContainerIndex::Read(TStream& s) {
  Topics.clear();
  Pictures.clear();
  uint8_t marker = 0;
  if (s.Read(&marker, 1) != 1 || marker != helpfile::kContainerMarker) return false;
  Topics = ReadIndex(s);
  std::stable_sort(Topics.begin(), Topics.end(),
                   [](const THelpIndexEntry& a, const THelpIndexEntry& b) { return SortsBefore(a.Name, b.Name); });
  if (s.Read(&marker, 1) == 1 && marker == helpfile::kPictureIndexMarker) Pictures = ReadIndex(s);
  return true;
}

void WriteHelpContainer(TStream& s, std::vector<THelpTopicSource> topics,
                        const std::vector<THelpPictureSource>& pictures) {
  std::stable_sort(topics.begin(), topics.end(),
                   [](const THelpTopicSource& a, const THelpTopicSource& b) { return SortsBefore(a.Name, b.Name); });
  for (size_t i = 1; i < topics.size(); ++i)
    if (SameText(topics[i - 1].Name, topics[i].Name)) throw EWriteError("Two help topics are named " + topics[i].Name);
  // The records follow both indexes; their offsets are known once the
  // indexes' sizes are.
  int64_t offset = s.Position() + 1 + 2 + 1 + 2;
  for (const auto& t : topics) offset += 2 + static_cast<int64_t>(t.Name.size()) + 4;
  for (const auto& p : pictures) offset += 2 + static_cast<int64_t>(p.Name.size()) + 4;
  auto checked = [](int64_t v) {
    if (v > 0x7FFFFFFF) throw EWriteError("Cannot save: help container too large");
    return static_cast<int32_t>(v);
  };
  s.WriteU8(helpfile::kContainerMarker);
  WriteCount16(s, topics.size(), "topic list");
  for (const auto& t : topics) {
    WriteName(s, t.Name);
    s.WriteI32(checked(offset));
    offset += 1 + 4 + static_cast<int64_t>(t.Markup.size());
  }
  s.WriteU8(helpfile::kPictureIndexMarker);
  WriteCount16(s, pictures.size(), "picture list");
  for (const auto& p : pictures) {
    WriteName(s, p.Name);
    s.WriteI32(checked(offset));
    offset += 8 + static_cast<int64_t>(p.Data.size());
  }
  for (const auto& t : topics) {
    s.WriteU8(helpfile::kTopicMarker);
    s.WriteI32(checked(static_cast<int64_t>(t.Markup.size())));
    s.WriteBuffer(t.Markup.data(), t.Markup.size());
  }
  for (const auto& p : pictures) {
    TQSPicture picture;
    picture.LoadFromBytes(p.Type, p.Data);
    WritePicture(s, picture);
  }
}

TQSGraphicType GraphicTypeOfFile(const std::string& fileName) {
  const std::string ext = LowerCase(ExtractFileExt(fileName));
  if (ext == ".bmp") return TQSGraphicType::Bitmap;
  if (ext == ".gif") return TQSGraphicType::Gif;
  if (ext == ".jpg" || ext == ".jpeg") return TQSGraphicType::Jpeg;
  if (ext == ".ico") return TQSGraphicType::Icon;
  if (ext == ".wmf" || ext == ".emf") return TQSGraphicType::Metafile;
  return TQSGraphicType::None;
}

// ---------------------------------------------------------------- loading

void THelpContent::LoadFile(const std::string& fileName, const std::vector<std::string>& topics) {
  Items.clear();
  DeepestDepth = 0;
  firstLoose_ = nullptr;
  embedding_.clear();
  codePage_ = DefaultCodePage();
  if (!FileExists(fileName)) return;
  // A container named for its language ("Help.RUS.xcf") holds the markup
  // in that language's code page, whatever the interface speaks.
  const std::string stem = ChangeFileExt(ExtractFileName(fileName), "");
  if (const size_t dot = stem.rfind('.'); dot != std::string::npos) {
    const std::string code = UpperCase(stem.substr(dot + 1));
    for (const char* known : {"ENU", "DEU", "FRA", "ITA", "RUS"})
      if (code == known) codePage_ = LanguageCodePage(code);
  }
  const std::string ext = LowerCase(ExtractFileExt(fileName));
  TFileStream f(fileName, FileMode::OpenRead);
  if (ext == ".xcf") {
    if (!index_.Read(f)) return;
    container_ = &f;
    try {
      auto parse = [&](const THelpIndexEntry& e) {
        embedding_ = {LowerCase(e.Name)};
        ParseContainerTopic(e.Offset, 0);
      };
      if (topics.empty()) {
        if (!index_.Topics.empty()) parse(index_.Topics.front());
      } else {
        for (const std::string& name : topics) {
          const std::string wanted = Utf8ToAnsi(name);
          for (const THelpIndexEntry& e : index_.Topics)
            if (SameText(e.Name, wanted)) parse(e);
        }
      }
    } catch (...) {
      container_ = nullptr;
      throw;
    }
    container_ = nullptr;
  } else if (ext == ".xml") {
    folder_ = ExtractFilePath(fileName);
    embedding_ = {LowerCase(Utf8ToAnsi(ExtractFileName(fileName)))};
    ParseTopic(f, f.Size(), 0);
  }
}

bool THelpContent::ParseContainerTopic(int32_t offset, int depth) {
  TStream& s = *container_;
  uint8_t marker = 0;
  if (!SeekRecord(s, offset) || s.Read(&marker, 1) != 1 || marker != helpfile::kTopicMarker) return false;
  const int32_t length = s.ReadI32();
  if (length < 0) return false;
  ParseTopic(s, s.Position() + length, depth);
  return true;
}

// ---------------------------------------------------------------- parsing

void THelpContent::ParseTopic(TStream& s, int64_t end, int startDepth) {
  std::vector<TECMarkupToken> tokens;
  TokenizeMarkup(s, end, startDepth, DeepestDepth, tokens);
  ClearState();
  for (const TECMarkupToken& token : tokens) {
    if (token.Kind == markup::Text)
      Text(token);
    else
      Tag(token);
    if (stopped_) {
      stopped_ = false;
      break;
    }
  }
}

void THelpContent::ClearState() {
  if (state_.size() < static_cast<size_t>(DeepestDepth) + 1) state_.resize(static_cast<size_t>(DeepestDepth) + 1);
  for (TDepthState& d : state_) {
    d.Tag = 0;
    d.Item = nullptr;
    d.Font.Defined = 0;
  }
  state_[0].Font = BaseFont;
  state_[0].Font.Defined = 1;
  firstLoose_ = nullptr;
}

void THelpContent::Discard(int depth) {
  for (size_t d = static_cast<size_t>(std::max(depth, 1)); d < state_.size(); ++d) {
    TDepthState& st = state_[d];
    st.Tag = 0;
    st.Item = nullptr;
    st.Font = TECFont{};
    st.LinkKind = helplink::None;
    st.Link.clear();
  }
}

TECHelpItem* THelpContent::Append(uint8_t kind, int depth) {
  auto& item = Items.emplace_back(std::make_unique<TECHelpItem>());
  item->Kind = kind;
  item->Depth = static_cast<uint16_t>(depth);
  return item.get();
}

TECHelpItem* THelpContent::Open(uint8_t kind, int depth) {
  TECHelpItem* item = Append(kind, depth);
  state_[static_cast<size_t>(depth)].Item = item;
  return item;
}

int THelpContent::Enclosing(int below, std::initializer_list<int> tags) const {
  for (int d = below - 1; d >= 0; --d)
    if (std::find(tags.begin(), tags.end(), state_[static_cast<size_t>(d)].Tag) != tags.end()) return d;
  return -1;
}

const TECFont& THelpContent::FontInEffect(int depth) const {
  for (int d = depth - 1; d > 0; --d)
    if (state_[static_cast<size_t>(d)].Font.Defined) return state_[static_cast<size_t>(d)].Font;
  return state_[0].Font;
}

THelpContent::TLink THelpContent::LinkInEffect(int depth) const {
  const int d = Enclosing(depth, {helptag::Href, helptag::Gref, helptag::Lref});
  if (d < 0) return {};
  return {state_[static_cast<size_t>(d)].LinkKind, state_[static_cast<size_t>(d)].Link};
}

void THelpContent::Tag(const TECMarkupToken& token) {
  const int d = token.Depth;
  Discard(d);
  TDepthState& st = state_[static_cast<size_t>(d)];
  const int code = HelpTagIndex(token.Text);
  switch (code) {
    case helptag::Text:
    case helptag::P:
      st.Tag = code;
      Open(helpitem::Text, d);
      firstLoose_ = nullptr;
      break;
    case helptag::Ul:
      st.Tag = code;
      Open(helpitem::List, d);
      firstLoose_ = nullptr;
      break;
    case helptag::Li:
      if (Enclosing(d, {helptag::Ul}) < 0) break;
      st.Tag = code;
      Open(helpitem::ListEntry, d);
      firstLoose_ = nullptr;
      break;
    case helptag::More:
      st.Tag = code;
      Open(helpitem::More, d);
      break;
    case helptag::Image:
      st.Tag = code;
      Open(helpitem::Picture, d);
      break;
    case helptag::Href:
    case helptag::Embed:
      st.Tag = code;
      break;
    case helptag::Gref:
      st.Tag = code;
      Open(helpitem::TopicLinks, d);
      break;
    case helptag::Lref:
      st.Tag = code;
      Open(helpitem::LocalLinks, d);
      break;
    case helptag::Font:
      st.Tag = code;
      st.Font = FontInEffect(d);
      st.Font.Defined = 1;
      break;
    case helptag::Color:
    case helptag::Name:
    case helptag::Size:
    case helptag::Style:
      if (Enclosing(d, {helptag::Font}) >= 0) st.Tag = code;
      break;
    case helptag::Open:
    case helptag::Close:
      if (Enclosing(d, {helptag::More}) >= 0) st.Tag = code;
      break;
    case helptag::Url:
      if (Enclosing(d, {helptag::Href, helptag::Gref, helptag::Lref}) >= 0) st.Tag = code;
      break;
    case helptag::Line:
      Open(helpitem::Rule, d);
      firstLoose_ = nullptr;
      break;
    case helptag::Br:
      Open(helpitem::Break, d);
      break;
    default:  // xml, label and unknown names
      break;
  }
}

void THelpContent::Text(const TECMarkupToken& token) {
  const int t = token.Depth;
  const std::string trimmed = Trim(token.Text);
  TLink met;
  for (int s = t - 1; s >= 0; --s) {
    TDepthState& st = state_[static_cast<size_t>(s)];
    switch (st.Tag) {
      case helptag::Text:
      case helptag::P:
      case helptag::Li: {
        if (trimmed.empty()) {
          if (st.Tag == helptag::Li) return;  // an empty run is consumed by the entry
          continue;
        }
        TECHelpItem* base = st.Item;
        TECHelpItem* item = Append(st.Tag == helptag::Li ? helpitem::ListEntry : helpitem::Text, base ? base->Depth : s);
        item->Parent = base;
        item->Text = (st.Tag == helptag::P ? "    " : "") + Utf8(trimmed);
        // Only the first run of a paragraph is indented.
        if (st.Tag == helptag::P) st.Tag = helptag::Text;
        item->Font = FontInEffect(t);
        const TLink link = LinkInEffect(t);
        item->LinkKind = link.Kind;
        item->Link = link.Target;
        return;
      }
      case helptag::More: {
        if (trimmed.empty()) continue;
        const int depth = (st.Item ? st.Item->Depth : s) + 1;
        if (state_.size() <= static_cast<size_t>(depth)) state_.resize(static_cast<size_t>(depth) + 1);
        TECHelpItem* item = Append(helpitem::Text, depth);
        item->Text = Utf8(trimmed);
        item->Font = FontInEffect(t);
        // Each run written directly in the block is a paragraph of its
        // hidden part.
        state_[static_cast<size_t>(depth)].Tag = helptag::Text;
        state_[static_cast<size_t>(depth)].Item = item;
        return;
      }
      case helptag::Open:
      case helptag::Close: {
        const int m = Enclosing(s, {helptag::More});
        TECHelpItem* more = m >= 0 ? state_[static_cast<size_t>(m)].Item : nullptr;
        if (more) {
          (st.Tag == helptag::Open ? more->Text : more->SecondText) = Utf8(UnquoteMarkupValue(token.Text));
          more->Font = FontInEffect(t);
        }
        return;
      }
      case helptag::Color:
      case helptag::Size:
      case helptag::Name:
      case helptag::Style: {
        const int f = Enclosing(s, {helptag::Font});
        if (f < 0) return;
        TECFont& font = state_[static_cast<size_t>(f)].Font;
        const std::string value = UnquoteMarkupValue(token.Text);
        if (st.Tag == helptag::Color) {
          font.Color = MarkupColor(value);
        } else if (st.Tag == helptag::Size) {
          font.Size = static_cast<int16_t>(std::clamp(StrToIntSafe(value, 10), -32768, 32767));
        } else if (st.Tag == helptag::Name) {
          font.Name = Utf8(value);
        } else {
          const std::string upper = UpperCase(value);
          if (upper.find("NORMAL") != std::string::npos) font.Style = 0;
          if (upper.find("ITALIC") != std::string::npos) font.Style |= 2;
          if (upper.find("BOLD") != std::string::npos) font.Style |= 1;
          if (upper.find("UNDERLINE") != std::string::npos) font.Style |= 4;
          if (upper.find("STRIKEOUT") != std::string::npos) font.Style |= 8;
        }
        return;
      }
      case helptag::Url: {
        const int l = Enclosing(s, {helptag::Href, helptag::Gref, helptag::Lref});
        if (l < 0) return;
        TDepthState& link = state_[static_cast<size_t>(l)];
        link.LinkKind = static_cast<uint8_t>(link.Tag);  // the link kinds are the tags' codes
        link.Link = Utf8(UnquoteMarkupValue(token.Text));
        return;
      }
      case helptag::Href:
      case helptag::Gref:
      case helptag::Lref:
        met = {st.LinkKind, st.Link};
        continue;
      case helptag::Image: {
        TECHelpItem* image = st.Item;
        if (!image) return;
        LoadPicture(image, token.Text);
        const TLink link = LinkInEffect(t);
        image->LinkKind = link.Kind;
        image->Link = link.Target;
        return;
      }
      case helptag::Embed:
        Embed(token.Text, t);
        return;
      default:
        continue;
    }
  }
  if (trimmed.empty()) return;
  TECHelpItem* item = Append(helpitem::Text, t);
  item->Text = Utf8(trimmed);
  item->Font = FontInEffect(t);
  item->LinkKind = met.Kind;
  item->Link = met.Target;
  item->Parent = firstLoose_;
  if (!firstLoose_) firstLoose_ = item;
}

void THelpContent::LoadPicture(TECHelpItem* item, const std::string& name) {
  if (container_) {
    const THelpIndexEntry* e = FindEntry(index_.Pictures, name);
    if (!e) return;
    item->Picture = std::make_unique<TQSPicture>();
    if (!SeekRecord(*container_, e->Offset)) return;
    try {
      ReadPicture(*container_, *item->Picture, container_->Size());
    } catch (const EReadError&) {
      item->Picture->Clear();  // a header that does not fit: an empty picture
    }
    return;
  }
  // A page's pictures lie in its own folder.
  const std::string path = folder_ + Utf8(name);
  if (name.empty() || name.find('/') != std::string::npos || !FileExists(path)) return;
  item->Picture = std::make_unique<TQSPicture>();
  TFileStream f(path, FileMode::OpenRead);
  item->Picture->LoadFromBytes(GraphicTypeOfFile(path), f.ReadBytes(static_cast<size_t>(f.Size())));
}

void THelpContent::Embed(const std::string& name, int depth) {
  // A topic that embeds itself, directly or through others, is not
  // followed again.
  const std::string key = LowerCase(name);
  if (embedding_.size() >= kMaxEmbedding || std::find(embedding_.begin(), embedding_.end(), key) != embedding_.end())
    return;
  embedding_.push_back(key);
  struct TPop {
    std::vector<std::string>& v;
    ~TPop() { v.pop_back(); }
  } pop{embedding_};
  if (container_) {
    const THelpIndexEntry* e = FindEntry(index_.Topics, name);
    if (!e) return;
    // An embedded record that is not a topic ends the including topic.
    if (!ParseContainerTopic(e->Offset, depth)) stopped_ = true;
    return;
  }
  const std::string path = folder_ + Utf8(name);
  if (name.empty() || name.find('/') != std::string::npos || !FileExists(path)) return;
  TFileStream f(path, FileMode::OpenRead);
  ParseTopic(f, f.Size(), depth);
}

}  // namespace qs
