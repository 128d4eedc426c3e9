#pragma once
// Commands that change the shape of the score at the cursor: measures
// inserted after or deleted from the cursor's measure (in the cursor's part
// or in every part of the piece with its columns), and pieces, staves and
// voices added and deleted (parts: TQSScore::AddPart and DeletePart here).
// Each is one undo step that removes what was added or makes again what
// was deleted. Deleting the last piece, part, staff or voice is refused.

namespace qs {

class TQSScore;
class TQSPiece;
class TQSStaff;
class TQSVoice;

void InsertMeasures(TQSScore& score, int count, bool partOnly);
void DeleteMeasures(TQSScore& score, int count, bool partOnly);

// A piece with 4/4, measure numbers from 1, an accolade, a key signature
// without accidentals and a treble clef, one part of one staff and voice.
TQSPiece* AddPiece(TQSScore& score);
// A staff with a treble clef in the part's first measure, and one voice.
TQSStaff* AddStaff(TQSScore& score);
TQSVoice* AddVoice(TQSScore& score);

void DeletePiece(TQSScore& score);
void DeletePart(TQSScore& score);
void DeleteStaff(TQSScore& score);
void DeleteVoice(TQSScore& score);

}  // namespace qs
