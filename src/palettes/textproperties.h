#pragma once
// The text dialogs: TFTextProperties edits a page text, lyric, inscription
// or instrument name (its lines, font name, size, style and colour) and can
// type music-font symbols into it; TFNameProperties asks a part's full and
// short name in one font. Both keep their place in "TextInputForm".
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/canvas.h"
#include "platform/forms.h"

namespace qs {

class TMemo;
class TPanel;
class TEdit;
class TListBox;
class TUpDown;
class TECCharButton;
class TGroupBox;
class TCheckBox;
class TButton;
class TIniFile;
class TECFormLanguage;

// A symbol button of the text dialog and the music-font character it types.
struct TTextSymbol {
  const char* Name;
  uint8_t Code;
};
// The symbol panel's buttons: the codes are those the palettes and the
// score's painters draw the same signs with.
extern const std::array<TTextSymbol, 37> kTextSymbols;

// The entries of the size lists.
extern const std::array<int, 16> kTextSizes;

// What both text dialogs share: the memo with its font, the font list and
// size, colour and style controls, OK, Cancel and Help.
class TFTextDialog : public TForm {
 public:
  ~TFTextDialog() override;
  TMemo* MText = nullptr;
  TPanel* POptions = nullptr;
  TEdit* EName = nullptr;
  TListBox* LBName = nullptr;
  TEdit* ESize = nullptr;
  TUpDown* UDSize = nullptr;
  TListBox* LBSize = nullptr;
  TECCharButton* CBColor = nullptr;
  TGroupBox* GBStyle = nullptr;
  TCheckBox *CBBold = nullptr, *CBItalic = nullptr, *CBStrike = nullptr, *CBUnderline = nullptr;
  TButton *BBOk = nullptr, *BBCancel = nullptr, *BBHelp = nullptr;
  TECFormLanguage* Language = nullptr;

  // The text's lines (UTF-8) and font; set before showing, read after OK.
  std::vector<std::string> Lines() const;
  void SetLines(const std::vector<std::string>& lines);
  std::string FontName() const { return font_.Name; }
  int FontSize() const { return UDSizePosition(); }
  uint8_t FontStyle() const { return font_.Style; }
  TColor FontColor() const { return font_.Color; }
  void SetTextFont(const std::string& name, int size, uint8_t style, TColor color);
  // OK with no line at all is refused with a message.
  bool AcceptOk();
  // The colour chosen in the colour chooser (also used by tests).
  void SetColor(TColor color);
  bool WhiteBackground() const;

 protected:
  TFTextDialog(TComponent* owner, TIniFile* settings, const char* name, const char* language);
  // The controls are made; the values shown.
  void ShowValues();
  virtual void FontChanged();
  int UDSizePosition() const;
  TIniFile* settings_;
  TFont font_;
  bool updating_ = false;
};

class TFTextProperties : public TFTextDialog {
 public:
  TFTextProperties(TComponent* owner, TIniFile* settings);
  const char* ClassName() const override { return "TFTextProperties"; }

  TCheckBox *CBMusicSymbols = nullptr, *CBAlignmentNote = nullptr, *CBAllPages = nullptr, *CBContinue = nullptr;
  TPanel* PNotes = nullptr;
  std::vector<TECCharButton*> Symbols;

  // Font-only: the text cannot be edited and shows a sample line.
  void SetFontOnly(bool fontOnly);
  // Switches the music font on or off as a click on CBMusicSymbols does.
  void MusicSymbolsChanged();
  // Types the symbol's character at the caret.
  void TypeSymbol(uint8_t code);

 private:
  bool fontOnly_ = false;
  std::string textFont_;
};

class TFNameProperties : public TFTextDialog {
 public:
  TFNameProperties(TComponent* owner, TIniFile* settings);
  const char* ClassName() const override { return "TFNameProperties"; }
  TMemo* MBrief = nullptr;
  std::vector<std::string> BriefLines() const;

 protected:
  void FontChanged() override;
};

void RegisterTextPropertiesForms();

}  // namespace qs
