#pragma once

#include <optional>
#include <string>
#include <vector>

#include "answer.h"
#include "router.h"

namespace orvane::service::http {

struct ServerContext;

// One request read in full, on its way through the worker pool.
struct Exchange {
  Request request;
  Router::Match match;
  std::vector<std::string> segments;   // the decoded path, for the Allow header of a 405
  std::string contentEncoding;         // still to be undone, within maxBodyBytes
  std::size_t maxBodyBytes = 0;
  AnswerShape shape;
};

// Decodes the body, asks the gate, runs the route's handler (or answers 404/405) and prepares the
// answer. Runs on a worker thread; a handler that throws gets a 500.
PreparedAnswer runExchange(Exchange& exchange, const ServerContext& server);

// The route's answer from memory, prepared, when it has one at hand; nullopt when the exchange must
// go to a worker (no memory handler, a gate or a body to decode, the handler declined or threw).
// Runs on the event loop.
std::optional<PreparedAnswer> answerFromMemory(Exchange& exchange, const ServerContext& server);

}  // namespace orvane::service::http
