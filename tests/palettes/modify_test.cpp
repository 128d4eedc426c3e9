// The Modify palette through clicks on its buttons: each button runs its
// editing command on the active score (the same change as the command run
// directly, undone in one step where the command keeps undo), held buttons
// repeat with the palette's timer, the row-alignment style byte, the page
// count asked for a page break, and the transposition chooser.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <unistd.h>

#include "../editing/editing_fixture.h"
#include "base/inifile.h"
#include "score/marks.h"
#include "editing/chords.h"
#include "editing/measureprops.h"
#include "editing/move.h"
#include "editing/notation.h"
#include "editing/resize.h"
#include "editing/spacing.h"
#include "editing/transpose.h"
#include "layout/dynamics.h"
#include "layout/effects.h"
#include "palettes/modify.h"
#include "palettes/modifypopups.h"
#include "platform/comctrls.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "platform/timers.h"
#include "uikit/charbutton.h"

namespace qs::test {
namespace {

namespace td = qs::testdriver;
using B = TFModify::TButton;

struct TFakeHost : TPaletteHost {
  TQSScore* Score = nullptr;
  int PlaybackToggles = 0, VelocityToggles = 0;
  TQSScore* ActiveScore() override { return Score; }
  void SoundPitch(int, int, int, int, TSoundFrom) override {}
  void SetEntryDuration(int) override {}
  void PaletteActivated(const std::string&) override {}
  void SetPaletteAttached(const std::string&, bool) override {}
  void PaletteKeyDown(uint16_t&, uint16_t) override {}
  int AskCount(const std::string&, int, int) override { return 0; }
  void TogglePlaybackEditor() override { ++PlaybackToggles; }
  void ToggleVelocityEditor() override { ++VelocityToggles; }
  std::vector<TTransposePreset> TransposePresets() override { return {{"down a tone", -2}, {"up a third", 4}}; }
};

// A small score: four beamed eighths, a quarter and a rest in the first of
// two measures, the eighths selected and the cursor on the first.
struct TScore : TEditFixture {
  void TestBody() override {}
  TScore() {
    AddPiece({1}, 2);
    TQSMeasure* m = Measure(0);
    const uint8_t pitches[] = {0x50, 0x52, 0x54, 0x55};
    TQSNote* eighths[4];
    for (int i = 0; i < 4; ++i) {
      eighths[i] = Note(m, i * 64, 64, pitches[i]);
      eighths[i]->Fields.Velocity = 3;  // not what the dynamics give
    }
    Note(m, 256, 128, 0x57);
    Rest(m, 384, 128);
    Score.Recalculate(0);
    for (TQSNote* n : eighths) Select({n});
    Cursor(0, 0);
  }
};

std::string TempIni() {
  return (std::filesystem::temp_directory_path() / ("qs-modify-" + std::to_string(::getpid()) + ".ini")).string();
}

class ModifyPalette : public ::testing::Test {
 protected:
  TFakeHost Host;
  std::string File = TempIni();
  std::unique_ptr<TIniFile> Settings;
  std::unique_ptr<TFModify> Palette;

  void SetUp() override {
    std::filesystem::remove(File);
    Settings = std::make_unique<TIniFile>(File);
    MakePalette();
  }
  void TearDown() override {
    Palette.reset();
    std::filesystem::remove(File);
  }
  void MakePalette() {
    Palette.reset();
    Palette = std::make_unique<TFModify>(nullptr, TPaletteContext{&Host, Settings.get()});
    td::ShowAndWait(*Palette);
  }
  void Press(B b) { td::Click(*Palette->Button(b), 8, 8); }
};

// Every button runs its command on the active score: the score comes out
// as the command run directly leaves it, changed, and one undo gives it
// back where the command keeps undo.
TEST_F(ModifyPalette, EachButtonRunsItsCommandOnTheActiveScore) {
  struct TCase {
    B Button;
    std::function<void(TQSScore&)> Command;
  };
  Palette->AskEmptyPages = [] { return 2; };
  Settings->WriteInteger("Modify", "PitchUp", 4);
  Settings->WriteInteger("Modify", "PitchDown", 3);
  Settings->WriteBool("Modify", "BarUnionActive", true);
  Settings->WriteInteger("Modify", "BarUnionCount", 2);
  Settings->WriteBool("Modify", "HorzAlign", true);
  Settings->WriteInteger("Modify", "NoteInterval", 12);
  MakePalette();
  Palette->AskEmptyPages = [] { return 2; };
  const TCase cases[] = {
      {B::bMoveUp, [](TQSScore& s) { MoveVertical(s, -1); }},
      {B::bMoveDown, [](TQSScore& s) { MoveVertical(s, 1); }},
      {B::bOctaveUp, [](TQSScore& s) { MoveVertical(s, -7); }},
      {B::bOctaveDown, [](TQSScore& s) { MoveVertical(s, 7); }},
      {B::bPitchUp, [](TQSScore& s) { Transpose(s, 4); }},
      {B::bPitchDown, [](TQSScore& s) { Transpose(s, -3); }},
      {B::bMoveLeft, [](TQSScore& s) { MoveHorizontal(s, -1); }},
      {B::bMoveRight, [](TQSScore& s) { MoveHorizontal(s, 1); }},
      {B::bSizeIncrease, [](TQSScore& s) { ChangeSize(s, 1); }},
      {B::bSizeDecrease, [](TQSScore& s) { ChangeSize(s, -1); }},
      {B::bLineUp, [](TQSScore& s) { SetStemDirection(s, -1); }},
      {B::bLineDown, [](TQSScore& s) { SetStemDirection(s, 1); }},
      {B::bNotesOffset, [](TQSScore& s) { OffsetNotes(s); }},
      {B::bUnionNotes, [](TQSScore& s) { JoinNotes(s, 0); }},
      {B::bSplitNotes, [](TQSScore& s) { JoinNotes(s, 1); }},
      {B::bBeamUp, [](TQSScore& s) { MoveBeam(s, -1); }},
      {B::bBeamDown, [](TQSScore& s) { MoveBeam(s, 1); }},
      {B::bSplitNote, [](TQSScore& s) { UnionNotePair(s, 1); }},
      {B::bUnionNote, [](TQSScore& s) { UnionNotePair(s, 0); }},
      {B::bIncOffDole, [](TQSScore& s) { ChangeSpaceBefore(s, 1, false); }},
      {B::bDecOffDole, [](TQSScore& s) { ChangeSpaceBefore(s, -1, false); }},
      {B::bHorzAlign, [](TQSScore& s) { AlignHorizontal(s); }},
      {B::bVertAlign, [](TQSScore& s) { AlignVertical(s); }},
      {B::bStaffUp, [](TQSScore& s) { ChangeStaveOffset(s, -1); }},
      {B::bStaffDown, [](TQSScore& s) { ChangeStaveOffset(s, 1); }},
      {B::bIncLeftStaff, [](TQSScore& s) { ChangeStaveLeftOffset(s, 1, false); }},
      {B::bDecLeftStaff, [](TQSScore& s) { ChangeStaveLeftOffset(s, -1, false); }},
      {B::bIncRightStaff, [](TQSScore& s) { ChangeStaveRightOffset(s, -1); }},
      {B::bDecRightStaff, [](TQSScore& s) { ChangeStaveRightOffset(s, 1); }},
      {B::bIncOffsetMeasure, [](TQSScore& s) { ChangeSpaceAfterMeasure(s, 1); }},
      {B::bDecOffsetMeasure, [](TQSScore& s) { ChangeSpaceAfterMeasure(s, -1); }},
      {B::bAddStaffBreak, [](TQSScore& s) { SetStaveBreak(s, 1); }},
      {B::bDeleteStaffBreak, [](TQSScore& s) { SetStaveBreak(s, 0); }},
      {B::bAddPageBreak, [](TQSScore& s) { SetPageBreak(s, 3); }},
      {B::bDeletePageBreak, [](TQSScore& s) { SetPageBreak(s, 0); }},
      {B::bBarUnionStyle, [](TQSScore& s) { SetMeasureJoinStyle(s, 1, 2); }},
      {B::bMeasureAlignStyle, [](TQSScore& s) { SetMeasureAlignStyle(s, 22); }},
      {B::bCalcVelocity,
       [](TQSScore& s) {
         std::vector<TQSItem*> items;
         for (TQSCalcItem* e : s.ActiveWindow()->SelectedMeasureElements()) items.push_back(e->Item);
         CalcVelocity(s, items);
       }},
  };
  // The commands that take a state back (breaks out, stems down, less
  // space) start from the state their partner left; the alignments from two
  // dynamics marks selected at different places.
  const std::pair<B, B> before[] = {{B::bDeleteStaffBreak, B::bAddStaffBreak}, {B::bDeletePageBreak, B::bAddPageBreak},
                                    {B::bSplitNotes, B::bUnionNotes},          {B::bUnionNote, B::bSplitNote},
                                    {B::bDecOffDole, B::bIncOffDole},          {B::bStaffDown, B::bStaffUp},
                                    {B::bDecOffsetMeasure, B::bIncOffsetMeasure}, {B::bLineUp, B::bLineDown}};
  const auto* all = cases;
  auto commandOf = [&](B b) {
    for (const TCase* c = all; c != all + std::size(cases); ++c)
      if (c->Button == b) return c->Command;
    return std::function<void(TQSScore&)>{};
  };
  auto prepare = [&](B b, TScore& s) {
    for (const auto& [later, first] : before)
      if (later == b) commandOf(first)(s.Score);
    if (b != B::bHorzAlign && b != B::bVertAlign) return;
    for (int m = 0; m < 2; ++m) {
      auto* mark = static_cast<TQSMark*>(CreateItemByKind(kind::Dynamics, s.Measure(m)));
      mark->Fields.Time = 0;
      mark->Fields.OffsetX = static_cast<int16_t>(m * 40);
      mark->Fields.OffsetY = static_cast<int16_t>(m * 24);
    }
    s.Score.Recalculate(0);
    s.View.Selected.clear();
    for (int m = 0; m < 2; ++m) s.Select({TEditFixture::Find<TQSMark>(s.Measure(m))});
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(Palette->Button(c.Button)->Name());
    TScore viaPalette, direct;
    prepare(c.Button, viaPalette);
    prepare(c.Button, direct);
    const std::vector<uint8_t> start = viaPalette.Saved();
    const int undo = viaPalette.Score.UndoCount();
    Host.Score = &viaPalette.Score;
    Press(c.Button);
    c.Command(direct.Score);
    const std::vector<uint8_t> after = viaPalette.Saved();
    EXPECT_EQ(after, direct.Saved()) << "as the command leaves it";
    EXPECT_NE(after, start) << "the command changed the score";
    EXPECT_LE(viaPalette.Score.UndoCount(), undo + 1) << "one step at most";
    if (viaPalette.Score.UndoCount() == undo + 1) {
      viaPalette.Score.Undo(1);
      EXPECT_EQ(viaPalette.Saved(), start) << "undo";
    }
  }
  Host.Score = nullptr;
}

// The side editors, the effects and the dynamics go to the program: the
// editors toggle through the host, the drop-downs call the palette's hooks.
TEST_F(ModifyPalette, EditorButtonsAndSettingsDropDownsGoToTheProgram) {
  TScore score;
  Host.Score = &score.Score;
  Press(B::bPlaybackEditor);
  Press(B::bVelocityEditor);
  Press(B::bVelocityEditor);
  EXPECT_EQ(Host.PlaybackToggles, 1);
  EXPECT_EQ(Host.VelocityToggles, 2);
  std::vector<TECCharButton*> below;
  Palette->OnEffectsDropDown = [&below](TECCharButton* b) { below.push_back(b); };
  Palette->OnDynamicsDropDown = [&below](TECCharButton* b) { below.push_back(b); };
  const std::vector<uint8_t> start = score.Saved();
  for (B b : {B::bCalcEffects, B::bCalcVelocity}) {
    TECCharButton* button = Palette->Button(b);
    td::Click(*button, button->Width() - 3, 8);  // the arrow
  }
  EXPECT_EQ(below, (std::vector<TECCharButton*>{Palette->Button(B::bCalcEffects), Palette->Button(B::bCalcVelocity)}));
  EXPECT_EQ(score.Saved(), start) << "the arrows only open the settings";
  // Without a document nothing happens and nothing breaks.
  Host.Score = nullptr;
  for (int b = 0; b < TFModify::kButtonCount; ++b)
    if (b != B::bAddPageBreak) Palette->RunCommand(static_cast<B>(b));
  EXPECT_EQ(Host.PlaybackToggles, 1);
}

// A short click moves the selection once; held for three ticks of the
// palette's timer it moves three times, the first at the first tick.
TEST_F(ModifyPalette, HeldButtonsRepeatWithTheTimer) {
  TScore score;
  Host.Score = &score.Score;
  TECCharButton& up = *Palette->Button(B::bMoveUp);
  const int start = score.Score.UndoCount();
  td::Click(up, 8, 8);
  EXPECT_EQ(score.Score.UndoCount(), start + 1) << "a short click";
  EXPECT_FALSE(Palette->TClick->Enabled());
  td::MouseDown(up, 8, 8);
  EXPECT_TRUE(Palette->TClick->Enabled());
  EXPECT_EQ(score.Score.UndoCount(), start + 1) << "nothing before the first tick";
  for (int tick = 0; tick < 3; ++tick) Palette->TClick->OnTimer(Palette->TClick);
  EXPECT_EQ(score.Score.UndoCount(), start + 4);
  td::MouseUp(up, 8, 8);
  EXPECT_EQ(score.Score.UndoCount(), start + 4) << "no extra step at the release";
  EXPECT_FALSE(Palette->TClick->Enabled());
  // A click button runs once and starts no timer.
  td::MouseDown(*Palette->Button(B::bLineUp), 8, 8);
  EXPECT_FALSE(Palette->TClick->Enabled());
  td::MouseUp(*Palette->Button(B::bLineUp), 8, 8);
  Host.Score = nullptr;
}

// The arrow of a transpose button only opens its chooser: no transposition,
// held or not. A value typed there or a preset picked is the new interval
// (kept positive going down), which the button then transposes by.
TEST_F(ModifyPalette, TheTransposeArrowOnlyOpensTheChooser) {
  TScore score;
  Host.Score = &score.Score;
  TECCharButton& pitchUp = *Palette->Button(B::bPitchUp);
  const int arrow = pitchUp.Width() - 3;
  const std::vector<uint8_t> start = score.Saved();
  td::MouseDown(pitchUp, arrow, 8);
  EXPECT_FALSE(Palette->TClick->Enabled());
  td::MouseUp(pitchUp, arrow, 8);
  EXPECT_EQ(score.Saved(), start) << "nothing transposed";
  auto* chooser = dynamic_cast<TFHeightTranspose*>(Palette->OpenPopup());
  ASSERT_NE(chooser, nullptr);
  EXPECT_EQ(chooser->Value(), 1);
  td::ProcessMessages();
  chooser->EPitch->SetText("4");
  EXPECT_EQ(Palette->Values().PitchUp, 4);
  chooser->Close();
  td::ProcessMessages();
  EXPECT_EQ(Palette->OpenPopup(), nullptr);
  // Down: the chooser shows the interval negative and a preset picked
  // counts downward.
  Palette->OpenTranspose(false);
  chooser = dynamic_cast<TFHeightTranspose*>(Palette->OpenPopup());
  ASSERT_NE(chooser, nullptr);
  EXPECT_EQ(chooser->Value(), -1);
  chooser->LVNames->SetItemIndex(0);  // down a tone
  chooser->LVNames->OnClick(chooser->LVNames);
  td::ProcessMessages();
  EXPECT_EQ(Palette->Values().PitchDown, 2);
  EXPECT_EQ(Palette->OpenPopup(), nullptr) << "a preset picked closes it";
  EXPECT_EQ(Settings->ReadInteger("Modify", "PitchUp", 0), 4);
  EXPECT_EQ(Settings->ReadInteger("Modify", "PitchDown", 0), 2);
  // The button transposes by the interval chosen.
  TScore direct;
  Transpose(direct.Score, 4);
  td::Click(pitchUp, 8, 8);
  EXPECT_EQ(score.Saved(), direct.Saved());
  Host.Score = nullptr;
}

// The row-alignment byte keeps every style apart: the evenly style's note
// interval stops below the proportional code and the measure count below
// the byte's end.
TEST(ModifyAlignStyle, TheStyleByteNeverCollidesOrWraps) {
  struct TCase {
    bool Active;
    int Style, Interval, Count;
    int Byte;
  } const cases[] = {
      {false, 2, 0, 3, 0},    {true, 0, 0, 3, 10},    {true, 0, 39, 3, 49},  {true, 0, 40, 3, 49},
      {true, 0, 100, 3, 49},  {true, 1, 40, 3, 50},   {true, 2, 0, 3, 103},  {true, 2, 0, 1, 101},
      {true, 2, 0, 100, 200}, {true, 2, 0, 200, 200}, {true, 2, 0, 0, 101},  {true, 3, 0, 3, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.Style) + " " + std::to_string(c.Interval) + " " + std::to_string(c.Count));
    EXPECT_EQ(AlignStyleByte(c.Active, c.Style, c.Interval, c.Count), c.Byte);
  }
  // The form offers no interval the byte cannot keep.
  TFAlignMeasure form(nullptr);
  form.SetNoteInterval(40);
  EXPECT_EQ(form.GetNoteInterval(), kMaxEvenNoteInterval);
}

// The row-alignment drop-down reports each change: kept, and applied to
// the cursor's system.
TEST_F(ModifyPalette, TheAlignmentDropDownKeepsAndAppliesTheStyle) {
  TScore score, direct;
  Host.Score = &score.Score;
  Palette->OpenAlignMeasure();
  auto* form = dynamic_cast<TFAlignMeasure*>(Palette->OpenPopup());
  ASSERT_NE(form, nullptr);
  EXPECT_FALSE(form->BBOk->Visible());
  td::ProcessMessages();
  td::Click(*form->CBActive, 6, 8);
  td::Click(*form->CBPositional, 20, 20);
  EXPECT_EQ(Palette->Values().HorzAlignStyle, 2);
  EXPECT_EQ(Palette->AlignStyle(), 103);
  EXPECT_TRUE(Settings->ReadBool("Modify", "HorzAlign", false));
  EXPECT_EQ(Settings->ReadInteger("Modify", "HorzAlignStyle", 0), 2);
  SetMeasureAlignStyle(direct.Score, 103);
  EXPECT_EQ(score.Saved(), direct.Saved());
  form->Close();
  td::ProcessMessages();
  Host.Score = nullptr;
}

// A page break asks the empty pages after it: Cancel inserts nothing, 0
// gives a break with no empty page (1), 2 gives 3.
TEST_F(ModifyPalette, APageBreakAsksTheEmptyPagesAfterIt) {
  struct TCase {
    bool Ok;
    const char* Typed;
    int Value;  // -1: no break
  } const cases[] = {{false, "3", -1}, {true, "0", 1}, {true, "2", 3}};
  Palette.reset();
  Palette = std::make_unique<TFModify>(nullptr, TPaletteContext{&Host, Settings.get()});
  td::ShowAndWait(*Palette);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Typed);
    TScore score, direct;
    Host.Score = &score.Score;
    td::Later([c] {
      if (!td::WaitForModal()) return;
      auto* d = dynamic_cast<TFPageCount*>(Screen().ActiveForm());
      if (!d) return td::KeyToModal(VK_ESCAPE);
      d->ECount->SetText(c.Typed);
      td::KeyToModal(c.Ok ? VK_RETURN : VK_ESCAPE);
    });
    Press(B::bAddPageBreak);
    if (c.Value >= 0) SetPageBreak(direct.Score, c.Value);
    EXPECT_EQ(score.Saved(), direct.Saved());
    EXPECT_EQ(score.Score.UndoCount(), c.Value >= 0 ? 1 : 0);
  }
  Host.Score = nullptr;
}

}  // namespace
}  // namespace qs::test
