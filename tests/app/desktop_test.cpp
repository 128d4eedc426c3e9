// The main window as a desktop editor around its documents: which commands
// can run in which state, the keyboard, the palettes docked and floating,
// the undo lists, the tempo and volume bars and the language switch.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>

#include "app/actionstates.h"
#include "app/commands.h"
#include "app/fileeditor.h"
#include "app/mainwindow.h"
#include "base/inifile.h"
#include "chords/guitarpalette.h"
#include "interchange/musicxml.h"
#include "layout/layout.h"
#include "palettes/notes.h"
#include "platform/actions.h"
#include "platform/comctrls.h"
#include "platform/keys.h"
#include "platform/testdriver.h"
#include "score/score.h"
#include "uikit/charbutton.h"
#include "uikit/fretboard.h"
#include "uikit/language.h"
#include "uikit/menu.h"
#include "uikit/menuitem.h"
#include "uikit/pagecontrol.h"
#include "uikit/popuplist.h"
#include "view/window.h"

using namespace qs;
namespace td = qs::testdriver;

namespace {

// ------------------------------------------------------------ the state table

// The five situations: no document, an unchanged document, a modified one
// (with something to undo), one that plays, a modified one whose view edits
// a text with a word of it selected and text on the clipboard.
TDocumentState Situation(int column) {
  TDocumentState s;
  if (column == 0) return s;
  s.Document = s.View = true;
  if (column == 2 || column == 4) s.Modified = s.CanUndo = true;
  if (column == 3) s.Playing = true;
  if (column == 4) s.Typing = s.CanCopy = s.CanPaste = true;
  return s;
}

// Each command's enabled state in the five situations ("+" enabled), by
// groups of commands that behave alike. Every command of the table is in
// exactly one group.
const std::vector<std::pair<const char*, const char*>> kExpected = {
    // Built, always.
    {"ANew AOpen AExit AAbout AContents AReferences AHelper AQuickTour ANews ASettings AEnglish ADeutsch AFrench AItalian "
     "ARussian "
     "ANotes ASymbols AExpanded ATerms AChords AIntervals ADesign APiano AGuitar AModify ANavigator ADrumMap ADynamic "
     "ASymbolList ATermList ATempo AChordList AGuitars",
     "+++++"},
    // Built, with a document.
    {"AClose ACloseAll ASaveAs AHide AGotoBegin AGotoEnd AFirst APrev ANext ALast AZoomIn AZoomOut AActualScale "
     "AAddPiece AAddPart AAddStaff AAddVoice AAddMeasure ADeleteMeasure AMeasureUnion AMeasureProperties AAddPage ADeletePage AReverce AExportImage AExportPDF AExportWave "
     "ACompositionProperties APieceProperties APartProperties AStaffProperties AVoiceProperties "
     "AMailTo APrint APreview AToggleBookmarks AGotoBookmarks",
     "-++++"},
    {"ASave", "--+-+"},
    // Play and Record on a view that neither plays nor records nor types;
    // Stop while it plays.
    {"APlay ARecord", "-++--"},
    {"AStop", "---+-"},
    // Undo waits for the edited text; the clipboard commands then act on it.
    {"AUndo", "--+--"},
    {"ARedo", "-----"},
    {"ACut ACopy APaste", "----+"},
    {"AToActiveStaff AToActiveVoice", "-----"},
    {"ADelete ASelectSymbolsAll ASelectSymbolsPiece ASelectSymbolsPart ASelectSymbolsStaff ASelectSymbolsVoice "
     "ASelectDesignAll ASelectDesignPage",
     "-+++-"},
    // One piece, part, staff and voice: nothing to delete or move.
    {"ADeletePiece ADeletePart ADeleteStaff ADeleteVoice AMoveUp AMoveDown", "-----"},
    // Saving a symbol needs selected page graphics, and saving a chord the
    // notes of a chord selected, which none of these situations has.
    {"ASaveSymbol ASaveSymbolAs ASaveChord ASaveChordAs", "-----"},
    // Not built yet: present and never enabled, whatever the state.
    {"ATransports AInstruments",
     "-----"},
};

TEST(ActionStates, EachCommandIsEnabledInTheSituationsOfItsRule) {
  std::set<std::string> seen;
  for (const auto& [names, expected] : kExpected) {
    std::istringstream list(names);
    std::string name;
    while (list >> name) {
      SCOPED_TRACE(name);
      const TCommand* command = FindCommand(name);
      ASSERT_NE(command, nullptr);
      EXPECT_TRUE(seen.insert(name).second) << "in two groups";
      std::string got;
      for (int column = 0; column < 5; ++column) got += CommandEnabled(*command, Situation(column)) ? '+' : '-';
      EXPECT_EQ(got, expected) << "no document, a document, modified, playing, typing";
    }
  }
  for (const TCommand& c : CommandTable()) EXPECT_TRUE(seen.count(c.Name)) << c.Name << " has no row";
  // With page graphics selected in the document they can.
  TDocumentState selected = Situation(1);
  selected.CanSaveSymbol = true;
  for (const char* name : {"ASaveSymbol", "ASaveSymbolAs"}) EXPECT_TRUE(CommandEnabled(*FindCommand(name), selected));
}

// The rules of the commands not built yet, as they will hold once their
// handlers exist: play and stop take turns, deleting needs two of a kind.
TEST(ActionStates, TheRulesOfPlaybackAndOfDeletingFollowTheDocument) {
  struct TCase {
    TCommandState Rule;
    const char* Expected;  // the five situations
  };
  const TCase cases[] = {
      {TCommandState::CanPlay, "-++--"},   {TCommandState::CanStop, "---+-"},
      {TCommandState::Modified, "--+-+"},  {TCommandState::CanPaste, "----+"},
      {TCommandState::PasteInto, "-----"}, {TCommandState::CanSaveSymbol, "-----"},
  };
  for (const TCase& c : cases) {
    std::string got;
    for (int column = 0; column < 5; ++column) got += StateAllows(c.Rule, Situation(column)) ? '+' : '-';
    EXPECT_EQ(got, c.Expected) << static_cast<int>(c.Rule);
  }
  TDocumentState recording = Situation(1);
  recording.Recording = true;
  EXPECT_FALSE(StateAllows(TCommandState::CanPlay, recording));
  EXPECT_TRUE(StateAllows(TCommandState::CanStop, recording));
  TDocumentState two = Situation(1);
  two.SeveralParts = two.SeveralVoices = true;
  EXPECT_TRUE(StateAllows(TCommandState::SeveralParts, two));
  EXPECT_FALSE(StateAllows(TCommandState::SeveralStaves, two));
  EXPECT_TRUE(StateAllows(TCommandState::SeveralVoices, two));
}

// A player that says it plays or records.
class TPlayingControl : public TQSPlayControl {
 public:
  explicit TPlayingControl(bool recording) : recording_(recording) {}
  void Play() override {}
  void Record() override {}
  void StopPlay() override {}
  bool IsPlaying() const override { return !recording_; }
  bool IsRecording() const override { return recording_; }
  bool IsRealTimeRecording() const override { return false; }
  void LockRecord() override {}
  void UnlockRecord() override {}

 private:
  bool recording_;
};

// ------------------------------------------------------------ the window

class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallLayout();
    InstallMusicXmlImporter();
    if (!GlobalLanguage()) (new TECLanguage(&languageOwner_))->SetLanguage(kDefaultLanguage);
    GlobalLanguage()->SetLanguage(kDefaultLanguage);
    dir_ = ::testing::TempDir() + "qs_desktop_" + std::to_string(::getpid()) + "/";
    ASSERT_EQ(std::system(("rm -rf '" + dir_ + "' && mkdir -p '" + dir_ + "'").c_str()), 0);
    Start();
  }
  void TearDown() override {
    Stop();
    settings_.reset();
    if (GlobalLanguage()) GlobalLanguage()->SetLanguage(kDefaultLanguage);
  }
  void Start() {
    settings_ = std::make_unique<TSettings>(dir_ + "ProgramSetting.ini");
    main_ = std::make_unique<TFProgramModule>(nullptr, settings_.get());
    main_->SetWindowState(TWindowState::wsNormal);
    main_->SetBounds(0, 0, 1000, 800);
  }
  void Stop() {
    if (!main_) return;
    for (int i = 0; i < main_->DocumentCount(); ++i) main_->Document(i)->SetModified(false);
    main_.reset();
  }
  TFNotes* Notes() const { return dynamic_cast<TFNotes*>(main_->PaletteOf(main_->ToolSheets[0])); }
  // A key typed into the active document's view.
  void Type(uint16_t key, TShiftState shift = 0) { td::PressKey(*main_->ActiveEditor()->QSWindow, key, shift); }
  std::string Down() const {
    std::string names;
    for (int b = 0; b < TFNotes::kButtonCount; ++b)
      if (Notes()->IsDown(static_cast<TFNotes::TButton>(b))) names += Notes()->Button(static_cast<TFNotes::TButton>(b))->Name() + " ";
    return names;
  }

  TComponent languageOwner_{nullptr};
  std::string dir_;
  std::unique_ptr<TSettings> settings_;
  std::unique_ptr<TFProgramModule> main_;
};

TEST_F(DesktopTest, TheWindowGathersTheDocumentsStateForTheTable) {
  EXPECT_FALSE(DocumentStateOf(main_->ActiveEditor()).Document);
  main_->MIWindow->OnMenuShow(main_->MIWindow);
  EXPECT_FALSE(dynamic_cast<TECMenuItem*>(main_->FindComponent("MIWindowsFiles"))->Visible())
      << "no documents follow in the Windows menu";
  TFFileEditor* doc = main_->NewDocument();
  td::ShowAndWait(*main_);
  TDocumentState s = DocumentStateOf(doc);
  EXPECT_TRUE(s.Document && s.View);
  EXPECT_FALSE(s.Modified || s.CanUndo || s.SeveralParts || s.Playing || s.Typing);
  ASSERT_TRUE(main_->RunCommand("AAddPart"));
  s = DocumentStateOf(doc);
  EXPECT_TRUE(s.Modified && s.CanUndo);
  EXPECT_TRUE(main_->FindAction("AUndo")->Enabled());
  EXPECT_TRUE(main_->FindAction("ADeletePart")->Enabled()) << "the cursor's piece has two parts now";
  TPlayingControl player(false), recorder(true);
  doc->QSWindow->PlayControl = &player;
  EXPECT_TRUE(DocumentStateOf(doc).Playing);
  doc->QSWindow->PlayControl = &recorder;
  EXPECT_TRUE(DocumentStateOf(doc).Recording);
  doc->QSWindow->PlayControl = nullptr;
  // Checked: the repeats follow their setting, the language its choice.
  main_->UpdateActionStates();
  EXPECT_FALSE(main_->FindAction("AReverce")->Checked());
  ASSERT_TRUE(main_->RunCommand("AReverce"));
  EXPECT_TRUE(main_->FindAction("AReverce")->Checked());
  EXPECT_TRUE(main_->FindAction("AEnglish")->Checked());
  EXPECT_FALSE(main_->FindAction("ADeutsch")->Checked());
}

// The Notes page's letters and digits work its buttons as clicks would.
TEST_F(DesktopTest, LettersAndDigitsChooseTheNotesPagesButtons) {
  main_->NewDocument();
  td::ShowAndWait(*main_);
  ASSERT_NE(Notes(), nullptr);
  Type('4');
  EXPECT_EQ(Down(), "") << "a digit chooses nothing while no value is down";
  Type('N');
  EXPECT_EQ(Down(), "CBNote8 ");
  Type('3');
  EXPECT_EQ(Down(), "CBNote4 ");
  Type(VK_ADD);
  EXPECT_EQ(Down(), "CBNote8 ") << "numeric + goes one value shorter";
  Type('P');
  EXPECT_EQ(Down(), "CBPause8 ") << "a rest of the same value";
  Type('2');
  EXPECT_EQ(Down(), "CBPause2 ");
  Type(VK_SUBTRACT);
  Type(VK_SUBTRACT);
  EXPECT_EQ(Down(), "CBPause64 ") << "numeric - goes longer, from the whole round to the 1/64";
  Type('N');
  // Pairs: first, second, none.
  for (const char* expected : {"CBNote64 CBBemol ", "CBNote64 CBDoubleBemol ", "CBNote64 "}) {
    Type('B');
    EXPECT_EQ(Down(), expected);
  }
  Type('R');
  Type('R');
  EXPECT_EQ(Down(), "CBNote64 CBBecarreBemol ");
  Type(VK_ESCAPE);
  EXPECT_EQ(Down(), "");
  EXPECT_TRUE(Notes()->CBPointNotes->Down());
  Type('E');
  EXPECT_TRUE(Notes()->CBEraseNotes->Down());
  Type('Q');
  EXPECT_TRUE(Notes()->CBPointNotes->Down());
}

TEST_F(DesktopTest, EnterOrSpaceThenADigitEntersANoteOrRestAtOnceAndShiftEndsThePrefix) {
  TFFileEditor* doc = main_->NewDocument();
  td::ShowAndWait(*main_);
  TQSScore& score = doc->Score();
  const int before = score.UndoCount();
  Type(VK_RETURN);
  EXPECT_EQ(main_->KeyPrefix(), VK_RETURN);
  Type('3');
  EXPECT_EQ(score.UndoCount(), before + 1) << "a quarter note went in";
  EXPECT_EQ(main_->KeyPrefix(), 0);
  EXPECT_EQ(Down(), "") << "and its button is up again";
  Type(VK_SPACE);
  Type('4');
  EXPECT_EQ(score.UndoCount(), before + 2) << "an eighth rest went in";
  Type(VK_RETURN);
  Type(VK_SHIFT, ssShift);
  Type('3');
  EXPECT_EQ(score.UndoCount(), before + 2) << "Shift ended the prefix";
  // With a menu open, Enter is the menu's.
  auto* file = dynamic_cast<TECMenuItem*>(main_->FindComponent("MIFile"));
  const TRect entry = file->ItemRect();
  const int cx = (entry.Left + entry.Right) / 2, cy = (entry.Top + entry.Bottom) / 2;
  td::MouseMove(*main_->MMProgramModule, cx, cy);
  td::Click(*main_->MMProgramModule, cx, cy);
  ASSERT_TRUE(main_->MMProgramModule->Armed());
  uint16_t enter = VK_RETURN;
  main_->FormKeyDown(enter, 0);
  EXPECT_EQ(enter, VK_RETURN) << "the menu gets it";
  EXPECT_EQ(main_->KeyPrefix(), 0);
  // A press elsewhere closes it.
  td::Click(*doc->QSWindow, 5, 5);
  td::ProcessMessages();
  ASSERT_FALSE(main_->MMProgramModule->Armed());
  // The layout page has no letters: Enter 0 enters a whole note there.
  main_->PCTools->SetActivePage(main_->ToolSheets[9]);
  ASSERT_EQ(main_->ActiveTool(), main_->ToolSheets[9]);
  Type(VK_RETURN);
  Type('0');
  EXPECT_EQ(score.UndoCount(), before + 3);
  Type('N');
  EXPECT_EQ(Down(), "") << "the Notes page's letters belong to it";
  main_->PCTools->SetActivePage(main_->ToolSheets[0]);
  // Ctrl+A selects every symbol of the score.
  Type('A', ssCtrl);
  EXPECT_TRUE(doc->QSWindow->CanCopy());
  // The submenu of the scopes checks the one in force.
  auto item = [&](const char* name) { return dynamic_cast<TECMenuItem*>(main_->FindComponent(name)); };
  ASSERT_TRUE(main_->RunCommand("ASelectSymbolsStaff"));
  item("MISelectSymbols")->OnMenuShow(item("MISelectSymbols"));
  EXPECT_TRUE(item("MISelectSymbolsStaff")->Checked());
  EXPECT_FALSE(item("MISelectSymbolsAll")->Checked());
}

// The Guitar page, while it is the current one, shows the notes at the
// cursor wherever the view's own keys move it.
TEST_F(DesktopTest, TheGuitarPageFollowsTheCursorTheViewsKeysMove) {
  constexpr int kGuitarPage = 8;
  TFFileEditor* doc = main_->NewDocument();
  td::ShowAndWait(*main_);
  main_->PCTools->SetActivePage(main_->ToolSheets[kGuitarPage]);
  ASSERT_EQ(main_->ActiveTool(), main_->ToolSheets[kGuitarPage]);
  auto* guitar = dynamic_cast<TFGuitar*>(main_->PaletteOf(main_->ToolSheets[kGuitarPage]));
  ASSERT_NE(guitar, nullptr);
  if (!guitar->CurrentGuitar()) GTEST_SKIP() << "no library guitar";
  TECGuitar& board = *guitar->GGuitar;
  const auto frets = [&] {
    std::vector<int> f;
    for (int i = 0; i < board.StringCount(); ++i) f.push_back(board.GetFret(i));
    return f;
  };
  // Two frets held enter a chord at the cursor, which stays on it.
  for (auto [string, fret] : {std::pair{2, 0}, {4, 2}}) {
    const TPoint p = board.GetFretPoint(string, fret);
    td::Click(board, p.X, p.Y);
  }
  const std::vector<int> held = frets();
  ASSERT_NE(held, std::vector<int>(held.size(), 0));
  doc->QSWindow->SetFocus();
  Type(VK_RIGHT);
  EXPECT_EQ(frets(), std::vector<int>(held.size(), 0)) << "no notes after the chord";
  Type(VK_LEFT);
  EXPECT_EQ(frets(), held) << "the chord again";
  // Another page current: the fretboard stays as it is.
  main_->PCTools->SetActivePage(main_->ToolSheets[0]);
  Type(VK_RIGHT);
  EXPECT_EQ(frets(), held);
}

TEST_F(DesktopTest, InsertAlternatesTheModeForEveryDocumentAndKeepsIt) {
  TFFileEditor* doc = main_->NewDocument();
  td::ShowAndWait(*main_);
  EXPECT_FALSE(main_->InsertMode());
  Type(VK_INSERT);
  EXPECT_TRUE(main_->InsertMode());
  EXPECT_EQ(doc->Score().AddState, TQSAddState::asInsert);
  EXPECT_EQ(TIniFile(settings_->FileName()).ReadInteger("Tools", "AddState", -1), 1);
  // A document opened now enters in the same mode.
  EXPECT_EQ(main_->NewDocument()->Score().AddState, TQSAddState::asInsert);
  Type(VK_INSERT);
  EXPECT_FALSE(main_->InsertMode());
  EXPECT_EQ(doc->Score().AddState, TQSAddState::asOverwrite);
  // Ctrl+Insert stays the view's copy.
  Type(VK_INSERT, ssCtrl);
  EXPECT_FALSE(main_->InsertMode());
}

TEST_F(DesktopTest, AltDigitShowsADocumentTabAndBookmarksTakeCtrlDigits) {
  TFFileEditor* first = main_->NewDocument();
  TFFileEditor* second = main_->NewDocument();
  td::ShowAndWait(*main_);
  EXPECT_EQ(main_->ActiveEditor(), second);
  Type('0', ssAlt);
  EXPECT_EQ(main_->ActiveEditor(), first);
  Type('3', ssAlt);
  EXPECT_EQ(main_->ActiveEditor(), first) << "there is no fourth tab";
  Type('1', ssAlt);
  EXPECT_EQ(main_->ActiveEditor(), second);
  EXPECT_FALSE(second->Score().HasBookmark(5));
  Type('5', ssCtrl | ssShift);
  EXPECT_TRUE(second->Score().HasBookmark(5));
  // The Windows menu checks the active document's item; its items switch
  // the tabs too.
  main_->MIWindow->OnMenuShow(main_->MIWindow);
  EXPECT_TRUE(second->WindowItem->Checked());
  EXPECT_FALSE(first->WindowItem->Checked());
  EXPECT_TRUE(dynamic_cast<TECMenuItem*>(main_->FindComponent("MIWindowsFiles"))->Visible());
  EXPECT_TRUE(dynamic_cast<TECMenuItem*>(main_->FindComponent("MINotes"))->Checked());
  first->WindowItem->OnClick(first->WindowItem);
  EXPECT_EQ(main_->ActiveEditor(), first);
  // A right click on a document's tab shows it and offers Close, Save ...
  auto* files = dynamic_cast<TECContextMenu*>(main_->FindComponent("CMFiles"));
  ASSERT_NE(files, nullptr);
  EXPECT_EQ(files->Item()->Count(), 5);
  const TRect tab = main_->PCFiles->GetTabRect(second->Sheet);
  td::MouseDown(*main_->PCFiles, tab.Left + 4, tab.Top + 4, mbRight);
  td::MouseUp(*main_->PCFiles, tab.Left + 4, tab.Top + 4, mbRight);
  EXPECT_EQ(main_->ActiveEditor(), second);
  EXPECT_NE(files->PopupWindow(), nullptr);
  files->PressOutside();
}

TEST_F(DesktopTest, KeysTypedIntoAnEditedTextNeverReachThePalettesOrTheCommands) {
  TFFileEditor* doc = main_->NewDocument();
  td::ShowAndWait(*main_);
  Type('N');
  ASSERT_EQ(Down(), "CBNote8 ");
  // The dispatcher only asks whether a text is edited.
  TQSCalcItem edited{};
  doc->QSWindow->EditedElement = &edited;
  uint16_t key = 'P';
  main_->FormKeyDown(key, 0);
  EXPECT_EQ(key, 'P') << "the key goes on to the text";
  key = VK_INSERT;
  main_->FormKeyDown(key, 0);
  EXPECT_FALSE(main_->InsertMode());
  main_->UpdateActionStates();
  EXPECT_FALSE(main_->FindAction("ASelectSymbolsAll")->Enabled());
  EXPECT_FALSE(main_->FindAction("ADelete")->Enabled());
  doc->QSWindow->EditedElement = nullptr;
  EXPECT_EQ(Down(), "CBNote8 ");
}

// ------------------------------------------------------------ palettes

TEST_F(DesktopTest, ATabDraggedOutFloatsItsPaletteWhereLetGoAndItStaysThereAfterARestart) {
  td::ShowAndWait(*main_);
  TECPageControl& tools = *main_->PCTools;
  const TRect tab = tools.GetTabRect(main_->ToolSheets[0]);
  const int x = tab.Left + 5, y = tab.Top + 5;
  // Moved 40 pixels both ways: no tear-off.
  td::MouseDown(tools, x, y);
  td::MouseMove(tools, x + 40, y + 40, ssLeft);
  td::MouseUp(tools, x + 40, y + 40);
  EXPECT_TRUE(main_->PaletteAttached(0));
  // Let go below the notebook: the palette floats with its bottom-left
  // corner there.
  const int dropY = tools.Height() + 200;
  td::MouseDown(tools, x, y);
  td::MouseMove(tools, x + 30, dropY, ssLeft);
  td::MouseUp(tools, x + 30, dropY);
  TFNotes* notes = Notes();
  ASSERT_FALSE(main_->PaletteAttached(0));
  EXPECT_TRUE(notes->Floating());
  EXPECT_TRUE(notes->Visible());
  EXPECT_FALSE(main_->ToolSheets[0]->TabVisible());
  EXPECT_EQ(main_->ActiveTool(), main_->ToolSheets[0]) << "the palette torn off stays the current one";
  const TPoint drop = tools.ClientToScreen(TPoint{x + 30, dropY});
  EXPECT_EQ(notes->Left(), drop.X);
  EXPECT_EQ(notes->Top() + notes->Height(), drop.Y);
  const TRect floating = notes->BoundsRect();
  EXPECT_EQ(TIniFile(settings_->FileName()).ReadBool("FProgramModule", "NotesAttached", true), false);
  // After a restart it floats where it was left.
  Stop();
  Start();
  td::ShowAndWait(*main_);
  ASSERT_FALSE(main_->PaletteAttached(0));
  EXPECT_TRUE(Notes()->Floating());
  EXPECT_EQ(Notes()->BoundsRect(), floating);
  // Let go over the tool notebook after a move by its caption, it docks.
  const TPoint over = main_->PCTools->ClientToScreen(TPoint{100, 30});
  main_->PaletteDropped("Notes", over.X, over.Y);
  EXPECT_TRUE(main_->PaletteAttached(0));
  EXPECT_EQ(Notes()->Parent(), main_->ToolSheets[0]);
  EXPECT_TRUE(main_->ToolSheets[0]->TabVisible());
  Stop();
  Start();
  EXPECT_TRUE(main_->PaletteAttached(0));
  EXPECT_EQ(Notes()->Parent(), main_->ToolSheets[0]);
}

TEST_F(DesktopTest, TheWindowsMenuShowsAndHidesPalettesWhereTheyLiveAndAltNHidesTheNotes) {
  main_->NewDocument();
  td::ShowAndWait(*main_);
  EXPECT_TRUE(main_->PaletteShown(0));
  Type('N', ssAlt);
  EXPECT_FALSE(main_->PaletteShown(0));
  EXPECT_FALSE(main_->ToolSheets[0]->TabVisible());
  main_->ShowPalette(0, true);
  EXPECT_TRUE(main_->ToolSheets[0]->TabVisible());
  main_->SetPaletteAttached(0, false);
  EXPECT_TRUE(main_->PaletteShown(0)) << "floating in its window";
  main_->ShowPalette(0, false);
  EXPECT_FALSE(Notes()->Visible());
  main_->ShowPalette(0, true);
  EXPECT_TRUE(Notes()->Visible());
  EXPECT_FALSE(main_->ToolSheets[0]->TabVisible()) << "a floating palette has no tab";
}

// ------------------------------------------------------------ lists, bars, language

TEST_F(DesktopTest, ChoosingTheThirdLineOfTheUndoListUndoesThreeSteps) {
  TFFileEditor* doc = main_->NewDocument();
  td::ShowAndWait(*main_);
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(main_->RunCommand("AAddPart"));
  ASSERT_EQ(doc->Score().UndoCount(), 4);
  ASSERT_TRUE(main_->RunCommand("AAddStaff"));
  ASSERT_TRUE(main_->RunCommand("AUndo"));
  EXPECT_EQ(doc->RedoCaptions(), std::vector<std::string>{"Add staff"});
  TECPopupMenu* list = main_->ShowUndoList(false);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Items(), std::vector<std::string>(4, "Add part")) << "newest first, named by what they did";
  list->OnClick(list, 2);
  EXPECT_EQ(doc->Score().UndoCount(), 1);
  EXPECT_EQ(doc->Score().RedoCount(), 4);
  list->CloseList();
  list = main_->ShowUndoList(true);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Items(), (std::vector<std::string>{"Add part", "Add part", "Add part", "Add staff"}));
  list->OnClick(list, 1);
  EXPECT_EQ(doc->Score().RedoCount(), 2);
  EXPECT_EQ(doc->Score().UndoCount(), 3);
  list->CloseList();
  td::ProcessMessages();
}

TEST(TrackBars, AClickBelowTheTrackSetsThePositionThere) {
  // The volume in sixths of the bar from 30,000 on, never above the top.
  EXPECT_EQ(TFProgramModule::VolumeAtClick(0, 120), 30000);
  EXPECT_EQ(TFProgramModule::VolumeAtClick(45, 120), 47600);
  EXPECT_EQ(TFProgramModule::VolumeAtClick(119, 120), 65535);
  EXPECT_EQ(TFProgramModule::VolumeAtClick(3, 4), 65535) << "a bar too narrow for steps";
  // The tempo in steps of 25 from 25 to 200.
  EXPECT_EQ(TFProgramModule::TempoAtClick(8, 116, 8, 25, 200), 25);
  EXPECT_EQ(TFProgramModule::TempoAtClick(58, 116, 8, 25, 200), 100);
  EXPECT_EQ(TFProgramModule::TempoAtClick(36, 116, 8, 25, 200), 50);
  EXPECT_EQ(TFProgramModule::TempoAtClick(108, 116, 8, 25, 200), 200);
  EXPECT_EQ(TFProgramModule::TempoAtClick(50, 16, 8, 25, 200), 25) << "no track at all";
}

TEST_F(DesktopTest, TheTempoBarSetsTheViewsScaleAndFollowsTheActiveView) {
  TFFileEditor* first = main_->NewDocument();
  TFFileEditor* second = main_->NewDocument();
  td::ShowAndWait(*main_);
  main_->TBTempo->SetPosition(150);
  EXPECT_EQ(second->QSWindow->TempoScale, 150);
  EXPECT_NE(main_->TBTempo->Hint().find("150%"), std::string::npos) << main_->TBTempo->Hint();
  Type('0', ssAlt);
  EXPECT_EQ(main_->TBTempo->Position(), 100) << "the first document plays at its own scale";
  EXPECT_EQ(first->QSWindow->TempoScale, 100);
  EXPECT_EQ(second->QSWindow->TempoScale, 150);
}

TEST_F(DesktopTest, TheLanguageChangesAtOnceInMenusPalettesAndTheStatusLine) {
  TFFileEditor* doc = main_->NewDocument();
  td::ShowAndWait(*main_);
  auto caption = [&](const char* name) { return dynamic_cast<TECMenuItem*>(main_->FindComponent(name))->Caption(); };
  const std::string file = caption("MIFile"), hint = Notes()->CBPointNotes->Hint();
  ASSERT_EQ(doc->Score().InsertName, "Insert");
  const std::string letters = doc->Score().NoteNames;
  ASSERT_TRUE(main_->RunCommand("ADeutsch"));
  EXPECT_EQ(doc->Score().NoteNames, letters) << "the note letters are the settings'";
  EXPECT_EQ(caption("MIFile"), "&Datei");
  EXPECT_NE(Notes()->CBPointNotes->Hint(), hint);
  EXPECT_NE(Notes()->Button(TFNotes::bRepeatBar)->Hint().find("(1)"), std::string::npos)
      << "the repeat button names its count also in German";
  EXPECT_EQ(doc->Score().InsertName, "Einfügen");
  EXPECT_TRUE(main_->FindAction("ADeutsch")->Checked());
  EXPECT_EQ(TIniFile(settings_->FileName()).ReadString("Tools", "Language", ""), "DEU");
  ASSERT_TRUE(main_->RunCommand("AEnglish"));
  EXPECT_EQ(caption("MIFile"), file);
  EXPECT_EQ(doc->Score().InsertName, "Insert");
}

}  // namespace
