// The MusicXML reader's handlers of a note's notations: slurs, articulations,
// ornaments, technical signs, fermatas.
#include "interchange/musicxml_reading.h"

namespace qs {
namespace mxml {

using namespace mx;

bool TReader::OnNotations(const TQSTag&, int parent) {
  return (parent == Note && note_) || (parent == Rest && rest_);
}

bool TReader::OnSlur(const TQSTag&, int parent) {
  if (parent != Notations || !note_) return false;
  slurTypeRead_ = slurNumberRead_ = false;
  slurPlacement_ = -1;
  slur_ = nullptr;
  // A slur without a number is slur 1.
  if (!AttributeOf(index_, mx::Number)) {
    slurNumber_ = 1;
    slurNumberRead_ = true;
  }
  return true;
}

bool TReader::OnPlacement(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == Direction) above_ = SameText(text, "above");
  if (parent == Slur) {
    slurPlacement_ = SameText(text, "above") ? 1 : SameText(text, "below") ? 0 : -1;
    PlaceSlur();
  }
  if (parent == Tied && note_ && info_) OnOrientation(tag, parent);
  // The side of a tuplet's bracket and number.
  if (parent == Tuplet && (note_ || rest_) && info_)
    info_->TupletBelow = static_cast<int8_t>(SameText(text, "below") ? 1 : SameText(text, "above") ? 0 : -1);
  if (IsNoteSign(parent) && mark_ && SameText(Trim(text), "below")) {
    data_.BelowNotes.insert(mark_);
    if (mark_->ItemType == kind::Accent && mark_->Fields.Kind == 0) mark_->Fields.Kind = 1;
  }
  return false;
}

bool TReader::OnArticulations(const TQSTag&, int parent) {
  return parent == Notations && note_;
}

// An articulation belongs to the chord: files that give it at each of the
// chord's notes get one sign.
TQSMark* TReader::ChordArticulation(TQSItemType k, uint8_t style) {
  return ChordHasMark(k) ? nullptr : NoteMark(k, style);
}

bool TReader::OnStaccato(const TQSTag&, int parent) {
  if (parent == Articulations) mark_ = ChordArticulation(kind::Staccato, TQSMark::kStyleAttached);
  return false;
}

bool TReader::OnTenuto(const TQSTag&, int parent) {
  // The score's dash at a note, written as a tenuto.
  if (parent == Articulations) mark_ = ChordArticulation(kind::Portamento, TQSMark::kStyleAttached);
  return false;
}

bool TReader::OnAccent(const TQSTag&, int parent) {
  // The accent sign ">" (Kind 0 is the marcato).
  if (parent != Articulations) return false;
  mark_ = ChordArticulation(kind::Accent, 0);
  if (!mark_) return false;
  mark_->Fields.Kind = 3;
  return true;
}

// Signs at the note, one glyph each; the post-pass puts them clear of
// the notes, above unless the file places them below.
bool TReader::OnNoteSign(const TQSTag& tag, int parent) {
  if (parent != Articulations) return false;
  mark_ = NoteMark(tag.Code == StrongAccent ? kind::Accent : kind::Breath, 0);
  return true;
}

bool TReader::OnOrnaments(const TQSTag&, int parent) {
  return parent == Notations && note_;
}

bool TReader::OnOrnamentSign(const TQSTag& tag, int parent) {
  if (parent != Ornaments) return false;
  mark_ = NoteMark(tag.Code == TrillMark ? kind::Trill : tag.Code == Turn ? kind::Gruppetto : kind::Mordent, 0);
  // The trill glyph is Kind 1; Kind 0 of the mordents is the upper one.
  mark_->Fields.Kind = tag.Code == TrillMark || tag.Code == Mordent ? 1 : 0;
  return true;
}

// A trill's wavy line: the trill lasts from its note to the end of the
// note where the line stops (a line without a trill sign gets one).
// The side of a tie or slur: over (above) or under (below) the heads.
bool TReader::OnOrientation(const TQSTag& tag, int parent) {
  const std::string side = Trim(tag.Text);
  if (parent == Slur) {
    slurPlacement_ = SameText(side, "over") ? 1 : SameText(side, "under") ? 0 : slurPlacement_;
    PlaceSlur();
    return false;
  }
  if (parent != Tied || !note_ || !info_) return false;
  if (SameText(side, "over") || SameText(side, "above")) info_->TieBelow = 0;
  if (SameText(side, "under") || SameText(side, "below")) info_->TieBelow = 1;
  return false;
}

// A glissando or slide: the score's glissando sign after its first note,
// rising or falling as the note it leads to lies.
bool TReader::OnGlissando(const TQSTag&, int parent) {
  if (parent != Notations || !note_) return false;
  const std::string* type = AttributeOf(index_, mx::Type);
  if (type && SameText(Trim(*type), "start")) {
    bool has = false;
    for (TQSItem* item : note_->Items) has = has || item->ItemType == kind::Glissando;
    if (has) return false;
    glissando_ = static_cast<TQSMark*>(CreateItemByKind(kind::Glissando, note_));
    glissandoLine_ = PitchLine(note_->Fields.Pitch);
  } else if (type && SameText(Trim(*type), "stop") && glissando_) {
    glissando_->Fields.Kind = PitchLine(note_->Fields.Pitch) < glissandoLine_ ? 1 : 0;
    glissando_ = nullptr;
  }
  return false;
}

bool TReader::OnWavyLine(const TQSTag&, int parent) {
  if (parent != Ornaments || !note_ || !measure_) return false;
  const std::string* type = AttributeOf(index_, mx::Type);
  if (type && SameText(Trim(*type), "start")) {
    trill_ = nullptr;
    for (TQSItem* item : measure_->Items)
      if (item->ItemType == kind::Trill && item->TimePosition() == lastStart_ &&
          item->StaffVoice() == note_->Fields.StaffVoice)
        trill_ = static_cast<TQSMark*>(item);
    if (!trill_) {
      trill_ = NoteMark(kind::Trill, 0);
      trill_->Fields.Kind = 1;
    }
    trillMeasure_ = measure_->Index;
  } else if (type && SameText(Trim(*type), "stop") && trill_ && trill_->GetMeasure() &&
             trill_->GetMeasure()->Part() == measure_->Part()) {
    const int length = LengthFrom(trillMeasure_, trill_->Fields.Time, lastStart_ + note_->Fields.RealLength);
    trill_->Fields.Value = static_cast<uint16_t>(std::clamp(length, 0, 0xFFFF));
    trill_ = nullptr;
  }
  return false;
}

bool TReader::OnArpeggiate(const TQSTag&, int parent) {
  // Every note of a chord may carry the sign; the chord gets one, which
  // the post-pass stretches over its heads.
  if (parent != Notations || !note_) return false;
  mark_ = ChordHasMark(kind::Arpeggio) ? nullptr : NoteMark(kind::Arpeggio, 0);
  return mark_ != nullptr;
}

bool TReader::OnTuplet(const TQSTag&, int parent) { return parent == Notations && (note_ || rest_); }

bool TReader::OnTremolo(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  // Strokes through the stem of one note or chord. A tremolo between two
  // notes is the score's strokes beside the first note, in the room before
  // the second; the second carries none. Each of the two keeps the value
  // the file writes (the whole tremolo's) and the duration it gives.
  if (parent != Ornaments || !note_ || ChordHasMark(kind::Tremolo)) return false;
  const std::string* type = AttributeOf(index_, mx::Type);
  const std::string form = type ? Trim(*type) : std::string();
  if (SameText(form, "stop")) return false;
  mark_ = NoteMark(kind::Tremolo, SameText(form, "start") ? 0 : TQSMark::kStyleAttached);
  mark_->Fields.Value = static_cast<uint16_t>(std::clamp(NumberOf(text, 3), 1, kMaxTremoloStrokes));
  return true;
}

bool TReader::OnBowing(const TQSTag& tag, int parent) {
  if (parent != Technical) return false;
  mark_ = NoteMark(kind::Bowing, 0);
  mark_->Fields.Kind = tag.Code == UpBow ? 0 : 1;
  return true;
}

bool TReader::OnFingering(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  const std::string f = Trim(text);
  if (parent != Technical || f.size() != 1 || f[0] < '0' || f[0] > '5') return false;
  mark_ = NoteMark(kind::Finger, 0);
  mark_->Fields.Kind = static_cast<uint8_t>(f[0] - '0');
  return true;
}

bool TReader::OnFermata(const TQSTag&, int parent) {
  if (parent != Notations) return false;
  mark_ = NoteMark(kind::Fermata, TQSMark::kStyleAttached);
  return true;
}

bool TReader::OnTechnical(const TQSTag&, int parent) {
  return parent == Notations && note_;
}

bool TReader::OnString(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  // The file counts strings from the highest, the score from the lowest.
  if (parent == Technical && note_) {
    const TQSStaff* staff = part_ ? part_->GetStaff(StaffOf(note_->Fields.StaffVoice)) : nullptr;
    const int lines = staff && staff->Fields.LineCount > 0 ? staff->Fields.LineCount : TQSStaff::kMaxLines;
    note_->Fields.TabString = static_cast<uint8_t>(std::clamp(lines - NumberOf(text, 1), 0, lines - 1));
  }
  return false;
}

bool TReader::OnFret(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == Technical && note_) note_->Fields.TabFret = static_cast<uint8_t>(std::clamp(NumberOf(text, 0), 0, 254) + 1);
  return false;
}

bool TReader::OnTied(const TQSTag&, int parent) {
  return parent == Notations && note_;
}

}  // namespace mxml
}  // namespace qs
