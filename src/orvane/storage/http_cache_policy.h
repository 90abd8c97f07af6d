#pragma once

#include <chrono>
#include <string>

#include <orvane/platform/http.h>

namespace orvane {

// What an answer lets a private cache do with it, read from its Cache-Control, Age and ETag.
struct HttpCachePolicy {
  // no-store: the answer must not be kept at all.
  bool store = true;
  // How long after arrival the answer may be used without asking the origin: max-age less Age,
  // zero under no-cache, a default of kHeuristicLifetime when the answer names no lifetime.
  std::chrono::seconds freshFor{0};
  // False under no-cache and must-revalidate: once stale the answer is never shown unchecked,
  // not even while the origin cannot be reached.
  bool usableWhenStale = true;
  // The validator sent back as If-None-Match; empty when the answer has none fit to send.
  std::string etag;

  static constexpr std::chrono::seconds kHeuristicLifetime{3600};
};

// Directives are read case-insensitively; a malformed max-age counts as 0 (stale at once), as a
// cache must not invent a longer life than the origin gave. An ETag that is not printable ASCII
// of at most 256 characters is dropped rather than sent back.
HttpCachePolicy cachePolicyOf(const HttpResponse& response);

}  // namespace orvane
