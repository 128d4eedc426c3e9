#pragma once
// The program's shared messages: the record "Messages" of each language
// file, one catalogue per interface language, looked up by number. A text
// missing in a language is taken from English; "%s" (or "%1$s", "%2$s")
// in a text stands for what the caller fills in.
#include <string>

namespace qs {

enum class TMessageId : int {
  NoSoundFont = 0,
  NoAudioOutput = 1,
  OutputPortFailed = 2,
  NoInputPort = 3,
  InputPortFailed = 4,
  Caption = 5,
  Untitled = 6,
  NoDisplay = 7,
  CannotRead = 8,
  NoMusicFont = 9,
  ReplaceQuestion = 10,
  ReplaceTitle = 11,
  PrintTitle = 12,
  PrinterSetupTitle = 13,
  LibraryMissing = 14,
  LibraryUnreadable = 15,
  // The undo and redo lists' texts, in the order of editing/undotexts.cpp.
  UndoFirst = 16,
  // After the undo texts.
  NoSuchFile = 55,
  // MIDI devices stored in the settings that are gone.
  MidiOutputGone = 56,
  MidiInputGone = 57,
  // The names of the keys, major then minor, each by sharps 0..7 then
  // flats 1..7 (30 texts), and of the clefs 0..14 (15 texts).
  KeyNameFirst = 58,
  ClefNameFirst = 88,
  // Undo texts after the first ones, in the order of editing/undotexts.cpp.
  UndoMoreFirst = 103,
};

// The text in a language ("ENU" ... "RUS"; any other code gives English);
// an empty language is the interface language of the program's language
// engine. Never empty: a message no file holds reads "[message N]".
std::string CatalogueText(int id, const std::string& language = {});
inline std::string CatalogueText(TMessageId id, const std::string& language = {}) {
  return CatalogueText(static_cast<int>(id), language);
}
// The text with its one "%s" replaced by arg.
std::string CatalogueText(TMessageId id, const std::string& language, const std::string& arg);

// The interface language: the engine's, or English without one.
std::string InterfaceLanguage();
// The language of the user's locale (LC_ALL, LC_MESSAGES, LANG) among the
// program's five; "" when the locale names none of them ("C", "POSIX",
// another language).
std::string LanguageOfLocale();
// The same, English for none.
std::string LanguageFromEnvironment();

// Lets the platform layer, which stands below the language engine, take
// its dialogs' texts from the catalogue (the engine calls it).
void ConnectPlatformTexts();

}  // namespace qs
