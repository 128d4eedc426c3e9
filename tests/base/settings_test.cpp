#include <gtest/gtest.h>

#include <sys/stat.h>

#include "base/exceptions.h"
#include "base/inifile.h"
#include "base/mathutil.h"
#include "base/safefile.h"
#include "base/stream.h"

using namespace qs;

namespace {
std::string TempFile(const char* name) {
  std::string f = testing::TempDir() + name;
  ::remove(f.c_str());
  return f;
}
}  // namespace

TEST(IniFile, KeysAndSectionsIgnoreCaseAndWritesReachTheDiskAtOnce) {
  std::string name = TempFile("settings.ini");
  SafeSaveText(name, "; comment\n[Main]\nLanguage=RUS\nCount = 12 \n\n[Other]\nx=1\n");
  TIniFile ini(name);
  EXPECT_EQ(ini.ReadString("MAIN", "language", "ENU"), "RUS");
  EXPECT_EQ(ini.ReadInteger("main", "COUNT", 0), 12);
  EXPECT_EQ(ini.ReadInteger("main", "missing", 5), 5);
  ini.WriteBool("Main", "Flag", true);
  ini.WriteString("New", "Key", "v");

  TIniFile again(name);
  EXPECT_EQ(again.ReadString("main", "flag", ""), "1");
  EXPECT_TRUE(again.ReadBool("Main", "Flag", false));
  EXPECT_EQ(again.ReadString("new", "key", ""), "v");
  EXPECT_EQ(again.ReadSection("Main").Count(), 3);
  // The comment and the order of the file are kept.
  EXPECT_EQ(ReadFileText(name).rfind("; comment\n[Main]\nLanguage=RUS\n", 0), 0u);
}

TEST(IniFile, BoundsOffScreenFurtherThanTheFormsSizeAreReset) {
  struct Case {
    const char* stored;
    TRect expected;
  } cases[] = {
      {"10,20,300,200", Bounds(10, 20, 300, 200)},
      {"-299,-199,300,200", Bounds(-299, -199, 300, 200)},  // still partly visible
      {"-301,20,300,200", Bounds(0, 20, 300, 200)},
      {"10,-250,300,200", Bounds(10, 0, 300, 200)},
      {"x,20,300,bad", Bounds(1, 20, 300, 4)},              // bad fields keep the form's value
  };
  std::string name = TempFile("bounds.ini");
  TIniFile ini(name);
  for (const auto& c : cases) {
    ini.WriteString("TFNotes", "Bounds", c.stored);
    TRect b = Bounds(1, 2, 3, 4);
    ASSERT_TRUE(ReadFormBounds(ini, "tfnotes", b));
    EXPECT_EQ(b, c.expected) << c.stored;
  }
  WriteFormBounds(ini, "TFNotes", Bounds(5, 6, 70, 80));
  EXPECT_EQ(ini.ReadString("TFNotes", "Bounds", ""), "5,6,70,80");
}

TEST(SafeSave, AFailedWriteLeavesTheOldFileIntact) {
  std::string name = TempFile("safe.bin");
  SafeSaveText(name, "old content");
  ::chmod(name.c_str(), 0640);
  EXPECT_THROW(SafeSaveFile(name,
                            [](TStream& out) {
                              out.WriteU32(0xDEADBEEF);
                              throw EWriteError();
                            }),
               EWriteError);
  EXPECT_EQ(ReadFileText(name), "old content");
  SafeSaveText(name, "new");
  EXPECT_EQ(ReadFileText(name), "new");
  struct stat st;
  ASSERT_EQ(::stat(name.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  // No temporary file is left behind in the folder.
  EXPECT_THROW(SafeSaveText("/nonexistent-dir/file.txt", "x"), EFCreateError);
}

TEST(Numbers, RoundingAndDivisionConventions) {
  struct { double x; int r; } rounds[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-2.5, -2}, {2.51, 3}, {-0.4, 0}};
  for (auto c : rounds) EXPECT_EQ(Round(c.x), c.r) << c.x;
  EXPECT_EQ(IDiv(-7, 2), -3);
  EXPECT_EQ(IMod(-7, 2), -1);
  EXPECT_THROW(IDiv(1, 0), EDivByZero);
  EXPECT_EQ(MulDiv(12, 96, 72), 16);
  EXPECT_EQ(MulDiv(-3, 1, 2), -2);  // halves away from zero
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
}
