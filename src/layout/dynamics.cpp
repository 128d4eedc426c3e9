#include "layout/dynamics.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <unordered_set>

#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"

namespace qs {

namespace {

constexpr int kNeutralLevel = 64;
// The host answers the bracket amount when asked about the tie kind.
constexpr int kBracketQuestion = kind::Liga;

// Levels and velocities stay within 0..127; the sums are taken wide so that
// no host answer can overflow them.
int ClampLevel(int64_t value) { return static_cast<int>(std::clamp<int64_t>(value, 0, 127)); }

// The slot of a laid-out measure number, nullptr when there is none.
TQSCalcMeasure* SlotOf(const TQSPiece& piece, int measure) {
  if (measure < 0 || measure > piece.LastLaidOutMeasure || measure >= static_cast<int>(piece.Slots.size()))
    return nullptr;
  return ClassCast<TQSCalcMeasure>(piece.Slots[static_cast<size_t>(measure)]);
}

// The table entries in use: the count, but never beyond the table.
int EntryCount(const TQSCalcMeasure& slot) {
  return static_cast<int>(std::min<size_t>(slot.DynamicCount, slot.Dynamics.size()));
}

// The host's amount for a mark kind and subkind; nothing without a host.
std::optional<int> HostAmount(TQSScore* score, TObject* sender, int itemType, int subkind) {
  if (!score || !score->OnGetDinamics) return std::nullopt;
  return score->OnGetDinamics(sender, itemType, subkind);
}

// Evaluates one table entry against the level of its part.
void EvaluateEntry(TQSPiece& piece, const TQSCalcMeasure& slot, TQSCalcDynamic& e, int& level) {
  TQSScore* score = piece.Score();
  if (e.Item->ItemType == kind::Term) {
    auto* term = dynamic_cast<TQSLyric*>(e.Item);
    if (!term || term->Lines.empty() || !score || !score->OnGetTerms) return;
    int relative = 0, amount = 0;
    const bool known = score->OnGetTerms(&piece, 1, term->Lines, relative, amount);
    e.NoValue = known ? 0 : 1;
    if (!known) return;
    if (relative != 0) {
      // The change spreads to the end of the measure.
      e.StartVelocity = static_cast<uint8_t>(level);
      level = ClampLevel(int64_t{level} + amount);
      e.EndVelocity = static_cast<uint8_t>(level);
      e.EndTick = static_cast<uint16_t>(std::max(0, slot.Length - e.StartTick));
    } else {
      level = ClampLevel(amount);
      e.StartVelocity = static_cast<uint8_t>(level);
      e.EndTick = 0;
    }
    return;
  }

  auto* mark = dynamic_cast<TQSMark*>(e.Item);
  if (!mark) return;
  const int subkind = mark->Fields.Kind;
  if (mark->ItemType == kind::Dynamics && subkind <= 12) {
    if (auto answer = HostAmount(score, &piece, kind::Dynamics, subkind)) level = ClampLevel(*answer);
    e.StartVelocity = static_cast<uint8_t>(level);
    e.EndTick = 0;
  } else if (mark->ItemType == kind::Dynamics && subkind <= 51) {
    // A hairpin: 50 crescendo, every other subkind lowers the level.
    const int64_t amount = HostAmount(score, &piece, kind::Dynamics, subkind).value_or(0);
    e.StartVelocity = static_cast<uint8_t>(level);
    level = ClampLevel(subkind == dynamic::kCrescendo ? level + amount : level - amount);
    e.EndVelocity = static_cast<uint8_t>(level);
    e.EndTick = mark->Fields.Value;
  } else if (mark->ItemType == kind::Accent && subkind <= 3) {
    // An accent raises only its own note; the level goes on unchanged.
    const int64_t amount = HostAmount(score, &piece, kind::Accent, subkind).value_or(0);
    e.StartVelocity = static_cast<uint8_t>(ClampLevel(level + amount));
    e.EndTick = 0;
  }
}

// The velocity an evaluated entry of measure k gives at tick t of measure m.
int EntryVelocity(const TQSPiece& piece, const TQSCalcDynamic& e, int k, int m, int t) {
  const int span = e.EndTick;
  if (span == 0) return e.StartVelocity;
  const int distance = std::max(0, TicksBetween(piece, k, m - 1) + t - e.StartTick);
  if (distance >= span) return e.EndVelocity;
  return e.StartVelocity + (e.EndVelocity - e.StartVelocity) * distance / span;
}

}  // namespace

void CalcDynamics(TQSPiece& piece) {
  std::vector<int> levels(static_cast<size_t>(piece.PartCount()), kNeutralLevel);
  for (int m = 0; m <= piece.LastLaidOutMeasure; ++m) {
    TQSCalcMeasure* slot = SlotOf(piece, m);
    if (!slot) continue;
    for (int i = 0, n = EntryCount(*slot); i < n; ++i) {
      TQSCalcDynamic& e = slot->Dynamics[static_cast<size_t>(i)];
      // An entry of a part the piece no longer has changes no level.
      if (!e.Item || e.PartIndex < 0 || e.PartIndex >= static_cast<int>(levels.size())) continue;
      EvaluateEntry(piece, *slot, e, levels[static_cast<size_t>(e.PartIndex)]);
    }
  }
}

int DynamicsVelocity(const TQSPiece& piece, const TQSMeasure& measure, int position) {
  const int m = measure.Index;
  if (m < 0) return kNeutralLevel;
  const int part = measure.Part() ? measure.Part()->Index : -1;
  for (int k = std::min(m, piece.LastLaidOutMeasure); k >= 0; --k) {
    const TQSCalcMeasure* slot = SlotOf(piece, k);
    if (!slot) continue;
    for (int i = EntryCount(*slot) - 1; i >= 0; --i) {
      const TQSCalcDynamic& e = slot->Dynamics[static_cast<size_t>(i)];
      if (e.NoValue || e.PartIndex != part) continue;
      if (e.AtTickOnly && (k != m || e.StartTick != position)) continue;
      if (k == m && e.StartTick > position) continue;
      return EntryVelocity(piece, e, k, m, position);
    }
  }
  return kNeutralLevel;
}

int TicksBetween(const TQSPiece& piece, int fromMeasure, int toMeasure) {
  const TQSCalcMeasure* last = SlotOf(piece, piece.LastLaidOutMeasure);
  const int lastLength = last ? last->Length : 0;
  int64_t sum = 0;
  for (int m = std::max(fromMeasure, 0); m <= toMeasure; ++m) {
    if (m > piece.LastLaidOutMeasure) {
      // Every further measure number counts with the last slot's length.
      sum += (int64_t{toMeasure} - m + 1) * lastLength;
      break;
    }
    if (const TQSCalcMeasure* slot = SlotOf(piece, m)) sum += slot->Length;
  }
  return static_cast<int>(std::min<int64_t>(sum, INT32_MAX));
}

int TicksBetween(TQSScore& score, int fromMeasure, int toMeasure) {
  TQSPiece* piece = score.CurrentPiece();
  return piece ? TicksBetween(*piece, fromMeasure, toMeasure) : 0;
}

int BracketVelocity(TQSScore& score, int noteFlags, int velocity) {
  if (!(noteFlags & TQSNote::kEnclosureMask) || !score.OnGetDinamics) return velocity;
  const int amount = static_cast<int16_t>(score.OnGetDinamics(&score, kBracketQuestion, 0));
  return ClampLevel(int64_t{velocity} + amount);
}

bool CalcNoteVelocity(TQSScore& score, TQSItem* item) {
  auto* note = item && item->ItemType == kind::Note ? dynamic_cast<TQSNote*>(item) : nullptr;
  TQSMeasure* measure = note ? note->GetMeasure() : nullptr;
  TQSPiece* piece = measure && measure->Part() ? measure->Part()->Piece() : nullptr;
  if (!piece) return false;
  const int velocity =
      BracketVelocity(score, note->Fields.FlagsB, DynamicsVelocity(*piece, *measure, note->Fields.Time));
  if (velocity == note->Fields.Velocity) return false;
  note->Fields.Velocity = static_cast<uint8_t>(velocity);
  return true;
}

void CalcVelocity(TQSScore& score, const std::vector<TQSItem*>& selectedItems) {
  if (!score.ActiveWindow()) return;
  std::unordered_set<const TQSItem*> done;
  bool changed = false;
  for (TQSItem* item : selectedItems) {
    if (!item || item->ItemType != kind::Note || !done.insert(item).second) continue;
    changed |= CalcNoteVelocity(score, item);
  }
  if (!changed) return;
  score.FireChanged(&score);
  Fire(score.OnRecalculate, &score);
}

void ApplyAutoVelocity(TQSScore& score) {
  for (int i = 0; i < score.PieceCount(); ++i)
    if (TQSPiece* piece = score.GetPiece(i)) CalcDynamics(*piece);
}

void CalcVelocities(TQSPart& part, int measureIndex, int position, bool toEnd) {
  TQSScore* score = part.Piece() ? part.Piece()->Score() : nullptr;
  if (!score || measureIndex < 0 || measureIndex >= part.MeasureCount()) return;
  const int last = toEnd ? part.MeasureCount() - 1 : measureIndex;
  for (int m = measureIndex; m <= last; ++m) {
    TQSMeasure* measure = part.GetMeasure(m);
    if (!measure) continue;
    for (TQSItem* item : measure->Items) {
      const int time = item->TimePosition();
      const bool wanted = m > measureIndex || (toEnd ? time >= position : time == position);
      if (item->ItemType == kind::Note && wanted) CalcNoteVelocity(*score, item);
    }
  }
}

}  // namespace qs
