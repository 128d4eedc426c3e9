// The marks and texts of the column layout (the second walk over a
// measure's items): lyrics, inscriptions and instrument names, dynamics and
// hairpins, ornaments and the marks that run on beyond their measure.
//
// Not handled here yet (they make no element): chord symbols, guitar
// frames, bends, fingerings and hammer-on letters, hi-hat, staccato,
// portamento and hand marks, tremolos between notes, user symbols, and the
// playback of pedal, portamento and hi-hat marks.
#include <algorithm>
#include <string>

#include "base/text.h"
#include "layout/context.h"
#include "layout/metrics.h"
#include "layout/steps.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/part.h"
#include "score/score.h"

namespace qs {

namespace {

// The music-font glyph of a mark kind and variant; 0 for none.
uint8_t MarkGlyph(int type, int v) {
  switch (type) {
    case kind::Dynamics: return v >= 0 && v <= 12 ? static_cast<uint8_t>('i' + v) : 0;
    case kind::Trill: return v >= 1 && v <= 4 ? static_cast<uint8_t>(0x9C + v) : 0;
    case kind::Gruppetto: return v == 0 || v == 1 ? '|' : v == 2 ? '~' : v == 3 ? 0x7F : 0;
    case kind::Mordent: return v >= 0 && v <= 3 ? static_cast<uint8_t>(0x86 + v) : 0;
    case kind::Fermata:
      return v == 0 ? 0x8C : v == 1 ? 0x8D : (v >= 5 && v <= 8) ? static_cast<uint8_t>(0x8E + v - 5) : 0;
    case kind::Accent:
      if (v == 0) return 0xA4;
      if (v == 1) return 0xA6;
      if (v == 3) return 0xA5;
      return v >= 10 && v <= 23 ? static_cast<uint8_t>(158 + v) : 0;
    case kind::Pedal: return v == 0 ? '{' : v == 1 ? 'z' : 0;
    case kind::StringNumber: return v >= 1 && v <= 8 ? static_cast<uint8_t>(0x93 + v) : 0;
    case kind::Breath: return 0x80;
    case kind::Bowing: return v == 0 ? 0x82 : v == 1 ? 0x83 : 0;
    default: return 0;
  }
}

int GlyphWidth(TLayoutContext& c, uint8_t glyph) {
  if (!glyph) return 0;
  c.Fonts.SetMusicFont(128);
  return c.Fonts.GlyphWidth(glyph);
}

int FirstRowTop(TLayoutContext& c) {
  const TQSCalcStaff* row = c.SystemPart ? c.PageRow(c.SystemPart->FirstRow) : nullptr;
  return row ? row->Top : 0;
}

void MoveDown(TRect& box, int dy) {
  box.Top += dy;
  box.Bottom += dy;
}

// A mark that runs on past the measure end continues in the next measure
// or system.
bool RunOn(TLayoutContext& c, const TQSMark& mark, TQSCalcItem* e) {
  if (mark.Fields.Time + mark.Fields.Value < c.Slot->Length) return false;
  c.Page->OpenSpans.push_back(e);
  return true;
}

void LayoutMark(TLayoutContext& c, TQSMark& mark) {
  const int type = mark.ItemType;
  const int v = mark.Fields.Kind;
  const int x = mark.Fields.OffsetX, y = mark.Fields.OffsetY;
  const int tick = mark.Fields.Time;
  auto element = [&] {
    TQSCalcItem* e = c.NewElement(&mark, true, true);
    e->SizePercent = static_cast<uint8_t>(c.StaffSize());
    return e;
  };
  auto glyphBox = [&](TQSCalcItem* e, int half) {
    const int g = GlyphWidth(c, MarkGlyph(type, v));
    e->Box = c.StaffBox(x - g / 2, y - half, g, y + half);
    MoveDown(e->Box, FirstRowTop(c));
  };
  switch (type) {
    case kind::Dynamics: {
      TQSCalcItem* e = element();
      if (v == 50 || v == 51) {
        AddDynamic(c, &mark, tick, mark.Fields.Value);
        RunOn(c, mark, e);
        e->Param = mark.Fields.Value;
        const int n = mark.Fields.Style ? 8 * mark.Fields.Style : 32;
        e->Box = c.StaffBox(x - 32, y - n, 32, y + n);
        MoveDown(e->Box, FirstRowTop(c));
      } else {
        AddDynamic(c, &mark, tick, 0);
        glyphBox(e, 48);
      }
      break;
    }
    case kind::Trill: {
      TQSCalcItem* e = element();
      if (RunOn(c, mark, e)) e->Param = mark.Fields.Value;
      glyphBox(e, 48);
      break;
    }
    case kind::Gruppetto:
    case kind::Mordent:
    case kind::Fermata:
    case kind::Pedal:
    case kind::Breath:
    case kind::Bowing: glyphBox(element(), 48); break;
    case kind::Accent: {
      TQSCalcItem* e = element();
      AddDynamic(c, &mark, tick, 0);
      c.Slot->Dynamics[c.Slot->DynamicCount - 1].AtTickOnly = 1;
      glyphBox(e, 48);
      break;
    }
    case kind::StringNumber: {
      TQSCalcItem* e = element();
      RunOn(c, mark, e);
      e->Param = mark.Fields.Value;
      glyphBox(e, 64);
      break;
    }
    case kind::Bracket:
    case kind::Vibrato:
    case kind::Muting:
    case kind::Barre:
    case kind::Flageolet: {
      TQSCalcItem* e = element();
      const bool runsOn = RunOn(c, mark, e);
      if (type != kind::Vibrato || runsOn) e->Param = mark.Fields.Value;
      if (type == kind::Bracket)
        e->Box = c.StaffBox(x - 32, y - 32, 16, y + 16);
      else if (type == kind::Muting)
        e->Box = v == 0 ? c.StaffBox(x - 32, y - 32, 24, y + 24) : c.StaffBox(x - 32, y - 64, 24, y + 64);
      else if (type == kind::Vibrato && v == 0)
        e->Box = c.StaffBox(x - 32, y - 32, 32, y + 32);
      else
        e->Box = c.StaffBox(x - 32, y - 64, 32, y + 64);
      MoveDown(e->Box, FirstRowTop(c));
      break;
    }
    default: break;
  }
}

// Width of a text of several lines in its font: each line with a hundredth
// more and a share per character, at least 64; "Empty" for no lines.
int TextBlockWidth(TLayoutContext& c, const std::vector<std::string>& lines) {
  if (lines.empty()) return c.Fonts.TextWidth("Empty");
  int w = 0;
  for (const std::string& line : lines) {
    const int t = c.Fonts.TextWidth(line);
    const int wide = t + t / 100;
    const int chars = static_cast<int>(Utf8ToUtf16(line).size());
    w = std::max(w, wide + (chars > 0 ? wide / chars : 0));
  }
  return std::max(w, 64);
}

void LayoutText(TLayoutContext& c, TQSLyric& text) {
  const int type = text.ItemType;
  TQSCalcMeasure* slot = c.Slot;
  const int tick = text.Fields.Time;
  const bool repeatedName = type == kind::InstrumentName && (text.Fields.Flags & TQSLyric::kShortName);

  // A lyric belongs to an existing staff and voice of the part.
  TQSCalcStaff* lyricRow = nullptr;
  if (type == kind::Lyric) {
    const int staffCount = std::max(1, c.Part->StaffCount());
    const int staff = std::min(StaffOf(text.Fields.StaffVoice), staffCount - 1);
    TQSStaff* st = c.Part->GetStaff(staff);
    const int voices = st ? std::max(1, st->VoiceCount()) : 1;
    const int voice = std::min(VoiceOf(text.Fields.StaffVoice), voices - 1);
    text.Fields.StaffVoice = MakeStaffVoice(staff, voice);
    lyricRow = c.SystemPart ? c.PageRow(c.SystemPart->FirstRow + staff) : nullptr;
    if (lyricRow) c.Row = lyricRow;
  }

  TQSCalcItem* e;
  if (repeatedName) {
    slot->NameElements.push_back(std::make_unique<TQSCalcItem>());
    e = slot->NameElements.back().get();
    e->Owner = slot;
    e->Item = &text;
    e->Row = c.Row;
  } else {
    e = c.NewElement(&text, true, true);
  }

  if (type == kind::Term) {
    int v1 = 0, v2 = 0;
    if (!text.Lines.empty() && c.Score.OnGetTerms && c.Score.GetTerms(2, text.Lines, v1, v2)) {
      // A tempo term: the time of the page runs faster or slower from here.
      TQSCalcEvent* ev = AddEvent(c, &text, tick);
      ev->Duration = static_cast<int16_t>(v1 + 100);
      c.Page->ElapsedMs += (tick - c.LastTempoTick) * c.Page->MsPerTick;
      c.Page->MsPerTick *= 1 - v1 / 100.0;
      c.LastTempoTick = tick;
    } else {
      AddDynamic(c, &text, tick, 0);
    }
  }

  const int xs = c.ScoreScaled(text.Fields.OffsetX);
  int w = text.Fields.Width, h = text.Fields.Height;
  const bool stored = w != 0 && h != 0;
  if (!stored) {
    c.Fonts.SetFont(text.FontName.empty() ? std::string("Arial") : text.FontName,
                    text.Fields.FontSize ? 8 * text.Fields.FontSize : 64);
    c.Fonts.SetStyle(text.Fields.FontStyle);
    w = TextBlockWidth(c, text.Lines);
    const int letter = c.Fonts.TextHeight();
    h = letter == 0 ? 128 : letter * std::max<int>(1, static_cast<int>(text.Lines.size())) + 24;
    if (text.Centre == 1 && c.SystemPart && c.Scale != 0) {
      text.Fields.OffsetY =
          static_cast<int16_t>((c.SystemPart->Bottom - c.SystemPart->Top - h) * 100 / 2 / c.Scale);
      text.Centre = 0;
    }
  }
  const int ys = c.ScoreScaled(text.Fields.OffsetY);
  const int left = type == kind::InstrumentName ? 0
                   : type == kind::Lyric       ? xs - w / 2
                   : stored                    ? xs
                                               : c.Scaled(text.Fields.OffsetX);
  e->Box = {left, ys, w, ys + h};
  if (text.Fields.Angle != 0) {
    TRect r = RotatedBox(e->Box.Left, e->Box.Top, w, h, text.Fields.Angle);
    e->Box = {r.Left, r.Top, r.Right - r.Left, r.Bottom};
  } else if (!stored) {
    text.Fields.Width = static_cast<int16_t>(std::min(w, 0x7FFF));
    text.Fields.Height = static_cast<int16_t>(std::min(h, 0x7FFF));
  }
  if (type == kind::InstrumentName && !repeatedName && slot->MeasureIndex == 0)
    c.NamesWidth = std::max(c.NamesWidth, e->Box.Right);
  if (type == kind::Lyric) {
    if (lyricRow) {
      lyricRow->Lyrics.push_back(e);
      MoveDown(e->Box, lyricRow->Top);
    }
    e->State = 1;
  } else if (!repeatedName) {
    MoveDown(e->Box, FirstRowTop(c));
  }
}

}  // namespace

void LayoutColumnMarks(TLayoutContext& c, TQSMeasure& measure) {
  TQSStaff* current = c.Staff;
  for (TQSItem* item : measure.Items) {
    const int type = item->ItemType;
    if (type == kind::Lyric || type == kind::Term || type == kind::InstrumentName) {
      if (auto* text = dynamic_cast<TQSLyric*>(item)) LayoutText(c, *text);
      continue;
    }
    auto* mark = dynamic_cast<TQSMark*>(item);
    if (!mark || type == kind::Clef || type == kind::Key) continue;
    // Marks are scaled for their own staff.
    const int staff = std::min(StaffOf(mark->Fields.StaffVoice), std::max(0, c.Part->StaffCount() - 1));
    c.SetStaff(c.Part->GetStaff(staff));
    LayoutMark(c, *mark);
  }
  c.SetStaff(current);
}

}  // namespace qs
