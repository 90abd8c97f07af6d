#pragma once

#include <orvane/export.h>

#include <orvane/platform/url.h>

namespace orvane {

// Hands a link to the host to open outside the SDK.
//
// \code
// class BrowserOpener final : public UrlOpener {
//  public:
//   void open(const Url& url) override { launchBrowser(url.string()); }
// };
// \endcode
class ORVANE_EXPORT UrlOpener {
 public:
  virtual ~UrlOpener() = default;
  // Opens a link the user followed; on the main thread.
  virtual void open(const Url& url) = 0;
};

}  // namespace orvane
