// The news download: the addresses it asks, what it may fetch, its limits,
// its worker thread, and how the cache is replaced.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "../common/library_support.h"
#include "app/newsdownload.h"
#include "base/safefile.h"
#include "platform/testdriver.h"

namespace qs {
namespace {

// A web server on 127.0.0.1 answering every request with one answer, or
// never answering.
class TLocalServer {
 public:
  explicit TLocalServer(std::string answer, bool stall = false) : answer_(std::move(answer)), stall_(stall) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t n = sizeof a;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &n);
    port_ = ntohs(a.sin_port);
    ::listen(fd_, 4);
    thread_ = std::thread([this] { Serve(); });
  }
  ~TLocalServer() {
    stop_ = true;
    ::shutdown(fd_, SHUT_RDWR);
    ::close(fd_);
    thread_.join();
  }
  std::string Url(const std::string& path = "/") const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
  std::vector<std::string> Paths() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return paths_;
  }

 private:
  void Serve() {
    while (!stop_) {
      const int c = ::accept(fd_, nullptr, nullptr);
      if (c < 0) return;
      char buf[4096];
      const ssize_t n = ::read(c, buf, sizeof buf);
      const std::string request(buf, n > 0 ? static_cast<size_t>(n) : 0);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        const size_t sp = request.find(' ');
        paths_.push_back(request.substr(sp + 1, request.find(' ', sp + 1) - sp - 1));
      }
      if (stall_) {
        while (!stop_) std::this_thread::sleep_for(std::chrono::milliseconds(20));
      } else {
        const std::string& a = answer_;
        for (size_t done = 0; done < a.size();) {
          const ssize_t w = ::write(c, a.data() + done, a.size() - done);
          if (w <= 0) break;
          done += static_cast<size_t>(w);
        }
      }
      ::close(c);
    }
  }
  std::string answer_;
  bool stall_;
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<std::string> paths_;
};

std::string Ok(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

TEST(NewsDownload, AddressesAndWhatMayBeFetched) {
  EXPECT_EQ(NewsFeedUrls("https://example.org/news", "RUS"),
            (std::vector<std::string>{"https://example.org/news/music_notation_software_rus.rss",
                                      "https://example.org/news/music_notation_software.rss"}));
  EXPECT_EQ(NewsFeedUrls("https://example.org/", "ENU"),
            std::vector<std::string>{"https://example.org/music_notation_software.rss"});
  EXPECT_TRUE(NewsFeedUrls("  ", "DEU").empty());  // no address, no download
  struct Case {
    const char* Url;
    bool Allowed;
  } cases[] = {{"https://example.org/a.rss", true},   {"HTTPS://example.org/", true},
               {"http://example.org/a.rss", false},   {"http://127.0.0.1:8080/a.rss", true},
               {"http://127.0.0.1/a.rss", true},      {"http://127.0.0.10/a.rss", false},
               {"http://127.0.0.1.example.org/", false}, {"file:///etc/passwd", false},
               {"ftp://example.org/a.rss", false}};
  for (const Case& c : cases) EXPECT_EQ(NewsUrlAllowed(c.Url), c.Allowed) << c.Url;
  EXPECT_FALSE(FetchUrl("http://example.org/a.rss", 1, 100).Ok);  // refused before any connection
}

TEST(NewsDownload, LimitsOfAnAnswer) {
  {
    TLocalServer server(Ok("<rss/>"));
    const TFetchResult r = FetchUrl(server.Url("/feed.rss"), 5, 1000);
    EXPECT_TRUE(r.Ok) << r.Error;
    EXPECT_EQ(r.Body, "<rss/>");
  }
  {
    TLocalServer server(Ok(std::string(5000, 'x')));
    const TFetchResult r = FetchUrl(server.Url(), 5, 1000);  // larger than the limit
    EXPECT_FALSE(r.Ok);
    EXPECT_TRUE(r.Body.empty());
  }
  {
    TLocalServer server("HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\nConnection: close\r\n\r\nno!");
    EXPECT_FALSE(FetchUrl(server.Url(), 5, 1000).Ok);
  }
  {
    TLocalServer server("", true);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(FetchUrl(server.Url(), 1, 1000).Ok);  // the time-out ends it
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  }
}

TEST(NewsDownload, TheWindowThreadGoesOnWhileTheServerIsSilent) {
  TLocalServer silent("", true);
  TLocalServer server(Ok("<rss>news</rss>"));
  std::string arrived = "not yet";
  // The language's feed does not answer in time; the English one does.
  auto download = std::make_unique<TNewsDownload>(
      std::vector<std::string>{silent.Url("/music_notation_software_deu.rss"), server.Url("/feed.rss")},
      [&](const std::string& body) { arrived = body; }, 1);
  download->Start();
  // The window thread is free meanwhile: the result comes through its queue.
  EXPECT_EQ(arrived, "not yet");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (arrived == "not yet" && std::chrono::steady_clock::now() < deadline) {
    testdriver::ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(arrived, "<rss>news</rss>");
  // Ending the program during a download does not wait for the time-out.
  TLocalServer again("", true);
  auto stuck = std::make_unique<TNewsDownload>(std::vector<std::string>{again.Url()}, [](const std::string&) {});
  stuck->Start();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const auto start = std::chrono::steady_clock::now();
  stuck.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

TEST(NewsDownload, TheCacheIsReplacedWhenTheFeedChanged) {
  test::TProgramFolder folder;
  const std::string cache = folder.Dir() + "News/music_notation_software.rss";
  EXPECT_FALSE(StoreNewsFeed(cache, ""));  // nothing is no news
  EXPECT_TRUE(StoreNewsFeed(cache, "<rss>one</rss>"));  // the folder is made
  EXPECT_FALSE(StoreNewsFeed(cache, "<rss>one</rss>"));
  EXPECT_TRUE(StoreNewsFeed(cache, "<rss>two</rss>"));  // the same size, other news
  EXPECT_EQ(ReadFileText(cache), "<rss>two</rss>");
}

}  // namespace
}  // namespace qs
