#pragma once
// The score document: it owns the pieces, keeps the score-wide settings,
// knows the attached views and reports every change of the model to its
// host through its events.
#include <cstdint>
#include <functional>
#include <vector>

#include "base/events.h"
#include "score/windowlink.h"

namespace qs {

class TQSPiece;
class TQSMeasure;

class TQSScore : public TObject {
  // So far the score holds what the containers of the score tree use: the
  // events, the settings they read, the piece list, the attached views and
  // the layout requests. The document's remaining operations (the settings
  // block and its setters, score items, page format, update lock, cursor
  // accessors, undo, the file formats, the tables) are added with the score
  // document.
 public:
  TQSScore() = default;
  ~TQSScore() override;
  TQSScore(const TQSScore&) = delete;
  TQSScore& operator=(const TQSScore&) = delete;
  const char* ClassName() const override { return "TQSScore"; }

  // ------------------------------------------------------------ events
  // Each is called only when assigned; the sender comes first.
  TNotifyEvent OnChanged;      // the score, a setting or a piece changed
  TNotifyEvent OnAddItem;      // a piece, part, staff or voice was added
  TNotifyEvent OnDeleteItem;   // a piece, part, staff or voice is about to go
  TNotifyEvent OnItemChanged;  // a piece, part, staff or voice changed or was read

  void FireChanged(TObject* sender) { Fire(OnChanged, sender); }
  void FireAddItem(TObject* sender) { Fire(OnAddItem, sender); }
  void FireItemChanged(TObject* sender) { Fire(OnItemChanged, sender); }
  // OnItemChanged, then OnChanged.
  void NotifyChanged(TObject* sender) {
    FireItemChanged(sender);
    FireChanged(sender);
  }
  // The same, ignoring an error the handler raises: removal and reading
  // must go on whatever the host does.
  // Registration and unregistration fire quietly: a child half registered
  // because the host's handler failed would be left dangling.
  void FireAddItemQuietly(TObject* sender) noexcept { FireQuietly(OnAddItem, sender); }
  void FireDeleteItemQuietly(TObject* sender) noexcept { FireQuietly(OnDeleteItem, sender); }
  void FireItemChangedQuietly(TObject* sender) noexcept { FireQuietly(OnItemChanged, sender); }

  // ---------------------------------------------------------- settings
  // Beaming: 0 none, 1 whole measure, 2 by beats, n > 2 the measure
  // divided into n - 1 groups.
  uint8_t AutoJoin = 2;
  // Stem length for stems and beams.
  int StemLength = 20;
  // Version of the native file last read (1025 in a new score).
  uint16_t FileVersion = 1025;
  // Distance between two staff lines in tenths of a millimetre (the page
  // format's line space) and the screen's pixels per inch.
  // Engraving scale in percent.
  int Scale = 100;
  // The page format's line space (distance between two staff lines) and
  // system interval (between two staves) in tenths of a millimetre, and the
  // screen's pixels per inch.
  double LineSpace = 15.875;
  double Interval = 120;
  int PixelsPerInch = 96;

  void SetAutoJoin(uint8_t value);
  // Half a staff space in screen pixels at 100 %.
  int HalfSpacePixels() const;
  // From one staff to the next (4 staff spaces and the interval) in screen
  // pixels at the score's scale.
  int StaffDistancePixels() const;

  // ------------------------------------------------------------ pieces
  // While set, AppendPiece does nothing: the caller inserts the piece.
  bool RegistrationSuspended = false;
  int PieceCount() const { return static_cast<int>(pieces_.size()); }
  TQSPiece* GetPiece(int index) const;
  // Called by the piece's constructor: appends it, sets its index and
  // fires OnAddItem.
  void AppendPiece(TQSPiece* piece);
  // Called by the piece's destructor: fires OnDeleteItem (ignoring errors of
  // the handler) and takes it out of the list.
  void RemovePiece(TQSPiece* piece);
  TQSPiece* NewPiece();
  void RenumberPieces();
  void ClearPieces();
  std::vector<TQSPiece*>& PieceList() { return pieces_; }

  // ------------------------------------------------------------- views
  int WindowCount() const { return static_cast<int>(windows_.size()); }
  TQSWindowLink* GetWindow(int index) const;
  void AttachWindow(TQSWindowLink* window);
  void DetachWindow(TQSWindowLink* window);
  // The active view; clamps the stored active index into the list first.
  TQSWindowLink* ActiveWindow();
  // InvalidatePages on every view.
  void RefreshWindows();

  // ------------------------------------------------------------ layout
  // The layout pass lives in a later library, which installs it here;
  // without it layout requests do nothing.
  std::function<void(int fromPage, int toPage)> LayoutPass;
  std::function<void(int pieceIndex)> PieceLayoutPass;
  int LaidOutPages = 0;
  void Recalculate(int fromPage, int toPage);
  void RecalculatePiece(int pieceIndex);

  // The index in the measure's item list at which an item of the staff/
  // voice byte at the tick position is inserted to keep the list in order
  // (position, then staff, then voice; after equal ones).
  static int FindItemInsertIndex(const TQSMeasure& measure, int staffVoice, int position, int startIndex);

 private:
  static void FireQuietly(const TNotifyEvent& event, TObject* sender) noexcept;

  std::vector<TQSPiece*> pieces_;
  std::vector<TQSWindowLink*> windows_;
  int activeWindow_ = -1;
};

}  // namespace qs
