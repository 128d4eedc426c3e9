// Messages about files: a save that failed names the file and why, a path
// that is no regular file is refused as what it is.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/filemessages.h"
#include "base/safefile.h"
#include "base/stream.h"
#include "../common/temp_folder.h"

namespace qs {
namespace {

using test::TTempFolder;

// The message a call raises, and which one it is (-1: none of ours).
struct TRaised {
  std::string Text;
  int Message = -1;
};

template <class F>
TRaised Raised(F&& f) {
  try {
    f();
  } catch (const Exception& e) {
    const auto* info = dynamic_cast<const TFileMessageInfo*>(&e);
    return {e.Message(), info ? static_cast<int>(info->Message) : -1};
  }
  return {"", -2};
}

TEST(FileMessages, SaveErrorsSayWhichFileAndWhy) {
  const struct {
    int Error;
    TFileMessage Message;
    const char* Text;
  } cases[] = {
      {ENOSPC, TFileMessage::SaveDiskFull, "The file \"/a/b.sfd\" could not be saved: the disk is full."},
      {EDQUOT, TFileMessage::SaveDiskFull, "The file \"/a/b.sfd\" could not be saved: the disk is full."},
      {EACCES, TFileMessage::SaveNoPermission,
       "The file \"/a/b.sfd\" could not be saved: there is no permission to write it there."},
      {EROFS, TFileMessage::SaveNoPermission,
       "The file \"/a/b.sfd\" could not be saved: there is no permission to write it there."},
      {ENOENT, TFileMessage::SaveNoFolder, "The file \"/a/b.sfd\" could not be saved: its folder does not exist."},
      {EISDIR, TFileMessage::SaveFailed, "The file \"/a/b.sfd\" could not be saved: Is a directory."},
  };
  for (const auto& c : cases) {
    const TRaised r = Raised([&] { RaiseSaveError("/a/b.sfd", c.Error); });
    EXPECT_EQ(r.Text, c.Text);
    EXPECT_EQ(r.Message, static_cast<int>(c.Message)) << c.Text;
  }
}

// Saving through the file system: a missing folder, a target that is a
// folder, and a file larger than the system allows, each say so and leave
// no temporary file behind.
TEST(FileMessages, FailedSavesThroughTheFileSystem) {
  TTempFolder folder;
  const std::vector<uint8_t> bytes(100000, 7);
  auto save = [&](const std::string& name) {
    return Raised([&] { SafeSaveFile(name, [&](TStream& s) { s.WriteBuffer(bytes.data(), bytes.size()); }); });
  };
  const std::string missing = folder.Path + "no/such/score.sfd";
  EXPECT_EQ(save(missing).Text, "The file \"" + missing + "\" could not be saved: its folder does not exist.");

  const std::string sub = folder.Path + "sub";
  std::filesystem::create_directory(sub);
  EXPECT_EQ(save(sub).Text, "The file \"" + sub + "\" could not be saved: Is a directory.");

  // A write the system refuses part way (here a limit on the file size).
  struct rlimit old;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::string big = folder.Path + "big.sfd";
  const TRaised r = save(big);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(r.Text, "The file \"" + big + "\" could not be saved: File too large.");
  EXPECT_EQ(r.Message, static_cast<int>(TFileMessage::SaveFailed));

  EXPECT_EQ(folder.Files(), std::vector<std::string>{"sub"});
}

TEST(FileMessages, PathsThatAreNoFileAreRefusedAsWhatTheyAre) {
  TTempFolder folder;
  const std::string fifo = folder.Path + "pipe.sfd";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string file = folder.Path + "score.sfd";
  SafeSaveText(file, "x");
  const struct {
    std::string Path;
    std::string Text;
  } cases[] = {
      {folder.Path, "\"" + folder.Path + "\" is a folder, not a score file."},
      {fifo, "\"" + fifo + "\" is a named pipe, not a score file."},
      {"/dev/null", "\"/dev/null\" is a device, not a score file."},
      {file, ""},
      {folder.Path + "missing.sfd", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Raised([&] { CheckIsRegularFile(c.Path); }).Text, c.Text) << c.Path;
}

TEST(FileMessages, FilesLargerThanMemoryAreRefused) {
  const int64_t memory = int64_t{sysconf(_SC_PHYS_PAGES)} * sysconf(_SC_PAGESIZE);
  EXPECT_EQ(Raised([&] { CheckFitsInMemory("huge.mid", memory * 2); }).Text,
            "There is not enough memory to read the file \"huge.mid\".");
  EXPECT_EQ(Raised([&] { CheckFitsInMemory("small.mid", 1 << 20); }).Text, "");
}

TEST(FileMessages, ArgumentsAreFilledIn) {
  EXPECT_EQ(FillInArguments("%2 of %1, %3 %", {"a", "b"}), "b of a, %3 %");
  EXPECT_EQ(FillInArguments("%1%1", {"%2", "x"}), "%2%2");
}

}  // namespace
}  // namespace qs
