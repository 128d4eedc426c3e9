#include "editing/reorder.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "editing/command.h"
#include "editing/entry.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/order.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/undo.h"
#include "score/units.h"

namespace qs {

namespace {

// A rest's offset from the staff middle in a staff of several voices.
constexpr int kVoiceRestOffset = 96;
// The pitch line above which a single voice's stem points down.
constexpr int kStemDownAbove = 40;

// Moves entry from to place to; the entries between shift by one.
template <class T>
void MoveEntry(std::vector<T*>& list, int from, int to) {
  T* moved = list[static_cast<size_t>(from)];
  list.erase(list.begin() + from);
  list.insert(list.begin() + to, moved);
}

// A new undo record, none when it cannot be made (the move goes on
// unrecorded).
TQSUndoRecord* OpenRecord(TQSScore& score, uint8_t action) {
  try {
    return score.BeginUndo(action, "");
  } catch (const std::exception&) {
    return nullptr;
  }
}

// The new place after delta, or -1 when it stays where it is.
int Target(int index, int delta, int count) {
  if (index < 0 || index >= count) return -1;
  const int to = std::clamp(index + delta, 0, count - 1);
  return to == index ? -1 : to;
}

// Kinds whose voice follows a moved voice (a tuplet too: it must stay with
// the notes it brackets).
bool FollowsVoice(TQSItemType k) {
  switch (k) {
    case kind::Note: case kind::Pause: case kind::Vorschlag: case kind::NoteRepeat: case kind::BarRepeat:
    case kind::Tuplet: case kind::Arpeggio: case kind::Hang: case kind::Tremolo: case kind::BarreBracket: return true;
    default: return false;
  }
}

// Hides the cursor, runs the change, lays out the whole score and ends
// with the cursor shown, OnChanged and the move notification.
// How the end of a move is announced: as an item moved, or (for a staff or
// voice gone to another container) as a change of the view's active item.
enum class TMoveNotice { ItemMoved, ActiveChanged };

template <class Change>
void Reordered(TQSScore& score, TQSWindowLink& view, Change change, TMoveNotice notice = TMoveNotice::ItemMoved) {
  TObject* moved = nullptr;
  {
    TCursorHidden hidden(view);
    moved = change();
    score.Recalculate(0, -1);
    score.RefreshWindows();
  }
  score.FireChanged(&score);
  if (notice == TMoveNotice::ItemMoved)
    Fire(score.OnItemMoved, moved);
  else
    view.DoActiveChanged(moved);
}

// The measure of the index in part, made (with those before it) when the
// part has fewer measures.
TQSMeasure* MeasureAt(TQSPart& part, int index) {
  while (part.MeasureCount() <= index) part.NewMeasure();
  return part.GetMeasure(index);
}

// Moves item into measure at its place in the time order.
void MoveItemInto(TQSItem& item, TQSMeasure& measure) {
  const int at = TQSScore::FindItemInsertIndex(measure, item.StaffVoice(), std::max(0, item.TimePosition()), 0);
  item.SetOwner(&measure);
  measure.Items.Move(measure.Items.IndexOf(&item), std::min(at, measure.Items.Count() - 1));
}

void SetStaffNibble(uint8_t& sv, int staff) { sv = static_cast<uint8_t>(staff << 4 | (sv & 0x0F)); }
void SetVoiceNibble(uint8_t& sv, int voice) { sv = static_cast<uint8_t>((sv & 0xF0) | voice); }

// Stems and rest offsets of a staff after its voices changed places.
void RestackMeasureVoices(TQSMeasure& measure, const TQSStaff& staff, int staffIndex, int clefShift) {
  const bool single = staff.VoiceCount() < 2;
  for (TQSItem* item : measure.Items) {
    if (item->StaffVoice() >> 4 != staffIndex) continue;
    const int voice = item->StaffVoice() & 0x0F;
    if (auto* note = dynamic_cast<TQSNote*>(item)) {
      bool down = false;
      if (!staff.Fields.Tablature)
        down = single ? PitchLine(note->Fields.Pitch) - clefShift > kStemDownAbove : voice != 0;
      note->SetStemDown(down);
    } else if (auto* rest = dynamic_cast<TQSPause*>(item)) {
      rest->Fields.OffsetY = static_cast<int16_t>(single ? 0 : voice == 0 ? -kVoiceRestOffset : kVoiceRestOffset);
    }
  }
}

void RestackVoices(TQSScore& score, TQSPart& part, int staffIndex) {
  TQSStaff* staff = part.GetStaff(staffIndex);
  if (!staff) return;
  const int clefShift = ClefShiftAtCursor(score);
  for (int i = 0; i < part.MeasureCount(); ++i) RestackMeasureVoices(*part.GetMeasure(i), *staff, staffIndex, clefShift);
}

// A part gone into another piece keeps the grouping of its staves, but
// under numbers no other staff of that piece has, so that its barlines join
// none of its new neighbours'.
void SeparateGroups(const TQSPiece& piece, TQSPart& part) {
  std::vector<int> others;
  for (int p = 0; p < piece.PartCount(); ++p)
    if (TQSPart* other = piece.GetPart(p); other != &part)
      for (int s = 0; s < other->StaffCount(); ++s) others.push_back(other->GetStaff(s)->Fields.Group);
  const auto taken = [&](int g) { return std::find(others.begin(), others.end(), g) != others.end(); };
  bool clash = false;
  for (int s = 0; s < part.StaffCount(); ++s) clash = clash || taken(part.GetStaff(s)->Fields.Group);
  if (!clash) return;
  int next = others.empty() ? 0 : *std::max_element(others.begin(), others.end()) + 1;
  std::vector<std::pair<int, int>> renamed;
  for (int s = 0; s < part.StaffCount(); ++s) {
    uint16_t& group = part.GetStaff(s)->Fields.Group;
    auto known = std::find_if(renamed.begin(), renamed.end(), [&](auto& r) { return r.first == group; });
    if (known == renamed.end()) known = renamed.insert(renamed.end(), {group, next++});
    group = static_cast<uint16_t>(known->second);
  }
}

}  // namespace

void MovePiece(TQSScore& score, int delta) {
  TQSWindowLink* view = score.ActiveWindow();
  if (!view) return;
  const int from = view->CursorPosition.Piece;
  const int to = Target(from, delta, score.PieceCount());
  if (to < 0) return;
  Reordered(score, *view, [&]() -> TObject* {
    MoveEntry(score.PieceList(), from, to);
    score.RenumberPieces();
    view->CursorPosition.Piece = to;
    return score.GetPiece(to);
  });
}

void MovePart(TQSScore& score, int delta) {
  TQSWindowLink* view = score.ActiveWindow();
  TQSPiece* piece = view ? score.CurrentPiece() : nullptr;
  if (!piece) return;
  const int from = view->CursorPosition.Part;
  const int to = Target(from, delta, piece->PartCount());
  if (to < 0) return;
  Reordered(score, *view, [&]() -> TObject* {
    SaveUndoOrder(OpenRecord(score, undoaction::PartMoved), piece->Index, -1, from, to);
    ReorderParts(*piece, from, to);
    view->CursorPosition.Part = to;
    return piece->GetPart(to);
  });
}

void MoveStaff(TQSScore& score, int delta) {
  TQSWindowLink* view = score.ActiveWindow();
  TQSPart* part = view ? score.CurrentPart() : nullptr;
  if (!part) return;
  const int from = view->CursorPosition.Staff;
  const int to = Target(from, delta, part->StaffCount());
  if (to < 0) return;
  Reordered(score, *view, [&]() -> TObject* {
    SaveUndoOrder(OpenRecord(score, undoaction::StaffMoved), part->Piece()->Index, part->Index, from, to);
    ReorderStaves(*part, from, to);
    view->CursorPosition.Staff = to;
    return part->GetStaff(to);
  });
}

void MoveVoice(TQSScore& score, int delta) {
  TQSWindowLink* view = score.ActiveWindow();
  TQSPart* part = view ? score.CurrentPart() : nullptr;
  const int staffIndex = view ? view->CursorPosition.Staff : -1;
  TQSStaff* staff = part ? part->GetStaff(staffIndex) : nullptr;
  if (!staff) return;
  const int from = view->CursorPosition.Voice;
  const int to = Target(from, delta, staff->VoiceCount());
  if (to < 0) return;
  Reordered(score, *view, [&]() -> TObject* {
    MoveEntry(staff->VoiceList(), from, to);
    staff->UpdateVoiceIndexes();
    for (int i = 0; i < part->MeasureCount(); ++i)
      for (TQSItem* item : part->GetMeasure(i)->Items) {
        uint8_t* sv = FollowsVoice(item->ItemType) ? StaffVoiceByte(*item) : nullptr;
        if (sv && (*sv >> 4) == staffIndex)
          *sv = static_cast<uint8_t>((*sv & 0xF0) | Renumbered(*sv & 0x0F, from, to));
      }
    view->CursorPosition.Voice = to;
    RestackVoices(score, *part, staffIndex);
    return staff->GetVoice(to);
  });
}

void MovePartToPiece(TQSScore& score, TQSPiece* target, int index) {
  TQSWindowLink* view = score.ActiveWindow();
  TQSPart* part = view ? score.CurrentPart() : nullptr;
  if (!part || !target) return;
  Reordered(score, *view, [&]() -> TObject* {
    TQSPiece* old = part->Piece();
    old->RemovePart(part);
    part->SetPiece(target);
    const int at = index < 0 || index > target->PartCount() ? target->PartCount() : index;
    target->InsertPart(part, at);
    if (target != old) SeparateGroups(*target, *part);
    for (int s = 0; s < part->StaffCount(); ++s) {
      TQSStaff* staff = part->GetStaff(s);
      score.FireAddItem(staff);
      for (int v = 0; v < staff->VoiceCount(); ++v) score.FireAddItem(staff->GetVoice(v));
    }
    view->CursorPosition.Piece = target->Index;
    view->CursorPosition.Part = part->Index;
    return part;
  });
}

void MoveStaffToPart(TQSScore& score, TQSPart* target, int index) {
  TQSWindowLink* view = score.ActiveWindow();
  TQSPart* part = view ? score.CurrentPart() : nullptr;
  TQSStaff* staff = part ? score.CurrentStaff() : nullptr;
  if (!staff || !target) return;
  if (target == part) {
    // Within its own part the staff simply changes places.
    const int last = part->StaffCount() - 1;
    MoveStaff(score, (index < 0 || index > last ? last : index) - staff->Index);
    return;
  }
  // A part keeps at least one staff, and a staff index fits in its nibble.
  if (part->StaffCount() <= 1 || target->StaffCount() >= kMaxStaves) return;
  const int from = staff->Index;
  Reordered(
      score, *view,
      [&]() -> TObject* {
        const int at = index < 0 || index > target->StaffCount() ? target->StaffCount() : index;
        part->UnregisterStaff(staff);
        staff->SetPart(target);
        target->RegisterStaff(staff, at);
        // The staff joins the group of the staff it now follows in its new
        // part (or precedes, when it comes first).
        if (const TQSStaff* neighbour = target->GetStaff(staff->Index > 0 ? staff->Index - 1 : staff->Index + 1))
          staff->Fields.Group = neighbour->Fields.Group;
        for (int v = 0; v < staff->VoiceCount(); ++v) score.FireAddItem(staff->GetVoice(v));
        part->UpdateVoiceNumbers(false);
        target->UpdateVoiceNumbers(false);
        // The new part's staves from the new place on make room.
        for (TQSMeasure* measure : target->MeasureList())
          for (TQSItem* item : measure->Items) {
            uint8_t* sv = FollowsStaff(item->ItemType) ? StaffVoiceByte(*item) : nullptr;
            if (sv && (*sv >> 4) >= at) SetStaffNibble(*sv, (*sv >> 4) + 1);
          }
        for (int i = 0; i < part->MeasureCount(); ++i) {
          TQSMeasure* source = part->GetMeasure(i);
          TQSMeasure* dest = MeasureAt(*target, i);
          const std::vector<TQSItem*> items(source->Items.begin(), source->Items.end());
          for (TQSItem* item : items) {
            uint8_t* sv = FollowsStaff(item->ItemType) ? StaffVoiceByte(*item) : nullptr;
            if (!sv) continue;
            const int s = *sv >> 4;
            if (s == from) {
              SetStaffNibble(*sv, at);
              MoveItemInto(*item, *dest);
            } else if (s > from) {
              SetStaffNibble(*sv, s - 1);
            }
          }
          source->UpdateBeams(0, true);
        }
        for (TQSMeasure* measure : target->MeasureList()) measure->UpdateBeams(0, true);
        view->CursorPosition.Piece = target->Piece()->Index;
        view->CursorPosition.Part = target->Index;
        view->CursorPosition.Staff = staff->Index;
        view->CursorPosition.Voice = std::min(view->CursorPosition.Voice, staff->VoiceCount() - 1);
        return staff;
      },
      TMoveNotice::ActiveChanged);
}

void MoveVoiceToStaff(TQSScore& score, TQSStaff* target, int index) {
  TQSWindowLink* view = score.ActiveWindow();
  TQSPart* oldPart = view ? score.CurrentPart() : nullptr;
  TQSStaff* oldStaff = oldPart ? score.CurrentStaff() : nullptr;
  TQSVoice* voice = oldStaff ? score.CurrentVoice() : nullptr;
  if (!voice || !target) return;
  if (target == oldStaff) {
    const int last = oldStaff->VoiceCount() - 1;
    MoveVoice(score, (index < 0 || index > last ? last : index) - voice->Index);
    return;
  }
  // A staff keeps at least one voice, and a voice index fits in its nibble.
  if (oldStaff->VoiceCount() <= 1 || target->VoiceCount() >= kMaxVoices) return;
  TQSPart* newPart = target->Part();
  const int fromStaff = oldStaff->Index, fromVoice = voice->Index;
  const int oldClefShift = ClefShiftAtCursor(score);
  Reordered(
      score, *view,
      [&]() -> TObject* {
        const int at = index < 0 || index > target->VoiceCount() ? target->VoiceCount() : index;
        oldStaff->UnregisterVoice(voice);
        voice->SetStaff(target);
        target->RegisterVoice(voice, at);
        const int toStaff = target->Index;
        view->CursorPosition.Piece = newPart->Piece()->Index;
        view->CursorPosition.Part = newPart->Index;
        view->CursorPosition.Staff = toStaff;
        view->CursorPosition.Voice = voice->Index;
        const int newClefShift = ClefShiftAtCursor(score);
        // The new staff's voices from the new place on make room.
        for (TQSMeasure* measure : newPart->MeasureList())
          for (TQSItem* item : measure->Items) {
            uint8_t* sv = FollowsVoice(item->ItemType) ? StaffVoiceByte(*item) : nullptr;
            if (sv && (*sv >> 4) == toStaff && (*sv & 0x0F) >= at) SetVoiceNibble(*sv, (*sv & 0x0F) + 1);
          }
        const uint8_t movedByte = static_cast<uint8_t>(toStaff << 4 | voice->Index);
        for (int i = 0; i < oldPart->MeasureCount(); ++i) {
          TQSMeasure* source = oldPart->GetMeasure(i);
          TQSMeasure* dest = MeasureAt(*newPart, i);
          const std::vector<TQSItem*> items(source->Items.begin(), source->Items.end());
          for (TQSItem* item : items) {
            uint8_t* sv = FollowsVoice(item->ItemType) ? StaffVoiceByte(*item) : nullptr;
            if (!sv || (*sv >> 4) != fromStaff) continue;
            const int v = *sv & 0x0F;
            if (v == fromVoice) {
              *sv = movedByte;
              if (dest != source) MoveItemInto(*item, *dest);
            } else if (v > fromVoice) {
              SetVoiceNibble(*sv, v - 1);
            }
          }
          // Both staves lost or gained a voice: stems and rest offsets follow.
          RestackMeasureVoices(*source, *oldStaff, fromStaff, oldClefShift);
          RestackMeasureVoices(*dest, *target, toStaff, newClefShift);
          source->UpdateBeams(0, true);
          if (dest != source) dest->UpdateBeams(0, true);
        }
        return voice;
      },
      TMoveNotice::ActiveChanged);
}

}  // namespace qs
