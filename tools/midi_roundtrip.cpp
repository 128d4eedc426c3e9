// midi_roundtrip [--list] FILE.xml ...: reads each MusicXML file, exports it as a
// Standard MIDI File with the program's exporter, imports that file again
// with the import window's default options (a sixteenth grid, tuplets,
// automatic clefs, track names, two staves for a piano) and prints the
// share of the score's notes that came back with the right pitch, onset
// and length (within 2 ticks of 128 to a quarter, the rounding of tuplet
// slots), and how many rests the import wrote against the score's own.
// --list names each note that did not come back. The pieces it is
// meant for are in tools/midi_roundtrip/.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "base/safefile.h"
#include "base/stream.h"
#include "interchange/midi_export.h"
#include "interchange/midi_import.h"
#include "interchange/musicxml.h"
#include "layout/layout.h"
#include "platform/fonts.h"
#include "platform/gui.h"
#include "score/notes.h"
#include "score/score.h"
#include "score_notes.h"

namespace {

using namespace qs;
using qs::test::TSoundingNote;

constexpr int kTolerance = 2;

struct TCount {
  int Notes = 0, Right = 0, Rests = 0, ScoreRests = 0;
};

// The rests of the last piece a reader sees (hidden ones left out).
int RestsOf(const TQSScore& score) {
  const TQSPiece& piece = *score.GetPiece(score.PieceCount() - 1);
  int rests = 0;
  for (int p = 0; p < piece.PartCount(); ++p)
    for (int m = 0; m < piece.GetPart(p)->MeasureCount(); ++m)
      for (TQSItem* item : piece.GetPart(p)->GetMeasure(m)->Items)
        if (item->ItemType == kind::Pause && !(static_cast<TQSPause*>(item)->Fields.Flags & TQSPause::kHidden)) ++rests;
  return rests;
}

// The notes of the last piece of a laid-out score.
std::vector<TSoundingNote> NotesOf(TQSScore& score) {
  if (score.LaidOutPages == 0) score.Recalculate(0);
  const TQSPiece& piece = *score.GetPiece(score.PieceCount() - 1);
  return qs::test::ScoreNotes(piece, qs::test::LayoutStarts(piece));
}

TCount RoundTrip(const std::string& file, bool list) {
  TQSScore original;
  {
    const std::string text = ReadFileText(file);
    TMemoryStream s(std::vector<uint8_t>(text.begin(), text.end()));
    ImportMusicXml(original, s);
  }
  const std::vector<TSoundingNote> expected = NotesOf(original);

  TMemoryStream midi;
  ExportMidiFile(original, midi);
  midi.Seek(0, SeekOrigin::Begin);
  TQSScore again;
  again.RecordQuantize = 32;
  again.ImportStaffPerTrack = false;
  again.ImportTrackNames = true;
  again.ImportTriplets = true;
  again.ImportAutoClefs = true;
  ImportMidiFile(again, midi);
  const std::vector<TSoundingNote> found = NotesOf(again);

  TCount count;
  count.Rests = RestsOf(again);
  count.ScoreRests = RestsOf(original);
  std::vector<bool> used(found.size());
  for (const TSoundingNote& n : expected) {
    ++count.Notes;
    const int right = count.Right;
    for (size_t i = 0; i < found.size(); ++i) {
      const TSoundingNote& f = found[i];
      if (!used[i] && f.Key == n.Key && std::abs(f.Start - n.Start) <= kTolerance &&
          std::abs(f.Length - n.Length) <= kTolerance) {
        used[i] = true;
        ++count.Right;
        break;
      }
    }
    if (list && count.Right == right)
      std::printf("  not back: key %d at %lld for %lld\n", n.Key, static_cast<long long>(n.Start),
                  static_cast<long long>(n.Length));
  }
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: midi_roundtrip [--list] FILE.xml ...\n"
                 "Exports each MusicXML file as a MIDI file, imports it again and prints the share\n"
                 "of notes with the right pitch, onset and length.\n");
    return 2;
  }
  EnsureGuiApplication();
  LoadMusicFont();
  InstallLayout();
  TCount total;
  int failed = 0;
  const bool list = std::string(argv[1]) == "--list";
  for (int i = list ? 2 : 1; i < argc; ++i) {
    try {
      const TCount c = RoundTrip(argv[i], list);
      std::printf("%-40s %4d notes %4d right %6.1f %%  %4d rests (score %d)\n", ExtractFileName(argv[i]).c_str(),
                  c.Notes, c.Right, c.Notes ? 100.0 * c.Right / c.Notes : 100.0, c.Rests, c.ScoreRests);
      total.Notes += c.Notes;
      total.Right += c.Right;
      total.Rests += c.Rests;
      total.ScoreRests += c.ScoreRests;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "midi_roundtrip: %s: %s\n", argv[i], e.what());
      ++failed;
    }
  }
  std::printf("%-40s %4d notes %4d right %6.1f %%  %4d rests (score %d)\n", "all", total.Notes, total.Right,
              total.Notes ? 100.0 * total.Right / total.Notes : 100.0, total.Rests, total.ScoreRests);
  return failed ? 1 : 0;
}
