// The new score's setup: the template file, the defaults kept in the
// settings, and the score built from a setup.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>

#include "../common/library_support.h"
#include "base/exceptions.h"
#include "base/inifile.h"
#include "base/safefile.h"
#include "base/stream.h"
#include "dialogs/libraries.h"
#include "dialogs/newscore.h"
#include "dialogs/scoretemplate.h"
#include "layout/layout.h"
#include "platform/fonts.h"
#include "score/calcrecords.h"
#include "score/item.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/pageobjects.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"

namespace qs {
namespace {

// A setup whose every field differs from the built-in one.
TScoreSetup FullSetup() {
  TScoreSetup s;
  s.Title = {"Quartet", "in D"};
  s.Author = {"A. Composer"};
  TSetupPart piano;
  piano.Name = "Piano";
  piano.ShortName = "Pno.";
  piano.Program = 0;
  piano.Key = 12;
  piano.Staves = {{1, 2, 5}, {2, 1, 5}};
  piano.Accolades = {{0, 0}};
  TSetupPart guitar;
  guitar.Name = "Guitar";
  guitar.ShortName = "Gtr.";
  guitar.Program = 24;
  guitar.Key = 2;
  guitar.Staves = {{5, 1, 5}, {13, 1, 6, true}};
  guitar.Accolades = {{1, 1}, {2, 0}};
  s.Parts = {piano, guitar};
  s.Tempo = 132;
  s.Beats = 6;
  s.UnitIndex = 2;
  s.Pickup = true;
  s.PickupCount = 3;
  s.PickupUnitIndex = 3;
  s.Interval = SetupLengthFrom(9, 1);  // whole inches: the file keeps whole units
  s.Scale = 150;
  s.Placing = 104;
  s.Join = 5;
  s.HorzAlign = false;
  s.VertAlign = false;
  s.Paper = 27;
  for (int i = 0; i < 4; ++i) s.Margins[i] = SetupLengthFrom(i + 1, 1);
  s.Width = SetupLengthFrom(8, 1);
  s.Height = SetupLengthFrom(11, 1);
  s.Portrait = false;
  s.Unit = 1;
  s.PartNames = true;
  return s;
}

TMemoryStream Written(const TScoreSetup& s) {
  TMemoryStream m;
  WriteScoreTemplate(m, s);
  m.SetPosition(0);
  return m;
}

void ExpectSame(const TScoreSetup& a, const TScoreSetup& b) {
  EXPECT_EQ(a.Title, b.Title);
  EXPECT_EQ(a.Author, b.Author);
  EXPECT_EQ(a.Parts, b.Parts);
  TMemoryStream ma = Written(a), mb = Written(b);
  EXPECT_EQ(ma.Bytes(), mb.Bytes());
}

TEST(ScoreTemplate, KeepsEveryFieldThroughTheFile) {
  const TScoreSetup full = FullSetup();
  TMemoryStream m = Written(full);
  TScoreSetup read;
  ReadScoreTemplate(m, read);
  ExpectSame(read, full);
  EXPECT_EQ(read.Tempo, 132);
  EXPECT_EQ(read.Paper, 27);
  EXPECT_EQ(read.Unit, 1);
  EXPECT_DOUBLE_EQ(read.Margins[3], 1016);  // 4 in
  EXPECT_TRUE(read.Parts[1].Staves[1].Tablature);  // the tablature clef
}

// Rewrites the field count of a written template (after the signature,
// the header string and the version).
void SetFieldCount(std::vector<uint8_t>& bytes, uint16_t n) {
  const size_t at = 1 + 2 + std::string(kTemplateHeader).size() + 2;
  bytes[at] = static_cast<uint8_t>(n & 0xFF);
  bytes[at + 1] = static_cast<uint8_t>(n >> 8);
}

TEST(ScoreTemplate, ReadsTheFieldsTheFileHasAndNoMore) {
  std::vector<uint8_t> bytes = Written(FullSetup()).Bytes();
  SetFieldCount(bytes, 3);
  TMemoryStream m;
  m.WriteBytes(bytes);
  m.SetPosition(0);
  TScoreSetup read;
  ReadScoreTemplate(m, read);
  EXPECT_EQ(read.Parts, FullSetup().Parts);
  EXPECT_EQ(read.Tempo, 60);  // untouched
  EXPECT_FALSE(read.PartNames);

  bytes = Written(FullSetup()).Bytes();
  SetFieldCount(bytes, 30);
  bytes.insert(bytes.end(), {1, 2, 3, 4, 5});
  TMemoryStream longer;
  longer.WriteBytes(bytes);
  longer.SetPosition(0);
  ReadScoreTemplate(longer, read);
  ExpectSame(read, FullSetup());
}

// A damaged count (65535 voices, staves or parts) is refused before
// anything is made, and the setup stays as it was.
TEST(ScoreTemplate, RefusesCountsBeyondItsLimits) {
  struct TCase {
    const char* What;
    void (*Damage)(TScoreSetup&);
  };
  const TCase cases[] = {
      {"voices", [](TScoreSetup& s) { s.Parts[0].Staves[0].Voices = 65535; }},
      {"no voice", [](TScoreSetup& s) { s.Parts[0].Staves[0].Voices = 0; }},
      {"staves", [](TScoreSetup& s) { s.Parts[0].Staves.resize(kMaxSetupStaves + 1); }},
      {"parts", [](TScoreSetup& s) { s.Parts.resize(kMaxTemplateParts + 1); }},
      {"no part", [](TScoreSetup& s) { s.Parts.clear(); }},
      {"accolades", [](TScoreSetup& s) { s.Parts[0].Accolades.resize(kMaxTemplateAccolades + 1); }},
  };
  for (const TCase& c : cases) {
    TScoreSetup damaged = FullSetup();
    c.Damage(damaged);
    TMemoryStream m = Written(damaged);
    TScoreSetup read;
    read.Tempo = 99;
    EXPECT_THROW(ReadScoreTemplate(m, read), EReadError) << c.What;
    EXPECT_EQ(read.Tempo, 99) << c.What;
    EXPECT_EQ(read.Parts.size(), 1u) << c.What;
  }
  // Foreign and newer files, and one that ends early.
  std::vector<uint8_t> bytes = Written(FullSetup()).Bytes();
  for (auto change : {0, 1, 2}) {
    std::vector<uint8_t> b = bytes;
    if (change == 0) b[0] = 0;
    if (change == 1) b[1 + 2 + 21] = 0xFF;  // version high byte
    if (change == 2) b.resize(b.size() / 2);
    TMemoryStream m;
    m.WriteBytes(b);
    m.SetPosition(0);
    TScoreSetup read;
    EXPECT_THROW(ReadScoreTemplate(m, read), EStreamError) << change;
  }
}

TEST(ScoreTemplate, NamesStayInsideTheTemplatesFolder) {
  for (const char* bad : {"", "../Default", "a/b", "..", ".hidden", "x\\y", "tab\there", " lead"})
    EXPECT_FALSE(IsValidTemplateName(bad)) << bad;
  for (const char* good : {"String quartet", "Quartett für Streicher", "SATB (4)", "a..b"})
    EXPECT_TRUE(IsValidTemplateName(good)) << good;
  test::TProgramFolder folder(true);
  EXPECT_EQ(UserTemplateFile("../evil"), "");
  EXPECT_EQ(FindTemplateFile("../Templates/Default"), "");
  const std::string own = UserTemplateFile("Mine");
  ASSERT_FALSE(own.empty());
  SaveScoreTemplate(own, FullSetup());
  const std::vector<std::string> names = TemplateNames();
  EXPECT_NE(std::find(names.begin(), names.end(), "Mine"), names.end());
  EXPECT_NE(std::find(names.begin(), names.end(), "String quartet"), names.end());
  TScoreSetup read;
  LoadScoreTemplate(FindTemplateFile("Mine"), read);
  ExpectSame(read, FullSetup());
}

TEST(ScoreTemplate, LengthsAreWrittenWithAPointInAnyLocale) {
  // A German locale when the machine has one; the texts must not change.
  const char* saved = std::setlocale(LC_NUMERIC, nullptr);
  const std::string restore = saved ? saved : "C";
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  EXPECT_EQ(FormatSetupLength(10.25L, 0), "10.3mm");
  EXPECT_EQ(FormatSetupLength(0.5L, 1), "0.500in");
  EXPECT_EQ(FormatSetupLength(37.6L, 2), "38p");
  EXPECT_DOUBLE_EQ(static_cast<double>(ParseSetupLength("10,5mm")), 10.5);
  EXPECT_DOUBLE_EQ(static_cast<double>(ParseSetupLength(" 7.25 in")), 7.25);
  EXPECT_DOUBLE_EQ(static_cast<double>(ParseSetupLength("mm")), 0.0);
  test::TProgramFolder folder;
  TIniFile ini(folder.Dir() + "ProgramSetting.ini");
  TScoreSetup s;
  s.Margins[0] = 155;  // tenths of a millimetre
  WriteSetupSettings(ini, s);
  EXPECT_EQ(ini.ReadString(kNewCompositionSection, "LeftMargin", ""), "15.5");
  ini.WriteString(kNewCompositionSection, "TopMargin", "12,5");  // an older file of a German desktop
  EXPECT_DOUBLE_EQ(ReadSetupSettings(ini).Margins[1], 125);
  EXPECT_DOUBLE_EQ(ReadSetupSettings(ini).Margins[0], 155);
  // In inches the settings keep three decimals.
  s.Unit = 1;
  s.Margins[0] = 100;
  WriteSetupSettings(ini, s);
  EXPECT_EQ(ini.ReadString(kNewCompositionSection, "LeftMargin", ""), "0.394");
  std::setlocale(LC_NUMERIC, restore.c_str());
}

TEST(NewScoreSettings, ClampCountsAndMeter) {
  struct TCase {
    const char* Key;
    int Value;
    int Staves, Voices, Beats, Unit, Paper;
  };
  const TCase cases[] = {
      {"StaffCount0", 0, 1, 1, 4, 4, 9},  {"StaffCount0", 12, 10, 1, 4, 4, 9},
      {"VoiceCount00", 20, 1, 15, 4, 4, 9}, {"Size", 100, 1, 1, 4, 4, 9},
      {"Size", 0x0320, 1, 1, 3, 4, 9},     {"Size", 0x0308, 1, 1, 3, 8, 9},
      {"PaperSize", 40, 1, 1, 4, 4, 9},   {"PaperSize", 11, 1, 1, 4, 4, 11},
  };
  test::TProgramFolder folder;
  for (const TCase& c : cases) {
    std::remove((folder.Dir() + "ProgramSetting.ini").c_str());
    TIniFile ini(folder.Dir() + "ProgramSetting.ini");
    ini.WriteInteger(kNewCompositionSection, c.Key, c.Value);
    const TScoreSetup s = ReadSetupSettings(ini);
    EXPECT_EQ(static_cast<int>(s.Parts[0].Staves.size()), c.Staves) << c.Key << c.Value;
    EXPECT_EQ(s.Parts[0].Staves[0].Voices, c.Voices) << c.Key << c.Value;
    EXPECT_EQ(s.Beats, c.Beats) << c.Key << c.Value;
    EXPECT_EQ(s.MeterUnit(), c.Unit) << c.Key << c.Value;
    EXPECT_EQ(s.Paper, c.Paper) << c.Key << c.Value;
  }
}

TEST(NewScore, ChannelsSkipTheDrumChannelAndStopAtFifteen) {
  TScoreSetup s;
  s.Parts.assign(17, TSetupPart{});
  std::vector<int> ch = SetupChannels(s);
  EXPECT_EQ(ch[8], 8);
  EXPECT_EQ(ch[9], 10);
  EXPECT_EQ(ch[14], 15);
  EXPECT_EQ(ch[15], 15);
  EXPECT_EQ(ch[16], 15);
  TSetupPart drums;
  drums.Staves[0].Clef = 14;
  s.Parts = {TSetupPart{}, drums, TSetupPart{}};
  EXPECT_EQ(SetupChannels(s), (std::vector<int>{0, 9, 1}));
}

TEST(NewScore, GroupedInstrumentsShareOneAccolade) {
  TQSInstrumentDescription violin, viola, flute;
  for (auto* d : {&violin, &viola}) {
    d->Group = "Strings";
    d->Fields.AccoladeScope = 2;
    d->Fields.AccoladeKind = 1;
  }
  flute.Group = "Woodwinds";
  flute.Fields.AccoladeScope = 2;
  TScoreSetup s;
  SetInstrumentParts(s, {&flute, &violin, &violin, &viola}, true);
  ASSERT_EQ(s.Parts.size(), 4u);
  EXPECT_EQ(s.Parts[0].Accolades, (std::vector<TSetupAccolade>{{0, 0}}));
  EXPECT_EQ(s.Parts[1].Accolades, (std::vector<TSetupAccolade>{{1, 2}}));
  EXPECT_TRUE(s.Parts[2].Accolades.empty());
  SetInstrumentParts(s, {&flute, &violin}, false);  // ungrouped: one each
  EXPECT_EQ(s.Parts[1].Accolades, (std::vector<TSetupAccolade>{{1, 0}}));
}

// Every shipped template builds a score of its parts, and the string
// quartet holds what a quartet needs.
TEST(NewScore, EveryShippedTemplateBuildsAScore) {
  test::TProgramFolder folder(true);
  const std::vector<std::string> names = TemplateNames();
  EXPECT_EQ(names.size(), 7u);
  for (const std::string& name : names) {
    TScoreSetup s;
    LoadScoreTemplate(FindTemplateFile(name), s);
    TQSScore score;
    BuildSetupScore(score, s, 16);
    FinishScore(score);
    ASSERT_EQ(score.PieceCount(), 1) << name;
    TQSPiece* piece = score.GetPiece(0);
    EXPECT_EQ(piece->PartCount(), static_cast<int>(s.Parts.size())) << name;
    EXPECT_EQ(piece->ColumnCount(), 16) << name;
    for (int p = 0; p < piece->PartCount(); ++p) {
      EXPECT_EQ(piece->GetPart(p)->MeasureCount(), 16) << name;
      EXPECT_EQ(piece->GetPart(p)->StaffCount(), static_cast<int>(s.Parts[size_t(p)].Staves.size())) << name;
    }
  }
  TScoreSetup q;
  LoadScoreTemplate(FindTemplateFile("String quartet"), q);
  q.Beats = 3;
  for (auto& p : q.Parts) p.Key = 2;  // D major
  TQSScore score;
  BuildSetupScore(score, q, 16);
  TQSPiece* piece = score.GetPiece(0);
  const int clefs[] = {1, 1, 3, 2};
  for (int p = 0; p < 4; ++p) {
    TQSMeasure* first = piece->GetPart(p)->GetMeasure(0);
    int clef = 0, key = -1;
    for (TQSItem* item : first->Items) {
      if (item->ItemType == kind::Clef) clef = static_cast<TQSMark*>(item)->Fields.Kind;
      if (item->ItemType == kind::Key) key = static_cast<TQSMark*>(item)->Fields.Kind;
    }
    EXPECT_EQ(clef, clefs[p]);
    EXPECT_EQ(key, 2);
    EXPECT_EQ(piece->GetPart(p)->Channel(), p);
  }
  EXPECT_EQ(piece->GetPart(0)->Name, "Violin I");
  EXPECT_EQ(static_cast<TQSMark*>(piece->GetColumn(0)->GetItem(0))->Fields.Value, 0x0304);
}

// The texts of the measure numbers laid out on the score's pages, in order.
std::vector<std::string> LaidOutNumbers(const TQSScore& score) {
  std::vector<std::string> out;
  for (int p = 0; p < score.LaidOutPages; ++p) {
    const TQSCalcPage* page = score.LayoutPages.At(static_cast<size_t>(p));
    for (int y = 0; page && y < page->SystemCount; ++y) {
      const TQSCalcSystem* system = page->Systems.At(static_cast<size_t>(y));
      for (int m = 0; system && m < system->MeasureCount; ++m) {
        const TQSCalcMeasure* slot = system->Measures.At(static_cast<size_t>(m));
        for (int i = 0; slot && i < slot->ItemCount; ++i)
          if (const TQSCalcItem* e = slot->Items.At(i); e->Item && e->Item->ItemType == kind::MeasureNumbering)
            out.push_back(e->Text);
      }
    }
  }
  return out;
}

// A new score of N measures is N measures wherever it is seen: as the
// wizard lays it out, and saved and opened again as printing and export
// lay it out. The empty measures that fill the page after them are no
// measures of the score: they are neither numbered nor used.
TEST(NewScore, LaysOutExactlyItsMeasures) {
  InstallLayout();
  LoadMusicFont();
  test::TProgramFolder folder(true);
  TScoreSetup quartet;
  LoadScoreTemplate(FindTemplateFile("String quartet"), quartet);
  struct Case {
    const char* name;
    TScoreSetup setup;
    int measures;
  };
  const Case cases[] = {{"built-in", BuiltInSetup(), 8}, {"quartet", quartet, 16}, {"one", BuiltInSetup(), 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> expected;
    for (int m = 1; m <= c.measures; ++m) expected.push_back(std::to_string(m));
    TQSScore built;
    BuildSetupScore(built, c.setup, c.measures);
    built.Recalculate(0);
    EXPECT_EQ(LaidOutNumbers(built), expected);
    EXPECT_EQ(built.UsedMeasures, c.measures);

    FinishScore(built);
    TMemoryStream file;
    built.SaveToStream(file);
    file.SetPosition(0);
    TQSScore opened;
    opened.LoadFromStream(file);
    opened.Recalculate(0);
    ASSERT_EQ(opened.GetPiece(0)->ColumnCount(), c.measures);
    EXPECT_EQ(LaidOutNumbers(opened), expected);
    // What print and export draw ends with the last measure used.
    EXPECT_EQ(opened.UsedMeasures, c.measures);
  }
}

}  // namespace
}  // namespace qs
