// The help the program ships, in every language: a Helper topic for every
// context the program reports, links that lead somewhere, the help pages
// F1 and the help commands open, and the news feed of this version.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>

#include "../common/library_support.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "help/helpcontent.h"
#include "help/helperwindow.h"
#include "help/lessonscript.h"
#include "help/rssreader.h"
#include "platform/paths.h"

namespace qs {
namespace {

namespace fs = std::filesystem;
const char* const kLanguages[] = {"ENU", "DEU", "FRA", "ITA", "RUS"};

std::string HelpFolder(const std::string& language) {
  return std::string(QS_SOURCE_DIR) + "/resources/help/" + language + "/";
}

// The language's container, packed from its sources by the packer.
std::string Pack(const std::string& dir, const std::string& language) {
  const std::string tool = ExtractFilePath(platform::ProgramFile()) + "qs-helppack";
  const std::string out = dir + "Quillstave4." + language + ".xcf";
  const std::string command =
      tool + " '" + HelpFolder(language) + "helper' '" + out + "' --language " + language + " > /dev/null";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  return out;
}

TEST(ShippedHelp, EveryContextHasATopicAndEveryLinkLeadsSomewhere) {
  test::TProgramFolder folder;
  for (const std::string language : kLanguages) {
    SCOPED_TRACE(language);
    const std::string file = Pack(folder.Dir(), language);
    TFileStream f(file, FileMode::OpenRead);
    THelpContainerIndex index;
    ASSERT_TRUE(index.Read(f));
    std::set<std::string> topics;
    for (const THelpIndexEntry& e : index.Topics) topics.insert(LowerCase(e.Name));
    for (const std::string& name : HelperContextNames())
      EXPECT_TRUE(topics.count(LowerCase(name + ".xml"))) << name;
    for (const THelpIndexEntry& e : index.Topics) {
      THelpContent content;
      content.LoadFile(file, {e.Name});
      ASSERT_GE(content.Items.size(), 2u) << e.Name;
      bool text = false;
      for (const auto& item : content.Items) {
        if (item->Kind == helpitem::Text && item->Text.size() > 20) text = true;
        if (item->LinkKind == helplink::Topic) EXPECT_TRUE(topics.count(LowerCase(item->Link))) << item->Link;
        if (item->LinkKind != helplink::Outside) continue;
        const TLinkTarget t = ResolveHelpLink(item->Link, TLinkSource::Help);
        EXPECT_NE(t.Action, TLinkAction::None) << e.Name << ": " << item->Link;
        if (t.Action == TLinkAction::HelpPage)
          EXPECT_TRUE(FileExists(HelpFolder(language) + t.Argument + ".htm")) << e.Name << ": " << item->Link;
        if (t.Action == TLinkAction::Lesson)
          EXPECT_TRUE(FileExists(std::string(QS_SOURCE_DIR) + "/resources/Ticher/" + t.Argument + ".xml"))
              << e.Name << ": " << item->Link;
      }
      EXPECT_TRUE(text) << e.Name << " says nothing";
    }
  }
}

// Every shipped lesson: its callouts have their texts in every language,
// and the lesson list names it.
TEST(ShippedHelp, EveryLessonSpeaksEveryLanguage) {
  const std::string root = std::string(QS_SOURCE_DIR) + "/resources/";
  int lessons = 0;
  for (const auto& entry : std::filesystem::directory_iterator(root + "Ticher")) {
    if (entry.path().extension() != ".xml") continue;
    ++lessons;
    const std::string name = entry.path().stem().string();
    TFileStream f(entry.path().string(), FileMode::OpenRead);
    const TLessonScript script = ReadLessonScript(f);
    ASSERT_FALSE(script.Steps.empty()) << name;
    EXPECT_EQ(script.Steps.back().Action, lesson::TAction::Callout) << name << " ends with its last words";
    for (const std::string language : kLanguages) {
      const std::string list = ReadFileText(HelpFolder(language) + "helper/Lessons.xml");
      EXPECT_NE(list.find("tich://" + name + "\""), std::string::npos) << language << " " << name;
      for (const TLessonStep& step : script.Steps)
        if (step.Action == lesson::TAction::Callout)
          EXPECT_TRUE(FileExists(root + "lessons/" + language + "/" + step.Help + "/" + step.Topic + ".xml"))
              << language << " " << name << ": " << step.Topic;
    }
  }
  EXPECT_GE(lessons, 8);
}

TEST(ShippedHelp, EveryHelpPageInEveryLanguageAndItsLinksResolve) {
  const std::regex href("href=\"([^\"#:]+)\"");
  for (const std::string language : kLanguages) {
    SCOPED_TRACE(language);
    for (const std::string& topic : HelpPageTopics())
      EXPECT_TRUE(FileExists(HelpFolder(language) + topic + ".htm")) << topic;
    for (const auto& entry : fs::recursive_directory_iterator(HelpFolder(language))) {
      if (entry.path().extension() != ".htm") continue;
      const std::string page = ReadFileText(entry.path().string());
      // The same page exists in English (the fallback), and the same in each language.
      const std::string relative = fs::relative(entry.path(), HelpFolder(language)).string();
      EXPECT_TRUE(FileExists(HelpFolder("ENU") + relative)) << relative;
      for (std::sregex_iterator m(page.begin(), page.end(), href), end; m != end; ++m) {
        const fs::path target = entry.path().parent_path() / (*m)[1].str();
        EXPECT_TRUE(fs::exists(target)) << relative << " -> " << (*m)[1].str();
      }
    }
  }
}

TEST(ShippedHelp, TheNewsOfThisVersionInEveryLanguage) {
  test::TProgramFolder folder(true);
  const std::string cache = folder.Dir() + "cache";
  setenv("XDG_CACHE_HOME", cache.c_str(), 1);
  for (const std::string language : kLanguages) {
    SCOPED_TRACE(language);
    const std::string file = NewsFeedFile(language);
    ASSERT_FALSE(file.empty());
    if (language != "ENU") EXPECT_NE(file.find("_" + language), std::string::npos) << file;
    TFileStream f(file, FileMode::OpenRead);
    const std::vector<TRssEntry> items = ParseRssFeed(f);
    EXPECT_GE(items.size(), 3u);
    for (const TRssEntry& e : items) {
      EXPECT_TRUE(ParseRssDate(e.Date).has_value()) << e.Date;
      EXPECT_FALSE(e.Title.empty());
      EXPECT_FALSE(e.Description.empty());
    }
  }
  unsetenv("XDG_CACHE_HOME");
}

}  // namespace
}  // namespace qs
