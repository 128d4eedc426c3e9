// The MusicXML reader's handlers of directions: words, dynamics, hairpins, pedal,
// tempo, octave shifts, rehearsal and jump signs.
#include "interchange/musicxml_reading.h"

namespace qs {
namespace mxml {

using namespace mx;

// A hairpin begins (crescendo, diminuendo) or ends at the position.
void TReader::WedgeType(const std::string& text) {
  if (!measure_) return;
  if (SameText(text, "crescendo") || SameText(text, "diminuendo")) {
    wedge_ = MeasureMark(kind::Dynamics, position_);
    wedge_->Fields.Kind = SameText(text, "crescendo") ? dynamic::kCrescendo : dynamic::kDiminuendo;
    wedge_->Fields.OffsetY = static_cast<int16_t>(above_ ? kSignAboveOffset : BelowOffset());
    wedgeMeasure_ = measure_->Index;
    wedgeInDirection_ = true;
  } else if (SameText(text, "stop") && wedge_) {
    const int length = WedgeLength();
    wedge_->Fields.Value = static_cast<uint16_t>(length != 0 ? std::max(0, length - 2) : 0);
  }
}

bool TReader::OnDirection(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (tag.IsAttribute && parent == Arpeggiate && mark_ && mark_->ItemType == kind::Arpeggio) {
    if (SameText(text, "up")) mark_->Fields.Style = TQSMark::kArpeggioUp;
    else if (SameText(text, "down")) mark_->Fields.Style = TQSMark::kArpeggioDown;
  }
  if (tag.IsAttribute || parent != mx::Measure || !measure_) return false;
  above_ = false;
  mark_ = nullptr;
  lyric_ = nullptr;
  wedgeInDirection_ = false;
  directionDepth_ = tag.Depth;
  directionPosition_ = position_;
  directionStaff_ = 0;
  directionWords_ = nullptr;
  directionIndex_ = index_;
  bracketsRead_.clear();
  return true;
}

bool TReader::OnDirectionType(const TQSTag&, int parent) {
  return parent == Direction;
}

bool TReader::OnMetronome(const TQSTag&, int parent) {
  return parent == DirectionType;
}

bool TReader::OnBeatUnit(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  // The first unit of a metronome mark; a second one would change it.
  if (parent == Metronome && beatUnit_.empty()) beatUnit_ = Trim(text);
  return false;
}

bool TReader::OnBeatUnitDot(const TQSTag&, int parent) {
  if (parent == Metronome && perMinute_ == 0) ++beatDots_;
  return false;
}

bool TReader::OnPerMinute(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == Metronome) perMinute_ = LeadingNumber(text);
  return false;
}

bool TReader::OnTempo(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (!tag.IsAttribute || parent != Sound || !measure_) return false;
  if (double q; TryStrToFloat(Trim(text), q) && std::isfinite(q) && q > 0) {
    if (directionDepth_ >= 0) soundTempo_ = q;
    else SoundTempo(q, position_);
  }
  return false;
}

bool TReader::OnOctaveShift(const TQSTag&, int parent) {
  if (parent != DirectionType || !measure_) return false;
  shiftRead_ = true;
  shiftType_.clear();
  shiftSize_ = 8;
  return true;
}

// A line bracket's start or end; made when the direction's staff is known.
bool TReader::OnBracket(const TQSTag&, int parent) {
  if (parent != DirectionType || !measure_) return false;
  TBracketRead b;
  if (const std::string* type = AttributeOf(index_, mx::Type)) b.Type = Trim(*type);
  if (const std::string* number = AttributeOf(index_, mx::Number)) b.Number = NumberOf(*number, 1);
  if (const std::string* end = AttributeOf(index_, mx::LineEnd)) b.LineEnd = Trim(*end);
  bracketsRead_.push_back(b);
  return false;
}

bool TReader::OnSize(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == OctaveShift) shiftSize_ = NumberOf(text, 8);
  return false;
}

bool TReader::OnRehearsal(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == DirectionType && measure_) RehearsalMark(Trim(text));
  return false;
}

bool TReader::OnJumpSign(const TQSTag& tag, int parent) {
  // A sign of the score's play order: one per measure serves every part.
  if (parent == DirectionType && measure_) {
    TQSColumn* column = EnsureColumn(measure_->Index);
    const TQSItemType k = tag.Code == Segno ? kind::Segno : kind::Coda;
    const bool there = std::any_of(column->Items.begin(), column->Items.end(),
                                   [k](const TQSItem* i) { return i->ItemType == k; });
    if (!there) {
      auto* sign = Make<TQSMark>(k, column);
      sign->Fields.Time = static_cast<uint16_t>(position_);
      sign->Fields.OffsetY = kJumpSignAboveOffset;
    }
  }
  return false;
}

bool TReader::OnDynamics(const TQSTag& tag, int parent) {
  if (parent != DirectionType) return false;
  mark_ = dynamics_ = MeasureMark(kind::Dynamics, position_);
  mark_->Fields.OffsetY = static_cast<int16_t>(above_ ? kSignAboveOffset : BelowOffset());
  dynamicsDepth_ = tag.Depth;
  dynamicsKindSet_ = false;
  return true;
}

bool TReader::OnDynamicsLetters(const TQSTag& tag, int parent) {
  if (parent == Dynamics && dynamics_) DynamicsLetters(tag.Code);
  return false;
}

bool TReader::OnOtherDynamics(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == Dynamics && dynamics_) DynamicsText(text);
  return false;
}

bool TReader::OnWedge(const TQSTag&, int parent) {
  return parent == DirectionType && measure_;
}

bool TReader::OnWords(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent != DirectionType) return false;
  CheckItemRoom(measure_);
  lyric_ = Make<TQSLyric>(kind::Term, measure_);
  lyric_->Fields.Time = static_cast<uint16_t>(position_);
  lyric_->Lines.push_back(text);
  lyric_->Fields.OffsetY = static_cast<int16_t>(above_ ? kWordsAboveOffset : BelowOffset());
  mark_ = nullptr;
  if (above_ && !directionWords_) directionWords_ = lyric_;
  return true;
}

bool TReader::OnFontStyle(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == Words && lyric_ && SameText(text, "italic")) lyric_->Fields.FontStyle |= fsItalic;
  return false;
}

bool TReader::OnFontWeight(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == Words && lyric_ && SameText(text, "bold")) lyric_->Fields.FontStyle |= fsBold;
  return false;
}

bool TReader::OnPedal(const TQSTag&, int parent) {
  if (parent != DirectionType) return false;
  mark_ = MeasureMark(kind::Pedal, std::max(0, std::min(position_, measureLength_ - 1)));
  mark_->Fields.OffsetY = static_cast<int16_t>(above_ ? kSignAboveOffset : BelowOffset());
  return true;
}

bool TReader::OnRelativeY(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == Wedge && wedge_) Offset(wedge_->Fields.OffsetY, text, true);
  else if ((parent == Dynamics || parent == Pedal) && mark_) Offset(mark_->Fields.OffsetY, text, true);
  else if (parent == Words && lyric_) Offset(lyric_->Fields.OffsetY, text, true);
  return false;
}

bool TReader::OnRelativeX(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == Wedge && wedge_) Offset(wedge_->Fields.OffsetX, text, false);
  else if (parent == Dynamics && mark_) Offset(mark_->Fields.OffsetX, text, false);
  else if (parent == Words && lyric_) Offset(lyric_->Fields.OffsetX, text, false);
  return false;
}

bool TReader::OnSound(const TQSTag&, int parent) {
  return parent == mx::Measure || parent == Direction;
}

bool TReader::OnDirective(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent != mx::Measure || !measure_) return false;
  CheckItemRoom(measure_);
  lyric_ = Make<TQSLyric>(kind::Lyric, measure_);
  lyric_->Lines.push_back(text);
  mark_ = nullptr;
  return false;

}

bool TReader::OnOther(const TQSTag& tag, int parent) {
  // A sign of dynamics no kind stands for is written out as its letters.
  if (parent == Dynamics && dynamics_ && !tag.IsAttribute) DynamicsText(std::string(tag.Name));
  return false;
}

}  // namespace mxml
}  // namespace qs
