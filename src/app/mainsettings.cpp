#include "app/mainsettings.h"

#include <array>

#include "chords/chordname.h"
#include "palettes/terms.h"
#include "score/score.h"
#include "uikit/names.h"

namespace qs {

TMainSettings::TMainSettings(TSettings* file) : file_(file) {
  UpdatePlayback();
  if (!file_) return;
  // In the order the window reads them when it is made.
  file_->Load(Properties);
  file_->Load(News);
  file_->Load(NewsDate);
  file_->Load(Tools);
  file_->Load(Window);
  file_->Load(ToolBars);
  file_->Load(Record);
  file_->Load(Play);
  file_->Load(Editor);
  file_->Load(Effects);
  file_->Load(Dinamics);
  file_->Load(Music);
  file_->Load(Mail);
  file_->Load(Devices);
  UpdatePlayback();
}

void TMainSettings::SetAddState(int value) {
  const int state = (value & 0x7F) != 0 ? 1 : 0;
  if (!Set(Tools, &TToolsSettings::AddState, state)) return;
  if (Scores)
    for (TQSScore* score : Scores()) score->SetAddState(static_cast<TQSAddState>(state));
}

void TMainSettings::SetRecordQuantize(int value) {
  if (!Set(Record, &TRecordingSettings::RecordQuantize, value)) return;
  if (TQSScore* score = ActiveScore ? ActiveScore() : nullptr) score->RecordQuantize = static_cast<uint16_t>(value);
}

void TMainSettings::SetTwoHands(bool value) {
  if (!Set(Record, &TRecordingSettings::TwoHands, value)) return;
  if (TQSScore* score = ActiveScore ? ActiveScore() : nullptr) score->TwoHandRecording = value ? 1 : 0;
}

template <class T>
void TMainSettings::SetAuto(bool TEffectsSettings::*field, bool value, void (TQSScore::*apply)(T)) {
  if (Effects.*field == value) return;
  TQSScore* score = ActiveScore ? ActiveScore() : nullptr;
  if (!score) {
    Effects.*field = value;
    return;
  }
  (score->*apply)(value);
  Set(Effects, field, value);
}

void TMainSettings::SetAutoPages(bool value) { SetAuto(&TEffectsSettings::AutoPages, value, &TQSScore::SetAutoPages); }
void TMainSettings::SetAutoEffect(bool value) {
  SetAuto(&TEffectsSettings::AutoEffect, value, &TQSScore::SetAutoEffect);
}
void TMainSettings::SetAutoVelocity(bool value) {
  SetAuto(&TEffectsSettings::AutoVelocity, value, &TQSScore::SetAutoVelocity);
}

void TMainSettings::UpdatePlayback() {
  const TDynamicVelocitySettings& d = Dinamics;
  // In the order of the dynamics marks' subkinds.
  playback_.Levels = {d.Piano,      d.Pianissimo, d.PianoPianissimo, d.MezzoPiano, d.FortePiano,
                      d.MezzoForte, d.Forte,      d.Fortissimo,      d.ForteFortissimo, d.SForzato,
                      d.ExtraForzato, d.Forzando, d.SForzando};
  playback_.Crescendo = d.Crechendo;
  playback_.Diminuendo = d.Diminuendo;
  playback_.Accent = d.Accentus;
  playback_.Bracket = d.Bracket;
  playback_.Staccato = Effects.Staccato;
  playback_.Arpeggio = Effects.Arpeggio;
  playback_.Fermata = Effects.Fermata;
}

void TMainSettings::SetEffectValue(int TEffectsSettings::*field, int value) {
  if (Set(Effects, field, value)) UpdatePlayback();
}

void TMainSettings::SetDynamicValue(int TDynamicVelocitySettings::*field, int value) {
  if (Set(Dinamics, field, value)) UpdatePlayback();
}

void TMainSettings::LoadNoteNames() {
  if (file_) file_->Load(Notes);
  std::array<std::string, 12> names;
  for (size_t i = 0; i < names.size(); ++i) names[i] = Notes.Names[i];
  SetPitchNames(names);
  SetNoteLetters(Notes.Letters());
}

void TMainSettings::SaveNoteNames() {
  if (file_) file_->Store(Notes);
}

void TMainSettings::ApplyNoteNames() {
  if (!Scores) return;
  for (TQSScore* score : Scores()) {
    score->SetNoteNames(Notes.Letters());
    score->SetFlazholetName(Music.FlazholetName);
  }
}

void TMainSettings::ApplyTo(TQSScore& score) const {
  score.SetAddState(static_cast<TQSAddState>(Tools.AddState));
  score.SetAutoPages(Effects.AutoPages);
  score.SetAutoEffect(Effects.AutoEffect);
  score.SetAutoVelocity(Effects.AutoVelocity);
  score.SetNoteNames(Notes.Letters());
  score.SetFlazholetName(Music.FlazholetName);
  playback_.Install(score);
  // Expressions are looked up in the expression library.
  AnswerTerms(score);
}

}  // namespace qs
