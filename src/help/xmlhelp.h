#pragma once
// TECXMLHelp: the help viewer. It shows the topics of a topic list from a
// help container (or a plain page), follows topic links itself, hands
// every other link to its owner through OnClickRef, and keeps a history of
// the topic lists a reader went through.
#include <string>
#include <vector>

#include "help/helpview.h"

namespace qs {

class TECXMLHelp : public TECHelpView {
 public:
  explicit TECXMLHelp(TComponent* owner);
  const char* ClassName() const override { return "TECXMLHelp"; }

  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& value);

  const std::vector<std::string>& Topics() const { return topics_; }
  void AddTopic(const std::string& name);
  void ClearTopics();

  void GoBack();
  void GoForward();
  bool CanGoBack() const { return position_ >= 2; }
  bool CanGoForward() const { return position_ < static_cast<int>(history_.size()); }
  // Stores the topic list at the history position and moves past it.
  void PushHistory();
  // Drops every entry from the position on.
  void TruncateHistory();
  int HistoryCount() const { return static_cast<int>(history_.size()); }
  int HistoryPosition() const { return position_; }

 protected:
  void LoadItems() override;
  void LinkClicked(const TECHelpItem& item) override;

 private:
  void Show(std::vector<std::string> topics);
  std::string fileName_;
  std::vector<std::string> topics_;
  std::vector<std::vector<std::string>> history_;
  int position_ = 0;
};

}  // namespace qs
