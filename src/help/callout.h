#pragma once
// TFShowModule: the rounded, borderless window in which a lesson explains
// its steps. Timed, it only shows its text and the lesson closes it when
// its time is up; modal, it waits for "Next" or "Stop" (Space or Esc) and
// offers to go on without stopping; in stop mode (a lesson's last words)
// it has only "Stop".
#include <functional>
#include <string>

#include "platform/forms.h"

namespace qs {

class TBevel;
class TButton;
class TCheckBox;
class TECFormLanguage;
class TECXMLHelp;

class TFShowModule : public TForm {
 public:
  enum class TMode : uint8_t { Timed, Modal, Stop };

  explicit TFShowModule(TComponent* owner);
  const char* ClassName() const override { return "TFShowModule"; }

  TECXMLHelp* HShow = nullptr;
  TBevel* SShow = nullptr;
  TCheckBox* CBNotStop = nullptr;
  TButton* BBNext = nullptr;
  TButton* BBStop = nullptr;
  TECFormLanguage* FLShowModule = nullptr;

  // Loads a topic of a callout container (a missing one shows nothing).
  void LoadTopic(const std::string& containerFile, const std::string& topic);
  // Sizes and shapes the window for the mode from its text; the check box
  // shows continueWithoutStop.
  void Arrange(TMode mode, bool continueWithoutStop);
  TMode Mode() const { return mode_; }

  // Shows the callout: a timed one without taking the focus, the others
  // active and waiting for their answer.
  void Present();
  // mrNone while a modal or stop callout waits; mrOk after Next or Space,
  // mrCancel after Stop or Esc.
  int Answer() const { return answer_; }

  // The check box changed.
  std::function<void(bool continueWithoutStop)> OnNotStopChange;

 protected:
  void Paint() override;

 private:
  void Close(int answer);
  TMode mode_ = TMode::Timed;
  int answer_ = 0;
};

void RegisterCalloutForms();

}  // namespace qs
