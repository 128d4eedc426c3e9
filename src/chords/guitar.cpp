#include "chords/guitar.h"

#include <algorithm>

#include "base/exceptions.h"
#include "palettes/libraryfile.h"
#include "score/chordcode.h"
#include "score/record.h"

namespace qs {

namespace {

constexpr uint8_t kGuitarMarker = '#';
constexpr uint8_t kFrameMarker = '$';
constexpr uint16_t kGuitarVersion = 256;
constexpr size_t kGuitarHeaderSize = 8;
constexpr size_t kFrameHeaderSize = 4;

// A stored block of `size` bytes of which the first `known` are ours; the
// rest is passed over.
std::vector<uint8_t> ReadSizedBlock(TStream& s, size_t size, size_t known) {
  std::vector<uint8_t> block = s.ReadBytes(size);
  block.resize(known, 0);
  return block;
}

// A chord code is two counts and the bytes they announce; one shorter than
// its counts say, or longer than any code, cannot be used and is taken as
// no chord.
std::vector<uint8_t> CheckedChordCode(std::vector<uint8_t> code) {
  if (code.size() < 2) return {0, 0};
  const int length = chordcode::CodeLength(code);
  if (length > chordcode::kMaxCodeLength || static_cast<size_t>(length) > code.size()) return {0, 0};
  return code;
}

}  // namespace

// ---------------------------------------------------------------- frame

const TQSFrameString* TQSGuitarFrame::GetString(int index) const {
  return index >= 0 && index < static_cast<int>(Strings.size()) ? &Strings[static_cast<size_t>(index)] : nullptr;
}

void TQSGuitarFrame::SetString(int index, const TQSFrameString& entry) {
  if (index < 0) return;
  if (index >= static_cast<int>(Strings.size())) Strings.resize(static_cast<size_t>(index) + 1);
  Strings[static_cast<size_t>(index)] = entry;
}

void TQSGuitarFrame::SetUsedFretCount(uint8_t value) {
  if (value == UsedFretCount && Barre.size() == value) return;
  UsedFretCount = value;
  Barre.resize(value);
}

uint8_t TQSGuitarFrame::GetBarre(int fret) const {
  return fret >= 0 && fret < static_cast<int>(Barre.size()) ? Barre[static_cast<size_t>(fret)] : 0;
}

void TQSGuitarFrame::SetBarre(int fret, uint8_t value) {
  if (fret >= 0 && fret < static_cast<int>(Barre.size())) Barre[static_cast<size_t>(fret)] = value;
}

void TQSGuitarFrame::LoadFromStream(TStream& s) {
  if (s.ReadU8() != kFrameMarker) return;
  const uint16_t fields = s.ReadU16();
  if (fields < 1) return;
  std::vector<uint8_t> header = ReadSizedBlock(s, s.ReadU8(), kFrameHeaderSize);
  StartFret = header[0];
  Spare[0] = header[2];
  Spare[1] = header[3];
  UsedFretCount = header[1];
  Barre.assign(UsedFretCount, 0);
  const size_t strings = guitar_ ? guitar_->StringCount : 0;
  Strings.assign(strings, TQSFrameString{});
  if (fields > 1) Code = CheckedChordCode(s.ReadBytes(s.ReadU16()));
  if (fields > 2) Barre = s.ReadBytes(UsedFretCount);
  if (fields > 3) {
    std::vector<uint8_t> bytes = s.ReadBytes(strings * 3);
    for (size_t i = 0; i < strings; ++i) Strings[i] = {bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]};
  }
}

void TQSGuitarFrame::SaveToStream(TStream& s) const {
  s.WriteU8(kFrameMarker);
  s.WriteU16(4);
  s.WriteU8(kFrameHeaderSize);
  s.WriteU8(StartFret);
  s.WriteU8(UsedFretCount);
  s.WriteBuffer(Spare, 2);
  static const std::vector<uint8_t> kNoChord = {0, 0};
  const std::vector<uint8_t>& code = Code.size() < 2 ? kNoChord : Code;
  WriteCount16(s, code.size(), "chord code");
  s.WriteBytes(code);
  // Exactly as many barre bytes and string entries as the counts say.
  std::vector<uint8_t> barre = Barre;
  barre.resize(UsedFretCount, 0);
  s.WriteBytes(barre);
  const size_t strings = guitar_ ? guitar_->StringCount : Strings.size();
  for (size_t i = 0; i < strings; ++i) {
    const TQSFrameString e = i < Strings.size() ? Strings[i] : TQSFrameString{};
    s.WriteU8(e.Further);
    s.WriteU8(e.Finger);
    s.WriteU8(e.Fret);
  }
}

// ---------------------------------------------------------------- guitar

void TQSGuitarDescription::SetStringCount(int value) {
  value = std::clamp(value, 0, kMaxStrings);
  if (value == StringCount) return;
  if (value > StringCount) {
    if (StringCount == 0) {
      StringCount = 1;
      Tuning[0] = SecondTuning[0] = 0;
    }
    for (int i = StringCount; i < value; ++i) {
      Tuning[static_cast<size_t>(i)] = Tuning[StringCount - 1u];
      SecondTuning[static_cast<size_t>(i)] = SecondTuning[StringCount - 1u];
    }
  }
  StringCount = static_cast<uint8_t>(value);
  Modified = true;
}

void TQSGuitarDescription::SetFretCount(int value) {
  value = std::clamp(value, 0, kMaxFrets);
  if (value == FretCount) return;
  FretCount = static_cast<uint8_t>(value);
  Modified = true;
}

uint8_t TQSGuitarDescription::GetTuning(int index) const {
  return index >= 0 && index < kMaxStrings ? Tuning[static_cast<size_t>(index)] : 0;
}

void TQSGuitarDescription::SetTuning(int index, uint8_t pitch) {
  if (index < 0 || index >= kMaxStrings) return;
  Tuning[static_cast<size_t>(index)] = pitch;
  Modified = true;
}

uint8_t TQSGuitarDescription::GetSecondTuning(int index) const {
  return index >= 0 && index < kMaxStrings ? SecondTuning[static_cast<size_t>(index)] : 0;
}

void TQSGuitarDescription::SetSecondTuning(int index, uint8_t pitch) {
  if (index < 0 || index >= kMaxStrings) return;
  SecondTuning[static_cast<size_t>(index)] = pitch;
  Modified = true;
}

void TQSGuitarDescription::SetTransport(int count, const TQSTransportRecord* records) {
  if (count > 0 && records)
    Transports.assign(records, records + count);
  else
    Transports.clear();
  Modified = true;
}

TQSGuitarFrame* TQSGuitarDescription::GetFrame(int index) const {
  return index >= 0 && index < GetFrameCount() ? Frames[static_cast<size_t>(index)].get() : nullptr;
}

TQSGuitarFrame* TQSGuitarDescription::AddFrame() {
  return Frames.emplace_back(std::make_unique<TQSGuitarFrame>(this)).get();
}

std::unique_ptr<TQSGuitarFrame> TQSGuitarDescription::RemoveFrame(TQSGuitarFrame* frame) {
  auto it = std::find_if(Frames.begin(), Frames.end(), [&](const auto& f) { return f.get() == frame; });
  if (it == Frames.end()) return nullptr;
  std::unique_ptr<TQSGuitarFrame> taken = std::move(*it);
  Frames.erase(it);
  return taken;
}

void TQSGuitarDescription::LoadFromStream(TStream& s) {
  Loaded = true;
  ReadLibrarySignature(s, {kGuitarMarker}, "File is not guitar");
  Version = ReadLibraryVersion(s, kGuitarVersion, "Version of file is more then 1.0");
  const uint16_t fields = s.ReadU16();
  if (fields >= 1) {
    std::vector<uint8_t> h = ReadSizedBlock(s, s.ReadU8(), kGuitarHeaderSize);
    // The tables hold 24 strings and a fretboard 48 frets, whatever a
    // damaged file says.
    StringCount = std::min<uint8_t>(h[0], kMaxStrings);
    FretCount = std::min<uint8_t>(h[1], kMaxFrets);
    Timbre = h[2];
    Paired = h[3];
    Spare[0] = h[6];
    Spare[1] = h[7];
  }
  if (fields >= 2) Name = ReadStreamString(s);
  auto readTuning = [&](std::array<uint8_t, kMaxStrings>& table) {
    std::vector<uint8_t> bytes = ReadSizedBlock(s, s.ReadU16(), kMaxStrings);
    std::copy(bytes.begin(), bytes.end(), table.begin());
  };
  if (fields >= 3) readTuning(Tuning);
  if (fields >= 4) {
    const uint16_t count = s.ReadU16();
    for (int i = 0; i < count; ++i) {
      if (s.Remaining() <= 0) throw EReadError();  // the count promised more than the file holds
      AddFrame()->LoadFromStream(s);
    }
  }
  if (fields >= 5) readTuning(SecondTuning);
  if (fields >= 6) Transports = ReadTransportRecords(s);
}

void TQSGuitarDescription::SaveToStream(TStream& s) const {
  WriteLibraryHeader(s, kGuitarMarker, "Quillstave Guitar file", kGuitarVersion);
  s.WriteU16(6);
  s.WriteU8(kGuitarHeaderSize);
  s.WriteU8(StringCount);
  s.WriteU8(FretCount);
  s.WriteU8(Timbre);
  s.WriteU8(Paired);
  WriteCount16(s, Transports.size(), "transport list");
  s.WriteBuffer(Spare, 2);
  WriteStreamString(s, Name);
  s.WriteU16(StringCount);
  s.WriteBuffer(Tuning.data(), StringCount);
  WriteCount16(s, Frames.size(), "frame list");
  for (const auto& frame : Frames) frame->SaveToStream(s);
  s.WriteU16(StringCount);
  s.WriteBuffer(SecondTuning.data(), StringCount);
  WriteTransportRecords(s, Transports);
}

// ---------------------------------------------------------------- library

TGuitarLibraryLoad LoadGuitarLibrary(const std::string& language) {
  TGuitarLibraryLoad load;
  std::vector<TLibraryProblem> problems;
  for (const std::string& entry : ReadLibraryIndex(kGuitarIndex, &problems)) {
    auto guitar = std::make_unique<TQSGuitarDescription>();
    guitar->FileName = entry;
    try {
      guitar->LoadFromFile();
      load.Guitars.push_back(std::move(guitar));
    } catch (const std::exception& e) {
      problems.push_back({kGuitarIndex.FileName, entry, e.what()});
    }
  }
  for (const TLibraryProblem& p : problems) load.Problems.push_back(LibraryProblemMessage(p, language));
  return load;
}

void SaveGuitarLibraryIndex(const std::vector<std::unique_ptr<TQSGuitarDescription>>& guitars) {
  std::vector<std::string> entries;
  for (const auto& g : guitars) entries.push_back(g->FileName);
  WriteLibraryIndex(kGuitarIndex, entries);
}

}  // namespace qs
