// qs-helppack FOLDER OUT.xcf [--language CODE]: packs the help topics
// (".xml" files, UTF-8) and pictures (".bmp", ".gif", ".jpg", ".ico",
// ".wmf"/".emf") of a folder into one help container. Topic and picture
// names are the file names; the markup is stored in the code page of the
// container's interface language (ENU unless given).
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/safefile.h"
#include "base/strings.h"
#include "base/text.h"
#include "help/helpcontent.h"
#include "uikit/lrf.h"

namespace {

using namespace qs;
namespace fs = std::filesystem;

std::string Encode(const std::string& utf8, CodePage cp, const std::string& what) {
  bool lossless = true;
  std::string bytes = Utf8ToAnsi(utf8, cp, &lossless);
  if (!lossless) throw std::runtime_error(what + " holds characters the code page cannot store");
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && !(argc == 5 && std::string(argv[3]) == "--language")) {
    std::fprintf(stderr, "usage: qs-helppack FOLDER OUT.xcf [--language ENU|DEU|FRA|ITA|RUS]\n");
    return 2;
  }
  try {
    const CodePage cp = LanguageCodePage(argc == 5 ? argv[4] : kDefaultLanguage);
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(argv[1]))
      if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::vector<THelpTopicSource> topics;
    std::vector<THelpPictureSource> pictures;
    for (const fs::path& path : files) {
      const std::string name = path.filename().string();
      if (LowerCase(path.extension().string()) == ".xml") {
        topics.push_back({Encode(name, cp, name), Encode(ReadFileText(path.string()), cp, name)});
      } else if (TQSGraphicType type = GraphicTypeOfFile(name); type != TQSGraphicType::None) {
        const std::string data = ReadFileText(path.string());
        pictures.push_back({Encode(name, cp, name), type, std::vector<uint8_t>(data.begin(), data.end())});
      }
    }
    SafeSaveFile(argv[2], [&](TStream& s) { WriteHelpContainer(s, topics, pictures); });
    std::printf("%zu topics, %zu pictures\n", topics.size(), pictures.size());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qs-helppack: %s\n", e.what());
    return 1;
  }
  return 0;
}
