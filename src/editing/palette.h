#pragma once
// Commands on one item the user clicked or drew: a note-palette symbol
// applied to a note, rest or accidental, a tie, slur or slide attached to
// its starting note, a user symbol placed at the cursor, and the eraser.
// Each is one undo step.
#include <cstdint>
#include <string>
#include <vector>

namespace qs {

class TQSScore;
class TQSItem;
class TQSMark;
class TQSLiga;

// The note-palette symbol codes ApplySymbolToItem takes.
namespace palettesymbol {
constexpr int Bracket = 30, DrumHead = 40, BlankHead = 41, Flageolet = 42, Small = 43, Dot = 45, Accidental = 50,
              Glissando = 70, Fall = 71, Lift = 72;
}

// Applies the symbol (with its variant subKind; doubleDot: the double
// dot, and the value of a mark made; bracket: the enclosure style of a
// mark made). Returns the mark it added (dot, accidental, glissando, fall,
// lift), nullptr otherwise. Dots that would carry the item past its
// measure's end are refused.
TQSMark* ApplySymbolToItem(TQSScore& score, TQSItem* item, int symbol, int subKind, int doubleDot, int bracket);
// A tie, slur or slide on the item: the flag byte the slur tool drew, its
// span in ticks, the staff/voice byte of its end and the vertical offset of
// its end.
TQSLiga* InsertLiga(TQSScore& score, TQSItem* item, uint8_t flags, int length, uint8_t staffVoice, int yOffset);
// A user symbol at the cursor; its drawing is copied into the score's table
// under name the first time the name is used. Returns the mark.
TQSMark* InsertUserSymbol(TQSScore& score, const std::string& name, const std::vector<TQSItem*>& items, int first,
                          int second, int yOffset);
// The eraser: frees the item (a rest is hidden or shown again; a dot gives
// its owner back its written length; a key signature respells the notes
// after it).
void EraseItem(TQSScore& score, TQSItem* item);

}  // namespace qs
