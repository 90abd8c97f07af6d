#pragma once

// The connection's member definitions, compiled once per stream type (plain_connection.cpp and
// secure_connection.cpp), so the two heavy instantiations build side by side.

#include "connection.h"

#include <algorithm>
#include <type_traits>
#include <utility>

#include <unistd.h>

#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>

#include "content_coding.h"
#include "header_text.h"
#include "metrics.h"
#include "request_target.h"

namespace orvane::service::http {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace bhttp = boost::beast::http;

const std::string kUnmatched = "unmatched";
constexpr std::string_view kContinue = "HTTP/1.1 100 Continue\r\n\r\n";
constexpr std::size_t kIdleReadSize = 1024;
constexpr std::size_t kIdleBufferKept = 4 * 1024;
// How long a connection closed after an error still reads what the client sends, so its answer
// is not lost to a reset from unread bytes.
constexpr std::chrono::milliseconds kLinger{1'000};

template <class Stream>
constexpr bool kSecure = !std::is_same_v<Stream, beast::tcp_stream>;

bool isParseError(const beast::error_code& error) {
  return error.category() == bhttp::make_error_code(bhttp::error::bad_target).category() &&
         error != bhttp::error::end_of_stream && error != bhttp::error::partial_message;
}

// Deflate grows incompressible data by a few bytes per block: an encoded body may pass the
// decoded cap by that much before decoding.
std::size_t encodedLimit(std::size_t decodedLimit) { return decodedLimit + decodedLimit / 64 + 1024; }

}  // namespace

template <class Stream>
Connection<Stream>::Connection(ServerContext& server, EventLoop& loop, Stream stream, std::string clientAddress)
    : server_(server), loop_(loop), stream_(std::move(stream)), clientAddress_(std::move(clientAddress)) {
  loop_.connections.insert(this);
}

template <class Stream>
Connection<Stream>::~Connection() {
  loop_.connections.erase(this);
  if (phase_ == Phase::handling || phase_ == Phase::writing) --server_.answersInFlight;
  --server_.connections;
}

template <class Stream>
void Connection<Stream>::setDeadline(std::chrono::milliseconds timeout) {
  beast::get_lowest_layer(stream_).expires_after(timeout);
}

template <class Stream>
void Connection<Stream>::start() {
  if constexpr (kSecure<Stream>) {
    setDeadline(server_.options.headerTimeout);
    stream_.async_handshake(asio::ssl::stream_base::server, [self = this->shared_from_this()](beast::error_code error) {
      if (error) return self->close();
      self->readRequest(true);
    });
  } else {
    readRequest(true);
  }
}

template <class Stream>
void Connection<Stream>::closeIfIdle() {
  if (phase_ == Phase::reading) close();
}

template <class Stream>
void Connection<Stream>::readRequest(bool firstRequest) {
  phase_ = Phase::reading;
  if (server_.stopping) return close();
  if (firstRequest || buffer_.size() > 0) return readHeader();
  // Between requests only the idle limit runs; the header limit starts with the next byte, so a
  // client trickling its headers is cut by it however long it kept the connection.
  if (buffer_.capacity() > kIdleBufferKept) buffer_.shrink_to_fit();  // a large request's buffer is not kept idle
  setDeadline(server_.options.idleTimeout);
  stream_.async_read_some(buffer_.prepare(kIdleReadSize),
                          [self = this->shared_from_this()](beast::error_code error, std::size_t received) {
                            if (error) return self->close();
                            self->buffer_.commit(received);
                            self->readHeader();
                          });
}

template <class Stream>
void Connection<Stream>::readHeader() {
  parser_.emplace();
  parser_->header_limit(static_cast<std::uint32_t>(std::min<std::size_t>(server_.options.maxHeaderBytes, UINT32_MAX)));
  // The route's own cap is set once the headers say which route it is.
  parser_->body_limit(boost::none);
  setDeadline(server_.options.headerTimeout);
  bhttp::async_read_header(stream_, buffer_, *parser_,
                           [self = this->shared_from_this()](beast::error_code error, std::size_t) {
                             self->onHeader(error);
                           });
}

template <class Stream>
void Connection<Stream>::onHeader(beast::error_code error) {
  started_ = Clock::now();
  routeName_ = &kUnmatched;
  exchange_ = Exchange{};
  if (error == bhttp::error::header_limit) return answerHere(Response::error(431, "request headers too large"), false);
  if (error) {
    if (isParseError(error)) return answerHere(Response::error(400, "malformed request"), false);
    return close();
  }

  const auto& header = parser_->get();
  AnswerShape& shape = exchange_.shape;
  shape.version = header.version();
  shape.keepAlive = header.keep_alive();
  shape.head = header.method() == bhttp::verb::head;
  shape.gzipAccepted = acceptsGzip(header[bhttp::field::accept_encoding]);

  auto target = parseRequestTarget(header.target());
  if (!target) return answerHere(Response::error(400, "malformed request target"), false);

  Request& request = exchange_.request;
  request.method = header.method_string();
  exchange_.match = server_.router.match(request.method, target->segments);
  if (exchange_.match.route == nullptr && shape.head) {
    auto asGet = server_.router.match("GET", target->segments);
    if (asGet.route != nullptr) exchange_.match = std::move(asGet);
  }
  const Router::Route* route = exchange_.match.route;
  if (route != nullptr) routeName_ = &route->name;
  request.path = std::move(target->path);
  request.query = std::move(target->query);
  exchange_.segments = std::move(target->segments);
  for (const auto& field : header) {
    auto [entry, inserted] = request.headers.try_emplace(std::string(field.name_string()), field.value());
    if (!inserted) {
      entry->second += ", ";
      entry->second += field.value();
    }
  }
  request.clientAddress = server_.options.trustedProxies.empty()
                              ? clientAddress_
                              : server_.options.trustedProxies.clientOf(clientAddress_, request.header("X-Forwarded-For"));
  request.secure = kSecure<Stream>;

  auto contentLength = parser_->content_length();
  bool hasBody = parser_->chunked() || (contentLength && *contentLength > 0);
  if (!hasBody) return dispatch();

  // A body nobody will read is not read: the answer goes out and the connection closes.
  if (route == nullptr) {
    if (!exchange_.match.pathKnown) return answerHere(Response::error(404, "not found"), false);
    Response refused = Response::error(405, "method not allowed");
    refused.headers.emplace("Allow", server_.router.allowedMethods(exchange_.segments));
    return answerHere(std::move(refused), false);
  }
  std::string_view encoding = trimmed(header[bhttp::field::content_encoding]);
  if (!knownContentEncoding(encoding)) return answerHere(Response::error(415, "unsupported content encoding"), false);
  std::size_t cap = route->limits.maxBodyBytes;
  std::size_t rawLimit = cap;
  if (!identityEncoding(encoding)) {
    exchange_.contentEncoding = encoding;
    rawLimit = encodedLimit(cap);
  }
  exchange_.maxBodyBytes = cap;
  if (contentLength && *contentLength > rawLimit)
    return answerHere(Response::error(413, "request body too large"), false);
  parser_->body_limit(rawLimit);

  bool expectsContinue = shape.version >= 11 && equalsIgnoringCase(trimmed(header[bhttp::field::expect]), "100-continue");
  if (!expectsContinue) return readBody();
  setDeadline(server_.options.writeTimeout);
  asio::async_write(stream_, asio::buffer(kContinue.data(), kContinue.size()),
                    [self = this->shared_from_this()](beast::error_code writeError, std::size_t) {
                      if (writeError) return self->close();
                      self->readBody();
                    });
}

template <class Stream>
void Connection<Stream>::readBody() {
  setDeadline(server_.options.bodyTimeout);
  bhttp::async_read(stream_, buffer_, *parser_, [self = this->shared_from_this()](beast::error_code error, std::size_t) {
    self->onBody(error);
  });
}

template <class Stream>
void Connection<Stream>::onBody(beast::error_code error) {
  if (error == bhttp::error::body_limit) return answerHere(Response::error(413, "request body too large"), false);
  if (error) {
    if (isParseError(error)) return answerHere(Response::error(400, "malformed request body"), false);
    return close();
  }
  dispatch();
}

template <class Stream>
void Connection<Stream>::dispatch() {
  exchange_.request.body = std::move(parser_->get().body());
  parser_.reset();
  if (server_.options.accessLog) {
    method_ = exchange_.request.method;
    path_ = exchange_.request.path;
    client_ = exchange_.request.clientAddress;
  }
  phase_ = Phase::handling;
  ++server_.answersInFlight;
  const Router::Route* route = exchange_.match.route;
  backgroundRoute_ = route != nullptr && route->limits.background;
  if (auto answer = answerFromMemory(exchange_, server_)) return write(std::move(*answer));
  auto executor = stream_.get_executor();
  auto& pool = backgroundRoute_ ? server_.background : server_.workers;
  asio::post(pool, [self = this->shared_from_this(), exchange = std::move(exchange_), executor]() mutable {
    PreparedAnswer answer = runExchange(exchange, self->server_);
    // The event loop takes the last reference, so the connection always ends on its own thread.
    asio::post(executor, [connection = std::move(self), answer = std::move(answer)]() mutable {
      connection->write(std::move(answer));
    });
  });
}

template <class Stream>
void Connection<Stream>::answerHere(Response response, bool keepAlive) {
  parser_.reset();
  exchange_.shape.keepAlive = keepAlive;
  phase_ = Phase::handling;
  ++server_.answersInFlight;
  write(prepareAnswer(std::move(response), exchange_.shape));
}

template <class Stream>
void Connection<Stream>::write(PreparedAnswer answer) {
  if (phase_ != Phase::handling) return;
  phase_ = Phase::writing;
  if (server_.stopping && answer.keepAlive) {
    answer.keepAlive = false;
    std::visit([](auto& message) { message.keep_alive(false); }, answer.message);
  }
  answer_ = std::move(answer);
  bytesSent_ = 0;
  std::visit(
      [this](auto& message) {
        using Body = typename std::decay_t<decltype(message)>::body_type;
        writeSome(serializer_.template emplace<bhttp::serializer<false, Body>>(message));
      },
      answer_.message);
}

template <class Stream>
template <class Body>
void Connection<Stream>::writeSome(bhttp::serializer<false, Body>& serializer) {
  // The limit is on progress, not on the whole answer: a long video to a slow but live player
  // keeps going, a client that stopped reading does not hold the connection.
  setDeadline(server_.options.writeTimeout);
  bhttp::async_write_some(stream_, serializer,
                          [self = this->shared_from_this(), &serializer](beast::error_code error, std::size_t sent) {
                            self->bytesSent_ += sent;
                            if (error) return self->close();
                            if (serializer.is_done()) return self->onWritten();
                            self->writeSome(serializer);
                          });
}

template <class Stream>
void Connection<Stream>::onWritten() {
  auto duration = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started_);
  int status = answer_.status;
  bool keepAlive = answer_.keepAlive;
  serializer_.template emplace<std::monostate>();
  answer_ = PreparedAnswer{};
  phase_ = Phase::reading;
  --server_.answersInFlight;

  if (loop_.tally != nullptr) loop_.tally->record(*routeName_, status, duration);
  if (server_.options.accessLog) {
    // On a worker: a log writer that blocks must not stall the loop's other connections.
    // A request refused while its headers were read has only its peer to show.
    AccessRecord record{std::move(method_), *routeName_, std::move(path_), status, bytesSent_, duration,
                        client_.empty() ? clientAddress_ : std::exchange(client_, {})};
    asio::post(server_.workers, [&server = server_, record = std::move(record)] { server.options.accessLog(record); });
  }
  if (!keepAlive) return closeAfterAnswer();
  if (moveToTheLoopOfItsRoute()) return;
  readRequest(false);
}

template <class Stream>
bool Connection<Stream>::moveToTheLoopOfItsRoute() {
  // A TLS session cannot leave the stream it was made on: secure connections stay where they are.
  if constexpr (kSecure<Stream>) {
    return false;
  } else {
    if (backgroundRoute_ == loop_.background || server_.stopping) return false;
    EventLoop& target = backgroundRoute_ ? *server_.backgroundLoop : server_.takeForegroundLoop();
    auto& socket = stream_.socket();
    beast::error_code error;
    const auto protocol = socket.local_endpoint(error).protocol();
    if (error) return false;
    const auto descriptor = socket.release(error);
    if (error) {
      close();
      return true;
    }
    // Registered with the target loop here; should that loop stop before taking it, the socket
    // closes with the handler that holds it.
    asio::ip::tcp::socket moved(target.context);
    moved.assign(protocol, descriptor, error);
    if (error) {
      ::close(descriptor);
      return true;
    }
    phase_ = Phase::closed;
    asio::post(target.context, [&server = server_, &target, socket = std::move(moved), alreadyRead = std::move(buffer_),
                                address = std::move(clientAddress_)]() mutable {
      ++server.connections;
      std::make_shared<Connection>(server, target, beast::tcp_stream(std::move(socket)), std::move(address))
          ->resume(std::move(alreadyRead));
    });
    return true;
  }
}

template <class Stream>
void Connection<Stream>::resume(beast::flat_buffer alreadyRead) {
  buffer_ = std::move(alreadyRead);
  readRequest(false);
}

template <class Stream>
void Connection<Stream>::closeAfterAnswer() {
  if constexpr (kSecure<Stream>) {
    close();
  } else {
    beast::error_code ignored;
    stream_.socket().shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
    setDeadline(std::min<std::chrono::milliseconds>(kLinger, server_.options.headerTimeout));
    buffer_.clear();
    drain();
  }
}

template <class Stream>
void Connection<Stream>::drain() {
  stream_.async_read_some(buffer_.prepare(16 * 1024), [self = this->shared_from_this()](beast::error_code error, std::size_t) {
    if (error) return self->close();
    self->drain();
  });
}

template <class Stream>
void Connection<Stream>::close() {
  if (phase_ == Phase::closed) return;
  if (phase_ == Phase::handling || phase_ == Phase::writing) --server_.answersInFlight;
  phase_ = Phase::closed;
  beast::error_code ignored;
  auto& lowest = beast::get_lowest_layer(stream_);
  lowest.socket().shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
  lowest.close();
}

}  // namespace orvane::service::http
