// The news reader: feeds read into news items, dates in the form of RSS
// feeds, entities, the toggles, and damaged feeds.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "../common/damaged_copies.h"
#include "../common/library_support.h"
#include "base/safefile.h"
#include "help/rssreader.h"
#include "platform/forms.h"
#include "platform/testdriver.h"

namespace qs {
namespace {

namespace td = testdriver;

std::vector<TRssEntry> Parse(const std::string& feed) {
  TMemoryStream s(std::vector<uint8_t>(feed.begin(), feed.end()));
  return ParseRssFeed(s);
}

std::string Item(const std::string& inner) { return "<item>" + inner + "</item>"; }
std::string Feed(const std::string& items) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel><title>Channel</title>"
         "<link>https://example.org/</link><description>About the channel</description>" +
         items + "</channel></rss>";
}

TEST(RssFeed, ItemsAndTheirTexts) {
  // No item: nothing; the channel's own title and description are no news.
  EXPECT_TRUE(Parse(Feed("")).empty());
  // One item is shown (the last item is taken at the end of the feed).
  const auto one = Parse(Feed(Item("<title>Only</title><link>https://example.org/a</link>")));
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].Title, "Only");
  EXPECT_EQ(one[0].Link, "https://example.org/a");
  EXPECT_EQ(one[0].Date, "");

  // Entities are decoded; escaped markup in a description becomes its text.
  const auto decoded = Parse(Feed(Item("<title>Fish &amp; Chips &#233;t&#xE9; &lt;3</title>"
                                       "<description>&lt;p&gt;New &lt;b&gt;bold&lt;/b&gt; text&lt;/p&gt;"
                                       "</description><pubDate>Mon, 05 Mar 2007 14:30:00 GMT</pubDate>") +
                                  Item("<title>Second &bogus; &#xZZ; & alone</title>")));
  ASSERT_EQ(decoded.size(), 2u);
  EXPECT_EQ(decoded[0].Title, "Fish & Chips été <3");
  EXPECT_EQ(decoded[0].Description, "New bold text");
  EXPECT_EQ(decoded[0].Date, "Mon, 05 Mar 2007 14:30:00 GMT");
  EXPECT_EQ(decoded[1].Title, "Second &bogus; &#xZZ; & alone");

  // Closing tags before anything opened stay at the outermost level.
  const auto stray = Parse("</a></b></c>" + Feed(Item("<title>After</title>")));
  ASSERT_EQ(stray.size(), 1u);
  EXPECT_EQ(stray[0].Title, "After");
}

TEST(RssFeed, Dates) {
  struct Case {
    const char* Text;
    int64_t Utc;  // -1: not a date
  } cases[] = {
      {"Mon, 05 Mar 2007 14:30:00 GMT", 1173105000},
      {"05 Mar 2007 14:30 GMT", 1173105000},  // no day name, no seconds
      {"5 mar 2007 14:30:00 +0100", 1173101400},
      {"Mon, 05 Mar 2007 09:30:00 EST", 1173105000},
      {"Tue, 10 Jun 03 04:00:00 GMT", 1055217600},  // two-digit year
      {"Thu, 29 Feb 2024 23:59:59 Z", 1709251199},
      {"31 Apr 2007 10:00:00 GMT", -1},  // no such day
      {"05 Mar 2007 25:00:00 GMT", -1},
      {"05 Foo 2007 14:30:00 GMT", -1},  // unknown month
      {"05 Mar 2007 14:30:00 XYZ", -1},
      {"2007-03-05T14:30:00Z", -1},
      {"", -1},
  };
  for (const Case& c : cases) {
    const std::optional<int64_t> t = ParseRssDate(c.Text);
    if (c.Utc < 0)
      EXPECT_FALSE(t.has_value()) << c.Text;
    else
      EXPECT_EQ(t.value_or(-1), c.Utc) << c.Text;
  }
}

TEST(RssFeed, DamagedFeedsAreReadWithoutFault) {
  const std::string feed = Feed(Item("<title>A &amp; B</title><pubDate>Mon, 05 Mar 2007 14:30:00 GMT</pubDate>"
                                     "<description>&lt;p&gt;x&lt;/p&gt;</description>") +
                                Item("<title>C</title><link>https://example.org/c</link>"));
  test::ReadDamagedCopies(std::vector<uint8_t>(feed.begin(), feed.end()), [](TStream& s) { ParseRssFeed(s); }, 7,
                          500);
}

class NewsReader : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBounds(50, 50, 360, 260);
    reader_ = new TECRssReader(form_.get());
    reader_->SetParent(form_.get());
    reader_->SetBounds(0, 0, 340, 240);
    td::ShowAndWait(*form_);
  }
  void Load(const std::string& feed) {
    SafeSaveText(folder_.Dir() + "feed.rss", feed);
    reader_->SetFileName("");
    reader_->SetFileName(folder_.Dir() + "feed.rss");
  }
  const TECHelpRun* RunOf(const std::string& text) const {
    for (const TECHelpRun& r : reader_->Runs())
      if (r.Text == text) return &r;
    return nullptr;
  }
  void Click(const TECHelpRun* r) {
    ASSERT_NE(r, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(600));  // not a double click
    td::Click(*reader_, r->Rect.Left + 2, r->Rect.Top + 2);
  }
  test::TProgramFolder folder_;
  std::unique_ptr<TForm> form_;
  TECRssReader* reader_ = nullptr;
};

TEST_F(NewsReader, ALineAnItemAndTheToggleShowsTheRest) {
  std::string clicked;
  reader_->OnClickRef = [&](TObject*, const std::string& ref) { clicked = ref; };
  Load(Feed(Item("<title>First</title><description>Details</description><link>https://example.org/1</link>"
                 "<pubDate>Mon, 05 Mar 2007 14:30:00 GMT</pubDate>") +
            Item("<title>Second</title><pubDate>31 Apr 2007 10:00:00 GMT</pubDate>")));
  // Date, title and toggle stand on one line per item; the rest is hidden.
  ASSERT_NE(RunOf("First"), nullptr);
  ASSERT_NE(RunOf("Second"), nullptr);  // a bad date leaves the date out, not the item
  EXPECT_EQ(RunOf("First")->Rect.Top, reader_->Runs().front().Rect.Top);
  EXPECT_EQ(reader_->Runs().front().Text, RssDateText(1173105000));
  EXPECT_EQ(RunOf("    Details"), nullptr);
  const TECHelpRun* toggle = nullptr;
  for (const TECHelpRun& r : reader_->Runs())
    if (r.Text == ">>" && !toggle) toggle = &r;
  Click(toggle);
  ASSERT_NE(RunOf("    Details"), nullptr);
  EXPECT_EQ(RunOf("    Details")->Rect.Left, reader_->Paragraph());  // indented one step
  Click(RunOf("    https://example.org/1"));
  EXPECT_EQ(clicked, "https://example.org/1");
  Click(RunOf("<<"));
  EXPECT_EQ(RunOf("    Details"), nullptr);
}

TEST_F(NewsReader, AnItemWithoutDateShowsTodayAndWithoutLinkDoesNothing) {
  int clicks = 0;
  reader_->OnClickRef = [&](TObject*, const std::string&) { ++clicks; };
  Load(Feed(Item("<title>Undated</title>")));
  const std::string today = RssDateText(static_cast<int64_t>(std::time(nullptr)));
  EXPECT_EQ(reader_->Runs().front().Text.substr(0, 6), today.substr(0, 6));
  Click(RunOf(">>"));
  Click(RunOf("    "));
  EXPECT_EQ(clicks, 0);
  // A missing file leaves the reader empty.
  reader_->SetFileName(folder_.Dir() + "missing.rss");
  EXPECT_TRUE(reader_->Runs().empty());
}

}  // namespace
}  // namespace qs
