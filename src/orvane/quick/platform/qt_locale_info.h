#pragma once

#include <QLocale>
#include <optional>

#include <orvane/platform/locale.h>

namespace orvane::quick {

// The user's locale as Qt sees it, read on every call so that changes apply at once.
class QtLocaleInfo final : public LocaleInfo {
 public:
  QtLocaleInfo() = default;  // QLocale::system()
  explicit QtLocaleInfo(QLocale fixed) : fixed_(std::move(fixed)) {}

  // Language and territory, e.g. "en_US". The C locale reads "en_US_POSIX" in region "US", as it
  // does for the headless host.
  std::string identifier() const override;
  // The territory's ISO 3166 code ("US"), or its UN M.49 number for regions such as "419";
  // absent when the locale names no territory.
  std::optional<std::string> regionCode() const override;

 private:
  QLocale locale() const { return fixed_ ? *fixed_ : QLocale::system(); }

  std::optional<QLocale> fixed_;
};

}  // namespace orvane::quick
