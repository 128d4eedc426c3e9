// Undo and redo: replaying the journal's records newest first, writing what
// each replay overwrites into a mirror record on the other list.
//
// The entries are our own bytes, but they are read as untrusted input all
// the same: every entry is checked against the stream before anything is
// changed, and each one is then read from a stream of its own bytes, so no
// read can run into the next entry.
#include <algorithm>
#include <array>
#include <exception>
#include <map>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "base/exceptions.h"
#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/order.h"
#include "score/pageobjects.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/tree.h"
#include "score/undo.h"
#include "score/undoentries.h"

namespace qs {

namespace {

// Runs make with the owner's registration suspended, so that what it makes
// stays out of the owner's list until the caller puts it in place.
template <class F>
auto MakeUnregistered(bool& suspended, F&& make) {
  const bool saved = suspended;
  suspended = true;
  try {
    auto made = make();
    suspended = saved;
    return made;
  } catch (...) {
    suspended = saved;
    throw;
  }
}

// A new measure or column inserted at index (appended beyond the end).
template <class T, class Owner>
T* InsertNew(Owner& owner, std::vector<T*>& list, int index) {
  T* child = MakeUnregistered(owner.RegistrationSuspended, [&] { return new T(&owner); });
  InsertAt(list, child, index);
  Renumber(list);
  return child;
}

// What replaying an entry does to its object.
enum class TEffect { None, Create, Remove, Reread };

// Entries of page objects: inserted (3 page marks, 6, 9, 10, 25), deleted
// (16) or changed (18, 20-23) by the command. Redo does the opposite of undo.
TEffect ItemEffect(uint8_t action, bool redo) {
  using namespace undoaction;
  switch (action) {
    case MarkInserted:
    case TextInserted:
    case ImageInserted:
    case ShapeInserted:
    case BlockPasted:
      return redo ? TEffect::Create : TEffect::Remove;
    case SelectionDeleted:
    case ItemErased:
      return redo ? TEffect::Remove : TEffect::Create;
    case PropertiesChanged:
    case MovedHorizontally:
    case MovedVertically:
    case DurationsChanged:
    case ValuesStepped:
      return TEffect::Reread;
    default:
      return TEffect::None;
  }
}

// Pieces, parts, staves and voices: added (even code) or deleted (odd).
TEffect ObjectEffect(uint8_t action, uint8_t added, bool redo) {
  if (action == added) return redo ? TEffect::Create : TEffect::Remove;
  if (action == added + 1) return redo ? TEffect::Remove : TEffect::Create;
  return TEffect::None;
}

void SkipBytes(TStream& s, int64_t count) {
  if (s.Remaining() < count) throw EReadError("Damaged undo record");
  s.Seek(count, SeekOrigin::Current);
}

// Raises, before anything has been changed, when the record at the stream's
// position cannot be opened (the readers keep going after damage inside a
// record, but not after a wrong length).
void CheckRecordAhead(TStream& e) {
  const int64_t at = e.Position();
  const int32_t length = e.ReadI32();
  e.SetPosition(at);
  if (length < 2 || length > e.Size() - at - 4) throw EReadError("Damaged undo record");
}

// Lines are appended by reading; a text read back starts without them.
void ClearLines(TQSItem& item) {
  if (auto* text = dynamic_cast<TQSText*>(&item)) text->ClearLines();
  else if (auto* lyric = dynamic_cast<TQSLyric*>(&item)) lyric->Lines.clear();
}

// Hides the view's cursor for a scope.
class THiddenCursor {
 public:
  explicit THiddenCursor(TQSWindowLink& view) : view_(view) { view_.ShowCursor(false); }
  ~THiddenCursor() { view_.ShowCursor(true); }
  THiddenCursor(const THiddenCursor&) = delete;
  THiddenCursor& operator=(const THiddenCursor&) = delete;

 private:
  TQSWindowLink& view_;
};

class TUndoReplay {
 public:
  // Checks every entry of the record (EReadError when one is damaged).
  TUndoReplay(TQSScore& score, TQSWindowLink& view, bool redo, const TQSUndoRecord& record);

  // Replays the record, recording into mirror (may be nullptr). False when
  // an object the record needs is missing: the replay stops there.
  bool Run(TQSUndoRecord* mirror);
  // The first layout page the replay can have changed: the page of the
  // lowest measure or column it touched, 0 when it touched anything else.
  int FromPage() const { return fromPage_ == kNoPage ? 0 : fromPage_; }

 private:
  struct TEntry {
    size_t Start, End;
    bool Text;
    bool Item;          // a page object's entry
    int32_t ItemIndex;  // its index in its list
  };
  // A measure (Part >= 0) or column (Part -1) made or deleted by this replay.
  struct TStructureOp {
    int Piece, Part, Index;
    bool Created;
  };

  static std::vector<TEntry> ScanSnapshots(const std::vector<uint8_t>& bytes);
  static std::vector<TEntry> ScanStructure(const std::vector<uint8_t>& bytes);
  static TMemoryStream EntryStream(const std::vector<uint8_t>& bytes, const TEntry& entry);

  void ReplayStructure(TStream& e);
  // A part or staff that changed places goes back to its place.
  void ReplayOrder(TStream& e);
  void DeleteMeasureOrColumn(int piece, int part, int index);
  void CreateMeasureOrColumn(TQSPiece& piece, TQSPart* part, int index);
  // The index that the measure (column) at index had before this replay
  // changed the structure; -1 for one the replay made.
  int IndexBeforeReplay(int piece, int part, int index) const;

  bool ReplayTagged(TStream& e);
  bool ReplayText(TStream& e);
  bool ReplayItem(TStream& e);
  void ReplayMeasure(TStream& e);
  void ReplayColumn(TStream& e);
  // Pieces, parts, staves and voices.
  bool ReplayObject(uint8_t tag, TStream& e, bool hasBody);
  // The own properties of a piece, part, staff or voice read back.
  bool ReplayProperties(uint8_t tag, TStream& e);
  // Creates the object from the entry under parent (make inserts it at the
  // cursor's index) or removes current (free).
  template <class Parent, class Child, class Make, class Free>
  bool ReplayObject(TStream& e, bool hasBody, uint8_t added, Parent* parent, Child* current, Make make, Free free);
  // Records the object into the mirror record, with its body.
  void Mirror(TQSPiece& piece);
  void Mirror(TQSPart& part);
  void Mirror(TQSStaff& staff);
  void Mirror(TQSVoice& voice);
  // The measures that follow a staff's or voice's record, into the cursor's part.
  void ReadPartMeasures(TStream& e);

  TQSScore& score_;
  TQSWindowLink& view_;
  bool redo_;
  const TQSUndoRecord& record_;
  uint8_t action_;
  std::vector<TEntry> structure_, snapshots_;
  TQSUndoRecord* mirror_ = nullptr;
  std::vector<TStructureOp> ops_;
  // Per piece and part (-1: the piece's columns), the measures the replay
  // deleted so far: each deleting entry names its measure by the index it
  // had when it was inserted, ascending.
  std::map<std::pair<int, int>, int> shifts_;
  static constexpr int kNoPage = 1 << 30;
  int fromPage_ = kNoPage;
  // Notes a change of measure number index of the piece (or of anything
  // else when the piece is nullptr).
  void Touch(const TQSPiece* piece, int index);
};

void TUndoReplay::Touch(const TQSPiece* piece, int index) {
  int page = piece ? piece->MeasurePage(index) : 0;
  // A measure the layout has not placed yet follows the one before it.
  if (page < 0 && piece) page = piece->MeasurePage(index - 1);
  fromPage_ = std::min(fromPage_, std::max(page, 0));
}

// ---------------------------------------------------------------- scanning

// Text entries (written by in-place text editing) begin with the kind of
// their text, the other entries with a tag; the two sets do not meet.
std::vector<TUndoReplay::TEntry> TUndoReplay::ScanSnapshots(const std::vector<uint8_t>& bytes) {
  std::vector<TEntry> entries;
  TMemoryStream s(bytes);
  const int64_t size = s.Size();
  while (s.Position() < size) {
    const int64_t start = s.Position();
    const uint8_t first = s.ReadU8();
    if (undoentry::IsTextKind(first)) {
      SkipBytes(s, 4 * ((first == kind::Text ? 1 : 4) + 6));
      SkipRecord(s);
      entries.push_back({size_t(start), size_t(s.Position()), true, false, 0});
      continue;
    }
    const int64_t end = s.ReadI32();
    if (end < start + undoentry::kTaggedHeaderSize || end > size) throw EReadError("Damaged undo record");
    TEntry entry{size_t(start), size_t(end), false, false, 0};
    if (first == undotag::Item && end >= start + undoentry::kTaggedHeaderSize + 4) {
      s.SetPosition(start + undoentry::kTaggedHeaderSize);
      entry.Item = true;
      entry.ItemIndex = s.ReadI32();
    }
    s.SetPosition(end);
    entries.push_back(entry);
  }
  return entries;
}

std::vector<TUndoReplay::TEntry> TUndoReplay::ScanStructure(const std::vector<uint8_t>& bytes) {
  std::vector<TEntry> entries;
  TMemoryStream s(bytes);
  const int64_t size = s.Size();
  while (s.Position() < size) {
    const int64_t start = s.Position();
    s.ReadU8();
    const int64_t end = s.ReadI32();
    if (end < start + undoentry::kStructureHeaderSize || end > size) throw EReadError("Damaged undo record");
    s.SetPosition(end);
    entries.push_back({size_t(start), size_t(end), false, false, 0});
  }
  return entries;
}

TMemoryStream TUndoReplay::EntryStream(const std::vector<uint8_t>& bytes, const TEntry& entry) {
  return TMemoryStream(std::vector<uint8_t>(bytes.begin() + static_cast<long>(entry.Start),
                                            bytes.begin() + static_cast<long>(entry.End)));
}

// ---------------------------------------------------------------- record

TUndoReplay::TUndoReplay(TQSScore& score, TQSWindowLink& view, bool redo, const TQSUndoRecord& record)
    : score_(score), view_(view), redo_(redo), record_(record), action_(record.Action) {
  if (record.Structure) structure_ = ScanStructure(record.Structure->Bytes());
  snapshots_ = ScanSnapshots(record.Snapshot.Bytes());
  // Newest entry first: when a command recorded an object twice (a text
  // edit that ends in deleting the text records the text and then its
  // measure), the older snapshot is the one that stays.
  std::reverse(snapshots_.begin(), snapshots_.end());
  // Page objects go back into their lists in ascending order of the indexes
  // they had, and come out in descending order, whatever order the command
  // wrote them in; the other entries keep their places.
  const TEffect effect = ItemEffect(action_, redo_);
  if (effect != TEffect::Create && effect != TEffect::Remove) return;
  std::vector<size_t> places;
  std::vector<TEntry> items;
  for (size_t i = 0; i < snapshots_.size(); ++i)
    if (snapshots_[i].Item) {
      places.push_back(i);
      items.push_back(snapshots_[i]);
    }
  std::stable_sort(items.begin(), items.end(), [effect](const TEntry& a, const TEntry& b) {
    return effect == TEffect::Create ? a.ItemIndex < b.ItemIndex : a.ItemIndex > b.ItemIndex;
  });
  for (size_t k = 0; k < places.size(); ++k) snapshots_[places[k]] = items[k];
}

bool TUndoReplay::Run(TQSUndoRecord* mirror) {
  mirror_ = mirror;
  if (record_.Structure) {
    const std::vector<uint8_t>& bytes = record_.Structure->Bytes();
    for (const TEntry& entry : structure_) {
      TMemoryStream e = EntryStream(bytes, entry);
      ReplayStructure(e);
    }
  }
  const std::vector<uint8_t>& bytes = record_.Snapshot.Bytes();
  for (const TEntry& entry : snapshots_) {
    TMemoryStream e = EntryStream(bytes, entry);
    if (!(entry.Text ? ReplayText(e) : ReplayTagged(e))) return false;
  }
  return true;
}

// ---------------------------------------------------------------- structure

void TUndoReplay::ReplayStructure(TStream& e) {
  const uint8_t tag = e.ReadU8();
  e.ReadI32();
  if (tag == undotag::Order) return ReplayOrder(e);
  const uint8_t action = e.ReadU8();
  const int pieceIndex = e.ReadI32();
  TQSPiece* piece = score_.GetPiece(pieceIndex);
  if (!piece || (tag != undotag::Column && tag != undotag::Measure)) return;
  int partIndex = -1;
  TQSPart* part = nullptr;
  if (tag == undotag::Measure) {
    partIndex = e.ReadI32();
    part = piece->GetPart(partIndex);
    if (!part) return;
  }
  const int index = e.ReadI32();
  if (index < 0) return;
  Touch(piece, index);
  if (action == undostructure::Inserted) DeleteMeasureOrColumn(pieceIndex, partIndex, index);
  else if (action == undostructure::Deleted) CreateMeasureOrColumn(*piece, part, index);
}

void TUndoReplay::ReplayOrder(TStream& e) {
  const uint8_t level = e.ReadU8();
  const int pieceIndex = e.ReadI32(), partIndex = e.ReadI32(), from = e.ReadI32(), to = e.ReadI32();
  TQSPiece* piece = score_.GetPiece(pieceIndex);
  if (!piece) return;
  Touch(nullptr, 0);
  TQSCursorPosition& c = view_.CursorPosition;
  // The entry names places that must exist; a damaged one changes nothing.
  const auto within = [](int index, int count) { return index >= 0 && index < count; };
  if (level == undotag::Part) {
    if (!within(from, piece->PartCount()) || !within(to, piece->PartCount())) return;
    ReorderParts(*piece, to, from);
    c.Piece = pieceIndex;
    c.Part = from;
  } else {
    TQSPart* part = piece->GetPart(partIndex);
    if (!part || !within(from, part->StaffCount()) || !within(to, part->StaffCount())) return;
    ReorderStaves(*part, to, from);
    c.Piece = pieceIndex;
    c.Part = partIndex;
    c.Staff = from;
  }
  // The other way round replays it forward again.
  undoentry::Order(mirror_, pieceIndex, level == undotag::Part ? -1 : partIndex, to, from);
}

void TUndoReplay::DeleteMeasureOrColumn(int pieceIndex, int partIndex, int index) {
  TQSPiece* piece = score_.GetPiece(pieceIndex);
  int& shift = shifts_[{pieceIndex, partIndex}];
  const int at = index + shift;
  // The mirror record re-creates it where the entry said, with its items.
  if (partIndex >= 0) {
    TQSMeasure* measure = piece->GetPart(partIndex)->GetMeasure(at);
    if (!measure) return;
    undoentry::Measure(score_, mirror_, *measure, index, true);
    undoentry::Structure(mirror_, undotag::Measure, undostructure::Deleted, pieceIndex, partIndex, index);
    delete measure;
  } else {
    TQSColumn* column = piece->GetColumn(at);
    if (!column) return;
    undoentry::Column(score_, mirror_, *column, index, true);
    undoentry::Structure(mirror_, undotag::Column, undostructure::Deleted, pieceIndex, -1, index);
    delete column;
  }
  ops_.push_back({pieceIndex, partIndex, at, false});
  --shift;
}

void TUndoReplay::CreateMeasureOrColumn(TQSPiece& piece, TQSPart* part, int index) {
  const int made = part ? InsertNew(*part, part->MeasureList(), index)->Index
                        : InsertNew(piece, piece.ColumnList(), index)->Index;
  const int partIndex = part ? part->Index : -1;
  // Redo deletes it again.
  undoentry::Structure(mirror_, part ? undotag::Measure : undotag::Column, undostructure::Inserted, piece.Index,
                       partIndex, made);
  ops_.push_back({piece.Index, partIndex, made, true});
}

int TUndoReplay::IndexBeforeReplay(int piece, int part, int index) const {
  for (auto it = ops_.rbegin(); it != ops_.rend(); ++it) {
    if (it->Piece != piece || it->Part != part) continue;
    if (it->Created) {
      if (index == it->Index) return -1;
      if (index > it->Index) --index;
    } else if (index >= it->Index) {
      ++index;
    }
  }
  return index;
}

// ---------------------------------------------------------------- snapshots

bool TUndoReplay::ReplayTagged(TStream& e) {
  const uint8_t tag = e.ReadU8();
  e.ReadI32();
  const uint8_t style = e.ReadU8();
  TQSCursorPosition& c = view_.CursorPosition;
  for (int32_t* v : {&c.Page, &c.Piece, &c.Part, &c.Measure, &c.Staff, &c.Voice, &c.Tick}) *v = e.ReadI32();
  if (style <= static_cast<uint8_t>(TQSViewStyle::vsPart)) score_.ViewStyle = static_cast<TQSViewStyle>(style);
  // Entries of objects a command added carry no record.
  const bool hasBody = e.Position() < e.Size();
  if (tag == undotag::Column || tag == undotag::Measure) Touch(score_.GetPiece(c.Piece), c.Measure);
  else Touch(nullptr, 0);
  switch (tag) {
    case undotag::Item:
      return ReplayItem(e);
    case undotag::Column:
      if (hasBody) ReplayColumn(e);
      return true;
    case undotag::Measure:
      if (hasBody) ReplayMeasure(e);
      return true;
    case undotag::Voice:
    case undotag::Staff:
    case undotag::Part:
    case undotag::Piece:
      return ReplayObject(tag, e, hasBody);
    default:
      return true;
  }
}

bool TUndoReplay::ReplayItem(TStream& e) {
  TQSItemOwner* owner = &score_;
  TQSItemList* list = &score_.Items;
  if (score_.ViewStyle == TQSViewStyle::vsPart) {
    TQSPart* part = score_.CurrentPart();
    if (!part) return false;
    owner = part;
    list = &part->Items;
  }
  const int index = e.ReadI32();
  switch (ItemEffect(action_, redo_)) {
    case TEffect::Remove:
      if (TQSItem* item = list->Get(index)) {
        undoentry::Item(score_, mirror_, *item);
        delete item;
      }
      break;
    case TEffect::Create:
      if (index >= 0 && index <= list->Count()) {
        const TQSItemType itemKind = e.ReadU8();
        CheckRecordAhead(e);
        std::unique_ptr<TQSItem> item(
            MakeUnregistered(owner->RegistrationSuspended, [&] { return CreateItemByKind(itemKind, owner); }));
        if (!item) break;
        item->LoadFromStream(e);
        list->Insert(index, item.get());
        undoentry::Item(score_, mirror_, *item.release());
      }
      break;
    case TEffect::Reread: {
      const TQSItemType itemKind = e.ReadU8();
      TQSItem* item = list->Get(index);
      if (!item || item->ItemType != itemKind) break;
      CheckRecordAhead(e);
      undoentry::Item(score_, mirror_, *item);
      ClearLines(*item);
      item->LoadFromStream(e);
      break;
    }
    default:
      break;
  }
  return true;
}

void TUndoReplay::ReplayMeasure(TStream& e) {
  const TQSCursorPosition& c = view_.CursorPosition;
  if (c.Measure < 0 || c.Measure >= kMaxChildCount) return;
  CheckRecordAhead(e);
  TQSMeasure* measure = score_.EnsureMeasure(-1);
  if (!measure) return;
  const int before = IndexBeforeReplay(c.Piece, c.Part, measure->Index);
  if (before >= 0) undoentry::Measure(score_, mirror_, *measure, before, true);
  measure->Clear();
  measure->LoadFromStream(e);
}

void TUndoReplay::ReplayColumn(TStream& e) {
  const TQSCursorPosition& c = view_.CursorPosition;
  if (c.Measure < 0 || c.Measure >= kMaxChildCount) return;
  CheckRecordAhead(e);
  TQSColumn* column = score_.EnsureColumn(-1);
  if (!column) return;
  const int before = IndexBeforeReplay(c.Piece, -1, column->Index);
  if (before >= 0) undoentry::Column(score_, mirror_, *column, before, true);
  column->Clear();
  column->LoadFromStream(e);
}

void TUndoReplay::ReadPartMeasures(TStream& e) {
  const int count = ReadChildCount(e, "Error reading measures");
  for (int i = 0; i < count; ++i) {
    CheckRecordAhead(e);
    TQSMeasure* measure = score_.EnsureMeasure(i);
    if (!measure) return;
    measure->Clear();
    measure->LoadFromStream(e);
  }
}

template <class Parent, class Child, class Make, class Free>
bool TUndoReplay::ReplayObject(TStream& e, bool hasBody, uint8_t added, Parent* parent, Child* current,
                               Make make, Free free) {
  switch (ObjectEffect(action_, added, redo_)) {
    case TEffect::Create: {
      if (!parent) return false;
      if (!hasBody) return true;
      CheckRecordAhead(e);
      Child* child = make(*parent);
      Mirror(*child);
      child->LoadFromStream(e);
      // A staff or voice brings the measures of its part as they were.
      if constexpr (std::is_same_v<Child, TQSStaff> || std::is_same_v<Child, TQSVoice>) ReadPartMeasures(e);
      return true;
    }
    case TEffect::Remove:
      if (!current) return false;
      Mirror(*current);
      free(*current);
      return true;
    default:
      return true;
  }
}

void TUndoReplay::Mirror(TQSPiece& piece) { undoentry::Piece(score_, mirror_, piece, true); }
void TUndoReplay::Mirror(TQSPart& part) { undoentry::Part(score_, mirror_, part, true); }
void TUndoReplay::Mirror(TQSStaff& staff) { undoentry::Staff(score_, mirror_, staff, true); }
void TUndoReplay::Mirror(TQSVoice& voice) { undoentry::Voice(score_, mirror_, voice, true); }

bool TUndoReplay::ReplayProperties(uint8_t tag, TStream& e) {
  // The object's properties as they are go to the mirror record first, so
  // that redo puts back what undo replaces.
  auto reread = [&](auto* object) {
    if (!object) return false;
    undoentry::Properties(score_, mirror_, *object);
    undoentry::ReadProperties(e, *object);
    score_.FireItemChangedQuietly(object);
    return true;
  };
  switch (tag) {
    case undotag::Voice:
      return reread(score_.CurrentVoice());
    case undotag::Staff:
      return reread(score_.CurrentStaff());
    case undotag::Part:
      return reread(score_.CurrentPart());
    default:
      return reread(score_.CurrentPiece());
  }
}

bool TUndoReplay::ReplayObject(uint8_t tag, TStream& e, bool hasBody) {
  if (action_ == undoaction::PropertiesChanged) return hasBody ? ReplayProperties(tag, e) : true;
  const TQSCursorPosition& c = view_.CursorPosition;
  switch (tag) {
    case undotag::Voice:
      return ReplayObject(
          e, hasBody, undoaction::VoiceAdded, score_.CurrentStaff(), score_.CurrentVoice(),
          [&](TQSStaff& staff) {
            auto* voice = MakeUnregistered(staff.RegistrationSuspended, [&] { return new TQSVoice(&staff); });
            staff.RegisterVoice(voice, c.Voice);
            return voice;
          },
          [&](TQSVoice& voice) {
            score_.RemoveVoiceItems(&voice);
            delete &voice;
          });
    case undotag::Staff:
      return ReplayObject(
          e, hasBody, undoaction::StaffAdded, score_.CurrentPart(), score_.CurrentStaff(),
          [&](TQSPart& part) {
            auto* staff = MakeUnregistered(part.RegistrationSuspended, [&] { return new TQSStaff(&part); });
            part.RegisterStaff(staff, c.Staff);
            return staff;
          },
          [&](TQSStaff& staff) {
            score_.RemoveStaffItems(&staff);
            delete &staff;
          });
    case undotag::Part:
      return ReplayObject(
          e, hasBody, undoaction::PartAdded, score_.CurrentPiece(), score_.CurrentPart(),
          [&](TQSPiece& piece) {
            auto* part = MakeUnregistered(piece.RegistrationSuspended, [&] { return new TQSPart(&piece); });
            piece.InsertPart(part, c.Part);
            return part;
          },
          [](TQSPart& part) { delete &part; });
    default:
      return ReplayObject(
          e, hasBody, undoaction::PieceAdded, &score_, score_.CurrentPiece(),
          [&](TQSScore& score) {
            auto* piece = MakeUnregistered(score.RegistrationSuspended, [&] { return new TQSPiece(&score); });
            InsertAt(score.PieceList(), piece, c.Piece);
            score.RenumberPieces();
            score.FireAddItemQuietly(piece);
            return piece;
          },
          [&](TQSPiece& piece) {
            delete &piece;
            score_.RenumberPieces();
          });
  }
}

bool TUndoReplay::ReplayText(TStream& e) {
  Touch(nullptr, 0);
  const uint8_t textKind = e.ReadU8();
  TQSItem* item = nullptr;
  if (textKind == kind::Text) {
    const int index = e.ReadI32();
    if (score_.ViewStyle == TQSViewStyle::vsPart) {
      TQSPart* part = score_.CurrentPart();
      if (!part) return false;
      item = part->GetItem(index);
    } else {
      item = score_.GetItem(index);
    }
  } else {
    const int piece = e.ReadI32(), part = e.ReadI32(), measure = e.ReadI32(), index = e.ReadI32();
    TQSPiece* p = score_.GetPiece(piece);
    TQSPart* pt = p ? p->GetPart(part) : nullptr;
    TQSMeasure* m = pt ? pt->GetMeasure(measure) : nullptr;
    item = m ? m->GetItem(index) : nullptr;
  }
  std::array<int32_t, 6> editing;
  for (int32_t& v : editing) v = e.ReadI32();
  // Only a text of the kind filed takes the record back.
  if (!item || item->ItemType != textKind) return true;
  CheckRecordAhead(e);
  undoentry::Text(score_, mirror_, *item);
  ClearLines(*item);
  THiddenCursor hidden(view_);
  view_.EditSelection = editing;
  item->LoadFromStream(e);
  view_.EditItemTextOf(item);
  return true;
}

// ---------------------------------------------------------------- steps

// Lays out from fromPage and repaints after a replayed record.
void FinishStep(TQSScore& score, TQSWindowLink& view, int fromPage) {
  score.Recalculate(fromPage, -1);
  score.RefreshWindowsFrom(fromPage);
  view.ScrollToCursor();
  view.ShowCursor(true);
  score.FireChanged(&score);
}

void DropRecord(TQSScore& score, std::vector<std::unique_ptr<TQSUndoRecord>>& list, const TQSUndoRecord* record) {
  std::erase_if(list, [record](const std::unique_ptr<TQSUndoRecord>& r) { return r.get() == record; });
  Fire(score.OnUndoChanged, &score);
}

void ReplaySteps(TQSScore& score, bool redo, int count) {
  TQSWindowLink* view = score.ActiveWindow();
  if (!view) return;
  score.ClearSelections();
  auto& list = redo ? score.RedoList : score.UndoList;
  for (int step = 0; step < count && !list.empty(); ++step) {
    const TQSUndoRecord* record = list.back().get();
    bool goOn = true;
    int fromPage = 0;
    std::exception_ptr failure;
    view->ShowCursor(false);
    try {
      TUndoReplay replay(score, *view, redo, *record);
      goOn = replay.Run(redo ? score.BeginUndo(record->Action, "") : score.BeginRedo(record->Action, ""));
      fromPage = replay.FromPage();
    } catch (...) {
      failure = std::current_exception();
    }
    try {
      FinishStep(score, *view, fromPage);
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
    DropRecord(score, list, record);
    if (failure) std::rethrow_exception(failure);
    if (!goOn) return;
  }
  view->SetFocus();
}

}  // namespace

void TQSScore::Undo(int count) { ReplaySteps(*this, false, count); }
void TQSScore::Redo(int count) { ReplaySteps(*this, true, count); }

}  // namespace qs
