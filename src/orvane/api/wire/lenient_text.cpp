#include <orvane/api/wire/lenient_text.h>

#include <orvane/model/trimming.h>

namespace orvane {

std::optional<Url> parseLinkURL(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  const std::string_view trimmed = trimmingWhitespaceAndNewlines(*text);
  if (trimmed.empty()) return std::nullopt;
  if (auto url = Url::parse(trimmed); url && url->hasScheme()) return url;
  return Url::parse("https://" + std::string(trimmed));
}

std::optional<Url> parseMediaURL(std::string_view text) {
  if (text.empty()) return std::nullopt;
  return Url::parse(text);
}

}  // namespace orvane
