#include "playback/messages.h"

#include <cstdio>
#include <mutex>
#include <set>

#include "uikit/catalogue.h"

namespace qs {

namespace {

std::mutex reportedLock;
std::set<TPlaybackMessage> reported;

}  // namespace

std::function<void(const std::string& text)> PlaybackMessageHandler;
std::string PlaybackMessageLanguage;

std::string PlaybackMessageText(TPlaybackMessage message, const std::string& language) {
  switch (message) {
    case TPlaybackMessage::NoSoundFont: return CatalogueText(TMessageId::NoSoundFont, language);
    case TPlaybackMessage::NoAudioOutput: return CatalogueText(TMessageId::NoAudioOutput, language);
    case TPlaybackMessage::OutputPortFailed: return CatalogueText(TMessageId::OutputPortFailed, language);
    case TPlaybackMessage::NoInputPort: return CatalogueText(TMessageId::NoInputPort, language);
    case TPlaybackMessage::InputPortFailed: return CatalogueText(TMessageId::InputPortFailed, language);
    case TPlaybackMessage::OutputGone: return CatalogueText(TMessageId::MidiOutputGone, language);
    case TPlaybackMessage::InputGone: return CatalogueText(TMessageId::MidiInputGone, language);
  }
  return {};
}

void ReportPlaybackProblem(TPlaybackMessage message, const std::string& detail) {
  {
    std::lock_guard lock(reportedLock);
    if (!reported.insert(message).second) return;
  }
  std::string text = PlaybackMessageText(message, PlaybackMessageLanguage);
  if (const auto at = text.find("%s"); at != std::string::npos) text.replace(at, 2, detail);
  if (PlaybackMessageHandler)
    PlaybackMessageHandler(text);
  else
    std::fprintf(stderr, "%s\n", text.c_str());
}

void ResetPlaybackProblems() {
  std::lock_guard lock(reportedLock);
  reported.clear();
}

}  // namespace qs
