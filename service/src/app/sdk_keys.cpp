#include "sdk_keys.h"

namespace orvane::service::app {
namespace {

constexpr std::size_t kMaxKeyBytes = 256;

}  // namespace

std::variant<storage::App, http::Response> authenticate(SdkKeyCache& keys, const http::Request& request,
                                                        std::optional<std::string_view> pathApp) {
  const auto key = request.header("X-Zephro-SDK-Key");
  if (key.empty()) return http::Response::error(401, "An SDK key is needed in X-Zephro-SDK-Key.");
  auto app = key.size() <= kMaxKeyBytes ? keys.appFor(key) : std::nullopt;
  if (!app) return http::Response::error(401, "Unknown or revoked SDK key.");
  if (pathApp && *pathApp != app->key) return http::Response::error(401, "The SDK key does not belong to this app.");
  return *std::move(app);
}

bool sameSecret(std::string_view given, std::string_view expected) {
  unsigned char difference = given.size() == expected.size() ? 0 : 1;
  for (std::size_t i = 0; i < given.size(); ++i)
    difference |= static_cast<unsigned char>(given[i] ^ (expected.empty() ? 0 : expected[i % expected.size()]));
  return difference == 0;
}

}  // namespace orvane::service::app
