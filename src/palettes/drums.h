#pragma once
// Drum styles: the note heads of percussion notes, one style file (".drm")
// each in the "Templates" folder, listed by the index "Drums.ini". The
// Notes palette owns the list; the styles are read the first time they are
// drawn or used. TFChooseDrum drops down a grid of the styles' heads.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/geometry.h"
#include "palettes/dropdown.h"
#include "palettes/libraryfile.h"
#include "score/headstyles.h"

namespace qs {

class TCanvas;
class TScrollBox;
class TECCharButton;

inline constexpr TLibraryIndexKeys kDrumIndex{"Drums.ini", "Drums", "Drum", ".drm"};

class TECDrumDescription : public TTemplateFile<TECDrumDescription> {
 public:
  static constexpr const char* kExtension = ".drm";
  std::string Name, Text, FileName;
  std::string FontName;  // the music font until the file names another
  int FontSize = 100;
  bool Loaded = false;   // set as soon as a read starts: a style is read once
  // Byte 4 the head's music-font character, bytes 2 and 3 the stem length
  // in layout units, bit 7 of byte 6 the stem 2 pixels further left.
  std::array<uint8_t, 8> Head{};
  uint16_t Version = 0;

  TECDrumDescription();
  // Raises EReadError "File is not drum style" or "Version of file is more
  // then 3.2"; the fields read before stay set.
  void LoadFromStream(TStream& s);
  // Reads the style file once (a missing or bad file leaves it empty).
  void EnsureLoaded();
  uint8_t HeadGlyph() const { return Head[4]; }
  int StemLength() const { return Head[2] | Head[3] << 8; }
  bool StemLeft() const { return (Head[6] & 0x80) != 0; }
};

using TDrumStyles = std::vector<std::unique_ptr<TECDrumDescription>>;
// The styles the index lists whose files exist, in index order, not read.
TDrumStyles LoadDrumStyles();

// Paints a style's head with its stem into rect (a standard head without a
// style), in black or grey.
void PaintDrumStyle(TCanvas& canvas, const TRect& rect, const TECDrumDescription* style, bool grey);
// The style on a button's face, with the raised look of tool buttons; the
// style is read first when it was not.
void DrawDrumStyle(const TECCharButton& button, TCanvas& canvas, const TRect& rect, TECDrumDescription* style);

// The head style code of drum style index in a score.
constexpr int DrumHeadCode(int index) { return headstyle::FirstDrum + index; }
constexpr int kStandardDrumHead = 255;

class TQSScore;
// The head code a drum note of style index gets in score. With a style of
// the list, every style is registered with the score first (so that their
// head codes stay the list's indexes); an index past the list gives 0, the
// standard head.
int RegisterDrumStyles(TQSScore& score, TDrumStyles& styles, int index);

class TFChooseDrum : public TDropDownPicker {
 public:
  explicit TFChooseDrum(TComponent* owner);
  const char* ClassName() const override { return "TFChooseDrum"; }
  // Builds the grid of styles (the standard head first when WithStandard);
  // may run again on an open picker, which reuses its buttons.
  void FillDrumButtons(TDrumStyles& styles);
  // The caller's current style (255 the standard head).
  void SetDrumStyle(int index) { current_ = index; }
  int DrumStyle() const { return current_; }
  bool WithStandard = false;
  // The index of the clicked style, 255 for the standard head.
  std::function<void(TObject* sender, int index)> OnChoose;
  TScrollBox* SBDrums = nullptr;
  std::vector<TECCharButton*> Buttons;  // the styles', then the standard one

 private:
  int current_ = 0;
};

}  // namespace qs
