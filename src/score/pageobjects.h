#pragma once
// Free page objects (texts, pictures, lines, rectangles and ellipses, arcs,
// page marks) and user symbols, the small drawings made of such objects.
//
// Page objects are placed on a page, not at a time: coordinates and sizes
// are signed 16-bit layout units (eighths of a screen pixel at zoom 100),
// the page number is 1-based and 0 puts the object on every page. Colours
// are Windows colour values ($BBGGRR). Bytes without a meaning here
// ("Further") are stored and copied as they are.
#include <cstdint>
#include <string>
#include <vector>

#include "score/item.h"
#include "score/picture.h"
#include "score/record.h"

namespace qs {

// Font style bits of texts and page marks.
namespace fontstyle {
constexpr uint8_t Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8;
}

// Kind 200: a free text of one or more lines.
class TQSText : public TQSItem {
 public:
  struct TFields {
    int16_t X = 0;
    int16_t Y = 0;
    int16_t Width = 0;   // as last measured by the layout; 0 = not measured
    int16_t Height = 0;  // likewise
    uint16_t Page = 0;
    uint8_t Align = 0;     // bits 4-5: 1 centred, 2 right-aligned, else left
    uint8_t FontSize = 0;  // points; 0 means 8
    uint8_t FontStyle = 0;
    uint8_t Further13[3] = {};
    uint32_t Color = 0;
    uint16_t Angle = 0;  // degrees, counter-clockwise
    uint8_t Further22[2] = {};
    void Visit(TBlockIO& b);
  };
  enum class TAlignment { Left, Center, Right };

  explicit TQSText(TQSItemOwner* owner);

  TFields Fields;
  std::string FontName;            // "" means "Arial"
  std::vector<std::string> Lines;  // UTF-8; stored as UTF-16

  TAlignment Alignment() const;
  void ClearLines() { Lines.clear(); }

  // Copies the block and font name and appends copies of the source's
  // lines; the copy is measured again (width and height 0).
  void Assign(const TQSItem& source) override;
  void LoadFromStream(TStream& s) override;
  void SaveToStream(TStream& s) const override;
  int PageNumber() const override { return Fields.Page; }
  const char* ClassName() const override { return "TQSText"; }
};

// Kind 215: the page number or the date and time.
class TQSPageMark : public TQSItem {
 public:
  struct TFields {
    int16_t X = 0;
    int16_t Y = 0;
    int16_t Width = 0;   // as last measured; 0 = not measured
    int16_t Height = 0;  // likewise
    uint8_t IsDate = 0;  // 0 the page number, otherwise the date and time
    uint8_t Further9 = 0;
    uint16_t Page = 0;
    // Page number: 1 "-n-", 2 lowercase letter, 3 uppercase letter,
    // 4 roman numerals, otherwise decimal. Date and time: formats 0-9.
    uint8_t Format = 0;
    uint8_t FontSize = 0;
    uint8_t FontStyle = 0;
    uint8_t Further15 = 0;
    uint32_t Color = 0;
    uint16_t Angle = 0;
    uint8_t Further22[2] = {};
    void Visit(TBlockIO& b);
  };

  explicit TQSPageMark(TQSItemOwner* owner);

  TFields Fields;
  std::string FontName;

  // Copies the block and font name; the copy is measured again.
  void Assign(const TQSItem& source) override;
  void LoadFromStream(TStream& s) override;
  void SaveToStream(TStream& s) const override;
  int PageNumber() const override { return Fields.Page; }
  const char* ClassName() const override { return "TQSPageMark"; }
};

// Kind 201: a picture on a page.
class TQSImage : public TQSItem {
 public:
  static constexpr uint8_t kTransparent = 0x20;
  static constexpr uint8_t kStretch = 0x40;  // stretched into the box
  static constexpr uint8_t kCenter = 0x80;   // centred at its own size

  struct TFields {
    int16_t X = 0;
    int16_t Y = 0;
    int16_t Width = 0;
    int16_t Height = 0;
    uint16_t Page = 0;
    uint8_t Flags = 0;
    uint8_t Further11 = 0;
    void Visit(TBlockIO& b);
  };

  explicit TQSImage(TQSItemOwner* owner);

  TFields Fields;
  TQSPicture Picture;  // empty when the image holds no graphic

  void Assign(const TQSItem& source) override;
  void LoadFromStream(TStream& s) override;
  void SaveToStream(TStream& s) const override;
  int PageNumber() const override { return Fields.Page; }
  const char* ClassName() const override { return "TQSImage"; }
};

// Line end shapes (a nibble each in TQSLine::TFields::Ends).
enum class TQSLineEnd : uint8_t { None = 0, Arrow = 1, Dot = 2, Diamond = 3 };

// Kind 202: a straight line.
class TQSLine : public TQSItem {
 public:
  struct TFields {
    int16_t X1 = 0;
    int16_t Y1 = 0;
    int16_t X2 = 0;
    int16_t Y2 = 0;
    uint16_t Page = 0;
    uint8_t Ends = 0;  // high nibble the start, low nibble the end
    uint8_t LineWidth = 0;
    uint32_t Color = 0;
    uint8_t PenStyle = 0;  // the platform's pen styles: solid, dash, dot ...
    void Visit(TBlockIO& b);
  };

  explicit TQSLine(TQSItemOwner* owner);

  TFields Fields;

  TQSLineEnd StartShape() const { return static_cast<TQSLineEnd>(Fields.Ends >> 4); }
  TQSLineEnd EndShape() const { return static_cast<TQSLineEnd>(Fields.Ends & 0x0F); }

  void Assign(const TQSItem& source) override;
  void LoadFromStream(TStream& s) override;
  void SaveToStream(TStream& s) const override;
  int PageNumber() const override { return Fields.Page; }
  const char* ClassName() const override { return "TQSLine"; }
};

// Kinds 203 (rectangle) and 204 (ellipse); the kind is set by the factory
// or the caller.
class TQSRectangle : public TQSItem {
 public:
  struct TFields {
    int16_t X = 0;
    int16_t Y = 0;
    int16_t Width = 0;
    int16_t Height = 0;
    uint16_t Page = 0;
    uint8_t Further10 = 0;
    uint8_t LineWidth = 0;
    uint32_t LineColor = 0;
    uint8_t PenStyle = 0;
    uint8_t Further17[3] = {};
    uint32_t FillColor = 0;
    uint8_t FillStyle = 0;  // 0 solid, 1 none, 2 and above hatch patterns
    void Visit(TBlockIO& b);
  };

  explicit TQSRectangle(TQSItemOwner* owner);

  TFields Fields;

  void Assign(const TQSItem& source) override;
  void LoadFromStream(TStream& s) override;
  void SaveToStream(TStream& s) const override;
  int PageNumber() const override { return Fields.Page; }
  const char* ClassName() const override { return "TQSRectangle"; }
};

// Kinds 205 (arc), 206 (pie), 207 (chord segment) of the ellipse in the
// bounding box, delimited by two radial points; the kind is set by the
// factory or the caller.
class TQSArc : public TQSItem {
 public:
  struct TFields {
    int16_t X = 0;
    int16_t Y = 0;
    int16_t Width = 0;
    int16_t Height = 0;
    int16_t AX = 0;
    int16_t AY = 0;
    int16_t BX = 0;
    int16_t BY = 0;
    uint16_t Page = 0;
    uint8_t Further18 = 0;
    uint8_t LineWidth = 0;
    uint32_t LineColor = 0;
    uint8_t PenStyle = 0;
    uint8_t Further25[3] = {};
    uint32_t FillColor = 0;
    uint8_t FillStyle = 0;
    void Visit(TBlockIO& b);
  };

  // Point A starts at the top-left, point B at the bottom-right corner of
  // the bounding box.
  explicit TQSArc(TQSItemOwner* owner);

  TFields Fields;

  void Assign(const TQSItem& source) override;
  void LoadFromStream(TStream& s) override;
  void SaveToStream(TStream& s) const override;
  int PageNumber() const override { return Fields.Page; }
  const char* ClassName() const override { return "TQSArc"; }
};

// A named drawing of the score (the name is kept by the score's table): two
// 16-bit settings stored as given and the drawing items it owns. Its items
// have the symbol as owner but do not register themselves; the symbol adds
// them to Items. Deleting an item takes it out of Items.
class TQSUserSymbol : public TObject, public TQSItemOwner {
 public:
  struct TFields {
    int16_t First = 0;
    int16_t Second = 0;
    void Visit(TBlockIO& b);
  };

  TQSUserSymbol() = default;
  ~TQSUserSymbol() override { Clear(); }
  TQSUserSymbol(const TQSUserSymbol&) = delete;
  TQSUserSymbol& operator=(const TQSUserSymbol&) = delete;

  TFields Fields;
  TQSItemList Items;
  std::vector<uint8_t> BlockSurplus;

  // Frees every item.
  void Clear() { Items.Clear(); }
  // Appends a copy of each item (kinds the factory does not know are
  // skipped).
  void CopyItems(const std::vector<TQSItem*>& items);
  void CopyItems(const TQSItemList& items);

  // Reading appends the items read to those the symbol already has.
  void LoadFromStream(TStream& s);
  void SaveToStream(TStream& s) const;

  void AddItem(TQSItem*) override {}
  void RemoveItem(TQSItem* item) override { Items.Remove(item); }
  int IndexOfItem(const TQSItem*) const override { return -1; }

  const char* ClassName() const override { return "TQSUserSymbol"; }
};

}  // namespace qs
