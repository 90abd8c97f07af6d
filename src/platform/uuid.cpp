#include <orvane/platform/uuid.h>

#include <cctype>

namespace orvane {

std::optional<std::string> canonicalLowercaseUuid(std::string_view text) {
  if (text.size() != 36) return std::nullopt;
  std::string out(text);
  for (std::size_t i = 0; i < out.size(); ++i) {
    auto c = static_cast<unsigned char>(out[i]);
    bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    if (dash ? c != '-' : std::isxdigit(c) == 0) return std::nullopt;
    out[i] = static_cast<char>(std::tolower(c));
  }
  return out;
}

}  // namespace orvane
