#pragma once
// The fretted instruments of the guitar library: string and fret counts,
// the sound, the open-string pitches (and those of the second strings of
// paired courses), a transposition and the chord frames (fingerings) of
// each guitar, kept one guitar a file ("<name>.gtr" in "Templates") and
// listed in "Guitars.ini".
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/events.h"
#include "base/stream.h"
#include "palettes/libraryfile.h"
#include "score/marks.h"
#include "score/transport.h"

namespace qs {

class TQSGuitarDescription;

// One fingering of a chord on a guitar.
class TQSGuitarFrame : public TObject {
 public:
  explicit TQSGuitarFrame(TQSGuitarDescription* guitar) : guitar_(guitar) {}

  uint8_t StartFret = 0;      // the first fret shown
  uint8_t UsedFretCount = 0;  // frets shown, and the length of Barre
  uint8_t Spare[2] = {};
  std::vector<uint8_t> Code{0, 0};  // the chord code of the chord it belongs to ("N.C." until set)
  std::vector<uint8_t> Barre;    // 1 = a barre on that shown fret
  std::vector<TQSFrameString> Strings;  // per string: open pitch (Further), finger, fret

  TQSGuitarDescription* Guitar() const { return guitar_; }

  void SetCodeSize(size_t size) { Code.resize(size); }
  // The entry of a string; null outside the entries.
  const TQSFrameString* GetString(int index) const;
  // Ignores a negative index; enlarges the entries to reach the index.
  void SetString(int index, const TQSFrameString& entry);
  void SetUsedFretCount(uint8_t value);
  uint8_t GetBarre(int fret) const;
  void SetBarre(int fret, uint8_t value);

  void LoadFromStream(TStream& s);
  void SaveToStream(TStream& s) const;
  const char* ClassName() const override { return "TQSGuitarFrame"; }

 private:
  TQSGuitarDescription* guitar_;
};

class TQSGuitarDescription : public TObject, public TTemplateFile<TQSGuitarDescription> {
 public:
  static constexpr const char* kExtension = kGuitarIndex.Extension;
  static constexpr int kMaxStrings = 24;
  static constexpr int kMaxFrets = 48;
  static constexpr uint8_t kNylonGuitar = 24;  // General MIDI program, 0-based

  TQSGuitarDescription() = default;
  TQSGuitarDescription(const TQSGuitarDescription&) = delete;
  TQSGuitarDescription& operator=(const TQSGuitarDescription&) = delete;

  // The 8-byte header.
  uint8_t StringCount = 6;
  uint8_t FretCount = 24;
  uint8_t Timbre = kNylonGuitar;
  uint8_t Paired = 0;  // 1 = every string has a second string
  uint8_t Spare[2] = {};
  std::string Name;
  std::array<uint8_t, kMaxStrings> Tuning{};
  std::array<uint8_t, kMaxStrings> SecondTuning{};
  std::vector<TQSTransportRecord> Transports;
  std::vector<std::unique_ptr<TQSGuitarFrame>> Frames;
  std::string FileName;  // "<name>.gtr", always in the Templates folder
  bool Loaded = false;
  uint16_t Version = 0;
  bool Modified = false;

  void SetStringCount(int value);
  void SetFretCount(int value);
  uint8_t GetTuning(int index) const;
  void SetTuning(int index, uint8_t pitch);
  uint8_t GetSecondTuning(int index) const;
  void SetSecondTuning(int index, uint8_t pitch);
  void SetTransport(int count, const TQSTransportRecord* records);
  int TransposeSum() const { return TransportShift(Transports); }

  int GetFrameCount() const { return static_cast<int>(Frames.size()); }
  TQSGuitarFrame* GetFrame(int index) const;
  TQSGuitarFrame* AddFrame();
  // Takes the frame out of the list and hands it to the caller.
  std::unique_ptr<TQSGuitarFrame> RemoveFrame(TQSGuitarFrame* frame);

  void LoadFromStream(TStream& s);
  void SaveToStream(TStream& s) const;
  const char* ClassName() const override { return "TQSGuitarDescription"; }
};

// The guitars of "Guitars.ini" in order, each read from its file; an entry
// whose file is missing or cannot be read is left out and reported.
struct TGuitarLibraryLoad {
  std::vector<std::unique_ptr<TQSGuitarDescription>> Guitars;
  std::vector<std::string> Problems;  // one message a guitar left out
};
TGuitarLibraryLoad LoadGuitarLibrary(const std::string& language);
void SaveGuitarLibraryIndex(const std::vector<std::unique_ptr<TQSGuitarDescription>>& guitars);

}  // namespace qs
