#include "local_proxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QByteArray>
#include <stdexcept>

namespace orvane::testing {
namespace {

constexpr int kPollMilliseconds = 50;

int connectToLoopback(int port) {
  const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (socket >= 0 && ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return socket;
  if (socket >= 0) ::close(socket);
  return -1;
}

bool sendAll(int socket, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const auto written = ::send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (written <= 0) return false;
    sent += static_cast<std::size_t>(written);
  }
  return true;
}

std::string headerValue(const std::string& head, const std::string& name) {
  const QByteArray lowered = QByteArray::fromStdString(head).toLower();
  const auto at = lowered.indexOf("\r\n" + QByteArray::fromStdString(name).toLower() + ":");
  if (at < 0) return {};
  const auto start = static_cast<std::size_t>(at) + 3 + name.size();
  const auto end = head.find("\r\n", start);
  return QByteArray::fromStdString(head.substr(start, end - start)).trimmed().toStdString();
}

}  // namespace

LocalProxy::LocalProxy(std::string credentials, std::chrono::seconds lifetime)
    : credentials_(std::move(credentials)), deadline_(std::chrono::steady_clock::now() + lifetime) {
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 16) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    throw std::runtime_error("could not start the local proxy");
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { accept(); });
}

LocalProxy::~LocalProxy() {
  stopping_ = true;
  acceptor_.join();
  for (auto& connection : connections_) connection.join();
  ::close(listener_);
}

std::vector<std::string> LocalProxy::requestLines() const {
  std::lock_guard lock(mutex_);
  return requestLines_;
}

std::vector<std::string> LocalProxy::credentialsSeen() const {
  std::lock_guard lock(mutex_);
  return credentialsSeen_;
}

bool LocalProxy::stopped() const { return stopping_ || std::chrono::steady_clock::now() > deadline_; }

void LocalProxy::accept() {
  while (!stopped()) {
    pollfd waiting{listener_, POLLIN, 0};
    if (::poll(&waiting, 1, kPollMilliseconds) <= 0) continue;
    const int client = ::accept(listener_, nullptr, nullptr);
    if (client >= 0) connections_.emplace_back([this, client] { serve(client); });
  }
}

void LocalProxy::serve(int client) {
  std::string buffer;
  char chunk[4096];
  while (!stopped()) {
    const auto headEnd = buffer.find("\r\n\r\n");
    if (headEnd == std::string::npos) {
      pollfd waiting{client, POLLIN, 0};
      if (::poll(&waiting, 1, kPollMilliseconds) <= 0) continue;
      const auto got = ::recv(client, chunk, sizeof chunk, 0);
      if (got <= 0) break;
      buffer.append(chunk, static_cast<std::size_t>(got));
      continue;
    }
    const std::string head = buffer.substr(0, headEnd + 2);
    buffer.erase(0, headEnd + 4);
    const std::string line = head.substr(0, head.find("\r\n"));
    std::string presented;
    const std::string authorization = headerValue(head, "Proxy-Authorization");
    if (authorization.rfind("Basic ", 0) == 0)
      presented = QByteArray::fromBase64(QByteArray::fromStdString(authorization.substr(6))).toStdString();
    {
      std::lock_guard lock(mutex_);
      requestLines_.push_back(line);
      if (!presented.empty()) credentialsSeen_.push_back(presented);
    }
    if (!credentials_.empty() && presented != credentials_) {
      if (!sendAll(client, "HTTP/1.1 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic realm=\"test\"\r\n"
                           "Content-Length: 0\r\n\r\n"))
        break;
      continue;
    }
    if (line.rfind("CONNECT ", 0) == 0) {
      const auto target = line.substr(8, line.find(' ', 8) - 8);
      tunnel(client, std::atoi(target.substr(target.rfind(':') + 1).c_str()));
      break;
    }
    const auto pathStart = line.find('/', line.find("://") + 3);
    const std::string body = "proxied " + line.substr(pathStart, line.rfind(' ') - pathStart);
    if (!sendAll(client, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body))
      break;
  }
  ::close(client);
}

bool LocalProxy::tunnel(int client, int port) {
  const int server = connectToLoopback(port);
  if (server < 0) return sendAll(client, "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n");
  bool open = sendAll(client, "HTTP/1.1 200 Connection established\r\n\r\n");
  char chunk[16384];
  while (open && !stopped()) {
    pollfd ends[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
    if (::poll(ends, 2, kPollMilliseconds) <= 0) continue;
    for (int side = 0; side < 2 && open; ++side) {
      if (ends[side].revents == 0) continue;
      const auto got = ::recv(ends[side].fd, chunk, sizeof chunk, 0);
      open = got > 0 && sendAll(ends[1 - side].fd, std::string(chunk, static_cast<std::size_t>(got)));
    }
  }
  ::close(server);
  return open;
}

}  // namespace orvane::testing
