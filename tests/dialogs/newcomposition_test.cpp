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
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "uikit/language.h"
#include "view/window.h"

namespace qs {
namespace {

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

}  // namespace
}  // namespace qs
