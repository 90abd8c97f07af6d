#include "http/file_answer.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "test_client.h"

namespace orvane::service::http::testing {
namespace {

namespace bhttp = boost::beast::http;

class FileAnswers : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = std::filesystem::temp_directory_path() /
            ("orvane-file-answer-" + std::to_string(getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    // Larger than one 64 KiB read, so a slice is sent in several.
    for (int i = 0; i < 100'000; ++i) content_ += static_cast<char>('a' + i % 26);
    std::ofstream(file_, std::ios::binary) << content_;
    server_.router.add("GET", "/media/{}", "media", {}, [this](Request& request) {
      auto path = request.pathParameters[0] == "clip" ? file_ : file_.parent_path() / "orvane-missing-file";
      return fileAnswer(request, path, "video/x-msvideo", "\"v1\"", "public, max-age=31536000, immutable");
    });
    server_.start();
  }
  void TearDown() override { std::filesystem::remove(file_); }

  std::filesystem::path file_;
  std::string content_;
  TestServer server_;
};

TEST_F(FileAnswers, SendTheWholeFileWithItsValidators) {
  TestClient client(server_.port());
  auto whole = client.get("/media/clip");
  EXPECT_EQ(whole.result_int(), 200);
  EXPECT_EQ(whole.body(), content_);
  EXPECT_EQ(whole[bhttp::field::etag], "\"v1\"");
  EXPECT_EQ(whole[bhttp::field::accept_ranges], "bytes");
  EXPECT_EQ(whole[bhttp::field::cache_control], "public, max-age=31536000, immutable");
  EXPECT_EQ(whole[bhttp::field::content_type], "video/x-msvideo");
  EXPECT_TRUE(whole[bhttp::field::content_encoding].empty());

  client.send("HEAD /media/clip HTTP/1.1\r\nHost: t\r\n\r\n");
  auto head = client.receive(true);
  EXPECT_EQ(head[bhttp::field::content_length], "100000");
  EXPECT_TRUE(head.body().empty());

  EXPECT_EQ(client.get("/media/other").result_int(), 404);
}

TEST_F(FileAnswers, SendOneRangeAsPartialContent) {
  struct Case {
    std::string range;
    std::size_t first;
    std::size_t last;
  };
  for (const Case& c : {Case{"bytes=10-19", 10, 19}, Case{"bytes=99990-", 99'990, 99'999},
                        Case{"bytes=-5", 99'995, 99'999}, Case{"bytes=0-999999", 0, 99'999},
                        Case{"bytes=-200000", 0, 99'999}, Case{"bytes=65530-70000", 65'530, 70'000}}) {
    SCOPED_TRACE(c.range);
    TestClient client(server_.port());
    auto partial = client.get("/media/clip", "Range: " + c.range + "\r\n");
    EXPECT_EQ(partial.result_int(), 206);
    EXPECT_EQ(partial[bhttp::field::content_range],
              "bytes " + std::to_string(c.first) + "-" + std::to_string(c.last) + "/100000");
    EXPECT_EQ(partial.body(), content_.substr(c.first, c.last - c.first + 1));
  }
}

TEST_F(FileAnswers, RefuseAnUnsatisfiableRangeAndIgnoreOthersTheyCannotServe) {
  TestClient client(server_.port());
  auto refused = client.get("/media/clip", "Range: bytes=100000-\r\n");
  EXPECT_EQ(refused.result_int(), 416);
  EXPECT_EQ(refused[bhttp::field::content_range], "bytes */100000");
  EXPECT_TRUE(nlohmann::json::parse(refused.body()).contains("error"));

  for (std::string range : {"bytes=0-1,5-6", "items=0-5", "bytes=9-3", "bytes=x-"}) {
    SCOPED_TRACE(range);
    auto whole = client.get("/media/clip", "Range: " + range + "\r\n");
    EXPECT_EQ(whole.result_int(), 200);
    EXPECT_EQ(whole.body().size(), content_.size());
  }
  // A range for another version of the file gets the current one whole.
  auto stale = client.get("/media/clip", "Range: bytes=0-9\r\nIf-Range: \"v0\"\r\n");
  EXPECT_EQ(stale.result_int(), 200);
  auto current = client.get("/media/clip", "Range: bytes=0-9\r\nIf-Range: \"v1\"\r\n");
  EXPECT_EQ(current.result_int(), 206);
}

TEST_F(FileAnswers, AnswerAMatchingIfNoneMatchWith304) {
  TestClient client(server_.port());
  for (std::string tag : {"\"v1\"", "W/\"v1\"", "\"v0\", \"v1\"", "*"}) {
    SCOPED_TRACE(tag);
    auto unchanged = client.get("/media/clip", "If-None-Match: " + tag + "\r\n");
    EXPECT_EQ(unchanged.result_int(), 304);
    EXPECT_TRUE(unchanged.body().empty());
    EXPECT_EQ(unchanged[bhttp::field::etag], "\"v1\"");
  }
  EXPECT_EQ(client.get("/media/clip", "If-None-Match: \"v0\"\r\n").result_int(), 200);
}

}  // namespace
}  // namespace orvane::service::http::testing
