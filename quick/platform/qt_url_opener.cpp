#include <orvane/quick/platform/qt_url_opener.h>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QMetaObject>
#include <QtGlobal>
#include <algorithm>

#include <orvane/platform/ascii_text.h>

namespace orvane::quick {
namespace {

QUrl strictQUrl(const Url& url) { return QUrl(QString::fromStdString(url.string()), QUrl::StrictMode); }

}  // namespace

bool isOpenableOutsideApp(const Url& url, const std::vector<std::string>& hostSchemes) {
  const std::string scheme = url.scheme();
  if (scheme.empty()) return false;
  if (scheme == "http" || scheme == "https") {
    // user:password@ hides the real host from a reader ("https://bank.example@evil.example").
    const QUrl link = strictQUrl(url);
    return link.isValid() && !link.host().isEmpty() && link.userInfo().isEmpty() && !url.host().empty();
  }
  if (scheme == "mailto" || scheme == "tel") return true;
  return std::any_of(hostSchemes.begin(), hostSchemes.end(),
                     [&](const std::string& listed) { return asciiLowercased(listed) == scheme; });
}

QtUrlOpener::QtUrlOpener(std::vector<std::string> hostSchemes)
    : QtUrlOpener(
          [](const QUrl& url) { QDesktopServices::openUrl(url); }, std::move(hostSchemes),
          [](std::string_view line) { qWarning("%.*s", static_cast<int>(line.size()), line.data()); }) {}

QtUrlOpener::QtUrlOpener(SystemOpener opener, std::vector<std::string> hostSchemes, Log log)
    : opener_(std::move(opener)), hostSchemes_(std::move(hostSchemes)), log_(std::move(log)) {}

void QtUrlOpener::open(const Url& url) {
  QUrl link = strictQUrl(url);
  if (!isOpenableOutsideApp(url, hostSchemes_) || !link.isValid()) {
    // The scheme only: the rest of a link may carry personal data.
    log_("[Orvane] Refused to open a link (scheme '" + url.scheme() + "').");
    return;
  }
  auto* application = QCoreApplication::instance();
  if (application == nullptr) return;
  QMetaObject::invokeMethod(
      application, [opener = opener_, link] { opener(link); }, Qt::AutoConnection);
}

}  // namespace orvane::quick
