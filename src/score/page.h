#pragma once
// The page format of a score: paper colour, brush and picture, paper size
// and orientation, margins, the distance between staves and the staff line
// spacing. Lengths are kept in tenths of a millimetre (80-bit extended
// values, stored bit for bit) and read and written in the unit Metrix.
// Every change re-lays out the score or repaints its views.
#include <cstdint>
#include <vector>

#include "base/events.h"
#include "base/extended.h"
#include "base/stream.h"
#include "score/metrix.h"
#include "score/picture.h"
#include "score/record.h"

namespace qs {

enum class TQSPaperSize : uint8_t {
  Default, Letter, LetterSmall, Tabloid, Ledger, Ligal, Statement, Executive, A3, A4, A4Small, A5, B4, B5,
  Folio, Quarto, qr10X14, qr11X17, Note, Env9, Env10, Env11, Env12, Env14, CSheet, DSheet, ESheet, Custom,
};
constexpr int kPaperSizeCount = 28;

// Width and height in millimetres of a named paper size, portrait; false
// for Default and Custom, which have none.
bool PaperSizeMM(TQSPaperSize size, long double& width, long double& height);

enum class TQSOrientation : uint8_t { poPortrait, poLandscape };

// The brush styles in the platform's order.
enum class TQSBrushStyle : uint8_t {
  bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross,
};

// The pattern painted on the paper; fires OnChange when it changes.
class TQSBrush : public TObject {
 public:
  TNotifyEvent OnChange;

  uint32_t Color() const { return color_; }
  void SetColor(uint32_t color);
  TQSBrushStyle Style() const { return style_; }
  void SetStyle(TQSBrushStyle style);
  void Assign(const TQSBrush& source);

  const char* ClassName() const override { return "TQSBrush"; }

 private:
  uint32_t color_ = 0xFFFFFF;
  TQSBrushStyle style_ = TQSBrushStyle::bsSolid;
};

// What the page format asks of the score that owns it.
class TQSPageOwner {
 public:
  virtual ~TQSPageOwner() = default;
  // Lays the score out again from a layout page (the second argument is
  // always -1).
  virtual void Recalculate(int fromPage, int unused) = 0;
  virtual void RefreshWindowRulers() = 0;
  virtual void RefreshWindows() = 0;
};

class TQSPage : public TObject {
 public:
  // Indexes of the eight lengths.
  enum TDimension { dWidth, dHeight, dLeftMargin, dTopMargin, dRightMargin, dBottomMargin, dInterval, dLineSpace };

  // The stored block: lengths in tenths of a millimetre, each followed by
  // six padding bytes except the last; the margins in the order top, left,
  // right, bottom.
  struct TFields {
    uint32_t Color = 0xFFFFFF;
    Extended Width = 1000.0L;
    uint8_t Pad14[6] = {};
    Extended Height = 800.0L;
    uint8_t Pad30[6] = {};
    Extended TopMargin = 100.0L;
    uint8_t Pad46[6] = {};
    Extended LeftMargin = 100.0L;
    uint8_t Pad62[6] = {};
    Extended RightMargin = 100.0L;
    uint8_t Pad78[6] = {};
    Extended BottomMargin = 100.0L;
    uint8_t Pad94[6] = {};
    Extended Interval = 120.0L;
    uint8_t Pad110[6] = {};
    Extended LineSpace = 15.875L;
    uint8_t Orientation = 0;                                        // TQSOrientation
    uint8_t PaperSize = static_cast<uint8_t>(TQSPaperSize::Custom);  // TQSPaperSize
    uint8_t Metrix = 0;                                             // TQSMetrix
    uint8_t Pad129[3] = {};
    void Visit(TBlockIO& b);
  };

  // score may be null: the setters then only store.
  explicit TQSPage(TQSPageOwner* score = nullptr);
  TQSPage(const TQSPage&) = delete;
  TQSPage& operator=(const TQSPage&) = delete;

  TFields Fields;

  uint32_t Color() const { return Fields.Color; }
  void SetColor(uint32_t color);
  TQSBrush& Brush() { return brush_; }
  const TQSBrush& Brush() const { return brush_; }
  void SetBrush(const TQSBrush& brush) { brush_.Assign(brush); }
  const TQSPicture& Picture() const { return picture_; }
  TQSPicture& Picture() { return picture_; }
  void SetPicture(const TQSPicture& picture) { picture_.Assign(picture); }

  // A length in Metrix units (0 for an index outside 0-7).
  long double GetDimension(int index) const;
  // Sets a length given in Metrix units. Width and height change only while
  // the paper size is Custom. Lengths beyond 100,000 tenths of a millimetre
  // (10 m) either way are limited to that, here and when a page record is
  // read. Indexes outside 0-7 are ignored.
  void SetDimension(int index, long double value);
  // The stored length in tenths of a millimetre.
  const Extended& Tenths(int index) const;

  long double Width() const { return GetDimension(dWidth); }
  long double Height() const { return GetDimension(dHeight); }
  long double LeftMargin() const { return GetDimension(dLeftMargin); }
  long double TopMargin() const { return GetDimension(dTopMargin); }
  long double RightMargin() const { return GetDimension(dRightMargin); }
  long double BottomMargin() const { return GetDimension(dBottomMargin); }
  long double Interval() const { return GetDimension(dInterval); }
  long double LineSpace() const { return GetDimension(dLineSpace); }
  void SetWidth(long double v) { SetDimension(dWidth, v); }
  void SetHeight(long double v) { SetDimension(dHeight, v); }
  void SetLeftMargin(long double v) { SetDimension(dLeftMargin, v); }
  void SetTopMargin(long double v) { SetDimension(dTopMargin, v); }
  void SetRightMargin(long double v) { SetDimension(dRightMargin, v); }
  void SetBottomMargin(long double v) { SetDimension(dBottomMargin, v); }
  void SetInterval(long double v) { SetDimension(dInterval, v); }
  void SetLineSpace(long double v) { SetDimension(dLineSpace, v); }

  // Stored values outside their range read as portrait, Custom and rmMM.
  TQSOrientation Orientation() const;
  void SetOrientation(TQSOrientation orientation);
  TQSPaperSize PaperSize() const;
  void SetPaperSize(TQSPaperSize size);
  TQSMetrix Metrix() const;
  void SetMetrix(TQSMetrix metrix);

  // Width and height in screen pixels, rounded.
  int PixelWidth() const;
  int PixelHeight() const;

  // Reads the lengths in another unit for a while, without notification.
  void SwitchMetrix(TQSMetrix metrix);
  void RestoreMetrix();

  // From another page format (anything else raises the assignment error).
  void Assign(const TObject& source);
  // The page record; reading notifies nothing (the score lays out after
  // loading).
  void LoadFromStream(TStream& s);
  // Limits lengths read from a file as the setters limit them, without
  // notification. Values that are no number stay as they are, bit for bit;
  // the layout reads them as 0.
  void LimitReadLengths();
  void SaveToStream(TStream& s) const;

  const char* ClassName() const override { return "TQSPage"; }

 private:
  Extended* Slot(int index);
  void Relayout();
  void Refresh();

  TQSPageOwner* score_;
  TQSBrush brush_;
  TQSPicture picture_;
  TQSMetrix savedMetrix_ = TQSMetrix::rmMM;
  std::vector<uint8_t> surplus_;
};

}  // namespace qs
