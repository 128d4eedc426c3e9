// The guitar library editor on guitars of its own: pitch texts, the rows
// of the tuning grid (the top row is the highest string), string counts
// and tunings changed at once, names refused, guitars and frames deleted
// after asking.
#include <gtest/gtest.h>

#include "palettes/pitchpicker.h"

#include <memory>
#include <string>
#include <vector>

#include "chords/guitar.h"
#include "chords/guitarlist.h"
#include "platform/comctrls.h"
#include "platform/forms.h"
#include "uikit/gridstring.h"

namespace qs {
namespace {

class GuitarListTest : public ::testing::Test {
 protected:
  TFGuitarList::TGuitars Guitars;
  std::unique_ptr<TFGuitarList> Dialog;
  std::vector<int> Replies;
  std::vector<std::string> Asked;

  void SetUp() override {
    for (const char* name : {"Six", "Bass"}) {
      auto g = std::make_unique<TQSGuitarDescription>();
      g->Name = name;
      g->FileName = std::string(name) + ".gtr";
      g->StringCount = name[0] == 'S' ? 6 : 4;
      for (int s = 0; s < g->StringCount; ++s) g->SetTuning(s, static_cast<uint8_t>(40 + 5 * s));
      Guitars.push_back(std::move(g));
    }
    for (const char* chord : {"\x03\x00\x00\x10", "\x03\x00\x04\x10"}) {  // C, then G
      TQSGuitarFrame* f = Guitars[0]->AddFrame();
      f->Code.assign(chord, chord + 4);
      f->Code[3] = 0x10;
    }
    Dialog = std::make_unique<TFGuitarList>(nullptr, nullptr, Guitars);
    Dialog->Ask = [this](const std::string&, const std::string& text, uint8_t, uint16_t) {
      Asked.push_back(text);
      if (Replies.empty()) return static_cast<int>(mrOk);
      const int r = Replies.front();
      Replies.erase(Replies.begin());
      return r;
    };
  }
};

TEST_F(GuitarListTest, PitchTexts) {
  EXPECT_EQ(PitchText(64), "5 E");
  EXPECT_EQ(PitchText(0), "0 C");
  for (int p : {0, 40, 64, 127}) EXPECT_EQ(PitchOfText(PitchText(p)), p);
  EXPECT_EQ(PitchOfText("x"), -1);
}

TEST_F(GuitarListTest, TheGridShowsTheStringsFromTheHighestAndChangesAtOnce) {
  ASSERT_EQ(Dialog->SelectedGuitar(), Guitars[0].get());
  EXPECT_EQ(Dialog->SGTuning->RowCount(), 6);
  EXPECT_EQ(Dialog->SGTuning->Cells(0, 0), "6");
  EXPECT_EQ(Dialog->SGTuning->Cells(1, 0), PitchText(65));  // string index 5
  EXPECT_EQ(Dialog->SGTuning->Cells(1, 5), PitchText(40));
  Dialog->TuningChosen(false, 0, 64);
  EXPECT_EQ(Guitars[0]->GetTuning(5), 64);
  EXPECT_EQ(Dialog->SGTuning->Cells(1, 0), "5 E");
  Dialog->SetStringCount(8);
  EXPECT_EQ(Guitars[0]->StringCount, 8);
  EXPECT_EQ(Dialog->SGTuning->RowCount(), 8);
  EXPECT_EQ(Dialog->SGTuning->Cells(0, 0), "8");
  Dialog->SetStringCount(99);
  EXPECT_EQ(Guitars[0]->StringCount, TQSGuitarDescription::kMaxStrings);
  EXPECT_EQ(Dialog->LVChords->ItemCount(), 2);
  EXPECT_EQ(Dialog->LVChords->ItemCaption(0), "C");
  // The second guitar.
  Dialog->LVGuitars->SetItemIndex(1);
  Dialog->ShowGuitar();
  EXPECT_EQ(Dialog->SGTuning->RowCount(), 4);
  EXPECT_EQ(Dialog->LVChords->ItemCount(), 0);
}

TEST_F(GuitarListTest, NamesThatCannotBeAGuitarsAreRefused) {
  for (const std::string name : {"", "  ", "six", "../Escaped", "a/b", "..", "bad:name"}) {
    SCOPED_TRACE(name);
    Asked.clear();
    EXPECT_FALSE(Dialog->ValidateName(name));
    EXPECT_EQ(Asked.size(), 1u);
  }
  EXPECT_TRUE(Dialog->ValidateName(" Lute "));
  Dialog->AddGuitar("Lute");
  ASSERT_EQ(Guitars.size(), 3u);
  EXPECT_EQ(Guitars[2]->FileName, "Lute.gtr");
  EXPECT_EQ(Dialog->SelectedGuitar(), Guitars[2].get());
}

TEST_F(GuitarListTest, DeletingAsksFirst) {
  Replies = {mrNo};
  EXPECT_FALSE(Dialog->DeleteFrame());
  EXPECT_EQ(Guitars[0]->GetFrameCount(), 2);
  Replies = {mrYes};
  EXPECT_TRUE(Dialog->DeleteFrame());
  EXPECT_EQ(Guitars[0]->GetFrameCount(), 1);
  EXPECT_EQ(Dialog->LVChords->ItemCount(), 1);
  Dialog->LVGuitars->SetItemIndex(1);
  Dialog->ShowGuitar();
  Replies = {mrNo};
  EXPECT_FALSE(Dialog->DeleteGuitar());
  EXPECT_EQ(Guitars.size(), 2u);
  Replies = {mrYes};
  EXPECT_TRUE(Dialog->DeleteGuitar());
  ASSERT_EQ(Guitars.size(), 1u);
  EXPECT_EQ(Dialog->SelectedGuitar(), Guitars[0].get());
}

}  // namespace
}  // namespace qs
