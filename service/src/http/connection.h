#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/serializer.hpp>
#include <boost/beast/http/string_body.hpp>
#include <boost/beast/ssl/ssl_stream.hpp>

#include "answer.h"
#include "exchange.h"
#include "server_context.h"

namespace orvane::service::http {

// One client connection, on one event loop: reads a request at a time (so pipelined requests are
// answered in order), hands it to the worker pool and writes the answer when it comes back. Every
// wait is bounded: idle, headers, body, and each write's progress.
template <class Stream>
class Connection final : public LoopConnection, public std::enable_shared_from_this<Connection<Stream>> {
 public:
  Connection(ServerContext& server, EventLoop& loop, Stream stream, std::string clientAddress);
  ~Connection();

  void start();
  void closeIfIdle() override;

 private:
  enum class Phase { reading, handling, writing, closed };
  using Clock = std::chrono::steady_clock;

  void readRequest(bool firstRequest);
  void readHeader();
  void onHeader(boost::beast::error_code error);
  void readBody();
  void onBody(boost::beast::error_code error);
  void dispatch();
  void answerHere(Response response, bool keepAlive);
  void write(PreparedAnswer answer);
  template <class Body>
  void writeSome(boost::beast::http::serializer<false, Body>& serializer);
  void onWritten();
  bool moveToTheLoopOfItsRoute();
  void resume(boost::beast::flat_buffer alreadyRead);
  void closeAfterAnswer();
  void drain();
  void close();
  void setDeadline(std::chrono::milliseconds timeout);

  ServerContext& server_;
  EventLoop& loop_;
  Stream stream_;
  std::string clientAddress_;
  boost::beast::flat_buffer buffer_;
  std::optional<boost::beast::http::request_parser<boost::beast::http::string_body>> parser_;
  Phase phase_ = Phase::reading;

  // The request being answered.
  Exchange exchange_;
  const std::string* routeName_ = nullptr;
  bool backgroundRoute_ = false;
  std::string method_;  // these three kept only for the access log
  std::string path_;
  std::string client_;  // the client it names through a trusted proxy, else the peer
  Clock::time_point started_;

  // The answer being written.
  PreparedAnswer answer_;
  std::variant<std::monostate, boost::beast::http::serializer<false, boost::beast::http::string_body>,
               boost::beast::http::serializer<false, FileSliceBody>,
               boost::beast::http::serializer<false, boost::beast::http::empty_body>>
      serializer_;
  std::uint64_t bytesSent_ = 0;
};

using PlainConnection = Connection<boost::beast::tcp_stream>;
using SecureConnection = Connection<boost::beast::ssl_stream<boost::beast::tcp_stream>>;

}  // namespace orvane::service::http
