// The MusicXML reader's handlers of identification, the part list and the parts' instruments.
#include "interchange/musicxml_reading.h"

namespace qs {
namespace mxml {

using namespace mx;

bool TReader::OnScoreHeader(const TQSTag&, int) {
  return true;
}

bool TReader::OnPart(const TQSTag& tag, int) {
  if (tag.IsAttribute) return false;
  EndOttavas();
  volta_ = nullptr;
  part_ = nullptr;
  measure_ = nullptr;
  return true;
}

bool TReader::OnWorkTitle(const TQSTag& tag, int) {
  const std::string& text = tag.Text;
  Title(text, false, tag.Code == WorkNumber);
  return true;
}

bool TReader::OnMovementTitle(const TQSTag& tag, int) {
  const std::string& text = tag.Text;
  Title(text, true, tag.Code == MovementNumber);
  return true;
}

bool TReader::OnCreator(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent != Identification) return false;
  creator_ = text;
  return true;
}

// The creator just read is the composer or the lyricist.
void TReader::CreatorType(const std::string& text) {
  if (SameText(text, "composer")) {
    score_.Composer = creator_;
    CreatorText(creator_, true);
  } else if (SameText(text, "poet") || SameText(text, "lyricist")) {
    score_.Poet = creator_;
    CreatorText(creator_, false);
  }
}

bool TReader::OnRights(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent != Identification) return false;
  score_.Rights = text;
  text_ = NewText(text, 10, (PageWidthUnits() - TextWidthOf(text, 10)) / 2,
                  Px(score_.Page.Tenths(TQSPage::dHeight).Value() -
                     score_.Page.Tenths(TQSPage::dBottomMargin).Value()) * 8 - 80);
  return true;
}

bool TReader::OnEncoding(const TQSTag&, int parent) {
  return parent == Identification;
}

bool TReader::OnScorePart(const TQSTag&, int parent) {
  if (parent != PartList) return false;
  if (piece_.PartCount() >= kMaxChildCount) Fail("The piece has too many parts");
  part_ = piece_.AddPart();
  part_->NewStaff()->NewVoice();
  lastStaff_ = part_->GetStaff(0);
  return true;
}

bool TReader::OnId(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == MidiInstrument) {
    midiInstrument_ = Trim(text);
  } else if (parent == Instrument) {
    noteInstrument_ = Trim(text);
  } else if (parent == ScorePart && part_) {
    part_->ShortName = text;
  } else if (parent == Part) {
    part_ = nullptr;
    for (TQSPart* p : piece_.PartList())
      if (p->ShortName == text) part_ = p;
    if (!part_) part_ = piece_.GetPart(0);
    // Every part starts in the same state.
    measureLength_ = MeterLength(data_.FirstTimeSignature);
    divisions_ = 1;
    tuplets_.clear();
    wedge_ = nullptr;
  }
  return false;
}

bool TReader::OnPartName(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent != ScorePart || !part_) return false;
  part_->SetName(text);
  names_[part_].first = text;
  return true;
}

bool TReader::OnPartAbbreviation(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent != ScorePart || !part_) return false;
  names_[part_].second = text;
  return true;
}

bool TReader::OnPartGroup(const TQSTag& tag, int parent) {
  if (parent != PartList || tag.IsAttribute) return false;
  groupDepth_ = tag.Depth;
  groupType_.clear();
  groupNumber_ = "1";
  groupSymbol_.clear();
  return true;
}

bool TReader::OnGroupSymbol(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == PartGroup) groupSymbol_ = text;
  return false;
}

bool TReader::OnScoreInstrument(const TQSTag&, int parent) {
  return parent == ScorePart;
}

bool TReader::OnMidiInstrument(const TQSTag& tag, int parent) {
  if (parent != ScorePart || tag.IsAttribute) return false;
  midiInstrument_.clear();
  return true;
}

bool TReader::OnMidiChannel(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == MidiInstrument && part_) part_->SetChannel(uint8_t(std::clamp(NumberOf(text, 1), 1, 16) - 1));
  return false;
}

bool TReader::OnMidiProgram(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == MidiInstrument && part_) part_->SetInstrument(uint8_t(std::clamp(NumberOf(text, 1), 1, 128) - 1));
  return false;
}

bool TReader::OnEncodingDetail(const TQSTag&, int) {
  return false;

}

bool TReader::OnMidiUnpitched(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == MidiInstrument && part_) drumKeys_[{part_, midiInstrument_}] = std::clamp(NumberOf(text, 1), 1, 128) - 1;
  return false;
}

}  // namespace mxml
}  // namespace qs
