#include "console_harness.h"

#include <gtest/gtest.h>

#include "console/console_files.h"
#include "media/media_routes.h"
#include "storage/console_store.h"

namespace orvane::service::admin {

ConsoleServer::ConsoleServer(const std::string& databaseUrl, std::optional<std::filesystem::path> consoleFolder)
    : nowMillis_(1'765'000'000'000) {
  app::ContentServiceOptions options;
  options.databaseUrl = databaseUrl;
  options.seed = content::ContentSeed{ORVANE_SAMPLE_CONTENT_DIR};
  options.adminToken = testAdminToken;
  service_ = std::make_unique<app::ContentService>(options);
  media::MediaLimits limits;
  limits.maxImageBytes = 4096;
  media_ = std::make_unique<media::MediaLibrary>(service_->store(), media::MediaFolder(folder_.path() / "media"),
                                                 limits);
  AdminServiceOptions adminOptions;
  adminOptions.adminToken = testAdminToken;
  adminOptions.accounts.hashing = accounts::PasswordHashing::fastest();
  adminOptions.accounts.clock = [this] { return now(); };
  adminOptions.api.appLinkSchemes = {"orvane-demo"};
  admin_ = std::make_unique<AdminService>(service_->store(), media_.get(), adminOptions);
  service_->addRoutes([&](http::Router& router) {
    media::addMediaRoutes(router, *media_);
    admin_->addRoutes(router);
    console::addConsoleRoutes(router, consoleFolder);
  });
  service_->start("127.0.0.1", 0);
  client_ = std::make_unique<httplib::Client>("127.0.0.1", service_->port());
  client_->set_connection_timeout(5);
  client_->set_read_timeout(10);
}

ConsoleServer::~ConsoleServer() {
  client_.reset();
  service_->flushAndStop();
}

void ConsoleServer::addUser(const std::string& name, storage::Role role) {
  const auto hash = accounts::hashPassword(testPassword, accounts::PasswordHashing::fastest());
  ASSERT_TRUE(service_->store().console()->createUser(name, role, hash, now()));
}

Browser ConsoleServer::signIn(const std::string& name, const std::string& password) {
  const nlohmann::json body{{"name", name}, {"password", password}};
  auto answer = client_->Post("/admin/v1/session", body.dump(), "application/json");
  EXPECT_TRUE(answer) << "no answer";
  if (!answer) return {};
  EXPECT_EQ(answer->status, 200) << answer->body;
  const std::string setCookie = answer->get_header_value("Set-Cookie");
  Browser browser;
  browser.cookie = setCookie.substr(0, setCookie.find(';'));
  const auto json = nlohmann::json::parse(answer->body, nullptr, false);
  if (json.is_object() && json.contains("csrfToken")) browser.csrf = json["csrfToken"].get<std::string>();
  return browser;
}

httplib::Result ConsoleServer::send(const std::string& method, const std::string& path, const Browser* browser,
                                    const std::string& body, bool withCsrf, const httplib::Headers& extra) {
  httplib::Request request;
  request.method = method;
  request.path = path;
  request.headers = extra;
  if (browser != nullptr) {
    request.headers.emplace("Cookie", browser->cookie);
    if (withCsrf) request.headers.emplace("X-CSRF-Token", browser->csrf);
  }
  if (!body.empty()) {
    request.body = body;
    request.headers.emplace("Content-Type", "application/json");
  }
  return client_->send(request);
}

}  // namespace orvane::service::admin
