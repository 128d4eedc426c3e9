#pragma once
// Connects a score view's keys to the editing commands: the view's key
// table reaches them through its events.
namespace qs {

class TQSWindow;
class TQSScore;

void ConnectViewCommands(TQSWindow& view, TQSScore& score);

}  // namespace qs
