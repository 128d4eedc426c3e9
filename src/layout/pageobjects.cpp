// The free page objects of a page: one element each with its hit box, the
// text of page marks, and for objects shown on every page a chain from
// page to page.
#include <algorithm>
#include <chrono>
#include <ctime>
#include <string>

#include "base/strings.h"
#include "layout/context.h"
#include "layout/layout.h"
#include "layout/metrics.h"
#include "layout/steps.h"
#include "score/helpers.h"
#include "score/pageobjects.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"

namespace qs {

namespace {

TQSCalcItem* NewPageElement(TLayoutContext& c, TQSItem* object) {
  TQSCalcPage* page = c.Page;
  TQSCalcItem* e = page->PageItems.Need(static_cast<size_t>(c.PageElements));
  ++c.PageElements;
  *e = TQSCalcItem{};
  e->OwnerPage = page;
  e->Item = object;
  object->LayoutLink = nullptr;
  c.ContentFlag = true;
  return e;
}

// The box of a page object at (x, y) of size w x h, with its margin.
TRect Margined(int x, int y, int w, int h) { return {x - 24, y - 24, x + w + 24, y + h + 24}; }

// A text measured in its font; sets w and h.
void MeasureLines(TLayoutContext& c, const std::string& font, int size, uint8_t style,
                  const std::vector<std::string>& lines, int& w, int& h) {
  c.Fonts.SetFont(font.empty() ? std::string("Arial") : font, size ? size * 8 : 64);
  c.Fonts.SetStyle(style);
  int widest = 0;
  for (const std::string& line : lines) widest = std::max(widest, c.Fonts.TextWidth(line));
  w = std::max(widest + widest / 100, 128);
  h = c.Fonts.TextHeight() * static_cast<int>(lines.size());
  if (h == 0) h = 128;
}

TRect Rotated(const TRect& box, int angle) {
  return RotatedBox(box.Left, box.Top, box.Right - box.Left, box.Bottom - box.Top, angle);
}

// The box of a measured text at (x, y); a turned one covers its turned
// box, an upright one keeps its measured size.
void PlaceMeasured(TQSCalcItem& e, int x, int y, int w, int h, int angle, int16_t& width, int16_t& height) {
  e.Box = Margined(x, y, w, h);
  if (angle != 0) {
    e.Box = Rotated(e.Box, angle);
  } else {
    width = static_cast<int16_t>(std::min(w, 0x7FFF));
    height = static_cast<int16_t>(std::min(h, 0x7FFF));
  }
}

std::tm LocalNow() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm tm{};
  localtime_r(&now, &tm);
  return tm;
}

void LayoutPageObject(TLayoutContext& c, TQSCalcItem& e) {
  TQSItem* object = e.Item;
  switch (object->ItemType) {
    case kind::Text: {
      auto& text = static_cast<TQSText&>(*object);
      TQSText::TFields& f = text.Fields;
      if (f.Width != 0 && f.Height != 0) {
        e.Box = Margined(f.X, f.Y, f.Width, f.Height);
        break;
      }
      int w, h;
      MeasureLines(c, text.FontName, f.FontSize, f.FontStyle, text.Lines, w, h);
      PlaceMeasured(e, f.X, f.Y, w, h, f.Angle, f.Width, f.Height);
      break;
    }
    case kind::Image: {
      auto& image = static_cast<TQSImage&>(*object);
      TQSImage::TFields& f = image.Fields;
      if ((f.Width == 0 || f.Height == 0) && !image.Picture.Empty()) {
        f.Width = static_cast<int16_t>(std::clamp(image.Picture.Width() * 8, 0, 0x7FFF));
        f.Height = static_cast<int16_t>(std::clamp(image.Picture.Height() * 8, 0, 0x7FFF));
      }
      e.Box = Margined(f.X, f.Y, f.Width, f.Height);
      break;
    }
    case kind::Line: {
      const TQSLine::TFields& f = static_cast<TQSLine&>(*object).Fields;
      TRect r = NormalizeRect({f.X1 - 24, f.Y1 - 24, f.X2 + 24, f.Y2 + 24});
      e.Box = {r.Left - 64, r.Top - 64, r.Right + 64, r.Bottom + 64};
      break;
    }
    case kind::Rectangle:
    case kind::Ellipse: {
      const TQSRectangle::TFields& f = static_cast<TQSRectangle&>(*object).Fields;
      e.Box = Margined(f.X, f.Y, f.Width, f.Height);
      break;
    }
    case kind::Arc:
    case kind::Pie:
    case kind::ChordSegment: {
      const TQSArc::TFields& f = static_cast<TQSArc&>(*object).Fields;
      e.Box = Margined(f.X, f.Y, f.Width, f.Height);
      break;
    }
    case kind::PageMark: {
      auto& mark = static_cast<TQSPageMark&>(*object);
      TQSPageMark::TFields& f = mark.Fields;
      e.Text = f.IsDate ? FormatPageMarkDate(f.Format, LocalNow()) : FormatPageNumber(f.Format, c.PageIndex);
      c.Fonts.SetFont(mark.FontName.empty() ? std::string("Arial") : mark.FontName, f.FontSize ? f.FontSize * 8 : 64);
      c.Fonts.SetStyle(f.FontStyle);
      const int w = c.Fonts.TextWidth(e.Text);
      int h = c.Fonts.TextHeight();
      if (h == 0) h = 128;
      PlaceMeasured(e, f.X, f.Y, w, h, f.Angle, f.Width, f.Height);
      break;
    }
    default: break;
  }
}

const TQSCalcItem* PreviousEveryPage(const TLayoutContext& c, const TQSItem* object) {
  if (c.PageIndex == 0) return nullptr;
  const TQSCalcPage* prev = c.Score.LayoutPages.At(c.PageIndex - 1);
  if (!prev) return nullptr;
  for (const TQSCalcItem* e : prev->EveryPageItems)
    if (e->Item == object) return e;
  return nullptr;
}

std::string TwoDigits(int v) { return (v < 10 ? "0" : "") + std::to_string(v); }

}  // namespace

std::string FormatPageMarkDate(int format, const std::tm& t) {
  const std::string dd = TwoDigits(t.tm_mday), mm = TwoDigits(t.tm_mon + 1), yyyy = std::to_string(t.tm_year + 1900);
  const std::string hhnn = TwoDigits(t.tm_hour) + ":" + TwoDigits(t.tm_min);
  const std::string ss = ":" + TwoDigits(t.tm_sec);
  switch (format) {
    case 1: return dd + "/" + mm + "/" + yyyy;
    case 2: return dd + "." + mm + "." + yyyy + " " + hhnn;
    case 3: return dd + "/" + mm + "/" + yyyy + " " + hhnn + ss;
    case 4: return mm + "/" + dd + "/" + yyyy;
    case 5: return mm + "." + dd + "." + yyyy;
    case 6: return mm + "/" + dd + "/" + yyyy + " " + hhnn;
    case 7: return mm + "/" + dd + "/" + yyyy + " " + hhnn + ss;
    case 8: return hhnn;
    case 9: return hhnn + ss;
    default: return dd + "." + mm + "." + yyyy;
  }
}

std::string FormatPageNumber(int format, int pageIndex) {
  switch (format) {
    case 1: return "-" + std::to_string(pageIndex + 1) + "-";
    // Letters go on after "z" as "aa", "ab", ... rather than into the
    // characters that follow the alphabet.
    case 2: return LowerCase(IntToLetters(pageIndex));
    case 3: return IntToLetters(pageIndex);
    case 4: return IntToRoman(pageIndex + 1);
    default: return std::to_string(pageIndex + 1);
  }
}

void LayoutPageObjects(TLayoutContext& c) {
  const TQSItemList* list = &c.Score.Items;
  if (c.PartView) {
    TQSPart* part = c.Piece ? c.Piece->GetPart(c.ViewPart) : nullptr;
    if (!part) return;
    list = &part->Items;
  }
  for (TQSItem* object : *list) {
    if (object->PageNumber() != 0) break;
    const TQSCalcItem* prev = PreviousEveryPage(c, object);
    TQSCalcItem* e = NewPageElement(c, object);
    LayoutPageObject(c, *e);
    c.Page->EveryPageItems.push_back(e);
    e->Next = const_cast<TQSCalcItem*>(prev);
    object->LayoutLink = e;
  }
  for (TQSItem* object : *list)
    if (object->PageNumber() == c.PageIndex + 1) LayoutPageObject(c, *NewPageElement(c, object));
}

}  // namespace qs
