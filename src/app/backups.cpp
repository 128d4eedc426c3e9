#include "app/backups.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "uikit/settings.h"

namespace qs {

namespace fs = std::filesystem;

namespace {

constexpr const char* kBackupMark = ".v";
constexpr const char* kBackupExtension = ".sfd";

// The number in text made of decimal digits only (at most nine), or 0.
int DigitsValue(const std::string& text) {
  if (text.empty() || text.size() > 9) return 0;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

std::string BackupCopyName(const std::string& fileName, int number) {
  const fs::path path(fileName);
  return (path.parent_path() / (path.stem().string() + kBackupMark + std::to_string(number) + kBackupExtension))
      .string();
}

int BackupNumberOf(const std::string& fileName, const std::string& name) {
  // Only the file's own name counts: a ".v" in a folder name is no mark.
  const std::string stem = fs::path(fileName).stem().string();
  const std::string own = fs::path(name).filename().string();
  const std::string head = stem + kBackupMark;
  const size_t tail = std::char_traits<char>::length(kBackupExtension);
  if (own.size() <= head.size() + tail || own.compare(0, head.size(), head) != 0 ||
      own.compare(own.size() - tail, tail, kBackupExtension) != 0)
    return 0;
  return DigitsValue(own.substr(head.size(), own.size() - head.size() - tail));
}

bool IsBackupCopyName(const std::string& fileName) {
  if (fs::path(fileName).extension() != kBackupExtension) return false;
  const std::string stem = fs::path(fileName).stem().string();
  const size_t mark = stem.rfind(kBackupMark);
  return mark != std::string::npos && DigitsValue(stem.substr(mark + 2)) > 0;
}

std::vector<int> ExistingBackupNumbers(const std::string& fileName) {
  std::vector<int> numbers;
  std::error_code error;
  const fs::path folder = fs::path(fileName).parent_path();
  for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error), end; !error && it != end;
       it.increment(error)) {
    const int number = BackupNumberOf(fileName, it->path().string());
    if (number > 0) numbers.push_back(number);
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

std::string MakeBackupCopy(const std::string& fileName, const TEditorSettings& settings) {
  if (!settings.SaveBackUp || IsBackupCopyName(fileName)) return {};
  std::error_code error;
  if (!fs::is_regular_file(fileName, error)) return {};
  std::vector<int> numbers = ExistingBackupNumbers(fileName);
  const std::string copy = BackupCopyName(fileName, numbers.empty() ? 1 : numbers.back() + 1);
  if (!fs::copy_file(fileName, copy, fs::copy_options::overwrite_existing, error)) return {};
  if (settings.LimitBackUp) {
    // The old copies beyond the limit go, the lowest numbers first; the new
    // copy always stays.
    const size_t keepOld = static_cast<size_t>(std::max(settings.CountBackUp, 1) - 1);
    while (numbers.size() > keepOld) {
      fs::remove(BackupCopyName(fileName, numbers.front()), error);
      numbers.erase(numbers.begin());
    }
  }
  return copy;
}

}  // namespace qs
