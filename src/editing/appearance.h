#pragma once
// One visual attribute (colour, font, size, style, rotation, alignment,
// line and fill settings, page placement) set on the selection of the
// active view, or on the text or lyric it edits in place; one undo step.
// Items that already have the value are left alone.
#include <cstdint>
#include <string>

#include "platform/canvas.h"

namespace qs {

class TQSScore;

void SetTextColor(TQSScore& score, TColor color);     // repaints only
void SetTextStyle(TQSScore& score, uint8_t style);    // the font style set
void SetTextRotation(TQSScore& score, int angle);     // degrees
void SetFontName(TQSScore& score, const std::string& name);
void SetFontSize(TQSScore& score, int size);          // points
void SetTextAlignment(TQSScore& score, uint8_t align);  // 0 left, 16 centre, 32 right, 48 justified
void SetLineStyle(TQSScore& score, uint8_t style);    // pen style
void SetLineWidth(TQSScore& score, int width);
void SetPointStyles(TQSScore& score, int styles);     // line ends: start << 4 | end
void SetLineColor(TQSScore& score, TColor color);     // repaints only
void SetBrushColor(TQSScore& score, TColor color);    // repaints only
void SetBrushStyle(TQSScore& score, uint8_t style);   // repaints only
// all nonzero: the selected page objects stand on every page; 0: on the
// cursor's page. Not recorded for undo.
void SetOnAllPages(TQSScore& score, uint8_t all);

}  // namespace qs
