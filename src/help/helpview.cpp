#include "help/helpview.h"

#include <algorithm>

#include "base/text.h"
#include "platform/bitmap.h"
#include "platform/imagedecode.h"

namespace qs {

namespace {

bool IsTextKind(uint8_t kind) {
  return kind == helpitem::Text || kind == helpitem::ListEntry || kind == helpitem::LinkLine ||
         kind == helpitem::TopicLinks || kind == helpitem::LocalLinks;
}
bool IsBreak(char16_t c) {
  return c == u' ' || c == u'(' || c == u')' || c == u',' || c == u'.' || c == u';' || c == u'[' || c == u']';
}
constexpr int kEmptyLine = 13;
constexpr int kRuleHeight = 4;
constexpr int kRunGap = 4;
constexpr int kWheelNotch = 120;

}  // namespace

// One pass of the layout: the pen, the current line and the open blocks.
struct TECHelpView::TLayout {
  TECHelpView& view;
  TCanvas& canvas;
  int clientWidth;
  int x = 0, y = 0, lineHeight = 0;
  bool lineEmpty = true;
  size_t lineFirst = 0;
  int indent;
  std::vector<int> depths{0};
  struct TBlock {
    int Depth;
    const TECHelpItem* Header;
  };
  std::vector<TBlock> blocks;
  int blockTop = -1, blockBottom = -1;
  const TECHelpItem* following = nullptr;  // the just-expanded header whose items are being laid out

  TLayout(TECHelpView& v, TCanvas& c) : view(v), canvas(c), clientWidth(v.ClientWidth()), indent(-v.paragraph_) {}

  void Add(const TECHelpItem* item, std::string text, TRect r) {
    view.runs_.push_back({item, std::move(text), r});
  }

  void EndLine(int height) {
    for (size_t i = lineFirst; i < view.runs_.size(); ++i) {
      TRect& r = view.runs_[i].Rect;
      const int shift = (height - r.Height()) / 2;
      r.Top += shift;
      r.Bottom += shift;
    }
    view.contentWidth_ = std::max(view.contentWidth_, x);
    x = std::max(indent, 0);
    y += height;
    lineHeight = 0;
    lineEmpty = true;
    lineFirst = view.runs_.size();
  }
  void EndLineIfAny() {
    if (!lineEmpty) EndLine(lineHeight);
  }

  void Indent(int depth) {
    if (depths.back() < depth) {
      depths.push_back(depth);
      indent += view.paragraph_;
    } else {
      while (depth < depths.back() && depths.size() > 1 && indent > 0) {
        depths.pop_back();
        indent -= view.paragraph_;
      }
    }
    x = std::max(indent, 0);
  }

  void Text(const TECHelpItem* item, const std::string& utf8) {
    view.ApplyFont(canvas, item->Font);
    const std::u16string t = Utf8ToUtf16(utf8);
    const int h = canvas.TextHeight(u"Ag");
    size_t start = 0;
    int runLeft = x, runX = x;
    size_t lastBreak = std::u16string::npos;
    for (size_t i = 0; i + 1 < t.size(); ++i) {
      const char16_t c = t[i];
      if (IsBreak(c) && i > start) lastBreak = i;
      const int w = canvas.TextWidth(std::u16string_view(&t[i], 1));
      if (!view.autosize_ && runX + w > clientWidth - 4) {
        if (lastBreak == std::u16string::npos || lastBreak <= start) {
          // A word too long for what is left of the line moves whole to
          // the next one (and overflows it when it is longer than a line).
          if (runLeft > std::max(indent, 0) || !lineEmpty) {
            EndLine(lineHeight);
            lineHeight = h;
            const int before = canvas.TextWidth(std::u16string_view(&t[start], i - start));
            runLeft = x;
            runX = x + before;
          }
        } else {
          const std::u16string_view piece(&t[start], lastBreak - start);
          const int pw = canvas.TextWidth(piece);
          Add(item, Utf16ToUtf8(piece), {runLeft, y, runLeft + pw, y + h});
          lineEmpty = false;
          lineHeight = std::max(lineHeight, h);
          EndLine(lineHeight);
          start = lastBreak;
          lastBreak = std::u16string::npos;
          runLeft = x;
          runX = x;
          i = start - 1;  // measure again from the break character
          continue;
        }
      }
      lineHeight = std::max(lineHeight, h);
      runX += w;
    }
    const std::u16string_view rest(t.data() + std::min(start, t.size()), t.size() - std::min(start, t.size()));
    const int w = canvas.TextWidth(rest);
    Add(item, Utf16ToUtf8(rest), {runLeft, y, runLeft + w, y + h});
    x = runLeft + w + (!rest.empty() && rest.back() == u'(' ? 0 : kRunGap);
    lineHeight = std::max(lineHeight, h);
    lineEmpty = false;
  }

  bool Hidden(int depth) {
    while (!blocks.empty() && blocks.back().Depth >= depth) blocks.pop_back();
    for (const TBlock& b : blocks)
      if (b.Depth < depth && !b.Header->Expanded) return true;
    return false;
  }

  void Item(size_t index, const TECHelpItem* item) {
    if (following && item->Depth <= following->Depth) following = nullptr;
    if (Hidden(item->Depth)) return;
    const bool continues = item->Parent != nullptr;
    switch (item->Kind) {
      case helpitem::More: {
        if (!continues) {
          EndLineIfAny();
          Indent(item->Depth);
        }
        const size_t first = view.runs_.size();
        const std::string& caption = item->Expanded ? item->SecondText : item->Text;
        Text(item, caption.empty() ? std::string(">>") : caption);
        EndLine(lineHeight);
        blocks.push_back({item->Depth, item});
        if (item == view.expanded_) {
          blockTop = view.runs_[first].Rect.Top;
          blockBottom = y;
          following = item;
        }
        return;
      }
      case helpitem::Break:
        if (!lineEmpty)
          EndLine(lineHeight);
        else
          y += kEmptyLine;
        break;
      case helpitem::Rule:
        EndLineIfAny();
        Add(item, {}, {x, y, x, y + kRuleHeight});
        lineHeight = kRuleHeight;
        lineEmpty = false;
        EndLine(lineHeight);
        break;
      case helpitem::Picture: {
        TBitmap* b = view.PictureBitmap(*item);
        if (!b) break;
        if (!view.autosize_ && x + b->Width() > clientWidth && !lineEmpty) EndLine(lineHeight);
        lineEmpty = false;
        lineHeight = std::max(lineHeight, b->Height() + 2);
        Add(item, {}, {x, y, x + b->Width(), y + b->Height()});
        x += b->Width() + kRunGap;
        break;
      }
      default:
        if (!IsTextKind(item->Kind)) break;
        if (index == 0 && view.skipEmptyFirst_ && item->Text.empty()) break;
        if (!continues) {
          EndLineIfAny();
          Indent(item->Depth);
        }
        Text(item, item->Text);
        break;
    }
    if (following) blockBottom = y + lineHeight;
  }
};

TECHelpView::TECHelpView(TComponent* owner) : TCustomControl(owner) {
  SetColor(clWhite);
  SetTabStop(true);
}

TECHelpView::~TECHelpView() = default;

void TECHelpView::SetParagraph(int value) {
  if (value == paragraph_) return;
  paragraph_ = value;
  LayoutItems();
  Redraw();
}

void TECHelpView::SetAutosize(bool value) {
  if (value == autosize_) return;
  autosize_ = value;
  Reload();
  LayoutItems();
  Redraw();
}

void TECHelpView::EndUpdate() {
  if (lock_ > 0) --lock_;
  if (lock_ > 0) return;
  if (pendingLoad_) Reload();
  if (pendingLayout_) LayoutItems();
  Redraw();
}

void TECHelpView::Reload() {
  if (lock_ > 0) {
    pendingLoad_ = true;
    return;
  }
  pendingLoad_ = false;
  bitmaps_.clear();
  runs_.clear();
  expanded_ = nullptr;
  // Another page starts at its top.
  scrollX_ = scrollY_ = 0;
  LoadItems();
}

void TECHelpView::Redraw() {
  pendingPaint_ = true;
  if (lock_ > 0) return;
  Invalidate();
  pendingPaint_ = false;
}

void TECHelpView::ApplyFont(TCanvas& canvas, const TECFont& font) const {
  canvas.Font() = Font();
  if (!font.Name.empty()) canvas.Font().Name = font.Name;
  if (font.Size != 0) canvas.Font().SetSize(font.Size);
  canvas.Font().Color = font.Color;
  canvas.Font().Style = font.Style;
}

TBitmap* TECHelpView::PictureBitmap(const TECHelpItem& item) {
  for (auto& [it, b] : bitmaps_)
    if (it == &item) return b.get();
  if (!item.Picture || item.Picture->Empty()) return nullptr;
  auto b = std::make_unique<TBitmap>();
  if (!LoadBitmapFromBytes(*b, item.Picture->Data()) || b->Width() <= 0 || b->Height() <= 0) return nullptr;
  b->Transparent = true;
  bitmaps_.emplace_back(&item, std::move(b));
  return bitmaps_.back().second.get();
}

void TECHelpView::LayoutItems() {
  if (lock_ > 0) {
    pendingLayout_ = true;
    return;
  }
  pendingLayout_ = false;
  ++lock_;
  runs_.clear();
  contentWidth_ = contentHeight_ = 0;
  TLayout l(*this, Canvas());
  for (size_t i = 0; i < items_.size(); ++i) l.Item(i, items_[i].get());
  l.view.contentWidth_ = std::max(contentWidth_, l.x);
  if (!l.lineEmpty) l.y += l.lineHeight;
  contentHeight_ = l.y;
  for (TECHelpRun& r : runs_)
    if (r.Item->Kind == helpitem::Rule) r.Rect.Right = contentWidth_ - r.Rect.Left;
  if (expanded_ && l.blockTop >= 0) {
    const int h = ClientHeight();
    if (h + scrollY_ < l.blockBottom) scrollY_ = l.blockBottom - l.blockTop < h ? l.blockBottom - h : l.blockTop;
  }
  expanded_ = nullptr;
  --lock_;
}

void TECHelpView::ClampScroll() {
  const int w = ClientWidth(), h = ClientHeight();
  if (contentWidth_ - scrollX_ < w) scrollX_ = contentWidth_ > w ? contentWidth_ - w : 0;
  if (contentHeight_ - scrollY_ < h) scrollY_ = contentHeight_ > h ? contentHeight_ - h : 0;
  scrollX_ = std::max(scrollX_, 0);
  scrollY_ = std::max(scrollY_, 0);
}

const TECHelpRun* TECHelpView::RunAt(int x, int y) const {
  const int cx = x + scrollX_, cy = y + scrollY_;
  for (const TECHelpRun& r : runs_)
    if (cx >= r.Rect.Left && cx < r.Rect.Right && cy >= r.Rect.Top && cy < r.Rect.Bottom) return &r;
  return nullptr;
}

void TECHelpView::Toggle(const TECHelpItem& header) {
  auto* item = const_cast<TECHelpItem*>(&header);  // the items are the control's own
  item->Expanded = !item->Expanded;
  expanded_ = item->Expanded ? item : nullptr;
  LayoutItems();
  ClampScroll();
  Redraw();
}

void TECHelpView::Paint() {
  TCanvas& c = Canvas();
  const int w = ClientWidth(), h = ClientHeight();
  c.Brush().Color = Color();
  c.Brush().Style = bsSolid;
  c.FillRect({0, 0, w, h});
  const int save = c.SaveDC();
  c.IntersectClipRect({0, 0, w, h});
  c.SetViewportOrg(-scrollX_, -scrollY_);
  c.Brush().Style = bsClear;
  for (const TECHelpRun& r : runs_) {
    if (r.Rect.Bottom < scrollY_ || r.Rect.Top > scrollY_ + h) continue;
    const uint8_t kind = r.Item->Kind;
    if (IsTextKind(kind) || kind == helpitem::More) {
      ApplyFont(c, r.Item->Font);
      c.TextOut(r.Rect.Left, r.Rect.Top, std::string_view(r.Text));
    } else if (kind == helpitem::Picture) {
      if (TBitmap* b = PictureBitmap(*r.Item)) c.Draw(r.Rect.Left, r.Rect.Top + 1, *b);
    } else if (kind == helpitem::Rule) {
      c.Pen().Color = clGray;
      c.MoveTo(r.Rect.Left, r.Rect.Top + 2);
      c.LineTo(r.Rect.Right, r.Rect.Top + 2);
    }
  }
  c.RestoreDC(save);
}

void TECHelpView::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  SetFocus();
  const TECHelpRun* run = RunAt(x, y);
  if (run && !run->Item->Link.empty() && run->Item->LinkKind != helplink::None) {
    LinkClicked(*run->Item);
    return;
  }
  if (run && run->Item->Kind == helpitem::More) {
    Toggle(*run->Item);
    return;
  }
  dragging_ = true;
  last_ = {x, y};
}

void TECHelpView::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
  if (!dragging_) {
    const TECHelpRun* run = RunAt(x, y);
    const bool active = run && ((!run->Item->Link.empty() && run->Item->LinkKind != helplink::None) ||
                                run->Item->Kind == helpitem::More);
    SetCursor(active ? crHandPoint : crDefault);
    return;
  }
  if (x == last_.X && y == last_.Y) return;
  SetCursor(crHandPoint);
  const int oldX = scrollX_, oldY = scrollY_;
  if (contentWidth_ > ClientWidth()) scrollX_ = std::clamp(scrollX_ + last_.X - x, 0, contentWidth_ - ClientWidth());
  if (contentHeight_ > ClientHeight())
    scrollY_ = std::clamp(scrollY_ + last_.Y - y, 0, contentHeight_ - ClientHeight());
  if (oldX != scrollX_ || oldY != scrollY_) Redraw();
  last_ = {x, y};
}

void TECHelpView::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
  dragging_ = false;
}

bool TECHelpView::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
  if (TCustomControl::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
  const int old = scrollY_;
  scrollY_ -= wheelDelta * kWheelNotch / 120;
  ClampScroll();
  if (old != scrollY_) Redraw();
  return true;
}

void TECHelpView::Resize() {
  TCustomControl::Resize();
  LayoutItems();
  ClampScroll();
  Redraw();
}

}  // namespace qs
