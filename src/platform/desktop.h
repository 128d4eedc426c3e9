#pragma once
// Handing a document to the desktop: a web page or a local file opens in
// the program the user's desktop chooses for it (the web browser for help
// pages).
#include <functional>
#include <string>

namespace qs {

// Opens the URL; false when the desktop has no program for it or the
// program could not be started.
bool OpenUrl(const std::string& url);
// Replaces what OpenUrl does (tests); an empty function restores the
// desktop's.
using TOpenUrlHandler = std::function<bool(const std::string& url)>;
void SetOpenUrlHandler(TOpenUrlHandler handler);

// The "file:" URL of a local file's absolute path.
std::string FileUrl(const std::string& path);

}  // namespace qs
