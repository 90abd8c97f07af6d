#pragma once

#include <orvane/export.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace orvane {

// The one exception the model's JSON coding throws (nlohmann's own exceptions never escape it).
// Decoding fails with keyNotFound (a required key missing or null), typeMismatch (a value of the
// wrong JSON type) or dataCorrupted (a value of the right type that means nothing: an unknown
// enumeration word, a malformed URL or date, an integer out of range). Encoding fails with
// invalidValue for a value JSON cannot hold (a non-finite duration).
class ORVANE_EXPORT ModelCodingError : public std::runtime_error {
 public:
  enum class Kind { keyNotFound, typeMismatch, dataCorrupted, invalidValue };

  // `codingPath` locates the value, e.g. "widgetOptions[1].id"; empty for the value itself.
  ModelCodingError(Kind kind, std::string codingPath, std::string detail);

  Kind kind() const { return kind_; }
  const std::string& codingPath() const { return codingPath_; }
  const std::string& detail() const { return detail_; }

  // The same failure seen from the container holding the value under `segment` (a key, or an
  // index written "[2]").
  ModelCodingError nestedIn(std::string_view segment) const;

 private:
  Kind kind_;
  std::string codingPath_;
  std::string detail_;
};

ORVANE_EXPORT std::string_view kindName(ModelCodingError::Kind kind);

}  // namespace orvane
