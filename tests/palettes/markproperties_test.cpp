// The mark property dialogs: how each turns its controls into the values
// its callers store, at the edges of their ranges, and what the barre and
// harmonic dialogs keep for the next time.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "base/inifile.h"
#include "palettes/markproperties.h"
#include "platform/comctrls.h"
#include "platform/extctrls.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "uikit/charbutton.h"

namespace qs::test {
namespace {

namespace td = qs::testdriver;

TEST(RehearsalNumber, LettersBothWays) {
  struct TCase {
    int Number;
    const char* Letters;
  } const cases[] = {{1, "A"}, {26, "Z"}, {27, "AA"}, {28, "AB"}, {52, "AZ"}, {53, "BA"}, {702, "ZZ"}, {703, "AAA"}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Number);
    EXPECT_EQ(RehearsalLetters(c.Number), c.Letters);
    EXPECT_EQ(RehearsalLettersValue(c.Letters), c.Number);
  }
  EXPECT_EQ(RehearsalLetters(0), "A");
  EXPECT_EQ(RehearsalLetters(-4), "A");
  EXPECT_EQ(RehearsalLettersValue(""), 0);
  EXPECT_EQ(RehearsalLettersValue("A1"), 0);
}

TEST(RehearsalNumber, TypedKeys) {
  struct TCase {
    char16_t Key;
    bool Digits;
    char16_t Becomes;
  } const cases[] = {
      {u'z', false, u'Z'}, {u'B', false, u'B'}, {u'1', false, 0}, {u'0', true, 0},
      {u'1', true, u'1'},  {u'9', true, u'9'},  {u'a', true, 0},  {8, true, 8},
      {8, false, 8},       {u' ', false, 0},    {u'-', true, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Key));
    EXPECT_EQ(RehearsalTypedKey(c.Key, c.Digits), c.Becomes);
  }
}

TEST(RehearsalNumber, TheDialogShowsAndReadsItsKind) {
  TFRehearsalMarkCount dialog(nullptr, nullptr);
  dialog.SetValue(27);
  EXPECT_EQ(dialog.CBValue->Text(), "AA");
  EXPECT_EQ(dialog.CBValue->Items().Count(), 26);
  int number = 0;
  dialog.CBValue->SetText("AB");
  ASSERT_TRUE(dialog.GetValue(number));
  EXPECT_EQ(number, 28);
  // A small letter typed goes in as its capital.
  td::ShowAndWait(dialog);
  dialog.CBValue->SetText("");
  dialog.CBValue->SetFocus();
  td::TypeText(*dialog.CBValue, "z");
  EXPECT_EQ(dialog.CBValue->Text(), "Z");
  dialog.SetDigits(true);
  EXPECT_EQ(dialog.CBValue->Items().Count(), 99);
  dialog.SetValue(12);
  EXPECT_EQ(dialog.CBValue->Text(), "12");
  ASSERT_TRUE(dialog.GetValue(number));
  EXPECT_EQ(number, 12);
  // A zero typed is dropped; nothing entered is no number.
  dialog.CBValue->SetText("");
  td::TypeText(*dialog.CBValue, "0");
  EXPECT_EQ(dialog.CBValue->Text(), "");
  EXPECT_FALSE(dialog.GetValue(number));
}

TEST(SectionDialog, NumberAndCountStayWithinOneToTwenty) {
  TFPartComposition dialog(nullptr, nullptr);
  EXPECT_EQ(dialog.Number(), 1);
  EXPECT_EQ(dialog.Count(), 1);
  dialog.ENumber->SetText("25");
  dialog.ECount->SetText("0");
  EXPECT_EQ(dialog.Number(), 20);
  EXPECT_EQ(dialog.Count(), 1);
}

TEST(BarreDialog, StyleByte) {
  TFBarreProperties dialog(nullptr, nullptr);
  // The default: type 1, half the strings, no brackets.
  EXPECT_EQ(dialog.GetBarreStyle(), 19);
  EXPECT_EQ(dialog.GetFret(), 1);
  struct TCase {
    int Style, Type;
    TRadioButton* Amount;  // null: none checked
    bool Brackets;
    int ReadBack;
  } const cases[] = {
      {0x93, 1, dialog.RB12, true, 0x93}, {0x00, 0, dialog.RBAll, false, 0x00}, {0x25, 2, dialog.RB56, false, 0x25},
      {0x81, 0, dialog.RB16, true, 0x81}, {0x17, 1, nullptr, false, 0x10},  // no amount 7: all strings
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Style);
    dialog.SetBarreStyle(c.Style);
    EXPECT_TRUE(dialog.RBType[static_cast<size_t>(c.Type)]->Checked());
    for (TRadioButton* rb : {dialog.RBAll, dialog.RB16, dialog.RB13, dialog.RB12, dialog.RB23, dialog.RB56})
      EXPECT_EQ(rb->Checked(), rb == c.Amount) << rb->Name();
    EXPECT_EQ(dialog.CBBrackets->Checked(), c.Brackets);
    EXPECT_EQ(dialog.GetBarreStyle(), c.ReadBack);
  }
  dialog.SetFret(40);
  EXPECT_EQ(dialog.GetFret(), 31);
}

TEST(HarmonicDialog, FretsAndTheirStrip) {
  struct TRoman {
    int N;
    const char* Text;
  } const numerals[] = {{1, "I"}, {4, "IV"}, {9, "IX"}, {10, "X"}, {14, "XIV"}, {19, "XIX"}, {20, "XX"}, {24, "XXIV"}};
  for (const TRoman& r : numerals) EXPECT_EQ(RomanFret(r.N), r.Text);

  TFFlajoletProperties dialog(nullptr, nullptr);
  EXPECT_EQ(dialog.Frets[13]->Caption(), "XIV");
  EXPECT_EQ(dialog.GetFret(), 0);
  // A fret beyond the view brings its button to the right end; one left
  // of it to the left end.
  struct TCase {
    int Fret, StripLeft;
  } const cases[] = {{23, 345 - 23 * 23}, {20, 345 - 23 * 23}, {2, -46}, {0, 0}, {15, 345 - 23 * 15}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Fret);
    dialog.SetFret(c.Fret);
    EXPECT_EQ(dialog.GetFret(), c.Fret);
    EXPECT_EQ(dialog.StripLeft(), c.StripLeft);
  }
  // No button for 24 and more: the dialog answers fret 0 ("I").
  dialog.SetFret(24);
  EXPECT_EQ(dialog.GetFret(), 0);
  // The arrows move the strip a button at a time, never past its ends.
  td::ShowAndWait(dialog);
  dialog.SetFret(0);
  for (int i = 0; i < 12; ++i) td::Click(*dialog.CBFretRight, 10, 10);
  EXPECT_EQ(dialog.StripLeft(), -184);
  td::Click(*dialog.CBFretLeft, 10, 10);
  EXPECT_EQ(dialog.StripLeft(), -161);
  for (int i = 0; i < 12; ++i) td::Click(*dialog.CBFretLeft, 10, 10);
  EXPECT_EQ(dialog.StripLeft(), 0);
  dialog.SetContinue(3);
  EXPECT_EQ(dialog.GetContinue(), 1);
  dialog.SetContinue(2);
  EXPECT_EQ(dialog.GetContinue(), 0);
}

// What a barre or harmonic dialog showed last is the next one's default,
// also after Cancel.
TEST(MarkDialogs, BarreAndHarmonicKeepTheirValues) {
  const std::string file =
      (std::filesystem::temp_directory_path() / ("qs-markprops-" + std::to_string(::getpid()) + ".ini")).string();
  std::filesystem::remove(file);
  {
    TIniFile ini(file);
    {
      TFBarreProperties barre(nullptr, &ini);
      barre.SetFret(7);
      barre.SetBarreStyle(0xA4);
      barre.LineStyle = 3;
      TFFlajoletProperties harmonic(nullptr, &ini);
      harmonic.SetFret(16);
      harmonic.SetContinue(1);
      harmonic.LineStyle = 0;
    }
    EXPECT_EQ(ini.ReadInteger("BarrePropertiesForm", "Style", -1), 0xA4);
    TFBarreProperties barre(nullptr, &ini);
    EXPECT_EQ(barre.GetFret(), 7);
    EXPECT_EQ(barre.GetBarreStyle(), 0xA4);
    EXPECT_EQ(barre.LineStyle, 3);
    TFFlajoletProperties harmonic(nullptr, &ini);
    EXPECT_EQ(harmonic.GetFret(), 16);
    EXPECT_EQ(harmonic.GetContinue(), 1);
    EXPECT_EQ(harmonic.LineStyle, 0);
  }
  std::filesystem::remove(file);
}

TEST(TempoDialog, NoteValueAndTempo) {
  TFTempoProperties dialog(nullptr);
  EXPECT_EQ(dialog.GetNoteValue(), 2);
  struct TCase {
    int Set, Get;
  } const cases[] = {{0, 0}, {1, 1}, {3, 3}, {4, 4}, {7, 2}, {-1, 2}, {2, 2}};
  for (const TCase& c : cases) {
    dialog.SetNoteValue(c.Set);
    EXPECT_EQ(dialog.GetNoteValue(), c.Get) << c.Set;
  }
  dialog.SetTempo(96);
  EXPECT_EQ(dialog.GetTempo(), 96);
  dialog.ETempo->SetText("x");
  EXPECT_EQ(dialog.GetTempo(), 96);
  dialog.ETempo->SetText("72");
  EXPECT_EQ(dialog.GetTempo(), 72);
}

TEST(GraceNoteDialog, DurationRunsAgainstTheTrack) {
  TFVorschlagProperties dialog(nullptr);
  EXPECT_EQ(dialog.GetDuration(), 0);
  struct TCase {
    int Duration, Track;
  } const cases[] = {{64, 8}, {8, 64}, {32, 40}, {16, 56}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Duration);
    dialog.SetDuration(c.Duration);
    EXPECT_FALSE(dialog.RBDefault->Checked());
    EXPECT_EQ(dialog.TBDuration->Position(), c.Track);
    EXPECT_EQ(dialog.GetDuration(), c.Duration);
  }
  dialog.SetDuration(0);
  EXPECT_TRUE(dialog.RBDefault->Checked());
  EXPECT_EQ(dialog.GetDuration(), 0);
  // Moving the track leaves the default.
  dialog.TBDuration->SetPosition(48);
  EXPECT_FALSE(dialog.RBDefault->Checked());
  EXPECT_EQ(dialog.GetDuration(), 24);
  for (bool flag : {false, true}) {
    dialog.SetBefore(flag);
    dialog.SetShort(!flag);
    EXPECT_EQ(dialog.GetBefore(), flag);
    EXPECT_EQ(dialog.GetShort(), !flag);
  }
  dialog.SetNoteInterval(150);
  EXPECT_EQ(dialog.GetNoteInterval(), 100);
}

}  // namespace
}  // namespace qs::test
