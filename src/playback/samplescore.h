#pragma once
// A short laid-out melody for the review pictures of the side editors: four
// measures of one voice with a chord, notes played earlier, later, longer
// and shorter than written, a grace note, an ornament's effect note, a
// crescendo of velocities and a few raw MIDI events. Owned by the window
// that shows it, as a component.
#include <memory>

#include "platform/controls.h"

namespace qs {

class TQSScore;
class TQSPart;
struct TQSHiddenView;

class TQSSampleScore : public TComponent {
 public:
  explicit TQSSampleScore(TComponent* owner);
  ~TQSSampleScore() override;
  const char* ClassName() const override { return "TQSSampleScore"; }

  TQSScore& Score() { return *score_; }
  TQSPart* Part() const;
  // The score's active view; its cursor is on the first measure's last
  // note.
  TQSHiddenView& View() { return *view_; }

 private:
  std::unique_ptr<TQSScore> score_;
  std::unique_ptr<TQSHiddenView> view_;
};

}  // namespace qs
