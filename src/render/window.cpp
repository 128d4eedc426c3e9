#include "render/window.h"

#include "platform/gui.h"
#include "score/calcrecords.h"
#include "score/piece.h"
#include "score/score.h"

namespace qs {

TQSPageView::TQSPageView() : ScreenPixelsPerInch(qs::ScreenPixelsPerInch()) {}

TQSPageView::~TQSPageView() {
  if (Score) Score->DetachWindow(this);
}

TQSSelPiece* TQSPageView::FindSelPiece(const TQSPiece* piece) const {
  for (const auto& sel : SelPieces)
    if (sel && sel->Piece == piece) return sel.get();
  return nullptr;
}

std::vector<TQSCalcItem*> TQSPageView::SelectedMeasureElements() const {
  std::vector<TQSCalcItem*> out;
  for (const auto& sel : SelPieces)
    if (sel)
      for (const TQSSelList& list : sel->Measures) out.insert(out.end(), list.begin(), list.end());
  return out;
}

void TQSPageView::UnselectElement(TQSCalcItem* element) {
  if (!element) return;
  for (const auto& sel : SelPieces)
    if (sel)
      for (TQSSelList& list : sel->Measures) std::erase(list, element);
}

int TQSPageView::CursorSystemIndex() const {
  if (!Score) return 0;
  const TQSPiece* piece = Score->GetPiece(CursorPosition.Piece);
  if (!piece || CursorPosition.Measure < 0 || CursorPosition.Measure >= static_cast<int>(piece->Slots.size()))
    return 0;
  const auto* slot = dynamic_cast<const TQSCalcMeasure*>(piece->Slots[static_cast<size_t>(CursorPosition.Measure)]);
  return slot && slot->System ? slot->System->Number : 0;
}

void TQSPageView::InvalidatePages() { PagesRepaintPending = Score && Score->Updating(); }

}  // namespace qs
