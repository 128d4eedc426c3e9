#pragma once
// TECFrameEditor: one guitar chord frame drawn as a fretboard diagram, a
// line per string and a row per shown fret, on which the user sets each
// string's fret (or opens or mutes it), its finger and the barres, and
// moves the window of shown frets along the neck. It knows nothing of
// chords: its host reads and writes the string entries and barre flags and
// hears of every change through OnChanged.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "score/marks.h"

namespace qs {

// foTop: strings are vertical, the nut at the top; foLeft: turned by a
// quarter, the nut at the left. foBottom and foRight show only the
// background and take no clicks.
enum TECFrameOrientation : uint8_t { foTop, foLeft, foBottom, foRight };

// The finger of a muted string, and the fret of one.
constexpr uint8_t kMutedString = 255;
// The finger value the diagram shows as "T".
constexpr uint8_t kThumb = 5;

// Gives every fretted string (fret 1..254) the rank of its fret among the
// distinct fretted frets (1 for the lowest) while fewer than five distinct
// frets are held; with five or more every fretted string's finger becomes
// 0. Open and muted strings keep their finger. Returns the indexes of the
// strings whose finger changed.
std::vector<int> AssignFingers(std::vector<TQSFrameString>& strings);

class TECFrameEditor : public TCustomControl {
 public:
  static constexpr int kCell = 20;
  // The pressed elements: the start-fret buttons, a barre box (1 + shown
  // fret), a finger box (kFingerBox + string).
  static constexpr int kUpButton = 100, kDownButton = 101, kFingerBox = 50;

  explicit TECFrameEditor(TComponent* owner);
  const char* ClassName() const override { return "TECFrameEditor"; }

  int StringCount() const { return static_cast<int>(strings_.size()); }
  void SetStringCount(int value);
  int FretCount() const { return fretCount_; }
  void SetFretCount(int value);
  int UsedFretCount() const { return static_cast<int>(barre_.size()); }
  void SetUsedFretCount(int value);
  int StartFret() const { return startFret_; }
  void SetStartFret(int value);
  TECFrameOrientation Orientation() const { return orientation_; }
  void SetOrientation(TECFrameOrientation value);

  // The entry of a string; null outside the strings.
  const TQSFrameString* GetString(int index) const;
  void SetString(int index, const TQSFrameString& entry);
  void SetFinger(int index, uint8_t finger);
  uint8_t GetBarre(int fret) const;
  void SetBarre(int fret, uint8_t value);
  const std::vector<TQSFrameString>& Strings() const { return strings_; }
  const std::vector<uint8_t>& Barres() const { return barre_; }

  // The grid of strings and shown frets, centred in the client area.
  TRect GridRect() const;
  // The finger box below (foTop) or right of (foLeft) a string's line.
  TRect GetFingerBoxRect(int string) const;
  // The middle of a cell (fret 1 .. shown frets; 0 above the nut).
  TPoint GetCellPoint(int string, int fret) const;
  // The start-fret buttons (up lowers the start fret, down raises it).
  TRect StartButtonRect(bool up) const;
  TRect BarreBoxRect(int fret) const;

  // What a press at a client point hits.
  struct THit {
    enum TKind : uint8_t { None, StartUp, StartDown, Barre, Finger, Cell, AboveNut } Kind = None;
    int String = 0;  // Finger, Cell, AboveNut
    int Fret = 0;    // Barre: the shown fret (0-based); Cell: 1 .. shown frets
    bool operator==(const THit&) const = default;
  };
  THit HitTest(int x, int y) const;
  int PressedElement() const { return pressed_; }

  std::function<void(TObject*)> OnChanged;
  // The name of pitch class note (0..11).
  std::function<std::string(TObject*, int note)> OnGetNoteName;
  // The user pressed the finger box of a string.
  std::function<void(TObject*, int string)> OnGetFinger;

  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  bool Turned() const { return orientation_ == foLeft; }
  bool Shown() const { return orientation_ == foTop || orientation_ == foLeft; }
  // A rectangle given as if the diagram stood upright, turned for foLeft.
  TRect Place(int along, int across, int alongEnd, int acrossEnd) const;
  TPoint PlacePoint(int along, int across) const;
  void Changed();

  std::vector<TQSFrameString> strings_;
  std::vector<uint8_t> barre_;
  int fretCount_ = 0, startFret_ = 0;
  TECFrameOrientation orientation_ = foTop;
  int pressed_ = -1;
};

}  // namespace qs
