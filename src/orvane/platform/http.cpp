#include <orvane/platform/http.h>

#include <orvane/platform/ascii_text.h>

#include <algorithm>

namespace orvane {

const std::string* HttpRequest::header(std::string_view name) const {
  auto sameName = [name](const auto& entry) { return equalIgnoringAsciiCase(entry.first, name); };
  auto found = std::find_if(headers.begin(), headers.end(), sameName);
  return found == headers.end() ? nullptr : &found->second;
}

const std::string* HttpResponse::header(std::string_view name) const {
  auto sameName = [name](const auto& entry) { return equalIgnoringAsciiCase(entry.first, name); };
  auto found = std::find_if(headers.begin(), headers.end(), sameName);
  return found == headers.end() ? nullptr : &found->second;
}

}  // namespace orvane
