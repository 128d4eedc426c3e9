#include "score/page.h"

#include <algorithm>
#include <cmath>

#include "base/exceptions.h"
#include "base/mathutil.h"
#include "score/record.h"

namespace qs {

namespace {
// Width and height in millimetres, portrait, by TQSPaperSize ordinal.
struct TPaperMM {
  long double Width, Height;
};
constexpr TPaperMM kPaperMM[kPaperSizeCount] = {
    {0, 0},          // Default
    {215.9L, 279.4L},  // Letter
    {215.9L, 279.4L},  // LetterSmall
    {279.4L, 431.8L},  // Tabloid
    {431.8L, 279.4L},  // Ledger
    {215.9L, 355.6L},  // Ligal
    {139.7L, 215.9L},  // Statement
    {190.5L, 254.0L},  // Executive
    {297.0L, 420.0L},  // A3
    {210.0L, 297.0L},  // A4
    {210.0L, 297.0L},  // A4Small
    {148.0L, 210.0L},  // A5
    {250.0L, 354.0L},  // B4
    {182.0L, 257.0L},  // B5
    {215.9L, 330.2L},  // Folio
    {215.0L, 275.0L},  // Quarto
    {254.0L, 355.6L},  // qr10X14
    {279.4L, 431.8L},  // qr11X17
    {215.9L, 279.0L},  // Note
    {98.43L, 225.4L},  // Env9
    {104.8L, 241.3L},  // Env10
    {114.3L, 263.5L},  // Env11
    {101.6L, 279.4L},  // Env12
    {127.0L, 292.1L},  // Env14
    {100.0L, 100.0L},  // CSheet
    {100.0L, 100.0L},  // DSheet
    {100.0L, 100.0L},  // ESheet
    {0, 0},          // Custom
};

// No real paper is longer than 10 m, and no margin reaches further out.
constexpr long double kMaxTenths = 100000.0L;

long double ClampTenths(long double tenths) { return std::clamp(tenths, -kMaxTenths, kMaxTenths); }
}  // namespace

bool PaperSizeMM(TQSPaperSize size, long double& width, long double& height) {
  if (size == TQSPaperSize::Default || size == TQSPaperSize::Custom) return false;
  const TPaperMM& p = kPaperMM[static_cast<int>(size)];
  width = p.Width;
  height = p.Height;
  return true;
}

// ---------------------------------------------------------------- brush

void TQSBrush::SetColor(uint32_t color) {
  if (color == color_) return;
  color_ = color;
  Fire(OnChange, this);
}

void TQSBrush::SetStyle(TQSBrushStyle style) {
  if (style == style_) return;
  style_ = style;
  Fire(OnChange, this);
}

void TQSBrush::Assign(const TQSBrush& source) {
  color_ = source.color_;
  style_ = source.style_;
  Fire(OnChange, this);
}

// ---------------------------------------------------------------- page

void TQSPage::TFields::Visit(TBlockIO& b) {
  b.U32(Color);
  b.Ext(Width);
  b.Bytes(Pad14);
  b.Ext(Height);
  b.Bytes(Pad30);
  b.Ext(TopMargin);
  b.Bytes(Pad46);
  b.Ext(LeftMargin);
  b.Bytes(Pad62);
  b.Ext(RightMargin);
  b.Bytes(Pad78);
  b.Ext(BottomMargin);
  b.Bytes(Pad94);
  b.Ext(Interval);
  b.Bytes(Pad110);
  b.Ext(LineSpace);
  b.U8(Orientation);
  b.U8(PaperSize);
  b.U8(Metrix);
  b.Bytes(Pad129);
}

TQSPage::TQSPage(TQSPageOwner* score) : score_(score) {
  brush_.OnChange = [this](TObject*) { Refresh(); };
  picture_.OnChange = [this](TObject*) { Refresh(); };
}

void TQSPage::Relayout() {
  if (!score_) return;
  score_->Recalculate(0, -1);
  score_->RefreshWindowRulers();
  score_->RefreshWindows();
}

void TQSPage::Refresh() {
  if (score_) score_->RefreshWindows();
}

void TQSPage::SetColor(uint32_t color) {
  if (color == Fields.Color) return;
  Fields.Color = color;
  Refresh();
}

Extended* TQSPage::Slot(int index) {
  switch (index) {
    case dWidth:
      return &Fields.Width;
    case dHeight:
      return &Fields.Height;
    case dLeftMargin:
      return &Fields.LeftMargin;
    case dTopMargin:
      return &Fields.TopMargin;
    case dRightMargin:
      return &Fields.RightMargin;
    case dBottomMargin:
      return &Fields.BottomMargin;
    case dInterval:
      return &Fields.Interval;
    case dLineSpace:
      return &Fields.LineSpace;
    default:
      return nullptr;
  }
}

const Extended& TQSPage::Tenths(int index) const {
  static const Extended kZero;
  const Extended* p = const_cast<TQSPage*>(this)->Slot(index);
  return p ? *p : kZero;
}

long double TQSPage::GetDimension(int index) const {
  if (index < dWidth || index > dLineSpace) return 0;
  return TenthsToMetrix(Metrix(), Tenths(index).Value());
}

void TQSPage::SetDimension(int index, long double value) {
  Extended* slot = Slot(index);
  if (!slot || std::isnan(value)) return;
  if ((index == dWidth || index == dHeight) && PaperSize() != TQSPaperSize::Custom) return;
  const long double tenths = ClampTenths(MetrixToTenths(Metrix(), value));
  if (tenths == slot->Value()) return;
  *slot = tenths;
  if (!score_) return;
  score_->Recalculate(0, -1);
  score_->RefreshWindows();
}

TQSOrientation TQSPage::Orientation() const {
  return Fields.Orientation == 1 ? TQSOrientation::poLandscape : TQSOrientation::poPortrait;
}

void TQSPage::SetOrientation(TQSOrientation orientation) {
  if (orientation == Orientation()) return;
  Fields.Orientation = static_cast<uint8_t>(orientation);
  std::swap(Fields.Width, Fields.Height);
  Relayout();
}

TQSPaperSize TQSPage::PaperSize() const {
  return Fields.PaperSize < kPaperSizeCount ? static_cast<TQSPaperSize>(Fields.PaperSize) : TQSPaperSize::Custom;
}

void TQSPage::SetPaperSize(TQSPaperSize size) {
  if (static_cast<uint8_t>(size) == Fields.PaperSize) return;
  Fields.PaperSize = static_cast<uint8_t>(size);
  long double w, h;
  if (PaperSizeMM(size, w, h)) {
    if (Orientation() == TQSOrientation::poLandscape) std::swap(w, h);
    Fields.Width = w * 10;
    Fields.Height = h * 10;
  }
  Relayout();
}

TQSMetrix TQSPage::Metrix() const {
  return Fields.Metrix <= static_cast<uint8_t>(TQSMetrix::rmPixels) ? static_cast<TQSMetrix>(Fields.Metrix)
                                                                     : TQSMetrix::rmMM;
}

void TQSPage::SetMetrix(TQSMetrix metrix) {
  if (static_cast<uint8_t>(metrix) == Fields.Metrix) return;
  Fields.Metrix = static_cast<uint8_t>(metrix);
  if (score_) score_->RefreshWindowRulers();
}

int TQSPage::PixelWidth() const {
  return RoundPixels(TenthsToMetrix(TQSMetrix::rmPixels, Fields.Width.Value()), kMaxPagePixels);
}

int TQSPage::PixelHeight() const {
  return RoundPixels(TenthsToMetrix(TQSMetrix::rmPixels, Fields.Height.Value()), kMaxPagePixels);
}

void TQSPage::SwitchMetrix(TQSMetrix metrix) {
  savedMetrix_ = Metrix();
  Fields.Metrix = static_cast<uint8_t>(metrix);
}

void TQSPage::RestoreMetrix() { Fields.Metrix = static_cast<uint8_t>(savedMetrix_); }

void TQSPage::Assign(const TObject& source) {
  const auto* src = dynamic_cast<const TQSPage*>(&source);
  if (!src) RaiseAssignError(source.ClassName(), ClassName());
  if (src == this) return;
  brush_.Assign(src->brush_);
  picture_.Assign(src->picture_);
  Fields = src->Fields;
  surplus_ = src->surplus_;
  Relayout();
}

void TQSPage::SaveToStream(TStream& s) const {
  TRecordWriter w(s, 1);
  WriteFields(s, Fields, surplus_);
  w.Finish();
}

void TQSPage::LoadFromStream(TStream& s) {
  ReadRecord(s, [&](TRecordReader& r) {
    if (r.Has(1)) ReadFields(r, Fields, surplus_);
  });
  // A damaged file may hold any length (the layout would otherwise fill
  // pages kilometres long).
  LimitReadLengths();
}

void TQSPage::LimitReadLengths() {
  for (int index = dWidth; index <= dLineSpace; ++index) {
    Extended* slot = Slot(index);
    const long double v = slot->Value();
    if (std::isfinite(v) && ClampTenths(v) != v) *slot = ClampTenths(v);
  }
}

}  // namespace qs
