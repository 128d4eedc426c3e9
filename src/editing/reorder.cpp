#include "editing/reorder.h"

#include <algorithm>
#include <vector>

#include "editing/entry.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
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

// The new place after delta, or -1 when it stays where it is.
int Target(int index, int delta, int count) {
  if (index < 0 || index >= count) return -1;
  const int to = std::clamp(index + delta, 0, count - 1);
  return to == index ? -1 : to;
}

// Where an index ends up when the entry at from moved to to.
int Renumbered(int index, int from, int to) {
  if (index == from) return to;
  if (to < from && index >= to && index < from) return index + 1;
  if (to > from && index > from && index <= to) return index - 1;
  return index;
}

// The staff/voice byte of the items that carry one.
template <class T>
uint8_t* StaffVoiceOf(TQSItem& item) {
  auto* typed = dynamic_cast<T*>(&item);
  return typed ? &typed->Fields.StaffVoice : nullptr;
}
uint8_t* StaffVoiceByte(TQSItem& item) {
  if (auto* sv = StaffVoiceOf<TQSNote>(item)) return sv;
  if (auto* sv = StaffVoiceOf<TQSPause>(item)) return sv;
  if (auto* sv = StaffVoiceOf<TQSMark>(item)) return sv;
  if (auto* sv = StaffVoiceOf<TQSChord>(item)) return sv;
  if (auto* sv = StaffVoiceOf<TQSVorschlag>(item)) return sv;
  if (auto* sv = StaffVoiceOf<TQSLyric>(item)) return sv;
  return StaffVoiceOf<TQSFrame>(item);
}

// Kinds whose staff follows a moved staff.
bool FollowsStaff(TQSItemType k) {
  if ((k >= 110 && k <= 118) || (k >= 120 && k <= 125) || (k >= 130 && k <= 133) || (k >= 141 && k <= 143) ||
      (k >= 31 && k <= 34) || (k >= 20 && k <= 21) || (k >= 40 && k <= 41))
    return true;
  switch (k) {
    case 2: case 36: case 85: case 149: case 169: case 170: case 172: case 173: return true;
    default: return false;
  }
}

// Kinds whose voice follows a moved voice.
bool FollowsVoice(TQSItemType k) {
  switch (k) {
    case 20: case 21: case 32: case 40: case 41: case 111: case 112: case 143: case 173: return true;
    default: return false;
  }
}

// Hides the cursor, runs the change, lays out the whole score and ends
// with the cursor shown, OnChanged and the move notification.
template <class Change>
void Reordered(TQSScore& score, TQSWindowLink& view, Change change) {
  view.ShowCursor(false);
  TObject* moved = nullptr;
  try {
    moved = change();
    score.Recalculate(0, -1);
    score.RefreshWindows();
  } catch (...) {
    view.ScrollToCursor();
    view.RefreshRulerMarkers();
    view.ShowCursor(true);
    throw;
  }
  view.ScrollToCursor();
  view.RefreshRulerMarkers();
  view.ShowCursor(true);
  score.FireChanged(&score);
  Fire(score.OnItemMoved, moved);
}

// Stems and rest offsets of a staff after its voices changed places.
void RestackVoices(TQSScore& score, TQSPart& part, int staffIndex) {
  TQSStaff* staff = part.GetStaff(staffIndex);
  if (!staff) return;
  const bool single = staff->VoiceCount() < 2;
  const int clefShift = ClefShiftAtCursor(score);
  for (int i = 0; i < part.MeasureCount(); ++i)
    for (TQSItem* item : part.GetMeasure(i)->Items) {
      if (item->StaffVoice() >> 4 != staffIndex) continue;
      const int voice = item->StaffVoice() & 0x0F;
      if (auto* note = dynamic_cast<TQSNote*>(item)) {
        bool down = false;
        if (!staff->Fields.Tablature)
          down = single ? PitchLine(note->Fields.Pitch) - clefShift > kStemDownAbove : voice != 0;
        note->SetStemDown(down);
      } else if (auto* rest = dynamic_cast<TQSPause*>(item)) {
        rest->Fields.OffsetY = static_cast<int16_t>(single ? 0 : voice == 0 ? -kVoiceRestOffset : kVoiceRestOffset);
      }
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
    MoveEntry(piece->PartList(), from, to);
    piece->UpdatePartIndexes();
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
    MoveEntry(part->StaffList(), from, to);
    part->UpdateStaffIndexes();
    for (int i = 0; i < part->MeasureCount(); ++i)
      for (TQSItem* item : part->GetMeasure(i)->Items) {
        uint8_t* sv = FollowsStaff(item->ItemType) ? StaffVoiceByte(*item) : nullptr;
        if (sv) *sv = static_cast<uint8_t>(Renumbered(*sv >> 4, from, to) << 4 | (*sv & 0x0F));
      }
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

}  // namespace qs
