#pragma once
// The expression library: the words a user writes into a score as
// inscriptions (tempo words, dynamics words, free texts), each with what
// playback makes of it. It lives in "Terms.ini" (section "Terms", "TermMax"
// and one key "Term<i>" = "Text,Kind,Value1,Value2" per expression).
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

inline constexpr const char* kTermsFile = "Terms.ini";

// What an expression means to playback.
enum TTermKind : int {
  tkInscription = 0,  // only written, never interpreted
  tkDynamic = 1,      // Value1 != 0: Value2 changes the level in force (-63..63);
                      // Value1 == 0: Value2 is the level (0..127)
  tkTempo = 2,        // Value1: the tempo change in percent (positive faster)
};

struct TTermDescription {
  std::string Text;
  int Kind = tkInscription;
  int Value1 = 0, Value2 = 0;
  bool operator==(const TTermDescription&) const = default;
};

// A record of "Terms.ini". With four fields or more the last three are the
// numbers and the text is everything before them, commas included, so every
// text reads back as written. A shorter record is read field by field: the
// text before the first comma (none without a comma), then the kind, then
// Value1, the last field always going to Value2; a field that is not a
// number reads as 0.
TTermDescription ParseTermRecord(const std::string& value);
std::string FormatTermRecord(const TTermDescription& term);

// The key an expression is found under: its text in capitals (Latin and
// Cyrillic letters alike).
std::string TermKey(std::string_view text);

class TTermLibrary {
 public:
  // The expressions in library order; the pointers stay valid while an
  // expression is in the library.
  std::vector<std::unique_ptr<TTermDescription>> Items;

  // Reads the file (a missing file is an empty library) and rebuilds the
  // lookup; empty records are skipped.
  void Load(const std::string& fileName);
  // Writes every expression (and nothing else of the section).
  void Save(const std::string& fileName) const;

  // The dynamics and tempo expressions by their key. Two of them with the
  // same key: the first in library order is found, the later one is only
  // written (it is named by Duplicates()).
  void Rebuild();
  const TTermDescription* Find(std::string_view text) const;
  // The texts that the lookup leaves out because an earlier expression
  // has the same key.
  const std::vector<std::string>& Duplicates() const { return duplicates_; }

  TTermDescription& Add(TTermDescription term);
  int IndexOf(const TTermDescription* term) const;
  // Moves the expression to the front (the popup's choice).
  void MoveToFront(const TTermDescription* term);

 private:
  std::map<std::string, TTermDescription*> lookup_;
  std::vector<std::string> duplicates_;
};

}  // namespace qs
