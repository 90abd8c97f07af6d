#pragma once

#include <string_view>

namespace orvane {

class Console {
 public:
  virtual ~Console() = default;
  virtual void writeLine(std::string_view line) = 0;
};

}  // namespace orvane
