#pragma once
// The layout pass: turns a score into pages, systems, staff rows, measure
// slots and layout elements (the records of score/calcrecords.h), writes
// the values derived on the way back into the items, and builds the
// per-measure event lists and the play order.
//
// The score asks for a pass through TQSScore::Recalculate, which defers it
// while the score's update lock is held; InstallLayout makes this library
// the pass every score made afterwards runs.
#include <ctime>
#include <string>

namespace qs {

class TQSScore;
class TQSItem;
struct TQSCalcItem;

// Makes LayoutScore the layout pass of every score created from now on
// (TQSScore::SetDefaultLayoutPass). The program and the tests call it once
// at start-up.
void InstallLayout();

// Runs the pass from layout page fromPage (0 or negative: from the
// beginning). Pages before fromPage keep their records; the pass restarts
// from the state stored with the page before. A fromPage beyond the pages
// laid out so far starts at the first page not laid out. Afterwards every
// attached view hears LayoutChanged and UpdateScrollRanges and the score
// fires OnRecalculate (unless its commands suppress it).
void LayoutScore(TQSScore& score, int fromPage);

// The layout element that shows a lyric, inscription or instrument name
// (kinds 33-35) or a free text (kind 200); nullptr for other kinds. A page
// index outside the laid-out pages searches all of them, first page first.
TQSCalcItem* FindLayoutElement(const TQSScore& score, const TQSItem* item, int pageIndex);

// UpdateScrollRanges on every attached view, in attachment order.
void UpdateWindowScrollBars(TQSScore& score);

// The text a page mark of date format 0-9 shows for a local time (other
// formats show as format 0). Date separators come from the format alone;
// formats that keep the separator in force use "/".
std::string FormatPageMarkDate(int format, const std::tm& time);
// The text a page-number mark of the given format shows on page index
// pageIndex: 1 "-n-", 2 a lowercase letter, 3 an uppercase letter, 4 roman
// numerals, otherwise the decimal page number.
std::string FormatPageNumber(int format, int pageIndex);

}  // namespace qs
