#pragma once
// Score files of the older formats, built byte by byte from their published
// layout for the reader's tests (never written by the program itself).
// Times are given in ticks and stored in the units of the version the file
// is built for: ticks / 4, or ticks / 8 below version 848 for the times
// that those files kept at half resolution.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/extended.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "test_support.h"
#include "tree_fixture.h"

namespace qs::test {

// A block whose fields sit at fixed byte positions; it grows to the last
// byte written.
class TOldBlockBytes {
 public:
  explicit TOldBlockBytes(size_t size = 0) : bytes_(size) {}
  TOldBlockBytes& U8(size_t at, int v) {
    if (bytes_.size() <= at) bytes_.resize(at + 1);
    bytes_[at] = static_cast<uint8_t>(v);
    return *this;
  }
  TOldBlockBytes& I16(size_t at, int v) { return U8(at, v & 0xFF).U8(at + 1, (v >> 8) & 0xFF); }
  TOldBlockBytes& U32(size_t at, uint32_t v) {
    return I16(at, static_cast<int>(v & 0xFFFF)).I16(at + 2, static_cast<int>(v >> 16));
  }
  TOldBlockBytes& Resize(size_t n) {
    bytes_.resize(n);
    return *this;
  }
  const std::vector<uint8_t>& Get() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

inline TBytes& Add(TBytes& to, const TBytes& what) { return to.Raw(what.Get()); }

inline TBytes ByteBlock(const TOldBlockBytes& b) {
  TBytes t;
  t.U8(static_cast<int>(b.Get().size())).Raw(b.Get());
  return t;
}
inline TBytes WordBlock(const TOldBlockBytes& b) {
  TBytes t;
  t.U16(static_cast<int>(b.Get().size())).Raw(b.Get());
  return t;
}
// A record: its marker, its length counted from the marker (i32 or u16)
// and its body.
inline TBytes OldRecord(int marker, bool wideLength, const TBytes& body) {
  TBytes t;
  t.U8(marker);
  const int size = static_cast<int>(body.Size()) + 1 + (wideLength ? 4 : 2);
  if (wideLength) t.I32(size);
  else t.U16(size);
  return Add(t, body);
}
// A u16 count and the entries.
inline TBytes List(const std::vector<TBytes>& entries) {
  TBytes t;
  t.U16(static_cast<int>(entries.size()));
  for (const TBytes& e : entries) Add(t, e);
  return t;
}
inline TBytes Strings(const std::vector<std::string>& lines) {
  TBytes t;
  t.U16(static_cast<int>(lines.size()));
  for (const std::string& l : lines) t.Str(l);
  return t;
}

// Ticks in the stored units of version v.
inline int Stored(int v, int ticks) { return ticks / (v < 848 ? 8 : 4); }

// ---------------------------------------------------------------- measure records

struct TOldNote {
  int Step = 0, Octave = 5;
  int Time = 0, Written = 128, Real = -1;  // ticks; Real -1: as written
  int PlayLength = 0, PlayOffset = 0;      // ticks
  int Voice = 0;
  bool Chord = false, StemDown = false;
  int Strokes = 0;
  int Velocity = 90;
  int Head = -1;  // stored head byte (head style - 4); -1 none
  std::vector<TBytes> Attached = {};
  std::vector<TBytes> Effects = {};
};

inline TBytes OldNote(int v, const TOldNote& n) {
  const int real = n.Real < 0 ? n.Written : n.Real;
  const int flags = (n.StemDown ? 0x80 : 0) | (n.Strokes << 4);
  TOldBlockBytes b(18);
  b.U8(0, n.Step + 21).U8(1, n.Octave);
  if (v > 849) {
    b.I16(2, Stored(v, n.Written)).U8(6, n.Chord).U8(7, flags).U8(8, n.Velocity).I16(9, Stored(v, n.PlayLength));
    b.U8(11, std::abs(n.PlayOffset) / 4 | (n.PlayOffset < 0 ? 0x80 : 0));
    b.I16(12, Stored(v, real)).I16(14, Stored(v, n.Time)).U8(16, n.Voice);
    if (n.Head >= 0) b.U8(17, 0x10).U8(20, n.Head);
  } else {
    b.U8(2, Stored(v, n.Written)).U8(4, n.Chord).U8(5, flags).U8(6, n.Velocity).I16(8, Stored(v, n.PlayLength));
    b.U8(10, Stored(v, real)).U8(11, Stored(v, n.Time)).U8(12, n.Voice).U8(15, Stored(v, n.PlayOffset));
    if (n.Head >= 0) b.U8(13, 0x10).U8(17, n.Head);
  }
  TBytes t = ByteBlock(b);
  Add(t, List(n.Attached));
  if (v > 815) Add(t, List(n.Effects));
  return t;
}

// Attached records: a plain code with its offset byte, a tie or slur.
inline TBytes OldAttached(int code, int byte1 = 0) { return ByteBlock(TOldBlockBytes().U8(0, code).U8(1, byte1)); }
inline TBytes OldTie(int code, int staff, int measure, int note, int startDx = 0, int endDx = 0) {
  TBytes t = ByteBlock(TOldBlockBytes().U8(0, code).U8(1, startDx).U8(2, endDx));
  return t.U16(staff).U16(measure).U16(note);
}

struct TOldGrace {
  int Step = 0, Octave = 5, Time = 0, Velocity = 80;
  int Accidental = 0;  // code in the block
  std::vector<int> MoreAccidentals;
};

// lengthTicks and the grace notes' times are always stored as ticks / 4.
inline TBytes OldGraceGroup(int v, int flags, int lengthTicks, const std::vector<TOldGrace>& notes) {
  TBytes t = ByteBlock(TOldBlockBytes().U8(0, 120).U8(1, flags).U8(2, lengthTicks / 4));
  t.U16(static_cast<int>(notes.size()));
  for (const TOldGrace& g : notes) {
    TOldBlockBytes b(10);
    b.U8(1, g.Step).U8(2, g.Octave);
    if (v > 863) b.U8(3, g.Accidental).I16(4, g.Time / 4).U8(8, g.Velocity);
    else b.U8(3, g.Velocity).U8(8, g.Accidental).U8(9, g.Time / 4);
    Add(t, ByteBlock(b));
    t.U16(static_cast<int>(g.MoreAccidentals.size()));
    for (int code : g.MoreAccidentals) Add(t, ByteBlock(TOldBlockBytes().U8(0, code)));
  }
  return t;
}

// Effects keep ticks / 4 in every version.
inline TBytes OldEffect(int v, int step, int octave, int time, int length, int velocity) {
  TOldBlockBytes b(9);
  b.U8(1, step + 1).U8(2, octave);
  if (v > 863) b.I16(3, time / 4).I16(5, length / 4).U8(8, velocity);
  else b.U8(3, time / 4).U8(4, length / 4).U8(6, velocity);
  return ByteBlock(b);
}

inline TBytes OldRest(int v, int time, int written, int real = -1, int voice = 0, std::vector<int> dots = {}) {
  if (real < 0) real = written;
  TOldBlockBytes b(13);
  if (v > 849) b.I16(1, Stored(v, written)).I16(3, Stored(v, time)).I16(7, Stored(v, real)).U8(12, voice);
  else b.U8(1, Stored(v, written)).U8(2, Stored(v, time)).U8(5, Stored(v, real)).U8(8, voice);
  TBytes t = ByteBlock(b);
  if (v > 639) {
    t.U16(static_cast<int>(dots.size()));
    for (int code : dots) Add(t, ByteBlock(TOldBlockBytes().U8(0, code)));
  }
  return t;
}

struct TOldChord {
  int Time = 0;
  std::string Text = "Cm7";
  int Size = 12, Style = 1, Level = 0;
  int YByte = 0, XByte = 0;
  uint32_t Color = 0;
  std::vector<uint8_t> Definition = {1, 1, 3, 7};
  std::string Font = "Arial";
};

inline TBytes OldChord(int v, const TOldChord& c) {
  TOldBlockBytes b(16);
  b.U8(0, 51);
  if (v >= 880) b.I16(5, Stored(v, c.Time)).U8(7, c.YByte).U32(8, c.Color).U8(12, c.XByte);
  else b.I16(6, Stored(v, c.Time)).U8(8, c.YByte).U32(9, c.Color).U8(13, c.Size).U8(14, c.Style).U8(15, c.XByte);
  TBytes t = ByteBlock(b);
  if (v >= 880) {
    t.U16(1);
    Add(t, ByteBlock(TOldBlockBytes().U8(0, c.Size).U8(1, c.Style).U8(2, 0).I16(3, c.Level)));
    t.Str(c.Text);
    TOldBlockBytes def;
    for (size_t i = 0; i < c.Definition.size(); ++i) def.U8(i, c.Definition[i]);
    Add(t, ByteBlock(def));
  } else {
    t.Str(c.Text);
  }
  if (v > 815) t.Str(c.Font);
  return t;
}

struct TOldLyric {
  int Time = 0;
  std::vector<std::string> Lines = {"la"};
  std::string Font = "Times";
  int Size = 10, Style = 2, Step = 0, Octave = 0, Flags = 1, XByte = 0, Angle = 0;
  uint32_t Color = 0;
};

inline TBytes OldLyric(int v, const TOldLyric& l) {
  TOldBlockBytes b(16);
  b.U8(0, 240);
  if (v > 851)
    b.I16(1, Stored(v, l.Time)).U8(3, l.Size).U8(4, l.Style).U8(5, l.Step).U8(6, l.Octave).U8(7, l.Flags).U8(14, l.XByte);
  else
    b.U8(1, Stored(v, l.Time)).U8(2, l.Size).U8(3, l.Style).U8(4, l.Step).U8(5, l.Octave).U8(6, l.Flags);
  b.U32(8, l.Color).I16(12, l.Angle);
  TBytes t = ByteBlock(b);
  t.Str(l.Font);
  return Add(t, Strings(l.Lines));
}

inline TBytes OldTuplet(int v, int time, int type, int voice, int unit, int yByte = 0, int slots = -1) {
  if (slots < 0) slots = type;
  const size_t p = v > 851 ? 5 : 3;
  TOldBlockBytes b(p + 4);
  b.U8(0, 140);
  if (v > 851) b.I16(1, Stored(v, time));
  else b.U8(1, Stored(v, time));
  b.U8(p, type).U8(p + 1, voice).U8(p + 2, Stored(v, unit)).U8(p + 3, yByte);
  TBytes t = ByteBlock(b);
  t.U16(slots);
  return t.Fill(static_cast<size_t>(slots), 11);
}

// Bends keep ticks / 4 in every version.
inline TBytes OldBend(int v, int time, int w, int h, int x, int z, int step, int octave) {
  TOldBlockBytes b(16);
  b.U8(0, 230);
  if (v > 851) b.I16(1, time / 4).U8(4, step).U8(5, octave).I16(6, w).I16(8, h).I16(10, x).I16(14, z);
  else b.U8(1, time / 4).U8(3, step).U8(4, octave).I16(5, w).I16(7, h).I16(9, x).I16(13, z);
  return ByteBlock(b);
}

// A further record of the mark code table: a clef takes value as its kind;
// an arpeggio stores its value as it is (halved below version 848).
inline TBytes OldCodedMark(int v, int code, int time, int value, int step = 0, int octave = 0) {
  TOldBlockBytes b(8);
  b.U8(0, code);
  const int stored = code == 20 ? value : (code == 131 ? value / (v < 848 ? 2 : 1) : Stored(v, value));
  if (v > 851) {
    b.I16(1, Stored(v, time)).U8(5, step).U8(6, octave);
    if (code == 20) b.U8(3, stored);
    else b.I16(3, stored);
  } else {
    b.U8(1, Stored(v, time)).U8(4, step).U8(5, octave);
    if (code == 20) b.U8(2, stored);
    else b.I16(2, stored);
  }
  return ByteBlock(b);
}

// A text block of the further records, which the reader passes over.
inline TBytes OldTextBlock() {
  TBytes t = ByteBlock(TOldBlockBytes().U8(0, 200));
  t.U16(2);
  Add(t, ByteBlock(TOldBlockBytes().U8(0, 61).U8(3, 9)));
  t.Str("Arial");
  Add(t, Strings({"one", "two"}));
  return Add(t, ByteBlock(TOldBlockBytes().U8(0, 7)));
}

struct TOldMeasure {
  int FieldCount = 3;
  int Clef = 0, ClefTime = 0, Key = 0, Meter = 0;  // 0: the block holds nothing
  std::vector<TBytes> Notes = {}, Rests = {}, Further = {};
};

inline TBytes OldMeasure(int format, int v, const TOldMeasure& m) {
  TBytes body;
  body.U16(m.FieldCount);
  const TBytes clef = ByteBlock(TOldBlockBytes().U8(0, m.Clef).I16(1, m.ClefTime));
  const TBytes key = ByteBlock(TOldBlockBytes().U8(0, m.Key));
  if (v > 639) {
    Add(body, clef);
    Add(body, key);
    Add(body, ByteBlock(TOldBlockBytes().U8(0, m.Meter ? 1 : 0).I16(2, m.Meter)));
  } else {
    if (m.FieldCount >= 1) Add(body, clef);
    if (m.FieldCount >= 2) Add(body, key);
  }
  if (v > 852) body.Fill(5, 0);
  Add(body, List(m.Notes));
  if (format == 245) Add(body, List(m.Rests));
  Add(body, List(m.Further));
  return OldRecord(253, false, body);
}

// ---------------------------------------------------------------- staves and parts

struct TOldStaff {
  int FieldCount = 9;
  int Lines = 5, FiveLines = 0, Program = 0, Channel = 1, Mute = 0, Volume = 100, Pan = 64;
  std::vector<TBytes> Measures;
};

inline TBytes OldStaff(const TOldStaff& s) {
  TBytes body;
  body.U16(s.FieldCount);
  const int f = s.FieldCount;
  if (f >= 1) body.U16(s.Lines);
  if (f >= 2) body.U8(s.FiveLines);
  if (f >= 3) body.I32(s.Program);
  if (f >= 4) body.Str("staff");
  if (f >= 5) body.I32(s.Channel);
  if (f >= 6) body.U8(s.Mute);
  if (f >= 7) body.U8(0);
  if (f >= 8) body.I32(s.Volume);
  if (f >= 9) body.I32(s.Pan);
  Add(body, List(s.Measures));
  return OldRecord(252, true, body);
}

struct TOldRow {
  int Left = 0, Right = 0;
  int Flag = 0, Mode = 0, Kind = 0, Value = 0;
  std::vector<int> LineOffsets;
};

struct TOldPart {
  int FieldCount = 12;
  std::string Name = "Piano";
  int Program = 0, Channel = 1, Mute = 0, Volume = 100, Pan = 64;
  std::vector<TOldRow> Rows;
  int RowSize = 17;
  int Accolade = 0;
  std::vector<int> Grouping;
  std::vector<TBytes> Staves;
  std::vector<std::vector<TOldBlockBytes>> Columns;
  std::vector<TBytes> Objects;
};

inline TBytes OldRows(int v, const TOldPart& p) {
  TBytes t;
  t.U16(static_cast<int>(p.Rows.size()));
  if (v > 852) t.U8(p.RowSize);
  for (const TOldRow& r : p.Rows) {
    if (v < 640) {
      for (int k = 0; k < 3; ++k) t.I32(k < static_cast<int>(r.LineOffsets.size()) ? r.LineOffsets[k] : 0);
      t.I32(r.Left).I32(r.Right).I32(0);
      continue;
    }
    if (v > 852) {
      TOldBlockBytes b(17);
      b.U32(0, static_cast<uint32_t>(r.Left)).U32(4, static_cast<uint32_t>(r.Right));
      b.U8(12, r.Flag).U8(13, r.Mode).U8(14, r.Kind).U8(15, r.Value).Resize(static_cast<size_t>(p.RowSize));
      t.Raw(b.Get());
    } else {
      t.I32(r.Left).I32(r.Right).I32(0);
    }
    t.U16(static_cast<int>(r.LineOffsets.size()));
    for (int o : r.LineOffsets) t.I32(o);
  }
  return t;
}

inline TBytes OldPart(int v, const TOldPart& p) {
  TBytes body;
  const int f = p.FieldCount;
  body.U16(f);
  if (f >= 1) body.I32(p.Program);
  if (f >= 2) body.Str(p.Name);
  if (f >= 3) body.I32(p.Channel);
  if (f >= 4) body.U8(p.Mute);
  if (f >= 5) body.I32(0);
  if (f >= 6) Add(body, OldRows(v, p));
  if (f >= 7) body.U16(0);
  if (f >= 8) body.U8(p.Accolade);
  if (f >= 9) {
    body.U16(static_cast<int>(p.Grouping.size()));
    for (int g : p.Grouping) body.U16(g);
  }
  if (f >= 10) body.U8(0);
  if (f >= 11) body.I32(p.Volume);
  if (f >= 12) body.I32(p.Pan);
  Add(body, List(p.Staves));
  body.U16(static_cast<int>(p.Columns.size()));
  for (const auto& column : p.Columns) {
    body.U16(static_cast<int>(column.size()));
    for (const TOldBlockBytes& b : column) Add(body, WordBlock(b));
  }
  Add(body, List(p.Objects));
  return OldRecord(251, true, body);
}

// ---------------------------------------------------------------- page objects

inline TBytes OldText(int x, int y, int page, int flags, const std::vector<std::string>& lines, bool angle = true) {
  TOldBlockBytes b(angle ? 18 : 16);
  b.U8(0, 61).I16(2, x).I16(4, y).U8(6, page).U8(7, 14).U8(8, 1).U8(9, flags).U32(12, 0x00FF00);
  if (angle) b.I16(16, 30);
  TBytes t = WordBlock(b);
  t.Str("Georgia");
  return Add(t, Strings(lines));
}

inline TBytes OldImage(int x, int y, int page, int flags, int marker, int type, const std::vector<uint8_t>& data) {
  TBytes t = WordBlock(TOldBlockBytes(12).U8(0, 62).I16(2, x).I16(4, y).I16(6, 40).I16(8, 30).U8(10, page).U8(11, flags));
  t.U16(marker).U16(type).I32(static_cast<int32_t>(data.size()));
  return t.Raw(data);
}

inline TBytes OldLine(int x1, int y1, int x2, int y2, int page, int flags) {
  TOldBlockBytes b(20);
  b.U8(0, 63).I16(2, x1).I16(4, y1).I16(6, x2).I16(8, y2).U8(10, 3).U32(12, 0x0000FF).U8(16, 2).U8(17, 0x12);
  b.U8(18, flags).U8(19, page);
  return WordBlock(b);
}

inline TBytes OldShape(int code, int x, int y, int page, int flags) {
  TOldBlockBytes b(27);
  b.U8(0, code).I16(2, x).I16(4, y).I16(6, 50).I16(8, 20).U8(10, 2).U32(12, 0x112233).U8(16, 1);
  b.U32(20, 0x445566).U8(24, 3).U8(25, flags).U8(26, page);
  return WordBlock(b);
}

inline TBytes OldArc(int code, int x, int y, int page, int flags) {
  TOldBlockBytes b(35);
  b.U8(0, code).I16(2, x).I16(4, y).I16(6, 50).I16(8, 20);
  b.I16(10, 1010).I16(12, 990).I16(14, 1100).I16(16, 1000).U8(18, 4).U32(20, 0x010203).U8(24, 1);
  b.U32(28, 0x040506).U8(32, 2).U8(33, flags).U8(34, page);
  return WordBlock(b);
}

// ---------------------------------------------------------------- piece header and file

struct TOldHeader {
  int FieldCount = 33;
  int Tempo = 96, Metrix = 0, Zoom = 150, Meter = 0x0304;  // 3/4
  // Field 10: how many page values follow, and the values.
  int PageValues = 11;
  long double Width = 2100, Height = 2970, LeftMargin = 150, TopMargin = 120, RightMargin = 140,
              BottomMargin = 130, Interval = 100;
  int Orientation = 0, PaperSize = 9, PageMetrix = 1;
  int Upbeat = 0;
  int VertAlign = 0, HorzAlign = 0;
  std::string Composer = "Old Master";
  std::vector<std::string> Description = {"first", "second"};
  int PrintEmptyMeasures = 1, PrintMeasureNumbers = 0, Scale = 90, PrintEmptyLines = 1;
  int Join = 1;  // old beaming code (0 everything, 3 none, else by beats)
  int FirstNumber = 0;
  TBytes DrumHeads = TBytes().U16(0);
  int AlignCode = 1, AlignByte = 1, PerLine = 0;
  TBytes DrumMap = TBytes().U16(0);
  int MeterStyle = 0;
  std::string Rights = "(c) then";
  int TempoScale = 100;
  int Join2 = 0;
};

inline TBytes Extended10(long double v) {
  const auto bytes = Extended(v).Bytes();
  return TBytes().Raw(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

inline TBytes OldHeader(const TOldHeader& h) {
  TBytes t;
  const int f = h.FieldCount;
  t.U16(f);
  for (int i = 1; i <= 4 && i <= f; ++i) t.I32(i * 3);  // the saving view's cursor
  if (f >= 5) t.U16(0);
  if (f >= 6) t.I32(h.Tempo);
  if (f >= 7) t.U16(h.Metrix);
  if (f >= 8) t.I32(h.Zoom);
  if (f >= 9) t.U16(h.Meter);
  if (f >= 10) {
    t.U16(h.PageValues);
    const long double lengths[] = {h.Width, h.Height, h.LeftMargin, h.TopMargin, h.RightMargin, h.BottomMargin};
    for (int i = 0; i < 6 && i < h.PageValues; ++i) Add(t, Extended10(lengths[i]));
    if (h.PageValues >= 7) t.U16(h.Orientation);
    if (h.PageValues >= 8) t.U16(h.PaperSize);
    if (h.PageValues >= 9) t.U16(1);
    if (h.PageValues >= 10) t.U16(h.PageMetrix);
    if (h.PageValues >= 11) Add(t, Extended10(h.Interval));
  }
  if (f >= 11) t.U8(0);
  if (f >= 12) t.U16(h.Upbeat);
  if (f >= 13) t.U16(0);
  if (f >= 14) t.U8(h.VertAlign);
  if (f >= 15) t.U8(h.HorzAlign);
  if (f >= 16) t.Str(h.Composer);
  if (f >= 17) Add(t, Strings(h.Description));
  if (f >= 18) t.U8(h.PrintEmptyMeasures);
  if (f >= 19) t.U8(h.PrintMeasureNumbers);
  if (f >= 20) t.I32(h.Scale);
  if (f >= 21) t.U8(h.PrintEmptyLines);
  if (f >= 22) t.U8(h.Join);
  if (f >= 23) t.I32(h.FirstNumber);
  if (f >= 24) t.U8(0);
  if (f >= 25) Add(t, h.DrumHeads);
  if (f >= 26) t.U8(h.AlignCode);
  if (f >= 27) t.U8(h.AlignByte);
  if (f >= 28) t.I32(h.PerLine);
  if (f >= 29) Add(t, h.DrumMap);
  if (f >= 30) t.U8(h.MeterStyle);
  if (f >= 31) t.Str(h.Rights);
  if (f >= 32) t.I32(h.TempoScale);
  if (f >= 33) t.I32(h.Join2);
  return t;
}

inline TBytes OldFile(int format, int v, const TOldHeader& h, const std::vector<TBytes>& parts) {
  TBytes t;
  t.U8(format);
  if (format == 245) t.Str("Quavero data file").U16(v);
  Add(t, OldHeader(h));
  return Add(t, List(parts));
}

// One part of one staff holding the given measure records.
inline TBytes OneStaffFile(int format, int v, const std::vector<TBytes>& measures, TOldHeader h = {}) {
  TOldStaff staff;
  staff.Measures = measures;
  TOldPart part;
  part.Staves = {OldStaff(staff)};
  return OldFile(format, v, h, {OldPart(v, part)});
}

// ---------------------------------------------------------------- reading them

// A score with a view, into which old files are read.
class TLegacyScoreTest : public ::testing::Test {
 protected:
  TFakeView View;
  TQSScore Score;

  TLegacyScoreTest() { Score.AttachWindow(&View); }

  void Load(const TBytes& file) {
    TMemoryStream s(file.Get());
    Score.LoadFromStream(s);
  }
  TQSPiece* Piece() const { return Score.GetPiece(0); }
  TQSPart* Part(int index = 0) const { return Piece()->GetPart(index); }
  TQSMeasure* Measure(int index, int part = 0) const { return Part(part)->GetMeasure(index); }
};

// The items of a list that are of the given kind, in list order.
template <class T>
std::vector<T*> ItemsOf(const TQSItemList& items, TQSItemType kind) {
  std::vector<T*> out;
  for (TQSItem* item : items)
    if (item->ItemType == kind) out.push_back(static_cast<T*>(item));
  return out;
}

}  // namespace qs::test
