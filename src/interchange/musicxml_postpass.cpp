// The MusicXML reader's post-pass: what can only be settled once the whole
// document has been read.
#include <algorithm>
#include <map>
#include <set>

#include "base/mathutil.h"
#include "interchange/musicxml_reader.h"
#include "platform/gui.h"
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
    space_ = Round(lineSpace * ScreenPixelsPerInch() / 254.0) * 8;
  }

  void Run() {
    for (TQSPart* part : piece_.PartList()) {
      ResolveVoices(*part);
      int key[7] = {};
      for (TQSMeasure* m : part->MeasureList()) FinishMeasure(*m, key);
      part->UpdateVoiceNumbers(true);
      score_.FireItemChanged(part);
    }
    Upbeat();
    for (TQSPart* part : piece_.PartList())
      for (TQSMeasure* m : part->MeasureList()) FinishLigas(*m);
  }

 private:
  TQSScore& score_;
  TQSPiece& piece_;
  TImportData& data_;
  int space_;  // one staff space in layout units

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

  void FinishMeasure(TQSMeasure& m, int (&key)[7]) {
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
        n->SetOwner(GraceGroup(m, n->Fields.StaffVoice, n->Fields.Time));
        continue;
      }
      ++i;
    }
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
      if (TQSNote* n = AsNote(item)) {
        t->Fields.Value = n->Fields.Length;
        if (n->IsStemDown()) t->Fields.Style |= 0x10;
      } else {
        t->Fields.Value = AsRest(item)->Fields.Length;
      }
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
    for (TQSItem* item : m.Items)
      if (item->ItemType == kind::Chord && score_.GetChordText) {
        auto* c = static_cast<TQSChord*>(item);
        score_.GetChordText(&score_, c->Definition, c->Patterns);
      }
    m.UpdateBeams(0, true);
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
      if (v == force[static_cast<size_t>(step)]) return;
      auto* acc = static_cast<TQSMark*>(CreateItemByKind(kind::Accidental, n));
      acc->Fields.Kind = AccidentalKindFor(v);
      // A grace note's sign holds only for itself.
      if (!grace) force[static_cast<size_t>(step)] = v;
    };
    for (TQSItem* item : m.Items) {
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
        // A tie: below the heads of a note whose stem is up.
        f.Flags = static_cast<uint8_t>(n.IsStemDown() ? f.Flags & ~TQSLiga::kBelow : f.Flags | TQSLiga::kBelow);
        f.Span = n.Fields.RealLength;
        f.EndStaffVoice = n.Fields.StaffVoice;
        continue;
      }
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
