// The MusicXML reader's handlers of barlines, endings, repeats and the breaks a
// measure's print asks for.
#include "interchange/musicxml_reading.h"

namespace qs {
namespace mxml {

using namespace mx;

bool TReader::OnBarline(const TQSTag& tag, int parent) {
  if (tag.IsAttribute || parent != mx::Measure || !measure_) return false;
  barline_ = nullptr;
  barDepth_ = tag.Depth;
  barPosition_ = measureLength_;  // a barline stands at the right unless told otherwise
  return true;
}

bool TReader::OnLocation(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == Barline) barPosition_ = SameText(text, "left") || SameText(text, "middle") ? 0 : measureLength_;
  return false;
}

bool TReader::OnBarStyle(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == Barline && measure_) {
    if (SameText(text, "light-heavy")) SetBarKind(kind::CompositionEnd);
    else if (SameText(text, "light-light")) SetBarKind(kind::SectionEnd);
    // A heavy-light bar ends the music at a measure's end and opens it
    // at its start (a repeat sign that follows replaces it).
    else if (SameText(text, "heavy-light"))
      SetBarKind(barPosition_ == 0 ? kind::CompositionBegin : kind::CompositionEnd);
  }
  return false;
}

bool TReader::OnRepeat(const TQSTag&, int parent) {
  if (parent != Barline || !measure_) return false;
  {
    const std::string* dir = AttributeOf(index_, mx::Direction);
    SetBarKind(dir && SameText(*dir, "backward") ? kind::RepeatClose : kind::RepeatOpen);
  }
  return false;
}

bool TReader::OnEnding(const TQSTag&, int parent) {
  return parent == Barline && measure_;
}

bool TReader::OnPrint(const TQSTag&, int parent) {
  return parent == mx::Measure && measure_;
}

bool TReader::OnNewSystem(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  if (parent == Print && SameText(text, "yes") && measure_->Index > 0)
    EnsureColumn(measure_->Index - 1)->Fields.SystemBreak = 1;
  return false;
}

bool TReader::OnNewPage(const TQSTag& tag, int parent) {
  const std::string& text = tag.Text;
  // The measure opens the new page: the page ends after the one before it.
  if (parent == Print && SameText(text, "yes") && measure_->Index > 0)
    EnsureColumn(measure_->Index - 1)->Fields.PageBreak = 1;
  return false;

}

}  // namespace mxml
}  // namespace qs
