// The main window's command table walked on a sample score: every command
// is enabled in some situation of a document and runs there without
// raising; the commands not built yet are named in one list. Also the
// Navigator palette's click, Move up and down, the Edit menu's bookmarks
// and the dynamics settings reaching the open scores.
#include <gtest/gtest.h>

#include "score/pageobjects.h"
#include "score/item.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/actionstates.h"
#include "app/commands.h"
#include "app/fileeditor.h"
#include "app/mainwindow.h"
#include "editing/marks.h"
#include "editing/structure.h"
#include "interchange/musicxml.h"
#include "layout/layout.h"
#include "palettes/navigator.h"
#include "playback/midiports.h"
#include "playback/noteports.h"
#include "playback/playclock.h"
#include "platform/actions.h"
#include "platform/desktop.h"
#include "base/inifile.h"
#include "platform/keys.h"
#include "platform/testdriver.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "uikit/language.h"
#include "uikit/menuitem.h"
#include "uikit/pagecontrol.h"
#include "uikit/settings.h"
#include "view/navigator.h"
#include "view/window.h"

using namespace qs;
namespace td = qs::testdriver;

namespace {

// The commands whose windows or functions do not exist yet.
const std::set<std::string> kNotYetBuilt = {
    "ATransports", "AInstruments",
};

// An output that sends nothing anywhere.
class TSilentPort : public TMidiOutput {
 public:
  std::string Device() const override { return "silent"; }

 protected:
  int DoOpen() override { return 0; }
  void DoClose() override {}
  void SendShort(const uint8_t*, size_t) override {}
  void SendSysEx(const uint8_t*, size_t) override {}
};

class ScoreCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallLayout();
    InstallMusicXmlImporter();
    if (!GlobalLanguage()) (new TECLanguage(&languageOwner_))->SetLanguage(kDefaultLanguage);
    dir_ = ::testing::TempDir() + "qs_scorecmd_" + std::to_string(::getpid()) + "/";
    ASSERT_EQ(std::system(("rm -rf '" + dir_ + "' && mkdir -p '" + dir_ + "'").c_str()), 0);
    settings_ = std::make_unique<TSettings>(dir_ + "ProgramSetting.ini");
    SetProgramSettings(settings_.get());
    main_ = std::make_unique<TFProgramModule>(nullptr, settings_.get());
    main_->SetWindowState(TWindowState::wsNormal);
    main_->SetBounds(0, 0, 1000, 800);
    main_->SetMidiDevices("", kTestMidiInput);
    main_->Ports().Output = std::make_unique<TSilentPort>();
    main_->Ports().Input.Post = nullptr;
    // Help pages open nowhere.
    SetOpenUrlHandler([](const std::string&) { return true; });
    td::ShowAndWait(*main_);
  }
  void TearDown() override {
    SetOpenUrlHandler({});
    if (main_) {
      CloseDocuments();
      main_.reset();
    }
    SetProgramSettings(nullptr);
    if (GlobalLanguage()) GlobalLanguage()->SetLanguage(kDefaultLanguage);
  }
  void CloseDocuments() {
    while (main_->DocumentCount() > 0) {
      TFFileEditor* doc = main_->Document(0);
      doc->SetModified(false);
      if (!main_->CloseEditor(doc)) break;
    }
  }
  TFFileEditor* OpenSample() {
    TFFileEditor* doc = main_->OpenDocument(std::string(QS_TEST_DATA_DIR) + "/app/phrase.xml", false);
    if (doc) doc->SetPlayClock(&clock_);
    return doc;
  }
  TComponent languageOwner_{nullptr};
  // Playback stays where it is until the test stops it.
  TQSVirtualClock clock_{false};
  std::string dir_;
  std::unique_ptr<TSettings> settings_;
  std::unique_ptr<TFProgramModule> main_;
};

// Every modal window that comes up while escaping is set is answered with
// Esc (Cancel), from the message loop of that window.
// Counts the windows it answered.
void EscapeModals(const std::shared_ptr<bool>& on, const std::shared_ptr<int>& answered) {
  td::Later(
      [on, answered] {
        if (!*on) return;
        if (td::WaitForModal(10)) {
          td::KeyToModal(VK_ESCAPE);
          ++*answered;
        }
        EscapeModals(on, answered);
      },
      20);
}

TEST(CommandTable, TheCommandsNotBuiltYetAreExactlyTheListedOnes) {
  for (const TCommand& c : CommandTable()) {
    const bool listed = kNotYetBuilt.count(c.Name) > 0;
    EXPECT_EQ(c.Execute == nullptr, listed) << c.Name;
    if (!listed) {
      EXPECT_NE(c.State, TCommandState::NotBuilt) << c.Name << " has a handler but no rule";
    }
  }
}

// The situations of a document, each made afresh on the sample score; every
// built command must be enabled in one of them and run there.
TEST_F(ScoreCommandsTest, EveryBuiltCommandIsEnabledSomewhereAndRunsWithoutRaising) {
  const std::vector<std::pair<const char*, std::function<void()>>> situations = {
      {"no document", [] {}},
      {"a document", [this] { ASSERT_NE(OpenSample(), nullptr); }},
      {"an edit to undo",
       [this] {
         ASSERT_NE(OpenSample(), nullptr);
         InsertMeasures(main_->ActiveEditor()->Score(), 1, false);
       }},
      {"an edit to redo",
       [this] {
         ASSERT_NE(OpenSample(), nullptr);
         InsertMeasures(main_->ActiveEditor()->Score(), 1, false);
         main_->ActiveEditor()->Score().Undo(1);
       }},
      {"a selection on the clipboard",
       [this] {
         ASSERT_NE(OpenSample(), nullptr);
         main_->RunCommand("ASelectSymbolsAll");
         main_->RunCommand("ACopy");
       }},
      {"notes selected",
       [this] {
         ASSERT_NE(OpenSample(), nullptr);
         main_->RunCommand("ASelectSymbolsAll");
       }},
      {"page graphics selected",
       [this] {
         ASSERT_NE(OpenSample(), nullptr);
         TQSScore& score = main_->ActiveEditor()->Score();
         auto* text = static_cast<TQSText*>(CreateItemByKind(kind::Text, &score));
         text->Lines = {"Title"};
         text->Fields.Page = 1;
         score.Recalculate(0);
         main_->RunCommand("ASelectDesignAll");
       }},
      {"several of everything",
       [this] {
         ASSERT_NE(OpenSample(), nullptr);
         for (const char* add : {"AAddPiece", "AAddPart", "AAddStaff", "AAddVoice"}) main_->RunCommand(add);
       }},
      {"playing",
       [this] {
         ASSERT_NE(OpenSample(), nullptr);
         main_->ActiveEditor()->QSWindow->GotoScoreStart();
         main_->RunCommand("APlay");
       }},
  };
  // The window closes last.
  std::vector<const TCommand*> commands;
  for (const TCommand& c : CommandTable())
    if (c.Execute && std::string(c.Name) != "AExit") commands.push_back(&c);
  commands.push_back(FindCommand("AExit"));

  auto escaping = std::make_shared<bool>(true);
  auto answered = std::make_shared<int>(0);
  EscapeModals(escaping, answered);
  std::set<std::string> ran;
  for (const TCommand* c : commands) {
    SCOPED_TRACE(c->Name);
    bool done = false;
    for (const auto& [name, make] : situations) {
      if (main_->IsPlaying()) main_->RunCommand("AStop");
      CloseDocuments();
      make();
      main_->UpdateActionStates();
      if (!main_->FindAction(c->Name)->Enabled()) continue;
      SCOPED_TRACE(name);
      EXPECT_NO_THROW((main_.get()->*(c->Execute))());
      td::ProcessMessages();
      done = true;
      break;
    }
    EXPECT_TRUE(done) << c->Name << " is enabled in none of the situations";
    if (done) ran.insert(c->Name);
  }
  *escaping = false;
  td::ProcessMessages();
  EXPECT_EQ(ran.size(), commands.size());
  // The dialogs of the commands came up and were cancelled.
  EXPECT_GE(*answered, 10);
}

// Measure 40 of 60 on the navigator's timeline: a click there takes the
// cursor to it.
TEST_F(ScoreCommandsTest, ANavigatorClickTakesTheCursorToTheMeasureUnderIt) {
  TFFileEditor* doc = OpenSample();
  ASSERT_NE(doc, nullptr);
  TQSScore& score = doc->Score();
  const int have = score.GetPiece(0)->GetPart(0)->MeasureCount();
  doc->QSWindow->GotoScoreStart();
  InsertMeasures(score, 60 - have, false);
  ASSERT_EQ(score.GetPiece(0)->GetPart(0)->MeasureCount(), 60);
  int page = 0;
  for (; page < kToolPageCount; ++page)
    if (std::string(kToolPageNames[page]) == "Navigator") break;
  main_->SetPaletteAttached(page, true);
  main_->ShowPalette(page, true);
  auto* navigator = dynamic_cast<TFNavigator*>(main_->PaletteOf(main_->ToolSheets[page]));
  ASSERT_NE(navigator, nullptr);
  navigator->PNavigator->Repaint();
  td::ProcessMessages();
  EXPECT_EQ(navigator->ShownView(), doc->QSWindow);
  ASSERT_GT(score.NavigatorScale, 0) << "the timeline was drawn";
  doc->QSWindow->GotoScoreStart();
  const int x = 10 + static_cast<int>((39 + 0.5) * score.NavigatorScale);
  td::Click(*navigator->PNavigator, x, 22);
  EXPECT_EQ(doc->QSWindow->CursorPosition.Measure, 39);
  // Before the timeline's start nothing moves.
  td::Click(*navigator->PNavigator, 3, 22);
  EXPECT_EQ(doc->QSWindow->CursorPosition.Measure, 39);
}

// Move up and down take the cursor's staff along in its part, or a part of
// one staff in its piece; Undo puts it back.
TEST_F(ScoreCommandsTest, MoveUpAndDownMoveTheStaffOrThePartAsOneUndoStep) {
  TFFileEditor* doc = OpenSample();
  ASSERT_NE(doc, nullptr);
  TQSScore& score = doc->Score();
  EXPECT_FALSE(main_->FindAction("AMoveDown")->Enabled()) << "one part of one staff";
  main_->RunCommand("AAddPart");
  TQSPiece* piece = score.CurrentPiece();
  ASSERT_EQ(piece->PartCount(), 2);
  TQSPart* first = piece->GetPart(0);
  doc->QSWindow->CursorPosition.Part = 0;
  doc->QSWindow->CursorPosition.Staff = 0;
  main_->UpdateActionStates();
  const int undos = score.UndoCount();
  ASSERT_TRUE(main_->RunCommand("AMoveDown"));
  EXPECT_EQ(piece->GetPart(1), first);
  EXPECT_EQ(score.UndoCount(), undos + 1);
  ASSERT_TRUE(main_->RunCommand("AUndo"));
  EXPECT_EQ(piece->GetPart(0), first);
  // With two staves the staff moves, not the part.
  doc->QSWindow->CursorPosition.Part = 0;
  main_->RunCommand("AAddStaff");
  ASSERT_EQ(first->StaffCount(), 2);
  TQSStaff* lower = first->GetStaff(1);
  doc->QSWindow->CursorPosition.Part = 0;
  doc->QSWindow->CursorPosition.Staff = 1;
  ASSERT_TRUE(main_->RunCommand("AMoveUp"));
  EXPECT_EQ(first->GetStaff(0), lower);
  EXPECT_EQ(piece->GetPart(0), first);
  ASSERT_TRUE(main_->RunCommand("AUndo"));
  EXPECT_EQ(first->GetStaff(1), lower);
}

// The Edit menu's bookmarks are those of Ctrl+Shift+digit and Ctrl+digit.
TEST_F(ScoreCommandsTest, TheBookmarkMenusSetAndGoToTheBookmarksOfTheKeys) {
  TFFileEditor* doc = OpenSample();
  ASSERT_NE(doc, nullptr);
  TQSWindow& view = *doc->QSWindow;
  view.GotoScoreStart();
  // The ten entries of each submenu of Edit.
  const auto entry = [this](const std::string& name) {
    auto* item = dynamic_cast<TECMenuItem*>(main_->FindComponent(name));
    EXPECT_NE(item, nullptr) << name;
    return item;
  };
  for (const char* menu : {"MIToggleBookmarks", "MIGotoBookmarks"}) ASSERT_EQ(entry(menu)->Count(), 10);
  view.CursorPosition.Measure = 1;
  entry("MIToggleBookmarks")->Items(3)->OnClick(nullptr);
  EXPECT_TRUE(doc->Score().HasBookmark(3));
  view.CursorPosition.Measure = 0;
  uint16_t key = '3';
  main_->FormKeyDown(key, ssCtrl);
  EXPECT_EQ(view.CursorPosition.Measure, 1) << "Ctrl+3 goes to the bookmark the menu set";
  view.CursorPosition.Measure = 0;
  key = '5';
  main_->FormKeyDown(key, ssCtrl | ssShift);
  view.CursorPosition.Measure = 1;
  entry("MIGotoBookmarks")->Items(5)->OnClick(nullptr);
  EXPECT_EQ(view.CursorPosition.Measure, 0) << "the menu goes to the bookmark Ctrl+Shift+5 set";
  EXPECT_TRUE(main_->RunCommand("AGotoBookmarks")) << "without a choice it runs and does nothing";
  EXPECT_EQ(view.CursorPosition.Measure, 0);
}

// A changed forte reaches the open score at once: the score's question
// answers it, and a forte entered now gives the notes after it that
// velocity.
TEST_F(ScoreCommandsTest, ADynamicsSettingReachesTheOpenScoresAtOnce) {
  TFFileEditor* doc = OpenSample();
  ASSERT_NE(doc, nullptr);
  TQSScore& score = doc->Score();
  ASSERT_TRUE(score.OnGetDinamics);
  EXPECT_EQ(score.GetDinamics(kind::Dynamics, 6), 74);
  main_->Settings.SetDynamicValue(&TDynamicVelocitySettings::Forte, 101);
  EXPECT_EQ(score.GetDinamics(kind::Dynamics, 6), 101);
  TIniFile& ini = settings_->Ini();
  EXPECT_EQ(ini.ReadInteger("Dinamics", "Forte", 0), 101) << "stored at once";
  main_->Settings.SetEffectValue(&TEffectsSettings::Staccato, 2);
  EXPECT_EQ(score.GetDinamics(kind::Staccato, 0), 2);

  doc->QSWindow->GotoScoreStart();
  score.SetAutoVelocity(true);
  InsertMark(score, kind::Dynamics, 6, 0, 0, 0, 2);
  std::vector<int> velocities;
  for (TQSItem* item : score.GetPiece(0)->GetPart(0)->GetMeasure(0)->Items)
    if (auto* note = dynamic_cast<TQSNote*>(item)) velocities.push_back(note->Fields.Velocity);
  ASSERT_FALSE(velocities.empty());
  for (int v : velocities) EXPECT_EQ(v, 101);
}

}  // namespace
