// Painting the view: the visible pages through an off-screen bitmap, the
// grey around them, the page button bar with the entry-mode caption, and
// the input cursor as an XOR overlay with its show/hide counter.
#include <algorithm>
#include <memory>

#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/graphics.h"
#include "platform/gui.h"
#include "score/calcrecords.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "view/window.h"

namespace qs {

namespace {

constexpr TColor kBtnFace = 0xF0F0F0;
constexpr TColor kBackground = 0x000000;
constexpr TColor kGlyph = 0x84614A;
constexpr TColor kUnfocusedCursor = 0x808000;
constexpr int kNeverDrawn = 9999;

// A canvas to measure texts on before the view has a screen.
TCanvas& MeasuringCanvas() {
  static TBitmap bitmap(1, 1);
  return bitmap.Canvas();
}

void UseFont(TCanvas& canvas, const char* name, int points) {
  canvas.Font() = TFont{};
  canvas.Font().Name = name;
  canvas.Font().PixelsPerInch = ScreenPixelsPerInch();
  canvas.Font().SetSize(points);
}

TBrush Solid(TColor color) {
  TBrush brush;
  brush.Color = color;
  return brush;
}

std::string PageIndicator(int page, int count) { return std::to_string(page) + "-" + std::to_string(count); }

}  // namespace

// ------------------------------------------------------------ button bar

void TQSWindow::LayoutButtonBar() {
  if (!Score || !HasParent()) return;
  const int h = geometry_.HorzBar.Thickness, o = buttonsOffset_, b = ClientHeight();
  TCanvas& measure = MeasuringCanvas();
  UseFont(measure, "Arial", 10);
  const int w = measure.TextWidth(PageIndicator(geometry_.PageCount, geometry_.PageCount));
  Buttons[1] = {o, b - h, o + h, b};
  Buttons[2] = {o + h, b - h, o + 2 * h, b};
  Buttons[0] = {Buttons[2].Left + h + 2, b - h, Buttons[2].Left + h + 2 + w, b};
  int left = Buttons[0].Left + w + 2;
  for (int i = 3; i <= 7; ++i, left += h) Buttons[static_cast<size_t>(i)] = {left, b - h, left + h, b};
}

int TQSWindow::ShownPage() const {
  const int count = std::min(geometry_.PageCount, static_cast<int>(geometry_.PageGrid.size()));
  const TRect a = GetPageAreaRect();
  const TRect seen = geometry_.ClientRectToCanvas(a);
  auto inView = [&](int j) {
    const TRect& r = geometry_.PageGrid[static_cast<size_t>(j)].Rect;
    return r.Left < seen.Right && r.Right > seen.Left && r.Top < seen.Bottom && r.Bottom > seen.Top;
  };
  if (CursorPosition.Page >= 0 && CursorPosition.Page < count && inView(CursorPosition.Page))
    return CursorPosition.Page;
  for (int j = 0; j < count; ++j)
    if (geometry_.PageGrid[static_cast<size_t>(j)].Rect.Bottom > seen.Top && inView(j)) return j;
  return std::clamp(CursorPosition.Page, 0, std::max(0, count - 1));
}

void TQSWindow::UpdatePageButtons() {
  if (!Score || !HasParent()) return;
  const int page = ShownPage();
  ButtonEnabled[1] = ButtonEnabled[2] = page > 0;
  ButtonEnabled[3] = geometry_.PageCount > 1;
  ButtonEnabled[4] = ButtonEnabled[5] = page < geometry_.PageCount - 1;
  ButtonEnabled[6] = ButtonEnabled[7] = true;
  InvalidateClient({Buttons[1].Left, Buttons[1].Top, Buttons[7].Right + 10, Buttons[7].Bottom}, true);
}

void TQSWindow::DrawButtonBar(TCanvas& canvas) {
  const int h = geometry_.HorzBar.Thickness, b = ClientHeight();
  canvas.Brush() = Solid(kBtnFace);
  canvas.FillRect({0, b - h - 1, ClientWidth() / 2, b});
  canvas.FillRect({ClientWidth() - geometry_.VertBar.Thickness, b - h - 1, ClientWidth(), b});
  if (!Score || Style == wsPreview || Style == wsView) return;

  for (int i = 1; i <= 7; ++i) {
    const TRect r = Buttons[static_cast<size_t>(i)];
    const bool pressed = PressedButton == i;
    // A push button: raised, or sunk while held.
    canvas.Pen() = TPen{pressed ? clGray : clWhite};
    canvas.MoveTo(r.Left, r.Bottom - 1);
    canvas.LineTo(r.Left, r.Top);
    canvas.LineTo(r.Right - 1, r.Top);
    canvas.Pen() = TPen{pressed ? clWhite : clGray};
    canvas.LineTo(r.Right - 1, r.Bottom - 1);
    canvas.LineTo(r.Left, r.Bottom - 1);

    const int d = pressed ? 1 : 0;
    const int x0 = r.Left + 5 + d, y0 = r.Top + 5 + d, x1 = r.Left + 12 + d, y1 = r.Top + 12 + d;
    const int my = (y0 + y1) / 2, mx = (x0 + x1) / 2;
    canvas.Pen() = TPen{kGlyph};
    // A chevron of three one-pixel strokes, pointing left (-1), right (1) or down (0).
    auto chevron = [&](int x, int dir) {
      for (int k = 0; k < 3; ++k) {
        if (dir == 0)
          canvas.Polyline({TPoint{x0 + k - 1, my - 2 + k}, TPoint{mx, my + 1 + k}, TPoint{x1 - k + 2, my - 3 + k}});
        else
          canvas.Polyline({TPoint{x + dir * 3 + k, y0}, TPoint{x + k, my}, TPoint{x + dir * 3 + k, y1 + 1}});
      }
    };
    switch (i) {
      case 1: canvas.MoveTo(x0, y0); canvas.LineTo(x0, y1 + 1); chevron(x0 + 3, 1); break;
      case 2: chevron(x0 + 1, 1); break;
      case 3: chevron(0, 0); break;
      case 4: chevron(x1 - 2, -1); break;
      case 5: chevron(x1 - 5, -1); canvas.MoveTo(x1, y0); canvas.LineTo(x1, y1 + 1); break;
      default: {
        canvas.Brush() = Solid(kBackground);
        canvas.FillRect({mx - 3, my - 1, mx + 3, my + 1});
        if (i == 6) canvas.FillRect({mx - 1, my - 3, mx + 1, my + 3});
        break;
      }
    }
  }
  UseFont(canvas, "Arial", 10);
  canvas.Brush().Style = bsClear;
  canvas.TextOut(Buttons[0].Left, Buttons[0].Top, PageIndicator(ShownPage() + 1, geometry_.PageCount));
  UseFont(canvas, "MS Sans Serif", 8);
  canvas.Brush().Style = bsClear;
  const TRect& last = Buttons[7];
  canvas.TextOut(last.Right + 2, (last.Top + last.Bottom - canvas.TextHeight(std::string_view("A"))) / 2,
                 Score->AddState == TQSAddState::asInsert ? Score->InsertName : Score->OverwriteName);
}

// ---------------------------------------------------------------- pages

void TQSWindow::DrawPageBackground(TCanvas& canvas) {
  if (!Score || Score->Updating()) return;
  const TRect size = geometry_.PagePixelRect();
  canvas.Pen() = TPen{clBlack};
  // The paper is the page format's stored colour, the one the painter
  // erases with and score files keep; the brush gives the fill style.
  canvas.Brush() = Solid(Score->Page.Color());
  canvas.Brush().Style = static_cast<TBrushStyle>(Score->Page.Brush().Style());
  canvas.Rectangle(0, 0, size.Right, size.Bottom);
}

void TQSWindow::Paint() { PaintTo(Canvas()); }

const TBitmap& TQSWindow::PageImage(int index) {
  const TRect size = geometry_.PagePixelRect();
  const int width = std::max(1, size.Right), height = std::max(1, size.Bottom);
  TPageImage& page = pageImages_[index];
  const bool sized = page.Bitmap && page.Bitmap->Width() == width && page.Bitmap->Height() == height;
  if (sized && page.Current) return *page.Bitmap;
  // The page's calls are kept with its image. An image kept from before
  // gets only the calls that reach into the band where they differ from
  // those that painted it.
  TDrawingList drawing;
  const auto paint = [&](TDrawDevice* through, const TDrawDevice& like) {
    TCanvas canvas(std::make_shared<TListingDevice>(drawing, through, like.PixelsPerInchX(), like.PixelsPerInchY()));
    std::unique_ptr<TGraphics> graphics;
    if (UseAntiAliasedSurface()) {
      graphics = std::make_unique<TGraphics>(canvas);
      graphics->SetSmoothingMode(SmoothingModeAntiAlias);
    }
    DrawPageBackground(canvas);
    PaintPage(index, canvas, graphics.get(), Zoom, Zoom, 0, 0);
  };
  TRect band{0, 0, width, height};
  if (sized && page.Drawing.Redrawable()) {
    paint(nullptr, page.Bitmap->Canvas().Device());
    if (drawing.Redrawable()) {
      band = TDrawingList::ChangedBand(page.Drawing, drawing, width, height);
      drawing.DrawBand(page.Bitmap->Canvas().Device(), band);
    } else {
      drawing = TDrawingList();
    }
  }
  if (drawing.Empty()) {
    page.Bitmap = std::make_unique<TBitmap>(width, height);
    paint(&page.Bitmap->Canvas().Device(), page.Bitmap->Canvas().Device());
  }
  page.Drawing = std::move(drawing);
  page.Current = true;
  ++pageImagesPainted_;
  pageRowsPainted_ += band.Height();
  return *page.Bitmap;
}

void TQSWindow::DropPageImages(const TRect& client) {
  // Many elements invalidated in a row (a selection) find every image
  // invalidated after the first.
  if (std::none_of(pageImages_.begin(), pageImages_.end(), [](const auto& page) { return page.second.Current; }))
    return;
  // Rulers, buttons and bars lie outside the pages.
  TRect inside;
  if (!IntersectRect(inside, client, GetPageAreaRect())) return;
  const TRect canvas = geometry_.ClientRectToCanvas(inside);
  for (auto it = pageImages_.begin(); it != pageImages_.end();) {
    const int j = it->first;
    TRect common;
    const bool hit = j >= static_cast<int>(geometry_.PageGrid.size()) ||
                     IntersectRect(common, geometry_.PageGrid[static_cast<size_t>(j)].Rect, canvas);
    if (hit) it->second.Current = false;
    ++it;
  }
}

void TQSWindow::DropPageImagesFrom(int firstPage) {
  for (auto it = pageImages_.lower_bound(firstPage); it != pageImages_.end(); ++it) it->second.Current = false;
}

void TQSWindow::PaintTo(TCanvas& screen) {
  if (!Score) {
    screen.Brush() = Solid(clWhite);
    screen.FillRect({0, 0, ClientWidth(), ClientHeight()});
    return;
  }
  const TRect a = GetPageAreaRect();
  const int aw = std::max(0, a.Width()), ah = std::max(0, a.Height());
  // Only what the repaint asked for: pages outside the screen's clip are
  // left as they are.
  TRect wanted = a;
  if (screen.HasClip() && !IntersectRect(wanted, a, screen.ClipRect())) wanted = TRect{};
  if (Score->Optimization && aw > 0 && ah > 0 && !wanted.IsEmpty()) {
    if (!buffer_) buffer_ = std::make_unique<TBitmap>(aw, ah);
    if (buffer_->Width() != aw || buffer_->Height() != ah) buffer_->SetSize(aw, ah);
    TBitmap& buffer = *buffer_;
    TCanvas& canvas = buffer.Canvas();
    canvas.ResetClip();
    canvas.SetViewportOrg(0, 0);
    const int H = geometry_.HorzBar.Position, V = geometry_.VertBar.Position;
    int first = 0, last = geometry_.PageCount - 1;
    if (Style == wsPreview) {
      first = geometry_.PagePerHorz() * (CursorPosition.Page / geometry_.PagePerHorz());
      last = std::min(last, first + geometry_.PagePerHorz() - 1);
    }
    int maxRight = 0, maxBottom = 0, rowEnd = -1;
    std::vector<int> visible;
    for (int j = first; j <= last && j < static_cast<int>(geometry_.PageGrid.size()); ++j) {
      const TRect& r = geometry_.PageGrid[static_cast<size_t>(j)].Rect;
      const int left = r.Left - H + a.Left, top = r.Top - V + a.Top;
      if (!(left < wanted.Right && top < wanted.Bottom && left + r.Width() > wanted.Left &&
            top + r.Height() > wanted.Top))
        continue;
      canvas.Draw(r.Left - H, r.Top - V, PageImage(j));
      visible.push_back(j);
      maxRight = std::max(maxRight, r.Right - H);
      maxBottom = std::max(maxBottom, r.Bottom - V);
      if (j == last && geometry_.PageCount % geometry_.PagePerHorz() != 0) rowEnd = r.Right - H;
    }
    // Pages scrolled out of sight are painted again when they come back;
    // under the update lock nothing painted is kept.
    if (Score->Updating()) pageImages_.clear();
    for (auto it = pageImages_.begin(); it != pageImages_.end();) {
      const int j = it->first;
      const TRect& r =
          j < static_cast<int>(geometry_.PageGrid.size()) ? geometry_.PageGrid[static_cast<size_t>(j)].Rect : TRect{};
      const bool inView = r.Left < H + aw && r.Top < V + ah && r.Right > H && r.Bottom > V;
      it = inView ? std::next(it) : pageImages_.erase(it);
    }
    // The canvas that no page covers.
    canvas.SetViewportOrg(0, 0);
    canvas.Brush() = Solid(clGray);
    canvas.FillRect({std::max(0, maxRight), 0, aw, ah});
    canvas.FillRect({0, std::max(0, maxBottom), std::max(0, maxRight), ah});
    if (rowEnd >= 0 && last < static_cast<int>(geometry_.PageGrid.size()) && geometry_.PageCount > 0) {
      const TRect& r = geometry_.PageGrid[static_cast<size_t>(last)].Rect;
      canvas.FillRect({std::max(0, rowEnd), std::max(0, r.Top - V), std::max(0, maxRight), std::min(ah, r.Bottom - V)});
    }
    DrawCursor(screen, false);
    DrawOverlays();
    const int level = screen.SaveDC();
    screen.Draw(a.Left, a.Top, buffer);
    screen.RestoreDC(level);
    DrawCursor(screen, true);
    DrawOverlays();
  }
  if (Rule.Visible) {
    const TRect v = GetViewRect();
    DrawRulers(screen, false, {0, 0, v.Right, v.Bottom});
  }
  DrawButtonBar(screen);
}

// ---------------------------------------------------------------- cursor

void TQSWindow::ShowCursor(bool show) {
  if (!HasParent()) return;
  DrawNavigatorMarker(show);
  if (TCanvas* screen = Host()->Screen()) DrawCursor(*screen, show);
  Fire(OnCursorChanged, this, show);
}

bool TQSWindow::CursorStroke(TPoint& top, TPoint& bottom, int& markerY, bool& marker) const {
  const TQSPiece* piece = ActivePiece();
  if (!piece || CursorPosition.Measure < 0 || CursorPosition.Measure >= static_cast<int>(piece->Slots.size()))
    return false;
  const auto* slot = dynamic_cast<const TQSCalcMeasure*>(piece->Slots[static_cast<size_t>(CursorPosition.Measure)]);
  if (!slot || slot->Length == 0 || !slot->System || !slot->System->PageRecord) return false;
  const TQSCalcSystem& system = *slot->System;
  const TQSCalcPage& page = *system.PageRecord;
  // The cursor is drawn on its own page only.
  if (page.PageIndex != CursorPosition.Page || CursorPosition.Page >= static_cast<int>(geometry_.PageGrid.size()))
    return false;
  const TRect& pr = geometry_.PageGrid[static_cast<size_t>(CursorPosition.Page)].Rect;
  const int tick = std::clamp(CursorPosition.Tick, 0, std::max(0, static_cast<int>(slot->Positions.size()) - 1));
  const int offset = slot->Positions.empty() ? 0 : slot->Positions[static_cast<size_t>(tick)];
  const int x = geometry_.Px(slot->Box.Left + offset) + pr.Left;
  marker = false;
  if (cursorType_ == TQSCursorType::ctPiece) {
    top = {x, geometry_.Px(system.Top) + pr.Top};
    bottom = {x, geometry_.Px(system.Bottom) + pr.Top};
    return true;
  }
  const TQSCalcSystemPart* sp = system.Parts.At(CursorPosition.Part);
  if (!sp || sp->System != &system) return false;
  const int rowIndex = sp->FirstRow + CursorPosition.Staff;
  const TQSCalcStaff* row = rowIndex < page.StaffRowCount ? page.StaffRows.At(rowIndex) : nullptr;
  if (!row || !row->Staff) return false;
  const TQSStaff& staff = *row->Staff;
  const int s = geometry_.StaffSpacePixels(staff);
  const int b = staff.VoiceCount() > 1 ? (CursorPosition.Voice == 0 ? -s : s) : 0;
  const int rowTop = geometry_.Px(row->Top) + pr.Top;
  top = {x, rowTop + b};
  bottom = {x, geometry_.Px(row->Bottom) + pr.Top + b};
  if (!EditedElement && Style != wsView) {
    marker = true;
    markerY = staff.Fields.Tablature ? rowTop + b - s * (CursorString - staff.Fields.LineCount + 1)
                                     : rowTop + b + 5 * s - ((cursorLine_ - 60) * s) / 2;
  }
  return true;
}

void TQSWindow::DrawCursor(TCanvas& canvas, bool show) {
  if (Style == wsPreview || Style == wsPrint || Style == wsExport) return;
  if (show) {
    ++CursorCounter;
  } else if (CursorCounter == kNeverDrawn) {
    CursorCounter = -1;
    return;
  } else {
    --CursorCounter;
  }
  if (!((show && CursorCounter == 0) || (!show && CursorCounter == -1))) return;
  if (!Score || geometry_.PageGrid.empty() || geometry_.PageCount == 0) return;
  if (EditedElement) {
    textEditor_->DrawTextCaret(canvas);
    return;
  }
  TPoint top, bottom;
  int markerY = 0;
  bool marker = false;
  if (!CursorStroke(top, bottom, markerY, marker)) return;

  const TRect a = GetPageAreaRect();
  const int dx = geometry_.RulerWidth() - geometry_.HorzBar.Position,
            dy = geometry_.RulerWidth() - geometry_.VertBar.Position;
  const int level = canvas.SaveDC();
  canvas.IntersectClipRect(a);
  canvas.SetViewportOrg(dx, dy);
  const int scale = Score->Scale;
  canvas.Pen() = TPen{hasFocus_ ? cursorColor_ : kUnfocusedCursor, std::max(1, Zoom * scale * 2 / 10000), psSolid, pmXor};
  canvas.MoveTo(top.X, top.Y);
  canvas.LineTo(bottom.X, bottom.Y);
  if (marker) {
    const int m = Zoom * scale * 4 / 10000;
    canvas.Pen().Width = std::max(1, Zoom / 100);
    canvas.MoveTo(top.X - m, markerY);
    canvas.LineTo(top.X + m, markerY);
  }
  canvas.Pen().Mode = pmCopy;
  canvas.RestoreDC(level);
  const int reach = 8 + Zoom * scale * 4 / 10000;
  if (Host())
    Host()->Flush({top.X + dx - reach, std::min(top.Y, marker ? markerY : top.Y) + dy - reach, top.X + dx + reach,
                  std::max(bottom.Y, marker ? markerY : bottom.Y) + dy + reach});
}

}  // namespace qs
