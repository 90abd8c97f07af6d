#include <iostream>

#include <orvane/core/story_sdk.h>
#include <orvane/platform/url.h>

#include "platform/http.h"

int main() {
  // Url's comparison is C++20's defaulted one: the targets raise a C++17 host's standard.
  const auto url = orvane::Url::parse("https://example.com/a");
  if (!url || !(*url == *orvane::Url::parse("https://example.com/a"))) return 1;
  std::cout << "core host, timeout " << host::httpTimeoutSeconds << "s\n";
  return 0;
}
