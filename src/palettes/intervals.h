#pragma once
// TFIntervals: enters notes by interval. Each of its 25 interval buttons
// enters, at the cursor, the note that many semitones (0 .. 24, plus the
// octave offset) above or below the note before the cursor (or, building a
// chord, the note at the cursor), with the palette's value and modifiers.
// Its values live in the settings section "Intervals".
#include <array>
#include <string>

#include "palettes/palette.h"
#include "playback/toolpages.h"

namespace qs {

class TECCharButton;
class TUpDown;

struct TIntervalsSettings {
  static constexpr const char* kSection = "Intervals";
  int IntervalDuration = 64;  // ticks, 8 .. 512
  bool IntervalUp = true;
  bool IntervalChord = false;
  int IntervalOctave = 0;     // 0 .. 5 octaves added to the interval
  int Treole = 3;             // 2 .. 10
  int Tremolo = 1;            // 1 .. 4
  template <class IO>
  void Visit(IO& io) {
    const TIntervalsSettings d{};
    io.Key("IntervalDuration", IntervalDuration, d.IntervalDuration, 8, 512);
    io.Key("IntervalUp", IntervalUp, d.IntervalUp);
    io.Key("IntervalChord", IntervalChord, d.IntervalChord);
    io.Key("IntervalOctave", IntervalOctave, d.IntervalOctave, 0, 5);
    io.Key("Treole", Treole, d.Treole, 2, 10);
    io.Key("Tremolo", Tremolo, d.Tremolo, 1, 4);
  }
};

class TFIntervals : public TQSToolPage, public TPalette {
 public:
  static constexpr int kIntervals = 25;
  TFIntervals(TComponent* owner, const TPaletteContext& context);
  const char* ClassName() const override { return "TFIntervals"; }

  // TPalette: no tool of its own; its buttons enter at once.
  TCustomForm& Form() override { return *this; }
  void ApplyTool() override;
  void ResetToDefaults() override;
  bool InsertToolItem(TQSWindow&, TInsertFrom) override { return false; }
  bool PageKey(uint16_t key, uint16_t shift, uint16_t prefix) override;

  const TIntervalsSettings& Values() const { return values_; }
  int EntryDuration() const { return values_.IntervalDuration; }
  void StepDuration(bool longer);
  void DurationChosen(int ticks);
  // Enters the note of interval button number (see the header comment);
  // false without a document or a place to enter.
  bool IntervalClick(int number);
  // The interval's size in whole tones: "0", "1/2", "1", "1 1/2" ...
  static std::string IntervalHint(int number);

  TECCharButton *CBIntervalDuration = nullptr, *CBUp = nullptr, *CBDown = nullptr, *CBChordAddition = nullptr;
  TECCharButton *CBOctave = nullptr, *CBTreole = nullptr, *CBTremolo = nullptr, *CBDot = nullptr,
                *CBDoubleDot = nullptr;
  TUpDown *UDOctave = nullptr, *UDTreole = nullptr, *UDTremolo = nullptr;
  std::array<TECCharButton*, kIntervals> Intervals{};

 private:
  void MakeButtons();
  void LoadSettings();
  void Store();
  void UpdateDurationButton();
  void OctaveChanged();

  TPaletteHost* host_;
  TIntervalsSettings values_;
  bool loading_ = true;
};

}  // namespace qs
