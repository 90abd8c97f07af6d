#include "test_client.h"

#include <array>
#include <functional>
#include <stdexcept>

#include <boost/asio/buffer.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/read.hpp>

namespace orvane::service::http::testing {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace bhttp = boost::beast::http;

}  // namespace

TestClient::TestClient(int port, std::chrono::milliseconds deadline) : stream_(io_), deadline_(deadline) {
  stream_.connect(asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), static_cast<unsigned short>(port)));
}

void TestClient::send(std::string_view bytes) {
  beast::error_code failure;
  stream_.expires_after(deadline_);
  asio::async_write(stream_, asio::buffer(bytes.data(), bytes.size()),
                    [&](beast::error_code error, std::size_t) { failure = error; });
  io_.restart();
  io_.run();
  if (failure) throw std::runtime_error("send failed: " + failure.message());
}

TestResponse TestClient::receive(bool answersHead) {
  bhttp::response_parser<bhttp::string_body> parser;
  parser.body_limit(boost::none);
  parser.skip(answersHead);
  beast::error_code failure;
  stream_.expires_after(deadline_);
  bhttp::async_read(stream_, buffer_, parser, [&](beast::error_code error, std::size_t) { failure = error; });
  io_.restart();
  io_.run();
  if (failure) throw std::runtime_error("no answer: " + failure.message());
  return parser.release();
}

TestResponse TestClient::get(const std::string& target, const std::string& extraHeaders) {
  send("GET " + target + " HTTP/1.1\r\nHost: test\r\n" + extraHeaders + "\r\n");
  return receive();
}

TestResponse TestClient::post(const std::string& target, const std::string& body, const std::string& extraHeaders) {
  send("POST " + target + " HTTP/1.1\r\nHost: test\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" +
       extraHeaders + "\r\n" + body);
  return receive();
}

beast::error_code TestClient::readUntilEnd() {
  beast::error_code failure;
  std::array<char, 4096> scratch{};
  io_.restart();
  stream_.expires_after(deadline_);
  std::function<void(beast::error_code, std::size_t)> onRead = [&](beast::error_code error, std::size_t) {
    if (error) {
      failure = error;
      return;
    }
    stream_.async_read_some(asio::buffer(scratch), onRead);
  };
  stream_.async_read_some(asio::buffer(scratch), onRead);
  io_.run();
  return failure;
}

bool TestClient::closedByServer() { return readUntilEnd() == asio::error::eof; }

bool TestClient::connectionEnded() { return readUntilEnd() != beast::error::timeout; }

TestServer::TestServer() {
  options.host = "127.0.0.1";
  options.port = 0;
  options.workerThreads = 2;
}

int TestServer::start() {
  server = std::make_unique<Server>(router, options, &metrics);
  return server->start();
}

}  // namespace orvane::service::http::testing
