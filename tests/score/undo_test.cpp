#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "score/calcrecords.h"
#include "score/tree.h"
#include "score/undo.h"
#include "score/undoentries.h"
#include "score_fixture.h"

using namespace qs;
using namespace qs::test;

namespace {

// A view that also follows text editing, the cursor and the focus.
class TUndoView : public TLockedView {
 public:
  int Hidden = 0;  // hides not yet shown again
  int Focused = 0, Scrolled = 0, SelectionsCleared = 0;
  std::vector<TQSCalcItem*> Edited;
  void ShowCursor(bool show) override { Hidden += show ? -1 : 1; }
  void SetFocus() override { ++Focused; }
  void ScrollToCursor() override { ++Scrolled; }
  void ClearSelection() override { ++SelectionsCleared; }
  void EditItemText(TQSCalcItem* element) override { Edited.push_back(element); }
};

// Insertions at an index, the way the commands make them.
template <class T, class Owner>
T* InsertChild(Owner* owner, std::vector<T*>& list, int index) {
  owner->RegistrationSuspended = true;
  auto* child = new T(owner);
  owner->RegistrationSuspended = false;
  InsertAt(list, child, index);
  Renumber(list);
  return child;
}
TQSMeasure* InsertMeasure(TQSPart* part, int index) { return InsertChild(part, part->MeasureList(), index); }
TQSColumn* InsertColumn(TQSPiece* piece, int index) { return InsertChild(piece, piece->ColumnList(), index); }
template <class T>
T* InsertItem(TQSItemOwner* owner, TQSItemList& list, TQSItemType k, int index) {
  owner->RegistrationSuspended = true;
  auto* item = static_cast<T*>(CreateItemByKind(k, owner));
  owner->RegistrationSuspended = false;
  list.Insert(index, item);
  return item;
}
TQSItem* FirstOfKind(TQSMeasure* m, TQSItemType k) {
  for (TQSItem* item : m->Items)
    if (item->ItemType == k) return item;
  return nullptr;
}

class TUndoFixture : public TRichScoreFixture {
 public:
  TUndoView View;
  int UndoChanged = 0;

  TUndoFixture() {
    Score.AttachWindow(&View);
    Score.OnUndoChanged = [this](TObject*) { ++UndoChanged; };
  }
  ~TUndoFixture() { Score.DetachWindow(&View); }

  TQSPiece* PieceAt(int i) { return Score.GetPiece(i); }
  TQSPart* PartAt(int piece, int part) { return PieceAt(piece)->GetPart(part); }
  void CursorAt(int piece, int part, int staff = 0, int voice = 0, int measure = 0) {
    View.CursorPosition = {0, piece, part, measure, staff, voice, 0};
  }

};

// ---------------------------------------------------------------- one change of each kind

struct TChange {
  const char* Name;
  std::function<void(TUndoFixture&)> Command;
  std::function<void(TUndoFixture&)> Setup = nullptr;  // what the command finds
};

class UndoChangeTest : public ::testing::TestWithParam<TChange>, public TUndoFixture {};

// Each command opens its record, writes its entries and changes the score,
// as an editing command does.
const TChange kChanges[] = {
    {"NoteEntered",
     [](TUndoFixture& f) {
       TQSMeasure* m = f.PartAt(0, 1)->GetMeasure(2);
       f.Score.SaveUndoMeasure(f.Score.BeginUndo(undoaction::NoteEntered, ""), m, -1);
       f.Note(256, 128, 0x53, 0, -1, m);
     }},
    {"ItemErased",
     [](TUndoFixture& f) {
       TQSMeasure* m = f.PartAt(0, 0)->GetMeasure(0);
       f.Score.SaveUndoMeasure(f.Score.BeginUndo(undoaction::ItemErased, ""), m, -1);
       delete m->GetItem(1);
     }},
    {"ColumnMarkAndBreak",
     [](TUndoFixture& f) {
       TQSColumn* c = f.PieceAt(0)->GetColumn(1);
       f.Score.SaveUndoColumn(f.Score.BeginUndo(undoaction::MarkInserted, ""), c, -1);
       CreateItemByKind(kind::Segno, c);
       c->Fields.SystemBreak = 1;
     }},
    {"TextInserted",
     [](TUndoFixture& f) {
       auto* text = InsertItem<TQSText>(&f.Score, f.Score.Items, kind::Text, 0);
       text->Lines = {"new"};
       f.Score.SaveUndoItem(f.Score.BeginUndo(undoaction::TextInserted, ""), text);
     }},
    {"PageMarkInserted",
     [](TUndoFixture& f) {
       auto* mark = InsertItem<TQSPageMark>(&f.Score, f.Score.Items, kind::PageMark, 3);
       f.Score.SaveUndoItem(f.Score.BeginUndo(undoaction::MarkInserted, ""), mark);
     }},
    {"ImageInsertedInPartView",
     [](TUndoFixture& f) {
       TQSPart* part = f.PartAt(1, 0);
       auto* image = InsertItem<TQSImage>(part, part->Items, kind::Image, part->ItemCount());
       image->Picture.LoadFromBytes(TQSGraphicType::Bitmap, {'B', 'M', 9});
       f.Score.SaveUndoItem(f.Score.BeginUndo(undoaction::ImageInserted, ""), image);
     },
     [](TUndoFixture& f) {
       f.Score.ViewStyle = TQSViewStyle::vsPart;
       f.CursorAt(1, 0);
     }},
    {"BlockPasted",
     [](TUndoFixture& f) {
       TQSUndoRecord* r = f.Score.BeginUndo(undoaction::BlockPasted, "");
       TQSMeasure* m = f.PartAt(1, 0)->GetMeasure(0);
       f.Score.SaveUndoMeasure(r, m, -1);
       f.Note(384, 128, 0x44, 0, -1, m);
       auto* first = InsertItem<TQSLine>(&f.Score, f.Score.Items, kind::Line, 1);
       auto* second = InsertItem<TQSText>(&f.Score, f.Score.Items, kind::Text, 5);
       second->Lines = {"pasted"};
       f.Score.SaveUndoItem(r, first);
       f.Score.SaveUndoItem(r, second);
     }},
    {"SelectionDeleted",
     [](TUndoFixture& f) {
       TQSUndoRecord* r = f.Score.BeginUndo(undoaction::SelectionDeleted, "");
       TQSMeasure* m = f.PartAt(0, 0)->GetMeasure(1);
       f.Score.SaveUndoItem(r, f.Score.GetItem(2));
       f.Score.SaveUndoItem(r, f.Score.GetItem(4));
       f.Score.SaveUndoMeasure(r, m, -1);
       delete f.Score.GetItem(4);
       delete f.Score.GetItem(2);
       m->Clear();
     }},
    {"TextPropertiesChanged",
     [](TUndoFixture& f) {
       auto* text = static_cast<TQSText*>(f.Score.GetItem(0));
       f.Score.SaveUndoItem(f.Score.BeginUndo(undoaction::PropertiesChanged, ""), text);
       text->Lines = {"other", "lines", "now"};
       text->Fields.Color = 0xFF;
     }},
    {"LineMovedVertically",
     [](TUndoFixture& f) {
       auto* line = static_cast<TQSLine*>(f.Score.GetItem(2));
       f.Score.SaveUndoItem(f.Score.BeginUndo(undoaction::MovedVertically, ""), line);
       line->Fields.Y1 = 77;
       line->Fields.Y2 = 99;
     }},
    {"MeasuresInsertedInTwoParts",
     [](TUndoFixture& f) {
       TQSUndoRecord* r = f.Score.BeginUndo(undoaction::MeasuresInserted, "");
       for (int p = 0; p < 2; ++p) {
         TQSPart* part = f.PartAt(0, p);
         for (int i = 1; i <= 2; ++i) {
           TQSMeasure* m = InsertMeasure(part, i);
           f.Note(0, 512, 0x50, 0, -1, m);
           f.Score.SaveUndoMeasureEntry(r, m, undostructure::Inserted);
         }
       }
       for (int i = 1; i <= 2; ++i)
         f.Score.SaveUndoColumnEntry(r, InsertColumn(f.PieceAt(0), i), undostructure::Inserted);
     }},
    {"MeasuresDeletedInTwoParts",
     [](TUndoFixture& f) {
       TQSUndoRecord* r = f.Score.BeginUndo(undoaction::MeasuresDeleted, "");
       for (int p = 0; p < 2; ++p)
         for (int i = 0; i <= 1; ++i) {
           TQSMeasure* m = f.PartAt(0, p)->GetMeasure(i);
           f.Score.SaveUndoMeasureEntry(r, m, undostructure::Deleted);
           f.Score.SaveUndoMeasure(r, m, -1);
         }
       for (int i = 0; i <= 1; ++i) {
         TQSColumn* c = f.PieceAt(0)->GetColumn(i);
         f.Score.SaveUndoColumnEntry(r, c, undostructure::Deleted);
         f.Score.SaveUndoColumn(r, c, -1);
       }
       // A measure and a column after the deleted ones change too.
       TQSMeasure* later = f.PartAt(0, 0)->GetMeasure(2);
       f.Score.SaveUndoMeasure(r, later, -1);
       f.Score.SaveUndoColumn(r, f.PieceAt(0)->GetColumn(2), -1);
       for (int p = 0; p < 2; ++p)
         for (int i = 0; i <= 1; ++i) delete f.PartAt(0, p)->GetMeasure(0);
       for (int i = 0; i <= 1; ++i) delete f.PieceAt(0)->GetColumn(0);
       f.Note(0, 128, 0x57, 0, -1, later);
       f.PieceAt(0)->GetColumn(0)->Fields.SystemBreak = 1;
     }},
    {"TextEdited",
     [](TUndoFixture& f) {
       static TQSCalcItem element;
       auto* text = static_cast<TQSText*>(f.Score.GetItem(0));
       element.Item = text;
       text->LayoutLink = &element;
       f.View.EditSelection = {0, 1, 0, 3, 0, 3};
       f.Score.SaveUndoText(f.Score.BeginUndo(undoaction::TextEdit, "Sonata"), &element);
       text->Lines[0] = "Sonate";
       f.Score.ContinueUndo();
       text->Lines.push_back("!");
     }},
    {"LyricEdited",
     [](TUndoFixture& f) {
       static TQSCalcItem element;
       auto* lyric = static_cast<TQSLyric*>(FirstOfKind(f.PartAt(0, 1)->GetMeasure(1), kind::Lyric));
       element.Item = lyric;
       f.Score.SaveUndoText(f.Score.BeginUndo(undoaction::TextEdit, "la"), &element);
       lyric->Lines = {"lala"};
     }},
    {"InscriptionChangedInPartView",
     [](TUndoFixture& f) {
       TQSItem* term = f.PartAt(0, 0)->GetItem(0);
       f.Score.SaveUndoItem(f.Score.BeginUndo(undoaction::PropertiesChanged, ""), term);
       static_cast<TQSLyric*>(term)->Lines = {"dolce", "e cantabile"};
     },
     [](TUndoFixture& f) {
       f.Score.ViewStyle = TQSViewStyle::vsPart;
       f.CursorAt(0, 0);
     }},
    {"LyricEmptiedAndDeleted",
     [](TUndoFixture& f) {
       static TQSCalcItem element;
       TQSMeasure* m = f.PartAt(0, 0)->GetMeasure(1);
       auto* lyric = static_cast<TQSLyric*>(FirstOfKind(m, kind::Lyric));
       element.Item = lyric;
       TQSUndoRecord* r = f.Score.BeginUndo(undoaction::TextEditDelete, "la");
       f.Score.SaveUndoText(r, &element);
       lyric->Lines.clear();
       f.Score.SaveUndoMeasure(r, m, -1);
       delete lyric;
     }},
    {"PieceAdded",
     [](TUndoFixture& f) {
       f.Score.RegistrationSuspended = true;
       auto* piece = new TQSPiece(&f.Score);
       f.Score.RegistrationSuspended = false;
       InsertAt(f.Score.PieceList(), piece, 1);
       f.Score.RenumberPieces();
       piece->SetName("Scherzo");
       f.FillPart(piece->AddPart());
       f.CursorAt(1, 0);
       f.Score.SaveUndoPiece(f.Score.BeginUndo(undoaction::PieceAdded, ""), piece);
     }},
    {"PieceDeleted",
     [](TUndoFixture& f) {
       f.CursorAt(0, 0);
       f.Score.SaveUndoPiece(f.Score.BeginUndo(undoaction::PieceDeleted, ""), f.PieceAt(0));
       delete f.PieceAt(0);
       f.Score.RenumberPieces();
     }},
    {"PartAdded",
     [](TUndoFixture& f) {
       TQSPiece* piece = f.PieceAt(0);
       piece->RegistrationSuspended = true;
       auto* part = new TQSPart(piece);
       piece->RegistrationSuspended = false;
       piece->InsertPart(part, 1);
       f.FillPart(part);
       part->Name = "Flute";
       f.CursorAt(0, 1);
       f.Score.SaveUndoPart(f.Score.BeginUndo(undoaction::PartAdded, ""), part);
     }},
    {"PartDeleted",
     [](TUndoFixture& f) {
       f.CursorAt(0, 0);
       f.Score.SaveUndoPart(f.Score.BeginUndo(undoaction::PartDeleted, ""), f.PartAt(0, 0));
       delete f.PartAt(0, 0);
     }},
    {"StaffAddedBetween",
     [](TUndoFixture& f) {
       TQSPart* part = f.PartAt(0, 0);
       MapStaffVoices(*part, [](int sv) { return StaffOf(uint8_t(sv)) >= 1 ? sv + 0x10 : sv; });
       part->RegistrationSuspended = true;
       auto* staff = new TQSStaff(part);
       part->RegistrationSuspended = false;
       part->RegisterStaff(staff, 1);
       staff->NewVoice();
       staff->Fields.LineCount = 4;
       f.Note(128, 128, 0x55, 0x10, -1, part->GetMeasure(2));
       f.CursorAt(0, 0, 1);
       f.Score.SaveUndoStaff(f.Score.BeginUndo(undoaction::StaffAdded, ""), staff);
     }},
    {"StaffDeleted",
     [](TUndoFixture& f) {
       f.CursorAt(0, 1, 0);
       TQSStaff* staff = f.PartAt(0, 1)->GetStaff(0);
       f.Score.SaveUndoStaff(f.Score.BeginUndo(undoaction::StaffDeleted, ""), staff);
       f.Score.RemoveStaffItems(staff);
       delete staff;
     }},
    {"VoiceAddedBetween",
     [](TUndoFixture& f) {
       TQSPart* part = f.PartAt(0, 0);
       MapStaffVoices(*part, [](int sv) { return StaffOf(uint8_t(sv)) == 0 && VoiceOf(uint8_t(sv)) >= 1 ? sv + 1 : sv; });
       TQSStaff* staff = part->GetStaff(0);
       staff->RegistrationSuspended = true;
       auto* voice = new TQSVoice(staff);
       staff->RegistrationSuspended = false;
       staff->RegisterVoice(voice, 1);
       voice->Fields.Instrument = 40;
       f.Note(0, 256, 0x56, 0x01, -1, part->GetMeasure(0));
       f.CursorAt(0, 0, 0, 1);
       f.Score.SaveUndoVoice(f.Score.BeginUndo(undoaction::VoiceAdded, ""), voice);
     }},
    {"VoiceDeleted",
     [](TUndoFixture& f) {
       f.CursorAt(0, 0, 0, 0);
       TQSVoice* voice = f.PartAt(0, 0)->GetStaff(0)->GetVoice(0);
       f.Score.SaveUndoVoice(f.Score.BeginUndo(undoaction::VoiceDeleted, ""), voice);
       f.Score.RemoveVoiceItems(voice);
       delete voice;
     }},
};

TEST_P(UndoChangeTest, UndoRestoresTheBytesBeforeAndRedoTheBytesAfter) {
  if (GetParam().Setup) GetParam().Setup(*this);
  const std::vector<uint8_t> before = SavedScore();
  GetParam().Command(*this);
  const std::vector<uint8_t> after = SavedScore();
  ASSERT_NE(before, after);
  ASSERT_EQ(Score.UndoCount(), 1);

  Score.Undo(1);
  EXPECT_EQ(SavedScore(), before);
  EXPECT_EQ(Score.UndoCount(), 0);
  EXPECT_EQ(Score.RedoCount(), 1);
  Score.Redo(1);
  EXPECT_EQ(SavedScore(), after);
  // The records written by the replays replay again.
  Score.Undo(1);
  EXPECT_EQ(SavedScore(), before);
  Score.Redo(1);
  EXPECT_EQ(SavedScore(), after);
  EXPECT_EQ(View.Hidden, 0);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, UndoChangeTest, ::testing::ValuesIn(kChanges),
                         [](const ::testing::TestParamInfo<TChange>& info) { return info.param.Name; });

// ---------------------------------------------------------------- several steps

class UndoTest : public ::testing::Test, public TUndoFixture {};

TEST_F(UndoTest, SeveralRecordsAtOnceEachKeepTheirOwnMeasureShift) {
  // Two insertions into the same part, then a deletion: undoing them in one
  // call must take out exactly the measures each inserted.
  const std::vector<uint8_t> before = SavedScore();
  TQSPart* part = PartAt(0, 0);
  TQSMeasure* first = InsertMeasure(part, 1);
  Note(0, 512, 0x51, 0, -1, first);
  Score.SaveUndoMeasureEntry(Score.BeginUndo(undoaction::MeasuresInserted, ""), first, undostructure::Inserted);
  TQSUndoRecord* r = Score.BeginUndo(undoaction::MeasuresInserted, "");
  for (int i = 3; i <= 4; ++i) Score.SaveUndoMeasureEntry(r, InsertMeasure(part, i), undostructure::Inserted);
  r = Score.BeginUndo(undoaction::MeasuresDeleted, "");
  Score.SaveUndoMeasureEntry(r, part->GetMeasure(0), undostructure::Deleted);
  Score.SaveUndoMeasure(r, part->GetMeasure(0), -1);
  delete part->GetMeasure(0);
  const std::vector<uint8_t> after = SavedScore();

  UndoChanged = 0;
  Score.Undo(3);
  EXPECT_EQ(SavedScore(), before);
  EXPECT_EQ(Score.RedoCount(), 3);
  EXPECT_EQ(UndoChanged, 6);  // a mirror opened and a record dropped per step
  EXPECT_EQ(View.Focused, 1);
  EXPECT_EQ(View.SelectionsCleared, 1);
  EXPECT_EQ(View.Scrolled, 3);
  Score.Redo(3);
  EXPECT_EQ(SavedScore(), after);
}

TEST_F(UndoTest, ACountBeyondTheRecordsReplaysThemAll) {
  TQSText* text = static_cast<TQSText*>(Score.GetItem(0));
  const std::vector<uint8_t> before = SavedScore();
  for (int i = 0; i < 2; ++i) {
    Score.SaveUndoItem(Score.BeginUndo(undoaction::PropertiesChanged, ""), text);
    text->Fields.X = static_cast<int16_t>(text->Fields.X + 10);
  }
  Score.Undo(3);
  EXPECT_EQ(SavedScore(), before);
  EXPECT_FALSE(Score.CanUndo());
  EXPECT_EQ(Score.RedoCount(), 2);
  Score.Undo(1);  // nothing left
  EXPECT_EQ(Score.RedoCount(), 2);
}

TEST_F(UndoTest, ANewCommandAfterAnUndoLeavesTheRedoList) {
  TQSText* text = static_cast<TQSText*>(Score.GetItem(0));
  Score.SaveUndoItem(Score.BeginUndo(undoaction::PropertiesChanged, ""), text);
  text->Fields.X = 1;
  Score.Undo(1);
  Score.SaveUndoItem(Score.BeginUndo(undoaction::PropertiesChanged, ""), text);
  EXPECT_TRUE(Score.CanRedo());
  EXPECT_TRUE(Score.CanUndo());
}

TEST_F(UndoTest, RedoOfDeletedPageObjectRemovesItAgainAndUndoPutsItBack) {
  const std::vector<uint8_t> before = SavedScore();
  TQSItem* image = Score.GetItem(1);
  Score.SaveUndoItem(Score.BeginUndo(undoaction::SelectionDeleted, ""), image);
  delete image;
  const std::vector<uint8_t> after = SavedScore();
  for (int round = 0; round < 2; ++round) {
    Score.Undo(1);
    EXPECT_EQ(Score.GetItem(1)->ItemType, kind::Image);
    EXPECT_EQ(SavedScore(), before);
    Score.Redo(1);
    EXPECT_EQ(SavedScore(), after);
  }
}

TEST_F(UndoTest, TextEditingResumesWithTheFiledCaretAndSelection) {
  TQSCalcItem element;
  auto* text = static_cast<TQSText*>(Score.GetItem(0));
  element.Item = text;
  text->LayoutLink = &element;
  View.EditSelection = {1, 2, 3, 4, 5, 6};
  Score.SaveUndoText(Score.BeginUndo(undoaction::TextEdit, "Sonata"), &element);
  EXPECT_EQ(Score.GetUndoRecord(0)->Caption, "Sonata");
  text->Lines = {"x"};
  View.EditSelection = {9, 9, 9, 9, 9, 9};

  Score.Undo(1);
  EXPECT_EQ(text->Lines, (std::vector<std::string>{"Sonata", "für Klavier"}));
  EXPECT_EQ(View.EditSelection, (std::array<int32_t, 6>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(View.Edited, std::vector<TQSCalcItem*>{&element});
  EXPECT_EQ(Score.GetRedoRecord(0)->Caption, "");
  Score.Redo(1);
  EXPECT_EQ(text->Lines, std::vector<std::string>{"x"});
  EXPECT_EQ(View.EditSelection, (std::array<int32_t, 6>{9, 9, 9, 9, 9, 9}));
  EXPECT_EQ(View.Hidden, 0);
}

TEST_F(UndoTest, AnEntryFindingAnotherKindAtItsPlaceIsPassedOver) {
  // The entries name index 0, where a picture stands by now.
  TQSCalcItem element;
  element.Item = Score.GetItem(0);
  Score.SaveUndoText(Score.BeginUndo(undoaction::TextEdit, ""), &element);
  Score.SaveUndoItem(Score.BeginUndo(undoaction::PropertiesChanged, ""), Score.GetItem(0));
  delete Score.GetItem(0);
  const std::vector<uint8_t> now = SavedScore();
  Score.Undo(2);
  EXPECT_EQ(SavedScore(), now);
  EXPECT_TRUE(View.Edited.empty());
}

TEST_F(UndoTest, AMissingTargetEndsTheReplayAndKeepsTheOlderRecords) {
  Score.BeginUndo(undoaction::PropertiesChanged, "older");
  CursorAt(0, 0);
  Score.SaveUndoPart(Score.BeginUndo(undoaction::PartAdded, ""), PartAt(0, 0));
  Score.SaveUndoPart(Score.BeginUndo(undoaction::PartAdded, ""), PartAt(0, 0));
  delete PartAt(0, 0);
  delete PartAt(0, 0);  // the piece has no part left
  Score.Undo(1);        // the part entry has nothing at the cursor
  Score.Undo(5);
  EXPECT_EQ(Score.UndoCount(), 1);
  EXPECT_EQ(Score.GetUndoRecord(0)->Caption, "older");
  EXPECT_EQ(View.Hidden, 0);
}

TEST_F(UndoTest, WithoutAViewNothingIsRecordedButStructureAndNothingReplayed) {
  Score.DetachWindow(&View);
  TQSUndoRecord* r = Score.BeginUndo(undoaction::MeasuresDeleted, "");
  ASSERT_NE(r, nullptr);
  Score.SaveUndoMeasure(r, Measure, -1);
  Score.SaveUndoItem(r, Score.GetItem(0));
  Score.SaveUndoMeasureEntry(r, Measure, undostructure::Deleted);
  EXPECT_EQ(r->EntryCount, 0);
  EXPECT_EQ(r->Snapshot.Size(), 0);
  EXPECT_EQ(r->StructureCount, 1);
  Score.Undo(1);
  EXPECT_EQ(Score.UndoCount(), 1);
  Score.AttachWindow(&View);
}

// ---------------------------------------------------------------- lists

TEST_F(UndoTest, TheListsKeepTheirNewestRecordsWithinMaxUndo) {
  for (int i = 0; i < 20; ++i) Score.BeginUndo(undoaction::PropertiesChanged, std::to_string(i));
  ASSERT_EQ(Score.UndoCount(), 15);
  EXPECT_EQ(Score.GetUndoRecord(0)->Caption, "5");
  EXPECT_EQ(Score.GetUndoRecord(14)->Caption, "19");
  EXPECT_EQ(Score.GetUndoRecord(15), nullptr);
  EXPECT_EQ(Score.GetUndoRecord(-1), nullptr);
  for (int i = 0; i < 20; ++i) Score.Undo(1);
  EXPECT_EQ(Score.RedoCount(), 15);

  for (int i = 0; i < 20; ++i) Score.BeginRedo(undoaction::PropertiesChanged, std::to_string(i));
  ASSERT_EQ(Score.RedoCount(), 16);
  EXPECT_EQ(Score.GetRedoRecord(0)->Caption, "4");

  // The record just opened stays even when MaxUndo leaves no room.
  Score.SetMaxUndo(1);
  Score.BeginUndo(undoaction::PropertiesChanged, "gone");
  TQSUndoRecord* r = Score.BeginUndo(undoaction::PropertiesChanged, "kept");
  ASSERT_EQ(Score.UndoCount(), 1);
  EXPECT_EQ(Score.GetUndoRecord(0), r);
  Score.SaveUndoItem(r, Score.GetItem(0));
  EXPECT_EQ(r->EntryCount, 1);
}

TEST_F(UndoTest, SuspendedRecordingOpensNoRecord) {
  Score.SuspendUndo(true);
  Score.SuspendUndo(true);
  Score.SuspendUndo(false);
  TQSUndoRecord* r = Score.BeginUndo(undoaction::NoteEntered, "");
  EXPECT_EQ(r, nullptr);
  EXPECT_EQ(UndoChanged, 0);
  Score.SaveUndoMeasure(r, Measure, -1);
  Score.SaveUndoMeasureEntry(r, Measure, undostructure::Inserted);
  Score.SaveUndoText(r, nullptr);
  EXPECT_EQ(Score.UndoCount(), 0);
  Score.SuspendUndo(false);
  EXPECT_NE(Score.BeginUndo(undoaction::NoteEntered, ""), nullptr);
  EXPECT_EQ(UndoChanged, 1);
}

// ---------------------------------------------------------------- failures

TEST_F(UndoTest, AnEntryThatCannotBeWrittenIsCutOffAndTheRestStaysUsable) {
  auto* huge = static_cast<TQSText*>(Score.GetItem(0));
  auto* line = static_cast<TQSLine*>(Score.GetItem(2));
  huge->Lines = {std::string(70000, 'x')};  // more than a stored line can hold
  const std::vector<uint8_t> lineBefore = Saved(*line);
  TQSUndoRecord* r = Score.BeginUndo(undoaction::PropertiesChanged, "");
  Score.SaveUndoItem(r, line);
  const int64_t size = r->Snapshot.Size();
  Score.SaveUndoItem(r, huge);
  EXPECT_EQ(r->Snapshot.Size(), size);
  EXPECT_EQ(r->EntryCount, 1);
  line->Fields.X1 = 500;
  Score.Undo(1);
  EXPECT_EQ(Saved(*line), lineBefore);
}

TEST_F(UndoTest, ADamagedRecordRaisesChangesNothingAndIsDropped) {
  Score.BeginUndo(undoaction::PropertiesChanged, "older");
  auto* text = static_cast<TQSText*>(Score.GetItem(0));
  struct TDamage {
    const char* Name;
    size_t Offset;  // from the start of the entry
    int32_t Value;
  };
  // The entry's end field, and the length of the item's record (after the
  // entry's header, the item's index and its kind).
  const size_t recordAt = undoentry::kTaggedHeaderSize + 5;
  for (const TDamage& d : {TDamage{"end beyond the stream", 1, 100000}, TDamage{"end inside its header", 1, 3},
                           TDamage{"record longer than the entry", recordAt, 5000},
                           TDamage{"negative record length", recordAt, -8}}) {
    SCOPED_TRACE(d.Name);
    TQSUndoRecord* r = Score.BeginUndo(undoaction::PropertiesChanged, "");
    Score.SaveUndoItem(r, text);
    text->Lines = {"changed"};
    const std::vector<uint8_t> now = SavedScore();
    std::vector<uint8_t> bytes = r->Snapshot.Bytes();
    for (int i = 0; i < 4; ++i) bytes[d.Offset + i] = static_cast<uint8_t>(uint32_t(d.Value) >> (8 * i));
    r->Snapshot.Clear();
    r->Snapshot.WriteBytes(bytes);
    EXPECT_THROW(Score.Undo(1), EReadError);
    EXPECT_EQ(SavedScore(), now);
    EXPECT_EQ(Score.UndoCount(), 1);
    EXPECT_EQ(Score.GetUndoRecord(0)->Caption, "older");
    EXPECT_EQ(View.Hidden, 0);
  }
}

}  // namespace
