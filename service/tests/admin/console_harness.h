#pragma once

#include <httplib.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "../media/temporary_folder.h"
#include "admin/admin_service.h"
#include "app/content_service.h"
#include "media/media_library.h"

namespace orvane::service::admin {

inline constexpr const char* testAdminToken = "admin-token-for-tests";
inline constexpr const char* testPassword = "correct horse battery staple";

// A signed-in browser: its cookie and CSRF token.
struct Browser {
  std::string cookie;  // "orvane_session=..."
  std::string csrf;
};

// The content service with the console's routes on 127.0.0.1, cheap password hashing and a clock
// the test moves, seeded with the sample content (app demo-app).
class ConsoleServer {
 public:
  explicit ConsoleServer(const std::string& databaseUrl,
                         std::optional<std::filesystem::path> consoleFolder = std::nullopt);
  ~ConsoleServer();

  void advance(std::chrono::seconds by) { nowMillis_ += std::chrono::milliseconds(by).count(); }
  storage::TimePoint now() const { return storage::TimePoint(std::chrono::milliseconds(nowMillis_.load())); }

  void addUser(const std::string& name, storage::Role role);
  // Signs in and checks it worked; nullopt with a test failure otherwise.
  Browser signIn(const std::string& name, const std::string& password = testPassword);

  // A request with the browser's cookie, and its CSRF token unless `withCsrf` is false.
  httplib::Result send(const std::string& method, const std::string& path, const Browser* browser,
                       const std::string& body = "", bool withCsrf = true,
                       const httplib::Headers& extra = {});

  app::ContentService& service() { return *service_; }
  AdminService& admin() { return *admin_; }
  httplib::Client& client() { return *client_; }

 private:
  media::TemporaryFolder folder_;
  std::atomic<std::int64_t> nowMillis_;
  std::unique_ptr<app::ContentService> service_;
  std::unique_ptr<media::MediaLibrary> media_;
  std::unique_ptr<AdminService> admin_;
  std::unique_ptr<httplib::Client> client_;
};

}  // namespace orvane::service::admin
