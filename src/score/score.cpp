#include "score/score.h"

#include <algorithm>

#include "base/mathutil.h"
#include "score/measure.h"
#include "score/piece.h"
#include "score/tree.h"

namespace qs {

TQSScore::~TQSScore() { ClearPieces(); }

void TQSScore::FireQuietly(const TNotifyEvent& event, TObject* sender) noexcept {
  try {
    Fire(event, sender);
  } catch (...) {
    // The host's handler failed; the model goes on.
  }
}

void TQSScore::SetAutoJoin(uint8_t value) {
  if (AutoJoin == value) return;
  AutoJoin = value;
  FireChanged(this);
}

int TQSScore::HalfSpacePixels() const { return Round(PixelsPerInch * LineSpace / 254.0 / 2.0); }

int TQSScore::StaffDistancePixels() const {
  return Round((4 * LineSpace + Interval) * Scale / 100.0 * PixelsPerInch / 254.0);
}

TQSPiece* TQSScore::GetPiece(int index) const { return At(pieces_, index); }

void TQSScore::AppendPiece(TQSPiece* piece) {
  if (RegistrationSuspended) return;
  AppendNumbered(pieces_, piece);
  FireAddItemQuietly(piece);
}

void TQSScore::RemovePiece(TQSPiece* piece) {
  FireDeleteItemQuietly(piece);
  auto it = std::find(pieces_.begin(), pieces_.end(), piece);
  if (it != pieces_.end()) pieces_.erase(it);
}

TQSPiece* TQSScore::NewPiece() {
  auto* piece = new TQSPiece(this);
  Recalculate(std::max(0, LaidOutPages - 1), -1);
  RefreshWindows();
  return piece;
}

void TQSScore::RenumberPieces() { Renumber(pieces_); }

void TQSScore::ClearPieces() { FreeAll(pieces_); }

TQSWindowLink* TQSScore::GetWindow(int index) const { return At(windows_, index); }

void TQSScore::AttachWindow(TQSWindowLink* window) {
  windows_.push_back(window);
  window->Score = this;
  if (activeWindow_ < 0) activeWindow_ = 0;
}

void TQSScore::DetachWindow(TQSWindowLink* window) {
  auto it = std::find(windows_.begin(), windows_.end(), window);
  if (it == windows_.end()) return;
  windows_.erase(it);
  window->Score = nullptr;
}

TQSWindowLink* TQSScore::ActiveWindow() {
  if (windows_.empty()) return nullptr;
  activeWindow_ = Clamp(activeWindow_, 0, WindowCount() - 1);
  return windows_[static_cast<size_t>(activeWindow_)];
}

void TQSScore::RefreshWindows() {
  for (TQSWindowLink* w : windows_) w->InvalidatePages();
}

void TQSScore::Recalculate(int fromPage, int toPage) {
  if (LayoutPass) LayoutPass(fromPage, toPage);
}

void TQSScore::RecalculatePiece(int pieceIndex) {
  if (PieceLayoutPass) PieceLayoutPass(pieceIndex);
}

int TQSScore::FindItemInsertIndex(const TQSMeasure& measure, int staffVoice, int position, int startIndex) {
  const int count = measure.ItemCount();
  const bool allVoices = measure.AllVoices();
  for (int i = std::max(0, startIndex); i < count; ++i) {
    const TQSItem* item = measure.GetItem(i);
    if (!IsTimedItem(*item)) continue;
    int pos = item->TimePosition();
    int sv = item->StaffVoice();
    if (pos > position) return i;
    if (pos == position &&
        (allVoices || StaffOf(uint8_t(sv)) > StaffOf(uint8_t(staffVoice)) ||
         (StaffOf(uint8_t(sv)) == StaffOf(uint8_t(staffVoice)) && VoiceOf(uint8_t(sv)) > VoiceOf(uint8_t(staffVoice)))))
      return i;
  }
  return count;
}

}  // namespace qs
