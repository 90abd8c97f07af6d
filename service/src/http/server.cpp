#include "server.h"

#include <algorithm>
#include <future>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/steady_timer.hpp>

#include "background_threads.h"
#include "connection.h"
#include "metrics.h"

namespace orvane::service::http {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
using tcp = asio::ip::tcp;

// After a failed accept (out of descriptors, say) the acceptor waits this long before trying again.
constexpr std::chrono::milliseconds kAcceptRetry{50};

asio::ssl::context tlsContext(const std::filesystem::path& certificate, const std::filesystem::path& privateKey) {
  asio::ssl::context tls(asio::ssl::context::tls_server);
  tls.set_options(asio::ssl::context::default_workarounds | asio::ssl::context::no_sslv2 |
                  asio::ssl::context::no_sslv3 | asio::ssl::context::no_tlsv1 | asio::ssl::context::no_tlsv1_1);
  try {
    tls.use_certificate_chain_file(certificate.string());
    tls.use_private_key_file(privateKey.string(), asio::ssl::context::pem);
  } catch (const boost::system::system_error& error) {
    throw std::runtime_error("cannot use the certificate " + certificate.string() + " and key " +
                             privateKey.string() + ": " + error.code().message());
  }
  return tls;
}

void runLoop(asio::io_context& context) {
  while (true) {
    try {
      context.run();
      return;
    } catch (const std::exception&) {
      // One connection's failure must not take the other connections of its loop down.
    }
  }
}

}  // namespace

struct Server::State {
  const Router& router;
  ServerOptions options;
  Metrics* metrics;

  std::mutex lifecycle;
  bool started = false;
  bool stopped = false;
  int port = 0;

  // Declared in the order they may be destroyed in reverse.
  std::optional<asio::thread_pool> workers;
  std::optional<asio::thread_pool> background;
  std::unique_ptr<ServerContext> context;
  std::optional<asio::ssl::context> tls;
  std::vector<std::unique_ptr<EventLoop>> loops;  // the foreground loops, then the background one
  std::optional<tcp::acceptor> acceptor;     // on loops[0]
  std::optional<asio::steady_timer> retry;   // on loops[0]
  std::vector<asio::executor_work_guard<asio::io_context::executor_type>> guards;
  std::vector<std::thread> threads;

  State(const Router& r, ServerOptions o, Metrics* m) : router(r), options(std::move(o)), metrics(m) {}

  void accept();
  void onAccepted(EventLoop& loop, tcp::socket socket);
  void stop(std::chrono::milliseconds grace);
};

void Server::State::accept() {
  EventLoop& loop = context->takeForegroundLoop();
  acceptor->async_accept(loop.context, [this, &loop](boost::system::error_code error, tcp::socket socket) {
    if (error == asio::error::operation_aborted || !acceptor->is_open()) return;
    if (error) {
      retry->expires_after(kAcceptRetry);
      retry->async_wait([this](boost::system::error_code waitError) {
        if (!waitError && acceptor->is_open()) accept();
      });
      return;
    }
    onAccepted(loop, std::move(socket));
    accept();
  });
}

void Server::State::onAccepted(EventLoop& loop, tcp::socket socket) {
  boost::system::error_code ignored;
  if (context->connections >= options.maxConnections) {
    socket.close(ignored);
    return;
  }
  ++context->connections;
  socket.set_option(tcp::no_delay(true), ignored);
  std::string address = socket.remote_endpoint(ignored).address().to_string();
  asio::post(loop.context, [this, &loop, socket = std::move(socket), address = std::move(address)]() mutable {
    if (tls) {
      std::make_shared<SecureConnection>(*context, loop,
                                         beast::ssl_stream<beast::tcp_stream>(beast::tcp_stream(std::move(socket)), *tls),
                                         std::move(address))
          ->start();
    } else {
      std::make_shared<PlainConnection>(*context, loop, beast::tcp_stream(std::move(socket)), std::move(address))->start();
    }
  });
}

void Server::State::stop(std::chrono::milliseconds grace) {
  context->stopping = true;
  std::promise<void> acceptorClosed;
  asio::post(loops.front()->context, [this, &acceptorClosed] {
    boost::system::error_code ignored;
    acceptor->close(ignored);
    retry->cancel();
    acceptorClosed.set_value();
  });
  acceptorClosed.get_future().wait();

  for (auto& loop : loops) {
    asio::post(loop->context, [&loop = *loop] {
      std::vector<LoopConnection*> open(loop.connections.begin(), loop.connections.end());
      for (LoopConnection* connection : open) connection->closeIfIdle();
    });
  }
  auto deadline = std::chrono::steady_clock::now() + grace;
  while (context->answersInFlight > 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));

  guards.clear();
  for (auto& loop : loops) loop->context.stop();
  for (auto& thread : threads) thread.join();
  // A handler still running past the grace is waited for; its answer is dropped with its connection.
  workers->join();
  background->join();
  retry.reset();
  acceptor.reset();
  // Connections still held by queued handlers close here, while the context they count in lives.
  loops.clear();
}

Server::Server(const Router& router, ServerOptions options, Metrics* metrics)
    : state_(std::make_unique<State>(router, std::move(options), metrics)) {}

Server::~Server() { stop(); }

int Server::start() {
  State& s = *state_;
  std::lock_guard lock(s.lifecycle);
  if (s.started) throw std::logic_error("the server was already started");
  if (s.options.certificatePath.has_value() != s.options.privateKeyPath.has_value())
    throw std::runtime_error("TLS needs both a certificate and a private key");
  if (s.options.certificatePath) s.tls.emplace(tlsContext(*s.options.certificatePath, *s.options.privateKeyPath));

  for (unsigned i = 0; i < std::max(1u, s.options.ioThreads); ++i) s.loops.push_back(std::make_unique<EventLoop>());
  s.loops.push_back(std::make_unique<EventLoop>(true));
  asio::io_context& first = s.loops.front()->context;
  try {
    tcp::resolver resolver(first);
    auto endpoints = resolver.resolve(s.options.host, std::to_string(s.options.port),
                                      tcp::resolver::passive | tcp::resolver::numeric_service);
    tcp::endpoint endpoint = endpoints.begin()->endpoint();
    s.acceptor.emplace(first);
    s.acceptor->open(endpoint.protocol());
    s.acceptor->set_option(asio::socket_base::reuse_address(true));
    s.acceptor->bind(endpoint);
    s.acceptor->listen(asio::socket_base::max_listen_connections);
    s.port = s.acceptor->local_endpoint().port();
  } catch (const boost::system::system_error& error) {
    s.acceptor.reset();
    s.loops.clear();
    throw std::runtime_error("cannot listen on " + s.options.host + ":" + std::to_string(s.options.port) + ": " +
                             error.code().message());
  }
  s.retry.emplace(first);
  s.workers.emplace(std::max(1u, s.options.workerThreads));
  const unsigned backgroundThreads = std::max(1u, s.options.backgroundThreads);
  s.background.emplace(backgroundThreads);
  makeEachThreadBackground(*s.background, backgroundThreads);
  std::vector<EventLoop*> foregroundLoops;
  for (auto& loop : s.loops)
    if (!loop->background) foregroundLoops.push_back(loop.get());
  s.context.reset(new ServerContext{s.router, s.options, *s.workers, *s.background, {}, {}, {},
                                    std::move(foregroundLoops), s.loops.back().get(), {}});
  s.accept();
  for (auto& loop : s.loops) {
    if (s.metrics != nullptr) loop->tally = &s.metrics->addTally();
    s.guards.push_back(asio::make_work_guard(loop->context));
    s.threads.emplace_back([&loop = *loop] {
      if (loop.background) makeCurrentThreadBackground();
      runLoop(loop.context);
    });
  }
  s.started = true;
  return s.port;
}

void Server::stop(std::chrono::milliseconds grace) {
  State& s = *state_;
  std::lock_guard lock(s.lifecycle);
  if (!s.started || s.stopped) return;
  s.stopped = true;
  s.stop(grace);
}

int Server::port() const { return state_->port; }

std::string Server::origin() const {
  const std::string& host = state_->options.host;
  std::string shownHost = host.find(':') != std::string::npos ? "[" + host + "]" : host;
  return std::string(state_->tls ? "https" : "http") + "://" + shownHost + ":" + std::to_string(state_->port);
}

}  // namespace orvane::service::http
