// Standard MIDI File import: the events of the tracks become parts by MIDI
// channel holding raw notes, lyrics and key signatures, plus the meters and
// tempos of the piece; the notation step then writes each part.
#include "interchange/midi_import.h"

#include <algorithm>
#include <climits>
#include <map>
#include <set>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "base/strings.h"
#include "base/text.h"
#include "interchange/importitems.h"
#include "interchange/midi_entries.h"
#include "interchange/midi_file.h"
#include "layout/sounding.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/tree.h"

namespace qs {

TQSNote* NewImportNote(uint8_t pitch, uint8_t head, uint8_t velocity) {
  auto* note = new TQSNote(nullptr);
  note->ItemType = kind::Note;
  note->Fields.Pitch = pitch;
  note->Fields.HeadStyle = head;
  note->Fields.Velocity = velocity;
  return note;
}

TQSNote* TMidiEntry::Note() const {
  return Item && Item->ItemType == kind::Note ? static_cast<TQSNote*>(Item.get()) : nullptr;
}

// ---------------------------------------------------------------- meters

namespace {

[[noreturn]] void TooLong() {
  throw EMidiFileError(Format("The MIDI file is too long: a part holds at most %d measures", kMaxMidiMeasures));
}

}  // namespace

TMeasureTick TMeterList::Locate(int64_t position) const {
  if (starts_.empty()) {
    int64_t start = 0;
    for (int m = 0; m < Count(); ++m) {
      starts_.push_back(start);
      start += Length(m);
    }
    starts_.push_back(start);
  }
  position = std::max<int64_t>(position, 0);
  int64_t measure, tick;
  if (position < starts_.back()) {
    measure = std::upper_bound(starts_.begin(), starts_.end(), position) - starts_.begin() - 1;
    tick = position - starts_[static_cast<size_t>(measure)];
  } else {
    const int length = Length(Count());
    measure = Count() + (position - starts_.back()) / length;
    tick = (position - starts_.back()) % length;
  }
  if (measure >= kMaxMidiMeasures) TooLong();
  return {static_cast<int>(measure), static_cast<int>(tick)};
}

void TMeterList::SetFrom(int64_t position, uint16_t meter) {
  const TMeasureTick at = Locate(position);
  const int index = at.Tick == 0 ? at.Measure : at.Measure + 1;
  if (index >= kMaxMidiMeasures) TooLong();
  while (Count() < index) meters_.push_back(meters_.back());
  if (index == Count()) meters_.push_back(meter);
  else meters_[static_cast<size_t>(index)] = meter;
  starts_.clear();
}

// ---------------------------------------------------------------- reading

namespace {

constexpr uint8_t kChannelUnset = 255;
// Positions and lengths inside a measure are 16-bit: longer measures are
// not taken from a file.
constexpr int kMaxMeasureLength = INT16_MAX;

// Texts in the file: UTF-8 when they are valid UTF-8, otherwise single
// bytes in the program's code page.
bool IsUtf8(const std::string& s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<uint8_t>(s[i]);
    const int more = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    if (more < 0 || (more == 1 && b < 0xC2) || s.size() - i <= size_t(more)) return false;
    for (int k = 1; k <= more; ++k)
      if ((static_cast<uint8_t>(s[i + size_t(k)]) & 0xC0) != 0x80) return false;
    i += size_t(more) + 1;
  }
  return true;
}

std::string DecodeText(const std::string& bytes) { return IsUtf8(bytes) ? bytes : AnsiToUtf8(bytes); }

// How a key is written: its pitch byte, note head and accidental intent.
struct TSpelling {
  uint8_t Pitch = 0;
  uint8_t Head = 0;
  TMidiAccidental Accidental = TMidiAccidental::Natural;
};

// Where the usual drum-set staff writes a General MIDI percussion key
// (pitch on the percussion clef, which reads as the treble clef): kicks in
// the bottom space, snares in the third, toms between, hi-hats and
// cymbals above the staff. Keys not listed stand on the middle line.
uint8_t DrumSetPitch(int key) {
  static const struct {
    uint8_t Key, Step, Octave;
  } kDrumSet[] = {{35, 2, 5}, {36, 3, 5}, {37, 0, 6}, {38, 0, 6}, {40, 0, 6}, {41, 4, 5}, {42, 4, 6},
                  {43, 5, 5}, {44, 1, 5}, {45, 6, 5}, {46, 4, 6}, {47, 1, 6}, {48, 1, 6}, {49, 5, 6},
                  {50, 2, 6}, {51, 3, 6}, {52, 5, 6}, {53, 3, 6}, {55, 5, 6}, {57, 5, 6}, {59, 3, 6}};
  for (const auto& d : kDrumSet)
    if (d.Key == key) return MakePitch(d.Octave, d.Step);
  return MakePitch(5, 6);
}

// The drum map entry for a percussion key. A key the score's map does not
// list is written where the drum-set staff has it, and the map learns it,
// so that the written note sounds its key again; a place another key
// already holds is not taken from it.
const TQSDrumMapEntry* DrumEntryFor(TQSScore& score, int key, uint8_t& fallback) {
  if (const TQSDrumMapEntry* drum = score.DrumEntryByKey(key)) return drum;
  const bool listed = std::any_of(score.DrumMap.begin(), score.DrumMap.end(),
                                  [key](const TQSDrumMapEntry& e) { return e.Key == key; });
  if (listed) return nullptr;  // the user keeps this key off the map
  fallback = DrumSetPitch(key);
  return LearnDrumKey(score, key, fallback) ? score.DrumEntryByKey(key) : nullptr;
}

TSpelling SpellKey(TQSScore& score, int channel, int key) {
  TSpelling s;
  if (channel == kDrumChannel) {
    uint8_t fallback = 0;
    const TQSDrumMapEntry* drum = DrumEntryFor(score, key, fallback);
    if (!drum && fallback) {
      s.Pitch = fallback;
      s.Head = 255;
      s.Accidental = TMidiAccidental::None;
      return s;
    }
    if (drum) {
      // The written position is a diatonic number counted from 23; one
      // outside the staff range is kept at its edge.
      const int number = std::clamp(drum->Position - 23, 0, 7 * 10 + 6);
      s.Pitch = MakePitch(number / 7, number % 7);
      // Head styles from 5 up stand for the drum instruments.
      s.Head = drum->Head == 255 || drum->Head > 250 ? 255 : static_cast<uint8_t>(drum->Head + 5);
      s.Accidental = TMidiAccidental::None;
      return s;
    }
  }
  static constexpr uint8_t kStep[12] = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};
  static constexpr TMidiAccidental N = TMidiAccidental::Natural, S = TMidiAccidental::Sharp,
                                   F = TMidiAccidental::Flat;
  static constexpr TMidiAccidental kIntent[12] = {N, S, N, F, N, N, S, N, S, N, F, N};
  s.Pitch = MakePitch(key / 12, kStep[key % 12]);
  s.Accidental = kIntent[key % 12];
  return s;
}

class TMidiImporter {
 public:
  TMidiImporter(TQSScore& score, TQSPiece& piece) : score_(score), piece_(piece) {}

  void ReadTracks(const TMidiFile& file) {
    division_ = file.Division;
    for (const std::vector<TMidiEvent>& track : file.Tracks) {
      current_ = nullptr;
      channelInForce_ = -1;
      trackParts_.emplace_back();
      for (const TMidiEvent& e : track) ReadEvent(e);
    }
  }

  // The piece's measure numbering, time signatures and tempo marks, then
  // the parts written as notation, last to first, and their names.
  void Build() {
    TMidiNotationOptions options;
    // A grid finer than a 64th or coarser than a whole note is none the
    // options offer: it is kept within those.
    options.Quantize = std::clamp<int>(score_.RecordQuantize, kTicksWhole / 64, kTicksWhole);
    options.OneStaff = score_.ImportStaffPerTrack;
    options.TrackNames = score_.ImportTrackNames;
    options.Triplets = score_.ImportTriplets;
    options.AutoClefs = score_.ImportAutoClefs;

    ColumnMark(0, kind::MeasureNumbering)->Fields.Value = 1;
    const std::vector<uint16_t>& meters = meters_.Entries();
    for (size_t i = 0; i < meters.size(); ++i)
      if (i == 0 || meters[i] != meters[i - 1]) ColumnMark(int(i), kind::Meter)->Fields.Value = meters[i];
    for (const TTempo& t : tempos_) PlaceTempo(t, options.Quantize);

    GiveLyrics(options.Quantize);
    GiveConductorKeys();
    std::vector<TQSLyric*> names;
    int measures = 0;
    for (size_t i = parts_.size(); i-- > 0;) {
      TMidiImportPart& p = *parts_[i];
      if (TQSLyric* name = WriteMidiPart(p, meters_, options)) names.push_back(name);
      if (p.Part) measures = std::max(measures, p.Part->MeasureCount());
    }
    // Every measure has its column.
    while (piece_.ColumnCount() < measures) piece_.AddColumn();
    AlignInstrumentNames(names);
  }

 private:
  struct TTempo {
    int64_t Position;
    int Bpm;
  };

  // Score ticks (128 to a quarter) of a file time: rounded, a half up.
  int64_t ScorePosition(int64_t tick) const { return (tick * 256 + division_) / (2 * int64_t(division_)); }

  void ReadEvent(const TMidiEvent& e) {
    const int64_t p = ScorePosition(e.Tick);
    if (e.IsMeta()) {
      ReadMeta(e, p);
      return;
    }
    const int c = e.Channel();
    switch (e.Command()) {
      case 0x80:
        channelInForce_ = c;
        if (TMidiImportPart* part = FindPart(c)) EndNote(*part, e.Data1, p);
        break;
      case 0x90: {
        channelInForce_ = c;
        TMidiImportPart& part = PartFor(c);
        const TSpelling spelling = SpellKey(score_, c, e.Data1);
        trackParts_.back().insert(&part);
        // A note struck again at the tick it began is the same note twice
        // (two tracks or a doubled event): the first gives way.
        if (e.Data2 > 0 && part.Pending[e.Data1] && part.Pending[e.Data1]->Position == p) part.Pending[e.Data1].reset();
        EndNote(part, e.Data1, p);
        if (e.Data2 > 0) StartNote(part, e.Data1, e.Data2, p, spelling);
        break;
      }
      case 0xB0:
        // Volume and pan belong to the part of the message's channel.
        if (e.Data1 == 7) PartFor(c).Part->SetVolume(e.Data2);
        else if (e.Data1 == 10) PartFor(c).Part->SetPan(e.Data2);
        break;
      case 0xC0:
        // A program change for a channel without a part makes one.
        channelInForce_ = c;
        current_ = &PartFor(c);
        current_->Part->Fields.Instrument = e.Data1;
        break;
      default:
        break;
    }
  }

  void ReadMeta(const TMidiEvent& e, int64_t p) {
    switch (e.Data1) {
      case midi::MetaText:
      case midi::MetaLyric:
      case midi::MetaMarker:
      case midi::MetaCuePoint: {
        std::string text = DecodeText(e.Data);
        // Karaoke files mark each line of their words with "/" or "\\",
        // the first at the very start too.
        const bool karaokeLine = !text.empty() && (text[0] == '\\' || text[0] == '/');
        // Texts at the start describe the piece, each once, as many as the
        // description holds; further ones are shown as words.
        if (e.Data1 == midi::MetaText && p == 0 && !karaokeLine && score_.Description.Count() < kMaxChildCount) {
          if (DescriptionLines().insert(UpperCase(text)).second) score_.Description.Add(text);
          break;
        }
        if (karaokeLine) text.erase(0, 1);
        auto lyric = std::make_unique<TQSLyric>(nullptr);
        lyric->ItemType = e.Data1 == midi::MetaText || e.Data1 == midi::MetaLyric ? kind::Lyric : kind::Term;
        lyric->Lines = {text};
        // Syllables as the first verse, clear of notes below the staff;
        // other texts on its bottom line.
        lyric->Fields.OffsetY = static_cast<int16_t>(lyric->ItemType == kind::Lyric ? VerseOffsetY(score_, 1) : 192);
        // The part is chosen when every note is known (GiveLyrics).
        auto entry = std::make_unique<TMidiEntry>();
        entry->Position = entry->Arrival = p;
        entry->Item = std::move(lyric);
        lyrics_.push_back({static_cast<int>(trackParts_.size()) - 1, std::move(entry),
                           karaokeLine || (!text.empty() && text[0] == ' ')});
        break;
      }
      case midi::MetaCopyright: {
        const std::string text = DecodeText(e.Data);
        score_.Rights += score_.Rights.empty() || text.empty() ? text : " " + text;
        break;
      }
      case midi::MetaTrackName:
      case midi::MetaInstrumentName:
        if (!current_) current_ = &NewPart(kChannelUnset);
        current_->Part->SetName(DecodeText(e.Data));
        break;
      case midi::MetaTempo:
        if (e.Data.size() >= 3) {
          const auto* d = reinterpret_cast<const uint8_t*>(e.Data.data());
          const int microseconds = d[0] << 16 | d[1] << 8 | d[2];
          // A tempo of 0 microseconds per quarter has no meaning.
          if (microseconds > 0) tempos_.push_back({p, std::min(60000000 / microseconds, int(UINT16_MAX))});
        }
        break;
      case midi::MetaTimeSignature:
        if (e.Data.size() >= 2) {
          const int numerator = static_cast<uint8_t>(e.Data[0]);
          const int power = static_cast<uint8_t>(e.Data[1]);
          // Meters of 0 beats, of a denominator that does not fit in the
          // meter word or of measures too long to hold are left out.
          if (numerator == 0 || power > 7) break;
          const uint16_t meter = MakeMeter(numerator, 1 << power);
          if (MeterLength(meter) > kMaxMeasureLength) break;
          meters_.SetFrom(p, meter);
        }
        break;
      case midi::MetaKeySignature:
        if (!e.Data.empty()) ReadKeySignature(e, p);
        break;
      default:
        break;
    }
  }

  // The lines of the description in capitals (a line is there once,
  // whatever its case), for finding one without a search of the list.
  std::unordered_set<std::string>& DescriptionLines() {
    if (!descriptionRead_) {
      for (const std::string& line : score_.Description) descriptionLines_.insert(UpperCase(line));
      descriptionRead_ = true;
    }
    return descriptionLines_;
  }

  void ReadKeySignature(const TMidiEvent& e, int64_t p) {
    const int sf = static_cast<int8_t>(e.Data[0]);
    // No accidentals: no mark. More than seven: not a key.
    if (sf == 0 || sf > 7 || sf < -7) return;
    auto mark = std::make_unique<TQSMark>(nullptr);
    mark->ItemType = kind::Key;
    mark->Fields.Kind = static_cast<uint8_t>(sf > 0 ? sf : 10 - sf);
    // The mode (0 major, 1 minor) in the mark's second value byte.
    mark->Fields.Further15 = e.Data.size() >= 2 ? static_cast<uint8_t>(e.Data[1]) : 0;
    if (channelInForce_ < 0) {
      // Before any channel message of its track (the conductor track of
      // most files) the key is the whole piece's: every part gets it.
      auto entry = std::make_unique<TMidiEntry>();
      entry->Position = entry->Arrival = p;
      entry->Item = std::move(mark);
      conductorKeys_.push_back(std::move(entry));
      return;
    }
    if (TMidiImportPart* part = FindPart(channelInForce_)) AddEntry(*part, p, std::move(mark));
  }

  // ------------------------------------------------------------ parts

  // The current part when it has channel c or none yet (it takes c), else
  // the first part of channel c; nullptr when there is none.
  TMidiImportPart* FindPart(int c) {
    if (current_) {
      uint8_t& channel = current_->Part->Fields.Channel;
      if (channel == c || channel == kChannelUnset) {
        channel = static_cast<uint8_t>(c);
        return current_;
      }
    }
    for (const auto& p : parts_)
      if (p->Part->Fields.Channel == c) return p.get();
    return nullptr;
  }

  TMidiImportPart& PartFor(int c) {
    if (TMidiImportPart* p = FindPart(c)) return *p;
    current_ = &NewPart(static_cast<uint8_t>(c));
    return *current_;
  }

  TMidiImportPart& NewPart(uint8_t channel) {
    auto p = std::make_unique<TMidiImportPart>();
    p->Part = piece_.AddPart();
    p->Part->Fields.Channel = channel;
    parts_.push_back(std::move(p));
    return *parts_.back();
  }

  void StartNote(TMidiImportPart& part, uint8_t key, uint8_t velocity, int64_t p, const TSpelling& spelling) {
    auto entry = std::make_unique<TMidiEntry>();
    entry->Position = p;
    entry->Key = key;
    entry->Velocity = velocity;
    entry->Track = static_cast<int>(trackParts_.size()) - 1;
    entry->Accidental = spelling.Accidental;
    entry->Item.reset(NewImportNote(spelling.Pitch, spelling.Head, velocity));
    part.Pending[key] = std::move(entry);
  }

  void EndNote(TMidiImportPart& part, uint8_t key, int64_t p) {
    std::unique_ptr<TMidiEntry>& pending = part.Pending[key];
    if (!pending) return;
    pending->Length = static_cast<int>(std::min<int64_t>(p - pending->Position, INT_MAX / 2));
    pending->Arrival = p;
    part.Events.push_back(std::move(pending));
  }

  void AddEntry(TMidiImportPart& part, int64_t p, std::unique_ptr<TQSItem> item) {
    auto entry = std::make_unique<TMidiEntry>();
    entry->Position = entry->Arrival = p;
    entry->Item = std::move(item);
    part.Events.push_back(std::move(entry));
  }

  // Words go with the notes they are sung to: the part of their track's
  // notes when the track plays one part; otherwise (a track of words
  // alone, as karaoke files have, or a track of several channels) the part
  // with the most notes beginning where the words do; failing that, the
  // part of channel 0. A syllable that does not end a word (no blank after
  // it, where the track ends its words so) is joined to the next one by a
  // hyphen.
  void GiveLyrics(int quantize) {
    std::map<int, TMidiImportPart*> byTrack;
    auto partOf = [&](int track) -> TMidiImportPart* {
      auto it = byTrack.find(track);
      if (it != byTrack.end()) return it->second;
      TMidiImportPart* chosen = nullptr;
      const std::set<TMidiImportPart*>& own = trackParts_[static_cast<size_t>(track)];
      if (own.size() == 1) {
        chosen = *own.begin();
      } else {
        std::set<int64_t> at;
        for (const TTrackLyric& l : lyrics_)
          if (l.Track == track) at.insert(RoundToGrid(l.Entry->Position, quantize));
        int best = 0;
        for (const auto& part : parts_) {
          if (!own.empty() && !own.count(part.get())) continue;
          // Onsets, not notes: a chord counts once.
          std::set<int64_t> met;
          for (const auto& e : part->Events)
            if (e->Note() && at.count(RoundToGrid(e->Position, quantize))) met.insert(RoundToGrid(e->Position, quantize));
          const int hits = static_cast<int>(met.size());
          if (hits > best) best = hits, chosen = part.get();
        }
      }
      if (!chosen) chosen = &PartFor(0);
      return byTrack[track] = chosen;
    };
    std::map<int, bool> spacedTrack;  // the track ends words with a blank
    for (const TTrackLyric& l : lyrics_) {
      const std::string& t = static_cast<TQSLyric*>(l.Entry->Item.get())->Lines[0];
      if (!t.empty() && t.back() == ' ') spacedTrack[l.Track] = true;
    }
    std::map<int, TQSLyric*> previous;
    std::vector<TQSLyric*> given;
    std::map<TMidiImportPart*, TMidiEntries> byPart;
    for (TTrackLyric& l : lyrics_) {
      TMidiImportPart* part = partOf(l.Track);
      auto* lyric = static_cast<TQSLyric*>(l.Entry->Item.get());
      if (lyric->ItemType == kind::Lyric) {
        TQSLyric*& before = previous[l.Track];
        if (before && spacedTrack[l.Track] && !l.WordStart && !before->Lines[0].empty() &&
            before->Lines[0].back() != ' ')
          lyric->Fields.Flags |= TQSLyric::kHyphen;
        before = lyric;
        given.push_back(lyric);
      }
      byPart[part].push_back(std::move(l.Entry));
    }
    for (auto& [part, entries] : byPart) InsertByArrival(part->Events, std::move(entries));
    lyrics_.clear();
    for (TQSLyric* lyric : given) lyric->Lines[0] = Trim(lyric->Lines[0]);
  }

  // A piece-wide key signature joins every part that has notes, but the
  // drum part, where it would only add naturals.
  void GiveConductorKeys() {
    for (const auto& p : parts_) {
      if (p->Part->Fields.Channel == kDrumChannel) continue;
      if (std::none_of(p->Events.begin(), p->Events.end(), [](const auto& e) { return e->Note() != nullptr; }))
        continue;
      TMidiEntries keys;
      for (const auto& key : conductorKeys_) {
        auto entry = std::make_unique<TMidiEntry>();
        entry->Position = key->Position;
        entry->Arrival = key->Arrival;
        auto mark = std::make_unique<TQSMark>(nullptr);
        mark->ItemType = kind::Key;
        mark->Assign(*key->Item);
        entry->Item = std::move(mark);
        keys.push_back(std::move(entry));
      }
      // In the list where they would have stood had the part's own track
      // held them.
      InsertByArrival(p->Events, std::move(keys));
    }
  }

  // ------------------------------------------------------------ columns

  TQSColumn* Column(int index) {
    while (piece_.ColumnCount() <= index) piece_.AddColumn();
    return piece_.GetColumn(index);
  }

  TQSMark* ColumnMark(int index, TQSItemType kind) { return static_cast<TQSMark*>(CreateItemByKind(kind, Column(index))); }

  // A tempo at its position on the grid; a second one at the same place
  // only changes the first.
  void PlaceTempo(const TTempo& t, int quantize) {
    const TMeasureTick at = meters_.Locate(RoundToGrid(t.Position, quantize));
    PlaceTempoMark(*Column(at.Measure), at.Tick, 2, t.Bpm);  // the beat is a quarter note
  }

  TQSScore& score_;
  TQSPiece& piece_;
  int division_ = 1;
  std::vector<std::unique_ptr<TMidiImportPart>> parts_;
  TMidiImportPart* current_ = nullptr;
  int channelInForce_ = -1;  // -1 before the track's first channel message
  TMeterList meters_;
  std::vector<TTempo> tempos_;
  std::vector<std::unique_ptr<TMidiEntry>> conductorKeys_;
  // The parts each track's notes went to, and the texts of each track.
  std::vector<std::set<TMidiImportPart*>> trackParts_;
  struct TTrackLyric {
    int Track;
    std::unique_ptr<TMidiEntry> Entry;
    bool WordStart;  // begins a line or a word of its own
  };
  std::vector<TTrackLyric> lyrics_;
  std::unordered_set<std::string> descriptionLines_;
  bool descriptionRead_ = false;
};

}  // namespace

void InsertByArrival(TMidiEntries& events, TMidiEntries entries) {
  if (entries.empty()) return;
  // An entry goes into the gap before the first event arriving after it:
  // the first at which the latest arrival so far passes its own. Entries
  // of one gap stand in order of arrival, equal ones in their own order.
  std::vector<int64_t> latest(events.size());
  for (size_t i = 0; i < events.size(); ++i)
    latest[i] = i == 0 ? events[i]->Arrival : std::max(latest[i - 1], events[i]->Arrival);
  std::vector<std::pair<size_t, size_t>> gaps(entries.size());  // gap, index in entries
  for (size_t k = 0; k < entries.size(); ++k)
    gaps[k] = {static_cast<size_t>(std::upper_bound(latest.begin(), latest.end(), entries[k]->Arrival) - latest.begin()),
               k};
  std::stable_sort(gaps.begin(), gaps.end(), [&entries](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : entries[a.second]->Arrival < entries[b.second]->Arrival;
  });
  TMidiEntries merged;
  merged.reserve(events.size() + entries.size());
  size_t k = 0;
  for (size_t i = 0; i <= events.size(); ++i) {
    for (; k < gaps.size() && gaps[k].first == i; ++k) merged.push_back(std::move(entries[gaps[k].second]));
    if (i < events.size()) merged.push_back(std::move(events[i]));
  }
  events = std::move(merged);
}

void ImportMidiFile(TQSScore& score, TStream& stream) {
  // Parts and staves made one by one ask for layout: it runs once, at the
  // end, also when the caller holds no update lock.
  score.BeginUpdate();
  score.SetAlign(11);
  score.SuspendUndo(true);
  auto finish = [&score] {
    score.SuspendUndo(false);
    score.SetHorzAlign(1);
    score.SetVertAlign(1);
    score.Recalculate(0);
    score.RefreshWindows();
    score.EndUpdate();
  };
  try {
    TQSPiece* piece = score.NewPiece();
    const TMidiFile file = ReadMidiFile(stream);
    TMidiImporter importer(score, *piece);
    importer.ReadTracks(file);
    importer.Build();
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void InstallMidiImporter() { TQSScore::SetMidiImporter(ImportMidiFile); }

}  // namespace qs
