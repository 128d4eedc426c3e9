#pragma once
// Shared by the container tests: a score with one piece, one part with one
// staff of one voice and one measure, laid out as far as a slot of the
// chosen meter goes, and shorthands to fill the measure.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "base/stream.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/slot.h"
#include "score/timing.h"

namespace qs::test {

// A view that records what the model asks of it.
class TFakeView : public TQSWindowLink {
 public:
  bool IsPlaying = false;
  int SystemIndex = 0;
  int Invalidated = 0;
  bool Playing() const override { return IsPlaying; }
  int CursorSystemIndex() const override { return SystemIndex; }
  void InvalidatePages() override { ++Invalidated; }
};

// Position, written length and real length of an item.
using TSpan = std::tuple<int, int, int>;

class TTreeFixture {
 public:
  TQSScore Score;
  TQSPiece* Piece;
  TQSPart* Part;
  TQSStaff* Staff;
  TQSMeasure* Measure;
  TQSMeasureSlot Slot;

  TTreeFixture() {
    Piece = new TQSPiece(&Score);
    Part = Piece->AddPart();
    Staff = new TQSStaff(Part);
    Staff->NewVoice();
    Measure = Part->NewMeasure();
    SetMeter(4, 4);
    Piece->LastLaidOutMeasure = 0;
    Piece->Slots = {&Slot};
  }

  void SetMeter(int numerator, int denominator) {
    Slot.Meter = Slot.EndMeter = MakeMeter(numerator, denominator);
    Slot.Length = Slot.EndLength = static_cast<uint16_t>(MeterLength(Slot.Meter));
  }

  // Items are inserted where the score's insertion index puts them.
  template <class T>
  T* Insert(TQSMeasure* m, int sv, int time) {
    const int at = TQSScore::FindItemInsertIndex(*m, sv, time, 0);
    m->RegistrationSuspended = true;
    auto* item = new T(m);
    m->RegistrationSuspended = false;
    m->Items.Insert(at, item);
    return item;
  }

  TQSNote* Note(int time, int length, uint8_t pitch = 0x50, int sv = 0, int real = -1, TQSMeasure* m = nullptr) {
    auto* n = Insert<TQSNote>(m ? m : Measure, sv, time);
    n->Fields.Time = static_cast<uint16_t>(time);
    n->Fields.Length = static_cast<uint16_t>(length);
    n->Fields.RealLength = static_cast<uint16_t>(real < 0 ? length : real);
    n->Fields.Pitch = pitch;
    n->Fields.StaffVoice = static_cast<uint8_t>(sv);
    return n;
  }

  TQSPause* Rest(int time, int length, int sv = 0, int real = -1) {
    auto* r = Insert<TQSPause>(Measure, sv, time);
    r->Fields.Time = static_cast<uint16_t>(time);
    r->Fields.Length = static_cast<uint16_t>(length);
    r->Fields.RealLength = static_cast<uint16_t>(real < 0 ? length : real);
    r->Fields.StaffVoice = static_cast<uint8_t>(sv);
    return r;
  }

  TQSMark* Mark(TQSItemType kind, int time, int sv = 0, uint8_t variant = 0, uint16_t value = 0) {
    auto* m = static_cast<TQSMark*>(CreateItemByKind(kind, Measure));
    m->Fields.Kind = variant;
    m->Fields.Time = static_cast<uint16_t>(time);
    m->Fields.StaffVoice = static_cast<uint8_t>(sv);
    m->Fields.Value = value;
    return m;
  }

  TQSMark* Tuplet(int time, uint8_t type, uint16_t unit, int sv = 0) {
    TQSMark* t = Mark(kind::Tuplet, time, sv, type, unit);
    t->CalcTupletLengths();
    return t;
  }

  // Gives a part two staves (the second a six-string tablature), three
  // voices, three measures with notes, rests, marks and attached items, a
  // page object, spacing tables and transport records.
  void FillPart(TQSPart* part) {
    part->Name = "Guitar";
    part->Fields.Channel = 3;
    part->Fields.Volume = 100;
    part->Fields.Further5[1] = 7;
    while (part->StaffCount() < 2) (new TQSStaff(part))->NewVoice();
    part->GetStaff(0)->NewVoice()->Fields.Instrument = 24;
    TQSStaff* tab = part->GetStaff(1);
    tab->Fields.LineCount = 6;
    tab->Fields.Tablature = 1;
    const uint8_t tuning[] = {64, 59, 55, 50, 45, 40};
    for (int i = 0; i < 6; ++i) tab->Tuning[i] = tuning[i];
    while (part->MeasureCount() < 3) part->NewMeasure();
    TQSMeasure* saved = Measure;
    Measure = part->GetMeasure(0);
    Mark(kind::Clef, 0, 0x00, clef::Treble);
    TQSNote* n = Note(0, 128, 0x51);
    CreateItemByKind(kind::Accidental, n);
    auto* tie = static_cast<TQSLiga*>(CreateItemByKind(kind::Liga, n));
    tie->Fields.Span = 128;
    Note(128, 64, 0x52)->SetBeamedToNext(true);
    Note(192, 64, 0x54);
    Rest(256, 256, 0x01);
    Note(0, 128, 0x40, 0x10)->Fields.TabString = 2;
    Measure = part->GetMeasure(1);
    Measure->Fields.Beaming = 3;
    Measure->Spacing = {8, 16};
    Tuplet(0, 3, 128);
    Note(0, 128, 0x50, 0, 85);
    auto* lyric = static_cast<TQSLyric*>(CreateItemByKind(kind::Lyric, Measure));
    lyric->Lines = {"la"};
    Measure = saved;
    auto* term = static_cast<TQSLyric*>(CreateItemByKind(kind::Term, part));
    term->Lines = {"dolce"};
    part->Spacing.RowOffsets = {1, 2};
    part->Spacing.AlignStyles = {-3};
    part->Transports = {{1, -2}, {2, 12}};
  }

  // The rests (or notes) of a staff/voice byte in item order.
  std::vector<TSpan> Rests(int sv = 0, TQSMeasure* m = nullptr) const {
    std::vector<TSpan> out;
    for (TQSItem* item : (m ? m : Measure)->Items)
      if (auto* r = dynamic_cast<TQSPause*>(item); r && r->Fields.StaffVoice == sv)
        out.emplace_back(r->Fields.Time, r->Fields.Length, r->Fields.RealLength);
    return out;
  }
  std::vector<TSpan> Notes(int sv = 0) const {
    std::vector<TSpan> out;
    for (TQSItem* item : Measure->Items)
      if (auto* n = dynamic_cast<TQSNote*>(item); n && n->Fields.StaffVoice == sv)
        out.emplace_back(n->Fields.Time, n->Fields.Length, n->Fields.RealLength);
    return out;
  }
};

template <class T>
std::vector<uint8_t> Saved(const T& object) {
  TMemoryStream s;
  object.SaveToStream(s);
  return s.Bytes();
}

}  // namespace qs::test
