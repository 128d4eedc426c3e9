#pragma once
// TECRssReader: a news feed (RSS 2.0) shown as a list of news: per item a
// line with its date, its title and a toggle that shows the description and
// the link below it. Layout, painting and scrolling are the help viewer's.
#include <optional>
#include <string>
#include <vector>

#include "base/stream.h"
#include "help/helpview.h"

namespace qs {

// The link kind of a feed item's link line: a click hands the link to the
// owner.
namespace helplink {
constexpr uint8_t FeedLink = 6;
}

// One news item as the feed gives it, its texts trimmed and with entities
// decoded; a description's markup is reduced to its text.
struct TRssEntry {
  std::string Date;
  std::string Title;
  std::string Description;
  std::string Link;
};

// The items of a feed, in order. The channel's own title and description
// are not news and are left out.
std::vector<TRssEntry> ParseRssFeed(TStream& s);

// A date in the form of RSS feeds (RFC 822: "Mon, 05 Mar 2007 14:30:00
// GMT", the day of the week and the seconds optional, a zone name or
// +hhmm), as seconds since 1970 in UTC; nothing when it is not such a date.
std::optional<int64_t> ParseRssDate(const std::string& text);
// The date and time of such a moment in the user's time zone and formats.
std::string RssDateText(int64_t utcSeconds);

// Replaces the character references (&lt; &amp; &#233; &#xE9; ...) by
// their characters (UTF-8); an unknown or broken reference stays as written.
std::string DecodeEntities(const std::string& text);

class TECRssReader : public TECHelpView {
 public:
  explicit TECRssReader(TComponent* owner);
  const char* ClassName() const override { return "TECRssReader"; }

  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& value);

 protected:
  void LoadItems() override;
  void LinkClicked(const TECHelpItem& item) override;

 private:
  void AddItem(const TRssEntry& entry);
  std::string fileName_;
};

}  // namespace qs
