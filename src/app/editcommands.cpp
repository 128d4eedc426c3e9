// The main window's Edit commands that are more than one call, the undo and
// redo lists below the tool bar, the tempo and volume bars, and what the
// open documents follow when the interface language changes.
#include <algorithm>

#include "app/documentscore.h"
#include "app/fileeditor.h"
#include "app/mainwindow.h"
#include "base/strings.h"
#include "editing/notation.h"
#include "playback/noteports.h"
#include "platform/comctrls.h"
#include "platform/extctrls.h"
#include "score/score.h"
#include "uikit/interface.h"
#include "uikit/language.h"
#include "uikit/menu.h"
#include "uikit/menuitem.h"
#include "uikit/popuplist.h"
#include "view/window.h"

namespace qs {

namespace {

// The numbered texts of these commands (record "MEditLists").
enum TEditMessage {
  kTempoHint = 0,  // the tempo bar's hint: "Tempo"
  kUndoSteps = 1,  // the undo list's footer: "Undo" <count> "steps"
  kStepsWord = 2,
  kRedoSteps = 3,
};

std::string EditText(int index) { return LanguageMessage("MEditLists", index, ""); }

constexpr int kTempoMin = 25, kTempoMax = 200, kTempoStep = 25;
constexpr int kBarWidth = 110, kBarHeight = 26;

}  // namespace

void TFProgramModule::AHideExecute() {
  if (TFFileEditor* doc = ActiveEditor()) ToggleHiddenRests(doc->Score());
}
void TFProgramModule::ASelectDesignAllExecute() {
  if (TFFileEditor* doc = ActiveEditor()) doc->Score().SelectDesignItems(true);
}
void TFProgramModule::ASelectDesignPageExecute() {
  if (TFFileEditor* doc = ActiveEditor()) doc->Score().SelectDesignItems(false);
}

void TFProgramModule::AContentsExecute() { ShowHelpContents(); }

// ------------------------------------------------------------ undo lists

TECPopupMenu* TFProgramModule::ShowUndoList(bool redo) {
  TFFileEditor* doc = ActiveEditor();
  if (!doc) return nullptr;
  const std::vector<std::string> captions = redo ? doc->RedoCaptions() : doc->UndoCaptions();
  if (captions.empty()) return nullptr;
  auto* list = new TECPopupMenu(doc->QSWindow);
  list->SetItems(captions);
  list->OnGetMessage = [list, redo](TObject*, std::string& text) {
    const int marked = std::max(list->CurrentIndex(), 0);
    text = EditText(redo ? kRedoSteps : kUndoSteps) + " " + std::to_string(marked + 1) + " " + EditText(kStepsWord);
  };
  list->OnClick = [this, redo](TObject*, int index) {
    if (TFFileEditor* editor = ActiveEditor()) {
      if (redo) editor->Score().Redo(index + 1);
      else editor->Score().Undo(index + 1);
    }
    UpdateActionStates();
  };
  // Below the Edit tool bar, at its left edge.
  TECMenu* bar = ToolBars.size() > 1 ? ToolBars[1] : nullptr;
  const TPoint at = bar ? bar->ClientToScreen(TPoint{0, bar->Height()}) : ClientToScreen(TPoint{0, 0});
  list->Popup(at.X, at.Y);
  return list;
}

// ------------------------------------------------------------ track bars

int TFProgramModule::VolumeAtClick(int x, int clientWidth) {
  // Steps of a sixth of the bar from a quiet floor; a bar too narrow for
  // steps gives the full volume.
  const int step = clientWidth / 6;
  if (step <= 0) return 65535;
  return std::min(65535, (x + step) / step * 8800 + 21200);
}

int TFProgramModule::TempoAtClick(int x, int clientWidth, int leftOffset, int min, int max) {
  const int track = clientWidth - 2 * leftOffset;
  if (track <= 0 || max <= min) return min;
  const int at = std::clamp(x - leftOffset, 0, track) * (max - min) / track;
  return at / kTempoStep * kTempoStep + min;
}

void TFProgramModule::BuildTrackBars() {
  auto* bars = dynamic_cast<TWinControl*>(FindComponent("CBProgram"));
  TBTempo = new TTrackBar(this);
  TBTempo->SetName("TBTempo");
  TBVolume = new TTrackBar(this);
  TBVolume->SetName("TBVolume");
  for (TTrackBar* bar : {TBTempo, TBVolume}) {
    bar->SetParent(bars ? bars : this);
    bar->SetBounds(0, 0, kBarWidth, kBarHeight);
    bar->SetShowHint(true);
  }
  TBTempo->SetMin(kTempoMin);
  TBTempo->SetMax(kTempoMax);
  TBTempo->SetFrequency(kTempoStep);
  TBTempo->SetPosition(100);
  TBVolume->SetMin(0);
  TBVolume->SetMax(65535);
  TBVolume->SetFrequency(65535 / 8);
  TBVolume->SetPosition(65535);
  TBTempo->OnChange = [this](TObject*) { TBTempoChange(); };
  TBVolume->OnChange = [this](TObject*) { TBVolumeChange(); };
  // A click below the track sets the position there at once.
  TBVolume->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int x, int y) {
    if (y > 16) TBVolume->SetPosition(VolumeAtClick(x, TBVolume->ClientWidth()));
  };
  TBTempo->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int x, int y) {
    if (y > 16) TBTempo->SetPosition(TempoAtClick(x, TBTempo->ClientWidth(), 8, kTempoMin, kTempoMax));
  };
  // The undo and redo buttons drop their lists down.
  for (const auto& [name, redo] : {std::pair{"MITUndo", false}, std::pair{"MITRedo", true}})
    if (auto* item = dynamic_cast<TECMenuItem*>(FindComponent(name))) {
      item->SetKind(ikDropDown);
      item->OnDropDownClick = [this, redo = redo](TObject*) { ShowUndoList(redo); };
    }
}

void TFProgramModule::TBTempoChange() {
  if (tempoBusy_) return;
  tempoBusy_ = true;
  if (TQSWindow* view = ActiveScoreWindow()) view->SetTempoScale(TBTempo->Position());
  tempoBusy_ = false;
  UpdateTempoHint();
  ShowFullPlayTime();
}

void TFProgramModule::UpdateTempoHint() {
  if (!TBTempo) return;
  TQSWindow* view = ActiveScoreWindow();
  const int scale = view ? view->TempoScale : TBTempo->Position();
  const int tempo = view ? view->ActivePieceTempo() : 60;
  TBTempo->SetHint(EditText(kTempoHint) + " = " + std::to_string(scale) + "% * " +
                   std::to_string(tempo) + " = " + std::to_string(tempo * scale / 100));
  if (tempoBusy_ || TBTempo->Position() == scale) return;
  // The bar follows the view without acting on it.
  tempoBusy_ = true;
  TBTempo->SetPosition(scale);
  tempoBusy_ = false;
}

void TFProgramModule::TBVolumeChange() {
  TBVolume->SetHint(std::to_string(TBVolume->Position() * 100 / 65535) + "%");
  if (ports_ && ports_->Output) ports_->Output->SetVolume(TBVolume->Position());
}

// ------------------------------------------------------------ language

void TFProgramModule::LanguageChanged() {
  for (int i = 0; i < DocumentCount(); ++i)
    if (TFFileEditor* editor = Document(i)) ApplyInterfaceTexts(editor->Score());
  for (TPalette* palette : palettes_)
    if (palette) palette->LanguageChanged();
  PlaceToolBars();
  UpdateActionStates();
  UpdateTempoHint();
}

}  // namespace qs
