#pragma once
// The document window: one score with its view (rulers and page bar
// included), shown inside a tab of the main window's document notebook.
// It reads its score from a file, saves it in the native format or
// exports it as a Standard MIDI File or MusicXML, and asks before a
// modified document closes.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/appclock.h"
#include "platform/forms.h"

namespace qs {

class TECTabSheet;
class TECMenuItem;
class TPanel;
class TQSScore;
class TQSWindow;
class TECFormLanguage;
class TMidiPorts;
struct TQSCalcItem;
struct TEditorSettings;

// The file types of Save As, by the index of the save dialog's filter.
enum class TDocumentFormat { Native = 1, Midi = 2, Karaoke = 3, MusicXml = 4 };
// The format of a file name's extension (anything unknown is native).
TDocumentFormat FormatOfExtension(const std::string& fileName);
// The extension ("sfd", "mid", "kar", "xml") of a format.
const char* ExtensionOfFormat(TDocumentFormat format);
// Whether a file of this name is read as the native format (MIDI and
// MusicXML files are imports).
bool IsNativeFileName(const std::string& fileName);

class TFFileEditor : public TForm {
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
  // A click into the score, after the view placed its cursor there.
  std::function<void(TQSWindow& view)> OnScoreClick;
  // A click that selected an item of the score.
  std::function<void(TQSWindow& view, TQSCalcItem* item)> OnItemClick;
  // Shows an error of a save to the user (the main window's message box).
  std::function<void(const std::string& text)> OnError;

  // Sounds a pitch through ports as the active part plays it (its
  // transposition, a drum staff's channel and key) for countdown 1/128
  // seconds. Mode 0 and 3 begin a group of notes, 2 and 3 end it: the
  // output closes a while after a group's end.
  void SoundPitch(TMidiPorts& ports, int pitch, int countdown, int mode);

  // A short title: the file name without folder and extension.
  std::string Title() const;

 private:
  void StateChanged();
  std::unique_ptr<TQSScore> score_;
  std::string fileName_;
  bool modified_ = false;
};

}  // namespace qs
