// The new-score wizard and its instrument chooser as a user works them.
#include <gtest/gtest.h>

#include "../common/library_support.h"
#include "base/inifile.h"
#include "base/safefile.h"
#include "dialogs/libraries.h"
#include "dialogs/newcomposition.h"
#include "dialogs/newscore.h"
#include "platform/stdctrls.h"
#include "platform/comctrls.h"
#include "score/page.h"
#include "chords/guitar.h"
#include "chords/guitarpalette.h"
#include "palettes/symbolpickers.h"
#include "platform/forms.h"
#include "platform/testdriver.h"
#include "score/item.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "uikit/charbutton.h"
#include "uikit/language.h"
#include "view/window.h"

namespace qs {
namespace {

namespace td = testdriver;

// The shown picker of a class (a drop-down or a modal dialog).
template <class C>
C* ShownForm() {
  for (int i = 0; i < Screen().FormCount(); ++i)
    if (auto* f = dynamic_cast<C*>(Screen().Forms(i)); f && f->Visible()) return f;
  return nullptr;
}

// The marks of a kind in a part's first measure of the preview, in order:
// value byte and, for accolades, the span (else the style byte).
std::vector<std::pair<int, int>> Marks(TFNewComposition& wizard, int part, TQSItemType kind) {
  std::vector<std::pair<int, int>> out;
  for (TQSItem* item : wizard.Preview->GetPiece(0)->GetPart(part)->GetMeasure(0)->Items)
    if (item->ItemType == kind) {
      const auto* mark = static_cast<TQSMark*>(item);
      out.push_back({mark->Fields.Kind, kind == kind::Accolade ? mark->Fields.Value : mark->Fields.Style});
    }
  return out;
}

TQSInstrumentDescription* Instrument(TQSInstruments& library, const char* name, const char* group, uint8_t order) {
  TQSInstrumentDescription* d = library.Add();
  d->Name = name;
  d->ShortName = name;
  d->Group = group;
  d->Fields.Order = order;
  d->Fields.Program = order;
  return d;
}

struct TChooserFixture : ::testing::Test {
  TQSInstruments library;
  void SetUp() override {
    Instrument(library, "Flute", "Woodwinds", 1);
    Instrument(library, "Violin", "Strings", 10);
    Instrument(library, "Viola", "Strings", 11);
    Instrument(library, "Triangle", "", 5);
  }
  // The source node of an instrument.
  static TTreeView::TNode Source(TFChooseInstruments& c, const std::string& name) {
    for (int g = 0; g < c.TVSource->ChildCount(nullptr); ++g) {
      TTreeView::TNode group = c.TVSource->Child(nullptr, g);
      for (int i = 0; i < c.TVSource->ChildCount(group); ++i)
        if (c.TVSource->Text(c.TVSource->Child(group, i)) == name) return c.TVSource->Child(group, i);
    }
    return nullptr;
  }
  static std::vector<std::string> Chosen(const TFChooseInstruments& c) {
    std::vector<std::string> names;
    for (const auto* d : c.Chosen()) names.push_back(d->Name);
    return names;
  }
  static void Add(TFChooseInstruments& c, const std::string& name) {
    c.TVSource->SetSelected(Source(c, name));
    c.Add();
  }
};

TEST_F(TChooserFixture, TheFirstAddDropsPartsThatAreNoLibraryInstrument) {
  TFChooseInstruments c(nullptr, nullptr, &library);
  TSetupPart own;
  own.Name = "Theremin";
  c.SetParts({own});
  EXPECT_EQ(Chosen(c), std::vector<std::string>{"Theremin"});
  Add(c, "Violin");
  Add(c, "Violin");  // two independent copies
  Add(c, "Flute");
  // Sorted by the library's order, the strings under one group node.
  EXPECT_EQ(Chosen(c), (std::vector<std::string>{"Flute", "Violin", "Violin"}));
  EXPECT_NE(c.Chosen()[1], c.Chosen()[2]);
  EXPECT_EQ(c.TVDest->ChildCount(nullptr), 2);
}

TEST_F(TChooserFixture, GroupsComeAndGoAndARemovedGroupTakesItsInstruments) {
  TFChooseInstruments c(nullptr, nullptr, &library);
  c.SetParts({});
  for (const char* name : {"Violin", "Triangle", "Viola", "Flute"}) Add(c, name);
  EXPECT_EQ(Chosen(c), (std::vector<std::string>{"Flute", "Triangle", "Violin", "Viola"}));
  EXPECT_EQ(c.TVDest->ChildCount(nullptr), 3);  // Woodwinds, the triangle, Strings
  c.CBGroup->SetChecked(false);
  c.Rebuild();
  EXPECT_EQ(c.TVDest->ChildCount(nullptr), 4);
  c.CBGroup->SetChecked(true);
  c.Rebuild();
  TTreeView::TNode strings = c.TVDest->Child(nullptr, 2);
  ASSERT_EQ(c.TVDest->Text(strings), "Strings");
  c.TVDest->SetSelected(strings);
  c.Remove();
  EXPECT_EQ(Chosen(c), (std::vector<std::string>{"Flute", "Triangle"}));
}

TEST(NewCompositionWizard, CancelKeepsTheLayoutForTheNextWizard) {
  test::TProgramFolder folder(true);
  TIniFile ini(folder.Dir() + "ProgramSetting.ini");
  {
    TFNewComposition wizard(nullptr, &ini, nullptr);
    EXPECT_EQ(wizard.Preview->GetPiece(0)->PartCount(), 1);
    wizard.CBTemplates->SetItemIndex(1 + 5);  // the string quartet among the shipped
    ASSERT_EQ(wizard.CBTemplates->Text(), "String quartet");
    EXPECT_TRUE(wizard.ApplyTemplate(wizard.CBTemplates->ItemIndex()));
    EXPECT_EQ(wizard.Preview->GetPiece(0)->PartCount(), 4);
    wizard.ENotes->SetText("3");
    EXPECT_EQ(wizard.Setup.Beats, 3);
    wizard.TBScale->SetPosition(150);
    EXPECT_EQ(wizard.Preview->Scale, 150);
  }  // closed without OK
  EXPECT_EQ(ini.ReadInteger(kNewCompositionSection, "Size", 0), 0x0304);
  TFNewComposition again(nullptr, &ini, nullptr);
  EXPECT_EQ(again.Setup.Beats, 3);
  EXPECT_EQ(again.Setup.Tempo, 60);  // tempo, pickup and names always start afresh
}

TEST(NewCompositionWizard, ADamagedTemplateGivesTheDefaultsAndAnotherUnitKeepsTheLengths) {
  test::TProgramFolder folder(true);
  TIniFile ini(folder.Dir() + "ProgramSetting.ini");
  SafeSaveText(UserTemplateFile("Broken"), "not a template");
  TFNewComposition wizard(nullptr, &ini, nullptr);
  wizard.FillTemplateList("Broken");
  ASSERT_EQ(wizard.CBTemplates->Text(), "Broken");
  EXPECT_FALSE(wizard.ApplyTemplate(wizard.CBTemplates->ItemIndex()));
  EXPECT_EQ(wizard.Preview->GetPiece(0)->PartCount(), 1);
  EXPECT_EQ(wizard.Lengths[2]->Text(), "10.0mm");
}


// A length typed in one unit keeps its size through any switching of the
// unit; the boxes show it with the unit's decimals and the preview page
// gets it unrounded.
TEST(NewCompositionWizard, SwitchingTheUnitKeepsEveryLength) {
  const std::string shown[3] = {"10.0mm", "0.394in", FormatSetupLength(SetupLengthIn(100, 2), 2)};
  const std::vector<std::vector<int>> switches = {{1, 0}, {2, 0}, {1, 2, 1, 0}, {2, 1, 2, 0}};
  for (const std::vector<int>& units : switches) {
    TFNewComposition wizard(nullptr, nullptr, nullptr);
    wizard.Lengths[2]->SetText("10");  // left margin, in millimetres
    wizard.EInterval->SetText("10");
    std::string trace;
    for (int unit : units) {
      trace += std::to_string(unit);
      SCOPED_TRACE(trace);
      wizard.RGMetric[unit]->SetChecked(true);
      wizard.RGMetric[unit]->OnClick(wizard.RGMetric[unit]);
      EXPECT_EQ(wizard.Lengths[2]->Text(), shown[unit]);
      EXPECT_EQ(wizard.EInterval->Text(), shown[unit]);
    }
    TQSPage& page = wizard.Preview->Page;
    page.SetMetrix(TQSMetrix::rmMM);
    EXPECT_NEAR(static_cast<double>(page.LeftMargin()), 10.0, 1e-9);
    EXPECT_NEAR(static_cast<double>(page.Interval()), 10.0, 1e-9);
  }
  // In inches a margin may be half an inch, and its arrows keep the half.
  TFNewComposition wizard(nullptr, nullptr, nullptr);
  wizard.RGMetric[1]->SetChecked(true);
  wizard.RGMetric[1]->OnClick(wizard.RGMetric[1]);
  wizard.Lengths[3]->SetText("0.5");
  EXPECT_EQ(wizard.LengthSpins[3]->Position(), 0);
  wizard.LengthSpins[3]->SetPosition(1);
  wizard.LengthSpins[3]->OnClick(wizard.LengthSpins[3], btNext);
  EXPECT_EQ(wizard.Lengths[3]->Text(), "1.500in");
  EXPECT_NEAR(static_cast<double>(wizard.Preview->Page.TopMargin()), 1.5, 1e-9);
}

// The preview is a picture of the score: no rulers and no page buttons
// with an entry mode in English beside them.
TEST(NewCompositionWizard, ThePreviewShowsOnlyTheScore) {
  TComponent owner(nullptr);
  auto* engine = new TECLanguage(&owner);
  engine->SetLanguage("DEU");
  TFNewComposition wizard(nullptr, nullptr, nullptr);
  EXPECT_EQ(wizard.QSWindow->Style, wsView);
  EXPECT_EQ(wizard.QSWindow->Geometry().RulerWidth(), 0);
  EXPECT_EQ(wizard.Preview->OverwriteName, "Überschreiben");
  EXPECT_EQ(wizard.Preview->InsertName, "Einfügen");
}

TEST(NewCompositionWizard, TheTreeAddsAndDeletesPartsStavesAndVoices) {
  TFNewComposition wizard(nullptr, nullptr, nullptr);
  using P = TFNewComposition::TNodePath;
  wizard.SelectNode({0, -1, -1});
  wizard.DeleteNode();  // the only part stays
  EXPECT_EQ(wizard.Setup.Parts.size(), 1u);
  wizard.SelectNode({0, 0, -1});
  wizard.AddNode();  // a second staff, and the part's staves braced
  ASSERT_EQ(wizard.Setup.Parts[0].Staves.size(), 2u);
  EXPECT_EQ(wizard.Setup.Parts[0].Accolades.size(), 1u);
  EXPECT_EQ(wizard.Preview->GetPiece(0)->GetPart(0)->StaffCount(), 2);
  P at = wizard.SelectedNode();
  EXPECT_EQ(at.Staff, 1);
  wizard.CBTab->SetChecked(true);
  wizard.CBTab->OnClick(wizard.CBTab);
  EXPECT_EQ(wizard.Setup.Parts[0].Staves[1].Clef, 13);
  EXPECT_EQ(wizard.Setup.Parts[0].Staves[1].Lines, 6);
  EXPECT_EQ(wizard.CBLineCount->Text(), "6");
  wizard.CBLineCount->SetItemIndex(8);  // "12"
  wizard.CBLineCount->OnChange(wizard.CBLineCount);
  EXPECT_EQ(wizard.Setup.Parts[0].Staves[1].Lines, 12);
  wizard.SelectNode({0, 1, 0});
  wizard.AddNode();
  EXPECT_EQ(wizard.Setup.Parts[0].Staves[1].Voices, 2);
  wizard.SelectNode({0, 1, -1});
  wizard.DeleteNode();  // back to one staff: no brace
  EXPECT_EQ(wizard.Setup.Parts[0].Staves.size(), 1u);
  EXPECT_TRUE(wizard.Setup.Parts[0].Accolades.empty());
  wizard.SelectNode({0, -1, -1});
  wizard.EName->SetText("Flute");
  wizard.AddNode();
  EXPECT_EQ(wizard.Setup.Parts[0].Name, "Flute");
  EXPECT_EQ(wizard.Preview->GetPiece(0)->PartCount(), 2);
}

// The score's key box gives every part a key; a part's own key button
// gives it another key and mode, and the box then names none.
TEST(NewCompositionWizard, EachPartHasItsOwnKeyAndMode) {
  TFNewComposition wizard(nullptr, nullptr, nullptr);
  wizard.SelectNode({0, -1, -1});
  wizard.AddNode();
  wizard.CBKey->SetItemIndex(2);  // D major
  wizard.CBKey->OnChange(wizard.CBKey);
  EXPECT_EQ(Marks(wizard, 0, kind::Key), (std::vector<std::pair<int, int>>{{2, 0}}));
  EXPECT_EQ(Marks(wizard, 1, kind::Key), (std::vector<std::pair<int, int>>{{2, 0}}));
  wizard.SelectNode({1, -1, -1});
  wizard.UpdateNodeControls();
  ASSERT_TRUE(wizard.CBTone->Visible());
  wizard.CBTone->OnButtonClick(wizard.CBTone);
  TFChooseTone* picker = ShownForm<TFChooseTone>();
  ASSERT_NE(picker, nullptr);
  EXPECT_FALSE(picker->CBModify->Visible());
  EXPECT_EQ(picker->GetTone(), 2);
  picker->RBMinor->SetChecked(true);
  td::Click(*picker->Buttons[8 + 2], 20, 20);  // three flats: C minor
  td::ProcessMessages();
  EXPECT_EQ(Marks(wizard, 1, kind::Key), (std::vector<std::pair<int, int>>{{13, 1}}));
  EXPECT_EQ(Marks(wizard, 0, kind::Key), (std::vector<std::pair<int, int>>{{2, 0}}));
  EXPECT_EQ(wizard.CBKey->ItemIndex(), -1);
  // Staves and voices have no key button.
  wizard.SelectNode({1, 0, -1});
  wizard.UpdateNodeControls();
  EXPECT_FALSE(wizard.CBTone->Visible());
}

// The instrument button sets the part's General MIDI program; "no
// instrument" leaves the instrument box empty.
TEST(NewCompositionWizard, APartTakesAnInstrumentFromTheGeneralMidiList) {
  TFNewComposition wizard(nullptr, nullptr, nullptr);
  wizard.SelectNode({0, -1, -1});
  wizard.UpdateNodeControls();
  td::ShowAndWait(wizard);
  struct TCase {
    int Choose;  // for the picker: -1 no instrument
    int Program;
    const char* Shown;
  };
  for (const TCase& c : {TCase{40, 40, "Violin"}, TCase{-1, 255, ""}, TCase{73, 73, "Flute"}}) {
    td::Later([&c] {
      ASSERT_TRUE(td::WaitForModal());
      TFChooseTembr* chooser = ShownForm<TFChooseTembr>();
      ASSERT_NE(chooser, nullptr);
      chooser->SetTembr(c.Choose);
      td::Click(*chooser->BBOk, 5, 5);
    });
    td::Click(*wizard.SBInstrument, 5, 5);
    EXPECT_EQ(wizard.Setup.Parts[0].Program, c.Program) << c.Shown;
    EXPECT_EQ(wizard.Preview->GetPiece(0)->GetPart(0)->Fields.Instrument, c.Program) << c.Shown;
    EXPECT_EQ(wizard.EInstrument->Text(), c.Shown);
    EXPECT_NE(wizard.TVParts->Text(wizard.TVParts->Selected()).find(std::string("(") + c.Shown + ")"),
              std::string::npos);
  }
  wizard.Hide();
}

// A part's accolade: chosen, taken away, another one added, and its span
// kept within the parts that follow.
TEST(NewCompositionWizard, AccoladesAreChosenAddedAndSpanned) {
  TFNewComposition wizard(nullptr, nullptr, nullptr);
  wizard.SelectNode({0, -1, -1});
  wizard.AddNode();
  wizard.AddNode();  // three parts
  wizard.SelectNode({0, -1, -1});
  wizard.UpdateNodeControls();
  using M = std::vector<std::pair<int, int>>;
  EXPECT_EQ(wizard.GetPartAccolade(0), kNoAccolade);
  wizard.CBChooseAccolade->OnButtonClick(wizard.CBChooseAccolade);
  TFChooseAccolade* picker = ShownForm<TFChooseAccolade>();
  ASSERT_NE(picker, nullptr);
  EXPECT_TRUE(picker->Buttons[3]->Visible()) << "no accolade is a choice";
  td::Click(*picker->Buttons[1], 5, 5);  // a bracket
  td::ProcessMessages();
  EXPECT_EQ(Marks(wizard, 0, kind::Accolade), (M{{1, 0}}));
  for (int i = 0; i < 3; ++i) wizard.CBIncAccolade->OnClick(wizard.CBIncAccolade);
  EXPECT_EQ(Marks(wizard, 0, kind::Accolade), (M{{1, 2}})) << "two parts follow";
  wizard.CBDecAccolade->OnClick(wizard.CBDecAccolade);
  wizard.CBAccolade->OnClick(wizard.CBAccolade);  // another bracket
  wizard.CBIncAccolade->OnClick(wizard.CBIncAccolade);
  EXPECT_EQ(Marks(wizard, 0, kind::Accolade), (M{{1, 1}, {1, 1}}));
  for (int i = 0; i < 3; ++i) wizard.CBDecAccolade->OnClick(wizard.CBDecAccolade);
  EXPECT_EQ(Marks(wizard, 0, kind::Accolade), (M{{1, 1}, {1, 0}}));
  wizard.SetPartAccolade(0, kNoAccolade);
  EXPECT_EQ(Marks(wizard, 0, kind::Accolade), (M{{1, 1}}));
  wizard.SelectNode({2, -1, -1});
  wizard.UpdateNodeControls();
  wizard.CBAccolade->OnClick(wizard.CBAccolade);  // a brace where there was none
  wizard.CBIncAccolade->OnClick(wizard.CBIncAccolade);
  EXPECT_EQ(Marks(wizard, 2, kind::Accolade), (M{{0, 0}})) << "the last part joins none";
}

// The common-time sign is offered for 4/4, the cut-time sign for 2/4 and
// 4/4; a meter that has no sign takes none.
TEST(NewCompositionWizard, TheTimeSignatureSignsFollowTheMeter) {
  TFNewComposition wizard(nullptr, nullptr, nullptr);
  auto meterStyle = [&wizard] {
    return static_cast<TQSMark*>(wizard.Preview->GetPiece(0)->GetColumn(0)->GetItem(0))->Fields.Style;
  };
  struct TCase {
    const char* Beats;
    bool Common, Cut;
  };
  for (const TCase& c : {TCase{"4", true, true}, TCase{"2", false, true}, TCase{"3", false, false}}) {
    wizard.ENotes->SetText(c.Beats);
    EXPECT_EQ(wizard.CBSymbol1->Enabled(), c.Common) << c.Beats;
    EXPECT_EQ(wizard.CBSymbol2->Enabled(), c.Cut) << c.Beats;
  }
  wizard.ENotes->SetText("4");
  wizard.CBSymbol1->SetDown(true);
  wizard.CBSymbol1->OnClick(wizard.CBSymbol1);
  EXPECT_EQ(meterStyle(), 1);
  wizard.CBSymbol2->SetDown(true);  // the other one goes up
  wizard.CBSymbol2->OnClick(wizard.CBSymbol2);
  EXPECT_EQ(meterStyle(), 2);
  EXPECT_FALSE(wizard.CBSymbol1->Down());
  wizard.ENotes->SetText("2");
  EXPECT_EQ(meterStyle(), 2);
  wizard.ENotes->SetText("3");
  EXPECT_EQ(meterStyle(), 0);
  EXPECT_FALSE(wizard.CBSymbol2->Down());
}

// A part takes a transposition preset, and its panel shows the preset
// again; "no transposition" takes it away.
TEST(NewCompositionWizard, APartTakesATranspositionPreset) {
  TQSTransports presets;
  TQSTransportDescription* bflat = presets.Add();
  bflat->Name = "B flat";
  bflat->Values = {MakeTransportRecord(-2)};
  TQSTransportDescription* octave = presets.Add();
  octave->Name = "Octave down";
  octave->Values = {MakeTransportRecord(-12)};
  TFNewComposition wizard(nullptr, nullptr, nullptr, &presets);
  EXPECT_EQ(wizard.CBTransport->Items().Count(), 3);
  wizard.SelectNode({0, -1, -1});
  wizard.AddNode();
  auto shift = [&wizard](int part) { return wizard.Preview->GetPiece(0)->GetPart(part)->TransportShift(); };
  auto select = [&wizard](int part) {
    wizard.SelectNode({part, -1, -1});
    wizard.UpdateNodeControls();
  };
  select(0);
  EXPECT_EQ(wizard.CBTransport->ItemIndex(), 0);
  wizard.CBTransport->SetItemIndex(2);
  wizard.CBTransport->OnChange(wizard.CBTransport);
  EXPECT_EQ(shift(0), -12);
  EXPECT_EQ(shift(1), 0);
  select(1);
  EXPECT_EQ(wizard.CBTransport->ItemIndex(), 0);
  select(0);
  EXPECT_EQ(wizard.CBTransport->ItemIndex(), 2);
  wizard.CBTransport->SetItemIndex(0);
  wizard.CBTransport->OnChange(wizard.CBTransport);
  EXPECT_EQ(shift(0), 0);
  EXPECT_TRUE(wizard.Setup.Parts[0].Transports.empty());
}

// A tablature staff takes the strings of a library guitar: a line and a
// tuning a string; a string count the line box lacks gives five lines.
TEST(NewCompositionWizard, ATablatureStaffTakesTheStringsOfALibraryGuitar) {
  struct TGuitar {
    const char* Name;
    std::vector<uint8_t> Tuning;
    int Lines;
  };
  const std::vector<TGuitar> table = {{"Guitar", {40, 45, 50, 55, 59, 64}, 6},
                                      {"Bass", {28, 33, 38, 43}, 4},
                                      {"Eight strings", {30, 35, 40, 45, 50, 55, 59, 64}, 5}};
  TFNewComposition::TGuitarList guitars;
  for (const TGuitar& t : table) {
    auto g = std::make_unique<TQSGuitarDescription>();
    g->Name = t.Name;
    g->SetStringCount(static_cast<int>(t.Tuning.size()));
    for (size_t i = 0; i < t.Tuning.size(); ++i) g->SetTuning(static_cast<int>(i), t.Tuning[i]);
    guitars.push_back(std::move(g));
  }
  TFNewComposition wizard(nullptr, nullptr, nullptr, nullptr, &guitars);
  wizard.SelectNode({0, 0, -1});
  wizard.UpdateNodeControls();
  EXPECT_TRUE(wizard.BBGuitars->Visible());
  EXPECT_FALSE(wizard.BBGuitars->Enabled()) << "only for tablature";
  wizard.CBTab->SetChecked(true);
  wizard.CBTab->OnClick(wizard.CBTab);
  EXPECT_TRUE(wizard.BBGuitars->Enabled());
  for (int index : {1, 2, 0}) {
    const TGuitar& t = table[size_t(index)];
    SCOPED_TRACE(t.Name);
    wizard.BBGuitars->OnClick(wizard.BBGuitars);
    TFGuitarName* chooser = ShownForm<TFGuitarName>();
    ASSERT_NE(chooser, nullptr);
    chooser->LBList->SetItemIndex(index);
    chooser->LBList->OnClick(chooser->LBList);
    td::ProcessMessages();
    const TQSStaff* staff = wizard.Preview->GetPiece(0)->GetPart(0)->GetStaff(0);
    EXPECT_EQ(staff->Fields.LineCount, t.Lines);
    EXPECT_EQ(wizard.CBLineCount->Text(), std::to_string(t.Lines));
    for (size_t i = 0; i < t.Tuning.size(); ++i) EXPECT_EQ(staff->GetTuning(static_cast<int>(i)), t.Tuning[i]) << i;
  }
}

}  // namespace
}  // namespace qs
