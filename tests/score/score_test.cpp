#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "score_fixture.h"

using namespace qs;
using namespace qs::test;

namespace {

// Records the layout passes and events of a score.
struct TScoreLog {
  TQSScore& Score;
  std::vector<int> Passes;  // start page of each layout pass
  int Changed = 0, ActiveChanged = 0;

  explicit TScoreLog(TQSScore& score) : Score(score) {
    score.LayoutPass = [this](TQSScore&, int from) { Passes.push_back(from); };
    score.OnChanged = [this](TObject*) { ++Changed; };
    score.OnActiveWindowChanged = [this](TObject*) { ++ActiveChanged; };
  }
};

class ScoreTest : public ::testing::Test, public TTreeFixture {};

}  // namespace

TEST(ScoreDocument, ANewScore) {
  int passes = 0;
  TQSScore::SetDefaultLayoutPass([&](TQSScore&, int from) {
    EXPECT_EQ(from, 0);
    ++passes;
  });
  TQSScore score;
  TQSScore::SetDefaultLayoutPass(nullptr);
  EXPECT_EQ(passes, 1);  // the first pass resets the layout state
  EXPECT_EQ(score.PieceCount(), 0);
  EXPECT_EQ(score.WindowCount(), 0);
  EXPECT_EQ(score.ActiveWindow(), nullptr);
  EXPECT_EQ(score.FileVersion, 1025);
  EXPECT_EQ(score.Align, 12);
  EXPECT_EQ(score.AutoJoin, 2);
  EXPECT_EQ((std::vector<int>{score.Spacing1, score.Spacing2, score.Spacing3, score.Spacing4, score.Spacing5}),
            (std::vector<int>{24, 56, 16, 32, 8}));
  EXPECT_EQ(score.PendingStartPage, -1);
  EXPECT_EQ(score.MusicFontName, "Quavero Symbols");
  EXPECT_EQ(score.TextFontName, "Arial");
  EXPECT_EQ(score.RecordQuantize, 32);
  EXPECT_TRUE(score.AutoLyric);
  EXPECT_EQ(score.MaxUndo, 16);
}

TEST(ScoreDocument, SettingsBlockLayout) {
  TQSScore score;
  score.Scale = 0x01020304;
  score.Optimization = false;
  score.NoteInterval = 7;
  score.StemLength = 21;
  score.ViewStyle = TQSViewStyle::vsPart;
  score.Align = 25;
  score.AutoJoin = 26;
  score.HorzAlign = 27;
  score.VertAlign = 28;
  score.PrintEmptyMeasures = 29;
  score.PrintEmptyLines = 30;
  score.PrintMeasureNumbers = 31;
  score.PageCount = 32;
  score.EmptyPages = 38;
  score.Spacing1 = 40;
  score.Spacing2 = 42;
  score.Spacing3 = 44;
  score.Spacing4 = 46;
  score.Spacing5 = 48;
  TQSScoreSettings settings = score;
  TBlockIO b = TBlockIO::Writer();
  settings.VisitSettings(b);
  const std::vector<uint8_t>& bytes = b.Written();
  ASSERT_EQ(bytes.size(), 52u);
  EXPECT_EQ((std::vector<uint8_t>(bytes.begin(), bytes.begin() + 5)), (std::vector<uint8_t>{4, 3, 2, 1, 0}));
  EXPECT_EQ(bytes[16], 7);
  EXPECT_EQ(bytes[20], 21);
  for (int offset = 24; offset <= 32; ++offset) EXPECT_EQ(bytes[offset], offset == 24 ? 1 : offset) << offset;
  for (int offset = 38; offset <= 48; offset += 2) EXPECT_EQ(bytes[offset], offset) << offset;
}

TEST_F(ScoreTest, SettersActOnlyOnChange) {
  TLockedView view;
  Score.AttachWindow(&view);
  TScoreLog log(Score);
  // Counts: layout passes, OnChanged, page repaints, button bar repaints.
  struct {
    const char* Name;
    std::function<void()> Set;
    std::vector<int> Counts;
  } cases[] = {
      {"scale", [&] { Score.SetScale(80); }, {1, 1, 1, 0}},
      {"auto lyric", [&] { Score.SetAutoLyric(false); }, {1, 1, 1, 0}},
      {"auto join", [&] { Score.SetAutoJoin(3); }, {0, 1, 0, 0}},
      {"note interval", [&] { Score.SetNoteInterval(4); }, {1, 0, 1, 0}},
      {"view style", [&] { Score.SetViewStyle(TQSViewStyle::vsPart); }, {1, 0, 1, 0}},
      {"align", [&] { Score.SetAlign(104); }, {1, 1, 1, 0}},
      {"horizontal align", [&] { Score.SetHorzAlign(0); }, {1, 1, 1, 0}},
      {"vertical align", [&] { Score.SetVertAlign(0); }, {1, 1, 1, 0}},
      {"page count", [&] { Score.SetPageCount(4); }, {1, 1, 1, 0}},
      {"empty pages", [&] { Score.SetEmptyPages(2); }, {1, 1, 1, 0}},
      {"note names", [&] { Score.SetNoteNames("CDEFGAH"); }, {0, 0, 1, 0}},
      {"flageolet name", [&] { Score.SetFlazholetName("fl."); }, {0, 0, 1, 0}},
      {"insert name", [&] { Score.SetInsertName("Ins"); }, {0, 0, 0, 1}},
      {"overwrite name", [&] { Score.SetOverwriteName("Ovr"); }, {0, 0, 0, 1}},
      {"add state", [&] { Score.SetAddState(TQSAddState::asInsert); }, {0, 0, 0, 1}},
      {"stem length", [&] { Score.SetStemLength(25); }, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    auto counts = [&] {
      return std::vector<int>{static_cast<int>(log.Passes.size()), log.Changed, view.PageRepaints,
                              view.ButtonBarRepaints};
    };
    const std::vector<int> before = counts();
    for (int twice = 0; twice < 2; ++twice) {  // the same value again does nothing
      c.Set();
      std::vector<int> delta = counts();
      for (size_t i = 0; i < delta.size(); ++i) delta[i] -= before[i];
      EXPECT_EQ(delta, c.Counts);
    }
  }
  EXPECT_EQ(log.Passes, std::vector<int>(log.Passes.size(), 0));
  // Align only stores while the host restores the settings.
  Score.Loading = true;
  Score.SetAlign(12);
  Score.Recalculate(3);
  Score.Loading = false;
  EXPECT_EQ(Score.Align, 12);
  EXPECT_EQ(log.Passes.size(), 9u);
}

TEST_F(ScoreTest, UpdateLockDefersToTheLowestRequestedPage) {
  TLockedView view;
  Score.AttachWindow(&view);
  TScoreLog log(Score);
  struct {
    std::vector<int> Requests;
    int From;
  } cases[] = {{{5, 2}, 2}, {{2, 5}, 2}, {{-3, 4}, 0}, {{7}, 7}};
  for (const auto& c : cases) {
    log.Passes.clear();
    view.PageRepaints = 0;
    Score.BeginUpdate();
    Score.BeginUpdate();
    for (int page : c.Requests) {
      Score.Recalculate(page);
      Score.RefreshWindows();
      Score.RefreshWindowRulers();
    }
    EXPECT_EQ(Score.PendingStartPage, c.From);
    Score.EndUpdate();
    EXPECT_TRUE(log.Passes.empty());
    EXPECT_EQ(view.PageRepaints, 0);
    Score.EndUpdate();
    EXPECT_EQ(log.Passes, std::vector<int>{c.From});
    EXPECT_EQ(view.PageRepaints, 1);
    EXPECT_EQ(view.RulerRepaints, 1);
    view.RulerRepaints = 0;
    EXPECT_EQ(Score.PendingStartPage, -1);
  }
  // An EndUpdate without BeginUpdate acts as the last release.
  log.Passes.clear();
  Score.EndUpdate();
  EXPECT_TRUE(log.Passes.empty());
  EXPECT_FALSE(Score.Updating());
}

TEST_F(ScoreTest, APieceIsLaidOutFromItsFirstPage) {
  TScoreLog log(Score);
  TQSPiece* second = Score.NewPiece();  // from the last laid-out page, at least 0
  for (int i = 0; i < 3; ++i) Score.LayoutPages.Need(static_cast<size_t>(i))->FirstPiece = i == 2 ? 1 : 0;
  Score.LaidOutPages = 3;
  Score.RecalculatePiece(second->Index);
  Score.RecalculatePiece(5);  // no page begins with it
  Score.NewPiece();
  EXPECT_EQ(log.Passes, (std::vector<int>{0, 2, 2}));
}

TEST_F(ScoreTest, ViewsAndTheActiveView) {
  TScoreLog log(Score);
  TLockedView a, b, c;
  Score.AttachWindow(&a);
  Score.AttachWindow(&b);
  Score.AttachWindow(&c);
  EXPECT_EQ(a.Score, &Score);
  EXPECT_EQ(Score.ActiveWindow(), &a);

  Score.NavigatorMarkerDrawn = true;
  Score.SetActiveWindow(&c);
  EXPECT_EQ(a.MarkerCalls, std::vector<bool>{false});
  EXPECT_EQ(c.MarkerCalls, std::vector<bool>{true});
  EXPECT_EQ(log.ActiveChanged, 1);

  // Detaching the active view leaves the index; reading clamps it.
  Score.DetachWindow(&c);
  EXPECT_EQ(c.Score, nullptr);
  EXPECT_EQ(Score.ActiveWindow(), &b);
  EXPECT_EQ(Score.ActiveWindowIndex(), 1);
  Score.DetachWindow(&a);
  Score.DetachWindow(&b);
  EXPECT_EQ(Score.ActiveWindow(), nullptr);
  Score.SetActiveWindow(&a);  // not attached: none is active
  EXPECT_EQ(Score.ActiveWindowIndex(), -1);
}

TEST(ScoreDocument, ViewsAndScoresFreedInEitherOrder) {
  // A view outliving its score must not keep a pointer to it, nor a score
  // outliving a view keep the view: either would be used after it is freed.
  TLockedView view;
  auto score = std::make_unique<TQSScore>();
  score->AttachWindow(&view);
  score.reset();
  EXPECT_EQ(view.Score, nullptr);

  TQSScore kept;
  auto gone = std::make_unique<TLockedView>();
  kept.AttachWindow(gone.get());
  gone.reset();
  EXPECT_EQ(kept.WindowCount(), 0);
  EXPECT_EQ(kept.ActiveWindow(), nullptr);
}

TEST_F(ScoreTest, CursorAccessors) {
  EXPECT_EQ(Score.CurrentPart(), nullptr);
  EXPECT_EQ(Score.EnsureMeasure(3), nullptr);
  TLockedView view;
  Score.AttachWindow(&view);
  Part->NewMeasure();
  view.CursorPosition = {0, 0, 0, 1, 0, 0, 0};
  EXPECT_EQ(Score.CurrentPiece(), Piece);
  EXPECT_EQ(Score.CurrentPart(), Part);
  EXPECT_EQ(Score.CurrentStaff(), Staff);
  EXPECT_EQ(Score.CurrentVoice(), Staff->GetVoice(0));
  EXPECT_EQ(Score.CurrentMeasure(), Part->GetMeasure(1));
  EXPECT_EQ(Score.CurrentColumn(), nullptr);

  // Measures 2 to 5 are made, in order.
  TQSMeasure* fifth = Score.EnsureMeasure(5);
  EXPECT_EQ(Part->MeasureCount(), 6);
  EXPECT_EQ(fifth, Part->GetMeasure(5));
  EXPECT_EQ(fifth->Index, 5);
  view.CursorPosition.Measure = 7;
  EXPECT_EQ(Score.CurrentMeasure(), nullptr);
  TQSMeasure* seventh = Score.EnsureMeasure(-1);
  EXPECT_EQ(seventh, Part->GetMeasure(7));
  TQSColumn* column = Score.EnsureColumn(-1);
  EXPECT_EQ(column, Piece->GetColumn(7));
  EXPECT_EQ(Piece->ColumnCount(), 8);
  // Also when the part's registration was suspended.
  Part->RegistrationSuspended = true;
  TQSMeasure* eighth = Score.EnsureMeasure(8);
  EXPECT_EQ(eighth, Part->GetMeasure(8));
  EXPECT_TRUE(Part->RegistrationSuspended);

  for (auto position : {TQSCursorPosition{0, 1, 0, 0, 0, 0, 0}, TQSCursorPosition{0, 0, 1, 0, 0, 0, 0},
                        TQSCursorPosition{0, 0, 0, 0, 1, 0, 0}, TQSCursorPosition{0, 0, 0, 0, 0, 3, 0}}) {
    view.CursorPosition = position;
    EXPECT_EQ(Score.CurrentVoice(), nullptr);
  }
}

TEST_F(ScoreTest, AssignCopiesTheDocumentButNotItsViewSettings) {
  TRichScoreFixture source;
  source.Score.NewPiece();
  source.Score.NoteInterval = 9;
  source.Score.Description.Add("source");
  Score.NoteInterval = 3;
  Score.Description.Add("mine");
  TLockedView view;
  Score.AttachWindow(&view);
  TScoreLog log(Score);
  Score.Assign(source.Score);
  EXPECT_EQ(Score.PieceCount(), 3);
  EXPECT_EQ(Score.GetPiece(1)->Tempo(), 52);
  EXPECT_EQ(Score.GetPiece(0)->PartCount(), 2);
  EXPECT_EQ(Score.ItemCount(), source.Score.ItemCount());
  EXPECT_EQ(Score.Scale, 90);
  EXPECT_EQ(Score.Align, 14);
  EXPECT_EQ(Score.EmptyPages, 1);
  EXPECT_EQ(Score.DrumInstrumentCount(), 2);
  EXPECT_EQ(Score.NoteInterval, 3);
  EXPECT_EQ(Score.Description, TStringList{"mine"});
  EXPECT_EQ(Score.UserSymbolCount(), 0);
  EXPECT_EQ(Score.Spacing2, 56);
  EXPECT_EQ(Score.Page.Fields.Orientation, 1);
  // One pass, from the first page, for everything the copy requested.
  EXPECT_EQ(log.Passes, std::vector<int>{0});
  EXPECT_EQ(view.PageRepaints, 1);

  TQSPage page;
  EXPECT_EQ([&] {
    try {
      Score.Assign(page);
    } catch (const Exception& e) {
      return e.Message();
    }
    return std::string();
  }(), "Cannot assign a TQSPage to a TQSScore");
  EXPECT_EQ(Score.PieceCount(), 3);
}

TEST_F(ScoreTest, HostAnswersAndTheirDefaults) {
  int v1 = 0, v2 = 0;
  EXPECT_EQ(Score.GetDinamics(110, 3), 64);
  EXPECT_FALSE(Score.GetTerms(1, {"cresc."}, v1, v2));
  Score.OnGetDinamics = [](TObject*, int type, int kind) { return type + kind; };
  Score.OnGetTerms = [](TObject* sender, int kind, const std::vector<std::string>& text, int& a, int& b) {
    EXPECT_NE(sender, nullptr);
    a = kind;
    b = static_cast<int>(text.size());
    return true;
  };
  EXPECT_EQ(Score.GetDinamics(110, 3), 113);
  EXPECT_TRUE(Score.GetTerms(2, {"rit.", "x"}, v1, v2));
  EXPECT_EQ((std::vector<int>{v1, v2}), (std::vector<int>{2, 2}));
}
