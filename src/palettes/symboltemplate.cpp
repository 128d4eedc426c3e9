#include "palettes/symboltemplate.h"

#include <algorithm>
#include <limits>

#include "base/exceptions.h"
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

// Where the bytes of an old record's body go in the item's field block.
struct TOldCopy {
  size_t From, To, Size;
};
struct TOldLayout {
  char Letter;
  TQSItemType Kind;
  int Coordinates;  // i16 pixel values from body byte 2 to block byte 0 on
  std::vector<TOldCopy> Copies;
  size_t FlagAt, PageAt, PageTo;  // the page rule
};

const std::vector<TOldLayout>& OldLayouts() {
  static const std::vector<TOldLayout> kLayouts = {
      {'=', kind::Text, 2, {{7, 11, 1}, {8, 12, 1}, {9, 10, 1}, {12, 16, 4}, {16, 20, 2}}, 9, 6, 8},
      {'>', kind::Image, 4, {{11, 10, 1}}, 11, 10, 8},
      {'?', kind::Line, 4, {{10, 11, 1}, {12, 12, 4}, {16, 16, 1}, {17, 10, 1}}, 18, 19, 8},
      {'@', kind::Rectangle, 4, {{10, 11, 1}, {12, 12, 4}, {16, 16, 1}, {20, 20, 4}, {24, 24, 1}}, 25, 26, 8},
      {'A', kind::Ellipse, 4, {{10, 11, 1}, {12, 12, 4}, {16, 16, 1}, {20, 20, 4}, {24, 24, 1}}, 25, 26, 8},
      {'B', kind::Arc, 8, {{18, 19, 1}, {20, 20, 4}, {24, 24, 1}, {28, 28, 4}, {32, 32, 1}}, 33, 34, 16},
      {'C', kind::Pie, 8, {{18, 19, 1}, {20, 20, 4}, {24, 24, 1}, {28, 28, 4}, {32, 32, 1}}, 33, 34, 16},
      {'D', kind::ChordSegment, 8, {{18, 19, 1}, {20, 20, 4}, {24, 24, 1}, {28, 28, 4}, {32, 32, 1}}, 33, 34, 16},
  };
  return kLayouts;
}

template <class T>
bool PatchItem(TQSItem* item, TBlockPatch& patch) {
  if (auto* t = dynamic_cast<T*>(item)) {
    patch.Apply(t->Fields);
    return true;
  }
  return false;
}

// One old record: u8 length, the body, and for texts and pictures what
// follows the body. Records of other letters are passed over.
void ReadOldRecord(TStream& s, TQSSymbolDescription& symbol) {
  TOldBody body{s.ReadBytes(s.ReadU8())};
  if (body.Bytes.empty()) return;
  const auto& layouts = OldLayouts();
  auto layout = std::find_if(layouts.begin(), layouts.end(),
                             [&](const TOldLayout& l) { return static_cast<uint8_t>(l.Letter) == body.U8(0); });
  if (layout == layouts.end()) return;
  TQSItem* item = CreateItemByKind(layout->Kind, &symbol);
  symbol.Items.Add(item);
  TBlockPatch patch(body);
  patch.Coordinates(2, 0, layout->Coordinates);
  for (const TOldCopy& c : layout->Copies) patch.Copy(c.From, c.To, c.Size);
  patch.Page(layout->FlagAt, layout->PageAt, layout->PageTo);
  PatchItem<TQSText>(item, patch) || PatchItem<TQSImage>(item, patch) || PatchItem<TQSLine>(item, patch) ||
      PatchItem<TQSRectangle>(item, patch) || PatchItem<TQSArc>(item, patch);
  if (auto* text = dynamic_cast<TQSText*>(item)) {
    text->FontName = ReadStreamString(s);
    text->Lines = ReadStreamStringLines(s);
  } else if (auto* image = dynamic_cast<TQSImage*>(item)) {
    ReadPicture(s, image->Picture, s.Size());
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

}  // namespace qs
