// The composition properties edit a copy of the page that reaches the score
// only on Apply, and read back the score's encodings; the piece, part,
// staff and voice dialogs give back what they were given, and compute
// transpositions and tunings.
#include <gtest/gtest.h>

#include <string>

#include "chords/guitar.h"
#include "dialogs/compositionproperties.h"
#include "dialogs/libraries.h"
#include "dialogs/objectproperties.h"
#include "palettes/drummap.h"
#include "palettes/pitchpicker.h"
#include "platform/comctrls.h"
#include "platform/extctrls.h"
#include "platform/stdctrls.h"
#include "score/page.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "uikit/charbutton.h"
#include "uikit/gridstring.h"

using namespace qs;

namespace {

// A score of one piece with one part of one staff and voice.
struct TSmallScore {
  TQSScore Score;
  TQSPiece* Piece = new TQSPiece(&Score);
  TQSPart* Part = new TQSPart(Piece);
  TQSStaff* Staff = Part->NewStaff();
  TQSVoice* Voice = Staff->NewVoice();
};

const TQSDrumMapEntry* EntryOfKey(const TQSScore& score, int key) {
  for (const TQSDrumMapEntry& e : score.DrumMap)
    if (e.Key == key) return &e;
  return nullptr;
}

void Choose(TComboBox& box, int index) {
  box.SetItemIndex(index);
  if (box.OnChange) box.OnChange(&box);
}
void Click(TRadioButton& button) {
  button.SetChecked(true);
  if (button.OnClick) button.OnClick(&button);
}

}  // namespace

TEST(CompositionPropertiesDialog, ThePageReachesTheScoreOnlyOnApply) {
  TSmallScore s;
  s.Score.Page.SetPaperSize(TQSPaperSize::Letter);
  const long double width = s.Score.Page.Width(), height = s.Score.Page.Height();
  for (const bool ok : {false, true}) {
    SCOPED_TRACE(ok ? "OK" : "Cancel");
    {
      TFCompositionProperties d(nullptr, nullptr);
      d.SetScore(&s.Score);
      Choose(*d.CBPaperSize, static_cast<int>(TQSPaperSize::A4));
      Click(*d.RBLandscape);
      d.TBScale->SetPosition(80);
      // The copy is A4 across; the edits show it.
      EXPECT_EQ(d.Lengths[0]->Text(), "297.0mm");
      EXPECT_EQ(d.Lengths[1]->Text(), "210.0mm");
      EXPECT_FALSE(d.Lengths[0]->Enabled());
      EXPECT_EQ(s.Score.Page.PaperSize(), TQSPaperSize::Letter);
      if (ok) d.Apply();
    }
    if (!ok) {
      EXPECT_EQ(s.Score.Page.PaperSize(), TQSPaperSize::Letter);
      EXPECT_EQ(s.Score.Page.Width(), width);
      EXPECT_EQ(s.Score.Page.Height(), height);
      EXPECT_EQ(s.Score.Scale, 100);
      continue;
    }
    EXPECT_EQ(s.Score.Page.PaperSize(), TQSPaperSize::A4);
    EXPECT_EQ(s.Score.Page.Orientation(), TQSOrientation::poLandscape);
    EXPECT_NEAR(static_cast<double>(s.Score.Page.Tenths(TQSPage::dWidth)), 2970, 0.01);
    EXPECT_NEAR(static_cast<double>(s.Score.Page.Tenths(TQSPage::dHeight)), 2100, 0.01);
    EXPECT_EQ(s.Score.Scale, 80);
  }
}

TEST(CompositionPropertiesDialog, SettingsComeBackInTheScoresEncoding) {
  struct TCase {
    uint8_t Align, AutoJoin;
    int AlignBack, AutoJoinBack;
    const char* Checked;  // E, P, M or - for the note placing shown
  } const cases[] = {
      {25, 5, 25, 5, "E"},   // evenly by 15; in four groups (item 3, count 4)
      {60, 1, 50, 1, "P"},   // proportionally
      {104, 0, 104, 0, "M"}, // four measures a row
      {100, 2, 103, 2, "-"}, // no mode shown: OK takes the measure count's 3
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Align));
    TSmallScore s;
    s.Score.Align = c.Align;
    s.Score.AutoJoin = c.AutoJoin;
    TFCompositionProperties d(nullptr, nullptr);
    d.SetScore(&s.Score);
    const std::string checked = d.RBEvenly->Checked()         ? "E"
                                : d.RBProportional->Checked() ? "P"
                                : d.RBPositional->Checked()   ? "M"
                                                              : "-";
    EXPECT_EQ(checked, c.Checked);
    if (c.AutoJoin == 5) {
      EXPECT_TRUE(d.RGAutoJoin[3]->Checked());
      EXPECT_EQ(d.UDUnionCount->Position(), 4);
    }
    d.Apply();
    EXPECT_EQ(s.Score.Align, c.AlignBack);
    EXPECT_EQ(s.Score.AutoJoin, c.AutoJoinBack);
  }
}

TEST(CompositionPropertiesDialog, TheGridIsTheWholeDrumMap) {
  TSmallScore s;
  s.Score.SetDrumMapEntry(38, "Snare", 255, 66, 1);
  s.Score.SetDrumMapEntry(26, "Low", 2, 60, 0);
  s.Score.SetDrumMapEntry(42, "", 0, 74, 1);  // a name nobody sees
  TFCompositionProperties d(nullptr, nullptr);
  d.SetScore(&s.Score);
  // Pitch 26 has the last row.
  EXPECT_EQ(d.SGDrumMap->Cells(TFDrumMap::kName, 62), "Low");
  d.SGDrumMap->SetCells(TFDrumMap::kPos, TFDrumMap::RowOfKey(38), "x");
  d.SGDrumMap->SetCells(TFDrumMap::kName, TFDrumMap::RowOfKey(50), " Tom ");
  d.Apply();
  ASSERT_EQ(s.Score.DrumMap.size(), 3u);
  const TQSDrumMapEntry* snare = EntryOfKey(s.Score, 38);
  ASSERT_NE(snare, nullptr);
  EXPECT_EQ(snare->Position, 64);  // not a number: the middle line
  EXPECT_EQ(snare->Head, 255);
  EXPECT_EQ(EntryOfKey(s.Score, 42), nullptr);
  const TQSDrumMapEntry* tom = EntryOfKey(s.Score, 50);
  ASSERT_NE(tom, nullptr);
  EXPECT_EQ(tom->Name, "Tom");
}

TEST(CompositionPropertiesDialog, TheUnitAndTheSample) {
  TSmallScore s;
  TFCompositionProperties d(nullptr, nullptr);
  d.SetScore(&s.Score);
  Click(*d.RGMetric[1]);
  EXPECT_EQ(d.Lengths[2]->Text(), "0.394in");
  // The printable area of a 100 x 200 page drawn 70 x 100 (f = 100 / 70).
  const TRect paper{10, 20, 80, 120};
  const TRect area = MarginSampleRect(paper, 100, 200, 10, 20, 30, 40);
  EXPECT_EQ(area.Left, 17);
  EXPECT_EQ(area.Top, 34);
  EXPECT_EQ(area.Right, 59);
  EXPECT_EQ(area.Bottom, 92);
  // Margins as large as the page: the whole sheet.
  const TRect whole = MarginSampleRect(paper, 100, 200, 100, 0, 0, 0);
  EXPECT_EQ(whole.Left, paper.Left);
  EXPECT_EQ(whole.Right, paper.Right);
}

TEST(PiecePropertiesDialog, TheUpbeatComesBackAsItWas) {
  struct TCase {
    uint16_t Auftakt;
    bool Checked;
    int Count;
    const char* Unit;
  } const cases[] = {{4, false, 0, "4"}, {0x0208, true, 2, "8"}, {0x0103, true, 1, ""}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Auftakt);
    TSmallScore s;
    s.Piece->Fields.Auftakt = c.Auftakt;
    TFPieceProperties d(nullptr, nullptr);
    d.SetPiece(s.Piece);
    EXPECT_EQ(d.CBAuftakt->Checked(), c.Checked);
    EXPECT_EQ(d.UDAufTaktNotes->Position(), c.Count);
    EXPECT_EQ(d.CBAuftaktSize->Text(), c.Unit);
    // A unit not offered is read as quarters.
    EXPECT_EQ(d.Values().Auftakt, c.Auftakt == 0x0103 ? 0x0104 : c.Auftakt);
  }
}

TEST(PartPropertiesDialog, TranspositionsAndUnsetValues) {
  TQSTransports presets;
  TQSTransportDescription* clarinet = presets.Add();
  clarinet->Name = "B-flat";
  clarinet->Values = {MakeTransportRecord(-2)};
  TQSTransportDescription* horn = presets.Add();
  horn->Name = "F";
  horn->Values = {MakeTransportRecord(-7)};
  struct TCase {
    std::vector<TQSTransportRecord> Own;
    int Shown, Choose;
    std::vector<TQSTransportRecord> Back;
  } const cases[] = {
      {{}, 0, 1, {MakeTransportRecord(-2)}},                     // a clarinet in B-flat
      {{MakeTransportRecord(-7)}, 2, 0, {}},                     // none any more
      {{MakeTransportRecord(-7)}, 2, 2, {MakeTransportRecord(-7)}},
      // No preset matches: shown as none, and kept unless one is chosen.
      {{MakeTransportRecord(5)}, 0, 0, {MakeTransportRecord(5)}},
      {{MakeTransportRecord(5)}, 0, 1, {MakeTransportRecord(-2)}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Choose);
    TSmallScore s;
    s.Part->Transports = c.Own;
    TFPartProperties d(nullptr, nullptr, &presets);
    d.SetPart(s.Part);
    EXPECT_EQ(d.CBTransport->ItemIndex(), c.Shown);
    d.CBTransport->SetItemIndex(c.Choose);
    EXPECT_EQ(d.Values().Transports, c.Back);
    // Volume and pan not set: the boxes are off, the bars in the middle.
    EXPECT_FALSE(d.CBVolume->Checked());
    EXPECT_EQ(d.TBVolume->Position(), 63);
    EXPECT_EQ(d.Values().Volume, 255);
    EXPECT_EQ(d.Values().Pan, 255);
  }
}

TEST(StaffPropertiesDialog, TheTuningGrid) {
  TSmallScore s;
  s.Staff->Fields.Scale = 75;
  TFStaffProperties d(nullptr, nullptr, nullptr);
  d.SetStaff(s.Staff);
  EXPECT_TRUE(d.RBCustom->Checked());
  EXPECT_EQ(d.TBScale->Position(), 75);
  EXPECT_FALSE(d.SGTuning->Enabled());
  // Tablature on: six strings of a guitar, string 1 the bottom row.
  d.CBTab->SetChecked(true);
  d.TablatureClicked();
  EXPECT_TRUE(d.SGTuning->Enabled());
  EXPECT_EQ(d.LineCount(), 6);
  EXPECT_EQ(d.UDFretCount->Position(), 24);
  EXPECT_EQ(d.SGTuning->Cells(1, 5), PitchText(52));
  EXPECT_EQ(d.SGTuning->Cells(0, 5), "1");
  EXPECT_EQ(d.SGTuning->Cells(1, 0), PitchText(76));
  TStaffProperties v = d.Values();
  EXPECT_EQ(v.LineCount, 6);
  EXPECT_TRUE(v.Tablature);
  EXPECT_EQ(v.Scale, 75);
  const uint8_t guitar[] = {52, 57, 62, 67, 71, 76};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(v.Tuning[size_t(i)], guitar[i]) << i;
  // Twelve strings: the six keep their pitches, the grid has twelve rows.
  d.SetLineCount(12);
  d.SetStringPitch(11, 88);
  v = d.Values();
  EXPECT_EQ(v.LineCount, 12);
  EXPECT_EQ(v.Tuning[0], 52);
  EXPECT_EQ(v.Tuning[11], 88);
  EXPECT_EQ(d.SGTuning->Cells(1, 0), PitchText(88));
  // A guitar of the library takes its strings and frets.
  TFStaffProperties::TGuitarList guitars;
  auto bass = std::make_unique<TQSGuitarDescription>();
  bass->StringCount = 4;
  bass->FretCount = 20;
  for (int i = 0; i < 4; ++i) bass->SetTuning(i, static_cast<uint8_t>(28 + 5 * i));
  guitars.push_back(std::move(bass));
  TFStaffProperties g(nullptr, nullptr, &guitars);
  g.SetStaff(s.Staff);
  g.TakeGuitar(0);
  v = g.Values();
  EXPECT_EQ(v.LineCount, 4);
  EXPECT_EQ(v.FretCount, 20);
  EXPECT_EQ(v.Tuning[0], 28);
  EXPECT_EQ(v.Tuning[3], 43);
}

TEST(VoicePropertiesDialog, NoInstrumentOfItsOwn) {
  TSmallScore s;
  s.Voice->Fields.Channel = 9;
  TFVoiceProperties d(nullptr, nullptr);
  d.SetVoice(s.Voice);
  EXPECT_EQ(d.EInstrument->Text(), "");
  EXPECT_EQ(d.Values(), (TVoiceProperties{255, 9, false}));
  d.SetProgram(40);
  EXPECT_EQ(d.Values().Instrument, 40);
}

TEST(PitchPicker, PitchesAboveTheMidiRangeCannotBeChosen) {
  TFChoosePitch p(nullptr);
  p.SetPitch(200);
  EXPECT_EQ(p.GetPitch(), 127);
  EXPECT_TRUE(p.Octaves[10]->Down());
  EXPECT_FALSE(p.Notes[8]->Visible());
  p.SetPitch(0);
  EXPECT_EQ(p.GetPitch(), 0);
  EXPECT_TRUE(p.Notes[8]->Visible());
  EXPECT_EQ(PitchOfText(PitchText(64)), 64);
  EXPECT_EQ(PitchOfText("x"), -1);
}
