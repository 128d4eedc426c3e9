// In-place editing of a lyric syllable, an inscription, an instrument name
// or a free text on the page: caret and selection over the item's lines,
// typing, deleting, line breaks, caret moves, the text clipboard, one undo
// step per run of edits, and the syllable steps of a lyric on space, hyphen
// and Backspace.
#include <algorithm>

#include "base/text.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/clipboard.h"
#include "platform/keys.h"
#include "layout/layout.h"
#include "render/window.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/pageobjects.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/tree.h"
#include "score/undo.h"
#include "view/geometry.h"
#include "view/texteditor.h"

namespace qs {

namespace {

enum { kSelStartLine, kSelStartColumn, kSelEndLine, kSelEndColumn, kCaretLine, kCaretColumn };

bool IsEditableKind(int k) {
  return k == kind::Lyric || k == kind::Term || k == kind::InstrumentName || k == kind::Text;
}

std::vector<std::string>* LinesOf(TQSItem* item) {
  if (auto* lyric = dynamic_cast<TQSLyric*>(item)) return &lyric->Lines;
  if (auto* text = dynamic_cast<TQSText*>(item)) return &text->Lines;
  return nullptr;
}

bool IsWordSeparator(char16_t ch) {
  switch (ch) {
    case u' ': case u'(': case u')': case u',': case u'.': case u';': case u'[': case u']': case u'{': case u'}':
      return true;
    default:
      return false;
  }
}

// A character outside the basic plane takes two UTF-16 units: the caret
// steps over both and erasing takes both, so no half of a pair is left.
bool PairStartsAt(const std::u16string& text, int column) {
  const auto at = static_cast<size_t>(column);
  return column >= 0 && at + 1 < text.size() && text[at] >= 0xD800 && text[at] <= 0xDBFF &&
         text[at + 1] >= 0xDC00 && text[at + 1] <= 0xDFFF;
}
int UnitsAt(const std::u16string& text, int column) { return PairStartsAt(text, column) ? 2 : 1; }
int UnitsBefore(const std::u16string& text, int column) { return PairStartsAt(text, column - 2) ? 2 : 1; }

// (l1, c1) lies before (l2, c2).
bool Before(int l1, int c1, int l2, int c2) { return l1 < l2 || (l1 == l2 && c1 < c2); }

// Hides the input cursor for a change and shows it again, also when the
// change fails.
class THiddenCaret {
 public:
  explicit THiddenCaret(TQSTextEditor::TSite& site) : site_(site) { site_.ShowCursor(false); }
  ~THiddenCaret() { site_.ShowCursor(true); }
  THiddenCaret(const THiddenCaret&) = delete;
  THiddenCaret& operator=(const THiddenCaret&) = delete;

 private:
  TQSTextEditor::TSite& site_;
};

}  // namespace

TQSTextEditor::TQSTextEditor(TQSPageView& view, const TQSViewGeometry& geometry, TSite& site)
    : view_(view), geometry_(geometry), site_(site) {}

// ------------------------------------------------------------ the item

bool TQSTextEditor::EditingText() const {
  return view_.Score && view_.EditedElement && editedItem_ && IsEditableKind(editedItem_->ItemType);
}

std::vector<std::u16string> TQSTextEditor::EditedLines() const {
  std::vector<std::u16string> out;
  if (const std::vector<std::string>* lines = LinesOf(editedItem_))
    for (const std::string& line : *lines) out.push_back(Utf8ToUtf16(line));
  return out;
}

void TQSTextEditor::SetEditedLines(const std::vector<std::u16string>& lines) {
  std::vector<std::string>* target = LinesOf(editedItem_);
  if (!target) return;
  target->clear();
  for (const std::u16string& line : lines) target->push_back(Utf16ToUtf8(line));
}

void TQSTextEditor::RefindEditedElement() {
  if (!editedItem_ || !view_.Score) return;
  view_.EditedElement = FindLayoutElement(*view_.Score, editedItem_, -1);
  if (!view_.EditedElement) editedItem_ = nullptr;
}

void TQSTextEditor::EditItemText(TQSCalcItem* element) {
  if (element == view_.EditedElement) return;
  TQSItem* next = element ? element->Item : nullptr;
  if (view_.EditedElement)
    view_.EditSelection[kSelStartLine] = view_.EditSelection[kSelStartColumn] = view_.EditSelection[kSelEndLine] =
        view_.EditSelection[kSelEndColumn] = 0;
  TQSItem* old = view_.EditedElement ? editedItem_ : nullptr;
  bool relaid = false;
  if (old && view_.Score && (old->ItemType == kind::Lyric || old->ItemType == kind::InstrumentName)) {
    const std::vector<std::string>* lines = LinesOf(old);
    const bool empty = !lines || lines->empty() || (lines->size() == 1 && lines->front().empty());
    if (empty) {
      // A syllable or name left empty goes, as one undo step.
      TQSUndoRecord* record = nullptr;
      try {
        record = view_.Score->BeginUndo(undoaction::TextEditDelete, "");
        view_.Score->SaveUndoMeasure(record, old->GetMeasure(), -1);
      } catch (...) {
      }
      view_.EditedElement = nullptr;
      editedItem_ = nullptr;
      delete old;
      relaid = true;
    } else if (modified_) {
      if (old->ItemType == kind::InstrumentName) static_cast<TQSLyric*>(old)->Fields.OffsetX = 0;
      relaid = true;
    }
  }
  if (relaid) {
    // The new element is found again after the layout built its records anew.
    view_.EditedElement = nullptr;
    editedItem_ = nullptr;
    view_.Score->Recalculate(0, -1);
    site_.RepaintPages();
    element = nullptr;
    if (next) {
      editedItem_ = next;
      RefindEditedElement();
      element = view_.EditedElement;
    }
  } else if (old) {
    UpdateEditBox(true, false);
  }
  {
    THiddenCaret hidden(site_);
    view_.EditedElement = element;
    editedItem_ = element ? element->Item : nullptr;
    UpdateEditBox(false, false);
    typingUndo_ = modified_ = false;
    pendingHighSurrogate_ = 0;
  }
  site_.TextSelectionChanged();
}

void TQSTextEditor::UpdateEditBox(bool withAngle, bool measure) {
  (void)withAngle;  // the layout turns the box of a text that is not edited
  if (!view_.EditedElement || !view_.Score) return;
  site_.RepaintElement(*view_.EditedElement);
  if (!measure) return;
  // The layout measures the text again (the stored size is its cache) and
  // places the box; its records are new afterwards.
  if (auto* lyric = dynamic_cast<TQSLyric*>(editedItem_)) lyric->Fields.Width = lyric->Fields.Height = 0;
  if (auto* text = dynamic_cast<TQSText*>(editedItem_)) text->Fields.Width = text->Fields.Height = 0;
  const int page = geometry_.PageOfElement(*view_.EditedElement);
  view_.Score->Recalculate(std::max(0, page), -1);
  RefindEditedElement();
  if (view_.EditedElement) site_.RepaintElement(*view_.EditedElement);
}

// ------------------------------------------------------------ selection

void TQSTextEditor::SetTextSelection(int startLine, int startColumn, int endLine, int endColumn) {
  auto& s = view_.EditSelection;
  if (s[kSelStartLine] == startLine && s[kSelStartColumn] == startColumn && s[kSelEndLine] == endLine &&
      s[kSelEndColumn] == endColumn)
    return;
  s[kSelStartLine] = startLine;
  s[kSelStartColumn] = startColumn;
  s[kSelEndLine] = endLine;
  s[kSelEndColumn] = endColumn;
  UpdateEditBox(false, false);
  site_.TextSelectionChanged();
}

void TQSTextEditor::SetTextSelStart(int line, int column) {
  SetTextSelection(line, column, view_.EditSelection[kSelEndLine], view_.EditSelection[kSelEndColumn]);
}

void TQSTextEditor::SetTextSelEnd(int line, int column) {
  SetTextSelection(view_.EditSelection[kSelStartLine], view_.EditSelection[kSelStartColumn], line, column);
}

void TQSTextEditor::CollapseAtCaret() {
  SetTextSelection(view_.EditSelection[kCaretLine], view_.EditSelection[kCaretColumn], view_.EditSelection[kCaretLine],
                   view_.EditSelection[kCaretColumn]);
}

void TQSTextEditor::ClampCaret() {
  const std::vector<std::u16string> lines = EditedLines();
  int& line = view_.EditSelection[kCaretLine];
  int& column = view_.EditSelection[kCaretColumn];
  line = std::clamp(line, 0, std::max(0, static_cast<int>(lines.size()) - 1));
  const int length = lines.empty() ? 0 : static_cast<int>(lines[static_cast<size_t>(line)].size());
  column = std::clamp(column, 0, length);
}

std::u16string TQSTextEditor::GetSelectedText() const {
  if (!EditingText()) return {};
  const auto& s = view_.EditSelection;
  if (!Before(s[kSelStartLine], s[kSelStartColumn], s[kSelEndLine], s[kSelEndColumn])) return {};
  const std::vector<std::u16string> lines = EditedLines();
  std::u16string out;
  bool collected = false;
  for (int l = s[kSelStartLine]; l <= s[kSelEndLine] && l < static_cast<int>(lines.size()); ++l) {
    const std::u16string& line = lines[static_cast<size_t>(l)];
    const size_t from = l == s[kSelStartLine] ? std::min<size_t>(static_cast<size_t>(s[kSelStartColumn]), line.size()) : 0;
    const size_t to = l == s[kSelEndLine] ? std::min<size_t>(static_cast<size_t>(s[kSelEndColumn]), line.size())
                                          : line.size();
    if (collected) out += u"\r\n";
    if (to > from) out += line.substr(from, to - from);
    collected = true;
  }
  return out;
}

bool TQSTextEditor::HasTextSelection() const {
  const auto& s = view_.EditSelection;
  return Before(s[kSelStartLine], s[kSelStartColumn], s[kSelEndLine], s[kSelEndColumn]) &&
         s[kCaretLine] >= s[kSelStartLine] && s[kCaretLine] <= s[kSelEndLine];
}

int TQSTextEditor::TextCaretLine() const { return view_.EditSelection[kCaretLine]; }
int TQSTextEditor::TextCaretColumn() const { return view_.EditSelection[kCaretColumn]; }

// ------------------------------------------------------------ changes

void TQSTextEditor::OpenTextUndo(uint8_t action, const std::string& caption) {
  if (!EditingText()) return;
  if (typingUndo_) {
    view_.Score->ContinueUndo();
    return;
  }
  try {
    TQSUndoRecord* record = view_.Score->BeginUndo(action, caption);
    view_.Score->SaveUndoText(record, view_.EditedElement);
  } catch (...) {
  }
  typingUndo_ = true;
}

void TQSTextEditor::AfterTextChange() {
  UpdateEditBox(false, true);
  modified_ = true;
  site_.TextChanged();
}

bool TQSTextEditor::DeleteTextSelection() {
  if (!EditingText()) return false;
  THiddenCaret hidden(site_);
  ClampCaret();
  const auto s = view_.EditSelection;
  const int caret = s[kCaretLine];
  if (!Before(s[kSelStartLine], s[kSelStartColumn], s[kSelEndLine], s[kSelEndColumn]) ||
      caret < s[kSelStartLine] || caret > s[kSelEndLine])
    return false;
  std::vector<std::u16string> lines = EditedLines();
  const int last = static_cast<int>(lines.size()) - 1;
  if (s[kSelStartLine] > last) return false;
  UpdateEditBox(false, false);
  OpenTextUndo(undoaction::TextEditDelete, "");
  std::u16string& first = lines[static_cast<size_t>(s[kSelStartLine])];
  const size_t from = std::min<size_t>(static_cast<size_t>(s[kSelStartColumn]), first.size());
  const int endLine = std::min(s[kSelEndLine], last);
  const std::u16string& end = lines[static_cast<size_t>(endLine)];
  const size_t to = std::min<size_t>(static_cast<size_t>(s[kSelEndColumn]), end.size());
  first = first.substr(0, from) + end.substr(std::min(to, end.size()));
  lines.erase(lines.begin() + s[kSelStartLine] + 1, lines.begin() + endLine + 1);
  SetEditedLines(lines);
  view_.EditSelection[kCaretLine] = s[kSelStartLine];
  view_.EditSelection[kCaretColumn] = static_cast<int>(from);
  CollapseAtCaret();
  AfterTextChange();
  return true;
}

void TQSTextEditor::TypeChar(char16_t ch) {
  if (ch <= 27 || !EditingText()) return;
  // A character outside the basic plane comes in two halves.
  if (ch >= 0xD800 && ch <= 0xDBFF) {
    pendingHighSurrogate_ = ch;
    return;
  }
  std::u16string typed(1, ch);
  if (ch >= 0xDC00 && ch <= 0xDFFF) {
    if (!pendingHighSurrogate_) return;
    typed.insert(typed.begin(), pendingHighSurrogate_);
  }
  pendingHighSurrogate_ = 0;
  if (editedItem_->ItemType == kind::Lyric && (ch == u' ' || ch == u'-')) {
    AdvanceSyllable(ch == u'-');
    return;
  }
  THiddenCaret hidden(site_);
  ClampCaret();
  UpdateEditBox(false, false);
  OpenTextUndo(undoaction::TextEdit, Utf16ToUtf8(typed));
  std::vector<std::u16string> lines = EditedLines();
  if (lines.empty()) lines.emplace_back();
  const size_t line = static_cast<size_t>(view_.EditSelection[kCaretLine]);
  lines[line].insert(static_cast<size_t>(view_.EditSelection[kCaretColumn]), typed);
  SetEditedLines(lines);
  view_.EditSelection[kCaretColumn] += static_cast<int>(typed.size());
  AfterTextChange();
}

void TQSTextEditor::TextNewLine() {
  if (!EditingText()) return;
  THiddenCaret hidden(site_);
  DeleteTextSelection();
  ClampCaret();
  UpdateEditBox(false, false);
  OpenTextUndo(undoaction::TextEdit, "");
  std::vector<std::u16string> lines = EditedLines();
  if (lines.empty()) lines.emplace_back();
  const size_t line = static_cast<size_t>(view_.EditSelection[kCaretLine]);
  const size_t column = static_cast<size_t>(view_.EditSelection[kCaretColumn]);
  const std::u16string rest = lines[line].substr(column);
  lines[line].erase(column);
  lines.insert(lines.begin() + static_cast<long>(line) + 1, rest);
  SetEditedLines(lines);
  ++view_.EditSelection[kCaretLine];
  view_.EditSelection[kCaretColumn] = 0;
  CollapseAtCaret();
  AfterTextChange();
}

bool TQSTextEditor::EraseTextAt(int line, int column) {
  std::vector<std::u16string> lines = EditedLines();
  if (line < 0 || line >= static_cast<int>(lines.size())) return false;
  std::u16string& text = lines[static_cast<size_t>(line)];
  if (column < static_cast<int>(text.size())) {
    UpdateEditBox(false, false);
    const size_t units = static_cast<size_t>(UnitsAt(text, column));
    OpenTextUndo(undoaction::TextEditDelete, Utf16ToUtf8(text.substr(static_cast<size_t>(column), units)));
    text.erase(static_cast<size_t>(column), units);
  } else if (line + 1 < static_cast<int>(lines.size())) {
    UpdateEditBox(false, false);
    OpenTextUndo(undoaction::TextEditDelete, "");
    text += lines[static_cast<size_t>(line) + 1];
    lines.erase(lines.begin() + line + 1);
  } else {
    return false;
  }
  SetEditedLines(lines);
  view_.EditSelection[kCaretLine] = line;
  view_.EditSelection[kCaretColumn] = column;
  CollapseAtCaret();
  AfterTextChange();
  return true;
}

void TQSTextEditor::TextDelete() {
  if (!EditingText()) return;
  THiddenCaret hidden(site_);
  if (DeleteTextSelection()) return;
  ClampCaret();
  if (!EraseTextAt(view_.EditSelection[kCaretLine], view_.EditSelection[kCaretColumn])) modified_ = true;
}

// Backspace takes out what stands before the caret: the character before
// it, or at a line's start the line break before.
void TQSTextEditor::TextBackspace() {
  if (!EditingText()) return;
  THiddenCaret hidden(site_);
  if (DeleteTextSelection()) return;
  ClampCaret();
  const int line = view_.EditSelection[kCaretLine], column = view_.EditSelection[kCaretColumn];
  if (column > 0)
    EraseTextAt(line, column - UnitsBefore(EditedLines()[static_cast<size_t>(line)], column));
  else if (line > 0)
    EraseTextAt(line - 1, static_cast<int>(EditedLines()[static_cast<size_t>(line) - 1].size()));
  else
    BackToPreviousSyllable();
}

void TQSTextEditor::InsertTextAtCaret(const std::u16string& text) {
  if (!EditingText()) return;
  THiddenCaret hidden(site_);
  ClampCaret();
  UpdateEditBox(false, false);
  OpenTextUndo(undoaction::TextEditOther, "");
  // Pieces between CRs; an LF right after a CR belongs to it, a lone one
  // stays in the text. Empty pieces add nothing.
  std::vector<std::u16string> pieces(1);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r') {
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      pieces.emplace_back();
    } else {
      pieces.back() += text[i];
    }
  }
  std::vector<std::u16string> lines = EditedLines();
  if (lines.empty()) lines.emplace_back();
  size_t line = static_cast<size_t>(view_.EditSelection[kCaretLine]);
  size_t column = static_cast<size_t>(view_.EditSelection[kCaretColumn]);
  lines[line].insert(column, pieces.front());
  column += pieces.front().size();
  if (pieces.size() > 1) {
    const std::u16string rest = lines[line].substr(column);
    lines[line].erase(column);
    for (size_t p = 1; p + 1 < pieces.size(); ++p)
      if (!pieces[p].empty()) lines.insert(lines.begin() + static_cast<long>(++line), pieces[p]);
    lines.insert(lines.begin() + static_cast<long>(++line), pieces.back() + rest);
    column = pieces.back().size();
  }
  SetEditedLines(lines);
  view_.EditSelection[kCaretLine] = static_cast<int>(line);
  view_.EditSelection[kCaretColumn] = static_cast<int>(column);
  CollapseAtCaret();
  AfterTextChange();
}

// ------------------------------------------------------------ lyrics

void TQSTextEditor::AdvanceSyllable(bool hyphen) {
  auto* lyric = static_cast<TQSLyric*>(editedItem_);
  TQSMeasure* m = lyric->GetMeasure();
  if (!m || !m->Part()) return;
  THiddenCaret hidden(site_);
  site_.CursorToLyric(m->Index, lyric->Fields.Time, m->Part()->Index);
  struct {
    TQSLyric::TFields Fields;
    std::string FontName;
  } const look{lyric->Fields, lyric->FontName};
  site_.CursorToNextEvent();
  TQSMeasure* target = view_.Score->EnsureMeasure(-1);
  if (!target) return;
  try {
    TQSUndoRecord* record = view_.Score->BeginUndo(undoaction::LyricInserted, "");
    view_.Score->SaveUndoMeasure(record, target, -1);
  } catch (...) {
  }
  const int tick = view_.CursorPosition.Tick;
  TQSLyric* next = nullptr;
  for (TQSItem* item : target->Items)
    if (auto* l = dynamic_cast<TQSLyric*>(item); l && item->ItemType == kind::Lyric && l != lyric &&
                                                   l->Fields.StaffVoice == look.Fields.StaffVoice &&
                                                   l->Fields.Verse == look.Fields.Verse && l->Fields.Time == tick) {
      next = l;
      break;
    }
  if (!next) {
    {
      TFlagScope suspended(target->RegistrationSuspended, true);
      next = static_cast<TQSLyric*>(CreateItemByKind(kind::Lyric, target));
    }
    target->Items.Insert(TQSScore::FindItemInsertIndex(*target, 0, tick, 0), next);
    next->Fields.Time = static_cast<uint16_t>(tick);
    next->Lines = {std::string()};
  }
  next->FontName = look.FontName;
  next->Fields.FontStyle = look.Fields.FontStyle;
  next->Fields.FontSize = look.Fields.FontSize;
  next->Fields.Color = look.Fields.Color;
  next->Fields.OffsetY = look.Fields.OffsetY;
  next->Fields.StaffVoice = look.Fields.StaffVoice;
  next->Fields.Verse = look.Fields.Verse;
  next->Fields.Flags = static_cast<uint8_t>(hyphen ? next->Fields.Flags | TQSLyric::kHyphen
                                                   : next->Fields.Flags & ~TQSLyric::kHyphen);
  view_.EditSelection[kCaretLine] = view_.EditSelection[kCaretColumn] = 0;
  view_.Score->Recalculate(view_.CursorPosition.Page, -1);
  TQSCalcItem* element = FindLayoutElement(*view_.Score, next, -1);
  EditItemText(element);
  CollapseAtCaret();
  view_.Score->RefreshWindows();
  site_.TextChanged();
  modified_ = true;
}

void TQSTextEditor::BackToPreviousSyllable() {
  const auto* lyric = static_cast<const TQSLyric*>(editedItem_);
  const uint8_t staffVoice = lyric->Fields.StaffVoice, verse = lyric->Fields.Verse;
  const bool isLyric = lyric->ItemType == kind::Lyric;
  site_.CursorToPreviousEvent();
  if (isLyric)
    if (TQSMeasure* m = view_.Score->EnsureMeasure(-1))
      for (TQSItem* item : m->Items)
        if (auto* l = dynamic_cast<TQSLyric*>(item); l && item->ItemType == kind::Lyric && item != editedItem_ &&
                                                       l->Fields.StaffVoice == staffVoice && l->Fields.Verse == verse &&
                                                       l->Fields.Time == view_.CursorPosition.Tick) {
          view_.EditSelection[kCaretLine] = 0;
          view_.EditSelection[kCaretColumn] = l->Lines.empty() ? 0 : static_cast<int>(Utf8ToUtf16(l->Lines[0]).size());
          EditItemText(FindLayoutElement(*view_.Score, l, -1));
          break;
        }
  CollapseAtCaret();
  site_.TextChanged();
}

// ------------------------------------------------------------ caret moves

void TQSTextEditor::ExtendTo(bool towardsStart, int line, int column) {
  if (towardsStart) SetTextSelStart(line, column);
  else SetTextSelEnd(line, column);
}

void TQSTextEditor::TextHome(bool extend) {
  if (!EditingText() || view_.EditSelection[kCaretColumn] == 0) return;
  THiddenCaret hidden(site_);
  typingUndo_ = false;
  const int line = view_.EditSelection[kCaretLine];
  view_.EditSelection[kCaretColumn] = 0;
  if (!extend) return CollapseAtCaret();
  const auto& s = view_.EditSelection;
  ExtendTo(line < s[kSelStartLine] || (line == s[kSelStartLine] && s[kSelStartColumn] > 0), line, 0);
}

void TQSTextEditor::TextEnd(bool extend) {
  if (!EditingText()) return;
  ClampCaret();
  const std::vector<std::u16string> lines = EditedLines();
  const int line = view_.EditSelection[kCaretLine];
  const int length = lines.empty() ? 0 : static_cast<int>(lines[static_cast<size_t>(line)].size());
  if (view_.EditSelection[kCaretColumn] == length) return;
  THiddenCaret hidden(site_);
  typingUndo_ = false;
  view_.EditSelection[kCaretColumn] = length;
  if (!extend) return CollapseAtCaret();
  const auto& s = view_.EditSelection;
  ExtendTo(!Before(s[kSelEndLine], s[kSelEndColumn], line, length), line, length);
}

void TQSTextEditor::TextLeft(bool extend, bool word) {
  if (!EditingText()) return;
  THiddenCaret hidden(site_);
  typingUndo_ = false;
  const std::vector<std::u16string> lines = EditedLines();
  int& line = view_.EditSelection[kCaretLine];
  int& column = view_.EditSelection[kCaretColumn];
  auto length = [&](int l) { return lines.empty() ? 0 : static_cast<int>(lines[static_cast<size_t>(l)].size()); };
  line = std::clamp(line, 0, std::max(0, static_cast<int>(lines.size()) - 1));
  // One character back; false at the very start.
  auto back = [&] {
    if (column > length(line)) column = length(line);
    else if (column > 0) column -= UnitsBefore(lines[static_cast<size_t>(line)], column);
    else if (line > 0) --line, column = length(line);
    else return false;
    return true;
  };
  if (!word) {
    back();
  } else {
    // Back over separators (a line start counts as one), then over the
    // word before them: the caret stops at that word's start.
    while (true) {
      if (column > length(line)) column = length(line);
      if (column == 0) {
        if (line == 0) break;
        --line, column = length(line);
        continue;
      }
      if (!IsWordSeparator(lines[static_cast<size_t>(line)][static_cast<size_t>(column) - 1])) break;
      --column;
    }
    while (column > 0 && !IsWordSeparator(lines[static_cast<size_t>(line)][static_cast<size_t>(column) - 1])) --column;
  }
  if (!extend) return CollapseAtCaret();
  const auto& s = view_.EditSelection;
  ExtendTo(Before(line, column, s[kSelStartLine], s[kSelStartColumn]), line, column);
}

void TQSTextEditor::TextRight(bool extend, bool word) {
  if (!EditingText()) return;
  THiddenCaret hidden(site_);
  typingUndo_ = false;
  const std::vector<std::u16string> lines = EditedLines();
  const int last = std::max(0, static_cast<int>(lines.size()) - 1);
  int& line = view_.EditSelection[kCaretLine];
  int& column = view_.EditSelection[kCaretColumn];
  auto length = [&](int l) { return lines.empty() ? 0 : static_cast<int>(lines[static_cast<size_t>(l)].size()); };
  line = std::clamp(line, 0, last);
  auto forward = [&] {
    if (column > length(line)) column = length(line);
    else if (column < length(line)) column += UnitsAt(lines[static_cast<size_t>(line)], column);
    else if (line < last) ++line, column = 0;
    else return false;
    return true;
  };
  if (forward() && word) {
    // Over word characters, then separators, to the next word's start.
    bool inSeparators = false;
    while (true) {
      if (column >= length(line)) {
        if (line >= last) break;
        ++line, column = 0;
        continue;
      }
      const bool separator = IsWordSeparator(lines[static_cast<size_t>(line)][static_cast<size_t>(column)]);
      if (!separator && inSeparators) break;
      inSeparators = inSeparators || separator;
      ++column;
    }
  }
  if (!extend) return CollapseAtCaret();
  const auto& s = view_.EditSelection;
  ExtendTo(!Before(s[kSelEndLine], s[kSelEndColumn], line, column), line, column);
}

void TQSTextEditor::TextUp(bool extend) {
  if (!EditingText() || view_.EditSelection[kCaretLine] <= 0) return;
  THiddenCaret hidden(site_);
  typingUndo_ = false;
  const std::vector<std::u16string> lines = EditedLines();
  int& line = view_.EditSelection[kCaretLine];
  line = std::min(line - 1, static_cast<int>(lines.size()) - 1);
  view_.EditSelection[kCaretColumn] =
      std::min(view_.EditSelection[kCaretColumn], static_cast<int>(lines[static_cast<size_t>(line)].size()));
  if (!extend) return CollapseAtCaret();
  const auto& s = view_.EditSelection;
  ExtendTo(Before(line, view_.EditSelection[kCaretColumn], s[kSelStartLine], s[kSelStartColumn]), line,
           view_.EditSelection[kCaretColumn]);
}

void TQSTextEditor::TextDown(bool extend) {
  if (!EditingText()) return;
  const std::vector<std::u16string> lines = EditedLines();
  int& line = view_.EditSelection[kCaretLine];
  if (line + 1 >= static_cast<int>(lines.size())) return;
  THiddenCaret hidden(site_);
  typingUndo_ = false;
  ++line;
  view_.EditSelection[kCaretColumn] =
      std::min(view_.EditSelection[kCaretColumn], static_cast<int>(lines[static_cast<size_t>(line)].size()));
  if (!extend) return CollapseAtCaret();
  const auto& s = view_.EditSelection;
  ExtendTo(!Before(s[kSelEndLine], s[kSelEndColumn], line, view_.EditSelection[kCaretColumn]), line,
           view_.EditSelection[kCaretColumn]);
}

// ------------------------------------------------------------ clipboard

bool TQSTextEditor::CopyEditedText() {
  if (!EditingText()) return false;
  const std::u16string text = GetSelectedText();
  if (!text.empty()) Clipboard().SetAsUnicodeText(text);
  return true;
}

bool TQSTextEditor::CutEditedText() {
  if (!EditingText()) return false;
  const std::u16string text = GetSelectedText();
  if (!text.empty()) {
    Clipboard().SetAsUnicodeText(text);
    DeleteTextSelection();
  }
  return true;
}

bool TQSTextEditor::PasteEditedText() {
  if (!EditingText()) return false;
  // The pasted text replaces the selection; a long one is cut short.
  constexpr size_t kMaxPastedText = 9999;
  std::u16string text = Clipboard().AsUnicodeText();
  if (text.size() > kMaxPastedText) {
    text.resize(kMaxPastedText);
    if (text.back() >= 0xD800 && text.back() < 0xDC00) text.pop_back();  // half a character
  }
  if (text.empty()) return true;
  DeleteTextSelection();
  InsertTextAtCaret(text);
  return true;
}

// ------------------------------------------------------------ caret

bool TQSTextEditor::TextLayout(TCanvas& canvas, TRect& box, int& alignment) const {
  std::string face;
  int size = 0;
  TFontStyles style = 0;
  if (const auto* lyric = dynamic_cast<const TQSLyric*>(editedItem_)) {
    face = lyric->FontName, size = lyric->Fields.FontSize, style = lyric->Fields.FontStyle;
    alignment = lyric->Lines.empty() ? 0 : lyric->Alignment();
    box = geometry_.ElementClientBox(*view_.EditedElement, true);
  } else if (const auto* page = dynamic_cast<const TQSText*>(editedItem_)) {
    face = page->FontName, size = page->Fields.FontSize, style = page->Fields.FontStyle;
    alignment = (page->Fields.Align >> 4) & 3;
    const int index = geometry_.PageOfElement(*view_.EditedElement);
    if (index < 0 || index >= static_cast<int>(geometry_.PageGrid.size())) return false;
    const TRect& pr = geometry_.PageGrid[static_cast<size_t>(index)].Rect;
    const int left = geometry_.Px(page->Fields.X) + pr.Left + geometry_.RulerWidth() - geometry_.HorzBar.Position;
    const int top = geometry_.Px(page->Fields.Y) + pr.Top + geometry_.RulerWidth() - geometry_.VertBar.Position;
    box = {left, top, left + geometry_.Px(page->Fields.Width), top + geometry_.Px(page->Fields.Height)};
  } else {
    return false;
  }
  canvas.Font().Name = face.empty() ? "Arial" : face;
  canvas.Font().SetSize(std::max(1, (size == 0 ? 8 : size) * view_.Zoom / 100));
  canvas.Font().Style = style & (fsBold | fsItalic | fsUnderline | fsStrikeOut);
  return true;
}

namespace {

// Where a line starts in its box, as the page draws it.
int LineStart(const TRect& box, int alignment, int width) {
  switch (alignment) {
    case 1: return box.Left + (box.Right - box.Left - width) / 2;
    case 2: return box.Right - width;
    default: return box.Left;
  }
}

}  // namespace

void TQSTextEditor::DrawTextCaret(TCanvas& canvas) {
  if (!EditingText() || view_.Style == wsView) return;
  const std::vector<std::u16string> lines = EditedLines();
  const int line = std::clamp(view_.EditSelection[kCaretLine], 0, std::max(0, static_cast<int>(lines.size()) - 1));
  const std::u16string text = lines.empty() ? std::u16string() : lines[static_cast<size_t>(line)];
  const int column = std::clamp(view_.EditSelection[kCaretColumn], 0, static_cast<int>(text.size()));
  const int level = canvas.SaveDC();
  TRect box;
  int alignment = 0;
  if (!TextLayout(canvas, box, alignment)) {
    canvas.RestoreDC(level);
    return;
  }
  const int height = canvas.TextHeight(std::u16string_view(u"A"));
  const int x = LineStart(box, alignment, canvas.TextWidth(std::u16string_view(text))) +
                canvas.TextWidth(std::u16string_view(text).substr(0, static_cast<size_t>(column)));
  const int y = box.Top + line * height;
  canvas.IntersectClipRect(site_.PageArea());
  canvas.Pen() = TPen{clWhite, std::max(1, view_.Zoom / 100), psSolid, pmXor};
  canvas.MoveTo(x, y);
  canvas.LineTo(x, y + height);
  canvas.Pen().Mode = pmCopy;
  canvas.RestoreDC(level);
  site_.FlushScreen({x - 2, y - 2, x + 3, y + height + 2});
}

bool TQSTextEditor::PlaceTextCaret(TPoint point, bool extend) {
  if (!EditingText() || !geometry_.ElementClientBox(*view_.EditedElement).Contains(point)) return false;
  TBitmap measure(1, 1);
  TCanvas& canvas = measure.Canvas();
  TRect box;
  int alignment = 0;
  if (!TextLayout(canvas, box, alignment)) return false;
  std::vector<std::u16string> lines = EditedLines();
  if (lines.empty()) {
    lines.emplace_back();
    SetEditedLines(lines);
  }
  THiddenCaret hidden(site_);
  const int height = std::max(1, canvas.TextHeight(std::u16string_view(u"A")));
  const int line = std::clamp((point.Y - box.Top) / height, 0, static_cast<int>(lines.size()) - 1);
  const std::u16string& text = lines[static_cast<size_t>(line)];
  const int start = LineStart(box, alignment, canvas.TextWidth(std::u16string_view(text)));
  int column = static_cast<int>(text.size());
  for (size_t i = 0; i < text.size(); ++i)
    if (start + canvas.TextWidth(std::u16string_view(text).substr(0, i + 1)) >= point.X) {
      column = static_cast<int>(i);
      break;
    }
  view_.EditSelection[kCaretLine] = line;
  view_.EditSelection[kCaretColumn] = column;
  typingUndo_ = false;
  if (extend) {
    const auto& s = view_.EditSelection;
    ExtendTo(Before(line, column, s[kSelStartLine], s[kSelStartColumn]), line, column);
  } else {
    CollapseAtCaret();
  }
  return true;
}

bool TQSTextEditor::TextMouseMove(int x, int y) {
  if (!mouseHeld_ || !EditingText()) return false;
  PlaceTextCaret({x, y}, true);
  return true;
}

bool TQSTextEditor::TextMouseDown(TPoint point) {
  if (!PlaceTextCaret(point, false)) return false;
  mouseHeld_ = true;
  return true;
}

void TQSTextEditor::TextMouseUp() { mouseHeld_ = false; }

// ------------------------------------------------------------ keys

TQSTextEditor::TKey TQSTextEditor::TextEditKey(uint16_t& key, TShiftState shift) {
  if (key == VK_ESCAPE) {
    if (!view_.EditedElement) return TKey::NotTaken;
    EditItemText(nullptr);
    key = 0;
    return TKey::Taken;
  }
  if (!EditingText()) return TKey::NotTaken;
  const bool shifted = shift & ssShift, ctrl = shift & ssCtrl;
  switch (key) {
    case VK_BACK: TextBackspace(); break;
    case VK_DELETE:
      if (ctrl) return TKey::Cut;
      TextDelete();
      break;
    case VK_RETURN: TextNewLine(); break;
    case VK_HOME: TextHome(shifted); break;
    case VK_END: TextEnd(shifted); break;
    case VK_LEFT: TextLeft(shifted, ctrl); break;
    case VK_RIGHT: TextRight(shifted, ctrl); break;
    case VK_UP: TextUp(shifted); break;
    case VK_DOWN: TextDown(shifted); break;
    case VK_INSERT:
      if (ctrl) return TKey::Copy;
      if (shifted) return TKey::Paste;
      return TKey::Taken;
    case 'C':
    case 'X':
    case 'V':
      if (!ctrl) return TKey::Taken;  // a letter: it comes as a character
      return key == 'C' ? TKey::Copy : key == 'X' ? TKey::Cut : TKey::Paste;
    default:
      // Other keys with Ctrl or Alt go on to the key table (undo among
      // them); plain ones bring their character.
      return shift & (ssCtrl | ssAlt) ? TKey::NotTaken : TKey::Taken;
  }
  key = 0;
  return TKey::Taken;
}

}  // namespace qs
