#pragma once
// TECChordEditor: a chord name as a row of fragments, each with its own
// size and style, the earlier fragment it follows (its anchor) and a
// level (larger is lower). The user types into the current fragment,
// moves the caret and the current fragment with the keys and the mouse,
// starts raised or lowered fragments and shifts fragments about.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "score/marks.h"

namespace qs {

class TCanvas;

class TECChordEditor : public TCustomControl {
 public:
  struct TFragment {
    uint8_t Size = 0;   // points; 0 = the control's font size
    uint8_t Style = 0;  // font style bits
    uint8_t Anchor = 0;
    int16_t Level = 0;
    std::u16string Text;
    TRect Rect;  // laid out
  };

  explicit TECChordEditor(TComponent* owner);
  const char* ClassName() const override { return "TECChordEditor"; }

  // The fragments; after changing them directly call LayoutFragments.
  std::vector<TFragment>& Fragments() { return fragments_; }
  const std::vector<TFragment>& Fragments() const { return fragments_; }
  void SetChordFragments(const std::vector<TQSChordFragment>& fragments);
  std::vector<TQSChordFragment> ChordFragments() const;

  int FixCount = 0;  // the leading fragments that cannot be typed into
  int StepY = 3;     // pixels a level

  int CurrentFragment() const { return cur_; }
  int CaretPosition() const { return pos_; }
  void SetCaretPosition(int pos);
  void LayoutFragments();
  void SetCurrentFragment(int index);
  void SelectFragment(int index);
  void MoveLeft();
  void MoveRight();
  void MoveUp();
  void MoveDown();
  void NewFragment();
  // The caret's line: x and the top and bottom it spans.
  TRect CaretRect() const;

  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void DoEnter() override;
  void DoExit() override;

 private:
  int Count() const { return static_cast<int>(fragments_.size()); }
  bool Editable() const { return cur_ >= FixCount; }
  TFragment* Current() { return cur_ >= 0 && cur_ < Count() ? &fragments_[static_cast<size_t>(cur_)] : nullptr; }
  void SetFragmentFont(TCanvas& c, const TFragment& f) const;
  int TextWidthOf(const TFragment& f, size_t chars) const;
  // Appends an empty fragment and moves on to the fragment after the
  // current one, anchored to it on its level plus levelDelta.
  void StartFragment(int levelDelta);
  void DeleteFragment(int index);
  void SelectLastWhenPast();
  void Changed();

  std::vector<TFragment> fragments_;
  int cur_ = 0, pos_ = 0;
  bool focused_ = false;
};

}  // namespace qs
