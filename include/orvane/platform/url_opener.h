#pragma once

#include <orvane/export.h>

#include <orvane/platform/url.h>

namespace orvane {

// Hands a link to the host to open outside the SDK.
class ORVANE_EXPORT UrlOpener {
 public:
  virtual ~UrlOpener() = default;
  virtual void open(const Url& url) = 0;
};

}  // namespace orvane
