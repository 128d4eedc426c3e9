#pragma once
// Where the program finds its files. This is the one place that decides it.
//
// Read-only resources (the music font, language files, templates) are
// looked for beside the program first, then in its "resources" folder.
// Files the program writes (settings, caches, backups of its own) go beside
// the program only when that folder is writable; otherwise to the user's
// XDG folders ($XDG_CONFIG_HOME/quillstave4 for settings,
// $XDG_DATA_HOME/quillstave4 for data).
#include <string>

namespace qs::platform {

// The program's own name: its executable, its folders under the user's
// XDG folders, and the stem of files that travel with it (language files).
inline constexpr const char* kProgramName = "quillstave4";

// The running program's file and folder (the folder with a trailing "/").
std::string ProgramFile();
std::string ProgramDir();

// Full path of a read-only resource, or "" when it is nowhere.
// relativePath may name a subfolder ("fonts/QuaveroSymbols.ttf"): beside
// the program only the file name is tried.
std::string FindResource(const std::string& relativePath);

// Folders for files the program writes; created when missing.
std::string ConfigDir();
std::string DataDir();

// Files the program can fetch again ("$XDG_CACHE_HOME/quillstave4/", the
// downloaded news); created when missing.
std::string CacheDir();

// "ProgramSetting.ini" in ConfigDir().
std::string SettingsFileName();

// The user's libraries: their index files ("Symbols.ini", "Guitars.ini",
// ...) lie in DataDir(), the library files in its "Templates" folder
// (created when missing). The program ships first versions of both among
// its resources; the user's own copy wins once it exists.
std::string TemplatesDir();
// Where a library index file is read: the user's one, else the shipped
// one, else "" (the library is empty).
std::string FindLibraryIndex(const std::string& fileName);
// Where it is written.
std::string LibraryIndexFileName(const std::string& fileName);
// The file of a library entry ("Default.int"): the user's Templates
// folder, else the shipped "Templates" resources; "" when neither has it.
std::string FindTemplate(const std::string& fileName);

// Overrides the program folder (tests, tools).
void SetProgramDirForTesting(const std::string& dir);

}  // namespace qs::platform
