#pragma once
// Property entries of a language file, made short for the tests.
#include <string>
#include <vector>

#include "uikit/lrf.h"

namespace qs::test {

inline TLanguageEntry Text(const std::string& path, const std::string& text) {
  TLanguageEntry e;
  e.Path = path;
  e.Type = static_cast<uint8_t>(TLanguageEntryType::Text);
  e.Text = text;
  return e;
}

inline TLanguageEntry Lines(const std::string& path, std::vector<std::string> lines) {
  TLanguageEntry e;
  e.Path = path;
  e.Type = static_cast<uint8_t>(TLanguageEntryType::Strings);
  e.Lines = std::move(lines);
  return e;
}

inline TLanguageEntry Font(const std::string& path, const std::string& name, uint8_t charSet, int size) {
  TLanguageEntry e;
  e.Path = path;
  e.Type = static_cast<uint8_t>(TLanguageEntryType::Font);
  e.Font = {name, charSet, size};
  return e;
}

}  // namespace qs::test
