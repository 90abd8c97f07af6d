#pragma once

#include <QLoggingCategory>

#include <orvane/platform/console.h>

namespace orvane::quick {

// The SDK's log lines, as warnings in the category "orvane.stories", so a host filters or
// redirects them like its own (QT_LOGGING_RULES="orvane.stories=false" silences them).
Q_DECLARE_LOGGING_CATEGORY(storiesLog)

class QtConsole final : public Console {
 public:
  void writeLine(std::string_view line) override;
};

}  // namespace orvane::quick
