#pragma once

#include <orvane/export.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace ORVANE_EXPORT orvane {

// A decoded image, shared by reference and never changed.
class Image {
 public:
  virtual ~Image() = default;
  virtual int width() const = 0;
  virtual int height() const = 0;
  // Memory held by the decoded pixels; what caches charge for it.
  virtual std::size_t byteCost() const { return static_cast<std::size_t>(width()) * height() * 4; }
};

class ImageDecoder {
 public:
  virtual ~ImageDecoder() = default;
  // Absent when the bytes are no image, or when the image would exceed maxPixels once decoded.
  virtual std::shared_ptr<const Image> decode(std::string_view bytes, std::int64_t maxPixels) const = 0;
};

}  // namespace orvane
