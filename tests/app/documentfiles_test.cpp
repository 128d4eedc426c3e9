// Numbered backup copies, auto-save on a clock the test moves, the reopen
// list, the main window's setters and the start-up choices.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <thread>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/autosave.h"
#include "app/backups.h"
#include "app/fileeditor.h"
#include "app/mainsettings.h"
#include "app/mainwindow.h"
#include "app/reopenlist.h"
#include "app/startup.h"
#include "base/inifile.h"
#include "chords/chordname.h"
#include "interchange/musicxml.h"
#include "palettes/piano.h"
#include "layout/layout.h"
#include "platform/forms.h"
#include "platform/keys.h"
#include "platform/paths.h"
#include "platform/testdriver.h"
#include "score/piece.h"
#include "score/score.h"
#include "uikit/language.h"
#include "uikit/lrf.h"
#include "uikit/menu.h"
#include "uikit/menuitem.h"
#include "uikit/musickeyboard.h"
#include "uikit/names.h"
#include "uikit/pagecontrol.h"
#include "view/window.h"

using namespace qs;
namespace fs = std::filesystem;

namespace {

std::string TempFolder(const std::string& name) {
  static int serial = 0;
  const fs::path dir =
      fs::path(::testing::TempDir()) / ("qs_files_" + std::to_string(::getpid()) + "_" + std::to_string(serial++)) / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir.string() + "/";
}

void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::set<std::string> FilesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

// ------------------------------------------------------------------ backups

TEST(BackupNames, CopiesAreNumberedBesideTheDocumentAndOnlyTheDocumentsOwnNameCounts) {
  EXPECT_EQ(BackupCopyName("/a/my.vault/song.sfd", 3), "/a/my.vault/song.v3.sfd");
  EXPECT_EQ(BackupCopyName("/a/song.mid", 12), "/a/song.v12.sfd");
  struct TCase {
    const char* Name;
    int Number;  // as a copy of "/a/song.sfd"
    bool IsCopy;  // a copy of anything
  };
  for (const TCase& c : {TCase{"/a/song.v1.sfd", 1, true}, TCase{"/a/song.v42.sfd", 42, true},
                         TCase{"/a/song.sfd", 0, false}, TCase{"/a/song.v.sfd", 0, false},
                         TCase{"/a/song.v0.sfd", 0, false}, TCase{"/a/song.v2x.sfd", 0, false},
                         TCase{"/a/song.vintage.sfd", 0, false}, TCase{"/a/songs.v1.sfd", 0, true},
                         TCase{"/a/song.v1.mid", 0, false}, TCase{"/a/my.v2/song.sfd", 0, false}}) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(BackupNumberOf("/a/song.sfd", c.Name), c.Number);
    EXPECT_EQ(IsBackupCopyName(c.Name), c.IsCopy);
  }
}

TEST(BackupCopies, ASaveCopiesTheOldFileAndTrimsTheOldestCopiesToTheLimit) {
  struct TCase {
    const char* What;
    const char* Folder;  // the document's folder under the test's own
    const char* Document;
    std::vector<const char*> Before;  // besides the document
    bool Save, Limit;
    int Count;
    std::set<std::string> After;  // besides the document and Before's strangers
  };
  const std::vector<TCase> cases = {
      {"copies 1, 2 and 7 with a limit of 3", "f", "song.sfd", {"song.v1.sfd", "song.v2.sfd", "song.v7.sfd"}, true,
       true, 3, {"song.v2.sfd", "song.v7.sfd", "song.v8.sfd"}},
      {"a limit of 1 keeps only the new copy", "f", "song.sfd", {"song.v1.sfd", "song.v2.sfd"}, true, true, 1,
       {"song.v3.sfd"}},
      {"a limit of 0 keeps the new copy and ends", "f", "song.sfd", {"song.v1.sfd", "song.v2.sfd"}, true, true, 0,
       {"song.v3.sfd"}},
      {"a negative limit keeps the new copy and ends", "f", "song.sfd", {"song.v4.sfd"}, true, true, -5,
       {"song.v5.sfd"}},
      {"no limit keeps them all", "f", "song.sfd", {"song.v1.sfd", "song.v2.sfd"}, true, false, 1,
       {"song.v1.sfd", "song.v2.sfd", "song.v3.sfd"}},
      {"the first copy", "f", "song.sfd", {}, true, true, 3, {"song.v1.sfd"}},
      {"backups off", "f", "song.sfd", {"song.v1.sfd"}, false, true, 3, {"song.v1.sfd"}},
      {"a copy is not copied again", "f", "song.v3.sfd", {}, true, true, 3, {}},
      {"a folder named with .v", "my.vault/x.v2", "song.sfd", {}, true, true, 3, {"song.v1.sfd"}},
      {"other files of like names stay", "f", "song.sfd",
       {"song.vintage.sfd", "song.v2x.sfd", "songs.v1.sfd", "song.v1.mid", "song.v3.sfd"}, true, true, 1,
       {"song.vintage.sfd", "song.v2x.sfd", "songs.v1.sfd", "song.v1.mid", "song.v4.sfd"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    const std::string folder = TempFolder(c.Folder);
    const std::string document = folder + c.Document;
    WriteFile(document, "old score");
    for (const char* name : c.Before) WriteFile(folder + name, name);
    TEditorSettings settings;
    settings.SaveBackUp = c.Save;
    settings.LimitBackUp = c.Limit;
    settings.CountBackUp = c.Count;
    const std::string copy = MakeBackupCopy(document, settings);
    std::set<std::string> expected = c.After;
    expected.insert(c.Document);
    EXPECT_EQ(FilesIn(folder), expected);
    if (!copy.empty()) EXPECT_EQ(ReadFile(copy), "old score");
  }
  // A document not written yet has nothing to copy.
  TEditorSettings settings;
  EXPECT_EQ(MakeBackupCopy(TempFolder("new") + "new.sfd", settings), "");
}

// ------------------------------------------------------------------ the main window

class DocumentFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallLayout();
    if (!GlobalLanguage()) (new TECLanguage(&languageOwner_))->SetLanguage(kDefaultLanguage);
    dir_ = TempFolder("main");
    SetAppClockForTesting([this] { return now_; });
    Start();
  }
  void TearDown() override {
    Stop();
    SetAppClockForTesting(nullptr);
  }
  void Start() {
    settings_ = std::make_unique<TSettings>(dir_ + "ProgramSetting.ini");
    main_ = std::make_unique<TFProgramModule>(nullptr, settings_.get());
    main_->SetWindowState(TWindowState::wsNormal);
  }
  void Stop() {
    if (!main_) return;
    for (TFFileEditor* doc : Documents()) doc->SetModified(false);
    main_.reset();
    settings_.reset();
  }
  std::vector<TFFileEditor*> Documents() const {
    std::vector<TFFileEditor*> docs;
    for (int i = 0; main_ && i < main_->DocumentCount(); ++i) docs.push_back(main_->Document(i));
    return docs;
  }
  // A native score file of one part.
  std::string SavedScore(const std::string& name) {
    TFFileEditor* doc = main_->NewDocument();
    const std::string file = dir_ + name;
    doc->SaveToFile(file, TDocumentFormat::Native);
    EXPECT_TRUE(main_->CloseEditor(doc));
    return file;
  }
  void Pass(TAppClock::duration time) {
    now_ += time;
    main_->TMainTimer();
  }

  TComponent languageOwner_{nullptr};
  TAppTime now_ = TAppTime{} + std::chrono::hours(1000);
  std::string dir_;
  std::unique_ptr<TSettings> settings_;
  std::unique_ptr<TFProgramModule> main_;
};

TEST_F(DocumentFilesTest, AutoSaveSavesAModifiedDocumentOnceItsIntervalHasPassedAndKeepsABackup) {
  using namespace std::chrono;
  main_->Settings.Set(main_->Settings.Editor, &TEditorSettings::AutoSave, true);
  ASSERT_EQ(main_->Settings.Editor.AutoSaveInterval, 300);
  const std::string file = SavedScore("song.sfd");
  TFFileEditor* doc = main_->OpenDocument(file, false);
  ASSERT_NE(doc, nullptr);
  TFFileEditor* untitled = main_->NewDocument();
  main_->RunCommand("AAddPart");
  ASSERT_TRUE(untitled->Modified());
  main_->PCFiles->SetActivePage(doc->Sheet);
  main_->RunCommand("AAddPart");
  ASSERT_TRUE(doc->Modified());
  const std::string before = ReadFile(file);
  // Four minutes after the last save: not yet.
  Pass(minutes(4));
  EXPECT_TRUE(doc->Modified());
  // Six minutes: the next look, 30 seconds on, saves it.
  Pass(minutes(2));
  EXPECT_FALSE(doc->Modified());
  EXPECT_NE(ReadFile(file), before);
  EXPECT_EQ(ReadFile(dir_ + "song.v1.sfd"), before) << "the old file is kept as the first copy";
  // Never the untitled one.
  EXPECT_TRUE(untitled->Modified());
  // A new change waits for the interval again, and the documents are
  // looked at no more than every 30 seconds.
  main_->RunCommand("AAddPart");
  Pass(seconds(100));
  EXPECT_TRUE(doc->Modified()) << "an edit soon after a save";
  Pass(seconds(201));
  EXPECT_FALSE(doc->Modified());
  main_->RunCommand("AAddPart");
  doc->LastSaveTime = now_ - minutes(10);
  Pass(seconds(10));
  EXPECT_TRUE(doc->Modified()) << "10 seconds after the last look";
  Pass(seconds(25));
  EXPECT_FALSE(doc->Modified());
  // Switched off: nothing.
  main_->Settings.Set(main_->Settings.Editor, &TEditorSettings::AutoSave, false);
  main_->RunCommand("AAddPart");
  Pass(hours(2));
  EXPECT_TRUE(doc->Modified());
}

TEST_F(DocumentFilesTest, AFailingAutoSaveIsReportedOnceAndTheDocumentStaysModifiedUntilASaveWorks) {
  using namespace std::chrono;
  main_->Settings.Set(main_->Settings.Editor, &TEditorSettings::AutoSave, true);
  const std::string folder = dir_ + "songs/";
  fs::create_directories(folder);
  const std::string file = SavedScore("songs/song.sfd");
  TFFileEditor* doc = main_->OpenDocument(file, false);
  ASSERT_NE(doc, nullptr);
  std::vector<std::string> reports;
  main_->AutoSaver.OnFailure = [&](TFFileEditor&, const std::string& text) { reports.push_back(text); };
  main_->RunCommand("AAddPart");
  // The folder is gone (a removed disk, a network share gone away).
  fs::remove_all(folder);
  for (int i = 0; i < 3; ++i) Pass(minutes(6));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find(file), std::string::npos) << reports[0];
  EXPECT_TRUE(doc->Modified());
  EXPECT_EQ(main_->DocumentCount(), 1);
  // Back again: the next look saves, and a later failure is told again.
  fs::create_directories(folder);
  Pass(minutes(6));
  EXPECT_FALSE(doc->Modified());
  EXPECT_TRUE(fs::exists(file));
  main_->RunCommand("AAddPart");
  fs::remove_all(folder);
  Pass(minutes(6));
  EXPECT_EQ(reports.size(), 2u);
}

TEST_F(DocumentFilesTest, TheReopenListKeepsTheFilesClosedLastOverARestart) {
  const std::string a = SavedScore("a.sfd"), b = SavedScore("b.sfd"), c = SavedScore("c.sfd");
  // The last closed first; an untitled document is never listed.
  ASSERT_EQ(main_->Reopen.Entries().size(), 3u);
  EXPECT_EQ(main_->Reopen.Entries()[0].FileName, c);
  EXPECT_EQ(main_->Reopen.Entries()[2].FileName, a);
  EXPECT_EQ(main_->MIReopen->Count(), 3);
  EXPECT_EQ(main_->MIReopen->Items(0)->Caption(), c);
  // Opening a listed file takes it out; still open at the end, it is
  // listed first.
  ASSERT_NE(main_->OpenDocument(b, false), nullptr);
  EXPECT_EQ(main_->MIReopen->Count(), 2);
  main_->NewDocument();
  Stop();
  {
    TIniFile ini(dir_ + "ProgramSetting.ini");
    EXPECT_EQ(ini.ReadInteger("Reopen", "ReopenCount", -1), 3);
    EXPECT_EQ(ini.ReadString("Reopen", "Reopen0", ""), FormatReopenDate(CurrentDay()) + "," + b);
  }
  Start();
  ASSERT_EQ(main_->MIReopen->Count(), 3);
  EXPECT_EQ(main_->MIReopen->Items(0)->Caption(), b);
  EXPECT_EQ(main_->MIReopen->Items(1)->Caption(), c);
  EXPECT_EQ(main_->MIReopen->Items(2)->Caption(), a);
  // The Open button's arrow shows the same list below the button.
  ASSERT_EQ(main_->CMReopen->Item()->Count(), 3);
  EXPECT_EQ(main_->CMReopen->Item()->Items(2)->Caption(), a);
  auto* open = dynamic_cast<TECMenuItem*>(main_->FindComponent("MITOpen"));
  ASSERT_NE(open, nullptr);
  main_->Show();
  open->OnDropDownClick(open);
  ASSERT_NE(main_->CMReopen->PopupWindow(), nullptr);
  EXPECT_TRUE(main_->CMReopen->PopupWindow()->Visible());
  // Chosen, a file that is gone leaves the list and opens nothing.
  fs::remove(a);
  main_->ReopenItemClick(a);
  EXPECT_EQ(main_->MIReopen->Count(), 2);
  EXPECT_EQ(main_->CMReopen->Item()->Count(), 2);
  EXPECT_EQ(main_->DocumentCount(), 0);
  main_->ReopenItemClick(c);
  EXPECT_EQ(main_->DocumentCount(), 1);
  EXPECT_EQ(main_->MIReopen->Count(), 1);
}

TEST_F(DocumentFilesTest, CloseAllClosesWhatMayCloseAndListsImportedFilesToo) {
  InstallMusicXmlImporter();
  const std::string xml = dir_ + "entry.xml";
  fs::copy_file(std::string(QS_TEST_DATA_DIR) + "/app/entry.xml", xml);
  const std::string native = SavedScore("native.sfd");
  ASSERT_NE(main_->OpenDocument(xml, false), nullptr);
  ASSERT_NE(main_->OpenDocument(native, false), nullptr);
  TFFileEditor* kept = main_->NewDocument();
  main_->RunCommand("AAddPart");
  ASSERT_TRUE(kept->Modified());
  // The modified one is asked about and kept (Cancel); the others close.
  namespace td = qs::testdriver;
  td::Later([] {
    if (td::WaitForModal()) td::KeyToModal(VK_ESCAPE);
  });
  main_->RunCommand("ACloseAll");
  ASSERT_EQ(main_->DocumentCount(), 1);
  EXPECT_EQ(main_->Document(0), kept);
  ASSERT_EQ(main_->Reopen.Entries().size(), 2u);
  EXPECT_EQ(main_->Reopen.Entries()[0].FileName, xml) << "closed last, from the last tab to the first";
  EXPECT_EQ(main_->Reopen.Entries()[1].FileName, native);
}

TEST(ReopenList, EntriesAreReadFromTheSettingsWhateverTheirDatesAndWrittenInOneFixedForm) {
  const std::string dir = TempFolder("reopen");
  const std::string x = dir + "x, with comma.sfd", y = dir + "y.sfd", z = dir + "z.sfd";
  for (const std::string& f : {x, y, z}) WriteFile(f, "score");
  const int today = CurrentDay();
  int day = 0;
  ASSERT_TRUE(ParseReopenDate("2007-03-05", day));
  EXPECT_EQ(FormatReopenDate(day), "2007-03-05");
  for (const char* bad : {"05.03.2007", "2007-13-01", "2007-02-30", "2007-3-5", ""}) EXPECT_FALSE(ParseReopenDate(bad, day)) << bad;
  struct TCase {
    const char* What;
    std::vector<std::pair<const char*, std::string>> Keys;
    std::vector<std::pair<std::string, int>> Entries;
  };
  const int march5 = [] {
    int d = 0;
    ParseReopenDate("2007-03-05", d);
    return d;
  }();
  for (const TCase& c : std::vector<TCase>{
           {"with a count", {{"ReopenCount", "2"}, {"Reopen0", "2007-03-05," + x}, {"Reopen1", "2007-03-05," + y},
                             {"Reopen2", "2007-03-05," + z}}, {{x, march5}, {y, march5}}},
           {"without a count, up to the first gap", {{"Reopen0", "2007-03-05," + y}, {"Reopen1", "2007-03-05," + x},
                                                    {"Reopen3", "2007-03-05," + z}}, {{y, march5}, {x, march5}}},
           {"a count of 0", {{"ReopenCount", "0"}, {"Reopen0", "2007-03-05," + x}}, {}},
           {"dates of another locale are today's", {{"Reopen0", "05.03.2007," + x}, {"Reopen1", "3/5/07," + y}},
            {{x, today}, {y, today}}},
       }) {
    SCOPED_TRACE(c.What);
    std::remove((dir + "r.ini").c_str());
    TIniFile ini(dir + "r.ini");
    for (const auto& [key, value] : c.Keys) ini.WriteString("Reopen", key, value);
    TReopenList list;
    list.Load(ini, today);
    std::vector<std::pair<std::string, int>> entries;
    for (const TReopenEntry& e : list.Entries()) entries.emplace_back(e.FileName, e.Day);
    EXPECT_EQ(entries, c.Entries);
  }
  // 21 files closed keep 20 in the list; 19 are written, the open files'
  // first.
  TReopenList list;
  std::vector<std::string> files;
  for (int i = 0; i < 21; ++i) {
    files.push_back(dir + "f" + std::to_string(i) + ".sfd");
    WriteFile(files.back(), "score");
    EXPECT_TRUE(list.Add(files.back(), march5));
  }
  EXPECT_FALSE(list.Add(files.back(), today)) << "listed already";
  EXPECT_FALSE(list.Add(dir + "missing.sfd", today));
  EXPECT_EQ(list.Entries().size(), 20u);
  std::remove((dir + "w.ini").c_str());
  TIniFile ini(dir + "w.ini");
  list.Save(ini, {y, dir + "Untitled.sfd", y}, today);
  EXPECT_EQ(ini.ReadInteger("Reopen", "ReopenCount", 0), 19);
  EXPECT_EQ(ini.ReadString("Reopen", "Reopen0", ""), FormatReopenDate(today) + "," + y);
  EXPECT_EQ(ini.ReadString("Reopen", "Reopen1", ""), "2007-03-05," + files[20]);
  EXPECT_FALSE(ini.ValueExists("Reopen", "Reopen19"));
}

TEST_F(DocumentFilesTest, AScoreOfAnOlderFormatIsRewrittenOnlyWhenTheUserAgrees) {
  const std::string file = SavedScore("old.sfd");
  TFFileEditor* doc = main_->OpenDocument(file, false);
  ASSERT_NE(doc, nullptr);
  const std::string before = ReadFile(file);
  main_->RunCommand("AAddPart");
  doc->Score().FileVersion = 768;
  // No: nothing is written, no copy is made, and the timer does not ask.
  namespace td = qs::testdriver;
  td::Later([] {
    if (td::WaitForModal()) td::KeyToModal(VK_ESCAPE);
  });
  EXPECT_FALSE(doc->Save());
  EXPECT_EQ(ReadFile(file), before);
  EXPECT_FALSE(fs::exists(dir_ + "old.v1.sfd"));
  main_->Settings.Set(main_->Settings.Editor, &TEditorSettings::AutoSave, true);
  Pass(std::chrono::hours(1));
  EXPECT_TRUE(doc->Modified());
  // Yes: saved in the current format, and the question does not come again.
  td::Later([] {
    if (td::WaitForModal()) td::KeyToModal(VK_RETURN);
  });
  EXPECT_TRUE(doc->Save());
  EXPECT_NE(ReadFile(file), before);
  EXPECT_EQ(ReadFile(dir_ + "old.v1.sfd"), before);
  EXPECT_FALSE(doc->NeedsFormatUpgrade());
  main_->RunCommand("AAddPart");
  EXPECT_TRUE(doc->Save()) << "no question";
}

// ------------------------------------------------------------------ settings

TEST_F(DocumentFilesTest, SettersWriteOnlyAChangeAndPassTheValueOnToTheScores) {
  TMainSettings& s = main_->Settings;
  const std::string ini = dir_ + "ProgramSetting.ini";
  // The Auto settings are only held without a document.
  s.SetAutoPages(true);
  EXPECT_TRUE(s.Effects.AutoPages);
  EXPECT_FALSE(TIniFile(ini).ValueExists("Effects", "AutoPages"));
  TFFileEditor* first = main_->NewDocument();
  EXPECT_TRUE(first->Score().AutoPages) << "a new document takes the held value";
  TFFileEditor* second = main_->NewDocument();
  s.SetAutoPages(false);
  EXPECT_FALSE(second->Score().AutoPages);
  EXPECT_TRUE(first->Score().AutoPages) << "only the active document's";
  EXPECT_EQ(TIniFile(ini).ReadString("Effects", "AutoPages", ""), "0");
  // Insert mode reaches every open score; the same value writes nothing.
  s.SetAddState(0x81);
  EXPECT_EQ(first->Score().AddState, TQSAddState::asInsert);
  EXPECT_EQ(second->Score().AddState, TQSAddState::asInsert);
  EXPECT_EQ(TIniFile(ini).ReadInteger("Tools", "AddState", 0), 1);
  fs::remove(ini);
  s.SetAddState(1);
  EXPECT_FALSE(fs::exists(ini));
  s.SetRecordQuantize(64);
  EXPECT_EQ(second->Score().RecordQuantize, 64);
  s.SetTwoHands(false);
  EXPECT_EQ(second->Score().TwoHandRecording, 0);
  EXPECT_EQ(TIniFile(ini).ReadString("Record", "TwoHands", ""), "0");
}

TEST_F(DocumentFilesTest, NoteNamesComeFromTheSettingsAndReachTheScores) {
  Stop();
  {
    TIniFile ini(dir_ + "ProgramSetting.ini");
    ini.WriteString("Notes", "N3", " Re");
    ini.WriteString("Notes", "N12", "");
    ini.WriteString("Notes", "N2", "Cis");
  }
  Start();
  EXPECT_EQ(NoteLetters(), "CREFGAB");
  EXPECT_EQ(NoteLetter(1), 'R');
  EXPECT_EQ(PitchName(1), "Cis");
  TFFileEditor* doc = main_->NewDocument();
  EXPECT_EQ(doc->Score().NoteNames, "CREFGAB");
  auto* piano = TFPiano::Instance();
  ASSERT_NE(piano, nullptr);
  EXPECT_EQ(piano->MKKeyboard->Keys(), "CREFGAB");
  // As the settings dialog changes them.
  main_->Settings.Notes.Names[10] = "B";
  main_->Settings.Notes.Names[11] = "H";
  main_->Settings.SaveNoteNames();
  main_->NoteNamesChanged();
  EXPECT_EQ(doc->Score().NoteNames, "CREFGAH");
  EXPECT_EQ(piano->MKKeyboard->Keys(), "CREFGAH") << "the piano's keys follow";
  EXPECT_EQ(TIniFile(dir_ + "ProgramSetting.ini").ReadString("Notes", "N12", ""), "H");
  // The program's own letters again for the other tests.
  Stop();
  fs::remove(dir_ + "ProgramSetting.ini");
  Start();
  EXPECT_EQ(NoteLetters(), "CDEFGAB");
}

TEST_F(DocumentFilesTest, ANewScoreTakesTheDrumMapOfItsFile) {
  const std::string folder = TempFolder("drums");
  WriteFile(folder + "DrumMap.ini",
            "[Drums]\nPitch36=Bass drum,3,30,1\nPitch38=Snare,,34,0\nPitch42=Hi-hat\nPitch20=Too low,1,1,1\n");
  platform::SetProgramDirForTesting(folder);
  TFFileEditor* doc = main_->NewDocument();
  platform::SetProgramDirForTesting("");
  const TQSScore& score = doc->Score();
  std::vector<std::tuple<int, std::string, int, int, int>> entries;
  for (const TQSDrumMapEntry& e : score.DrumMap)
    if (e.Key == 36 || e.Key == 38 || e.Key == 42 || e.Key == 20)
      entries.emplace_back(e.Key, e.Name, e.Head, e.Position, e.Use);
  EXPECT_EQ(entries, (std::vector<std::tuple<int, std::string, int, int, int>>{
                         {36, "Bass drum", 3, 30, 1}, {38, "Snare", 255, 34, 0}, {42, "Hi-hat", 255, 64, 0}}));
  EXPECT_NE(score.DrumEntryByKey(36), nullptr) << "the lookups are rebuilt";
}

// ------------------------------------------------------------------ start-up

TEST(StartUp, TheLanguageIsTheStoredOneElseTheLocalesElseTheKeyboards) {
  struct TCase {
    const char* Stored;
    const char* Locale;
    std::vector<std::string> Layouts;
    const char* Expected;
  };
  for (const TCase& c : {TCase{"fra", "DEU", {"ru"}, "FRA"}, TCase{"XYZ", "", {"us", "de"}, "DEU"},
                         TCase{"", "", {"de", "ua"}, "RUS"}, TCase{"", "", {"fr", "it"}, "FRA"},
                         TCase{"", "", {"it"}, "ITA"}, TCase{"", "", {"us"}, "ENU"}, TCase{"", "", {}, "ENU"},
                         TCase{"", "ITA", {"de"}, "ITA"}, TCase{"", "ENU", {"ru"}, "ENU"}}) {
    EXPECT_EQ(ChooseLanguage(c.Stored, c.Locale, c.Layouts), c.Expected) << c.Stored << "/" << c.Locale;
  }
  const std::string dir = TempFolder("xkb");
  WriteFile(dir + "keyboard", "# KEYBOARD CONFIGURATION\nXKBMODEL=\"pc105\"\nXKBLAYOUT=\"de,ru(phonetic)\"\n");
  const char* saved = std::getenv("XKB_DEFAULT_LAYOUT");
  const std::string keep = saved ? saved : "";
  ::unsetenv("XKB_DEFAULT_LAYOUT");
  EXPECT_EQ(KeyboardLayouts(dir + "keyboard"), (std::vector<std::string>{"de", "ru"}));
  ::setenv("XKB_DEFAULT_LAYOUT", "it", 1);
  EXPECT_EQ(KeyboardLayouts(dir + "keyboard"), (std::vector<std::string>{"it"}));
  if (saved) ::setenv("XKB_DEFAULT_LAYOUT", keep.c_str(), 1);
  else ::unsetenv("XKB_DEFAULT_LAYOUT");
  EXPECT_TRUE(KeyboardLayouts(dir + "none").empty() || std::getenv("XKB_DEFAULT_LAYOUT"));
}

TEST(StartUp, TheStartUpThreadRunsItsStepOnTheWindowThreadAndWaitsUntilItIsEnded) {
  bool ran = false, onWindowThread = false;
  TMainThread thread([&] {
    ran = true;
    onWindowThread = TThread::IsMainThread();
  });
  thread.Start();
  for (int i = 0; i < 500 && !ran; ++i) {
    Application().ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_TRUE(ran);
  EXPECT_TRUE(onWindowThread);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(thread.Finished());
  thread.Terminate();
  thread.WaitFor();
  EXPECT_TRUE(thread.Finished());
}

// A splash window that only records what is done to it.
struct TFakeSplash : TSplash {
  explicit TFakeSplash(std::vector<std::string>& log) : Log(log) {}
  void SetClosable() override { Log.push_back("closable"); }
  bool Visible() const override { return true; }
  void Close() override { Log.push_back("closed"); }
  std::vector<std::string>& Log;
};

TEST_F(DocumentFilesTest, TheSplashIsShownOnlyWithItsPictureAndClosesAtTheFirstTick) {
  std::vector<std::string> log;
  SetSplashFactory([&log](const std::string& picture) -> std::unique_ptr<TSplash> {
    log.push_back(fs::path(picture).filename().string());
    return std::make_unique<TFakeSplash>(log);
  });
  const std::string folder = TempFolder("splash");
  platform::SetProgramDirForTesting(folder);
  ShowSplash();
  EXPECT_EQ(Splash(), nullptr) << "no picture, no splash";
  WriteFile(folder + "About.bmp", "BM");
  ShowSplash();
  platform::SetProgramDirForTesting("");
  ASSERT_NE(Splash(), nullptr);
  ReleaseSplash();
  Pass(std::chrono::milliseconds(220));
  EXPECT_EQ(Splash(), nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"About.bmp", "closable", "closed"}));
  SetSplashFactory(nullptr);
}

TEST_F(DocumentFilesTest, TheCommandLineOpensItsFilesAndKnowsPlayAndPrint) {
  EXPECT_EQ(CommandLineSwitch("/A"), TCommandLineSwitch::Play);
  EXPECT_EQ(CommandLineSwitch("/p"), TCommandLineSwitch::Print);
  EXPECT_EQ(CommandLineSwitch("/x"), TCommandLineSwitch::None);
  const std::string a = SavedScore("a.sfd"), b = SavedScore("b.sfd");
  // Playing and printing are not part of the program: the switches open
  // nothing and change nothing.
  main_->ProcessCommandLine({a, "/p", b, "/a"});
  ASSERT_EQ(main_->DocumentCount(), 2);
  EXPECT_EQ(main_->ActiveEditor()->FileName(), b);
}

TEST_F(DocumentFilesTest, TheZoomCommandsAndChoicesStayWithinTheirBounds) {
  auto* choices = dynamic_cast<TECMenuItem*>(main_->FindComponent("MIZoom"));
  ASSERT_NE(choices, nullptr);
  ASSERT_EQ(choices->Count(), 14);
  choices->Items(3)->OnClick(choices->Items(3));  // without a document: nothing
  TFFileEditor* doc = main_->NewDocument();
  TQSWindow& view = *doc->QSWindow;
  TECMenuItem* largest = choices->Items(choices->Count() - 1);
  EXPECT_EQ(largest->Caption(), "900 %");
  largest->OnClick(largest);
  EXPECT_EQ(view.Zoom, 900);
  main_->RunCommand("AZoomIn");
  EXPECT_EQ(view.Zoom, 900);
  choices->Items(0)->OnClick(choices->Items(0));
  EXPECT_EQ(view.Zoom, 25);
  main_->RunCommand("AZoomOut");
  EXPECT_EQ(view.Zoom, 25);
  main_->RunCommand("AZoomIn");
  EXPECT_EQ(view.Zoom, 50);
  main_->RunCommand("AActualScale");
  EXPECT_EQ(view.Zoom, 100);
}

}  // namespace
