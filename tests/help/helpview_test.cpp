// The help viewer on a shown form: wrapping, gaps, blocks, scrolling by
// wheel and drag, topic links and the history, driven by real mouse input.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "../common/library_support.h"
#include "base/safefile.h"
#include "help/xmlhelp.h"
#include "platform/forms.h"
#include "platform/testdriver.h"

namespace qs {
namespace {

namespace td = testdriver;

class HelpViewer : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBounds(50, 50, 260, 200);
    help_ = new TECXMLHelp(form_.get());
    help_->SetParent(form_.get());
    help_->SetBounds(0, 0, 200, 120);
    td::ShowAndWait(*form_);
  }
  // A container of topics made by the packer's writer.
  void Container(const std::vector<std::pair<std::string, std::string>>& topics) {
    std::vector<THelpTopicSource> sources;
    for (const auto& [name, markup] : topics) sources.push_back({name, markup});
    SafeSaveFile(folder_.Dir() + "Help.ENU.xcf", [&](TStream& s) { WriteHelpContainer(s, sources, {}); });
  }
  void Show(const std::vector<std::string>& topics) {
    help_->BeginUpdate();
    help_->ClearTopics();
    for (const std::string& t : topics) help_->AddTopic(t);
    help_->EndUpdate();
    help_->SetFileName(folder_.Dir() + "Help.ENU.xcf");
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const TECHelpRun& r : help_->Runs())
      if (!r.Text.empty()) texts.push_back(r.Text);
    return texts;
  }
  const TECHelpRun* RunOf(const std::string& text) const {
    for (const TECHelpRun& r : help_->Runs())
      if (r.Text == text) return &r;
    return nullptr;
  }
  int Width(const std::string& text) { return help_->Canvas().TextWidth(std::string_view(text)); }

  test::TProgramFolder folder_;
  std::unique_ptr<TForm> form_;
  TECXMLHelp* help_ = nullptr;
};

TEST_F(HelpViewer, WrapsAtBreaksAndNeverInsideAWord) {
  const std::string longWord(60, 'W');
  Container({{"A.xml", "<text>one two three four five six seven eight nine ten eleven</text>"
                       "<text>" + longWord + " end</text>"
                       "<text>call(<font style=\"bold\">x)</font></text>"}});
  Show({"A.xml"});
  std::vector<const TECHelpRun*> runs;
  for (const TECHelpRun& r : help_->Runs())
    if (!r.Text.empty()) runs.push_back(&r);
  ASSERT_GE(runs.size(), 4u);
  // The first paragraph wraps before a blank: its pieces stay within the
  // width, and the next line starts with the break character.
  EXPECT_LE(runs[0]->Rect.Right, help_->ClientWidth() - 4);
  EXPECT_EQ(runs[1]->Text.front(), ' ');
  EXPECT_GT(runs[1]->Rect.Top, runs[0]->Rect.Top);
  // A word longer than the line is not cut: it overflows whole.
  const TECHelpRun* word = nullptr;
  for (const TECHelpRun* r : runs)
    if (r->Text.find(longWord) != std::string::npos) word = r;
  ASSERT_NE(word, nullptr);
  EXPECT_GT(word->Rect.Width(), help_->ClientWidth());
  // An opening bracket joins the next run without the gap.
  const TECHelpRun* call = RunOf("call(");
  const TECHelpRun* x = RunOf("x)");
  ASSERT_TRUE(call && x);
  EXPECT_EQ(x->Rect.Left, call->Rect.Right);

  // With Autosize nothing wraps: one line as wide as the text.
  help_->SetAutosize(true);
  EXPECT_EQ(RunOf("one two three four five six seven eight nine ten eleven")->Rect.Top, 0);
  EXPECT_GT(help_->ContentWidth(), help_->ClientWidth());
}

TEST_F(HelpViewer, BreaksAndRules) {
  Container({{"A.xml", "<text>a</text><br/><br/><text>b</text><line/>"}});
  Show({"A.xml"});
  const TECHelpRun* a = RunOf("a");
  const TECHelpRun* b = RunOf("b");
  ASSERT_TRUE(a && b);
  // The first break ends the line of "a", the second adds an empty line.
  const int line = a->Rect.Height();
  EXPECT_EQ(b->Rect.Top - a->Rect.Top, line + 13);
  const TECHelpRun& rule = help_->Runs().back();
  EXPECT_EQ(rule.Item->Kind, helpitem::Rule);
  EXPECT_EQ(rule.Rect.Right, help_->ContentWidth() - rule.Rect.Left);
}

TEST_F(HelpViewer, BlocksOpenByAClickAndScrollIntoView) {
  std::string filler;
  for (int i = 0; i < 12; ++i) filler += "<text>line " + std::to_string(i) + "</text>";
  Container({{"A.xml", filler + "<more open=\"More\" close=\"Less\">first words of a text that takes "
                                "three lines and ends here</more>"}});
  Show({"A.xml"});
  auto hidden = [&] { return help_->Runs().back().Text == "More"; };
  EXPECT_TRUE(hidden());
  const int height = help_->ContentHeight();
  // The wheel scrolls down to the end and no further.
  td::Wheel(*help_, 10, 10, -120 * 10);
  EXPECT_EQ(help_->ScrollY(), height - help_->ClientHeight());
  const TECHelpRun* header = RunOf("More");
  ASSERT_NE(header, nullptr);
  td::Click(*help_, header->Rect.Left + 2, header->Rect.Top - help_->ScrollY() + 2);
  ASSERT_NE(RunOf("Less"), nullptr);
  const TECHelpRun& last = help_->Runs().back();
  EXPECT_NE(last.Text.find("here"), std::string::npos);
  EXPECT_GT(last.Rect.Top, RunOf("Less")->Rect.Bottom);
  // The whole block shows: its last line ends at the bottom of the client.
  EXPECT_EQ(help_->ScrollY() + help_->ClientHeight(), last.Rect.Bottom);
  // Another click closes it; resizing keeps a block as it is.
  help_->SetBounds(0, 0, 180, 120);
  td::ProcessMessages();
  std::this_thread::sleep_for(std::chrono::milliseconds(600));  // not a double click
  const TECHelpRun* less = RunOf("Less");
  ASSERT_NE(less, nullptr);
  td::Click(*help_, less->Rect.Left + 2, less->Rect.Top - help_->ScrollY() + 2);
  EXPECT_TRUE(hidden());
  td::Wheel(*help_, 10, 10, 120 * 20);
  EXPECT_EQ(help_->ScrollY(), 0);  // never above the top
}

TEST_F(HelpViewer, DraggingScrollsOnlyWhatDoesNotFit) {
  Container({{"Short.xml", "<text>short</text>"}, {"Long.xml", [] {
                std::string s;
                for (int i = 0; i < 30; ++i) s += "<text>row " + std::to_string(i) + "</text>";
                return s;
              }()}});
  Show({"Short.xml"});
  td::MouseDown(*help_, 100, 100);
  td::MouseMove(*help_, 100, 20);
  td::MouseUp(*help_, 100, 20);
  EXPECT_EQ(help_->ScrollY(), 0);
  Show({"Long.xml"});
  td::MouseDown(*help_, 150, 100);
  td::MouseMove(*help_, 150, 60);
  td::MouseUp(*help_, 150, 60);
  EXPECT_EQ(help_->ScrollY(), 40);
  EXPECT_EQ(help_->ScrollX(), 0);
}

TEST_F(HelpViewer, TopicLinksAndHistory) {
  Container({{"Main.xml", "<text>main</text><gref url=\"B.xml\">to B</gref>"},
             {"B.xml", "<text>bee</text><gref url=\"C.xml\">to C</gref>"},
             {"C.xml", "<text>sea</text>"},
             {"Notes.xml", "<text>notes</text>"},
             {"Opened.xml", "<text>opened</text>"}});
  // A context of three names shows three topics one after another.
  Show({"Main.xml", "Opened.xml", "Notes.xml"});
  EXPECT_EQ(Texts(), (std::vector<std::string>{"main", "to B", "opened", "notes"}));
  EXPECT_EQ(help_->HistoryCount(), 1);
  help_->GoBack();  // one entry: nothing happens
  EXPECT_EQ(Texts().front(), "main");

  auto click = [&](const std::string& text) {
    const TECHelpRun* r = RunOf(text);
    ASSERT_NE(r, nullptr) << text;
    td::Click(*help_, r->Rect.Left + 2, r->Rect.Top + 2);
  };
  click("to B");
  EXPECT_EQ(Texts().front(), "bee");
  click("to C");
  EXPECT_EQ(Texts(), std::vector<std::string>{"sea"});
  help_->GoBack();
  help_->GoBack();
  EXPECT_EQ(Texts().front(), "main");
  help_->GoForward();
  EXPECT_EQ(Texts().front(), "bee");
  EXPECT_TRUE(help_->CanGoForward());
  // A link followed after going back drops the forward entries.
  help_->GoBack();
  click("to B");
  EXPECT_FALSE(help_->CanGoForward());
  EXPECT_EQ(help_->HistoryCount(), 2);
}

TEST_F(HelpViewer, OutsideLinksGoToTheOwner) {
  Container({{"A.xml", "<href url=\" cmd://Play\">play</href>"}});
  std::string clicked;
  help_->OnClickRef = [&](TObject*, const std::string& ref) { clicked = ref; };
  Show({"A.xml"});
  const TECHelpRun* r = RunOf("play");
  ASSERT_NE(r, nullptr);
  td::Click(*help_, r->Rect.Left + 1, r->Rect.Top + 1);
  EXPECT_EQ(clicked, " cmd://Play");
}

TEST_F(HelpViewer, DamagedContainersShowWhatSurvives) {
  std::vector<THelpTopicSource> topics = {{"A.xml", "<text>alpha <embed>B.xml</embed> omega</text>"},
                                          {"B.xml", "<text>beta <embed>A.xml</embed></text>"}};
  TMemoryStream s;
  WriteHelpContainer(s, topics, {});
  const std::vector<uint8_t> bytes = s.Bytes();
  // A ring of embeds stops.
  SafeSaveText(folder_.Dir() + "Help.ENU.xcf", std::string(bytes.begin(), bytes.end()));
  help_->SetFileName("");
  Show({"A.xml"});
  EXPECT_EQ(Texts(), (std::vector<std::string>{"alpha", "beta", "omega"}));
  test::ReadDamagedCopies(bytes, [&](TStream& damaged) {
    std::vector<uint8_t> b = damaged.ReadBytes(static_cast<size_t>(damaged.Size()));
    SafeSaveText(folder_.Dir() + "Help.ENU.xcf", std::string(b.begin(), b.end()));
    help_->SetFileName("");
    Show({"A.xml", "B.xml"});
    td::ProcessMessages();
  }, 5, 100);
}

}  // namespace
}  // namespace qs
