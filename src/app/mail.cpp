#include "app/mail.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <ctime>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <thread>

#include "app/fileeditor.h"
#include "app/mainwindow.h"
#include "app/printing.h"
#include "base/exceptions.h"
#include "base/filemessages.h"
#include "base/inifile.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "platform/paths.h"
#include "platform/stdctrls.h"
#include "uikit/formparts.h"
#include "uikit/messagebox.h"

extern char** environ;

namespace qs {

namespace {

constexpr const char* kPlace = "FSendMail";
constexpr const char* kPasswordFile = "MailPassword";
// How long xdg-email may take to hand the message over before it counts as
// handed over (a mail program started by it may keep running).
constexpr int kClientWaitMs = 15000;

enum TSendMailMessage {
  kTitle = 0,
  kNoRecipient = 1,
  kNoConnection = 2,   // %s: the server
  kNoClientNoServer = 3,
  kSendFailed = 4,     // the reason follows
  kNoTls = 5,          // %s: the server
};

std::string Trimmed(const std::string& s) { return Trim(s); }

// Header texts never carry a line break: one would start a header of its own.
std::string OneLine(std::string s) {
  for (char& c : s)
    if (c == '\r' || c == '\n') c = ' ';
  return s;
}

bool IsAscii(const std::string& s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

std::string Base64(const std::string& data, size_t lineLength = 0) {
  static const char* table = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve(data.size() * 4 / 3 + 4 + (lineLength ? data.size() / lineLength * 2 : 0));
  size_t column = 0;
  for (size_t i = 0; i < data.size(); i += 3) {
    const uint32_t b0 = static_cast<unsigned char>(data[i]);
    const uint32_t b1 = i + 1 < data.size() ? static_cast<unsigned char>(data[i + 1]) : 0;
    const uint32_t b2 = i + 2 < data.size() ? static_cast<unsigned char>(data[i + 2]) : 0;
    const uint32_t n = (b0 << 16) | (b1 << 8) | b2;
    out += table[(n >> 18) & 63];
    out += table[(n >> 12) & 63];
    out += i + 1 < data.size() ? table[(n >> 6) & 63] : '=';
    out += i + 2 < data.size() ? table[n & 63] : '=';
    column += 4;
    if (lineLength && column >= lineLength && i + 3 < data.size()) {
      out += "\r\n";
      column = 0;
    }
  }
  return out;
}

// A header text: as it is when plain ASCII, else as encoded words of
// whole UTF-8 characters.
std::string EncodedWords(const std::string& text) {
  const std::string s = OneLine(text);
  if (IsAscii(s)) return s;
  std::string out;
  size_t i = 0;
  while (i < s.size()) {
    // At most 45 bytes a word (60 base64 characters), cut between characters.
    size_t end = std::min(s.size(), i + 45);
    while (end < s.size() && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) --end;
    if (!out.empty()) out += "\r\n ";
    out += "=?UTF-8?B?" + Base64(s.substr(i, end - i)) + "?=";
    i = end;
  }
  return out;
}

std::string Mailbox(const TMailRecipient& r) {
  const std::string address = OneLine(Trimmed(r.Address));
  const std::string name = OneLine(Trimmed(r.Name));
  if (name.empty()) return "<" + address + ">";
  if (!IsAscii(name)) return EncodedWords(name) + " <" + address + ">";
  std::string quoted = "\"";
  for (char c : name) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\" <" + address + ">";
}

std::string MailboxList(const std::vector<TMailRecipient>& list) {
  std::string out;
  for (const TMailRecipient& r : list) out += (out.empty() ? "" : ",\r\n ") + Mailbox(r);
  return out;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw EReadError("The file \"" + path + "\" cannot be read.");
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A file name for the attachment's headers: RFC 2231 for anything that is
// not plain ASCII.
std::string FileNameParameter(const char* key, const std::string& name) {
  const std::string n = OneLine(name);
  bool plain = IsAscii(n);
  for (char c : n) plain = plain && c != '"' && c != '\\';
  if (plain) return std::string(key) + "=\"" + n + "\"";
  std::string out = std::string(key) + "*=UTF-8''";
  static const char* hex = "0123456789ABCDEF";
  for (unsigned char c : n) {
    if (std::isalnum(c) || std::strchr("-._~", c)) out += static_cast<char>(c);
    else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

std::string RfcDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[64];
  // The names of days and months are English in mail headers, whatever
  // the locale.
  static const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const long offset = local.tm_gmtoff / 60;
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld", days[local.tm_wday],
                local.tm_mday, months[local.tm_mon], local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec,
                offset < 0 ? '-' : '+', std::labs(offset) / 60, std::labs(offset) % 60);
  return text;
}

std::string RandomToken() {
  std::random_device device;
  std::mt19937_64 random(device());
  char text[40];
  std::snprintf(text, sizeof text, "%016llx%08llx", static_cast<unsigned long long>(random()),
                static_cast<unsigned long long>(random() & 0xFFFFFFFF));
  return text;
}

// The address of a recipient as given to the server and to xdg-email.
bool UsableAddress(const std::string& address) {
  return !address.empty() && address.find_first_of("\r\n<>") == std::string::npos;
}

}  // namespace

// ------------------------------------------------------------ the password

std::string MailPasswordFile() { return IncludeTrailingPathDelimiter(platform::ConfigDir()) + kPasswordFile; }

std::string ReadMailPassword() {
  // Anything but a file there (a folder) holds no password.
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(MailPasswordFile(), ignored)) return {};
  std::ifstream in(MailPasswordFile(), std::ios::binary);
  if (!in) return {};
  std::string password((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  while (!password.empty() && (password.back() == '\n' || password.back() == '\r')) password.pop_back();
  return password;
}

void StoreMailPassword(const std::string& password) {
  const std::string path = MailPasswordFile();
  if (password.empty()) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) RaiseSaveError(path, errno);
    return;
  }
  std::error_code ignored;
  std::filesystem::create_directories(ExtractFilePath(path), ignored);
  // Made readable by the user alone before the password is in it.
  const std::string temp = path + ".new";
  ::unlink(temp.c_str());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) RaiseSaveError(path, errno, true);
  ::fchmod(fd, 0600);
  int error = 0;
  const ssize_t written = ::write(fd, password.data(), password.size());
  // A short write is a full disk.
  if (written != static_cast<ssize_t>(password.size())) error = written < 0 ? errno : ENOSPC;
  if (::close(fd) != 0 && !error) error = errno;
  if (!error && ::rename(temp.c_str(), path.c_str()) != 0) error = errno;
  if (error) {
    ::unlink(temp.c_str());
    RaiseSaveError(path, error);
  }
}

// ------------------------------------------------------------ recipients

std::vector<TMailRecipient> ParseRecipients(const std::string& text) {
  std::vector<TMailRecipient> list;
  std::string rest = text;
  while (!rest.empty()) {
    // Either separator ends an entry: an address holds neither.
    const size_t end = rest.find_first_of(",;");
    const std::string entry = rest.substr(0, end);
    rest = end == std::string::npos ? std::string() : rest.substr(end + 1);
    TMailRecipient r;
    size_t open = entry.find('<');
    if (open == std::string::npos) open = entry.find('(');
    if (open != std::string::npos) {
      r.Name = entry.substr(0, open);
      std::string address = entry.substr(open + 1);
      address = address.substr(0, address.find('>'));
      address = address.substr(0, address.find(')'));
      r.Address = Trimmed(address);
    } else {
      r.Address = Trimmed(entry);
    }
    if (!r.Address.empty()) list.push_back(r);
  }
  return list;
}

// ------------------------------------------------------------ the message

std::string BuildMimeMessage(const TMailMessage& m, const std::string& boundary, const std::string& date) {
  const std::string attachment = m.AttachmentPath.empty() ? std::string() : ReadWholeFile(m.AttachmentPath);
  std::string out;
  out += "From: " + Mailbox(m.From) + "\r\n";
  out += "To: " + MailboxList(m.To) + "\r\n";
  if (!m.Copy.empty()) out += "Cc: " + MailboxList(m.Copy) + "\r\n";
  out += "Subject: " + EncodedWords(m.Subject) + "\r\n";
  out += "Date: " + date + "\r\n";
  out += "Message-ID: <" + boundary + "@quillstave>\r\n";
  out += "MIME-Version: 1.0\r\n";
  out += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n";
  out += "--" + boundary + "\r\n";
  out += "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: base64\r\n\r\n";
  out += Base64(m.Body, 76) + "\r\n";
  if (!m.AttachmentPath.empty()) {
    const std::string name = ExtractFileName(m.AttachmentPath);
    out += "--" + boundary + "\r\n";
    out += "Content-Type: application/octet-stream; " + FileNameParameter("name", name) + "\r\n";
    out += "Content-Transfer-Encoding: base64\r\n";
    out += "Content-Disposition: attachment; " + FileNameParameter("filename", name) + "\r\n\r\n";
    out += Base64(attachment, 76) + "\r\n";
  }
  out += "--" + boundary + "--\r\n";
  return out;
}

// ------------------------------------------------------------ sending

TMailResult SendMailBySystemClient(const TMailMessage& m) {
  std::vector<std::string> args = {"xdg-email", "--utf8"};
  for (const TMailRecipient& r : m.Copy)
    if (UsableAddress(r.Address)) args.insert(args.end(), {"--cc", r.Address});
  if (!m.Subject.empty()) args.insert(args.end(), {"--subject", OneLine(m.Subject)});
  if (!m.Body.empty()) args.insert(args.end(), {"--body", m.Body});
  if (!m.AttachmentPath.empty()) args.insert(args.end(), {"--attach", m.AttachmentPath});
  for (const TMailRecipient& r : m.To)
    if (UsableAddress(r.Address)) args.push_back(r.Address);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawnp(&pid, "xdg-email", nullptr, nullptr, argv.data(), environ) != 0) return TMailResult::NoClient;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kClientWaitMs);
  for (;;) {
    int status = 0;
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? TMailResult::Sent : TMailResult::NoClient;
    if (done < 0) return TMailResult::NoClient;
    // Still running: the mail program has the message (it is reaped in
    // the background).
    if (std::chrono::steady_clock::now() > deadline) {
      std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
      return TMailResult::Sent;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

namespace {

struct TUpload {
  const std::string* Data;
  size_t Offset = 0;
};

size_t ReadUpload(char* buffer, size_t size, size_t count, void* user) {
  auto* upload = static_cast<TUpload*>(user);
  const size_t n = std::min(size * count, upload->Data->size() - upload->Offset);
  std::memcpy(buffer, upload->Data->data() + upload->Offset, n);
  upload->Offset += n;
  return n;
}

}  // namespace

TMailResult SendMailBySmtp(const TMailMessage& m, const TMailSettings& account, const std::string& password,
                           std::string& error) {
  const std::string server = Trimmed(account.SMTPServer);
  if (server.empty()) {
    error = "no server";
    return TMailResult::NoConnection;
  }
  const std::string message = BuildMimeMessage(m, RandomToken(), RfcDate());
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  (void)initialised;
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
  if (!curl) {
    error = "libcurl";
    return TMailResult::Failed;
  }
  CURL* c = curl.get();
  // Port 465 speaks TLS from the start; any other port must switch to TLS
  // with STARTTLS before the password is sent.
  const bool smtps = account.Port == 465;
  const std::string url = std::string(smtps ? "smtps://" : "smtp://") + server + ":" + std::to_string(account.Port);
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
  curl_easy_setopt(c, CURLOPT_USE_SSL, static_cast<long>(account.Authentication ? CURLUSESSL_ALL : CURLUSESSL_TRY));
  if (const char* bundle = std::getenv("SSL_CERT_FILE"); bundle && *bundle) curl_easy_setopt(c, CURLOPT_CAINFO, bundle);
  if (account.Authentication) {
    curl_easy_setopt(c, CURLOPT_USERNAME, account.UserId.c_str());
    curl_easy_setopt(c, CURLOPT_PASSWORD, password.c_str());
  }
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 15L);
  curl_easy_setopt(c, CURLOPT_TIMEOUT, 120L);
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  const std::string from = "<" + OneLine(Trimmed(m.From.Address)) + ">";
  curl_easy_setopt(c, CURLOPT_MAIL_FROM, from.c_str());
  curl_slist* recipients = nullptr;
  for (const auto* list : {&m.To, &m.Copy})
    for (const TMailRecipient& r : *list)
      if (UsableAddress(r.Address)) recipients = curl_slist_append(recipients, ("<" + r.Address + ">").c_str());
  std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> recipientList(recipients, &curl_slist_free_all);
  curl_easy_setopt(c, CURLOPT_MAIL_RCPT, recipients);
  TUpload upload{&message};
  curl_easy_setopt(c, CURLOPT_READFUNCTION, &ReadUpload);
  curl_easy_setopt(c, CURLOPT_READDATA, &upload);
  curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
  char details[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, details);
  const CURLcode result = curl_easy_perform(c);
  if (result == CURLE_OK) return TMailResult::Sent;
  error = details[0] ? details : curl_easy_strerror(result);
  if (result == CURLE_USE_SSL_FAILED) return TMailResult::NoTls;
  if (result == CURLE_COULDNT_CONNECT || result == CURLE_COULDNT_RESOLVE_HOST || result == CURLE_OPERATION_TIMEDOUT)
    return TMailResult::NoConnection;
  return TMailResult::Failed;
}

// ------------------------------------------------------------ the dialog

TFSendMail::TFSendMail(TComponent* owner, TSettings* settings) : TForm(owner), settings_(settings) {
  SetName("FSendMail");
  SetCaption("Mail to..");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(440);
  SetClientHeight(300);
  LTo = Make<TLabel>(this, "LTo", 8, 12, 80, 16);
  LTo->SetCaption("To:");
  ETo = Make<TEdit>(this, "ETo", 92, 8, 340, 21);
  CBTo = Make<TButton>(this, "CBTo", 410, 8, 22, 21);
  LCopy = Make<TLabel>(this, "LCopy", 8, 40, 80, 16);
  LCopy->SetCaption("Copy:");
  ECopy = Make<TEdit>(this, "ECopy", 92, 36, 340, 21);
  CBCopy = Make<TButton>(this, "CBCopy", 410, 36, 22, 21);
  LSubject = Make<TLabel>(this, "LSubject", 8, 68, 80, 16);
  LSubject->SetCaption("Subject:");
  ESubject = Make<TEdit>(this, "ESubject", 92, 64, 340, 21);
  MBody = Make<TMemo>(this, "MBody", 8, 94, 424, 164);
  for (TWinControl* c : std::initializer_list<TWinControl*>{ETo, ECopy, ESubject, MBody}) c->SetTabStop(true);
  // There is no address book to choose from.
  CBTo->Hide();
  CBCopy->Hide();
  BBSend = MakeOkButton(this, "&Send", 276, 268);
  BBSend->SetName("BBSend");
  BBCancel = MakeCancelButton(this, 357, 268);
  ApplySkinTemplate(*this, skinkind::Normal);
  FLSendMail = MakeFormLanguage(this, "FLSendMail");
  SetActiveControl(ETo);
  BBSend->OnClick = [this](TObject*) {
    if (Send()) SetModalResult(mrOk);
  };
  if (settings_) {
    TRect bounds = BoundsRect();
    if (ReadFormBounds(settings_->Ini(), kPlace, bounds)) SetBounds(bounds.Left, bounds.Top, Width(), Height());
  }
}

TFSendMail::~TFSendMail() {
  if (settings_) WriteFormBounds(settings_->Ini(), kPlace, BoundsRect());
}

bool TFSendMail::Send() {
  const std::string title = FLSendMail->GetMessage(kTitle, "Send by e-mail");
  auto warn = [&](const std::string& text) { ShowMessageBlock(title, text, kMessageWarning, kMessageOk); };
  TMailMessage message;
  message.To = ParseRecipients(ETo->Text());
  if (message.To.empty()) {
    warn(FLSendMail->GetMessage(kNoRecipient, "Enter at least one recipient."));
    if (ETo->CanFocus()) ETo->SetFocus();
    return false;
  }
  message.Copy = ParseRecipients(ECopy->Text());
  message.Subject = ESubject->Text();
  message.Body = MBody->Text();
  message.AttachmentPath = AttachmentPath;
  TMailSettings account;
  if (settings_) settings_->Load(account);
  message.From = {account.MailName, account.Address};

  TBusyCursor busy;
  if (!account.UseSmtp) {
    // Handed to the mail program, the message is the user's there: sent or
    // cancelled, it never goes out by another way.
    if (SendMailBySystemClient(message) == TMailResult::Sent) return true;
  }
  if (Trimmed(account.SMTPServer).empty()) {
    warn(FLSendMail->GetMessage(kNoClientNoServer, "No mail program could be started, and no mail server is set."));
    return false;
  }
  std::string error;
  TMailResult result = TMailResult::Failed;
  try {
    result = SendMailBySmtp(message, account, ReadMailPassword(), error);
  } catch (const std::exception& e) {
    // The attachment could not be read: nothing went.
    error = UserErrorText(e);
  }
  switch (result) {
    case TMailResult::Sent: return true;
    case TMailResult::NoConnection:
      warn(Format(FLSendMail->GetMessage(kNoConnection, "The mail server %s could not be reached.").c_str(),
                  account.SMTPServer.c_str()) +
           "\n" + error);
      return false;
    case TMailResult::NoTls:
      warn(Format(FLSendMail->GetMessage(kNoTls, "The mail server %s offers no encrypted connection.").c_str(),
                  account.SMTPServer.c_str()));
      return false;
    default:
      warn(FLSendMail->GetMessage(kSendFailed, "The message could not be sent:") + "\n" + error);
      return false;
  }
}

void TFProgramModule::AMailToExecute() {
  TFFileEditor* doc = ActiveEditor();
  if (!doc) return;
  if (!doc->HasFile || !FileExists(doc->FileName())) {
    ShowMessageBlock(FileCommandText(TFileCommandText::MailTitle), FileCommandText(TFileCommandText::NoFileToMail),
                     kMessageWarning, kMessageOk);
    return;
  }
  TFSendMail dialog(nullptr, settings_);
  dialog.AttachmentPath = doc->FileName();
  dialog.ESubject->SetText(ChangeFileExt(ExtractFileName(doc->FileName()), ""));
  dialog.ShowModal();
}

void RegisterMailForms() {
  RegisterForm("FSendMail", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFSendMail>(nullptr, nullptr);
    form->ESubject->SetText("Etude");
    return form;
  });
}

}  // namespace qs
