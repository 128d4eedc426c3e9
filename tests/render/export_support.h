#pragma once
// Shared by the printing and export tests: temporary files, and what
// poppler's command-line tools tell about a PDF file.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace qs::test {

// A path in the temporary folder, unique to this process; removed with
// the object.
class TTempFile {
 public:
  explicit TTempFile(const std::string& name)
      : path_(std::filesystem::temp_directory_path() / ("qs_" + std::to_string(::getpid()) + "_" + name)) {
    std::filesystem::remove(path_);
  }
  ~TTempFile() { std::filesystem::remove(path_); }
  std::string Path() const { return path_.string(); }
  bool Exists() const { return std::filesystem::exists(path_); }
  std::vector<uint8_t> Bytes() const {
    std::ifstream in(path_, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::filesystem::path path_;
};

// The standard output of a command.
inline std::string RunCommand(const std::string& command) {
  std::string out;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  if (!pipe) return out;
  std::array<char, 4096> buf;
  size_t n;
  while ((n = std::fread(buf.data(), 1, buf.size(), pipe.get())) > 0) out.append(buf.data(), n);
  return out;
}

inline bool HavePoppler() { return std::system("command -v pdfinfo >/dev/null 2>&1") == 0; }
#define QS_REQUIRE_POPPLER() \
  if (!HavePoppler()) GTEST_SKIP() << "pdfinfo (poppler-utils) is not installed: tools/install-deps.sh installs it"

// pdfinfo's fields ("Pages", "Page size", "Title", ...); empty when the
// file is no readable PDF.
inline std::map<std::string, std::string> PdfInfo(const std::string& path) {
  std::map<std::string, std::string> fields;
  std::istringstream lines(RunCommand("pdfinfo '" + path + "' 2>/dev/null"));
  for (std::string line; std::getline(lines, line);) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    const size_t value = line.find_first_not_of(' ', colon + 1);
    fields[line.substr(0, colon)] = value == std::string::npos ? "" : line.substr(value);
  }
  return fields;
}

// The page size pdfinfo reports, in whole points.
inline std::pair<double, double> PdfPageSize(const std::map<std::string, std::string>& info) {
  double w = 0, h = 0;
  auto it = info.find("Page size");
  if (it != info.end()) std::sscanf(it->second.c_str(), "%lf x %lf", &w, &h);
  return {w, h};
}

}  // namespace qs::test
