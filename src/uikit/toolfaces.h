#pragma once
// Small figures drawn on the faces of tool buttons (the palettes and the
// recording page), each centred on (cx, cy) or inside a face rectangle, in
// one colour.
#include <functional>

#include "base/geometry.h"
#include "platform/canvas.h"

namespace qs {
class TECCharButton;
}

namespace qs::toolface {

// The colour of the shadow of the raised look and of disabled faces.
constexpr TColor kGrey = RGB(128, 128, 128);
// Draws a button's face with the raised look of tool buttons: while the
// mouse is over a button that is not down, paint runs in grey on the face
// moved one pixel right and down, then in black moved one pixel left and
// up; otherwise once, in black, or in grey on a disabled button.
void Raised(const TECCharButton& button, const TRect& face,
            const std::function<void(const TRect& face, TColor colour)>& paint);

// The faces of every palette's Point and Erase buttons, with the raised
// look: the mouse pointer, and an eraser.
void PointerButtonFace(TECCharButton& button, TCanvas& c, const TRect& r);
void EraserButtonFace(TECCharButton& button, TCanvas& c, const TRect& r);

// A note-value button's face: the note of ticks (8 .. 512; the whole note
// for any other value) in the music font, placed in the button.
void NoteValueFace(TECCharButton& button, int ticks);

// count filled dots 7 pixels apart.
void Dots(TCanvas& c, int cx, int cy, TColor colour, int count);
// The tuplet number between two short bracket arms.
void Tuplet(TCanvas& c, int cx, int cy, TColor colour, int count);
// count slanted tremolo strokes, 4 pixels apart.
void Tremolo(TCanvas& c, int cx, int cy, TColor colour, int count);
// count slanted bars 4 pixels apart; withDots: between two dots (the
// repeat of whole measures).
void Slashes(TCanvas& c, int cx, int cy, TColor colour, int count, bool withDots);
// A multi-measure rest: a thick bar with the count above it.
void MeasureRest(TCanvas& c, int cx, int cy, TColor colour, int count);
// A whole rest (hanging from its line) or a half rest (standing on it).
void RestBlock(TCanvas& c, int cx, int cy, TColor colour, bool whole);
void Line(TCanvas& c, int x1, int y1, int x2, int y2, TColor colour, int width);
// A vertical arrow pointing up or down.
void Arrow(TCanvas& c, int cx, int cy, TColor colour, bool up);
// A slur arc, curved upwards or downwards.
void Arc(TCanvas& c, int cx, int cy, TColor colour, bool up);
// Two small note heads with stems.
void SmallNotes(TCanvas& c, const TRect& face, TColor colour);
// The bracket of a style: 0 "(  )", 1 "[  ]", 2 "{  }".
void BracketText(TCanvas& c, int cx, int cy, TColor colour, int style);
// A tempo mark: the beat note (0 whole .. 4 sixteenth), "=" and the tempo.
void Tempo(TCanvas& c, const TRect& face, TColor colour, int beatNote, int tempo);

}  // namespace qs::toolface
