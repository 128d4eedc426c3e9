#pragma once
// The palette framework: what every dockable input palette shares and what
// the main window and the document window see of the palettes.
//
// How the main window uses it:
//  - At start-up it walks PaletteRegistry() in order and, for each entry,
//    makes a tab sheet named entry.TabSheet in its tool notebook and calls
//    entry.Create with a TPaletteContext (its TPaletteHost, the settings
//    file). The palette form lives until shut-down. entry.AttachedKey names
//    the key of the main window's section that says whether the palette is
//    docked in its sheet (true) or floats in a window of its own.
//  - Whenever the current tool sheet or the active document changes, it
//    calls ApplyTool() of the palette of the current sheet (the view
//    cursors, the insertion feedback of the views and the entry duration
//    follow the palette's chosen tool).
//  - The document window, on a click into the score (after the view has
//    put its cursor at the click), calls InsertToolItem of the palette of
//    the current sheet with TInsertFrom::Click. The palette reads its own
//    state and enters its item through the editing commands.
//  - A click on an item of the score (the view's item click) goes to
//    ItemClick of the same palette instead: it may change the clicked
//    item (a modifier applied to a note, the eraser) or enter as above.
//  - A palette calls back through TPaletteHost: the active document's
//    score, the sound of an entered note, the entry duration of the
//    playback editors, docking, the keys typed on it and a count to ask.
//
// Palettes never include the application folder; the main window
// implements TPaletteHost.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qs {

class TComponent;
class TCustomForm;
class TECCharButton;
class TUpDown;
class TWinControl;
class TIniFile;
class TQSScore;
class TQSWindow;
struct TQSCalcItem;
struct TPlaybackValues;

// The insertion feedback a view draws while the mouse moves over the score
// (TQSWindow::ArmPaletteItem): what kind of item a click would enter.
namespace paletteitem {
constexpr int None = 0,          // no feedback: Point, Erase, the Quick regime
    Note = 1,                    // a note value
    Modifier = 2,                // a modifier alone (accidental, articulation ...)
    Dot = 3,                     // a dot or double dot alone
    StaffMark = 4,               // a rest, clef, tuplet, tremolo, repeat sign ...
    PartMark = 5,                // an accolade, key signature or user symbol
    InstrumentName = 6,          //
    ColumnMark = 7,              // a tempo or time signature
    ColumnStart = 8,             // a sign at the start of a measure
    ColumnEnd = 9,               // a sign at the end of a measure
    MeasureRest = 10;            // a multi-measure rest
}  // namespace paletteitem

// How a palette enters its items: Single falls back to Point after one
// item, Multiply keeps the tool, Quick enters at the cursor when a tool
// button is pressed and ignores clicks into the score.
enum class TInputRegime : uint8_t { Single = 0, Multiply = 1, Quick = 2 };
// The regime a stored value stands for; a value outside 0..2 is Single.
TInputRegime RegimeFromValue(int value);
// The regime that follows when the regime button is clicked.
TInputRegime NextRegime(TInputRegime regime);

// The regime a palette's regime buttons show (the one of them visible), and
// showing one.
class TECCharButton;
TInputRegime ShownRegime(const TECCharButton& single, const TECCharButton& quick);
void ShowRegimeButtons(TECCharButton& single, TECCharButton& multiply, TECCharButton& quick, TInputRegime regime);
// Point and Erase of a palette: their faces (the pointer and the eraser)
// and their own group, in which both may be up.
void SetUpPointAndErase(TECCharButton& point, TECCharButton& erase);

// Where an insertion comes from.
enum class TInsertFrom : uint8_t {
  Click,        // a click into the score: the pitch from the click
  QuickButton,  // a Quick-regime tool button: at the cursor, the cursor moves on
};

// Where a sounded note was entered from: each has its own setting that
// says whether it sounds.
enum class TSoundFrom : uint8_t {
  Entry,   // the Notes and Intervals pages, the keys: entered notes sound
  Piano,   // a key of the on-screen piano
  Guitar,  // a click on the fretboard
};

// What the palettes ask of the main window and of the active document.
// Where a sounded note stands among the notes entered together: the first,
// one between, the last, or the only one. The output closes a while after
// the last or the only one, not between the notes of a chord.
enum TSoundMode : int { smFirst = 0, smBetween = 1, smLast = 2, smAlone = 3 };

// The mode of note index of count notes sounded together.
constexpr int SoundModeOf(int index, int count) {
  return count <= 1 ? smAlone : index == 0 ? smFirst : index + 1 >= count ? smLast : smBetween;
}

// The note value one step longer (512 and more wrap to 8) or shorter
// (8 and less wrap to 512).
int StepEntryDuration(int ticks, bool longer);

// A named transposition of the program's library: its name and the
// semitones of its first record.
struct TTransposePreset {
  std::string Name;
  int Shift = 0;
};

class TPaletteHost {
 public:
  virtual ~TPaletteHost() = default;
  // The active document's score (null when no document is open). Its
  // views are the score's windows; its active window is where clicks go.
  virtual TQSScore* ActiveScore() = 0;
  // The note just entered sounds (MIDI pitch, length in ticks, the
  // velocity step 0-7 of the entry sound, and where it stands among the
  // notes entered together: TSoundMode, and where it was entered from); the
  // main window plays it through its MIDI output when its settings say that
  // notes entered from there sound, and does nothing otherwise.
  virtual void SoundPitch(int pitch, int ticks, int velocityStep, int mode, TSoundFrom from) = 0;
  // The note value a click would enter (ticks 1024 .. 8, 0 for none),
  // shown by the active document's playback editors.
  virtual void SetEntryDuration(int ticks) = 0;
  // The palette's window was activated: its tool sheet becomes current
  // (which applies its tool).
  virtual void PaletteActivated(const std::string& name) = 0;
  // The palette docks into its sheet (true) or floats (false).
  virtual void SetPaletteAttached(const std::string& name, bool attached) = 0;
  // The floating palette was let go at a screen point after a move by its
  // caption: over the tool notebook it docks.
  virtual void PaletteDropped(const std::string& name, int x, int y) { (void)name, (void)x, (void)y; }
  // A key typed on a palette, handed to the main window's keyboard
  // dispatcher; the dispatcher sets key to 0 when it took it.
  virtual void PaletteKeyDown(uint16_t& key, uint16_t shift) = 0;
  // Asks for a count from minimum up (caption: the message's text);
  // returns 0 when the user cancels.
  virtual int AskCount(const std::string& message, int minimum, int position) = 0;
  // The active document's side editor of note playback times (the
  // playback editor) or of velocities opens, or closes when it is open.
  // Nothing without a document.
  virtual void TogglePlaybackEditor() {}
  virtual void ToggleVelocityEditor() {}
  // The transposition presets of the program's library, in its order.
  virtual std::vector<TTransposePreset> TransposePresets() { return {}; }
  // The playback values of the effects and dynamics popups (effects.h);
  // by default none (the popups then keep values of their own).
  virtual TPlaybackValues PlaybackValues();
  // Sounds the pitches together with the General MIDI program (0-based)
  // for ticks; by default as entered notes sound.
  virtual void PlayNotes(int program, const std::vector<int>& pitches, int ticks) {
    (void)program;
    for (size_t i = 0; i < pitches.size(); ++i)
      SoundPitch(pitches[i], ticks, 3, SoundModeOf(static_cast<int>(i), static_cast<int>(pitches.size())), TSoundFrom::Entry);
  }
};

// What a palette gets when it is made.
struct TPaletteContext {
  TPaletteHost* Host = nullptr;     // may be null (forms shown alone, tests)
  TIniFile* Settings = nullptr;     // the program's settings file, or null
};

// The part of a palette form the main window and the document window use.
class TPalette {
 public:
  virtual ~TPalette() = default;
  // The palette's window (a tool window; docked by the main window).
  virtual TCustomForm& Form() = 0;
  // The palette's chosen tool reaches the active document: the tool
  // cursor of its views, their insertion feedback and the entry duration.
  // Nothing but the palette's own buttons when there is no document.
  virtual void ApplyTool() = 0;
  // Back to Point with the Multiply regime shown (the stored regime stays).
  virtual void ResetToDefaults() = 0;
  // Enters the palette's chosen item into the score of view (its active
  // document's active view), whose cursor stands at the click. True when
  // the palette entered something.
  virtual bool InsertToolItem(TQSWindow& view, TInsertFrom from) = 0;
  // A click on a laid-out element of view's score (the cursor stands at
  // it). By default the same as a click into the score.
  virtual bool ItemClick(TQSWindow& view, TQSCalcItem& element) {
    (void)element;
    return InsertToolItem(view, TInsertFrom::Click);
  }
  // The left mouse button went down (before the view handles the press)
  // or came up (before the view finishes its own drag) at the client
  // point x, y of view. A palette that draws or places page objects with
  // the mouse acts here and returns true; by default nothing happens.
  virtual bool ViewMouseDown(TQSWindow& view, int x, int y) {
    (void)view, (void)x, (void)y;
    return false;
  }
  virtual bool ViewMouseUp(TQSWindow& view, int x, int y) {
    (void)view, (void)x, (void)y;
    return false;
  }
  // The cursor of view moved (a key, a click, the player following the
  // music) while the palette's page is the current tool. Nothing by
  // default; a palette that shows what stands at the cursor follows it.
  virtual void CursorMoved(TQSWindow& view) { (void)view; }
  // The interface language changed (the form's texts are translated
  // already): texts the palette makes itself follow.
  virtual void LanguageChanged() {}
  // A key of the palette's own table, as the main window's keyboard
  // dispatcher hands it on: the letter a tool button shows works as a click
  // on it. shift: the shift state bits; prefix: Enter or Space when that
  // was the key just before, else 0. True when the key acted (it then goes
  // no further); Enter and Space answer true where they begin a quick entry.
  virtual bool PageKey(uint16_t key, uint16_t shift, uint16_t prefix) {
    (void)key, (void)shift, (void)prefix;
    return false;
  }
};

// One palette of the program.
struct TPaletteEntry {
  const char* Name;         // "Notes": its settings section and its name to the host
  const char* TabSheet;     // "TSNotes": its sheet in the main window's tool notebook
  const char* AttachedKey;  // "NotesAttached": docked or floating, in the main window's section
  // Makes the palette; its form belongs to owner, which frees it.
  std::function<TPalette*(TComponent* owner, const TPaletteContext& context)> Create;
};
// Every palette, in the order of the tool notebook's sheets.
const std::vector<TPaletteEntry>& PaletteRegistry();
// A palette of a later folder joins the registry (once; a second entry of
// the same name is ignored). The program adds its palettes before the main
// window builds its tool pages.
void AddPaletteEntry(TPaletteEntry entry);
// Registers every palette's form, shown alone, for the form tools.
void RegisterPaletteForms();

// ----------------------------------------------------- shared by palettes

// The slot of the application's cursor table that holds the current tool
// cursor; a view whose ToolCursor is this shows it over the score.
constexpr int kToolCursorSlot = 5;
// Loads the named tool cursor into the slot; false when there is none.
bool LoadToolCursor(const std::string& name);
// Loads the named tool cursor into the slot and shows it in every view of
// the active document. Without a document nothing happens; an unknown
// name leaves the slot empty (the views show the arrow).
void SetToolCursor(TPaletteHost* host, const std::string& name);
// The Erase cursor ("ERASE") or no tool cursor (empty name) reaches the
// active view of the active document only; the default cursor with an
// empty name.
// The active score's active view, nullptr without one.
TQSWindow* ActiveView(TPaletteHost* host);
void SetActiveViewCursor(TPaletteHost* host, const std::string& name);
// Every view of the active document draws the insertion feedback code.
void ArmViews(TPaletteHost* host, int code);

// The figures the entry palettes draw on their mode and modifier buttons.
enum class TModifierFace : uint8_t { Up, Down, Chord, Dot, DoubleDot, Tuplet, Tremolo };
// The button draws the figure, raised as tool buttons are; count gives the
// tuplet number or the tremolo strokes when it is drawn.
void SetModifierFace(TECCharButton& button, TModifierFace face, std::function<int()> count = {});
// A wrapping up-down of min..max, 11 pixels wide, right beside button.
TUpDown* MakeButtonUpDown(TComponent* owner, TWinControl* parent, const TECCharButton& button, const char* name,
                          int min, int max);

}  // namespace qs
