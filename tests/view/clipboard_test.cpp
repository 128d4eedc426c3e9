// The notes block: what a copy writes, how a paste places it (splitting
// over barlines, the three paste modes, chords and replaced rests), and
// that a damaged block is refused without changing anything.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "base/stream.h"
#include "score/record.h"
#include "uikit/language.h"
#include "editing/viewcommands.h"
#include "platform/keys.h"
#include "platform/testdriver.h"
#include "view/notesclipboard.h"
#include "view_fixture.h"

namespace qs::test {
namespace {

// Little-endian readers over a block.
int U16(const std::vector<uint8_t>& b, size_t at) { return b[at] | b[at + 1] << 8; }
int I32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24);
}

// A block of one block of items at a tick offset, and page objects.
std::vector<uint8_t> Block(const std::vector<const TQSItem*>& items, int offset = 0,
                           const std::vector<const TQSItem*>& objects = {}) {
  TMemoryStream s;
  s.WriteU16(items.empty() ? 0 : 1);
  if (!items.empty()) {
    s.WriteI32(offset);
    s.WriteU16(static_cast<uint16_t>(items.size()));
    for (const TQSItem* item : items) WriteItem(s, *item);
  }
  s.WriteU16(static_cast<uint16_t>(objects.size()));
  s.WriteU16(0);
  for (const TQSItem* o : objects) WriteItem(s, *o);
  return s.TakeBytes();
}

// A free note or rest to put into a block.
std::unique_ptr<TQSNote> FreeNote(int time, int length, int staffVoice = 0) {
  auto note = std::make_unique<TQSNote>(nullptr);
  note->ItemType = kind::Note;
  note->Fields.Time = static_cast<uint16_t>(time);
  note->Fields.Length = note->Fields.RealLength = static_cast<uint16_t>(length);
  note->Fields.Pitch = 0x50;
  note->Fields.StaffVoice = static_cast<uint8_t>(staffVoice);
  return note;
}

class NotesClipboard : public ::testing::Test, public TViewScore {
 protected:
  NotesClipboard() : TViewScore({2}, 8) {}
  void Put(int measure, int tick, int staff = 0, int voice = 0) {
    View.CursorPosition.Measure = measure;
    View.CursorPosition.Tick = tick;
    View.CursorPosition.Staff = staff;
    View.CursorPosition.Voice = voice;
  }
  // The notes of a measure as (tick, real length, written length, tied on).
  std::vector<std::tuple<int, int, int, bool>> Notes(int m) const {
    std::vector<std::tuple<int, int, int, bool>> out;
    for (const TQSItem* item : Measure(m)->Items)
      if (auto* n = dynamic_cast<const TQSNote*>(item)) {
        bool tied = false;
        for (const TQSItem* a : n->Items) tied |= a->ItemType == kind::Liga;
        out.emplace_back(n->Fields.Time, n->Fields.RealLength, n->Fields.Length, tied);
      }
    return out;
  }
  int CountKind(int m, TQSItemType k) const {
    int n = 0;
    for (const TQSItem* item : Measure(m)->Items) n += item->ItemType == k;
    return n;
  }
};

TEST_F(NotesClipboard, TheBlockOfAnEmptySelectionAndOfOneNote) {
  TQSNote* note = Note(Measure(4), 256, 128);
  Show();
  EXPECT_EQ(View.WriteNotesBlock(), std::vector<uint8_t>(6, 0));

  View.AddElement(note->HeadElement);
  const std::vector<uint8_t> b = View.WriteNotesBlock();
  ASSERT_GE(b.size(), 9u);
  EXPECT_EQ(U16(b, 0), 1);        // one block
  EXPECT_EQ(I32(b, 2), -256);     // from the note's tick to the reference
  EXPECT_EQ(U16(b, 6), 1);        // one item
  EXPECT_EQ(b[8], kind::Note);
  EXPECT_EQ(U16(b, b.size() - 4), 0);  // no page objects
  EXPECT_EQ(U16(b, b.size() - 2), 0);

  Put(2, 0);
  View.ReadNotesBlock(b);
  EXPECT_EQ(Notes(2), (std::vector<std::tuple<int, int, int, bool>>{{0, 128, 128, false}}));
}

TEST_F(NotesClipboard, ASelectedGraceNoteIsCopiedWithItsGroup) {
  Note(Measure(1), 0, 128);
  auto* group = static_cast<TQSVorschlag*>(CreateItemByKind(kind::Vorschlag, Measure(1)));
  auto* grace = static_cast<TQSNote*>(CreateItemByKind(kind::Note, group));
  grace->Fields.Length = grace->Fields.RealLength = 64;
  grace->Fields.Pitch = 0x52;
  Show();
  ASSERT_NE(grace->HeadElement, nullptr);
  View.AddElement(grace->HeadElement);
  const std::vector<uint8_t> b = View.WriteNotesBlock();
  ASSERT_GE(b.size(), 9u);
  EXPECT_EQ(U16(b, 6), 1);
  EXPECT_EQ(b[8], kind::Vorschlag);
}

TEST_F(NotesClipboard, NotesOfLaterMeasuresKeepTheirDistanceFromTheFirst) {
  TQSNote* a = Note(Measure(1), 384, 128);
  TQSNote* b = Note(Measure(2), 128, 128);
  Show();
  View.AddElement(a->HeadElement);
  View.AddElement(b->HeadElement);
  const std::vector<uint8_t> block = View.WriteNotesBlock();
  EXPECT_EQ(U16(block, 0), 2);
  Put(5, 128);
  View.ReadNotesBlock(block);
  // 0 and 128 + 512 - 384 = 256 ticks after the cursor
  EXPECT_EQ(Notes(5), (std::vector<std::tuple<int, int, int, bool>>{{128, 128, 128, false}, {384, 128, 128, false}}));
}

TEST_F(NotesClipboard, NotesRunningOverABarlineAreSplitIntoTiedPieces) {
  Show();
  using TNotes = std::vector<std::tuple<int, int, int, bool>>;
  struct TCase {
    int Tick, Length;
    TNotes First, Next;
  } cases[] = {
      {0, 256, {{0, 256, 256, false}}, {}},
      {384, 256, {{384, 128, 128, true}}, {{0, 128, 128, false}}},
      {0, 600, {{0, 512, 512, true}}, {{0, 64, 64, true}, {64, 16, 16, true}, {80, 8, 8, false}}},
      {448, 68, {{448, 64, 64, false}}, {}},  // the 4 ticks left over are dropped
      {0, 96, {{0, 64, 64, true}, {64, 32, 32, false}}, {}},  // no written value for 96 without a dot
  };
  int m = 0;
  for (const TCase& c : cases) {
    auto note = FreeNote(0, c.Length);
    Put(m, c.Tick);
    View.ReadNotesBlock(Block({note.get()}));
    EXPECT_EQ(Notes(m), c.First) << c.Length << " at " << c.Tick;
    EXPECT_EQ(Notes(m + 1), c.Next) << c.Length << " at " << c.Tick;
    m += 2;
    if (m >= 8) break;
  }
}

TEST_F(NotesClipboard, PasteModesMoveNotesToTheCursorsStaffAndVoice) {
  // Staff 0 with two voices, staff 1 (the cursor's) with three.
  Piece->GetPart(0)->GetStaff(0)->NewVoice();
  for (int v = 0; v < 2; ++v) Piece->GetPart(0)->GetStaff(1)->NewVoice();
  Show();
  struct TCase {
    uint8_t Mode;
    int From, To;
  } cases[] = {
      {0, 0x01, 0x01}, {1, 0x01, 0x11}, {2, 0x01, 0x10},
      {1, 0x05, 0x12},  // a voice the staff lacks: its last voice
      {0, 0x03, 0x01},  // ...counted in the staff the note lands on
      {0, 0x21, 0x11},  // a staff the part lacks: its last staff
  };
  int m = 0;
  for (const TCase& c : cases) {
    auto note = FreeNote(0, 128, c.From);
    Put(m, 0, 1, 0);
    View.PasteMode = c.Mode;
    View.ReadNotesBlock(Block({note.get()}));
    View.PasteMode = 0;
    int sv = -1;
    for (const TQSItem* item : Measure(m)->Items)
      if (item->ItemType == kind::Note) sv = item->StaffVoice();
    EXPECT_EQ(sv, c.To) << "mode " << int(c.Mode) << " from " << c.From;
    ++m;
  }
}

TEST_F(NotesClipboard, ANoteOnAnEqualNoteMakesAChordAndOnAnEqualRestReplacesIt) {
  Note(Measure(0), 0, 128, 0x40);
  Rest(Measure(1), 0, 128);
  Show();
  auto note = FreeNote(0, 128);
  Put(0, 0);
  View.ReadNotesBlock(Block({note.get()}));
  int chordNotes = 0;
  for (const TQSItem* item : Measure(0)->Items)
    if (auto* n = dynamic_cast<const TQSNote*>(item); n && n->Fields.Time == 0)
      chordNotes += n->IsChordMember();
  EXPECT_EQ(chordNotes, 2);
  Put(1, 0);
  View.ReadNotesBlock(Block({note.get()}));
  EXPECT_EQ(Notes(1).size(), 1u);
  for (const TQSItem* item : Measure(1)->Items)
    if (item->ItemType == kind::Pause && item->StaffVoice() == 0) {
      EXPECT_NE(item->TimePosition(), 0);
    }
}

// Marks land at their tick in the measure, column marks in the column;
// time signatures and tempo marks are not pasted.
TEST_F(NotesClipboard, MarksAndColumnMarksArePlacedAndMetersAndTemposLeftOut) {
  Show();
  struct TCase {
    TQSItemType Kind;
    bool InMeasure, InColumn;
  } cases[] = {
      {kind::Dynamics, true, false},
      {kind::Segno, false, true},
      {kind::Meter, false, false},
      {kind::Tempo, false, false},
  };
  int m = 0;
  for (const TCase& c : cases) {
    TQSMark mark(nullptr);
    mark.ItemType = c.Kind;
    mark.Fields.Time = 64;
    Put(m, 128);
    View.ReadNotesBlock(Block({&mark}, -64));
    const TQSItem* placed = nullptr;
    for (const TQSItem* item : Measure(m)->Items)
      if (item->ItemType == c.Kind) placed = item;
    EXPECT_EQ(placed != nullptr, c.InMeasure) << int(c.Kind);
    if (placed) {
      EXPECT_EQ(placed->TimePosition(), 128) << int(c.Kind);
    }
    int inColumn = 0;
    for (const TQSItem* item : Piece->GetColumn(m)->Items) inColumn += item->ItemType == c.Kind;
    EXPECT_EQ(inColumn, c.InColumn ? 1 : 0) << int(c.Kind);
    ++m;
  }
}

// Inside a tuplet a pasted note takes the slot it lands in, with the
// tuplet's written value.
TEST_F(NotesClipboard, ANoteInsideATupletTakesItsSlot) {
  TQSMark* tuplet = Mark(Measure(0), kind::Tuplet, 128, 64, 2);
  tuplet->CalcTupletLengths();
  ASSERT_GE(tuplet->TupletLengths.size(), 2u);
  const int first = tuplet->TupletLengths[0], second = tuplet->TupletLengths[1];
  Show();
  auto note = FreeNote(0, 256);
  Put(0, 128 + first + 1);
  View.ReadNotesBlock(Block({note.get()}));
  EXPECT_EQ(Notes(0), (std::vector<std::tuple<int, int, int, bool>>{{128 + first, second, 64, false}}));
}

TEST_F(NotesClipboard, APasteIsOneUndoStep) {
  Show();
  auto a = FreeNote(0, 128), b = FreeNote(640, 128);  // the second lands in the next measure
  Put(3, 0);
  View.ReadNotesBlock(Block({a.get(), b.get()}));
  EXPECT_EQ(CountKind(3, kind::Note) + CountKind(4, kind::Note), 2);
  EXPECT_EQ(Score.UndoCount(), 1);
  Score.Undo(1);
  EXPECT_EQ(CountKind(3, kind::Note) + CountKind(4, kind::Note), 0);
}

// A paste past the piece's end appends the measures, and for a column
// mark the column, it needs; its undo takes them away again.
TEST_F(NotesClipboard, APastePastTheEndAddsMeasuresAndColumnsThatUndoRemoves) {
  Show();
  auto a = FreeNote(0, 128), b = FreeNote(512 + 128, 128);  // the second lands one measure later
  TQSMark segno(nullptr);
  segno.ItemType = kind::Segno;
  segno.Fields.Time = 1024 + 64;  // two measures later
  Put(7, 0);
  View.ReadNotesBlock(Block({a.get(), b.get(), &segno}));
  ASSERT_EQ(Piece->GetPart(0)->MeasureCount(), 9);
  EXPECT_EQ(CountKind(8, kind::Note), 1);
  ASSERT_EQ(Piece->ColumnCount(), 10);
  EXPECT_EQ(Piece->GetColumn(9)->ItemCount(), 1);
  EXPECT_EQ(Score.UndoCount(), 1);
  Score.Undo(1);
  EXPECT_EQ(Piece->GetPart(0)->MeasureCount(), 8);
  EXPECT_EQ(Piece->ColumnCount(), 8);
  EXPECT_EQ(CountKind(7, kind::Note), 0);
}

TEST_F(NotesClipboard, ATextBoxPastedOnItsOwnPageMovesByAnOffset) {
  Show();
  TQSText text(nullptr);
  text.ItemType = kind::Text;
  text.Fields.X = 100;
  text.Fields.Y = 200;
  text.Fields.Page = 1;
  View.ReadNotesBlock(Block({}, 0, {&text}));
  ASSERT_EQ(Score.Items.Count(), 1);
  const auto* pasted = static_cast<const TQSText*>(Score.Items.Get(0));
  EXPECT_EQ(pasted->Fields.X, 164);
  EXPECT_EQ(pasted->Fields.Y, 264);
}

// Every damage of a good block: the paste is refused with a message and
// leaves the score as it was.
TEST_F(NotesClipboard, ADamagedBlockIsRefusedAndChangesNothing) {
  Show();
  auto note = FreeNote(0, 128);
  TQSText text(nullptr);
  text.ItemType = kind::Text;
  const std::vector<uint8_t> good = Block({note.get()}, 0, {&text});
  const size_t record = 2 + 4 + 2 + 1;  // where the note's record length lies
  TMemoryStream noteRecord;
  WriteItem(noteRecord, *note);
  const size_t objectCount = 2 + 4 + 2 + noteRecord.Bytes().size();
  auto with = [&](size_t at, std::vector<uint8_t> bytes) {
    std::vector<uint8_t> b = good;
    std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<long>(at));
    return b;
  };
  struct TCase {
    const char* What;
    std::vector<uint8_t> Bytes;
  } cases[] = {
      {"empty", {}},
      {"one byte", {1}},
      {"cut short", std::vector<uint8_t>(good.begin(), good.end() - 1)},
      {"cut in a record", std::vector<uint8_t>(good.begin(), good.begin() + record + 3)},
      {"a byte too many", [&] { auto b = good; b.push_back(0); return b; }()},
      {"too many blocks", with(0, {2, 0})},
      {"too many items", with(6, {0xFF, 0xFF})},
      {"record longer than the block", with(record, {0xFF, 0xFF, 0, 0})},
      {"record length negative", with(record, {0xFF, 0xFF, 0xFF, 0xFF})},
      {"record length zero", with(record, {0, 0, 0, 0})},
      {"tick offset far out", with(2, {0xFF, 0xFF, 0xFF, 0x7F})},
      {"too many page objects", with(objectCount, {0xFF, 0xFF})},
  };
  const int undoBefore = Score.UndoCount();
  for (const TCase& c : cases) {
    Put(2, 0);
    try {
      View.ReadNotesBlock(c.Bytes);
      ADD_FAILURE() << c.What << ": accepted";
    } catch (const ENotesBlockError& e) {
      EXPECT_FALSE(std::string(e.what()).empty()) << c.What;
    }
    EXPECT_EQ(Notes(2).size(), 0u) << c.What;
    EXPECT_EQ(Score.Items.Count(), 0) << c.What;
    EXPECT_EQ(Score.UndoCount(), undoBefore) << c.What;
  }
  // The good block itself is read.
  View.ReadNotesBlock(good);
  EXPECT_EQ(Notes(2).size(), 1u);
}

// Any single byte of a block changed: the paste is refused whole or
// placed whole, and undo takes a placed one back.
TEST_F(NotesClipboard, EveryByteOfABlockChangedIsRefusedOrPastedSafely) {
  Show();
  auto note = FreeNote(0, 128);
  auto rest = std::make_unique<TQSPause>(nullptr);
  rest->ItemType = kind::Pause;
  rest->Fields.Time = 128;
  rest->Fields.Length = rest->Fields.RealLength = 128;
  TQSMark tuplet(nullptr);
  tuplet.ItemType = kind::Tuplet;
  tuplet.Fields.Kind = 2;
  tuplet.Fields.Value = 64;
  tuplet.CalcTupletLengths();
  TQSText text(nullptr);
  text.ItemType = kind::Text;
  const std::vector<uint8_t> good = Block({note.get(), rest.get(), &tuplet}, 0, {&text});
  int refused = 0, pasted = 0;
  for (size_t at = 0; at < good.size(); ++at)
    for (uint8_t value : {uint8_t{0x00}, uint8_t{0xFF}, uint8_t{0x80}}) {
      std::vector<uint8_t> b = good;
      if (b[at] == value) continue;
      b[at] = value;
      Put(2, 0);
      const int undo = Score.UndoCount();
      try {
        View.ReadNotesBlock(b);
        ++pasted;
      } catch (const ENotesBlockError&) {
        ++refused;
        EXPECT_EQ(Score.UndoCount(), undo) << "byte " << at;
        continue;
      }
      if (Score.UndoCount() > undo) Score.Undo(1);
      EXPECT_EQ(Notes(2).size(), 0u) << "byte " << at;
      EXPECT_EQ(Score.Items.Count(), 0) << "byte " << at;
    }
  EXPECT_GT(refused, 0);
  EXPECT_GT(pasted, 0);
}

// The refusal speaks the interface language, from the language files
// built beside the programs.
TEST_F(NotesClipboard, TheRefusalIsInTheInterfaceLanguage) {
  Show();
  TComponent mainWindow(nullptr);
  auto* engine = new TECLanguage(&mainWindow);
  const std::pair<const char*, const char*> cases[] = {
      {"ENU", "The clipboard holds notes"}, {"DEU", "Die Zwischenablage"}, {"FRA", "Le presse-papiers"},
      {"ITA", "Gli appunti"}, {"RUS", "Буфер обмена"},
  };
  for (const auto& [code, start] : cases) {
    engine->SetLanguage(code);
    try {
      View.ReadNotesBlock({1});
      ADD_FAILURE() << code << ": accepted";
    } catch (const ENotesBlockError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(start, 0), 0u) << code << ": " << e.what();
    }
  }
}

// An item of every kind, as new: pasted or left out, and undo takes the
// paste back.
TEST_F(NotesClipboard, AnItemOfEveryKindIsPastedOrLeftOutAndUndone) {
  Show();
  int kinds = 0;
  for (int k = 0; k < 256; ++k) {
    std::unique_ptr<TQSItem> item(CreateItemByKind(static_cast<TQSItemType>(k), nullptr));
    if (!item) continue;
    ++kinds;
    const bool pageObject = k >= kind::Text && k <= kind::PageMark;
    Put(2, 128);
    const int undo = Score.UndoCount();
    View.ReadNotesBlock(pageObject ? Block({}, 0, {item.get()}) : Block({item.get()}));
    if (Score.UndoCount() > undo) Score.Undo(1);
    EXPECT_EQ(Notes(2).size(), 0u) << k;
    EXPECT_EQ(Score.Items.Count(), 0) << k;
    EXPECT_EQ(Piece->GetColumn(2)->Items.Count(), 0) << k;
  }
  EXPECT_GT(kinds, 70);
}

}  // namespace
}  // namespace qs::test

namespace qs::test {
namespace {

namespace td = qs::testdriver;

// Copy and paste through the keys on a piano part whose second system
// begins with the clefs and the key drawn again at its start.
class KeyedClipboard : public TShownScoreTest {
 protected:
  void SetUp() override {
    Piece = AddPiece({2}, 6);
    for (int m = 0; m < 6; ++m)
      for (int staff = 0; staff < 2; ++staff)
        for (int t = 0; t < 512; t += m == 4 ? 256 : 128) Note(Measure(m), t, m == 4 ? 256 : 128, 0x50, staff << 4);
    Mark(Measure(0), kind::Clef, 0, 0, 1, 0x00);
    Mark(Measure(0), kind::Clef, 0, 0, 2, 0x10);
    Mark(Measure(2), kind::Key, 0, 0, 3, 0x00);
    Mark(Measure(2), kind::Key, 0, 0, 3, 0x10);
    for (int m = 0; m < 6; ++m) Measure(m)->SortItems();
    ShowScore(true);
  }
  // The clefs and keys of each measure.
  std::vector<int> Furniture() const {
    std::vector<int> out;
    for (int m = 0; m < 6; ++m) {
      int n = 0;
      for (const TQSItem* item : Measure(m)->Items) n += item->ItemType == kind::Clef || item->ItemType == kind::Key;
      out.push_back(n);
    }
    return out;
  }
  // The (tick, length) of the notes of a measure on one staff.
  std::vector<std::pair<int, int>> Notes(int m, int staff) const {
    std::vector<std::pair<int, int>> out;
    for (const TQSItem* item : Measure(m)->Items)
      if (auto* n = dynamic_cast<const TQSNote*>(item); n && n->Fields.StaffVoice == staff << 4)
        out.emplace_back(n->Fields.Time, n->Fields.RealLength);
    return out;
  }
  // A band around the first measure of the second system.
  void SelectSecondSystemStart() {
    const TQSCalcMeasure& slot = *static_cast<TQSCalcMeasure*>(Piece->Slots[4]);
    ASSERT_EQ(System(0, 1).Measures.At(0), &slot);
    const TPoint from = View->Geometry().PageToScreen({slot.Box.Left - 20, slot.Box.Top - 100}, 0);
    const TPoint to = View->Geometry().PageToScreen({slot.Box.Right - 40, slot.Box.Bottom + 50}, 0);
    td::MouseDown(*View, from.X, from.Y);
    td::MouseMove(*View, (from.X + to.X) / 2, (from.Y + to.Y) / 2);
    td::MouseMove(*View, to.X, to.Y);
    td::MouseUp(*View, to.X, to.Y);
    ASSERT_TRUE(View->HasSelection());
  }
};

// A band around the first measure of the second system catches the clefs
// and the key drawn again at its start: they stand for items of earlier
// measures, which the copy leaves alone. The paste brings that measure's
// two staves to the cursor's measure and adds no clef and no key.
TEST_F(KeyedClipboard, TheClefsAndKeyDrawnAgainAtASystemStartAreNotCopied) {
  SelectSecondSystemStart();
  td::PressKey(*View, 'C', ssCtrl);
  const TPoint target = Centre(*NoteAt(1, 0)->HeadElement);
  td::Click(*View, target.X, target.Y);
  ASSERT_EQ(View->CursorPosition.Measure, 1);
  td::PressKey(*View, 'V', ssCtrl);
  const std::vector<std::pair<int, int>> halves{{0, 256}, {256, 256}}, quarters{{0, 128}, {128, 128}, {256, 128}, {384, 128}};
  for (int staff : {0, 1}) {
    SCOPED_TRACE(staff);
    EXPECT_EQ(Notes(1, staff), halves);
    EXPECT_EQ(Notes(3, staff), quarters);
    EXPECT_EQ(Notes(5, staff), quarters);
  }
  EXPECT_EQ(Furniture(), (std::vector<int>{2, 0, 2, 0, 0, 0}));
}

// Deleting what the same band caught leaves the clefs and the key where
// they are.
TEST_F(KeyedClipboard, DeletingABandAtASystemStartKeepsTheClefsAndKeyOfEarlierMeasures) {
  ConnectViewCommands(*View, Score);
  SelectSecondSystemStart();
  td::PressKey(*View, VK_DELETE, 0);
  EXPECT_TRUE(Notes(4, 0).empty());
  EXPECT_EQ(Furniture(), (std::vector<int>{2, 0, 2, 0, 0, 0}));
}

}  // namespace
}  // namespace qs::test
