#include "help/lessonplayer.h"

#include <algorithm>
#include <cstdlib>

#include "base/strings.h"
#include "chords/frameeditor.h"
#include "help/callout.h"
#include "platform/comctrls.h"
#include "platform/forms.h"
#include "platform/paths.h"
#include "platform/stdctrls.h"
#include "platform/synthinput.h"
#include "platform/timers.h"
#include "uikit/buttonscroll.h"
#include "uikit/charbutton.h"
#include "uikit/fretboard.h"
#include "uikit/menuitem.h"
#include "uikit/musickeyboard.h"
#include "uikit/pagecontrol.h"
#include "view/window.h"

namespace qs {

using TStepAction = lesson::TAction;
using lesson::TTarget;

namespace {

constexpr int kTickMs = 10;
// A pointer this close to its aim has arrived.
constexpr int kNear = 2;
// "window" gives up after this many looks, 100 ms apart.
constexpr int kWindowPolls = 101;
// A notebook's strip is scrolled once per step to bring a tab in.
constexpr int kMaxTabScrolls = 1;
int g_speed = 1;

// A component by name among everything root owns, at any depth (controls
// are owned by their parents), and among the entries of its menus.
TComponent* FindNamed(TComponent& root, const std::string& name) {
  for (int i = 0; i < root.ComponentCount(); ++i) {
    TComponent* c = root.Components(i);
    if (!c) continue;
    if (SameText(c->Name(), name)) return c;
    if (TComponent* inner = FindNamed(*c, name)) return inner;
    if (auto* item = dynamic_cast<TECMenuItem*>(c))
      for (int k = 0; k < item->Count(); ++k)
        if (TECMenuItem* sub = item->Items(k); sub && SameText(sub->Name(), name)) return sub;
  }
  return nullptr;
}

// The characters of a UTF-8 text, each with its bytes.
std::vector<std::string> Characters(const std::string& utf8) {
  std::vector<std::string> out;
  for (char c : utf8) {
    if ((static_cast<unsigned char>(c) & 0xC0) == 0x80 && !out.empty()) out.back() += c;
    else out.emplace_back(1, c);
  }
  return out;
}

// The window a menu entry is drawn in: its list's (the parent's) window.
TControl* MenuWindowOf(const TECMenuItem& item) {
  if (TECMenuItem* parent = item.Parent()) return parent->Window();
  return item.Window();
}

TPoint Centre(const TRect& r) { return {r.Left + r.Width() / 2, r.Top + r.Height() / 2}; }

bool IsShowing(TControl& control) {
  for (TControl* c = &control; c; c = c->Parent())
    if (!c->Visible()) return false;
  return true;
}

}  // namespace

void TLessonPlayer::SetSpeedForTesting(int factor) { g_speed = std::max(1, factor); }

int TLessonPlayer::Scaled(int ms) const { return ms / g_speed; }

TLessonPlayer::TLessonPlayer(TLessonHost& host, TLessonScript script, std::string languageCode)
    : host_(host), script_(std::move(script)), language_(std::move(languageCode)) {}

TLessonPlayer::~TLessonPlayer() {
  if (timer_) timer_->SetEnabled(false);
}

void TLessonPlayer::Start() {
  if (running_) return;
  running_ = true;
  pointer_ = std::make_unique<platform::TDrawnPointer>();
  timer_ = std::make_unique<TTimer>(nullptr);
  timer_->SetInterval(kTickMs);
  timer_->OnTimer = [this](TObject*) { Tick(); };
  timer_->SetEnabled(true);
}

void TLessonPlayer::End() {
  if (!running_) return;
  running_ = false;
  timer_->SetEnabled(false);
  if (callout_) callout_->Hide();
  if (pointer_) pointer_->Hide();
  host_.LessonEnded();
}

void TLessonPlayer::CheckCalloutTimeout() {
  if (!callout_ || !callout_->Visible() || callout_->Mode() != TFShowModule::TMode::Timed) return;
  if (calloutDeadline_ < 0 || static_cast<int64_t>(GetTickCount()) >= calloutDeadline_) callout_->Hide();
}

void TLessonPlayer::SleepFor(int ms) { resumeAt_ = GetTickCount() + static_cast<uint64_t>(std::max(0, Scaled(ms))); }

void TLessonPlayer::Tick() {
  if (!running_) return;
  if (stopRequested_) {
    End();
    return;
  }
  CheckCalloutTimeout();
  if (resumeAt_ && GetTickCount() < resumeAt_) return;
  resumeAt_ = 0;
  switch (phase_) {
    case TPhase::Next:
      if (++index_ >= static_cast<int>(script_.Steps.size())) End();
      else BeginStep();
      break;
    case TPhase::Moving: MoveOnce(); break;
    case TPhase::Clicking:
      if (TControl* c = Target(); c && clickStage_ == 1) {
        const TPoint p = PointerInClient(*c);
        platform::PostMouseButton(*c, p.X, p.Y, false, SameText(script_.Steps[index_].Qualifier, "right") ? mbRight : mbLeft);
      }
      FinishStep();
      break;
    case TPhase::Typing: {
      const TLessonStep& step = script_.Steps[static_cast<size_t>(index_)];
      TControl* c = Target();
      const std::vector<std::string> text = Characters(step.Text);
      if (!c || typed_ >= text.size()) {
        FinishStep();
        break;
      }
      platform::PostCharacter(*c, text[typed_++]);
      if (step.Time > 0) SleepFor(step.Time / static_cast<int>(text.size()));
      break;
    }
    case TPhase::AwaitAnswer:
      if (!callout_ || callout_->Answer() == mrNone) {
        if (callout_ && !callout_->Visible()) callout_->Present();  // hidden by the window system
        break;
      }
      if (callout_->Answer() == mrCancel && callout_->Mode() != TFShowModule::TMode::Stop) stopRequested_ = true;
      if (TCustomForm* f = host_.FindFormByName(activeFormName_)) f->SetFocus();
      FinishStep();
      break;
    case TPhase::Sleeping: FinishStep(); break;
    case TPhase::HoldScroll: {
      const TRect tab = holdPages_->GetTabRectByName(holdStep_.Page);
      const bool in = tab.Top >= 0 && tab.Left >= 0 && tab.Bottom <= holdPages_->ClientHeight() &&
                      tab.Right <= holdPages_->ClientWidth();
      if (in || GetTickCount() >= holdUntil_) {
        platform::PostMouseButton(*holdButton_, holdButton_->Width() / 2, holdButton_->Height() / 2, false);
        tabScrolls_ = kMaxTabScrolls;  // the tab is as near as it gets
        BeginMove(holdStep_);
      }
      break;
    }
    case TPhase::AwaitWindow: {
      TCustomForm* active = Screen().ActiveForm();
      if ((active && SameText(active->Name(), script_.Steps[static_cast<size_t>(index_)].Topic)) ||
          ++windowPolls_ >= kWindowPolls) {
        FinishStep();
        break;
      }
      resumeAt_ = GetTickCount() + 100;
      break;
    }
    case TPhase::Done: break;
  }
}

void TLessonPlayer::FinishStep() { phase_ = TPhase::Next; }

TComponent* TLessonPlayer::FindTarget(const std::string& name) const {
  if (name.empty()) return nullptr;
  const size_t dot = name.find('.');
  TComponent* root = nullptr;
  std::string inner = name;
  if (dot == std::string::npos) {
    root = Screen().ActiveForm();
  } else {
    root = const_cast<TLessonHost&>(host_).FindFormByName(name.substr(0, dot));
    inner = name.substr(dot + 1, 1000);
  }
  return root ? FindNamed(*root, inner) : nullptr;
}

TControl* TLessonPlayer::Target() const {
  TComponent* c = FindTarget(targetName_);
  // A menu entry is clicked in the menu window that shows it.
  if (auto* item = dynamic_cast<TECMenuItem*>(c)) return MenuWindowOf(*item);
  return dynamic_cast<TControl*>(c);
}

TPoint TLessonPlayer::PointerInClient(TControl& control) const {
  return control.ScreenToClient(pointer_->Position());
}

TPoint TLessonPlayer::TargetPoint(TControl& control, const TLessonStep& step) {
  TPoint p = Centre(TRect{0, 0, control.Width(), control.Height()});
  const bool dropDown = SameText(step.Qualifier, "DropDown");
  if (auto* list = dynamic_cast<TListBox*>(&control)) {
    const TRect r = list->ItemRect(std::max(0, step.Index));
    if (!r.IsEmpty()) p = {control.Width() / 2, r.Top + r.Height() / 2};
  } else if (auto* tree = dynamic_cast<TTreeView*>(&control)) {
    const TRect r = tree->NodeRect(tree->ShownNode(step.Index), SameText(step.Qualifier, "extract"));
    p = r.IsEmpty() ? TPoint{10, control.Height() / 2} : Centre(r);
  } else if (auto* pages = dynamic_cast<TECPageControl*>(&control)) {
    if (!step.Page.empty()) {
      const TRect r = pages->GetTabRectByName(step.Page);
      if (!r.IsEmpty()) p = Centre(r);
    }
  } else if (auto* view = dynamic_cast<TQSWindow*>(&control)) {
    static const char* const kMarkers[] = {"staffleft", "staffright", "stafftop", "measure", "dole"};
    int marker = 0;
    for (int i = 0; i < 5; ++i)
      if (SameText(step.Rule, kMarkers[i])) marker = i + 1;
    if (marker) view->RulerMarkerPoint(marker, p);
    else if (!step.Scroll.empty()) view->ScrollArrowPoint(SameText(step.Scroll, "horizontal"), StrToIntSafe(step.Qualifier, 0), p);
    else if (!step.Page.empty()) view->PageOrigin(StrToIntSafe(step.Page, 0), p);
    else view->ScorePositionToScreen(step.Piece, step.Part, step.Staff, step.Measure, step.Dole, step.Height, step.Index, p);
  } else if (auto* keyboard = dynamic_cast<TECMusicKeyboard*>(&control)) {
    keyboard->GetKeyPoint(step.Octave, step.Note, step.Tone != 0, step.Height, p);
  } else if (auto* frame = dynamic_cast<TECFrameEditor*>(&control)) {
    p = frame->GetCellPoint(step.String, step.Fret);
  } else if (auto* guitar = dynamic_cast<TECGuitar*>(&control)) {
    p = guitar->GetFretPoint(step.String, step.Fret);
  } else if (dynamic_cast<TECCharButton*>(&control) || dynamic_cast<TComboBox*>(&control)) {
    p = {dropDown ? control.Width() - 6 : control.Width() / 2, control.Height() / 2};
  } else if (dynamic_cast<TUpDown*>(&control)) {
    p = {control.Width() / 2, SameText(step.Qualifier, "Down") ? control.Height() * 3 / 4 : control.Height() / 4};
  }
  return control.ClientToScreen({p.X + step.X, p.Y + step.Y});
}

void TLessonPlayer::BeginStep() {
  const TLessonStep& step = script_.Steps[static_cast<size_t>(index_)];
  phase_ = TPhase::Next;
  if (!step.ForThisEdition()) return;
  if (!step.Name.empty()) {
    if (step.Target == TTarget::Caption) {
      const size_t dot = step.Name.find('.');
      captionForm_ = dot == std::string::npos ? std::string() : step.Name.substr(0, dot);
      captionTarget_ = dot == std::string::npos ? step.Name : step.Name.substr(dot + 1, 1000);
    } else {
      targetName_ = step.Name;
    }
  }
  switch (step.Action) {
    case TStepAction::Move: BeginMove(step); break;
    case TStepAction::Click: BeginClick(step); break;
    case TStepAction::Down:
    case TStepAction::Up: {
      const bool down = step.Action == TStepAction::Down;
      if (lastTarget_ == TTarget::Caption) {
        if (down && drag_ == 1) drag_ = 2;
        if (!down) drag_ = 0;
      } else if (TControl* c = Target(); c && IsShowing(*c)) {
        const TPoint p = PointerInClient(*c);
        platform::PostMouseButton(*c, p.X, p.Y, down, SameText(step.Qualifier, "right") ? mbRight : mbLeft);
        buttonHeld_ = down;
      }
      if (step.Time > 0) SleepFor(step.Time);
      phase_ = TPhase::Sleeping;
      break;
    }
    case TStepAction::Key:
      if (TControl* c = Target(); c && IsShowing(*c) && SameText(step.Text, "Esc"))
        platform::PostKeyPress(*c, VK_ESCAPE);
      break;
    case TStepAction::Type:
      typed_ = 0;
      phase_ = TPhase::Typing;
      break;
    case TStepAction::Callout: ShowCallout(step); break;
    case TStepAction::Wait:
      SleepFor(step.Time < 1 ? 1000 : step.Time);
      phase_ = TPhase::Sleeping;
      break;
    case TStepAction::WaitWindow:
      windowPolls_ = 0;
      phase_ = TPhase::AwaitWindow;
      break;
    case TStepAction::Sample: host_.OpenLessonSample(step.Topic, step.SampleKind); break;
    case TStepAction::CloseWindow:
      if (TCustomForm* f = Screen().ActiveForm()) f->Close();
      break;
    case TStepAction::End: stopRequested_ = true; break;
    default: break;
  }
}

void TLessonPlayer::BeginMove(const TLessonStep& step) {
  const TPoint from = pointer_->Position();
  aim_ = from;
  switch (step.Target) {
    case TTarget::Control:
      // A control that cannot be found or is hidden leaves the pointer
      // where it is.
      if (auto* item = dynamic_cast<TECMenuItem*>(FindTarget(targetName_))) {
        if (step.Index >= 0 && step.Index < item->Count()) item = item->Items(step.Index);
        if (TControl* window = MenuWindowOf(*item); window && IsShowing(*window)) {
          const TRect r = item->ItemRect();
          const int x = SameText(step.Qualifier, "DropDown") ? r.Right - 4 : r.Left + r.Width() / 2;
          aim_ = window->ClientToScreen({x + step.X, r.Top + r.Height() / 2 + step.Y});
        }
      } else if (TControl* c = Target(); c && IsShowing(*c)) {
        aim_ = TargetPoint(*c, step);
        // A tab scrolled out of the notebook's strip: the pointer goes to
        // the strip's scroll button first, clicks it, and looks again.
        if (auto* pages = dynamic_cast<TECPageControl*>(c); pages && !step.Page.empty() && tabScrolls_ < kMaxTabScrolls) {
          const TRect tab = pages->GetTabRectByName(step.Page);
          const bool after = tab.Bottom > pages->ClientHeight() || tab.Right > pages->ClientWidth();
          const bool before = tab.Top < 0 || tab.Left < 0;
          TECButtonScroll* button = (after || before) ? pages->ScrollButton(after ? 1 : 0) : nullptr;
          if (button && button->Visible()) {
            aim_ = button->ClientToScreen({button->Width() / 2, button->Height() / 2});
            ++tabScrolls_;
            afterMove_ = [this, button = static_cast<TControl*>(button), pages, step] {
              // Held down, the button scrolls on until the tab is in.
              platform::PostMouseButton(*button, button->Width() / 2, button->Height() / 2, true);
              holdButton_ = button;
              holdPages_ = pages;
              holdStep_ = step;
              holdUntil_ = GetTickCount() + 8000;
              phase_ = TPhase::HoldScroll;
            };
          }
        }
      }
      break;
    case TTarget::Offset:
      aim_ = {from.X + step.X, from.Y + step.Y};
      if (drag_ == 2)
        if (TCustomForm* f = host_.FindFormByName(captionForm_)) dragOffset_ = {from.X - f->Left(), from.Y - f->Top()};
      break;
    case TTarget::Caption:
      if (TCustomForm* f = host_.FindFormByName(captionForm_)) {
        if (SameText(captionTarget_, "Close")) aim_ = {f->Left() + f->Width() - 10, f->Top() + 10};
        else if (SameText(captionTarget_, "Move")) {
          aim_ = {f->Left() + f->Width() / 2, f->Top() + 10};
          drag_ = 1;
        }
      }
      break;
    default: break;
  }
  lastTarget_ = step.Target;
  if (!afterMove_) tabScrolls_ = 0;
  movesLeft_ = Scaled(step.Time) / kTickMs;
  if (movesLeft_ < 1) movesLeft_ = 1;  // a jump: one move
  phase_ = TPhase::Moving;
  MoveOnce();
}

// One move: a share of the way left, so that the pointer slows down as it
// comes near; the last move lands on the aim, so a move always ends.
void TLessonPlayer::MoveOnce() {
  const TPoint at = pointer_->Position();
  const int n = std::max(1, movesLeft_);
  const TPoint next = {at.X + (aim_.X - at.X) / n, at.Y + (aim_.Y - at.Y) / n};
  pointer_->MoveTo(next);
  // The control under the pointer hears it move, as a user's pointer
  // moving over it (menus and buttons light up).
  if (TControl* c = Target(); c && IsShowing(*c)) {
    const TPoint p = c->ScreenToClient(next);
    if (p.X >= 0 && p.Y >= 0 && p.X < c->Width() && p.Y < c->Height()) platform::PostMouseMove(*c, p.X, p.Y, buttonHeld_);
  }
  if (drag_ == 2)
    if (TCustomForm* f = host_.FindFormByName(captionForm_))
      f->SetBounds(next.X - dragOffset_.X, next.Y - dragOffset_.Y, f->Width(), f->Height());
  if (movesLeft_ > 1) --movesLeft_;
  if ((std::abs(aim_.X - next.X) <= kNear && std::abs(aim_.Y - next.Y) <= kNear) || n == 1) {
    pointer_->MoveTo(aim_);
    FinishStep();
    if (afterMove_) {
      auto next = std::move(afterMove_);
      afterMove_ = nullptr;
      next();
    }
  }
}

void TLessonPlayer::BeginClick(const TLessonStep& step) {
  if (lastTarget_ == TTarget::Caption) {
    // The caption's buttons: a click on "Close" closes the form.
    if (SameText(captionTarget_, "Close"))
      if (TCustomForm* f = host_.FindFormByName(captionForm_)) f->Close();
    return;
  }
  TControl* c = Target();
  if (!c || !IsShowing(*c)) return;
  const TPoint p = PointerInClient(*c);
  platform::PostMouseButton(*c, p.X, p.Y, true, SameText(step.Qualifier, "right") ? mbRight : mbLeft);
  clickStage_ = 1;
  phase_ = TPhase::Clicking;
  if (step.Time > 0) SleepFor(step.Time);
}

void TLessonPlayer::ShowCallout(const TLessonStep& step) {
  if (!callout_) {
    callout_ = std::make_unique<TFShowModule>(nullptr);
    callout_->OnNotStopChange = [this](bool on) { host_.SetContinueWithoutStop(on); };
  }
  std::string container = platform::FindResource("Ticher/" + step.Help + "." + language_ + ".xcf");
  if (container.empty()) container = platform::FindResource("Ticher/" + step.Help + ".ENU.xcf");
  callout_->Hide();
  callout_->LoadTopic(container, step.Topic);
  calloutDeadline_ = static_cast<int64_t>(GetTickCount()) + std::max(1, Scaled(step.Time > 0 ? step.Time : 1000));
  TCustomForm* active = Screen().ActiveForm();
  activeFormName_ = active ? active->Name() : std::string();
  const bool waits = step.Stop || (step.Modal && !host_.ContinueWithoutStop());
  if (waits) {
    callout_->Arrange(step.Stop ? TFShowModule::TMode::Stop : TFShowModule::TMode::Modal, host_.ContinueWithoutStop());
    callout_->Present();
    phase_ = TPhase::AwaitAnswer;
    return;
  }
  callout_->Arrange(TFShowModule::TMode::Timed, host_.ContinueWithoutStop());
  callout_->Present();
}

}  // namespace qs
