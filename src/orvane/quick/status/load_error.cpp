#include <orvane/quick/status/load_error.h>

namespace orvane::quick::LoadError {
namespace {

Code codeOf(const StoryAPIError& error) {
  switch (error.code()) {
    case StoryAPIError::Code::httpStatus:
      return error.status() == 401 || error.status() == 403 ? AccessDeniedError : ServiceError;
    case StoryAPIError::Code::notConfigured:
      return NotConfiguredError;
    case StoryAPIError::Code::emptyResponse:
      return ServiceError;
    case StoryAPIError::Code::encodingFailed:
      return FormatError;
  }
  return ServiceError;
}

}  // namespace

Code code(const std::optional<Error>& error) {
  if (!error) return NoError;
  if (const auto* api = std::get_if<StoryAPIError>(&*error)) return codeOf(*api);
  if (std::holds_alternative<TransportError>(*error)) return NetworkError;
  return FormatError;
}

QString description(const std::optional<Error>& error) {
  return error ? QString::fromStdString(errorDescription(*error)) : QString();
}

}  // namespace orvane::quick::LoadError
