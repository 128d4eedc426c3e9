#include "editing/properties.h"

#include <algorithm>

#include "editing/selection.h"
#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/undo.h"
#include "score/pageobjects.h"
#include "score/picture.h"

namespace qs {

namespace {

constexpr uint8_t kActionProperties = 18;
// Bit 0 of a lyric's flags: the syllable runs on into the next.
constexpr uint8_t kLyricContinued = TQSLyric::kHyphen;

bool IsLyricKind(TQSItemType k) { return k == kind::Lyric || k == kind::Term || k == kind::InstrumentName; }

// The selected items of a kind (by the test), each once, in selection
// order: the page selection for free texts and images, the measure lists
// for the rest.
template <class T, class Test>
std::vector<T*> SelectedOf(TQSWindowLink* view, bool pageSelection, Test test) {
  std::vector<T*> out;
  if (!view) return out;
  const std::vector<TQSCalcItem*> elements =
      pageSelection ? view->SelectedPageElements() : view->SelectedMeasureElements();
  for (TQSCalcItem* e : elements) {
    if (!e || !e->Item || !test(*e->Item)) continue;
    auto* item = dynamic_cast<T*>(e->Item);
    if (item && std::find(out.begin(), out.end(), item) == out.end()) out.push_back(item);
  }
  return out;
}

template <class T>
std::vector<T*> SelectedKind(TQSWindowLink* view, bool pageSelection, TQSItemType k) {
  return SelectedOf<T>(view, pageSelection, [k](const TQSItem& item) { return item.ItemType == k; });
}

// The element of a selected item, for the page it lowers.
TQSCalcItem* SelectedElement(TQSWindowLink* view, const TQSItem* item) {
  for (TQSCalcItem* e : view->SelectedMeasureElements())
    if (e && e->Item == item) return e;
  return nullptr;
}

// Writes every selected item of a kind after its snapshot, lowering the
// first page to lay out again to the item's page, and ends with the
// layout pass, a repaint and OnChanged when anything was written.
template <class T, class Write>
void WriteSelected(TQSScore& score, const std::vector<T*>& items, Write write, bool pageObjects) {
  TQSSelectionCommand c(score, kActionProperties);
  try {
    for (T* item : items) {
      c.SaveItem(item);
      if (pageObjects) {
        const int page = item->PageNumber() - 1;
        if (page >= 0 && page < c.FromPage) c.FromPage = page;
        else if (page < 0) c.FromPage = 0;
      } else {
        c.LowerPageTo(SelectedElement(c.View, item));
      }
      write(*item);
      c.Changed = true;
    }
  } catch (...) {
    c.Done();
    throw;
  }
  c.Done();
}

// The grace-note groups of the selected grace notes, in selection order.
std::vector<TQSVorschlag*> SelectedGraceGroups(TQSWindowLink* view) {
  std::vector<TQSVorschlag*> out;
  for (TQSNote* note : SelectedKind<TQSNote>(view, false, kind::Note))
    if (TQSVorschlag* group = note->GraceGroup(); group && std::find(out.begin(), out.end(), group) == out.end())
      out.push_back(group);
  return out;
}

// Barres and flageolets: the fret in Kind, the style or continued flag in
// the flag byte, and the line style.
void GetFretMark(TQSScore& score, TQSItemType k, uint8_t& fret, uint8_t& style, uint8_t& lineStyle) {
  const auto marks = SelectedKind<TQSMark>(score.ActiveWindow(), false, k);
  if (marks.empty()) return;
  fret = marks.front()->Fields.Kind;
  style = marks.front()->Fields.Style;
  lineStyle = marks.front()->LineStyle;
}

void SetFretMark(TQSScore& score, TQSItemType k, uint8_t fret, uint8_t style, uint8_t lineStyle) {
  WriteSelected(score, SelectedKind<TQSMark>(score.ActiveWindow(), false, k), [&](TQSMark& mark) {
    mark.Fields.Kind = fret;
    mark.Fields.Style = style;
    mark.LineStyle = lineStyle;
  }, false);
}

}  // namespace

void GetSelectedText(TQSScore& score, std::vector<std::string>& lines, std::string& fontName, int& size,
                     uint8_t& style, uint32_t* colour) {
  for (TQSText* text : SelectedKind<TQSText>(score.ActiveWindow(), true, kind::Text)) {
    lines = text->Lines;
    fontName = text->FontName;
    size = text->Fields.FontSize;
    style = text->Fields.FontStyle;
    if (colour) *colour = text->Fields.Color;
  }
}

void SetSelectedText(TQSScore& score, const std::vector<std::string>& lines, const std::string& fontName, int size,
                     uint8_t style, std::optional<uint32_t> colour) {
  WriteSelected(score, SelectedKind<TQSText>(score.ActiveWindow(), true, kind::Text), [&](TQSText& text) {
    text.Lines = lines;
    text.FontName = fontName;
    text.Fields.FontSize = static_cast<uint8_t>(size);
    text.Fields.FontStyle = style;
    if (colour) text.Fields.Color = *colour;
    text.Fields.Width = text.Fields.Height = 0;  // measured again
  }, true);
}

void GetSelectedLyric(TQSScore& score, std::vector<std::string>& lines, std::string& fontName, int& size,
                      uint8_t& style, uint8_t& continued, uint32_t* colour) {
  for (TQSLyric* lyric : SelectedOf<TQSLyric>(score.ActiveWindow(), false,
                                              [](const TQSItem& item) { return IsLyricKind(item.ItemType); })) {
    lines = lyric->Lines;
    fontName = lyric->FontName;
    size = lyric->Fields.FontSize;
    style = lyric->Fields.FontStyle;
    continued = lyric->Fields.Flags & kLyricContinued;
    if (colour) *colour = lyric->Fields.Color;
  }
}

void SetSelectedLyric(TQSScore& score, const std::vector<std::string>& lines, const std::string& fontName, int size,
                      uint8_t style, uint8_t continued, std::optional<uint32_t> colour) {
  const auto lyrics = SelectedOf<TQSLyric>(score.ActiveWindow(), false,
                                           [](const TQSItem& item) { return IsLyricKind(item.ItemType); });
  WriteSelected(score, lyrics, [&](TQSLyric& lyric) {
    lyric.Lines = lines;
    lyric.FontName = fontName;
    lyric.Fields.FontSize = static_cast<uint8_t>(size);
    lyric.Fields.FontStyle = style;
    lyric.Fields.Flags = static_cast<uint8_t>((lyric.Fields.Flags & ~kLyricContinued) | (continued & 1));
    if (colour) lyric.Fields.Color = *colour;
    lyric.Fields.Width = 0;  // measured again
  }, false);
}

void GetSelectedImage(TQSScore& score, int& width, int& height, TQSPicture& picture, uint8_t& flags) {
  for (TQSImage* image : SelectedKind<TQSImage>(score.ActiveWindow(), true, kind::Image)) {
    width = image->Fields.Width;
    height = image->Fields.Height;
    picture.Assign(image->Picture);
    flags = image->Fields.Flags;
  }
}

void SetSelectedImage(TQSScore& score, int width, int height, const TQSPicture& picture, uint8_t flags) {
  WriteSelected(score, SelectedKind<TQSImage>(score.ActiveWindow(), true, kind::Image), [&](TQSImage& image) {
    image.Fields.Width = static_cast<int16_t>(width);
    image.Fields.Height = static_cast<int16_t>(height);
    image.Picture.Assign(picture);
    image.Fields.Flags = flags;
  }, true);
}

void GetSelectedChord(TQSScore& score, std::vector<TQSChordFragment>& entries) {
  const auto chords = SelectedKind<TQSChord>(score.ActiveWindow(), false, kind::Chord);
  if (chords.empty()) return;
  for (const TQSChordFragment& fragment : chords.front()->Patterns) {
    TQSChordFragment entry;
    entry.Fields = fragment.Fields;
    entry.Text = fragment.Text;
    entries.push_back(entry);
  }
}

void SetSelectedChord(TQSScore& score, const std::vector<TQSChordFragment>& entries) {
  WriteSelected(score, SelectedKind<TQSChord>(score.ActiveWindow(), false, kind::Chord), [&](TQSChord& chord) {
    if (chord.Patterns.size() > entries.size()) chord.Patterns.resize(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
      if (i == chord.Patterns.size()) chord.Patterns.emplace_back();
      chord.Patterns[i].Fields = entries[i].Fields;
      chord.Patterns[i].Text = entries[i].Text;
    }
  }, false);
}

void GetSelectedTempo(TQSScore& score, uint8_t& noteValue, int16_t& tempo) {
  const auto marks = SelectedKind<TQSMark>(score.ActiveWindow(), false, kind::Tempo);
  if (marks.empty()) return;
  noteValue = marks.front()->Fields.Kind;
  tempo = static_cast<int16_t>(marks.front()->Fields.Value);
}

void SetSelectedTempo(TQSScore& score, uint8_t noteValue, int16_t tempo) {
  WriteSelected(score, SelectedKind<TQSMark>(score.ActiveWindow(), false, kind::Tempo), [&](TQSMark& mark) {
    mark.Fields.Kind = noteValue;
    mark.Fields.Value = static_cast<uint16_t>(tempo);
  }, false);
}

void GetSelectedVorschlag(TQSScore& score, uint8_t& flags, int16_t& duration, uint8_t& interval) {
  const auto groups = SelectedGraceGroups(score.ActiveWindow());
  if (groups.empty()) return;
  flags = groups.front()->Fields.Flags;
  duration = static_cast<int16_t>(groups.front()->Fields.Duration);
  interval = groups.front()->Fields.Spacing;
}

void SetSelectedVorschlag(TQSScore& score, uint8_t flags, int16_t duration, uint8_t interval) {
  TQSWindowLink* view = score.ActiveWindow();
  std::vector<TQSVorschlag*> groups = SelectedGraceGroups(view);
  // A group lowers the page through the element of its selected note.
  TQSSelectionCommand c(score, kActionProperties);
  for (TQSNote* note : SelectedKind<TQSNote>(view, false, kind::Note))
    if (note->GraceGroup()) c.LowerPageTo(SelectedElement(view, note));
  for (TQSVorschlag* group : groups) {
    c.SaveItem(group);
    group->Fields.Flags = flags;
    group->Fields.Duration = static_cast<uint16_t>(duration);
    group->Fields.Spacing = interval;
    if (score.AutoEffect)
      if (TQSMeasure* m = group->GetMeasure()) m->CalcEffectsAt(group->Fields.Time);
    c.Changed = true;
  }
  c.Done();
}

void GetSelectedBarre(TQSScore& score, uint8_t& fret, uint8_t& style, uint8_t& lineStyle) {
  GetFretMark(score, kind::Barre, fret, style, lineStyle);
}
void SetSelectedBarre(TQSScore& score, uint8_t fret, uint8_t style, uint8_t lineStyle) {
  SetFretMark(score, kind::Barre, fret, style, lineStyle);
}
void GetSelectedFlajolet(TQSScore& score, uint8_t& fret, uint8_t& continued, uint8_t& lineStyle) {
  GetFretMark(score, kind::Flageolet, fret, continued, lineStyle);
}
void SetSelectedFlajolet(TQSScore& score, uint8_t fret, uint8_t continued, uint8_t lineStyle) {
  SetFretMark(score, kind::Flageolet, fret, continued, lineStyle);
}

// ---------------------------------------------------------------- objects

namespace {

// Opens the record, none when that fails (the change goes on unrecorded).
TQSUndoRecord* BeginPropertiesUndo(TQSScore& score) {
  try {
    return score.BeginUndo(undoaction::PropertiesChanged, "");
  } catch (...) {
    return nullptr;
  }
}

// Records the object, then writes under one update lock, so that the
// setters that lay out leave one layout pass at its end; OnChanged follows.
template <class T, class Values, class Write>
void WriteObject(TQSScore& score, T& object, const Values& now, const Values& values, Write write) {
  if (now == values) return;
  score.SaveUndoProperties(BeginPropertiesUndo(score), &object);
  score.BeginUpdate();
  try {
    write();
  } catch (...) {
    score.EndUpdate();
    score.FireChanged(&score);
    throw;
  }
  score.EndUpdate();
  score.RefreshWindows();
  score.FireChanged(&score);
}

}  // namespace

TPieceProperties GetPieceProperties(const TQSPiece& piece) {
  return {piece.Name, piece.Fields.Tempo, piece.Fields.Auftakt};
}

TPartProperties GetPartProperties(const TQSPart& part) {
  const auto& f = part.Fields;
  return {part.Name, f.Instrument, f.Channel, f.Volume, f.Pan, f.Mute != 0, part.Transports};
}

TStaffProperties GetStaffProperties(const TQSStaff& staff) {
  const auto& f = staff.Fields;
  TStaffProperties v{f.LineCount, f.Tablature != 0, f.Stems != 0, f.Mute != 0, f.FretCount, f.Scale, {}};
  std::copy(std::begin(staff.Tuning), std::end(staff.Tuning), v.Tuning.begin());
  return v;
}

TVoiceProperties GetVoiceProperties(const TQSVoice& voice) {
  return {voice.Fields.Instrument, voice.Fields.Channel, voice.Fields.Mute != 0};
}

void SetPieceProperties(TQSScore& score, TQSPiece& piece, const TPieceProperties& v) {
  WriteObject(score, piece, GetPieceProperties(piece), v, [&] {
    piece.SetName(v.Name);
    piece.SetTempo(v.Tempo);
    piece.SetAuftakt(v.Auftakt);
  });
}

void SetPartProperties(TQSScore& score, TQSPart& part, const TPartProperties& v) {
  WriteObject(score, part, GetPartProperties(part), v, [&] {
    part.SetName(v.Name);
    part.SetInstrument(v.Instrument);
    part.SetChannel(v.Channel);
    part.SetVolume(v.Volume);
    part.SetPan(v.Pan);
    part.SetMute(v.Mute);
    part.SetTransport(static_cast<int>(v.Transports.size()), v.Transports.data());
  });
}

void SetStaffProperties(TQSScore& score, TQSStaff& staff, const TStaffProperties& v) {
  WriteObject(score, staff, GetStaffProperties(staff), v, [&] {
    staff.SetLineCount(v.LineCount);
    staff.SetTablature(v.Tablature);
    staff.SetFretCount(v.FretCount);
    staff.SetStems(v.Stems);
    staff.SetMute(v.Mute);
    for (int i = 0; i < TQSStaff::kMaxLines; ++i) staff.SetTuning(i, v.Tuning[static_cast<size_t>(i)]);
    staff.SetScale(v.Scale);
  });
}

void SetVoiceProperties(TQSScore& score, TQSVoice& voice, const TVoiceProperties& v) {
  WriteObject(score, voice, GetVoiceProperties(voice), v, [&] {
    voice.SetInstrument(v.Instrument);
    voice.SetChannel(v.Channel);
    voice.SetMute(v.Mute);
  });
}

}  // namespace qs
