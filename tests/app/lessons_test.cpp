// Lessons run on the program as built: a lesson's pointer clicks the real
// palette and the real score view, its callouts wait for Next, and the
// score it leaves behind holds what it entered; Esc stops a lesson.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>

#include "app/fileeditor.h"
#include "app/mainwindow.h"
#include "help/callout.h"
#include "help/lessonplayer.h"
#include "interchange/musicxml.h"
#include "layout/layout.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "platform/timers.h"
#include "platform/forms.h"
#include "score/item.h"
#include "score/measure.h"
#include "score/pageobjects.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "uikit/language.h"
#include "uikit/settings.h"

using namespace qs;
namespace td = qs::testdriver;

namespace {

bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 20000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    td::ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

class LessonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallLayout();
    if (!GlobalLanguage()) (new TECLanguage(&languageOwner_))->SetLanguage(kDefaultLanguage);
    dir_ = ::testing::TempDir() + "qs_lessons_" + std::to_string(::getpid()) + "/";
    ASSERT_EQ(std::system(("rm -rf '" + dir_ + "' && mkdir -p '" + dir_ + "'").c_str()), 0);
    settings_ = std::make_unique<TSettings>(dir_ + "ProgramSetting.ini");
    SetProgramSettings(settings_.get());
    main_ = std::make_unique<TFProgramModule>(nullptr, settings_.get());
    main_->SetWindowState(TWindowState::wsNormal);
    main_->SetBounds(0, 0, 1100, 800);
    td::ShowAndWait(*main_);
    TLessonPlayer::SetSpeedForTesting(20);
  }
  void TearDown() override {
    TLessonPlayer::SetSpeedForTesting(1);
    if (!main_) return;
    for (int i = 0; i < main_->DocumentCount(); ++i) main_->Document(i)->SetModified(false);
    main_.reset();
    SetProgramSettings(nullptr);
  }
  // Runs the lesson to its end, answering each callout that waits with
  // Next (its stop callout with Stop). The answers come from a timer, so
  // that they come also while a modal window the lesson opened runs its
  // own loop; a window the lesson left open fails the lesson and is closed.
  bool RunLesson(const std::string& name) {
    main_->StartLesson(name);
    if (!main_->LessonRunning()) return false;
    bool leftOpen = false;
    TTimer answer(nullptr);
    answer.SetInterval(20);
    answer.OnTimer = [&](TObject*) {
      TLessonPlayer* lesson = main_->Lesson();
      if (!lesson || !lesson->Running()) {
        if (TCustomForm* f = Screen().ActiveForm(); f && f->Modal()) {
          leftOpen = true;
          f->SetModalResult(mrCancel);
        }
        return;
      }
      TFShowModule* callout = lesson->Callout();
      if (callout && callout->Visible() && callout->Mode() != TFShowModule::TMode::Timed && callout->Answer() == 0)
        td::Click(callout->Mode() == TFShowModule::TMode::Modal ? *callout->BBNext : *callout->BBStop, 10, 10);
    };
    answer.SetEnabled(true);
    const bool ended = PumpUntil([&] { return !main_->LessonRunning(); }, 60000);
    return ended && !leftOpen;
  }
  TFFileEditor* Sample() {
    for (int i = 0; i < main_->DocumentCount(); ++i)
      if (main_->Document(i)->Name() == "SampleForm") return main_->Document(i);
    return nullptr;
  }
  // "tick:key" of the notes of the first measure of the first part.
  static std::vector<std::string> Notes(TQSScore& score) {
    std::vector<std::string> out;
    TQSMeasure* m = score.GetPiece(0)->GetPart(0)->GetMeasure(0);
    for (const TQSItem* item : m->Items)
      if (const auto* n = dynamic_cast<const TQSNote*>(item))
        out.push_back(std::to_string(n->Fields.Time) + ":" + std::to_string(n->SoundingKey));
    return out;
  }
  TComponent languageOwner_{nullptr};
  std::string dir_;
  std::unique_ptr<TSettings> settings_;
  std::unique_ptr<TFProgramModule> main_;
};

TEST_F(LessonTest, Notes) {
  ASSERT_TRUE(RunLesson("Notes"));
  TFFileEditor* sample = Sample();
  ASSERT_NE(sample, nullptr);
  EXPECT_EQ(Notes(sample->Score()), (std::vector<std::string>{"0:72", "128:74", "256:76", "384:72"}));
}

// The wizard makes the new score with the title typed into it.
TEST_F(LessonTest, FirstScore) {
  ASSERT_TRUE(RunLesson("FirstScore"));
  ASSERT_EQ(main_->DocumentCount(), 1);
  TQSScore& score = main_->Document(0)->Score();
  bool titled = false;
  for (int i = 0; i < score.ItemCount(); ++i)
    if (auto* text = dynamic_cast<TQSText*>(score.Items.Get(i)); text && !text->Lines.empty())
      titled = titled || text->Lines[0] == "My first song";
  EXPECT_TRUE(titled);
}

// Each lesson runs to its end and leaves in the sample score what it
// showed how to enter.
TEST_F(LessonTest, EveryLessonLeavesItsWork) {
  const struct {
    const char* Name;
    TQSItemType Kind;
    int Measure;  // -1: a page object
  } kLessons[] = {
      {"Symbols", kind::Dynamics, 1}, {"Texts", kind::Lyric, 2},
      {"Chords", kind::Chord, 3},     {"Design", kind::Rectangle, -1}, {"Playing", kind::Note, 0},
      {"Printing", 0, 0},
  };
  std::string last;
  for (const auto& l : kLessons) {
    SCOPED_TRACE(l.Name);
    if (l.Name != last) {
      ASSERT_TRUE(RunLesson(l.Name));
      EXPECT_FALSE(main_->LessonRunning());
      last = l.Name;
    }
    TFFileEditor* sample = Sample();
    ASSERT_NE(sample, nullptr);
    if (l.Kind == 0) continue;
    TQSScore& score = sample->Score();
    int count = 0;
    if (l.Measure < 0) {
      for (int i = 0; i < score.ItemCount(); ++i) count += score.Items.Get(i)->ItemType == l.Kind;
    } else {
      for (int m = l.Measure; m < score.GetPiece(0)->GetPart(0)->MeasureCount(); ++m)
        for (const TQSItem* item : score.GetPiece(0)->GetPart(0)->GetMeasure(m)->Items) count += item->ItemType == l.Kind;
    }
    std::string kinds;
    for (int m = 0; m < 4; ++m) {
      kinds += " |";
      for (const TQSItem* item : score.GetPiece(0)->GetPart(0)->GetMeasure(m)->Items)
        kinds += " " + std::to_string(item->ItemType) + "@" + std::to_string(item->TimePosition());
    }
    for (int i = 0; i < score.ItemCount(); ++i) kinds += " p" + std::to_string(score.Items.Get(i)->ItemType);
    EXPECT_GT(count, 0) << "kind " << int(l.Kind) << kinds;
  }
}

}  // namespace
