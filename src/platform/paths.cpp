#include "platform/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <mutex>

#include "base/safefile.h"

namespace qs::platform {

namespace {
std::string g_programDirOverride;

bool MakeDirs(const std::string& dir) {
  std::string path;
  for (size_t i = 0; i < dir.size(); ++i) {
    path += dir[i];
    if ((dir[i] == '/' || i + 1 == dir.size()) && path.size() > 1) {
      if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
  }
  return DirectoryExists(dir);
}

bool Writable(const std::string& dir) { return ::access(dir.c_str(), W_OK) == 0; }

std::string XdgDir(const char* var, const char* fallback) {
  const char* v = std::getenv(var);
  std::string base;
  if (v && *v == '/') {
    base = v;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home && *home ? home : "/tmp") + fallback;
  }
  return IncludeTrailingPathDelimiter(base) + kProgramName + "/";
}

std::string WritableOr(const char* var, const char* fallback) {
  std::string dir = ProgramDir();
  if (Writable(dir)) return dir;
  std::string x = XdgDir(var, fallback);
  MakeDirs(x);
  return x;
}
}  // namespace

std::string ProgramFile() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  return std::string(buf, static_cast<size_t>(n));
}

std::string ProgramDir() {
  if (!g_programDirOverride.empty()) return g_programDirOverride;
  return ExtractFilePath(ProgramFile());
}

void SetProgramDirForTesting(const std::string& dir) {
  g_programDirOverride = dir.empty() ? dir : IncludeTrailingPathDelimiter(dir);
}

std::string FindResource(const std::string& relativePath) {
  std::string dir = ProgramDir();
  for (const std::string& candidate :
       {dir + ExtractFileName(relativePath), dir + "resources/" + relativePath,
        dir + "../share/quillstave4/" + relativePath}) {
    if (FileExists(candidate)) return candidate;
  }
  return {};
}

std::string ConfigDir() { return WritableOr("XDG_CONFIG_HOME", "/.config"); }
std::string DataDir() { return WritableOr("XDG_DATA_HOME", "/.local/share"); }
std::string CacheDir() {
  std::string dir = XdgDir("XDG_CACHE_HOME", "/.cache");
  MakeDirs(dir);
  return dir;
}
std::string SettingsFileName() { return ConfigDir() + "ProgramSetting.ini"; }

std::string TemplatesDir() {
  std::string dir = DataDir() + "Templates/";
  MakeDirs(dir);
  return dir;
}

std::string FindLibraryIndex(const std::string& fileName) {
  std::string own = LibraryIndexFileName(fileName);
  return FileExists(own) ? own : FindResource(fileName);
}

std::string LibraryIndexFileName(const std::string& fileName) { return DataDir() + ExtractFileName(fileName); }

std::string FindTemplate(const std::string& fileName) {
  std::string name = ExtractFileName(fileName);
  if (name.empty()) return {};
  std::string own = DataDir() + "Templates/" + name;
  if (FileExists(own)) return own;
  std::string shipped = ProgramDir() + "resources/Templates/" + name;
  return FileExists(shipped) ? shipped : std::string();
}

}  // namespace qs::platform
