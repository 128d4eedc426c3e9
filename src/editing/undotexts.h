#pragma once
// What the undo and redo lists show for a step: a text per undo action code
// in each interface language, from the program's message catalogue.
#include <cstdint>
#include <string>

namespace qs {

// The text of action code `action` in the language with the three-letter
// code ("ENU", "DEU", "FRA", "ITA", "RUS"); English for other languages,
// the interface language for an empty code,
// "" for codes without a text.
std::string UndoActionText(uint8_t action, const std::string& language);

}  // namespace qs
