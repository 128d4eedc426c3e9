#pragma once
// The main window: the menu bar and tool bars made from the command
// table, the tool notebook with the palettes' pages, and the document
// notebook with one tab per open score. It opens, saves and closes the
// documents, keeps the commands' states in step with the active document
// and remembers its size and state in the settings.
#include <memory>
#include <string>
#include <vector>

#include "app/autosave.h"
#include "app/mainsettings.h"
#include "app/reopenlist.h"
#include "help/lessonplayer.h"
#include "palettes/effects.h"
#include "palettes/palette.h"
#include "platform/forms.h"
#include "uikit/settings.h"

namespace qs {

class TAction;
class TActionList;
class TECFormLanguage;
class TECContextMenu;
class TECMenu;
class TECMenuItem;
class TECPageControl;
class TECPopupMenu;
class TECTabSheet;
class TFChords;
class TFFileEditor;
class TMidiPorts;
class TProgramHelp;
class TTrackBar;
class TMainThread;
class TQSInstruments;
class TQSTransports;
class TQSWindow;
class TTimer;
class TFRecording;
class TFExpanded;
class TQSToolPage;
class TFPlaying;
struct TCommand;

// The main window is the palettes' host: they reach the active document,
// the MIDI output and the keyboard dispatcher through it.
class TFProgramModule : public TForm, public TPaletteHost, public TLessonHost {
 public:
  // settings may be null (then nothing is stored).
  TFProgramModule(TComponent* owner, TSettings* settings);
  ~TFProgramModule() override;
  const char* ClassName() const override { return "TFProgramModule"; }

  // ------------------------------------------------------------ parts
  TECMenu* MMProgramModule = nullptr;
  std::vector<TECMenu*> ToolBars;  // MTFile, MTEdit, MTTools
  TECPageControl* PCTools = nullptr;
  TECPageControl* PCFiles = nullptr;
  TECTabSheet* ToolSheets[kToolPageCount] = {};
  TECMenuItem* MIWindow = nullptr;
  TActionList* ALProgram = nullptr;
  TECFormLanguage* LProgramModule = nullptr;
  TTrackBar* TBTempo = nullptr;   // the tempo of playback in percent, 25..200
  TTrackBar* TBVolume = nullptr;  // the MIDI output's volume, 0..65535

  // The action made from a command row, by name (null for none).
  TAction* FindAction(const std::string& name) const;
  // Runs a command by name when it is enabled; an error it raises is shown
  // in the program's message box. False when it did not run.
  bool RunCommand(const std::string& name);

  // ------------------------------------------------------------ documents
  // The active document (the first tab is made active when none is), or
  // null without documents.
  TFFileEditor* ActiveEditor();
  // The active document's view, or null; never activates a tab.
  TQSWindow* ActiveScoreWindow() const;
  int DocumentCount() const;
  TFFileEditor* Document(int index) const;
  // Opens a file in a new tab. An already open native document: with ask
  // the user may reload it, else nothing happens. A file that cannot be
  // read leaves no tab and its error is shown. Returns the document, or
  // null when nothing was opened.
  TFFileEditor* OpenDocument(const std::string& fileName, bool ask);
  // A new document from the saved default score, else the built-in one.
  TFFileEditor* NewDocument();
  // File > New: the new-score wizard; null when the user cancels.
  TFFileEditor* NewDocumentFromWizard();
  // A new untitled document of the editor's score, shown in a tab.
  TFFileEditor* AddNewDocument(std::unique_ptr<TFFileEditor> editor);
  // Asks to save a modified document; true when it was closed.
  bool CloseEditor(TFFileEditor* editor);
  // Opens the score files among the arguments; "/a" then plays and "/p"
  // prints the document opened last.
  void ProcessCommandLine(const std::vector<std::string>& arguments);

  // ------------------------------------------------------------ settings
  // Read in FormCreate's order; the file may be null.
  TMainSettings Settings;
  // The preset libraries new scores take their parts from.
  std::unique_ptr<TQSTransports> Transports;
  std::unique_ptr<TQSInstruments> Instruments;
  // A new or imported document's score gets the drum styles and the drum
  // map ("DrumMap.ini").
  void ApplyDrumSettings(TFFileEditor& editor);

  // ------------------------------------------------------------ reopen list
  TReopenList Reopen;
  TECMenuItem* MIReopen = nullptr;
  // The drop-down list of the Open tool button, a copy of the menu.
  TECContextMenu* CMReopen = nullptr;
  void LoadReopenList();
  void SaveReopenList();
  void AddToReopen(const std::string& fileName);
  void RemoveFromReopen(const std::string& fileName);
  // The Reopen menu shows the list.
  void MirrorReopenList();
  void ReopenItemClick(const std::string& fileName);

  // ------------------------------------------------------------ main timer
  TTimer* TMain = nullptr;
  TAutoSaver AutoSaver;
  // Auto-save and the splash's end, at every tick of TMain.
  void TMainTimer();

  // ------------------------------------------------------------ tool pages
  TECTabSheet* ActiveTool();
  void SetActiveTool(TECTabSheet* sheet);
  // The current tool page's tool reaches the active document.
  void ApplyActiveTool();
  // Enables, disables and checks the commands from the active document.
  void UpdateActionStates();
  // The palette shown on a tool page, or null (a page not built yet).
  TPalette* PaletteOf(const TECTabSheet* sheet) const;
  // A palette docks in its tool page or floats in a window of its own
  // (pages 0 .. 12); the choice is kept in the settings.
  void SetPaletteAttached(int page, bool attached);
  bool PaletteAttached(int page) const;
  // Shows or hides a palette where it lives (its page or its window), as
  // its check item of the Windows menu does.
  void ShowPalette(int page, bool visible);
  bool PaletteShown(int page) const;

  // ------------------------------------------------------------ keyboard
  // The keyboard dispatcher: sees every key of the main window and of the
  // palettes first. Bookmarks (Ctrl+digit go, Ctrl+Shift+digit set), F1,
  // Insert, Alt+digit (document tab), the command table's shortcuts, then
  // the current tool page's own keys. Sets key to 0 when it acted.
  void FormKeyDown(uint16_t& key, TShiftState shift);
  // Insert and overwrite alternate (kept in the settings; the view's
  // status line shows the mode).
  void ToggleAddState();
  bool InsertMode() const;
  // Enter or Space typed just before on a page that enters notes, else 0.
  uint16_t KeyPrefix() const { return keyPrefix_; }

  // ------------------------------------------------------------ edit lists, bars
  // The undo (redo) history below the tool bar; choosing line i takes i + 1
  // steps back (forward). Returns the list, null without a document.
  TECPopupMenu* ShowUndoList(bool redo);
  // The hint of the tempo bar and its position from the active view.
  void UpdateTempoHint();
  // What the track bars do when moved, and a click below their track.
  void TBTempoChange();
  void TBVolumeChange();
  static int VolumeAtClick(int x, int clientWidth);
  static int TempoAtClick(int x, int clientWidth, int leftOffset, int min, int max);

  // ------------------------------------------------------------ palettes
  TQSScore* ActiveScore() override;
  void SoundPitch(int pitch, int ticks, int velocityStep, int mode, TSoundFrom from) override;
  void PlayNotes(int program, const std::vector<int>& pitches, int ticks) override;
  void SetEntryDuration(int ticks) override;
  void PaletteActivated(const std::string& name) override;
  void SetPaletteAttached(const std::string& name, bool attached) override;
  void PaletteDropped(const std::string& name, int x, int y) override;
  void PaletteKeyDown(uint16_t& key, uint16_t shift) override;
  int AskCount(const std::string& message, int minimum, int position) override;
  void TogglePlaybackEditor() override;
  void ToggleVelocityEditor() override;
  std::vector<TTransposePreset> TransposePresets() override;

  bool CloseQuery() override;

  // ------------------------------------------------------------ commands
  void ANewExecute();
  void AOpenExecute();
  void ACloseExecute();
  void ACloseAllExecute();
  void ASaveExecute();
  void ASaveAsExecute();
  void AExitExecute();
  // Exports, printing, preview, e-mail and About (printing.cpp,
  // preview.cpp, mail.cpp, about.cpp).
  void AExportImageExecute();
  void AExportPDFExecute();
  void AExportWaveExecute();
  void APrintExecute();
  void APreviewExecute();
  void AMailToExecute();
  void AAboutExecute();
  void AUndoExecute();
  void ARedoExecute();
  void ACutExecute();
  void ACopyExecute();
  void APasteExecute();
  void AToActiveStaffExecute();
  void AToActiveVoiceExecute();
  void ADeleteExecute();
  void ASelectSymbolsAllExecute();
  void ASelectSymbolsPieceExecute();
  void ASelectSymbolsPartExecute();
  void ASelectSymbolsStaffExecute();
  void ASelectSymbolsVoiceExecute();
  void AAddPieceExecute();
  void AAddPartExecute();
  void AAddStaffExecute();
  void AAddVoiceExecute();
  void ADeletePieceExecute();
  void ADeletePartExecute();
  void ADeleteStaffExecute();
  void ADeleteVoiceExecute();
  void AAddMeasureExecute();
  void ADeleteMeasureExecute();
  void AMeasureUnionExecute();
  void AMeasurePropertiesExecute();
  void ACompositionPropertiesExecute();
  void APiecePropertiesExecute();
  void APartPropertiesExecute();
  void AStaffPropertiesExecute();
  void AVoicePropertiesExecute();
  void AAddPageExecute();
  void ADeletePageExecute();
  void AGotoBeginExecute();
  void AGotoEndExecute();
  void AFirstExecute();
  void APrevExecute();
  void ANextExecute();
  void ALastExecute();
  void AZoomInExecute();
  void AZoomOutExecute();
  void AActualScaleExecute();
  void AReverceExecute();
  void ADrumMapExecute();
  // The user symbols (symbolcommands.cpp).
  void ASaveSymbolExecute();
  void ASaveSymbolAsExecute();
  void ASymbolListExecute();
  void AChordListExecute();
  void AGuitarsExecute();
  void ASaveChordExecute();
  void ASaveChordAsExecute();
  void AEnglishExecute();
  void ADeutschExecute();
  void AFrenchExecute();
  void AItalianExecute();
  void ARussianExecute();
  void AReferencesExecute();
  void AHelperExecute();
  void AQuickTourExecute();
  void ANewsExecute();
  // The help and news of the main window (null while it is built).
  TProgramHelp* Help() const { return help_.get(); }
  // The hidden palette keys: each hides its palette's page.
  void ANotesExecute();
  void ASymbolsExecute();
  void AExpandedExecute();
  void ATermsExecute();
  void ATermListExecute();
  void ATempoExecute();
  void AChordsExecute();
  void AIntervalsExecute();
  void ADesignExecute();
  void APianoExecute();
  void AGuitarExecute();
  void AModifyExecute();
  void ANavigatorExecute();
  void AHideExecute();
  void AContentsExecute();
  void ASelectDesignAllExecute();
  void ASelectDesignPageExecute();
  // The dynamics and expressions settings, as a dialog (scorecommands.cpp).
  void ADynamicExecute();
  // The cursor's staff changes places with its neighbour in its part, or,
  // in a part of one staff, the part with its neighbour in the piece; one
  // undo step.
  void AMoveUpExecute();
  void AMoveDownExecute();
  // Bookmarks 0-9 of the active view, the ones the Ctrl+digit keys use:
  // the Edit menu's two submenus choose one and run the command with it;
  // run without a choice the commands do nothing.
  void AToggleBookmarksExecute();
  void AGotoBookmarksExecute();
  void ChooseBookmark(bool set, int index);
  TPlaybackValues PlaybackValues() override;

  // ------------------------------------------------ playback and recording
  void APlayExecute();
  void AStopExecute();
  void ARecordExecute();
  bool IsPlaying() const { return playing_; }
  bool IsRecording() const { return recording_; }
  // The program's MIDI ports on the devices of the settings (made on first
  // use; a device that is gone gives the built-in synthesizer, said once).
  TMidiPorts& Ports();
  bool OpenMidiOutput();
  void CloseMidiOutput();
  bool OpenMidiInput();
  void CloseMidiInput();
  // The devices change: the ports are made again on next use.
  void SetMidiDevices(const std::string& output, const std::string& input);
  const TDevicesSettings& Devices() const { return devices_; }
  // A message playback sent: lights the piano keys and the fretboard.
  void ShowPlayedNote(int status, int data1, int data2);
  // Playback ended: the piano's lit keys go out.
  void PutOutPlayedKeys();
  // The recording and playing settings; each setter writes its key.
  void SetRecordQuantize(int ticks);
  void SetRecordRealTime(bool value);
  void SetRecordMetronome(bool value);
  void SetTwoHands(bool value);
  void SetPlayMetronome(bool value);
  const TRecordingSettings& RecordSettings() const { return record_; }
  const TPlaySettings& PlaySettings() const { return play_; }
  // The settings dialog; the first-run dialog (start-up shows it once).
  void ASettingsExecute();
  // The settings file holds new note names: the program, the open scores
  // and the piano's keys take them.
  void NoteNamesChanged();
  void ShowFirstRunDialog();
  // Takes the values the settings file holds now.
  void ReloadSettings();
  // The Chords palette, which keeps the chord library; null before the
  // palettes are made.
  TFChords* ChordsPalette() const;

 private:
  // The selected notes as a new library chord (exportMode: into a chord
  // file of the user's choice instead).
  void SaveChord(bool exportMode);
  void BuildActions();
  void BuildMenus();
  void BuildNotebooks();
  void BuildPalettes();
  // The user-symbol palette, or null.
  TFExpanded* ExpandedPalette() const;
  // The active view's selected page graphics as a new user symbol, in
  // the library or (exportMode) in a file of the user's choice.
  void SaveSelectionAsSymbol(bool exportMode);
  void PlaceToolBars();
  // The tool page of a palette by its name, or -1.
  int PaletteIndex(const std::string& name) const;
  // A click into the active document's score, or on one of its items,
  // goes to the palette of the current tool page.
  void ScoreClicked(TQSWindow& view);
  void ItemClicked(TQSWindow& view, TQSCalcItem* item);
  void CursorMoved(TQSWindow& view);
  // The view's own mouse presses: the current palette may draw or place
  // page objects, and a double click edits the picture under it
  // (viewmouse.cpp).
  void ConnectViewMouse(TQSWindow& view);
  // The menu item of a command (named prefix + the name without its "A"),
  // a submenu of the menu layout, or "-" a separator.
  TECMenuItem* MenuItemFor(const std::string& name, const char* prefix = "MI");
  void AddDocument(TFFileEditor* editor);
  void RemoveDocument(TFFileEditor* editor);
  void ShowError(const std::string& text);
  void DocumentStateChanged(TFFileEditor& editor);
  void SetLanguage(const char* code);
  void HidePalette(int page);
  void StoreWindowPlacement();
  void RestoreWindowPlacement();
  void WindowMenuShow();
  // The main timer's entry of the notes played while recording.
  void EnterRecordedNotes();
  void AddSideEditorItems();
  // The keys of the Recording and Playing pages while one is current.
  bool PlayPageKey(uint16_t key, TShiftState shift);
  void UpdateSideEditorItems();
  void StopPlayAndRecord();
  // The repeats of a playing document follow the Repeats command.
  void SetPlayRepeats(bool value);
  void ConnectDocumentPlay(TFFileEditor* editor);
  void MidiInputArrived();
  void ShowToolPage(int page, TQSToolPage* form);
  void EndToolPage(int page);
  // The Playing page shows the play time of the score at the bar's tempo.
  void ShowFullPlayTime();

  bool playing_ = false, recording_ = false;
  // The tool page active before the Recording or Playing page came.
  TECTabSheet* toolBeforePlay_ = nullptr;
  TFRecording* recordingPage_ = nullptr;
  TFPlaying* playingPage_ = nullptr;
  // The note value the palettes would enter, for the piano rolls.
  int entryDuration_ = 0;
  void BuildWindowMenu();
  void BuildTrackBars();
  // The tear-off of a palette by dragging its tab out of the tool notebook.
  void ToolsMouseDown(int x, int y);
  void ToolsMouseUp(int x, int y);
  bool OverTools(TPoint screen) const;
  // The tear-off of the tool tabs, the document tabs' context menu and
  // what a document brings along when its tab becomes active.
  void HookNotebooks();
  void DocumentActivated();
  // The open documents' status line and letters follow the language.
  void LanguageChanged();
  // The quick entry of the pages without keys of their own; true when the
  // key acted.
  bool QuickEntryKey(uint16_t key, uint16_t prefix);
  // The steps of start-up after the palettes, and of shut-down before the
  // documents go.
  void LoadLibraries();
  void FinishCreation();
  void ShutDown();
  void SaveToolBars();
  // Every document, in tab order.
  std::vector<TFFileEditor*> Documents() const;

  TSettings* settings_;
  TToolsSettings& tools_ = Settings.Tools;
  TMainWindowSettings& mainSettings_ = Settings.Window;
  TEffectsSettings& effects_ = Settings.Effects;
  TDevicesSettings& devices_ = Settings.Devices;
  TRecordingSettings& record_ = Settings.Record;
  TPlaySettings& play_ = Settings.Play;
  std::unique_ptr<TMainThread> mainThread_;
  TAppTime createdAt_{};
  TPalette* palettes_[kToolPageCount] = {};
  // The MIDI output entered notes sound through, opened on first use.
  std::unique_ptr<TMidiPorts> ports_;
  std::vector<std::pair<const TCommand*, TAction*>> actions_;
  TECTabSheet* activeTool_ = nullptr;
  std::unique_ptr<TProgramHelp> help_;
  uint16_t keyPrefix_ = 0;
  bool tempoBusy_ = false;
  // The tool bars are being placed (the band's own resize comes back).
  bool placingBars_ = false;
  // A drag that began on a tab of the tool notebook.
  int toolDragPage_ = -1;
  TPoint toolDragStart_;
  // The bookmark chosen in the Edit menu for the command that runs next.
  int chosenBookmark_ = -1;
  void BuildBookmarkMenus();
  bool creating_ = true;
  bool destroying_ = false;
  // The lesson running or just ended (freed at the next main timer tick),
  // whether its modal callouts are shown as timed ones, and whether the
  // lesson list is due again.
  std::unique_ptr<TLessonPlayer> lesson_;
  bool continueWithoutStop_ = false;
  bool lessonEnded_ = false;

 public:
  // Lessons: a script "Ticher/<name>.xml" run on the program (nothing when
  // it is missing or a lesson runs); the lesson list in the Helper.
  void StartLesson(const std::string& name);
  void ShowLessons();
  bool LessonRunning() const { return lesson_ && lesson_->Running(); }
  void StopLesson();
  TLessonPlayer* Lesson() const { return lesson_.get(); }
  // The main timer's share: callout time-outs, the ended lesson freed and
  // the list shown again.
  void LessonTimer();
  // TLessonHost
  TCustomForm* FindFormByName(const std::string& name) override;
  void OpenLessonSample(const std::string& formName, int kind) override;
  bool ContinueWithoutStop() const override { return continueWithoutStop_; }
  void SetContinueWithoutStop(bool on) override { continueWithoutStop_ = on; }
  void LessonEnded() override { lessonEnded_ = true; }
};

// The one main window while it exists.
TFProgramModule* ProgramModule();

// Makes the main window known to the review tools (formshot).
void RegisterMainWindowForms();

}  // namespace qs
