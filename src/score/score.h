#pragma once
// The score document: it owns the whole score tree (pieces, the score's own
// page objects, the page format), the undo and redo lists, the drum and
// user-symbol tables and the computed layout, keeps the score-wide settings,
// knows the attached views and the active one, and reports every change of
// the model to its host through its events.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/events.h"
#include "base/stream.h"
#include "base/strings.h"
#include "score/calcrecords.h"
#include "score/item.h"
#include "score/page.h"
#include "score/record.h"
#include "score/windowlink.h"

namespace qs {

class TQSPiece;
class TQSPart;
class TQSStaff;
class TQSVoice;
class TQSColumn;
class TQSMeasure;
class TQSUserSymbol;
struct TQSChordFragment;

enum class TQSViewStyle : uint8_t {
  vsComposition,  // every part of every piece
  vsPart,         // only the part under the active view's cursor
};
enum class TQSAddState : uint8_t { asOverwrite, asInsert };

// Asks the host for the text fragments of a chord symbol from its pattern
// bytes (two counts A and B, then A + B bytes); the host fills Text.
using TQSGetChordTextEvent =
    std::function<void(TObject* sender, const std::vector<uint8_t>& flags, std::vector<TQSChordFragment>& text)>;
// Asks the host for the playback amount of a mark kind (ItemType) and its
// subkind (Kind).
using TQSOnGetDinamicsEvent = std::function<int(TObject* sender, int itemType, int kind)>;
// Asks the host whether the first line of Text is a known term of the kind
// wanted (1 dynamics, 2 tempo) and for its two values.
using TQSOnGetTermsEvent = std::function<bool(TObject* sender, int kind, const std::vector<std::string>& text,
                                              int& value1, int& value2)>;

// The settings block: 52 bytes filed as one section of the native file, in
// this order and these widths.
// The extension of native score files.
constexpr const char* kNativeFileExt = ".sfd";
// File names the score reads as MusicXML (case ignored): documents
// (".xml", ".musicxml") and compressed MusicXML (".mxl").
bool IsMusicXmlDocumentName(const std::string& fileName);
bool IsCompressedMusicXmlName(const std::string& fileName);
// A name read as a native score file: neither a MIDI nor a MusicXML name.
bool IsNativeScoreName(const std::string& fileName);

// The most empty pages the layout makes in a row: at the beginning of the
// score, after a page break, and after the music to reach PageCount. A
// damaged file may ask for tens of thousands.
constexpr int kMaxEmptyPages = 100;

// The engraving scale in percent that the score's settings offer. A file
// may hold any number; a score read is kept within these.
constexpr int kMinScale = 50;
constexpr int kMaxScale = 200;

struct TQSScoreSettings {
  int32_t Scale = 100;               // engraving scale in percent
  bool Optimization = true;          // views paint through an off-screen bitmap
  uint8_t SettingsReserved5[11] = {};
  int32_t NoteInterval = 0;          // space between notes for the layout
  int32_t StemLength = 20;
  TQSViewStyle ViewStyle = TQSViewStyle::vsComposition;
  // Note placing: 10-49 evenly with the interval Align - 10, 50-99
  // proportionally, above 100 a fixed Align - 100 measures per line.
  uint8_t Align = 12;
  // Beaming: 0 none, 1 whole measure, 2 by beats, n > 2 the measure divided
  // into n - 1 groups.
  uint8_t AutoJoin = 2;
  uint8_t HorzAlign = 1;
  uint8_t VertAlign = 1;
  uint8_t PrintEmptyMeasures = 0;
  uint8_t PrintEmptyLines = 0;
  uint8_t PrintMeasureNumbers = 1;
  // The layout adds empty pages up to this, but no more than kMaxEmptyPages
  // after the page where the music ends.
  int32_t PageCount = 0;
  uint8_t SettingsReserved36[2] = {};
  int16_t EmptyPages = 0;            // empty pages at the beginning
  // Layout distances in screen pixels at 100 %: 1 a general distance,
  // 2 the minimum measure width, 3 the minimum room before the first
  // position (content up to it counts as empty), 4 the extra width of an
  // empty measure, 5 the minimum room after the last position.
  int16_t Spacing1 = 24;
  uint16_t Spacing2 = 56;
  uint16_t Spacing3 = 16;
  uint16_t Spacing4 = 32;
  uint16_t Spacing5 = 8;
  uint8_t SettingsReserved50[2] = {};

  static constexpr int kSize = 52;
  void VisitSettings(TBlockIO& b);
};

// A drum note-head style the score's percussion notes use (head style h
// uses entry h - 5). The first 12 bytes are filed as a block.
struct TQSDrumInstrument {
  std::string Name;  // compared without regard to case
  uint16_t Word1 = 0;
  uint16_t Word2 = 0;
  uint8_t GlyphByte = 0;
  uint8_t Byte5 = 0;
  uint16_t Word3 = 0;
  uint8_t Size = 100;  // head size in percent
  uint8_t Style = 0;
  uint8_t Byte10 = 0;
  uint8_t Byte11 = 0;
  std::string FontName;

  static constexpr int kFiledSize = 12;
  void Visit(TBlockIO& b);
};

// Which written position and head stand for a MIDI key of the percussion
// channel. The first 5 bytes are filed as a block.
struct TQSDrumMapEntry {
  uint8_t Key = 0;       // the MIDI key played
  uint8_t Head = 255;    // drum instrument index; 255 = none
  uint8_t Position = 0;  // diatonic: octave (Position - 23) div 7, step (Position - 23) mod 7
  uint8_t Spare = 0;
  uint8_t Use = 0;       // 1 when the entry is in use
  std::string Name;

  static constexpr int kFiledSize = 5;
  void Visit(TBlockIO& b);
};

// A user symbol under its name.
struct TQSNamedUserSymbol {
  std::string Name;
  std::unique_ptr<TQSUserSymbol> Symbol;
};

// One undo or redo step: the snapshots of what a command was about to
// change and the measures and columns it inserted or deleted.
struct TQSUndoRecord {
  uint8_t Action = 0;
  int32_t EntryCount = 0;
  std::string Caption;
  TMemoryStream Snapshot;
  int32_t StructureCount = 0;
  std::unique_ptr<TMemoryStream> Structure;  // made with the first structure entry
};

class TQSScore : public TObject, public TQSItemOwner, public TQSPageOwner, public TQSScoreSettings {
 public:
  TQSScore();
  ~TQSScore() override;
  TQSScore(const TQSScore&) = delete;
  TQSScore& operator=(const TQSScore&) = delete;
  const char* ClassName() const override { return "TQSScore"; }

  // ------------------------------------------------------------ events
  // Each is called only when assigned; the sender comes first.
  TNotifyEvent OnChanged;              // the score, a setting or a piece changed
  TNotifyEvent OnAddItem;              // a piece, part, staff or voice was added
  TNotifyEvent OnDeleteItem;           // a piece, part, staff or voice is about to go
  TNotifyEvent OnItemChanged;          // a piece, part, staff or voice changed or was read
  TNotifyEvent OnItemMoved;            // a piece, part, staff or voice moved in its list
  TQSGetChordTextEvent GetChordText;
  TNotifyEvent OnUndoChanged;          // the undo or redo list changed
  TNotifyEvent OnRecalculate;          // after a layout pass (unless suppressed)
  TQSOnGetDinamicsEvent OnGetDinamics;
  TQSOnGetTermsEvent OnGetTerms;
  TNotifyEvent OnActiveWindowChanged;  // another view became the active one

  void FireChanged(TObject* sender) { Fire(OnChanged, sender); }
  void FireAddItem(TObject* sender) { Fire(OnAddItem, sender); }
  void FireItemChanged(TObject* sender) { Fire(OnItemChanged, sender); }
  // OnItemChanged, then OnChanged.
  void NotifyChanged(TObject* sender) {
    FireItemChanged(sender);
    FireChanged(sender);
  }
  // Registration and unregistration fire quietly, ignoring an error the
  // handler raises: a child half registered because the host's handler
  // failed would be left dangling, and removal and reading must go on.
  void FireAddItemQuietly(TObject* sender) noexcept { FireQuietly(OnAddItem, sender); }
  void FireDeleteItemQuietly(TObject* sender) noexcept { FireQuietly(OnDeleteItem, sender); }
  void FireItemChangedQuietly(TObject* sender) noexcept { FireQuietly(OnItemChanged, sender); }
  // The host's answers; 64 and false when it does not answer.
  int GetDinamics(int itemType, int kind);
  bool GetTerms(int kind, const std::vector<std::string>& text, int& value1, int& value2);

  // ---------------------------------------------------------- settings
  // The settings block is the TQSScoreSettings base. Each setter does
  // nothing when the value is unchanged.
  void SetOptimization(bool value);
  void SetScale(int value);
  void SetAutoJoin(uint8_t value);
  void SetNoteInterval(int value);
  void SetStemLength(int value);
  void SetViewStyle(TQSViewStyle value);
  void SetAlign(uint8_t value);
  void SetHorzAlign(uint8_t value);
  void SetVertAlign(uint8_t value);
  void SetPageCount(int value);
  void SetEmptyPages(int value);

  // Half a staff space in screen pixels at 100 %, and the distance from
  // one staff to the next (4 staff spaces and the interval) in screen pixels
  // at the score's scale, from the page format and the screen.
  int HalfSpacePixels() const;
  int StaffDistancePixels() const;

  // --------------------------------------------------- further fields
  std::string Composer, Poet, Rights;
  TStringList Description;
  void SetDescription(const TStringList& lines) { Description = lines; }

  std::string NoteNames = "CDEFGAB";
  std::string FlazholetName = "FL.";
  std::string InsertName = "Insert";
  std::string OverwriteName = "Overwrite";
  void SetNoteNames(const std::string& value);
  void SetFlazholetName(const std::string& value);
  void SetInsertName(const std::string& value);
  void SetOverwriteName(const std::string& value);

  // The fonts the layout measures and the renderer draws with; the letter
  // font draws the right-hand fingering letters.
  std::string TextFontName = "Arial";
  std::string MusicFontName = "Quavero Symbols";
  std::string LetterFontName = "Monotype Corsiva";

  // Not filed.
  // Directions standing above or below a staff move away from it until
  // they touch no note, sign or other mark: set for a score read from
  // another program's file, whose marks hold no placement of the user's.
  bool MarksClearOfTheMusic = false;
  bool AutoPages = false;
  bool AutoEffect = false;
  bool AutoVelocity = false;
  bool AutoLyric = true;
  void SetAutoPages(bool value);
  void SetAutoEffect(bool value);
  void SetAutoVelocity(bool value);
  void SetAutoLyric(bool value);

  TQSAddState AddState = TQSAddState::asOverwrite;
  void SetAddState(TQSAddState value);

  // Version of the native file last read (1025 in a new score).
  uint16_t FileVersion = 1025;

  // Import and recording options.
  uint16_t RecordQuantize = 32;
  uint8_t ImportStaffPerTrack = 0;
  uint8_t ImportTrackNames = 0;
  uint8_t ImportTriplets = 0;
  uint8_t ImportAutoClefs = 0;
  uint8_t TwoHandRecording = 0;
  int LastNoteTick = 0;  // tick of the note inserted last
  // The real length of the last note or rest entered at the cursor; the
  // callers advance the cursor by it and sound the note for it.
  uint16_t LastEntryLength = 0;
  // Changing a key signature at the cursor respells the notes after it.
  bool ToneModify = false;

  // While set the host is restoring the published settings: no layout runs
  // and Align only stores.
  bool Loading = false;

  // Suppression: registration (RegistrationSuspended, inherited: while set
  // AppendPiece and AddItem do nothing, the caller inserts), OnRecalculate
  // (commands that fire it themselves), and the drum map rebuild.
  uint8_t RecalculateEventSuppressed = 0;
  bool DrumMapRebuildSuppressed = false;

  // Navigator state kept for the views: the panel the navigator draws on,
  // its horizontal scale and whether the navigator marker is drawn.
  TObject* NavigatorPanel = nullptr;
  long double NavigatorScale = 0;
  bool NavigatorMarkerDrawn = false;

  // ------------------------------------------------------------- page
  TQSPage Page;
  // Assigns the given format into the owned page (which re-lays out).
  void SetPage(const TQSPage& page) { Page.Assign(page); }

  // ------------------------------------------------------------ pieces
  int PieceCount() const { return static_cast<int>(pieces_.size()); }
  TQSPiece* GetPiece(int index) const;
  // Called by the piece's constructor: appends it, sets its index and
  // fires OnAddItem (nothing while registration is suspended).
  void AppendPiece(TQSPiece* piece);
  // Called by the piece's destructor: fires OnDeleteItem (ignoring errors of
  // the handler) and takes it out of the list.
  void RemovePiece(TQSPiece* piece);
  // A new piece at the end; lays out from the last page.
  TQSPiece* NewPiece();
  void RenumberPieces();
  void ClearPieces();
  std::vector<TQSPiece*>& PieceList() { return pieces_; }

  // ------------------------------------------------------- score items
  // The score's own page objects (composition view).
  TQSItemList Items;
  int ItemCount() const { return Items.Count(); }
  TQSItem* GetItem(int index) const { return Items.Get(index); }
  void AddItem(TQSItem* item) override;
  void RemoveItem(TQSItem* item) override;
  int IndexOfItem(const TQSItem* item) const override { return Items.IndexOf(item); }
  void ClearItems() { Items.Clear(); }

  // ------------------------------------------------------------- views
  int WindowCount() const { return static_cast<int>(windows_.size()); }
  TQSWindowLink* GetWindow(int index) const;
  // Appends the view and sets its score; the first view becomes active.
  void AttachWindow(TQSWindowLink* window);
  // Removes the view and clears its score; the active index stays.
  void DetachWindow(TQSWindowLink* window);
  // The active view; clamps the stored active index into the list first.
  TQSWindowLink* ActiveWindow();
  void SetActiveWindow(TQSWindowLink* window);
  int ActiveWindowIndex() const { return activeWindow_; }
  void RefreshWindows() override;             // InvalidatePages on every view
  // InvalidatePagesFrom on every view: only the pages from firstPage on
  // show anything changed (an edit laid out again from there).
  void RefreshWindowsFrom(int firstPage);
  void RefreshWindowRulers() override;        // InvalidateRulers on every view
  void RefreshWindowButtonBars();             // InvalidateButtonBar on every view

  // ------------------------------------------------- cursor accessors
  // What the active view's cursor points at; nullptr without a view or when
  // an index is beyond its list. They create nothing.
  TQSPiece* CurrentPiece();
  TQSPart* CurrentPart();
  TQSStaff* CurrentStaff();
  TQSVoice* CurrentVoice();
  TQSColumn* CurrentColumn();
  TQSMeasure* CurrentMeasure();
  // Measure (column) index of the cursor's part (piece), creating the
  // missing ones; index < 0 stands for the cursor's measure. nullptr
  // without a view, piece or part.
  TQSMeasure* EnsureMeasure(int index);
  TQSColumn* EnsureColumn(int index);
  // Bookmarks 0-9 of the active view.
  bool HasBookmark(int index);
  // The scope the symbols were last selected in (0 score, 1 piece, 2 part,
  // 3 staff, 4 voice); stores it and selects that scope in the active view.
  uint8_t SymbolSelectScope = 0;
  void SelectSymbols(int scope);
  // Selects the page objects of the active view's page, or of every page.
  void SelectDesignItems(bool allPages);
  // The largest fret count of all staves; 255 when that is 0.
  int MaxFretCount() const;
  void SetBookmark(int index);
  void GotoBookmark(int index);

  // --------------------------------------------------- update and layout
  // While the lock is held, layout requests only record their start page
  // and the views only note pending repaints; the last EndUpdate runs the
  // layout once and repaints what is pending.
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  // Ends the update lock of a read that failed: the deferred layout pass is
  // dropped, and no page stays laid out (the pages showed what the read
  // replaced). Whoever keeps the score lays out what was read.
  void EndUpdateAfterFailedRead();
  bool Updating() const { return updateCount_ > 0; }

  // The layout pass lives in a later library. It installs its pass once
  // with SetDefaultLayoutPass; every score made afterwards starts with it
  // in LayoutPass (tests may put their own there). Without one, layout
  // requests do nothing.
  using TLayoutPass = std::function<void(TQSScore& score, int fromPage)>;
  static void SetDefaultLayoutPass(TLayoutPass pass);
  TLayoutPass LayoutPass;
  // The playback effects of notes live in the layout library too, which
  // installs them with SetNoteEffects. CalcNoteEffects recomputes the
  // playback fields of a note or grace group through them and tells whether
  // anything changed; without them it changes nothing and answers false.
  using TNoteEffects = std::function<bool(TQSScore& score, TQSItem* item)>;
  static void SetNoteEffects(TNoteEffects effects);
  bool CalcNoteEffects(TQSItem* item);
  // Lays out from layout page fromPage (negative: 0); the second argument
  // has no effect. Under the update lock only records the start page.
  void Recalculate(int fromPage, int unused = -1) override;
  // Lays out from the first laid-out page that begins with the piece;
  // nothing when no page does.
  void RecalculatePiece(int pieceIndex);

  // Layout results (written by the layout pass). LayoutPages holds the
  // records; LaidOutPages of them are valid.
  TQSRecordPool<TQSCalcPage> LayoutPages;
  int LaidOutPages = 0;
  // Start page of the layout deferred by the update lock; -1 = none.
  int PendingStartPage = -1;
  // The first page the last layout pass laid out; the pages before it kept
  // their records, so what they show stayed as it was.
  int RelaidFromPage = 0;
  int MeasureCounter = 0;
  int UsedMeasures = 0;
  double TotalMs = 0;
  // Frees the layout records.
  void ClearLayout();

  // The index in the measure's item list at which an item of the staff/
  // voice byte at the tick position is inserted to keep the list in order
  // (position, then staff, then voice; after equal ones).
  static int FindItemInsertIndex(const TQSMeasure& measure, int staffVoice, int position, int startIndex);

  // -------------------------------------------------------------- copy
  // From another score: page format, pieces, score items, the scale, the
  // eight setting bytes from ViewStyle to PrintMeasureNumbers, EmptyPages
  // and the drum instruments. Anything else raises the assignment error.
  void Assign(const TObject& source);

  // -------------------------------------------------------------- undo
  // The undo list keeps at most MaxUndo - 1 records, the redo list at most
  // MaxUndo (both keep the newest record whatever MaxUndo says).
  int MaxUndo = 16;
  void SetMaxUndo(int value) { MaxUndo = value; }
  std::vector<std::unique_ptr<TQSUndoRecord>> UndoList;  // oldest first
  std::vector<std::unique_ptr<TQSUndoRecord>> RedoList;
  int UndoCount() const { return static_cast<int>(UndoList.size()); }
  int RedoCount() const { return static_cast<int>(RedoList.size()); }
  bool CanUndo() const { return !UndoList.empty(); }
  bool CanRedo() const { return !RedoList.empty(); }
  // Index 0 is the oldest; nullptr out of range.
  TQSUndoRecord* GetUndoRecord(int index) const;
  TQSUndoRecord* GetRedoRecord(int index) const;
  void ClearUndo();
  void ClearRedo();
  void SuspendUndo(bool suspend) { undoSuspendCount_ += suspend ? 1 : -1; }
  bool UndoSuspended() const { return undoSuspendCount_ > 0; }

  // Opens a record for an editing command (nullptr while recording is
  // suspended or when no record can be made); the redo list stays.
  TQSUndoRecord* BeginUndo(uint8_t action, const std::string& caption);
  // The same on the redo list, for the records undo writes.
  TQSUndoRecord* BeginRedo(uint8_t action, const std::string& caption);
  // A further change of an in-place text edit that has its record already.
  void ContinueUndo() {}
  // Entry writers: each appends one snapshot of the object as it is now,
  // with the active view's cursor. They do nothing for a nullptr record or
  // object or without an active view, and never raise: an entry that fails
  // is cut off and the record stays usable.
  void SaveUndoPiece(TQSUndoRecord* record, TQSPiece* piece);
  void SaveUndoPart(TQSUndoRecord* record, TQSPart* part);
  void SaveUndoStaff(TQSUndoRecord* record, TQSStaff* staff);  // with every measure of its part
  void SaveUndoVoice(TQSUndoRecord* record, TQSVoice* voice);  // likewise
  // Only the object's own properties, before a change of them (a record of
  // undoaction::PropertiesChanged).
  void SaveUndoProperties(TQSUndoRecord* record, TQSPiece* piece);
  void SaveUndoProperties(TQSUndoRecord* record, TQSPart* part);
  void SaveUndoProperties(TQSUndoRecord* record, TQSStaff* staff);
  void SaveUndoProperties(TQSUndoRecord* record, TQSVoice* voice);
  void SaveUndoItem(TQSUndoRecord* record, TQSItem* item);      // an item of the score's or a part's list
  // index >= 0 is filed in place of the measure's (column's) own index.
  void SaveUndoMeasure(TQSUndoRecord* record, TQSMeasure* measure, int index);
  void SaveUndoColumn(TQSUndoRecord* record, TQSColumn* column, int index);
  // Structure entries (no view needed): action 80 the object was inserted,
  // 91 it is about to be deleted.
  void SaveUndoMeasureEntry(TQSUndoRecord* record, TQSMeasure* measure, uint8_t action);
  void SaveUndoColumnEntry(TQSUndoRecord* record, TQSColumn* column, uint8_t action);
  // The text or lyric shown by element, with the view's editing state.
  void SaveUndoText(TQSUndoRecord* record, TQSCalcItem* element);
  // Take back (make again) up to count steps, newest first.
  void Undo(int count);
  void Redo(int count);

  // ------------------------------------------------ editing services
  // Clears the selection of every attached view.
  void ClearSelections();
  // A new part at the end of the cursor's piece, as AddStarterPart makes it
  // (OnItemChanged when it took a free channel); the cursor moves to it, the
  // views hear of it, the score is laid out again and fires OnChanged, and
  // one undo record (PartAdded) holds it. nullptr without an active view or
  // piece.
  TQSPart* AddPart();
  // Frees every item of the voice (staff) in all measures of its part and
  // moves the items of the later voices of that staff (the later staves)
  // down by one index.
  void RemoveVoiceItems(TQSVoice* voice);
  void RemoveStaffItems(TQSStaff* staff);

  // ------------------------------------------------------------ tables
  std::vector<TQSDrumInstrument> DrumInstruments;
  std::vector<TQSDrumMapEntry> DrumMap;
  std::vector<TQSNamedUserSymbol> UserSymbols;
  int DrumInstrumentCount() const { return static_cast<int>(DrumInstruments.size()); }
  const TQSDrumInstrument* GetDrumInstrument(int index) const;
  int UserSymbolCount() const { return static_cast<int>(UserSymbols.size()); }
  TQSUserSymbol* GetUserSymbol(int index) const;
  int IndexOfUserSymbol(const std::string& name) const;

  // The index of the drum instrument named name (any case); a new entry with
  // the values given when there is none.
  int AddDrumInstrument(const std::string& name, uint16_t word1, uint16_t word2, uint8_t byte4, uint16_t word3,
                        const std::string& fontName, uint8_t size, uint8_t styleByte);
  // Copies name, the filed bytes and the font name of every entry.
  void SetDrumInstruments(const std::vector<TQSDrumInstrument>& list);
  // Replaces the entry of key, or appends one; then RebuildDrumMap.
  void SetDrumMapEntry(uint8_t key, const std::string& name, uint8_t head, uint8_t position, uint8_t use);
  // Rebuilds the lookups from the drum map (nothing while suppressed).
  void RebuildDrumMap();
  // The drum map entry standing for written key `pitch` with drum head
  // `head` (255 = none), and the entry of a played key; nullptr when none.
  const TQSDrumMapEntry* DrumEntryByPitch(int pitch, int head) const;
  const TQSDrumMapEntry* DrumEntryByKey(int key) const;
  // A note about to be sounded at the cursor on a percussion staff: channel
  // 9 and the mapped key. Changes nothing elsewhere.
  void MapDrumNote(int head, int& channel, int& pitch);
  // Adds a user symbol under name; the score owns it.
  TQSUserSymbol* AddUserSymbol(const std::string& name);
  void ClearDrumInstruments() { DrumInstruments.clear(); }
  void ClearDrumMap() { DrumMap.clear(); }
  void ClearUserSymbols();

  // The tables in their file encoding; reading appends.
  void ReadDrumInstruments(TStream& s);
  void WriteDrumInstruments(TStream& s) const;
  void ReadDrumMap(TStream& s);
  void WriteDrumMap(TStream& s) const;
  void ReadUserSymbols(TStream& s);
  void WriteUserSymbols(TStream& s) const;

  // ------------------------------------------------------------- files
  // Reads a file by its extension (case ignored): MIDI files (".mid",
  // ".midi", ".rmi", ".kar") and MusicXML (".xml", ".musicxml", compressed
  // ".mxl") through their importers, anything else as a native score. A
  // missing file changes nothing.
  void LoadFromFile(const std::string& fileName);
  // Writes the native format safely: the old file stays whole until the new
  // one is complete; a failure is raised.
  void SaveToFile(const std::string& fileName);
  // The native format at the stream's position.
  void LoadFromStream(TStream& s);
  void SaveToStream(TStream& s);
  // Files of the older formats (first byte 245 or 250).
  void LoadOldVersion(TStream& s, uint8_t formatByte);

  // The importers live in the interchange library, which installs them;
  // without them reading such a file raises an error.
  using TImporter = std::function<void(TQSScore& score, TStream& stream)>;
  static void SetMidiImporter(TImporter importer);
  static void SetMusicXmlImporter(TImporter importer);
  void ImportMidiFile(TStream& s);
  void ImportMusicXml(TStream& s);

 private:
  static void FireQuietly(const TNotifyEvent& event, TObject* sender) noexcept;
  // Runs body inside the update lock, released also when body raises.
  template <class F>
  void Locked(F&& body) {
    BeginUpdate();
    try {
      body();
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
  }
  // Frees pieces and score items before a file is read into the score.
  void EmptyForReading();
  void ReadNative(TStream& s);
  // Recalculate(0), RefreshWindows, OnChanged: what most setters do.
  void Relayout(bool changed);

  std::vector<TQSPiece*> pieces_;
  std::vector<TQSWindowLink*> windows_;
  int activeWindow_ = -1;
  int updateCount_ = 0;
  int undoSuspendCount_ = 0;
  // Drum lookups: per written key the entries by head index, per played key
  // the entry (indexes into DrumMap; -1 none).
  std::array<std::vector<int>, 128> drumByPitch_;
  std::array<int, 128> drumByKey_;
};

}  // namespace qs
