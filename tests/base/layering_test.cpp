// The source folders stand in one order (src/CMakeLists.txt builds them in
// it): a folder may include only its own headers and those of the folders
// before it, and Qt stays inside the platform folder's .cpp files and its
// private qt*.h headers. These tests read the source tree and name every
// file that breaks either rule.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The folders in their building order, as src/CMakeLists.txt lists them.
std::vector<std::string> FolderOrder(const std::string& cmake_lists) {
  std::vector<std::string> order;
  static const std::regex folder_line(R"(^\s*qs_folder\(\s*(\w+))");
  std::istringstream lines(cmake_lists);
  for (std::string line; std::getline(lines, line);) {
    std::smatch match;
    if (std::regex_search(line, match, folder_line)) order.push_back(match[1]);
  }
  return order;
}

int RankOf(const std::vector<std::string>& order, const std::string& folder) {
  for (size_t i = 0; i < order.size(); ++i)
    if (order[i] == folder) return static_cast<int>(i);
  return -1;
}

// Index of the closing quote of the raw string literal whose opening quote
// stands at `quote`; its contents are blanked with `blank`.
size_t PastRawString(std::string& code, size_t quote, bool blank) {
  const size_t open = code.find('(', quote);
  if (open == std::string::npos) return code.size();
  const std::string closing = ")" + code.substr(quote + 1, open - quote - 1) + "\"";
  const size_t close = code.find(closing, open);
  const size_t end = close == std::string::npos ? code.size() : close + closing.size() - 1;
  if (blank)
    for (size_t i = quote + 1; i < end; ++i)
      if (code[i] != '\n') code[i] = ' ';
  return end;
}

// The text with comments (and, with `blank_literals`, string and character
// literals) blanked out, so that a word in an explanation or a message is not
// taken for code. Line breaks stay, so line numbers still hold.
std::string CodeOnly(const std::string& text, bool blank_literals) {
  std::string code = text;
  enum { kCode, kLine, kBlock, kString, kChar } state = kCode;
  for (size_t i = 0; i < code.size(); ++i) {
    const char c = code[i];
    const char next = i + 1 < code.size() ? code[i + 1] : '\0';
    switch (state) {
      case kCode:
        if (c == '/' && next == '/') state = kLine;
        else if (c == '/' && next == '*') state = kBlock;
        else if (c == '"' && i > 0 && code[i - 1] == 'R') i = PastRawString(code, i, blank_literals);
        else if (c == '"') state = kString;
        else if (c == '\'' && !(i > 0 && std::isxdigit(static_cast<unsigned char>(code[i - 1]))))
          state = kChar;  // a digit separator (1'000) opens no literal
        continue;
      case kLine:
        if (c == '\n') state = kCode;
        else code[i] = ' ';
        continue;
      case kBlock:
        if (c == '*' && next == '/') {
          code[i] = code[i + 1] = ' ';
          ++i;
          state = kCode;
        } else if (c != '\n') {
          code[i] = ' ';
        }
        continue;
      case kString:
      case kChar:
        if (c == '\\') {
          if (blank_literals) code[i] = ' ';
          if (i + 1 < code.size() && code[i + 1] != '\n') {
            ++i;
            if (blank_literals) code[i] = ' ';
          }
        } else if (c == (state == kString ? '"' : '\'')) {
          state = kCode;
        } else if (c != '\n' && blank_literals) {
          code[i] = ' ';
        }
        continue;
    }
  }
  return code;
}

// The folder a file of src/ belongs to ("" for the program's own main).
std::string FolderOf(const std::string& relative_path) {
  const size_t slash = relative_path.find('/');
  return slash == std::string::npos ? std::string() : relative_path.substr(0, slash);
}

// One line per include of `text` that reaches a folder standing after the
// file's own folder in `order`.
std::vector<std::string> UpwardIncludes(const std::vector<std::string>& order,
                                        const std::string& relative_path,
                                        const std::string& text) {
  std::vector<std::string> faults;
  const int own_rank = RankOf(order, FolderOf(relative_path));
  if (own_rank < 0) return faults;  // the composition root may use every folder
  static const std::regex include_line(R"(^\s*#\s*include\s*[<"]([^/>"]+)/[^>"]*[>"])");
  std::istringstream lines(CodeOnly(text, false));
  int number = 0;
  for (std::string line; std::getline(lines, line);) {
    ++number;
    std::smatch match;
    if (!std::regex_search(line, match, include_line)) continue;
    const int rank = RankOf(order, match[1]);
    if (rank > own_rank)
      faults.push_back(relative_path + ":" + std::to_string(number) + ": " + line);
  }
  return faults;
}

// Qt may be named only in the platform folder's .cpp files and its private
// qt*.h headers, which no other folder can see.
bool MayUseQt(const std::string& relative_path) {
  const fs::path path(relative_path);
  if (FolderOf(relative_path) != "platform") return false;
  const std::string name = path.filename().string();
  return path.extension() == ".cpp" || (name.rfind("qt", 0) == 0 && path.extension() == ".h");
}

// One line per line of `text` that includes a Qt header or names one of
// Qt's classes, its namespace or its macros (even declared ahead).
std::vector<std::string> QtUses(const std::string& relative_path, const std::string& text) {
  std::vector<std::string> faults;
  if (MayUseQt(relative_path)) return faults;
  static const std::regex qt_include(R"(^\s*#\s*include\s*<Q)");
  static const std::regex qt_name(R"(\b(Q[A-Z][a-z]\w*|Qt\s*::|Q_[A-Z_]+)\b)");
  std::istringstream lines(CodeOnly(text, false)), code(CodeOnly(text, true));
  int number = 0;
  for (std::string line, code_line; std::getline(lines, line) && std::getline(code, code_line);) {
    ++number;
    if (std::regex_search(line, qt_include) || std::regex_search(code_line, qt_name))
      faults.push_back(relative_path + ":" + std::to_string(number) + ": " + line);
  }
  return faults;
}

struct SourceFile {
  std::string relative_path;  // below src/
  std::string text;
};

std::vector<SourceFile> SourceFiles() {
  std::vector<SourceFile> files;
  const fs::path root = fs::path(QS_SOURCE_DIR) / "src";
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const fs::path& path = entry.path();
    const std::string extension = path.extension().string();
    if (!entry.is_regular_file() || (extension != ".h" && extension != ".cpp" && extension != ".inc"))
      continue;
    files.push_back({fs::relative(path, root).generic_string(), ReadAll(path)});
  }
  return files;
}

std::string Lines(const std::vector<std::string>& faults) {
  std::string text;
  for (const std::string& fault : faults) text += fault + "\n";
  return text;
}

// A file's path below src/, its text and how many faults it holds.
struct TCase {
  const char* path;
  const char* text;
  size_t faults;
};

const std::vector<std::string> kOrder = {"base", "platform", "score", "layout", "render", "uikit"};

TEST(Layering, FolderOrderComesFromTheBuild) {
  const auto order = FolderOrder(ReadAll(fs::path(QS_SOURCE_DIR) / "src" / "CMakeLists.txt"));
  ASSERT_GE(order.size(), 3u);
  EXPECT_EQ(order.front(), "base");
  EXPECT_EQ(order[1], "platform");
  EXPECT_EQ(order.back(), "app");
}

TEST(Layering, IncludesOfLaterFoldersAreFound) {
  const TCase cases[] = {
      {"score/item.h", "#include \"base/stream.h\"\n#include \"platform/canvas.h\"\n", 0},
      {"score/item.h", "#include \"score/page.h\"\n", 0},
      {"score/item.cpp", "#include \"layout/layout.h\"\n", 1},
      {"layout/pass.cpp", "#include <vector>\n  #  include \"uikit/menu.h\"\n#include \"render/surface.h\"\n", 2},
      {"base/zip.cpp", "// #include \"render/surface.h\" is not needed\n#include \"platform/x.h\"\n", 1},
      {"main.cpp", "#include \"uikit/menu.h\"\n", 0},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(UpwardIncludes(kOrder, c.path, c.text).size(), c.faults) << c.path << "\n" << c.text;
}

TEST(Layering, QtOutsideThePlatformsPrivateFilesIsFound) {
  const TCase cases[] = {
      {"platform/canvas.cpp", "#include <QPainter>\n", 0},
      {"platform/qtsurface.h", "#include <QImage>\n", 0},
      {"platform/canvas.h", "#include <QPainter>\n", 1},
      {"view/window.cpp", "#include <vector>\n#include <QtGui/QImage>\n", 1},
      {"score/item.h", "#include \"base/stream.h\"\n", 0},
      {"platform/controls.h", "class QWidget;\nnamespace qs {\n", 1},
      {"platform/fonts.h", "QRawFont RunFont(const TTextRun& run);\n", 1},
      {"uikit/menu.cpp", "int k = Qt::Key_A;\nQ_OBJECT\n", 2},
      {"view/notes.h", "// as \"QSNotes\" under QMimeData\nconst char* kFormat = \"QMimeData\";\n", 0},
      {"base/text.h", "/* QString\n QChar */ int QS_LIMIT = 1'000; char c = 'Q';\n", 0},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(QtUses(c.path, c.text).size(), c.faults) << c.path << "\n" << c.text;
}

TEST(Layering, NoSourceFileIncludesALaterFolder) {
  const auto order = FolderOrder(ReadAll(fs::path(QS_SOURCE_DIR) / "src" / "CMakeLists.txt"));
  std::vector<std::string> faults;
  for (const SourceFile& file : SourceFiles()) {
    const auto found = UpwardIncludes(order, file.relative_path, file.text);
    faults.insert(faults.end(), found.begin(), found.end());
  }
  EXPECT_TRUE(faults.empty()) << Lines(faults);
}

TEST(Layering, QtStaysInsideThePlatformsSourcesAndPrivateHeaders) {
  std::vector<std::string> faults;
  for (const SourceFile& file : SourceFiles()) {
    const auto found = QtUses(file.relative_path, file.text);
    faults.insert(faults.end(), found.begin(), found.end());
  }
  EXPECT_TRUE(faults.empty()) << Lines(faults);
}

}  // namespace
