#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include <boost/asio/io_context.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/string_body.hpp>

#include "http/metrics.h"
#include "http/router.h"
#include "http/server.h"

namespace orvane::service::http::testing {

using TestResponse = boost::beast::http::response<boost::beast::http::string_body>;

// A blocking client on one connection to 127.0.0.1. Every wait has a deadline, so a server that
// stops answering fails the test instead of hanging it.
class TestClient {
 public:
  explicit TestClient(int port, std::chrono::milliseconds deadline = std::chrono::seconds(10));

  // Bytes as they are, for requests a well-behaved client would not send.
  void send(std::string_view bytes);
  TestResponse receive(bool answersHead = false);
  TestResponse get(const std::string& target, const std::string& extraHeaders = "");
  TestResponse post(const std::string& target, const std::string& body, const std::string& extraHeaders = "");

  // Whether the server closed the connection (after reading whatever it still sent).
  bool closedByServer();
  // Whether the server refused to go on: closed the connection or reset it.
  bool connectionEnded();

 private:
  boost::beast::error_code readUntilEnd();

  boost::asio::io_context io_;
  boost::beast::tcp_stream stream_;
  boost::beast::flat_buffer buffer_;
  std::chrono::milliseconds deadline_;
};

// A server on 127.0.0.1 and a free port, stopped when the test ends.
struct TestServer {
  Router router;
  ServerOptions options;
  Metrics metrics;
  std::unique_ptr<Server> server;

  TestServer();
  int start();
  int port() const { return server->port(); }
};

}  // namespace orvane::service::http::testing
