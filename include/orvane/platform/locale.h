#pragma once

#include <orvane/export.h>

#include <optional>
#include <string>

namespace orvane {

// The user's language and region, sent with content requests so the service can answer in them.
//
// \code
// class FixedLocale final : public LocaleInfo {
//  public:
//   std::string identifier() const override { return "de_AT"; }
//   std::optional<std::string> regionCode() const override { return "AT"; }
// };
// \endcode
class ORVANE_EXPORT LocaleInfo {
 public:
  virtual ~LocaleInfo() = default;
  // Such as "en_US@calendar=gregorian".
  virtual std::string identifier() const = 0;
  // The region, e.g. "AT" or "419", when the locale names one.
  virtual std::optional<std::string> regionCode() const = 0;
};

}  // namespace orvane
