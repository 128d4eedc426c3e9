#pragma once
// The score item: the base of everything placed in a score, its kinds, the
// owners that hold items and the item factory.
//
// Ownership: an item registers itself with its owner when it is made and
// the owner's list then owns it; deleting an item unregisters it. Owners
// free their items when they are freed or cleared. While an owner's
// registration is suspended, new items are made with their owner set but
// left out of every list; the creator inserts them where it wants.
#include <cstdint>
#include <typeinfo>
#include <vector>

#include "base/events.h"
#include "base/exceptions.h"
#include "base/smallpool.h"
#include "base/stream.h"
#include "score/units.h"

namespace qs {

using TQSItemType = uint8_t;

// The item kinds that select a class of their own; every other kind the
// factory knows is a generic mark (TQSMark).
namespace kind {
constexpr TQSItemType Accolade = 1, Clef = 2, Key = 3, Meter = 4, Tempo = 6, MeasureNumbering = 27,
                      Rehearsal = 28, NoteRepeat = 40, BarRepeat = 41, MultiRest = 42, Dot = 45,
                      Accidental = 50, Glissando = 70, Fall = 71, Lift = 72, Tuplet = 85,
                      Dynamics = 110, Arpeggio = 111, Hang = 112, Trill = 113, Gruppetto = 114,
                      Mordent = 115, Fermata = 116, Accent = 117, Bracket = 118, Vibrato = 120,
                      Pedal = 121, Finger = 122, StringNumber = 123, Hammer = 124, Breath = 125,
                      Muting = 130, HiHat1 = 131, HiHat2 = 132, Bowing = 133, Staccato = 141,
                      Portamento = 142, Tremolo = 143, Hand = 149, Segno = 150, Coda = 151,
                      DaCapo = 153, DalSegno = 154, RepeatOpen = 155, RepeatClose = 156,
                      SectionEnd = 157, CompositionEnd = 158, CompositionBegin = 159,
                      UserSymbolMark = 160, Ottava = 169, Barre = 170, Volta = 171,
                      Flageolet = 172, BarreBracket = 173;
constexpr TQSItemType Note = 20, Pause = 21, Effect = 22, Liga = 30, Chord = 31, Vorschlag = 32,
                      Lyric = 33, Term = 34, InstrumentName = 35, Frame = 36, Bend = 119,
                      Text = 200, Image = 201, Line = 202, Rectangle = 203, Ellipse = 204,
                      Arc = 205, Pie = 206, ChordSegment = 207, PageMark = 215, MidiEvent = 220;
}  // namespace kind

// True for the 54 kinds made as TQSMark.
bool IsMarkKind(TQSItemType kind);
// True for every kind the factory makes an item for.
bool IsKnownItemKind(TQSItemType kind);

class TQSItem;
class TQSMeasure;
class TQSVorschlag;
struct TQSCalcItem;

// Anything that holds score items: notes and rests (attached items), grace
// groups (grace notes), measures, columns, parts, the score. A user symbol
// is an owner whose items are not registered (it adds them itself).
class TQSItemOwner {
 public:
  virtual ~TQSItemOwner() = default;

  // While set, items made with this owner are not appended to its list.
  bool RegistrationSuspended = false;

  // Registration by item construction and destruction. AddItem appends
  // unless registration is suspended; RemoveItem takes the item out of the
  // list when it is there.
  virtual void AddItem(TQSItem* item) = 0;
  virtual void RemoveItem(TQSItem* item) = 0;
  // Index in the owner's item list; -1 when the owner keeps none.
  virtual int IndexOfItem(const TQSItem* item) const = 0;
  // The measure that holds items owned by this owner (what an item's
  // GetMeasure answers).
  virtual TQSMeasure* OwnerMeasure() const { return nullptr; }
  // A note owned here (directly or through a grace group) is being
  // destroyed: drop it from working lists such as a measure's beam groups.
  // A grace group passes it on to its own owner.
  virtual void ForgetNote(TQSItem* note) { (void)note; }
  // This owner as a grace group, or null: asked for every note the layout
  // places, where a cast across the owner's classes would cost more.
  virtual TQSVorschlag* AsGraceGroup() { return nullptr; }
};

// Items live in the small-object pool: a score holds very many of them.
class TQSItem : public TObject, public TSmallPooled {
 public:
  // Stores the owner and registers with it (owner may be null).
  explicit TQSItem(TQSItemOwner* owner);
  // Unregisters from the owner.
  ~TQSItem() override;
  TQSItem(const TQSItem&) = delete;
  TQSItem& operator=(const TQSItem&) = delete;

  TQSItemOwner* Owner() const { return owner_; }
  // Moves the item to another owner's list (used when items move between
  // measures); registers like construction does.
  void SetOwner(TQSItemOwner* owner);

  // The item kind; the factory stores it after construction.
  TQSItemType ItemType = 0;
  // The newest layout element the layout pass made for the item; not stored.
  TQSCalcItem* LayoutLink = nullptr;
  // Bytes of a stored field block beyond this class's block, kept so that
  // they are written back.
  std::vector<uint8_t> BlockSurplus;

  // Copies from an item of the same class; any other class raises
  // "Cannot assign a <source> to a <target>".
  virtual void Assign(const TQSItem& source);
  virtual void LoadFromStream(TStream& s);
  virtual void SaveToStream(TStream& s) const;

  // The item's time position in ticks, staff/voice byte and page number;
  // -1, -1 and 0 for kinds without one.
  virtual int TimePosition() const { return -1; }
  virtual int StaffVoice() const { return -1; }
  virtual int PageNumber() const { return 0; }

  TQSMeasure* GetMeasure() const { return owner_ ? owner_->OwnerMeasure() : nullptr; }
  int IndexInOwner() const { return owner_ ? owner_->IndexOfItem(this) : -1; }

  const char* ClassName() const override { return "TQSItem"; }

 private:
  TQSItemOwner* owner_;
};

// p as a T, nullptr when it is none: what dynamic_cast<T*> gives, but when
// T is p's own class (nearly always on the paths of the layout pass) one
// compare of the type answers instead of a search of the class tree.
template <class T, class U>
T* ClassCast(U* p) {
  if (!p) return nullptr;
  if (typeid(*p) == typeid(T)) return static_cast<T*>(p);
  return dynamic_cast<T*>(p);
}

inline int ItemTimePosition(const TQSItem* item) { return item->TimePosition(); }
inline int ItemStaffVoice(const TQSItem* item) { return item->StaffVoice(); }
inline int ItemPageNumber(const TQSItem* item) { return item->PageNumber(); }

// Makes an item of the class for kind, owned (and registered) by owner,
// with the kind stored in it; nullptr for an unknown kind.
TQSItem* CreateItemByKind(TQSItemType kind, TQSItemOwner* owner);
// The same for the kind families, each defined beside its classes.
TQSItem* CreateSoundingItem(TQSItemType kind, TQSItemOwner* owner);  // 20, 21, 22, 32
TQSItem* CreateMarkItem(TQSItemType kind, TQSItemOwner* owner);      // marks, 30, 31, 33-36, 119, 220
TQSItem* CreatePageItem(TQSItemType kind, TQSItemOwner* owner);      // 200-207, 215

// Tuplet arithmetic: the time a tuplet of the given type covers and the
// sounding length of one of its notes.
int TupletNormalCount(uint8_t tupletType);
int TupletLength(uint8_t tupletType, uint16_t unit);
int TupletNoteLength(uint8_t tupletType, uint16_t unit);

// ---------------------------------------------------------------- lists
// An owning list of items, used by every owner. Clear and destruction free
// the items last to first.
class TQSItemList {
 public:
  TQSItemList() = default;
  TQSItemList(const TQSItemList&) = delete;
  TQSItemList& operator=(const TQSItemList&) = delete;
  ~TQSItemList() { Clear(); }

  int Count() const { return static_cast<int>(items_.size()); }
  bool Empty() const { return items_.empty(); }
  // nullptr out of range.
  TQSItem* Get(int index) const {
    return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)] : nullptr;
  }
  TQSItem* operator[](int index) const { return Get(index); }
  void Add(TQSItem* item) { items_.push_back(item); }
  void Insert(int index, TQSItem* item);
  // Takes the item out without freeing it; false when absent.
  bool Remove(const TQSItem* item);
  int IndexOf(const TQSItem* item) const;
  void Move(int from, int to);
  void Clear();
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }
  std::vector<TQSItem*>& Raw() { return items_; }

 private:
  std::vector<TQSItem*> items_;
};

// Item list sections: u16 count, then per item the kind byte and its
// record. Reading makes each item through the factory with owner as its
// owner; a kind the factory does not know is skipped by its record length.
void WriteItemList(TStream& s, const TQSItemList& items);
void WriteItemList(TStream& s, const std::vector<const TQSItem*>& items);
void WriteItem(TStream& s, const TQSItem& item);  // kind byte + record
void ReadItemList(TStream& s, TQSItemOwner* owner);
// Reads one kind byte and record; returns the new item, or nullptr when
// the kind is unknown (its record skipped).
TQSItem* ReadItem(TStream& s, TQSItemOwner* owner);

// Appends to owner a copy of every item of source (unknown kinds skipped).
void CopyItems(const TQSItemList& source, TQSItemOwner* owner);

// Assign of the item classes: checks that the source is of the target's
// class (any other raises "Cannot assign a <source> to a <target>"), copies
// the field block with its surplus and returns the source for the rest.
template <class T>
const T& AssignBlock(T& target, const TQSItem& source) {
  const T* src = dynamic_cast<const T*>(&source);
  if (!src) RaiseAssignError(source.ClassName(), target.ClassName());
  target.Fields = src->Fields;
  target.BlockSurplus = src->BlockSurplus;
  return *src;
}

}  // namespace qs
