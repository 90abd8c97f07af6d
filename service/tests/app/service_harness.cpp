#include "service_harness.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>

namespace orvane::service::app::testing {

ScratchFolder::ScratchFolder() {
  static std::atomic<int> counter{0};
  path_ = std::filesystem::temp_directory_path() /
          ("orvane-service-app-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

ServiceHarness::ServiceHarness(const Adjust& adjust, const std::string& databaseUrl) {
  ContentServiceOptions options;
  options.databaseUrl = databaseUrl.empty() ? "sqlite:" + (folder_.path() / "content.sqlite").string() : databaseUrl;
  options.seed = content::ContentSeed{ORVANE_SAMPLE_CONTENT_DIR};
  options.placeholderMedia = true;
  if (adjust) adjust(options);
  service_ = std::make_unique<ContentService>(std::move(options));
  service_->start();
  client_ = std::make_unique<httplib::Client>("127.0.0.1", service_->port());
  client_->set_connection_timeout(5);
  client_->set_read_timeout(10);
  client_->set_write_timeout(10);
}

ServiceHarness::~ServiceHarness() {
  client_.reset();
  service_.reset();
}

httplib::Result ServiceHarness::get(const std::string& path, const std::string& userId, const std::string& key) {
  httplib::Headers headers;
  if (!key.empty()) headers.emplace("X-Zephro-SDK-Key", key);
  if (!userId.empty()) headers.emplace("X-Zephro-UserId", userId);
  return client_->Get(path, headers);
}

httplib::Result ServiceHarness::post(const std::string& path, const std::string& body, const std::string& userId,
                                     const std::string& key) {
  httplib::Headers headers;
  if (!key.empty()) headers.emplace("X-Zephro-SDK-Key", key);
  if (!userId.empty()) headers.emplace("X-Zephro-UserId", userId);
  return client_->Post(path, headers, body, "application/json");
}

httplib::Result ServiceHarness::vote(const std::string& optionId, const std::string& userId) {
  return post(kVotePath, nlohmann::json{{"optionId", optionId}}.dump(), userId);
}

nlohmann::json ServiceHarness::getJson(const std::string& path, const std::string& userId) {
  auto answer = get(path, userId);
  if (!answer) {
    ADD_FAILURE() << "no answer to " << path;
    return {};
  }
  EXPECT_EQ(answer->status, 200) << path << ": " << answer->body;
  return nlohmann::json::parse(answer->body, nullptr, false);
}

int rawStatus(int port, const std::string& request) {
  const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  if (socket < 0) return 0;
  timeval timeout{10, 0};
  ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int status = 0;
  if (::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    // The server may answer and close before everything is written: a short write is fine.
    for (std::size_t sent = 0; sent < request.size();) {
      const auto n = ::send(socket, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += static_cast<std::size_t>(n);
    }
    std::string answer;
    char buffer[4096];
    while (answer.find("\r\n") == std::string::npos) {
      const auto n = ::recv(socket, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      answer.append(buffer, static_cast<std::size_t>(n));
    }
    if (answer.rfind("HTTP/1.1 ", 0) == 0 && answer.size() >= 12) status = std::stoi(answer.substr(9, 3));
  }
  ::close(socket);
  return status;
}

}  // namespace orvane::service::app::testing
