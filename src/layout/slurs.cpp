// Slurs fitted to the placed music: each runs from its first note to its
// last on the side the file or the stem chose, and arcs over (or under)
// whatever stands between them. Only curves the layout chose itself are
// reshaped; a curve the user dragged keeps its shape.
#include <algorithm>
#include <array>
#include <climits>
#include <vector>

#include "layout/context.h"
#include "layout/steps.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/score.h"

namespace qs {

void RememberLayoutCurve(TQSLiga& tie) {
  const TQSLiga::TFields& f = tie.Fields;
  tie.LayoutCurve[0] = f.CurveStartDX;
  tie.LayoutCurve[1] = f.CurveStartDY;
  tie.LayoutCurve[2] = f.CurveEndDX;
  tie.LayoutCurve[3] = f.CurveEndDY;
}

namespace {

bool CurveIsTheLayouts(const TQSLiga& tie) {
  const TQSLiga::TFields& f = tie.Fields;
  return f.CurveStartDX == tie.LayoutCurve[0] && f.CurveStartDY == tie.LayoutCurve[1] &&
         f.CurveEndDX == tie.LayoutCurve[2] && f.CurveEndDY == tie.LayoutCurve[3] &&
         (f.CurveStartDX | f.CurveStartDY | f.CurveEndDX | f.CurveEndDY) != 0;
}

bool HasBox(const TRect& r) { return r.Right > r.Left && r.Bottom > r.Top; }

TRect Union(const TRect& a, const TRect& b) {
  if (!HasBox(a)) return b;
  return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
}

const TQSNote* NoteOfElement(const TQSCalcItem& e) {
  return e.Item && e.Item->ItemType == kind::Note ? static_cast<const TQSNote*>(e.Item) : nullptr;
}

// The heads and the stem a slur end stands at: the chord of a main note,
// or one grace note.
struct TChordAt {
  TRect Heads, Stem;
  bool StemDown = false;
  std::vector<const TQSNote*> Notes;
};

TChordAt ChordIn(const TQSCalcMeasure& slot, const TQSPart* part, int staffVoice, int tick, const TQSNote* grace) {
  TChordAt chord;
  for (int i = 0; i < slot.ItemCount; ++i) {
    const TQSCalcItem& e = *slot.Items.At(i);
    const TQSNote* note = NoteOfElement(e);
    if (!note || (e.ElementType != element::Item && e.ElementType != element::Stem)) continue;
    if (grace) {
      if (note != grace) continue;
    } else {
      const TQSMeasure* m = note->GetMeasure();
      if (note->GraceGroup() || !m || m->Part() != part || note->Fields.StaffVoice != staffVoice ||
          note->Fields.Time != tick)
        continue;
    }
    if (e.ElementType == element::Stem) {
      chord.Stem = Union(chord.Stem, e.Box);
      chord.StemDown = note->IsStemDown();
    } else {
      chord.Heads = Union(chord.Heads, e.Box);
    }
    if (std::find(chord.Notes.begin(), chord.Notes.end(), note) == chord.Notes.end()) chord.Notes.push_back(note);
  }
  return chord;
}

// A point of a cubic Bezier curve.
TPoint BezierAt(const std::array<TPoint, 4>& p, double t) {
  const double u = 1 - t;
  const double a = u * u * u, b = 3 * u * u * t, cc = 3 * u * t * t, d = t * t * t;
  return {static_cast<int>(a * p[0].X + b * p[1].X + cc * p[2].X + d * p[3].X),
          static_cast<int>(a * p[0].Y + b * p[1].Y + cc * p[2].Y + d * p[3].Y)};
}

constexpr int kSamples = 32;

}  // namespace

void FitSlurs(TLayoutContext& c) {
  TQSCalcSystem* system = c.System;
  if (!system || !c.Score.MarksClearOfTheMusic) return;
  const int space = c.StaffSpace;
  std::vector<TQSCalcMeasure*> slots;
  for (int k = 0; k < system->MeasureCount; ++k) slots.push_back(system->Measures.At(k));
  std::vector<const TQSCalcItem*> obstacles;
  std::vector<TQSCalcItem*> slurs;
  for (TQSCalcMeasure* slot : slots)
    for (int i = 0; i < slot->ItemCount; ++i) {
      TQSCalcItem* e = slot->Items.At(i);
      const int type = e->Item ? e->Item->ItemType : -1;
      if (type == kind::Liga && e->ElementType == element::Item) {
        auto* tie = static_cast<TQSLiga*>(e->Item);
        if (!tie->EndFromStart() && !tie->IsSlur() && !tie->IsSlide() && CurveIsTheLayouts(*tie)) slurs.push_back(e);
      } else if (HasBox(e->Box) && IsObstacle(*e) && type != kind::Lyric && type != kind::Chord && type != kind::Clef &&
                 type != kind::Key && type != kind::Meter) {
        obstacles.push_back(e);
      }
    }
  for (TQSCalcItem* e : slurs) {
    auto* tie = static_cast<TQSLiga*>(e->Item);
    const auto* first = dynamic_cast<const TQSNote*>(dynamic_cast<TQSItemHolder*>(tie->Owner()));
    const TQSMeasure* measure = first ? first->GetMeasure() : nullptr;
    if (!measure || e->State == 1 || e->State == 3) continue;
    const auto own = std::find(slots.begin(), slots.end(), e->Owner);
    if (own == slots.end()) continue;
    const bool grace = first->GraceGroup() != nullptr;
    const TChordAt from = ChordIn(**own, measure->Part(), first->Fields.StaffVoice, first->Fields.Time,
                                  grace ? first : nullptr);
    // The last note: Span ticks on from the first, in this system.
    int remaining = TLayoutContext::AnchorTick(first) + tie->Fields.Span;
    TChordAt to;
    for (auto k = own; k != slots.end(); ++k) {
      if (remaining < (*k)->Length || k + 1 == slots.end()) {
        to = ChordIn(**k, measure->Part(), tie->Fields.EndStaffVoice, remaining, nullptr);
        break;
      }
      remaining -= (*k)->Length;
    }
    if (!HasBox(from.Heads) || !HasBox(to.Heads)) continue;
    // What may stand in the slur's way: its row, between its notes.
    const int reachLeft = std::min(from.Heads.Left, to.Heads.Left) - space, reachRight = std::max(from.Heads.Right, to.Heads.Right) + space;
    std::vector<const TQSCalcItem*> near;
    for (const TQSCalcItem* o : obstacles)
      if (o->Row == e->Row && o->Box.Right > reachLeft && o->Box.Left < reachRight) near.push_back(o);
    const bool below = tie->IsBelow();
    const int dir = below ? 1 : -1;
    const int gap = space / 3;
    auto mine = [&](const TQSCalcItem* o) {
      const TQSNote* n = NoteOfElement(*o);
      return n && (std::count(from.Notes.begin(), from.Notes.end(), n) || std::count(to.Notes.begin(), to.Notes.end(), n));
    };
    // The ends: beside the stem's tip on the stem's side, else off the
    // outer head, and beyond any sign standing there.
    auto endAt = [&](const TChordAt& chord, bool start) {
      const bool stemSide = HasBox(chord.Stem) && chord.StemDown == below && !grace;
      TPoint p;
      if (stemSide) {
        p.X = (chord.Stem.Left + chord.Stem.Right) / 2 + (start ? space / 4 : -space / 4);
        p.Y = below ? chord.Stem.Bottom + gap : chord.Stem.Top - gap;
      } else {
        const int w = chord.Heads.Right - chord.Heads.Left;
        p.X = chord.Heads.Left + w / 2 + (grace ? (start ? w / 4 : -w / 4) : 0);
        p.Y = below ? chord.Heads.Bottom + gap : chord.Heads.Top - gap;
      }
      for (const TQSCalcItem* o : near) {
        if (mine(o) || o->Box.Right <= p.X - space / 2 || o->Box.Left >= p.X + space / 2) continue;
        if (below && o->Box.Bottom + gap > p.Y && o->Box.Top < p.Y + 4 * space) p.Y = o->Box.Bottom + gap;
        if (!below && o->Box.Top - gap < p.Y && o->Box.Bottom > p.Y - 4 * space) p.Y = o->Box.Top - gap;
      }
      return p;
    };
    std::array<TPoint, 4> pts;
    pts[0] = endAt(from, true);
    pts[3] = endAt(to, false);
    if (pts[3].X <= pts[0].X) pts[3].X = pts[0].X + space;
    const int length = pts[3].X - pts[0].X;
    // A gentle arc, higher for a longer slur; a grace note's slur stays low.
    int height = grace ? space / 2 : std::clamp(length / 8, space / 2, 2 * space);
    auto shape = [&](int h) {
      pts[1] = {pts[0].X + length / 4, pts[0].Y + dir * h};
      pts[2] = {pts[3].X - length / 4, pts[3].Y + dir * h};
    };
    shape(height);
    // Raise the arc until everything between the ends is clear of it: a
    // point at t moves by 3t(1-t) of the control points' move; what stands
    // near an end moves that end instead.
    for (int round = 0; round < 4; ++round) {
      int raise = 0, lift0 = 0, lift3 = 0;
      for (const TQSCalcItem* o : near) {
        if (mine(o)) continue;
        if (o->Box.Right <= pts[0].X || o->Box.Left >= pts[3].X) continue;
        for (int i = 1; i < kSamples; ++i) {
          const double t = static_cast<double>(i) / kSamples;
          const TPoint q = BezierAt(pts, t);
          if (q.X < o->Box.Left || q.X > o->Box.Right) continue;
          const int need = below ? o->Box.Bottom + gap - q.Y : q.Y - (o->Box.Top - gap);
          if (need <= 0) continue;
          if (t < 0.2)
            lift0 = std::max(lift0, need);
          else if (t > 0.8)
            lift3 = std::max(lift3, need);
          else
            raise = std::max(raise, static_cast<int>(need / (3 * t * (1 - t))) + 1);
        }
      }
      if (raise == 0 && lift0 == 0 && lift3 == 0) break;
      pts[0].Y += dir * std::min(lift0, 4 * space);
      pts[3].Y += dir * std::min(lift3, 4 * space);
      height += std::min(raise, 4 * space);
      shape(height);
    }
    // The offsets are kept at the score's own scale: drawing scales them.
    TQSLiga::TFields& f = tie->Fields;
    const int scale = std::max(c.Scale, 1);
    auto offset = [&](int v) { return static_cast<int16_t>(std::clamp(v * 100 / scale, -32768, 32767)); };
    f.CurveStartDX = offset(pts[1].X - pts[0].X);
    f.CurveStartDY = offset(pts[1].Y - pts[0].Y);
    f.CurveEndDX = offset(pts[2].X - pts[3].X);
    f.CurveEndDY = offset(pts[2].Y - pts[3].Y);
    RememberLayoutCurve(*tie);
    e->Param2 = static_cast<int16_t>(std::min(length, 32767));
    e->Box2 = {pts[0].X, pts[0].Y, pts[3].X, pts[3].Y};
    // The box holds the drawn arc.
    TRect box{pts[0].X, std::min(pts[0].Y, pts[3].Y), pts[3].X, std::max(pts[0].Y, pts[3].Y)};
    for (int i = 1; i < kSamples; ++i) {
      const TPoint q = BezierAt(pts, static_cast<double>(i) / kSamples);
      box.Top = std::min(box.Top, q.Y);
      box.Bottom = std::max(box.Bottom, q.Y);
    }
    e->Box = box;
  }
}

}  // namespace qs
