#pragma once
// An 88-key piano keyboard with a strip of note values at its right. A key
// is reported as a note (octave, letter, alteration) when it is released,
// whether pressed by the mouse or typed on the computer keyboard. The
// keyboard scrolls by octaves, the strip by rows; keys can be lit from
// outside (playback shows the sounding notes on it).
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/controls.h"

namespace qs {

// The control's looks and scrolling, as bits of TECMusicKeyboard::Style.
enum TMusicStyle : uint8_t {
  msShowMarks = 1,       // key letters and octave numbers
  msColorOctave = 2,     // white keys coloured by octave
  msScrollDuration = 4,  // the value strip scrolls by two arrow buttons
  msScrollOctave = 8,    // the keyboard scrolls by octave buttons
};

// A key, the octave numbered 1 .. 9 with middle C in octave 5, the note
// 1 .. 7 for C .. B, the tone -1 flat, 0 natural, +1 sharp. Octave 0 and
// note -1 is a rest.
using TOnKeyClickEvent = std::function<void(TObject* sender, int octave, int note, int tone)>;
using TOnMouseTrackEvent = std::function<void(TObject* sender, bool keys)>;

class TECMusicKeyboard : public TCustomControl {
 public:
  static constexpr int kWhiteKeys = 52;  // A0 .. C8
  enum TKeyState : uint8_t { ksNormal = 0, ksPressed = 2, ksLit = 3 };

  explicit TECMusicKeyboard(TComponent* owner);
  const char* ClassName() const override { return "TECMusicKeyboard"; }

  // ---------------------------------------------------------- properties
  // Each setter ignores an unchanged value and the values out of range.
  int Style() const { return style_; }
  void SetStyle(int v);
  int SettingWidth() const { return settingWidth_; }
  void SetSettingWidth(int v);
  int DurationWidth = 6;  // kept, not drawn
  int MaxDuration() const { return maxDuration_; }
  void SetMaxDuration(int v);  // 2 .. 7
  int DurationPosition() const { return durationPosition_; }
  void SetDurationPosition(int v);  // 0 whole .. MaxDuration - 1; the strip follows
  int OffsetDuration() const { return offsetDuration_; }
  void SetOffsetDuration(int v);  // 0 .. MaxOffsetDuration
  int MaxOffsetDuration() const { return maxOffsetDuration_; }
  void SetMaxOffsetDuration(int v);  // 1 .. MaxDuration - 1
  int Octave() const { return octave_; }
  void SetOctave(int v);  // 1 .. 9; the keyboard scrolls to show it
  int OffsetOctave() const { return offsetOctave_; }
  void SetOffsetOctave(int v);  // 0 .. MaxOffsetOttave
  int MaxOffsetOttave() const { return maxOffsetOttave_; }
  void SetMaxOffsetOttave(int v);  // 1 .. 8
  // The seven letters, for C .. B, shown on the keys and typed.
  const std::string& Keys() const { return keys_; }
  void SetKeys(const std::string& v);
  bool MouseTrack = false;  // the value follows the mouse's height
  bool CtrlMove = false;    // the navigation keys act only with Ctrl

  TOnKeyClickEvent OnKeyClick;
  TOnMouseTrackEvent OnTrackMouse;
  TNotifyEvent OnOffsetChanged;
  TNotifyEvent OnDurationChanged;

  // -------------------------------------------------------------- lighting
  // Octave = MIDI pitch div 12, step the diatonic step 0 .. 6 of the pitch
  // class, black its black-key flag; keys off the keyboard are ignored.
  void LightKey(int octave, int step, bool black);
  void UnlightKey(int octave, int step, bool black);
  void ClearLitKeys();
  // The same from a MIDI pitch.
  void LightPitch(int pitch);
  void UnlightPitch(int pitch);
  // A MIDI message as playback sends it: a note-on lights its key, a
  // note-off or a note-on with velocity 0 (the running-status way of
  // saying note-off) darkens it; other messages change nothing.
  void ShowMidiMessage(uint8_t status, uint8_t key, uint8_t velocity);
  uint8_t KeyState(int index, bool black) const;

  // ---------------------------------------------------------------- layout
  int VisibleKeys() const { return visible_; }
  int KeyWidth() const { return keyWidth_; }
  // The x at which white key 0 would start.
  int KeyOrigin() const;
  // The x where the key area (with the octave buttons) ends.
  int KeyAreaEnd() const;
  // The client width that holds the layout exactly.
  int GetFitWidth() const;
  // The number of rows of the value strip and their height.
  int RowCount() const;
  int RowHeight() const;
  // The client point at the centre of a key at value row row (counted
  // from the bottom of the visible rows).
  bool GetKeyPoint(int octave, int step, bool black, int row, TPoint& point) const;

  // What lies under a client point.
  enum class THitKind : uint8_t { None, White, Black, OctaveLeft, OctaveRight, Row, ArrowLeft, ArrowRight };
  struct THit {
    THitKind Kind = THitKind::None;
    int Index = -1;  // the key's index, or the strip row's value
  };
  THit HitTest(int x, int y) const;
  // The value row at a height (the bottom row also below it); -1 above.
  int RowAt(int y) const;

  // The slot of a black key exists (none after E and B, none after C8).
  static bool BlackKeyExists(int index);
  // The note letter step (0 C .. 6 B) and octave (1 .. 9) of white key index.
  static int WhiteStep(int index) { return (index + 5) % 7; }
  static int WhiteOctave(int index) { return (index + 5) / 7 + 1; }
  // How the black key after white key index is reported: the sharp of C,
  // F and G, the flat of E and B.
  static void BlackNote(int index, int& note, int& tone);

  // The platform's handlers.
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void KeyUp(uint16_t& key, TShiftState shift) override;
  void DoEnter() override;
  void DoExit() override;
  void Resize() override;
  void SetParent(TWinControl* parent) override;

 private:
  void UpdateLayout();
  void ReleasePressed();
  void PaintStrip(TCanvas& c);
  void PaintKeys(TCanvas& c);
  TRect WhiteRect(int index) const;
  TRect BlackRect(int index) const;
  TRect StripRect() const;
  void InvalidateKey(int index, bool black);
  // The letter typed (1 .. 7), or 0.
  int LetterOf(uint16_t key) const;

  int style_ = msShowMarks | msColorOctave | msScrollDuration | msScrollOctave;
  int settingWidth_ = 30, maxDuration_ = 6, durationPosition_ = 0, offsetDuration_ = 0, maxOffsetDuration_ = 3;
  int octave_ = 5, offsetOctave_ = 0, maxOffsetOttave_ = 4;
  std::string keys_ = "CDEFGAB";
  int visible_ = kWhiteKeys, keyWidth_ = 1;
  std::array<uint8_t, kWhiteKeys> white_{};
  std::array<uint8_t, kWhiteKeys> black_{};
  THitKind pushed_ = THitKind::None;  // an octave button or strip arrow held down
  int typedSlot_ = -1;                // the key held on the computer keyboard
  bool typedBlack_ = false;
  int typedLetter_ = 0;
};

}  // namespace qs
