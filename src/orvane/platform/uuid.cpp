#include <orvane/platform/uuid.h>

#include <orvane/platform/ascii_text.h>

namespace orvane {

std::optional<std::string> canonicalLowercaseUuid(std::string_view text) {
  if (text.size() != 36) return std::nullopt;
  std::string out(text);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const char c = out[i];
    const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    if (dash ? c != '-' : !isAsciiHexDigit(c)) return std::nullopt;
    out[i] = asciiLower(c);
  }
  return out;
}

}  // namespace orvane
