#include "app/autosave.h"

#include <algorithm>
#include <exception>

#include "app/fileeditor.h"
#include "base/strings.h"
#include "score/score.h"
#include "uikit/language.h"
#include "uikit/settings.h"

namespace qs {

namespace {
// The document window's message about a failed automatic save.
constexpr int kAutoSaveFailed = 6;
}  // namespace

int AutoSaveIntervalOfIndex(int index) {
  constexpr int count = static_cast<int>(std::size(kAutoSaveIntervals));
  return index >= 0 && index < count ? kAutoSaveIntervals[index] : kAutoSaveIntervals[count - 1];
}

bool TAutoSaver::Due(TFFileEditor& document, std::chrono::seconds interval, TAppTime now) const {
  // Never an untitled or imported document: it has no native file to
  // overwrite; nor one in an older format, whose rewriting the user
  // confirms when saving it.
  return document.Modified() && document.HasFile && !document.Imported && IsNativeFileName(document.FileName()) &&
         !document.NeedsFormatUpgrade() && now - document.LastSaveTime > interval;
}

int TAutoSaver::Tick(const TEditorSettings& settings, const std::vector<TFFileEditor*>& documents) {
  // A report shown from an earlier tick is still open.
  if (!settings.AutoSave || busy_) return 0;
  const TAppTime now = AppNow();
  const std::chrono::seconds interval{std::max(1, settings.AutoSaveInterval)};
  const auto period = std::min<TAppClock::duration>(kAutoSaveCheckPeriod, interval);
  if (checked_ && now - lastCheck_ <= period) return 0;
  checked_ = true;
  lastCheck_ = now;
  busy_ = true;
  int saved = 0;
  for (TFFileEditor* document : documents) {
    if (!document || !Due(*document, interval, now)) continue;
    const std::string file = document->FileName();
    try {
      document->SaveToFile(file, TDocumentFormat::Native);
      reported_.erase(file);
      ++saved;
    } catch (const std::exception& e) {
      if (reported_.insert(file).second && OnFailure)
        OnFailure(*document, Format(document->LFileEditor->GetMessage(kAutoSaveFailed).c_str(), file.c_str()) +
                                 "\n" + UserErrorText(e));
    }
  }
  busy_ = false;
  return saved;
}

}  // namespace qs
