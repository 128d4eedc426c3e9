// The commands on the selection, one row each: the change on a small
// fixture, then undo gives back the score byte for byte and redo the
// changed one. (The commands with tests of their own check the same there.)
#include <gtest/gtest.h>

#include <functional>

#include "editing/appearance.h"
#include "editing/move.h"
#include "editing/notation.h"
#include "editing/properties.h"
#include "editing/resize.h"
#include "editing_fixture.h"
#include "score/pageobjects.h"
#include "score/picture.h"

namespace qs::test {
namespace {

class ChangeTable;

struct TRow {
  const char* name;
  // Builds the items, leaves those to select in Picked or PickedPage and
  // what the check reads in Made.
  std::function<void(ChangeTable&)> build;
  std::function<void(TQSScore&)> run;
  std::function<void(ChangeTable&)> check;
};
void PrintTo(const TRow& row, std::ostream* os) { *os << row.name; }

class ChangeTable : public TEditFixture, public ::testing::WithParamInterface<TRow> {
 public:
  std::vector<TQSItem*> Made, Picked, PickedPage;

  TQSMeasure* M() { return Measure(0); }
  template <class T = TQSItem>
  T* At(size_t i) {
    return static_cast<T*>(Made.at(i));
  }
  // Makes an item, remembered in Made and picked for the selection.
  template <class T>
  T* Make(TQSItemType k, TQSItemOwner* owner, bool pick = true) {
    auto* item = static_cast<T*>(CreateItemByKind(k, owner));
    Made.push_back(item);
    if (pick) (dynamic_cast<TQSScore*>(owner) ? PickedPage : Picked).push_back(item);
    return item;
  }
  TQSMark* Mark(TQSItemType k, int time = 0) {
    auto* mark = Make<TQSMark>(k, M());
    mark->Fields.Time = static_cast<uint16_t>(time);
    return mark;
  }
  template <class T>
  T* PageObject(TQSItemType k) {
    T* object = Make<T>(k, &Score);
    object->Fields.Page = 1;
    return object;
  }
  TQSNote* PlainNote(int time, int length, uint8_t pitch = 0x52, bool pick = true) {
    TQSNote* note = Note(M(), time, length, pitch);
    Made.push_back(note);
    if (pick) Picked.push_back(note);
    return note;
  }
};

TEST_P(ChangeTable, IsUndoneAndRedoneByteExact) {
  AddPiece({1}, 1);
  GetParam().build(*this);
  Score.Recalculate(0);
  for (TQSItem* item : Picked) {
    ASSERT_NE(ElementOfItem(item), nullptr) << "kind " << int(item->ItemType) << " is not laid out";
    View.Selected.push_back(ElementOfItem(item));
  }
  for (TQSItem* item : PickedPage) {
    ASSERT_NE(ElementOfItem(item), nullptr) << "kind " << int(item->ItemType) << " is not laid out";
    View.SelectedPage.push_back(ElementOfItem(item));
  }
  const std::vector<uint8_t> before = Saved();
  Changed = 0;
  GetParam().run(Score);
  EXPECT_EQ(Changed, 1);
  GetParam().check(*this);
  ExpectUndoRedo(before);
}

// A pixel step at the fixture's zoom of 100 %.
constexpr int kStep = 8;

const TRow kRows[] = {
    {"MoveVerticalStepsANoteDownAndARestAndAMarkByThePixelStep",
     [](ChangeTable& t) {
       t.PlainNote(0, 256);
       t.Made.push_back(ChangeTable::Rest(t.M(), 256, 256));
       t.Picked.push_back(t.Made.back());
       t.Mark(kind::Dynamics);
     },
     [](TQSScore& s) { MoveVertical(s, 1); },
     [](ChangeTable& t) {
       EXPECT_EQ(t.At<TQSNote>(0)->Fields.Pitch, 0x51);
       EXPECT_EQ(t.At<TQSPause>(1)->Fields.OffsetY, kStep);
       EXPECT_EQ(t.At<TQSMark>(2)->Fields.OffsetY, kStep);
     }},
    {"MoveHorizontalShiftsAMarkAndATextByThePixelStep",
     [](ChangeTable& t) {
       t.PlainNote(0, 512, 0x52, false);
       t.Mark(kind::Dynamics);
       TQSText* text = t.PageObject<TQSText>(kind::Text);
       text->Lines = {"text"};
       text->Fields.X = 100;
     },
     [](TQSScore& s) { MoveHorizontal(s, -1); },
     [](ChangeTable& t) {
       EXPECT_EQ(t.At<TQSMark>(1)->Fields.OffsetX, -kStep);
       EXPECT_EQ(t.At<TQSText>(2)->Fields.X, 100 - kStep);
     }},
    {"AlignVerticalGivesTheMarksTheFirstOnesHorizontalOffset",
     [](ChangeTable& t) {
       t.PlainNote(0, 512, 0x52, false);
       t.Mark(kind::Dynamics)->Fields.OffsetX = 10;
       t.Mark(kind::Fermata)->Fields.OffsetX = 30;
     },
     [](TQSScore& s) { AlignVertical(s); },
     [](ChangeTable& t) { EXPECT_EQ(t.At<TQSMark>(2)->Fields.OffsetX, 10); }},
    {"MoveBeamLengthensAStemUp",
     [](ChangeTable& t) { t.PlainNote(0, 512); },
     [](TQSScore& s) { MoveBeam(s, -1); },
     [](ChangeTable& t) { EXPECT_EQ(t.At<TQSNote>(0)->Fields.StemLength, 21); }},
    {"UnionNotePairUnitesTwoEighths",
     [](ChangeTable& t) {
       t.PlainNote(0, 64);
       t.PlainNote(64, 64, 0x52, false);
       ChangeTable::Rest(t.M(), 128, 384);
     },
     [](TQSScore& s) { UnionNotePair(s, 0); },
     [](ChangeTable& t) { EXPECT_EQ(ChangeTable::Timeline(t.M()), "N0+128 R128+384"); }},
    {"ChangeFretRaisesATablatureNote",
     [](ChangeTable& t) {
       TQSStaff* staff = t.Part()->GetStaff(0);
       staff->SetTablature(true);
       staff->SetLineCount(6);
       staff->SetTuning(0, 64);
       TQSNote* note = t.PlainNote(0, 512);
       note->Fields.TabFret = 3;
       note->SetMidiKey(66);
     },
     [](TQSScore& s) { ChangeFret(s, 1); },
     [](ChangeTable& t) {
       EXPECT_EQ(t.At<TQSNote>(0)->Fields.TabFret, 4);
       EXPECT_EQ(t.At<TQSNote>(0)->SoundingKey, 67);
     }},
    {"ChangeItemValueStepsAnArpeggioAndAPictureHeight",
     [](ChangeTable& t) {
       t.PlainNote(0, 512, 0x52, false);
       t.Mark(kind::Arpeggio)->Fields.Value = 10;
       auto* image = t.PageObject<TQSImage>(kind::Image);
       image->Fields.Width = image->Fields.Height = 80;
     },
     [](TQSScore& s) { ChangeItemValue(s, 1); },
     [](ChangeTable& t) {
       EXPECT_EQ(t.At<TQSMark>(1)->Fields.Value, 11);
       EXPECT_EQ(t.At<TQSImage>(2)->Fields.Height, 80 + kStep);
     }},
    {"ChangeSizeWidensARectangle",
     [](ChangeTable& t) {
       auto* rect = t.PageObject<TQSRectangle>(kind::Rectangle);
       rect->Fields.Width = rect->Fields.Height = 80;
     },
     [](TQSScore& s) { ChangeSize(s, -1); },
     [](ChangeTable& t) { EXPECT_EQ(t.At<TQSRectangle>(0)->Fields.Width, 80 - kStep); }},
    {"SetTextStyleOnALyricResetsItsWidth",
     [](ChangeTable& t) {
       t.PlainNote(0, 512, 0x52, false);
       auto* lyric = t.Make<TQSLyric>(kind::Lyric, t.M());
       lyric->Lines = {"la"};
       lyric->Fields.Width = 77;
     },
     [](TQSScore& s) { SetTextStyle(s, 1); },
     [](ChangeTable& t) { EXPECT_EQ(t.At<TQSLyric>(1)->Fields.FontStyle, 1); }},
    {"SetTextRotationTurnsAText",
     [](ChangeTable& t) { t.PageObject<TQSText>(kind::Text)->Lines = {"text"}; },
     [](TQSScore& s) { SetTextRotation(s, 90); },
     [](ChangeTable& t) { EXPECT_EQ(t.At<TQSText>(0)->Fields.Angle, 90); }},
    {"SetFontNameOnAFingering",
     [](ChangeTable& t) {
       t.PlainNote(0, 512, 0x52, false);
       t.Mark(kind::Finger);
     },
     [](TQSScore& s) { SetFontName(s, "Serif"); },
     [](ChangeTable& t) { EXPECT_EQ(t.At<TQSMark>(1)->FontName, "Serif"); }},
    {"SetTextAlignmentCentresALyric",
     [](ChangeTable& t) {
       t.PlainNote(0, 512, 0x52, false);
       auto* lyric = t.Make<TQSLyric>(kind::Lyric, t.M());
       lyric->Lines = {"la"};
       lyric->Fields.Flags = 0x01;
     },
     [](TQSScore& s) { SetTextAlignment(s, 16); },
     [](ChangeTable& t) { EXPECT_EQ(t.At<TQSLyric>(1)->Fields.Flags, 0x11); }},
    {"SetLineStyleOnABarreAndALine",
     [](ChangeTable& t) {
       t.PlainNote(0, 512, 0x52, false);
       t.Mark(kind::Barre)->Fields.Value = 256;
       t.PageObject<TQSLine>(kind::Line)->Fields.X2 = 100;
     },
     [](TQSScore& s) { SetLineStyle(s, 1); },
     [](ChangeTable& t) {
       EXPECT_EQ(t.At<TQSMark>(1)->LineStyle, 1);
       EXPECT_EQ(t.At<TQSLine>(2)->Fields.PenStyle, 1);
     }},
    {"SetPointStylesGivesALineItsEnds",
     [](ChangeTable& t) { t.PageObject<TQSLine>(kind::Line)->Fields.X2 = 100; },
     [](TQSScore& s) { SetPointStyles(s, 0x12); },
     [](ChangeTable& t) { EXPECT_EQ(t.At<TQSLine>(0)->Fields.Ends, 0x12); }},
    {"SetLineColorOnARectangle",
     [](ChangeTable& t) { t.PageObject<TQSRectangle>(kind::Rectangle)->Fields.Width = 80; },
     [](TQSScore& s) { SetLineColor(s, 0x112233); },
     [](ChangeTable& t) { EXPECT_EQ(t.At<TQSRectangle>(0)->Fields.LineColor, 0x112233u); }},
    {"SetBrushColorOnAnEllipse",
     [](ChangeTable& t) { t.PageObject<TQSRectangle>(kind::Ellipse)->Fields.Width = 80; },
     [](TQSScore& s) { SetBrushColor(s, 0x00FF00); },
     [](ChangeTable& t) { EXPECT_EQ(t.At<TQSRectangle>(0)->Fields.FillColor, 0x00FF00u); }},
    {"SetBrushStyleOnARectangle",
     [](ChangeTable& t) { t.PageObject<TQSRectangle>(kind::Rectangle)->Fields.Width = 80; },
     [](TQSScore& s) { SetBrushStyle(s, 3); },
     [](ChangeTable& t) { EXPECT_EQ(t.At<TQSRectangle>(0)->Fields.FillStyle, 3); }},
    {"SetSelectedImageResizesAPicture",
     [](ChangeTable& t) {
       auto* image = t.PageObject<TQSImage>(kind::Image);
       image->Fields.Width = image->Fields.Height = 80;
     },
     [](TQSScore& s) { SetSelectedImage(s, 160, 120, TQSPicture(), 1); },
     [](ChangeTable& t) {
       EXPECT_EQ(t.At<TQSImage>(0)->Fields.Width, 160);
       EXPECT_EQ(t.At<TQSImage>(0)->Fields.Height, 120);
       EXPECT_EQ(t.At<TQSImage>(0)->Fields.Flags, 1);
     }},
    {"SetSelectedVorschlagSetsTheGroupOfASelectedGraceNote",
     [](ChangeTable& t) {
       t.PlainNote(0, 512, 0x52, false);
       auto* group = t.Make<TQSVorschlag>(kind::Vorschlag, t.M(), false);
       auto* grace = t.Make<TQSNote>(kind::Note, group);
       grace->Fields.Pitch = 0x53;
       grace->Fields.Length = grace->Fields.RealLength = 64;
     },
     [](TQSScore& s) { SetSelectedVorschlag(s, 0x11, 32, 3); },
     [](ChangeTable& t) {
       const auto& f = t.At<TQSVorschlag>(1)->Fields;
       EXPECT_EQ(f.Flags, 0x11);
       EXPECT_EQ(f.Duration, 32);
       EXPECT_EQ(f.Spacing, 3);
     }},
    {"SetSelectedBarreAndFlajoletSetTheirFretAndStyle",
     [](ChangeTable& t) {
       t.PlainNote(0, 512, 0x52, false);
       t.Mark(kind::Barre)->Fields.Value = 256;
     },
     [](TQSScore& s) {
       SetSelectedBarre(s, 5, 0x13, 1);
       SetSelectedFlajolet(s, 7, 1, 1);  // nothing of its kind selected: no change
     },
     [](ChangeTable& t) {
       const TQSMark* barre = t.At<TQSMark>(1);
       EXPECT_EQ(barre->Fields.Kind, 5);
       EXPECT_EQ(barre->Fields.Style, 0x13);
       EXPECT_EQ(barre->LineStyle, 1);
     }},
    {"SetSelectedFlajoletSetsItsFretAndContinuation",
     [](ChangeTable& t) {
       t.PlainNote(0, 512, 0x52, false);
       t.Mark(kind::Flageolet)->Fields.Value = 256;
     },
     [](TQSScore& s) { SetSelectedFlajolet(s, 7, 1, 3); },
     [](ChangeTable& t) {
       const TQSMark* mark = t.At<TQSMark>(1);
       EXPECT_EQ(mark->Fields.Kind, 7);
       EXPECT_EQ(mark->Fields.Style, 1);
       EXPECT_EQ(mark->LineStyle, 3);
     }},
};

INSTANTIATE_TEST_SUITE_P(Commands, ChangeTable, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<TRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qs::test
