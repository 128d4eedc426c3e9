#pragma once
// Reading damaged copies of a file: every truncation and copies with a few
// random bytes changed, for the readers of every binary format.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "base/stream.h"

namespace qs::test {

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

// Reading bytes ends in EReadError with exactly this message.
inline void ExpectRefused(const std::vector<uint8_t>& bytes, const std::string& message,
                          const std::function<void(TStream&)>& read) {
  TMemoryStream s(bytes);
  try {
    read(s);
    ADD_FAILURE() << "no error, expected: " << message;
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), message);
  }
}

// The bytes a writer produces.
inline std::vector<uint8_t> Written(const std::function<void(TStream&)>& write) {
  TMemoryStream s;
  write(s);
  return s.Bytes();
}

}  // namespace qs::test
