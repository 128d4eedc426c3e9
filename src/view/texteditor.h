#pragma once
// TQSTextEditor: in-place editing of one lyric, inscription, instrument
// name or free text on the page of the editing view that owns it. The
// edited element and the selection live in the view's link to the score
// (the undo journal files and restores them): EditSelection holds the
// selection's start line and column, its end line and column, then the
// caret's line and column; columns count UTF-16 units, the caret stands
// before that unit. A run of edits without caret moves is one undo step.
//
// The editor reads the view's score, zoom and style and its geometry, and
// asks the rest of the view through TSite; it never calls the view class.
#include <cstdint>
#include <string>
#include <vector>

#include "base/geometry.h"
#include "platform/keys.h"

namespace qs {

class TCanvas;
class TQSItem;
class TQSPageView;
class TQSViewGeometry;
struct TQSCalcItem;

class TQSTextEditor {
 public:
  // What the editor needs of the view it edits in.
  class TSite {
   public:
    virtual ~TSite() = default;
    // Hides (false) or shows (true) the view's input cursor; paired.
    virtual void ShowCursor(bool show) = 0;
    virtual void RepaintElement(const TQSCalcItem& e) = 0;
    virtual void RepaintPages() = 0;
    // The edited text or its selection changed: what a copy or paste
    // offers may have changed.
    virtual void TextSelectionChanged() = 0;
    // The score changed through the text.
    virtual void TextChanged() = 0;
    // The syllable steps of a lyric move the view's input cursor.
    virtual void CursorToLyric(int measure, int tick, int part) = 0;
    virtual void CursorToNextEvent() = 0;
    virtual void CursorToPreviousEvent() = 0;
    // The page area of the client, and showing r of the screen after the
    // caret was drawn on it outside a repaint.
    virtual TRect PageArea() const = 0;
    virtual void FlushScreen(const TRect& r) = 0;
  };

  TQSTextEditor(TQSPageView& view, const TQSViewGeometry& geometry, TSite& site);
  TQSTextEditor(const TQSTextEditor&) = delete;
  TQSTextEditor& operator=(const TQSTextEditor&) = delete;

  // A text is being edited.
  bool EditingText() const;
  // Begins editing the element's text; nullptr ends editing. A lyric or
  // name left empty goes.
  void EditItemText(TQSCalcItem* element);
  // Repaints the edited box; with measure the text's box is measured again.
  void UpdateEditBox(bool withAngle, bool measure);
  // The layout built its elements anew: the edited one is found again.
  void RefindEditedElement();

  void TypeChar(char16_t ch);
  void TextBackspace();
  void TextDelete();
  void TextNewLine();
  void TextHome(bool extend);
  void TextEnd(bool extend);
  void TextLeft(bool extend, bool word);
  void TextRight(bool extend, bool word);
  void TextUp(bool extend);
  void TextDown(bool extend);
  void SetTextSelStart(int line, int column);
  void SetTextSelEnd(int line, int column);
  void SetTextSelection(int startLine, int startColumn, int endLine, int endColumn);
  // True when a selection was deleted.
  bool DeleteTextSelection();
  // The selected text, lines joined by CR LF; empty without a selection.
  std::u16string GetSelectedText() const;
  // Some text is selected and the caret stands in the selection.
  bool HasTextSelection() const;
  // Inserts text at the caret, starting a new line at each CR (CR LF).
  void InsertTextAtCaret(const std::u16string& text);
  void OpenTextUndo(uint8_t action, const std::string& caption);
  // The clipboard while a text is edited; false when nothing is edited.
  bool CopyEditedText();
  bool CutEditedText();
  bool PasteEditedText();
  // A key while a text may be edited: not the editor's, taken (key is then
  // 0, except for keys that bring a character), or one of the clipboard
  // commands, which the view carries out.
  enum class TKey : uint8_t { NotTaken, Taken, Cut, Copy, Paste };
  TKey TextEditKey(uint16_t& key, TShiftState shift);
  int TextCaretLine() const;
  int TextCaretColumn() const;

  // The caret of the edited text, an XOR line: drawing it twice removes it.
  void DrawTextCaret(TCanvas& canvas);
  // A press (or, with extend, a drag) inside the edited box places the
  // caret; false when the point lies outside. A press that placed it holds
  // the mouse until TextMouseUp.
  bool PlaceTextCaret(TPoint point, bool extend);
  bool TextMouseDown(TPoint point);
  bool TextMouseMove(int x, int y);
  void TextMouseUp();

 private:
  std::vector<std::u16string> EditedLines() const;
  void SetEditedLines(const std::vector<std::u16string>& lines);
  void ClampCaret();
  void CollapseAtCaret();
  void AfterTextChange();
  // Takes out the character or the line break at (line, column), one undo
  // step with the edits before it, and leaves the caret there; false when
  // the text ends before it.
  bool EraseTextAt(int line, int column);
  void AdvanceSyllable(bool hyphen);
  void BackToPreviousSyllable();
  void ExtendTo(bool towardsStart, int line, int column);
  // The edited text's box as drawn and its alignment, with its font on
  // canvas; false when nothing is edited.
  bool TextLayout(TCanvas& canvas, TRect& box, int& alignment) const;

  // The view's fields only: score, zoom, style, cursor, edited element.
  TQSPageView& view_;
  const TQSViewGeometry& geometry_;
  TSite& site_;
  // The item edited, and a first UTF-16 unit waiting for its second.
  TQSItem* editedItem_ = nullptr;
  char16_t pendingHighSurrogate_ = 0;
  bool typingUndo_ = false;
  bool modified_ = false;
  bool mouseHeld_ = false;
};

}  // namespace qs
