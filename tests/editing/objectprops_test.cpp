// The properties of a piece, part, staff and voice change as one undo step
// each, which undo and redo take back and forth; an unchanged dialog
// records nothing.
#include <gtest/gtest.h>

#include <functional>

#include "editing/properties.h"
#include "editing_fixture.h"
#include "score/part.h"
#include "score/piece.h"

namespace qs::test {
namespace {

class ObjectPropertiesTest : public TEditFixture {};

// A score of its own for each case of a table.
struct TCaseScore : TEditFixture {
  void TestBody() override {}
};

TEST_F(ObjectPropertiesTest, EachChangeIsOneUndoStep) {
  struct TCase {
    const char* Name;
    std::function<void(TCaseScore&)> Change;
    std::function<bool(TCaseScore&)> Changed;
  } const cases[] = {
      {"piece",
       [](TCaseScore& f) {
         TQSPiece& piece = *f.Score.GetPiece(0);
         TPieceProperties v = GetPieceProperties(piece);
         v.Name = "Andante";
         v.Tempo = 72;
         v.Auftakt = 0x0104;  // one quarter
         SetPieceProperties(f.Score, piece, v);
       },
       [](TCaseScore& f) {
         const TQSPiece& piece = *f.Score.GetPiece(0);
         return piece.Name == "Andante" && piece.Fields.Tempo == 72 && piece.Auftakt() == 0x0104;
       }},
      {"part",
       [](TCaseScore& f) {
         TQSPart& part = *f.Part(0, 1);
         TPartProperties v = GetPartProperties(part);
         v.Name = "Clarinet in Bb";
         v.Instrument = 71;
         v.Channel = 3;
         v.Volume = 100;
         v.Mute = true;
         v.Transports = {MakeTransportRecord(-2)};
         SetPartProperties(f.Score, part, v);
       },
       [](TCaseScore& f) {
         const TQSPart& part = *f.Part(0, 1);
         return part.Name == "Clarinet in Bb" && part.Fields.Instrument == 71 && part.Channel() == 3 &&
                part.Fields.Volume == 100 && part.Fields.Pan == 255 && part.Fields.Mute &&
                part.TransportShift() == -2;
       }},
      {"staff",
       [](TCaseScore& f) {
         TQSStaff& staff = *f.Part(0, 1)->GetStaff(0);
         TStaffProperties v = GetStaffProperties(staff);
         v.LineCount = 6;
         v.Tablature = true;
         v.FretCount = 19;
         v.Scale = 75;
         v.Tuning = {40, 45, 50, 55, 59, 64};
         SetStaffProperties(f.Score, staff, v);
       },
       [](TCaseScore& f) {
         const TQSStaff& staff = *f.Part(0, 1)->GetStaff(0);
         return staff.Fields.LineCount == 6 && staff.Fields.Tablature && staff.Fields.FretCount == 19 &&
                staff.Fields.Scale == 75 && staff.GetTuning(0) == 40 && staff.GetTuning(5) == 64;
       }},
      {"voice",
       [](TCaseScore& f) {
         TQSVoice& voice = *f.Part(0, 0)->GetStaff(0)->GetVoice(0);
         SetVoiceProperties(f.Score, voice, TVoiceProperties{24, 9, true});
       },
       [](TCaseScore& f) {
         const TQSVoice& voice = *f.Part(0, 0)->GetStaff(0)->GetVoice(0);
         return voice.Fields.Instrument == 24 && voice.Fields.Channel == 9 && voice.Fields.Mute;
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TCaseScore f;
    f.AddPiece({2, 1}, 2);
    f.Note(f.Measure(0), 0, 256, 0x50);
    // The cursor stands elsewhere (on a staff the second part does not
    // have): the entry names its object itself.
    f.Cursor(1, 0, 1);
    const std::vector<uint8_t> before = f.Saved();
    c.Change(f);
    EXPECT_TRUE(c.Changed(f));
    f.ExpectUndoRedo(before);
    EXPECT_TRUE(c.Changed(f));
    EXPECT_NE(f.Score.CurrentStaff(), nullptr);
  }
}

TEST_F(ObjectPropertiesTest, NothingChangedRecordsNothing) {
  AddPiece({1}, 1);
  Cursor(0, 0);
  TQSPart& part = *Part();
  TQSStaff& staff = *part.GetStaff(0);
  SetPieceProperties(Score, *Score.GetPiece(0), GetPieceProperties(*Score.GetPiece(0)));
  SetPartProperties(Score, part, GetPartProperties(part));
  SetStaffProperties(Score, staff, GetStaffProperties(staff));
  SetVoiceProperties(Score, *staff.GetVoice(0), GetVoiceProperties(*staff.GetVoice(0)));
  EXPECT_EQ(Score.UndoCount(), 0);
  EXPECT_EQ(Changed, 0);
}

}  // namespace
}  // namespace qs::test
