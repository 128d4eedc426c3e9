// Cut, copy and paste of the view's selection through the notes block.
//
// A block read from the clipboard may come from another program or from
// another version of this one. It is therefore read whole, and checked to
// end exactly where its counts say, before anything of it is placed: a
// damaged block is refused with a message and the score stays unchanged.
#include "view/notesclipboard.h"

#include <algorithm>
#include <memory>
#include <set>

#include "base/stream.h"
#include "platform/clipboard.h"
#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/pageobjects.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/record.h"
#include "score/score.h"
#include "score/tree.h"
#include "score/undo.h"
#include "uikit/language.h"
#include "view/window.h"

namespace qs {

TClipboardFormat NotesClipboardFormat() {
  static const TClipboardFormat format = RegisterClipboardFormat("QSNotes");
  return format;
}

namespace {

// The smallest item in a block: a kind byte and a record of its length and
// section count.
constexpr size_t kMinItemBytes = 1 + 4 + 2;
// A paste walks at most this many measures past the cursor; a block that
// reaches further is damaged.
constexpr int kMaxPasteMeasures = 10000;
// Note and rest pieces shorter than this are dropped when a paste splits.
constexpr int kMinPiece = 8;
// Page objects pasted on the page they were copied from move this far
// right and down, in page units.
constexpr int kPageObjectShift = 64;

// The kinds whose first selected item fixes the block's reference time.
bool GivesReference(TQSItemType k) {
  return (k >= 1 && k <= 4) || k == 6 || k == 20 || k == 21 || k == 27 || k == 28 || (k >= 32 && k <= 36) ||
         (k >= 40 && k <= 42) || k == 45 || k == 50 || (k >= 70 && k <= 72) || k == 85 || (k >= 110 && k <= 125) ||
         (k >= 130 && k <= 133) || (k >= 141 && k <= 143) || (k >= 149 && k <= 151) || (k >= 153 && k <= 160) ||
         (k >= 169 && k <= 173);
}

// The length of measure j from the piece's layout; 0 when it has none.
int SlotLength(const TQSPiece& piece, int j) {
  if (j < 0 || j > piece.LastLaidOutMeasure || j >= static_cast<int>(piece.Slots.size())) return 0;
  const TQSMeasureSlot* slot = piece.Slots[static_cast<size_t>(j)];
  return slot ? slot->LengthFor(j) : 0;
}

template <class T>
bool SetTimeOf(TQSItem& item, int tick) {
  auto* t = dynamic_cast<T*>(&item);
  if (t) t->Fields.Time = static_cast<decltype(t->Fields.Time)>(tick);
  return t != nullptr;
}

void SetItemTime(TQSItem& item, int tick) {
  SetTimeOf<TQSNote>(item, tick) || SetTimeOf<TQSPause>(item, tick) || SetTimeOf<TQSVorschlag>(item, tick) ||
      SetTimeOf<TQSMark>(item, tick) || SetTimeOf<TQSBend>(item, tick) || SetTimeOf<TQSChord>(item, tick) ||
      SetTimeOf<TQSFrame>(item, tick) || SetTimeOf<TQSLyric>(item, tick);
}

// One item read from a block, with the distance of its time from the
// reference position.
struct TPastedItem {
  std::unique_ptr<TQSItem> Item;
  int Position = 0;
};

struct TNotesBlock {
  std::vector<TPastedItem> Items;
  std::vector<std::unique_ptr<TQSItem>> PageObjects;
};

// Reads the whole block; raises ENotesBlockError on anything that does not
// add up.
TNotesBlock ParseNotesBlock(const std::vector<uint8_t>& bytes) {
  TNotesBlock block;
  TMemoryStream s(bytes);
  auto remaining = [&] { return static_cast<size_t>(s.Size() - s.Position()); };
  try {
    const uint16_t blockCount = s.ReadU16();
    for (int b = 0; b < blockCount; ++b) {
      const int32_t offset = s.ReadI32();
      const uint16_t itemCount = s.ReadU16();
      if (itemCount * kMinItemBytes > remaining()) throw EReadError("item count");
      for (int i = 0; i < itemCount; ++i) {
        TQSItem* item = ReadItem(s, nullptr);
        if (!item) continue;  // a kind this program does not know: skipped
        std::unique_ptr<TQSItem> owned(item);
        const int64_t position = static_cast<int64_t>(std::max(item->TimePosition(), 0)) + offset;
        if (position < -int64_t{1} * 0x7FFF * kMaxPasteMeasures || position > int64_t{1} * 0x7FFF * kMaxPasteMeasures)
          throw EReadError("tick offset");
        block.Items.push_back({std::move(owned), static_cast<int>(position)});
      }
    }
    const uint16_t objectCount = s.ReadU16();
    s.ReadU16();  // the first page: not needed
    if (objectCount * kMinItemBytes > remaining()) throw EReadError("page object count");
    for (int i = 0; i < objectCount; ++i)
      if (TQSItem* item = ReadItem(s, nullptr)) block.PageObjects.emplace_back(item);
    if (remaining() != 0) throw EReadError("trailing bytes");
  } catch (const EReadError&) {
    throw ENotesBlockError("");
  }
  return block;
}

// What a paste changed, for its one undo step and the completion of the
// touched measures.
class TPasteChanges {
 public:
  explicit TPasteChanges(TQSScore& score) : score_(score) {}
  void Open() {
    if (opened_) return;
    opened_ = true;
    try {
      record_ = score_.BeginUndo(undoaction::BlockPasted, "");
    } catch (...) {
      record_ = nullptr;
    }
    RecordMade();
  }
  void SaveMeasure(TQSMeasure* m) {
    Open();
    if (!m || !saved_.insert(m).second) return;
    touched_.push_back(m);
    if (made_.count(m)) return;
    try {
      score_.SaveUndoMeasure(record_, m, -1);
    } catch (...) {
    }
  }
  void SaveColumn(TQSColumn* c) {
    Open();
    if (!c || made_.count(c) || !saved_.insert(c).second) return;
    try {
      score_.SaveUndoColumn(record_, c, -1);
    } catch (...) {
    }
  }
  void SaveItem(TQSItem* item) {
    Open();
    try {
      score_.SaveUndoItem(record_, item);
    } catch (...) {
    }
  }
  TQSMeasure* EnsureMeasure(TQSPart& part, int index) {
    return EnsureMade(part, part.MeasureList(), index, madeMeasures_);
  }
  TQSColumn* EnsureColumn(TQSPiece& piece, int index) {
    return EnsureMade(piece, piece.ColumnList(), index, madeColumns_);
  }
  // Rests fill the gaps of every touched measure, and beams are rebuilt.
  void CompleteMeasures() {
    for (TQSMeasure* m : touched_) {
      m->FillRests(false, 0, false, -1);
      m->UpdateBeams(0, true);
    }
  }
  bool Changed() const { return opened_; }

 private:
  // The measure or column at index of its owner's list; those the list
  // gains to reach it are recorded as made, for the undo step.
  template <class Owner, class Child>
  Child* EnsureMade(Owner& owner, const std::vector<Child*>& list, int index, std::vector<Child*>& made) {
    if (index < 0) return nullptr;
    const size_t before = list.size();
    Child* child = EnsureChild(owner, list, index);
    for (size_t i = before; i < list.size(); ++i) {
      made_.insert(list[i]);
      made.push_back(list[i]);
    }
    if (opened_) RecordMade();
    return child;
  }
  void RecordMade() {
    if (!record_) return;
    for (TQSMeasure* m : madeMeasures_) score_.SaveUndoMeasureEntry(record_, m, undostructure::Inserted);
    for (TQSColumn* c : madeColumns_) score_.SaveUndoColumnEntry(record_, c, undostructure::Inserted);
    madeMeasures_.clear();
    madeColumns_.clear();
  }
  TQSScore& score_;
  TQSUndoRecord* record_ = nullptr;
  bool opened_ = false;
  std::set<const void*> saved_, made_;
  std::vector<TQSMeasure*> touched_, madeMeasures_;
  std::vector<TQSColumn*> madeColumns_;
};

// Puts a free item into an owner's list at index (at the end for -1).
void Adopt(TQSItemOwner& owner, TQSItemList& list, TQSItem* item, int index) {
  {
    TFlagScope suspended(owner.RegistrationSuspended, true);
    item->SetOwner(&owner);
  }
  list.Insert(index < 0 ? list.Count() : std::min(index, list.Count()), item);
}

bool IsEvent(const TQSItem* item) {
  return item->ItemType == kind::Note || item->ItemType == kind::Pause || item->ItemType == kind::NoteRepeat;
}

// The length a note, rest or note repeat occupies.
int EventLength(const TQSItem* item) {
  if (auto* n = dynamic_cast<const TQSNote*>(item)) return n->Fields.RealLength;
  if (auto* r = dynamic_cast<const TQSPause*>(item)) return r->Fields.RealLength;
  if (auto* m = dynamic_cast<const TQSMark*>(item)) return m->Fields.Value;
  return 0;
}

// The first note, rest or note repeat that does not come before (tick,
// staff/voice) in the measure's event order.
TQSItem* FirstEventFrom(const TQSMeasure& m, int tick, int sv) {
  for (TQSItem* item : m.Items) {
    if (!IsEvent(item)) continue;
    const int t = item->TimePosition();
    if (t < tick) continue;
    if (t > tick || m.AllVoices() || item->StaffVoice() >= sv) return item;
  }
  return nullptr;
}

void FreeAttached(TQSItemHolder& holder, TQSItemType from, TQSItemType to) {
  for (int i = holder.ItemCount() - 1; i >= 0; --i) {
    TQSItem* item = holder.GetItem(i);
    if (item->ItemType >= from && item->ItemType <= to) delete item;
  }
}

bool HasDots(const TQSItemHolder& holder) {
  for (const TQSItem* item : holder.Items)
    if (item->ItemType >= kind::Dot && item->ItemType <= kind::Dot + 2) return true;
  return false;
}

}  // namespace

// ----------------------------------------------------------------- paste

namespace {

// A block placed at a cursor in a mode (0 every item keeps its staff and
// voice, 1 the cursor's staff, 2 its staff and voice); it needs nothing of
// the view but these two.
class TNotesPaste {
 public:
  TNotesPaste(const TQSCursorPosition& cursor, uint8_t mode, TQSScore& score, TQSPiece& piece, TQSPart& part)
      : cursor_(cursor), mode_(mode), score_(score), piece_(piece), part_(part), changes_(score) {}

  void Run(TNotesBlock& block) {
    try {
      for (TPastedItem& p : block.Items) PlaceItem(p);
      for (auto& object : block.PageObjects) PlacePageObject(std::move(object));
    } catch (...) {
      changes_.CompleteMeasures();
      throw;
    }
    changes_.CompleteMeasures();
  }
  bool Changed() const { return changes_.Changed(); }

 private:
  const TQSCursorPosition& Cursor() const { return cursor_; }

  // The measure (or column) number and tick that position p lands on.
  bool Locate(int p, bool column, int& number, int& tick) const {
    number = Cursor().Measure;
    int r = p + Cursor().Tick;
    int last = 0;
    for (int steps = 0; r > 0; ++steps) {
      const int length = SlotLength(piece_, number);
      if (length > 0) last = length;
      if (last <= 0) break;  // nothing laid out to measure by
      if (steps > kMaxPasteMeasures) return false;
      if (r < last || (column && r == last)) break;
      r -= last;
      ++number;
    }
    // A position before the reference stays in the cursor's measure, at
    // its start at the earliest.
    tick = std::max(r, 0);
    return true;
  }

  int ClampStaffVoice(int sv) const {
    int staff = StaffOf(static_cast<uint8_t>(sv)), voice = VoiceOf(static_cast<uint8_t>(sv));
    if (PasteMode() >= 1) staff = Cursor().Staff;
    if (PasteMode() == 2) voice = Cursor().Voice;
    if (staff >= part_.StaffCount()) staff = std::max(part_.StaffCount() - 1, 0);
    // The voice is checked against the staff it lands on.
    const TQSStaff* s = part_.GetStaff(staff);
    const int voices = s ? s->VoiceCount() : 1;
    if (voice >= voices) voice = std::max(voices - 1, 0);
    return MakeStaffVoice(staff, voice);
  }
  uint8_t PasteMode() const { return mode_; }

  void PlaceItem(TPastedItem& p) {
    std::unique_ptr<TQSItem>& item = p.Item;
    const TQSItemType k = item->ItemType;
    const bool columnItem = k == 1 || k == 7 || k == 28 || k == 42 || k == 150 || k == 151 ||
                            (k >= 153 && k <= 159) || k == 171;
    const bool note = k == kind::Note, rest = k == kind::Pause, tuplet = k == kind::Tuplet;
    const bool mark = k == 2 || k == 3 || k == 40 || k == 41 || (k >= 110 && k <= 125) || (k >= 130 && k <= 133) ||
                      (k >= 141 && k <= 143) || k == 149 || k == 169 || k == 170 || k == 172 || k == 173;
    const bool plain = k == 31 || (k >= 32 && k <= 36);
    if (!columnItem && !note && !rest && !tuplet && !mark && !plain) return;  // not pasted
    int number = 0, tick = 0;
    if (!Locate(p.Position, columnItem, number, tick)) return;
    if (columnItem) {
      TQSColumn* column = changes_.EnsureColumn(piece_, number);
      if (!column) return;
      changes_.SaveColumn(column);
      if (k == kind::MultiRest)
        for (int i = 0; i < piece_.PartCount(); ++i) {
          TQSMeasure* m = piece_.GetPart(i)->GetMeasure(number);
          if (!m) continue;
          changes_.SaveMeasure(m);
          for (int j = m->ItemCount() - 1; j >= 0; --j) {
            const TQSItemType t = m->GetItem(j)->ItemType;
            if (t == kind::Note || t == kind::Pause || t == kind::NoteRepeat || t == kind::Tuplet) delete m->GetItem(j);
          }
        }
      Adopt(*column, column->Items, item.release(), -1);
      return;
    }
    TQSMeasure* m = changes_.EnsureMeasure(part_, number);
    if (!m) return;
    changes_.SaveMeasure(m);
    if (k != kind::BarRepeat) SetItemTime(*item, tick);
    SetItemStaffVoice(*item, static_cast<uint8_t>(ClampStaffVoice(item->StaffVoice())));
    const int sv = item->StaffVoice();
    if (note || rest) {
      PlaceEvent(std::move(item), m, tick);
      return;
    }
    const TQSMeasureSlot* meter = part_.GetMeasureRecord(m->Index);
    if (!meter) return;
    const int length = meter->LengthFor(m->Index);
    if (k == kind::Tuplet) {
      auto* t = static_cast<TQSMark*>(item.get());
      if (tick + TupletLength(t->Fields.Kind, t->Fields.Value) > length) return;
      if (TQSMark* old = m->FindTuplet(sv, tick)) delete old;
      t->CalcTupletLengths();
    } else if (k == kind::BarRepeat) {
      m->ClearVoiceRange(sv, 0, 10000);
    } else if (k == kind::NoteRepeat) {
      const int span = EventLength(item.get());
      if (tick + span > length) return;
      TQSItem* at = FirstEventFrom(*m, tick, sv);
      int index = at ? m->IndexOfItem(at) : -1;
      if (at && at->ItemType != kind::Note && at->TimePosition() == tick && EventLength(at) == span &&
          at->StaffVoice() == sv) {
        delete at;
      } else if (at) {
        m->ClearVoiceRange(sv, tick, span);
        at = FirstEventFrom(*m, tick, sv);
        index = at ? m->IndexOfItem(at) : -1;
      }
      Adopt(*m, m->Items, item.release(), index);
      return;
    }
    // Kept in time order: at the tick, after equal ones.
    Adopt(*m, m->Items, item.release(), TQSScore::FindItemInsertIndex(*m, sv, tick, 0));
  }

  // Note and rest placement: split over barlines into tied pieces.
  void PlaceEvent(std::unique_ptr<TQSItem> item, TQSMeasure* m, int tick) {
    auto* note = dynamic_cast<TQSNote*>(item.get());
    auto* rest = dynamic_cast<TQSPause*>(item.get());
    auto& holder = static_cast<TQSItemHolder&>(*item);
    const int sv = item->StaffVoice();
    int T = tick;
    int W = note ? note->Fields.Length : rest->Fields.Length;
    int L = note ? note->Fields.RealLength : rest->Fields.RealLength;
    if (TQSMark* tuplet = m->FindTuplet(sv, T)) {
      int start = tuplet->Fields.Time;
      for (int16_t fragment : tuplet->TupletLengths) {
        if (T < start + fragment) {
          T = start;
          L = fragment;
          W = tuplet->Fields.Value;
          break;
        }
        start += fragment;
      }
      FreeAttached(holder, kind::Dot, kind::Dot + 2);
      PlacePiece(std::move(item), m, T, W, L, false);
      return;
    }
    const TQSMeasureSlot* meter = part_.GetMeasureRecord(m->Index);
    if (!meter) return;
    int ML = meter->LengthFor(m->Index);
    if (T + L <= ML && (W == L || HasDots(holder))) {
      PlacePiece(std::move(item), m, T, W, L, false);
      return;
    }
    FreeAttached(holder, kind::Dot, kind::Dot + 2);
    // The pasted item is the first piece; the others copy its fields.
    const TQSItem* model = item.get();
    std::unique_ptr<TQSItem> first = std::move(item);
    std::unique_ptr<TQSItem> modelKeep;  // keeps the model alive once the first piece is placed
    TQSItem* pattern = nullptr;
    for (int h = L; h > 0;) {
      int piece = 512;
      while (piece > 1 && (piece > h || T + piece > ML)) piece /= 2;
      if (piece < kMinPiece || piece > h || T + piece > ML) break;
      std::unique_ptr<TQSItem> current;
      if (first) {
        // A copy to make the later pieces from, taken before the first is changed.
        modelKeep.reset(CreateItemByKind(model->ItemType, nullptr));
        modelKeep->Assign(*model);
        pattern = modelKeep.get();
        current = std::move(first);
      } else {
        current.reset(CreateItemByKind(pattern->ItemType, nullptr));
        CopyPieceFields(*current, *pattern);
      }
      const bool tied = note && h - piece >= kMinPiece;
      PlacePiece(std::move(current), m, T, piece, piece, tied);
      h -= piece;
      if (T + piece < ML) {
        T += piece;
        continue;
      }
      if (h < kMinPiece) break;
      m = changes_.EnsureMeasure(part_, m->Index + 1);
      meter = m ? part_.GetMeasureRecord(m->Index) : nullptr;
      if (!meter) break;
      changes_.SaveMeasure(m);
      ML = meter->LengthFor(m->Index);
      T = 0;
    }
  }

  // A further piece: the field block of the pasted note or rest, and the
  // note's accidentals and glissando, fall and lift marks.
  static void CopyPieceFields(TQSItem& target, const TQSItem& pattern) {
    if (auto* n = dynamic_cast<TQSNote*>(&target)) {
      const auto& src = static_cast<const TQSNote&>(pattern);
      n->Fields = src.Fields;
      for (const TQSItem* attached : src.Items)
        if (attached->ItemType == kind::Accidental ||
            (attached->ItemType >= kind::Glissando && attached->ItemType <= kind::Lift)) {
          TQSItem* copy = CreateItemByKind(attached->ItemType, n);
          if (copy) copy->Assign(*attached);
        }
    } else if (auto* r = dynamic_cast<TQSPause*>(&target)) {
      r->Fields = static_cast<const TQSPause&>(pattern).Fields;
    }
  }

  void PlacePiece(std::unique_ptr<TQSItem> item, TQSMeasure* m, int T, int W, int L, bool tied) {
    auto* note = dynamic_cast<TQSNote*>(item.get());
    const int sv = item->StaffVoice();
    TQSItem* at = FirstEventFrom(*m, T, sv);
    bool chord = false;
    bool stemDown = note && note->IsStemDown();
    if (at && at->TimePosition() == T && EventLength(at) == L && at->StaffVoice() == sv) {
      if (at->ItemType == kind::Note && note) {
        auto* partner = static_cast<TQSNote*>(at);
        partner->SetChordMember(true);
        chord = true;
        stemDown = partner->IsStemDown();
      } else if (at->ItemType != kind::Note) {
        delete at;
      } else {
        m->ClearVoiceRange(sv, T, L);
      }
    } else if (at) {
      m->ClearVoiceRange(sv, T, L);
    }
    if (note) {
      note->SetChordMember(chord);
      note->SetStemDown(stemDown);
      note->Fields.Length = static_cast<uint16_t>(W);
      note->Fields.RealLength = static_cast<uint16_t>(L);
      note->Fields.Time = static_cast<uint16_t>(T);
      if (W == 8) note->Fields.FlagsB |= 3 << 4;
      if (W == 16) note->Fields.FlagsB |= 2 << 4;
      if (W == 32) note->Fields.FlagsB |= 1 << 4;
      for (TQSItem* attached : note->Items)
        if (auto* tie = dynamic_cast<TQSLiga*>(attached)) tie->Fields.EndStaffVoice = static_cast<uint8_t>(sv);
      if (tied) {
        auto* tie = static_cast<TQSLiga*>(CreateItemByKind(kind::Liga, note));
        tie->Fields.Flags = stemDown ? 16 : 17;
        tie->Fields.Span = static_cast<uint16_t>(L);
        tie->Fields.EndStaffVoice = static_cast<uint8_t>(sv);
      }
    } else if (auto* rest = dynamic_cast<TQSPause*>(item.get())) {
      rest->Fields.Length = static_cast<uint16_t>(W);
      rest->Fields.RealLength = static_cast<uint16_t>(L);
      rest->Fields.Time = static_cast<uint16_t>(T);
    }
    Adopt(*m, m->Items, item.release(), TQSScore::FindItemInsertIndex(*m, sv, T, 0));
    if (chord) m->ArrangeChordNotes(sv, T, true);
  }

  void PlacePageObject(std::unique_ptr<TQSItem> object) {
    const bool partView = score_.ViewStyle == TQSViewStyle::vsPart;
    TQSItemOwner& owner = partView ? static_cast<TQSItemOwner&>(part_) : static_cast<TQSItemOwner&>(score_);
    TQSItemList& list = partView ? part_.Items : score_.Items;
    int index = 0;
    for (int i = 0; i < list.Count(); ++i)
      if (ItemPageNumber(list.Get(i)) > Cursor().Page) {
        index = i;
        break;
      }
    const int C = Cursor().Page + 1;
    const TQSItemType k = object->ItemType;
    const int page = ItemPageNumber(object.get());
    const bool move = page == C || page == 0;
    auto shift = [&](auto& f, auto&... coords) { ((coords = static_cast<int16_t>(coords + kPageObjectShift)), ...); (void)f; };
    auto retarget = [&](auto& f) { f.Page = static_cast<uint16_t>(C); };
    if (k == kind::Text) {
      auto& f = static_cast<TQSText&>(*object).Fields;
      move ? shift(f, f.X, f.Y) : retarget(f);
    } else if (k == kind::Image) {
      auto& f = static_cast<TQSImage&>(*object).Fields;
      move ? shift(f, f.X, f.Y) : retarget(f);
    } else if (k == kind::Line) {
      auto& f = static_cast<TQSLine&>(*object).Fields;
      move ? shift(f, f.X1, f.Y1, f.X2, f.Y2) : retarget(f);
    } else if (k == kind::Rectangle || k == kind::Ellipse) {
      auto& f = static_cast<TQSRectangle&>(*object).Fields;
      move ? shift(f, f.X, f.Y) : retarget(f);
    } else if (k >= kind::Arc && k <= kind::ChordSegment) {
      auto& f = static_cast<TQSArc&>(*object).Fields;
      move ? shift(f, f.X, f.Y, f.AX, f.AY, f.BX, f.BY) : retarget(f);
    }
    TQSItem* placed = object.release();
    Adopt(owner, list, placed, index);
    changes_.SaveItem(placed);
  }

  const TQSCursorPosition& cursor_;
  const uint8_t mode_;
  TQSScore& score_;
  TQSPiece& piece_;
  TQSPart& part_;
  TPasteChanges changes_;
};

}  // namespace

std::vector<uint8_t> TQSWindow::WriteNotesBlock() const {
  // The reference: the first selected item of a kind that has a time.
  int R = 0, F = 0;
  bool found = false;
  for (const auto& sel : SelPieces) {
    for (size_t j = 0; j < sel->Measures.size() && !found; ++j)
      for (const TQSCalcItem* e : sel->Measures[j])
        if (e && e->Item && GivesReference(e->Item->ItemType)) {
          R = std::max(e->Item->TimePosition(), 0);
          F = static_cast<int>(j);
          found = true;
          break;
        }
    if (found) break;
  }
  TMemoryStream blocks;
  size_t blockCount = 0;
  for (const auto& sel : SelPieces) {
    int offset = -R;
    std::set<const TQSItem*> written;
    for (int j = F; j < static_cast<int>(sel->Measures.size()); ++j) {
      std::vector<const TQSItem*> items;
      for (const TQSCalcItem* e : sel->Measures[static_cast<size_t>(j)]) {
        if (!e || !e->Item) continue;
        const TQSItem* item = e->Item;
        if (auto* note = dynamic_cast<const TQSNote*>(item))
          if (const TQSVorschlag* group = note->GraceGroup()) item = group;
        if (written.insert(item).second) items.push_back(item);
      }
      if (!items.empty()) {
        blocks.WriteI32(offset);
        WriteCount16(blocks, items.size(), "notes block");
        for (const TQSItem* item : items) WriteItem(blocks, *item);
        ++blockCount;
      }
      if (sel->Piece && j < sel->Piece->LastLaidOutMeasure) offset += SlotLength(*sel->Piece, j);
    }
  }
  std::vector<const TQSItem*> objects;
  for (const TQSCalcItem* e : SelectedPageObjects)
    if (e && e->Item && e->ElementType == 0 && std::find(objects.begin(), objects.end(), e->Item) == objects.end())
      objects.push_back(e->Item);
  int firstPage = 0;
  for (const TQSItem* o : objects)
    if (ItemPageNumber(o) != 0) {
      firstPage = ItemPageNumber(o);
      break;
    }
  TMemoryStream s;
  WriteCount16(s, blockCount, "notes block");
  s.WriteBytes(blocks.Bytes());
  WriteCount16(s, objects.size(), "notes block");
  s.WriteU16(static_cast<uint16_t>(firstPage));
  for (const TQSItem* o : objects) WriteItem(s, *o);
  return s.TakeBytes();
}

void TQSWindow::ReadNotesBlock(const std::vector<uint8_t>& bytes) {
  if (!Score) return;
  TQSPiece* piece = ActivePiece();
  TQSPart* part = ActivePart();
  if (!piece || !part) return;
  TNotesBlock block;
  try {
    block = ParseNotesBlock(bytes);
  } catch (const ENotesBlockError&) {
    // The message in the interface language, English without one.
    TECFormLanguage texts(this);
    texts.FormName = "QSWindow";
    std::string message = texts.GetMessage(0);
    if (message.empty())
      message = "The clipboard holds notes this version of the program cannot read; nothing was pasted.";
    throw ENotesBlockError(message);
  }
  TNotesPaste paste(CursorPosition, PasteMode, *Score, *piece, *part);
  struct TFinish {
    TQSWindow& View;
    TNotesPaste& Paste;
    ~TFinish() {
      if (!Paste.Changed()) return;
      View.Score->Recalculate(0);
      View.Score->RefreshWindows();
      View.Score->FireChanged(&View);
    }
  } finish{*this, paste};
  paste.Run(block);
}

// ------------------------------------------------------------- commands

// While a text is edited the commands work on its selected text and the
// clipboard's plain text; otherwise on the selection and the notes block.
bool TQSWindow::CanCopy() const {
  if (textEditor_->EditingText()) return textEditor_->HasTextSelection();
  return hasSelection_;
}

bool TQSWindow::CanPaste() const {
  if (!Score) return false;
  if (textEditor_->EditingText()) return Clipboard().HasFormat(CF_TEXT);
  return TQSNotesClipboard::HasNotes();
}

void TQSWindow::CutToClipboard() {
  if (Style == wsPreview || !Score) return;
  if (textEditor_->EditingText()) {
    textEditor_->CutEditedText();
  } else {
    TQSNotesClipboard::CopyNotes(WriteNotesBlock());
    DeleteSelection();
  }
  SetFocus();
}

void TQSWindow::CopyToClipboard() {
  if (Style == wsPreview || !Score) return;
  if (textEditor_->EditingText())
    textEditor_->CopyEditedText();
  else
    TQSNotesClipboard::CopyNotes(WriteNotesBlock());
  Fire(OnPasteChanged, this);
  SetFocus();
}

void TQSWindow::PasteFromClipboard(uint8_t mode) {
  if (Style == wsPreview || !CanPaste()) return;
  struct TModeScope {
    uint8_t& Mode;
    ~TModeScope() { Mode = 0; }
  } scope{PasteMode};
  PasteMode = mode;
  if (textEditor_->EditingText())
    textEditor_->PasteEditedText();
  else if (TQSNotesClipboard::HasNotes())
    ReadNotesBlock(TQSNotesClipboard::Notes());
  SetFocus();
}

// ------------------------------------------------------------ clipboard

bool TQSNotesClipboard::HasNotes() { return Clipboard().HasFormat(NotesClipboardFormat()); }

std::vector<uint8_t> TQSNotesClipboard::Notes() {
  if (!HasNotes()) return {};
  return Clipboard().GetBuffer(NotesClipboardFormat());
}

void TQSNotesClipboard::CopyNotes(const std::vector<uint8_t>& block) { PutData(NotesClipboardFormat(), block); }

void TQSNotesClipboard::PutData(TClipboardFormat format, const std::vector<uint8_t>& bytes) {
  Clipboard().SetBuffer(format, bytes);
}

}  // namespace qs
