// What the palettes and the editing commands ask the view about the score
// at its cursor, and the ten bookmarks.
#include <algorithm>

#include "layout/metrics.h"
#include "layout/sounding.h"
#include "layout/spelling.h"
#include "score/accidentals.h"
#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/units.h"
#include "view/window.h"

namespace qs {

namespace {

const TQSCalcMeasure* SlotAt(const TQSPiece* piece, int measure) {
  if (!piece || measure < 0 || measure >= static_cast<int>(piece->Slots.size())) return nullptr;
  return dynamic_cast<const TQSCalcMeasure*>(piece->Slots[static_cast<size_t>(measure)]);
}

// The semitone of each diatonic step above C.
constexpr int kStepSemitone[7] = {0, 2, 4, 5, 7, 9, 11};

}  // namespace

// ---------------------------------------------------------- active objects

TQSPiece* TQSWindow::ActivePiece() const { return Score ? Score->GetPiece(CursorPosition.Piece) : nullptr; }

TQSPart* TQSWindow::ActivePart() const {
  const TQSPiece* piece = ActivePiece();
  return piece ? piece->GetPart(CursorPosition.Part) : nullptr;
}

TQSStaff* TQSWindow::ActiveStaff() const {
  const TQSPart* part = ActivePart();
  return part ? part->GetStaff(CursorPosition.Staff) : nullptr;
}

TQSVoice* TQSWindow::ActiveVoice() const {
  const TQSStaff* staff = ActiveStaff();
  return staff ? staff->GetVoice(CursorPosition.Voice) : nullptr;
}

int TQSWindow::ActivePieceTempo() const {
  const TQSPiece* piece = ActivePiece();
  return piece ? piece->Tempo() : 60;
}

int TQSWindow::ActivePartTransposition() const {
  const TQSPart* part = ActivePart();
  return part ? part->TransportShift() : 0;
}

// ------------------------------------------------------------- at cursor

TQSNote* TQSWindow::NoteAtCursor(bool before, bool highest) const {
  const TQSPart* part = ActivePart();
  if (!part) return nullptr;
  int measure = CursorPosition.Measure, tick = CursorPosition.Tick;
  const bool atEnd = before && tick == 0 && measure > 0;
  if (atEnd) {
    --measure;
    const TQSCalcMeasure* slot = SlotAt(ActivePiece(), measure);
    tick = slot ? slot->LengthFor(measure) : 0;
  }
  auto qualifies = [&](const TQSNote& n) {
    return n.Fields.Time == tick || (before && n.Fields.Time + n.Fields.RealLength == tick);
  };
  auto better = [&](const TQSNote* found, const TQSNote& n) {
    return !found || (highest ? n.SoundingKey > found->SoundingKey : n.SoundingKey < found->SoundingKey);
  };
  TQSNote* found = nullptr;
  if (const TQSSelPiece* sel = FindSelPiece(ActivePiece()); sel && measure < static_cast<int>(sel->Measures.size()))
    for (TQSCalcItem* e : sel->Measures[static_cast<size_t>(measure)])
      if (auto* n = dynamic_cast<TQSNote*>(e->Item); n && qualifies(*n) && better(found, *n)) found = n;
  if (found) return found;
  if (const TQSMeasure* m = part->GetMeasure(measure))
    for (TQSItem* item : m->Items)
      if (auto* n = dynamic_cast<TQSNote*>(item); n && qualifies(*n) && better(found, *n)) found = n;
  return found;
}

// What a note entered at the cursor would sound with no accidental of its
// own: the alteration in force by the layout's own reading, so that the
// entered note sounds what the user sees.
int TQSWindow::AccidentalAtCursor(int step) const {
  const TQSMeasure* measure = CursorMeasure();
  if (!Score || !measure) return 0;
  return AlterationInForce(*measure, std::clamp(step, 0, 6), CursorPosition.Staff, CursorPosition.Tick);
}

int TQSWindow::ClefShiftAtCursor(int part, int staff, int measure, int tick) const {
  const TQSPiece* piece = ActivePiece();
  if (!Score || !piece) return 0;
  if (part < 0) part = CursorPosition.Part;
  if (staff < 0) staff = CursorPosition.Staff;
  if (measure < 0) measure = CursorPosition.Measure;
  if (tick < 0) tick = CursorPosition.Tick;
  if (measure > piece->LastLaidOutMeasure) return 0;
  const TQSCalcMeasure* slot = SlotAt(piece, measure);
  const TQSPart* owner = piece->GetPart(part);
  const TQSStaff* s = owner ? owner->GetStaff(staff) : nullptr;
  if (!slot || !s) return 0;
  const auto* clef = dynamic_cast<const TQSMark*>(slot->ClefFor(owner, s->SystemRow, MakeStaffVoice(staff, 0), tick));
  return clef ? ClefKindOffset(clef->Fields.Kind) : 0;
}

namespace {

template <class T>
T* FirstAtCursor(const TQSMeasure* measure, const TQSCursorPosition& c) {
  if (!measure) return nullptr;
  for (TQSItem* item : measure->Items)
    if (auto* found = dynamic_cast<T*>(item);
        found && found->Fields.StaffVoice == MakeStaffVoice(c.Staff, 0) && found->Fields.Time == c.Tick)
      return found;
  return nullptr;
}

}  // namespace

void TQSWindow::ChordFlagsAtCursor(const std::vector<uint8_t>*& flags) const {
  if (const TQSChord* chord = FirstAtCursor<TQSChord>(CursorMeasure(), CursorPosition)) flags = &chord->Definition;
}

void TQSWindow::FrameFlagsAtCursor(const std::vector<uint8_t>*& flags) const {
  if (const TQSFrame* frame = FirstAtCursor<TQSFrame>(CursorMeasure(), CursorPosition)) flags = &frame->Definition;
}

bool TQSWindow::FrameAtCursor(TQSFrameInfo& info) const {
  const TQSFrame* frame = FirstAtCursor<TQSFrame>(CursorMeasure(), CursorPosition);
  if (!frame) return false;
  info.StringCount = frame->Fields.StringCount;
  info.FretCount = frame->Fields.FretCount;
  info.UsedFretCount = frame->Fields.UsedFretCount;
  info.StartFret = frame->Fields.StartFret;
  info.Barre.assign(frame->Barre.begin(),
                    frame->Barre.begin() + std::min<size_t>(frame->Barre.size(), frame->Fields.UsedFretCount));
  info.Strings.assign(frame->Strings.begin(),
                      frame->Strings.begin() + std::min<size_t>(frame->Strings.size(), frame->Fields.StringCount));
  return true;
}

int TQSWindow::NotesAtCursor(std::vector<TQSCursorNote>& notes) const {
  for (size_t i = 0; i < notes.size() && i < 8; ++i) {
    notes[i].Pitch = 0;
    notes[i].Step = 0;
  }
  const TQSMeasure* measure = CursorMeasure();
  if (!measure) return 0;
  const uint8_t sv = MakeStaffVoice(CursorPosition.Staff, CursorPosition.Voice);
  size_t n = 0;
  for (const TQSItem* item : measure->Items) {
    if (n >= notes.size()) break;
    const auto* note = dynamic_cast<const TQSNote*>(item);
    if (!note || note->Fields.StaffVoice != sv || note->Fields.Time != CursorPosition.Tick) continue;
    TQSCursorNote& r = notes[n++];
    r.Step = static_cast<uint8_t>(SafeStep(note->Fields.Pitch));
    r.Octave = static_cast<uint8_t>(note->Fields.Pitch >> 4);
    r.Pitch = static_cast<int16_t>(kStepSemitone[r.Step] + 12 * r.Octave);
    if (const int amount = note->AccidentalDisplay & accidental::DisplayAmount) {
      const bool down = note->AccidentalDisplay & accidental::DisplayDown;
      r.Accidental = down ? accidental::ToneFlat : accidental::ToneSharp;
      r.Pitch = static_cast<int16_t>(r.Pitch + (down ? -amount : amount));
    }
  }
  return static_cast<int>(n);
}

// ------------------------------------------------------------- bookmarks

bool TQSWindow::HasBookmark(int index) const {
  return index >= 0 && index <= 9 && Bookmarks[static_cast<size_t>(index)].Set;
}

void TQSWindow::SetBookmark(int index) {
  if (index < 0 || index > 9) return;
  TQSBookmark& b = Bookmarks[static_cast<size_t>(index)];
  auto invalidateMarker = [&] {
    TRect r = b.Marker;
    r.Offset(-geometry_.HorzBar.Position, -geometry_.VertBar.Position);
    InvalidateClient(r, true);
  };
  if (b.Set) {
    b.Set = false;
    invalidateMarker();
  }
  const TQSCursorPosition& c = CursorPosition;
  b.Set = true;
  b.Page = static_cast<int16_t>(c.Page);
  b.Piece = static_cast<int16_t>(c.Piece);
  b.Part = static_cast<int16_t>(c.Part);
  b.Staff = static_cast<int16_t>(c.Staff);
  b.Voice = static_cast<int16_t>(c.Voice);
  b.Measure = static_cast<int16_t>(c.Measure);
  b.Tick = static_cast<int16_t>(c.Tick);
  UpdateBookmarkMarker(index);
  invalidateMarker();
}

void TQSWindow::UpdateBookmarkMarker(int index) {
  if (index < 0 || index > 9 || !Score) return;
  TQSBookmark& b = Bookmarks[static_cast<size_t>(index)];
  if (!b.Set) return;
  b.Set = false;
  if (b.Page >= geometry_.PageCount || b.Page >= static_cast<int>(geometry_.PageGrid.size())) return;
  const TQSPiece* piece = Score->GetPiece(b.Piece);
  const TQSCalcMeasure* slot = SlotAt(piece, b.Measure);
  if (!slot || !slot->System) return;
  const TQSCalcSystemPart* sp = slot->System->Parts.At(b.Part);
  if (!sp || sp->System != slot->System) return;
  const TQSCalcPage* page = LayoutPage(b.Page);
  const int rowIndex = sp->FirstRow + b.Staff;
  const TQSCalcStaff* row = page && rowIndex < page->StaffRowCount ? page->StaffRows.At(rowIndex) : nullptr;
  if (!row) return;
  const int r = geometry_.RulerWidth();
  const int c =
      (row->Top + row->Bottom) * Zoom / 200 / 8 + geometry_.PageGrid[static_cast<size_t>(b.Page)].Rect.Top + r;
  b.Marker = {r - 10, c - 7, r - 1, c + 7};
  b.Set = true;
}

void TQSWindow::GotoBookmark(int index) {
  if (index < 0 || index > 9) return;
  const TQSBookmark& b = Bookmarks[static_cast<size_t>(index)];
  SetCursor(b.Page, b.Piece, b.Part, b.Measure, b.Staff, b.Voice, b.Tick, cursorLine_);
}

}  // namespace qs
