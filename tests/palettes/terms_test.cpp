// The expressions: the records of "Terms.ini", the lookup the score asks
// during layout and playback, the palette's buttons and what a click with
// an expression enters, the sorted popup, the library editor and the
// expression values.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "../view/view_fixture.h"
#include "base/inifile.h"
#include "layout/dynamics.h"
#include "palettes/terms.h"
#include "palettes/termsettings.h"
#include "platform/extctrls.h"
#include "platform/forms.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "score/calcrecords.h"
#include "score/timing.h"
#include "uikit/charbutton.h"
#include "uikit/gridstring.h"
#include "uikit/imagetrack.h"

namespace qs::test {
namespace {

namespace td = qs::testdriver;
namespace fs = std::filesystem;

std::string TempName(const std::string& stem) {
  return (fs::temp_directory_path() / ("qs-" + stem + "-" + std::to_string(::getpid()) + ".ini")).string();
}

// A library file with the given records.
void WriteTerms(const std::string& file, const std::vector<std::string>& records) {
  std::ofstream out(file, std::ios::trunc);
  out << "[Terms]\nTermMax=" << records.size() << "\n";
  for (size_t i = 0; i < records.size(); ++i) out << "Term" << i << "=" << records[i] << "\n";
}

std::vector<std::string> Texts(const TTermLibrary& library) {
  std::vector<std::string> out;
  for (const auto& t : library.Items) out.push_back(t->Text);
  return out;
}

TEST(TermRecords, ReadFieldByField) {
  const struct {
    const char* Record;
    TTermDescription Term;
  } cases[] = {
      {"Allegro,2,120,5", {"Allegro", 2, 120, 5}},
      {"Allegro,2,120", {"Allegro", 2, 0, 120}},  // the last field is Value2
      {"Allegro", {"", 0, 0, 0}},
      {"mf,1,x,70", {"mf", 1, 0, 70}},            // a bad number reads as 0
      {"più mosso, poco,2,10,0", {"più mosso, poco", 2, 10, 0}},
      {",,1,2,3", {",", 1, 2, 3}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Record);
    EXPECT_EQ(ParseTermRecord(c.Record), c.Term);
  }
}

// Every text, commas and all, reads back as it was written, and a shorter
// library leaves no record of the longer one behind.
TEST(TermRecords, SaveAndLoadKeepEveryText) {
  const std::string file = TempName("terms-roundtrip");
  fs::remove(file);
  TTermLibrary library;
  const std::vector<TTermDescription> terms = {{"poco a poco, cresc.", 1, 1, 12},
                                               {"Allegro, ma non troppo", 2, 15, 0},
                                               {"тише", 1, 1, -10},
                                               {"a tempo", 0, 0, 0},
                                               {",", 2, -5, 0}};
  for (const auto& t : terms) library.Add(t);
  library.Save(file);
  TTermLibrary read;
  read.Load(file);
  ASSERT_EQ(read.Items.size(), terms.size());
  for (size_t i = 0; i < terms.size(); ++i) EXPECT_EQ(*read.Items[i], terms[i]);
  EXPECT_EQ(read.Find("ALLEGRO, MA NON TROPPO")->Value1, 15);

  read.Items.resize(2);
  read.Save(file);
  const TIniFile ini(file);
  EXPECT_EQ(ini.ReadInteger("Terms", "TermMax", -1), 2);
  EXPECT_FALSE(ini.ValueExists("Terms", "Term2"));
  fs::remove(file);
}

// The lookup ignores case, in Latin and Cyrillic letters; inscriptions are
// never found; a second expression of the same text leaves the first one
// found and does not stop the ones after it from being found.
TEST(TermRecords, FindTerm) {
  TTermLibrary library;
  for (const char* r : {"mf,1,0,70", "dolce,0,0,0", "Più mosso,2,10,0", "MF,1,0,90", "Тише,1,1,-10", "rit.,2,-10,0"})
    library.Add(ParseTermRecord(r));
  library.Rebuild();
  const struct {
    const char* Text;
    int Value;  // Value1 for tempo, Value2 for dynamics; -999 not found
  } cases[] = {{"mf", 70}, {"MF", 70}, {"Mf", 70}, {"dolce", -999}, {"DOLCE", -999}, {"PIÙ MOSSO", 10},
               {"più mosso", 10}, {"ТИШЕ", -10}, {"тише", -10}, {"RIT.", -10}, {"rit", -999}, {"", -999}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    const TTermDescription* t = library.Find(c.Text);
    if (c.Value == -999) {
      EXPECT_EQ(t, nullptr);
      continue;
    }
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Kind == tkTempo ? t->Value1 : t->Value2, c.Value);
  }
  EXPECT_EQ(library.Duplicates(), std::vector<std::string>{"MF"});
}

// The shipped library loads whole, and its dynamics and tempo words are
// each found under one text.
TEST(TermRecords, TheShippedLibrary) {
  TTermLibrary library;
  library.Load(std::string(QS_SOURCE_DIR) + "/resources/Terms.ini");
  EXPECT_GE(library.Items.size(), 40u);
  EXPECT_TRUE(library.Duplicates().empty());
  const struct {
    const char* Text;
    int Kind;
  } words[] = {{"Allegro", 2}, {"ANDANTE", 2}, {"rit.", 2}, {"accel.", 2}, {"cresc.", 1}, {"dim.", 1},
               {"p subito", 1}, {"langsam", 2}, {"cédez", 2}, {"медленно", 2}};
  for (const auto& w : words) {
    SCOPED_TRACE(w.Text);
    const TTermDescription* t = library.Find(w.Text);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Kind, w.Kind);
  }
  EXPECT_GT(library.Find("Presto")->Value1, library.Find("Allegro")->Value1);
  EXPECT_LT(library.Find("Adagio")->Value1, 0);
}

struct TFakeHost : TPaletteHost {
  TQSScore* Score = nullptr;
  TQSScore* ActiveScore() override { return Score; }
  void SoundPitch(int, int, int, int, TSoundFrom) override {}
  void SetEntryDuration(int) override {}
  void PaletteActivated(const std::string&) override {}
  void SetPaletteAttached(const std::string&, bool) override {}
  void PaletteKeyDown(uint16_t&, uint16_t) override {}
  int AskCount(const std::string&, int, int) override { return 0; }
};

class TermsPalette : public TShownScoreTest {
 protected:
  TFakeHost Host;
  std::string In = TempName("terms-in"), Out = TempName("terms-out"), SettingsFile = TempName("terms-settings");
  std::unique_ptr<TIniFile> Settings;
  std::unique_ptr<TFTerms> Palette;

  void SetUp() override {
    for (const auto& f : {In, Out, SettingsFile}) fs::remove(f);
    Piece = AddPiece({1}, 4);
    Mark(Piece->GetColumn(0), kind::Meter, 0, MakeMeter(4, 4));
    ShowScore(false);
    Host.Score = &Score;
    Settings = std::make_unique<TIniFile>(SettingsFile);
  }
  void Make(const std::vector<std::string>& records) {
    WriteTerms(In, records);
    Palette = std::make_unique<TFTerms>(nullptr, TPaletteContext{&Host, Settings.get()}, In, Out);
    Palette->SetBounds(0, 780, 800, Palette->Height());
    td::ShowAndWait(*Palette);
    View->OnScoreClick = [this](TObject*) { Palette->InsertToolItem(*View, TInsertFrom::Click); };
    View->OnItemClick = [this](TObject*, TQSCalcItem* e) { Palette->ItemClick(*View, *e); };
  }
  void TearDown() override {
    Palette.reset();
    TShownScoreTest::TearDown();
    for (const auto& f : {In, Out, SettingsFile}) fs::remove(f);
  }
  void ClickStaff(int m) {
    const TQSCalcMeasure& slot = *static_cast<TQSCalcMeasure*>(Piece->Slots[m]);
    const int x = View->Geometry().PageToScreen({slot.Box.Left + slot.Positions[0], 0}, 0).X;
    const int row = slot.System ? slot.System->FirstRow : 0;
    const int y = View->Geometry().PageToScreen({0, Row(0, row).TopLine}, 0).Y + 6;
    td::Click(*View, x, y);
  }
  TSpeedButton* ButtonOf(const std::string& text) const {
    for (TSpeedButton* b : Palette->TermButtons())
      if (b->Caption() == text) return b;
    return nullptr;
  }
  std::vector<TQSLyric*> Terms(int m) const {
    std::vector<TQSLyric*> out;
    for (TQSItem* item : Measure(m)->Items)
      if (item->ItemType == kind::Term) out.push_back(static_cast<TQSLyric*>(item));
    return out;
  }
};

// Seven expressions fill columns of three from the top.
TEST_F(TermsPalette, ButtonsFillColumnsOfThree) {
  Make({"a,0,0,0", "b,0,0,0", "c,0,0,0", "d,0,0,0", "e,0,0,0", "f,0,0,0", "g,0,0,0"});
  const std::vector<TPoint> at = {{0, 4}, {0, 23}, {0, 42}, {102, 4}, {102, 23}, {102, 42}, {204, 4}};
  ASSERT_EQ(Palette->TermButtons().size(), at.size());
  for (size_t i = 0; i < at.size(); ++i) {
    TSpeedButton* b = Palette->TermButtons()[i];
    EXPECT_EQ(b->Caption(), std::string(1, static_cast<char>('a' + i)));
    EXPECT_EQ((TPoint{b->Left(), b->Top()}), at[i]) << i;
  }
}

// A chosen expression goes in as an inscription where the staff was
// clicked, in the palette's font; the score then plays it: a tempo word
// speeds the time up from its tick, a dynamics word sets the level.
TEST_F(TermsPalette, AnEnteredExpressionReachesPlayback) {
  Make({"Allegro,2,20,0", "p subito,1,0,54", "dolce,0,0,0"});
  AnswerTerms(Score);
  TFont font;
  font.Name = "Times New Roman";
  font.Style = fsItalic;
  Palette->SetTermFont(font, 12);

  const struct {
    const char* Text;
    int Measure;
  } cases[] = {{"Allegro", 0}, {"p subito", 1}, {"dolce", 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    td::Click(*ButtonOf(c.Text), 10, 8);
    ASSERT_EQ(Palette->Chosen()->Text, c.Text);
    EXPECT_EQ(View->ArmedItem, paletteitem::PartMark);
    const size_t undo = Score.UndoList.size();
    ClickStaff(c.Measure);
    const auto terms = Terms(c.Measure);
    ASSERT_EQ(terms.size(), 1u);
    EXPECT_EQ(terms[0]->Lines, std::vector<std::string>{c.Text});
    EXPECT_EQ(terms[0]->FontName, "Times New Roman");
    EXPECT_EQ(terms[0]->Fields.FontSize, 12);
    EXPECT_EQ(Score.UndoList.size(), undo + 1);
  }
  Layout();
  // Allegro: a tempo event 20 % faster at its tick.
  const auto& slot0 = *static_cast<TQSCalcMeasure*>(Piece->Slots[0]);
  const TQSCalcEvent* tempo = nullptr;
  for (int i = 0; i < slot0.EventCount; ++i)
    if (slot0.Events[i]->Item == Terms(0)[0]) tempo = slot0.Events[i];
  ASSERT_NE(tempo, nullptr);
  EXPECT_EQ(tempo->Duration, 120);
  // p subito: the level 54 from its tick on, on to the next measure;
  // dolce is only written and changes nothing.
  CalcDynamics(*Piece);
  EXPECT_EQ(DynamicsVelocity(*Piece, *Measure(0), 256), 64);
  EXPECT_EQ(DynamicsVelocity(*Piece, *Measure(1), 256), 54);
  EXPECT_EQ(DynamicsVelocity(*Piece, *Measure(3), 0), 54);
  const auto& slot2 = *static_cast<TQSCalcMeasure*>(Piece->Slots[2]);
  ASSERT_EQ(slot2.DynamicCount, 1);
  EXPECT_EQ(slot2.Dynamics[0].NoValue, 1);
}

// Single goes back to Point after one expression; Quick enters at the
// cursor from the button and ignores clicks into the score; the keys.
TEST_F(TermsPalette, RegimesAndKeys) {
  Make({"cresc.,1,1,10"});
  td::Click(*Palette->CBMultiplyTerms, 8, 8);  // on to Quick
  EXPECT_EQ(Palette->Regime(), TInputRegime::Quick);
  EXPECT_EQ(Settings->ReadInteger("Terms", "TermsRegime", -1), 2);
  ClickStaff(2);
  EXPECT_TRUE(Terms(2).empty());
  td::Click(*ButtonOf("cresc."), 10, 8);
  EXPECT_EQ(Terms(2).size(), 1u);
  EXPECT_TRUE(Palette->CBPointTerms->Down());
  EXPECT_EQ(Palette->Chosen(), nullptr);

  EXPECT_TRUE(Palette->PageKey('W', 0, 0));  // on to Single
  EXPECT_EQ(Palette->Regime(), TInputRegime::Single);
  td::Click(*ButtonOf("cresc."), 10, 8);
  ClickStaff(3);
  EXPECT_EQ(Terms(3).size(), 1u);
  EXPECT_TRUE(Palette->CBPointTerms->Down());
  EXPECT_FALSE(ButtonOf("cresc.")->Down());

  EXPECT_TRUE(Palette->PageKey('E', 0, 0));
  EXPECT_TRUE(Palette->CBEraseTerms->Down());
  EXPECT_TRUE(Palette->PageKey(VK_ESCAPE, 0, 0));
  EXPECT_TRUE(Palette->CBPointTerms->Down());
  EXPECT_FALSE(Palette->CBEraseTerms->Down());
  EXPECT_FALSE(Palette->PageKey('Z', 0, 0));
}

// The popup: 6 a row from ten expressions on, a row per first character
// (exactly as written), sized to its rows.
TEST_F(TermsPalette, ThePopupLaysOutItsRows) {
  struct TCase {
    std::vector<std::string> Records;
    int Width, Height;
    std::vector<int> Tops;
    std::vector<std::string> Letters;
  } const cases[] = {
      {{"allegro,2,0,0", "Andante,2,0,0"}, 378, 38 + 28, {0, 19}, {"a", "A"}},
      {{"Aa,0,0,0", "Ab,0,0,0", "Ac,0,0,0", "Ad,0,0,0", "Ba,0,0,0"}, 378, 57 + 28, {0, 0, 0, 19, 38}, {"A", "B"}},
      // One row is as high as one row, not the tallest popup.
      {{"x,0,0,0"}, 378, 19 + 28, {0}, {"x"}},
      {{"a1,0,0,0", "a2,0,0,0", "a3,0,0,0", "a4,0,0,0", "a5,0,0,0", "a6,0,0,0", "a7,0,0,0", "a8,0,0,0",
        "a9,0,0,0"}, 378, 57 + 28, {0, 0, 0, 19, 19, 19, 38, 38, 38}, {"a"}},
      {{"a1,0,0,0", "a2,0,0,0", "a3,0,0,0", "a4,0,0,0", "a5,0,0,0", "a6,0,0,0", "a7,0,0,0", "a8,0,0,0",
        "a9,0,0,0", "b,0,0,0"}, 678, 57 + 28, {0, 0, 0, 0, 0, 0, 19, 19, 19, 38}, {"a", "b"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Records.front() + " and " + std::to_string(c.Records.size() - 1) + " more");
    Palette.reset();
    Make(c.Records);
    std::unique_ptr<TFAllTerms> popup(new TFAllTerms(nullptr, *Palette));
    popup->OnClose = nullptr;
    EXPECT_EQ(popup->Width(), c.Width);
    EXPECT_EQ(popup->Height(), c.Height);
    ASSERT_EQ(popup->Buttons().size(), c.Tops.size());
    for (size_t i = 0; i < c.Tops.size(); ++i) EXPECT_EQ(popup->Buttons()[i]->Top(), c.Tops[i]) << i;
    std::vector<std::string> letters;
    for (TLabel* l : popup->Letters()) letters.push_back(l->Caption());
    EXPECT_EQ(letters, c.Letters);
  }
  // Heights beyond the screen's part stop at 500.
  EXPECT_EQ(TFAllTerms::HeightFor(19 * 30), 500);
}

// A click in the popup moves the expression to the front of the library
// and chooses it on the palette.
TEST_F(TermsPalette, APopupChoiceComesFirst) {
  Make({"a,0,0,0", "b,0,0,0", "c,0,0,0"});
  TFAllTerms* popup = Palette->OpenAllTerms();
  td::ProcessMessages();
  TSpeedButton* c = popup->Buttons()[2];
  ASSERT_EQ(c->Caption(), "c");
  td::Click(*c, 10, 8);
  td::ProcessMessages();
  EXPECT_EQ(Texts(Palette->Library()), (std::vector<std::string>{"c", "a", "b"}));
  ASSERT_NE(Palette->Chosen(), nullptr);
  EXPECT_EQ(Palette->Chosen()->Text, "c");
  EXPECT_TRUE(ButtonOf("c")->Down());
  EXPECT_EQ(ButtonOf("c")->Left(), 0);
  EXPECT_EQ(ButtonOf("c")->Top(), 4);
}

// The editor: removing the third of five leaves four in the grid's order,
// a new text shows on its button and is what the button enters, and the
// library is saved; a duplicate does not stop the rebuild.
TEST_F(TermsPalette, TheLibraryEditor) {
  Make({"one,1,0,10", "two,1,0,20", "three,1,0,30", "four,1,0,40", "five,2,5,0"});
  td::Click(*ButtonOf("three"), 10, 8);
  {
    TFTermList editor(nullptr, Settings.get(), *Palette);
    ASSERT_EQ(editor.RowCount(), 5);
    EXPECT_EQ(editor.SGTermList->Cells(1, 5), "Tempo");
    editor.SGTermList->SetRow(3);
    editor.RemoveRow();
    EXPECT_EQ(editor.RowCount(), 4);
    editor.SGTermList->SetCells(0, 1, "uno");
    editor.SGTermList->SetCells(0, 2, "FIVE");  // the same text as a later one
    editor.Accept();
  }
  EXPECT_EQ(Texts(Palette->Library()), (std::vector<std::string>{"uno", "FIVE", "four", "five"}));
  // The removed expression is no longer the palette's choice.
  EXPECT_EQ(Palette->Chosen(), nullptr);
  EXPECT_TRUE(Palette->CBPointTerms->Down());
  const TIniFile saved(Out);
  EXPECT_EQ(saved.ReadInteger("Terms", "TermMax", -1), 4);
  EXPECT_EQ(saved.ReadString("Terms", "Term0", ""), "uno,1,0,10");
  // The first of two equal texts is found, and so is what follows it.
  EXPECT_EQ(Palette->FindTerm("five")->Value2, 20);
  EXPECT_EQ(Palette->FindTerm("four")->Value2, 40);
  EXPECT_NE(Palette->FindTerm("UNO"), nullptr);
  ASSERT_NE(ButtonOf("uno"), nullptr);
  td::Click(*ButtonOf("uno"), 10, 8);
  ClickStaff(1);
  ASSERT_EQ(Terms(1).size(), 1u);
  EXPECT_EQ(Terms(1)[0]->Lines, std::vector<std::string>{"uno"});

  // Removing the only row leaves it empty.
  TFTermList editor(nullptr, Settings.get(), *Palette);
  for (int i = 0; i < 3; ++i) editor.RemoveRow();
  EXPECT_EQ(editor.RowCount(), 1);
  editor.RemoveRow();
  EXPECT_EQ(editor.RowCount(), 1);
  EXPECT_EQ(editor.SGTermList->Cells(0, 1), "");
  EXPECT_EQ(editor.SGTermList->Cells(1, 1), "Inscription");
}

// The expression values: dynamics rows with their box, the range following
// it; tempo rows without one; moving a track stores the value playback
// reads, and the program's hint delay stays as it was.
TEST_F(TermsPalette, TheExpressionValues) {
  Make({"cresc.,1,1,10", "p subito,1,0,54", "Allegro,2,20,0", "dolce,0,0,0"});
  AnswerTerms(Score);
  Application().HintPause = 700;
  const int pause = Application().HintPause;
  TFTermSettings dynamics(nullptr, Palette.get(), tkDynamic);
  ASSERT_EQ(dynamics.Rows().size(), 2u);
  const auto& cresc = dynamics.Rows()[0];
  ASSERT_NE(cresc.Relative, nullptr);
  EXPECT_TRUE(cresc.Relative->Checked());
  EXPECT_EQ(cresc.Track->Min(), -63);
  EXPECT_EQ(cresc.Track->Max(), 63);
  EXPECT_EQ(dynamics.Rows()[1].Track->Min(), 0);
  EXPECT_EQ(dynamics.Rows()[1].Track->Max(), 127);
  EXPECT_EQ(dynamics.Rows()[1].Value->Caption(), "54");
  cresc.Track->SetPosition(-20);
  cresc.Relative->SetChecked(false);
  dynamics.RelativeClick(0);
  EXPECT_EQ(cresc.Track->Min(), 0);
  EXPECT_EQ(Palette->FindTerm("cresc.")->Value1, 0);
  EXPECT_EQ(Palette->FindTerm("cresc.")->Value2, 0);
  EXPECT_EQ(Application().HintPause, pause);

  TFTermSettings tempo(nullptr, Palette.get(), tkTempo);
  ASSERT_EQ(tempo.Rows().size(), 1u);
  EXPECT_EQ(tempo.Rows()[0].Relative, nullptr);
  EXPECT_EQ(tempo.Rows()[0].Track->Min(), -100);
  EXPECT_EQ(tempo.Rows()[0].Track->Max(), 100);
  EXPECT_EQ(tempo.Rows()[0].Track->Position(), 20);
  tempo.Rows()[0].Track->SetPosition(35);
  EXPECT_EQ(tempo.Rows()[0].Value->Caption(), "35");
  EXPECT_EQ(Application().HintPause, pause);
  int v1 = 0, v2 = 0;
  ASSERT_TRUE(Score.GetTerms(2, {"allegro"}, v1, v2));
  EXPECT_EQ(v1, 35);
  tempo.Close();
  EXPECT_EQ(TIniFile(Out).ReadString("Terms", "Term2", ""), "Allegro,2,35,0");
}

}  // namespace
}  // namespace qs::test
