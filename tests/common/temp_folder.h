#pragma once
// A folder of its own for a test's files, removed with everything in it.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

namespace qs::test {

class TTempFolder {
 public:
  TTempFolder() {
    std::string pattern = testing::TempDir() + "qsfolderXXXXXX";
    Path = std::string(mkdtemp(pattern.data())) + "/";
  }
  ~TTempFolder() { std::filesystem::remove_all(Path); }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;
  // The names of what the folder holds.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(Path)) names.push_back(e.path().filename());
    return names;
  }
  std::string Path;  // with a trailing "/"
};

}  // namespace qs::test
