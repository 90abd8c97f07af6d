#pragma once

#include <orvane/export.h>

#include <string>
#include <utility>
#include <variant>

#include <orvane/platform/http.h>

namespace orvane {

// Failures of the service exchange itself, with fixed descriptions.
//
// \code
// if (const auto* failure = std::get_if<StoryAPIError>(&result.error());
//     failure && failure->code() == StoryAPIError::Code::httpStatus && failure->status() == 401)
//   askForANewKey();
// \endcode
class ORVANE_EXPORT StoryAPIError {
 public:
  // What failed: the service answered with an error status, the SDK was not configured, the
  // answer was empty, or the request could not be encoded.
  enum class Code { httpStatus, notConfigured, emptyResponse, encodingFailed };

  // One factory per code.
  //@{
  static StoryAPIError httpStatus(int status) { return StoryAPIError(Code::httpStatus, status); }
  static StoryAPIError notConfigured() { return StoryAPIError(Code::notConfigured); }
  static StoryAPIError emptyResponse() { return StoryAPIError(Code::emptyResponse); }
  static StoryAPIError encodingFailed() { return StoryAPIError(Code::encodingFailed); }
  //@}

  // What failed.
  Code code() const { return code_; }
  // The HTTP status of an httpStatus error, 0 otherwise.
  int status() const { return status_; }
  // An English sentence for logs, e.g. "The service answered with HTTP status 401."
  std::string errorDescription() const;

  // Code and status alike.
  bool operator==(const StoryAPIError&) const = default;

 private:
  explicit StoryAPIError(Code code, int status = 0) : code_(code), status_(status) {}
  Code code_;
  int status_;
};

// A response (or model JSON) that does not have the required shape.
//
// \code
// if (const auto* bad = std::get_if<DecodingError>(&result.error())) log(bad->codingPath);
// \endcode
struct ORVANE_EXPORT DecodingError {
  // A required key was missing, a value had the wrong type, or the text was no valid JSON.
  enum class Kind { keyNotFound, typeMismatch, dataCorrupted };
  // Which way the answer was malformed.
  Kind kind = Kind::dataCorrupted;
  std::string codingPath;  // e.g. "groups[0].items[1].id"
  // The decoder's own words, for logs.
  std::string message;

  // The kind, path and message in one sentence.
  std::string errorDescription() const;
  // Field by field.
  bool operator==(const DecodingError&) const = default;
};

// Every failure a completion can receive: the service's typed errors, and platform transport
// and decoding errors passed through as they are.
using Error = std::variant<StoryAPIError, TransportError, DecodingError>;

// The errorDescription of whichever error it holds.
ORVANE_EXPORT std::string errorDescription(const Error& error);

// A value or an error; what every asynchronous completion receives.
//
// \code
// api.fetchStories("home", [](Result<std::vector<StoryGroup>> result) {
//   if (!result) return log(errorDescription(result.error()));
//   for (const auto& group : result.value()) show(group);
// });
// \endcode
template <typename T>
class Result {
 public:
  // A success, or a failure of any of the error types.
  //@{
  Result(T value) : storage_(std::in_place_index<0>, std::move(value)) {}  // NOLINT(google-explicit-constructor)
  Result(Error error) : storage_(std::in_place_index<1>, std::move(error)) {}  // NOLINT(google-explicit-constructor)
  Result(StoryAPIError error) : Result(Error(error)) {}  // NOLINT(google-explicit-constructor)
  Result(TransportError error) : Result(Error(std::move(error))) {}  // NOLINT(google-explicit-constructor)
  Result(DecodingError error) : Result(Error(std::move(error))) {}  // NOLINT(google-explicit-constructor)
  //@}

  // Whether it holds a value.
  //@{
  bool ok() const { return storage_.index() == 0; }
  explicit operator bool() const { return ok(); }
  //@}
  // The value; only when ok().
  //@{
  const T& value() const& { return std::get<0>(storage_); }
  T&& value() && { return std::get<0>(std::move(storage_)); }
  //@}
  // The error; only when not ok().
  const Error& error() const { return std::get<1>(storage_); }

 private:
  std::variant<T, Error> storage_;
};

}  // namespace orvane
