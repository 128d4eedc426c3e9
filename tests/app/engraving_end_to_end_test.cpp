// A MusicXML file from another program, all the way to pages: read into a
// score set up as the document window sets up its own, laid out on its A4
// page, painted, and exported as an image and as PDF, where a reviewer
// looks for what a user would see.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/documentscore.h"
#include "base/stream.h"
#include "chords/chordname.h"
#include "../common/layout_boxes.h"
#include "interchange/musicxml.h"
#include "layout/layout.h"
#include "layout/metrics.h"
#include "platform/bitmap.h"
#include "platform/drawdevice.h"
#include "platform/fonts.h"
#include "platform/imagedecode.h"
#include "platform/imagefile.h"
#include "platform/musicglyphs.h"
#include "render/window.h"
#include "score/dynamics.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"

namespace qs {
namespace {

// name is a path below the test data folder.
std::string Fixture(const std::string& name) {
  std::ifstream in(std::string(QS_TEST_DATA_DIR) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A score as the document window holds one, with the file read into it.
std::unique_ptr<TQSScore> OpenAsDocument(const std::string& fixture) {
  auto score = std::make_unique<TQSScore>();
  SetUpDocumentScore(*score);
  AnswerChordText(*score);
  const std::string xml = Fixture(fixture);
  TMemoryStream s(std::vector<uint8_t>(xml.begin(), xml.end()));
  ImportMusicXml(*score, s);
  return score;
}

// A grey image, row by row: 0 black .. 255 white.
struct TGrey {
  int Width = 0, Height = 0;
  std::vector<uint8_t> Pixels;
  bool Dark(int x, int y) const {
    return x >= 0 && y >= 0 && x < Width && y < Height && Pixels[static_cast<size_t>(y * Width + x)] < 128;
  }
};

TGrey GreyOf(const TBitmap& b) {
  TGrey g{b.Width(), b.Height(), {}};
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      const TColor c = b.Pixel(x, y);
      g.Pixels.push_back(static_cast<uint8_t>(((c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF)) / 3));
    }
  return g;
}

// A binary PGM as pdftoppm writes it.
TGrey ReadPgm(const std::string& bytes) {
  TGrey g;
  std::istringstream in(bytes);
  std::string magic;
  int maxValue = 0;
  in >> magic >> g.Width >> g.Height >> maxValue;
  in.get();
  if (magic != "P5" || g.Width <= 0 || g.Height <= 0) return {};
  g.Pixels.resize(static_cast<size_t>(g.Width) * static_cast<size_t>(g.Height));
  in.read(reinterpret_cast<char*>(g.Pixels.data()), static_cast<std::streamsize>(g.Pixels.size()));
  return g;
}

// The rows that hold a line at least `length` pixels long: the staff lines.
std::vector<int> LineRows(const TGrey& g, int length) {
  std::vector<int> rows;
  for (int y = 0; y < g.Height; ++y) {
    int run = 0, longest = 0;
    for (int x = 0; x < g.Width; ++x) {
      run = g.Dark(x, y) ? run + 1 : 0;
      longest = std::max(longest, run);
    }
    // Lines a pixel thick or drawn across two rows count once.
    if (longest >= length && (rows.empty() || rows.back() != y - 1)) rows.push_back(y);
  }
  return rows;
}

// The right edge of the final barline: the rightmost column dark from the
// staff's top line to its bottom line.
int FinalBarline(const TGrey& g, int top, int bottom) {
  for (int x = g.Width - 1; x >= 0; --x) {
    bool through = true;
    for (int y = top; y <= bottom && through; ++y) through = g.Dark(x, y);
    if (through) return x;
  }
  return -1;
}

// Checks every page image must pass: one staff of five lines, and nothing
// right of the final barline, staff lines included.
void ExpectOneStaffEndingAtItsBarline(const TGrey& g, int space) {
  const std::vector<int> rows = LineRows(g, 100);
  ASSERT_EQ(rows.size(), 5u);
  for (size_t i = 1; i < rows.size(); ++i) EXPECT_NEAR(rows[i] - rows[i - 1], space, 1);
  const int end = FinalBarline(g, rows[0], rows[4]);
  ASSERT_GT(end, 0);
  // The heavy line of the final barline is more than a pixel thick.
  EXPECT_TRUE(g.Dark(end - 1, (rows[0] + rows[4]) / 2));
  for (int y = rows[0] - 6 * space; y <= rows[4] + 6 * space; ++y)
    for (int x = end + 1; x < g.Width; ++x) ASSERT_FALSE(g.Dark(x, y)) << "ink at " << x << "," << y << " right of " << end;
}

// The file ends with an empty measure, as files from other programs often
// do; the export leaves such measures out, so it lives apart from the
// MusicXML fixtures that must survive export and import unchanged.
TEST(EngravingEndToEnd, MusicXmlToImageAndPdfPages) {
  LoadMusicFont();
  InstallLayout();
  auto score = OpenAsDocument("pages/concert.xml");
  TQSPiece& piece = *score->GetPiece(score->PieceCount() - 1);
  TQSMeasure& first = *piece.GetPart(0)->GetMeasure(0);
  // The chord symbol is named as the document window names it.
  TQSChord* chord = nullptr;
  for (TQSItem* item : first.Items)
    if (!chord) chord = dynamic_cast<TQSChord*>(item);
  ASSERT_NE(chord, nullptr);
  std::string name;
  for (const TQSChordFragment& f : chord->Patterns) name += f.Text;
  EXPECT_EQ(name, "C7");

  LayoutScore(*score, 0);
  ASSERT_EQ(score->LaidOutPages, 1);
  TQSPageView view;
  score->AttachWindow(&view);
  view.PrintTitle = "concert";
  view.Zoom = 100;

  // What the page paints: the black heads and the fortissimo.
  view.Style = wsExport;
  TRecordingCanvas rec;
  view.PaintPage(0, rec.Canvas, nullptr, 100, 100, 0, 0);
  view.Style = wsNormal;
  std::vector<TPoint> heads;
  TPoint ff{-1, -1};
  for (const TCanvasOp& op : rec.Recorder->CanvasOps()) {
    if (op.Kind != TCanvasOpKind::Text || op.Font.Name != MusicFontName || op.Text.empty()) continue;
    const int code = MusicGlyphCode(op.Text[0]);
    if (code == '5') heads.push_back(op.Points.empty() ? TPoint{} : op.Points[0]);
    if (code == dynamic::kFirstGlyph + dynamic::kFortissimo) ff = op.Points.empty() ? TPoint{} : op.Points[0];
  }
  ASSERT_EQ(heads.size(), 2u);  // G3 and C5; the half and the whole have hollow heads
  ASSERT_GE(ff.X, 0);

  // The page as an image (the page export), kept as PNG and read back.
  TMemoryStream bmp;
  view.ExportPage(bmp, 0, 1, 1, 1, 90, false);
  TBitmap page;
  ASSERT_TRUE(LoadBitmapFromBytes(page, bmp.Bytes()));
  const std::string png = std::filesystem::temp_directory_path() / ("qs_" + std::to_string(::getpid()) + "_concert.png");
  SaveBitmapToPng(page, png);
  std::ifstream pngIn(png, std::ios::binary);
  const std::vector<uint8_t> pngBytes((std::istreambuf_iterator<char>(pngIn)), {});
  std::filesystem::remove(png);
  TBitmap fromPng;
  ASSERT_TRUE(LoadBitmapFromBytes(fromPng, pngBytes));
  const TGrey g = GreyOf(fromPng);
  // A4 at 96 pixels per inch.
  EXPECT_NEAR(g.Width, 794, 1);
  EXPECT_NEAR(g.Height, 1123, 1);
  const int space = 6;
  ExpectOneStaffEndingAtItsBarline(g, space);
  const int top = LineRows(g, 100).at(0);

  // Glyphs written by their top-left corner stand with their baseline 33
  // pixels lower at 16 points; a head's centre is on its baseline.
  constexpr int kBaseline = 33;
  std::sort(heads.begin(), heads.end(), [](TPoint a, TPoint b) { return a.X < b.X; });
  const TPoint c5 = heads[1];
  EXPECT_EQ(c5.Y + kBaseline, top + 3 * space / 2);  // C5 in the third space from the top
  const int headWidth = TextWidth([] {
    TFont f;
    f.Name = MusicFontName;
    f.PixelsPerInch = 96;
    f.SetSize(16);
    return f;
  }(), MusicGlyphText(glyphs::NoteheadBlack));
  EXPECT_TRUE(g.Dark(c5.X + headWidth / 2, top + 3 * space / 2)) << "no head at " << c5.X << "," << top + 9;
  // G3 hangs two ledger lines below the staff; the fortissimo stands
  // below it, its letters drawn.
  const TPoint g3 = heads[0];
  const int g3Bottom = top + 13 * space / 2 + space / 2;
  EXPECT_EQ(g3.Y + kBaseline, top + 13 * space / 2);
  EXPECT_GT(ff.Y + kBaseline, g3Bottom + 3 * space / 2);  // its ascenders clear the head
  bool letters = false;
  for (int x = ff.X; x < ff.X + 20; ++x) letters = letters || g.Dark(x, ff.Y + kBaseline);
  EXPECT_TRUE(letters);

  // The same page as PDF: one A4 page whose picture shows the same staff.
  const std::string pdf = std::filesystem::temp_directory_path() / ("qs_" + std::to_string(::getpid()) + "_concert.pdf");
  view.ExportPDF(pdf, 1, score->LaidOutPages, 100, true, false);
  score->DetachWindow(&view);
  ASSERT_TRUE(std::filesystem::exists(pdf));
  if (std::system("command -v pdftoppm >/dev/null 2>&1") != 0) {
    std::filesystem::remove(pdf);
    GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed: tools/install-deps.sh installs it";
  }
  auto run = [](const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::array<char, 65536> buf;
    size_t n;
    while (pipe && (n = std::fread(buf.data(), 1, buf.size(), pipe.get())) > 0) out.append(buf.data(), n);
    return out;
  };
  const std::string info = run("pdfinfo '" + pdf + "' 2>/dev/null");
  auto field = [&](const std::string& name) {
    const size_t at = info.find("\n" + name + ":");
    if (at == std::string::npos) return std::string();
    const size_t from = info.find_first_not_of(' ', at + name.size() + 2);
    return info.substr(from, info.find('\n', from) - from);
  };
  EXPECT_EQ(field("Pages"), "1") << info;
  EXPECT_TRUE(field("Page size").starts_with("595 x 842")) << info;  // A4 in points
  const TGrey p = ReadPgm(run("pdftoppm -r 96 -gray -f 1 -l 1 '" + pdf + "' 2>/dev/null"));
  std::filesystem::remove(pdf);
  ASSERT_GT(p.Width, 0);
  EXPECT_NEAR(p.Width, 794, 1);
  ExpectOneStaffEndingAtItsBarline(p, space);
  EXPECT_NEAR(LineRows(p, 100).at(0), top, 2);
}

// The names of imported chord kinds, as the document window draws them.
TEST(EngravingEndToEnd, ImportedChordKindsAreNamed) {
  auto score = OpenAsDocument("musicxml/harmony.xml");
  TQSPart& part = *score->GetPiece(score->PieceCount() - 1)->GetPart(0);
  std::vector<std::string> names;
  for (int m = 0; m < part.MeasureCount(); ++m)
    for (TQSItem* item : part.GetMeasure(m)->Items)
      if (auto* chord = dynamic_cast<TQSChord*>(item)) {
        std::string name;
        for (const TQSChordFragment& f : chord->Patterns) name += f.Text;
        names.push_back(name);
      }
  EXPECT_EQ(names, (std::vector<std::string>{"C7", "D+", "Edim", "F#dim7", "Gm7b5", "Am#7", "Bb9", "C11",
                                             "D13/F#", "Ebmaj7"}));
}

// A lead sheet's changes as other programs write them (kinds, degrees,
// suspensions, a slash bass) read back as the symbols the file shows.
TEST(EngravingEndToEnd, ChordChangesAreNamedAsTheFileWritesThem) {
  auto score = OpenAsDocument("musicxml/changes.xml");
  TQSPart& part = *score->GetPiece(score->PieceCount() - 1)->GetPart(0);
  std::vector<std::string> names;
  for (int m = 0; m < part.MeasureCount(); ++m)
    for (TQSItem* item : part.GetMeasure(m)->Items)
      if (auto* chord = dynamic_cast<TQSChord*>(item)) {
        std::string name;
        for (const TQSChordFragment& f : chord->Patterns) name += f.Text;
        names.push_back(name);
      }
  EXPECT_EQ(names, (std::vector<std::string>{"Cmaj7#11", "Adim7", "B7#5#9", "Dadd2", "E+", "Bbm7b5", "F#m7/A",
                                             "G7b9b13", "Gsus4", "C7omit3", "Eb6add9", "Amadd4"}));
}

// Chord symbols with their added and altered degrees, as other programs
// write them: the degrees the chord code holds are named, and the sharps
// and flats of imported symbols are drawn as music signs; the symbols
// keep clear of each other and of the notes.
TEST(EngravingEndToEnd, ImportedChordDegreesAreNamedWithMusicSigns) {
  LoadMusicFont();  // measured as the program measures it
  auto score = OpenAsDocument("musicxml/pages/chord_degrees.xml");
  LayoutScore(*score, 0);
  TQSPart& part = *score->GetPiece(score->PieceCount() - 1)->GetPart(0);
  std::vector<std::string> names;
  std::vector<std::vector<TChordRun>> runs;
  for (int m = 0; m < part.MeasureCount(); ++m)
    for (TQSItem* item : part.GetMeasure(m)->Items)
      if (auto* chord = dynamic_cast<TQSChord*>(item)) {
        std::string name;
        std::vector<TChordRun> signs;
        for (const TQSChordFragment& f : chord->Patterns) {
          name += f.Text;
          for (const TChordRun& r : ChordFragmentRuns(f.Text)) signs.push_back(r);
        }
        names.push_back(name);
        runs.push_back(signs);
      }
  EXPECT_EQ(names, (std::vector<std::string>{"Cmaj7#11", "B7#5#9", "Ebadd2", "Adim7", "A+", "G7b9b13"}));
  ASSERT_EQ(runs.size(), 6u);
  auto glyphs = [](const std::vector<TChordRun>& r) {
    std::string g;
    for (const TChordRun& x : r) g += x.Glyph == glyphs::AccidentalSharp ? "#" : x.Glyph == glyphs::AccidentalFlat ? "b" : "";
    return g;
  };
  EXPECT_EQ(glyphs(runs[0]), "#");
  EXPECT_EQ(glyphs(runs[1]), "##");
  EXPECT_EQ(glyphs(runs[2]), "b");
  EXPECT_EQ(glyphs(runs[3]), "");
  EXPECT_EQ(glyphs(runs[5]), "bb");
  const std::vector<TRect> chords = test::BoxesOf(*score, kind::Chord), notes = test::BoxesOf(*score, kind::Note, true);
  ASSERT_EQ(chords.size(), 6u);
  for (size_t i = 0; i < chords.size(); ++i) {
    for (size_t j = i + 1; j < chords.size(); ++j) EXPECT_FALSE(test::Overlap(chords[i], chords[j])) << i << " on " << j;
    for (const TRect& n : notes) EXPECT_FALSE(test::Overlap(chords[i], n)) << "chord symbol " << i << " on a note";
  }
}

// In a song with chord symbols and lyrics, words above go over the chord
// symbols, and dynamics and hairpins below go under the verses: no two of
// them share a place.
TEST(EngravingEndToEnd, WordsChordSymbolsVersesAndDynamicsKeepApart) {
  LoadMusicFont();  // measured as the program measures it
  auto score = OpenAsDocument("musicxml/song.xml");
  LayoutScore(*score, 0);
  using test::BoxesOf;
  const std::vector<TRect> words = BoxesOf(*score, kind::Term), chords = BoxesOf(*score, kind::Chord);
  const std::vector<TRect> verses = BoxesOf(*score, kind::Lyric), signs = BoxesOf(*score, kind::Dynamics);
  ASSERT_FALSE(words.empty());
  ASSERT_FALSE(verses.empty());
  ASSERT_FALSE(signs.empty());
  ASSERT_FALSE(chords.empty());
  for (const TRect& c : chords) ASSERT_GT(c.Height(), 0);  // the symbols have their text
  for (const TRect& w : words)
    for (const TRect& c : chords) EXPECT_FALSE(test::Overlap(w, c)) << "words on a chord symbol";
  for (const TRect& d : signs)
    for (const TRect& v : verses) EXPECT_FALSE(test::Overlap(d, v)) << "a dynamic among the syllables";
}

// What a page draws: each element with a box, of the items a musician
// reads as separate things. A note's head, stem, beam, accidentals and
// dots, and the heads of a chord, are one drawing and may touch; slurs,
// ties, brackets and voltas are arcs and lines whose boxes hold the
// music under them.
struct TDrawnElement {
  const TQSCalcItem* Element;
  int Kind;
  std::string What() const {
    std::ostringstream o;
    o << "kind " << Kind << " at " << Element->Box.Left << "," << Element->Box.Top << "-" << Element->Box.Right << ","
      << Element->Box.Bottom;
    if (Element->Item) {
      if (const TQSMeasure* m = Element->Item->GetMeasure())
        o << " (part " << m->Part()->Index + 1 << ", measure " << m->Index + 1 << ")";
      o << " tick " << Element->Item->TimePosition();
    }
    return o.str();
  }
};

bool IsNotePart(int kind) {
  return kind == kind::Note || kind == kind::Pause || kind == kind::Accidental || kind == kind::Dot ||
         kind == kind::Vorschlag || kind == kind::Arpeggio;
}

std::vector<TDrawnElement> DrawnElements(const TQSScore& score, int pageIndex) {
  std::vector<TDrawnElement> out;
  test::ForEachPageElement(score, pageIndex, [&](const TQSCalcSystem&, const TQSCalcItem& e) {
    if (!e.Item || e.Box.Width() <= 0 || e.Box.Height() <= 0) return;
    const int k = e.Item->ItemType;
    if (k == kind::Liga || k == kind::Tuplet || k == kind::Accolade || k == kind::Volta) return;
    if (e.ElementType == element::Stem || e.ElementType == element::Beam) out.push_back({&e, kind::Note});
    else if (e.ElementType == element::Item) out.push_back({&e, k});
  });
  return out;
}

// No two drawn things of a page share a place.
void ExpectNoOverlaps(const TQSScore& score) {
  for (int p = 0; p < score.LaidOutPages; ++p) {
    const std::vector<TDrawnElement> drawn = DrawnElements(score, p);
    int marks = 0;
    for (size_t i = 0; i < drawn.size(); ++i) {
      if (!IsNotePart(drawn[i].Kind)) ++marks;
      for (size_t j = i + 1; j < drawn.size(); ++j) {
        const TDrawnElement& a = drawn[i];
        const TDrawnElement& b = drawn[j];
        if (a.Element->Item == b.Element->Item) continue;
        if (IsNotePart(a.Kind) && IsNotePart(b.Kind)) continue;
        EXPECT_FALSE(test::Overlap(a.Element->Box, b.Element->Box)) << "page " << p + 1 << ": " << a.What() << " on "
                                                                     << b.What();
      }
    }
    EXPECT_GT(marks, 10);
  }
}

// A two-staff piano excerpt and a string quartet excerpt as other programs
// write them: words, dynamics, hairpins, pedal marks, articulations and
// fermatas stand clear of the notes and of each other on every staff.
TEST(EngravingEndToEnd, PianoAndQuartetExcerptsDrawNothingOnAnything) {
  LoadMusicFont();
  InstallLayout();
  for (const char* name : {"pages/piano_excerpt.xml", "pages/quartet_excerpt.xml"}) {
    SCOPED_TRACE(name);
    auto score = OpenAsDocument(name);
    LayoutScore(*score, 0);
    ASSERT_EQ(score->LaidOutPages, 1);
    ExpectNoOverlaps(*score);
  }
}

}  // namespace
}  // namespace qs
