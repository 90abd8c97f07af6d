#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include <orvane/storage/http_cache_policy.h>
#include <orvane/storage/sha256.h>

namespace orvane::testing {
namespace {

using namespace std::chrono_literals;
using Headers = std::vector<std::pair<std::string, std::string>>;

HttpCachePolicy policyOf(Headers headers) { return cachePolicyOf(HttpResponse{200, std::move(headers)}); }

TEST(HttpCachePolicy, ReadsLifetimeStorageAndRevalidationFromTheAnswer) {
  struct Case {
    const char* name;
    Headers headers;
    bool store;
    std::chrono::seconds freshFor;
    bool usableWhenStale;
  };
  const std::vector<Case> cases = {
      {"no directives: a heuristic hour", {}, true, HttpCachePolicy::kHeuristicLifetime, true},
      {"max-age", {{"Cache-Control", "public, max-age=600"}}, true, 600s, true},
      {"letter case and blanks", {{"cache-control", " MAX-AGE = 60 ,Private"}}, true, 60s, true},
      {"quoted max-age", {{"Cache-Control", "max-age=\"30\""}}, true, 30s, true},
      {"the shortest of several",
       {{"Cache-Control", "max-age=600"}, {"Cache-Control", "max-age=5"}},
       true,
       5s,
       true},
      {"Age counts against max-age", {{"Cache-Control", "max-age=600"}, {"Age", "100"}}, true, 500s, true},
      {"older than max-age", {{"Cache-Control", "max-age=60"}, {"Age", "100"}}, true, 0s, true},
      {"malformed max-age is stale at once", {{"Cache-Control", "max-age=soon"}}, true, 0s, true},
      {"max-age without a value", {{"Cache-Control", "max-age"}}, true, 0s, true},
      {"negative max-age", {{"Cache-Control", "max-age=-5"}}, true, 0s, true},
      {"huge max-age is capped",
       {{"Cache-Control", "max-age=99999999999999999999999"}},
       true,
       2147483648s,
       true},
      {"no-store", {{"Cache-Control", "max-age=600, no-store"}}, false, 600s, true},
      {"no-cache revalidates every time", {{"Cache-Control", "no-cache, max-age=600"}}, true, 0s, false},
      {"no-cache with field names", {{"Cache-Control", "no-cache=\"Set-Cookie\""}}, true, 0s, false},
      {"must-revalidate keeps its lifetime",
       {{"Cache-Control", "max-age=60, must-revalidate"}},
       true,
       60s,
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto policy = policyOf(c.headers);
    EXPECT_EQ(policy.store, c.store);
    EXPECT_EQ(policy.freshFor, c.freshFor);
    EXPECT_EQ(policy.usableWhenStale, c.usableWhenStale);
  }
}

// The validator goes back to the origin as a header: only what can be sent safely is kept.
TEST(HttpCachePolicy, KeepsOnlyAnEtagThatCanBeSentBack) {
  EXPECT_EQ(policyOf({{"ETag", "\"abc\""}}).etag, "\"abc\"");
  EXPECT_EQ(policyOf({{"etag", " W/\"weak-1\" "}}).etag, "W/\"weak-1\"");
  EXPECT_EQ(policyOf({{"ETag", "\"a\r\nX-Injected: 1\""}}).etag, "");
  EXPECT_EQ(policyOf({{"ETag", "\"with space\""}}).etag, "");
  EXPECT_EQ(policyOf({{"ETag", "\"" + std::string(300, 'x') + "\""}}).etag, "");
  EXPECT_EQ(policyOf({{"ETag", ""}}).etag, "");
}

TEST(Sha256, MatchesTheStandardsVectors) {
  EXPECT_EQ(sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(sha256Hex(std::string(1'000'000, 'a')),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  // Lengths around the padding's block boundary.
  EXPECT_EQ(sha256Hex(std::string(55, 'a')),
            "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318");
  EXPECT_EQ(sha256Hex(std::string(64, 'a')),
            "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb");
}

}  // namespace
}  // namespace orvane::testing
