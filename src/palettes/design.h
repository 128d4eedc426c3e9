#pragma once
// TFDesign: the page-design palette. It chooses the tool for free texts,
// lyrics, inscriptions, instrument names, page numbers, dates, lines,
// arrows, rectangles, ellipses, arcs, pies, chord segments and pictures,
// and holds the attributes new objects get (font, size, style, colours,
// fill, line style, width and ends, rotation, page-number style, date
// format). Every change of an attribute is applied at once to the active
// document's selection. Its values live in the settings section "Design".
#include <array>
#include <cstdint>
#include <string>

#include "palettes/palette.h"
#include "platform/canvas.h"
#include "playback/toolpages.h"

namespace qs {

class TECCharButton;
class TControl;
class TECScrollPanel;
class TEdit;
class TUpDown;

struct TDesignSettings {
  static constexpr const char* kSection = "Design";
  int DesignRegime = 1;
  std::string TextName = "Arial";
  int TextSize = 8;
  int TextColor = 0;  // $BBGGRR
  bool FontBold = false, FontItalic = false, FontUnderline = false, FontStrikeOut = false;
  int BrushColor = 0;
  int BrushStyle = 0;  // 0 solid .. 7 diagonal cross
  int LineColor = 0;
  int LineStyle = 0;   // 0 solid .. 4 dash-dot-dot
  int PointStyle = 1;  // line ends: start << 4 | end
  int LineWidth = 1;   // 1..5
  int TextRotate = 0;  // degrees
  int PageNumber = 0;  // page-number style 0..4
  int PageDate = 0;    // date format 0..9

  template <class IO>
  void Visit(IO& io) {
    const TDesignSettings d{};
    constexpr int kAny = -2147483647 - 1, kAll = 2147483647;
    io.Key("DesignRegime", DesignRegime, d.DesignRegime, kAny, kAll);
    io.Key("TextName", TextName, d.TextName);
    io.Key("TextSize", TextSize, d.TextSize, 1, 100);
    io.Key("TextColor", TextColor, d.TextColor, kAny, kAll);
    io.Key("FontBold", FontBold, d.FontBold);
    io.Key("FontItalic", FontItalic, d.FontItalic);
    // The key's spelling is the one stored settings files have.
    io.Key("FontUnderlite", FontUnderline, d.FontUnderline);
    io.Key("FontStrikeOut", FontStrikeOut, d.FontStrikeOut);
    io.Key("BrushColor", BrushColor, d.BrushColor, kAny, kAll);
    io.Key("BrushStyle", BrushStyle, d.BrushStyle, 0, 255);
    io.Key("LineColor", LineColor, d.LineColor, kAny, kAll);
    io.Key("LineStyle", LineStyle, d.LineStyle, 0, 255);
    io.Key("PointStyle", PointStyle, d.PointStyle, 0, 255);
    io.Key("LineWidth", LineWidth, d.LineWidth, 1, 5);
    io.Key("TextRotate", TextRotate, d.TextRotate, 0, 359);
    io.Key("PageNumber", PageNumber, d.PageNumber, 0, 4);
    io.Key("PageDate", PageDate, d.PageDate, 0, 9);
  }
  uint8_t FontStyle() const {
    return static_cast<uint8_t>((FontBold ? fsBold : 0) | (FontItalic ? fsItalic : 0) |
                                (FontUnderline ? fsUnderline : 0) | (FontStrikeOut ? fsStrikeOut : 0));
  }
  void SetFontStyle(int style) {
    FontBold = style & fsBold, FontItalic = style & fsItalic;
    FontUnderline = style & fsUnderline, FontStrikeOut = style & fsStrikeOut;
  }
};

class TFDesign : public TQSToolPage, public TPalette {
 public:
  // The tools, in the order in which the first pressed one gives the cursor.
  enum TTool : uint8_t {
    tText, tInscription, tLyric, tInstrumentName, tPageNumber, tPageDate, tLine, tPointLine, tRectangle,
    tFillRectangle, tEllipse, tFillEllipse, tImage, tArc, tPie, tFillPie, tSegment, tFillSegment, kToolCount
  };
  // The attribute buttons.
  enum TAttribute : uint8_t {
    aTextName, aTextStyle, aTextColor, aAlignLeft, aAlignCenter, aAlignRight, aAlignFull, aTextRotate,
    aBrushColor, aBrushStyle, aLineColor, aLineStyle, aLineWidth, aPointStyles, aAllPages, aCurrentPage,
    kAttributeCount
  };

  TFDesign(TComponent* owner, const TPaletteContext& context);
  ~TFDesign() override;
  const char* ClassName() const override { return "TFDesign"; }

  // TPalette
  TCustomForm& Form() override { return *this; }
  void ApplyTool() override;
  void ResetToDefaults() override;
  bool InsertToolItem(TQSWindow& view, TInsertFrom from) override;
  bool ItemClick(TQSWindow& view, TQSCalcItem& element) override;
  bool ViewMouseDown(TQSWindow& view, int x, int y) override;
  bool ViewMouseUp(TQSWindow& view, int x, int y) override;
  // The palette's letters: Q or Esc Point, W the regime, E Erase, and a
  // letter of a tool cycles through its tools and back to Point.
  bool PageKey(uint16_t key, uint16_t shift, uint16_t prefix) override;

  TECCharButton* Tool(TTool t) const { return tools_[t]; }
  TECCharButton* Attribute(TAttribute a) const { return attributes_[a]; }
  bool IsDown(TTool t) const;
  TInputRegime Regime() const;
  const TDesignSettings& Values() const { return values_; }
  std::string GetTextName() const;
  int GetTextSize() const;
  // The cursor name of the first pressed tool ("" none, "ERASE").
  std::string ToolCursorName() const;
  // The insertion feedback code of the pressed tool.
  int ItemCode() const;

  // An attribute value as a chooser brings it back: stored, its button
  // repainted, applied to the active document's selection, written.
  enum class TValue : uint8_t {
    TextColor, BrushColor, LineColor, FontStyle, BrushStyle, LineStyle, LineWidth, PointStyle, TextRotate,
    PageNumber, PageDate
  };
  void SetValue(TValue which, int value);
  // The font name chosen in the font chooser (written to the settings).
  void SetTextName(const std::string& name);
  // Opens the chooser of an attribute button (its drop-down part).
  void OpenChooser(TAttribute a);
  void OpenColorChooser(TAttribute a);

  TECCharButton *CBPointDesign = nullptr, *CBEraseDesign = nullptr;
  TECCharButton *CBSingleDesign = nullptr, *CBMultiplyDesign = nullptr, *CBQuickDesign = nullptr;
  TECScrollPanel* SPDesign = nullptr;
  TEdit *ETextName = nullptr, *ETextSize = nullptr;
  TUpDown* UDTextSize = nullptr;
  TECCharButton* CBTextSize = nullptr;
  // The colour button whose chooser was opened last.
  TAttribute ColorTarget = aTextColor;

  // Test hooks: a chooser, once opened, is reachable until it closes.
  TCustomForm* OpenedChooser() const { return chooser_; }

 private:
  void MakeButtons();
  void MakeAttributes();
  void LoadSettings();
  void Store();
  void ShowRegime(TInputRegime regime);
  void PointClick();
  void ToolClick(TTool t);
  void RegimeClick();
  void ReleaseAll();
  void PressTool(TTool t);
  void ApplyValue(TValue which);
  void ApplyFontName();
  void ApplyFontSize();
  // The texts of the font fields when last shown or applied: leaving a
  // field unchanged changes nothing in the score.
  std::string shownName_, shownSize_;
  void DrawAttributeFace(TAttribute a, TCanvas& c, const TRect& r);
  void ShowChooser(TCustomForm* chooser, TControl* below);

  TPaletteHost* host_;
  TDesignSettings values_;
  std::array<TECCharButton*, kToolCount> tools_{};
  std::array<TECCharButton*, kAttributeCount> attributes_{};
  TCustomForm* chooser_ = nullptr;
  bool loading_ = true;
};

}  // namespace qs
