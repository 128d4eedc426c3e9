#pragma once
// TFTerms: the expressions palette. It keeps the user's expression library
// ("Terms.ini"), shows its first expressions as text buttons, places the
// chosen one as an inscription in the palette's expression font, and tells
// a score how playback reads an inscription: a dynamics or a tempo word with
// its values. Its drop-down opens every expression sorted (TFAllTerms); the
// library is edited in TFTermList and its values in TFTermSettings.
#include <string>
#include <vector>

#include "palettes/palette.h"
#include "palettes/termlibrary.h"
#include "platform/canvas.h"
#include "playback/toolpages.h"

namespace qs {

class TECCharButton;
class TECScrollPanel;
class TSpeedButton;
class TScrollBox;
class TLabel;
class TButton;
class TECStringGrid;
class TFAllTerms;

struct TTermsSettings {
  static constexpr const char* kSection = "Terms";
  int TermsRegime = 1;
};

class TFTerms : public TQSToolPage, public TPalette {
 public:
  // The library is read from readFile and written to writeFile (the user's
  // copy of the shipped one); empty names: none (an empty library).
  TFTerms(TComponent* owner, const TPaletteContext& context, const std::string& readFile,
          const std::string& writeFile);
  // The program's library files.
  TFTerms(TComponent* owner, const TPaletteContext& context);
  ~TFTerms() override;
  const char* ClassName() const override { return "TFTerms"; }
  // The palette while it exists, else null.
  static TFTerms* Instance();

  // TPalette
  TCustomForm& Form() override { return *this; }
  void ApplyTool() override;
  void ResetToDefaults() override;
  bool InsertToolItem(TQSWindow& view, TInsertFrom from) override;
  bool ItemClick(TQSWindow& view, TQSCalcItem& element) override;
  // Esc and Q Point, W the regime, E Erase.
  bool PageKey(uint16_t key, uint16_t shift, uint16_t prefix) override;

  TTermLibrary& Library() { return library_; }
  void LoadTerms();
  void SaveTerms();
  // (Re)builds and places the expression buttons and the lookup.
  void FillTermButtons();
  // The dynamics or tempo expression of that text (any case); null for
  // none and for inscriptions.
  const TTermDescription* FindTerm(std::string_view text) const { return library_.Find(text); }
  // Whether the first line of text is an expression of the kind, with its
  // values (the score's question during layout and playback).
  bool AnswerTerms(int kind, const std::vector<std::string>& text, int& value1, int& value2) const;

  // The button of the library's expression, null when it has none.
  TSpeedButton* TermButton(const TTermDescription* term) const;
  const std::vector<TSpeedButton*>& TermButtons() const { return buttons_; }
  // The chosen expression, null for none.
  const TTermDescription* Chosen() const { return chosen_; }
  // A click on the expression's button.
  void TermClick(TSpeedButton* button);
  // The expression was chosen in the popup: it moves to the front of the
  // library and its button is pressed and clicked.
  void ChooseFromPopup(const TTermDescription* term);
  // The expression was removed from the library (its button with it).
  void Forget(const TTermDescription* term);

  TInputRegime Regime() const;
  // The expression font: name, style and colour; its size in points.
  const TFont& TermFont() const { return termFont_; }
  int TermSize() const { return termSize_; }
  void SetTermFont(const TFont& font, int size);
  // Opens the all-expressions popup below the drop-down button.
  TFAllTerms* OpenAllTerms();
  // The library editor, modal; true on OK.
  bool EditLibrary();

  TECCharButton *CBPointTerms = nullptr, *CBEraseTerms = nullptr;
  TECCharButton *CBSingleTerms = nullptr, *CBMultiplyTerms = nullptr, *CBQuickTerms = nullptr;
  TECCharButton *CBFontTerm = nullptr, *CBTerms = nullptr;
  TECScrollPanel* SPTerms = nullptr;

 private:
  void MakeButtons();
  void PointClick();
  void EraseClick();
  void RegimeClick();
  void PressPoint();
  void ReleaseTerms();
  void FontClick();
  void PlaceScrollPanel();

  TPaletteHost* host_;
  std::string readFile_, writeFile_;
  TTermsSettings values_;
  TTermLibrary library_;
  std::vector<TSpeedButton*> buttons_;  // by library index, while they fit
  const TTermDescription* chosen_ = nullptr;
  TFont termFont_;
  int termSize_ = 8;
  bool loading_ = true;
};

// Every expression sorted, a row per first letter: a click places it.
class TFAllTerms : public TForm {
 public:
  TFAllTerms(TComponent* owner, TFTerms& terms);
  const char* ClassName() const override { return "TFAllTerms"; }
  // Lays the expressions out anew.
  void Fill();
  // The laid-out expression buttons in their order, and the letters.
  const std::vector<TSpeedButton*>& Buttons() const { return buttons_; }
  const std::vector<TLabel*>& Letters() const { return letters_; }
  // 6 buttons a row with ten expressions or more, else 3.
  static int PerRow(int count) { return count >= 10 ? 6 : 3; }
  static int WidthFor(int count) { return count >= 10 ? 678 : 378; }
  // The form's height for a laid-out height: sized to its rows, at most 500.
  static int HeightFor(int laidOut);

  TScrollBox* SBTerms = nullptr;
  TECCharButton *CBPlus = nullptr, *CBMinus = nullptr;

 private:
  TFTerms& terms_;
  std::vector<TSpeedButton*> buttons_;
  std::vector<TLabel*> letters_;
  bool editing_ = false;
};

// The library editor: one row per expression, its text and its kind.
class TFTermList : public TForm {
 public:
  TFTermList(TComponent* owner, TIniFile* settings, TFTerms& terms);
  ~TFTermList() override;
  const char* ClassName() const override { return "TFTermList"; }
  int RowCount() const;  // data rows
  void AddRow();
  void RemoveRow();
  // The rows become the library, in their order: each row's expression
  // takes its text and kind, added rows add expressions, and the
  // expressions of removed rows go. Then the palette is rebuilt and the
  // library saved.
  void Accept();

  TECStringGrid* SGTermList = nullptr;
  TButton *BBAdd = nullptr, *BBRemove = nullptr, *BBOk = nullptr, *BBCancel = nullptr;

 private:
  std::string KindItem(int kind) const;
  TIniFile* settings_;
  TFTerms& terms_;
  std::vector<std::string> kinds_;
  // The expression each data row edits (null for a row added here), so that
  // a removed row takes its own expression with it.
  std::vector<TTermDescription*> rowTerms_;
};

// Makes the palette known to the program (once).
void RegisterTermsPalette();
// The score asks the expressions palette what an inscription means.
void AnswerTerms(TQSScore& score);

}  // namespace qs
