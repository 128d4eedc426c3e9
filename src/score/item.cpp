#include "score/item.h"

#include <algorithm>

#include "base/exceptions.h"
#include "score/record.h"

namespace qs {

namespace {
constexpr TQSItemType kMarkKinds[] = {
    1,   2,   3,   4,   6,   27,  28,  40,  41,  42,  45,  50,  70,  71,  72,  85,  110, 111,
    112, 113, 114, 115, 116, 117, 118, 120, 121, 122, 123, 124, 125, 130, 131, 132, 133, 141,
    142, 143, 149, 150, 151, 153, 154, 155, 156, 157, 158, 159, 160, 169, 170, 171, 172, 173};
static_assert(sizeof(kMarkKinds) == 54);
}  // namespace

bool IsMarkKind(TQSItemType k) {
  return std::find(std::begin(kMarkKinds), std::end(kMarkKinds), k) != std::end(kMarkKinds);
}

bool IsKnownItemKind(TQSItemType k) {
  switch (k) {
    case 20: case 21: case 22: case 30: case 31: case 32: case 33: case 34: case 35: case 36:
    case 119: case 200: case 201: case 202: case 203: case 204: case 205: case 206: case 207:
    case 215: case 220:
      return true;
    default:
      return IsMarkKind(k);
  }
}

TQSItem::TQSItem(TQSItemOwner* owner) : owner_(owner) {
  if (owner_ && !owner_->RegistrationSuspended) owner_->AddItem(this);
}

TQSItem::~TQSItem() {
  if (owner_) owner_->RemoveItem(this);
}

void TQSItem::SetOwner(TQSItemOwner* owner) {
  if (owner_ == owner) return;
  if (owner_) owner_->RemoveItem(this);
  owner_ = owner;
  if (owner_ && !owner_->RegistrationSuspended) owner_->AddItem(this);
}

void TQSItem::Assign(const TQSItem& source) { RaiseAssignError(source.ClassName(), ClassName()); }

void TQSItem::LoadFromStream(TStream&) {}
void TQSItem::SaveToStream(TStream&) const {}

TQSItem* CreateItemByKind(TQSItemType k, TQSItemOwner* owner) {
  if (!IsKnownItemKind(k)) return nullptr;
  TQSItem* item = nullptr;
  switch (k) {
    case 20: case 21: case 22: case 32:
      item = CreateSoundingItem(k, owner);
      break;
    case 200: case 201: case 202: case 203: case 204: case 205: case 206: case 207: case 215:
      item = CreatePageItem(k, owner);
      break;
    default:
      item = CreateMarkItem(k, owner);
      break;
  }
  if (item) item->ItemType = k;
  return item;
}

int TupletNormalCount(uint8_t t) {
  static const int kNormal[] = {3, 2, 3, 4, 4, 8, 6, 8, 8};  // types 2..10
  return t >= 2 && t <= 10 ? kNormal[t - 2] : 1;
}

int TupletLength(uint8_t t, uint16_t unit) { return unit * TupletNormalCount(t); }

int TupletNoteLength(uint8_t t, uint16_t unit) {
  // Types outside 2..10 (type 1, or 0 from a damaged file) give the unit.
  if (t < 2 || t > 10) return unit;
  return unit * TupletNormalCount(t) / t;
}

// ---------------------------------------------------------------- lists

void TQSItemList::Insert(int index, TQSItem* item) {
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, item);
}

bool TQSItemList::Remove(const TQSItem* item) {
  // Search from the end: items are most often removed right after being added.
  for (size_t i = items_.size(); i-- > 0;)
    if (items_[i] == item) {
      items_.erase(items_.begin() + static_cast<long>(i));
      return true;
    }
  return false;
}

int TQSItemList::IndexOf(const TQSItem* item) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i] == item) return static_cast<int>(i);
  return -1;
}

void TQSItemList::Move(int from, int to) {
  if (from < 0 || from >= Count()) RaiseListIndexError(from);
  TQSItem* p = items_[static_cast<size_t>(from)];
  items_.erase(items_.begin() + from);
  Insert(to, p);
}

void TQSItemList::Clear() {
  // The list is emptied first: each item's unregistration then finds
  // nothing to search, however many items there are.
  std::vector<TQSItem*> items;
  items.swap(items_);
  while (!items.empty()) {
    TQSItem* p = items.back();
    items.pop_back();
    delete p;
  }
}

void WriteItem(TStream& s, const TQSItem& item) {
  s.WriteU8(item.ItemType);
  item.SaveToStream(s);
}

void WriteItemList(TStream& s, const TQSItemList& items) {
  WriteCount16(s, static_cast<size_t>(items.Count()), "item list");
  for (TQSItem* item : items) WriteItem(s, *item);
}

void WriteItemList(TStream& s, const std::vector<const TQSItem*>& items) {
  WriteCount16(s, items.size(), "item list");
  for (const TQSItem* item : items) WriteItem(s, *item);
}

namespace {
// Items held by items (marks of a note, notes of a grace group) nest a few
// levels deep; a damaged file can nest them as deep as it is long, and
// reading, copying or freeing them would then run out of stack.
constexpr int kMaxItemNesting = 16;
thread_local int itemNesting = 0;

class TNestedRead {
 public:
  TNestedRead() {
    if (itemNesting >= kMaxItemNesting) throw EReadError("Items nested too deeply");
    ++itemNesting;
  }
  ~TNestedRead() { --itemNesting; }
  TNestedRead(const TNestedRead&) = delete;
  TNestedRead& operator=(const TNestedRead&) = delete;
};
}  // namespace

TQSItem* ReadItem(TStream& s, TQSItemOwner* owner) {
  TNestedRead nested;
  TQSItemType k = s.ReadU8();
  TQSItem* item = CreateItemByKind(k, owner);
  if (!item) {
    SkipRecord(s);
    return nullptr;
  }
  try {
    item->LoadFromStream(s);
  } catch (...) {
    // An owner frees what it holds; an item read on its own is the
    // caller's only once it is whole.
    if (!owner) delete item;
    throw;
  }
  return item;
}

void ReadItemList(TStream& s, TQSItemOwner* owner) {
  uint16_t count = s.ReadU16();
  for (int i = 0; i < count; ++i) ReadItem(s, owner);
}

void CopyItems(const TQSItemList& source, TQSItemOwner* owner) {
  // Copy from a snapshot: the source may be the owner's own list.
  std::vector<TQSItem*> snapshot(source.begin(), source.end());
  for (TQSItem* src : snapshot) {
    TQSItem* copy = CreateItemByKind(src->ItemType, owner);
    if (copy) copy->Assign(*src);
  }
}

}  // namespace qs
