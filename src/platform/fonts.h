#pragma once

#include <string>

namespace orvane {

class FontCatalog {
 public:
  virtual ~FontCatalog() = default;
  virtual bool hasFont(const std::string& family, double size) const = 0;
};

}  // namespace orvane
