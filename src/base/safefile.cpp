#include "base/safefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/exceptions.h"
#include "base/filemessages.h"
#include "base/stream.h"

namespace qs {

void SafeSaveFile(const std::string& fileName, const std::function<void(TStream&)>& write) {
  std::string dir = ExtractFilePath(fileName);
  std::string tmpl = (dir.empty() ? std::string("./") : dir) + "." + ExtractFileName(fileName) + ".XXXXXX";
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  int fd = ::mkstemp(buf.data());
  if (fd < 0) RaiseSaveError(fileName, errno, true);
  std::string tmpName(buf.data());

  // The new file takes the old one's permissions, or the usual ones.
  struct stat st;
  mode_t mode;
  if (::stat(fileName.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(fd, mode);

  int writeError = 0;
  try {
    TFileStream out(fd, tmpName);
    try {
      write(out);
      out.Flush(true);
    } catch (const EStreamError&) {
      // A write the system refused says which file and why.
      writeError = out.WriteErrorNumber();
      if (writeError == 0) throw;
    }
  } catch (...) {
    ::unlink(tmpName.c_str());
    throw;
  }
  if (writeError != 0) {
    ::unlink(tmpName.c_str());
    RaiseSaveError(fileName, writeError);
  }
  if (::rename(tmpName.c_str(), fileName.c_str()) != 0) {
    const int error = errno;
    ::unlink(tmpName.c_str());
    RaiseSaveError(fileName, error, true);
  }
}

void SafeSaveText(const std::string& fileName, const std::string& text) {
  SafeSaveFile(fileName, [&](TStream& out) { out.WriteBuffer(text.data(), text.size()); });
}

std::string ReadFileText(const std::string& fileName) {
  TFileStream f(fileName, FileMode::OpenRead);
  std::string s(static_cast<size_t>(f.Size()), '\0');
  f.ReadBuffer(s.data(), s.size());
  return s;
}

bool FileExists(const std::string& fileName) {
  struct stat st;
  return ::stat(fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& dir) {
  struct stat st;
  return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ExtractFilePath(const std::string& fileName) {
  auto p = fileName.find_last_of('/');
  return p == std::string::npos ? std::string() : fileName.substr(0, p + 1);
}

std::string ExtractFileName(const std::string& fileName) {
  auto p = fileName.find_last_of('/');
  return p == std::string::npos ? fileName : fileName.substr(p + 1);
}

std::string ExtractFileExt(const std::string& fileName) {
  std::string name = ExtractFileName(fileName);
  auto p = name.find_last_of('.');
  return p == std::string::npos ? std::string() : name.substr(p);
}

std::string ChangeFileExt(const std::string& fileName, const std::string& ext) {
  std::string cur = ExtractFileExt(fileName);
  return fileName.substr(0, fileName.size() - cur.size()) + ext;
}

std::string IncludeTrailingPathDelimiter(const std::string& dir) {
  if (!dir.empty() && dir.back() == '/') return dir;
  return dir + "/";
}

}  // namespace qs
