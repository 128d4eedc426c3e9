#pragma once
// "Mail to..": sends the active document's score file as the attachment of
// one e-mail. The desktop's mail program gets the message through
// xdg-email; when none can start, or the user chose the mail server in the
// settings, the dialog sends it itself over SMTP, with TLS (STARTTLS or
// SMTPS) required before any password goes out. There is no address book.
#include <string>
#include <vector>

#include "platform/forms.h"
#include "uikit/settings.h"

namespace qs {

class TButton;
class TECFormLanguage;
class TEdit;
class TLabel;
class TMemo;

// The password of the mail account, in a file beside the settings that
// only the user may read; empty when there is none.
std::string MailPasswordFile();
std::string ReadMailPassword();
// Writes it readable by the user alone (an empty password removes the file).
void StoreMailPassword(const std::string& password);

struct TMailRecipient {
  std::string Name;     // may be empty
  std::string Address;
};
// The entries of a recipient text, separated by "," or ";". "Name <address>"
// or "Name (address)" give a name; a bare entry is the address. Blanks
// around entries and empty entries are left out.
std::vector<TMailRecipient> ParseRecipients(const std::string& text);

struct TMailMessage {
  std::vector<TMailRecipient> To, Copy;
  std::string Subject, Body;
  std::string AttachmentPath;
  TMailRecipient From;
};

// The message as sent over SMTP: headers (non-ASCII texts as encoded
// words, line breaks taken out), the body as UTF-8 text and the attachment
// in base64, lines ended by CR LF. Raises EReadError when the attachment
// cannot be read.
std::string BuildMimeMessage(const TMailMessage& message, const std::string& boundary, const std::string& date);

enum class TMailResult {
  Sent,          // handed over (to the mail program or the server)
  NoClient,      // no desktop mail program could be started
  NoConnection,  // the server could not be reached
  NoTls,         // the server offers no TLS, and a password was to be sent
  Failed,        // the server refused, or TLS was not offered
};

// xdg-email with the recipients, subject, body and attachment. Once the
// mail program has the message it is the user's: a message cancelled there
// is never sent another way.
TMailResult SendMailBySystemClient(const TMailMessage& message);
// SMTP through libcurl. With authentication, TLS is required before the
// password is sent; a server that offers none gets no password and the
// result is NoTls. error holds what went wrong.
TMailResult SendMailBySmtp(const TMailMessage& message, const TMailSettings& account,
                           const std::string& password, std::string& error);

class TFSendMail : public TForm {
 public:
  TFSendMail(TComponent* owner, TSettings* settings);
  ~TFSendMail() override;
  const char* ClassName() const override { return "TFSendMail"; }

  TLabel* LTo = nullptr;
  TEdit* ETo = nullptr;
  TButton* CBTo = nullptr;  // address book: hidden, there is none
  TLabel* LCopy = nullptr;
  TEdit* ECopy = nullptr;
  TButton* CBCopy = nullptr;
  TLabel* LSubject = nullptr;
  TEdit* ESubject = nullptr;
  TMemo* MBody = nullptr;
  TButton* BBSend = nullptr;
  TButton* BBCancel = nullptr;
  TECFormLanguage* FLSendMail = nullptr;

  std::string AttachmentPath;
  // Sends; true when the message went (the dialog then closes). Otherwise
  // the reason was shown and the dialog stays for another try.
  bool Send();

 private:
  TSettings* settings_;
};

// Makes the dialog known to the review tools (formshot).
void RegisterMailForms();

}  // namespace qs
