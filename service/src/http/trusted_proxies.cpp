#include "trusted_proxies.h"

#include <arpa/inet.h>

#include <algorithm>
#include <charconv>
#include <optional>
#include <stdexcept>

#include "header_text.h"

namespace orvane::service::http {
namespace {

using Address = std::array<std::uint8_t, 16>;
constexpr unsigned kMappedPrefixBits = 96;

struct Parsed {
  Address bytes;
  bool v4;
};

std::optional<Parsed> parseAddress(std::string_view text) {
  if (text.empty() || text.size() >= INET6_ADDRSTRLEN) return std::nullopt;
  const std::string terminated(text);
  Parsed parsed{};
  if (inet_pton(AF_INET, terminated.c_str(), parsed.bytes.data() + 12) == 1) {
    parsed.bytes[10] = parsed.bytes[11] = 0xff;
    parsed.v4 = true;
    return parsed;
  }
  if (inet_pton(AF_INET6, terminated.c_str(), parsed.bytes.data()) == 1) return parsed;
  return std::nullopt;
}

// One text per address whichever way it was written, so that limits keyed by it cannot be dodged
// by spelling an address differently.
std::string canonicalText(const Address& address) {
  char text[INET6_ADDRSTRLEN] = {};
  const bool mapped = std::all_of(address.begin(), address.begin() + 10, [](auto byte) { return byte == 0; }) &&
                      address[10] == 0xff && address[11] == 0xff;
  if (mapped) return inet_ntop(AF_INET, address.data() + 12, text, sizeof text);
  return inet_ntop(AF_INET6, address.data(), text, sizeof text);
}

}  // namespace

TrustedProxies TrustedProxies::parse(std::string_view list) {
  TrustedProxies proxies;
  while (!list.empty()) {
    const std::size_t comma = std::min(list.find(','), list.size());
    const std::string_view entry = trimmed(list.substr(0, comma));
    list.remove_prefix(std::min(comma + 1, list.size()));
    if (entry.empty()) continue;

    const std::size_t slash = entry.find('/');
    const auto address = parseAddress(entry.substr(0, slash));
    const unsigned maxBits = address && address->v4 ? 32 : 128;
    unsigned bits = maxBits;
    if (slash != std::string_view::npos) {
      const std::string_view digits = entry.substr(slash + 1);
      const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), bits);
      if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size()) bits = maxBits + 1;
    }
    if (!address || bits > maxBits) {
      throw std::invalid_argument("\"" + std::string(entry) +
                                  "\" is neither an IP address nor a network such as 10.0.0.0/8");
    }
    proxies.networks_.push_back({address->bytes, address->v4 ? kMappedPrefixBits + bits : bits});
  }
  return proxies;
}

bool TrustedProxies::contains(const Address& address) const {
  return std::any_of(networks_.begin(), networks_.end(), [&](const Network& network) {
    unsigned bits = network.prefixBits;
    for (std::size_t i = 0; bits > 0; ++i, bits -= std::min(bits, 8u)) {
      const auto mask = static_cast<std::uint8_t>(0xff << (8 - std::min(bits, 8u)));
      if ((address[i] & mask) != (network.base[i] & mask)) return false;
    }
    return true;
  });
}

std::string TrustedProxies::clientOf(std::string_view peer, std::string_view forwardedFor) const {
  auto hop = parseAddress(peer);
  if (!hop || !contains(hop->bytes)) return std::string(peer);
  // Each proxy appends the address it was reached from, so the walk goes from the right.
  while (!forwardedFor.empty()) {
    const std::size_t comma = forwardedFor.rfind(',');
    const std::size_t start = comma == std::string_view::npos ? 0 : comma + 1;
    const auto previous = parseAddress(trimmed(forwardedFor.substr(start)));
    if (!previous) break;
    hop = previous;
    if (!contains(hop->bytes)) break;
    forwardedFor = forwardedFor.substr(0, comma == std::string_view::npos ? 0 : comma);
  }
  return canonicalText(hop->bytes);
}

}  // namespace orvane::service::http
