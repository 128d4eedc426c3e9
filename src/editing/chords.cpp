#include "editing/chords.h"

#include <algorithm>

#include "editing/command.h"
#include "editing/entry.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/undo.h"

namespace qs {

int StepOfSemitone(int semitone) {
  static constexpr int kSteps[12] = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};
  return kSteps[((semitone % 12) + 12) % 12];
}

bool IsBlackKey(int semitone) {
  const int s = ((semitone % 12) + 12) % 12;
  return s == 1 || s == 3 || s == 6 || s == 8 || s == 10;
}

void InsertChordNotes(TQSScore& score, int count, const std::vector<TQSChordTone>& tones, int duration,
                      bool spellBlackKeys) {
  score.ClearSelections();
  TQSEditCommand cmd(score, undoaction::ChordEntered);
  if (!cmd.HasView() || !score.CurrentVoice()) return;
  count = std::min(count, static_cast<int>(tones.size()));
  TQSMeasure* m = cmd.EnsureMeasure(-1);
  if (!m) return;
  const TQSCursorPosition c = cmd.Cursor();
  cmd.SaveMeasure(m);
  m->ClearVoiceRange(MakeStaffVoice(c.Staff, c.Voice), c.Tick, duration);
  m->FillRests(true, 0, false, -1);

  // The tones are entered as notes that neither record undo nor lay out.
  TQSWindowLink& view = *cmd.View;
  const int string = view.CursorString, fret = view.CursorFret;
  score.BeginUpdate();
  score.SuspendUndo(true);
  auto finish = [&] {
    view.CursorString = string;
    view.CursorFret = fret;
    score.SuspendUndo(false);
    score.Recalculate(cmd.FromPage);
    score.EndUpdate();
    score.RefreshWindows();
    score.FireChanged(&score);
  };
  try {
    int prevSemitone = 0, prevOctave = 0;
    for (int i = 0; i < count; ++i) {
      const TQSChordTone& t = tones[static_cast<size_t>(i)];
      TQSModifiers list;
      if (t.Step != 0) {
        if (t.Accidental != 0) list.push_back(t.Accidental);
        InsertNote(score, t.Octave, t.Step - 1, duration, list, 0, 0, false);
      } else if (t.Pitch != 0) {
        int semitone = t.Pitch % 12, octave = t.Pitch / 12;
        if (spellBlackKeys && IsBlackKey(semitone)) {
          int d = (semitone - prevSemitone) + 7 * (octave - prevOctave);
          if (d < 0) d = 6 - d;
          if (i == 0 || d > 3) {
            list.push_back(modifier::Sharp);
          } else {
            list.push_back(modifier::Flat);
            semitone = (t.Pitch + 1) % 12;
            octave = (t.Pitch + 1) / 12;
          }
        }
        prevSemitone = semitone;
        prevOctave = octave;
        view.CursorString = t.String;
        view.CursorFret = t.Fret - 1;
        InsertNote(score, octave, StepOfSemitone(semitone), duration, list, 0, 0, true);
      }
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

namespace {

// The first chord symbol or frame of the measure at the tick on the staff.
template <class T>
T* FindAtCursor(TQSMeasure& m, const TQSCursorPosition& c) {
  for (TQSItem* item : m.Items)
    if (auto* t = dynamic_cast<T*>(item); t && t->Fields.Time == c.Tick && StaffOf(t->Fields.StaffVoice) == c.Staff)
      return t;
  return nullptr;
}

// The measure at the cursor with its undo record open; nullptr without one.
TQSMeasure* ChordTarget(TQSScore& score, TQSEditCommand& cmd) {
  score.ClearSelections();
  if (!cmd.HasView() || !score.CurrentStaff()) return nullptr;
  TQSMeasure* m = cmd.EnsureMeasure(-1);
  if (m) cmd.SaveMeasure(m);
  return m;
}

}  // namespace

void SetChordSymbol(TQSScore& score, const std::vector<uint8_t>& pattern,
                    const std::vector<TQSChordFragment>* names, int yOffset) {
  TQSEditCommand cmd(score, undoaction::ChordEntered);
  TQSMeasure* m = ChordTarget(score, cmd);
  if (!m) return;
  const TQSCursorPosition c = cmd.Cursor();
  TQSChord* chord = FindAtCursor<TQSChord>(*m, c);
  if (!chord) {
    chord = static_cast<TQSChord*>(CreateItemByKind(kind::Chord, m));
    chord->Fields.Time = static_cast<uint16_t>(c.Tick);
    chord->Fields.OffsetY = static_cast<int16_t>(yOffset);
    chord->Fields.StaffVoice = MakeStaffVoice(c.Staff, 0);
  }
  chord->Definition = pattern;
  if (names && !names->empty()) {
    chord->Patterns.resize(names->size());
    for (size_t i = 0; i < names->size(); ++i) {
      chord->Patterns[i].Fields = (*names)[i].Fields;
      chord->Patterns[i].Text = (*names)[i].Text;
    }
  } else if (score.GetChordText) {
    chord->ClearPatterns();
    score.GetChordText(&score, pattern, chord->Patterns);
  }
  cmd.Finish();
}

void SetGuitarFrame(TQSScore& score, const std::vector<uint8_t>& pattern, const std::vector<uint8_t>& fretBytes,
                    const std::vector<TQSFrameString>& stringEntries, int stringCount, int fretCount,
                    int usedFretCount, int startFret, int yOffset) {
  TQSEditCommand cmd(score, undoaction::ChordEntered);
  TQSMeasure* m = ChordTarget(score, cmd);
  if (!m) return;
  const TQSCursorPosition c = cmd.Cursor();
  TQSFrame* frame = FindAtCursor<TQSFrame>(*m, c);
  if (!frame) {
    frame = static_cast<TQSFrame*>(CreateItemByKind(kind::Frame, m));
    frame->Fields.Time = static_cast<uint16_t>(c.Tick);
    frame->Fields.OffsetY = static_cast<int16_t>(yOffset);
    frame->Fields.StaffVoice = MakeStaffVoice(c.Staff, 0);
  }
  frame->Definition = pattern;
  frame->SetStringCount(static_cast<uint8_t>(std::clamp(stringCount, 0, 255)));
  frame->Fields.FretCount = static_cast<uint8_t>(std::clamp(fretCount, 0, 255));
  frame->SetUsedFretCount(static_cast<uint8_t>(std::clamp(usedFretCount, 0, 255)));
  frame->Fields.StartFret = static_cast<uint8_t>(std::clamp(startFret, 0, 255));
  for (size_t i = 0; i < frame->Strings.size(); ++i)
    frame->Strings[i] = i < stringEntries.size() ? stringEntries[i] : TQSFrameString{};
  for (size_t i = 0; i < frame->Barre.size(); ++i) frame->Barre[i] = i < fretBytes.size() ? fretBytes[i] : 0;
  cmd.Finish();
}

void RemoveChord(TQSScore& score, int duration) {
  score.ClearSelections();
  TQSEditCommand cmd(score, 0);
  TQSMeasure* m = cmd.HasView() ? score.CurrentMeasure() : nullptr;
  if (!m) return;
  const TQSCursorPosition c = cmd.Cursor();
  const int sv = MakeStaffVoice(c.Staff, c.Voice);
  bool freed = false;
  if (duration != 0) {
    for (int i = m->ItemCount() - 1; i >= 0; --i) {
      auto* note = dynamic_cast<TQSNote*>(m->GetItem(i));
      if (note && note->ItemType == kind::Note && note->IsChordMember() && note->Fields.StaffVoice == sv &&
          note->Fields.Time >= c.Tick && note->Fields.Time < c.Tick + duration) {
        delete note;
        freed = true;
      }
    }
    if (freed) m->FillRests(true, 0, false, -1);
  } else {
    for (int i = m->ItemCount() - 1; i >= 0 && !freed; --i) {
      TQSItem* item = m->GetItem(i);
      if ((item->ItemType == kind::Chord || item->ItemType == kind::Frame) && item->TimePosition() == c.Tick) {
        delete item;
        freed = true;
      }
    }
  }
  if (freed) cmd.Relayout();
}

namespace {

template <class Field>
void SetBreak(TQSScore& score, int value, Field field) {
  TQSEditCommand cmd(score, undoaction::MarkInserted);
  TQSPiece* piece = cmd.HasView() ? score.CurrentPiece() : nullptr;
  if (!piece) return;
  if (cmd.Cursor().Measure >= piece->ColumnCount() && value == 0) return;
  TQSColumn* column = cmd.EnsureColumn(-1);
  if (!column) return;
  auto& stored = field(*column);
  if (stored == value) return;
  cmd.SaveColumn(column);
  stored = static_cast<std::remove_reference_t<decltype(stored)>>(value);
  cmd.Relayout();
}

}  // namespace

void SetPageBreak(TQSScore& score, int value) {
  SetBreak(score, value, [](TQSColumn& c) -> uint16_t& { return c.Fields.PageBreak; });
}

void SetStaveBreak(TQSScore& score, int value) {
  SetBreak(score, value, [](TQSColumn& c) -> uint8_t& { return c.Fields.SystemBreak; });
}

}  // namespace qs
