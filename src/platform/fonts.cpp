#include "platform/fonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QPainterPath>
#include <QRawFont>

#include <cmath>
#include <map>
#include <memory>
#include <unordered_map>

#include "base/mathutil.h"
#include "base/strings.h"
#include "base/text.h"
#include "platform/qtfontengine.h"
#include "platform/gui.h"
#include "platform/paths.h"

namespace qs {

namespace {

// ---- Where faces come from ------------------------------------------------

// The font files this program measures and draws text with. The same files
// on every machine give the same layout.
const char* const kFontDirs[] = {"/usr/share/fonts/truetype/liberation2/",
                                 "/usr/share/fonts/truetype/liberation/"};

struct TFamilyFiles {
  const char* Family;
  const char* Files[4];  // regular, bold, italic, bold italic
};
const TFamilyFiles kFamilies[] = {
    {"Liberation Sans",
     {"LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf", "LiberationSans-Italic.ttf",
      "LiberationSans-BoldItalic.ttf"}},
    {"Liberation Serif",
     {"LiberationSerif-Regular.ttf", "LiberationSerif-Bold.ttf", "LiberationSerif-Italic.ttf",
      "LiberationSerif-BoldItalic.ttf"}},
    {"Liberation Mono",
     {"LiberationMono-Regular.ttf", "LiberationMono-Bold.ttf", "LiberationMono-Italic.ttf",
      "LiberationMono-BoldItalic.ttf"}},
};

// Faces that scores and forms name, and what stands in for them: the first
// two have the same advance widths; the others are near in look.
struct TSubstitute {
  const char* Face;
  const char* Family;
  bool Italic;  // the stand-in is always the italic
};
const TSubstitute kSubstitutes[] = {
    {"Arial", "Liberation Sans", false},
    {"Times New Roman", "Liberation Serif", false},
    {"Courier New", "Liberation Mono", false},
    {"MS Sans Serif", "Liberation Sans", false},
    {"Monotype Corsiva", "Liberation Serif", true},
};
const char* const kDefaultFamily = "Liberation Sans";

std::string FindFontFile(const char* name) {
  for (const char* dir : kFontDirs) {
    std::string path = std::string(dir) + name;
    if (QFile::exists(QString::fromStdString(path))) return path;
  }
  return {};
}

// ---- One face: its design metrics and glyph advances ----------------------

int16_t ReadI16(const QByteArray& t, int at) {
  if (at + 2 > t.size()) return 0;
  return static_cast<int16_t>((static_cast<uint8_t>(t[at]) << 8) | static_cast<uint8_t>(t[at + 1]));
}
uint16_t ReadU16(const QByteArray& t, int at) { return static_cast<uint16_t>(ReadI16(t, at)); }

// a / b rounded to the nearest integer, halves away from zero (b > 0).
int RoundDiv(int64_t a, int64_t b) {
  return static_cast<int>(a >= 0 ? (2 * a + b) / (2 * b) : -((-2 * a + b) / (2 * b)));
}

struct TFace {
  std::string Family;
  std::string File;
  bool SlantItalic = false;
  QRawFont Design;  // at a pixel size of one em in design units
  // The same face as the font database has it (see DocumentRunFont).
  QRawFont Document;
  bool DocumentSought = false;
  // The design and document faces at each pixel size asked for.
  std::unordered_map<double, QRawFont> DesignSizes, DocumentSizes;
  int Upem = 1000;
  int WinAscent = 800, WinDescent = 200;
  int AvgWidth = 500;
  int UnderlinePos = -100, UnderlineThickness = 50;
  int StrikeOutPos = 250, StrikeOutSize = 50;
  struct TGlyph {
    uint32_t Index = 0;
    int Advance = 0;
  };
  std::unordered_map<char32_t, TGlyph> Glyphs;

  void Init(const QRawFont& raw) {
    Design = raw;
    if (!Design.isValid()) return;
    Upem = std::max(16, static_cast<int>(std::lround(Design.unitsPerEm())));
    Design.setPixelSize(Upem);
    QByteArray os2 = Design.fontTable("OS/2");
    if (os2.size() >= 78) {
      AvgWidth = ReadI16(os2, 2);
      StrikeOutSize = ReadI16(os2, 26);
      StrikeOutPos = ReadI16(os2, 28);
      WinAscent = ReadU16(os2, 74);
      WinDescent = ReadU16(os2, 76);
    } else {
      WinAscent = static_cast<int>(std::lround(Design.ascent()));
      WinDescent = static_cast<int>(std::lround(Design.descent()));
      AvgWidth = Upem / 2;
    }
    if (WinAscent + WinDescent <= 0) {
      WinAscent = Upem * 4 / 5;
      WinDescent = Upem - WinAscent;
    }
    QByteArray post = Design.fontTable("post");
    if (post.size() >= 12) {
      UnderlinePos = ReadI16(post, 8);
      UnderlineThickness = ReadI16(post, 10);
    }
  }

  TGlyph Glyph(char32_t ch) {
    auto it = Glyphs.find(ch);
    if (it != Glyphs.end()) return it->second;
    TGlyph g;
    if (Design.isValid()) {
      char32_t one[1] = {ch};
      QList<quint32> index = Design.glyphIndexesForString(QString::fromUcs4(one, 1));
      if (!index.isEmpty()) {
        g.Index = index[0];
        QList<QPointF> adv = Design.advancesForGlyphIndexes(index, QRawFont::UseDesignMetrics);
        if (!adv.isEmpty()) g.Advance = static_cast<int>(std::lround(adv[0].x()));
      }
    } else {
      g.Advance = Upem / 2;
    }
    Glyphs.emplace(ch, g);
    return g;
  }
};

// ---- The registry ---------------------------------------------------------

struct TRegistry {
  std::map<std::string, std::string> Registered;  // lower-case face -> file
  std::map<std::string, std::unique_ptr<TFace>> Faces;  // key -> face
  std::map<std::string, QByteArray> FileData;
  TFace* Last = nullptr;
  std::string LastName;
  bool LastBold = false, LastItalic = false;
};

// Lives as long as the process: its fonts must not outlast the toolkit's
// own state at exit.
TRegistry& Registry() {
  static TRegistry* r = new TRegistry;
  return *r;
}

QByteArray ReadFontData(const std::string& file) {
  TRegistry& reg = Registry();
  auto it = reg.FileData.find(file);
  if (it != reg.FileData.end()) return it->second;
  QFile f(QString::fromStdString(file));
  QByteArray data;
  if (f.open(QIODevice::ReadOnly)) data = f.readAll();
  reg.FileData[file] = data;
  return data;
}

QRawFont RawFromFile(const std::string& file) {
  QByteArray data = ReadFontData(file);
  if (data.isEmpty()) return {};
  return QRawFont(data, 16);
}

std::unique_ptr<TFace> FaceFromFile(const std::string& family, const std::string& file) {
  auto face = std::make_unique<TFace>();
  face->Family = family;
  face->File = file;
  face->Init(RawFromFile(file));
  return face;
}

std::unique_ptr<TFace> FaceFromFamily(const char* family, bool bold, bool italic) {
  for (const TFamilyFiles& f : kFamilies) {
    if (!SameText(f.Family, family)) continue;
    std::string file = FindFontFile(f.Files[(bold ? 1 : 0) + (italic ? 2 : 0)]);
    if (file.empty()) return nullptr;
    return FaceFromFile(f.Family, file);
  }
  return nullptr;
}

// A font installed on this machine that no table names.
std::unique_ptr<TFace> FaceFromSystem(const std::string& name, bool bold, bool italic) {
  QString family = QString::fromStdString(name);
  bool known = false;
  for (const QString& f : QFontDatabase::families())
    if (f.compare(family, Qt::CaseInsensitive) == 0) known = true;
  if (!known && !name.empty()) return nullptr;
  QFont qf(family);
  qf.setPixelSize(16);
  qf.setBold(bold);
  qf.setItalic(italic);
  QRawFont raw = QRawFont::fromFont(qf);
  if (!raw.isValid()) return nullptr;
  auto face = std::make_unique<TFace>();
  face->Family = raw.familyName().toStdString();
  face->Init(raw);
  return face;
}

}  // namespace

std::vector<std::string> ScreenFontFaces() {
  std::vector<std::string> faces;
  // The faces scores name ("Arial" ...) are offered under their own names.
  for (const TSubstitute& f : kSubstitutes) faces.emplace_back(f.Face);
  for (const TFamilyFiles& f : kFamilies) faces.emplace_back(f.Family);
  for (const QString& f : QFontDatabase::families()) faces.push_back(f.toStdString());
  return faces;
}

namespace {

TFace& FaceOf(const TFont& font) {
  TRegistry& reg = Registry();
  bool bold = font.Style & fsBold, italic = font.Style & fsItalic;
  // Measuring asks for the same face many times in a row.
  if (reg.Last && reg.LastName == font.Name && reg.LastBold == bold && reg.LastItalic == italic) return *reg.Last;
  EnsureGuiApplication();
  std::string key = LowerCase(font.Name) + (bold ? "|b" : "|") + (italic ? "i" : "");
  auto remember = [&](TFace& face) -> TFace& {
    reg.Last = &face;
    reg.LastName = font.Name;
    reg.LastBold = bold;
    reg.LastItalic = italic;
    return face;
  };
  auto it = reg.Faces.find(key);
  if (it != reg.Faces.end()) return remember(*it->second);

  std::unique_ptr<TFace> face;
  auto r = reg.Registered.find(LowerCase(font.Name));
  if (r != reg.Registered.end()) {
    face = FaceFromFile(font.Name, r->second);
    face->SlantItalic = italic;
  }
  if (!face) {
    for (const TSubstitute& s : kSubstitutes)
      if (SameText(s.Face, font.Name)) face = FaceFromFamily(s.Family, bold, italic || s.Italic);
  }
  if (!face) face = FaceFromFamily(font.Name.c_str(), bold, italic);
  if (!face) face = FaceFromSystem(font.Name, bold, italic);
  if (!face) face = FaceFromFamily(kDefaultFamily, bold, italic);
  if (!face) face = FaceFromSystem("", bold, italic);
  if (!face) face = std::make_unique<TFace>();  // nothing at all: fixed made-up metrics
  return remember(*(reg.Faces[key] = std::move(face)));
}

// ---- Scaling ----------------------------------------------------------------

// Vertical design units to pixels: Num / Den; horizontal: XNum / XDen.
struct TScale {
  int64_t Num, Den, XNum, XDen;
};

TScale ScaleOf(const TFace& face, const TFont& font) {
  int h = font.Height == 0 ? -12 : font.Height;
  TScale s{};
  if (h < 0) {
    s.Num = -h;
    s.Den = face.Upem;
  } else {
    s.Num = h;
    s.Den = face.WinAscent + face.WinDescent;
  }
  if (font.Width > 0 && face.AvgWidth > 0) {
    s.XNum = font.Width;
    s.XDen = face.AvgWidth;
  } else {
    s.XNum = s.Num;
    s.XDen = s.Den;
  }
  return s;
}

TTextMetric MetricOf(const TFace& face, const TFont& font, const TScale& s) {
  TTextMetric m;
  m.Ascent = RoundDiv(face.WinAscent * s.Num, s.Den);
  m.Descent = font.Height > 0 ? font.Height - m.Ascent : RoundDiv(face.WinDescent * s.Num, s.Den);
  m.Height = m.Ascent + m.Descent;
  m.InternalLeading = m.Height - RoundDiv(face.Upem * s.Num, s.Den);
  m.AveCharWidth = RoundDiv(face.AvgWidth * s.XNum, s.XDen);
  return m;
}

template <class F>
void ForEachCodePoint(std::u16string_view text, F f) {
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    f(c);
  }
}

}  // namespace

// ---- Measuring ----------------------------------------------------------------

int CharWidth(const TFont& font, char32_t ch) {
  TFace& face = FaceOf(font);
  TScale s = ScaleOf(face, font);
  return RoundDiv(face.Glyph(ch).Advance * s.XNum, s.XDen);
}

int TextWidth(const TFont& font, std::u16string_view text) {
  TFace& face = FaceOf(font);
  TScale s = ScaleOf(face, font);
  int64_t width = 0;
  ForEachCodePoint(text, [&](char32_t c) { width += RoundDiv(face.Glyph(c).Advance * s.XNum, s.XDen); });
  return SaturateInt(width);
}

TTextMetric GetTextMetrics(const TFont& font) {
  TFace& face = FaceOf(font);
  return MetricOf(face, font, ScaleOf(face, font));
}

TTextRun LayoutText(const TFont& font, std::u16string_view text) {
  TFace& face = FaceOf(font);
  TScale s = ScaleOf(face, font);
  TTextRun run;
  run.Face = &face;
  run.Metric = MetricOf(face, font, s);
  run.EmPixels = static_cast<double>(face.Upem) * s.Num / s.Den;
  run.XScale = (static_cast<double>(s.XNum) / s.XDen) / (static_cast<double>(s.Num) / s.Den);
  run.SlantItalic = face.SlantItalic;
  run.UnderlineOffset = RoundDiv(-face.UnderlinePos * s.Num, s.Den);
  run.UnderlineThickness = std::max(1, RoundDiv(face.UnderlineThickness * s.Num, s.Den));
  run.StrikeOutOffset = RoundDiv(face.StrikeOutPos * s.Num, s.Den);
  run.StrikeOutThickness = std::max(1, RoundDiv(face.StrikeOutSize * s.Num, s.Den));
  ForEachCodePoint(text, [&](char32_t c) {
    TFace::TGlyph g = face.Glyph(c);
    run.Glyphs.push_back(g.Index);
    run.X.push_back(run.Width);
    run.Width = SaturateInt(int64_t{run.Width} + RoundDiv(g.Advance * s.XNum, s.XDen));
  });
  return run;
}

namespace {

// The face at a run's size, made once per size: a font made anew for every
// text would also lose the glyphs the toolkit has cached for it.
QRawFont SizedFace(std::unordered_map<double, QRawFont>& sizes, const QRawFont& face, double emPixels) {
  if (!face.isValid()) return face;
  auto found = sizes.find(emPixels);
  if (found != sizes.end()) return found->second;
  if (sizes.size() >= 64) sizes.clear();  // sizes of zooms and scales long gone
  QRawFont sized = face;
  sized.setPixelSize(emPixels);
  sizes.emplace(emPixels, sized);
  return sized;
}

}  // namespace

QRawFont RunFont(const TTextRun& run) {
  auto& face = *const_cast<TFace*>(static_cast<const TFace*>(run.Face));
  return SizedFace(face.DesignSizes, face.Design, run.EmPixels);
}

namespace {

// The face as the font database knows it from a file: the one whose header
// table is the design face's.
QRawFont DatabaseFace(const TFace& face) {
  if (!face.Design.isValid()) return {};
  const QByteArray head = face.Design.fontTable("head");
  QStringList families;
  if (!face.File.empty()) {
    const int id = QFontDatabase::addApplicationFont(QString::fromStdString(face.File));
    if (id >= 0) families = QFontDatabase::applicationFontFamilies(id);
  }
  families << face.Design.familyName();
  for (const QString& family : families)
    for (const QString& style : QFontDatabase::styles(family)) {
      QFont f(family);
      f.setStyleName(style);
      QRawFont raw = QRawFont::fromFont(f);
      if (raw.isValid() && raw.fontTable("head") == head) return raw;
    }
  return {};
}

}  // namespace

QRawFont DocumentRunFont(const TTextRun& run) {
  auto& face = *const_cast<TFace*>(static_cast<const TFace*>(run.Face));
  if (!face.DocumentSought) {
    face.DocumentSought = true;
    face.Document = DatabaseFace(face);
  }
  if (!face.Document.isValid()) return RunFont(run);
  return SizedFace(face.DocumentSizes, face.Document, run.EmPixels);
}

TFontSource ResolveFont(const TFont& font) {
  const TFace& face = FaceOf(font);
  return {face.Family, face.File};
}

bool FontHasGlyphs(const TFont& font, std::u16string_view text) {
  TFace& face = FaceOf(font);
  bool all = true;
  ForEachCodePoint(text, [&](char32_t c) { all = all && face.Glyph(c).Index != 0; });
  return all;
}

bool GlyphHasOutline(const TFont& font, char32_t ch) {
  TFace& face = FaceOf(font);
  TFace::TGlyph g = face.Glyph(ch);
  return g.Index != 0 && face.Design.isValid() && !face.Design.pathForGlyph(g.Index).isEmpty();
}

// ---- The music font -----------------------------------------------------------

bool IsMusicFont(std::string_view face) { return SameText(face, MusicFontName); }

std::u16string FontGlyphText(const std::string& face, uint8_t code) {
  if (IsMusicFont(face)) return MusicGlyphText(code);
  if (code == 0) return {};
  return Utf8ToUtf16(AnsiToUtf8(std::string(1, static_cast<char>(code))));
}

void RegisterFontFile(const std::string& face, const std::string& file) {
  EnsureGuiApplication();
  TRegistry& reg = Registry();
  reg.FileData.erase(file);
  QByteArray data = ReadFontData(file);
  if (data.isEmpty() || !QRawFont(data, 16).isValid())
    throw EFontError("The font file \"" + file + "\" could not be read.");
  // Widgets that name the face find it too.
  QFontDatabase::addApplicationFontFromData(data);
  std::string lower = LowerCase(face);
  reg.Registered[lower] = file;
  reg.Last = nullptr;
  for (auto it = reg.Faces.begin(); it != reg.Faces.end();) {
    if (it->first.compare(0, lower.size() + 1, lower + "|") == 0)
      it = reg.Faces.erase(it);
    else
      ++it;
  }
}

bool MusicFontLoaded() { return Registry().Registered.count(LowerCase(MusicFontName)) > 0; }

void LoadMusicFont() {
  if (MusicFontLoaded()) return;
  std::string file = platform::FindResource(MusicFontFile);
  if (file.empty())
    throw EFontError(std::string("The music font \"QuaveroSymbols.ttf\" was not found. It belongs in the "
                                 "folder \"fonts\" beside the program (") +
                     platform::ProgramDir() + "); please reinstall the program.");
  RegisterFontFile(MusicFontName, file);
}

}  // namespace qs
