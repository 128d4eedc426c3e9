#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "tree_fixture.h"

using namespace qs;
using namespace qs::test;

namespace {

// Counts the score's events and layout requests.
struct TEventLog {
  int Added = 0, Deleted = 0, ItemChanged = 0, Changed = 0, Layouts = 0;
  std::vector<TObject*> Senders;

  TQSScore& Score;
  ~TEventLog() {
    Score.OnAddItem = Score.OnDeleteItem = Score.OnItemChanged = Score.OnChanged = nullptr;
    Score.LayoutPass = nullptr;
  }
  explicit TEventLog(TQSScore& score) : Score(score) {
    score.OnAddItem = [this](TObject* s) { ++Added, Senders.push_back(s); };
    score.OnDeleteItem = [this](TObject* s) { ++Deleted, Senders.push_back(s); };
    score.OnItemChanged = [this](TObject* s) { ++ItemChanged, Senders.push_back(s); };
    score.OnChanged = [this](TObject* s) { ++Changed, Senders.push_back(s); };
    score.LayoutPass = [this](TQSScore&, int) { ++Layouts; };
  }
  std::vector<int> Counts() const { return {ItemChanged, Changed, Layouts}; }
};

class PartTest : public ::testing::Test, public TTreeFixture {
 protected:
  std::vector<uint8_t> PartBytes() {
    FillPart(Part);
    return Saved(*Part);
  }
};

}  // namespace

TEST_F(PartTest, RecordRoundTripOfAWholePart) {
  const std::vector<uint8_t> bytes = PartBytes();
  TQSPart* read = Piece->AddPart();
  TMemoryStream s(bytes);
  read->LoadFromStream(s);
  EXPECT_EQ(s.Position(), static_cast<int64_t>(bytes.size()));
  EXPECT_EQ(Saved(*read), bytes);
  EXPECT_EQ(read->StaffCount(), 2);
  EXPECT_EQ(read->GetStaff(0)->VoiceCount(), 2);
  EXPECT_EQ(read->GetStaff(1)->GetVoice(0)->Number, 2);
  EXPECT_EQ(read->MeasureCount(), 3);
  EXPECT_EQ(read->GetStaff(1)->GetTuning(5), 40);
  EXPECT_EQ(read->TransportShift(), 10);
  // The short name is not part of the record.
  Part->ShortName = "Gtr.";
  EXPECT_EQ(Saved(*Part), bytes);
}

TEST_F(PartTest, CopyingAPartKeepsItsPageObjects) {
  const std::vector<uint8_t> bytes = PartBytes();
  TQSPart* copy = Piece->AddPart();
  CreateItemByKind(kind::Term, copy);
  copy->Assign(*Part);
  EXPECT_EQ(copy->ItemCount(), 2);
  delete copy->GetItem(0);
  EXPECT_EQ(Saved(*copy), bytes);
  EXPECT_THROW(copy->Assign(*Staff), Exception);
}

TEST_F(PartTest, DamagedPartRecordsReadWithoutHarm) {
  const std::vector<uint8_t> bytes = PartBytes();
  auto readBack = [&](const std::vector<uint8_t>& data) {
    TMemoryStream s(data);
    TQSPart* part = Piece->AddPart();
    try {
      part->LoadFromStream(s);
    } catch (const Exception&) {
      // A record whose length cannot be right is refused as a whole.
    }
    EXPECT_LE(s.Position(), static_cast<int64_t>(data.size()));
    Saved(*part);  // what was read can be written
    delete part;
  };
  for (size_t n = 0; n < bytes.size(); ++n) readBack(std::vector<uint8_t>(bytes.begin(), bytes.begin() + n));
  std::mt19937 random(20261210);
  for (int round = 0; round < 4000; ++round) {
    std::vector<uint8_t> damaged = bytes;
    const int flips = 1 + static_cast<int>(random() % 4);
    for (int f = 0; f < flips; ++f)
      damaged[random() % damaged.size()] ^= static_cast<uint8_t>(1 + random() % 255);
    readBack(damaged);
  }
  EXPECT_EQ(Piece->PartCount(), 1);
}

TEST_F(PartTest, StaffRecordsFromFiles) {
  const size_t block = 4 + 2 + 2;  // length, section count, block size
  struct {
    const char* Name;
    std::function<void(std::vector<uint8_t>&)> Damage;
    uint16_t FileVersion;
    int Scale, Stems, LineCount, Voices;
  } cases[] = {
      {"as written", [](std::vector<uint8_t>&) {}, 1025, 80, 0, 6, 1},
      {"scale 0 reads as 100", [&](std::vector<uint8_t>& b) { b[block + 6] = 0; }, 1025, 100, 0, 6, 1},
      {"old files have stems", [](std::vector<uint8_t>&) {}, 1024, 80, 1, 6, 1},
      {"30 lines read as 24", [&](std::vector<uint8_t>& b) { b[block + 1] = 30; }, 1025, 80, 0, 24, 1},
      {"10001 voices", [&](std::vector<uint8_t>& b) { b[block + 8] = 0x11, b[block + 9] = 0x27; }, 1025, 80, 0, 6, 0},
  };
  Staff->Fields.Scale = 80;
  Staff->Fields.Stems = 0;
  Staff->Fields.LineCount = 6;
  for (int i = 0; i < 6; ++i) Staff->Tuning[i] = static_cast<uint8_t>(40 + i);
  const std::vector<uint8_t> bytes = Saved(*Staff);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    std::vector<uint8_t> damaged = bytes;
    c.Damage(damaged);
    damaged.push_back(0xAB);  // what follows the record
    Score.FileVersion = c.FileVersion;
    TMemoryStream s(damaged);
    auto* staff = new TQSStaff(Part);
    staff->LoadFromStream(s);
    EXPECT_EQ(staff->Fields.Scale, c.Scale);
    EXPECT_EQ(staff->Fields.Stems, c.Stems);
    EXPECT_EQ(staff->Fields.LineCount, c.LineCount);
    EXPECT_EQ(staff->VoiceCount(), c.Voices);
    EXPECT_EQ(s.ReadU8(), 0xAB);
    delete staff;
  }
}

TEST_F(PartTest, TuningBytesFollowTheLineCount) {
  const size_t fiveLines = Saved(*Staff).size();
  Staff->Fields.LineCount = 6;
  EXPECT_EQ(Saved(*Staff).size(), fiveLines + 1);
  Staff->SetTuning(24, 99);
  Staff->SetTuning(-1, 99);
  EXPECT_EQ(Staff->GetTuning(24), 0);
  Staff->SetLineCount(40);
  EXPECT_EQ(Staff->Fields.LineCount, TQSStaff::kMaxLines);
}

TEST_F(PartTest, TooManyStavesEndThePartRecord) {
  FillPart(Part);
  std::vector<uint8_t> bytes = Saved(*Part);
  const size_t staffCount = 4 + 2 + 2 + TQSPart::kBlockSize + 2 + Part->Name.size();
  bytes[staffCount] = 0x11, bytes[staffCount + 1] = 0x27;
  bytes.push_back(0xCD);
  TMemoryStream s(bytes);
  TQSPart* read = Piece->AddPart();
  read->LoadFromStream(s);
  EXPECT_EQ(read->Name, "Guitar");
  EXPECT_EQ(read->StaffCount(), 0);
  EXPECT_EQ(read->MeasureCount(), 0);
  EXPECT_EQ(s.ReadU8(), 0xCD);
}

TEST_F(PartTest, SettersNotifyOnlyOnChange) {
  TEventLog log(Score);
  TQSVoice* voice = Staff->GetVoice(0);
  // Counts: item changed, changed, layout passes. The piece's layout starts
  // at the first laid-out page of the piece.
  Score.LayoutPages.Need(0)->FirstPiece = 0;
  Score.LaidOutPages = 1;
  struct {
    const char* Name;
    std::function<void()> Set;
    std::vector<int> Counts;
  } cases[] = {
      {"voice instrument", [&] { voice->SetInstrument(3); }, {1, 1, 1}},
      {"voice channel", [&] { voice->SetChannel(4); }, {1, 1, 1}},
      {"voice mute", [&] { voice->SetMute(true); }, {1, 1, 0}},
      {"staff mute", [&] { Staff->SetMute(true); }, {1, 1, 0}},
      {"staff lines", [&] { Staff->SetLineCount(4); }, {0, 1, 1}},
      {"staff tablature", [&] { Staff->SetTablature(true); }, {0, 1, 1}},
      {"staff stems", [&] { Staff->SetStems(false); }, {0, 1, 1}},
      {"staff frets", [&] { Staff->SetFretCount(19); }, {0, 1, 1}},
      {"staff scale", [&] { Staff->SetScale(50); }, {0, 1, 1}},
      {"staff tuning", [&] { Staff->SetTuning(2, 55); }, {0, 1, 1}},
      {"part name", [&] { Part->SetName("Flute"); }, {1, 0, 0}},
      {"part short name", [&] { Part->SetShortName("Fl."); }, {1, 0, 0}},
      {"part instrument", [&] { Part->SetInstrument(73); }, {1, 1, 1}},
      {"part channel", [&] { Part->SetChannel(2); }, {1, 1, 1}},
      {"part volume", [&] { Part->SetVolume(90); }, {1, 1, 0}},
      {"part pan", [&] { Part->SetPan(10); }, {1, 1, 0}},
      {"part mute", [&] { Part->SetMute(true); }, {1, 1, 0}},
      {"part transport", [&] { const TQSTransportRecord t[] = {{0, 2}}; Part->SetTransport(1, t); }, {0, 1, 1}},
      {"piece name", [&] { Piece->SetName("Allegro"); }, {1, 1, 0}},
      {"piece tempo", [&] { Piece->SetTempo(96); }, {0, 1, 0}},
      {"piece upbeat", [&] { Piece->SetAuftakt(MakeMeter(1, 4)); }, {0, 1, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::vector<int> before = log.Counts();
    c.Set();
    std::vector<int> delta = log.Counts();
    for (size_t i = 0; i < delta.size(); ++i) delta[i] -= before[i];
    EXPECT_EQ(delta, c.Counts);
    c.Set();  // the same value again: nothing
    EXPECT_EQ(log.Counts()[0] - before[0], c.Counts[0]);
    EXPECT_EQ(log.Counts()[1] - before[1], c.Counts[1]);
  }
  // The part's program and channel notify only when the host listens.
  Score.OnItemChanged = nullptr;
  const std::vector<int> before = log.Counts();
  Part->SetInstrument(1);
  EXPECT_EQ(log.Counts(), before);
  EXPECT_EQ(Part->Fields.Instrument, 1);
}

TEST_F(PartTest, VolumeAndPanAreHeardWhilePlaying) {
  TFakeView view;
  Score.AttachWindow(&view);
  std::vector<std::vector<int>> sent;
  view.OnPlayShort = [&](TObject* sender, int status, int data1, int data2) {
    EXPECT_EQ(sender, Part);
    sent.push_back({status, data1, data2});
  };
  Part->Fields.Channel = 0x25;  // only the low four bits count
  Part->SetVolume(100);
  EXPECT_TRUE(sent.empty());
  view.IsPlaying = true;
  Part->SetVolume(101);
  Part->SetVolume(255);
  Part->SetPan(255 - 1);
  Part->SetPan(255);
  EXPECT_EQ(sent, (std::vector<std::vector<int>>{{0xB5, 7, 101}, {0xB5, 7, 127}, {0xB5, 10, 127}, {0xB5, 10, 64}}));
  EXPECT_EQ(TQSPart(Piece).Fields.Volume, 255);
}

TEST_F(PartTest, RegistrationAndRenumbering) {
  TEventLog log(Score);
  auto* second = new TQSStaff(Part);
  TQSVoice* lower = second->NewVoice();
  EXPECT_EQ(lower->Number, 1);
  TQSVoice* added = Staff->NewVoice();
  EXPECT_EQ(added->Index, 1);
  EXPECT_EQ(added->Number, 1);
  EXPECT_EQ(lower->Number, 2);
  EXPECT_EQ(log.Added, 3);

  Part->RenumberLock = true;
  Staff->NewVoice();
  EXPECT_EQ(lower->Number, 2);
  Part->RenumberLock = false;

  // Removing a staff tells the host about its voices and itself, then
  // renumbers the staves after it.
  auto* third = new TQSStaff(Part);
  log.Senders.clear();
  delete second;
  EXPECT_EQ(log.Senders.front(), lower);
  EXPECT_EQ(third->Index, 1);
  EXPECT_EQ(Part->StaffCount(), 2);

  // A handler that fails does not leave a child half registered.
  Score.OnAddItem = [](TObject*) { throw Exception("host failed"); };
  TQSVoice* v = nullptr;
  EXPECT_NO_THROW(v = Staff->NewVoice());
  EXPECT_EQ(Staff->GetVoice(v->Index), v);
}

TEST_F(PartTest, OwnersAreRequired) {
  struct {
    const char* Message;
    std::function<void()> Make;
  } cases[] = {
      {"Is not owner of the Voice", [] { TQSVoice v(nullptr); }},
      {"Is not owner of the Line", [] { TQSStaff s(nullptr); }},
      {"Is not owner of the Piece", [] { TQSPart p(nullptr); }},
      {"Is not owner of the Piece", [] { TQSColumn c(nullptr); }},
      {"Is not owner of the Score", [] { TQSPiece p(nullptr); }},
  };
  for (const auto& c : cases) {
    try {
      c.Make();
      ADD_FAILURE() << c.Message;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.Message);
    }
  }
}

TEST_F(PartTest, LayoutLookups) {
  EXPECT_EQ(Part->GetMeasureRecord(5), &Slot);  // the last laid-out slot stands in
  Piece->LastLaidOutMeasure = -1;
  EXPECT_EQ(Part->GetMeasureRecord(0), nullptr);
  EXPECT_EQ(Part->SnapLengthBack(0, 0, 100), 100);
  Piece->LastLaidOutMeasure = 0;

  TQSMeasure* second = Part->NewMeasure();
  Note(0, 128);
  Note(256, 128);
  Note(0, 256, 0x50, 0, -1, second);
  Note(256, 128, 0x50, 0, -1, second);
  EXPECT_EQ(Part->PrevEventPosition(0, 256), 0);
  EXPECT_EQ(Part->NextEventPosition(0, 0), 256);
  EXPECT_EQ(Part->NextEventPosition(0, 256), 256);
  EXPECT_EQ(Part->PrevEventPosition(7, 100), 100);
  struct {
    int Position, Length, Back, Forward;
  } cases[] = {
      {128, 512, 384, 640},  // ends at 128 of the second measure
      {0, 128, 0, 256},      // ends between events of the first
      {384, 256, 128, 384},  // ends at 128 of the second measure
      {0, 512, 256, 768},    // ends at the end of the first: back stays, forward moves on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Position * 10000 + c.Length);
    EXPECT_EQ(Part->SnapLengthBack(0, c.Position, c.Length), c.Back);
    EXPECT_EQ(Part->SnapLengthForward(0, c.Position, c.Length), c.Forward);
  }
  // An end measure without events: back to its start, forward to its end.
  second->Clear();
  EXPECT_EQ(Part->SnapLengthBack(0, 384, 256), 128);
  EXPECT_EQ(Part->SnapLengthForward(0, 384, 256), 640);
}

TEST_F(PartTest, LeftOffsetOfTheCursorSystem) {
  Part->SetLeftOffset(3, true);  // no view: nothing
  EXPECT_TRUE(Part->Spacing.LeftOffsets.empty());
  TFakeView view;
  Score.AttachWindow(&view);
  view.SystemIndex = 2;
  Part->SetLeftOffset(3, true);
  Part->SetLeftOffset(-1, false);
  EXPECT_EQ(Part->Spacing.LeftOffsets, (TQSSpacingTable{0, 0, 16}));
}
