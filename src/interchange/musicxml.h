#pragma once
// MusicXML interchange: partwise documents read into a new piece of a score
// and one piece written as a partwise document.
#include <cstdint>
#include <string>
#include <vector>

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
// score; a stream that holds a ZIP archive is read as compressed MusicXML.
// Raises EMusicXmlError (or the stream's error, EZipError for a damaged
// archive); the score then keeps what was built so far.
void ImportMusicXml(TQSScore& score, TStream& stream);

// The score document of compressed MusicXML: the archive at the stream's
// position, its score named by the first rootfile of
// "META-INF/container.xml", or else its first MusicXML document outside
// that folder. Raises EZipError for a damaged or unreadable archive and
// EMusicXmlError when the score cannot be found.
std::vector<uint8_t> UnpackCompressedMusicXml(TStream& stream);

// Writes the piece as a partwise MusicXML document (UTF-8). It reads the
// measure records of the last layout pass: measures after the last
// laid-out one, and from the first measure in which the layout placed
// nothing on, are not written. Without a piece nothing is written.
void ExportMusicXml(TQSScore& score, TQSPiece* piece, TStream& stream);
// The piece under the active view's cursor.
void ExportMusicXml(TQSScore& score, TStream& stream);

// Makes the score read MusicXML files (".xml", ".musicxml", compressed
// ".mxl") through ImportMusicXml.
void InstallMusicXmlImporter();

}  // namespace qs
