#pragma once

#include <functional>

#include "http/router.h"

namespace orvane::service::app {

// /images/<name>(?w=&h=) and /videos/<name>.avi(?w=&h=&s=): generated pictures and videos the
// sample content links to, so it needs no media files. `beforeAnswer` runs first on every one
// (the test service holds media back there to play a slow network).
void addPlaceholderRoutes(http::Router& router, std::function<void()> beforeAnswer = {});

}  // namespace orvane::service::app
