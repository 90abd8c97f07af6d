#include <orvane/api/errors.h>

namespace orvane {

std::string StoryAPIError::errorDescription() const {
  switch (code_) {
    case Code::httpStatus:
      return "Story request failed with status " + std::to_string(status_) + ".";
    case Code::notConfigured:
      return "Story SDK is not configured.";
    case Code::emptyResponse:
      return "Story request returned an empty response.";
    case Code::encodingFailed:
      return "Failed to encode request body.";
  }
  return {};
}

std::string DecodingError::errorDescription() const {
  const char* kindText = kind == Kind::keyNotFound    ? "Missing key"
                         : kind == Kind::typeMismatch ? "Type mismatch"
                                                      : "Data corrupted";
  std::string text = std::string(kindText) + " at '" + codingPath + "'";
  if (!message.empty()) text += ": " + message;
  return text;
}

std::string errorDescription(const Error& error) {
  return std::visit(
      [](const auto& e) -> std::string {
        if constexpr (std::is_same_v<std::decay_t<decltype(e)>, TransportError>) {
          return e.message.empty() ? "The network connection failed." : e.message;
        } else {
          return e.errorDescription();
        }
      },
      error);
}

}  // namespace orvane
