// Files shaped like those other notation programs write, read and laid
// out: probes on the pages say where each thing landed (the page and
// system of a measure, the staff a mark stands on, boxes that must not
// touch).
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "../common/layout_boxes.h"
#include "base/text.h"
#include "layout/layout.h"
#include "layout/steps.h"
#include "musicxml_support.h"
#include "platform/drawdevice.h"
#include "platform/fonts.h"
#include "platform/musicglyphs.h"
#include "render/window.h"
#include "score/calcrecords.h"
#include "score/clefs.h"
#include "score/dynamics.h"
#include "score/headstyles.h"
#include "score/marks.h"
#include "score/page.h"
#include "score/pageobjects.h"

namespace qs::test {
namespace {

// The file read into a score on an A4 page, as a document holds one, and
// laid out.
std::unique_ptr<TQSScore> LaidOut(const std::string& name) {
  LoadMusicFont();  // measured as the program measures it
  auto score = std::make_unique<TQSScore>();
  score->Page.Fields.Width = 2100.0L;
  score->Page.Fields.Height = 2970.0L;
  const std::string xml = ReadFile(std::string(QS_TEST_DATA_DIR) + "/musicxml/pages/" + name);
  TMemoryStream s(std::vector<uint8_t>(xml.begin(), xml.end()));
  ImportMusicXml(*score, s);
  LayoutScore(*score, 0);
  return score;
}

// Every laid-out element of every page, with the page it lies on.
void ForEachElement(const TQSScore& score, const std::function<void(int, const TQSCalcSystem&, const TQSCalcItem&)>& f) {
  for (int p = 0; p < score.LaidOutPages; ++p)
    ForEachPageElement(score, p, [&](const TQSCalcSystem& system, const TQSCalcItem& e) { f(p, system, e); });
}

// Where a measure landed: its page, and whether it opens its system.
struct TLanding {
  int Page = -1;
  bool OpensSystem = false;
};

TLanding LandingOf(const TQSScore& score, int measure) {
  for (int p = 0; p < score.LaidOutPages; ++p) {
    const TQSCalcPage& page = *score.LayoutPages.At(p);
    for (int s = 0; s < page.SystemCount; ++s) {
      const TQSCalcSystem& system = *page.Systems.At(s);
      for (int m = 0; m < system.MeasureCount; ++m)
        if (system.Measures.At(m)->MeasureIndex == measure) return {p, m == 0};
    }
  }
  return {};
}

const TQSCalcItem* ElementOf(const TQSScore& score, const TQSItem* item) {
  const TQSCalcItem* found = nullptr;
  ForEachElement(score, [&](int, const TQSCalcSystem&, const TQSCalcItem& e) {
    if (e.Item == item && e.ElementType == element::Item && !found) found = &e;
  });
  return found;
}

// The part whose staves lie nearest to a height of the system.
const TQSPart* NearestPart(const TQSCalcSystem& system, int y) {
  const TQSPart* nearest = nullptr;
  int best = INT_MAX;
  for (size_t i = 0; i < system.Parts.Capacity(); ++i) {
    const TQSCalcSystemPart* part = system.Parts.At(i);
    if (!part || !part->Part) continue;
    const int distance = y < part->Top ? part->Top - y : y > part->Bottom ? y - part->Bottom : 0;
    if (distance < best) {
      best = distance;
      nearest = part->Part;
    }
  }
  return nearest;
}

// A page or system break the file marks on a measure starts the page or
// system with that measure.
TEST(MusicXmlPages, BreaksStartTheirMeasure) {
  auto score = LaidOut("breaks.xml");
  ASSERT_EQ(score->LaidOutPages, 2);
  EXPECT_TRUE(LandingOf(*score, 2).OpensSystem);
  EXPECT_FALSE(LandingOf(*score, 3).OpensSystem);
  EXPECT_EQ(LandingOf(*score, 4).Page, 0);
  EXPECT_EQ(LandingOf(*score, 5).Page, 1);
  EXPECT_TRUE(LandingOf(*score, 5).OpensSystem);
  EXPECT_EQ(LandingOf(*score, 7).Page, 1);
}

// Staccatos of the lower parts of a quartet stand at their own notes,
// though the top part holds a note at the same time.
TEST(MusicXmlPages, ArticulationsStayOnTheirStaff) {
  auto score = LaidOut("quartet_staccato.xml");
  int staccatos = 0;
  ForEachElement(*score, [&](int, const TQSCalcSystem& system, const TQSCalcItem& e) {
    if (!e.Item || e.ElementType != element::Item || e.Item->ItemType != kind::Staccato) return;
    ++staccatos;
    const TQSPart* own = e.Item->GetMeasure()->Part();
    EXPECT_EQ(NearestPart(system, (e.Box.Top + e.Box.Bottom) / 2), own)
        << "a staccato of part " << own->Index + 1 << " at " << e.Item->TimePosition();
    // Beside the head of its own note.
    const TQSNote* note = nullptr;
    for (TQSItem* item : e.Item->GetMeasure()->Items)
      if (item->ItemType == kind::Note && item->TimePosition() == e.Item->TimePosition())
        note = static_cast<const TQSNote*>(item);
    ASSERT_NE(note, nullptr);
    const TQSCalcItem* head = ElementOf(*score, note);
    ASSERT_NE(head, nullptr);
    EXPECT_LT(std::abs((e.Box.Left + e.Box.Right) / 2 - (head->Box.Left + head->Box.Right) / 2), head->Box.Width());
    EXPECT_LT(std::abs(e.Box.Top - head->Box.Top), 3 * 48);
  });
  EXPECT_EQ(staccatos, 12);
}

// Grace notes written without a type are eighths, each drawn between the
// main notes around it; the first keeps its slash.
TEST(MusicXmlPages, GraceNotesWithoutATypeAreEighths) {
  auto score = LaidOut("graces_untyped.xml");
  const TQSMeasure& m = *LastPiece(*score)->GetPart(0)->GetMeasure(0);
  std::vector<const TQSNote*> mains, graces;
  std::vector<const TQSVorschlag*> groups;
  for (TQSItem* item : m.Items) {
    if (item->ItemType == kind::Note) mains.push_back(static_cast<const TQSNote*>(item));
    if (auto* group = dynamic_cast<const TQSVorschlag*>(item)) {
      groups.push_back(group);
      for (TQSItem* g : group->Items) graces.push_back(static_cast<const TQSNote*>(g));
    }
  }
  ASSERT_EQ(mains.size(), 2u);
  ASSERT_EQ(graces.size(), 3u);
  ASSERT_EQ(groups.size(), 2u);
  for (const TQSNote* g : graces) EXPECT_EQ(g->Fields.Length, kTicksEighth);
  EXPECT_TRUE(groups[0]->Fields.Flags & TQSVorschlag::kShortStyle);
  EXPECT_FALSE(groups[1]->Fields.Flags & TQSVorschlag::kShortStyle);
  const TQSCalcItem* c5 = ElementOf(*score, mains[0]);
  const TQSCalcItem* g4 = ElementOf(*score, mains[1]);
  ASSERT_TRUE(c5 && g4);
  for (size_t i = 0; i < graces.size(); ++i) {
    const TQSCalcItem* head = ElementOf(*score, graces[i]);
    ASSERT_NE(head, nullptr) << "grace note " << i << " is not drawn";
    const TQSCalcItem* next = i == 0 ? c5 : g4;
    EXPECT_LE(head->Box.Right, next->Box.Left) << "grace note " << i << " on its main note";
    if (i > 0) {
      EXPECT_GE(head->Box.Left, c5->Box.Right) << "grace note " << i << " on the note before";
    }
  }
  EXPECT_LT(ElementOf(*score, graces[1])->Box.Right, ElementOf(*score, graces[2])->Box.Left + 1);
}

// Eighth chords beamed with the beam given at the first note of each
// chord only: one beam from the first chord to the last.
TEST(MusicXmlPages, BeamsFromAndToChordsAreKept) {
  auto score = LaidOut("chord_beams.xml");
  const TQSMeasure& m = *LastPiece(*score)->GetPart(0)->GetMeasure(0);
  for (TQSNote* n : NotesOf(m)) EXPECT_NE(n->BeamGroup, 0) << "the note at " << n->Fields.Time << " is not beamed";
  std::vector<const TQSCalcItem*> beams;
  ForEachElement(*score, [&](int, const TQSCalcSystem&, const TQSCalcItem& e) {
    if (e.ElementType == element::Beam) beams.push_back(&e);
  });
  ASSERT_EQ(beams.size(), 1u);
  ASSERT_GE(beams[0]->Links.size(), 2u);
  EXPECT_EQ(beams[0]->Links.front()->Item->TimePosition(), 0);
  EXPECT_EQ(beams[0]->Links.back()->Item->TimePosition(), 3 * kTicksEighth);
}

// Titles, composer, lyricist and rights a file gives as credits stand at
// their places on the first page with their line breaks; a title that the
// work, the movement and a credit all give is printed once; all of them
// clear of each other and of the first system.
TEST(MusicXmlPages, CreditsStandWhereTheFilePutsThem) {
  auto score = LaidOut("credits.xml");
  std::vector<const TQSText*> texts;
  for (TQSItem* item : score->Items)
    if (item->ItemType == kind::Text && static_cast<TQSText*>(item)->Fields.Page == 1)
      texts.push_back(static_cast<const TQSText*>(item));
  auto find = [&](const std::string& first) -> const TQSText* {
    const TQSText* found = nullptr;
    int count = 0;
    for (const TQSText* t : texts)
      if (!t->Lines.empty() && t->Lines[0] == first) {
        found = t;
        ++count;
      }
    EXPECT_LE(count, 1) << first << " is printed " << count << " times";
    return found;
  };
  const TQSText* title = find("Sonatine");
  const TQSText* subtitle = find("for piano");
  const TQSText* composer = find("M. Clementi");
  const TQSText* lyricist = find("Arranged by");
  const TQSText* opus = find("Op. 36 No. 1");
  const TQSText* rights = find("Public domain");
  ASSERT_TRUE(title && subtitle && composer && lyricist && opus && rights);
  EXPECT_EQ(texts.size(), 6u);
  EXPECT_EQ(lyricist->Lines, (std::vector<std::string>{"Arranged by", "A. Arranger"}));
  EXPECT_EQ(title->Fields.FontSize, 24);
  auto box = [](const TQSText* t) {
    return TRect{t->Fields.X, t->Fields.Y, t->Fields.X + t->Fields.Width, t->Fields.Y + t->Fields.Height};
  };
  for (const TQSText* t : texts) ASSERT_GT(box(t).Width(), 0) << t->Lines[0] << " is not measured";
  // Centred, right and left as the file has them, top to bottom in its order.
  const int middle = (box(title).Left + box(title).Right) / 2;
  EXPECT_NEAR((box(subtitle).Left + box(subtitle).Right) / 2, middle, 16);
  EXPECT_NEAR((box(rights).Left + box(rights).Right) / 2, middle, 16);
  EXPECT_GT(box(composer).Left, middle);
  EXPECT_NEAR(box(composer).Right, box(opus).Right, 16);
  EXPECT_LT(box(lyricist).Right, middle);
  EXPECT_GT(box(lyricist).Height(), 2 * box(composer).Height() - 16);
  EXPECT_LT(box(title).Bottom, box(subtitle).Top + 1);
  EXPECT_LT(box(composer).Bottom, box(opus).Top + 1);
  const TQSCalcPage& page = *score->LayoutPages.At(0);
  EXPECT_GT(box(rights).Top, page.StaffRows.At(0)->Bottom);
  for (size_t i = 0; i < texts.size(); ++i) {
    for (size_t j = i + 1; j < texts.size(); ++j)
      EXPECT_FALSE(Overlap(box(texts[i]), box(texts[j]))) << texts[i]->Lines[0] << " on " << texts[j]->Lines[0];
    // The first system's highest note (C6, two ledger lines up) stays clear.
    if (texts[i] != rights) {
      EXPECT_LT(box(texts[i]).Bottom, page.StaffRows.At(0)->Top - 2 * 48) << texts[i]->Lines[0] << " on the music";
    }
  }
}

// A part whose file gives no clef is read and drawn in the treble clef:
// E4 stands on the bottom line.
TEST(MusicXmlPages, APartWithoutAClefHasTheTrebleClef) {
  auto score = LaidOut("no_clef.xml");
  std::set<const TQSItem*> clefs;
  ForEachElement(*score, [&](int, const TQSCalcSystem&, const TQSCalcItem& e) {
    if (e.ElementType == element::Item && e.Item && e.Item->ItemType == kind::Clef) clefs.insert(e.Item);
  });
  ASSERT_EQ(clefs.size(), 1u);
  EXPECT_EQ(static_cast<const TQSMark*>(*clefs.begin())->Fields.Kind, clef::Treble);
  const TQSMeasure& m = *LastPiece(*score)->GetPart(0)->GetMeasure(0);
  const TQSCalcItem* head = ElementOf(*score, NotesOf(m).at(0));
  ASSERT_NE(head, nullptr);
  EXPECT_NEAR((head->Box.Top + head->Box.Bottom) / 2, score->LayoutPages.At(0)->StaffRows.At(0)->BottomLine, 8);
}

// A syllable after an open word is joined by a hyphen; a first syllable
// the file calls a middle is not. A key repeated with only its mode
// changed is not drawn again. Words at the end of a full system end with
// it instead of running off the page.
TEST(MusicXmlPages, HyphensKeysAndWordsAtTheEdge) {
  auto score = LaidOut("texts.xml");
  const TQSPart& part = *LastPiece(*score)->GetPart(0);
  std::vector<std::pair<std::string, bool>> syllables;
  for (int m = 0; m < 2; ++m)
    for (TQSLyric* l : ItemsOf<TQSLyric>(*part.GetMeasure(m), kind::Lyric))
      syllables.push_back({l->Lines.at(0), (l->Fields.Flags & TQSLyric::kHyphen) != 0});
  EXPECT_EQ(syllables, (std::vector<std::pair<std::string, bool>>{
                           {"la", false}, {"Hal", false}, {"le", true}, {"lu", true}, {"jah", true}, {"sing", false}}));
  int modeKeys = 0, changedKeys = 0;
  const TQSCalcItem* words = nullptr;
  const TQSCalcSystem* wordsSystem = nullptr;
  ForEachElement(*score, [&](int, const TQSCalcSystem& system, const TQSCalcItem& e) {
    if (e.ElementType != element::Item || !e.Item) return;
    if (e.Item->ItemType == kind::Key && e.Owner) {
      modeKeys += e.Owner->MeasureIndex == 1;
      changedKeys += e.Owner->MeasureIndex == 2;
    }
    if (e.Item->ItemType == kind::Term) {
      words = &e;
      wordsSystem = &system;
    }
  });
  EXPECT_EQ(modeKeys, 0);
  EXPECT_EQ(changedKeys, 1);
  ASSERT_NE(words, nullptr);
  EXPECT_EQ(LandingOf(*score, 3).Page, 0);
  EXPECT_FALSE(LandingOf(*score, 3).OpensSystem);
  EXPECT_TRUE(LandingOf(*score, 4).OpensSystem);
  EXPECT_LE(words->Box.Right, wordsSystem->Right);
  EXPECT_LE(words->Box2.Right, wordsSystem->Right);
}

// A point of the arc a tie or slur element draws (as the renderer draws
// it at the score's own scale).
TPoint ArcPoint(const TQSCalcItem& e, double t) {
  const auto& f = static_cast<const TQSLiga*>(e.Item)->Fields;
  const TRect& u = e.Box2;
  const double k = e.Param2 <= 0 ? 1.0 : std::sqrt(std::abs(u.Right - u.Left) / static_cast<double>(e.Param2));
  const double x[4] = {double(u.Left), u.Left + f.CurveStartDX * k, u.Right + f.CurveEndDX * k, double(u.Right)};
  const double y[4] = {double(u.Top), u.Top + f.CurveStartDY * k, u.Bottom + f.CurveEndDY * k, double(u.Bottom)};
  const double v = 1 - t, w[4] = {v * v * v, 3 * v * v * t, 3 * v * t * t, t * t * t};
  return {static_cast<int>(w[0] * x[0] + w[1] * x[1] + w[2] * x[2] + w[3] * x[3]),
          static_cast<int>(w[0] * y[0] + w[1] * y[1] + w[2] * y[2] + w[3] * y[3])};
}

// Slurs start and end at their notes, on the side the file or the stem
// gives, and arc over or under the heads, stems and beams between; the
// slur from a grace note to its main note is a short, low arc.
TEST(MusicXmlPages, SlursRunFromNoteToNoteClearOfTheMusic) {
  auto score = LaidOut("slurs.xml");
  struct TSlur {
    const TQSCalcItem* Element;
    const TQSNote* First;
  };
  std::vector<TSlur> slurs;
  std::vector<const TQSCalcItem*> music;  // heads, stems, beams
  ForEachElement(*score, [&](int, const TQSCalcSystem&, const TQSCalcItem& e) {
    if (e.ElementType == element::Stem || e.ElementType == element::Beam) music.push_back(&e);
    if (e.ElementType != element::Item || !e.Item) return;
    if (e.Item->ItemType == kind::Note) music.push_back(&e);
    if (e.Item->ItemType == kind::Liga && !static_cast<const TQSLiga*>(e.Item)->EndFromStart())
      slurs.push_back({&e, dynamic_cast<const TQSNote*>(dynamic_cast<TQSItemHolder*>(e.Item->Owner()))});
  });
  ASSERT_EQ(slurs.size(), 5u);
  const int S = 48;
  auto headOf = [&](const TQSNote* n) { return ElementOf(*score, n)->Box; };
  auto noteAt = [&](int measure, int tick) {
    for (TQSNote* n : NotesOf(*LastPiece(*score)->GetPart(0)->GetMeasure(measure)))
      if (n->Fields.Time == tick && !n->GraceGroup()) return static_cast<const TQSNote*>(n);
    return static_cast<const TQSNote*>(nullptr);
  };
  // First note's measure and tick, last note's, and the side.
  struct TWant {
    int Measure, Tick, EndMeasure, EndTick;
    bool Below;
  };
  const int q = kTicksQuarter, e8 = kTicksEighth;
  const TWant wants[] = {{0, 0, 0, 3 * e8, false}, {0, 2 * q, 0, 3 * q, true}, {1, 0, 1, 3 * q, true},
                         {2, 2 * q, 3, 0, false},  {3, 0, 3, 0, true}};
  for (size_t i = 0; i < slurs.size(); ++i) {
    const TQSCalcItem& e = *slurs[i].Element;
    const TWant& want = wants[i];
    const bool grace = slurs[i].First->GraceGroup() != nullptr;
    SCOPED_TRACE("slur " + std::to_string(i + 1));
    ASSERT_EQ(slurs[i].First->GetMeasure()->Index, want.Measure);
    if (!grace) {
      ASSERT_EQ(slurs[i].First, noteAt(want.Measure, want.Tick));
    }
    const TRect from = headOf(slurs[i].First), to = headOf(noteAt(want.EndMeasure, want.EndTick));
    const TPoint a = ArcPoint(e, 0), b = ArcPoint(e, 1), mid = ArcPoint(e, 0.5);
    // The ends stand at the notes (beside the stem's tip at most).
    EXPECT_NEAR(a.X, (from.Left + from.Right) / 2, S);
    EXPECT_NEAR(b.X, (to.Left + to.Right) / 2, S);
    EXPECT_EQ(mid.Y > (a.Y + b.Y) / 2, want.Below) << "arcs on the wrong side";
    if (grace) {
      EXPECT_LT(b.X - a.X, 3 * S);
      EXPECT_LT(std::abs(mid.Y - (a.Y + b.Y) / 2), S);
      EXPECT_GT(std::min(a.Y, b.Y), std::max(from.Top, to.Top)) << "a grace slur under the heads";
      EXPECT_LT(std::max(a.Y, b.Y), std::max(from.Bottom, to.Bottom) + S) << "a grace slur close to the heads";
      continue;
    }
    // Nothing between the ends is crossed.
    for (const TQSCalcItem* m : music) {
      const auto* n = dynamic_cast<const TQSNote*>(m->Item);
      if (n == slurs[i].First || n == noteAt(want.EndMeasure, want.EndTick)) continue;
      for (int k = 1; k < 64; ++k) {
        const TPoint p = ArcPoint(e, k / 64.0);
        EXPECT_FALSE(p.X > m->Box.Left && p.X < m->Box.Right && p.Y > m->Box.Top && p.Y < m->Box.Bottom)
            << "crosses an element of type " << int(m->ElementType) << " at " << p.X << "," << p.Y;
      }
    }
  }
}

// Tuplets of every ratio the score holds (3:2, 5:4, 6:4, 2:3, and 5:4
// counted in eighths as 5:2) show their number on the side the file
// places them, else on the stem side, by the heads and clear of the
// notes, stems and beams and of the staff lines.
TEST(MusicXmlPages, TupletsStandWhereTheFilePlacesThem) {
  auto score = LaidOut("tuplets_placed.xml");
  struct TTuplet {
    int Measure, Kind;
    bool Below;
  };
  std::vector<TTuplet> got;
  std::vector<TRect> brackets, music;
  const TQSCalcStaff& row = *score->LayoutPages.At(0)->StaffRows.At(0);
  ForEachElement(*score, [&](int, const TQSCalcSystem&, const TQSCalcItem& e) {
    if (e.ElementType == element::Stem || e.ElementType == element::Beam) music.push_back(e.Box);
    if (e.ElementType != element::Item || !e.Item) return;
    if (e.Item->ItemType == kind::Note) music.push_back(e.Box);
    if (e.Item->ItemType != kind::Tuplet) return;
    const auto* mark = static_cast<const TQSMark*>(e.Item);
    got.push_back({mark->GetMeasure()->Index, mark->Fields.Kind, (e.Box.Top + e.Box.Bottom) / 2 > row.BottomLine});
    brackets.push_back(e.Box2);
  });
  // The last, five sixteenths "in the time of 2 eighths", is the 5:4.
  const std::vector<std::tuple<int, int, bool>> want = {{0, 3, false}, {0, 3, true}, {0, 3, false},
                                                         {1, 5, false}, {1, 6, true}, {2, 2, false},
                                                         {3, 5, false}};
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) {
    SCOPED_TRACE("tuplet " + std::to_string(i + 1));
    EXPECT_EQ(got[i].Measure, std::get<0>(want[i]));
    EXPECT_EQ(got[i].Kind, std::get<1>(want[i]));
    EXPECT_EQ(got[i].Below, std::get<2>(want[i])) << "on the wrong side";
    // The bracket's line runs from (Left, Top) to (Right, Bottom).
    const TRect& b = brackets[i];
    const int nearest = got[i].Below ? std::min(b.Top, b.Bottom) : std::max(b.Top, b.Bottom);
    EXPECT_TRUE(got[i].Below ? nearest >= row.BottomLine : nearest <= row.TopLine) << "on the staff lines";
    EXPECT_LT(std::abs(nearest - (got[i].Below ? row.BottomLine : row.TopLine)), 4 * 48) << "far from the notes";
    auto lineAt = [&](int x) { return b.Top + (b.Bottom - b.Top) * (x - b.Left) / std::max(1, b.Right - b.Left); };
    for (const TRect& m : music) {
      if (m.Right <= b.Left || m.Left >= b.Right) continue;
      for (int x : {std::max(m.Left, b.Left), std::min(m.Right, b.Right)})
        EXPECT_TRUE(got[i].Below ? lineAt(x) > m.Bottom : lineAt(x) < m.Top) << "on a note at " << m.Left << "," << m.Top;
    }
  }
}

// Systems with lyrics and dynamics under low notes, then chord symbols,
// a volta and fermatas over high notes, at the small distances the file
// asks for: nothing of one system touches anything of the next, the
// marks over a staff touch none of its notes, and each mark stays nearest
// its own staff.
TEST(MusicXmlPages, SystemsMoveApartUntilNothingOverprints) {
  auto score = LaidOut("crowded_systems.xml");
  struct TInk {
    const TQSCalcSystem* System;
    const TQSCalcItem* Element;
  };
  std::vector<TInk> ink;
  ForEachElement(*score, [&](int, const TQSCalcSystem& system, const TQSCalcItem& e) {
    if (e.Box.Right <= e.Box.Left || e.Box.Bottom <= e.Box.Top) return;
    if (e.ElementType == element::Item && e.Item &&
        (e.Item->ItemType == kind::Accolade || e.Item->ItemType == kind::InstrumentName ||
         (e.Item->ItemType >= kind::RepeatOpen && e.Item->ItemType <= kind::CompositionBegin)))
      return;
    if (e.ElementType == element::Item || e.ElementType == element::Stem || e.ElementType == element::Beam)
      ink.push_back({&system, &e});
  });
  auto isMark = [](const TQSCalcItem& e) {
    const int k = e.Item && e.ElementType == element::Item ? e.Item->ItemType : -1;
    return k == kind::Chord || k == kind::Volta || k == kind::Fermata || k == kind::Dynamics || k == kind::Lyric ||
           k == kind::MeasureNumbering;
  };
  auto isMusic = [](const TQSCalcItem& e) {
    return e.ElementType == element::Stem || e.ElementType == element::Beam ||
           (e.Item && (e.Item->ItemType == kind::Note || e.Item->ItemType == kind::Pause));
  };
  int marks = 0;
  for (size_t i = 0; i < ink.size(); ++i) {
    const TQSCalcItem& a = *ink[i].Element;
    if (isMark(a)) {
      ++marks;
      EXPECT_EQ(NearestPart(*ink[i].System, (a.Box.Top + a.Box.Bottom) / 2), a.Item->GetMeasure()
                                                                                  ? a.Item->GetMeasure()->Part()
                                                                                  : NearestPart(*ink[i].System, 0));
    }
    for (size_t j = i + 1; j < ink.size(); ++j) {
      const TQSCalcItem& b = *ink[j].Element;
      const bool otherSystem = ink[i].System != ink[j].System;
      const bool markOnMusic = (isMark(a) && isMusic(b)) || (isMark(b) && isMusic(a)) || (isMark(a) && isMark(b));
      if ((otherSystem || markOnMusic) && !(a.Item && a.Item == b.Item))
        EXPECT_FALSE(Overlap(a.Box, b.Box))
            << "kind " << (a.Item ? a.Item->ItemType : -a.ElementType) << " at " << a.Box.Left << "," << a.Box.Top
            << " on kind " << (b.Item ? b.Item->ItemType : -b.ElementType) << " at " << b.Box.Left << "," << b.Box.Top
            << (otherSystem ? " of another system" : "");
    }
  }
  EXPECT_GE(marks, 20);
  // All six measures on the first page still.
  EXPECT_EQ(LandingOf(*score, 5).Page, 0);
}

// A song for voice and flute whose file packs its systems at small
// distances: the voice's low notes with six verses and a dynamic under
// them, the flute's high notes with words over them. Once the staves and
// systems move apart to clear each other, a system that no longer fits
// goes to the next page: none reaches past the bottom margin or touches
// the system before it, and the measures keep their systems.
TEST(MusicXmlPages, SystemsThatNoLongerFitGoToTheNextPage) {
  auto score = LaidOut("overflowing_systems.xml");
  ASSERT_GE(score->LaidOutPages, 2);
  int systems = 0;
  for (int p = 0; p < score->LaidOutPages; ++p) {
    const TQSCalcPage& page = *score->LayoutPages.At(p);
    ASSERT_GT(page.SystemCount, 0);
    const int bottomLimit = page.Systems.At(page.SystemCount - 1)->LowerBound;
    std::vector<std::pair<int, int>> ink(page.SystemCount, {INT_MAX, INT_MIN});
    ForEachPageElement(*score, p, [&](const TQSCalcSystem& system, const TQSCalcItem& e) {
      if (e.Box.Right <= e.Box.Left || e.Box.Bottom <= e.Box.Top || e.ElementType == element::PartBarline) return;
      if (e.Item && (e.Item->ItemType == kind::Accolade || e.Item->ItemType == kind::InstrumentName)) return;
      int index = 0;
      while (index < page.SystemCount && page.Systems.At(index) != &system) ++index;
      if (index == page.SystemCount) return;
      auto& [top, bottom] = ink[static_cast<size_t>(index)];
      top = std::min(top, e.Box.Top);
      bottom = std::max(bottom, e.Box.Bottom);
    });
    for (int s = 0; s < page.SystemCount; ++s) {
      const TQSCalcSystem& system = *page.Systems.At(s);
      if (system.MeasureCount == 0 || system.FirstMeasure >= 16) continue;
      ++systems;
      EXPECT_LE(system.Bottom, bottomLimit) << "page " << p + 1 << " system " << s + 1;
      if (s > 0) EXPECT_LT(ink[s - 1].second, ink[s].first) << "page " << p + 1 << " system " << s + 1;
    }
  }
  EXPECT_EQ(systems, 8);
  // The measures keep their order and each system its two measures.
  for (int m = 0; m < 16; m += 2) EXPECT_TRUE(LandingOf(*score, m).OpensSystem) << m + 1;
  EXPECT_EQ(LandingOf(*score, 15).Page, score->LaidOutPages - 1);
}

// A drum set part as other programs write it: hi-hat, crash and ride with
// cross heads, the ride's bell with a diamond, a tom with a triangle (which
// the score cannot draw) and snare and bass drum with normal heads. Each
// note keeps its place on the staff and the key its instrument plays; the
// head is drawn as the file asks where the score has that head. The ride
// and its bell stand on the same line and differ by their heads alone.
TEST(MusicXmlPages, DrumHeadsKeepTheirKeys) {
  auto score = LaidOut("drum_heads.xml");
  enum THead { Normal, Cross, Diamond };
  const struct {
    int Step, Octave, Key;
    THead Head;
  } expected[] = {{4, 5, 42, Cross}, {4, 5, 42, Cross},   {3, 5, 51, Cross},  {3, 5, 53, Diamond},
                  {5, 5, 49, Cross}, {2, 5, 47, Normal},  {0, 5, 37, Normal}, {3, 4, 35, Normal}};
  std::vector<const TQSNote*> notes;
  for (TQSMeasure* m : score->GetPiece(0)->GetPart(0)->MeasureList())
    for (TQSItem* item : m->Items)
      if (item->ItemType == kind::Note) notes.push_back(static_cast<const TQSNote*>(item));
  ASSERT_EQ(notes.size(), std::size(expected));
  for (size_t i = 0; i < notes.size(); ++i) {
    const TQSNote& n = *notes[i];
    SCOPED_TRACE("note " + std::to_string(i + 1));
    EXPECT_EQ(n.Fields.Pitch, MakePitch(expected[i].Octave + 1, expected[i].Step));  // octaves counted from MIDI key 0
    EXPECT_EQ(n.SoundingKey, expected[i].Key);
    const int style = n.Fields.HeadStyle;
    const TQSDrumInstrument* drum =
        headstyle::IsDrum(style) ? score->GetDrumInstrument(style - headstyle::FirstDrum) : nullptr;
    const THead head = drum && drum->GlyphByte == glyphs::NoteheadXBlack         ? Cross
                       : drum && drum->GlyphByte == glyphs::NoteheadDiamondBlack ? Diamond
                       : style == headstyle::Normal                             ? Normal
                                                                                : THead(-1);
    EXPECT_EQ(head, expected[i].Head) << "style " << style;
    const TQSCalcItem* e = ElementOf(*score, &n);
    ASSERT_TRUE(e);
    EXPECT_GT(e->Box.Right, e->Box.Left);
  }
}

// A dynamic and a hairpin the file starts on the same note, below the
// staff and above it, in two directions or in one: the hairpin begins after
// the dynamic on its line, as engravers set them, and neither touches a
// note or a stem.
TEST(MusicXmlPages, AHairpinStartsAfterItsDynamic) {
  auto score = LaidOut("dynamics_and_hairpins.xml");
  std::vector<const TQSCalcItem*> letters, hairpins, music;
  ForEachElement(*score, [&](int, const TQSCalcSystem&, const TQSCalcItem& e) {
    if (e.ElementType == element::Stem) music.push_back(&e);
    if (e.ElementType != element::Item || !e.Item) return;
    if (e.Item->ItemType == kind::Note) music.push_back(&e);
    if (e.Item->ItemType != kind::Dynamics) return;
    const int k = static_cast<const TQSMark*>(e.Item)->Fields.Kind;
    (dynamic::IsHairpinKind(k) ? hairpins : letters).push_back(&e);
  });
  ASSERT_EQ(letters.size(), 3u);
  ASSERT_EQ(hairpins.size(), 3u);
  for (const TQSCalcItem* h : hairpins) {
    const auto dynamic = std::find_if(letters.begin(), letters.end(), [&](const TQSCalcItem* d) {
      return d->Item->GetMeasure() == h->Item->GetMeasure() && d->Item->TimePosition() == h->Item->TimePosition();
    });
    ASSERT_NE(dynamic, letters.end());
    const TRect& d = (*dynamic)->Box;
    SCOPED_TRACE("hairpin of measure " + std::to_string(h->Item->GetMeasure()->Index + 1));
    EXPECT_GE(h->Box.Left, d.Right);
    const int middle = (h->Box.Top + h->Box.Bottom) / 2;
    EXPECT_GT(middle, d.Top);
    EXPECT_LT(middle, d.Bottom);
    for (const TQSCalcItem* m : music) {
      EXPECT_FALSE(Overlap(h->Box, m->Box));
      EXPECT_FALSE(Overlap(d, m->Box));
    }
  }
}

// Instrument names with a flat, a sharp and a natural ("Clarinet in B♭")
// in a text font that has no glyph for some of them: the page draws no
// character in a font that lacks it; the signs it lacks are music signs
// right after the letter they follow.
TEST(MusicXmlPages, SignsInNamesAreDrawnWithTheMusicFont) {
  auto score = LaidOut("transposing_names.xml");
  TQSPageView view;
  score->AttachWindow(&view);
  view.Zoom = 100;
  view.Style = wsExport;
  TRecordingCanvas rec;
  view.PaintPage(0, rec.Canvas, nullptr, 100, 100, 0, 0);
  score->DetachWindow(&view);
  // The notes and keys have no flat and no natural: those come from the
  // names.
  std::set<int> signs;
  for (const TCanvasOp& op : rec.Recorder->CanvasOps()) {
    if (op.Kind != TCanvasOpKind::Text || op.Text.empty()) continue;
    if (op.Font.Name == MusicFontName) {
      signs.insert(MusicGlyphCode(op.Text[0]));
      continue;
    }
    EXPECT_TRUE(FontHasGlyphs(op.Font, op.Text)) << Utf16ToUtf8(op.Text) << " in " << op.Font.Name;
  }
  EXPECT_TRUE(signs.count(glyphs::AccidentalFlat));
  EXPECT_TRUE(signs.count(glyphs::AccidentalNatural));
}

// Grace notes (slashed eighths, a beamed pair of sixteenths, a chord, one
// with a sharp of its own) before main notes with a sharp, flat, natural
// or double sharp: the main note's accidental keeps clear of the grace
// notes' heads, stems and signs, with room for the flag of an unbeamed
// grace note between.
TEST(MusicXmlPages, AccidentalsKeepClearOfTheGraceNotesBefore) {
  auto score = LaidOut("grace_accidentals.xml");
  std::vector<std::pair<const TQSCalcItem*, int>> accidentals, graces;  // with their note's tick
  int space = 0;
  ForEachElement(*score, [&](int, const TQSCalcSystem&, const TQSCalcItem& e) {
    if (!e.Item || e.Box.Right <= e.Box.Left) return;
    if (e.Row) space = (e.Row->BottomLine - e.Row->TopLine) / 4;
    const TQSNote* note = dynamic_cast<const TQSNote*>(e.Item);
    if (e.Item->ItemType == kind::Accidental)
      note = dynamic_cast<const TQSNote*>(static_cast<const TQSItemHolder*>(e.Item->Owner()));
    if (!note) return;
    const bool grace = note->GraceGroup() != nullptr;
    const int tick = grace ? note->GraceGroup()->TimePosition() : note->TimePosition();
    const int measure = (grace ? static_cast<const TQSItem*>(note->GraceGroup()) : note)->GetMeasure()->Index;
    if (grace) graces.push_back({&e, measure * 4096 + tick});
    else if (e.Item->ItemType == kind::Accidental) accidentals.push_back({&e, measure * 4096 + tick});
  });
  ASSERT_GT(space, 0);
  ASSERT_EQ(accidentals.size(), 20u);
  int checked = 0;
  for (const auto& [acc, at] : accidentals)
    for (const auto& [g, gat] : graces) {
      if (gat != at) continue;
      ++checked;
      EXPECT_GE(acc->Box.Left - g->Box.Right, space / 2) << "measure " << at / 4096 + 1 << " tick " << at % 4096;
    }
  EXPECT_GE(checked, 40);
}

// A piano part whose file leaves no room between its staves for the
// dynamics and hairpins of the right hand (below it) and of the left hand
// (above it) over ledger-line notes: the staves move apart, each mark
// stands between them on its own side, and none touches a note, a stem or
// another mark.
TEST(MusicXmlPages, StavesMoveApartForTheMarksBetweenThem) {
  auto score = LaidOut("piano_tight.xml");
  const TQSCalcPage& page = *score->LayoutPages.At(0);
  const TQSCalcStaff& upper = *page.StaffRows.At(0);
  const TQSCalcStaff& lower = *page.StaffRows.At(1);
  std::vector<const TQSCalcItem*> marks, music;
  ForEachElement(*score, [&](int, const TQSCalcSystem&, const TQSCalcItem& e) {
    if (e.ElementType == element::Stem) music.push_back(&e);
    if (e.ElementType != element::Item || !e.Item) return;
    if (e.Item->ItemType == kind::Dynamics) marks.push_back(&e);
    if (e.Item->ItemType == kind::Note) music.push_back(&e);
  });
  ASSERT_EQ(marks.size(), 9u);
  int upperMarks = 0;
  for (const TQSCalcItem* m : marks) {
    const auto* mark = static_cast<const TQSMark*>(m->Item);
    const bool ofLower = mark->Fields.Kind == dynamic::kMezzoForte;
    upperMarks += !ofLower;
    SCOPED_TRACE("dynamics kind " + std::to_string(mark->Fields.Kind) + " at " + std::to_string(m->Box.Left));
    EXPECT_GE(m->Box.Top, upper.BottomLine);
    EXPECT_LE(m->Box.Bottom, lower.TopLine);
    for (const TQSCalcItem* n : music) EXPECT_FALSE(Overlap(m->Box, n->Box)) << "on a note or stem";
    for (const TQSCalcItem* o : marks)
      if (o != m) EXPECT_FALSE(Overlap(m->Box, o->Box)) << "on another mark";
  }
  EXPECT_EQ(upperMarks, 6);
  // The right hand's marks stand above the left hand's.
  for (const TQSCalcItem* a : marks)
    for (const TQSCalcItem* b : marks)
      if (static_cast<const TQSMark*>(a->Item)->Fields.Kind != dynamic::kMezzoForte &&
          static_cast<const TQSMark*>(b->Item)->Fields.Kind == dynamic::kMezzoForte)
        EXPECT_LT(a->Box.Top, b->Box.Top);
}

// Tempo words and metronome marks as other programs write them: a
// metronome mark the words also spell out is printed once, as the tempo
// mark beside the words; alla breve keeps its cut sign; words, marks and
// notes keep apart and inside the line.
TEST(MusicXmlPages, TempoMarksArePrintedOnce) {
  auto score = LaidOut("tempi.xml");
  std::vector<std::string> words;
  std::vector<std::pair<int, int>> tempi;  // beat kind, per minute
  std::vector<const TQSCalcItem*> drawn, notes;
  const TQSCalcSystem* system = nullptr;
  ForEachElement(*score, [&](int, const TQSCalcSystem& s, const TQSCalcItem& e) {
    system = &s;
    if (e.ElementType == element::Stem) notes.push_back(&e);
    if (e.ElementType != element::Item || !e.Item) return;
    if (e.Item->ItemType == kind::Note) notes.push_back(&e);
    if (e.Item->ItemType == kind::Term) {
      words.push_back(static_cast<const TQSLyric*>(e.Item)->Lines.at(0));
      drawn.push_back(&e);
    }
    if (e.Item->ItemType == kind::Tempo) {
      const auto* mark = static_cast<const TQSMark*>(e.Item);
      tempi.push_back({mark->Fields.Kind, mark->Fields.Value});
      drawn.push_back(&e);
    }
  });
  EXPECT_EQ(words, (std::vector<std::string>{"Allegro", "Alla breve", "rit.", "Più mosso"}));
  // Half = 80; the dotted quarter = 60 as the quarter = 90 it plays; the
  // tempo of rit.; the quarter = 96 of "Più mosso (♩ = 96)".
  EXPECT_EQ(tempi, (std::vector<std::pair<int, int>>{{1, 80}, {2, 90}, {2, 80}, {2, 96}}));
  const auto meter = ItemsOf<TQSMark>(*LastPiece(*score)->GetColumn(1), kind::Meter);
  ASSERT_EQ(meter.size(), 1u);
  EXPECT_EQ(meter[0]->Fields.Style, TQSMark::kMeterCut);
  ASSERT_NE(system, nullptr);
  for (size_t i = 0; i < drawn.size(); ++i) {
    EXPECT_LE(drawn[i]->Box.Right, system->Right) << "past the end of the line";
    for (size_t j = i + 1; j < drawn.size(); ++j) EXPECT_FALSE(Overlap(drawn[i]->Box, drawn[j]->Box)) << i << " on " << j;
    for (const TQSCalcItem* n : notes) EXPECT_FALSE(Overlap(drawn[i]->Box, n->Box)) << i << " on a note";
  }
  // The last mark stands beside its words, at their height.
  TRect pm, mark;
  for (const TQSCalcItem* d : drawn) {
    if (d->Item->ItemType == kind::Term && static_cast<const TQSLyric*>(d->Item)->Lines.at(0) == "Più mosso") pm = d->Box;
    if (d->Item->ItemType == kind::Tempo && static_cast<const TQSMark*>(d->Item)->Fields.Value == 96) mark = d->Box;
  }
  EXPECT_GE(mark.Left, pm.Right);
  EXPECT_LT(mark.Top, pm.Bottom);
  EXPECT_GT(mark.Bottom, pm.Top);
}

// A chorale written for one page with a small staff (5.2 mm): the file's
// scaling becomes the score's scale, and the chorale fits on one page.
TEST(MusicXmlPages, TheFilesScalingSetsTheStaffSize) {
  auto score = LaidOut("chorale_scaling.xml");
  const double ownStaff = static_cast<double>(score->Page.Tenths(TQSPage::dLineSpace).Value()) * 4;
  EXPECT_NEAR(score->Scale, 100 * 52 / ownStaff, 1);
  EXPECT_EQ(score->LaidOutPages, 1);
  EXPECT_EQ(LandingOf(*score, 15).Page, 0);
  EXPECT_TRUE(LandingOf(*score, 21).OpensSystem);
}

// What the score holds of other signs: a courtesy accidental the file
// shows (the key's sharp, a sharp repeated in its measure) is shown; a
// trill's wavy line runs to the end of the note where the file stops it,
// inside its measure and over the barline; a glissando is the score's
// glissando sign after its first note.
TEST(MusicXmlPages, CourtesyAccidentalsAndTrillLines) {
  auto score = LaidOut("signs_and_lines.xml");
  const TQSPart& part = *LastPiece(*score)->GetPart(0);
  std::vector<int> signed_;
  for (TQSNote* n : NotesOf(*part.GetMeasure(0)))
    signed_.push_back(static_cast<int>(ItemsOf<TQSMark>(*n, kind::Accidental).size()));
  EXPECT_EQ(signed_, (std::vector<int>{0, 1, 1, 1}));
  std::vector<const TQSCalcItem*> trills;
  ForEachElement(*score, [&](int, const TQSCalcSystem&, const TQSCalcItem& e) {
    if (e.ElementType == element::Item && e.Item && e.Item->ItemType == kind::Trill) trills.push_back(&e);
  });
  ASSERT_GE(trills.size(), 2u);
  const auto* first = static_cast<const TQSMark*>(trills[0]->Item);
  const auto* second = static_cast<const TQSMark*>(trills.back()->Item);
  EXPECT_EQ(first->Fields.Value, 3 * kTicksQuarter);
  EXPECT_EQ(second->Fields.Value, 6 * kTicksQuarter);
  // The first line reaches the last of its notes, past the one between.
  const std::vector<TQSNote*> m2 = NotesOf(*part.GetMeasure(1));
  EXPECT_GT(trills[0]->Box.Right, ElementOf(*score, m2[2])->Box.Right);
  EXPECT_LT(trills[0]->Box.Right, ElementOf(*score, m2[3])->Box.Right);
  // The second runs on into the next measure, to the end of its note.
  const std::vector<TQSNote*> m4 = NotesOf(*part.GetMeasure(3));
  EXPECT_GT(trills.back()->Box.Right, ElementOf(*score, m4[0])->Box.Right);
  EXPECT_LT(trills.back()->Box.Right, ElementOf(*score, m4[1])->Box.Right);
  // A glissando from that note falls to the next.
  const auto glissandi = ItemsOf<TQSMark>(*m4[0], kind::Glissando);
  ASSERT_EQ(glissandi.size(), 1u);
  EXPECT_EQ(glissandi[0]->Fields.Kind, 1);
  EXPECT_TRUE(ItemsOf<TQSMark>(*m4[1], kind::Glissando).empty());
}

// Grace chords stand in one column each, their stems reaching as far as
// the chord's longest; a grace C before a main C sharp takes no natural.
TEST(MusicXmlPages, GraceChordsStandInColumns) {
  auto score = LaidOut("grace_chords.xml");
  const TQSMeasure& m = *LastPiece(*score)->GetPart(0)->GetMeasure(0);
  std::vector<std::vector<const TQSNote*>> groups;
  for (TQSItem* item : m.Items)
    if (auto* group = dynamic_cast<const TQSVorschlag*>(item)) {
      groups.emplace_back();
      for (TQSItem* g : group->Items) groups.back().push_back(static_cast<const TQSNote*>(g));
    }
  ASSERT_EQ(groups.size(), 3u);
  ASSERT_EQ(groups[1].size(), 4u);
  auto head = [&](const TQSNote* n) { return ElementOf(*score, n)->Box; };
  auto stemTop = [&](const TQSNote* n) {
    int top = 0;
    ForEachElement(*score, [&](int, const TQSCalcSystem&, const TQSCalcItem& e) {
      if (e.Item == n && e.ElementType == element::Stem) top = e.Box.Top;
    });
    return top;
  };
  // (E5 G5), (C5 E5) (D5 F5): the notes of a chord in one column.
  for (auto [a, b] : {std::pair{groups[0][0], groups[0][1]}, {groups[1][0], groups[1][1]}, {groups[1][2], groups[1][3]}}) {
    EXPECT_EQ(head(a).Left, head(b).Left);
    EXPECT_EQ(stemTop(a), stemTop(b));
  }
  EXPECT_LT(head(groups[1][1]).Right, head(groups[1][2]).Left + 1);
  EXPECT_TRUE(ItemsOf<TQSMark>(*groups[1][0], kind::Accidental).empty());
}

// Ties of a chord part to both sides, the highest above and the lowest
// below, the middle one away from the stem; a tie the file orients over
// the heads arcs over them.
TEST(MusicXmlPages, TiesTakeTheSideOfTheirChordOrOfTheFile) {
  auto score = LaidOut("ties.xml");
  const TQSPart& part = *LastPiece(*score)->GetPart(0);
  auto tieOf = [](const TQSNote* n) -> const TQSLiga* {
    for (TQSItem* item : n->Items)
      if (auto* l = dynamic_cast<const TQSLiga*>(item); l && l->EndFromStart()) return l;
    return nullptr;
  };
  std::vector<std::pair<int, bool>> sides;  // pitch line, below
  for (int m = 0; m < 2; ++m)
    for (const TQSNote* n : NotesOf(*part.GetMeasure(m)))
      if (const TQSLiga* tie = tieOf(n)) sides.push_back({PitchLine(n->Fields.Pitch), tie->IsBelow()});
  ASSERT_EQ(sides.size(), 4u);
  std::sort(sides.begin(), sides.begin() + 3);
  EXPECT_TRUE(sides[0].second);   // C4
  EXPECT_TRUE(sides[1].second);   // E4, away from the stem
  EXPECT_FALSE(sides[2].second);  // G4
  EXPECT_FALSE(sides[3].second);  // A4, over as the file says
  // Drawn on those sides of their heads.
  for (int m = 0; m < 2; ++m)
    for (const TQSNote* n : NotesOf(*part.GetMeasure(m))) {
      const TQSLiga* tie = tieOf(n);
      if (!tie) continue;
      const TQSCalcItem* arc = ElementOf(*score, tie);
      const TRect head = ElementOf(*score, n)->Box;
      ASSERT_NE(arc, nullptr);
      if (tie->IsBelow()) {
        EXPECT_GT(arc->Box2.Top, (head.Top + head.Bottom) / 2);
      } else {
        EXPECT_LT(arc->Box2.Top, (head.Top + head.Bottom) / 2);
      }
    }
}

// A tremolo between two notes is the score's strokes beside the first
// note, in the room before the second: halfway along the stems on their
// side, level with the heads of whole notes. Both notes keep the value the
// file writes and sound half of it. A single-note tremolo stays on its
// stem.
TEST(MusicXmlPages, TremolosStandBetweenTheirTwoNotes) {
  auto score = LaidOut("tremolos.xml");
  const TQSPart& part = *LastPiece(*score)->GetPart(0);
  const struct {
    int Measure, Time, Strokes;
    bool Between;
  } kTremolos[] = {{0, 0, 3, false}, {0, 256, 3, true}, {1, 0, 2, true}};
  std::vector<const TQSMark*> found;
  for (int m = 0; m < 2; ++m)
    for (const TQSMark* t : ItemsOf<TQSMark>(*part.GetMeasure(m), kind::Tremolo)) found.push_back(t);
  ASSERT_EQ(found.size(), std::size(kTremolos));
  for (size_t i = 0; i < found.size(); ++i) {
    const auto& want = kTremolos[i];
    const TQSMark& t = *found[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(t.GetMeasure()->Index, want.Measure);
    EXPECT_EQ(t.Fields.Time, want.Time);
    EXPECT_EQ(t.Fields.Value, want.Strokes);
    EXPECT_EQ((t.Fields.Style & TQSMark::kStyleAttached) == 0, want.Between);
    if (!want.Between) continue;
    const std::vector<TQSNote*> notes = NotesOf(*t.GetMeasure());
    auto at = [&](int time) { return *std::find_if(notes.begin(), notes.end(), [&](const TQSNote* n) { return n->Fields.Time == time; }); };
    const TQSNote* first = at(t.Fields.Time);
    const TQSNote* second = at(t.Fields.Time + first->Fields.RealLength);
    EXPECT_EQ(first->Fields.Length, 2 * first->Fields.RealLength);
    EXPECT_EQ(second->Fields.Length, first->Fields.Length);
    const TQSCalcItem* strokes = ElementOf(*score, &t);
    ASSERT_NE(strokes, nullptr);
    const TRect a = ElementOf(*score, first)->Box, b = ElementOf(*score, second)->Box, s = strokes->Box;
    EXPECT_GT(s.Left, (a.Left + a.Right) / 2);
    EXPECT_LT(s.Left, b.Left);
    EXPECT_GT(s.Right, a.Right);
    if (first->Fields.Length < kTicksWhole) {
      // Stems down: below both heads, above the stems' ends.
      int stemEnd = INT_MAX;
      ForEachElement(*score, [&](int, const TQSCalcSystem&, const TQSCalcItem& e) {
        if ((e.Item == first || e.Item == second) && e.ElementType == element::Stem) stemEnd = std::min(stemEnd, e.Box.Bottom);
      });
      EXPECT_GE(s.Top, std::max(a.Bottom, b.Bottom));
      EXPECT_LE(s.Bottom, stemEnd);
    } else {
      const int middle = (s.Top + s.Bottom) / 2;
      EXPECT_GT(middle, (b.Top + b.Bottom) / 2);
      EXPECT_LT(middle, (a.Top + a.Bottom) / 2);
    }
  }
}

// Line brackets are the score's bracket on the staff the file gives,
// hooks down over the notes they span or up under them: clear of those
// notes' heads and stems, from the first note to the head of the last and
// short of the note after.
TEST(MusicXmlPages, LineBracketsSpanTheirNotesClearOfThem) {
  auto score = LaidOut("line_brackets.xml");
  const TQSMeasure& m = *LastPiece(*score)->GetPart(0)->GetMeasure(0);
  const auto brackets = ItemsOf<TQSMark>(m, kind::Bracket);
  ASSERT_EQ(brackets.size(), 2u);
  const struct {
    int Staff, Kind, First, Last, Next;  // the ticks of the notes spanned and of the one after
  } kBrackets[] = {{0, 0, 0, 256, 384}, {1, 1, 256, 384, -1}};
  const TQSCalcPage& page = *score->LayoutPages.At(0);
  for (size_t i = 0; i < brackets.size(); ++i) {
    SCOPED_TRACE(i);
    const auto& want = kBrackets[i];
    const TQSMark& b = *brackets[i];
    EXPECT_EQ(StaffOf(b.Fields.StaffVoice), want.Staff);
    EXPECT_EQ(b.Fields.Kind, want.Kind);
    const TQSCalcItem* e = ElementOf(*score, &b);
    ASSERT_NE(e, nullptr);
    const TRect box = e->Box;
    // On its own staff.
    const TQSCalcStaff& own = *page.StaffRows.At(want.Staff);
    EXPECT_TRUE(want.Kind == 0 ? box.Bottom <= own.TopLine : box.Top >= own.BottomLine);
    EXPECT_LT(DistanceToStaff(own, (box.Top + box.Bottom) / 2), DistanceToStaff(*page.StaffRows.At(1 - want.Staff), (box.Top + box.Bottom) / 2));
    // Clear of its notes, their stems and ledger lines, over all of them.
    ForEachElement(*score, [&](int, const TQSCalcSystem&, const TQSCalcItem& n) {
      const auto* note = dynamic_cast<const TQSNote*>(n.Item);
      if (!note || StaffOf(note->Fields.StaffVoice) != want.Staff) return;
      if (n.ElementType == element::Item || n.ElementType == element::Stem) EXPECT_FALSE(Overlap(box, n.Box));
      if (n.ElementType != element::Item) return;
      if (note->Fields.Time == want.First) EXPECT_LE(box.Left, n.Box.Left);
      if (note->Fields.Time == want.Last) EXPECT_GE(box.Right, n.Box.Right);
      if (note->Fields.Time == want.Next) EXPECT_LT(box.Right, n.Box.Left);
    });
    if (want.Next < 0) EXPECT_LE(box.Right, page.Systems.At(0)->Measures.At(0)->Box.Right);  // the barline
  }
}

}  // namespace
}  // namespace qs::test
