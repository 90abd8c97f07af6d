#include <orvane/quick/platform/qt_console.h>

namespace orvane::quick {

Q_LOGGING_CATEGORY(storiesLog, "orvane.stories")

void QtConsole::writeLine(std::string_view line) {
  qCWarning(storiesLog).noquote() << QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
}

}  // namespace orvane::quick
