#pragma once
// The grab handles of a selected item (the view's HandleCode): the corners
// and side middles of its box clockwise from the top left, and the two
// control points of a curve or an arc. A line, tie or slur is grabbed at
// its start and end, which share the codes of the top corners.
namespace qs::grab {

constexpr int None = 0, TopLeft = 1, Top = 2, TopRight = 3, Right = 4, BottomRight = 5, Bottom = 6, BottomLeft = 7,
              Left = 8, FirstControl = 9, SecondControl = 10;
constexpr int Start = TopLeft, End = TopRight;
// The one handle of an item that has no other (a stem's end, the foot of
// a bracket or an arpeggio) takes the code of the top middle.
constexpr int Only = Top;

constexpr bool GrabsLeft(int code) { return code == TopLeft || code == BottomLeft || code == Left; }
constexpr bool GrabsRight(int code) { return code == TopRight || code == Right || code == BottomRight; }
constexpr bool GrabsTop(int code) { return code == TopLeft || code == Top || code == TopRight; }
constexpr bool GrabsBottom(int code) { return code == BottomRight || code == Bottom || code == BottomLeft; }

}  // namespace qs::grab
