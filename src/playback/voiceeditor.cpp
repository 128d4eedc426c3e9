#include "playback/voiceeditor.h"

#include <algorithm>

#include "platform/canvas.h"
#include "platform/stdctrls.h"
#include "score/calcrecords.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/score.h"
#include "score/windowlink.h"

namespace qs {

TQSNote* TQSVoiceEntry::Note() const { return Element ? static_cast<TQSNote*>(Element->Item) : nullptr; }

TQSVorschlag* TQSVoiceEntry::Grace() const {
  const TQSNote* note = Note();
  return note ? dynamic_cast<TQSVorschlag*>(note->Owner()) : nullptr;
}

int TQSVoiceEntry::MeasureInPart() const {
  const TQSMeasure* measure = Note() ? Note()->GetMeasure() : nullptr;
  return measure ? measure->Index : 0;
}

int TQSVoiceEntry::Position() const {
  if (const TQSVorschlag* grace = Grace()) return grace->Fields.Time;
  return Note()->Fields.Time;
}

uint8_t& TQSVoiceEntry::Velocity() const { return Effect ? Effect->Fields.Velocity : Note()->Fields.Velocity; }

void TQSVoiceEditor::EndUpdate() {
  if (updates_ <= 0 || --updates_ > 0) return;
  if (layoutPending_) {
    layoutPending_ = false;
    Layout();
    Invalidate();
  }
  ScrollToActive();
}

void TQSVoiceEditor::Fill(TQSPart* part, int staffVoice) {
  if (updates_ > 0) return;
  auto add = [&](TQSItem* item) {
    if (item->ItemType == kind::Note) AddNote(static_cast<TQSNote*>(item)->HeadElement);
  };
  BeginUpdate();
  try {
    Clear();
    for (int m = 0; part && m < part->MeasureCount(); ++m) {
      TQSMeasure* measure = part->GetMeasure(m);
      AddMeasure(measure);
      for (int i = 0; i < measure->ItemCount(); ++i) {
        TQSItem* item = measure->GetItem(i);
        if (item->StaffVoice() != staffVoice) continue;
        add(item);
        if (item->ItemType == kind::Vorschlag) {
          const auto* grace = static_cast<TQSVorschlag*>(item);
          for (int k = 0; k < grace->ItemCount(); ++k) add(grace->GetItem(k));
        }
      }
    }
  } catch (...) {
    EndUpdate();
    SyncSelection();
    throw;
  }
  EndUpdate();
  SyncSelection();
}

void TQSVoiceEditor::UpdateScrollBars() {
  SetScrollRanges(ClientWidth() - VertBar->Width() - FixedPanelWidth(), ClientHeight() - HorzBar->Height());
}

void TQSVoiceEditor::ScrollToActive() {
  int h = HorzBar->Position(), v = VertBar->Position();
  const int pageX = HorzBar->PageSize(), pageY = VertBar->PageSize();
  const int P = FixedPanelWidth();
  if (ValidIndex(active_)) {
    const TRect& b = notes_[static_cast<size_t>(active_)].Bounds;
    if (b.Left - P < h)
      h = std::max(0, b.Left - P - ScrollMarginX());
    else if (h + pageX < b.Right)
      h = b.Right - pageX + ScrollMarginX();
    if (b.Top < v)
      v = std::max(0, b.Top - ScrollMarginY());
    else if (v + pageY < b.Bottom)
      v = b.Bottom - pageY + ScrollMarginY();
  } else if (currentMeasure_ >= 0 && currentMeasure_ < static_cast<int>(measures_.size())) {
    const TQSVoiceMeasure& m = measures_[static_cast<size_t>(currentMeasure_)];
    if (m.Left - P < h)
      h = m.Left - P;
    else if (h + pageX < m.Right)
      h = m.Right - pageX;
  } else {
    return;
  }
  ScrollTo(h, v);
}

bool TQSVoiceEditor::LayoutDeferred() {
  if (updates_ > 0) layoutPending_ = true;
  return updates_ > 0;
}

void TQSVoiceEditor::Clear() {
  measures_.clear();
  notes_.clear();
  Invalidate();
}

void TQSVoiceEditor::AddMeasure(TQSMeasure* measure) {
  if (measure && measure->Part()) score_ = measure->Part()->Score();
  TQSVoiceMeasure entry;
  entry.Measure = measure;
  measures_.push_back(entry);
  Layout();
}

void TQSVoiceEditor::AddNote(TQSCalcItem* element) {
  if (!element || !element->Item) return;
  TQSVoiceEntry entry;
  entry.Element = element;
  const TQSMeasure* measure = entry.Note()->GetMeasure();
  const int position = entry.Position();
  // After the last entry of another measure or of a note not later.
  size_t at = notes_.size();
  while (at > 0) {
    const TQSVoiceEntry& before = notes_[at - 1];
    if (before.Note()->GetMeasure() != measure || before.Position() <= position) break;
    --at;
  }
  notes_.insert(notes_.begin() + static_cast<std::ptrdiff_t>(at), entry);
  if (active_ >= static_cast<int>(at)) ++active_;
  const TQSNote* note = entry.Note();
  for (int i = 0; i < note->ItemCount(); ++i)
    if (TQSItem* item = note->GetItem(i); item && item->ItemType == kind::Effect) {
      TQSVoiceEntry effect = entry;
      effect.Effect = static_cast<TQSEffect*>(item);
      notes_.push_back(effect);
    }
  Layout();
  const TQSWindowLink* view = score_ ? score_->ActiveWindow() : nullptr;
  if (view && measure && view->CursorPosition.Measure == measure->Index && view->CursorPosition.Tick == position)
    SetActiveEntry(static_cast<int>(at));
  Invalidate();
}

int TQSVoiceEditor::MeasureEntryOf(const TQSVoiceEntry& e) const {
  const int first = measures_.empty() || !measures_.front().Measure ? 0 : measures_.front().Measure->Index;
  return std::clamp(e.MeasureInPart() - first, 0, std::max(0, static_cast<int>(measures_.size()) - 1));
}

void TQSVoiceEditor::IndexEntries() {
  for (TQSVoiceMeasure& m : measures_) m.LastNote = -1;
  if (measures_.empty()) return;
  for (size_t i = 0; i < notes_.size(); ++i) {
    notes_[i].MeasureIndex = MeasureEntryOf(notes_[i]);
    measures_[static_cast<size_t>(notes_[i].MeasureIndex)].LastNote = static_cast<int>(i);
  }
}

void TQSVoiceEditor::SetActiveEntry(int index) {
  if (index == active_) return;
  if (ValidIndex(active_)) notes_[static_cast<size_t>(active_)].Selected = false;
  active_ = index;
  Invalidate();
  if (!ValidIndex(index)) return;
  TQSVoiceEntry& e = notes_[static_cast<size_t>(index)];
  e.Selected = true;
  currentMeasure_ = e.MeasureIndex;
  ScrollToActive();
  TQSWindowLink* view = score_ ? score_->ActiveWindow() : nullptr;
  if (syncing_ || !view) return;
  TSyncing guard(*this);
  view->SetCursorMeasure(e.MeasureInPart());
  view->SetCursorTick(e.Position());
  view->ValidateCursor(false);
}

void TQSVoiceEditor::ClearSelection() {
  for (size_t i = 0; i < notes_.size(); ++i)
    if (static_cast<int>(i) != active_) notes_[i].Selected = false;
  Invalidate();
  TQSWindowLink* view = score_ ? score_->ActiveWindow() : nullptr;
  if (view && !syncing_) {
    TSyncing guard(*this);
    view->ClearSelection();
  }
}

int TQSVoiceEditor::Neighbour(int step) const {
  if (!ValidIndex(active_)) return -1;
  const int left = notes_[static_cast<size_t>(active_)].Bounds.Left;
  for (int i = active_ + step; ValidIndex(i); i += step)
    if (step < 0 ? notes_[static_cast<size_t>(i)].Bounds.Left < left : notes_[static_cast<size_t>(i)].Bounds.Left > left)
      return i;
  return -1;
}

void TQSVoiceEditor::SelectInView(int index) {
  TQSWindowLink* view = score_ ? score_->ActiveWindow() : nullptr;
  if (syncing_ || !view || !ValidIndex(index)) return;
  TSyncing guard(*this);
  view->AddToSelection(notes_[static_cast<size_t>(index)].Element);
}

void TQSVoiceEditor::SelectRange(int hit) {
  const int previous = active_;
  SelectOnly(hit);
  if (!ValidIndex(previous) || previous == hit) return;
  for (int i = std::min(previous, hit); i <= std::max(previous, hit); ++i)
    if (!notes_[static_cast<size_t>(i)].Selected) {
      notes_[static_cast<size_t>(i)].Selected = true;
      SelectInView(i);
    }
}

void TQSVoiceEditor::GrowSelection(int hit) {
  const int previous = active_;
  SetActiveEntry(hit);
  SelectInView(hit);
  if (ValidIndex(previous) && previous != hit) notes_[static_cast<size_t>(previous)].Selected = true;
}

void TQSVoiceEditor::SelectOnly(int hit) {
  ClearSelection();
  SetActiveEntry(hit);
  SelectInView(hit);
}

void TQSVoiceEditor::SyncSelection() {
  const TQSWindowLink* view = score_ ? score_->ActiveWindow() : nullptr;
  if (syncing_ || !view) return;
  const std::vector<TQSCalcItem*> selected = view->SelectedMeasureElements();
  // Effect entries are the editor's own: the view never selects them.
  auto inView = [&](const TQSVoiceEntry& e) {
    return !e.Effect && std::find(selected.begin(), selected.end(), e.Element) != selected.end();
  };
  for (TQSVoiceEntry& e : notes_) e.Selected = inView(e);
  SyncWithCursor();
  // Moving the active entry deselects the one before; what the view has
  // selected stays selected here, so the editor's changes reach all of it,
  // and so does the active entry, which shows as chosen.
  for (TQSVoiceEntry& e : notes_) e.Selected = e.Selected || inView(e);
  if (ValidIndex(active_)) notes_[static_cast<size_t>(active_)].Selected = true;
  Invalidate();
}

void TQSVoiceEditor::SyncWithCursor() {
  const TQSWindowLink* view = score_ ? score_->ActiveWindow() : nullptr;
  if (syncing_ || measures_.empty() || !view) return;
  const int first = measures_.front().Measure ? measures_.front().Measure->Index : 0;
  const int m = view->CursorPosition.Measure - first;
  if (m < 0 || m >= static_cast<int>(measures_.size())) return;
  TSyncing guard(*this);
  if (measures_[static_cast<size_t>(m)].Measure)
    for (int i = measures_[static_cast<size_t>(m)].LastNote; i >= 0 && ValidIndex(i); --i) {
      const TQSVoiceEntry& e = notes_[static_cast<size_t>(i)];
      if (e.MeasureIndex != m) break;
      if (e.Position() <= view->CursorPosition.Tick) return SetActiveEntry(i);
    }
  // Nothing at or before the cursor in its measure: the measure is shown.
  currentMeasure_ = m;
  ScrollToActive();
}

}  // namespace qs
