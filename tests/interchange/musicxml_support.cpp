#include "musicxml_support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "layout/layout.h"

namespace qs::test {

std::string ExportText(TQSScore& score, TQSPiece& piece) {
  LayoutScore(score, 0);
  TMemoryStream s;
  ExportMusicXml(score, &piece, s);
  return std::string(s.Bytes().begin(), s.Bytes().end());
}

std::vector<std::string> FixtureFiles() {
  std::vector<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(std::string(QS_TEST_DATA_DIR) + "/musicxml"))
    if (e.path().extension() == ".xml") files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

}  // namespace qs::test
