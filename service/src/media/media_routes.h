#pragma once

#include "http/router.h"
#include "media_library.h"

namespace orvane::service::media {

// GET (and so HEAD) /media/<sha256>[.<extension>]: the stored file with its recorded type, its hash as
// ETag, cached for a year (the name changes with the bytes), and byte ranges, so a player starts
// a video before its end arrives. `library` must outlive the router.
void addMediaRoutes(http::Router& router, const MediaLibrary& library);

}  // namespace orvane::service::media
