#pragma once
// Adding texts and graphics: free page objects placed on the cursor's page
// (texts, page marks, lines, rectangles and ellipses, arcs, pictures),
// staff texts placed at the cursor (lyric syllables, inscriptions and
// terms, instrument names) and raw MIDI events in the cursor's column, each
// as one undo step. Coordinates are layout units of the page; colours are
// $BBGGRR values.
#include <cstdint>
#include <string>
#include <vector>

#include "base/exceptions.h"

namespace qs {

class TQSScore;
class TQSText;
class TQSPageMark;
class TQSLine;
class TQSRectangle;
class TQSArc;
class TQSImage;
class TQSLyric;
class TQSMIDIEvent;
class TQSPicture;

// Lyric entry mode: every line of the entry is one syllable on the next
// event.
constexpr uint8_t kLyricSyllables = 128;

// The page objects go into the page-object list of the part under the
// cursor in the part view, else into the score's own; each returns the
// object made, nullptr without an active view (or part). A new text is put
// into in-place editing at once.
TQSText* InsertText(TQSScore& score, int x, int y, const std::vector<std::string>& lines, const std::string& fontName,
                    int size, uint8_t style, uint32_t colour);
// kind 0 the page number (on every page), 1 the date on the cursor's page.
TQSPageMark* InsertPageMark(TQSScore& score, int kind, int format, int x, int y, const std::string& fontName, int size,
                            uint8_t style, uint32_t colour);
TQSLine* InsertLine(TQSScore& score, int x1, int y1, int x2, int y2, int penWidth, uint32_t colour, int penStyle,
                    uint8_t pointStyles);
// kind 203 rectangle, 204 ellipse (InsertRectangle); 205 arc, 206 pie, 207
// chord segment (InsertArc).
TQSRectangle* InsertRectangle(TQSScore& score, int kind, int left, int top, int width, int height, int penWidth,
                              uint32_t penColour, int penStyle, uint32_t fillColour, int fillStyle);
TQSArc* InsertArc(TQSScore& score, int kind, int left, int top, int width, int height, int penWidth,
                  uint32_t penColour, int penStyle, uint32_t fillColour, int fillStyle);
TQSImage* InsertImage(TQSScore& score, int x, int y, int width, int height, const TQSPicture& picture, bool centre,
                      bool stretch, bool transparent);

// A picture file that cannot be used: the message names the file.
class EInvalidPicture : public Exception {
  using Exception::Exception;
};
// Reads a BMP, GIF, JPEG, PNG or ICO file into picture. Raises EInvalidPicture (in
// the interface language) when the file cannot be read or holds no picture
// the program can show; picture is then left as it was.
void LoadPictureFile(const std::string& fileName, TQSPicture& picture);
// The picture of the file at its own size; nothing is changed when the
// file is refused (EInvalidPicture).
TQSImage* InsertImageFile(TQSScore& score, int x, int y, const std::string& fileName, bool centre, bool stretch,
                          bool transparent);

// Staff texts at the cursor. kind 33 lyric syllable, 34 inscription or
// term. With kind 33 and mode kLyricSyllables each line becomes a syllable
// on the next event; otherwise one item holds all lines. Returns the last
// item made; startEditing puts it into in-place editing.
TQSLyric* InsertLyric(TQSScore& score, int kind, const std::vector<std::string>& lines, const std::string& fontName,
                      int yOffset, uint8_t mode, int size, uint8_t style, uint32_t colour, bool startEditing);
// The part's full name (shortName 0) or short name (1), in its first
// measure; nullptr without a part under the cursor.
TQSLyric* InsertInstrumentName(TQSScore& score, const std::vector<std::string>& lines, const std::string& fontName,
                               int yOffset, int shortName, int size, uint8_t style, uint32_t colour);
// Length bytes of data in the cursor's column; nullptr without one.
TQSMIDIEvent* InsertMIDIEvent(TQSScore& score, int position, const uint8_t* data, int length);

}  // namespace qs
