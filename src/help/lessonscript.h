#pragma once
// Lesson scripts: an "xml" element whose children are the steps of a
// guided demonstration (move the pointer to a control, click, type, show a
// callout, wait for a window ...), each step's values in its sub-elements.
// The reader turns a script into the list of steps the lesson player runs.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/stream.h"

namespace qs {

namespace lesson {

// What a step does.
enum class TAction : uint8_t {
  None = 0,
  Move = 1,
  Click = 2,
  DoubleClick = 3,
  Down = 4,
  Up = 5,
  Key = 6,
  Type = 7,
  Callout = 20,
  Wait = 21,
  WaitWindow = 22,
  Sample = 25,
  CloseWindow = 30,
  End = 50,
  NoAction = 100,
};

// What a move aims at.
enum class TTarget : uint8_t { None = 0, Caption = 7, Control = 9, Offset = 22, Position = 23 };

// The kinds of lesson sample document.
constexpr int kNormalSample = 0, kDrumSample = 10, kTablatureSample = 20;

// The script's keywords, 1..43 (0 for an unknown name).
namespace kw {
constexpr int Xml = 1, Name = 2, Time = 3, X = 4, Y = 5, Index = 6, Button = 7, MoveTo = 8, Control = 9, Click = 10,
              DoubleClick = 11, Down = 12, Up = 13, Type = 14, Press = 15, Help = 16, Show = 17, Wait = 18,
              Window = 19, State = 20, N = 21, Offset = 22, Position = 23, CreateNew = 24, Measure = 25, Dole = 26,
              Height = 27, Page = 28, Piece = 29, Part = 30, Staff = 31, String = 32, Fret = 33, Octave = 34,
              Note = 35, Tone = 36, Rule = 37, Kind = 38, TmpFile = 39, Ok = 40, Context = 41, Exit = 42,
              Scroll = 43;
}  // namespace kw

// Steps of this edition run; a step whose context names another edition
// is skipped.
inline constexpr const char* kEdition = "Quavero";

}  // namespace lesson

int LessonKeywordIndex(std::string_view name);

struct TLessonStep {
  lesson::TAction Action = lesson::TAction::None;
  int Time = 0;  // milliseconds
  lesson::TTarget Target = lesson::TTarget::None;
  std::string Name;       // the target: "Form.Control", "Control", "Form.Close"
  std::string Qualifier;  // "right", "DropDown", "Down", "extract", a scroll arrow
  std::string Text;       // typed text, the key pressed
  std::string Help;       // the callout container (kept until another is named)
  std::string Topic;      // the callout topic, the awaited window, the sample's form name
  bool Modal = false, Stop = false;
  int SampleKind = lesson::kNormalSample;
  int X = 0, Y = 0, Index = -1;
  int Piece = 0, Part = 0, Staff = 0, Measure = 0, Dole = 0, Height = 0;
  std::string Page;
  int String = 0, Fret = 0, Octave = 5, Note = 0, Tone = 0;
  std::string Rule, Context, Scroll;

  // Whether this edition runs the step.
  bool ForThisEdition() const;
};

struct TLessonScript {
  std::vector<TLessonStep> Steps;
  // The picture file the lesson offers in the picture dialog ("tmpfile").
  std::string TmpFile;
};

// Reads a script from the stream's position to its end. Steps follow the
// script's order; reading stops after an "exit" step.
TLessonScript ReadLessonScript(TStream& s);

}  // namespace qs
