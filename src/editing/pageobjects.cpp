#include "editing/pageobjects.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <type_traits>

#include "base/stream.h"
#include "base/text.h"
#include "editing/command.h"
#include "layout/dynamics.h"
#include "layout/layout.h"
#include "platform/bitmap.h"
#include "platform/imagedecode.h"
#include "render/exportimage.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/pageobjects.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/tree.h"
#include "score/undo.h"
#include "uikit/language.h"

namespace qs {

namespace {

int16_t Coord(int v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); }
uint8_t Byte(int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }

// Where a new page object goes: the part under the cursor in the part
// view, else the score; nullptr when the part view has no part there.
TQSItemOwner* PageObjectOwner(TQSScore& score, TQSItemList*& list) {
  if (score.ViewStyle == TQSViewStyle::vsPart) {
    TQSPart* part = score.CurrentPart();
    if (!part) return nullptr;
    list = &part->Items;
    return part;
  }
  list = &score.Items;
  return &score;
}

// Begins editing a text just made, with the caret at the end of its last
// line and no selection.
void EditNewText(TQSWindowLink& view, TQSCalcItem* element, const std::vector<std::string>& lines) {
  if (!element) return;
  const int line = lines.empty() ? 0 : static_cast<int>(lines.size()) - 1;
  const int column = lines.empty() ? 0 : static_cast<int>(Utf8ToUtf16(lines.back()).size());
  view.EditSelection = {line, column, line, column, line, column};
  view.EditItemText(element);
}

// Makes a page object of kind k for the cursor's page, puts it before the
// first object of its page or a later one, lets fill set its fields, records
// it as inserted and lays out. nullptr without a view or owner.
template <class T, class Fill>
T* AddPageObject(TQSScore& score, TQSItemType k, uint8_t action, Fill&& fill) {
  TQSEditCommand cmd(score, action);
  if (!cmd.HasView()) return nullptr;
  TQSItemList* list = nullptr;
  TQSItemOwner* owner = PageObjectOwner(score, list);
  if (!owner) return nullptr;
  T* object = NewUnregisteredItem<T>(*owner, k);
  object->Fields.Page = static_cast<uint16_t>(cmd.Cursor().Page + 1);
  fill(*object);
  const int page = object->Fields.Page;
  int at = 0;
  while (at < list->Count() && list->Get(at)->PageNumber() < page) ++at;
  list->Insert(at, object);
  cmd.Open();
  score.SaveUndoItem(cmd.Record, object);
  score.Recalculate(cmd.FromPage, -1);
  if constexpr (std::is_same_v<T, TQSText>)
    EditNewText(*cmd.View, FindLayoutElement(score, object, cmd.FromPage), object->Lines);
  score.RefreshWindows();
  score.FireChanged(&score);
  return object;
}

template <class T>
void SetShape(T& f, int left, int top, int width, int height, int penWidth, uint32_t penColour, int penStyle,
              uint32_t fillColour, int fillStyle) {
  f.X = Coord(left);
  f.Y = Coord(top);
  f.Width = Coord(width);
  f.Height = Coord(height);
  f.LineWidth = Byte(penWidth);
  f.LineColor = penColour;
  f.PenStyle = Byte(penStyle);
  f.FillColor = fillColour;
  f.FillStyle = Byte(fillStyle);
}

// The messages of this file in the interface language, English when no
// language file serves them.
std::string Message(int index, const char* english) {
  if (TECLanguage* language = GlobalLanguage())
    if (const auto record = language->FindFormRecord("MPageObjects")) {
      std::string text = language->Data().Message(*record, index);
      if (!text.empty()) return text;
    }
  return english;
}

std::string WithFile(std::string text, const std::string& fileName) {
  if (const auto at = text.find("%s"); at != std::string::npos) text.replace(at, 2, fileName);
  return text;
}

// The staff texts of a verse: one above the highest verse of the lyric
// syllables of the staff at the tick.
int NextVerse(const TQSMeasure& m, int staff, int tick) {
  int highest = 0;
  bool any = false;
  for (TQSItem* item : m.Items)
    if (item->ItemType == kind::Lyric && StaffOf(item->StaffVoice()) == staff && item->TimePosition() == tick) {
      highest = std::max<int>(highest, static_cast<TQSLyric*>(item)->Fields.Verse);
      any = true;
    }
  return any ? highest + 1 : 0;
}

TQSLyric* NewStaffText(TQSMeasure& m, int k, int tick, uint8_t staffVoice) {
  auto* text = NewUnregisteredItem<TQSLyric>(m, static_cast<TQSItemType>(k));
  m.Items.Insert(TQSScore::FindItemInsertIndex(m, staffVoice, tick, 0), text);
  text->Fields.Time = static_cast<uint16_t>(tick);
  text->Fields.StaffVoice = staffVoice;
  return text;
}

void SetLook(TQSLyric& t, const std::string& fontName, int yOffset, uint8_t flags, int size, uint8_t style,
             uint32_t colour) {
  t.FontName = fontName;
  t.Fields.OffsetY = Coord(yOffset);
  t.Fields.Flags = flags;
  t.Fields.FontSize = Byte(size);
  t.Fields.FontStyle = style;
  t.Fields.Color = colour;
}

}  // namespace

TQSText* InsertText(TQSScore& score, int x, int y, const std::vector<std::string>& lines, const std::string& fontName,
                    int size, uint8_t style, uint32_t colour) {
  return AddPageObject<TQSText>(score, kind::Text, undoaction::TextInserted, [&](TQSText& t) {
    t.Fields.X = Coord(x);
    t.Fields.Y = Coord(y);
    t.Fields.FontSize = Byte(size);
    t.Fields.FontStyle = style;
    t.Fields.Color = colour;
    t.FontName = fontName;
    t.Lines = lines;
  });
}

TQSPageMark* InsertPageMark(TQSScore& score, int kind, int format, int x, int y, const std::string& fontName, int size,
                            uint8_t style, uint32_t colour) {
  return AddPageObject<TQSPageMark>(score, kind::PageMark, undoaction::MarkInserted, [&](TQSPageMark& m) {
    m.Fields.X = Coord(x);
    m.Fields.Y = Coord(y);
    m.Fields.IsDate = Byte(kind);
    // The page number stands on every page; a date on its own page.
    if (kind == 0) m.Fields.Page = 0;
    m.Fields.Format = Byte(format);
    m.Fields.FontSize = Byte(size);
    m.Fields.FontStyle = style;
    m.Fields.Color = colour;
    m.FontName = fontName;
  });
}

TQSLine* InsertLine(TQSScore& score, int x1, int y1, int x2, int y2, int penWidth, uint32_t colour, int penStyle,
                    uint8_t pointStyles) {
  return AddPageObject<TQSLine>(score, kind::Line, undoaction::ShapeInserted, [&](TQSLine& l) {
    l.Fields.X1 = Coord(x1);
    l.Fields.Y1 = Coord(y1);
    l.Fields.X2 = Coord(x2);
    l.Fields.Y2 = Coord(y2);
    l.Fields.Ends = pointStyles;
    l.Fields.LineWidth = Byte(penWidth);
    l.Fields.Color = colour;
    l.Fields.PenStyle = Byte(penStyle);
  });
}

TQSRectangle* InsertRectangle(TQSScore& score, int kind, int left, int top, int width, int height, int penWidth,
                              uint32_t penColour, int penStyle, uint32_t fillColour, int fillStyle) {
  const TQSItemType k = kind == kind::Ellipse ? kind::Ellipse : kind::Rectangle;
  return AddPageObject<TQSRectangle>(score, k, undoaction::ShapeInserted, [&](TQSRectangle& r) {
    SetShape(r.Fields, left, top, width, height, penWidth, penColour, penStyle, fillColour, fillStyle);
  });
}

TQSArc* InsertArc(TQSScore& score, int kind, int left, int top, int width, int height, int penWidth,
                  uint32_t penColour, int penStyle, uint32_t fillColour, int fillStyle) {
  const TQSItemType k = kind == kind::Pie || kind == kind::ChordSegment ? static_cast<TQSItemType>(kind) : kind::Arc;
  return AddPageObject<TQSArc>(score, k, undoaction::ShapeInserted, [&](TQSArc& a) {
    SetShape(a.Fields, left, top, width, height, penWidth, penColour, penStyle, fillColour, fillStyle);
    a.Fields.AX = Coord(left);
    a.Fields.AY = Coord(top);
    a.Fields.BX = Coord(left + width);
    a.Fields.BY = Coord(top + height);
  });
}

TQSImage* InsertImage(TQSScore& score, int x, int y, int width, int height, const TQSPicture& picture, bool centre,
                      bool stretch, bool transparent) {
  return AddPageObject<TQSImage>(score, kind::Image, undoaction::ImageInserted, [&](TQSImage& i) {
    i.Fields.X = Coord(x);
    i.Fields.Y = Coord(y);
    i.Fields.Width = Coord(width);
    i.Fields.Height = Coord(height);
    i.Picture.Assign(picture);
    i.Fields.Flags = static_cast<uint8_t>((centre ? TQSImage::kCenter : 0) | (stretch ? TQSImage::kStretch : 0) |
                                          (transparent ? TQSImage::kTransparent : 0));
  });
}

void LoadPictureFile(const std::string& fileName, TQSPicture& picture) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw EInvalidPicture(WithFile(Message(0, "The file \"%s\" could not be opened."), fileName));
  std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto starts = [&](std::initializer_list<uint8_t> magic) {
    return data.size() >= magic.size() && std::equal(magic.begin(), magic.end(), data.begin());
  };
  TQSGraphicType type = TQSGraphicType::None;
  if (starts({'B', 'M'})) type = TQSGraphicType::Bitmap;
  else if (starts({'G', 'I', 'F', '8'})) type = TQSGraphicType::Gif;
  else if (starts({0xFF, 0xD8, 0xFF})) type = TQSGraphicType::Jpeg;
  else if (starts({0, 0, 1, 0})) type = TQSGraphicType::Icon;
  const bool png = starts({0x89, 'P', 'N', 'G'});
  TBitmap check;
  if ((type == TQSGraphicType::None && !png) || !LoadBitmapFromBytes(check, data) || check.Width() <= 0 ||
      check.Height() <= 0)
    throw EInvalidPicture(WithFile(
        Message(1, "The file \"%s\" is not a picture that can be inserted (BMP, GIF, JPEG, PNG or ICO)."), fileName));
  if (png) {
    // Scores keep pictures as BMP, GIF, JPEG or icon bytes: a PNG goes in
    // as the bitmap it decodes to, pixel for pixel.
    TMemoryStream bmp;
    WriteBmpImage(bmp, check);
    data = bmp.Bytes();
    type = TQSGraphicType::Bitmap;
  }
  picture.LoadFromBytes(type, std::move(data));
}

TQSImage* InsertImageFile(TQSScore& score, int x, int y, const std::string& fileName, bool centre, bool stretch,
                          bool transparent) {
  TQSPicture picture;
  LoadPictureFile(fileName, picture);
  // Its own size in layout units (eighths of a pixel).
  return InsertImage(score, x, y, picture.Width() * 8, picture.Height() * 8, picture, centre, stretch, transparent);
}

TQSLyric* InsertLyric(TQSScore& score, int kind, const std::vector<std::string>& lines, const std::string& fontName,
                      int yOffset, uint8_t mode, int size, uint8_t style, uint32_t colour, bool startEditing) {
  score.ClearSelections();
  TQSEditCommand cmd(score, undoaction::LyricInserted);
  if (!cmd.HasView()) return nullptr;
  TQSWindowLink& view = *cmd.View;
  TQSLyric* last = nullptr;
  TQSMeasure* measure = nullptr;
  int tickInHand = 0;
  {
    THeldRecalculateEvent held(score);
    const uint8_t staffVoice = MakeStaffVoice(view.CursorPosition.Staff, 0);
    if (kind == kind::Lyric && mode == kLyricSyllables && lines.size() > 1) {
      std::vector<TQSLyric*> placed;
      int verse = 0;
      const TQSMeasure* previous = nullptr;
      for (size_t i = 0; i < lines.size(); ++i) {
        const TQSCursorPosition c = view.CursorPosition;
        TQSMeasure* m = cmd.EnsureMeasure(-1);
        if (!m) break;
        if (m != previous) {
          cmd.SaveMeasure(m);
          previous = m;
        }
        if (!measure) measure = m, tickInHand = c.Tick;
        verse = std::max(verse, NextVerse(*m, c.Staff, c.Tick));
        TQSLyric* syllable = NewStaffText(*m, kind::Lyric, c.Tick, staffVoice);
        SetLook(*syllable, fontName, yOffset, static_cast<uint8_t>(mode | (i > 0 ? TQSLyric::kHyphen : 0)), size,
                style, colour);
        syllable->Lines = {lines[i]};
        placed.push_back(syllable);
        last = syllable;
        if (i + 1 == lines.size()) break;
        view.MoveCursorRight(false, true);
        const TQSCursorPosition& n = view.CursorPosition;
        // A walk that wraps round into an earlier piece ends here.
        if (n.Piece < c.Piece) break;
        if (n.Piece == c.Piece && n.Part == c.Part && n.Measure == c.Measure && n.Tick == c.Tick) break;
      }
      for (TQSLyric* s : placed) s->Fields.Verse = Byte(verse);
    } else if (TQSMeasure* m = cmd.EnsureMeasure(-1)) {
      const TQSCursorPosition c = view.CursorPosition;
      measure = m, tickInHand = c.Tick;
      cmd.SaveMeasure(m);
      const int verse = NextVerse(*m, c.Staff, c.Tick);
      last = NewStaffText(*m, kind == kind::Term ? kind::Term : kind::Lyric, c.Tick, staffVoice);
      SetLook(*last, fontName, yOffset, mode, size, style, colour);
      last->Fields.Verse = Byte(verse);
      last->Lines = lines;
    }
    score.Recalculate(cmd.FromPage, -1);
    score.RefreshWindows();
    if (score.AutoVelocity && measure && measure->Part())
      CalcVelocities(*measure->Part(), measure->Index, tickInHand, true);
  }
  if (startEditing && last) EditNewText(view, FindLayoutElement(score, last, -1), last->Lines);
  score.RefreshWindows();
  score.FireChanged(&score);
  return last;
}

TQSLyric* InsertInstrumentName(TQSScore& score, const std::vector<std::string>& lines, const std::string& fontName,
                               int yOffset, int shortName, int size, uint8_t style, uint32_t colour) {
  score.ClearSelections();
  TQSEditCommand cmd(score, undoaction::InstrumentNameInserted);
  if (!cmd.HasView()) return nullptr;
  TQSLyric* name = nullptr;
  {
    THeldRecalculateEvent held(score);
    if (TQSPart* part = score.CurrentPart())
      if (TQSMeasure* m = cmd.EnsureMeasureIn(*part, 0)) {
        cmd.SaveMeasure(m);
        name = NewStaffText(*m, kind::InstrumentName, cmd.Cursor().Tick, 0);
        SetLook(*name, fontName, yOffset, shortName ? TQSLyric::kShortName : 0, size, style, colour);
        name->Lines = lines;
      }
    score.Recalculate(0, -1);
  }
  score.RefreshWindows();
  score.FireChanged(&score);
  return name;
}

TQSMIDIEvent* InsertMIDIEvent(TQSScore& score, int position, const uint8_t* data, int length) {
  score.ClearSelections();
  TQSEditCommand cmd(score, undoaction::MarkInserted);
  if (!cmd.HasView() || length < 0 || length > 0xFFFF || (length > 0 && !data)) return nullptr;
  TQSColumn* column = cmd.EnsureColumn(-1);
  if (!column) return nullptr;
  cmd.SaveColumn(column);
  auto* event = static_cast<TQSMIDIEvent*>(CreateItemByKind(kind::MidiEvent, column));
  event->Fields.Time = static_cast<int16_t>(position);
  event->SetData(data, static_cast<size_t>(length));
  score.Recalculate(cmd.FromPage, -1);
  score.FireChanged(&score);
  return event;
}

}  // namespace qs
