#pragma once

#include <orvane/export.h>

#include <orvane/platform/url.h>

namespace ORVANE_EXPORT orvane {

// Hands a link to the host to open outside the SDK.
class UrlOpener {
 public:
  virtual ~UrlOpener() = default;
  virtual void open(const Url& url) = 0;
};

}  // namespace orvane
