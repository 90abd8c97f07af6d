#include "exchange.h"

#include <exception>

#include "content_coding.h"
#include "server_context.h"

namespace orvane::service::http {
namespace {

Response answerFor(Exchange& exchange, const ServerContext& server) {
  Request& request = exchange.request;
  if (!exchange.contentEncoding.empty()) {
    switch (decodeBody(request.body, exchange.contentEncoding, exchange.maxBodyBytes)) {
      case BodyDecoding::decoded: request.headers.erase("Content-Encoding"); break;
      case BodyDecoding::tooLarge: exchange.shape.keepAlive = false; return Response::error(413, "request body too large");
      case BodyDecoding::malformed: exchange.shape.keepAlive = false; return Response::error(400, "request body cannot be decoded");
      case BodyDecoding::unsupported: return Response::error(415, "unsupported content encoding");
    }
  }
  if (server.options.gate) {
    if (auto refused = server.options.gate(request)) return std::move(*refused);
  }
  if (exchange.match.route == nullptr) {
    if (!exchange.match.pathKnown) return Response::error(404, "not found");
    Response refused = Response::error(405, "method not allowed");
    refused.headers.emplace("Allow", server.router.allowedMethods(exchange.segments));
    return refused;
  }
  request.pathParameters = std::move(exchange.match.parameters);
  return exchange.match.route->handler(request);
}

}  // namespace

PreparedAnswer runExchange(Exchange& exchange, const ServerContext& server) {
  try {
    return prepareAnswer(answerFor(exchange, server), exchange.shape);
  } catch (const std::exception&) {
    return prepareAnswer(Response::error(500, "internal error"), exchange.shape);
  }
}

std::optional<PreparedAnswer> answerFromMemory(Exchange& exchange, const ServerContext& server) {
  const Router::Route* route = exchange.match.route;
  if (route == nullptr || !route->fromMemory || server.options.gate || !exchange.contentEncoding.empty())
    return std::nullopt;
  Request& request = exchange.request;
  request.pathParameters = exchange.match.parameters;
  try {
    if (auto response = route->fromMemory(request)) return prepareAnswer(std::move(*response), exchange.shape);
  } catch (const std::exception&) {
    // The worker's handler gets its chance and reports the fault as it does.
  }
  request.pathParameters.clear();
  return std::nullopt;
}

}  // namespace orvane::service::http
