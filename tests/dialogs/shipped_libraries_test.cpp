// The libraries the program ships: generated from their sources, loading
// without a message, and holding what a musician knows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "../common/library_support.h"
#include "base/safefile.h"
#include "base/text.h"
#include "chords/chordname.h"
#include "chords/guitar.h"
#include "dialogs/libraries.h"
#include "palettes/libraryfile.h"
#include "score/clefs.h"
#include "uikit/lrf.h"

namespace qs {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> FileBytes(const std::string& path) {
  TMemoryStream s;
  s.LoadFromFile(path);
  return s.Bytes();
}

TEST(ShippedLibraries, AreTheGeneratorsOutputFromTheirSources) {
  const std::string tool = ExtractFilePath(platform::ProgramFile()) + "qs-libgen";
  ASSERT_TRUE(FileExists(tool)) << tool;
  test::TProgramFolder out;
  fs::create_directory(out.Dir() + "Templates");
  const std::string command =
      tool + " '" + std::string(QS_SOURCE_DIR) + "/tools/libgen' '" + out.Dir() + "' > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const std::string shipped = test::TProgramFolder::ShippedResources();
  int compared = 0;
  for (const auto& entry : fs::recursive_directory_iterator(out.Dir())) {
    if (!entry.is_regular_file()) continue;
    const std::string relative = fs::relative(entry.path(), out.Dir()).string();
    ASSERT_TRUE(FileExists(shipped + relative)) << relative << " is not in resources/; run qs-libgen";
    EXPECT_EQ(FileBytes(entry.path().string()), FileBytes(shipped + relative))
        << relative << " differs from its sources; run: build/bin/qs-libgen tools/libgen resources";
    ++compared;
  }
  for (const auto& entry : fs::directory_iterator(shipped + "Templates"))
    EXPECT_TRUE(FileExists(out.Dir() + "Templates/" + entry.path().filename().string()))
        << entry.path() << " is shipped but not made from the sources";
  // Index files, presets with their translations, guitars, the drum
  // styles with their index, the score templates, the test melody, the
  // chord index and its chords.
  EXPECT_EQ(compared, 3 + 10 + 8 + 6 + 7 + 1 + 1 + 31);
}

struct TCodePageOf {
  explicit TCodePageOf(const std::string& language) : saved_(DefaultCodePage()) {
    SetDefaultCodePage(LanguageCodePage(language));
  }
  ~TCodePageOf() { SetDefaultCodePage(saved_); }
  CodePage saved_;
};

TEST(ShippedLibraries, LoadWithoutAMessageInEveryLanguage) {
  test::TProgramFolder folder(true);
  TGuitarLibraryLoad guitars = LoadGuitarLibrary("ENU");
  EXPECT_TRUE(guitars.Problems.empty()) << guitars.Problems.front();
  EXPECT_EQ(guitars.Guitars.size(), 8u);
  std::vector<TLibraryProblem> problems;
  EXPECT_EQ(ReadLibraryIndex(kChordIndex, &problems).size(), 32u);
  EXPECT_TRUE(ReadLibraryIndex(kSymbolIndex, &problems).empty());
  EXPECT_TRUE(problems.empty());

  TQSInstruments english;
  english.LoadFromFile();
  TQSTransports englishPresets;
  englishPresets.LoadFromFile();
  ASSERT_GT(english.Count(), 50);
  ASSERT_GT(englishPresets.Count(), 10);
  for (const char* language : kLanguageCodes) {
    TCodePageOf codePage(language);
    TQSInstruments lib;
    lib.FileName = InstrumentFileForLanguage("Default", language);
    EXPECT_EQ(lib.FileName == "Default", std::string(language) == "ENU");
    EXPECT_NO_THROW(lib.LoadFromFile());
    TQSTransports presets;
    presets.FileName = TransportFileForLanguage("Default", language);
    EXPECT_NO_THROW(presets.LoadFromFile());
    // The translations differ from English only in their words.
    ASSERT_EQ(lib.Count(), english.Count()) << language;
    for (int i = 0; i < lib.Count(); ++i) {
      const TQSInstrumentDescription &a = *lib.Get(i), &b = *english.Get(i);
      EXPECT_FALSE(a.Name.empty() || a.ShortName.empty() || a.Group.empty());
      EXPECT_EQ(a.Name.find('?'), std::string::npos) << language << " " << a.Name;
      EXPECT_EQ(a.Fields.Program, b.Fields.Program);
      EXPECT_EQ(a.Clefs, b.Clefs);
      EXPECT_EQ(a.Transports, b.Transports);
      EXPECT_EQ(a.Fields.Order, i);
    }
    ASSERT_EQ(presets.Count(), englishPresets.Count());
    for (int i = 0; i < presets.Count(); ++i) EXPECT_EQ(presets.Get(i)->Values, englishPresets.Get(i)->Values);
  }
}

const TQSInstrumentDescription* Instrument(const TQSInstruments& lib, const std::string& name) {
  for (const auto& d : lib.Items)
    if (d->Name == name) return d.get();
  return nullptr;
}

TEST(ShippedLibraries, HoldWhatAMusicianKnows) {
  test::TProgramFolder folder(true);
  TQSInstruments lib;
  lib.LoadFromFile();
  struct Fact {
    const char* Name;
    int Sounds;  // semitones from written to sounding pitch
    std::vector<uint8_t> Clefs;
  } facts[] = {
      {"Clarinet in B flat", -2, {clef::Treble}},  // a major second below written
      {"Clarinet in A", -3, {clef::Treble}},
      {"Guitar", -12, {clef::Treble}},  // an octave below written
      {"Double bass", -12, {clef::Bass}},
      {"Horn in F", -7, {clef::Treble}},
      {"Alto saxophone", -9, {clef::Treble}},
      {"Tenor saxophone", -14, {clef::Treble}},
      {"Baritone saxophone", -21, {clef::Treble}},
      {"Trumpet in B flat", -2, {clef::Treble}},
      {"English horn", -7, {clef::Treble}},
      {"Piccolo", 12, {clef::Treble}},
      {"Glockenspiel", 24, {clef::Treble}},
      {"Flute", 0, {clef::Treble}},
      {"Viola", 0, {clef::Alto}},
      {"Violoncello", 0, {clef::Bass}},
      {"Piano", 0, {clef::Treble, clef::Bass}},
      {"Drum set", 0, {clef::Percussion1}},
      {"Tenor", 0, {clef::TrebleOctaveDown}},
  };
  for (const Fact& f : facts) {
    const TQSInstrumentDescription* d = Instrument(lib, f.Name);
    ASSERT_NE(d, nullptr) << f.Name;
    EXPECT_EQ(TransportShift(d->Transports), f.Sounds) << f.Name;
    EXPECT_EQ(d->Clefs, f.Clefs) << f.Name;
  }
  const TQSInstrumentDescription* piano = Instrument(lib, "Piano");
  EXPECT_EQ(piano->Fields.Program, 0);  // Acoustic Grand Piano
  EXPECT_EQ(piano->Fields.AccoladeKind, 0);  // a brace
  const TQSInstrumentDescription* violin = Instrument(lib, "Violin");
  EXPECT_EQ(violin->Fields.Program, 40);
  EXPECT_EQ(violin->Fields.AccoladeScope, 2);  // bracketed with its section
  const TQSInstrumentDescription* bassTab = Instrument(lib, "Bass guitar (tablature)");
  EXPECT_EQ(bassTab->Fields.Tablature, 1);
  EXPECT_EQ(bassTab->Fields.LineCount, 4);
  EXPECT_LT(Instrument(lib, "Flute")->Fields.Order, Instrument(lib, "Violin")->Fields.Order);  // score order

  TQSTransports presets;
  presets.LoadFromFile();
  const TQSTransportRecord bFlat = MakeTransportRecord(-2), octave = MakeTransportRecord(-12);
  EXPECT_GE(presets.IndexOfValues(1, &bFlat), 0);
  EXPECT_GE(presets.IndexOfValues(1, &octave), 0);

  TGuitarLibraryLoad guitars = LoadGuitarLibrary("ENU");
  struct Tuning {
    const char* File;
    std::vector<uint8_t> Open;
    int Sounds;
  } tunings[] = {
      {"Guitar6.gtr", {40, 45, 50, 55, 59, 64}, -12},  // E2 A2 D3 G3 B3 E4
      {"GuitarDropD.gtr", {38, 45, 50, 55, 59, 64}, -12},
      {"Guitar12.gtr", {40, 45, 50, 55, 59, 64}, -12},
      {"Bass4.gtr", {28, 33, 38, 43}, -12},  // E1 A1 D2 G2
      {"Bass5.gtr", {23, 28, 33, 38, 43}, -12},
      {"Ukulele.gtr", {67, 60, 64, 69}, 0},  // G4 C4 E4 A4, re-entrant
      {"Mandolin.gtr", {55, 62, 69, 76}, 0},
      {"Banjo.gtr", {67, 50, 55, 59, 62}, -12},
  };
  for (const Tuning& t : tunings) {
    const TQSGuitarDescription* g = nullptr;
    for (const auto& x : guitars.Guitars)
      if (x->FileName == t.File) g = x.get();
    ASSERT_NE(g, nullptr) << t.File;
    EXPECT_EQ(std::vector<uint8_t>(g->Tuning.begin(), g->Tuning.begin() + g->StringCount), t.Open) << t.File;
    EXPECT_EQ(g->TransposeSum(), t.Sounds) << t.File;
    for (const auto& frame : g->Frames) {
      EXPECT_EQ(frame->Strings.size(), g->StringCount);
      for (size_t s = 0; s < frame->Strings.size(); ++s) EXPECT_EQ(frame->Strings[s].Further, g->Tuning[s]);
    }
  }
  // The twelve-string guitar: the four lower courses in octaves, the two
  // upper ones in unison.
  const TQSGuitarDescription& twelve = *guitars.Guitars[2];
  EXPECT_EQ(twelve.Paired, 1);
  EXPECT_EQ(std::vector<uint8_t>(twelve.SecondTuning.begin(), twelve.SecondTuning.begin() + 6),
            (std::vector<uint8_t>{52, 57, 62, 67, 59, 64}));
  // The frames name the chords they were written for.
  std::vector<std::string> names;
  for (const auto& frame : guitars.Guitars[0]->Frames) {
    std::vector<TQSChordFragment> fragments;
    BuildChordName(frame->Code, fragments);
    std::string name;
    for (const TQSChordFragment& f : fragments) name += f.Text;
    names.push_back(name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"C", "A", "G", "E", "D", "F", "Am", "Em", "Dm", "Bm", "C7", "A7",
                                             "G7", "E7", "D7", "B7", "Cmaj7", "Fmaj7", "Am7", "Em7", "Dm7",
                                             "Dsus4", "Asus4", "Dsus2"}));
  // The C major chord of the six-string guitar: x32010.
  const TQSGuitarFrame& c = *guitars.Guitars[0]->GetFrame(0);
  EXPECT_EQ(c.Code, (std::vector<uint8_t>{2, 0, 0, 0x10}));
  std::vector<uint8_t> frets;
  for (const TQSFrameString& s : c.Strings) frets.push_back(s.Fret);
  EXPECT_EQ(frets, (std::vector<uint8_t>{255, 3, 2, 0, 1, 0}));
}

}  // namespace
}  // namespace qs
