#include <gtest/gtest.h>

#include <orvane/quick/status/load_error.h>

namespace orvane::quick {
namespace {

TEST(LoadError, FailuresFallIntoTheKindsAHostHandlesDifferently) {
  using namespace LoadError;
  EXPECT_EQ(code(std::nullopt), NoError);
  EXPECT_TRUE(description(std::nullopt).isEmpty());
  EXPECT_EQ(code(Error(StoryAPIError::httpStatus(401))), AccessDeniedError);
  EXPECT_EQ(code(Error(StoryAPIError::httpStatus(403))), AccessDeniedError);
  EXPECT_EQ(code(Error(StoryAPIError::httpStatus(404))), ServiceError);
  EXPECT_EQ(code(Error(StoryAPIError::httpStatus(503))), ServiceError);
  EXPECT_EQ(code(Error(StoryAPIError::emptyResponse())), ServiceError);
  EXPECT_EQ(code(Error(StoryAPIError::notConfigured())), NotConfiguredError);
  EXPECT_EQ(code(Error(StoryAPIError::encodingFailed())), FormatError);
  EXPECT_EQ(code(Error(DecodingError{})), FormatError);
  for (auto transport : {TransportError::Code::connection, TransportError::Code::timeout, TransportError::Code::tls,
                         TransportError::Code::tooLarge}) {
    const Error error = TransportError{transport, "refused"};
    EXPECT_EQ(code(error), NetworkError);
    EXPECT_FALSE(description(error).isEmpty());
  }
}

}  // namespace
}  // namespace orvane::quick
