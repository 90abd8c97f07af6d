// Uploads through the admin API and media answers over HTTP, on each engine.
#include <httplib.h>

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "admin/access_policy.h"
#include "admin/admin_api.h"
#include "content/content_folder.h"
#include "http/server.h"
#include "media/media_library.h"
#include "media/media_routes.h"
#include "sample_video.h"
#include "support/throwaway_postgres.h"
#include "temporary_folder.h"

namespace orvane::service::media {
namespace {

using nlohmann::json;

constexpr const char* kToken = "media-test-token";
const std::string kPng = std::string("\x89PNG\r\n\x1A\n", 8) + std::string(100, '\x01');

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

class MediaHttpTest : public test_support::StoreEngineTest {
 protected:
  void SetUp() override {
    StoreEngineTest::SetUp();
    if (IsSkipped() || HasFailure()) return;
    store_ = storage::Store::open(databaseUrl());
    library_ = std::make_unique<MediaLibrary>(*store_, MediaFolder(folder_.path() / "media"));
    addMediaRoutes(router_, *library_);
    admin::addAdminRoutes(router_, *store_, library_.get(), policy_, {});
    server_ = std::make_unique<http::Server>(router_, http::ServerOptions{});
    client_ = std::make_unique<httplib::Client>("127.0.0.1", server_->start());
    client_->set_connection_timeout(5);
    client_->set_read_timeout(10);
  }
  void TearDown() override {
    if (server_) server_->stop();
  }

  httplib::Result upload(const std::string& bytes, const std::string& declaredType) {
    return client_->Post("/admin/v1/media", {{"Authorization", std::string("Bearer ") + kToken}}, bytes,
                         declaredType);
  }

  TemporaryFolder folder_;
  std::unique_ptr<storage::Store> store_;
  std::unique_ptr<MediaLibrary> library_;
  admin::BearerTokenPolicy policy_{kToken};
  http::Router router_;
  std::unique_ptr<http::Server> server_;
  std::unique_ptr<httplib::Client> client_;
};

TEST_P(MediaHttpTest, AnUploadedVideoIsMeasuredAndServedInRanges) {
  const auto video = makeSampleVideo(folder_.path(), "mp4", 2);
  if (!video) GTEST_SKIP() << "ffmpeg not found: skipping";
  const std::string bytes = readFile(*video);
  auto uploaded = upload(bytes, "application/octet-stream");
  ASSERT_EQ(uploaded->status, 201) << uploaded->body;
  const json record = json::parse(uploaded->body);
  EXPECT_EQ(record["contentType"], "video/mp4");
  EXPECT_NEAR(record["durationSeconds"].get<double>(), 2.0, 0.1);
  const std::string url = record["url"];
  ASSERT_EQ(url, "/media/" + sha256Hex(bytes) + ".mp4");

  auto whole = client_->Get(url);
  ASSERT_EQ(whole->status, 200);
  EXPECT_EQ(whole->body, bytes);
  EXPECT_EQ(whole->get_header_value("Content-Type"), "video/mp4");
  EXPECT_EQ(whole->get_header_value("ETag"), "\"" + sha256Hex(bytes) + "\"");
  EXPECT_EQ(whole->get_header_value("Cache-Control"), "public, max-age=31536000, immutable");
  EXPECT_EQ(whole->get_header_value("X-Content-Type-Options"), "nosniff");

  auto start = client_->Get(url, {{"Range", "bytes=0-99"}});
  ASSERT_EQ(start->status, 206);
  EXPECT_EQ(start->body, bytes.substr(0, 100));
  EXPECT_EQ(start->get_header_value("Content-Range"), "bytes 0-99/" + std::to_string(bytes.size()));
  auto tail = client_->Get(url, {{"Range", "bytes=-10"}});
  ASSERT_EQ(tail->status, 206);
  EXPECT_EQ(tail->body, bytes.substr(bytes.size() - 10));
  EXPECT_EQ(client_->Get(url, {{"Range", "bytes=999999999-"}})->status, 416);
  EXPECT_EQ(client_->Get(url, {{"If-None-Match", whole->get_header_value("ETag")}})->status, 304);
  auto head = client_->Head(url);
  EXPECT_EQ(head->status, 200);
  EXPECT_TRUE(head->body.empty());

  // A page showing the upload without a length of its own gets the measured one.
  const auto sample = content::readContentFolder(ORVANE_SAMPLE_CONTENT_DIR);
  json document = sample.front().document;
  json page = document["groups"][0]["items"][0];
  page["type"] = "VIDEO";
  page.erase("durationSeconds");
  page["media"] = {{"mediaType", "VIDEO"}, {"mediaUrl", "{{origin}}" + url}};
  document["groups"] = json::array({document["groups"][0]});
  document["groups"][0]["items"] = json::array({page});
  const httplib::Headers admin{{"Authorization", std::string("Bearer ") + kToken}};
  store_->createApp("demo-app", "Demo");
  auto saved = client_->Put("/admin/v1/apps/demo-app/placements/home/stories/draft", admin, document.dump(),
                            "application/json");
  ASSERT_EQ(saved->status, 200) << saved->body;
  const json stored = json::parse(saved->body)["document"]["groups"][0]["items"][0];
  EXPECT_EQ(stored["durationSeconds"], 2);
  EXPECT_EQ(stored["media"]["durationSeconds"], 2);
}

TEST_P(MediaHttpTest, TheBytesDecideTheTypeWhateverTheUploadDeclares) {
  auto png = upload(kPng, "video/mp4");
  ASSERT_EQ(png->status, 201) << png->body;
  const json record = json::parse(png->body);
  EXPECT_EQ(record["contentType"], "image/png");
  EXPECT_FALSE(record.contains("durationSeconds"));
  EXPECT_EQ(client_->Get(record["url"].get<std::string>())->get_header_value("Content-Type"), "image/png");

  for (const std::string& refused :
       {std::string("#EXTM3U\n#EXTINF:4,\nhttps://example.com/a.ts\n"),
        std::string("<svg xmlns=\"http://www.w3.org/2000/svg\" onload=\"alert(1)\"/>"),
        std::string("<html><script>alert(1)</script></html>")}) {
    auto answer = upload(refused, "video/mp4");
    EXPECT_EQ(answer->status, 415) << refused;
    EXPECT_TRUE(json::parse(answer->body).contains("error"));
  }
  // Container bytes ffprobe cannot read as a video are no video.
  auto fake = upload(std::string("\0\0\0\x20"
                                 "ftypisom",
                                 12) +
                         std::string(4000, 'x'),
                     "video/mp4");
  EXPECT_EQ(fake->status, 415);
  EXPECT_EQ(std::distance(std::filesystem::recursive_directory_iterator(folder_.path() / "media"), {}) -
                std::distance(std::filesystem::directory_iterator(folder_.path() / "media"), {}),
            1)
      << "only the PNG is kept";
}

TEST_P(MediaHttpTest, ImagesAndVideosHaveTheirOwnSizeCaps) {
  MediaLimits limits;
  limits.maxImageBytes = 50;
  limits.maxVideoBytes = 200;
  MediaLibrary small(*store_, MediaFolder(folder_.path() / "small"), limits);
  const auto tooBig = std::get<UploadRefusal>(small.upload(kPng));
  EXPECT_EQ(tooBig.status, 413);
  EXPECT_NE(tooBig.reason.find("image"), std::string::npos);
  const std::string avi = std::string("RIFF\0\0\0\0AVI LIST", 16) + std::string(300, '\0');
  EXPECT_EQ(std::get<UploadRefusal>(small.upload(avi)).status, 413);
  EXPECT_EQ(small.limits().maxUploadBytes(), 200u);
}

TEST_P(MediaHttpTest, NoPathLeavesTheMediaFolder) {
  auto png = upload(kPng, "image/png");
  ASSERT_EQ(png->status, 201);
  const std::string sha = json::parse(png->body)["sha256"];
  std::ofstream(folder_.path() / "secret.txt") << "not media";
  std::string upper = sha;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::vector<std::string> hostile{"/media/../secret.txt",
                                         "/media/..%2Fsecret.txt",
                                         "/media/%2e%2e%2fsecret.txt",
                                         "/media/" + sha + "%2F..",
                                         "/media/" + sha.substr(0, 2) + "%2F" + sha,
                                         "/media/" + upper,
                                         "/media/" + sha + ".mp4",
                                         "/media/" + sha + ".png%00.txt",
                                         "/media/" + sha.substr(0, 63),
                                         "/media/" + std::string(64, '0')};
  for (const std::string& path : hostile) {
    auto answer = client_->Get(path);
    ASSERT_TRUE(answer) << path;
    EXPECT_TRUE(answer->status == 404 || answer->status == 400) << path << " -> " << answer->status;
    EXPECT_EQ(answer->body.find("not media"), std::string::npos);
  }
  EXPECT_EQ(client_->Get("/media/" + sha)->status, 200);
  EXPECT_EQ(client_->Get("/media/" + sha + ".png")->status, 200);
}

INSTANTIATE_TEST_SUITE_P(Engines, MediaHttpTest, ::testing::ValuesIn(test_support::storeEnginesForTests()),
                         test_support::engineName);

}  // namespace
}  // namespace orvane::service::media
