#pragma once

#include <orvane/export.h>

#include <string>

namespace orvane {

class ORVANE_EXPORT FontCatalog {
 public:
  virtual ~FontCatalog() = default;
  virtual bool hasFont(const std::string& family, double size) const = 0;
};

}  // namespace orvane
