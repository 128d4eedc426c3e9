#include "score/pageobjects.h"

#include "base/exceptions.h"
#include "score/record.h"

namespace qs {


// ---------------------------------------------------------------- text

void TQSText::TFields::Visit(TBlockIO& b) {
  b.I16(X);
  b.I16(Y);
  b.I16(Width);
  b.I16(Height);
  b.U16(Page);
  b.U8(Align);
  b.U8(FontSize);
  b.U8(FontStyle);
  b.Bytes(Further13);
  b.U32(Color);
  b.U16(Angle);
  b.Bytes(Further22);
}

TQSText::TQSText(TQSItemOwner* owner) : TQSItem(owner) { ItemType = kind::Text; }

TQSText::TAlignment TQSText::Alignment() const {
  switch ((Fields.Align >> 4) & 3) {
    case 1:
      return TAlignment::Center;
    case 2:
      return TAlignment::Right;
    default:
      return TAlignment::Left;
  }
}

void TQSText::Assign(const TQSItem& source) {
  if (&source == this) return;
  AssignBlock(*this, source);
  const TQSText& src = static_cast<const TQSText&>(source);
  FontName = src.FontName;
  Lines.insert(Lines.end(), src.Lines.begin(), src.Lines.end());
  Fields.Width = 0;
  Fields.Height = 0;
}

void TQSText::SaveToStream(TStream& s) const {
  TRecordWriter w(s, 3);
  WriteFields(s, Fields, BlockSurplus);
  WriteStreamWideStrings(s, Lines);
  WriteStreamString(s, FontName);
  w.Finish();
}

void TQSText::LoadFromStream(TStream& s) {
  ReadRecord(s, [&](TRecordReader& r) {
    if (r.Has(1)) ReadFields(r, Fields, BlockSurplus);
    if (r.Has(2)) {
      std::vector<std::string> lines;
      ReadRecordWideStrings(r, lines);
      Lines = std::move(lines);
    }
    if (r.Has(3)) FontName = ReadRecordString(r);
  });
}

// ---------------------------------------------------------------- page mark

void TQSPageMark::TFields::Visit(TBlockIO& b) {
  b.I16(X);
  b.I16(Y);
  b.I16(Width);
  b.I16(Height);
  b.U8(IsDate);
  b.U8(Further9);
  b.U16(Page);
  b.U8(Format);
  b.U8(FontSize);
  b.U8(FontStyle);
  b.U8(Further15);
  b.U32(Color);
  b.U16(Angle);
  b.Bytes(Further22);
}

TQSPageMark::TQSPageMark(TQSItemOwner* owner) : TQSItem(owner) { ItemType = kind::PageMark; }

void TQSPageMark::Assign(const TQSItem& source) {
  if (&source == this) return;
  AssignBlock(*this, source);
  FontName = static_cast<const TQSPageMark&>(source).FontName;
  Fields.Width = 0;
  Fields.Height = 0;
}

void TQSPageMark::SaveToStream(TStream& s) const {
  TRecordWriter w(s, 2);
  WriteFields(s, Fields, BlockSurplus);
  WriteStreamString(s, FontName);
  w.Finish();
}

void TQSPageMark::LoadFromStream(TStream& s) {
  ReadRecord(s, [&](TRecordReader& r) {
    if (r.Has(1)) ReadFields(r, Fields, BlockSurplus);
    if (r.Has(2)) FontName = ReadRecordString(r);
  });
}

// ---------------------------------------------------------------- image

void TQSImage::TFields::Visit(TBlockIO& b) {
  b.I16(X);
  b.I16(Y);
  b.I16(Width);
  b.I16(Height);
  b.U16(Page);
  b.U8(Flags);
  b.U8(Further11);
}

TQSImage::TQSImage(TQSItemOwner* owner) : TQSItem(owner) { ItemType = kind::Image; }

void TQSImage::Assign(const TQSItem& source) {
  if (&source == this) return;
  AssignBlock(*this, source);
  Picture.Assign(static_cast<const TQSImage&>(source).Picture);
}

void TQSImage::SaveToStream(TStream& s) const {
  TRecordWriter w(s, 2);
  WriteFields(s, Fields, BlockSurplus);
  WritePicture(s, Picture);
  w.Finish();
}

void TQSImage::LoadFromStream(TStream& s) {
  ReadRecord(s, [&](TRecordReader& r) {
    if (r.Has(1)) ReadFields(r, Fields, BlockSurplus);
    if (r.Has(2)) ReadPicture(s, Picture, r.End);
  });
}

// ---------------------------------------------------------------- line

void TQSLine::TFields::Visit(TBlockIO& b) {
  b.I16(X1);
  b.I16(Y1);
  b.I16(X2);
  b.I16(Y2);
  b.U16(Page);
  b.U8(Ends);
  b.U8(LineWidth);
  b.U32(Color);
  b.U8(PenStyle);
}

TQSLine::TQSLine(TQSItemOwner* owner) : TQSItem(owner) { ItemType = kind::Line; }

void TQSLine::Assign(const TQSItem& source) { AssignBlock(*this, source); }
void TQSLine::SaveToStream(TStream& s) const { WriteBlockRecord(s, 1, Fields, BlockSurplus); }
void TQSLine::LoadFromStream(TStream& s) { ReadBlockRecord(s, Fields, BlockSurplus); }

// ---------------------------------------------------------------- rectangle

void TQSRectangle::TFields::Visit(TBlockIO& b) {
  b.I16(X);
  b.I16(Y);
  b.I16(Width);
  b.I16(Height);
  b.U16(Page);
  b.U8(Further10);
  b.U8(LineWidth);
  b.U32(LineColor);
  b.U8(PenStyle);
  b.Bytes(Further17);
  b.U32(FillColor);
  b.U8(FillStyle);
}

TQSRectangle::TQSRectangle(TQSItemOwner* owner) : TQSItem(owner) {}

void TQSRectangle::Assign(const TQSItem& source) { AssignBlock(*this, source); }
void TQSRectangle::SaveToStream(TStream& s) const { WriteBlockRecord(s, 1, Fields, BlockSurplus); }
void TQSRectangle::LoadFromStream(TStream& s) { ReadBlockRecord(s, Fields, BlockSurplus); }

// ---------------------------------------------------------------- arc

void TQSArc::TFields::Visit(TBlockIO& b) {
  b.I16(X);
  b.I16(Y);
  b.I16(Width);
  b.I16(Height);
  b.I16(AX);
  b.I16(AY);
  b.I16(BX);
  b.I16(BY);
  b.U16(Page);
  b.U8(Further18);
  b.U8(LineWidth);
  b.U32(LineColor);
  b.U8(PenStyle);
  b.Bytes(Further25);
  b.U32(FillColor);
  b.U8(FillStyle);
}

TQSArc::TQSArc(TQSItemOwner* owner) : TQSItem(owner) {
  Fields.AX = Fields.X;
  Fields.AY = Fields.Y;
  Fields.BX = static_cast<int16_t>(Fields.X + Fields.Width);
  Fields.BY = static_cast<int16_t>(Fields.Y + Fields.Height);
}

void TQSArc::Assign(const TQSItem& source) { AssignBlock(*this, source); }
void TQSArc::SaveToStream(TStream& s) const { WriteBlockRecord(s, 1, Fields, BlockSurplus); }
void TQSArc::LoadFromStream(TStream& s) { ReadBlockRecord(s, Fields, BlockSurplus); }

// ---------------------------------------------------------------- user symbol

void TQSUserSymbol::TFields::Visit(TBlockIO& b) {
  b.I16(First);
  b.I16(Second);
}

void TQSUserSymbol::CopyItems(const std::vector<TQSItem*>& items) {
  // Copy from a snapshot: the source may be this symbol's own list.
  std::vector<TQSItem*> snapshot(items);
  for (TQSItem* src : snapshot) {
    TQSItem* copy = CreateItemByKind(src->ItemType, this);
    if (!copy) continue;
    Items.Add(copy);
    copy->Assign(*src);
  }
}

void TQSUserSymbol::CopyItems(const TQSItemList& items) {
  CopyItems(std::vector<TQSItem*>(items.begin(), items.end()));
}

void TQSUserSymbol::SaveToStream(TStream& s) const {
  TRecordWriter w(s, 2);
  WriteFields(s, Fields, BlockSurplus);
  WriteItemList(s, Items);
  w.Finish();
}

void TQSUserSymbol::LoadFromStream(TStream& s) {
  ReadRecord(s, [&](TRecordReader& r) {
    if (r.Has(1)) ReadFields(r, Fields, BlockSurplus);
    if (!r.Has(2)) return;
    uint16_t count = s.ReadU16();
    for (int i = 0; i < count; ++i) {
      if (s.Position() >= r.End) throw EReadError();  // the count promised more than the record holds
      TQSItemType k = s.ReadU8();
      TQSItem* item = CreateItemByKind(k, this);
      if (!item) {
        SkipRecord(s);
        continue;
      }
      Items.Add(item);  // owned before reading, so a damaged record loses nothing
      item->LoadFromStream(s);
    }
    EnsureInsideRecord(r);
  });
}

// ---------------------------------------------------------------- factory

TQSItem* CreatePageItem(TQSItemType k, TQSItemOwner* owner) {
  switch (k) {
    case kind::Text:
      return new TQSText(owner);
    case kind::Image:
      return new TQSImage(owner);
    case kind::Line:
      return new TQSLine(owner);
    case kind::Rectangle:
    case kind::Ellipse:
      return new TQSRectangle(owner);
    case kind::Arc:
    case kind::Pie:
    case kind::ChordSegment:
      return new TQSArc(owner);
    case kind::PageMark:
      return new TQSPageMark(owner);
    default:
      return nullptr;
  }
}

}  // namespace qs
