// qs-libgen SOURCE_DIR OUT_DIR: builds the library files the program ships
// from their readable sources (transpositions.txt, instruments.txt,
// guitars.txt, chords.txt, drums.txt, templates.txt, test.xml in SOURCE_DIR) into
// OUT_DIR: "Templates/Default.trn" and "Templates/Default.int" with their
// translations, one ".gtr" file a guitar, one ".chd" file a library chord,
// one ".drm" file a drum style, the index files "Guitars.ini", "Drums.ini",
// "Chords.ini" and "Symbols.ini" (the symbol library starts empty), one
// score template
// (".ctf") a template, and "Templates/test.mid", the melody of the
// settings' Test button.
//
// The shipped files in resources/ are made with it:
//   build/bin/qs-libgen tools/libgen resources
#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/inifile.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "base/text.h"
#include "platform/fonts.h"
#include "chords/chordfile.h"
#include "chords/guitar.h"
#include "dialogs/libraries.h"
#include "interchange/midi_export.h"
#include "interchange/musicxml.h"
#include "layout/layout.h"
#include "dialogs/scoretemplate.h"
#include "palettes/drums.h"
#include "palettes/libraryfile.h"
#include "score/record.h"
#include "score/accidentals.h"
#include "score/marks.h"
#include "score/notes.h"
#include "score/chordcode.h"
#include "score/clefs.h"
#include "score/score.h"
#include "uikit/lrf.h"

namespace {

using namespace qs;

// The sources' columns hold the interface languages in the program's
// order, English first; English is the library without a language code.
constexpr int kLanguageCount = static_cast<int>(std::size(kLanguageCodes));

[[noreturn]] void Fail(const std::string& where, const std::string& what) {
  throw std::runtime_error(where + ": " + what);
}

struct TLine {
  std::string Where;
  std::vector<std::string> Fields;
};

// The non-empty, non-comment lines of a source, split at "|" and trimmed.
std::vector<TLine> ReadSource(const std::string& path) {
  std::ifstream in(path);
  if (!in) Fail(path, "cannot be read");
  std::vector<TLine> lines;
  std::string text;
  for (int n = 1; std::getline(in, text); ++n) {
    std::string t = Trim(text);
    if (t.empty() || t[0] == '#') continue;
    TLine line{path + ":" + std::to_string(n), {}};
    for (const std::string& f : SplitString(t, '|')) line.Fields.push_back(Trim(f));
    lines.push_back(std::move(line));
  }
  return lines;
}

int Number(const TLine& line, const std::string& text, int low, int high) {
  int v = 0;
  if (!TryStrToInt(text, v) || v < low || v > high)
    Fail(line.Where, "\"" + text + "\" is not a number from " + std::to_string(low) + " to " + std::to_string(high));
  return v;
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  for (const std::string& w : SplitString(text, ' '))
    if (!w.empty()) words.push_back(w);
  return words;
}

// The file of a library in a language: "Default.int", "Default.DEU.int".
std::string LanguageFile(const std::string& stem, int language, const char* ext) {
  return language == 0 ? stem + ext : stem + "." + kLanguageCodes[language] + ext;
}

// Strings are stored in the language's code page.
void UseCodePageOf(int language) { SetDefaultCodePage(LanguageCodePage(kLanguageCodes[language])); }

void SaveFile(const std::string& path, const std::function<void(TStream&)>& write) { SafeSaveFile(path, write); }

// ---------------------------------------------------------------- transpositions

void BuildTranspositions(const std::string& source, const std::string& templates) {
  std::vector<TLine> lines = ReadSource(source + "transpositions.txt");
  for (int lang = 0; lang < kLanguageCount; ++lang) {
    UseCodePageOf(lang);
    TQSTransports library;
    for (const TLine& line : lines) {
      if (line.Fields.size() != 1 + kLanguageCount) Fail(line.Where, "expected the shift and five names");
      TQSTransportDescription* preset = library.Add();
      for (const std::string& w : Words(line.Fields[0])) preset->Values.push_back(MakeTransportRecord(Number(line, w, -127, 127)));
      preset->Name = line.Fields[1 + static_cast<size_t>(lang)];
    }
    SaveFile(templates + LanguageFile("Default", lang, ".trn"), [&](TStream& s) { library.SaveToStream(s); });
  }
}

// ---------------------------------------------------------------- instruments

uint8_t ClefNumber(const TLine& line, const std::string& name) {
  static const std::map<std::string, uint8_t> kClefs = {
      {"treble", clef::Treble}, {"bass", clef::Bass}, {"alto", clef::Alto}, {"tenor", clef::Tenor},
      {"treble8vb", clef::TrebleOctaveDown}, {"tab", clef::Tablature}, {"percussion", clef::Percussion1}};
  auto it = kClefs.find(name);
  if (it == kClefs.end()) Fail(line.Where, "unknown clef \"" + name + "\"");
  return it->second;
}

void SplitName(const TLine& line, const std::string& text, std::string& name, std::string& shortName) {
  auto slash = text.find(" / ");
  if (slash == std::string::npos) Fail(line.Where, "expected \"name / short name\" in \"" + text + "\"");
  name = Trim(text.substr(0, slash));
  shortName = Trim(text.substr(slash + 3));
}

void BuildInstruments(const std::string& source, const std::string& templates) {
  std::vector<TLine> lines = ReadSource(source + "instruments.txt");
  for (int lang = 0; lang < kLanguageCount; ++lang) {
    UseCodePageOf(lang);
    TQSInstruments library;
    std::string group;
    int order = 0;
    for (const TLine& line : lines) {
      const std::vector<std::string>& f = line.Fields;
      if (f[0] == "group") {
        if (f.size() != 1 + kLanguageCount) Fail(line.Where, "expected five group names");
        group = f[1 + static_cast<size_t>(lang)];
        continue;
      }
      if (f.size() != 6 + kLanguageCount) Fail(line.Where, "expected six values and five names");
      if (group.empty()) Fail(line.Where, "an instrument before the first group");
      TQSInstrumentDescription* d = library.Add();
      d->Fields.Program = static_cast<uint8_t>(Number(line, f[0], 1, 128) - 1);
      std::vector<std::string> clefs = Words(f[1]);
      if (clefs.empty() || clefs.size() > 3) Fail(line.Where, "one to three clefs");
      d->SetStaffCount(static_cast<uint8_t>(clefs.size()));
      for (size_t i = 0; i < clefs.size(); ++i) d->SetClef(static_cast<int>(i), ClefNumber(line, clefs[i]));
      d->Fields.LineCount = static_cast<uint8_t>(Number(line, f[2], 0, 6));
      d->Fields.Tablature = static_cast<uint8_t>(Number(line, f[3], 0, 1));
      const int shift = Number(line, f[4], -127, 127);
      if (shift != 0) {
        TQSTransportRecord r = MakeTransportRecord(shift);
        d->SetTransport(1, &r);
      }
      if (f[5] == "group") {
        d->Fields.AccoladeKind = 1;  // bracket
        d->Fields.AccoladeScope = 2;
      } else if (f[5] == "brace") {
        d->Fields.AccoladeKind = 0;
        d->Fields.AccoladeScope = 1;
      } else if (f[5] != "-") {
        Fail(line.Where, "accolade is \"group\", \"brace\" or \"-\"");
      }
      if (order > 255) Fail(line.Where, "more instruments than the order byte holds");
      d->Fields.Order = static_cast<uint8_t>(order++);
      d->Group = group;
      SplitName(line, f[6 + static_cast<size_t>(lang)], d->Name, d->ShortName);
    }
    SaveFile(templates + LanguageFile("Default", lang, ".int"), [&](TStream& s) { library.SaveToStream(s); });
  }
}

// ---------------------------------------------------------------- guitars

// "E2" -> 40 (C4 = 60).
uint8_t Pitch(const TLine& line, const std::string& text) {
  static const int kSteps[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (text.size() < 2 || text[0] < 'A' || text[0] > 'G') Fail(line.Where, "bad pitch \"" + text + "\"");
  int semitone = kSteps[text[0] - 'A'];
  size_t i = 1;
  if (text[i] == '#') ++semitone, ++i;
  else if (text[i] == 'b') --semitone, ++i;
  const int pitch = (Number(line, text.substr(i), -1, 9) + 1) * 12 + semitone;
  if (pitch < 0 || pitch > 127) Fail(line.Where, "pitch out of range \"" + text + "\"");
  return static_cast<uint8_t>(pitch);
}

// A chord symbol as its chord code: count, no bass, root, elements.
std::vector<uint8_t> ChordCode(const TLine& line, const std::string& text) {
  using namespace chordcode;
  // The elements in the chord palette's order: quality, base number, sus
  // or omit (styles: sus 1 "sus2", 2 "sus4"; omit 0 "omit3").
  static const std::map<std::string, std::vector<uint8_t>> kSuffixes = {
      {"", {kBase | kTriad}},
      {"m", {kMinor, kBase | kTriad}},
      {"7", {kBase | kSeventh}},
      {"maj7", {kMajor, kBase | kSeventh}},
      {"m7", {kMinor, kBase | kSeventh}},
      {"6", {kBase | kSixth}},
      {"m6", {kMinor, kBase | kSixth}},
      {"9", {kBase | kNinth}},
      {"sus2", {kBase | kTriad, kSus | 1}},
      {"sus4", {kBase | kTriad, kSus | 2}},
      {"5", {kBase | kTriad, kOmit | 0}}};
  static const std::string kLetters = "CDEFGAB";
  if (text.empty() || kLetters.find(text[0]) == std::string::npos) Fail(line.Where, "bad chord \"" + text + "\"");
  uint8_t root = static_cast<uint8_t>(kLetters.find(text[0]));
  size_t i = 1;
  if (i < text.size() && text[i] == '#') root |= kSharp, ++i;
  else if (i < text.size() && text[i] == 'b') root |= kFlat, ++i;
  auto it = kSuffixes.find(text.substr(i));
  if (it == kSuffixes.end()) Fail(line.Where, "unknown chord suffix in \"" + text + "\"");
  std::vector<uint8_t> code;
  code.reserve(3 + it->second.size());
  code.push_back(static_cast<uint8_t>(1 + it->second.size()));
  code.push_back(0);
  code.push_back(root);
  for (uint8_t element : it->second) code.push_back(element);
  return code;
}

constexpr uint8_t kShownFrets = 5;
constexpr uint8_t kMuted = 255;
constexpr uint8_t kThumb = 5;

void AddFrame(const TLine& line, TQSGuitarDescription& guitar) {
  if (line.Fields.size() != 5) Fail(line.Where, "frame | chord | frets | fingers | barre");
  std::vector<std::string> frets = Words(line.Fields[2]), fingers = Words(line.Fields[3]);
  if (frets.size() != guitar.StringCount || fingers.size() != guitar.StringCount)
    Fail(line.Where, "one fret and one finger a string");
  int low = 99, high = 0;
  for (const std::string& f : frets) {
    if (f == "x" || f == "0") continue;
    const int v = Number(line, f, 1, guitar.FretCount);
    low = std::min(low, v);
    high = std::max(high, v);
  }
  TQSGuitarFrame* frame = guitar.AddFrame();
  frame->StartFret = static_cast<uint8_t>(high > kShownFrets ? low - 1 : 0);
  frame->SetUsedFretCount(kShownFrets);
  if (high - frame->StartFret > kShownFrets) Fail(line.Where, "the frets do not fit five shown frets");
  frame->Code = ChordCode(line, line.Fields[1]);
  for (size_t s = 0; s < frets.size(); ++s) {
    TQSFrameString e;
    e.Further = guitar.Tuning[s];  // the open-string pitch
    if (frets[s] == "x") {
      e.Finger = e.Fret = kMuted;
    } else {
      const int v = Number(line, frets[s], 0, guitar.FretCount);
      e.Fret = static_cast<uint8_t>(v == 0 ? 0 : v - frame->StartFret);
      e.Finger = fingers[s] == "T" ? kThumb : static_cast<uint8_t>(Number(line, fingers[s], 0, 4));
    }
    frame->SetString(static_cast<int>(s), e);
  }
  if (line.Fields[4] != "-") {
    const int barre = Number(line, line.Fields[4], 1, guitar.FretCount) - frame->StartFret - 1;
    if (barre < 0 || barre >= kShownFrets) Fail(line.Where, "the barre is not on a shown fret");
    frame->SetBarre(barre, 1);
  }
}

// The library chords: their name after the root and their notes on C.
std::vector<std::string> BuildChords(const std::string& source, const std::string& out) {
  static const std::string kLetters = "CDEFGAB";
  std::vector<std::string> entries;
  for (const TLine& line : ReadSource(source + "chords.txt")) {
    const std::vector<std::string>& f = line.Fields;
    if (f[0] != "chord" || f.size() != 5) Fail(line.Where, "chord | file | group | name | notes");
    TQSChordDescription chord;
    chord.FileName = f[1];
    chord.Group = f[2];
    if (f[3] != "-") {
      for (const std::string& word : Words(f[3])) {
        const size_t at = word.rfind('@');
        if (at == std::string::npos || at == 0) Fail(line.Where, "fragment \"" + word + "\" is not text@level");
        TQSChordFragment& fragment = chord.Fragments.emplace_back();
        fragment.Text = word.substr(0, at);
        fragment.Fields.Level = static_cast<int16_t>(Number(line, word.substr(at + 1), -9, 9));
        // Each follows the one before it; index 0 is the root.
        fragment.Fields.Anchor = static_cast<uint8_t>(chord.Fragments.size());
      }
    }
    std::string description;
    for (const std::string& n : Words(f[4])) {
      if (n.size() < 2 || kLetters.find(n[0]) == std::string::npos) Fail(line.Where, "bad note \"" + n + "\"");
      const int step = static_cast<int>(kLetters.find(n[0]));
      size_t i = 1;
      int alter = 0;
      while (i < n.size() && (n[i] == '#' || n[i] == 'b')) alter += n[i++] == '#' ? 1 : -1;
      if (alter < -2 || alter > 2) Fail(line.Where, "bad accidental in \"" + n + "\"");
      const int octave = Number(line, n.substr(i), 0, 8) + 1;  // stored octaves start one lower
      auto* note = new TQSNote(&chord);
      chord.AddNote(note);
      note->Fields.Pitch = static_cast<uint8_t>(octave * 16 + step);
      if (alter != 0) {
        auto* mark = static_cast<TQSMark*>(CreateItemByKind(kind::Accidental, note));
        mark->Fields.Kind = alter == -1 ? accidental::Flat
                            : alter == -2 ? accidental::DoubleFlat
                            : alter == 1  ? accidental::Sharp
                                          : accidental::DoubleSharp;
      }
      if (!description.empty()) description += ' ';
      description += n.substr(0, i);
    }
    chord.Description = description;
    SaveFile(out + "Templates/" + chord.FileName + ".chd", [&](TStream& s) { chord.SaveToStream(s); });
    entries.push_back(chord.FileName);
  }
  return entries;
}

void BuildGuitars(const std::string& source, const std::string& out) {
  SetDefaultCodePage(CodePage::Windows1252);
  std::vector<std::unique_ptr<TQSGuitarDescription>> guitars;
  for (const TLine& line : ReadSource(source + "guitars.txt")) {
    const std::vector<std::string>& f = line.Fields;
    if (f[0] == "guitar") {
      if (f.size() != 7) Fail(line.Where, "guitar | file | name | program | frets | transposition | paired");
      auto& g = guitars.emplace_back(std::make_unique<TQSGuitarDescription>());
      g->FileName = f[1];
      g->Name = f[2];
      g->Timbre = static_cast<uint8_t>(Number(line, f[3], 1, 128) - 1);
      g->SetFretCount(Number(line, f[4], 1, TQSGuitarDescription::kMaxFrets));
      if (const int shift = Number(line, f[5], -127, 127)) {
        TQSTransportRecord r = MakeTransportRecord(shift);
        g->SetTransport(1, &r);
      }
      g->Paired = static_cast<uint8_t>(Number(line, f[6], 0, 1));
      continue;
    }
    if (guitars.empty()) Fail(line.Where, "a line before the first guitar");
    TQSGuitarDescription& g = *guitars.back();
    if (f[0] == "tuning" || f[0] == "second") {
      std::vector<std::string> pitches = Words(f.size() > 1 ? f[1] : "");
      if (pitches.empty() || pitches.size() > TQSGuitarDescription::kMaxStrings) Fail(line.Where, "1 to 24 pitches");
      if (f[0] == "tuning") g.StringCount = static_cast<uint8_t>(pitches.size());
      if (pitches.size() != g.StringCount) Fail(line.Where, "one pitch a string");
      for (size_t i = 0; i < pitches.size(); ++i) {
        if (f[0] == "tuning")
          g.SetTuning(static_cast<int>(i), Pitch(line, pitches[i]));
        else
          g.SetSecondTuning(static_cast<int>(i), Pitch(line, pitches[i]));
      }
    } else if (f[0] == "frame") {
      AddFrame(line, g);
    } else {
      Fail(line.Where, "unknown line \"" + f[0] + "\"");
    }
  }
  std::vector<std::string> entries;
  for (const auto& g : guitars) {
    SaveFile(out + "Templates/" + g->FileName, [&](TStream& s) { g->SaveToStream(s); });
    entries.push_back(g->FileName);
  }
  // The index files are written as the program writes them.
  auto index = [&](const TLibraryIndexKeys& keys, const std::vector<std::string>& names) {
    const std::string file = out + keys.FileName;
    std::remove(file.c_str());
    TIniFile ini(file);
    ini.BeginUpdate();
    ini.WriteInteger(keys.Section, std::string(keys.Key) + "Max", static_cast<int>(names.size()));
    for (size_t i = 0; i < names.size(); ++i) ini.WriteString(keys.Section, keys.Key + std::to_string(i), names[i]);
    ini.EndUpdate();
  };
  index(kGuitarIndex, entries);
  index(kChordIndex, BuildChords(source, out));
  index(kSymbolIndex, {});

  // Drum styles: signature, header, version, four fields (caption, name,
  // the 8 head bytes, the font).
  std::vector<std::string> drums;
  for (const TLine& line : ReadSource(source + "drums.txt")) {
    const std::vector<std::string>& f = line.Fields;
    if (f[0] != "drum" || f.size() != 7) Fail(line.Where, "drum | file | name | caption | head | stem | left");
    std::array<uint8_t, 8> head{};
    const int stem = Number(line, f[5], 0, 0xFFFF);
    head[2] = static_cast<uint8_t>(stem & 0xFF);
    head[3] = static_cast<uint8_t>(stem >> 8);
    head[4] = static_cast<uint8_t>(Number(line, f[4], 33, 255));
    head[6] = Number(line, f[6], 0, 1) ? 0x80 : 0;
    SaveFile(out + "Templates/" + f[1], [&](TStream& s) {
      WriteLibraryHeader(s, '(', "Drum style", 800);
      s.WriteU16(4);
      WriteStreamString(s, f[3]);
      WriteStreamString(s, f[2]);
      s.WriteU16(static_cast<uint16_t>(head.size()));
      for (uint8_t b : head) s.WriteU8(b);
      WriteStreamString(s, MusicFontName);
    });
    drums.push_back(f[1]);
  }
  index(kDrumIndex, drums);
}

// ---------------------------------------------------------------- score templates

void BuildTemplates(const std::string& source, const std::string& templates) {
  TScoreSetup setup;
  std::string name;
  uint8_t keyCode = 0;
  auto flush = [&] {
    if (!name.empty()) SaveFile(templates + name + kTemplateExtension, [&](TStream& s) { WriteScoreTemplate(s, setup); });
  };
  for (const TLine& line : ReadSource(source + "templates.txt")) {
    const auto& f = line.Fields;
    if (f[0] == "template") {
      if (f.size() != 6) Fail(line.Where, "expected 6 fields");
      flush();
      name = f[1];
      if (!IsValidTemplateName(name)) Fail(line.Where, "not a file name");
      setup = TScoreSetup{};
      setup.Parts.clear();
      const auto slash = f[2].find('/');
      if (slash == std::string::npos) Fail(line.Where, "expected beats/unit");
      setup.Beats = Number(line, f[2].substr(0, slash), 1, 128);
      const int unit = Number(line, f[2].substr(slash + 1), 2, 64);
      setup.UnitIndex = -1;
      for (int i = 0; i < 6; ++i)
        if (kMeterUnits[i] == unit) setup.UnitIndex = i;
      if (setup.UnitIndex < 0) Fail(line.Where, "no such beat unit");
      setup.Tempo = Number(line, f[3], 1, 512);
      const int key = Number(line, f[4], -7, 7);
      setup.Title = {f[5]};
      keyCode = static_cast<uint8_t>(key >= 0 ? key : 10 - key);
      continue;
    }
    if (f[0] != "part" || f.size() != 6 || name.empty()) Fail(line.Where, "expected a template or part line");
    TSetupPart part;
    SplitName(line, f[1], part.Name, part.ShortName);
    part.Program = static_cast<uint8_t>(Number(line, f[2], 1, 128) - 1);
    part.Key = keyCode;
    part.Staves.clear();
    const std::vector<std::string> clefs = Words(f[3]), lines = Words(f[4]);
    if (lines.size() != 1 && lines.size() != clefs.size()) Fail(line.Where, "one line count, or one a staff");
    for (size_t i = 0; i < clefs.size(); ++i) {
      TSetupStaff staff;
      staff.Clef = ClefNumber(line, clefs[i]);
      staff.Lines = Number(line, lines[lines.size() == 1 ? 0 : i], 0, 12);
      staff.Tablature = staff.Clef == clef::Tablature;
      part.Staves.push_back(staff);
    }
    if (f[5] != "-") {
      const std::vector<std::string> a = Words(f[5]);
      static const std::map<std::string, uint8_t> kKinds = {{"brace", 0}, {"bracket", 1}, {"line", 2}};
      if (a.size() != 2 || !kKinds.count(a[0])) Fail(line.Where, "expected an accolade kind and span, or -");
      part.Accolades.push_back({kKinds.at(a[0]), static_cast<uint16_t>(Number(line, a[1], 0, kMaxTemplateParts))});
    }
    setup.Parts.push_back(std::move(part));
  }
  flush();
}

// The test melody as a Standard MIDI File, written by the program's own
// export.
void BuildTestFile(const std::string& source, const std::string& out) {
  InstallLayout();
  InstallMusicXmlImporter();
  TQSScore score;
  score.LoadFromFile(source + "test.xml");
  score.Recalculate(0);
  SaveFile(out + "test.mid", [&](TStream& s) { ExportMidiFile(score, s); });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: qs-libgen SOURCE_DIR OUT_DIR\n");
    return 2;
  }
  try {
    const std::string source = IncludeTrailingPathDelimiter(argv[1]);
    const std::string out = IncludeTrailingPathDelimiter(argv[2]);
    if (!DirectoryExists(out + "Templates")) Fail(out + "Templates", "no such folder");
    BuildTranspositions(source, out + "Templates/");
    BuildInstruments(source, out + "Templates/");
    BuildGuitars(source, out);
    BuildTemplates(source, out + "Templates/");
    BuildTestFile(source, out + "Templates/");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qs-libgen: %s\n", e.what());
    return 1;
  }
  return 0;
}
