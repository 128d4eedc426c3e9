#pragma once
// The messages of playback and recording to the user, from the program's
// message catalogue.
// Sound and MIDI devices that are missing are reported once each, and the
// rest of the program goes on without them.
#include <functional>
#include <string>

namespace qs {

enum class TPlaybackMessage {
  NoSoundFont,       // the built-in synthesizer has no General MIDI sound font
  NoAudioOutput,     // the built-in synthesizer found no audio server or sound card
  OutputPortFailed,  // a MIDI output port could not be opened
  NoInputPort,       // no MIDI input port to record from
  InputPortFailed,   // a MIDI input port could not be opened
  OutputGone,        // the stored MIDI output device is gone (the built-in synthesizer plays)
  InputGone,         // the stored MIDI input device is gone (the first input records)
};

// The text of a message in a language ("ENU", "DEU", "FRA", "ITA", "RUS";
// others give English; empty is the interface language). "%s" in it
// stands for the detail.
std::string PlaybackMessageText(TPlaybackMessage message, const std::string& language);

// Where messages go: set by the program (its message box); unset, they
// are written to the standard error stream.
extern std::function<void(const std::string& text)> PlaybackMessageHandler;
// The language of the messages; empty is the interface language.
extern std::string PlaybackMessageLanguage;

// Shows a message once per kind and run of the program; detail replaces
// "%s".
void ReportPlaybackProblem(TPlaybackMessage message, const std::string& detail = {});
// Lets every kind be shown again (for tests).
void ResetPlaybackProblems();

}  // namespace qs
