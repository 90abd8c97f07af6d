#include <zlib.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "http/content_coding.h"
#include "test_client.h"

namespace orvane::service::http::testing {
namespace {

namespace bhttp = boost::beast::http;

std::string gunzip(std::string body) {
  EXPECT_EQ(decodeBody(body, "gzip", 1 << 20), BodyDecoding::decoded);
  return body;
}

class Compression : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 200; ++i) large_.push_back({{"id", i}, {"title", "story"}});
    server_.router.add("GET", "/large", "large", {}, [this](Request&) { return Response::json(200, large_); });
    server_.router.add("GET", "/small", "small", {}, [](Request&) { return Response::json(200, {{"ok", true}}); });
    server_.router.add("GET", "/encoded", "encoded", {}, [this](Request&) {
      Response response = Response::json(200, large_);
      response.body = gzipCompress(std::get<std::string>(response.body));
      response.headers.emplace("Content-Encoding", "gzip");
      return response;
    });
    server_.start();
  }
  nlohmann::json large_ = nlohmann::json::array();
  TestServer server_;
};

TEST_F(Compression, GzipsLargeJsonWhenTheClientAcceptsIt) {
  TestClient client(server_.port());
  auto compressed = client.get("/large", "Accept-Encoding: br, gzip;q=0.8\r\n");
  EXPECT_EQ(compressed[bhttp::field::content_encoding], "gzip");
  EXPECT_EQ(compressed[bhttp::field::vary], "Accept-Encoding");
  EXPECT_LT(compressed.body().size(), large_.dump().size());
  EXPECT_EQ(nlohmann::json::parse(gunzip(compressed.body())), large_);

  for (std::string refusal : {"", "Accept-Encoding: identity\r\n", "Accept-Encoding: gzip;q=0\r\n",
                              "Accept-Encoding: *;q=0\r\n"}) {
    SCOPED_TRACE(refusal);
    auto plain = client.get("/large", refusal);
    EXPECT_TRUE(plain[bhttp::field::content_encoding].empty());
    EXPECT_EQ(plain[bhttp::field::vary], "Accept-Encoding");
    EXPECT_EQ(nlohmann::json::parse(plain.body()), large_);
  }

  auto small = client.get("/small", "Accept-Encoding: gzip\r\n");
  EXPECT_TRUE(small[bhttp::field::content_encoding].empty());
  EXPECT_TRUE(small[bhttp::field::vary].empty());

  // A handler that compressed its answer itself (a cached one, say) is not compressed again.
  auto encoded = client.get("/encoded", "Accept-Encoding: gzip\r\n");
  EXPECT_EQ(nlohmann::json::parse(gunzip(encoded.body())), large_);
}

TEST(ContentCoding, AcceptEncodingIsReadWithItsQualities) {
  EXPECT_TRUE(acceptsGzip("gzip"));
  EXPECT_TRUE(acceptsGzip("deflate, GZIP"));
  EXPECT_TRUE(acceptsGzip("*"));
  EXPECT_TRUE(acceptsGzip("gzip;q=0.001"));
  EXPECT_FALSE(acceptsGzip("gzip;q=0.0"));
  EXPECT_FALSE(acceptsGzip("gzip; q=0, *"));
  EXPECT_FALSE(acceptsGzip("br"));
  EXPECT_FALSE(acceptsGzip(""));
}

TEST(ContentCoding, DecodesGzipAndDeflateWithinTheCapOnly) {
  std::string original(100'000, 'x');
  std::string body = gzipCompress(original);
  EXPECT_EQ(decodeBody(body, "gzip", original.size()), BodyDecoding::decoded);
  EXPECT_EQ(body, original);

  std::string over = gzipCompress(original);
  EXPECT_EQ(decodeBody(over, "gzip", original.size() - 1), BodyDecoding::tooLarge);

  std::string truncated = gzipCompress(original).substr(0, 40);
  EXPECT_EQ(decodeBody(truncated, "gzip", original.size()), BodyDecoding::malformed);

  std::string twoMembers = gzipCompress("ab") + gzipCompress("cd");
  EXPECT_EQ(decodeBody(twoMembers, "x-gzip", 10), BodyDecoding::decoded);
  EXPECT_EQ(twoMembers, "abcd");

  std::string zlibWrapped(compressBound(static_cast<uLong>(original.size())), '\0');
  uLongf zlibSize = static_cast<uLongf>(zlibWrapped.size());
  ASSERT_EQ(compress(reinterpret_cast<Bytef*>(zlibWrapped.data()), &zlibSize,
                     reinterpret_cast<const Bytef*>(original.data()), static_cast<uLong>(original.size())),
            Z_OK);
  zlibWrapped.resize(zlibSize);
  EXPECT_EQ(decodeBody(zlibWrapped, "deflate", original.size()), BodyDecoding::decoded);
  EXPECT_EQ(zlibWrapped, original);

  std::string identity = "12345";
  EXPECT_EQ(decodeBody(identity, "identity", 4), BodyDecoding::tooLarge);
  EXPECT_EQ(decodeBody(identity, "compress", 100), BodyDecoding::unsupported);
}

}  // namespace
}  // namespace orvane::service::http::testing
