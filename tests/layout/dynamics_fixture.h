#pragma once
// Shorthands of the velocity and effect tests: a host that answers the
// score's playback questions from a table, and a recorder of the events a
// command fires.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "score/score.h"

namespace qs::test {

// Answers OnGetDinamics from Amounts (keyed by item type and subkind) and
// 64 for anything else, once Answer() installed it.
struct THostTable {
  std::map<std::pair<int, int>, int> Amounts;
  void Answer(TQSScore& score) {
    score.OnGetDinamics = [this](TObject*, int type, int kind) {
      auto it = Amounts.find({type, kind});
      return it == Amounts.end() ? 64 : it->second;
    };
  }
};

// Records OnChanged as "changed" and OnRecalculate as "recalculate".
struct TEventLog {
  std::vector<std::string> Events;
  explicit TEventLog(TQSScore& score) {
    score.OnChanged = [this](TObject*) { Events.push_back("changed"); };
    score.OnRecalculate = [this](TObject*) { Events.push_back("recalculate"); };
  }
};

}  // namespace qs::test
