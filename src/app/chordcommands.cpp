// The chord library's commands: the chord list, saving the selected notes
// as a library chord or into a chord file of the user's choice, the name
// of the selected chord symbols edited in a dialog, and the guitar
// library's editor.
#include <memory>

#include "app/mainwindow.h"
#include "chords/chorddialogs.h"
#include "chords/chordfile.h"
#include "chords/chordspalette.h"
#include "chords/guitarlist.h"
#include "chords/guitarpalette.h"
#include "editing/properties.h"
#include "uikit/settings.h"
#include "view/window.h"

namespace qs {

TFChords* TFProgramModule::ChordsPalette() const {
  return dynamic_cast<TFChords*>(palettes_[PaletteIndex("Chords")]);
}

void TFProgramModule::AChordListExecute() {
  TFChords* chords = ChordsPalette();
  if (!chords) return;
  TFChordList dialog(nullptr, settings_ ? &settings_->Ini() : nullptr, *chords);
  dialog.ShowModal();
}

void TFProgramModule::SaveChord(bool exportMode) {
  TFChords* chords = ChordsPalette();
  TQSWindow* view = ActiveScoreWindow();
  if (!chords || !view) return;
  auto chord = std::make_unique<TQSChordDescription>();
  chord->FixedOctave = 1;
  chord->Loaded = true;
  CopySelectedChordNotes(*view, *chord);
  TFChordProperties dialog(nullptr, settings_ ? &settings_->Ini() : nullptr, *chords);
  dialog.SetChord(chord.get());
  dialog.SetExportMode(exportMode);
  dialog.SetFileNameVisible(true);
  if (dialog.ShowModal() == mrOk) chords->AddChord(std::move(chord));
}

void TFProgramModule::ASaveChordExecute() { SaveChord(false); }

void TFProgramModule::ASaveChordAsExecute() { SaveChord(true); }

void TFProgramModule::AGuitarsExecute() {
  auto* guitar = dynamic_cast<TFGuitar*>(palettes_[PaletteIndex("Guitar")]);
  if (!guitar) return;
  {
    TFGuitarList dialog(nullptr, settings_ ? &settings_->Ini() : nullptr, guitar->Guitars());
    dialog.ShowModal();
  }
  // Whichever way the dialog closed, its changes are kept.
  guitar->SaveGuitars();
  guitar->ApplyGuitar();
  if (TFChords* chords = ChordsPalette()) chords->UseGuitars(guitar->Guitars());
}

void EditSelectedChord(TQSScore& score, TIniFile* settings) {
  std::vector<TQSChordFragment> name;
  GetSelectedChord(score, name);
  TFChordEditor dialog(nullptr, settings);
  dialog.SetFragments(name);
  if (dialog.ShowModal() != mrOk) return;
  SetSelectedChord(score, dialog.GetFragments());
}

}  // namespace qs
