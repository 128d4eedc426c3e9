// Composition > properties: the score's own settings, and the piece, part,
// staff and voice at the cursor of the active document.
#include "app/fileeditor.h"
#include "app/mainsettings.h"
#include "app/mainwindow.h"
#include "chords/guitarpalette.h"
#include "dialogs/compositionproperties.h"
#include "dialogs/libraries.h"
#include "dialogs/objectproperties.h"
#include "score/score.h"

namespace qs {

namespace {

// Shows the dialog filled with the object; nothing without one.
template <class Dialog, class Object, class Fill>
void ShowFor(Dialog& dialog, Object* object, Fill fill) {
  if (!object) return;
  (dialog.*fill)(object);
  dialog.ShowModal();
}

}  // namespace

void TFProgramModule::ACompositionPropertiesExecute() {
  TFFileEditor* doc = ActiveEditor();
  if (!doc) return;
  TFCompositionProperties dialog(nullptr, settings_ ? &settings_->Ini() : nullptr);
  dialog.SetScore(&doc->Score());
  dialog.ShowModal();
}

void TFProgramModule::APiecePropertiesExecute() {
  TFFileEditor* doc = ActiveEditor();
  if (!doc) return;
  TFPieceProperties dialog(nullptr, settings_ ? &settings_->Ini() : nullptr);
  ShowFor(dialog, doc->Score().CurrentPiece(), &TFPieceProperties::SetPiece);
}

void TFProgramModule::APartPropertiesExecute() {
  TFFileEditor* doc = ActiveEditor();
  if (!doc) return;
  TFPartProperties dialog(nullptr, settings_ ? &settings_->Ini() : nullptr, Transports.get());
  ShowFor(dialog, doc->Score().CurrentPart(), &TFPartProperties::SetPart);
}

void TFProgramModule::AStaffPropertiesExecute() {
  TFFileEditor* doc = ActiveEditor();
  if (!doc) return;
  const TFStaffProperties::TGuitarList* guitars = nullptr;
  for (TPalette* palette : palettes_)
    if (auto* page = dynamic_cast<TFGuitar*>(palette)) guitars = &page->Guitars();
  TFStaffProperties dialog(nullptr, settings_ ? &settings_->Ini() : nullptr, guitars);
  ShowFor(dialog, doc->Score().CurrentStaff(), &TFStaffProperties::SetStaff);
}

void TFProgramModule::AVoicePropertiesExecute() {
  TFFileEditor* doc = ActiveEditor();
  if (!doc) return;
  TFVoiceProperties dialog(nullptr, settings_ ? &settings_->Ini() : nullptr);
  ShowFor(dialog, doc->Score().CurrentVoice(), &TFVoiceProperties::SetVoice);
}

}  // namespace qs
