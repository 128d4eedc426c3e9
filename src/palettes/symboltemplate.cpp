#include "palettes/symboltemplate.h"

#include <algorithm>
#include <limits>

#include "base/exceptions.h"
#include "base/safefile.h"
#include "palettes/libraryfile.h"

namespace qs {

namespace {

constexpr uint8_t kSymbolSignature = 160;
constexpr uint8_t kOldSymbolSignature = 200;
constexpr uint16_t kSymbolVersion = 1024;
constexpr uint16_t kOldSymbolVersion = 800;
constexpr int kOldSizeScale = 9;    // old sizes were stored divided by 9
constexpr int kOldPixelScale = 8;   // old coordinates are screen pixels

// The body of an old record: fields lying beyond it are not there and
// leave the item's field at its default.
struct TOldBody {
  std::vector<uint8_t> Bytes;
  bool Has(size_t offset, size_t size) const { return offset + size <= Bytes.size(); }
  uint8_t U8(size_t offset) const { return Bytes[offset]; }
};

// The field block of an item as bytes, patched and read back.
class TBlockPatch {
 public:
  explicit TBlockPatch(const TOldBody& body) : body_(body) {}

  template <class F>
  void Apply(F& fields) {
    TBlockIO w = TBlockIO::Writer();
    F copy = fields;
    copy.Visit(w);
    block_ = w.Written();
    for (const auto& [offset, value] : patches_)
      if (offset < block_.size()) block_[offset] = value;
    ApplyBlock(block_, [&](TBlockIO& b) { fields.Visit(b); }, nullptr);
  }

  // size bytes of the body at `from` to the block at `to`.
  void Copy(size_t from, size_t to, size_t size) {
    if (!body_.Has(from, size)) return;
    for (size_t i = 0; i < size; ++i) Set(to + i, body_.U8(from + i));
  }
  // An i16 pixel coordinate to layout units.
  void Coordinate(size_t from, size_t to) {
    if (!body_.Has(from, 2)) return;
    const int pixels = static_cast<int16_t>(body_.U8(from) | body_.U8(from + 1) << 8);
    const int units = std::clamp(pixels * kOldPixelScale, int{std::numeric_limits<int16_t>::min()},
                                 int{std::numeric_limits<int16_t>::max()});
    Set16(to, static_cast<uint16_t>(units));
  }
  void Coordinates(size_t from, size_t to, int count) {
    for (int i = 0; i < count; ++i) Coordinate(from + 2 * static_cast<size_t>(i), to + 2 * static_cast<size_t>(i));
  }
  // The page: unless bit 3 of the flag byte is set, the page byte + 1.
  void Page(size_t flagAt, size_t pageAt, size_t to) {
    const uint8_t flags = body_.Has(flagAt, 1) ? body_.U8(flagAt) : 0;
    if (flags & 0x08 || !body_.Has(pageAt, 1)) return;
    Set16(to, static_cast<uint16_t>(body_.U8(pageAt) + 1));
  }

 private:
  void Set(size_t offset, uint8_t value) { patches_.emplace_back(offset, value); }
  void Set16(size_t offset, uint16_t value) {
    Set(offset, static_cast<uint8_t>(value));
    Set(offset + 1, static_cast<uint8_t>(value >> 8));
  }

  const TOldBody& body_;
  std::vector<std::pair<size_t, uint8_t>> patches_;
  std::vector<uint8_t> block_;
};

template <class T>
T* NewItem(TQSSymbolDescription& symbol, TQSItemType k) {
  auto* item = static_cast<T*>(CreateItemByKind(k, &symbol));
  symbol.Items.Add(item);
  return item;
}

// One old record: u8 length, the body, and for texts and pictures what
// follows the body. Records of other letters are passed over.
void ReadOldRecord(TStream& s, TQSSymbolDescription& symbol) {
  TOldBody body{s.ReadBytes(s.ReadU8())};
  if (body.Bytes.empty()) return;
  TBlockPatch p(body);
  switch (body.U8(0)) {
    case '=': {
      auto* text = NewItem<TQSText>(symbol, kind::Text);
      p.Coordinate(2, 0);
      p.Coordinate(4, 2);
      p.Page(9, 6, 8);
      p.Copy(7, 11, 1);
      p.Copy(8, 12, 1);
      p.Copy(9, 10, 1);
      p.Copy(12, 16, 4);
      p.Copy(16, 20, 2);
      p.Apply(text->Fields);
      text->FontName = ReadStreamString(s);
      text->Lines = ReadStreamStringLines(s);
      break;
    }
    case '>': {
      auto* image = NewItem<TQSImage>(symbol, kind::Image);
      p.Coordinates(2, 0, 4);
      p.Page(11, 10, 8);
      p.Copy(11, 10, 1);
      p.Apply(image->Fields);
      ReadPicture(s, image->Picture, s.Size());
      break;
    }
    case '?': {
      auto* line = NewItem<TQSLine>(symbol, kind::Line);
      p.Coordinates(2, 0, 4);
      p.Copy(10, 11, 1);
      p.Copy(12, 12, 4);
      p.Copy(16, 16, 1);
      p.Copy(17, 10, 1);
      p.Page(18, 19, 8);
      p.Apply(line->Fields);
      break;
    }
    case '@':
    case 'A': {
      auto* shape = NewItem<TQSRectangle>(symbol, body.U8(0) == '@' ? kind::Rectangle : kind::Ellipse);
      p.Coordinates(2, 0, 4);
      p.Copy(10, 11, 1);
      p.Copy(12, 12, 4);
      p.Copy(16, 16, 1);
      p.Copy(20, 20, 4);
      p.Copy(24, 24, 1);
      p.Page(25, 26, 8);
      p.Apply(shape->Fields);
      break;
    }
    case 'B':
    case 'C':
    case 'D': {
      static constexpr TQSItemType kArcs[] = {kind::Arc, kind::Pie, kind::ChordSegment};
      auto* arc = NewItem<TQSArc>(symbol, kArcs[body.U8(0) - 'B']);
      p.Coordinates(2, 0, 8);
      p.Copy(18, 19, 1);
      p.Copy(20, 20, 4);
      p.Copy(24, 24, 1);
      p.Copy(28, 28, 4);
      p.Copy(32, 32, 1);
      p.Page(33, 34, 16);
      p.Apply(arc->Fields);
      break;
    }
    default:
      break;
  }
}

int32_t OldSize(int32_t stored) {
  const int64_t v = int64_t{stored} * kOldSizeScale;
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}  // namespace

void TQSSymbolDescription::LoadFromStream(TStream& s) {
  Loaded = true;
  const uint8_t signature = ReadLibrarySignature(s, {kOldSymbolSignature, kSymbolSignature}, "File is not symbol");
  const bool old = signature == kOldSymbolSignature;
  if (old)
    ReadLibraryVersion(s, kOldSymbolVersion, "Version of file is more then 3.2");
  else
    ReadLibraryVersion(s, kSymbolVersion, "Version of file is more then 4.0");
  const uint16_t fields = s.ReadU16();
  if (fields >= 1) Description = ReadStreamString(s);
  if (fields >= 2) Group = ReadStreamString(s);
  if (fields >= 3) Width = old ? OldSize(s.ReadI32()) : s.ReadI32();
  if (fields >= 4) Height = old ? OldSize(s.ReadI32()) : s.ReadI32();
  if (fields < 5) return;
  const uint16_t count = s.ReadU16();
  for (int i = 0; i < count; ++i) {
    if (s.Remaining() <= 0) throw EReadError();  // the count promised more than the file holds
    if (old) {
      ReadOldRecord(s, *this);
      continue;
    }
    TQSItem* item = CreateItemByKind(s.ReadU8(), this);
    if (!item) break;  // a kind without a class ends the items; those read stay
    Items.Add(item);
    item->LoadFromStream(s);
  }
}

void TQSSymbolDescription::SaveToStream(TStream& s) const {
  WriteLibraryHeader(s, kSymbolSignature, "Quavero symbol file", kSymbolVersion);
  s.WriteU16(5);
  WriteStreamString(s, Description);
  WriteStreamString(s, Group);
  s.WriteI32(Width);
  s.WriteI32(Height);
  WriteItemList(s, Items);
}

void TQSSymbolDescription::LoadFromFile() {
  LoadTemplateFile(FileName, kSymbolIndex.Extension, [&](TStream& s) { LoadFromStream(s); });
}

void TQSSymbolDescription::ImportFromFile(const std::string& path) {
  if (!LoadLibraryFile(path, [&](TStream& s) { LoadFromStream(s); })) return;
  FileName = LibraryEntryName(path);
}

void TQSSymbolDescription::SaveToFile() const {
  SaveTemplateFile(FileName, kSymbolIndex.Extension, [&](TStream& s) { SaveToStream(s); });
}

void TQSSymbolDescription::ExportToFile(const std::string& path) const {
  SafeSaveFile(path, [&](TStream& s) { SaveToStream(s); });
}

}  // namespace qs
