// The MusicXML reader's post-pass: what can only be settled once the whole
// document has been read.
#include <algorithm>
#include <map>
#include <set>

#include <climits>
#include <cstdlib>

#include "base/mathutil.h"
#include "interchange/importitems.h"
#include "interchange/musicxml_reader.h"
#include "platform/gui.h"
#include "score/calcrecords.h"
#include "score/dynamics.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/timing.h"

namespace qs {
namespace mxml {

void KeyAlterations(int keyKind, int (&alter)[7]) {
  // Sharps come in the order F C G D A E B, flats in the reverse order.
  static const int kSharpOrder[7] = {3, 0, 4, 1, 5, 2, 6};
  std::fill(std::begin(alter), std::end(alter), 0);
  if (keyKind >= 1 && keyKind <= 7)
    for (int i = 0; i < keyKind; ++i) alter[kSharpOrder[i]] = 1;
  else if (keyKind >= 11 && keyKind <= 17)
    for (int i = 0; i < keyKind - 10; ++i) alter[kSharpOrder[6 - i]] = -1;
}

int BelowOffset(const TQSScore& score) {
  const double lineSpace = static_cast<double>(score.Page.Tenths(TQSPage::dLineSpace).Value());
  return Round(lineSpace * 4 * ScreenPixelsPerInch() / 254.0) * 8 + 48;
}

namespace {

TQSNote* AsNote(TQSItem* item) { return item->ItemType == kind::Note ? static_cast<TQSNote*>(item) : nullptr; }
TQSPause* AsRest(TQSItem* item) { return item->ItemType == kind::Pause ? static_cast<TQSPause*>(item) : nullptr; }

class TPostPass {
 public:
  TPostPass(TQSScore& score, TQSPiece& piece, TImportData& data) : score_(score), piece_(piece), data_(data) {
    const double lineSpace = static_cast<double>(score.Page.Tenths(TQSPage::dLineSpace).Value());
    const double interval = static_cast<double>(score.Page.Tenths(TQSPage::dInterval).Value());
    space_ = Round(lineSpace * ScreenPixelsPerInch() / 254.0) * 8;
    staffShift_ = Round((lineSpace * 4 + interval) * ScreenPixelsPerInch() / 254.0) * 8;
    interval_ = Round(interval * ScreenPixelsPerInch() / 254.0) * 8;
    below_ = BelowOffset(score);
  }

  void Run() {
    for (TQSPart* part : piece_.PartList()) {
      DefaultClefs(*part);
      ResolveVoices(*part);
      TPartState state;
      state.Clefs.assign(static_cast<size_t>(part->StaffCount()), kTrebleClef);
      RoomForLyrics(*part, state);
      for (TQSMeasure* m : part->MeasureList()) FinishMeasure(*m, state);
      part->UpdateVoiceNumbers(true);
      score_.FireItemChanged(part);
    }
    Upbeat();
    for (TQSPart* part : piece_.PartList())
      for (TQSMeasure* m : part->MeasureList()) FinishLigas(*m);
    RowOffsets();
  }

 private:
  TQSScore& score_;
  TQSPiece& piece_;
  TImportData& data_;
  int space_;       // one staff space in layout units
  int staffShift_;  // how much lower a direction of the second staff stands
  int interval_;    // the room between two staves
  // How much further down each staff of the part being finished stands to
  // make room for the lyrics above it, and the room each staff row of a
  // system leaves below it for its lyrics.
  std::vector<int> staffExtra_;
  std::vector<int> rowExtra_;
  int below_;       // where a direction below the staff stands

  static constexpr int kTrebleClef = 1;

  // What carries on from measure to measure in a part.
  struct TPartState {
    int Key[7] = {};
    std::vector<int> Clefs;  // the clef kind in force on each staff
  };

  const TItemInfo* InfoOf(TQSItem* item) const {
    auto it = data_.Items.find(item);
    return it == data_.Items.end() ? nullptr : &it->second;
  }

  static uint8_t& StaffVoiceByte(TQSItem* item) {
    if (TQSNote* n = AsNote(item)) return n->Fields.StaffVoice;
    if (TQSPause* r = AsRest(item)) return r->Fields.StaffVoice;
    if (auto* l = dynamic_cast<TQSLyric*>(item)) return l->Fields.StaffVoice;
    return static_cast<TQSMark*>(item)->Fields.StaffVoice;
  }

  // The file's voices of each staff become the staff's voices in the order
  // of their numbers, so that voice 1 is the first; a staff keeps at most
  // 16 voices and further file voices join the last.
  void ResolveVoices(TQSPart& part) {
    std::vector<std::set<int>> used(static_cast<size_t>(part.StaffCount()));
    for (TQSMeasure* m : part.MeasureList())
      for (TQSItem* item : m->Items)
        if (const TItemInfo* info = InfoOf(item)) {
          size_t s = static_cast<size_t>(StaffOf(StaffVoiceByte(item)));
          if (s < used.size()) used[s].insert(info->FileVoice);
        }
    std::vector<std::map<int, int>> index(used.size());
    for (size_t s = 0; s < used.size(); ++s) {
      int i = 0;
      for (int v : used[s]) index[s][v] = std::min(i++, kMaxVoices - 1);
      TQSStaff* staff = part.GetStaff(static_cast<int>(s));
      while (staff->VoiceCount() < std::min(static_cast<int>(used[s].size()), kMaxVoices)) staff->NewVoice();
    }
    for (TQSMeasure* m : part.MeasureList())
      for (TQSItem* item : m->Items)
        if (const TItemInfo* info = InfoOf(item)) {
          uint8_t& sv = StaffVoiceByte(item);
          size_t s = static_cast<size_t>(StaffOf(sv));
          if (s < index.size()) sv = MakeStaffVoice(StaffOf(sv), index[s][info->FileVoice]);
        }
  }

  void FinishMeasure(TQSMeasure& m, TPartState& state) {
    int (&key)[7] = state.Key;
    // Notes and rests without a value, and grace notes into their groups.
    for (int i = 0; i < m.ItemCount();) {
      TQSItem* item = m.GetItem(i);
      TQSNote* n = AsNote(item);
      TQSPause* r = AsRest(item);
      if ((n && n->Fields.Length == 0) || (r && r->Fields.Length == 0)) {
        data_.Items.erase(item);
        delete item;
        continue;
      }
      const TItemInfo* info = InfoOf(item);
      if (n && info && info->Grace) {
        TQSVorschlag* group = GraceGroup(m, n->Fields.StaffVoice, n->Fields.Time);
        if (info->GraceSlash) group->Fields.Flags |= TQSVorschlag::kShortStyle;
        n->SetOwner(group);
        continue;
      }
      ++i;
    }
    AfterGraces(m);
    // Tuplet marks for the members of tuplets.
    const int count = m.ItemCount();
    for (int i = 0; i < count; ++i) {
      TQSItem* item = m.GetItem(i);
      const TItemInfo* info = InfoOf(item);
      if (!info || info->Tuplet == 0 || !(AsNote(item) || AsRest(item))) continue;
      const int sv = StaffVoiceByte(item);
      const int pos = item->TimePosition();
      if (m.FindTuplet(sv, pos)) continue;
      auto* t = static_cast<TQSMark*>(CreateItemByKind(kind::Tuplet, &m));
      t->Fields.Kind = info->Tuplet;
      t->Fields.StaffVoice = static_cast<uint8_t>(sv);
      t->Fields.Time = static_cast<uint16_t>(pos);
      // The bracket on the side the file gives, else on the first note's
      // stem side.
      bool below = info->TupletBelow == 1;
      if (TQSNote* n = AsNote(item)) {
        t->Fields.Value = n->Fields.Length;
        if (info->TupletBelow < 0) below = n->IsStemDown();
      } else {
        t->Fields.Value = AsRest(item)->Fields.Length;
      }
      if (below) t->Fields.Style |= TQSMark::kTupletBelow;
      t->CalcTupletLengths();
    }
    SortStable(m);
    Accidentals(m, key);
    // Every note of a chord carries the chord flag, the first one too.
    std::set<std::pair<int, int>> chords;
    for (TQSItem* item : m.Items)
      if (TQSNote* n = AsNote(item); n && n->IsChordMember()) chords.insert({n->Fields.StaffVoice, n->Fields.Time});
    for (TQSItem* item : m.Items)
      if (TQSNote* n = AsNote(item); n && chords.count({n->Fields.StaffVoice, n->Fields.Time}))
        n->SetChordMember(true);
    for (auto [sv, pos] : chords) m.ArrangeChordNotes(sv, pos, false);
    BeamWholeChords(m, chords);
    Stems(m, state);
    RestOffsets(m);
    PlaceDirections(m, state);
    if (m.Part() && m.Part()->Index == 0) PlaceTempos(m, state);
    for (TQSItem* item : m.Items)
      if (item->ItemType == kind::Clef) {
        const size_t staff = static_cast<size_t>(StaffOf(static_cast<TQSMark*>(item)->Fields.StaffVoice));
        if (staff < state.Clefs.size()) state.Clefs[staff] = static_cast<TQSMark*>(item)->Fields.Kind;
      }
    for (TQSItem* item : m.Items)
      if (item->ItemType == kind::Chord && score_.GetChordText) {
        auto* c = static_cast<TQSChord*>(item);
        score_.GetChordText(&score_, c->Definition, c->Patterns);
      }
    m.UpdateBeams(0, true);
  }

  // A staff whose first measure has no clef at its start (the file gives
  // none) is read in the treble clef, and shows it.
  static void DefaultClefs(TQSPart& part) {
    if (part.MeasureCount() == 0) return;
    TQSMeasure& first = *part.GetMeasure(0);
    for (int staff = 0; staff < part.StaffCount(); ++staff) {
      const bool given = std::any_of(first.Items.begin(), first.Items.end(), [&](const TQSItem* item) {
        return item->ItemType == kind::Clef && item->TimePosition() == 0 &&
               StaffOf(static_cast<const TQSMark*>(item)->Fields.StaffVoice) == staff;
      });
      if (given) continue;
      auto* clef = static_cast<TQSMark*>(CreateItemByKind(kind::Clef, &first));
      clef->Fields.Kind = clef::Treble;
      clef->Fields.StaffVoice = MakeStaffVoice(staff, 0);
    }
  }

  // A chord is beamed as a whole: files give the beam at one of its notes
  // (most at the first), the score reads it at the chord's last. Every
  // note of the chord takes the join of the chord.
  static void BeamWholeChords(TQSMeasure& m, const std::set<std::pair<int, int>>& chords) {
    constexpr uint8_t kJoin = TQSNote::kBeamedToNext | TQSNote::kBeamJoin2;
    for (auto [sv, pos] : chords) {
      uint8_t join = 0;
      for (TQSItem* item : m.Items)
        if (TQSNote* n = AsNote(item); n && n->Fields.StaffVoice == sv && n->Fields.Time == pos)
          join |= n->Fields.FlagsB & kJoin;
      for (TQSItem* item : m.Items)
        if (TQSNote* n = AsNote(item); n && n->Fields.StaffVoice == sv && n->Fields.Time == pos)
          n->Fields.FlagsB = static_cast<uint8_t>((n->Fields.FlagsB & ~kJoin) | join);
    }
  }

  // A grace group after the last note of its voice belongs to that note,
  // played and drawn after it: nothing follows it to lean on.
  static void AfterGraces(TQSMeasure& m) {
    for (TQSItem* item : m.Items) {
      if (item->ItemType != kind::Vorschlag) continue;
      auto* g = static_cast<TQSVorschlag*>(item);
      TQSNote* last = nullptr;
      bool followed = false;
      for (TQSItem* other : m.Items) {
        TQSNote* n = AsNote(other);
        if (!n || n->Fields.StaffVoice != g->Fields.StaffVoice) continue;
        if (n->Fields.Time >= g->Fields.Time) followed = true;
        else if (!last || n->Fields.Time > last->Fields.Time) last = n;
      }
      if (followed || !last) continue;
      g->Fields.Time = last->Fields.Time;
      g->Fields.Flags |= TQSVorschlag::kAfter;
    }
  }

  static int ClefAt(const TQSMeasure& m, const TPartState& state, int staff, int tick) {
    int clef = static_cast<size_t>(staff) < state.Clefs.size() ? state.Clefs[static_cast<size_t>(staff)] : kTrebleClef;
    for (TQSItem* item : m.Items)
      if (item->ItemType == kind::Clef && StaffOf(static_cast<TQSMark*>(item)->Fields.StaffVoice) == staff &&
          item->TimePosition() <= tick)
        clef = static_cast<TQSMark*>(item)->Fields.Kind;
    return clef;
  }

  // A note's place on its staff: 0 the top line, 8 the bottom line.
  static int StaffPosition(const TQSMeasure& m, const TPartState& state, const TQSNote& n) {
    const int clef = ClefAt(m, state, StaffOf(n.Fields.StaffVoice), n.Fields.Time);
    return ClefKindOffset(clef) - PitchLine(n.Fields.Pitch) + 45;
  }
  static constexpr int kMiddleLine = 4, kBottomLine = 8;
  // How far a bracket's box reaches below and above its vertical offset
  // (its line at the top for hooks down, at the bottom for hooks up).
  static constexpr int kBracketHookBelow = 16, kBracketHookAbove = 32;

  // The voices that have notes or shown rests on each staff of the measure.
  static std::map<int, std::set<int>> VoicesInUse(const TQSMeasure& m) {
    std::map<int, std::set<int>> voices;
    for (TQSItem* item : m.Items) {
      TQSPause* r = AsRest(item);
      if (AsNote(item) || (r && !r->IsHidden()))
        voices[StaffOf(static_cast<uint8_t>(item->StaffVoice()))].insert(VoiceOf(static_cast<uint8_t>(item->StaffVoice())));
    }
    return voices;
  }

  // Notes whose stem the file left open get the stem that note entry gives:
  // up on a tablature staff; by voice where a staff has several in use;
  // else down from the middle line up. A chord goes by its note furthest
  // from the middle line, or by a stem the file gave one of its notes.
  void Stems(TQSMeasure& m, const TPartState& state) {
    const auto voices = VoicesInUse(m);
    std::map<std::pair<int, int>, std::vector<TQSNote*>> chords;
    for (TQSItem* item : m.Items)
      if (TQSNote* n = AsNote(item)) chords[{n->Fields.StaffVoice, n->Fields.Time}].push_back(n);
    for (auto& [key, notes] : chords) {
      const int staff = StaffOf(static_cast<uint8_t>(key.first));
      int given = -1, distance = -1;
      const TQSNote* furthest = notes[0];
      for (TQSNote* n : notes) {
        const TItemInfo* info = InfoOf(n);
        if (info && info->StemRead) given = n->IsStemDown() ? 1 : 0;
        const int p = StaffPosition(m, state, *n);
        if (std::abs(p - kMiddleLine) > distance) {
          distance = std::abs(p - kMiddleLine);
          furthest = n;
        }
      }
      const TQSStaff* s = m.Part() ? m.Part()->GetStaff(staff) : nullptr;
      auto inUse = voices.find(staff);
      const bool down =
          given >= 0 ? given == 1
                     : NoteEntryStemDown(s && s->Fields.Tablature, m.AllVoices(),
                                         inUse != voices.end() && inUse->second.size() > 1, furthest->Fields.StaffVoice,
                                         furthest->Fields.Pitch,
                                         ClefKindOffset(ClefAt(m, state, staff, furthest->Fields.Time)));
      for (TQSNote* n : notes) {
        const TItemInfo* info = InfoOf(n);
        if (!info || !info->StemRead) n->SetStemDown(down);
      }
    }
  }

  // Rests of a staff where several voices are in use stand apart: the
  // first voice's above, the others' below.
  static void RestOffsets(TQSMeasure& m) {
    const auto voices = VoicesInUse(m);
    for (TQSItem* item : m.Items) {
      TQSPause* r = AsRest(item);
      if (!r || r->IsHidden()) continue;
      auto it = voices.find(StaffOf(r->Fields.StaffVoice));
      if (it != voices.end() && it->second.size() > 1) r->Fields.OffsetY = static_cast<int16_t>(TQSPause::VoiceOffset(VoiceOf(r->Fields.StaffVoice)));
    }
  }

  // The lowest and highest ink of the notes of a staff sounding at a tick
  // or starting up to a later one, in layout units from the top line.
  struct TExtent {
    int Top = INT_MAX, Bottom = INT_MIN;
    bool Any() const { return Bottom != INT_MIN; }
  };
  TExtent NotesExtent(const TQSMeasure& m, const TPartState& state, int staff, int from, int to) const {
    TExtent e;
    for (TQSItem* item : m.Items) {
      TQSNote* n = AsNote(item);
      if (!n || StaffOf(n->Fields.StaffVoice) != staff) continue;
      const int start = n->Fields.Time, end = start + std::max<int>(n->Fields.RealLength, 1);
      if (!((start <= from && from < end) || (from <= start && start <= to))) continue;
      const int y = StaffPosition(m, state, *n) * space_ / 2;
      const int stem = n->Fields.Length < kTicksWhole ? 8 * n->Fields.StemLength : 0;
      e.Top = std::min(e.Top, std::min(y - space_ / 2, n->IsStemDown() ? INT_MAX : y - stem));
      e.Bottom = std::max(e.Bottom, std::max(y + space_ / 2, n->IsStemDown() ? y + stem : INT_MIN));
    }
    return e;
  }

  // The strokes of a tremolo between two notes stand between them: on the
  // stems' side, halfway from the heads to the nearer stem end; level with
  // the heads of notes without stems.
  void PlaceTremoloBetween(const TQSMeasure& m, const TPartState& state, TQSMark& mark) const {
    const TQSNote* first = nullptr;
    const TQSNote* second = nullptr;
    for (TQSItem* item : m.Items) {
      const TQSNote* n = AsNote(item);
      if (!n || n->Fields.StaffVoice != mark.Fields.StaffVoice) continue;
      if (n->Fields.Time == mark.Fields.Time) {
        if (!first) first = n;
      } else if (n->Fields.Time > mark.Fields.Time && (!second || n->Fields.Time < second->Fields.Time)) {
        second = n;
      }
    }
    if (!first) return;
    const int y1 = StaffPosition(m, state, *first) * space_ / 2;
    const int y2 = second ? StaffPosition(m, state, *second) * space_ / 2 : y1;
    int y = (y1 + y2) / 2;
    if (first->Fields.Length < kTicksWhole) {
      const int stem = 8 * first->Fields.StemLength;
      y = first->IsStemDown() ? (std::max(y1, y2) + space_ / 2 + std::min(y1, y2) + stem) / 2
                              : (std::min(y1, y2) - space_ / 2 + std::max(y1, y2) - stem) / 2;
    }
    mark.Fields.OffsetY = static_cast<int16_t>(std::clamp(ShiftOf(StaffOf(mark.Fields.StaffVoice)) + y, INT16_MIN, INT16_MAX));
  }

  // Offsets survive export and import only in whole tenths of a staff
  // space: a distance from the placement's own offset, rounded away from
  // the notes.
  static int WholeTenths(int units) {
    const int tenths = (units * kUnitsPerTenthDen + kUnitsPerTenthNum - 1) / kUnitsPerTenthNum;
    return tenths * kUnitsPerTenthNum / kUnitsPerTenthDen;
  }

  // The signs at a note that stand clear of it, above or below.
  static bool IsNoteSign(TQSItemType k) {
    switch (k) {
      case kind::Fermata: case kind::Accent: case kind::Trill: case kind::Mordent: case kind::Gruppetto:
      case kind::Breath: case kind::Bowing: case kind::Finger:
        return true;
      default:
        return false;
    }
  }

  // Dynamics and hairpins below the staff go below the lowest head, stem
  // and ledger line at their time; fermatas and the other signs at a note
  // above the highest head or stem end (inverted fermatas and the signs
  // the file puts below, below the lowest), so that no sign sits on a note.
  void PlaceDirections(TQSMeasure& m, const TPartState& state) {
    std::map<std::tuple<int, int, bool>, int> signs;
    for (TQSItem* item : m.Items) {
      if (item->ItemType == kind::Ottava) {
        // An octave line over (or under) the notes it covers in its measure.
        auto* o = static_cast<TQSMark*>(item);
        const int staff = StaffOf(o->Fields.StaffVoice);
        const TExtent e = NotesExtent(m, state, staff, o->Fields.Time, o->Fields.Time + o->Fields.Value);
        const int shift = ShiftOf(staff);
        o->Fields.OffsetY = static_cast<int16_t>(
            shift + (o->Fields.Kind == 0 ? std::min(-2 * space_, e.Any() ? e.Top - space_ : 0)
                                         : std::max(6 * space_, e.Any() ? e.Bottom + space_ : 0)));
        continue;
      }
      if (item->ItemType == kind::Bracket) {
        // A line bracket over (or under) the notes it covers in its
        // measure, its hooks clear of them and of the staff.
        auto* b = static_cast<TQSMark*>(item);
        const int staff = StaffOf(b->Fields.StaffVoice);
        const TExtent e = NotesExtent(m, state, staff, b->Fields.Time, b->Fields.Time + b->Fields.Value);
        const int gap = space_ / 2;
        const int y = b->Fields.Kind == 0
                          ? std::min(-gap, e.Any() ? e.Top - gap : 0) - kBracketHookBelow
                          : std::max(4 * space_ + gap, e.Any() ? e.Bottom + gap : 0) + kBracketHookAbove;
        b->Fields.OffsetY = static_cast<int16_t>(std::clamp(ShiftOf(staff) + y, INT16_MIN, INT16_MAX));
        continue;
      }
      if (item->ItemType == kind::Tremolo && !(static_cast<TQSMark*>(item)->Fields.Style & TQSMark::kStyleAttached)) {
        PlaceTremoloBetween(m, state, *static_cast<TQSMark*>(item));
        continue;
      }
      if (item->ItemType == kind::Term) {
        PlaceWordsAbove(m, state, *static_cast<TQSLyric*>(item));
        continue;
      }
      if (item->ItemType == kind::Arpeggio) {
        StretchArpeggio(m, state, *static_cast<TQSMark*>(item));
        continue;
      }
      if (item->ItemType != kind::Dynamics && !IsNoteSign(item->ItemType)) continue;
      auto* mark = static_cast<TQSMark*>(item);
      int16_t& y = mark->Fields.OffsetY;
      if (item->ItemType == kind::Dynamics) {
        const int staff = DirectionStaffOf(mark);
        const int base = below_ + ShiftOf(staff);
        if (y < base) continue;  // above the staff, or raised by the file
        const bool hairpin = !dynamic::IsLetterKind(mark->Fields.Kind);
        const int to = mark->Fields.Time + (hairpin ? mark->Fields.Value : 0);
        const TExtent e = NotesExtent(m, state, staff, mark->Fields.Time, to);
        // Letters reach up to one and a half spaces above their baseline
        // and so clear the staff's bottom line too; a hairpin reaches two
        // thirds of a space above its middle.
        const int room = hairpin ? space_ : 2 * space_;
        const int lowest = std::max(e.Any() ? e.Bottom : INT_MIN, hairpin ? INT_MIN : kBottomLine * space_ / 2);
        if (lowest != INT_MIN)
          y = static_cast<int16_t>(std::max<int>(y, base + WholeTenths(lowest + room - (base - ShiftOf(staff)))));
      } else {
        const int staff = StaffOf(mark->Fields.StaffVoice);
        const int shift = ShiftOf(staff);
        const TExtent e = NotesExtent(m, state, staff, mark->Fields.Time, mark->Fields.Time);
        const bool below = item->ItemType == kind::Fermata ? mark->Fields.Kind == TQSMark::kFermataBelow
                                                           : data_.BelowNotes.count(item) > 0;
        const bool above = item->ItemType == kind::Fermata ? mark->Fields.Kind == TQSMark::kFermataAbove : !below;
        // Several signs at one note stand one above (below) the other.
        int& stacked = signs[{mark->Fields.StaffVoice, mark->Fields.Time, above}];
        // y counts from the top line of the sign's own staff.
        if (above) {
          const int highest = std::min(-space_, e.Any() ? e.Top - space_ : 0);
          y = static_cast<int16_t>(shift + std::min<int>(y, highest));
          if (stacked != 0) y = static_cast<int16_t>(std::min<int>(y, stacked - 2 * space_));
          stacked = y;
        } else if (below) {
          const int lowest = std::max(5 * space_, e.Any() ? e.Bottom + space_ : 0);
          y = static_cast<int16_t>(shift + std::max<int>(y, lowest));
          if (stacked != 0) y = static_cast<int16_t>(std::max<int>(y, stacked + 2 * space_));
          stacked = y;
        }
      }
    }
  }

  // Words above a staff ("Allegro", "dolce") stand above the heads, stems
  // and beams of the notes and the chord symbols under them, which a long
  // word covers for about a half note; words the file raised further, or
  // put below, stay.
  void PlaceWordsAbove(TQSMeasure& m, const TPartState& state, TQSLyric& words) {
    const int staff = DirectionStaffOf(&words);
    const int shift = ShiftOf(staff);
    int16_t& y = words.Fields.OffsetY;
    if (y >= shift) return;  // not above its staff
    // The line's height: its point size at the screen's resolution.
    const int points = words.Fields.FontSize ? words.Fields.FontSize : 8;
    const int height = Round(points * ScreenPixelsPerInch() / 72.0) * 8;
    const int from = words.Fields.Time, to = from + kTicksHalf;
    int top = 0;
    const TExtent e = NotesExtent(m, state, staff, from, to);
    if (e.Any()) top = std::min(top, e.Top - space_);
    // Chord symbols keep their line next to the staff; the words go over
    // them (a symbol's raised parts reach a space above its line).
    for (TQSItem* item : m.Items) {
      if (item->ItemType != kind::Chord || StaffOf(static_cast<uint8_t>(item->StaffVoice())) != staff) continue;
      const auto* chord = static_cast<const TQSChord*>(item);
      if (chord->Fields.Time >= from && chord->Fields.Time <= to)
        top = std::min(top, chord->Fields.OffsetY - 48 - space_);
    }
    const int base = shift + kWordsAboveOffset, wanted = shift + top - height;
    if (wanted < y) y = static_cast<int16_t>(std::max<int>(INT16_MIN, base - WholeTenths(base - wanted)));
  }

  // An arpeggio reaches from the top of its chord's highest head to the
  // bottom of its lowest, on its staff. Its offset lies 24 units below its
  // top, where the drawn wave begins a third of a space lower still; it is
  // 48 units tall and 64 more for each step of its size.
  void StretchArpeggio(TQSMeasure& m, const TPartState& state, TQSMark& arpeggio) {
    const int staff = StaffOf(arpeggio.Fields.StaffVoice);
    int top = INT_MAX, bottom = INT_MIN;
    for (TQSItem* item : m.Items) {
      const TQSNote* n = AsNote(item);
      if (!n || StaffOf(n->Fields.StaffVoice) != staff || n->Fields.Time != arpeggio.Fields.Time) continue;
      const int y = StaffPosition(m, state, *n) * space_ / 2;
      top = std::min(top, y - space_ / 2);
      bottom = std::max(bottom, y + space_ / 2);
    }
    if (top == INT_MAX) return;
    arpeggio.Fields.OffsetY = static_cast<int16_t>(ShiftOf(staff) + top + 24 - space_ / 3);
    arpeggio.Fields.Value = static_cast<uint16_t>(std::max(0, (bottom - top - 48 + 63) / 64));
  }

  // The staff (index) a direction belongs to: the first unless the file
  // named another.
  int DirectionStaffOf(TQSItem* item) const {
    auto it = data_.DirectionStaff.find(item);
    return it == data_.DirectionStaff.end() ? 0 : it->second;
  }

  // How much lower than the part's first staff a staff stands.
  int ShiftOf(int staff) const {
    return staff * staffShift_ + (staff < static_cast<int>(staffExtra_.size()) ? staffExtra_[static_cast<size_t>(staff)] : 0);
  }

  // Lyrics stand below the lowest notes and stems of their staff (as far
  // as five spaces below it), all verses together; the staff below moves
  // down to leave them room, and the directions that belong to it with it.
  void RoomForLyrics(TQSPart& part, TPartState state) {
    const size_t staves = static_cast<size_t>(part.StaffCount());
    std::vector<int> lowest(staves, 4 * space_), highest(staves, 0), verses(staves, 0);
    for (TQSMeasure* m : part.MeasureList()) {
      for (size_t st = 0; st < staves; ++st) {
        const TExtent e = NotesExtent(*m, state, static_cast<int>(st), 0, INT_MAX);
        if (!e.Any()) continue;
        lowest[st] = std::max(lowest[st], std::min(e.Bottom, 9 * space_));
        highest[st] = std::min(highest[st], std::max(e.Top, -7 * space_));
      }
      for (TQSItem* item : m->Items) {
        if (item->ItemType == kind::Lyric) {
          const size_t st = static_cast<size_t>(StaffOf(static_cast<uint8_t>(item->StaffVoice())));
          if (st < staves) verses[st] = std::max(verses[st], static_cast<TQSLyric*>(item)->Fields.Verse + 1);
        } else if (item->ItemType == kind::Clef) {
          const size_t st = static_cast<size_t>(StaffOf(static_cast<TQSMark*>(item)->Fields.StaffVoice));
          if (st < state.Clefs.size()) state.Clefs[st] = static_cast<TQSMark*>(item)->Fields.Kind;
        }
      }
    }
    // Dynamics and hairpins below a staff with lyrics go below its verses,
    // where a singer looks for them, not among the syllables.
    std::vector<std::pair<TQSMark*, size_t>> signsBelow;
    for (TQSMeasure* m : part.MeasureList())
      for (TQSItem* item : m->Items) {
        if (item->ItemType != kind::Dynamics) continue;
        const size_t st = static_cast<size_t>(std::max(DirectionStaffOf(item), 0));
        auto* mark = static_cast<TQSMark*>(item);
        if (st < staves && verses[st] > 0 && mark->Fields.OffsetY - static_cast<int>(st) * staffShift_ >= 4 * space_)
          signsBelow.push_back({mark, st});
      }
    std::vector<bool> hasSignsBelow(staves, false);
    for (const auto& [mark, st] : signsBelow) hasSignsBelow[st] = true;

    std::vector<int> lower(staves, 0);  // each staff's lyrics' shift
    std::vector<int> versesEnd(staves, 0);  // below the last verse's line
    staffExtra_.assign(staves, 0);
    for (size_t st = 0; st < staves; ++st) {
      int below = 0;
      if (verses[st] > 0) {
        lower[st] = std::max(0, lowest[st] + space_ / 2 - VerseOffsetY(score_, 1));
        versesEnd[st] = VerseOffsetY(score_, verses[st]) + lower[st] + 5 * space_ / 2;
        // The last verse's line with its letters (and the signs below it),
        // then room for the notes and stems above the next staff.
        const int bottom = versesEnd[st] + (hasSignsBelow[st] ? 5 * space_ / 2 : 0);
        const int above = st + 1 < staves ? std::max(2 * space_, space_ / 2 - highest[st + 1]) : 2 * space_;
        below = std::max(0, bottom + above - 4 * space_ - interval_);
      }
      rowExtra_.push_back(below);
      if (st + 1 < staves) staffExtra_[st + 1] = staffExtra_[st] + below;
    }
    // Letters reach one and a half spaces above their baseline, a hairpin
    // two thirds of a space above its middle.
    for (const auto& [mark, st] : signsBelow) {
      const int room = dynamic::IsLetterKind(mark->Fields.Kind) ? 2 * space_ : space_;
      const int base = static_cast<int>(st) * staffShift_ + below_;
      const int y = base + WholeTenths(versesEnd[st] + room - below_);
      mark->Fields.OffsetY = static_cast<int16_t>(std::min(std::max<int>(mark->Fields.OffsetY, y), INT16_MAX));
    }
    for (TQSMeasure* m : part.MeasureList())
      for (TQSItem* item : m->Items) {
        const size_t st = static_cast<size_t>(StaffOf(static_cast<uint8_t>(std::max(item->StaffVoice(), 0))));
        if (item->ItemType == kind::Lyric && st < staves && lower[st] > 0) {
          int16_t& y = static_cast<TQSLyric*>(item)->Fields.OffsetY;
          y = static_cast<int16_t>(std::min(y + lower[st], INT16_MAX));
        }
        const int staff = DirectionStaffOf(item);
        if (staff > 0 && staff < static_cast<int>(staves)) {
          const int add = staffExtra_[static_cast<size_t>(staff)];
          if (auto* mark = dynamic_cast<TQSMark*>(item)) mark->Fields.OffsetY = static_cast<int16_t>(std::min(mark->Fields.OffsetY + add, INT16_MAX));
          else if (auto* text = dynamic_cast<TQSLyric*>(item)) text->Fields.OffsetY = static_cast<int16_t>(std::min(text->Fields.OffsetY + add, INT16_MAX));
        }
      }
  }

  // The room each row leaves for its lyrics, in the piece's table of row
  // offsets: one entry a row of every system the piece can have (at most
  // one a measure), the first row's own offset kept.
  void RowOffsets() {
    const size_t rows = rowExtra_.size();
    if (rows == 0 || std::all_of(rowExtra_.begin(), rowExtra_.end(), [](int v) { return v == 0; })) return;
    size_t systems = 1;
    for (TQSPart* part : piece_.PartList()) systems = std::max(systems, static_cast<size_t>(part->MeasureCount()));
    systems = std::min(systems, kMaxRowOffsets / rows);
    TQSSpacingTable& table = piece_.Spacing.RowOffsets;
    const int first = table.empty() ? 0 : table[0];
    table.assign(rows * systems, 0);
    for (size_t i = 1; i < table.size(); ++i) table[i] = static_cast<int16_t>(std::min(rowExtra_[(i - 1) % rows], int(INT16_MAX)));
    table[0] = static_cast<int16_t>(first);
  }
  static constexpr size_t kMaxRowOffsets = 8192;

  // Tempo marks, segno and coda signs stand above the notes of the top
  // staff at their time (a tempo mark reaches 80 units below its offset, a
  // sign 48).
  void PlaceTempos(TQSMeasure& m, const TPartState& state) {
    TQSColumn* column = piece_.GetColumn(m.Index);
    if (!column) return;
    for (TQSItem* item : column->Items) {
      const TQSItemType k = item->ItemType;
      if (k != kind::Tempo && k != kind::Segno && k != kind::Coda) continue;
      auto* mark = static_cast<TQSMark*>(item);
      const int reach = k == kind::Tempo ? 80 : 48;
      const TExtent e = NotesExtent(m, state, 0, mark->Fields.Time, mark->Fields.Time + kTicksQuarter);
      if (e.Any()) mark->Fields.OffsetY = static_cast<int16_t>(std::min<int>(mark->Fields.OffsetY, e.Top - reach - space_ / 2));
    }
  }

  TQSVorschlag* GraceGroup(TQSMeasure& m, uint8_t sv, int pos) {
    for (TQSItem* item : m.Items)
      if (item->ItemType == kind::Vorschlag && item->StaffVoice() == sv && item->TimePosition() == pos)
        return static_cast<TQSVorschlag*>(item);
    auto* g = static_cast<TQSVorschlag*>(CreateItemByKind(kind::Vorschlag, &m));
    g->Fields.StaffVoice = sv;
    g->Fields.Time = static_cast<uint16_t>(pos);
    return g;
  }

  // By time position, then staff and voice; items at the same place keep
  // the order in which the file gave them.
  static void SortStable(TQSMeasure& m) {
    std::vector<TQSItem*>& items = m.Items.Raw();
    std::stable_sort(items.begin(), items.end(), [](const TQSItem* a, const TQSItem* b) {
      auto key = [](const TQSItem* i) { return std::max(i->TimePosition(), -1) * 256 + (i->StaffVoice() & 0xFF); };
      return key(a) < key(b);
    });
  }

  // Accidentals as a musician reads them: a written alteration that differs
  // from the one in force on the staff (from the key signature and earlier
  // accidentals of the measure) gets its sign, a natural included.
  void Accidentals(TQSMeasure& m, int (&key)[7]) {
    std::vector<std::array<int, 7>> inForce;
    auto staffForce = [&](int staff) -> std::array<int, 7>& {
      while (static_cast<int>(inForce.size()) <= staff) {
        std::array<int, 7> a;
        std::copy(std::begin(key), std::end(key), a.begin());
        inForce.push_back(a);
      }
      return inForce[static_cast<size_t>(staff)];
    };
    auto check = [&](TQSNote* n, bool grace) {
      const TItemInfo* info = InfoOf(n);
      const int v = info ? info->Alter : 0;
      const int step = std::min(PitchStep(n->Fields.Pitch), 6);
      std::array<int, 7>& force = staffForce(StaffOf(n->Fields.StaffVoice));
      if (v == force[static_cast<size_t>(step)] && !(info && info->AccidentalShown)) return;
      auto* acc = static_cast<TQSMark*>(CreateItemByKind(kind::Accidental, n));
      acc->Fields.Kind = AccidentalKindFor(v);
      // A grace note's sign holds only for itself.
      if (!grace) force[static_cast<size_t>(step)] = v;
    };
    // In the order they are read: at one tick the key first, then the grace
    // notes before the main note, the main notes, the grace notes after.
    auto rank = [](const TQSItem* item) {
      if (item->ItemType == kind::Key) return 0;
      if (item->ItemType == kind::Vorschlag) return static_cast<const TQSVorschlag*>(item)->IsAfter() ? 3 : 1;
      return 2;
    };
    std::vector<TQSItem*> order(m.Items.begin(), m.Items.end());
    std::stable_sort(order.begin(), order.end(), [&](const TQSItem* a, const TQSItem* b) {
      const int ta = a->TimePosition(), tb = b->TimePosition();
      return ta != tb ? ta < tb : rank(a) < rank(b);
    });
    for (TQSItem* item : order) {
      if (item->ItemType == kind::Key) {
        KeyAlterations(static_cast<TQSMark*>(item)->Fields.Kind, key);
        inForce.clear();
      } else if (TQSNote* n = AsNote(item)) {
        check(n, false);
      } else if (item->ItemType == kind::Vorschlag) {
        for (TQSItem* g : static_cast<TQSVorschlag*>(item)->Items)
          if (TQSNote* n = AsNote(g)) check(n, true);
      }
    }
  }

  // A short first measure is the piece's upbeat.
  void Upbeat() {
    int end = 0;
    for (TQSPart* part : piece_.PartList()) {
      TQSMeasure* first = part->GetMeasure(0);
      if (!first) continue;
      for (TQSItem* item : first->Items)
        if (AsNote(item) || AsRest(item)) end = std::max(end, TimedItemEnd(*item));
    }
    if (end <= 0 || end >= MeterLength(data_.FirstTimeSignature)) return;
    int z = 0;
    while (z < 9 && ((end >> z) & 1) == 0) ++z;
    const int count = end >> z;
    if (count > 255) return;
    piece_.SetAuftakt(MakeMeter(count, kTicksWhole >> z));
    for (auto& lengths : data_.MeasureLengths)
      if (!lengths.empty()) lengths[0] = end;
    // Measures are counted from the first full one: the upbeat has no number.
    TQSColumn* first = piece_.GetColumn(0);
    TQSColumn* second = piece_.ColumnCount() > 1 ? piece_.GetColumn(1) : nullptr;
    if (first && second)
      for (TQSItem* item : std::vector<TQSItem*>(first->Items.begin(), first->Items.end()))
        if (item->ItemType == kind::MeasureNumbering) item->SetOwner(second);
  }

  // Ties and slurs: direction, the heights of their ends and their span.
  void FinishLigas(TQSMeasure& m) {
    for (TQSItem* item : m.Items) {
      if (TQSNote* n = AsNote(item)) {
        FinishNoteLigas(*n, n->Fields.Time);
      } else if (item->ItemType == kind::Vorschlag) {
        for (TQSItem* g : static_cast<TQSVorschlag*>(item)->Items)
          if (TQSNote* n = AsNote(g)) FinishNoteLigas(*n, item->TimePosition());
      }
    }
  }

  static bool TiedOn(const TQSNote& n) {
    for (int i = 0; i < n.ItemCount(); ++i)
      if (auto* l = dynamic_cast<TQSLiga*>(n.GetItem(i)); l && l->EndFromStart()) return true;
    return false;
  }

  int SlurEndY(const TQSNote& n, bool below) const {
    const bool down = n.IsStemDown();
    if (!down && !below) return (6 - n.Fields.StemLength) * 8;
    if (down && below) return (n.Fields.StemLength - 6) * 8;
    return 0;
  }

  int TicksBetween(const TQSNote& from, int fromPos, const TQSNote& to) const {
    const TQSMeasure* a = from.GetMeasure();
    const TQSMeasure* b = to.GetMeasure();
    if (!a || !b || a->Part() != b->Part()) return 0;
    int toPos = to.GraceGroup() ? to.GraceGroup()->TimePosition() : to.Fields.Time;
    if (a == b) return std::max(0, toPos - fromPos);
    if (b->Index < a->Index) return 0;
    const int part = a->Part()->Index;
    long long span = data_.MeasureLength(part, a->Index) - fromPos;
    for (int i = a->Index + 1; i < b->Index; ++i) span += data_.MeasureLength(part, i);
    span += toPos;
    return static_cast<int>(std::clamp<long long>(span, 0, 65535));
  }

  void FinishNoteLigas(TQSNote& n, int position) {
    for (int i = n.ItemCount() - 1; i >= 0; --i) {
      auto* liga = dynamic_cast<TQSLiga*>(n.GetItem(i));
      if (!liga) continue;
      TQSLiga::TFields& f = liga->Fields;
      if (f.Flags & TQSLiga::kFromStart) {
        // A tie: on the side the file gives; in a chord of tied notes the
        // upper ones above and the lower ones below, the middle one away
        // from the stem; else below the heads of a note whose stem is up.
        const TItemInfo* info = InfoOf(&n);
        bool below = !n.IsStemDown();
        if (info && info->TieBelow >= 0) {
          below = info->TieBelow == 1;
        } else if (n.IsChordMember() && n.GetMeasure()) {
          int lower = 0, count = 0;
          for (TQSItem* item : n.GetMeasure()->Items) {
            const TQSNote* other = AsNote(item);
            if (!other || other->Fields.StaffVoice != n.Fields.StaffVoice || other->Fields.Time != n.Fields.Time ||
                !other->IsChordMember() || !TiedOn(*other))
              continue;
            ++count;
            lower += PitchLine(other->Fields.Pitch) < PitchLine(n.Fields.Pitch);
          }
          if (count > 1) below = n.IsStemDown() ? 2 * lower + 1 < count : 2 * lower < count;
        }
        f.Flags = static_cast<uint8_t>(below ? f.Flags | TQSLiga::kBelow : f.Flags & ~TQSLiga::kBelow);
        f.Span = n.Fields.RealLength;
        f.EndStaffVoice = n.Fields.StaffVoice;
        continue;
      }
      // A slur the file gave no side arcs away from its first note's stem.
      if (!data_.PlacedSlurs.count(liga))
        f.Flags = static_cast<uint8_t>(n.IsStemDown() ? f.Flags & ~TQSLiga::kBelow : f.Flags | TQSLiga::kBelow);
      const bool below = f.Flags & TQSLiga::kBelow;
      if (int y = SlurEndY(n, below)) f.StartY = static_cast<int16_t>(y);
      auto end = data_.SlurEnds.find(liga);
      if (end == data_.SlurEnds.end() || !end->second) {
        f.Span = 0;
        continue;
      }
      const TQSNote& e = *end->second;
      if (int y = SlurEndY(e, below)) f.EndY = static_cast<int16_t>(y);
      f.EndStaffVoice = e.Fields.StaffVoice;
      const int o = PitchOctave(e.Fields.Pitch), t = PitchStep(e.Fields.Pitch);
      int endY = f.EndY + (45 - 7 * o - t) * space_ / 2;
      endY += below ? space_ : -space_;
      f.EndY = static_cast<int16_t>(std::clamp(endY, -32768, 32767));
      f.Span = static_cast<uint16_t>(TicksBetween(n, position, e));
    }
  }
};

}  // namespace

void FinishImport(TQSScore& score, TQSPiece& piece, TImportData& data) { TPostPass(score, piece, data).Run(); }

}  // namespace mxml
}  // namespace qs
