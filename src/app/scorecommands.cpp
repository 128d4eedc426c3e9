// The main window's dynamics dialog, the moves of the cursor's staff or
// part, and the Edit menu's bookmarks.
#include <string>

#include "app/fileeditor.h"
#include "app/mainwindow.h"
#include "editing/reorder.h"
#include "palettes/dynamics.h"
#include "platform/actions.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "uikit/menuitem.h"

namespace qs {

namespace {
constexpr int kBookmarks = 10;
}  // namespace

TPlaybackValues TFProgramModule::PlaybackValues() {
  TPlaybackValues values;
  values.Effects = &Settings.Effects;
  values.Dinamics = &Settings.Dinamics;
  values.SetEffect = [this](int TEffectsSettings::*field, int value) { Settings.SetEffectValue(field, value); };
  values.SetDynamic = [this](int TDynamicVelocitySettings::*field, int value) {
    Settings.SetDynamicValue(field, value);
  };
  return values;
}

void TFProgramModule::ADynamicExecute() {
  TFDynamics dialog(nullptr, PlaybackValues());
  dialog.ShowModal();
}

namespace {

// The staff when its part has more than one, else the part.
void MoveCursorContainer(TQSScore& score, int delta) {
  TQSPart* part = score.CurrentPart();
  if (!part) return;
  if (part->StaffCount() > 1) MoveStaff(score, delta);
  else MovePart(score, delta);
}

}  // namespace

void TFProgramModule::AMoveUpExecute() {
  if (TFFileEditor* doc = ActiveEditor()) MoveCursorContainer(doc->Score(), -1);
}

void TFProgramModule::AMoveDownExecute() {
  if (TFFileEditor* doc = ActiveEditor()) MoveCursorContainer(doc->Score(), 1);
}

void TFProgramModule::AToggleBookmarksExecute() {
  const int index = chosenBookmark_;
  chosenBookmark_ = -1;
  if (TFFileEditor* doc = ActiveEditor(); doc && index >= 0) doc->Score().SetBookmark(index);
}

void TFProgramModule::AGotoBookmarksExecute() {
  const int index = chosenBookmark_;
  chosenBookmark_ = -1;
  if (TFFileEditor* doc = ActiveEditor(); doc && index >= 0) doc->Score().GotoBookmark(index);
}

void TFProgramModule::ChooseBookmark(bool set, int index) {
  if (index < 0 || index >= kBookmarks) return;
  chosenBookmark_ = index;
  RunCommand(set ? "AToggleBookmarks" : "AGotoBookmarks");
  chosenBookmark_ = -1;
}

void TFProgramModule::BuildBookmarkMenus() {
  for (const bool set : {true, false}) {
    auto* menu = dynamic_cast<TECMenuItem*>(FindComponent(set ? "MIToggleBookmarks" : "MIGotoBookmarks"));
    if (!menu) continue;
    for (int i = 0; i < kBookmarks; ++i) {
      TECMenuItem* item = menu->AddItem("&" + std::to_string(i));
      item->SetName((set ? "MIToggleBookmark" : "MIGotoBookmark") + std::to_string(i));
      // The keys that do the same.
      item->SetShortCutText((set ? "Ctrl+Shift+" : "Ctrl+") + std::to_string(i));
      item->OnClick = [this, set, i](TObject*) { ChooseBookmark(set, i); };
    }
    // The bookmarks set are checked.
    menu->OnMenuShow = [this, menu](TObject*) {
      TFFileEditor* doc = ActiveEditor();
      for (int i = 0; i < menu->Count() && i < kBookmarks; ++i)
        menu->Items(i)->SetChecked(doc && doc->Score().HasBookmark(i));
    };
  }
}

}  // namespace qs
