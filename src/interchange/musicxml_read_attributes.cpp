// The MusicXML reader's handlers of measures and their attributes: divisions, keys,
// times, staves, clefs, staff details, transposition.
#include "interchange/musicxml_reading.h"

namespace qs {
namespace mxml {

using namespace mx;

bool TReader::OnMeasure(const TQSTag& tag, int parent) {
  if (tag.IsAttribute || parent != mx::Part || !part_) return false;
  if (part_->MeasureCount() >= kMaxChildCount) Fail("A part has too many measures");
  measure_ = part_->NewMeasure();
  position_ = lastStart_ = 0;
  SetMeasureLength(measureLength_);
  tuplets_.clear();
  mark_ = nullptr;
  return true;
}

bool TReader::OnNumber(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  switch (parent) {
    case Clef:
      if (clef_) {
        int n = NumberOf(text, 1);
        EnsureStaff(n - 1);
        clef_->Fields.StaffVoice = MakeStaffVoice(n - 1, 0);
      }
      break;
    case Lyric:
      if (lyric_ && lyricDepth_ >= 0) SetVerse(VerseNumber(text));
      break;
    case PartGroup:
      groupNumber_ = Trim(text);
      break;
    case Ending:
      endingNumber_ = text;
      break;
    case Slur:
      slurNumber_ = NumberOf(text, 1);
      slurNumberRead_ = true;
      HandleSlur();
      break;
    default:
      break;
  }
  return false;
}

bool TReader::OnAttributes(const TQSTag&, int parent) {
  return parent == mx::Measure && measure_;
}

bool TReader::OnDivisions(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent != Attributes) return false;
  divisions_ = NumberOf(text, 1);
  if (divisions_ <= 0) Fail(Format("The divisions value %s is not a positive number", Trim(text).c_str()));
  return false;
}

bool TReader::OnKey(const TQSTag&, int parent) {
  return parent == Attributes;
}

bool TReader::OnFifths(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent != Key || !measure_) return false;
  int fifths = std::clamp(NumberOf(text, 1), -7, 7);
  // A key the part already has (repeated, or with only its mode changed)
  // is not written again.
  const auto inForce = keyInForce_.find(part_);
  if (inForce != keyInForce_.end() && inForce->second == fifths && measure_->Index > 0) {
    key_ = nullptr;
    return false;
  }
  keyInForce_[part_] = fifths;
  key_ = MeasureMark(kind::Key, position_);
  key_->Fields.Kind = static_cast<uint8_t>(fifths >= 0 ? fifths : 10 - fifths);
  return false;
}

bool TReader::OnMode(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == Key && key_) key_->Fields.Style = SameText(text, "minor") ? 0 : 1;
  return false;
}

bool TReader::OnTime(const TQSTag& tag, int parent) {
  if (parent != Attributes || !measure_ || tag.IsAttribute) return false;
  timeSymbol_.clear();
  if (const std::string* symbol = AttributeOf(index_, mx::Symbol)) timeSymbol_ = Trim(*symbol);
  return true;
}

bool TReader::OnBeats(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent != Time) return false;
  TQSColumn* column = EnsureColumn(measure_->Index);
  time_ = nullptr;
  for (TQSItem* item : column->Items)
    if (item->ItemType == kind::Meter) time_ = static_cast<TQSMark*>(item);
  if (!time_) {
    int beats = NumberOf(text, 4);
    if (beats <= 0 || beats > 255) Fail(Format("The time signature has %d beats", beats));
    time_ = Make<TQSMark>(kind::Meter, column);
    time_->Fields.Value = MakeMeter(beats, 4);
  }
  return false;
}

bool TReader::OnBeatType(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent != Time || !time_) return false;
  int type = NumberOf(text, 4);
  if (type <= 0 || type > 255) Fail(Format("The time signature's beat type %d is not a note value", type));
  time_->Fields.Value = MakeMeter(MeterNumerator(time_->Fields.Value), type);
  const uint16_t meter = time_->Fields.Value;
  if (measure_->Index == 0) data_.FirstTimeSignature = meter;
  measureLength_ = std::clamp(MeterNumerator(meter) * kTicksWhole / type, 1, kMaxTicks);
  SetMeasureLength(measureLength_);
  // The common and cut signs where the score has them.
  if (SameText(timeSymbol_, "common") && meter == MakeMeter(4, 4))
    time_->Fields.Style = TQSMark::kMeterCommon;
  else if (SameText(timeSymbol_, "cut") &&
           (meter == MakeMeter(4, 4) || meter == MakeMeter(2, 4) || meter == MakeMeter(2, 2)))
    time_->Fields.Style = TQSMark::kMeterCut;
  time_ = nullptr;
  return false;
}

bool TReader::OnStaves(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent != Attributes || !part_) return false;
  int n = NumberOf(text, 1);
  if (n > kMaxStaves) Fail(Format("A part with %d staves cannot be shown: a part has at most %d", n, kMaxStaves));
  if (n < 1) return false;
  EnsureStaff(n - 1);
  if (n >= 2) {
    if (part_->MeasureCount() == 0) part_->NewMeasure();
    TQSMeasure* first = part_->GetMeasure(0);
    bool hasBrace = false;
    for (TQSItem* item : first->Items) hasBrace = hasBrace || item->ItemType == kind::Accolade;
    if (!hasBrace) mark_ = Make<TQSMark>(kind::Accolade, first);
  }
  return false;
}

bool TReader::OnClef(const TQSTag&, int parent) {
  if (parent != Attributes || !measure_) return false;
  clef_ = MeasureMark(kind::Clef, position_);
  clef_->Fields.Kind = clef::Treble;
  clefSign_.clear();
  clefLine_ = clefOctave_ = 0;
  return true;
}

bool TReader::OnSign(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == Clef && clef_) {
    clefSign_ = text;
    UpdateClefKind();
  }
  return false;
}

bool TReader::OnLine(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == Clef && clef_) {
    clefLine_ = NumberOf(text, 0);
    UpdateClefKind();
  } else if (parent == StaffTuning) {
    tuningLine_ = NumberOf(text, 1) - 1;
  }
  return false;
}

bool TReader::OnClefOctaveChange(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == Clef && clef_) {
    clefOctave_ = NumberOf(text, 0);
    UpdateClefKind();
  }
  return false;
}

bool TReader::OnStaffDetails(const TQSTag&, int parent) {
  if (parent != Attributes || !part_) return false;
  lastStaff_ = EnsureStaff(0);
  if (const std::string* n = AttributeOf(index_, mx::Number)) lastStaff_ = EnsureStaff(NumberOf(*n, 1) - 1);
  return true;
}

bool TReader::OnStaffLines(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == StaffDetails && lastStaff_)
    lastStaff_->SetLineCount(static_cast<uint8_t>(std::clamp(NumberOf(text, 5), 0, TQSStaff::kMaxLines)));
  return false;
}

bool TReader::OnStaffTuning(const TQSTag&, int parent) {
  if (parent != StaffDetails || !lastStaff_) return false;
  tuningLine_ = 0;
  lastStaff_->SetTablature(true);
  return true;
}

bool TReader::OnTuningStep(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == StaffTuning && lastStaff_ && tuningLine_ >= 0 && tuningLine_ < TQSStaff::kMaxLines)
    lastStaff_->SetTuning(tuningLine_, static_cast<uint8_t>(kStepSemitones[StepIndex(text)]));
  return false;
}

bool TReader::OnTuningOctave(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == StaffTuning && lastStaff_ && tuningLine_ >= 0 && tuningLine_ < TQSStaff::kMaxLines) {
    int v = lastStaff_->GetTuning(tuningLine_) + std::clamp(NumberOf(text, 0), 0, 9) * 12;
    lastStaff_->SetTuning(tuningLine_, static_cast<uint8_t>(std::min(v, 127)));
  }
  return false;

}

bool TReader::OnTranspose(const TQSTag& tag, int parent) {
  if (parent != Attributes || !part_ || tag.IsAttribute) return false;
  transposeChromatic_ = transposeOctaves_ = 0;
  return true;
}

bool TReader::OnTransposeAmount(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == Transpose && part_) {
    (tag.Code == Chromatic ? transposeChromatic_ : transposeOctaves_) = std::clamp(NumberOf(text, 0), -48, 48);
    // A transposing instrument sounds its written notes this far off.
    const TQSTransportRecord r = MakeTransportRecord(transposeChromatic_ + 12 * transposeOctaves_);
    part_->SetTransport(1, &r);
  }
  return false;
}

}  // namespace mxml
}  // namespace qs
