#include "http/trusted_proxies.h"

#include <stdexcept>

#include <gtest/gtest.h>

namespace orvane::service::http {
namespace {

TEST(TrustedProxies, ListsAddressesAndNetworksOfEitherFamilyAndRefusesAnythingElse) {
  EXPECT_TRUE(TrustedProxies::parse("").empty());
  EXPECT_TRUE(TrustedProxies::parse(" , ").empty());
  EXPECT_FALSE(TrustedProxies::parse("127.0.0.1, 10.0.0.0/8,fd00::/8 ,::1/128").empty());
  for (const char* bad : {"10.0.0.0/33", "fd00::/129", "10.0.0.1/", "10.0.0.1/x8", "10.0.0.1/-1", "proxy.local",
                          "10.0.0", "[::1]", "10.0.0.1:80"}) {
    EXPECT_THROW(TrustedProxies::parse(bad), std::invalid_argument) << bad;
  }
}

TEST(TrustedProxies, ThePeerIsTheClientUnlessItIsATrustedProxy) {
  const auto proxies = TrustedProxies::parse("10.0.0.0/8");
  EXPECT_EQ(proxies.clientOf("203.0.113.9", "198.51.100.1"), "203.0.113.9") << "anyone may send the header";
  EXPECT_EQ(TrustedProxies().clientOf("10.0.0.2", "198.51.100.1"), "10.0.0.2") << "no proxies trusted";
  EXPECT_EQ(proxies.clientOf("10.0.0.2", "198.51.100.1"), "198.51.100.1");
  EXPECT_EQ(proxies.clientOf("10.0.0.2", ""), "10.0.0.2") << "a health check of the proxy's own";
  EXPECT_EQ(proxies.clientOf("::ffff:10.0.0.2", "198.51.100.1"), "198.51.100.1") << "on a dual-stack socket";
}

TEST(TrustedProxies, TheClientIsTheNearestHopNoTrustedProxyAppended) {
  const auto proxies = TrustedProxies::parse("10.0.0.0/8, fd00::/8");
  // What the client wrote itself comes first and is passed over: only the proxies' entries count.
  EXPECT_EQ(proxies.clientOf("10.0.0.2", "1.1.1.1, 198.51.100.1"), "198.51.100.1");
  EXPECT_EQ(proxies.clientOf("10.0.0.2", "1.1.1.1, 198.51.100.1, 10.9.9.9"), "198.51.100.1") << "two proxies";
  EXPECT_EQ(proxies.clientOf("fd00::2", "2001:db8::7 , fd12::1"), "2001:db8::7");
  EXPECT_EQ(proxies.clientOf("10.0.0.2", "10.1.1.1, 10.2.2.2"), "10.1.1.1") << "only proxies: the farthest";
  // A hop that is not an address stops the walk at the last one that was.
  EXPECT_EQ(proxies.clientOf("10.0.0.2", "198.51.100.1, unknown"), "10.0.0.2");
  EXPECT_EQ(proxies.clientOf("10.0.0.2", "evil\"}\n, 10.3.3.3"), "10.3.3.3");
  // One spelling per address, so that a limit keyed by it cannot be dodged by writing it another way.
  EXPECT_EQ(proxies.clientOf("10.0.0.2", "2001:DB8:0:0::7"), "2001:db8::7");
  EXPECT_EQ(proxies.clientOf("10.0.0.2", "::ffff:198.51.100.1"), "198.51.100.1");
}

}  // namespace
}  // namespace orvane::service::http
