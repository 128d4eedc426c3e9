#pragma once
// A guitar neck: a dark nut panel with the names of the open strings, fret
// cells that narrow toward the body, strings, Roman fret numerals and
// position dots. A click on a string in a cell puts a finger there or
// takes it away; the owner names the notes.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/controls.h"

namespace qs {

// Where the nut panel and string 0 lie.
enum TECGuitarDirection : uint8_t { gdLeftTop, gdRightTop, gdLeftBottom, gdRightBottom };
// The text for a string's panel label (fret -1) or for a finger (fret =
// fret value - 2) on a string.
using TECGetNoteNameEvent = std::function<std::string(TObject* sender, int fret, int string)>;
using TECFretChangedEvent = std::function<void(TObject* sender, int oldValue, int newValue, int string)>;

// The face of the fret numerals: a narrow cut of a plain sans face.
inline constexpr const char* kFretNumeralFace = "Liberation Sans Narrow";

class TECGuitar : public TCustomControl {
 public:
  explicit TECGuitar(TComponent* owner);
  const char* ClassName() const override { return "TECGuitar"; }

  TECGuitarDirection Direction() const { return direction_; }
  void SetDirection(TECGuitarDirection v);
  // Counts below 0 are ignored.
  int FretCount() const { return fretCount_; }
  void SetFretCount(int v);
  int StringCount() const { return stringCount_; }
  void SetStringCount(int v);
  int FingerWidth() const { return fingerWidth_; }
  void SetFingerWidth(int v);
  int PanelWidth() const { return panelWidth_; }
  void SetPanelWidth(int v);

  // Fret values: 0 not played, 1 open string, 2 .. FretCount + 1 a finger
  // in cell 0 .. FretCount - 1.
  int GetFret(int string) const;
  // Clamps the value; the same non-zero value again releases the string.
  void SetFret(int string, int value);
  // The client point of a string at a fret (0 the open string on the
  // panel, 1 .. FretCount a cell).
  TPoint GetFretPoint(int string, int fret) const;

  // The board's measures: the narrowest cell's base width, the string
  // spacing, and the width of cell k (k = FretCount: the extra cell that
  // only takes clicks). Cells are at least one pixel wide.
  int BaseWidth() const { return base_; }
  int StringSpacing() const { return spacing_; }
  int CellWidth(int k) const;
  // The y of a string's line.
  int StringY(int string) const;

  TECGetNoteNameEvent OnGetNoteName;
  TECFretChangedEvent OnFretChanged;

  void UpdateBoardGeometry();
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void SetParent(TWinControl* parent) override;
  void Resize() override;

 private:
  bool PanelLeft() const { return direction_ == gdLeftTop || direction_ == gdLeftBottom; }
  bool BottomDirection() const { return direction_ == gdLeftBottom || direction_ == gdRightBottom; }
  // Sum of the widths of cells 0 .. k.
  int CellsUpTo(int k) const;
  // The string and fret value under a client point.
  void CellAtPoint(int x, int y, int& string, int& value) const;
  std::string NoteName(int fret, int string);

  TECGuitarDirection direction_ = gdLeftTop;
  int fretCount_ = 12, stringCount_ = 6, fingerWidth_ = 16, panelWidth_ = 20;
  int base_ = 0, spacing_ = 1;
  std::vector<int> frets_;
};

}  // namespace qs
