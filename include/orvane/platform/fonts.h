#pragma once

#include <orvane/export.h>

#include <string>

namespace ORVANE_EXPORT orvane {

class FontCatalog {
 public:
  virtual ~FontCatalog() = default;
  virtual bool hasFont(const std::string& family, double size) const = 0;
};

}  // namespace orvane
