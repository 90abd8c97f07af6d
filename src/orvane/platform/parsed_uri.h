#pragma once

#include <uriparser/Uri.h>

#include <string_view>

namespace orvane {

// One uriparser parse of a text, freed with it; the parts point into the text, which must outlive it.
class ParsedUri {
 public:
  explicit ParsedUri(std::string_view text) {
    const char* errorPos = nullptr;
    ok_ = uriParseSingleUriExA(&uri_, text.data(), text.data() + text.size(), &errorPos) == URI_SUCCESS;
  }
  ~ParsedUri() {
    if (ok_) uriFreeUriMembersA(&uri_);
  }
  ParsedUri(const ParsedUri&) = delete;
  ParsedUri& operator=(const ParsedUri&) = delete;

  bool ok() const { return ok_; }
  const UriUriA& uri() const { return uri_; }

 private:
  UriUriA uri_{};
  bool ok_ = false;
};

}  // namespace orvane
