// Sending the score by e-mail: the recipients as typed, the message as it
// goes over SMTP, the password file (as the settings dialog fills it), the
// desktop's mail program (a stand-in for xdg-email on PATH) and the
// dialog's choice between them.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../common/temp_folder.h"
#include "app/mail.h"
#include "app/mainwindow.h"
#include "app/settingscommands.h"
#include "dialogs/settingsdialog.h"
#include "layout/layout.h"
#include "platform/forms.h"
#include "platform/keys.h"
#include "platform/paths.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "uikit/settings.h"

using namespace qs;
namespace td = qs::testdriver;

namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Base64Decode(const std::string& text) {
  static const std::string table = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  int bits = 0, value = 0;
  for (char c : text) {
    const size_t v = table.find(c);
    if (v == std::string::npos) continue;
    value = (value << 6) | static_cast<int>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((value >> bits) & 0xFF);
    }
  }
  return out;
}

// A port on 127.0.0.1 where nothing listens.
int ClosedPort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t n = sizeof a;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &n);
  ::close(s);
  return ntohs(a.sin_port);
}

// xdg-email replaced on PATH by a script that writes its arguments, one a
// line, and ends with status; PATH comes back with the object.
class TFakeMailClient {
 public:
  TFakeMailClient(const std::string& folder, int status) : log(folder + "xdg-email.args") {
    const std::string script = folder + "xdg-email";
    std::ofstream(script) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << log
                          << "'\nexit " << status << "\n";
    ::chmod(script.c_str(), 0755);
    oldPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", (folder + ":" + oldPath_).c_str(), 1);
  }
  ~TFakeMailClient() { ::setenv("PATH", oldPath_.c_str(), 1); }
  std::vector<std::string> Arguments() const {
    std::vector<std::string> lines;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  std::string log;

 private:
  std::string oldPath_;
};

TEST(MailRecipients, EntriesNamesAndAddresses) {
  struct TCase {
    const char* Text;
    std::vector<std::pair<std::string, std::string>> Expected;  // name, address
  };
  const TCase cases[] = {
      {"Anna Berg <anna@example.org>; bob", {{"Anna Berg ", "anna@example.org"}, {"", "bob"}}},
      {"Carl (carl@example.org)", {{"Carl ", "carl@example.org"}}},
      // Either separator ends an entry, whichever comes first.
      {"a@x.org; b@y.org, c@z.org", {{"", "a@x.org"}, {"", "b@y.org"}, {"", "c@z.org"}}},
      // Empty entries (a final ";", blanks) are no recipients.
      {" dora@example.org ;; ", {{"", "dora@example.org"}}},
      {"   ", {}},
      {"Eve <>", {}},
  };
  for (const TCase& c : cases) {
    std::vector<std::pair<std::string, std::string>> got;
    for (const TMailRecipient& r : ParseRecipients(c.Text)) got.emplace_back(r.Name, r.Address);
    EXPECT_EQ(got, c.Expected) << c.Text;
  }
}

TEST(MailMessage, HeadersAreEncodedAndCannotBeInjectedAndTheFileIsAttachedWhole) {
  test::TTempFolder folder;
  std::string bytes;
  for (int i = 0; i < 1000; ++i) bytes += static_cast<char>(i * 7 % 256);
  const std::string file = folder.Path + "Étude.sfd";
  std::ofstream(file, std::ios::binary) << bytes;
  TMailMessage m;
  m.To = ParseRecipients("Anna \"the flute\" Berg <anna@example.org>");
  m.Copy = ParseRecipients("carl@example.org");
  m.Subject = "Étude für Flöte\r\nBcc: eve@example.org";
  m.Body = "Hier ist die Partitur.\n";
  m.AttachmentPath = file;
  m.From = {"Jörg", "composer@example.org"};
  const std::string text = BuildMimeMessage(m, "BOUNDARY", "Fri, 11 Dec 2026 12:00:00 +0000");
  EXPECT_EQ(text.find("\r\nBcc:"), std::string::npos) << "a line break in the subject made a header";
  EXPECT_NE(text.find("Subject: =?UTF-8?B?"), std::string::npos);
  EXPECT_NE(text.find("From: =?UTF-8?B?" ), std::string::npos);
  EXPECT_NE(text.find("To: \"Anna \\\"the flute\\\" Berg\" <anna@example.org>\r\n"), std::string::npos);
  EXPECT_NE(text.find("Cc: <carl@example.org>\r\n"), std::string::npos);
  EXPECT_NE(text.find("filename*=UTF-8''%C3%89tude.sfd"), std::string::npos);
  // Every line ends in CR LF and none is longer than a mail line may be.
  for (size_t at = 0, next; (next = text.find('\n', at)) != std::string::npos; at = next + 1) {
    ASSERT_GT(next, 0u);
    EXPECT_EQ(text[next - 1], '\r');
    EXPECT_LE(next - at, 998u);
  }
  // The attachment: the base64 part after its headers, up to the closing
  // boundary, decodes to the file.
  const size_t part = text.find("Content-Disposition: attachment");
  ASSERT_NE(part, std::string::npos);
  const size_t start = text.find("\r\n\r\n", part) + 4;
  const size_t end = text.find("--BOUNDARY--", start);
  EXPECT_EQ(Base64Decode(text.substr(start, end - start)), bytes);
  EXPECT_NE(text.find("--BOUNDARY--\r\n"), std::string::npos);
  m.AttachmentPath = folder.Path + "gone.sfd";
  EXPECT_ANY_THROW(BuildMimeMessage(m, "B", "now"));
}

class MailDialogTest : public testing::Test {
 protected:
  void SetUp() override { platform::SetProgramDirForTesting(folder_.Path); }
  void TearDown() override { platform::SetProgramDirForTesting(""); }
  test::TTempFolder folder_;
};

TEST_F(MailDialogTest, ThePasswordFileIsTheUsersAlone) {
  StoreMailPassword("s3cret");
  struct stat st {};
  ASSERT_EQ(::stat(MailPasswordFile().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(ReadMailPassword(), "s3cret");
  // Not in the settings file.
  TSettings settings(platform::SettingsFileName());
  TMailSettings account;
  account.SMTPServer = "mail.example.org";
  settings.Store(account);
  EXPECT_EQ(ReadText(platform::SettingsFileName()).find("s3cret"), std::string::npos);
  StoreMailPassword("");
  EXPECT_FALSE(std::filesystem::exists(MailPasswordFile()));
  EXPECT_EQ(ReadMailPassword(), "");
}

TEST_F(MailDialogTest, TheDesktopMailProgramGetsRecipientsCopySubjectBodyAndFile) {
  TMailMessage m;
  m.To = ParseRecipients("Anna <anna@example.org>; bob@example.org");
  m.Copy = ParseRecipients("carl@example.org");
  m.Subject = "Etude";
  m.Body = "Two lines\nof text";
  m.AttachmentPath = folder_.Path + "Etude.sfd";
  {
    TFakeMailClient client(folder_.Path, 0);
    EXPECT_EQ(SendMailBySystemClient(m), TMailResult::Sent);
    const std::vector<std::string> expected = {"--utf8",    "--cc",       "carl@example.org", "--subject",
                                               "Etude",     "--body",     "Two lines",        "of text",
                                               "--attach",  m.AttachmentPath, "anna@example.org", "bob@example.org"};
    EXPECT_EQ(client.Arguments(), expected);
  }
  {
    // xdg-email found no mail program to start.
    TFakeMailClient client(folder_.Path, 3);
    EXPECT_EQ(SendMailBySystemClient(m), TMailResult::NoClient);
  }
}

TEST_F(MailDialogTest, ARefusedConnectionIsNoConnection) {
  TMailSettings account;
  account.SMTPServer = "127.0.0.1";
  account.Port = ClosedPort();
  account.Authentication = true;
  TMailMessage m;
  m.To = ParseRecipients("anna@example.org");
  m.From = {"", "composer@example.org"};
  std::string error;
  EXPECT_EQ(SendMailBySmtp(m, account, "s3cret", error), TMailResult::NoConnection);
  EXPECT_FALSE(error.empty());
}

// The password typed in the settings dialog is the one in the file that
// sending reads, made readable by the user alone and never in the settings
// file; cleared, the file goes; one that cannot be stored is told.
TEST_F(MailDialogTest, ThePasswordTypedInTheSettingsIsTheOneSendingReads) {
  InstallLayout();
  TSettings settings(platform::SettingsFileName());
  TFProgramModule main(nullptr, &settings);
  TProgramDeviceHost host(main, &settings);
  std::string shown;
  const auto type = [&](const std::string& password, bool answer = false) {
    TFSettingsModule dialog(nullptr, &settings, &host);
    dialog.CBAuthentication->SetChecked(true);
    dialog.EUserId->SetText("composer");
    dialog.EPassword->SetText(password);
    if (answer)
      td::Later([&shown] {
        shown = td::WaitForModal() && Screen().ActiveForm() ? Screen().ActiveForm()->Caption() : "";
        td::KeyToModal(VK_RETURN);
      });
    dialog.BBOkClick();
  };
  type("typed s3cret");
  EXPECT_EQ(ReadMailPassword(), "typed s3cret");
  struct stat st {};
  ASSERT_EQ(::stat(MailPasswordFile().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(ReadText(platform::SettingsFileName()).find("s3cret"), std::string::npos);
  {
    TFSettingsModule dialog(nullptr, &settings, &host);
    EXPECT_EQ(dialog.EPassword->Text(), "typed s3cret") << "the dialog shows the stored one (masked)";
  }
  type("");
  EXPECT_FALSE(std::filesystem::exists(MailPasswordFile()));
  // A folder where the file belongs: the password cannot be put there.
  std::filesystem::create_directories(MailPasswordFile() + "/x");
  type("other", true);
  EXPECT_EQ(shown, "Settings");
  EXPECT_EQ(ReadMailPassword(), "");
}

// The dialog sends through the desktop's program unless SMTP is chosen; a
// message the program took never goes out by SMTP as well.
TEST_F(MailDialogTest, TheDialogSendsOneWayOnlyAndStaysOpenWhenNothingWent) {
  TSettings settings(platform::SettingsFileName());
  TMailSettings account;
  account.SMTPServer = "127.0.0.1";
  account.Port = ClosedPort();
  account.Address = "composer@example.org";
  settings.Store(account);
  std::string shown;
  auto answer = [&shown] {
    td::Later([&shown] {
      shown = td::WaitForModal() && Screen().ActiveForm() ? Screen().ActiveForm()->Caption() : "";
      td::KeyToModal(VK_RETURN);
    });
  };
  TFSendMail dialog(nullptr, &settings);
  dialog.AttachmentPath = folder_.Path + "Etude.sfd";
  std::ofstream(dialog.AttachmentPath) << "score";
  // No recipient: a message, nothing sent.
  dialog.ECopy->SetText("carl@example.org");
  answer();
  EXPECT_FALSE(dialog.Send());
  EXPECT_EQ(shown, "Send by e-mail");
  dialog.ETo->SetText("anna@example.org");
  {
    // The desktop's program took it: sent, and no SMTP attempt (which
    // would have ended in a message about the refused connection).
    TFakeMailClient client(folder_.Path, 0);
    shown.clear();
    EXPECT_TRUE(dialog.Send());
    EXPECT_EQ(shown, "");
    EXPECT_EQ(client.Arguments().at(2), "carl@example.org") << "the copy goes to the mail program";
  }
  {
    // No mail program: the server is tried, cannot be reached, and the
    // dialog stays with the message.
    TFakeMailClient client(folder_.Path, 3);
    answer();
    EXPECT_FALSE(dialog.Send());
    EXPECT_EQ(shown, "Send by e-mail");
    // A file that is gone by now is told, not thrown.
    std::filesystem::remove(dialog.AttachmentPath);
    shown.clear();
    answer();
    EXPECT_FALSE(dialog.Send());
    EXPECT_EQ(shown, "Send by e-mail");
  }
}

}  // namespace
