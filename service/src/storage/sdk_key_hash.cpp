#include "storage/sdk_key_hash.h"

#include <sodium.h>

#include <algorithm>
#include <mutex>

#include "storage/store.h"

namespace orvane::service::storage {

std::string hashSdkKey(std::string_view sdkKey) {
  static std::once_flag initialised;
  std::call_once(initialised, [] {
    if (sodium_init() < 0) throw StoreError("libsodium could not be initialised");
  });
  unsigned char digest[crypto_hash_sha256_BYTES];
  crypto_hash_sha256(digest, reinterpret_cast<const unsigned char*>(sdkKey.data()), sdkKey.size());
  char hex[crypto_hash_sha256_BYTES * 2 + 1];
  sodium_bin2hex(hex, sizeof hex, digest, sizeof digest);
  return hex;
}

bool sameKeyHash(std::string_view a, std::string_view b) {
  return a.size() == b.size() && sodium_memcmp(a.data(), b.data(), a.size()) == 0;
}

std::string sdkKeyPrefix(std::string_view sdkKey) {
  return std::string(sdkKey.substr(0, std::min<std::size_t>(6, sdkKey.size() / 4)));
}

}  // namespace orvane::service::storage
