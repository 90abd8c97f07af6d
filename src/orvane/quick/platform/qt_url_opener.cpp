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

// Mail clients differ in how they read a mailto link: some decode it before splitting off the
// fields, some split on ';' as well as '&', some take field names in any case. So the whole link
// is decoded until nothing changes, and every piece that could be read as a field is checked.
bool asksForAttachment(const std::string& link) {
  QByteArray decoded = QByteArray::fromStdString(link);
  for (QByteArray previous; decoded != previous;) {
    previous = decoded;
    decoded = QByteArray::fromPercentEncoding(previous);
  }
  for (const QByteArray& field : decoded.split('?') + decoded.split('&') + decoded.split(';')) {
    const qsizetype equals = field.indexOf('=');
    if (equals < 0) continue;  // a name without a value names nothing to attach
    const QByteArray name = field.left(equals).trimmed().toLower();
    if (name.contains("attach") || name == "file" || name == "files") return true;
  }
  return false;
}

}  // namespace

bool isOpenableOutsideApp(const Url& url, const std::vector<std::string>& hostSchemes) {
  const std::string scheme = url.scheme();
  if (scheme.empty()) return false;
  if (scheme == "http" || scheme == "https") {
    // user:password@ hides the real host from a reader ("https://bank.example@evil.example").
    const QUrl link = strictQUrl(url);
    return link.isValid() && !link.host().isEmpty() && link.userInfo().isEmpty() && !url.host().empty();
  }
  // A mail client asked to attach a file may attach any the user can read (~/.ssh, /etc/passwd).
  if (scheme == "mailto") return !asksForAttachment(url.string());
  if (scheme == "tel") return true;
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
