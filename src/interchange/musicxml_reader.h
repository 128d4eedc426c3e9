#pragma once
// What the MusicXML reader's interpretation leaves for its post-pass: the
// file's data that the score's items cannot hold until the whole document
// has been read (file voice numbers, written alterations, tuplet and grace
// membership, slur ends, the measures' own lengths).
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace qs {

class TQSScore;
class TQSPiece;
class TQSPart;
class TQSItem;
class TQSNote;
class TQSLiga;

namespace mxml {

// Per note, rest, lyric or mark that belongs to a voice.
struct TItemInfo {
  int FileVoice = 1;     // the file's voice number
  int Alter = 0;         // a note's written alteration in semitones
  uint8_t Tuplet = 0;    // actual-notes of its tuplet; 0 none
  int8_t TupletBelow = -1;  // the side the file gives its tuplet's bracket: 1 below, 0 above, -1 none
  bool Grace = false;
  bool GraceSlash = false;  // a grace note drawn with a slash
  bool StemRead = false;    // the file gave the note's stem
  bool HasAlter = false;
  bool Hidden = false;      // print-object="no": a rest that is not shown
  bool AccidentalShown = false;
  int8_t TieBelow = -1;  // the side the file gives the note's tie: 1 below, 0 above, -1 none  // the file shows an accidental at the note (a courtesy one too)
};

struct TImportData {
  std::unordered_map<TQSItem*, TItemInfo> Items;
  // Slur ends: the note at which each slur stops.
  std::unordered_map<TQSLiga*, TQSNote*> SlurEnds;
  // Slurs whose side the file chose.
  std::unordered_set<TQSLiga*> PlacedSlurs;
  // The staff (index) of directions on a staff other than the first.
  std::unordered_map<TQSItem*, int> DirectionStaff;
  // Signs at notes that the file places below them (the others stand
  // above).
  std::unordered_set<TQSItem*> BelowNotes;
  // The length in ticks of each measure as the file gives it, per part
  // index and measure index.
  std::vector<std::vector<int>> MeasureLengths;
  uint16_t FirstTimeSignature = 0x0404;

  int MeasureLength(int part, int measure) const;
};

// Completes the piece: voices, accidentals, grace groups, tuplet marks,
// chord order, beams, the upbeat, ties and slurs.
void FinishImport(TQSScore& score, TQSPiece& piece, TImportData& data);

// The vertical offset of a direction placed below the staff, and above it
// (texts stand higher than signs), in layout units.
int BelowOffset(const TQSScore& score);
constexpr int kSignAboveOffset = 0, kWordsAboveOffset = -160;
// Segno and coda signs are centred on their offset, a space tall either
// side: this one stands them clear above the staff.
constexpr int kJumpSignAboveOffset = -120;
// Layout units per tenth of a staff space (the unit of relative-x and -y).
constexpr int kUnitsPerTenthNum = 24, kUnitsPerTenthDen = 5;

// Alterations in force for the steps C D E F G A B under a key signature
// of the given Kind (1-7 sharps, 11-17 flats).
void KeyAlterations(int keyKind, int (&alter)[7]);

}  // namespace mxml
}  // namespace qs
