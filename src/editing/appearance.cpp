#include "editing/appearance.h"

#include <algorithm>
#include <functional>

#include "editing/selection.h"
#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/notes.h"
#include "score/pageobjects.h"
#include "score/part.h"

namespace qs {

namespace {

constexpr uint8_t kActionAppearance = 18;
// Bits 4-5 of a text's or lyric's flag byte: the alignment.
constexpr uint8_t kAlignBits = 0x30;

// Whether an item is of the member's kinds and its value differs (with
// store, the value is written and any cached size reset).
using TSetter = std::function<bool(TQSItem&, bool store)>;

template <class V, class W>
bool Put(V& field, const W& value, bool store, bool compare = true) {
  if (compare && field == static_cast<V>(value)) return false;
  if (store) field = static_cast<V>(value);
  return true;
}

bool IsLyricKind(TQSItemType k) { return k == kind::Lyric || k == kind::Term || k == kind::InstrumentName; }
bool IsShape(TQSItemType k) { return k >= kind::Line && k <= kind::ChordSegment; }
bool IsFilledShape(TQSItemType k) { return k >= kind::Rectangle && k <= kind::ChordSegment; }

// A setter on the pen or fill fields of the shapes (lines have a pen only).
template <class Pick>
TSetter ShapeSetter(bool filledOnly, Pick pick) {
  return [=](TQSItem& item, bool store) {
    if (!(filledOnly ? IsFilledShape(item.ItemType) : IsShape(item.ItemType))) return false;
    if (auto* line = dynamic_cast<TQSLine*>(&item)) return pick(line->Fields, store);
    if (auto* rect = dynamic_cast<TQSRectangle*>(&item)) return pick(rect->Fields, store);
    if (auto* arc = dynamic_cast<TQSArc*>(&item)) return pick(arc->Fields, store);
    return false;
  };
}

int PageOfPageObject(const TQSItem& item) { return std::max(item.PageNumber() - 1, 0); }

void Apply(TQSScore& score, const TSetter& measureItems, const TSetter& pageObjects, const TSetter& edited,
           bool relayout) {
  TQSSelectionCommand c(score, kActionAppearance);
  if (!c.HasView()) return;
  TQSCalcItem* editing = c.View->EditedElement;
  if (edited && editing && editing->Item) {
    TQSItem& item = *editing->Item;
    const bool changes = edited(item, false);
    if (changes) {
      c.SaveItem(&item);
      edited(item, true);
      if (relayout) {
        c.FromPage = item.ItemType == kind::Text ? PageOfPageObject(item) : kNoAffectedPage;
        c.LowerPageTo(editing);
        if (c.FromPage < kNoAffectedPage) score.Recalculate(c.FromPage, -1);
      }
    }
    score.RefreshWindows();
    score.FireChanged(&score);
    return;
  }
  std::vector<const TQSItem*> done;
  auto fresh = [&](const TQSItem* item) {
    if (std::find(done.begin(), done.end(), item) != done.end()) return false;
    done.push_back(item);
    return true;
  };
  if (measureItems)
    for (TQSCalcItem* e : c.View->SelectedMeasureElements()) {
      if (!e || !e->Item || !fresh(e->Item) || !measureItems(*e->Item, false)) continue;
      c.SaveItem(e->Item);
      measureItems(*e->Item, true);
      c.LowerPageTo(e);
      c.Changed = true;
    }
  if (pageObjects)
    for (TQSCalcItem* e : c.View->SelectedPageElements()) {
      if (!e || !e->Item || !fresh(e->Item) || !pageObjects(*e->Item, false)) continue;
      c.SaveItem(e->Item);
      pageObjects(*e->Item, true);
      c.FromPage = std::min(c.FromPage, PageOfPageObject(*e->Item));
      c.Changed = true;
    }
  if (c.FromPage >= kNoAffectedPage) return;
  if (relayout) score.Recalculate(c.FromPage, -1);
  score.RefreshWindowsFrom(c.FromPage);
  score.FireChanged(&score);
}

// Text, page mark and lyric font fields, with the cached size reset.
template <class Pick>
bool PutTextField(TQSItem& item, bool store, bool compare, Pick pick) {
  bool r = false;
  if (auto* text = dynamic_cast<TQSText*>(&item)) {
    r = pick(text->Fields, text->FontName, store, compare);
    if (r && store) text->Fields.Width = text->Fields.Height = 0;
  } else if (auto* mark = dynamic_cast<TQSPageMark*>(&item)) {
    r = pick(mark->Fields, mark->FontName, store, compare);
    if (r && store) mark->Fields.Width = mark->Fields.Height = 0;
  } else if (auto* lyric = dynamic_cast<TQSLyric*>(&item); lyric && IsLyricKind(item.ItemType)) {
    r = pick(lyric->Fields, lyric->FontName, store, compare);
    if (r && store) lyric->Fields.Width = 0;
  }
  return r;
}

// A font attribute of texts, page marks and lyrics: compared on the
// selection, stored unconditionally on the edited item.
template <class Pick>
void ApplyFont(TQSScore& score, Pick pick, const TSetter& extraMeasureItems = nullptr, bool onEdited = true) {
  const TSetter lyrics = [=](TQSItem& item, bool store) {
    if (IsLyricKind(item.ItemType)) return PutTextField(item, store, true, pick);
    return extraMeasureItems ? extraMeasureItems(item, store) : false;
  };
  const TSetter pages = [=](TQSItem& item, bool store) {
    return (item.ItemType == kind::Text || item.ItemType == kind::PageMark) && PutTextField(item, store, true, pick);
  };
  const TSetter edited = [=](TQSItem& item, bool store) { return PutTextField(item, store, false, pick); };
  Apply(score, lyrics, pages, onEdited ? edited : TSetter{}, true);
}

bool IsColouredMark(TQSItemType k) {
  if ((k >= kind::Accolade && k <= kind::Meter) || (k >= kind::NoteRepeat && k <= kind::MultiRest) ||
      (k >= kind::Dynamics && k <= kind::Bracket) || (k >= kind::Vibrato && k <= kind::Breath) ||
      (k >= kind::Muting && k <= kind::Bowing) || (k >= kind::Staccato && k <= kind::Tremolo) ||
      (k >= kind::Hand && k <= kind::Coda) || (k >= kind::DaCapo && k <= kind::CompositionBegin))
    return true;
  switch (k) {
    case kind::Tempo: case kind::MeasureNumbering: case kind::Rehearsal: case kind::Dot: case kind::Accidental:
    case kind::Flageolet: case kind::BarreBracket: return true;
    default: return false;
  }
}

bool HasFontName(TQSItemType k) {
  switch (k) {
    case kind::Meter: case kind::MeasureNumbering: case kind::Rehearsal: case kind::Finger: case kind::StringNumber:
    case kind::Hammer: case kind::Barre: case kind::Flageolet: return true;
    default: return false;
  }
}

template <class T>
bool PutColor(TQSItem& item, TColor color, bool store) {
  auto* typed = dynamic_cast<T*>(&item);
  return typed && Put(typed->Fields.Color, color, store);
}

}  // namespace

void SetTextColor(TQSScore& score, TColor color) {
  const TSetter items = [=](TQSItem& item, bool store) {
    const TQSItemType k = item.ItemType;
    if (IsColouredMark(k)) return PutColor<TQSMark>(item, color, store);
    switch (k) {
      case kind::Note: return PutColor<TQSNote>(item, color, store);
      case kind::Pause: return PutColor<TQSPause>(item, color, store);
      case kind::Liga: return PutColor<TQSLiga>(item, color, store);
      case kind::Chord: return PutColor<TQSChord>(item, color, store);
      case kind::Lyric: case kind::Term: case kind::InstrumentName: return PutColor<TQSLyric>(item, color, store);
      case kind::Frame: return PutColor<TQSFrame>(item, color, store);
      case kind::Bend: return PutColor<TQSBend>(item, color, store);
      default: return false;
    }
  };
  const TSetter pages = [=](TQSItem& item, bool store) {
    return PutColor<TQSText>(item, color, store) || PutColor<TQSPageMark>(item, color, store);
  };
  const TSetter edited = [=](TQSItem& item, bool store) {
    return PutColor<TQSText>(item, color, store) || PutColor<TQSLyric>(item, color, store);
  };
  Apply(score, items, pages, edited, false);
}

void SetTextStyle(TQSScore& score, uint8_t style) {
  ApplyFont(score, [=](auto& f, std::string&, bool store, bool compare) {
    return Put(f.FontStyle, style, store, compare);
  });
}

void SetTextRotation(TQSScore& score, int angle) {
  ApplyFont(score, [=](auto& f, std::string&, bool store, bool compare) {
    return Put(f.Angle, static_cast<uint16_t>(angle), store, compare);
  }, nullptr, false);
}

void SetFontName(TQSScore& score, const std::string& name) {
  const TSetter marks = [=](TQSItem& item, bool store) {
    if (HasFontName(item.ItemType))
      if (auto* mark = dynamic_cast<TQSMark*>(&item)) return Put(mark->FontName, name, store);
    if (auto* chord = dynamic_cast<TQSChord*>(&item)) return Put(chord->FontName, name, store);
    return false;
  };
  ApplyFont(score, [=](auto&, std::string& font, bool store, bool compare) {
    return Put(font, name, store, compare);
  }, marks);
}

void SetFontSize(TQSScore& score, int size) {
  ApplyFont(score, [=](auto& f, std::string&, bool store, bool compare) {
    return Put(f.FontSize, static_cast<uint8_t>(size), store, compare);
  });
}

void SetTextAlignment(TQSScore& score, uint8_t align) {
  auto bits = [=](uint8_t& flags, bool store) {
    return Put(flags, static_cast<uint8_t>((flags & ~kAlignBits) | (align & kAlignBits)), store);
  };
  const TSetter lyrics = [=](TQSItem& item, bool store) {
    auto* lyric = dynamic_cast<TQSLyric*>(&item);
    return lyric && IsLyricKind(item.ItemType) && bits(lyric->Fields.Flags, store);
  };
  const TSetter texts = [=](TQSItem& item, bool store) {
    auto* text = dynamic_cast<TQSText*>(&item);
    return text && bits(text->Fields.Align, store);
  };
  const TSetter edited = [=](TQSItem& item, bool store) { return texts(item, store) || lyrics(item, store); };
  Apply(score, lyrics, texts, edited, true);
}

void SetLineStyle(TQSScore& score, uint8_t style) {
  const TSetter marks = [=](TQSItem& item, bool store) {
    const TQSItemType k = item.ItemType;
    auto* mark = dynamic_cast<TQSMark*>(&item);
    if (!mark || (k != kind::StringNumber && k != kind::Barre && k != kind::Flageolet)) return false;
    return Put(mark->LineStyle, style, store, false);
  };
  Apply(score, marks, ShapeSetter(false, [=](auto& f, bool store) { return Put(f.PenStyle, style, store); }),
        nullptr, true);
}

void SetLineWidth(TQSScore& score, int width) {
  Apply(score, nullptr,
        ShapeSetter(false, [=](auto& f, bool store) { return Put(f.LineWidth, static_cast<uint8_t>(width), store); }),
        nullptr, true);
}

void SetPointStyles(TQSScore& score, int styles) {
  const TSetter lines = [=](TQSItem& item, bool store) {
    auto* line = dynamic_cast<TQSLine*>(&item);
    return line && Put(line->Fields.Ends, static_cast<uint8_t>(styles), store);
  };
  Apply(score, nullptr, lines, nullptr, true);
}

void SetLineColor(TQSScore& score, TColor color) {
  const TSetter shapes = [=](TQSItem& item, bool store) {
    if (auto* line = dynamic_cast<TQSLine*>(&item)) return Put(line->Fields.Color, color, store);
    if (auto* rect = dynamic_cast<TQSRectangle*>(&item)) return Put(rect->Fields.LineColor, color, store);
    if (auto* arc = dynamic_cast<TQSArc*>(&item)) return Put(arc->Fields.LineColor, color, store);
    return false;
  };
  Apply(score, nullptr, shapes, nullptr, false);
}

void SetBrushColor(TQSScore& score, TColor color) {
  Apply(score, nullptr, ShapeSetter(true, [=](auto& f, bool store) {
    if constexpr (requires { f.FillColor; }) return Put(f.FillColor, color, store);
    return false;
  }), nullptr, false);
}

void SetBrushStyle(TQSScore& score, uint8_t style) {
  Apply(score, nullptr, ShapeSetter(true, [=](auto& f, bool store) {
    if constexpr (requires { f.FillStyle; }) return Put(f.FillStyle, style, store);
    return false;
  }), nullptr, false);
}

}  // namespace qs

namespace qs {

namespace {

// The stored page number of a page object that has one to change: dated
// page marks only, since page-number marks stand on every page.
uint16_t* PageField(TQSItem& item) {
  if (auto* text = dynamic_cast<TQSText*>(&item)) return &text->Fields.Page;
  if (auto* image = dynamic_cast<TQSImage*>(&item)) return &image->Fields.Page;
  if (auto* line = dynamic_cast<TQSLine*>(&item)) return &line->Fields.Page;
  if (auto* rect = dynamic_cast<TQSRectangle*>(&item)) return &rect->Fields.Page;
  if (auto* arc = dynamic_cast<TQSArc*>(&item)) return &arc->Fields.Page;
  if (auto* mark = dynamic_cast<TQSPageMark*>(&item); mark && mark->Fields.IsDate) return &mark->Fields.Page;
  return nullptr;
}

TQSItemList* PageObjectList(TQSScore& score, TQSItem& item) {
  if (item.Owner() == &score) return &score.Items;
  if (auto* part = dynamic_cast<TQSPart*>(item.Owner())) return &part->Items;
  return nullptr;
}

}  // namespace

void SetOnAllPages(TQSScore& score, uint8_t all) {
  TQSWindowLink* view = score.ActiveWindow();
  if (!view) return;
  const int cursorPage = view->CursorPosition.Page;
  int fromPage = kNoAffectedPage;
  for (TQSCalcItem* e : view->SelectedPageElements()) {
    TQSItem* item = e ? e->Item : nullptr;
    uint16_t* page = item ? PageField(*item) : nullptr;
    TQSItemList* list = item ? PageObjectList(score, *item) : nullptr;
    if (!page || !list || (all ? *page == 0 : *page != 0)) continue;
    const int from = list->IndexOf(item);
    if (from < 0) continue;
    if (all) {
      *page = 0;
      list->Move(from, 0);
      fromPage = 0;
    } else {
      *page = static_cast<uint16_t>(cursorPage + 1);
      int to = list->Count() - 1;
      for (int i = 0; i < list->Count(); ++i)
        if (i != from && list->Get(i)->PageNumber() > cursorPage) {
          to = i < from ? i : i - 1;
          break;
        }
      list->Move(from, to);
      fromPage = std::min(fromPage, cursorPage);
    }
  }
  if (fromPage >= kNoAffectedPage) return;
  score.Recalculate(fromPage, -1);
  score.RefreshWindowsFrom(fromPage);
  score.FireChanged(&score);
}

}  // namespace qs
