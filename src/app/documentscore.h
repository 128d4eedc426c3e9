#pragma once
// The score of a document window: the settings it gives every score it
// opens or creates, which differ from a bare score's own defaults.
namespace qs {

class TQSScore;

// Page A4 portrait in millimetres with 10 mm margins, 12 mm between
// staves, the staff line spacing 1.5875 mm, scale 100 %, stems 20, note
// placing 11, beaming by beats, an undo list of 32 and the English names.
void SetUpDocumentScore(TQSScore& score);
// The names of the entry modes in the interface language (again after the
// language changed).
void ApplyInterfaceTexts(TQSScore& score);

}  // namespace qs
