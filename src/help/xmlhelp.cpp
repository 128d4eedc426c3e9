#include "help/xmlhelp.h"

#include <exception>

namespace qs {

TECXMLHelp::TECXMLHelp(TComponent* owner) : TECHelpView(owner) {}

void TECXMLHelp::SetFileName(const std::string& value) {
  if (value == fileName_) return;
  fileName_ = value;
  Reload();
  PushHistory();
  LayoutItems();
  Redraw();
}

void TECXMLHelp::AddTopic(const std::string& name) {
  topics_.push_back(name);
  Reload();
  LayoutItems();
  ClampScroll();
  Redraw();
}

void TECXMLHelp::ClearTopics() {
  topics_.clear();
  Reload();
  LayoutItems();
  ClampScroll();
  Redraw();
}

void TECXMLHelp::LoadItems() {
  THelpContent content;
  content.BaseFont.Color = Font().Color;
  // A damaged container shows the items read before the damage.
  try {
    content.LoadFile(fileName_, topics_);
  } catch (const std::exception&) {
  }
  items_ = std::move(content.Items);
}

void TECXMLHelp::PushHistory() {
  if (position_ < static_cast<int>(history_.size()))
    history_[position_] = topics_;
  else
    history_.push_back(topics_);
  ++position_;
  if (OnHistory) OnHistory(this);
}

void TECXMLHelp::TruncateHistory() {
  while (static_cast<int>(history_.size()) > position_) {
    history_.pop_back();
    if (OnHistory) OnHistory(this);
  }
}

void TECXMLHelp::Show(std::vector<std::string> topics) {
  topics_ = std::move(topics);
  Reload();
  LayoutItems();
  ClampScroll();
  Redraw();
  if (OnHistory) OnHistory(this);
}

void TECXMLHelp::GoBack() {
  if (history_.empty() || position_ < 2) return;
  --position_;
  Show(history_[position_ - 1]);
}

void TECXMLHelp::GoForward() {
  if (position_ >= static_cast<int>(history_.size())) return;
  ++position_;
  Show(history_[position_ - 1]);
}

void TECXMLHelp::LinkClicked(const TECHelpItem& item) {
  switch (item.LinkKind) {
    case helplink::Outside:
      if (OnClickRef) OnClickRef(this, item.Link);
      break;
    case helplink::Topic: {
      const std::string target = item.Link;  // the item goes with the reload
      topics_ = {target};
      PushHistory();
      TruncateHistory();
      Reload();
      LayoutItems();
      ClampScroll();
      Redraw();
      break;
    }
    default:
      break;  // local links have no action
  }
}

}  // namespace qs
