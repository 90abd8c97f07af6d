#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::service::http {

// The load balancers in front of the service. A request whose peer is one of them names its client
// in X-Forwarded-For; from anyone else that header is the client's own claim and counts for nothing,
// so rate limits and logs cannot be steered by it.
class TrustedProxies {
 public:
  TrustedProxies() = default;
  // Comma-separated addresses and networks: "127.0.0.1, 10.0.0.0/8, fd00::/8". Throws
  // std::invalid_argument naming the entry that is neither.
  static TrustedProxies parse(std::string_view list);

  bool empty() const { return networks_.empty(); }

  // The client of a request that came from `peer` with `forwardedFor` (its X-Forwarded-For values,
  // comma-joined): walking back from the nearest hop, the first address that is not a trusted
  // proxy. A hop that is not a plain address stops the walk at the last one that was.
  std::string clientOf(std::string_view peer, std::string_view forwardedFor) const;

 private:
  using Address = std::array<std::uint8_t, 16>;  // IPv4 as IPv4-mapped IPv6
  struct Network {
    Address base;
    unsigned prefixBits;
  };
  bool contains(const Address& address) const;

  std::vector<Network> networks_;
};

}  // namespace orvane::service::http
