#pragma once
// Helpers of the library-file tests: a program folder of their own, the
// shipped resources, and reading damaged copies of a file.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "base/stream.h"
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

// Reads every truncation of bytes and `rounds` copies with a few random
// bytes changed. A damaged file may only end in one of the program's own
// exceptions with a message (anything else, a crash or a sanitizer report
// fails). Returns how many reads raised.
inline int ReadDamagedCopies(const std::vector<uint8_t>& bytes, const std::function<void(TStream&)>& read,
                             unsigned seed = 1, int rounds = 400) {
  int failures = 0;
  auto attempt = [&](std::vector<uint8_t> data) {
    TMemoryStream s(std::move(data));
    try {
      read(s);
    } catch (const Exception& e) {
      ++failures;
      EXPECT_FALSE(e.Message().empty());
    }
  };
  for (size_t n = 0; n < bytes.size(); ++n) attempt({bytes.begin(), bytes.begin() + static_cast<long>(n)});
  std::mt19937 random(seed);
  std::uniform_int_distribution<size_t> at(0, bytes.size() - 1);
  std::uniform_int_distribution<int> value(0, 255), flips(1, 4);
  for (int round = 0; round < rounds; ++round) {
    std::vector<uint8_t> data = bytes;
    for (int i = flips(random); i > 0; --i) data[at(random)] = static_cast<uint8_t>(value(random));
    attempt(std::move(data));
  }
  return failures;
}

// The bytes a writer produces.
inline std::vector<uint8_t> Written(const std::function<void(TStream&)>& write) {
  TMemoryStream s;
  write(s);
  return s.Bytes();
}

}  // namespace qs::test
