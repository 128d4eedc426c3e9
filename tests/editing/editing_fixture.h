#pragma once
// A laid-out score with a view whose cursor the tests place, and readers
// of what the commands left in the measures.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "../layout/layout_fixture.h"
#include "base/stream.h"
#include "layout/layout.h"
#include "score/calcrecords.h"
#include "platform/fonts.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"

namespace qs::test {

// The view: a cursor, and counters of what the commands asked of it.
class TEditView : public TQSWindowLink {
 public:
  int Repaints = 0, SelectionsCleared = 0, Validated = 0, ActiveChanged = 0, Sounded = 0;
  int StaffRow = 0;
  bool Playing() const override { return false; }
  int CursorSystemIndex() const override { return 0; }
  int CursorStaffRow() const override { return StaffRow; }
  void InvalidatePages() override { ++Repaints; }
  // The first page of each repaint that keeps the pages before it.
  std::vector<int> RepaintsFrom;
  void InvalidatePagesFrom(int firstPage) override {
    ++Repaints;
    RepaintsFrom.push_back(firstPage);
  }
  void ClearSelection() override { ++SelectionsCleared; }
  void ValidateCursor(bool) override { ++Validated; }
  void DoActiveChanged(TObject*) override { ++ActiveChanged; }
  void SoundNote(int, int, int) override { ++Sounded; }
  // The selection the commands on it gather, and the elements they took
  // out of it.
  std::vector<TQSCalcItem*> Selected, SelectedPage, Unselected;
  std::vector<TQSCalcItem*> SelectedMeasureElements() const override { return Selected; }
  std::vector<TQSCalcItem*> SelectedPageElements() const override { return SelectedPage; }
  void UnselectElement(TQSCalcItem* element) override { Unselected.push_back(element); }
  // What the commands that step the cursor to the next event find there;
  // unset, the cursor stays.
  std::function<void()> OnMoveRight;
  void MoveCursorRight(bool, bool) override {
    if (OnMoveRight) OnMoveRight();
  }
  std::vector<TQSCalcItem*> Edited;
  void EditItemText(TQSCalcItem* element) override { Edited.push_back(element); }
};

class TEditFixture : public ::testing::Test {
 public:
  TLayoutScore Layout;
  TQSScore& Score = Layout.Score;
  TEditView View;
  int Changed = 0;

  TEditFixture() {
    Score.OnChanged = [this](TObject*) { ++Changed; };
    Score.AttachWindow(&View);
  }
  ~TEditFixture() override { Score.DetachWindow(&View); }

  // A piece of parts with the given staff counts (one voice each), each
  // part with `measures` measures and the piece with as many columns, the
  // first column holding the meter; laid out.
  TQSPiece* AddPiece(const std::vector<int>& staves, int measures, uint16_t meter = MakeMeter(4, 4)) {
    TQSPiece* piece = Layout.AddPiece(staves, measures);
    auto* mark = static_cast<TQSMark*>(CreateItemByKind(kind::Meter, piece->GetColumn(0)));
    mark->Fields.Value = meter;
    Score.Recalculate(0);
    return piece;
  }
  // One empty 4/4 measure of one staff, laid out.
  TQSMeasure* OneMeasure() {
    AddPiece({1}, 1);
    return Measure(0);
  }
  TQSPart* Part(int piece = 0, int part = 0) { return Score.GetPiece(piece)->GetPart(part); }
  TQSMeasure* Measure(int index, int part = 0) { return Part(0, part)->GetMeasure(index); }
  void Cursor(int measure, int tick, int staff = 0, int voice = 0, int part = 0) {
    View.CursorPosition = {0, 0, part, measure, staff, voice, tick};
  }

  static TQSNote* Note(TQSMeasure* m, int time, int length, uint8_t pitch = 0x50, int staffVoice = 0) {
    return TLayoutScore::Note(m, time, length, pitch, staffVoice);
  }
  static TQSPause* Rest(TQSMeasure* m, int time, int length, int staffVoice = 0) {
    return TLayoutScore::Rest(m, time, length, staffVoice);
  }

  std::vector<uint8_t> Saved() {
    TMemoryStream s;
    Score.SaveToStream(s);
    return s.Bytes();
  }

  // The timed items of a measure as "N0+128 R128+384" (note or rest,
  // position, real length; "c" marks a chord member, "~" a tie).
  static std::string Timeline(const TQSMeasure* m, int staffVoice = 0) {
    std::string out;
    for (TQSItem* item : m->Items) {
      if (item->StaffVoice() != staffVoice || !IsTimedItem(*item)) continue;
      if (!out.empty()) out += ' ';
      if (auto* n = dynamic_cast<TQSNote*>(item)) {
        out += "N" + std::to_string(n->Fields.Time) + "+" + std::to_string(n->Fields.RealLength);
        if (n->IsChordMember()) out += "c";
        for (TQSItem* a : n->Items)
          if (a->ItemType == kind::Liga) out += "~";
      } else if (auto* r = dynamic_cast<TQSPause*>(item)) {
        out += "R" + std::to_string(r->Fields.Time) + "+" + std::to_string(r->Fields.RealLength);
      } else {
        out += "X" + std::to_string(item->TimePosition());
      }
    }
    return out;
  }

  // The element that shows an item of a measure (a note's head) or of the
  // first page.
  TQSCalcItem* ElementOfItem(TQSItem* item) {
    if (item->LayoutLink) return item->LayoutLink;
    if (auto* note = dynamic_cast<TQSNote*>(item); note && note->HeadElement) return note->HeadElement;
    TQSMeasure* m = item->GetMeasure() ? item->GetMeasure() : Measure(0);
    auto* slot = dynamic_cast<TQSCalcMeasure*>(m->MeasureRecord());
    for (int i = 0; slot && i < slot->ItemCount; ++i)
      if (slot->Items.At(i)->Item == item) return slot->Items.At(i);
    const TQSCalcPage* page = Score.LayoutPages.At(0);
    for (int i = 0; page && i < page->PageItemCount; ++i)
      if (page->PageItems.At(i)->Item == item) return page->PageItems.At(i);
    return nullptr;
  }
  // Selects the laid-out items.
  void Select(std::initializer_list<TQSItem*> items) {
    for (TQSItem* item : items) {
      ASSERT_NE(ElementOfItem(item), nullptr);
      View.Selected.push_back(ElementOfItem(item));
    }
  }

  // Undo and redo rebuild a measure's items from the journal, so a test
  // looks its items up again after them: the index-th item of a class.
  template <class T>
  static T* Find(TQSMeasure* m, int index = 0) {
    for (TQSItem* item : m->Items)
      if (auto* t = dynamic_cast<T*>(item); t && index-- == 0) return t;
    return nullptr;
  }

  // The staves of the first piece, part by part, staff by staff.
  std::vector<TQSStaff*> PieceStaves() {
    std::vector<TQSStaff*> out;
    TQSPiece* piece = Score.GetPiece(0);
    for (int p = 0; piece && p < piece->PartCount(); ++p)
      for (int s = 0; s < piece->GetPart(p)->StaffCount(); ++s) out.push_back(piece->GetPart(p)->GetStaff(s));
    return out;
  }
  // Their group numbers, as "0 0 1".
  std::string Groups() {
    std::string out;
    for (TQSStaff* staff : PieceStaves()) out += (out.empty() ? "" : " ") + std::to_string(staff->Fields.Group);
    return out;
  }
  // The lines that join the staves of a group at the end of the first
  // measure: the place in the piece of each one's first staff, as "0 2".
  std::vector<TQSCalcItem*> GroupLines() {
    std::vector<TQSCalcItem*> out;
    auto* slot = dynamic_cast<TQSCalcMeasure*>(Measure(0)->MeasureRecord());
    for (int i = 0; slot && i < slot->ItemCount; ++i)
      if (slot->Items.At(i)->ElementType == element::PartBarline) out.push_back(slot->Items.At(i));
    return out;
  }
  std::string DrawnGroups() {
    const std::vector<TQSStaff*> staves = PieceStaves();
    std::string out;
    for (TQSCalcItem* e : GroupLines()) {
      const auto at = std::find(staves.begin(), staves.end(), e->Staff);
      out += (out.empty() ? "" : " ") + std::to_string(at - staves.begin());
    }
    return out;
  }

  // Undo gives the bytes before, redo those after.
  void ExpectUndoRedo(const std::vector<uint8_t>& before) {
    const std::vector<uint8_t> after = Saved();
    ASSERT_EQ(Score.UndoCount(), 1);
    Score.Undo(1);
    EXPECT_EQ(Saved(), before) << "undo";
    Score.Redo(1);
    EXPECT_EQ(Saved(), after) << "redo";
  }
};

}  // namespace qs::test
