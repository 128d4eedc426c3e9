#pragma once
// Helpers of the library-file tests: a program folder of their own and the
// shipped resources.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "damaged_copies.h"
#include "platform/paths.h"

namespace qs::test {

// A fresh folder that the program takes for its own while the object
// lives; with `shipped` its "resources" are the repository's.
class TProgramFolder {
 public:
  explicit TProgramFolder(bool shipped = false) {
    std::string tmpl = ::testing::TempDir() + "qslib.XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    dir_ = std::string(::mkdtemp(buf.data())) + "/";
    if (shipped) std::filesystem::create_directory_symlink(ShippedResources(), dir_ + "resources");
    platform::SetProgramDirForTesting(dir_);
  }
  ~TProgramFolder() {
    platform::SetProgramDirForTesting("");
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  TProgramFolder(const TProgramFolder&) = delete;
  TProgramFolder& operator=(const TProgramFolder&) = delete;

  const std::string& Dir() const { return dir_; }
  static std::string ShippedResources() { return std::string(QS_SOURCE_DIR) + "/resources/"; }

 private:
  std::string dir_;
};

}  // namespace qs::test
