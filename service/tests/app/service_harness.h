#pragma once

#include <httplib.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "app/content_service.h"
#include "support/throwaway_postgres.h"

namespace orvane::service::app::testing {

inline const std::string kApp = "demo-app";
inline const std::string kKey = "demo-sdk-key";
inline const std::string kStories = "/sdk/v1/apps/demo-app/placements/home/stories";
inline const std::string kBanners = "/sdk/v1/apps/demo-app/placements/home_banner/banners";
// The sample poll; the file spells its ids in upper case, clients send them in lower case.
inline const std::string kPollItem = "2a3f1c49-6b5b-5013-a748-3b0b4b8d176d";
inline const std::string kStoriesOption = "f7d563b8-a35f-5600-b3fb-4fc1cddf0af1";  // 42 in the sample
inline const std::string kBannersOption = "4eec43c3-6a86-519c-97d8-357bdfee7373";  // 17 in the sample
inline const std::string kVotePath = "/sdk/v1/apps/demo-app/story-items/" + kPollItem + "/vote";

// A folder of its own under the temporary directory, removed at the end.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The service on a SQLite file of its own, seeded with the sample content, listening on
// 127.0.0.1, and a client for it.
class ServiceHarness {
 public:
  using Adjust = std::function<void(ContentServiceOptions&)>;
  // On `databaseUrl`, or a SQLite file of its own when empty.
  explicit ServiceHarness(const Adjust& adjust = {}, const std::string& databaseUrl = {});
  ~ServiceHarness();

  ContentService& service() { return *service_; }
  storage::Store& store() { return service_->store(); }
  std::int64_t appId() { return service_->seededAppId(); }
  httplib::Client& client() { return *client_; }

  httplib::Result get(const std::string& path, const std::string& userId = "", const std::string& key = kKey);
  httplib::Result post(const std::string& path, const std::string& body, const std::string& userId = "",
                       const std::string& key = kKey);
  httplib::Result vote(const std::string& optionId, const std::string& userId);
  // The JSON body of a 200 answer to `path` (a failed expectation otherwise).
  nlohmann::json getJson(const std::string& path, const std::string& userId = "");

 private:
  ScratchFolder folder_;
  std::unique_ptr<ContentService> service_;
  std::unique_ptr<httplib::Client> client_;
};

// Cases run on SQLite and on PostgreSQL, each on a fresh database.
using OnEngines = test_support::StoreEngineTest;

// Bytes written as they are on a new connection; the answer's status (0 when none came).
int rawStatus(int port, const std::string& request);

}  // namespace orvane::service::app::testing
