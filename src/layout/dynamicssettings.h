#pragma once
// The program's answers to a score's questions about playback: how loud
// each dynamics mark plays, how much hairpins, accents and brackets change
// the level, and the arpeggio, fermata and staccato values. They are
// program settings, kept in the sections "Dinamics" and "Effects" of the
// settings file; the document window installs them on its score.
#include <array>
#include <functional>
#include <string>
#include <vector>

namespace qs {

class TIniFile;
class TQSScore;

class TDynamicsSettings {
 public:
  // The levels of dynamics marks 0-12: p, pp, ppp, mp, fp, mf, f, ff, fff,
  // sforzato, extra forzato, forzando, sforzando.
  std::array<int, 13> Levels{54, 49, 44, 59, 64, 69, 74, 79, 84, 54, 74, 84, 94};
  int Crescendo = 30;
  int Diminuendo = 30;
  int Accent = 20;    // accents of kinds 0 and 3
  int Bracket = -20;  // added to the velocity of an enclosed note
  int Staccato = 4;   // answered as 2^(Staccato - 1), 1 below 2
  int Arpeggio = 2;
  int Fermata = 1;

  // Looks a term text up: its kind and its two values, false when unknown.
  // The terms palette supplies it; without one no text is a term.
  using TTermLookup = std::function<bool(const std::string& text, int& kind, int& value1, int& value2)>;
  TTermLookup FindTerm;

  // Reads every value from the settings file; a missing key keeps the
  // default.
  void ReadFrom(const TIniFile& ini);

  // The amount for a mark kind (itemType) and its subkind; 64 for anything
  // without a setting.
  int GetDinamics(int itemType, int kind) const;
  // Whether the first line of text is a term of the kind wanted, with its
  // values; false without a term lookup, for an empty text and for a term
  // of another kind (the values are then left alone).
  bool GetTerms(int kind, const std::vector<std::string>& text, int& value1, int& value2) const;

  // Answers the score's OnGetDinamics and OnGetTerms from these settings.
  // The settings must outlive the score (or be replaced on it first).
  void Install(TQSScore& score) const;
};

}  // namespace qs
