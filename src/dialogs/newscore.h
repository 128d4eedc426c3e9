#pragma once
// Building a new score from the setup the new-score wizard edits: the saved
// and the built-in defaults, the parts of a list of instruments, the
// channel and percussion rules, the title and the instrument names, and the
// finishing touches the new document gets.
#include <string>
#include <vector>

#include "dialogs/scoretemplate.h"

namespace qs {

class TIniFile;
class TQSScore;
class TQSInstrumentDescription;

constexpr const char* kNewCompositionSection = "FNewComposition";
constexpr int kMaxNewMeasures = 999;

// The built-in setup: one part with one treble staff of one voice, 4/4,
// tempo 60, A4 portrait in millimetres.
TScoreSetup BuiltInSetup();
// The setup the wizard last closed with (section FNewComposition; only the
// first part is kept). Counts out of range are clamped: staves 1..10,
// voices 1..15, a paper index out of range gives A4, a meter word out of
// 256..5375 gets 4 beats, a unit other than 2, 4, 8 or 16 becomes 4.
TScoreSetup ReadSetupSettings(const TIniFile& ini);
void WriteSetupSettings(TIniFile& ini, const TScoreSetup& setup);

// One part for an instrument of the library.
TSetupPart PartOfInstrument(const TQSInstrumentDescription& d);
// The parts of the instruments in order. grouped: the chooser grouped them,
// so an instrument whose accolade scope is the group opens an accolade for
// the first of its group and widens it for the others; otherwise every
// part gets an accolade of its instrument's kind.
void SetInstrumentParts(TScoreSetup& setup, const std::vector<const TQSInstrumentDescription*>& instruments,
                        bool grouped);

// Replaces the score's content by the setup: one piece with the meter and
// the measure numbering in its first column, the parts with their first
// measure carrying key, clefs and accolades, measures measures (at least
// one), the title and author texts and the instrument names. Channels:
// a percussion staff (clef 14 or 15) plays on channel 9, the other parts
// get 0..8, 10..15 in order and 15 after that.
void BuildSetupScore(TQSScore& score, const TScoreSetup& setup, int measures = 1);
// What the wizard hands over on OK: the title copied to every part's own
// pages, the parts' left offset, a page number at the foot of each page.
void FinishScore(TQSScore& score);

// Channel of each part after the channel rule (for tests and the tree).
std::vector<int> SetupChannels(const TScoreSetup& setup);

}  // namespace qs
