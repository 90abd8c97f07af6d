#pragma once

#include <filesystem>
#include <string>

#include "message.h"

namespace orvane::service::http {

// A file's answer to GET or HEAD: 304 on a matching If-None-Match, 206 with Content-Range for one
// satisfiable byte range (honouring If-Range), 416 for an unsatisfiable one, else 200 with the
// whole file. Several ranges get the whole file. The body is a FileSlice, never read here.
// A missing file is a 404.
Response fileAnswer(const Request& request, const std::filesystem::path& file, std::string contentType,
                    std::string etag, std::string cacheControl);

}  // namespace orvane::service::http
