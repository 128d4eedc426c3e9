// In-place editing of a lyric syllable, an inscription, an instrument name
// or a free text on the page: caret and selection over the item's lines,
// typing, deleting, line breaks, caret moves, the text clipboard, one undo
// step per run of edits, and the syllable steps of a lyric on space, hyphen
// and Backspace.
#include <algorithm>

#include "base/text.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "layout/layout.h"
#include "platform/clipboard.h"
#include "platform/keys.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/pageobjects.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/tree.h"
#include "score/undo.h"
#include "view/window.h"

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
  explicit THiddenCaret(TQSWindow& view) : view_(view) { view_.ShowCursor(false); }
  ~THiddenCaret() { view_.ShowCursor(true); }
  THiddenCaret(const THiddenCaret&) = delete;
  THiddenCaret& operator=(const THiddenCaret&) = delete;

 private:
  TQSWindow& view_;
};

}  // namespace

// ------------------------------------------------------------ the item

bool TQSWindow::EditingText() const {
  return Score && EditedElement && editedItem_ && IsEditableKind(editedItem_->ItemType);
}

std::vector<std::u16string> TQSWindow::EditedLines() const {
  std::vector<std::u16string> out;
  if (const std::vector<std::string>* lines = LinesOf(editedItem_))
    for (const std::string& line : *lines) out.push_back(Utf8ToUtf16(line));
  return out;
}

void TQSWindow::SetEditedLines(const std::vector<std::u16string>& lines) {
  std::vector<std::string>* target = LinesOf(editedItem_);
  if (!target) return;
  target->clear();
  for (const std::u16string& line : lines) target->push_back(Utf16ToUtf8(line));
}

void TQSWindow::RefindEditedElement() {
  if (!editedItem_ || !Score) return;
  EditedElement = FindLayoutElement(*Score, editedItem_, -1);
  if (!EditedElement) editedItem_ = nullptr;
}

void TQSWindow::EditItemTextOf(TQSItem* item) {
  if (Score) EditItemText(item ? FindLayoutElement(*Score, item, -1) : nullptr);
}

void TQSWindow::EditItemText(TQSCalcItem* element) {
  if (element == EditedElement) return;
  TQSItem* next = element ? element->Item : nullptr;
  if (EditedElement) EditSelection[kSelStartLine] = EditSelection[kSelStartColumn] = EditSelection[kSelEndLine] =
      EditSelection[kSelEndColumn] = 0;
  TQSItem* old = EditedElement ? editedItem_ : nullptr;
  bool relaid = false;
  if (old && Score && (old->ItemType == kind::Lyric || old->ItemType == kind::InstrumentName)) {
    const std::vector<std::string>* lines = LinesOf(old);
    const bool empty = !lines || lines->empty() || (lines->size() == 1 && lines->front().empty());
    if (empty) {
      // A syllable or name left empty goes, as one undo step.
      TQSUndoRecord* record = nullptr;
      try {
        record = Score->BeginUndo(undoaction::TextEditDelete, "");
        Score->SaveUndoMeasure(record, old->GetMeasure(), -1);
      } catch (...) {
      }
      EditedElement = nullptr;
      editedItem_ = nullptr;
      delete old;
      relaid = true;
    } else if (TextModified) {
      if (old->ItemType == kind::InstrumentName) static_cast<TQSLyric*>(old)->Fields.OffsetX = 0;
      relaid = true;
    }
  }
  if (relaid) {
    // The new element is found again after the layout built its records anew.
    EditedElement = nullptr;
    editedItem_ = nullptr;
    Score->Recalculate(0, -1);
    InvalidatePages();
    element = nullptr;
    if (next) {
      editedItem_ = next;
      RefindEditedElement();
      element = EditedElement;
    }
  } else if (old) {
    UpdateEditBox(true, false);
  }
  {
    THiddenCaret hidden(*this);
    EditedElement = element;
    editedItem_ = element ? element->Item : nullptr;
    UpdateEditBox(false, false);
    TextTypingUndo = TextModified = false;
    pendingHighSurrogate_ = 0;
  }
  Fire(OnPasteChanged, this);
}

void TQSWindow::UpdateEditBox(bool withAngle, bool measure) {
  (void)withAngle;  // the layout turns the box of a text that is not edited
  if (!EditedElement || !Score) return;
  InvalidateElement(*EditedElement);
  if (!measure) return;
  // The layout measures the text again (the stored size is its cache) and
  // places the box; its records are new afterwards.
  if (auto* lyric = dynamic_cast<TQSLyric*>(editedItem_)) lyric->Fields.Width = lyric->Fields.Height = 0;
  if (auto* text = dynamic_cast<TQSText*>(editedItem_)) text->Fields.Width = text->Fields.Height = 0;
  const int page = PageOfElement(*EditedElement);
  Score->Recalculate(std::max(0, page), -1);
  RefindEditedElement();
  if (EditedElement) InvalidateElement(*EditedElement);
}

// ------------------------------------------------------------ selection

void TQSWindow::SetTextSelection(int startLine, int startColumn, int endLine, int endColumn) {
  auto& s = EditSelection;
  if (s[kSelStartLine] == startLine && s[kSelStartColumn] == startColumn && s[kSelEndLine] == endLine &&
      s[kSelEndColumn] == endColumn)
    return;
  s[kSelStartLine] = startLine;
  s[kSelStartColumn] = startColumn;
  s[kSelEndLine] = endLine;
  s[kSelEndColumn] = endColumn;
  UpdateEditBox(false, false);
  Fire(OnPasteChanged, this);
}

void TQSWindow::SetTextSelStart(int line, int column) {
  SetTextSelection(line, column, EditSelection[kSelEndLine], EditSelection[kSelEndColumn]);
}

void TQSWindow::SetTextSelEnd(int line, int column) {
  SetTextSelection(EditSelection[kSelStartLine], EditSelection[kSelStartColumn], line, column);
}

void TQSWindow::CollapseAtCaret() {
  SetTextSelection(EditSelection[kCaretLine], EditSelection[kCaretColumn], EditSelection[kCaretLine],
                   EditSelection[kCaretColumn]);
}

void TQSWindow::ClampCaret() {
  const std::vector<std::u16string> lines = EditedLines();
  int& line = EditSelection[kCaretLine];
  int& column = EditSelection[kCaretColumn];
  line = std::clamp(line, 0, std::max(0, static_cast<int>(lines.size()) - 1));
  const int length = lines.empty() ? 0 : static_cast<int>(lines[static_cast<size_t>(line)].size());
  column = std::clamp(column, 0, length);
}

std::u16string TQSWindow::GetSelectedText() const {
  if (!EditingText()) return {};
  const auto& s = EditSelection;
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

// ------------------------------------------------------------ changes

void TQSWindow::OpenTextUndo(uint8_t action, const std::string& caption) {
  if (!EditingText()) return;
  if (TextTypingUndo) {
    Score->ContinueUndo();
    return;
  }
  try {
    TQSUndoRecord* record = Score->BeginUndo(action, caption);
    Score->SaveUndoText(record, EditedElement);
  } catch (...) {
  }
  TextTypingUndo = true;
}

void TQSWindow::AfterTextChange() {
  UpdateEditBox(false, true);
  TextModified = true;
  if (Score) Score->FireChanged(this);
}

bool TQSWindow::DeleteTextSelection() {
  if (!EditingText()) return false;
  THiddenCaret hidden(*this);
  ClampCaret();
  const auto s = EditSelection;
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
  EditSelection[kCaretLine] = s[kSelStartLine];
  EditSelection[kCaretColumn] = static_cast<int>(from);
  CollapseAtCaret();
  AfterTextChange();
  return true;
}

void TQSWindow::TypeChar(char16_t ch) {
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
  THiddenCaret hidden(*this);
  ClampCaret();
  UpdateEditBox(false, false);
  OpenTextUndo(undoaction::TextEdit, Utf16ToUtf8(typed));
  std::vector<std::u16string> lines = EditedLines();
  if (lines.empty()) lines.emplace_back();
  const size_t line = static_cast<size_t>(EditSelection[kCaretLine]);
  lines[line].insert(static_cast<size_t>(EditSelection[kCaretColumn]), typed);
  SetEditedLines(lines);
  EditSelection[kCaretColumn] += static_cast<int>(typed.size());
  AfterTextChange();
}

void TQSWindow::TextNewLine() {
  if (!EditingText()) return;
  THiddenCaret hidden(*this);
  DeleteTextSelection();
  ClampCaret();
  UpdateEditBox(false, false);
  OpenTextUndo(undoaction::TextEdit, "");
  std::vector<std::u16string> lines = EditedLines();
  if (lines.empty()) lines.emplace_back();
  const size_t line = static_cast<size_t>(EditSelection[kCaretLine]);
  const size_t column = static_cast<size_t>(EditSelection[kCaretColumn]);
  const std::u16string rest = lines[line].substr(column);
  lines[line].erase(column);
  lines.insert(lines.begin() + static_cast<long>(line) + 1, rest);
  SetEditedLines(lines);
  ++EditSelection[kCaretLine];
  EditSelection[kCaretColumn] = 0;
  CollapseAtCaret();
  AfterTextChange();
}

bool TQSWindow::EraseTextAt(int line, int column) {
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
  EditSelection[kCaretLine] = line;
  EditSelection[kCaretColumn] = column;
  CollapseAtCaret();
  AfterTextChange();
  return true;
}

void TQSWindow::TextDelete() {
  if (!EditingText()) return;
  THiddenCaret hidden(*this);
  if (DeleteTextSelection()) return;
  ClampCaret();
  if (!EraseTextAt(EditSelection[kCaretLine], EditSelection[kCaretColumn])) TextModified = true;
}

// Backspace takes out what stands before the caret: the character before
// it, or at a line's start the line break before.
void TQSWindow::TextBackspace() {
  if (!EditingText()) return;
  THiddenCaret hidden(*this);
  if (DeleteTextSelection()) return;
  ClampCaret();
  const int line = EditSelection[kCaretLine], column = EditSelection[kCaretColumn];
  if (column > 0)
    EraseTextAt(line, column - UnitsBefore(EditedLines()[static_cast<size_t>(line)], column));
  else if (line > 0)
    EraseTextAt(line - 1, static_cast<int>(EditedLines()[static_cast<size_t>(line) - 1].size()));
  else
    BackToPreviousSyllable();
}

void TQSWindow::InsertTextAtCaret(const std::u16string& text) {
  if (!EditingText()) return;
  THiddenCaret hidden(*this);
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
  size_t line = static_cast<size_t>(EditSelection[kCaretLine]);
  size_t column = static_cast<size_t>(EditSelection[kCaretColumn]);
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
  EditSelection[kCaretLine] = static_cast<int>(line);
  EditSelection[kCaretColumn] = static_cast<int>(column);
  CollapseAtCaret();
  AfterTextChange();
}

// ------------------------------------------------------------ lyrics

void TQSWindow::AdvanceSyllable(bool hyphen) {
  auto* lyric = static_cast<TQSLyric*>(editedItem_);
  TQSMeasure* m = lyric->GetMeasure();
  if (!m || !m->Part()) return;
  THiddenCaret hidden(*this);
  SetCursorMeasure(m->Index);
  SetCursorTick(lyric->Fields.Time);
  SetCursorPart(m->Part()->Index);
  struct {
    TQSLyric::TFields Fields;
    std::string FontName;
  } const look{lyric->Fields, lyric->FontName};
  MoveCursorRight(false, false);
  TQSMeasure* target = Score->EnsureMeasure(-1);
  if (!target) return;
  try {
    TQSUndoRecord* record = Score->BeginUndo(undoaction::LyricInserted, "");
    Score->SaveUndoMeasure(record, target, -1);
  } catch (...) {
  }
  const int tick = CursorPosition.Tick;
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
  EditSelection[kCaretLine] = EditSelection[kCaretColumn] = 0;
  Score->Recalculate(CursorPosition.Page, -1);
  TQSCalcItem* element = FindLayoutElement(*Score, next, -1);
  EditItemText(element);
  CollapseAtCaret();
  Score->RefreshWindows();
  Score->FireChanged(this);
  TextModified = true;
}

void TQSWindow::BackToPreviousSyllable() {
  const auto* lyric = static_cast<const TQSLyric*>(editedItem_);
  const uint8_t staffVoice = lyric->Fields.StaffVoice, verse = lyric->Fields.Verse;
  const bool isLyric = lyric->ItemType == kind::Lyric;
  MoveCursorLeft(false);
  if (isLyric)
    if (TQSMeasure* m = Score->EnsureMeasure(-1))
      for (TQSItem* item : m->Items)
        if (auto* l = dynamic_cast<TQSLyric*>(item); l && item->ItemType == kind::Lyric && item != editedItem_ &&
                                                       l->Fields.StaffVoice == staffVoice && l->Fields.Verse == verse &&
                                                       l->Fields.Time == CursorPosition.Tick) {
          EditSelection[kCaretLine] = 0;
          EditSelection[kCaretColumn] = l->Lines.empty() ? 0 : static_cast<int>(Utf8ToUtf16(l->Lines[0]).size());
          EditItemText(FindLayoutElement(*Score, l, -1));
          break;
        }
  CollapseAtCaret();
  Score->FireChanged(this);
}

// ------------------------------------------------------------ caret moves

void TQSWindow::ExtendTo(bool towardsStart, int line, int column) {
  if (towardsStart) SetTextSelStart(line, column);
  else SetTextSelEnd(line, column);
}

void TQSWindow::TextHome(bool extend) {
  if (!EditingText() || EditSelection[kCaretColumn] == 0) return;
  THiddenCaret hidden(*this);
  TextTypingUndo = false;
  const int line = EditSelection[kCaretLine];
  EditSelection[kCaretColumn] = 0;
  if (!extend) return CollapseAtCaret();
  const auto& s = EditSelection;
  ExtendTo(line < s[kSelStartLine] || (line == s[kSelStartLine] && s[kSelStartColumn] > 0), line, 0);
}

void TQSWindow::TextEnd(bool extend) {
  if (!EditingText()) return;
  ClampCaret();
  const std::vector<std::u16string> lines = EditedLines();
  const int line = EditSelection[kCaretLine];
  const int length = lines.empty() ? 0 : static_cast<int>(lines[static_cast<size_t>(line)].size());
  if (EditSelection[kCaretColumn] == length) return;
  THiddenCaret hidden(*this);
  TextTypingUndo = false;
  EditSelection[kCaretColumn] = length;
  if (!extend) return CollapseAtCaret();
  const auto& s = EditSelection;
  ExtendTo(!Before(s[kSelEndLine], s[kSelEndColumn], line, length), line, length);
}

void TQSWindow::TextLeft(bool extend, bool word) {
  if (!EditingText()) return;
  THiddenCaret hidden(*this);
  TextTypingUndo = false;
  const std::vector<std::u16string> lines = EditedLines();
  int& line = EditSelection[kCaretLine];
  int& column = EditSelection[kCaretColumn];
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
  const auto& s = EditSelection;
  ExtendTo(Before(line, column, s[kSelStartLine], s[kSelStartColumn]), line, column);
}

void TQSWindow::TextRight(bool extend, bool word) {
  if (!EditingText()) return;
  THiddenCaret hidden(*this);
  TextTypingUndo = false;
  const std::vector<std::u16string> lines = EditedLines();
  const int last = std::max(0, static_cast<int>(lines.size()) - 1);
  int& line = EditSelection[kCaretLine];
  int& column = EditSelection[kCaretColumn];
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
  const auto& s = EditSelection;
  ExtendTo(!Before(s[kSelEndLine], s[kSelEndColumn], line, column), line, column);
}

void TQSWindow::TextUp(bool extend) {
  if (!EditingText() || EditSelection[kCaretLine] <= 0) return;
  THiddenCaret hidden(*this);
  TextTypingUndo = false;
  const std::vector<std::u16string> lines = EditedLines();
  int& line = EditSelection[kCaretLine];
  line = std::min(line - 1, static_cast<int>(lines.size()) - 1);
  EditSelection[kCaretColumn] =
      std::min(EditSelection[kCaretColumn], static_cast<int>(lines[static_cast<size_t>(line)].size()));
  if (!extend) return CollapseAtCaret();
  const auto& s = EditSelection;
  ExtendTo(Before(line, EditSelection[kCaretColumn], s[kSelStartLine], s[kSelStartColumn]), line,
           EditSelection[kCaretColumn]);
}

void TQSWindow::TextDown(bool extend) {
  if (!EditingText()) return;
  const std::vector<std::u16string> lines = EditedLines();
  int& line = EditSelection[kCaretLine];
  if (line + 1 >= static_cast<int>(lines.size())) return;
  THiddenCaret hidden(*this);
  TextTypingUndo = false;
  ++line;
  EditSelection[kCaretColumn] =
      std::min(EditSelection[kCaretColumn], static_cast<int>(lines[static_cast<size_t>(line)].size()));
  if (!extend) return CollapseAtCaret();
  const auto& s = EditSelection;
  ExtendTo(!Before(s[kSelEndLine], s[kSelEndColumn], line, EditSelection[kCaretColumn]), line,
           EditSelection[kCaretColumn]);
}

// ------------------------------------------------------------ clipboard

bool TQSWindow::CopyEditedText() {
  if (!EditingText()) return false;
  const std::u16string text = GetSelectedText();
  if (!text.empty()) Clipboard().SetAsUnicodeText(text);
  return true;
}

bool TQSWindow::CutEditedText() {
  if (!EditingText()) return false;
  const std::u16string text = GetSelectedText();
  if (!text.empty()) {
    Clipboard().SetAsUnicodeText(text);
    DeleteTextSelection();
  }
  return true;
}

bool TQSWindow::PasteEditedText() {
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

bool TQSWindow::TextLayout(TCanvas& canvas, TRect& box, int& alignment) const {
  std::string face;
  int size = 0;
  TFontStyles style = 0;
  if (const auto* lyric = dynamic_cast<const TQSLyric*>(editedItem_)) {
    face = lyric->FontName, size = lyric->Fields.FontSize, style = lyric->Fields.FontStyle;
    alignment = lyric->Lines.empty() ? 0 : lyric->Alignment();
    box = ElementClientBox(*EditedElement, true);
  } else if (const auto* page = dynamic_cast<const TQSText*>(editedItem_)) {
    face = page->FontName, size = page->Fields.FontSize, style = page->Fields.FontStyle;
    alignment = (page->Fields.Align >> 4) & 3;
    const int index = PageOfElement(*EditedElement);
    if (index < 0 || index >= static_cast<int>(PageGrid.size())) return false;
    const TRect& pr = PageGrid[static_cast<size_t>(index)].Rect;
    const int left = Px(page->Fields.X) + pr.Left + RulerWidth() - HorzBar.Position;
    const int top = Px(page->Fields.Y) + pr.Top + RulerWidth() - VertBar.Position;
    box = {left, top, left + Px(page->Fields.Width), top + Px(page->Fields.Height)};
  } else {
    return false;
  }
  canvas.Font().Name = face.empty() ? "Arial" : face;
  canvas.Font().SetSize(std::max(1, (size == 0 ? 8 : size) * Zoom / 100));
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

void TQSWindow::DrawTextCaret(TCanvas& canvas) {
  if (!EditingText() || Style == wsView) return;
  const std::vector<std::u16string> lines = EditedLines();
  const int line = std::clamp(EditSelection[kCaretLine], 0, std::max(0, static_cast<int>(lines.size()) - 1));
  const std::u16string text = lines.empty() ? std::u16string() : lines[static_cast<size_t>(line)];
  const int column = std::clamp(EditSelection[kCaretColumn], 0, static_cast<int>(text.size()));
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
  canvas.IntersectClipRect(GetPageAreaRect());
  canvas.Pen() = TPen{clWhite, std::max(1, Zoom / 100), psSolid, pmXor};
  canvas.MoveTo(x, y);
  canvas.LineTo(x, y + height);
  canvas.Pen().Mode = pmCopy;
  canvas.RestoreDC(level);
  if (Host()) Host()->Flush({x - 2, y - 2, x + 3, y + height + 2});
}

bool TQSWindow::PlaceTextCaret(TPoint point, bool extend) {
  if (!EditingText() || !ElementClientBox(*EditedElement).Contains(point)) return false;
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
  THiddenCaret hidden(*this);
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
  EditSelection[kCaretLine] = line;
  EditSelection[kCaretColumn] = column;
  TextTypingUndo = false;
  if (extend) {
    const auto& s = EditSelection;
    ExtendTo(Before(line, column, s[kSelStartLine], s[kSelStartColumn]), line, column);
  } else {
    CollapseAtCaret();
  }
  return true;
}

bool TQSWindow::TextMouseMove(int x, int y) {
  if (!textMouseHeld_ || !EditingText()) return false;
  PlaceTextCaret({x, y}, true);
  return true;
}

void TQSWindow::TextMouseUp() { textMouseHeld_ = false; }

// ------------------------------------------------------------ keys

bool TQSWindow::TextEditKey(uint16_t& key, TShiftState shift) {
  if (key == VK_ESCAPE) {
    if (!EditedElement) return false;
    EditItemText(nullptr);
    key = 0;
    return true;
  }
  if (!EditingText()) return false;
  const bool shifted = shift & ssShift, ctrl = shift & ssCtrl;
  switch (key) {
    case VK_BACK: TextBackspace(); break;
    case VK_DELETE:
      if (ctrl) CutToClipboard();
      else TextDelete();
      break;
    case VK_RETURN: TextNewLine(); break;
    case VK_HOME: TextHome(shifted); break;
    case VK_END: TextEnd(shifted); break;
    case VK_LEFT: TextLeft(shifted, ctrl); break;
    case VK_RIGHT: TextRight(shifted, ctrl); break;
    case VK_UP: TextUp(shifted); break;
    case VK_DOWN: TextDown(shifted); break;
    case VK_INSERT:
      if (ctrl) CopyToClipboard();
      else if (shifted) PasteFromClipboard(0);
      else return true;
      break;
    case 'C':
    case 'X':
    case 'V':
      if (!ctrl) return true;  // a letter: it comes as a character
      if (key == 'C') CopyToClipboard();
      else if (key == 'X') CutToClipboard();
      else PasteFromClipboard(0);
      break;
    default:
      // Other keys with Ctrl or Alt go on to the key table (undo among
      // them); plain ones bring their character.
      return !(shift & (ssCtrl | ssAlt));
  }
  key = 0;
  return true;
}

void TQSWindow::KeyPress(char16_t& key) {
  // The host hears the character first and may take it.
  TCustomControl::KeyPress(key);
  if (key > 27 && EditingText()) {
    TypeChar(key);
    key = 0;
  }
}

}  // namespace qs
