#pragma once
// TFCompositionProperties: the score-wide settings of a document — note
// placing, beaming and scale, the page format, the print options, the
// score's own drum map and the signature texts. The page is edited on a
// copy of the dialog's own; only Apply (OK) writes into the score, directly
// and without an undo step, under one update lock. Cancel leaves the score
// as it was.
#include <array>

#include "base/geometry.h"
#include "platform/forms.h"
#include "score/page.h"

namespace qs {

class TButton;
class TCheckBox;
class TComboBox;
class TEdit;
class TGroupBox;
class TIniFile;
class TLabel;
class TMemo;
class TPanel;
class TQSScore;
class TRadioButton;
class TTrackBar;
class TUpDown;
class TECFormLanguage;
class TECPageControl;
class TECStringGrid;
class TECTabSheet;

// The printable area of the page sample: the sheet drawn as paper, the
// margins scaled by the page's width to it. The whole sheet when the
// margins leave no room or a margin is not smaller than its page length.
TRect MarginSampleRect(const TRect& paper, long double width, long double height, long double left, long double top,
                       long double right, long double bottom);

class TFCompositionProperties : public TForm {
 public:
  // settings: where the dialog keeps its place and page ("CompositionPropertiesForm"), or null.
  TFCompositionProperties(TComponent* owner, TIniFile* settings);
  ~TFCompositionProperties() override;
  const char* ClassName() const override { return "TFCompositionProperties"; }

  // Fills every control from the score (nothing when it is the one shown).
  void SetScore(TQSScore* score);
  // Writes the controls and the page copy into the score.
  void Apply();

  // The page as edited; the score's page stays untouched until Apply.
  TQSPage Page;

  TECPageControl* PCProperties = nullptr;
  TECTabSheet *TSGeneral = nullptr, *TSPage = nullptr, *TSPrint = nullptr, *TSDrumMap = nullptr,
              *TSSignature = nullptr;
  // General.
  TEdit *EInterval = nullptr, *ENoteInterval = nullptr, *EMeasureCount = nullptr, *EUnionCount = nullptr,
        *EPageBreak = nullptr;
  TUpDown *UDInterval = nullptr, *UDNoteInterval = nullptr, *UDMeasureCount = nullptr, *UDUnionCount = nullptr,
          *UDPageBreak = nullptr;
  TLabel* LScale = nullptr;
  TTrackBar* TBScale = nullptr;
  TRadioButton *RBEvenly = nullptr, *RBProportional = nullptr, *RBPositional = nullptr;
  std::array<TRadioButton*, 4> RGAutoJoin{};
  TCheckBox *CBHorzAlign = nullptr, *CBVertAlign = nullptr;
  // Page: the unit, the paper, and the lengths width, height, left, top,
  // right and bottom margin (the page's dimension indexes).
  std::array<TRadioButton*, 3> RGMetric{};
  TComboBox* CBPaperSize = nullptr;
  TRadioButton *RBPortrait = nullptr, *RBLandscape = nullptr;
  std::array<TEdit*, 6> Lengths{};
  std::array<TUpDown*, 6> LengthSpins{};
  TGroupBox* GBSample = nullptr;
  TPanel *SPaper = nullptr, *SMargin = nullptr;
  // Print.
  TCheckBox *CBPrintEmpty = nullptr, *CBPrintLines = nullptr, *CBPrintNumber = nullptr;
  // Drum map.
  TECStringGrid* SGDrumMap = nullptr;
  // Signature.
  TEdit *EComposer = nullptr, *EPoet = nullptr, *ERights = nullptr;
  TMemo* MDescription = nullptr;
  TButton *BBOk = nullptr, *BBCancel = nullptr, *BBHelp = nullptr;

  // Shows the lengths in the page's unit (and the paper list, the
  // orientation and the sample).
  void ShowPage();
  void DrawSample();
  void ShowScale();
  // Enables the controls of the chosen note placing and beaming.
  void UpdateEnabled();

 private:
  TIniFile* settings_;
  TQSScore* score_ = nullptr;
  bool filling_ = false;
  TECFormLanguage* language_ = nullptr;
};

void RegisterCompositionPropertiesForms();

}  // namespace qs
