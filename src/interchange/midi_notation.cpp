// MIDI import, notation step: the raw notes of a part are fitted to a grid
// chosen measure by measure (a tree of binary subdivisions with triplet
// alternatives, the cheapest by distance), then written as notes with
// dots, ties, tuplets, accidentals, voices and chords; beams, rests,
// automatic clefs and the instrument name complete the part.
#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <map>
#include <set>
#include <tuple>

#include "base/strings.h"
#include "base/text.h"
#include "interchange/midi_file.h"
#include "interchange/importitems.h"
#include "interchange/midi_entries.h"
#include "layout/sounding.h"
#include "platform/fonts.h"
#include "score/accidentals.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/tree.h"

namespace qs {

namespace {

// The cost of a triplet block that cannot hold a triplet.
constexpr int64_t kNoTriplet = 999999;
// Notes struck less than this apart (a 64th) are one chord where the grid
// would otherwise merge notes struck one after the other.
constexpr int kChordSpread = kTicksWhole / 64;
// The shortest note value the import writes (a 128th).
constexpr int kFinestStep = kTicksWhole / 128;
// Notes sounding into the next measure by this much or less stay whole.
constexpr int kBarLineSlack = 4;
// Overlapping notes of a staff go to at most this many voices.
constexpr int kMaxImportedVoices = 4;
// Keys one hand spans at a keyboard (an octave), and the key of middle C,
// where the hands meet when nothing else tells them apart.
constexpr int kHandReach = 12;
constexpr int kMiddleCKey = 60;
// More notes than this in a measure of a keyboard part are not weighed for
// the split between the hands.
constexpr size_t kMaxWeighedNotes = 256;
// Two tracks of a keyboard part are its two hands when their keys lie this
// far apart on average (a fifth).
constexpr int kHandsApart = 7;


// A block of one subdivision level of a measure and the notes nearest it.
struct TQSAlignBlock {
  int Index = 0;
  int Start = 0;
  std::vector<TMidiEntry*> Entries;
  int64_t Cost = 0;
};

// One binary level: blocks of one length.
struct TQSAlignBlocks {
  std::vector<TQSAlignBlock> Blocks;
  int BlockLength = 0;
  int Children = 0;
};

// A block of the grid chosen for a measure; a triplet block is split in
// three slots, the way a tuplet mark of three over it divides it.
struct TSegment {
  int Start = 0;
  int Length = 0;
  bool Triplet = false;
  int SlotStart(int k) const { return Start + k * Length / 3; }
};

int NoteEnd(const TMidiEntry& e) { return e.Tick + e.Length; }

int LargestPowerOfTwo(int limit) {
  int v = 1;
  while (v * 2 <= limit) v *= 2;
  return v;
}

TQSMark* NewMark(TQSItemType kind, TQSItemOwner* owner) { return static_cast<TQSMark*>(CreateItemByKind(kind, owner)); }

// Puts an item that belongs to no list yet at index in the measure's list.
void InsertItemAt(TQSMeasure& measure, int index, TQSItem* item) {
  const bool suspended = measure.RegistrationSuspended;
  measure.RegistrationSuspended = true;
  item->SetOwner(&measure);
  measure.RegistrationSuspended = suspended;
  measure.Items.Insert(std::min(index, measure.ItemCount()), item);
}

TQSNote* AsNote(TQSItem* item) { return item->ItemType == kind::Note ? static_cast<TQSNote*>(item) : nullptr; }

int DotsOf(const TQSNote& note) {
  for (TQSItem* item : note.Items)
    if (item->ItemType == kind::Dot) return static_cast<TQSMark*>(item)->Fields.Value + 1;
  return 0;
}

// The alteration of each step (C to B) that a key signature gives.
void KeyAlterations(int keyKind, int alteration[7]) {
  static constexpr int kSharpOrder[7] = {3, 0, 4, 1, 5, 2, 6};  // F C G D A E B
  static constexpr int kFlatOrder[7] = {6, 2, 5, 1, 4, 0, 3};   // B E A D G C F
  std::fill(alteration, alteration + 7, 0);
  if (keyKind >= 1 && keyKind <= 7)
    for (int i = 0; i < keyKind; ++i) alteration[kSharpOrder[i]] = 1;
  else if (keyKind >= 11 && keyKind <= 17)
    for (int i = 0; i < keyKind - 10; ++i) alteration[kFlatOrder[i]] = -1;
}

class TPartWriter {
 public:
  TPartWriter(TMidiImportPart& source, const TMeterList& meters, const TMidiNotationOptions& options)
      : source_(source), part_(source.Part), meters_(meters), options_(options) {}

  TQSLyric* Write() {
    if (source_.Events.empty()) {
      delete part_;
      source_.Part = nullptr;
      return nullptr;
    }
    MakeStaves();
    Distribute();
    for (size_t m = 0; m < lists_.size(); ++m) WriteMeasure(static_cast<int>(m));
    // Chord notes in order of pitch, each chord once it is complete.
    for (const auto& [m, staffVoice, tick] : chords_) part_->GetMeasure(m)->ArrangeChordNotes(staffVoice, tick, false);
    CompleteMeasures();
    if (options_.AutoClefs && Channel() != kDrumChannel && part_->StaffCount() == 1) AutoClefs();
    if (part_->Fields.Channel == 255) part_->Fields.Channel = 0;
    if (TQSScore* score = part_->Score()) score->FireItemChangedQuietly(part_);
    return options_.TrackNames && !part_->Name.empty() ? InstrumentName() : nullptr;
  }

 private:
  int Channel() const { return part_->Fields.Channel; }

  TQSMeasure* Measure(int m) {
    while (part_->MeasureCount() <= m) part_->NewMeasure();
    if (noteCounts_.size() <= size_t(m)) noteCounts_.resize(size_t(m) + 1, {0, 0});
    return part_->GetMeasure(m);
  }

  // The first measure with its key, brace and clefs, and one or two staves
  // with a voice each: two for a keyboard part whose hands the file keeps
  // on a track each, or that plays notes together farther apart than one
  // hand reaches.
  void MakeStaves() {
    TQSMeasure* first = Measure(0);
    NewMark(kind::Key, first);
    // The drum channel's program 0 is the standard kit, not a piano: drums
    // keep one staff.
    const bool keyboard = !options_.OneStaff && part_->Fields.Instrument <= 7 && Channel() != kDrumChannel;
    if (keyboard) handTracks_ = HandTracks();
    const int staves = keyboard && (handTracks_[0] >= 0 || HandsApart()) ? 2 : 1;
    if (staves == 2) NewMark(kind::Accolade, first);
    for (int i = 0; i < staves; ++i) {
      TQSMark* clef = NewMark(kind::Clef, first);
      clef->Fields.StaffVoice = MakeStaffVoice(i, 0);
      clef->Fields.Kind = Channel() == kDrumChannel ? clef::Percussion2 : i == 0 ? clef::Treble : clef::Bass;
      part_->NewStaff()->NewVoice();
    }
  }

  // The tracks of the upper and the lower hand when the part's notes come
  // from exactly two tracks whose keys lie a fifth or more apart on
  // average (the higher is the upper hand); {-1, -1} otherwise: two tracks
  // of one range are one line, or one hand doubled.
  std::array<int, 2> HandTracks() const {
    std::array<int, 2> tracks{-1, -1};
    std::array<int64_t, 2> sum{}, count{};
    for (const auto& e : source_.Events) {
      if (!e->Note()) continue;
      size_t i = 0;
      while (i < 2 && tracks[i] >= 0 && tracks[i] != e->Track) ++i;
      if (i == 2) return {-1, -1};
      tracks[i] = e->Track;
      sum[i] += e->Key;
      ++count[i];
    }
    if (tracks[1] < 0 || std::abs(sum[0] * count[1] - sum[1] * count[0]) < kHandsApart * count[0] * count[1])
      return {-1, -1};
    if (sum[0] * count[1] < sum[1] * count[0]) std::swap(tracks[0], tracks[1]);
    return tracks;
  }

  // Whether notes sound together (struck within half a grid step) farther
  // apart than one hand reaches somewhere in the part.
  bool HandsApart() const {
    std::vector<const TMidiEntry*> notes;
    for (const auto& e : source_.Events)
      if (e->Note()) notes.push_back(e.get());
    std::stable_sort(notes.begin(), notes.end(),
                     [](const TMidiEntry* a, const TMidiEntry* b) { return a->Position < b->Position; });
    const int tolerance = options_.Quantize / 2;
    std::vector<const TMidiEntry*> sounding;
    size_t next = 0;
    for (const TMidiEntry* onset : notes) {
      const int64_t t = onset->Position + tolerance;
      while (next < notes.size() && notes[next]->Position <= t) sounding.push_back(notes[next++]);
      std::erase_if(sounding, [t](const TMidiEntry* e) { return e->Position + e->Length <= t; });
      int low = 127, high = 0;
      for (const TMidiEntry* e : sounding) low = std::min<int>(low, e->Key), high = std::max<int>(high, e->Key);
      if (high - low > kHandReach) return true;
    }
    return false;
  }

  // Gives each note of a measure that has no staff yet its staff: the hand's
  // track, or for a part of one track the side of the split key that fits
  // the measure's music best.
  void ChooseStaves(const std::vector<TMidiEntry*>& notes) const {
    if (part_->StaffCount() == 1) {
      for (TMidiEntry* e : notes) e->Staff = 0;
      return;
    }
    if (handTracks_[0] >= 0) {
      for (TMidiEntry* e : notes)
        if (e->Staff < 0) e->Staff = e->Track == handTracks_[1] ? 1 : 0;
      return;
    }
    // Weighing every split is quadratic in the notes: a measure denser than
    // music played by two hands parts at middle C.
    const int split = notes.size() <= kMaxWeighedNotes ? SplitKey(notes, options_.Quantize) : kMiddleCKey;
    for (TMidiEntry* e : notes)
      if (e->Staff < 0) e->Staff = e->Key >= split ? 0 : 1;
  }

  // The steps of the lines of a measure's notes: the notes struck together
  // continue the lines whose last note has ended by then, each within a
  // hand's reach, in order of pitch (lines do not cross), at the least
  // distance in all; a note no line takes begins one.
  static std::vector<std::pair<const TMidiEntry*, const TMidiEntry*>> LineSteps(const std::vector<TMidiEntry*>& notes,
                                                                               int quantize) {
    std::vector<const TMidiEntry*> byTick(notes.begin(), notes.end());
    std::stable_sort(byTick.begin(), byTick.end(), [](const TMidiEntry* a, const TMidiEntry* b) { return a->Tick < b->Tick; });
    auto byKey = [](const TMidiEntry* a, const TMidiEntry* b) { return a->Key < b->Key; };
    std::vector<const TMidiEntry*> lineEnds;
    std::vector<std::pair<const TMidiEntry*, const TMidiEntry*>> steps;
    constexpr int kNewLine = kHandReach + 1;
    for (size_t first = 0; first < byTick.size();) {
      size_t end = first;
      while (end < byTick.size() && byTick[end]->Tick - byTick[first]->Tick < kChordSpread) ++end;
      std::vector<const TMidiEntry*> struck(byTick.begin() + long(first), byTick.begin() + long(end));
      std::stable_sort(struck.begin(), struck.end(), byKey);
      std::vector<size_t> open;  // lines whose last note has ended, by pitch
      for (size_t l = 0; l < lineEnds.size(); ++l)
        if (NoteEnd(*lineEnds[l]) <= byTick[first]->Tick + quantize / 2) open.push_back(l);
      std::stable_sort(open.begin(), open.end(), [&](size_t a, size_t b) { return byKey(lineEnds[a], lineEnds[b]); });
      // cost[i][j]: the least distance for the first i notes and j lines.
      const size_t n = struck.size(), m = open.size();
      std::vector<std::vector<int>> cost(n + 1, std::vector<int>(m + 1, 0));
      for (size_t i = 1; i <= n; ++i) cost[i][0] = cost[i - 1][0] + kNewLine;
      for (size_t i = 1; i <= n; ++i)
        for (size_t j = 1; j <= m; ++j) {
          const int d = std::abs(struck[i - 1]->Key - lineEnds[open[j - 1]]->Key);
          cost[i][j] = std::min(cost[i - 1][j] + kNewLine, cost[i][j - 1]);
          if (d <= kHandReach) cost[i][j] = std::min(cost[i][j], cost[i - 1][j - 1] + d);
        }
      std::vector<const TMidiEntry*> ends = lineEnds;
      for (size_t i = n, j = m; i > 0;) {
        if (j > 0 && cost[i][j] == cost[i][j - 1]) {
          --j;
        } else if (cost[i][j] == cost[i - 1][j] + kNewLine) {
          ends.push_back(struck[--i]);
        } else {
          steps.push_back({lineEnds[open[j - 1]], struck[i - 1]});
          ends[open[j - 1]] = struck[i - 1];
          --i, --j;
        }
      }
      lineEnds = std::move(ends);
      first = end;
    }
    return steps;
  }

  // The key from which a measure's notes go to the upper staff. Each key
  // is weighed by what it costs: notes sounding together that one hand
  // would have to stretch beyond its reach for (heavily), a chord one hand
  // can hold parted between the hands, and a line (notes that follow one
  // another within a hand's reach) passed from hand to hand. Of equal
  // costs the key nearest middle C wins. Notes that have their staff (the
  // rest of a note tied over the bar line) stay on it.
  static int SplitKey(const std::vector<TMidiEntry*>& notes, int quantize) {
    constexpr int kReachWeight = 4, kPartedChord = 6, kPassedLine = 6;
    // The notes sounding at each onset, and of them those struck with it.
    struct TSlice {
      std::vector<const TMidiEntry*> Sounding, Struck;
    };
    std::vector<TSlice> slices;
    std::set<int> keys{kMiddleCKey};
    for (const TMidiEntry* onset : notes) {
      const int t = onset->Tick + quantize / 2;
      TSlice slice;
      for (const TMidiEntry* e : notes) {
        if (e->Tick > t || NoteEnd(*e) <= t) continue;
        slice.Sounding.push_back(e);
        if (e->Tick > onset->Tick - quantize / 2) slice.Struck.push_back(e);
      }
      if (slice.Sounding.size() > 1) slices.push_back(std::move(slice));
      keys.insert(onset->Key);
      keys.insert(onset->Key + 1);
    }
    const std::vector<std::pair<const TMidiEntry*, const TMidiEntry*>> steps = LineSteps(notes, quantize);
    int best = kMiddleCKey;
    int64_t bestCost = INT64_MAX;
    for (const int split : keys) {
      auto upper = [split](const TMidiEntry* e) { return e->Staff >= 0 ? e->Staff == 0 : e->Key >= split; };
      int64_t cost = 0;
      for (const auto& [from, to] : steps)
        if (upper(from) != upper(to)) cost += kPassedLine;
      // The lowest and highest key of each hand among notes.
      auto ranges = [&upper](const std::vector<const TMidiEntry*>& of) {
        std::array<int, 4> r{127, -1, 127, -1};
        for (const TMidiEntry* e : of) {
          const size_t hand = upper(e) ? 0 : 2;
          r[hand] = std::min<int>(r[hand], e->Key);
          r[hand + 1] = std::max<int>(r[hand + 1], e->Key);
        }
        return r;
      };
      for (const TSlice& slice : slices) {
        const std::array<int, 4> sounding = ranges(slice.Sounding), struck = ranges(slice.Struck);
        for (size_t hand = 0; hand < 4; hand += 2)
          if (sounding[hand + 1] >= 0) cost += kReachWeight * std::max(0, sounding[hand + 1] - sounding[hand] - kHandReach);
        if (struck[1] >= 0 && struck[3] >= 0 && struck[1] - struck[2] <= kHandReach) cost += kPartedChord;
      }
      if (cost < bestCost || (cost == bestCost && std::abs(split - kMiddleCKey) < std::abs(best - kMiddleCKey)))
        best = split, bestCost = cost;
    }
    return best;
  }

  // Each entry to the measure that holds its position. An entry played
  // just before a bar line, nearer to it than to any earlier step of the
  // grid, belongs to the measure that begins there: its note starts that
  // measure (early by its raw tick, which the playback offset keeps).
  void Distribute() {
    for (const auto& entry : source_.Events) {
      TMeasureTick at = meters_.Locate(entry->Position);
      entry->Tick = at.Tick;
      const int length = meters_.Length(at.Measure), q = options_.Quantize;
      const int toBarLine = length - at.Tick, fromGridStep = at.Tick % q;
      if (2 * toBarLine <= q && toBarLine <= fromGridStep && at.Measure + 1 < kMaxMidiMeasures) {
        ++at.Measure;
        entry->Tick = entry->Note() ? at.Tick - length : 0;
        at.Tick = 0;
      }
      const auto tick = static_cast<uint16_t>(at.Tick);
      if (TQSNote* note = entry->Note()) note->Fields.Time = tick;
      else if (entry->Item->ItemType == kind::Key) static_cast<TQSMark*>(entry->Item.get())->Fields.Time = tick;
      else static_cast<TQSLyric*>(entry->Item.get())->Fields.Time = tick;
      ListOf(at.Measure).push_back(entry.get());
    }
  }

  std::vector<TMidiEntry*>& ListOf(int m) {
    if (lists_.size() <= size_t(m)) {
      lists_.resize(size_t(m) + 1);
      carriedCount_.resize(size_t(m) + 1, 0);
    }
    return lists_[size_t(m)];
  }

  void WriteMeasure(int m) {
    TQSMeasure* measure = Measure(m);
    std::vector<TMidiEntry*> notes, upper, lower;
    for (TMidiEntry* e : lists_[size_t(m)])
      if (e->Note()) notes.push_back(e);
    ChooseStaves(notes);
    for (TMidiEntry* e : notes) (e->Staff == 1 ? lower : upper).push_back(e);
    if (upper.size() + lower.size() > size_t(kMaxMidiNotesPerMeasure))
      throw EMidiFileError(Format("The MIDI file is too dense: measure %d of a part has more than %d notes", m + 1,
                                  kMaxMidiNotesPerMeasure));
    // Texts and key signatures go into the measure one by one, each after
    // a search of its items: no more than a measure can hold.
    if (lists_[size_t(m)].size() - upper.size() - lower.size() > size_t(kMaxChildCount))
      throw EMidiFileError(Format("The MIDI file is too dense: measure %d of a part has more than %d texts and keys",
                                  m + 1, kMaxChildCount));
    Quantize(upper, 0, m);
    Quantize(lower, 1, m);

    const std::vector<TMidiEntry*> entries = lists_[size_t(m)];
    for (TMidiEntry* e : entries) {
      if (e->Note()) {
        WriteNote(*e, m);
      } else if (e->Item->ItemType == kind::Key) {
        keyKind_ = static_cast<TQSMark*>(e->Item.get())->Fields.Kind;
        e->Item.release()->SetOwner(measure);
      } else {
        InsertItemAt(*measure, TQSScore::FindItemInsertIndex(*measure, 0, e->Tick, 0), e->Item.release());
      }
    }
  }

  // ------------------------------------------------------------ fitting

  // Fits the notes of one staff of measure m to the grid: start, length
  // and whether they form a triplet.
  void Quantize(std::vector<TMidiEntry*>& notes, int staff, int m) {
    if (notes.empty()) return;
    const uint16_t meter = meters_.Meter(m);
    const int length = meters_.Length(m);
    const int q = options_.Quantize;

    // Notes that sound on into the next measure are cut at the bar line
    // and tied to their rest there; after the last measure a score holds
    // nothing can follow.
    for (TMidiEntry* e : notes) {
      if (NoteEnd(*e) <= length + kBarLineSlack) continue;
      if (m + 1 < kMaxMidiMeasures) Carry(*e, m, length);
      else e->Length = length - e->Tick;
    }

    // Levels: the whole measure divided into its beats, then halves of a
    // beat down to the quantisation value.
    std::vector<TQSAlignBlocks> levels;
    levels.push_back({std::vector<TQSAlignBlock>(1), length, MeterNumerator(meter)});
    for (int block = length / MeterNumerator(meter); block >= q && block > 0; block /= 2) {
      TQSAlignBlocks level;
      level.BlockLength = block;
      level.Children = 2;
      level.Blocks.resize(size_t(length / block));
      levels.push_back(std::move(level));
    }
    for (TQSAlignBlocks& level : levels) {
      const int last = int(level.Blocks.size()) - 1;
      for (int i = 0; i <= last; ++i) level.Blocks[size_t(i)].Index = i, level.Blocks[size_t(i)].Start = i * level.BlockLength;
      for (TMidiEntry* e : notes) {
        const int b = std::clamp(int(RoundToGrid(e->Tick, level.BlockLength) / level.BlockLength), 0, last);
        level.Blocks[size_t(b)].Entries.push_back(e);
      }
      for (TQSAlignBlock& block : level.Blocks) {
        for (TMidiEntry* e : block.Entries)
          block.Cost += std::abs(e->Tick - block.Start) + std::abs(NoteEnd(*e) - (block.Start + level.BlockLength));
      }
    }

    // The binary grid, and the triplets that replace it where they fit the
    // notes better.
    std::vector<TSegment> segments;
    TTree tree{levels, notes, length, MeterNumerator(meter)};
    ChooseSegments(tree, 0, 0, segments);
    if (options_.Triplets) {
      const std::vector<TSegment> triplets = ChooseTriplets(tree);
      std::erase_if(segments, [&triplets](const TSegment& s) {
        return std::any_of(triplets.begin(), triplets.end(),
                           [&s](const TSegment& t) { return s.Start >= t.Start && s.Start < t.Start + t.Length; });
      });
      segments.insert(segments.end(), triplets.begin(), triplets.end());
    }

    for (TMidiEntry* e : notes) Fit(*e, segments, length);
    KeepOnsets(notes, length, levels.size() > 1 ? levels[1].BlockLength : length);

    for (const TSegment& s : segments) {
      if (!s.Triplet) continue;
      TQSMark* tuplet = NewMark(kind::Tuplet, Measure(m));
      tuplet->Fields.Kind = 3;
      tuplet->Fields.Time = static_cast<uint16_t>(s.Start);
      tuplet->Fields.Value = static_cast<uint16_t>(s.Length / 2);
      tuplet->Fields.StaffVoice = MakeStaffVoice(staff, 0);
      tuplet->CalcTupletLengths();
    }

    // A note let go a little early, less than a grid step before the next
    // onset of its staff (or the bar line), is written to last until it, as
    // it was meant: a held half note is a half, not a double-dotted
    // quarter and a rest.
    for (TMidiEntry* e : notes) {
      if (e->InTuplet || e->TiedToNext) continue;
      const int next = NextOnset(notes, *e, length);
      const int end = e->FitStart + e->FitLength, gap = next - NoteEnd(*e);
      if (end < next && gap >= 0 && gap < q) e->FitLength = next - e->FitStart;
    }

    // A note fitted much shorter than it sounds takes twice its length
    // when that much room is free after it.
    for (TMidiEntry* e : notes) {
      if (e->InTuplet || e->FitLength * 3 >= e->Length * 2) continue;
      if (NextOnset(notes, *e, length) >= e->FitStart + 2 * e->FitLength) e->FitLength *= 2;
    }

    // A drum is struck, not held: it is written to last until the next
    // stroke of its staff (a beat at most), not as a short note and a rest.
    if (Channel() == kDrumChannel) {
      const int beat = std::max(q, kTicksWhole / MeterDenominator(meter));
      for (TMidiEntry* e : notes) {
        if (e->InTuplet || e->TiedToNext) continue;
        const int room = std::min(NextOnset(notes, *e, length) - e->FitStart, beat);
        // Only a length a note value (dotted or not) shows in one piece.
        if (room > e->FitLength && (LargestPowerOfTwo(room) == room || LargestPowerOfTwo(room) * 3 / 2 == room))
          e->FitLength = room;
      }
    }
  }

  // The earliest fitted onset of the staff after the note's own, or the
  // bar line.
  static int NextOnset(const std::vector<TMidiEntry*>& notes, const TMidiEntry& e, int length) {
    int next = length;
    for (const TMidiEntry* o : notes)
      if (o->FitStart > e.FitStart) next = std::min(next, o->FitStart);
    return next;
  }

  // The part of a note beyond the bar line becomes a note of its own at the
  // front of the next measure's entries.
  void Carry(TMidiEntry& e, int m, int length) {
    auto copy = std::make_unique<TMidiEntry>();
    copy->Key = e.Key;
    copy->Velocity = e.Velocity;
    copy->Accidental = e.Accidental;
    copy->Track = e.Track;
    copy->Staff = e.Staff;
    copy->Length = NoteEnd(e) - length;
    copy->Item.reset(NewImportNote(e.Note()->Fields.Pitch, e.Note()->Fields.HeadStyle, e.Velocity));
    std::vector<TMidiEntry*>& next = ListOf(m + 1);
    int& front = carriedCount_[size_t(m) + 1];
    next.insert(next.begin() + front++, copy.get());
    e.Continuation = copy.get();
    carried_.push_back(std::move(copy));
    e.Length = length - e.Tick;
    e.TiedToNext = true;
  }

  // The binary levels of a measure and what the triplet alternatives are
  // weighed against.
  struct TTree {
    const std::vector<TQSAlignBlocks>& Levels;
    const std::vector<TMidiEntry*>& Notes;
    int MeasureLength = 0;
    int Beats = 0;
  };

  // The slot of a triplet block whose start lies nearest to tick; the
  // earlier on a tie.
  static int NearestSlot(const TSegment& s, int tick) {
    int best = 0;
    for (int k = 1; k < 3; ++k)
      if (std::abs(tick - s.SlotStart(k)) < std::abs(tick - s.SlotStart(best))) best = k;
    return best;
  }

  // The end of the slot, from the note's own slot on, nearest to where the
  // note ends: a note may hold two slots of a triplet.
  static int NearestSlotEnd(const TSegment& s, int slot, int end) {
    int best = slot + 1;
    for (int k = slot + 2; k <= 3; ++k)
      if (std::abs(end - s.SlotStart(k)) < std::abs(end - s.SlotStart(best))) best = k;
    return best;
  }

  // How far the onsets of the notes that belong to a block (those from a
  // sixth of it before its start to a sixth before its end) lie from its
  // three slots, and from the grid. No fit (kNoTriplet) when they use fewer
  // than two slots, or when a slot would take notes struck apart or one
  // key twice: a triplet never merges notes into a chord nor loses one.
  struct TTripletFit {
    int64_t Slots = kNoTriplet;
    int64_t Grid = 0;
  };
  TTripletFit TripletFit(const TTree& tree, const TSegment& s) const {
    const int q = options_.Quantize;
    const int last = tree.MeasureLength / s.Length - 1;
    const int index = s.Start / s.Length;
    std::array<std::vector<const TMidiEntry*>, 3> slots;
    TTripletFit fit;
    int64_t distance = 0;
    for (const TMidiEntry* e : tree.Notes) {
      const int b = std::clamp(e->Tick / s.Length + (e->Tick % s.Length * 6 > 5 * s.Length ? 1 : 0), 0, last);
      if (b != index) continue;
      const int k = NearestSlot(s, e->Tick);
      for (const TMidiEntry* o : slots[size_t(k)])
        if (o->Key == e->Key || std::abs(o->Tick - e->Tick) >= kChordSpread) return fit;
      slots[size_t(k)].push_back(e);
      distance += std::abs(e->Tick - s.SlotStart(k));
      fit.Grid += std::abs(e->Tick - RoundToGrid(std::max(e->Tick, 0), q));
    }
    if (!slots[0].empty() + !slots[1].empty() + !slots[2].empty() >= 2) fit.Slots = distance;
    return fit;
  }

  // The triplets of a measure: the largest blocks first (the whole measure
  // of two or four beats, pairs of beats, beats, their halves down to two
  // grid steps), each where its notes lie less than half as far from its
  // slots as from the grid, and no two overlapping. Only the onsets count:
  // players hold notes for any length.
  std::vector<TSegment> ChooseTriplets(const TTree& tree) const {
    std::vector<TSegment> candidates, chosen;
    const std::vector<TQSAlignBlocks>& levels = tree.Levels;
    const int n = static_cast<int>(levels.size());
    if (n < 2) return chosen;
    const int beat = levels[1].BlockLength;
    if (tree.Beats == 2 || tree.Beats == 4) candidates.push_back({0, tree.MeasureLength, true});
    if (tree.Beats % 2 == 0 && tree.Beats > 2)
      for (int c = 0; c + 1 < tree.Beats; c += 2) candidates.push_back({c * beat, 2 * beat, true});
    for (int b = 1; b < n - 1; ++b)
      for (const TQSAlignBlock& block : levels[size_t(b)].Blocks)
        candidates.push_back({block.Start, levels[size_t(b)].BlockLength, true});
    for (const TSegment& c : candidates) {
      const bool overlaps = std::any_of(chosen.begin(), chosen.end(), [&c](const TSegment& t) {
        return c.Start < t.Start + t.Length && t.Start < c.Start + c.Length;
      });
      if (overlaps) continue;
      const TTripletFit fit = TripletFit(tree, c);
      if (fit.Slots != kNoTriplet && 2 * fit.Slots < fit.Grid) chosen.push_back(c);
    }
    return chosen;
  }

  // A block stays one segment when splitting it costs no less and it holds
  // notes itself (or its children hold none); otherwise its children
  // replace it and are examined in turn.
  void ChooseSegments(const TTree& tree, int b, int index, std::vector<TSegment>& segments) const {
    const std::vector<TQSAlignBlocks>& levels = tree.Levels;
    const int n = static_cast<int>(levels.size());
    const TQSAlignBlock& block = levels[size_t(b)].Blocks[size_t(index)];
    const TSegment whole{block.Start, levels[size_t(b)].BlockLength, false};
    if (b == n - 1) {
      segments.push_back(whole);
      return;
    }
    const TQSAlignBlocks& next = levels[size_t(b) + 1];
    const int first = b == 0 ? 0 : index * 2;
    const int count = b == 0 ? levels[0].Children : 2;
    int64_t children = 0;
    bool childNotes = false;
    for (int c = first; c < first + count; ++c) {
      children += next.Blocks[size_t(c)].Cost;
      childNotes = childNotes || !next.Blocks[size_t(c)].Entries.empty();
    }
    if (children >= block.Cost && (!block.Entries.empty() || !childNotes)) {
      segments.push_back(whole);
      return;
    }
    for (int c = first; c < first + count; ++c) ChooseSegments(tree, b + 1, c, segments);
  }

  // The segment (or triplet slot) whose start lies nearest to the note's
  // start, the first on a tie, gives the note its start and length; in a
  // triplet a note lasts to the end of the slot nearest its own end (or to
  // the bar line when it is cut there).
  void Fit(TMidiEntry& e, const std::vector<TSegment>& segments, int length) const {
    int bestDistance = INT_MAX;
    for (const TSegment& s : segments) {
      if (s.Triplet) {
        for (int k = 0; k < 3; ++k) {
          const int d = std::abs(e.Tick - s.SlotStart(k));
          if (d >= bestDistance) continue;
          bestDistance = d;
          e.FitStart = s.SlotStart(k);
          // A note cut at the bar line lasts to it.
          e.FitLength = e.TiedToNext ? length - e.FitStart : s.SlotStart(NearestSlotEnd(s, k, NoteEnd(e))) - e.FitStart;
          e.InTuplet = true;
        }
        continue;
      }
      const int d = std::abs(e.Tick - s.Start);
      if (d >= bestDistance) continue;
      bestDistance = d;
      e.FitStart = s.Start;
      e.InTuplet = false;
      FitBinaryLength(e, length);
    }
  }

  // A note cut at the bar line lasts to it from its grid start. Any other
  // note keeps its own length on the grid, whatever the block it starts in:
  // held under moving notes it goes to a voice of its own rather than being
  // cut to the block. It still ends by the bar line.
  void FitBinaryLength(TMidiEntry& e, int length) const {
    const int q = options_.Quantize;
    if (e.TiedToNext) e.FitLength = length - e.FitStart;
    else e.FitLength = std::min(std::max(int(RoundToGrid(e.Length, q)), q), length - e.FitStart);
  }

  // Every note keeps its own onset to the grid's resolution. A note the
  // tree put farther than half a grid step from where it starts goes to the
  // nearest grid point instead; a note is never moved to or past the onset
  // of a note that starts after it; and of two notes of one key that start
  // at different ticks, neither becomes the other. Quadratic in the notes
  // of a measure, which are bounded.
  void KeepOnsets(std::vector<TMidiEntry*>& notes, int length, int beat) const {
    const int q = options_.Quantize;
    const int lastGrid = (length - 1) / q * q;
    auto place = [&](TMidiEntry& e, int start) {
      e.FitStart = start;
      e.InTuplet = false;
      FitBinaryLength(e, length);
    };
    for (TMidiEntry* e : notes)
      if (!e->InTuplet && std::abs(e->FitStart - e->Tick) * 2 > q)
        place(*e, std::min(int(RoundToGrid(e->Tick, q)), lastGrid));

    std::vector<TMidiEntry*> byStart = notes;
    std::stable_sort(byStart.begin(), byStart.end(), [](const TMidiEntry* a, const TMidiEntry* b) { return a->Tick < b->Tick; });
    // Walking back over the groups of one onset: the earliest fitted onset
    // of the notes that start later. Notes played less than half a grid
    // step apart (a chord struck by hand) are one group.
    int laterOnset = INT_MAX;
    for (size_t i = byStart.size(); i > 0;) {
      size_t j = i;
      while (j > 0 && 2 * (byStart[i - 1]->Tick - byStart[j - 1]->Tick) < q) --j;
      int groupOnset = INT_MAX;
      for (size_t k = j; k < i; ++k) {
        TMidiEntry& e = *byStart[k];
        if (e.FitStart >= laterOnset) {
          const int below = std::min(e.Tick / q * q, lastGrid);
          if (below < laterOnset) place(e, below);
        }
        groupOnset = std::min(groupOnset, e.FitStart);
      }
      laterOnset = std::min(laterOnset, groupOnset);
      i = j;
    }

    for (size_t i = 0; i < byStart.size(); ++i) {
      TMidiEntry& e = *byStart[i];
      for (size_t j = 0; j < i; ++j) {
        const TMidiEntry& earlier = *byStart[j];
        if (earlier.Key == e.Key && earlier.Tick != e.Tick && earlier.FitStart == e.FitStart &&
            e.FitStart + q <= lastGrid) {
          place(e, e.FitStart + q);
          break;
        }
      }
    }
    SeparateStrokes(byStart, length, beat);

    // Rounding a length up does not make a note sound over one that
    // began after it had ended.
    for (TMidiEntry* e : notes) {
      if (e->InTuplet || e->TiedToNext) continue;
      for (const TMidiEntry* o : notes)
        if (o->Tick > e->Tick && o->Tick >= NoteEnd(*e) && o->FitStart > e->FitStart)
          e->FitLength = std::min(e->FitLength, o->FitStart - e->FitStart);
    }
  }

  // Notes struck apart (a 64th or more, or one key twice) that
  // still share an onset, as in five notes to a beat or a trill faster than
  // the grid: the strokes of that beat are written on the coarsest finer
  // grid (halves of the grid step, down to 128ths) that gives each its own
  // onset, so no note becomes part of a chord it was not struck with and
  // none is lost as a repeat. byStart: the notes by their raw onset.
  void SeparateStrokes(const std::vector<TMidiEntry*>& byStart, int length, int beat) const {
    const int q = options_.Quantize;
    std::vector<std::vector<TMidiEntry*>> strokes;
    for (TMidiEntry* e : byStart) {
      if (e->InTuplet) continue;
      const bool sameStroke = !strokes.empty() && e->Tick - strokes.back().front()->Tick < kChordSpread &&
                              std::none_of(strokes.back().begin(), strokes.back().end(), [e](const TMidiEntry* o) {
                                return o->Key == e->Key && o->Tick != e->Tick;
                              });
      if (sameStroke) strokes.back().push_back(e);
      else strokes.push_back({e});
    }
    std::set<int> crowded;  // beats in which two strokes share an onset
    std::set<int> onsets;
    for (const auto& stroke : strokes)
      if (!onsets.insert(stroke.front()->FitStart).second) crowded.insert(stroke.front()->FitStart / beat);
    for (const int b : crowded) {
      const int from = b * beat, to = std::min(from + beat, length);
      std::vector<const std::vector<TMidiEntry*>*> inBeat;
      for (const auto& stroke : strokes)
        if (stroke.front()->FitStart >= from && stroke.front()->FitStart < to) inBeat.push_back(&stroke);
      for (int g = q / 2; g >= kFinestStep; g /= 2) {
        std::vector<int> places;
        for (const auto* stroke : inBeat)
          places.push_back(std::clamp(int(RoundToGrid(std::max(stroke->front()->Tick, 0), g)), from, to - g));
        if (std::adjacent_find(places.begin(), places.end(), std::greater_equal<int>()) != places.end()) continue;
        for (size_t i = 0; i < inBeat.size(); ++i)
          for (TMidiEntry* e : *inBeat[i]) e->FitStart = places[i];
        for (size_t i = 0; i < inBeat.size(); ++i) {
          // Its own length on the finer grid, not over the next onset
          // unless held well beyond it.
          int next = length;
          for (const TMidiEntry* o : byStart)
            if (o->FitStart > places[i]) next = std::min(next, o->FitStart);
          for (TMidiEntry* e : *inBeat[i]) {
            const int own = std::clamp(int(RoundToGrid(e->Length, g)), g, length - places[i]);
            e->FitLength = e->TiedToNext                       ? length - places[i]
                           : e->Length <= next - places[i] + q ? std::min(own, next - places[i])
                                                               : own;
          }
        }
        break;
      }
    }
  }

  // ------------------------------------------------------------ writing

  // Writes a fitted note: in a tuplet as one note of its slot, otherwise
  // in pieces of note values with dots, tied, across bar lines as needed.
  void WriteNote(TMidiEntry& e, int m) {
    TQSNote* own = e.Note();
    // D and A sharp are written as E and B flat.
    if (e.Accidental == TMidiAccidental::Flat)
      own->Fields.Pitch = MakePitch(PitchOctave(own->Fields.Pitch), PitchStep(own->Fields.Pitch) + 1);
    const uint8_t pitch = own->Fields.Pitch;
    const uint8_t head = own->Fields.HeadStyle;
    const int line = PitchLine(pitch);
    const int staff = std::max(e.Staff, 0);
    TQSStaff* staffObject = part_->GetStaff(staff);
    const int playOffset = std::clamp(e.Tick - e.FitStart, int(INT16_MIN), int(INT16_MAX));
    int excess = e.Length - e.FitLength;

    int tick = e.FitStart;
    int remaining = e.FitLength;
    int voice = -1;
    TQSNote* last = nullptr;
    int lastLength = 0;
    bool first = true;
    while (remaining > 0) {
      const int measureLength = meters_.Length(m);
      if (tick >= measureLength) {
        if (m + 1 >= kMaxMidiMeasures) break;
        ++m;
        tick = 0;
        continue;
      }
      TQSMeasure* measure = Measure(m);
      TPiece piece;
      if (!NextPiece(*measure, staff, tick, remaining, measureLength, piece)) break;
      int pieceTick = piece.Tick, pieceLength = piece.Length, value = piece.Value, dots = piece.Dots;

      if (voice < 0) {
        voice = ChooseVoice(*measure, *staffObject, staff, pieceTick, pieceLength, e.Voice);
        if (e.Continuation) e.Continuation->Voice = voice;
      }
      const uint8_t staffVoice = MakeStaffVoice(staff, voice);
      bool stemDown = staffObject->VoiceCount() > 1 ? voice != 0 : line > 40;
      TQSNote* chord = nullptr;
      const int at = PlaceOf(*measure, staffVoice, pieceTick, chord);
      bool skip = false;
      if (chord) {
        for (TQSItem* item : measure->Items) {
          const TQSNote* n = AsNote(item);
          if (n && n->Fields.Time == pieceTick && n->Fields.StaffVoice == staffVoice && n->SoundingKey == e.Key)
            skip = true;
        }
      }
      if (!skip) {
        if (chord) {
          chord->SetChordMember(true);
          stemDown = chord->IsStemDown();
          excess += pieceLength - chord->Fields.RealLength;
          value = chord->Fields.Length;
          pieceLength = chord->Fields.RealLength;
          dots = DotsOf(*chord);
        }
        TQSNote* note = first ? static_cast<TQSNote*>(e.Item.release()) : NewImportNote(pitch, head, e.Velocity);
        note->Fields.Time = static_cast<uint16_t>(pieceTick);
        note->Fields.PlayOffset = static_cast<int16_t>(first ? playOffset : 0);
        note->Fields.StaffVoice = staffVoice;
        note->Fields.Length = static_cast<uint16_t>(value);
        note->Fields.RealLength = static_cast<uint16_t>(pieceLength);
        note->Fields.Velocity = e.Velocity;
        note->SoundingKey = e.Key;
        note->SetStemDown(stemDown);
        note->SetChordMember(chord != nullptr);
        const int extraBeams = value == 32 ? 1 : value == 16 ? 2 : value == 8 ? 3 : value == 4 ? 4 : 0;
        if (extraBeams) note->SetExtraBeams(extraBeams);
        WriteAccidental(*note, e.Accidental, *measure, staff, pieceTick);
        InsertItemAt(*measure, at, note);
        if (dots > 0) NewMark(kind::Dot, note)->Fields.Value = static_cast<uint16_t>(dots - 1);
        if (first && OpensHiHat(e)) {
          TQSMark* open = NewMark(kind::HiHat2, measure);
          open->Fields.Time = static_cast<uint16_t>(pieceTick);
          open->Fields.StaffVoice = staffVoice;
          open->Fields.Style = TQSMark::kStyleAttached;
        }
        ++noteCounts_[size_t(m)][size_t(staff)];
        if (chord) chords_.insert({m, staffVoice, pieceTick});
        last = note;
        lastLength = pieceLength;
      } else if (first) {
        e.Item.reset();
      }
      remaining -= piece.Used;
      tick = pieceTick + pieceLength;
      first = false;
      if (!skip && (remaining > 0 || e.TiedToNext)) Tie(*last, pieceLength);
    }
    if (!last) return;
    if (e.TiedToNext) {
      // The note goes on in the next measure: it sounds to the bar line,
      // where its continuation takes it over, also when it was struck
      // early or late (ending before the bar line, it would be struck
      // again there).
      if (last->Fields.PlayOffset != 0)
        last->Fields.PlayLength = static_cast<uint16_t>(std::clamp(lastLength - last->Fields.PlayOffset, 1, int(UINT16_MAX)));
    } else if (excess != 0 && lastLength + excess > 0) {
      last->Fields.PlayLength = static_cast<uint16_t>(std::clamp(lastLength + excess, 0, int(UINT16_MAX)));
    }
  }

  // An open hi-hat the drum map does not place is written as the closed
  // one with the open sign, which sounds it open.
  bool OpensHiHat(const TMidiEntry& e) const {
    constexpr int kClosedHiHat = 42, kOpenHiHat = 46;
    const TQSScore* score = part_->Score();
    return Channel() == kDrumChannel && e.Key == kOpenHiHat && score && !score->DrumEntryByKey(kOpenHiHat) &&
           score->DrumEntryByKey(kClosedHiHat);
  }

  // A piece of a note: where it starts, its real length, its written value
  // and dots, and how much of the note it uses.
  struct TPiece {
    int Tick = 0, Length = 0, Value = 0, Dots = 0, Used = 0;
  };

  // Inside a tuplet of the staff a note is the slot that holds its start,
  // or that slot and the next as one note of twice the value when it holds
  // both; what remains follows tied. Elsewhere it is the largest note value
  // that fits both the note and the measure, dotted twice or once when that
  // fits too.
  static bool NextPiece(const TQSMeasure& measure, int staff, int tick, int remaining, int measureLength,
                        TPiece& piece) {
    if (TQSMark* tuplet = measure.FindTuplet(MakeStaffVoice(staff, 0), tick)) {
      const std::vector<int16_t>& slots = tuplet->TupletLengths;
      int slotStart = tuplet->Fields.Time;
      for (size_t i = 0; i < slots.size(); ++i) {
        const int slot = slots[i];
        if (tick < slotStart + slot) {
          piece = {slotStart, slot, tuplet->Fields.Value, 0, remaining};
          if (i + 1 < slots.size() && remaining >= slot + slots[i + 1]) {
            piece.Length += slots[i + 1];
            piece.Value *= 2;
          }
          if (remaining > piece.Length) piece.Used = piece.Length;
          return slot > 0;
        }
        slotStart += slot;
      }
      return false;
    }
    const int limit = std::min(remaining, measureLength - tick);
    piece.Tick = tick;
    piece.Value = LargestPowerOfTwo(std::min(limit, kTicksWhole));
    if (piece.Value >= 4 && piece.Value * 7 / 4 <= limit) piece.Dots = 2;
    else if (piece.Value >= 2 && piece.Value * 3 / 2 <= limit) piece.Dots = 1;
    piece.Length = piece.Dots == 2 ? piece.Value * 7 / 4 : piece.Dots == 1 ? piece.Value * 3 / 2 : piece.Value;
    piece.Used = piece.Length;
    return true;
  }

  // Where a note of the staff/voice byte at tick goes: before the first
  // note that starts later, or at the same tick in a later staff or voice.
  // A note of the same staff and voice there is the chord it joins.
  static int PlaceOf(const TQSMeasure& measure, uint8_t staffVoice, int tick, TQSNote*& chord) {
    chord = nullptr;
    for (int i = 0; i < measure.ItemCount(); ++i) {
      TQSNote* n = AsNote(measure.GetItem(i));
      if (!n) continue;
      const int t = n->Fields.Time, sv = n->Fields.StaffVoice;
      if (t > tick || (t == tick && (StaffOf(sv) > StaffOf(staffVoice) ||
                                     (StaffOf(sv) == StaffOf(staffVoice) && VoiceOf(sv) >= VoiceOf(staffVoice))))) {
        if (t == tick && sv == staffVoice) chord = n;
        return i;
      }
    }
    return measure.ItemCount();
  }

  // The preferred voice when no note sounds in it over the piece, else the
  // first such voice of the staff (a note that starts and ends with it
  // makes a chord, not a clash; one of another length would cut the one or
  // the other); a new voice when all are busy, up to four; voice 0 after
  // that.
  static int ChooseVoice(const TQSMeasure& measure, TQSStaff& staff, int staffIndex, int tick, int length,
                         int preferred) {
    auto busy = [&](int v) {
      const uint8_t sv = MakeStaffVoice(staffIndex, v);
      for (TQSItem* item : measure.Items) {
        const TQSNote* n = AsNote(item);
        if (n && n->Fields.StaffVoice == sv && (n->Fields.Time != tick || n->Fields.RealLength != length) &&
            n->Fields.Time < tick + length && n->Fields.Time + n->Fields.RealLength > tick)
          return true;
      }
      return false;
    };
    if (preferred >= 0 && preferred < staff.VoiceCount() && !busy(preferred)) return preferred;
    for (int v = 0; v < staff.VoiceCount(); ++v)
      if (!busy(v)) return v;
    if (staff.VoiceCount() < kMaxImportedVoices) {
      staff.NewVoice();
      return staff.VoiceCount() - 1;
    }
    return 0;
  }

  // The accidental the note needs against the key and the earlier notes of
  // its staff in the measure.
  void WriteAccidental(TQSNote& note, TMidiAccidental intent, const TQSMeasure& measure, int staff, int tick) const {
    if (intent == TMidiAccidental::None) return;
    int alteration[7];
    KeyAlterations(keyKind_, alteration);
    for (TQSItem* item : measure.Items) {
      const TQSNote* n = AsNote(item);
      if (!n || StaffOf(n->Fields.StaffVoice) != staff || n->Fields.Time >= tick || !n->AccidentalDisplay) continue;
      int& a = alteration[PitchStep(n->Fields.Pitch) % 7];
      if (n->AccidentalDisplay & accidental::DisplayNatural) a = 0;
      const int count = n->AccidentalDisplay & accidental::DisplayAmount;
      a = std::clamp(a + (n->AccidentalDisplay & accidental::DisplayDown ? -count : count), -1, 1);
    }
    const int a = alteration[PitchStep(note.Fields.Pitch) % 7];
    using namespace accidental;
    uint8_t mark = 0, byte = 0;
    switch (intent) {
      case TMidiAccidental::Sharp:
        if (a == 0) mark = Sharp, byte = DisplaySharp;
        else if (a < 0) mark = NaturalSharp, byte = DisplayNaturalSharp;
        break;
      case TMidiAccidental::Flat:
        if (a == 0) mark = Flat, byte = DisplayFlat;
        else if (a > 0) mark = NaturalFlat, byte = DisplayNaturalFlat;
        break;
      default:
        if (a != 0) mark = Natural, byte = DisplayNaturalOnly;
        break;
    }
    if (!byte) return;
    NewMark(kind::Accidental, &note)->Fields.Kind = mark;
    note.AccidentalDisplay = byte;
  }

  static void Tie(TQSNote& note, int length) {
    auto* tie = static_cast<TQSLiga*>(CreateItemByKind(kind::Liga, &note));
    tie->Fields.Flags = note.IsStemDown() ? 0x10 : 0x11;
    tie->Fields.Span = static_cast<uint16_t>(length);
    tie->Fields.EndStaffVoice = note.Fields.StaffVoice;
  }

  // ------------------------------------------------------------ completion

  // Beams by beats, rests in the gaps, and a whole rest for a staff with
  // no note in the measure.
  void CompleteMeasures() {
    for (int m = 0; m < part_->MeasureCount(); ++m) {
      TQSMeasure* measure = Measure(m);
      // Beamed by the beat: in compound meters (6/8, 9/8, 12/16 ...) by the
      // dotted beat of three notes of the meter.
      const uint16_t meter = meters_.Meter(m);
      const bool compound = MeterNumerator(meter) % 3 == 0 && MeterNumerator(meter) > 3 && MeterDenominator(meter) >= 8;
      const int beat = kTicksWhole / MeterDenominator(meter) * (compound ? 3 : 1);
      for (TQSItem* item : measure->Items)
        if (TQSNote* n = AsNote(item)) measure->AutoBeamNote(n, beat);
      measure->UpdateBeams(0, true);
      for (int s = 0; s < part_->StaffCount(); ++s) {
        if (noteCounts_[size_t(m)][size_t(s)] != 0) {
          const int voices = std::min(part_->GetStaff(s)->VoiceCount(), kMaxImportedVoices);
          for (int v = 0; v < voices; ++v) WriteRests(*measure, MakeStaffVoice(s, v), meters_.Length(m));
          continue;
        }
        auto* rest = new TQSPause(nullptr);
        rest->ItemType = kind::Pause;
        rest->Fields.StaffVoice = MakeStaffVoice(s, 0);
        rest->Fields.Length = rest->Fields.RealLength = kTicksWhole;
        InsertItemAt(*measure, TQSScore::FindItemInsertIndex(*measure, rest->Fields.StaffVoice, 0, 0), rest);
      }
    }
  }

  // The rests a voice needs: the first voice of a staff is filled from bar
  // line to bar line; a further voice, which the import opens only where
  // notes overlap, gets rests only between its own notes, and none in a
  // measure where it has none.
  static void WriteRests(TQSMeasure& measure, uint8_t staffVoice, int length) {
    std::vector<std::pair<int, int>> spans;  // the voice's notes: start, end
    for (TQSItem* item : measure.Items)
      if (const TQSNote* n = AsNote(item); n && n->Fields.StaffVoice == staffVoice)
        spans.push_back({n->Fields.Time, n->Fields.Time + n->Fields.RealLength});
    if (spans.empty() && VoiceOf(staffVoice) != 0) return;
    std::sort(spans.begin(), spans.end());
    int from = VoiceOf(staffVoice) == 0 || spans.empty() ? 0 : spans.front().first;
    for (const auto& [start, end] : spans) {
      if (start > from) measure.InsertRests(staffVoice, from, start, -1, length);
      from = std::max(from, end);
    }
    if (VoiceOf(staffVoice) == 0 && from < length) measure.InsertRests(staffVoice, from, length, -1, length);
  }

  // Treble, bass and high treble clefs follow the range of the notes, with
  // some hysteresis so that a passing note changes nothing.
  void AutoClefs() {
    struct TNoteAt {
      int Measure, Tick, Line;
    };
    std::vector<TNoteAt> notes;
    for (int m = 0; m < part_->MeasureCount(); ++m)
      for (TQSItem* item : part_->GetMeasure(m)->Items)
        if (const TQSNote* n = AsNote(item)) notes.push_back({m, n->Fields.Time, PitchLine(n->Fields.Pitch)});

    uint8_t state = clef::Treble, lastWritten = 0;
    TNoteAt change{0, 0, 0};
    bool seen = false;
    for (const TNoteAt& n : notes) {
      const int v = n.Line;
      uint8_t next = state;
      if (state == clef::Treble) next = v > 56 ? clef::TrebleOctaveUp : v < 28 ? clef::Bass : state;
      else if (state == clef::Bass) next = v > 56 ? clef::TrebleOctaveUp : v > 42 ? clef::Treble : state;
      else next = v < 28 ? clef::Bass : v < 42 ? clef::Treble : state;
      if (next != state) {
        if (seen || state != clef::Treble) {
          const bool keep = seen && n.Measure == change.Measure && (n.Tick == change.Tick || lastWritten == state);
          if (!keep) {
            WriteClef(state, change.Measure, change.Tick);
            lastWritten = state;
          }
          change = n;
        }
        state = next;
      }
      seen = true;
    }
    WriteClef(state, change.Measure, change.Tick);
  }

  void WriteClef(uint8_t code, int m, int tick) {
    TQSMeasure* measure = part_->GetMeasure(m);
    if (m == 0 && tick == 0) {
      for (TQSItem* item : measure->Items)
        if (item->ItemType == kind::Clef && item->StaffVoice() == 0 && item->TimePosition() == 0) {
          static_cast<TQSMark*>(item)->Fields.Kind = code;
          return;
        }
    }
    auto* clef = new TQSMark(nullptr);
    clef->ItemType = kind::Clef;
    clef->Fields.Kind = code;
    clef->Fields.Time = static_cast<uint16_t>(tick);
    int at = measure->ItemCount();
    for (int i = 0; i < measure->ItemCount(); ++i) {
      const TQSItem* item = measure->GetItem(i);
      if ((item->ItemType == kind::Note || item->ItemType == kind::Pause) && item->TimePosition() >= tick) {
        at = i;
        break;
      }
    }
    InsertItemAt(*measure, at, clef);
  }

  TQSLyric* InstrumentName() { return NewInstrumentName(*part_->GetMeasure(0), part_->Name, false); }

  TMidiImportPart& source_;
  TQSPart* part_;
  const TMeterList& meters_;
  const TMidiNotationOptions& options_;
  // The entries of each measure, and how many at its front came from the
  // measure before.
  std::vector<std::vector<TMidiEntry*>> lists_;
  std::vector<int> carriedCount_;
  std::vector<std::unique_ptr<TMidiEntry>> carried_;
  // Notes written per measure and staff.
  std::vector<std::array<int, 2>> noteCounts_;
  // The key signature in force for the notes written next.
  int keyKind_ = 0;
  // The tracks of the upper and lower hand of a keyboard part, when the
  // file gives each hand its own.
  std::array<int, 2> handTracks_{-1, -1};
  // Where chords were made: measure, staff/voice byte, tick.
  std::set<std::tuple<int, int, int>> chords_;
};

}  // namespace

TQSLyric* WriteMidiPart(TMidiImportPart& part, const TMeterList& meters, const TMidiNotationOptions& options) {
  return TPartWriter(part, meters, options).Write();
}

void AlignInstrumentNames(const std::vector<TQSLyric*>& names) {
  int widest = 0;
  for (const TQSLyric* name : names) {
    TFont font;
    font.Name = name->FontName.empty() ? "Arial" : name->FontName;
    font.SetSize(8 * name->Fields.FontSize);
    for (const std::string& line : name->Lines) widest = std::max(widest, TextWidth(font, Utf8ToUtf16(line)));
  }
  for (TQSLyric* name : names) {
    name->Fields.OffsetX = static_cast<int16_t>(-std::min(widest, int(INT16_MAX)));
    name->Centre = 1;
  }
}

}  // namespace qs
