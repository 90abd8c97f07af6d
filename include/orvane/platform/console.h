#pragma once

#include <orvane/export.h>

#include <string_view>

namespace orvane {

class ORVANE_EXPORT Console {
 public:
  virtual ~Console() = default;
  virtual void writeLine(std::string_view line) = 0;
};

}  // namespace orvane
