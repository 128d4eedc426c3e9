#pragma once
// Messages about files that the folders below the user interface raise and
// the user reads: a save that failed and why, a path that names no file,
// a file too large for memory, an export of too many pages. Each has a
// number in the language record kFileMessageRecord and its English text
// here; the interface shows it in the user's language.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/exceptions.h"

namespace qs {

// The numbers of the messages in the language record; the arguments are
// named after each.
enum class TFileMessage : int {
  SaveDiskFull = 0,   // file
  SaveNoPermission,   // file
  SaveNoFolder,       // file
  SaveFailed,         // file, the system's reason
  IsFolder,           // file
  IsPipe,             // file
  IsDevice,           // file
  IsNoFile,           // file (a socket or anything else that is no file)
  TooLargeForMemory,  // file
  TooManyPages,       // the pages asked for, the most exported at once
};
constexpr int kFileMessageCount = 10;
constexpr const char* kFileMessageRecord = "FileMessages";

// The English text, with %1, %2 ... standing for the arguments.
const char* FileMessageEnglish(TFileMessage message);
// A text with its arguments put in for %1, %2 ...
std::string FillInArguments(std::string text, const std::vector<std::string>& args);

// What an exception about a file carries besides its English text.
class TFileMessageInfo {
 public:
  TFileMessageInfo(TFileMessage message, std::vector<std::string> args)
      : Message(message), Args(std::move(args)) {}
  virtual ~TFileMessageInfo() = default;
  TFileMessage Message;
  std::vector<std::string> Args;
};

// An exception of the family Base (EWriteError, EFOpenError ...) whose
// text is one of the messages above.
template <class Base>
class EFileMessage : public Base, public TFileMessageInfo {
 public:
  EFileMessage(TFileMessage message, std::vector<std::string> args)
      : Base(FillInArguments(FileMessageEnglish(message), args)), TFileMessageInfo(message, std::move(args)) {}
};

// Raises the message of a save of fileName that failed with the system's
// error number: an EFCreateError when the file could not be made (or put
// in place), an EWriteError when writing it failed.
[[noreturn]] void RaiseSaveError(const std::string& fileName, int error, bool creating = false);

// Refuses a path that names a folder, a pipe, a device or anything else
// that is no regular file, as what it is. A path that names nothing passes.
void CheckIsRegularFile(const std::string& fileName);

// Refuses a file of size bytes that is larger than the computer's memory.
void CheckFitsInMemory(const std::string& fileName, int64_t size);

}  // namespace qs
