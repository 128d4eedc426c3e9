// The native score file: format byte, signature, version and up to 14
// sections (settings block, page format, pieces, score items, texts,
// description, tables, the active view's zoom and tempo scale, the count of
// empty pages). Other file types go to their importers.
#include <algorithm>
#include <new>
#include <string>

#include "base/exceptions.h"
#include "base/filemessages.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "score/item.h"
#include "score/legacy.h"
#include "score/piece.h"
#include "score/record.h"
#include "score/score.h"
#include "score/tree.h"

namespace qs {

namespace {

constexpr uint8_t kFormatCurrent = 251;
constexpr uint8_t kFormatOld1 = 245;
constexpr uint8_t kFormatOld2 = 250;
constexpr const char* kSignature = "Quavero data file";
constexpr uint16_t kVersion = 1025;
constexpr uint16_t kSectionCount = 14;
// A view keeps its zoom within these; the file may hold anything.
constexpr int kZoomIgnoredFrom = 1000;

constexpr const char* kNotOurFile = "This is not Quavero file";
// A file of another extension that does not begin as a native file either.
constexpr const char* kUnknownFormat = "The format of this file is unknown";
constexpr const char* kNewerVersion = "Version of file is more then $0401. Please download update from our site.";

enum class TFileKind { Native, Midi, MusicXml };

TFileKind KindOfFile(const std::string& fileName) {
  const std::string ext = LowerCase(ExtractFileExt(fileName));
  if (ext == ".mid" || ext == ".midi" || ext == ".rmi" || ext == ".kar") return TFileKind::Midi;
  if (IsMusicXmlDocumentName(fileName) || IsCompressedMusicXmlName(fileName)) return TFileKind::MusicXml;
  return TFileKind::Native;
}

// True when the stream's first byte is one a native file begins with (the
// stream is left where it was).
bool BeginsAsNative(TStream& s) {
  const int64_t at = s.Position();
  uint8_t first = 0;
  const bool read = s.Read(&first, 1) == 1;
  s.SetPosition(at);
  return read && (first == kFormatCurrent || first == kFormatOld1 || first == kFormatOld2);
}

TQSScore::TImporter& Importer(TFileKind kind) {
  static TQSScore::TImporter midi, musicXml;
  return kind == TFileKind::Midi ? midi : musicXml;
}

// The importer of a file type; an error when none is installed.
const TQSScore::TImporter& RequireImporter(TFileKind kind) {
  const TQSScore::TImporter& importer = Importer(kind);
  if (!importer)
    throw Exception(kind == TFileKind::Midi ? "MIDI files cannot be read yet" : "MusicXML files cannot be read yet");
  return importer;
}

// The description lines (none when there are more than a list holds).
void ReadDescription(TStream& s, TStringList& list) {
  list.Clear();
  for (std::string& line : ReadStreamStringLines(s)) list.Add(std::move(line));
}

// A count the reader would refuse is refused on saving too, so that no
// save produces a file that cannot be read back.
void CheckSavedCount(size_t count, const char* what) {
  if (count > static_cast<size_t>(kMaxChildCount))
    throw EWriteError(Format("Cannot save the score: it has %zu %s, a file holds at most %d", count, what,
                             kMaxChildCount));
}

}  // namespace

bool IsMusicXmlDocumentName(const std::string& fileName) {
  const std::string ext = LowerCase(ExtractFileExt(fileName));
  return ext == ".xml" || ext == ".musicxml";
}

bool IsCompressedMusicXmlName(const std::string& fileName) {
  return LowerCase(ExtractFileExt(fileName)) == ".mxl";
}

bool IsNativeScoreName(const std::string& fileName) { return KindOfFile(fileName) == TFileKind::Native; }

void TQSScore::SetMidiImporter(TImporter importer) { Importer(TFileKind::Midi) = std::move(importer); }
void TQSScore::SetMusicXmlImporter(TImporter importer) { Importer(TFileKind::MusicXml) = std::move(importer); }
void TQSScore::ImportMidiFile(TStream& s) { RequireImporter(TFileKind::Midi)(*this, s); }
void TQSScore::ImportMusicXml(TStream& s) { RequireImporter(TFileKind::MusicXml)(*this, s); }

void TQSScore::LoadOldVersion(TStream& s, uint8_t formatByte) { ReadLegacyScore(*this, s, formatByte); }

void TQSScore::EmptyForReading() {
  ClearPieces();
  ClearItems();
  // Every laid-out page showed what is gone: the deferred layout must start
  // at the first page, whatever the pieces read later request.
  Recalculate(0, -1);
}

void TQSScore::LoadFromFile(const std::string& fileName) {
  // A folder, a pipe or a device is refused as what it is.
  CheckIsRegularFile(fileName);
  if (!FileExists(fileName)) return;
  const TFileKind kind = KindOfFile(fileName);
  // Without its importer a file type is refused before the score is touched.
  if (kind != TFileKind::Native) RequireImporter(kind);
  TFileStream file(fileName, FileMode::OpenRead);
  // Any extension may hold a native score; one that is no score of ours
  // and no native file is refused before the score is touched.
  if (kind == TFileKind::Native && LowerCase(ExtractFileExt(fileName)) != kNativeFileExt && !BeginsAsNative(file))
    throw EReadError(kUnknownFormat);
  CheckFitsInMemory(fileName, file.Size());
  BeginUpdate();
  try {
    EmptyForReading();
    switch (kind) {
      case TFileKind::Midi: ImportMidiFile(file); break;
      case TFileKind::MusicXml: ImportMusicXml(file); break;
      case TFileKind::Native: LoadFromStream(file); break;
    }
  } catch (const std::bad_alloc&) {
    EndUpdateAfterFailedRead();
    throw EFileMessage<EReadError>(TFileMessage::TooLargeForMemory, {fileName});
  } catch (...) {
    EndUpdateAfterFailedRead();
    throw;
  }
  EndUpdate();
}

void TQSScore::LoadFromStream(TStream& s) {
  BeginUpdate();
  try {
    FileVersion = 0;
    EmptyForReading();
    ReadNative(s);
  } catch (...) {
    EndUpdateAfterFailedRead();
    RebuildDrumMap();
    throw;
  }
  EndUpdate();
  RebuildDrumMap();
}

void TQSScore::ReadNative(TStream& s) {
  const uint8_t format = s.ReadU8();
  if (format == kFormatOld1 || format == kFormatOld2) {
    LoadOldVersion(s, format);
    return;
  }
  if (format != kFormatCurrent) throw EReadError(kNotOurFile);
  if (ReadStreamString(s) != kSignature) throw EReadError(kNotOurFile);
  FileVersion = s.ReadU16();
  if (FileVersion > kVersion) throw EReadError(kNewerVersion);
  const int sections = s.ReadU16();

  // What is read goes into the lists, whoever had suspended registration.
  TRegistrationOpen open(RegistrationSuspended);
  TQSWindowLink* view = nullptr;
  if (sections >= 1) {
    // A shorter block leaves the rest of the settings; a longer one has
    // bytes this version does not know, which are passed over.
    const uint16_t size = s.ReadU16();
    ApplyBlock(s.ReadBytes(size), [this](TBlockIO& b) { VisitSettings(b); }, nullptr);
    Scale = std::clamp(Scale, kMinScale, kMaxScale);
  }
  if (sections >= 2) {
    view = ActiveWindow();
    Page.LoadFromStream(s);
  }
  if (sections >= 3) {
    const int count = ReadChildCount(s, "Error reading pieces");
    for (int i = 0; i < count; ++i) NewPiece()->LoadFromStream(s);
  }
  if (sections >= 4) {
    const int count = ReadChildCount(s, "Error reading score items");
    for (int i = 0; i < count; ++i) {
      TQSItem* item = ReadItem(s, this);
      // Lyrics belong to measures; one at score level is dropped.
      if (item && item->ItemType == kind::Lyric) delete item;
    }
  }
  if (sections >= 5) Composer = ReadStreamString(s);
  if (sections >= 6) Poet = ReadStreamString(s);
  if (sections >= 7) Rights = ReadStreamString(s);
  if (sections >= 8) ReadDescription(s, Description);
  if (sections >= 9) ReadDrumInstruments(s);
  if (sections >= 10) ReadDrumMap(s);
  if (sections >= 11) ReadUserSymbols(s);
  if (sections >= 12) {
    const int32_t zoom = s.ReadI32();
    if (view && zoom < kZoomIgnoredFrom) view->Zoom = std::max(zoom, kMinZoom);
  }
  if (sections >= 13) {
    const int32_t tempoScale = s.ReadI32();
    if (view) view->TempoScale = tempoScale;
  }
  if (sections >= 14) EmptyPages = s.ReadI16();
}

void TQSScore::SaveToStream(TStream& s) {
  CheckSavedCount(pieces_.size(), "pieces");
  CheckSavedCount(static_cast<size_t>(Items.Count()), "score items");
  CheckSavedCount(static_cast<size_t>(Description.Count()), "description lines");
  FileVersion = kVersion;
  TQSWindowLink* view = ActiveWindow();

  s.WriteU8(kFormatCurrent);
  WriteStreamString(s, kSignature);
  s.WriteU16(kVersion);
  s.WriteU16(kSectionCount);
  TQSScoreSettings settings = *this;
  WriteBlock(s, [&settings](TBlockIO& b) { settings.VisitSettings(b); });
  Page.SaveToStream(s);
  s.WriteU16(static_cast<uint16_t>(pieces_.size()));
  for (const TQSPiece* piece : pieces_) piece->SaveToStream(s);
  s.WriteU16(static_cast<uint16_t>(Items.Count()));
  for (const TQSItem* item : Items) WriteItem(s, *item);
  WriteStreamString(s, Composer);
  WriteStreamString(s, Poet);
  WriteStreamString(s, Rights);
  WriteStreamStrings(s, Description);
  WriteDrumInstruments(s);
  WriteDrumMap(s);
  WriteUserSymbols(s);
  s.WriteI32(view ? view->Zoom : 100);
  s.WriteI32(view ? view->TempoScale : 100);
  s.WriteI16(EmptyPages);
}

void TQSScore::SaveToFile(const std::string& fileName) {
  SafeSaveFile(fileName, [this](TStream& s) { SaveToStream(s); });
}

}  // namespace qs
