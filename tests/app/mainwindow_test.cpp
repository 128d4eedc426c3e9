// The main window: its command table, its keys and its documents; and the
// form registry (every form opens and closes in every language).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <unistd.h>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "app/commands.h"
#include "app/fileeditor.h"
#include "app/forms.h"
#include "app/mainwindow.h"
#include "base/inifile.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "palettes/barunion.h"
#include "palettes/measurenumber.h"
#include "palettes/notes.h"
#include "palettes/symbols.h"
#include "palettes/piano.h"
#include "dialogs/compositionproperties.h"
#include "dialogs/measureproperties.h"
#include "dialogs/objectproperties.h"
#include "editing/measureprops.h"
#include "editing/structure.h"
#include "interchange/musicxml.h"
#include "layout/layout.h"
#include "platform/actions.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/comctrls.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "uikit/language.h"
#include "uikit/lrf.h"
#include "uikit/menu.h"
#include "uikit/menuitem.h"
#include "uikit/charbutton.h"
#include "uikit/interface.h"
#include "uikit/pagecontrol.h"
#include "uikit/scrollpanel.h"
#include "view/window.h"

using namespace qs;
namespace td = qs::testdriver;

namespace {

// The texts of one form's record in a language file, by property path.
std::map<std::string, std::string> FormTexts(const std::string& language, const std::string& form) {
  std::map<std::string, std::string> texts;
  const auto data = ReadLanguageFile(TECLanguage::LanguageFileName(language), LanguageCodePage(language));
  if (!data) return texts;
  const auto record = data->FindFormRecord(form);
  if (!record) return texts;
  for (const TLanguageEntry& e : data->ReadEntries(*record)) texts[e.Path] = e.Text;
  return texts;
}

TEST(CommandTable, EveryCommandHasAHandlerACaptionInEveryLanguageAndAShortcutOfItsOwn) {
  std::set<uint16_t> shortCuts;
  std::set<std::string> names;
  for (const TCommand& c : CommandTable()) {
    SCOPED_TRACE(c.Name);
    EXPECT_TRUE(names.insert(c.Name).second) << "a second command of this name";
    // A command that runs has the rule of when it may.
    if (c.Execute) EXPECT_NE(c.State, TCommandState::NotBuilt);
    if (c.ShortCut) EXPECT_TRUE(shortCuts.insert(c.ShortCut).second) << "a shortcut used twice";
  }
  for (const char* language : kLanguageCodes) {
    SCOPED_TRACE(language);
    const auto texts = FormTexts(language, "FProgramModule");
    ASSERT_FALSE(texts.empty());
    for (const TCommand& c : CommandTable()) {
      const auto caption = texts.find(std::string(c.Name) + ".Caption");
      EXPECT_TRUE(caption != texts.end() && !caption->second.empty()) << c.Name;
      EXPECT_TRUE(texts.count(std::string(c.Name) + ".Hint")) << c.Name;
    }
    // Every entry of the menus has a caption: its command's or its own.
    for (const TMenuRow& row : MenuLayout())
      EXPECT_TRUE(texts.count(std::string(row.Item) + ".Caption")) << row.Item;
    for (const char* item : MenuBarItems()) EXPECT_TRUE(texts.count(std::string(item) + ".Caption")) << item;
  }
  // Every command stands in a menu, except the hidden palette keys.
  std::set<std::string> inMenus;
  for (const TMenuRow& row : MenuLayout())
    for (const char* entry : row.Entries) inMenus.insert(entry);
  for (const TCommand& c : CommandTable())
    if (!c.Hidden) EXPECT_TRUE(inMenus.count(c.Name)) << c.Name << " is in no menu";
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallLayout();
    InstallMusicXmlImporter();
    // The forms take their messages from the language engine.
    if (!GlobalLanguage()) (new TECLanguage(&languageOwner_))->SetLanguage(kDefaultLanguage);
    dir_ = ::testing::TempDir() + "qs_main_" + std::to_string(::getpid()) + "/";
    ASSERT_EQ(std::system(("rm -rf '" + dir_ + "' && mkdir -p '" + dir_ + "'").c_str()), 0);
    settings_ = std::make_unique<TSettings>(dir_ + "ProgramSetting.ini");
    main_ = std::make_unique<TFProgramModule>(nullptr, settings_.get());
    main_->SetWindowState(TWindowState::wsNormal);
    main_->SetBounds(0, 0, 1000, 800);
  }
  void TearDown() override {
    // Nothing is left to ask about.
    if (!main_) return;
    for (int i = 0; i < main_->DocumentCount(); ++i) main_->Document(i)->SetModified(false);
    main_.reset();
  }
  TComponent languageOwner_{nullptr};
  std::string dir_;
  std::unique_ptr<TSettings> settings_;
  std::unique_ptr<TFProgramModule> main_;
};

TEST_F(MainWindowTest, CommandsNeedingADocumentAreDisabledWithoutOneAndUnbuiltOnesAlways) {
  EXPECT_EQ(main_->ActiveEditor(), nullptr);
  EXPECT_FALSE(main_->FindAction("AClose")->Enabled());
  EXPECT_FALSE(main_->FindAction("ASaveAs")->Enabled());
  EXPECT_TRUE(main_->FindAction("AOpen")->Enabled());
  main_->NewDocument();
  EXPECT_NE(main_->ActiveEditor(), nullptr);
  EXPECT_TRUE(main_->FindAction("AClose")->Enabled());
  EXPECT_FALSE(main_->FindAction("ASave")->Enabled()) << "an unchanged document";
  EXPECT_FALSE(main_->FindAction("ADeletePiece")->Enabled()) << "one piece";
  const TCommand* unbuilt = nullptr;
  for (const TCommand& c : CommandTable())
    if (!c.Execute) {
      EXPECT_FALSE(main_->FindAction(c.Name)->Enabled()) << c.Name;
      unbuilt = &c;
    }
  if (unbuilt) EXPECT_FALSE(main_->RunCommand(unbuilt->Name)) << unbuilt->Name;
}

TEST_F(MainWindowTest, AKeyOfTheTableActsOnceAlsoWhereTheViewHasItsOwn) {
  TFFileEditor* doc = main_->NewDocument();
  td::ShowAndWait(*main_);
  TQSScore& score = doc->Score();
  ASSERT_TRUE(main_->RunCommand("AAddPart"));
  ASSERT_TRUE(main_->RunCommand("AAddPart"));
  ASSERT_EQ(score.UndoCount(), 2);
  EXPECT_TRUE(doc->Modified());
  EXPECT_TRUE(main_->FindAction("ASave")->Enabled());
  // Ctrl+Z typed into the view: the main window's Undo takes it and the
  // view does not undo a second step.
  doc->QSWindow->SetFocus();
  td::PressKey(*doc->QSWindow, 'Z', ssCtrl);
  EXPECT_EQ(score.UndoCount(), 1);
  EXPECT_EQ(score.RedoCount(), 1);
  td::PressKey(*doc->QSWindow, 'Z', ssCtrl | ssShift);
  EXPECT_EQ(score.UndoCount(), 2);
  EXPECT_EQ(score.RedoCount(), 0);
  // Ctrl+I zooms in once by its step.
  const int zoom = doc->QSWindow->Zoom;
  td::PressKey(*doc->QSWindow, 'I', ssCtrl);
  EXPECT_EQ(doc->QSWindow->Zoom, zoom + 25);
}

TEST_F(MainWindowTest, AFileThatCannotBeReadLeavesNoTab) {
  const std::string bad = dir_ + "broken.sfd";
  {
    std::ofstream out(bad, std::ios::binary);
    out << "this is not a score";
  }
  // The error goes to the message box; answer it.
  td::Later([] {
    if (td::WaitForModal()) td::KeyToModal(VK_RETURN);
  });
  EXPECT_EQ(main_->OpenDocument(bad, false), nullptr);
  EXPECT_EQ(main_->DocumentCount(), 0);
  EXPECT_EQ(main_->ActiveEditor(), nullptr);
}

TEST_F(MainWindowTest, SavedNativeFileOpensAgainWithTheSameContentAndAnImportIsNotOverwritten) {
  TFFileEditor* doc = main_->NewDocument();
  main_->RunCommand("AAddPart");
  const std::string native = dir_ + "song.sfd";
  doc->SaveToFile(native, TDocumentFormat::Native);
  EXPECT_FALSE(doc->Modified());
  EXPECT_EQ(doc->FileName(), native);
  EXPECT_EQ(doc->Title(), "song");
  // A MusicXML export leaves the document as it was.
  main_->RunCommand("AAddStaff");
  doc->SaveToFile(dir_ + "song.xml", TDocumentFormat::MusicXml);
  EXPECT_TRUE(doc->Modified());
  EXPECT_EQ(doc->FileName(), native);
  doc->SetModified(false);
  ASSERT_TRUE(main_->CloseEditor(doc));
  TFFileEditor* again = main_->OpenDocument(native, false);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->Score().PieceList()[0]->PartCount(), 2);
  EXPECT_TRUE(again->HasFile);
  EXPECT_FALSE(again->Imported);
  // The same file again: nothing more is opened.
  EXPECT_EQ(main_->OpenDocument(native, false), nullptr);
  EXPECT_EQ(main_->DocumentCount(), 1);
  // The MusicXML file opens as an import; its Save asks for a name (the
  // dialog is cancelled here) and the native file is left alone.
  const long before = static_cast<long>(ReadFileText(native).size());
  TFFileEditor* imported = main_->OpenDocument(dir_ + "song.xml", false);
  ASSERT_NE(imported, nullptr);
  EXPECT_TRUE(imported->Imported);
  imported->SetModified(true);
  td::Later([] { td::KeyToModal(VK_ESCAPE); }, 20);
  EXPECT_FALSE(imported->Save());
  EXPECT_EQ(static_cast<long>(ReadFileText(native).size()), before);
  EXPECT_TRUE(imported->Modified());
}

TEST_F(MainWindowTest, ClosingAModifiedDocumentAsksAndCancelKeepsItOpen) {
  TFFileEditor* doc = main_->NewDocument();
  main_->RunCommand("AAddPart");
  ASSERT_TRUE(doc->Modified());
  td::Later([] {
    if (td::WaitForModal()) td::KeyToModal(VK_ESCAPE);
  });
  main_->RunCommand("AClose");
  EXPECT_EQ(main_->DocumentCount(), 1);
  // Exit stops at the document that was not saved.
  td::Later([] {
    if (td::WaitForModal()) td::KeyToModal(VK_ESCAPE);
  });
  EXPECT_FALSE(main_->CloseQuery());
  EXPECT_EQ(main_->DocumentCount(), 1);
}

TEST_F(MainWindowTest, TheWindowsPlacementIsStoredAndRestoredInsideTheWorkArea) {
  main_->SetBounds(40, 50, 700, 500);
  main_.reset();
  TSettings reread(dir_ + "ProgramSetting.ini");
  EXPECT_EQ(reread.Ini().ReadString("FProgramModule", "Bounds", ""), "40,50,700,500");
  EXPECT_EQ(reread.Ini().ReadString("FProgramModule", "WindowState", ""), "wsNormal");
  reread.Ini().WriteString("FProgramModule", "Bounds", "-5000,-20,700,500");
  TSettings settings(dir_ + "ProgramSetting.ini");
  main_ = std::make_unique<TFProgramModule>(nullptr, &settings);
  const TRect area = Screen().WorkAreaRect();
  EXPECT_GE(main_->Left(), area.Left);
  EXPECT_GE(main_->Top(), area.Top);
  EXPECT_EQ(main_->Width(), std::min(700, area.Width()));
  main_.reset();
}

TEST(FormRegistry, EveryFormOpensAndClosesInEveryLanguage) {
  InstallLayout();
  RegisterApplicationForms();
  TComponent owner(nullptr);
  TECLanguage* engine = GlobalLanguage() ? GlobalLanguage() : new TECLanguage(&owner);
  for (const char* language : kLanguageCodes) {
    engine->SetLanguage(language);
    for (const TRegisteredForm& entry : RegisteredForms()) {
      SCOPED_TRACE(entry.Name + " " + language);
      std::unique_ptr<TCustomForm> form = entry.Factory(language);
      ASSERT_NE(form, nullptr);
      td::ShowAndWait(*form);
      EXPECT_TRUE(form->Visible());
      form->Close();
      td::ProcessMessages();
      EXPECT_FALSE(form->Visible());
    }
  }
  engine->SetLanguage(kDefaultLanguage);
}

TEST(FormRegistry, TheProgramsOwnFormsHaveTheirTextsInEveryLanguage) {
  for (const char* form : {"FProgramModule", "FFileEditor", "Messages"}) {
    const auto english = FormTexts("ENU", form);
    for (const char* language : kLanguageCodes) {
      SCOPED_TRACE(std::string(form) + " " + language);
      const auto data = ReadLanguageFile(TECLanguage::LanguageFileName(language), LanguageCodePage(language));
      ASSERT_TRUE(data);
      const auto record = data->FindFormRecord(form);
      ASSERT_TRUE(record);
      const auto texts = FormTexts(language, form);
      for (const auto& [path, text] : english) EXPECT_FALSE(texts.at(path).empty()) << path;
      const auto ownRecord = *record;
      const auto englishData =
          ReadLanguageFile(TECLanguage::LanguageFileName("ENU"), LanguageCodePage("ENU"));
      EXPECT_EQ(data->MessageCount(ownRecord), englishData->MessageCount(*englishData->FindFormRecord(form)));
      for (int i = 0; i < data->MessageCount(ownRecord); ++i) EXPECT_FALSE(data->Message(ownRecord, i).empty()) << i;
    }
  }
}

}  // namespace

// Add measures and Delete measures ask the count and whether only the
// active part changes, and act at the cursor's measure as one undo step;
// the dialog keeps the part-only choice for the next time.
TEST_F(MainWindowTest, MeasuresAreAddedAndDeletedInTheCountAskedAsOneUndoStep) {
  TFFileEditor* doc = main_->NewDocument();
  td::ShowAndWait(*main_);
  TQSScore& score = doc->Score();
  ASSERT_TRUE(main_->RunCommand("AAddPart"));
  TQSPiece* piece = score.CurrentPiece();
  ASSERT_EQ(piece->PartCount(), 2);
  struct TCase {
    const char* Command;
    const char* Typed;  // nullptr: Esc
    bool PartOnly;
    int Cursor;         // the cursor's measure
    int Active, Other;  // measures of the two parts afterwards, from 8 each
  } const cases[] = {
      {"AAddMeasure", "3", false, 1, 11, 11},    {"AAddMeasure", "2", true, 1, 10, 8},
      {"ADeleteMeasure", "3", false, 1, 5, 5},   {"ADeleteMeasure", "2", true, 1, 6, 8},
      {"AAddMeasure", nullptr, false, 1, 8, 8},  {"ADeleteMeasure", "20", false, 3, 3, 3},
      // Every measure from the first: the last one stays.
      {"ADeleteMeasure", "20", false, 0, 1, 1},  {"ADeleteMeasure", "20", true, 0, 1, 8},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.Command) + " " + (c.Typed ? c.Typed : "Esc") + (c.PartOnly ? " part only" : ""));
    // Each case from 8 measures in both parts.
    TQSPart* active = score.CurrentPart();
    TQSPart* other = piece->GetPart(0) == active ? piece->GetPart(1) : piece->GetPart(0);
    while (active->MeasureCount() < 8 || other->MeasureCount() < 8)
      InsertMeasures(score, 8 - std::min(active->MeasureCount(), other->MeasureCount()), false);
    doc->QSWindow->SetCursorMeasure(c.Cursor);
    doc->QSWindow->SetCursorTick(0);
    const int undo = score.UndoCount();
    auto shown = std::make_shared<std::string>();
    td::Later([c, shown] {
      if (!td::WaitForModal()) return;
      auto* dialog = dynamic_cast<TFMeasureNumber*>(Screen().ActiveForm());
      if (!dialog) return;
      *shown = dialog->LStart->Caption();
      if (!c.Typed) return td::KeyToModal(VK_ESCAPE);
      td::KeyToModal(VK_END);
      for (int i = 0; i < 3; ++i) td::KeyToModal(VK_BACK);
      td::TypeToModal(c.Typed);
      if (dialog->CBActivePartOnly->Checked() != c.PartOnly) td::Click(*dialog->CBActivePartOnly, 6, 8);
      td::KeyToModal(VK_RETURN);
    });
    EXPECT_TRUE(main_->RunCommand(c.Command));
    EXPECT_EQ(*shown, "Number of measures");
    EXPECT_EQ(active->MeasureCount(), c.Active);
    EXPECT_EQ(other->MeasureCount(), c.Other);
    EXPECT_EQ(score.UndoCount(), undo + (c.Typed ? 1 : 0));
    if (c.Typed) {
      ASSERT_TRUE(main_->RunCommand("AUndo"));
      EXPECT_EQ(active->MeasureCount(), 8);
      EXPECT_EQ(other->MeasureCount(), 8);
    }
  }
}

// Measure properties shows the cursor measure's own values and writes what
// the user changes as one undo step; Esc changes nothing.
TEST_F(MainWindowTest, MeasurePropertiesShowsAndChangesTheCursorMeasure) {
  TFFileEditor* doc = main_->NewDocument();
  td::ShowAndWait(*main_);
  TQSScore& score = doc->Score();
  InsertMeasures(score, 3, false);
  doc->QSWindow->SetCursorMeasure(1);
  doc->QSWindow->SetCursorTick(0);
  SetMeasureProperties(score, 0x0304, 0, 2, 1, 4);
  struct TValues {
    uint16_t Meter = 0, SystemBreak = 0, PageBreak = 0;
    uint8_t JoinActive = 0, JoinStyle = 0;
    bool operator==(const TValues&) const = default;
  };
  auto read = [&score] {
    TValues v;
    GetMeasureProperties(score, v.Meter, v.SystemBreak, v.PageBreak, v.JoinActive, v.JoinStyle);
    return v;
  };
  const TValues before = read();
  ASSERT_TRUE((before == TValues{0x0304, 0, 2, 1, 4}));
  for (const bool ok : {false, true}) {
    SCOPED_TRACE(ok ? "OK" : "Esc");
    const int undo = score.UndoCount();
    auto shown = std::make_shared<TValues>();
    td::Later([ok, shown] {
      if (!td::WaitForModal()) return;
      auto* d = dynamic_cast<TFMeasureProperties*>(Screen().ActiveForm());
      if (!d) return;
      *shown = {d->GetTimeSignature(), d->GetStaveBreak(), d->GetPageBreak(), d->GetJoinActive(), d->GetJoinStyle()};
      if (!ok) return td::KeyToModal(VK_ESCAPE);
      // A system break, no page break, beams over the whole measure.
      td::Click(*d->CBLineBreak, 6, 8);
      td::Click(*d->CBPageBreak, 6, 8);
      td::Click(*d->CBJoinFull, 20, 20);
      td::KeyToModal(VK_RETURN);
    });
    EXPECT_TRUE(main_->RunCommand("AMeasureProperties"));
    EXPECT_TRUE((*shown == before));
    if (!ok) {
      EXPECT_TRUE((read() == before));
      EXPECT_EQ(score.UndoCount(), undo);
      continue;
    }
    EXPECT_TRUE((read() == TValues{0x0304, 1, 0, 1, 1}));
    EXPECT_EQ(score.UndoCount(), undo + 1);
    ASSERT_TRUE(main_->RunCommand("AUndo"));
    EXPECT_TRUE((read() == before));
  }
}

// The properties commands open their dialog on the cursor's object; OK
// writes the change (one undo step, but none for the composition's own
// settings) and Esc changes nothing.
TEST_F(MainWindowTest, PropertiesCommandsChangeWhatIsAtTheCursor) {
  TFFileEditor* doc = main_->NewDocument();
  td::ShowAndWait(*main_);
  TQSScore& score = doc->Score();
  struct TCase {
    const char* Command;
    bool Undoable;
    std::function<void(TCustomForm*)> Edit;
    std::function<std::string()> Read;
  } const cases[] = {
      {"ACompositionProperties", false,
       [](TCustomForm* f) {
         auto* d = dynamic_cast<TFCompositionProperties*>(f);
         d->CBPaperSize->SetItemIndex(static_cast<int>(TQSPaperSize::A4));
         d->CBPaperSize->OnChange(d->CBPaperSize);
         d->RBLandscape->SetChecked(true);
         d->RBLandscape->OnClick(d->RBLandscape);
       },
       [&score] {
         return std::to_string(static_cast<int>(score.Page.PaperSize())) + " " +
                std::to_string(static_cast<int>(score.Page.Orientation()));
       }},
      {"APieceProperties", true, [](TCustomForm* f) { dynamic_cast<TFPieceProperties*>(f)->EName->SetText("Air"); },
       [&score] { return score.GetPiece(0)->Name; }},
      {"APartProperties", true, [](TCustomForm* f) { td::Click(*dynamic_cast<TFPartProperties*>(f)->CBMute, 6, 8); },
       [&score] { return std::to_string(score.GetPiece(0)->GetPart(0)->Fields.Mute); }},
      {"AStaffProperties", true,
       [](TCustomForm* f) { td::Click(*dynamic_cast<TFStaffProperties*>(f)->RBSmall, 6, 8); },
       [&score] { return std::to_string(score.GetPiece(0)->GetPart(0)->GetStaff(0)->Fields.Scale); }},
      {"AVoiceProperties", true,
       [](TCustomForm* f) { dynamic_cast<TFVoiceProperties*>(f)->CBChannel->SetItemIndex(5); },
       [&score] {
         return std::to_string(score.GetPiece(0)->GetPart(0)->GetStaff(0)->GetVoice(0)->Fields.Channel);
       }},
  };
  for (const TCase& c : cases) {
    for (const bool ok : {false, true}) {
      SCOPED_TRACE(std::string(c.Command) + (ok ? " OK" : " Esc"));
      const std::string before = c.Read();
      const int undo = score.UndoCount();
      auto opened = std::make_shared<bool>(false);
      td::Later([ok, opened, edit = c.Edit] {
        if (!td::WaitForModal()) return;
        TCustomForm* form = Screen().ActiveForm();
        if (!form) return;
        *opened = true;
        edit(form);
        td::KeyToModal(ok ? VK_RETURN : VK_ESCAPE);
      });
      EXPECT_TRUE(main_->RunCommand(c.Command));
      EXPECT_TRUE(*opened);
      if (!ok) {
        EXPECT_EQ(c.Read(), before);
        EXPECT_EQ(score.UndoCount(), undo);
        continue;
      }
      EXPECT_NE(c.Read(), before);
      EXPECT_EQ(score.UndoCount(), undo + (c.Undoable ? 1 : 0));
      if (!c.Undoable) continue;
      ASSERT_TRUE(main_->RunCommand("AUndo"));
      EXPECT_EQ(c.Read(), before);
    }
  }
}

// Join notes shows the cursor measure's own joining style and sets the one
// chosen as one undo step; Esc changes nothing.
TEST_F(MainWindowTest, JoinNotesShowsAndSetsTheCursorMeasuresStyle) {
  TFFileEditor* doc = main_->NewDocument();
  td::ShowAndWait(*main_);
  TQSScore& score = doc->Score();
  SetMeasureJoinStyle(score, 1, 5);
  auto read = [&score] {
    uint8_t active = 0, style = 0;
    GetMeasureJoinStyle(score, active, style);
    return std::pair<int, int>(active, style);
  };
  ASSERT_EQ(read(), (std::pair<int, int>(1, 5)));
  for (const bool ok : {false, true}) {
    SCOPED_TRACE(ok ? "OK" : "Esc");
    const int undo = score.UndoCount();
    auto shown = std::make_shared<std::pair<int, int>>();
    td::Later([ok, shown] {
      if (!td::WaitForModal()) return;
      auto* d = dynamic_cast<TFBarUnion*>(Screen().ActiveForm());
      if (!d) return;
      *shown = {d->GetActive(), d->GetUnionStyle()};
      if (!ok) return td::KeyToModal(VK_ESCAPE);
      td::Click(*d->CBSize, 20, 20);  // by the beats
      td::KeyToModal(VK_RETURN);
    });
    EXPECT_TRUE(main_->RunCommand("AMeasureUnion"));
    EXPECT_EQ(*shown, (std::pair<int, int>(1, 5)));
    EXPECT_EQ(read(), (std::pair<int, int>(1, ok ? 2 : 5)));
    EXPECT_EQ(score.UndoCount(), undo + (ok ? 1 : 0));
  }
  ASSERT_TRUE(main_->RunCommand("AUndo"));
  EXPECT_EQ(read(), (std::pair<int, int>(1, 5)));
}

// The Notes palette stands docked on the first tool page and fills it, and
// its chosen value reaches the active document (the real clicks into the
// score are the walkthrough's).
TEST_F(MainWindowTest, TheNotesPaletteFillsItsPageAndArmsTheDocument) {
  TFFileEditor* doc = main_->NewDocument();
  td::ShowAndWait(*main_);
  TECTabSheet* page = main_->ToolSheets[0];
  ASSERT_EQ(main_->ActiveTool(), page);
  auto* notes = dynamic_cast<TFNotes*>(main_->PaletteOf(page));
  ASSERT_NE(notes, nullptr);
  EXPECT_EQ(notes->Parent(), page);
  EXPECT_EQ(notes->Width(), page->ClientWidth());
  EXPECT_EQ(notes->Height(), page->ClientHeight());
  // Its rows of tools scroll inside it.
  EXPECT_LE(notes->SPNotes->Top() + notes->SPNotes->Height(), notes->PClient->ClientHeight());
  bool arrow = false;
  for (int direction = 0; direction < 4; ++direction)
    if (TECButtonScroll* b = notes->SPNotes->ArrowButton(direction)) arrow = arrow || b->Visible();
  EXPECT_TRUE(arrow) << "the rows below the page's edge are reached by an arrow";
  EXPECT_EQ(main_->ActiveScore(), &doc->Score());
  td::Click(*notes->Button(TFNotes::bNote4), 8, 8);
  ASSERT_TRUE(notes->IsDown(TFNotes::bNote4));
  EXPECT_EQ(doc->QSWindow->ArmedItem, paletteitem::Note);
}

// At the window's first width every tool button shows whole, its caption
// too, in every language: the tool bars and the track bars that do not fit
// the row any more go to a row below. A wide window keeps them in one row.
TEST_F(MainWindowTest, EveryToolButtonShowsWholeInEveryLanguageAtTheFirstWidth) {
  auto* band = dynamic_cast<TWinControl*>(main_->FindComponent("CBProgram"));
  ASSERT_NE(band, nullptr);
  TBitmap measure(1, 1);
  const std::pair<const char*, const char*> languages[] = {
      {"AEnglish", "ENU"}, {"ADeutsch", "DEU"}, {"AFrench", "FRA"}, {"AItalian", "ITA"}, {"ARussian", "RUS"}};
  for (const auto& [command, language] : languages) {
    SCOPED_TRACE(language);
    ASSERT_TRUE(main_->RunCommand(command));
    for (const int width : {810, 1600}) {
      SCOPED_TRACE(width);
      main_->SetClientWidth(width);
      ASSERT_EQ(band->ClientWidth(), width);
      std::vector<TControl*> bars(main_->ToolBars.begin(), main_->ToolBars.end());
      bars.push_back(main_->TBTempo);
      bars.push_back(main_->TBVolume);
      for (TControl* bar : bars) {
        SCOPED_TRACE(bar->Name());
        EXPECT_GE(bar->Left(), 0);
        EXPECT_LE(bar->Left() + bar->Width(), band->ClientWidth());
        EXPECT_LE(bar->Top() + bar->Height(), band->ClientHeight());
        if (width == 1600) EXPECT_EQ(bar->Top(), 0) << "one row is enough";
      }
      for (TECMenu* bar : main_->ToolBars) {
        const TECMenuItem* root = bar->Item();
        for (int i = 0; i < root->Count(); ++i) {
          const TECMenuItem* button = root->Items(i);
          if (!button->Shown() || button->Kind() == ikSeparator) continue;
          SCOPED_TRACE(button->Name());
          const TRect r = button->ItemRect();
          EXPECT_LE(r.Right, bar->ClientWidth());
          if (button->Image() >= 0 || button->Caption().empty()) continue;
          measure.Canvas().Font() = button->Font();
          std::string caption = button->Caption();
          caption.erase(std::remove(caption.begin(), caption.end(), '&'), caption.end());
          const int arrow = button->Kind() == ikDropDown ? 12 : 0;
          EXPECT_LE(measure.Canvas().TextWidth(caption) + arrow, r.Width()) << caption;
        }
      }
    }
  }
  ASSERT_TRUE(main_->RunCommand("AEnglish"));
}

// The review picture of the main window, made without settings, shows what
// the window shows: the current tool page with its palette, not a palette
// docked on another page.
TEST(FormRegistry, TheMainWindowsPictureShowsItsCurrentToolPage) {
  InstallLayout();
  RegisterApplicationForms();
  TComponent owner(nullptr);
  if (!GlobalLanguage()) (new TECLanguage(&owner))->SetLanguage(kDefaultLanguage);
  std::unique_ptr<TCustomForm> form;
  for (const TRegisteredForm& entry : RegisteredForms())
    if (entry.Name == "FProgramModule") form = entry.Factory(kDefaultLanguage);
  auto* main = dynamic_cast<TFProgramModule*>(form.get());
  ASSERT_NE(main, nullptr);
  td::ShowAndWait(*main);
  ASSERT_EQ(main->PCTools->ActivePage(), main->ToolSheets[0]);
  const auto shot = td::GrabAsShown(*main);
  const auto tools = GrabControl(*main->PCTools);
  const TPoint client = main->ClientToScreen({0, 0}), at = main->PCTools->ClientToScreen({0, 0});
  const int dx = at.X - client.X + main->FrameInsets().Left, dy = at.Y - client.Y + main->FrameInsets().Top;
  int differ = 0;
  for (int y = 0; y < tools->Height(); ++y)
    for (int x = 0; x < tools->Width(); ++x) differ += shot->Pixel(x + dx, y + dy) != tools->Pixel(x, y);
  EXPECT_EQ(differ, 0);
  form.reset();
  td::ProcessMessages();
}

namespace qs {
namespace {

TEST_F(MainWindowTest, TheHelperContextFollowsTheDocumentsAndTheToolPage) {
  auto choose = [&](int page) {
    main_->PCTools->SetActivePage(main_->ToolSheets[page]);
    main_->SetActiveTool(main_->ToolSheets[page]);
  };
  EXPECT_EQ(HelperContextPath(), std::vector<std::string>{"Main"});
  main_->NewDocument();
  EXPECT_EQ(HelperContextPath(), (std::vector<std::string>{"Opened", "Notes"}));
  choose(1);
  EXPECT_EQ(HelperContextPath(), (std::vector<std::string>{"Opened", "Symbols"}));
  choose(12);  // a page without a topic of its own
  EXPECT_EQ(HelperContextPath(), (std::vector<std::string>{"Opened", ""}));
  choose(0);
  // A picker of the Notes page shows its own topic while it is open.
  auto* notes = dynamic_cast<TFNotes*>(main_->PaletteOf(main_->ToolSheets[0]));
  ASSERT_NE(notes, nullptr);
  notes->OpenPicker(TFNotes::TButton::bVorschlag);
  EXPECT_EQ(HelperContextPath(), std::vector<std::string>{"Vorschlag"});
  delete notes->OpenedPicker();
  EXPECT_EQ(HelperContextPath(), (std::vector<std::string>{"Opened", "Notes"}));
  // So does the Piano page's drum style picker.
  choose(7);
  const std::vector<std::string> piano = HelperContextPath();
  auto* keys = dynamic_cast<TFPiano*>(main_->PaletteOf(main_->ToolSheets[7]));
  ASSERT_NE(keys, nullptr);
  keys->OpenDrumStyles();
  EXPECT_EQ(HelperContextPath(), std::vector<std::string>{"DrumStyle"});
  delete keys->OpenedPicker();
  EXPECT_EQ(keys->OpenedPicker(), nullptr);
  EXPECT_EQ(HelperContextPath(), piano);
  choose(0);
  // An open side editor adds its topic, the velocity editor's before the
  // others' (floating, both may be open).
  TFFileEditor* doc = main_->ActiveEditor();
  doc->SetAttachedEditors(false);
  doc->ToggleEventEditor();
  EXPECT_EQ(HelperContextPath(), (std::vector<std::string>{"Opened", "Notes", "EventEditor"}));
  doc->ToggleVelocityEditor();
  EXPECT_EQ(HelperContextPath(), (std::vector<std::string>{"Opened", "Notes", "VelocityEditor"}));
  doc->ToggleVelocityEditor();
  doc->ToggleEventEditor();
  EXPECT_EQ(HelperContextPath(), (std::vector<std::string>{"Opened", "Notes"}));
  main_->CloseEditor(main_->ActiveEditor());
  EXPECT_EQ(HelperContextPath(), std::vector<std::string>{"Main"});
  // The help commands are offered: the containers and the news of this
  // version lie beside the program.
  EXPECT_TRUE(main_->FindAction("AHelper")->Visible());
  EXPECT_TRUE(main_->FindAction("ANews")->Visible());
}

}  // namespace
}  // namespace qs

namespace qs::test {
namespace {
// The Symbols palette fills its page; once the page is current, a letter
// typed in the score or on the palette chooses the palette's tools.
TEST_F(MainWindowTest, TheSymbolsPageTakesItsLettersFromTheScoreAndThePalette) {
  TFFileEditor* doc = main_->NewDocument();
  td::ShowAndWait(*main_);
  main_->ShowPalette(1, false);
  main_->ShowPalette(1, true);
  td::ProcessMessages();
  auto* symbols = dynamic_cast<TFSymbols*>(main_->PaletteOf(main_->ActiveTool()));
  ASSERT_NE(symbols, nullptr);
  td::PressKey(*doc->QSWindow, 'A');
  EXPECT_EQ(symbols->DownTool(), TFSymbols::bAccentTop);
  td::PressKey(*symbols->SPSymbols, 'A');
  EXPECT_EQ(symbols->DownTool(), TFSymbols::bAccentRight);
  td::PressKey(*symbols->CBPointSymbols, 'A');
  EXPECT_EQ(symbols->DownTool(), TFSymbols::kButtonCount);
}
}  // namespace
}  // namespace qs::test
