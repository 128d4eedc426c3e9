#include <gtest/gtest.h>

#include <vector>

#include "tree_fixture.h"

using namespace qs;
using namespace qs::test;

namespace {

class PieceTest : public ::testing::Test, public TTreeFixture {
 protected:
  // Fills the piece: a full part, a second small one and two columns.
  void FillPiece() {
    FillPart(Part);
    Piece->AddPart()->Name = "Bass";
    TQSColumn* first = Piece->AddColumn();
    auto* meter = static_cast<TQSMark*>(CreateItemByKind(kind::Meter, first));
    meter->Fields.Value = MakeMeter(3, 4);
    first->Fields.Meter = MakeMeter(3, 4);
    first->Spacing = {0, 8, 8};
    TQSColumn* second = Piece->AddColumn();
    second->Fields.PageBreak = 3;
    second->Fields.Further0[2] = 5;
    CreateItemByKind(kind::MultiRest, second);
    Piece->Fields.Auftakt = MakeMeter(1, 4);
    Piece->Fields.Further8[0] = 1;
    Piece->Spacing.SpaceAfter = {16};
    Piece->ByteTable = {1, 2, 3};
    Piece->Name = "Allegro";
  }
};

}  // namespace

TEST_F(PieceTest, ANewPiece) {
  TQSPiece piece(&Score);
  EXPECT_EQ(piece.Tempo(), 60);
  EXPECT_EQ(piece.Auftakt(), 0);
  EXPECT_EQ(piece.PartCount(), 0);
  EXPECT_EQ(piece.ColumnCount(), 0);
  EXPECT_EQ(piece.LastLaidOutMeasure, -1);
  EXPECT_EQ(piece.GetIndex(), 1);
  EXPECT_EQ(Score.PieceCount(), 2);
}

TEST_F(PieceTest, RecordRoundTripOfAWholePiece) {
  FillPiece();
  const std::vector<uint8_t> bytes = Saved(*Piece);
  TQSPiece* read = Score.NewPiece();
  TMemoryStream s(bytes);
  read->LoadFromStream(s);
  EXPECT_EQ(Saved(*read), bytes);
  EXPECT_EQ(read->PartCount(), 2);
  EXPECT_EQ(read->GetColumn(1)->Fields.PageBreak, 3);

  // A page break followed by two empty pages is stored as 3 at bytes 10-11
  // of the column block.
  const std::vector<uint8_t> column = Saved(*Piece->GetColumn(1));
  EXPECT_EQ(column[8 + 10], 3);
  EXPECT_EQ(column[8 + 11], 0);
}

TEST_F(PieceTest, CopiesAreEqualButKeepTheirName) {
  FillPiece();
  TQSPiece* copy = Score.NewPiece();
  copy->Name = "Finale";
  copy->Assign(*Piece);
  EXPECT_EQ(copy->Name, "Finale");
  copy->Name = Piece->Name;
  EXPECT_EQ(Saved(*copy), Saved(*Piece));
  EXPECT_THROW(copy->Assign(*Part), Exception);

  // A copied column has its own spacing table.
  TQSColumn* column = copy->GetColumn(0);
  column->Spacing[1] = 99;
  EXPECT_EQ(Piece->GetColumn(0)->Spacing[1], 8);
  column->DeleteMeasureRests();
  copy->GetColumn(1)->DeleteMeasureRests();
  EXPECT_EQ(column->ItemCount(), 1);
  EXPECT_EQ(copy->GetColumn(1)->ItemCount(), 0);
}

TEST_F(PieceTest, DamagedCountsEndThePieceRecord) {
  FillPiece();
  std::vector<uint8_t> bytes = Saved(*Piece);
  const size_t partCount = 4 + 2 + 2 + TQSPiece::kBlockSize + 2 + Piece->Name.size();
  bytes[partCount] = 0x11, bytes[partCount + 1] = 0x27;
  bytes.push_back(0xEF);
  TMemoryStream s(bytes);
  TQSPiece* read = Score.NewPiece();
  read->LoadFromStream(s);
  EXPECT_EQ(read->Name, "Allegro");
  EXPECT_EQ(read->PartCount(), 0);
  EXPECT_EQ(read->ColumnCount(), 0);
  EXPECT_EQ(s.ReadU8(), 0xEF);
}

TEST_F(PieceTest, FreeChannel) {
  struct {
    const char* Name;
    std::vector<int> Used;
    int Expected;
  } cases[] = {
      {"nothing used", {}, 1},
      {"1 to 8", {1, 2, 3, 4, 5, 6, 7, 8}, 10},
      {"all but 9", {1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15}, -1},
      {"all", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, -1},
      {"channel 0 is never offered", {0}, 1},
      {"high bits ignored", {0x11}, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Piece->ClearParts();
    for (int channel : c.Used) Piece->AddPart()->Fields.Channel = static_cast<uint8_t>(channel);
    EXPECT_EQ(Piece->FreeChannel(), c.Expected);
  }
}

TEST_F(PieceTest, ItemStartsAcrossParts) {
  TQSPart* other = Piece->AddPart();
  TQSMeasure* otherMeasure = other->NewMeasure();
  Note(128, 128);
  Note(64, 64, 0x50, 0, -1, otherMeasure);
  EXPECT_EQ(Piece->PrevItemStart(0, 128), 64);
  EXPECT_EQ(Piece->NextItemStart(0, 64, false), 128);
  EXPECT_EQ(Piece->NextItemStart(0, 200, false), 200);
  // An empty measure ends at the slot's length.
  SetMeter(3, 4);
  EXPECT_EQ(Piece->NextItemStart(0, 200, true), 384);
  EXPECT_EQ(Piece->NextItemStart(1, 0, true), 0);  // no slot for measure 1
}

TEST_F(PieceTest, RegistrationAndRenumbering) {
  TQSPart* second = Piece->AddPart();
  TQSPart* third = Piece->AddPart();
  TQSColumn* c0 = Piece->AddColumn();
  TQSColumn* c1 = Piece->AddColumn();
  delete second;
  delete c0;
  EXPECT_EQ(third->Index, 1);
  EXPECT_EQ(c1->Index, 0);
  // While suspended the caller inserts the part itself.
  Piece->RegistrationSuspended = true;
  auto* held = new TQSPart(Piece);
  Piece->RegistrationSuspended = false;
  EXPECT_EQ(Piece->PartCount(), 2);
  Piece->InsertPart(held, 0);
  EXPECT_EQ(Piece->GetPart(0), held);
  EXPECT_EQ(Part->Index, 1);
  EXPECT_EQ(Piece->GetPart(3), nullptr);
}

TEST_F(PieceTest, ChildrenFreedWhileRegistrationIsSuspendedLeaveTheirLists) {
  // Suspending registration holds back new children only: one that is
  // freed meanwhile must not stay behind in its owner's list.
  TQSColumn* column = Piece->AddColumn();
  TQSMeasure* second = Part->NewMeasure();
  TQSPart* other = Piece->AddPart();
  Piece->RegistrationSuspended = Part->RegistrationSuspended = true;
  delete column;
  delete Measure;
  delete other;
  Piece->RegistrationSuspended = Part->RegistrationSuspended = false;
  EXPECT_EQ(Piece->ColumnCount(), 0);
  EXPECT_EQ(Part->MeasureCount(), 1);
  EXPECT_EQ(Part->GetMeasure(0), second);
  EXPECT_EQ(second->Index, 0);
  EXPECT_EQ(Piece->PartCount(), 1);
  EXPECT_EQ(Piece->GetPart(0), Part);
}

TEST_F(PieceTest, DamagedTimeValuesFallBack) {
  // Meters with a zero numerator or denominator count as 4/4, an upbeat
  // without note value as none, a tempo of 0 as 60.
  EXPECT_EQ(MeterLength(MakeMeter(0, 4)), 512);
  EXPECT_EQ(MeterLength(MakeMeter(3, 0)), 512);
  EXPECT_EQ(MeterBeat(384, MakeMeter(0, 4)), 96);
  EXPECT_EQ(MeterUnit(MakeMeter(3, 0)), 128);
  EXPECT_EQ(UpbeatLength(MakeMeter(2, 0)), 0);
  EXPECT_EQ(UpbeatLength(MakeMeter(1, 4)), 128);
  Piece->SetTempo(0);
  EXPECT_EQ(Piece->Tempo(), 60);
  EXPECT_EQ(Piece->Fields.Tempo, 0);  // stored as it was given

  // The measure's operations meet such values without dividing by zero.
  Slot.Meter = Slot.EndMeter = MakeMeter(4, 0);
  Score.AutoJoin = 2;
  Note(0, 64);
  Note(64, 64);
  Tuplet(256, 0, 64);  // a tuplet of type 0
  Measure->FillRests(false, 0, false, -1);
  Measure->MergeRests(0, 0, 512);
  Measure->AutoBeam();
  EXPECT_EQ(Measure->BeamGroups.size(), 2u);
  EXPECT_EQ(Rests(), (std::vector<TSpan>{{128, 128, 128}, {256, 256, 256}}));
}
