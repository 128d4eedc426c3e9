#include "app/newsdownload.h"

#include <curl/curl.h>

#include <filesystem>
#include <memory>

#include "base/safefile.h"
#include "base/strings.h"

namespace qs {

namespace {

struct TSink {
  std::string* Body;
  size_t Limit;
  const std::atomic<bool>* Cancel;
  bool TooLarge = false;
};

size_t Write(char* data, size_t size, size_t count, void* user) {
  auto* sink = static_cast<TSink*>(user);
  const size_t n = size * count;
  if (sink->Body->size() + n > sink->Limit) {
    sink->TooLarge = true;
    return 0;  // ends the transfer
  }
  sink->Body->append(data, n);
  return n;
}

int Progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* sink = static_cast<TSink*>(user);
  return sink->Cancel && sink->Cancel->load() ? 1 : 0;
}

bool IsLoopbackHttp(const std::string& url) {
  const std::string lower = LowerCase(url);
  const std::string prefix = "http://127.0.0.1";
  return lower.rfind(prefix, 0) == 0 &&
         (lower.size() == prefix.size() || lower[prefix.size()] == ':' || lower[prefix.size()] == '/');
}

}  // namespace

std::vector<std::string> NewsFeedUrls(const std::string& base, const std::string& language) {
  std::string b = Trim(base);
  if (b.empty()) return {};
  if (b.back() != '/') b += '/';
  std::vector<std::string> urls;
  if (!SameText(language, "ENU")) urls.push_back(b + "music_notation_software_" + LowerCase(language) + ".rss");
  urls.push_back(b + "music_notation_software.rss");
  return urls;
}

bool NewsUrlAllowed(const std::string& url) {
  return LowerCase(url).rfind("https://", 0) == 0 || IsLoopbackHttp(url);
}

TFetchResult FetchUrl(const std::string& url, long timeoutSeconds, size_t maxBytes,
                      const std::atomic<bool>* cancel) {
  TFetchResult result;
  if (!NewsUrlAllowed(url)) {
    result.Error = "not an https address";
    return result;
  }
  std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
  if (!curl) {
    result.Error = "no HTTP client";
    return result;
  }
  TSink sink{&result.Body, maxBytes, cancel};
  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, IsLoopbackHttp(url) ? "http" : "https");
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "https");
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, 3L);
  curl_easy_setopt(c, CURLOPT_TIMEOUT, timeoutSeconds);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, timeoutSeconds);
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxBytes));
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, Write);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &sink);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, Progress);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, &sink);
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  // The proxy of the desktop comes from the usual environment variables,
  // which libcurl reads itself.
  const CURLcode code = curl_easy_perform(c);
  if (code != CURLE_OK || sink.TooLarge) {
    result.Error = sink.TooLarge ? "the answer is too large" : curl_easy_strerror(code);
    result.Body.clear();
    return result;
  }
  result.Ok = true;
  return result;
}

bool StoreNewsFeed(const std::string& cacheFile, const std::string& body) {
  if (body.empty()) return false;
  if (FileExists(cacheFile)) {
    try {
      if (ReadFileText(cacheFile) == body) return false;
    } catch (const std::exception&) {
    }
  }
  std::error_code ignored;
  std::filesystem::create_directories(ExtractFilePath(cacheFile), ignored);
  SafeSaveText(cacheFile, body);
  return true;
}

TNewsDownload::TNewsDownload(std::vector<std::string> urls, std::function<void(const std::string&)> done,
                             long timeoutSeconds)
    : urls_(std::move(urls)), done_(std::move(done)), timeout_(timeoutSeconds) {}

TNewsDownload::~TNewsDownload() {
  cancel_ = true;
  Terminate();
  WaitFor();
}

void TNewsDownload::Execute() {
  std::string body;
  for (const std::string& url : urls_) {
    if (Terminated()) return;
    TFetchResult r = FetchUrl(url, timeout_, news::kMaxBytes, &cancel_);
    if (r.Ok) {
      body = std::move(r.Body);
      break;
    }
  }
  if (Terminated()) return;
  auto done = done_;
  Queue([done, body] {
    if (done) done(body);
  });
}

}  // namespace qs
