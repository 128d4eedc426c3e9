#pragma once
// TFExpanded: the user-symbol palette. It keeps the user's library of
// symbol templates (listed in "Symbols.ini", one ".smb" file each in the
// "Templates" folder), shows the first of them as buttons in two rows and
// stamps the chosen one into the score where the user clicks, in one of the
// three input regimes. The save button hands the document's selected page
// graphics to the program, which saves them as a new template here; the
// drop-down beside it shows every template, grouped, with the library
// dialog behind its plus and minus buttons.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "palettes/palette.h"
#include "palettes/symboltemplate.h"
#include "playback/toolpages.h"

namespace qs {

class TCanvas;
class TECCharButton;
class TECScrollPanel;
class TQSItem;

// The palette's values in the settings section "Expanded".
struct TExpandedSettings {
  static constexpr const char* kSection = "Expanded";
  int ExpandedRegime = 1;

  template <class IO>
  void Visit(IO& io) {
    constexpr int kAny = -2147483647 - 1, kAll = 2147483647;
    io.Key("ExpandedRegime", ExpandedRegime, 1, kAny, kAll);
  }
};

// The zoom (percent) at which a template of w x h layout units fills a
// face of W x H pixels less a 3-pixel margin along its longer side; 0 when
// there is nothing to draw (an empty or a too small drawing, or no room).
int SymbolFaceZoom(int W, int H, int w, int h);
// Draws template centred in rect as a symbol button shows it; raised
// draws a grey shadow one pixel lower right and the drawing one pixel
// higher left, as a flat button does under the mouse.
void DrawSymbolFace(TCanvas& canvas, const TRect& rect, const TQSSymbolDescription& symbol, bool raised);
// Copies the page objects among items (texts, pictures, lines, rectangles,
// ellipses, arcs, pies and chord segments; each once) into symbol, moved
// so that the top-left corner of what they cover is at 0, 0, and sets the
// symbol's size to what they cover. A text covers its measured size.
void MakeSymbolFromItems(TQSSymbolDescription& symbol, const std::vector<const TQSItem*>& items);

// Where the all-symbols drop-down puts its buttons and group labels.
struct TAllSymbolsLayout {
  struct TPlace {
    const TQSSymbolDescription* Symbol;
    int X, Y;
  };
  struct TLabelPlace {
    std::string Group;
    int Y;  // the label's top (16 pixels above the group's first row)
  };
  std::vector<TPlace> Buttons;
  std::vector<TLabelPlace> Labels;
  int Width = 310;       // of the form
  int PerRow = 10;
  int Height = 0;        // laid out: the top of the last row + 27
  int ClientHeight = 0;  // of the form: sized to its rows, else 102 with scrolling
};
// The templates grouped by Group (groups sorted ignoring case, templates in
// library order within a group), rows 27 pixels apart.
TAllSymbolsLayout LayOutAllSymbols(const std::vector<const TQSSymbolDescription*>& symbols);

class TFExpanded : public TQSToolPage, public TPalette {
 public:
  TFExpanded(TComponent* owner, const TPaletteContext& context);
  ~TFExpanded() override;
  const char* ClassName() const override { return "TFExpanded"; }

  // TPalette
  TCustomForm& Form() override { return *this; }
  void ApplyTool() override;
  void ResetToDefaults() override;
  // Stamps the chosen symbol at the cursor, placed by the click.
  bool InsertToolItem(TQSWindow& view, TInsertFrom from) override;
  // The eraser takes the clicked item out; otherwise as a click into the
  // score.
  bool ItemClick(TQSWindow& view, TQSCalcItem& element) override;
  // Esc and Q Point, W the regime, E Erase.
  bool PageKey(uint16_t key, uint16_t shift, uint16_t prefix) override;

  // ---------------------------------------------------------- the library
  using TLibrary = std::vector<std::unique_ptr<TQSSymbolDescription>>;
  const TLibrary& Library() const { return library_; }
  // Reads "Symbols.ini": one template, not yet loaded, per entry whose file
  // exists.
  void LoadSymbols();
  // Writes "Symbols.ini" from the library.
  void SaveSymbols() const;
  // Builds and places the buttons of the first templates that fit the
  // screen's width in two rows; the others lose theirs.
  void FillSymbolButtons();
  // Puts symbol at the front of the library, shows it and keeps the index
  // (unless keepIndex is false: a template shown for a while only).
  void AddSymbol(std::unique_ptr<TQSSymbolDescription> symbol, bool keepIndex = true);
  // Takes the templates out of the library (and their files, when
  // deleteFiles says so) and keeps the index without them. A chosen one
  // is let go: the palette is back on Point.
  void RemoveSymbols(const std::vector<const TQSSymbolDescription*>& symbols, bool deleteFiles);
  // Moves symbol to the front (shown first) and makes it the chosen tool.
  void ChooseFromAll(const TQSSymbolDescription* symbol);
  // Imports the symbol file at path into the library: its copy goes into
  // the Templates folder under its own name. A file of that name already
  // there is replaced only when replace (asked with the template's
  // description) says so. False, with the reason told by `report`
  // (message 2: no such file, 3: not a symbol file), when nothing was
  // imported.
  bool ImportSymbolFile(const std::string& path, const std::function<bool(const std::string& description)>& replace,
                        const std::function<void(int message)>& report);
  // The open dialog and the messages around ImportSymbolFile.
  bool ImportSymbol();
  // The template's button, or null when it has none.
  TECCharButton* SymbolButton(const TQSSymbolDescription* symbol) const;
  // The chosen template (a symbol button down), or null.
  const TQSSymbolDescription* Chosen() const;
  // Loads symbol's file the first time it is needed; a file that cannot
  // be read leaves it empty (and says so as an exception to the caller).
  static void EnsureLoaded(TQSSymbolDescription& symbol);
  // The distinct groups of the library, in library order.
  std::vector<std::string> Groups() const;
  // Opens the all-symbols drop-down below the drop part of CBSymbols.
  void OpenAllSymbols();
  // The library dialog, modal.
  void ShowSymbolList();

  // The save button: the program saves the active document's selected
  // page graphics as a new template (the palette cannot reach the
  // document window itself).
  std::function<void()> OnSaveSymbol;

  TInputRegime Regime() const;
  // The palette item code the views draw for the chosen tool.
  int ItemCode() const;

  TECCharButton *CBPointExpanded = nullptr, *CBEraseExpanded = nullptr;
  TECCharButton *CBSingleExpanded = nullptr, *CBMultiplyExpanded = nullptr, *CBQuickExpanded = nullptr;
  TECCharButton *CBSaveSymbol = nullptr, *CBSymbols = nullptr;
  TECScrollPanel* SPExpanded = nullptr;

 private:
  void LoadSettings();
  void ShowRegime(TInputRegime regime);
  void RegimeClick();
  void PointClick();
  void EraseClick();
  void PressPoint();
  void ReleaseSymbols();
  void SymbolClick(TECCharButton* button);
  TECCharButton* MakeSymbolButton(TQSSymbolDescription* symbol);
  TQSSymbolDescription* SymbolOf(const TECCharButton* button) const;

  TPaletteHost* host_;
  TExpandedSettings values_;
  TLibrary library_;
  std::vector<std::pair<TQSSymbolDescription*, TECCharButton*>> buttons_;
  bool loading_ = true;
  bool popupOpen_ = false;
};

// The palette's tool page and its forms for the form tools.
void RegisterExpandedForms();

}  // namespace qs
