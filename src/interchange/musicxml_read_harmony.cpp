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

// A degree added to, altered in or taken from the chord, written as the
// chord code writes it: an added or altered fifth, seventh, ninth,
// eleventh or thirteenth with its sharp or flat ("add" before a plain added
// one), a third or fifth left out. Seconds, fourths and sixths added are
// the ninth, eleventh and thirteenth, named as the file names them; what
// the code has no element for is left out.
bool TReader::OnDegree(const TQSTag& tag, int parent) {
  using namespace chordcode;
  if (!chord_) return false;
  if (tag.Code == Degree) {
    if (parent != Harmony) return false;
    degreeValue_ = degreeAlter_ = 0;
    return true;
  }
  if (parent != Degree) return false;
  if (tag.Code == DegreeValue) degreeValue_ = NumberOf(tag.Text, 0);
  if (tag.Code == DegreeAlter) degreeAlter_ = NumberOf(tag.Text, 0);
  if (tag.Code != DegreeType) return false;
  const std::string type = Trim(tag.Text);
  int value = degreeValue_;
  const bool simple = value == 2 || value == 4 || value == 6;
  if (simple) value += 7;
  std::vector<uint8_t> elements;
  const uint8_t sign = degreeAlter_ > 0 ? Alteration(kSharpFlat, kRaised) : degreeAlter_ < 0 ? Alteration(kSharpFlat, kLowered) : 0;
  const uint8_t number = value == 5 ? kAlter5 : value == 7 ? kAlter7 : value == 9 ? kAlter9 : value == 11 ? kAlter11 : value == 13 ? kAlter13 : 0;
  std::vector<uint8_t>& c = Code();
  auto hasQuality = [&] {
    for (int i = kFirstElementOffset; i < kFirstElementOffset + c[kCountOffset] - 1 && i < static_cast<int>(c.size()); ++i)
      if (HighNibble(c[static_cast<size_t>(i)]) >= kMinor && HighNibble(c[static_cast<size_t>(i)]) <= kOmit) return true;
    return false;
  };
  // A seventh added to a triad (a suspended kind's "7sus4") makes it a
  // seventh chord.
  if (SameText(type, "add") && degreeValue_ == 7 && sign == 0 && c.size() > kFirstElementOffset && c[kCountOffset] > 1)
    for (size_t i = kFirstElementOffset; i < static_cast<size_t>(kFirstElementOffset + c[kCountOffset] - 1) && i < c.size(); ++i)
      if (c[i] == kBase + kTriad) {
        c[i] = kBase + kSeventh;
        return false;
      }
  if (SameText(type, "subtract")) {
    if ((value == 3 || value == 5) && !hasQuality()) elements.push_back(static_cast<uint8_t>(kOmit + (value == 5 ? 1 : 0)));
  } else if (number && (SameText(type, "add") || SameText(type, "alter"))) {
    if (SameText(type, "add") && sign == 0) elements.push_back(static_cast<uint8_t>(simple ? kAdd + kAddSimple : kAdd));
    elements.push_back(static_cast<uint8_t>(number + sign));
  }
  if (elements.empty() || c.empty() || c[kCountOffset] == 0) return false;
  if (static_cast<int>(c.size() + elements.size()) > kMaxCodeLength) return false;
  // The elements go after the others, before the bass.
  const size_t at = static_cast<size_t>(kFirstElementOffset + c[kCountOffset] - 1);
  if (at > c.size()) return false;
  // An alteration of a degree the kind has already replaces it.
  if (SameText(type, "alter"))
    for (size_t i = kFirstElementOffset; i < at; ++i)
      if (HighNibble(c[i]) == number) {
        c[i] = static_cast<uint8_t>(number + sign);
        return false;
      }
  c.insert(c.begin() + static_cast<std::ptrdiff_t>(at), elements.begin(), elements.end());
  c[kCountOffset] = static_cast<uint8_t>(c[kCountOffset] + elements.size());
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
