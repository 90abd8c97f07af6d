#pragma once

#include <variant>

#include <boost/beast/http/empty_body.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/string_body.hpp>

#include "file_slice_body.h"
#include "message.h"

namespace orvane::service::http {

// An answer turned into what goes on the wire, built on a worker thread so compressing it or
// opening its file never holds up an event loop.
struct PreparedAnswer {
  std::variant<boost::beast::http::response<boost::beast::http::string_body>,
               boost::beast::http::response<FileSliceBody>,
               boost::beast::http::response<boost::beast::http::empty_body>>
      message;
  int status = 0;
  bool keepAlive = true;
};

// How the request asked to be answered.
struct AnswerShape {
  unsigned version = 11;
  bool keepAlive = true;
  bool head = false;           // headers only, with the Content-Length the body would have
  bool gzipAccepted = false;
};

// String JSON and text bodies above 1 KiB are gzip-compressed when accepted (never file slices,
// nor a body the handler already encoded). Header values holding CR or LF are dropped.
PreparedAnswer prepareAnswer(Response response, const AnswerShape& shape);

}  // namespace orvane::service::http
