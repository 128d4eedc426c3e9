#include "platform/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <map>
#include <mutex>

#include "base/text.h"
#include "platform/gui.h"

namespace qs {

namespace {

// Registered formats are numbered from here, as on the platform the
// program's clipboard code was written for.
constexpr TClipboardFormat kFirstRegistered = 0xC000;

struct TFormatTable {
  std::mutex Lock;
  std::map<std::string, TClipboardFormat> ByName;
  std::map<TClipboardFormat, std::string> Mime;
};

TFormatTable& Formats() {
  static TFormatTable table;
  return table;
}

std::string MimeOf(TClipboardFormat format) {
  if (format == CF_TEXT || format == CF_UNICODETEXT) return "text/plain";
  TFormatTable& t = Formats();
  std::lock_guard lock(t.Lock);
  auto it = t.Mime.find(format);
  return it == t.Mime.end() ? std::string() : it->second;
}

QClipboard* SystemClipboard() {
  EnsureGuiApplication();
  return QGuiApplication::clipboard();
}

}  // namespace

TClipboardFormat RegisterClipboardFormat(const std::string& name) {
  TFormatTable& t = Formats();
  std::lock_guard lock(t.Lock);
  std::string key;
  for (char ch : name) key += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  auto it = t.ByName.find(key);
  if (it != t.ByName.end()) return it->second;
  const TClipboardFormat f = kFirstRegistered + static_cast<TClipboardFormat>(t.ByName.size());
  t.ByName[key] = f;
  t.Mime[f] = "application/x-quillstave4-" + key;
  return f;
}

void TClipboard::Open() {
  if (openCount_++ == 0) pending_.clear();
}

void TClipboard::Close() {
  if (openCount_ == 0) return;
  if (--openCount_ > 0) return;
  if (pending_.empty()) return;
  auto* data = new QMimeData;
  for (const TPending& p : pending_) {
    if (p.Text)
      data->setText(QString::fromUtf8(reinterpret_cast<const char*>(p.Bytes.data()), static_cast<qsizetype>(p.Bytes.size())));
    else
      data->setData(QString::fromStdString(p.Mime),
                    QByteArray(reinterpret_cast<const char*>(p.Bytes.data()), static_cast<qsizetype>(p.Bytes.size())));
  }
  pending_.clear();
  SystemClipboard()->setMimeData(data);
}

void TClipboard::Clear() {
  pending_.clear();
  if (openCount_ == 0) SystemClipboard()->clear();
}

void TClipboard::Put(const std::string& mime, const std::vector<uint8_t>& bytes, bool text) {
  Open();
  pending_.erase(std::remove_if(pending_.begin(), pending_.end(), [&](const TPending& p) { return p.Mime == mime; }),
                 pending_.end());
  pending_.push_back({mime, bytes, text});
  Close();
}

bool TClipboard::HasFormat(TClipboardFormat format) const {
  const QMimeData* data = SystemClipboard()->mimeData();
  if (!data) return false;
  if (format == CF_TEXT || format == CF_UNICODETEXT) return data->hasText();
  const std::string mime = MimeOf(format);
  return !mime.empty() && data->hasFormat(QString::fromStdString(mime));
}

std::string TClipboard::AsText() const { return SystemClipboard()->text().toStdString(); }

void TClipboard::SetAsText(const std::string& utf8) {
  Put("text/plain", std::vector<uint8_t>(utf8.begin(), utf8.end()), true);
}

std::u16string TClipboard::AsUnicodeText() const { return Utf8ToUtf16(AsText()); }

void TClipboard::SetAsUnicodeText(const std::u16string& text) { SetAsText(Utf16ToUtf8(text)); }

std::vector<uint8_t> TClipboard::GetBuffer(TClipboardFormat format) const {
  const std::string mime = MimeOf(format);
  const QMimeData* data = SystemClipboard()->mimeData();
  if (mime.empty() || !data) return {};
  if (format == CF_TEXT || format == CF_UNICODETEXT) {
    const std::string s = data->text().toStdString();
    return std::vector<uint8_t>(s.begin(), s.end());
  }
  const QByteArray bytes = data->data(QString::fromStdString(mime));
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

void TClipboard::SetBuffer(TClipboardFormat format, const std::vector<uint8_t>& bytes) {
  const std::string mime = MimeOf(format);
  if (mime.empty()) throw std::invalid_argument("Unregistered clipboard format " + std::to_string(format));
  Put(mime, bytes, format == CF_TEXT || format == CF_UNICODETEXT);
}

TClipboard& Clipboard() {
  static TClipboard clipboard;
  return clipboard;
}

}  // namespace qs
