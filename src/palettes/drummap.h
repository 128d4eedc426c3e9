#pragma once
// The drum map: for the MIDI keys 26 to 87 of the percussion channel, the
// name of each sound, its head style, its place on the percussion staff and
// whether it is used. It lives in "DrumMap.ini" (section "Drums", one key
// "Pitch<key>" = "Name,Head,Pos,Use" per named sound); a new score takes it
// over. TFDrumMap edits it.
#include <functional>
#include <string>

#include "platform/forms.h"

namespace qs {

class TButton;
class TComponent;
class TECFormLanguage;
class TECStringGrid;
class TIniFile;
class TFChooseDrum;
class TWinControl;

inline constexpr const char* kDrumMapFile = "DrumMap.ini";
inline constexpr const char* kDrumMapSection = "Drums";
inline constexpr int kFirstDrumKey = 26, kLastDrumKey = 87;
inline constexpr int kNoDrumHead = 255, kMiddleDrumPosition = 64;

struct TDrumMapEntry {
  std::string Name;
  int Head = kNoDrumHead;            // a drum style's index, 255 the standard head
  int Position = kMiddleDrumPosition;  // 64 the middle line, one unit a staff step
  bool Use = false;
  bool operator==(const TDrumMapEntry&) const = default;
};

// "Name,Head,Pos,Use". The last three fields are numbers, so a name may
// hold commas of its own; a record with fewer fields fills the missing ones
// with the defaults (a number that is not one reads as its default).
TDrumMapEntry ParseDrumMapRecord(const std::string& value);
std::string FormatDrumMapRecord(const TDrumMapEntry& entry);
// The key's entry in the file's section (the defaults when it has none).
TDrumMapEntry ReadDrumMapEntry(const TIniFile& ini, int key);
// Writes the entry; a blank name removes the key.
void WriteDrumMapEntry(TIniFile& ini, int key, TDrumMapEntry entry);
// The key's name in the map: the pitch name and the octave, "C4" for 60.
std::string DrumKeyName(int key);

// The grid of a drum map, as the drum map library and a score's own map
// show it: one row a key (88 - key), the columns of TFDrumMap; a click into
// the use column toggles it, the head column's button opens the drum style
// picker. Its rows start with the defaults.
TECStringGrid* MakeDrumMapGrid(TComponent* owner, TWinControl* parent, int left, int top, int width, int height);
// The column titles: messages firstMessage to firstMessage + 4 of the form.
void SetDrumMapGridTitles(TECStringGrid& grid, TECFormLanguage& language, int firstMessage);
// The row's entry, a head that is no number read as 0.
TDrumMapEntry DrumMapGridEntry(const TECStringGrid& grid, int key);
void SetDrumMapGridEntry(TECStringGrid& grid, int key, const TDrumMapEntry& entry);
// Opens the drum style picker for the head cell of row, below the cell.
TFChooseDrum* ChooseDrumMapHead(TECStringGrid& grid, int row);

class TFDrumMap : public TForm {
 public:
  static constexpr int kPitch = 0, kName = 1, kHead = 2, kPos = 3, kUse = 4;
  // The map is read from readFile and saved to writeFile (the user's copy
  // of a shipped map); settings: where the dialog keeps its place. Empty
  // names and a null settings file are left alone.
  TFDrumMap(TComponent* owner, TIniFile* settings, const std::string& readFile, const std::string& writeFile);
  ~TFDrumMap() override;
  const char* ClassName() const override { return "TFDrumMap"; }

  static int RowOfKey(int key) { return 88 - key; }
  static int KeyOfRow(int row) { return 88 - row; }
  TDrumMapEntry Entry(int key) const;
  void SetEntry(int key, const TDrumMapEntry& entry);
  // Writes every key to the map file (BBSave does this, then closes).
  void Save();
  // Opens the drum style picker for the head cell of row.
  TFChooseDrum* ChooseHead(int row);
  // The test button sounds a key on the percussion channel.
  std::function<void(int key)> OnTestKey;

  TECStringGrid* SGDrumMap = nullptr;
  TButton *BBSave = nullptr, *BBCancel = nullptr, *BBTest = nullptr;
  TECFormLanguage* LDrumMap = nullptr;

 private:
  TIniFile* settings_;
  std::string mapFile_;
};

void RegisterDrumMapForms();

}  // namespace qs
