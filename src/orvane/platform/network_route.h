#pragma once

#include <memory>
#include <optional>
#include <string>

namespace orvane {

// How one request reaches its server where the host's toolkit has a say: the proxy it would use
// for that URL and the authorities it trusts.
struct NetworkRoute {
  // "http://host:port" or "socks5h://host:port"; empty: straight to the server, whatever the
  // environment's proxy variables say; absent: libcurl's own choice (those variables).
  std::optional<std::string> proxy;
  // Given to the proxy alone; never part of a URL, a log line or an error.
  std::string proxyUser;
  std::string proxyPassword;
  // PEM certificates of the authorities trusted instead of the default bundle, the system's own
  // among them; null: the default. Shared, as every request of a session carries the same.
  std::shared_ptr<const std::string> trustedAuthorities;
};

}  // namespace orvane
