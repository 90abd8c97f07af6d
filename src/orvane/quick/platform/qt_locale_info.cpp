#include <orvane/quick/platform/qt_locale_info.h>

namespace orvane::quick {

std::string QtLocaleInfo::identifier() const {
  QLocale current = locale();
  if (current.language() == QLocale::C) return "en_US_POSIX";
  return current.name().toStdString();
}

std::optional<std::string> QtLocaleInfo::regionCode() const {
  QLocale current = locale();
  if (current.language() == QLocale::C) return "US";
  if (current.territory() == QLocale::AnyTerritory) return std::nullopt;
  QString code = QLocale::territoryToCode(current.territory());
  if (code.isEmpty()) return std::nullopt;
  return code.toStdString();
}

}  // namespace orvane::quick
