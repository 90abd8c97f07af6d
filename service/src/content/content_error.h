#pragma once

#include <stdexcept>

namespace orvane::service::content {

// Content that cannot be stored or served; the message names the file or document and the place.
class ContentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace orvane::service::content
