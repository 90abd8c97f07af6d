#include <future>

#include <boost/asio/ip/tcp.hpp>
#include <gtest/gtest.h>

#include "test_client.h"

namespace orvane::service::http::testing {
namespace {

bool acceptsConnections(int port) {
  boost::asio::io_context io;
  boost::asio::ip::tcp::socket socket(io);
  boost::system::error_code error;
  socket.connect({boost::asio::ip::make_address("127.0.0.1"), static_cast<unsigned short>(port)}, error);
  return !error;
}

TEST(GracefulStop, FinishesTheAnswerInFlightAndClosesIdleConnections) {
  TestServer server;
  std::promise<void> entered;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  server.router.add("GET", "/slow", "slow", {}, [&entered, released](Request&) {
    entered.set_value();
    released.wait();
    return Response::json(200, "finished");
  });
  server.router.add("GET", "/", "root", {}, [](Request&) { return Response::json(200, "ok"); });
  int port = server.start();

  TestClient idle(port);
  EXPECT_EQ(idle.get("/").result_int(), 200);
  TestClient inFlight(port);
  inFlight.send("GET /slow HTTP/1.1\r\nHost: t\r\n\r\n");
  entered.get_future().wait();

  auto stopped = std::async(std::launch::async, [&] { server.server->stop(std::chrono::seconds(10)); });
  // Once new connections are refused the stop is under way; only then may the handler finish.
  for (int attempt = 0; attempt < 1000 && acceptsConnections(port); ++attempt)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_FALSE(acceptsConnections(port));
  release.set_value();

  auto answer = inFlight.receive();
  EXPECT_EQ(answer.result_int(), 200);
  EXPECT_EQ(answer.body(), "\"finished\"");
  EXPECT_FALSE(answer.keep_alive());
  stopped.get();
  EXPECT_TRUE(idle.connectionEnded());

  server.server->stop();  // a second stop, and the destructor's, do nothing
}

}  // namespace
}  // namespace orvane::service::http::testing
