// The MusicXML writer: one piece as a partwise document, measure by
// measure from the layout's measure records.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "base/mathutil.h"
#include "base/stream.h"
#include "base/strings.h"
#include "interchange/musicxml.h"
#include "interchange/musicxml_reader.h"
#include "interchange/musicxml_tags.h"
#include "score/calcrecords.h"
#include "score/chordcode.h"
#include "score/dynamics.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"

namespace qs {
namespace {

// Ticks (128 to the quarter) to divisions (192 to the quarter).
constexpr int Div(int ticks) { return ticks * 3 / 2; }

const char* TypeName(int length) {
  switch (length) {
    case 2048: return "long";
    case 1024: return "breve";
    case 512: return "whole";
    case 256: return "half";
    case 128: return "quarter";
    case 64: return "eighth";
    case 32: return "16th";
    case 16: return "32nd";
    case 8: return "64th";
    case 4: return "128th";
    case 2: return "256th";
    default: return nullptr;
  }
}

std::string Attr(const char* name, const std::string& value) {
  return std::string(" ") + name + "=\"" + EscapeXmlText(value) + "\"";
}
std::string Attr(const char* name, int value) { return Attr(name, std::to_string(value)); }

// The alteration a written accidental gives: a natural sets 0.
bool AccidentalAmount(int accidentalKind, int& amount, bool& absolute) {
  absolute = false;
  switch (accidentalKind) {
    case 0: amount = -1; return true;
    case 1: amount = -2; return true;
    case 2: amount = 1; return true;
    case 3: amount = 2; return true;
    case 4: amount = 0; absolute = true; return true;
    case 5: amount = -1; absolute = true; return true;
    case 6: amount = 1; absolute = true; return true;
    default: return false;
  }
}

struct TOpenSpan {
  TQSItem* Item;
  int EndMeasure;
  int EndPosition;
  int StaffVoice;  // where it ends
  bool Wedge;
};

class TWriter {
 public:
  TWriter(TQSScore& score, TQSPiece& piece, TStream& s) : score_(score), piece_(piece), s_(s) {}

  void Run() {
    Line(0, R"(<?xml version="1.0" encoding="UTF-8" standalone="no"?>)");
    Line(0, R"(<!DOCTYPE score-partwise PUBLIC "-//Recordare//DTD MusicXML 1.0 Partwise//EN" )"
            R"("http://www.musicxml.org/dtds/partwise.dtd">)");
    Line(0, "<score-partwise>");
    Open(1, "identification");
    Element(2, "creator", score_.Composer, Attr("type", "composer"));
    Element(2, "creator", score_.Poet, Attr("type", "poet"));
    Element(2, "rights", score_.Rights);
    Open(2, "encoding");
    Element(3, "software", "Quillstave");
    Close(2, "encoding");
    Close(1, "identification");
    PartList();
    measureCount_ = 0;
    for (int j = 0; j <= piece_.LastLaidOutMeasure; ++j) {
      TQSMeasureSlot* slot = j < static_cast<int>(piece_.Slots.size()) ? piece_.Slots[static_cast<size_t>(j)] : nullptr;
      if (auto* rec = dynamic_cast<TQSCalcMeasure*>(slot); rec && rec->IsEmpty) break;
      measureCount_ = j + 1;
    }
    for (TQSPart* part : piece_.PartList()) WritePart(*part);
    Line(0, "</score-partwise>");
  }

 private:
  TQSScore& score_;
  TQSPiece& piece_;
  TStream& s_;
  int measureCount_ = 0;
  TQSPart* part_ = nullptr;
  TQSMeasure* measure_ = nullptr;
  int measureIndex_ = 0;
  int measureLength_ = kTicksWhole;
  std::vector<TOpenSpan> open_;
  std::vector<std::pair<TQSLiga*, bool>> notations_;  // the ligas and whether they start here
  std::array<bool, 5> beamOpen_{};
  TQSNote* previousChordNote_ = nullptr;
  int key_[7] = {};
  std::vector<std::array<int, 7>> inForce_;  // per staff
  int tick_ = 0;  // where the voice being written stands

  // ------------------------------------------------------------ output

  void Line(int indent, const std::string& text) {
    std::string line(static_cast<size_t>(std::clamp(indent, 0, 10)), '\t');
    line += text;
    line += MusicXmlNames[146];
    s_.WriteBuffer(line.data(), line.size());
  }
  void Open(int indent, const char* name, const std::string& attrs = "") {
    Line(indent, std::string("<") + name + attrs + ">");
  }
  void Close(int indent, const char* name) { Line(indent, std::string("</") + name + ">"); }
  void Empty(int indent, const char* name, const std::string& attrs = "") {
    Line(indent, std::string("<") + name + attrs + "/>");
  }
  void Element(int indent, const char* name, const std::string& text, const std::string& attrs = "") {
    Line(indent, std::string("<") + name + attrs + ">" + EscapeXmlText(text) + "</" + name + ">");
  }
  void Element(int indent, const char* name, int value) { Element(indent, name, std::to_string(value)); }

  // ------------------------------------------------------------ parts

  static std::string PartId(const TQSPart& p) { return "P" + std::to_string(p.Index + 1); }

  void PartList() {
    Open(1, "part-list");
    for (TQSPart* p : piece_.PartList()) {
      const std::string id = PartId(*p);
      Open(2, "score-part", Attr("id", id));
      std::string name = p->Name;
      if (TQSMeasure* first = p->GetMeasure(0))
        for (TQSItem* item : first->Items)
          if (item->ItemType == kind::InstrumentName) {
            auto* l = static_cast<TQSLyric*>(item);
            if (!l->Lines.empty()) name = l->Lines[0];
          }
      Element(3, "part-name", name);
      Open(3, "score-instrument", Attr("id", id + "-I1"));
      Element(4, "instrument-name", p->Name);
      Close(3, "score-instrument");
      Open(3, "midi-instrument", Attr("id", id + "-I1"));
      Element(4, "midi-channel", p->Channel() + 1);
      Element(4, "midi-program", std::min<int>(p->Fields.Instrument, 127) + 1);
      Close(3, "midi-instrument");
      Close(2, "score-part");
    }
    Close(1, "part-list");
  }

  void WritePart(TQSPart& part) {
    part_ = &part;
    // Spans that never found their end stay in their part.
    open_.clear();
    Open(1, "part", Attr("id", PartId(part)));
    for (int j = 0; j < measureCount_; ++j) WriteMeasure(j);
    Close(1, "part");
  }

  // ------------------------------------------------------------ measures

  void WriteMeasure(int j) {
    measureIndex_ = j;
    measure_ = part_->GetMeasure(j);
    TQSMeasureSlot* slot = part_->GetMeasureRecord(j);
    measureLength_ = slot ? slot->LengthFor(j) : kTicksWhole;
    Open(2, "measure", Attr("number", j + 1));
    TQSColumn* column = piece_.GetColumn(j);
    // A break after the measure before opens this one's page or system.
    const TQSColumn* before = column && j > 0 ? piece_.GetColumn(j - 1) : nullptr;
    if (before && before->Fields.PageBreak)
      Empty(3, "print", Attr("new-page", "yes"));
    else if (before && before->Fields.SystemBreak)
      Empty(3, "print", Attr("new-system", "yes"));
    Barlines(column, true);
    Attributes(j, column);
    if (part_->Index == 0) Tempos(column);
    if (auto* rec = dynamic_cast<TQSCalcMeasure*>(slot); rec && rec->PartCount > 0) {
      size_t p = std::min<size_t>(static_cast<size_t>(part_->Index), rec->PartCount - 1);
      if (p < rec->KeyByPart.size() && rec->KeyByPart[p])
        mxml::KeyAlterations(static_cast<TQSMark*>(rec->KeyByPart[p])->Fields.Kind, key_);
    }
    if (measure_) Voices();
    Barlines(column, false);
    Close(2, "measure");
  }

  void Attributes(int j, TQSColumn* column) {
    std::vector<std::string> lines;
    auto add = [&](int indent, const std::string& text) { lines.push_back(std::string(size_t(indent), '\t') + text); };
    if (j == 0) add(4, "<divisions>192</divisions>");
    if (measure_)
      for (TQSItem* item : measure_->Items)
        if (item->ItemType == kind::Key) {
          auto* k = static_cast<TQSMark*>(item);
          int kindValue = k->Fields.Kind;
          int fifths = kindValue >= 1 && kindValue <= 7 ? kindValue : kindValue >= 11 && kindValue <= 17 ? 10 - kindValue : 0;
          add(4, "<key>");
          add(5, "<fifths>" + std::to_string(fifths) + "</fifths>");
          // The mode is known only when the file it came from told it.
          if (k->Fields.Style == 1) add(5, "<mode>major</mode>");
          add(4, "</key>");
        }
    if (column)
      for (TQSItem* item : column->Items)
        if (item->ItemType == kind::Meter) {
          auto* t = static_cast<TQSMark*>(item);
          const uint16_t v = t->Fields.Value;
          std::string symbol;
          if (t->Fields.Style == TQSMark::kMeterCommon && v == MakeMeter(4, 4)) symbol = Attr("symbol", "common");
          else if (t->Fields.Style == TQSMark::kMeterCut &&
                   (v == MakeMeter(4, 4) || v == MakeMeter(2, 2) || v == MakeMeter(2, 4)))
            symbol = Attr("symbol", "cut");
          add(4, "<time" + symbol + ">");
          add(5, "<beats>" + std::to_string(MeterNumerator(v)) + "</beats>");
          add(5, "<beat-type>" + std::to_string(MeterDenominator(v)) + "</beat-type>");
          add(4, "</time>");
        }
    const bool staves = part_->StaffCount() > 1;
    if (j == 0 && staves) add(4, "<staves>" + std::to_string(part_->StaffCount()) + "</staves>");
    if (measure_)
      for (TQSItem* item : measure_->Items)
        if (item->ItemType == kind::Clef && item->TimePosition() == 0) Clef(*static_cast<TQSMark*>(item), staves, add);
    if (j == 0)
      for (TQSStaff* staff : part_->StaffList())
        if (staff->Fields.Tablature || staff->Fields.LineCount != 5) {
          add(4, "<staff-details" + (staves ? Attr("number", staff->Index + 1) : "") + ">");
          add(5, "<staff-lines>" + std::to_string(staff->Fields.LineCount) + "</staff-lines>");
          if (staff->Fields.Tablature)
            for (int i = 0; i < staff->Fields.LineCount; ++i) {
              static const char* kSteps[12] = {"C", "C", "D", "D", "E", "F", "F", "G", "G", "A", "A", "B"};
              static const int kAlter[12] = {0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0};
              int key = staff->GetTuning(i);
              add(5, "<staff-tuning" + Attr("line", i + 1) + ">");
              add(6, std::string("<tuning-step>") + kSteps[key % 12] + "</tuning-step>");
              if (kAlter[key % 12]) add(6, "<tuning-alter>1</tuning-alter>");
              add(6, "<tuning-octave>" + std::to_string(key / 12) + "</tuning-octave>");
              add(5, "</staff-tuning>");
            }
          add(4, "</staff-details>");
        }
    if (lines.empty()) return;
    Open(3, "attributes");
    for (const std::string& l : lines) Line(0, l);
    Close(3, "attributes");
  }

  template <class Add>
  void Clef(const TQSMark& clef, bool staves, Add& add) {
    const TMusicXmlClef& c = MusicXmlClefOf(clef.Fields.Kind);
    const std::string sign = c.Sign;
    const int line = c.Line, octave = c.Octave;
    add(4, "<clef" + (staves ? Attr("number", StaffOf(clef.Fields.StaffVoice) + 1) : "") + ">");
    add(5, std::string("<sign>") + sign + "</sign>");
    if (line) add(5, "<line>" + std::to_string(line) + "</line>");
    if (octave) add(5, "<clef-octave-change>" + std::to_string(octave) + "</clef-octave-change>");
    add(4, "</clef>");
  }

  // A tempo mark's beat is 2^(9 - Kind) ticks; the sound's tempo counts
  // quarter notes.
  void Tempos(TQSColumn* column) {
    if (!column) return;
    for (TQSItem* item : column->Items) {
      if (item->ItemType != kind::Tempo) continue;
      auto* t = static_cast<TQSMark*>(item);
      const int beat = t->Fields.Kind <= 9 ? 1 << (9 - t->Fields.Kind) : 128;
      const char* unit = TypeName(beat);
      Open(3, "direction", Attr("placement", "above"));
      Open(4, "direction-type");
      Open(5, "metronome");
      Element(6, "beat-unit", unit ? unit : "quarter");
      Element(6, "per-minute", t->Fields.Value);
      Close(5, "metronome");
      Close(4, "direction-type");
      if (t->Fields.Time > 0) Element(4, "offset", Div(std::min<int>(t->Fields.Time, measureLength_)));
      double quarters = static_cast<double>(t->Fields.Value) * (unit ? beat : 128) / 128.0;
      Empty(4, "sound", Attr("tempo", Format("%g", quarters)));
      Close(3, "direction");
    }
  }

  void Barlines(TQSColumn* column, bool left) {
    if (!column) return;
    for (TQSItem* item : column->Items) {
      const TQSItemType k = item->ItemType;
      if (k < kind::RepeatOpen || k > kind::CompositionBegin) continue;
      const bool atLeft = item->TimePosition() < measureLength_;
      if (atLeft != left) continue;
      Open(3, "barline", Attr("location", left ? "left" : "right"));
      if (k == kind::SectionEnd) Element(4, "bar-style", "light-light");
      else if (k == kind::CompositionEnd || k == kind::RepeatClose) Element(4, "bar-style", "light-heavy");
      else if (k == kind::RepeatOpen || k == kind::CompositionBegin) Element(4, "bar-style", "heavy-light");
      if (k == kind::RepeatOpen) Empty(4, "repeat", Attr("direction", "forward"));
      if (k == kind::RepeatClose) Empty(4, "repeat", Attr("direction", "backward"));
      Close(3, "barline");
    }
  }

  // ------------------------------------------------------------ voices

  void Voices() {
    inForce_.clear();
    int backup = 0;
    for (TQSStaff* staff : part_->StaffList()) {
      for (TQSVoice* voice : staff->VoiceList()) {
        const int sv = MakeStaffVoice(staff->Index, voice->Index);
        if (backup > 0) {
          Open(3, "backup");
          Element(4, "duration", Div(backup));
          Close(3, "backup");
        }
        tick_ = 0;
        beamOpen_.fill(false);
        previousChordNote_ = nullptr;
        for (TQSItem* item : measure_->Items) {
          if (item->StaffVoice() != sv || item->TimePosition() >= measureLength_) continue;
          WriteItem(*item, voice->Number + 1, staff->Index);
        }
        backup = tick_;
      }
      CloseWedges(MakeStaffVoice(staff->Index, 0), measureLength_);
    }
  }

  // Moves the voice to a tick with forward or backup.
  void MoveTo(int tick) {
    if (tick > tick_) {
      Open(3, "forward");
      Element(4, "duration", Div(tick) - Div(tick_));
      Close(3, "forward");
    } else if (tick < tick_) {
      Open(3, "backup");
      Element(4, "duration", Div(tick_) - Div(tick));
      Close(3, "backup");
    }
    tick_ = tick;
  }

  void WriteItem(TQSItem& item, int voiceNumber, int staff) {
    switch (item.ItemType) {
      case kind::Note: {
        auto& n = static_cast<TQSNote&>(item);
        CloseWedges(n.Fields.StaffVoice, n.Fields.Time);
        const bool chord = n.IsChordMember() && previousChordNote_ && previousChordNote_->Fields.Time == n.Fields.Time;
        if (!chord) MoveTo(n.Fields.Time);
        Open(3, "note");
        int length = NoteBody(n, n.Fields.StaffVoice, n.Fields.Time, false, voiceNumber, staff);
        Close(3, "note");
        if (!chord) tick_ = n.Fields.Time + length;
        break;
      }
      case kind::Pause: Rest(static_cast<TQSPause&>(item), voiceNumber, staff); break;
      case kind::Vorschlag: {
        auto& g = static_cast<TQSVorschlag&>(item);
        // Grace notes after their note follow it where it ends.
        if (!g.IsAfter() || tick_ <= g.Fields.Time) MoveTo(g.Fields.Time);
        previousChordNote_ = nullptr;
        for (TQSItem* gi : g.Items)
          if (gi->ItemType == kind::Note) {
            auto& n = static_cast<TQSNote&>(*gi);
            Open(3, "note");
            NoteBody(n, g.Fields.StaffVoice, g.Fields.Time, true, voiceNumber, staff);
            Close(3, "note");
          }
        previousChordNote_ = nullptr;
        break;
      }
      case kind::Chord: Harmony(static_cast<TQSChord&>(item)); break;
      case kind::Clef:
        if (item.TimePosition() > 0) {
          std::vector<std::string> lines;
          auto add = [&](int indent, const std::string& text) { lines.push_back(std::string(size_t(indent), '\t') + text); };
          Clef(static_cast<TQSMark&>(item), part_->StaffCount() > 1, add);
          MoveTo(item.TimePosition());
          Open(3, "attributes");
          for (const std::string& l : lines) Line(0, l);
          Close(3, "attributes");
        }
        break;
      case kind::Term: Words(static_cast<TQSLyric&>(item)); break;
      case kind::Dynamics: Dynamics(static_cast<TQSMark&>(item)); break;
      case kind::Pedal: Pedal(static_cast<TQSMark&>(item)); break;
      default: break;
    }
  }

  // A direction at the item's position in the voice, above or below the
  // staff by the item's offset; the offsets from that placement's own
  // position become relative-y and relative-x in tenths of a staff space.
  std::string DirectionAt(int tick, int x, int y, int aboveOffset) {
    const int below = mxml::BelowOffset(score_);
    const bool above = y < (aboveOffset + below) / 2;
    MoveTo(std::min(tick, measureLength_));
    Open(3, "direction", Attr("placement", above ? "above" : "below"));
    Open(4, "direction-type");
    const int dy = y - (above ? aboveOffset : below);
    std::string a;
    auto tenths = [](int units) { return Round(units * double(mxml::kUnitsPerTenthDen) / mxml::kUnitsPerTenthNum); };
    if (tenths(dy) != 0) a += Attr("relative-y", -tenths(dy));
    if (tenths(x) != 0) a += Attr("relative-x", tenths(x));
    return a;
  }

  void Words(TQSLyric& l) {
    if (l.Lines.empty()) return;
    std::string attrs = DirectionAt(l.Fields.Time, l.Fields.OffsetX, l.Fields.OffsetY, mxml::kWordsAboveOffset);
    if (l.Fields.FontStyle & 2) attrs += Attr("font-style", "italic");
    if (l.Fields.FontStyle & 1) attrs += Attr("font-weight", "bold");
    Element(5, "words", JoinLines(l.Lines), attrs);
    Close(4, "direction-type");
    int v1 = 0, v2 = 0;
    if (score_.OnGetTerms) {
      if (score_.GetTerms(1, l.Lines, v1, v2)) Empty(4, "sound", Attr("dynamics", Round(v1 * 100.0 / 90)));
      else if (score_.GetTerms(2, l.Lines, v1, v2)) Empty(4, "sound", Attr("tempo", v1));
    }
    Close(3, "direction");
  }

  static std::string JoinLines(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += (s.empty() ? "" : " ") + l;
    return s;
  }

  void Dynamics(TQSMark& m) {
    const int k = m.Fields.Kind;
    const bool letters = dynamic::IsLetterKind(k);
    if (!(letters || k == dynamic::kCrescendo || k == dynamic::kDiminuendo)) return;
    const std::string offsets = DirectionAt(m.Fields.Time, m.Fields.OffsetX, m.Fields.OffsetY, mxml::kSignAboveOffset);
    if (letters) {
      Open(5, "dynamics", offsets);
      Empty(6, dynamic::kLetters[k]);
      Close(5, "dynamics");
    } else {
      Empty(5, "wedge",
            Attr("type", k == dynamic::kCrescendo ? "crescendo" : "diminuendo") + Attr("spread", 0) + offsets);
    }
    Close(4, "direction-type");
    if (letters) {
      Empty(4, "sound", Attr("dynamics", Round(score_.GetDinamics(kind::Dynamics, k) * 100.0 / 90)));
    } else {
      Element(4, "staff", StaffOf(m.Fields.StaffVoice) + 1);
      RegisterSpan(m, m.Fields.Time + m.Fields.Value, MakeStaffVoice(StaffOf(m.Fields.StaffVoice), 0), true);
    }
    Close(3, "direction");
  }

  void Pedal(TQSMark& m) {
    const std::string offsets = DirectionAt(m.Fields.Time, m.Fields.OffsetX, m.Fields.OffsetY, mxml::kSignAboveOffset);
    Empty(5, "pedal", Attr("type", m.Fields.Kind == 1 ? "start" : "stop") + offsets);
    Close(4, "direction-type");
    Close(3, "direction");
  }

  void Harmony(TQSChord& c) {
    const std::vector<uint8_t>& code = c.Definition;
    if (code.size() < 2) return;
    static const char kLetters[] = "CDEFGAB";
    auto writePart = [&](const char* stepName, const char* alterName, uint8_t b) {
      Element(5, stepName, std::string(1, kLetters[std::min(b & 0x0F, 6)]));
      if ((b & 0x30) == chordcode::kSharp) Element(5, alterName, 1);
      else if ((b & 0x30) == chordcode::kFlat) Element(5, alterName, -1);
    };
    const THarmonyWriting w = HarmonyWritingOfCode(code);
    MoveTo(std::min<int>(c.Fields.Time, measureLength_));
    Open(3, "harmony");
    Open(4, "root");
    writePart("root-step", "root-alter", code.size() > 2 && code[0] ? code[2] : 0);
    Close(4, "root");
    Element(4, "kind", w.Kind);
    const size_t last = std::min<size_t>(code.size(), static_cast<size_t>(code[0]) + 2);
    if (code[0] && code[1] && last < code.size()) {
      Open(4, "bass");
      writePart("bass-step", "bass-alter", code[last]);
      Close(4, "bass");
    }
    for (const THarmonyDegree& d : w.Degrees) {
      Open(4, "degree");
      Element(5, "degree-value", d.Value);
      Element(5, "degree-alter", d.Alter);
      Element(5, "degree-type", d.Type);
      Close(4, "degree");
    }
    Close(3, "harmony");
  }

  // ------------------------------------------------------------ notes

  // The alteration the note sounds with, from the key and the accidentals
  // written before it on its staff in the measure.
  int Alteration(const TQSNote& n, bool grace) {
    const size_t staff = static_cast<size_t>(StaffOf(n.Fields.StaffVoice));
    while (inForce_.size() <= staff) {
      std::array<int, 7> a;
      std::copy(std::begin(key_), std::end(key_), a.begin());
      inForce_.push_back(a);
    }
    const size_t step = static_cast<size_t>(std::min(PitchStep(n.Fields.Pitch), 6));
    int alter = inForce_[staff][step];
    bool first = true;
    for (TQSItem* item : n.Items) {
      if (item->ItemType != kind::Accidental) continue;
      int amount;
      bool absolute;
      if (!AccidentalAmount(static_cast<TQSMark*>(item)->Fields.Kind, amount, absolute)) continue;
      alter = absolute || first ? amount : alter + amount;
      first = false;
    }
    if (!grace) inForce_[staff][step] = alter;
    return alter;
  }

  // Writes the note's content; returns the ticks it takes in its voice.
  int NoteBody(TQSNote& n, int sv, int position, bool grace, int voiceNumber, int staff) {
    if (grace) {
      const auto* group = static_cast<const TQSVorschlag*>(n.GraceGroup());
      Empty(4, "grace", group && group->IsShortStyle() ? Attr("slash", "yes") : std::string());
    }
    bool chordNote = false;
    if (n.IsChordMember()) {
      if (previousChordNote_ && previousChordNote_->Fields.Time == n.Fields.Time) {
        Empty(4, "chord");
        chordNote = true;
      }
      previousChordNote_ = &n;
    } else {
      previousChordNote_ = nullptr;
    }
    Open(4, "pitch");
    Element(5, "step", std::string(1, "CDEFGAB"[std::min(PitchStep(n.Fields.Pitch), 6)]));
    if (int alter = Alteration(n, grace)) Element(5, "alter", alter);
    Element(5, "octave", std::max(PitchOctave(n.Fields.Pitch) - 1, 0));
    Close(4, "pitch");
    TQSMark* tuplet = grace ? nullptr : measure_->FindTuplet(sv, position);
    int length = n.Fields.RealLength;
    if (!grace) {
      int d;
      if (tuplet) {
        d = TupletNoteLength(tuplet->Fields.Kind, static_cast<uint16_t>(Div(n.Fields.Length)));
      } else if (position + length > measureLength_) {
        length = measureLength_ - position;
        d = Div(length);
      } else {
        d = Div(length);
      }
      Element(4, "duration", std::max(d, 1));
    }
    notations_.clear();
    for (TQSItem* item : n.Items)
      if (item->ItemType == kind::Liga) {
        auto* l = static_cast<TQSLiga*>(item);
        if (l->Fields.Flags & TQSLiga::kFromStart) Empty(4, "tie", Attr("type", "start"));
        const int end = position + (l->Fields.Flags & TQSLiga::kFromStart ? n.Fields.RealLength : l->Fields.Span);
        const int endSv = l->Fields.Flags & TQSLiga::kFromStart ? sv : l->Fields.EndStaffVoice;
        RegisterSpan(*l, end, endSv, false);
        notations_.push_back({l, true});
      }
    if (!grace) CloseTies(sv, position);
    Element(4, "voice", voiceNumber);
    if (const char* type = TypeName(n.Fields.Length)) Element(4, "type", type);
    Dots(n);
    if (tuplet) TimeModification(*tuplet, position, n.Fields.Length);
    Element(4, "stem", n.IsStemDown() ? "down" : "up");
    if (part_->StaffCount() > 1) Element(4, "staff", staff + 1);
    if (!chordNote) Beams(n);
    Notations(n, sv, position, grace);
    if (!grace) Lyrics(position);
    return length;
  }

  void Dots(const TQSItemHolder& h) {
    for (int i = 0; i < std::min(DotCount(h), 4); ++i) Empty(4, "dot");
  }

  void TimeModification(const TQSMark& t, int position, int written) {
    Open(4, "time-modification");
    Element(5, "actual-notes", t.Fields.Kind);
    Element(5, "normal-notes", TupletNormalCount(t.Fields.Kind));
    if (position == t.Fields.Time && written != t.Fields.Value)
      if (const char* type = TypeName(t.Fields.Value)) Element(5, "normal-type", type);
    Close(4, "time-modification");
  }

  void Beams(const TQSNote& n) {
    if (n.Fields.Length > 64) {
      beamOpen_.fill(false);
      return;
    }
    const int levels = std::min(n.ExtraBeams() + 1, 5);
    const bool joined = n.BeamedToNext() && !(n.Fields.FlagsB & TQSNote::kBeamJoin2);
    for (int i = 0; i < levels; ++i) {
      if (joined) {
        Element(4, "beam", beamOpen_[size_t(i)] ? "continue" : "begin", Attr("number", i + 1));
        beamOpen_[size_t(i)] = true;
      } else if (beamOpen_[size_t(i)]) {
        Element(4, "beam", "end", Attr("number", i + 1));
        beamOpen_[size_t(i)] = false;
      }
    }
  }

  static std::string ArrowAttr(int arrow) {
    if (arrow == TQSMark::kArpeggioUp) return Attr("direction", "up");
    if (arrow == TQSMark::kArpeggioDown) return Attr("direction", "down");
    return "";
  }

  // The format counts at most eight strokes.
  static std::string TremoloElement(const TQSMark& m, const char* type) {
    return "<tremolo" + Attr("type", type) + ">" + std::to_string(std::min<int>(m.Fields.Value, 8)) + "</tremolo>";
  }

  // A tremolo between two notes of the staff and voice whose second note
  // stands at the position: the first note is the last before it.
  const TQSMark* TremoloEndingAt(int sv, int position) const {
    const TQSMark* found = nullptr;
    for (TQSItem* item : measure_->Items) {
      const auto* t = item->ItemType == kind::Tremolo ? static_cast<const TQSMark*>(item) : nullptr;
      if (!t || t->StaffVoice() != sv || t->Fields.Value == 0 || (t->Fields.Style & TQSMark::kStyleAttached) ||
          t->Fields.Time >= position)
        continue;
      const bool noteBetween = std::any_of(measure_->Items.begin(), measure_->Items.end(), [&](const TQSItem* i) {
        return i->ItemType == kind::Note && i->StaffVoice() == sv && i->TimePosition() > t->Fields.Time &&
               i->TimePosition() < position;
      });
      if (!noteBetween) found = t;
    }
    return found;
  }

  void Notations(const TQSNote& n, int sv, int position, bool grace) {
    std::vector<std::string> lines;
    for (auto [l, start] : notations_) {
      if (l->Fields.Flags & TQSLiga::kFromStart)
        lines.push_back("<tied" + Attr("type", start ? "start" : "stop") + "/>");
      else
        lines.push_back("<slur" + Attr("type", start ? "start" : "stop") + Attr("number", 1) +
                        (start ? Attr("placement", l->IsBelow() ? "below" : "above") : std::string()) + "/>");
    }
    std::vector<std::string> articulations, ornaments;
    if (!grace)
      for (TQSItem* item : measure_->Items) {
        if (item->StaffVoice() != sv || item->TimePosition() != position) continue;
        auto* m = dynamic_cast<TQSMark*>(item);
        if (!m) continue;
        if (item->ItemType == kind::Fermata)
          lines.push_back("<fermata" + Attr("type", m->Fields.Kind == TQSMark::kFermataBelow ? "inverted" : "upright") + "/>");
        else if (item->ItemType == kind::Accent)
          articulations.push_back(m->Fields.Kind == 0   ? "<strong-accent" + Attr("type", "up") + "/>"
                                  : m->Fields.Kind == 1 ? "<strong-accent" + Attr("type", "down") + "/>"
                                                        : "<accent" + Attr("placement", "above") + "/>");
        else if (item->ItemType == kind::Staccato)
          articulations.push_back("<staccato/>");
        else if (item->ItemType == kind::Portamento)
          articulations.push_back("<tenuto/>");
        else if (item->ItemType == kind::Arpeggio)
          lines.push_back("<arpeggiate" + ArrowAttr(m->Fields.Style & TQSMark::kArpeggioArrowMask) + "/>");
        else if (item->ItemType == kind::Tremolo && m->Fields.Value > 0)
          ornaments.push_back(TremoloElement(*m, (m->Fields.Style & TQSMark::kStyleAttached) ? "single" : "start"));
      }
    // The note after the first of a tremolo between two notes ends it.
    if (!grace)
      if (const TQSMark* t = TremoloEndingAt(sv, position)) ornaments.push_back(TremoloElement(*t, "stop"));
    if (!grace && (n.Fields.TabFret > 0)) {
      lines.push_back("<technical>");
      // The file counts strings from the highest, the score from the lowest.
      const TQSStaff* staff = part_->GetStaff(StaffOf(n.Fields.StaffVoice));
      const int lines0 = staff && staff->Fields.LineCount > 0 ? staff->Fields.LineCount : TQSStaff::kMaxLines;
      lines.push_back("\t<string>" + std::to_string(std::max(lines0 - n.Fields.TabString, 1)) + "</string>");
      lines.push_back("\t<fret>" + std::to_string(n.Fields.TabFret - 1) + "</fret>");
      lines.push_back("</technical>");
    }
    if (!ornaments.empty()) {
      lines.push_back("<ornaments>");
      for (const std::string& o : ornaments) lines.push_back("\t" + o);
      lines.push_back("</ornaments>");
    }
    if (!articulations.empty()) {
      lines.push_back("<articulations>");
      for (const std::string& a : articulations) lines.push_back("\t" + a);
      lines.push_back("</articulations>");
    }
    if (lines.empty()) return;
    Open(4, "notations");
    for (const std::string& l : lines) Line(5, l);
    Close(4, "notations");
  }

  // Lyrics at the note's position that no earlier note of the measure took.
  void Lyrics(int position) {
    for (TQSItem* item : measure_->Items) {
      if (item->ItemType != kind::Lyric || item->TimePosition() != position) continue;
      auto* l = static_cast<TQSLyric*>(item);
      if (l->Lines.empty() || std::find(written_.begin(), written_.end(), l) != written_.end()) continue;
      written_.push_back(l);
      if (l->Fields.Verse > 19) l->Fields.Verse = 19;
      const bool hyphen = l->Fields.Flags & TQSLyric::kHyphen;
      const bool continues = WordContinues(*l);
      const char* syllabic = hyphen ? (continues ? "middle" : "end") : (continues ? "begin" : "single");
      Open(4, "lyric", Attr("number", l->Fields.Verse + 1));
      Element(5, "syllabic", syllabic);
      Element(5, "text", JoinLines(l->Lines));
      Close(4, "lyric");
    }
  }
  std::vector<TQSLyric*> written_;

  // Whether the next syllable of the lyric's verse in the part is joined to it.
  bool WordContinues(const TQSLyric& l) const {
    const TQSLyric* best = nullptr;
    for (int j = measureIndex_; j < part_->MeasureCount() && !best; ++j)
      for (TQSItem* item : part_->GetMeasure(j)->Items) {
        if (item->ItemType != kind::Lyric || item == &l) continue;
        auto* o = static_cast<TQSLyric*>(item);
        if (o->Fields.Verse != l.Fields.Verse || (j == measureIndex_ && o->Fields.Time <= l.Fields.Time)) continue;
        if (!best || o->Fields.Time < best->Fields.Time) best = o;
      }
    return best && (best->Fields.Flags & TQSLyric::kHyphen);
  }

  void Rest(TQSPause& r, int voiceNumber, int staff) {
    CloseWedges(r.Fields.StaffVoice, r.Fields.Time);
    MoveTo(r.Fields.Time);
    previousChordNote_ = nullptr;
    TQSMark* tuplet = measure_->FindTuplet(r.Fields.StaffVoice, r.Fields.Time);
    int length = r.Fields.RealLength;
    int d;
    if (tuplet) {
      d = TupletNoteLength(tuplet->Fields.Kind, static_cast<uint16_t>(Div(r.Fields.Length)));
    } else {
      if (r.Fields.Time + length > measureLength_) length = measureLength_ - r.Fields.Time;
      d = Div(length);
    }
    d = std::max(d, 1);
    if (r.IsHidden()) {
      Open(3, "forward");
      Element(4, "duration", d);
      Element(4, "voice", voiceNumber);
      if (part_->StaffCount() > 1) Element(4, "staff", staff + 1);
      Close(3, "forward");
    } else {
      Open(3, "note");
      Empty(4, "rest");
      Element(4, "duration", d);
      Element(4, "voice", voiceNumber);
      if (const char* type = TypeName(r.Fields.Length)) Element(4, "type", type);
      Dots(r);
      if (tuplet) TimeModification(*tuplet, r.Fields.Time, r.Fields.Length);
      if (part_->StaffCount() > 1) Element(4, "staff", staff + 1);
      Close(3, "note");
    }
    tick_ = r.Fields.Time + length;
  }

  // ------------------------------------------------------------ spans

  void RegisterSpan(TQSItem& item, int end, int endSv, bool wedge) {
    int m = measureIndex_;
    int length = measureLength_;
    while (end >= length && m + 1 < measureCount_) {
      end -= length;
      ++m;
      TQSMeasureSlot* slot = part_->GetMeasureRecord(m);
      length = slot ? slot->LengthFor(m) : kTicksWhole;
      if (length <= 0) break;
    }
    open_.push_back({&item, m, end, endSv, wedge});
  }

  bool Reached(const TOpenSpan& s, int position) const {
    return s.EndMeasure < measureIndex_ || (s.EndMeasure == measureIndex_ && s.EndPosition <= position);
  }

  // Ties and slurs of the note's voice that end here stop on it.
  void CloseTies(int sv, int position) {
    for (size_t i = open_.size(); i-- > 0;) {
      const TOpenSpan& s = open_[i];
      if (s.Wedge || s.StaffVoice != sv || !Reached(s, position)) continue;
      auto* l = static_cast<TQSLiga*>(s.Item);
      if (l->Fields.Flags & TQSLiga::kFromStart) Empty(4, "tie", Attr("type", "stop"));
      notations_.push_back({l, false});
      open_.erase(open_.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }

  void CloseWedges(int sv, int position) {
    for (size_t i = open_.size(); i-- > 0;) {
      const TOpenSpan& s = open_[i];
      if (!s.Wedge || StaffOf(uint8_t(s.StaffVoice)) != StaffOf(uint8_t(sv)) || !Reached(s, position)) continue;
      Open(3, "direction");
      Open(4, "direction-type");
      Empty(5, "wedge", Attr("type", "stop") + Attr("spread", 15));
      Close(4, "direction-type");
      Close(3, "direction");
      open_.erase(open_.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
};

}  // namespace

void ExportMusicXml(TQSScore& score, TQSPiece* piece, TStream& stream) {
  if (!piece) return;
  TWriter(score, *piece, stream).Run();
}

void ExportMusicXml(TQSScore& score, TStream& stream) { ExportMusicXml(score, score.CurrentPiece(), stream); }

}  // namespace qs
