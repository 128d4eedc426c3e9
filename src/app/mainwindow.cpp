#include "app/mainwindow.h"
#include "palettes/expanded.h"

#include <algorithm>
#include <exception>

#include "app/actionstates.h"
#include "app/commands.h"
#include "app/fileeditor.h"
#include "app/helpcommands.h"
#include "app/pageviewer.h"
#include "app/startup.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "chords/chordspalette.h"
#include "chords/guitarpalette.h"
#include "dialogs/libraries.h"
#include "dialogs/measureproperties.h"
#include "dialogs/pausecount.h"
#include "editing/measureprops.h"
#include "editing/structure.h"
#include "interchange/importmidiform.h"
#include "palettes/barunion.h"
#include "palettes/measurenumber.h"
#include "palettes/terms.h"
#include "palettes/notes.h"
#include "playback/midiports.h"
#include "playback/noteports.h"
#include "platform/actions.h"
#include "platform/comctrls.h"
#include "platform/dialogs.h"
#include "platform/extctrls.h"
#include "platform/paths.h"
#include "score/piece.h"
#include "score/score.h"
#include "uikit/catalogue.h"
#include "uikit/formparts.h"
#include "uikit/interface.h"
#include "uikit/language.h"
#include "uikit/menu.h"
#include "uikit/messagebox.h"
#include "uikit/pagecontrol.h"
#include "view/window.h"

namespace qs {

namespace {

TFProgramModule* programModule = nullptr;

// The main window's numbered messages (its language record).
enum TProgramModuleMessage {
  kReloadQuestion = 0,  // "%s" is open already: read it again from its file?
  kReloadTitle = 1,
  kOpenFilter = 2,      // the open dialog's file types
  kErrorTitle = 3,      // the title of an error report
  kCannotOpen = 4,      // the file "%s" could not be opened (the reason follows)
};

constexpr int kMenuHeight = 22;
constexpr int kToolBarHeight = 26;
constexpr int kZoomStep = 25, kZoomMin = 25, kZoomMax = 900;
// The document tabs' colours.
constexpr TColor kDocumentTab = 0xF1EEEC, kDocumentPage = 0xDED9CF;

std::string ShortCutText(uint16_t shortCut) {
  if (!shortCut) return {};
  std::string text;
  if (shortCut & 0x4000) text += "Ctrl+";
  if (shortCut & 0x2000) text += "Shift+";
  if (shortCut & 0x8000) text += "Alt+";
  return text + static_cast<char>(shortCut & 0xFF);
}

}  // namespace

TFProgramModule* ProgramModule() { return programModule; }

TFProgramModule::TFProgramModule(TComponent* owner, TSettings* settings)
    : TForm(owner), Settings(settings), settings_(settings) {
  if (!programModule) programModule = this;
  SetName("FProgramModule");
  SetCaption("Quillstave 4");
  KeyPreview = true;
  SetBounds(0, 0, 810, 533);
  SetPosition(poScreenCenter);
  ApplySkinTemplate(*this, 1);
  BuildActions();
  BuildMenus();
  BuildNotebooks();
  Settings.LoadNoteNames();
  LoadLibraries();
  BuildPalettes();
  HookNotebooks();
  BuildTrackBars();
  LProgramModule = MakeFormLanguage(this, "LProgramModule");
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState shift) { FormKeyDown(key, shift); };
  RestoreWindowPlacement();
  creating_ = false;
  UpdateActionStates();
  FinishCreation();
  // Placed once the buttons are all made (the Open button gets its arrow
  // last) and translated.
  PlaceToolBars();
  help_ = std::make_unique<TProgramHelp>(*this);
  help_->Start();
}

TFProgramModule::~TFProgramModule() {
  // Nothing plays or records into windows and ports that go.
  StopPlayAndRecord();
  ShutDown();
  destroying_ = true;
  help_.reset();
  // The documents go before the notebooks that show them.
  while (DocumentCount() > 0) RemoveDocument(Document(DocumentCount() - 1));
  BeginDestroy();
  if (programModule == this) programModule = nullptr;
}

// ------------------------------------------------------------------ building

void TFProgramModule::BuildActions() {
  ALProgram = new TActionList(this);
  ALProgram->SetName("ALProgram");
  for (const TCommand& c : CommandTable()) {
    auto* action = new TAction(this);
    action->SetName(c.Name);
    action->ShortCut = c.ShortCut;
    action->SetImageIndex(c.Image);
    action->SetActionList(ALProgram);
    action->SetVisible(!c.Hidden);
    const std::string name = c.Name;
    action->OnExecute = [this, name](TObject*) { RunCommand(name); };
    actions_.emplace_back(&c, action);
  }
}

TAction* TFProgramModule::FindAction(const std::string& name) const {
  for (const auto& [command, action] : actions_)
    if (name == command->Name) return action;
  return nullptr;
}

TECMenuItem* TFProgramModule::MenuItemFor(const std::string& name, const char* prefix) {
  auto* item = new TECMenuItem(this);
  if (name == "-") {
    item->SetKind(ikSeparator);
    item->SetHeight(8);
    return item;
  }
  if (TAction* action = FindAction(name)) {
    item->SetName(prefix + name.substr(1));
    item->SetAction(action);
    item->SetShortCutText(ShortCutText(action->ShortCut));
    return item;
  }
  // A submenu: its own entries.
  item->SetName(name);
  for (const TMenuRow& row : MenuLayout())
    if (name == row.Item)
      for (const char* entry : row.Entries) item->Add(MenuItemFor(entry, prefix));
  return item;
}

void TFProgramModule::BuildMenus() {
  MMProgramModule = Make<TECMenu>(this, this, "MMProgramModule", 0, 0, 810, kMenuHeight);
  MMProgramModule->SetAlign(alTop);
  TECMenuItem* bar = MMProgramModule->Item();
  bar->SetOrientation(ioHorizontal);
  bar->SetColor(clBtnFace);
  for (const char* name : MenuBarItems()) {
    TECMenuItem* entry = MenuItemFor(name);
    entry->SetMenuArrow(false);
    bar->Add(entry);
    if (std::string(name) == "MIWindow") MIWindow = entry;
  }
  MIReopen = dynamic_cast<TECMenuItem*>(FindComponent("MIReopen"));
  Menu = MMProgramModule;
  BuildWindowMenu();

  const char* barNames[] = {"MTFile", "MTEdit", "MTTools"};
  int left = 0;
  for (size_t b = 0; b < ToolBarLayout().size(); ++b) {
    TECMenu* toolBar = Make<TECMenu>(this, this, barNames[b], left, kMenuHeight, 10, kToolBarHeight);
    TECMenuItem* root = toolBar->Item();
    root->SetOrientation(ioHorizontal);
    root->SetMenuStyle(msToolbar);
    root->SetButtonHeight(kToolBarHeight);
    root->SetColor(clBtnFace);
    for (const char* name : ToolBarLayout()[b]) {
      root->Add(MenuItemFor(name, "MIT"));
    }
    ToolBars.push_back(toolBar);
  }
}

void TFProgramModule::BuildNotebooks() {
  auto* bars = Make<TPanel>(this, this, "CBProgram", 0, kMenuHeight, 810, kToolBarHeight);
  bars->SetAlign(alTop);
  bars->SetBevelOuter(bvNone);
  for (TECMenu* toolBar : ToolBars) toolBar->SetParent(bars);
  // The bars wrap at the window's width, so they follow it.
  bars->OnResize = [this](TObject*) { PlaceToolBars(); };
  PlaceToolBars();
  PCTools = Make<TECPageControl>(this, this, "PCTools", 0, 0, 810, mainSettings_.ToolsHeight);
  PCTools->SetAlign(alTop);
  PCTools->PageSetting().SetDoubleSheet(false);
  PCTools->SetSpiralVisible(false);
  for (int i = 0; i < kToolPageCount; ++i) {
    auto* sheet = new TECTabSheet(this);
    sheet->SetName(std::string("TS") + kToolPageNames[i]);
    sheet->SetPageControl(PCTools);
    ToolSheets[i] = sheet;
  }
  // Recording and playing have their pages only while they run.
  ToolSheets[11]->SetTabVisible(false);
  ToolSheets[12]->SetTabVisible(false);
  for (int i = 0; i < kToolPageCount - 2; ++i) ToolSheets[i]->SetTabVisible(mainSettings_.Attached[i]);
  if (mainSettings_.ActiveTool < kToolPageCount - 2) PCTools->SetActivePage(ToolSheets[mainSettings_.ActiveTool]);
  PCTools->OnPageChange = [this](TObject*) {
    if (!creating_) SetActiveTool(PCTools->ActivePage());
  };

  PCFiles = Make<TECPageControl>(this, this, "PCFiles", 0, 0, 810, 300);
  PCFiles->SetAlign(alClient);
  PCFiles->PageSetting().SetDoubleSheet(false);
  PCFiles->SetSpiralVisible(false);
  PCFiles->OnPageChange = [this](TObject*) {
    if (creating_ || destroying_) return;
    DocumentActivated();
  };
}

// ------------------------------------------------------------------ placement

void TFProgramModule::PlaceToolBars() {
  auto* band = dynamic_cast<TWinControl*>(FindComponent("CBProgram"));
  if (!band || placingBars_) return;
  placingBars_ = true;
  // Side by side, each tool bar as wide as its buttons with their captions
  // in the current language, then the track bars; what does not fit the
  // window's width any more begins a row below, and the band grows by it.
  const int room = band->ClientWidth();
  int left = 0, top = 0;
  const auto place = [&](TControl* bar, int width, int gap) {
    if (left > 0 && left + gap + width > room) {
      left = 0;
      top += kToolBarHeight;
    } else if (left > 0) {
      left += gap;
    }
    bar->SetBounds(left, top, width, kToolBarHeight);
    left += width;
  };
  for (TECMenu* toolBar : ToolBars) place(toolBar, std::max(12, toolBar->Item()->ChildrenArea().Width() + 4), 4);
  // The track bars keep a little more room from the buttons.
  bool first = true;
  for (TTrackBar* bar : {TBTempo, TBVolume}) {
    if (!bar) continue;
    place(bar, bar->Width(), first ? 12 : 4);
    first = false;
  }
  band->SetHeight(top + kToolBarHeight);
  placingBars_ = false;
}

void TFProgramModule::RestoreWindowPlacement() {
  if (!settings_) return;
  settings_->RestoreBounds(*this, Name());
  // Kept inside the screen's work area.
  const TRect area = Screen().WorkAreaRect();
  const int width = std::min(Width(), area.Width()), height = std::min(Height(), area.Height());
  const int left = std::clamp(Left(), area.Left, area.Right - width);
  const int top = std::clamp(Top(), area.Top, area.Bottom - height);
  SetBounds(left, top, width, height);
  SetWindowState(static_cast<TWindowState>(mainSettings_.WindowState));
}

void TFProgramModule::StoreWindowPlacement() {
  if (!settings_) return;
  // A maximised or minimised window keeps the normal bounds it had.
  if (WindowState() == TWindowState::wsNormal) settings_->StoreBounds(*this, Name());
  settings_->Set(mainSettings_, &TMainWindowSettings::WindowState, static_cast<int>(WindowState()));
  if (TECLanguage* engine = GlobalLanguage()) settings_->Set(tools_, &TToolsSettings::Language, engine->Language());
}

// ------------------------------------------------------------------ documents

int TFProgramModule::DocumentCount() const { return PCFiles ? PCFiles->PageCount() : 0; }

TFFileEditor* TFProgramModule::Document(int index) const {
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* editor = dynamic_cast<TFFileEditor*>(Components(i)))
      if (editor->Sheet == PCFiles->Pages(index)) return editor;
  return nullptr;
}

TFFileEditor* TFProgramModule::ActiveEditor() {
  if (DocumentCount() == 0) return nullptr;
  if (!PCFiles->ActivePage()) PCFiles->SetActivePage(PCFiles->Pages(0));
  for (int i = 0; i < DocumentCount(); ++i)
    if (PCFiles->Pages(i) == PCFiles->ActivePage()) return Document(i);
  return nullptr;
}

TQSWindow* TFProgramModule::ActiveScoreWindow() const {
  if (!PCFiles || !PCFiles->ActivePage()) return nullptr;
  for (int i = 0; i < DocumentCount(); ++i)
    if (PCFiles->Pages(i) == PCFiles->ActivePage()) {
      TFFileEditor* editor = Document(i);
      return editor ? editor->QSWindow : nullptr;
    }
  return nullptr;
}

void TFProgramModule::AddDocument(TFFileEditor* editor) {
  auto* sheet = new TECTabSheet(PCFiles);
  sheet->SetCaption(editor->Title());
  TBrush tab, page;
  tab.Color = kDocumentTab;
  page.Color = kDocumentPage;
  sheet->SetTabBrush(tab);
  sheet->SetBrush(page);
  sheet->SetPageControl(PCFiles);
  editor->Sheet = sheet;
  editor->PClient->SetParent(sheet);
  Settings.ApplyTo(editor->Score());
  editor->BackupSettings = &Settings.Editor;
  editor->OnStateChanged = [this](TFFileEditor& e) { DocumentStateChanged(e); };
  editor->OnSideEditorsChanged = [this](TFFileEditor&) {
    if (help_ && !destroying_) help_->ReportContext();
  };
  editor->OnError = [this](const std::string& text) { ShowError(text); };
  editor->OnScoreClick = [this](TQSWindow& view) { ScoreClicked(view); };
  editor->OnItemClick = [this](TQSWindow& view, TQSCalcItem* item) { ItemClicked(view, item); };
  editor->OnCursorMoved = [this](TQSWindow& view) { CursorMoved(view); };
  ConnectDocumentPlay(editor);
  ConnectViewMouse(*editor->QSWindow);
  auto* item = new TECMenuItem(this);
  item->SetCaption(editor->Title());
  item->SetKind(ikCheckBox);
  item->SetTextOffset(12);
  item->OnClick = [this, sheet](TObject*) { PCFiles->SetActivePage(sheet); };
  MIWindow->Add(item);
  editor->WindowItem = item;
  PCFiles->SetActivePage(sheet);
  if (editor->QSWindow->CanFocus()) editor->QSWindow->SetFocus();
  ApplyActiveTool();
  UpdateActionStates();
  if (help_) help_->ReportContext();
}

void TFProgramModule::RemoveDocument(TFFileEditor* editor) {
  TECTabSheet* sheet = editor->Sheet;
  if (editor->Busy()) StopPlayAndRecord();
  editor->OnStateChanged = nullptr;
  editor->OnSideEditorsChanged = nullptr;
  delete editor->WindowItem;
  delete editor;
  delete sheet;
  if (!destroying_) UpdateActionStates();
  if (help_ && !destroying_) help_->ReportContext();
}

void TFProgramModule::DocumentStateChanged(TFFileEditor& editor) {
  if (destroying_) return;
  if (editor.Sheet) editor.Sheet->SetCaption(editor.Title());
  if (editor.WindowItem) editor.WindowItem->SetCaption(editor.Title());
  UpdateActionStates();
}

TFFileEditor* TFProgramModule::OpenDocument(const std::string& fileName, bool ask) {
  for (int i = 0; i < DocumentCount(); ++i) {
    TFFileEditor* open = Document(i);
    if (!open || open->Imported || !SameText(open->FileName(), fileName)) continue;
    if (ask && ShowMessageBlock(LProgramModule->GetMessage(kReloadTitle),
                                Format(LProgramModule->GetMessage(kReloadQuestion).c_str(), fileName.c_str()),
                                kMessageQuestion, kMessageYes | kMessageNo) == mrYes) {
      try {
        open->LoadScore(fileName);
      } catch (const std::exception& e) {
        ShowError(Format(LProgramModule->GetMessage(kCannotOpen).c_str(), fileName.c_str()) + "\n" + UserErrorText(e));
      }
    }
    return nullptr;
  }
  auto editor = std::make_unique<TFFileEditor>(this);
  if (AsksForMidiImportOptions(fileName)) {
    // How the file becomes notation is asked first; anything but OK opens
    // nothing.
    TFImportMIDI options(nullptr, settings_ ? &settings_->Ini() : nullptr);
    if (options.ShowModal() != mrOk) return nullptr;
    options.ApplyTo(editor->Score());
    ApplyDrumSettings(*editor);
  }
  try {
    editor->LoadScore(fileName);
  } catch (const std::exception& e) {
    // Nothing of a file that cannot be read stays behind.
    ShowError(Format(LProgramModule->GetMessage(kCannotOpen).c_str(), fileName.c_str()) + "\n" + UserErrorText(e));
    return nullptr;
  }
  editor->SetFileName(fileName);
  editor->Imported = !IsNativeFileName(fileName);
  editor->HasFile = !editor->Imported;
  TFFileEditor* raw = editor.release();
  AddDocument(raw);
  RemoveFromReopen(fileName);
  return raw;
}

TFFileEditor* TFProgramModule::NewDocument() {
  auto editor = std::make_unique<TFFileEditor>(this);
  // The user's saved default score, else the built-in one.
  const std::string defaults = platform::FindTemplate("Default.sfd");
  bool loaded = false;
  if (!defaults.empty() && FileExists(defaults)) {
    try {
      editor->LoadScore(defaults);
      loaded = true;
    } catch (const std::exception&) {
      loaded = false;
    }
  }
  if (!loaded) {
    editor = std::make_unique<TFFileEditor>(this);
    MakeNewScore(editor->Score());
    editor->Score().Recalculate(0);
  }
  return AddNewDocument(std::move(editor));
}

TFFileEditor* TFProgramModule::AddNewDocument(std::unique_ptr<TFFileEditor> editor) {
  editor->SetFileName(CatalogueText(TMessageId::Untitled) + ".sfd");
  ApplyDrumSettings(*editor);
  editor->SetModified(false);
  TFFileEditor* raw = editor.release();
  AddDocument(raw);
  return raw;
}

bool TFProgramModule::CloseEditor(TFFileEditor* editor) {
  if (!editor || !editor->CloseDocument()) return false;
  if (editor->HasFile && !editor->Imported) AddToReopen(editor->FileName());
  RemoveDocument(editor);
  ApplyActiveTool();
  return true;
}

void TFProgramModule::ShowError(const std::string& text) {
  ShowMessageBlock(LProgramModule ? LProgramModule->GetMessage(kErrorTitle) : std::string(), text, kMessageWarning,
                   kMessageOk);
}

// ------------------------------------------------------------------ commands

bool TFProgramModule::RunCommand(const std::string& name) {
  const TCommand* command = FindCommand(name);
  TAction* action = FindAction(name);
  if (!command || !command->Execute || !action || !action->Enabled()) return false;
  // Nothing a command raises leaves it: the error is shown and the
  // program goes on.
  try {
    (this->*(command->Execute))();
  } catch (const std::exception& e) {
    ShowError(UserErrorText(e));
  } catch (...) {
    ShowError(name);
  }
  UpdateActionStates();
  return true;
}

void TFProgramModule::UpdateActionStates() {
  if (destroying_ || !PCFiles) return;
  TFFileEditor* doc = ActiveEditor();
  // The window's title names the active document.
  SetCaption(doc ? Format(CatalogueText(TMessageId::Caption).c_str(), doc->Title().c_str()) : std::string("Quillstave 4"));
  const TDocumentState state = DocumentStateOf(doc);
  for (const auto& [command, action] : actions_) action->SetEnabled(CommandEnabled(*command, state));
  // The submenus that only act on a document.
  for (const char* name : {"MIExport", "MISpecialPaste", "MISelectSymbols", "MISelectDesign"})
    if (auto* item = dynamic_cast<TECMenuItem*>(FindComponent(name))) item->SetEnabled(state.Document);
  if (doc) UpdateTempoHint();
  if (TAction* repeats = FindAction("AReverce")) repeats->SetChecked(tools_.Reverce);
  const std::string language = InterfaceLanguage();
  const std::pair<const char*, const char*> languages[] = {
      {"AEnglish", "ENU"}, {"ADeutsch", "DEU"}, {"AFrench", "FRA"}, {"AItalian", "ITA"}, {"ARussian", "RUS"}};
  for (const auto& [name, code] : languages)
    if (TAction* a = FindAction(name)) a->SetChecked(language == code);
}

TECTabSheet* TFProgramModule::ActiveTool() {
  if (!activeTool_) SetActiveTool(PCTools->ActivePage());
  return activeTool_;
}

void TFProgramModule::SetActiveTool(TECTabSheet* sheet) {
  const bool changed = sheet != activeTool_;
  activeTool_ = sheet;
  if (changed && !creating_) ApplyActiveTool();
  if (changed && help_) help_->ReportContext();
  // The page shown is kept also when the tool stays (a floating palette
  // docked again shows its page).
  if (settings_ && !creating_ && PCTools->ActivePage()) {
    const int index = PCTools->IndexOfPage(PCTools->ActivePage());
    if (index >= 0 && index < kToolPageCount) settings_->Set(mainSettings_, &TMainWindowSettings::ActiveTool, index);
  }
}

void TFProgramModule::ApplyActiveTool() {
  if (creating_ || destroying_) return;
  if (TPalette* palette = PaletteOf(ActiveTool())) {
    palette->ApplyTool();
    return;
  }
  // Without a palette's tool the view shows the default cursor and no
  // insertion feedback, and no value is to be entered; a key signature
  // entered from the keyboard respells as the Notes palette says.
  if (TQSWindow* view = ActiveScoreWindow()) {
    SetActiveViewCursor(this, "");
    view->ArmPaletteItem(0);
    SetEntryDuration(0);
    if (auto* notes = dynamic_cast<TFNotes*>(palettes_[0])) view->Score->ToneModify = notes->Values().ToneModify;
  }
}

// ------------------------------------------------------------------ palettes

void TFProgramModule::BuildPalettes() {
  RegisterGuitarPalette();
  RegisterChordsPalette();
  RegisterTermsPalette();
  const TPaletteContext context{this, settings_ ? &settings_->Ini() : nullptr};
  for (const TPaletteEntry& entry : PaletteRegistry()) {
    const int index = PaletteIndex(entry.Name);
    if (index < 0) continue;
    TPalette* palette = entry.Create(this, context);
    palettes_[index] = palette;
    TCustomForm& form = palette->Form();
    // A docked palette fills its tool page; a floating one keeps the
    // place it had and comes up with the main window.
    if (!mainSettings_.Attached[index]) continue;
    form.ManualDock(ToolSheets[index]);
    form.Show();
  }
  // The chords palette's frames come from the guitars the guitar palette
  // keeps, so a frame added on one is there on the other.
  auto* chords = dynamic_cast<TFChords*>(palettes_[PaletteIndex("Chords")]);
  auto* guitar = dynamic_cast<TFGuitar*>(palettes_[PaletteIndex("Guitar")]);
  if (chords && guitar) chords->UseGuitars(guitar->Guitars());
  // The user-symbol palette's save button is the File menu's command.
  if (TFExpanded* expanded = ExpandedPalette()) expanded->OnSaveSymbol = [this] { RunCommand("ASaveSymbol"); };
  if (chords) chords->OnSaveChord = [this] { SaveChord(false); };
}

int TFProgramModule::PaletteIndex(const std::string& name) const {
  for (int i = 0; i < kToolPageCount; ++i)
    if (SameText(name, kToolPageNames[i])) return i;
  return -1;
}

TPalette* TFProgramModule::PaletteOf(const TECTabSheet* sheet) const {
  if (!sheet) return nullptr;
  for (int i = 0; i < kToolPageCount; ++i)
    if (ToolSheets[i] == sheet) return palettes_[i];
  return nullptr;
}

void TFProgramModule::ScoreClicked(TQSWindow& view) {
  if (TPalette* palette = PaletteOf(ActiveTool())) {
    try {
      palette->InsertToolItem(view, TInsertFrom::Click);
    } catch (const std::exception& e) {
      ShowError(UserErrorText(e));
    }
  }
}

void TFProgramModule::CursorMoved(TQSWindow& view) {
  // Only the current page hears of it: the cursor moves with every key and,
  // while playing, with the music.
  if (destroying_ || !activeTool_) return;
  if (TPalette* palette = PaletteOf(activeTool_)) palette->CursorMoved(view);
}

void TFProgramModule::ItemClicked(TQSWindow& view, TQSCalcItem* item) {
  TPalette* palette = PaletteOf(ActiveTool());
  if (!palette) return;
  try {
    if (item) palette->ItemClick(view, *item);
    else palette->InsertToolItem(view, TInsertFrom::Click);
  } catch (const std::exception& e) {
    ShowError(UserErrorText(e));
  }
}

TQSScore* TFProgramModule::ActiveScore() {
  TFFileEditor* editor = ActiveEditor();
  return editor ? &editor->Score() : nullptr;
}

void TFProgramModule::SoundPitch(int pitch, int ticks, int velocityStep, int mode, TSoundFrom from) {
  (void)velocityStep;  // entered notes sound at the middle velocity
  // Each way of entering has its own switch in the settings.
  const bool sounds = from == TSoundFrom::Piano    ? effects_.PlayPiano
                      : from == TSoundFrom::Guitar ? effects_.PlayGuitar
                                                   : effects_.PlayMouse;
  if (!sounds) return;
  TFFileEditor* editor = ActiveEditor();
  if (!editor) return;
  // A device that cannot be opened has said so once; entry goes on silent.
  if (!OpenMidiOutput()) return;
  // The note-off queue counts 1/128 seconds: a quarter note (256 ticks)
  // sounds a quarter of a second.
  editor->SoundPitch(Ports(), pitch, std::max(1, ticks / 8), std::clamp(mode, 0, 3));
}

void TFProgramModule::PlayNotes(int program, const std::vector<int>& pitches, int ticks) {
  if (!ActiveEditor() || pitches.empty()) return;
  if (!ports_) ports_ = std::make_unique<TMidiPorts>(CreateMidiOutput(devices_.OutputDevice));
  if (!ports_->OpenMidiOutput()) return;
  // The instrument on the first channel, then the notes together; the
  // port closes after the last one.
  ports_->ForwardShort(0xC0, std::clamp(program, 0, 127), 0);
  for (size_t i = 0; i < pitches.size(); ++i)
    ports_->SoundNote(0, static_cast<uint8_t>(std::clamp(pitches[i], 0, 127)),
                      static_cast<uint16_t>(std::clamp(ticks / 8, 1, 0xFFFF)), i + 1 == pitches.size(), 64);
}

void TFProgramModule::SetEntryDuration(int ticks) {
  entryDuration_ = ticks;
  if (DocumentCount() > 0)
    if (TFFileEditor* editor = ActiveEditor()) editor->SetEntryDuration(ticks);
}

void TFProgramModule::PaletteActivated(const std::string& name) {
  const int index = PaletteIndex(name);
  if (index < 0 || !ToolSheets[index]) return;
  // A palette docked on a page that is not shown cannot have been turned
  // to by the user (the window system activates it with the main window).
  if (PaletteAttached(index) && PCTools->ActivePage() != ToolSheets[index]) return;
  if (ToolSheets[index]->TabVisible()) PCTools->SetActivePage(ToolSheets[index]);
  SetActiveTool(ToolSheets[index]);
}

void TFProgramModule::SetPaletteAttached(const std::string& name, bool attached) {
  const int index = PaletteIndex(name);
  if (index >= 0) SetPaletteAttached(index, attached);
}

void TFProgramModule::PaletteKeyDown(uint16_t& key, uint16_t shift) { FormKeyDown(key, shift); }

void TFProgramModule::TogglePlaybackEditor() {
  if (TFFileEditor* editor = DocumentCount() > 0 ? ActiveEditor() : nullptr) editor->TogglePlaybackEditor();
}

void TFProgramModule::ToggleVelocityEditor() {
  if (TFFileEditor* editor = DocumentCount() > 0 ? ActiveEditor() : nullptr) editor->ToggleVelocityEditor();
}

std::vector<TTransposePreset> TFProgramModule::TransposePresets() {
  std::vector<TTransposePreset> presets;
  if (Transports)
    for (const auto& item : Transports->Items)
      presets.push_back({item->Name, item->Values.empty() ? 0 : item->Values.front().Shift});
  return presets;
}

int TFProgramModule::AskCount(const std::string& message, int minimum, int position) {
  return AskCountDialog(settings_ ? &settings_->Ini() : nullptr, message, minimum, position);
}

void TFProgramModule::HidePalette(int page) { ShowPalette(page, false); }

void TFProgramModule::SetLanguage(const char* code) {
  if (TECLanguage* engine = GlobalLanguage()) engine->SetLanguage(code);
  LanguageChanged();
  if (settings_) settings_->Set(tools_, &TToolsSettings::Language, std::string(code));
  if (help_) help_->LanguageChanged();
}

void TFProgramModule::ANewExecute() { NewDocumentFromWizard(); }

void TFProgramModule::AOpenExecute() {
  TOpenDialog dialog(nullptr);
  dialog.Filter = LProgramModule->GetMessage(kOpenFilter);
  dialog.Options = ofAllowMultiSelect | ofFileMustExist | ofPathMustExist;
  dialog.Language = InterfaceLanguage();
  if (!dialog.Execute()) return;
  const std::vector<std::string> files = dialog.Files.empty() ? std::vector<std::string>{dialog.FileName} : dialog.Files;
  for (const std::string& file : files) OpenDocument(file, true);
  ApplyActiveTool();
}

void TFProgramModule::ACloseExecute() { CloseEditor(ActiveEditor()); }

void TFProgramModule::ACloseAllExecute() {
  // A document that refuses stays open; the others still close. Imported
  // files go into the reopen list too.
  for (int i = DocumentCount() - 1; i >= 0; --i) {
    TFFileEditor* editor = Document(i);
    const std::string imported = editor && editor->Imported ? editor->FileName() : std::string();
    if (CloseEditor(editor) && !imported.empty()) AddToReopen(imported);
  }
}

void TFProgramModule::ASaveExecute() {
  if (TFFileEditor* doc = ActiveEditor()) doc->Save();
}

void TFProgramModule::ASaveAsExecute() {
  if (TFFileEditor* doc = ActiveEditor()) doc->SaveAs();
}

void TFProgramModule::AExitExecute() { Close(); }

void TFProgramModule::AUndoExecute() {
  if (TFFileEditor* doc = ActiveEditor()) doc->Score().Undo(1);
}
void TFProgramModule::ARedoExecute() {
  if (TFFileEditor* doc = ActiveEditor()) doc->Score().Redo(1);
}
void TFProgramModule::ACutExecute() {
  if (TQSWindow* view = ActiveScoreWindow()) view->CutToClipboard();
}
void TFProgramModule::ACopyExecute() {
  if (TQSWindow* view = ActiveScoreWindow()) view->CopyToClipboard();
}
void TFProgramModule::APasteExecute() {
  if (TQSWindow* view = ActiveScoreWindow()) view->PasteFromClipboard(0);
}
void TFProgramModule::AToActiveStaffExecute() {
  if (TQSWindow* view = ActiveScoreWindow()) view->PasteFromClipboard(1);
}
void TFProgramModule::AToActiveVoiceExecute() {
  if (TQSWindow* view = ActiveScoreWindow()) view->PasteFromClipboard(2);
}
void TFProgramModule::ADeleteExecute() {
  if (TQSWindow* view = ActiveScoreWindow()) view->DeleteAtCursor(false);
}

void TFProgramModule::ASelectSymbolsAllExecute() {
  if (TFFileEditor* doc = ActiveEditor()) doc->Score().SelectSymbols(0);
}
void TFProgramModule::ASelectSymbolsPieceExecute() {
  if (TFFileEditor* doc = ActiveEditor()) doc->Score().SelectSymbols(1);
}
void TFProgramModule::ASelectSymbolsPartExecute() {
  if (TFFileEditor* doc = ActiveEditor()) doc->Score().SelectSymbols(2);
}
void TFProgramModule::ASelectSymbolsStaffExecute() {
  if (TFFileEditor* doc = ActiveEditor()) doc->Score().SelectSymbols(3);
}
void TFProgramModule::ASelectSymbolsVoiceExecute() {
  if (TFFileEditor* doc = ActiveEditor()) doc->Score().SelectSymbols(4);
}

void TFProgramModule::AAddPieceExecute() {
  if (TFFileEditor* doc = ActiveEditor()) AddPiece(doc->Score());
}
void TFProgramModule::AAddPartExecute() {
  if (TFFileEditor* doc = ActiveEditor()) doc->Score().AddPart();
}
void TFProgramModule::AAddStaffExecute() {
  if (TFFileEditor* doc = ActiveEditor()) AddStaff(doc->Score());
}
void TFProgramModule::AAddVoiceExecute() {
  if (TFFileEditor* doc = ActiveEditor()) AddVoice(doc->Score());
}
void TFProgramModule::ADeletePieceExecute() {
  if (TFFileEditor* doc = ActiveEditor()) DeletePiece(doc->Score());
}
void TFProgramModule::ADeletePartExecute() {
  if (TFFileEditor* doc = ActiveEditor()) DeletePart(doc->Score());
}
void TFProgramModule::ADeleteStaffExecute() {
  if (TFFileEditor* doc = ActiveEditor()) DeleteStaff(doc->Score());
}
void TFProgramModule::ADeleteVoiceExecute() {
  if (TFFileEditor* doc = ActiveEditor()) DeleteVoice(doc->Score());
}

void TFProgramModule::AAddMeasureExecute() {
  TFFileEditor* doc = ActiveEditor();
  int count = 0;
  bool partOnly = false;
  if (doc && AskMeasureCount(settings_ ? &settings_->Ini() : nullptr, count, partOnly))
    InsertMeasures(doc->Score(), count, partOnly);
}
void TFProgramModule::ADeleteMeasureExecute() {
  TFFileEditor* doc = ActiveEditor();
  int count = 0;
  bool partOnly = false;
  if (doc && AskMeasureCount(settings_ ? &settings_->Ini() : nullptr, count, partOnly))
    DeleteMeasures(doc->Score(), count, partOnly);
}
void TFProgramModule::AMeasureUnionExecute() {
  TFFileEditor* doc = ActiveEditor();
  if (!doc) return;
  uint8_t active = 0, style = 0;
  GetMeasureJoinStyle(doc->Score(), active, style);
  TFBarUnion dialog(nullptr);
  dialog.Suppress = true;
  dialog.SetActive(active != 0);
  dialog.SetUnionStyle(style);
  dialog.Suppress = false;
  if (dialog.ShowModal() == mrOk) SetMeasureJoinStyle(doc->Score(), dialog.GetActive() ? 1 : 0, dialog.GetUnionStyle());
}

void TFProgramModule::AMeasurePropertiesExecute() {
  TFFileEditor* doc = ActiveEditor();
  if (!doc) return;
  TQSScore& score = doc->Score();
  uint16_t timeSignature = 0, staveBreak = 0, pageBreak = 0;
  uint8_t joinActive = 0, joinStyle = 0;
  GetMeasureProperties(score, timeSignature, staveBreak, pageBreak, joinActive, joinStyle);
  TFMeasureProperties dialog(nullptr);
  dialog.SetTimeSignature(timeSignature);
  dialog.SetStaveBreak(staveBreak != 0);
  dialog.SetJoinActive(joinActive != 0);
  dialog.SetJoinStyle(joinStyle);
  dialog.SetPageBreak(pageBreak);
  if (dialog.ShowModal() != mrOk) return;
  SetMeasureProperties(score, dialog.GetTimeSignature(), dialog.GetStaveBreak() ? 1 : 0, dialog.GetPageBreak(),
                       dialog.GetJoinActive() ? 1 : 0, dialog.GetJoinStyle());
}

void TFProgramModule::AAddPageExecute() {
  if (TFFileEditor* doc = ActiveEditor())
    doc->Score().SetPageCount(std::max(doc->Score().PageCount, doc->Score().LaidOutPages) + 1);
}
void TFProgramModule::ADeletePageExecute() {
  if (TFFileEditor* doc = ActiveEditor())
    doc->Score().SetPageCount(std::max(std::max(doc->Score().PageCount, doc->Score().LaidOutPages) - 1, 0));
}

void TFProgramModule::AGotoBeginExecute() {
  if (TQSWindow* view = ActiveScoreWindow()) view->GotoScoreStart();
}
void TFProgramModule::AGotoEndExecute() {
  if (TQSWindow* view = ActiveScoreWindow()) view->GotoScoreEnd();
}
void TFProgramModule::AFirstExecute() {
  if (TQSWindow* view = ActiveScoreWindow()) view->GotoPage(0);
}
void TFProgramModule::APrevExecute() {
  if (TQSWindow* view = ActiveScoreWindow()) view->GotoPage(view->CursorPosition.Page - 1);
}
void TFProgramModule::ANextExecute() {
  if (TQSWindow* view = ActiveScoreWindow()) view->GotoPage(view->CursorPosition.Page + 1);
}
void TFProgramModule::ALastExecute() {
  if (TFFileEditor* doc = ActiveEditor()) doc->QSWindow->GotoPage(doc->Score().LaidOutPages - 1);
}

void TFProgramModule::AZoomInExecute() {
  if (TQSWindow* view = ActiveScoreWindow())
    if (view->Zoom < kZoomMax) view->SetZoom(view->Zoom + kZoomStep);
}
void TFProgramModule::AZoomOutExecute() {
  if (TQSWindow* view = ActiveScoreWindow())
    if (view->Zoom > kZoomMin) view->SetZoom(view->Zoom - kZoomStep);
}
void TFProgramModule::AActualScaleExecute() {
  if (TQSWindow* view = ActiveScoreWindow()) view->SetZoom(100);
}

void TFProgramModule::AReverceExecute() {
  if (settings_)
    settings_->Set(tools_, &TToolsSettings::Reverce, !tools_.Reverce);
  else
    tools_.Reverce = !tools_.Reverce;
  SetPlayRepeats(tools_.Reverce);
}

void TFProgramModule::AEnglishExecute() { SetLanguage("ENU"); }
void TFProgramModule::ADeutschExecute() { SetLanguage("DEU"); }
void TFProgramModule::AFrenchExecute() { SetLanguage("FRA"); }
void TFProgramModule::AItalianExecute() { SetLanguage("ITA"); }
void TFProgramModule::ARussianExecute() { SetLanguage("RUS"); }

void TFProgramModule::ANotesExecute() { HidePalette(0); }
void TFProgramModule::ASymbolsExecute() { HidePalette(1); }
void TFProgramModule::AExpandedExecute() { HidePalette(2); }
void TFProgramModule::ATermsExecute() { HidePalette(3); }
void TFProgramModule::AChordsExecute() { HidePalette(4); }
void TFProgramModule::AIntervalsExecute() { HidePalette(5); }
void TFProgramModule::ADesignExecute() { HidePalette(6); }
void TFProgramModule::APianoExecute() { HidePalette(7); }
void TFProgramModule::AGuitarExecute() { HidePalette(8); }
void TFProgramModule::AModifyExecute() { HidePalette(9); }
void TFProgramModule::ANavigatorExecute() { HidePalette(10); }

void RegisterMainWindowForms() {
  RegisterForm("FProgramModule", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFProgramModule>(nullptr, nullptr);
    form->SetWindowState(TWindowState::wsNormal);
    form->NewDocument();
    return form;
  });
}

}  // namespace qs
