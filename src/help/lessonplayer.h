#pragma once
// The lesson player: runs a lesson script on the program as built. A
// pointer drawn over the windows moves to the named controls, clicks,
// presses and types (posted to the controls as the window system posts a
// user's input), and callouts explain each step. Everything runs on the
// window thread, one small piece per timer tick: no window is ever touched
// from another thread, and a modal window opened by a step does not hold
// the lesson (the ticks go on inside its loop).
#include <functional>
#include <memory>
#include <string>

#include "base/geometry.h"
#include "help/lessonscript.h"

namespace qs {

class TComponent;
class TControl;
class TCustomForm;
class TECPageControl;
class TFShowModule;
class TTimer;
namespace platform {
class TDrawnPointer;
}

// What the lesson needs of the main window.
class TLessonHost {
 public:
  virtual ~TLessonHost() = default;
  // A form by its component name: the document windows, the tool pages'
  // forms, then every form of the screen; null when none.
  virtual TCustomForm* FindFormByName(const std::string& name) = 0;
  // Opens (or builds) the lesson's sample score in a document window of
  // that form name; kind as lesson::kNormalSample ...
  virtual void OpenLessonSample(const std::string& formName, int kind) = 0;
  // Modal callouts shown as timed ones.
  virtual bool ContinueWithoutStop() const = 0;
  virtual void SetContinueWithoutStop(bool on) = 0;
  // The lesson is over (its last step, "exit", Stop or Esc); the player may
  // be freed from here on.
  virtual void LessonEnded() = 0;
};

class TLessonPlayer {
 public:
  // languageCode picks the callout texts ("DEU" ...); folder is where the
  // callout containers are found.
  TLessonPlayer(TLessonHost& host, TLessonScript script, std::string languageCode);
  ~TLessonPlayer();
  TLessonPlayer(const TLessonPlayer&) = delete;
  TLessonPlayer& operator=(const TLessonPlayer&) = delete;

  void Start();
  // Ends the lesson at the next tick (Esc, or the program closing).
  void RequestStop() { stopRequested_ = true; }
  bool Running() const { return running_; }
  const TLessonScript& Script() const { return script_; }
  // The step being run, from 0.
  int StepIndex() const { return index_; }
  // Closes a timed callout whose time is up.
  void CheckCalloutTimeout();
  TFShowModule* Callout() const { return callout_.get(); }

  // Lesson times are divided by this (tests run lessons quickly); 1 and
  // above.
  static void SetSpeedForTesting(int factor);

  // Where a step's target stands on the screen, for the control and the
  // step's values (offsets included); the fallback when nothing else
  // applies is the control's centre.
  static TPoint TargetPoint(TControl& control, const TLessonStep& step);

 private:
  enum class TPhase : uint8_t { Next, Moving, Clicking, Typing, AwaitAnswer, Sleeping, AwaitWindow, HoldScroll, Done };
  void Tick();
  void BeginStep();
  void FinishStep();
  void End();
  TComponent* FindTarget(const std::string& name) const;
  TControl* Target() const;
  void BeginMove(const TLessonStep& step);
  void MoveOnce();
  void BeginClick(const TLessonStep& step);
  void ShowCallout(const TLessonStep& step);
  TPoint PointerInClient(TControl& control) const;
  void SleepFor(int ms);
  int Scaled(int ms) const;

  TLessonHost& host_;
  TLessonScript script_;
  std::string language_;
  std::unique_ptr<TTimer> timer_;
  std::unique_ptr<platform::TDrawnPointer> pointer_;
  std::unique_ptr<TFShowModule> callout_;
  int index_ = -1;
  TPhase phase_ = TPhase::Next;
  bool running_ = false, stopRequested_ = false;
  // The target that later steps act on until another is named.
  std::string targetName_;
  lesson::TTarget lastTarget_ = lesson::TTarget::None;
  std::string captionTarget_;  // "Close" or "Move" on a form caption
  std::string captionForm_;
  // Moving: the point aimed at and the moves left.
  TPoint aim_;
  int movesLeft_ = 0;
  // A form dragged by its caption: 1 armed, 2 dragging; the pointer's
  // offset from the form's corner.
  int drag_ = 0;
  TPoint dragOffset_;
  // Clicking and typing.
  // What a move does when it arrives (a tab strip scrolled), and how
  // often the strip was scrolled for this step.
  std::function<void()> afterMove_;
  int tabScrolls_ = 0;
  // A notebook's scroll button held down until a tab comes into its strip.
  TControl* holdButton_ = nullptr;
  TECPageControl* holdPages_ = nullptr;
  TLessonStep holdStep_;
  uint64_t holdUntil_ = 0;
  int clickStage_ = 0;
  bool buttonHeld_ = false;
  size_t typed_ = 0;
  // When the current wait ends (tick count), and the callout's deadline.
  uint64_t resumeAt_ = 0;
  int64_t calloutDeadline_ = -1;
  int windowPolls_ = 0;
  std::string activeFormName_;
};

}  // namespace qs
