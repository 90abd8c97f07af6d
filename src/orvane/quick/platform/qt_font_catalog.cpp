#include <orvane/quick/platform/qt_font_catalog.h>

#include <QFontDatabase>
#include <QGuiApplication>
#include <cmath>

namespace orvane::quick {

bool QtFontCatalog::hasFont(const std::string& family, double size) const {
  if (!std::isfinite(size) || size < 0 || family.empty()) return false;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return false;
  return QFontDatabase::families().contains(QString::fromStdString(family), Qt::CaseInsensitive);
}

}  // namespace orvane::quick
