#include "editing/pageobjects.h"
#include "editing/command.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "editing_fixture.h"
#include "platform/bitmap.h"
#include "platform/imagedecode.h"
#include "platform/imagefile.h"
#include "render/exportimage.h"
#include "score/pageobjects.h"
#include "score/piece.h"
#include "score/undo.h"
#include "uikit/language.h"

using namespace qs;
using namespace qs::test;

namespace {

class PageObjectInsertTest : public TEditFixture {
 public:
  PageObjectInsertTest() {
    AddPiece({1}, 2);
    Cursor(0, 0);
  }
  static std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
  }
};

// A 1 x 1 bitmap picture.
const std::vector<uint8_t> kBmp = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0,
                                   0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                   0, 0, 0, 0, 0, 0, 0, 0, 255, 0};

struct TPageObjectCase {
  const char* Name;
  TQSItemType Kind;
  uint8_t Action;
  std::function<TQSItem*(TQSScore&)> Insert;
};

TEST_F(PageObjectInsertTest, EveryKindLandsOnTheCursorPageAndUndoesInOneStep) {
  TQSPicture picture;
  picture.LoadFromBytes(TQSGraphicType::Bitmap, kBmp);
  const TPageObjectCase cases[] = {
      {"text", kind::Text, undoaction::TextInserted,
       [](TQSScore& s) { return InsertText(s, 80, 96, {"Allegro", "ma non troppo"}, "Serif", 12, 1, 0xFF); }},
      {"date", kind::PageMark, undoaction::MarkInserted,
       [](TQSScore& s) { return InsertPageMark(s, 1, 3, 10, 20, "Sans", 9, 0, 0); }},
      {"page number", kind::PageMark, undoaction::MarkInserted,
       [](TQSScore& s) { return InsertPageMark(s, 0, 0, 10, 20, "Sans", 9, 0, 0); }},
      {"line", kind::Line, undoaction::ShapeInserted,
       [](TQSScore& s) { return InsertLine(s, 0, 0, 400, 80, 2, 0xFF00, 1, 0x12); }},
      {"rectangle", kind::Rectangle, undoaction::ShapeInserted,
       [](TQSScore& s) { return InsertRectangle(s, kind::Rectangle, 8, 8, 100, 50, 1, 0, 0, 0xFFFFFF, 1); }},
      {"ellipse", kind::Ellipse, undoaction::ShapeInserted,
       [](TQSScore& s) { return InsertRectangle(s, kind::Ellipse, 8, 8, 100, 50, 1, 0, 0, 0xFFFFFF, 1); }},
      {"arc", kind::Arc, undoaction::ShapeInserted,
       [](TQSScore& s) { return InsertArc(s, kind::Arc, 8, 8, 100, 50, 1, 0, 0, 0, 1); }},
      {"pie", kind::Pie, undoaction::ShapeInserted,
       [](TQSScore& s) { return InsertArc(s, kind::Pie, 8, 8, 100, 50, 1, 0, 0, 0, 1); }},
      {"chord segment", kind::ChordSegment, undoaction::ShapeInserted,
       [](TQSScore& s) { return InsertArc(s, kind::ChordSegment, 8, 8, 100, 50, 1, 0, 0, 0, 1); }},
      {"picture", kind::Image, undoaction::ImageInserted,
       [&](TQSScore& s) { return InsertImage(s, 16, 16, 8, 8, picture, true, false, true); }},
  };
  for (const TPageObjectCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Score.ClearUndo();
    View.CursorPosition.Page = 0;
    const std::vector<uint8_t> before = Saved();
    const int changed = Changed;
    TQSItem* object = c.Insert(Score);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->ItemType, c.Kind);
    EXPECT_EQ(object->PageNumber(), std::string(c.Name) == "page number" ? 0 : 1);
    EXPECT_EQ(Score.Items.IndexOf(object), 0);
    EXPECT_EQ(Changed, changed + 1);
    ASSERT_EQ(Score.UndoCount(), 1);
    EXPECT_EQ(Score.GetUndoRecord(0)->Action, c.Action);
    ExpectUndoRedo(before);
    Score.Undo(1);
    EXPECT_EQ(Score.ItemCount(), 0);
  }
}

TEST_F(PageObjectInsertTest, FieldsOfShapesAndPicturesAreSet) {
  auto* arc = InsertArc(Score, kind::Pie, 8, 16, 100, 50, 3, 0x10, 2, 0x20, 4);
  EXPECT_EQ(arc->Fields.AX, 8);
  EXPECT_EQ(arc->Fields.AY, 16);
  EXPECT_EQ(arc->Fields.BX, 108);
  EXPECT_EQ(arc->Fields.BY, 66);
  EXPECT_EQ(arc->Fields.LineWidth, 3);
  EXPECT_EQ(arc->Fields.FillStyle, 4);
  TQSPicture picture;
  picture.LoadFromBytes(TQSGraphicType::Bitmap, kBmp);
  auto* image = InsertImage(Score, 0, 0, 8, 8, picture, true, true, false);
  EXPECT_EQ(image->Fields.Flags, TQSImage::kCenter | TQSImage::kStretch);
  EXPECT_EQ(image->Picture.Data(), kBmp);
}

TEST_F(PageObjectInsertTest, ANewTextIsEditedAtOnce) {
  TQSText* text = InsertText(Score, 80, 96, {"Andante"}, "", 0, 0, 0);
  ASSERT_EQ(View.Edited.size(), 1u);
  ASSERT_NE(View.Edited[0], nullptr);
  EXPECT_EQ(View.Edited[0]->Item, text);
  // The caret stands after the text, with nothing selected.
  EXPECT_EQ(View.EditSelection, (std::array<int32_t, 6>{0, 7, 0, 7, 0, 7}));
}

TEST_F(PageObjectInsertTest, APageNumberStandsOnEveryPageADateOnItsOwn) {
  View.CursorPosition.Page = 2;
  EXPECT_EQ(InsertPageMark(Score, 0, 1, 0, 0, "", 8, 0, 0)->Fields.Page, 0);
  EXPECT_EQ(InsertPageMark(Score, 1, 1, 0, 0, "", 8, 0, 0)->Fields.Page, 3);
}

TEST_F(PageObjectInsertTest, ANewObjectGoesBeforeTheFirstOfItsPage) {
  for (int page : {0, 2, 4}) {
    View.CursorPosition.Page = page;
    InsertLine(Score, 0, 0, 8, 8, 1, 0, 0, 0);
  }
  View.CursorPosition.Page = 2;
  TQSText* text = InsertText(Score, 0, 0, {"x"}, "", 0, 0, 0);
  EXPECT_EQ(Score.Items.IndexOf(text), 1);
  EXPECT_EQ(Score.GetItem(2)->PageNumber(), 3);
}

TEST_F(PageObjectInsertTest, ThePartViewPutsObjectsIntoThePartsList) {
  Score.ViewStyle = TQSViewStyle::vsPart;
  const std::vector<uint8_t> before = Saved();
  TQSLine* line = InsertLine(Score, 0, 0, 8, 8, 1, 0, 0, 0);
  EXPECT_EQ(Part()->Items.IndexOf(line), 0);
  EXPECT_EQ(Score.ItemCount(), 0);
  ExpectUndoRedo(before);
}

TEST_F(PageObjectInsertTest, PictureFilesOfEveryKindAreInsertedAtTheirSize) {
  TBitmap bitmap(3, 2);
  bitmap.SetPixel(1, 1, 0x0000FF);
  const std::pair<const char*, std::function<void(TStream&)>> kinds[] = {
      {"three.bmp", [&](TStream& s) { WriteBmpImage(s, bitmap); }},
      {"three.gif", [&](TStream& s) { WriteGifImage(s, bitmap); }},
      {"three.jpg", [&](TStream& s) { WriteJpegImage(s, bitmap, 90, false); }},
  };
  for (const auto& [name, write] : kinds) {
    SCOPED_TRACE(name);
    TMemoryStream stream;
    write(stream);
    const std::vector<uint8_t> bytes = stream.Bytes();
    Score.ClearUndo();
    TQSImage* image = InsertImageFile(Score, 0, 0, WriteFile(name, bytes), false, false, false);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Picture.Data(), bytes);
    EXPECT_EQ(image->Fields.Width, 24);
    EXPECT_EQ(image->Fields.Height, 16);
    EXPECT_EQ(Score.GetUndoRecord(0)->Action, undoaction::ImageInserted);
  }
}

// A 3 x 2 icon of 32 bits per pixel: the directory, the bitmap header of
// the doubled height, the pixels bottom-up and the transparency mask.
std::vector<uint8_t> ThreeByTwoIcon() {
  std::vector<uint8_t> d;
  auto u16 = [&](int v) { d.push_back(v & 255), d.push_back((v >> 8) & 255); };
  auto u32 = [&](uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
  const uint32_t pixels = 3 * 2 * 4, mask = 2 * 4, size = 40 + pixels + mask;
  u16(0), u16(1), u16(1);
  d.push_back(3), d.push_back(2), d.push_back(0), d.push_back(0);
  u16(1), u16(32), u32(size), u32(22);
  u32(40), u32(3), u32(4), u16(1), u16(32), u32(0), u32(pixels + mask), u32(0), u32(0), u32(0), u32(0);
  for (uint32_t i = 0; i < pixels / 4; ++i) u32(0xFF0000FF);
  for (uint32_t i = 0; i < mask; ++i) d.push_back(0);
  return d;
}

TEST_F(PageObjectInsertTest, PngAndIconFilesAreInsertedAtTheirSize) {
  TBitmap bitmap(3, 2);
  bitmap.SetPixel(1, 1, 0x0000FF);
  const std::string png = ::testing::TempDir() + "three.png";
  SaveBitmapToPng(bitmap, png);
  const std::string ico = WriteFile("three.ico", ThreeByTwoIcon());
  for (const std::string& path : {png, ico}) {
    SCOPED_TRACE(path);
    TQSImage* image = InsertImageFile(Score, 0, 0, path, false, false, false);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Fields.Width, 24);
    EXPECT_EQ(image->Fields.Height, 16);
    // What the score keeps is a picture it can read back at that size.
    TBitmap back;
    ASSERT_TRUE(LoadBitmapFromBytes(back, image->Picture.Data()));
    EXPECT_EQ(back.Width(), 3);
    EXPECT_EQ(back.Height(), 2);
  }
}

TEST_F(PageObjectInsertTest, AnUnreadablePictureIsRefusedAndChangesNothing) {
  const std::vector<uint8_t> notAPicture = {'B', 'M', 'x', 'y'};
  const std::string broken = WriteFile("broken.bmp", notAPicture);
  const std::string missing = ::testing::TempDir() + "no-such-picture.jpg";
  for (const std::string& path : {broken, missing}) {
    SCOPED_TRACE(path);
    const std::vector<uint8_t> before = Saved();
    try {
      InsertImageFile(Score, 0, 0, path, false, false, false);
      ADD_FAILURE() << "not refused";
    } catch (const EInvalidPicture& e) {
      EXPECT_NE(e.Message().find(path), std::string::npos) << e.Message();
    }
    EXPECT_EQ(Saved(), before);
    EXPECT_EQ(Score.UndoCount(), 0);
  }
}

// The refusal speaks the interface language, from the language files
// built beside the programs.
TEST_F(PageObjectInsertTest, TheRefusalOfAPictureIsInTheInterfaceLanguage) {
  const std::string broken = WriteFile("refused.gif", {'G', 'I', 'F', '8', '9', 'a'});
  const std::string missing = ::testing::TempDir() + "no-such-picture.bmp";
  TComponent mainWindow(nullptr);
  auto* engine = new TECLanguage(&mainWindow);
  struct TCase {
    const char* Code;
    const char* Unreadable;  // a part of each message
    const char* NotAPicture;
  } const cases[] = {
      {"ENU", "could not be opened", "(BMP, GIF, JPEG, PNG or ICO)"},
      {"DEU", "konnte nicht geöffnet werden", "(BMP, GIF, JPEG, PNG oder ICO)"},
      {"FRA", "n'a pas pu être ouvert", "(BMP, GIF, JPEG, PNG ou ICO)"},
      {"ITA", "Impossibile aprire il file", "(BMP, GIF, JPEG, PNG o ICO)"},
      {"RUS", "Не удалось открыть файл", "(BMP, GIF, JPEG, PNG или ICO)"},
  };
  for (const TCase& c : cases) {
    engine->SetLanguage(c.Code);
    for (const auto& [path, part] : {std::pair{missing, c.Unreadable}, std::pair{broken, c.NotAPicture}}) {
      try {
        InsertImageFile(Score, 0, 0, path, false, false, false);
        ADD_FAILURE() << c.Code << ": accepted " << path;
      } catch (const EInvalidPicture& e) {
        const std::string message = e.Message();
        EXPECT_NE(message.find(part), std::string::npos) << c.Code << ": " << message;
        EXPECT_NE(message.find(path), std::string::npos) << c.Code << ": " << message;
      }
    }
  }
  EXPECT_EQ(Score.ItemCount(), 0);
}

TEST_F(PageObjectInsertTest, SyllablesGoOnSuccessiveEventsWithOneVerse) {
  TQSMeasure* m = Measure(0);
  for (int t : {0, 256, 512}) Note(m, t, 256);
  Rest(m, 768, 256);
  TQSLyric* old = NewUnregisteredItem<TQSLyric>(*m, kind::Lyric);
  m->Items.Insert(0, old);
  old->Fields.Verse = 2;
  Score.Recalculate(0);
  View.OnMoveRight = [&] { View.CursorPosition.Tick += 256; };
  const std::vector<uint8_t> before = Saved();
  TQSLyric* last = InsertLyric(Score, kind::Lyric, {"Glo", "ri", "a"}, "Serif", 40, kLyricSyllables, 11, 2, 0x80,
                               false);
  ASSERT_NE(last, nullptr);
  std::vector<TQSLyric*> syllables;
  for (TQSItem* item : m->Items)
    if (item->ItemType == kind::Lyric && item != old) syllables.push_back(static_cast<TQSLyric*>(item));
  ASSERT_EQ(syllables.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(syllables[i]->Fields.Time, 256 * i);
    EXPECT_EQ(syllables[i]->Fields.Verse, 3);
    EXPECT_EQ(syllables[i]->Fields.Flags & TQSLyric::kHyphen, i > 0 ? 1 : 0);
    EXPECT_EQ(syllables[i]->Fields.FontSize, 11);
    EXPECT_EQ(syllables[i]->Fields.OffsetY, 40);
  }
  EXPECT_EQ(last, syllables[2]);
  EXPECT_EQ(last->Lines, std::vector<std::string>{"a"});
  EXPECT_EQ(Score.GetUndoRecord(0)->Action, undoaction::LyricInserted);
  ExpectUndoRedo(before);
}

TEST_F(PageObjectInsertTest, ATermHoldsAllItsLinesAndCanBeEdited) {
  Cursor(1, 128);
  const std::vector<uint8_t> before = Saved();
  TQSLyric* term = InsertLyric(Score, kind::Term, {"cresc.", "poco a poco"}, "", -40, 0, 10, 2, 0, true);
  ASSERT_NE(term, nullptr);
  EXPECT_EQ(term->GetMeasure(), Measure(1));
  EXPECT_EQ(term->Fields.Time, 128);
  EXPECT_EQ(term->Lines.size(), 2u);
  ASSERT_EQ(View.Edited.size(), 1u);
  EXPECT_EQ(View.Edited[0]->Item, term);
  ExpectUndoRedo(before);
}

TEST_F(PageObjectInsertTest, AnInstrumentNameGoesIntoTheFirstMeasure) {
  Cursor(1, 0);
  const std::vector<uint8_t> before = Saved();
  TQSLyric* name = InsertInstrumentName(Score, {"Vl."}, "", 0, 1, 10, 0, 0);
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->ItemType, kind::InstrumentName);
  EXPECT_EQ(name->GetMeasure(), Measure(0));
  EXPECT_EQ(name->Fields.Flags, TQSLyric::kShortName);
  EXPECT_EQ(Score.GetUndoRecord(0)->Action, undoaction::InstrumentNameInserted);
  ExpectUndoRedo(before);
}

TEST_F(PageObjectInsertTest, AMIDIEventGoesIntoTheCursorsColumn) {
  Cursor(1, 0);
  const uint8_t data[] = {0xC0, 0x28};
  const std::vector<uint8_t> before = Saved();
  TQSMIDIEvent* event = InsertMIDIEvent(Score, 64, data, 2);
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(event->Owner(), Score.GetPiece(0)->GetColumn(1));
  EXPECT_EQ(event->Fields.Time, 64);
  EXPECT_EQ(event->Data, (std::vector<uint8_t>{0xC0, 0x28}));
  ExpectUndoRedo(before);
}

TEST_F(PageObjectInsertTest, WithoutAViewNothingIsMade) {
  Score.DetachWindow(&View);
  EXPECT_EQ(InsertLine(Score, 0, 0, 8, 8, 1, 0, 0, 0), nullptr);
  EXPECT_EQ(InsertLyric(Score, kind::Lyric, {"la"}, "", 0, 0, 0, 0, 0, false), nullptr);
  EXPECT_EQ(InsertMIDIEvent(Score, 0, nullptr, 0), nullptr);
  EXPECT_EQ(Score.ItemCount(), 0);
  Score.AttachWindow(&View);
}

}  // namespace
