#include "playback/samplescore.h"

#include <vector>

#include "layout/layout.h"
#include "playback/hiddenview.h"
#include "score/clefs.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/units.h"

namespace qs {
namespace {

TQSNote* AddNote(TQSItemOwner* owner, int time, int length, uint8_t pitch, uint8_t velocity) {
  auto* note = static_cast<TQSNote*>(CreateItemByKind(kind::Note, owner));
  note->Fields.Time = static_cast<uint16_t>(time);
  note->Fields.Length = note->Fields.RealLength = static_cast<uint16_t>(length);
  note->Fields.Pitch = pitch;
  note->Fields.Velocity = velocity;
  return note;
}

void AddEvent(TQSPiece* piece, int column, int time, std::initializer_list<uint8_t> bytes) {
  auto* event = new TQSMIDIEvent(piece->GetColumn(column));
  event->Fields.Time = static_cast<int16_t>(time);
  const std::vector<uint8_t> data(bytes);
  event->SetData(data.data(), data.size());
}

}  // namespace

TQSSampleScore::TQSSampleScore(TComponent* owner)
    : TComponent(owner), score_(std::make_unique<TQSScore>()), view_(std::make_unique<TQSHiddenView>()) {
  TQSScore& s = *score_;
  s.BeginUpdate();
  TQSPiece* piece = s.NewPiece();
  TQSPart* part = piece->AddPart();
  (new TQSStaff(part))->NewVoice();
  for (int m = 0; m < 4; ++m) {
    part->NewMeasure();
    piece->AddColumn();
  }
  s.EndUpdate();
  auto* treble = static_cast<TQSMark*>(CreateItemByKind(kind::Clef, part->GetMeasure(0)));
  treble->Fields.Kind = clef::Treble;

  // Pitches: the octave in the high nibble, the step from C in the low.
  TQSMeasure* m = part->GetMeasure(0);
  const uint8_t rising[] = {0x50, 0x51, 0x52, 0x53};
  TQSNote* late = nullptr;
  for (int i = 0; i < 4; ++i) late = AddNote(m, i * 128, 128, rising[i], static_cast<uint8_t>(56 + 8 * i));
  late->Fields.PlayOffset = 12;
  late->Fields.PlayLength = 96;

  m = part->GetMeasure(1);
  TQSNote* held = AddNote(m, 0, 256, 0x54, 96);
  held->Fields.PlayLength = 300;
  auto* grace = static_cast<TQSVorschlag*>(CreateItemByKind(kind::Vorschlag, m));
  grace->Fields.Time = 256;
  grace->Fields.Duration = 32;
  AddNote(grace, 0, 64, 0x55, 90);
  TQSNote* early = AddNote(m, 256, 128, 0x54, 100);
  early->Fields.PlayOffset = -16;
  AddNote(m, 384, 128, 0x52, 92);

  m = part->GetMeasure(2);
  const uint8_t run[] = {0x51, 0x52, 0x53, 0x54};
  for (int i = 0; i < 4; ++i) AddNote(m, i * 64, 64, run[i], static_cast<uint8_t>(70 + 6 * i));
  TQSNote* trilled = AddNote(m, 256, 256, 0x55, 110);

  m = part->GetMeasure(3);
  for (uint8_t pitch : {0x50, 0x52, 0x54}) AddNote(m, 0, 512, pitch, 80)->SetChordMember(pitch != 0x50);

  AddEvent(piece, 0, 0, {0xC0, 0x00});
  AddEvent(piece, 0, 0, {0xB0, 0x07, 0x64});
  AddEvent(piece, 1, 256, {0xB0, 0x40, 0x7F});
  AddEvent(piece, 2, 0, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
  AddEvent(piece, 3, 448, {0xB0, 0x40, 0x00});

  s.AttachWindow(view_.get());
  s.SetActiveWindow(view_.get());
  LayoutScore(s, 0);
  // As the layout pass realises an ornament: an effect note of its own.
  auto* effect = static_cast<TQSEffect*>(CreateItemByKind(kind::Effect, trilled));
  effect->Fields.Time = 256;
  effect->Fields.Length = 32;
  effect->Fields.Velocity = 84;
  effect->SoundingKey = static_cast<uint8_t>(trilled->SoundingKey + 2);
  view_->CursorPosition.Measure = 0;
  view_->CursorPosition.Tick = 384;
}

TQSSampleScore::~TQSSampleScore() { score_->DetachWindow(view_.get()); }

TQSPart* TQSSampleScore::Part() const { return score_->GetPiece(0)->GetPart(0); }

}  // namespace qs
