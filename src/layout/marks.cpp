// The marks and texts of the column layout (the second walk over a
// measure's items): chord symbols, lyrics, inscriptions and instrument
// names, guitar frames, dynamics and hairpins, ornaments, articulations and
// technique marks (some placed at their note), bends, user symbols and the
// marks that run on beyond their measure; with the playback of dynamics,
// tempo terms, pedal, portamento and hi-hat marks.
#include <algorithm>
#include <climits>
#include <string>

#include "base/text.h"
#include "layout/context.h"
#include "layout/metrics.h"
#include "layout/sounding.h"
#include "layout/steps.h"
#include "platform/musicglyphs.h"
#include "score/dynamics.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/pageobjects.h"
#include "score/part.h"
#include "score/score.h"

namespace qs {

namespace {

// The letters of fingerings and of hammer-ons and their like, drawn in the
// score's text font; empty for variants without one.
std::string MarkLetters(int type, int v) {
  if (type == kind::Finger) {
    // Finger 5 is measured as the digit that is drawn.
    if (v >= 0 && v <= 5) return std::to_string(v);
    static const char* const kHands[] = {"p", "i", "m", "a", "e"};
    return v >= 11 && v <= 15 ? kHands[v - 11] : "";
  }
  static const char* const kTechniques[] = {"H", "P", "T", "S"};
  return v >= 0 && v <= 3 ? kTechniques[v] : "";
}

int LettersWidth(TLayoutContext& c, int type, int v) {
  const std::string text = MarkLetters(type, v);
  if (text.empty()) return 0;
  const bool large = v > 9;
  c.Fonts.SetTextFont(type == kind::Finger ? (large ? 72 : 56) : (large ? 80 : 64));
  c.Fonts.SetStyle(0);
  return c.Fonts.TextWidth(text);
}

int GlyphWidth(TLayoutContext& c, uint8_t glyph) {
  if (!glyph) return 0;
  c.Fonts.SetMusicFont(128);
  return c.Fonts.GlyphWidth(glyph);
}

int FirstRowTop(TLayoutContext& c) { return RowTop(c.PartRow(0)); }

// The top of the row of a staff of the current part.
int StaffRowTop(TLayoutContext& c, int staffVoice) { return RowTop(c.PartRow(StaffOf(static_cast<uint8_t>(staffVoice)))); }

// A mark that runs on past the measure end continues in the next measure
// or system.
bool RunOn(TLayoutContext& c, const TQSMark& mark, TQSCalcItem* e) {
  if (mark.Fields.Time + mark.Fields.Value < c.Slot->Length) return false;
  c.Page->OpenSpans.push_back(e);
  return true;
}

// Marks that stand at a note (bit 4 of their style byte): beside the head
// of the note of their staff and voice at their tick, above or below it by
// its stem; without such a note on the row of their staff.
void PlaceAtNote(TLayoutContext& c, TQSMark& mark, TQSCalcItem& e) {
  const TQSCalcItem* head = (mark.Fields.Style & TQSMark::kStyleAttached)
                                ? FindNoteElement(c, mark.Fields.StaffVoice, mark.Fields.Time, 0, false)
                                : nullptr;
  const auto* note = head ? ClassCast<const TQSNote>(head->Item) : nullptr;
  if (!note) {
    MoveDown(e.Box, StaffRowTop(c, mark.Fields.StaffVoice));
    return;
  }
  const bool down = note->IsStemDown();
  if (note->IsHeadDisplaced()) e.Box.Left += down ? -head->Box.Right : head->Box.Right;
  const int space = c.StaffSpace;
  const int type = mark.ItemType;
  int dy;
  if (type == kind::Staccato || type == kind::Portamento)
    dy = down ? head->Box.Top - space : head->Box.Bottom + space;
  else
    dy = down ? head->Box.Bottom + 4 * space : head->Box.Top - 4 * space;
  MoveDown(e.Box, dy);
}

// Pedal and portamento marks sound on the channel of their voice.
TQSCalcEvent* MarkEvent(TLayoutContext& c, TQSMark& mark) {
  mark.Voice = FindVoice(c.Part, mark.Fields.StaffVoice);
  mark.LayoutByte = VoiceSound(mark.Voice, c.Part).Channel;
  return AddEvent(c, &mark, mark.Fields.Time);
}

// A hi-hat mark on a percussion staff opens the closed hi-hats (key 42) of
// its staff at its tick.
void OpenHiHats(TLayoutContext& c, TQSMark& mark) {
  TQSMeasure* m = c.Col.Measure;
  const TQSStaff* staff = c.Part->GetStaff(StaffOf(mark.Fields.StaffVoice));
  if (!m || !staff) return;
  c.PercussionClef = false;
  ClefOffsetAt(c, staff->SystemRow, mark.Fields.StaffVoice, mark.Fields.Time);
  if (!c.PercussionClef) return;
  for (TQSItem* item : m->Items) {
    auto* note = item->ItemType == kind::Note ? ClassCast<TQSNote>(item) : nullptr;
    if (note && StaffOf(note->Fields.StaffVoice) == StaffOf(mark.Fields.StaffVoice) &&
        note->Fields.Time == mark.Fields.Time && note->SoundingKey == 42)
      note->SoundingKey = 46;
  }
}

// A tremolo between two notes stands at the stem of the note at its tick.
void LayoutTremoloBetween(TLayoutContext& c, TQSMark& mark, TQSCalcItem& e) {
  const int x = mark.Fields.OffsetX, y = mark.Fields.OffsetY;
  const int n = 24 * mark.Fields.Value + 16;
  const TQSCalcItem* head = FindNoteElement(c, mark.Fields.StaffVoice, mark.Fields.Time, TQSNote::kStemDown, false);
  const auto* note = head ? ClassCast<const TQSNote>(head->Item) : nullptr;
  if (!note) {
    e.Box = c.StaffBox(x - 24, y - n / 2, 48, y + n / 2);
    MoveDown(e.Box, FirstRowTop(c));
  } else if (note->IsStemDown()) {
    e.Box = c.StaffBox(x - 48, y, 48, y + n);
    MoveDown(e.Box, head->Box.Bottom + 32);
  } else {
    e.Box = c.StaffBox(x, y - n, 48, y);
    MoveDown(e.Box, head->Box.Top - 32);
  }
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
  };
  switch (type) {
    case kind::Dynamics: {
      TQSCalcItem* e = element();
      if (dynamic::IsHairpinKind(v)) {
        AddDynamic(c, &mark, tick, mark.Fields.Value);
        RunOn(c, mark, e);
        e->Param = mark.Fields.Value;
        const int n = mark.Fields.Style ? 8 * mark.Fields.Style : 32;
        e->Box = c.StaffBox(x - 32, y - n, 32, y + n);
      } else {
        AddDynamic(c, &mark, tick, 0);
        glyphBox(e, 48);
      }
      MoveDown(e->Box, FirstRowTop(c));
      break;
    }
    case kind::Trill: {
      TQSCalcItem* e = element();
      // An imported trill draws its wavy line inside its measure too.
      if (RunOn(c, mark, e) || c.Score.MarksClearOfTheMusic) e->Param = mark.Fields.Value;
      glyphBox(e, 48);
      MoveDown(e->Box, FirstRowTop(c));
      break;
    }
    case kind::Pedal:
      MarkEvent(c, mark);
      [[fallthrough]];
    case kind::Gruppetto:
    case kind::Mordent:
    case kind::Fermata:
    case kind::Breath:
    case kind::Bowing: {
      TQSCalcItem* e = element();
      glyphBox(e, 48);
      MoveDown(e->Box, FirstRowTop(c));
      break;
    }
    case kind::Accent: {
      TQSCalcItem* e = element();
      AddDynamic(c, &mark, tick, 0);
      c.Slot->Dynamics[c.Slot->DynamicCount - 1].AtTickOnly = 1;
      glyphBox(e, 48);
      MoveDown(e->Box, FirstRowTop(c));
      break;
    }
    case kind::StringNumber: {
      TQSCalcItem* e = element();
      RunOn(c, mark, e);
      e->Param = mark.Fields.Value;
      glyphBox(e, 64);
      MoveDown(e->Box, FirstRowTop(c));
      break;
    }
    case kind::Finger:
    case kind::Hammer: {
      // Hammer-on letters stand on the first row by their offset alone.
      TQSCalcItem* e = element();
      const int g = LettersWidth(c, type, v);
      e->Box = c.StaffBox(x - g / 2, y - 48, g, y + 48);
      MoveDown(e->Box, FirstRowTop(c));
      break;
    }
    case kind::HiHat1:
    case kind::HiHat2: {
      TQSCalcItem* e = element();
      glyphBox(e, 32);
      PlaceAtNote(c, mark, *e);
      OpenHiHats(c, mark);
      break;
    }
    case kind::Staccato:
    case kind::Portamento: {
      TQSCalcItem* e = element();
      const int width = type == kind::Staccato ? 40 : 80;
      e->Box = c.StaffBox(x - width / 2, y - 16, width, y + 16);
      PlaceAtNote(c, mark, *e);
      if (type == kind::Portamento) {
        TQSCalcEvent* ev = MarkEvent(c, mark);
        // A portamento at a note glides for the note's written length.
        if (mark.Fields.Style & TQSMark::kStyleAttached)
          if (const TQSCalcItem* head = FindNoteElement(c, mark.Fields.StaffVoice, tick, 0, false))
            if (const auto* note = ClassCast<const TQSNote>(head->Item))
              ev->Duration = static_cast<int16_t>(note->Fields.Length);
      }
      break;
    }
    case kind::Hand: {
      TQSCalcItem* e = element();
      e->Box = c.StaffBox(x - 32, y - 48, 56, y + 48);
      PlaceAtNote(c, mark, *e);
      if (const int count = mark.Fields.Value) {
        if (v != 0)
          e->Box.Top -= c.Scaled(count * 8);
        else
          e->Box.Bottom += c.Scaled(count * 8);
      }
      break;
    }
    case kind::Tremolo:
      // Tremolos on a single note stand beside its chord (first item loop).
      if (mark.Fields.Style & TQSMark::kStyleAttached) LayoutTremoloBetween(c, mark, *element());
      break;
    case kind::UserSymbolMark: {
      const TQSUserSymbol* symbol =
          mark.Fields.Value < c.Score.UserSymbolCount() ? c.Score.GetUserSymbol(mark.Fields.Value) : nullptr;
      if (!symbol) break;
      TQSCalcItem* e = element();
      const int width = symbol->Fields.First, height = symbol->Fields.Second;
      e->Box = c.StaffBox(x - width / 2, y, width, y + height);
      MoveDown(e->Box, FirstRowTop(c));
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

// A chord symbol: its text fragments placed one after the other (or after
// the fragment they are anchored to) on their levels.
void LayoutChordSymbol(TLayoutContext& c, TQSChord& chord) {
  const std::string& face = chord.FontName.empty() ? c.Fonts.TextFontName() : chord.FontName;
  int run = 0, top = 0, bottom = 0, width = 0;
  auto& fragments = chord.Patterns;
  for (size_t i = 0; i < fragments.size(); ++i) {
    TQSChordFragment& f = fragments[i];
    if (f.Fields.Anchor < i) run = fragments[f.Fields.Anchor].EndX;
    c.Fonts.SetFont(face, f.Fields.Size ? 8 * f.Fields.Size : 64);
    c.Fonts.SetStyle(f.Fields.Style);
    f.StartX = static_cast<int16_t>(std::clamp(run, -32768, 32767));
    // Sharps and flats are drawn as music signs, as musicians read them.
    int textWidth = 0;
    for (const TChordRun& r : ChordFragmentRuns(f.Text)) {
      if (r.Glyph) c.Fonts.SetFont(c.Fonts.MusicFontName(), ChordSignSize(f.Fields.Size ? 8 * f.Fields.Size : 64));
      textWidth += r.Glyph ? c.Fonts.GlyphWidth(r.Glyph) : c.Fonts.TextWidth(r.Text);
      if (r.Glyph) {
        c.Fonts.SetFont(face, f.Fields.Size ? 8 * f.Fields.Size : 64);
        c.Fonts.SetStyle(f.Fields.Style);
      }
    }
    run = std::clamp(run + textWidth, -32768, 32767);
    f.EndX = static_cast<int16_t>(run);
    width = std::max(width, run);
    const int level = 32 * f.Fields.Level;
    top = std::min(top, level);
    bottom = std::max(bottom, level + c.Fonts.TextHeight());
  }
  for (TQSChordFragment& f : fragments) f.Y = static_cast<int16_t>(std::clamp(32 * f.Fields.Level - top, -32768, 32767));
  TQSCalcItem* e = c.NewElement(&chord, true, true);
  e->SizePercent = static_cast<uint8_t>(c.StaffSize());
  const int x = chord.Fields.OffsetX, y = chord.Fields.OffsetY;
  e->Box = c.StaffBox(x - width / 2, y - 48 + top, width, y - 48 + bottom);
  MoveDown(e->Box, StaffRowTop(c, chord.Fields.StaffVoice));
  // Checked against the chord symbol before it on its row (FitLyrics).
  const int staff = std::min(StaffOf(chord.Fields.StaffVoice), std::max(1, c.Part->StaffCount()) - 1);
  if (TQSCalcStaff* row = c.SystemPart ? c.PageRow(c.SystemPart->FirstRow + staff) : nullptr) {
    e->State = 1;
    row->ChordSymbols.push_back(e);
  }
}

// A guitar chord frame: a grid of its strings and fret rows, a fret
// number beside it when it does not begin at the nut.
void LayoutFrame(TLayoutContext& c, TQSFrame& frame) {
  c.Fonts.SetTextFont(64);
  const int start = frame.Fields.StartFret;
  const int width = 48 * frame.Fields.StringCount + (start > 8 ? 64 : start > 0 ? 48 : 0);
  const int height = 48 * frame.Fields.UsedFretCount + 80 + (start == 0 ? 16 : 0);
  TQSCalcItem* e = c.NewElement(&frame, true, true);
  e->SizePercent = static_cast<uint8_t>(c.StaffSize());
  const int x = frame.Fields.OffsetX, y = frame.Fields.OffsetY;
  e->Box = c.StaffBox(x - width / 2, y - 48, width, y - 48 + height);
  MoveDown(e->Box, StaffRowTop(c, frame.Fields.StaffVoice));
}

// A bend: Box2 holds its curve from its foot, Box the curve with room for
// its arrow and label.
void LayoutBend(TLayoutContext& c, TQSBend& bend) {
  const TQSBend::TFields& f = bend.Fields;
  const int variant = f.Kind;
  int width = f.RiseWidth;
  if (variant >= 2) width += f.SecondWidth;
  if (variant >= 4) width += f.ReleaseWidth;
  TQSCalcItem* e = c.NewElement(&bend, true, true);
  e->SizePercent = static_cast<uint8_t>(c.StaffSize());
  e->Box2 = c.StaffBox(f.OffsetX, f.OffsetY - f.Height, width, f.OffsetY);
  MoveDown(e->Box2, FirstRowTop(c));
  e->Box = e->Box2;
  e->Box.Left -= 32;
  e->Box.Right += 64;
  if (variant > 2)
    e->Box.Bottom += 64;
  else
    e->Box.Top -= 64;
}

// Width of a text of several lines in its font: each line with a hundredth
// more and a share per character, at least 64; "Empty" for no lines.
int TextBlockWidth(TLayoutContext& c, const std::vector<std::string>& lines) {
  if (lines.empty()) return c.Fonts.TextWidth("Empty");
  int widest = 0;
  for (const std::string& line : lines) {
    const int lineWidth = c.Fonts.TextWidth(line);
    const int wide = lineWidth + lineWidth / 100;
    const int chars = static_cast<int>(Utf8ToUtf16(line).size());
    widest = std::max(widest, wide + (chars > 0 ? wide / chars : 0));
  }
  return std::max(widest, 64);
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
  int width = text.Fields.Width, height = text.Fields.Height;
  const bool stored = width != 0 && height != 0;
  if (!stored) {
    c.Fonts.SetFont(text.FontName.empty() ? std::string("Arial") : text.FontName,
                    text.Fields.FontSize ? 8 * text.Fields.FontSize : 64);
    c.Fonts.SetStyle(text.Fields.FontStyle);
    width = TextBlockWidth(c, text.Lines);
    const int letter = c.Fonts.TextHeight();
    height = letter == 0 ? 128 : letter * std::max<int>(1, static_cast<int>(text.Lines.size())) + 24;
    if (text.Centre == 1 && c.SystemPart && c.Scale != 0) {
      text.Fields.OffsetY =
          static_cast<int16_t>((c.SystemPart->Bottom - c.SystemPart->Top - height) * 100 / 2 / c.Scale);
      text.Centre = 0;
    }
  }
  const int ys = c.ScoreScaled(text.Fields.OffsetY);
  const int left = type == kind::InstrumentName ? 0
                   : type == kind::Lyric       ? xs - width / 2
                   : stored                    ? xs
                                               : c.Scaled(text.Fields.OffsetX);
  e->Box = {left, ys, width, ys + height};
  if (text.Fields.Angle != 0) {
    TRect r = RotatedBox(e->Box.Left, e->Box.Top, width, height, text.Fields.Angle);
    e->Box = {r.Left, r.Top, r.Right - r.Left, r.Bottom};
  } else if (!stored) {
    text.Fields.Width = static_cast<int16_t>(std::min(width, 0x7FFF));
    text.Fields.Height = static_cast<int16_t>(std::min(height, 0x7FFF));
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
  // Marks are measured and scaled for their own staff.
  auto useStaff = [&c](int staffVoice) {
    const int staff = std::min(StaffOf(static_cast<uint8_t>(staffVoice)), std::max(0, c.Part->StaffCount() - 1));
    c.SetStaff(c.Part->GetStaff(staff));
  };
  for (TQSItem* item : measure.Items) {
    const int type = item->ItemType;
    if (type == kind::Lyric || type == kind::Term || type == kind::InstrumentName) {
      if (auto* text = ClassCast<TQSLyric>(item)) LayoutText(c, *text);
    } else if (type == kind::Chord) {
      if (auto* chord = ClassCast<TQSChord>(item)) {
        useStaff(chord->Fields.StaffVoice);
        LayoutChordSymbol(c, *chord);
      }
    } else if (type == kind::Frame) {
      if (auto* frame = dynamic_cast<TQSFrame*>(item)) {
        useStaff(frame->Fields.StaffVoice);
        LayoutFrame(c, *frame);
      }
    } else if (type == kind::Bend) {
      if (auto* bend = dynamic_cast<TQSBend*>(item)) {
        useStaff(bend->Fields.StaffVoice);
        LayoutBend(c, *bend);
      }
    } else if (type == kind::Clef || type == kind::Key || type == kind::Note || type == kind::Pause ||
               type == kind::Vorschlag) {
      // Clefs and keys belong to the column; notes, rests and grace groups
      // are no marks (and finding that out by their class is slow).
    } else if (auto* mark = ClassCast<TQSMark>(item)) {
      useStaff(mark->Fields.StaffVoice);
      LayoutMark(c, *mark);
    }
  }
  c.SetStaff(current);
}

// ------------------------------------------------ placement on the page

namespace {

// The nearest earlier element of the same kind on the same staff in this
// or an earlier slot of the system ends gap units before x.
void CutEarlier(TPlacement& p, const TQSCalcItem& e, int index, int x, int gap) {
  const int type = e.Item->ItemType;
  const int staff = StaffOf(static_cast<uint8_t>(e.Item->StaffVoice()));
  for (int k = p.SlotIndex; k >= 0; --k) {
    TQSCalcMeasure* slot = p.c.System->Measures.At(k);
    for (int i = (k == p.SlotIndex ? index : slot->ItemCount) - 1; i >= 0; --i) {
      TQSCalcItem* o = slot->Items.At(i);
      if (o->ElementType == element::Item && o->Item && o->Item->ItemType == type &&
          StaffOf(static_cast<uint8_t>(o->Item->StaffVoice())) == staff) {
        o->Box.Right = x - gap;
        return;
      }
    }
  }
}

}  // namespace

// A lyric or text term at its tick; a syllable that continues a word
// leaves room for its hyphen, halfway to the syllable before it.
void PlaceText(TPlacement& p, TQSCalcItem& e) {
  TLayoutContext& c = p.c;
  TRect& box = e.Box;
  TPlacement::MoveByWithWidth(box, p.X(TLayoutContext::AnchorTick(e.Item)));
  // Words reaching past the end of the system (and off the page) end with
  // it.
  if (e.Item->ItemType == kind::Term && c.System && box.Right > c.System->Right) {
    const int back = std::min(box.Right - c.System->Right, std::max(0, box.Left - c.System->Left));
    box.Left -= back;
    box.Right -= back;
  }
  e.Box2 = box;
  const auto* lyric = static_cast<const TQSLyric*>(e.Item);
  if (lyric->ItemType != kind::Lyric || !(lyric->Fields.Flags & TQSLyric::kHyphen)) return;
  c.Fonts.SetFont(lyric->FontName.empty() ? std::string("Arial") : lyric->FontName,
                  lyric->Fields.FontSize ? 8 * lyric->Fields.FontSize : 64);
  c.Fonts.SetStyle(lyric->Fields.FontStyle);
  const int hyphen = c.Fonts.TextWidth("-");
  const TQSCalcItem* before = nullptr;
  if (e.Row)
    for (const TQSCalcItem* other : e.Row->Lyrics) {
      if (other == &e) break;
      const auto* otherLyric = static_cast<const TQSLyric*>(other->Item);
      if (otherLyric->Fields.Verse == lyric->Fields.Verse && otherLyric->Fields.StaffVoice == lyric->Fields.StaffVoice)
        before = other;
    }
  box.Left = before ? (box.Left + before->Box.Right - hyphen) / 2 : box.Left - hyphen;
}

// An instrument name left of the system; a name not yet placed by hand
// keeps the offset that puts it clear of the staves.
void PlaceInstrumentName(TPlacement& p, TQSCalcItem& e) {
  TLayoutContext& c = p.c;
  TRect& box = e.Box;
  auto* name = static_cast<TQSLyric*>(e.Item);
  const int size = e.SizePercent ? e.SizePercent : 100;
  if (name->Fields.OffsetX >= 0 && c.Scale > 0)
    name->Fields.OffsetX = static_cast<int16_t>(std::clamp(-(box.Right * 10000 / c.Scale / size) - 64, -32768, 32767));
  TPlacement::MoveByWithWidth(box, c.ScaledBy(name->Fields.OffsetX, size) + c.System->Left);
  e.Box2 = box;
}

// Dynamics at their tick; a hairpin begun in the slot reaches the tick of
// its end.
void PlaceDynamics(TPlacement& p, TQSCalcItem& e) {
  TRect& box = e.Box;
  const int tick = TLayoutContext::AnchorTick(e.Item);
  const auto* mark = static_cast<const TQSMark*>(e.Item);
  if (!dynamic::IsHairpinKind(mark->Fields.Kind)) {
    TPlacement::MoveByWithWidth(box, p.X(tick));
    return;
  }
  box.Left += p.X(tick);
  if (e.State == 0) box.Right = std::max(p.X(e.Param + tick) + box.Right, box.Left + 32);
}

// Trill lines, brackets, ottavas and the other marks that run from their
// tick to the tick of their end (at least a short stretch); string
// numbers, barrés and harmonics cut the one before them short.
void PlaceLineMark(TPlacement& p, TQSCalcItem& e, int index) {
  TRect& box = e.Box;
  const int type = e.Item->ItemType;
  const int tick = TLayoutContext::AnchorTick(e.Item);
  box.Left += p.X(tick);
  const int minimum = type == kind::Flageolet ? 256 : 128;
  // An imported trill's line ends short of the note after its last; an
  // imported line bracket reaches over the head of its last note.
  int end = box.Right;
  if (p.c.Score.MarksClearOfTheMusic && type == kind::Trill) end = -p.c.StaffSpace / 2;
  if (p.c.Score.MarksClearOfTheMusic && type == kind::Bracket) end = 3 * p.c.StaffSpace / 2;
  if (e.State == 0) box.Right = std::max(p.X(tick + e.Param) + end, box.Left + minimum);
  if (type == kind::StringNumber || type == kind::Barre) CutEarlier(p, e, index, box.Left, 8);
  if (type == kind::Flageolet) CutEarlier(p, e, index, box.Left, 0);
}

// A bend and its arrow (Box2) at its tick.
void PlaceBend(TPlacement& p, TQSCalcItem& e) {
  const int x = p.X(TLayoutContext::AnchorTick(e.Item));
  TPlacement::MoveByWithWidth(e.Box, x);
  TPlacement::MoveByWithWidth(e.Box2, x);
}

// The marks that stand at their tick; any other item keeps its box.
void PlaceMarkAtTick(TPlacement& p, TQSCalcItem& e) {
  const int type = e.Item->ItemType;
  if (type == kind::Tempo || type == kind::NoteRepeat || type == kind::Arpeggio || type == kind::Hang ||
      (type >= kind::Gruppetto && type <= kind::Accent) || type == kind::Pedal || type == kind::Finger ||
      type == kind::Hammer || type == kind::Breath || (type >= kind::HiHat1 && type <= kind::Bowing) ||
      (type >= kind::Staccato && type <= kind::Tremolo) || type == kind::Hand || type == kind::BarreBracket ||
      type == kind::Chord || type == kind::Frame || type == kind::Lift || type == kind::UserSymbolMark)
    TPlacement::MoveByWithWidth(e.Box, p.X(TLayoutContext::AnchorTick(e.Item)));
}

// ------------------------------------------------- marks clear of the music

namespace {



bool Touch(const TRect& a, const TRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

bool HasBox(const TRect& r) { return r.Right > r.Left && r.Bottom > r.Top; }

}  // namespace

bool IsMovableMark(int type) {
  return type == kind::Dynamics || type == kind::Term || type == kind::Tempo || type == kind::Rehearsal ||
         type == kind::Pedal || type == kind::Fermata || type == kind::Segno || type == kind::Coda ||
         type == kind::Chord || type == kind::Volta || type == kind::MeasureNumbering;
}

bool IsObstacle(const TQSCalcItem& e) {
  if (e.ElementType == element::Stem || e.ElementType == element::Beam) return true;
  if (e.ElementType != element::Item || !e.Item) return false;
  const int type = e.Item->ItemType;
  return type == kind::Note || type == kind::Pause || type == kind::Accidental || type == kind::Dot ||
         type == kind::Arpeggio || type == kind::Clef || type == kind::Key || type == kind::Meter ||
         type == kind::Lyric || type == kind::Chord || (type >= kind::Staccato && type <= kind::Tremolo) ||
         type == kind::Accent || type == kind::Bowing || type == kind::Finger || type == kind::Trill ||
         type == kind::Mordent || type == kind::Gruppetto || type == kind::Breath;
}

void SettleMarks(TLayoutContext& c) {
  TQSCalcSystem* system = c.System;
  if (!system || !c.Page || !c.Score.MarksClearOfTheMusic) return;
  std::vector<TRect> taken;
  std::vector<TQSCalcItem*> marks;
  for (int k = 0; k < system->MeasureCount; ++k) {
    TQSCalcMeasure* slot = system->Measures.At(k);
    for (int i = 0; i < slot->ItemCount; ++i) {
      TQSCalcItem* e = slot->Items.At(i);
      if (!HasBox(e->Box)) continue;
      if (e->ElementType == element::Item && e->Item && IsMovableMark(e->Item->ItemType)) marks.push_back(e);
      else if (IsObstacle(*e)) taken.push_back(e->Box);
    }
  }
  // Each mark goes away from the middle of the staff nearest to it.
  std::vector<const TQSCalcStaff*> rows;
  for (int r = system->FirstRow; r <= system->LastRow; ++r)
    if (const TQSCalcStaff* row = c.Page->StaffRows.At(r); row && row->System == system) rows.push_back(row);
  if (rows.empty()) return;
  auto lines = [](const TQSCalcStaff* row) { return TRect{row->Left, row->TopLine, row->Right, row->BottomLine}; };
  struct TSide {
    TQSCalcItem* Mark;
    const TQSCalcStaff* Row;
    int Distance;   // from the staff
    int Direction;  // -1 up, 1 down
  };
  std::vector<TSide> sides;
  for (TQSCalcItem* e : marks) {
    const int middle = (e->Box.Top + e->Box.Bottom) / 2;
    const TQSCalcStaff* nearest = rows.front();
    int best = INT_MAX;
    for (const TQSCalcStaff* row : rows) {
      const int d = DistanceToStaff(*row, middle);
      if (d < best) {
        best = d;
        nearest = row;
      }
    }
    // A mark of a staff goes away from its own staff.
    if (const TQSCalcStaff* own = OwnStaffRow(*c.Page, *system, *e)) {
      nearest = own;
      best = DistanceToStaff(*own, middle);
    }
    const bool up = middle < (nearest->TopLine + nearest->BottomLine) / 2;
    sides.push_back({e, nearest, best, up ? -1 : 1});
  }
  // Nothing runs past the end of the line (and off the page).
  for (const TSide& side : sides) {
    TRect& box = side.Mark->Box;
    const int back = std::min(box.Right - system->Right, std::max(0, box.Left - system->Left));
    if (back <= 0) continue;
    box.Left -= back;
    box.Right -= back;
    if (HasBox(side.Mark->Box2)) {
      side.Mark->Box2.Left -= back;
      side.Mark->Box2.Right -= back;
    }
  }
  // A hairpin that starts where a dynamic stands on the same side of the
  // same staff begins after it on its line, and the two move as one.
  auto dynamicKind = [](const TSide& side) {
    const TQSItem* item = side.Mark->Item;
    return item->ItemType == kind::Dynamics ? static_cast<const TQSMark*>(item)->Fields.Kind : -1;
  };
  std::vector<std::pair<size_t, size_t>> pairs;  // letters, hairpin
  for (size_t h = 0; h < sides.size(); ++h) {
    if (!dynamic::IsHairpinKind(dynamicKind(sides[h]))) continue;
    TRect& hairpin = sides[h].Mark->Box;
    for (size_t d = 0; d < sides.size(); ++d) {
      const TRect& letters = sides[d].Mark->Box;
      if (!dynamic::IsLetterKind(dynamicKind(sides[d])) || sides[d].Row != sides[h].Row ||
          sides[d].Direction != sides[h].Direction || letters.Left > hairpin.Left || letters.Right <= hairpin.Left)
        continue;
      const int left = letters.Right + c.StaffSpace / 2;
      if (left + 2 * c.StaffSpace > hairpin.Right) break;  // no room for both on one line
      hairpin.Left = left;
      MoveDown(hairpin, (letters.Top + letters.Bottom) / 2 - (hairpin.Top + hairpin.Bottom) / 2);
      sides[h].Distance = sides[d].Distance;
      pairs.emplace_back(d, h);
      break;
    }
  }
  // Those nearest their staff first: the others stack outside them.
  std::vector<size_t> order(sides.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return sides[a].Distance < sides[b].Distance; });
  const int step = std::max(1, c.StaffSpace / 4);
  const int limit = 16 * c.StaffSpace;
  auto touches = [&](const TSide& side, const TRect& box) {
    return Touch(lines(side.Row), box) ||
           std::any_of(taken.begin(), taken.end(), [&](const TRect& r) { return Touch(r, box); });
  };
  // A mark never stands on another staff: it stops short of it.
  auto reachesOtherStaff = [&](const TSide& side, const TRect& box) {
    return std::any_of(rows.begin(), rows.end(), [&](const TQSCalcStaff* row) {
      return row != side.Row && Touch(lines(row), box);
    });
  };
  // How far a mark moves until it touches nothing.
  auto distanceToClear = [&](const TSide& side) {
    int moved = 0;
    TRect box = side.Mark->Box;
    while (moved < limit && touches(side, box)) {
      TRect next = box;
      MoveDown(next, side.Direction * step);
      if (reachesOtherStaff(side, next)) break;
      box = next;
      moved += step;
    }
    return moved;
  };
  auto move = [&](TQSCalcItem& e, int dy) {
    MoveDown(e.Box, dy);
    if (HasBox(e.Box2)) MoveDown(e.Box2, dy);
  };
  // The chord symbols on one side of a staff keep one line: they move
  // together as far as the one that has furthest to go.
  auto isChord = [](const TSide& side) { return side.Mark->Item->ItemType == kind::Chord; };
  for (const TQSCalcStaff* row : rows)
    for (int direction : {-1, 1}) {
      int most = 0;
      for (const TSide& side : sides)
        if (isChord(side) && side.Row == row && side.Direction == direction) most = std::max(most, distanceToClear(side));
      for (const TSide& side : sides)
        if (isChord(side) && side.Row == row && side.Direction == direction) {
          move(*side.Mark, direction * most);
          taken.push_back(side.Mark->Box);
        }
    }
  std::vector<bool> placed(sides.size(), false);
  for (size_t i : order) {
    if (isChord(sides[i]) || placed[i]) continue;
    std::vector<size_t> together{i};
    for (const auto& [letters, hairpin] : pairs)
      if (letters == i || hairpin == i) together = {letters, hairpin};
    int distance = 0;
    for (size_t k : together) distance = std::max(distance, distanceToClear(sides[k]));
    for (size_t k : together) {
      move(*sides[k].Mark, sides[k].Direction * distance);
      taken.push_back(sides[k].Mark->Box);
      placed[k] = true;
    }
  }
}
}  // namespace qs
