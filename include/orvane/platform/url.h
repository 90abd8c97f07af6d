#pragma once

#include <orvane/export.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane {

// An RFC 3986 URI reference, kept as the text it was parsed from. Equality is by that text.
//
// \code
// auto url = Url::parse("https://stories.example.com/sdk");
// if (url) url = url->appendingPathComponent("home/main").withQueryItems({{"locale", "de-AT"}});
// // "https://stories.example.com/sdk/home%2Fmain?locale=de-AT"
// \endcode
class ORVANE_EXPORT Url {
 public:
  // Absent when the text is not a URI reference (blanks, stray '%', bad characters...).
  static std::optional<Url> parse(std::string_view text);

  // The text it was parsed from.
  const std::string& string() const { return text_; }
  // Lower-cased scheme, empty for a relative reference.
  std::string scheme() const;
  // The host as written, empty when there is none.
  std::string host() const;
  // Whether it is absolute.
  bool hasScheme() const { return !scheme().empty(); }

  // Appends one path segment. Everything outside the unreserved set is percent-encoded, and
  // "." / ".." are encoded too, so a segment can never add levels or climb out of the path.
  Url appendingPathComponent(std::string_view segment) const;

  // Replaces the query with the given items, each name and value percent-encoded.
  Url withQueryItems(const std::vector<std::pair<std::string, std::string>>& items) const;

  // By text.
  bool operator==(const Url&) const = default;

 private:
  explicit Url(std::string text) : text_(std::move(text)) {}
  std::string text_;
};

// Every byte outside RFC 3986's unreserved set as %XX.
ORVANE_EXPORT std::string percentEncode(std::string_view text);

}  // namespace orvane

// \cond
template <>
struct std::hash<orvane::Url> {
  size_t operator()(const orvane::Url& url) const noexcept { return std::hash<std::string>{}(url.string()); }
};
// \endcond
