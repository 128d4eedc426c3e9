#pragma once
// The view's clipboard for notes: the selection travels as one binary
// notes block under the program's private clipboard format "QSNotes", so
// that it can be pasted in another running copy of the program too.
//
// The notes block (little-endian):
//   u16 block count; per block: i32 tick offset, u16 item count, per item:
//   u8 kind and the item's stream record (i32 length, u16 section count,
//   sections); then u16 page-object count, u16 first page (ignored when
//   read), per page object: u8 kind and its stream record.
#include <cstdint>
#include <vector>

#include "base/exceptions.h"
#include "platform/clipboard.h"

namespace qs {

// A notes block that cannot be read whole (from another program or
// version, or cut short): nothing of it is pasted.
class ENotesBlockError : public Exception {
  using Exception::Exception;
};

TClipboardFormat NotesClipboardFormat();

// The system clipboard's notes block. It knows blocks, not views: the view
// writes its selection as a block and reads a block at its cursor.
class TQSNotesClipboard {
 public:
  // The clipboard holds a notes block.
  static bool HasNotes();
  // The clipboard's notes block; empty when it holds none.
  static std::vector<uint8_t> Notes();
  // Puts a notes block on the clipboard.
  static void CopyNotes(const std::vector<uint8_t>& block);
  static void PutData(TClipboardFormat format, const std::vector<uint8_t>& bytes);
};

}  // namespace qs
