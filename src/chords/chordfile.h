#pragma once
// A chord of the user's chord library: the name after the root (name
// fragments), the notes that voice it above C, a description, a group and
// the fixed-octave flag, kept one chord a file ("<name>.chd" in
// "Templates") and listed in "Chords.ini".
#include <cstdint>
#include <string>
#include <vector>

#include "base/events.h"
#include "base/stream.h"
#include "palettes/libraryfile.h"
#include "score/item.h"
#include "score/marks.h"

namespace qs {

class TQSNote;

class TQSChordDescription : public TObject,
                            public TQSItemOwner,
                            public TImportableTemplateFile<TQSChordDescription> {
 public:
  static constexpr const char* kExtension = kChordIndex.Extension;

  TQSChordDescription() = default;
  ~TQSChordDescription() override { ClearNotes(); }
  TQSChordDescription(const TQSChordDescription&) = delete;
  TQSChordDescription& operator=(const TQSChordDescription&) = delete;

  std::vector<TQSChordFragment> Fragments;
  std::string Description;
  std::string Group;
  std::string FileName;  // without folder and extension
  // The notes, owned here; their pitch bytes are relative to C.
  TQSItemList Notes;
  uint8_t FixedOctave = 1;
  bool Loaded = false;
  uint16_t FileVersion = 0;

  void ClearNotes() { Notes.Clear(); }
  void ClearFragments() { Fragments.clear(); }
  // Appends a note and returns its index.
  int AddNote(TQSNote* note);
  // "X" and the texts of the fragments, X standing for the root.
  std::string GetName() const;

  // Reading appends to the lists.
  void LoadFromStream(TStream& s);
  void SaveToStream(TStream& s) const;

  // Notes are owned by the list, not registered on creation.
  void AddItem(TQSItem*) override {}
  void RemoveItem(TQSItem* item) override { Notes.Remove(item); }
  int IndexOfItem(const TQSItem*) const override { return -1; }

  const char* ClassName() const override { return "TQSChordDescription"; }
};

}  // namespace qs
