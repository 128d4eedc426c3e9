#pragma once
// Fetching the news feed: one HTTPS request on a worker thread, with a
// time-out and a size limit, its result handed back to the window thread.
#include <atomic>
#include <functional>
#include <string>

#include "platform/timers.h"

namespace qs {

namespace news {
constexpr long kTimeoutSeconds = 10;
constexpr size_t kMaxBytes = 1 << 20;
}  // namespace news

// The feed addresses to try for an interface language: the language's own
// feed first (not for English), then the English one. base is the server's
// address with or without a trailing "/".
std::vector<std::string> NewsFeedUrls(const std::string& base, const std::string& language);

// Whether the address may be fetched: HTTPS, or plain HTTP to this
// computer (127.0.0.1) only.
bool NewsUrlAllowed(const std::string& url);

struct TFetchResult {
  bool Ok = false;
  std::string Body;
  std::string Error;
};
// One GET (blocking: for worker threads). Fails on an HTTP error status,
// after the time-out, and when the answer grows beyond the limit; cancel
// set ends it early.
TFetchResult FetchUrl(const std::string& url, long timeoutSeconds, size_t maxBytes,
                      const std::atomic<bool>* cancel = nullptr);

// Stores a downloaded feed in the cache when it differs from the one
// there (written whole or not at all); true when it stored it.
bool StoreNewsFeed(const std::string& cacheFile, const std::string& body);

// Fetches the first feed of urls that answers, on a worker thread, and
// calls done on the window thread with its content (empty after a
// failure).
class TNewsDownload : public TThread {
 public:
  TNewsDownload(std::vector<std::string> urls, std::function<void(const std::string&)> done,
                long timeoutSeconds = news::kTimeoutSeconds);
  ~TNewsDownload() override;

 protected:
  void Execute() override;

 private:
  std::vector<std::string> urls_;
  std::function<void(const std::string&)> done_;
  long timeout_;
  std::atomic<bool> cancel_{false};
};

}  // namespace qs
