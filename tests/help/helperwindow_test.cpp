// The Helper and news windows: what a link does, where the Helper goes
// beside a dialog, which container and feed are read, the context path.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "../common/library_support.h"
#include "base/safefile.h"
#include "help/helperwindow.h"
#include "help/xmlhelp.h"
#include "platform/paths.h"
#include "base/inifile.h"
#include "uikit/interface.h"
#include "uikit/settings.h"

namespace qs {
namespace {

TEST(HelperLinks, WhatALinkDoesDependsOnWhereItIs) {
  using A = TLinkAction;
  struct Case {
    const char* Ref;
    A Help;  // from the program's help
    A Feed;  // from a downloaded feed
    const char* Argument;
  } cases[] = {
      {"http://example.org/a", A::Web, A::Web, "http://example.org/a"},
      {"  HTTPS://Example.org/ ", A::Web, A::Web, "HTTPS://Example.org/"},
      {"chm://ProgSettings", A::HelpPage, A::None, "ProgSettings"},
      {"tich://FirstSteps", A::Lesson, A::None, "FirstSteps"},
      {"   cmd://Play", A::Command, A::None, "APlay"},  // blanks before the scheme
      {"CMD://new", A::Command, A::None, "ANew"},
      {"cmd://Preview", A::Command, A::None, "APreview"},
      {"cmd://Format", A::None, A::None, ""},  // not one of the six
      {"file:///etc/passwd", A::None, A::None, ""},
      {"javascript:alert(1)", A::None, A::None, ""},
      {"ftp://example.org", A::None, A::None, ""},
      {"", A::None, A::None, ""},
  };
  for (const Case& c : cases) {
    const TLinkTarget help = ResolveHelpLink(c.Ref, TLinkSource::Help);
    EXPECT_EQ(help.Action, c.Help) << c.Ref;
    if (c.Help != A::None) EXPECT_EQ(help.Argument, c.Argument) << c.Ref;
    EXPECT_EQ(ResolveHelpLink(c.Ref, TLinkSource::Feed).Action, c.Feed) << c.Ref;
  }
  // Page and lesson names are cut at 100 characters.
  EXPECT_EQ(ResolveHelpLink("chm://" + std::string(300, 'x'), TLinkSource::Help).Argument.size(), 100u);
}

TEST(HelperPlacement, BesideTheForm) {
  struct Case {
    int HelperLeft, CallerLeft, CallerWidth, Expected;
  } cases[] = {
      {150, 100, 400, 484},    // inside the form: to its right edge, overlapping 16
      {650, 600, 500, 1280 - 224},  // which would leave the screen: at the screen's edge
      {50, 100, 400, 0},       // across its left edge: 100 - 224 + 16 < 0, so 0
      {100, 300, 400, 92},     // 300 - 224 + 16
      {700, 100, 400, 700},    // beside it already
      {150, -1000, 400, 150},  // no placement
  };
  for (const Case& c : cases)
    EXPECT_EQ(PlaceHelperBeside(c.HelperLeft, 224, c.CallerLeft, c.CallerWidth, 1280), c.Expected)
        << c.HelperLeft << " " << c.CallerLeft;
}

TEST(HelperPlacement, AStoredPlaceOffTheScreenComesBack) {
  test::TProgramFolder folder;
  struct Case {
    const char* Stored;
    bool KeepsLeft, KeepsTop;
  } cases[] = {
      {"40,30,224,261", true, true},
      {"-300,30,224,261", false, true},    // wholly left of the screen
      {"-100,30,224,261", true, true},     // partly on it
      {"100000,30,224,261", false, true},  // right of it
      {"40,-400,224,261", true, false},    // above it
      {"40,100000,224,261", true, false},  // below it
  };
  TSettings settings(folder.Dir() + "ProgramSetting.ini");
  SetProgramSettings(&settings);
  for (const Case& c : cases) {
    settings.Ini().WriteString("HelperModule", "Bounds", c.Stored);
    TFHelperModule* helper = OpenHelper();
    const TRect stored_bounds = ParseBounds(c.Stored, TRect{});
    EXPECT_EQ(helper->Left(), c.KeepsLeft ? stored_bounds.Left : 0) << c.Stored;
    EXPECT_EQ(helper->Top(), c.KeepsTop ? stored_bounds.Top : 0) << c.Stored;
    EXPECT_EQ(helper->Width(), 224) << c.Stored;
    CloseHelper();
  }
  SetProgramSettings(nullptr);
}

TEST(HelpPages, F1OpensThePageOfTheFormInFront) {
  SetFormHelpTopic("FStaffProperties", "StaffProp");
  EXPECT_EQ(FormHelpTopic("fstaffproperties"), "StaffProp");
  EXPECT_EQ(FormHelpTopic("FMessageBlock"), kHelpEntranceTopic);
  EXPECT_EQ(FormHelpTopic(""), kHelpEntranceTopic);
}

TEST(HelperContent, TheLanguagesContainerElseTheEnglishOne) {
  test::TProgramFolder folder;
  SafeSaveText(folder.Dir() + "Quillstave4.ENU.xcf", "");
  EXPECT_EQ(HelpContainerFile("DEU"), folder.Dir() + "Quillstave4.ENU.xcf");
  SafeSaveText(folder.Dir() + "Quillstave4.DEU.xcf", "");
  EXPECT_EQ(HelpContainerFile("DEU"), folder.Dir() + "Quillstave4.DEU.xcf");
}

TEST(HelperContent, TheDownloadedFeedElseTheShippedOne) {
  test::TProgramFolder folder(true);
  const std::string cache = folder.Dir() + "cache";
  setenv("XDG_CACHE_HOME", cache.c_str(), 1);
  EXPECT_EQ(ExtractFileName(NewsFeedFile("RUS")), "music_notation_software_RUS.rss");
  EXPECT_NE(NewsFeedFile("RUS").find("/News/"), std::string::npos);
  std::filesystem::create_directories(ExtractFilePath(NewsCacheFile()));
  SafeSaveText(NewsCacheFile(), "<rss/>");
  EXPECT_EQ(NewsFeedFile("RUS"), NewsCacheFile());
  EXPECT_EQ(NewsCacheFile(), cache + "/quillstave4/News/music_notation_software.rss");
  unsetenv("XDG_CACHE_HOME");
}

TEST(HelperContext, OutlivesTheHelperAndIsShownByTheNextOne) {
  test::TProgramFolder folder;
  std::vector<THelpTopicSource> topics = {{"Main.xml", "<text>main</text>"}, {"Settings.xml", "<text>set</text>"}};
  SafeSaveFile(folder.Dir() + "Quillstave4.ENU.xcf", [&](TStream& s) { WriteHelpContainer(s, topics, {}); });
  ShowHelperContext({"Settings"}, false, 100, 100, 300, 200);  // no Helper yet
  EXPECT_EQ(HelperContextPath(), std::vector<std::string>{"Settings"});
  TFHelperModule* helper = OpenHelper();
  ASSERT_NE(helper, nullptr);
  EXPECT_EQ(helper->HHelper->Topics(), std::vector<std::string>{"Settings.xml"});
  ASSERT_FALSE(helper->HHelper->Runs().empty());
  EXPECT_EQ(helper->HHelper->Runs().front().Text, "set");
  ShowHelperContext({"Main"}, true);  // a new Helper
  ASSERT_NE(HelperModule(), nullptr);
  EXPECT_EQ(HelperModule()->HHelper->Runs().front().Text, "main");
  // While a lesson holds the context, reports change nothing.
  FreezeHelperContext(true);
  ShowHelperContext({"Settings"}, false);
  EXPECT_EQ(HelperContextPath(), std::vector<std::string>{"Main"});
  FreezeHelperContext(false);
  CloseHelper();
  EXPECT_EQ(HelperModule(), nullptr);
}

}  // namespace
}  // namespace qs
