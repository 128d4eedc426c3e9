#include "help/lessonscript.h"

#include <array>

#include "base/strings.h"
#include "help/markup.h"

namespace qs {

using lesson::TAction;
using lesson::TTarget;

namespace {

constexpr std::array<const char*, 43> kKeywords = {
    "xml",      "name",   "time",   "x",        "y",      "index",  "button", "moveto",    "control",
    "click",    "doubleclick", "down", "up",    "type",   "press",  "help",   "show",      "wait",
    "window",   "state",  "n",      "offset",   "position", "createnew", "measure", "dole", "height",
    "page",     "piece",  "part",   "staff",    "string", "fret",   "octave", "note",      "tone",
    "rule",     "kind",   "tmpfile", "ok",      "context", "exit",  "scroll"};

// The elements a keyword must stand inside (at any outer depth); empty
// when it may stand anywhere.
std::vector<int> Inside(int keyword) {
  using namespace lesson::kw;
  switch (keyword) {
    case Name: return {Control, Button};
    case Time: return {MoveTo, Click, Down, Up, Show, Type, Wait};
    case X: case Y: return {Offset, Control};
    case Index: return {Control, Click};
    case Button: return {Control, Click, MoveTo};
    case Control: case Offset: case Position: return {MoveTo};
    case State: return {Click, Show};
    case Measure: case Dole: case Height: case Page: case Piece: case Part: case Staff: case Rule: case Scroll:
      return {Control};
    case Kind: return {CreateNew};
    default: return {};
  }
}

int Number(const std::string& text) { return StrToIntSafe(text, 0); }

class TReader {
 public:
  TLessonScript Read(const std::vector<TECMarkupToken>& tokens) {
    int previous = 0;
    for (const TECMarkupToken& t : tokens) {
      if (t.Depth <= 1 && t.Depth <= previous) {
        Flush();
        if (ended_) break;
      }
      previous = t.Depth;
      if (t.Kind == markup::Text) TakeText(t);
      else if (t.Kind == markup::StartTag || t.Kind == markup::EmptyTag) TakeTag(t);
    }
    if (!ended_) Flush();
    return std::move(script_);
  }

 private:
  void Flush() {
    if (step_.Action != TAction::None) {
      ended_ = step_.Action == TAction::End;
      script_.Steps.push_back(step_);
    }
    TLessonStep fresh;
    fresh.Help = step_.Help;  // the container stays until another is named
    step_ = fresh;
  }

  bool HasOuter(int depth, int keyword) const {
    for (int d = std::min<int>(depth, static_cast<int>(recorded_.size())) - 1; d >= 0; --d)
      if (recorded_[static_cast<size_t>(d)] == keyword) return true;
    return false;
  }

  void TakeTag(const TECMarkupToken& t) {
    using namespace lesson::kw;
    const int depth = t.Depth;
    if (static_cast<int>(recorded_.size()) <= depth) recorded_.resize(static_cast<size_t>(depth) + 1);
    const int keyword = LessonKeywordIndex(Trim(t.Text));
    const std::vector<int> inside = Inside(keyword);
    bool allowed = inside.empty();
    for (int k : inside) allowed = allowed || HasOuter(depth, k);
    recorded_[static_cast<size_t>(depth)] = allowed ? keyword : 0;
    if (!allowed) return;
    const bool inMoveTo = depth > 0 && recorded_[static_cast<size_t>(depth) - 1] == MoveTo;
    switch (keyword) {
      case MoveTo: step_.Action = TAction::Move; break;
      case Control: step_.Target = TTarget::Control; break;
      case Button:
        if (inMoveTo) step_.Target = TTarget::Caption;
        break;
      case Click: step_.Action = TAction::Click; break;
      case DoubleClick: step_.Action = TAction::DoubleClick; break;
      case Down: step_.Action = TAction::Down; break;
      case Up: step_.Action = TAction::Up; break;
      case Type: step_.Action = TAction::Type; break;
      case Press: step_.Action = TAction::Key; break;
      case Show: step_.Action = TAction::Callout; break;
      case Wait: step_.Action = TAction::Wait; break;
      case Window: step_.Action = TAction::WaitWindow; break;
      case N: step_.Action = TAction::NoAction; break;
      case Offset: step_.Target = TTarget::Offset; break;
      case Position: step_.Target = TTarget::Position; break;
      case CreateNew: step_.Action = TAction::Sample; break;
      case Ok: step_.Action = TAction::CloseWindow; break;
      case Exit: step_.Action = TAction::End; break;
      default: break;
    }
  }

  // Stores a text in the first keyword above it that takes one.
  void TakeText(const TECMarkupToken& t) {
    using namespace lesson::kw;
    const std::string text = Trim(t.Text);
    for (int d = std::min<int>(t.Depth, static_cast<int>(recorded_.size())) - 1; d >= 0; --d) {
      const int keyword = recorded_[static_cast<size_t>(d)];
      switch (keyword) {
        case TmpFile: script_.TmpFile = text; continue;
        case Context: step_.Context = text; continue;
        case Scroll: step_.Scroll = text; continue;
        case Button:
          if (d > 0 && recorded_[static_cast<size_t>(d) - 1] == MoveTo) continue;  // a caption target
          step_.Qualifier = text;
          return;
        case Name: step_.Name = text; return;
        case Time: step_.Time = Number(text); return;
        case X: step_.X = Number(text); return;
        case Y: step_.Y = Number(text); return;
        case Index: step_.Index = Number(text); return;
        case Type: case Press: step_.Text = text; return;
        case Help: step_.Help = text; return;
        case Show: case Window: case CreateNew: step_.Topic = text; return;
        case State:
          step_.Modal = LowerCase(text).find("modal") != std::string::npos;
          step_.Stop = LowerCase(text).find("stop") != std::string::npos;
          return;
        case Measure: step_.Measure = Number(text); return;
        case Dole: step_.Dole = Number(text); return;
        case Height: step_.Height = Number(text); return;
        case Page: step_.Page = text; return;
        case Piece: step_.Piece = Number(text); return;
        case Part: step_.Part = Number(text); return;
        case Staff: step_.Staff = Number(text); return;
        case String: step_.String = Number(text); return;
        case Fret: step_.Fret = Number(text); return;
        case Octave: step_.Octave = Number(text); return;
        case Note: step_.Note = Number(text); return;
        case Tone: step_.Tone = Number(text); return;
        case Rule: step_.Rule = text; return;
        case Kind: {
          const std::string k = LowerCase(text);
          step_.SampleKind = k == "drum" ? lesson::kDrumSample : k == "tabulature" ? lesson::kTablatureSample
                                                                                  : lesson::kNormalSample;
          return;
        }
        default: continue;
      }
    }
  }

  TLessonScript script_;
  TLessonStep step_;
  std::vector<int> recorded_;
  bool ended_ = false;
};

}  // namespace

int LessonKeywordIndex(std::string_view name) {
  for (size_t i = 0; i < kKeywords.size(); ++i)
    if (SameText(name, kKeywords[i])) return static_cast<int>(i) + 1;
  return 0;
}

bool TLessonStep::ForThisEdition() const {
  return Context.empty() || Context.find(lesson::kEdition) != std::string::npos;
}

TLessonScript ReadLessonScript(TStream& s) {
  std::vector<TECMarkupToken> tokens;
  int deepest = 0;
  TokenizeMarkup(s, 10'000'000, 0, deepest, tokens);
  return TReader().Read(tokens);
}

}  // namespace qs
