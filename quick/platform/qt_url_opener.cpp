#include "quick/platform/qt_url_opener.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QMetaObject>
#include <array>
#include <string_view>

namespace orvane::quick {
namespace {

constexpr std::array<std::string_view, 14> kRefusedSchemes = {
    "file",       "qrc",      "assets", "content", "jar",        "resource", "smb",
    "javascript", "vbscript", "data",   "blob",    "filesystem", "about",    "view-source"};

}  // namespace

bool isOpenableOutsideApp(const Url& url) {
  std::string scheme = url.scheme();
  if (scheme.empty()) return false;
  if (scheme == "http" || scheme == "https") return !url.host().empty();
  for (auto refused : kRefusedSchemes) {
    if (scheme == refused) return false;
  }
  return true;
}

QtUrlOpener::QtUrlOpener() : opener_([](const QUrl& url) { QDesktopServices::openUrl(url); }) {}

void QtUrlOpener::open(const Url& url) {
  if (!isOpenableOutsideApp(url)) return;
  QUrl link(QString::fromStdString(url.string()), QUrl::StrictMode);
  if (!link.isValid()) return;
  auto* application = QCoreApplication::instance();
  if (application == nullptr) return;
  QMetaObject::invokeMethod(
      application, [opener = opener_, link] { opener(link); }, Qt::AutoConnection);
}

}  // namespace orvane::quick
