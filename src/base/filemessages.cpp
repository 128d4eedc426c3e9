#include "base/filemessages.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qs {

namespace {

// In the order of TFileMessage; the language file "FileMessages" of every
// language holds the same numbers.
constexpr const char* kEnglish[kFileMessageCount] = {
    "The file \"%1\" could not be saved: the disk is full.",
    "The file \"%1\" could not be saved: there is no permission to write it there.",
    "The file \"%1\" could not be saved: its folder does not exist.",
    "The file \"%1\" could not be saved: %2.",
    "\"%1\" is a folder, not a score file.",
    "\"%1\" is a named pipe, not a score file.",
    "\"%1\" is a device, not a score file.",
    "\"%1\" is not a file that holds a score.",
    "There is not enough memory to read the file \"%1\".",
    "%1 pages cannot be exported at once; at most %2 are. Export fewer pages.",
};

}  // namespace

const char* FileMessageEnglish(TFileMessage message) {
  const int index = static_cast<int>(message);
  return index >= 0 && index < kFileMessageCount ? kEnglish[index] : "";
}

std::string FillInArguments(std::string text, const std::vector<std::string>& args) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (text[i] == '%' && next >= '1' && next <= '9' && static_cast<size_t>(next - '1') < args.size()) {
      out += args[static_cast<size_t>(next - '1')];
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

namespace {

TFileMessage SaveMessage(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
      return TFileMessage::SaveDiskFull;
    case EACCES:
    case EPERM:
    case EROFS:
      return TFileMessage::SaveNoPermission;
    case ENOENT:
    case ENOTDIR:
      return TFileMessage::SaveNoFolder;
    default:
      return TFileMessage::SaveFailed;
  }
}

}  // namespace

void RaiseSaveError(const std::string& fileName, int error, bool creating) {
  const TFileMessage message = SaveMessage(error);
  std::vector<std::string> args = {fileName};
  if (message == TFileMessage::SaveFailed) args.emplace_back(error ? std::strerror(error) : "the system gave no reason");
  if (creating) throw EFileMessage<EFCreateError>(message, std::move(args));
  throw EFileMessage<EWriteError>(message, std::move(args));
}

void CheckIsRegularFile(const std::string& fileName) {
  struct stat st;
  if (::stat(fileName.c_str(), &st) != 0 || S_ISREG(st.st_mode)) return;
  TFileMessage message = TFileMessage::IsNoFile;
  if (S_ISDIR(st.st_mode)) message = TFileMessage::IsFolder;
  else if (S_ISFIFO(st.st_mode)) message = TFileMessage::IsPipe;
  else if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) message = TFileMessage::IsDevice;
  throw EFileMessage<EFOpenError>(message, {fileName});
}

void CheckFitsInMemory(const std::string& fileName, int64_t size) {
  const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return;
  if (size / pageSize >= pages) throw EFileMessage<EFOpenError>(TFileMessage::TooLargeForMemory, {fileName});
}

}  // namespace qs
