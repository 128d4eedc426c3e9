#include "app/fileeditor.h"

#include <algorithm>

#include "app/backups.h"
#include "app/documentscore.h"
#include "app/pageviewer.h"
#include "base/filemessages.h"
#include "base/safefile.h"
#include "base/stream.h"
#include "base/strings.h"
#include "chords/chordname.h"
#include "editing/drags.h"
#include "editing/rulers.h"
#include "editing/undotexts.h"
#include "editing/viewcommands.h"
#include "interchange/midi_export.h"
#include "interchange/musicxml.h"
#include "palettes/terms.h"
#include "playback/noteports.h"
#include "playback/eventeditor.h"
#include "playback/player.h"
#include "playback/playwalker.h"
#include "platform/dialogs.h"
#include "platform/extctrls.h"
#include "score/score.h"
#include "uikit/catalogue.h"
#include "uikit/formparts.h"
#include "uikit/messagebox.h"
#include "view/window.h"

namespace qs {

namespace {

// The document window's numbered messages (its language record).
enum TFileEditorMessage {
  kSaveQuestion = 0,  // "%s" has changed: save it?
  kSaveTitle = 1,
  kSaveFilter = 2,    // the four types of Save As, in TDocumentFormat's order
  kSaveFailed = 3,    // the file "%s" could not be saved (the reason follows)
  kUpgradeQuestion = 4,  // "%s" is in an older format: save it in the current one?
  kUpgradeTitle = 5,
};

// Files of a version below this were written by older versions of the
// format.
constexpr uint16_t kFirstCurrentFileVersion = 1024;

}  // namespace

TDocumentFormat FormatOfExtension(const std::string& fileName) {
  const std::string ext = LowerCase(ExtractFileExt(fileName));
  if (ext == ".mid" || ext == ".midi" || ext == ".rmi") return TDocumentFormat::Midi;
  if (ext == ".kar") return TDocumentFormat::Karaoke;
  if (ext == ".xml" || ext == ".musicxml" || ext == ".mxl") return TDocumentFormat::MusicXml;
  return TDocumentFormat::Native;
}

const char* ExtensionOfFormat(TDocumentFormat format) {
  switch (format) {
    case TDocumentFormat::Midi: return "mid";
    case TDocumentFormat::Karaoke: return "kar";
    case TDocumentFormat::MusicXml: return "xml";
    case TDocumentFormat::Native: break;
  }
  return "sfd";
}

bool IsNativeFileName(const std::string& fileName) {
  return FormatOfExtension(fileName) == TDocumentFormat::Native;
}

TFFileEditor::TFFileEditor(TComponent* owner) : TForm(owner), score_(std::make_unique<TQSScore>()) {
  // Every document window has a name of its own; they share one record of
  // the language file.
  static int serial = 0;
  SetName("FFileEditor" + std::to_string(++serial));
  SetBounds(0, 0, 800, 600);
  SetUpDocumentScore(*score_);
  AnswerChordText(*score_);
  // Inscriptions that the expression library knows play as dynamics or
  // tempo changes.
  AnswerTerms(*score_);
  PClient = Make<TPanel>(this, this, "PClient", 0, 0, 800, 600);
  PClient->SetAlign(alClient);
  PClient->SetBevelOuter(bvNone);
  QSWindow = Make<TQSWindow>(this, PClient, "QSWindow", 0, 0, 800, 600);
  QSWindow->SetAlign(alClient);
  QSWindow->SetScore(score_.get());
  // The keys edit: moves, stems, sizes, deletion; dragging changes pitches
  // and shapes; the insertion tools' drawings become items; ruler markers
  // change the spacing.
  ConnectViewCommands(*QSWindow, *score_);
  ConnectDragCommands(*QSWindow);
  ConnectToolCommands(*QSWindow);
  ConnectRulerSpacing(*QSWindow);
  ConnectPageChooser(*QSWindow, this);
  QSWindow->OnScoreClick = [this](TObject*) {
    if (OnScoreClick) OnScoreClick(*QSWindow);
  };
  QSWindow->OnItemClick = [this](TObject*, TQSCalcItem* item) {
    if (OnItemClick) OnItemClick(*QSWindow, item);
  };
  // Every edit leaves an undo record: the document is modified.
  score_->OnUndoChanged = [this](TObject*) {
    modified_ = true;
    StateChanged();
  };
  ConnectPlayback();
  BuildSideEditorPanels();
  // The side editors show what a layout pass made and where the cursor is.
  score_->OnRecalculate = [this](TObject*) {
    RefillVelocityEditors();
    RefillPlaybackEditors();
  };
  // What can be cut, copied or saved as a symbol follows the selection.
  QSWindow->OnSelectedChanged = [this](TObject*) {
    SyncSideEditors();
    if (OnStateChanged) OnStateChanged(*this);
  };
  QSWindow->OnCursorChanged = [this](TObject*, bool visible) {
    for (TSideEditorKind kind : {TSideEditorKind::Events})
      if (auto* events = dynamic_cast<TQSEventEditor*>(SideEditor(kind))) events->ShowCursor(visible);
    if (visible && OnCursorMoved) OnCursorMoved(*QSWindow);
  };
  LFileEditor = new TECFormLanguage(this);
  LFileEditor->SetName("LFileEditor");
  LFileEditor->FormName = "FFileEditor";
  LFileEditor->SetExLanguage(kDefaultLanguage);
  LFileEditor->Loaded();
}

TFFileEditor::~TFFileEditor() {
  // The view goes before the score it shows.
  score_->OnUndoChanged = nullptr;
  score_->OnRecalculate = nullptr;
  // A second view leaves the score before it goes.
  while (!editors_.empty()) CloseSideEditor(editors_.size() - 1);
  // The threads end before the view they play through.
  player_.reset();
  alive_.reset();
  BeginDestroy();
}

void TFFileEditor::SetFileName(const std::string& fileName) {
  fileName_ = fileName;
  SetCaption(Title());
  StateChanged();
}

void TFFileEditor::SoundPitch(TMidiPorts& ports, int pitch, int countdown, int mode) {
  if (!QSWindow) return;
  int channel = 0, key = pitch + QSWindow->ActivePartTransposition();
  // A percussion staff plays on the drum channel with the drum map's key.
  score_->MapDrumNote(0, channel, key);
  ports.SoundNote(static_cast<uint8_t>(channel & 0x0F), midi::DataByte(key),
                  static_cast<uint16_t>(std::clamp(countdown, 1, 0xFFFF)), mode == 2 || mode == 3, 64);
}

std::string TFFileEditor::Title() const {
  const std::string name = ExtractFileName(fileName_);
  const std::string ext = ExtractFileExt(name);
  return name.substr(0, name.size() - ext.size());
}

void TFFileEditor::SetModified(bool modified) {
  if (modified_ == modified) return;
  modified_ = modified;
  StateChanged();
}

void TFFileEditor::StateChanged() {
  if (OnStateChanged) OnStateChanged(*this);
}

void TFFileEditor::LoadScore(const std::string& fileName) {
  // A folder, a pipe or a device is refused as what it is.
  CheckIsRegularFile(fileName);
  if (!FileExists(fileName)) throw EFOpenError(CatalogueText(TMessageId::NoSuchFile));
  try {
    score_->LoadFromFile(fileName);
    if (score_->LaidOutPages == 0) score_->Recalculate(0);
  } catch (...) {
    score_->ClearUndo();
    throw;
  }
  score_->ClearUndo();
  score_->ClearRedo();
  modified_ = false;
  LastSaveTime = AppNow();
  StateChanged();
}

void TFFileEditor::SaveToFile(const std::string& fileName, TDocumentFormat format) {
  switch (format) {
    case TDocumentFormat::Midi:
    case TDocumentFormat::Karaoke:
      SafeSaveFile(fileName, [this](TStream& s) { ExportMidiFile(*score_, s); });
      return;
    case TDocumentFormat::MusicXml:
      SafeSaveFile(fileName, [this](TStream& s) { ExportMusicXml(*score_, s); });
      return;
    case TDocumentFormat::Native:
      break;
  }
  // The old file is copied first; the score then writes a temporary file
  // beside the target and renames it.
  if (BackupSettings) MakeBackupCopy(fileName, *BackupSettings);
  score_->SaveToFile(fileName);
  LastSaveTime = AppNow();
  Imported = false;
  HasFile = true;
  modified_ = false;
  SetFileName(fileName);
}

bool TFFileEditor::Save() {
  // An imported file is never overwritten with the native format: its
  // first save asks for a name.
  if (!HasFile || Imported || !IsNativeFileName(fileName_)) return SaveAs();
  if (!ConfirmFormatUpgrade(fileName_)) return false;
  try {
    SaveToFile(fileName_, TDocumentFormat::Native);
    return true;
  } catch (const std::exception& e) {
    if (OnError) OnError(Format(LFileEditor->GetMessage(kSaveFailed).c_str(), fileName_.c_str()) + "\n" + UserErrorText(e));
    return false;
  }
}

bool TFFileEditor::SaveAs() {
  TSaveDialog dialog(nullptr);
  dialog.Filter = LFileEditor->GetMessage(kSaveFilter);
  dialog.FilterIndex = static_cast<int>(TDocumentFormat::Native);
  dialog.DefaultExt = ExtensionOfFormat(TDocumentFormat::Native);
  dialog.Language = InterfaceLanguage();
  const std::string stem = fileName_.substr(0, fileName_.size() - ExtractFileExt(fileName_).size());
  dialog.FileName = stem + "." + ExtensionOfFormat(TDocumentFormat::Native);
  if (!dialog.Execute()) return false;
  const int index = dialog.FilterIndex;
  TDocumentFormat format = index >= 1 && index <= 4 ? static_cast<TDocumentFormat>(index) : TDocumentFormat::Native;
  std::string name = dialog.FileName;
  const std::string ext = LowerCase(ExtractFileExt(name));
  if (ext.empty()) {
    name += std::string(".") + ExtensionOfFormat(format);
  } else if (FormatOfExtension(name) != TDocumentFormat::Native || ext == std::string(".") + ExtensionOfFormat(TDocumentFormat::Native)) {
    // A name typed with the extension of one of the types is saved as that
    // type, whatever the filter: a score file named ".xml" would not open
    // again as the MusicXML its name promises.
    format = FormatOfExtension(name);
  }
  if (format == TDocumentFormat::Native && !ConfirmFormatUpgrade(name)) return false;
  try {
    SaveToFile(name, format);
  } catch (const std::exception& e) {
    if (OnError) OnError(Format(LFileEditor->GetMessage(kSaveFailed).c_str(), name.c_str()) + "\n" + UserErrorText(e));
    return false;
  }
  // An export leaves the document as it was: only a native save counts.
  return format == TDocumentFormat::Native;
}

bool TFFileEditor::NeedsFormatUpgrade() const { return score_->FileVersion < kFirstCurrentFileVersion; }

bool TFFileEditor::ConfirmFormatUpgrade(const std::string& fileName) {
  if (!NeedsFormatUpgrade()) return true;
  return ShowMessageBlock(LFileEditor->GetMessage(kUpgradeTitle),
                          Format(LFileEditor->GetMessage(kUpgradeQuestion).c_str(), fileName.c_str()),
                          kMessageQuestion, kMessageYes | kMessageNo) == mrYes;
}

bool TFFileEditor::CloseDocument() {
  if (modified_) {
    const int answer =
        ShowMessageBlock(LFileEditor->GetMessage(kSaveTitle),
                         Format(LFileEditor->GetMessage(kSaveQuestion).c_str(), Title().c_str()), kMessageQuestion,
                         kMessageYes | kMessageNo | kMessageCancel);
    if (answer == mrCancel) return false;
    // A save that failed or was cancelled keeps the document open.
    if (answer == mrYes && !Save()) return false;
  }
  return true;
}

namespace {

// Newest first: what each step did in the interface language, else the
// record's own caption.
std::vector<std::string> StepNames(const std::vector<std::unique_ptr<TQSUndoRecord>>& records) {
  std::vector<std::string> names;
  for (auto it = records.rbegin(); it != records.rend(); ++it) {
    const std::string text = UndoActionText((*it)->Action, "");
    names.push_back(text.empty() ? (*it)->Caption : text);
  }
  return names;
}

}  // namespace

std::vector<std::string> TFFileEditor::UndoCaptions() const { return StepNames(score_->UndoList); }

std::vector<std::string> TFFileEditor::RedoCaptions() const { return StepNames(score_->RedoList); }

}  // namespace qs
