#include "platform/desktop.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

#include "platform/gui.h"

namespace qs {

namespace {
TOpenUrlHandler& Handler() {
  static TOpenUrlHandler handler;
  return handler;
}
}  // namespace

bool OpenUrl(const std::string& url) {
  if (Handler()) return Handler()(url);
  EnsureGuiApplication();
  return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

void SetOpenUrlHandler(TOpenUrlHandler handler) { Handler() = std::move(handler); }

std::string FileUrl(const std::string& path) {
  return QUrl::fromLocalFile(QString::fromStdString(path)).toString(QUrl::FullyEncoded).toStdString();
}

}  // namespace qs
