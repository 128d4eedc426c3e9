#pragma once
// Safe saving: the new content is written completely into a temporary file
// created exclusively beside the target, flushed to disk and then renamed
// over the target in one step. When anything fails the temporary file is
// removed, the old file stays as it was and the error is raised.
#include <functional>
#include <string>

namespace qs {

class TStream;

void SafeSaveFile(const std::string& fileName, const std::function<void(TStream&)>& write);
void SafeSaveText(const std::string& fileName, const std::string& text);

// Reads a whole file into a string; raises EFOpenError.
std::string ReadFileText(const std::string& fileName);

bool FileExists(const std::string& fileName);
bool DirectoryExists(const std::string& dir);
// The folder part of a path, with its trailing separator ("" for none).
std::string ExtractFilePath(const std::string& fileName);
std::string ExtractFileName(const std::string& fileName);
// The extension with its dot (".sfd"), or "".
std::string ExtractFileExt(const std::string& fileName);
std::string ChangeFileExt(const std::string& fileName, const std::string& ext);
std::string IncludeTrailingPathDelimiter(const std::string& dir);

}  // namespace qs
