#pragma once
// The document window: one score with its view (rulers and page bar
// included), shown inside a tab of the main window's document notebook.
// It reads its score from a file, saves it in the native format or
// exports it as a Standard MIDI File or MusicXML, and asks before a
// modified document closes.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/appclock.h"
#include "platform/forms.h"
#include "playback/editorhosts.h"

namespace qs {

class TECTabSheet;
class TECMenuItem;
class TPanel;
class TQSScore;
class TQSWindow;
class TECFormLanguage;
class TMidiPorts;
class TQSPlayClock;
class TQSPlayer;
class TTimer;
struct TQSCalcItem;
struct TEditorSettings;
struct TRecordingSettings;
struct TPlaySettings;
struct TEffectsSettings;

// A note played on the MIDI input while recording, until it is entered.
struct TRecordedNote {
  uint8_t Key = 0, Velocity = 0;
  // The record clock's tick count at the note-on; once closed, the length
  // in record-clock ticks.
  int Time = 0;
  int Measure = 0, Tick = 0;  // where the note goes
  // 0 received, 1 seen by the entry once, 2 closed (the key was let go).
  uint8_t State = 0;
};

// A recorded key as it is written: octave (key div 12), diatonic step
// 0..6 from C and alteration. Black keys are sharps, except D sharp and A
// sharp, which are the flats of E and B.
struct TRecordedSpelling {
  int Octave = 0, Step = 0, Alteration = 0;
};
TRecordedSpelling SpellRecordedKey(int key);
// The accidental codes a recorded note of this alteration needs where
// inForce is the alteration in force for its step: none when they agree;
// with nothing in force the sharp (52) or flat (50); else the natural
// (54), followed by the note's own sharp or flat when it has one.
std::vector<int> AccidentalModifiers(int alteration, int inForce);

// What a document needs of the main window to play and record.
struct TDocumentPlayHost {
  std::function<TMidiPorts*()> Ports;  // the program's MIDI ports (made on first use)
  const TRecordingSettings* Record = nullptr;
  const TPlaySettings* Play = nullptr;
  const TEffectsSettings* Effects = nullptr;
  std::function<void()> Stop;                                   // the Stop command
  std::function<void(int status, int data1, int data2)> Played;  // a message went out (window thread)
};

// The file types of Save As, by the index of the save dialog's filter.
enum class TDocumentFormat { Native = 1, Midi = 2, Karaoke = 3, MusicXml = 4 };
// The format of a file name's extension (anything unknown is native).
TDocumentFormat FormatOfExtension(const std::string& fileName);
// Makes the window of a floating second view known to the review tools.
void RegisterSideEditorForms();
// The extension ("sfd", "mid", "kar", "xml") of a format.
const char* ExtensionOfFormat(TDocumentFormat format);
// Whether a file of this name is read as the native format (MIDI and
// MusicXML files are imports).
bool IsNativeFileName(const std::string& fileName);

// The kinds of side editor a document shows below its view or in windows
// of their own.
enum class TSideEditorKind : uint8_t { Velocity, Playback, Events, SecondView };

class TFFileEditor : public TForm, public TQSEditorHostOwner {
 public:
  explicit TFFileEditor(TComponent* owner);
  ~TFFileEditor() override;
  const char* ClassName() const override { return "TFFileEditor"; }

  TQSScore& Score() { return *score_; }
  // The panel that holds the view; the main window moves it into the
  // document's tab.
  TPanel* PClient = nullptr;
  TQSWindow* QSWindow = nullptr;
  TECFormLanguage* LFileEditor = nullptr;

  // The document's state.
  const std::string& FileName() const { return fileName_; }
  // Names the document (its caption is the name without folder and
  // extension); does not read anything.
  void SetFileName(const std::string& fileName);
  // The file the document was read from or saved to as a native score.
  bool HasFile = false;
  // The file was read through an import (MIDI, MusicXML): its first Save
  // asks for a native file name.
  bool Imported = false;
  bool Modified() const { return modified_; }
  void SetModified(bool modified);
  // When the document was last read or saved natively.
  TAppTime LastSaveTime = AppNow();
  // The backup settings of native saves (null: no backup copies).
  const TEditorSettings* BackupSettings = nullptr;
  // A score read from an older file format is rewritten in the current one
  // only when the user agrees; false when declined (nothing is written).
  bool ConfirmFormatUpgrade(const std::string& fileName);
  // The score was read from an older version of the native format.
  bool NeedsFormatUpgrade() const;

  // Reads the file into the score (the reader by extension); raises when
  // it cannot be read, and the score is then empty.
  void LoadScore(const std::string& fileName);
  // Writes the score in the format; only a native save clears Modified
  // and names the document. Raises when the file cannot be written (the
  // old file then stays as it was).
  void SaveToFile(const std::string& fileName, TDocumentFormat format);
  // Saves under the document's own native file, or asks for one. False
  // when the user cancelled or the save failed (the error was shown).
  bool Save();
  bool SaveAs();
  // Asks whether to save a modified document: Yes saves (a failed or
  // cancelled save keeps the document open), No closes without saving,
  // Cancel keeps it open. True when the document may close.
  bool CloseDocument();

  // The captions of the undo and redo lists, newest first: what each step
  // did, in the interface language.
  std::vector<std::string> UndoCaptions() const;
  std::vector<std::string> RedoCaptions() const;

  // Where the document lives in the main window.
  TECTabSheet* Sheet = nullptr;
  TECMenuItem* WindowItem = nullptr;

  // Told when Modified, the name or the undo lists change.
  std::function<void(TFFileEditor&)> OnStateChanged;
  // Told when a velocity, playback or event editor opens or closes.
  std::function<void(TFFileEditor&)> OnSideEditorsChanged;
  // A click into the score, after the view placed its cursor there.
  std::function<void(TQSWindow& view)> OnScoreClick;
  // A click that selected an item of the score.
  std::function<void(TQSWindow& view, TQSCalcItem* item)> OnItemClick;
  // The cursor of a view was drawn at its (new) place.
  std::function<void(TQSWindow& view)> OnCursorMoved;
  // Shows an error of a save to the user (the main window's message box).
  std::function<void(const std::string& text)> OnError;

  // Sounds a pitch through ports as the active part plays it (its
  // transposition, a drum staff's channel and key) for countdown 1/128
  // seconds. Mode 0 and 3 begin a group of notes, 2 and 3 end it: the
  // output closes a while after a group's end.
  void SoundPitch(TMidiPorts& ports, int pitch, int countdown, int mode);

  // ------------------------------------------------ playback and recording
  // The main window's side of playing; set before the first Play.
  TDocumentPlayHost PlayHost;
  // The view's player (its play and record threads).
  TQSPlayer& Player();
  // The clock the player paces its threads by (nullptr: the system clock),
  // for rendering and tests; set while nothing plays. It must outlive the
  // document.
  void SetPlayClock(TQSPlayClock* clock);
  // Play from the cursor, with the metronome and click velocities of the
  // settings; the cursor follows the play position.
  void StartPlayback();
  // Record from the cursor with the recording settings.
  void StartRecording();
  // Stops playing or recording; notes still held are dropped.
  void StopPlayback();
  // A message of the MIDI input while recording (window thread).
  void RecordMidiInput(int status, int key, int velocity);
  // Enters the recorded notes whose key was let go (the main window's timer).
  void EnterRecordedNotes();
  // A message the view's player sends (any thread): to the MIDI output;
  // the end message stops playback.
  void PlayShort(int status, int data1, int data2);
  void PlayLong(const uint8_t* data, uint16_t size);
  // The view's dragged note sounds (with [Effects] PlayDrag).
  void PlayNote(int channel, int instrument, int key, int length, int velocity);
  // The view plays or records.
  bool Busy() const;
  bool StopRequested = false;
  std::vector<TRecordedNote> RecordedNotes;
  // Every 10 ms while playing or recording.
  TTimer* TFileEditor = nullptr;

  // ------------------------------------------------------- side editors
  // Opens the editor of the kind (closing a docked other one), or closes
  // it when it is open.
  void ToggleVelocityEditor() { ToggleSideEditor(TSideEditorKind::Velocity); }
  void TogglePlaybackEditor() { ToggleSideEditor(TSideEditorKind::Playback); }
  void ToggleEventEditor() { ToggleSideEditor(TSideEditorKind::Events); }
  void ToggleSecondWindow() { ToggleSideEditor(TSideEditorKind::SecondView); }
  void ToggleSideEditor(TSideEditorKind kind);
  bool HasSideEditor(TSideEditorKind kind) const;
  TControl* SideEditor(TSideEditorKind kind) const;
  // The host window of a floating editor, or null when it is docked.
  TCustomForm* SideEditorHost(TSideEditorKind kind) const;
  // Docked below the view (true) or floating in windows of their own;
  // docked, only the last editor of the list stays.
  bool AttachedEditors() const { return attachedEditors_; }
  void SetAttachedEditors(bool value);
  void MoveEditorToEnd(TControl* editor);
  // The editors refilled from the score and following the cursor.
  void RefillVelocityEditors();
  void RefillPlaybackEditors();
  void SyncSideEditors();
  // The entry duration the piano roll shows.
  void SetEntryDuration(int ticks);
  // The note value a click into the piano roll enters (0: none).
  std::function<int()> EntryDuration;
  // A click into the piano roll with a duration armed: a note there.
  void PlaybackInsertNote(int measure, int tick, int pitch);
  void EventSelectionChanged();
  void CBAddEventClick();
  void CBEditEventClick();
  void CBDeleteEventClick();
  // What the host windows ask.
  void EditorButtonClick(TObject* sender, const char* name) override;
  void EditorButtonMouse(TObject* sender, const char* name, bool down, TMouseButton button,
                         TShiftState shift) override;
  void DockEditor(TControl* editor) override;
  void RemoveEditor(TControl* editor) override;
  void FormKeyDown(TObject* sender, uint16_t& key, TShiftState shift) override;
  // Keys typed in a side editor or its window go to the main window.
  std::function<void(uint16_t& key, TShiftState shift)> OnEditorKey;
  TTimer* TClick = nullptr;

  // A short title: the file name without folder and extension.
  std::string Title() const;

 private:
  void StateChanged();
  void ConnectPlayback();
  void BuildSideEditorPanels();
  void PlaceEditorPanels();
  void DockSideEditor(TControl* editor, TSideEditorKind kind);
  void CloseSideEditor(size_t index);
  void RepeatTick();
  struct TSideEditor {
    TSideEditorKind Kind;
    TControl* Editor;
    TQSEditorHost* Host;  // null while docked
  };
  std::vector<TSideEditor> editors_;
  bool attachedEditors_ = true;
  bool switching_ = false;
  TControl* SEditor = nullptr;
  TControl* editorPanels_[4] = {};
  std::string repeatButton_;
  bool repeatArmed_ = false;
  void DocumentTimer();
  void FinishPlay();
  std::unique_ptr<TQSScore> score_;
  std::unique_ptr<TQSPlayer> player_;
  TQSPlayClock* playClock_ = nullptr;
  // The ports the threads send to, fixed when playing starts.
  std::atomic<TMidiPorts*> playPorts_ = nullptr;
  // Gone with the document, for what the threads queued.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  std::string fileName_;
  bool modified_ = false;
};

}  // namespace qs
