#pragma once

#include <orvane/export.h>

#include <string>
#include <utility>
#include <variant>

#include <orvane/platform/http.h>

namespace orvane {

// Failures of the service exchange itself, with fixed descriptions.
class ORVANE_EXPORT StoryAPIError {
 public:
  enum class Code { httpStatus, notConfigured, emptyResponse, encodingFailed };

  static StoryAPIError httpStatus(int status) { return StoryAPIError(Code::httpStatus, status); }
  static StoryAPIError notConfigured() { return StoryAPIError(Code::notConfigured); }
  static StoryAPIError emptyResponse() { return StoryAPIError(Code::emptyResponse); }
  static StoryAPIError encodingFailed() { return StoryAPIError(Code::encodingFailed); }

  Code code() const { return code_; }
  // The HTTP status of an httpStatus error, 0 otherwise.
  int status() const { return status_; }
  std::string errorDescription() const;

  bool operator==(const StoryAPIError&) const = default;

 private:
  explicit StoryAPIError(Code code, int status = 0) : code_(code), status_(status) {}
  Code code_;
  int status_;
};

// A response (or model JSON) that does not have the required shape.
struct ORVANE_EXPORT DecodingError {
  enum class Kind { keyNotFound, typeMismatch, dataCorrupted };
  Kind kind = Kind::dataCorrupted;
  std::string codingPath;  // e.g. "groups[0].items[1].id"
  std::string message;

  std::string errorDescription() const;
  bool operator==(const DecodingError&) const = default;
};

// Every failure a completion can receive: the service's typed errors, and platform transport
// and decoding errors passed through as they are.
using Error = std::variant<StoryAPIError, TransportError, DecodingError>;

ORVANE_EXPORT std::string errorDescription(const Error& error);

// A value or an error; what every asynchronous completion receives.
template <typename T>
class Result {
 public:
  Result(T value) : storage_(std::in_place_index<0>, std::move(value)) {}  // NOLINT(google-explicit-constructor)
  Result(Error error) : storage_(std::in_place_index<1>, std::move(error)) {}  // NOLINT(google-explicit-constructor)
  Result(StoryAPIError error) : Result(Error(error)) {}  // NOLINT(google-explicit-constructor)
  Result(TransportError error) : Result(Error(std::move(error))) {}  // NOLINT(google-explicit-constructor)
  Result(DecodingError error) : Result(Error(std::move(error))) {}  // NOLINT(google-explicit-constructor)

  bool ok() const { return storage_.index() == 0; }
  explicit operator bool() const { return ok(); }
  const T& value() const& { return std::get<0>(storage_); }
  T&& value() && { return std::get<0>(std::move(storage_)); }
  const Error& error() const { return std::get<1>(storage_); }

 private:
  std::variant<T, Error> storage_;
};

}  // namespace orvane
