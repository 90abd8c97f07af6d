#include <cstring>
#include <iostream>
#include <string>

#include <orvane/core/sdk_version.h>
#include <orvane/core/story_sdk.h>
#include <orvane/version.h>
#include <orvane/platform/url.h>

#include "platform/http.h"

int main() {
  // Url's comparison is C++20's defaulted one: the targets raise a C++17 host's standard.
  const auto url = orvane::Url::parse("https://example.com/a");
  if (!url || !(*url == *orvane::Url::parse("https://example.com/a"))) return 1;
  // One version, whichever way a host asks: the package, the headers, the linked library.
  if (std::string(PACKAGE_VERSION) != ORVANE_VERSION_STRING || orvane::SDK_VERSION != ORVANE_VERSION_STRING ||
      std::strstr(reinterpret_cast<const char*>(OrvaneStoriesVersionString), "-" ORVANE_VERSION_STRING "\n") == nullptr)
    return 2;
  std::cout << "core host " << ORVANE_VERSION_STRING << ", timeout " << host::httpTimeoutSeconds << "s\n";
  return 0;
}
