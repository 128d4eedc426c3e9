#include "app/printcontents.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "app/documentscore.h"
#include "base/filemessages.h"
#include "base/safefile.h"
#include "chords/chordname.h"
#include "platform/fonts.h"
#include "uikit/language.h"
#include "platform/gui.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/page.h"
#include "score/pageobjects.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "uikit/language.h"

namespace qs {

namespace {

// What the report counts, in the order it lists them; each item kind goes
// to one of these words (kinds not named here are marks).
enum TTally {
  tNotes, tGraceNotes, tRests, tChordSymbols, tGuitarFrames, tSlursAndTies, tTuplets, tDynamics, tMarks, tClefs,
  tKeys, tTimes, tTempos, tLyrics, tTexts, tInstrumentNames, tPictures, tDrawings, tUserSymbols, tPageNumbers, tMidiEvents,
  tEffects, tTallyCount
};

// Singular and plural of each word.
constexpr const char* kTallyWords[tTallyCount][2] = {
    {"note", "notes"},
    {"grace note", "grace notes"},
    {"rest", "rests"},
    {"chord symbol", "chord symbols"},
    {"guitar frame", "guitar frames"},
    {"slur or tie", "slurs and ties"},
    {"tuplet", "tuplets"},
    {"dynamic", "dynamics"},
    {"mark (articulation, ornament, repeat sign and the like)", "marks (articulations, ornaments, repeat signs "
                                                                "and the like)"},
    {"clef", "clefs"},
    {"key signature", "key signatures"},
    {"time signature", "time signatures"},
    {"tempo mark", "tempo marks"},
    {"lyric syllable", "lyric syllables"},
    {"text", "texts"},
    {"instrument name", "instrument names"},
    {"picture", "pictures"},
    {"line or shape", "lines and shapes"},
    {"user symbol", "user symbols"},
    {"page number or date", "page numbers and dates"},
    {"MIDI event", "MIDI events"},
    {"playback effect", "playback effects"},
};

int TallyOf(TQSItemType k, bool inGraceGroup) {
  switch (k) {
    case kind::Note: return inGraceGroup ? tGraceNotes : tNotes;
    case kind::Pause: return tRests;
    case kind::Chord: return tChordSymbols;
    case kind::Frame: return tGuitarFrames;
    case kind::Liga: return tSlursAndTies;
    case kind::Tuplet: return tTuplets;
    case kind::Dynamics: return tDynamics;
    case kind::Clef: return tClefs;
    case kind::Key: return tKeys;
    case kind::Meter: return tTimes;
    case kind::Tempo: return tTempos;
    case kind::Lyric: return tLyrics;
    case kind::Text:
    case kind::Term: return tTexts;
    case kind::InstrumentName: return tInstrumentNames;
    case kind::Image: return tPictures;
    case kind::Line:
    case kind::Rectangle:
    case kind::Ellipse:
    case kind::Arc:
    case kind::Pie:
    case kind::ChordSegment: return tDrawings;
    case kind::UserSymbolMark: return tUserSymbols;
    case kind::PageMark: return tPageNumbers;
    case kind::MidiEvent: return tMidiEvents;
    case kind::Effect: return tEffects;
    // A grace group is counted by its notes; dots and accidentals belong
    // to their notes.
    case kind::Vorschlag:
    case kind::Dot:
    case kind::Accidental: return -1;
    default: return tMarks;
  }
}

using TTallies = std::vector<int>;

void Count(const TQSItemList& items, TTallies& tallies, bool inGraceGroup = false) {
  for (const TQSItem* item : items) {
    if (const int t = TallyOf(item->ItemType, inGraceGroup); t >= 0) ++tallies[static_cast<size_t>(t)];
    if (const auto* holder = dynamic_cast<const TQSItemHolder*>(item))
      Count(holder->Items, tallies, inGraceGroup || item->ItemType == kind::Vorschlag);
  }
}

std::string Counted(int n, const char* singular, const char* plural) {
  return std::to_string(n) + " " + (n == 1 ? singular : plural);
}

std::string Joined(const std::vector<std::string>& words, const char* separator = ", ") {
  std::string out;
  for (const std::string& w : words) out += (out.empty() ? "" : separator) + w;
  return out;
}

// The title: the text of the first page in the largest type, the higher
// one of equal size (a title of several lines is one line here).
std::string TitleOf(const TQSScore& score) {
  const TQSText* best = nullptr;
  auto size = [](const TQSText& t) { return t.Fields.FontSize == 0 ? 8 : t.Fields.FontSize; };
  for (const TQSItem* item : score.Items) {
    const auto* text = dynamic_cast<const TQSText*>(item);
    if (!text || text->ItemType != kind::Text || text->Fields.Page != 1 || Joined(text->Lines).empty()) continue;
    if (!best || size(*text) > size(*best) || (size(*text) == size(*best) && text->Fields.Y < best->Fields.Y))
      best = text;
  }
  return best ? Joined(best->Lines, " ") : std::string();
}

void Line(std::string& out, const std::string& label, const std::string& value) {
  if (!value.empty()) out += "  " + label + ": " + value + "\n";
}

std::string Millimetres(int tenths) {
  char buf[32];
  std::snprintf(buf, sizeof buf, tenths % 10 ? "%.1f" : "%.0f", tenths / 10.0);
  return buf;
}

// Reads one file and prints its report; false when it could not be read.
bool ShowFile(const std::string& fileName) {
  std::printf("%s\n", fileName.c_str());
  try {
    // A folder, a pipe or a device is refused as what it is.
    CheckIsRegularFile(fileName);
  } catch (const std::exception& e) {
    std::printf("  error: %s\n", UserErrorText(e).c_str());
    return false;
  }
  if (!FileExists(fileName)) {
    std::printf("  error: there is no such file\n");
    return false;
  }
  TQSScore score;
  SetUpDocumentScore(score);
  AnswerChordText(score);
  try {
    score.LoadFromFile(fileName);
  } catch (const std::exception& e) {
    std::printf("  error: %s\n", UserErrorText(e).c_str());
    return false;
  }
  std::fputs(ContentsReport(score, IsNativeScoreName(fileName)).c_str(), stdout);
  return true;
}

}  // namespace

std::string ContentsReport(const TQSScore& score, bool native) {
  std::string out;
  Line(out, "Title", TitleOf(score));
  Line(out, "Composer", score.Composer);
  Line(out, "Lyricist", score.Poet);
  Line(out, "Rights", score.Rights);
  if (native) Line(out, "Format", "score file, format version " + std::to_string(score.FileVersion));
  TTallies tallies(tTallyCount, 0);
  Count(score.Items, tallies);
  for (int i = 0; i < score.PieceCount(); ++i) {
    const TQSPiece& piece = *score.GetPiece(i);
    for (int c = 0; c < piece.ColumnCount(); ++c) Count(piece.GetColumn(c)->Items, tallies);
    std::vector<std::string> parts;
    int measures = 0, staves = 0;
    for (int p = 0; p < piece.PartCount(); ++p) {
      const TQSPart& part = *piece.GetPart(p);
      std::string name = part.Name.empty() ? "(no name)" : part.Name;
      // A transposing instrument: how its written notes sound.
      if (const int shift = part.TransportShift(); shift != 0)
        name += " (sounding " + Counted(std::abs(shift), "semitone", "semitones") + (shift < 0 ? " lower)" : " higher)");
      parts.push_back(name);
      measures = std::max(measures, part.MeasureCount());
      staves += part.StaffCount();
      Count(part.Items, tallies);
      for (int m = 0; m < part.MeasureCount(); ++m) Count(part.GetMeasure(m)->Items, tallies);
    }
    std::string head = "Piece " + std::to_string(i + 1);
    if (!piece.Name.empty()) head += " \"" + piece.Name + "\"";
    std::string facts = Counted(measures, "measure", "measures") + ", " +
                        Counted(piece.PartCount(), "part", "parts") + ", " + Counted(staves, "staff", "staves");
    if (piece.Tempo() > 0) facts += ", tempo " + std::to_string(piece.Tempo()) + " beats a minute";
    out += "  " + head + ": " + facts + "\n";
    if (!parts.empty()) out += "    " + Joined(parts) + "\n";
  }
  const TQSPage& page = score.Page;
  const int width = page.Tenths(TQSPage::dWidth).Value(), height = page.Tenths(TQSPage::dHeight).Value();
  out += "  Page: " + Millimetres(width) + " x " + Millimetres(height) + " mm, " +
         (page.Orientation() == TQSOrientation::poLandscape ? "landscape" : "portrait") + ", scale " +
         std::to_string(score.Scale) + "%\n";
  std::vector<std::string> music;
  for (int t = 0; t < tTallyCount; ++t)
    if (const int n = tallies[static_cast<size_t>(t)]; n > 0)
      music.push_back(Counted(n, kTallyWords[t][0], kTallyWords[t][1]));
  if (!music.empty()) out += "  Music: " + Joined(music) + "\n";
  return out;
}

int PrintContents(const std::vector<std::string>& files) {
  EnsureGuiApplication();
  try {
    LoadMusicFont();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quillstave4: the music font could not be loaded: %s\n", e.what());
  }
  bool allRead = true;
  for (const std::string& file : files) allRead = ShowFile(file) && allRead;
  return allRead ? 0 : 1;
}

}  // namespace qs
