#include "media_routes.h"

#include "http/file_answer.h"

namespace orvane::service::media {

void addMediaRoutes(http::Router& router, const MediaLibrary& library) {
  const auto answer = [&library](http::Request& request) {
    const auto found = library.find(request.pathParameters.at(0));
    if (!found) return http::Response::error(404, "no such media");
    // The name changes with the bytes, so the answer may be kept for good.
    http::Response response =
        http::fileAnswer(request, found->file, found->record.contentType, "\"" + found->record.sha256 + "\"",
                         "public, max-age=31536000, immutable");
    // The type was decided from the bytes; a browser must not guess another (HTML, script).
    response.headers["X-Content-Type-Options"] = "nosniff";
    return response;
  };
  router.add("GET", "/media/{}", "media", {}, answer);
}

}  // namespace orvane::service::media
