#pragma once
// Automatic saving of modified documents: at each tick of the main timer,
// at most once every check period, every document that is modified, has
// a native file of its own and was last saved longer than the interval
// ago is saved to that file. A save that fails is reported once for the
// document and tried again later; the document stays open and modified,
// and the file on disk stays as it was.
#include <chrono>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/appclock.h"

namespace qs {

class TFFileEditor;
struct TEditorSettings;

// The intervals the settings dialog offers, in seconds, by its list's
// index; any other index is an hour.
inline constexpr int kAutoSaveIntervals[] = {300, 600, 1200, 1800, 3600};
int AutoSaveIntervalOfIndex(int index);
// How often at most the documents are looked at.
inline constexpr std::chrono::seconds kAutoSaveCheckPeriod{30};

class TAutoSaver {
 public:
  // Looks at the documents when the settings ask for auto-save and the
  // check period (or the interval, when shorter) has passed since the last
  // look. Returns how many documents were saved.
  int Tick(const TEditorSettings& settings, const std::vector<TFFileEditor*>& documents);

  // Told the first time the auto-save of a document fails (again after a
  // save of it succeeded); the text says which file and why.
  std::function<void(TFFileEditor& document, const std::string& text)> OnFailure;

 private:
  bool Due(TFFileEditor& document, std::chrono::seconds interval, TAppTime now) const;
  TAppTime lastCheck_{};
  bool checked_ = false;
  bool busy_ = false;
  std::set<std::string> reported_;  // files whose failure was told
};

}  // namespace qs
