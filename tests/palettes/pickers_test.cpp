// The pickers of the Notes palette and of the symbols, through their
// setters, getters and real clicks and keys: the rules by which each turns
// what is pressed into its value, and that a choice answers and closes.
#include <gtest/gtest.h>

#include "../common/library_support.h"
#include "base/safefile.h"
#include "base/stream.h"
#include "palettes/drums.h"
#include "palettes/notepickers.h"
#include "palettes/symbolpickers.h"
#include "platform/comctrls.h"
#include "platform/keys.h"
#include "platform/musicglyphs.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "score/record.h"
#include "uikit/charbutton.h"
#include "uikit/pagecontrol.h"

namespace qs {
namespace {

namespace td = testdriver;

// Is told when the form that owns it is freed.
struct TFreeWatch : TComponent {
  bool* Freed;
  TFreeWatch(TComponent* owner, bool* freed) : TComponent(owner), Freed(freed) {}
  ~TFreeWatch() override { *Freed = true; }
};

// Time signatures: the common-time symbol only for 4/4, the cut-time symbol
// for 2/4 and 4/4; what is reported follows the symbols that are down, even
// a disabled one, for 4/4 and 2/2 (both) and 2/4 (cut time).
TEST(TimeSignaturePicker, CommonAndCutTimeRules) {
  TFChooseSize p(nullptr);
  std::vector<std::pair<int, int>> reported;
  p.OnChange = [&](TObject*, int size, int style) { reported.push_back({size, style}); };
  p.SetSize(TimeWord(2, 4));
  p.SetSizeStyle(2);
  EXPECT_TRUE(p.CBSymbol2->Down());
  EXPECT_TRUE(p.CBSymbol2->Enabled());
  EXPECT_FALSE(p.CBSymbol1->Enabled());
  EXPECT_EQ(p.GetSizeStyle(), 2);
  EXPECT_TRUE(reported.empty()) << "presetting reports nothing";
  // The unit 8 chosen: both symbols off, numbers reported.
  p.CBSize->SetItemIndex(2);
  p.CBSize->OnChange(p.CBSize);  // as the list does when the user picks
  ASSERT_FALSE(reported.empty());
  EXPECT_EQ(reported.back(), std::make_pair(TimeWord(2, 8), 0));
  EXPECT_FALSE(p.CBSymbol1->Enabled());
  EXPECT_FALSE(p.CBSymbol2->Enabled());

  struct TCase {
    int Size;
    bool Common, Cut;
    int Style;
  };
  const TCase cases[] = {
      {TimeWord(4, 4), true, false, 1}, {TimeWord(4, 4), false, true, 2}, {TimeWord(4, 4), false, false, 0},
      {TimeWord(2, 2), true, false, 1},  // the common symbol still down from 4/4
      {TimeWord(2, 2), false, true, 2}, {TimeWord(2, 4), true, false, 0}, {TimeWord(2, 4), false, true, 2},
      {TimeWord(3, 4), true, false, 0}, {TimeWord(6, 8), false, true, 0},
  };
  for (const TCase& c : cases) {
    p.SetSize(c.Size);
    p.CBSymbol1->SetDown(c.Common);
    p.CBSymbol2->SetDown(c.Cut);
    EXPECT_EQ(p.GetSize(), c.Size);
    EXPECT_EQ(p.GetSizeStyle(), c.Style) << (c.Size >> 8) << "/" << (c.Size & 0xFF);
  }
  // A unit the list does not hold selects none.
  p.SetSize(TimeWord(3, 3));
  EXPECT_EQ(p.GetSize(), TimeWord(3, 0));
  // The faces: common time for 1/1, 2/2, 4/4, cut time also for 1/2, 2/4.
  EXPECT_TRUE(HasCommonTimeFace(TimeWord(1, 1)) && HasCommonTimeFace(TimeWord(2, 2)));
  EXPECT_FALSE(HasCommonTimeFace(TimeWord(2, 4)));
  EXPECT_TRUE(HasCutTimeFace(TimeWord(1, 2)) && HasCutTimeFace(TimeWord(2, 4)));
  EXPECT_FALSE(HasCutTimeFace(TimeWord(3, 4)));
}

// The grace-note length is the track bar read reversed: 72 - position,
// an eighth at the left end and a sixty-fourth at the right; moving the bar
// unchecks the default.
TEST(GraceNotePicker, TheTrackBarIsReadReversed) {
  TFChooseVorschlag p(nullptr);
  int changes = 0;
  p.OnChange = [&](TObject*) { ++changes; };
  p.SetDuration(32);
  EXPECT_EQ(p.TBDuration->Position(), 40);
  EXPECT_EQ(p.GetDuration(), 32);
  EXPECT_EQ(changes, 0);
  for (auto [position, ticks] : {std::pair{8, 64}, {64, 8}, {16, 56}, {49, 23}}) {
    p.SetDuration(0);
    EXPECT_EQ(p.GetDuration(), 0) << "the default length";
    p.TBDuration->SetPosition(position);
    EXPECT_FALSE(p.RBDefault->Checked());
    EXPECT_EQ(p.GetDuration(), ticks) << position;
  }
  EXPECT_GT(changes, 0);
  p.SetBefore(false);
  p.SetShort(true);
  p.SetInterval(150);
  p.SetLiga(false);
  EXPECT_FALSE(p.GetBefore());
  EXPECT_TRUE(p.GetShort());
  EXPECT_EQ(p.GetInterval(), 100);
  EXPECT_FALSE(p.GetLiga());
}

// The microtone codes: ten accidentals on two tabs; the visible tab's
// pressed button is the value; odd codes lower the pitch.
TEST(MicroTonePicker, TheTableAndItsTabs) {
  const std::pair<int, uint8_t> glyphsOf[] = {
      {101, glyphs::AccidentalQuarterToneFlatStein}, {102, glyphs::AccidentalQuarterToneSharpStein},
      {103, glyphs::AccidentalThreeQuarterTonesFlatZimmermann}, {104, glyphs::AccidentalThreeQuarterTonesSharpStein},
      {133, glyphs::AccidentalNaturalOneArrowDown}, {134, glyphs::AccidentalNaturalOneArrowUp},
      {135, glyphs::AccidentalNaturalTwoArrowsDown}, {136, glyphs::AccidentalNaturalTwoArrowsUp},
      {137, glyphs::AccidentalFlatOneArrowUp}, {138, glyphs::AccidentalSharpOneArrowDown}};
  for (auto [code, glyph] : glyphsOf) {
    const TMicroToneInfo* m = FindMicroTone(code);
    ASSERT_TRUE(m) << code;
    EXPECT_EQ(m->Glyph, glyph) << code;
    EXPECT_EQ(MicroToneShift(code), code % 2 ? -1 : 1);
  }
  EXPECT_STREQ(FindMicroTone(102)->Hint, "+1/4");
  EXPECT_STREQ(FindMicroTone(137)->Hint, "-3/8");
  EXPECT_EQ(FindMicroTone(105), nullptr);

  auto* p = new TFMicroTone(nullptr);
  bool freed = false;
  new TFreeWatch(p, &freed);
  p->SetMicroTone(136);
  EXPECT_EQ(p->PCMicrotone->ActivePage(), p->TSSecond);
  EXPECT_TRUE(p->FindComponent("CB2Diesis14") && static_cast<TECCharButton*>(p->FindComponent("CB2Diesis14"))->Down());
  EXPECT_EQ(p->GetMicroTone(), 136);
  p->PCMicrotone->SetActivePage(p->TSFirst);
  EXPECT_EQ(p->GetMicroTone(), 0) << "nothing is pressed on the first tab";
  p->SetMicroTone(102);
  EXPECT_EQ(p->PCMicrotone->ActivePage(), p->TSFirst);
  EXPECT_EQ(p->GetMicroTone(), 102);
  // A button group spans one tab: the other tab's button is released too.
  EXPECT_FALSE(p->Buttons[7]->Down());
  // A click chooses and closes.
  int chosen = 0;
  p->OnChoose = [&](TObject*, int code) { chosen = code; };
  p->SetBounds(100, 100, p->Width(), p->Height());
  td::ShowAndWait(*p);
  td::Click(*p->Buttons[2], 10, 10);
  td::ProcessMessages();
  EXPECT_EQ(chosen, 103);
  EXPECT_TRUE(freed);
}

// Brackets and note values: the pressed button, or the fallback when none.
TEST(ValuePickers, BracketsAndNoteValues) {
  TFBracketStyles b(nullptr);
  EXPECT_EQ(b.GetStyle(), 0);
  b.SetStyle(2);
  EXPECT_EQ(b.GetStyle(), 2);
  EXPECT_EQ(b.CBBrackets[2]->Caption(), "{  }");
  EXPECT_STREQ(BracketCaption(1), "[  ]");
  EXPECT_STREQ(BracketCaption(3), "");

  TFDuration d(nullptr);
  EXPECT_EQ(d.GetDuration(), 8) << "nothing pressed";
  for (int ticks : {512, 256, 128, 64, 32, 16}) {
    d.SetDuration(ticks);
    EXPECT_EQ(d.GetDuration(), ticks);
  }
  d.SetDuration(8);
  EXPECT_TRUE(d.CBNotes[6]->Down());
  d.SetDuration(100);
  EXPECT_EQ(d.GetDuration(), 8) << "an unknown value presses none";

  TFChooseTempo t(nullptr);
  EXPECT_EQ(t.GetTempoNote(), 2) << "the quarter at first";
  for (auto [set, get] : {std::pair{0, 0}, {4, 4}, {7, 2}, {-1, 2}, {1, 1}}) {
    t.SetTempoNote(set);
    EXPECT_EQ(t.GetTempoNote(), get) << set;
  }
  int changes = 0;
  t.OnChange = [&](TObject*) { ++changes; };
  t.SetTempo(96);
  EXPECT_EQ(changes, 0);
  t.ETempo->SetText("200");
  EXPECT_EQ(t.GetTempo(), 200);
  t.ETempo->SetText("fast");
  EXPECT_EQ(t.GetTempo(), 200) << "text that is no number keeps the last tempo";
  EXPECT_EQ(changes, 1);
}

// Clefs 1..15 in code order; a click answers with the code and frees the
// picker; Esc closes it without an answer.
TEST(ClefPicker, CodesAClickAndEsc) {
  auto* p = new TFChooseClef(nullptr);
  bool freed = false;
  new TFreeWatch(p, &freed);
  EXPECT_EQ(p->GetClef(), 0);
  p->SetClef(16);
  EXPECT_EQ(p->GetClef(), 0);
  p->SetClef(15);
  EXPECT_EQ(p->GetClef(), 15);
  EXPECT_EQ(p->Buttons[14]->Name(), "CBKey3");
  EXPECT_EQ(p->Buttons[7]->Left(), 80);
  EXPECT_EQ(p->Buttons[7]->Top(), 158);
  int chosen = 0;
  p->OnChoose = [&](TObject*, int clef) { chosen = clef; };
  p->SetBounds(100, 100, p->Width(), p->Height());
  td::ShowAndWait(*p);
  td::Click(*p->Buttons[1], 30, 30);
  td::ProcessMessages();
  EXPECT_EQ(chosen, 2);
  EXPECT_TRUE(freed);

  auto* q = new TFChooseClef(nullptr);
  bool qFreed = false;
  new TFreeWatch(q, &qFreed);
  q->OnChoose = [&](TObject*, int) { chosen = -1; };
  td::ShowAndWait(*q);
  td::KeyDown(*q, VK_ESCAPE);  // it is gone before the key comes up
  td::ProcessMessages();
  EXPECT_TRUE(qFreed);
  EXPECT_EQ(chosen, 2);
}

// Keys: positions 0..7 are the sharps, 8..14 the flats 11..17; the codes
// 8..10 reach the positions 5..7. Shift+digit and Alt+digit press a key.
TEST(KeyPicker, CodesPositionsAndKeys) {
  TFChooseTone p(nullptr);
  EXPECT_EQ(p.GetTone(), 0);
  for (auto [set, get] : {std::pair{8, 5}, {10, 7}, {7, 7}, {11, 11}, {17, 17}, {0, 0}}) {
    p.SetTone(set);
    EXPECT_EQ(p.GetTone(), get) << set;
  }
  p.SetTone(-1);
  p.SetTone(18);
  EXPECT_EQ(p.GetTone(), 0) << "codes out of range press nothing";
  p.SetMinor(true);
  EXPECT_TRUE(p.GetMinor());
  p.SetModify(true);
  EXPECT_TRUE(p.GetModify());

  int answers = 0;
  p.OnChoose = [&](TObject*) { ++answers; };
  td::ShowAndWait(p);
  td::PressKey(p, '3', ssShift);
  EXPECT_EQ(p.GetTone(), 3);
  td::PressKey(p, '2', ssAlt);
  EXPECT_EQ(p.GetTone(), 12);
  EXPECT_EQ(answers, 0) << "a key only presses";
  td::Click(*p.CBModify, 5, 5);
  EXPECT_EQ(answers, 1) << "the modify box answers and stays";
  EXPECT_TRUE(p.Visible());
}

// Accolades: 0..2 and 255 for the no-accolade button, which 3 also presses,
// even while it is hidden; showing it widens the picker.
TEST(AccoladePicker, KindsAndTheNoneButton) {
  TFChooseAccolade p(nullptr);
  EXPECT_EQ(p.ClientWidth(), 68);
  p.SetAccolade(3);
  EXPECT_EQ(p.GetAccolade(), 255);
  p.SetAccolade(1);
  EXPECT_EQ(p.GetAccolade(), 1);
  p.SetAccolade(4);
  EXPECT_EQ(p.GetAccolade(), 1) << "other values change nothing";
  p.SetAccolade(255);
  EXPECT_EQ(p.GetAccolade(), 255);
  EXPECT_FALSE(p.Buttons[3]->Visible());
  p.ShowNoneButton();
  EXPECT_TRUE(p.Buttons[3]->Visible());
  EXPECT_EQ(p.ClientWidth(), 88);
}

// Instruments: 128 and values out of 0..254 are no assignment; 129..254
// change nothing; the test note is 40 for the basses, cello family and tuba.
TEST(InstrumentPicker, ValuesAndTheTestNote) {
  TFChooseTembr p(nullptr, nullptr);
  EXPECT_EQ(p.GetTembr(), 0);
  EXPECT_EQ(p.Programs[0]->Caption(), "0.Acoustic Grand Piano");
  for (auto [set, get] : {std::pair{40, 40}, {128, -1}, {5, 5}, {200, 5}, {255, -1}, {127, 127}, {-1, -1}}) {
    p.SetTembr(set);
    EXPECT_EQ(p.GetTembr(), get) << set;
  }
  p.SetNoneVisible(false);
  EXPECT_FALSE(p.RadioButton0->Visible());
  for (auto [program, note] : {std::pair{32, 40}, {40, 40}, {41, 64}, {43, 40}, {58, 40}, {0, 64}})
    EXPECT_EQ(TFChooseTembr::TestNote(program), note) << program;
  std::pair<int, int> tested{-2, 0};
  p.OnTest = [&](int program, int note) { tested = {program, note}; };
  p.SetTembr(33);
  td::ShowAndWait(p);
  td::Click(*p.BBTest, 5, 5);
  EXPECT_EQ(tested, std::make_pair(33, 40));
  p.SetTembr(-1);
  tested = {-2, 0};
  td::Click(*p.BBTest, 5, 5);
  EXPECT_EQ(tested.first, -2) << "no assignment sounds nothing";
}

// Drum styles: the index lists files, only those that exist become styles
// (dense indexes); a style file keeps the first 8 head bytes and still
// reads its font.
TEST(DrumStyles, TheIndexAndTheStyleFiles) {
  test::TProgramFolder folder;
  std::filesystem::create_directories(folder.Dir() + "Templates");
  auto write = [&](const std::string& name, int headBytes, uint16_t version = 800) {
    SafeSaveFile(folder.Dir() + "Templates/" + name + ".drm", [&](TStream& s) {
    s.WriteU8('(');
    WriteStreamString(s, "Drum style");
    s.WriteU16(version);
    s.WriteU16(4);
    WriteStreamString(s, "x");
    WriteStreamString(s, name + " head");
    s.WriteU16(static_cast<uint16_t>(headBytes));
    for (int i = 0; i < headBytes; ++i) s.WriteU8(static_cast<uint8_t>(i == 4 ? 211 : i == 6 ? 0x80 : 0x10 + i));
    WriteStreamString(s, "Other Font");
    });
  };
  write("Snare", 12);
  write("Ride", 8);
  SafeSaveText(folder.Dir() + "Drums.ini", "[Drums]\nDrumMax=3\nDrum0=Snare.drm\nDrum1=Gone.drm\nDrum2=Ride.ini\n");
  TDrumStyles styles = LoadDrumStyles();
  ASSERT_EQ(styles.size(), 2u);
  EXPECT_EQ(styles[1]->FileName, "Ride.ini");
  EXPECT_FALSE(styles[0]->Loaded) << "read on first use";
  styles[0]->EnsureLoaded();
  EXPECT_EQ(styles[0]->Name, "Snare head");
  EXPECT_EQ(styles[0]->HeadGlyph(), glyphs::NoteheadXBlack);
  EXPECT_EQ(styles[0]->StemLength(), 0x1312);
  EXPECT_TRUE(styles[0]->StemLeft());
  EXPECT_EQ(styles[0]->FontName, "Other Font") << "after 12 head bytes";
  // A too new style raises, and stays empty without being read again.
  write("Ride", 8, 801);
  styles[1]->EnsureLoaded();
  EXPECT_TRUE(styles[1]->Loaded);
  EXPECT_EQ(styles[1]->HeadGlyph(), 0);
  EXPECT_EQ(DrumHeadCode(2), 7);

  // The grid: 4 a row, the standard head first at (0, 0).
  TFChooseDrum p(nullptr);
  p.WithStandard = true;
  p.FillDrumButtons(styles);
  ASSERT_EQ(p.Buttons.size(), 3u);
  EXPECT_EQ(p.Buttons[0]->Top(), 27);
  EXPECT_EQ(p.Buttons[1]->Left(), 27);
  EXPECT_EQ(p.Buttons[2]->Left(), 0);
  EXPECT_EQ(p.Buttons[2]->Top(), 0);
  EXPECT_EQ(p.ClientWidth(), 120);
}

}  // namespace
}  // namespace qs
