// The console's files as a browser fetches them.
#include <fstream>

#include <gtest/gtest.h>

#include "console_harness.h"

namespace orvane::service::admin {
namespace {

void write(const std::filesystem::path& file, const std::string& bytes) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

class ConsoleFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    write(folder_.path() / "dist" / "index.html", "<!doctype html><title>Orvane</title>" + std::string(2000, ' '));
    write(folder_.path() / "dist" / "assets" / "index-3f9a1c2b.js", "console.log('x');" + std::string(4000, ' '));
    write(folder_.path() / "dist" / "favicon.svg", "<svg/>");
    write(folder_.path() / "secret.txt", "outside");
    server_ = std::make_unique<ConsoleServer>("sqlite:" + (folder_.path() / "db.sqlite").string(),
                                              folder_.path() / "dist");
  }

  httplib::Result get(const std::string& path, const httplib::Headers& headers = {}) {
    return server_->client().Get(path, headers);
  }

  media::TemporaryFolder folder_;
  std::unique_ptr<ConsoleServer> server_;
};

TEST_F(ConsoleFilesTest, ThePageAndItsAssetsComeWithTheirTypesCachingAndAPolicyAgainstOtherOrigins) {
  auto redirect = get("/console");
  ASSERT_TRUE(redirect);
  EXPECT_EQ(redirect->status, 301);
  EXPECT_EQ(redirect->get_header_value("Location"), "/console/");

  for (const char* path : {"/console/", "/console/apps/demo-app/placements", "/console/analytics"}) {
    auto page = get(path);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200) << path;
    EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8") << path;
    EXPECT_EQ(page->get_header_value("Cache-Control"), "no-cache") << path;
    EXPECT_NE(page->body.find("<title>Orvane</title>"), std::string::npos) << path;
    const std::string policy = page->get_header_value("Content-Security-Policy");
    EXPECT_TRUE(policy.starts_with("default-src 'self'")) << policy;
    EXPECT_NE(policy.find("frame-ancestors 'none'"), std::string::npos);
    EXPECT_EQ(policy.find("http"), std::string::npos) << "no other origin is allowed";
    EXPECT_EQ(page->get_header_value("X-Content-Type-Options"), "nosniff");
  }

  auto script = get("/console/assets/index-3f9a1c2b.js", {{"Accept-Encoding", "gzip"}});
  ASSERT_TRUE(script);
  EXPECT_EQ(script->status, 200);
  EXPECT_EQ(script->get_header_value("Content-Type"), "text/javascript; charset=utf-8");
  EXPECT_EQ(script->get_header_value("Cache-Control"), "public, max-age=31536000, immutable");
  EXPECT_EQ(script->get_header_value("Content-Encoding"), "gzip");
  EXPECT_TRUE(script->body.starts_with("console.log")) << "the client decodes it";
  EXPECT_EQ(get("/console/favicon.svg")->get_header_value("Content-Type"), "image/svg+xml");
  EXPECT_EQ(get("/console/favicon.svg")->get_header_value("Cache-Control"), "no-cache");
}

TEST_F(ConsoleFilesTest, NothingOutsideTheFolderNorAMissingAssetIsServed) {
  EXPECT_EQ(get("/console/assets/missing-12345678.js")->status, 404);
  for (const char* path : {"/console/../secret.txt", "/console/%2E%2E/secret.txt", "/console/..%2Fsecret.txt",
                           "/console/assets/%2E%2E%2F..%2Fsecret.txt", "/console/.hidden"}) {
    auto answer = get(path);
    ASSERT_TRUE(answer) << path;
    EXPECT_EQ(answer->body.find("outside"), std::string::npos) << path;
  }
  EXPECT_EQ(server_->client().Post("/console/", "x", "text/plain")->status, 405);
}

TEST(ConsoleWithoutFiles, SaysTheConsoleIsNotBuilt) {
  media::TemporaryFolder folder;
  ConsoleServer server("sqlite:" + (folder.path() / "db.sqlite").string());
  auto answer = server.client().Get("/console/");
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->status, 404);
  EXPECT_NE(answer->body.find("not built"), std::string::npos);
}

}  // namespace
}  // namespace orvane::service::admin
