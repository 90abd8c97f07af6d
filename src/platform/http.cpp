#include <orvane/platform/http.h>

#include <algorithm>
#include <cctype>

namespace orvane {

const std::string* HttpRequest::header(std::string_view name) const {
  auto sameName = [name](const auto& entry) {
    return std::equal(entry.first.begin(), entry.first.end(), name.begin(), name.end(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) ==
                                                  std::tolower(static_cast<unsigned char>(b)); });
  };
  auto found = std::find_if(headers.begin(), headers.end(), sameName);
  return found == headers.end() ? nullptr : &found->second;
}

}  // namespace orvane
