// The chord-part choosers, the finger chooser and the frame editor dialog:
// values and fallbacks, alteration captions, the chord code composed from
// the buttons, and a finger chosen at a string's finger box.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "chords/chordeditor.h"
#include "chords/choosers.h"
#include "chords/framedialogs.h"
#include "chords/frameeditor.h"
#include "platform/forms.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "uikit/charbutton.h"

namespace qs {
namespace {

namespace td = testdriver;

std::string Name(const TECChordEditor& e) {
  std::string s;
  for (const auto& f : e.Fragments()) s += Utf16ToUtf8(f.Text);
  return s;
}

TEST(ChordChoosers, ValuesAndFallbacks) {
  struct Case {
    TFChooser* chooser;
    std::vector<int> values;
    int fallback;  // with every button up; -1: one button always stays down
  };
  const Case cases[] = {
      {new TFChooseChordNote(nullptr), {0, 1, 2, 3, 4, 5, 6}, -1},
      {new TFChooseChordBase(nullptr), {0, 1, 2, 3, 4, 5}, 5},
      {new TFChooseChordMinor(nullptr), {0, 1, 2}, 2},
      {new TFChooseChordMajor(nullptr), {0, 1}, 1},
      {new TFChooseChordSus(nullptr), {0, 2}, 2},  // no "sus2" here
      {new TFChooseChordOmit(nullptr), {0, 1, 2, 3}, 3},
      {new TFChooseChordAdd(nullptr), {0, 1, 2}, 0},
      {new TFChooseFinger(nullptr), {1, 2, 3, 4, 5}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chooser->Name());
    c.chooser->OnClose = nullptr;  // kept for the checks
    std::vector<int> values;
    for (int v = -1; v < 8; ++v)
      if (c.chooser->ButtonOf(v)) values.push_back(v);
    EXPECT_EQ(values, c.values);
    int chosen = -9;
    c.chooser->OnChosen = [&](TFChooser* ch) { chosen = ch->GetValue(); };
    const int last = c.values.back();
    TECCharButton* b = c.chooser->ButtonOf(last);
    td::ShowAndWait(*c.chooser);
    td::Click(*b, 5, 5);
    EXPECT_EQ(chosen, last);
    EXPECT_FALSE(c.chooser->Visible());  // a choice closes it
    // The pressed button clicked again.
    td::ShowAndWait(*c.chooser);
    td::Click(*b, 5, 5);
    EXPECT_EQ(chosen, c.fallback == -1 ? last : c.fallback);
    delete c.chooser;
  }
}

TEST(ChordChoosers, AlterationCaptionsAndStyles) {
  EXPECT_EQ(TFChooseChordAdd::Caption(9, 0, 2), "9");
  EXPECT_EQ(TFChooseChordAdd::Caption(9, 1, 0), "9+");
  EXPECT_EQ(TFChooseChordAdd::Caption(9, 2, 0), "9-");
  EXPECT_EQ(TFChooseChordAdd::Caption(9, 1, 1), "+9");
  EXPECT_EQ(TFChooseChordAdd::Caption(9, 2, 2), "b9");
  EXPECT_EQ(TFChooseChordAdd::Caption(9, 1, 3), "aug9");
  EXPECT_EQ(TFChooseChordAdd::Caption(13, 2, 3), "dim13");
  TFChooseChordAdd add(nullptr);
  add.SetNumber(11);
  add.SetStyle(1);
  EXPECT_EQ(add.CBDiesis->Caption(), "+11");
  int styleCalls = 0;
  add.OnStyleChanged = [&](TFChooseChordAdd* a) { styleCalls += a->Style() == 3; };
  add.Tabs[3]->Click();
  EXPECT_EQ(add.CBBemol->Caption(), "dim11");
  EXPECT_EQ(styleCalls, 1);
  // A style past the pages: only the first page, style 0.
  add.SetStyle(255);
  EXPECT_EQ(add.Style(), 0);
  EXPECT_TRUE(add.Tabs[0]->Visible());
  EXPECT_FALSE(add.Tabs[1]->Visible() || add.Tabs[2]->Visible() || add.Tabs[3]->Visible());
  EXPECT_EQ(add.CBDiesis->Caption(), "11+");
}

TEST(FrameEditorDialog, ComposesTheCodeFromItsButtons) {
  TFFrameEditor dialog(nullptr, nullptr);
  EXPECT_EQ(Name(*dialog.CEChord), "C");  // opened without a code: C major
  EXPECT_EQ(dialog.BuildCode(), (std::vector<uint8_t>{2, 0, 0x00, 0x10}));
  // G minor seventh with a raised ninth over B, with a bracket and an
  // "add" element that the frame editor does not keep.
  dialog.SetCode({6, 1, 0x04, 0x20, 0x12, 0x70, 0x81, 0xC1, 0x06});
  EXPECT_TRUE(dialog.CBChordMinor->Down());
  EXPECT_TRUE(dialog.CBChordAdd[2]->Down());
  EXPECT_EQ(dialog.CBChordAdd[2]->Caption(), "9+");
  EXPECT_EQ(dialog.CBChordBase->Caption(), "7");
  EXPECT_EQ(dialog.CBChordNote1->Caption(), "B");
  EXPECT_EQ(dialog.BuildCode(), (std::vector<uint8_t>{4, 1, 0x04, 0x20, 0x12, 0xC1, 0x06}));
  EXPECT_EQ(Name(*dialog.CEChord), "Gm79+/B");
  // A click on a button renames at once.
  td::ShowAndWait(dialog);
  td::Click(*dialog.CBChordMinor, 5, 5);
  td::Click(*dialog.CBChordDiesis, 5, 5);
  EXPECT_EQ(Name(*dialog.CEChord), "G#79+/B");
  td::Click(*dialog.CBChordNote1, 5, 5);
  EXPECT_EQ(dialog.BuildCode(), (std::vector<uint8_t>{3, 0, 0x14, 0x12, 0xC1}));
  // OK keeps the composed code; the stored code waits for it.
  EXPECT_EQ(dialog.Code(), (std::vector<uint8_t>{6, 1, 0x04, 0x20, 0x12, 0x70, 0x81, 0xC1, 0x06}));
  td::Click(*dialog.BBSave, 5, 5);
  EXPECT_EQ(dialog.Code(), (std::vector<uint8_t>{3, 0, 0x14, 0x12, 0xC1}));
  EXPECT_EQ(dialog.ModalResult(), mrOk);
}

TEST(FrameEditorDialog, AFingerChosenAtItsBoxReachesTheFrame) {
  TFUserFrame* frame = new TFUserFrame(nullptr);
  frame->OnClose = nullptr;
  frame->OnDeactivate = nullptr;
  int changes = 0;
  frame->OnFrameChanged = [&](TFUserFrame*) { ++changes; };
  td::ShowAndWait(*frame);
  TECFrameEditor& fe = *frame->FEFrame;
  fe.SetString(3, {55, 1, 2});
  changes = 0;
  const TRect box = fe.GetFingerBoxRect(3);
  td::Click(fe, (box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2);
  TFChooseFinger* chooser = nullptr;
  for (int i = 0; i < Screen().FormCount() && !chooser; ++i)
    chooser = dynamic_cast<TFChooseFinger*>(Screen().Forms(i));
  ASSERT_NE(chooser, nullptr);
  EXPECT_EQ(chooser->StringIndex, 3);
  chooser->OnClose = nullptr;
  td::Click(*chooser->ButtonOf(5), 5, 5);
  EXPECT_EQ(fe.GetString(3)->Finger, kThumb);
  EXPECT_EQ(changes, 1);
  delete chooser;
  delete frame;
  td::ProcessMessages();
}

TEST(FrameEditorDialog, AGMajorFrameGetsABarreAndAFinger) {
  // The host's protocol: counts, the chord, then each string's entry.
  TFFrameEditor dialog(nullptr, nullptr);
  dialog.FEFrame->SetStringCount(6);
  dialog.FEFrame->SetFretCount(24);
  dialog.SetCode({2, 0, 0x04, 0x10});  // G
  const uint8_t tuning[6] = {40, 45, 50, 55, 59, 64};
  for (int i = 0; i < 6; ++i) dialog.FEFrame->SetString(i, {tuning[i], 0, 0});
  td::ShowAndWait(dialog);
  TECFrameEditor& fe = *dialog.FEFrame;
  for (auto [string, fret] : {std::pair{0, 3}, {1, 2}, {5, 3}}) {
    const TPoint p = fe.GetCellPoint(string, fret);
    td::Click(fe, p.X, p.Y);
  }
  EXPECT_EQ(fe.GetString(0)->Finger, 2);  // fingers by fret: 2, 1, 2
  EXPECT_EQ(fe.GetString(1)->Finger, 1);
  const TRect barre = fe.BarreBoxRect(2);
  td::Click(fe, barre.Left + 4, barre.Top + 4);
  EXPECT_EQ(fe.GetBarre(2), 1);
  // The finger box of the top string: the thumb.
  const TRect box = fe.GetFingerBoxRect(5);
  td::Click(fe, (box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2);
  TFChooseFinger* chooser = nullptr;
  for (int i = 0; i < Screen().FormCount() && !chooser; ++i)
    chooser = dynamic_cast<TFChooseFinger*>(Screen().Forms(i));
  ASSERT_NE(chooser, nullptr);
  chooser->OnClose = nullptr;
  td::Click(*chooser->ButtonOf(4), 5, 5);
  delete chooser;
  td::Click(*dialog.BBSave, 5, 5);
  EXPECT_EQ(dialog.ModalResult(), mrOk);
  EXPECT_EQ(dialog.Code(), (std::vector<uint8_t>{2, 0, 0x04, 0x10}));
  const std::vector<TQSFrameString> expected = {{40, 2, 3}, {45, 1, 2}, {50, 0, 0},
                                                {55, 0, 0}, {59, 0, 0}, {64, 4, 3}};
  EXPECT_EQ(fe.Strings(), expected);
  EXPECT_EQ(fe.Barres(), (std::vector<uint8_t>{0, 0, 1, 0, 0}));
  td::ProcessMessages();
}

}  // namespace
}  // namespace qs
