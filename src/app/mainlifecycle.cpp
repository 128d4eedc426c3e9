// The main window's start and end, its timer, its reopen list, the
// command line and the drum settings of new scores.
#include <algorithm>
#include <exception>

#include "app/fileeditor.h"
#include "app/helpcommands.h"
#include "app/mainwindow.h"
#include "app/startup.h"
#include "base/inifile.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "dialogs/libraries.h"
#include "palettes/drummap.h"
#include "playback/noteports.h"
#include "platform/actions.h"
#include "platform/paths.h"
#include "platform/timers.h"
#include "score/score.h"
#include "uikit/language.h"
#include "uikit/menu.h"
#include "uikit/menuitem.h"
#include "uikit/messagebox.h"
#include "uikit/pagecontrol.h"
#include "view/window.h"

namespace qs {

namespace {

// The main window's messages of this file (its language record).
enum TLifecycleMessage {
  kQuitQuestion = 5,   // documents have changed: save them before the program ends?
  kQuitTitle = 6,
};

constexpr int kMainTimerInterval = 220;  // milliseconds
// The scales the View menu offers, in percent.
constexpr int kZoomChoices[] = {25, 50, 75, 100, 125, 150, 175, 200, 225, 250, 300, 400, 600, 900};

// A menu caption showing text as it is ("&" is no mnemonic).
std::string LiteralCaption(const std::string& text) {
  std::string caption;
  for (char c : text) {
    caption += c;
    if (c == '&') caption += '&';
  }
  return caption;
}

}  // namespace

std::vector<TFFileEditor*> TFProgramModule::Documents() const {
  std::vector<TFFileEditor*> documents;
  for (int i = 0; i < DocumentCount(); ++i)
    if (TFFileEditor* editor = Document(i)) documents.push_back(editor);
  return documents;
}

// ------------------------------------------------------------------ start-up

void TFProgramModule::LoadLibraries() {
  // A library that cannot be read stays empty; the program goes on.
  Transports = std::make_unique<TQSTransports>();
  Transports->FileName = tools_.TransportFile;
  Instruments = std::make_unique<TQSInstruments>();
  Instruments->FileName = tools_.InstrumentFile;
  try {
    Transports->LoadFromFile();
  } catch (const std::exception&) {
    Transports->Items.clear();
  }
  try {
    Instruments->LoadFromFile();
  } catch (const std::exception&) {
    Instruments->Items.clear();
  }
}

void TFProgramModule::FinishCreation() {
  Settings.ActiveScore = [this] { return ActiveScore(); };
  Settings.Scores = [this] {
    std::vector<TQSScore*> scores;
    for (TFFileEditor* editor : Documents()) scores.push_back(&editor->Score());
    return scores;
  };
  AutoSaver.OnFailure = [this](TFFileEditor&, const std::string& text) { ShowError(text); };
  // From here on the tool notebook's height is kept.
  PCTools->OnResize = [this](TObject*) {
    if (!destroying_ && PCTools->Height() > 0)
      Settings.Set(Settings.Window, &TMainWindowSettings::ToolsHeight, PCTools->Height());
  };
  CMReopen = new TECContextMenu(this);
  CMReopen->SetName("CMReopen");
  if (auto* open = dynamic_cast<TECMenuItem*>(FindComponent("MITOpen"))) {
    // The button's arrow shows the recent files below it.
    open->SetKind(ikDropDown);
    open->OnDropDownClick = [this, open](TObject*) {
      if (CMReopen->Item()->Count() == 0 || !open->Menu()) return;
      auto* bar = dynamic_cast<TWinControl*>(open->Menu()->HostComponent());
      if (!bar) return;
      const TRect r = open->ItemRect();
      const TPoint below = bar->ClientToScreen(TPoint{r.Left, r.Bottom});
      CMReopen->Popup(below.X, below.Y, bar);
    };
  }
  LoadReopenList();
  BuildBookmarkMenus();
  if (auto* zoom = dynamic_cast<TECMenuItem*>(FindComponent("MIZoom")))
    for (int percent : kZoomChoices)
      zoom->AddItem(std::to_string(percent) + " %")->OnClick = [this, percent](TObject*) {
        if (TQSWindow* view = ActiveScoreWindow()) view->SetZoom(percent);
      };
  // The news check waits until the first-run dialog has been shown once.
  mainThread_ = std::make_unique<TMainThread>([this] {
    if (help_) help_->DownloadNews();
  });
  mainThread_->Start();
  TMain = new TTimer(this);
  TMain->SetName("TMain");
  TMain->SetInterval(kMainTimerInterval);
  TMain->OnTimer = [this](TObject*) { TMainTimer(); };
  createdAt_ = AppNow();
}

// ------------------------------------------------------------------ shut-down

void TFProgramModule::ShutDown() {
  if (TMain) TMain->SetEnabled(false);
  StoreWindowPlacement();
  SaveReopenList();
  SaveToolBars();
  // The sounding notes end before their output goes.
  ports_.reset();
  Transports.reset();
  Instruments.reset();
  if (mainThread_) {
    mainThread_->OnTerminate = nullptr;
    mainThread_->Terminate();
    mainThread_->WaitFor();
    mainThread_.reset();
  }
}

void TFProgramModule::SaveToolBars() {
  if (!settings_) return;
  const auto place = [](const TControl* c) { return std::to_string(c->Left()) + "," + std::to_string(c->Top()); };
  TToolBarSettings bars = Settings.ToolBars;
  if (TControl* band = dynamic_cast<TControl*>(FindComponent("CBProgram"))) bars.ToolBar = band->Height();
  if (MMProgramModule) bars.ToolBarMenu = place(MMProgramModule);
  std::string* fields[] = {&bars.ToolBarFile, &bars.ToolBarEdit, &bars.ToolBarTools};
  for (size_t i = 0; i < ToolBars.size() && i < std::size(fields); ++i) *fields[i] = place(ToolBars[i]);
  Settings.Set(Settings.ToolBars, &TToolBarSettings::ToolBar, bars.ToolBar);
  Settings.Set(Settings.ToolBars, &TToolBarSettings::ToolBarMenu, bars.ToolBarMenu);
  Settings.Set(Settings.ToolBars, &TToolBarSettings::ToolBarFile, bars.ToolBarFile);
  Settings.Set(Settings.ToolBars, &TToolBarSettings::ToolBarEdit, bars.ToolBarEdit);
  Settings.Set(Settings.ToolBars, &TToolBarSettings::ToolBarTools, bars.ToolBarTools);
}

bool TFProgramModule::CloseQuery() {
  // One question for all modified documents. Yes saves them in tab order;
  // a save that fails or is cancelled keeps the program open, so that
  // nothing is lost.
  const std::vector<TFFileEditor*> documents = Documents();
  bool modified = false;
  for (TFFileEditor* editor : documents) modified = modified || editor->Modified();
  if (modified) {
    const int answer = ShowMessageBlock(LProgramModule->GetMessage(kQuitTitle),
                                        LProgramModule->GetMessage(kQuitQuestion), kMessageQuestion,
                                        kMessageYes | kMessageNo | kMessageCancel);
    if (answer != mrYes && answer != mrNo) return false;
    if (answer == mrYes)
      for (TFFileEditor* editor : documents)
        if (editor->Modified() && !editor->Save()) return false;
  }
  return TForm::CloseQuery();
}

// ------------------------------------------------------------------ timer

void TFProgramModule::TMainTimer() {
  if (destroying_) return;
  if (AutoSaver.Tick(Settings.Editor, Documents()) > 0) UpdateActionStates();
  // The notes played on the MIDI input are entered while recording.
  EnterRecordedNotes();
  LessonTimer();
  // The splash closes at the first tick after the window was made.
  if (TSplash* splash = Splash(); splash && splash->Visible() && AppNow() > createdAt_) CloseSplash();
}

// ------------------------------------------------------------------ command line

void TFProgramModule::ProcessCommandLine(const std::vector<std::string>& arguments) {
  TCommandLineSwitch pending = TCommandLineSwitch::None;
  for (const std::string& argument : arguments) {
    const TCommandLineSwitch s = CommandLineSwitch(argument);
    if (s != TCommandLineSwitch::None) pending = s;
    else OpenDocument(argument, false);
  }
  // On the document opened last; a command that cannot run here does
  // nothing.
  if (pending == TCommandLineSwitch::Play) RunCommand("APlay");
  if (pending == TCommandLineSwitch::Print) RunCommand("APrint");
}

// ------------------------------------------------------------------ drums

void TFProgramModule::ApplyDrumSettings(TFFileEditor& editor) {
  TQSScore& score = editor.Score();
  const std::string file = platform::FindLibraryIndex(kDrumMapFile);
  if (file.empty()) return;
  score.DrumMapRebuildSuppressed = true;
  try {
    const TIniFile ini(file);
    for (int key = kFirstDrumKey; key <= kLastDrumKey; ++key) {
      if (ini.ReadString(kDrumMapSection, "Pitch" + std::to_string(key), "").empty()) continue;
      const TDrumMapEntry e = ReadDrumMapEntry(ini, key);
      score.SetDrumMapEntry(static_cast<uint8_t>(key), e.Name, static_cast<uint8_t>(std::clamp(e.Head, 0, 255)),
                            static_cast<uint8_t>(std::clamp(e.Position, 0, 255)), e.Use ? 1 : 0);
    }
  } catch (const std::exception&) {
    // What was read stays; the lookups are rebuilt below.
  }
  score.DrumMapRebuildSuppressed = false;
  score.RebuildDrumMap();
}

// ------------------------------------------------------------------ reopen list

void TFProgramModule::LoadReopenList() {
  try {
    if (settings_) Reopen.Load(settings_->Ini(), CurrentDay());
  } catch (const std::exception&) {
  }
  MirrorReopenList();
}

void TFProgramModule::SaveReopenList() {
  if (!settings_) return;
  std::vector<std::string> open;
  for (TFFileEditor* editor : Documents())
    if (editor->HasFile && !editor->Imported) open.push_back(editor->FileName());
  try {
    Reopen.Save(settings_->Ini(), open, CurrentDay());
  } catch (const std::exception&) {
  }
}

void TFProgramModule::AddToReopen(const std::string& fileName) {
  if (Reopen.Add(fileName, CurrentDay())) MirrorReopenList();
}

void TFProgramModule::RemoveFromReopen(const std::string& fileName) {
  if (Reopen.Remove(fileName)) MirrorReopenList();
}

void TFProgramModule::MirrorReopenList() {
  for (TECMenuItem* list : {MIReopen, CMReopen ? CMReopen->Item() : nullptr}) {
    if (!list) continue;
    while (list->Count() > 0) list->DeleteItem(list->Count() - 1);
    for (const TReopenEntry& entry : Reopen.Entries()) {
      TECMenuItem* item = list->AddItem(LiteralCaption(entry.FileName));
      const std::string name = entry.FileName;
      // After the menu has closed: the list changes under the item clicked.
      item->OnClick = [this, name](TObject*) {
        TThread::Queue([this, name] {
          if (ProgramModule() == this) ReopenItemClick(name);
        });
      };
    }
  }
  if (MIReopen) MIReopen->SetEnabled(MIReopen->Count() > 0);
}

void TFProgramModule::ReopenItemClick(const std::string& fileName) {
  // A file that is gone leaves the list when it is chosen.
  if (FileExists(fileName)) {
    OpenDocument(fileName, false);
    UpdateActionStates();
    ApplyActiveTool();
  }
  RemoveFromReopen(fileName);
}

}  // namespace qs
