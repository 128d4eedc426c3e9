#pragma once
// MusicXML interchange: partwise documents read into a new piece of a score
// and one piece written as a partwise document.
#include <string>

#include "base/exceptions.h"

namespace qs {

class TQSScore;
class TQSPiece;
class TStream;

// A MusicXML document that cannot be read: broken markup (a truncated
// file, tags that do not nest), a value no score can hold, or a document
// that is not partwise MusicXML. The message says what and, where it
// helps, on which line.
class EMusicXmlError : public Exception {
  using Exception::Exception;
};

// Reads a partwise MusicXML document into a new piece appended to the
// score. Raises EMusicXmlError (or the stream's error); the score then
// keeps what was built so far.
void ImportMusicXml(TQSScore& score, TStream& stream);

// Writes the piece as a partwise MusicXML document (UTF-8). It reads the
// measure records of the last layout pass: measures after the last
// laid-out one, and from the first measure in which the layout placed
// nothing on, are not written. Without a piece nothing is written.
void ExportMusicXml(TQSScore& score, TQSPiece* piece, TStream& stream);
// The piece under the active view's cursor.
void ExportMusicXml(TQSScore& score, TStream& stream);

// Makes the score read ".xml" files through ImportMusicXml.
void InstallMusicXmlImporter();

}  // namespace qs
