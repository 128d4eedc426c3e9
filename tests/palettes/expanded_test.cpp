// The user-symbol palette and its library: the symbol buttons and their
// faces, a selection made into a symbol, the all-symbols drop-down, the
// index file, import and removal, the names typed for library files, and
// stamping a chosen symbol into a shown score.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "../common/library_support.h"
#include "../view/view_fixture.h"
#include "base/inifile.h"
#include "base/safefile.h"
#include "palettes/expanded.h"
#include "palettes/libraryfile.h"
#include "palettes/symboldialogs.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/comctrls.h"
#include "platform/stdctrls.h"
#include "platform/keys.h"
#include "platform/paths.h"
#include "platform/testdriver.h"
#include "score/marks.h"
#include "score/pageobjects.h"
#include "uikit/charbutton.h"

namespace qs::test {
namespace {

namespace fs = std::filesystem;
namespace td = qs::testdriver;

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

// A template of one line across w x h, in the user's library folder when
// it has a file name.
std::unique_ptr<TQSSymbolDescription> LineSymbol(const std::string& name, int w = 160, int h = 80,
                                                 const std::string& group = "Signs") {
  auto s = std::make_unique<TQSSymbolDescription>();
  s->Description = name;
  s->Group = group;
  s->FileName = name;
  s->Width = w;
  s->Height = h;
  s->Loaded = true;
  auto* line = static_cast<TQSLine*>(CreateItemByKind(kind::Line, s.get()));
  s->Items.Add(line);
  line->Fields.X2 = static_cast<int16_t>(w);
  line->Fields.Y2 = static_cast<int16_t>(h);
  line->Fields.LineWidth = 2;
  return s;
}

int InkOf(const std::function<void(TCanvas&, const TRect&)>& paint) {
  TBitmap b(26, 26);
  b.Canvas().Brush().Color = clWhite;
  b.Canvas().FillRect(TRect{0, 0, 26, 26});
  paint(b.Canvas(), TRect{0, 0, 26, 26});
  int count = 0;
  for (int y = 0; y < 26; ++y)
    for (int x = 0; x < 26; ++x) count += b.Pixel(x, y) != clWhite;
  return count;
}

// ------------------------------------------------------------ pure parts

TEST(UserSymbols, TheFaceZoomFitsTheLongerSideAndAnEmptyDrawingHasNone) {
  const struct {
    int W, H, w, h, zoom;
  } cases[] = {
      {26, 26, 200, 100, 92},  // wider: (26 - 3) * 800 / 200
      {26, 26, 100, 200, 92},  // taller: by the height
      {26, 26, 0, 50, 368},    // a vertical line
      {26, 26, 0, 0, 0},       // saved from nothing: nothing to scale
      {26, 26, -40, -10, 0},   // a damaged size
      {2, 2, 100, 100, 0},     // no room
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
    EXPECT_EQ(SymbolFaceZoom(c.W, c.H, c.w, c.h), c.zoom);
  }
  // A 0 x 0 template with a drawing is shown as an empty face.
  auto empty = LineSymbol("Empty", 0, 0);
  static_cast<TQSLine*>(empty->Items[0])->Fields.X2 = 50;
  EXPECT_EQ(InkOf([&](TCanvas& c, const TRect& r) { DrawSymbolFace(c, r, *empty, false); }), 0);
  auto line = LineSymbol("Line", 160, 160);
  EXPECT_GT(InkOf([&](TCanvas& c, const TRect& r) { DrawSymbolFace(c, r, *line, false); }), 20);
}

TEST(UserSymbols, ASelectionBecomesATemplateAtTheOriginOfWhatItCovers) {
  TQSSymbolDescription page;  // the owner of the page objects
  auto make = [&](TQSItemType k) { return CreateItemByKind(k, &page); };
  auto* line = static_cast<TQSLine*>(make(kind::Line));
  line->Fields = {};
  line->Fields.X1 = 100, line->Fields.Y1 = 50, line->Fields.X2 = 300, line->Fields.Y2 = 150;
  auto* rect = static_cast<TQSRectangle*>(make(kind::Ellipse));
  rect->Fields.X = 120, rect->Fields.Y = 60, rect->Fields.Width = 40, rect->Fields.Height = 20;
  TQSSymbolDescription symbol;
  // The line twice (drawn on two pages), and nothing else counts.
  MakeSymbolFromItems(symbol, {line, rect, line, nullptr});
  EXPECT_EQ(symbol.Width, 200);
  EXPECT_EQ(symbol.Height, 100);
  ASSERT_EQ(symbol.Items.Count(), 2);
  const auto& l = static_cast<TQSLine*>(symbol.Items[0])->Fields;
  EXPECT_EQ(std::vector<int>({l.X1, l.Y1, l.X2, l.Y2}), std::vector<int>({0, 0, 200, 100}));
  const auto* r = static_cast<TQSRectangle*>(symbol.Items[1]);
  EXPECT_EQ(r->ItemType, kind::Ellipse);
  EXPECT_EQ(std::vector<int>({r->Fields.X, r->Fields.Y}), std::vector<int>({20, 10}));
  // The sources stay where they were.
  EXPECT_EQ(line->Fields.X1, 100);

  // Far right and low on the page, a text with its measured size and an arc.
  auto* text = static_cast<TQSText*>(make(kind::Text));
  text->Fields.X = 12000, text->Fields.Y = 11000, text->Fields.Width = 400, text->Fields.Height = 120;
  text->Lines = {"Solo"};
  auto* arc = static_cast<TQSArc*>(make(kind::Arc));
  arc->Fields.X = 12200, arc->Fields.Y = 11060, arc->Fields.Width = 300, arc->Fields.Height = 100;
  arc->Fields.AX = 12200, arc->Fields.AY = 11060, arc->Fields.BX = 12500, arc->Fields.BY = 11160;
  TQSSymbolDescription far;
  MakeSymbolFromItems(far, {text, arc});
  EXPECT_EQ(far.Width, 500);
  EXPECT_EQ(far.Height, 160);
  const auto& t = static_cast<TQSText*>(far.Items[0])->Fields;
  EXPECT_EQ(std::vector<int>({t.X, t.Y}), std::vector<int>({0, 0}));
  const auto& a = static_cast<TQSArc*>(far.Items[1])->Fields;
  EXPECT_EQ(std::vector<int>({a.X, a.Y, a.AX, a.AY, a.BX, a.BY}), std::vector<int>({200, 60, 200, 60, 500, 160}));
  EXPECT_EQ(static_cast<TQSText*>(far.Items[0])->Lines, std::vector<std::string>{"Solo"});
  for (TQSItem* o : {static_cast<TQSItem*>(line), static_cast<TQSItem*>(rect), static_cast<TQSItem*>(text),
                     static_cast<TQSItem*>(arc)})
    delete o;
}

TEST(UserSymbols, TheAllSymbolsDropDownGroupsItsButtonsAndIsSizedToItsRows) {
  std::vector<std::unique_ptr<TQSSymbolDescription>> owned;
  auto symbols = [&](std::initializer_list<std::pair<const char*, int>> groups) {
    std::vector<const TQSSymbolDescription*> out;
    for (const auto& [group, count] : groups)
      for (int i = 0; i < count; ++i) {
        owned.push_back(LineSymbol(std::string(group) + std::to_string(i), 10, 10, group));
        out.push_back(owned.back().get());
      }
    return out;
  };
  // Two groups of 10 and 3; "strings" sorts after "Percussion" whatever
  // the case, and before them in the library.
  TAllSymbolsLayout two = LayOutAllSymbols(symbols({{"strings", 3}, {"Percussion", 10}}));
  EXPECT_EQ(two.Width, 310);
  EXPECT_EQ(two.PerRow, 10);
  ASSERT_EQ(two.Labels.size(), 2u);
  EXPECT_EQ(two.Labels[0].Group, "Percussion");
  EXPECT_EQ(two.Labels[0].Y, 0);
  EXPECT_EQ(two.Labels[1].Y, 43);
  EXPECT_EQ(two.Buttons[0].Symbol->Group, "Percussion");
  EXPECT_EQ(std::make_pair(two.Buttons[9].X, two.Buttons[9].Y), std::make_pair(243, 16));
  EXPECT_EQ(std::make_pair(two.Buttons[10].X, two.Buttons[10].Y), std::make_pair(0, 59));
  EXPECT_EQ(two.Height, 86);
  EXPECT_EQ(two.ClientHeight, 114);

  const struct {
    int Count, Width, PerRow, Height, ClientHeight;
  } cases[] = {
      {1, 310, 10, 43, 71},     // one row: as small as its row
      {11, 310, 10, 70, 98},    // two rows
      {39, 310, 10, 124, 152},  // 10 a row
      {40, 440, 15, 97, 125},   // 15 a row
      {400, 440, 15, 745, 102}, // too many: the usual size, scrolled
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Count);
    TAllSymbolsLayout l = LayOutAllSymbols(symbols({{"G", c.Count}}));
    EXPECT_EQ(l.Width, c.Width);
    EXPECT_EQ(l.PerRow, c.PerRow);
    EXPECT_EQ(l.Height, c.Height);
    EXPECT_EQ(l.ClientHeight, c.ClientHeight);
  }
}

TEST(UserSymbols, TypedNamesStayPlainFileNamesInTheLibraryFolder) {
  const struct {
    const char* Typed;
    const char* Name;
  } cases[] = {
      {"Fanfare", "Fanfare"},
      {"../../.bashrc", "_.._.bashrc"},
      {"..", ""},
      {" . ", ""},
      {"/etc/passwd", "_etc_passwd"},
      {"a\\b:c*d?e\"f<g>h|i", "a_b_c_d_e_f_g_h_i"},
      {"tab\there", "tab_here"},
      {"Crescendo...", "Crescendo"},
      {"Trémolo", "Trémolo"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Typed);
    EXPECT_EQ(CleanLibraryFileName(c.Typed), c.Name);
  }
  // Long names are cut, never inside a letter.
  const std::string cut = CleanLibraryFileName(std::string(199, 'a') + "ééé");
  EXPECT_EQ(cut, std::string(199, 'a'));
}

// ---------------------------------------------------------- the library

class UserSymbolLibrary : public ::testing::Test {
 protected:
  TProgramFolder Folder;
  std::unique_ptr<TFExpanded> Palette;

  std::string Templates() const { return platform::TemplatesDir(); }
  std::string Index() const { return platform::LibraryIndexFileName("Symbols.ini"); }
  // The entries of Symbols.ini as written.
  std::vector<std::string> Entries() const {
    TIniFile ini(Index());
    std::vector<std::string> out;
    const int count = ini.ReadInteger("Symbols", "SymbolMax", 0);
    for (int i = 0; i < count; ++i) out.push_back(ini.ReadString("Symbols", "Symbol" + std::to_string(i), ""));
    return out;
  }
  void WriteIndex(const std::vector<std::string>& names) { WriteLibraryIndex(kSymbolIndex, names); }
  void Save(const std::string& name) { LineSymbol(name)->SaveToFile(); }
  void MakePalette() { Palette = std::make_unique<TFExpanded>(nullptr, TPaletteContext{}); }
  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (const auto& s : Palette->Library()) out.push_back(s->FileName);
    return out;
  }
};

// The index names the files; those missing are left out. The buttons fill
// two rows column by column.
TEST_F(UserSymbolLibrary, TheIndexFillsTheLibraryAndTheButtonsTwoRows) {
  for (const char* name : {"A", "B", "C", "D", "E"}) Save(name);
  WriteIndex({"A", "Gone", "B", "C", "", "D", "E"});
  MakePalette();
  EXPECT_EQ(Names(), (std::vector<std::string>{"A", "B", "C", "D", "E"}));
  const std::vector<std::pair<int, int>> places = {{0, 5}, {0, 32}, {27, 5}, {27, 32}, {54, 5}};
  for (size_t i = 0; i < places.size(); ++i) {
    TECCharButton* b = Palette->SymbolButton(Palette->Library()[i].get());
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(std::make_pair(b->Left(), b->Top()), places[i]);
    EXPECT_EQ(b->Hint(), Palette->Library()[i]->Description);
  }
  // The next save drops the missing entry.
  Palette->SaveSymbols();
  EXPECT_EQ(Entries(), (std::vector<std::string>{"A", "B", "C", "D", "E"}));
}

// Adding puts the template first and keeps the index; removing takes it
// out of the index at once (and its file only when asked), so it does
// not come back at the next start.
TEST_F(UserSymbolLibrary, AddingAndRemovingKeepTheIndex) {
  for (const char* name : {"A", "B", "C"}) Save(name);
  WriteIndex({"A", "B", "C"});
  MakePalette();
  td::ShowAndWait(*Palette);
  auto added = LineSymbol("New");
  added->SaveToFile();
  Palette->AddSymbol(std::move(added));
  EXPECT_EQ(Entries(), (std::vector<std::string>{"New", "A", "B", "C"}));

  // B is the chosen tool when it goes: the palette is back on Point.
  const TQSSymbolDescription* b = Palette->Library()[2].get();
  td::Click(*Palette->SymbolButton(b), 8, 8);
  EXPECT_EQ(Palette->Chosen(), b);
  Palette->RemoveSymbols({b, Palette->Library()[0].get()}, false);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"A", "C"}));
  EXPECT_EQ(Palette->Chosen(), nullptr);
  EXPECT_TRUE(Palette->CBPointExpanded->Down());
  EXPECT_TRUE(FileExists(Templates() + "B.smb"));
  Palette->RemoveSymbols({Palette->Library()[0].get()}, true);
  EXPECT_FALSE(FileExists(Templates() + "A.smb"));
  MakePalette();
  EXPECT_EQ(Names(), std::vector<std::string>{"C"});
}

TEST_F(UserSymbolLibrary, ImportCopiesTheFileAndAsksBeforeReplacingOne) {
  MakePalette();
  const std::string elsewhere = Folder.Dir() + "elsewhere/";
  fs::create_directories(elsewhere);
  auto outside = LineSymbol("Bell", 240, 120);
  outside->ExportToFile(elsewhere + "Bell.smb");
  std::ofstream(elsewhere + "Text.smb") << "not a symbol";
  std::vector<int> reports;
  int asked = 0;
  bool answer = false;
  auto import = [&](const std::string& path) {
    return Palette->ImportSymbolFile(
        path,
        [&](const std::string& description) {
          ++asked;
          EXPECT_EQ(description, "Bell");
          return answer;
        },
        [&](int message) { reports.push_back(message); });
  };
  EXPECT_FALSE(import(elsewhere + "None.smb"));
  EXPECT_FALSE(import(elsewhere + "Text.smb"));
  EXPECT_EQ(reports, (std::vector<int>{2, 3}));
  EXPECT_TRUE(Palette->Library().empty());

  EXPECT_TRUE(import(elsewhere + "Bell.smb"));
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(ReadFileText(Templates() + "Bell.smb"), ReadFileText(elsewhere + "Bell.smb"));
  EXPECT_EQ(Entries(), std::vector<std::string>{"Bell"});
  EXPECT_EQ(Palette->Library()[0]->Width, 240);

  // The same name again: asked, and No keeps the library as it was.
  EXPECT_FALSE(import(elsewhere + "Bell.smb"));
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(Palette->Library().size(), 1u);
  answer = true;
  EXPECT_TRUE(import(elsewhere + "Bell.smb"));
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(Palette->Library().size(), 1u) << "one entry for one file";
  // The file in the library folder itself is taken without a question.
  EXPECT_TRUE(import(Templates() + "Bell.smb"));
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(reports.size(), 2u);
}

// The properties dialog saves a typed name only as a plain file in the
// library folder, and asks before replacing one.
TEST_F(UserSymbolLibrary, TheSavedFileNeverLeavesTheLibraryFolder) {
  auto symbol = LineSymbol("Fanfare");
  std::vector<std::string> reports;
  std::vector<std::string> questions;
  bool answer = true;
  auto save = [&](const std::string& group, const std::string& typed) {
    TFSymbolProperties dialog(nullptr, nullptr);
    dialog.Report = [&](const std::string& text) { reports.push_back(text); };
    dialog.Confirm = [&](const std::string& text) {
      questions.push_back(text);
      return answer;
    };
    dialog.SetSymbol(symbol.get());
    dialog.CBGroup->SetText(group);
    dialog.EFileName->SetText(typed);
    const bool closed = dialog.SaveClick();
    return closed && dialog.ModalResult() == mrOk;
  };
  const std::string outside = Folder.Dir() + "outside.smb";
  EXPECT_TRUE(save("Brass", "../outside"));
  EXPECT_FALSE(FileExists(outside));
  EXPECT_EQ(symbol->FileName, "_outside");
  EXPECT_TRUE(FileExists(Templates() + "_outside.smb"));
  EXPECT_TRUE(questions.empty());
  // Nothing left of the name, or no group: told, and nothing saved.
  EXPECT_FALSE(save("Brass", " .. "));
  EXPECT_FALSE(save(" ", "Horn"));
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_NE(reports[0].find("File name"), std::string::npos);
  EXPECT_NE(reports[1].find("Group"), std::string::npos);
  EXPECT_FALSE(FileExists(Templates() + "Horn.smb"));
  // An existing file: asked, and No leaves it alone.
  answer = false;
  EXPECT_FALSE(save("Brass", "_outside"));
  EXPECT_EQ(questions.size(), 1u);
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(Templates())) left.push_back(e.path().filename().string());
  EXPECT_EQ(left, std::vector<std::string>{"_outside.smb"}) << "no temporary file stays behind";
}

// Exported, the template is written beside its target through a temporary
// file of a name no other file has: files of the names once used for that
// neither stop it nor are touched.
TEST_F(UserSymbolLibrary, AnExportWritesThroughAUniqueFileBesideItsTarget) {
  const std::string target = Folder.Dir() + "export/";
  fs::create_directories(target);
  for (int i = 0; i < 100; ++i) std::ofstream(Folder.Dir() + "md" + std::to_string(i) + ".tmp") << i;
  for (int i = 0; i < 100; ++i) std::ofstream(target + "md" + std::to_string(i) + ".tmp") << i;
  auto symbol = LineSymbol("Fanfare");
  TFSymbolProperties dialog(nullptr, nullptr);
  dialog.SetSymbol(symbol.get());
  dialog.SetExportMode(true);
  EXPECT_TRUE(dialog.SBBrowse->Visible());
  dialog.EFileName->SetText(target + "Fanfare.txt");
  EXPECT_TRUE(dialog.SaveClick());
  EXPECT_EQ(dialog.ModalResult(), mrCancel) << "nothing goes into the library";
  TQSSymbolDescription back;
  back.ImportFromFile(target + "Fanfare.smb");
  EXPECT_EQ(back.Description, "Fanfare");
  EXPECT_EQ(back.Width, 160);
  int files = 0;
  for (const auto& e : fs::directory_iterator(target)) files += e.is_regular_file();
  EXPECT_EQ(files, 101);
  EXPECT_EQ(ReadFileText(target + "md7.tmp"), "7");
  int programFiles = 0;
  for (const auto& e : fs::directory_iterator(Folder.Dir())) programFiles += e.is_regular_file();
  EXPECT_EQ(programFiles, 100);
  EXPECT_EQ(ReadFileText(Folder.Dir() + "md0.tmp"), "0");
}

TEST_F(UserSymbolLibrary, RemovingFromTheListAsksTwiceForSeveralAndOnceMoreForOne) {
  for (const char* name : {"A", "B", "C"}) Save(name);
  WriteIndex({"A", "B", "C"});
  MakePalette();
  TFSymbolList list(nullptr, *Palette, nullptr);
  std::vector<std::string> questions;
  list.Confirm = [&](const std::string& text) {
    questions.push_back(text);
    return true;
  };
  ASSERT_EQ(list.LVSymbol->ItemCount(), 3);
  list.LVSymbol->SetSelected(0, true);
  list.LVSymbol->SetSelected(2, true);
  list.DeleteClick();
  EXPECT_EQ(questions.size(), 2u);
  EXPECT_EQ(Entries(), std::vector<std::string>{"B"});
  EXPECT_FALSE(FileExists(Templates() + "A.smb"));
  EXPECT_FALSE(FileExists(Templates() + "C.smb"));
  EXPECT_EQ(list.LVSymbol->ItemCount(), 1);
  // One row: the name in the first question, the file in the second.
  list.Confirm = [&](const std::string& text) {
    questions.push_back(text);
    return questions.size() == 3;  // remove, but keep the file
  };
  list.LVSymbol->SetItemIndex(0);
  list.LVSymbol->SetSelected(0, true);
  list.DeleteClick();
  ASSERT_EQ(questions.size(), 4u);
  EXPECT_NE(questions[2].find("\"B\""), std::string::npos);
  EXPECT_NE(questions[3].find("B.smb"), std::string::npos);
  EXPECT_TRUE(Entries().empty());
  EXPECT_TRUE(FileExists(Templates() + "B.smb"));
}

// ------------------------------------------------------- in the score

class UserSymbolPalette : public TShownScoreTest {
 protected:
  TProgramFolder Folder;
  TFakeHost Host;
  std::unique_ptr<TFExpanded> Palette;

  void SetUp() override {
    Piece = AddPiece({1}, 8);
    Mark(Piece->GetColumn(0), kind::Meter, 0, MakeMeter(4, 4));
    ShowScore(false);
    Host.Score = &Score;
    for (const char* name : {"Arrow", "Cross"}) LineSymbol(name, 320, 160)->SaveToFile();
    WriteLibraryIndex(kSymbolIndex, {"Arrow", "Cross"});
    Palette = std::make_unique<TFExpanded>(nullptr, TPaletteContext{&Host, nullptr});
    Palette->SetBounds(0, 780, 400, Palette->Height());
    td::ShowAndWait(*Palette);
    View->OnScoreClick = [this](TObject*) { Palette->InsertToolItem(*View, TInsertFrom::Click); };
    View->OnItemClick = [this](TObject*, TQSCalcItem* e) { Palette->ItemClick(*View, *e); };
  }
  void TearDown() override {
    Palette.reset();
    TShownScoreTest::TearDown();
  }
  TECCharButton* Button(int i) { return Palette->SymbolButton(Palette->Library()[static_cast<size_t>(i)].get()); }
  void ClickStaff(int m) {
    const TQSCalcMeasure& slot = *static_cast<TQSCalcMeasure*>(Piece->Slots[m]);
    const int x = View->Geometry().PageToScreen({slot.Box.Left + slot.Positions[0], 0}, 0).X;
    const int row = slot.System ? slot.System->FirstRow : 0;
    const int y = View->Geometry().PageToScreen({0, Row(0, row).TopLine}, 0).Y + 6;
    td::Click(*View, x, y);
  }
  std::vector<const TQSMark*> Stamps(int m) const {
    std::vector<const TQSMark*> out;
    for (const TQSItem* item : Measure(m)->Items)
      if (item->ItemType == kind::UserSymbolMark) out.push_back(static_cast<const TQSMark*>(item));
    return out;
  }
};

// A click with a symbol chosen stamps it where the staff was clicked; the
// score keeps one drawing for every stamp of the symbol. Multiply keeps the
// symbol, Single goes back to Point, and Quick stamps from the button.
TEST_F(UserSymbolPalette, AClickStampsTheChosenSymbol) {
  EXPECT_EQ(Palette->Regime(), TInputRegime::Multiply);
  td::Click(*Button(1), 8, 8);
  EXPECT_EQ(Palette->Chosen(), Palette->Library()[1].get());
  EXPECT_FALSE(Palette->CBPointExpanded->Down());
  EXPECT_EQ(View->ArmedItem, paletteitem::PartMark);
  const size_t undo = Score.UndoList.size();
  ClickStaff(0);
  ClickStaff(1);
  ASSERT_EQ(Stamps(0).size(), 1u);
  ASSERT_EQ(Stamps(1).size(), 1u);
  EXPECT_EQ(Score.UndoList.size(), undo + 2);
  ASSERT_EQ(Score.UserSymbolCount(), 1);
  EXPECT_EQ(Score.UserSymbols[0].Name, "Cross");
  EXPECT_EQ(Score.GetUserSymbol(0)->Fields.First, 320);
  EXPECT_EQ(Score.GetUserSymbol(0)->Fields.Second, 160);
  EXPECT_EQ(Score.GetUserSymbol(0)->Items.Count(), 1);
  EXPECT_EQ(Stamps(1)[0]->Fields.Value, 0);

  // Single: one stamp, then Point.
  td::Click(*Palette->CBMultiplyExpanded, 8, 8);  // on to Quick
  td::Click(*Palette->CBQuickExpanded, 8, 8);     // on to Single
  EXPECT_EQ(Palette->Regime(), TInputRegime::Single);
  td::Click(*Button(0), 8, 8);
  ClickStaff(2);
  EXPECT_EQ(Stamps(2).size(), 1u);
  EXPECT_TRUE(Palette->CBPointExpanded->Down());
  EXPECT_EQ(Palette->Chosen(), nullptr);
  EXPECT_EQ(Score.UserSymbolCount(), 2);
  ClickStaff(3);
  EXPECT_TRUE(Stamps(3).empty());

  // Quick: the button stamps at the cursor; clicks into the score do not.
  Palette->PageKey('W', 0, 0);  // on to Multiply
  Palette->PageKey('W', 0, 0);  // on to Quick
  EXPECT_EQ(Palette->Regime(), TInputRegime::Quick);
  ClickStaff(4);
  EXPECT_TRUE(Stamps(4).empty());
  td::Click(*Button(1), 8, 8);
  EXPECT_EQ(Stamps(4).size(), 1u);
  EXPECT_TRUE(Palette->CBPointExpanded->Down());
}

TEST_F(UserSymbolPalette, TheKeysAndTheEraser) {
  td::Click(*Button(0), 8, 8);
  ClickStaff(0);
  ASSERT_EQ(Stamps(0).size(), 1u);
  EXPECT_TRUE(Palette->PageKey('E', 0, 0));
  EXPECT_TRUE(Palette->CBEraseExpanded->Down());
  EXPECT_EQ(Palette->Chosen(), nullptr);
  EXPECT_EQ(View->ArmedItem, paletteitem::None);
  // A click on the stamp, as the view reports it.
  TQSCalcItem stamp{};
  stamp.Item = const_cast<TQSMark*>(Stamps(0)[0]);
  EXPECT_TRUE(Palette->ItemClick(*View, stamp));
  EXPECT_TRUE(Stamps(0).empty());
  td::Click(*Button(0), 8, 8);
  EXPECT_FALSE(Palette->CBEraseExpanded->Down());
  EXPECT_TRUE(Palette->PageKey(VK_ESCAPE, 0, 0));
  EXPECT_TRUE(Palette->CBPointExpanded->Down());
  EXPECT_EQ(Palette->Chosen(), nullptr);
  EXPECT_TRUE(Palette->PageKey('Q', 0, 0));
  EXPECT_FALSE(Palette->PageKey('X', 0, 0));
}

// Chosen in the drop-down, a symbol comes first and is the tool; the
// drop-down closes.
TEST_F(UserSymbolPalette, ASymbolChosenFromAllComesFirstAndIsTheTool) {
  const TQSSymbolDescription* cross = Palette->Library()[1].get();
  td::Click(*Palette->CBSymbols, 6, 20);
  TFAllSymbols* popup = nullptr;
  for (int i = 0; i < Palette->ComponentCount(); ++i)
    if (auto* p = dynamic_cast<TFAllSymbols*>(Palette->Components(i))) popup = p;
  ASSERT_NE(popup, nullptr);
  td::ProcessMessages();
  EXPECT_TRUE(popup->Visible());
  ASSERT_EQ(popup->Buttons.size(), 2u);
  EXPECT_EQ(popup->ClientHeight(), 71) << "one row";
  td::Click(*popup->Buttons[1], 8, 8);  // the second of the group: Cross
  td::ProcessMessages();
  for (int i = 0; i < Palette->ComponentCount(); ++i)
    EXPECT_EQ(dynamic_cast<TFAllSymbols*>(Palette->Components(i)), nullptr) << "the drop-down is gone";
  EXPECT_EQ(Palette->Library()[0].get(), cross);
  EXPECT_EQ(Palette->Chosen(), cross);
  EXPECT_EQ(std::make_pair(Button(0)->Left(), Button(0)->Top()), std::make_pair(0, 5));
}

}  // namespace
}  // namespace qs::test
