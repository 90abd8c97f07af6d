#pragma once

#include <QUrl>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <orvane/platform/url_opener.h>

namespace orvane::quick {

// Whether a link from the content service may leave the app. Links come from remote content, so
// only an allowlist passes: https and http with a host and no user name or password, mailto that
// asks for no attachment (in any spelling: "attach", "Attachment", "%61ttach", "file"), tel, and
// the schemes in `hostSchemes` (the host's own deep links, e.g. "myapp"). Everything else is
// refused: local files, script, and the many system handlers a link could otherwise start.
bool isOpenableOutsideApp(const Url& url, const std::vector<std::string>& hostSchemes = {});

// Opens links through QDesktopServices on the GUI thread, after isOpenableOutsideApp.
class QtUrlOpener final : public UrlOpener {
 public:
  using SystemOpener = std::function<void(const QUrl&)>;
  using Log = std::function<void(std::string_view line)>;

  // QDesktopServices::openUrl; refusals go to Qt's warning log.
  explicit QtUrlOpener(std::vector<std::string> hostSchemes = {});
  QtUrlOpener(SystemOpener opener, std::vector<std::string> hostSchemes, Log log);

  // Refused links are dropped and logged. Callable from any thread.
  void open(const Url& url) override;

 private:
  SystemOpener opener_;
  std::vector<std::string> hostSchemes_;
  Log log_;
};

}  // namespace orvane::quick
