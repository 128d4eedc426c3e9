// The MusicXML reader's handlers of chord symbols.
#include "interchange/musicxml_reading.h"

namespace qs {
namespace mxml {

using namespace mx;

bool TReader::OnHarmony(const TQSTag&, int parent) {
  return parent == mx::Measure && measure_;
}

bool TReader::OnRoot(const TQSTag&, int parent) {
  if (parent != Harmony) return false;
  CheckItemRoom(measure_);
  chord_ = Make<TQSChord>(kind::Chord, measure_);
  chord_->Fields.Time = static_cast<uint16_t>(position_);
  chord_->Fields.OffsetY = -128;
  chord_->Definition = {1, 0, 0};
  return true;
}

bool TReader::OnRootStep(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == Root && chord_) Code()[2] = static_cast<uint8_t>((Code()[2] & 0xF0) | StepIndex(text));
  return false;
}

bool TReader::OnRootAlter(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == Root && chord_) Code()[2] = static_cast<uint8_t>((Code()[2] & 0x0F) | AlterBits(text));
  return false;
}

bool TReader::OnKind(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == Harmony && chord_) HarmonyKind(Trim(text));
  return false;
}

bool TReader::OnBass(const TQSTag&, int parent) {
  return parent == Harmony && chord_;
}

bool TReader::OnBassStep(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == Bass && chord_) {
    std::vector<uint8_t>& c = Code();
    if (c[1] == 0) c.push_back(0);
    c[1] = 1;
    c.back() = static_cast<uint8_t>(StepIndex(text));
  }
  return false;
}

bool TReader::OnBassAlter(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == Bass && chord_ && Code()[1])
    Code().back() = static_cast<uint8_t>((Code().back() & 0x0F) | AlterBits(text));
  return false;

}

}  // namespace mxml
}  // namespace qs
