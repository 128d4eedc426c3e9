#pragma once
// TQSWindow: the editing view of a score. It shows the laid-out pages in a
// scrollable grid at its zoom (its geometry object keeps the grid and the
// coordinate transforms), keeps the input cursor and the selection,
// answers the hit tests and the queries at the cursor, keeps ten
// bookmarks, edits a text on the page through its text editor, and paints
// its visible pages through an off-screen bitmap with the cursor as an XOR
// overlay.
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/geometry.h"
#include "platform/controls.h"
#include "platform/drawinglist.h"
#include "platform/stdctrls.h"
#include "render/window.h"
#include "view/geometry.h"
#include "view/texteditor.h"

namespace qs {

class TCanvas;
class TBitmap;
class TQSPart;
class TQSStaff;
class TQSVoice;
class TQSMeasure;
class TQSNote;
class TQSItem;
class TQSMark;
struct TQSCalcPage;
struct TQSCalcSystem;
struct TQSCalcMeasure;
struct TQSCalcStaff;
struct TQSFrameString;

enum class TQSCursorType : uint8_t { ctStaff, ctPiece };

// One bookmark: a stored cursor and its marker box in the vertical ruler
// (canvas coordinates).
struct TQSBookmark {
  bool Set = false;
  int16_t Page = 0, Piece = 0, Part = 0, Staff = 0, Voice = 0, Measure = 0, Tick = 0;
  TRect Marker;
};

// One note at the cursor for the chord and fretboard palettes.
struct TQSCursorNote {
  int16_t Pitch = 0;     // semitone: step's semitone + 12 x octave + alteration
  uint8_t Step = 0;      // 0-6, C to B
  uint8_t Unused[2] = {};
  uint8_t Octave = 0;
  uint8_t Accidental = 0;  // accidental::ToneFlat lowered, ToneSharp raised; left alone without an alteration
};

// A guitar frame's contents as FrameAtCursor copies them.
struct TQSFrameInfo {
  int StringCount = 0, FretCount = 0, UsedFretCount = 0, StartFret = 0;
  std::vector<uint8_t> Barre;
  std::vector<TQSFrameString> Strings;
};

using TQSItemClickEvent = std::function<void(TObject* sender, TQSCalcItem* item)>;
// Deletes the selection as one undo step; true when anything was selected.
using TQSDeleteSelectionEvent = std::function<bool(TObject* sender)>;
using TOnCursorChangedEvent = std::function<void(TObject* sender, bool visible)>;

// The view is a custom control of the windowing layer and paints through
// the painting part it derives from.
class TQSWindow : public TCustomControl, public TQSPageView {
 public:
  explicit TQSWindow(TComponent* owner = nullptr);
  ~TQSWindow() override;
  const char* ClassName() const override { return "TQSWindow"; }

  // ------------------------------------------------------------ settings
  TQSRule Rule;
  int ButtonsOffset() const { return buttonsOffset_; }
  TQSCursorType CursorType() const { return cursorType_; }
  uint32_t CursorColor() const { return cursorColor_; }  // $BBGGRR
  // The view has the input focus: the cursor is drawn in CursorColor.
  bool HasFocus() const { return hasFocus_; }

  TNotifyEvent OnScoreClick;
  TQSItemClickEvent OnItemClick;
  TNotifyEvent OnActiveChanged;
  TNotifyEvent OnSelectedChanged;
  TNotifyEvent OnChoosePage;
  TNotifyEvent OnZoomChanged;
  TOnCursorChangedEvent OnCursorChanged;
  // The editing commands carry out the deletion; the document window
  // connects them here.
  TQSDeleteSelectionEvent OnDeleteSelection;

  void SetScore(TQSScore* score);
  void SetZoom(int value);
  void SetPagePerHorz(int value);
  void SetButtonsOffset(int value);
  void SetCursorType(TQSCursorType value);
  void SetCursorColor(uint32_t value);
  void SetDataStyle(TQSDataStyle value);
  void SetTempoScale(int value);
  // The focus came (true) or went: the cursor is drawn anew in its colour.
  void FocusChanged(bool focused);
  void SetFocus() override;

  // ------------------------------------------------------ client and bars
  // The OnScroll handler of both bars (vertical = the vertical bar): clamps
  // scrollPos, moves the bar and repaints what moved.
  void ScrollTo(bool vertical, TScrollCode code, int& scrollPos);
  // Moves both bars to (h, v).
  void ScrollBoth(int h, int v);
  void UpdateScrollRanges() override;
  void UpdateScrollBars(bool notify);
  // The client rectangle of each bar.
  TRect HorzBarRect() const;
  TRect VertBarRect() const;

  // ------------------------------------------------------------ geometry
  // The page grid, the scroll positions and the coordinate transforms.
  const TQSViewGeometry& Geometry() const { return geometry_; }
  void LayoutChanged() override;
  void LayoutPages();
  TRect GetViewRect() const;
  TRect GetPageAreaRect() const;
  void ZoomToPageWidth();
  void ZoomToPageHeight();

  void InvalidatePages() override;
  // Repaints the band of the page area from the first page on that may have
  // changed; the images of the pages before it are kept.
  void InvalidatePagesFrom(int firstPage) override;
  // Whether the page's painted image is kept for the next repaint as it is.
  bool HasPageImage(int index) const {
    auto it = pageImages_.find(index);
    return it != pageImages_.end() && it->second.Current;
  }
  // How many page images have been painted anew, or brought up to date in
  // part, since the view was made; and how many rows of page pixels that
  // painted.
  int PageImagesPainted() const { return pageImagesPainted_; }
  long long PageRowsPainted() const { return pageRowsPainted_; }
  void InvalidateRulers() override;
  void InvalidateButtonBar() override;

  // ------------------------------------------------------ cursor setters
  void GotoPage(int index);
  void SetCursorPart(int index);
  void SetCursorMeasure(int index) override;
  void SetCursorTick(int tick) override;
  void SetCursorLine(int line);
  // The mouse cursor's shape stays the control's; this one places the
  // input cursor.
  using TCustomControl::SetCursor;
  void SetCursor(int page, int piece, int part, int measure, int staff, int voice, int tick, int line);
  void SetCursorMeasureTick(int measure, int tick, bool snap);
  void SetFret(int fret);
  int CursorSystemRow() const;
  int CursorStaffRow() const override;

  // ------------------------------------------------------ cursor model
  // The pitch line: half staff spaces, 60 = first ledger line below.
  int CursorLine() const { return cursorLine_; }
  // What the last click left for the insertion commands (and ClickedBarMeasure).
  int SystemClickOffset = 0, PartClickOffset = 0, StaffClickOffset = 0;

  void PointToCursor(TPoint p, bool unused = false);
  int NearestEventTick(int tick) const override;
  void SnapCursorTick() override;
  void ValidateCursor(bool keepPage) override;
  void ScrollToCursor(int top, bool follow);
  void ScrollToCursor() override { ScrollToCursor(0, false); }
  const TQSCalcSystem* CursorSystem() const;
  TQSMeasure* CursorMeasure() const;
  void DoActiveChanged(TObject* sender) override;

  // ------------------------------------------------------ cursor moves
  // Extend: the move comes from a Shift key and keeps the selection;
  // without it the selection is cleared first.
  void MoveCursorLeft(bool extend);
  // anyVoice: the next event of any staff and voice (stepping syllables).
  void MoveCursorRight(bool extend, bool anyVoice) override;
  // Previous or next voice, staff or part, else the staff row above or
  // below (across pages) at the same horizontal place.
  void MoveCursorUp(bool extend);
  void MoveCursorDown(bool extend);
  void MoveCursorLineStart(bool extend);
  void MoveCursorLineEnd(bool extend);
  // The first measure of the current page's first piece, the last laid-out
  // measure of its last piece.
  void MoveCursorPieceStart(bool extend);
  void MoveCursorPieceEnd(bool extend);
  void GotoScoreStart();
  // After a Shift move: the span between the old cursor position and the
  // new one is added to the selection (direction 0: the cursor moved back,
  // 1: forward) or, where the selection already reaches past the cursor,
  // taken from it; limited by the score's symbol-selection scope.
  // Deletes the selection through OnDeleteSelection; false when nothing was
  // selected (or nobody deletes).
  bool DeleteSelection();
  // Delete (false) and Backspace (true) at the cursor: the selection when
  // there is one, else Backspace steps back to the previous measure.
  void DeleteAtCursor(bool backspace);
  void ExtendSelection(int direction, int oldMeasure, int oldTick);
  // Moves the cursor ticks on from (measure, fromTick), -1 meaning the
  // cursor's; with addMeasures the cursor's part gets the measures it
  // lacks. Nothing when the target lies past the piece's last laid-out
  // measure.
  void AdvanceCursor(int ticks, int measure = -1, int fromTick = -1, bool addMeasures = false);
  void GotoScoreEnd();
  void RefreshRulerMarkers() override;

  // ------------------------------------------------------------ selection
  bool HasSelection() const { return hasSelection_; }
  TQSCalcItem* LastAddedElement = nullptr;
  TQSCalcItem* GrabbedElement = nullptr;
  int HandleCode = 0;
  bool SuppressEvents = false;

  // The measure list of a selection record, grown to index.
  static TQSSelList& MeasureList(TQSSelPiece& sel, int index);
  void AddToSelection(TQSCalcItem* element) override { AddElement(element); }
  bool AddElement(TQSCalcItem* element);
  void ClearSelection() override;
  void SetHasSelection(bool value);
  bool SelectAtPoint(TPoint p, bool select, bool clearFirst);
  bool SelectInRect(const TRect& r, bool clearFirst);
  // Begins editing the lyric, inscription, instrument name or text box at
  // the point (a double click); false when another element is there first.
  bool EditTextAtPoint(TPoint p);
  bool PointNearLine(const TQSCalcItem& line, TPoint p) const;
  int HitTestHandles(TPoint p);
  void SelectAll(int scope) override;
  void SelectAllPageObjects(bool allPages) override;
  bool SelectionHasKind(int kindFrom, int kindTo = 0) const;
  bool CanSaveSymbol() const;
  bool CanSaveChord() const;

  // ------------------------------------------------------------- queries
  TQSPiece* ActivePiece() const;
  TQSPart* ActivePart() const;
  TQSStaff* ActiveStaff() const;
  TQSVoice* ActiveVoice() const;
  int ActivePieceTempo() const;
  int ActivePartTransposition() const;
  TQSNote* NoteAtCursor(bool before, bool highest) const;
  int AccidentalAtCursor(int step) const;
  int ClefShiftAtCursor(int part = -1, int staff = -1, int measure = -1, int tick = -1) const;
  void ChordFlagsAtCursor(const std::vector<uint8_t>*& flags) const;
  void FrameFlagsAtCursor(const std::vector<uint8_t>*& flags) const;
  bool FrameAtCursor(TQSFrameInfo& frame) const;
  // Fills up to notes.size() records; returns how many notes it found.
  int NotesAtCursor(std::vector<TQSCursorNote>& notes) const;
  int ChoosePageButtonRight() const { return Buttons[3].Right; }

  std::array<TQSBookmark, 10> Bookmarks{};
  bool HasBookmark(int index) const override;
  void SetBookmark(int index) override;
  void GotoBookmark(int index) override;
  void UpdateBookmarkMarker(int index);

  // ------------------------------------------------------------- painting
  // Button-bar rectangles: 0 the page indicator, 1-7 the buttons.
  std::array<TRect, 8> Buttons{};
  std::array<bool, 8> ButtonEnabled{};
  int PressedButton = 0;
  int CursorCounter = 9999;
  // The page the page bar shows and steps from: the cursor's page while any
  // of it is in view, else the page at the top of the view (the wheel or
  // the scroll bar took the cursor's page out of sight).
  int ShownPage() const;

  void LayoutButtonBar();
  void UpdatePageButtons() override;
  // Paints the client area onto screen (the control's back buffer); only
  // pages inside screen's clip rectangle are painted.
  void PaintTo(TCanvas& screen);
  void DrawPageBackground(TCanvas& canvas);
  void DrawButtonBar(TCanvas& canvas);
  void ShowCursor(bool show) override;
  void DrawCursor(TCanvas& canvas, bool show);
  // What the view asks of the window it shows in: the screen it draws its
  // overlays on and repaints. A view with a parent uses its own control;
  // tests may give it another screen.
  struct THost {
    virtual ~THost() = default;
    virtual TCanvas* Screen() = 0;
    // Repaints r through Paint (erase: the background too).
    virtual void Invalidate(const TRect& r, bool erase) = 0;
    // Paints what is invalid now.
    virtual void Update() = 0;
    // Shows r of the screen as it is, without painting (after an overlay
    // was drawn on it).
    virtual void Flush(const TRect& r) = 0;
  };
  void SetHost(THost* host) { host_ = host; }
  bool HasParent() const { return Host() != nullptr; }

  // ------------------------------------------------------------ rulers
  // The five markers tied to the cursor, in pixels from the view's origin
  // as if not scrolled (client + scroll position of its axis): 0 the left
  // and 1 the right edge of the cursor's staff row, 2 the row's top, 3 the
  // right edge of the cursor's measure with its space after, 4 the
  // cursor's tick. A marker dragged and dropped changes the spacing value
  // it stands for by the distance in pixels at zoom 100: OnRulerMarkerDrop
  // (marker 1-5, step) carries it to the spacing commands.
  std::array<int, 5> RulerMarkers{};
  int MarkerDrag = 0;  // 1-5 while a marker is dragged
  std::function<void(TObject* sender, int marker, int step)> OnRulerMarkerDrop;
  void UpdateRulerMarkers();
  void DrawRulers(TCanvas& canvas, bool noClip, const TRect& area);
  void DrawRulerMarker(TCanvas& canvas, int x, int y, bool grey, int shape);
  // The marker under a client point of a band (1-5), 0 when none.
  int RulerMarkerAt(int x, int y) const;

  // ------------------------------------------------ in-place text editing
  // One lyric, inscription, instrument name or free text at a time is
  // edited on the page, by the view's text editor.
  TQSTextEditor& TextEditor() { return *textEditor_; }
  const TQSTextEditor& TextEditor() const { return *textEditor_; }
  void EditItemText(TQSCalcItem* element) override;
  void EditItemTextOf(TQSItem* item) override;

  // ------------------------------------------------------------ mouse
  // The rubber band: from the press point to the current drag point.
  TRect RubberBandRect(int x, int y) const;
  void DrawRubberBand(int x, int y, bool show);
  TPoint PressPoint, LastPoint, DragStart, DragPoint;
  bool MouseHeld = false;
  bool Panning = false;
  bool RubberBand = false;
  // The two scroll bar controls, children of the view.
  TScrollBar* HorzScrollBar = nullptr;
  TScrollBar* VertScrollBar = nullptr;

  // -------------------------------------------- key commands and clipboard
  // The editing commands the key table reaches; the document window
  // connects them (the editing library comes after the view).
  enum class TKeyCommand : uint8_t {
    MoveHorizontal, MoveToNoteTime, EmptyKeyCommand, ChangeSize, MoveStaff, MoveVertical,
    ChangeItemValue, SetStemDirection, ChangeFret
  };
  std::function<void(TObject* sender, TKeyCommand command, int step)> OnKeyCommand;
  // After a copy: what the clipboard offers may have changed.
  TNotifyEvent OnPasteChanged;
  // While a paste runs: 0 every item keeps its staff and voice, 1 items go
  // to the cursor's staff, 2 to the cursor's staff and voice.
  uint8_t PasteMode = 0;
  bool CanCopy() const;
  bool CanPaste() const;
  void CutToClipboard();
  void CopyToClipboard();
  void PasteFromClipboard(uint8_t mode);
  // The selection as a notes block; a notes block inserted at the cursor
  // as one undo step. A damaged block raises ENotesBlockError and changes
  // nothing.
  std::vector<uint8_t> WriteNotesBlock() const;
  void ReadNotesBlock(const std::vector<uint8_t>& block);
  // ------------------------------------------- insertion tools and drags
  // (tools.cpp, drags.cpp). Tool codes: 0 none, 30 tie/slur/slide, 202
  // line, 203 rectangle, 204 ellipse, 205 arc, 206 pie, 207 chord segment.
  uint8_t ToolCode = 0;
  // Tie/slur tool: 0 slur above, 1 slur below, 8 slide; 16 added for a tie.
  uint8_t LigaStyle = 0;
  uint32_t ToolPenColor = 0;
  uint8_t ToolPenStyle = 0;
  int ToolPenWidth = 1;
  int ToolLineEnds = 0;
  uint32_t ToolBrushColor = 0xFFFFFF;
  uint8_t ToolBrushStyle = 1;
  // The ghost that follows the mouse (0 none, 1 note head, 2-10 arrows to
  // what the item would attach to), and what the last ghost step found.
  int ArmedItem = 0;
  int GhostLine = 0, GhostStaff = 0, GhostMeasure = 0, GhostTick = 0;
  int16_t GhostOffset = 0;
  // Move drag: under way, nothing drawn yet, outlines may be shown.
  bool MoveDragging = false, FirstMove = false, OutlineFlag = false;
  // A grab handle is being dragged.
  bool HandleDragging = false;
  // Handle drags of brackets, accolades and spanning marks: what the
  // feedback chose (the last staff the bracket reaches, the last part the
  // accolade spans, the new length).
  TQSStaff* TargetStaff = nullptr;
  int TargetPart = -1, TargetLength = 0;

  void StartTool(uint8_t tool, int x, int y);
  // Draws (or, called again in the same state, removes) in XOR the active
  // tool's rubber figure, else the grabbed handle's feedback, else the
  // armed item's ghost.
  void DrawToolFeedback();
  void ArmPaletteItem(int code);
  void ShowPitchHint(bool tablature);
  void FinishSlurTool();
  void DrawDragOutline();
  // The note's pitch line (0 middle C) when the pointer is at p, through
  // the ghost step; false over no staff.
  bool GhostAt(TPoint p, int part = -1);
  // Cancels a running move or handle drag (Esc): the figures go, nothing
  // changes.
  bool CancelDrag();

  // Apply a move or handle drag; the editing commands connect here.
  using TQSDragEvent = std::function<void(TQSWindow& view, int dx, int dy)>;
  TQSDragEvent OnMoveSelection, OnDragHandle;
  void MoveSelection(int dx, int dy);
  void DragHandle(int dx, int dy);
  // What the tools hand on (page units of the cursor's page).
  std::function<void(TQSWindow& view, int x1, int y1, int x2, int y2)> OnInsertLine;
  // kind 203/204 for InsertRectangle, 205-207 for InsertArc.
  std::function<void(TQSWindow& view, int kind, int left, int top, int width, int height)> OnInsertRectangle,
      OnInsertArc;
  std::function<void(TQSWindow& view, TQSNote* note, int style, int length, int staffByte, int yOffset)>
      OnInsertLiga;
  // The hint of page button 1-7 under the mouse, and of ruler marker 1-5.
  std::function<std::string(TQSWindow& view, int button)> OnGetPageButton, OnGetRuleButton;
  // The mouse cursor over the pages while a palette tool is chosen (the
  // palettes set it); the arrow elsewhere and over no tool.
  TCursor ToolCursor = crDefault;
  // A note dragged to a new pitch: channel, instrument, key, length, velocity.
  std::function<void(TQSWindow& view, int channel, int instrument, int key, int length, int velocity)> OnPlayNote;

  // ---------------------------------------------------- navigator (navigator.cpp)
  void DrawNavigator(TCustomControl& panel);
  // The timeline itself, on a canvas of a client width (the scale is kept
  // in the score for the marker and clicks).
  void PaintTimeline(TCanvas& canvas, int clientWidth);
  void DrawNavigatorMarker(bool visible) override;
  void NavigatorClick(int x);
  void ScorePositionToScreen(int piece, int part, int staff, int measure, int tick, int lineOffset, int noteIndex,
                             TPoint& point) const;
  void PageOrigin(int index, TPoint& point) const;
  void ScrollArrowPoint(bool horizontal, int which, TPoint& point) const;
  void RulerMarkerPoint(int marker, TPoint& point) const;

 private:
  bool LocateGhost(TPoint client, int part, struct TGhostPlace& g) const;
  void DrawGhost(TCanvas& screen, int part);
  void DrawSlurFeedback(TCanvas& screen);
  // The reshaped figure of the grabbed handle's item, one function a shape.
  void DrawHandleFeedback(TCanvas& screen);
  void DrawStemFeedback(TCanvas& screen, const TQSCalcItem& e, int movedY);
  void DrawBracketFeedback(TCanvas& screen, const TQSCalcItem& e);
  void DrawPageLineFeedback(TCanvas& screen, const TQSCalcItem& e, TPoint moved);
  void DrawBoxFeedback(TCanvas& screen, TRect box, TPoint moved);
  void DrawCurveFeedback(TCanvas& screen, const TQSCalcItem& e, TPoint moved);
  void DrawAccoladeFeedback(TCanvas& screen, const TQSCalcItem& e);
  void DrawSpanEndFeedback(TCanvas& screen, const TQSCalcItem& e, const TQSMark& mark);
  // A point of a page object's figure (page units) in client pixels.
  TPoint PageUnitsToClient(const TQSCalcItem& e, int x, int y) const;
  void FinishTool();
  // Mouse rows of the tools and drags; true when the event was theirs.
  bool DragMouseDown(TPoint p, bool hit, bool doubleClick);
  bool DragMouseMove(TPoint p);
  bool DragMouseUp(TPoint p);
  // The XOR figures of drags and tools, drawn (or removed) around a repaint
  // so that they survive it.
  void DrawOverlays();
  // Over a grab handle the mouse cursor shows the way it sizes.
  void HoverCursor(TPoint p);
  void HoverHint(TPoint p);
  int NavigatorMarkerX() const;
  // The number on the timeline of a piece's first measure record.
  int FirstTimelineMeasure(int pieceIndex) const;

 public:

 protected:
  void Paint() override;
  void Resize() override;
  void DoEnter() override;
  void DoExit() override;
  void SetEnabled(bool v) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  // An edited text takes its keys first; true when it took the key.
  bool TextEditKey(uint16_t& key, TShiftState shift);

 private:
  THost* Host() const;
  // The screen made ready for feedback in XOR while it lives: clipped to
  // the page area, a dotted white pen and no fill, so that drawing the
  // same again restores the pixels; the canvas is as before when it goes.
  // Empty without a screen.
  class TXorOverlay {
   public:
    explicit TXorOverlay(const TQSWindow& view);
    ~TXorOverlay();
    TXorOverlay(const TXorOverlay&) = delete;
    TXorOverlay& operator=(const TXorOverlay&) = delete;
    explicit operator bool() const { return screen_ != nullptr; }
    TCanvas* operator->() const { return screen_; }
    TCanvas& operator*() const { return *screen_; }

   private:
    TCanvas* screen_;
    int level_ = 0;
  };
  void InvalidateClient(const TRect& r, bool erase);
  void UpdateNow();
  // Shows the bar states on the scroll bar controls.
  void SyncScrollBars();
  const TQSCalcPage* LayoutPage(int index) const;
  bool AddOne(TQSSelList& list, TQSCalcItem* e);
  void InvalidateElement(const TQSCalcItem& e);
  void EndSelectionBatch(bool fire);
  // Hides the cursor, runs change, then scrolls to the cursor, shows it and
  // reports the change to sender (unless null), also when change throws.
  const TQSCalcStaff* NeighbourRow(int step, int& page) const;
  bool CursorToRow(const TQSCalcStaff& row, int page, bool up);
  int NextEventTick(int step, bool anyVoice) const;
  bool PassesSymbolScope(int part, int staff, int voice) const;
  bool SelectRange(int fromMeasure, int fromTick, int toMeasure, int toTick);
  bool DeselectRange(int fromMeasure, int fromTick, int toMeasure, int toTick);
  template <typename Fn>
  void CursorMove(TObject* sender, Fn&& change);
  bool CursorStroke(TPoint& top, TPoint& bottom, int& markerY, bool& marker) const;

  TQSViewGeometry geometry_;
  int buttonsOffset_ = 0;
  TQSCursorType cursorType_ = TQSCursorType::ctStaff;
  uint32_t cursorColor_ = 0x00FFFF;
  bool hasFocus_ = false;
  int cursorLine_ = 60;
  bool hasSelection_ = false;
  THost* host_ = nullptr;
  // The off-screen bitmap of the page area, kept from paint to paint.
  std::unique_ptr<TBitmap> buffer_;
  // Each visible page painted once at the zoom, shown again by later
  // repaints until something on it is invalidated (scrolling is not). An
  // invalidated image is kept with the calls that painted it: the next
  // repaint paints only the band where the page's calls changed.
  struct TPageImage {
    std::unique_ptr<TBitmap> Bitmap;
    TDrawingList Drawing;
    bool Current = false;
  };
  std::map<int, TPageImage> pageImages_;
  int pageImagesPainted_ = 0;
  long long pageRowsPainted_ = 0;
  const TBitmap& PageImage(int index);
  // Marks as out of date the images of the pages the page area's part of
  // a client rectangle touches, and those of the pages from a page on.
  void DropPageImages(const TRect& client);
  void DropPageImagesFrom(int firstPage);
  std::unique_ptr<THost> controlHost_;
  // In-place text editing: the editor and what it asks of the view.
  class TTextSite;
  std::unique_ptr<TTextSite> textSite_;
  std::unique_ptr<TQSTextEditor> textEditor_;
  // Marker drags; each is true when it took the mouse event.
  bool RulerMouseDown(int x, int y);
  bool RulerMouseMove(int x, int y);
  bool RulerMouseUp(int x, int y);
  void DrawMarkerDrag(int x, int y, bool show);
};

}  // namespace qs
