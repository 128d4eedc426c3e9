#include "layout/dynamicssettings.h"

#include <algorithm>
#include <iterator>
#include <tuple>

#include "base/inifile.h"
#include "score/item.h"
#include "score/marks.h"
#include "score/score.h"

namespace qs {

namespace {

constexpr const char* kDinamics = "Dinamics";
constexpr const char* kEffects = "Effects";
// The keys of the dynamics levels, by mark subkind.
constexpr const char* kLevelKeys[] = {"Piano",     "Pianissimo", "PianoPianissimo", "MezzoPiano", "FortePiano",
                                      "MezzoForte", "Forte",      "Fortissimo",      "ForteFortissimo",
                                      "SForzato",  "ExtraForzato", "Forzando",       "SForzando"};
static_assert(std::size(kLevelKeys) == std::tuple_size_v<decltype(TDynamicsSettings::Levels)>);

constexpr int kNoSetting = 64;
// 2^30 is the largest power of two an int holds; larger staccato settings
// answer it.
constexpr int kMaxStaccatoExponent = 30;

}  // namespace

void TDynamicsSettings::ReadFrom(const TIniFile& ini) {
  for (size_t i = 0; i < Levels.size(); ++i) Levels[i] = ini.ReadInteger(kDinamics, kLevelKeys[i], Levels[i]);
  Crescendo = ini.ReadInteger(kDinamics, "Crechendo", Crescendo);
  Diminuendo = ini.ReadInteger(kDinamics, "Diminuendo", Diminuendo);
  Accent = ini.ReadInteger(kDinamics, "Accentus", Accent);
  Bracket = ini.ReadInteger(kDinamics, "Bracket", Bracket);
  Staccato = ini.ReadInteger(kEffects, "Staccato", Staccato);
  Arpeggio = ini.ReadInteger(kEffects, "Arpeggio", Arpeggio);
  Fermata = ini.ReadInteger(kEffects, "Fermata", Fermata);
}

int TDynamicsSettings::GetDinamics(int itemType, int kind) const {
  switch (itemType) {
    case kind::Dynamics:
      if (kind >= 0 && kind < static_cast<int>(Levels.size())) return Levels[static_cast<size_t>(kind)];
      if (kind == dynamic::kCrescendo) return Crescendo;
      if (kind == dynamic::kDiminuendo) return Diminuendo;
      return kNoSetting;
    case kind::Accent: return kind == 0 || kind == 3 ? Accent : kNoSetting;
    case kind::Liga: return Bracket;
    case kind::Arpeggio: return Arpeggio;
    case kind::Fermata: return Fermata;
    case kind::Staccato: return Staccato < 2 ? 1 : 1 << std::min(Staccato - 1, kMaxStaccatoExponent);
    default: return kNoSetting;
  }
}

bool TDynamicsSettings::GetTerms(int kind, const std::vector<std::string>& text, int& value1, int& value2) const {
  if (!FindTerm || text.empty()) return false;
  int termKind = 0, v1 = 0, v2 = 0;
  if (!FindTerm(text.front(), termKind, v1, v2) || termKind != kind) return false;
  value1 = v1;
  value2 = v2;
  return true;
}

void TDynamicsSettings::Install(TQSScore& score) const {
  score.OnGetDinamics = [this](TObject*, int itemType, int kind) { return GetDinamics(itemType, kind); };
  score.OnGetTerms = [this](TObject*, int kind, const std::vector<std::string>& text, int& value1, int& value2) {
    return GetTerms(kind, text, value1, value2);
  };
}

}  // namespace qs
