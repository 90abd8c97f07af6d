#pragma once

#include <QUrl>
#include <functional>

#include "platform/url_opener.h"

namespace orvane::quick {

// Whether a link from the content service may leave the app. Links come from remote content, so
// nothing that reaches local files, application resources or runs script passes:
// - a link needs a scheme (relative and scheme-less links are refused);
// - http and https need a host;
// - refused schemes: file, qrc, assets, content, jar, resource, smb, javascript, vbscript, data,
//   blob, filesystem, about, view-source;
// - every other scheme passes: the host's own deep links ("myapp://offer/7"), mailto, tel and the
//   like are handled by their registered applications.
bool isOpenableOutsideApp(const Url& url);

// Opens links through QDesktopServices on the GUI thread, after isOpenableOutsideApp.
class QtUrlOpener final : public UrlOpener {
 public:
  using SystemOpener = std::function<void(const QUrl&)>;

  QtUrlOpener();  // QDesktopServices::openUrl
  explicit QtUrlOpener(SystemOpener opener) : opener_(std::move(opener)) {}

  // Refused links are dropped silently. Callable from any thread.
  void open(const Url& url) override;

 private:
  SystemOpener opener_;
};

}  // namespace orvane::quick
