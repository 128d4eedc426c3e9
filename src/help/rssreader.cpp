#include "help/rssreader.h"

#include <array>
#include <cctype>
#include <ctime>

#include "base/safefile.h"
#include "base/strings.h"
#include "base/text.h"
#include "help/markup.h"
#include "uikit/localeformats.h"

namespace qs {

namespace {

// The elements of a feed the reader knows (the others are ignored).
namespace rss {
constexpr int None = 0, Rss = 2, Channel = 3, Item = 4, Title = 5, Link = 6, Description = 7, PubDate = 12,
              Image = 19;
}

int RssElementIndex(std::string_view name) {
  static constexpr std::array<const char*, 23> names = {
      "xml",      "rss",      "channel",   "item",     "title",    "link",         "description", "language",
      "copyright", "managinEditor", "webMaster", "pubDate", "lastBuildDate", "category", "generator", "docs",
      "cloud",    "ttl",      "image",     "rating",   "textInput", "skipHours",   "skipDays"};
  for (size_t i = 0; i < names.size(); ++i)
    if (SameText(std::string(name), names[i])) return static_cast<int>(i) + 1;
  return rss::None;
}

// The text of a piece of markup: tags dropped, blanks folded.
std::string TextOfMarkup(const std::string& s) {
  std::string out;
  bool inTag = false, blank = false;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    const char next = i + 1 < s.size() ? s[i + 1] : '\0';
    // Only what looks like a tag is one: "a < b" and "<3" stay text.
    if (c == '<' && !inTag && (std::isalpha(static_cast<unsigned char>(next)) || next == '/' || next == '!')) {
      inTag = true;
      blank = true;
      continue;
    }
    if (inTag) {
      if (c == '>') inTag = false;
      continue;
    }
    if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
      blank = true;
      continue;
    }
    if (blank && !out.empty()) out += ' ';
    blank = false;
    out += c;
  }
  return out;
}

int Number(std::string_view s, int& value) {
  value = 0;
  size_t i = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9' && i < 9; ++i) value = value * 10 + (s[i] - '0');
  return static_cast<int>(i);
}

}  // namespace

std::string DecodeEntities(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      out += text[i];
      continue;
    }
    const size_t semi = text.find(';', i + 1);
    if (semi == std::string::npos || semi - i > 10) {
      out += '&';
      continue;
    }
    const std::string name = text.substr(i + 1, semi - i - 1);
    uint32_t cp = 0;
    bool ok = true;
    if (name == "lt") cp = '<';
    else if (name == "gt") cp = '>';
    else if (name == "amp") cp = '&';
    else if (name == "quot") cp = '"';
    else if (name == "apos") cp = '\'';
    else if (name == "nbsp") cp = ' ';
    else if (name.size() > 1 && name[0] == '#') {
      const bool hex = name[1] == 'x' || name[1] == 'X';
      const std::string digits = name.substr(hex ? 2 : 1);
      ok = !digits.empty();
      for (char c : digits) {
        const int d = c >= '0' && c <= '9' ? c - '0'
                      : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                    : -1;
        if (d < 0) ok = false;
        cp = cp * (hex ? 16 : 10) + static_cast<uint32_t>(std::max(d, 0));
        if (cp > 0x10FFFF) ok = false;
      }
      if (cp == 0 || (cp >= 0xD800 && cp <= 0xDFFF)) ok = false;
    } else {
      ok = false;
    }
    if (!ok) {
      out += '&';
      continue;
    }
    AppendUtf8(out, static_cast<char32_t>(cp));
    i = semi;
  }
  return out;
}

std::optional<int64_t> ParseRssDate(const std::string& text) {
  std::string_view s = text;
  auto skipBlanks = [&] {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  };
  skipBlanks();
  // The day of the week, when given, ends in a comma.
  if (const size_t comma = s.find(','); comma != std::string_view::npos && comma <= 10) s.remove_prefix(comma + 1);
  skipBlanks();
  int day = 0, year = 0, hour = 0, minute = 0, second = 0;
  int n = Number(s, day);
  if (n < 1 || n > 2) return std::nullopt;
  s.remove_prefix(n);
  skipBlanks();
  static constexpr const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  int month = 0;
  for (int m = 0; m < 12 && s.size() >= 3; ++m)
    if (SameText(std::string(s.substr(0, 3)), months[m])) month = m + 1;
  if (month == 0) return std::nullopt;
  s.remove_prefix(3);
  skipBlanks();
  n = Number(s, year);
  if (n != 2 && n != 4) return std::nullopt;
  if (n == 2) year += year < 50 ? 2000 : 1900;
  s.remove_prefix(n);
  skipBlanks();
  if (Number(s, hour) != 2 || s.size() < 5 || s[2] != ':') return std::nullopt;
  s.remove_prefix(3);
  if (Number(s, minute) != 2) return std::nullopt;
  s.remove_prefix(2);
  if (!s.empty() && s.front() == ':') {
    s.remove_prefix(1);
    if (Number(s, second) != 2) return std::nullopt;
    s.remove_prefix(2);
  }
  skipBlanks();
  int offset = 0;  // minutes east of UTC
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    int hhmm = 0;
    if (Number(s.substr(1), hhmm) != 4) return std::nullopt;
    offset = (hhmm / 100 * 60 + hhmm % 100) * (s.front() == '-' ? -1 : 1);
  } else if (!s.empty()) {
    static const std::pair<const char*, int> zones[] = {{"GMT", 0},     {"UT", 0},     {"UTC", 0},   {"Z", 0},
                                                        {"EST", -300},  {"EDT", -240}, {"CST", -360}, {"CDT", -300},
                                                        {"MST", -420},  {"MDT", -360}, {"PST", -480}, {"PDT", -420}};
    std::string zone(s.substr(0, s.find(' ')));
    bool known = false;
    for (const auto& [name, minutes] : zones)
      if (SameText(zone, name)) offset = minutes, known = true;
    if (!known) return std::nullopt;
  }
  if (month < 1 || day < 1 || day > DaysInMonth(year, month) || hour > 23 || minute > 59 || second > 60)
    return std::nullopt;
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = std::min(second, 59);
  return static_cast<int64_t>(timegm(&tm)) - static_cast<int64_t>(offset) * 60;
}

std::string RssDateText(int64_t utcSeconds) {
  const time_t t = static_cast<time_t>(utcSeconds);
  std::tm local{};
  localtime_r(&t, &local);
  TDateTime date = 0, time = 0;
  TryEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, date);
  TryEncodeTime(local.tm_hour, local.tm_min, 0, time);
  return DateToText(date) + " " + TimeToText(time);
}

std::vector<TRssEntry> ParseRssFeed(TStream& s) {
  std::vector<TECMarkupToken> tokens;
  int deepest = 0;
  TokenizeMarkup(s, s.Size(), 0, deepest, tokens);
  std::vector<TRssEntry> entries;
  std::vector<int> codes;
  TRssEntry current;
  bool started = false;
  auto inside = [&](int depth, int code) {
    for (int d = std::min<int>(depth, static_cast<int>(codes.size())) - 1; d >= 0; --d)
      if (codes[d] == code) return true;
    return false;
  };
  auto finish = [&] {
    if (started) entries.push_back(std::move(current));
    current = {};
    started = true;
  };
  for (const TECMarkupToken& t : tokens) {
    const int d = t.Depth;
    if (t.Kind == markup::StartTag || t.Kind == markup::EmptyTag) {
      if (static_cast<int>(codes.size()) > d) codes.resize(d);
      const int code = RssElementIndex(t.Text);
      bool record = false;
      switch (code) {
        case rss::Rss: record = true; break;
        case rss::Channel: record = inside(d, rss::Rss); break;
        case rss::Item:
          finish();
          record = inside(d, rss::Channel);
          break;
        case rss::Title: record = inside(d, rss::Item) || inside(d, rss::Channel); break;
        case rss::Link:
        case rss::Description:
        case rss::PubDate: record = inside(d, rss::Item); break;
        case rss::Image: record = inside(d, rss::Channel) || inside(d, rss::Item); break;
        default: break;
      }
      if (record) {
        codes.resize(d + 1, rss::None);
        codes[d] = code;
      }
    } else if (t.Kind == markup::Text) {
      for (int k = std::min<int>(d, static_cast<int>(codes.size())) - 1; k >= 0; --k) {
        std::string* field = nullptr;
        switch (codes[k]) {
          case rss::Title: field = &current.Title; break;
          case rss::Link: field = &current.Link; break;
          case rss::Description: field = &current.Description; break;
          case rss::PubDate: field = &current.Date; break;
          case rss::Image: break;
          default: continue;
        }
        if (field) {
          const std::string text = Trim(t.Text);
          if (!text.empty()) *field += (field->empty() ? "" : " ") + text;
        }
        break;
      }
    }
  }
  finish();
  for (TRssEntry& e : entries) {
    e.Title = TextOfMarkup(DecodeEntities(e.Title));  // titles may hold markup too
    e.Description = TextOfMarkup(DecodeEntities(e.Description));
    e.Link = Trim(DecodeEntities(e.Link));
    e.Date = Trim(DecodeEntities(e.Date));
  }
  return entries;
}

// ---------------------------------------------------------------- control

TECRssReader::TECRssReader(TComponent* owner) : TECHelpView(owner) { skipEmptyFirst_ = false; }

void TECRssReader::SetFileName(const std::string& value) {
  if (value == fileName_) return;
  fileName_ = value;
  Reload();
  LayoutItems();
  Redraw();
}

void TECRssReader::AddItem(const TRssEntry& entry) {
  auto add = [&](uint8_t kind, uint16_t depth, const TECHelpItem* parent, std::string text, uint32_t color) {
    auto item = std::make_unique<TECHelpItem>();
    item->Kind = kind;
    item->Depth = depth;
    item->Parent = parent;
    item->Text = std::move(text);
    item->Font.Color = color;
    items_.push_back(std::move(item));
    return items_.back().get();
  };
  constexpr uint32_t maroon = 0x000080, navy = 0x800000, red = 0x0000FF, black = 0;
  std::string date;
  if (entry.Date.empty()) {
    date = RssDateText(static_cast<int64_t>(std::time(nullptr)));
  } else if (const std::optional<int64_t> when = ParseRssDate(entry.Date)) {
    date = RssDateText(*when);
  }  // a date that cannot be read is left out, the item still shows
  const TECHelpItem* first = add(helpitem::Text, 1, nullptr, date, maroon);
  add(helpitem::Text, 1, first, entry.Title, navy);
  TECHelpItem* toggle = add(helpitem::More, 1, first, ">>", maroon);
  toggle->SecondText = "<<";
  add(helpitem::Text, 2, nullptr, "    " + entry.Description, black);
  TECHelpItem* link = add(helpitem::LinkLine, 2, nullptr, "    " + entry.Link, red);
  if (!entry.Link.empty()) {
    link->LinkKind = helplink::FeedLink;
    link->Link = entry.Link;
  }
}

void TECRssReader::LoadItems() {
  items_.clear();
  if (fileName_.empty() || !FileExists(fileName_)) return;
  try {
    TFileStream f(fileName_, FileMode::OpenRead);
    for (const TRssEntry& e : ParseRssFeed(f)) AddItem(e);
  } catch (const std::exception&) {
    // A feed that cannot be read shows the items read so far.
  }
}

void TECRssReader::LinkClicked(const TECHelpItem& item) {
  if (item.LinkKind == helplink::FeedLink && OnClickRef) OnClickRef(this, item.Link);
}

}  // namespace qs
