#include "uikit/lrf.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "base/exceptions.h"

namespace qs {

CodePage LanguageCodePage(std::string_view code) {
  if (code.size() == 3 && (code[0] == 'R' || code[0] == 'r') && (code[1] == 'U' || code[1] == 'u') &&
      (code[2] == 'S' || code[2] == 's'))
    return CodePage::Windows1251;
  return CodePage::Windows1252;
}

namespace {

constexpr size_t kNodeSize = 11;

// Bounded little-endian reads over the block: every read says whether it
// stayed inside, so damaged offsets end a walk instead of reading past it.
class TBlockReader {
 public:
  TBlockReader(const std::vector<uint8_t>& block, size_t pos) : B_(block), Pos_(pos) {}
  size_t Pos() const { return Pos_; }
  bool Ok() const { return Ok_; }
  bool Has(size_t n) const { return Ok_ && Pos_ <= B_.size() && B_.size() - Pos_ >= n; }

  uint8_t U8() {
    if (!Has(1)) return Fail<uint8_t>();
    return B_[Pos_++];
  }
  uint16_t U16() {
    if (!Has(2)) return Fail<uint16_t>();
    uint16_t v = static_cast<uint16_t>(B_[Pos_] | (B_[Pos_ + 1] << 8));
    Pos_ += 2;
    return v;
  }
  uint32_t U32() {
    if (!Has(4)) return Fail<uint32_t>();
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | B_[Pos_ + i];
    Pos_ += 4;
    return v;
  }
  // A counted text; limit < 0 for none. Sets tooLong (and reads nothing)
  // when the count is above the limit.
  std::string_view Counted(int limit, bool* tooLong = nullptr) {
    uint16_t n = U16();
    if (!Ok_) return {};
    if (limit >= 0 && n > limit) {
      if (tooLong) *tooLong = true;
      return {};
    }
    if (!Has(n)) return Fail<std::string_view>();
    std::string_view s(reinterpret_cast<const char*>(B_.data() + Pos_), n);
    Pos_ += n;
    return s;
  }

 private:
  template <class T>
  T Fail() {
    Ok_ = false;
    return T{};
  }
  const std::vector<uint8_t>& B_;
  size_t Pos_;
  bool Ok_ = true;
};

uint16_t LoadU16(const std::vector<uint8_t>& b, size_t pos) { return static_cast<uint16_t>(b[pos] | (b[pos + 1] << 8)); }
uint32_t LoadU32(const std::vector<uint8_t>& b, size_t pos) {
  return b[pos] | (b[pos + 1] << 8) | (b[pos + 2] << 16) | (static_cast<uint32_t>(b[pos + 3]) << 24);
}

}  // namespace

std::optional<uint32_t> TLanguageData::FindFormRecord(std::string_view formName) const {
  if (formName.empty() || Block_.size() < kNodeSize) return std::nullopt;
  size_t node = 0;
  size_t k = 0;
  // Links only point forward, so a walk visits each byte of the block at
  // most once; the step bound is a second guard against a cycle.
  for (size_t steps = 0; steps <= Block_.size(); ++steps) {
    if (node > Block_.size() - kNodeSize) return std::nullopt;
    const uint8_t c = Block_[node];
    const uint8_t want = static_cast<uint8_t>(formName[k]);
    size_t linkField;
    if (want == c) {
      if (k + 1 == formName.size()) {
        uint32_t record = LoadU32(Block_, node + 1);
        if (record == 0 || record >= Block_.size()) return std::nullopt;
        return record;
      }
      ++k;
      linkField = node + 7;
    } else {
      linkField = want < c ? node + 5 : node + 9;
    }
    uint16_t link = LoadU16(Block_, linkField);
    if (link == 0) return std::nullopt;
    node = linkField + link;
  }
  return std::nullopt;
}

std::vector<TLanguageEntry> TLanguageData::ReadEntries(uint32_t record) const {
  std::vector<TLanguageEntry> out;
  TBlockReader r(Block_, record);
  r.U32();  // length of the property section
  uint16_t count = r.U16();
  if (!r.Ok() || count > kLanguageTextLimit) return out;
  for (int i = 0; i < count; ++i) {
    TLanguageEntry e;
    e.Path = AnsiToUtf8(r.Counted(-1), CodePage_);
    e.Type = r.U8();
    if (!r.Ok()) break;
    bool tooLong = false;
    switch (e.Type) {
      case static_cast<uint8_t>(TLanguageEntryType::Text):
      case static_cast<uint8_t>(TLanguageEntryType::Text2):
        e.Text = AnsiToUtf8(r.Counted(kLanguageTextLimit, &tooLong), CodePage_);
        break;
      case static_cast<uint8_t>(TLanguageEntryType::Strings): {
        uint16_t lines = r.U16();
        for (int j = 0; j < lines && r.Ok() && !tooLong; ++j)
          e.Lines.push_back(AnsiToUtf8(r.Counted(kLanguageTextLimit, &tooLong), CodePage_));
        break;
      }
      case static_cast<uint8_t>(TLanguageEntryType::Font):
        e.Font.Name = AnsiToUtf8(r.Counted(kLanguageTextLimit, &tooLong), CodePage_);
        e.Font.CharSet = static_cast<uint8_t>(r.U16() & 0xFF);
        e.Font.Size = r.U16();
        break;
      default:
        break;
    }
    if (!r.Ok() || tooLong) break;
    out.push_back(std::move(e));
  }
  return out;
}

int TLanguageData::MessageCount(uint32_t record) const {
  TBlockReader r(Block_, record);
  uint32_t length = r.U32();
  if (!r.Ok() || length > Block_.size()) return 0;
  TBlockReader m(Block_, size_t(record) + 4 + length);
  uint16_t count = m.U16();
  return m.Ok() ? count : 0;
}

std::string TLanguageData::Message(uint32_t record, int index) const {
  if (index < 0 || index >= MessageCount(record)) return {};
  uint32_t length = LoadU32(Block_, record);
  size_t slot = size_t(record) + 4 + length + 2 + 4 * size_t(index);
  TBlockReader o(Block_, slot);
  uint32_t offset = o.U32();
  if (!o.Ok()) return {};
  TBlockReader t(Block_, size_t(record) + offset);
  bool tooLong = false;
  std::string_view s = t.Counted(kLanguageTextLimit, &tooLong);
  if (!t.Ok() || tooLong) return {};
  return AnsiToUtf8(s, CodePage_);
}

std::optional<TLanguageData> ParseLanguageFile(const std::vector<uint8_t>& bytes, CodePage codePage) {
  TBlockReader r(bytes, 0);
  r.Counted(-1);
  uint8_t version = r.U8();
  r.Counted(-1);
  if (!r.Ok() || version != kLanguageFileVersion) return std::nullopt;
  return TLanguageData(std::vector<uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(r.Pos()), bytes.end()),
                       codePage);
}

std::optional<TLanguageData> ReadLanguageFile(const std::string& fileName, CodePage codePage) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return ParseLanguageFile(bytes, codePage);
}

// ------------------------------------------------------------- writing

namespace {

class TByteWriter {
 public:
  std::vector<uint8_t> Bytes;
  void U8(uint8_t v) { Bytes.push_back(v); }
  void U16(uint16_t v) {
    U8(v & 0xFF);
    U8(v >> 8);
  }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) U8((v >> (8 * i)) & 0xFF);
  }
  void PatchU16(size_t pos, uint16_t v) {
    Bytes[pos] = v & 0xFF;
    Bytes[pos + 1] = v >> 8;
  }
  void PatchU32(size_t pos, uint32_t v) {
    for (int i = 0; i < 4; ++i) Bytes[pos + i] = (v >> (8 * i)) & 0xFF;
  }
  void Counted(std::string_view utf8, CodePage cp, bool limited) {
    bool lossless = true;
    std::string ansi = Utf8ToAnsi(utf8, cp, &lossless);
    if (!lossless) throw EConvertError("Text not representable in the language's code page: " + std::string(utf8));
    if (ansi.size() > 0xFFFF || (limited && ansi.size() > size_t(kLanguageTextLimit)))
      throw EConvertError("Text too long for a language file: " + std::string(utf8.substr(0, 40)));
    U16(static_cast<uint16_t>(ansi.size()));
    Bytes.insert(Bytes.end(), ansi.begin(), ansi.end());
  }
};

// A ternary search tree of the form names, built balanced from the sorted
// names so lookups stay short.
struct TTreeNode {
  uint8_t Char = 0;
  int Record = -1;  // index of the form whose name ends here
  int Lower = -1, Equal = -1, Higher = -1;
};

int Insert(std::vector<TTreeNode>& nodes, int at, const std::string& name, size_t k, int record) {
  const uint8_t c = static_cast<uint8_t>(name[k]);
  if (at < 0) {
    nodes.push_back(TTreeNode{c});
    at = static_cast<int>(nodes.size()) - 1;
  }
  if (c < nodes[at].Char) {
    int child = Insert(nodes, nodes[at].Lower, name, k, record);
    nodes[at].Lower = child;
  } else if (c > nodes[at].Char) {
    int child = Insert(nodes, nodes[at].Higher, name, k, record);
    nodes[at].Higher = child;
  } else if (k + 1 < name.size()) {
    int child = Insert(nodes, nodes[at].Equal, name, k + 1, record);
    nodes[at].Equal = child;
  } else {
    nodes[at].Record = record;
  }
  return at;
}

void InsertBalanced(std::vector<TTreeNode>& nodes, int& root, const std::vector<std::pair<std::string, int>>& sorted,
                    size_t lo, size_t hi) {
  if (lo >= hi) return;
  size_t mid = lo + (hi - lo) / 2;
  root = Insert(nodes, root, sorted[mid].first, 0, sorted[mid].second);
  InsertBalanced(nodes, root, sorted, lo, mid);
  InsertBalanced(nodes, root, sorted, mid + 1, hi);
}

// Writes the nodes depth first, parents before children, so every link
// points forward as the format requires.
void EmitNodes(const std::vector<TTreeNode>& nodes, int at, TByteWriter& w, std::vector<size_t>& recordFields) {
  const TTreeNode& n = nodes[at];
  const size_t start = w.Bytes.size();
  w.U8(n.Char);
  if (n.Record >= 0) recordFields[n.Record] = w.Bytes.size();
  w.U32(0);
  w.U16(0);
  w.U16(0);
  w.U16(0);
  const int children[3] = {n.Lower, n.Equal, n.Higher};
  for (int i = 0; i < 3; ++i) {
    if (children[i] < 0) continue;
    const size_t field = start + 5 + 2 * size_t(i);
    const size_t link = w.Bytes.size() - field;
    if (link > 0xFFFF) throw EConvertError("Language file too large for its tree links");
    w.PatchU16(field, static_cast<uint16_t>(link));
    EmitNodes(nodes, children[i], w, recordFields);
  }
}

}  // namespace

std::vector<uint8_t> BuildLanguageFile(const std::vector<TLanguageFormRecord>& forms, CodePage codePage) {
  TByteWriter file;
  file.Counted("Quillstave language file", codePage, false);
  file.U8(kLanguageFileVersion);
  file.Counted(codePage == CodePage::Windows1251 ? "Windows-1251" : "Windows-1252", codePage, false);

  std::vector<std::pair<std::string, int>> sorted;
  for (size_t i = 0; i < forms.size(); ++i) {
    if (forms[i].FormName.empty()) throw EConvertError("A form record needs a name");
    sorted.emplace_back(forms[i].FormName, static_cast<int>(i));
  }
  std::sort(sorted.begin(), sorted.end());
  for (size_t i = 1; i < sorted.size(); ++i)
    if (sorted[i].first == sorted[i - 1].first) throw EConvertError("Form named twice: " + sorted[i].first);

  TByteWriter block;
  std::vector<size_t> recordFields(forms.size(), 0);
  if (!forms.empty()) {
    std::vector<TTreeNode> nodes;
    int root = -1;
    InsertBalanced(nodes, root, sorted, 0, sorted.size());
    EmitNodes(nodes, root, block, recordFields);
  }

  for (size_t i = 0; i < forms.size(); ++i) {
    const TLanguageFormRecord& f = forms[i];
    const size_t record = block.Bytes.size();
    block.PatchU32(recordFields[i], static_cast<uint32_t>(record));
    if (f.Entries.size() > size_t(kLanguageTextLimit)) throw EConvertError("Too many texts in form " + f.FormName);
    block.U32(0);
    block.U16(static_cast<uint16_t>(f.Entries.size()));
    for (const TLanguageEntry& e : f.Entries) {
      block.Counted(e.Path, codePage, false);
      block.U8(e.Type);
      switch (e.Type) {
        case static_cast<uint8_t>(TLanguageEntryType::Text):
        case static_cast<uint8_t>(TLanguageEntryType::Text2):
          block.Counted(e.Text, codePage, true);
          break;
        case static_cast<uint8_t>(TLanguageEntryType::Strings):
          if (e.Lines.size() > 0xFFFF) throw EConvertError("Too many lines in " + e.Path);
          block.U16(static_cast<uint16_t>(e.Lines.size()));
          for (const std::string& line : e.Lines) block.Counted(line, codePage, true);
          break;
        case static_cast<uint8_t>(TLanguageEntryType::Font):
          block.Counted(e.Font.Name, codePage, true);
          block.U16(e.Font.CharSet);
          block.U16(static_cast<uint16_t>(e.Font.Size));
          break;
        default:
          break;
      }
    }
    block.PatchU32(record, static_cast<uint32_t>(block.Bytes.size() - record - 4));
    if (f.Messages.size() > 0xFFFF) throw EConvertError("Too many messages in form " + f.FormName);
    block.U16(static_cast<uint16_t>(f.Messages.size()));
    const size_t table = block.Bytes.size();
    for (size_t m = 0; m < f.Messages.size(); ++m) block.U32(0);
    for (size_t m = 0; m < f.Messages.size(); ++m) {
      block.PatchU32(table + 4 * m, static_cast<uint32_t>(block.Bytes.size() - record));
      block.Counted(f.Messages[m], codePage, true);
    }
  }
  file.Bytes.insert(file.Bytes.end(), block.Bytes.begin(), block.Bytes.end());
  return file.Bytes;
}

}  // namespace qs
