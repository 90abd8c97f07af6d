#pragma once

#include <orvane/export.h>

#include <string_view>

namespace orvane {

// Where the SDK's log lines go, e.g. "[Orvane] Failed to load stories for placement 'home': 401".
//
// \code
// class SyslogConsole final : public Console {
//  public:
//   void writeLine(std::string_view line) override { syslog(LOG_WARNING, "%.*s", int(line.size()), line.data()); }
// };
// \endcode
class ORVANE_EXPORT Console {
 public:
  virtual ~Console() = default;
  // One line, without its line break; called from any thread.
  virtual void writeLine(std::string_view line) = 0;
};

}  // namespace orvane
