#include <orvane/platform/http.h>

#include <orvane/platform/ascii_text.h>

#include <algorithm>

namespace orvane {
namespace {

const std::string* headerNamed(const std::vector<std::pair<std::string, std::string>>& headers,
                               std::string_view name) {
  auto sameName = [name](const auto& entry) { return equalIgnoringAsciiCase(entry.first, name); };
  auto found = std::find_if(headers.begin(), headers.end(), sameName);
  return found == headers.end() ? nullptr : &found->second;
}

}  // namespace

const std::string* HttpRequest::header(std::string_view name) const { return headerNamed(headers, name); }

const std::string* HttpResponse::header(std::string_view name) const { return headerNamed(headers, name); }

}  // namespace orvane
