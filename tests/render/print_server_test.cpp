// Printing through a real print server: a private CUPS server (its own
// folder, configuration and socket; no system service is touched) with a
// printer whose device is a file. Where the server cannot start here the
// test is skipped, not passed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "export_support.h"
#include "platform/printer.h"
#include "render_fixture.h"

namespace qs::test {
namespace {

namespace fs = std::filesystem;

// A printer that takes PDF and makes copies itself (the server's PDF
// filter repeats the pages), on A4 paper.
constexpr const char* kPrinterDescription = R"ppd(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "QSTEST.PPD"
*Manufacturer: "Quillstave"
*Product: "(Quillstave test printer)"
*ModelName: "Quillstave test printer"
*ShortNickName: "Quillstave test printer"
*NickName: "Quillstave test printer"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsManualCopies: True
*cupsFilter2: "application/vnd.cups-pdf application/pdf 0 -"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "0 0 595 842"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
)ppd";

constexpr const char* kPrinter = "QuillstaveTest";

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path) << text;
  fs::permissions(path, fs::perms::all);
}

// cupsd in the foreground on a socket in a folder of its own; stopped and
// removed with the object. Why it could not start is in Error.
class TPrivateCups {
 public:
  TPrivateCups() {
    const char* cupsd = "/usr/sbin/cupsd";
    if (::access(cupsd, X_OK) != 0 || std::system("command -v lpadmin >/dev/null 2>&1") != 0) {
      Error = "cupsd or lpadmin is not installed: tools/install-deps.sh installs them";
      return;
    }
    char name[] = "/tmp/qs_cups_XXXXXX";
    if (!::mkdtemp(name)) {
      Error = "no temporary folder";
      return;
    }
    folder_ = name;
    // The server gives up root for its filters: they must reach everything.
    for (const char* sub : {"spool", "cache", "state", "tmp", "log", "ppd", "out"}) fs::create_directory(folder_ / sub);
    for (const auto& entry : fs::recursive_directory_iterator(folder_)) fs::permissions(entry.path(), fs::perms::all);
    fs::permissions(folder_, fs::perms::all);
    Socket = (folder_ / "cups.sock").string();
    WriteText(folder_ / "cupsd.conf", "Listen " + Socket +
                                          "\nLogLevel warn\nWebInterface No\nBrowsing No\nDefaultAuthType None\n"
                                          "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                          "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n"
                                          "</Policy>\n");
    const std::string f = folder_.string();
    WriteText(folder_ / "cups-files.conf", "ServerRoot " + f + "\nStateDir " + f + "/state\nCacheDir " + f +
                                               "/cache\nRequestRoot " + f + "/spool\nTempDir " + f +
                                               "/tmp\nErrorLog " + f + "/log/error_log\nAccessLog " + f +
                                               "/log/access_log\nPageLog " + f +
                                               "/log/page_log\nServerBin /usr/lib/cups\nDataDir /usr/share/cups\n"
                                               "FileDevice Yes\n");
    WriteText(folder_ / "printer.ppd", kPrinterDescription);

    pid_ = ::fork();
    if (pid_ == 0) {
      const int log = ::open((folder_ / "log" / "cupsd.out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
      if (log >= 0) {
        ::dup2(log, 1);
        ::dup2(log, 2);
      }
      const std::string conf = (folder_ / "cupsd.conf").string(), files = (folder_ / "cups-files.conf").string();
      ::execl(cupsd, cupsd, "-f", "-c", conf.c_str(), "-s", files.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    if (pid_ < 0) {
      Error = "cupsd could not be started";
      return;
    }
    // Clients of this process (the program's printing and the tools) ask
    // this server.
    ::setenv("CUPS_SERVER", Socket.c_str(), 1);
    // At most 30 s for the socket: a busy machine may start it slowly.
    for (int i = 0; i < 300 && !fs::exists(Socket); ++i) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        Error = "cupsd stopped at once: " + ReadText(folder_ / "log" / "cupsd.out") +
                ReadText(folder_ / "log" / "error_log");
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!fs::exists(Socket)) {
      Error = "cupsd made no socket";
      return;
    }
    const std::string add = "lpadmin -p " + std::string(kPrinter) + " -E -v file://" + Output() + " -P " +
                            (folder_ / "printer.ppd").string() + " >/dev/null 2>&1";
    if (std::system(add.c_str()) != 0) Error = "lpadmin could not add the printer";
  }

  ~TPrivateCups() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
    ::unsetenv("CUPS_SERVER");
    std::error_code ignored;
    if (!folder_.empty()) fs::remove_all(folder_, ignored);
  }

  std::string Output() const { return (folder_ / "out" / "job.pdf").string(); }

  // Waits until the server has finished every job; false after a minute,
  // which only a failing test reaches.
  bool WaitForJobs() const {
    for (int i = 0; i < 600; ++i) {
      if (fs::exists(Output()) && RunCommand("lpstat -o " + std::string(kPrinter) + " 2>/dev/null").empty())
        return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

  std::string Error;
  std::string Socket;

 private:
  static std::string ReadText(const fs::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path folder_;
  pid_t pid_ = -1;
};

class PrintServerTest : public TRenderFixture {};

// Two pages in two collated copies reach the printer as one job that the
// server makes into four A4 sheets, page 1, 2, 1, 2.
TEST_F(PrintServerTest, TwoCollatedCopiesOfTwoPages) {
  QS_REQUIRE_POPPLER();
  if (std::system("command -v pdftoppm >/dev/null 2>&1") != 0) GTEST_SKIP() << "pdftoppm is not installed";
  TPrivateCups cups;
  if (!cups.Error.empty()) GTEST_SKIP() << "no print server: " << cups.Error;
  ASSERT_EQ(PrinterNames(), std::vector<std::string>{kPrinter});

  AddPage(1600);
  ASSERT_EQ(Score.LaidOutPages, 2);
  TPrintDialog dialog;
  dialog.PrinterName = kPrinter;
  dialog.Copies = 2;
  dialog.Collate = true;
  Window.PrintTitle = "Etude";
  Window.PrintScore(dialog);
  ASSERT_TRUE(cups.WaitForJobs()) << "the job did not arrive";

  const auto info = PdfInfo(cups.Output());
  EXPECT_EQ(info.at("Pages"), "4");
  const auto [width, height] = PdfPageSize(info);
  EXPECT_NEAR(width, 595, 1);
  EXPECT_NEAR(height, 842, 1);
  // Each sheet as a small picture: the copies repeat the pages in order.
  std::vector<std::string> sheets;
  for (int page = 1; page <= 4; ++page)
    sheets.push_back(RunCommand("pdftoppm -r 12 -gray -singlefile -f " + std::to_string(page) + " -l " +
                                std::to_string(page) + " '" + cups.Output() + "'"));
  EXPECT_FALSE(sheets[0].empty());
  EXPECT_TRUE(sheets[0] != sheets[1]) << "pages 1 and 2 look alike";
  EXPECT_TRUE(sheets[0] == sheets[2]) << "the second copy does not begin with page 1";
  EXPECT_TRUE(sheets[1] == sheets[3]) << "the second copy does not end with page 2";
}

}  // namespace
}  // namespace qs::test
